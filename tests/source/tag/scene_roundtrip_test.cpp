// A scene saved and loaded again evaluates exactly as before: the tag's whole
// state is its container, and the scene file keeps every bit of it.
#include <gtest/gtest.h>

#include <cstring>

#include "editing_fixture.h"
#include "scene_file.h"

using pulsor_test::Whole;

namespace
{

class SceneRoundTripTest : public pulsor_test::EditingTest
{
protected:
	pulsor_test::TempFolder files_;
};

LLONG Bits(Real v)
{
	LLONG bits;
	std::memcpy(&bits, &v, sizeof bits);
	return bits;
}

TEST_F(SceneRoundTripTest, ALoadedPulsorTagEvaluatesBitIdentically)
{
	Drop(cube_, Whole(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR));
	for (LONG type : { PULSOR_MOD_NOISE, PULSOR_MOD_SIN, PULSOR_MOD_BOUNCE, PULSOR_MOD_CUSTOM })
		PickModifier(type);
	data()->SetVector(PULSOR_END_VALUE + 6, Vector(30.0, 40.0, 50.0));
	data()->SetBool(PULSOR_IGNORE_KEYS, FALSE);
	CTrack* track = CTrack::Alloc(cube_, DescID(ID_BASEOBJECT_REL_POSITION));
	track->GetCurve()->AddKey(BaseTime(0.0))->SetGeData(track->GetCurve(), GeData(Vector(0.0)));
	track->GetCurve()->AddKey(BaseTime(2.0))->SetGeData(track->GetCurve(), GeData(Vector(10.0, 20.0, 30.0)));
	cube_->InsertTrackSorted(track);

	const Filename file((files_.Path() / "scene").string().c_str());
	std::string problem;
	ASSERT_TRUE(SaveDocument(*doc_, file, &problem)) << problem;
	BaseDocument* loaded = LoadDocument(file, &problem);
	ASSERT_NE(loaded, nullptr) << problem;
	BaseObject* cube = loaded->GetFirstObject();
	ASSERT_NE(cube, nullptr);
	ASSERT_EQ(cube->GetTagCount(), 1);
	// Every entry comes back; the link points at the loaded cube, not the
	// original one.
	BaseContainer original = *data();
	BaseContainer restored = *cube->GetTagByIndex(0)->GetDataInstance();
	EXPECT_EQ(restored.GetLink(PULSOR_LINK, loaded), cube);
	original.RemoveData(PULSOR_LINK);
	restored.RemoveData(PULSOR_LINK);
	EXPECT_TRUE(restored == original);
	EXPECT_EQ(cube->GetTagByIndex(0)->GetName(), tag_->GetName());

	for (LONG frame = 0; frame < 75; frame += 5)
	{
		for (BaseDocument* doc : { doc_, loaded })
		{
			doc->SetTime(BaseTime((Real)frame, 30.0));
			HostSetActiveDocument(doc);
			ASSERT_TRUE(doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0));
		}
		const Vector a = cube_->GetRelPos();
		const Vector b = cube->GetRelPos();
		EXPECT_EQ(Bits(a.x), Bits(b.x)) << frame;
		EXPECT_EQ(Bits(a.y), Bits(b.y)) << frame;
		EXPECT_EQ(Bits(a.z), Bits(b.z)) << frame;
	}
	HostSetActiveDocument(doc_);
	BaseDocument::Free(loaded);
}

} // namespace
