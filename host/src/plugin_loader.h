// The host's plug-in loader: loads every module of a plug-ins folder through
// its c4d_main and ends them again. For embedding programs.
#ifndef PLUGIN_LOADER_H__
#define PLUGIN_LOADER_H__

#include <string>
#include <vector>

#include "c4d_plugin.h"

struct LoadedModule
{
	std::string folder;     // the module's own folder
	std::string binary;
	// Null unless it started: a module that fails is ended and unloaded.
	void* handle = nullptr;
	LONG (*main)(LONG, void*, void*, void*) = nullptr;
	bool started = false;
	std::string problem;    // why it did not load or start
};

// The file name suffix of a module binary on this platform.
const char* ModuleSuffix();

class PluginLoader
{
public:
	PluginLoader();
	// Ends every module that was initialised.
	~PluginLoader();

	// Loads and starts the modules of pluginsFolder: each subfolder holding a
	// binary with the module suffix. A module that fails is reported on the
	// host's console and skipped. Returns the number started.
	int LoadFolder(const std::string& pluginsFolder);
	// Loads and starts one module from its folder; false when it fails.
	bool LoadModule(const std::string& folder, const std::string& binary);
	void EndAll();

	const std::vector<LoadedModule>& Modules() const { return modules_; }
	// The tables handed to modules; tests change the version.
	C4D_HostTables& Tables() { return tables_; }

private:
	PluginLoader(const PluginLoader&) = delete;
	PluginLoader& operator=(const PluginLoader&) = delete;
	C4D_HostTables tables_;
	std::vector<LoadedModule> modules_;
};

// The host's crash path: calls the handler in the crash-handler slot with
// text, as the host would when it crashes, without crashing.
void HostCrash(const char* text);
C4D_CrashHandler* HostCrashHandlerSlot();

#endif
