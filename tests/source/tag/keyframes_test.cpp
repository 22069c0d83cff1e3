// Baking the output into keyframes of the linked parameter and clearing them
// again: ranges, the confirmation, both value paths, progress, undo, and the
// host's RecordKey that the bake relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing_fixture.h"

using pulsor_test::EditingTest;
using pulsor_test::PositionY;
using pulsor_test::Whole;

namespace
{

const Real kFps = 30.0;

BaseTime Frame(LONG f)
{
	return BaseTime((Real)f, kFps);
}

class KeyframeTest : public EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		if (HasFatalFailure())
			return;
		HostSetQuestionHandler(nullptr);
		HostSetStatusHandler(nullptr);
		doc_->SetFps(30);
		doc_->SetMinTime(Frame(0));
		doc_->SetMaxTime(Frame(90));
	}
	void TearDown() override
	{
		HostSetQuestionHandler(nullptr);
		HostSetStatusHandler(nullptr);
		EditingTest::TearDown();
	}

	// Links the cube's position Y and gives the tag an output that differs
	// from frame to frame: a ramp from 0 to 90 plus a sine.
	void LinkPositionY()
	{
		ASSERT_TRUE(Drop(cube_, PositionY()));
		ASSERT_TRUE(*LinkedId() == PositionY());
		data()->SetReal(PULSOR_START_VALUE + 1, 0.0);
		data()->SetReal(PULSOR_END_VALUE + 1, 90.0);
		data()->SetTime(PULSOR_START_TIME, Frame(0));
		data()->SetTime(PULSOR_END_TIME, Frame(90));
		UseLinearTimeCurve();
		const LONG sine = Add(PULSOR_MOD_SIN);
		data()->SetReal(TabBase(sine) + PULSOR_TAB_STRENGTH, 1.0);
		data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	}
	// A new tag's time curve is constant; the ramp needs the linear one.
	void UseLinearTimeCurve()
	{
		data()->SetData(PULSOR_TIME_CURVE, data()->GetContainer(PULSOR_CURVE_LIBRARY).GetData(PULSOR_CURVE_LINEAR));
	}
	Real Output(LONG f) { return pulsor()->CalculateOutput(data(), doc_, (Real)f, 0).GetReal(PULSOR_FINAL_OUTPUT + 1); }
	std::vector<Real> Outputs(LONG first, LONG last)
	{
		std::vector<Real> values;
		for (LONG f = first; f <= last; ++f)
			values.push_back(Output(f));
		return values;
	}

	CTrack* Track() const { return cube_->FindCTrack(PositionY()); }
	LONG KeyCount() const { return Track() ? Track()->GetCurve()->GetKeyCount() : 0; }
	// The frames of the keys, in order.
	std::vector<LONG> KeyFrames() const
	{
		std::vector<LONG> frames;
		for (LONG i = 0; i < KeyCount(); ++i)
			frames.push_back(Track()->GetCurve()->GetKey(i)->GetTime().GetFrame(kFps));
		return frames;
	}
	Real KeyValue(LONG f) const
	{
		const CKey* key = Track() ? Track()->GetCurve()->FindKey(Frame(f)) : nullptr;
		EXPECT_NE(key, nullptr) << "no key at frame " << f;
		return key ? key->GetValue() : -12345.0;
	}
	Real PositionYValue() const { return cube_->GetRelPos().y; }
	Bool HasKeys() const { return data()->GetBool(PULSOR_HAS_KEYS, FALSE); }
	void Sequence(LONG from, LONG to)
	{
		data()->SetBool(PULSOR_KEY_SEQUENCE, TRUE);
		data()->SetTime(PULSOR_KEY_FROM, Frame(from));
		data()->SetTime(PULSOR_KEY_TO, Frame(to));
	}
	// Records the questions asked and answers them with answer.
	void Answer(bool answer)
	{
		HostSetQuestionHandler([this, answer](const String& text) {
			questions_.push_back(text.GetStdString());
			return answer;
		});
	}
	void WatchStatus()
	{
		HostSetStatusHandler([this](LONG percent) { status_.push_back(percent); });
	}
	// Existing animation of position Y: 100 at frame 0 rising to 190 at 90.
	void AnimatePositionY()
	{
		CTrack* track = CTrack::Alloc(cube_, PositionY());
		ASSERT_NE(track, nullptr);
		cube_->InsertTrackSorted(track);
		track->GetCurve()->AddKey(Frame(0))->SetValue(track->GetCurve(), 100.0);
		track->GetCurve()->AddKey(Frame(90))->SetValue(track->GetCurve(), 190.0);
	}

	std::vector<std::string> questions_;
	std::vector<LONG> status_;
};

