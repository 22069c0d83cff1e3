// The host's own read access to a curve's knots. SplineData::GetKnot hands
// out a knot to write, and so gives a curve that shares its knots with its
// copies a copy of its own; saving a scene must not unshare every curve.
#ifndef SPLINE_KNOTS_H__
#define SPLINE_KNOTS_H__

#include "customgui_splinecontrol.h"

// Null outside 0 .. count - 1.
const CustomSplineKnot* ReadKnot(const SplineData& sd, LONG index);

#endif
