// GetDDescription on a vector link (the cube's position) with sixteen tabs,
// two of each modifier type: the whole page, and a single identifier (the
// last tab's "Strength") as the host asks when it needs one element.
#include <benchmark/benchmark.h>

#include <vector>

#include "customgui_descproperty.h"
#include "linked_pulsor.h"

#include "c4d.h"
#include "host_services.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

const LONG kTabTypes[] = { PULSOR_MOD_NOISE, PULSOR_MOD_SIN, PULSOR_MOD_COS, PULSOR_MOD_SAWTOOTH,
	PULSOR_MOD_SQUARE, PULSOR_MOD_TRIANGLE, PULSOR_MOD_BOUNCE, PULSOR_MOD_CUSTOM };

struct PageScene
{
	BaseDocument* doc;
	BaseObject* cube;
	BaseTag* tag;
	LONG lastTab = -1;
	bool linked = false;

	PageScene()
	{
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		doc = BaseDocument::Alloc();
		cube = BaseObject::Alloc(Ocube);
		cube->SetName("Cube");
		doc->InsertObject(cube);
		tag = BaseTag::Alloc(PULSOR_TAG_ID);
		cube->InsertTag(tag);
		// The cube's position dropped on the tag, as the attribute manager
		// sends it: the button up, inside an undo group.
		HostSetActiveDocument(doc);
		HostSetMouseButton(false);
		AutoAlloc<AtomArray> elements;
		elements->Append(cube);
		DescPropertyDragData payload = { elements, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0)) };
		DragAndDrop drop = { doc, 0, DRAGTYPE_DESCID, &payload, 0 };
		doc->StartUndo();
		tag->Message(MSG_DRAGANDDROP, &drop);
		doc->EndUndo();
		BaseContainer* data = tag->GetDataInstance();
		linked = data->GetLong(PULSOR_LINK_TYPE) == DTYPE_VECTOR && data->GetLong(PULSOR_COMPONENT_MODE) == 2;
		Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
		for (int round = 0; round < 2; ++round)
			for (LONG type : kTabTypes)
				pulsor->AddTab(data, tag, type);
		const BaseContainer list = data->GetContainer(PULSOR_TAB_LIST);
		const LONG count = list.GetLong(PULSOR_TAB_LIST_COUNT);
		if (count == 16)
			lastTab = list.GetLong(PULSOR_TAB_LIST_FIRST + count - 1, -1);
	}
	~PageScene()
	{
		HostSetActiveDocument(nullptr);
		BaseDocument::Free(doc);
	}
};

// One page per iteration, as the host builds it: a fresh description, the
// single identifier set on it (or none), then the tag's hook.
void RunDescription(benchmark::State& state, bool single)
{
	PageScene scene;
	if (!scene.linked || scene.lastTab < 0)
	{
		state.SkipWithError("the position was not linked or the sixteen tabs were not added");
		return;
	}
	Pulsor* pulsor = static_cast<Pulsor*>(scene.tag->GetNodeData());
	const DescID strength(DescLevel(TabBase(scene.lastTab) + PULSOR_TAB_STRENGTH, DTYPE_REAL, 0));
	LONG expected = -1;
	for (auto _ : state)
	{
		Description* page = Description::Alloc();
		page->SetSingleDescID(single ? &strength : nullptr);
		DESCFLAGS_DESC flags = DESCFLAGS_DESC_0;
		const Bool ok = pulsor->GetDDescription(scene.tag, page, flags);
		const LONG count = page->GetElementCount();
		benchmark::DoNotOptimize(ok);
		Description::Free(page);
		if (!ok || (expected >= 0 && count != expected))
		{
			state.SkipWithError("the page changed between calls");
			break;
		}
		expected = count;
	}
	state.counters["elements"] = (double)expected;
}

void BM_DescriptionVectorSixteenTabsWholePage(benchmark::State& state)
{
	RunDescription(state, false);
}
BENCHMARK(BM_DescriptionVectorSixteenTabsWholePage)->Unit(benchmark::kMicrosecond);

void BM_DescriptionVectorSixteenTabsSingleId(benchmark::State& state)
{
	RunDescription(state, true);
}
BENCHMARK(BM_DescriptionVectorSixteenTabsSingleId)->Unit(benchmark::kMicrosecond);

// The floor of a single-identifier call: what the host's side costs before
// any Pulsor element, a fresh description and the tag's resource loaded.
void BM_DescriptionFloor(benchmark::State& state)
{
	PageScene scene;
	for (auto _ : state)
	{
		Description* page = Description::Alloc();
		benchmark::DoNotOptimize(page->LoadDescription(PULSOR_TAG_ID));
		Description::Free(page);
	}
}
BENCHMARK(BM_DescriptionFloor)->Unit(benchmark::kMicrosecond);

} // namespace
