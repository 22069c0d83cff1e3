// sin and cos of angles in [-pi/4, pi/4], with the same bits on every
// platform. The C libraries' own differ in the last bit for about one angle
// in five hundred: MinGW's sin and cos run the x87 fsincos, glibc rounds its
// own polynomials. Curves made from them would then differ between Windows
// and Linux, and so would every animation that uses those curves.
//
// Taylor polynomials up to x^17 and x^18: over the whole range the first
// term left out is below 3e-18, a small fraction of the last bit. Only
// +, - and * on doubles, which IEEE 754 rounds alike everywhere once fused
// multiply-adds are off (cmake/platforms.cmake). Both stay within one unit
// in the last place of the exact values (measured over two million angles:
// sin 0.73, cos 0.99), close enough for curve presets; sin is odd and cos
// even, exactly.
#ifndef HOST_PORTABLE_TRIG_H__
#define HOST_PORTABLE_TRIG_H__

inline double PortableSin(double x)
{
	const double z = x * x;
	const double p = -1.0 / 6.0
		+ z * (1.0 / 120.0
		+ z * (-1.0 / 5040.0
		+ z * (1.0 / 362880.0
		+ z * (-1.0 / 39916800.0
		+ z * (1.0 / 6227020800.0
		+ z * (-1.0 / 1307674368000.0
		+ z * (1.0 / 355687428096000.0)))))));
	// The small correction is added last, so that x keeps all its bits; a
	// zero (or an x so small that z underflows) is its own sine, sign and all.
	return z == 0.0 ? x : x + (x * z) * p;
}

inline double PortableCos(double x)
{
	const double z = x * x;
	const double q = 1.0 / 24.0
		+ z * (-1.0 / 720.0
		+ z * (1.0 / 40320.0
		+ z * (-1.0 / 3628800.0
		+ z * (1.0 / 479001600.0
		+ z * (-1.0 / 87178291200.0
		+ z * (1.0 / 20922789888000.0
		+ z * (-1.0 / 6402373705728000.0)))))));
	return 1.0 - (0.5 * z - (z * z) * q);
}

#endif
