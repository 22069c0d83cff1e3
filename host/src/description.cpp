#include "lib_description.h"

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "c4d_atomarray.h"
#include "description_registry.h"
#include "plugin_registry.h"

const DescLevel& DescID::Zero()
{
	static const DescLevel zero(0);
	return zero;
}

Bool DescID::IsPartOf(const DescID& cmp, LONG* pos) const
{
	if (depth_ > cmp.depth_)
		return FALSE;
	for (LONG i = 0; i < depth_; ++i)
		if (levels_[i] != cmp.levels_[i])
			return FALSE;
	if (pos)
		*pos = depth_;
	return TRUE;
}

const DescID DescID::operator<<(LONG shift) const
{
	DescID rest;
	for (LONG i = shift < 0 ? 0 : shift; i < depth_; ++i)
		rest.PushId(levels_[i]);
	return rest;
}

Bool DescID::operator==(const DescID& d) const
{
	if (depth_ != d.depth_)
		return FALSE;
	for (LONG i = 0; i < depth_; ++i)
		if (levels_[i] != d.levels_[i])
			return FALSE;
	return TRUE;
}

namespace
{

BaseContainer BuildCustomDataTypeDefault(LONG type)
{
	BaseContainer bc(type);
	switch (type)
	{
		case DTYPE_REAL:
			bc.SetLong(DESC_UNIT, DESC_UNIT_REAL);
			bc.SetReal(DESC_STEP, 1.0);
			bc.SetReal(DESC_MIN, -1.0e20);
			bc.SetReal(DESC_MAX, 1.0e20);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_LONG:
			bc.SetLong(DESC_UNIT, DESC_UNIT_LONG);
			bc.SetLong(DESC_STEP, 1);
			bc.SetLong(DESC_MIN, -2147483647 - 1);
			bc.SetLong(DESC_MAX, 2147483647);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_TIME:
			bc.SetLong(DESC_UNIT, DESC_UNIT_TIME);
			bc.SetReal(DESC_STEP, 1.0);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_VECTOR:
		case DTYPE_COLOR:
			bc.SetLong(DESC_UNIT, type == DTYPE_COLOR ? DESC_UNIT_PERCENT : DESC_UNIT_REAL);
			bc.SetReal(DESC_STEP, type == DTYPE_COLOR ? 0.01 : 1.0);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_BOOL:
		case DTYPE_STRING:
		case DTYPE_FILENAME:
		case DTYPE_BASELISTLINK:
		case DTYPE_BUTTON:
		case DTYPE_GROUP:
		case DTYPE_SEPARATOR:
		case DTYPE_STATICTEXT:
		case DTYPE_POPUP:
		case DTYPE_SUBCONTAINER:
			bc.SetLong(DESC_ANIMATE, type == DTYPE_BOOL ? 1 : 0);
			break;
		default:
			return BaseContainer();
	}
	return bc;
}

struct TypeDefault
{
	LONG type;
	BaseContainer settings;
};

} // namespace

BaseContainer GetCustomDataTypeDefault(LONG type)
{
	// A page asks for these hundreds of times; the copies share one store
	// until the caller writes its own settings.
	static const TypeDefault defaults[] = {
		{ DTYPE_REAL, BuildCustomDataTypeDefault(DTYPE_REAL) },
		{ DTYPE_LONG, BuildCustomDataTypeDefault(DTYPE_LONG) },
		{ DTYPE_TIME, BuildCustomDataTypeDefault(DTYPE_TIME) },
		{ DTYPE_VECTOR, BuildCustomDataTypeDefault(DTYPE_VECTOR) },
		{ DTYPE_COLOR, BuildCustomDataTypeDefault(DTYPE_COLOR) },
		{ DTYPE_BOOL, BuildCustomDataTypeDefault(DTYPE_BOOL) },
		{ DTYPE_STRING, BuildCustomDataTypeDefault(DTYPE_STRING) },
		{ DTYPE_FILENAME, BuildCustomDataTypeDefault(DTYPE_FILENAME) },
		{ DTYPE_BASELISTLINK, BuildCustomDataTypeDefault(DTYPE_BASELISTLINK) },
		{ DTYPE_BUTTON, BuildCustomDataTypeDefault(DTYPE_BUTTON) },
		{ DTYPE_GROUP, BuildCustomDataTypeDefault(DTYPE_GROUP) },
		{ DTYPE_SEPARATOR, BuildCustomDataTypeDefault(DTYPE_SEPARATOR) },
		{ DTYPE_STATICTEXT, BuildCustomDataTypeDefault(DTYPE_STATICTEXT) },
		{ DTYPE_POPUP, BuildCustomDataTypeDefault(DTYPE_POPUP) },
		{ DTYPE_SUBCONTAINER, BuildCustomDataTypeDefault(DTYPE_SUBCONTAINER) },
	};
	for (const TypeDefault& d : defaults)
		if (d.type == type)
			return d.settings;
	return BuildCustomDataTypeDefault(type);
}

// ---- Description ------------------------------------------------------------

struct Description::Impl
{
	struct Element
	{
		DescID id;
		DescID parent;
		BaseContainer settings;
	};

	// A whole page is hundreds of elements and is built anew each time it is
	// shown: elements are kept in chunks, which never move, and found by an
	// open-addressed table, so that an element costs no allocation of its own.
	// A chunk is room for kChunk elements, each constructed as it is added.
	static const size_t kChunk = 64;
	struct FreeChunk
	{
		void operator()(Element* chunk) const { ::operator delete(static_cast<void*>(chunk)); }
	};
	std::vector<std::unique_ptr<Element, FreeChunk>> chunks;
	size_t count = 0;
	// Index + 1 of the element whose first-level id hashes here; 0 is free.
	std::vector<uint32_t> slots;

