#include "plugin_loader.h"

#include <algorithm>
#include <filesystem>
#include <stdint.h>

#include "host_services.h"
#include "platform.h"

namespace
{

// The one table every loaded module shares.
OperatingSystem g_os = {};

typedef LONG (*MainFunc)(LONG, void*, void*, void*);

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
	m.handle = platform::OpenLibrary(binary, &m.problem);
	if (!m.handle)
		return fail(m.problem);
	m.main = (MainFunc)platform::FindSymbol(m.handle, "c4d_main");
	if (!m.main)
	{
		platform::CloseLibrary(m.handle);
		m.handle = nullptr;
		return fail("exports no c4d_main");
	}
	const LONG init = m.main(C4DPL_INIT_SYS, &tables_, nullptr, (void*)folder.c_str());
	if (init != 1)
	{
		platform::CloseLibrary(m.handle);
		m.handle = nullptr;
		m.main = nullptr;
		return fail("refused the host (answer " + std::to_string(init) + ")");
	}
	if (m.main(C4DPL_MESSAGE, (void*)(intptr_t)C4DPL_INIT_SYS, nullptr, nullptr) != 1)
		return fail("could not load its resources");
	if (m.main(C4DPL_INIT, nullptr, nullptr, nullptr) != 1)
		return fail("did not start");
	m.main(C4DPL_MESSAGE, (void*)(intptr_t)C4DPL_BUILDMENU, nullptr, nullptr);
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
