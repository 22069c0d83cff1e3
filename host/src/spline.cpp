// Curve data: knot editing, preset shapes and evaluation y(x).
#include "customgui_splinecontrol.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

#include "portable_trig.h"
#include "spline_knots.h"

namespace {

// ---------------------------------------------------------------------------
// Geometry helpers
// ---------------------------------------------------------------------------

bool IsFinite(Real v) { return std::isfinite(v); }

// Index of the first knot whose x is greater than x (binary search). Written
// out rather than std::upper_bound: knots edited through GetKnot can fall out
// of order, which breaks that function's precondition; this loop still
// answers an index in 0 .. size.
size_t FirstKnotRightOf(const std::vector<CustomSplineKnot>& knots, Real x)
{
	size_t lo = 0, hi = knots.size();
	while (lo < hi)
	{
		const size_t mid = lo + (hi - lo) / 2;
		if (x < knots[mid].vPos.x)
			hi = mid;
		else
			lo = mid + 1;
	}
	return lo;
}

// Handle directions within about 1e-12 rad of the chord count as lying on it.
// The curve then strays from the chord by at most 1e-12 times the handle
// length, far below anything visible, and those curves (linear presets, zero
// tangents, handles the user dragged onto the line) come out exactly straight
// instead of carrying the solver's last bits. Compared squared: this runs
// twice per evaluation and a square root is the slowest step in it.
const Real kCollinearSineSq = 1e-24;

bool OnChord(const Vector& handle, Real dx, Real dy)
{
	if (handle.x == 0.0 && handle.y == 0.0)
		return true;
	const Real cross = handle.x * dy - handle.y * dx;
	const Real handleSq = handle.x * handle.x + handle.y * handle.y;
	const Real chordSq = dx * dx + dy * dy;
	return cross * cross <= kCollinearSineSq * handleSq * chordSq;
}

// sin and cos of 2 pi x, with the quarter turns folded out first so that the
// presets' knots at x = 0, 1/4, 1/2, ... land on exactly 0.5, 1, 0.5, 0 and
// get exactly level tangents at the peaks. What is left is an angle within
// pi/4 of zero, where the portable polynomials serve.
void SinCos2Pi(Real x, Real* s, Real* c)
{
	const Real quarters = std::round(4.0 * x);
	const Real angle = 2.0 * pi * (x - 0.25 * quarters);
	const Real sa = PortableSin(angle);
	const Real ca = PortableCos(angle);
	switch (static_cast<int>(std::fmod(quarters, 4.0) + 4.0) % 4)
	{
		case 0: *s = sa; *c = ca; break;
		case 1: *s = ca; *c = -sa; break;
		case 2: *s = -sa; *c = -ca; break;
		default: *s = -ca; *c = sa; break;
	}
}

// Tangent pair of a Hermite curve with slope dydx, converted to Bezier handles
// for knots h apart in x: a third of the spacing on either side.
void SetHermiteTangents(CustomSplineKnot* k, Real h, Real dydx)
{
	k->vTangentRight = Vector(h / 3.0, h / 3.0 * dydx, 0.0);
	k->vTangentLeft = -k->vTangentRight;
}

// ---------------------------------------------------------------------------
// Segment evaluation
// ---------------------------------------------------------------------------

// y of the Bezier segment from a to b at x, for a.x <= x < b.x.
Real SegmentY(const CustomSplineKnot& a, const CustomSplineKnot& b, Real x)
{
	const Real x0 = a.vPos.x, y0 = a.vPos.y;
	const Real x3 = b.vPos.x, y3 = b.vPos.y;
	const Real dx = x3 - x0, dy = y3 - y0;
	// Knots near the ends of the double range overflow the width; halving
	// every term first is exact there and keeps t in [0, 1).
	const Real t = std::isfinite(dx) ? (x - x0) / dx : (0.5 * x - 0.5 * x0) / (0.5 * x3 - 0.5 * x0);

	if (OnChord(a.vTangentRight, dx, dy) && OnChord(b.vTangentLeft, dx, dy))
		return y0 + t * dy;

	const Real x1 = x0 + a.vTangentRight.x, y1 = y0 + a.vTangentRight.y;
	const Real x2 = x3 + b.vTangentLeft.x, y2 = y3 + b.vTangentLeft.y;

	// Power basis: p(s) = p0 + s (c1 + s (c2 + s c3)).
	const Real cx1 = 3.0 * (x1 - x0);
	const Real cx2 = 3.0 * (x2 - 2.0 * x1 + x0);
	const Real cx3 = dx + 3.0 * (x1 - x2);

	// Halley's method from the chord's parameter, kept inside a bracket
	// [lo, hi] with x(lo) <= x < x(hi) and falling back to bisection whenever a
	// step would leave it (flat derivative, handles that make x(s) fold back).
	// It stops on the residual in x, 1e-12 of the segment width: y(x) is what
	// the caller sees, and near a vertical tangent s itself is ill-conditioned
	// while any s with the right x is a right answer. Handles spaced a third
	// apart make x(s) linear; then the first guess already meets the residual.
	// Halley rather than Newton: typical curves converge in 3 to 4 rounds
	// instead of 5, each with one division, and the cost goal is tight.
	// 64 rounds bound the loop even for NaN tangents.
	const Real tolerance = 1e-12 * dx;
	Real s = t, lo = 0.0, hi = 1.0;
	for (int round = 0; round < 64; ++round)
	{
		const Real f = x0 + s * (cx1 + s * (cx2 + s * cx3)) - x;
		if (std::fabs(f) <= tolerance)
			break;
		if (f < 0.0)
			lo = s;
		else
			hi = s;
		const Real d1 = cx1 + s * (2.0 * cx2 + 3.0 * cx3 * s);
		const Real d2 = 2.0 * cx2 + 6.0 * cx3 * s;
		Real next = s - 2.0 * f * d1 / (2.0 * d1 * d1 - f * d2);
		if (!(next > lo && next < hi))
			next = 0.5 * (lo + hi);
		s = next;
		if (hi - lo <= 1e-15)
			break;
	}

	const Real cy1 = 3.0 * (y1 - y0);
	const Real cy2 = 3.0 * (y2 - 2.0 * y1 + y0);
	const Real cy3 = dy + 3.0 * (y1 - y2);
	return y0 + s * (cy1 + s * (cy2 + s * cy3));
}

} // namespace

