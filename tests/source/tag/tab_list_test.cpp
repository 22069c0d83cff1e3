// Tab identifiers and the tab list, with hostile lists.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <initializer_list>
#include <utility>
#include <vector>

#include "ids_fixture.h"
#include "tab_list.h"

using pulsor_test::Tab;

namespace
{

typedef std::vector<LONG> Numbers;

// Entry 0 the count, the numbers from entry 5 on.
BaseContainer MakeList(LONG count, std::initializer_list<LONG> numbers)
{
	BaseContainer list;
	list.SetLong(PULSOR_TAB_LIST_COUNT, count);
	LONG id = PULSOR_TAB_LIST_FIRST;
	for (LONG n : numbers)
		list.SetLong(id++, n);
	return list;
}

Numbers Read(const TabList& tabs)
{
	Numbers v;
	for (LONG i = 0; i < tabs.GetCount(); ++i)
		v.push_back(tabs[i]);
	return v;
}

Numbers Read(const BaseContainer& list)
{
	return Read(TabList(list));
}

// {is a tab field, number, base, offset}; the field starts as garbage to see
// that a refusal zeroes it.
Numbers Decode(LONG id)
{
	TabField f = { -7, -7, -7 };
	const Bool isTab = DecodeTabId(id, &f);
	return Numbers{ isTab ? 1 : 0, f.number, f.base, f.offset };
}

} // namespace

TEST(TabIds, DecodeSplitsNumberBaseAndOffset)
{
	// The first tab identifier lies below tab 1's base: tab 0, a field far
	// past the global entries.
	EXPECT_EQ(Decode(PULSOR_FIRST_TAB_ID),
		(Numbers{ 1, 0, TabBase(0), PULSOR_FIRST_TAB_ID - TabBase(0) }));
	// A duplicated tab's strength.
	EXPECT_EQ(Decode(Tab(1, PULSOR_TAB_STRENGTH)), (Numbers{ 1, 1, TabBase(1), PULSOR_TAB_STRENGTH }));
	EXPECT_EQ(Decode(Tab(2, PULSOR_TAB_TYPE)), (Numbers{ 1, 2, TabBase(2), PULSOR_TAB_TYPE }));
	EXPECT_EQ(Decode(TabBase(3) - 1), (Numbers{ 1, 2, TabBase(2), PULSOR_TAB_STRIDE - 1 }));
	EXPECT_EQ(Decode(TabBase(3)), (Numbers{ 1, 3, TabBase(3), 0 }));
	for (LONG number : { 1, 57, 214747 })
		for (LONG offset : { 1, 59, 342, 9999 })
			EXPECT_EQ(Decode(TabBase(number) + offset), (Numbers{ 1, number, TabBase(number), offset }));
	// The top of the 32-bit range: 2147483647 - 2000 = 214748 * 10000 + 1647.
	EXPECT_EQ(Decode(INT_MAX), (Numbers{ 1, 214748, 2147482000, 1647 }));
	// The last number whose whole range base + 1 .. base + 9999 fits.
	EXPECT_EQ(PULSOR_MAX_TAB_NUMBER, 214747);
}

TEST(TabIds, GlobalIdentifiersAreRefusedWithAZeroedField)
{
	for (LONG id : { INT_MIN, -1, 0, (LONG)PULSOR_ADD_MODIFIER, (LONG)PULSOR_PRESET_LIST, PULSOR_FIRST_TAB_ID - 1 })
		EXPECT_EQ(Decode(id), (Numbers{ 0, 0, 0, 0 })) << id;
}

TEST(TabListRead, ReadsNumbersInDisplayOrderWithinTheCount)
{
	BaseContainer list = MakeList(3, { 4, 2, 9 });
	list.SetLong(3, 77);  // entries 1 to 4 are never tab numbers
	list.SetLong(8, 5);   // left-overs past the count
	list.SetLong(9, -1);
	const TabList tabs(list);
	EXPECT_EQ(Read(tabs), (Numbers{ 4, 2, 9 }));
	EXPECT_EQ(tabs.IndexOf(9), 2);
	EXPECT_EQ(tabs.IndexOf(5), -1);
	EXPECT_EQ(tabs.IndexOf(77), -1);
}

TEST(TabListRead, CountsThatLieStayBoundedByTheEntriesPresent)
{
	EXPECT_EQ(Read(MakeList(6, { 2, 3 })), (Numbers{ 2, 3 }));
	BaseContainer gap = MakeList(3, { 2 });
	gap.SetLong(7, 4);  // entry 6 missing
	EXPECT_EQ(Read(gap), (Numbers{ 2, 4 }));
	EXPECT_EQ(Read(MakeList(0, { 2, 3 })), Numbers());
	EXPECT_EQ(Read(MakeList(-3, { 2, 3 })), Numbers());
	EXPECT_EQ(Read(MakeList(INT_MIN, { 2 })), Numbers());
	EXPECT_EQ(Read(BaseContainer()), Numbers());
	// Two billion entries promised; only the three present are read.
	EXPECT_EQ(Read(MakeList(INT_MAX, { 5, 6, 7 })), (Numbers{ 5, 6, 7 }));
}

TEST(TabListRead, RepeatsKeepTheirFirstPlace)
{
	EXPECT_EQ(Read(MakeList(5, { 3, 2, 3, 4, 2 })), (Numbers{ 3, 2, 4 }));
	// Past 16 entries repeats are found by sorting: 40 .. 2, with 40 again
	// after every fifth number.
	BaseContainer big;
	Numbers expected;
	LONG id = PULSOR_TAB_LIST_FIRST;
	for (LONG n = 40; n >= 2; --n)
	{
		big.SetLong(id++, n);
		expected.push_back(n);
		if (n % 5 == 0)
			big.SetLong(id++, 40);
	}
	big.SetLong(PULSOR_TAB_LIST_COUNT, id - PULSOR_TAB_LIST_FIRST);
	EXPECT_EQ(Read(big), expected);
}

