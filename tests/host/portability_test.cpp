// Same numbers everywhere: the host's noise and curves give bit for bit the
// values stored in tests/data/portability on every platform we build for
// (Linux x86-64 and x86, Windows x64). See stored_values.h for how the files
// are made. The scene as a whole is checked in source/tag/portability_scene_test.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "c4d.h"
#include "customgui_splinecontrol.h"
#include "portable_trig.h"
#include "stored_values.h"

namespace
{

using stored_values::HexFloat;
using stored_values::Values;

std::string Name(const char* prefix, int i)
{
	return std::string(prefix) + "[" + std::to_string(i) + "]";
}

TEST(PortabilityHexFloat, WritesTheCanonicalPercentAForm)
{
	EXPECT_EQ(HexFloat(1.0), "0x1p+0");
	EXPECT_EQ(HexFloat(3.0), "0x1.8p+1");
	EXPECT_EQ(HexFloat(-0.1), "-0x1.999999999999ap-4");
	EXPECT_EQ(HexFloat(0.0), "0x0p+0");
	EXPECT_EQ(HexFloat(-0.0), "-0x0p+0");
	EXPECT_EQ(HexFloat(DBL_MAX), "0x1.fffffffffffffp+1023");
	EXPECT_EQ(HexFloat(DBL_MIN), "0x1p-1022");
	EXPECT_EQ(HexFloat(std::numeric_limits<double>::denorm_min()), "0x0.0000000000001p-1022");
	EXPECT_EQ(HexFloat(std::ldexp(0.75, -1022)), "0x0.cp-1022");
	EXPECT_EQ(HexFloat(std::numeric_limits<double>::infinity()), "inf");
	EXPECT_EQ(HexFloat(-std::numeric_limits<double>::infinity()), "-inf");
	EXPECT_EQ(HexFloat(std::numeric_limits<double>::quiet_NaN()), "nan");
	// One bit apart, different text.
	EXPECT_NE(HexFloat(1.0), HexFloat(std::nextafter(1.0, 2.0)));
}

#ifdef __GLIBC__
TEST(PortabilityHexFloat, AgreesWithGlibcsPrintf)
{
	// Where the C library is glibc, the text is its "%a".
	uint64_t state = 0x9E3779B97F4A7C15ull;
	for (int i = 0; i < 20000; ++i)
	{
		state ^= state << 13;
		state ^= state >> 7;
		state ^= state << 17;
		double v;
		std::memcpy(&v, &state, sizeof v);
		if (std::isnan(v))
			continue;
		char text[64];
		std::snprintf(text, sizeof text, "%a", v);
		ASSERT_EQ(HexFloat(v), text) << i;
	}
}
#endif

// Distance of a and b in units in the last place (same sign, finite).
int64_t UlpDistance(double a, double b)
{
	int64_t ia, ib;
	std::memcpy(&ia, &a, sizeof ia);
	std::memcpy(&ib, &b, sizeof ib);
	return ia > ib ? ia - ib : ib - ia;
}

TEST(PortabilityTrig, SinAndCosWithinOneUlpOfTheCLibrarysOverTheirRange)
{
	const double quarterTurn = 0.78539816339744830962;
	uint64_t state = 0x2545F4914F6CDD1Dull;
	for (int i = 0; i < 200000; ++i)
	{
		state ^= state << 13;
		state ^= state >> 7;
		state ^= state << 17;
		// Uniform over the range, and as many spread over its small end.
		const double u = (double)(state >> 11) / 9007199254740992.0;
		const double x = i % 2 ? (2.0 * u - 1.0) * quarterTurn : std::ldexp(u, -(int)(state % 60));
		ASSERT_LE(UlpDistance(PortableSin(x), std::sin(x)), 1) << stored_values::HexFloat(x);
		ASSERT_LE(UlpDistance(PortableCos(x), std::cos(x)), 1) << stored_values::HexFloat(x);
	}
}

TEST(PortabilityTrig, ExactWhereTheValueIsAndSymmetric)
{
	EXPECT_EQ(HexFloat(PortableSin(0.0)), "0x0p+0");
	EXPECT_EQ(HexFloat(PortableSin(-0.0)), "-0x0p+0");
	EXPECT_EQ(PortableCos(0.0), 1.0);
	EXPECT_EQ(PortableCos(-0.0), 1.0);
	// Tiny angles: sin x is x and cos x is 1 to the last bit.
	EXPECT_EQ(PortableSin(1e-9), 1e-9);
	EXPECT_EQ(PortableCos(1e-9), 1.0);
	for (double x : { 1e-5, 0.1, 0.3, 0.5, 0.7, 0.7853981633974483 })
	{
		EXPECT_EQ(PortableSin(-x), -PortableSin(x)) << x;
		EXPECT_EQ(PortableCos(-x), PortableCos(x)) << x;
	}
	// The sine preset's knots at the quarter turns are exact.
	AutoAlloc<SplineData> curve;
	ASSERT_NE(curve.Get(), nullptr);
	ASSERT_TRUE(curve->MakeSinSpline(9));
	const Real expected[] = { 0.5, 1.0, 0.5, 0.0, 0.5 };
	for (LONG i = 0; i < 5; ++i)
		EXPECT_EQ(curve->GetKnot(2 * i)->vPos.y, expected[i]) << i;
}

TEST(Portability, NoiseGivesTheStoredBits)
{
	Values values;
	// A walk through ordinary coordinates, negative and fractional ones.
	for (int i = 0; i < 160; ++i)
	{
		const Vector p(-3.7 + i * 0.731, i * i * 0.0137 - 5.0, 1000.5 - i * 13.25);
		values.Add(Name("walk", i), Noise(p));
	}
	// Lattice points, cell walls and the points the engine visits: depth is
	// seed * 10004 + component * 100.
	for (int i = 0; i < 40; ++i)
	{
		values.Add(Name("lattice", i), Noise(Vector(i - 20, 2 * i, -i)));
		values.Add(Name("engine", i), Noise(Vector((i * 7.5 - 1234.0) / 45.0, (i * 3.25 + 1234.0) / 50.0, 1234.0 * 10004 + (i % 3) * 100)));
	}
	// Far from the origin, where reduction modulo 256 matters, and beyond
	// 2^52, where every coordinate is an integer.
	const double far[] = { 1e6 + 0.3, -1e7 - 0.77, 4503599627370496.0 + 2.0, -4503599627370496.0 * 3.0, 1e300, -1e-300, 255.999999, 256.000001 };
	for (int i = 0; i < (int)(sizeof far / sizeof far[0]); ++i)
		values.Add(Name("far", i), Noise(Vector(far[i], 0.5 * far[i], 17.25)));
	values.Check("noise.txt", "Noise(Vector) of the host");
}

// y of a curve at points left of, across and right of the unit interval.
void AddCurve(Values* values, const std::string& name, const SplineData& curve)
{
	for (LONG i = 0; i < curve.GetKnotCount(); ++i)
	{
		const CustomSplineKnot* k = const_cast<SplineData&>(curve).GetKnot(i);
		const std::string knot = name + ".knot" + std::to_string(i);
		values->Add(knot + ".x", k->vPos.x);
		values->Add(knot + ".y", k->vPos.y);
		values->Add(knot + ".left.x", k->vTangentLeft.x);
		values->Add(knot + ".left.y", k->vTangentLeft.y);
		values->Add(knot + ".right.x", k->vTangentRight.x);
		values->Add(knot + ".right.y", k->vTangentRight.y);
	}
	for (int i = 0; i <= 60; ++i)
	{
		const Real x = -0.125 + i * (1.25 / 60.0);
		values->Add(name + Name(".y", i), curve.GetPoint(x).y);
	}
}

TEST(Portability, CurvesGiveTheStoredBits)
{
	Values values;
	AutoAlloc<SplineData> curve;
	ASSERT_NE(curve.Get(), nullptr);
	// The sine presets: the five-knot one is exact by construction, the
	// others take sin and cos of angles that are no quarter turns.
	for (LONG points : { 5, 7, 12, 33, 40, 99 })
	{
		ASSERT_TRUE(curve->MakeSinSpline(points));
		AddCurve(&values, "sine" + std::to_string(points), *curve);
	}
	ASSERT_TRUE(curve->MakeLinearSplineLinear(3));
	AddCurve(&values, "linear3", *curve);

	// Free-hand Bezier segments: steep, folding back in x (bisection), and
	// with handles off the chord by a hair.
	AutoAlloc<SplineData> drawn;
	ASSERT_NE(drawn.Get(), nullptr);
	const struct
	{
		Real x, y, lx, ly, rx, ry;
	} knots[] = {
		{ 0.0, 0.1, 0.0, 0.0, 0.31, 0.97 },
		{ 0.35, 0.8, -0.5, 0.2, 0.02, -0.6 },
		{ 0.6, 0.05, -0.01, 0.3, 0.7, 0.0 },
		{ 0.9, 0.9, -0.1, -0.1000000000001, 0.05, 0.2 },
		{ 1.0, 0.3, -0.033, 0.0, 0.0, 0.0 },
	};
	for (const auto& k : knots)
	{
		CustomSplineKnot* knot = drawn->GetKnot(drawn->InsertKnot(k.x, k.y, 0));
		ASSERT_NE(knot, nullptr);
		knot->vTangentLeft = Vector(k.lx, k.ly, 0.0);
		knot->vTangentRight = Vector(k.rx, k.ry, 0.0);
	}
	AddCurve(&values, "drawn", *drawn);
	values.Check("curves.txt", "SplineData presets and evaluation (GetPoint) of the host");
}

} // namespace
