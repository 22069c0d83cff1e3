#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "c4d.h"
#include "c4d_canimation.h"
#include "custom_data.h"
#include "customgui_priority.h"
#include "host_services.h"
#include "host_string.h"
#include "scene_file.h"
#include "scratch_folder.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const LONG kProbeTag = 1999401;
int g_inits = 0;

// Counts Init: a load must not run it.
class ProbeTag : public TagData
{
public:
	static NodeData* Alloc() { return new ProbeTag; }
	Bool Init(GeListNode* node) override
	{
		++g_inits;
		static_cast<BaseList2D*>(node)->GetDataInstance()->SetLong(5, 111);
		return TRUE;
	}
};

class SceneFileTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		RegisterTagPlugin(kProbeTag, "Probe", TAG_VISIBLE | TAG_EXPRESSION, ProbeTag::Alloc, "Texpression", nullptr, 0);
		dir = MakeScratchFolder("scene_file_test_");
		ASSERT_FALSE(dir.empty());
		doc = BaseDocument::Alloc();
		doc->SetFps(25);
		doc->SetMinTime(BaseTime(-1.0));
		doc->SetMaxTime(BaseTime(12.0));
		doc->SetTime(BaseTime(3.0, 25.0));
		doc->GetDataInstance()->SetString(4000, "settings");

		material = BaseMaterial::Alloc(Mmaterial);
		material->SetName("Paint");
		material->GetDataInstance()->SetReal(MATERIAL_COLOR_BRIGHTNESS, 0.7);
		doc->InsertMaterial(material);

		cube = BaseObject::Alloc(Ocube);
		cube->SetName("Box");
		cube->GetDataInstance()->SetVector(PRIM_CUBE_LEN, Vector(10.0, 20.0, 30.0));
		doc->InsertObject(cube);
		BaseObject* null = BaseObject::Alloc(Onull);
		null->SetName("Holder");
		doc->InsertObject(null, cube);

		CTrack* track = CTrack::Alloc(cube, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION), DescLevel(VECTOR_X)));
		for (int i = 0; i < 3; ++i)
			track->GetCurve()->AddKey(BaseTime(i * 10.0, 25.0))->SetValue(track->GetCurve(), i * 1.5);
		cube->InsertTrackSorted(track);

		BaseTag* display = BaseTag::Alloc(Tdisplay);
		display->GetDataInstance()->SetReal(DISPLAYTAG_VISIBILITY, 0.25);
		cube->InsertTag(display);
		probe = BaseTag::Alloc(kProbeTag);
		ASSERT_NE(probe, nullptr);
		probe->SetName("My probe");
		probe->GetDataInstance()->SetLong(5, 222);
		probe->GetDataInstance()->SetLink(6, material);
		cube->InsertTag(probe, display);
	}
	void TearDown() override
	{
		BaseDocument::Free(doc);
		fs::remove_all(dir);
	}

	Filename Path(const char* name) const { return Filename(HostString((dir / name).string())); }

	static Bytes Load(const Filename& file)
	{
		std::ifstream in(file.GetString().GetStdString(), std::ios::binary);
		return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	}

	static void Store(const Filename& file, const Bytes& bytes)
	{
		std::ofstream out(file.GetString().GetStdString(), std::ios::binary | std::ios::trunc);
		out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
	}

	static void ExpectSameElement(const BaseList2D& a, const BaseList2D& b)
	{
		EXPECT_EQ(a.GetType(), b.GetType());
		EXPECT_EQ(a.GetName(), b.GetName());
		EXPECT_EQ(a.GetUniqueId(), b.GetUniqueId());
		EXPECT_EQ(a.GetTrackCount(), b.GetTrackCount());
	}

	fs::path dir;
	BaseDocument* doc = nullptr;
	BaseObject* cube = nullptr;
	BaseMaterial* material = nullptr;
	BaseTag* probe = nullptr;
};

