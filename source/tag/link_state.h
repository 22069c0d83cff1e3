// What a tag is linked to, read from its container in one place. Every hook
// that depends on the link reads it through ReadLinkState first and uses what
// it gives: a container may come from a damaged or hostile file, and only
// the reader decides which of its link entries can be trusted.
#ifndef PULSOR_LINK_STATE_H__
#define PULSOR_LINK_STATE_H__

#include "link_types.h"

struct LinkState
{
	// PULSOR_LINK_TYPE as stored (DTYPE_REAL when absent), and its row; null
	// for a type the tag does not link.
	LONG type;
	const LinkTypeRow* row;
	// PULSOR_TYPE_SLOT and PULSOR_COMPONENT_MODE as stored when valid: a slot
	// or mode outside the table would address identifiers far from their
	// blocks. They are kept apart from the row's own, as stored.
	LONG slot;
	LONG mode;
	// PULSOR_LINK_CLASS; absent counts as the tag's own object.
	LONG elementClass;
	// Whether the page offers the "Link" box: for every class but the own
	// object's, and also when no class is stored.
	Bool offersLinkBox;
	// Whether the container holds a parameter identifier at all, and the
	// identifier when it names a parameter (null for the new tag's single
	// level 0). It points into the container: copy it before writing there.
	Bool hasIdentifier;
	const DescID* parameter;

	// The stored type, slot and mode address the typed blocks the engine
	// computes with.
	Bool TypeUsable() const { return row && slot != PULSOR_SLOT_NONE && mode != PULSOR_MODE_NONE; }
	// And a parameter is linked.
	Bool Computable() const { return parameter && TypeUsable(); }
	// A display block's entry at blockStart + mode + k for some k of three
	// components: in modes 1 and 8 only the first is a display, the other two
	// name nothing; without a mode nothing is a display.
	Bool IsDisplay(LONG id, LONG blockStart) const;
};

void ReadLinkState(const BaseContainer& data, LinkState* link);

// The element whose parameter the tag animates: the tag's own object for an
// object link, else the linked element in the document.
BaseList2D* LinkedElement(const BaseContainer& data, const LinkState& link, BaseTag* tag, BaseDocument* doc);

#endif
