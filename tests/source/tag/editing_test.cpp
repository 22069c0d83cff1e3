// Editing operations: message dispatch, tab commands, follow-ups of edits,
// the drop check, help bitmaps, the tag icon, start-up settings and undo.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "customgui_descproperty.h"
#include "editing_fixture.h"

using pulsor_test::EditingTest;
using pulsor_test::Tab;

namespace
{

typedef std::vector<LONG> Numbers;

class UndoTest : public EditingTest
{
};

BaseContainer Labels(LONG first, std::vector<const CHAR*> texts)
{
	BaseContainer bc;
	for (const CHAR* t : texts)
		bc.SetString(first++, t);
	return bc;
}

const SplineData* Curve(const GeData& value)
{
	return static_cast<const SplineData*>(value.GetCustomDataType(CUSTOMDATATYPE_SPLINE));
}

// A BaseBitmap that frees itself.
struct Bitmap
{
	explicit Bitmap(const std::string& file) : bmp(BaseBitmap::Alloc()) { ok = bmp->Init(Filename(file.c_str()), -1) == IMAGERESULT_OK; }
	~Bitmap() { BaseBitmap::Free(bmp); }
	BaseBitmap* bmp;
	bool ok;
};

struct Rgb
{
	UWORD r, g, b;
	bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb Pixel(const BaseBitmap* bmp, LONG x, LONG y)
{
	Rgb p = { 0, 0, 0 };
	bmp->GetPixel(x, y, &p.r, &p.g, &p.b);
	return p;
}

std::string Res(const char* file)
{
	return std::string(PULSOR_SOURCE_DIR) + "/res/" + file;
}

} // namespace

// ---- Dispatch ---------------------------------------------------------------

TEST_F(EditingTest, TagOutsideAnyDocumentIgnoresEveryMessage)
{
	BaseTag* loose = BaseTag::Alloc(PULSOR_TAG_ID);
	ASSERT_NE(loose, nullptr);
	ASSERT_EQ(loose->GetDocument(), nullptr);
	Pulsor* p = static_cast<Pulsor*>(loose->GetNodeData());
	BaseContainer* bc = loose->GetDataInstance();
	ASSERT_TRUE(p->AddTab(bc, loose, PULSOR_MOD_NOISE));
	ASSERT_TRUE(p->AddTab(bc, loose, PULSOR_MOD_SIN));
	// Everything a start-up settings run or a command would rewrite.
	bc->SetReal(PULSOR_DATA_VERSION, 0.5);
	bc->SetString(PULSOR_PRESET_FOLDER, "/elsewhere");
	bc->SetLong(PULSOR_ADD_MODIFIER, PULSOR_MOD_COS);
	bc->SetLong(Tab(2, PULSOR_TAB_STRENGTH_MODE), 3);
	const BaseContainer before = *bc;
	const ULONG dirt = loose->GetDirty(DIRTYFLAGS_DESCRIPTION);

	std::vector<LONG> commands = { Tab(2, PULSOR_TAB_DELETE), Tab(2, PULSOR_TAB_MOVE_UP), Tab(3, PULSOR_TAB_MOVE_UP),
		Tab(2, PULSOR_TAB_MOVE_DOWN), Tab(2, PULSOR_TAB_DUPLICATE), Tab(2, PULSOR_TAB_MATCH_TIMELINE), PULSOR_MATCH_TIMELINE,
		PULSOR_REBUILD_LABELS };
	for (LONG id : commands)
	{
		DescriptionCommand command = { DescID(id) };
		EXPECT_TRUE(loose->Message(MSG_DESCRIPTION_COMMAND, &command)) << id;
	}
	const DescID set(Tab(2, PULSOR_TAB_STRENGTH_MODE));
	DescriptionPostSetValue post = { &set };
	EXPECT_TRUE(loose->Message(MSG_DESCRIPTION_POSTSETPARAMETER, &post));
	DescriptionCheckDragAndDrop check = { DescID(PULSOR_LINK), loose, TRUE };
	EXPECT_TRUE(loose->Message(MSG_DESCRIPTION_CHECKDRAGANDDROP, &check));
	EXPECT_TRUE(check.result);
	DescriptionGetBitmap bitmap = { DescID(PULSOR_HELP_BASE), nullptr };
	EXPECT_TRUE(loose->Message(MSG_DESCRIPTION_GETBITMAP, &bitmap));
	EXPECT_EQ(bitmap.bmp, nullptr);
	IconData icon = { nullptr, 0, 0, 0, 0 };
	GetCustomIconData iconRequest = { &icon, FALSE };
	EXPECT_TRUE(loose->Message(MSG_GETCUSTOMICON, &iconRequest));
	EXPECT_FALSE(iconRequest.filled);
	EXPECT_TRUE(loose->Message(MSG_MULTI_DOCUMENTIMPORTED, nullptr));
	AutoAlloc<AtomArray> elements;
	elements->Append(cube_);
	DescPropertyDragData payload = { elements, pulsor_test::PositionY() };
	DragAndDrop parameterDrop = { doc_, 0, DRAGTYPE_DESCID, &payload, 0 };
	EXPECT_TRUE(loose->Message(MSG_DRAGANDDROP, &parameterDrop));
	EXPECT_EQ(parameterDrop.flags, 0u);
	DragAndDrop otherDrop = { doc_, 0, 7, nullptr, 0 };
	EXPECT_TRUE(loose->Message(MSG_DRAGANDDROP, &otherDrop));

	EXPECT_TRUE(*bc == before);
	EXPECT_EQ(loose->GetName().GetStdString(), "Pulsor");
	EXPECT_EQ(loose->GetDirty(DIRTYFLAGS_DESCRIPTION), dirt);
	BaseTag::Free(loose);
}

TEST_F(EditingTest, NullRecordsAndUnknownMessagesChangeNothing)
{
	Add(PULSOR_MOD_NOISE);
	data()->SetLong(PULSOR_ADD_MODIFIER, 0);
	const BaseContainer before = *data();
	const LONG types[] = { MSG_DESCRIPTION_COMMAND, MSG_DESCRIPTION_POSTSETPARAMETER, MSG_DESCRIPTION_CHECKDRAGANDDROP,
		MSG_DESCRIPTION_GETBITMAP, MSG_GETCUSTOMICON, MSG_DRAGANDDROP, 4242, -1 };
	for (LONG type : types)
		EXPECT_TRUE(Send(type, nullptr)) << type;
	// A post-set record whose identifier pointer is null.
	DescriptionPostSetValue empty = { nullptr };
	EXPECT_TRUE(Send(MSG_DESCRIPTION_POSTSETPARAMETER, &empty));
	// An icon request without an IconData to fill.
	GetCustomIconData noIcon = { nullptr, FALSE };
	EXPECT_TRUE(Send(MSG_GETCUSTOMICON, &noIcon));
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(Tabs(), Numbers({ 2 }));
}

// ---- Tab commands -----------------------------------------------------------

TEST_F(EditingTest, DuplicateOfOneNoiseTabTakesNumberOneLastAndCopiesEveryField)
{
	Add(PULSOR_MOD_NOISE);
	data()->SetLong(Tab(2, PULSOR_TAB_SEED), 77);
	data()->SetReal(Tab(2, PULSOR_TAB_BIAS), 0.25);
	data()->SetLong(Tab(2, PULSOR_TAB_STRENGTH_MODE), 3);
	data()->SetString(Tab(2, PULSOR_TAB_HELP), "help");  // the help icon's slot, which a copy must not write
	std::vector<HostEvent> pages;
	HostSetObserver([&pages](const HostEvent& e) {
		if (e.kind == HostEvent::OPEN_HTML)
			pages.push_back(e);
	});
	const LONG undos = doc_->GetUndoCount();
	const ULONG dirt = LayoutDirt();

	EXPECT_TRUE(Command(Tab(2, PULSOR_TAB_DUPLICATE)));

	EXPECT_EQ(Tabs(), Numbers({ 2, 1 }));
	EXPECT_EQ(Name(1), "Noise 2");
	EXPECT_EQ(data()->GetLong(Tab(1, PULSOR_TAB_TYPE)), PULSOR_MOD_NOISE);
	EXPECT_EQ(data()->GetLong(Tab(1, PULSOR_TAB_SEED)), 77);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(1, PULSOR_TAB_BIAS)), 0.25);
	EXPECT_EQ(data()->GetLong(Tab(1, PULSOR_TAB_STRENGTH_MODE)), 3);
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(1, PULSOR_TAB_LOOP_POINT)).Get(), 0.0);
	EXPECT_TRUE(data()->GetData(Tab(1, PULSOR_TAB_STRENGTH_CURVE)) == data()->GetData(Tab(2, PULSOR_TAB_STRENGTH_CURVE)));
	EXPECT_TRUE(data()->GetData(Tab(1, PULSOR_TAB_REMAP_CURVE)) == data()->GetData(Tab(2, PULSOR_TAB_REMAP_CURVE)));
	EXPECT_EQ(data()->GetDataPointer(Tab(1, PULSOR_TAB_HELP)), nullptr);
	EXPECT_TRUE(pages.empty()) << pages.front().text.GetStdString();
	EXPECT_EQ(doc_->GetUndoCount(), undos + 1);
	EXPECT_GT(LayoutDirt(), dirt);
}

