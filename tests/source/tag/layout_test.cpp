// The tag's attribute page: the entry checks, the caption, the Base page, the
// modifier pages, the Output page with its Keyframe group, the Preset page,
// single-element requests and refused elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout_fixture.h"

using pulsor_test::LAYOUT_CLOSED;
using pulsor_test::LayoutTest;
using pulsor_test::Tab;
using pulsor_test::Whole;
using std::string;
using std::vector;

namespace
{

// The host's own elements and the resource's, before the tag's pages.
const vector<LONG> kStaticElements = { ID_BASELIST_NAME, EXPRESSION_PRIORITY };

vector<LONG> WithoutStatic(vector<LONG> ids)
{
	ids.erase(ids.begin(), ids.begin() + (long)kStaticElements.size());
	return ids;
}

} // namespace

// ---- Entry checks -----------------------------------------------------------

TEST_F(LayoutTest, EntryChecksReturnBeforeAnyTagElement)
{
	DESCFLAGS_DESC flags = DESCFLAGS_DESC_0;
	AutoAlloc<Description> page;
	EXPECT_TRUE(pulsor()->GetDDescription(nullptr, page, flags));
	EXPECT_EQ(page->GetElementCount(), 0);
	EXPECT_FALSE(pulsor()->GetDDescription(cube_, page, flags)) << "a cube has no Pulsor resource";

	// Not initialised: only the resource, flags untouched.
	const BaseContainer saved = *data();
	data()->SetContainer(PULSOR_CURVE_LIBRARY, BaseContainer());
	EXPECT_TRUE(Build());
	EXPECT_EQ(Ids(), vector<LONG>({ ID_BASELIST_NAME, EXPRESSION_PRIORITY }));
	EXPECT_EQ(flags_, DESCFLAGS_DESC_0);
	*data() = saved;

	// Nothing linked at all: the resource and the closing step.
	data()->RemoveData(PULSOR_LINK_DESCRIPTION);
	EXPECT_TRUE(Build());
	EXPECT_EQ(Ids(), vector<LONG>({ ID_BASELIST_NAME, EXPRESSION_PRIORITY }));
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
	*data() = saved;

	// Outside a document.
	tag_->Remove();
	EXPECT_TRUE(Build());
	EXPECT_EQ(Ids(), vector<LONG>({ ID_BASELIST_NAME, EXPRESSION_PRIORITY }));
	EXPECT_EQ(flags_, DESCFLAGS_DESC_0);
	BaseTag::Free(tag_);
}

TEST_F(LayoutTest, TheHostAsksThroughTheTag)
{
	AutoAlloc<Description> page;
	EXPECT_TRUE(tag_->GetDescription(page, DESCFLAGS_DESC_0));
	BaseContainer temp;
	ASSERT_NE(page->GetParameter(DescID(PULSOR_STRENGTH), temp, nullptr), nullptr);
	EXPECT_EQ(page->GetParameter(DescID(PULSOR_STRENGTH), temp, nullptr)->GetString(DESC_NAME).GetStdString(), "Strength");
}

// ---- Base page --------------------------------------------------------------

TEST_F(LayoutTest, AFreshTagShowsTheBasePageThenOutput)
{
	EXPECT_TRUE(Build());
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE }));
	const vector<string> expected = {
		"2000 group \"Base\" default=1 columns=1 scaleh=1",
		"  2001 long \"Add Modifiers\" min=-2147483648 max=2147483647 step=1 unit='flng' "
		"cycle={0:...,1:Noise,2:Sin,3:Cos,4:Sawtooth,5:Square,6:Triangle,7:Bounce,8:Custom} 39=0 40=1",
		"  2003 separator line=1 gui=11",
		"  2004 real \"Strength\" min=-1e+20 max=1e+20 step=0.01 unit='fpct' default=1 gui=1000489 minslider=0 maxslider=1",
		"  2005 separator line=1 gui=11",
		"  2010 group default=1 columns=2",
		"    2011 static \"Cube - No Paramenter Linked\" gui=12",
		"  2013 group default=1 columns=3 layoutgroup=1 scaleh=1",
		"    2363 group default=1 columns=1",
		"      2016 real \"Start\" short=Start min=-1e+20 max=1e+20 step=1 unit='frea' scaleh=1",
		"    2364 group default=1 columns=1 scaleh=1",
		"    2365 group default=1 columns=1",
		"      2068 real \"End\" short=End min=-1e+20 max=1e+20 step=1 unit='frea'",
		"  2117 spline \"Time\"",
		"  2118 group default=1 columns=3",
		"    2119 time \"Start Time\" step=1 unit='ffrm' default=0s",
		"    2120 separator \"N/A\" line=1 gui=11 scaleh=1",
		"    2121 time \"End Time\" step=1 unit='ffrm' default=3s",
		"  2362 time \"Offset\" step=1 unit='ffrm' default=0s",
		"  2122 long \"Playback\" min=-2147483648 max=2147483647 step=1 unit='flng' "
		"cycle={1:Once,2:Loop,3:Pingpong,4:Additive} default=1 gui=200000180 39=0 40=1",
		"  2123 separator line=1 gui=11",
		"  2370 group default=1 columns=3 layoutgroup=0 scaleh=0",
		"    2124 button \"Match Timeline\" gui=8",
		"    2372 separator \"N/A\" line=1 gui=11 scaleh=1",
		"    2367 button \"\" gui=1000479 butt=1",
		"  2125 bool \"Ignore Original Keyframes\" default=1 gui=400006001",
	};
	EXPECT_EQ(Lines(PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE), expected);
}

