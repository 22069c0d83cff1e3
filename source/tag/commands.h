// The handlers the message hook (message.cpp) hands each message to, one
// per operation, and what they share.
#ifndef PULSOR_COMMANDS_H__
#define PULSOR_COMMANDS_H__

#include "pulsor_ids.h"

class Pulsor;

// What every handler works from: the live container, and copies of the tab
// list and the curve library as they were when the message arrived.
struct MessageContext
{
	Pulsor* pulsor;
	BaseTag* tag;
	BaseContainer* data;
	BaseDocument* doc;
	LONG addModifier;
	BaseContainer tabList;
	BaseContainer library;
};

// The buttons of a modifier tab: "Delete", "Move Up", "Move Down",
// "Match Timeline" and "Duplicate" (tab_commands.cpp).
void TabCommand(MessageContext& c, const TabField& field);
// Sets the times at startId and endId to the document's range, as one undo
// step of type undoType (tab_commands.cpp).
void MatchTimeline(MessageContext& c, LONG startId, LONG endId, UNDOTYPE undoType);

// Baking and clearing: PULSOR_CONVERT_TO_KEYS, PULSOR_BAKE_DIRECT,
// PULSOR_CLEAR_KEYS, PULSOR_CLEAR_KEYS_NO_UNDO (keyframes.cpp).
Bool KeyframeCommand(MessageContext& c, LONG id);

// PULSOR_PRESET_FIRST_COMMAND to PULSOR_PRESET_LAST_COMMAND (presets.cpp).
Bool PresetCommand(MessageContext& c, LONG id);

// MSG_DRAGANDDROP of DRAGTYPE_DESCID: links the dropped parameter, and
// MSG_DESCRIPTION_CHECKDRAGANDDROP: what the "Link" box accepts
// (linking.cpp).
Bool DropParameter(MessageContext& c, DragAndDrop* drop);
Bool CheckLinkDrop(MessageContext& c, DescriptionCheckDragAndDrop* check);

// MSG_DESCRIPTION_POSTSETPARAMETER: what follows an edit of the page
// (follow_ups.cpp).
Bool FollowUpEdit(MessageContext& c, const DescriptionPostSetValue* set);

// MSG_DESCRIPTION_GETBITMAP and MSG_GETCUSTOMICON (icons.cpp).
void HelpBitmap(DescriptionGetBitmap* request);
Bool CustomIcon(MessageContext& c, GetCustomIconData* request);

#endif
