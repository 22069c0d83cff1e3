// The preset commands: saving a tag's setup as a file, listing, loading it
// into another tag, and choosing the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>

#include "editing_fixture.h"

namespace
{

namespace fs = std::filesystem;

class PresetCommandTest : public pulsor_test::EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		data()->SetString(PULSOR_PRESET_FOLDER, folder_.Text().c_str());
	}
	void TearDown() override
	{
		HostSetFileSelectHandler(nullptr);
		EditingTest::TearDown();
	}
	void Save(const char* name)
	{
		data()->SetString(PULSOR_PRESET_NAME, name);
		Command(PULSOR_PRESET_SAVE);
	}
	std::vector<std::string> Listed() const
	{
		std::vector<std::string> names;
		const BaseContainer list = data()->GetContainer(PULSOR_PRESET_LIST);
		for (LONG i = 0; list.GetIndexData(i); ++i)
			names.push_back(list.GetString(list.GetIndexId(i)).GetStdString());
		return names;
	}
	std::vector<std::string> Files() const
	{
		std::vector<std::string> files;
		for (const auto& e : fs::directory_iterator(folder_.Path()))
			files.push_back(e.path().filename().string());
		std::sort(files.begin(), files.end());
		return files;
	}
	BaseContainer ReadPreset(const char* file) const
	{
		BaseContainer preset;
		HyperFile* hf = HyperFile::Alloc();
		EXPECT_TRUE(hf->Open('temp', Filename((folder_.Path() / file).string().c_str()), FILEOPEN_READ, FILEDIALOG_IGNOREOPEN));
		EXPECT_TRUE(hf->ReadContainer(&preset, TRUE));
		hf->Close();
		HyperFile::Free(hf);
		return preset;
	}

	pulsor_test::TempFolder folder_;
};

TEST_F(PresetCommandTest, SavingWritesTheNamedFileWithoutPresetEntries)
{
	Add(PULSOR_MOD_SIN);
	tag_->SetName("Wobbler");
	data()->SetLong(PULSOR_PRESET_CHOICE, 3);
	Save("Wobble");
	EXPECT_EQ(Files(), std::vector<std::string>{ "WobbleHF" });
	EXPECT_EQ(Listed(), std::vector<std::string>{ "Wobble" });

	const BaseContainer preset = ReadPreset("WobbleHF");
	EXPECT_EQ(preset.GetString(ID_BASELIST_NAME), String("Wobbler"));
	for (LONG i = 0; preset.GetIndexData(i); ++i)
	{
		const LONG id = preset.GetIndexId(i);
		EXPECT_FALSE(id >= PULSOR_PRESET_FIRST_COMMAND && id < PULSOR_PRESET_LAST_COMMAND) << id;
	}
	// Everything else of the tag is in the file, tabs and curves included.
	EXPECT_EQ(preset.GetString(TabBase(2) + PULSOR_TAB_NAME), String("Sin"));
	EXPECT_EQ(preset.GetType(PULSOR_TIME_CURVE), (LONG)CUSTOMDATATYPE_SPLINE);
	EXPECT_TRUE(preset.GetContainer(PULSOR_TAB_LIST) == data()->GetContainer(PULSOR_TAB_LIST));
}

