// The engine's shared work against the straightforward path, over thousands
// of random tags: a tab's components at once against one component at a
// time, and a result overwritten in place against one built afresh by a tag
// that never evaluated before. Equal means equal bits.
#include <cstring>
#include <random>

#include "engine_fixture.h"

using namespace engine_test;

namespace
{

bool SameBits(Real a, Real b)
{
	return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameEntries(const BaseContainer& a, const BaseContainer& b)
{
	for (LONG i = 0;; ++i)
	{
		if (a.GetIndexId(i) != b.GetIndexId(i))
			return false;
		const GeData* x = a.GetIndexData(i);
		const GeData* y = b.GetIndexData(i);
		if (!x || !y)
			return x == y;
		if (x->GetType() != y->GetType())
			return false;
		if (x->GetType() == DA_REAL && !SameBits(x->GetReal(), y->GetReal()))
			return false;
		if (x->GetType() != DA_REAL && !(*x == *y))
			return false;
	}
}

class EnginePaths : public EngineFixture
{
protected:
	std::mt19937 random_{20240612};

	LONG Pick(LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(random_); }
	Real Frame() { return std::uniform_real_distribution<Real>(-120.0, 240.0)(random_); }

	// Tab number with random type, playback, switches, frames and noise fields.
	void RandomTab(LONG number)
	{
		const LONG b = PutTab(number, Pick(PULSOR_MOD_NOISE, PULSOR_MOD_CUSTOM));
		BaseContainer* d = data();
		d->SetLong(b + PULSOR_TAB_PLAYBACK, Pick(0, 3));
		for (LONG k = 0; k < 3; ++k)
		{
			d->SetBool(b + PULSOR_TAB_NEGATIVE + k, Pick(0, 1));
			d->SetBool(b + PULSOR_TAB_POSITIVE + k, Pick(0, 1));
		}
		d->SetTime(b + PULSOR_TAB_START_TIME, Frames(Pick(-20, 20)));
		d->SetTime(b + PULSOR_TAB_END_TIME, Frames(Pick(-10, 60)));
		d->SetTime(b + PULSOR_TAB_TIME_OFFSET, Frames(Pick(-50, 50)));
		d->SetTime(b + PULSOR_TAB_LOOP_POINT, Frames(Pick(0, 3) == 0 ? 0 : Pick(-30, 90)));
		d->SetBool(b + PULSOR_TAB_UNIFORM, Pick(0, 1));
		d->SetReal(b + PULSOR_TAB_SPEED, Pick(-3, 3) * 0.75);
		d->SetLong(b + PULSOR_TAB_SEED, Pick(-100000, 100000));
		d->SetReal(b + PULSOR_TAB_BIAS, Pick(0, 4) * 0.25);
		d->SetReal(b + PULSOR_TAB_STRENGTH, Pick(-4, 4) * 0.5);
		d->SetReal(b + PULSOR_TAB_VARIATION, Pick(-2, 2) * 0.5);
		d->SetVector(b + PULSOR_TAB_VARIATION + 6, Vector(Pick(-9, 9), Pick(-9, 9), Pick(-9, 9)));
		PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, Pick(0, PULSOR_CURVE_COUNT - 1));
		PutCurve(b + PULSOR_TAB_CUSTOM_CURVE, Pick(0, PULSOR_CURVE_COUNT - 1));
	}
};

TEST_F(EnginePaths, ATabsComponentsAtOnceEqualEachComponentAlone)
{
	int compared = 0;
	for (int round = 0; round < 400; ++round)
	{
		RandomTab(2);
		const LONG b = BaseOf(2);
		const Real t = Frame();
		const LONG start = Pick(-20, 40), end = Pick(-20, 80), offset = Pick(-40, 40), loop = Pick(-10, 90);
		const LONG negative[3] = { Pick(0, 1), Pick(0, 1), Pick(0, 1) };
		const LONG positive[3] = { Pick(0, 1), Pick(0, 1), Pick(0, 1) };
		Real together[3];
		pulsor()->CalculateModTab(data(), t, b, start, end, offset, loop, library_, 3, negative, positive, together);
		for (LONG k = 0; k < 3; ++k)
		{
			const Real alone = pulsor()->CalculateModTab(data(), t, b, start, end, offset, loop, library_, k, negative[k], positive[k]);
			ASSERT_TRUE(SameBits(together[k], alone)) << "round " << round << " component " << k << ": " << together[k] << " against " << alone;
			++compared;
		}
		data()->SetContainer(PULSOR_TAB_LIST, BaseContainer());
	}
	EXPECT_EQ(compared, 1200);
}

// The tag under test keeps its result between calls and overwrites it; a new
// tag of the same container, which has kept nothing, builds it afresh. The
// layout changes between rounds (tabs, feedback, the linked type) so that
// kept entries of another layout must not survive.
TEST_F(EnginePaths, AResultOverwrittenInPlaceEqualsOneBuiltAfresh)
{
	int compared = 0;
	BaseContainer held;
	for (int round = 0; round < 300; ++round)
	{
		data()->SetContainer(PULSOR_TAB_LIST, BaseContainer());
		const LONG tabs = Pick(0, 5);
		for (LONG n = 0; n < tabs; ++n)
			RandomTab(n + 2);
		switch (Pick(0, 2))
		{
			case 0: Link(DTYPE_VECTOR, 6, 2, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION))); break;
			case 1: LinkReal(DescID(DescLevel(ID_BASEOBJECT_REL_POSITION))); break;
			default: Link(DTYPE_BOOL, 0, 1, DescID(PRIM_CUBE_DOFILLET)); break;
		}
		Base(Pick(1, 4), Pick(-10, 10), Pick(0, 60), Pick(0, PULSOR_CURVE_COUNT - 1));
		data()->SetReal(PULSOR_RANGE_MIN, Pick(-10, 0));
		data()->SetReal(PULSOR_RANGE_MAX, Pick(0, 10));
		for (int call = 0; call < 4; ++call)
		{
			const Real t = Frame();
			const LONG feedback = Pick(0, 1);
			// Every other round keeps a result while the next call runs.
			if (round % 2 == 0)
				held = pulsor()->CalculateOutput(data(), doc_, t, feedback);
			const BaseContainer before = held;
			const BaseContainer reused = pulsor()->CalculateOutput(data(), doc_, t, feedback);
			Pulsor fresh;
			const BaseContainer afresh = fresh.CalculateOutput(data(), doc_, t, feedback);
			ASSERT_TRUE(SameEntries(reused, afresh)) << "round " << round << " call " << call;
			ASSERT_TRUE(SameEntries(held, before)) << "a kept result changed, round " << round;
			++compared;
		}
	}
	EXPECT_EQ(compared, 1200);
}

} // namespace
