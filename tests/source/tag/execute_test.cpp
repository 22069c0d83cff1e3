// Execute in a headless scene: the document evaluates the Pulsor tag on a
// cube through ExecutePasses, and the tests read back the linked parameter,
// the tag's container and the events the host recorded.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_fixture.h"

using namespace engine_test;

namespace
{

class SceneExecute : public EngineFixture
{
protected:
	GeData Param(BaseList2D* element, const DescID& id)
	{
		GeData value;
		EXPECT_TRUE(element->GetParameter(id, value, DESCFLAGS_GET_0));
		return value;
	}
	Real Radius() { return Param(cube_, DescID(PRIM_CUBE_FRAD)).GetReal(); }

	// Base that sits at `end` (the constant time curve) over 0 .. 90.
	void Constant(LONG slot, const GeData& start, const GeData& end)
	{
		data()->SetData(PULSOR_START_VALUE + slot, start);
		data()->SetData(PULSOR_END_VALUE + slot, end);
		Base(1, 0, 90, PULSOR_CURVE_CONSTANT);
	}

	// The cube's radius keyed 0 at frame 0 and 4 at frame 20: 2 at frame 10.
	void AnimateRadius()
	{
		CTrack* track = CTrack::Alloc(cube_, DescID(PRIM_CUBE_FRAD));
		ASSERT_NE(track, nullptr);
		track->GetCurve()->AddKey(Frames(0))->SetValue(track->GetCurve(), 0.0);
		track->GetCurve()->AddKey(Frames(20))->SetValue(track->GetCurve(), 4.0);
		cube_->InsertTrackSorted(track);
	}

	bool Has(LONG id) { return data()->GetDataPointer(id) != nullptr; }

	// (kind, element, code) of the recorded events, in order.
	void ExpectEvents(const std::vector<HostEvent>& expected)
	{
		ASSERT_EQ(events_.size(), expected.size());
		for (size_t i = 0; i < expected.size(); ++i)
		{
			EXPECT_EQ(events_[i].kind, expected[i].kind) << i;
			EXPECT_EQ(events_[i].element, expected[i].element) << i;
			EXPECT_EQ(events_[i].code, expected[i].code) << i;
		}
	}

	Real RangeMin() { return data()->GetReal(PULSOR_RANGE_MIN, -999.0); }
	Real RangeMax() { return data()->GetReal(PULSOR_RANGE_MAX, -999.0); }
};

class SceneRange : public SceneExecute
{
};

} // namespace

// ---- The pass ---------------------------------------------------------------

TEST_F(SceneExecute, SinTabDrivesPositionYOverTheTimeline)
{
	Link(DTYPE_REAL, 1, 1, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION), DescLevel(VECTOR_Y)));
	data()->SetReal(PULSOR_END_VALUE + 1, 100.0);
	Base(1, 0, 90, PULSOR_CURVE_LINEAR);
	const LONG b = PutTab(2, PULSOR_MOD_SIN);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 1, 20.0);
	data()->SetReal(b + PULSOR_TAB_STRENGTH, 0.5);
	data()->SetTime(b + PULSOR_TAB_LOOP_POINT, Frames(30));
	data()->SetTime(b + PULSOR_TAB_TIME_OFFSET, Frames(5));
	data()->SetTime(b + PULSOR_TAB_END_TIME, Frames(90));

	for (int f = 0; f <= 90; ++f)
	{
		Run(f);
		// Ramp 0 .. 100 plus 10 * (2 * sine(phase) - 1), phase of f + 5 in 30.
		const Real expected = 100.0 * f / 90.0 + 10.0 * (2.0 * SineShape(std::fmod(f + 5.0, 30.0) / 30.0) - 1.0);
		const Vector p = cube_->GetRelPos();
		EXPECT_NEAR(p.y, expected, 1e-9) << "frame " << f;
		EXPECT_EQ(p.x, 0.0);
		EXPECT_EQ(p.z, 0.0);
	}
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_FRAME), 90);
	EXPECT_NEAR(data()->GetReal(PULSOR_FINAL_OUTPUT + 1), 100.0 + 10.0 * (2.0 * SineShape(95.0 / 30.0 - 3.0) - 1.0), 1e-9);
}

