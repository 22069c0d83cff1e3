// Tags whose results have the same entries take turns with one result
// container: what each tag gets, and what a caller keeps of a result, must
// not depend on the tags evaluated around it.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "tagged_scene.h"

namespace
{

struct TagSetup
{
	std::vector<LONG> tabs;
	Real strength;
	Bool feedback;
};

class Scene
{
public:
	Scene() : doc_(tagged_scene::NewDocument()) {}
	~Scene() { tagged_scene::Free(doc_); }
	Scene(const Scene&) = delete;
	Scene& operator=(const Scene&) = delete;

	// A cube whose position the new tag animates, as a user sets it up.
	BaseTag* Add(const TagSetup& setup)
	{
		BaseTag* tag = tagged_scene::AddLinkedCube(doc_, tagged_scene::Place::Last);
		BaseContainer* data = tag->GetDataInstance();
		data->SetBool(PULSOR_FEEDBACK, setup.feedback);
		data->SetVector(PULSOR_END_VALUE + PULSOR_SLOT_VECTOR, Vector(100.0, 50.0, 25.0));
		data->SetReal(PULSOR_STRENGTH, setup.strength);
		Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
		for (LONG type : setup.tabs)
			pulsor->AddTab(data, tag, type);
		return tag;
	}

	void Run(LONG frame)
	{
		doc_->SetTime(BaseTime((Real)frame, 30.0));
		doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	}

	BaseDocument* doc() const { return doc_; }

private:
	BaseDocument* doc_;
};

// Every number the tag holds (its displays among them) and its object's
// position, exactly.
std::map<LONG, std::pair<LONG, Vector>> Numbers(BaseTag* tag)
{
	std::map<LONG, std::pair<LONG, Vector>> numbers;
	const BaseContainer* data = tag->GetDataInstance();
	for (LONG i = 0; data->GetIndexData(i); ++i)
	{
		const GeData* value = data->GetIndexData(i);
		if (value->GetType() == DA_REAL || value->GetType() == DA_LONG)
			numbers[data->GetIndexId(i)] = { value->GetType(), Vector(value->GetReal(), 0.0, 0.0) };
		else if (value->GetType() == DA_VECTOR)
			numbers[data->GetIndexId(i)] = { DA_VECTOR, value->GetVector() };
	}
	GeData position;
	tag->GetObject()->GetParameter(DescID(ID_BASEOBJECT_REL_POSITION), position, DESCFLAGS_GET_0);
	numbers[-1] = { DA_VECTOR, position.GetVector() };
	return numbers;
}

const LONG kFrames[] = { 0, 1, 7, 30, 31, 89, 3 };

TEST(SharedResult, EachTagGetsWhatItWouldGetAlone)
{
	// Two of one layout with different values, and three of other layouts
	// (more tabs, the same tabs in another order, no feedback), in turn.
	const std::vector<TagSetup> setups = {
		{ { PULSOR_MOD_NOISE, PULSOR_MOD_SIN }, 1.0, TRUE },
		{ { PULSOR_MOD_SIN, PULSOR_MOD_COS, PULSOR_MOD_SQUARE }, 0.8, TRUE },
		{ { PULSOR_MOD_NOISE, PULSOR_MOD_SIN }, 0.5, TRUE },
		{ { PULSOR_MOD_NOISE, PULSOR_MOD_SIN }, 2.0, FALSE },
		{ { PULSOR_MOD_BOUNCE, PULSOR_MOD_CUSTOM }, 1.5, TRUE },
	};
	Scene together;
	std::vector<BaseTag*> tags;
	for (const TagSetup& setup : setups)
		tags.push_back(together.Add(setup));

	for (size_t i = 0; i < setups.size(); ++i)
	{
		Scene alone;
		BaseTag* tag = alone.Add(setups[i]);
		for (LONG frame : kFrames)
		{
			together.Run(frame);
			alone.Run(frame);
			EXPECT_EQ(Numbers(tags[i]), Numbers(tag)) << "tag " << i << " frame " << frame;
		}
	}
}

// Far more evaluations of another layout than the shared result's own make
// that layout the shared one; both keep their results.
TEST(SharedResult, ALayoutThatRarelyFitsGivesWay)
{
	const TagSetup rare = { { PULSOR_MOD_SIN }, 1.0, TRUE };
	const TagSetup common = { { PULSOR_MOD_NOISE, PULSOR_MOD_COS }, 0.7, TRUE };
	Scene together;
	BaseTag* first = together.Add(rare);
	std::vector<BaseTag*> many;
	for (int i = 0; i < 40; ++i)
		many.push_back(together.Add(common));
	Scene alone;
	BaseTag* rareAlone = alone.Add(rare);
	BaseTag* commonAlone = alone.Add(common);
	for (LONG frame = 0; frame < 60; ++frame)
	{
		together.Run(frame);
		alone.Run(frame);
		ASSERT_EQ(Numbers(first), Numbers(rareAlone)) << frame;
		ASSERT_EQ(Numbers(many.back()), Numbers(commonAlone)) << frame;
	}
}

TEST(SharedResult, AResultTheCallerKeepsStaysAsItWas)
{
	Scene scene;
	BaseTag* first = scene.Add({ { PULSOR_MOD_NOISE, PULSOR_MOD_SIN }, 1.0, TRUE });
	BaseTag* second = scene.Add({ { PULSOR_MOD_NOISE, PULSOR_MOD_SIN }, 0.25, TRUE });
	Pulsor* pulsor = static_cast<Pulsor*>(first->GetNodeData());
	scene.Run(0);

	const BaseContainer kept = pulsor->CalculateOutput(first->GetDataInstance(), scene.doc(), 12.0, 1);
	ASSERT_NE(kept.GetIndexData(0), nullptr);
	std::vector<std::pair<LONG, Vector>> before;
	for (LONG i = 0; kept.GetIndexData(i); ++i)
		before.emplace_back(kept.GetIndexId(i), kept.GetIndexData(i)->GetType() == DA_VECTOR
			? kept.GetIndexData(i)->GetVector() : Vector(kept.GetIndexData(i)->GetReal(), 0.0, 0.0));

	const BaseContainer other = static_cast<Pulsor*>(second->GetNodeData())->CalculateOutput(second->GetDataInstance(), scene.doc(), 12.0, 1);
	ASSERT_NE(other.GetIndexData(0), nullptr);
	EXPECT_NE(kept, other);
	scene.Run(40);

	std::vector<std::pair<LONG, Vector>> after;
	for (LONG i = 0; kept.GetIndexData(i); ++i)
		after.emplace_back(kept.GetIndexId(i), kept.GetIndexData(i)->GetType() == DA_VECTOR
			? kept.GetIndexData(i)->GetVector() : Vector(kept.GetIndexData(i)->GetReal(), 0.0, 0.0));
	EXPECT_EQ(before, after);
}

} // namespace
