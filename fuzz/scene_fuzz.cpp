// The scene file reader (LoadDocument) on arbitrary bytes, with the Pulsor
// tag registered so that its tags load as Pulsor tags. A scene that loads is
// evaluated over a few frames and saved and loaded again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "c4d.h"
#include "fuzz_common.h"
#include "registered_pulsor.h"
#include "scene_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	pulsor_fuzz::QuietHostWithPulsor();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::filesystem::path& scratch = pulsor_fuzz::ScratchFolder();
	const std::filesystem::path input = scratch / "scene";
	const std::vector<uint8_t> file = pulsor_fuzz::WithValidChecksums(data, size);
	pulsor_fuzz::WriteBytes(input, file.data(), file.size());

	std::string problem;
	BaseDocument* doc = LoadDocument(Filename(input.string().c_str()), &problem);
	if (!doc)
	{
		// A refusal always says why.
		if (problem.empty())
			std::abort();
		return 0;
	}
	HostSetActiveDocument(doc);
	const BaseTime start = doc->GetTime();
	for (int frame = 0; frame < 3; ++frame)
	{
		doc->SetTime(BaseTime((Real)frame, 30.0));
		doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	}
	doc->SetTime(start);
	const std::filesystem::path saved = scratch / "saved";
	if (SaveDocument(*doc, Filename(saved.string().c_str()), &problem))
	{
		BaseDocument* again = LoadDocument(Filename(saved.string().c_str()), &problem);
		// What was saved loads.
		if (!again)
			std::abort();
		BaseDocument::Free(again);
	}
	HostSetActiveDocument(nullptr);
	BaseDocument::Free(doc);
	return 0;
}
