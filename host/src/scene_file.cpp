// Scene files: two containers in a container file. The first, the outline,
// names every element (type, name, unique id) in document order; the second
// carries the elements' state (data, tracks) in the same order. Loading
// builds the elements from the outline first, so that links inside the
// state -- to any element of the scene -- resolve to the new elements.
#include "scene_file.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "c4d_canimation.h"
#include "plugin_registry.h"

namespace
{

const LONG kSceneVersion = 1;

// Outline and element keys.
enum
{
	SCENE_VERSION = 1,
	SCENE_DOCUMENT = 2,
	SCENE_OBJECTS = 3,
	SCENE_MATERIALS = 4,

	ELEMENT_TYPE = 1,
	ELEMENT_NAME = 2,
	ELEMENT_ID = 3,
	ELEMENT_TAGS = 4,
	ELEMENT_DATA = 5,
	ELEMENT_TRACKS = 6,

	DOCUMENT_TIME = 7,

	TRACK_ID = 1,
	TRACK_KEYS = 2,
	KEY_TIME = 1,
	KEY_VALUE = 2
};

BaseContainer Outline(const BaseList2D& element)
{
	BaseContainer bc;
	bc.SetLong(ELEMENT_TYPE, element.GetType());
	bc.SetString(ELEMENT_NAME, element.GetName());
	bc.SetLLong(ELEMENT_ID, element.GetUniqueId());
	return bc;
}

BaseContainer Tracks(const BaseList2D& element)
{
	BaseContainer tracks;
	for (LONG i = 0; i < element.GetTrackCount(); ++i)
	{
		CTrack* track = element.GetTrackByIndex(i);
		BaseContainer t;
		t.SetData(TRACK_ID, GeData(CUSTOMDATATYPE_DESCID, track->GetDescriptionID()));
		BaseContainer keys;
		CCurve* curve = track->GetCurve();
		for (LONG k = 0; k < curve->GetKeyCount(); ++k)
		{
			BaseContainer key;
			key.SetTime(KEY_TIME, curve->GetKey(k)->GetTime());
			key.SetData(KEY_VALUE, curve->GetKey(k)->GetGeData());
			keys.SetContainer(k, key);
		}
		t.SetContainer(TRACK_KEYS, keys);
		tracks.SetContainer(i, t);
	}
	return tracks;
}

BaseContainer State(const BaseList2D& element)
{
	BaseContainer bc;
	bc.SetContainer(ELEMENT_DATA, *element.GetDataInstance());
	bc.SetContainer(ELEMENT_TRACKS, Tracks(element));
	return bc;
}

// The document, its objects each followed by its tags, and its materials:
// the order in which links look for their element.
std::vector<BaseList2D*> Elements(const BaseDocument* doc)
{
	std::vector<BaseList2D*> all;
	if (!doc)
		return all;
	all.push_back(const_cast<BaseDocument*>(doc));
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		all.push_back(op);
		for (LONG t = 0; t < op->GetTagCount(); ++t)
			all.push_back(op->GetTagByIndex(t));
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		all.push_back(doc->GetMaterialByIndex(i));
	return all;
}

// FindElementForLink for a document that does not change while the links of
// a file resolve: each lookup is constant time, so a scene of many elements
// with many links loads in linear time rather than elements times links.
class ElementIndex
{
public:
	explicit ElementIndex(const BaseDocument* doc)
	{
		// The first element with an id, or with a type and name, is the one
		// found, as in a search in document order.
		for (BaseList2D* element : Elements(doc))
		{
			byId_.emplace(element->GetUniqueId(), element);
			byTypeAndName_.emplace(std::make_pair(element->GetType(), element->GetName().GetStdString()), element);
		}
	}

