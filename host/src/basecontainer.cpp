#include "c4d_basecontainer.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "c4d_baselist.h"
#include "prefetch.h"

namespace
{

const GeData& NilData()
{
	static const GeData nil;
	return nil;
}

} // namespace

// Each value keeps the place it was stored at for as long as it lives; the
// ids, sorted, each with the place of its value, give the index order that
// iteration and the binary search use. A new entry therefore moves no value
// and no place of the hash index: only the sorted keys, eight bytes each,
// shift up behind it. Tags grow by inserting in front of their last entry
// (the priority), thousands of times while a scene loads, and renumbering
// every place on each insert made that quadratic.
// Larger containers also keep a hash index from id to place: a tag's
// container holds hundreds of entries, and the engine reads a few hundred of
// them on every evaluation. Insert, InsertSorted and Erase are the only
// changes to which entries there are, and they keep the keys, the values and
// the index in step.
// A store starts as one block: this header, then room for its values, then
// as many keys. A page builds hundreds of small containers each time it is
// shown, and one allocation each instead of three halved its cost. A small
// store with no room left is replaced by a larger one (WithRoom); only its
// one owner can be writing to it then. A large one keeps its block and adds
// chunks of values beside it: a tag's container gains the displays of its
// first evaluation long after it was built, and moving its hundreds of values
// into a new block for them cost each tag of a scene a fresh block and left
// the old one unused.
// Shared between copies of a container until one of them writes; the writer
// then takes a copy of its own (Detach).
struct BaseContainer::Store
{
	// First, where the interface header's inline reads and writes find it.
	Index index;

	// Most containers grow to a handful of entries; a new one starts with room.
	static constexpr size_t kFirstCapacity = 8;
	static constexpr size_t kChunk = (size_t)1 << Index::kChunkBits;

	static Store* Create(size_t capacity)
	{
		void* block = ::operator new(ValuesOffset() + capacity * (sizeof(GeData) + sizeof(Key)));
		return new (block) Store(capacity);
	}

