// The tag registered for programs that link the module's code: through the
// module's own registration, from the module folder given, leaving the
// program's plug-in path as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "c4d.h"
#include "host/scratch_folder.h"
#include "host_services.h"
#include "linked_pulsor.h"
#include "plugin_registry.h"
#include "pulsor_ids.h"

namespace
{

namespace fs = std::filesystem;

class LinkedRegistration : public ::testing::Test
{
protected:
	void SetUp() override
	{
		scratch = MakeScratchFolder("pulsor-linked-registration-");
		ASSERT_FALSE(scratch.empty());
		HostSetPluginPath(Filename(kProgramPath));
		HostSetErrorHandler([this](const std::string& line) { errors.push_back(line); });
		UnregisterAllPlugins();
	}
	void TearDown() override
	{
		// The other tests find the tag registered as they left it.
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		HostSetErrorHandler(nullptr);
		HostSetPluginPath(Filename());
		std::error_code ec;
		fs::remove_all(scratch, ec);
	}

	// A module folder: the source tree's res/ without the files named.
	std::string ModuleFolderWithout(std::initializer_list<const char*> missing) const
	{
		fs::copy(fs::path(PULSOR_SOURCE_DIR) / "res", scratch / "res", fs::copy_options::recursive);
		for (const char* file : missing)
			fs::remove(scratch / "res" / file);
		return scratch.string();
	}

	static std::string PluginPath() { return GeGetPluginPath().GetString().GetStdString(); }

	static constexpr const char* kProgramPath = "/the/program/own/folder";
	fs::path scratch;
	std::vector<std::string> errors;
};

TEST_F(LinkedRegistration, RegistersAsTheModuleDoesAndAnswersTrueAgain)
{
	ASSERT_TRUE(RegisterLinkedPulsor(PULSOR_SOURCE_DIR));
	TagPluginInfo info;
	ASSERT_TRUE(FindTagPlugin(PULSOR_TAG_ID, &info));
	EXPECT_EQ(info.name, String("Pulsor"));
	EXPECT_EQ(info.info, TAG_VISIBLE | TAG_MULTIPLE | TAG_EXPRESSION);
	EXPECT_EQ(info.description, String("Pulsor"));
	EXPECT_EQ(info.disklevel, 0);
	EXPECT_EQ(PluginPath(), kProgramPath);
	// The linked-in module reads its strings from the folder given.
	EXPECT_EQ(GeLoadString(10000), String("Pulsor"));

	// Registered already: the host refuses a second registration, the
	// answer stays yes.
	EXPECT_TRUE(RegisterLinkedPulsor(PULSOR_SOURCE_DIR));
	EXPECT_TRUE(RegisterLinkedPulsor(scratch.string()));
	BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
	ASSERT_NE(tag, nullptr);
	EXPECT_NE(tag->GetNodeData(), nullptr);
	BaseTag::Free(tag);
}

TEST_F(LinkedRegistration, AFolderWithoutTheModulesFilesRegistersNothing)
{
	EXPECT_FALSE(RegisterLinkedPulsor(scratch.string())) << "no res/ at all";
	EXPECT_FALSE(FindTagPlugin(PULSOR_TAG_ID, nullptr));
	EXPECT_EQ(PluginPath(), kProgramPath);
	ASSERT_EQ(errors.size(), 1u);
	// The host writes the path with its own separators: the folder and the
	// file are named, whatever joins them.
	EXPECT_NE(errors[0].find(scratch.filename().string()), std::string::npos) << errors[0];
	EXPECT_NE(errors[0].find("c4d_symbols.h"), std::string::npos) << errors[0];

	// The icon comes from the module folder given, not the program's.
	EXPECT_FALSE(RegisterLinkedPulsor(ModuleFolderWithout({ "X.tif" })));
	EXPECT_FALSE(FindTagPlugin(PULSOR_TAG_ID, nullptr));
	EXPECT_EQ(PluginPath(), kProgramPath);
}

TEST_F(LinkedRegistration, AStringTableWithoutTheTagsNameRegistersNothing)
{
	const std::string folder = ModuleFolderWithout({});
	{
		std::ofstream strings(scratch / "res" / "strings_us" / "c4d_strings.str", std::ios::trunc);
		strings << "STRINGTABLE\n{\n}\n";
	}
	EXPECT_FALSE(RegisterLinkedPulsor(folder));
	EXPECT_FALSE(FindTagPlugin(PULSOR_TAG_ID, nullptr));
}

} // namespace
