#include "c4d_gedata.h"

#include <cmath>
#include <limits>

#include "c4d_basecontainer.h"
#include "c4d_baselist.h"
#include "custom_data.h"
#include "element_anchor.h"

namespace
{

bool IsCustom(LONG type)
{
	return type >= DA_CUSTOMDATATYPE;
}

} // namespace

GeData::GeData(const String& v) : type_(DA_STRING)
{
	u_.p = new Filename(v);
}

GeData::GeData(const CHAR* v) : type_(DA_STRING)
{
	u_.p = new Filename(String(v));
}

GeData::GeData(const Filename& v) : type_(DA_FILENAME)
{
	u_.p = new Filename(v);
}

GeData::GeData(const BaseContainer& v) : type_(DA_CONTAINER)
{
	u_.p = new BaseContainer(v);
}

GeData::GeData(LONG type, const CustomDataType& data) : type_(DA_NIL)
{
	u_.ll = 0;
	// A type the host does not know stays empty: it could not be copied.
	const CustomDataHandler* handler = IsCustom(type) ? FindCustomDataHandler(type) : nullptr;
	if (!handler)
		return;
	CustomDataType* copy = handler->copy(data);
	if (!copy)
		return;
	type_ = type;
	u_.p = copy;
}

GeData& GeData::AssignOwned(const GeData& other)
{
	if (this != &other)
	{
		GeData copy(other);
		Swap(copy);
	}
	return *this;
}

void GeData::CopyFrom(const GeData& other)
{
	switch (other.type_)
	{
		case DA_STRING:
		case DA_FILENAME: u_.p = new Filename(*static_cast<const Filename*>(other.u_.p)); break;
		case DA_CONTAINER: u_.p = new BaseContainer(*static_cast<const BaseContainer*>(other.u_.p)); break;
		case DA_ALIASLINK:
			u_.p = other.u_.p;
			if (u_.p)
				static_cast<C4DAtomGoal::Anchor*>(u_.p)->Retain();
			break;
		default:
			if (other.type_ >= DA_BYTEARRAY)
			{
				// Only types with a handler are ever stored.
				CustomDataType* copy = FindCustomDataHandler(other.type_)->copy(*static_cast<const CustomDataType*>(other.u_.p));
				if (!copy)
					return;  // out of memory: stays DA_NIL
				u_.p = copy;
			}
			else
			{
				u_ = other.u_;
			}
	}
	type_ = other.type_;
}

void GeData::Release()
{
	switch (type_)
	{
		case DA_STRING:
		case DA_FILENAME: delete static_cast<Filename*>(u_.p); break;
		case DA_CONTAINER: delete static_cast<BaseContainer*>(u_.p); break;
		case DA_ALIASLINK:
			if (u_.p)
				static_cast<C4DAtomGoal::Anchor*>(u_.p)->Release();
			break;
		default:
			FindCustomDataHandler(type_)->destroy(static_cast<CustomDataType*>(u_.p));
	}
	type_ = DA_NIL;
}

const Vector& GeData::ZeroVector()
{
	static const Vector zero;
	return zero;
}

const BaseTime& GeData::ZeroTime()
{
	static const BaseTime zero;
	return zero;
}

const String& GeData::GetString() const
{
	static const String empty;
	return type_ == DA_STRING ? static_cast<const Filename*>(u_.p)->GetString() : empty;
}

const Filename& GeData::GetFilename() const
{
	static const Filename empty;
	// A path stored as text reads as that path.
	if (type_ == DA_FILENAME || type_ == DA_STRING)
		return *static_cast<const Filename*>(u_.p);
	return empty;
}

BaseContainer* GeData::GetContainer() const
{
	return type_ == DA_CONTAINER ? static_cast<BaseContainer*>(u_.p) : nullptr;
}

BaseList2D* GeData::GetLink(const BaseDocument* doc, LONG instanceof) const
{
	if (type_ != DA_ALIASLINK || !u_.p)
		return nullptr;
	BaseList2D* element = AnchoredElement(*static_cast<C4DAtomGoal::Anchor*>(u_.p));
	if (!element)
		return nullptr;
	if (doc && element->GetDocument() != doc)
		return nullptr;
	if (instanceof != 0 && element->GetType() != instanceof && element->GetClassification() != instanceof)
		return nullptr;
	return element;
}

void GeData::SetBaseList2D(C4DAtomGoal* link)
{
	GeData value;
	value.type_ = DA_ALIASLINK;
	value.u_.p = nullptr;
	if (link && link->GetAnchor())
	{
		link->GetAnchor()->Retain();
		value.u_.p = link->GetAnchor();
	}
	Swap(value);
}

bool operator==(const GeData& a, const GeData& b)
{
	if (a.type_ != b.type_)
		return false;
	switch (a.type_)
	{
		case DA_NIL: return true;
		case DA_LONG: return a.u_.l == b.u_.l;
		case DA_LLONG: return a.u_.ll == b.u_.ll;
		case DA_REAL: return a.u_.r == b.u_.r;
		case DA_VECTOR: return a.u_.v == b.u_.v;
		case DA_TIME: return a.GetTime() == b.GetTime();
		case DA_STRING:
		case DA_FILENAME: return *static_cast<const Filename*>(a.u_.p) == *static_cast<const Filename*>(b.u_.p);
		case DA_CONTAINER: return *static_cast<const BaseContainer*>(a.u_.p) == *static_cast<const BaseContainer*>(b.u_.p);
		case DA_ALIASLINK: return a.u_.p == b.u_.p;
		default:
			if (a.type_ >= DA_BYTEARRAY)
				return FindCustomDataHandler(a.type_)->equal(*static_cast<const CustomDataType*>(a.u_.p),
					*static_cast<const CustomDataType*>(b.u_.p));
			return a.u_.ll == b.u_.ll;
	}
}
