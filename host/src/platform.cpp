#include "platform.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <dlfcn.h>
#if defined(__APPLE__)
#include <cstring>
#include <mach-o/dyld.h>
#endif
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace platform
{

#if defined(_WIN32)

namespace
{

std::wstring Wide(const std::string& utf8)
{
	return std::filesystem::u8path(utf8).wstring();
}

} // namespace

void* OpenLibrary(const std::string& path, std::string* problem)
{
	HMODULE h = LoadLibraryW(Wide(path).c_str());
	if (!h)
		*problem = "cannot be loaded (error " + std::to_string((unsigned long)GetLastError()) + ")";
	return (void*)h;
}

void* FindSymbol(void* library, const char* name)
{
	return (void*)GetProcAddress((HMODULE)library, name);
}

void CloseLibrary(void* library)
{
	FreeLibrary((HMODULE)library);
}

int CreateTemporaryBeside(const std::string& target, std::string* temporary)
{
	// No mkstemp here: exclusive creation under a name made unique by the
	// process, a counter and the clock, retried on the rare collision.
	static std::atomic<unsigned> counter(0);
	for (int attempt = 0; attempt < 100; ++attempt)
	{
		const std::string name = target + ".tmp" + std::to_string((unsigned long)GetCurrentProcessId()) + "-"
			+ std::to_string(counter++) + "-" + std::to_string((unsigned long)GetTickCount());
		int fd = -1;
		const errno_t error = _wsopen_s(&fd, Wide(name).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYRW,
			_S_IREAD | _S_IWRITE);
		if (error == 0 && fd >= 0)
		{
			*temporary = name;
			return fd;
		}
		if (error != EEXIST)
			return -1;
	}
	return -1;
}

bool WriteAll(int fd, const void* bytes, size_t size)
{
	const char* p = static_cast<const char*>(bytes);
	while (size > 0)
	{
		// _write takes an unsigned int count.
		const unsigned chunk = size > (1u << 30) ? (1u << 30) : (unsigned)size;
		const int n = _write(fd, p, chunk);
		if (n <= 0)
			return false;
		p += n;
		size -= (size_t)n;
	}
	return true;
}

bool SyncAndClose(int fd)
{
	const bool synced = _commit(fd) == 0;
	return (_close(fd) == 0) && synced;
}

void Close(int fd)
{
	_close(fd);
}

bool RenameOver(const std::string& from, const std::string& to)
{
	// rename() on Windows refuses an existing target; MoveFileEx replaces it.
	return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path)
{
	DeleteFileW(Wide(path).c_str());
}

std::string ProgramFile()
{
	std::wstring path(512, L'\0');
	for (;;)
	{
		const DWORD n = GetModuleFileNameW(nullptr, &path[0], (DWORD)path.size());
		if (n == 0)
			return std::string();
		// A full buffer may have cut the name: try again with more room.
		if (n < path.size())
		{
			path.resize(n);
			return std::filesystem::path(path).u8string();
		}
		if (path.size() >= 32768)
			return std::string();
		path.resize(path.size() * 4);
	}
}

#else

void* OpenLibrary(const std::string& path, std::string* problem)
{
	void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
	if (!h)
	{
		const char* error = dlerror();
		*problem = std::string("cannot be loaded: ") + (error ? error : "unknown error");
	}
	return h;
}

void* FindSymbol(void* library, const char* name)
{
	return dlsym(library, name);
}

void CloseLibrary(void* library)
{
	dlclose(library);
}

int CreateTemporaryBeside(const std::string& target, std::string* temporary)
{
	struct stat existing;
	const bool exists = ::stat(target.c_str(), &existing) == 0;
	std::string name = target + ".tmpXXXXXX";
	const int fd = ::mkstemp(&name[0]);
	if (fd < 0)
		return -1;
	// The replacement keeps the permissions of the file it replaces.
	::fchmod(fd, exists ? (existing.st_mode & 07777) : 0644);
	*temporary = name;
	return fd;
}

bool WriteAll(int fd, const void* bytes, size_t size)
{
	const char* p = static_cast<const char*>(bytes);
	while (size > 0)
	{
		const ssize_t n = ::write(fd, p, size);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
			return false;
		p += n;
		size -= (size_t)n;
	}
	return true;
}

bool SyncAndClose(int fd)
{
	const bool synced = ::fsync(fd) == 0;
	return (::close(fd) == 0) && synced;
}

void Close(int fd)
{
	::close(fd);
}

bool RenameOver(const std::string& from, const std::string& to)
{
	return ::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path)
{
	::unlink(path.c_str());
}

std::string ProgramFile()
{
#if defined(__APPLE__)
	uint32_t size = 0;
	_NSGetExecutablePath(nullptr, &size);
	std::string path(size, '\0');
	if (size == 0 || _NSGetExecutablePath(&path[0], &size) != 0)
		return std::string();
	path.resize(std::strlen(path.c_str()));
	return path;
#else
	std::error_code ec;
	const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
	return ec ? std::string() : self.string();
#endif
}

#endif

} // namespace platform
