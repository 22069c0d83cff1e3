#include "customgui_priority.h"

Bool PriorityData::SetPriorityValue(LONG lValueID, const GeData& data)
{
	switch (lValueID)
	{
		case PRIORITYVALUE_MODE: mode_ = data.GetLong(); return TRUE;
		case PRIORITYVALUE_PRIORITY: priority_ = data.GetLong(); return TRUE;
		case PRIORITYVALUE_CAMERADEPENDENT: cameraDependent_ = data.GetLong() != 0; return TRUE;
		default: return FALSE;
	}
}

GeData PriorityData::GetPriorityValue(LONG lValueID) const
{
	switch (lValueID)
	{
		case PRIORITYVALUE_MODE: return GeData(mode_);
		case PRIORITYVALUE_PRIORITY: return GeData(priority_);
		case PRIORITYVALUE_CAMERADEPENDENT: return GeData(cameraDependent_);
		default: return GeData();
	}
}
