// Duplicate of a tab: 9,999 offsets read and written through the tag's
// parameter interface.
#include <benchmark/benchmark.h>

#include "linked_pulsor.h"

#include "c4d.h"
#include "host_services.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

void BM_DuplicateTab(benchmark::State& state)
{
	RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
	BaseDocument* doc = BaseDocument::Alloc();
	BaseObject* cube = BaseObject::Alloc(Ocube);
	doc->InsertObject(cube);
	BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
	cube->InsertTag(tag);
	Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
	const LONG types[] = { PULSOR_MOD_NOISE, PULSOR_MOD_SIN, PULSOR_MOD_CUSTOM, PULSOR_MOD_BOUNCE };
	for (LONG type : types)
		pulsor->AddTab(tag->GetDataInstance(), tag, type);
	const BaseContainer before = tag->GetData();
	DescriptionCommand duplicate = { DescID(TabBase(3) + PULSOR_TAB_DUPLICATE) };
	for (auto _ : state)
	{
		state.PauseTiming();
		tag->SetData(before, FALSE);
		state.ResumeTiming();
		tag->Message(MSG_DESCRIPTION_COMMAND, &duplicate);
	}
	BaseDocument::Free(doc);
}
BENCHMARK(BM_DuplicateTab)->Unit(benchmark::kMicrosecond);

} // namespace
