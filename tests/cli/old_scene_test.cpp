// A scene saved while the catalogue had ids of the stand-in's own (format
// version 1, tests/cli/old_scenes/catalogue_v1.pscn), loaded as pulsorhost
// loads it: every value, track and Pulsor link is under its id of today.
//
// What the file holds, by the old catalogue's names:
//   material Paint: color (1, 0.5, 0.25), brightness 0.7, a track on color.r
//   cube Box: display_color (0.1, 0.2, 0.3), visible off, fillet on,
//     fillet_radius 12, delay 15 frames, segments_x 4; tracks on
//     fillet_radius (12 at 0, 24 at 30) and display_color.r; a display tag
//     of visibility 0.4; Pulsor tags Radius (fillet_radius), Switch (fillet),
//     Hue (display_color.b), Tint (Paint's color.g), Glow (Paint's
//     brightness), Fade (the display tag's visibility), Ramp (delay)
//   null Holder: visible on, a track on visible (on at 0, off at 20)
//   cube Blinker: the Pulsor tag Whole Colour (Paint's color)
#include <gtest/gtest.h>

#include "c4d.h"
#include "c4d_canimation.h"
#include "host_services.h"
#include "loaded_pulsor.h"
#include "scene.h"
#include "tag_link.h"

namespace
{

class OlderScene : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(LoadPulsorModule());
		scene = LoadScene(std::string(PULSOR_SOURCE_DIR) + "/tests/cli/old_scenes/catalogue_v1.pscn");
	}
	void TearDown() override
	{
		scene.doc.reset();
		HostSetActiveDocument(nullptr);
	}

	BaseObject* Object(const char* name) const
	{
		for (LONG i = 0; i < scene.doc->GetObjectCount(); ++i)
			if (scene.doc->GetObjectByIndex(i)->GetName() == String(name))
				return scene.doc->GetObjectByIndex(i);
		return nullptr;
	}

	// The first level of what the Pulsor tag name links, and the element.
	LONG LinkedId(const char* name, BaseList2D** element, LONG* component = nullptr) const
	{
		BaseTag* tag = FindPulsorTag(scene, name);
		DescID id;
		if (!LinkedParameterOf(tag, &id))
			return 0;
		*element = LinkedElementOf(tag, scene.doc.get());
		if (component)
			*component = id.GetDepth() > 1 ? id[1].id : 0;
		return id[0].id;
	}

	Scene scene;
};

TEST_F(OlderScene, EveryValueIsUnderItsIdOfToday)
{
	BaseObject* box = Object("Box");
	ASSERT_NE(box, nullptr);
	const BaseContainer& cube = *box->GetDataInstance();
	EXPECT_EQ(cube.GetVector(ID_BASEOBJECT_COLOR), Vector(0.1, 0.2, 0.3));
	EXPECT_EQ(cube.GetType(ID_BASEOBJECT_VISIBILITY_EDITOR), DA_LONG);
	EXPECT_EQ(cube.GetLong(ID_BASEOBJECT_VISIBILITY_EDITOR), 1) << "visible off is 1";
	EXPECT_EQ(cube.GetLong(ID_BASEOBJECT_VISIBILITY_RENDER, -1), 2) << "a parameter the file did not have is at its default";
	EXPECT_EQ(cube.GetType(PRIM_CUBE_DOFILLET), DA_LONG);
	EXPECT_EQ(cube.GetLong(PRIM_CUBE_DOFILLET), 1);
	EXPECT_EQ(cube.GetType(PRIM_CUBE_FRAD), DA_REAL);
	EXPECT_EQ(cube.GetReal(PRIM_CUBE_FRAD), 12.0);
	EXPECT_EQ(cube.GetTime(STANDIN_CUBE_TIME_OFFSET), BaseTime(15.0, 30.0));
	EXPECT_EQ(cube.GetLong(PRIM_CUBE_SUBX), 4);
	// Nothing is left under an old id that now names nothing, or another
	// parameter (1105 was the fillet switch).
	for (LONG old : { 880, 906, 1106, 1110 })
		EXPECT_EQ(cube.GetType(old), DA_NIL) << old;

	BaseObject* holder = Object("Holder");
	ASSERT_NE(holder, nullptr);
	EXPECT_EQ(holder->GetDataInstance()->GetLong(ID_BASEOBJECT_VISIBILITY_EDITOR, -1), 0) << "visible on is 0";
	EXPECT_EQ(holder->GetDataInstance()->GetVector(ID_BASEOBJECT_COLOR), Vector(0.7, 0.7, 0.7));

	const BaseMaterial* paint = scene.doc->GetFirstMaterial();
	ASSERT_NE(paint, nullptr);
	EXPECT_EQ(paint->GetDataInstance()->GetVector(MATERIAL_COLOR_COLOR), Vector(1.0, 0.5, 0.25));
	EXPECT_EQ(paint->GetDataInstance()->GetReal(MATERIAL_COLOR_BRIGHTNESS), 0.7);
	EXPECT_EQ(paint->GetDataInstance()->GetType(2000), DA_NIL);
	EXPECT_EQ(paint->GetDataInstance()->GetType(2001), DA_NIL);

	const BaseTag* display = box->GetTag(Tdisplay);
	ASSERT_NE(display, nullptr);
	EXPECT_EQ(display->GetDataInstance()->GetReal(DISPLAYTAG_VISIBILITY), 0.4);
	EXPECT_EQ(display->GetDataInstance()->GetType(1001), DA_NIL);
}

