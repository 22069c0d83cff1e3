// The glue that every module compiles in: the module's entry c4d_main, the
// host's tables as the module sees them, the module's folder and resources.
//
// Functions defined here (GeGetPluginPath, GeLoadString) stand in for the
// host's within the module: a loaded module answers with its own folder and
// its own strings. Modules linked straight into a program use the host's.
#include <stdint.h>

#include "c4d_plugin.h"
#include "c4d_resource.h"

GeResource resource;

namespace
{

// Stands in for the host's table while none is bound.
OperatingSystem g_unboundOs = {};
Filename* g_folder = nullptr;
// Action 1 calls not yet balanced by an action 3.
LONG g_initCount = 0;

LONG Initialise(void* tables, void* folder)
{
	if (g_initCount > 0)
	{
		++g_initCount;
		return 1;
	}
	const C4D_HostTables* t = static_cast<const C4D_HostTables*>(tables);
	if (!t || t->version < C4D_INTERFACE_VERSION || !folder)
		return C4DPL_ERROR_VERSION;
	t_C4DOS = t->os ? t->os : &g_unboundOs;
	g_folder = new Filename(String(static_cast<const CHAR*>(folder)));
	g_initCount = 1;
	return 1;
}

LONG End()
{
	if (g_initCount == 0)
		return 1;
	if (--g_initCount > 0)
		return 1;
	PluginEnd();
	resource.Free();
	delete g_folder;
	g_folder = nullptr;
	t_C4DOS = &g_unboundOs;
	return 1;
}

} // namespace

OperatingSystem* t_C4DOS = &g_unboundOs;

extern "C" LONG c4d_main(LONG action, void* p1, void* p2, void* p3)
{
	switch (action)
	{
		case C4DPL_INIT_SYS: return Initialise(p1, p3);
		case C4DPL_INIT: return PluginStart() ? 1 : 0;
		case C4DPL_END: return End();
		case C4DPL_INIT_VERSION: return C4DPL_VERSION;
		case C4DPL_MESSAGE: return PluginMessage((LONG)(intptr_t)p1, p2) ? 1 : C4DPL_ERROR;
		default: return C4DPL_ERROR;
	}
}

const Filename GeGetPluginPath()
{
	return g_folder ? *g_folder : Filename();
}

const String& GeLoadString(LONG id)
{
	return resource.LoadString(id);
}
