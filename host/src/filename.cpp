#include "c4d_file.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "host_services.h"
#include "host_string.h"
#include "platform.h"

namespace
{

#ifdef _WIN32
bool IsSeparator(char c) { return c == '/' || c == '\\'; }
const char kSeparator = '\\';
#else
bool IsSeparator(char c) { return c == '/'; }
const char kSeparator = '/';
#endif

// Index of the separator before the last component, or npos.
size_t LastSeparator(const std::string& p)
{
	for (size_t i = p.size(); i-- > 0;)
		if (IsSeparator(p[i]))
			return i;
	return std::string::npos;
}

} // namespace

Filename& Filename::operator+=(const Filename& component)
{
	const std::string& a = path_.GetStdString();
	const std::string& b = component.path_.GetStdString();
	if (a.empty())
	{
		path_ = component.path_;
		return *this;
	}
	if (b.empty())
		return *this;
	std::string joined = a;
	if (!IsSeparator(joined.back()))
		joined += kSeparator;
	joined += b;
	path_ = HostString(joined);
	return *this;
}

Filename Filename::GetDirectory() const
{
	const std::string& p = path_.GetStdString();
	const size_t sep = LastSeparator(p);
	if (sep == std::string::npos)
		return Filename();
	if (sep == 0)
		return Filename(HostString(p.substr(0, 1)));
#ifdef _WIN32
	// The folder of "C:\x" is the drive's root "C:\" rather than "C:",
	// which names the current folder of that drive.
	if (sep == 2 && p[1] == ':')
		return Filename(HostString(p.substr(0, 3)));
#endif
	return Filename(HostString(p.substr(0, sep)));
}

Filename Filename::GetFile() const
{
	const std::string& p = path_.GetStdString();
	const size_t sep = LastSeparator(p);
	return Filename(HostString(sep == std::string::npos ? p : p.substr(sep + 1)));
}

String Filename::GetSuffix() const
{
	const std::string file = GetFile().GetString().GetStdString();
	const size_t dot = file.rfind('.');
	return dot == std::string::npos ? String() : HostString(file.substr(dot + 1));
}

Bool Filename::FileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title, const String& force_suffix)
{
	String chosen;
	const Bool ok = HostFileSelect(type, flags, title, force_suffix, &chosen);
	path_ = ok ? chosen : String();
	return ok;
}

using FolderListing = std::vector<std::pair<std::string, bool>>;

namespace
{

// A scene of thousands of tags lists the same folder once for each tag it
// makes, and a scan costs several system calls; looking at the folder's
// times is one. Any change to a folder's entries moves them on, so a listing
// is reused while they stand still. A change within the same tick of the
// file system's clock as the scan could leave them where they were, so a
// folder changed shortly before its scan is not kept (FolderStamp::settled):
// its next listing scans again. Only absolute paths are kept, so that a
// change of the working folder cannot make one path name another folder.
class ListingCache
{
public:
	static ListingCache& Instance()
	{
		static ListingCache cache;
		return cache;
	}

	// stamp is what the folder shows now, to keep a scan made after it by.
	bool Find(const std::string& folder, const platform::FolderStamp& stamp, FolderListing* entries)
	{
		const std::lock_guard<std::mutex> lock(mutex_);
		for (const Kept& kept : kept_)
			if (kept.folder == folder && kept.stamp == stamp)
			{
				*entries = kept.entries;
				return true;
			}
		return false;
	}

	// stamp is the folder's as read before the scan, so that a change
	// during the scan shows at the next look.
	void Keep(const std::string& folder, const platform::FolderStamp& stamp, const FolderListing& entries)
	{
		if (!stamp.settled)
			return;
		const std::lock_guard<std::mutex> lock(mutex_);
		for (Kept& kept : kept_)
			if (kept.folder == folder)
			{
				kept.stamp = stamp;
				kept.entries = entries;
				return;
			}
		if (kept_.size() >= kMaxFolders)
			kept_.erase(kept_.begin());
		kept_.push_back(Kept{ folder, stamp, entries });
	}

private:
	// A few preset folders at a time; more only cost a scan each.
	static constexpr size_t kMaxFolders = 8;

	struct Kept
	{
		std::string folder;
		platform::FolderStamp stamp;
		FolderListing entries;
	};
	std::mutex mutex_;
	std::vector<Kept> kept_;
};

} // namespace

struct BrowseFiles::Impl
{
	FolderListing entries;
	size_t next = 0;
	bool started = false;
};

BrowseFiles::BrowseFiles() : impl_(new Impl) {}

BrowseFiles::~BrowseFiles()
{
	delete impl_;
}

BrowseFiles* BrowseFiles::Alloc()
{
	return new BrowseFiles;
}

void BrowseFiles::Free(BrowseFiles*& bf)
{
	delete bf;
	bf = nullptr;
}

void BrowseFiles::Init(const Filename& directory, LONG flags)
{
	(void)flags;
	impl_->entries.clear();
	impl_->next = 0;
	impl_->started = false;
	const std::string& dir = directory.GetString().GetStdString();
	if (dir.empty())
		return;
	const std::filesystem::path folder = std::filesystem::u8path(dir);
	platform::FolderStamp stamp;
	const bool stamped = folder.is_absolute() && platform::ReadFolderStamp(dir, &stamp);
	ListingCache& cache = ListingCache::Instance();
	if (stamped && cache.Find(dir, stamp, &impl_->entries))
		return;
	std::error_code ec;
	std::filesystem::directory_iterator it(folder, ec), end;
	if (ec)
		return;
	for (; !ec && it != end; it.increment(ec))
	{
		std::error_code typeError;
		const bool isDir = it->is_directory(typeError);
		impl_->entries.emplace_back(it->path().filename().u8string(), isDir);
	}
	// The file system's own order differs between machines; name order keeps
	// every listing the same everywhere.
	std::sort(impl_->entries.begin(), impl_->entries.end());
	// A scan that broke off is not kept.
	if (stamped && !ec)
		cache.Keep(dir, stamp, impl_->entries);
}

Bool BrowseFiles::GetNext()
{
	if (impl_->started)
		++impl_->next;
	impl_->started = true;
	return impl_->next < impl_->entries.size();
}

Filename BrowseFiles::GetFilename() const
{
	if (!impl_->started || impl_->next >= impl_->entries.size())
		return Filename();
	return Filename(HostString(impl_->entries[impl_->next].first));
}

Bool BrowseFiles::IsDir() const
{
	if (!impl_->started || impl_->next >= impl_->entries.size())
		return FALSE;
	return impl_->entries[impl_->next].second;
}