TEST_F(EditingTest, ADuplicateInAFreedNumberEqualsItsSourceWithNothingOfTheOldTab)
{
	// Tab 1 is first a copy of a uniform Noise with displays, then deleted;
	// its fields stay behind in the container.
	const LONG noise = Add(PULSOR_MOD_NOISE);
	data()->SetBool(Tab(noise, PULSOR_TAB_UNIFORM), TRUE);
	data()->SetReal(Tab(noise, PULSOR_TAB_FEEDBACK_DISPLAY + 1), 0.7);
	data()->SetReal(Tab(noise, PULSOR_TAB_OUTPUT_DISPLAY + 1), 0.3);
	data()->SetLong(Tab(noise, 999), 5);  // an entry past the fields
	ASSERT_TRUE(Command(Tab(noise, PULSOR_TAB_DUPLICATE)));
	ASSERT_EQ(Tabs(), Numbers({ noise, 1 }));
	ASSERT_TRUE(data()->GetBool(Tab(1, PULSOR_TAB_UNIFORM)));
	ASSERT_TRUE(Command(Tab(1, PULSOR_TAB_DELETE)));
	ASSERT_EQ(Tabs(), Numbers({ noise }));

	const LONG sine = Add(PULSOR_MOD_SIN);
	ASSERT_TRUE(Command(Tab(sine, PULSOR_TAB_DUPLICATE)));
	ASSERT_EQ(Tabs(), Numbers({ noise, sine, 1 }));
	for (LONG offset = PULSOR_TAB_FIRST_OFFSET; offset < PULSOR_TAB_STRIDE; ++offset)
	{
		if (offset == PULSOR_TAB_NAME || offset == PULSOR_TAB_HELP)
			continue;
		const GeData* source = data()->GetDataPointer(Tab(sine, offset));
		const GeData* copy = data()->GetDataPointer(Tab(1, offset));
		ASSERT_EQ(copy != nullptr, source != nullptr) << "offset " << offset;
		if (source)
		{
			EXPECT_TRUE(*copy == *source) << "offset " << offset;
		}
	}
	EXPECT_EQ(Name(1), "Sin 2");
}

