// The payload of a dragged parameter label.
#ifndef CUSTOMGUI_DESCPROPERTY_H__
#define CUSTOMGUI_DESCPROPERTY_H__

#include "c4d_atomarray.h"
#include "lib_description.h"

// The payload of a DRAGTYPE_DESCID drag: the elements whose parameter is
// dragged, and the parameter.
struct DescPropertyDragData
{
	AtomArray* arr;
	DescID did;
};

#endif
