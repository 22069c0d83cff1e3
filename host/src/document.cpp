#include "c4d_basedocument.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "c4d_canimation.h"
#include "customgui_priority.h"
#include "element_anchor.h"
#include "element_list.h"
#include "host_services.h"
#include "plugin_registry.h"
#include "prefetch.h"

namespace
{

// Sets every animated parameter of element to its track's value at t.
void ApplyTracks(BaseList2D* element, const BaseTime& t)
{
	for (LONG i = 0; i < element->GetTrackCount(); ++i)
	{
		CTrack* track = element->GetTrackByIndex(i);
		const GeData value = track->GetCurve()->GetValue(t);
		if (value.GetType() != DA_NIL)
			element->SetParameter(track->GetDescriptionID(), value, DESCFLAGS_SET_0);
	}
}

struct Scheduled
{
	BaseTag* tag;
	BaseObject* op;
	LONG priority;
	size_t order;
};

// A tag's place in the evaluation: its priority mode, then its priority value.
LONG ExpressionPriority(BaseTag* tag)
{
	const PriorityData* pd = static_cast<const PriorityData*>(
		tag->GetDataInstance()->GetCustomDataType(EXPRESSION_PRIORITY, CUSTOMGUI_PRIORITY_DATA));
	if (!pd)
		return EXECUTIONPRIORITY_EXPRESSION;
	return pd->GetPriorityValue(PRIORITYVALUE_MODE).GetLong() + pd->GetPriorityValue(PRIORITYVALUE_PRIORITY).GetLong();
}

// The priority of each tag, read in document order, waits for the tag, its
// container, the priority's slot and value and the priority data in turn;
// each is asked for a step before it is read, a few tags ahead.
void PrefetchPriorityAhead(const std::vector<Scheduled>& tags, size_t reading)
{
	enum
	{
		kPointee = 1,
		kValue,
		kSlot,
		kHeader,
		kNode
	};
	const size_t count = tags.size();
	if (reading + kNode < count)
		prefetch::Bytes(tags[reading + kNode].tag, sizeof(BaseList2D));
	if (reading + kHeader < count)
	{
		ContainerPrefetch::Header(*tags[reading + kHeader].tag->GetDataInstance());
		prefetch::Line(tags[reading + kHeader].tag->GetNodeData());
	}
	if (reading + kSlot < count)
		ContainerPrefetch::Slot(*tags[reading + kSlot].tag->GetDataInstance(), EXPRESSION_PRIORITY);
	if (reading + kValue < count)
		ContainerPrefetch::Value(*tags[reading + kValue].tag->GetDataInstance(), EXPRESSION_PRIORITY);
	if (reading + kPointee < count)
		ContainerPrefetch::Pointee(*tags[reading + kPointee].tag->GetDataInstance(), EXPRESSION_PRIORITY);
}

// Expressions run one after another, each asking for the memory of those a
// few places later so that it arrives while the ones in between run. A
// scheduled expression's memory comes in stages, each reading only what an
// earlier step asked for (reading a line still on its way would wait for
// it): the tag and its object; their containers' headers and the tag's
// plug-in instance; the tag container's entries; what those point at.
void PrefetchAhead(const std::vector<Scheduled>& schedule, size_t running)
{
	enum
	{
		kPointees = 2,
		kEntries,
		kHeaders,
		kNodes
	};
	const size_t count = schedule.size();
	if (running + kNodes < count)
	{
		const Scheduled& s = schedule[running + kNodes];
		prefetch::Bytes(s.tag, sizeof(BaseList2D));
		prefetch::Bytes(s.op, sizeof(BaseList2D));
	}
	if (running + kHeaders < count)
	{
		const Scheduled& s = schedule[running + kHeaders];
		ContainerPrefetch::Header(*s.tag->GetDataInstance());
		// A tag that a plug-in scheduled need not be on an object.
		if (s.op)
			ContainerPrefetch::Header(*s.op->GetDataInstance());
		prefetch::Line(s.tag->GetNodeData());
	}
	if (running + kEntries < count)
		ContainerPrefetch::Entries(*schedule[running + kEntries].tag->GetDataInstance());
	if (running + kPointees < count)
		ContainerPrefetch::Pointees(*schedule[running + kPointees].tag->GetDataInstance());
}

} // namespace

// ---- Undo -------------------------------------------------------------------