TEST_F(SceneExecute, IgnoreKeysOffAddsTheOwnAnimatedValueOncePerFrame)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(0.5));
	AnimateRadius();
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);

	Run(10);
	EXPECT_NEAR(Radius(), 2.5, kTight);
	EXPECT_NEAR(data()->GetReal(PULSOR_CAPTURED_VALUE + 1), 2.0, kTight);
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_FRAME), 10);
	// Frame 10 again, with and without the animation pass before the tag.
	Run(10);
	EXPECT_NEAR(Radius(), 2.5, kTight);
	pulsor()->Execute(tag_, doc_, cube_, nullptr, 0, EXECUTIONFLAGS_EXPRESSION);
	EXPECT_NEAR(Radius(), 2.5, kTight);
	// The same frame takes the stored capture, not the live value.
	data()->SetReal(PULSOR_CAPTURED_VALUE + 1, 100.0);
	Run(10);
	EXPECT_NEAR(Radius(), 100.5, kTight);
	// A new frame captures again: 3 at frame 15.
	Run(15);
	EXPECT_NEAR(Radius(), 3.5, kTight);
	EXPECT_NEAR(data()->GetReal(PULSOR_CAPTURED_VALUE + 1), 3.0, kTight);
}

TEST_F(SceneExecute, IgnoreKeysOnWritesTheFinalOutputAlone)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(0.5));
	AnimateRadius();
	Run(10);
	EXPECT_NEAR(Radius(), 0.5, kTight);
	EXPECT_FALSE(Has(PULSOR_CAPTURED_VALUE + 1));
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_FRAME, -1), 10);
}

TEST_F(SceneExecute, FirstEvaluationAtFrameZeroCapturesTheOwnValue)
{
	// No capture and no last frame yet: the radius of 40 is the own value,
	// also at frame 0, where an absent last frame would read as this frame.
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(0.5));
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	Run(0);
	EXPECT_NEAR(Radius(), 40.5, kTight);
	EXPECT_NEAR(data()->GetReal(PULSOR_CAPTURED_VALUE + 1), 40.0, kTight);

	// The same with an animated radius: 2 at frame 0.
	data()->RemoveData(PULSOR_CAPTURED_VALUE + 1);
	data()->RemoveData(PULSOR_LAST_FRAME);
	CTrack* track = CTrack::Alloc(cube_, DescID(PRIM_CUBE_FRAD));
	ASSERT_NE(track, nullptr);
	track->GetCurve()->AddKey(Frames(0))->SetValue(track->GetCurve(), 2.0);
	track->GetCurve()->AddKey(Frames(20))->SetValue(track->GetCurve(), 4.0);
	cube_->InsertTrackSorted(track);
	Run(0);
	EXPECT_NEAR(Radius(), 2.5, kTight);
}

TEST_F(SceneExecute, WithoutATrackTheOwnValueIsWhatTheTagFoundBeforeItWrote)
{
	// Nothing re-applies an unanimated radius, so each pass finds the tag's
	// previous output in it; taking that for the own value would climb by
	// the output every frame (101, 102, ...).
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(1.0));
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(100.0), DESCFLAGS_SET_0);
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	for (int f : { 0, 1, 2, 3, 3, 4, 10, 9, 50 })
	{
		Run(f);
		EXPECT_EQ(Radius(), 101.0) << "frame " << f;
	}
	Run(10.5);
	EXPECT_EQ(Radius(), 101.0);

	// Something else sets the radius: that is its own value from then on.
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(50.0), DESCFLAGS_SET_0);
	Run(11);
	EXPECT_EQ(Radius(), 51.0);
	Run(12);
	EXPECT_EQ(Radius(), 51.0);
	EXPECT_EQ(data()->GetReal(PULSOR_CAPTURED_VALUE + 1), 50.0);
}

