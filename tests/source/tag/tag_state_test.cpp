// Tag state: the defaults Init writes, AddTab and the version update.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "customgui_priority.h"
#include "pulsor_fixture.h"
#include "spline_knots.h"

using pulsor_test::PulsorTagTest;
using pulsor_test::Tab;

namespace
{

typedef std::vector<std::string> Names;

struct Entry
{
	LONG id;
	GeData value;
};

const GeData kZero((LONG)0);
const GeData kOne((LONG)1);  // bools are stored as integers
const GeData kR0(0.0), kR1(1.0), kT0(BaseTime(0.0)), kT3(BaseTime(3.0)), kV0{ Vector() };

BaseContainer Labels(LONG first, std::initializer_list<const CHAR*> texts)
{
	BaseContainer bc;
	for (const CHAR* t : texts)
		bc.SetString(first++, t);
	return bc;
}

BaseContainer Without(BaseContainer bc, std::initializer_list<LONG> ids)
{
	for (LONG id : ids)
		bc.RemoveData(id);
	return bc;
}

const BaseContainer kTypeNames =
	Labels(0, { "...", "Noise", "Sin", "Cos", "Sawtooth", "Square", "Triangle", "Bounce", "Custom", "All", "Base" });
const BaseContainer kBasePlayback = Labels(1, { "Once", "Loop", "Pingpong", "Additive" });
const BaseContainer kStrengthModes =
	Labels(0, { "Full Power", "Fade Up", "Fade Down", "Ease In", "Ease Out", "Ease In & Out", "Custom" });
const BaseContainer kTabPlayback = Labels(0, { "Once", "Loop", "Pingpong" });

Real Y(const SplineData* curve, Real x)
{
	return curve->GetPoint(x).y;
}

} // namespace

// ---- Init -------------------------------------------------------------------

TEST_F(PulsorTagTest, InitWritesEveryDefaultWithItsTypeAndNothingElse)
{
	const Entry defaults[] = {
		{ PULSOR_DATA_VERSION, kR1 }, { PULSOR_ADD_MODIFIER, kZero }, { PULSOR_LINK_TYPE, GeData((LONG)19) },
		{ PULSOR_LINKED_NAME, GeData("No Paramenter Linked") }, { PULSOR_PLAYBACK, kOne }, { PULSOR_STRENGTH, kR1 },
		{ PULSOR_START_TIME, kT0 }, { PULSOR_END_TIME, kT3 }, { PULSOR_IGNORE_KEYS, kOne }, { PULSOR_THRESHOLD, GeData(0.5) },
		{ PULSOR_INVERT, kZero },
		// The typed start and end values, by slot: bool, real, colour, integer,
		// (4 unused,) time, vector.
		{ PULSOR_START_VALUE + 0, kR0 }, { PULSOR_END_VALUE + 0, kR1 }, { PULSOR_START_VALUE + 1, kR0 },
		{ PULSOR_END_VALUE + 1, kR0 }, { PULSOR_START_VALUE + 2, kV0 }, { PULSOR_END_VALUE + 2, kV0 },
		{ PULSOR_START_VALUE + 3, kZero }, { PULSOR_END_VALUE + 3, kZero }, { PULSOR_START_VALUE + 5, kT0 },
		{ PULSOR_END_VALUE + 5, kT0 }, { PULSOR_START_VALUE + 6, kV0 }, { PULSOR_END_VALUE + 6, kV0 },
		{ PULSOR_COMPONENT_MODE, kOne }, { PULSOR_TYPE_SLOT, kOne }, { PULSOR_THRESHOLD_DISTANCE, kR0 },
		{ PULSOR_KEY_SEQUENCE, kZero }, { PULSOR_KEY_FROM, kT0 }, { PULSOR_KEY_TO, kT3 }, { PULSOR_TIME_OFFSET, kT0 },
		{ PULSOR_AUTO_NAME, GeData("Empty") }, { PULSOR_VOLUME, kR1 }, { PULSOR_LINK_CLASS, GeData((LONG)5155) },
		{ PULSOR_ICON_KIND, kZero }, { PULSOR_FEEDBACK, kOne }, { PULSOR_HAS_KEYS, kZero }, { PULSOR_RANGE_MIN, kR0 },
		{ PULSOR_RANGE_MAX, kR0 }, { PULSOR_SHOW_PRESETS, kZero },
	};
	std::vector<LONG> expectedIds = { PULSOR_CURVE_LIBRARY, PULSOR_TIME_CURVE, PULSOR_TAB_LIST, PULSOR_LINK_DESCID,
		PULSOR_LINK, PULSOR_LINK_DESCRIPTION, PULSOR_TYPE_NAMES, PULSOR_MODIFIER_LABELS, PULSOR_ADD_LABELS,
		PULSOR_BASE_PLAYBACK_LABELS, PULSOR_STRENGTH_MODE_LABELS, PULSOR_TAB_PLAYBACK_LABELS, PULSOR_PRESET_FOLDER,
		PULSOR_PRESET_LIST, EXPRESSION_PRIORITY };
	for (const Entry& e : defaults)
	{
		// GeData equality compares the type too.
		EXPECT_TRUE(data()->GetData(e.id) == e.value) << "entry " << e.id << " has type " << data()->GetType(e.id);
		expectedIds.push_back(e.id);
	}
	EXPECT_EQ(data()->GetType(PULSOR_LINK), DA_ALIASLINK);
	EXPECT_EQ(data()->GetLink(PULSOR_LINK, nullptr), nullptr);
	// Absent among others: the unused slot 4 of either value, the captured
	// value, the displays, the last frame and every tab field.
	std::sort(expectedIds.begin(), expectedIds.end());
	std::vector<LONG> ids;
	for (LONG i = 0; data()->GetIndexData(i); ++i)
		ids.push_back(data()->GetIndexId(i));
	EXPECT_EQ(ids, expectedIds);
}

