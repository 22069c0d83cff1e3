// What the host needs from the operating system beyond the C++ library, in
// one place for POSIX and Windows. Deliberately free of the plug-in
// interface's headers: <windows.h> declares LONG and ULONG differently.
// Paths are UTF-8.
#ifndef HOST_PLATFORM_H__
#define HOST_PLATFORM_H__

#include <cstddef>
#include <string>

namespace platform
{

// Shared libraries: null (and *problem says why) when the file cannot be
// loaded; FindSymbol answers null for a name the library does not export.
void* OpenLibrary(const std::string& path, std::string* problem);
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

// The building blocks of FileReplacement below. A temporary is created
// exclusively (a planted name or link is never opened) under a name that
// starts with the target's and ends in kTemporaryMark plus a unique part.
// A descriptor is -1 when there is none.
int CreateTemporaryBeside(const std::string& target, std::string* temporary);
bool WriteAll(int fd, const void* bytes, size_t size);
// Flushes the file to the disk and closes it; false if either failed.
bool SyncAndClose(int fd);
void Close(int fd);
bool RenameOver(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);

// What the names of temporaries carry after the target's name.
extern const char* const kTemporaryMark;

// Writing an output without ever damaging what its path names:
//  - a regular file (or a missing one) is replaced whole: the bytes go to a
//    temporary beside it that is synced and then renamed over it, keeping
//    its permissions (and, where allowed, its owner);
//  - a symlink is followed, so its target is replaced and the link stays;
//  - anything else that is not a folder (a device, a FIFO) is written
//    through in place, since renaming over it would destroy it;
//  - a file with more than one hard link is refused: a rename would split
//    its names, and writing in place could leave all of them half written.
// Temporaries that an earlier, killed run left beside the same target are
// removed first (a living writer holds a lock on its own, so it keeps it).
// Install is separate from Finish so that a command with several outputs can
// stage them all and replace all or none. Until Install, nothing at the path
// has changed; an object destroyed before it removes its temporary.
class FileReplacement
{
public:
	FileReplacement() = default;
	~FileReplacement();
	FileReplacement(const FileReplacement&) = delete;
	FileReplacement& operator=(const FileReplacement&) = delete;

	bool Begin(const std::string& path);
	bool Write(const void* bytes, size_t size);
	// Every byte on the disk (or, for a write-through target, kept to be
	// written by Install).
	bool Finish();
	bool Install();
	// Drops the write; the path stays as it was.
	void Abandon();

	// Why the last step failed, as "cannot ...: reason".
	const std::string& Problem() const { return problem_; }

private:
	bool Fail(const std::string& what, int error);

	enum Stage { IDLE, WRITING, FINISHED } stage_ = IDLE;
	bool through_ = false;    // write-through target: bytes kept for Install
	int fd_ = -1;
	std::string target_;      // after links are followed
	std::string temporary_;
	std::string kept_;
	std::string problem_;
};

// Begin, Write, Finish and Install in one; false with *problem set. Not
// named ReplaceFile: <windows.h> makes that a macro, and the callers that
// do not include it would link to another name.
bool WriteFileWhole(const std::string& path, const void* bytes, size_t size, std::string* problem);

// The most any reader of the host takes from one input file (scenes, container
// files): a larger file is refused from its size, a stream after this many
// bytes, before memory runs out.
const size_t kMaxInputFileSize = size_t(64) << 20;

// Reads the whole file at path into *bytes, refusing more than limit bytes;
// false with *problem set ("cannot open the file: ...", "larger than ...").
bool ReadFileBounded(const std::string& path, size_t limit, std::string* bytes, std::string* problem);

// What changes whenever the entries of a folder change, for comparing two
// looks at it: on POSIX its device and inode and its modification and
// status-change times to the nanosecond (no program can set the latter
// back). settled: its last change lies further back than any file system's
// clock tick, so that any later change shows in different times.
struct FolderStamp
{
	unsigned long long parts[6];
	bool settled;

	bool operator==(const FolderStamp& other) const
	{
		for (size_t i = 0; i < 6; ++i)
			if (parts[i] != other.parts[i])
				return false;
		return true;
	}
};
// false when path names no folder that can be looked at, and always on
// Windows, where a folder's times need not follow its entries.
bool ReadFolderStamp(const std::string& path, FolderStamp* stamp);

// Whether a and b name the same existing file (device and inode, or the
// system's equivalent).
bool SameFile(const std::string& a, const std::string& b);

// The running program's own file, for finding what is installed beside it;
// empty when the system does not say.
std::string ProgramFile();

} // namespace platform

#endif
