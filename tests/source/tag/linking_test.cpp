// Linking a parameter: drag and drop of a parameter's label onto the tag, and
// ChangeParameter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing_fixture.h"

using pulsor_test::PositionY;
using pulsor_test::Tab;
using pulsor_test::Whole;

namespace
{

class LinkingTest : public pulsor_test::EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		cube_->SetRelPos(Vector(10.0, 50.0, -4.0));
	}
	// Links by drop and checks that the drop was accepted.
	void Link(C4DAtom* element, const DescID& id)
	{
		ULONG flags = 0;
		doc_->StartUndo();
		EXPECT_TRUE(Drag(element, id, false, &flags));
		doc_->EndUndo();
		EXPECT_EQ(flags & DRAGANDDROP_FLAG_ACCEPT, (ULONG)DRAGANDDROP_FLAG_ACCEPT);
	}
	void ExpectLinkRow(LONG type, LONG slot, LONG mode)
	{
		EXPECT_EQ(data()->GetLong(PULSOR_LINK_TYPE), type);
		EXPECT_EQ(data()->GetLong(PULSOR_TYPE_SLOT), slot);
		EXPECT_EQ(data()->GetLong(PULSOR_COMPONENT_MODE), mode);
	}
	Real ValueOf(BaseList2D* element, LONG id)
	{
		GeData value;
		element->GetParameter(DescID(id), value, DESCFLAGS_GET_0);
		return value.GetReal();
	}
};

} // namespace

TEST_F(LinkingTest, PositionYLinksOneRealComponentWithThePositionsLimits)
{
	const LONG tab = Add(PULSOR_MOD_SIN);
	Link(cube_, PositionY());

	ExpectLinkRow(DTYPE_REAL, 1, 1);
	ASSERT_NE(LinkedId(), nullptr);
	EXPECT_TRUE(*LinkedId() == PositionY());
	EXPECT_EQ((*LinkedId())[1].id, VECTOR_Y);
	EXPECT_EQ(data()->GetLong(PULSOR_LINK_CLASS), Obase);
	EXPECT_EQ(data()->GetLink(PULSOR_LINK, doc_), cube_);
	EXPECT_EQ(data()->GetLong(PULSOR_ICON_KIND), 2);
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_LINK_TYPE), DTYPE_REAL);

	const BaseContainer record = Record();
	EXPECT_EQ(record.GetString(DESC_NAME).GetStdString(), "Position Y");
	EXPECT_EQ(record.GetLong(DESC_CUSTOMGUI), DTYPE_REAL);
	EXPECT_DOUBLE_EQ(record.GetReal(DESC_MIN), -1.0e20);
	EXPECT_DOUBLE_EQ(record.GetReal(DESC_MAX), 1.0e20);
	EXPECT_DOUBLE_EQ(record.GetReal(DESC_STEP), 1.0);
	EXPECT_EQ(record.GetLong(DESC_UNIT), DESC_UNIT_METER);
	// The record has no short name of its own, so the tag takes its name.
	EXPECT_EQ(TagName(), "Position Y");
	EXPECT_EQ(data()->GetString(PULSOR_AUTO_NAME).GetStdString(), "Position Y");

	// The current Y value seeds "End", half of it every tab's variation.
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 1), 50.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_START_VALUE + 1), 0.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(tab, PULSOR_TAB_VARIATION + 1)), 25.0);
}

