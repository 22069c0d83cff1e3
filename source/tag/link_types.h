// The kinds of parameter a tag can link, and where their values live.
#ifndef PULSOR_LINK_TYPES_H__
#define PULSOR_LINK_TYPES_H__

#include "pulsor_ids.h"

// How a typed value is stored and computed.
enum PulsorValueKind
{
	PULSOR_VALUE_REAL,    // reals; a bool's block holds 0.0 or 1.0
	PULSOR_VALUE_LONG,
	PULSOR_VALUE_TIME,
	PULSOR_VALUE_VECTOR
};

// One row of the link type table: PULSOR_LINK_TYPE, PULSOR_TYPE_SLOT and
// PULSOR_COMPONENT_MODE always change together.
struct LinkTypeRow
{
	LONG linkType;
	LONG slot;
	LONG mode;
	PulsorValueKind kind;
};

enum
{
	PULSOR_SLOT_BOOL = 0,
	PULSOR_SLOT_REAL = 1,
	PULSOR_SLOT_COLOR = 2,
	PULSOR_SLOT_LONG = 3,
	PULSOR_SLOT_UNUSED = 4,
	PULSOR_SLOT_TIME = 5,
	PULSOR_SLOT_VECTOR = 6,
	PULSOR_SLOT_COUNT = 7
};

enum
{
	PULSOR_MODE_SINGLE = 1,
	PULSOR_MODE_VECTOR = 2,
	PULSOR_MODE_LONG = 8
};

// The row of a link type, or null for a type the tag does not link.
const LinkTypeRow* FindLinkType(LONG linkType);

// The row a container's link type names, or null.
const LinkTypeRow* ContainerLinkType(const BaseContainer& data);

#endif
