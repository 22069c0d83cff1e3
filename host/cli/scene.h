// Scenes for the headless host: JSON scene files, and files that `save`
// wrote in the host's scene format, loaded into a document.
#ifndef PULSORHOST_SCENE_H__
#define PULSORHOST_SCENE_H__

#include <memory>
#include <string>
#include <vector>

#include "c4d.h"

// A problem with the program's input: the file, the place in it (a JSON
// pointer, or empty) and what is wrong. It is reported as one line.
struct InputError
{
	std::string file;
	std::string place;
	std::string problem;

	std::string Line() const;
};

struct DocumentFree
{
	void operator()(BaseDocument* doc) const;
};
using DocumentPtr = std::unique_ptr<BaseDocument, DocumentFree>;

struct Scene
{
	std::string file;
	DocumentPtr doc;
	double from = 0.0;    // frames
	double to = 0.0;
	LONG fps = 30;
};

// What a scene may hold, however its tabs are made: a tab is a few hundred
// entries that each frame evaluates, a Pulsor tag with its labels some tens
// of kilobytes.
const size_t kMaxTabs = 100;
const size_t kMaxPulsorTags = 1000;
const size_t kMaxDocumentTabs = 2000;

// Loads path, which is JSON or a saved scene, as the active document.
// Throws InputError, also for a scene beyond the limits above.
Scene LoadScene(const std::string& path);

// Every Pulsor tag of the document, in object and tag order.
std::vector<BaseTag*> PulsorTags(BaseDocument* doc);

// The Pulsor tag named name; throws InputError naming the scene file.
BaseTag* FindPulsorTag(const Scene& scene, const std::string& name);

// Reads a JSON scene into doc. Throws InputError.
void ReadJsonScene(const std::string& file, const std::string& text, BaseDocument* doc, Scene* scene);

#endif
