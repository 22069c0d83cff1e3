// The module's one public header: every identifier of the Pulsor tag's
// container, in one place, and how a tab's identifiers decode. A host, a
// script or a tool reads and writes the tag's container by these alone.
//
// The lists below are X-macros: each entry names an identifier once, and the
// enums, the name tables of the printer and the decoders are all expanded
// from them.
#ifndef PULSOR_IDS_H__
#define PULSOR_IDS_H__

#include "c4d.h"

enum
{
	PULSOR_TAG_ID = 1031805,
	PULSOR_ICON_ID = 1031911
};

// The help site. Its pages live at "/training/pulsor/base",
// "/training/pulsor/output" and "/training/pulsor/" + the lower-case
// modifier type name; a static server rooted at the help pages serves them.
#define PULSOR_HELP_SITE "http://127.0.0.1:8742"
#define PULSOR_HELP_PATH "/training/pulsor/"

// The layout version this module writes.
const Real PULSOR_CURRENT_VERSION = 1.0;
// Stored versions below this one get their label containers rebuilt.
const Real PULSOR_LABELS_VERSION = 0.89;

// What an identifier holds; decides how the printer shows the entries around
// it and how wide a block is.
enum PulsorIdKind
{
	PULSOR_KIND_ENTRY,     // one value
	PULSOR_KIND_TYPED,     // a block of 7 values, one per type slot
	PULSOR_KIND_DISPLAY,   // a block of displays at start + component mode + k
	PULSOR_KIND_COMMAND,   // a button; holds no value
	PULSOR_KIND_LABELS     // a sub-container of label texts
};