TEST_F(SceneExecute, RemovingTheTrackKeepsTheLastOwnValue)
{
	// The radius animated to 3 at frame 15, where the tag adds 0.5; with the
	// track gone the parameter keeps 3.5, which is the tag's output, not the
	// radius's own value.
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(0.5));
	AnimateRadius();
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	Run(15);
	ASSERT_NEAR(Radius(), 3.5, kTight);
	CTrack* track = cube_->FindCTrack(DescID(PRIM_CUBE_FRAD));
	track->Remove();
	CTrack::Free(track);
	Run(16);
	EXPECT_NEAR(Radius(), 3.5, kTight);
	Run(17);
	EXPECT_NEAR(Radius(), 3.5, kTight);
}

TEST_F(SceneExecute, TurningIgnoreKeysOffLaterStillAddsTheOriginalValue)
{
	// A new tag ignores the own value and replaces it with the output; the
	// value it replaced is the one to add once the switch goes off.
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(1.0));
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(100.0), DESCFLAGS_SET_0);
	Run(0);
	Run(1);
	EXPECT_EQ(Radius(), 1.0);
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	Run(2);
	EXPECT_EQ(Radius(), 101.0);
	Run(3);
	EXPECT_EQ(Radius(), 101.0);

	// Integers and vectors alike.
	Link(DTYPE_LONG, 3, 8, DescID(PRIM_CUBE_SUBX));
	Constant(3, GeData((LONG)0), GeData((LONG)2));
	cube_->SetParameter(DescID(PRIM_CUBE_SUBX), GeData((LONG)5), DESCFLAGS_SET_0);
	for (int f = 4; f < 8; ++f)
		Run(f);
	EXPECT_EQ(Param(cube_, DescID(PRIM_CUBE_SUBX)).GetLong(), 7);
	Link(DTYPE_VECTOR, 6, 2, DescID(ID_BASEOBJECT_REL_POSITION));
	Constant(6, GeData(Vector()), GeData(Vector(1, 2, 3)));
	cube_->SetRelPos(Vector(10, 20, 30));
	for (int f = 8; f < 12; ++f)
		Run(f);
	EXPECT_EQ(cube_->GetRelPos(), Vector(11, 22, 33));
}

TEST_F(SceneExecute, FractionalFramesCaptureAgainEachTime)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(0.5));
	AnimateRadius();
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	// At 10.5 the key interpolation gives 2.1.
	Run(10.5);
	EXPECT_NEAR(Radius(), 2.6, 1e-9);
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_FRAME), 10);
	// The stored last frame (10) never equals 10.5: the live value wins.
	data()->SetReal(PULSOR_CAPTURED_VALUE + 1, 100.0);
	Run(10.5);
	EXPECT_NEAR(Radius(), 2.6, 1e-9);
	EXPECT_NEAR(data()->GetReal(PULSOR_CAPTURED_VALUE + 1), 2.1, 1e-9);
}

TEST_F(SceneExecute, RepeatedEvaluationOfAnyWholeFrameReusesTheCapture)
{
	// The radius has no track, so a second evaluation of the same frame finds
	// the tag's own previous output in it; only the stored capture keeps the
	// value from climbing. This must hold at every whole frame, also those
	// whose time in seconds (f / 30) does not multiply back to exactly f.
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(0.5));
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	for (int f : { 10, 31, 62, 122, 123, 245 })
	{
		Run(f);
		const Real first = Radius();
		Run(f);
		EXPECT_EQ(Radius(), first) << "frame " << f;
		EXPECT_EQ(data()->GetLong(PULSOR_LAST_FRAME), f) << "frame " << f;
	}
}

