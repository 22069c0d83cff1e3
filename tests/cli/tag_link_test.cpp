// What pulsorhost reads as a Pulsor tag's link: the module's tags, linked by
// drops, read back by identifier; and containers a file or a script could
// leave behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "c4d.h"
#include "host_services.h"
#include "loaded_pulsor.h"
#include "pulsor_ids.h"
#include "scene.h"
#include "tag_link.h"

namespace
{

namespace fs = std::filesystem;

const char* const kScene = R"({ "materials": [ { "type": "material", "name": "Red" } ],
  "objects": [ { "type": "cube", "name": "Cube", "tags": [
    { "type": "pulsor", "name": "Own", "link": "position.y" },
    { "type": "pulsor", "name": "Colour", "link": { "material": "Red", "parameter": "color.r" } },
    { "type": "pulsor", "name": "Nothing" } ] } ] })";

class TagLink : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(LoadPulsorModule());
		// One file per test: ctest runs the tests side by side.
		const fs::path file = fs::temp_directory_path()
			/ (std::string("pulsorhost-tag-link-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".json");
		std::ofstream(file) << kScene;
		scene = LoadScene(file.string());
		fs::remove(file);
		cube = scene.doc->GetObjectByIndex(0);
		red = scene.doc->GetMaterialByIndex(0);
	}
	void TearDown() override
	{
		scene.doc.reset();
		HostSetActiveDocument(nullptr);
	}

	BaseTag* Tag(const char* name) const { return FindPulsorTag(scene, name); }

	Scene scene;
	BaseObject* cube = nullptr;
	BaseMaterial* red = nullptr;
};

const DescID kPositionY(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));

TEST_F(TagLink, WhatTheModuleLinkedReadsBackByIdentifier)
{
	DescID id;
	ASSERT_TRUE(LinkedParameterOf(Tag("Own"), &id));
	EXPECT_TRUE(id == kPositionY);
	EXPECT_EQ(LinkedElementOf(Tag("Own"), scene.doc.get()), cube);

	ASSERT_TRUE(LinkedParameterOf(Tag("Colour"), &id));
	EXPECT_EQ(id[0].id, MATERIAL_COLOR_COLOR);
	EXPECT_EQ(LinkedElementOf(Tag("Colour"), scene.doc.get()), red);

	// A new tag holds the single level 0 and is its own object's.
	EXPECT_FALSE(LinkedParameterOf(Tag("Nothing"), &id));
	EXPECT_EQ(LinkedElementOf(Tag("Nothing"), scene.doc.get()), cube);
}

TEST_F(TagLink, AnElementOutsideTheDocumentIsNoLink)
{
	red->Remove();
	EXPECT_EQ(LinkedElementOf(Tag("Colour"), scene.doc.get()), nullptr);
	BaseMaterial::Free(red);
	EXPECT_EQ(LinkedElementOf(Tag("Colour"), scene.doc.get()), nullptr);
	// The own object is the tag's, wherever the tag is.
	EXPECT_EQ(LinkedElementOf(Tag("Own"), scene.doc.get()), cube);
}

TEST_F(TagLink, AnIdentifierThatNamesNoParameterIsNoLink)
{
	BaseTag* tag = Tag("Own");
	BaseContainer* data = tag->GetDataInstance();
	const DescID untouched(DescLevel(12345, DTYPE_REAL, 0));
	DescID id = untouched;

	data->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, DescID()));
	EXPECT_FALSE(LinkedParameterOf(tag, &id)) << "depth 0";
	data->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(0, DTYPE_REAL, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0))));
	EXPECT_FALSE(LinkedParameterOf(tag, &id)) << "first level 0";
	// Another type under the identifier is no identifier at all.
	data->SetLong(PULSOR_LINK_DESCID, ID_BASEOBJECT_REL_POSITION);
	EXPECT_FALSE(LinkedParameterOf(tag, &id)) << "an integer";
	data->RemoveData(PULSOR_LINK_DESCID);
	EXPECT_FALSE(LinkedParameterOf(tag, &id)) << "absent";
	EXPECT_TRUE(id == untouched) << "a refusal leaves the caller's identifier";
}

TEST_F(TagLink, TheLinkClassDecidesBetweenTheOwnObjectAndTheLinkedElement)
{
	BaseTag* tag = Tag("Colour");
	BaseContainer* data = tag->GetDataInstance();
	ASSERT_EQ(LinkedElementOf(tag, scene.doc.get()), red);
	// Absent counts as the own object, whatever PULSOR_LINK holds.
	data->RemoveData(PULSOR_LINK_CLASS);
	EXPECT_EQ(LinkedElementOf(tag, scene.doc.get()), cube);
	data->SetLong(PULSOR_LINK_CLASS, Obase);
	EXPECT_EQ(LinkedElementOf(tag, scene.doc.get()), cube);
	data->SetLong(PULSOR_LINK_CLASS, Mbase);
	EXPECT_EQ(LinkedElementOf(tag, scene.doc.get()), red);
	// A link class other than the own object's with nothing linked.
	data->RemoveData(PULSOR_LINK);
	EXPECT_EQ(LinkedElementOf(tag, scene.doc.get()), nullptr);
}

} // namespace
