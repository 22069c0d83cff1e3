// presetgen: makes the presets that ship in res/Presets, through the tag's
// own "Save" command, the same way every time.
//
//   presetgen [folder]      (default: the source tree's res/Presets)
//
// Each preset is a tag on a cube, linked to one of the cube's parameters by
// a drop, with its tabs added through "Add Modifiers" and its values set.
#include <cstdio>
#include <string>

#include "c4d.h"
#include "customgui_descproperty.h"
#include "host_services.h"
#include "linked_pulsor.h"
#include "pulsor_ids.h"
#include "scene_file.h"

#ifndef PULSOR_SOURCE_DIR
#define PULSOR_SOURCE_DIR "."
#endif

namespace
{

// Links in a preset name the cube by its unique id; a fixed id keeps the
// files the same from run to run.
const LLONG kCubeId = 0x50554C534F520001LL;

struct Scene
{
	BaseDocument* doc = BaseDocument::Alloc();
	BaseObject* cube = BaseObject::Alloc(Ocube);

	Scene()
	{
		HostSetUniqueId(cube, kCubeId);
		doc->InsertObject(cube);
		HostSetActiveDocument(doc);
	}
	~Scene()
	{
		HostSetActiveDocument(nullptr);
		BaseDocument::Free(doc);
	}
};

class PresetMaker
{
public:
	explicit PresetMaker(Scene& scene) : scene_(scene), tag_(BaseTag::Alloc(PULSOR_TAG_ID)) { scene_.cube->InsertTag(tag_); }
	~PresetMaker() { BaseTag::Free(tag_); }

	void Link(const DescID& id)
	{
		AutoAlloc<AtomArray> elements;
		elements->Append(scene_.cube);
		DescPropertyDragData payload = { elements, id };
		DragAndDrop drop = { scene_.doc, 0, DRAGTYPE_DESCID, &payload, 0 };
		HostSetMouseButton(false);
		tag_->Message(MSG_DRAGANDDROP, &drop);
	}
	// Adds a tab through "Add Modifiers"; its tab base. The new tab is the
	// last the tab list names.
	LONG Add(LONG type)
	{
		tag_->SetParameter(DescID(PULSOR_ADD_MODIFIER), GeData(type), DESCFLAGS_SET_0);
		Notify(PULSOR_ADD_MODIFIER);
		const BaseContainer tabs = Data()->GetContainer(PULSOR_TAB_LIST);
		return TabBase(tabs.GetLong(PULSOR_TAB_LIST_FIRST + tabs.GetLong(PULSOR_TAB_LIST_COUNT) - 1));
	}
	void Set(LONG id, const GeData& value)
	{
		tag_->SetParameter(DescID(id), value, DESCFLAGS_SET_0);
		Notify(id);
	}
	// The tag takes the preset's name, which a load gives the loading tag.
	bool Save(const std::string& folder, const char* name)
	{
		tag_->SetName(name);
		Data()->SetString(PULSOR_PRESET_FOLDER, folder.c_str());
		Data()->SetString(PULSOR_PRESET_NAME, name);
		DescriptionCommand save = { DescID(PULSOR_PRESET_SAVE) };
		tag_->Message(MSG_DESCRIPTION_COMMAND, &save);
		return Data()->GetContainer(PULSOR_PRESET_LIST).GetIndexData(0) != nullptr;
	}
	BaseContainer* Data() { return tag_->GetDataInstance(); }

private:
	void Notify(LONG id)
	{
		const DescID set(id);
		DescriptionPostSetValue record = { &set };
		tag_->Message(MSG_DESCRIPTION_POSTSETPARAMETER, &record);
	}
	Scene& scene_;
	BaseTag* tag_;
};

BaseTime Frames(Real frames)
{
	return BaseTime(frames, 30.0);
}

} // namespace

