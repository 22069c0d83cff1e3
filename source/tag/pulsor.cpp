// The Pulsor tag's hooks that the host calls on every scene evaluation.
#include "pulsor.h"

#include "engine.h"
#include "link_state.h"

namespace
{

// Whether the host re-applies an animation of the parameter before each pass.
bool HasOwnAnimation(BaseList2D* target, const DescID& parameter)
{
	CTrack* track = target->FindCTrack(parameter);
	return track && track->GetCurve()->GetKeyCount() > 0;
}

// The parameter's value without this tag's output, kept in
// PULSOR_CAPTURED_VALUE. With an animation, the host sets the parameter's own
// value before the tag runs at a new frame, so a new frame takes the live
// value; a repeated pass of the same frame may find the tag's previous output
// in it instead. Without one, nothing resets the parameter: the live value is
// the tag's own previous output as long as it still equals what the tag
// wrote, and only a value that something else put there is the parameter's
// own.
GeData OwnValue(BaseContainer* data, BaseList2D* target, const DescID& parameter, LONG slot, Real t, bool animated)
{
	const LONG capturedId = PULSOR_CAPTURED_VALUE + slot;
	GeData live;
	target->GetParameter(parameter, live, DESCFLAGS_GET_0);
	const bool captured = data->GetDataPointer(capturedId) != nullptr;
	bool fresh;
	if (animated)
	{
		const GeData* lastFrame = data->GetDataPointer(PULSOR_LAST_FRAME);
		fresh = !captured || !lastFrame || (Real)lastFrame->GetLong() != t;
	}
	else
	{
		const GeData* written = data->GetDataPointer(PULSOR_WRITTEN_VALUE);
		fresh = !captured || !written || *written != live;
	}
	if (!fresh)
		return data->GetData(capturedId);
	data->SetData(capturedId, live);
	return live;
}

} // namespace

EXECUTIONRESULT Pulsor::Execute(BaseTag* tag, BaseDocument* doc, BaseObject* op, BaseThread* bt, LONG priority, EXECUTIONFLAGS flags)
{
	(void)bt;
	(void)priority;
	(void)flags;
	BaseContainer* data = tag ? tag->GetDataInstance() : nullptr;
	if (!data || !doc)
		return EXECUTIONRESULT_OK;
	LinkState link;
	ReadLinkState(*data, &link);
	if (!link.parameter)
		return EXECUTIONRESULT_OK;
	// The identifier lives in the container, which this pass writes.
	const DescID parameter = *link.parameter;

	const Real fps = (Real)doc->GetFps();
	if (data->GetBool(PULSOR_FEEDBACK, FALSE))
	{
		const BaseContainer* list = static_cast<const BaseContainer*>(data)->GetContainerInstance(PULSOR_TAB_LIST);
		RefreshOutputRange(data, *doc, fps, tabs_.Of(list ? *list : BaseContainer()), link);
	}
	if (data->GetBool(PULSOR_HAS_KEYS, FALSE))
		return EXECUTIONRESULT_OK;

	const Real t = FramePosition(doc->GetTime(), (Real)doc->GetData(DOCUMENTSETTINGS_GENERAL).GetLong(DOCUMENT_FPS));
	const BaseContainer out = CalculateOutput(data, doc, t, data->GetBool(PULSOR_FEEDBACK, TRUE) ? 1 : 0, link);
	if (!out.GetIndexData(0))
		return EXECUTIONRESULT_OK;

	const Bool ignore = data->GetBool(PULSOR_IGNORE_KEYS, TRUE);
	BaseList2D* target = LinkedElement(*data, link, tag, doc);
	if (!target)
		return EXECUTIONRESULT_OK;

	// A result came out, so the link's type, slot and mode are usable.
	const LONG slot = link.slot;
	// Without an animation the own value is kept also while it is ignored:
	// the tag's first write replaces it, and turning "Ignore Original
	// Keyframes" off later must still find it.
	const bool animated = HasOwnAnimation(target, parameter);
	GeData own;
	if (!ignore || !animated)
	{
		const GeData kept = OwnValue(data, target, parameter, slot, t, animated);
		if (!ignore)
			own = kept;
	}
	data->SetLong(PULSOR_LAST_FRAME, TruncateToLong(t));

	target->SetParameter(parameter, link.row->valueToWrite(out.GetData(PULSOR_FINAL_OUTPUT + slot), own, fps), DESCFLAGS_SET_0);
	{
		// What the parameter holds now, after any limits of its own: a later
		// pass without an animation tells the tag's own output from a new
		// value by it, also after the animation was removed.
		GeData written;
		target->GetParameter(parameter, written, DESCFLAGS_GET_0);
		data->SetData(PULSOR_WRITTEN_VALUE, written);
	}
	// A file may claim a material for an element that is none.
	if (link.elementClass == Mbase && target->GetClassification() == Mbase)
		static_cast<BaseMaterial*>(target)->Update(TRUE, TRUE);

	data->MergeContainer(out);
	target->Message(MSG_DESCRIPTION_VALIDATE);
	if (op)
		op->Message(MSG_CHANGE);
	target->Message(MSG_DESCRIPTION_VALIDATE);
	return EXECUTIONRESULT_OK;
}