	bool hasSingle = false;
	DescID single;
	// The element type whose resource was loaded: its id is the parent of the
	// page's top-level groups.
	LONG loadedType = 0;
	bool hasLoadedType = false;

	Impl() {}
	Impl(const Impl&) = delete;
	Impl& operator=(const Impl&) = delete;
	~Impl()
	{
		for (size_t i = 0; i < count; ++i)
			At(i).~Element();
	}

	Element& At(size_t index) const { return chunks[index / kChunk].get()[index % kChunk]; }

	size_t Home(LONG id) const { return (size_t)(((uint32_t)id * 2654435769u) >> 7) & (slots.size() - 1); }

	const Element* Find(const DescID& id) const
	{
		if (id.GetDepth() < 1 || slots.empty())
			return nullptr;
		const LONG key = id[0].id;
		for (size_t h = Home(key);; h = (h + 1) & (slots.size() - 1))
		{
			if (slots[h] == 0)
				return nullptr;
			const Element& e = At(slots[h] - 1);
			if (e.id[0].id == key)
				return &e;
		}
	}

	void Index(size_t index)
	{
		const LONG key = At(index).id[0].id;
		size_t h = Home(key);
		while (slots[h] != 0)
			h = (h + 1) & (slots.size() - 1);
		slots[h] = (uint32_t)(index + 1);
	}

	void Append(const DescID& id, const BaseContainer& settings, const DescID& groupid)
	{
		if (count % kChunk == 0)
		{
			chunks.emplace_back();
			chunks.back().reset(static_cast<Element*>(::operator new(sizeof(Element) * kChunk)));
		}
		new (chunks.back().get() + count % kChunk) Element{ id, groupid, settings };
		++count;
		// At most half full, so that a miss ends quickly.
		if (count * 2 > slots.size())
		{
			slots.assign(slots.empty() ? 256 : slots.size() * 2, 0);
			for (size_t i = 0; i < count; ++i)
				Index(i);
		}
		else
		{
			Index(count - 1);
		}
	}

	// A single-element request builds no groups, so its parents are not held.
	bool HoldsParent(const DescID& parent) const
	{
		if (hasSingle || parent.GetDepth() == 0)
			return true;
		if (hasLoadedType && parent.GetDepth() == 1 && parent[0].id == loadedType)
			return true;
		return Find(parent) != nullptr;
	}
};

Description::Description() : impl_(new Impl) {}

Description::~Description()
{
	delete impl_;
}

Description* Description::Alloc()
{
	return new Description;
}

void Description::Free(Description*& description)
{
	delete description;
	description = nullptr;
}

Bool Description::LoadDescription(LONG type)
{
	TagPluginInfo info;
	DescriptionResource resource;
	if (!FindTagPlugin(type, &info) || !FindDescriptionResource(info.description.GetStdString(), &resource))
		return FALSE;
	impl_->loadedType = type;
	impl_->hasLoadedType = true;
	for (const DescriptionElement& e : resource.elements)
		SetParameter(e.id, e.settings, e.parent);
	return TRUE;
}

Bool Description::SetParameter(const DescID& id, const BaseContainer& settings, const DescID& groupid)
{
	if (id.GetDepth() < 1 || impl_->Find(id) || !impl_->HoldsParent(groupid))
		return FALSE;
	impl_->Append(id, settings, groupid);
	return TRUE;
}

const BaseContainer* Description::GetParameter(const DescID& id, BaseContainer& temp, AtomArray* ar) const
{
	(void)temp;
	(void)ar;
	const Impl::Element* e = impl_->Find(id);
	return e ? &e->settings : nullptr;
}

BaseContainer* Description::GetParameterI(const DescID& id, AtomArray* ar)
{
	(void)ar;
	const Impl::Element* e = impl_->Find(id);
	return e ? const_cast<BaseContainer*>(&e->settings) : nullptr;
}

Bool Description::CheckDescID(const DescID& searchid, const AtomArray& ops, DescID* completeid)
{
	(void)ops;
	const LONG depth = searchid.GetDepth();
	const Impl::Element* e = impl_->Find(searchid);
	if (!e || depth > 2)
		return FALSE;
	const DescLevel& top = e->id[0];
	DescID complete(DescLevel(top.id, top.dtype, top.creator));
	if (depth == 2)
	{
		const LONG component = searchid[1].id;
		const bool composite = top.dtype == DTYPE_VECTOR || top.dtype == DTYPE_COLOR;
		if (!composite || component < VECTOR_X || component > VECTOR_Z)
			return FALSE;
		complete.PushId(DescLevel(component, DTYPE_REAL, 0));
	}
	if (completeid)
		*completeid = complete;
	return TRUE;
}

const DescID* Description::GetSingleDescID()
{
	return impl_->hasSingle ? &impl_->single : nullptr;
}

void Description::SetSingleDescID(const DescID* id)
{
	impl_->hasSingle = id != nullptr;
	if (id)
		impl_->single = *id;
}

LONG Description::GetElementCount() const
{
	return (LONG)impl_->count;
}

const DescID* Description::GetElementId(LONG index) const
{
	return (index >= 0 && (size_t)index < impl_->count) ? &impl_->At((size_t)index).id : nullptr;
}

const DescID* Description::GetElementParent(LONG index) const
{
	return (index >= 0 && (size_t)index < impl_->count) ? &impl_->At((size_t)index).parent : nullptr;
}

const BaseContainer* Description::GetElementSettings(LONG index) const
{
	return (index >= 0 && (size_t)index < impl_->count) ? &impl_->At((size_t)index).settings : nullptr;
}
