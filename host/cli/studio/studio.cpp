#include "studio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>

#include "catalogue.h"
#include "container_printer.h"
#include "customgui_bitmapbutton.h"
#include "customgui_descproperty.h"
#include "host_services.h"
#include "host_string.h"
#include "plugin_registry.h"
#include "png_writer.h"
#include "pulsor_ids.h"
#include "recorder.h"
#include "scene_file.h"
#include "studio_values.h"
#include "tag_link.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace
{

[[noreturn]] void Refuse(int status, const std::string& problem)
{
	throw ApiError{ status, problem };
}

double Frames(const BaseTime& t, LONG fps)
{
	return t.GetNumerator() * fps / t.GetDenominator();
}

// ---- Scope guards --------------------------------------------------------------

// One undo group, closed on every path.
class UndoGroup
{
public:
	explicit UndoGroup(BaseDocument* doc) : doc_(doc) { doc_->StartUndo(); }
	~UndoGroup() { doc_->EndUndo(); }
	UndoGroup(const UndoGroup&) = delete;
	UndoGroup& operator=(const UndoGroup&) = delete;

private:
	BaseDocument* doc_;
};

// The studio serves the help pages itself: of a full address the module
// opens only the path is kept.
std::string PathOfAddress(const std::string& address)
{
	const size_t scheme = address.find("://");
	if (scheme == std::string::npos)
		return address;
	const size_t path = address.find('/', scheme + 3);
	return path == std::string::npos ? "/" : address.substr(path);
}

// The web page the module opened (GeOpenHTML) while it lives.
class OpenedPage
{
public:
	OpenedPage()
	{
		HostSetObserver([this](const HostEvent& e) {
			if (e.kind == HostEvent::OPEN_HTML)
				address_ = PathOfAddress(e.text.GetStdString());
		});
	}
	~OpenedPage() { HostSetObserver(nullptr); }
	OpenedPage(const OpenedPage&) = delete;
	OpenedPage& operator=(const OpenedPage&) = delete;

	void AddTo(json* answer) const
	{
		if (!address_.empty())
			(*answer)["open"] = address_;
	}

private:
	std::string address_;
};

// Another document is the active one while it lives: the module asks the
// active document for its settings during a command or an evaluation.
class ActiveDocument
{
public:
	ActiveDocument(BaseDocument* doc, BaseDocument* restore) : restore_(restore) { HostSetActiveDocument(doc); }
	~ActiveDocument() { HostSetActiveDocument(restore_); }
	ActiveDocument(const ActiveDocument&) = delete;
	ActiveDocument& operator=(const ActiveDocument&) = delete;

private:
	BaseDocument* restore_;
};

// The question dialog answered by a function while it lives.
class QuestionAnswer
{
public:
	explicit QuestionAnswer(QuestionHandler handler) { HostSetQuestionHandler(std::move(handler)); }
	~QuestionAnswer() { HostSetQuestionHandler(nullptr); }
	QuestionAnswer(const QuestionAnswer&) = delete;
	QuestionAnswer& operator=(const QuestionAnswer&) = delete;
};

// ---- Requests ---------------------------------------------------------------------

const json& Member(const json& body, const char* key)
{
	if (!body.is_object())
		Refuse(400, "the request body must be a JSON object");
	if (!body.contains(key))
		Refuse(400, std::string("the request needs \"") + key + "\"");
	return body[key];
}

long long ElementId(const json& j, const char* what)
{
	if (!j.is_number_integer() || j.get<double>() < 0.0 || j.get<double>() > 1e15)
		Refuse(400, std::string(what) + " must be an element id (an integer)");
	return j.get<long long>();
}

bool Flag(const json& body, const char* key, bool fallback)
{
	if (!body.contains(key))
		return fallback;
	if (!body[key].is_boolean())
		Refuse(400, std::string("\"") + key + "\" must be true or false");
	return body[key].get<bool>();
}

std::vector<LONG> Levels(const json& j)
{
	if (!j.is_array() || j.empty() || j.size() > (size_t)DescID::MAX_DEPTH)
		Refuse(400, "a parameter id must be an array of 1 to 8 integers");
	std::vector<LONG> levels;
	for (const json& level : j)
	{
		// Compared as doubles: a huge unsigned number must not wrap into range.
		if (!level.is_number_integer() || level.get<double>() < (double)INT32_MIN || level.get<double>() > (double)INT32_MAX)
			Refuse(400, "a parameter id must be an array of 1 to 8 integers");
		levels.push_back((LONG)level.get<long long>());
	}
	return levels;
}

std::string LevelsText(const std::vector<LONG>& levels)
{
	std::string text = "[";
	for (size_t i = 0; i < levels.size(); ++i)
		text += (i ? ", " : "") + std::to_string(levels[i]);
	return text + "]";
}

json LevelsJson(const DescID& id)
{
	json levels = json::array();
	for (LONG i = 0; i < id.GetDepth(); ++i)
		levels.push_back(id[i].id);
	return levels;
}

// A file the user names: refused when empty, with NUL, or a folder.
std::string FilePath(const json& body)
{
	const json& path = Member(body, "path");
	if (!path.is_string() || path.get<std::string>().empty())
		Refuse(400, "\"path\" must name a file");
	const std::string text = path.get<std::string>();
	if (text.find('\0') != std::string::npos)
		Refuse(400, "a path must not hold a NUL character");
	std::error_code ec;
	const fs::path p = fs::u8path(text);
	if (fs::is_directory(p, ec) || !p.has_filename())
		Refuse(400, text + " is a folder, not a file");
	return text;
}

std::string TypeName(const BaseList2D* element)
{
	if (const ElementType* type = FindElementType(element->GetType()))
		return type->name;
	TagPluginInfo info;
	if (FindTagPlugin(element->GetType(), &info))
		return info.name.GetStdString();
	return std::string();
}

} // namespace

