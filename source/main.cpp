// The module's start-up: the hooks c4d_main calls. The tag's registration
// is tag/registration.cpp's, shared with the programs that link the tag in.
#include "c4d.h"
#include "registration.h"

namespace
{

typedef void (*CrashHandler)(CHAR* crashinfo);

// The host's crash handler found at start, called on from ours.
CrashHandler g_previousCrashHandler = nullptr;

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
	const CrashHandler current = C4DOS.CrashHandler;
	if (current != SDKCrashHandler)
		g_previousCrashHandler = current;
	C4DOS.CrashHandler = SDKCrashHandler;
	return RegisterPulsor();
}

void PluginEnd(void)
{
	// The host's handler goes back unless another module chained onto ours.
	if (C4DOS.CrashHandler == SDKCrashHandler)
		C4DOS.CrashHandler = g_previousCrashHandler;
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
