// The message hook: hands each message the tag answers to its handler.
#include "commands.h"
#include "pulsor.h"
#include "resource_files.h"

namespace
{

// The preset folder of this installation, and the layout brought up to date.
Bool StartupSettings(Pulsor* pulsor, BaseContainer* data)
{
	data->SetString(PULSOR_PRESET_FOLDER, DefaultPresetFolder().GetString());
	if (data->GetReal(PULSOR_DATA_VERSION, PULSOR_CURRENT_VERSION) != PULSOR_CURRENT_VERSION)
		pulsor->UpdatePulsor(data);
	return TRUE;
}

Bool Command(MessageContext& c, const DescriptionCommand* command)
{
	if (!command)
		return TRUE;
	const LONG id = command->id[0].id;
	TabField field;
	if (DecodeTabId(id, &field))
	{
		TabCommand(c, field);
		c.tag->SetDirty(DIRTYFLAGS_DESCRIPTION);
		return TRUE;
	}
	switch (id)
	{
		case PULSOR_MATCH_TIMELINE:
			MatchTimeline(c, PULSOR_START_TIME, PULSOR_END_TIME, UNDOTYPE_CHANGE_SMALL);
			break;
		case PULSOR_REBUILD_LABELS:
			c.pulsor->UpdatePulsor(c.data);
			break;
		case PULSOR_CONVERT_TO_KEYS:
		case PULSOR_BAKE_DIRECT:
		case PULSOR_CLEAR_KEYS:
		case PULSOR_CLEAR_KEYS_NO_UNDO:
			return KeyframeCommand(c, id);
		default:
			if (id >= PULSOR_PRESET_FIRST_COMMAND && id <= PULSOR_PRESET_LAST_COMMAND)
				return PresetCommand(c, id);
			break;
	}
	return TRUE;
}

} // namespace

Bool Pulsor::Message(GeListNode* node, LONG type, void* data)
{
	BaseTag* tag = static_cast<BaseTag*>(node);
	if (!tag)
		return TRUE;
	BaseContainer* bc = tag->GetDataInstance();
	MessageContext c = { this, tag, bc, tag->GetDocument(), bc->GetLong(PULSOR_ADD_MODIFIER, 0),
		bc->GetContainer(PULSOR_TAB_LIST), bc->GetContainer(PULSOR_CURVE_LIBRARY) };
	if (!c.doc)
		return TRUE;

	switch (type)
	{
		case MSG_MULTI_DOCUMENTIMPORTED: return StartupSettings(this, bc);
		case MSG_DESCRIPTION_COMMAND: return Command(c, static_cast<DescriptionCommand*>(data));
		case MSG_DESCRIPTION_POSTSETPARAMETER: return FollowUpEdit(c, static_cast<DescriptionPostSetValue*>(data));
		case MSG_DESCRIPTION_CHECKDRAGANDDROP: return CheckLinkDrop(c, static_cast<DescriptionCheckDragAndDrop*>(data));
		case MSG_DESCRIPTION_GETBITMAP:
			HelpBitmap(static_cast<DescriptionGetBitmap*>(data));
			return StartupSettings(this, bc);
		case MSG_GETCUSTOMICON: return CustomIcon(c, static_cast<GetCustomIconData*>(data));
		case MSG_DRAGANDDROP:
		{
			DragAndDrop* drop = static_cast<DragAndDrop*>(data);
			if (!drop)
				return TRUE;
			if (drop->type == DRAGTYPE_DESCID)
				return DropParameter(c, drop);
			return StartupSettings(this, bc);
		}
		default:
			return TRUE;
	}
}
