// The one reader of a tag's link, and the per-type rules of the type table,
// on bare containers.
#include <gtest/gtest.h>

#include <climits>

#include "link_state.h"

namespace
{

BaseContainer Linked(LONG type, LONG slot, LONG mode)
{
	BaseContainer data;
	data.SetLong(PULSOR_LINK_TYPE, type);
	data.SetLong(PULSOR_TYPE_SLOT, slot);
	data.SetLong(PULSOR_COMPONENT_MODE, mode);
	data.SetLong(PULSOR_LINK_CLASS, Obase);
	data.SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0))));
	return data;
}

LinkState Read(const BaseContainer& data)
{
	LinkState link;
	ReadLinkState(data, &link);
	return link;
}

} // namespace

TEST(LinkStateRead, EveryRowOfTheTableIsComputable)
{
	for (LONG type : { (LONG)DTYPE_BOOL, (LONG)DTYPE_REAL, (LONG)DTYPE_COLOR, (LONG)DTYPE_LONG, (LONG)DTYPE_TIME, (LONG)DTYPE_VECTOR })
	{
		const LinkTypeRow* row = FindLinkType(type);
		ASSERT_NE(row, nullptr) << type;
		const LinkState link = Read(Linked(type, row->slot, row->mode));
		EXPECT_EQ(link.row, row);
		EXPECT_EQ(link.slot, row->slot);
		EXPECT_EQ(link.mode, row->mode);
		EXPECT_TRUE(link.Computable()) << type;
	}
	EXPECT_EQ(FindLinkType(DTYPE_STRING), nullptr);
	EXPECT_EQ(FindLinkType(DTYPE_MATRIX), nullptr);
}

TEST(LinkStateRead, SlotsAndModesOutsideTheTableAreRefusedAsStored)
{
	for (LONG slot : { -1, (LONG)PULSOR_SLOT_COUNT, INT_MAX, INT_MIN })
	{
		const LinkState link = Read(Linked(DTYPE_REAL, slot, PULSOR_MODE_SINGLE));
		EXPECT_EQ(link.slot, PULSOR_SLOT_NONE) << slot;
		EXPECT_FALSE(link.TypeUsable()) << slot;
	}
	for (LONG mode : { 0, 3, 7, 9, -2, INT_MAX })
	{
		const LinkState link = Read(Linked(DTYPE_REAL, PULSOR_SLOT_REAL, mode));
		EXPECT_EQ(link.mode, PULSOR_MODE_NONE) << mode;
		EXPECT_FALSE(link.Computable()) << mode;
		// Nothing is a display, neither where a stored mode would put it nor
		// where the first component always sits.
		for (LONG k = 0; k < 3; ++k)
		{
			const LONG first = PULSOR_MASTER_DISPLAY + PULSOR_MODE_SINGLE + k;
			const LONG stored = (LONG)(((LLONG)PULSOR_MASTER_DISPLAY + mode + k) & 0x7fffffff);
			EXPECT_FALSE(link.IsDisplay(first, PULSOR_MASTER_DISPLAY)) << mode;
			EXPECT_FALSE(link.IsDisplay(stored, PULSOR_MASTER_DISPLAY)) << mode;
		}
	}
	// A valid slot and mode that are not the type's own stay as stored: the
	// engine addresses the blocks by what the container says.
	const LinkState mixed = Read(Linked(DTYPE_REAL, PULSOR_SLOT_VECTOR, PULSOR_MODE_LONG));
	EXPECT_EQ(mixed.slot, PULSOR_SLOT_VECTOR);
	EXPECT_EQ(mixed.mode, PULSOR_MODE_LONG);
	EXPECT_TRUE(mixed.Computable());
	// A type outside the table keeps its number for the page, but computes
	// nothing.
	const LinkState matrix = Read(Linked(DTYPE_MATRIX, PULSOR_SLOT_REAL, PULSOR_MODE_SINGLE));
	EXPECT_EQ(matrix.type, DTYPE_MATRIX);
	EXPECT_EQ(matrix.row, nullptr);
	EXPECT_FALSE(matrix.Computable());
}

TEST(LinkStateRead, OnlyAnIdentifierThatNamesAParameterIsLinked)
{
	BaseContainer data = Linked(DTYPE_REAL, PULSOR_SLOT_REAL, PULSOR_MODE_SINGLE);
	EXPECT_TRUE(Read(data).hasIdentifier);
	EXPECT_NE(Read(data).parameter, nullptr);

	// The new tag's identifier, an empty one, and one whose first level is 0.
	DescID zeroFirst(DescLevel(0));
	zeroFirst.PushId(DescLevel(VECTOR_X));
	for (const DescID& id : { DescID(DescLevel(0)), DescID(), zeroFirst })
	{
		data.SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, id));
		const LinkState link = Read(data);
		EXPECT_TRUE(link.hasIdentifier);
		EXPECT_EQ(link.parameter, nullptr);
		EXPECT_FALSE(link.Computable());
	}
	// An identifier stored as something else is none.
	data.SetLong(PULSOR_LINK_DESCID, ID_BASEOBJECT_REL_POSITION);
	EXPECT_FALSE(Read(data).hasIdentifier);
	data.RemoveData(PULSOR_LINK_DESCID);
	EXPECT_FALSE(Read(data).hasIdentifier);
}

