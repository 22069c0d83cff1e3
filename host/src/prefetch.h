// Asking the memory system for lines ahead of their use. A frame of a large
// scene waits mostly for memory: each tag's container is kilobytes that no
// cache keeps from one frame to the next, and a line from memory takes as
// long as hundreds of instructions. Lines asked for early arrive while other
// work runs, many at once. A hint only: it never faults, also on an address
// that is no longer valid, and changes no result.
#ifndef HOST_PREFETCH_H__
#define HOST_PREFETCH_H__

#include <cstddef>
#include <cstdint>

#include "ge_math.h"

class BaseContainer;
class GeData;

namespace prefetch
{

const size_t kLine = 64;

inline void Line(const void* p)
{
	// Into every level: asked for no more than a few evaluations ahead,
	// the lines are still in the cache when wanted, and the innermost
	// cache saves the most. On x86 as an instruction of its own: GCC
	// deletes a loop of __builtin_prefetch as a loop without effects.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
	__asm__ __volatile__("prefetcht0 (%0)" : : "r"(p));
#elif defined(__GNUC__) || defined(__clang__)
	__builtin_prefetch(p, 0, 3);
#else
	(void)p;
#endif
}

// Every line that holds a byte of [p, p + bytes).
// Addresses as numbers: p may be null or no longer valid.
inline void Bytes(const void* p, size_t bytes)
{
	const uintptr_t offset = reinterpret_cast<uintptr_t>(p) & (uintptr_t)(kLine - 1);
	const uintptr_t first = reinterpret_cast<uintptr_t>(p) - offset;
	const size_t lines = (offset + bytes + kLine - 1) / kLine;
	for (size_t i = 0; i < lines; ++i)
		Line(reinterpret_cast<const void*>(first + i * kLine));
}

} // namespace prefetch

// A container's memory in the order a reader needs it, each stage reading
// only what the stage before asked for: the store's header (from the
// container itself), then its values and hash index (from the header), then
// what owned values point at (from the values). Called on a container that
// another evaluation is about to read, one stage per evaluation in between.
// For a reader of one entry, the stages after the header are the entry's
// hash slot, then its value, then what the value points at.
struct ContainerPrefetch
{
	static void Header(const BaseContainer& bc);
	static void Entries(const BaseContainer& bc);
	static void Pointees(const BaseContainer& bc);

	static void Slot(const BaseContainer& bc, LONG id);
	static void Value(const BaseContainer& bc, LONG id);
	static void Pointee(const BaseContainer& bc, LONG id);

private:
	// The values that the stages ask for, as runs of adjacent ones: those in
	// the store's block, then those of each chunk.
	static void EachRun(const BaseContainer& bc, void (*run)(const GeData* values, size_t count));
};

#endif
