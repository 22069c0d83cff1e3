// A point in time held as numerator / denominator seconds.
#ifndef C4D_BASETIME_H__
#define C4D_BASETIME_H__

#include <cmath>

#include "ge_math.h"

class BaseTime
{
public:
	BaseTime() : num_(0.0), den_(1.0) {}
	explicit BaseTime(Real seconds) : num_(seconds), den_(1.0) {}
	BaseTime(Real numerator, Real denominator) : num_(numerator), den_(denominator) {}

	Real Get() const { return num_ / den_; }
	Real GetNumerator() const { return num_; }
	Real GetDenominator() const { return den_; }
	void SetNumerator(Real n) { num_ = n; }
	void SetDenominator(Real d) { den_ = d; }

	// floor(numerator * fps) / floor(denominator), truncated to 32 bits.
	// A quotient that is not a finite number (zero denominator, NaN) gives 0.
	LONG GetFrame(Real fps) const
	{
		const Real frames = std::floor(num_ * fps) / std::floor(den_);
		if (!std::isfinite(frames))
			return 0;
		const Real whole = std::trunc(frames);
		// Every frame of a real scene fits; only the far range needs the wrap.
		if (whole > -2147483649.0 && whole < 2147483648.0)
			return static_cast<LONG>(whole);
		return WrapToLong(whole);
	}
	// Snaps to the nearest whole frame.
	void Quantize(Real fps);
	// Frames between this time and t, at the denominator of this time.
	LONG TimeDif(const BaseTime& t) const;

	friend BaseTime operator+(const BaseTime& a, const BaseTime& b);
	friend BaseTime operator-(const BaseTime& a, const BaseTime& b);
	friend BaseTime operator*(const BaseTime& a, const BaseTime& b);
	friend BaseTime operator/(const BaseTime& a, const BaseTime& b);
	friend bool operator==(const BaseTime& a, const BaseTime& b) { return a.Get() == b.Get(); }
	friend bool operator!=(const BaseTime& a, const BaseTime& b) { return !(a == b); }
	friend bool operator<(const BaseTime& a, const BaseTime& b) { return a.Get() < b.Get(); }
	friend bool operator>(const BaseTime& a, const BaseTime& b) { return b < a; }
	friend bool operator<=(const BaseTime& a, const BaseTime& b) { return !(b < a); }
	friend bool operator>=(const BaseTime& a, const BaseTime& b) { return !(a < b); }

private:
	// The low 32 bits of an integral value, as two's complement.
	static LONG WrapToLong(Real integral);

	Real num_;
	Real den_;
};

#endif
