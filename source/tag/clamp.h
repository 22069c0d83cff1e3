// Holding a value within bounds. The module's own: hosts name and order the
// arguments of theirs differently from release to release.
#ifndef PULSOR_CLAMP_H__
#define PULSOR_CLAMP_H__

#include "ge_math.h"

// lo when value < lo, else the smaller of hi and value. NaN passes through.
inline Real Clamped(Real value, Real lo, Real hi)
{
	return value < lo ? lo : (hi < value ? hi : value);
}

#endif