TEST_F(PulsorTagTest, InitWritesLabelContainersAndLinkGroupExactly)
{
	BaseContainer emptyList;
	emptyList.SetLong(PULSOR_TAB_LIST_COUNT, 0);
	EXPECT_TRUE(data()->GetContainer(PULSOR_TAB_LIST) == emptyList);
	EXPECT_TRUE(data()->GetContainer(PULSOR_TYPE_NAMES) == kTypeNames);
	EXPECT_TRUE(data()->GetContainer(PULSOR_MODIFIER_LABELS) == Without(kTypeNames, { 0, 9, 10 }));
	EXPECT_TRUE(data()->GetContainer(PULSOR_ADD_LABELS) == Without(kTypeNames, { 9, 10 }));
	EXPECT_TRUE(data()->GetContainer(PULSOR_BASE_PLAYBACK_LABELS) == kBasePlayback);
	EXPECT_TRUE(data()->GetContainer(PULSOR_STRENGTH_MODE_LABELS) == kStrengthModes);
	EXPECT_TRUE(data()->GetContainer(PULSOR_TAB_PLAYBACK_LABELS) == kTabPlayback);

	BaseContainer description = GetCustomDataTypeDefault(DTYPE_REAL);
	description.SetString(DESC_NAME, "No Paramenter Linked");
	EXPECT_TRUE(data()->GetContainer(PULSOR_LINK_DESCRIPTION) == description);
	const DescID* linked = static_cast<const DescID*>(data()->GetCustomDataType(PULSOR_LINK_DESCID, CUSTOMDATATYPE_DESCID));
	ASSERT_NE(linked, nullptr);
	EXPECT_EQ(linked->GetDepth(), 1);
	EXPECT_EQ((*linked)[0].id, 0);
}

