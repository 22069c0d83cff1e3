#include <gtest/gtest.h>

#include "c4d.h"
#include "customgui_priority.h"
#include "plugin_registry.h"

namespace
{

const LONG kPlainTag = 1999001;
const LONG kFailingTag = 1999002;

class PlainTag : public TagData
{
public:
	static NodeData* Alloc() { return new PlainTag; }
	Bool Init(GeListNode* node) override
	{
		static_cast<BaseList2D*>(node)->GetDataInstance()->SetVector(10, Vector(1, 2, 3));
		return TRUE;
	}
	// Supplies parameter 77 itself; everything else goes to the host.
	Bool GetDParameter(GeListNode*, const DescID& id, GeData& t_data, DESCFLAGS_GET& flags) override
	{
		if (id[0].id == 77)
		{
			t_data = GeData((LONG)77);
			flags |= DESCFLAGS_GET_PARAM_GET;
		}
		return TRUE;
	}
};

class FailingTag : public TagData
{
public:
	static NodeData* Alloc() { return new FailingTag; }
	Bool Init(GeListNode*) override { return FALSE; }
};

class Elements : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		RegisterTagPlugin(kPlainTag, "Plain", TAG_VISIBLE | TAG_EXPRESSION, PlainTag::Alloc, "Texpression", nullptr, 0);
		RegisterTagPlugin(kFailingTag, "Failing", TAG_VISIBLE, FailingTag::Alloc, "Tbase", nullptr, 0);
	}
};

TEST_F(Elements, RegistrationRefusesTakenIdsAndMissingAllocators)
{
	EXPECT_FALSE(RegisterTagPlugin(kPlainTag, "Again", TAG_VISIBLE, PlainTag::Alloc, "Texpression", nullptr, 0));
	EXPECT_FALSE(RegisterTagPlugin(1999003, "NoAlloc", TAG_VISIBLE, nullptr, "T", nullptr, 0));
	EXPECT_FALSE(RegisterTagPlugin(1999004, "", TAG_VISIBLE, PlainTag::Alloc, "Tbase", nullptr, 0));
	// A description that no module registered cannot be the type's page.
	EXPECT_FALSE(RegisterTagPlugin(1999005, "NoPage", TAG_VISIBLE, PlainTag::Alloc, "Tnowhere", nullptr, 0));
	TagPluginInfo info;
	ASSERT_TRUE(FindTagPlugin(kPlainTag, &info));
	EXPECT_EQ(info.name, String("Plain"));
}

TEST_F(Elements, TagAllocRunsInitAndRefusesUnknownOrFailingTypes)
{
	EXPECT_EQ(BaseTag::Alloc(123), nullptr);
	EXPECT_EQ(BaseTag::Alloc(kFailingTag), nullptr);
	BaseTag* tag = BaseTag::Alloc(kPlainTag);
	ASSERT_NE(tag, nullptr);
	EXPECT_EQ(tag->GetType(), kPlainTag);
	EXPECT_EQ(tag->GetClassification(), (LONG)Tbase);
	EXPECT_EQ(tag->GetName(), String("Plain"));
	EXPECT_EQ(tag->GetDataInstance()->GetVector(10), Vector(1, 2, 3));
	// Expression tags carry the priority parameter from the start.
	GeData priority;
	EXPECT_TRUE(tag->GetParameter(DescID(EXPRESSION_PRIORITY), priority, DESCFLAGS_GET_0));
	EXPECT_EQ(priority.GetType(), CUSTOMGUI_PRIORITY_DATA);
	BaseTag::Free(tag);
	EXPECT_EQ(tag, nullptr);
}

TEST_F(Elements, ParametersAddressWholeValuesComponentsAndTheName)
{
	BaseTag* tag = BaseTag::Alloc(kPlainTag);
	ASSERT_NE(tag, nullptr);
	GeData v;
	EXPECT_TRUE(tag->GetParameter(DescID(DescLevel(10), DescLevel(VECTOR_Y)), v, DESCFLAGS_GET_0));
	EXPECT_EQ(v.GetReal(), 2.0);
	EXPECT_TRUE(tag->SetParameter(DescID(DescLevel(10), DescLevel(VECTOR_Z)), GeData(9.0), DESCFLAGS_SET_0));
	EXPECT_EQ(tag->GetDataInstance()->GetVector(10), Vector(1, 2, 9));

	// Missing parameters and levels that are no component report failure.
	EXPECT_FALSE(tag->GetParameter(DescID(11), v, DESCFLAGS_GET_0));
	EXPECT_FALSE(tag->GetParameter(DescID(DescLevel(10), DescLevel(5)), v, DESCFLAGS_GET_0));
	EXPECT_FALSE(tag->GetParameter(DescID(), v, DESCFLAGS_GET_0));
	EXPECT_FALSE(tag->SetParameter(DescID(DescLevel(11), DescLevel(VECTOR_X)), GeData(1.0), DESCFLAGS_SET_0));

	// An empty value is refused and leaves no entry behind.
	EXPECT_FALSE(tag->SetParameter(DescID(12), GeData(), DESCFLAGS_SET_0));
	EXPECT_EQ(tag->GetDataInstance()->GetDataPointer(12), nullptr);

	EXPECT_TRUE(tag->SetParameter(DescID(ID_BASELIST_NAME), GeData("Renamed"), DESCFLAGS_SET_0));
	EXPECT_EQ(tag->GetName(), String("Renamed"));
	EXPECT_FALSE(tag->SetParameter(DescID(ID_BASELIST_NAME), GeData(1.0), DESCFLAGS_SET_0));

	// The plug-in's hook answers first.
	EXPECT_TRUE(tag->GetParameter(DescID(77), v, DESCFLAGS_GET_0));
	EXPECT_EQ(v.GetLong(), 77);
	BaseTag::Free(tag);
}

TEST_F(Elements, LinksLetGoOfDeletedElements)
{
	BaseTag* target = BaseTag::Alloc(kPlainTag);
	BaseContainer bc;
	bc.SetLink(1, target);
	BaseContainer copy = bc;
	EXPECT_EQ(bc.GetLink(1, nullptr), target);
	EXPECT_EQ(bc.GetLink(1, nullptr, kPlainTag), target);
	EXPECT_EQ(bc.GetLink(1, nullptr, Obase), nullptr);
	BaseTag::Free(target);
	EXPECT_EQ(bc.GetLink(1, nullptr), nullptr);
	EXPECT_EQ(copy.GetLink(1, nullptr), nullptr);
	bc.SetLink(2, nullptr);
	EXPECT_EQ(bc.GetType(2), DA_ALIASLINK);
	EXPECT_EQ(bc.GetLink(2, nullptr), nullptr);
}

TEST_F(Elements, DirtyCountsFollowTheirFlags)
{
	BaseTag* tag = BaseTag::Alloc(kPlainTag);
	EXPECT_EQ(tag->GetDirty(DIRTYFLAGS_DESCRIPTION), 0u);
	tag->SetDirty(DIRTYFLAGS_DESCRIPTION);
	tag->SetDirty(DIRTYFLAGS_DESCRIPTION);
	tag->SetDirty(DIRTYFLAGS_DATA);
	EXPECT_EQ(tag->GetDirty(DIRTYFLAGS_DESCRIPTION), 2u);
	EXPECT_EQ(tag->GetDirty(DIRTYFLAGS_DATA), 1u);
	BaseTag::Free(tag);
}

} // namespace
