// Editing operations: the message hook, the tab commands, the follow-ups of
// edits, the help bitmaps and the tag's icon.
#include "editing.h"

#include "pulsor.h"
#include "tab_list.h"

#include <vector>

namespace
{

// ---- Shared state of one message -------------------------------------------

// What every handler works from: the live container, and copies of the tab
// list and the curve library as they were when the message arrived.
struct MessageContext
{
	Pulsor* pulsor;
	BaseTag* tag;
	BaseContainer* data;
	BaseDocument* doc;
	LONG addModifier;
	BaseContainer tabList;
	BaseContainer library;
};

// The library curve each strength mode copies into a tab's strength curve;
// the last mode ("Custom") keeps the user's own curve.
const LONG kStrengthModeCurve[] = {
	PULSOR_CURVE_CONSTANT,      // Full Power
	PULSOR_CURVE_LINEAR,        // Fade Up
	PULSOR_CURVE_FADE_DOWN,
	PULSOR_CURVE_EASE_IN,
	PULSOR_CURVE_EASE_OUT,
	PULSOR_CURVE_EASE_IN_OUT,
};
const LONG kCustomStrengthMode = 6;
static_assert(sizeof(kStrengthModeCurve) / sizeof(kStrengthModeCurve[0]) == kCustomStrengthMode, "one curve per preset mode");

// A name ending in a space and an integer ("Noise 3"): the position of that
// space, else -1.
LONG NumberedSuffixStart(const String& name)
{
	LONG space = -1;
	if (!name.FindLast(' ', &space))
		return -1;
	Bool error = FALSE;
	name.SubStr(space, -1).ToLong(&error);
	return error ? -1 : space;
}

BaseTime DocumentMinTime(const BaseDocument& doc)
{
	return doc.GetData(DOCUMENTSETTINGS_GENERAL).GetTime(DOCUMENT_MINTIME);
}

BaseTime DocumentMaxTime(const BaseDocument& doc)
{
	return doc.GetData(DOCUMENTSETTINGS_GENERAL).GetTime(DOCUMENT_MAXTIME);
}

void StoreTabList(MessageContext& c, const TabList& tabs)
{
	tabs.WriteTo(&c.tabList);
	c.data->SetContainer(PULSOR_TAB_LIST, c.tabList);
}

// ---- Start-up settings ------------------------------------------------------

Bool StartupSettings(Pulsor* pulsor, BaseContainer* data)
{
	data->SetString(PULSOR_PRESET_FOLDER, DefaultPresetFolder().GetString());
	if (data->GetReal(PULSOR_DATA_VERSION, PULSOR_CURRENT_VERSION) != PULSOR_CURRENT_VERSION)
		pulsor->UpdatePulsor(data);
	return TRUE;
}

// ---- Tab commands -----------------------------------------------------------

void DeleteTab(MessageContext& c, TabList& tabs, LONG position)
{
	UndoGroup undo(c.doc);
	c.doc->AddUndo(UNDOTYPE_CHANGE, c.tag);
	tabs.Remove(position);
	StoreTabList(c, tabs);
	// Marks the end of the list, where the last number stood.
	c.tabList.SetLong(PULSOR_TAB_LIST_FIRST + tabs.GetCount(), -1);
	c.data->SetContainer(PULSOR_TAB_LIST, c.tabList);
}

void MoveTab(MessageContext& c, TabList& tabs, LONG position, LONG to)
{
	UndoGroup undo(c.doc);
	c.doc->AddUndo(UNDOTYPE_CHANGE, c.tag);
	tabs.Swap(position, to);
	StoreTabList(c, tabs);
}

void MatchTabTimeline(MessageContext& c, LONG base)
{
	UndoGroup undo(c.doc);
	c.doc->AddUndo(UNDOTYPE_CHANGE, c.tag);
	c.data->SetTime(base + PULSOR_TAB_START_TIME, DocumentMinTime(*c.doc));
	c.data->SetTime(base + PULSOR_TAB_END_TIME, DocumentMaxTime(*c.doc));
}

// The copy's name: a name ending in " <number>" counts on from its stem, a
// name that is a number counts from 2 with no stem.
String DuplicateName(const String& name, const std::set<String>& taken)
{
	const LONG suffix = NumberedSuffixStart(name);
	if (suffix >= 0)
		return FirstFreeName(name.Left(suffix), " ", 1, taken);
	Bool error = FALSE;
	name.ToLong(&error);
	if (!error)
		return FirstFreeName(String(), String(), 2, taken);
	return FirstFreeName(name, " ", 1, taken);
}

// Removes every entry of the tab block at base, as far as a copy reaches.
void ClearTabBlock(BaseContainer* data, LONG base)
{
	std::vector<LONG> stale;
	for (LONG i = 0; data->GetIndexData(i); ++i)
	{
		const LONG id = data->GetIndexId(i);
		if (id >= base + PULSOR_TAB_FIRST_OFFSET && id < base + PULSOR_TAB_STRIDE)
			stale.push_back(id);
	}
	for (LONG id : stale)
		data->RemoveData(id);
}

void DuplicateTab(MessageContext& c, TabList& tabs, LONG base)
{
	const LONG copy = tabs.FirstFreeNumber(1);
	if (copy < 0)
		return;
	UndoGroup undo(c.doc);
	c.doc->AddUndo(UNDOTYPE_CHANGE_SMALL, c.tag);
	const std::set<String> taken = TabNames(*c.data, tabs);
	const LONG copyBase = TabBase(copy);
	tabs.Append(copy);
	// A freed number keeps the fields of the tab that had it, and the copy
	// below skips what the source lacks: without this a stale "Uniform" or
	// display would survive in the copy.
	ClearTabBlock(c.data, copyBase);
	// Through the parameter interface, so that the tag's hooks see each value.
	// The help icon is left out: writing it would open its web page.
	for (LONG offset = PULSOR_TAB_FIRST_OFFSET; offset < PULSOR_TAB_STRIDE; ++offset)
	{
		if (offset == PULSOR_TAB_HELP)
			continue;
		GeData value;
		c.tag->GetParameter(DescID(base + offset), value, DESCFLAGS_GET_0);
		c.tag->SetParameter(DescID(copyBase + offset), value, DESCFLAGS_SET_0);
	}
	StoreTabList(c, tabs);
	c.data->SetString(copyBase + PULSOR_TAB_NAME, DuplicateName(c.data->GetString(base + PULSOR_TAB_NAME), taken));
}

void TabCommand(MessageContext& c, const TabField& field)
{
	TabList tabs(c.tabList);
	const LONG position = tabs.IndexOf(field.number);
	const bool validNumber = field.number >= 1 && field.number <= PULSOR_MAX_TAB_NUMBER;
	switch (field.offset)
	{
		case PULSOR_TAB_DELETE:
			if (position >= 0)
				DeleteTab(c, tabs, position);
			break;
		case PULSOR_TAB_MOVE_UP:
			if (position > 0 && tabs.GetCount() > 1)
				MoveTab(c, tabs, position, position - 1);
			break;
		case PULSOR_TAB_MOVE_DOWN:
			if (position >= 0 && position + 1 < tabs.GetCount())
				MoveTab(c, tabs, position, position + 1);
			break;
		case PULSOR_TAB_MATCH_TIMELINE:
			if (validNumber)
				MatchTabTimeline(c, field.base);
			break;
		case PULSOR_TAB_DUPLICATE:
			if (validNumber)
				DuplicateTab(c, tabs, field.base);
			break;
		default:
			break;
	}
}

Bool Command(MessageContext& c, const DescriptionCommand* command)
{
	if (!command)
		return TRUE;
	const LONG id = command->id[0].id;
	TabField field;
	if (DecodeTabId(id, &field))
	{
		TabCommand(c, field);
		c.tag->SetDirty(DIRTYFLAGS_DESCRIPTION);
		return TRUE;
	}
	switch (id)
	{
		case PULSOR_MATCH_TIMELINE:
		{
			UndoGroup undo(c.doc);
			c.doc->AddUndo(UNDOTYPE_CHANGE_SMALL, c.tag);
			c.data->SetTime(PULSOR_START_TIME, DocumentMinTime(*c.doc));
			c.data->SetTime(PULSOR_END_TIME, DocumentMaxTime(*c.doc));
			break;
		}
		case PULSOR_REBUILD_LABELS:
			c.pulsor->UpdatePulsor(c.data);
			break;
		case PULSOR_CONVERT_TO_KEYS:
		case PULSOR_BAKE_DIRECT:
		case PULSOR_CLEAR_KEYS:
		case PULSOR_CLEAR_KEYS_NO_UNDO:
			return KeyframeCommand(c.pulsor, c.tag, c.data, c.doc, id);
		default:
			if (id >= PULSOR_PRESET_FIRST_COMMAND && id <= PULSOR_PRESET_LAST_COMMAND)
				return PresetCommand(c.pulsor, c.tag, c.data, id);
			break;
	}
	return TRUE;
}

// ---- Follow-ups of edits ----------------------------------------------------

void RenameAfterTypeChange(MessageContext& c, const BaseContainer& typeNames, LONG base)
{
	GeData nameValue;
	GeData typeValue;
	c.tag->GetParameter(DescID(base + PULSOR_TAB_NAME), nameValue, DESCFLAGS_GET_0);
	c.tag->GetParameter(DescID(base + PULSOR_TAB_TYPE), typeValue, DESCFLAGS_GET_0);
	const LONG type = typeValue.GetLong();
	const String typeName = typeNames.GetString(type, "Missing");

	// A waveform needs a period; only Noise runs without one.
	if (type != PULSOR_MOD_NOISE && c.data->GetTime(base + PULSOR_TAB_LOOP_POINT).Get() == 0.0)
		c.data->SetTime(base + PULSOR_TAB_LOOP_POINT, BaseTime(3.0));

	String name = nameValue.GetString();
	const LONG suffix = NumberedSuffixStart(name);
	if (suffix >= 0)
		name = name.Left(suffix);

	for (LONG i = 0; i <= PULSOR_TYPE_NAME_BASE; ++i)
	{
		if (name != typeNames.GetString(i, "missing"))
			continue;
		// A default name follows the new type.
		const String renamed = FirstFreeName(typeName, " ", 1, TabNames(*c.data, TabList(c.tabList)));
		c.tag->SetParameter(DescID(base + PULSOR_TAB_NAME), GeData(renamed), DESCFLAGS_SET_0);
		return;
	}
	c.tag->SetParameter(DescID(base + PULSOR_TAB_NAME), GeData(name), DESCFLAGS_SET_0);
}

Bool PostSet(MessageContext& c, const DescriptionPostSetValue* set)
{
	const BaseContainer typeNames = c.data->GetContainer(PULSOR_TYPE_NAMES);
	if (c.addModifier != PULSOR_MOD_NONE)
	{
		c.data->SetLong(PULSOR_ADD_MODIFIER, PULSOR_MOD_NONE);
		c.doc->AddUndo(UNDOTYPE_CHANGE_SMALL, c.tag);
		c.pulsor->AddTab(c.data, c.tag, c.addModifier);
	}
	if (!set || !set->descid)
		return TRUE;

	const LONG id = (*set->descid)[0].id;
	if (id == PULSOR_PRESET_CHOICE)
	{
		const BaseContainer list = c.data->GetContainer(PULSOR_PRESET_LIST);
		c.data->SetString(PULSOR_PRESET_NAME, list.GetString(c.data->GetLong(PULSOR_PRESET_CHOICE, 0)));
		return TRUE;
	}
	TabField field;
	if (!DecodeTabId(id, &field))
		return TRUE;
	const LONG b = field.base;
	switch (field.offset)
	{
		case PULSOR_TAB_TYPE:
			RenameAfterTypeChange(c, typeNames, b);
			break;
		case PULSOR_TAB_NAME:
			if (!c.data->GetString(b + PULSOR_TAB_NAME).Content())
				c.data->SetString(b + PULSOR_TAB_NAME, "?");
			break;
		case PULSOR_TAB_STRENGTH_MODE:
		{
			const LONG mode = c.data->GetLong(b + PULSOR_TAB_STRENGTH_MODE);
			if (mode < 0 || mode >= kCustomStrengthMode)
				break;
			const GeData& curve = c.library.GetData(kStrengthModeCurve[mode]);
			if (curve.GetType() == CUSTOMDATATYPE_SPLINE)
				c.data->SetData(b + PULSOR_TAB_STRENGTH_CURVE, curve);
			break;
		}
		case PULSOR_TAB_STRENGTH_CURVE:
			c.data->SetLong(b + PULSOR_TAB_STRENGTH_MODE, kCustomStrengthMode);
			break;
		default:
			break;
	}
	return TRUE;
}

// ---- Drop check, help bitmaps, icon -----------------------------------------

Bool CheckDrop(MessageContext& c, DescriptionCheckDragAndDrop* check)
{
	// A tag cannot be its own linked element.
	if (check && check->id[0].id == PULSOR_LINK && check->element == c.tag)
		check->result = FALSE;
	return TRUE;
}

bool IsHelpIcon(LONG id)
{
	TabField field;
	return id == PULSOR_HELP_BASE || id == PULSOR_HELP_OUTPUT || (DecodeTabId(id, &field) && field.offset == PULSOR_TAB_HELP);
}

Bool HelpBitmap(MessageContext& c, DescriptionGetBitmap* request)
{
	if (request && IsHelpIcon(request->id[0].id))
	{
		BaseBitmap* bmp = BaseBitmap::Alloc();
		if (bmp)
		{
			// A missing file leaves an empty bitmap; the host shows that.
			bmp->Init(ResourceFile("HelpIcon.tif"), -1);
			request->bmp = bmp;
		}
	}
	return StartupSettings(c.pulsor, c.data);
}

Bool LoadImage(BaseBitmap* bmp, const CHAR* resource)
{
	return bmp && bmp->Init(ResourceFile(resource), -1) == IMAGERESULT_OK;
}

const LONG kIconCell = 64;
const LONG kGlyphCell = 40;
const LONG kOtherGlyph = 36;

// The icon strip's cell for each icon kind.
LONG IconCell(LONG kind)
{
	switch (kind)
	{
		case 0: return 6;
		case 2: return 1;
		case 3: return 2;
		case 4: return 3;
		default: return 0;
	}
}

LONG GlyphOf(const String& text)
{
	if (!text.Content())
		return kOtherGlyph;
	const CHAR ch = text.Left(1).ToUpper()[0];
	if (ch >= 'A' && ch <= 'Z')
		return ch - 'A';
	if (ch >= '0' && ch <= '9')
		return 26 + (ch - '0');
	return kOtherGlyph;
}

// Draws the glyph for the linked parameter's name into the icon's cell.
Bool DrawGlyph(MessageContext& c, BaseBitmap* strip, LONG x0)
{
	AutoAlloc<BaseBitmap> glyphs;
	if (!LoadImage(glyphs, "texticons.tif"))
		return FALSE;
	GeData description;
	c.tag->GetParameter(DescID(PULSOR_LINK_DESCRIPTION), description, DESCFLAGS_GET_0);
	const BaseContainer* settings = description.GetContainer();
	String text = settings ? settings->GetString(DESC_SHORT_NAME) : String();
	if (!text.Content() && settings)
		text = settings->GetString(DESC_NAME);
	const LONG g = GlyphOf(text);
	BaseBitmap* alpha = strip->GetInternalChannel();
	for (LONG y = 0; y < kGlyphCell; ++y)
	{
		for (LONG x = 0; x < kGlyphCell; ++x)
		{
			UWORD r = 0, gr = 0, b = 0;
			glyphs->GetPixel(kGlyphCell * g + x, y, &r, &gr, &b);
			if (r == 255 && gr == 0 && b == 255)
				continue;
			if (alpha)
				strip->SetAlphaPixel(alpha, x, y, 255);
			strip->SetPixel(x0 + x, y, r, gr, b);
		}
	}
	return TRUE;
}

Bool CustomIcon(MessageContext& c, GetCustomIconData* request)
{
	if (!request)
		return TRUE;
	const LONG kind = c.data->GetLong(PULSOR_ICON_KIND, 0);
	const LONG x0 = kIconCell * IconCell(kind);
	UnregisterIcon(PULSOR_ICON_ID);
	AutoAlloc<BaseBitmap> strip;
	if (!LoadImage(strip, "pulsorIcons.tif"))
		return TRUE;
	if (kind == 7 && !DrawGlyph(c, strip, x0))
		return TRUE;
	// A strip too small for the cell (a damaged resource) supplies no icon
	// rather than an empty one.
	if (!RegisterIcon(PULSOR_ICON_ID, strip, x0, 0, kIconCell, kIconCell, ICONFLAG_COPY))
		return TRUE;
	if (request->dat && GetIcon(PULSOR_ICON_ID, request->dat))
		request->filled = TRUE;
	return TRUE;
}

} // namespace

