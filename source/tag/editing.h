// Shared pieces of the editing operations.
#ifndef PULSOR_EDITING_H__
#define PULSOR_EDITING_H__

#include "pulsor_ids.h"

class Pulsor;

// Opens an undo group on the document and closes it on every path.
class UndoGroup
{
public:
	explicit UndoGroup(BaseDocument* doc) : doc_(doc) { doc_->StartUndo(); }
	~UndoGroup() { doc_->EndUndo(); }

private:
	UndoGroup(const UndoGroup&);
	UndoGroup& operator=(const UndoGroup&);
	BaseDocument* doc_;
};

// The element whose parameter the tag animates: the tag's own object for an
// object link, else the linked element in the tag's document.
BaseList2D* LinkedElement(const BaseContainer& data, BaseTag* tag, BaseDocument* doc);

// The linked parameter's identifier, or null while nothing is linked (a new
// tag's identifier is the single level 0, which names no parameter).
const DescID* LinkedParameter(const BaseContainer& data);

// The plug-in folder, then "res", then name.
Filename ResourceFile(const CHAR* name);
// The plug-in folder, then "res", then "Presets".
Filename DefaultPresetFolder();

// The baking and clearing commands (PULSOR_CONVERT_TO_KEYS,
// PULSOR_BAKE_DIRECT, PULSOR_CLEAR_KEYS, PULSOR_CLEAR_KEYS_NO_UNDO).
Bool KeyframeCommand(Pulsor* pulsor, BaseTag* tag, BaseContainer* data, BaseDocument* doc, LONG id);

// The preset commands, PULSOR_PRESET_FIRST_COMMAND to PULSOR_PRESET_LAST_COMMAND.
Bool PresetCommand(Pulsor* pulsor, BaseTag* tag, BaseContainer* data, LONG id);

// Handles MSG_DRAGANDDROP of DRAGTYPE_DESCID.
Bool HandleParameterDrop(Pulsor* pulsor, BaseTag* tag, BaseContainer* data, BaseDocument* doc, DragAndDrop* drop);

#endif
