// tagdump: creates a Pulsor tag through the host, runs its Init and prints
// the tag's container; with --page, the tag sits on a cube named "Cube" in a
// document of its own, and its attribute page follows the container.
//
//   tagdump [--page] [plug-in folder]
//
// The plug-in folder (default: the source tree) holds res/Presets, which the
// new tag lists.
#include "linked_pulsor.h"
#include <cstring>
#include <iostream>

#include "container_printer.h"
#include "host_services.h"
#include "page_printer.h"
#include "pulsor_ids.h"

#ifndef PULSOR_SOURCE_DIR
#define PULSOR_SOURCE_DIR "."
#endif

int main(int argc, char** argv)
{
	bool page = false;
	const char* folder = PULSOR_SOURCE_DIR;
	for (int i = 1; i < argc; ++i)
	{
		if (std::strcmp(argv[i], "--page") == 0)
			page = true;
		else
			folder = argv[i];
	}
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
	if (!page)
	{
		BaseTag::Free(tag);
		return 0;
	}
	// The page is laid out only for a tag in a document; the caption names
	// the tag's object.
	BaseDocument* doc = BaseDocument::Alloc();
	BaseObject* cube = doc ? BaseObject::Alloc(Ocube) : nullptr;
	if (!cube)
	{
		std::cerr << "tagdump: could not create a document with a cube\n";
		BaseTag::Free(tag);
		BaseDocument::Free(doc);
		return 1;
	}
	HostSetActiveDocument(doc);
	cube->SetName("Cube");
	doc->InsertObject(cube);
	cube->InsertTag(tag);
	std::cout << "\nPage\n" << PrintPage(tag);
	HostSetActiveDocument(nullptr);
	BaseDocument::Free(doc);
	return 0;
}
