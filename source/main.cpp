// The module's start-up: the hooks c4d_main calls, and the registration of
// the Pulsor tag.
#include "c4d.h"
#include "pulsor.h"

namespace
{

// The host's crash handler found at start, called on from ours.
C4D_CrashHandler g_previousCrashHandler = nullptr;

// The tag's display name in the string table.
const LONG IDS_PULSOR = 10000;
const LONG kPulsorInfo = TAG_VISIBLE | TAG_MULTIPLE | TAG_EXPRESSION;
const LONG kDiskLevel = 0;

void SDKCrashHandler(CHAR* text)
{
	if (g_previousCrashHandler)
		g_previousCrashHandler(text);
}

void EnhanceMainMenu()
{
}

} // namespace

Bool RegisterPulsor()
{
	Filename iconFile = GeGetPluginPath();
	iconFile += Filename("res");
	iconFile += Filename("X.tif");
	// Freed when the scope ends, after the registration has used it.
	AutoAlloc<BaseBitmap> icon;
	if (!icon || icon->Init(iconFile, -1) != IMAGERESULT_OK)
		return FALSE;
	const String name = GeLoadString(IDS_PULSOR);
	if (!name.Content())
		return TRUE;
	return RegisterTagPlugin(PULSOR_TAG_ID, name, kPulsorInfo, Pulsor::Alloc, "Pulsor", icon, kDiskLevel);
}

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