// ---------------------------------------------------------------------------
// Life cycle
// ---------------------------------------------------------------------------

struct SplineData::Knots
{
	std::atomic<int> refs{1};
	std::vector<CustomSplineKnot> knots;

	void Retain() { refs.fetch_add(1, std::memory_order_relaxed); }
	void Release()
	{
		if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
			delete this;
	}
};

// The host's own readers (saving, printing) go through this instead of
// GetKnot, which would give a shared curve a copy of its own.
struct SplineKnotsAccess
{
	static const std::vector<CustomSplineKnot>* Of(const SplineData& sd) { return sd.knots_ ? &sd.knots_->knots : nullptr; }

	// Gives sd the knots, leaving the curve as it was when out of memory.
	static bool Replace(SplineData& sd, std::vector<CustomSplineKnot>* knots)
	{
		SplineData::Knots* fresh = new (std::nothrow) SplineData::Knots;
		if (!fresh)
			return false;
		fresh->knots.swap(*knots);
		if (sd.knots_)
			sd.knots_->Release();
		sd.knots_ = fresh;
		return true;
	}
};

namespace {

const std::vector<CustomSplineKnot>& NoKnots()
{
	static const std::vector<CustomSplineKnot> none;
	return none;
}

const std::vector<CustomSplineKnot>& KnotsOf(const SplineData& sd)
{
	const std::vector<CustomSplineKnot>* knots = SplineKnotsAccess::Of(sd);
	return knots ? *knots : NoKnots();
}

} // namespace

SplineData::SplineData(const SplineData& other) : CustomDataType(other), knots_(other.knots_)
{
	if (knots_)
		knots_->Retain();
}

SplineData& SplineData::operator=(const SplineData& other)
{
	if (knots_ != other.knots_)
	{
		if (other.knots_)
			other.knots_->Retain();
		if (knots_)
			knots_->Release();
		knots_ = other.knots_;
	}
	return *this;
}

SplineData::~SplineData()
{
	if (knots_)
		knots_->Release();
}

SplineData::Knots* SplineData::OwnKnots()
{
	if (knots_ && knots_->refs.load(std::memory_order_acquire) == 1)
		return knots_;
	Knots* own = new (std::nothrow) Knots;
	if (!own)
		return nullptr;
	if (knots_)
	{
		try
		{
			own->knots = knots_->knots;
		}
		catch (const std::bad_alloc&)
		{
			delete own;
			return nullptr;
		}
		knots_->Release();
	}
	knots_ = own;
	return own;
}

const CustomSplineKnot* ReadKnot(const SplineData& sd, LONG index)
{
	const std::vector<CustomSplineKnot>& knots = KnotsOf(sd);
	if (index < 0 || static_cast<size_t>(index) >= knots.size())
		return nullptr;
	return &knots[static_cast<size_t>(index)];
}

LONG SplineData::GetKnotCount() const
{
	return (LONG)KnotsOf(*this).size();
}

void SplineData::DeleteAllPoints()
{
	if (knots_)
		knots_->Release();
	knots_ = nullptr;
}

SplineData* SplineData::Alloc()
{
	return new (std::nothrow) SplineData();
}

void SplineData::Free(SplineData*& sd)
{
	delete sd;
	sd = nullptr;
}

