// Gradient noise: reproducibility, range, smoothness and hostile coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "c4d_general.h"

namespace {

const Real kNaN = std::numeric_limits<Real>::quiet_NaN();
const Real kInf = std::numeric_limits<Real>::infinity();

// ---------------------------------------------------------------------------
// Reference values
// ---------------------------------------------------------------------------

// Reference values of this noise. Scenes store animation driven by it, so any
// change of these bits changes saved work: update them only on purpose.
TEST(NoiseTest, ReferenceValuesAreBitExact)
{
	EXPECT_EQ(Noise(Vector(0.1, 0.2, 0.3)), 0.59722173560279035);
	EXPECT_EQ(Noise(Vector(1.5, -2.25, 3.75)), 0.637939453125);
	EXPECT_EQ(Noise(Vector(12.34, 56.78, -9.1)), 0.43759727052351027);
	EXPECT_EQ(Noise(Vector(-100.7, 0.001, 42.42)), 0.4889650474385473);
	EXPECT_EQ(Noise(Vector(1.2e7 + 0.3, 0.6, 0.9)), 0.78279534450501198);
}

// ---------------------------------------------------------------------------
// Shape
// ---------------------------------------------------------------------------

TEST(NoiseTest, ValuesSpreadOverTheUnitRange)
{
	Real lo = 1.0, hi = 0.0, sum = 0.0;
	int count = 0;
	for (int i = 0; i < 60; ++i)
		for (int j = 0; j < 60; ++j)
			for (int k = 0; k < 30; ++k)
			{
				const Real n = Noise(Vector(i * 0.377 - 11.0, j * 0.291 + 3.0, k * 0.533));
				ASSERT_GE(n, 0.0);
				ASSERT_LE(n, 1.0);
				lo = std::fmin(lo, n);
				hi = std::fmax(hi, n);
				sum += n;
				++count;
			}
	EXPECT_LT(lo, 0.2);
	EXPECT_GT(hi, 0.8);
	EXPECT_NEAR(sum / count, 0.5, 0.02);
}

TEST(NoiseTest, LatticePointsSitAtTheMiddle)
{
	// Gradient noise vanishes on its lattice, which maps to 0.5.
	EXPECT_EQ(Noise(Vector(0.0, 0.0, 0.0)), 0.5);
	EXPECT_EQ(Noise(Vector(3.0, -7.0, 12.0)), 0.5);
	EXPECT_EQ(Noise(Vector(-0.0, 255.0, 256.0)), 0.5);
}

TEST(NoiseTest, SmallStepsMakeSmallChanges)
{
	const Real h = 1e-6;
	for (int i = 0; i < 2000; ++i)
	{
		const Vector p(i * 0.0619 - 40.0, i * 0.0377, 7.0 - i * 0.0211);
		const Real n = Noise(p);
		ASSERT_NEAR(Noise(p + Vector(h, 0.0, 0.0)), n, 1e-5) << i;
		ASSERT_NEAR(Noise(p + Vector(0.0, h, 0.0)), n, 1e-5) << i;
		ASSERT_NEAR(Noise(p + Vector(0.0, 0.0, h)), n, 1e-5) << i;
	}
	// Across cell walls too, where the hashes change.
	for (int wall = -5; wall <= 5; ++wall)
	{
		const Real a = Noise(Vector(wall - 1e-9, 0.37, 0.61));
		const Real b = Noise(Vector(wall + 1e-9, 0.37, 0.61));
		EXPECT_NEAR(a, b, 1e-8) << wall;
	}
}

// ---------------------------------------------------------------------------
// Hostile coordinates
// ---------------------------------------------------------------------------

TEST(NoiseTest, LatticeRepeatsEvery256Cells)
{
	// Dyadic offsets keep the fractions exact, so the values match bit for bit.
	const Vector p(0.25, 1.625, -3.375);
	const Real n = Noise(p);
	EXPECT_EQ(Noise(p + Vector(256.0, 0.0, 0.0)), n);
	EXPECT_EQ(Noise(p + Vector(0.0, -256.0, 0.0)), n);
	EXPECT_EQ(Noise(p + Vector(0.0, 0.0, 512.0)), n);
	EXPECT_EQ(Noise(p + Vector(1099511627776.0, 0.0, -1099511627776.0)), n); // 2^40
	EXPECT_NE(Noise(p + Vector(1.0, 0.0, 0.0)), n);
}

TEST(NoiseTest, HugeCoordinatesStaySafe)
{
	const Real n = Noise(Vector(1.2e7 + 0.5, -1.2e7 - 0.25, 0.75));
	EXPECT_GE(n, 0.0);
	EXPECT_LE(n, 1.0);
	// Past 2^53 every double is a lattice point.
	EXPECT_EQ(Noise(Vector(1e300, 0.0, 0.0)), 0.5);
	EXPECT_EQ(Noise(Vector(-1e300, 1e300, -1e300)), 0.5);
	EXPECT_EQ(Noise(Vector(std::numeric_limits<Real>::max(), 0.0, 0.0)), 0.5);
	// Subnormal offsets just below a lattice point.
	const Real tiny = Noise(Vector(-std::numeric_limits<Real>::denorm_min(), 0.5, 0.5));
	EXPECT_NEAR(tiny, Noise(Vector(0.0, 0.5, 0.5)), 1e-12);
}

TEST(NoiseTest, NonFiniteCoordinatesGiveTheMiddle)
{
	EXPECT_EQ(Noise(Vector(kNaN, 0.3, 0.3)), 0.5);
	EXPECT_EQ(Noise(Vector(0.3, kNaN, 0.3)), 0.5);
	EXPECT_EQ(Noise(Vector(0.3, 0.3, kNaN)), 0.5);
	EXPECT_EQ(Noise(Vector(kInf, 0.3, 0.3)), 0.5);
	EXPECT_EQ(Noise(Vector(0.3, -kInf, 0.3)), 0.5);
	EXPECT_EQ(Noise(Vector(0.3, 0.3, kInf)), 0.5);
}

} // namespace