TEST_F(SceneExecute, BakedTagWritesNothingButRefreshesTheRange)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	Base(1, 0, 90, PULSOR_CURVE_LINEAR);
	data()->SetBool(PULSOR_HAS_KEYS, TRUE);
	data()->SetReal(PULSOR_RANGE_MIN, 123.0);
	data()->SetReal(PULSOR_RANGE_MAX, 456.0);
	Record();
	Run(45);
	EXPECT_EQ(Radius(), 40.0);
	EXPECT_EQ(RangeMin(), 0.0);
	EXPECT_EQ(RangeMax(), 10.0);
	EXPECT_FALSE(Has(PULSOR_LAST_FRAME));
	EXPECT_FALSE(Has(PULSOR_FINAL_OUTPUT + 1));
	EXPECT_TRUE(events_.empty());
	// Without feedback the range keeps its last values.
	data()->SetBool(PULSOR_FEEDBACK, FALSE);
	data()->SetReal(PULSOR_RANGE_MIN, 123.0);
	Run(46);
	EXPECT_EQ(RangeMin(), 123.0);
	EXPECT_EQ(Radius(), 40.0);
}

TEST_F(SceneExecute, MaterialParameterIsFollowedByTheMaterialUpdate)
{
	BaseMaterial* mat = BaseMaterial::Alloc(Mmaterial);
	ASSERT_NE(mat, nullptr);
	doc_->InsertMaterial(mat);
	Link(DTYPE_REAL, 1, 1, DescID(MATERIAL_COLOR_BRIGHTNESS), Mbase, mat);
	Constant(1, GeData(0.0), GeData(0.25));
	Record();
	Run(5);
	EXPECT_NEAR(Param(mat, DescID(MATERIAL_COLOR_BRIGHTNESS)).GetReal(), 0.25, kTight);
	// Update(1, 1), then messages 20 to the material, 7 to the cube, 20 again.
	ExpectEvents({ { HostEvent::MATERIAL_UPDATE, mat, 3 }, { HostEvent::MESSAGE, mat, 20 },
		{ HostEvent::MESSAGE, cube_, 7 }, { HostEvent::MESSAGE, mat, 20 } });

	// The material's colour, a whole colour link.
	Link(DTYPE_COLOR, 2, 2, DescID(MATERIAL_COLOR_COLOR), Mbase, mat);
	Constant(2, GeData(Vector()), GeData(Vector(0.1, 0.2, 0.3)));
	Run(6);
	const Vector c = Param(mat, DescID(MATERIAL_COLOR_COLOR)).GetVector();
	EXPECT_NEAR(c.x, 0.1, kTight);
	EXPECT_NEAR(c.y, 0.2, kTight);
	EXPECT_NEAR(c.z, 0.3, kTight);
}

TEST_F(SceneExecute, ParameterOfAnotherTag)
{
	BaseTag* display = BaseTag::Alloc(Tdisplay);
	ASSERT_NE(display, nullptr);
	cube_->InsertTag(display);
	Link(DTYPE_REAL, 1, 1, DescID(DISPLAYTAG_VISIBILITY), Tbase, display);
	Constant(1, GeData(0.0), GeData(0.3));
	Record();
	Run(5);
	EXPECT_NEAR(Param(display, DescID(DISPLAYTAG_VISIBILITY)).GetReal(), 0.3, kTight);
	ExpectEvents({ { HostEvent::MESSAGE, display, 20 }, { HostEvent::MESSAGE, cube_, 7 }, { HostEvent::MESSAGE, display, 20 } });
}

TEST_F(SceneExecute, DeletedOrRemovedLinkedElementIsLeftAlone)
{
	BaseMaterial* mat = BaseMaterial::Alloc(Mmaterial);
	doc_->InsertMaterial(mat);
	Link(DTYPE_REAL, 1, 1, DescID(MATERIAL_COLOR_BRIGHTNESS), Mbase, mat);
	Constant(1, GeData(0.0), GeData(0.25));
	BaseMaterial::Free(mat);
	Record();
	Run(5);
	EXPECT_FALSE(Has(PULSOR_LAST_FRAME));
	EXPECT_FALSE(Has(PULSOR_FINAL_OUTPUT + 1));
	EXPECT_TRUE(events_.empty());

	// Taken out of the document but still alive: not resolved in this
	// document, so not written.
	BaseMaterial* gone = BaseMaterial::Alloc(Mmaterial);
	doc_->InsertMaterial(gone);
	data()->SetLink(PULSOR_LINK, gone);
	gone->Remove();
	Run(6);
	EXPECT_EQ(Param(gone, DescID(MATERIAL_COLOR_BRIGHTNESS)).GetReal(), 1.0);
	EXPECT_TRUE(events_.empty());
	BaseMaterial::Free(gone);

	// A tag on no object has no target for an own-object link.
	BaseTag* loose = BaseTag::Alloc(PULSOR_TAG_ID);
	ASSERT_NE(loose, nullptr);
	BaseContainer* ld = loose->GetDataInstance();
	ld->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, DescID(PRIM_CUBE_FRAD)));
	static_cast<Pulsor*>(loose->GetNodeData())->Execute(loose, doc_, nullptr, nullptr, 0, EXECUTIONFLAGS_EXPRESSION);
	EXPECT_EQ(ld->GetDataPointer(PULSOR_LAST_FRAME), nullptr);
	BaseTag::Free(loose);
}