TEST_F(LinkingTest, ComponentsTakeTheirSuffixLimitsUnitAndIcon)
{
	struct Case
	{
		LONG parent;
		LONG parentType;
		LONG component;
		const char* name;
		Real min, max, step;
		LONG unit;
		LONG icon;
	};
	const Case cases[] = {
		{ ID_BASEOBJECT_COLOR, DTYPE_COLOR, VECTOR_X, "Display Color R", 0.0, 1.0, 0.01, DESC_UNIT_PERCENT, 7 },
		{ ID_BASEOBJECT_COLOR, DTYPE_COLOR, VECTOR_Z, "Display Color B", 0.0, 1.0, 0.01, DESC_UNIT_PERCENT, 7 },
		{ ID_BASEOBJECT_REL_ROTATION, DTYPE_VECTOR, VECTOR_Z, "Rotation Z", -1.0e20, 1.0e20, 0.0174532925, DESC_UNIT_DEGREE, 4 },
		{ ID_BASEOBJECT_REL_SCALE, DTYPE_VECTOR, VECTOR_X, "Scale X", -1.0e20, 1.0e20, 0.01, DESC_UNIT_REAL, 3 },
		{ PRIM_CUBE_LEN, DTYPE_VECTOR, VECTOR_Y, "Size Y", 0.0, 1.0e20, 1.0, DESC_UNIT_METER, 7 },
	};
	for (const Case& c : cases)
	{
		Link(cube_, DescID(DescLevel(c.parent, c.parentType, 0), DescLevel(c.component, DTYPE_REAL, 0)));
		const BaseContainer record = Record();
		EXPECT_EQ(record.GetString(DESC_NAME).GetStdString(), c.name);
		EXPECT_DOUBLE_EQ(record.GetReal(DESC_MIN), c.min) << c.name;
		EXPECT_DOUBLE_EQ(record.GetReal(DESC_MAX), c.max) << c.name;
		EXPECT_DOUBLE_EQ(record.GetReal(DESC_STEP), c.step) << c.name;
		EXPECT_EQ(record.GetLong(DESC_UNIT), c.unit) << c.name;
		EXPECT_EQ(data()->GetLong(PULSOR_ICON_KIND), c.icon) << c.name;
		ExpectLinkRow(DTYPE_REAL, 1, 1);
		EXPECT_EQ(TagName(), c.name);
	}
}

TEST_F(LinkingTest, BoolLinksAsARealRecordWithAFineStep)
{
	cube_->SetParameter(DescID(PRIM_CUBE_DOFILLET), GeData((LONG)1), DESCFLAGS_SET_0);
	const LONG tab = Add(PULSOR_MOD_SQUARE);
	Link(cube_, Whole(PRIM_CUBE_DOFILLET, DTYPE_BOOL));

	ExpectLinkRow(DTYPE_BOOL, 0, 1);
	const BaseContainer record = Record();
	EXPECT_EQ(record.GetString(DESC_NAME).GetStdString(), "Fillet");
	EXPECT_DOUBLE_EQ(record.GetReal(DESC_STEP), 0.1);
	EXPECT_EQ(record.GetLong(DESC_CUSTOMGUI), DTYPE_REAL);
	EXPECT_EQ(record.GetLong(DESC_UNIT), DESC_UNIT_REAL);  // a real's record, not the bool's own
	ASSERT_NE(record.GetDataPointer(999), nullptr);
	EXPECT_EQ(record.GetString(999).GetStdString(), "");
	EXPECT_EQ(data()->GetType(PULSOR_END_VALUE + 0), DA_REAL);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 0), 1.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(tab, PULSOR_TAB_VARIATION)), 0.5);
	EXPECT_EQ(data()->GetLong(PULSOR_ICON_KIND), 7);
	EXPECT_EQ(TagName(), "Fillet");
}

TEST_F(LinkingTest, IntegerAndRealValuesSeedEndAndEveryTabsVariation)
{
	const LONG first = Add(PULSOR_MOD_NOISE);
	const LONG second = Add(PULSOR_MOD_SIN);
	cube_->SetParameter(DescID(PRIM_CUBE_SUBX), GeData((LONG)10), DESCFLAGS_SET_0);
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(10.0), DESCFLAGS_SET_0);

	Link(cube_, Whole(PRIM_CUBE_SUBX, DTYPE_LONG));
	ExpectLinkRow(DTYPE_LONG, 3, 8);
	EXPECT_EQ(Record().GetLong(DESC_CUSTOMGUI), DTYPE_LONG);
	EXPECT_EQ(Record().GetString(DESC_SHORT_NAME).GetStdString(), "Seg X");
	EXPECT_EQ(TagName(), "Seg X");
	EXPECT_EQ(data()->GetLong(PULSOR_END_VALUE + 3), 10);
	// An integer tab swings by the whole value.
	EXPECT_EQ(data()->GetLong(Tab(first, PULSOR_TAB_VARIATION + 3)), 10);
	EXPECT_EQ(data()->GetLong(Tab(second, PULSOR_TAB_VARIATION + 3)), 10);
	// The other slots of the start and end blocks start over.
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 0), 0.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 1), 0.0);

	Link(cube_, Whole(PRIM_CUBE_FRAD, DTYPE_REAL));
	ExpectLinkRow(DTYPE_REAL, 1, 1);
	EXPECT_EQ(TagName(), "Radius");
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 1), 10.0);
	EXPECT_EQ(data()->GetLong(PULSOR_END_VALUE + 3), 0);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(first, PULSOR_TAB_VARIATION + 1)), 5.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(second, PULSOR_TAB_VARIATION + 1)), 5.0);
}

