#include "loaded_pulsor.h"

#include <gtest/gtest.h>

#include "plugin_loader.h"
#include "plugin_registry.h"
#include "pulsor_ids.h"

namespace
{

PluginLoader* g_loader = nullptr;

// Ends the module while both it and the host are whole; a loader left to
// the exit would end it after the module's own globals are destroyed.
class ModuleSession : public ::testing::Environment
{
public:
	void TearDown() override
	{
		delete g_loader;
		g_loader = nullptr;
	}
};

::testing::Environment* const g_session = ::testing::AddGlobalTestEnvironment(new ModuleSession);

} // namespace

bool LoadPulsorModule()
{
	if (FindTagPlugin(PULSOR_TAG_ID, nullptr))
		return true;
	if (!g_loader)
		g_loader = new PluginLoader;
	g_loader->LoadFolder(PULSORHOST_PLUGINS);
	return FindTagPlugin(PULSOR_TAG_ID, nullptr);
}
