#include "scene.h"

#include <fstream>
#include <sstream>

#include "host_services.h"
#include "pulsor_ids.h"
#include "scene_file.h"

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

} // namespace

Scene LoadScene(const std::string& path)
{
	Scene scene;
	scene.file = path;
	std::ifstream in(path, std::ios::binary);
	if (!in)
		throw InputError{ path, "", "cannot open the file" };
	std::ostringstream text;
	text << in.rdbuf();
	if (LooksLikeJson(text.str()))
	{
		scene.doc.reset(BaseDocument::Alloc());
		// The program never undoes: a history would only grow with each edit.
		HostSetUndoLimit(scene.doc.get(), 0);
		HostSetActiveDocument(scene.doc.get());
		ReadJsonScene(path, text.str(), scene.doc.get(), &scene);
		return scene;
	}
	std::string problem;
	scene.doc.reset(LoadDocument(Filename(path), &problem));
	if (!scene.doc)
		throw InputError{ path, "", "not a scene: " + problem };
	HostSetUndoLimit(scene.doc.get(), 0);
	HostSetActiveDocument(scene.doc.get());
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
