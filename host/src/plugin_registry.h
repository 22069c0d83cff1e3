// The host's registry of plug-in types, for embedding programs.
#ifndef PLUGIN_REGISTRY_H__
#define PLUGIN_REGISTRY_H__

#include <vector>

#include "c4d_nodedata.h"

struct TagPluginInfo
{
	LONG id = 0;
	String name;
	LONG info = 0;
	DataAllocator* allocator = nullptr;
	String description;
	LONG disklevel = 0;
};

bool FindTagPlugin(LONG id, TagPluginInfo* info);
// A tag of a registered plug-in type with its plug-in object attached but not
// initialised, or of a host type: what a loader fills with saved state. Null
// for an unknown type.
class BaseTag;
BaseTag* AllocTagForLoading(LONG type);
// Forgets every registered type (tests, and the end of a host session).
void UnregisterAllPlugins();
// The tag types registered now, and forgetting one: a module that fails to
// start is unloaded, and what it registered must not outlive its code.
std::vector<LONG> RegisteredTagPlugins();
void UnregisterTagPlugin(LONG id);

#endif