TEST(LinkStateRead, AnAbsentClassIsTheOwnObjectYetThePageOffersTheLinkBox)
{
	BaseContainer data = Linked(DTYPE_REAL, PULSOR_SLOT_REAL, PULSOR_MODE_SINGLE);
	EXPECT_EQ(Read(data).elementClass, Obase);
	EXPECT_FALSE(Read(data).offersLinkBox);
	data.SetLong(PULSOR_LINK_CLASS, Mbase);
	EXPECT_EQ(Read(data).elementClass, Mbase);
	EXPECT_TRUE(Read(data).offersLinkBox);
	data.RemoveData(PULSOR_LINK_CLASS);
	EXPECT_EQ(Read(data).elementClass, Obase);
	EXPECT_TRUE(Read(data).offersLinkBox);
}

TEST(LinkStateRead, DisplaysLieAtTheModeAndTheTwoEntriesAfterIt)
{
	const LinkState single = Read(Linked(DTYPE_REAL, PULSOR_SLOT_REAL, PULSOR_MODE_SINGLE));
	EXPECT_FALSE(single.IsDisplay(PULSOR_BASE_DISPLAY, PULSOR_BASE_DISPLAY));
	EXPECT_TRUE(single.IsDisplay(PULSOR_BASE_DISPLAY + 1, PULSOR_BASE_DISPLAY));
	EXPECT_TRUE(single.IsDisplay(PULSOR_BASE_DISPLAY + 3, PULSOR_BASE_DISPLAY));
	EXPECT_FALSE(single.IsDisplay(PULSOR_BASE_DISPLAY + 4, PULSOR_BASE_DISPLAY));
	const LinkState integer = Read(Linked(DTYPE_LONG, PULSOR_SLOT_LONG, PULSOR_MODE_LONG));
	EXPECT_FALSE(integer.IsDisplay(PULSOR_BASE_DISPLAY + 7, PULSOR_BASE_DISPLAY));
	EXPECT_TRUE(integer.IsDisplay(PULSOR_BASE_DISPLAY + 8, PULSOR_BASE_DISPLAY));
	// Far identifiers cannot wrap into the block.
	EXPECT_FALSE(integer.IsDisplay(INT_MIN, PULSOR_BASE_DISPLAY));
	EXPECT_FALSE(integer.IsDisplay(INT_MAX, PULSOR_BASE_DISPLAY));
}

TEST(LinkTypeRules, ANewTabHalvesTheEndValueWhileANewLinkSwingsIntegersWhole)
{
	const Real fps = 30.0;
	BaseContainer data;
	const LONG end = PULSOR_END_VALUE;
	const LONG variation = 30000;

	const LinkTypeRow& integer = *FindLinkType(DTYPE_LONG);
	data.SetLong(end + PULSOR_SLOT_LONG, 7);
	integer.seedNewTab(&data, variation, end + PULSOR_SLOT_LONG);
	EXPECT_EQ(data.GetLong(variation), 3);
	integer.seedLinkedTab(&data, variation, GeData((LONG)7), fps);
	EXPECT_EQ(data.GetLong(variation), 7);

	// A new tab halves the exact time; a new link halves its whole frames.
	const LinkTypeRow& time = *FindLinkType(DTYPE_TIME);
	data.SetTime(end + PULSOR_SLOT_TIME, BaseTime(7.0, fps));
	time.seedNewTab(&data, variation, end + PULSOR_SLOT_TIME);
	EXPECT_DOUBLE_EQ(data.GetTime(variation).Get() * fps, 3.5);
	time.seedLinkedTab(&data, variation, GeData(BaseTime(7.0, fps)), fps);
	EXPECT_DOUBLE_EQ(data.GetTime(variation).Get() * fps, 3.0);

	const LinkTypeRow& boolean = *FindLinkType(DTYPE_BOOL);
	boolean.seedEnd(&data, end, GeData((LONG)1));
	EXPECT_EQ(data.GetType(end), DA_REAL);
	EXPECT_EQ(data.GetReal(end), 1.0);
	boolean.seedLinkedTab(&data, variation, GeData((LONG)1), fps);
	EXPECT_EQ(data.GetReal(variation), 0.5);

	const LinkTypeRow& vector = *FindLinkType(DTYPE_VECTOR);
	vector.seedLinkedTab(&data, variation, GeData(Vector(2.0, -4.0, 6.0)), fps);
	EXPECT_EQ(data.GetVector(variation), Vector(1.0, -2.0, 3.0));
}

