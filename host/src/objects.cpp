#include <algorithm>

#include "c4d_basedocument.h"
#include "catalogue.h"
#include "element_list.h"
#include "host_services.h"

// ---- Objects ----------------------------------------------------------------

BaseObject::BaseObject(LONG type) : BaseList2D(type, Obase, FindElementType(type)) {}

BaseObject* BaseObject::Alloc(LONG type)
{
	const ElementType* t = FindElementType(type);
	if (!t || t->classification != Obase)
		return nullptr;
	return new BaseObject(type);
}

void BaseObject::Free(BaseObject*& op)
{
	delete op;
	op = nullptr;
}

BaseObject::~BaseObject()
{
	RemoveFromParent();
	// Tags leave one by one: each takes itself off the list as it dies.
	while (!tags_.empty())
		delete tags_.back();
}

void BaseObject::RemoveFromParent()
{
	if (GetDocument())
		GetDocument()->DetachObject(this);
}

BaseTag* BaseObject::GetNextTag(const BaseTag* tag) const
{
	for (size_t i = 0; i + 1 < tags_.size(); ++i)
		if (tags_[i] == tag)
			return tags_[i + 1];
	return nullptr;
}

BaseTag* BaseObject::GetTag(LONG type, LONG nr) const
{
	for (BaseTag* tag : tags_)
		if (tag->GetType() == type && nr-- == 0)
			return tag;
	return nullptr;
}

void BaseObject::InsertTag(BaseTag* tp, BaseTag* pred)
{
	if (!tp || tp->GetObject())
		return;
	auto at = FindInElementList(tags_, pred);
	tags_.insert(pred && at != tags_.end() ? at + 1 : tags_.begin(), tp);
	tp->SetObject(this);
	tp->SetDocument(GetDocument());
}

void BaseObject::DetachTag(BaseTag* tag)
{
	EraseFromElementList(tags_, tag);
	tag->SetDocument(nullptr);
}

void BaseObject::PropagateDocument(BaseDocument* doc)
{
	SetDocument(doc);
	for (BaseTag* tag : tags_)
		tag->SetDocument(doc);
}

Vector BaseObject::GetRelPos() const
{
	return GetDataInstance()->GetVector(ID_BASEOBJECT_REL_POSITION);
}

void BaseObject::SetRelPos(const Vector& v)
{
	GetDataInstance()->SetVector(ID_BASEOBJECT_REL_POSITION, v);
}

// ---- Materials --------------------------------------------------------------

BaseMaterial::BaseMaterial(LONG type) : BaseList2D(type, Mbase, FindElementType(type)) {}

BaseMaterial* BaseMaterial::Alloc(LONG type)
{
	const ElementType* t = FindElementType(type);
	if (!t || t->classification != Mbase)
		return nullptr;
	return new BaseMaterial(type);
}

void BaseMaterial::Free(BaseMaterial*& mat)
{
	delete mat;
	mat = nullptr;
}

BaseMaterial::~BaseMaterial()
{
	RemoveFromParent();
}

void BaseMaterial::RemoveFromParent()
{
	if (GetDocument())
		GetDocument()->DetachMaterial(this);
}

void BaseMaterial::Update(Bool preview, Bool rttm)
{
	HostRecordEvent(HostEvent{ HostEvent::MATERIAL_UPDATE, this, (preview ? 1 : 0) | (rttm ? 2 : 0), String() });
}