namespace
{

// One animated parameter as a step records it: the track's parameter and its
// keys in time order.
struct TrackState
{
	DescID id;
	std::vector<std::pair<BaseTime, GeData>> keys;
};

// An element's state as a step records it: everything an edit can change on
// it, its keys included, so that undoing a bake takes the baked keys away
// and undoing a clear brings them back.
struct ElementState
{
	BaseContainer data;
	String name;
	std::vector<TrackState> tracks;
};

ElementState Capture(const BaseList2D& element)
{
	ElementState state{ *element.GetDataInstance(), element.GetName(), std::vector<TrackState>() };
	for (LONG i = 0; i < element.GetTrackCount(); ++i)
	{
		CTrack* track = element.GetTrackByIndex(i);
		const CCurve* curve = track->GetCurve();
		TrackState saved{ track->GetDescriptionID(), std::vector<std::pair<BaseTime, GeData>>() };
		saved.keys.reserve((size_t)curve->GetKeyCount());
		for (LONG k = 0; k < curve->GetKeyCount(); ++k)
		{
			const CKey* key = curve->GetKey(k);
			saved.keys.push_back(std::make_pair(key->GetTime(), key->GetGeData()));
		}
		state.tracks.push_back(std::move(saved));
	}
	return state;
}

// The tracks are rebuilt whole, in their recorded order: a track the edit
// added goes, one it removed comes back.
void RestoreTracks(BaseList2D& element, const std::vector<TrackState>& tracks)
{
	while (element.GetTrackCount() > 0)
	{
		CTrack* track = element.GetTrackByIndex(element.GetTrackCount() - 1);
		CTrack::Free(track);
	}
	for (const TrackState& saved : tracks)
	{
		CTrack* track = CTrack::Alloc(&element, saved.id);
		if (!track)
			continue;
		CCurve* curve = track->GetCurve();
		for (const std::pair<BaseTime, GeData>& key : saved.keys)
		{
			CKey* added = curve->AddKey(key.first);
			if (added)
				added->SetGeData(curve, key.second);
		}
		element.InsertTrackSorted(track);
	}
}

void Restore(BaseList2D& element, const ElementState& state)
{
	element.SetData(state.data, FALSE);
	element.SetName(state.name);
	RestoreTracks(element, state.tracks);
}

struct UndoStep
{
	C4DAtomGoal::Anchor* anchor;
	UNDOTYPE type;
	ElementState before;
	ElementState after;    // filled when the step is undone, for redo
};

struct UndoGroup
{
	std::vector<UndoStep> steps;
};

void ReleaseSteps(std::vector<UndoGroup>& groups)
{
	for (UndoGroup& g : groups)
		for (UndoStep& step : g.steps)
			step.anchor->Release();
	groups.clear();
}

BaseList2D* ElementOf(const UndoStep& step)
{
	return AnchoredElement(*step.anchor);
}

} // namespace

struct BaseDocument::UndoHistory
{
	std::vector<UndoGroup> undo;
	std::vector<UndoGroup> redo;
	LONG depth = 0;
	// The most groups kept, the oldest going first; negative: no bound.
	LONG limit = -1;

	~UndoHistory()
	{
		ReleaseSteps(undo);
		ReleaseSteps(redo);
	}

	bool Records() const { return limit != 0; }

	// Only closed groups go: the open one is still being filled.
	void Trim()
	{
		if (limit < 0 || depth != 0)
			return;
		const size_t kept = (size_t)limit;
		if (undo.size() + redo.size() <= kept)
			return;
		// Redo groups are newer than every undo group, so undo groups go first.
		while (!undo.empty() && undo.size() + redo.size() > kept)
		{
			std::vector<UndoGroup> oldest;
			oldest.push_back(std::move(undo.front()));
			undo.erase(undo.begin());
			ReleaseSteps(oldest);
		}
	}
};

void HostSetUndoLimit(BaseDocument* doc, LONG groups)
{
	if (!doc)
		return;
	doc->undo_->limit = groups < 0 ? -1 : groups;
	doc->undo_->Trim();
}

Bool BaseDocument::StartUndo()
{
	if (undo_->depth++ == 0)
	{
		undo_->undo.push_back(UndoGroup());
		ReleaseSteps(undo_->redo);
	}
	return TRUE;
}

Bool BaseDocument::AddUndo(UNDOTYPE type, void* data, Bool allowFromThread)
{
	(void)allowFromThread;
	BaseList2D* element = static_cast<BaseList2D*>(data);
	if (!element)
		return FALSE;
	// Nothing kept, so nothing captured: a bake's keys are not copied for a
	// history no one reads.
	if (!undo_->Records())
		return TRUE;
	if (undo_->undo.empty())
		undo_->undo.push_back(UndoGroup());
	if (undo_->depth == 0)
		ReleaseSteps(undo_->redo);
	element->GetAnchor()->Retain();
	undo_->undo.back().steps.push_back(UndoStep{ element->GetAnchor(), type, Capture(*element), ElementState() });
	undo_->Trim();
	return TRUE;
}

