// pulsorhost's JSON scene reader on arbitrary text, with the Pulsor tag
// registered. Every input either loads, and is then evaluated over a few
// frames, or is refused with a problem to report; any other exception, a
// crash or a sanitizer report is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "c4d.h"
#include "fuzz_common.h"
#include "registered_pulsor.h"
#include "scene.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	pulsor_fuzz::QuietHostWithPulsor();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);
	Scene scene;
	scene.doc.reset(BaseDocument::Alloc());
	HostSetActiveDocument(scene.doc.get());
	try
	{
		ReadJsonScene("fuzz.json", text, scene.doc.get(), &scene);
	}
	catch (const InputError& e)
	{
		// A refusal always says why.
		if (e.problem.empty())
			std::abort();
		return 0;
	}
	for (int frame = 0; frame < 3; ++frame)
	{
		scene.doc->SetTime(BaseTime((Real)frame, (Real)scene.fps));
		scene.doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	}
	return 0;
}