TEST_F(SceneFileTest, RoundTripKeepsEverything)
{
	std::string problem;
	ASSERT_TRUE(SaveDocument(*doc, Path("s.scn"), &problem)) << problem;
	const int initsBefore = g_inits;
	BaseDocument* loaded = LoadDocument(Path("s.scn"), &problem);
	ASSERT_NE(loaded, nullptr) << problem;
	EXPECT_EQ(g_inits, initsBefore);

	EXPECT_EQ(loaded->GetFps(), 25);
	EXPECT_EQ(loaded->GetMinTime(), BaseTime(-1.0));
	EXPECT_EQ(loaded->GetMaxTime(), BaseTime(12.0));
	EXPECT_EQ(loaded->GetTime().GetNumerator(), 3.0);
	EXPECT_EQ(loaded->GetTime().GetDenominator(), 25.0);
	EXPECT_EQ(*loaded->GetDataInstance(), *doc->GetDataInstance());
	EXPECT_EQ(loaded->GetUniqueId(), doc->GetUniqueId());

	ASSERT_EQ(loaded->GetObjectCount(), 2);
	ASSERT_EQ(loaded->GetMaterialCount(), 1);
	for (LONG i = 0; i < 2; ++i)
	{
		ExpectSameElement(*loaded->GetObjectByIndex(i), *doc->GetObjectByIndex(i));
		EXPECT_EQ(*loaded->GetObjectByIndex(i)->GetDataInstance(), *doc->GetObjectByIndex(i)->GetDataInstance());
	}
	const BaseMaterial* mat = loaded->GetFirstMaterial();
	ExpectSameElement(*mat, *material);
	EXPECT_EQ(*mat->GetDataInstance(), *material->GetDataInstance());

	BaseObject* box = loaded->GetFirstObject();
	CTrack* track = box->FindCTrack(DescID(DescLevel(ID_BASEOBJECT_REL_POSITION), DescLevel(VECTOR_X)));
	ASSERT_NE(track, nullptr);
	EXPECT_EQ(track->GetObject(), box);
	ASSERT_EQ(track->GetCurve()->GetKeyCount(), 3);
	for (LONG k = 0; k < 3; ++k)
	{
		EXPECT_EQ(track->GetCurve()->GetKey(k)->GetTime(), BaseTime(k * 10.0, 25.0));
		EXPECT_EQ(track->GetCurve()->GetKey(k)->GetValue(), k * 1.5);
	}

	ASSERT_EQ(box->GetTagCount(), 2);
	ExpectSameElement(*box->GetTagByIndex(0), *cube->GetTagByIndex(0));
	EXPECT_EQ(*box->GetTagByIndex(0)->GetDataInstance(), *cube->GetTagByIndex(0)->GetDataInstance());
	BaseTag* tag = box->GetTagByIndex(1);
	ExpectSameElement(*tag, *probe);
	EXPECT_NE(tag->GetNodeData(), nullptr);
	EXPECT_EQ(tag->GetDocument(), loaded);
	EXPECT_EQ(tag->GetDataInstance()->GetLong(5), 222);
	EXPECT_EQ(tag->GetDataInstance()->GetData(EXPRESSION_PRIORITY), probe->GetDataInstance()->GetData(EXPRESSION_PRIORITY));
	EXPECT_EQ(tag->GetDataInstance()->GetType(EXPRESSION_PRIORITY), CUSTOMGUI_PRIORITY_DATA);
	// The link goes to the loaded material, not the original.
	EXPECT_EQ(tag->GetDataInstance()->GetLink(6, loaded), mat);
	BaseDocument::Free(loaded);
}

