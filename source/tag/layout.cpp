// The tag's attribute page, rebuilt from the container on every request: the
// Base page, one page per modifier tab, the Output page with its Keyframe
// group and, while switched on, the Preset page.
//
// Every element is a row of one of the tables below. The host asks for single
// elements often, so a row's settings container is only built once its
// identifier has passed the single-identifier filter.
#include "link_state.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

// Host keys and control kinds the host names by number only.
enum
{
	DESC_KEY_39 = 39,
	DESC_KEY_40 = 40,
	CONTROL_CYCLE = 200000180
};

// ---- Settings recipes -------------------------------------------------------

enum ValueKind
{
	V_LONG,
	V_REAL,
	V_BOOL,
	V_TIME,              // seconds
	V_LABELS,            // the tag's label container with the value's id
	V_REFUSE_OBJECTS,    // refuse the tag's own kind of element: objects
	V_TRUE_FOR_COLOUR    // TRUE only while a colour is linked, else not set
};

struct Setting
{
	LONG key;
	ValueKind kind;
	Real value;
};

#define RECIPE(name) name, (LONG)(sizeof(name) / sizeof(name[0]))
#define NO_RECIPE nullptr, 0

// Groups.
const Setting kOpen1Stretched[] = { { DESC_COLUMNS, V_LONG, 1 }, { DESC_DEFAULT, V_REAL, 1.0 }, { DESC_SCALEH, V_BOOL, 1 } };
const Setting kOpen1[] = { { DESC_COLUMNS, V_LONG, 1 }, { DESC_DEFAULT, V_REAL, 1.0 } };
const Setting kOpen2[] = { { DESC_COLUMNS, V_LONG, 2 }, { DESC_DEFAULT, V_REAL, 1.0 } };
const Setting kOpen3[] = { { DESC_COLUMNS, V_LONG, 3 }, { DESC_DEFAULT, V_REAL, 1.0 } };
const Setting kOpen4[] = { { DESC_COLUMNS, V_LONG, 4 }, { DESC_DEFAULT, V_REAL, 1.0 } };
const Setting kClosed1[] = { { DESC_COLUMNS, V_LONG, 1 }, { DESC_DEFAULT, V_REAL, 0.0 } };
const Setting kClosed2[] = { { DESC_COLUMNS, V_LONG, 2 }, { DESC_DEFAULT, V_REAL, 0.0 } };
const Setting kValueRow[] = { { DESC_COLUMNS, V_LONG, 3 }, { DESC_LAYOUTGROUP, V_BOOL, 1 }, { DESC_DEFAULT, V_REAL, 1.0 },
	{ DESC_SCALEH, V_BOOL, 1 } };
const Setting kButtonRow3[] = { { DESC_COLUMNS, V_LONG, 3 }, { DESC_LAYOUTGROUP, V_BOOL, 0 }, { DESC_DEFAULT, V_REAL, 1.0 },
	{ DESC_SCALEH, V_BOOL, 0 } };
const Setting kButtonRow7[] = { { DESC_COLUMNS, V_LONG, 7 }, { DESC_LAYOUTGROUP, V_BOOL, 0 }, { DESC_DEFAULT, V_REAL, 1.0 },
	{ DESC_SCALEH, V_BOOL, 0 } };
const Setting kVariationRow[] = { { DESC_COLUMNS, V_LONG, 2 }, { DESC_LAYOUTGROUP, V_BOOL, 1 }, { DESC_DEFAULT, V_REAL, 1.0 },
	{ DESC_SCALEH, V_BOOL, 1 }, { DESC_KEY_39, V_BOOL, 0 } };
const Setting kDirectionColumn[] = { { DESC_COLUMNS, V_LONG, 1 }, { DESC_LAYOUTGROUP, V_BOOL, 1 },
	{ DESC_DEFAULT, V_REAL, 1.0 }, { DESC_SCALEH, V_BOOL, 1 }, { DESC_KEY_39, V_BOOL, 0 } };

// Separators; the stretched one also carries the label "N/A" in its row.
const Setting kSeparator[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_SEPARATOR }, { DESC_SEPARATORLINE, V_BOOL, 1 } };
const Setting kStretchedSeparator[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_SEPARATOR }, { DESC_SEPARATORLINE, V_BOOL, 1 },
	{ DESC_SCALEH, V_BOOL, 1 } };

// Buttons and plain controls.
const Setting kButton[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_BUTTON } };
const Setting kHelpButton[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_BITMAPBUTTON }, { BITMAPBUTTON_BUTTON, V_BOOL, 1 } };
const Setting kCheckBox[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_BOOL } };
const Setting kNumberField[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_REAL } };
const Setting kTextField[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_STRING } };
const Setting kStaticText[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_STATICTEXT } };
const Setting kStretched[] = { { DESC_SCALEH, V_BOOL, 1 } };
const Setting kNotStretched[] = { { DESC_SCALEH, V_BOOL, 0 } };

// Base page.
const Setting kAddCycle[] = { { DESC_KEY_40, V_BOOL, 1 }, { DESC_KEY_39, V_BOOL, 0 },
	{ DESC_CYCLE, V_LABELS, PULSOR_ADD_LABELS } };
const Setting kBaseStrength[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_REALSLIDER }, { DESC_UNIT, V_LONG, DESC_UNIT_PERCENT },
	{ DESC_STEP, V_REAL, 0.01 }, { DESC_MINSLIDER, V_REAL, 0.0 }, { DESC_MAXSLIDER, V_REAL, 1.0 },
	{ DESC_DEFAULT, V_REAL, 1.0 } };
