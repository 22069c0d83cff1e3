// RangeMapper: the one mapping primitive of the evaluation engine.
#include <gtest/gtest.h>

#include <limits>

#include "pulsor_fixture.h"

using pulsor_test::PulsorTagTest;

namespace
{

const Real kEps = 1e-9;
const Real kSub = std::numeric_limits<Real>::denorm_min();

struct Flags
{
	LONG curveAlways, clampLow, clampHigh;
};
const Flags kOnce = { 0, 1, 1 }, kLoop = { 1, 0, 0 }, kBoth = { 1, 1, 1 }, kPlain = { 0, 0, 0 };

Real Map(Real v, Real inMin, Real inMax, Real outMin, Real outMax, const SplineData* curve = nullptr, Flags f = kPlain)
{
	return Pulsor::RangeMapper(v, inMin, inMax, outMin, outMax, curve, f.curveAlways, f.clampLow, f.clampHigh);
}

// Curves come from a new tag's library.
class RangeMapperTest : public PulsorTagTest
{
protected:
	void SetUp() override
	{
		PulsorTagTest::SetUp();
		if (HasFatalFailure())
			return;
		triangle_ = LibraryCurve(PULSOR_CURVE_TRIANGLE);
		constant_ = LibraryCurve(PULSOR_CURVE_CONSTANT);
		linear_ = LibraryCurve(PULSOR_CURVE_LINEAR);
		ASSERT_TRUE(triangle_ && constant_ && linear_);
	}
	const SplineData* triangle_ = nullptr;
	const SplineData* constant_ = nullptr;
	const SplineData* linear_ = nullptr;
};

} // namespace

TEST_F(RangeMapperTest, DegenerateSpansShortCut)
{
	for (const Flags f : { kOnce, kLoop, kBoth, kPlain })
	{
		// Zero input span: outMin, whatever the flags and the curve.
		EXPECT_EQ(Map(5, 2, 2, 10, 20, nullptr, f), 10);
		EXPECT_EQ(Map(5, 2, 2, 10, 20, constant_, f), 10);
		EXPECT_EQ(Map(-1e9, -0.0, 0.0, 10, 20, triangle_, f), 10);
		// Zero output span: outMax.
		EXPECT_EQ(Map(50, 0, 10, 3, 3, triangle_, f), 3);
		EXPECT_EQ(Map(-50, 0, 10, -2, -2, nullptr, f), -2);
	}
}

TEST_F(RangeMapperTest, InputSpanWithinSevenSubnormalsOfZeroGivesOutMin)
{
	// Dividing by such a span would throw the position out to infinity.
	EXPECT_EQ(Map(kSub, 0, kSub, 10, 20), 10);
	EXPECT_EQ(Map(7 * kSub, 0, 7 * kSub, 10, 20), 10);
	EXPECT_EQ(Map(4 * kSub, 2 * kSub, 5 * kSub, 10, 20, nullptr, kBoth), 10);
	EXPECT_EQ(Map(4 * kSub, 0, 8 * kSub, 10, 20), 15);  // eight: mapped as usual
	EXPECT_EQ(Map(0, 3 * kSub, 0, 10, 20), 20);          // negative spans are not tolerated
}

TEST_F(RangeMapperTest, PlainMappingIsTheStraightLineThroughBothIntervals)
{
	EXPECT_NEAR(Map(0.5, 0, 1, -1, 1), 0, kEps);
	EXPECT_NEAR(Map(2.5, 0, 1, -1, 1), 4, kEps);     // past the end: whole cycles scaled
	EXPECT_NEAR(Map(-0.5, 0, 1, -1, 1), -2, kEps);   // below: never wrapped
	EXPECT_NEAR(Map(0.25, 0, 1, 1, 0), 0.75, kEps);  // reversed output
	EXPECT_NEAR(Map(0.25, 1, 0, 0, 10), 7.5, kEps);  // reversed input
	EXPECT_NEAR(Map(-1, 1, 0, 0, 10), 20, kEps);     // reversed input, past its end
	EXPECT_NEAR(Map(35, 10, 20, 100, 300), 600, kEps);
}

