// What undo and redo of the tag's edits bring back beyond its container: the
// baked keys of the linked parameter, and the setup a preset load replaced.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "editing_fixture.h"

using pulsor_test::EditingTest;
using pulsor_test::PositionY;

namespace
{

const Real kFps = 30.0;

BaseTime Frame(LONG f)
{
	return BaseTime((Real)f, kFps);
}

class UndoStepsTest : public EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		if (HasFatalFailure())
			return;
		HostSetQuestionHandler(nullptr);
		doc_->SetFps(30);
		doc_->SetMinTime(Frame(0));
		doc_->SetMaxTime(Frame(30));
		ASSERT_TRUE(Drop(cube_, PositionY()));
		// A constant output of 4 on position Y.
		data()->SetReal(PULSOR_START_VALUE + 1, 4.0);
		data()->SetReal(PULSOR_END_VALUE + 1, 4.0);
	}
	void TearDown() override
	{
		HostSetQuestionHandler(nullptr);
		EditingTest::TearDown();
	}

	// (frame, value) of every key of position Y.
	std::vector<std::pair<LONG, Real>> Keys() const
	{
		std::vector<std::pair<LONG, Real>> keys;
		CTrack* track = cube_->FindCTrack(PositionY());
		for (LONG i = 0; track && i < track->GetCurve()->GetKeyCount(); ++i)
		{
			const CKey* key = track->GetCurve()->GetKey(i);
			keys.push_back(std::make_pair(key->GetTime().GetFrame(kFps), key->GetValue()));
		}
		return keys;
	}
	// Bake Direct records no step of its own: a script that wants it undone
	// wraps it as the host does a user's edit.
	void BakeDirectInGroup()
	{
		doc_->StartUndo();
		doc_->AddUndo(UNDOTYPE_CHANGE, tag_);
		doc_->AddUndo(UNDOTYPE_CHANGE, cube_);
		Command(PULSOR_BAKE_DIRECT);
		doc_->EndUndo();
	}
	Real PositionYAt(LONG frame)
	{
		doc_->SetTime(Frame(frame));
		EXPECT_TRUE(doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
		return cube_->GetRelPos().y;
	}
	void ExpectUndoRedoOfBake(bool direct)
	{
		data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
		const BaseContainer before = *data();
		const Vector position = cube_->GetRelPos();
		if (direct)
			BakeDirectInGroup();
		else
			Command(PULSOR_CONVERT_TO_KEYS);
		const std::vector<std::pair<LONG, Real>> baked = Keys();
		ASSERT_EQ(baked.size(), 31u);
		const BaseContainer afterBake = *data();

		ASSERT_TRUE(doc_->DoUndo());
		EXPECT_EQ(cube_->GetTrackCount(), 0);
		EXPECT_TRUE(*data() == before);
		EXPECT_EQ(cube_->GetRelPos(), position);
		// The output alone: no baked key left for it to be added to.
		EXPECT_DOUBLE_EQ(PositionYAt(12), 4.0);

		ASSERT_TRUE(doc_->DoRedo());
		EXPECT_EQ(Keys(), baked);
		EXPECT_TRUE(*data() == afterBake);
	}
};

TEST_F(UndoStepsTest, UndoOfConvertToKeyframesTakesTheKeysAwayAndRedoBringsThem)
{
	ExpectUndoRedoOfBake(false);
}

TEST_F(UndoStepsTest, UndoOfBakeDirectInAGroupTakesTheKeysAwayAndRedoBringsThem)
{
	ExpectUndoRedoOfBake(true);
}

TEST_F(UndoStepsTest, UndoOfClearKeyframesBringsTheKeysBack)
{
	data()->SetBool(PULSOR_IGNORE_KEYS, TRUE);
	Command(PULSOR_CONVERT_TO_KEYS);
	const std::vector<std::pair<LONG, Real>> baked = Keys();
	ASSERT_FALSE(baked.empty());
	Command(PULSOR_CLEAR_KEYS);
	ASSERT_EQ(cube_->GetTrackCount(), 0);

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(Keys(), baked);
	EXPECT_TRUE(data()->GetBool(PULSOR_HAS_KEYS));
	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_EQ(cube_->GetTrackCount(), 0);
	EXPECT_FALSE(data()->GetBool(PULSOR_HAS_KEYS));
	// And the bake itself is undone after both.
	ASSERT_TRUE(doc_->DoUndo());
	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(cube_->GetTrackCount(), 0);
	EXPECT_FALSE(data()->GetBool(PULSOR_HAS_KEYS));
}

// ---- Preset load --------------------------------------------------------------

class PresetUndoTest : public EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		if (HasFatalFailure())
			return;
		data()->SetString(PULSOR_PRESET_FOLDER, folder_.Text().c_str());
	}
	void Press(LONG id, const char* name)
	{
		data()->SetString(PULSOR_PRESET_NAME, name);
		Command(id);
	}

	pulsor_test::TempFolder folder_;
};

TEST_F(PresetUndoTest, LoadingIsOneStepThatUndoesToTheEarlierSetup)
{
	Add(PULSOR_MOD_BOUNCE);
	tag_->SetName("Shared");
	Press(PULSOR_PRESET_SAVE, "Bouncy");

	// Another setup, the last edit of it undoable.
	data()->SetContainer(PULSOR_TAB_LIST, BaseContainer());
	tag_->SetName("Mine");
	const BaseContainer beforeEdit = *data();
	doc_->StartUndo();
	doc_->AddUndo(UNDOTYPE_CHANGE, tag_);
	data()->SetReal(PULSOR_VOLUME, 0.5);
	doc_->EndUndo();
	const BaseContainer beforeLoad = *data();
	const LONG steps = doc_->GetUndoCount();

	Press(PULSOR_PRESET_LOAD, "Bouncy");
	ASSERT_EQ(TagName(), "Shared");
	EXPECT_EQ(doc_->GetUndoCount(), steps + 1);
	const BaseContainer loaded = *data();

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(TagName(), "Mine");
	// The name pressed before the load is set outside any step; the rest is
	// the earlier setup.
	EXPECT_TRUE(*data() == beforeLoad);
	// The edit before the load undoes to its own earlier state.
	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_TRUE(*data() == beforeEdit);
	ASSERT_TRUE(doc_->DoRedo());
	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_TRUE(*data() == loaded);
	EXPECT_EQ(TagName(), "Shared");
}

TEST_F(PresetUndoTest, AFailedLoadRecordsNoStep)
{
	const LONG steps = doc_->GetUndoCount();
	Press(PULSOR_PRESET_LOAD, "Missing");
	EXPECT_EQ(doc_->GetUndoCount(), steps);
}

} // namespace