std::string RandomHex(size_t digits)
{
	std::random_device random;
	const char* const hex = "0123456789abcdef";
	std::string text;
	for (size_t i = 0; i < digits; ++i)
		text += hex[random() % 16];
	return text;
}

// ---- Life ----------------------------------------------------------------------------

Studio::Studio(Scene scene)
{
	Reset(std::move(scene));
}

Studio::~Studio()
{
	scene_.doc.reset();
	FreeDetached();
}

void Studio::Reset(Scene scene)
{
	undo_.clear();
	redo_.clear();
	ids_.clear();
	elements_.clear();
	scene_.doc.reset();
	FreeDetached();
	scene_ = std::move(scene);
	// The scene's own edits left no history; the user's do.
	HostSetUndoLimit(Doc(), -1);
	HostSetActiveDocument(Doc());
	// Numbered in the order the object list shows them.
	BaseDocument* doc = Doc();
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		IdOf(doc->GetObjectByIndex(i));
		for (LONG k = 0; k < doc->GetObjectByIndex(i)->GetTagCount(); ++k)
			IdOf(doc->GetObjectByIndex(i)->GetTagByIndex(k));
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		IdOf(doc->GetMaterialByIndex(i));
	Changed();
}

void Studio::FreeDetached()
{
	for (BaseTag* tag : detached_)
		BaseTag::Free(tag);
	detached_.clear();
}

// ---- Elements -----------------------------------------------------------------------

long long Studio::IdOf(BaseList2D* element)
{
	if (!element)
		return 0;
	const auto known = ids_.find(element);
	if (known != ids_.end())
		return known->second;
	const long long id = nextId_++;
	ids_[element] = id;
	elements_[id] = element;
	return id;
}

BaseList2D* Studio::FindOrNull(long long id)
{
	const auto known = elements_.find(id);
	if (known == elements_.end())
		return nullptr;
	BaseList2D* element = known->second;
	// A removed tag keeps its id for an undo, but is not to be found.
	BaseDocument* doc = Doc();
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		if (op == element)
			return element;
		for (LONG k = 0; k < op->GetTagCount(); ++k)
			if (op->GetTagByIndex(k) == element)
				return element;
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		if (doc->GetMaterialByIndex(i) == element)
			return element;
	return nullptr;
}

BaseList2D* Studio::Find(long long id)
{
	BaseList2D* element = FindOrNull(id);
	if (!element)
		Refuse(404, "no element " + std::to_string(id));
	return element;
}

BaseTag* Studio::FindPulsorTag(long long id)
{
	BaseList2D* element = Find(id);
	if (element->GetType() != PULSOR_TAG_ID)
		Refuse(400, "element " + std::to_string(id) + " is not a Pulsor tag");
	return static_cast<BaseTag*>(element);
}

json Studio::ElementJson(BaseList2D* element)
{
	return { { "id", IdOf(element) }, { "name", element->GetName().GetStdString() }, { "type", element->GetType() },
		{ "typeName", TypeName(element) } };
}

json Studio::State()
{
	BaseDocument* doc = Doc();
	const LONG fps = doc->GetFps();
	json objects = json::array();
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		json object = ElementJson(op);
		object["children"] = json::array();
		object["tags"] = json::array();
		for (LONG k = 0; k < op->GetTagCount(); ++k)
		{
			BaseTag* tag = op->GetTagByIndex(k);
			json t = ElementJson(tag);
			t["pulsor"] = tag->GetType() == PULSOR_TAG_ID;
			object["tags"].push_back(t);
		}
		objects.push_back(object);
	}
	json materials = json::array();
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		materials.push_back(ElementJson(doc->GetMaterialByIndex(i)));
	return { { "revision", revision_ }, { "file", scene_.file }, { "fps", fps },
		{ "from", NumberJson(Frames(doc->GetMinTime(), fps)) }, { "to", NumberJson(Frames(doc->GetMaxTime(), fps)) },
		{ "frame", NumberJson(Frames(doc->GetTime(), fps)) },
		{ "undo", { { "undo", !undo_.empty() }, { "redo", !redo_.empty() } } }, { "objects", objects },
		{ "materials", materials } };
}

// ---- Pages ------------------------------------------------------------------------------

json Studio::PageOf(BaseList2D* element)
{
	AutoAlloc<Description> page;
	if (!page || !element->GetDescription(page, DESCFLAGS_DESC_0))
		Refuse(422, "the element gave no page");
	NodeData* node = element->GetNodeData();
	BaseDocument* doc = Doc();
	const LinkId linkId = [this](BaseList2D* linked) { return linked && FindOrNull(IdOf(linked)) ? json(IdOf(linked)) : json(); };
	json entries = json::array();
	for (LONG i = 0; i < page->GetElementCount(); ++i)
	{
		const DescID& id = *page->GetElementId(i);
		const DescID& parent = *page->GetElementParent(i);
		const BaseContainer& settings = *page->GetElementSettings(i);
		const LONG dtype = id[id.GetDepth() - 1].dtype;
		json entry = { { "id", LevelsJson(id) }, { "dtype", dtype } };
		if (parent.GetDepth() > 0)
			entry["parent"] = LevelsJson(parent);
		AddSettings(settings, dtype, &entry);
		GeData value;
		const bool read = element->GetParameter(id, value, DESCFLAGS_GET_0);
		entry["enabled"] = node ? node->GetDEnabling(element, id, value, DESCFLAGS_ENABLE_0, &settings) != FALSE : true;
		if (read && HasValue(dtype))
		{
			const json v = ValueJson(value, dtype, doc, linkId);
			if (!v.is_null())
				entry["value"] = v;
		}
		entries.push_back(entry);
	}
	return { { "id", IdOf(element) }, { "name", element->GetName().GetStdString() }, { "revision", revision_ },
		{ "entries", entries } };
}

