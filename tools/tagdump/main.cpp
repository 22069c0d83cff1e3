// tagdump: creates a Pulsor tag through the host, runs its Init and prints
// the tag's container.
//
//   tagdump [plug-in folder]
//
// The plug-in folder (default: the source tree) holds res/Presets, which the
// new tag lists.
#include "linked_pulsor.h"
#include <iostream>

#include "container_printer.h"
#include "host_services.h"
#include "pulsor.h"

#ifndef PULSOR_SOURCE_DIR
#define PULSOR_SOURCE_DIR "."
#endif

int main(int argc, char** argv)
{
	const char* folder = argc > 1 ? argv[1] : PULSOR_SOURCE_DIR;
	HostSetPluginPath(Filename(folder));
	if (!RegisterLinkedPulsor(folder))
	{
		std::cerr << "tagdump: could not register the Pulsor tag\n";
		return 1;
	}
	BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
	if (!tag)
	{
		std::cerr << "tagdump: could not create a Pulsor tag\n";
		return 1;
	}
	std::cout << "Pulsor tag \"" << tag->GetName().GetStdString() << "\"\n";
	PrintContainer(std::cout, *tag->GetDataInstance());
	BaseTag::Free(tag);
	return 0;
}