// ---- Shared pieces ----------------------------------------------------------

BaseList2D* LinkedElement(const BaseContainer& data, BaseTag* tag, BaseDocument* doc)
{
	if (data.GetLong(PULSOR_LINK_CLASS, PULSOR_LINK_CLASS_OWN_OBJECT) == PULSOR_LINK_CLASS_OWN_OBJECT)
		return tag->GetObject();
	return data.GetLink(PULSOR_LINK, doc);
}

const DescID* LinkedParameter(const BaseContainer& data)
{
	const DescID* id = static_cast<const DescID*>(data.GetCustomDataType(PULSOR_LINK_DESCID, CUSTOMDATATYPE_DESCID));
	if (!id || id->GetDepth() < 1 || (*id)[0].id == 0)
		return nullptr;
	return id;
}

Filename ResourceFile(const CHAR* name)
{
	Filename file = GeGetPluginPath();
	file += Filename("res");
	file += Filename(name);
	return file;
}

Filename DefaultPresetFolder()
{
	return ResourceFile("Presets");
}

// ---- The hook ---------------------------------------------------------------

Bool Pulsor::Message(GeListNode* node, LONG type, void* data)
{
	BaseTag* tag = static_cast<BaseTag*>(node);
	if (!tag)
		return TRUE;
	BaseContainer* bc = tag->GetDataInstance();
	MessageContext c = { this, tag, bc, tag->GetDocument(), bc->GetLong(PULSOR_ADD_MODIFIER, 0),
		bc->GetContainer(PULSOR_TAB_LIST), bc->GetContainer(PULSOR_CURVE_LIBRARY) };
	if (!c.doc)
		return TRUE;

	switch (type)
	{
		case MSG_MENUPREPARE: return StartupSettings(this, bc);
		case MSG_DESCRIPTION_COMMAND: return Command(c, static_cast<DescriptionCommand*>(data));
		case MSG_DESCRIPTION_POSTSETPARAMETER: return PostSet(c, static_cast<DescriptionPostSetValue*>(data));
		case MSG_DESCRIPTION_CHECKDRAGANDDROP: return CheckDrop(c, static_cast<DescriptionCheckDragAndDrop*>(data));
		case MSG_DESCRIPTION_GETBITMAP: return HelpBitmap(c, static_cast<DescriptionGetBitmap*>(data));
		case MSG_GETCUSTOMICON: return CustomIcon(c, static_cast<GetCustomIconData*>(data));
		case MSG_DRAGANDDROP:
		{
			DragAndDrop* drop = static_cast<DragAndDrop*>(data);
			if (!drop)
				return TRUE;
			if (drop->type == DRAGTYPE_DESCID)
				return HandleParameterDrop(this, tag, bc, c.doc, drop);
			return StartupSettings(this, bc);
		}
		default:
			return TRUE;
	}
}
