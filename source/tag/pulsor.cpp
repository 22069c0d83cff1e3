// The Pulsor tag's hooks that the host calls on every scene evaluation.
#include "pulsor.h"

#include "editing.h"
#include "engine.h"

namespace
{

// The linked parameter's identifier, or null while nothing is linked.
const DescID* LinkedParameter(const BaseContainer& data)
{
	const DescID* id = static_cast<const DescID*>(data.GetCustomDataType(PULSOR_LINK_DESCID, CUSTOMDATATYPE_DESCID));
	if (!id || id->GetDepth() < 1 || (*id)[0].id == 0)
		return nullptr;
	return id;
}

// The final output plus the parameter's own value, in the parameter's type.
GeData ValueToWrite(LONG linkType, const GeData& final, const GeData& own, Real fps)
{
	switch (linkType)
	{
		case DTYPE_BOOL:
			return GeData((LONG)(final.GetBool() ? 1 : 0));
		case DTYPE_LONG:
		{
			const LLONG sum = (LLONG)final.GetLong() + own.GetLong();
			return GeData(sum > 2147483647 ? (LONG)2147483647 : (sum < -2147483647 - 1 ? (LONG)(-2147483647 - 1) : (LONG)sum));
		}
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
	GeData own;
	if (!ignore)
	{
		// The host re-applies the parameter's own animation before the tag runs
		// at a new frame; evaluating the same frame again would find this tag's
		// previous output in the parameter instead.
		if ((Real)data->GetLong(PULSOR_LAST_FRAME, 0) == t)
		{
			own = data->GetData(PULSOR_CAPTURED_VALUE + slot);
		}
		else
		{
			target->GetParameter(parameter, own, DESCFLAGS_GET_0);
			data->SetData(PULSOR_CAPTURED_VALUE + slot, own);
		}
	}
	data->SetLong(PULSOR_LAST_FRAME, TruncateToLong(t));

	const LONG linkType = data->GetLong(PULSOR_LINK_TYPE, DTYPE_REAL);
	target->SetParameter(parameter, ValueToWrite(linkType, out.GetData(PULSOR_FINAL_OUTPUT + slot), own, fps), DESCFLAGS_SET_0);
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
