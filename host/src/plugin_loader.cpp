#include "plugin_loader.h"

#include <algorithm>
#include <filesystem>
#include <stdint.h>

#include "host_services.h"
#include "platform.h"
#include "plugin_registry.h"

namespace
{

// The one table every loaded module shares.
OperatingSystem g_os = {};

typedef LONG (*MainFunc)(LONG, void*, void*, void*);

// A module's library, closed when the scope ends unless the module started
// and keeps it.
class ModuleLibrary
{
public:
	explicit ModuleLibrary(void* handle) : handle_(handle) {}
	~ModuleLibrary()
	{
		if (handle_)
			platform::CloseLibrary(handle_);
	}
	ModuleLibrary(const ModuleLibrary&) = delete;
	ModuleLibrary& operator=(const ModuleLibrary&) = delete;

	void* Get() const { return handle_; }
	void* Keep()
	{
		void* kept = handle_;
		handle_ = nullptr;
		return kept;
	}

private:
	void* handle_;
};

// A module that took the host's tables, ended when the scope ends unless it
// started: what it hooked into the host (the crash handler) must be handed
// back before its library goes.
class ModuleSession
{
public:
	explicit ModuleSession(MainFunc main) : main_(main) {}
	~ModuleSession()
	{
		if (main_)
			main_(C4DPL_END, nullptr, nullptr, nullptr);
	}
	ModuleSession(const ModuleSession&) = delete;
	ModuleSession& operator=(const ModuleSession&) = delete;

	MainFunc Keep()
	{
		const MainFunc kept = main_;
		main_ = nullptr;
		return kept;
	}

private:
	MainFunc main_;
};

} // namespace

const char* ModuleSuffix()
{
#if defined(_WIN32)
	return sizeof(void*) == 8 ? ".cdl64" : ".cdl";
#elif defined(__APPLE__)
	return ".dylib";
#else
	return ".so";
#endif
}

C4D_CrashHandler* HostCrashHandlerSlot()
{
	return &g_os.CrashHandler;
}

void HostCrash(const char* text)
{
	if (g_os.CrashHandler)
	{
		std::string copy = text ? text : "";
		g_os.CrashHandler(&copy[0]);
	}
}

PluginLoader::PluginLoader()
{
	tables_.version = C4D_INTERFACE_VERSION;
	tables_.os = &g_os;
}

PluginLoader::~PluginLoader()
{
	EndAll();
}

int PluginLoader::LoadFolder(const std::string& pluginsFolder)
{
	namespace fs = std::filesystem;
	std::error_code ec;
	std::vector<fs::path> folders;
	for (fs::directory_iterator it(fs::u8path(pluginsFolder), ec), end; !ec && it != end; it.increment(ec))
		if (it->is_directory(ec))
			folders.push_back(it->path());
	if (ec && folders.empty())
	{
		HostReportError(pluginsFolder + ": cannot be read as a plug-ins folder");
		return 0;
	}
	std::sort(folders.begin(), folders.end());
	int started = 0;
	for (const fs::path& folder : folders)
	{
		for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
		{
			const fs::path file = it->path();
			if (file.extension().u8string() != ModuleSuffix())
				continue;
			if (LoadModule(folder.u8string(), file.u8string()))
				++started;
		}
	}
	return started;
}

bool PluginLoader::LoadModule(const std::string& folder, const std::string& binary)
{
	LoadedModule m;
	m.folder = folder;
	m.binary = binary;
	const auto fail = [&](const std::string& problem) {
		m.problem = problem;
		HostReportError(binary + ": " + problem);
		modules_.push_back(m);
		return false;
	};
	std::string problem;
	ModuleLibrary library(platform::OpenLibrary(binary, &problem));
	if (!library.Get())
		return fail(problem);
	const MainFunc main = (MainFunc)platform::FindSymbol(library.Get(), "c4d_main");
	if (!main)
		return fail("exports no c4d_main");
	const LONG init = main(C4DPL_INIT_SYS, &tables_, nullptr, (void*)folder.c_str());
	if (init != 1)
		return fail("refused the host (answer " + std::to_string(init) + ")");
	// Ended before its library closes: declared after it.
	ModuleSession session(main);
	if (main(C4DPL_MESSAGE, (void*)(intptr_t)C4DPL_INIT_SYS, nullptr, nullptr) != 1)
		return fail("could not load its resources");
	const std::vector<LONG> registeredBefore = RegisteredTagPlugins();
	if (main(C4DPL_INIT, nullptr, nullptr, nullptr) != 1)
	{
		// Its library closes below: types it registered before giving up
		// would point into unmapped code.
		for (LONG id : RegisteredTagPlugins())
			if (std::find(registeredBefore.begin(), registeredBefore.end(), id) == registeredBefore.end())
				UnregisterTagPlugin(id);
		return fail("did not start");
	}
	main(C4DPL_MESSAGE, (void*)(intptr_t)C4DPL_BUILDMENU, nullptr, nullptr);
	m.main = session.Keep();
	m.handle = library.Keep();
	m.started = true;
	modules_.push_back(m);
	return true;
}

void PluginLoader::EndAll()
{
	// Last loaded, first ended. The libraries stay mapped: elements the
	// modules created may still point into them.
	for (auto it = modules_.rbegin(); it != modules_.rend(); ++it)
	{
		if (it->main)
			it->main(C4DPL_END, nullptr, nullptr, nullptr);
		it->main = nullptr;
	}
}
