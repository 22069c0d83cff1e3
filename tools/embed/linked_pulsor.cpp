#include "linked_pulsor.h"

#include "c4d.h"
#include "plugin_registry.h"
#include "pulsor.h"

bool RegisterLinkedPulsor(const std::string& moduleFolder)
{
	if (FindTagPlugin(PULSOR_TAG_ID, nullptr))
		return true;
	GeResource resources;
	if (!resources.Init(Filename(String(moduleFolder))))
		return false;
	return RegisterTagPlugin(PULSOR_TAG_ID, resources.LoadString(10000), TAG_VISIBLE | TAG_MULTIPLE | TAG_EXPRESSION,
		Pulsor::Alloc, "Pulsor", nullptr, 0) != FALSE;
}