std::vector<LONG> Range(LONG first, LONG last)
{
	std::vector<LONG> frames;
	for (LONG f = first; f <= last; ++f)
		frames.push_back(f);
	return frames;
}

// ---- Ranges and values ------------------------------------------------------

TEST_F(KeyframeTest, BakesOneKeyPerFrameOfTheDocumentWithTheOutputAsValue)
{
	LinkPositionY();
	const std::vector<Real> expected = Outputs(0, 90);
	ASSERT_NE(expected[0], expected[45]);
	ASSERT_NE(expected[45], expected[89]);
	Answer(true);
	EXPECT_TRUE(Command(PULSOR_CONVERT_TO_KEYS));

	EXPECT_TRUE(questions_.empty());
	EXPECT_TRUE(HasKeys());
	EXPECT_EQ(KeyFrames(), Range(0, 90));
	for (LONG f = 0; f <= 90; ++f)
		EXPECT_DOUBLE_EQ(KeyValue(f), expected[(size_t)f]) << "frame " << f;
	// The parameter keeps the last frame's value and the time stays there.
	EXPECT_EQ(doc_->GetTime().GetFrame(kFps), 90);
	EXPECT_DOUBLE_EQ(PositionYValue(), expected.back());
	// A baked tag leaves the keys in charge during playback.
	doc_->SetTime(Frame(30));
	doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	EXPECT_DOUBLE_EQ(PositionYValue(), expected[30]);
}

TEST_F(KeyframeTest, AsksBeforeMoreThanAThousandFramesAndStopsOnNo)
{
	LinkPositionY();
	doc_->SetMaxTime(Frame(1001));
	const LONG undoSteps = doc_->GetUndoCount();
	Answer(false);
	Command(PULSOR_CONVERT_TO_KEYS);

	ASSERT_EQ(questions_.size(), 1u);
	EXPECT_EQ(questions_[0], "Are you sure you want to key frame 1001 frames?");
	EXPECT_EQ(Track(), nullptr);
	EXPECT_FALSE(HasKeys());
	EXPECT_EQ(doc_->GetUndoCount(), undoSteps);
	EXPECT_EQ(doc_->GetTime().GetFrame(kFps), 0);
}

TEST_F(KeyframeTest, BakesMoreThanAThousandFramesOnYes)
{
	LinkPositionY();
	doc_->SetMaxTime(Frame(1001));
	Answer(true);
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_EQ(questions_.size(), 1u);
	EXPECT_EQ(KeyCount(), 1002);
	EXPECT_TRUE(HasKeys());
	EXPECT_DOUBLE_EQ(KeyValue(1001), Output(1001));
}

TEST_F(KeyframeTest, AThousandFramesAreNotAskedAbout)
{
	LinkPositionY();
	doc_->SetMaxTime(Frame(1000));
	Answer(false);
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_TRUE(questions_.empty());
	EXPECT_EQ(KeyCount(), 1001);
}

TEST_F(KeyframeTest, AFarRangeIsRefusedUnaskedAlthoughItsLengthWrapsIn32Bits)
{
	// 4000000000 frames wrap to a negative 32-bit span, which would pass
	// both the question and the limit.
	LinkPositionY();
	doc_->SetMinTime(Frame(-2000000000));
	doc_->SetMaxTime(Frame(2000000000));
	Answer(true);
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_TRUE(questions_.empty());
	EXPECT_EQ(Track(), nullptr);
	EXPECT_FALSE(HasKeys());
}

TEST_F(KeyframeTest, TheLimitIsCheckedBeforeTheQuestion)
{
	// Just over the limit: refused without a question; just under: asked.
	LinkPositionY();
	Answer(false);
	Sequence(0, 1000000);
	Command(PULSOR_CONVERT_TO_KEYS);
	EXPECT_TRUE(questions_.empty());
	EXPECT_FALSE(HasKeys());
	Sequence(1, 1000000);
	Command(PULSOR_CONVERT_TO_KEYS);
	ASSERT_EQ(questions_.size(), 1u);
	EXPECT_EQ(questions_[0], "Are you sure you want to key frame 999999 frames?");
	EXPECT_FALSE(HasKeys());
}

