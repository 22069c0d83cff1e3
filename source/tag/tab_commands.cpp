// The buttons of a modifier tab, and matching a time range to the document.
#include "commands.h"
#include "tab_list.h"
#include "undo_group.h"

#include <vector>

namespace
{

void StoreTabList(MessageContext& c, const TabList& tabs)
{
	tabs.WriteTo(&c.tabList);
	c.data->SetContainer(PULSOR_TAB_LIST, c.tabList);
}

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

} // namespace

void MatchTimeline(MessageContext& c, LONG startId, LONG endId, UNDOTYPE undoType)
{
	UndoGroup undo(c.doc);
	c.doc->AddUndo(undoType, c.tag);
	const BaseContainer settings = c.doc->GetData(DOCUMENTSETTINGS_GENERAL);
	c.data->SetTime(startId, settings.GetTime(DOCUMENT_MINTIME));
	c.data->SetTime(endId, settings.GetTime(DOCUMENT_MAXTIME));
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
				MatchTimeline(c, field.base + PULSOR_TAB_START_TIME, field.base + PULSOR_TAB_END_TIME, UNDOTYPE_CHANGE);
			break;
		case PULSOR_TAB_DUPLICATE:
			if (validNumber)
				DuplicateTab(c, tabs, field.base);
			break;
		default:
			break;
	}
}
