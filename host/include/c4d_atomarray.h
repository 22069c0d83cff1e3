// A list of atoms the caller does not own.
#ifndef C4D_ATOMARRAY_H__
#define C4D_ATOMARRAY_H__

#include <stddef.h>
#include <vector>

#include "ge_math.h"

class C4DAtom;

// Made with Alloc and given back with Free (or AutoAlloc) only.
class AtomArray
{
public:
	static AtomArray* Alloc() { return new AtomArray; }
	static void Free(AtomArray*& arr) { delete arr; arr = nullptr; }

	LONG GetCount() const { return (LONG)atoms_.size(); }
	// Null outside 0 .. count - 1.
	C4DAtom* GetIndex(LONG idx) const { return (idx >= 0 && idx < GetCount()) ? atoms_[(size_t)idx] : nullptr; }
	// FALSE, with nothing added, for a null atom.
	Bool Append(C4DAtom* obj)
	{
		if (!obj)
			return FALSE;
		atoms_.push_back(obj);
		return TRUE;
	}
	void Flush() { atoms_.clear(); }
	Bool CopyTo(AtomArray* dest) const
	{
		if (!dest)
			return FALSE;
		dest->atoms_ = atoms_;
		return TRUE;
	}

private:
	AtomArray() {}
	~AtomArray() {}
	AtomArray(const AtomArray&);
	AtomArray& operator=(const AtomArray&);

	std::vector<C4DAtom*> atoms_;
};

#endif