TEST_F(EditingTest, DuplicateNamesCountOnFromANumberedStemOrANumber)
{
	for (int i = 0; i < 3; ++i)
		Add(PULSOR_MOD_SIN);  // 2 "Sin", 3 "Sin 2", 4 "Sin 3"
	ASSERT_EQ(Name(4), "Sin 3");

	struct Case
	{
		LONG source;
		const char* rename;  // null: keep the source's name
		LONG copy;
		const char* expected;
	};
	const Case cases[] = {
		{ 4, nullptr, 1, "Sin 4" },
		{ 2, "7", 5, "2" },        // a name that is a number counts from 2 with no stem
		{ 2, nullptr, 6, "3" },    // "2" is taken now
		{ 3, "My Wobble", 7, "My Wobble 2" },
		{ 7, nullptr, 8, "My Wobble 3" },
		{ 3, "Sin -9", 9, "Sin" },  // "Sin" is free again once tab 2 became "7"
	};
	for (const Case& c : cases)
	{
		if (c.rename)
			SetName(c.source, c.rename);
		Command(Tab(c.source, PULSOR_TAB_DUPLICATE));
		ASSERT_EQ(Tabs().back(), c.copy) << c.expected;
		EXPECT_EQ(Name(c.copy), c.expected);
	}
	EXPECT_EQ(TabCount(), 9);
}

TEST_F(EditingTest, MovesAtTheEdgesChangeNothingButStillMarkTheLayout)
{
	Add(PULSOR_MOD_NOISE);
	Add(PULSOR_MOD_SIN);
	Add(PULSOR_MOD_COS);
	const BaseContainer before = *data();
	const LONG undos = doc_->GetUndoCount();
	ULONG dirt = LayoutDirt();
	for (LONG id : { Tab(2, PULSOR_TAB_MOVE_UP), Tab(4, PULSOR_TAB_MOVE_DOWN) })
	{
		EXPECT_TRUE(Command(id));
		EXPECT_TRUE(*data() == before) << id;
		EXPECT_EQ(LayoutDirt(), ++dirt) << id;
	}
	WriteTabList(1, { 3 });
	for (LONG id : { Tab(3, PULSOR_TAB_MOVE_UP), Tab(3, PULSOR_TAB_MOVE_DOWN) })
	{
		Command(id);
		EXPECT_EQ(Tabs(), Numbers({ 3 })) << id;
		EXPECT_EQ(LayoutDirt(), ++dirt) << id;
	}
	EXPECT_EQ(doc_->GetUndoCount(), undos);

	WriteTabList(3, { 2, 3, 4 });
	Command(Tab(2, PULSOR_TAB_MOVE_DOWN));
	EXPECT_EQ(Tabs(), Numbers({ 3, 2, 4 }));
	Command(Tab(4, PULSOR_TAB_MOVE_UP));
	EXPECT_EQ(Tabs(), Numbers({ 3, 4, 2 }));
	EXPECT_EQ(doc_->GetUndoCount(), undos + 2);
}

TEST_F(EditingTest, DeleteOfTheMiddleTabClosesTheGapAndKeepsItsFields)
{
	Add(PULSOR_MOD_NOISE);
	Add(PULSOR_MOD_SIN);
	Add(PULSOR_MOD_COS);
	const LONG undos = doc_->GetUndoCount();
	const ULONG dirt = LayoutDirt();

	EXPECT_TRUE(Command(Tab(3, PULSOR_TAB_DELETE)));

	const BaseContainer list = data()->GetContainer(PULSOR_TAB_LIST);
	EXPECT_EQ(list.GetLong(0), 2);
	EXPECT_EQ(list.GetLong(5), 2);
	EXPECT_EQ(list.GetLong(6), 4);
	EXPECT_EQ(Name(3), "Sin");  // left behind, never read again
	EXPECT_EQ(doc_->GetUndoCount(), undos + 1);
	EXPECT_EQ(LayoutDirt(), dirt + 1);
	// The freed number is the next one "Add Modifiers" hands out.
	EXPECT_EQ(Add(PULSOR_MOD_BOUNCE), 3);
	EXPECT_EQ(Tabs(), Numbers({ 2, 4, 3 }));
}