bool operator==(const SplineData& a, const SplineData& b)
{
	const std::vector<CustomSplineKnot>& ka = KnotsOf(a);
	const std::vector<CustomSplineKnot>& kb = KnotsOf(b);
	if (ka.size() != kb.size())
		return false;
	for (size_t i = 0; i < ka.size(); ++i)
	{
		const CustomSplineKnot& x = ka[i];
		const CustomSplineKnot& y = kb[i];
		if (x.vPos != y.vPos || x.lFlagsSettings != y.lFlagsSettings || x.vTangentLeft != y.vTangentLeft
			|| x.vTangentRight != y.vTangentRight)
			return false;
	}
	return true;
}

// ---------------------------------------------------------------------------
// Knots
// ---------------------------------------------------------------------------

LONG SplineData::InsertKnot(Real x, Real y, LONG flags)
{
	if (!IsFinite(x) || !IsFinite(y) || KnotsOf(*this).size() >= static_cast<size_t>(MAX_KNOTS))
		return -1;
	Knots* own = OwnKnots();
	if (!own)
		return -1;
	std::vector<CustomSplineKnot>& knots = own->knots;
	// Searching for the first knot strictly right of x puts a knot with an x
	// already present after the existing ones, so knots inserted in order keep
	// that order.
	const size_t at = FirstKnotRightOf(knots, x);
	const LONG index = static_cast<LONG>(at);
	CustomSplineKnot k;
	k.vPos = Vector(x, y, 0.0);
	k.lFlagsSettings = flags;
	try
	{
		knots.insert(knots.begin() + static_cast<std::ptrdiff_t>(at), k);
	}
	catch (const std::bad_alloc&)
	{
		return -1;
	}
	return index;
}

CustomSplineKnot* SplineData::GetKnot(LONG index)
{
	if (index < 0 || static_cast<size_t>(index) >= KnotsOf(*this).size())
		return nullptr;
	Knots* own = OwnKnots();
	return own ? &own->knots[static_cast<size_t>(index)] : nullptr;
}

// ---------------------------------------------------------------------------
// Presets
// ---------------------------------------------------------------------------

// Both presets build the new knots aside and swap them in, so a refused count
// or a failed allocation leaves the curve as it was.

Bool SplineData::MakeSinSpline(LONG points)
{
	if (points == -1)
		points = 5;
	if (points < 2 || points > MAX_KNOTS)
		return FALSE;
	try
	{
		std::vector<CustomSplineKnot> knots(static_cast<size_t>(points));
		const Real h = 1.0 / static_cast<Real>(points - 1);
		for (LONG i = 0; i < points; ++i)
		{
			const Real x = static_cast<Real>(i) / static_cast<Real>(points - 1);
			Real s, c;
			SinCos2Pi(x, &s, &c);
			CustomSplineKnot& k = knots[static_cast<size_t>(i)];
			k.vPos = Vector(x, 0.5 + 0.5 * s, 0.0);
			SetHermiteTangents(&k, h, pi * c); // d/dx of 0.5 sin(2 pi x)
		}
		if (!SplineKnotsAccess::Replace(*this, &knots))
			return FALSE;
	}
	catch (const std::bad_alloc&)
	{
		return FALSE;
	}
	return TRUE;
}

Bool SplineData::MakeLinearSplineLinear(LONG points)
{
	if (points == -1)
		points = 2;
	if (points < 2 || points > MAX_KNOTS)
		return FALSE;
	try
	{
		std::vector<CustomSplineKnot> knots(static_cast<size_t>(points));
		const Real h = 1.0 / static_cast<Real>(points - 1);
		for (LONG i = 0; i < points; ++i)
		{
			const Real x = static_cast<Real>(i) / static_cast<Real>(points - 1);
			CustomSplineKnot& k = knots[static_cast<size_t>(i)];
			k.vPos = Vector(x, x, 0.0);
			SetHermiteTangents(&k, h, 1.0);
		}
		if (!SplineKnotsAccess::Replace(*this, &knots))
			return FALSE;
	}
	catch (const std::bad_alloc&)
	{
		return FALSE;
	}
	return TRUE;
}

// ---------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------

Vector SplineData::GetPoint(Real x) const
{
	if (!knots_ || knots_->knots.empty())
		return Vector(x, 0.0, 0.0);
	const std::vector<CustomSplineKnot>& knots = knots_->knots;
	// No knot is to the left or right of NaN; say so rather than pick an end.
	if (x != x)
		return Vector(x, std::numeric_limits<Real>::quiet_NaN(), 0.0);

	// The first knot strictly right of x closes the segment. Knots sharing an
	// x are all passed over, so at that x the last of them (the later knot)
	// opens the segment and gives its y, and a zero-width segment is never
	// evaluated.
	const size_t next = FirstKnotRightOf(knots, x);
	if (next == 0)
		return Vector(x, knots.front().vPos.y, 0.0);
	if (next == knots.size())
		return Vector(x, knots.back().vPos.y, 0.0);
	const CustomSplineKnot& a = knots[next - 1];
	if (x == a.vPos.x)
		return Vector(x, a.vPos.y, 0.0);
	return Vector(x, SegmentY(a, knots[next], x), 0.0);
}