json Studio::Page(long long id)
{
	return PageOf(Find(id));
}

DescID Studio::EntryOf(BaseList2D* element, const json& levels, BaseContainer* settings)
{
	const std::vector<LONG> wanted = Levels(levels);
	AutoAlloc<Description> page;
	if (!page || !element->GetDescription(page, DESCFLAGS_DESC_0))
		Refuse(422, "the element gave no page");
	for (LONG i = 0; i < page->GetElementCount(); ++i)
	{
		const DescID& id = *page->GetElementId(i);
		bool same = id.GetDepth() == (LONG)wanted.size();
		for (LONG l = 0; same && l < id.GetDepth(); ++l)
			same = id[l].id == wanted[(size_t)l];
		if (!same)
			continue;
		if (settings)
			*settings = *page->GetElementSettings(i);
		return id;
	}
	Refuse(404, "element " + std::to_string(IdOf(element)) + " has no parameter " + LevelsText(wanted));
}

std::string Studio::Icon(long long id)
{
	BaseList2D* element = Find(id);
	IconData icon = { nullptr, 0, 0, 0, 0 };
	GetCustomIconData custom = { &icon, FALSE };
	if (element->GetType() == PULSOR_TAG_ID)
		element->Message(MSG_GETCUSTOMICON, &custom);
	if (!(custom.filled && icon.bmp) && !GetIcon(element->GetType(), &icon))
		Refuse(404, "element " + std::to_string(id) + " has no icon");
	const std::string png = icon.bmp ? EncodePng(*icon.bmp, icon.x, icon.y, icon.w, icon.h) : std::string();
	if (png.empty())
		Refuse(404, "element " + std::to_string(id) + " has no icon");
	return png;
}

std::string Studio::Bitmap(long long id, const std::string& levels)
{
	BaseList2D* element = Find(id);
	json parsed = json::array();
	std::stringstream in(levels);
	std::string part;
	while (std::getline(in, part, ','))
	{
		size_t used = 0;
		long long level = 0;
		try
		{
			level = std::stoll(part, &used);
		}
		catch (const std::exception&)
		{
			used = 0;
		}
		if (used == 0 || used != part.size())
			Refuse(400, "\"id\" must be a parameter id, its levels separated by commas");
		parsed.push_back(level);
	}
	DescriptionGetBitmap request = { EntryOf(element, parsed, nullptr), nullptr };
	element->Message(MSG_DESCRIPTION_GETBITMAP, &request);
	if (!request.bmp)
		Refuse(404, "the parameter has no bitmap");
	const std::string png = EncodePng(*request.bmp, 0, 0, request.bmp->GetBw(), request.bmp->GetBh());
	BaseBitmap::Free(request.bmp);
	if (png.empty())
		Refuse(404, "the parameter has no bitmap");
	return png;
}

// ---- History -----------------------------------------------------------------------

void Studio::Recorded(LONG undoGroupsBefore)
{
	for (LONG k = undoGroupsBefore; k < Doc()->GetUndoCount(); ++k)
		Push(HistoryStep{ HistoryStep::DOCUMENT });
}

void Studio::Push(const HistoryStep& step)
{
	// A new step ends what could be redone. The document has dropped its own
	// redo groups for a group of its own; for a tag added or removed an
	// empty group drops them.
	redo_.clear();
	if (step.kind != HistoryStep::DOCUMENT)
	{
		Doc()->StartUndo();
		Doc()->EndUndo();
	}
	undo_.push_back(step);
	LONG dropped = 0;
	while (undo_.size() > (size_t)kUndoGroups)
	{
		dropped += undo_.front().kind == HistoryStep::DOCUMENT ? 1 : 0;
		undo_.erase(undo_.begin());
	}
	if (dropped == 0)
		return;
	// The document drops its oldest groups to a bound: as many as the studio
	// dropped.
	HostSetUndoLimit(Doc(), Doc()->GetUndoCount() + Doc()->GetRedoCount() - dropped);
	HostSetUndoLimit(Doc(), -1);
}

namespace
{

void RemoveTag(BaseTag* tag, std::set<BaseTag*>* detached)
{
	tag->Remove();
	detached->insert(tag);
}

void RestoreTag(const HistoryStep& step, std::set<BaseTag*>* detached)
{
	step.object->InsertTag(step.tag, step.index > 0 ? step.object->GetTagByIndex(step.index - 1) : nullptr);
	detached->erase(step.tag);
}

} // namespace

json Studio::Undo()
{
	if (undo_.empty())
		Refuse(409, "there is nothing to undo");
	const HistoryStep step = undo_.back();
	if (step.kind == HistoryStep::DOCUMENT && !Doc()->DoUndo())
		Refuse(409, "there is nothing to undo");
	if (step.kind == HistoryStep::TAG_ADDED)
		RemoveTag(step.tag, &detached_);
	if (step.kind == HistoryStep::TAG_REMOVED)
		RestoreTag(step, &detached_);
	undo_.pop_back();
	redo_.push_back(step);
	EventAdd();
	Changed();
	return { { "revision", revision_ }, { "undo", { { "undo", !undo_.empty() }, { "redo", !redo_.empty() } } } };
}

