// Preset files from and for other machines: a refused save keeps the old
// file, a shared preset cannot steer the loading tag's preset entries or
// blank its name, and names that do not travel are refused everywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "editing_fixture.h"

namespace
{

namespace fs = std::filesystem;

class PresetFileTest : public pulsor_test::EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		if (HasFatalFailure())
			return;
		data()->SetString(PULSOR_PRESET_FOLDER, folder_.Text().c_str());
	}
	void Press(LONG id, const std::string& name)
	{
		data()->SetString(PULSOR_PRESET_NAME, String(name.c_str()));
		Command(id);
	}
	std::vector<std::string> Files() const
	{
		std::vector<std::string> files;
		for (const auto& e : fs::directory_iterator(folder_.Path()))
			files.push_back(e.path().filename().string());
		std::sort(files.begin(), files.end());
		return files;
	}
	std::string Bytes(const char* file) const
	{
		std::ifstream in(folder_.Path() / file, std::ios::binary);
		return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	}
	// A preset as another tag, a script or a hostile sender might write it.
	void WritePreset(const char* file, const BaseContainer& preset)
	{
		AutoAlloc<HyperFile> hf;
		ASSERT_TRUE(hf->Open(PULSOR_PRESET_IDENT, Filename((folder_.Path() / file).string().c_str()), FILEOPEN_WRITE, FILEDIALOG_IGNOREOPEN));
		ASSERT_TRUE(hf->WriteContainer(preset));
		ASSERT_TRUE(hf->Close());
	}

	pulsor_test::TempFolder folder_;
};

TEST_F(PresetFileTest, ASaveTheWriterRefusesKeepsTheEarlierPreset)
{
	Add(PULSOR_MOD_SIN);
	Press(PULSOR_PRESET_SAVE, "Keep");
	const std::string good = Bytes("KeepHF");
	ASSERT_FALSE(good.empty());

	// Nesting deeper than any reader accepts: the writer refuses it whole.
	BaseContainer deep;
	for (int i = 0; i < 80; ++i)
	{
		BaseContainer outer;
		outer.SetContainer(1, deep);
		deep = outer;
	}
	data()->SetContainer(8000, deep);
	Press(PULSOR_PRESET_SAVE, "Keep");
	EXPECT_EQ(Bytes("KeepHF"), good);
	// No temporary file stays behind, and nothing new is listed.
	EXPECT_EQ(Files(), std::vector<std::string>{ "KeepHF" });
	Press(PULSOR_PRESET_SAVE, "Fresh");
	EXPECT_EQ(Files(), std::vector<std::string>{ "KeepHF" });
}

TEST_F(PresetFileTest, LoadingKeepsTheTagsOwnPresetEntries)
{
	const std::string otherFolder = (folder_.Path() / "elsewhere").string();
	BaseContainer preset;
	preset.SetString(ID_BASELIST_NAME, "Shared");
	preset.SetReal(PULSOR_VOLUME, 0.75);
	preset.SetBool(PULSOR_SHOW_PRESETS, TRUE);
	preset.SetString(PULSOR_PRESET_NAME, "Redirected");
	preset.SetString(PULSOR_PRESET_FOLDER, otherFolder.c_str());
	preset.SetLong(PULSOR_PRESET_CHOICE, 9);
	BaseContainer list;
	list.SetString(0, "Phantom");
	preset.SetContainer(PULSOR_PRESET_LIST, list);
	preset.SetLong(PULSOR_PRESET_LAST_COMMAND - 1, 1);
	WritePreset("SharedHF", preset);
	Press(PULSOR_PRESET_REFRESH, "Shared");
	const BaseContainer before = *data();

	Press(PULSOR_PRESET_LOAD, "Shared");
	EXPECT_EQ(TagName(), "Shared");
	EXPECT_EQ(data()->GetReal(PULSOR_VOLUME), 0.75);
	for (LONG id = PULSOR_PRESET_FIRST_COMMAND; id < PULSOR_PRESET_LAST_COMMAND; ++id)
	{
		const GeData* now = data()->GetDataPointer(id);
		const GeData* was = before.GetDataPointer(id);
		ASSERT_EQ(now == nullptr, was == nullptr) << id;
		if (now)
		{
			EXPECT_TRUE(*now == *was) << id;
		}
	}
	// So the next save goes where the tag's own entries say.
	Press(PULSOR_PRESET_SAVE, "Next");
	EXPECT_TRUE(fs::exists(folder_.Path() / "NextHF"));
	EXPECT_FALSE(fs::exists(fs::path(otherFolder)));
}

TEST_F(PresetFileTest, ANameEntryThatIsNotTextLeavesTheTagsName)
{
	tag_->SetName("Mine");
	for (const GeData& name : { GeData((LONG)7), GeData(2.5), GeData(BaseContainer()) })
	{
		BaseContainer preset;
		preset.SetData(ID_BASELIST_NAME, name);
		preset.SetReal(PULSOR_VOLUME, 0.5);
		WritePreset("OddHF", preset);
		data()->SetReal(PULSOR_VOLUME, 1.0);
		Press(PULSOR_PRESET_LOAD, "Odd");
		EXPECT_EQ(TagName(), "Mine") << name.GetType();
		EXPECT_EQ(data()->GetReal(PULSOR_VOLUME), 0.5) << name.GetType();
	}
	// A text name, even an empty one, is the preset's.
	BaseContainer preset;
	preset.SetString(ID_BASELIST_NAME, "");
	WritePreset("BlankHF", preset);
	Press(PULSOR_PRESET_LOAD, "Blank");
	EXPECT_EQ(TagName(), "");
}

TEST_F(PresetFileTest, NamesOtherSystemsRefuseAreRefusedEverywhere)
{
	const std::vector<std::string> refused = { "two\nlines", "tab\there", std::string("bell\a"), "del\x7f",
		"CON", "con", "Prn", "AUX", "NUL", "nul.txt", "NUL .txt", "CON.tar.gz", "COM1", "com9", "LPT1", "lpt9.x",
		"star*", "what?", "<in", "out>", "pi|pe", "say\"", "dot.", "space ", "a/b", "a\\b", "c:d", "", ".", ".." };
	for (const std::string& name : refused)
	{
		Press(PULSOR_PRESET_SAVE, name);
		EXPECT_TRUE(Files().empty()) << "saved as \"" << name << "\"";
		for (const std::string& file : Files())
			fs::remove(folder_.Path() / file);
	}
	// Near misses are ordinary names.
	const std::vector<std::string> accepted = { "CONSOLE", "COM10", "LPTX", "A.CON", "Nul2", "my preset", ".hidden", "v1.2" };
	for (const std::string& name : accepted)
	{
		Press(PULSOR_PRESET_SAVE, name);
		EXPECT_TRUE(fs::exists(folder_.Path() / (name + "HF"))) << name;
	}
}

TEST_F(PresetFileTest, ARefusedNameLoadsNothing)
{
	BaseContainer preset;
	preset.SetString(ID_BASELIST_NAME, "Device");
	WritePreset("AUXHF", preset);
	tag_->SetName("Mine");
	Press(PULSOR_PRESET_LOAD, "AUX");
	EXPECT_EQ(TagName(), "Mine");
}

} // namespace