TEST_F(SceneFileTest, ACloneInMemoryIsTheDocumentAndApartFromIt)
{
	std::string problem;
	BaseDocument* copy = CloneDocument(*doc, &problem);
	ASSERT_NE(copy, nullptr) << problem;
	EXPECT_TRUE(fs::is_empty(dir)) << "a clone writes no file";
	ASSERT_EQ(copy->GetObjectCount(), doc->GetObjectCount());
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		ExpectSameElement(*copy->GetObjectByIndex(i), *doc->GetObjectByIndex(i));
		EXPECT_EQ(*copy->GetObjectByIndex(i)->GetDataInstance(), *doc->GetObjectByIndex(i)->GetDataInstance());
		EXPECT_NE(copy->GetObjectByIndex(i), doc->GetObjectByIndex(i));
	}
	EXPECT_EQ(copy->GetTime(), doc->GetTime());
	BaseObject* box = copy->GetFirstObject();
	BaseTag* tag = box->GetTagByIndex(1);
	EXPECT_EQ(tag->GetDataInstance()->GetLink(6, copy), copy->GetFirstMaterial());
	EXPECT_EQ(tag->GetDocument(), copy);

	// Both evaluate alike at every frame of the track.
	for (double frame : { 0.0, 5.0, 10.0, 17.0, 20.0 })
	{
		doc->SetTime(BaseTime(frame, 25.0));
		copy->SetTime(BaseTime(frame, 25.0));
		doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		copy->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		EXPECT_EQ(box->GetRelPos(), cube->GetRelPos()) << frame;
	}
	// Changing the copy leaves the original alone.
	const BaseContainer before = *cube->GetDataInstance();
	box->GetDataInstance()->SetVector(PRIM_CUBE_LEN, Vector(1.0, 2.0, 3.0));
	box->SetName("Changed");
	tag->GetDataInstance()->SetLong(5, 333);
	BaseDocument::Free(copy);
	EXPECT_EQ(*cube->GetDataInstance(), before);
	EXPECT_EQ(cube->GetName(), String("Box"));
	EXPECT_EQ(probe->GetDataInstance()->GetLong(5), 222);
	EXPECT_EQ(probe->GetDataInstance()->GetLink(6, doc), material);
}

TEST_F(SceneFileTest, AMemoryFileIsReadOnlyAsTheKindItWasWritten)
{
	Bytes bytes;
	{
		AutoAlloc<HyperFile> out;
		ASSERT_TRUE(HyperFileOpenMemoryWrite(out, 'abcd', &bytes));
		BaseContainer bc;
		bc.SetLong(1, 42);
		ASSERT_TRUE(out->WriteContainer(bc));
		EXPECT_TRUE(bytes.empty()) << "the bytes come only with a whole file";
		ASSERT_TRUE(out->Close());
	}
	AutoAlloc<HyperFile> in;
	EXPECT_FALSE(HyperFileOpenMemoryRead(in, 'wxyz', bytes));
	EXPECT_FALSE(HyperFileOpenMemoryRead(in, 'abcd', Bytes(bytes.begin(), bytes.begin() + 8)));
	ASSERT_TRUE(HyperFileOpenMemoryRead(in, 'abcd', bytes));
	BaseContainer read;
	ASSERT_TRUE(in->ReadContainer(&read, TRUE));
	EXPECT_EQ(read.GetLong(1), 42);
	EXPECT_TRUE(HyperFileReadToEnd(in));

	// A file whose write failed leaves the bytes as they were.
	Bytes kept = { 1, 2, 3 };
	{
		AutoAlloc<HyperFile> out;
		ASSERT_TRUE(HyperFileOpenMemoryWrite(out, 'abcd', &kept));
		BaseContainer deep, level;
		level.SetLong(1, 1);
		for (int i = 0; i < 1000; ++i)
		{
			deep = BaseContainer();
			deep.SetContainer(1, level);
			level = deep;
		}
		EXPECT_FALSE(out->WriteContainer(deep));
		EXPECT_FALSE(out->Close());
	}
	EXPECT_EQ(kept, Bytes({ 1, 2, 3 }));
}

