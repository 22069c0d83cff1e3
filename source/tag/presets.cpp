// Presets: files named <preset name>HF in the preset folder.
#include "pulsor.h"

namespace
{

// Preset files end in these two letters, with no dot before them.
const CHAR* const kPresetSuffix = "HF";
const LONG kPresetSuffixLength = 2;

// Frees the directory iterator on every path.
class ScopedBrowse
{
public:
	ScopedBrowse() : browse_(BrowseFiles::Alloc()) {}
	~ScopedBrowse() { BrowseFiles::Free(browse_); }
	BrowseFiles* Get() const { return browse_; }

private:
	ScopedBrowse(const ScopedBrowse&);
	ScopedBrowse& operator=(const ScopedBrowse&);
	BrowseFiles* browse_;
};

} // namespace

BaseContainer Pulsor::RefreshList(Filename folder)
{
	BaseContainer list;
	// The directory part of folder + " " is the folder itself, with any
	// trailing separator gone.
	folder += Filename(" ");
	const Filename directory = folder.GetDirectory();

	ScopedBrowse browse;
	if (!browse.Get())
		return list;
	browse.Get()->Init(directory, 0);
	LONG next = 0;
	while (browse.Get()->GetNext())
	{
		const String name = browse.Get()->GetFilename().GetString();
		const LONG length = name.GetLength();
		if (length < kPresetSuffixLength + 1)
			continue;
		if (name.Right(kPresetSuffixLength) != kPresetSuffix)
			continue;
		list.SetString(next++, name.Left(length - kPresetSuffixLength));
	}
	return list;
}