TEST_F(OlderScene, TracksAnimateTheParameterUnderItsIdOfToday)
{
	BaseObject* box = Object("Box");
	ASSERT_NE(box, nullptr);
	ASSERT_EQ(box->GetTrackCount(), 2);
	CTrack* radius = box->FindCTrack(DescID(PRIM_CUBE_FRAD));
	ASSERT_NE(radius, nullptr);
	EXPECT_EQ(radius->GetCurve()->GetKeyCount(), 2);
	EXPECT_EQ(radius->GetCurve()->GetKey(1)->GetGeData().GetReal(), 24.0);
	EXPECT_NE(box->FindCTrack(DescID(DescLevel(ID_BASEOBJECT_COLOR), DescLevel(VECTOR_X))), nullptr);
	EXPECT_EQ(box->FindCTrack(DescID(PRIM_CUBE_DOFILLET)), nullptr) << "the radius track is not the switch's";
	EXPECT_EQ(radius->GetDescriptionID()[0].dtype, DTYPE_REAL);
	EXPECT_EQ(radius->GetCurve()->GetKey(1)->GetTime(), BaseTime(30.0, 30.0));

	// "Visible" keys on, off read as the editor visibility's 0, 1.
	BaseObject* holder = Object("Holder");
	ASSERT_NE(holder, nullptr);
	ASSERT_EQ(holder->GetTrackCount(), 1);
	CTrack* visibility = holder->FindCTrack(DescID(ID_BASEOBJECT_VISIBILITY_EDITOR));
	ASSERT_NE(visibility, nullptr);
	EXPECT_EQ(visibility->GetDescriptionID()[0].dtype, DTYPE_LONG);
	const CCurve* keys = visibility->GetCurve();
	ASSERT_EQ(keys->GetKeyCount(), 2);
	EXPECT_EQ(keys->GetKey(0)->GetGeData().GetType(), DA_LONG);
	EXPECT_EQ(keys->GetKey(0)->GetGeData().GetLong(), 0);
	EXPECT_EQ(keys->GetKey(1)->GetGeData().GetLong(), 1);

	const BaseMaterial* paint = scene.doc->GetFirstMaterial();
	EXPECT_NE(paint->GetTrackByIndex(0), nullptr);
	EXPECT_EQ(paint->GetTrackByIndex(0)->GetDescriptionID()[0].id, MATERIAL_COLOR_COLOR);
}

TEST_F(OlderScene, PulsorTagsAreLinkedToTheParameterUnderItsIdOfToday)
{
	BaseObject* box = Object("Box");
	const BaseMaterial* paint = scene.doc->GetFirstMaterial();
	ASSERT_NE(box, nullptr);
	struct Case
	{
		const char* tag;
		const BaseList2D* element;
		LONG id;
		LONG component;
	};
	const Case cases[] = {
		{ "Radius", box, PRIM_CUBE_FRAD, 0 },
		{ "Switch", box, PRIM_CUBE_DOFILLET, 0 },
		{ "Hue", box, ID_BASEOBJECT_COLOR, VECTOR_Z },
		{ "Ramp", box, STANDIN_CUBE_TIME_OFFSET, 0 },
		{ "Tint", paint, MATERIAL_COLOR_COLOR, VECTOR_Y },
		{ "Glow", paint, MATERIAL_COLOR_BRIGHTNESS, 0 },
		{ "Whole Colour", paint, MATERIAL_COLOR_COLOR, 0 },
		{ "Fade", box->GetTag(Tdisplay), DISPLAYTAG_VISIBILITY, 0 },
	};
	for (const Case& c : cases)
	{
		BaseList2D* element = nullptr;
		LONG component = -1;
		EXPECT_EQ(LinkedId(c.tag, &element, &component), c.id) << c.tag;
		EXPECT_EQ(element, c.element) << c.tag;
		EXPECT_EQ(component, c.component) << c.tag;
	}

	// The links are live: the tag writes the parameter it names now.
	scene.doc->SetTime(BaseTime(7.0, 30.0));
	ASSERT_TRUE(scene.doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
	EXPECT_NE(paint->GetDataInstance()->GetReal(MATERIAL_COLOR_BRIGHTNESS), 0.7);
}

} // namespace
