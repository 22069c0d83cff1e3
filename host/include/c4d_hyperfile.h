// HyperFile: the host's binary container files (presets, scenes).
#ifndef C4D_HYPERFILE_H__
#define C4D_HYPERFILE_H__

#include "c4d_basecontainer.h"

enum FILEOPEN
{
	FILEOPEN_APPEND = 0,
	FILEOPEN_READ = 1,
	FILEOPEN_WRITE = 2,
	FILEOPEN_READWRITE = 3
};

enum FILEDIALOG
{
	FILEDIALOG_NONE = 0,
	FILEDIALOG_ANY = 1,
	FILEDIALOG_IGNOREOPEN = 2
};

class HyperFile
{
public:
	static HyperFile* Alloc();
	static void Free(HyperFile*& hf);
	~HyperFile();

	// Opens name for reading or writing. A file opened for reading must carry
	// the identification ident; one opened for writing gets it. Writing goes
	// to a temporary file beside name that Close renames over it, so a failed
	// save never destroys an existing file; after any failed write (a refused
	// container included) Close replaces nothing and answers FALSE.
	Bool Open(LONG ident, const Filename& name, FILEOPEN mode, FILEDIALOG error_dialog);
	// Writes one container (with sub-containers, curves, identifiers, links).
	Bool WriteContainer(const BaseContainer& v);
	// Reads the next container into *v (cleared first when flush). FALSE, with
	// *v untouched, for a truncated, corrupt or hostile file.
	Bool ReadContainer(BaseContainer* v, Bool flush);
	// Finishes the file; FALSE when writing it failed.
	Bool Close();

	// The host's own access to an open file (how links resolve).
	struct HostAccess;

private:
	HyperFile();
	HyperFile(const HyperFile&);
	HyperFile& operator=(const HyperFile&);
	struct Impl;
	Impl* impl_;
};

#endif
