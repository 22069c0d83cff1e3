// The studio's document: one scene worked on as the host's managers work on
// it, through the elements' hooks and messages. Every request of the studio's
// HTTP API (docs/studio-api.md) is one call here; the server only checks who
// asks and turns answers into HTTP.
//
// Not thread-safe: the server calls it under one lock.
#ifndef PULSORHOST_STUDIO_STUDIO_H__
#define PULSORHOST_STUDIO_STUDIO_H__

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scene.h"

// A request the studio refuses: an HTTP status of 4xx and a one-line reason,
// with extra keys for the answer (say "exists": true). Nothing has changed.
struct ApiError
{
	int status;
	std::string message;
	nlohmann::json extra = nlohmann::json::object();
};

// The studio's own undo history: the document's undo groups, and the
// insertions and removals of tags, which the host's undo does not record, in
// the order they were made.
struct HistoryStep
{
	enum Kind
	{
		DOCUMENT,       // one undo group of the document
		TAG_ADDED,
		TAG_REMOVED
	};
	Kind kind;
	BaseTag* tag = nullptr;
	BaseObject* object = nullptr;
	LONG index = 0;     // the tag's place among the object's tags
};

// digits random hex characters from std::random_device: the tokens.
std::string RandomHex(size_t digits);

class Studio
{
public:
	// Takes the loaded scene and makes it the active document, with an undo
	// history of kUndoGroups groups.
	explicit Studio(Scene scene);
	~Studio();
	Studio(const Studio&) = delete;
	Studio& operator=(const Studio&) = delete;

	static constexpr LONG kUndoGroups = 100;
	// The most frames one graph request evaluates.
	static constexpr size_t kMaxGraphFrames = 100001;

	nlohmann::json State();
	nlohmann::json Page(long long id);
	// PNGs; ApiError 404 when the element has none.
	std::string Icon(long long id);
	std::string Bitmap(long long id, const std::string& levels);

	nlohmann::json Set(long long id, const nlohmann::json& body);
	nlohmann::json Command(long long id, const nlohmann::json& body);
	nlohmann::json AddTag(long long objectId, const nlohmann::json& body);
	nlohmann::json Delete(long long id);
	nlohmann::json Rename(long long id, const nlohmann::json& body);
	nlohmann::json Link(const nlohmann::json& body);
	nlohmann::json Undo();
	nlohmann::json Redo();
	nlohmann::json Frame(const nlohmann::json& body);
	// from and to: frames, or empty for the document's range.
	nlohmann::json Graph(const std::string& from, const std::string& to);
	nlohmann::json Save(const nlohmann::json& body);
	nlohmann::json Open(const nlohmann::json& body);
	// The keys on the tracks each Pulsor tag links.
	nlohmann::json Keys();
	// The presets of a Pulsor tag, and what: "refresh", "load", "save" or
	// "folder" pressed on them.
	nlohmann::json Presets(long long id);
	nlohmann::json Preset(long long id, const std::string& what, const nlohmann::json& body);
	// The folder picker's listing: folders only.
	static nlohmann::json Folders(const std::string& path);

	long long Revision() const { return revision_; }
	// Everything an edit can change, as text: each element's name, container
	// and keys, the time and the undo counts. Equal dumps, equal documents.
	std::string Dump();

private:
	BaseDocument* Doc() const { return scene_.doc.get(); }
	long long IdOf(BaseList2D* element);
	// The element with id, while it is in the document; ApiError 404 else.
	BaseList2D* Find(long long id);
	BaseList2D* FindOrNull(long long id);
	BaseTag* FindPulsorTag(long long id);
	nlohmann::json ElementJson(BaseList2D* element);
	nlohmann::json PageOf(BaseList2D* element);
	DescID EntryOf(BaseList2D* element, const nlohmann::json& levels, BaseContainer* settings);
	// Records the document's undo groups that an edit added.
	void Recorded(LONG undoGroupsBefore);
	void Push(const HistoryStep& step);
	void Changed() { ++revision_; }
	void Reset(Scene scene);
	void FreeDetached();
	// A copy of the document, made in memory: elements keep their place,
	// so Counterpart finds each one in the copy.
	DocumentPtr Copy();
	BaseList2D* Counterpart(BaseList2D* element, BaseDocument* copy);
	// The objects which names for the 3D view: all of them when it is true,
	// none when false, else the listed ids; and what the view shows of them.
	std::vector<BaseObject*> ViewedObjects(const nlohmann::json& which);
	nlohmann::json ViewObjects(const std::vector<BaseObject*>& objects);
	// Sends MSG_DESCRIPTION_COMMAND for the button id of a Pulsor tag as
	// the attribute manager does, answering no question; records its undo.
	void Press(BaseTag* tag, LONG id);
	// Sets a preset entry of the tag as the attribute manager does, without
	// an undo step: the preset page is no part of the tag's presets.
	void SetPresetEntry(BaseTag* tag, LONG id, const GeData& value);

	Scene scene_;
	long long revision_ = 0;
	long long nextId_ = 1;
	std::map<BaseList2D*, long long> ids_;
	std::map<long long, BaseList2D*> elements_;
	std::vector<HistoryStep> undo_, redo_;
	// Tags out of the document that the history can bring back; the studio
	// owns them.
	std::set<BaseTag*> detached_;
};

#endif