TEST_F(LayoutTest, CaptionNamesTheLinkedElementAndParameter)
{
	BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
	material->SetName("Red");
	doc_->InsertMaterial(material);
	BaseTag* display = BaseTag::Alloc(Tdisplay);
	display->SetName("Shown");
	cube_->InsertTag(display);

	EXPECT_TRUE(Drop(material, Whole(MATERIAL_COLOR_BRIGHTNESS, DTYPE_REAL)));
	ASSERT_TRUE(Build());
	EXPECT_EQ(Label(PULSOR_LINKED_NAME), "Red - " + Record().GetString(DESC_NAME).GetStdString());
	// Beside the caption, a link box that refuses objects.
	EXPECT_EQ(ParentOf(PULSOR_LINK), PULSOR_BASE_CAPTION_ROW);
	EXPECT_EQ(IndexOf(PULSOR_LINK), IndexOf(PULSOR_LINKED_NAME) + 1);
	EXPECT_EQ(TypeOf(PULSOR_LINK), DTYPE_BASELISTLINK);
	EXPECT_EQ(Label(PULSOR_LINK), "Link");
	EXPECT_EQ(Settings(PULSOR_LINK).GetLong(DESC_CUSTOMGUI), CUSTOMGUI_LINKBOX);
	const BaseContainer refused = Settings(PULSOR_LINK).GetContainer(DESC_REFUSE);
	EXPECT_EQ(refused.GetString(Obase).GetStdString(), "Obase");
	EXPECT_EQ(refused.GetIndexId(1), -1) << "objects only";

	EXPECT_TRUE(Drop(display, Whole(DISPLAYTAG_VISIBILITY, DTYPE_REAL)));
	ASSERT_TRUE(Build());
	EXPECT_EQ(Label(PULSOR_LINKED_NAME), "Cube - Shown - " + Record().GetString(DESC_NAME).GetStdString());
	EXPECT_TRUE(Has(PULSOR_LINK));

	// A linked element that no longer exists leaves the element name empty.
	display->Remove();
	BaseTag::Free(display);
	ASSERT_TRUE(Build());
	EXPECT_EQ(Label(PULSOR_LINKED_NAME), " - " + Record().GetString(DESC_NAME).GetStdString());

	// The own object: no link box.
	EXPECT_TRUE(Drop(cube_, Whole(PRIM_CUBE_SUBX, DTYPE_LONG)));
	ASSERT_TRUE(Build());
	EXPECT_EQ(Label(PULSOR_LINKED_NAME).substr(0, 7), "Cube - ");
	EXPECT_FALSE(Has(PULSOR_LINK));

	BaseContainer nameless = Record();
	nameless.RemoveData(DESC_NAME);
	data()->SetContainer(PULSOR_LINK_DESCRIPTION, nameless);
	ASSERT_TRUE(Build());
	EXPECT_EQ(Label(PULSOR_LINKED_NAME), "Cube - Unknown Name");
}

