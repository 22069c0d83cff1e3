// Custom data: values of types that the containers do not know natively
// (curves, parameter identifiers, priorities). Each type has a registered id.
#ifndef C4D_CUSTOMDATATYPE_H__
#define C4D_CUSTOMDATATYPE_H__

#include "ge_math.h"

enum
{
	CUSTOMDATATYPE_DESCID = 1000486,
	CUSTOMDATATYPE_SPLINE = 1009060,
	CUSTOMGUI_SPLINE = 1009059,
	CUSTOMDATATYPE_BITMAPBUTTON = 1001053
};

// The base of every custom data type. It carries nothing: a value's type is
// the id it is stored under, and the host copies, compares and destroys each
// type by that id.
struct CustomDataType
{
};

#endif
