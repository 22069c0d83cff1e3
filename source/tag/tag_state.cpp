// Defaults and tab management: Init, AddTab, UpdatePulsor.
#include "customgui_priority.h"
#include "link_state.h"
#include "pulsor.h"
#include "resource_files.h"
#include "tab_list.h"

namespace
{

const CHAR* const kNoParameterLinked = "No Paramenter Linked";

// ---- Label containers -------------------------------------------------------

const CHAR* const kTypeNames[] = {
	"...", "Noise", "Sin", "Cos", "Sawtooth", "Square", "Triangle", "Bounce", "Custom", "All", "Base",
};
static_assert(sizeof(kTypeNames) / sizeof(kTypeNames[0]) == PULSOR_TYPE_NAME_BASE + 1, "one name per type entry");

struct Label
{
	LONG id;
	const CHAR* text;
};

const Label kBasePlaybackLabels[] = {
	{ PULSOR_PLAYBACK_ONCE, "Once" },
	{ PULSOR_PLAYBACK_LOOP, "Loop" },
	{ PULSOR_PLAYBACK_PINGPONG, "Pingpong" },
	{ PULSOR_PLAYBACK_ADDITIVE, "Additive" },
};

const Label kStrengthModeLabels[] = {
	{ PULSOR_STRENGTH_FULL_POWER, "Full Power" },
	{ PULSOR_STRENGTH_FADE_UP, "Fade Up" },
	{ PULSOR_STRENGTH_FADE_DOWN, "Fade Down" },
	{ PULSOR_STRENGTH_EASE_IN, "Ease In" },
	{ PULSOR_STRENGTH_EASE_OUT, "Ease Out" },
	{ PULSOR_STRENGTH_EASE_IN_OUT, "Ease In & Out" },
	{ PULSOR_STRENGTH_CUSTOM, "Custom" },
};

const Label kTabPlaybackLabels[] = {
	{ PULSOR_TAB_PLAYBACK_ONCE, "Once" },
	{ PULSOR_TAB_PLAYBACK_LOOP, "Loop" },
	{ PULSOR_TAB_PLAYBACK_PINGPONG, "Pingpong" },
};

template <size_t N>
BaseContainer MakeLabels(const Label (&labels)[N])
{
	BaseContainer bc;
	for (size_t i = 0; i < N; ++i)
		bc.SetString(labels[i].id, labels[i].text);
	return bc;
}

BaseContainer MakeTypeNames()
{
	BaseContainer bc;
	for (LONG i = 0; i <= PULSOR_TYPE_NAME_BASE; ++i)
		bc.SetString(i, kTypeNames[i]);
	return bc;
}

void MakeTypeLabels(const BaseContainer& names, BaseContainer* add, BaseContainer* modifiers)
{
	add->SetString(PULSOR_MOD_NONE, names.GetString(PULSOR_MOD_NONE));
	for (LONG type = PULSOR_MOD_NOISE; type <= PULSOR_MOD_COUNT; ++type)
	{
		add->SetString(type, names.GetString(type));
		modifiers->SetString(type, names.GetString(type));
	}
}

// What every new tag holds: built once, and shared by the tags' copies until
// one of them writes its own.
struct DefaultLabels
{
	BaseContainer typeNames;
	BaseContainer add;
	BaseContainer modifiers;
	BaseContainer basePlayback;
	BaseContainer strengthModes;
	BaseContainer tabPlayback;