// ---- Link types -------------------------------------------------------------

TEST_F(SceneExecute, RealIntegerAndTimeAddTheirOwnValueWhenKeysCount)
{
	// Real: replaces the radius, or adds to it. Messages go to the cube.
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(3.0));
	Record();
	Run(5);
	EXPECT_EQ(Radius(), 3.0);
	ExpectEvents({ { HostEvent::MESSAGE, cube_, 20 }, { HostEvent::MESSAGE, cube_, 7 }, { HostEvent::MESSAGE, cube_, 20 } });
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	cube_->SetParameter(DescID(PRIM_CUBE_FRAD), GeData(40.0), DESCFLAGS_SET_0);
	Run(10);
	EXPECT_EQ(Radius(), 43.0);

	// Integer.
	Link(DTYPE_LONG, 3, 8, DescID(PRIM_CUBE_SUBX));
	Constant(3, GeData((LONG)0), GeData((LONG)7));
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	Run(11);
	GeData v = Param(cube_, DescID(PRIM_CUBE_SUBX));
	EXPECT_EQ(v.GetType(), DA_LONG);
	EXPECT_EQ(v.GetLong(), 7);
	EXPECT_EQ(data()->GetLong(PULSOR_FINAL_OUTPUT + 3), 7);
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	cube_->SetParameter(DescID(PRIM_CUBE_SUBX), GeData((LONG)1), DESCFLAGS_SET_0);
	Run(12);
	EXPECT_EQ(Param(cube_, DescID(PRIM_CUBE_SUBX)).GetLong(), 8);

	// Time: 15 frames is 0.5 s; with keys counting, plus the own 1 s.
	Link(DTYPE_TIME, 5, 1, DescID(STANDIN_CUBE_TIME_OFFSET));
	Constant(5, GeData(Frames(0)), GeData(Frames(15)));
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	Run(13);
	v = Param(cube_, DescID(STANDIN_CUBE_TIME_OFFSET));
	ASSERT_EQ(v.GetType(), DA_TIME);
	EXPECT_NEAR(v.GetTime().Get(), 0.5, kTight);
	EXPECT_NEAR(data()->GetTime(PULSOR_FINAL_OUTPUT + 5).GetNumerator(), 15.0, kTight);
	EXPECT_EQ(data()->GetTime(PULSOR_FINAL_OUTPUT + 5).GetDenominator(), 30.0);
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	cube_->SetParameter(DescID(STANDIN_CUBE_TIME_OFFSET), GeData(BaseTime(1.0)), DESCFLAGS_SET_0);
	Run(14);
	EXPECT_NEAR(Param(cube_, DescID(STANDIN_CUBE_TIME_OFFSET)).GetTime().Get(), 1.5, kTight);
}

