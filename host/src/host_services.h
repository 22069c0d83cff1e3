// Host-side control for embedding programs (the headless host, tools and
// tests): what a real host's user interface and start-up would provide.
// Plug-in modules never see this header.
#ifndef HOST_SERVICES_H__
#define HOST_SERVICES_H__

#include <functional>
#include <string>

#include "c4d_file.h"

// The host's console: one line per problem. Without a handler lines go to
// standard error.
using ErrorHandler = std::function<void(const std::string& line)>;
void HostSetErrorHandler(ErrorHandler handler);
void HostReportError(const std::string& line);

// The folder GeGetPluginPath answers with for modules linked into the
// program itself; a loaded module's glue answers with its own folder.
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
	String text = String();    // OPEN_HTML: the address
};
using HostObserver = std::function<void(const HostEvent&)>;
// Replaces the observer (none: nothing is recorded).
void HostSetObserver(HostObserver observer);
void HostRecordEvent(const HostEvent& event);
// How often EventAdd was called since the start.
LONG HostEventAddCount();

void HostSetActiveDocument(BaseDocument* doc);

// Keeps at most groups undo groups in doc's history, dropping the oldest
// (0: none are recorded at all; negative: no bound, as a new document has).
// For programs that never undo, so that the history does not grow with every
// edit.
void HostSetUndoLimit(BaseDocument* doc, LONG groups);

// The simulated left mouse button that GetInputState reports.
void HostSetMouseButton(bool down);

// Dialogs and progress. Without a handler QuestionDialog answers no and the
// status bar shows nothing.
using QuestionHandler = std::function<bool(const String& text)>;
void HostSetQuestionHandler(QuestionHandler handler);
using StatusHandler = std::function<void(LONG percent)>;   // -1: cleared
void HostSetStatusHandler(StatusHandler handler);

#endif
