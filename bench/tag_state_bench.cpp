// Per-call cost of the range mapping and of copying the curve library, which
// the engine does for every tab in every evaluation.
#include <benchmark/benchmark.h>

#include "linked_pulsor.h"

#include "host_services.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

BaseContainer LibraryOfNewTag()
{
	static const BaseContainer library = [] {
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
		BaseContainer lib = tag->GetDataInstance()->GetContainer(PULSOR_CURVE_LIBRARY);
		BaseTag::Free(tag);
		return lib;
	}();
	return library;
}

void BM_RangeMapperPlain(benchmark::State& state)
{
	Real v = 0.0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(Pulsor::RangeMapper(v, 0.0, 30.0, -1.0, 1.0, nullptr, 0, 0, 0));
		v += 0.37;
		if (v > 90.0)
			v = -10.0;
	}
}
BENCHMARK(BM_RangeMapperPlain);

void BM_RangeMapperLoopWithCurve(benchmark::State& state)
{
	const BaseContainer library = LibraryOfNewTag();
	const SplineData* sine = static_cast<const SplineData*>(library.GetCustomDataType(PULSOR_CURVE_SINE, CUSTOMDATATYPE_SPLINE));
	Real v = 0.0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(Pulsor::RangeMapper(v, 0.0, 30.0, 0.0, 1.0, sine, 1, 0, 0));
		v += 0.37;
		if (v > 90.0)
			v = -10.0;
	}
}
BENCHMARK(BM_RangeMapperLoopWithCurve);

void BM_CopyCurveLibrary(benchmark::State& state)
{
	RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
	BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
	const BaseContainer* data = tag->GetDataInstance();
	for (auto _ : state)
	{
		BaseContainer library = data->GetContainer(PULSOR_CURVE_LIBRARY);
		benchmark::DoNotOptimize(library);
	}
	BaseTag::Free(tag);
}
BENCHMARK(BM_CopyCurveLibrary);

void BM_ReadTabList(benchmark::State& state)
{
	BaseContainer list;
	for (LONG i = 0; i < 8; ++i)
		list.SetLong(PULSOR_TAB_LIST_FIRST + i, i + 2);
	list.SetLong(PULSOR_TAB_LIST_COUNT, 8);
	for (auto _ : state)
	{
		TabList tabs(list);
		benchmark::DoNotOptimize(tabs.GetCount());
	}
}
BENCHMARK(BM_ReadTabList);

} // namespace

namespace
{

// GetPoint on every curve of the library, across the unit interval.
void BM_GetPointLibraryCurves(benchmark::State& state)
{
	const BaseContainer library = LibraryOfNewTag();
	const SplineData* curves[PULSOR_CURVE_COUNT];
	for (LONG i = 0; i < PULSOR_CURVE_COUNT; ++i)
		curves[i] = static_cast<const SplineData*>(library.GetCustomDataType(i, CUSTOMDATATYPE_SPLINE));
	Real x = 0.0;
	LONG i = 0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(curves[i]->GetPoint(x));
		i = i + 1 < PULSOR_CURVE_COUNT ? i + 1 : 0;
		x += 0.0137;
		if (x > 1.0)
			x -= 1.0;
	}
}
BENCHMARK(BM_GetPointLibraryCurves);

} // namespace