// Global entries: X(name, id, kind).
#define PULSOR_GLOBAL_IDS(X) \
	X(PULSOR_ADD_MODIFIER, 2001, PULSOR_KIND_ENTRY) \
	X(PULSOR_CURVE_LIBRARY, 2002, PULSOR_KIND_ENTRY) \
	X(PULSOR_STRENGTH, 2004, PULSOR_KIND_ENTRY) \
	X(PULSOR_THRESHOLD, 2007, PULSOR_KIND_ENTRY) \
	X(PULSOR_INVERT, 2008, PULSOR_KIND_ENTRY) \
	X(PULSOR_LINKED_NAME, 2011, PULSOR_KIND_ENTRY) \
	X(PULSOR_AUTO_NAME, 2012, PULSOR_KIND_ENTRY) \
	X(PULSOR_START_VALUE, 2015, PULSOR_KIND_TYPED) \
	X(PULSOR_END_VALUE, 2067, PULSOR_KIND_TYPED) \
	X(PULSOR_TIME_CURVE, 2117, PULSOR_KIND_ENTRY) \
	X(PULSOR_START_TIME, 2119, PULSOR_KIND_ENTRY) \
	X(PULSOR_END_TIME, 2121, PULSOR_KIND_ENTRY) \
	X(PULSOR_PLAYBACK, 2122, PULSOR_KIND_ENTRY) \
	X(PULSOR_MATCH_TIMELINE, 2124, PULSOR_KIND_COMMAND) \
	X(PULSOR_IGNORE_KEYS, 2125, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_LIST, 2127, PULSOR_KIND_ENTRY) \
	X(PULSOR_LINK_DESCID, 2128, PULSOR_KIND_ENTRY) \
	X(PULSOR_LINK_TYPE, 2129, PULSOR_KIND_ENTRY) \
	X(PULSOR_COMPONENT_MODE, 2131, PULSOR_KIND_ENTRY) \
	X(PULSOR_LINK, 2132, PULSOR_KIND_ENTRY) \
	X(PULSOR_LINK_CLASS, 2133, PULSOR_KIND_ENTRY) \
	X(PULSOR_LINK_DESCRIPTION, 2134, PULSOR_KIND_ENTRY) \
	X(PULSOR_CAPTURED_VALUE, 2135, PULSOR_KIND_TYPED) \
	X(PULSOR_LAST_FRAME, 2185, PULSOR_KIND_ENTRY) \
	X(PULSOR_VOLUME, 2187, PULSOR_KIND_ENTRY) \
	X(PULSOR_MASTER_DISPLAY, 2189, PULSOR_KIND_DISPLAY) \
	X(PULSOR_BASE_DISPLAY, 2240, PULSOR_KIND_DISPLAY) \
	X(PULSOR_FINAL_OUTPUT, 2291, PULSOR_KIND_TYPED) \
	X(PULSOR_TYPE_SLOT, 2341, PULSOR_KIND_ENTRY) \
	X(PULSOR_THRESHOLD_DISTANCE, 2342, PULSOR_KIND_ENTRY) \
	X(PULSOR_CONVERT_TO_KEYS, 2355, PULSOR_KIND_COMMAND) \
	X(PULSOR_KEY_SEQUENCE, 2356, PULSOR_KIND_ENTRY) \
	X(PULSOR_KEY_FROM, 2357, PULSOR_KIND_ENTRY) \
	X(PULSOR_KEY_TO, 2358, PULSOR_KIND_ENTRY) \
	X(PULSOR_TYPE_NAMES, 2359, PULSOR_KIND_LABELS) \
	X(PULSOR_ICON_KIND, 2360, PULSOR_KIND_ENTRY) \
	X(PULSOR_TIME_OFFSET, 2362, PULSOR_KIND_ENTRY) \
	X(PULSOR_DATA_VERSION, 2366, PULSOR_KIND_ENTRY) \
	X(PULSOR_HELP_BASE, 2367, PULSOR_KIND_COMMAND) \
	X(PULSOR_FEEDBACK, 2368, PULSOR_KIND_ENTRY) \
	X(PULSOR_LAST_LINK_TYPE, 2371, PULSOR_KIND_ENTRY) \
	X(PULSOR_CLEAR_KEYS, 2373, PULSOR_KIND_COMMAND) \
	X(PULSOR_HAS_KEYS, 2375, PULSOR_KIND_ENTRY) \
	X(PULSOR_RANGE_MIN, 2376, PULSOR_KIND_ENTRY) \
	X(PULSOR_RANGE_MAX, 2377, PULSOR_KIND_ENTRY) \
	X(PULSOR_BAKE_DIRECT, 2378, PULSOR_KIND_COMMAND) \
	X(PULSOR_HELP_OUTPUT, 2383, PULSOR_KIND_COMMAND) \
	X(PULSOR_MODIFIER_LABELS, 2386, PULSOR_KIND_LABELS) \
	X(PULSOR_ADD_LABELS, 2387, PULSOR_KIND_LABELS) \
	X(PULSOR_BASE_PLAYBACK_LABELS, 2388, PULSOR_KIND_LABELS) \
	X(PULSOR_STRENGTH_MODE_LABELS, 2389, PULSOR_KIND_LABELS) \
	X(PULSOR_TAB_PLAYBACK_LABELS, 2390, PULSOR_KIND_LABELS) \
	X(PULSOR_REBUILD_LABELS, 2391, PULSOR_KIND_COMMAND) \
	X(PULSOR_WRITTEN_VALUE, 2392, PULSOR_KIND_ENTRY) \
	X(PULSOR_SHOW_PRESETS, 5001, PULSOR_KIND_ENTRY) \
	X(PULSOR_PRESET_NAME, 5003, PULSOR_KIND_ENTRY) \
	X(PULSOR_PRESET_FOLDER, 5004, PULSOR_KIND_ENTRY) \
	X(PULSOR_PRESET_BROWSE, 5005, PULSOR_KIND_COMMAND) \
	X(PULSOR_PRESET_CHOICE, 5006, PULSOR_KIND_ENTRY) \
	X(PULSOR_PRESET_SAVE, 5007, PULSOR_KIND_COMMAND) \
	X(PULSOR_PRESET_LOAD, 5008, PULSOR_KIND_COMMAND) \
	X(PULSOR_PRESET_REFRESH, 5011, PULSOR_KIND_COMMAND) \
	X(PULSOR_PRESET_LIST, 5012, PULSOR_KIND_LABELS)