TEST_F(LinkingTest, TimeVariationIsHalfTheFramesWithoutTheRemainder)
{
	const LONG tab = Add(PULSOR_MOD_SIN);
	doc_->SetFps(30);
	struct Case
	{
		BaseTime value;
		Real expectedFrames;
	};
	for (const Case& c : { Case{ BaseTime(2.0), 30.0 }, Case{ BaseTime(61.0, 30.0), 30.0 }, Case{ BaseTime(-3.0, 30.0), -1.0 } })
	{
		// A real in between changes the type, so the time link seeds again.
		Link(cube_, Whole(PRIM_CUBE_FRAD, DTYPE_REAL));
		cube_->SetParameter(DescID(STANDIN_CUBE_TIME_OFFSET), GeData(c.value), DESCFLAGS_SET_0);
		Link(cube_, Whole(STANDIN_CUBE_TIME_OFFSET, DTYPE_TIME));
		ExpectLinkRow(DTYPE_TIME, 5, 1);
		EXPECT_DOUBLE_EQ(data()->GetTime(PULSOR_END_VALUE + 5).Get(), c.value.Get());
		EXPECT_DOUBLE_EQ(data()->GetTime(Tab(tab, PULSOR_TAB_VARIATION + 5)).Get(), BaseTime(c.expectedFrames, 30.0).Get())
			<< c.value.Get();
	}
}

TEST_F(LinkingTest, SameTypeKeepsTheValuesAndAnotherTypeResetsThem)
{
	const LONG tab = Add(PULSOR_MOD_SIN);
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(10.0), DESCFLAGS_SET_0);
	Link(cube_, Whole(PRIM_CUBE_FRAD, DTYPE_REAL));
	data()->SetReal(PULSOR_START_VALUE + 1, 3.0);
	data()->SetReal(PULSOR_END_VALUE + 1, 7.0);
	data()->SetReal(Tab(tab, PULSOR_TAB_VARIATION + 1), 2.0);

	// A real component after a real: the modulation carries over.
	Link(cube_, PositionY());
	EXPECT_TRUE(*LinkedId() == PositionY());
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_START_VALUE + 1), 3.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 1), 7.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(tab, PULSOR_TAB_VARIATION + 1)), 2.0);

	// The whole position vector: everything starts from its value.
	Link(cube_, Whole(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR));
	ExpectLinkRow(DTYPE_VECTOR, 6, 2);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_START_VALUE + 1), 0.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 1), 0.0);
	EXPECT_TRUE(data()->GetVector(PULSOR_END_VALUE + 6) == Vector(10.0, 50.0, -4.0));
	EXPECT_TRUE(data()->GetVector(Tab(tab, PULSOR_TAB_VARIATION + 6)) == Vector(5.0, 25.0, -2.0));
	EXPECT_EQ(data()->GetLong(PULSOR_ICON_KIND), 2);
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_LINK_TYPE), DTYPE_VECTOR);
}

