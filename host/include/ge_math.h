// Basic value types and the math helpers of the plug-in interface.
#ifndef GE_MATH_H__
#define GE_MATH_H__

#include <stdint.h>

typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LLONG;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef unsigned short UWORD;
typedef double Real;
typedef double LReal;
typedef float SReal;
typedef int Bool;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct LVector
{
	Real x, y, z;

	LVector() : x(0.0), y(0.0), z(0.0) {}
	explicit LVector(Real v) : x(v), y(v), z(v) {}
	LVector(Real ix, Real iy, Real iz) : x(ix), y(iy), z(iz) {}

	LVector& operator+=(const LVector& v) { x += v.x; y += v.y; z += v.z; return *this; }
	LVector& operator-=(const LVector& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
	LVector& operator*=(Real s) { x *= s; y *= s; z *= s; return *this; }
	LVector& operator/=(Real s) { x /= s; y /= s; z /= s; return *this; }

	friend LVector operator+(LVector a, const LVector& b) { return a += b; }
	friend LVector operator-(LVector a, const LVector& b) { return a -= b; }
	friend LVector operator-(const LVector& a) { return LVector(-a.x, -a.y, -a.z); }
	friend LVector operator*(LVector a, Real s) { return a *= s; }
	friend LVector operator*(Real s, LVector a) { return a *= s; }
	friend LVector operator/(LVector a, Real s) { return a /= s; }
	friend bool operator==(const LVector& a, const LVector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
	friend bool operator!=(const LVector& a, const LVector& b) { return !(a == b); }
};

typedef LVector Vector;

struct SVector
{
	SReal x, y, z;
	SVector() : x(0.0f), y(0.0f), z(0.0f) {}
	SVector(SReal ix, SReal iy, SReal iz) : x(ix), y(iy), z(iz) {}
};

struct Matrix
{
	Vector off, v1, v2, v3;
	Matrix() : off(), v1(1.0, 0.0, 0.0), v2(0.0, 1.0, 0.0), v3(0.0, 0.0, 1.0) {}
};

// The standard floating-point remainder: a - b * trunc(a / b), with the sign of a.
// A divisor of 0 gives not-a-number, which fails every comparison.
Real FMod(Real a, Real b);

// 0 when b is 0; else a - b * q with q = a / b truncated toward zero to 32 bits,
// moved up by b when negative. For b > 0 the result lies in [0, b).
Real Modulo(Real a, Real b);

inline Real Mix(Real a, Real b, Real f) { return a + f * (b - a); }
inline Vector Mix(const Vector& a, const Vector& b, Real f) { return a + f * (b - a); }

inline Real Abs(Real x) { return x < 0.0 ? -x : x; }
// The most negative LONG has no positive counterpart and stays as it is.
inline LONG Abs(LONG x) { return x < 0 ? (LONG)(0u - (ULONG)x) : x; }

inline Real FMin(Real a, Real b) { return a < b ? a : b; }
inline Real FMax(Real a, Real b) { return a < b ? b : a; }

// True when the 64-bit patterns of a and b, read as signed integers, differ by
// at most 7. Against 0 this holds for 0 itself, the seven smallest positive
// subnormals, and the NaNs whose patterns read as -7 to -1.
Bool CompareFloatTolerant(Real a, Real b);

const Real pi = 3.1415926535897932384626433832795;

#endif