	DefaultLabels()
		: typeNames(MakeTypeNames()), basePlayback(MakeLabels(kBasePlaybackLabels)),
		  strengthModes(MakeLabels(kStrengthModeLabels)), tabPlayback(MakeLabels(kTabPlaybackLabels))
	{
		MakeTypeLabels(typeNames, &add, &modifiers);
	}
};

const DefaultLabels& SharedLabels()
{
	static const DefaultLabels labels;
	return labels;
}

// The pop-up menus read the stored type names, which a tag may have from an
// older version; an absent name becomes an empty label.
void BuildLabelContainers(BaseContainer* data)
{
	const DefaultLabels& shared = SharedLabels();
	const BaseContainer names = data->GetContainer(PULSOR_TYPE_NAMES);
	if (names == shared.typeNames)
	{
		data->SetContainer(PULSOR_ADD_LABELS, shared.add);
		data->SetContainer(PULSOR_MODIFIER_LABELS, shared.modifiers);
	}
	else
	{
		BaseContainer add;
		BaseContainer modifiers;
		MakeTypeLabels(names, &add, &modifiers);
		data->SetContainer(PULSOR_ADD_LABELS, add);
		data->SetContainer(PULSOR_MODIFIER_LABELS, modifiers);
	}
	data->SetContainer(PULSOR_BASE_PLAYBACK_LABELS, shared.basePlayback);
	data->SetContainer(PULSOR_STRENGTH_MODE_LABELS, shared.strengthModes);
	data->SetContainer(PULSOR_TAB_PLAYBACK_LABELS, shared.tabPlayback);
}

// ---- Curve library ----------------------------------------------------------

struct KnotSpec
{
	Real x, y;
	Real lx, ly;   // left tangent
	Real rx, ry;   // right tangent
};

struct CurveSpec
{
	LONG id;
	LONG knotCount;
	KnotSpec knots[5];
};

// In the order Init builds them; the presets (sine and straight line) are
// made between curve 6 and curve 1.
const CurveSpec kKnottedCurves[] = {
	{ PULSOR_CURVE_CONSTANT, 2, { { 0, 1, 0, 0, 0.3, 0 }, { 1, 1, -0.3, 0, 0, 0 } } },
	{ PULSOR_CURVE_HUMP, 5, { { 0, 0, 0, 0, 0.05, 0 }, { 0.25, 0.5, -0.05, -0.157, 0.05, 0.157 },
		{ 0.5, 1, -0.05, 0, 0.05, 0 }, { 0.75, 0.5, -0.05, 0.157, 0.05, -0.157 }, { 1, 0, -0.05, 0, 0, 0 } } },
	{ PULSOR_CURVE_STEP, 4, { { 0, 0, 0, 0, 0, 0 }, { 0.499, 0, 0, 0, 0, 0 }, { 0.5, 1, 0, 0, 0, 0 }, { 1, 1, 0, 0, 0, 0 } } },
	{ PULSOR_CURVE_TRIANGLE, 3, { { 0, 0, 0, 0, 0, 0 }, { 0.5, 1, 0, 0, 0, 0 }, { 1, 0, 0, 0, 0, 0 } } },
	{ PULSOR_CURVE_BOUNCE, 2, { { 0, 0, 0, 0, 0.2, 0.984 }, { 1, 0, -0.193, 1.008, 0.05, 0 } } },
	{ PULSOR_CURVE_FADE_DOWN, 2, { { 0, 1, 0, 0, 0, 0 }, { 1, 0, 0, 0, 0, 0 } } },
	{ PULSOR_CURVE_EASE_IN, 2, { { 0, 0, 0, 0, 0.503, 0.008 }, { 1, 1, -0.128, -0.375, 0.128, 0.375 } } },
	{ PULSOR_CURVE_EASE_OUT, 2, { { 0, 0, 0, 0, 0.069, 0.156 }, { 1, 1, -0.5, 0, 0.05, 0 } } },
	{ PULSOR_CURVE_EASE_IN_OUT, 2, { { 0, 0, 0, 0, 0.399, -0.008 }, { 1, 1, -0.403, 0, 0.403, 0 } } },
	{ PULSOR_CURVE_S, 3, { { 0, 0, 0, 0, 0.25, 0 }, { 0.5, 0.5, -0.018, -0.396, 0.018, 0.396 }, { 1, 1, -0.25, 0, 0.25, 0 } } },
};

void BuildKnots(SplineData* spline, const CurveSpec& curve)
{
	spline->DeleteAllPoints();
	for (LONG i = 0; i < curve.knotCount; ++i)
	{
		const KnotSpec& k = curve.knots[i];
		CustomSplineKnot* knot = spline->GetKnot(spline->InsertKnot(k.x, k.y, 0));
		if (!knot)
			continue;
		knot->vTangentLeft = Vector(k.lx, k.ly, 0.0);
		knot->vTangentRight = Vector(k.rx, k.ry, 0.0);
	}
}

void StoreCurve(BaseContainer* library, LONG id, const SplineData& spline)
{
	library->SetData(id, GeData(CUSTOMDATATYPE_SPLINE, spline));
}

BaseContainer BuildCurveLibrary(SplineData* scratch)
{
	BaseContainer library;
	BuildKnots(scratch, kKnottedCurves[0]);
	StoreCurve(&library, kKnottedCurves[0].id, *scratch);

	scratch->DeleteAllPoints();
	scratch->MakeLinearSplineLinear(2);
	StoreCurve(&library, PULSOR_CURVE_LINEAR, *scratch);
	StoreCurve(&library, PULSOR_CURVE_SAWTOOTH, *scratch);

	scratch->DeleteAllPoints();
	scratch->MakeSinSpline(5);
	StoreCurve(&library, PULSOR_CURVE_SINE, *scratch);

	for (size_t i = 1; i < sizeof(kKnottedCurves) / sizeof(kKnottedCurves[0]); ++i)
	{
		BuildKnots(scratch, kKnottedCurves[i]);
		StoreCurve(&library, kKnottedCurves[i].id, *scratch);
	}
	return library;
}

BaseContainer NewCurveLibrary()
{
	AutoAlloc<SplineData> scratch;
	return scratch ? BuildCurveLibrary(scratch) : BaseContainer();
}

// Every tag starts with the same library. Built once, it is shared by the
// tags' copies until one of them writes to its own, so that a scene of
// thousands of tags holds its curves once.
const BaseContainer& SharedCurveLibrary()
{
	static const BaseContainer library = NewCurveLibrary();
	return library;
}

void CopyLibraryCurve(BaseContainer* data, LONG id, const BaseContainer& library, LONG curve)
{
	const GeData& stored = library.GetData(curve);
	if (stored.GetType() == CUSTOMDATATYPE_SPLINE)
		data->SetData(id, stored);
}

// ---- Defaults ---------------------------------------------------------------

void WriteScalarDefaults(BaseContainer* data)
{
	data->SetLong(PULSOR_ADD_MODIFIER, PULSOR_MOD_NONE);
	data->SetLong(PULSOR_LINK_TYPE, DTYPE_REAL);
	data->SetString(PULSOR_LINKED_NAME, kNoParameterLinked);
	data->SetLong(PULSOR_PLAYBACK, PULSOR_PLAYBACK_ONCE);
	data->SetReal(PULSOR_STRENGTH, 1.0);
	data->SetTime(PULSOR_START_TIME, BaseTime(0.0));
	data->SetTime(PULSOR_END_TIME, BaseTime(3.0));
	data->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	data->SetReal(PULSOR_THRESHOLD, 0.5);
	data->SetBool(PULSOR_INVERT, FALSE);

	// Every slot of the start and end blocks but the unused one: zeros, but
	// for a bool, which travels from off to on.
	ZeroBlock(data, PULSOR_START_VALUE, PULSOR_SLOT_NONE);
	ZeroBlock(data, PULSOR_END_VALUE, PULSOR_SLOT_NONE);
	data->SetReal(PULSOR_END_VALUE + PULSOR_SLOT_BOOL, 1.0);

	data->SetLong(PULSOR_COMPONENT_MODE, PULSOR_MODE_SINGLE);
	data->SetLink(PULSOR_LINK, nullptr);
	data->SetLong(PULSOR_TYPE_SLOT, PULSOR_SLOT_REAL);
	data->SetReal(PULSOR_THRESHOLD_DISTANCE, 0.0);
	data->SetBool(PULSOR_KEY_SEQUENCE, FALSE);
	data->SetTime(PULSOR_KEY_FROM, BaseTime(0.0));
	data->SetTime(PULSOR_KEY_TO, BaseTime(3.0));
	data->SetTime(PULSOR_TIME_OFFSET, BaseTime(0.0));
	data->SetString(PULSOR_AUTO_NAME, PULSOR_AUTO_NAME_UNSET);
	data->SetReal(PULSOR_VOLUME, 1.0);
	data->SetLong(PULSOR_LINK_CLASS, PULSOR_LINK_CLASS_OWN_OBJECT);
	data->SetLong(PULSOR_ICON_KIND, PULSOR_ICON_UNLINKED);
	data->SetBool(PULSOR_FEEDBACK, TRUE);
	data->SetBool(PULSOR_HAS_KEYS, FALSE);
	data->SetReal(PULSOR_RANGE_MIN, 0.0);
	data->SetReal(PULSOR_RANGE_MAX, 0.0);
}

// The expression priority must not depend on the camera. FALSE when the
// priority could be read but not written back.
Bool ResetPriority(GeListNode* node)
{
	const DescID priorityId(EXPRESSION_PRIORITY);
	GeData priority;
	if (!node->GetParameter(priorityId, priority, DESCFLAGS_GET_0))
		return TRUE;
	PriorityData* pd = static_cast<PriorityData*>(priority.GetCustomDataType(CUSTOMGUI_PRIORITY_DATA));
	if (pd)
		pd->SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData((LONG)0));
	return node->SetParameter(priorityId, priority, DESCFLAGS_SET_0);
}

