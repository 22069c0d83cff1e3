#include "host_services.h"

#include <atomic>
#include <cstdio>
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
	std::atomic<bool> mouseDown{false};
	QuestionHandler question;
	StatusHandler status;
	ErrorHandler error;
};


Services& Get()
{
	static Services services;
	return services;
}

template <class Handler>
Handler Copy(Handler Services::*member)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	return s.*member;
}

} // namespace

void HostSetPluginPath(const Filename& folder)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.pluginPath = folder;
}

const Filename GeGetPluginPath()
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
	HostRecordEvent(HostEvent{ HostEvent::EVENT_ADD, nullptr, 0, String() });
}

void HostSetActiveDocument(BaseDocument* doc)
{
	Get().activeDocument = doc;
}

BaseDocument* GetActiveDocument()
{
	return Get().activeDocument;
}

void HostSetMouseButton(bool down)
{
	Get().mouseDown = down;
}

Bool GetInputState(LONG askdevice, LONG askchannel, BaseContainer& res)
{
	if (askdevice != BFM_INPUT_MOUSE)
		return FALSE;
	res.SetLong(BFM_INPUT_VALUE, askchannel == BFM_INPUT_MOUSELEFT && Get().mouseDown ? 1 : 0);
	return TRUE;
}

Bool GeOpenHTML(const String& webaddress)
{
	HostRecordEvent(HostEvent{ HostEvent::OPEN_HTML, nullptr, 0, webaddress });
	return TRUE;
}

void HostSetQuestionHandler(QuestionHandler handler)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.question = std::move(handler);
}

void HostSetStatusHandler(StatusHandler handler)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.status = std::move(handler);
}

Bool QuestionDialog(const String& text)
{
	const QuestionHandler handler = Copy(&Services::question);
	return handler && handler(text) ? TRUE : FALSE;
}

void StatusSetBar(LONG p)
{
	const StatusHandler handler = Copy(&Services::status);
	if (handler)
		handler(p < 0 ? 0 : (p > 100 ? 100 : p));
}

void StatusClear()
{
	const StatusHandler handler = Copy(&Services::status);
	if (handler)
		handler(-1);
}

void HostSetErrorHandler(ErrorHandler handler)
{
	Services& s = Get();
	std::lock_guard<std::mutex> guard(s.lock);
	s.error = std::move(handler);
}

void HostReportError(const std::string& line)
{
	const ErrorHandler handler = Copy(&Services::error);
	if (handler)
		handler(line);
	else
		std::fprintf(stderr, "%s\n", line.c_str());
}