// Fields of a modifier tab, as offsets from its tab base: X(name, offset, kind).
#define PULSOR_TAB_FIELDS(X) \
	X(PULSOR_TAB_TYPE, 3, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_NAME, 4, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_STRENGTH, 5, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_VARIATION, 59, PULSOR_KIND_TYPED) \
	X(PULSOR_TAB_POSITIVE, 110, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_NEGATIVE, 160, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_LOOP_POINT, 211, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_TIME_OFFSET, 212, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_UNIFORM, 214, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_SPEED, 215, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_SEED, 216, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_BIAS, 217, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_CUSTOM_CURVE, 219, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_STRENGTH_MODE, 221, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_STRENGTH_CURVE, 222, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_START_TIME, 224, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_END_TIME, 226, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_PLAYBACK, 228, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_MATCH_TIMELINE, 229, PULSOR_KIND_COMMAND) \
	X(PULSOR_TAB_REMAP_CURVE, 232, PULSOR_KIND_ENTRY) \
	X(PULSOR_TAB_FEEDBACK_DISPLAY, 234, PULSOR_KIND_DISPLAY) \
	X(PULSOR_TAB_DELETE, 287, PULSOR_KIND_COMMAND) \
	X(PULSOR_TAB_MOVE_UP, 288, PULSOR_KIND_COMMAND) \
	X(PULSOR_TAB_MOVE_DOWN, 289, PULSOR_KIND_COMMAND) \
	X(PULSOR_TAB_DUPLICATE, 290, PULSOR_KIND_COMMAND) \
	X(PULSOR_TAB_OUTPUT_DISPLAY, 291, PULSOR_KIND_DISPLAY) \
	X(PULSOR_TAB_HELP, 341, PULSOR_KIND_COMMAND)

#define PULSOR_DECLARE_ID(name, value, kind) name = value,
enum PulsorGlobalId
{
	PULSOR_GLOBAL_IDS(PULSOR_DECLARE_ID)
	// The keyframe clearing that records no undo step shares its number with
	// the type names; no control is built for it.
	PULSOR_CLEAR_KEYS_NO_UNDO = PULSOR_TYPE_NAMES
};
enum PulsorTabField
{
	PULSOR_TAB_FIELDS(PULSOR_DECLARE_ID)
	PULSOR_TAB_FIRST_OFFSET = 1,
	PULSOR_TAB_LAST_OFFSET = 342
};
#undef PULSOR_DECLARE_ID

// The pages, and the groups and separators of the attribute layout; they
// never hold a value.
enum
{
	PULSOR_BASE_PAGE = 2000,
	PULSOR_OUTPUT_PAGE = 2186,
	PULSOR_TAB_PAGE = 1
};

enum
{
	PULSOR_BASE_SEP_ADD = 2003,
	PULSOR_BASE_SEP_STRENGTH = 2005,
	PULSOR_BASE_THRESHOLD_ROW = 2006,
	PULSOR_BASE_CAPTION_ROW = 2010,
	PULSOR_BASE_VALUE_ROW = 2013,
	PULSOR_BASE_TIME_ROW = 2118,
	PULSOR_BASE_TIME_SEP = 2120,
	PULSOR_BASE_SEP_PLAYBACK = 2123,
	PULSOR_OUTPUT_SEP_VOLUME = 2188,
	PULSOR_OUTPUT_SEP_MASTER = 2239,
	PULSOR_OUTPUT_SEP_BASE = 2290,
	PULSOR_KEYFRAME_GROUP = 2354,
	PULSOR_BASE_START_COLUMN = 2363,
	PULSOR_BASE_SPACER_COLUMN = 2364,
	PULSOR_BASE_END_COLUMN = 2365,
	PULSOR_OUTPUT_SEP_FINAL = 2369,
	PULSOR_BASE_BUTTON_ROW = 2370,
	PULSOR_BASE_BUTTON_SEP = 2372,
	PULSOR_KEYFRAME_BUTTON_ROW = 2374,
	PULSOR_OUTPUT_BUTTON_SEP = 2384,
	PULSOR_OUTPUT_BUTTON_ROW = 2385,
	PULSOR_PRESET_PAGE = 5002
};
// Offsets of a modifier tab's groups and separators from its tab base.
enum
{
	PULSOR_TAB_TYPE_ROW = 2,
	PULSOR_TAB_SEP_STRENGTH = 6,
	PULSOR_TAB_VARIATION_ROW = 7,
	PULSOR_TAB_VALUE_COLUMN = 8,
	PULSOR_TAB_DIRECTION_COLUMN = 9,
	PULSOR_TAB_DIRECTION_ROW_Y = 10,
	PULSOR_TAB_DIRECTION_ROW_Z = 11,
	// The first component's direction row; no field or other element of a
	// tab uses this offset.
	PULSOR_TAB_DIRECTION_ROW_X = 12,
	PULSOR_TAB_SEP_DIRECTION = 210,
	PULSOR_TAB_SEP_WAVE = 213,
	PULSOR_TAB_CUSTOM_GROUP = 218,
	PULSOR_TAB_ADVANCED_GROUP = 220,
	PULSOR_TAB_TIME_ROW = 223,
	PULSOR_TAB_TIME_SEP = 225,
	PULSOR_TAB_SEP_REMAP = 230,
	PULSOR_TAB_REMAP_GROUP = 231,
	PULSOR_TAB_SEP_FEEDBACK = 233,
	PULSOR_TAB_BUTTON_ROW = 284,
	PULSOR_TAB_OUTPUT_SEP = 285,
	PULSOR_TAB_BUTTON_SEP = 342
};

