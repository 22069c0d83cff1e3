// The host's registry of description resources: the static part of the
// attribute layout of every registered element type, by name.
#ifndef DESCRIPTION_REGISTRY_H__
#define DESCRIPTION_REGISTRY_H__

#include <string>
#include <vector>

#include "lib_description.h"

struct DescriptionElement
{
	DescID id;
	BaseContainer settings;
	DescID parent;
};

struct DescriptionResource
{
	std::string name;
	LONG id = 0;
	std::vector<DescriptionElement> elements;
};

// FALSE when a resource of that name is registered already with other
// content.
bool RegisterDescriptionResource(const DescriptionResource& resource);
// The host's own resources ("Tbase", "Texpression") are always there.
bool FindDescriptionResource(const std::string& name, DescriptionResource* resource);
void UnregisterDescriptionResources();

#endif
