#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "c4d.h"
#include "customgui_priority.h"
#include "host_services.h"

namespace
{

const LONG kOrderTag = 1999101;
const LONG kSelfScheduledTag = 1999102;

// Appends its own name to a log when it runs.
std::vector<std::string>* g_log = nullptr;

class OrderTag : public TagData
{
public:
	static NodeData* Alloc() { return new OrderTag; }
	EXECUTIONRESULT Execute(BaseTag* tag, BaseDocument*, BaseObject*, BaseThread*, LONG, EXECUTIONFLAGS) override
	{
		if (g_log)
			g_log->push_back(tag->GetName().GetStdString());
		return EXECUTIONRESULT_OK;
	}
};

class SelfScheduledTag : public OrderTag
{
public:
	static NodeData* Alloc() { return new SelfScheduledTag; }
	Bool AddToExecution(BaseTag* tag, PriorityList* list) override
	{
		list->Add(tag, EXECUTIONPRIORITY_INITIAL, EXECUTIONFLAGS_0);
		return TRUE;
	}
};

// Replaces the containers of the tags that run after it with texts of its
// own, of a size that differs from tag to tag, and checks that its own
// container holds what the tag before it wrote.
const LONG kReshapeTag = 1999103;
const LONG kWriterId = 1000;
const LONG kFirstText = 2000;
std::vector<BaseTag*>* g_reshaped = nullptr;
std::vector<LONG>* g_readWriters = nullptr;

LONG TextsWrittenBy(LONG writer) { return 1 + writer * 37 % 200; }
String TextOf(LONG writer, LONG k) { return String((std::to_string(writer) + "/" + std::to_string(k)).c_str()); }

class ReshapeTag : public TagData
{
public:
	static NodeData* Alloc() { return new ReshapeTag; }
	EXECUTIONRESULT Execute(BaseTag* tag, BaseDocument*, BaseObject*, BaseThread*, LONG, EXECUTIONFLAGS) override
	{
		const BaseContainer& own = *tag->GetDataInstance();
		const LONG writer = own.GetLong(kWriterId, -1);
		bool whole = writer >= 0;
		for (LONG k = 0; whole && k < TextsWrittenBy(writer); ++k)
			whole = own.GetString(kFirstText + k) == TextOf(writer, k);
		g_readWriters->push_back(whole ? writer : -1);

		const std::vector<BaseTag*>& tags = *g_reshaped;
		const size_t self = (size_t)(std::find(tags.begin(), tags.end(), tag) - tags.begin());
		for (size_t later = self + 1; later < tags.size() && later <= self + 6; ++later)
		{
			BaseContainer* data = tags[later]->GetDataInstance();
			data->FlushAll();
			for (LONG k = 0; k < TextsWrittenBy((LONG)self); ++k)
				data->SetString(kFirstText + k, TextOf((LONG)self, k));
			data->SetLong(kWriterId, (LONG)self);
		}
		return EXECUTIONRESULT_OK;
	}
};

// Schedules a tag that is on no object, late in the pass.
const LONG kDetachedSchedulerTag = 1999104;
BaseTag* g_detached = nullptr;

class DetachedSchedulerTag : public OrderTag
{
public:
	static NodeData* Alloc() { return new DetachedSchedulerTag; }
	Bool AddToExecution(BaseTag*, PriorityList* list) override
	{
		list->Add(g_detached, EXECUTIONPRIORITY_EXPRESSION + 100, EXECUTIONFLAGS_0);
		return TRUE;
	}
};

class Scene : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		RegisterTagPlugin(kOrderTag, "Order", TAG_VISIBLE | TAG_MULTIPLE | TAG_EXPRESSION, OrderTag::Alloc, "Texpression", nullptr, 0);
		RegisterTagPlugin(kSelfScheduledTag, "Self", TAG_VISIBLE | TAG_EXPRESSION, SelfScheduledTag::Alloc, "Texpression", nullptr, 0);
		RegisterTagPlugin(kDetachedSchedulerTag, "Detached scheduler", TAG_VISIBLE | TAG_EXPRESSION, DetachedSchedulerTag::Alloc, "Texpression", nullptr, 0);
		RegisterTagPlugin(kReshapeTag, "Reshape", TAG_VISIBLE | TAG_MULTIPLE | TAG_EXPRESSION, ReshapeTag::Alloc, "Texpression", nullptr, 0);
	}
	void SetUp() override { doc = BaseDocument::Alloc(); }
	void TearDown() override { BaseDocument::Free(doc); }

	BaseTag* AddOrderTag(BaseObject* op, const char* name, LONG priority, LONG type = kOrderTag)
	{
		BaseTag* tag = BaseTag::Alloc(type);
		tag->SetName(name);
		PriorityData pd;
		pd.SetPriorityValue(PRIORITYVALUE_MODE, GeData((LONG)EXECUTIONPRIORITY_EXPRESSION));
		pd.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData(priority));
		tag->SetParameter(DescID(EXPRESSION_PRIORITY), GeData(CUSTOMGUI_PRIORITY_DATA, pd), DESCFLAGS_SET_0);
		op->InsertTag(tag, op->GetTagByIndex(op->GetTagCount() - 1));
		return tag;
	}

	BaseDocument* doc = nullptr;
};

