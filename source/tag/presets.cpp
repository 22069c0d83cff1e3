// Presets: files named <preset name>HF in the preset folder.
#include "commands.h"
#include "pulsor.h"
#include "undo_group.h"

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
bool IsPresetEntry(LONG id)
{
	return id >= PULSOR_PRESET_ENTRIES_FIRST && id <= PULSOR_PRESET_ENTRIES_LAST;
}

// Every entry of the tag's own preset range goes from preset.
void RemovePresetEntries(BaseContainer* preset)
{
	for (LONG i = 0;;)
	{
		const LONG id = preset->GetIndexId(i);
		if (!preset->GetIndexData(i))
			break;
		if (IsPresetEntry(id))
			preset->RemoveData(id);
		else
			++i;
	}
}

bool IsControlCharacter(CHAR ch)
{
	const unsigned char c = (unsigned char)ch;
	return c < 32 || c == 127;
}

// The names Windows keeps for its devices, whatever follows a dot.
bool IsReservedDeviceName(const String& name)
{
	LONG dot = -1;
	String stem = name.FindFirst('.', &dot) ? name.Left(dot) : name;
	// Windows ignores spaces before the dot too: "NUL .txt" is the device.
	while (stem.GetLength() > 0 && stem[stem.GetLength() - 1] == ' ')
		stem = stem.Left(stem.GetLength() - 1);
	stem = stem.ToUpper();
	if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
		return true;
	if (stem.GetLength() != 4 || stem[3] < '1' || stem[3] > '9')
		return false;
	const String prefix = stem.Left(3);
	return prefix == "COM" || prefix == "LPT";
}

// A preset name must name a file inside the preset folder, and the same file
// on every system, so that presets travel between machines: no separators,
// not "." or "..", not empty (the file "HF" would never be listed), none of
// the characters or device names Windows refuses, no control characters (a
// newline among them), and no trailing dot or space, which Windows strips
// from names it is given.
bool IsPresetName(const String& name)
{
	const LONG length = name.GetLength();
	if (length == 0 || name == "." || name == "..")
		return false;
	for (LONG i = 0; i < length; ++i)
	{
		const CHAR ch = name[i];
		if (IsControlCharacter(ch))
			return false;
		switch (ch)
		{
			case '/': case '\\': case ':': case '*': case '?': case '<': case '>': case '|': case '"':
				return false;
			default:
				break;
		}
	}
	const CHAR last = name[length - 1];
	if (last == '.' || last == ' ')
		return false;
	return !IsReservedDeviceName(name);
}

Filename PresetFile(const Filename& folder, const String& name)
{
	Filename file = folder;
	file += Filename(name + String(kPresetSuffix));
	return file;
}

// FALSE when the file was not written whole: a container the writer refuses
// never reaches the file, and the file is then abandoned, not closed, so an
// earlier preset of that name stays as it was.
bool SavePreset(BaseTag* tag, const BaseContainer& data, const Filename& file)
{
	BaseContainer preset;
	data.CopyTo(&preset, COPYFLAGS_0, nullptr);
	RemovePresetEntries(&preset);
	preset.SetString(kPresetTagName, tag->GetName());
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(kPresetIdent, file, FILEOPEN_WRITE, FILEDIALOG_IGNOREOPEN))
		return false;
	if (!hf->WriteContainer(preset))
		return false;
	return hf->Close() != FALSE;
}

// A file that does not read back whole changes nothing in the tag. The file's
// own preset entries are left out: a shared preset must not choose the
// folder or name of the tag's next save, nor its list. A loaded preset is one
// undo step.
bool LoadPreset(BaseTag* tag, BaseContainer* data, const Filename& file)
{
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(kPresetIdent, file, FILEOPEN_READ, FILEDIALOG_IGNOREOPEN))
		return false;
	BaseContainer preset;
	const Bool read = hf->ReadContainer(&preset, TRUE);
	hf->Close();
	if (!read)
		return false;
	RemovePresetEntries(&preset);
	// A name that is not text names nothing: the tag keeps its own.
	const bool named = preset.GetType(kPresetTagName) == DA_STRING;
	if (!named)
		preset.RemoveData(kPresetTagName);
	BaseDocument* doc = tag->GetDocument();
	if (!doc)
		return false;
	UndoGroup undo(doc);
	doc->AddUndo(UNDOTYPE_CHANGE, tag);
	data->MergeContainer(preset);
	if (named)
		tag->SetName(preset.GetString(kPresetTagName));
	return true;
}

} // namespace

Bool PresetCommand(MessageContext& c, LONG id)
{
	Pulsor* pulsor = c.pulsor;
	BaseTag* tag = c.tag;
	BaseContainer* data = c.data;
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