json Studio::Redo()
{
	if (redo_.empty())
		Refuse(409, "there is nothing to redo");
	const HistoryStep step = redo_.back();
	if (step.kind == HistoryStep::DOCUMENT && !Doc()->DoRedo())
		Refuse(409, "there is nothing to redo");
	if (step.kind == HistoryStep::TAG_ADDED)
		RestoreTag(step, &detached_);
	if (step.kind == HistoryStep::TAG_REMOVED)
		RemoveTag(step.tag, &detached_);
	redo_.pop_back();
	undo_.push_back(step);
	EventAdd();
	Changed();
	return { { "revision", revision_ }, { "undo", { { "undo", !undo_.empty() }, { "redo", !redo_.empty() } } } };
}

// ---- Edits ----------------------------------------------------------------------------

json Studio::Set(long long id, const json& body)
{
	BaseList2D* element = Find(id);
	BaseContainer settings;
	const DescID entry = EntryOf(element, Member(body, "id"), &settings);
	const LONG dtype = entry[entry.GetDepth() - 1].dtype;
	const bool bitmapButton = settings.GetType(DESC_CUSTOMGUI) == DA_LONG && settings.GetLong(DESC_CUSTOMGUI) == CUSTOMGUI_BITMAPBUTTON;
	if (dtype == DTYPE_BUTTON && !bitmapButton)
		Refuse(400, "a button is pressed with a command, not set");
	GeData value;
	std::string note;
	// A bitmap button is clicked: the host sets it to the value it holds.
	if (bitmapButton)
		element->GetParameter(entry, value, DESCFLAGS_GET_0);
	else if (!HasValue(dtype))
		Refuse(400, "this entry takes no value");
	else
		value = ValueFromJson(Member(body, "value"), dtype, [this](const json& j) { return Find(ElementId(j, "a link")); }, &note);
	NodeData* node = element->GetNodeData();
	GeData current;
	element->GetParameter(entry, current, DESCFLAGS_GET_0);
	if (node && !node->GetDEnabling(element, entry, current, DESCFLAGS_ENABLE_0, &settings))
		Refuse(409, "the entry is greyed out");

	BaseDocument* doc = Doc();
	OpenedPage page;
	const LONG before = doc->GetUndoCount();
	bool set = false;
	{
		UndoGroup group(doc);
		doc->AddUndo(UNDOTYPE_CHANGE, element);
		set = element->SetParameter(entry, value, DESCFLAGS_SET_USERINTERACTION) != FALSE;
		if (set)
		{
			DescriptionPostSetValue post = { &entry };
			element->Message(MSG_DESCRIPTION_POSTSETPARAMETER, &post);
		}
	}
	Recorded(before);
	if (!set)
	{
		// The state before the set comes back, and its group goes: an empty
		// group started and ended drops the redo group the undo made.
		for (LONG k = before; k < doc->GetUndoCount() && !undo_.empty(); ++k)
			undo_.pop_back();
		while (doc->GetUndoCount() > before)
			doc->DoUndo();
		doc->StartUndo();
		doc->EndUndo();
		Refuse(422, "the element refused the value");
	}
	EventAdd();
	Changed();
	json answer = { { "revision", revision_ } };
	if (!note.empty())
		answer["clamped"] = note;
	page.AddTo(&answer);
	return answer;
}

json Studio::Command(long long id, const json& body)
{
	BaseList2D* element = Find(id);
	BaseContainer settings;
	const DescID entry = EntryOf(element, Member(body, "id"), &settings);
	if (entry[entry.GetDepth() - 1].dtype != DTYPE_BUTTON)
		Refuse(400, "only a button takes a command");
	const bool answered = body.contains("answer");
	const bool yes = Flag(body, "answer", false);
	NodeData* node = element->GetNodeData();
	if (node && !node->GetDEnabling(element, entry, GeData(), DESCFLAGS_ENABLE_0, &settings))
		Refuse(409, "the button is greyed out");

	if (!answered)
	{
		// Whether the command asks is learnt on a copy, answering no there:
		// the document changes only once the user has answered.
		DocumentPtr copy = Copy();
		BaseList2D* twin = Counterpart(element, copy.get());
		std::string question;
		{
			ActiveDocument active(copy.get(), Doc());
			QuestionAnswer ask([&question](const String& text) {
				question = text.GetStdString();
				return false;
			});
			DescriptionCommand command = { entry };
			twin->Message(MSG_DESCRIPTION_COMMAND, &command);
		}
		if (!question.empty())
			return { { "revision", revision_ }, { "question", question } };
	}

	BaseDocument* doc = Doc();
	OpenedPage page;
	const LONG before = doc->GetUndoCount();
	{
		QuestionAnswer ask([yes](const String&) { return yes; });
		UndoGroup group(doc);
		DescriptionCommand command = { entry };
		element->Message(MSG_DESCRIPTION_COMMAND, &command);
	}
	Recorded(before);
	EventAdd();
	Changed();
	json answer = { { "revision", revision_ } };
	page.AddTo(&answer);
	return answer;
}

json Studio::AddTag(long long objectId, const json& body)
{
	if (!body.is_object())
		Refuse(400, "the request body must be a JSON object");
	BaseList2D* element = Find(objectId);
	if (element->GetClassification() != Obase)
		Refuse(400, "element " + std::to_string(objectId) + " is not an object");
	if (PulsorTags(Doc()).size() >= kMaxPulsorTags)
		Refuse(409, "the scene has " + std::to_string(kMaxPulsorTags) + " Pulsor tags, the most it may hold");
	BaseObject* op = static_cast<BaseObject*>(element);
	BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
	if (!tag)
		Refuse(422, "the Pulsor module made no tag");
	const LONG index = op->GetTagCount();
	op->InsertTag(tag, index > 0 ? op->GetTagByIndex(index - 1) : nullptr);
	Push(HistoryStep{ HistoryStep::TAG_ADDED, tag, op, index });
	EventAdd();
	Changed();
	return { { "revision", revision_ }, { "id", IdOf(tag) } };
}

