#include "c4d_basecontainer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <atomic>
#include <vector>

#include "c4d_baselist.h"

namespace
{

struct Entry
{
	LONG id;
	GeData data;
};

const GeData& NilData()
{
	static const GeData nil;
	return nil;
}

} // namespace

// Entries sorted by id, with their ids repeated in a dense array for the
// binary search that places new entries. Larger containers also keep a hash
// index from id to entry: a tag's container holds hundreds of entries, and
// the engine reads a few hundred of them on every evaluation.
// Shared between copies of a container until one of them writes; the writer
// then takes a copy of its own (Detach).
struct BaseContainer::Store
{
	// Below this many entries a binary search is as quick as the index, and
	// the engine's result containers (tens of entries, built by appending)
	// need none.
	static const size_t kIndexThreshold = 64;

	std::atomic<int> refs{1};
	std::vector<LONG> ids;
	std::vector<Entry> entries;
	// Open addressing: entry index or -1; empty while the container is small.
	std::vector<int32_t> slots;
	unsigned shift = 32;

	Store() = default;
	Store(const Store& other) : ids(other.ids), entries(other.entries), slots(other.slots), shift(other.shift) {}

	size_t Slot(LONG id) const { return (size_t)(((uint32_t)id * 2654435769u) >> shift); }

	// Index of the first id not below id, searching from index `from` on.
	size_t LowerBound(LONG id, size_t from = 0) const
	{
		const LONG* base = ids.data() + from;
		size_t n = ids.size() - from;
		while (n > 1)
		{
			const size_t half = n / 2;
			base = base[half - 1] < id ? base + half : base;
			n -= half;
		}
		return (size_t)(base - ids.data()) + (n == 1 && *base < id ? 1 : 0);
	}

	// Index of id, or -1.
	std::ptrdiff_t IndexOf(LONG id) const
	{
		if (slots.empty())
		{
			const size_t i = LowerBound(id);
			return (i < ids.size() && ids[i] == id) ? (std::ptrdiff_t)i : -1;
		}
		const size_t mask = slots.size() - 1;
		for (size_t h = Slot(id);; h = (h + 1) & mask)
		{
			const int32_t e = slots[h];
			if (e < 0)
				return -1;
			if (ids[(size_t)e] == id)
				return e;
		}
	}

	const Entry* Find(LONG id) const
	{
		const std::ptrdiff_t i = IndexOf(id);
		return i >= 0 ? &entries[(size_t)i] : nullptr;
	}
	Entry* Find(LONG id) { return const_cast<Entry*>(static_cast<const Store*>(this)->Find(id)); }

	void IndexAdd(size_t index)
	{
		const size_t mask = slots.size() - 1;
		size_t h = Slot(ids[index]);
		while (slots[h] >= 0)
			h = (h + 1) & mask;
		slots[h] = (int32_t)index;
	}

	void RebuildIndex()
	{
		if (ids.size() < kIndexThreshold)
		{
			slots.clear();
			shift = 32;
			return;
		}
		unsigned bits = 5;
		while (((size_t)1 << bits) < ids.size() * 2)
			++bits;
		shift = 32 - bits;
		slots.assign((size_t)1 << bits, -1);
		for (size_t i = 0; i < ids.size(); ++i)
			IndexAdd(i);
	}

	// Inserts id at index (where LowerBound placed it).
	Entry& Insert(size_t index, LONG id)
	{
		ids.insert(ids.begin() + (std::ptrdiff_t)index, id);
		entries.insert(entries.begin() + (std::ptrdiff_t)index, Entry{ id, GeData() });
		if (slots.empty() || ids.size() * 2 > slots.size())
		{
			RebuildIndex();
		}
		else
		{
			// Entries after the new one moved up by one.
			if (index + 1 < ids.size())
				for (int32_t& e : slots)
					if (e >= (int32_t)index)
						++e;
			IndexAdd(index);
		}
		return entries[index];
	}