int main(int argc, char** argv)
{
	const std::string folder = argc > 1 ? argv[1] : std::string(PULSOR_SOURCE_DIR) + "/res/Presets";
	HostSetPluginPath(Filename(PULSOR_SOURCE_DIR));
	if (!RegisterLinkedPulsor(PULSOR_SOURCE_DIR))
	{
		std::fprintf(stderr, "presetgen: cannot register the tag\n");
		return 1;
	}
	Scene scene;
	int saved = 0;
	const DescID positionY(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));

	{
		// A slow sway of the height, loosened by a little noise.
		PresetMaker p(scene);
		p.Link(positionY);
		p.Set(PULSOR_END_VALUE + 1, GeData(0.0));
		const LONG sway = p.Add(PULSOR_MOD_SIN);
		p.Set(sway + PULSOR_TAB_VARIATION + 1, GeData(12.0));
		p.Set(sway + PULSOR_TAB_LOOP_POINT, GeData(Frames(60)));
		p.Set(sway + PULSOR_TAB_END_TIME, GeData(BaseTime(1000.0)));
		const LONG drift = p.Add(PULSOR_MOD_NOISE);
		p.Set(drift + PULSOR_TAB_VARIATION + 1, GeData(3.0));
		p.Set(drift + PULSOR_TAB_END_TIME, GeData(BaseTime(1000.0)));
		saved += p.Save(folder, "Gentle Wobble");
	}
	{
		// Two bounces a second on the scale, like a heart.
		PresetMaker p(scene);
		p.Link(DescID(DescLevel(ID_BASEOBJECT_REL_SCALE, DTYPE_VECTOR, 0)));
		p.Set(PULSOR_END_VALUE + 6, GeData(Vector(1.0)));
		const LONG beat = p.Add(PULSOR_MOD_BOUNCE);
		p.Set(beat + PULSOR_TAB_VARIATION + 6, GeData(Vector(0.15)));
		p.Set(beat + PULSOR_TAB_NEGATIVE, GeData((LONG)0));
		p.Set(beat + PULSOR_TAB_NEGATIVE + 1, GeData((LONG)0));
		p.Set(beat + PULSOR_TAB_NEGATIVE + 2, GeData((LONG)0));
		p.Set(beat + PULSOR_TAB_LOOP_POINT, GeData(Frames(15)));
		p.Set(beat + PULSOR_TAB_END_TIME, GeData(BaseTime(1000.0)));
		saved += p.Save(folder, "Heartbeat");
	}
	{
		// A switch that stutters like a failing light.
		PresetMaker p(scene);
		p.Link(DescID(DescLevel(PRIM_CUBE_DOFILLET, DTYPE_BOOL, 0)));
		p.Set(PULSOR_END_VALUE + 0, GeData(0.6));
		const LONG noise = p.Add(PULSOR_MOD_NOISE);
		p.Set(noise + PULSOR_TAB_VARIATION + 0, GeData(0.5));
		p.Set(noise + PULSOR_TAB_SPEED, GeData(40.0));
		p.Set(noise + PULSOR_TAB_END_TIME, GeData(BaseTime(1000.0)));
		p.Set(PULSOR_THRESHOLD, GeData(0.5));
		saved += p.Save(folder, "Flicker");
	}
	{
		// The display colour wandering slowly, each channel on its own.
		PresetMaker p(scene);
		p.Link(DescID(DescLevel(ID_BASEOBJECT_COLOR, DTYPE_COLOR, 0)));
		p.Set(PULSOR_END_VALUE + 2, GeData(Vector(0.5, 0.5, 0.5)));
		const LONG drift = p.Add(PULSOR_MOD_NOISE);
		p.Set(drift + PULSOR_TAB_VARIATION + 2, GeData(Vector(0.45)));
		p.Set(drift + PULSOR_TAB_SPEED, GeData(0.3));
		p.Set(drift + PULSOR_TAB_END_TIME, GeData(BaseTime(1000.0)));
		saved += p.Save(folder, "Colour Drift");
	}
	std::printf("presetgen: %d presets in %s\n", saved, folder.c_str());
	return saved == 4 ? 0 : 1;
}
