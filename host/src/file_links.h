// Links in container files: how a link read from a file finds its element.
// Host-side, for the scene layer and embedding programs; modules never see
// it. The container-file layer implements the resolver hook and falls back to
// the active document; it knows nothing of scene files.
#ifndef FILE_LINKS_H__
#define FILE_LINKS_H__

#include <functional>

#include "c4d_basedocument.h"
#include "c4d_hyperfile.h"

// How a link read from a container file finds its element: by unique id,
// then by type and name. Without a resolver (or when it answers null) links
// resolve in the active document; an unresolved link reads as an empty link.
using LinkResolver = std::function<BaseList2D*(LLONG uniqueId, LONG type, const String& name)>;
void HyperFileSetLinkResolver(HyperFile* hf, LinkResolver resolver);

// The element of doc (the document itself, its objects, their tags, its
// materials) with the unique id, else the first with the type and name; null
// when there is none.
BaseList2D* FindElementForLink(const BaseDocument* doc, LLONG uniqueId, LONG type, const String& name);

// FindElementForLink over the elements doc holds now, each lookup in constant
// time: for reading many links while doc gains and loses no element.
LinkResolver DocumentLinkResolver(const BaseDocument* doc);

#endif