TEST_F(LayoutTest, ABoolLinkAddsTheThresholdRowAndACheckBoxOutput)
{
	EXPECT_TRUE(Drop(cube_, Whole(PRIM_CUBE_DOFILLET, DTYPE_BOOL)));
	ASSERT_TRUE(Build());
	const vector<string> row = {
		"  2006 group default=1 columns=2",
		"    2007 real \"Threshold\" min=-1e+20 max=1e+20 step=0.1 unit='frea' gui=19",
		"    2008 bool \"Invert\" default=0 gui=400006001",
	};
	EXPECT_EQ(Lines(PULSOR_BASE_THRESHOLD_ROW, PULSOR_BASE_VALUE_ROW), row);
	// "Start" and "End" at slot 0, as the bool link's record describes them.
	EXPECT_EQ(TypeOf(PULSOR_START_VALUE), DTYPE_BOOL);
	EXPECT_EQ(TypeOf(PULSOR_END_VALUE), DTYPE_BOOL);
	EXPECT_DOUBLE_EQ(Settings(PULSOR_START_VALUE).GetReal(DESC_STEP), Record().GetReal(DESC_STEP));

	const vector<string> output = {
		"  2291 bool \"Final Output\" gui=400006001",
		"  2342 bool \"Distance from Threshold\" min=-1e+20 max=1e+20 step=1 unit='frea' gui=19 editable=0",
		"  2369 separator line=1 gui=11",
	};
	EXPECT_EQ(Lines(PULSOR_FINAL_OUTPUT, PULSOR_OUTPUT_BUTTON_ROW), output);
}

// ---- Identifiers per component mode ----------------------------------------

TEST_F(LayoutTest, IdentifiersFollowTheTypeSlotAndComponentMode)
{
	const LONG tab = TabBase(Add(PULSOR_MOD_SIN));
	struct Case
	{
		const char* what;
		LONG type, slot, mode;
		vector<LONG> master, base, feedback, output;
		vector<string> outputLabels;
	};
	// A display block's three components, at mode 2.
	const auto three = [](LONG block) { return vector<LONG>({ block + 2, block + 3, block + 4 }); };
	const vector<Case> cases = {
		{ "real", DTYPE_REAL, 1, 1, { PULSOR_MASTER_DISPLAY + 1 }, { PULSOR_BASE_DISPLAY + 1 },
			{ tab + PULSOR_TAB_FEEDBACK_DISPLAY + 1 }, { tab + PULSOR_TAB_OUTPUT_DISPLAY + 1 }, { "Sin" } },
		{ "integer", DTYPE_LONG, 3, 8, { PULSOR_MASTER_DISPLAY + 8 }, { PULSOR_BASE_DISPLAY + 8 },
			{ tab + PULSOR_TAB_FEEDBACK_DISPLAY + 8 }, { tab + PULSOR_TAB_OUTPUT_DISPLAY + 8 }, { "Sin" } },
		{ "vector", DTYPE_VECTOR, 6, 2, three(PULSOR_MASTER_DISPLAY), three(PULSOR_BASE_DISPLAY),
			three(tab + PULSOR_TAB_FEEDBACK_DISPLAY), three(tab + PULSOR_TAB_OUTPUT_DISPLAY), { "Sin X", "Sin Y", "Sin Z" } },
		{ "colour", DTYPE_COLOR, 2, 2, three(PULSOR_MASTER_DISPLAY), three(PULSOR_BASE_DISPLAY),
			three(tab + PULSOR_TAB_FEEDBACK_DISPLAY), three(tab + PULSOR_TAB_OUTPUT_DISPLAY), { "Sin X", "Sin Y", "Sin Z" } },
	};
	const char* axes[] = { " X", " Y", " Z" };
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		LinkAs(c.type, c.slot, c.mode);
		ASSERT_TRUE(Build());
		EXPECT_EQ(TypeOf(PULSOR_START_VALUE + c.slot), c.type);
		EXPECT_EQ(TypeOf(PULSOR_END_VALUE + c.slot), c.type);
		EXPECT_EQ(TypeOf(tab + PULSOR_TAB_VARIATION + c.slot), c.type);
		EXPECT_EQ(TypeOf(PULSOR_FINAL_OUTPUT + c.slot), c.type);
		EXPECT_EQ(Label(PULSOR_FINAL_OUTPUT + c.slot), "Final Output");
		const bool three = c.master.size() == 3;
		for (size_t k = 0; k < c.master.size(); ++k)
		{
			const string axis = three ? axes[k] : "";
			EXPECT_EQ(Label(c.master[k]), "Master" + axis);
			EXPECT_EQ(Label(c.base[k]), "Base" + axis);
			EXPECT_EQ(Label(c.feedback[k]), "Feedback" + axis);
			EXPECT_EQ(Label(c.output[k]), c.outputLabels[k]);
			EXPECT_EQ(ParentOf(c.output[k]), PULSOR_OUTPUT_PAGE);
			EXPECT_EQ(Settings(c.output[k]).GetBool(DESC_EDITABLE, TRUE), FALSE);
		}
		// Three components: a line after the tab's three output displays.
		EXPECT_EQ(Has(tab + PULSOR_TAB_OUTPUT_SEP), three);
		if (three)
		{
			EXPECT_EQ(IndexOf(tab + PULSOR_TAB_OUTPUT_SEP), IndexOf(c.output[2]) + 1);
		}
		// Direction rows: one per component.
		EXPECT_EQ(Has(tab + PULSOR_TAB_DIRECTION_ROW_Y), three);
		EXPECT_EQ(Has(tab + PULSOR_TAB_NEGATIVE + 2), three);
		EXPECT_EQ(Has(tab + PULSOR_TAB_POSITIVE + 2), three);
		// Only a colour opens the variation's expanded view.
		EXPECT_EQ(Settings(tab + PULSOR_TAB_VARIATION + c.slot).GetBool(DESC_GUIOPEN), c.type == DTYPE_COLOR);
		EXPECT_FALSE(Has(PULSOR_THRESHOLD_DISTANCE));
	}
}

