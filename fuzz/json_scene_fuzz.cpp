// pulsorhost's JSON scene reader on arbitrary text, with the Pulsor tag
// registered. Every input either loads, and is then evaluated over a few
// frames, or is refused with a problem to report; any other exception, a
// crash or a sanitizer report is a finding. So is a loaded scene beyond the
// caps (tabs of a tag, tabs and Pulsor tags of the scene): the seeds press
// "Duplicate", set "Add Modifiers" again and again, bake and press "Save",
// the routes that once went around them. Run it with a small
// -rss_limit_mb (512): a scene the caps let through must stay small.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "c4d.h"
#include "fuzz_common.h"
#include "pulsor_ids.h"
#include "recorder.h"
#include "registered_pulsor.h"
#include "scene.h"
#include "tag_edits.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	pulsor_fuzz::QuietHostWithPulsor();
	return 0;
}

namespace
{

// The caps of the scene reader, as the loaded document shows them.
void CheckCaps(BaseDocument* doc)
{
	const std::vector<BaseTag*> tags = PulsorTags(doc);
	if (tags.size() > kMaxPulsorTags)
		std::abort();
	size_t tabs = 0;
	for (BaseTag* tag : tags)
	{
		const size_t count = TabCount(tag);
		if (count > kMaxTabs)
			std::abort();
		tabs += count;
	}
	if (tabs > kMaxDocumentTabs)
		std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);
	Scene scene;
	scene.doc.reset(BaseDocument::Alloc());
	HostSetActiveDocument(scene.doc.get());
	std::vector<double> frames;
	try
	{
		ReadJsonScene("fuzz.json", text, scene.doc.get(), &scene);
		CheckCaps(scene.doc.get());
		// The scene's own range, as `run` takes it, within the work a run
		// may do.
		RunRange range;
		range.from = scene.from;
		range.to = scene.to;
		range.file = scene.file;
		range.fromGiven = range.toGiven = range.stepGiven = false;
		frames = FramesOf(range);
		CheckWork(scene, (double)frames.size(), "a run");
	}
	catch (const InputError& e)
	{
		// A refusal always says why.
		if (e.problem.empty())
			std::abort();
		return 0;
	}
	for (size_t f = 0; f < frames.size() && f < 3; ++f)
	{
		scene.doc->SetTime(BaseTime(frames[f], (Real)scene.fps));
		scene.doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	}
	return 0;
}
