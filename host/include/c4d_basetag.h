// Tags: elements that sit on an object.
#ifndef C4D_BASETAG_H__
#define C4D_BASETAG_H__

#include "c4d_baselist.h"

class BaseObject;

enum
{
	Tdisplay = 5613,
	DISPLAYTAG_VISIBILITY = 1006    // real: the visibility of the tag's object
};

class BaseTag : public BaseList2D
{
public:
	// A new tag of a registered plug-in type, initialised by its plug-in, or
	// of a host type; null for an unknown type or when the plug-in's Init
	// fails.
	static BaseTag* Alloc(LONG type);
	static void Free(BaseTag*& tag);
	virtual ~BaseTag();

	// The object carrying the tag, or null.
	BaseObject* GetObject() { return object_; }

protected:
	BaseTag(LONG type, const ElementType* catalogueType = nullptr);
	friend class BaseObject;
	void SetObject(BaseObject* op) { object_ = op; }
	virtual void RemoveFromParent();

private:
	BaseObject* object_;
};

#endif