TEST_F(Scene, DocumentSettingsHoldFrameRateAndTimeRange)
{
	EXPECT_EQ(doc->GetFps(), 30);
	EXPECT_EQ(doc->GetData(DOCUMENTSETTINGS_GENERAL).GetLong(DOCUMENT_FPS), 30);
	EXPECT_EQ(doc->GetData(DOCUMENTSETTINGS_GENERAL).GetTime(DOCUMENT_MINTIME).Get(), 0.0);
	EXPECT_EQ(doc->GetData(DOCUMENTSETTINGS_GENERAL).GetTime(DOCUMENT_MAXTIME).Get(), 3.0);
	doc->SetFps(0);
	EXPECT_EQ(doc->GetFps(), 1);
	doc->SetFps(25);
	doc->SetTime(BaseTime(2.0));
	EXPECT_EQ(doc->GetTime().GetFrame(doc->GetFps()), 50);
	// Other settings kinds hold nothing.
	EXPECT_EQ(doc->GetData(DOCUMENTSETTINGS_MODELING).GetIndexId(0), -1);
}

TEST_F(Scene, CatalogueElementsHaveTheirParametersOnly)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	ASSERT_NE(cube, nullptr);
	EXPECT_EQ(BaseObject::Alloc(424242), nullptr);
	EXPECT_EQ(BaseObject::Alloc(Mmaterial), nullptr);
	EXPECT_EQ(cube->GetName(), String("Cube"));
	GeData v;
	EXPECT_TRUE(cube->GetParameter(DescID(ID_BASEOBJECT_REL_SCALE), v, DESCFLAGS_GET_0));
	EXPECT_EQ(v.GetVector(), Vector(1, 1, 1));
	EXPECT_FALSE(cube->GetParameter(DescID(2001), v, DESCFLAGS_GET_0));
	EXPECT_FALSE(cube->SetParameter(DescID(2001), GeData(1.0), DESCFLAGS_SET_0));
	EXPECT_EQ(cube->GetDataInstance()->GetType(2001), DA_NIL);

	// Values are stored in the parameter's own type.
	EXPECT_TRUE(cube->SetParameter(DescID(PRIM_CUBE_SUBX), GeData(3.7), DESCFLAGS_SET_0));
	EXPECT_EQ(cube->GetDataInstance()->GetType(PRIM_CUBE_SUBX), DA_LONG);
	EXPECT_EQ(cube->GetDataInstance()->GetLong(PRIM_CUBE_SUBX), 3);
	EXPECT_TRUE(cube->SetParameter(DescID(PRIM_CUBE_DOFILLET), GeData(0.5), DESCFLAGS_SET_0));
	EXPECT_EQ(cube->GetDataInstance()->GetLong(PRIM_CUBE_DOFILLET), 1);
	EXPECT_FALSE(cube->SetParameter(DescID(PRIM_CUBE_FRAD), GeData("text"), DESCFLAGS_SET_0));
	EXPECT_FALSE(cube->SetParameter(DescID(ID_BASEOBJECT_REL_POSITION), GeData(1.0), DESCFLAGS_SET_0));
	EXPECT_FALSE(cube->SetParameter(DescID(STANDIN_CUBE_TIME_OFFSET), GeData(1.0), DESCFLAGS_SET_0));
	EXPECT_TRUE(cube->SetParameter(DescID(STANDIN_CUBE_TIME_OFFSET), GeData(BaseTime(1.5)), DESCFLAGS_SET_0));

	// A component level writes one component of a vector or colour.
	EXPECT_TRUE(cube->SetParameter(DescID(DescLevel(ID_BASEOBJECT_COLOR), DescLevel(VECTOR_Y)), GeData(0.25), DESCFLAGS_SET_0));
	EXPECT_EQ(cube->GetDataInstance()->GetVector(ID_BASEOBJECT_COLOR), Vector(0.5, 0.25, 0.5));
	EXPECT_FALSE(cube->SetParameter(DescID(DescLevel(PRIM_CUBE_FRAD), DescLevel(VECTOR_Y)), GeData(1.0), DESCFLAGS_SET_0));
	BaseObject::Free(cube);

	BaseMaterial* mat = BaseMaterial::Alloc(Mmaterial);
	ASSERT_NE(mat, nullptr);
	EXPECT_EQ(mat->GetClassification(), (LONG)Mbase);
	EXPECT_EQ(mat->GetDataInstance()->GetReal(MATERIAL_COLOR_BRIGHTNESS), 1.0);
	BaseMaterial::Free(mat);

	BaseTag* display = BaseTag::Alloc(Tdisplay);
	ASSERT_NE(display, nullptr);
	EXPECT_TRUE(display->GetParameter(DescID(DISPLAYTAG_VISIBILITY), v, DESCFLAGS_GET_0));
	EXPECT_EQ(v.GetReal(), 1.0);
	BaseTag::Free(display);
}

