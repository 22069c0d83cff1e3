// Scene files, for embedding programs (the headless host, tools and tests).
// Built on container files: with this header come their links
// (file_links.h) and host-side control (hyperfile_host.h).
#ifndef SCENE_FILE_H__
#define SCENE_FILE_H__

#include <string>

#include "c4d_basedocument.h"
#include "c4d_hyperfile.h"
#include "file_links.h"
#include "hyperfile_host.h"

// The identification that scene files carry.
enum
{
	SCENEFILE_IDENT = C4D_FOURCC('P', 'S', 'C', 'N')
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

#endif
