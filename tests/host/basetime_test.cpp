// Time values: frame numbers, snapping and arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "c4d_basetime.h"

namespace {

const Real kNaN = std::numeric_limits<Real>::quiet_NaN();
const Real kInf = std::numeric_limits<Real>::infinity();

// The low 32 bits of a non-negative integral double below 2^64, by way of an
// unsigned conversion that is defined there; an oracle independent of the
// fmod route the implementation takes.
LONG Low32(Real v)
{
	const bool negative = v < 0.0;
	uint64_t u = static_cast<uint64_t>(negative ? -v : v);
	if (negative)
		u = 0 - u;
	const uint32_t low = static_cast<uint32_t>(u);
	return low >= 0x80000000u ? static_cast<LONG>(static_cast<int64_t>(low) - 4294967296LL)
							  : static_cast<LONG>(low);
}

// ---------------------------------------------------------------------------
// GetFrame
// ---------------------------------------------------------------------------

TEST(BaseTimeFrameTest, FractionalFramesRoundDownInTime)
{
	EXPECT_EQ(BaseTime(0.999).GetFrame(30), 29);
	EXPECT_EQ(BaseTime(0.5).GetFrame(30), 15);
	// 1/30 * 10 lands on exactly 10 frames after the products round.
	EXPECT_EQ(BaseTime(1.0 / 30 * 10).GetFrame(30), 10);
	EXPECT_EQ(BaseTime(0.0).GetFrame(30), 0);
}

TEST(BaseTimeFrameTest, NegativeTimesFloorBeforeDividing)
{
	// floor(-0.3) = -1: just before zero is frame -1, not frame 0.
	EXPECT_EQ(BaseTime(-0.01).GetFrame(30), -1);
	EXPECT_EQ(BaseTime(-1.5).GetFrame(24), -36);
	EXPECT_EQ(BaseTime(-0.5 / 24).GetFrame(24), -1);
}

TEST(BaseTimeFrameTest, FractionFormFloorsBothParts)
{
	EXPECT_EQ(BaseTime(45.0, 30.0).GetFrame(30), 45);
	EXPECT_EQ(BaseTime(1.0, 3.0).GetFrame(30), 10);
	// floor(10) / floor(2.5) = 5, although 0.4 s at 10 fps is frame 4.
	EXPECT_EQ(BaseTime(1.0, 2.5).GetFrame(10), 5);
	// The quotient is truncated toward zero: 3.5 -> 3, -3.5 -> -3.
	EXPECT_EQ(BaseTime(7.0, 2.0).GetFrame(1), 3);
	EXPECT_EQ(BaseTime(-7.0, 2.0).GetFrame(1), -3);
}

TEST(BaseTimeFrameTest, QuotientsThatAreNotFiniteGiveZero)
{
	EXPECT_EQ(BaseTime(1.0, 0.0).GetFrame(30), 0);
	EXPECT_EQ(BaseTime(-1.0, 0.0).GetFrame(30), 0);
	EXPECT_EQ(BaseTime(0.0, 0.0).GetFrame(30), 0);
	// floor(0.5) is a zero denominator too.
	EXPECT_EQ(BaseTime(1.0, 0.5).GetFrame(30), 0);
	EXPECT_EQ(BaseTime(kNaN).GetFrame(30), 0);
	EXPECT_EQ(BaseTime(kInf).GetFrame(30), 0);
	EXPECT_EQ(BaseTime(-kInf).GetFrame(30), 0);
	EXPECT_EQ(BaseTime(1.0).GetFrame(kNaN), 0);
	EXPECT_EQ(BaseTime(1.0, kNaN).GetFrame(30), 0);
}

TEST(BaseTimeFrameTest, FramesBeyond32BitsWrapAsTwosComplement)
{
	EXPECT_EQ(BaseTime(2147483647.0).GetFrame(1), 2147483647);
	EXPECT_EQ(BaseTime(2147483648.0).GetFrame(1), std::numeric_limits<LONG>::min());
	EXPECT_EQ(BaseTime(-2147483649.0).GetFrame(1), 2147483647);
	EXPECT_EQ(BaseTime(4294967296.0 + 5.0).GetFrame(1), 5);
	EXPECT_EQ(BaseTime(-4294967296.0 - 5.0).GetFrame(1), -5);
	EXPECT_EQ(BaseTime(1e12).GetFrame(1), Low32(1e12));
	EXPECT_EQ(BaseTime(-1e12 - 7.0).GetFrame(1), Low32(-1e12 - 7.0));
}

TEST(BaseTimeFrameTest, FramesBeyond64BitsKeepWrapping)
{
	// Between 2^63 and 2^64 the low bits are still defined by the value.
	EXPECT_EQ(BaseTime(9.3e18).GetFrame(1), Low32(9.3e18));
	EXPECT_EQ(BaseTime(-9.3e18).GetFrame(1), Low32(-9.3e18));
	EXPECT_NE(Low32(9.3e18), 0); // the case above is not trivially 0
	// From 2^84 on every double is a multiple of 2^32.
	EXPECT_EQ(BaseTime(1e30).GetFrame(1), 0);
	EXPECT_EQ(BaseTime(-1e300).GetFrame(1), 0);
	EXPECT_EQ(BaseTime(1e300).GetFrame(1e300), 0); // product overflows to inf
}

// ---------------------------------------------------------------------------
// Quantize and TimeDif
// ---------------------------------------------------------------------------

TEST(BaseTimeQuantizeTest, SnapsToTheNearestFrameOnTheRateAsDenominator)
{
	BaseTime t(0.51);
	t.Quantize(10.0);
	EXPECT_EQ(t.GetNumerator(), 5.0);
	EXPECT_EQ(t.GetDenominator(), 10.0);
	EXPECT_EQ(t.Get(), 0.5);

	BaseTime up(0.56);
	up.Quantize(10.0);
	EXPECT_EQ(up.GetNumerator(), 6.0);

	BaseTime negative(-0.56);
	negative.Quantize(10.0);
	EXPECT_EQ(negative.GetNumerator(), -6.0);

	BaseTime third(1.0, 3.0);
	third.Quantize(30.0);
	EXPECT_EQ(third.GetNumerator(), 10.0);
	EXPECT_EQ(third.GetDenominator(), 30.0);
}

TEST(BaseTimeQuantizeTest, UnusableRatesOrTimesLeaveTheTimeAlone)
{
	const Real rates[] = {0.0, -24.0, kNaN, kInf};
	for (Real fps : rates)
	{
		BaseTime t(3.0, 7.0);
		t.Quantize(fps);
		EXPECT_EQ(t.GetNumerator(), 3.0) << fps;
		EXPECT_EQ(t.GetDenominator(), 7.0) << fps;
	}
	BaseTime broken(1.0, 0.0);
	broken.Quantize(30.0);
	EXPECT_EQ(broken.GetNumerator(), 1.0);
	EXPECT_EQ(broken.GetDenominator(), 0.0);
}

TEST(BaseTimeTimeDifTest, CountsFramesAtThisTimesDenominator)
{
	EXPECT_EQ(BaseTime(20.0, 30.0).TimeDif(BaseTime(10.0, 30.0)), 10);
	EXPECT_EQ(BaseTime(10.0, 30.0).TimeDif(BaseTime(20.0, 30.0)), -10);
	// 0.5 s is frame 15 at 30 fps.
	EXPECT_EQ(BaseTime(60.0, 30.0).TimeDif(BaseTime(0.5)), 45);
	EXPECT_EQ(BaseTime(5.0, 30.0).TimeDif(BaseTime(5.0, 30.0)), 0);
}

TEST(BaseTimeTimeDifTest, BrokenOrExtremeTimesDoNotOverflow)
{
	EXPECT_EQ(BaseTime(1.0, 0.0).TimeDif(BaseTime(5.0)), 0);
	// Frame 2^31 - 1 minus frame -2^31 wraps to -1 instead of overflowing.
	EXPECT_EQ(BaseTime(2147483647.0).TimeDif(BaseTime(-2147483648.0)), -1);
}

// ---------------------------------------------------------------------------
// Arithmetic
// ---------------------------------------------------------------------------

TEST(BaseTimeArithmeticTest, SharedDenominatorsAddExactly)
{
	const BaseTime sum = BaseTime(1.0, 10.0) + BaseTime(2.0, 10.0);
	EXPECT_EQ(sum.GetNumerator(), 3.0);
	EXPECT_EQ(sum.GetDenominator(), 10.0);
	// In seconds 0.1 + 0.2 != 0.3; as tenths the sum is exact.
	EXPECT_EQ(sum.Get(), 0.3);

	const BaseTime diff = BaseTime(7.0, 30.0) - BaseTime(9.0, 30.0);
	EXPECT_EQ(diff.GetNumerator(), -2.0);
	EXPECT_EQ(diff.GetDenominator(), 30.0);
}

TEST(BaseTimeArithmeticTest, MixedDenominatorsFallBackToSeconds)
{
	const BaseTime sum = BaseTime(1.0, 2.0) + BaseTime(1.0, 4.0);
	EXPECT_EQ(sum.GetNumerator(), 0.75);
	EXPECT_EQ(sum.GetDenominator(), 1.0);

	const BaseTime diff = BaseTime(1.0, 2.0) - BaseTime(3.0, 4.0);
	EXPECT_EQ(diff.GetNumerator(), -0.25);
	EXPECT_EQ(diff.GetDenominator(), 1.0);
}

TEST(BaseTimeArithmeticTest, ProductsAndQuotientsMultiplyFractions)
{
	const BaseTime product = BaseTime(1.0, 2.0) * BaseTime(3.0, 4.0);
	EXPECT_EQ(product.GetNumerator(), 3.0);
	EXPECT_EQ(product.GetDenominator(), 8.0);

	const BaseTime quotient = BaseTime(1.0, 2.0) / BaseTime(3.0, 4.0);
	EXPECT_EQ(quotient.GetNumerator(), 4.0);
	EXPECT_EQ(quotient.GetDenominator(), 6.0);
	EXPECT_NEAR(quotient.Get(), 2.0 / 3.0, 1e-15);

	// Dividing by zero time yields a zero denominator, which frames treat as 0.
	const BaseTime byZero = BaseTime(1.0) / BaseTime(0.0);
	EXPECT_EQ(byZero.GetDenominator(), 0.0);
	EXPECT_EQ(byZero.GetFrame(30), 0);
}

} // namespace