	BaseList2D* Find(LLONG uniqueId, LONG type, const String& name) const
	{
		const auto id = byId_.find(uniqueId);
		if (id != byId_.end())
			return id->second;
		const auto named = byTypeAndName_.find(std::make_pair(type, name.GetStdString()));
		return named != byTypeAndName_.end() ? named->second : nullptr;
	}

private:
	std::unordered_map<LLONG, BaseList2D*> byId_;
	std::map<std::pair<LONG, std::string>, BaseList2D*> byTypeAndName_;
};

void SetProblem(std::string* problem, const std::string& text)
{
	if (problem)
		*problem = text;
}

// ---- Loading ----------------------------------------------------------------

// The entries of a list container: ids 0 .. n-1, each a container.
bool ListOf(const BaseContainer& bc, LONG id, std::vector<const BaseContainer*>* items)
{
	items->clear();
	const GeData* list = bc.GetDataPointer(id);
	if (!list || list->GetType() != DA_CONTAINER)
		return false;
	const BaseContainer* c = list->GetContainer();
	for (LONG i = 0; const GeData* d = c->GetIndexData(i); ++i)
	{
		if (c->GetIndexId(i) != i || d->GetType() != DA_CONTAINER)
			return false;
		items->push_back(d->GetContainer());
	}
	return true;
}

bool Typed(const BaseContainer& bc, LONG id, LONG type)
{
	return bc.GetType(id) == type;
}

bool ReadOutline(const BaseContainer& bc, LONG* type, String* name, LLONG* id)
{
	if (!Typed(bc, ELEMENT_TYPE, DA_LONG) || !Typed(bc, ELEMENT_NAME, DA_STRING) || !Typed(bc, ELEMENT_ID, DA_LLONG))
		return false;
	*type = bc.GetLong(ELEMENT_TYPE);
	*name = bc.GetString(ELEMENT_NAME);
	*id = bc.GetLLong(ELEMENT_ID);
	return true;
}

void Identify(BaseList2D* element, const String& name, LLONG id)
{
	element->SetName(name);
	HostSetUniqueId(element, id);
}

bool RestoreTracks(BaseList2D* element, const BaseContainer& tracks, std::string* problem)
{
	for (LONG i = 0; const GeData* d = tracks.GetIndexData(i); ++i)
	{
		const BaseContainer* t = d->GetContainer();
		const DescID* id = t ? static_cast<const DescID*>(t->GetCustomDataType(TRACK_ID, CUSTOMDATATYPE_DESCID)) : nullptr;
		const BaseContainer* keys = t ? t->GetContainerInstance(TRACK_KEYS) : nullptr;
		CTrack* track = id ? CTrack::Alloc(element, *id) : nullptr;
		if (!track || !keys)
		{
			CTrack::Free(track);
			SetProblem(problem, "corrupt scene: a track of " + element->GetName().GetStdString());
			return false;
		}
		for (LONG k = 0; const GeData* kd = keys->GetIndexData(k); ++k)
		{
			const BaseContainer* key = kd->GetContainer();
			CKey* added = (key && Typed(*key, KEY_TIME, DA_TIME)) ? track->GetCurve()->AddKey(key->GetTime(KEY_TIME)) : nullptr;
			if (!added)
			{
				CTrack::Free(track);
				SetProblem(problem, "corrupt scene: a key of " + element->GetName().GetStdString());
				return false;
			}
			added->SetGeData(track->GetCurve(), key->GetData(KEY_VALUE));
		}
		element->InsertTrackSorted(track);
	}
	return true;
}

bool RestoreState(BaseList2D* element, const BaseContainer* state, std::string* problem)
{
	const BaseContainer* data = state ? state->GetContainerInstance(ELEMENT_DATA) : nullptr;
	const BaseContainer* tracks = state ? state->GetContainerInstance(ELEMENT_TRACKS) : nullptr;
	if (!data || !tracks)
	{
		SetProblem(problem, "corrupt scene: no state for " + element->GetName().GetStdString());
		return false;
	}
	*element->GetDataInstance() = *data;
	return RestoreTracks(element, *tracks, problem);
}

// A scene file is a 12-byte header and two records (type, length, payload,
// checksum): anything after them was not written by SaveDocument, and a file
// with more in it than was read is not taken for the scene it starts with.
bool EndsAfterTwoRecords(const Filename& file)
{
	std::ifstream in(std::filesystem::u8path(file.GetString().GetStdString()), std::ios::binary | std::ios::ate);
	if (!in)
		return false;
	const std::streamoff size = in.tellg();
	std::streamoff at = 12;
	for (int record = 0; record < 2; ++record)
	{
		unsigned char length[4];
		if (!in.seekg(at + 4) || !in.read(reinterpret_cast<char*>(length), 4))
			return false;
		at += 12 + (std::streamoff)((uint32_t)length[0] | (uint32_t)length[1] << 8 | (uint32_t)length[2] << 16
			| (uint32_t)length[3] << 24);
	}
	return at == size;
}

bool ReadFile(const Filename& file, BaseContainer* outline, BaseContainer* state, BaseDocument* doc, std::string* problem)
{
	HyperFile* hf = HyperFile::Alloc();
	if (!hf->Open(SCENEFILE_IDENT, file, FILEOPEN_READ, FILEDIALOG_NONE))
	{
		HyperFile::Free(hf);
		SetProblem(problem, "cannot open " + file.GetString().GetStdString() + " as a scene");
		return false;
	}
	bool ok = hf->ReadContainer(outline, TRUE) != 0;
	if (ok && doc)
	{
		// Links in the state go to the new scene's elements first. Every
		// element exists by now and none is added while the state is read.
		std::shared_ptr<const ElementIndex> index = std::make_shared<ElementIndex>(doc);
		HyperFileSetLinkResolver(hf, [index](LLONG id, LONG type, const String& name) {
			return index->Find(id, type, name);
		});
	}
	ok = ok && hf->ReadContainer(state, TRUE);
	hf->Close();
	HyperFile::Free(hf);
	if (!ok)
	{
		SetProblem(problem, "corrupt scene: " + file.GetString().GetStdString());
		return false;
	}
	if (!EndsAfterTwoRecords(file))
	{
		SetProblem(problem, "corrupt scene: data after the scene in " + file.GetString().GetStdString());
		return false;
	}
	return true;
}

} // namespace