TEST_F(PresetCommandTest, LoadingMergesTheFileAndTakesItsName)
{
	Add(PULSOR_MOD_NOISE);
	Drop(cube_, pulsor_test::PositionY());
	data()->SetReal(PULSOR_VOLUME, 0.25);
	tag_->SetName("Source");
	Save("Jitter");

	// Another tag with more tabs and its own preset entries.
	BaseTag* other = BaseTag::Alloc(PULSOR_TAG_ID);
	cube_->InsertTag(other, tag_);
	Pulsor* pulsor = static_cast<Pulsor*>(other->GetNodeData());
	BaseContainer* od = other->GetDataInstance();
	for (LONG type : { PULSOR_MOD_SIN, PULSOR_MOD_COS, PULSOR_MOD_BOUNCE })
		pulsor->AddTab(od, other, type);
	od->SetString(PULSOR_PRESET_FOLDER, folder_.Text().c_str());
	od->SetString(PULSOR_PRESET_NAME, "Jitter");
	DescriptionCommand load = { DescID(PULSOR_PRESET_LOAD) };
	EXPECT_TRUE(other->Message(MSG_DESCRIPTION_COMMAND, &load));

	EXPECT_EQ(other->GetName(), String("Source"));
	EXPECT_EQ(od->GetReal(PULSOR_VOLUME), 0.25);
	// The list is the file's: the extra tabs drop out, their entries stay.
	EXPECT_EQ(od->GetContainer(PULSOR_TAB_LIST).GetLong(0), 1);
	EXPECT_EQ(od->GetString(TabBase(4) + PULSOR_TAB_NAME), String("Bounce"));
	// The tag's own preset entries are its own.
	EXPECT_EQ(od->GetString(PULSOR_PRESET_NAME), String("Jitter"));
	EXPECT_EQ(od->GetString(PULSOR_PRESET_FOLDER), String(folder_.Text().c_str()));

	// An own-object link carries over to the loading tag's object.
	doc_->SetTime(BaseTime(0.0));
	cube_->SetRelPos(Vector());
	ASSERT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
	EXPECT_EQ(od->GetLong(PULSOR_LINK_CLASS), (LONG)Obase);
	EXPECT_NE(od->GetDataPointer(PULSOR_FINAL_OUTPUT + 1), nullptr);
}

TEST_F(PresetCommandTest, NamesOutsideTheFolderAndEmptyNamesAreRefused)
{
	fs::create_directories(folder_.Path() / "sub");
	for (const char* name : { "", ".", "..", "sub/Escape", "..\\Escape", "C:Escape" })
	{
		Save(name);
		EXPECT_EQ(Files(), std::vector<std::string>{ "sub" }) << name;
	}
	EXPECT_TRUE(fs::is_empty(folder_.Path() / "sub"));
	EXPECT_FALSE(fs::exists(folder_.Path().parent_path() / "EscapeHF"));
}

TEST_F(PresetCommandTest, AFileThatDoesNotReadChangesNothing)
{
	std::ofstream(folder_.Path() / "BrokenHF") << "not a preset";
	std::ofstream(folder_.Path() / "EmptyHF");
	const BaseContainer before = *data();
	const String name = tag_->GetName();
	for (const char* preset : { "Broken", "Empty", "Missing" })
	{
		data()->SetString(PULSOR_PRESET_NAME, preset);
		Command(PULSOR_PRESET_LOAD);
		data()->RemoveData(PULSOR_PRESET_NAME);
		EXPECT_TRUE(*data() == before) << preset;
		EXPECT_EQ(tag_->GetName(), name);
	}
}

TEST_F(PresetCommandTest, TheMenuChoiceThenLoadLoadsThatPreset)
{
	tag_->SetName("First");
	data()->SetReal(PULSOR_STRENGTH, 0.1);
	Save("A1");
	tag_->SetName("Second");
	data()->SetReal(PULSOR_STRENGTH, 0.2);
	Save("B2");
	EXPECT_EQ(Listed(), (std::vector<std::string>{ "A1", "B2" }));

	data()->SetLong(PULSOR_PRESET_CHOICE, 0);
	PostSet(PULSOR_PRESET_CHOICE);
	EXPECT_EQ(data()->GetString(PULSOR_PRESET_NAME), String("A1"));
	Command(PULSOR_PRESET_LOAD);
	EXPECT_EQ(tag_->GetName(), String("First"));
	EXPECT_EQ(data()->GetReal(PULSOR_STRENGTH), 0.1);
}

TEST_F(PresetCommandTest, ACancelledFolderDialogKeepsTheFolder)
{
	std::ofstream(folder_.Path() / "KeptHF") << "x";
	Command(PULSOR_PRESET_REFRESH);
	EXPECT_EQ(Listed(), std::vector<std::string>{ "Kept" });

	HostSetFileSelectHandler(nullptr);
	Command(PULSOR_PRESET_BROWSE);
	EXPECT_EQ(data()->GetString(PULSOR_PRESET_FOLDER), String(folder_.Text().c_str()));
	EXPECT_EQ(Listed(), std::vector<std::string>{ "Kept" });

	pulsor_test::TempFolder other;
	std::ofstream(other.Path() / "ElsewhereHF") << "x";
	String title;
	HostSetFileSelectHandler([&](FILESELECTTYPE, FILESELECT flags, const String& t, String* chosen) {
		title = t;
		*chosen = other.Text().c_str();
		return flags == FILESELECT_DIRECTORY;
	});
	Command(PULSOR_PRESET_BROWSE);
	EXPECT_EQ(title, String("Select save and load location"));
	EXPECT_EQ(data()->GetString(PULSOR_PRESET_FOLDER), String(other.Text().c_str()));
	EXPECT_EQ(Listed(), std::vector<std::string>{ "Elsewhere" });
}

} // namespace

