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
	SCENEFILE_IDENT = 'PSCN'
};

// Saves the document's settings, time, objects (with their data, tracks and
// tags) and materials, each with its unique id. FALSE with *problem set when
// the file cannot be written; an existing file then stays as it was.
bool SaveDocument(const BaseDocument& doc, const Filename& file, std::string* problem);

// What SaveDocument writes: 2 since the catalogue's parameters carry the
// host's ids. Version 1 files (the stand-in's own ids) still load, each
// parameter under its id of today.
const LONG SCENEFILE_VERSION = 2;

// A catalogue parameter as a file of an older version names it: its id of
// today, and whether its values kept their meaning. The bool "Visible" of
// version 1 (1 shown) is the editor visibility (0 on, 1 off): its values
// do not carry over as they are.
struct CurrentParameter
{
	DescID id;
	bool sameValues;
};
CurrentParameter CurrentParameterOf(LONG elementType, const DescID& saved, LONG fileVersion);

// What a plug-in tag of an older file needs to follow the catalogue, say a
// parameter id it stores: called for each plug-in tag once every element is
// restored. FALSE with *problem set refuses the file.
typedef bool (*SceneTagMigration)(BaseTag* tag, LONG fileVersion, std::string* problem);

// A new document, owned by the caller, as SaveDocument wrote it: elements keep
// their unique ids, so links between them resolve. Null with *problem set for
// a missing, foreign, truncated or corrupt file, or an older file whose
// parameters cannot all be read under today's ids.
BaseDocument* LoadDocument(const Filename& file, std::string* problem, SceneTagMigration migrate = nullptr);

// A copy of doc, owned by the caller, made in memory as SaveDocument and
// LoadDocument would make it through a file: every element with its data,
// tracks and unique id, links between them pointing into the copy. Null
// with *problem set when doc holds a value the scene format cannot store.
BaseDocument* CloneDocument(const BaseDocument& doc, std::string* problem);

// Gives a loaded element back the id it was saved with.
void HostSetUniqueId(BaseList2D* element, LLONG id);

#endif
