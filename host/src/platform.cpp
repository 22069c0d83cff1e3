#include "platform.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

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
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
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
		const std::string name = target + kTemporaryMark + std::to_string((unsigned long)GetCurrentProcessId()) + "-"
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
		{
			errno = error;
			return -1;
		}
	}
	errno = EEXIST;
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

namespace
{

void KeepAttributes(int, const std::string&) {}

int OpenThrough(const std::string& target)
{
	int fd = -1;
	const errno_t error = _wsopen_s(&fd, Wide(target).c_str(), _O_WRONLY | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
	if (error != 0)
		errno = error;
	return error == 0 ? fd : -1;
}

// A device does not take a flush; only writing can fail.
bool CloseThrough(int fd)
{
	return _close(fd) == 0;
}

// A living writer holds its temporary open without sharing, so only a
// temporary nobody holds can be deleted.
void RemoveIfStale(const std::string& name)
{
	DeleteFileW(Wide(name).c_str());
}

void SyncFolder(const std::string&) {}

} // namespace

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
	static std::atomic<unsigned> counter(0);
	for (int attempt = 0; attempt < 100; ++attempt)
	{
		const std::string name = target + kTemporaryMark + std::to_string((long)::getpid()) + "-"
			+ std::to_string(counter++) + "-" + std::to_string((unsigned long)::random() % 1000000);
		// O_EXCL never opens an existing name, a planted link included.
		const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
		if (fd < 0)
		{
			if (errno == EEXIST)
				continue;
			return -1;
		}
		// The lock tells a later writer of the same target that this one is
		// alive. A cleaner may have removed the name before the lock was
		// taken: then the descriptor is of no file, and another name is tried.
		struct stat opened, named;
		if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 || ::lstat(name.c_str(), &named) != 0
			|| opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
		{
			::close(fd);
			continue;
		}
		*temporary = name;
		return fd;
	}
	errno = EEXIST;
	return -1;
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

namespace
{

// The replacement keeps the mode of the file it replaces, and its owner
// where the system lets this process give it.
void KeepAttributes(int fd, const std::string& target)
{
	struct stat existing;
	if (::stat(target.c_str(), &existing) != 0)
		return;
	if (::fchown(fd, existing.st_uid, existing.st_gid) != 0)
	{
		// Not the owner's to give: the new file stays ours.
	}
	::fchmod(fd, existing.st_mode & 07777);
}

int OpenThrough(const std::string& target)
{
	// Without a reader a FIFO would block the open forever: refuse instead.
	const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
	return fd;
}

// Devices and FIFOs may not take fsync; only writing and closing can fail.
bool CloseThrough(int fd)
{
	const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
	return (::close(fd) == 0) && synced;
}

// A temporary whose writer still runs is locked; one left by a killed run is
// not, and goes. Only a regular file is touched, and only the one opened.
void RemoveIfStale(const std::string& name)
{
	const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return;
	struct stat opened, named;
	if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
		&& ::lstat(name.c_str(), &named) == 0 && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev)
		::unlink(name.c_str());
	::close(fd);
}

// The rename lasts a crash only once the folder is on the disk too.
void SyncFolder(const std::string& folder)
{
	const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0)
		return;
	::fsync(fd);
	::close(fd);
}

} // namespace

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

namespace fs = std::filesystem;

bool ReadFolderStamp(const std::string& path, FolderStamp* stamp)
{
#if defined(_WIN32)
	// A folder's write time there need not move when its entries change (it
	// does not under wine), so no listing is kept by it.
	(void)path;
	(void)stamp;
	return false;
#else
	struct stat st;
	if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
		return false;
#if defined(__APPLE__)
	const struct timespec modified = st.st_mtimespec;
	const struct timespec changed = st.st_ctimespec;
#else
	const struct timespec modified = st.st_mtim;
	const struct timespec changed = st.st_ctim;
#endif
	*stamp = FolderStamp();
	stamp->parts[0] = (unsigned long long)st.st_dev;
	stamp->parts[1] = (unsigned long long)st.st_ino;
	stamp->parts[2] = (unsigned long long)modified.tv_sec;
	stamp->parts[3] = (unsigned long long)modified.tv_nsec;
	stamp->parts[4] = (unsigned long long)changed.tv_sec;
	stamp->parts[5] = (unsigned long long)changed.tv_nsec;
	struct timespec now;
	if (::clock_gettime(CLOCK_REALTIME, &now) != 0)
		return true;
	const auto nanoseconds = [](const struct timespec& t) { return (long double)t.tv_sec * 1e9L + (long double)t.tv_nsec; };
	const long double latest = nanoseconds(modified) > nanoseconds(changed) ? nanoseconds(modified) : nanoseconds(changed);
	// Longer than the coarsest file system's time step (FAT's two seconds).
	stamp->settled = nanoseconds(now) - latest > 3e9L;
	return true;
#endif
}

const char* const kTemporaryMark = ".pulsor-tmp-";

namespace
{

std::string Reason(int error)
{
	return std::generic_category().message(error);
}

// The file a path finally names: its links followed, each relative one from
// the folder that holds it. Empty with *error set for a loop.
std::string FollowLinks(const std::string& path, int* error)
{
	fs::path at = fs::u8path(path);
	for (int hops = 0; hops < 40; ++hops)
	{
		std::error_code ec;
		if (!fs::is_symlink(fs::symlink_status(at, ec)))
			return at.u8string();
		const fs::path next = fs::read_symlink(at, ec);
		if (ec)
		{
			*error = ec.value();
			return std::string();
		}
		at = next.is_absolute() ? next : at.parent_path() / next;
	}
	*error = ELOOP;
	return std::string();
}

void RemoveStaleTemporaries(const std::string& target)
{
	const fs::path file = fs::u8path(target);
	const std::string prefix = file.filename().u8string() + kTemporaryMark;
	const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
	std::error_code ec;
	std::vector<std::string> stale;
	for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
		if (it->path().filename().u8string().compare(0, prefix.size(), prefix) == 0)
			stale.push_back(it->path().u8string());
	for (const std::string& name : stale)
		RemoveIfStale(name);
}

} // namespace

