#include "host_services.h"

#include <atomic>
#include <mutex>

#include "c4d_basedocument.h"
#include "c4d_general.h"

namespace
{

struct Services
{
	std::mutex lock;
	Filename pluginPath;
	FileSelectHandler fileSelect;
	HostObserver observer;
	// Lets the hot path skip the lock while nobody watches.
	std::atomic<bool> watched{false};
	std::atomic<LONG> eventAdds{0};
	std::atomic<BaseDocument*> activeDocument{nullptr};
};

Services& Get()
{
	static Services services;
	return services;
}

} // namespace

void HostSetPluginPath(const Filename& folder)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.pluginPath = folder;
}

Filename GeGetPluginPath()
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	return s.pluginPath;
}

void HostSetFileSelectHandler(FileSelectHandler handler)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.fileSelect = std::move(handler);
}

Bool HostFileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title, const String& force_suffix, String* chosen)
{
	(void)force_suffix;
	FileSelectHandler handler;
	{
		Services& s = Get();
		std::lock_guard<std::mutex> guard(s.lock);
		handler = s.fileSelect;
	}
	*chosen = String();
	if (!handler)
		return FALSE;
	return handler(type, flags, title, chosen) ? TRUE : FALSE;
}

void HostSetObserver(HostObserver observer)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.watched = static_cast<bool>(observer);
	s.observer = std::move(observer);
}

void HostRecordEvent(const HostEvent& event)
{
	Services& s = Get();
	if (!s.watched.load(std::memory_order_relaxed))
		return;
	HostObserver observer;
	{
		std::lock_guard<std::mutex> guard(s.lock);
		observer = s.observer;
	}
	if (observer)
		observer(event);
}

LONG HostEventAddCount()
{
	return Get().eventAdds.load();
}

void EventAdd(EVENT flags)
{
	(void)flags;
	++Get().eventAdds;
	HostRecordEvent(HostEvent{ HostEvent::EVENT_ADD, nullptr, 0 });
}

void HostSetActiveDocument(BaseDocument* doc)
{
	Get().activeDocument = doc;
}

BaseDocument* GetActiveDocument()
{
	return Get().activeDocument;
}
