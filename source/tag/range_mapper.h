// The engine's mapping primitive, inline: the engine calls it a hundred times
// per evaluation, mostly with constant flags that the compiler folds away.
#ifndef PULSOR_RANGE_MAPPER_H__
#define PULSOR_RANGE_MAPPER_H__

#include <cmath>

inline Real Pulsor::RangeMapper(Real value, Real inMin, Real inMax, Real outMin, Real outMax, const SplineData* curve,
	LONG curveAlways, LONG clampLow, LONG clampHigh)
{
	const Real inSpan = inMax - inMin;
	const Real outSpan = outMax - outMin;
	if (inSpan == 0.0)
		return outMin;
	if (outSpan == 0.0)
		return outMax;
	// A span of a few subnormals would blow the position up to infinity. The
	// host's tolerance only ever matches such spans, so larger ones skip it.
	if (inSpan > 0.0 && inSpan < 1.0e-300 && CompareFloatTolerant(inSpan, 0.0))
		return outMin;

	Real u = (value - inMin) / inSpan;
	Real whole = 0.0;
	if (u < 0.0)
	{
		if (clampLow)
			u = 0.0;
	}
	else if (u > 1.0)
	{
		if (clampHigh)
		{
			u = 1.0;
		}
		else
		{
			// The remainder by 1, exactly as FMod(u, 1) gives it; 1 itself
			// stays 1, only positions past it wrap.
			const Real f = u - std::trunc(u);
			whole = u - f;
			u = f;
		}
	}

	if (curve && (whole == 0.0 || curveAlways))
	{
		u = curve->GetPoint(u).y;
		if (curveAlways)
			whole = 0.0;
	}
	else
	{
		whole = curveAlways ? 0.0 : whole * outSpan;
	}

	Real r = outMin + outSpan * u + whole;
	if (!curve)
	{
		if (clampLow && outMin > r)
			r = outMin;
		if (clampHigh && r > outMax)
			r = outMax;
	}
	return r;
}

#endif