json Studio::Delete(long long id)
{
	BaseList2D* element = Find(id);
	if (element->GetClassification() != Tbase)
		Refuse(400, "only tags are deleted");
	BaseTag* tag = static_cast<BaseTag*>(element);
	BaseObject* op = tag->GetObject();
	LONG index = 0;
	while (op->GetTagByIndex(index) != tag)
		++index;
	RemoveTag(tag, &detached_);
	Push(HistoryStep{ HistoryStep::TAG_REMOVED, tag, op, index });
	EventAdd();
	Changed();
	return { { "revision", revision_ } };
}

json Studio::Rename(long long id, const json& body)
{
	const json& name = Member(body, "name");
	if (!name.is_string())
		Refuse(400, "\"name\" must be a string");
	// Renaming is editing the page's name field.
	return Set(id, { { "id", { ID_BASELIST_NAME } }, { "value", name } });
}

json Studio::Link(const json& body)
{
	BaseTag* tag = FindPulsorTag(ElementId(Member(body, "tag"), "\"tag\""));
	BaseList2D* source = Find(ElementId(Member(body, "source"), "\"source\""));
	const std::vector<LONG> levels = Levels(Member(body, "param"));
	const bool drop = Flag(body, "drop", false);
	if (!body.contains("drop"))
		Refuse(400, "the request needs \"drop\"");

	AutoAlloc<Description> page;
	if (!page || !source->GetDescription(page, DESCFLAGS_DESC_0))
		Refuse(422, "the element gave no page");
	DescID wanted, complete;
	for (LONG level : levels)
		wanted.PushId(DescLevel(level));
	AutoAlloc<AtomArray> none;
	if (!page->CheckDescID(wanted, *none, &complete))
		Refuse(404, "element " + std::to_string(IdOf(source)) + " has no parameter " + LevelsText(levels));

	AutoAlloc<AtomArray> dragged;
	dragged->Append(source);
	DescPropertyDragData payload = { dragged, complete };
	DragAndDrop message = { Doc(), 0, DRAGTYPE_DESCID, &payload, 0 };
	if (!drop)
	{
		// While hovering the button is down: the tag only says whether it
		// would take the parameter.
		HostSetMouseButton(true);
		tag->Message(MSG_DRAGANDDROP, &message);
		HostSetMouseButton(false);
		return { { "revision", revision_ }, { "accept", (message.flags & DRAGANDDROP_FLAG_ACCEPT) != 0 } };
	}
	BaseDocument* doc = Doc();
	const LONG before = doc->GetUndoCount();
	{
		UndoGroup group(doc);
		HostSetMouseButton(false);
		tag->Message(MSG_DRAGANDDROP, &message);
	}
	Recorded(before);
	const bool accepted = (message.flags & DRAGANDDROP_FLAG_ACCEPT) != 0;
	if (accepted)
	{
		EventAdd();
		Changed();
	}
	return { { "revision", revision_ }, { "accepted", accepted } };
}

// ---- Time -----------------------------------------------------------------------------

json Studio::Frame(const json& body)
{
	const json& frame = Member(body, "frame");
	if (!frame.is_number() || !std::isfinite(frame.get<double>()) || std::fabs(frame.get<double>()) > 1e9)
		Refuse(400, "\"frame\" must be a number of frames");
	BaseList2D* shown = body.contains("element") ? Find(ElementId(body["element"], "\"element\"")) : nullptr;
	const std::vector<BaseObject*> viewed = ViewedObjects(body.contains("objects") ? body["objects"] : json(true));
	scene_.fps = Doc()->GetFps();
	const Recording rec = RecordScene(scene_, { frame.get<double>() }, {});
	json values = json::object();
	for (size_t c = 2; c < 2 + rec.linkedColumns; ++c)
		values[rec.table.columns[c]] = NumberJson(rec.table.rows[0][c]);
	json objects = ViewObjects(viewed);
	Changed();
	json answer = { { "revision", revision_ }, { "frame", frame }, { "values", values } };
	if (!objects.empty())
		answer["objects"] = std::move(objects);
	if (shown)
		answer["page"] = PageOf(shown);
	return answer;
}

namespace
{

GeData ParameterOf(BaseList2D* element, LONG id)
{
	GeData value;
	element->GetParameter(DescID(DescLevel(id)), value, DESCFLAGS_GET_0);
	return value;
}

json VectorJson(const Vector& v)
{
	return json::array({ NumberJson(v.x), NumberJson(v.y), NumberJson(v.z) });
}

} // namespace

std::vector<BaseObject*> Studio::ViewedObjects(const json& which)
{
	std::vector<BaseObject*> objects;
	BaseDocument* doc = Doc();
	if (which.is_boolean())
	{
		if (which.get<bool>())
			for (LONG i = 0; i < doc->GetObjectCount(); ++i)
				objects.push_back(doc->GetObjectByIndex(i));
	}
	else if (which.is_array())
	{
		for (const json& id : which)
		{
			BaseList2D* element = Find(ElementId(id, "an object of \"objects\""));
			if (element->GetClassification() != Obase)
				Refuse(400, "element " + std::to_string(id.get<long long>()) + " is not an object");
			objects.push_back(static_cast<BaseObject*>(element));
		}
	}
	else
		Refuse(400, "\"objects\" must be true, false or an array of object ids");
	return objects;
}