const Setting kLinkBox[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_LINKBOX }, { DESC_KEY_40, V_BOOL, 1 },
	{ DESC_KEY_39, V_BOOL, 0 }, { DESC_REFUSE, V_REFUSE_OBJECTS, 0 } };
const Setting kThreshold[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_REAL }, { DESC_STEP, V_REAL, 0.1 } };
const Setting kInvert[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_BOOL }, { DESC_DEFAULT, V_BOOL, 0 } };
const Setting kTimeAtStart[] = { { DESC_DEFAULT, V_TIME, 0.0 } };
const Setting kTimeAtEnd[] = { { DESC_DEFAULT, V_TIME, 3.0 } };
const Setting kBasePlayback[] = { { DESC_CUSTOMGUI, V_LONG, CONTROL_CYCLE }, { DESC_KEY_40, V_BOOL, 1 },
	{ DESC_KEY_39, V_BOOL, 0 }, { DESC_CYCLE, V_LABELS, PULSOR_BASE_PLAYBACK_LABELS },
	{ DESC_DEFAULT, V_LONG, PULSOR_PLAYBACK_ONCE } };
const Setting kIgnoreKeys[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_BOOL }, { DESC_DEFAULT, V_BOOL, 1 } };

// Modifier tabs.
const Setting kModifierCycle[] = { { DESC_CUSTOMGUI, V_LONG, CONTROL_CYCLE }, { DESC_KEY_40, V_BOOL, 1 },
	{ DESC_KEY_39, V_BOOL, 0 }, { DESC_CYCLE, V_LABELS, PULSOR_MODIFIER_LABELS } };
const Setting kNameField[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_STRING }, { DESC_KEY_40, V_BOOL, 1 },
	{ DESC_KEY_39, V_BOOL, 0 } };
const Setting kTabStrength[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_REALSLIDER }, { DESC_UNIT, V_LONG, DESC_UNIT_PERCENT },
	{ DESC_STEP, V_REAL, 0.01 }, { DESC_MINSLIDER, V_REAL, 0.0 }, { DESC_MAXSLIDER, V_REAL, 1.0 } };
const Setting kVariation[] = { { DESC_GUIOPEN, V_TRUE_FOR_COLOUR, 1 }, { DESC_SCALEH, V_BOOL, 0 } };
const Setting kLoopPoint[] = { { DESC_MIN, V_TIME, 0.0 } };
const Setting kSpeed[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_REAL }, { DESC_MIN, V_REAL, 0.0 }, { DESC_STEP, V_REAL, 0.01 } };
const Setting kSeed[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_LONG }, { DESC_MAX, V_LONG, 100000 }, { DESC_MIN, V_LONG, 0 } };
const Setting kBias[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_REAL }, { DESC_UNIT, V_LONG, DESC_UNIT_PERCENT },
	{ DESC_MIN, V_REAL, 0.0 }, { DESC_MAX, V_REAL, 1.0 }, { DESC_STEP, V_REAL, 0.01 } };
const Setting kStrengthMode[] = { { DESC_CUSTOMGUI, V_LONG, CONTROL_CYCLE }, { DESC_KEY_40, V_BOOL, 1 },
	{ DESC_KEY_39, V_BOOL, 0 }, { DESC_CYCLE, V_LABELS, PULSOR_STRENGTH_MODE_LABELS } };
const Setting kTabPlayback[] = { { DESC_CUSTOMGUI, V_LONG, CONTROL_CYCLE }, { DESC_KEY_40, V_BOOL, 1 },
	{ DESC_KEY_39, V_BOOL, 0 }, { DESC_CYCLE, V_LABELS, PULSOR_TAB_PLAYBACK_LABELS } };
const Setting kFeedbackSlider[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_REALSLIDERONLY }, { DESC_MIN, V_REAL, -1.0 },
	{ DESC_MAX, V_REAL, 1.0 } };

// Output page and presets.
const Setting kVolume[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_REALSLIDER }, { DESC_UNIT, V_LONG, DESC_UNIT_PERCENT },
	{ DESC_MINSLIDER, V_REAL, 0.0 }, { DESC_MAXSLIDER, V_REAL, 1.0 }, { DESC_STEP, V_REAL, 0.01 } };
const Setting kLevel[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_REALSLIDERONLY }, { DESC_UNIT, V_LONG, DESC_UNIT_REAL },
	{ DESC_MIN, V_REAL, 0.0 }, { DESC_MAX, V_REAL, 1.0 }, { DESC_STEP, V_REAL, 0.001 } };
const Setting kTabLevel[] = { { DESC_CUSTOMGUI, V_LONG, CUSTOMGUI_REALSLIDERONLY }, { DESC_UNIT, V_LONG, DESC_UNIT_REAL },
	{ DESC_MIN, V_REAL, 0.0 }, { DESC_MAX, V_REAL, 1.0 }, { DESC_STEP, V_REAL, 0.001 }, { DESC_EDITABLE, V_BOOL, 0 } };
const Setting kThresholdDistance[] = { { DESC_CUSTOMGUI, V_LONG, DTYPE_REAL }, { DESC_UNIT, V_LONG, DESC_UNIT_REAL },
	{ DESC_EDITABLE, V_BOOL, 0 } };
const Setting kPresetCycle[] = { { DESC_KEY_40, V_BOOL, 1 }, { DESC_KEY_39, V_BOOL, 0 },
	{ DESC_CYCLE, V_LABELS, PULSOR_PRESET_LIST } };

// ---- Rows -------------------------------------------------------------------

// How a row's identifier follows from its id.
enum IdKind
{
	ID_PLAIN,     // id
	ID_SLOT,      // id + type slot: a control that mirrors the linked value
	ID_DISPLAY    // id + mode, or id + 2, 3, 4 for three components
};

