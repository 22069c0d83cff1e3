// Hot host helpers the module calls per frame and per element: curve
// evaluation, noise and remainders. Each sweeps its argument so that branch
// predictors and caches see a realistic mix rather than one repeated input.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "c4d_general.h"
#include "customgui_splinecontrol.h"
#include "ge_math.h"

namespace {

// 1024 arguments spread over [lo, hi], slightly irregular so that no two
// consecutive calls land on the same spot of a segment.
std::vector<Real> Sweep(Real lo, Real hi)
{
	std::vector<Real> xs(1024);
	for (size_t i = 0; i < xs.size(); ++i)
		xs[i] = lo + (hi - lo) * std::fmod(i * 0.618033988749895, 1.0);
	return xs;
}

void RunGetPoint(benchmark::State& state, const SplineData& sd)
{
	const std::vector<Real> xs = Sweep(0.0, 1.0);
	size_t i = 0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(sd.GetPoint(xs[i]));
		i = (i + 1) & 1023;
	}
}

// ---------------------------------------------------------------------------
// Curves
// ---------------------------------------------------------------------------

void BM_GetPointSine(benchmark::State& state)
{
	SplineData* sd = SplineData::Alloc();
	sd->MakeSinSpline(5);
	RunGetPoint(state, *sd);
	SplineData::Free(sd);
}
BENCHMARK(BM_GetPointSine);

// Handles off the third points: the solver needs several Newton rounds.
void BM_GetPointCurved(benchmark::State& state)
{
	SplineData* sd = SplineData::Alloc();
	sd->InsertKnot(0.0, 0.0);
	sd->InsertKnot(1.0, 1.0);
	sd->GetKnot(0)->vTangentRight = Vector(0.503, 0.008, 0.0);
	sd->GetKnot(1)->vTangentLeft = Vector(-0.128, -0.375, 0.0);
	RunGetPoint(state, *sd);
	SplineData::Free(sd);
}
BENCHMARK(BM_GetPointCurved);

void BM_GetPointLinear(benchmark::State& state)
{
	SplineData* sd = SplineData::Alloc();
	sd->MakeLinearSplineLinear();
	RunGetPoint(state, *sd);
	SplineData::Free(sd);
}
BENCHMARK(BM_GetPointLinear);

// Segment search on a long curve: the binary search's share of the cost.
void BM_GetPointSine1000(benchmark::State& state)
{
	SplineData* sd = SplineData::Alloc();
	sd->MakeSinSpline(1000);
	RunGetPoint(state, *sd);
	SplineData::Free(sd);
}
BENCHMARK(BM_GetPointSine1000);

// Floor: one cubic in power basis at the chord parameter, no segment search
// and no solving. The ratio to BM_GetPointSine is the price of the search,
// the collinearity test and the solver's convergence check.
void BM_CubicFloor(benchmark::State& state)
{
	const std::vector<Real> xs = Sweep(0.0, 1.0);
	size_t i = 0;
	for (auto _ : state)
	{
		const Real s = xs[i];
		benchmark::DoNotOptimize(0.5 + s * (0.26 + s * (-0.4 + s * 0.3)));
		i = (i + 1) & 1023;
	}
}
BENCHMARK(BM_CubicFloor);

// ---------------------------------------------------------------------------
// Noise
// ---------------------------------------------------------------------------

void BM_Noise(benchmark::State& state)
{
	const std::vector<Real> xs = Sweep(-50.0, 50.0);
	size_t i = 0;
	for (auto _ : state)
	{
		const Vector p(xs[i], xs[(i + 341) & 1023], xs[(i + 682) & 1023]);
		benchmark::DoNotOptimize(Noise(p));
		i = (i + 1) & 1023;
	}
}
BENCHMARK(BM_Noise);

// ---------------------------------------------------------------------------
// Remainders
// ---------------------------------------------------------------------------

void BM_FMod(benchmark::State& state)
{
	const std::vector<Real> xs = Sweep(-1000.0, 1000.0);
	size_t i = 0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(FMod(xs[i], 3.7));
		i = (i + 1) & 1023;
	}
}
BENCHMARK(BM_FMod);

void BM_Modulo(benchmark::State& state)
{
	const std::vector<Real> xs = Sweep(-1000.0, 1000.0);
	size_t i = 0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(Modulo(xs[i], 3.7));
		i = (i + 1) & 1023;
	}
}
BENCHMARK(BM_Modulo);

// Floor for both: the floor-based remainder inline, without the guards.
void BM_ModuloFloor(benchmark::State& state)
{
	const std::vector<Real> xs = Sweep(-1000.0, 1000.0);
	size_t i = 0;
	for (auto _ : state)
	{
		const Real a = xs[i];
		benchmark::DoNotOptimize(a - 3.7 * std::floor(a / 3.7));
		i = (i + 1) & 1023;
	}
}
BENCHMARK(BM_ModuloFloor);

} // namespace