json Studio::ViewObjects(const std::vector<BaseObject*>& objects)
{
	// Objects of this host stand side by side, so their own placement is
	// their global one.
	json answer = json::array();
	for (BaseObject* op : objects)
	{
		const LONG type = op->GetType();
		json o = { { "id", IdOf(op) }, { "kind", type == Ocube ? "cube" : type == Onull ? "null" : "other" },
			{ "position", VectorJson(ParameterOf(op, ID_BASEOBJECT_REL_POSITION).GetVector()) },
			{ "rotation", VectorJson(ParameterOf(op, ID_BASEOBJECT_REL_ROTATION).GetVector()) },
			{ "scale", VectorJson(ParameterOf(op, ID_BASEOBJECT_REL_SCALE).GetVector()) },
			{ "color", VectorJson(ParameterOf(op, ID_BASEOBJECT_COLOR).GetVector()) },
			{ "visible", ParameterOf(op, ID_BASEOBJECT_VISIBILITY_EDITOR).GetLong() != 1 } };
		if (type == Ocube)
			o["size"] = VectorJson(ParameterOf(op, PRIM_CUBE_LEN).GetVector());
		answer.push_back(std::move(o));
	}
	return answer;
}

json Studio::Keys()
{
	scene_.fps = Doc()->GetFps();
	json tracks = json::array();
	for (BaseTag* tag : PulsorTags(Doc()))
	{
		const Table keys = BakedKeys(scene_, tag);
		for (size_t c = 2; c < keys.columns.size(); ++c)
		{
			json frames = json::array(), values = json::array();
			for (const std::vector<double>& row : keys.rows)
			{
				if (std::isnan(row[c]))
					continue;
				frames.push_back(std::round(row[0]));
				values.push_back(NumberJson(row[c]));
			}
			if (!frames.empty())
				tracks.push_back({ { "tag", IdOf(tag) }, { "name", keys.columns[c] }, { "frames", frames }, { "values", values } });
		}
	}
	return { { "revision", revision_ }, { "tracks", tracks } };
}

json Studio::Graph(const std::string& from, const std::string& to)
{
	const auto frameOf = [](const std::string& text, const char* what, double fallback) {
		if (text.empty())
			return fallback;
		size_t used = 0;
		double v = 0.0;
		try
		{
			v = std::stod(text, &used);
		}
		catch (const std::exception&)
		{
			used = 0;
		}
		if (used == 0 || used != text.size() || !std::isfinite(v))
			Refuse(400, std::string("\"") + what + "\" must be a number of frames");
		return v;
	};
	const LONG fps = Doc()->GetFps();
	RunRange range;
	range.from = frameOf(from, "from", Frames(Doc()->GetMinTime(), fps));
	range.to = frameOf(to, "to", Frames(Doc()->GetMaxTime(), fps));
	if (range.to < range.from)
		Refuse(400, "the range ends before it starts");
	if (range.to - range.from + 1 > (double)kMaxGraphFrames)
		Refuse(400, "more than " + std::to_string(kMaxGraphFrames) + " frames");
	std::vector<double> frames;
	Scene copy;
	copy.file = scene_.file;
	copy.fps = fps;
	try
	{
		frames = FramesOf(range);
		CheckWork(scene_, (double)frames.size(), "a graph");
	}
	catch (const InputError& e)
	{
		Refuse(400, e.problem);
	}
	copy.doc = Copy();
	const std::vector<BaseTag*> ownTags = PulsorTags(Doc());
	const std::vector<BaseTag*> copiedTags = PulsorTags(copy.doc.get());
	Recording rec;
	{
		ActiveDocument active(copy.doc.get(), Doc());
		rec = RecordScene(copy, frames, {});
	}
	json series = json::array();
	for (size_t c = 2; c < 2 + rec.linkedColumns; ++c)
	{
		const auto at = std::find(copiedTags.begin(), copiedTags.end(), rec.columnTags[c - 2]);
		const size_t index = (size_t)(at - copiedTags.begin());
		json values = json::array();
		for (const std::vector<double>& row : rec.table.rows)
			values.push_back(NumberJson(row[c]));
		series.push_back({ { "tag", index < ownTags.size() ? json(IdOf(ownTags[index])) : json() },
			{ "name", rec.table.columns[c] }, { "values", values } });
	}
	json frameList = json::array();
	for (double f : frames)
		frameList.push_back(f);
	return { { "revision", revision_ }, { "frames", frameList }, { "series", series } };
}

// ---- Presets ---------------------------------------------------------------------------