// A range from a damaged or hostile file: no bake of more than a million
// frames is even started (it would exhaust memory and never end). Nothing
// changes: no track, no baked mark, no undo step, the container as it was.
TEST_F(KeyframeTest, ARangeOfMoreThanAMillionFramesIsNeverBaked)
{
	LinkPositionY();
	doc_->SetMinTime(Frame(-2000000000));
	doc_->SetMaxTime(Frame(2000000000));
	const BaseContainer before = *data();
	const LONG undoSteps = doc_->GetUndoCount();

	Command(PULSOR_BAKE_DIRECT);
	EXPECT_TRUE(questions_.empty());
	Answer(true);
	Command(PULSOR_CONVERT_TO_KEYS);
	EXPECT_TRUE(questions_.empty());
	pulsor()->Keyframe(tag_, data(), doc_);

	EXPECT_EQ(Track(), nullptr);
	EXPECT_FALSE(HasKeys());
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(doc_->GetUndoCount(), undoSteps);
}

TEST_F(KeyframeTest, TheLimitCountsFramesOfTheKeyframeSequence)
{
	LinkPositionY();
	// One frame more than a million, from "From" to "To" inclusive.
	Sequence(0, 1000000);
	const BaseContainer before = *data();
	Command(PULSOR_BAKE_DIRECT);
	EXPECT_EQ(Track(), nullptr);
	EXPECT_TRUE(*data() == before);

	// The document's range is not what counts under "Keyframe Sequence".
	Sequence(10, 12);
	Command(PULSOR_BAKE_DIRECT);
	EXPECT_EQ(KeyFrames(), Range(10, 12));
	EXPECT_TRUE(HasKeys());
}

TEST_F(KeyframeTest, KeyframeSequenceBakesFromToOnly)
{
	LinkPositionY();
	Sequence(10, 20);
	const std::vector<Real> expected = Outputs(10, 20);
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_EQ(KeyFrames(), Range(10, 20));
	for (LONG f = 10; f <= 20; ++f)
		EXPECT_DOUBLE_EQ(KeyValue(f), expected[(size_t)(f - 10)]);
	EXPECT_EQ(doc_->GetTime().GetFrame(kFps), 20);
}

TEST_F(KeyframeTest, FromAndToAreIgnoredWithoutKeyframeSequence)
{
	LinkPositionY();
	Sequence(10, 20);
	data()->SetBool(PULSOR_KEY_SEQUENCE, FALSE);
	Command(PULSOR_CONVERT_TO_KEYS);
	EXPECT_EQ(KeyFrames(), Range(0, 90));
}

TEST_F(KeyframeTest, OneFrameRangeBakesOneKeyAtHalfProgress)
{
	LinkPositionY();
	Sequence(15, 15);
	WatchStatus();
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_EQ(KeyFrames(), std::vector<LONG>{ 15 });
	EXPECT_DOUBLE_EQ(KeyValue(15), Output(15));
	EXPECT_EQ(status_, (std::vector<LONG>{ 50, -1 }));
	EXPECT_TRUE(HasKeys());
}

TEST_F(KeyframeTest, EmptyRangeBakesNothingButMarksTheTagBaked)
{
	LinkPositionY();
	Sequence(20, 10);
	doc_->SetTime(Frame(5));
	WatchStatus();
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_EQ(Track(), nullptr);
	EXPECT_TRUE(HasKeys());
	EXPECT_EQ(status_, std::vector<LONG>{ -1 });
	EXPECT_EQ(doc_->GetTime().GetFrame(kFps), 5);
}

TEST_F(KeyframeTest, ProgressRunsFromHalfToFullThenClears)
{
	LinkPositionY();
	WatchStatus();
	Command(PULSOR_CONVERT_TO_KEYS);

	ASSERT_EQ(status_.size(), 92u);
	for (LONG i = 0; i <= 90; ++i)
		EXPECT_EQ(status_[(size_t)i], (LONG)(i * 50.0 / 90.0) + 50) << "frame " << i;
	EXPECT_EQ(status_.front(), 50);
	EXPECT_EQ(status_[89], 99);
	EXPECT_EQ(status_[90], 100);
	EXPECT_EQ(status_.back(), -1);
}

