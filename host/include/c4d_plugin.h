// The load boundary between the host and a plug-in module.
//
// A module exports one function, c4d_main. The host calls it with these
// actions:
//   1  initialise: p1 the host's tables (C4D_HostTables), p3 the module's
//      folder as UTF-8 text. Binds the tables on the first call only; -3 for
//      an interface version below C4D_INTERFACE_VERSION or no folder.
//   2  start: PluginStart(), 1 on success, 0 on failure.
//   3  end: the call that balances the first action 1 runs PluginEnd.
//   4  version query: 5.
//   6  message: p1 the message id, p2 its data; 1 when PluginMessage
//      returns TRUE, else -1.
// Any other action answers -1. The glue that implements this is compiled
// into every module; the module itself writes the hooks below.
#ifndef C4D_PLUGIN_H__
#define C4D_PLUGIN_H__

#include "c4d_file.h"

enum
{
	C4D_INTERFACE_VERSION = 14000,
	C4D_MODULE_VERSION = 5
};

enum
{
	C4DPL_INIT_SYS = 1,
	C4DPL_INIT = 2,
	C4DPL_END = 3,
	C4DPL_VERSION = 4,
	C4DPL_MESSAGE = 6,
	C4DMSG_PRIORITY = 0,
	C4DPL_STARTACTIVITY = 1000,
	C4DPL_ENDACTIVITY = 1001,
	C4DPL_COMMANDLINEARGS = 1002,
	C4DPL_ENDPROGRAM = 1001084,
	C4DPL_BUILDMENU = 1001188
};

enum
{
	C4DPL_ERROR_VERSION = -3,
	C4DPL_ERROR = -1
};

// Called by the host when it crashes, with a description of the crash.
typedef void (*C4D_CrashHandler)(CHAR* text);

// What the host hands a module at action 1.
struct C4D_HostTables
{
	LONG version;
	// The host's crash-handler slot: the host calls the handler stored here.
	C4D_CrashHandler* crashHandler;
};

extern "C"
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
LONG c4d_main(LONG action, void* p1, void* p2, void* p3);

// The module's hooks.
Bool PluginStart(void);
void PluginEnd(void);
Bool PluginMessage(LONG id, void* data);

// The crash handler in the host's slot, or null; after action 1 only.
C4D_CrashHandler GetCrashHandler();
void SetCrashHandler(C4D_CrashHandler handler);

#endif