TEST_F(LinkingTest, RefusedDragsChangeNothing)
{
	BaseObject* other = BaseObject::Alloc(Ocube);
	doc_->InsertObject(other);
	Add(PULSOR_MOD_NOISE);
	const BaseContainer before = *data();
	struct Case
	{
		const char* what;
		C4DAtom* element;
		DescID id;
	};
	const Case cases[] = {
		{ "another object's parameter", other, PositionY() },
		{ "the tag itself", tag_, Whole(PULSOR_STRENGTH, DTYPE_REAL) },
		{ "no element", nullptr, PositionY() },
		{ "a string", cube_, Whole(ID_BASELIST_NAME, DTYPE_STRING) },
		{ "a matrix", cube_, Whole(ID_BASEOBJECT_REL_POSITION, DTYPE_MATRIX) },
		{ "no level", cube_, DescID() },
	};
	for (const Case& c : cases)
	{
		ULONG flags = 0;
		doc_->StartUndo();
		EXPECT_TRUE(Drag(c.element, c.id, false, &flags)) << c.what;
		doc_->EndUndo();
		EXPECT_EQ(flags, 0u) << c.what;
		EXPECT_TRUE(*data() == before) << c.what;
	}
	// No payload at all.
	DragAndDrop empty = { doc_, 0, DRAGTYPE_DESCID, nullptr, 0 };
	EXPECT_TRUE(Send(MSG_DRAGANDDROP, &empty));
	// ChangeParameter itself refuses another object before writing anything.
	EXPECT_TRUE(pulsor()->ChangeParameter(data(), doc_, other, PositionY(), tag_));
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(TagName(), "Pulsor");
}

TEST_F(LinkingTest, AContainerWithoutALinkIdentifierRefusesTheDrop)
{
	data()->RemoveData(PULSOR_LINK_DESCID);
	const BaseContainer before = *data();
	ULONG flags = 0;
	EXPECT_FALSE(Drag(cube_, PositionY(), false, &flags));
	EXPECT_EQ(flags, (ULONG)DRAGANDDROP_FLAG_ACCEPT);
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(TagName(), "Pulsor");
}

TEST_F(LinkingTest, HoveringAcceptsButOnlyTheReleaseLinksAndOnlyOnce)
{
	const BaseContainer before = *data();
	const LONG undos = doc_->GetUndoCount();
	ULONG flags = 0;
	EXPECT_TRUE(Drag(cube_, PositionY(), true, &flags));
	EXPECT_EQ(flags, (ULONG)DRAGANDDROP_FLAG_ACCEPT);
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(doc_->GetUndoCount(), undos);

	Link(cube_, PositionY());
	EXPECT_EQ(doc_->GetUndoCount(), undos + 1);
	const BaseContainer linked = *data();
	// Dropping the same parameter again records no step and changes nothing.
	cube_->SetRelPos(Vector(0.0, 99.0, 0.0));
	Link(cube_, PositionY());
	EXPECT_TRUE(*data() == linked);
	EXPECT_EQ(doc_->GetUndoCount(), undos + 1);
}

TEST_F(LinkingTest, MaterialAndTagParametersLinkAndAreAnimated)
{
	BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
	doc_->InsertMaterial(material);
	BaseTag* display = BaseTag::Alloc(Tdisplay);
	cube_->InsertTag(display);
	doc_->SetTime(BaseTime(1.5));

	struct Case
	{
		BaseList2D* element;
		LONG id;
		LONG classification;
		const char* name;
	};
	for (const Case& c : { Case{ material, MATERIAL_COLOR_BRIGHTNESS, Mbase, "Brightness" },
			 Case{ display, DISPLAYTAG_VISIBILITY, Tbase, "Visibility" } })
	{
		c.element->SetParameter(DescID(c.id), GeData(0.8), DESCFLAGS_SET_0);
		Link(c.element, Whole(c.id, DTYPE_REAL));
		EXPECT_EQ(data()->GetLink(PULSOR_LINK, doc_), c.element) << c.name;
		EXPECT_EQ(data()->GetLong(PULSOR_LINK_CLASS), c.classification) << c.name;
		EXPECT_EQ(TagName(), c.name);
		EXPECT_EQ(data()->GetLong(PULSOR_ICON_KIND), 7) << c.name;
		// The default base tab holds its "End" value (0.8, seeded by the first
		// link and kept by the second, a real too) and writes it over the value.
		c.element->SetParameter(DescID(c.id), GeData(0.25), DESCFLAGS_SET_0);
		ASSERT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
		EXPECT_DOUBLE_EQ(ValueOf(c.element, c.id), 0.8) << c.name;
	}
}