	void Erase(size_t index)
	{
		ids.erase(ids.begin() + (std::ptrdiff_t)index);
		entries.erase(entries.begin() + (std::ptrdiff_t)index);
		RebuildIndex();
	}

	void Release()
	{
		if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
			delete this;
	}
};

BaseContainer::BaseContainer() : id_(0), store_(nullptr) {}

BaseContainer::BaseContainer(LONG id) : id_(id), store_(nullptr) {}

BaseContainer::BaseContainer(const BaseContainer& other) : id_(other.id_), store_(other.store_)
{
	if (store_)
		store_->refs.fetch_add(1, std::memory_order_relaxed);
}

BaseContainer& BaseContainer::operator=(const BaseContainer& other)
{
	if (store_ != other.store_)
	{
		if (other.store_)
			other.store_->refs.fetch_add(1, std::memory_order_relaxed);
		if (store_)
			store_->Release();
		store_ = other.store_;
	}
	id_ = other.id_;
	return *this;
}

BaseContainer::~BaseContainer()
{
	if (store_)
		store_->Release();
}

BaseContainer* BaseContainer::Alloc(LONG id)
{
	return new BaseContainer(id);
}

void BaseContainer::Free(BaseContainer*& bc)
{
	delete bc;
	bc = nullptr;
}

void BaseContainer::Detach()
{
	if (!store_)
	{
		store_ = new Store;
		// Most containers grow to a handful of entries; start with room.
		store_->ids.reserve(8);
		store_->entries.reserve(8);
		return;
	}
	if (store_->refs.load(std::memory_order_acquire) == 1)
		return;
	Store* own = new Store(*store_);
	store_->Release();
	store_ = own;
}

const GeData* BaseContainer::GetDataPointer(LONG id) const
{
	if (!store_)
		return nullptr;
	const Entry* e = store_->Find(id);
	return e ? &e->data : nullptr;
}

const GeData& BaseContainer::GetData(LONG id) const
{
	const GeData* d = GetDataPointer(id);
	return d ? *d : NilData();
}

LONG BaseContainer::GetType(LONG id) const
{
	return GetData(id).GetType();
}

static bool IsNumeric(LONG type)
{
	return type == DA_LONG || type == DA_REAL || type == DA_LLONG;
}

Bool BaseContainer::GetBool(LONG id, Bool preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && IsNumeric(d->GetType())) ? d->GetBool() : preset;
}

LONG BaseContainer::GetLong(LONG id, LONG preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && IsNumeric(d->GetType())) ? d->GetLong() : preset;
}

LLONG BaseContainer::GetLLong(LONG id, LLONG preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && IsNumeric(d->GetType())) ? d->GetLLong() : preset;
}

Real BaseContainer::GetReal(LONG id, Real preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && IsNumeric(d->GetType())) ? d->GetReal() : preset;
}

Vector BaseContainer::GetVector(LONG id, const Vector& preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && d->GetType() == DA_VECTOR) ? d->GetVector() : preset;
}

BaseTime BaseContainer::GetTime(LONG id, const BaseTime& preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && d->GetType() == DA_TIME) ? d->GetTime() : preset;
}

String BaseContainer::GetString(LONG id, const String& preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && d->GetType() == DA_STRING) ? d->GetString() : preset;
}

Filename BaseContainer::GetFilename(LONG id, const Filename& preset) const
{
	const GeData* d = GetDataPointer(id);
	return (d && (d->GetType() == DA_FILENAME || d->GetType() == DA_STRING)) ? d->GetFilename() : preset;
}

BaseList2D* BaseContainer::GetLink(LONG id, const BaseDocument* doc, LONG instanceof) const
{
	const GeData* d = GetDataPointer(id);
	return d ? d->GetLink(doc, instanceof) : nullptr;
}

BaseContainer BaseContainer::GetContainer(LONG id) const
{
	const GeData* d = GetDataPointer(id);
	const BaseContainer* bc = d ? d->GetContainer() : nullptr;
	return bc ? *bc : BaseContainer();
}