TEST_F(LayoutTest, AnUnknownModeOrSlotAddsNoDisplaysAndNoMirrors)
{
	const LONG tab = TabBase(Add(PULSOR_MOD_SIN));
	LinkAs(DTYPE_REAL, 99, 5);
	ASSERT_TRUE(Build());
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
	for (LONG id = PULSOR_MASTER_DISPLAY; id <= PULSOR_MASTER_DISPLAY + 8; ++id)
		EXPECT_FALSE(Has(id)) << id;
	for (LONG offset = PULSOR_TAB_FEEDBACK_DISPLAY; offset <= PULSOR_TAB_FEEDBACK_DISPLAY + 8; ++offset)
		EXPECT_FALSE(Has(tab + offset)) << offset;
	EXPECT_FALSE(Has(PULSOR_START_VALUE + 99));
	EXPECT_FALSE(Has(PULSOR_FINAL_OUTPUT + 99));
	EXPECT_TRUE(Has(PULSOR_KEY_TO));
}

// ---- Modifier pages ---------------------------------------------------------

TEST_F(LayoutTest, ConditionalElementsFollowTheModifierType)
{
	const LONG noise = TabBase(Add(PULSOR_MOD_NOISE));
	const LONG custom = TabBase(Add(PULSOR_MOD_CUSTOM));
	const LONG sin = TabBase(Add(PULSOR_MOD_SIN));
	const vector<LONG> noiseOnly = { PULSOR_TAB_SPEED, PULSOR_TAB_SEED, PULSOR_TAB_BIAS, PULSOR_TAB_SEP_REMAP,
		PULSOR_TAB_REMAP_GROUP, PULSOR_TAB_REMAP_CURVE };
	const vector<LONG> customOnly = { PULSOR_TAB_CUSTOM_GROUP, PULSOR_TAB_CUSTOM_CURVE };

	ASSERT_TRUE(Build());
	for (LONG offset : noiseOnly)
	{
		EXPECT_TRUE(Has(noise + offset)) << offset;
		EXPECT_FALSE(Has(custom + offset)) << offset;
		EXPECT_FALSE(Has(sin + offset)) << offset;
	}
	for (LONG offset : customOnly)
	{
		EXPECT_FALSE(Has(noise + offset)) << offset;
		EXPECT_TRUE(Has(custom + offset)) << offset;
		EXPECT_FALSE(Has(sin + offset)) << offset;
	}
	EXPECT_FALSE(Has(noise + PULSOR_TAB_UNIFORM)) << "a real has one component";
	EXPECT_EQ(Label(noise + PULSOR_TAB_REMAP_GROUP), "Remap Strength");
	EXPECT_EQ(Settings(noise + PULSOR_TAB_REMAP_GROUP).GetReal(DESC_DEFAULT, -1.0), 0.0) << "closed";
	EXPECT_EQ(Label(noise + PULSOR_TAB_REMAP_CURVE), "RS");
	EXPECT_EQ(Settings(noise + PULSOR_TAB_SEED).GetLong(DESC_MAX), 100000);
	EXPECT_EQ(Settings(noise + PULSOR_TAB_SEED).GetLong(DESC_MIN), 0);
	EXPECT_EQ(Settings(noise + PULSOR_TAB_BIAS).GetLong(DESC_UNIT), DESC_UNIT_PERCENT);
	EXPECT_EQ(Label(custom + PULSOR_TAB_CUSTOM_GROUP), "Custom");
	EXPECT_EQ(TypeOf(custom + PULSOR_TAB_CUSTOM_CURVE), CUSTOMDATATYPE_SPLINE);
	EXPECT_FALSE(Settings(custom + PULSOR_TAB_CUSTOM_CURVE).GetDataPointer(DESC_NAME)) << "no label";
	EXPECT_EQ(ParentOf(custom + PULSOR_TAB_CUSTOM_CURVE), custom + PULSOR_TAB_CUSTOM_GROUP);

	// "Uniform" needs Noise on three components (or a matrix).
	for (LONG type : { DTYPE_VECTOR, DTYPE_COLOR, DTYPE_MATRIX })
	{
		LinkAs(type, 6, 2);
		ASSERT_TRUE(Build());
		EXPECT_TRUE(Has(noise + PULSOR_TAB_UNIFORM)) << type;
		EXPECT_EQ(IndexOf(noise + PULSOR_TAB_UNIFORM), IndexOf(noise + PULSOR_TAB_SEP_DIRECTION) - 1) << type;
		EXPECT_FALSE(Has(sin + PULSOR_TAB_UNIFORM)) << type;
	}
	// The type is read from the tab each time: changing it changes the page.
	data()->SetLong(sin + PULSOR_TAB_TYPE, PULSOR_MOD_NOISE);
	ASSERT_TRUE(Build());
	EXPECT_TRUE(Has(sin + PULSOR_TAB_SPEED));
}