namespace
{

// The presets that ship with the module load into a new tag and animate its
// object: each one's parameter changes over the first three seconds and
// stays finite.
TEST_F(PresetCommandTest, EveryShippedPresetLoadsAndAnimates)
{
	const std::string shipped = std::string(PULSOR_SOURCE_DIR) + "/res/Presets";
	struct Shipped
	{
		const char* name;
		DescID parameter;
	};
	const Shipped presets[] = {
		{ "Gentle Wobble", DescID(DescLevel(ID_BASEOBJECT_REL_POSITION), DescLevel(VECTOR_Y)) },
		{ "Heartbeat", DescID(ID_BASEOBJECT_REL_SCALE) },
		{ "Flicker", DescID(PRIM_CUBE_DOFILLET) },
		{ "Colour Drift", DescID(ID_BASEOBJECT_COLOR) },
	};
	data()->SetString(PULSOR_PRESET_FOLDER, shipped.c_str());
	Command(PULSOR_PRESET_REFRESH);
	EXPECT_EQ(Listed().size(), 4u);
	for (const Shipped& preset : presets)
	{
		data()->SetString(PULSOR_PRESET_NAME, preset.name);
		Command(PULSOR_PRESET_LOAD);
		EXPECT_EQ(tag_->GetName(), String(preset.name));
		std::set<std::string> values;
		for (LONG frame = 0; frame < 90; frame += 3)
		{
			doc_->SetTime(BaseTime((Real)frame, 30.0));
			ASSERT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
			GeData value;
			ASSERT_TRUE(cube_->GetParameter(preset.parameter, value, DESCFLAGS_GET_0)) << preset.name;
			const Vector v = value.GetType() == DA_VECTOR ? value.GetVector() : Vector(value.GetReal());
			EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << preset.name;
			values.insert(RealToString(v.x).GetStdString() + " " + RealToString(v.y).GetStdString() + " " + RealToString(v.z).GetStdString());
		}
		EXPECT_GT(values.size(), 1u) << preset.name << " does not move";
	}
}

} // namespace

namespace
{

// A damaged preset never reaches the tag: every prefix of a shipped preset,
// and every single-bit flip of it, is refused by Load with the tag unchanged.
TEST_F(PresetCommandTest, EveryPrefixAndBitFlipOfAPresetIsRefused)
{
	std::ifstream in(std::string(PULSOR_SOURCE_DIR) + "/res/Presets/HeartbeatHF", std::ios::binary);
	const std::string valid((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	ASSERT_GT(valid.size(), 100u);
	data()->SetString(PULSOR_PRESET_NAME, "Damaged");
	const BaseContainer before = *data();
	const String name = tag_->GetName();
	const fs::path file = folder_.Path() / "DamagedHF";
	const auto loadRefused = [&](const std::string& bytes) {
		std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
		Command(PULSOR_PRESET_LOAD);
		return *data() == before && tag_->GetName() == name;
	};
	for (size_t length = 0; length < valid.size(); ++length)
		ASSERT_TRUE(loadRefused(valid.substr(0, length))) << "prefix of " << length << " bytes";
	for (size_t bit = 0; bit < valid.size() * 8; ++bit)
	{
		std::string flipped = valid;
		flipped[bit / 8] = (char)(flipped[bit / 8] ^ (1 << (bit % 8)));
		ASSERT_TRUE(loadRefused(flipped)) << "bit " << bit;
	}
	// The intact file still loads.
	std::ofstream(file, std::ios::binary | std::ios::trunc) << valid;
	Command(PULSOR_PRESET_LOAD);
	EXPECT_EQ(tag_->GetName(), String("Heartbeat"));
}

} // namespace
