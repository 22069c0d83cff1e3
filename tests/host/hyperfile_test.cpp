#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "c4d.h"
#include "c4d_hyperfile.h"
#include "custom_data.h"
#include "customgui_bitmapbutton.h"
#include "customgui_priority.h"
#include "customgui_splinecontrol.h"
#include "host_services.h"
#include "host_string.h"
#include "scene_file.h"
#include "scratch_folder.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const LONG kIdent = 'test';

// Custom data the host knows (a plug-in's type) but the file format does not.
struct ForeignData : CustomDataType
{
	friend bool operator==(const ForeignData&, const ForeignData&) { return true; }
};

GeData Foreign()
{
	RegisterCustomDataHandler(1999301, CustomDataHandlerOf<ForeignData>());
	return GeData(1999301, ForeignData());
}

uint32_t Crc32(const uint8_t* p, size_t n)
{
	uint32_t c = 0xFFFFFFFFu;
	for (size_t i = 0; i < n; ++i)
	{
		c ^= p[i];
		for (int k = 0; k < 8; ++k)
			c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
	}
	return c ^ 0xFFFFFFFFu;
}

void Put32(Bytes& b, uint32_t v)
{
	for (int i = 0; i < 4; ++i)
		b.push_back((uint8_t)(v >> (8 * i)));
}

// A file holding one container record around payload, with a valid checksum.
Bytes FileAround(const Bytes& payload)
{
	Bytes file;
	Put32(file, 0x46484C50u);
	Put32(file, (uint32_t)kIdent);
	Put32(file, 1);
	Bytes record;
	Put32(record, DA_CONTAINER);
	Put32(record, (uint32_t)payload.size());
	record.insert(record.end(), payload.begin(), payload.end());
	Put32(record, Crc32(record.data(), record.size()));
	file.insert(file.end(), record.begin(), record.end());
	return file;
}

class HyperFileTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		dir = MakeScratchFolder("hyperfile_test_");
		ASSERT_FALSE(dir.empty());
		doc = BaseDocument::Alloc();
		HostSetActiveDocument(doc);
		cube = BaseObject::Alloc(Ocube);
		cube->SetName("Box");
		doc->InsertObject(cube);
	}
	void TearDown() override
	{
		HostSetActiveDocument(nullptr);
		BaseDocument::Free(doc);
		fs::remove_all(dir);
	}

	Filename Path(const char* name) const { return Filename(HostString((dir / name).string())); }

	bool Write(const Filename& file, const std::vector<BaseContainer>& containers, LONG ident = kIdent)
	{
		HyperFile* hf = HyperFile::Alloc();
		bool ok = hf->Open(ident, file, FILEOPEN_WRITE, FILEDIALOG_NONE) != 0;
		for (const BaseContainer& bc : containers)
			ok = ok && hf->WriteContainer(bc);
		ok = ok && hf->Close();
		HyperFile::Free(hf);
		return ok;
	}

	// Opens file and reads one container into *bc; false when either fails.
	static bool ReadOne(const Filename& file, BaseContainer* bc, LONG ident = kIdent)
	{
		HyperFile* hf = HyperFile::Alloc();
		const bool ok = hf->Open(ident, file, FILEOPEN_READ, FILEDIALOG_NONE) && hf->ReadContainer(bc, TRUE);
		HyperFile::Free(hf);
		return ok;
	}

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

	// Every value type, nested containers included.
	BaseContainer Rich() const
	{
		BaseContainer bc(77);
		bc.SetLong(1, -123456);
		bc.SetLLong(2, -(LLONG(1) << 60) + 5);
		bc.SetReal(3, -0.1);
		bc.SetTime(4, BaseTime(7.0, 30.0));
		bc.SetVector(5, Vector(1.5, -2.25, 1e300));
		bc.SetString(6, HostString(std::string("gr\xC3\xBC\xC3\x9F\0zero", 12)));
		bc.SetFilename(7, Filename("/some/where/file.tif"));
		bc.SetData(8, GeData());
		BaseContainer inner(5);
		inner.SetReal(1, 2.5);
		BaseContainer innermost;
		innermost.SetString(3, "deep");
		inner.SetContainer(2, innermost);
		bc.SetContainer(9, inner);
		bc.SetLink(10, cube);
		SplineData spline;
		spline.MakeSinSpline(7);
		spline.GetKnot(2)->lFlagsSettings = 5;
		bc.SetData(11, GeData(CUSTOMDATATYPE_SPLINE, spline));
		bc.SetData(12, GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(903, DTYPE_VECTOR, 5159), DescLevel(VECTOR_Y, DTYPE_REAL, 0))));
		PriorityData pd;
		pd.SetPriorityValue(PRIORITYVALUE_MODE, GeData((LONG)EXECUTIONPRIORITY_GENERATOR));
		pd.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData((LONG)-17));
		pd.SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData((LONG)1));
		bc.SetData(13, GeData(CUSTOMGUI_PRIORITY_DATA, pd));
		bc.SetData(14, GeData(CUSTOMDATATYPE_BITMAPBUTTON, BitmapButtonStruct(nullptr, DescID(4242), 9)));
		bc.SetLink(15, nullptr);
		bc.SetReal(-4, -0.0);
		return bc;
	}

	fs::path dir;
	BaseDocument* doc = nullptr;
	BaseObject* cube = nullptr;
};