TEST_F(LayoutTest, AModifierPageIsLaidOutInOrderUnderItsName)
{
	const LONG tab = TabBase(Add(PULSOR_MOD_SIN));
	ASSERT_TRUE(Build());
	const vector<string> expected = {
		"22001 group \"Sin\" default=1 columns=1",
		"  22002 group default=1 columns=2",
		"    22003 long \"Modifier\" min=-2147483648 max=2147483647 step=1 unit='flng' "
		"cycle={1:Noise,2:Sin,3:Cos,4:Sawtooth,5:Square,6:Triangle,7:Bounce,8:Custom} gui=200000180 39=0 40=1",
		"    22004 string gui=130 39=0 40=1",
		"  22005 real \"Strength\" min=-1e+20 max=1e+20 step=0.01 unit='fpct' gui=1000489 minslider=0 maxslider=1",
		"  22006 separator line=1 gui=11",
		"  22007 group default=1 columns=2 layoutgroup=1 scaleh=1 39=0",
		"    22008 group default=1 columns=1",
		"      22060 real \"Variation\" short=Variation min=-1e+20 max=1e+20 step=1 unit='frea' scaleh=0",
		"    22009 group default=1 columns=1 layoutgroup=1 scaleh=1 39=0",
		"      22012 group default=1 columns=2",
		"        22160 bool \"Negative\" gui=400006001",
		"        22110 bool \"Positive\" gui=400006001",
		"  22210 separator line=1 gui=11",
		"  22211 time \"Loop Point\" min=0s step=1 unit='ffrm'",
		"  22212 time \"Time Offset\" step=1 unit='ffrm'",
		"  22213 separator line=1 gui=11",
		"  22220 group \"Advanced\" default=0 columns=1",
		"    22221 long \"Strength Mode\" min=-2147483648 max=2147483647 step=1 unit='flng' "
		"cycle={0:Full Power,1:Fade Up,2:Fade Down,3:Ease In,4:Ease Out,5:Ease In & Out,6:Custom} gui=200000180 39=0 40=1",
		"    22222 spline \"\"",
		"    22223 group default=1 columns=4",
		"      22224 time \"Start Time\" step=1 unit='ffrm' gui=19",
		"      22225 separator \"N/A\" line=1 gui=11 scaleh=1",
		"      22226 time \"End Time\" step=1 unit='ffrm' gui=19",
		"    22228 long \"Playback\" min=-2147483648 max=2147483647 step=1 unit='flng' "
		"cycle={0:Once,1:Loop,2:Pingpong} gui=200000180 39=0 40=1",
		"    22229 button \"Match Timeline\" gui=8",
		"  22233 separator line=1 gui=11 scaleh=1",
		"  22235 real \"Feedback\" min=-1 max=1 step=1 unit='frea' gui=200000006",
		"  22284 group default=1 columns=7 layoutgroup=0 scaleh=0",
		"    22287 button \"Delete\" gui=8",
		"    22288 button \"Move Up\" gui=8",
		"    22289 button \"Move Down\" gui=8",
		"    22290 button \"Duplicate\" gui=8",
		"    22342 separator \"N/A\" line=1 gui=11 scaleh=1",
		"    22341 button \"\" gui=1000479 butt=1",
	};
	EXPECT_EQ(Lines(tab + PULSOR_TAB_PAGE, PULSOR_OUTPUT_PAGE), expected);
}

