#include "linked_pulsor.h"

#include "c4d.h"
#include "host_services.h"
#include "host_string.h"
#include "plugin_registry.h"
#include "pulsor_ids.h"
#include "registration.h"

// What host/glue defines for a loaded module; the linked-in module reads its
// strings through them. In this file, so that every program that registers
// the tag links them.
GeResource resource;

const String& GeLoadString(LONG id)
{
	return resource.LoadString(id);
}

namespace
{

// Points the host's plug-in path at a folder while it lives.
class PluginPathFor
{
public:
	explicit PluginPathFor(const Filename& folder) : previous_(GeGetPluginPath()) { HostSetPluginPath(folder); }
	~PluginPathFor() { HostSetPluginPath(previous_); }
	PluginPathFor(const PluginPathFor&) = delete;
	PluginPathFor& operator=(const PluginPathFor&) = delete;

private:
	Filename previous_;
};

} // namespace

bool RegisterLinkedPulsor(const std::string& moduleFolder)
{
	if (FindTagPlugin(PULSOR_TAG_ID, nullptr))
		return true;
	const Filename folder{ HostString(moduleFolder) };
	const PluginPathFor path(folder);
	if (!resource.Init(folder))
		return false;
	// RegisterPulsor answers TRUE for a string table without the tag's name,
	// having registered nothing; the registry tells.
	RegisterPulsor();
	return FindTagPlugin(PULSOR_TAG_ID, nullptr);
}