// The typed blocks (PULSOR_KIND_TYPED): one entry per type slot, the linked
// type's at block + PULSOR_TYPE_SLOT.
enum PulsorTypeSlot
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

// PULSOR_COMPONENT_MODE: where a display block's entries start. One value
// sits at block + mode; three components at block + 2, 3 and 4.
enum PulsorComponentMode
{
	PULSOR_MODE_SINGLE = 1,
	PULSOR_MODE_VECTOR = 2,
	PULSOR_MODE_LONG = 8
};

// Commands from 5000 to 5100 belong to the presets.
enum
{
	PULSOR_PRESET_FIRST_COMMAND = 5000,
	PULSOR_PRESET_LAST_COMMAND = 5100
};

// The entries of the preset page itself (its folder, name, choice and list),
// which a preset file neither carries nor sets: a shared preset must not
// choose where the next save goes. The page owns the hundred identifiers
// from 5000; the command range above reaches one further, to 5100, which no
// control and no entry uses, so the two agree on every identifier the tag
// has. A foreign entry at 5100 in a file is kept like any other.
enum
{
	PULSOR_PRESET_ENTRIES_FIRST = 5000,
	PULSOR_PRESET_ENTRIES_LAST = 5099
};

// PULSOR_ICON_KIND: which cell of the icon strip the tag shows.
enum PulsorIconKind
{
	PULSOR_ICON_UNLINKED = 0,
	PULSOR_ICON_POSITION = 2,
	PULSOR_ICON_SCALE = 3,
	PULSOR_ICON_ROTATION = 4,
	// The first letter or digit of the linked parameter's name.
	PULSOR_ICON_GLYPH = 7
};

// A tab's PULSOR_TAB_STRENGTH_MODE: the strength envelope's shape. Every mode
// but "Custom" copies its curve from the library.
enum PulsorStrengthMode
{
	PULSOR_STRENGTH_FULL_POWER = 0,
	PULSOR_STRENGTH_FADE_UP = 1,
	PULSOR_STRENGTH_FADE_DOWN = 2,
	PULSOR_STRENGTH_EASE_IN = 3,
	PULSOR_STRENGTH_EASE_OUT = 4,
	PULSOR_STRENGTH_EASE_IN_OUT = 5,
	PULSOR_STRENGTH_CUSTOM = 6
};

// PULSOR_AUTO_NAME of a tag that was never linked: its name is free to
// follow the first parameter linked.
#define PULSOR_AUTO_NAME_UNSET "Empty"

// Preset files: "<preset name>HF" in the preset folder, a container file
// identified by 't', 'e', 'm', 'p'.
#define PULSOR_PRESET_SUFFIX "HF"
enum
{
	PULSOR_PRESET_IDENT = 'temp'
};

// Entries of the tab list (PULSOR_TAB_LIST).
enum
{
	PULSOR_TAB_LIST_COUNT = 0,
	PULSOR_TAB_LIST_FIRST = 5
};

// Identifiers of 10001 and more name fields of modifier tabs.
enum
{
	PULSOR_FIRST_TAB_ID = 10001,
	PULSOR_TAB_STRIDE = 10000,
	PULSOR_TAB_BASE_OFFSET = 2000
};

