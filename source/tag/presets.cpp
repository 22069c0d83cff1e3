// Presets: files named <preset name>HF in the preset folder.
#include "editing.h"
#include "pulsor.h"

namespace
{

// Preset files end in these two letters, with no dot before them.
const CHAR* const kPresetSuffix = "HF";
const LONG kPresetSuffixLength = 2;

} // namespace

BaseContainer Pulsor::RefreshList(Filename folder)
{
	BaseContainer list;
	// The directory part of folder + " " is the folder itself, with any
	// trailing separator gone.
	folder += Filename(" ");
	const Filename directory = folder.GetDirectory();

	AutoAlloc<BrowseFiles> browse;
	if (!browse)
		return list;
	browse->Init(directory, 0);
	LONG next = 0;
	while (browse->GetNext())
	{
		const String name = browse->GetFilename().GetString();
		const LONG length = name.GetLength();
		if (length < kPresetSuffixLength + 1)
			continue;
		if (name.Right(kPresetSuffixLength) != kPresetSuffix)
			continue;
		list.SetString(next++, name.Left(length - kPresetSuffixLength));
	}
	return list;
}

Bool PresetCommand(Pulsor* pulsor, BaseTag* tag, BaseContainer* data, LONG id)
{
	(void)pulsor;
	(void)tag;
	(void)data;
	(void)id;
	return TRUE;
}
