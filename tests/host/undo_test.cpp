// The document's undo history: what a step saves of an element (its tracks
// and keys among it), redo, and the bound a program that never undoes sets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "c4d.h"
#include "host_services.h"

namespace
{

DescID PositionY()
{
	return DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));
}

DescID PositionX()
{
	return DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_X, DTYPE_REAL, 0));
}

BaseTime Frame(LONG f)
{
	return BaseTime((Real)f, 30.0);
}

// Every track of an element as (parameter's last level, [(frame, value)]).
using Keys = std::vector<std::pair<Real, Real>>;
std::vector<std::pair<LONG, Keys>> Tracks(BaseList2D* element)
{
	std::vector<std::pair<LONG, Keys>> tracks;
	for (LONG i = 0; i < element->GetTrackCount(); ++i)
	{
		CTrack* track = element->GetTrackByIndex(i);
		const DescID& id = track->GetDescriptionID();
		Keys keys;
		for (LONG k = 0; k < track->GetCurve()->GetKeyCount(); ++k)
		{
			const CKey* key = track->GetCurve()->GetKey(k);
			keys.push_back(std::make_pair(key->GetTime().Get() * 30.0, key->GetValue()));
		}
		tracks.push_back(std::make_pair(id[id.GetDepth() - 1].id, keys));
	}
	return tracks;
}

class Undo : public ::testing::Test
{
protected:
	void SetUp() override
	{
		doc_ = BaseDocument::Alloc();
		cube_ = BaseObject::Alloc(Ocube);
		ASSERT_NE(cube_, nullptr);
		doc_->InsertObject(cube_);
	}
	void TearDown() override { BaseDocument::Free(doc_); }

	void Key(const DescID& id, LONG frame, Real value)
	{
		Vector p = cube_->GetRelPos();
		(id[1].id == VECTOR_X ? p.x : p.y) = value;
		cube_->SetRelPos(p);
		ASSERT_TRUE(doc_->RecordKey(cube_, Frame(frame), id, nullptr, FALSE, FALSE, FALSE));
	}
	// One group with a step for the cube around edit.
	template <typename Edit>
	void Step(Edit edit)
	{
		doc_->StartUndo();
		doc_->AddUndo(UNDOTYPE_CHANGE, cube_);
		edit();
		doc_->EndUndo();
	}

	BaseDocument* doc_ = nullptr;
	BaseObject* cube_ = nullptr;
};

TEST_F(Undo, KeysRecordedInAStepGoOnUndoAndComeBackOnRedo)
{
	Step([&] {
		Key(PositionY(), 0, 1.0);
		Key(PositionY(), 10, 2.0);
	});
	const auto baked = Tracks(cube_);
	ASSERT_EQ(baked.size(), 1u);

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(cube_->GetTrackCount(), 0);
	EXPECT_EQ(cube_->FindCTrack(PositionY()), nullptr);
	EXPECT_EQ(cube_->GetRelPos().y, 0.0);

	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_EQ(Tracks(cube_), baked);
	ASSERT_NE(cube_->FindCTrack(PositionY()), nullptr);
	EXPECT_EQ(cube_->FindCTrack(PositionY())->GetObject(), cube_);
	EXPECT_EQ(cube_->GetRelPos().y, 2.0);
}

TEST_F(Undo, RemovedTracksAndChangedKeysComeBackInTheirOrder)
{
	Key(PositionX(), 0, 5.0);
	Key(PositionY(), 0, 1.0);
	Key(PositionY(), 20, 3.0);
	const auto before = Tracks(cube_);

	Step([&] {
		// A cleared track, a key moved and re-valued on the other, one added.
		CTrack* x = cube_->FindCTrack(PositionX());
		CTrack::Free(x);
		CCurve* y = cube_->FindCTrack(PositionY())->GetCurve();
		y->GetKey(0)->SetValue(y, -7.0);
		y->GetKey(1)->SetTime(y, Frame(25));
		y->AddKey(Frame(40))->SetValue(y, 9.0);
	});
	const auto after = Tracks(cube_);
	ASSERT_NE(after, before);

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(Tracks(cube_), before);
	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_EQ(Tracks(cube_), after);
	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(Tracks(cube_), before);
}

