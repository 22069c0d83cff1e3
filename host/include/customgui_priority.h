// Expression priority of a tag: mode, priority value and camera dependence.
#ifndef CUSTOMGUI_PRIORITY_H__
#define CUSTOMGUI_PRIORITY_H__

#include "c4d_gedata.h"

enum
{
	PRIORITYVALUE_MODE = 0,
	PRIORITYVALUE_PRIORITY = 1,
	PRIORITYVALUE_CAMERADEPENDENT = 2
};

class PriorityData : public CustomDataType
{
public:
	PriorityData() : mode_(3000), priority_(0), cameraDependent_(0) {}

	Bool SetPriorityValue(LONG lValueID, const GeData& data);
	GeData GetPriorityValue(LONG lValueID) const;

	virtual LONG GetCustomDataTypeId() const { return CUSTOMDATATYPE_PRIORITY; }
	virtual CustomDataType* Clone() const;
	virtual Bool IsEqual(const CustomDataType& other) const;

private:
	LONG mode_;
	LONG priority_;
	LONG cameraDependent_;
};

#endif