TEST_F(PulsorTagTest, InitMakesThePriorityCameraIndependentAndKeepsTheRest)
{
	PriorityData priority;
	priority.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData((LONG)42));
	priority.SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData((LONG)1));
	data()->SetData(EXPRESSION_PRIORITY, GeData(CUSTOMGUI_PRIORITY_DATA, priority));
	EXPECT_TRUE(pulsor()->Init(tag_));
	const PriorityData* after =
		static_cast<const PriorityData*>(data()->GetCustomDataType(EXPRESSION_PRIORITY, CUSTOMGUI_PRIORITY_DATA));
	ASSERT_NE(after, nullptr);
	EXPECT_EQ(after->GetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT).GetLong(), 0);
	EXPECT_EQ(after->GetPriorityValue(PRIORITYVALUE_PRIORITY).GetLong(), 42);
	EXPECT_TRUE(pulsor()->Init(nullptr));
}

TEST_F(PulsorTagTest, InitListsThePresetsOfThePluginsPresetFolder)
{
	EXPECT_EQ(data()->GetString(PULSOR_PRESET_FOLDER).GetStdString(), (plugin_.Path() / "res" / "Presets").string());
	EXPECT_TRUE(data()->GetContainer(PULSOR_PRESET_LIST) == BaseContainer());  // no such folder yet
	plugin_.Touch("res/Presets/CalmHF");
	plugin_.Touch("res/Presets/readme");
	EXPECT_TRUE(pulsor()->Init(tag_));
	EXPECT_TRUE(data()->GetContainer(PULSOR_PRESET_LIST) == Labels(0, { "Calm" }));
}

