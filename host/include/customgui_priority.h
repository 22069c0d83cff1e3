// Expression priority of a tag: mode, priority value and camera dependence.
#ifndef CUSTOMGUI_PRIORITY_H__
#define CUSTOMGUI_PRIORITY_H__

#include "c4d_gedata.h"

// The custom data type of the priority.
enum
{
	CUSTOMGUI_PRIORITY_DATA = 1009369
};

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

	friend bool operator==(const PriorityData& a, const PriorityData& b)
	{
		return a.mode_ == b.mode_ && a.priority_ == b.priority_ && a.cameraDependent_ == b.cameraDependent_;
	}

private:
	LONG mode_;
	LONG priority_;
	LONG cameraDependent_;
};

#endif
