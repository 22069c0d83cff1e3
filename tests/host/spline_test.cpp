// Curve data: knot order, presets and evaluation y(x).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "custom_data.h"
#include "customgui_splinecontrol.h"

namespace {

const Real kNaN = std::numeric_limits<Real>::quiet_NaN();
const Real kInf = std::numeric_limits<Real>::infinity();

// Owns a SplineData for the length of a test.
struct Curve
{
	SplineData* sd = SplineData::Alloc();
	~Curve() { SplineData::Free(sd); }
	SplineData* operator->() { return sd; }
};

// Inserts a knot and sets its tangents, relative to the knot.
void AddKnot(SplineData* sd, Real x, Real y, Vector left, Vector right)
{
	const LONG i = sd->InsertKnot(x, y);
	ASSERT_GE(i, 0);
	sd->GetKnot(i)->vTangentLeft = left;
	sd->GetKnot(i)->vTangentRight = right;
}

// The segment's Bezier point at parameter s by de Casteljau, written apart
// from the implementation's power-basis evaluation.
Vector BezierAt(const Vector& p0, const Vector& p1, const Vector& p2, const Vector& p3, Real s)
{
	const Vector a = Mix(p0, p1, s), b = Mix(p1, p2, s), c = Mix(p2, p3, s);
	const Vector d = Mix(a, b, s), e = Mix(b, c, s);
	return Mix(d, e, s);
}

// ---------------------------------------------------------------------------
// Knots
// ---------------------------------------------------------------------------

TEST(SplineKnotTest, InsertKeepsKnotsSortedAndEqualXGoesAfter)
{
	Curve c;
	EXPECT_EQ(c->InsertKnot(0.5, 1.0), 0);
	EXPECT_EQ(c->InsertKnot(0.2, 2.0), 0);
	EXPECT_EQ(c->InsertKnot(0.8, 3.0), 2);
	EXPECT_EQ(c->InsertKnot(0.5, 4.0, 7), 2);
	ASSERT_EQ(c->GetKnotCount(), 4);
	const Real ys[] = {2.0, 1.0, 4.0, 3.0};
	for (LONG i = 0; i < 4; ++i)
		EXPECT_EQ(c->GetKnot(i)->vPos.y, ys[i]) << i;
	EXPECT_EQ(c->GetKnot(2)->lFlagsSettings, 7);
	EXPECT_EQ(c->GetKnot(2)->vTangentLeft, Vector());
	EXPECT_EQ(c->GetKnot(2)->vTangentRight, Vector());
}

TEST(SplineKnotTest, NonFinitePositionsAreRefused)
{
	Curve c;
	c->InsertKnot(0.0, 0.0);
	EXPECT_EQ(c->InsertKnot(kNaN, 0.0), -1);
	EXPECT_EQ(c->InsertKnot(0.5, kNaN), -1);
	EXPECT_EQ(c->InsertKnot(kInf, 0.0), -1);
	EXPECT_EQ(c->InsertKnot(0.5, -kInf), -1);
	EXPECT_EQ(c->GetKnotCount(), 1);
}

TEST(SplineKnotTest, KnotCountStopsAtTheMaximum)
{
	Curve c;
	for (LONG i = 0; i < SplineData::MAX_KNOTS; ++i)
		ASSERT_EQ(c->InsertKnot(i, 0.0), i);
	EXPECT_EQ(c->InsertKnot(-1.0, 0.0), -1);
	EXPECT_EQ(c->GetKnotCount(), SplineData::MAX_KNOTS);
}

TEST(SplineKnotTest, GetKnotIsNullOutsideTheRange)
{
	Curve c;
	EXPECT_EQ(c->GetKnot(0), nullptr);
	c->InsertKnot(0.0, 0.0);
	EXPECT_NE(c->GetKnot(0), nullptr);
	EXPECT_EQ(c->GetKnot(-1), nullptr);
	EXPECT_EQ(c->GetKnot(1), nullptr);
	EXPECT_EQ(c->GetKnot(std::numeric_limits<LONG>::min()), nullptr);
	EXPECT_EQ(c->GetKnot(std::numeric_limits<LONG>::max()), nullptr);
}

// ---------------------------------------------------------------------------
// Presets
// ---------------------------------------------------------------------------

TEST(SplinePresetTest, SineRunsThroughItsQuarterPointsExactly)
{
	Curve c;
	ASSERT_TRUE(c->MakeSinSpline(5));
	ASSERT_EQ(c->GetKnotCount(), 5);
	const Real xs[] = {0.0, 0.25, 0.5, 0.75, 1.0};
	const Real ys[] = {0.5, 1.0, 0.5, 0.0, 0.5};
	for (int i = 0; i < 5; ++i)
	{
		EXPECT_EQ(c->GetKnot(i)->vPos.x, xs[i]);
		EXPECT_EQ(c->GetPoint(xs[i]).y, ys[i]) << xs[i];
	}
	// Level tangents on the peak, a third of the spacing wide.
	EXPECT_EQ(c->GetKnot(1)->vTangentRight.y, 0.0);
	EXPECT_NEAR(c->GetKnot(1)->vTangentRight.x, 0.25 / 3.0, 1e-15);
	// Slope pi at the start: 0.5 * 2 pi cos(0).
	EXPECT_NEAR(c->GetKnot(0)->vTangentRight.y, 0.25 / 3.0 * pi, 1e-15);
	EXPECT_EQ(c->GetKnot(0)->vTangentLeft, -c->GetKnot(0)->vTangentRight);
}

TEST(SplinePresetTest, SineFollowsTheTrueSineBetweenKnots)
{
	Curve c;
	ASSERT_TRUE(c->MakeSinSpline());
	ASSERT_EQ(c->GetKnotCount(), 5);
	Real worst = 0.0;
	for (int i = 0; i <= 4000; ++i)
	{
		const Real x = i / 4000.0;
		const Vector p = c->GetPoint(x);
		EXPECT_EQ(p.x, x);
		worst = std::fmax(worst, std::fabs(p.y - (0.5 + 0.5 * std::sin(2.0 * pi * x))));
	}
	EXPECT_LT(worst, 0.01);
	// A straight chord between the knots would be 0.75 at x = 1/8.
	EXPECT_NEAR(c->GetPoint(0.125).y, 0.5 + 0.5 * std::sqrt(0.5), 0.01);
}

TEST(SplinePresetTest, MoreSineKnotsHugTheSineCloser)
{
	Curve c;
	ASSERT_TRUE(c->MakeSinSpline(21));
	for (int i = 0; i <= 1000; ++i)
	{
		const Real x = i / 1000.0;
		ASSERT_NEAR(c->GetPoint(x).y, 0.5 + 0.5 * std::sin(2.0 * pi * x), 2e-5) << x;
	}
}

TEST(SplinePresetTest, LinearPresetIsTheDiagonal)
{
	Curve c;
	ASSERT_TRUE(c->MakeLinearSplineLinear());
	ASSERT_EQ(c->GetKnotCount(), 2);
	for (int i = 0; i <= 100; ++i)
	{
		const Real x = i / 100.0;
		EXPECT_EQ(c->GetPoint(x).y, x) << x;
	}

	ASSERT_TRUE(c->MakeLinearSplineLinear(7));
	ASSERT_EQ(c->GetKnotCount(), 7);
	EXPECT_NEAR(c->GetKnot(3)->vTangentRight.x, 1.0 / 18.0, 1e-16);
	EXPECT_EQ(c->GetKnot(3)->vTangentRight.x, c->GetKnot(3)->vTangentRight.y);
	for (int i = 0; i <= 1000; ++i)
	{
		const Real x = i / 1000.0;
		ASSERT_NEAR(c->GetPoint(x).y, x, 1e-15) << x;
	}
}

TEST(SplinePresetTest, RefusedCountsLeaveTheCurveUnchanged)
{
	Curve c;
	ASSERT_TRUE(c->MakeSinSpline(5));
	Curve before;
	ASSERT_TRUE(before->MakeSinSpline(5));
	const LONG bad[] = {1, 0, -2, SplineData::MAX_KNOTS + 1, std::numeric_limits<LONG>::min()};
	for (LONG n : bad)
	{
		EXPECT_FALSE(c->MakeSinSpline(n)) << n;
		EXPECT_FALSE(c->MakeLinearSplineLinear(n)) << n;
		EXPECT_TRUE(*c.sd == *before.sd) << n;
	}
	EXPECT_TRUE(c->MakeSinSpline(2));
	EXPECT_EQ(c->GetKnotCount(), 2);
}

// ---------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------

TEST(SplineEvalTest, WithoutKnotsTheResultIsXZeroZero)
{
	Curve c;
	const Vector p = c->GetPoint(0.3);
	EXPECT_EQ(p, Vector(0.3, 0.0, 0.0));
}

TEST(SplineEvalTest, StepCurveJumpsExactlyAtItsKnots)
{
	Curve c;
	c->InsertKnot(0.0, 0.0);
	c->InsertKnot(0.499, 0.0);
	c->InsertKnot(0.5, 1.0);
	c->InsertKnot(1.0, 1.0);
	EXPECT_EQ(c->GetPoint(0.499).y, 0.0);
	EXPECT_EQ(c->GetPoint(0.5).y, 1.0);
	EXPECT_EQ(c->GetPoint(0.25).y, 0.0);
	EXPECT_EQ(c->GetPoint(0.75).y, 1.0);
	// Zero tangents on a chord are that chord: halfway up the jump.
	EXPECT_NEAR(c->GetPoint(0.4995).y, 0.5, 1e-12);
}

TEST(SplineEvalTest, ConstantCurveGivesTheConstantExactly)
{
	Curve c;
	AddKnot(c.sd, 0.0, 0.3, Vector(-0.1, 0.0, 0.0), Vector(0.1, 0.0, 0.0));
	AddKnot(c.sd, 0.4, 0.3, Vector(-0.2, 0.0, 0.0), Vector(0.05, 0.0, 0.0));
	AddKnot(c.sd, 1.0, 0.3, Vector(), Vector());
	for (int i = 0; i <= 200; ++i)
		ASSERT_EQ(c->GetPoint(i / 200.0).y, 0.3) << i;
}

TEST(SplineEvalTest, HandlesOnTheChordGiveTheChord)
{
	// Handles along the line, one overshooting backwards: still the line.
	Curve c;
	AddKnot(c.sd, 0.0, 0.0, Vector(), Vector(0.5, 1.0, 0.0));
	AddKnot(c.sd, 2.0, 4.0, Vector(0.25, 0.5, 0.0), Vector());
	EXPECT_EQ(c->GetPoint(0.5).y, 1.0);
	EXPECT_EQ(c->GetPoint(1.0).y, 2.0);
	EXPECT_EQ(c->GetPoint(1.5).y, 3.0);
}

TEST(SplineEvalTest, CurvedSegmentMatchesAnIndependentBezier)
{
	Curve c;
	const Vector p0(0.0, 0.0, 0.0), r0(0.503, 0.008, 0.0);
	const Vector p3(1.0, 1.0, 0.0), l3(-0.128, -0.375, 0.0);
	AddKnot(c.sd, p0.x, p0.y, Vector(), r0);
	AddKnot(c.sd, p3.x, p3.y, l3, Vector());
	for (int i = 1; i < 100; ++i)
	{
		const Vector b = BezierAt(p0, p0 + r0, p3 + l3, p3, i / 100.0);
		ASSERT_NEAR(c->GetPoint(b.x).y, b.y, 1e-9) << "s = " << i / 100.0;
	}
	// The handles bend the curve well below the diagonal.
	EXPECT_LT(c->GetPoint(0.5).y, 0.3);
}

TEST(SplineEvalTest, FoldedSegmentReturnsAPointOfTheCurve)
{
	// Handles that overshoot in x make x(s) fold back, so some x have three
	// curve points; the answer must be one of them.
	Curve c;
	const Vector p0(0.0, 0.0, 0.0), r0(1.5, 0.0, 0.0);
	const Vector p3(1.0, 1.0, 0.0), l3(-1.5, 0.0, 0.0);
	AddKnot(c.sd, p0.x, p0.y, Vector(), r0);
	AddKnot(c.sd, p3.x, p3.y, l3, Vector());
	const int kSteps = 2000;
	for (int i = 1; i < 50; ++i)
	{
		const Real x = i / 50.0;
		const Real y = c->GetPoint(x).y;
		// Every root of x(s) = x by sign change and bisection.
		Real best = kInf;
		for (int k = 0; k < kSteps; ++k)
		{
			Real lo = Real(k) / kSteps, hi = Real(k + 1) / kSteps;
			const Real flo = BezierAt(p0, p0 + r0, p3 + l3, p3, lo).x - x;
			const Real fhi = BezierAt(p0, p0 + r0, p3 + l3, p3, hi).x - x;
			if ((flo < 0.0) == (fhi < 0.0))
				continue;
			for (int it = 0; it < 60; ++it)
			{
				const Real mid = 0.5 * (lo + hi);
				if ((BezierAt(p0, p0 + r0, p3 + l3, p3, mid).x - x < 0.0) == (flo < 0.0))
					lo = mid;
				else
					hi = mid;
			}
			best = std::fmin(best, std::fabs(BezierAt(p0, p0 + r0, p3 + l3, p3, lo).y - y));
		}
		ASSERT_LT(best, 1e-8) << "x = " << x << ", y = " << y;
	}
}

TEST(SplineEvalTest, EndKnotsAreHeldOutsideTheirRange)
{
	Curve c;
	c->InsertKnot(0.2, 0.7);
	c->InsertKnot(0.8, 0.1);
	EXPECT_EQ(c->GetPoint(-5.0), Vector(-5.0, 0.7, 0.0));
	EXPECT_EQ(c->GetPoint(0.0).y, 0.7);
	EXPECT_EQ(c->GetPoint(0.9).y, 0.1);
	EXPECT_EQ(c->GetPoint(1e300).y, 0.1);
	EXPECT_EQ(c->GetPoint(-kInf).y, 0.7);
	EXPECT_EQ(c->GetPoint(kInf).y, 0.1);
}

TEST(SplineEvalTest, KnotsSharingAnXUseTheLaterOne)
{
	Curve c;
	c->InsertKnot(0.0, 0.0);
	c->InsertKnot(0.5, 0.2);
	c->InsertKnot(0.5, 0.8);
	c->InsertKnot(1.0, 1.0);
	EXPECT_EQ(c->GetPoint(0.5).y, 0.8);
	EXPECT_NEAR(c->GetPoint(0.25).y, 0.1, 1e-15);
	EXPECT_NEAR(c->GetPoint(0.75).y, 0.9, 1e-15);

	// Shared x at the start: the later knot at that x, the first one before it.
	Curve front;
	front->InsertKnot(0.0, 0.0);
	front->InsertKnot(0.0, 1.0);
	front->InsertKnot(1.0, 1.0);
	EXPECT_EQ(front->GetPoint(0.0).y, 1.0);
	EXPECT_EQ(front->GetPoint(-1.0).y, 0.0);
	EXPECT_EQ(front->GetPoint(0.5).y, 1.0);
}

TEST(SplineEvalTest, HostileInputStaysQuiet)
{
	Curve c;
	c->MakeSinSpline(5);
	// NaN has no place among the knots: the y says so.
	const Vector p = c->GetPoint(kNaN);
	EXPECT_TRUE(std::isnan(p.x));
	EXPECT_TRUE(std::isnan(p.y));

	// A NaN tangent poisons its own segment only, and does not hang.
	c->GetKnot(1)->vTangentRight = Vector(kNaN, kNaN, 0.0);
	EXPECT_EQ(c->GetPoint(0.3).x, 0.3);
	EXPECT_NEAR(c->GetPoint(0.125).y, 0.5 + 0.5 * std::sqrt(0.5), 0.01);

	// Knots edited out of order through GetKnot: answers stay within the
	// knots' y range (the sine spans 0 .. 1) and come back at all.
	Curve shuffled;
	shuffled->MakeSinSpline(9);
	shuffled->GetKnot(1)->vPos.x = 0.9;
	shuffled->GetKnot(7)->vPos.x = 0.05;
	for (int i = -10; i <= 110; ++i)
	{
		const Vector q = shuffled->GetPoint(i / 100.0);
		ASSERT_EQ(q.x, i / 100.0);
		ASSERT_GE(q.y, -1.0) << i;
		ASSERT_LE(q.y, 2.0) << i;
	}

	// Knots at the ends of the double range: the width overflows.
	Curve wide;
	wide->InsertKnot(-1e308, 0.0);
	wide->InsertKnot(1e308, 1.0);
	EXPECT_EQ(wide->GetPoint(0.0).y, 0.5);
}

// ---------------------------------------------------------------------------
// Copies
// ---------------------------------------------------------------------------

TEST(SplineCopyTest, CloneIsEqualAndIndependent)
{
	Curve c;
	c->MakeSinSpline(5);
	CustomDataType* copy = FindCustomDataHandler(CUSTOMDATATYPE_SPLINE)->copy(*c.sd);
	ASSERT_NE(copy, nullptr);
	SplineData* clone = static_cast<SplineData*>(copy);
	EXPECT_TRUE(*c.sd == *clone);
	EXPECT_TRUE(*clone == *c.sd);

	clone->GetKnot(2)->vTangentLeft.y += 0.001;
	EXPECT_FALSE(*c.sd == *clone);
	EXPECT_NE(c->GetKnot(2)->vTangentLeft.y, clone->GetKnot(2)->vTangentLeft.y);
	SplineData::Free(clone);
	EXPECT_EQ(clone, nullptr);
}

TEST(SplineCopyTest, EqualityComparesEveryKnotField)
{
	Curve a, b;
	a->MakeLinearSplineLinear(3);
	b->MakeLinearSplineLinear(3);
	EXPECT_TRUE(*a.sd == *b.sd);

	b->GetKnot(1)->lFlagsSettings = 1;
	EXPECT_FALSE(*a.sd == *b.sd);
	b->GetKnot(1)->lFlagsSettings = 0;
	b->GetKnot(0)->vTangentRight.x *= 2.0;
	EXPECT_FALSE(*a.sd == *b.sd);
	b->MakeLinearSplineLinear(3);
	b->GetKnot(2)->vPos.y = 0.99;
	EXPECT_FALSE(*a.sd == *b.sd);

	b->MakeLinearSplineLinear(4);
	EXPECT_FALSE(*a.sd == *b.sd);
	Curve empty1, empty2;
	EXPECT_TRUE(*empty1.sd == *empty2.sd);
}

} // namespace