TEST_F(LinkingTest, TheSameParameterOfAnotherElementRelinks)
{
	BaseMaterial* a = BaseMaterial::Alloc(Mmaterial);
	BaseMaterial* b = BaseMaterial::Alloc(Mmaterial);
	doc_->InsertMaterial(a);
	doc_->InsertMaterial(b);
	const DescID colour = Whole(MATERIAL_COLOR_COLOR, DTYPE_COLOR);
	Link(a, colour);
	ASSERT_EQ(data()->GetLink(PULSOR_LINK, doc_), a);
	const LONG undos = doc_->GetUndoCount();
	Link(b, colour);
	EXPECT_EQ(data()->GetLink(PULSOR_LINK, doc_), b);
	EXPECT_TRUE(*LinkedId() == colour);
	EXPECT_EQ(doc_->GetUndoCount(), undos + 1);

	// The tag now drives B's colour and leaves A's alone.
	a->SetParameter(DescID(MATERIAL_COLOR_COLOR), GeData(Vector(0.1, 0.1, 0.1)), DESCFLAGS_SET_0);
	b->SetParameter(DescID(MATERIAL_COLOR_COLOR), GeData(Vector(0.1, 0.1, 0.1)), DESCFLAGS_SET_0);
	data()->SetVector(PULSOR_END_VALUE + 2, Vector(0.7, 0.6, 0.5));
	ASSERT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
	GeData value;
	a->GetParameter(DescID(MATERIAL_COLOR_COLOR), value, DESCFLAGS_GET_0);
	EXPECT_EQ(value.GetVector(), Vector(0.1, 0.1, 0.1));
	b->GetParameter(DescID(MATERIAL_COLOR_COLOR), value, DESCFLAGS_GET_0);
	EXPECT_EQ(value.GetVector(), Vector(0.7, 0.6, 0.5));
}

TEST_F(LinkingTest, ATagsOwnIdentifierPrefixIsDropped)
{
	BaseTag* display = BaseTag::Alloc(Tdisplay);
	cube_->InsertTag(display);
	const DescID prefixed(DescLevel(1), DescLevel(Tdisplay), DescLevel(DISPLAYTAG_VISIBILITY, DTYPE_REAL, 0));
	EXPECT_TRUE(pulsor()->ChangeParameter(data(), doc_, display, prefixed, tag_));
	ASSERT_NE(LinkedId(), nullptr);
	EXPECT_EQ(LinkedId()->GetDepth(), 1);
	EXPECT_EQ((*LinkedId())[0].id, DISPLAYTAG_VISIBILITY);
	EXPECT_EQ(data()->GetLong(PULSOR_LINK_CLASS), Tbase);
	ExpectLinkRow(DTYPE_REAL, 1, 1);
}

TEST_F(LinkingTest, AnUnknownIdentifierStopsAfterTheKindAndClass)
{
	BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
	doc_->InsertMaterial(material);
	const BaseContainer before = *data();
	EXPECT_TRUE(pulsor()->ChangeParameter(data(), doc_, material, Whole(4242, DTYPE_REAL), tag_));
	BaseContainer expected = before;
	expected.SetLong(PULSOR_ICON_KIND, 7);
	expected.SetLong(PULSOR_LINK_CLASS, Mbase);
	EXPECT_TRUE(*data() == expected);
}

// A parameter of a type the tag cannot animate (the element's name, a
// text) leaves the record empty; the tag keeps its name rather than losing it.
TEST_F(LinkingTest, AnUnsupportedTypeLeavesTheTagsNameAndValues)
{
	const String before = tag_->GetName();
	data()->SetReal(PULSOR_END_VALUE + PULSOR_SLOT_REAL, 4.0);
	EXPECT_TRUE(pulsor()->ChangeParameter(data(), doc_, cube_, Whole(ID_BASELIST_NAME, DTYPE_STRING), tag_));
	EXPECT_EQ(tag_->GetName(), before);
	EXPECT_EQ(data()->GetString(PULSOR_AUTO_NAME), String("Empty"));
	EXPECT_EQ(data()->GetLong(PULSOR_LINK_TYPE), (LONG)DTYPE_REAL);
	// The name's text has no place in the typed blocks, which keep their values.
	EXPECT_EQ(data()->GetType(PULSOR_END_VALUE + PULSOR_SLOT_REAL), DA_REAL);
	EXPECT_EQ(data()->GetReal(PULSOR_END_VALUE + PULSOR_SLOT_REAL), 4.0);
}