TEST_F(Scene, ElementsKnowTheirDocumentAndLinksFollowIt)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	BaseTag* tag = BaseTag::Alloc(Tdisplay);
	cube->InsertTag(tag);
	EXPECT_EQ(tag->GetDocument(), nullptr);
	doc->InsertObject(cube);
	EXPECT_EQ(cube->GetDocument(), doc);
	EXPECT_EQ(tag->GetDocument(), doc);
	EXPECT_EQ(tag->GetObject(), cube);

	BaseMaterial* mat = BaseMaterial::Alloc(Mmaterial);
	doc->InsertMaterial(mat);
	BaseContainer links;
	links.SetLink(1, tag);
	links.SetLink(2, mat);
	EXPECT_EQ(links.GetLink(1, doc), tag);
	EXPECT_EQ(links.GetLink(2, doc), mat);

	// Removed from the document: links into it no longer resolve there.
	tag->Remove();
	EXPECT_EQ(tag->GetObject(), nullptr);
	EXPECT_EQ(tag->GetDocument(), nullptr);
	EXPECT_EQ(cube->GetTagCount(), 0);
	EXPECT_EQ(links.GetLink(1, doc), nullptr);
	BaseTag::Free(tag);
	EXPECT_EQ(links.GetLink(1, nullptr), nullptr);

	// Freed while in the document: the document lets go of it.
	BaseMaterial::Free(mat);
	EXPECT_EQ(doc->GetMaterialCount(), 0);
	EXPECT_EQ(links.GetLink(2, doc), nullptr);
	EXPECT_EQ(doc->GetObjectCount(), 1);
}

