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

// Replacing a file whole: a new temporary file beside the target (keeping
// the permissions of a target that exists, where the system has them), its
// bytes, then the rename over the target, which other readers see as one
// step. A descriptor is -1 when there is none.
int CreateTemporaryBeside(const std::string& target, std::string* temporary);
bool WriteAll(int fd, const void* bytes, size_t size);
// Flushes the file to the disk and closes it; false if either failed.
bool SyncAndClose(int fd);
void Close(int fd);
bool RenameOver(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);

// The running program's own file, for finding what is installed beside it;
// empty when the system does not say.
std::string ProgramFile();

} // namespace platform

#endif
