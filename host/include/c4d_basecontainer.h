// BaseContainer: an id-to-value map with typed access. Copies share their
// storage until one of them is written, so copying is a reference count.
#ifndef C4D_BASECONTAINER_H__
#define C4D_BASECONTAINER_H__

#include <atomic>
#include <cstddef>

#include "c4d_gedata.h"

class AliasTrans;

enum COPYFLAGS
{
	COPYFLAGS_0 = 0
};

class BaseContainer
{
public:
	BaseContainer();
	explicit BaseContainer(LONG id);
	BaseContainer(const BaseContainer& other);
	BaseContainer& operator=(const BaseContainer& other);
	~BaseContainer();

	static BaseContainer* Alloc(LONG id = 0);
	static void Free(BaseContainer*& bc);

	LONG GetId() const { return id_; }
	void SetId(LONG id) { id_ = id; }

	// Getters return the fallback when the id is absent; numeric getters
	// convert between integer, real and bool, the others give the fallback
	// for an entry of a different type.
	Bool GetBool(LONG id, Bool preset = FALSE) const
	{
		const GeData* d = GetDataPointer(id);
		return (d && IsNumeric(d->GetType())) ? d->GetBool() : preset;
	}
	LONG GetLong(LONG id, LONG preset = 0) const
	{
		const GeData* d = GetDataPointer(id);
		return (d && IsNumeric(d->GetType())) ? d->GetLong() : preset;
	}
	LLONG GetLLong(LONG id, LLONG preset = 0) const
	{
		const GeData* d = GetDataPointer(id);
		return (d && IsNumeric(d->GetType())) ? d->GetLLong() : preset;
	}
	Real GetReal(LONG id, Real preset = 0.0) const
	{
		const GeData* d = GetDataPointer(id);
		return (d && IsNumeric(d->GetType())) ? d->GetReal() : preset;
	}
	Vector GetVector(LONG id, const Vector& preset = Vector()) const
	{
		const GeData* d = GetDataPointer(id);
		return (d && d->GetType() == DA_VECTOR) ? d->GetVector() : preset;
	}
	BaseTime GetTime(LONG id, const BaseTime& preset = BaseTime()) const
	{
		const GeData* d = GetDataPointer(id);
		return (d && d->GetType() == DA_TIME) ? d->GetTime() : preset;
	}
	String GetString(LONG id, const String& preset = String()) const;
	Filename GetFilename(LONG id, const Filename& preset = Filename()) const;
	BaseList2D* GetLink(LONG id, const BaseDocument* doc, LONG instanceof = 0) const;
	// A copy of the sub-container; an empty container when absent.
	BaseContainer GetContainer(LONG id) const;
	// The sub-container inside this one, or null.
	BaseContainer* GetContainerInstance(LONG id);
	const BaseContainer* GetContainerInstance(LONG id) const;
	// The custom data inside this container when its type is datatype, else
	// null. Read through it only: copies of this container share it.
	const CustomDataType* GetCustomDataType(LONG id, LONG datatype) const
	{
		const GeData* d = GetDataPointer(id);
		return d ? d->GetCustomDataType(datatype) : nullptr;
	}