// Whether a row is added at all.
enum Condition
{
	ALWAYS,
	LINKED_ELEMENT,      // a tag or material is linked, not the own object
	BOOL_LINK,
	VALUE_LINK,          // anything but a bool
	COMPOSITE_LINK,      // a vector or colour: three direction rows
	NOISE,
	NOISE_ON_COMPOSITE,  // Noise on a colour, vector or matrix
	CUSTOM,
	THREE_COMPONENTS     // component mode 2
};

enum LabelKind
{
	LABEL_NONE,
	LABEL_TEXT,       // the row's text
	LABEL_SHORT,      // the row's text, also as the short label
	LABEL_TAB_NAME,   // the tab's name
	LABEL_CAPTION     // the linked element and parameter
};

const LONG LINKED_TYPE = -1;   // the linked parameter's data type
const LONG TOP_LEVEL = -1;     // parent of a page: the tag type
// Where a row's settings start, besides the host's defaults of a data type.
const LONG EMPTY_SETTINGS = DTYPE_NONE;
const LONG MIRROR_SETTINGS = -2;   // a copy of the linked parameter's own settings

struct Row
{
	LONG id;             // global id, or offset from the tab base
	LONG idType;         // data type in the identifier, or LINKED_TYPE
	IdKind idKind;
	LONG parent;         // group, or TOP_LEVEL
	Condition condition;
	LONG start;          // data type whose host defaults start the settings,
	                     // EMPTY_SETTINGS or MIRROR_SETTINGS
	LabelKind labelKind;
	const char* label;
	const Setting* settings;
	LONG settingCount;
};

const Row kBasePage[] = {
	{ PULSOR_BASE_PAGE, DTYPE_GROUP, ID_PLAIN, TOP_LEVEL, ALWAYS, DTYPE_GROUP, LABEL_TEXT, "Base", RECIPE(kOpen1Stretched) },
	{ PULSOR_ADD_MODIFIER, DTYPE_LONG, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_LONG, LABEL_TEXT, "Add Modifiers", RECIPE(kAddCycle) },
	{ PULSOR_BASE_SEP_ADD, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_STRENGTH, DTYPE_REAL, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_REAL, LABEL_TEXT, "Strength", RECIPE(kBaseStrength) },
	{ PULSOR_BASE_SEP_STRENGTH, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_BASE_CAPTION_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen2) },
	{ PULSOR_LINKED_NAME, DTYPE_STATICTEXT, ID_PLAIN, PULSOR_BASE_CAPTION_ROW, ALWAYS, EMPTY_SETTINGS, LABEL_CAPTION, nullptr, RECIPE(kStaticText) },
	{ PULSOR_LINK, DTYPE_BASELISTLINK, ID_PLAIN, PULSOR_BASE_CAPTION_ROW, LINKED_ELEMENT, DTYPE_BASELISTLINK, LABEL_TEXT, "Link", RECIPE(kLinkBox) },
	{ PULSOR_BASE_THRESHOLD_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_PAGE, BOOL_LINK, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen2) },
	{ PULSOR_THRESHOLD, DTYPE_REAL, ID_PLAIN, PULSOR_BASE_THRESHOLD_ROW, BOOL_LINK, DTYPE_REAL, LABEL_TEXT, "Threshold", RECIPE(kThreshold) },
	{ PULSOR_INVERT, DTYPE_BOOL, ID_PLAIN, PULSOR_BASE_THRESHOLD_ROW, BOOL_LINK, DTYPE_BOOL, LABEL_TEXT, "Invert", RECIPE(kInvert) },
	{ PULSOR_BASE_VALUE_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kValueRow) },
	{ PULSOR_BASE_START_COLUMN, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_VALUE_ROW, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen1) },
	{ PULSOR_START_VALUE, LINKED_TYPE, ID_SLOT, PULSOR_BASE_START_COLUMN, ALWAYS, MIRROR_SETTINGS, LABEL_SHORT, "Start", RECIPE(kStretched) },
	{ PULSOR_BASE_SPACER_COLUMN, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_VALUE_ROW, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen1Stretched) },
	{ PULSOR_BASE_END_COLUMN, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_VALUE_ROW, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen1) },
	{ PULSOR_END_VALUE, LINKED_TYPE, ID_SLOT, PULSOR_BASE_END_COLUMN, ALWAYS, MIRROR_SETTINGS, LABEL_SHORT, "End", NO_RECIPE },
	{ PULSOR_TIME_CURVE, CUSTOMDATATYPE_SPLINE, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, CUSTOMDATATYPE_SPLINE, LABEL_TEXT, "Time", NO_RECIPE },
	{ PULSOR_BASE_TIME_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen3) },
	{ PULSOR_START_TIME, DTYPE_TIME, ID_PLAIN, PULSOR_BASE_TIME_ROW, ALWAYS, DTYPE_TIME, LABEL_TEXT, "Start Time", RECIPE(kTimeAtStart) },
	{ PULSOR_BASE_TIME_SEP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_BASE_TIME_ROW, ALWAYS, EMPTY_SETTINGS, LABEL_TEXT, "N/A", RECIPE(kStretchedSeparator) },
	{ PULSOR_END_TIME, DTYPE_TIME, ID_PLAIN, PULSOR_BASE_TIME_ROW, ALWAYS, DTYPE_TIME, LABEL_TEXT, "End Time", RECIPE(kTimeAtEnd) },
	{ PULSOR_TIME_OFFSET, DTYPE_TIME, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_TIME, LABEL_TEXT, "Offset", RECIPE(kTimeAtStart) },
	{ PULSOR_PLAYBACK, DTYPE_LONG, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_LONG, LABEL_TEXT, "Playback", RECIPE(kBasePlayback) },
	{ PULSOR_BASE_SEP_PLAYBACK, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_BASE_BUTTON_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kButtonRow3) },
	{ PULSOR_MATCH_TIMELINE, DTYPE_BUTTON, ID_PLAIN, PULSOR_BASE_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Match Timeline", RECIPE(kButton) },
	{ PULSOR_BASE_BUTTON_SEP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_BASE_BUTTON_ROW, ALWAYS, EMPTY_SETTINGS, LABEL_TEXT, "N/A", RECIPE(kStretchedSeparator) },
	{ PULSOR_HELP_BASE, DTYPE_BUTTON, ID_PLAIN, PULSOR_BASE_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "", RECIPE(kHelpButton) },
	{ PULSOR_IGNORE_KEYS, DTYPE_BOOL, ID_PLAIN, PULSOR_BASE_PAGE, ALWAYS, DTYPE_BOOL, LABEL_TEXT, "Ignore Original Keyframes", RECIPE(kIgnoreKeys) }
};