// ---- Tabs -------------------------------------------------------------------

// A new tab's variation is half the base end value, in the linked type.
void SeedVariation(BaseContainer* data, LONG base)
{
	LinkState link;
	ReadLinkState(*data, &link);
	if (!link.row || link.slot == PULSOR_SLOT_NONE)
		return;
	link.row->seedNewTab(data, base + PULSOR_TAB_VARIATION + link.slot, PULSOR_END_VALUE + link.slot);
}

} // namespace

Bool Pulsor::Init(GeListNode* node)
{
	BaseList2D* tag = static_cast<BaseList2D*>(node);
	BaseContainer* data = tag ? tag->GetDataInstance() : nullptr;
	if (!data)
		return TRUE;

	data->SetReal(PULSOR_DATA_VERSION, PULSOR_CURRENT_VERSION);
	BaseContainer tabList;
	tabList.SetLong(PULSOR_TAB_LIST_COUNT, 0);
	data->SetContainer(PULSOR_TAB_LIST, tabList);
	data->SetContainer(PULSOR_TYPE_NAMES, SharedLabels().typeNames);

	if (!ResetPriority(node))
		return TRUE;

	BaseContainer description = GetCustomDataTypeDefault(DTYPE_REAL);
	description.SetString(DESC_NAME, kNoParameterLinked);
	data->SetContainer(PULSOR_LINK_DESCRIPTION, description);

	WriteScalarDefaults(data);
	BuildLabelContainers(data);

	node->SetParameter(DescID(PULSOR_LINK_DESCID), GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(0))), DESCFLAGS_SET_0);

	const BaseContainer& library = SharedCurveLibrary();
	if (!library.GetIndexData(0))
		return TRUE;
	data->SetContainer(PULSOR_CURVE_LIBRARY, library);
	CopyLibraryCurve(data, PULSOR_TIME_CURVE, library, PULSOR_CURVE_CONSTANT);

	data->SetBool(PULSOR_SHOW_PRESETS, FALSE);
	const Filename folder = DefaultPresetFolder();
	data->SetString(PULSOR_PRESET_FOLDER, folder.GetString());
	data->SetContainer(PULSOR_PRESET_LIST, RefreshList(folder));
	return TRUE;
}