// Tags hold their curves and labels once for all: a second tag's library and
// labels are the first's, until a tag changes its own, which the other never
// sees.
TEST_F(PulsorTagTest, TagsShareTheirCurvesAndLabelsUntilOneChangesItsOwn)
{
	BaseTag* other = BaseTag::Alloc(PULSOR_TAG_ID);
	ASSERT_NE(other, nullptr);
	BaseContainer* mine = data();
	BaseContainer* theirs = other->GetDataInstance();
	ASSERT_TRUE(pulsor()->AddTab(mine, tag_, PULSOR_MOD_CUSTOM));
	ASSERT_TRUE(static_cast<Pulsor*>(other->GetNodeData())->AddTab(theirs, other, PULSOR_MOD_CUSTOM));
	const LONG custom = TabBase(2) + PULSOR_TAB_CUSTOM_CURVE;
	const auto curveOf = [](const BaseContainer* bc, LONG id) {
		return static_cast<const SplineData*>(bc->GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
	};
	const auto libraryCurve = [](const BaseContainer* bc, LONG id) {
		return static_cast<const SplineData*>(
			bc->GetContainerInstance(PULSOR_CURVE_LIBRARY)->GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
	};
	ASSERT_NE(curveOf(mine, custom), nullptr);
	ASSERT_NE(curveOf(theirs, custom), nullptr);
	EXPECT_EQ(ReadKnot(*curveOf(mine, custom), 0), ReadKnot(*curveOf(theirs, custom), 0));
	EXPECT_EQ(ReadKnot(*libraryCurve(mine, PULSOR_CURVE_SINE), 0), ReadKnot(*libraryCurve(theirs, PULSOR_CURVE_SINE), 0));
	EXPECT_TRUE(mine->GetContainer(PULSOR_ADD_LABELS) == theirs->GetContainer(PULSOR_ADD_LABELS));

	// My own curve changes; theirs and both libraries stay.
	SplineData edited(*curveOf(mine, custom));
	edited.GetKnot(1)->vPos.y = 0.25;
	mine->SetData(custom, GeData(CUSTOMDATATYPE_SPLINE, edited));
	EXPECT_EQ(curveOf(mine, custom)->GetPoint(1.0).y, 0.25);
	EXPECT_EQ(curveOf(theirs, custom)->GetPoint(1.0).y, 1.0);
	EXPECT_EQ(libraryCurve(theirs, PULSOR_CURVE_LINEAR)->GetPoint(1.0).y, 1.0);

	// A library curve written through the tag's own container.
	BaseContainer* library = mine->GetContainerInstance(PULSOR_CURVE_LIBRARY);
	ASSERT_NE(library, nullptr);
	library->SetData(PULSOR_CURVE_LINEAR, GeData(CUSTOMDATATYPE_SPLINE, edited));
	EXPECT_EQ(libraryCurve(mine, PULSOR_CURVE_LINEAR)->GetPoint(1.0).y, 0.25);
	EXPECT_EQ(libraryCurve(theirs, PULSOR_CURVE_LINEAR)->GetPoint(1.0).y, 1.0);

	// A label of mine.
	BaseContainer* labels = mine->GetContainerInstance(PULSOR_TAB_PLAYBACK_LABELS);
	ASSERT_NE(labels, nullptr);
	labels->SetString(0, "Mine");
	EXPECT_EQ(theirs->GetContainer(PULSOR_TAB_PLAYBACK_LABELS).GetString(0), "Once");

	// A third tag starts from the defaults again.
	BaseTag* third = BaseTag::Alloc(PULSOR_TAG_ID);
	ASSERT_NE(third, nullptr);
	EXPECT_EQ(libraryCurve(third->GetDataInstance(), PULSOR_CURVE_LINEAR)->GetPoint(1.0).y, 1.0);
	EXPECT_EQ(third->GetDataInstance()->GetContainer(PULSOR_TAB_PLAYBACK_LABELS).GetString(0), "Once");
	BaseTag::Free(third);
	BaseTag::Free(other);
}

TEST_F(PulsorTagTest, CurveLibraryHoldsThirteenCurvesOfKnownShape)
{
	const BaseContainer* library = data()->GetContainerInstance(PULSOR_CURVE_LIBRARY);
	ASSERT_NE(library, nullptr);
	EXPECT_EQ(library->GetIndexData(13), nullptr);
	const LONG knots[13] = { 5, 5, 2, 4, 3, 2, 2, 2, 2, 2, 2, 2, 3 };
	const SplineData* c[13];
	for (LONG i = 0; i < 13; ++i)
	{
		c[i] = LibraryCurve(i);
		ASSERT_NE(c[i], nullptr) << "curve " << i;
		EXPECT_EQ(c[i]->GetKnotCount(), knots[i]) << "curve " << i;
	}
	const Real sineKnots[5] = { 0.5, 1, 0.5, 0, 0.5 };
	for (LONG k = 0; k < 5; ++k)
		EXPECT_NEAR(Y(c[0], 0.25 * k), sineKnots[k], 1e-12) << k;
	EXPECT_NEAR(Y(c[1], 0.5), 1, 1e-12);
	// The step rises between 0.499 and 0.5.
	EXPECT_TRUE(Y(c[3], 0.25) == 0 && Y(c[3], 0.499) == 0 && Y(c[3], 0.5) == 1 && Y(c[3], 0.8) == 1);
	// Zero tangents make each segment of 4 and 7 a straight line.
	EXPECT_NEAR(Y(c[4], 0.25), 0.5, 1e-9);
	EXPECT_NEAR(Y(c[4], 0.9), 0.2, 1e-9);
	EXPECT_NEAR(Y(c[7], 0.3), 0.7, 1e-9);
	EXPECT_TRUE(Y(c[5], 0) == 0 && Y(c[5], 1) == 0 && Y(c[5], 0.5) > 0.7);  // an arc rising steeply off its ends
	for (LONG i : { 8, 9, 10 })
		EXPECT_TRUE(Y(c[i], 0) == 0 && Y(c[i], 1) == 1) << i;
	EXPECT_NEAR(Y(c[12], 0.5), 0.5, 1e-12);
	for (LONG k = 0; k <= 40; ++k)
	{
		const Real x = k / 40.0;
		EXPECT_NEAR(Y(c[6], x), 1, 1e-12) << x;
		EXPECT_NEAR(Y(c[2], x), x, 1e-9) << x;
		EXPECT_NEAR(Y(c[11], x), x, 1e-9) << x;
		EXPECT_GE(Y(c[12], x), Y(c[12], x - 1 / 40.0)) << x;
	}
	EXPECT_TRUE(const_cast<SplineData*>(c[12])->GetKnot(1)->vTangentRight == Vector(0.018, 0.396, 0));
	EXPECT_TRUE(data()->GetData(PULSOR_TIME_CURVE) == library->GetData(PULSOR_CURVE_CONSTANT));
}

// ---- AddTab -----------------------------------------------------------------

TEST_F(PulsorTagTest, AddingThreeNoiseTabsNumbersThemFromTwo)
{
	EXPECT_EQ(Add(PULSOR_MOD_NOISE), 2);
	EXPECT_EQ(Add(PULSOR_MOD_NOISE), 3);
	EXPECT_EQ(Add(PULSOR_MOD_NOISE), 4);
	EXPECT_EQ(ListedTabs(), (std::vector<LONG>{ 2, 3, 4 }));
	EXPECT_EQ(TabNames({ 2, 3, 4 }), (Names{ "Noise", "Noise 2", "Noise 3" }));
	EXPECT_EQ(data()->GetLong(Tab(4, PULSOR_TAB_TYPE)), PULSOR_MOD_NOISE);

	DeleteFromList(3);
	EXPECT_EQ(Add(PULSOR_MOD_SIN), 3);  // the freed number, placed last
	EXPECT_EQ(ListedTabs(), (std::vector<LONG>{ 2, 4, 3 }));
	EXPECT_EQ(TabNames({ 3 }), Names{ "Sin" });
	EXPECT_EQ(data()->GetLong(Tab(3, PULSOR_TAB_TYPE)), PULSOR_MOD_SIN);
}

TEST_F(PulsorTagTest, NewTabTakesTheFirstNameNoListedTabHas)
{
	Add(PULSOR_MOD_NOISE);
	Add(PULSOR_MOD_NOISE);
	DeleteFromList(2);  // "Noise" leaves, "Noise 2" stays
	EXPECT_EQ(Add(PULSOR_MOD_NOISE), 2);
	EXPECT_EQ(TabNames({ 2 }), Names{ "Noise" });
	data()->SetString(Tab(2, PULSOR_TAB_NAME), "Sin 2");  // renamed tabs count by their current name
	EXPECT_EQ(Add(PULSOR_MOD_SIN), 4);
	EXPECT_EQ(Add(PULSOR_MOD_SIN), 5);
	EXPECT_EQ(TabNames({ 4, 5 }), (Names{ "Sin", "Sin 3" }));
	// A missing type name gives "...".
	data()->SetContainer(PULSOR_TYPE_NAMES, Without(kTypeNames, { PULSOR_MOD_COS }));
	EXPECT_EQ(Add(PULSOR_MOD_COS), 6);
	EXPECT_EQ(Add(PULSOR_MOD_COS), 7);
	EXPECT_EQ(TabNames({ 6, 7 }), (Names{ "...", "... 2" }));
}

TEST_F(PulsorTagTest, NewTabHoldsEveryFieldDefault)
{
	const BaseContainer library = data()->GetContainer(PULSOR_CURVE_LIBRARY);
	data()->SetLong(PULSOR_ADD_MODIFIER, PULSOR_MOD_BOUNCE);
	const ULONG dirty = tag_->GetDirty(DIRTYFLAGS_DESCRIPTION);
	ASSERT_EQ(Add(PULSOR_MOD_BOUNCE), 2);
	EXPECT_GT(tag_->GetDirty(DIRTYFLAGS_DESCRIPTION), dirty);
	EXPECT_TRUE(data()->GetData(PULSOR_ADD_MODIFIER) == kZero);
	const LONG b = TabBase(2);
	const Entry fields[] = {
		{ b + PULSOR_TAB_TYPE, GeData((LONG)PULSOR_MOD_BOUNCE) }, { b + PULSOR_TAB_NAME, GeData("Bounce") },
		{ b + PULSOR_TAB_STRENGTH, kR1 },
		// The variation by slot: real, colour, integer, time, vector.
		{ b + PULSOR_TAB_VARIATION + 1, kR0 }, { b + PULSOR_TAB_VARIATION + 2, kV0 }, { b + PULSOR_TAB_VARIATION + 3, kZero },
		{ b + PULSOR_TAB_VARIATION + 5, kT0 }, { b + PULSOR_TAB_VARIATION + 6, kV0 },
		{ b + PULSOR_TAB_POSITIVE, kOne }, { b + PULSOR_TAB_POSITIVE + 1, kOne }, { b + PULSOR_TAB_POSITIVE + 2, kOne },
		{ b + PULSOR_TAB_NEGATIVE, kOne }, { b + PULSOR_TAB_NEGATIVE + 1, kOne }, { b + PULSOR_TAB_NEGATIVE + 2, kOne },
		{ b + PULSOR_TAB_LOOP_POINT, kT3 }, { b + PULSOR_TAB_TIME_OFFSET, kT0 }, { b + PULSOR_TAB_SPEED, kR1 },
		{ b + PULSOR_TAB_SEED, GeData((LONG)1234) }, { b + PULSOR_TAB_BIAS, kR0 }, { b + PULSOR_TAB_STRENGTH_MODE, kZero },
		{ b + PULSOR_TAB_START_TIME, kT0 }, { b + PULSOR_TAB_END_TIME, kT3 }, { b + PULSOR_TAB_PLAYBACK, kZero },
		{ b + PULSOR_TAB_CUSTOM_CURVE, library.GetData(PULSOR_CURVE_LINEAR) },
		{ b + PULSOR_TAB_STRENGTH_CURVE, library.GetData(PULSOR_CURVE_CONSTANT) },
		{ b + PULSOR_TAB_REMAP_CURVE, library.GetData(PULSOR_CURVE_LINEAR) },
	};
	for (const Entry& e : fields)
		EXPECT_TRUE(data()->GetData(e.id) == e.value) << "field +" << e.id - b << " has type " << data()->GetType(e.id);
	// Not written: the bool and unused slots of a real-linked tab, Uniform, displays.
	for (LONG offset : { PULSOR_TAB_VARIATION + 0, PULSOR_TAB_VARIATION + 4, (LONG)PULSOR_TAB_UNIFORM,
			 PULSOR_TAB_FEEDBACK_DISPLAY + 1, PULSOR_TAB_OUTPUT_DISPLAY + 1 })
		EXPECT_EQ(data()->GetDataPointer(b + offset), nullptr) << "field +" << offset;
}

TEST_F(PulsorTagTest, LoopPointIsZeroForNoiseOnly)
{
	for (LONG type = PULSOR_MOD_NOISE; type <= PULSOR_MOD_CUSTOM; ++type)
		EXPECT_EQ(data()->GetTime(TabBase(Add(type)) + PULSOR_TAB_LOOP_POINT).Get(), type == PULSOR_MOD_NOISE ? 0.0 : 3.0)
			<< type;
}

TEST_F(PulsorTagTest, VariationIsHalfTheEndValueInTheLinkedType)
{
	struct LinkCase
	{
		LONG linkType, slot;
		GeData end, variation;
	};
	const LinkCase cases[] = {
		{ DTYPE_LONG, 3, GeData((LONG)7), GeData((LONG)3) },  // truncated toward zero
		{ DTYPE_LONG, 3, GeData((LONG)-7), GeData((LONG)-3) },
		{ DTYPE_REAL, 1, GeData(1.0), GeData(0.5) },  // a new tag holds 0.0 here, not 1.0
		{ DTYPE_BOOL, 0, GeData(1.0), GeData(0.5) },
		{ DTYPE_VECTOR, 6, GeData(Vector(2, -4, 1)), GeData(Vector(1, -2, 0.5)) },
		{ DTYPE_COLOR, 2, GeData(Vector(1, 0.5, 0.25)), GeData(Vector(0.5, 0.25, 0.125)) },
		{ DTYPE_TIME, 5, GeData(BaseTime(3.0)), GeData(BaseTime(1.5)) },
		{ DTYPE_STRING, 1, GeData(8.0), GeData(0.0) },  // no such link type: the zeroed value stays
	};
	for (const LinkCase& c : cases)
	{
		data()->SetLong(PULSOR_LINK_TYPE, c.linkType);
		data()->SetLong(PULSOR_TYPE_SLOT, c.slot);
		data()->SetData(PULSOR_END_VALUE + c.slot, c.end);
		const LONG id = TabBase(Add(PULSOR_MOD_SIN)) + PULSOR_TAB_VARIATION + c.slot;
		EXPECT_TRUE(data()->GetData(id) == c.variation) << "link type " << c.linkType << ", type " << data()->GetType(id);
	}
}

TEST_F(PulsorTagTest, CorruptTypeSlotWritesNothingOutsideTheNewTab)
{
	for (LONG slot : { -60, -1, 7, 5000, INT_MAX, INT_MIN })
	{
		data()->SetLong(PULSOR_TYPE_SLOT, slot);
		const BaseContainer before = *data();
		const LONG b = TabBase(Add(PULSOR_MOD_SIN));
		for (LONG i = 0; data()->GetIndexData(i); ++i)
		{
			const LONG id = data()->GetIndexId(i);
			const bool inTab = id > b && id <= b + PULSOR_TAB_LAST_OFFSET;
			EXPECT_TRUE(inTab || id == PULSOR_TAB_LIST || id == PULSOR_ADD_MODIFIER || data()->GetData(id) == before.GetData(id))
				<< "slot " << slot << " changed entry " << id;
		}
		EXPECT_EQ(data()->GetDataPointer(b + PULSOR_TAB_VARIATION + 7), nullptr) << slot;
		EXPECT_EQ(data()->GetDataPointer(b + PULSOR_TAB_VARIATION - 1), nullptr) << slot;
	}
}

TEST_F(PulsorTagTest, TypeOutsideOneToEightIsRefusedUntouched)
{
	Add(PULSOR_MOD_SIN);
	data()->SetLong(PULSOR_ADD_MODIFIER, 9);
	const BaseContainer before = *data();
	const ULONG dirty = tag_->GetDirty(DIRTYFLAGS_DESCRIPTION);
	for (LONG type : { 0, 9, -1, INT_MIN, INT_MAX })
		EXPECT_FALSE(pulsor()->AddTab(data(), tag_, type)) << type;
	EXPECT_FALSE(pulsor()->AddTab(nullptr, tag_, PULSOR_MOD_SIN));
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(tag_->GetDirty(DIRTYFLAGS_DESCRIPTION), dirty);
}

TEST_F(PulsorTagTest, AddTabOnHostileListsKeepsWhatMakesSense)
{
	struct Hostile
	{
		const char* what;
		LONG count;
		std::vector<GeData> entries;  // from entry 5 on
		std::vector<LONG> after;      // the new tab last
	};
	const Hostile cases[] = {
		{ "count past the entries", 6, { GeData((LONG)2) }, { 2, 3 } },
		{ "negative count", -4, { GeData((LONG)2) }, { 2 } },
		{ "INT_MAX count", INT_MAX, { GeData((LONG)2), GeData((LONG)3) }, { 2, 3, 4 } },
		{ "repeats", 4, { GeData((LONG)3), GeData((LONG)2), GeData((LONG)3), GeData((LONG)2) }, { 3, 2, 4 } },
		{ "zero and negative", 3, { GeData((LONG)0), GeData((LONG)-2), GeData((LONG)2) }, { 2, 3 } },
		{ "no integers", 3, { GeData("2"), GeData(Vector(3, 3, 3)), GeData((LONG)4) }, { 4, 2 } },
		{ "overflowing", 3, { GeData((LONG)214748), GeData((LONG)INT_MAX), GeData((LONG)2) }, { 2, 3 } },
	};
	for (const Hostile& h : cases)
	{
		BaseContainer list;
		list.SetLong(PULSOR_TAB_LIST_COUNT, h.count);
		for (size_t i = 0; i < h.entries.size(); ++i)
			list.SetData(PULSOR_TAB_LIST_FIRST + (LONG)i, h.entries[i]);
		data()->SetContainer(PULSOR_TAB_LIST, list);
		ASSERT_TRUE(pulsor()->AddTab(data(), tag_, PULSOR_MOD_COS)) << h.what;
		EXPECT_EQ(ListedTabs(), h.after) << h.what;
		EXPECT_EQ(data()->GetLong(TabBase(h.after.back()) + PULSOR_TAB_TYPE), PULSOR_MOD_COS) << h.what;
	}
}

TEST_F(PulsorTagTest, NoTabNumberLeftRefusesTheTab)
{
	BaseContainer list;
	LONG n = 0;
	for (LONG number = 2; number <= PULSOR_MAX_TAB_NUMBER; ++number)
		list.SetLong(PULSOR_TAB_LIST_FIRST + n++, number);
	list.SetLong(PULSOR_TAB_LIST_COUNT, n);
	data()->SetContainer(PULSOR_TAB_LIST, list);
	const BaseContainer before = *data();
	EXPECT_FALSE(pulsor()->AddTab(data(), tag_, PULSOR_MOD_NOISE));
	EXPECT_TRUE(*data() == before);
}

// ---- UpdatePulsor -----------------------------------------------------------

namespace
{

class UpdateTest : public PulsorTagTest
{
protected:
	// A tag from an older version (absent version for a nil value): renamed
	// type names, stale labels, the preset page switched on.
	void Age(const GeData& version)
	{
		data()->RemoveData(PULSOR_DATA_VERSION);
		if (version.GetType() != DA_NIL)
			data()->SetData(PULSOR_DATA_VERSION, version);
		BaseContainer names = Without(kTypeNames, { PULSOR_MOD_CUSTOM });
		names.SetString(PULSOR_MOD_NOISE, "Rauschen");
		data()->SetContainer(PULSOR_TYPE_NAMES, names);
		for (LONG id = PULSOR_MODIFIER_LABELS; id <= PULSOR_TAB_PLAYBACK_LABELS; ++id)
			data()->SetContainer(id, Labels(0, { "stale" }));
		data()->SetBool(PULSOR_SHOW_PRESETS, TRUE);
	}
	void Update()
	{
		pulsor()->UpdatePulsor(data());
		EXPECT_TRUE(data()->GetData(PULSOR_DATA_VERSION) == GeData(1.0));
		EXPECT_TRUE(data()->GetData(PULSOR_SHOW_PRESETS) == kZero);
	}
};

} // namespace

TEST_F(UpdateTest, OldVersionRebuildsAllLabelsFromStoredTypeNames)
{
	for (Real version : { 0.5, 0.8899 })
	{
		Age(GeData(version));
		Update();
		BaseContainer modifiers = Labels(1, { "Rauschen", "Sin", "Cos", "Sawtooth", "Square", "Triangle", "Bounce", "" });
		EXPECT_TRUE(data()->GetContainer(PULSOR_MODIFIER_LABELS) == modifiers) << version;
		modifiers.SetString(0, "...");
		EXPECT_TRUE(data()->GetContainer(PULSOR_ADD_LABELS) == modifiers) << version;
		EXPECT_TRUE(data()->GetContainer(PULSOR_BASE_PLAYBACK_LABELS) == kBasePlayback) << version;
		EXPECT_TRUE(data()->GetContainer(PULSOR_STRENGTH_MODE_LABELS) == kStrengthModes) << version;
		EXPECT_TRUE(data()->GetContainer(PULSOR_TAB_PLAYBACK_LABELS) == kTabPlayback) << version;
	}
	const BaseContainer once = *data();
	pulsor()->UpdatePulsor(data());
	EXPECT_TRUE(*data() == once);
}

TEST_F(UpdateTest, LaterOrAbsentVersionsOnlyGetVersionAndPresetSwitch)
{
	for (const GeData& version : { GeData(0.89), GeData(0.95), GeData(2.0), GeData() })
	{
		Age(version);
		Update();
		for (LONG id = PULSOR_MODIFIER_LABELS; id <= PULSOR_TAB_PLAYBACK_LABELS; ++id)
			EXPECT_TRUE(data()->GetContainer(id) == Labels(0, { "stale" })) << id;
	}
	pulsor()->UpdatePulsor(nullptr);
}
