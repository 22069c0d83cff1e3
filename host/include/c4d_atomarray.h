// A list of atoms the caller does not own.
#ifndef C4D_ATOMARRAY_H__
#define C4D_ATOMARRAY_H__

#include <vector>

#include "ge_math.h"

class C4DAtom;

class AtomArray
{
public:
	static AtomArray* Alloc() { return new AtomArray; }
	static void Free(AtomArray*& arr) { delete arr; arr = nullptr; }

	LONG GetCount() const { return (LONG)atoms_.size(); }
	// Null outside 0 .. count - 1.
	C4DAtom* GetIndex(LONG idx) const { return (idx >= 0 && idx < GetCount()) ? atoms_[(size_t)idx] : nullptr; }
	C4DAtom* GetFirst() const { return GetIndex(0); }
	void Append(C4DAtom* obj) { if (obj) atoms_.push_back(obj); }
	void Flush() { atoms_.clear(); }
	Bool CopyTo(AtomArray* dest) const
	{
		if (!dest)
			return FALSE;
		dest->atoms_ = atoms_;
		return TRUE;
	}

private:
	std::vector<C4DAtom*> atoms_;
};

#endif