// Offsets from the tab base; parents too, but for the page itself.
const Row kModifierPage[] = {
	{ PULSOR_TAB_PAGE, DTYPE_GROUP, ID_PLAIN, TOP_LEVEL, ALWAYS, DTYPE_GROUP, LABEL_TAB_NAME, nullptr, RECIPE(kOpen1) },
	{ PULSOR_TAB_TYPE_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen2) },
	{ PULSOR_TAB_TYPE, DTYPE_LONG, ID_PLAIN, PULSOR_TAB_TYPE_ROW, ALWAYS, DTYPE_LONG, LABEL_TEXT, "Modifier", RECIPE(kModifierCycle) },
	{ PULSOR_TAB_NAME, DTYPE_STRING, ID_PLAIN, PULSOR_TAB_TYPE_ROW, ALWAYS, DTYPE_STRING, LABEL_NONE, nullptr, RECIPE(kNameField) },
	{ PULSOR_TAB_STRENGTH, DTYPE_REAL, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_REAL, LABEL_TEXT, "Strength", RECIPE(kTabStrength) },
	{ PULSOR_TAB_SEP_STRENGTH, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_TAB_VARIATION_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kVariationRow) },
	{ PULSOR_TAB_VALUE_COLUMN, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_VARIATION_ROW, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen1) },
	{ PULSOR_TAB_VARIATION, LINKED_TYPE, ID_SLOT, PULSOR_TAB_VALUE_COLUMN, ALWAYS, MIRROR_SETTINGS, LABEL_SHORT, "Variation", RECIPE(kVariation) },
	{ PULSOR_TAB_DIRECTION_COLUMN, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_VARIATION_ROW, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kDirectionColumn) },
	{ PULSOR_TAB_DIRECTION_ROW_X, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_DIRECTION_COLUMN, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen2) },
	{ PULSOR_TAB_NEGATIVE, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_DIRECTION_ROW_X, ALWAYS, DTYPE_BOOL, LABEL_TEXT, "Negative", RECIPE(kCheckBox) },
	{ PULSOR_TAB_POSITIVE, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_DIRECTION_ROW_X, ALWAYS, DTYPE_BOOL, LABEL_TEXT, "Positive", RECIPE(kCheckBox) },
	{ PULSOR_TAB_DIRECTION_ROW_Y, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_DIRECTION_COLUMN, COMPOSITE_LINK, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen2) },
	{ PULSOR_TAB_NEGATIVE + 1, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_DIRECTION_ROW_Y, COMPOSITE_LINK, DTYPE_BOOL, LABEL_TEXT, "Negative", RECIPE(kCheckBox) },
	{ PULSOR_TAB_POSITIVE + 1, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_DIRECTION_ROW_Y, COMPOSITE_LINK, DTYPE_BOOL, LABEL_TEXT, "Positive", RECIPE(kCheckBox) },
	{ PULSOR_TAB_DIRECTION_ROW_Z, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_DIRECTION_COLUMN, COMPOSITE_LINK, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen2) },
	{ PULSOR_TAB_NEGATIVE + 2, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_DIRECTION_ROW_Z, COMPOSITE_LINK, DTYPE_BOOL, LABEL_TEXT, "Negative", RECIPE(kCheckBox) },
	{ PULSOR_TAB_POSITIVE + 2, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_DIRECTION_ROW_Z, COMPOSITE_LINK, DTYPE_BOOL, LABEL_TEXT, "Positive", RECIPE(kCheckBox) },
	{ PULSOR_TAB_UNIFORM, DTYPE_BOOL, ID_PLAIN, PULSOR_TAB_PAGE, NOISE_ON_COMPOSITE, DTYPE_BOOL, LABEL_TEXT, "Uniform", RECIPE(kCheckBox) },
	{ PULSOR_TAB_SEP_DIRECTION, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_TAB_LOOP_POINT, DTYPE_TIME, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_TIME, LABEL_TEXT, "Loop Point", RECIPE(kLoopPoint) },
	{ PULSOR_TAB_TIME_OFFSET, DTYPE_TIME, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_TIME, LABEL_TEXT, "Time Offset", NO_RECIPE },
	{ PULSOR_TAB_SPEED, DTYPE_REAL, ID_PLAIN, PULSOR_TAB_PAGE, NOISE, DTYPE_REAL, LABEL_TEXT, "Speed", RECIPE(kSpeed) },
	{ PULSOR_TAB_SEED, DTYPE_LONG, ID_PLAIN, PULSOR_TAB_PAGE, NOISE, DTYPE_LONG, LABEL_TEXT, "Seed", RECIPE(kSeed) },
	{ PULSOR_TAB_BIAS, DTYPE_REAL, ID_PLAIN, PULSOR_TAB_PAGE, NOISE, DTYPE_REAL, LABEL_TEXT, "Bias", RECIPE(kBias) },
	{ PULSOR_TAB_CUSTOM_GROUP, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_PAGE, CUSTOM, DTYPE_GROUP, LABEL_TEXT, "Custom", RECIPE(kOpen1) },
	{ PULSOR_TAB_CUSTOM_CURVE, CUSTOMDATATYPE_SPLINE, ID_PLAIN, PULSOR_TAB_CUSTOM_GROUP, CUSTOM, CUSTOMDATATYPE_SPLINE, LABEL_NONE, nullptr, NO_RECIPE },
	{ PULSOR_TAB_SEP_WAVE, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_TAB_ADVANCED_GROUP, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_GROUP, LABEL_TEXT, "Advanced", RECIPE(kClosed1) },
	{ PULSOR_TAB_STRENGTH_MODE, DTYPE_LONG, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, ALWAYS, DTYPE_LONG, LABEL_TEXT, "Strength Mode", RECIPE(kStrengthMode) },
	{ PULSOR_TAB_STRENGTH_CURVE, CUSTOMDATATYPE_SPLINE, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, ALWAYS, CUSTOMDATATYPE_SPLINE, LABEL_TEXT, "", NO_RECIPE },
	{ PULSOR_TAB_TIME_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kOpen4) },
	{ PULSOR_TAB_START_TIME, DTYPE_TIME, ID_PLAIN, PULSOR_TAB_TIME_ROW, ALWAYS, DTYPE_TIME, LABEL_TEXT, "Start Time", RECIPE(kNumberField) },
	{ PULSOR_TAB_TIME_SEP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_TIME_ROW, ALWAYS, EMPTY_SETTINGS, LABEL_TEXT, "N/A", RECIPE(kStretchedSeparator) },
	{ PULSOR_TAB_END_TIME, DTYPE_TIME, ID_PLAIN, PULSOR_TAB_TIME_ROW, ALWAYS, DTYPE_TIME, LABEL_TEXT, "End Time", RECIPE(kNumberField) },
	{ PULSOR_TAB_PLAYBACK, DTYPE_LONG, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, ALWAYS, DTYPE_LONG, LABEL_TEXT, "Playback", RECIPE(kTabPlayback) },
	{ PULSOR_TAB_MATCH_TIMELINE, DTYPE_BUTTON, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Match Timeline", RECIPE(kButton) },
	{ PULSOR_TAB_SEP_REMAP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, NOISE, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kStretchedSeparator) },
	{ PULSOR_TAB_REMAP_GROUP, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_ADVANCED_GROUP, NOISE, DTYPE_GROUP, LABEL_TEXT, "Remap Strength", RECIPE(kClosed1) },
	{ PULSOR_TAB_REMAP_CURVE, CUSTOMDATATYPE_SPLINE, ID_PLAIN, PULSOR_TAB_REMAP_GROUP, NOISE, CUSTOMDATATYPE_SPLINE, LABEL_TEXT, "RS", NO_RECIPE },
	{ PULSOR_TAB_SEP_FEEDBACK, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kStretchedSeparator) },
	{ PULSOR_TAB_FEEDBACK_DISPLAY, DTYPE_REAL, ID_DISPLAY, PULSOR_TAB_PAGE, ALWAYS, DTYPE_REAL, LABEL_TEXT, "Feedback", RECIPE(kFeedbackSlider) },
	{ PULSOR_TAB_BUTTON_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_TAB_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kButtonRow7) },
	{ PULSOR_TAB_DELETE, DTYPE_BUTTON, ID_PLAIN, PULSOR_TAB_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Delete", RECIPE(kButton) },
	{ PULSOR_TAB_MOVE_UP, DTYPE_BUTTON, ID_PLAIN, PULSOR_TAB_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Move Up", RECIPE(kButton) },
	{ PULSOR_TAB_MOVE_DOWN, DTYPE_BUTTON, ID_PLAIN, PULSOR_TAB_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Move Down", RECIPE(kButton) },
	{ PULSOR_TAB_DUPLICATE, DTYPE_BUTTON, ID_PLAIN, PULSOR_TAB_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Duplicate", RECIPE(kButton) },
	{ PULSOR_TAB_BUTTON_SEP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_TAB_BUTTON_ROW, ALWAYS, EMPTY_SETTINGS, LABEL_TEXT, "N/A", RECIPE(kStretchedSeparator) },
	{ PULSOR_TAB_HELP, DTYPE_BUTTON, ID_PLAIN, PULSOR_TAB_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "", RECIPE(kHelpButton) }
};

// The Output page carries data type 19 in its identifier, as stored scenes
// and scripts know it, while its settings are a group's.
const Row kOutputHead[] = {
	{ PULSOR_OUTPUT_PAGE, DTYPE_REAL, ID_PLAIN, TOP_LEVEL, ALWAYS, DTYPE_GROUP, LABEL_TEXT, "Output", RECIPE(kOpen1) },
	{ PULSOR_VOLUME, DTYPE_REAL, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, DTYPE_REAL, LABEL_TEXT, "Volume", RECIPE(kVolume) },
	{ PULSOR_OUTPUT_SEP_VOLUME, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_MASTER_DISPLAY, DTYPE_REAL, ID_DISPLAY, PULSOR_OUTPUT_PAGE, ALWAYS, DTYPE_REAL, LABEL_TEXT, "Master", RECIPE(kLevel) },
	{ PULSOR_OUTPUT_SEP_MASTER, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_BASE_DISPLAY, DTYPE_REAL, ID_DISPLAY, PULSOR_OUTPUT_PAGE, ALWAYS, DTYPE_REAL, LABEL_TEXT, "Base", RECIPE(kLevel) },
	{ PULSOR_OUTPUT_SEP_BASE, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) }
};

// Per tab, on the Output page: ids are offsets from the tab base, parents are
// global.
const Row kTabOutput[] = {
	{ PULSOR_TAB_OUTPUT_DISPLAY, DTYPE_REAL, ID_DISPLAY, PULSOR_OUTPUT_PAGE, ALWAYS, DTYPE_REAL, LABEL_TAB_NAME, nullptr, RECIPE(kTabLevel) },
	{ PULSOR_TAB_OUTPUT_SEP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_OUTPUT_PAGE, THREE_COMPONENTS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) }
};

// "Distance from Threshold" carries the linked type (a bool's) in its
// identifier while its settings are a real's.
const Row kOutputTail[] = {
	{ PULSOR_FINAL_OUTPUT, LINKED_TYPE, ID_SLOT, PULSOR_OUTPUT_PAGE, VALUE_LINK, MIRROR_SETTINGS, LABEL_SHORT, "Final Output", RECIPE(kNotStretched) },
	{ PULSOR_FINAL_OUTPUT, DTYPE_BOOL, ID_SLOT, PULSOR_OUTPUT_PAGE, BOOL_LINK, DTYPE_BOOL, LABEL_TEXT, "Final Output", RECIPE(kCheckBox) },
	{ PULSOR_THRESHOLD_DISTANCE, LINKED_TYPE, ID_PLAIN, PULSOR_OUTPUT_PAGE, BOOL_LINK, DTYPE_REAL, LABEL_TEXT, "Distance from Threshold", RECIPE(kThresholdDistance) },
	{ PULSOR_OUTPUT_SEP_FINAL, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, EMPTY_SETTINGS, LABEL_NONE, nullptr, RECIPE(kSeparator) },
	{ PULSOR_OUTPUT_BUTTON_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, DTYPE_GROUP, LABEL_NONE, nullptr, RECIPE(kButtonRow3) },
	{ PULSOR_FEEDBACK, DTYPE_BOOL, ID_PLAIN, PULSOR_OUTPUT_BUTTON_ROW, ALWAYS, DTYPE_BOOL, LABEL_TEXT, "Feedback", RECIPE(kCheckBox) },
	{ PULSOR_OUTPUT_BUTTON_SEP, DTYPE_SEPARATOR, ID_PLAIN, PULSOR_OUTPUT_BUTTON_ROW, ALWAYS, EMPTY_SETTINGS, LABEL_TEXT, "N/A", RECIPE(kStretchedSeparator) },
	{ PULSOR_HELP_OUTPUT, DTYPE_BUTTON, ID_PLAIN, PULSOR_OUTPUT_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "", RECIPE(kHelpButton) },
	{ PULSOR_KEYFRAME_GROUP, DTYPE_GROUP, ID_PLAIN, PULSOR_OUTPUT_PAGE, ALWAYS, DTYPE_GROUP, LABEL_TEXT, "Keyframe", RECIPE(kClosed1) },
	{ PULSOR_KEYFRAME_BUTTON_ROW, DTYPE_GROUP, ID_PLAIN, PULSOR_KEYFRAME_GROUP, ALWAYS, DTYPE_GROUP, LABEL_TEXT, "", RECIPE(kClosed2) },
	{ PULSOR_CONVERT_TO_KEYS, DTYPE_BUTTON, ID_PLAIN, PULSOR_KEYFRAME_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Convert To Keyframes", RECIPE(kButton) },
	{ PULSOR_CLEAR_KEYS, DTYPE_BUTTON, ID_PLAIN, PULSOR_KEYFRAME_BUTTON_ROW, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Clear Keyframes", RECIPE(kButton) },
	{ PULSOR_KEY_SEQUENCE, DTYPE_BOOL, ID_PLAIN, PULSOR_KEYFRAME_GROUP, ALWAYS, DTYPE_BOOL, LABEL_TEXT, "Keyframe Sequence", RECIPE(kCheckBox) },
	{ PULSOR_KEY_FROM, DTYPE_TIME, ID_PLAIN, PULSOR_KEYFRAME_GROUP, ALWAYS, DTYPE_TIME, LABEL_TEXT, "From", RECIPE(kNumberField) },
	{ PULSOR_KEY_TO, DTYPE_TIME, ID_PLAIN, PULSOR_KEYFRAME_GROUP, ALWAYS, DTYPE_TIME, LABEL_TEXT, "To", RECIPE(kNumberField) }
};

const Row kPresetPage[] = {
	{ PULSOR_PRESET_PAGE, DTYPE_GROUP, ID_PLAIN, TOP_LEVEL, ALWAYS, DTYPE_GROUP, LABEL_TEXT, "Preset", RECIPE(kOpen1) },
	{ PULSOR_PRESET_NAME, DTYPE_STRING, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_STRING, LABEL_TEXT, "Preset Name", RECIPE(kTextField) },
	{ PULSOR_PRESET_FOLDER, DTYPE_STRING, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_STRING, LABEL_TEXT, "Save/Load Location", RECIPE(kTextField) },
	{ PULSOR_PRESET_BROWSE, DTYPE_BUTTON, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "...", RECIPE(kButton) },
	{ PULSOR_PRESET_CHOICE, DTYPE_LONG, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_LONG, LABEL_TEXT, "Presets", RECIPE(kPresetCycle) },
	{ PULSOR_PRESET_SAVE, DTYPE_BUTTON, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Save", RECIPE(kButton) },
	{ PULSOR_PRESET_LOAD, DTYPE_BUTTON, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Load", RECIPE(kButton) },
	{ PULSOR_PRESET_REFRESH, DTYPE_BUTTON, ID_PLAIN, PULSOR_PRESET_PAGE, ALWAYS, DTYPE_BUTTON, LABEL_TEXT, "Refresh", RECIPE(kButton) }
};

#define ROWS(table) table, (LONG)(sizeof(table) / sizeof(table[0]))

// ---- Building ---------------------------------------------------------------

const char* const COMPONENT_SUFFIX[] = { " X", " Y", " Z" };

// What the rows read from the tag.
struct LayoutState
{
	const BaseContainer* data;
	const BaseContainer* linkDescription;
	LinkState link;
	String caption;
	// The tab being laid out.
	LONG modifierType;
	String tabName;
};

Bool IsComposite(LONG type)
{
	return type == DTYPE_COLOR || type == DTYPE_VECTOR;
}

Bool Holds(Condition condition, const LayoutState& s)
{
	switch (condition)
	{
		case ALWAYS: return TRUE;
		case LINKED_ELEMENT: return s.link.offersLinkBox;
		case BOOL_LINK: return s.link.type == DTYPE_BOOL;
		case VALUE_LINK: return s.link.type != DTYPE_BOOL;
		case COMPOSITE_LINK: return IsComposite(s.link.type);
		case NOISE: return s.modifierType == PULSOR_MOD_NOISE;
		case NOISE_ON_COMPOSITE:
			return s.modifierType == PULSOR_MOD_NOISE && (IsComposite(s.link.type) || s.link.type == DTYPE_MATRIX);
		case CUSTOM: return s.modifierType == PULSOR_MOD_CUSTOM;
		case THREE_COMPONENTS: return s.link.mode == PULSOR_MODE_VECTOR;
	}
	return FALSE;
}

void Apply(const Setting& setting, const LayoutState& s, BaseContainer* bc)
{
	switch (setting.kind)
	{
		case V_LONG: bc->SetLong(setting.key, (LONG)setting.value); break;
		case V_REAL: bc->SetReal(setting.key, setting.value); break;
		case V_BOOL: bc->SetBool(setting.key, setting.value != 0.0); break;
		case V_TIME: bc->SetTime(setting.key, BaseTime(setting.value)); break;
		case V_LABELS: bc->SetContainer(setting.key, s.data->GetContainer((LONG)setting.value)); break;
		case V_REFUSE_OBJECTS:
		{
			BaseContainer refused;
			refused.SetString(Obase, "Obase");
			bc->SetContainer(setting.key, refused);
			break;
		}
		case V_TRUE_FOR_COLOUR:
			if (s.link.type == DTYPE_COLOR)
				bc->SetBool(setting.key, TRUE);
			break;
	}
}

class PageBuilder
{
public:
	PageBuilder(Description* description, const LayoutState& state)
		: description_(description), single_(description->GetSingleDescID()), state_(state)
	{
	}

	// FALSE when the host refused an element: the build stops there.
	// Identifiers are offset by base, parents by parentBase.
	Bool AddRows(const Row* rows, LONG count, LONG base, LONG parentBase)
	{
		for (LONG i = 0; i < count; ++i)
		{
			if (!AddRow(rows[i], base, parentBase))
				return FALSE;
		}
		return TRUE;
	}

private:
	Bool AddRow(const Row& row, LONG base, LONG parentBase)
	{
		if (!Holds(row.condition, state_))
			return TRUE;
		const LONG start = base + row.id;
		switch (row.idKind)
		{
			case ID_PLAIN:
				return AddElement(row, start, "", parentBase);
			case ID_SLOT:
				// A slot outside the block would alias a neighbour's identifiers.
				if (state_.link.slot == PULSOR_SLOT_NONE)
					return TRUE;
				return AddElement(row, start + state_.link.slot, "", parentBase);
			case ID_DISPLAY:
				if (state_.link.mode == PULSOR_MODE_SINGLE || state_.link.mode == PULSOR_MODE_LONG)
					return AddElement(row, start + state_.link.mode, "", parentBase);
				if (state_.link.mode != PULSOR_MODE_VECTOR)
					return TRUE;
				// Three components: start + 2, 3 and 4.
				for (LONG k = 0; k < 3; ++k)
				{
					if (!AddElement(row, start + PULSOR_MODE_VECTOR + k, COMPONENT_SUFFIX[k], parentBase))
						return FALSE;
				}
				return TRUE;
		}
		return TRUE;
	}

	Bool AddElement(const Row& row, LONG id, const char* suffix, LONG parentBase)
	{
		// Most rows of a single-identifier request fail on the id alone.
		if (single_ && (*single_)[0].id != id)
			return TRUE;
		const LONG idType = row.idType == LINKED_TYPE ? state_.link.type : row.idType;
		const DescID element(DescLevel(id, idType, 0));
		if (single_ && !element.IsPartOf(*single_, nullptr))
			return TRUE;

		BaseContainer settings;
		if (row.start == MIRROR_SETTINGS)
			state_.linkDescription->CopyTo(&settings, COPYFLAGS_0, nullptr);
		else if (row.start != EMPTY_SETTINGS)
			settings = GetCustomDataTypeDefault(row.start);
		SetLabel(row, suffix, &settings);
		for (LONG i = 0; i < row.settingCount; ++i)
			Apply(row.settings[i], state_, &settings);

		const DescID parent = row.parent == TOP_LEVEL ? DescID(DescLevel(PULSOR_TAG_ID)) : DescID(DescLevel(parentBase + row.parent));
		return description_->SetParameter(element, settings, parent);
	}

	void SetLabel(const Row& row, const char* suffix, BaseContainer* settings) const
	{
		switch (row.labelKind)
		{
			case LABEL_NONE: return;
			case LABEL_TEXT: settings->SetString(DESC_NAME, *suffix ? String(row.label) + String(suffix) : String(row.label)); return;
			case LABEL_SHORT:
				settings->SetString(DESC_NAME, row.label);
				settings->SetString(DESC_SHORT_NAME, row.label);
				return;
			case LABEL_TAB_NAME: settings->SetString(DESC_NAME, *suffix ? state_.tabName + String(suffix) : state_.tabName); return;
			case LABEL_CAPTION: settings->SetString(DESC_NAME, state_.caption); return;
		}
	}

	Description* description_;
	const DescID* single_;
	const LayoutState& state_;
};

// Names the linked element: the own object, or the linked material, or the
// linked tag's object and the tag.
String ElementName(const BaseContainer& data, const LinkState& link, BaseTag* tag, BaseDocument* doc)
{
	if (link.elementClass == PULSOR_LINK_CLASS_OWN_OBJECT)
	{
		const BaseObject* own = tag->GetObject();
		return own ? own->GetName() : String();
	}
	BaseList2D* element = LinkedElement(data, link, tag, doc);
	if (!element)
		return String();
	// The classification is checked on the element itself as well: a stored
	// class that says "tag" proves nothing about what the link holds.
	if (link.elementClass != Tbase || element->GetClassification() != Tbase)
		return element->GetName();
	BaseTag* linkedTag = static_cast<BaseTag*>(element);
	const BaseObject* host = linkedTag->GetObject();
	return (host ? host->GetName() : String()) + String(" - ") + linkedTag->GetName();
}

String ParameterName(const BaseContainer& linkDescription)
{
	const GeData* name = linkDescription.GetDataPointer(DESC_NAME);
	if (!name || name->GetType() != DA_STRING)
		return String("Unknown Name");
	return name->GetString();
}

Bool Close(Pulsor* pulsor, GeListNode* node, Description* description, DESCFLAGS_DESC& flags)
{
	flags |= DESCFLAGS_DESC_LOADED | DESCFLAGS_DESC_RECURSIONLOCK;
	return pulsor->TagData::GetDDescription(node, description, flags);
}

} // namespace

Bool Pulsor::GetDDescription(GeListNode* node, Description* description, DESCFLAGS_DESC& flags)
{
	if (!node)
		return TRUE;
	if (!description || !description->LoadDescription(node->GetType()))
		return FALSE;
	BaseTag* tag = static_cast<BaseTag*>(node);
	const BaseContainer* data = tag->GetDataInstance();
	const BaseContainer* library = data->GetContainerInstance(PULSOR_CURVE_LIBRARY);
	if (!library || library->GetIndexId(0) < 0)
		return TRUE;
	BaseDocument* doc = node->GetDocument();
	if (!doc)
		return TRUE;
	LayoutState state;
	ReadLinkState(*data, &state.link);
	const String elementName = ElementName(*data, state.link, tag, doc);
	const BaseContainer* linkDescription = data->GetContainerInstance(PULSOR_LINK_DESCRIPTION);
	if (!linkDescription)
		return Close(this, node, description, flags);

	state.data = data;
	state.linkDescription = linkDescription;
	state.caption = elementName + String(" - ") + ParameterName(*linkDescription);
	state.modifierType = PULSOR_MOD_SIN;

	PageBuilder page(description, state);
	if (!page.AddRows(ROWS(kBasePage), 0, 0))
		return TRUE;
	// Numbers that repeat, lie outside the identifier range or that the count
	// only promises are left out, so a damaged list cannot stall the page.
	const BaseContainer* listContainer = data->GetContainerInstance(PULSOR_TAB_LIST);
	const TabList tabs = listContainer ? TabList(*listContainer) : TabList();
	// A request for one element needs only the tab that element belongs to:
	// every row of the other tabs would fail the filter.
	const DescID* single = description->GetSingleDescID();
	TabField singleTab = TabField();
	const bool singleIsTab = single && DecodeTabId((*single)[0].id, &singleTab);
	const auto skipTab = [&](LONG number) { return single && (!singleIsTab || number != singleTab.number); };
	for (LONG i = 0; i < tabs.GetCount(); ++i)
	{
		if (skipTab(tabs[i]))
			continue;
		const LONG base = TabBase(tabs[i]);
		state.tabName = data->GetString(base + PULSOR_TAB_NAME, String("None"));
		state.modifierType = data->GetLong(base + PULSOR_TAB_TYPE, PULSOR_MOD_SIN);
		if (!page.AddRows(ROWS(kModifierPage), base, base))
			return TRUE;
	}
	if (!page.AddRows(ROWS(kOutputHead), 0, 0))
		return TRUE;
	for (LONG i = 0; i < tabs.GetCount(); ++i)
	{
		if (skipTab(tabs[i]))
			continue;
		const LONG base = TabBase(tabs[i]);
		state.tabName = data->GetString(base + PULSOR_TAB_NAME, String("None"));
		if (!page.AddRows(ROWS(kTabOutput), base, 0))
			return TRUE;
	}
	if (!page.AddRows(ROWS(kOutputTail), 0, 0))
		return TRUE;
	if (data->GetBool(PULSOR_SHOW_PRESETS, FALSE) && !page.AddRows(ROWS(kPresetPage), 0, 0))
		return TRUE;
	return Close(this, node, description, flags);
}
