// What follows an edit of the tag's page: a modifier added through "Add
// Modifiers", a new preset chosen, a tab's type, name or strength mode changed.
#include "commands.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

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
static_assert(sizeof(kStrengthModeCurve) / sizeof(kStrengthModeCurve[0]) == PULSOR_STRENGTH_CUSTOM,
	"one curve per preset mode");

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

} // namespace

Bool FollowUpEdit(MessageContext& c, const DescriptionPostSetValue* set)
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
			if (mode < PULSOR_STRENGTH_FULL_POWER || mode >= PULSOR_STRENGTH_CUSTOM)
				break;
			const GeData& curve = c.library.GetData(kStrengthModeCurve[mode]);
			if (curve.GetType() == CUSTOMDATATYPE_SPLINE)
				c.data->SetData(b + PULSOR_TAB_STRENGTH_CURVE, curve);
			break;
		}
		case PULSOR_TAB_STRENGTH_CURVE:
			c.data->SetLong(b + PULSOR_TAB_STRENGTH_MODE, PULSOR_STRENGTH_CUSTOM);
			break;
		default:
			break;
	}
	return TRUE;
}
