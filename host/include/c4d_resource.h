// A module's resources: its string table and its description resources,
// read from the module's "res" folder.
//
// Files, all plain text (see host/src/resource.cpp for the grammar):
//   res/c4d_symbols.h                          enum { IDS_NAME = 10000, ... };
//   res/strings_us/c4d_strings.str             STRINGTABLE { IDS_NAME "text"; ... }
//   res/description/<Name>.res                 CONTAINER Name { NAME Name; INCLUDE Texpression; ... }
//   res/description/<Name>.h                   enum { Name = 1031805, ... };
//   res/strings_us/description/<Name>.str      STRINGTABLE Name { Name "Display name"; ... }
#ifndef C4D_RESOURCE_H__
#define C4D_RESOURCE_H__

#include "c4d_file.h"
#include "c4d_general.h"

class GeResource
{
public:
	GeResource();
	~GeResource();

	// Loads the resources of the module in folder and registers its
	// descriptions with the host. FALSE, with a line on the host's console
	// naming file, line and problem, when a file is malformed or missing.
	Bool Init(const Filename& folder);
	// The same for the running module.
	Bool Init() { return Init(GeGetPluginPath()); }
	void Free();

	// The string with id, or empty text; valid until the next Init or Free.
	const String& LoadString(LONG id) const;

private:
	GeResource(const GeResource&);
	GeResource& operator=(const GeResource&);
	struct Impl;
	Impl* impl_;
};

// The running module's resources (defined by the glue).
extern GeResource resource;

// String id of the running module's string table; empty when absent.
const String& GeLoadString(LONG id);

#endif
