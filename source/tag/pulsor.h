// The Pulsor tag: animates one linked parameter procedurally. All of a tag's
// state lives in its data container (pulsor_ids.h); the class holds none.
#ifndef PULSOR_H__
#define PULSOR_H__

#include "pulsor_ids.h"
#include "tab_list.h"

struct LinkState;

class Pulsor : public TagData
{
public:
	static NodeData* Alloc() { return new Pulsor; }

	// ---- Hooks ----
	// Writes every default into the tag's container.
	virtual Bool Init(GeListNode* node);
	// Commands, follow-ups of edits, drag and drop, bitmaps and the icon.
	virtual Bool Message(GeListNode* node, LONG type, void* data);
	// The tag's page, rebuilt from the container: Base, one page per modifier
	// tab, Output with its Keyframe group and, while switched on, Preset.
	virtual Bool GetDDescription(GeListNode* node, Description* description, DESCFLAGS_DESC& flags);
	// Help icons: their state, and their web pages when clicked.
	virtual Bool GetDParameter(GeListNode* node, const DescID& id, GeData& t_data, DESCFLAGS_GET& flags);
	virtual Bool SetDParameter(GeListNode* node, const DescID& id, const GeData& t_data, DESCFLAGS_SET& flags);
	// Greys out controls: everything but "Clear Keyframes" once baked, "From"
	// and "To" without "Keyframe Sequence", the displays without "Feedback".
	virtual Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData& t_data, DESCFLAGS_ENABLE flags,
		const BaseContainer* itemdesc);
	// FALSE: the host schedules the tag by its expression priority.
	virtual Bool AddToExecution(BaseTag* tag, PriorityList* list);
	// The tag draws nothing.
	virtual Bool Draw(BaseTag* tag, BaseObject* op, BaseDraw* bd, BaseDrawHelp* bh);
	// Writes the value for the document's time into the linked parameter.
	virtual EXECUTIONRESULT Execute(BaseTag* tag, BaseDocument* doc, BaseObject* op, BaseThread* bt, LONG priority,
		EXECUTIONFLAGS flags);

	// ---- Tag state ----
	// Appends a modifier tab of type (1 .. 8) with its number, unique name and
	// defaults. FALSE, with nothing changed, for a type outside 1 .. 8 or when
	// no tab number is left.
	Bool AddTab(BaseContainer* data, GeListNode* node, LONG type);
	// Brings a container stored by an older version up to the current layout.
	void UpdatePulsor(BaseContainer* data);

	// ---- Evaluation engine ----
	// The output for frame position t in a container laid out with the tag's
	// identifiers: the final output and, when feedback is 1, the displays.
	// Empty when no parameter is linked. The container is this tag's scratch:
	// a result kept by the caller stays as it was (copies share until one is
	// written), and one that is let go before the next call lets that call
	// overwrite its entries in place instead of allocating.
	BaseContainer CalculateOutput(const BaseContainer* data, BaseDocument* doc, Real t, LONG feedback);
	// The same with the link already read from data (its identifier is not
	// read: it may have moved since).
	BaseContainer CalculateOutput(const BaseContainer* data, BaseDocument* doc, Real t, LONG feedback, const LinkState& link);
	// The base tab's value: from startValue to endValue over startFrame ..
	// endFrame along timeCurve, as the base playback mode says.
	Real CalculateBaseTab(const BaseContainer* data, Real t, Real startValue, Real endValue, LONG startFrame, LONG endFrame,
		const SplineData* timeCurve, Real strength);
	// One modifier tab's unit output: its waveform at t within its swing
	// range, times its strength envelope.
	Real CalculateModTab(const BaseContainer* data, Real t, LONG tabBase, LONG startFrame, LONG endFrame, LONG offsetFrames,
		LONG loopFrames, const BaseContainer& library, LONG component, LONG negative, LONG positive);
	// The same for components 0 .. count - 1 (at most 3) at once, each with
	// its negative[k] and positive[k], into unit[k]: what does not depend on
	// the component (the tab's fields, envelope, waveform, Noise's path) is
	// read and evaluated once.
	void CalculateModTab(const BaseContainer* data, Real t, LONG tabBase, LONG startFrame, LONG endFrame, LONG offsetFrames,
		LONG loopFrames, const BaseContainer& library, LONG count, const LONG* negative, const LONG* positive, Real* unit);
	// Carries value from [inMin, inMax] to [outMin, outMax]; positions past the
	// interval are clamped or wrapped by the flags (0 or 1), and curve, when
	// given, bends the mapping. Reads no tag state.
	static Real RangeMapper(Real value, Real inMin, Real inMax, Real outMin, Real outMax, const SplineData* curve,
		LONG curveAlways, LONG clampLow, LONG clampHigh);

	// ---- Editing ----
	// Links parameter id of element: records the element, the identifier, its
	// type, slot, component mode and description, renames the tag and, on a
	// change of type, seeds the start, end and variation values.
	Bool ChangeParameter(BaseContainer* data, BaseDocument* doc, C4DAtom* element, DescID id, BaseTag* tag);
	// Records one key per frame of the bake range (the tag's "From" .. "To"
	// under "Keyframe Sequence", else the document's range) on the linked
	// parameter and marks the tag baked. A range of more than a million frames
	// is refused: nothing is recorded or marked. Always TRUE.
	Bool Keyframe(BaseTag* tag, BaseContainer* data, BaseDocument* doc);
	// Removes every track of the linked parameter from element and lifts the
	// baked mark. Always TRUE.
	Bool ClearKeyframes(BaseList2D* element, BaseContainer* data);

	// ---- Presets ----
	// The preset names found in folder, under ids 0, 1, 2, ...
	BaseContainer RefreshList(Filename folder);

private:
	// CalculateOutput's result when the shared one does not serve, kept
	// between calls so that a frame of the same layout allocates nothing. Not
	// tag state: nothing reads it but CalculateOutput, and a copied tag
	// starts without one.
	BaseContainer result_;
	// The tag's tab list as CalculateOutput and the output range last read
	// it.
	TabListCache tabs_;
};

#include "range_mapper.h"

#endif
