// The resource readers (symbol headers, string tables, description
// resources) on arbitrary text. The input holds up to five files separated by
// NUL bytes, in the order GeResource::Init reads them:
//   res/c4d_symbols.h, res/strings_us/c4d_strings.str,
//   res/description/Fuzz.h, res/strings_us/description/Fuzz.str,
//   res/description/Fuzz.res
// A file the input does not reach is missing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "c4d.h"
#include "c4d_resource.h"
#include "description_registry.h"
#include "fuzz_common.h"

namespace
{

const char* const kFiles[] = {
	"res/c4d_symbols.h",
	"res/strings_us/c4d_strings.str",
	"res/description/Fuzz.h",
	"res/strings_us/description/Fuzz.str",
	"res/description/Fuzz.res",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	pulsor_fuzz::QuietHost();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	namespace fs = std::filesystem;
	const fs::path folder = pulsor_fuzz::ScratchFolder() / "module";
	std::error_code ec;
	static const bool made = fs::create_directories(folder / "res" / "strings_us" / "description", ec)
		&& fs::create_directories(folder / "res" / "description", ec);
	(void)made;

	size_t start = 0;
	for (const char* file : kFiles)
	{
		if (start > size)
		{
			fs::remove(folder / file, ec);
			continue;
		}
		size_t end = start;
		while (end < size && data[end] != 0)
			++end;
		pulsor_fuzz::WriteBytes(folder / file, data + start, end - start);
		start = end + 1;
	}

	// Descriptions of earlier inputs would be found by INCLUDE.
	UnregisterDescriptionResources();
	GeResource resource;
	if (resource.Init(Filename(folder.string().c_str())))
	{
		for (LONG id = -1; id < 16; ++id)
			resource.LoadString(id).GetStdString();
		// Every element a description registers has an identifier.
		for (const char* name : { "Fuzz", "Pulsor" })
		{
			DescriptionResource description;
			if (!FindDescriptionResource(name, &description))
				continue;
			for (const DescriptionElement& element : description.elements)
				if (element.id.GetDepth() < 1)
					std::abort();
		}
	}
	UnregisterDescriptionResources();
	return 0;
}