TEST(TabListRead, NumbersThatCannotNameATabAreSkipped)
{
	// 0 would alias the global entries; past 214747 the fields overflow 32 bits.
	EXPECT_EQ(Read(MakeList(7, { 0, -5, 2, INT_MIN, 214747, 214748, INT_MAX })), (Numbers{ 2, 214747 }));
	BaseContainer list = MakeList(5, {});
	list.SetString(5, "3");
	list.SetLong(6, 2);
	list.SetReal(7, 4.5);
	list.SetVector(8, Vector(5, 5, 5));
	list.SetLong(9, 6);
	EXPECT_EQ(Read(list), (Numbers{ 2, 6 }));
}

TEST(TabListEdit, FirstFreeNumberSkipsTakenNumbersUpToTheLimit)
{
	const TabList tabs(MakeList(4, { 5, 2, 3, 7 }));
	EXPECT_EQ((Numbers{ tabs.FirstFreeNumber(2), tabs.FirstFreeNumber(5), tabs.FirstFreeNumber(8) }), (Numbers{ 4, 6, 8 }));
	EXPECT_EQ(tabs.FirstFreeNumber(0), 1);  // never below 1
	EXPECT_EQ(tabs.FirstFreeNumber(INT_MIN), 1);
	const TabList top(MakeList(2, { 214746, 214747 }));
	EXPECT_EQ(top.FirstFreeNumber(214745), 214745);
	EXPECT_EQ(top.FirstFreeNumber(214746), -1);
	EXPECT_EQ(top.FirstFreeNumber(INT_MAX), -1);
}

TEST(TabListEdit, EditsAcrossTheInlineCapacityKeepOrder)
{
	TabList tabs;
	Numbers model;
	for (LONG n = 1; n <= 16; ++n)
	{
		tabs.Append(n);
		model.push_back(n);
	}
	tabs.Append(100);   // the 17th entry leaves the inline store
	model.push_back(100);
	tabs.Append(200);
	model.push_back(200);
	tabs.Swap(0, 17);
	std::swap(model[0], model[17]);
	tabs.Remove(5);
	model.erase(model.begin() + 5);
	tabs.Append(300);
	model.push_back(300);
	// Positions outside the list change nothing.
	tabs.Remove(-1);
	tabs.Remove(tabs.GetCount());
	tabs.Swap(0, tabs.GetCount());
	EXPECT_EQ(Read(tabs), model);

	BaseContainer list = MakeList(30, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 });
	list.SetLong(2, 42);
	tabs.WriteTo(&list);
	EXPECT_EQ(Read(list), model);
	EXPECT_EQ(list.GetLong(PULSOR_TAB_LIST_FIRST + 19), 20);  // past the new count, left as it was
	EXPECT_EQ(list.GetLong(2), 42);
}

namespace
{

// A tag's list held in its container and edited the ways the tag and a
// hostile file do: in place through the container, replaced whole, emptied,
// removed. The cached decoding is the fresh one after every edit, also when a
// list of equal entries but other storage comes in.
TEST(TabListCacheTest, RandomEditsAreDecodedAsAFreshReadDecodesThem)
{
	std::mt19937 random(5150);
	const auto pick = [&](LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(random); };
	for (int round = 0; round < 300; ++round)
	{
		TabListCache cache;
		BaseContainer data;
		data.SetContainer(PULSOR_TAB_LIST, MakeList(0, {}));
		for (int step = 0; step < 40; ++step)
		{
			switch (pick(0, 5))
			{
				case 0:
				case 1:
				{
					// In place, as a tab is added.
					BaseContainer* list = data.GetContainerInstance(PULSOR_TAB_LIST);
					if (!list)
						break;
					const LONG count = list->GetLong(PULSOR_TAB_LIST_COUNT);
					list->SetLong(PULSOR_TAB_LIST_FIRST + (count > 0 && count < 40 ? count : 0), pick(-3, 40));
					list->SetLong(PULSOR_TAB_LIST_COUNT, pick(0, 1) ? count + 1 : pick(-2, 50));
					break;
				}
				case 2:
				{
					// Replaced by an equal list of its own storage.
					const BaseContainer* list = static_cast<const BaseContainer&>(data).GetContainerInstance(PULSOR_TAB_LIST);
					BaseContainer copy;
					for (LONG i = 0; list && list->GetIndexData(i); ++i)
						copy.SetData(list->GetIndexId(i), *list->GetIndexData(i));
					data.SetContainer(PULSOR_TAB_LIST, copy);
					break;
				}
				case 3:
					data.SetContainer(PULSOR_TAB_LIST, MakeList(pick(0, 4), { pick(1, 9), pick(1, 9), pick(-1, 9), pick(1, 9) }));
					break;
				case 4:
					data.RemoveData(PULSOR_TAB_LIST);
					break;
				default:
					data.SetReal(PULSOR_TAB_LIST, 2.5);  // not a container at all
					break;
			}
			const BaseContainer* list = static_cast<const BaseContainer&>(data).GetContainerInstance(PULSOR_TAB_LIST);
			const BaseContainer current = list ? *list : BaseContainer();
			ASSERT_EQ(Read(cache.Of(current)), Read(TabList(current))) << "round " << round << " step " << step;
			// Asked again without a change.
			ASSERT_EQ(Read(cache.Of(current)), Read(TabList(current))) << "round " << round << " step " << step;
		}
	}
}

} // namespace