TEST_F(HyperFileTest, EveryTypeRoundTrips)
{
	const BaseContainer rich = Rich();
	ASSERT_TRUE(Write(Path("rich.hf"), { rich }));
	BaseContainer read;
	ASSERT_TRUE(ReadOne(Path("rich.hf"), &read));
	EXPECT_EQ(read, rich);
	EXPECT_EQ(read.GetId(), 77);
	EXPECT_EQ(read.GetContainerInstance(9)->GetContainerInstance(2)->GetString(3), String("deep"));
	EXPECT_EQ(read.GetLink(10, doc), cube);
	EXPECT_EQ(read.GetType(15), DA_ALIASLINK);
	EXPECT_EQ(read.GetLink(15, nullptr), nullptr);
	// The sign of zero and the last bit of a real survive.
	EXPECT_TRUE(std::signbit(read.GetReal(-4)));
	EXPECT_EQ(read.GetReal(3), -0.1);
}

TEST_F(HyperFileTest, ContainersReadInOrderAndTheEndIsRefused)
{
	BaseContainer a(1), b(2);
	a.SetLong(1, 10);
	b.SetString(1, "second");
	ASSERT_TRUE(Write(Path("two.hf"), { a, b }));
	HyperFile* hf = HyperFile::Alloc();
	ASSERT_TRUE(hf->Open(kIdent, Path("two.hf"), FILEOPEN_READ, FILEDIALOG_NONE));
	BaseContainer read;
	read.SetLong(99, 1);
	ASSERT_TRUE(hf->ReadContainer(&read, FALSE));
	EXPECT_EQ(read.GetLong(1), 10);
	EXPECT_EQ(read.GetLong(99), 1);    // kept without flush
	ASSERT_TRUE(hf->ReadContainer(&read, TRUE));
	EXPECT_EQ(read, b);
	EXPECT_FALSE(hf->ReadContainer(&read, TRUE));
	EXPECT_EQ(read, b);
	EXPECT_TRUE(hf->Close());
	HyperFile::Free(hf);
}

