// Spline curves on the plane, as the curve controls edit them.
#ifndef CUSTOMGUI_SPLINECONTROL_H__
#define CUSTOMGUI_SPLINECONTROL_H__

#include <vector>
#include "c4d_customdatatype.h"

struct SplineKnotsAccess;

struct CustomSplineKnot
{
	Vector vPos;
	LONG lFlagsSettings;
	// Relative to vPos.
	Vector vTangentLeft;
	Vector vTangentRight;

	CustomSplineKnot() : lFlagsSettings(0) {}
};

// Each segment is the cubic Bezier through knot, knot + right tangent,
// next knot + its left tangent, next knot.
class SplineData : public CustomDataType
{
public:
	enum { MAX_KNOTS = 100000 };

	SplineData() : knots_(nullptr) {}
	SplineData(const SplineData& other);
	SplineData& operator=(const SplineData& other);
	~SplineData();

	static SplineData* Alloc();
	static void Free(SplineData*& sd);

	// Keeps the knots sorted by x (a knot with an x already present goes after
	// it) and returns the new knot's index; -1 when refused (non-finite
	// position, or MAX_KNOTS reached).
	LONG InsertKnot(Real x, Real y, LONG flags = 0);
	// Null outside 0 .. count - 1, or when a shared curve could not be
	// copied for this one to write.
	CustomSplineKnot* GetKnot(LONG index);
	LONG GetKnotCount() const;
	void DeleteAllPoints();

	// One sine period on the unit square, y = 0.5 + 0.5 sin(2 pi x), with
	// points knots (-1: 5) whose tangents follow the sine.
	Bool MakeSinSpline(LONG points = -1);
	// The straight line from (0, 0) to (1, 1) with points knots (-1: 2).
	Bool MakeLinearSplineLinear(LONG points = -1);

	// The point of the curve whose x is x. Outside the first and last knot
	// the end knot's y is held; without knots the result is (x, 0, 0).
	Vector GetPoint(Real x) const;

	// The same knots, in the same order.
	friend bool operator==(const SplineData& a, const SplineData& b);

private:
	friend struct SplineKnotsAccess;

	// Copies of a curve share their knots until one of them is written: a
	// scene holds thousands of copies of a few preset shapes.
	struct Knots;
	// The knots this curve may write, copied first when they are shared; null
	// when out of memory.
	Knots* OwnKnots();

	// Null while the curve has no knots.
	Knots* knots_;
};

#endif
