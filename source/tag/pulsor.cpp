// The Pulsor tag's hooks that the host calls on every scene evaluation.
#include "pulsor.h"

#include "editing.h"
#include "engine.h"
#include "tab_list.h"

namespace
{

// The final output plus the parameter's own value, in the parameter's type.
GeData ValueToWrite(LONG linkType, const GeData& final, const GeData& own, Real fps)
{
	switch (linkType)
	{
		case DTYPE_BOOL:
			return GeData((LONG)(final.GetBool() ? 1 : 0));
		case DTYPE_LONG:
			return GeData(SaturateToLong((LLONG)final.GetLong() + own.GetLong()));
		case DTYPE_VECTOR:
		case DTYPE_COLOR:
			return GeData(final.GetVector() + own.GetVector());
		case DTYPE_TIME:
		{
			const BaseTime ownTime = own.GetType() == DA_TIME ? own.GetTime() : BaseTime(0.0, fps);
			return GeData(final.GetTime() + ownTime);
		}
		default:
			return GeData(final.GetReal() + own.GetReal());
	}
}

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
	const DescID* linked = LinkedParameter(*data);
	if (!linked)
		return EXECUTIONRESULT_OK;
	// The identifier lives in the container, which this pass writes.
	const DescID parameter = *linked;

	const Real fps = (Real)doc->GetFps();
	if (data->GetBool(PULSOR_FEEDBACK, FALSE))
		RefreshOutputRange(data, *doc, fps);
	if (data->GetBool(PULSOR_HAS_KEYS, FALSE))
		return EXECUTIONRESULT_OK;

	const Real t = FramePosition(doc->GetTime(), (Real)doc->GetData(DOCUMENTSETTINGS_GENERAL).GetLong(DOCUMENT_FPS));
	const BaseContainer out = CalculateOutput(data, doc, t, data->GetBool(PULSOR_FEEDBACK, TRUE) ? 1 : 0);
	if (!out.GetIndexData(0))
		return EXECUTIONRESULT_OK;

	const Bool ignore = data->GetBool(PULSOR_IGNORE_KEYS, TRUE);
	BaseList2D* target = LinkedElement(*data, tag, doc);
	if (!target)
		return EXECUTIONRESULT_OK;

	const LONG slot = data->GetLong(PULSOR_TYPE_SLOT, 0);
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

	const LONG linkType = data->GetLong(PULSOR_LINK_TYPE, DTYPE_REAL);
	target->SetParameter(parameter, ValueToWrite(linkType, out.GetData(PULSOR_FINAL_OUTPUT + slot), own, fps), DESCFLAGS_SET_0);
	{
		// What the parameter holds now, after any limits of its own: a later
		// pass without an animation tells the tag's own output from a new
		// value by it, also after the animation was removed.
		GeData written;
		target->GetParameter(parameter, written, DESCFLAGS_GET_0);
		data->SetData(PULSOR_WRITTEN_VALUE, written);
	}
	// A file may claim a material for an element that is none.
	if (data->GetLong(PULSOR_LINK_CLASS, PULSOR_LINK_CLASS_OWN_OBJECT) == Mmaterial && target->GetClassification() == Mmaterial)
		static_cast<BaseMaterial*>(target)->Update(TRUE, TRUE);

	data->MergeContainer(out);
	target->Message(MSG_DESCRIPTION_VALIDATE);
	if (op)
		op->Message(MSG_UPDATE);
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

// A display of a block at start + mode + k, for any k of the three
// components: in modes 1 and 8 only the first names a display, and the
// other two name nothing.
bool IsDisplay(LONG offset, LONG blockStart, LONG mode)
{
	const LLONG rel = (LLONG)offset - blockStart - mode;
	return rel >= 0 && rel < 3;
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
	const LONG first = id[0].id;
	const LONG mode = data->GetLong(PULSOR_COMPONENT_MODE, 0);
	const Bool baked = data->GetBool(PULSOR_HAS_KEYS, FALSE);
	if (baked && first != PULSOR_CLEAR_KEYS)
		return FALSE;
	TabField field;
	if (DecodeTabId(first, &field))
	{
		if (IsDisplay(field.offset, PULSOR_TAB_FEEDBACK_DISPLAY, mode) || IsDisplay(field.offset, PULSOR_TAB_OUTPUT_DISPLAY, mode))
			return data->GetBool(PULSOR_FEEDBACK, TRUE);
		return TagData::GetDEnabling(node, id, t_data, flags, itemdesc);
	}
	if (first == PULSOR_CLEAR_KEYS)
		return baked;
	if (first == PULSOR_KEY_FROM || first == PULSOR_KEY_TO)
		return data->GetBool(PULSOR_KEY_SEQUENCE, FALSE);
	if (IsDisplay(first, PULSOR_MASTER_DISPLAY, mode) || IsDisplay(first, PULSOR_BASE_DISPLAY, mode))
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
