// The module's start-up: the hooks c4d_main calls. The tag's registration
// is tag/registration.cpp's, shared with the programs that link the tag in.
#include "c4d.h"
#include "registration.h"

namespace
{

// The host's crash handler found at start, called on from ours.
C4D_CrashHandler g_previousCrashHandler = nullptr;

void SDKCrashHandler(CHAR* text)
{
	if (g_previousCrashHandler)
		g_previousCrashHandler(text);
}

void EnhanceMainMenu()
{
}

} // namespace

Bool PluginStart(void)
{
	// A second start finds its own handler in the slot; chaining to it would
	// make a crash call this handler forever.
	const C4D_CrashHandler current = GetCrashHandler();
	if (current != SDKCrashHandler)
		g_previousCrashHandler = current;
	SetCrashHandler(SDKCrashHandler);
	return RegisterPulsor();
}

void PluginEnd(void)
{
	// The host's handler goes back unless another module chained onto ours.
	if (GetCrashHandler() == SDKCrashHandler)
		SetCrashHandler(g_previousCrashHandler);
	g_previousCrashHandler = nullptr;
}

Bool PluginMessage(LONG id, void* data)
{
	(void)data;
	switch (id)
	{
		case C4DMSG_PRIORITY:
			return TRUE;
		case C4DPL_INIT_SYS:
			return resource.Init();
		case C4DPL_BUILDMENU:
			EnhanceMainMenu();
			return FALSE;
		default:
			return FALSE;
	}
}
