// Scene files: two containers in a container file. The first, the outline,
// names every element (type, name, unique id) in document order; the second
// carries the elements' state (data, tracks) in the same order. Loading
// builds the elements from the outline first, so that links inside the
// state -- to any element of the scene -- resolve to the new elements.
#include "scene_file.h"

#include <memory>
#include <string>
#include <vector>

#include "c4d_canimation.h"
#include "c4d_memory.h"
#include "catalogue.h"
#include "plugin_registry.h"

namespace
{

const LONG kFirstSceneVersion = 1;

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

void SetProblem(std::string* problem, const std::string& text)
{
	if (problem)
		*problem = text;
}

// ---- Older files -------------------------------------------------------------

// Version 1 named these catalogue parameters by ids of the stand-in's own.
// The moves are simultaneous: the cube's 1105 was the fillet switch and is
// the radius now.
struct MovedParameter
{
	LONG type;    // kEveryObject, or one element type
	LONG saved;
	LONG current;
};

const LONG kEveryObject = 0;
const LONG kVisibleOfVersion1 = 906;

const MovedParameter kMovedSinceVersion1[] = {
	{ kEveryObject, 880, ID_BASEOBJECT_COLOR },
	{ kEveryObject, kVisibleOfVersion1, ID_BASEOBJECT_VISIBILITY_EDITOR },
	{ Ocube, 1105, PRIM_CUBE_DOFILLET },
	{ Ocube, 1106, PRIM_CUBE_FRAD },
	{ Ocube, 1110, STANDIN_CUBE_TIME_OFFSET },
	{ Mmaterial, 2000, MATERIAL_COLOR_COLOR },
	{ Mmaterial, 2001, MATERIAL_COLOR_BRIGHTNESS },
	{ Tdisplay, 1001, DISPLAYTAG_VISIBILITY },
};

bool IsObjectType(LONG type)
{
	const ElementType* t = FindElementType(type);
	return t && t->classification == Obase;
}

const MovedParameter* FindMove(LONG elementType, LONG saved, LONG fileVersion)
{
	if (fileVersion >= SCENEFILE_VERSION)
		return nullptr;
	for (const MovedParameter& m : kMovedSinceVersion1)
		if (m.saved == saved && (m.type == elementType || (m.type == kEveryObject && IsObjectType(elementType))))
			return &m;
	return nullptr;
}

// "Visible" stored 1 for shown; the editor visibility is 0 on, 1 off.
bool VisibilityOfVisible(const GeData& visible, GeData* visibility)
{
	if (visible.GetType() != DA_LONG)
		return false;
	*visibility = GeData((LONG)(visible.GetLong() ? 0 : 1));
	return true;
}

// A value saved for a parameter whose values changed meaning, as it reads
// today; a value that is not the old type's refuses the file.
bool CurrentValue(const MovedParameter* move, const GeData& saved, GeData* current)
{
	if (!move || move->saved != kVisibleOfVersion1)
	{
		*current = saved;
		return true;
	}
	return VisibilityOfVisible(saved, current);
}

// The element's data with every parameter under its id of today, and the
// parameters the file's version did not have at their defaults.
bool CurrentData(const BaseList2D& element, const BaseContainer& saved, LONG fileVersion, BaseContainer* current,
	std::string* problem)
{
	if (fileVersion >= SCENEFILE_VERSION)
	{
		*current = saved;
		return true;
	}
	const std::string name = element.GetName().GetStdString();
	*current = BaseContainer(saved.GetId());
	for (LONG i = 0; const GeData* value = saved.GetIndexData(i); ++i)
	{
		const LONG id = saved.GetIndexId(i);
		const MovedParameter* move = FindMove(element.GetType(), id, fileVersion);
		const LONG currentId = move ? move->current : id;
		GeData currentValue;
		if (!CurrentValue(move, *value, &currentValue))
		{
			SetProblem(problem, "corrupt scene: parameter " + std::to_string(id) + " of " + name + " is not a bool");
			return false;
		}
		// An entry that already sits at the id a parameter moves to would be
		// lost under it.
		if (current->GetDataPointer(currentId))
		{
			SetProblem(problem, "corrupt scene: two entries of " + name + " are parameter " + std::to_string(currentId) + " today");
			return false;
		}
		current->SetData(currentId, currentValue);
	}
	if (const ElementType* type = FindElementType(element.GetType()))
		for (const ParameterSpec& p : type->parameters)
			if (!current->GetDataPointer(p.id))
				current->SetData(p.id, p.defaultValue);
	return true;
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

bool RestoreTracks(BaseList2D* element, const BaseContainer& tracks, LONG fileVersion, std::string* problem)
{
	for (LONG i = 0; const GeData* d = tracks.GetIndexData(i); ++i)
	{
		const BaseContainer* t = d->GetContainer();
		const DescID* id = t ? static_cast<const DescID*>(t->GetCustomDataType(TRACK_ID, CUSTOMDATATYPE_DESCID)) : nullptr;
		const BaseContainer* keys = t ? t->GetContainerInstance(TRACK_KEYS) : nullptr;
		const CurrentParameter parameter = CurrentParameterOf(element->GetType(), id ? *id : DescID(), fileVersion);
		CTrack* track = id ? CTrack::Alloc(element, parameter.id) : nullptr;
		if (!track || !keys)
		{
			CTrack::Free(track);
			SetProblem(problem, "corrupt scene: a track of " + element->GetName().GetStdString());
			return false;
		}
		for (LONG k = 0; const GeData* kd = keys->GetIndexData(k); ++k)
		{
			const BaseContainer* key = kd->GetContainer();
			GeData value = key ? key->GetData(KEY_VALUE) : GeData();
			const bool valueReads = parameter.sameValues || VisibilityOfVisible(value, &value);
			CKey* added = (key && valueReads && Typed(*key, KEY_TIME, DA_TIME)) ? track->GetCurve()->AddKey(key->GetTime(KEY_TIME)) : nullptr;
			if (!added)
			{
				CTrack::Free(track);
				SetProblem(problem, "corrupt scene: a key of " + element->GetName().GetStdString());
				return false;
			}
			added->SetGeData(track->GetCurve(), value);
		}
		element->InsertTrackSorted(track);
	}
	return true;
}

bool RestoreState(BaseList2D* element, const BaseContainer* state, LONG fileVersion, std::string* problem)
{
	const BaseContainer* data = state ? state->GetContainerInstance(ELEMENT_DATA) : nullptr;
	const BaseContainer* tracks = state ? state->GetContainerInstance(ELEMENT_TRACKS) : nullptr;
	if (!data || !tracks)
	{
		SetProblem(problem, "corrupt scene: no state for " + element->GetName().GetStdString());
		return false;
	}
	return CurrentData(*element, *data, fileVersion, element->GetDataInstance(), problem)
		&& RestoreTracks(element, *tracks, fileVersion, problem);
}

} // namespace

CurrentParameter CurrentParameterOf(LONG elementType, const DescID& saved, LONG fileVersion)
{
	const MovedParameter* move = saved.GetDepth() >= 1 ? FindMove(elementType, saved[0].id, fileVersion) : nullptr;
	if (!move)
		return CurrentParameter{ saved, true };
	const bool sameValues = move->saved != kVisibleOfVersion1;
	// The visibility is an integer where "Visible" was a bool.
	const LONG dtype = sameValues || saved[0].dtype == 0 ? saved[0].dtype : DTYPE_LONG;
	DescID id(DescLevel(move->current, dtype, saved[0].creator));
	for (LONG i = 1; i < saved.GetDepth(); ++i)
		id.PushId(saved[i]);
	return CurrentParameter{ id, sameValues };
}

namespace
{

// The two containers of a scene: the outline names every element, the
// state holds what they hold.
void SceneContainers(const BaseDocument& doc, BaseContainer* outlineOut, BaseContainer* stateOut)
{
	BaseContainer& outline = *outlineOut;
	BaseContainer& state = *stateOut;
	outline.SetLong(SCENE_VERSION, SCENEFILE_VERSION);
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
}

} // namespace

bool SaveDocument(const BaseDocument& doc, const Filename& file, std::string* problem)
{
	BaseContainer outline, state;
	SceneContainers(doc, &outline, &state);
	// The file says why it failed: a full disk, a folder in the way, a value
	// the format cannot hold.
	HyperFileClearLastProblem();
	// Unless closed, the target stays as it was.
	AutoAlloc<HyperFile> hf;
	const bool ok = hf && hf->Open(SCENEFILE_IDENT, file, FILEOPEN_WRITE, FILEDIALOG_NONE) && hf->WriteContainer(outline)
		&& hf->WriteContainer(state) && hf->Close();
	if (!ok)
	{
		const std::string cause = HyperFileLastProblem();
		SetProblem(problem, cause.empty() ? "cannot write " + file.GetString().GetStdString() : cause);
	}
	return ok;
}

namespace
{

// The scene of a container file opened for reading (path names it in
// problems).
BaseDocument* ReadScene(HyperFile* hf, const std::string& path, std::string* problem, SceneTagMigration migrate)
{
	// The outline comes first: the elements it names must exist before the
	// state, whose links point at them, is read.
	BaseContainer outline;
	if (!hf->ReadContainer(&outline, TRUE))
	{
		SetProblem(problem, "cannot read " + path + " as a scene");
		return nullptr;
	}
	const LONG version = outline.GetLong(SCENE_VERSION);
	if (outline.GetType(SCENE_VERSION) != DA_LONG || version < kFirstSceneVersion || version > SCENEFILE_VERSION)
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

	// Links in the state go to the new scene's elements first. Every element
	// exists by now and none is added while the state is read.
	HyperFileSetLinkResolver(hf, DocumentLinkResolver(doc.get()));
	BaseContainer state;
	if (!hf->ReadContainer(&state, TRUE))
	{
		SetProblem(problem, "corrupt scene: " + path);
		return nullptr;
	}
	// SaveDocument writes two containers and nothing after them: a file with
	// more in it is not taken for the scene it starts with.
	if (!HyperFileReadToEnd(hf))
	{
		SetProblem(problem, "corrupt scene: data after the scene in " + path);
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
	if (!RestoreState(doc.get(), docState, version, problem))
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
		if (!RestoreState(ops[i], objectStates[i], version, problem))
			return nullptr;
		if (!ListOf(*objectStates[i], ELEMENT_TAGS, &tagStates) || tagStates.size() != tags[i].size())
		{
			SetProblem(problem, "corrupt scene: tags of " + ops[i]->GetName().GetStdString());
			return nullptr;
		}
		for (size_t t = 0; t < tagStates.size(); ++t)
			if (!RestoreState(tags[i][t], tagStates[t], version, problem))
				return nullptr;
	}
	for (size_t i = 0; i < mats.size(); ++i)
		if (!RestoreState(mats[i], materialStates[i], version, problem))
			return nullptr;
	// A plug-in tag follows the catalogue once everything it may link to
	// is there.
	if (migrate && version < SCENEFILE_VERSION)
		for (const std::vector<BaseTag*>& objectTags : tags)
			for (BaseTag* tag : objectTags)
				if (!FindElementType(tag->GetType()) && !migrate(tag, version, problem))
					return nullptr;
	return doc.release();
}

} // namespace

BaseDocument* LoadDocument(const Filename& file, std::string* problem, SceneTagMigration migrate)
{
	const std::string path = file.GetString().GetStdString();
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(SCENEFILE_IDENT, file, FILEOPEN_READ, FILEDIALOG_NONE))
	{
		SetProblem(problem, "cannot read " + path + " as a scene");
		return nullptr;
	}
	return ReadScene(hf, path, problem, migrate);
}

BaseDocument* CloneDocument(const BaseDocument& doc, std::string* problem)
{
	BaseContainer outline, state;
	SceneContainers(doc, &outline, &state);
	std::vector<uint8_t> bytes;
	HyperFileClearLastProblem();
	{
		AutoAlloc<HyperFile> out;
		if (!out || !HyperFileOpenMemoryWrite(out, SCENEFILE_IDENT, &bytes) || !out->WriteContainer(outline)
			|| !out->WriteContainer(state) || !out->Close())
		{
			const std::string cause = HyperFileLastProblem();
			SetProblem(problem, "cannot copy the document: " + (cause.empty() ? std::string("no memory") : cause));
			return nullptr;
		}
	}
	AutoAlloc<HyperFile> in;
	if (!in || !HyperFileOpenMemoryRead(in, SCENEFILE_IDENT, bytes))
	{
		SetProblem(problem, "cannot copy the document");
		return nullptr;
	}
	return ReadScene(in, "the copy of the document", problem, nullptr);
}
