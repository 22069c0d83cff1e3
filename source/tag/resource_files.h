// Files of the module's own folder.
#ifndef PULSOR_RESOURCE_FILES_H__
#define PULSOR_RESOURCE_FILES_H__

#include "c4d.h"

// The plug-in folder, then "res", then name.
Filename ResourceFile(const CHAR* name);
// The plug-in folder, then "res", then "Presets".
Filename DefaultPresetFolder();

#endif
