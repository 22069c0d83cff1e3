// Where links of container files find their elements: the lookup in document
// order and the indexed resolver that scene loading uses must agree on every
// element kind, on repeated ids and names, and on what is not there.
#include <gtest/gtest.h>

#include <vector>

#include "c4d.h"
#include "file_links.h"
#include "scene_file.h"

namespace
{

class FileLinksTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		doc = BaseDocument::Alloc();
		doc->SetName("Scene");
		first = Add(Ocube, "Twin");
		second = Add(Ocube, "Twin");
		tag = BaseTag::Alloc(Tdisplay);
		tag->SetName("Twin");
		second->InsertTag(tag);
		material = BaseMaterial::Alloc(Mmaterial);
		material->SetName("Paint");
		doc->InsertMaterial(material);
	}
	void TearDown() override { BaseDocument::Free(doc); }

	BaseObject* Add(LONG type, const char* name)
	{
		BaseObject* op = BaseObject::Alloc(type);
		op->SetName(name);
		doc->InsertObject(op, doc->GetObjectCount() ? doc->GetObjectByIndex(doc->GetObjectCount() - 1) : nullptr);
		return op;
	}

	// Both lookups, which must agree.
	BaseList2D* Find(LLONG id, LONG type, const char* name)
	{
		BaseList2D* found = FindElementForLink(doc, id, type, String(name));
		EXPECT_EQ(DocumentLinkResolver(doc)(id, type, String(name)), found) << id << " " << type << " " << name;
		return found;
	}

	BaseDocument* doc = nullptr;
	BaseObject* first = nullptr;
	BaseObject* second = nullptr;
	BaseTag* tag = nullptr;
	BaseMaterial* material = nullptr;
};

const LLONG kNoSuchId = -12345;

TEST_F(FileLinksTest, AnIdFindsItsElementOfAnyKindWhateverTheTypeAndName)
{
	for (BaseList2D* element : std::vector<BaseList2D*>{ doc, first, second, tag, material })
		EXPECT_EQ(Find(element->GetUniqueId(), Ocube, "Paint"), element);
}

TEST_F(FileLinksTest, WithoutTheIdTheFirstElementOfTheTypeAndNameInDocumentOrderIsFound)
{
	EXPECT_EQ(Find(kNoSuchId, Ocube, "Twin"), first);
	EXPECT_EQ(Find(kNoSuchId, Tdisplay, "Twin"), tag);
	EXPECT_EQ(Find(kNoSuchId, Mmaterial, "Paint"), material);
	EXPECT_EQ(Find(kNoSuchId, doc->GetType(), "Scene"), doc);
	EXPECT_EQ(Find(kNoSuchId, Onull, "Twin"), nullptr);
	EXPECT_EQ(Find(kNoSuchId, Ocube, "twin"), nullptr);
}

TEST_F(FileLinksTest, ARepeatedIdFindsTheFirstElementThatHasIt)
{
	// A tag before a material, an object before its own tag.
	HostSetUniqueId(material, tag->GetUniqueId());
	EXPECT_EQ(Find(tag->GetUniqueId(), Mmaterial, "Paint"), tag);
	HostSetUniqueId(tag, second->GetUniqueId());
	EXPECT_EQ(Find(second->GetUniqueId(), Tdisplay, "Twin"), second);
}

TEST_F(FileLinksTest, NoDocumentHoldsNothing)
{
	EXPECT_EQ(FindElementForLink(nullptr, first->GetUniqueId(), Ocube, String("Twin")), nullptr);
	EXPECT_EQ(DocumentLinkResolver(nullptr)(first->GetUniqueId(), Ocube, String("Twin")), nullptr);
}

} // namespace