TEST_F(LinkingTest, AUserNamedTagKeepsItsNameUntilItMatchesTheAutomaticOne)
{
	Link(cube_, PositionY());
	tag_->SetName("Bobbing");
	Link(cube_, Whole(PRIM_CUBE_FRAD, DTYPE_REAL));
	EXPECT_EQ(TagName(), "Bobbing");
	EXPECT_EQ(data()->GetString(PULSOR_AUTO_NAME).GetStdString(), "Position Y");

	tag_->SetName("Position Y");
	Link(cube_, Whole(PRIM_CUBE_SUBX, DTYPE_LONG));
	EXPECT_EQ(TagName(), "Seg X");
	EXPECT_EQ(data()->GetString(PULSOR_AUTO_NAME).GetStdString(), "Seg X");
}

TEST_F(LinkingTest, WithoutAnActiveDocumentTabsKeepTheirVariation)
{
	const LONG tab = Add(PULSOR_MOD_SIN);
	data()->SetReal(Tab(tab, PULSOR_TAB_VARIATION + 1), 9.0);
	data()->SetReal(PULSOR_START_VALUE + 1, 4.0);
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(40.0), DESCFLAGS_SET_0);
	HostSetActiveDocument(nullptr);

	Link(cube_, Whole(PRIM_CUBE_FRAD, DTYPE_REAL));

	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_START_VALUE + 1), 0.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(PULSOR_END_VALUE + 1), 40.0);
	EXPECT_DOUBLE_EQ(data()->GetReal(Tab(tab, PULSOR_TAB_VARIATION + 1)), 9.0);
	EXPECT_EQ(data()->GetDataPointer(PULSOR_LAST_LINK_TYPE), nullptr);
	EXPECT_EQ(TagName(), "Radius");
}

namespace
{

// Every kind of parameter a drop can link is animated by the next scene
// evaluation: with the default Once playback and constant time curve the
// base holds "End" at every frame, so the parameter takes the "End" set here.
TEST_F(LinkingTest, EveryLinkableKindIsAnimatedAfterTheDrop)
{
	struct Kind
	{
		const char* what;
		DescID id;
		LONG slot;
		GeData end;
		GeData expected;
	};
	const DescID colourG(DescLevel(ID_BASEOBJECT_COLOR, DTYPE_COLOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));
	const Kind kinds[] = {
		{ "real", Whole(PRIM_CUBE_FRAD, DTYPE_REAL), 1, GeData(12.5), GeData(12.5) },
		{ "integer", Whole(PRIM_CUBE_SUBX, DTYPE_LONG), 3, GeData((LONG)7), GeData((LONG)7) },
		{ "bool", Whole(PRIM_CUBE_DOFILLET, DTYPE_BOOL), 0, GeData(1.0), GeData((LONG)1) },
		{ "time", Whole(STANDIN_CUBE_TIME_OFFSET, DTYPE_TIME), 5, GeData(BaseTime(2.0)), GeData(BaseTime(60.0, 30.0)) },
		{ "vector", Whole(PRIM_CUBE_LEN, DTYPE_VECTOR), 6, GeData(Vector(1, 2, 3)), GeData(Vector(1, 2, 3)) },
		{ "colour", Whole(ID_BASEOBJECT_COLOR, DTYPE_COLOR), 2, GeData(Vector(0.25, 0.5, 0.75)), GeData(Vector(0.25, 0.5, 0.75)) },
		{ "vector component", PositionY(), 1, GeData(-3.0), GeData(-3.0) },
		{ "colour component", colourG, 1, GeData(0.125), GeData(0.125) },
	};
	LONG frame = 0;
	for (const Kind& k : kinds)
	{
		Link(cube_, k.id);
		EXPECT_EQ(data()->GetLong(PULSOR_TYPE_SLOT), k.slot) << k.what;
		data()->SetData(PULSOR_END_VALUE + k.slot, k.end);
		// A new frame each time, so that nothing is taken from an earlier pass.
		doc_->SetTime(BaseTime((Real)(frame += 7), 30.0));
		ASSERT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
		GeData written;
		ASSERT_TRUE(cube_->GetParameter(k.id, written, DESCFLAGS_GET_0)) << k.what;
		EXPECT_TRUE(written == k.expected) << k.what;
	}
}

} // namespace