TEST_F(LayoutTest, TabsFollowTheListOrderAndTheirNumbers)
{
	Add(PULSOR_MOD_SIN);     // 2
	Add(PULSOR_MOD_COS);     // 3
	Add(PULSOR_MOD_BOUNCE);  // 4
	WriteTabList(3, { 4, 2, 3 });
	SetName(2, "Wobble");
	data()->RemoveData(TabBase(4) + PULSOR_TAB_NAME);
	ASSERT_TRUE(Build());
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, Tab(4, PULSOR_TAB_PAGE), Tab(2, PULSOR_TAB_PAGE),
						   Tab(3, PULSOR_TAB_PAGE), PULSOR_OUTPUT_PAGE }));
	EXPECT_EQ(Label(Tab(2, PULSOR_TAB_PAGE)), "Wobble");
	EXPECT_EQ(Label(Tab(4, PULSOR_TAB_PAGE)), "None") << "a tab without a name";
	EXPECT_TRUE(Has(Tab(3, PULSOR_TAB_HELP)));
	EXPECT_EQ(ParentOf(Tab(3, PULSOR_TAB_HELP)), Tab(3, PULSOR_TAB_BUTTON_ROW));
	// The output displays come in the same order, between the base display's
	// separator and the output.
	const vector<LONG> ids = Ids();
	const LONG after = IndexOf(PULSOR_OUTPUT_SEP_BASE);
	const LONG output = PULSOR_TAB_OUTPUT_DISPLAY + 1;
	EXPECT_EQ(vector<LONG>(ids.begin() + after + 1, ids.begin() + after + 4),
		vector<LONG>({ Tab(4, output), Tab(2, output), Tab(3, output) }));
	EXPECT_EQ(Label(Tab(2, output)), "Wobble");
	EXPECT_EQ(Label(Tab(4, output)), "None");
	EXPECT_EQ(ids[(size_t)after + 4], PULSOR_FINAL_OUTPUT + 1);

	// A tab without a stored type reads as Sin: nothing type-dependent.
	data()->RemoveData(TabBase(3) + PULSOR_TAB_TYPE);
	ASSERT_TRUE(Build());
	EXPECT_FALSE(Has(TabBase(3) + PULSOR_TAB_SPEED));
	EXPECT_FALSE(Has(TabBase(3) + PULSOR_TAB_CUSTOM_GROUP));
}

TEST_F(LayoutTest, AnEmptyTabListLaysOutBaseAndOutputOnly)
{
	Add(PULSOR_MOD_NOISE);
	WriteTabList(0, { 2 });
	ASSERT_TRUE(Build());
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE }));
	EXPECT_EQ(IndexOf(PULSOR_FINAL_OUTPUT + 1), IndexOf(PULSOR_OUTPUT_SEP_BASE) + 1);
	EXPECT_FALSE(Has(Tab(2, PULSOR_TAB_PAGE)));

	data()->RemoveData(PULSOR_TAB_LIST);
	ASSERT_TRUE(Build());
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE }));
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
}

