// For programs that link the Pulsor module's code straight in (tools, tests,
// benchmarks, fuzz targets) instead of loading it: the tag registers through
// the module's own RegisterPulsor, with the resources of the module folder
// given. This library also stands in for the glue a loaded module carries:
// it holds the module's resources (resource, GeLoadString).
#ifndef LINKED_PULSOR_H__
#define LINKED_PULSOR_H__

#include <string>

// TRUE when the tag type is registered afterwards (also when it already
// was). Reads moduleFolder's res/ into the global resource and registers the
// tag with the plug-in path pointing at moduleFolder for as long as that
// takes; the plug-in path the program had set is back afterwards.
bool RegisterLinkedPulsor(const std::string& moduleFolder);

#endif
