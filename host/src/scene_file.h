// Scene files and host-side control of container files, for embedding
// programs (the headless host, tools and tests).
#ifndef SCENE_FILE_H__
#define SCENE_FILE_H__

#include <functional>
#include <string>

#include "c4d_basedocument.h"
#include "c4d_hyperfile.h"

// The identification that scene files carry.
enum
{
	SCENEFILE_IDENT = 'PSCN'
};

// Saves the document's settings, time, objects (with their data, tracks and
// tags) and materials, each with its unique id. FALSE with *problem set when
// the file cannot be written; an existing file then stays as it was.
bool SaveDocument(const BaseDocument& doc, const Filename& file, std::string* problem);

// A new document, owned by the caller, as SaveDocument wrote it: elements keep
// their unique ids, so links between them resolve. Null with *problem set for
// a missing, foreign, truncated or corrupt file.
BaseDocument* LoadDocument(const Filename& file, std::string* problem);

// Gives a loaded element back the id it was saved with.
void HostSetUniqueId(BaseList2D* element, LLONG id);

// How a link read from a container file finds its element: by unique id,
// then by type and name. Without a resolver (or when it answers null) links
// resolve in the active document; an unresolved link reads as an empty link.
using LinkResolver = std::function<BaseList2D*(LLONG uniqueId, LONG type, const String& name)>;
void HyperFileSetLinkResolver(HyperFile* hf, LinkResolver resolver);

// Why the most recent failed step of any HyperFile (open, read, write or
// close) failed, and (in *file) the file's path; empty when none failed since
// the last clearing. A module that drove the file only saw FALSE, so clear it
// before the step whose outcome is wanted.
std::string HyperFileLastProblem(std::string* file = nullptr);
void HyperFileClearLastProblem();

// The element of doc (the document itself, its objects, their tags, its
// materials) with the unique id, else the first with the type and name; null
// when there is none.
BaseList2D* FindElementForLink(const BaseDocument* doc, LLONG uniqueId, LONG type, const String& name);

#endif
