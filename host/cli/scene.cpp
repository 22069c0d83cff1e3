#include "scene.h"


#include "host_services.h"
#include "host_string.h"
#include "platform.h"
#include "pulsor_ids.h"
#include "scene_file.h"
#include "tag_edits.h"
#include "tag_link.h"

std::string InputError::Line() const
{
	return file + ": " + (place.empty() ? std::string() : place + ": ") + problem;
}

void DocumentFree::operator()(BaseDocument* doc) const
{
	if (GetActiveDocument() == doc)
		HostSetActiveDocument(nullptr);
	BaseDocument::Free(doc);
}

namespace
{

// Saved scenes open with the container file's magic; JSON scenes open with
// an object (and anything else that opens like JSON is refused as JSON).
bool LooksLikeJson(const std::string& text)
{
	for (char c : text)
	{
		if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
			continue;
		return c == '{' || c == '[';
	}
	return false;
}

double Frames(const BaseTime& t, LONG fps)
{
	// Numerator times fps first: a whole frame stays whole.
	return t.GetNumerator() * fps / t.GetDenominator();
}

// A saved scene's tags come whole from the file, with as many tabs as it
// lists; the JSON reader checks each edit as it makes it.
void CheckLimits(const Scene& scene)
{
	const std::vector<BaseTag*> tags = PulsorTags(scene.doc.get());
	if (tags.size() > kMaxPulsorTags)
		throw InputError{ scene.file, "", "more than " + std::to_string(kMaxPulsorTags) + " Pulsor tags" };
	size_t all = 0;
	for (BaseTag* tag : tags)
	{
		const size_t count = TabCount(tag);
		if (count > kMaxTabs)
			throw InputError{ scene.file, "", "the Pulsor tag \"" + tag->GetName().GetStdString() + "\" has more than "
				+ std::to_string(kMaxTabs) + " modifier tabs" };
		all += count;
	}
	if (all > kMaxDocumentTabs)
		throw InputError{ scene.file, "", "more than " + std::to_string(kMaxDocumentTabs) + " modifier tabs" };
}

} // namespace

Scene LoadScene(const std::string& path)
{
	Scene scene;
	scene.file = path;
	// Bounded before anything is held: a huge file or an endless stream is
	// refused, not read until memory runs out.
	std::string text, problem;
	if (!platform::ReadFileBounded(path, platform::kMaxInputFileSize, &text, &problem))
		throw InputError{ path, "", problem };
	if (LooksLikeJson(text))
	{
		scene.doc.reset(BaseDocument::Alloc());
		// The program never undoes: a history would only grow with each edit.
		HostSetUndoLimit(scene.doc.get(), 0);
		HostSetActiveDocument(scene.doc.get());
		ReadJsonScene(path, text, scene.doc.get(), &scene);
		return scene;
	}
	scene.doc.reset(LoadDocument(Filename(HostString(path)), &problem, FollowCatalogue));
	if (!scene.doc)
		throw InputError{ path, "", "not a scene: " + problem };
	HostSetUndoLimit(scene.doc.get(), 0);
	HostSetActiveDocument(scene.doc.get());
	CheckLimits(scene);
	scene.fps = scene.doc->GetFps();
	scene.from = Frames(scene.doc->GetMinTime(), scene.fps);
	scene.to = Frames(scene.doc->GetMaxTime(), scene.fps);
	return scene;
}

std::vector<BaseTag*> PulsorTags(BaseDocument* doc)
{
	std::vector<BaseTag*> tags;
	for (LONG i = 0; doc && i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		for (LONG k = 0; k < op->GetTagCount(); ++k)
			if (op->GetTagByIndex(k)->GetType() == PULSOR_TAG_ID)
				tags.push_back(op->GetTagByIndex(k));
	}
	return tags;
}

BaseTag* FindPulsorTag(const Scene& scene, const std::string& name)
{
	for (BaseTag* tag : PulsorTags(scene.doc.get()))
		if (tag->GetName().GetStdString() == name)
			return tag;
	throw InputError{ scene.file, "", "no Pulsor tag named \"" + name + "\"" };
}
