// Remainders and tolerant comparison of the host's math helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "ge_math.h"

namespace {

const Real kNaN = std::numeric_limits<Real>::quiet_NaN();
const Real kInf = std::numeric_limits<Real>::infinity();
const Real kDenorm = std::numeric_limits<Real>::denorm_min();

Real FromBits(uint64_t bits)
{
	Real r;
	std::memcpy(&r, &bits, sizeof r);
	return r;
}

// ---------------------------------------------------------------------------
// FMod
// ---------------------------------------------------------------------------

TEST(FModTest, RemainderTakesTheSignOfTheDividend)
{
	EXPECT_EQ(FMod(-1.0, 3.0), -1.0);
	EXPECT_EQ(FMod(7.0, 3.0), 1.0);
	EXPECT_EQ(FMod(-7.0, 3.0), -1.0);
	EXPECT_EQ(FMod(7.0, -3.0), 1.0);
	EXPECT_EQ(FMod(5.5, 2.0), 1.5);
	EXPECT_EQ(FMod(-5.5, 2.0), -1.5);
}

TEST(FModTest, ZeroDivisorAndInfiniteDividendGiveNaN)
{
	EXPECT_TRUE(std::isnan(FMod(1.0, 0.0)));
	EXPECT_TRUE(std::isnan(FMod(0.0, 0.0)));
	EXPECT_TRUE(std::isnan(FMod(kInf, 2.0)));
	EXPECT_TRUE(std::isnan(FMod(kNaN, 2.0)));
	// An infinite divisor leaves a finite dividend whole.
	EXPECT_EQ(FMod(1.25, kInf), 1.25);
}

// ---------------------------------------------------------------------------
// Modulo
// ---------------------------------------------------------------------------

TEST(ModuloTest, NegativeDividendWrapsIntoThePositiveRange)
{
	EXPECT_EQ(Modulo(-1.0, 3.0), 2.0);
	EXPECT_EQ(Modulo(-7.0, 3.0), 2.0);
	EXPECT_EQ(Modulo(-3.0, 3.0), 0.0);
	EXPECT_EQ(Modulo(-0.25, 1.0), 0.75);
	EXPECT_EQ(Modulo(7.0, 3.0), 1.0);
	EXPECT_EQ(Modulo(1.5, 1.0), 0.5);
}

TEST(ModuloTest, ZeroDivisorGivesZero)
{
	EXPECT_EQ(Modulo(5.0, 0.0), 0.0);
	EXPECT_EQ(Modulo(-5.0, 0.0), 0.0);
	EXPECT_EQ(Modulo(kNaN, 0.0), 0.0);
}

TEST(ModuloTest, NegativeDivisorMovesNegativeRemaindersFurtherDown)
{
	// The remainder keeps the dividend's sign and a negative one gets b added,
	// which for b < 0 pushes it away from zero.
	EXPECT_EQ(Modulo(1.0, -3.0), 1.0);
	EXPECT_EQ(Modulo(-1.0, -3.0), -4.0);
}

TEST(ModuloTest, StaysInsideTheHalfOpenRangeAcrossASweep)
{
	const Real divisors[] = {0.1, 1.0, 3.0, 2.5, 30.0};
	for (Real b : divisors)
	{
		for (int i = -20000; i <= 20000; ++i)
		{
			const Real a = i * 0.0137;
			const Real r = Modulo(a, b);
			ASSERT_GE(r, 0.0) << a << " mod " << b;
			ASSERT_LT(r, b) << a << " mod " << b;
			// Same class as a: a - r is a whole multiple of b (up to rounding).
			const Real k = (a - r) / b;
			ASSERT_NEAR(k, std::round(k), 1e-9) << a << " mod " << b;
		}
	}
}

TEST(ModuloTest, RoundingOntoTheDivisorFoldsToZero)
{
	// -1e-20 + 1 rounds to 1, which is outside [0, 1).
	EXPECT_EQ(Modulo(-1e-20, 1.0), 0.0);
	EXPECT_EQ(Modulo(-kDenorm, 3.0), 0.0);
}

TEST(ModuloTest, QuotientsBeyond32BitsStayExact)
{
	// 3e9 does not fit the 32-bit truncation; the remainder is still exact.
	EXPECT_EQ(Modulo(3e9 + 0.5, 1.0), 0.5);
	EXPECT_EQ(Modulo(-(3e9 + 0.25), 1.0), 0.75);
	EXPECT_EQ(Modulo(1e300, 3.0), std::fmod(1e300, 3.0));
	const Real r = Modulo(-1e300, 7.0);
	EXPECT_GE(r, 0.0);
	EXPECT_LT(r, 7.0);
	EXPECT_EQ(r, std::fmod(-1e300, 7.0) + 7.0);
	// Tiny divisor, quotient far past 2^31.
	const Real tiny = Modulo(1.0, 1e-12);
	EXPECT_GE(tiny, 0.0);
	EXPECT_LT(tiny, 1e-12);
}

TEST(ModuloTest, NonFiniteOperandsGiveNaN)
{
	EXPECT_TRUE(std::isnan(Modulo(kNaN, 3.0)));
	EXPECT_TRUE(std::isnan(Modulo(3.0, kNaN)));
	EXPECT_TRUE(std::isnan(Modulo(kInf, 3.0)));
	EXPECT_TRUE(std::isnan(Modulo(-kInf, 3.0)));
	EXPECT_EQ(Modulo(5.0, kInf), 5.0);
}

// ---------------------------------------------------------------------------
// CompareFloatTolerant
// ---------------------------------------------------------------------------

TEST(CompareFloatTolerantTest, ZeroMatchesOnlyTheSevenSmallestSubnormals)
{
	EXPECT_TRUE(CompareFloatTolerant(0.0, 0.0));
	EXPECT_TRUE(CompareFloatTolerant(0.0, kDenorm));
	EXPECT_TRUE(CompareFloatTolerant(0.0, 7.0 * kDenorm));
	EXPECT_TRUE(CompareFloatTolerant(7.0 * kDenorm, 0.0));
	EXPECT_FALSE(CompareFloatTolerant(0.0, 8.0 * kDenorm));
	EXPECT_FALSE(CompareFloatTolerant(8.0 * kDenorm, 0.0));
	EXPECT_FALSE(CompareFloatTolerant(0.0, 1e-300));
}

TEST(CompareFloatTolerantTest, SignedZerosAreFarApartAsPatterns)
{
	// -0.0 is the most negative 64-bit pattern: 2^63 away from +0.0.
	EXPECT_FALSE(CompareFloatTolerant(-0.0, 0.0));
	EXPECT_FALSE(CompareFloatTolerant(0.0, -0.0));
	EXPECT_TRUE(CompareFloatTolerant(-0.0, -0.0));
	EXPECT_FALSE(CompareFloatTolerant(-kDenorm, kDenorm));
	// Negative values near -0.0 count downward from INT64_MIN.
	EXPECT_TRUE(CompareFloatTolerant(-0.0, -7.0 * kDenorm));
	EXPECT_FALSE(CompareFloatTolerant(-0.0, -8.0 * kDenorm));
}

TEST(CompareFloatTolerantTest, SevenUlpsAreTolerated)
{
	const Real one = 1.0;
	Real up = one;
	for (int i = 0; i < 7; ++i)
		up = std::nextafter(up, 2.0);
	EXPECT_TRUE(CompareFloatTolerant(one, up));
	EXPECT_TRUE(CompareFloatTolerant(-one, -up));
	EXPECT_FALSE(CompareFloatTolerant(one, std::nextafter(up, 2.0)));
	EXPECT_FALSE(CompareFloatTolerant(1.0, 1.0 + 1e-12));
}

TEST(CompareFloatTolerantTest, OppositeExtremesDoNotOverflow)
{
	const Real big = std::numeric_limits<Real>::max();
	// The patterns differ by more than INT64_MAX; a signed subtraction would
	// overflow and could wrap into "equal".
	EXPECT_FALSE(CompareFloatTolerant(big, -big));
	EXPECT_FALSE(CompareFloatTolerant(-big, big));
	EXPECT_FALSE(CompareFloatTolerant(kInf, -kInf));
	EXPECT_FALSE(CompareFloatTolerant(FromBits(0x7FFFFFFFFFFFFFFFull), FromBits(0x8000000000000000ull)));
	// The largest finite double sits right below infinity.
	EXPECT_TRUE(CompareFloatTolerant(big, kInf));
}

TEST(CompareFloatTolerantTest, PatternsNotValuesDecideForNaN)
{
	EXPECT_TRUE(CompareFloatTolerant(kNaN, kNaN));
	// The all-ones NaN reads as -1, one step from +0.0.
	EXPECT_TRUE(CompareFloatTolerant(FromBits(0xFFFFFFFFFFFFFFFFull), 0.0));
	EXPECT_FALSE(CompareFloatTolerant(kNaN, 1.0));
}

} // namespace
