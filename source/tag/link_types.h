// The kinds of parameter a tag can link: where their values live in the typed
// blocks, and the arithmetic of each, one row per type.
#ifndef PULSOR_LINK_TYPES_H__
#define PULSOR_LINK_TYPES_H__

#include "pulsor_ids.h"

enum
{
	// No slot: a stored slot outside the typed blocks. No mode: a stored mode
	// that is none of PULSOR_MODE_SINGLE, _VECTOR and _LONG.
	PULSOR_SLOT_NONE = -1,
	PULSOR_MODE_NONE = 0
};

// How a typed value is stored and computed.
enum PulsorValueKind
{
	PULSOR_VALUE_REAL,    // reals; a bool's block holds 0.0 or 1.0
	PULSOR_VALUE_LONG,
	PULSOR_VALUE_TIME,
	PULSOR_VALUE_VECTOR
};

// A typed value as one (real, integer, time in frames) or three (vector)
// reals.
struct Channels
{
	Real v[3];
	LONG count;
};

// The value of kind at id. Times become whole frames at fps.
Channels ReadChannels(const BaseContainer& data, LONG id, PulsorValueKind kind, Real fps);

// One row of the link type table: PULSOR_LINK_TYPE, PULSOR_TYPE_SLOT and
// PULSOR_COMPONENT_MODE always change together, and everything the tag does
// with a value of the type is here.
struct LinkTypeRow
{
	LONG linkType;
	LONG slot;
	LONG mode;
	PulsorValueKind kind;

	// The output's sum of channels, as the engine stores it in its result at
	// id. A bool compares the sum with the tag's threshold and also stores
	// that distance.
	void (*storeOutput)(const BaseContainer& data, const Real* total, Real fps, LONG id, BaseContainer* out);
	// What the parameter receives: the stored output plus the parameter's own
	// value, in the parameter's type.
	GeData (*valueToWrite)(const GeData& output, const GeData& own, Real fps);
	// The type's zero at id.
	void (*zero)(BaseContainer* data, LONG id);
	// A new tab's variation at variation: half the base end value at end.
	void (*seedNewTab)(BaseContainer* data, LONG variation, LONG end);
	// A new link's values, from the parameter's current value: the end value
	// at end, and every tab's variation.
	void (*seedEnd)(BaseContainer* data, LONG end, const GeData& current);
	void (*seedLinkedTab)(BaseContainer* data, LONG variation, const GeData& current, Real fps);
};

// The row of a link type, or null for a type the tag does not link.
const LinkTypeRow* FindLinkType(LONG linkType);

// Writes every type's zero into the typed block at start; the unused slot and
// skipSlot (a slot, or PULSOR_SLOT_NONE) are left as they are.
void ZeroBlock(BaseContainer* data, LONG start, LONG skipSlot);

#endif