TEST_F(EditingTest, TabCommandsOnHostileListsStayWithinTheListedTabs)
{
	// The count promises five tabs, the list holds two.
	WriteTabList(5, { 2, 3 });
	Command(Tab(2, PULSOR_TAB_DELETE));
	EXPECT_EQ(Tabs(), Numbers({ 3 }));

	// Repeats are one tab.
	WriteTabList(4, { 2, 3, 2, 3 });
	Command(Tab(2, PULSOR_TAB_MOVE_DOWN));
	EXPECT_EQ(Tabs(), Numbers({ 3, 2 }));

	// Zero and negative numbers name no tab; number 0 would alias the globals.
	WriteTabList(4, { 0, -3, 2, 3 });
	Command(Tab(3, PULSOR_TAB_MOVE_UP));
	EXPECT_EQ(Tabs(), Numbers({ 3, 2 }));
	Command(Tab(2, PULSOR_TAB_DUPLICATE));
	EXPECT_EQ(Tabs(), Numbers({ 3, 2, 1 }));

	// A count at the top of the 32-bit range: the copy's entry would sit at
	// count + 5.
	WriteTabList(2147483647, { 2 });
	Command(Tab(2, PULSOR_TAB_DUPLICATE));
	EXPECT_EQ(Tabs(), Numbers({ 2, 1 }));

	// A number that is not listed: no delete, no move; the layout is still
	// marked, and no undo step is recorded.
	const BaseContainer before = *data();
	const LONG undos = doc_->GetUndoCount();
	const ULONG dirt = LayoutDirt();
	for (LONG id : { Tab(9, PULSOR_TAB_DELETE), Tab(9, PULSOR_TAB_MOVE_UP), Tab(9, PULSOR_TAB_MOVE_DOWN) })
		EXPECT_TRUE(Command(id));
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(LayoutDirt(), dirt + 3);

	// Identifiers from PULSOR_FIRST_TAB_ID to below tab 1's base decode to
	// tab number 0 (one looks like a Duplicate button), and the last tab
	// numbers would reach past 32 bits when their 9999 offsets are copied.
	const LONG top = TabBase(PULSOR_MAX_TAB_NUMBER + 1);
	for (LONG id : { (LONG)PULSOR_FIRST_TAB_ID, PULSOR_TAB_STRIDE + PULSOR_TAB_DUPLICATE, TabBase(1) - 1,
			 top + PULSOR_TAB_DUPLICATE, top + PULSOR_TAB_MATCH_TIMELINE, (LONG)INT_MAX })
		EXPECT_TRUE(Command(id)) << id;
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(doc_->GetUndoCount(), undos);
}

TEST_F(EditingTest, MatchTimelineCopiesTheDocumentRange)
{
	doc_->SetMinTime(BaseTime(12.0, 30.0));
	doc_->SetMaxTime(BaseTime(201.0, 30.0));
	Add(PULSOR_MOD_NOISE);
	const LONG undos = doc_->GetUndoCount();

	Command(PULSOR_MATCH_TIMELINE);
	EXPECT_DOUBLE_EQ(data()->GetTime(PULSOR_START_TIME).Get(), 0.4);
	EXPECT_DOUBLE_EQ(data()->GetTime(PULSOR_END_TIME).Get(), 6.7);
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(2, PULSOR_TAB_START_TIME)).Get(), 0.0);  // the tab keeps its own times

	Command(Tab(2, PULSOR_TAB_MATCH_TIMELINE));
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(2, PULSOR_TAB_START_TIME)).Get(), 0.4);
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(2, PULSOR_TAB_END_TIME)).Get(), 6.7);
	// Works from the identifier alone, listed or not.
	Command(Tab(6, PULSOR_TAB_MATCH_TIMELINE));
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(6, PULSOR_TAB_END_TIME)).Get(), 6.7);
	EXPECT_EQ(doc_->GetUndoCount(), undos + 3);
}

// ---- Follow-ups of edits ----------------------------------------------------

TEST_F(EditingTest, PickingAModifierAddsOneTabAndResetsTheChoice)
{
	PickModifier(PULSOR_MOD_SIN);
	EXPECT_EQ(Tabs(), Numbers({ 2 }));
	EXPECT_EQ(Name(2), "Sin");
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(2, PULSOR_TAB_LOOP_POINT)).Get(), 3.0);
	EXPECT_EQ(data()->GetLong(PULSOR_ADD_MODIFIER, -1), 0);

	// The choice is honoured whatever parameter the post-set names.
	data()->SetLong(PULSOR_ADD_MODIFIER, PULSOR_MOD_NOISE);
	PostSet(PULSOR_STRENGTH);
	EXPECT_EQ(Tabs(), Numbers({ 2, 3 }));
	EXPECT_EQ(Name(3), "Noise");
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(3, PULSOR_TAB_LOOP_POINT)).Get(), 0.0);

	// Types outside 1 .. 8 add nothing; the choice still falls back to "...".
	for (LONG type : { 9, 10, -1, 2147483647 })
	{
		PickModifier(type);
		EXPECT_EQ(TabCount(), 2) << type;
		EXPECT_EQ(data()->GetLong(PULSOR_ADD_MODIFIER, -1), 0) << type;
	}
}

