// Counts of the heap allocations this benchmark binary makes: every
// operator new of the program passes through the hook in
// allocation_hook.cpp. Benchmarks report them per call beside the time.
#ifndef PULSOR_BENCH_ALLOCATION_HOOK_H__
#define PULSOR_BENCH_ALLOCATION_HOOK_H__

#include <cstddef>

#include <benchmark/benchmark.h>

namespace allocation_hook
{

// Allocations since the program started.
size_t Count();
// Bytes allocated and not yet freed, and the most there were since the last
// ResetPeak.
size_t LiveBytes();
size_t PeakBytes();
void ResetPeak();

// Adds "allocs/call" to state: the allocations made since construction,
// divided by the iterations that ran.
class PerCall
{
public:
	explicit PerCall(benchmark::State& state) : state_(state), start_(Count()) {}
	~PerCall()
	{
		const double calls = state_.iterations() > 0 ? (double)state_.iterations() : 1.0;
		state_.counters["allocs/call"] = (double)(Count() - start_) / calls;
	}
	PerCall(const PerCall&) = delete;
	PerCall& operator=(const PerCall&) = delete;

private:
	benchmark::State& state_;
	size_t start_;
};

} // namespace allocation_hook

#endif