TEST(LinkTypeRules, WritesAddTheOwnValueInTheParametersType)
{
	const Real fps = 25.0;
	EXPECT_EQ(FindLinkType(DTYPE_LONG)->valueToWrite(GeData((LONG)INT_MAX), GeData((LONG)5), fps).GetLong(), INT_MAX);
	EXPECT_EQ(FindLinkType(DTYPE_LONG)->valueToWrite(GeData((LONG)INT_MIN), GeData((LONG)-5), fps).GetLong(), INT_MIN);
	EXPECT_EQ(FindLinkType(DTYPE_REAL)->valueToWrite(GeData(1.5), GeData(2.0), fps).GetReal(), 3.5);
	// A bool is written as an integer and takes no own value.
	const GeData on = FindLinkType(DTYPE_BOOL)->valueToWrite(GeData((LONG)1), GeData((LONG)1), fps);
	EXPECT_EQ(on.GetType(), DA_LONG);
	EXPECT_EQ(on.GetLong(), 1);
	// An own value that is no time adds nothing to a time.
	const GeData t = FindLinkType(DTYPE_TIME)->valueToWrite(GeData(BaseTime(10.0, fps)), GeData(3.0), fps);
	EXPECT_EQ(t.GetTime(), BaseTime(10.0, fps));
	EXPECT_EQ(FindLinkType(DTYPE_COLOR)->valueToWrite(GeData(Vector(1.0)), GeData(Vector(0.5)), fps).GetVector(), Vector(1.5));
}

TEST(LinkTypeRules, TheBoolOutputComparesWithTheThresholdAndMayBeInverted)
{
	const LinkTypeRow& boolean = *FindLinkType(DTYPE_BOOL);
	BaseContainer data;
	data.SetReal(PULSOR_THRESHOLD, 0.5);
	const Real above[3] = { 0.75, 0.0, 0.0 };
	const Real at[3] = { 0.5, 0.0, 0.0 };
	BaseContainer out;
	boolean.storeOutput(data, above, 30.0, PULSOR_FINAL_OUTPUT, &out);
	EXPECT_TRUE(out.GetBool(PULSOR_FINAL_OUTPUT));
	EXPECT_EQ(out.GetReal(PULSOR_THRESHOLD_DISTANCE), 0.25);
	boolean.storeOutput(data, at, 30.0, PULSOR_FINAL_OUTPUT, &out);
	EXPECT_FALSE(out.GetBool(PULSOR_FINAL_OUTPUT));
	data.SetBool(PULSOR_INVERT, TRUE);
	boolean.storeOutput(data, at, 30.0, PULSOR_FINAL_OUTPUT, &out);
	EXPECT_TRUE(out.GetBool(PULSOR_FINAL_OUTPUT));

	// Integers truncate toward zero and saturate.
	const Real huge[3] = { -1.0e300, 0.0, 0.0 };
	const Real negative[3] = { -2.75, 0.0, 0.0 };
	FindLinkType(DTYPE_LONG)->storeOutput(data, huge, 30.0, PULSOR_FINAL_OUTPUT, &out);
	EXPECT_EQ(out.GetLong(PULSOR_FINAL_OUTPUT), INT_MIN);
	FindLinkType(DTYPE_LONG)->storeOutput(data, negative, 30.0, PULSOR_FINAL_OUTPUT, &out);
	EXPECT_EQ(out.GetLong(PULSOR_FINAL_OUTPUT), -2);
}

TEST(LinkTypeRules, ZeroingABlockWritesEverySlotButTheUnusedAndTheSkipped)
{
	BaseContainer data;
	data.SetString(PULSOR_START_VALUE + PULSOR_SLOT_UNUSED, "kept");
	data.SetString(PULSOR_START_VALUE + PULSOR_SLOT_BOOL, "kept too");
	ZeroBlock(&data, PULSOR_START_VALUE, PULSOR_SLOT_BOOL);
	EXPECT_EQ(data.GetString(PULSOR_START_VALUE + PULSOR_SLOT_UNUSED), String("kept"));
	EXPECT_EQ(data.GetString(PULSOR_START_VALUE + PULSOR_SLOT_BOOL), String("kept too"));
	EXPECT_EQ(data.GetType(PULSOR_START_VALUE + PULSOR_SLOT_REAL), DA_REAL);
	EXPECT_EQ(data.GetType(PULSOR_START_VALUE + PULSOR_SLOT_COLOR), DA_VECTOR);
	EXPECT_EQ(data.GetType(PULSOR_START_VALUE + PULSOR_SLOT_LONG), DA_LONG);
	EXPECT_EQ(data.GetType(PULSOR_START_VALUE + PULSOR_SLOT_TIME), DA_TIME);
	EXPECT_EQ(data.GetType(PULSOR_START_VALUE + PULSOR_SLOT_VECTOR), DA_VECTOR);
	ZeroBlock(&data, PULSOR_START_VALUE, PULSOR_SLOT_NONE);
	EXPECT_EQ(data.GetType(PULSOR_START_VALUE + PULSOR_SLOT_BOOL), DA_REAL);
	EXPECT_EQ(data.GetReal(PULSOR_START_VALUE + PULSOR_SLOT_BOOL), 0.0);
}