TEST_F(LayoutTest, AHostileTabListNeitherHangsNorCrashes)
{
	Add(PULSOR_MOD_SIN);
	Add(PULSOR_MOD_NOISE);
	const LONG huge = 0x7fffffff;
	// A lying count, repeats, numbers whose identifiers overflow, zero and
	// negatives: the valid distinct numbers are laid out once each.
	WriteTabList(huge, { 3, 3, huge, -1, 0, 2, -huge, PULSOR_MAX_TAB_NUMBER + 1, PULSOR_MAX_TAB_NUMBER, 2 });
	ASSERT_TRUE(Build());
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
	const LONG last = TabBase(PULSOR_MAX_TAB_NUMBER);
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, Tab(3, PULSOR_TAB_PAGE), Tab(2, PULSOR_TAB_PAGE),
						   last + PULSOR_TAB_PAGE, PULSOR_OUTPUT_PAGE }));
	EXPECT_EQ(Label(last + PULSOR_TAB_PAGE), "None");
	EXPECT_TRUE(Has(last + PULSOR_TAB_BUTTON_SEP)) << "the highest offset of the highest tab";

	WriteTabList(-5, { 2 });
	ASSERT_TRUE(Build());
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE }));

	// A tab list that is not a container at all.
	data()->SetLong(PULSOR_TAB_LIST, 7);
	ASSERT_TRUE(Build());
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE }));
}

// ---- Output, keyframe and preset pages ---------------------------------------

TEST_F(LayoutTest, TheOutputPageEndsWithTheClosedKeyframeGroup)
{
	ASSERT_TRUE(Build());
	const vector<string> expected = {
		"2186 real \"Output\" default=1 columns=1",
		"  2187 real \"Volume\" min=-1e+20 max=1e+20 step=0.01 unit='fpct' gui=1000489 minslider=0 maxslider=1",
		"  2188 separator line=1 gui=11",
		"  2190 real \"Master\" min=0 max=1 step=0.001 unit='frea' gui=200000006",
		"  2239 separator line=1 gui=11",
		"  2241 real \"Base\" min=0 max=1 step=0.001 unit='frea' gui=200000006",
		"  2290 separator line=1 gui=11",
		"  2292 real \"Final Output\" short=Final Output min=-1e+20 max=1e+20 step=1 unit='frea' scaleh=0",
		"  2369 separator line=1 gui=11",
		"  2385 group default=1 columns=3 layoutgroup=0 scaleh=0",
		"    2368 bool \"Feedback\" gui=400006001",
		"    2384 separator \"N/A\" line=1 gui=11 scaleh=1",
		"    2383 button \"\" gui=1000479 butt=1",
		"  2354 group \"Keyframe\" default=0 columns=1",
		"    2374 group \"\" default=0 columns=2",
		"      2355 button \"Convert To Keyframes\" gui=8",
		"      2373 button \"Clear Keyframes\" gui=8",
		"    2356 bool \"Keyframe Sequence\" gui=400006001",
		"    2357 time \"From\" step=1 unit='ffrm' gui=19",
		"    2358 time \"To\" step=1 unit='ffrm' gui=19",
	};
	EXPECT_EQ(Lines(PULSOR_OUTPUT_PAGE), expected);
	EXPECT_FALSE(Has(PULSOR_PRESET_PAGE));
}

TEST_F(LayoutTest, ThePresetPageFollowsOutputWhileSwitchedOn)
{
	BaseContainer presets;
	presets.SetString(0, "Calm");
	presets.SetString(1, "Storm");
	data()->SetContainer(PULSOR_PRESET_LIST, presets);
	data()->SetBool(PULSOR_SHOW_PRESETS, TRUE);
	ASSERT_TRUE(Build());
	EXPECT_EQ(Pages(), vector<LONG>({ PULSOR_BASE_PAGE, PULSOR_OUTPUT_PAGE, PULSOR_PRESET_PAGE }));
	const vector<string> expected = {
		"5002 group \"Preset\" default=1 columns=1",
		"  5003 string \"Preset Name\" gui=130",
		"  5004 string \"Save/Load Location\" gui=130",
		"  5005 button \"...\" gui=8",
		"  5006 long \"Presets\" min=-2147483648 max=2147483647 step=1 unit='flng' cycle={0:Calm,1:Storm} 39=0 40=1",
		"  5007 button \"Save\" gui=8",
		"  5008 button \"Load\" gui=8",
		"  5011 button \"Refresh\" gui=8",
	};
	EXPECT_EQ(Lines(PULSOR_PRESET_PAGE), expected);
	EXPECT_EQ(IndexOf(PULSOR_PRESET_PAGE), IndexOf(PULSOR_KEY_TO) + 1);
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
}

// ---- Single-element requests -------------------------------------------------

