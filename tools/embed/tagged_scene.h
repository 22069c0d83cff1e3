// Scenes for the benchmarks and tests, built the way pulsorhost builds a JSON
// scene: without undo, the document active, each tag linked by a drop of its
// object's position and its tabs added by the tag itself.
#ifndef PULSOR_TAGGED_SCENE_H__
#define PULSOR_TAGGED_SCENE_H__

#include <vector>

#include "linked_pulsor.h"

#include "c4d.h"
#include "customgui_descproperty.h"
#include "host_services.h"
#include "pulsor.h"

namespace tagged_scene
{

// The tabs of the Execute benchmarks: 2 Noise, Sin, Cos, Sawtooth, Square,
// Bounce, Custom; longer lists repeat them.
const LONG kTabTypes[] = { PULSOR_MOD_NOISE, PULSOR_MOD_NOISE, PULSOR_MOD_SIN, PULSOR_MOD_COS,
	PULSOR_MOD_SAWTOOTH, PULSOR_MOD_SQUARE, PULSOR_MOD_BOUNCE, PULSOR_MOD_CUSTOM };

inline BaseDocument* NewDocument()
{
	RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
	BaseDocument* doc = BaseDocument::Alloc();
	HostSetUndoLimit(doc, 0);
	HostSetActiveDocument(doc);
	HostSetMouseButton(false);
	return doc;
}

// Where a new cube goes: first, or after the last object as pulsorhost
// places each object of a JSON scene.
enum class Place { First, Last };

// A cube with a Pulsor tag linked to its position, without tabs.
inline BaseTag* AddLinkedCube(BaseDocument* doc, Place place = Place::First)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	doc->InsertObject(cube, place == Place::Last ? doc->GetObjectByIndex(doc->GetObjectCount() - 1) : nullptr);
	BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
	cube->InsertTag(tag);
	AutoAlloc<AtomArray> elements;
	elements->Append(cube);
	DescPropertyDragData payload = { elements, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0)) };
	DragAndDrop drop = { doc, 0, DRAGTYPE_DESCID, &payload, 0 };
	tag->Message(MSG_DRAGANDDROP, &drop);
	return tag;
}

// A cube with a Pulsor tag on its position and tabs modifier tabs.
inline BaseTag* AddTaggedCube(BaseDocument* doc, LONG tabs, bool feedback, Place place = Place::First)
{
	BaseTag* tag = AddLinkedCube(doc, place);
	BaseContainer* data = tag->GetDataInstance();
	data->SetBool(PULSOR_FEEDBACK, feedback);
	Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
	for (LONG i = 0; i < tabs; ++i)
		pulsor->AddTab(data, tag, kTabTypes[i % 8]);
	return tag;
}

inline LONG TabCount(BaseTag* tag)
{
	return tag->GetDataInstance()->GetContainer(PULSOR_TAB_LIST).GetLong(PULSOR_TAB_LIST_COUNT);
}

inline void Free(BaseDocument* doc)
{
	HostSetActiveDocument(nullptr);
	BaseDocument::Free(doc);
}

} // namespace tagged_scene

#endif