TEST_F(Scene, TracksInterpolateRealsAndVectorsAndHoldIntegers)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	doc->InsertObject(cube);
	const DescID radius(PRIM_CUBE_FRAD);
	CTrack* track = CTrack::Alloc(cube, radius);
	track->GetCurve()->AddKey(BaseTime(10.0, 30.0))->SetValue(track->GetCurve(), 2.0);
	track->GetCurve()->AddKey(BaseTime(0.0, 30.0))->SetValue(track->GetCurve(), 0.0);
	cube->InsertTrackSorted(track);
	EXPECT_EQ(cube->FindCTrack(radius), track);
	EXPECT_EQ(track->GetObject(), cube);

	CTrack* segments = CTrack::Alloc(cube, DescID(PRIM_CUBE_SUBX));
	segments->GetCurve()->AddKey(BaseTime(0.0))->SetGeData(segments->GetCurve(), GeData((LONG)1));
	segments->GetCurve()->AddKey(BaseTime(10.0, 30.0))->SetGeData(segments->GetCurve(), GeData((LONG)5));
	cube->InsertTrackSorted(segments);

	CTrack* positionY = CTrack::Alloc(cube, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION), DescLevel(VECTOR_Y)));
	positionY->GetCurve()->AddKey(BaseTime(0.0))->SetValue(positionY->GetCurve(), 100.0);
	positionY->GetCurve()->AddKey(BaseTime(20.0, 30.0))->SetValue(positionY->GetCurve(), 200.0);
	cube->InsertTrackSorted(positionY);

	struct Expect { Real frame, radius; LONG segments; Real y; };
	const Expect cases[] = {
		{ -5.0, 0.0, 1, 100.0 },   // before the first key: the first key's value
		{ 0.0, 0.0, 1, 100.0 },
		{ 2.5, 0.5, 1, 112.5 },    // linear between keys; the integer holds
		{ 9.9, 1.98, 1, 149.5 },
		{ 10.0, 2.0, 5, 150.0 },
		{ 40.0, 2.0, 5, 200.0 },   // past the last key: the last key's value
	};
	for (const Expect& c : cases)
	{
		doc->SetTime(BaseTime(c.frame, 30.0));
		doc->ExecutePasses(nullptr, TRUE, FALSE, FALSE, BUILDFLAGS_0);
		EXPECT_NEAR(cube->GetDataInstance()->GetReal(PRIM_CUBE_FRAD), c.radius, 1e-12) << c.frame;
		EXPECT_EQ(cube->GetDataInstance()->GetLong(PRIM_CUBE_SUBX), c.segments) << c.frame;
		EXPECT_NEAR(cube->GetRelPos().y, c.y, 1e-12) << c.frame;
	}

	// Without animation the values stay as they are.
	cube->GetDataInstance()->SetReal(PRIM_CUBE_FRAD, 7.0);
	doc->ExecutePasses(nullptr, FALSE, FALSE, FALSE, BUILDFLAGS_0);
	EXPECT_EQ(cube->GetDataInstance()->GetReal(PRIM_CUBE_FRAD), 7.0);

	// A second track for the same parameter replaces the first.
	CTrack* replacement = CTrack::Alloc(cube, radius);
	cube->InsertTrackSorted(replacement);
	EXPECT_EQ(cube->FindCTrack(radius), replacement);
	EXPECT_EQ(cube->GetTrackCount(), 3);
	CTrack::Free(replacement);
	EXPECT_EQ(cube->FindCTrack(radius), nullptr);
}

TEST_F(Scene, KeysAtTheSameTimeAreOneKey)
{
	CTrack* track = CTrack::Alloc(nullptr, DescID(1));
	CCurve* curve = track->GetCurve();
	CKey* a = curve->AddKey(BaseTime(1.0));
	EXPECT_EQ(curve->AddKey(BaseTime(30.0, 30.0)), a);
	EXPECT_EQ(curve->GetKeyCount(), 1);
	EXPECT_EQ(curve->AddKey(BaseTime(0.0, 0.0)), nullptr);
	EXPECT_TRUE(curve->DelKey(0));
	EXPECT_FALSE(curve->DelKey(0));
	EXPECT_EQ(curve->GetValue(BaseTime(1.0)).GetType(), DA_NIL);
	CTrack::Free(track);
	EXPECT_EQ(CTrack::Alloc(nullptr, DescID()), nullptr);
}

