// The load boundary between the host and a plug-in module.
//
// A module exports one function, c4d_main. The host calls it with these
// actions:
//   1  initialise: p1 the host's tables (C4D_HostTables), p3 the module's
//      folder as UTF-8 text. Binds the tables on the first call only; -3 for
//      an interface version below C4D_INTERFACE_VERSION or no folder.
//   2  start: PluginStart(), 1 on success, 0 on failure.
//   3  end: the call that balances the first action 1 runs PluginEnd.
//   4  version query (C4DPL_INIT_VERSION): C4DPL_VERSION.
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
	// A module's answer to C4DPL_INIT_VERSION.
	C4DPL_VERSION = 5
};

enum
{
	C4DPL_INIT_SYS = 1,
	C4DPL_INIT = 2,
	C4DPL_END = 3,
	C4DPL_INIT_VERSION = 4,
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
typedef void (*C4D_CrashHandler)(CHAR* crashinfo);

// The host's operating-system table: services shared by the host and every
// module, read and written in place.
struct OperatingSystem
{
	// The host calls the handler stored here when it crashes.
	void (*CrashHandler)(CHAR* crashinfo);
};

// What the host hands a module at action 1.
struct C4D_HostTables
{
	LONG version;
	OperatingSystem* os;
};

// The running module's view of the host's table (C4DOS.CrashHandler). Before
// action 1 binds it, and after the last action 3, it is a table of the
// module's own that the host never reads.
extern OperatingSystem* t_C4DOS;
#define C4DOS (*t_C4DOS)

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

#endif
