// The value of a bitmap button: which element's button it is, and a dirty
// count that tells the attribute manager to fetch its bitmap again.
#ifndef CUSTOMGUI_BITMAPBUTTON_H__
#define CUSTOMGUI_BITMAPBUTTON_H__

#include "lib_description.h"

class BaseList2D;

class BitmapButtonStruct : public CustomDataType
{
public:
	BitmapButtonStruct() : op(nullptr), id(), dirty(0) {}
	BitmapButtonStruct(BaseList2D* t_op, const DescID& t_id, LONG t_dirty) : op(t_op), id(t_id), dirty(t_dirty) {}

	BaseList2D* op;
	DescID id;
	LONG dirty;

	friend bool operator==(const BitmapButtonStruct& a, const BitmapButtonStruct& b)
	{
		return a.op == b.op && a.id == b.id && a.dirty == b.dirty;
	}
};

#endif
