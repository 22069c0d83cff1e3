#include "c4d_baseobject.h"
#include "c4d_canimation.h"
#include "c4d_nodedata.h"
#include "catalogue.h"
#include "element_anchor.h"
#include "host_services.h"
#include "host_string.h"

#include <atomic>
#include <chrono>
#include <random>

namespace
{

// Ids of one session count up from a random start, so that elements created
// in different sessions (and then loaded side by side) practically never
// share an id. The top bits stay clear: ids are positive and never wrap.
std::atomic<LLONG>& NextUniqueId()
{
	static std::atomic<LLONG> next([] {
		std::random_device device;
		const uint64_t seed = ((uint64_t)device() << 32) ^ (uint64_t)device()
			^ (uint64_t)std::chrono::steady_clock::now().time_since_epoch().count();
		return (LLONG)((seed & 0x1FFFFFFFFFFFFFFFull) | 0x0100000000000000ull);
	}());
	return next;
}

} // namespace

void HostSetUniqueId(BaseList2D* element, LLONG id)
{
	if (element)
		element->uniqueId_ = id;
}

// Every atom is a node (only GeListNode may make a goal, only a goal an
// atom), so the calls reach the node's hooks.
Bool C4DAtom::GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags)
{
	return static_cast<GeListNode*>(this)->ParameterGet(id, t_data, flags);
}

Bool C4DAtom::SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags)
{
	return static_cast<GeListNode*>(this)->ParameterSet(id, t_data, flags);
}

Bool C4DAtom::Message(LONG type, void* data)
{
	return static_cast<GeListNode*>(this)->MessageHook(type, data);
}

Bool C4DAtom::GetDescription(Description* description, DESCFLAGS_DESC flags)
{
	return static_cast<GeListNode*>(this)->DescriptionHook(description, flags);
}

C4DAtomGoal::C4DAtomGoal(LONG type, LONG classification) : C4DAtom(type, classification), anchor_(new Anchor)
{
	anchor_->element = this;
}

C4DAtomGoal::~C4DAtomGoal()
{
	anchor_->element = nullptr;
	anchor_->Release();
}

void GeListNode::Remove()
{
	RemoveFromParent();
	doc_ = nullptr;
}

Bool GeListNode::ParameterGet(const DescID& id, GeData& t_data, DESCFLAGS_GET flags)
{
	(void)id; (void)t_data; (void)flags;
	return FALSE;
}

Bool GeListNode::ParameterSet(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags)
{
	(void)id; (void)t_data; (void)flags;
	return FALSE;
}

Bool GeListNode::MessageHook(LONG type, void* data)
{
	(void)type; (void)data;
	return TRUE;
}

Bool GeListNode::DescriptionHook(Description* description, DESCFLAGS_DESC flags)
{
	(void)description; (void)flags;
	return FALSE;
}

void BaseList2D::SetData(const BaseContainer& bc, Bool add)
{
	if (add)
		data_.MergeContainer(bc);
	else
		data_ = bc;
}

BaseList2D::BaseList2D(LONG type, LONG classification, const ElementType* catalogueType)
	: GeListNode(type, classification), node_(nullptr),
	  uniqueId_(NextUniqueId().fetch_add(1, std::memory_order_relaxed)), catalogueType_(catalogueType)
{
	for (ULONG& d : dirty_)
		d = 0;
	if (!catalogueType_)
		return;
	name_ = HostString(catalogueType_->name);
	for (const ParameterSpec& p : catalogueType_->parameters)
		data_.SetData(p.id, p.defaultValue);
}

BaseList2D::~BaseList2D()
{
	// Links must not reach a half-destroyed element.
	GetAnchor()->element = nullptr;
	if (node_)
	{
		node_->Free(this);
		delete node_;
	}
	for (CTrack* track : tracks_)
		delete track;
}

CTrack* BaseList2D::FindCTrack(const DescID& id)
{
	for (CTrack* track : tracks_)
		if (track->GetDescriptionID() == id)
			return track;
	return nullptr;
}

void BaseList2D::InsertTrackSorted(CTrack* track)
{
	if (!track || track->owner_)
		return;
	CTrack* old = FindCTrack(track->GetDescriptionID());
	CTrack::Free(old);
	track->owner_ = this;
	tracks_.push_back(track);
}

void BaseList2D::DetachTrack(CTrack* track)
{
	for (size_t i = 0; i < tracks_.size(); ++i)
	{
		if (tracks_[i] == track)
		{
			tracks_.erase(tracks_.begin() + (std::ptrdiff_t)i);
			track->owner_ = nullptr;
			return;
		}
	}
}

void BaseList2D::SetDirty(DIRTYFLAGS flags)
{
	for (int bit = 0; bit < 8; ++bit)
		if ((int)flags & (1 << bit))
			++dirty_[bit];
}

ULONG BaseList2D::GetDirty(DIRTYFLAGS flags) const
{
	ULONG count = 0;
	for (int bit = 0; bit < 8; ++bit)
		if ((int)flags & (1 << bit))
			count += dirty_[bit];
	return count;
}