TEST_F(KeyframeTest, BakingAgainReplacesTheKeys)
{
	LinkPositionY();
	Command(PULSOR_BAKE_DIRECT);
	Command(PULSOR_CLEAR_KEYS_NO_UNDO);
	AnimatePositionY();
	Track()->GetCurve()->AddKey(Frame(200))->SetValue(Track()->GetCurve(), 7.0);
	data()->SetReal(PULSOR_END_VALUE + 1, 45.0);
	const std::vector<Real> expected = Outputs(0, 90);
	Command(PULSOR_BAKE_DIRECT);

	// Keys inside the range are replaced; the one outside stays.
	EXPECT_EQ(KeyCount(), 92);
	EXPECT_DOUBLE_EQ(KeyValue(0), expected[0]);
	EXPECT_DOUBLE_EQ(KeyValue(90), expected[90]);
	EXPECT_DOUBLE_EQ(KeyValue(200), 7.0);
}

// ---- Ignore Original Keyframes ----------------------------------------------

class KeyframeValuePathTest : public KeyframeTest
{
protected:
	void SetUp() override
	{
		KeyframeTest::SetUp();
		if (HasFatalFailure())
			return;
		LinkPositionY();
		AnimatePositionY();
		// The tag has run before, as it has in any scene the user works in.
		doc_->SetTime(Frame(45));
		doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		HostSetObserver([this](const HostEvent& e) {
			if (e.kind == HostEvent::EVENT_ADD)
				++updates_;
			if (e.kind == HostEvent::MESSAGE && e.element == cube_ && e.code == 5)
				++messages_;
		});
	}
	LONG updates_ = 0;
	LONG messages_ = 0;
};

TEST_F(KeyframeValuePathTest, IgnoringTheParametersOwnAnimationBakesTheOutputAlone)
{
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	const std::vector<Real> expected = Outputs(0, 90);
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_EQ(KeyCount(), 91);
	for (LONG f = 0; f <= 90; ++f)
		EXPECT_DOUBLE_EQ(KeyValue(f), expected[(size_t)f]) << "frame " << f;
	// No scene evaluation was requested.
	EXPECT_EQ(updates_, 0);
	EXPECT_EQ(messages_, 0);
}

TEST_F(KeyframeValuePathTest, OtherwiseTheOwnAnimationIsAddedFrameByFrame)
{
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	const std::vector<Real> expected = Outputs(0, 90);
	Command(PULSOR_CONVERT_TO_KEYS);

	EXPECT_EQ(KeyCount(), 91);
	for (LONG f = 0; f <= 90; ++f)
		EXPECT_NEAR(KeyValue(f), 100.0 + f + expected[(size_t)f], 1e-9) << "frame " << f;
	EXPECT_EQ(updates_, 91);
	EXPECT_EQ(messages_, 91);
	EXPECT_EQ(doc_->GetTime().GetFrame(kFps), 90);
	EXPECT_NEAR(PositionYValue(), 190.0 + expected[90], 1e-9);
}

// An unanimated parameter keeps its own value through the bake's
// evaluations: each key is that value plus the output, not a running sum.
TEST_F(KeyframeTest, AnUnanimatedOwnValueIsAddedOnceToEveryKey)
{
	LinkPositionY();
	cube_->SetRelPos(Vector(0.0, 100.0, 0.0));
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	Sequence(0, 20);
	const std::vector<Real> expected = Outputs(0, 20);
	Command(PULSOR_CONVERT_TO_KEYS);

	ASSERT_EQ(KeyCount(), 21);
	for (LONG f = 0; f <= 20; ++f)
		EXPECT_NEAR(KeyValue(f), 100.0 + expected[(size_t)f], 1e-9) << "frame " << f;
}

// Without the switch the bake takes the evaluation path, and the evaluation
// pass reads the same absence as "ignore": the keys are what playback shows.
TEST_F(KeyframeValuePathTest, AbsentSwitchBakesWhatTheEvaluationShows)
{
	data()->RemoveData(PULSOR_IGNORE_KEYS);
	Sequence(10, 12);
	const std::vector<Real> expected = Outputs(10, 12);
	Command(PULSOR_BAKE_DIRECT);
	EXPECT_EQ(messages_, 3);
	EXPECT_DOUBLE_EQ(KeyValue(11), expected[1]);
}

