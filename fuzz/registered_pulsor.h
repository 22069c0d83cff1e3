// The quiet host with the Pulsor tag registered from the linked-in module
// code, its resources and presets taken from the source tree: for the
// targets whose inputs make Pulsor tags.
#ifndef PULSOR_FUZZ_REGISTERED_PULSOR_H__
#define PULSOR_FUZZ_REGISTERED_PULSOR_H__

#include <cstdlib>

#include "fuzz_common.h"
#include "linked_pulsor.h"

namespace pulsor_fuzz
{

inline void QuietHostWithPulsor()
{
	QuietHost();
	HostSetPluginPath(Filename(PULSOR_SOURCE_DIR));
	if (!RegisterLinkedPulsor(PULSOR_SOURCE_DIR))
		std::abort();
}

} // namespace pulsor_fuzz

#endif