	void Release()
	{
		if (index.refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
			Destroy(this);
	}

	// A copy of its own for a writer, in one block with the room a new store
	// has.
	Store* Copy() const
	{
		Store* copy = Create(index.size < kFirstCapacity ? kFirstCapacity : index.size);
		// Each value is constructed before the size counts it, so that a
		// failed copy destroys only what exists.
		for (size_t place = 0; place < index.size; ++place)
		{
			new (copy->Place(place)) GeData(*Place(place));
			++copy->index.size;
		}
		std::copy(index.keys, index.keys + index.size, copy->index.keys);
		copy->CopyIndexOf(*this);
		copy->index.hint = index.hint;
		return copy;
	}

	// This store with room for at least capacity entries. A small store is
	// replaced by a larger one that takes its entries over, and this one is
	// gone; a large one grows in place. Only for a store with one owner.
	Store* WithRoom(size_t capacity)
	{
		if (capacity <= capacity_)
			return this;
		if (index.size >= kIndexThreshold)
		{
			if (keysInBlock_)
				MoveKeysOut(capacity);
			while (capacity_ < capacity)
				AddChunk();
			ReserveKeys(capacity_);
			return this;
		}
		Store* grown = Create(capacity);
		for (size_t place = 0; place < index.size; ++place)
			new (grown->Place(place)) GeData(std::move(*Place(place)));
		std::copy(index.keys, index.keys + index.size, grown->index.keys);
		grown->index.size = index.size;
		grown->TakeIndexOf(this);
		grown->index.hint = index.hint;
		Destroy(this);
		return grown;
	}

	// Room for one more entry. A small store grows by half rather than
	// doubling: a tag's container holds a few hundred entries, and a scene
	// thousands of tags.
	Store* WithRoomForOne()
	{
		if (index.size < capacity_)
			return this;
		return WithRoom(index.size >= kIndexThreshold ? capacity_ + 1 : capacity_ + capacity_ / 2);
	}

	size_t Size() const { return index.size; }
	LONG IdAt(size_t at) const { return index.keys[at].id; }
	const GeData& ValueAt(size_t at) const { return *Place((size_t)index.keys[at].at); }
	GeData& ValueAt(size_t at) { return *Place((size_t)index.keys[at].at); }

	// Index of the first id not below id.
	size_t LowerBound(LONG id) const
	{
		const Key* first = index.keys;
		const Key* base = first;
		size_t n = index.size;
		if (n == 0)
			return 0;
		while (n > 1)
		{
			const size_t half = n / 2;
			base = base[half - 1].id < id ? base + half : base;
			n -= half;
		}
		return (size_t)(base - first) + (base->id < id ? 1 : 0);
	}

	// Index of id in id order, or -1.
	std::ptrdiff_t IndexOf(LONG id) const
	{
		const size_t i = LowerBound(id);
		return (i < index.size && index.keys[i].id == id) ? (std::ptrdiff_t)i : -1;
	}

	const GeData* Find(LONG id) const { return index.slots ? Probe(index, id) : Search(index, id); }
	GeData* Find(LONG id) { return const_cast<GeData*>(static_cast<const Store*>(this)->Find(id)); }

	// The value of id, or null; looked for first just after the last entry
	// found this way or written, as a merge of a result in id order finds its
	// entries one after another.
	GeData* FindNear(LONG id)
	{
		const size_t next = index.hint + 1;
		if (next < index.size && index.keys[next].id == id)
		{
			index.hint = next;
			return &ValueAt(next);
		}
		if (index.slots)
			return Find(id);
		const std::ptrdiff_t at = IndexOf(id);
		if (at < 0)
			return nullptr;
		index.hint = (size_t)at;
		return &ValueAt((size_t)at);
	}

	// The value of id to overwrite, or null with *insertAt set to where id
	// belongs. A result container overwritten in place is written in id
	// order every frame: the entry after the last one written is tried first.
	GeData* FindForWrite(LONG id, size_t* insertAt)
	{
		// A large container's entries are mostly overwritten where they are,
		// as an evaluation writes a tag's few results: the index finds them
		// without touching the keys.
		if (index.slots)
		{
			GeData* found = const_cast<GeData*>(Probe(index, id));
			if (found)
				return found;
		}
		// Containers are mostly built in id order: a new last id needs no search.
		if (index.size == 0 || index.keys[index.size - 1].id < id)
		{
			*insertAt = index.size;
			return nullptr;
		}
		const size_t next = index.hint + 1;
		if (next < index.size && index.keys[next].id == id)
		{
			index.hint = next;
			return &ValueAt(next);
		}
		if (index.hint < index.size && index.keys[index.hint].id == id)
			return &ValueAt(index.hint);
		// Between the last entry written and the next: absent, and its place
		// is known. A tab's fields are added this way, in front of the
		// container's last entry.
		if (next < index.size && index.keys[index.hint].id < id && id < index.keys[next].id)
		{
			*insertAt = next;
			return nullptr;
		}
		const size_t at = LowerBound(id);
		if (at < index.size && index.keys[at].id == id)
		{
			index.hint = at;
			return &ValueAt(at);
		}
		*insertAt = at;
		return nullptr;
	}

	// Inserts id, with an empty value, at index (where LowerBound placed it).
	// The store must have room (WithRoomForOne).
	GeData& Insert(size_t at, LONG id)
	{
		const Key key = { id, (LONG)index.size };
		GeData* value = new (Place(index.size)) GeData;
		std::copy_backward(index.keys + at, index.keys + index.size, index.keys + index.size + 1);
		index.keys[at] = key;
		++index.size;
		if (!index.slots || index.size * 4 > SlotCount() * 3)
			RebuildIndex();
		else
			IndexAdd(key);
		index.hint = at;
		return *value;
	}

	// Inserts ids that are all absent, ascending, each with its value: one
	// merge of the sorted keys, so that a merge of many new entries costs
	// what the entries cost, not entries times size. The store must have
	// room for them (WithRoom).
	void InsertSorted(const std::vector<LONG>& ids, const std::vector<const GeData*>& values)
	{
		if (ids.empty())
			return;
		Key* keys = index.keys;
		const size_t old = index.size;
		// Values first, each counted once it exists.
		for (size_t i = 0; i < ids.size(); ++i)
		{
			new (Place(index.size)) GeData(*values[i]);
			++index.size;
		}
		// Keys from the back, so that every key moves once and none is
		// overwritten before it has moved.
		size_t mine = old;
		size_t theirs = ids.size();
		for (size_t out = index.size; theirs > 0;)
		{
			--out;
			if (mine > 0 && keys[mine - 1].id > ids[theirs - 1])
			{
				keys[out] = keys[--mine];
				continue;
			}
			--theirs;
			keys[out].id = ids[theirs];
			keys[out].at = (LONG)(old + theirs);
		}
		index.hint = 0;
		RebuildIndex();
	}

	void Erase(size_t at)
	{
		// The last place moves into the freed one, so that places stay dense.
		Key* keys = index.keys;
		const LONG freed = keys[at].at;
		const LONG last = (LONG)index.size - 1;
		std::copy(keys + at + 1, keys + index.size, keys + at);
		if (freed != last)
		{
			*Place((size_t)freed) = std::move(*Place((size_t)last));
			for (size_t i = 0; i + 1 < index.size; ++i)
				if (keys[i].at == last)
				{
					keys[i].at = freed;
					break;
				}
		}
		Place((size_t)last)->~GeData();
		--index.size;
		index.hint = 0;
		RebuildIndex();
	}

private:
	explicit Store(size_t capacity) : capacity_(capacity), keyCapacity_(capacity)
	{
		index.refs.store(1, std::memory_order_relaxed);
		index.size = 0;
		index.hint = 0;
		index.slots = nullptr;
		index.mask = 0;
		index.shift = 32;
		index.base = capacity;
		index.values = BlockValues();
		index.chunks = nullptr;
		index.keys = BlockKeys();
	}
	~Store()
	{
		for (size_t place = 0; place < index.size; ++place)
			Place(place)->~GeData();
		for (size_t i = 0; i < chunkCount_; ++i)
			::operator delete(static_cast<void*>(index.chunks[i]));
		if (index.chunks != chunkTable_)
			delete[] index.chunks;
		if (!keysInBlock_)
			delete[] index.keys;
		delete[] index.slots;
	}
	Store(const Store&) = delete;
	Store& operator=(const Store&) = delete;

	static void Destroy(Store* store)
	{
		store->~Store();
		::operator delete(static_cast<void*>(store));
	}

	GeData* Place(size_t place) { return index.At((LONG)place); }
	const GeData* Place(size_t place) const { return index.At((LONG)place); }

	// Where the values start, past the header, aligned for them.
	static size_t ValuesOffset()
	{
		return (sizeof(Store) + alignof(GeData) - 1) / alignof(GeData) * alignof(GeData);
	}
	GeData* BlockValues() { return reinterpret_cast<GeData*>(reinterpret_cast<unsigned char*>(this) + ValuesOffset()); }
	Key* BlockKeys() { return reinterpret_cast<Key*>(BlockValues() + index.base); }

	void AddChunk()
	{
		if (!index.chunks)
		{
			index.chunks = chunkTable_;
			chunkRoom_ = kTableChunks;
		}
		if (chunkCount_ == chunkRoom_)
		{
			const size_t room = 2 * chunkRoom_;
			GeData** table = new GeData*[room];
			std::copy(index.chunks, index.chunks + chunkCount_, table);
			if (index.chunks != chunkTable_)
				delete[] index.chunks;
			index.chunks = table;
			chunkRoom_ = room;
		}
		index.chunks[chunkCount_++] = static_cast<GeData*>(::operator new(kChunk * sizeof(GeData)));
		capacity_ += kChunk;
	}

	// The keys leave the block for an array with room for what capacity
	// needs, and their room in the block takes values. The store has no
	// chunks yet: they come only after the keys have left.
	void MoveKeysOut(size_t capacity)
	{
		const size_t base = index.base + index.base * sizeof(Key) / sizeof(GeData);
		size_t room = base;
		while (room < capacity)
			room += kChunk;
		Key* keys = new Key[room];
		std::copy(index.keys, index.keys + index.size, keys);
		index.keys = keys;
		keysInBlock_ = false;
		keyCapacity_ = room;
		index.base = base;
		capacity_ = base;
	}

	// Room for count keys once they have left the block; growing by half, so
	// that a container read entry by entry copies its keys a few times, not
	// once per chunk.
	void ReserveKeys(size_t count)
	{
		if (count <= keyCapacity_)
			return;
		if (count < keyCapacity_ + keyCapacity_ / 2)
			count = keyCapacity_ + keyCapacity_ / 2;
		Key* keys = new Key[count];
		std::copy(index.keys, index.keys + index.size, keys);
		delete[] index.keys;
		index.keys = keys;
		keyCapacity_ = count;
	}

	// Below this many entries a binary search is as quick as the index, and
	// the engine's result containers (tens of entries, built by appending)
	// need none. Stores of this size and more also grow in chunks.
	static constexpr size_t kIndexThreshold = 64;

	size_t SlotCount() const { return index.slots ? index.mask + 1 : 0; }

	void IndexAdd(const Key& key)
	{
		size_t h = Slot(index, key.id);
		while (index.slots[h].at >= 0)
			h = (h + 1) & index.mask;
		index.slots[h] = key;
	}

	void DropIndex()
	{
		delete[] index.slots;
		index.slots = nullptr;
		index.mask = 0;
		index.shift = 32;
	}

	void RebuildIndex()
	{
		if (index.size < kIndexThreshold)
		{
			DropIndex();
			return;
		}
		unsigned bits = 5;
		while (((size_t)1 << bits) * 3 < index.size * 4)
			++bits;
		const size_t count = (size_t)1 << bits;
		if (count != SlotCount())
		{
			Key* slots = new Key[count];
			DropIndex();
			index.slots = slots;
			index.mask = count - 1;
			index.shift = 32 - bits;
		}
		const Key empty = { 0, -1 };
		std::fill(index.slots, index.slots + count, empty);
		for (size_t i = 0; i < index.size; ++i)
			IndexAdd(index.keys[i]);
	}

	void CopyIndexOf(const Store& other)
	{
		if (!other.index.slots)
			return;
		const size_t count = other.SlotCount();
		index.slots = new Key[count];
		std::copy(other.index.slots, other.index.slots + count, index.slots);
		index.mask = other.index.mask;
		index.shift = other.index.shift;
	}

	void TakeIndexOf(Store* other)
	{
		index.slots = other->index.slots;
		index.mask = other->index.mask;
		index.shift = other->index.shift;
		other->index.slots = nullptr;
	}

	// Public like index: a layout with one access is a standard one, and the
	// inline reads rely on that.
public:
	// Places for values: the block's, then the chunks'.
	size_t capacity_;
	size_t keyCapacity_;
	size_t chunkCount_ = 0;
	size_t chunkRoom_ = 0;
	bool keysInBlock_ = true;
	// The first chunks' places, in the header that every lookup reads
	// anyway: a tag's container has a handful of chunks.
	static constexpr size_t kTableChunks = 6;
	GeData* chunkTable_[kTableChunks];
};

static_assert(std::is_standard_layout<BaseContainer::Store>::value && offsetof(BaseContainer::Store, index) == 0,
	"the inline lookup reads a store's index from its start");

BaseContainer::BaseContainer() : id_(0), store_(nullptr) {}

BaseContainer::BaseContainer(LONG id) : id_(id), store_(nullptr) {}

BaseContainer::BaseContainer(const BaseContainer& other) : id_(other.id_), store_(other.store_)
{
	if (store_)
		store_->index.refs.fetch_add(1, std::memory_order_relaxed);
}

BaseContainer& BaseContainer::operator=(const BaseContainer& other)
{
	if (store_ != other.store_)
	{
		if (other.store_)
			other.store_->index.refs.fetch_add(1, std::memory_order_relaxed);
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
		store_ = Store::Create(Store::kFirstCapacity);
		return;
	}
	if (store_->index.refs.load(std::memory_order_acquire) == 1)
		return;
	Store* own = store_->Copy();
	store_->Release();
	store_ = own;
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
	return store_->Find(id)->GetContainer();
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
	return SetDataTaken(id, &value);
}

GeData* BaseContainer::SetDataSearched(LONG id, GeData* taken)
{
	// The common case, a store of its own, without a call.
	if (!store_ || store_->index.refs.load(std::memory_order_acquire) != 1)
		Detach();
	size_t at = 0;
	GeData* stored = store_->FindForWrite(id, &at);
	if (!stored)
	{
		store_ = store_->WithRoomForOne();
		stored = &store_->Insert(at, id);
	}
	stored->Swap(*taken);
	return stored;
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
	if (!store_ || index < 0 || (size_t)index >= store_->Size())
		return -1;
	return store_->IdAt((size_t)index);
}

GeData* BaseContainer::GetIndexData(LONG index) const
{
	if (!store_ || index < 0 || (size_t)index >= store_->Size())
		return nullptr;
	return &store_->ValueAt((size_t)index);
}

void BaseContainer::MergeContainer(const BaseContainer& src)
{
	if (!src.store_ || src.store_ == store_)
		return;
	// Hold src's entries: src may be a sub-container of this one.
	BaseContainer keep(src);
	Detach();
	const Store& from = *keep.store_;
	std::vector<LONG> newIds;
	std::vector<const GeData*> newValues;
	for (size_t i = 0; i < from.Size(); ++i)
	{
		GeData* existing = store_->FindNear(from.IdAt(i));
		if (existing)
		{
			*existing = from.ValueAt(i);
			continue;
		}
		newIds.push_back(from.IdAt(i));
		newValues.push_back(&from.ValueAt(i));
	}
	if (newIds.empty())
		return;
	store_ = store_->WithRoom(store_->Size() + newIds.size());
	store_->InsertSorted(newIds, newValues);
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
	const size_t na = a.store_ ? a.store_->Size() : 0;
	const size_t nb = b.store_ ? b.store_->Size() : 0;
	if (na != nb)
		return false;
	for (size_t i = 0; i < na; ++i)
		if (a.store_->IdAt(i) != b.store_->IdAt(i) || !(a.store_->ValueAt(i) == b.store_->ValueAt(i)))
			return false;
	return true;
}

// ---- Prefetching --------------------------------------------------------------

namespace
{

// A container larger than this is read a part at a time; asking for all of
// it would push out what the running evaluation reads.
const size_t kPrefetchBytes = 64 * 1024;

} // namespace

void ContainerPrefetch::Header(const BaseContainer& bc)
{
	if (!bc.store_)
		return;
	prefetch::Bytes(bc.store_, sizeof(BaseContainer::Store));
}

void ContainerPrefetch::EachRun(const BaseContainer& bc, void (*run)(const GeData* values, size_t count))
{
	const BaseContainer::Index& index = bc.store_->index;
	const size_t count = std::min(index.size, kPrefetchBytes / sizeof(GeData));
	run(index.values, std::min(count, index.base));
	const size_t chunk = BaseContainer::Store::kChunk;
	for (size_t place = index.base; place < count; place += chunk)
		run(index.chunks[(place - index.base) >> BaseContainer::Index::kChunkBits], std::min(chunk, count - place));
}

void ContainerPrefetch::Entries(const BaseContainer& bc)
{
	if (!bc.store_)
		return;
	EachRun(bc, [](const GeData* values, size_t count) { prefetch::Bytes(values, count * sizeof(GeData)); });
	// Lookups by id go through the index alone; the sorted keys are for
	// iteration.
	const BaseContainer::Index& index = bc.store_->index;
	if (index.slots)
		prefetch::Bytes(index.slots, std::min(index.mask + 1, kPrefetchBytes / sizeof(BaseContainer::Key)) * sizeof(BaseContainer::Key));
}

void ContainerPrefetch::Pointees(const BaseContainer& bc)
{
	if (!bc.store_)
		return;
	// Without a branch: which values own memory follows no pattern that
	// branch prediction could learn, and mispredictions cost more than the
	// prefetches themselves. A value that owns nothing asks for its own
	// line, which the stage before brought in.
	EachRun(bc, [](const GeData* values, size_t count) {
		for (size_t i = 0; i < count; ++i)
		{
			const GeData& value = values[i];
			const void* payload;
			std::memcpy(&payload, &value.u_, sizeof payload);
			prefetch::Line(value.type_ >= DA_BYTEARRAY ? payload : static_cast<const void*>(&value));
		}
	});
}

void ContainerPrefetch::Slot(const BaseContainer& bc, LONG id)
{
	if (!bc.store_)
		return;
	const BaseContainer::Index& index = bc.store_->index;
	// A small store is searched through its keys, a few lines at most.
	if (!index.slots)
	{
		prefetch::Bytes(index.keys, index.size * sizeof(BaseContainer::Key));
		return;
	}
	prefetch::Line(&index.slots[BaseContainer::Slot(index, id)]);
}

void ContainerPrefetch::Value(const BaseContainer& bc, LONG id)
{
	prefetch::Line(bc.GetDataPointer(id));
}

void ContainerPrefetch::Pointee(const BaseContainer& bc, LONG id)
{
	const GeData* value = bc.GetDataPointer(id);
	if (value && value->type_ >= DA_BYTEARRAY)
		prefetch::Line(value->u_.p);
}