namespace
{

// The module's rules for a preset name, told before it is asked: it would
// silently save nothing.
std::string PresetNameProblem(const std::string& name)
{
	if (name.empty())
		return "a preset needs a name";
	if (name == "." || name == ".." || name.find("..") != std::string::npos)
		return "a preset name must not hold \"..\"";
	for (unsigned char c : name)
	{
		if (c < 32 || c == 127)
			return "a preset name must not hold control characters";
		if (std::string("/\\:*?<>|\"").find((char)c) != std::string::npos)
			return "a preset name must not hold any of / \\ : * ? < > | \"";
	}
	if (name.back() == '.' || name.back() == ' ')
		return "a preset name must not end in a dot or a space";
	return std::string();
}

// The host's file dialog answers folder while it lives, and nothing after.
class FolderDialogAnswer
{
public:
	explicit FolderDialogAnswer(const std::string& folder)
	{
		HostSetFileSelectHandler([folder](FILESELECTTYPE, FILESELECT flags, const String&, String* chosen) {
			if (flags != FILESELECT_DIRECTORY)
				return false;
			*chosen = HostString(folder);
			return true;
		});
	}
	~FolderDialogAnswer() { HostSetFileSelectHandler(nullptr); }
	FolderDialogAnswer(const FolderDialogAnswer&) = delete;
	FolderDialogAnswer& operator=(const FolderDialogAnswer&) = delete;
};

// The preset page's name and choice as they were, for a press the module
// could not carry out: the page shows what it showed before.
class PresetEntries
{
public:
	explicit PresetEntries(const BaseContainer* data)
	{
		for (LONG id : { PULSOR_PRESET_NAME, PULSOR_PRESET_CHOICE })
			if (const GeData* value = data->GetDataPointer(id))
				kept_.emplace_back(id, *value);
			else
				absent_.push_back(id);
	}
	void Restore(BaseContainer* data) const
	{
		for (const auto& entry : kept_)
			data->SetData(entry.first, entry.second);
		for (LONG id : absent_)
			data->RemoveData(id);
	}

private:
	std::vector<std::pair<LONG, GeData>> kept_;
	std::vector<LONG> absent_;
};

fs::file_time_type WriteTime(const fs::path& file)
{
	std::error_code ec;
	const fs::file_time_type t = fs::last_write_time(file, ec);
	return ec ? fs::file_time_type::min() : t;
}

} // namespace

void Studio::SetPresetEntry(BaseTag* tag, LONG id, const GeData& value)
{
	const DescID entry{ DescLevel(id) };
	if (!tag->SetParameter(entry, value, DESCFLAGS_SET_USERINTERACTION))
		Refuse(422, "the tag refused the preset entry");
	DescriptionPostSetValue post = { &entry };
	tag->Message(MSG_DESCRIPTION_POSTSETPARAMETER, &post);
}

void Studio::Press(BaseTag* tag, LONG id)
{
	BaseDocument* doc = Doc();
	const LONG before = doc->GetUndoCount();
	{
		QuestionAnswer ask([](const String&) { return false; });
		DescriptionCommand command = { DescID(DescLevel(id, DTYPE_BUTTON, 0)) };
		tag->Message(MSG_DESCRIPTION_COMMAND, &command);
	}
	Recorded(before);
}

json Studio::Presets(long long id)
{
	BaseTag* tag = FindPulsorTag(id);
	const BaseContainer* data = tag->GetDataInstance();
	const BaseContainer list = data->GetContainer(PULSOR_PRESET_LIST);
	json presets = json::array();
	for (LONG i = 0; list.GetIndexData(i); ++i)
		presets.push_back(list.GetString(list.GetIndexId(i)).GetStdString());
	return { { "revision", revision_ }, { "folder", data->GetString(PULSOR_PRESET_FOLDER).GetStdString() },
		{ "name", data->GetString(PULSOR_PRESET_NAME).GetStdString() }, { "presets", presets },
		{ "choice", data->GetLong(PULSOR_PRESET_CHOICE) } };
}

json Studio::Preset(long long id, const std::string& what, const json& body)
{
	BaseTag* tag = FindPulsorTag(id);
	if (!body.is_object())
		Refuse(400, "the request body must be a JSON object");
	BaseContainer* data = tag->GetDataInstance();
	const fs::path folder = fs::u8path(data->GetString(PULSOR_PRESET_FOLDER).GetStdString());
	if (what == "refresh")
	{
		Press(tag, PULSOR_PRESET_REFRESH);
	}
	else if (what == "load")
	{
		const json& index = Member(body, "index");
		const BaseContainer list = data->GetContainer(PULSOR_PRESET_LIST);
		LONG count = 0;
		while (list.GetIndexData(count))
			++count;
		if (!index.is_number_integer() || index.get<long long>() < 0 || index.get<long long>() >= count)
			Refuse(400, "\"index\" must be the place of a listed preset, 0 to " + std::to_string((long long)count - 1));
		const LONG choice = (LONG)index.get<long long>();
		const std::string name = list.GetString(list.GetIndexId(choice)).GetStdString();
		const PresetEntries kept(data);
		SetPresetEntry(tag, PULSOR_PRESET_CHOICE, GeData(choice));
		const LONG before = Doc()->GetUndoCount();
		Press(tag, PULSOR_PRESET_LOAD);
		// The module's load is an undo step when it took the file, and
		// nothing when the file did not read.
		if (Doc()->GetUndoCount() == before)
		{
			kept.Restore(data);
			Refuse(422, "the preset \"" + name + "\" could not be read from " + folder.u8string());
		}
	}
	else if (what == "save")
	{
		const json& name = Member(body, "name");
		if (!name.is_string())
			Refuse(400, "\"name\" must be a string");
		const std::string text = name.get<std::string>();
		const std::string problem = PresetNameProblem(text);
		if (!problem.empty())
			Refuse(400, problem);
		std::error_code ec;
		if (!fs::is_directory(folder, ec))
			Refuse(422, "the preset folder " + folder.u8string() + " is not a folder");
		const fs::path file = folder / fs::u8path(text + PULSOR_PRESET_SUFFIX);
		const fs::file_time_type before = WriteTime(file);
		const PresetEntries kept(data);
		SetPresetEntry(tag, PULSOR_PRESET_NAME, GeData(HostString(text)));
		Press(tag, PULSOR_PRESET_SAVE);
		const fs::file_time_type after = WriteTime(file);
		// The module writes a new file and renames it over the old one: a
		// save that took leaves a file of a new time.
		if (after == fs::file_time_type::min() || after == before)
		{
			kept.Restore(data);
			Refuse(422, "the preset \"" + text + "\" could not be saved in " + folder.u8string());
		}
	}
	else if (what == "folder")
	{
		const json& path = Member(body, "path");
		if (!path.is_string())
			Refuse(400, "\"path\" must be a string");
		const std::string text = path.get<std::string>();
		const json listing = Folders(text);    // refuses what is no folder
		FolderDialogAnswer answer(listing["path"].get<std::string>());
		Press(tag, PULSOR_PRESET_BROWSE);
	}
	else
		Refuse(404, "no preset action " + what);
	EventAdd();
	Changed();
	return { { "revision", revision_ } };
}

