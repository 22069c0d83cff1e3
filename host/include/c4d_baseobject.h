// Objects of a document: a catalogue of host types, each with its parameters,
// and a list of tags.
#ifndef C4D_BASEOBJECT_H__
#define C4D_BASEOBJECT_H__

#include <vector>

#include "c4d_basetag.h"

enum
{
	Onull = 5140,
	Ocube = 5159
};

// Parameters of the host's objects besides position, rotation and scale.
enum
{
	ID_BASEOBJECT_COLOR = 880,          // colour: the display colour
	ID_BASEOBJECT_VISIBLE = 906,        // bool: whether the object is shown
	PRIM_CUBE_LEN = 1100,               // vector: size
	PRIM_CUBE_SUBX = 1102,              // integer: segments
	PRIM_CUBE_DOFILLET = 1105,          // bool
	PRIM_CUBE_FRAD = 1106,              // real: fillet radius
	PRIM_CUBE_DELAY = 1110              // time: a delay, for time-typed parameters
};

class BaseObject : public BaseList2D
{
public:
	// A new object of a catalogue type with every parameter at its default;
	// null for an unknown type.
	static BaseObject* Alloc(LONG type);
	static void Free(BaseObject*& op);
	virtual ~BaseObject();

	BaseTag* GetFirstTag() const { return tags_.empty() ? nullptr : tags_.front(); }
	// The tag after tag on this object, or null.
	BaseTag* GetNextTag(const BaseTag* tag) const;
	BaseTag* GetTag(LONG type, LONG nr = 0) const;
	// Appends a tag the caller owned; the object owns it from then on.
	void InsertTag(BaseTag* tp, BaseTag* pred = nullptr);
	LONG GetTagCount() const { return (LONG)tags_.size(); }
	BaseTag* GetTagByIndex(LONG i) const { return (i >= 0 && i < GetTagCount()) ? tags_[(size_t)i] : nullptr; }

	Vector GetRelPos() const;
	void SetRelPos(const Vector& v);

protected:
	explicit BaseObject(LONG type);
	virtual void RemoveFromParent();

private:
	friend class BaseDocument;
	friend class BaseTag;
	void DetachTag(BaseTag* tag);
	void PropagateDocument(BaseDocument* doc);

	std::vector<BaseTag*> tags_;
};

#endif
