// Execute on a vector link with the base and eight tabs, against two floors:
// the curve and noise evaluations of the component-by-component arithmetic,
// and the necessary ones alone, each made directly without container or
// scene.
#include <benchmark/benchmark.h>

#include "allocation_hook.h"
#include "linked_pulsor.h"

#include "c4d.h"
#include "pulsor.h"

namespace
{

const LONG kTabTypes[] = { PULSOR_MOD_NOISE, PULSOR_MOD_NOISE, PULSOR_MOD_SIN, PULSOR_MOD_COS,
	PULSOR_MOD_SAWTOOTH, PULSOR_MOD_SQUARE, PULSOR_MOD_BOUNCE, PULSOR_MOD_CUSTOM };

struct Scene
{
	BaseDocument* doc;
	BaseObject* cube;
	BaseTag* tag;

	explicit Scene(bool feedback)
	{
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		doc = BaseDocument::Alloc();
		cube = BaseObject::Alloc(Ocube);
		doc->InsertObject(cube);
		tag = BaseTag::Alloc(PULSOR_TAG_ID);
		cube->InsertTag(tag);
		BaseContainer* data = tag->GetDataInstance();
		data->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION))));
		data->SetLong(PULSOR_LINK_TYPE, DTYPE_VECTOR);
		data->SetLong(PULSOR_TYPE_SLOT, 6);
		data->SetLong(PULSOR_COMPONENT_MODE, 2);
		data->SetVector(PULSOR_END_VALUE + 6, Vector(100.0, 50.0, 25.0));
		data->SetBool(PULSOR_FEEDBACK, feedback);
		Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
		for (LONG type : kTabTypes)
			pulsor->AddTab(data, tag, type);
	}
	~Scene() { BaseDocument::Free(doc); }
};

void RunExecute(benchmark::State& state, bool feedback)
{
	Scene scene(feedback);
	Pulsor* pulsor = static_cast<Pulsor*>(scene.tag->GetNodeData());
	LONG frame = 0;
	allocation_hook::PerCall allocations(state);
	for (auto _ : state)
	{
		scene.doc->SetTime(BaseTime((Real)frame, 30.0));
		benchmark::DoNotOptimize(pulsor->Execute(scene.tag, scene.doc, scene.cube, nullptr, 0, EXECUTIONFLAGS_EXPRESSION));
		frame = (frame + 1) % 90;
	}
}

void BM_ExecuteVectorEightTabsFeedback(benchmark::State& state)
{
	RunExecute(state, true);
}
BENCHMARK(BM_ExecuteVectorEightTabsFeedback);

void BM_ExecuteVectorEightTabsNoFeedback(benchmark::State& state)
{
	RunExecute(state, false);
}
BENCHMARK(BM_ExecuteVectorEightTabsNoFeedback);

// The curve and noise work of one such evaluation, made directly: per
// component the base's time curve; per tab and component the strength
// envelope and the waveform, and for Noise the two path curves, the noise,
// the S-curve and the remap curve.
void BM_ExecuteFloor(benchmark::State& state)
{
	Scene scene(true);
	const BaseContainer library = scene.tag->GetDataInstance()->GetContainer(PULSOR_CURVE_LIBRARY);
	const auto curve = [&](LONG id) {
		return static_cast<const SplineData*>(library.GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
	};
	const SplineData* constant = curve(PULSOR_CURVE_CONSTANT);
	const SplineData* linear = curve(PULSOR_CURVE_LINEAR);
	const SplineData* sine = curve(PULSOR_CURVE_SINE);
	const SplineData* hump = curve(PULSOR_CURVE_HUMP);
	const SplineData* s = curve(PULSOR_CURVE_S);
	const SplineData* shapes[] = { sine, hump, curve(PULSOR_CURVE_SAWTOOTH), curve(PULSOR_CURVE_STEP), curve(PULSOR_CURVE_BOUNCE), linear };
	LONG frame = 0;
	for (auto _ : state)
	{
		const Real t = (Real)frame;
		Real acc = 0.0;
		for (int k = 0; k < 3; ++k)
			acc += constant->GetPoint(t / 90.0).y;
		for (int tab = 0; tab < 8; ++tab)
		{
			for (int k = 0; k < 3; ++k)
			{
				acc += constant->GetPoint(t / 90.0).y;
				if (tab < 2)
				{
					const Real phase = t / 9574.0;
					const Real x = sine->GetPoint(phase).y * 9574.0;
					const Real y = hump->GetPoint(phase).y * 9574.0;
					const Real n = Noise(Vector((x + k * 1234 - 1234) / 45.0, (y + k * 2314 + 1234) / 50.0, 1234.0 * 10004 + k * 100));
					acc += s->GetPoint(n).y + linear->GetPoint(n).y;
				}
				else
				{
					acc += shapes[tab - 2]->GetPoint(t / 90.0).y;
				}
			}
		}
		benchmark::DoNotOptimize(acc);
		frame = (frame + 1) % 90;
	}
}
BENCHMARK(BM_ExecuteFloor);

// The necessary arithmetic alone: what does not depend on the component
// made once per evaluation (the base's time curve) or once per tab (the
// envelope, the waveform, Noise's path through noise space), and only
// Noise's noise, S-curve and remap per component.
void BM_ExecuteFloorShared(benchmark::State& state)
{
	Scene scene(true);
	const BaseContainer library = scene.tag->GetDataInstance()->GetContainer(PULSOR_CURVE_LIBRARY);
	const auto curve = [&](LONG id) {
		return static_cast<const SplineData*>(library.GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
	};
	const SplineData* constant = curve(PULSOR_CURVE_CONSTANT);
	const SplineData* linear = curve(PULSOR_CURVE_LINEAR);
	const SplineData* sine = curve(PULSOR_CURVE_SINE);
	const SplineData* hump = curve(PULSOR_CURVE_HUMP);
	const SplineData* s = curve(PULSOR_CURVE_S);
	const SplineData* shapes[] = { sine, hump, curve(PULSOR_CURVE_SAWTOOTH), curve(PULSOR_CURVE_STEP), curve(PULSOR_CURVE_BOUNCE), linear };
	LONG frame = 0;
	for (auto _ : state)
	{
		const Real t = (Real)frame;
		Real acc = 3.0 * constant->GetPoint(t / 90.0).y;
		for (int tab = 0; tab < 8; ++tab)
		{
			const Real envelope = constant->GetPoint(t / 90.0).y;
			if (tab < 2)
			{
				const Real phase = t / 9574.0;
				const Real x = sine->GetPoint(phase).y * 9574.0;
				const Real y = hump->GetPoint(phase).y * 9574.0;
				for (int k = 0; k < 3; ++k)
				{
					const Real n = Noise(Vector((x + k * 1234 - 1234) / 45.0, (y + k * 2314 + 1234) / 50.0, 1234.0 * 10004 + k * 100));
					acc += (s->GetPoint(n).y + linear->GetPoint(n).y) * envelope;
				}
			}
			else
			{
				acc += 3.0 * shapes[tab - 2]->GetPoint(t / 90.0).y * envelope;
			}
		}
		benchmark::DoNotOptimize(acc);
		frame = (frame + 1) % 90;
	}
}
BENCHMARK(BM_ExecuteFloorShared);

} // namespace