BaseList2D* FindElementForLink(const BaseDocument* doc, LLONG uniqueId, LONG type, const String& name)
{
	const std::vector<BaseList2D*> all = Elements(doc);
	for (BaseList2D* element : all)
		if (element->GetUniqueId() == uniqueId)
			return element;
	for (BaseList2D* element : all)
		if (element->GetType() == type && element->GetName() == name)
			return element;
	return nullptr;
}

bool SaveDocument(const BaseDocument& doc, const Filename& file, std::string* problem)
{
	BaseContainer outline;
	BaseContainer state;
	outline.SetLong(SCENE_VERSION, kSceneVersion);
	outline.SetContainer(SCENE_DOCUMENT, Outline(doc));
	BaseContainer docState = State(doc);
	docState.SetTime(DOCUMENT_TIME, const_cast<BaseDocument&>(doc).GetTime());
	state.SetContainer(SCENE_DOCUMENT, docState);

	BaseContainer objects, objectStates;
	for (LONG i = 0; i < doc.GetObjectCount(); ++i)
	{
		const BaseObject* op = doc.GetObjectByIndex(i);
		BaseContainer o = Outline(*op);
		BaseContainer s = State(*op);
		BaseContainer tags, tagStates;
		for (LONG t = 0; t < op->GetTagCount(); ++t)
		{
			tags.SetContainer(t, Outline(*op->GetTagByIndex(t)));
			tagStates.SetContainer(t, State(*op->GetTagByIndex(t)));
		}
		o.SetContainer(ELEMENT_TAGS, tags);
		s.SetContainer(ELEMENT_TAGS, tagStates);
		objects.SetContainer(i, o);
		objectStates.SetContainer(i, s);
	}
	outline.SetContainer(SCENE_OBJECTS, objects);
	state.SetContainer(SCENE_OBJECTS, objectStates);

	BaseContainer materials, materialStates;
	for (LONG i = 0; i < doc.GetMaterialCount(); ++i)
	{
		materials.SetContainer(i, Outline(*doc.GetMaterialByIndex(i)));
		materialStates.SetContainer(i, State(*doc.GetMaterialByIndex(i)));
	}
	outline.SetContainer(SCENE_MATERIALS, materials);
	state.SetContainer(SCENE_MATERIALS, materialStates);

	// The file says why it failed: a full disk, a folder in the way, a value
	// the format cannot hold.
	HyperFileClearLastProblem();
	HyperFile* hf = HyperFile::Alloc();
	const bool ok = hf->Open(SCENEFILE_IDENT, file, FILEOPEN_WRITE, FILEDIALOG_NONE) && hf->WriteContainer(outline)
		&& hf->WriteContainer(state) && hf->Close();
	HyperFile::Free(hf);    // unless closed, the target stays as it was
	if (!ok)
	{
		const std::string cause = HyperFileLastProblem();
		SetProblem(problem, cause.empty() ? "cannot write " + file.GetString().GetStdString() : cause);
	}
	return ok;
}