Bool BaseDocument::EndUndo()
{
	if (undo_->depth == 0)
		return FALSE;
	--undo_->depth;
	// An empty group is no step for the user.
	if (undo_->depth == 0 && undo_->undo.back().steps.empty())
		undo_->undo.pop_back();
	undo_->Trim();
	return TRUE;
}

Bool BaseDocument::DoUndo(Bool multiple)
{
	(void)multiple;
	if (undo_->depth != 0 || undo_->undo.empty())
		return FALSE;
	UndoGroup group = std::move(undo_->undo.back());
	undo_->undo.pop_back();
	// Last change first, so that the earliest recorded state wins.
	for (auto it = group.steps.rbegin(); it != group.steps.rend(); ++it)
	{
		BaseList2D* element = ElementOf(*it);
		if (!element)
			continue;
		it->after = Capture(*element);
		Restore(*element, it->before);
	}
	undo_->redo.push_back(std::move(group));
	return TRUE;
}

Bool BaseDocument::DoRedo()
{
	if (undo_->depth != 0 || undo_->redo.empty())
		return FALSE;
	UndoGroup group = std::move(undo_->redo.back());
	undo_->redo.pop_back();
	for (UndoStep& step : group.steps)
	{
		BaseList2D* element = ElementOf(step);
		if (element)
			Restore(*element, step.after);
	}
	undo_->undo.push_back(std::move(group));
	return TRUE;
}

LONG BaseDocument::GetUndoCount() const
{
	return (LONG)undo_->undo.size();
}

LONG BaseDocument::GetRedoCount() const
{
	return (LONG)undo_->redo.size();
}

// ---- Document ---------------------------------------------------------------

BaseDocument::BaseDocument() : BaseList2D(0, 0), undo_(new UndoHistory)
{
	SetFps(30);
	SetMinTime(BaseTime(0.0));
	SetMaxTime(BaseTime(3.0));
}

BaseDocument* BaseDocument::Alloc()
{
	return new BaseDocument;
}

void BaseDocument::Free(BaseDocument*& doc)
{
	delete doc;
	doc = nullptr;
}

BaseDocument::~BaseDocument()
{
	delete undo_;
	while (!objects_.empty())
		delete objects_.back();
	while (!materials_.empty())
		delete materials_.back();
}

LONG BaseDocument::GetFps() const
{
	const LONG fps = GetDataInstance()->GetLong(DOCUMENT_FPS, 30);
	return fps < 1 ? 1 : fps;
}

void BaseDocument::SetFps(LONG fps)
{
	GetDataInstance()->SetLong(DOCUMENT_FPS, fps < 1 ? 1 : fps);
}

BaseTime BaseDocument::GetMinTime() const
{
	return GetDataInstance()->GetTime(DOCUMENT_MINTIME);
}

void BaseDocument::SetMinTime(const BaseTime& t)
{
	GetDataInstance()->SetTime(DOCUMENT_MINTIME, t);
}

BaseTime BaseDocument::GetMaxTime() const
{
	return GetDataInstance()->GetTime(DOCUMENT_MAXTIME);
}

void BaseDocument::SetMaxTime(const BaseTime& t)
{
	GetDataInstance()->SetTime(DOCUMENT_MAXTIME, t);
}

BaseContainer BaseDocument::GetData(DOCUMENTSETTINGS type)
{
	return type == DOCUMENTSETTINGS_GENERAL ? *GetDataInstance() : BaseContainer();
}

void BaseDocument::SetData(DOCUMENTSETTINGS type, const BaseContainer& bc)
{
	if (type == DOCUMENTSETTINGS_GENERAL)
		GetDataInstance()->MergeContainer(bc);
}

void BaseDocument::InsertObject(BaseObject* op, BaseObject* pred)
{
	if (!op || op->GetDocument())
		return;
	// Without a predecessor the object goes first: no search through a
	// scene of thousands for it.
	auto at = pred ? FindInElementList(objects_, pred) : objects_.end();
	objects_.insert(pred && at != objects_.end() ? at + 1 : objects_.begin(), op);
	op->PropagateDocument(this);
}

