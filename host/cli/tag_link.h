// What a Pulsor tag links, read from its container by identifier as a script
// reads it: the element (PULSOR_LINK_CLASS, PULSOR_LINK) and the parameter
// (PULSOR_LINK_DESCID).
#ifndef PULSORHOST_TAG_LINK_H__
#define PULSORHOST_TAG_LINK_H__

#include <string>

#include "c4d.h"

// The linked parameter's identifier; false, leaving *id alone, while nothing
// is linked: the entry is absent, of depth 0, or its first level is 0 (a new
// tag's single level 0 names no parameter).
bool LinkedParameterOf(const BaseTag* tag, DescID* id);

// The element whose parameter tag animates: its own object when the link
// class is absent or Obase, else the element PULSOR_LINK names in doc. Null
// when that element is not in doc.
BaseList2D* LinkedElementOf(BaseTag* tag, BaseDocument* doc);

// For LoadDocument: a Pulsor tag of an older scene file, linked to a
// catalogue parameter that moved, is linked to it under its id of today.
// A parameter whose values changed meaning (the old bool "Visible") cannot
// be followed: false with *problem set, the file is refused.
bool FollowCatalogue(BaseTag* tag, LONG fileVersion, std::string* problem);

#endif