TEST_F(RangeMapperTest, LoopWrapsOnlyPastTheEnd)
{
	EXPECT_NEAR(Map(2.5, 0, 1, 0, 1, nullptr, kLoop), 0.5, kEps);
	EXPECT_EQ(Map(1, 0, 1, 0, 1, nullptr, kLoop), 1);  // exactly 1 stays 1
	EXPECT_EQ(Map(2, 0, 1, 0, 1, nullptr, kLoop), 0);  // whole cycles dropped
	EXPECT_EQ(Map(-0.5, 0, 1, 0, 1, nullptr, kLoop), -0.5);
	EXPECT_EQ(Map(-2.5, 0, 1, 0, 1, nullptr, kLoop), -2.5);
	EXPECT_NEAR(Map(27, 10, 20, 0, 4, nullptr, kLoop), 2.8, kEps);
	EXPECT_EQ(Map(1e300, 0, 1, 0, 1, nullptr, kLoop), 0);
}

TEST_F(RangeMapperTest, FlagCombinationsBelowInsideAndPastTheInterval)
{
	struct Row
	{
		Flags f;
		const SplineData* curve;
		Real below, inside, past, atEnd;
	};
	// [0, 1] onto [0, 10], read at -0.5, 0.25, 2.25 and 1. The triangle is
	// 0 -> 1 -> 0 and holds its first knot's 0 below 0.
	const Row rows[] = {
		{ kOnce, nullptr, 0, 2.5, 10, 10 },       // held at both ends
		{ kLoop, nullptr, -5, 2.5, 2.5, 10 },     // extrapolated below, the ramp restarts past
		{ kBoth, nullptr, 0, 2.5, 10, 10 },
		{ kPlain, nullptr, -5, 2.5, 22.5, 10 },   // the straight line everywhere
		{ kOnce, triangle_, 0, 5, 0, 0 },         // past: the curve's value at 1
		{ kLoop, triangle_, 0, 5, 5, 0 },         // past: the curve at the fractional part
		{ kBoth, triangle_, 0, 5, 0, 0 },
		{ kPlain, triangle_, 0, 5, 22.5, 0 },     // past: the curve is skipped
	};
	for (const Row& r : rows)
	{
		SCOPED_TRACE(::testing::Message() << r.f.curveAlways << r.f.clampLow << r.f.clampHigh << (r.curve ? " curve" : ""));
		EXPECT_NEAR(Map(-0.5, 0, 1, 0, 10, r.curve, r.f), r.below, kEps);
		EXPECT_NEAR(Map(0.25, 0, 1, 0, 10, r.curve, r.f), r.inside, kEps);
		EXPECT_NEAR(Map(2.25, 0, 1, 0, 10, r.curve, r.f), r.past, kEps);
		EXPECT_NEAR(Map(1, 0, 1, 0, 10, r.curve, r.f), r.atEnd, kEps);
	}
}

TEST_F(RangeMapperTest, PlainMappingPastTheEndIgnoresAnyCurve)
{
	for (const SplineData* curve : { triangle_, constant_, linear_ })
		EXPECT_NEAR(Map(1.5, 0, 1, 0, 2, curve), 3, kEps);
	EXPECT_NEAR(Map(7.6, 0, 1, 2, 6, constant_), 32.4, kEps);  // 2 + 4 * 0.6 + 7 * 4
	EXPECT_EQ(Map(7.6, 0, 1, 2, 6, constant_, kLoop), 6);      // the curve read at 0.6
}

TEST_F(RangeMapperTest, OutputClampsActOnlyWithoutCurve)
{
	// The clamps compare with outMin and outMax as given, low first, so a
	// reversed output interval collapses every value onto one end.
	EXPECT_EQ(Map(0.25, 0, 1, 10, 0, nullptr, { 0, 1, 0 }), 10);
	EXPECT_EQ(Map(0.25, 0, 1, 10, 0, nullptr, { 0, 0, 1 }), 0);
	EXPECT_EQ(Map(0.25, 0, 1, 10, 0, nullptr, kOnce), 0);
	EXPECT_NEAR(Map(0.25, 0, 1, 10, 0, triangle_, kOnce), 5, kEps);  // triangle(0.25) = 0.5
	EXPECT_NEAR(Map(0.25, 0, 1, 10, 0, triangle_, { 0, 1, 0 }), 5, kEps);
	// Each clamp holds its own side only.
	EXPECT_EQ(Map(-0.5, 0, 1, 0, 8, nullptr, { 1, 1, 0 }), 0);
	EXPECT_NEAR(Map(3.75, 0, 1, 0, 8, nullptr, { 1, 1, 0 }), 6, kEps);
	EXPECT_EQ(Map(3.75, 0, 1, 0, 8, nullptr, { 1, 0, 1 }), 8);
	EXPECT_NEAR(Map(-0.5, 0, 1, 0, 8, nullptr, { 1, 0, 1 }), -4, kEps);
}
