#include "tag_edits.h"

#include <algorithm>
#include <set>

#include "host_string.h"
#include "pulsor_ids.h"

void PressButton(BaseTag* tag, LONG id)
{
	DescriptionCommand command = { DescID(id) };
	tag->Message(MSG_DESCRIPTION_COMMAND, &command);
}

void SetEntry(BaseTag* tag, LONG id, const GeData& value)
{
	const DescID descid(id);
	tag->SetParameter(descid, value, DESCFLAGS_SET_0);
	DescriptionPostSetValue set = { &descid };
	tag->Message(MSG_DESCRIPTION_POSTSETPARAMETER, &set);
}

std::vector<std::string> PresetNames(BaseTag* tag)
{
	const BaseContainer list = tag->GetDataInstance()->GetContainer(PULSOR_PRESET_LIST);
	std::vector<std::string> names;
	for (LONG i = 0; list.GetType(i) == DA_STRING; ++i)
		if (list.GetString(i).Content())
			names.push_back(list.GetString(i).GetStdString());
	return names;
}

bool LoadPreset(BaseTag* tag, const std::string& name)
{
	const std::vector<std::string> names = PresetNames(tag);
	if (std::find(names.begin(), names.end(), name) == names.end())
		return false;
	tag->SetParameter(DescID(PULSOR_PRESET_NAME), GeData(HostString(name)), DESCFLAGS_SET_0);
	PressButton(tag, PULSOR_PRESET_LOAD);
	return true;
}

size_t TabCount(BaseTag* tag)
{
	const BaseContainer list = tag->GetDataInstance()->GetContainer(PULSOR_TAB_LIST);
	const LLONG last = (LLONG)PULSOR_TAB_LIST_FIRST + list.GetLong(PULSOR_TAB_LIST_COUNT, 0) - 1;
	std::set<LLONG> numbers;
	for (LONG i = 0; const GeData* value = list.GetIndexData(i); ++i)
	{
		const LONG id = list.GetIndexId(i);
		const LONG type = value->GetType();
		if (id < PULSOR_TAB_LIST_FIRST || id > last || (type != DA_LONG && type != DA_LLONG && type != DA_REAL))
			continue;
		if (value->GetLong() >= 1)
			numbers.insert(value->GetLong());
	}
	return numbers.size();
}