TEST_F(SceneFileTest, LoadRefusesMissingAndForeignFiles)
{
	std::string problem;
	EXPECT_EQ(LoadDocument(Path("absent.scn"), &problem), nullptr);
	EXPECT_FALSE(problem.empty());

	HyperFile* hf = HyperFile::Alloc();
	ASSERT_TRUE(hf->Open('othr', Path("other.hf"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	ASSERT_TRUE(hf->WriteContainer(BaseContainer()));
	ASSERT_TRUE(hf->Close());
	HyperFile::Free(hf);
	problem.clear();
	EXPECT_EQ(LoadDocument(Path("other.hf"), &problem), nullptr);
	EXPECT_FALSE(problem.empty());
}

TEST_F(SceneFileTest, UnknownObjectTypeIsRefused)
{
	BaseContainer object;
	object.SetLong(1, 987654);
	object.SetString(2, "Alien");
	object.SetLLong(3, 5);
	object.SetContainer(4, BaseContainer());
	BaseContainer objects;
	objects.SetContainer(0, object);
	BaseContainer document;
	document.SetLong(1, 0);
	document.SetString(2, "");
	document.SetLLong(3, 6);
	BaseContainer outline;
	outline.SetLong(1, 1);
	outline.SetContainer(2, document);
	outline.SetContainer(3, objects);
	outline.SetContainer(4, BaseContainer());
	HyperFile* hf = HyperFile::Alloc();
	ASSERT_TRUE(hf->Open(SCENEFILE_IDENT, Path("alien.scn"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	ASSERT_TRUE(hf->WriteContainer(outline));
	ASSERT_TRUE(hf->Close());
	HyperFile::Free(hf);
	std::string problem;
	EXPECT_EQ(LoadDocument(Path("alien.scn"), &problem), nullptr);
	EXPECT_NE(problem.find("987654"), std::string::npos) << problem;
}

TEST_F(SceneFileTest, SaveIntoMissingFolderFailsAndExistingSceneSurvives)
{
	std::string problem;
	EXPECT_FALSE(SaveDocument(*doc, Path("missing/s.scn"), &problem));
	EXPECT_FALSE(problem.empty());
	EXPECT_TRUE(fs::is_empty(dir));

	ASSERT_TRUE(SaveDocument(*doc, Path("s.scn"), &problem));
	const Bytes before = Load(Path("s.scn"));
	// A value no file can hold makes the save fail; the old scene stays.
	struct Foreign : CustomDataType
	{
		bool operator==(const Foreign&) const { return true; }
	};
	RegisterCustomDataHandler(1999402, CustomDataHandlerOf<Foreign>());
	cube->GetDataInstance()->SetData(7777, GeData(1999402, Foreign()));
	ASSERT_EQ(cube->GetDataInstance()->GetType(7777), 1999402);
	problem.clear();
	EXPECT_FALSE(SaveDocument(*doc, Path("s.scn"), &problem));
	EXPECT_FALSE(problem.empty());
	EXPECT_EQ(Load(Path("s.scn")), before);
	EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SceneFileTest, EveryPrefixIsRefused)
{
	std::string problem;
	ASSERT_TRUE(SaveDocument(*doc, Path("s.scn"), &problem));
	const Bytes full = Load(Path("s.scn"));
	for (size_t n = 0; n < full.size(); ++n)
	{
		Store(Path("cut.scn"), Bytes(full.begin(), full.begin() + (std::ptrdiff_t)n));
		problem.clear();
		ASSERT_EQ(LoadDocument(Path("cut.scn"), &problem), nullptr) << "prefix " << n;
		ASSERT_FALSE(problem.empty());
	}
}

TEST_F(SceneFileTest, EveryBitFlipIsRefused)
{
	std::string problem;
	ASSERT_TRUE(SaveDocument(*doc, Path("s.scn"), &problem));
	const Bytes full = Load(Path("s.scn"));
	for (size_t bit = 0; bit < full.size() * 8; ++bit)
	{
		Bytes b = full;
		b[bit / 8] ^= (uint8_t)(1u << (bit % 8));
		Store(Path("flip.scn"), b);
		problem.clear();
		ASSERT_EQ(LoadDocument(Path("flip.scn"), &problem), nullptr) << "bit " << bit;
		ASSERT_FALSE(problem.empty());
	}
}

TEST_F(SceneFileTest, TrailingDataAndFrameRatesBelowOneAreRefused)
{
	std::string problem;
	ASSERT_TRUE(SaveDocument(*doc, Path("s.scn"), &problem));
	const Bytes full = Load(Path("s.scn"));
	for (const Bytes& tail : { Bytes{ 0 }, Bytes(full.begin() + 12, full.end()) })
	{
		Bytes b = full;
		b.insert(b.end(), tail.begin(), tail.end());
		Store(Path("tail.scn"), b);
		problem.clear();
		EXPECT_EQ(LoadDocument(Path("tail.scn"), &problem), nullptr) << tail.size() << " bytes after the scene";
		EXPECT_NE(problem.find("data after the scene"), std::string::npos) << problem;
	}

	// The document clamps what it is given, so the rate goes in raw.
	for (LONG fps : { 0, -25 })
	{
		doc->GetDataInstance()->SetLong(DOCUMENT_FPS, fps);
		ASSERT_TRUE(SaveDocument(*doc, Path("rate.scn"), &problem));
		problem.clear();
		EXPECT_EQ(LoadDocument(Path("rate.scn"), &problem), nullptr) << fps;
		EXPECT_NE(problem.find("frame rate of " + std::to_string(fps)), std::string::npos) << problem;
	}
	doc->GetDataInstance()->SetLong(DOCUMENT_FPS, 1);
	ASSERT_TRUE(SaveDocument(*doc, Path("rate.scn"), &problem));
	BaseDocument* loaded = LoadDocument(Path("rate.scn"), &problem);
	ASSERT_NE(loaded, nullptr) << problem;
	EXPECT_EQ(loaded->GetFps(), 1);
	BaseDocument::Free(loaded);
}

// ---- Files of version 1, whose catalogue had ids of the stand-in's own ----

// Rewrites a saved scene as version 1 wrote it: the same containers, the
// outline's version 1. The scene must hold no links (none are resolved here).
void MarkAsVersion1(const Filename& file)
{
	BaseContainer outline, state;
	{
		AutoAlloc<HyperFile> in;
		ASSERT_TRUE(in->Open(SCENEFILE_IDENT, file, FILEOPEN_READ, FILEDIALOG_NONE));
		ASSERT_TRUE(in->ReadContainer(&outline, TRUE));
		ASSERT_TRUE(in->ReadContainer(&state, TRUE));
	}
	ASSERT_EQ(outline.GetLong(1), SCENEFILE_VERSION);
	outline.SetLong(1, 1);
	AutoAlloc<HyperFile> out;
	ASSERT_TRUE(out->Open(SCENEFILE_IDENT, file, FILEOPEN_WRITE, FILEDIALOG_NONE));
	ASSERT_TRUE(out->WriteContainer(outline) && out->WriteContainer(state) && out->Close());
}

std::vector<std::pair<LONG, LONG>> g_migrated;    // tag type, file version
bool g_refuse = false;

bool RecordMigration(BaseTag* tag, LONG fileVersion, std::string* problem)
{
	g_migrated.push_back({ tag->GetType(), fileVersion });
	if (g_refuse)
		*problem = "refused by the tag";
	return !g_refuse;
}

class OlderSceneFileTest : public SceneFileTest
{
protected:
	void SetUp() override
	{
		SceneFileTest::SetUp();
		g_migrated.clear();
		g_refuse = false;
		// The probe's link is not resolved when the file is rewritten.
		probe->GetDataInstance()->RemoveData(6);
	}

	// The cube's data as version 1 saved it: the old ids only.
	void OldCubeData(const BaseContainer& old)
	{
		*cube->GetDataInstance() = old;
	}

	// Saves, marks as version 1 and loads; null with *problem set when refused.
	BaseDocument* SaveAsVersion1AndLoad(std::string* problem, SceneTagMigration migrate = RecordMigration)
	{
		if (!SaveDocument(*doc, Path("old.scn"), problem))
			return nullptr;
		MarkAsVersion1(Path("old.scn"));
		return LoadDocument(Path("old.scn"), problem, migrate);
	}
};

TEST_F(OlderSceneFileTest, IdsMoveTogetherAndOnlyForTheirElementType)
{
	BaseContainer old;
	old.SetVector(880, Vector(0.1, 0.2, 0.3));
	old.SetLong(906, 0);
	old.SetLong(1105, 1);       // the fillet switch then, the radius now
	old.SetReal(1106, 7.5);
	old.SetTime(1110, BaseTime(2.0));
	old.SetVector(PRIM_CUBE_LEN, Vector(1.0, 2.0, 3.0));
	OldCubeData(old);
	// The null has no fillet: an entry 1105 on it is not the cube's.
	doc->GetObjectByIndex(1)->GetDataInstance()->SetReal(1105, 4.0);
	*material->GetDataInstance() = BaseContainer();
	material->GetDataInstance()->SetVector(2000, Vector(0.5));
	*cube->GetTag(Tdisplay)->GetDataInstance() = BaseContainer();
	cube->GetTag(Tdisplay)->GetDataInstance()->SetReal(1001, 0.25);
	CTrack* track = CTrack::Alloc(cube, DescID(DescLevel(1106, DTYPE_REAL, 0)));
	track->GetCurve()->AddKey(BaseTime(0.0))->SetValue(track->GetCurve(), 3.0);
	cube->InsertTrackSorted(track);
	CTrack* visible = CTrack::Alloc(cube, DescID(DescLevel(906, DTYPE_BOOL, 0)));
	visible->GetCurve()->AddKey(BaseTime(0.0))->SetGeData(visible->GetCurve(), GeData((LONG)1));
	cube->InsertTrackSorted(visible);

	std::string problem;
	BaseDocument* loaded = SaveAsVersion1AndLoad(&problem);
	ASSERT_NE(loaded, nullptr) << problem;
	BaseObject* box = loaded->GetFirstObject();
	const BaseContainer& data = *box->GetDataInstance();
	EXPECT_EQ(data.GetVector(ID_BASEOBJECT_COLOR), Vector(0.1, 0.2, 0.3));
	EXPECT_EQ(data.GetLong(ID_BASEOBJECT_VISIBILITY_EDITOR), 1);
	EXPECT_EQ(data.GetLong(ID_BASEOBJECT_VISIBILITY_RENDER), 2);
	EXPECT_EQ(data.GetLong(PRIM_CUBE_DOFILLET), 1);
	EXPECT_EQ(data.GetReal(PRIM_CUBE_FRAD), 7.5);
	EXPECT_EQ(data.GetTime(STANDIN_CUBE_TIME_OFFSET), BaseTime(2.0));
	EXPECT_EQ(data.GetVector(PRIM_CUBE_LEN), Vector(1.0, 2.0, 3.0));
	EXPECT_EQ(loaded->GetObjectByIndex(1)->GetDataInstance()->GetReal(1105), 4.0);
	EXPECT_EQ(loaded->GetFirstMaterial()->GetDataInstance()->GetVector(MATERIAL_COLOR_COLOR), Vector(0.5));
	EXPECT_EQ(loaded->GetFirstMaterial()->GetDataInstance()->GetReal(MATERIAL_COLOR_BRIGHTNESS), 1.0) << "at its default";
	EXPECT_EQ(box->GetTag(Tdisplay)->GetDataInstance()->GetReal(DISPLAYTAG_VISIBILITY), 0.25);

	CTrack* radius = box->FindCTrack(DescID(PRIM_CUBE_FRAD));
	ASSERT_NE(radius, nullptr);
	EXPECT_EQ(radius->GetCurve()->GetKey(0)->GetGeData().GetReal(), 3.0);
	CTrack* editor = box->FindCTrack(DescID(ID_BASEOBJECT_VISIBILITY_EDITOR));
	ASSERT_NE(editor, nullptr);
	EXPECT_EQ(editor->GetDescriptionID()[0].dtype, DTYPE_LONG);
	EXPECT_EQ(editor->GetCurve()->GetKey(0)->GetGeData().GetLong(), 0);

	// A plug-in tag's container is its own: the host renumbers nothing in
	// it, and hands the tag to the migration with the file's version.
	const BaseTag* loadedProbe = box->GetTag(kProbeTag);
	ASSERT_NE(loadedProbe, nullptr);
	EXPECT_EQ(*loadedProbe->GetDataInstance(), *probe->GetDataInstance());
	ASSERT_EQ(g_migrated.size(), 1u);
	EXPECT_EQ(g_migrated[0], std::make_pair(kProbeTag, (LONG)1));
	BaseDocument::Free(loaded);

	// A file of today's version goes to no migration and moves nothing.
	g_migrated.clear();
	ASSERT_TRUE(SaveDocument(*doc, Path("today.scn"), &problem));
	loaded = LoadDocument(Path("today.scn"), &problem, RecordMigration);
	ASSERT_NE(loaded, nullptr) << problem;
	EXPECT_TRUE(g_migrated.empty());
	EXPECT_EQ(*loaded->GetFirstObject()->GetDataInstance(), *cube->GetDataInstance());
	BaseDocument::Free(loaded);
}

TEST_F(OlderSceneFileTest, WhatCannotBeReadUnderTodaysIdsIsRefused)
{
	struct Case
	{
		const char* what;
		LONG id;
		GeData value;
		const char* problem;
	};
	const Case cases[] = {
		{ "an entry where a parameter moves to", ID_BASEOBJECT_COLOR, GeData(Vector(1.0)),
			"corrupt scene: two entries of Box are parameter 908 today" },
		{ "a Visible that is no bool", 906, GeData(String("yes")), "corrupt scene: parameter 906 of Box is not a bool" },
	};
	for (const Case& c : cases)
	{
		BaseContainer old;
		old.SetVector(880, Vector(0.5));
		old.SetData(c.id, c.value);
		OldCubeData(old);
		std::string problem;
		EXPECT_EQ(SaveAsVersion1AndLoad(&problem), nullptr) << c.what;
		EXPECT_EQ(problem, c.problem) << c.what;
	}

	OldCubeData(BaseContainer());
	g_refuse = true;
	std::string problem;
	EXPECT_EQ(SaveAsVersion1AndLoad(&problem), nullptr);
	EXPECT_EQ(problem, "refused by the tag");

	// Versions before the first and after today's are not scenes this host
	// can read.
	ASSERT_TRUE(SaveDocument(*doc, Path("v.scn"), &problem));
	for (LONG version : { 0, SCENEFILE_VERSION + 1 })
	{
		BaseContainer outline, state;
		{
			AutoAlloc<HyperFile> in;
			ASSERT_TRUE(in->Open(SCENEFILE_IDENT, Path("v.scn"), FILEOPEN_READ, FILEDIALOG_NONE));
			ASSERT_TRUE(in->ReadContainer(&outline, TRUE) && in->ReadContainer(&state, TRUE));
		}
		outline.SetLong(1, version);
		AutoAlloc<HyperFile> out;
		ASSERT_TRUE(out->Open(SCENEFILE_IDENT, Path("other.scn"), FILEOPEN_WRITE, FILEDIALOG_NONE));
		ASSERT_TRUE(out->WriteContainer(outline) && out->WriteContainer(state) && out->Close());
		EXPECT_EQ(LoadDocument(Path("other.scn"), &problem), nullptr) << version;
		EXPECT_EQ(problem, "unsupported scene version") << version;
	}
}

TEST_F(OlderSceneFileTest, IdentifiersOfAnOlderFileReadAsToday)
{
	const DescID colourY(DescLevel(880, DTYPE_COLOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));
	CurrentParameter p = CurrentParameterOf(Onull, colourY, 1);
	EXPECT_TRUE(p.sameValues);
	EXPECT_EQ(p.id, DescID(DescLevel(ID_BASEOBJECT_COLOR, DTYPE_COLOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0)));

	p = CurrentParameterOf(Ocube, DescID(DescLevel(906, DTYPE_BOOL, 0)), 1);
	EXPECT_FALSE(p.sameValues);
	EXPECT_EQ(p.id[0].id, ID_BASEOBJECT_VISIBILITY_EDITOR);
	EXPECT_EQ(p.id[0].dtype, DTYPE_LONG);

	// Nothing moves for today's files, for elements outside the catalogue,
	// or for ids that did not move.
	for (const std::pair<LONG, LONG>& unmoved : { std::make_pair((LONG)Ocube, SCENEFILE_VERSION), std::make_pair(kProbeTag, (LONG)1) })
	{
		p = CurrentParameterOf(unmoved.first, colourY, unmoved.second);
		EXPECT_TRUE(p.sameValues);
		EXPECT_EQ(p.id, colourY);
	}
	EXPECT_EQ(CurrentParameterOf(Mmaterial, DescID(1105), 1).id, DescID(1105));
	EXPECT_EQ(CurrentParameterOf(Tdisplay, DescID(1001), 1).id, DescID(DISPLAYTAG_VISIBILITY));
}

} // namespace
