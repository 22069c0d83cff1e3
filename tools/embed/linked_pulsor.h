// For programs that link the Pulsor module's code straight in (tools, tests,
// benchmarks) instead of loading it: registers the tag as the module's start
// would, with the resources of the module folder given.
#ifndef LINKED_PULSOR_H__
#define LINKED_PULSOR_H__

#include <string>

// TRUE when the tag type is registered afterwards (also when it already was).
bool RegisterLinkedPulsor(const std::string& moduleFolder);

#endif
