// Gradient noise: improved-Perlin lattice noise with a quintic fade.
//
// Animations built on this must replay identically on every machine, so the
// result depends only on IEEE double +, -, * and exact operations (floor,
// comparisons, integer arithmetic): no libm transcendentals, whose last bits
// differ between C libraries. The build turns off fused multiply-adds here.
#include "c4d_general.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace {

// ---------------------------------------------------------------------------
// Permutation table
// ---------------------------------------------------------------------------

// A Fisher-Yates shuffle of 0..255 driven by a 32-bit xorshift with a fixed
// seed, evaluated by the compiler: the table is the same everywhere without
// 256 literals to mistype.
constexpr std::array<uint8_t, 256> MakePermutation()
{
	std::array<uint8_t, 256> p{};
	for (unsigned i = 0; i < 256; ++i)
		p[i] = static_cast<uint8_t>(i);
	uint32_t state = 0x9E3779B9u;
	for (unsigned i = 255; i > 0; --i)
	{
		state ^= state << 13;
		state ^= state >> 17;
		state ^= state << 5;
		// The modulo bias over 2^32 is irrelevant for a hash table.
		const unsigned j = state % (i + 1);
		const uint8_t tmp = p[i];
		p[i] = p[j];
		p[j] = tmp;
	}
	return p;
}

constexpr std::array<uint8_t, 256> kPerm = MakePermutation();

constexpr bool IsPermutation(const std::array<uint8_t, 256>& p)
{
	bool seen[256] = {};
	for (unsigned i = 0; i < 256; ++i)
	{
		if (seen[p[i]])
			return false;
		seen[p[i]] = true;
	}
	return true;
}
static_assert(IsPermutation(kPerm), "the shuffle must keep every lattice hash once");

// ---------------------------------------------------------------------------
// Lattice
// ---------------------------------------------------------------------------

// The cell of coordinate v, reduced modulo 256, and v's offset inside it.
// Below 2^52 in magnitude the floor goes through a 64-bit integer, which
// holds it exactly, and two's-complement & 255 is exactly the reduction
// fl - 256 floor(fl / 256). From 2^52 on every double is an integer (offset
// 0) and the reduction stays in double arithmetic, where it is exact too
// (both terms are integers less than 256 apart), so 1e300 never meets an
// out-of-range conversion. The split is for speed only: both routes give the
// same bits.
struct Axis
{
	unsigned cell;
	Real offset;
};

const Real kTwoPow52 = 4503599627370496.0;

inline Axis Reduce(Real v)
{
	if (std::fabs(v) < kTwoPow52)
	{
		int64_t fl = static_cast<int64_t>(v); // toward zero
		if (static_cast<Real>(fl) > v)
			--fl;
		return Axis{static_cast<unsigned>(static_cast<uint64_t>(fl) & 255u), v - static_cast<Real>(fl)};
	}
	const Real wrapped = v - 256.0 * std::floor(v / 256.0);
	return Axis{static_cast<unsigned>(wrapped) & 255u, 0.0};
}

// 6t^5 - 15t^4 + 10t^3: zero first and second derivatives at the cell walls,
// so the noise has no visible creases along the lattice.
inline Real Fade(Real t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

inline Real Lerp(Real t, Real a, Real b) { return a + t * (b - a); }

// The 12 cube-edge directions (four repeated to fill 16 slots), which avoid
// the axis-aligned artefacts of random gradients. A table rather than the
// usual chain of conditionals: the hashes are random, so branches on them
// mispredict about half the time. One component is always 0 and the others
// are +-1, so every product is exact and the sum has the same bits as the
// classic +-u +-v form.
struct Gradient
{
	Real x, y, z;
};
constexpr Gradient kGradients[16] = {
	{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
	{1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
	{0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1},
	{1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1},
};

inline Real Grad(unsigned hash, Real x, Real y, Real z)
{
	const Gradient& g = kGradients[hash & 15u];
	return g.x * x + g.y * y + g.z * z;
}

inline unsigned Hash(unsigned i) { return kPerm[i & 255u]; }

} // namespace

Real Noise(const Vector& p)
{
	if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
		return 0.5;

	const Axis ax = Reduce(p.x), ay = Reduce(p.y), az = Reduce(p.z);
	const Real x = ax.offset, y = ay.offset, z = az.offset;
	const Real u = Fade(x), v = Fade(y), w = Fade(z);

	const unsigned a = Hash(ax.cell) + ay.cell;
	const unsigned aa = Hash(a) + az.cell, ab = Hash(a + 1u) + az.cell;
	const unsigned b = Hash(ax.cell + 1u) + ay.cell;
	const unsigned ba = Hash(b) + az.cell, bb = Hash(b + 1u) + az.cell;

	const Real n = Lerp(w,
		Lerp(v,
			Lerp(u, Grad(Hash(aa), x, y, z), Grad(Hash(ba), x - 1.0, y, z)),
			Lerp(u, Grad(Hash(ab), x, y - 1.0, z), Grad(Hash(bb), x - 1.0, y - 1.0, z))),
		Lerp(v,
			Lerp(u, Grad(Hash(aa + 1u), x, y, z - 1.0), Grad(Hash(ba + 1u), x - 1.0, y, z - 1.0)),
			Lerp(u, Grad(Hash(ab + 1u), x, y - 1.0, z - 1.0), Grad(Hash(bb + 1u), x - 1.0, y - 1.0, z - 1.0))));

	// Sampled extremes of this noise sit near +-0.99; the clamp keeps the
	// promise of 0..1 without relying on a tight analytic bound.
	const Real value = 0.5 + 0.5 * n;
	return value < 0.0 ? 0.0 : (1.0 < value ? 1.0 : value);
}
