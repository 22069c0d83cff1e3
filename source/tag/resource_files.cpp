#include "resource_files.h"

Filename ResourceFile(const CHAR* name)
{
	Filename file = GeGetPluginPath();
	file += Filename("res");
	file += Filename(name);
	return file;
}

Filename DefaultPresetFolder()
{
	return ResourceFile("Presets");
}