Bool Pulsor::AddTab(BaseContainer* data, GeListNode* node, LONG type)
{
	if (!data || type < PULSOR_MOD_NOISE || type > PULSOR_MOD_COUNT)
		return FALSE;
	BaseList2D* tag = static_cast<BaseList2D*>(node);

	BaseContainer listContainer = data->GetContainer(PULSOR_TAB_LIST);
	TabList tabs(listContainer);
	const LONG number = tabs.FirstFreeNumber(2);
	if (number < 0)
		return FALSE;
	const BaseContainer names = data->GetContainer(PULSOR_TYPE_NAMES);
	const BaseContainer library = data->GetContainer(PULSOR_CURVE_LIBRARY);
	if (tag)
		tag->SetDirty(DIRTYFLAGS_DESCRIPTION);
	data->SetLong(PULSOR_ADD_MODIFIER, PULSOR_MOD_NONE);

	const LONG b = TabBase(number);
	data->SetLong(b + PULSOR_TAB_TYPE, type);
	data->SetString(b + PULSOR_TAB_NAME, FirstFreeName(names.GetString(type, "..."), " ", 1, TabNames(*data, tabs)));
	data->SetReal(b + PULSOR_TAB_STRENGTH, 1.0);
	for (LONG k = 0; k < 3; ++k)
	{
		data->SetBool(b + PULSOR_TAB_NEGATIVE + k, TRUE);
		data->SetBool(b + PULSOR_TAB_POSITIVE + k, TRUE);
	}

	// The bool slot is the seeding's alone: only a bool link writes it.
	ZeroBlock(data, b + PULSOR_TAB_VARIATION, PULSOR_SLOT_BOOL);
	data->SetTime(b + PULSOR_TAB_TIME_OFFSET, BaseTime(0.0));
	SeedVariation(data, b);

	data->SetLong(b + PULSOR_TAB_STRENGTH_MODE, PULSOR_STRENGTH_FULL_POWER);
	data->SetTime(b + PULSOR_TAB_START_TIME, BaseTime(0.0));
	data->SetTime(b + PULSOR_TAB_END_TIME, BaseTime(3.0));
	data->SetLong(b + PULSOR_TAB_PLAYBACK, PULSOR_TAB_PLAYBACK_ONCE);
	// Noise has no waveform period of its own: 0 lets it run for 9574 frames.
	data->SetTime(b + PULSOR_TAB_LOOP_POINT, BaseTime(type == PULSOR_MOD_NOISE ? 0.0 : 3.0));
	data->SetReal(b + PULSOR_TAB_SPEED, 1.0);
	data->SetLong(b + PULSOR_TAB_SEED, 1234);
	data->SetReal(b + PULSOR_TAB_BIAS, 0.0);
	CopyLibraryCurve(data, b + PULSOR_TAB_STRENGTH_CURVE, library, PULSOR_CURVE_CONSTANT);
	CopyLibraryCurve(data, b + PULSOR_TAB_REMAP_CURVE, library, PULSOR_CURVE_LINEAR);
	CopyLibraryCurve(data, b + PULSOR_TAB_CUSTOM_CURVE, library, PULSOR_CURVE_LINEAR);

	tabs.Append(number);
	tabs.WriteTo(&listContainer);
	data->SetContainer(PULSOR_TAB_LIST, listContainer);
	if (tag)
		tag->SetDirty(DIRTYFLAGS_DESCRIPTION);
	return TRUE;
}

void Pulsor::UpdatePulsor(BaseContainer* data)
{
	if (!data)
		return;
	if (data->GetReal(PULSOR_DATA_VERSION, PULSOR_CURRENT_VERSION) < PULSOR_LABELS_VERSION)
	{
		BuildLabelContainers(data);
		data->SetReal(PULSOR_DATA_VERSION, PULSOR_LABELS_VERSION);
	}
	data->SetReal(PULSOR_DATA_VERSION, PULSOR_CURRENT_VERSION);
	data->SetBool(PULSOR_SHOW_PRESETS, FALSE);
}
