// Edits of a Pulsor tag as the host's user interface makes them: through the
// tag's messages. The scene reader and the commands share them.
#ifndef PULSORHOST_TAG_EDITS_H__
#define PULSORHOST_TAG_EDITS_H__

#include <string>
#include <vector>

#include "c4d.h"

// A button pressed: the command message.
void PressButton(BaseTag* tag, LONG id);

// An entry set in the attribute manager: the value, then the post-set
// message.
void SetEntry(BaseTag* tag, LONG id, const GeData& value);

// The presets the tag lists from its preset folder.
std::vector<std::string> PresetNames(BaseTag* tag);

// Loads the listed preset name into the tag ("Preset Name", then "Load");
// false, changing nothing, when the tag does not list it.
bool LoadPreset(BaseTag* tag, const std::string& name);

// The modifier tabs the tag's tab list names, counted as the tag reads the
// list: distinct tab numbers of 1 and more among the entries the count
// promises. The work is bounded by the entries present.
size_t TabCount(BaseTag* tag);

#endif