// ---- Parameter hooks --------------------------------------------------------

namespace
{

bool IsTabHelp(LONG id)
{
	TabField field;
	return DecodeTabId(id, &field) && field.offset == PULSOR_TAB_HELP;
}

void OpenHelp(const String& page)
{
	GeOpenHTML(String(PULSOR_HELP_SITE PULSOR_HELP_PATH) + page);
}

} // namespace

Bool Pulsor::GetDParameter(GeListNode* node, const DescID& id, GeData& t_data, DESCFLAGS_GET& flags)
{
	const LONG first = id[0].id;
	if (node && (first == PULSOR_HELP_BASE || first == PULSOR_HELP_OUTPUT || IsTabHelp(first)))
	{
		t_data = GeData(CUSTOMDATATYPE_BITMAPBUTTON, BitmapButtonStruct(static_cast<BaseList2D*>(node), id, 0));
		flags |= DESCFLAGS_GET_PARAM_GET;
	}
	return TagData::GetDParameter(node, id, t_data, flags);
}

Bool Pulsor::SetDParameter(GeListNode* node, const DescID& id, const GeData& t_data, DESCFLAGS_SET& flags)
{
	BaseContainer* data = node ? static_cast<BaseList2D*>(node)->GetDataInstance() : nullptr;
	if (!data)
		return TRUE;
	const LONG first = id[0].id;
	TabField field;
	if (first == PULSOR_HELP_BASE)
		OpenHelp("base");
	else if (first == PULSOR_HELP_OUTPUT)
		OpenHelp("output");
	else if (DecodeTabId(first, &field) && field.offset == PULSOR_TAB_HELP)
	{
		const LONG type = data->GetLong(field.base + PULSOR_TAB_TYPE, PULSOR_MOD_NOISE);
		OpenHelp(data->GetContainer(PULSOR_TYPE_NAMES).GetString(type).ToLower());
	}
	return TagData::SetDParameter(node, id, t_data, flags);
}

Bool Pulsor::GetDEnabling(GeListNode* node, const DescID& id, const GeData& t_data, DESCFLAGS_ENABLE flags,
	const BaseContainer* itemdesc)
{
	const BaseContainer* data = node ? static_cast<BaseList2D*>(node)->GetDataInstance() : nullptr;
	if (!data)
		return TagData::GetDEnabling(node, id, t_data, flags, itemdesc);
	LinkState link;
	ReadLinkState(*data, &link);
	const LONG first = id[0].id;
	const Bool baked = data->GetBool(PULSOR_HAS_KEYS, FALSE);
	if (baked && first != PULSOR_CLEAR_KEYS)
		return FALSE;
	TabField field;
	if (DecodeTabId(first, &field))
	{
		if (link.IsDisplay(field.offset, PULSOR_TAB_FEEDBACK_DISPLAY) || link.IsDisplay(field.offset, PULSOR_TAB_OUTPUT_DISPLAY))
			return data->GetBool(PULSOR_FEEDBACK, TRUE);
		return TagData::GetDEnabling(node, id, t_data, flags, itemdesc);
	}
	if (first == PULSOR_CLEAR_KEYS)
		return baked;
	if (first == PULSOR_KEY_FROM || first == PULSOR_KEY_TO)
		return data->GetBool(PULSOR_KEY_SEQUENCE, FALSE);
	if (link.IsDisplay(first, PULSOR_MASTER_DISPLAY) || link.IsDisplay(first, PULSOR_BASE_DISPLAY))
		return data->GetBool(PULSOR_FEEDBACK, TRUE);
	return TagData::GetDEnabling(node, id, t_data, flags, itemdesc);
}

Bool Pulsor::AddToExecution(BaseTag* tag, PriorityList* list)
{
	(void)tag;
	(void)list;
	return FALSE;
}

Bool Pulsor::Draw(BaseTag* tag, BaseObject* op, BaseDraw* bd, BaseDrawHelp* bh)
{
	(void)tag;
	(void)op;
	(void)bd;
	(void)bh;
	return TRUE;
}
