// Same numbers everywhere, for the whole tag: the module's curve library and
// a scene -- a cube animated by two Pulsor tags with a tab of every modifier
// type -- evaluated frame by frame through ExecutePasses, give bit for bit
// the values stored in tests/data/portability on every platform we build for.
// See stored_values.h for how the files are made.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "editing_fixture.h"
#include "link_types.h"
#include "stored_values.h"
#include "tab_list.h"

using pulsor_test::Whole;
using stored_values::Values;

namespace
{

class PortabilityScene : public pulsor_test::EditingTest
{
protected:
	// Gives tab `number` settings of its own, all different from the
	// defaults, derived from the number so that no two tabs agree.
	void Shape(LONG number, LONG slot, bool vector)
	{
		const LONG b = TabBase(number);
		const Real n = (Real)number;
		BaseContainer* d = data();
		if (vector)
			d->SetVector(b + PULSOR_TAB_VARIATION + slot, Vector(3.0 + n, 7.5 - n, 0.25 * n * n));
		else
			d->SetReal(b + PULSOR_TAB_VARIATION + slot, 0.3 + 0.07 * n);
		d->SetReal(b + PULSOR_TAB_STRENGTH, 0.35 + 0.11 * n);
		d->SetTime(b + PULSOR_TAB_LOOP_POINT, BaseTime(17.0 + 6.0 * n, 30.0));
		d->SetTime(b + PULSOR_TAB_TIME_OFFSET, BaseTime(3.0 * n - 7.0, 30.0));
		d->SetTime(b + PULSOR_TAB_START_TIME, BaseTime(2.0 * n, 30.0));
		d->SetTime(b + PULSOR_TAB_END_TIME, BaseTime(40.0 + 9.0 * n, 30.0));
		d->SetLong(b + PULSOR_TAB_PLAYBACK, number % 3);
		d->SetReal(b + PULSOR_TAB_SPEED, 0.6 + 0.37 * n);
		d->SetLong(b + PULSOR_TAB_SEED, 101 * number - 57);
		d->SetReal(b + PULSOR_TAB_BIAS, 0.13 * n - 0.4);
		d->SetBool(b + PULSOR_TAB_UNIFORM, number % 2 == 0);
		d->SetBool(b + PULSOR_TAB_NEGATIVE + 1, number % 4 != 1);
	}

	// Links the tag to the cube's parameter and adds one tab per modifier
	// type, through the messages the attribute manager sends.
	void Build(const DescID& parameter, LONG slot, bool vector)
	{
		ASSERT_TRUE(Drop(cube_, parameter));
		for (LONG type = PULSOR_MOD_NOISE; type <= PULSOR_MOD_COUNT; ++type)
			PickModifier(type);
		const std::vector<LONG> tabs = Tabs();
		ASSERT_EQ(tabs.size(), (size_t)PULSOR_MOD_COUNT);
		for (LONG number : tabs)
			Shape(number, slot, vector);
	}
};

TEST_F(PortabilityScene, CurveLibraryGivesTheStoredBits)
{
	const BaseContainer* library = data()->GetContainerInstance(PULSOR_CURVE_LIBRARY);
	ASSERT_NE(library, nullptr);
	Values values;
	for (LONG id = 0; id < 64; ++id)
	{
		const SplineData* curve = static_cast<const SplineData*>(library->GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
		if (!curve)
			continue;
		for (int i = 0; i <= 80; ++i)
			values.Add("curve" + std::to_string(id) + ".y[" + std::to_string(i) + "]", curve->GetPoint(-0.1 + i * (1.2 / 80.0)).y);
	}
	ASSERT_GT(values.Size(), 0u);
	values.Check("curve_library.txt", "GetPoint of every curve in the Pulsor tag's curve library");
}

TEST_F(PortabilityScene, EvaluatedSceneGivesTheStoredBits)
{
	// The position (a vector) ping-pongs and the fillet radius (a real)
	// climbs additively; each tag has a tab of every type.
	Build(Whole(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR), PULSOR_SLOT_VECTOR, true);
	data()->SetVector(PULSOR_END_VALUE + PULSOR_SLOT_VECTOR, Vector(30.0, -40.0, 50.0));
	data()->SetLong(PULSOR_PLAYBACK, PULSOR_PLAYBACK_PINGPONG);
	data()->SetTime(PULSOR_END_TIME, BaseTime(45.0, 30.0));
	data()->SetReal(PULSOR_STRENGTH, 0.85);

	BaseTag* first = tag_;
	tag_ = BaseTag::Alloc(PULSOR_TAG_ID);
	ASSERT_NE(tag_, nullptr);
	cube_->InsertTag(tag_, first);
	Build(Whole(PRIM_CUBE_FRAD, DTYPE_REAL), PULSOR_SLOT_REAL, false);
	data()->SetReal(PULSOR_START_VALUE + PULSOR_SLOT_REAL, 2.5);
	data()->SetReal(PULSOR_END_VALUE + PULSOR_SLOT_REAL, 9.75);
	data()->SetLong(PULSOR_PLAYBACK, PULSOR_PLAYBACK_ADDITIVE);
	data()->SetTime(PULSOR_END_TIME, BaseTime(28.0, 30.0));
	data()->SetReal(PULSOR_VOLUME, 1.3);
	BaseTag* second = tag_;
	tag_ = first;

	Values values;
	for (LONG frame = -5; frame <= 150; ++frame)
	{
		doc_->SetTime(BaseTime((Real)frame, 30.0));
		ASSERT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0)) << frame;
		const std::string f = "frame" + std::to_string(frame);
		const Vector p = cube_->GetRelPos();
		values.Add(f + ".position.x", p.x);
		values.Add(f + ".position.y", p.y);
		values.Add(f + ".position.z", p.z);
		GeData radius;
		ASSERT_TRUE(cube_->GetParameter(DescID(PRIM_CUBE_FRAD), radius, DESCFLAGS_GET_0));
		values.Add(f + ".radius", radius.GetReal());
	}
	for (BaseTag* tag : { first, second })
	{
		const std::string t = tag == first ? "position" : "radius";
		values.Add(t + ".range.min", tag->GetDataInstance()->GetReal(PULSOR_RANGE_MIN));
		values.Add(t + ".range.max", tag->GetDataInstance()->GetReal(PULSOR_RANGE_MAX));
	}
	values.Check("scene.txt", "A cube with two Pulsor tags (position, fillet radius), frames -5 to 150 at 30 fps");
}

} // namespace
