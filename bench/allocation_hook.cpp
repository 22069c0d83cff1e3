// The benchmark binary's operator new and delete: malloc and free with a
// count and the live bytes beside them. Each block carries its size in a
// header of 16 bytes, which keeps the alignment malloc gives.
#include "allocation_hook.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{

std::atomic<size_t> g_count{0};
std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

const size_t kHeader = 16;

void* Allocate(size_t size)
{
	void* block = std::malloc(size + kHeader);
	if (!block)
		return nullptr;
	*static_cast<size_t*>(block) = size;
	g_count.fetch_add(1, std::memory_order_relaxed);
	const size_t live = g_live.fetch_add(size, std::memory_order_relaxed) + size;
	size_t peak = g_peak.load(std::memory_order_relaxed);
	while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed))
	{
	}
	return static_cast<char*>(block) + kHeader;
}

void Deallocate(void* p)
{
	if (!p)
		return;
	void* block = static_cast<char*>(p) - kHeader;
	g_live.fetch_sub(*static_cast<size_t*>(block), std::memory_order_relaxed);
	std::free(block);
}

void* AllocateOrThrow(size_t size)
{
	void* p = Allocate(size);
	if (!p)
		throw std::bad_alloc();
	return p;
}

} // namespace

namespace allocation_hook
{

size_t Count() { return g_count.load(std::memory_order_relaxed); }
size_t LiveBytes() { return g_live.load(std::memory_order_relaxed); }
size_t PeakBytes() { return g_peak.load(std::memory_order_relaxed); }
void ResetPeak() { g_peak.store(g_live.load(std::memory_order_relaxed), std::memory_order_relaxed); }

} // namespace allocation_hook

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Deallocate(p); }
void operator delete[](void* p) noexcept { Deallocate(p); }
void operator delete(void* p, size_t) noexcept { Deallocate(p); }
void operator delete[](void* p, size_t) noexcept { Deallocate(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Deallocate(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Deallocate(p); }
