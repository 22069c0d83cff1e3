// Links in a loaded scene of many elements: each finds its element by unique
// id, else the first element of its type and name in document order, else
// nothing; and the document keeps its elements in order as it is built and
// taken apart. A scene of tens of thousands of linked elements has to load
// (elements times links would not finish in any useful time).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "c4d.h"
#include "host_services.h"
#include "scene_file.h"

namespace
{

namespace fs = std::filesystem;

const LONG kLinkEntry = 5000;

class SceneLinksTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		std::random_device random;
		dir_ = fs::temp_directory_path() / ("scene_links_test_" + std::to_string(random()));
		ASSERT_TRUE(fs::create_directory(dir_));
		HostSetActiveDocument(nullptr);
	}
	void TearDown() override
	{
		std::error_code ec;
		fs::remove_all(dir_, ec);
	}

	BaseDocument* SaveAndLoad(const BaseDocument& doc)
	{
		const Filename file((dir_ / "scene").string().c_str());
		std::string problem;
		EXPECT_TRUE(SaveDocument(doc, file, &problem)) << problem;
		BaseDocument* loaded = LoadDocument(file, &problem);
		EXPECT_NE(loaded, nullptr) << problem;
		return loaded;
	}

	static void Link(BaseList2D* from, BaseList2D* to)
	{
		from->GetDataInstance()->SetLink(kLinkEntry, to);
	}
	static BaseList2D* Linked(BaseList2D* from)
	{
		return from->GetDataInstance()->GetLink(kLinkEntry, from->GetDocument());
	}

	fs::path dir_;
};

TEST_F(SceneLinksTest, EveryLinkOfALargeSceneFindsItsElement)
{
	const LONG count = 10000;
	BaseDocument* doc = BaseDocument::Alloc();
	std::vector<BaseObject*> ops;
	for (LONG i = 0; i < count; ++i)
	{
		BaseObject* op = BaseObject::Alloc(Ocube);
		op->SetName(String(("Box " + std::to_string(i)).c_str()));
		doc->InsertObject(op, ops.empty() ? nullptr : ops.back());
		ops.push_back(op);
		op->InsertTag(BaseTag::Alloc(Tdisplay));
	}
	BaseMaterial* paint = BaseMaterial::Alloc(Mmaterial);
	doc->InsertMaterial(paint);
	// Object i links to object (7 i) mod count, its tag to the object before,
	// the material to the last object.
	for (LONG i = 0; i < count; ++i)
	{
		Link(ops[(size_t)i], ops[(size_t)((7 * (LLONG)i) % count)]);
		Link(ops[(size_t)i]->GetFirstTag(), ops[(size_t)((i + count - 1) % count)]);
	}
	Link(paint, ops.back());

	BaseDocument* loaded = SaveAndLoad(*doc);
	ASSERT_NE(loaded, nullptr);
	ASSERT_EQ(loaded->GetObjectCount(), count);
	for (LONG i = 0; i < count; ++i)
	{
		BaseObject* op = loaded->GetObjectByIndex(i);
		ASSERT_EQ(op->GetName().GetStdString(), "Box " + std::to_string(i));
		ASSERT_EQ(Linked(op), loaded->GetObjectByIndex((LONG)((7 * (LLONG)i) % count))) << i;
		ASSERT_EQ(Linked(op->GetFirstTag()), loaded->GetObjectByIndex((i + count - 1) % count)) << i;
	}
	EXPECT_EQ(Linked(loaded->GetFirstMaterial()), loaded->GetObjectByIndex(count - 1));
	BaseDocument::Free(loaded);
	BaseDocument::Free(doc);
}

TEST_F(SceneLinksTest, ALinkWithoutItsIdFindsTheFirstElementOfItsTypeAndName)
{
	BaseDocument* doc = BaseDocument::Alloc();
	std::vector<BaseObject*> ops;
	for (const char* name : { "Twin", "Other", "Twin" })
	{
		BaseObject* op = BaseObject::Alloc(Ocube);
		op->SetName(name);
		doc->InsertObject(op, ops.empty() ? nullptr : ops.back());
		ops.push_back(op);
	}
	// Elements of another document: their ids are not in the scene.
	BaseDocument* elsewhere = BaseDocument::Alloc();
	BaseObject* twin = BaseObject::Alloc(Ocube);
	twin->SetName("Twin");
	elsewhere->InsertObject(twin);
	BaseObject* stranger = BaseObject::Alloc(Ocube);
	stranger->SetName("Stranger");
	elsewhere->InsertObject(stranger);
	Link(ops[1], twin);
	Link(ops[0], stranger);
	// The same id twice: the first in document order is the one found.
	HostSetUniqueId(ops[2], ops[0]->GetUniqueId());
	Link(ops[2], ops[0]);

	BaseDocument* loaded = SaveAndLoad(*doc);
	ASSERT_NE(loaded, nullptr);
	ASSERT_EQ(loaded->GetObjectCount(), 3);
	EXPECT_EQ(Linked(loaded->GetObjectByIndex(1)), loaded->GetObjectByIndex(0));
	EXPECT_EQ(Linked(loaded->GetObjectByIndex(0)), nullptr);
	EXPECT_EQ(Linked(loaded->GetObjectByIndex(2)), loaded->GetObjectByIndex(0));
	BaseDocument::Free(loaded);
	BaseDocument::Free(elsewhere);
	BaseDocument::Free(doc);
}

