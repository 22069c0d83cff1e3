// The Pulsor tag's registration with the host: its string id, flags,
// description, disk level and icon live here and nowhere else.
#ifndef PULSOR_REGISTRATION_H__
#define PULSOR_REGISTRATION_H__

#include "c4d.h"

// Registers the Pulsor tag type with the plug-in folder's icon and the
// running module's string table (GeGetPluginPath, GeLoadString). FALSE when
// the icon does not load or the host refuses the type, which it does for a
// type already registered. TRUE without registering when the string table
// names no tag: a module without its strings starts, but offers no tag.
Bool RegisterPulsor();

#endif
