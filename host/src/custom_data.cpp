#include "custom_data.h"

#include <map>
#include <mutex>

#include "c4d_gedata.h"
#include "customgui_bitmapbutton.h"
#include "customgui_priority.h"
#include "customgui_splinecontrol.h"
#include "lib_description.h"

namespace
{

const CustomDataHandler* BuiltInHandler(LONG type)
{
	static const CustomDataHandler descId = CustomDataHandlerOf<DescID>();
	static const CustomDataHandler spline = CustomDataHandlerOf<SplineData>();
	static const CustomDataHandler priority = CustomDataHandlerOf<PriorityData>();
	static const CustomDataHandler bitmapButton = CustomDataHandlerOf<BitmapButtonStruct>();
	switch (type)
	{
		case CUSTOMDATATYPE_DESCID: return &descId;
		case CUSTOMDATATYPE_SPLINE: return &spline;
		case CUSTOMGUI_PRIORITY_DATA: return &priority;
		case CUSTOMDATATYPE_BITMAPBUTTON: return &bitmapButton;
		default: return nullptr;
	}
}

// Registered types: entries are never removed, so a found handler stays valid.
struct Registered
{
	std::mutex lock;
	std::map<LONG, CustomDataHandler> handlers;
};

Registered& TheRegistered()
{
	static Registered r;
	return r;
}

} // namespace

const CustomDataHandler* FindCustomDataHandler(LONG type)
{
	// The host's own types, on every copy of a curve or an identifier, take
	// no lock.
	if (const CustomDataHandler* own = BuiltInHandler(type))
		return own;
	Registered& r = TheRegistered();
	std::lock_guard<std::mutex> guard(r.lock);
	auto it = r.handlers.find(type);
	return it == r.handlers.end() ? nullptr : &it->second;
}

bool RegisterCustomDataHandler(LONG type, const CustomDataHandler& handler)
{
	if (type < DA_CUSTOMDATATYPE || BuiltInHandler(type) || !handler.copy || !handler.equal || !handler.destroy)
		return false;
	Registered& r = TheRegistered();
	std::lock_guard<std::mutex> guard(r.lock);
	return r.handlers.emplace(type, handler).second;
}