void BaseDocument::InsertMaterial(BaseMaterial* mat, BaseMaterial* pred)
{
	if (!mat || mat->GetDocument())
		return;
	auto at = pred ? FindInElementList(materials_, pred) : materials_.end();
	materials_.insert(pred && at != materials_.end() ? at + 1 : materials_.begin(), mat);
	mat->SetDocument(this);
}

void BaseDocument::DetachObject(BaseObject* op)
{
	EraseFromElementList(objects_, op);
	op->PropagateDocument(nullptr);
}

void BaseDocument::DetachMaterial(BaseMaterial* mat)
{
	EraseFromElementList(materials_, mat);
	mat->SetDocument(nullptr);
}

Bool BaseDocument::ExecutePasses(BaseThread* bt, Bool animation, Bool expressions, Bool caches, BUILDFLAGS flags)
{
	(void)caches;
	(void)flags;
	const BaseTime now = time_;
	if (animation)
	{
		for (BaseObject* op : objects_)
		{
			ApplyTracks(op, now);
			for (LONG i = 0; i < op->GetTagCount(); ++i)
				ApplyTracks(op->GetTagByIndex(i), now);
		}
		for (BaseMaterial* mat : materials_)
			ApplyTracks(mat, now);
	}
	if (!expressions)
		return TRUE;

	// Collected first: an expression may change the document's lists.
	size_t tagCount = 0;
	for (BaseObject* op : objects_)
		tagCount += (size_t)op->GetTagCount();
	std::vector<Scheduled> tags;
	tags.reserve(tagCount);
	for (BaseObject* op : objects_)
		for (LONG i = 0; i < op->GetTagCount(); ++i)
			tags.push_back(Scheduled{ op->GetTagByIndex(i), op, 0, 0 });
	std::vector<Scheduled> schedule;
	schedule.reserve(tags.size());
	PriorityList own;
	for (size_t k = 0; k < tags.size(); ++k)
	{
		PrefetchPriorityAhead(tags, k);
		BaseTag* tag = tags[k].tag;
		TagData* plugin = static_cast<TagData*>(tag->GetNodeData());
		TagPluginInfo info;
		if (!plugin || !FindTagPlugin(tag->GetType(), &info) || !(info.info & TAG_EXPRESSION))
			continue;
		if (plugin->AddToExecution(tag, &own))
			continue;
		schedule.push_back(Scheduled{ tag, tags[k].op, ExpressionPriority(tag), schedule.size() });
	}
	for (const PriorityList::Item& item : own.items_)
	{
		BaseTag* tag = static_cast<BaseTag*>(item.node);
		schedule.push_back(Scheduled{ tag, tag->GetObject(), item.priority, schedule.size() });
	}
	std::stable_sort(schedule.begin(), schedule.end(),
		[](const Scheduled& a, const Scheduled& b) { return a.priority < b.priority; });
	for (size_t i = 0; i < schedule.size(); ++i)
	{
		PrefetchAhead(schedule, i);
		const Scheduled& s = schedule[i];
		TagData* plugin = static_cast<TagData*>(s.tag->GetNodeData());
		plugin->Execute(s.tag, this, s.op, bt, s.priority, EXECUTIONFLAGS_EXPRESSION);
	}
	return TRUE;
}

Bool BaseDocument::RecordKey(BaseList2D* op, const BaseTime& time, const DescID& id, BaseList2D* undo,
	Bool eval_attribmanager, Bool autokeying, Bool allow_linking)
{
	(void)undo;
	(void)eval_attribmanager;
	(void)autokeying;
	(void)allow_linking;
	if (!op || id.GetDepth() < 1 || !std::isfinite(time.Get()))
		return FALSE;
	GeData value;
	// A parameter that cannot be read would leave an empty track behind.
	if (!op->GetParameter(id, value, DESCFLAGS_GET_0) || value.GetType() == DA_NIL)
		return FALSE;
	CTrack* track = op->FindCTrack(id);
	if (!track)
	{
		track = CTrack::Alloc(op, id);
		if (!track)
			return FALSE;
		op->InsertTrackSorted(track);
	}
	CCurve* curve = track->GetCurve();
	CKey* key = curve->AddKey(time);
	if (!key)
		return FALSE;
	if (value.GetType() == DA_REAL)
		key->SetValue(curve, value.GetReal());
	else
		key->SetGeData(curve, value);
	return TRUE;
}

void PriorityList::Add(GeListNode* node, LONG priority, EXECUTIONFLAGS flags)
{
	if (node)
		items_.push_back(Item{ node, priority, flags });
}
