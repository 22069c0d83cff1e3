// The module's own clamp, which the loop envelope relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "clamp.h"

namespace
{

TEST(Clamped, HoldsTheValueWithinTheBounds)
{
	EXPECT_EQ(Clamped(-0.5, 0.0, 1.0), 0.0);
	EXPECT_EQ(Clamped(0.25, 0.0, 1.0), 0.25);
	EXPECT_EQ(Clamped(7.0, 0.0, 1.0), 1.0);
	EXPECT_EQ(Clamped(-std::numeric_limits<Real>::infinity(), -2.0, 3.0), -2.0);
	// The value comes first: swapping it with a bound changes the answer.
	EXPECT_EQ(Clamped(3.0, 0.0, 2.0), 2.0);
	EXPECT_EQ(Clamped(0.0, 3.0, 2.0), 3.0);
}

TEST(Clamped, PassesNaNAndKeepsTheSignOfZero)
{
	EXPECT_TRUE(std::isnan(Clamped(std::numeric_limits<Real>::quiet_NaN(), 0.0, 1.0)));
	EXPECT_TRUE(std::signbit(Clamped(-0.0, 0.0, 1.0)));
}

} // namespace