const BaseContainer* BaseContainer::GetContainerInstance(LONG id) const
{
	const GeData* d = GetDataPointer(id);
	return d ? d->GetContainer() : nullptr;
}

BaseContainer* BaseContainer::GetContainerInstance(LONG id)
{
	const GeData* d = GetDataPointer(id);
	if (!d || d->GetType() != DA_CONTAINER)
		return nullptr;
	// The caller may write through the result, so this container must own
	// its storage first.
	Detach();
	return store_->Find(id)->data.GetContainer();
}

const CustomDataType* BaseContainer::GetCustomDataType(LONG id, LONG datatype) const
{
	const GeData* d = GetDataPointer(id);
	return d ? d->GetCustomDataType(datatype) : nullptr;
}

void BaseContainer::SetLink(LONG id, C4DAtomGoal* link)
{
	GeData d;
	d.SetBaseList2D(link);
	SetData(id, d);
}

GeData* BaseContainer::SetData(LONG id, const GeData& data)
{
	// data may live inside this container's own storage.
	GeData value(data);
	Detach();
	// Containers are mostly built in id order: a new last id needs no search.
	if (store_->ids.empty() || store_->ids.back() < id)
	{
		GeData& stored = store_->Insert(store_->ids.size(), id).data;
		stored.Swap(value);
		return &stored;
	}
	const std::ptrdiff_t existing = store_->IndexOf(id);
	if (existing >= 0)
	{
		GeData& stored = store_->entries[(size_t)existing].data;
		stored.Swap(value);
		return &stored;
	}
	GeData& stored = store_->Insert(store_->LowerBound(id), id).data;
	stored.Swap(value);
	return &stored;
}

Bool BaseContainer::RemoveData(LONG id)
{
	if (!GetDataPointer(id))
		return FALSE;
	Detach();
	store_->Erase((size_t)store_->IndexOf(id));
	return TRUE;
}

void BaseContainer::FlushAll()
{
	if (store_)
		store_->Release();
	store_ = nullptr;
}

LONG BaseContainer::GetIndexId(LONG index) const
{
	if (!store_ || index < 0 || (size_t)index >= store_->entries.size())
		return -1;
	return store_->entries[(size_t)index].id;
}

GeData* BaseContainer::GetIndexData(LONG index) const
{
	if (!store_ || index < 0 || (size_t)index >= store_->entries.size())
		return nullptr;
	return const_cast<GeData*>(&store_->entries[(size_t)index].data);
}

void BaseContainer::MergeContainer(const BaseContainer& src)
{
	if (!src.store_ || src.store_ == store_)
		return;
	// Hold src's entries: src may be a sub-container of this one.
	BaseContainer keep(src);
	Detach();
	for (const Entry& e : keep.store_->entries)
	{
		const std::ptrdiff_t at = store_->IndexOf(e.id);
		if (at >= 0)
			store_->entries[(size_t)at].data = e.data;
		else
			SetData(e.id, e.data);
	}
}

Bool BaseContainer::CopyTo(BaseContainer* dst, COPYFLAGS flags, AliasTrans* trans) const
{
	(void)flags;
	(void)trans;
	if (!dst)
		return FALSE;
	*dst = *this;
	return TRUE;
}

BaseContainer* BaseContainer::GetClone(COPYFLAGS flags, AliasTrans* trans) const
{
	(void)flags;
	(void)trans;
	return new BaseContainer(*this);
}

bool operator==(const BaseContainer& a, const BaseContainer& b)
{
	if (a.store_ == b.store_)
		return true;
	const size_t na = a.store_ ? a.store_->entries.size() : 0;
	const size_t nb = b.store_ ? b.store_->entries.size() : 0;
	if (na != nb)
		return false;
	for (size_t i = 0; i < na; ++i)
	{
		const Entry& ea = a.store_->entries[i];
		const Entry& eb = b.store_->entries[i];
		if (ea.id != eb.id || !(ea.data == eb.data))
			return false;
	}
	return true;
}