BaseDocument* LoadDocument(const Filename& file, std::string* problem)
{
	// The outline is read first on its own: the elements it names must exist
	// before the state, whose links point at them, is read.
	HyperFile* hf = HyperFile::Alloc();
	BaseContainer outline;
	const bool opened = hf->Open(SCENEFILE_IDENT, file, FILEOPEN_READ, FILEDIALOG_NONE)
		&& hf->ReadContainer(&outline, TRUE);
	HyperFile::Free(hf);
	if (!opened)
	{
		SetProblem(problem, "cannot read " + file.GetString().GetStdString() + " as a scene");
		return nullptr;
	}
	if (outline.GetType(SCENE_VERSION) != DA_LONG || outline.GetLong(SCENE_VERSION) != kSceneVersion)
	{
		SetProblem(problem, "unsupported scene version");
		return nullptr;
	}

	std::unique_ptr<BaseDocument, void (*)(BaseDocument*)> doc(BaseDocument::Alloc(), [](BaseDocument* d) { BaseDocument::Free(d); });
	const BaseContainer* docOutline = outline.GetContainerInstance(SCENE_DOCUMENT);
	LONG type;
	String name;
	LLONG id;
	std::vector<const BaseContainer*> objects, materials;
	if (!docOutline || !ReadOutline(*docOutline, &type, &name, &id) || !ListOf(outline, SCENE_OBJECTS, &objects)
		|| !ListOf(outline, SCENE_MATERIALS, &materials))
	{
		SetProblem(problem, "corrupt scene: outline");
		return nullptr;
	}
	Identify(doc.get(), name, id);

	std::vector<BaseObject*> ops;
	std::vector<std::vector<BaseTag*>> tags;
	for (const BaseContainer* o : objects)
	{
		std::vector<const BaseContainer*> tagOutlines;
		if (!ReadOutline(*o, &type, &name, &id) || !ListOf(*o, ELEMENT_TAGS, &tagOutlines))
		{
			SetProblem(problem, "corrupt scene: object outline");
			return nullptr;
		}
		BaseObject* op = BaseObject::Alloc(type);
		if (!op)
		{
			SetProblem(problem, "unknown object type " + std::to_string(type));
			return nullptr;
		}
		Identify(op, name, id);
		doc->InsertObject(op, ops.empty() ? nullptr : ops.back());
		ops.push_back(op);
		tags.emplace_back();
		for (const BaseContainer* t : tagOutlines)
		{
			BaseTag* tag = ReadOutline(*t, &type, &name, &id) ? AllocTagForLoading(type) : nullptr;
			if (!tag)
			{
				SetProblem(problem, "unknown or corrupt tag on " + op->GetName().GetStdString());
				return nullptr;
			}
			Identify(tag, name, id);
			op->InsertTag(tag, tags.back().empty() ? nullptr : tags.back().back());
			tags.back().push_back(tag);
		}
	}
	std::vector<BaseMaterial*> mats;
	for (const BaseContainer* m : materials)
	{
		BaseMaterial* mat = ReadOutline(*m, &type, &name, &id) ? BaseMaterial::Alloc(type) : nullptr;
		if (!mat)
		{
			SetProblem(problem, "unknown or corrupt material");
			return nullptr;
		}
		Identify(mat, name, id);
		doc->InsertMaterial(mat, mats.empty() ? nullptr : mats.back());
		mats.push_back(mat);
	}

	BaseContainer state;
	BaseContainer again;
	if (!ReadFile(file, &again, &state, doc.get(), problem))
		return nullptr;
	if (again != outline)
	{
		SetProblem(problem, "the scene changed while it was read");
		return nullptr;
	}
	const BaseContainer* docState = state.GetContainerInstance(SCENE_DOCUMENT);
	std::vector<const BaseContainer*> objectStates, materialStates;
	if (!docState || !Typed(*docState, DOCUMENT_TIME, DA_TIME) || !ListOf(state, SCENE_OBJECTS, &objectStates)
		|| !ListOf(state, SCENE_MATERIALS, &materialStates) || objectStates.size() != ops.size()
		|| materialStates.size() != mats.size())
	{
		SetProblem(problem, "corrupt scene: state");
		return nullptr;
	}
	if (!RestoreState(doc.get(), docState, problem))
		return nullptr;
	// The document reads a missing or bad rate as a usable one; a file that
	// holds one is not a scene SaveDocument wrote.
	const BaseContainer* settings = doc->GetDataInstance();
	if (settings->GetType(DOCUMENT_FPS) != DA_NIL
		&& (settings->GetType(DOCUMENT_FPS) != DA_LONG || settings->GetLong(DOCUMENT_FPS) < 1))
	{
		SetProblem(problem, "corrupt scene: a frame rate of " + std::to_string(settings->GetLong(DOCUMENT_FPS)) + " frames per second");
		return nullptr;
	}
	doc->SetTime(docState->GetTime(DOCUMENT_TIME));
	for (size_t i = 0; i < ops.size(); ++i)
	{
		std::vector<const BaseContainer*> tagStates;
		if (!RestoreState(ops[i], objectStates[i], problem))
			return nullptr;
		if (!ListOf(*objectStates[i], ELEMENT_TAGS, &tagStates) || tagStates.size() != tags[i].size())
		{
			SetProblem(problem, "corrupt scene: tags of " + ops[i]->GetName().GetStdString());
			return nullptr;
		}
		for (size_t t = 0; t < tagStates.size(); ++t)
			if (!RestoreState(tags[i][t], tagStates[t], problem))
				return nullptr;
	}
	for (size_t i = 0; i < mats.size(); ++i)
		if (!RestoreState(mats[i], materialStates[i], problem))
			return nullptr;
	return doc.release();
}