	void SetBool(LONG id, Bool v) { GeData d = GeData((LONG)(v ? 1 : 0)); SetDataTaken(id, &d); }
	void SetLong(LONG id, LONG v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetLLong(LONG id, LLONG v) { GeData d = GeData(v, LLONGVALUE); SetDataTaken(id, &d); }
	void SetReal(LONG id, Real v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetVector(LONG id, const Vector& v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetTime(LONG id, const BaseTime& v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetString(LONG id, const String& v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetFilename(LONG id, const Filename& v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetContainer(LONG id, const BaseContainer& v) { GeData d = GeData(v); SetDataTaken(id, &d); }
	void SetLink(LONG id, C4DAtomGoal* link);

	// The entry, or a DA_NIL value when absent.
	const GeData& GetData(LONG id) const;
	// Null when absent.
	const GeData* GetDataPointer(LONG id) const
	{
		if (!store_)
			return nullptr;
		const Index& index = *reinterpret_cast<const Index*>(store_);
		return index.slots ? Probe(index, id) : Search(index, id);
	}
	// Stores a copy and returns the stored value.
	GeData* SetData(LONG id, const GeData& data);
	Bool RemoveData(LONG id);
	void FlushAll();
	// DA_NIL when absent.
	LONG GetType(LONG id) const;

	// Ids in ascending order; -1 past the end.
	LONG GetIndexId(LONG index) const;
	// Null past the end. Read through it only: copies of this container share
	// it.
	GeData* GetIndexData(LONG index) const;

	// Every entry of src replaces the entry of the same id.
	void MergeContainer(const BaseContainer& src);
	Bool CopyTo(BaseContainer* dst, COPYFLAGS flags, AliasTrans* trans) const;
	BaseContainer* GetClone(COPYFLAGS flags, AliasTrans* trans) const;

	// Same entries with equal values; the container ids are not compared.
	friend bool operator==(const BaseContainer& a, const BaseContainer& b);
	friend bool operator!=(const BaseContainer& a, const BaseContainer& b) { return !(a == b); }

	struct Store;

private:
	// The host's evaluation asks for a container's memory ahead of its use.
	friend struct ContainerPrefetch;

	// An id and the place of its value.
	struct Key
	{
		LONG id;
		LONG at;
	};
	// The part of a store that lookups and overwrites read, at its start.
	// Inline, they save a call on each of the hundreds of reads and writes of
	// an evaluation.
	struct Index
	{
		enum { kChunkBits = 5 };
		// Copies of a container share its store until one of them writes.
		std::atomic<int> refs;
		size_t size;
		// The ids in ascending order, each with the place of its value.
		Key* keys;
		// The index last written or found in order, where the next write in
		// id order most likely lands.
		size_t hint;
		// Open addressing over a power of two of slots: the key, or a place
		// of -1 where the slot is empty; null while the store is small.
		Key* slots;
		size_t mask;
		unsigned shift;
		// Places below base are in the store's own block, the later ones in
		// chunks of 1 << kChunkBits.
		size_t base;
		GeData* values;
		GeData** chunks;

		GeData* At(LONG place) const
		{
			const size_t p = (size_t)place;
			if (p < base)
				return values + p;
			const size_t q = p - base;
			return chunks[q >> kChunkBits] + (q & (((size_t)1 << kChunkBits) - 1));
		}
	};
	static size_t Slot(const Index& index, LONG id) { return (size_t)(((ULONG)id * 2654435769u) >> index.shift); }
	static const GeData* Probe(const Index& index, LONG id)
	{
		for (size_t h = Slot(index, id);; h = (h + 1) & index.mask)
		{
			const Key& k = index.slots[h];
			if (k.at < 0)
				return nullptr;
			if (k.id == id)
				return index.At(k.at);
		}
	}
	// The sorted keys' binary search, for a store too small for the hash
	// index.
	static const GeData* Search(const Index& index, LONG id)
	{
		size_t n = index.size;
		if (n == 0)
			return nullptr;
		const Key* base = index.keys;
		while (n > 1)
		{
			const size_t half = n / 2;
			base = base[half - 1].id < id ? base + half : base;
			n -= half;
		}
		return base->id == id ? index.At(base->at) : nullptr;
	}

	static bool IsNumeric(LONG type) { return type == DA_LONG || type == DA_REAL || type == DA_LLONG; }
	// Makes this container the sole owner of its storage before a write.
	void Detach();
	// SetData for a value of the caller's own that it lets go of: moved in
	// rather than copied, so a text or a sub-container is not copied twice.
	// Overwriting the entry after the last one written in a small container,
	// as a result written in id order every frame does, needs no call.
	GeData* SetDataTaken(LONG id, GeData* value)
	{
		if (store_)
		{
			Index& index = *reinterpret_cast<Index*>(store_);
			const size_t next = index.hint + 1;
			if (!index.slots && next < index.size && index.keys[next].id == id && index.refs.load(std::memory_order_acquire) == 1)
			{
				index.hint = next;
				GeData* stored = index.At(index.keys[next].at);
				stored->Swap(*value);
				return stored;
			}
		}
		return SetDataSearched(id, value);
	}
	GeData* SetDataSearched(LONG id, GeData* value);

	LONG id_;
	Store* store_;
};

#endif