TEST_F(HyperFileTest, AFileIsReadToItsEndOnlyOnceEveryByteOfItIsRead)
{
	BaseContainer a(1), b(2);
	a.SetLong(1, 10);
	b.SetString(1, "second");
	ASSERT_TRUE(Write(Path("two.hf"), { a, b }));
	EXPECT_FALSE(HyperFileReadToEnd(nullptr));

	HyperFile* hf = HyperFile::Alloc();
	EXPECT_FALSE(HyperFileReadToEnd(hf));
	ASSERT_TRUE(hf->Open(kIdent, Path("two.hf"), FILEOPEN_READ, FILEDIALOG_NONE));
	BaseContainer read;
	EXPECT_FALSE(HyperFileReadToEnd(hf));
	ASSERT_TRUE(hf->ReadContainer(&read, TRUE));
	EXPECT_FALSE(HyperFileReadToEnd(hf));
	ASSERT_TRUE(hf->ReadContainer(&read, TRUE));
	EXPECT_TRUE(HyperFileReadToEnd(hf));
	// Reading past the end fails, and a failed file is not trusted to be whole.
	EXPECT_FALSE(hf->ReadContainer(&read, TRUE));
	EXPECT_FALSE(HyperFileReadToEnd(hf));
	EXPECT_TRUE(hf->Close());
	EXPECT_FALSE(HyperFileReadToEnd(hf));

	// A byte after the last container.
	Bytes bytes = Load(Path("two.hf"));
	bytes.push_back(0);
	Store(Path("tail.hf"), bytes);
	ASSERT_TRUE(hf->Open(kIdent, Path("tail.hf"), FILEOPEN_READ, FILEDIALOG_NONE));
	ASSERT_TRUE(hf->ReadContainer(&read, TRUE));
	ASSERT_TRUE(hf->ReadContainer(&read, TRUE));
	EXPECT_FALSE(HyperFileReadToEnd(hf));

	// Nothing is read from a file being written.
	ASSERT_TRUE(hf->Open(kIdent, Path("new.hf"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	EXPECT_FALSE(HyperFileReadToEnd(hf));
	HyperFile::Free(hf);
}

TEST_F(HyperFileTest, ValuesAreLittleEndianFixedWidth)
{
	BaseContainer bc(0x01020304);
	bc.SetReal(5, 1.0);
	ASSERT_TRUE(Write(Path("le.hf"), { bc }));
	const Bytes b = Load(Path("le.hf"));
	// Header, record type and length, then the container id.
	ASSERT_GE(b.size(), 24u);
	EXPECT_EQ(std::memcmp(b.data(), "PLHF", 4), 0);
	EXPECT_EQ(b[20], 0x04);
	EXPECT_EQ(b[23], 0x01);
	// 1.0 is 0x3FF0000000000000: its last byte on disk is 0x3F.
	const Bytes one = { 0, 0, 0, 0, 0, 0, 0xF0, 0x3F };
	EXPECT_NE(std::search(b.begin(), b.end(), one.begin(), one.end()), b.end());
}

TEST_F(HyperFileTest, LinkResolvesByIdThenByTypeAndName)
{
	BaseContainer bc;
	bc.SetLink(1, cube);
	ASSERT_TRUE(Write(Path("link.hf"), { bc }));

	// Another document becomes active: the cube is not there, but an element
	// of the same type and name is.
	BaseDocument* other = BaseDocument::Alloc();
	BaseObject* twin = BaseObject::Alloc(Ocube);
	twin->SetName("Box");
	BaseObject* stranger = BaseObject::Alloc(Ocube);
	stranger->SetName("Other");
	other->InsertObject(stranger);
	other->InsertObject(twin, stranger);
	HostSetActiveDocument(other);
	BaseContainer read;
	ASSERT_TRUE(ReadOne(Path("link.hf"), &read));
	EXPECT_EQ(read.GetLink(1, nullptr), twin);

	// By id even when the name changed.
	HostSetActiveDocument(doc);
	cube->SetName("Renamed");
	ASSERT_TRUE(ReadOne(Path("link.hf"), &read));
	EXPECT_EQ(read.GetLink(1, nullptr), cube);

	// Without an active document the link is empty.
	HostSetActiveDocument(nullptr);
	ASSERT_TRUE(ReadOne(Path("link.hf"), &read));
	EXPECT_EQ(read.GetType(1), DA_ALIASLINK);
	EXPECT_EQ(read.GetLink(1, nullptr), nullptr);
	HostSetActiveDocument(doc);
	BaseDocument::Free(other);
}

TEST_F(HyperFileTest, AResolverIsAskedFirstAndTheActiveDocumentOnlyWhenItFindsNothing)
{
	BaseContainer bc;
	bc.SetLink(1, cube);
	ASSERT_TRUE(Write(Path("link.hf"), { bc }));
	BaseObject* elsewhere = BaseObject::Alloc(Onull);
	const auto read = [&](LinkResolver resolver) {
		HyperFile* hf = HyperFile::Alloc();
		BaseContainer result;
		EXPECT_TRUE(hf->Open(kIdent, Path("link.hf"), FILEOPEN_READ, FILEDIALOG_NONE));
		HyperFileSetLinkResolver(hf, std::move(resolver));
		EXPECT_TRUE(hf->ReadContainer(&result, TRUE));
		HyperFile::Free(hf);
		return result.GetLink(1, nullptr);
	};

	// The cube is in the active document, yet the resolver's answer wins.
	LLONG askedId = 0;
	LONG askedType = 0;
	String askedName;
	EXPECT_EQ(read([&](LLONG id, LONG type, const String& name) -> BaseList2D* {
		askedId = id;
		askedType = type;
		askedName = name;
		return elsewhere;
	}), elsewhere);
	EXPECT_EQ(askedId, cube->GetUniqueId());
	EXPECT_EQ(askedType, (LONG)Ocube);
	EXPECT_EQ(askedName, String("Box"));

	EXPECT_EQ(read([](LLONG, LONG, const String&) -> BaseList2D* { return nullptr; }), cube);
	EXPECT_EQ(read(LinkResolver()), cube);
	HostSetActiveDocument(nullptr);
	EXPECT_EQ(read([](LLONG, LONG, const String&) -> BaseList2D* { return nullptr; }), nullptr);
	BaseObject::Free(elsewhere);
}

TEST_F(HyperFileTest, LinkToDeletedElementReadsEmpty)
{
	BaseObject* gone = BaseObject::Alloc(Onull);
	gone->SetName("Gone");
	doc->InsertObject(gone);
	BaseContainer bc;
	bc.SetLink(1, gone);
	ASSERT_TRUE(Write(Path("gone.hf"), { bc }));
	BaseObject::Free(gone);
	BaseContainer read;
	ASSERT_TRUE(ReadOne(Path("gone.hf"), &read));
	EXPECT_EQ(read.GetType(1), DA_ALIASLINK);
	EXPECT_EQ(read.GetLink(1, nullptr), nullptr);
}

TEST_F(HyperFileTest, UniqueIdsDifferAndSetterKeepsOne)
{
	BaseObject* a = BaseObject::Alloc(Onull);
	BaseObject* b = BaseObject::Alloc(Onull);
	EXPECT_NE(a->GetUniqueId(), b->GetUniqueId());
	EXPECT_GT(a->GetUniqueId(), 0);
	HostSetUniqueId(b, 1234);
	EXPECT_EQ(b->GetUniqueId(), 1234);
	BaseObject::Free(a);
	BaseObject::Free(b);
}

TEST_F(HyperFileTest, WrongIdentVersionOrMagicIsRefused)
{
	ASSERT_TRUE(Write(Path("f.hf"), { Rich() }));
	BaseContainer target(3);
	target.SetLong(1, 1);
	const BaseContainer before = target;
	EXPECT_FALSE(ReadOne(Path("f.hf"), &target, kIdent + 1));
	Bytes b = Load(Path("f.hf"));
	b[8] = 2;    // version
	Store(Path("v.hf"), b);
	EXPECT_FALSE(ReadOne(Path("v.hf"), &target));
	b = Load(Path("f.hf"));
	b[0] ^= 0x20;
	Store(Path("m.hf"), b);
	EXPECT_FALSE(ReadOne(Path("m.hf"), &target));
	EXPECT_EQ(target, before);
	EXPECT_EQ(target.GetId(), 3);
}

TEST_F(HyperFileTest, MissingFileAndOtherModesAreRefused)
{
	HyperFile* hf = HyperFile::Alloc();
	EXPECT_FALSE(hf->Open(kIdent, Path("absent.hf"), FILEOPEN_READ, FILEDIALOG_NONE));
	EXPECT_FALSE(hf->Open(kIdent, Path("x.hf"), FILEOPEN_APPEND, FILEDIALOG_NONE));
	EXPECT_FALSE(hf->Open(kIdent, Filename(), FILEOPEN_WRITE, FILEDIALOG_NONE));
	BaseContainer bc;
	EXPECT_FALSE(hf->ReadContainer(&bc, TRUE));
	EXPECT_FALSE(hf->WriteContainer(bc));
	EXPECT_FALSE(hf->Close());
	HyperFile::Free(hf);
	EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(HyperFileTest, WritingIntoMissingFolderFailsWithoutLeavingTemp)
{
	HyperFile* hf = HyperFile::Alloc();
	EXPECT_FALSE(hf->Open(kIdent, Path("no/such/folder/f.hf"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	HyperFile::Free(hf);
	EXPECT_FALSE(fs::exists(dir / "no"));
	EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(HyperFileTest, ExistingFileSurvivesFailedWrites)
{
	BaseContainer original;
	original.SetString(1, "keep me");
	ASSERT_TRUE(Write(Path("keep.hf"), { original }));
	const Bytes before = Load(Path("keep.hf"));

	// A value the format cannot hold: refused, and the unfinished file never
	// replaces the old one.
	BaseContainer foreign;
	foreign.SetData(1, Foreign());
	ASSERT_EQ(foreign.GetType(1), 1999301);
	EXPECT_FALSE(Write(Path("keep.hf"), { original, foreign }));
	EXPECT_EQ(Load(Path("keep.hf")), before);

	// Freed without Close: abandoned.
	HyperFile* hf = HyperFile::Alloc();
	ASSERT_TRUE(hf->Open(kIdent, Path("keep.hf"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	EXPECT_TRUE(hf->WriteContainer(Rich()));
	HyperFile::Free(hf);
	EXPECT_EQ(Load(Path("keep.hf")), before);

	// The rename fails: the target is a folder that holds a file.
	fs::create_directory(dir / "folder");
	std::ofstream(dir / "folder" / "inside").put('x');
	EXPECT_FALSE(Write(Path("folder"), { original }));
	EXPECT_TRUE(fs::is_directory(dir / "folder"));

	// Only the two files remain: no temporary was left behind.
	EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
	BaseContainer read;
	ASSERT_TRUE(ReadOne(Path("keep.hf"), &read));
	EXPECT_EQ(read, original);
}

TEST_F(HyperFileTest, SuccessfulWriteReplacesAndKeepsPermissions)
{
	ASSERT_TRUE(Write(Path("p.hf"), { BaseContainer() }));
#ifndef _WIN32
	// Windows files have no POSIX permissions to keep.
	ASSERT_EQ(::chmod((dir / "p.hf").c_str(), 0640), 0);
#endif
	ASSERT_TRUE(Write(Path("p.hf"), { Rich() }));
#ifndef _WIN32
	EXPECT_EQ(fs::status(dir / "p.hf").permissions(), fs::perms(0640));
#endif
	EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
	BaseContainer read;
	ASSERT_TRUE(ReadOne(Path("p.hf"), &read));
	EXPECT_EQ(read, Rich());
}

TEST_F(HyperFileTest, NestingUpToTheLimitOnly)
{
	auto nested = [](int depth) {
		BaseContainer bc;
		bc.SetLong(1, depth);
		for (int i = 1; i < depth; ++i)
		{
			BaseContainer outer;
			outer.SetContainer(1, bc);
			bc = outer;
		}
		return bc;
	};
	ASSERT_TRUE(Write(Path("deep.hf"), { nested(64) }));
	BaseContainer read;
	ASSERT_TRUE(ReadOne(Path("deep.hf"), &read));
	EXPECT_EQ(read, nested(64));
	EXPECT_FALSE(Write(Path("deeper.hf"), { nested(65) }));
	EXPECT_FALSE(fs::exists(dir / "deeper.hf"));
}

TEST_F(HyperFileTest, EveryPrefixIsRefusedAndLeavesTargetUntouched)
{
	ASSERT_TRUE(Write(Path("full.hf"), { Rich() }));
	const Bytes full = Load(Path("full.hf"));
	BaseContainer sentinel(9);
	sentinel.SetString(1, "untouched");
	for (size_t n = 0; n < full.size(); ++n)
	{
		Store(Path("cut.hf"), Bytes(full.begin(), full.begin() + (std::ptrdiff_t)n));
		BaseContainer target = sentinel;
		ASSERT_FALSE(ReadOne(Path("cut.hf"), &target)) << "prefix " << n;
		ASSERT_EQ(target, sentinel) << "prefix " << n;
		ASSERT_EQ(target.GetId(), 9);
	}
}

TEST_F(HyperFileTest, EveryBitFlipIsRefused)
{
	ASSERT_TRUE(Write(Path("full.hf"), { Rich() }));
	const Bytes full = Load(Path("full.hf"));
	BaseContainer sentinel(9);
	sentinel.SetString(1, "untouched");
	for (size_t bit = 0; bit < full.size() * 8; ++bit)
	{
		Bytes b = full;
		b[bit / 8] ^= (uint8_t)(1u << (bit % 8));
		Store(Path("flip.hf"), b);
		BaseContainer target = sentinel;
		ASSERT_FALSE(ReadOne(Path("flip.hf"), &target)) << "bit " << bit;
		ASSERT_EQ(target, sentinel) << "bit " << bit;
	}
}

// The checksum hides the parser from damage; these flips come with a valid
// checksum and reach it.
TEST_F(HyperFileTest, EveryBitFlipBehindAValidChecksumIsSafe)
{
	ASSERT_TRUE(Write(Path("full.hf"), { Rich() }));
	const Bytes full = Load(Path("full.hf"));
	const Bytes payload(full.begin() + 20, full.end() - 4);
	ASSERT_EQ(FileAround(payload), full);
	BaseContainer sentinel(9);
	sentinel.SetString(1, "untouched");
	size_t refused = 0;
	for (size_t bit = 0; bit < payload.size() * 8; ++bit)
	{
		Bytes p = payload;
		p[bit / 8] ^= (uint8_t)(1u << (bit % 8));
		Store(Path("flip.hf"), FileAround(p));
		BaseContainer target = sentinel;
		if (!ReadOne(Path("flip.hf"), &target))
		{
			++refused;
			ASSERT_EQ(target, sentinel) << "bit " << bit;
			ASSERT_EQ(target.GetId(), 9);
		}
	}
	// Flips in lengths, types and counts must be refused.
	EXPECT_GT(refused, payload.size() * 8 / 8);
}

TEST_F(HyperFileTest, HostileCountsAndNestingAreRefused)
{
	BaseContainer target(4);
	const BaseContainer before = target;

	// Four billion entries promised, none there.
	Bytes huge;
	Put32(huge, 0);
	Put32(huge, 0xFFFFFFFFu);
	Store(Path("count.hf"), FileAround(huge));
	EXPECT_FALSE(ReadOne(Path("count.hf"), &target));

	// A string whose length runs far past the end.
	Bytes text;
	Put32(text, 0);
	Put32(text, 1);
	Put32(text, 1);
	Put32(text, DA_STRING);
	Put32(text, 0xFFFFFFF0u);
	Store(Path("text.hf"), FileAround(text));
	EXPECT_FALSE(ReadOne(Path("text.hf"), &target));

	// A curve of a hundred million knots in a few bytes.
	Bytes curve;
	Put32(curve, 0);
	Put32(curve, 1);
	Put32(curve, 1);
	Put32(curve, CUSTOMDATATYPE_SPLINE);
	Put32(curve, 4);
	Put32(curve, 100000000u);
	Store(Path("curve.hf"), FileAround(curve));
	EXPECT_FALSE(ReadOne(Path("curve.hf"), &target));

	// Far deeper nesting than the reader follows, each length consistent.
	Bytes inner;
	Put32(inner, 0);
	Put32(inner, 0);
	for (int i = 0; i < 1000; ++i)
	{
		Bytes outer;
		Put32(outer, 0);
		Put32(outer, 1);
		Put32(outer, 1);
		Put32(outer, DA_CONTAINER);
		Put32(outer, (uint32_t)inner.size());
		outer.insert(outer.end(), inner.begin(), inner.end());
		inner.swap(outer);
	}
	Store(Path("deep.hf"), FileAround(inner));
	EXPECT_FALSE(ReadOne(Path("deep.hf"), &target));

	// A descending entry id, which the writer never produces.
	Bytes order;
	Put32(order, 0);
	Put32(order, 2);
	for (LONG id : { 5, 4 })
	{
		Put32(order, (uint32_t)id);
		Put32(order, DA_NIL);
		Put32(order, 0);
	}
	Store(Path("order.hf"), FileAround(order));
	EXPECT_FALSE(ReadOne(Path("order.hf"), &target));

	EXPECT_EQ(target, before);
}

TEST_F(HyperFileTest, ARefusedContainerSpoilsTheWriteEvenWhenTheWriterClosesAnyway)
{
	BaseContainer original;
	original.SetString(1, "keep me");
	ASSERT_TRUE(Write(Path("keep.hf"), { original }));
	const Bytes before = Load(Path("keep.hf"));

	// As a module that ignores WriteContainer's answer does it: Close must
	// not put a header-only file in place of the good one.
	BaseContainer foreign;
	foreign.SetData(1, Foreign());
	HyperFileClearLastProblem();
	HyperFile* hf = HyperFile::Alloc();
	ASSERT_TRUE(hf->Open(kIdent, Path("keep.hf"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	EXPECT_FALSE(hf->WriteContainer(foreign));
	EXPECT_FALSE(hf->Close());
	HyperFile::Free(hf);
	EXPECT_EQ(Load(Path("keep.hf")), before);
	// Nor does a good container written after the refused one.
	BaseContainer other;
	other.SetString(1, "other");
	hf = HyperFile::Alloc();
	ASSERT_TRUE(hf->Open(kIdent, Path("keep.hf"), FILEOPEN_WRITE, FILEDIALOG_NONE));
	EXPECT_FALSE(hf->WriteContainer(foreign));
	EXPECT_FALSE(hf->WriteContainer(other));
	EXPECT_FALSE(hf->Close());
	HyperFile::Free(hf);
	EXPECT_EQ(Load(Path("keep.hf")), before);
	EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
	std::string file;
	EXPECT_NE(HyperFileLastProblem(&file).find("cannot store"), std::string::npos);
	EXPECT_EQ(file, Path("keep.hf").GetString().GetStdString());
}

TEST_F(HyperFileTest, TheHostKeepsWhyAFileFailed)
{
	auto cause = [](const std::function<bool()>& step) {
		HyperFileClearLastProblem();
		EXPECT_FALSE(step());
		return HyperFileLastProblem();
	};
	BaseContainer bc;
	auto read = [&](const char* name, LONG ident = kIdent) {
		return cause([&] { return ReadOne(Path(name), &bc, ident); });
	};
	Store(Path("empty.hf"), Bytes());
	EXPECT_EQ(read("empty.hf"), "empty file");
	const Bytes whole = FileAround(Bytes());
	Store(Path("header.hf"), Bytes(whole.begin(), whole.begin() + 12));
	EXPECT_EQ(read("header.hf"), "no further container in the file");
	ASSERT_TRUE(Write(Path("other.hf"), { BaseContainer() }, kIdent + 1));
	EXPECT_EQ(read("other.hf"), "a container file of another kind");
	Store(Path("junk.hf"), Bytes(20, 'x'));
	EXPECT_EQ(read("junk.hf"), "not a container file");
	EXPECT_EQ(read("absent.hf"), "cannot open the file");

	fs::create_directory(dir / "folder");
	EXPECT_EQ(cause([&] { return Write(Path("folder"), { bc }); }), "is a folder");
	// A success leaves the last problem alone.
	HyperFileClearLastProblem();
	ASSERT_TRUE(Write(Path("fine.hf"), { bc }));
	ASSERT_TRUE(ReadOne(Path("fine.hf"), &bc));
	EXPECT_EQ(HyperFileLastProblem(), "");
#ifndef _WIN32
	// A full disk is named as such, and the link to the device stays.
	fs::create_symlink("/dev/full", dir / "full.hf");
	EXPECT_NE(cause([&] { return Write(Path("full.hf"), { Rich() }); }).find(std::generic_category().message(ENOSPC)),
		std::string::npos);
	EXPECT_TRUE(fs::is_symlink(dir / "full.hf"));
#endif
}

#ifndef _WIN32
TEST_F(HyperFileTest, AnEndlessStreamIsNotReadUntilMemoryRunsOut)
{
	HyperFileClearLastProblem();
	HyperFile* hf = HyperFile::Alloc();
	EXPECT_FALSE(hf->Open(kIdent, Filename("/dev/zero"), FILEOPEN_READ, FILEDIALOG_NONE));
	HyperFile::Free(hf);
	EXPECT_NE(HyperFileLastProblem().find("larger than"), std::string::npos);
}
#endif

} // namespace
