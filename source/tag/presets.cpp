// Presets: files named <preset name>HF in the preset folder.
#include "editing.h"
#include "pulsor.h"

namespace
{

// Preset files end in these two letters, with no dot before them.
const CHAR* const kPresetSuffix = PULSOR_PRESET_SUFFIX;
const LONG kPresetSuffixLength = sizeof(PULSOR_PRESET_SUFFIX) - 1;

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

namespace
{

const LONG kPresetIdent = PULSOR_PRESET_IDENT;
// A preset file carries the saving tag's name under this id.
const LONG kPresetTagName = ID_BASELIST_NAME;
// The tag's own preset entries stay out of its presets.
const LONG kPresetEntriesFirst = 5000;
const LONG kPresetEntriesLast = 5099;

// A preset name must name a file inside the preset folder: no separators, no
// "." or "..", and not empty (the file "HF" would never be listed).
bool IsPresetName(const String& name)
{
	if (!name.Content() || name == "." || name == "..")
		return false;
	LONG at = -1;
	return !name.FindFirst('/', &at) && !name.FindFirst('\\', &at) && !name.FindFirst(':', &at);
}

Filename PresetFile(const Filename& folder, const String& name)
{
	Filename file = folder;
	file += Filename(name + String(kPresetSuffix));
	return file;
}

void SavePreset(BaseTag* tag, const BaseContainer& data, const Filename& file)
{
	BaseContainer preset;
	data.CopyTo(&preset, COPYFLAGS_0, nullptr);
	for (LONG i = 0;;)
	{
		const LONG id = preset.GetIndexId(i);
		if (!preset.GetIndexData(i))
			break;
		if (id >= kPresetEntriesFirst && id <= kPresetEntriesLast)
			preset.RemoveData(id);
		else
			++i;
	}
	preset.SetString(kPresetTagName, tag->GetName());
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(kPresetIdent, file, FILEOPEN_WRITE, FILEDIALOG_IGNOREOPEN))
		return;
	hf->WriteContainer(preset);
	hf->Close();
}

// A file that does not read back whole changes nothing in the tag.
void LoadPreset(BaseTag* tag, BaseContainer* data, const Filename& file)
{
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(kPresetIdent, file, FILEOPEN_READ, FILEDIALOG_IGNOREOPEN))
		return;
	BaseContainer preset;
	const Bool read = hf->ReadContainer(&preset, TRUE);
	hf->Close();
	if (!read)
		return;
	data->MergeContainer(preset);
	tag->SetName(preset.GetString(kPresetTagName));
}

} // namespace

Bool PresetCommand(Pulsor* pulsor, BaseTag* tag, BaseContainer* data, LONG id)
{
	const Filename folder(data->GetString(PULSOR_PRESET_FOLDER));
	const String name = data->GetString(PULSOR_PRESET_NAME);
	switch (id)
	{
		case PULSOR_PRESET_BROWSE:
		{
			// A cancelled dialog keeps the folder: an empty one would send the
			// next save into the working directory.
			Filename chosen;
			if (!chosen.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_DIRECTORY, "Select save and load location"))
				break;
			data->SetString(PULSOR_PRESET_FOLDER, chosen.GetString());
			data->SetContainer(PULSOR_PRESET_LIST, pulsor->RefreshList(chosen));
			break;
		}
		case PULSOR_PRESET_SAVE:
			if (IsPresetName(name))
				SavePreset(tag, *data, PresetFile(folder, name));
			data->SetContainer(PULSOR_PRESET_LIST, pulsor->RefreshList(folder));
			break;
		case PULSOR_PRESET_LOAD:
			if (IsPresetName(name))
				LoadPreset(tag, data, PresetFile(folder, name));
			break;
		case PULSOR_PRESET_REFRESH:
			data->SetContainer(PULSOR_PRESET_LIST, pulsor->RefreshList(folder));
			break;
		default:
			break;
	}
	return TRUE;
}
