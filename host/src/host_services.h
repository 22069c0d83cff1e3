// Host-side control for embedding programs (the headless host, tools and
// tests): what a real host's user interface and start-up would provide.
// Plug-in modules never see this header.
#ifndef HOST_SERVICES_H__
#define HOST_SERVICES_H__

#include <functional>

#include "c4d_file.h"

// The folder GeGetPluginPath answers with.
void HostSetPluginPath(const Filename& folder);

// The file dialog. Without a handler every dialog is cancelled.
using FileSelectHandler = std::function<bool(FILESELECTTYPE, FILESELECT, const String& title, String* chosen)>;
void HostSetFileSelectHandler(FileSelectHandler handler);
Bool HostFileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title, const String& force_suffix, String* chosen);

// What the host did that a real host would show on screen: messages sent to
// elements, material updates, redraw requests. Tests and the headless host
// watch these through an observer.
class BaseList2D;
class BaseDocument;
struct HostEvent
{
	enum Kind
	{
		MESSAGE,            // code: the message id
		MATERIAL_UPDATE,    // code: 1 preview | 2 render-time data
		EVENT_ADD,
		OPEN_HTML
	};
	Kind kind;
	BaseList2D* element;
	LONG code;
};
using HostObserver = std::function<void(const HostEvent&)>;
// Replaces the observer (none: nothing is recorded).
void HostSetObserver(HostObserver observer);
void HostRecordEvent(const HostEvent& event);
// How often EventAdd was called since the start.
LONG HostEventAddCount();

void HostSetActiveDocument(BaseDocument* doc);

#endif
