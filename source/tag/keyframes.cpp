// Baking the output into keyframes of the linked parameter, and clearing them.
#include "commands.h"
#include "link_state.h"
#include "pulsor.h"
#include "undo_group.h"

#include <memory>
#include <new>

namespace
{

// Longer ranges are only baked after the user confirmed them.
const LLONG kFramesWithoutQuestion = 1000;

// Longer ranges are never baked, asked about or not: over nine hours at 30
// frames per second, beyond any animation; such a range comes from a damaged
// or hostile file (its ends may lie anywhere in 32 bits), and baking it would
// exhaust memory and never finish.
const LLONG kMostFramesBaked = 1000000;

// The host message sent to the element after each scene evaluation of a bake,
// so that the element's parameter holds the evaluated value when read.
const LONG kMessageAfterEvaluation = 5;

// First and last frame of a bake, both baked.
struct BakeRange
{
	LONG first;
	LONG last;

	// Both ends may be anywhere in the 32-bit range, so the distance needs 64
	// bits: a wrapped difference would slip past the confirmation.
	LLONG Span() const { return (LLONG)last - (LLONG)first; }
	LLONG FrameCount() const { return Span() < 0 ? 0 : Span() + 1; }
};

BakeRange ReadBakeRange(const BaseContainer& data, BaseDocument& doc)
{
	const Real fps = (Real)doc.GetFps();
	BaseTime from;
	BaseTime to;
	if (data.GetLong(PULSOR_KEY_SEQUENCE, 0) == 1)
	{
		from = data.GetTime(PULSOR_KEY_FROM, BaseTime(0.0));
		to = data.GetTime(PULSOR_KEY_TO, BaseTime(0.0));
	}
	else
	{
		const BaseContainer settings = doc.GetData(DOCUMENTSETTINGS_GENERAL);
		from = settings.GetTime(DOCUMENT_MINTIME);
		to = settings.GetTime(DOCUMENT_MAXTIME);
	}
	BakeRange range = { from.GetFrame(fps), to.GetFrame(fps) };
	return range;
}

} // namespace

Bool Pulsor::Keyframe(BaseTag* tag, BaseContainer* data, BaseDocument* doc)
{
	if (!tag || !data || !doc)
		return TRUE;
	const Real fps = (Real)doc->GetFps();
	LinkState link;
	ReadLinkState(*data, &link);
	BaseList2D* element = LinkedElement(*data, link, tag, doc);
	if (!element || !link.parameter)
		return TRUE;
	// A copy: the bake writes the container that holds the identifier.
	const DescID id = *link.parameter;
	const LONG slot = link.slot;
	const BakeRange range = ReadBakeRange(*data, *doc);
	const Bool ignore = data->GetBool(PULSOR_IGNORE_KEYS, FALSE);

	// All values are gathered before the first key is written: with the
	// parameter's own animation included, the scene evaluation of a later
	// frame would otherwise read the keys of this bake back in.
	const LLONG count = range.FrameCount();
	if (count > kMostFramesBaked)
		return TRUE;
	std::unique_ptr<GeData[]> values;
	if (count > 0)
	{
		values.reset(new (std::nothrow) GeData[(size_t)count]);
		if (!values)
			return TRUE;
	}
	for (LLONG i = 0; i < count; ++i)
	{
		const LONG frame = (LONG)(range.first + i);
		if (ignore)
		{
			const BaseContainer out = CalculateOutput(data, doc, (Real)frame, 0);
			if (!out.GetIndexData(0))
				return TRUE;
			values[(size_t)i] = out.GetData(PULSOR_FINAL_OUTPUT + slot);
		}
		else
		{
			// The tag's own pass runs inside the evaluation and adds the
			// parameter's animated value to the output.
			doc->SetTime(BaseTime((Real)frame, fps));
			EventAdd();
			doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
			element->Message(kMessageAfterEvaluation);
			element->GetParameter(id, values[(size_t)i], DESCFLAGS_GET_0);
		}
	}

	const Real width = range.Span() > 0 ? (Real)range.Span() : 1.0;
	for (LLONG i = 0; i < count; ++i)
	{
		const BaseTime time((Real)(range.first + i), fps);
		doc->SetTime(time);
		element->SetParameter(id, values[(size_t)i], DESCFLAGS_SET_0);
		doc->RecordKey(element, time, id, nullptr, FALSE, FALSE, FALSE);
		StatusSetBar((LONG)((Real)i * 50.0 / width) + 50);
	}
	StatusClear();
	data->SetBool(PULSOR_HAS_KEYS, TRUE);
	return TRUE;
}

Bool Pulsor::ClearKeyframes(BaseList2D* element, BaseContainer* data)
{
	if (!data)
		return TRUE;
	LinkState link;
	ReadLinkState(*data, &link);
	// A copy: the container may change while tracks go.
	const DescID id = link.parameter ? *link.parameter : DescID();
	if (element && link.parameter)
	{
		while (CTrack* track = element->FindCTrack(id))
		{
			track->Remove();
			CTrack::Free(track);
		}
	}
	data->SetBool(PULSOR_HAS_KEYS, FALSE);
	return TRUE;
}

Bool KeyframeCommand(MessageContext& c, LONG id)
{
	Pulsor* pulsor = c.pulsor;
	BaseTag* tag = c.tag;
	BaseContainer* data = c.data;
	BaseDocument* doc = c.doc;
	LinkState link;
	ReadLinkState(*data, &link);
	BaseList2D* element = LinkedElement(*data, link, tag, doc);
	if (!element)
		return TRUE;
	// A bake that cannot be done leaves everything as it was: no keys, no
	// baked mark, no undo step.
	const BakeRange range = ReadBakeRange(*data, *doc);
	const bool tooLong = range.FrameCount() > kMostFramesBaked;
	switch (id)
	{
		case PULSOR_CONVERT_TO_KEYS:
		{
			// Asking about a bake that will be refused anyway would make a yes
			// look like it was done.
			if (tooLong)
				return TRUE;
			const LLONG span = range.Span();
			if (span > kFramesWithoutQuestion &&
				!QuestionDialog(String("Are you sure you want to key frame ") + LLongToString(span) + String(" frames?")))
				return TRUE;
			UndoGroup undo(doc);
			doc->AddUndo(UNDOTYPE_CHANGE_SMALL, tag);
			doc->AddUndo(UNDOTYPE_CHANGE, element);
			pulsor->Keyframe(tag, data, doc);
			// Also when nothing could be recorded: the user asked for a baked tag.
			data->SetBool(PULSOR_HAS_KEYS, TRUE);
			break;
		}
		case PULSOR_BAKE_DIRECT:
			if (tooLong)
				return TRUE;
			pulsor->Keyframe(tag, data, doc);
			data->SetBool(PULSOR_HAS_KEYS, TRUE);
			break;
		case PULSOR_CLEAR_KEYS:
		{
			UndoGroup undo(doc);
			doc->AddUndo(UNDOTYPE_CHANGE_SMALL, tag);
			doc->AddUndo(UNDOTYPE_CHANGE, element);
			pulsor->ClearKeyframes(element, data);
			break;
		}
		case PULSOR_CLEAR_KEYS_NO_UNDO:
			pulsor->ClearKeyframes(element, data);
			break;
		default:
			break;
	}
	return TRUE;
}
