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
	ID_BASEOBJECT_VISIBILITY_EDITOR = 901,  // integer: shown in the editor: 0 on, 1 off, 2 undefined
	ID_BASEOBJECT_VISIBILITY_RENDER = 902,  // integer: shown in renders: 0 on, 1 off, 2 undefined
	ID_BASEOBJECT_COLOR = 908,          // colour: the display colour
	PRIM_CUBE_LEN = 1100,               // vector: size
	PRIM_CUBE_SUBX = 1102,              // integer: segments
	PRIM_CUBE_FRAD = 1105,              // real: fillet radius
	PRIM_CUBE_DOFILLET = 1107,          // bool
	// The stand-in's own, from 990000: the host's cube has no time-typed
	// parameter, and time links need one to be tried on.
	STANDIN_CUBE_TIME_OFFSET = 990000   // time
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