// The largest tab number whose whole identifier range (base + 1 .. base +
// 9999) fits in 32 bits.
const LONG PULSOR_MAX_TAB_NUMBER = (0x7fffffff - PULSOR_TAB_BASE_OFFSET - (PULSOR_TAB_STRIDE - 1)) / PULSOR_TAB_STRIDE;

inline LONG TabBase(LONG number)
{
	return number * PULSOR_TAB_STRIDE + PULSOR_TAB_BASE_OFFSET;
}

// An identifier of a modifier tab's field, split up.
struct TabField
{
	LONG number;
	LONG base;
	LONG offset;
};

// Splits an identifier of PULSOR_FIRST_TAB_ID or more into tab number, tab
// base and field offset (the non-negative remainder of id - 2000 by 10000).
// Returns FALSE, with a zeroed field, for the identifiers below: they are
// global entries. Any 32-bit identifier is safe: a container may come from a
// hostile file.
inline Bool DecodeTabId(LONG id, TabField* field)
{
	if (id < PULSOR_FIRST_TAB_ID)
	{
		field->number = field->base = field->offset = 0;
		return FALSE;
	}
	// In 64 bits, so that no input overflows.
	const LLONG rel = (LLONG)id - PULSOR_TAB_BASE_OFFSET;
	LLONG offset = rel % PULSOR_TAB_STRIDE;
	if (offset < 0)
		offset += PULSOR_TAB_STRIDE;
	const LLONG number = (rel - offset) / PULSOR_TAB_STRIDE;
	field->number = (LONG)number;
	field->base = (LONG)(number * PULSOR_TAB_STRIDE + PULSOR_TAB_BASE_OFFSET);
	field->offset = (LONG)offset;
	return TRUE;
}

// The modifier types, as PULSOR_TAB_TYPE and "Add Modifiers" hold them.
enum PulsorModifierType
{
	PULSOR_MOD_NONE = 0,
	PULSOR_MOD_NOISE = 1,
	PULSOR_MOD_SIN = 2,
	PULSOR_MOD_COS = 3,
	PULSOR_MOD_SAWTOOTH = 4,
	PULSOR_MOD_SQUARE = 5,
	PULSOR_MOD_TRIANGLE = 6,
	PULSOR_MOD_BOUNCE = 7,
	PULSOR_MOD_CUSTOM = 8,
	PULSOR_MOD_COUNT = 8
};

// Entries of PULSOR_TYPE_NAMES beyond the modifier types.
enum
{
	PULSOR_TYPE_NAME_ALL = 9,
	PULSOR_TYPE_NAME_BASE = 10
};

// Base "Playback" (counted from 1) and a tab's "Playback" (counted from 0).
enum
{
	PULSOR_PLAYBACK_ONCE = 1,
	PULSOR_PLAYBACK_LOOP = 2,
	PULSOR_PLAYBACK_PINGPONG = 3,
	PULSOR_PLAYBACK_ADDITIVE = 4,

	PULSOR_TAB_PLAYBACK_ONCE = 0,
	PULSOR_TAB_PLAYBACK_LOOP = 1,
	PULSOR_TAB_PLAYBACK_PINGPONG = 2
};

// Ids of the curve library (PULSOR_CURVE_LIBRARY).
enum PulsorCurve
{
	PULSOR_CURVE_SINE = 0,
	PULSOR_CURVE_HUMP = 1,
	PULSOR_CURVE_SAWTOOTH = 2,
	PULSOR_CURVE_STEP = 3,
	PULSOR_CURVE_TRIANGLE = 4,
	PULSOR_CURVE_BOUNCE = 5,
	PULSOR_CURVE_CONSTANT = 6,
	PULSOR_CURVE_FADE_DOWN = 7,
	PULSOR_CURVE_EASE_IN = 8,
	PULSOR_CURVE_EASE_OUT = 9,
	PULSOR_CURVE_EASE_IN_OUT = 10,
	PULSOR_CURVE_LINEAR = 11,
	PULSOR_CURVE_S = 12,
	PULSOR_CURVE_COUNT = 13
};

// The linked element's classification when it is the tag's own object.
const LONG PULSOR_LINK_CLASS_OWN_OBJECT = Obase;

#endif