Bool BaseList2D::ParameterGet(const DescID& id, GeData& t_data, DESCFLAGS_GET flags)
{
	if (node_)
	{
		if (!node_->GetDParameter(this, id, t_data, flags))
			return FALSE;
		if (flags & DESCFLAGS_GET_PARAM_GET)
			return TRUE;
	}
	return DefaultGetParameter(id, t_data);
}

Bool BaseList2D::ParameterSet(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags)
{
	if (node_)
	{
		if (!node_->SetDParameter(this, id, t_data, flags))
			return FALSE;
		if (flags & DESCFLAGS_SET_PARAM_SET)
			return TRUE;
	}
	return DefaultSetParameter(id, t_data);
}

Bool BaseList2D::MessageHook(LONG type, void* data)
{
	HostRecordEvent(HostEvent{ HostEvent::MESSAGE, this, type, String() });
	return node_ ? node_->Message(this, type, data) : TRUE;
}

Bool BaseList2D::DescriptionHook(Description* description, DESCFLAGS_DESC flags)
{
	if (!description)
		return FALSE;
	description->SetParameter(DescID(DescLevel(ID_BASELIST_NAME, DTYPE_STRING, 0)), DescriptionSettingsOfName(), DescID());
	if (catalogueType_)
	{
		for (const ParameterSpec& p : catalogueType_->parameters)
			description->SetParameter(DescID(DescLevel(p.id, p.dtype, GetType())), DescriptionSettings(p), DescID());
	}
	if (node_)
		return node_->GetDDescription(this, description, flags);
	return TRUE;
}

static bool IsComponentLevel(LONG id)
{
	return id >= VECTOR_X && id <= VECTOR_Z;
}

static Real Component(const Vector& v, LONG level)
{
	return level == VECTOR_X ? v.x : (level == VECTOR_Y ? v.y : v.z);
}

static void SetComponent(Vector& v, LONG level, Real value)
{
	(level == VECTOR_X ? v.x : (level == VECTOR_Y ? v.y : v.z)) = value;
}

Bool BaseList2D::DefaultGetParameter(const DescID& id, GeData& t_data)
{
	const LONG depth = id.GetDepth();
	if (depth < 1 || depth > 2)
		return FALSE;
	if (id[0].id == ID_BASELIST_NAME)
	{
		if (depth != 1)
			return FALSE;
		t_data = GeData(name_);
		return TRUE;
	}
	if (catalogueType_ && !catalogueType_->Find(id[0].id))
		return FALSE;
	const GeData* value = data_.GetDataPointer(id[0].id);
	if (!value)
		return FALSE;
	if (depth == 1)
	{
		t_data = *value;
		return TRUE;
	}
	if (value->GetType() != DA_VECTOR || !IsComponentLevel(id[1].id))
		return FALSE;
	t_data = GeData(Component(value->GetVector(), id[1].id));
	return TRUE;
}

Bool BaseList2D::DefaultSetParameter(const DescID& id, const GeData& t_data)
{
	const LONG depth = id.GetDepth();
	// An empty value (what a failed read leaves) sets nothing: storing it
	// would only fill the container with entries that hold no value.
	if (depth < 1 || depth > 2 || t_data.GetType() == DA_NIL)
		return FALSE;
	if (id[0].id == ID_BASELIST_NAME)
	{
		if (depth != 1 || t_data.GetType() != DA_STRING)
			return FALSE;
		name_ = t_data.GetString();
		return TRUE;
	}
	const ParameterSpec* param = catalogueType_ ? catalogueType_->Find(id[0].id) : nullptr;
	if (catalogueType_ && !param)
		return FALSE;
	if (depth == 1)
	{
		GeData stored;
		if (!param)
			stored = t_data;
		else if (!CoerceParameterValue(param->dtype, t_data, &stored))
			return FALSE;
		data_.SetData(id[0].id, stored);
		return TRUE;
	}
	const LONG type = t_data.GetType();
	if (type != DA_REAL && type != DA_LONG && type != DA_LLONG)
		return FALSE;
	const GeData* value = data_.GetDataPointer(id[0].id);
	if (!value || value->GetType() != DA_VECTOR || !IsComponentLevel(id[1].id))
		return FALSE;
	Vector v = value->GetVector();
	SetComponent(v, id[1].id, t_data.GetReal());
	data_.SetVector(id[0].id, v);
	return TRUE;
}

BaseTag::BaseTag(LONG type, const ElementType* catalogueType) : BaseList2D(type, Tbase, catalogueType), object_(nullptr) {}

BaseTag::~BaseTag()
{
	RemoveFromParent();
}

void BaseTag::RemoveFromParent()
{
	if (object_)
		object_->DetachTag(this);
	object_ = nullptr;
}

void BaseTag::Free(BaseTag*& tag)
{
	delete tag;
	tag = nullptr;
}
