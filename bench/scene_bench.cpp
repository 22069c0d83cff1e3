// Loading a scene whose elements link to each other: each link finds its
// element in constant time, and elements are appended and freed at the end
// of their lists, so the time grows linearly with the scene (argument: the
// number of objects, each with a tag; every object and tag holds one link).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "c4d.h"
#include "host_services.h"
#include "scene_file.h"

namespace
{

namespace fs = std::filesystem;

void BM_LoadLinkedScene(benchmark::State& state)
{
	const LONG count = (LONG)state.range(0);
	BaseDocument* doc = BaseDocument::Alloc();
	std::vector<BaseObject*> ops;
	for (LONG i = 0; i < count; ++i)
	{
		BaseObject* op = BaseObject::Alloc(Ocube);
		op->SetName(String(("Box " + std::to_string(i)).c_str()));
		doc->InsertObject(op, ops.empty() ? nullptr : ops.back());
		op->InsertTag(BaseTag::Alloc(Tdisplay));
		ops.push_back(op);
	}
	for (LONG i = 0; i < count; ++i)
	{
		ops[(size_t)i]->GetDataInstance()->SetLink(5000, ops[(size_t)((i + 1) % count)]);
		ops[(size_t)i]->GetFirstTag()->GetDataInstance()->SetLink(5000, ops[(size_t)(count - 1 - i)]);
	}
	const fs::path file = fs::temp_directory_path() / ("pulsor_bench_scene_" + std::to_string(count));
	std::string problem;
	if (!SaveDocument(*doc, Filename(file.string().c_str()), &problem))
		state.SkipWithError(problem.c_str());
	BaseDocument::Free(doc);
	HostSetActiveDocument(nullptr);
	for (auto _ : state)
	{
		BaseDocument* loaded = LoadDocument(Filename(file.string().c_str()), &problem);
		benchmark::DoNotOptimize(loaded);
		BaseDocument::Free(loaded);
	}
	state.SetComplexityN(count);
	std::error_code ec;
	fs::remove(file, ec);
}
BENCHMARK(BM_LoadLinkedScene)->RangeMultiplier(4)->Range(256, 16384)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace
