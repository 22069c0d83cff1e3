// Saving and loading a preset of a tag with eight tabs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "linked_pulsor.h"

#include "c4d.h"
#include "pulsor.h"

namespace
{

struct PresetScene
{
	BaseDocument* doc = nullptr;
	BaseTag* tag = nullptr;
	std::string folder;

	PresetScene()
	{
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		folder = (std::filesystem::temp_directory_path() / ("pulsor-bench-presets-" + std::to_string(::getpid()))).string();
		std::filesystem::create_directories(folder);
		doc = BaseDocument::Alloc();
		BaseObject* cube = BaseObject::Alloc(Ocube);
		doc->InsertObject(cube);
		tag = BaseTag::Alloc(PULSOR_TAG_ID);
		cube->InsertTag(tag);
		Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
		for (LONG type = PULSOR_MOD_NOISE; type <= PULSOR_MOD_CUSTOM; ++type)
			pulsor->AddTab(tag->GetDataInstance(), tag, type);
		tag->GetDataInstance()->SetString(PULSOR_PRESET_FOLDER, folder.c_str());
		tag->GetDataInstance()->SetString(PULSOR_PRESET_NAME, "Bench");
	}
	~PresetScene()
	{
		BaseDocument::Free(doc);
		std::filesystem::remove_all(folder);
	}
	void Press(LONG id)
	{
		DescriptionCommand command = { DescID(id) };
		tag->Message(MSG_DESCRIPTION_COMMAND, &command);
	}
};

void BM_SavePresetEightTabs(benchmark::State& state)
{
	PresetScene scene;
	for (auto _ : state)
		scene.Press(PULSOR_PRESET_SAVE);
}
BENCHMARK(BM_SavePresetEightTabs)->Unit(benchmark::kMicrosecond);

void BM_LoadPresetEightTabs(benchmark::State& state)
{
	PresetScene scene;
	scene.Press(PULSOR_PRESET_SAVE);
	for (auto _ : state)
		scene.Press(PULSOR_PRESET_LOAD);
}
BENCHMARK(BM_LoadPresetEightTabs)->Unit(benchmark::kMicrosecond);

} // namespace
