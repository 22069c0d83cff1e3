// The limits of what a scene may hold, on saved scenes: the JSON reader
// never makes a tag of more tabs than a scene may have, a file can list them.
#include <gtest/gtest.h>

#include <filesystem>

#include "c4d.h"
#include "host_string.h"
#include "loaded_pulsor.h"
#include "pulsor_ids.h"
#include "scene.h"
#include "scene_file.h"

namespace
{

namespace fs = std::filesystem;

class SavedSceneLimits : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(LoadPulsorModule());
		dir = fs::temp_directory_path() / "pulsorhost-saved-scene-limits";
		fs::remove_all(dir);
		fs::create_directories(dir);
	}
	void TearDown() override { fs::remove_all(dir); }

	// A saved scene of tags Pulsor tags, each listing tabs tabs, and the
	// problem loading it reports ("" when it loads).
	std::string Load(size_t tags, LONG tabs) const
	{
		const std::string file = (dir / "s.pscn").string();
		{
			DocumentPtr doc(BaseDocument::Alloc());
			BaseObject* op = BaseObject::Alloc(Ocube);
			doc->InsertObject(op);
			BaseContainer list;
			list.SetLong(PULSOR_TAB_LIST_COUNT, tabs);
			for (LONG i = 0; i < tabs; ++i)
				list.SetLong(PULSOR_TAB_LIST_FIRST + i, i + 2);
			for (size_t t = 0; t < tags; ++t)
			{
				BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
				tag->SetName(HostString("P" + std::to_string(t)));
				tag->GetDataInstance()->SetContainer(PULSOR_TAB_LIST, list);
				op->InsertTag(tag);
			}
			std::string problem;
			if (!SaveDocument(*doc, Filename(HostString(file)), &problem))
				return "not saved: " + problem;
		}
		try
		{
			LoadScene(file);
		}
		catch (const InputError& e)
		{
			return e.Line().substr(file.size());
		}
		return "";
	}

	fs::path dir;
};

TEST_F(SavedSceneLimits, TabsAndTagsBeyondTheLimitsAreRefused)
{
	EXPECT_EQ(Load(1, 100), "");
	EXPECT_EQ(Load(1, 101), ": the Pulsor tag \"P0\" has more than 100 modifier tabs");
	EXPECT_EQ(Load(20, 100), "");
	EXPECT_EQ(Load(21, 100), ": more than 2000 modifier tabs");
	EXPECT_EQ(Load(1000, 0), "");
	EXPECT_EQ(Load(1001, 0), ": more than 1000 Pulsor tags");
}

} // namespace