TEST_F(Scene, ExpressionsRunByPriorityThenDocumentOrder)
{
	std::vector<std::string> log;
	g_log = &log;
	BaseObject* first = BaseObject::Alloc(Onull);
	BaseObject* second = BaseObject::Alloc(Onull);
	doc->InsertObject(first);
	doc->InsertObject(second, first);
	AddOrderTag(first, "late", 10);
	AddOrderTag(second, "early", -10);
	AddOrderTag(first, "middle-a", 0);
	AddOrderTag(second, "middle-b", 0);
	AddOrderTag(second, "initial", 0, kSelfScheduledTag);
	second->InsertTag(BaseTag::Alloc(Tdisplay));

	doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	EXPECT_EQ(log, (std::vector<std::string>{ "initial", "early", "middle-a", "middle-b", "late" }));

	log.clear();
	doc->ExecutePasses(nullptr, TRUE, FALSE, TRUE, BUILDFLAGS_0);
	EXPECT_TRUE(log.empty());
	g_log = nullptr;
}

// The evaluation asks for the memory of expressions a few places ahead of
// the one running; an expression that replaces the containers of those after
// it (as one linked to another tag's parameter writes that tag) must leave
// each of them reading exactly what was written last. The sanitizer build
// runs this too.
TEST_F(Scene, ExpressionsReadWhatEarlierExpressionsWroteIntoTheirContainers)
{
	std::vector<BaseTag*> tags;
	std::vector<LONG> readWriters;
	g_reshaped = &tags;
	g_readWriters = &readWriters;
	BaseObject* op = BaseObject::Alloc(Onull);
	doc->InsertObject(op);
	for (int i = 0; i < 40; ++i)
		tags.push_back(AddOrderTag(op, "reshape", 0, kReshapeTag));

	std::vector<LONG> expected(1, -1);
	for (LONG writer = 0; writer + 1 < (LONG)tags.size(); ++writer)
		expected.push_back(writer);
	for (int pass = 0; pass < 2; ++pass)
	{
		readWriters.clear();
		doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		EXPECT_EQ(readWriters, expected) << "pass " << pass;
	}
	g_reshaped = nullptr;
	g_readWriters = nullptr;
}

// A plug-in may schedule a tag that is on no object: it runs, with no
// object, also where the pass looks ahead of it.
TEST_F(Scene, AScheduledTagOnNoObjectRunsWithoutOne)
{
	std::vector<std::string> log;
	g_log = &log;
	BaseTag* detached = BaseTag::Alloc(kOrderTag);
	detached->SetName("detached");
	g_detached = detached;
	BaseObject* op = BaseObject::Alloc(Onull);
	doc->InsertObject(op);
	for (int i = 0; i < 8; ++i)
		AddOrderTag(op, "on the object", 0);
	AddOrderTag(op, "scheduler", 0, kDetachedSchedulerTag);

	doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	ASSERT_EQ(log.size(), 9u);
	EXPECT_EQ(log.back(), "detached");
	g_log = nullptr;
	g_detached = nullptr;
	BaseTag::Free(detached);
}

TEST_F(Scene, TheObserverSeesMessagesUpdatesAndRedraws)
{
	std::vector<HostEvent> events;
	HostSetObserver([&](const HostEvent& e) { events.push_back(e); });
	BaseMaterial* mat = BaseMaterial::Alloc(Mmaterial);
	mat->Update(TRUE, FALSE);
	mat->Message(MSG_CHANGE);
	const LONG before = HostEventAddCount();
	EventAdd();
	HostSetObserver(nullptr);
	mat->Update(TRUE, TRUE);
	ASSERT_EQ(events.size(), 3u);
	EXPECT_EQ(events[0].kind, HostEvent::MATERIAL_UPDATE);
	EXPECT_EQ(events[0].element, mat);
	EXPECT_EQ(events[0].code, 1);
	EXPECT_EQ(events[1].kind, HostEvent::MESSAGE);
	EXPECT_EQ(events[1].code, (LONG)MSG_CHANGE);
	EXPECT_EQ(events[2].kind, HostEvent::EVENT_ADD);
	EXPECT_EQ(HostEventAddCount(), before + 1);
	BaseMaterial::Free(mat);

	HostSetActiveDocument(doc);
	EXPECT_EQ(GetActiveDocument(), doc);
	HostSetActiveDocument(nullptr);
}

} // namespace
