// Floating-point helpers of the plug-in interface: remainders and tolerant
// comparison.
#include "ge_math.h"

#include <cmath>
#include <cstring>
#include <limits>

Real FMod(Real a, Real b)
{
	// std::fmod is exact (the remainder is always representable) and already
	// answers NaN for a zero divisor or an infinite dividend.
	return std::fmod(a, b);
}

Real Modulo(Real a, Real b)
{
	if (b == 0.0)
		return 0.0;

	const Real quotient = a / b;
	// An infinite or NaN operand has no meaningful remainder; NaN carries that
	// to the caller the same way FMod does, instead of a plausible-looking 0.
	if (quotient != quotient || std::isinf(a))
		return std::numeric_limits<Real>::quiet_NaN();

	Real r;
	// The truncation goes through a 32-bit integer, so it is only defined for
	// quotients in (-2^31 - 1, 2^31). Beyond that the exact remainder of fmod
	// is the same value the integer route would give with unbounded integers,
	// which keeps 0 <= r < b for b > 0 for any finite a.
	if (quotient > -2147483649.0 && quotient < 2147483648.0)
	{
		const LONG q = static_cast<LONG>(quotient);
		// q == 0 skips b * 0, which is NaN for an infinite b.
		r = q == 0 ? a : a - b * static_cast<Real>(q);
	}
	else
	{
		r = std::fmod(a, b);
	}

	if (r < 0.0)
		r += b;

	// A tiny negative r plus b rounds up to b itself (Modulo(-1e-20, 1)), and a
	// quotient that rounded to the integer below leaves r == b. Both sit on the
	// wrap-around point, whose representative in [0, b) is 0. Callers index
	// tables with this, so the half-open promise matters more than the ulp.
	if (b > 0.0 && (r >= b || r < 0.0))
		r = 0.0;
	return r;
}

Bool CompareFloatTolerant(Real a, Real b)
{
	int64_t ia, ib;
	std::memcpy(&ia, &a, sizeof ia);
	std::memcpy(&ib, &b, sizeof ib);
	// The distance between two signed 64-bit values can exceed INT64_MAX; in
	// unsigned arithmetic the wrap-around difference is the exact distance.
	const uint64_t ua = static_cast<uint64_t>(ia);
	const uint64_t ub = static_cast<uint64_t>(ib);
	const uint64_t distance = ia >= ib ? ua - ub : ub - ua;
	return distance <= 7u ? TRUE : FALSE;
}
