// Curve data: knot order, presets and evaluation y(x).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "c4d_basecontainer.h"
#include "custom_data.h"
#include "customgui_splinecontrol.h"
#include "spline_knots.h"

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

// ---------------------------------------------------------------------------
// Shared knots
// ---------------------------------------------------------------------------

// The knots as the model keeps them: a plain vector, copied deeply.
typedef std::vector<CustomSplineKnot> Knots;

bool SameBits(Real a, Real b)
{
	return std::memcmp(&a, &b, sizeof(Real)) == 0;
}

bool SameBits(const Vector& a, const Vector& b)
{
	return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

// The curve holds exactly the model's knots, read without giving a shared
// curve a copy of its own.
::testing::AssertionResult Holds(const SplineData& sd, const Knots& model)
{
	if (sd.GetKnotCount() != (LONG)model.size())
		return ::testing::AssertionFailure() << sd.GetKnotCount() << " knots, " << model.size() << " expected";
	for (size_t i = 0; i < model.size(); ++i)
	{
		const CustomSplineKnot* k = ReadKnot(sd, (LONG)i);
		if (!k || !SameBits(k->vPos, model[i].vPos) || k->lFlagsSettings != model[i].lFlagsSettings ||
			!SameBits(k->vTangentLeft, model[i].vTangentLeft) || !SameBits(k->vTangentRight, model[i].vTangentRight))
			return ::testing::AssertionFailure() << "knot " << i << " differs";
	}
	return ::testing::AssertionSuccess();
}

TEST(SplineShareTest, CopiesShareKnotsUntilOneIsWritten)
{
	Curve a;
	a->MakeSinSpline(7);
	SplineData b(*a.sd);
	SplineData c;
	c = b;
	// Shared: the knots are one and the same.
	EXPECT_EQ(ReadKnot(*a.sd, 3), ReadKnot(b, 3));
	EXPECT_EQ(ReadKnot(b, 3), ReadKnot(c, 3));

	const Knots before(ReadKnot(*a.sd, 0), ReadKnot(*a.sd, 0) + 7);
	b.GetKnot(3)->vPos.y = 2.0;
	EXPECT_NE(ReadKnot(*a.sd, 3), ReadKnot(b, 3));
	EXPECT_TRUE(Holds(*a.sd, before));
	EXPECT_TRUE(Holds(c, before));
	EXPECT_EQ(b.GetPoint(0.5).y, 2.0);
	// The two others still share.
	EXPECT_EQ(ReadKnot(*a.sd, 3), ReadKnot(c, 3));

	c.DeleteAllPoints();
	EXPECT_EQ(c.GetKnotCount(), 0);
	EXPECT_TRUE(Holds(*a.sd, before));
	c.MakeLinearSplineLinear(2);
	EXPECT_TRUE(Holds(*a.sd, before));
	EXPECT_EQ(ReadKnot(*a.sd, 7), nullptr);
	EXPECT_EQ(ReadKnot(*a.sd, -1), nullptr);
}

// A curve inside a container is shared by the container's copies and by
// copies of the value, and still compares, saves and evaluates as its own.
TEST(SplineShareTest, ContainerCopiesOfACurveStayIndependent)
{
	Curve source;
	source->MakeSinSpline(5);
	BaseContainer one;
	one.SetData(1, GeData(CUSTOMDATATYPE_SPLINE, *source.sd));
	BaseContainer two = one;
	two.SetData(2, one.GetData(1));
	const SplineData* first = static_cast<const SplineData*>(one.GetCustomDataType(1, CUSTOMDATATYPE_SPLINE));
	const SplineData* second = static_cast<const SplineData*>(two.GetCustomDataType(2, CUSTOMDATATYPE_SPLINE));
	ASSERT_NE(first, nullptr);
	ASSERT_NE(second, nullptr);
	EXPECT_EQ(ReadKnot(*first, 0), ReadKnot(*second, 0));

	SplineData edited(*second);
	edited.InsertKnot(0.3, 0.9);
	two.SetData(2, GeData(CUSTOMDATATYPE_SPLINE, edited));
	EXPECT_EQ(first->GetKnotCount(), 5);
	EXPECT_EQ(static_cast<const SplineData*>(two.GetCustomDataType(2, CUSTOMDATATYPE_SPLINE))->GetKnotCount(), 6);
	EXPECT_TRUE(one.GetData(1) == two.GetData(1));
	EXPECT_FALSE(one.GetData(1) == two.GetData(2));
}

// Thousands of random edits on a pool of curves that copy each other, each
// curve checked against a deep-copied model, and each evaluation against a
// curve built afresh from the model's knots, bit for bit.
TEST(SplineShareTest, RandomEditsOfSharedCurvesMatchDeepCopies)
{
	std::mt19937 random(7031);
	const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
	const auto real = [&](Real lo, Real hi) { return std::uniform_real_distribution<Real>(lo, hi)(random); };
	const int kPool = 6;
	for (int round = 0; round < 300; ++round)
	{
		std::vector<SplineData> pool(kPool);
		std::vector<Knots> model(kPool);
		for (int step = 0; step < 60; ++step)
		{
			const int i = pick(0, kPool - 1);
			const int j = pick(0, kPool - 1);
			switch (pick(0, 6))
			{
				case 0:
					pool[i] = pool[j];
					model[i] = model[j];
					break;
				case 1:
				{
					const Real x = (Real)pick(0, 8) / 8.0;
					const Real y = real(-1.0, 1.0);
					const LONG flags = pick(0, 1);
					const LONG at = pool[i].InsertKnot(x, y, flags);
					ASSERT_GE(at, 0);
					CustomSplineKnot k;
					k.vPos = Vector(x, y, 0.0);
					k.lFlagsSettings = flags;
					model[i].insert(model[i].begin() + at, k);
					break;
				}
				case 2:
					if (!model[i].empty())
					{
						const LONG at = pick(0, (int)model[i].size() - 1);
						const Vector t(real(-0.2, 0.2), real(-0.5, 0.5), 0.0);
						pool[i].GetKnot(at)->vTangentRight = t;
						pool[i].GetKnot(at)->vTangentLeft = -t;
						model[i][(size_t)at].vTangentRight = t;
						model[i][(size_t)at].vTangentLeft = -t;
					}
					break;
				case 3:
					pool[i].DeleteAllPoints();
					model[i].clear();
					break;
				case 4:
				{
					const LONG points = pick(2, 9);
					ASSERT_TRUE(pool[i].MakeSinSpline(points));
					model[i].assign(ReadKnot(pool[i], 0), ReadKnot(pool[i], 0) + points);
					break;
				}
				case 5:
				{
					SplineData* copy = static_cast<SplineData*>(FindCustomDataHandler(CUSTOMDATATYPE_SPLINE)->copy(pool[j]));
					ASSERT_NE(copy, nullptr);
					pool[i] = *copy;
					model[i] = model[j];
					SplineData::Free(copy);
					break;
				}
				default:
				{
					SplineData temporary(pool[j]);
					temporary.InsertKnot(0.5, 0.5);
					break;
				}
			}
			for (int k = 0; k < kPool; ++k)
				ASSERT_TRUE(Holds(pool[(size_t)k], model[(size_t)k])) << "round " << round << " step " << step << " curve " << k;
		}
		for (int k = 0; k < kPool; ++k)
		{
			SplineData fresh;
			for (const CustomSplineKnot& knot : model[(size_t)k])
			{
				const LONG at = fresh.InsertKnot(knot.vPos.x, knot.vPos.y, knot.lFlagsSettings);
				ASSERT_GE(at, 0);
				*fresh.GetKnot(at) = knot;
			}
			ASSERT_TRUE(Holds(fresh, model[(size_t)k]));
			EXPECT_TRUE(fresh == pool[(size_t)k]);
			for (Real x = -0.125; x <= 1.125; x += 0.0625)
				ASSERT_TRUE(SameBits(fresh.GetPoint(x).y, pool[(size_t)k].GetPoint(x).y)) << "round " << round << " x " << x;
		}
	}
}

} // namespace
