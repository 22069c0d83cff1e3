// Containers the tag did not write itself (a damaged scene, a hostile preset)
// must never crash, hang or misbehave: every hook runs on randomly corrupted
// containers and has to come back.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "editing_fixture.h"

namespace
{

class HostileContainerTest : public pulsor_test::EditingTest
{
protected:
	// A value of a random type, with the extremes over-represented.
	GeData RandomValue(std::mt19937& rng)
	{
		static const LONG longs[] = { 0, 1, -1, 2, 3, 5, 6, 8, 15, 19, 22, 23, 3, INT_MAX, INT_MIN, 214747, 214748, 1031805 };
		static const Real reals[] = { 0.0, 1.0, -1.0, 0.5, 1e300, -1e300, 5e-324, std::numeric_limits<Real>::quiet_NaN(),
			std::numeric_limits<Real>::infinity() };
		switch (rng() % 7)
		{
			case 0: return GeData(longs[rng() % (sizeof(longs) / sizeof(longs[0]))]);
			case 1: return GeData(reals[rng() % (sizeof(reals) / sizeof(reals[0]))]);
			case 2: return GeData(BaseTime(reals[rng() % (sizeof(reals) / sizeof(reals[0]))], (Real)(LONG)(rng() % 3)));
			case 3: return GeData(Vector(reals[rng() % 9], reals[rng() % 9], reals[rng() % 9]));
			case 4: return GeData("?");
			case 5:
			{
				BaseContainer list;
				list.SetLong(0, longs[rng() % (sizeof(longs) / sizeof(longs[0]))]);
				for (LONG i = 0; i < (LONG)(rng() % 6); ++i)
					list.SetData(5 + (LONG)(rng() % 8), GeData(longs[rng() % (sizeof(longs) / sizeof(longs[0]))]));
				return GeData(list);
			}
			default: return GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(longs[rng() % 5]), DescLevel(VECTOR_X + (LONG)(rng() % 4))));
		}
	}

	// Overwrites random entries of the tag's own ids and of its tabs' fields.
	void Corrupt(std::mt19937& rng)
	{
		for (int i = 0; i < 40; ++i)
		{
			LONG id;
			switch (rng() % 3)
			{
				case 0: id = 2000 + (LONG)(rng() % 400); break;
				case 1: id = TabBase(2 + (LONG)(rng() % 3)) + (LONG)(rng() % 343); break;
				default: id = PULSOR_TAB_LIST; break;
			}
			data()->SetData(id, RandomValue(rng));
		}
	}
};

TEST_F(HostileContainerTest, EveryHookSurvivesCorruptedContainers)
{
	std::mt19937 rng(20261207);
	const BaseContainer pristine = [&] {
		Add(PULSOR_MOD_NOISE);
		Add(PULSOR_MOD_CUSTOM);
		Add(PULSOR_MOD_SIN);
		Drop(cube_, pulsor_test::PositionY());
		return *data();
	}();
	for (int round = 0; round < 300; ++round)
	{
		tag_->SetData(pristine);
		Corrupt(rng);
		const BaseContainer corrupted = *data();

		const BaseContainer out = pulsor()->CalculateOutput(data(), doc_, (Real)(round % 97) - 10.5, round % 2);
		doc_->SetTime(BaseTime((Real)(round % 120), 30.0));
		doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);

		Description* page = Description::Alloc();
		tag_->GetDescription(page, DESCFLAGS_DESC_0);
		for (LONG i = 0; i < page->GetElementCount(); ++i)
			pulsor()->GetDEnabling(tag_, *page->GetElementId(i), GeData(), DESCFLAGS_ENABLE_0, page->GetElementSettings(i));
		Description::Free(page);

		tag_->SetData(corrupted);
		const LONG commands[] = { PULSOR_MATCH_TIMELINE, PULSOR_REBUILD_LABELS, TabBase(2) + PULSOR_TAB_DUPLICATE,
			TabBase(3) + PULSOR_TAB_MOVE_UP, TabBase(4) + PULSOR_TAB_DELETE, TabBase(2) + PULSOR_TAB_MATCH_TIMELINE };
		for (LONG id : commands)
			Command(id);
		PostSet(TabBase(2) + PULSOR_TAB_TYPE);
		PostSet(TabBase(3) + PULSOR_TAB_STRENGTH_MODE);
		IconData icon = { nullptr, 0, 0, 0, 0 };
		GetCustomIconData request = { &icon, FALSE };
		tag_->Message(MSG_GETCUSTOMICON, &request);
	}
	// Reaching here is the point; the tag still evaluates a clean container.
	tag_->SetData(pristine);
	const BaseContainer out = pulsor()->CalculateOutput(data(), doc_, 10.0, 1);
	EXPECT_NE(out.GetDataPointer(PULSOR_FINAL_OUTPUT + 1), nullptr);
}

} // namespace