TEST_F(EditingTest, ChangingATabsTypeRenamesDefaultNamesOnly)
{
	struct Case
	{
		std::vector<const char*> others;
		const char* name;
		LONG type;
		const char* expected;
	};
	const Case cases[] = {
		{ {}, "Noise", PULSOR_MOD_COS, "Cos" },
		{ { "Cos" }, "Noise", PULSOR_MOD_COS, "Cos 2" },
		{ {}, "Noise 4", PULSOR_MOD_COS, "Cos" },
		{ { "Cos", "Cos 2" }, "Sin 3", PULSOR_MOD_COS, "Cos 3" },
		{ {}, "Base", PULSOR_MOD_SQUARE, "Square" },
		{ {}, "...", PULSOR_MOD_BOUNCE, "Bounce" },
		// The tab's own name counts as taken.
		{ {}, "Cos", PULSOR_MOD_COS, "Cos 2" },
		{ {}, "My Wobble 3", PULSOR_MOD_COS, "My Wobble" },
		{ {}, "My Wobble", PULSOR_MOD_COS, "My Wobble" },
		{ {}, "noise", PULSOR_MOD_COS, "noise" },
		{ {}, "Noise", 12, "Missing" },
	};
	for (const Case& c : cases)
	{
		Numbers numbers;
		for (size_t i = 0; i < c.others.size(); ++i)
		{
			numbers.push_back(2 + (LONG)i);
			SetName(2 + (LONG)i, c.others[i]);
		}
		numbers.push_back(9);
		WriteTabList((LONG)numbers.size(), numbers);
		SetName(9, c.name);
		data()->SetLong(Tab(9, PULSOR_TAB_TYPE), c.type);
		PostSet(Tab(9, PULSOR_TAB_TYPE));
		EXPECT_EQ(Name(9), c.expected) << c.name << " to type " << c.type;
	}
}

TEST_F(EditingTest, ChangingATabsTypeGivesAPeriodToAnyWaveformButNoise)
{
	const LONG noise = Add(PULSOR_MOD_NOISE);
	const LONG sin = Add(PULSOR_MOD_SIN);
	const LONG cos = Add(PULSOR_MOD_COS);
	data()->SetTime(Tab(sin, PULSOR_TAB_LOOP_POINT), BaseTime(0.0));
	data()->SetTime(Tab(cos, PULSOR_TAB_LOOP_POINT), BaseTime(5.0));

	data()->SetLong(Tab(noise, PULSOR_TAB_TYPE), PULSOR_MOD_SIN);
	PostSet(Tab(noise, PULSOR_TAB_TYPE));
	data()->SetLong(Tab(sin, PULSOR_TAB_TYPE), PULSOR_MOD_NOISE);
	PostSet(Tab(sin, PULSOR_TAB_TYPE));
	data()->SetLong(Tab(cos, PULSOR_TAB_TYPE), PULSOR_MOD_SQUARE);
	PostSet(Tab(cos, PULSOR_TAB_TYPE));

	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(noise, PULSOR_TAB_LOOP_POINT)).Get(), 3.0);
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(sin, PULSOR_TAB_LOOP_POINT)).Get(), 0.0);
	EXPECT_DOUBLE_EQ(data()->GetTime(Tab(cos, PULSOR_TAB_LOOP_POINT)).Get(), 5.0);
}

TEST_F(EditingTest, AnEmptiedTabNameBecomesAQuestionMark)
{
	Add(PULSOR_MOD_NOISE);
	SetName(2, "");
	PostSet(Tab(2, PULSOR_TAB_NAME));
	EXPECT_EQ(Name(2), "?");
	SetName(2, " ");
	PostSet(Tab(2, PULSOR_TAB_NAME));
	EXPECT_EQ(Name(2), " ");
}

TEST_F(EditingTest, StrengthModesCopyTheirLibraryCurveAndEditingTheCurveMeansCustom)
{
	Add(PULSOR_MOD_SIN);
	const BaseContainer library = data()->GetContainer(PULSOR_CURVE_LIBRARY);
	const LONG curveOfMode[] = { 6, 11, 7, 8, 9, 10 };
	for (LONG mode = 0; mode < 6; ++mode)
	{
		data()->SetLong(Tab(2, PULSOR_TAB_STRENGTH_MODE), mode);
		PostSet(Tab(2, PULSOR_TAB_STRENGTH_MODE));
		ASSERT_NE(Curve(data()->GetData(Tab(2, PULSOR_TAB_STRENGTH_CURVE))), nullptr);
		EXPECT_TRUE(data()->GetData(Tab(2, PULSOR_TAB_STRENGTH_CURVE)) == library.GetData(curveOfMode[mode]))
			<< "mode " << mode;
	}
	// Ease In, then modes that own no curve leave it alone.
	data()->SetLong(Tab(2, PULSOR_TAB_STRENGTH_MODE), 3);
	PostSet(Tab(2, PULSOR_TAB_STRENGTH_MODE));
	EXPECT_FALSE(library.GetData(8) == library.GetData(6));
	for (LONG mode : { 6, 7, -1 })
	{
		data()->SetLong(Tab(2, PULSOR_TAB_STRENGTH_MODE), mode);
		PostSet(Tab(2, PULSOR_TAB_STRENGTH_MODE));
		EXPECT_TRUE(data()->GetData(Tab(2, PULSOR_TAB_STRENGTH_CURVE)) == library.GetData(8)) << "mode " << mode;
	}
	PostSet(Tab(2, PULSOR_TAB_STRENGTH_CURVE));
	EXPECT_EQ(data()->GetLong(Tab(2, PULSOR_TAB_STRENGTH_MODE)), 6);
}