TEST_F(LayoutTest, ASingleIdentifierBuildsOnlyThatElement)
{
	const LONG tab = TabBase(Add(PULSOR_MOD_NOISE));
	const DescID strength(PULSOR_STRENGTH);
	ASSERT_TRUE(Build(&strength));
	EXPECT_EQ(WithoutStatic(Ids()), vector<LONG>({ PULSOR_STRENGTH }));
	EXPECT_EQ(Lines(PULSOR_STRENGTH),
		vector<string>({ "2004 real \"Strength\" min=-1e+20 max=1e+20 step=0.01 unit='fpct' default=1 gui=1000489 "
						 "minslider=0 maxslider=1" }));
	EXPECT_EQ(flags_, LAYOUT_CLOSED) << "the closing step still runs";

	// A tab's element, and one component of a mirror control.
	const DescID seed(tab + PULSOR_TAB_SEED);
	ASSERT_TRUE(Build(&seed));
	EXPECT_EQ(WithoutStatic(Ids()), vector<LONG>({ tab + PULSOR_TAB_SEED }));
	LinkAs(DTYPE_VECTOR, 6, 2);
	const DescID endY(DescLevel(PULSOR_END_VALUE + 6), DescLevel(VECTOR_Y));
	ASSERT_TRUE(Build(&endY));
	EXPECT_EQ(WithoutStatic(Ids()), vector<LONG>({ PULSOR_END_VALUE + 6 }));
	EXPECT_EQ(Label(PULSOR_END_VALUE + 6), "End");

	// A data type that does not match names nothing.
	const DescID wrongType(DescLevel(PULSOR_STRENGTH, DTYPE_LONG, 0));
	ASSERT_TRUE(Build(&wrongType));
	EXPECT_TRUE(WithoutStatic(Ids()).empty());
	EXPECT_EQ(flags_, LAYOUT_CLOSED);
}

// ---- Refused elements ---------------------------------------------------------

TEST_F(LayoutTest, ARefusedElementStopsTheBuildWithoutClosing)
{
	const LONG tab = TabBase(Add(PULSOR_MOD_SIN));
	struct Case
	{
		const char* what;
		LONG taken;      // already on the page
		LONG lastAdded;  // the element just before it
	};
	for (const Case& c : { Case{ "base page", PULSOR_STRENGTH, PULSOR_BASE_SEP_ADD },
			 Case{ "tab page", tab + PULSOR_TAB_STRENGTH, tab + PULSOR_TAB_NAME },
			 Case{ "output page", PULSOR_KEY_FROM, PULSOR_KEY_SEQUENCE } })
	{
		SCOPED_TRACE(c.what);
		Description::Free(page_);
		page_ = Description::Alloc();
		ASSERT_TRUE(page_->SetParameter(DescID(c.taken), BaseContainer(), DescID()));
		flags_ = DESCFLAGS_DESC_0;
		EXPECT_TRUE(pulsor()->GetDDescription(tag_, page_, flags_));
		EXPECT_EQ(flags_, DESCFLAGS_DESC_0);
		EXPECT_EQ((*page_->GetElementId(Count() - 1))[0].id, c.lastAdded);
		EXPECT_FALSE(Settings(c.taken).GetDataPointer(DESC_NAME)) << "the earlier element stays as it was";
	}
}

TEST_F(LayoutTest, AWholePageRefusesElementsOfGroupsItDoesNotHold)
{
	AutoAlloc<Description> page;
	ASSERT_TRUE(page->LoadDescription(PULSOR_TAG_ID));
	const BaseContainer none;
	EXPECT_FALSE(page->SetParameter(DescID(PULSOR_STRENGTH), none, DescID(PULSOR_BASE_PAGE)));
	EXPECT_FALSE(page->SetParameter(DescID(PULSOR_BASE_PAGE), none, DescID(Tdisplay)));
	EXPECT_TRUE(page->SetParameter(DescID(PULSOR_BASE_PAGE), none, DescID(PULSOR_TAG_ID)));
	EXPECT_TRUE(page->SetParameter(DescID(PULSOR_STRENGTH), none, DescID(PULSOR_BASE_PAGE)));
	EXPECT_TRUE(page->SetParameter(DescID(PULSOR_VOLUME), none, DescID()));

	// A single-element request holds no groups.
	AutoAlloc<Description> single;
	const DescID wanted(PULSOR_STRENGTH);
	single->SetSingleDescID(&wanted);
	EXPECT_TRUE(single->SetParameter(DescID(PULSOR_STRENGTH), none, DescID(PULSOR_BASE_PAGE)));
}
