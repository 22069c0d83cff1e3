// Time values: frame conversion, snapping and arithmetic.
#include "c4d_basetime.h"

#include <cmath>

namespace {

const Real kTwoPow32 = 4294967296.0;
const Real kTwoPow31 = 2147483648.0;

} // namespace

// Inside the 64-bit range this equals truncating to 64 bits and then to 32;
// beyond it the same wrap continues (the double is a multiple of 2^11 there,
// and of 2^32 from 2^84 on, which wraps to 0), so no value needs an
// out-of-range cast.
LONG BaseTime::WrapToLong(Real integral)
{
	Real low = std::fmod(integral, kTwoPow32); // exact, in (-2^32, 2^32)
	if (low < 0.0)
		low += kTwoPow32; // exact: both are integers below 2^33
	if (low >= kTwoPow31)
		low -= kTwoPow32;
	return static_cast<LONG>(low);
}

void BaseTime::Quantize(Real fps)
{
	// A non-positive or non-finite rate has no frames to snap to, and a time
	// that is not finite has no nearest frame; both leave the time alone.
	if (!(fps > 0.0) || !std::isfinite(fps))
		return;
	const Real frames = std::round(Get() * fps);
	if (!std::isfinite(frames))
		return;
	num_ = frames;
	den_ = fps;
}

LONG BaseTime::TimeDif(const BaseTime& t) const
{
	// Counted as frame indices at this time's denominator, so the answer agrees
	// with what GetFrame reports for each end (a frame boundary between them
	// counts even when they are less than a frame apart). The subtraction runs
	// in 64 bits and wraps like GetFrame does.
	const int64_t here = GetFrame(den_);
	const int64_t there = t.GetFrame(den_);
	return WrapToLong(static_cast<Real>(here - there));
}

// Sums and differences stay exact on a shared denominator (the common case:
// two times of the same document); otherwise they fall back to seconds.
BaseTime operator+(const BaseTime& a, const BaseTime& b)
{
	if (a.den_ == b.den_)
		return BaseTime(a.num_ + b.num_, a.den_);
	return BaseTime(a.Get() + b.Get(), 1.0);
}

BaseTime operator-(const BaseTime& a, const BaseTime& b)
{
	if (a.den_ == b.den_)
		return BaseTime(a.num_ - b.num_, a.den_);
	return BaseTime(a.Get() - b.Get(), 1.0);
}

// Products and quotients of fractions: whole-number numerators and
// denominators multiply exactly, where going through seconds would round
// each factor first.
BaseTime operator*(const BaseTime& a, const BaseTime& b)
{
	return BaseTime(a.num_ * b.num_, a.den_ * b.den_);
}

BaseTime operator/(const BaseTime& a, const BaseTime& b)
{
	return BaseTime(a.num_ * b.den_, a.den_ * b.num_);
}