TEST_F(KeyframeTest, AWholeVectorIsKeyedAsAVector)
{
	ASSERT_TRUE(Drop(cube_, Whole(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR)));
	data()->SetVector(PULSOR_START_VALUE + 6, Vector(0.0, 0.0, 0.0));
	data()->SetVector(PULSOR_END_VALUE + 6, Vector(90.0, 45.0, 9.0));
	data()->SetTime(PULSOR_START_TIME, Frame(0));
	data()->SetTime(PULSOR_END_TIME, Frame(90));
	UseLinearTimeCurve();
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	Sequence(0, 10);
	const Vector expected = pulsor()->CalculateOutput(data(), doc_, 7.0, 0).GetVector(PULSOR_FINAL_OUTPUT + 6);
	ASSERT_NE(expected.x, 0.0);
	Command(PULSOR_CONVERT_TO_KEYS);

	CTrack* track = cube_->FindCTrack(Whole(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR));
	ASSERT_NE(track, nullptr);
	EXPECT_EQ(track->GetCurve()->GetKeyCount(), 11);
	const CKey* key = track->GetCurve()->FindKey(Frame(7));
	ASSERT_NE(key, nullptr);
	EXPECT_EQ(key->GetGeData().GetType(), DA_VECTOR);
	EXPECT_EQ(key->GetGeData().GetVector(), expected);
}

// ---- Nothing to bake --------------------------------------------------------

TEST_F(KeyframeTest, ANewTagIsMarkedBakedWithoutAKey)
{
	WatchStatus();
	for (Bool ignore : { TRUE, FALSE })
	{
		data()->SetBool(PULSOR_IGNORE_KEYS, ignore);
		data()->SetBool(PULSOR_HAS_KEYS, FALSE);
		Command(PULSOR_CONVERT_TO_KEYS);
		EXPECT_TRUE(HasKeys());
		EXPECT_EQ(cube_->GetTrackCount(), 0);
		EXPECT_EQ(doc_->GetTime().GetFrame(kFps), 0);
	}
	EXPECT_TRUE(status_.empty());
	Command(PULSOR_CLEAR_KEYS);
	EXPECT_FALSE(HasKeys());
}

TEST_F(KeyframeTest, WithoutALinkedElementNoCommandDoesAnything)
{
	LinkPositionY();
	data()->SetLong(PULSOR_LINK_CLASS, Mbase);
	data()->RemoveData(PULSOR_LINK);
	const LONG undoSteps = doc_->GetUndoCount();
	Command(PULSOR_CONVERT_TO_KEYS);
	Command(PULSOR_BAKE_DIRECT);
	EXPECT_FALSE(HasKeys());
	data()->SetBool(PULSOR_HAS_KEYS, TRUE);
	Command(PULSOR_CLEAR_KEYS);
	Command(PULSOR_CLEAR_KEYS_NO_UNDO);
	EXPECT_TRUE(HasKeys());
	EXPECT_EQ(cube_->GetTrackCount(), 0);
	EXPECT_EQ(doc_->GetUndoCount(), undoSteps);
}

// ---- Clearing ---------------------------------------------------------------

TEST_F(KeyframeTest, ClearingRemovesTheTrackAndLiftsTheMark)
{
	LinkPositionY();
	// Another parameter's animation is none of the tag's business.
	const DescID positionX(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_X, DTYPE_REAL, 0));
	ASSERT_TRUE(doc_->RecordKey(cube_, Frame(3), positionX, nullptr, FALSE, FALSE, FALSE));
	Command(PULSOR_CONVERT_TO_KEYS);
	ASSERT_NE(Track(), nullptr);
	const Real last = PositionYValue();
	const LONG undoSteps = doc_->GetUndoCount();

	Command(PULSOR_CLEAR_KEYS);
	EXPECT_EQ(Track(), nullptr);
	EXPECT_FALSE(HasKeys());
	EXPECT_NE(cube_->FindCTrack(positionX), nullptr);
	EXPECT_DOUBLE_EQ(PositionYValue(), last);
	EXPECT_EQ(doc_->GetUndoCount(), undoSteps + 1);
}

TEST_F(KeyframeTest, ClearingWithoutUndoRecordsNoStep)
{
	LinkPositionY();
	Command(PULSOR_BAKE_DIRECT);
	ASSERT_NE(Track(), nullptr);
	const LONG undoSteps = doc_->GetUndoCount();

	Command(PULSOR_CLEAR_KEYS_NO_UNDO);
	EXPECT_EQ(Track(), nullptr);
	EXPECT_FALSE(HasKeys());
	EXPECT_EQ(doc_->GetUndoCount(), undoSteps);
}

TEST_F(KeyframeTest, ClearingAParameterWithoutTrackOnlyLiftsTheMark)
{
	LinkPositionY();
	data()->SetBool(PULSOR_HAS_KEYS, TRUE);
	EXPECT_TRUE(pulsor()->ClearKeyframes(cube_, data()));
	EXPECT_FALSE(HasKeys());
	EXPECT_EQ(cube_->GetTrackCount(), 0);
}