// Two steps for the same element in one group: the earlier state wins, and
// redo brings the state from the end of the group.
TEST_F(Undo, TwoStepsOfOneElementUndoToTheFirst)
{
	Key(PositionY(), 0, 1.0);
	const auto before = Tracks(cube_);
	doc_->StartUndo();
	doc_->AddUndo(UNDOTYPE_CHANGE, cube_);
	Key(PositionY(), 5, 2.0);
	doc_->AddUndo(UNDOTYPE_CHANGE, cube_);
	Key(PositionY(), 9, 3.0);
	doc_->EndUndo();
	const auto after = Tracks(cube_);

	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(Tracks(cube_), before);
	ASSERT_TRUE(doc_->DoRedo());
	EXPECT_EQ(Tracks(cube_), after);
}

// ---- The bound --------------------------------------------------------------

TEST_F(Undo, WithoutHistoryNothingIsRecordedAndEditsStay)
{
	HostSetUndoLimit(doc_, 0);
	for (LONG i = 0; i < 50; ++i)
		Step([&] { cube_->SetName(String(std::to_string(i).c_str())); });
	// A step outside a group would join the last group.
	doc_->AddUndo(UNDOTYPE_CHANGE, cube_);
	EXPECT_EQ(doc_->GetUndoCount(), 0);
	EXPECT_EQ(doc_->GetRedoCount(), 0);
	EXPECT_FALSE(doc_->DoUndo());
	EXPECT_EQ(cube_->GetName(), String("49"));
}

TEST_F(Undo, ABoundedHistoryKeepsTheNewestGroups)
{
	HostSetUndoLimit(doc_, 3);
	cube_->SetName("0");
	for (LONG i = 1; i <= 10; ++i)
		Step([&] { cube_->SetName(String(std::to_string(i).c_str())); });
	EXPECT_EQ(doc_->GetUndoCount(), 3);
	for (const char* name : { "9", "8", "7" })
	{
		ASSERT_TRUE(doc_->DoUndo());
		EXPECT_EQ(cube_->GetName(), String(name));
	}
	EXPECT_FALSE(doc_->DoUndo());
	EXPECT_EQ(doc_->GetRedoCount(), 3);
	for (const char* name : { "8", "9", "10" })
	{
		ASSERT_TRUE(doc_->DoRedo());
		EXPECT_EQ(cube_->GetName(), String(name));
	}
}

TEST_F(Undo, ABoundSetLaterDropsTheOldestGroupsAndNoBoundKeepsAll)
{
	for (LONG i = 1; i <= 6; ++i)
		Step([&] { cube_->SetName(String(std::to_string(i).c_str())); });
	EXPECT_EQ(doc_->GetUndoCount(), 6);
	HostSetUndoLimit(doc_, 2);
	EXPECT_EQ(doc_->GetUndoCount(), 2);
	ASSERT_TRUE(doc_->DoUndo());
	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(cube_->GetName(), String("4"));
	EXPECT_FALSE(doc_->DoUndo());

	HostSetUndoLimit(doc_, -1);
	for (LONG i = 0; i < 20; ++i)
		Step([&] { cube_->SetName("x"); });
	EXPECT_EQ(doc_->GetUndoCount(), 20);
}

// The dropped groups let go of their elements: one freed afterwards is no
// trouble for the history.
TEST_F(Undo, ADroppedGroupReleasesItsElement)
{
	HostSetUndoLimit(doc_, 1);
	BaseObject* other = BaseObject::Alloc(Onull);
	doc_->InsertObject(other);
	doc_->StartUndo();
	doc_->AddUndo(UNDOTYPE_CHANGE, other);
	doc_->EndUndo();
	Step([&] { cube_->SetName("kept"); });
	other->Remove();
	BaseObject::Free(other);
	EXPECT_EQ(doc_->GetUndoCount(), 1);
	ASSERT_TRUE(doc_->DoUndo());
	EXPECT_EQ(cube_->GetName(), String("Cube"));
}

} // namespace
