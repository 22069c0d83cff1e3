// Paths and directory browsing.
#ifndef C4D_FILE_H__
#define C4D_FILE_H__

#include "c4d_string.h"

enum FILESELECTTYPE
{
	FILESELECTTYPE_ANYTHING = 0
};

enum FILESELECT
{
	FILESELECT_LOAD = 0,
	FILESELECT_SAVE = 1,
	FILESELECT_DIRECTORY = 2
};

class Filename
{
public:
	Filename() {}
	Filename(const String& path) : path_(path) {}
	Filename(const CHAR* path) : path_(path) {}

	// Appends one path component.
	Filename& operator+=(const Filename& component);
	friend Filename operator+(Filename a, const Filename& b) { return a += b; }

	const String& GetString() const { return path_; }
	void SetString(const String& path) { path_ = path; }
	// Everything before the last component; empty for a path of one component.
	Filename GetDirectory() const;
	// The last component.
	Filename GetFile() const;
	// The text after the last dot of the last component.
	String GetSuffix() const;
	Bool Content() const { return path_.Content(); }

	// Asks the user for a path through the host's file dialog. Without a
	// dialog the host answers as the user who cancels: FALSE, path emptied.
	Bool FileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title, const String& force_suffix = String());

	friend bool operator==(const Filename& a, const Filename& b) { return a.path_ == b.path_; }
	friend bool operator!=(const Filename& a, const Filename& b) { return a.path_ != b.path_; }

private:
	String path_;
};

// Iterates over the entries of one directory, in name order. A directory that
// does not exist, or an empty path, yields nothing.
class BrowseFiles
{
public:
	BrowseFiles();
	~BrowseFiles();
	static BrowseFiles* Alloc();
	static void Free(BrowseFiles*& bf);

	void Init(const Filename& directory, LONG flags);
	Bool GetNext();
	Filename GetFilename() const;
	Bool IsDir() const;

private:
	BrowseFiles(const BrowseFiles&);
	BrowseFiles& operator=(const BrowseFiles&);
	struct Impl;
	Impl* impl_;
};

// The folder of the running plug-in.
const Filename GeGetPluginPath();

#endif