TEST_F(EditingTest, PresetMenuChoiceCopiesThatPresetsName)
{
	data()->SetContainer(PULSOR_PRESET_LIST, Labels(0, { "Calm", "Jitter", "Pulse", "Wobble" }));
	data()->SetLong(PULSOR_PRESET_CHOICE, 3);
	PostSet(PULSOR_PRESET_CHOICE);
	EXPECT_EQ(data()->GetString(PULSOR_PRESET_NAME).GetStdString(), "Wobble");
	data()->SetLong(PULSOR_PRESET_CHOICE, 9);
	PostSet(PULSOR_PRESET_CHOICE);
	EXPECT_EQ(data()->GetString(PULSOR_PRESET_NAME, "absent").GetStdString(), "");
}

// ---- Drop check -------------------------------------------------------------

TEST_F(EditingTest, DropCheckRefusesOnlyTheTagItselfOnItsLinkField)
{
	BaseTag* other = BaseTag::Alloc(PULSOR_TAG_ID);
	cube_->InsertTag(other);
	struct Case
	{
		LONG target;
		GeListNode* element;
		Bool result;
	};
	const Case cases[] = {
		{ PULSOR_LINK, tag_, FALSE },
		{ PULSOR_LINK, cube_, TRUE },
		{ PULSOR_LINK, other, TRUE },
		{ PULSOR_LINKED_NAME, tag_, TRUE },
	};
	for (const Case& c : cases)
	{
		DescriptionCheckDragAndDrop check = { DescID(c.target), c.element, TRUE };
		EXPECT_TRUE(Send(MSG_DESCRIPTION_CHECKDRAGANDDROP, &check));
		EXPECT_EQ(check.result, c.result) << c.target;
	}
}

// ---- Help bitmaps and start-up settings -------------------------------------

TEST_F(EditingTest, HelpButtonsReceiveTheHelpBitmapAndOthersNone)
{
	UseSourceFolder();
	Bitmap help(Res("HelpIcon.tif"));
	ASSERT_TRUE(help.ok);
	for (LONG id : { (LONG)PULSOR_HELP_BASE, (LONG)PULSOR_HELP_OUTPUT, Tab(2, PULSOR_TAB_HELP), Tab(7, PULSOR_TAB_HELP) })
	{
		DescriptionGetBitmap request = { DescID(id), nullptr };
		EXPECT_TRUE(Send(MSG_DESCRIPTION_GETBITMAP, &request));
		ASSERT_NE(request.bmp, nullptr) << id;
		EXPECT_EQ(request.bmp->GetBw(), help.bmp->GetBw());
		EXPECT_EQ(request.bmp->GetBh(), help.bmp->GetBh());
		EXPECT_TRUE(Pixel(request.bmp, 10, 10) == Pixel(help.bmp, 10, 10));
		BaseBitmap::Free(request.bmp);  // the host owns it
	}
	// PULSOR_TYPE_SLOT ends in 341 but is a global entry, not a tab's help icon.
	for (LONG id : { (LONG)PULSOR_FEEDBACK, (LONG)PULSOR_TYPE_SLOT, Tab(2, PULSOR_TAB_HELP - 1) })
	{
		DescriptionGetBitmap request = { DescID(id), nullptr };
		EXPECT_TRUE(Send(MSG_DESCRIPTION_GETBITMAP, &request));
		EXPECT_EQ(request.bmp, nullptr) << id;
	}
	// Without the file the host still receives a bitmap, an empty one.
	UsePluginFolder(plugin_.Text());
	DescriptionGetBitmap request = { DescID(PULSOR_HELP_BASE), nullptr };
	Send(MSG_DESCRIPTION_GETBITMAP, &request);
	ASSERT_NE(request.bmp, nullptr);
	EXPECT_EQ(request.bmp->GetBw(), 0);
	BaseBitmap::Free(request.bmp);
}

