// JSON scenes. Elements are made first; then every Pulsor tag is edited, in
// file order, the way a user edits it: a preset loaded, a parameter dropped
// on it, modifiers added through "Add Modifiers", entries set with the
// post-set message, buttons pressed. A tag gets its name from the file last,
// as linking renames it.
#include "customgui_descproperty.h"
#include "scene.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <map>
#include <set>
#include <nlohmann/json.hpp>

#include "catalogue.h"
#include "host_services.h"
#include "host_string.h"
#include "parameter_paths.h"
#include "pulsor_ids.h"
#include "recorder.h"
#include "tag_edits.h"
#include "tag_link.h"

using json = nlohmann::json;

namespace
{

std::string EscapeKey(const std::string& key)
{
	std::string out;
	for (char c : key)
		out += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
	return out;
}

std::string LineAndColumn(const std::string& text, size_t byte)
{
	size_t line = 1, column = 1;
	for (size_t i = 0; i < byte && i < text.size(); ++i)
	{
		if (text[i] == '\n')
			++line, column = 1;
		else
			++column;
	}
	return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The module asks before it bakes more than a thousand frames.
const double kFramesBakedWithoutQuestion = 1001.0;

// Buttons that reach outside the document: a scene is data, and the only
// files a command writes are the outputs on its command line.
const char* Outside(LONG id)
{
	switch (id)
	{
		case PULSOR_PRESET_SAVE: return "\"Save\" writes a preset file (pulsorhost preset save saves presets)";
		case PULSOR_PRESET_BROWSE: return "\"...\" opens a folder dialog";
		default: return nullptr;
	}
}

struct PendingTag
{
	BaseTag* tag;
	const json* edits;
	std::string place;
};

class JsonSceneReader
{
public:
	JsonSceneReader(const std::string& file, BaseDocument* doc, Scene* scene) : file_(file), doc_(doc), scene_(scene) {}

	void Read(const json& root)
	{
		if (!root.is_object())
			Fail("", "a scene is a JSON object");
		Keys(root, "", { "fps", "from", "to", "objects", "materials" });
		fps_ = root.contains("fps") ? Long(root["fps"], "/fps", 1, 10000) : 30;
		scene_->fps = fps_;
		scene_->from = root.contains("from") ? Frame(root["from"], "/from") : 0.0;
		scene_->to = root.contains("to") ? Frame(root["to"], "/to") : 3.0 * fps_;
		if (scene_->to < scene_->from)
			Fail("/to", "\"to\" lies before \"from\"");
		doc_->SetFps(fps_);
		doc_->SetMinTime(BaseTime(scene_->from, fps_));
		doc_->SetMaxTime(BaseTime(scene_->to, fps_));

		// Materials first: tags link to them.
		for (size_t i = 0; root.contains("materials") && i < Array(root["materials"], "/materials").size(); ++i)
			ReadMaterial(root["materials"][i], "/materials/" + std::to_string(i));
		for (size_t i = 0; root.contains("objects") && i < Array(root["objects"], "/objects").size(); ++i)
			ReadObject(root["objects"][i], "/objects/" + std::to_string(i));
		for (const PendingTag& p : pending_)
			EditPulsor(p.tag, *p.edits, p.place);
	}

private:
	[[noreturn]] void Fail(const std::string& place, const std::string& problem) const
	{
		throw InputError{ file_, place, problem };
	}

	void Keys(const json& j, const std::string& place, std::initializer_list<const char*> allowed) const
	{
		for (auto it = j.begin(); it != j.end(); ++it)
		{
			bool known = false;
			for (const char* key : allowed)
				known = known || it.key() == key;
			if (!known)
				Fail(place + "/" + EscapeKey(it.key()), "unknown key \"" + it.key() + "\"");
		}
	}

	const json& Array(const json& j, const std::string& place) const
	{
		if (!j.is_array())
			Fail(place, "expected an array");
		return j;
	}

	double Number(const json& j, const std::string& place) const
	{
		if (!j.is_number())
			Fail(place, "expected a number");
		const double v = j.get<double>();
		if (!std::isfinite(v))
			Fail(place, "expected a finite number");
		return v;
	}

	LONG Long(const json& j, const std::string& place, long long lo = INT_MIN, long long hi = INT_MAX) const
	{
		if (!j.is_number_integer())
			Fail(place, "expected an integer");
		const long long v = j.is_number_unsigned() && j.get<unsigned long long>() > (unsigned long long)LLONG_MAX
			? LLONG_MAX : j.get<long long>();
		if (v < lo || v > hi)
			Fail(place, "expected an integer from " + std::to_string(lo) + " to " + std::to_string(hi));
		return (LONG)v;
	}

	// Frames are whole or fractional, within what a 32-bit frame count holds.
	double Frame(const json& j, const std::string& place) const
	{
		const double v = Number(j, place);
		if (std::fabs(v) > 1.0e9)
			Fail(place, "frame out of range");
		return v;
	}

	std::string Text(const json& j, const std::string& place) const
	{
		if (!j.is_string())
			Fail(place, "expected a string");
		return j.get<std::string>();
	}

	Vector Vec(const json& j, const std::string& place) const
	{
		if (!j.is_array() || j.size() != 3)
			Fail(place, "expected an array of three numbers");
		return Vector(Number(j[0], place + "/0"), Number(j[1], place + "/1"), Number(j[2], place + "/2"));
	}

	// A value for a parameter of the given data type.
	GeData ParameterValue(const json& j, const std::string& place, LONG dtype) const
	{
		switch (dtype)
		{
			case DTYPE_REAL: return GeData(Number(j, place));
			case DTYPE_LONG: return GeData(Long(j, place));
			case DTYPE_BOOL:
				if (!j.is_boolean())
					Fail(place, "expected true or false");
				return GeData((LONG)(j.get<bool>() ? 1 : 0));
			case DTYPE_TIME: return GeData(Time(j, place));
			case DTYPE_VECTOR:
			case DTYPE_COLOR: return GeData(Vec(j, place));
			default: Fail(place, "this parameter cannot be set from a scene file");
		}
	}

	// Seconds as a number, or { "frames": n } / { "seconds": s }.
	BaseTime Time(const json& j, const std::string& place) const
	{
		if (j.is_object() && j.size() == 1 && j.contains("frames"))
			return BaseTime(Frame(j["frames"], place + "/frames"), fps_);
		if (j.is_object() && j.size() == 1 && j.contains("seconds"))
			return BaseTime(Number(j["seconds"], place + "/seconds"));
		if (j.is_number())
			return BaseTime(Number(j, place));
		Fail(place, "expected seconds, or {\"frames\": n} or {\"seconds\": s}");
	}

	ParameterPath Path(const BaseList2D& element, const json& j, const std::string& place) const
	{
		ParameterPath path;
		std::string problem;
		if (!ParsePath(element, Text(j, place), &path, &problem))
			Fail(place, problem);
		return path;
	}

	void ReadParameters(BaseList2D* element, const json& j, const std::string& place) const
	{
		if (!j.is_object())
			Fail(place, "expected an object of parameter values");
		for (auto it = j.begin(); it != j.end(); ++it)
		{
			const std::string at = place + "/" + EscapeKey(it.key());
			ParameterPath path;
			std::string problem;
			if (!ParsePath(*element, it.key(), &path, &problem))
				Fail(at, problem);
			const LONG dtype = path.component < 0 ? path.dtype : DTYPE_REAL;
			if (!element->SetParameter(path.ToDescID(), ParameterValue(it.value(), at, dtype), DESCFLAGS_SET_0))
				Fail(at, "the element refused the value");
		}
	}

	void ReadTracks(BaseList2D* element, const json& j, const std::string& place) const
	{
		for (size_t i = 0; i < Array(j, place).size(); ++i)
		{
			const std::string at = place + "/" + std::to_string(i);
			const json& entry = j[i];
			if (!entry.is_object())
				Fail(at, "expected an object with \"parameter\" and \"keys\"");
			Keys(entry, at, { "parameter", "keys" });
			if (!entry.contains("parameter") || !entry.contains("keys"))
				Fail(at, "a track needs \"parameter\" and \"keys\"");
			const ParameterPath path = Path(*element, entry["parameter"], at + "/parameter");
			const LONG dtype = path.component < 0 ? path.dtype : DTYPE_REAL;
			if (element->FindCTrack(path.ToDescID()))
				Fail(at + "/parameter", "the parameter has a track already");
			CTrack* track = CTrack::Alloc(element, path.ToDescID());
			element->InsertTrackSorted(track);
			const json& keys = Array(entry["keys"], at + "/keys");
			for (size_t k = 0; k < keys.size(); ++k)
			{
				const std::string keyAt = at + "/keys/" + std::to_string(k);
				if (!keys[k].is_array() || keys[k].size() != 2)
					Fail(keyAt, "a key is [frame, value]");
				const double frame = Frame(keys[k][0], keyAt + "/0");
				const GeData value = ParameterValue(keys[k][1], keyAt + "/1", dtype);
				CKey* key = track->GetCurve()->AddKey(BaseTime(frame, fps_));
				if (key)
					key->SetGeData(track->GetCurve(), value);
			}
		}
	}

	// type, name, parameters and tracks, common to every element.
	void ReadCommon(BaseList2D* element, const json& j, const std::string& place, const ElementType* type) const
	{
		element->SetName(HostString(j.contains("name") ? Text(j["name"], place + "/name") : (type ? type->name : "Pulsor")));
		if (j.contains("parameters"))
			ReadParameters(element, j["parameters"], place + "/parameters");
		if (j.contains("tracks"))
			ReadTracks(element, j["tracks"], place + "/tracks");
	}

	LONG TypeOf(const json& j, const std::string& place, LONG classification) const
	{
		if (!j.is_object())
			Fail(place, "expected an object");
		if (!j.contains("type"))
			Fail(place, "missing \"type\"");
		const std::string name = Text(j["type"], place + "/type");
		const LONG type = ElementTypeByName(name);
		const ElementType* known = FindElementType(type);
		const LONG kind = type == PULSOR_TAG_ID ? Tbase : known ? known->classification : 0;
		if (kind != classification)
			Fail(place + "/type", "unknown " + std::string(classification == Obase ? "object" : classification == Mbase
				? "material" : "tag") + " type \"" + name + "\"");
		return type;
	}

	void ReadMaterial(const json& j, const std::string& place)
	{
		const LONG type = TypeOf(j, place, Mbase);
		Keys(j, place, { "type", "name", "parameters", "tracks" });
		BaseMaterial* mat = BaseMaterial::Alloc(type);
		doc_->InsertMaterial(mat, doc_->GetMaterialByIndex(doc_->GetMaterialCount() - 1));
		ReadCommon(mat, j, place, FindElementType(type));
	}

	void ReadObject(const json& j, const std::string& place)
	{
		const LONG type = TypeOf(j, place, Obase);
		Keys(j, place, { "type", "name", "parameters", "tracks", "tags" });
		BaseObject* op = BaseObject::Alloc(type);
		doc_->InsertObject(op, doc_->GetObjectByIndex(doc_->GetObjectCount() - 1));
		ReadCommon(op, j, place, FindElementType(type));
		if (!j.contains("tags"))
			return;
		const json& tags = Array(j["tags"], place + "/tags");
		for (size_t i = 0; i < tags.size(); ++i)
			ReadTag(op, tags[i], place + "/tags/" + std::to_string(i));
	}

	void ReadTag(BaseObject* op, const json& j, const std::string& place)
	{
		const LONG type = TypeOf(j, place, Tbase);
		if (type == PULSOR_TAG_ID)
			Keys(j, place, { "type", "name", "link", "preset", "add", "set", "press" });
		else
			Keys(j, place, { "type", "name", "parameters", "tracks" });
		BaseTag* tag = BaseTag::Alloc(type);
		if (!tag)
			Fail(place + "/type", "the host has no such tag type loaded");
		op->InsertTag(tag, op->GetTagByIndex(op->GetTagCount() - 1));
		if (type != PULSOR_TAG_ID)
		{
			ReadCommon(tag, j, place, FindElementType(type));
			return;
		}
		if (pending_.size() >= kMaxPulsorTags)
			Fail(place, "more than " + std::to_string(kMaxPulsorTags) + " Pulsor tags");
		if (j.contains("name"))
			tag->SetName(HostString(Text(j["name"], place + "/name")));
		pending_.push_back(PendingTag{ tag, &j, place });
	}

	// ---- Editing a Pulsor tag as a user would ------------------------------

	BaseList2D* FindByName(const std::string& kind, const std::string& name, const std::string& place) const
	{
		if (kind == "material")
		{
			for (LONG i = 0; i < doc_->GetMaterialCount(); ++i)
				if (doc_->GetMaterialByIndex(i)->GetName().GetStdString() == name)
					return doc_->GetMaterialByIndex(i);
		}
		for (LONG i = 0; i < doc_->GetObjectCount(); ++i)
		{
			BaseObject* op = doc_->GetObjectByIndex(i);
			if (kind == "object" && op->GetName().GetStdString() == name)
				return op;
			for (LONG k = 0; kind == "tag" && k < op->GetTagCount(); ++k)
				if (op->GetTagByIndex(k)->GetName().GetStdString() == name)
					return op->GetTagByIndex(k);
		}
		Fail(place, "no " + kind + " named \"" + name + "\"");
	}

	void Link(BaseTag* tag, const json& j, const std::string& place) const
	{
		BaseList2D* element = tag->GetObject();
		const json* parameter = &j;
		std::string at = place;
		if (j.is_object())
		{
			Keys(j, place, { "object", "material", "tag", "parameter" });
			if (!j.contains("parameter") || j.size() != 2)
				Fail(place, "a link names one element (\"object\", \"material\" or \"tag\") and its \"parameter\"");
			for (const char* kind : { "object", "material", "tag" })
				if (j.contains(kind))
					element = FindByName(kind, Text(j[kind], place + "/" + kind), place + "/" + kind);
			parameter = &j["parameter"];
			at = place + "/parameter";
		}
		const ParameterPath path = Path(*element, *parameter, at);
		AutoAlloc<AtomArray> elements;
		elements->Append(element);
		DescPropertyDragData payload = { elements, path.ToDescID() };
		DragAndDrop drop = { doc_, 0, DRAGTYPE_DESCID, &payload, 0 };
		HostSetMouseButton(false);
		tag->Message(MSG_DRAGANDDROP, &drop);
		DescID linked;
		if (!LinkedParameterOf(tag, &linked) || !(linked == path.ToDescID()))
			Fail(at, "the tag does not take this parameter");
	}

	// Every edit that can add tabs (a preset, "Add Modifiers", "Duplicate")
	// is followed by a count of the tag's own list.
	void CheckTabs(BaseTag* tag, const std::string& place)
	{
		const size_t count = TabCount(tag);
		if (count > kMaxTabs)
			Fail(place, "this edit leaves the tag with more than " + std::to_string(kMaxTabs) + " modifier tabs");
		size_t& known = tabs_[tag];
		allTabs_ = allTabs_ - known + count;
		known = count;
		if (allTabs_ > kMaxDocumentTabs)
			Fail(place, "this edit leaves the scene with more than " + std::to_string(kMaxDocumentTabs) + " modifier tabs");
	}

	// An edit that builds the tag's page or adds a tab grows with the tag's
	// tabs; setting an entry the tag holds does not.
	void Charge(BaseTag* tag, const std::string& place, bool page = true)
	{
		const auto known = tabs_.find(tag);
		const double tabs = known == tabs_.end() ? 0.0 : (double)known->second;
		ChargeWork(page ? kEditWork * (1.0 + tabs) : kTagWork, place);
	}

	void ChargeWork(double work, const std::string& place)
	{
		work_ += work;
		if (work_ > kMostWork)
			Fail(place, "the scene's edits, up to this one, are more work than reading a scene may take");
	}

	void Add(BaseTag* tag, const json& j, const std::string& place)
	{
		if (Array(j, place).size() > kMaxTabs)
			Fail(place, "more than " + std::to_string(kMaxTabs) + " modifier tabs");
		const BaseContainer names = tag->GetDataInstance()->GetContainer(PULSOR_TYPE_NAMES);
		for (size_t i = 0; i < j.size(); ++i)
		{
			const std::string at = place + "/" + std::to_string(i);
			const std::string name = Text(j[i], at);
			LONG type = PULSOR_MOD_NONE;
			for (LONG t = 1; t <= PULSOR_MOD_COUNT; ++t)
				if (PathName(names.GetString(t).GetStdString()) == PathName(name))
					type = t;
			if (type == PULSOR_MOD_NONE)
				Fail(at, "unknown modifier type \"" + name + "\"");
			Charge(tag, at);
			SetEntry(tag, PULSOR_ADD_MODIFIER, GeData(type));
			CheckTabs(tag, at);
		}
	}

	// Whether the tag's page shows id, as a button when button is set.
	bool OnPage(BaseTag* tag, LONG id, bool button = false) const
	{
		AutoAlloc<Description> page;
		if (!page || !tag->GetDescription(page, DESCFLAGS_DESC_0))
			return false;
		BaseContainer temp;
		const BaseContainer* settings = page->GetParameter(DescID(id), temp, nullptr);
		return settings && (!button || settings->GetId() == DTYPE_BUTTON);
	}

	GeData Curve(const json& j, const std::string& place) const
	{
		if (!j.is_array() || j.empty())
			Fail(place, "a curve is an array of knots [x, y] or [x, y, left x, left y, right x, right y]");
		AutoAlloc<SplineData> curve;
		for (size_t i = 0; i < j.size(); ++i)
		{
			const std::string at = place + "/" + std::to_string(i);
			const json& k = j[i];
			if (!k.is_array() || (k.size() != 2 && k.size() != 6))
				Fail(at, "a knot is [x, y] or [x, y, left x, left y, right x, right y]");
			double v[6] = { 0, 0, 0, 0, 0, 0 };
			for (size_t n = 0; n < k.size(); ++n)
				v[n] = Number(k[n], at + "/" + std::to_string(n));
			const LONG index = curve->InsertKnot(v[0], v[1]);
			CustomSplineKnot* knot = curve->GetKnot(index);
			if (!knot)
				Fail(at, "the curve refused the knot");
			knot->vTangentLeft = Vector(v[2], v[3], 0.0);
			knot->vTangentRight = Vector(v[4], v[5], 0.0);
		}
		return GeData(CUSTOMDATATYPE_SPLINE, *curve);
	}

	void Set(BaseTag* tag, const json& j, const std::string& place)
	{
		static const char* const kTypes[] = { "real", "integer", "bool", "seconds", "frames", "vector", "string", "curve" };
		for (size_t i = 0; i < Array(j, place).size(); ++i)
		{
			const std::string at = place + "/" + std::to_string(i);
			const json& item = j[i];
			if (!item.is_object() || !item.contains("id") || item.size() != 2)
				Fail(at, "expected {\"id\": n, \"<type>\": value}");
			const LONG id = Long(item["id"], at + "/id", 1, INT_MAX);
			std::string kind;
			for (auto it = item.begin(); it != item.end(); ++it)
				if (it.key() != "id")
					kind = it.key();
			const std::string valueAt = at + "/" + EscapeKey(kind);
			const json& v = item[kind];
			GeData value;
			if (kind == "real")
				value = GeData(Number(v, valueAt));
			else if (kind == "integer")
				value = GeData(Long(v, valueAt));
			else if (kind == "bool")
				value = ParameterValue(v, valueAt, DTYPE_BOOL);
			else if (kind == "seconds")
				value = GeData(BaseTime(Number(v, valueAt)));
			else if (kind == "frames")
				value = GeData(BaseTime(Frame(v, valueAt), fps_));
			else if (kind == "vector")
				value = GeData(Vec(v, valueAt));
			else if (kind == "string")
				value = GeData(HostString(Text(v, valueAt)));
			else if (kind == "curve")
				value = Curve(v, valueAt);
			else
			{
				std::string known;
				for (const char* t : kTypes)
					known += (known.empty() ? "" : ", ") + std::string(t);
				Fail(valueAt, "unknown value type \"" + kind + "\" (one of " + known + ")");
			}
			const LONG held = tag->GetDataInstance()->GetType(id);
			Charge(tag, at, held == DA_NIL || id == PULSOR_ADD_MODIFIER);
			// Buttons hold no value; setting one acts as the host's click on it.
			if (held == DA_NIL && !OnPage(tag, id))
				Fail(at + "/id", "the tag has no entry " + std::to_string(id));
			if (held == DA_NIL && OnPage(tag, id, true))
				Fail(at + "/id", "entry " + std::to_string(id) + " is a button (\"press\" presses it)");
			if (held != DA_NIL && held != value.GetType())
				Fail(valueAt, "entry " + std::to_string(id) + " does not hold a value of type \"" + kind + "\"");
			SetEntry(tag, id, value);
			CheckTabs(tag, at);
		}
	}

	void Press(BaseTag* tag, const json& j, const std::string& place)
	{
		for (size_t i = 0; i < Array(j, place).size(); ++i)
		{
			const std::string at = place + "/" + std::to_string(i);
			const LONG id = Long(j[i], at, 1, INT_MAX);
			Charge(tag, at);
			if (const char* outside = Outside(id))
				Fail(at, "a scene cannot press button " + std::to_string(id) + ": " + outside);
			if (!OnPage(tag, id, true))
				Fail(at, "the tag has no button " + std::to_string(id));
			// Nobody answers the question before a long bake while a scene
			// is read, so a bake does at most the frames the module bakes
			// without asking.
			if (id == PULSOR_CONVERT_TO_KEYS)
				ChargeWork(std::min(BakeFrames(doc_, tag), kFramesBakedWithoutQuestion) * FrameWork(doc_), at);
			PressButton(tag, id);
			CheckTabs(tag, at);
		}
	}

	void Preset(BaseTag* tag, const json& j, const std::string& place)
	{
		const std::string name = Text(j, place);
		if (!LoadPreset(tag, name))
			Fail(place, "no preset named \"" + name + "\" in the preset folder");
		CheckTabs(tag, place);
	}

	void EditPulsor(BaseTag* tag, const json& j, const std::string& place)
	{
		const String name = tag->GetName();
		// A preset carries a link of its own: the scene's link goes on top.
		if (j.contains("preset"))
			Preset(tag, j["preset"], place + "/preset");
		if (j.contains("link"))
			Link(tag, j["link"], place + "/link");
		if (j.contains("add"))
			Add(tag, j["add"], place + "/add");
		if (j.contains("set"))
			Set(tag, j["set"], place + "/set");
		if (j.contains("press"))
			Press(tag, j["press"], place + "/press");
		if (j.contains("name"))
			tag->SetName(name);
	}

	std::string file_;
	BaseDocument* doc_;
	Scene* scene_;
	LONG fps_ = 30;
	std::vector<PendingTag> pending_;
	std::map<BaseTag*, size_t> tabs_;
	size_t allTabs_ = 0;
	double work_ = 0.0;
};

// The parser keeps the last of repeated keys; a repeated key is as much a
// mistake as an unknown one, so a first pass over the events of the text
// looks for one, following the place in the document to name it. (The
// parser's own callback costs time in the size of each array per object.)
class DuplicateKeyWatch
{
public:
	struct Duplicate
	{
		std::string place;
		std::string key;
	};

	// Throws Duplicate at the second occurrence of a key in an object.
	bool key(std::string& k)
	{
		Level& object = open_.back();
		object.key = k;
		if (!object.keys.insert(k).second)
			throw Duplicate{ Place(), k };
		return true;
	}
	bool start_object(std::size_t) { return Open(true); }
	bool start_array(std::size_t) { return Open(false); }
	bool end_object() { return Close(); }
	bool end_array() { return Close(); }
	bool null() { return Value(); }
	bool boolean(bool) { return Value(); }
	bool number_integer(json::number_integer_t) { return Value(); }
	bool number_unsigned(json::number_unsigned_t) { return Value(); }
	bool number_float(json::number_float_t, const std::string&) { return Value(); }
	bool string(std::string&) { return Value(); }
	bool binary(json::binary_t&) { return Value(); }
	// The parse proper reports malformed text.
	bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
	struct Level
	{
		bool object;
		std::set<std::string> keys;
		std::string key;
		size_t index;
	};

	bool Open(bool object)
	{
		open_.push_back(Level{ object, {}, {}, 0 });
		return true;
	}
	bool Close()
	{
		open_.pop_back();
		return Value();
	}
	bool Value()
	{
		if (!open_.empty() && !open_.back().object)
			++open_.back().index;
		return true;
	}

	std::string Place() const
	{
		std::string place;
		for (const Level& level : open_)
			place += "/" + (level.object ? EscapeKey(level.key) : std::to_string(level.index));
		return place;
	}

	std::vector<Level> open_;
};

} // namespace

void ReadJsonScene(const std::string& file, const std::string& text, BaseDocument* doc, Scene* scene)
{
	json root;
	try
	{
		DuplicateKeyWatch watch;
		json::sax_parse(text, &watch);
		root = json::parse(text);
	}
	catch (const DuplicateKeyWatch::Duplicate& d)
	{
		throw InputError{ file, d.place, "repeated key \"" + d.key + "\"" };
	}
	catch (const json::parse_error& e)
	{
		std::string what = e.what();
		const size_t colon = what.rfind(": ");
		throw InputError{ file, LineAndColumn(text, e.byte ? e.byte - 1 : 0),
			"malformed JSON: " + (colon == std::string::npos ? what : what.substr(colon + 2)) };
	}
	catch (const json::exception& e)
	{
		// A number too large for a double, say: the parser knows no place.
		const std::string what = e.what();
		const size_t bracket = what.find("] ");
		throw InputError{ file, "", "malformed JSON: " + (bracket == std::string::npos ? what : what.substr(bracket + 2)) };
	}
	JsonSceneReader(file, doc, scene).Read(root);
}
