// Baking 10,000 frames of a tag with the base and four tabs on a real
// parameter: the output alone, and with the parameter's own animation, which
// costs a scene evaluation per frame.
#include <benchmark/benchmark.h>

#include "linked_pulsor.h"

#include "c4d.h"
#include "pulsor.h"

namespace
{

const LONG kFrames = 10000;
const LONG kTabTypes[] = { PULSOR_MOD_NOISE, PULSOR_MOD_SIN, PULSOR_MOD_SAWTOOTH, PULSOR_MOD_BOUNCE };

DescID PositionY()
{
	return DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));
}

// The parameter's own animation, which the second path adds in.
void Animate(BaseObject* cube)
{
	CTrack* track = CTrack::Alloc(cube, PositionY());
	cube->InsertTrackSorted(track);
	track->GetCurve()->AddKey(BaseTime(0.0))->SetValue(track->GetCurve(), 0.0);
	track->GetCurve()->AddKey(BaseTime(10.0))->SetValue(track->GetCurve(), 50.0);
}

struct Scene
{
	BaseDocument* doc;
	BaseObject* cube;
	BaseTag* tag;

	explicit Scene(bool ignore)
	{
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		doc = BaseDocument::Alloc();
		doc->SetMinTime(BaseTime(0.0));
		doc->SetMaxTime(BaseTime((Real)(kFrames - 1), 30.0));
		cube = BaseObject::Alloc(Ocube);
		doc->InsertObject(cube);
		tag = BaseTag::Alloc(PULSOR_TAG_ID);
		cube->InsertTag(tag);
		BaseContainer* data = tag->GetDataInstance();
		data->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, PositionY()));
		data->SetLong(PULSOR_LINK_TYPE, DTYPE_REAL);
		data->SetLong(PULSOR_TYPE_SLOT, 1);
		data->SetLong(PULSOR_COMPONENT_MODE, 1);
		data->SetReal(PULSOR_END_VALUE + 1, 100.0);
		data->SetBool(PULSOR_IGNORE_KEYS, ignore);
		Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
		for (LONG type : kTabTypes)
			pulsor->AddTab(data, tag, type);
		Animate(cube);
	}
	~Scene() { BaseDocument::Free(doc); }
};

void RunBake(benchmark::State& state, bool ignore)
{
	Scene scene(ignore);
	Pulsor* pulsor = static_cast<Pulsor*>(scene.tag->GetNodeData());
	BaseContainer* data = scene.tag->GetDataInstance();
	const BaseContainer before = *data;
	for (auto _ : state)
	{
		pulsor->Keyframe(scene.tag, data, scene.doc);
		state.PauseTiming();
		if (scene.cube->FindCTrack(PositionY())->GetCurve()->GetKeyCount() != kFrames)
			state.SkipWithError("the bake did not record one key per frame");
		// Back to the scene before the bake: the own animation's two keys.
		pulsor->ClearKeyframes(scene.cube, data);
		Animate(scene.cube);
		*data = before;
		state.ResumeTiming();
	}
	state.SetItemsProcessed(state.iterations() * kFrames);
}

void BM_Bake10000FramesIgnoringOwnAnimation(benchmark::State& state)
{
	RunBake(state, true);
}
BENCHMARK(BM_Bake10000FramesIgnoringOwnAnimation)->Unit(benchmark::kMillisecond);

void BM_Bake10000FramesAddingOwnAnimation(benchmark::State& state)
{
	RunBake(state, false);
}
BENCHMARK(BM_Bake10000FramesAddingOwnAnimation)->Unit(benchmark::kMillisecond);

} // namespace