TEST_F(EditingTest, StartUpSettingsResetThePresetFolderAndUpdateOldTags)
{
	const std::string folder = (plugin_.Path() / "res" / "Presets").string();
	const BaseContainer typeNames = data()->GetContainer(PULSOR_TYPE_NAMES);
	std::vector<std::pair<const char*, std::function<void()>>> triggers = {
		{ "message 13", [this] { Send(MSG_MULTI_DOCUMENTIMPORTED, nullptr); } },
		{ "help bitmap", [this] {
			 DescriptionGetBitmap request = { DescID(PULSOR_HELP_BASE), nullptr };
			 Send(MSG_DESCRIPTION_GETBITMAP, &request);
			 BaseBitmap::Free(request.bmp);
		 } },
		{ "other bitmap", [this] {
			 DescriptionGetBitmap request = { DescID(PULSOR_STRENGTH), nullptr };
			 Send(MSG_DESCRIPTION_GETBITMAP, &request);
		 } },
		{ "other drag type", [this] {
			 DragAndDrop drop = { doc_, 0, 7, nullptr, 0 };
			 Send(MSG_DRAGANDDROP, &drop);
		 } },
	};
	for (auto& trigger : triggers)
	{
		data()->SetString(PULSOR_PRESET_FOLDER, "/somewhere/else");
		data()->SetReal(PULSOR_DATA_VERSION, 0.5);
		data()->SetBool(PULSOR_SHOW_PRESETS, TRUE);
		for (LONG id = PULSOR_MODIFIER_LABELS; id <= PULSOR_TAB_PLAYBACK_LABELS; ++id)
			data()->RemoveData(id);
		trigger.second();
		EXPECT_EQ(data()->GetString(PULSOR_PRESET_FOLDER).GetStdString(), folder) << trigger.first;
		EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_DATA_VERSION), 1.0) << trigger.first;
		EXPECT_FALSE(data()->GetBool(PULSOR_SHOW_PRESETS, TRUE)) << trigger.first;
		EXPECT_TRUE(data()->GetContainer(PULSOR_BASE_PLAYBACK_LABELS) == Labels(1, { "Once", "Loop", "Pingpong", "Additive" }))
			<< trigger.first;
		EXPECT_TRUE(data()->GetContainer(PULSOR_TAB_PLAYBACK_LABELS) == Labels(0, { "Once", "Loop", "Pingpong" }))
			<< trigger.first;
		EXPECT_EQ(data()->GetContainer(PULSOR_ADD_LABELS).GetString(8).GetStdString(), "Custom") << trigger.first;
		EXPECT_EQ(data()->GetContainer(PULSOR_MODIFIER_LABELS).GetString(1).GetStdString(), "Noise") << trigger.first;
	}

	// At 0.95 only the version and the preset switch change; at 1.0 nothing.
	data()->SetReal(PULSOR_DATA_VERSION, 0.95);
	data()->RemoveData(PULSOR_BASE_PLAYBACK_LABELS);
	Send(MSG_MULTI_DOCUMENTIMPORTED, nullptr);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_DATA_VERSION), 1.0);
	EXPECT_EQ(data()->GetDataPointer(PULSOR_BASE_PLAYBACK_LABELS), nullptr);
	data()->SetBool(PULSOR_SHOW_PRESETS, TRUE);
	Send(MSG_MULTI_DOCUMENTIMPORTED, nullptr);
	EXPECT_TRUE(data()->GetBool(PULSOR_SHOW_PRESETS, FALSE));
	EXPECT_TRUE(data()->GetContainer(PULSOR_TYPE_NAMES) == typeNames);
}

// ---- Tag icon ---------------------------------------------------------------

namespace
{

// Asks for the icon; the registered bitmap, or null when none was supplied.
const BaseBitmap* RequestIcon(BaseTag* tag, IconData* icon)
{
	*icon = IconData{ nullptr, -1, -1, -1, -1 };
	GetCustomIconData request = { icon, FALSE };
	EXPECT_TRUE(tag->Message(MSG_GETCUSTOMICON, &request));
	return request.filled ? icon->bmp : nullptr;
}

} // namespace

TEST_F(EditingTest, IconShowsTheStripCellOfTheLinkedKind)
{
	UseSourceFolder();
	Bitmap strip(Res("pulsorIcons.tif"));
	ASSERT_TRUE(strip.ok);
	struct Case
	{
		LONG kind;
		LONG cell;
	};
	for (const Case& c : { Case{ 0, 6 }, Case{ 2, 1 }, Case{ 3, 2 }, Case{ 4, 3 }, Case{ 5, 0 }, Case{ -1, 0 } })
	{
		data()->SetLong(PULSOR_ICON_KIND, c.kind);
		IconData icon;
		const BaseBitmap* bmp = RequestIcon(tag_, &icon);
		ASSERT_NE(bmp, nullptr) << "kind " << c.kind;
		// The host keeps a copy of just the cell.
		ASSERT_EQ(icon.w, 64);
		ASSERT_EQ(icon.h, 64);
		EXPECT_EQ(bmp->GetBw(), 64);
		LONG differing = 0;
		for (LONG y = 0; y < 64; ++y)
			for (LONG x = 0; x < 64; ++x)
				differing += !(Pixel(bmp, icon.x + x, icon.y + y) == Pixel(strip.bmp, 64 * c.cell + x, y));
		EXPECT_EQ(differing, 0) << "kind " << c.kind;
	}
}