json Studio::Folders(const std::string& path)
{
	if (path.find('\0') != std::string::npos)
		Refuse(400, "a path must not hold a NUL character");
	std::error_code ec;
	fs::path p = path.empty() ? fs::current_path(ec) : fs::u8path(path);
	for (const fs::path& part : p)
		if (part == "..")
			Refuse(400, "a path must not hold \"..\"");
	p = fs::canonical(fs::absolute(p, ec), ec);
	if (ec || !fs::is_directory(p, ec))
		Refuse(400, "no folder " + path);
	json folders = json::array();
	fs::directory_iterator it(p, ec);
	if (ec)
		Refuse(400, "the folder " + p.u8string() + " cannot be read");
	std::vector<std::string> names;
	for (; it != fs::directory_iterator(); it.increment(ec))
	{
		if (ec)
			break;
		const std::string name = it->path().filename().u8string();
		std::error_code kind;
		if (!name.empty() && name[0] != '.' && it->is_directory(kind))
			names.push_back(name);
	}
	std::sort(names.begin(), names.end());
	for (const std::string& n : names)
		folders.push_back(n);
	const json parent = p.has_parent_path() && p.parent_path() != p ? json(p.parent_path().u8string()) : json();
	return { { "path", p.u8string() }, { "parent", parent }, { "folders", folders } };
}

// ---- Files ----------------------------------------------------------------------------

json Studio::Save(const json& body)
{
	const std::string path = FilePath(body);
	const bool overwrite = Flag(body, "overwrite", false);
	std::error_code ec;
	const fs::path p = fs::u8path(path);
	const fs::file_status status = fs::status(p, ec);
	if (fs::exists(status) && !overwrite)
		throw ApiError{ 409, path + " exists; save again with \"overwrite\" to replace it", { { "exists", true } } };
	if (fs::exists(status) && !fs::is_regular_file(status))
		Refuse(400, path + " is not a regular file");
	const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
	if (!fs::is_directory(folder, ec))
		Refuse(400, "no folder " + folder.u8string());
	std::string problem;
	if (!SaveDocument(*Doc(), Filename(HostString(path)), &problem))
		Refuse(422, path + ": " + problem);
	scene_.file = path;
	return { { "revision", revision_ }, { "file", path } };
}

json Studio::Open(const json& body)
{
	const std::string path = FilePath(body);
	std::error_code ec;
	if (!fs::is_regular_file(fs::u8path(path), ec))
		Refuse(404, "no file " + path);
	Scene scene;
	try
	{
		scene = LoadScene(path);
	}
	catch (const InputError& e)
	{
		// Loading made its document the active one, and took it away.
		HostSetActiveDocument(Doc());
		Refuse(422, e.Line());
	}
	Reset(std::move(scene));
	return { { "revision", revision_ }, { "file", path } };
}

DocumentPtr Studio::Copy()
{
	std::string problem;
	DocumentPtr copy(CloneDocument(*Doc(), &problem));
	if (!copy)
		Refuse(422, problem);
	HostSetUndoLimit(copy.get(), 0);
	return copy;
}

BaseList2D* Studio::Counterpart(BaseList2D* element, BaseDocument* copy)
{
	BaseDocument* doc = Doc();
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		if (op == element)
			return copy->GetObjectByIndex(i);
		for (LONG k = 0; k < op->GetTagCount(); ++k)
			if (op->GetTagByIndex(k) == element)
				return copy->GetObjectByIndex(i)->GetTagByIndex(k);
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		if (doc->GetMaterialByIndex(i) == element)
			return copy->GetMaterialByIndex(i);
	Refuse(422, "the copy of the document lacks an element");
}

// ---- Checks ----------------------------------------------------------------------------

namespace
{

void DumpElement(std::ostream& out, BaseList2D* element)
{
	out << element->GetType() << " \"" << element->GetName().GetStdString() << "\"\n";
	PrintContainer(out, *element->GetDataInstance(), element->GetType() == PULSOR_TAG_ID, 1);
	for (LONG t = 0; t < element->GetTrackCount(); ++t)
	{
		CTrack* track = element->GetTrackByIndex(t);
		const DescID& id = track->GetDescriptionID();
		out << "  track";
		for (LONG l = 0; l < id.GetDepth(); ++l)
			out << " " << id[l].id;
		CCurve* curve = track->GetCurve();
		for (LONG k = 0; k < curve->GetKeyCount(); ++k)
			out << " " << curve->GetKey(k)->GetTime().Get() << "=" << curve->GetKey(k)->GetValue();
		out << "\n";
	}
}

} // namespace

std::string Studio::Dump()
{
	BaseDocument* doc = Doc();
	std::ostringstream out;
	out << "time " << doc->GetTime().Get() << " fps " << doc->GetFps() << " undo " << doc->GetUndoCount() << "/"
		<< undo_.size() << " redo " << doc->GetRedoCount() << "/" << redo_.size() << " file " << scene_.file << "\n";
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		DumpElement(out, op);
		for (LONG k = 0; k < op->GetTagCount(); ++k)
			DumpElement(out, op->GetTagByIndex(k));
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		DumpElement(out, doc->GetMaterialByIndex(i));
	return out.str();
}