TEST_F(SceneExecute, BoolReceivesTheFinalOutputAlone)
{
	Link(DTYPE_BOOL, 0, 1, DescID(PRIM_CUBE_DOFILLET));
	Constant(0, GeData(0.0), GeData(1.0));
	Run(5);
	EXPECT_EQ(Param(cube_, DescID(PRIM_CUBE_DOFILLET)).GetLong(), 1);
	EXPECT_TRUE(data()->GetBool(PULSOR_FINAL_OUTPUT + 0));
	// Below the threshold: 0, even with keys counting and the own value 1.
	data()->SetReal(PULSOR_END_VALUE + 0, 0.2);
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	Run(10);
	EXPECT_EQ(Param(cube_, DescID(PRIM_CUBE_DOFILLET)).GetLong(), 0);
	EXPECT_NEAR(data()->GetReal(PULSOR_THRESHOLD_DISTANCE), 0.2 - 0.5, kTight);
}

TEST_F(SceneExecute, VectorColourAndTheirComponents)
{
	const auto expectVector = [&](LONG id, Vector expected) {
		const Vector got = Param(cube_, DescID(id)).GetVector();
		EXPECT_NEAR(got.x, expected.x, kTight) << id;
		EXPECT_NEAR(got.y, expected.y, kTight) << id;
		EXPECT_NEAR(got.z, expected.z, kTight) << id;
	};
	// Whole vector.
	Link(DTYPE_VECTOR, 6, 2, DescID(ID_BASEOBJECT_REL_POSITION));
	Constant(6, GeData(Vector()), GeData(Vector(1, 2, 3)));
	Run(5);
	expectVector(ID_BASEOBJECT_REL_POSITION, Vector(1, 2, 3));
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	cube_->SetRelPos(Vector(10, 20, 30));
	Run(10);
	expectVector(ID_BASEOBJECT_REL_POSITION, Vector(11, 22, 33));

	// Whole colour.
	Link(DTYPE_COLOR, 2, 2, DescID(ID_BASEOBJECT_COLOR));
	Constant(2, GeData(Vector()), GeData(Vector(0.1, 0.2, 0.3)));
	Run(11);
	expectVector(ID_BASEOBJECT_COLOR, Vector(0.6, 0.7, 0.8));  // own grey 0.5 added
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	Run(12);
	expectVector(ID_BASEOBJECT_COLOR, Vector(0.1, 0.2, 0.3));

	// One component of a vector: position Z.
	Link(DTYPE_REAL, 1, 1, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION), DescLevel(VECTOR_Z)));
	Constant(1, GeData(0.0), GeData(5.0));
	cube_->SetRelPos(Vector(1, 2, 3));
	Run(13);
	expectVector(ID_BASEOBJECT_REL_POSITION, Vector(1, 2, 5));
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	cube_->SetRelPos(Vector(1, 2, 3));
	Run(14);
	expectVector(ID_BASEOBJECT_REL_POSITION, Vector(1, 2, 8));

	// One component of a colour: green.
	Link(DTYPE_REAL, 1, 1, DescID(DescLevel(ID_BASEOBJECT_COLOR), DescLevel(VECTOR_Y)));
	Constant(1, GeData(0.0), GeData(0.25));
	cube_->SetParameter(DescID(ID_BASEOBJECT_COLOR), GeData(Vector(0.5, 0.5, 0.5)), DESCFLAGS_SET_0);
	Run(15);
	expectVector(ID_BASEOBJECT_COLOR, Vector(0.5, 0.75, 0.5));
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	Run(16);
	expectVector(ID_BASEOBJECT_COLOR, Vector(0.5, 0.25, 0.5));
}

// ---- Misuse -----------------------------------------------------------------

TEST_F(SceneExecute, UnlinkedTagOrNoDocumentChangesNothing)
{
	const BaseContainer tagBefore = *data();
	const BaseContainer cubeBefore = cube_->GetData();
	Record();
	Run(10);
	EXPECT_TRUE(*data() == tagBefore);
	EXPECT_TRUE(cube_->GetData() == cubeBefore);
	EXPECT_TRUE(events_.empty());

	// A first level of id 0 under a deeper identifier is no link either.
	Link(DTYPE_REAL, 1, 1, DescID(DescLevel(0), DescLevel(VECTOR_X)));
	const BaseContainer linkedZero = *data();
	Run(11);
	EXPECT_TRUE(*data() == linkedZero);

	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(0.0), GeData(3.0));
	const BaseContainer linked = *data();
	EXPECT_EQ(pulsor()->Execute(tag_, nullptr, cube_, nullptr, 0, EXECUTIONFLAGS_EXPRESSION), EXECUTIONRESULT_OK);
	EXPECT_TRUE(*data() == linked);
	EXPECT_EQ(Radius(), 40.0);
	EXPECT_TRUE(events_.empty());
}

