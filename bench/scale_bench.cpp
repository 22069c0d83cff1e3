// How the costs grow: Execute with 1 to 512 tabs, a frame of scenes of 1 to
// 10,000 tagged cubes, the 10,000-cube scene's load and its memory, the page
// with 1 to 128 tabs, and a preset loaded into a tag with fewer tabs. Each
// reports its allocations per call; the series report their growth.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "allocation_hook.h"
#include "tagged_scene.h"

namespace
{

void BM_ExecuteTabs(benchmark::State& state)
{
	const LONG tabs = (LONG)state.range(0);
	BaseDocument* doc = tagged_scene::NewDocument();
	BaseTag* tag = tagged_scene::AddTaggedCube(doc, tabs, true);
	if (tagged_scene::TabCount(tag) != tabs)
		state.SkipWithError("the tabs were not added");
	Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
	BaseObject* cube = tag->GetObject();
	LONG frame = 0;
	{
		allocation_hook::PerCall allocations(state);
		for (auto _ : state)
		{
			doc->SetTime(BaseTime((Real)frame, 30.0));
			benchmark::DoNotOptimize(pulsor->Execute(tag, doc, cube, nullptr, 0, EXECUTIONFLAGS_EXPRESSION));
			frame = (frame + 1) % 90;
		}
	}
	state.SetComplexityN(tabs);
	tagged_scene::Free(doc);
}
BENCHMARK(BM_ExecuteTabs)->Arg(1)->Arg(8)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond)->Complexity();

// One further frame of a scene of n cubes, each with an eight-tab tag on its
// position: the host's whole pass, as pulsorhost runs it per frame.
void BM_ExecutePasses(benchmark::State& state)
{
	const LONG count = (LONG)state.range(0);
	BaseDocument* doc = tagged_scene::NewDocument();
	for (LONG i = 0; i < count; ++i)
		tagged_scene::AddTaggedCube(doc, 8, true);
	LONG frame = 0;
	doc->SetTime(BaseTime(0.0, 30.0));
	doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	{
		allocation_hook::PerCall allocations(state);
		for (auto _ : state)
		{
			frame = (frame + 1) % 90;
			doc->SetTime(BaseTime((Real)frame, 30.0));
			benchmark::DoNotOptimize(doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
		}
	}
	state.counters["per_tag_us"] = benchmark::Counter((double)count * 1e-6,
		benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
	state.SetComplexityN(count);
	tagged_scene::Free(doc);
}
BENCHMARK(BM_ExecutePasses)->Arg(1)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

// The 10,000-cube scene from nothing to its first evaluated frame, built as
// pulsorhost builds a JSON scene and runs frame 0, the cubes placed as asked;
// peak_MB is the most heap
// the scene held on the way, kB_per_object its share per cube.
void RunCubeSceneLoad(benchmark::State& state, tagged_scene::Place place)
{
	const LONG count = (LONG)state.range(0);
	double peak = 0.0;
	double held = 0.0;
	for (auto _ : state)
	{
		const size_t before = allocation_hook::LiveBytes();
		allocation_hook::ResetPeak();
		BaseDocument* doc = tagged_scene::NewDocument();
		for (LONG i = 0; i < count; ++i)
			tagged_scene::AddTaggedCube(doc, 8, true, place);
		doc->SetTime(BaseTime(0.0, 30.0));
		doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		held = (double)(allocation_hook::LiveBytes() - before);
		peak = (double)(allocation_hook::PeakBytes() - before);
		state.PauseTiming();
		tagged_scene::Free(doc);
		state.ResumeTiming();
	}
	state.counters["peak_MB"] = peak / 1e6;
	state.counters["kB_per_object"] = held / 1e3 / (double)count;
	state.SetComplexityN(count);
}

// Each cube inserted first, moving the whole object list each time.
void BM_CubeSceneLoad(benchmark::State& state)
{
	RunCubeSceneLoad(state, tagged_scene::Place::First);
}
BENCHMARK(BM_CubeSceneLoad)->Arg(1000)->Arg(10000)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)
	->ReportAggregatesOnly(false);

// Each cube appended after the last object, the order pulsorhost loads in.
void BM_CubeSceneLoadAppended(benchmark::State& state)
{
	RunCubeSceneLoad(state, tagged_scene::Place::Last);
}
BENCHMARK(BM_CubeSceneLoadAppended)->Arg(1000)->Arg(10000)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)
	->ReportAggregatesOnly(false);

// The whole page with n tabs.
void BM_PageTabs(benchmark::State& state)
{
	const LONG tabs = (LONG)state.range(0);
	BaseDocument* doc = tagged_scene::NewDocument();
	BaseTag* tag = tagged_scene::AddTaggedCube(doc, tabs, true);
	Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
	{
		allocation_hook::PerCall allocations(state);
		for (auto _ : state)
		{
			Description* page = Description::Alloc();
			page->SetSingleDescID(nullptr);
			DESCFLAGS_DESC flags = DESCFLAGS_DESC_0;
			benchmark::DoNotOptimize(pulsor->GetDDescription(tag, page, flags));
			Description::Free(page);
		}
	}
	state.SetComplexityN(tabs);
	tagged_scene::Free(doc);
}
BENCHMARK(BM_PageTabs)->Arg(1)->Arg(16)->Arg(128)->Unit(benchmark::kMicrosecond)->Complexity();

// A preset of n tabs loaded into a tag with `into` tabs; the tag is put back
// between loads, untimed.
void RunPresetLoad(benchmark::State& state, LONG tabs, LONG into)
{
	const std::string folder = (std::filesystem::temp_directory_path() /
		("pulsor-bench-growth-" + std::to_string(::getpid()) + "-" + std::to_string(tabs))).string();
	std::filesystem::create_directories(folder);
	BaseDocument* doc = tagged_scene::NewDocument();
	BaseTag* source = tagged_scene::AddTaggedCube(doc, tabs, true);
	BaseTag* target = tagged_scene::AddTaggedCube(doc, into, true);
	const auto press = [](BaseTag* tag, LONG id) {
		DescriptionCommand command = { DescID(id) };
		tag->Message(MSG_DESCRIPTION_COMMAND, &command);
	};
	for (BaseTag* tag : { source, target })
	{
		tag->GetDataInstance()->SetString(PULSOR_PRESET_FOLDER, folder.c_str());
		tag->GetDataInstance()->SetString(PULSOR_PRESET_NAME, "Growth");
	}
	press(source, PULSOR_PRESET_SAVE);
	const BaseContainer before = *target->GetDataInstance();
	for (auto _ : state)
	{
		press(target, PULSOR_PRESET_LOAD);
		state.PauseTiming();
		if (tagged_scene::TabCount(target) != tabs)
			state.SkipWithError("the preset did not bring its tabs");
		*target->GetDataInstance() = before;
		state.ResumeTiming();
	}
	state.SetComplexityN(tabs);
	tagged_scene::Free(doc);
	std::filesystem::remove_all(folder);
}

void BM_PresetLoadIntoOneTab(benchmark::State& state)
{
	RunPresetLoad(state, (LONG)state.range(0), 1);
}
BENCHMARK(BM_PresetLoadIntoOneTab)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond)->Complexity();

void BM_PresetLoadIntoSameTabs(benchmark::State& state)
{
	RunPresetLoad(state, (LONG)state.range(0), (LONG)state.range(0));
}
BENCHMARK(BM_PresetLoadIntoSameTabs)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond)->Complexity();

} // namespace