FileReplacement::~FileReplacement()
{
	Abandon();
}

bool FileReplacement::Fail(const std::string& what, int error)
{
	problem_ = error ? what + ": " + Reason(error) : what;
	Abandon();
	return false;
}

void FileReplacement::Abandon()
{
	if (fd_ >= 0)
		Close(fd_);
	fd_ = -1;
	if (!temporary_.empty())
		RemoveFile(temporary_);
	temporary_.clear();
	kept_.clear();
	stage_ = IDLE;
}

bool FileReplacement::Begin(const std::string& path)
{
	Abandon();
	problem_.clear();
	int error = 0;
	target_ = FollowLinks(path, &error);
	if (target_.empty())
		return Fail(path.empty() ? "no file name" : "cannot follow the link", error);
	std::error_code ec;
	const fs::path target = fs::u8path(target_);
	const fs::file_status status = fs::status(target, ec);
	if (fs::is_directory(status))
		return Fail("is a folder", 0);
	if (fs::exists(status) && !fs::is_regular_file(status))
	{
		fd_ = OpenThrough(target_);
		if (fd_ < 0)
			return Fail(errno == ENXIO ? "no program reads it" : "cannot open it for writing", errno == ENXIO ? 0 : errno);
		through_ = true;
		stage_ = WRITING;
		return true;
	}
	if (fs::exists(status) && fs::hard_link_count(target, ec) > 1)
		return Fail("has other hard links, which replacing it would split: write to one of them as a copy", 0);
	RemoveStaleTemporaries(target_);
	fd_ = CreateTemporaryBeside(target_, &temporary_);
	if (fd_ < 0)
		return Fail("cannot create a file beside it", errno);
	KeepAttributes(fd_, target_);
	through_ = false;
	stage_ = WRITING;
	return true;
}

bool FileReplacement::Write(const void* bytes, size_t size)
{
	if (stage_ != WRITING)
		return false;
	if (through_)
	{
		kept_.append(static_cast<const char*>(bytes), size);
		return true;
	}
	errno = 0;
	if (!WriteAll(fd_, bytes, size))
		return Fail("cannot write", errno ? errno : EIO);
	return true;
}

bool FileReplacement::Finish()
{
	if (stage_ != WRITING)
		return false;
	if (!through_)
	{
		const int fd = fd_;
		fd_ = -1;
		errno = 0;
		if (!SyncAndClose(fd))
			return Fail("cannot write", errno ? errno : EIO);
	}
	stage_ = FINISHED;
	return true;
}

bool FileReplacement::Install()
{
	if (stage_ != FINISHED)
		return false;
	if (through_)
	{
		const int fd = fd_;
		fd_ = -1;
		errno = 0;
		bool ok = WriteAll(fd, kept_.data(), kept_.size());
		int error = errno;
		errno = 0;
		if (!CloseThrough(fd) && ok)
		{
			ok = false;
			error = errno;
		}
		if (!ok)
			return Fail("cannot write", error ? error : EIO);
		kept_.clear();
		stage_ = IDLE;
		return true;
	}
	errno = 0;
	if (!RenameOver(temporary_, target_))
		return Fail("cannot replace it", errno ? errno : EIO);
	temporary_.clear();
	SyncFolder(fs::u8path(target_).parent_path().u8string());
	stage_ = IDLE;
	return true;
}

bool WriteFileWhole(const std::string& path, const void* bytes, size_t size, std::string* problem)
{
	FileReplacement file;
	if (file.Begin(path) && file.Write(bytes, size) && file.Finish() && file.Install())
		return true;
	*problem = file.Problem();
	return false;
}

bool ReadFileBounded(const std::string& path, size_t limit, std::string* bytes, std::string* problem)
{
	const fs::path file = fs::u8path(path);
	std::error_code ec;
	// A folder opens on some systems and reads as nothing.
	if (fs::is_directory(file, ec))
	{
		*problem = "is a folder";
		return false;
	}
	std::ifstream in(file, std::ios::binary);
	if (!in)
	{
		*problem = "cannot open the file";
		return false;
	}
	const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes, the most that is read";
	if (fs::is_regular_file(file, ec) && fs::file_size(file, ec) > limit && !ec)
	{
		*problem = tooLarge;
		return false;
	}
	std::string read;
	std::vector<char> chunk(64 * 1024);
	for (;;)
	{
		in.read(chunk.data(), (std::streamsize)chunk.size());
		const size_t got = (size_t)in.gcount();
		if (got > limit - read.size())
		{
			*problem = tooLarge;
			return false;
		}
		read.append(chunk.data(), got);
		if (!in)
			break;
	}
	if (in.bad())
	{
		*problem = "cannot read the file";
		return false;
	}
	bytes->swap(read);
	return true;
}

bool SameFile(const std::string& a, const std::string& b)
{
	std::error_code ec;
	return fs::equivalent(fs::u8path(a), fs::u8path(b), ec) && !ec;
}

} // namespace platform