TEST_F(SceneExecute, HostileLinkRowWritesNothing)
{
	// A slot or mode outside the link-type table (a corrupt file) would put
	// values at the identifiers of other entries: nothing is computed.
	const struct
	{
		LONG linkType, slot, mode;
	} rows[] = { { DTYPE_REAL, 9, 1 }, { DTYPE_REAL, -3, 1 }, { DTYPE_REAL, 1, 5 }, { DTYPE_STRING, 1, 1 } };
	for (const auto& r : rows)
	{
		Link(r.linkType, r.slot, r.mode, DescID(PRIM_CUBE_FRAD));
		Constant(1, GeData(0.0), GeData(3.0));
		data()->SetReal(PULSOR_RANGE_MIN, 5.0);
		Record();
		Run(10);
		EXPECT_EQ(Radius(), 40.0) << r.linkType << " " << r.slot << " " << r.mode;
		EXPECT_FALSE(Has(PULSOR_LAST_FRAME));
		EXPECT_TRUE(events_.empty());
		// A component mode other than 1, 2 and 8 has the range 0 .. 0.
		if (r.mode == 5)
		{
			EXPECT_EQ(RangeMin(), 0.0);
			EXPECT_EQ(RangeMax(), 0.0);
		}
	}
}

TEST_F(SceneExecute, NotANumberTimeStaysSafe)
{
	// Every mapping gives NaN; the integer output truncates that to 0.
	Link(DTYPE_LONG, 3, 8, DescID(PRIM_CUBE_SUBX));
	Constant(3, GeData((LONG)0), GeData((LONG)7));
	PutTab(2, PULSOR_MOD_NOISE);
	PutTab(3, PULSOR_MOD_SIN);
	Run(std::numeric_limits<Real>::quiet_NaN());
	EXPECT_EQ(data()->GetLong(PULSOR_LAST_FRAME, -1), 0);
	EXPECT_EQ(data()->GetLong(PULSOR_FINAL_OUTPUT + 3, -1), 0);
	EXPECT_EQ(Param(cube_, DescID(PRIM_CUBE_SUBX)).GetLong(), 0);
}

// ---- Output range -----------------------------------------------------------

TEST_F(SceneRange, SingleValueAddsEachTabsSwing)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	Constant(1, GeData(12.0), GeData(2.0));  // lo 2, hi 12
	data()->SetReal(PULSOR_STRENGTH, 0.5);     // max 2 + 10 * 0.5
	LONG b = PutTab(2, PULSOR_MOD_SIN);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 1, 3.0);
	data()->SetReal(b + PULSOR_TAB_STRENGTH, 2.0);  // -6 / +6
	b = PutTab(3, PULSOR_MOD_SIN);
	data()->SetBool(b + PULSOR_TAB_NEGATIVE, FALSE);  // +1 only
	b = PutTab(4, PULSOR_MOD_SIN);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 1, 5.0);
	data()->RemoveData(b + PULSOR_TAB_STRENGTH);  // absent strength: 0
	b = PutTab(5, PULSOR_MOD_SIN);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 1, 0.5);
	data()->RemoveData(b + PULSOR_TAB_NEGATIVE);  // absent switches count as on
	data()->RemoveData(b + PULSOR_TAB_POSITIVE);
	Run(10);
	EXPECT_NEAR(RangeMin(), 2.0 - 6.0 - 0.5, kTight);
	EXPECT_NEAR(RangeMax(), 7.0 + 6.0 + 1.0 + 0.5, kTight);
}