TEST_F(KeyframeTest, BakeDirectNeitherAsksNorRecordsUndo)
{
	LinkPositionY();
	doc_->SetMaxTime(Frame(2000));
	Answer(false);
	const LONG undoSteps = doc_->GetUndoCount();
	Command(PULSOR_BAKE_DIRECT);
	EXPECT_TRUE(questions_.empty());
	EXPECT_EQ(KeyCount(), 2001);
	EXPECT_TRUE(HasKeys());
	EXPECT_EQ(doc_->GetUndoCount(), undoSteps);
}

// ---- Undo -------------------------------------------------------------------
// A host undo step restores an element's data container, name and tracks;
// these tests check the tag's baked mark and the parameter's value, and
// undo_steps_test.cpp the keys.

TEST_F(KeyframeTest, UndoAndRedoOfABake)
{
	LinkPositionY();
	cube_->SetRelPos(Vector(1.0, 2.0, 3.0));
	const BaseContainer before = *data();
	const Real last = Output(90);
	const LONG undoSteps = doc_->GetUndoCount();
	Command(PULSOR_CONVERT_TO_KEYS);
	ASSERT_EQ(doc_->GetUndoCount(), undoSteps + 1);
	ASSERT_DOUBLE_EQ(PositionYValue(), last);

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_FALSE(HasKeys());
	EXPECT_TRUE(*data() == before);
	EXPECT_EQ(cube_->GetRelPos(), Vector(1.0, 2.0, 3.0));

	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_TRUE(HasKeys());
	EXPECT_DOUBLE_EQ(PositionYValue(), last);
	EXPECT_EQ(cube_->GetRelPos().x, 1.0);
}

TEST_F(KeyframeTest, UndoAndRedoOfAClear)
{
	LinkPositionY();
	Command(PULSOR_CONVERT_TO_KEYS);
	const Real last = PositionYValue();
	const LONG undoSteps = doc_->GetUndoCount();
	Command(PULSOR_CLEAR_KEYS);
	ASSERT_EQ(doc_->GetUndoCount(), undoSteps + 1);
	ASSERT_FALSE(HasKeys());

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_TRUE(HasKeys());
	EXPECT_DOUBLE_EQ(PositionYValue(), last);
	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_FALSE(HasKeys());
	EXPECT_DOUBLE_EQ(PositionYValue(), last);
}

// ---- The host's RecordKey ---------------------------------------------------

TEST_F(KeyframeTest, RecordKeyCreatesTheTrackAndReplacesAKeyAtTheSameTime)
{
	cube_->SetRelPos(Vector(0.0, 4.0, 0.0));
	ASSERT_TRUE(doc_->RecordKey(cube_, Frame(6), PositionY(), nullptr, FALSE, FALSE, FALSE));
	ASSERT_NE(Track(), nullptr);
	EXPECT_EQ(Track()->GetObject(), cube_);
	EXPECT_EQ(KeyCount(), 1);
	EXPECT_EQ(Track()->GetCurve()->FindKey(Frame(6))->GetGeData().GetType(), DA_REAL);
	EXPECT_DOUBLE_EQ(KeyValue(6), 4.0);

	cube_->SetRelPos(Vector(0.0, 5.0, 0.0));
	ASSERT_TRUE(doc_->RecordKey(cube_, Frame(6), PositionY(), nullptr, TRUE, TRUE, TRUE));
	ASSERT_TRUE(doc_->RecordKey(cube_, Frame(2), PositionY(), nullptr, FALSE, FALSE, FALSE));
	EXPECT_EQ(cube_->GetTrackCount(), 1);
	EXPECT_EQ(KeyFrames(), (std::vector<LONG>{ 2, 6 }));
	EXPECT_DOUBLE_EQ(KeyValue(6), 5.0);
}

TEST_F(KeyframeTest, RecordKeyRefusesWhatItCannotKey)
{
	EXPECT_FALSE(doc_->RecordKey(nullptr, Frame(1), PositionY(), nullptr, FALSE, FALSE, FALSE));
	EXPECT_FALSE(doc_->RecordKey(cube_, Frame(1), DescID(), nullptr, FALSE, FALSE, FALSE));
	EXPECT_FALSE(doc_->RecordKey(cube_, BaseTime(1.0, 0.0), PositionY(), nullptr, FALSE, FALSE, FALSE));
	EXPECT_EQ(cube_->GetTrackCount(), 0);
}

} // namespace