TEST_F(EditingTest, IconOfAnyOtherParameterCarriesTheFirstCharactersGlyph)
{
	UseSourceFolder();
	Bitmap strip(Res("pulsorIcons.tif"));
	Bitmap glyphs(Res("texticons.tif"));
	ASSERT_TRUE(strip.ok && glyphs.ok);
	struct Case
	{
		const char* shortName;
		const char* name;
		LONG glyph;
	};
	const Case cases[] = {
		{ "", "height", 7 },       // no short name: the name's "h", in upper case
		{ "Radius", "height", 17 },
		{ "", "9 lives", 35 },
		{ "", "#tag", 36 },
		{ "", "", 36 },
	};
	data()->SetLong(PULSOR_ICON_KIND, 7);
	for (const Case& c : cases)
	{
		BaseContainer record = GetCustomDataTypeDefault(DTYPE_REAL);
		record.SetString(DESC_SHORT_NAME, c.shortName);
		record.SetString(DESC_NAME, c.name);
		data()->SetContainer(PULSOR_LINK_DESCRIPTION, record);
		IconData icon;
		const BaseBitmap* bmp = RequestIcon(tag_, &icon);
		ASSERT_NE(bmp, nullptr) << c.name;
		LONG glyphPixels = 0, wrong = 0;
		for (LONG y = 0; y < 64; ++y)
		{
			for (LONG x = 0; x < 64; ++x)
			{
				Rgb expected = Pixel(strip.bmp, x, y);
				if (x < 40 && y < 40)
				{
					const Rgb g = Pixel(glyphs.bmp, 40 * c.glyph + x, y);
					if (!(g.r == 255 && g.g == 0 && g.b == 255))
					{
						expected = g;
						++glyphPixels;
						UWORD alpha = 0;
						bmp->GetAlphaPixel(const_cast<BaseBitmap*>(bmp)->GetInternalChannel(), icon.x + x, icon.y + y, &alpha);
						wrong += alpha != 255;
					}
				}
				wrong += !(Pixel(bmp, icon.x + x, icon.y + y) == expected);
			}
		}
		EXPECT_GT(glyphPixels, 0) << c.name;
		EXPECT_EQ(wrong, 0) << c.name;
	}
}

TEST_F(EditingTest, IconIsNotSuppliedWithoutItsStrips)
{
	IconData icon;
	EXPECT_EQ(RequestIcon(tag_, &icon), nullptr);  // the plug-in folder has no "res"

	std::filesystem::create_directories(plugin_.Path() / "res");
	std::filesystem::copy_file(Res("pulsorIcons.tif"), plugin_.Path() / "res" / "pulsorIcons.tif");
	data()->SetLong(PULSOR_ICON_KIND, 2);
	EXPECT_NE(RequestIcon(tag_, &icon), nullptr);
	// Kind 7 also needs the glyph strip; the icon registered before is gone.
	data()->SetLong(PULSOR_ICON_KIND, 7);
	EXPECT_EQ(RequestIcon(tag_, &icon), nullptr);
	EXPECT_FALSE(GetIcon(PULSOR_ICON_ID, &icon));
}

TEST_F(EditingTest, IconIsNotSuppliedWhenTheStripLacksTheCell)
{
	// A damaged or foreign strip of one cell: cell 1 (a linked position)
	// lies outside it, so the host cannot register it.
	BaseBitmap* narrow = BaseBitmap::Alloc();
	ASSERT_EQ(narrow->Init(64, 64), IMAGERESULT_OK);
	std::filesystem::create_directories(plugin_.Path() / "res");
	ASSERT_EQ(narrow->Save(Filename((plugin_.Path() / "res" / "pulsorIcons.tif").string().c_str()), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_OK);
	BaseBitmap::Free(narrow);

	data()->SetLong(PULSOR_ICON_KIND, 2);
	IconData icon = { nullptr, -1, -1, -1, -1 };
	GetCustomIconData request = { &icon, FALSE };
	EXPECT_TRUE(Send(MSG_GETCUSTOMICON, &request));
	// Claiming the icon filled would hand the host an IconData with no bitmap.
	EXPECT_FALSE(request.filled);
	EXPECT_EQ(icon.bmp, nullptr);
}

// ---- Undo -------------------------------------------------------------------

TEST_F(UndoTest, EveryEditRevertsExactlyAndRedoesExactly)
{
	Add(PULSOR_MOD_NOISE);
	Add(PULSOR_MOD_SIN);
	Add(PULSOR_MOD_COS);
	cube_->SetRelPos(Vector(0.0, 50.0, 0.0));
	doc_->SetMaxTime(BaseTime(4.0));
	std::vector<std::pair<const char*, std::function<void()>>> edits = {
		{ "delete", [this] { Command(Tab(3, PULSOR_TAB_DELETE)); } },
		{ "duplicate", [this] { Command(Tab(4, PULSOR_TAB_DUPLICATE)); } },
		{ "move down", [this] { Command(Tab(2, PULSOR_TAB_MOVE_DOWN)); } },
		{ "tab match timeline", [this] { Command(Tab(2, PULSOR_TAB_MATCH_TIMELINE)); } },
		{ "match timeline", [this] { Command(PULSOR_MATCH_TIMELINE); } },
		{ "add modifier", [this] { PickModifier(PULSOR_MOD_BOUNCE); } },
		{ "link", [this] { Drop(cube_, pulsor_test::PositionY()); } },
	};
	for (auto& edit : edits)
	{
		const BaseContainer before = *data();
		const std::string nameBefore = TagName();
		const LONG undos = doc_->GetUndoCount();
		edit.second();
		const BaseContainer after = *data();
		const std::string nameAfter = TagName();
		ASSERT_FALSE(after == before) << edit.first;
		EXPECT_EQ(doc_->GetUndoCount(), undos + 1) << edit.first;

		ASSERT_TRUE(doc_->DoUndo());
		EXPECT_TRUE(*data() == before) << edit.first;
		EXPECT_EQ(TagName(), nameBefore) << edit.first;
		ASSERT_TRUE(doc_->DoRedo());
		EXPECT_TRUE(*data() == after) << edit.first;
		EXPECT_EQ(TagName(), nameAfter) << edit.first;
	}
	EXPECT_EQ(TagName(), "Position Y");
}