TEST_F(SceneLinksTest, LinksGoToTheLoadedSceneFirstAndOnlyThenToTheActiveDocument)
{
	BaseDocument* doc = BaseDocument::Alloc();
	BaseObject* target = BaseObject::Alloc(Ocube);
	target->SetName("Target");
	doc->InsertObject(target);
	BaseObject* holder = BaseObject::Alloc(Onull);
	doc->InsertObject(holder, target);
	Link(holder, target);
	// The active document: an element outside the scene, and one that has
	// the id of an element of the scene.
	BaseDocument* active = BaseDocument::Alloc();
	BaseObject* stranger = BaseObject::Alloc(Ocube);
	stranger->SetName("Stranger");
	active->InsertObject(stranger);
	BaseObject* impostor = BaseObject::Alloc(Ocube);
	HostSetUniqueId(impostor, target->GetUniqueId());
	active->InsertObject(impostor, stranger);
	Link(target, stranger);

	HostSetActiveDocument(active);
	BaseDocument* loaded = SaveAndLoad(*doc);
	HostSetActiveDocument(nullptr);
	ASSERT_NE(loaded, nullptr);
	ASSERT_EQ(loaded->GetObjectCount(), 2);
	EXPECT_EQ(Linked(loaded->GetObjectByIndex(1)), loaded->GetObjectByIndex(0));
	EXPECT_EQ(loaded->GetObjectByIndex(0)->GetDataInstance()->GetLink(kLinkEntry, nullptr), stranger);
	BaseDocument::Free(loaded);
	BaseDocument::Free(active);
	BaseDocument::Free(doc);
}

TEST_F(SceneLinksTest, ElementsKeepTheirOrderAsTheDocumentIsBuiltAndTakenApart)
{
	BaseDocument* doc = BaseDocument::Alloc();
	BaseObject* a = BaseObject::Alloc(Ocube);
	BaseObject* b = BaseObject::Alloc(Ocube);
	BaseObject* c = BaseObject::Alloc(Ocube);
	BaseObject* d = BaseObject::Alloc(Ocube);
	doc->InsertObject(a);
	doc->InsertObject(b, a);     // a b
	doc->InsertObject(c);        // c a b
	doc->InsertObject(d, a);     // c a d b
	ASSERT_EQ(doc->GetObjectCount(), 4);
	EXPECT_EQ(doc->GetObjectByIndex(0), c);
	EXPECT_EQ(doc->GetObjectByIndex(1), a);
	EXPECT_EQ(doc->GetObjectByIndex(2), d);
	EXPECT_EQ(doc->GetObjectByIndex(3), b);
	// An object already in a document is not inserted twice.
	doc->InsertObject(a, b);
	EXPECT_EQ(doc->GetObjectCount(), 4);

	BaseTag* t1 = BaseTag::Alloc(Tdisplay);
	BaseTag* t2 = BaseTag::Alloc(Tdisplay);
	BaseTag* t3 = BaseTag::Alloc(Tdisplay);
	a->InsertTag(t1);
	a->InsertTag(t2, t1);        // t1 t2
	a->InsertTag(t3, t1);        // t1 t3 t2
	ASSERT_EQ(a->GetTagCount(), 3);
	EXPECT_EQ(a->GetTagByIndex(1), t3);
	BaseTag::Free(t3);
	ASSERT_EQ(a->GetTagCount(), 2);
	EXPECT_EQ(a->GetTagByIndex(0), t1);
	EXPECT_EQ(a->GetTagByIndex(1), t2);

	BaseObject::Free(d);
	ASSERT_EQ(doc->GetObjectCount(), 3);
	EXPECT_EQ(doc->GetObjectByIndex(0), c);
	EXPECT_EQ(doc->GetObjectByIndex(1), a);
	EXPECT_EQ(doc->GetObjectByIndex(2), b);
	BaseObject::Free(c);
	EXPECT_EQ(doc->GetObjectByIndex(0), a);
	BaseDocument::Free(doc);
}

} // namespace
