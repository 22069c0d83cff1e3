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
	CUSTOMDATATYPE_PRIORITY = 1009369,
	CUSTOMDATATYPE_BITMAPBUTTON = 1001053
};

class CustomDataType
{
public:
	virtual ~CustomDataType() {}
	virtual LONG GetCustomDataTypeId() const = 0;
	// A new copy, owned by the caller; null when out of memory.
	virtual CustomDataType* Clone() const = 0;
	// other always has the same type id as this.
	virtual Bool IsEqual(const CustomDataType& other) const = 0;
};

#endif