TEST_F(SceneRange, IntegerAndTimeUseTheirOwnUnits)
{
	Link(DTYPE_LONG, 3, 8, DescID(PRIM_CUBE_SUBX));
	Constant(3, GeData((LONG)0), GeData((LONG)7));
	LONG b = PutTab(2, PULSOR_MOD_SIN);
	data()->SetLong(b + PULSOR_TAB_VARIATION + 3, 2);
	data()->SetReal(b + PULSOR_TAB_STRENGTH, 1.5);
	Run(10);
	EXPECT_NEAR(RangeMin(), -3.0, kTight);
	EXPECT_NEAR(RangeMax(), 10.0, kTight);

	Link(DTYPE_TIME, 5, 1, DescID(STANDIN_CUBE_TIME_OFFSET));
	Constant(5, GeData(Frames(0)), GeData(Frames(15)));
	data()->SetTime(b + PULSOR_TAB_VARIATION + 5, Frames(6));
	data()->SetReal(b + PULSOR_TAB_STRENGTH, 1.0);
	Run(11);
	EXPECT_NEAR(RangeMin(), -6.0, kTight);
	EXPECT_NEAR(RangeMax(), 21.0, kTight);
}

TEST_F(SceneRange, VectorSpansTheExtremesOfAllComponents)
{
	Link(DTYPE_VECTOR, 6, 2, DescID(ID_BASEOBJECT_REL_POSITION));
	Constant(6, GeData(Vector(0, 5, -10)), GeData(Vector(10, -5, 0)));
	const LONG b = PutTab(2, PULSOR_MOD_SIN);
	data()->SetVector(b + PULSOR_TAB_VARIATION + 6, Vector(1, 2, 3));
	data()->SetBool(b + PULSOR_TAB_NEGATIVE + 1, FALSE);
	// X -1 .. 11, Y -5 .. 7, Z -13 .. 3.
	Run(10);
	EXPECT_NEAR(RangeMin(), -13.0, kTight);
	EXPECT_NEAR(RangeMax(), 11.0, kTight);
}

TEST_F(SceneRange, AdditiveCoversTheClimbToTheDocumentEnd)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	// The document ends at frame 90; cycles of 7 frames: 12 whole ones and
	// 6 / 7 of the next along the ramp.
	Base(4, 0, 7, PULSOR_CURVE_LINEAR);
	Run(10);
	EXPECT_EQ(RangeMin(), 0.0);
	EXPECT_NEAR(RangeMax(), 10.0 * (12.0 + 6.0 / 7.0), kTight);
	// An offset of 2 frames: 88 frames left, 12 cycles and 4 / 7.
	data()->SetTime(PULSOR_TIME_OFFSET, Frames(2));
	Run(11);
	EXPECT_NEAR(RangeMax(), 10.0 * (12.0 + 4.0 / 7.0), kTight);
	// The constant curve climbs a whole travel per cycle and is 1 inside.
	data()->SetTime(PULSOR_TIME_OFFSET, Frames(0));
	PutCurve(PULSOR_TIME_CURVE, PULSOR_CURVE_CONSTANT);
	Run(12);
	EXPECT_NEAR(RangeMax(), 130.0, kTight);
	// A shorter document: 60 frames, 8 cycles and 4 / 7.
	PutCurve(PULSOR_TIME_CURVE, PULSOR_CURVE_LINEAR);
	doc_->SetMaxTime(BaseTime(2.0));
	Run(13);
	EXPECT_NEAR(RangeMax(), 10.0 * (8.0 + 4.0 / 7.0), kTight);
	// The climb per cycle is the curve's value at 1: nothing for the falling
	// ramp, which leaves 1 - 4 / 7 of the last cycle.
	PutCurve(PULSOR_TIME_CURVE, PULSOR_CURVE_FADE_DOWN);
	Run(14);
	EXPECT_NEAR(RangeMax(), 10.0 * (3.0 / 7.0), kTight);
	// Coinciding frames: the span counts as one frame, 60 cycles.
	Base(4, 0, 0, PULSOR_CURVE_LINEAR);
	Run(15);
	EXPECT_NEAR(RangeMax(), 600.0, kTight);
}
