#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "c4d.h"
#include "host_string.h"

namespace
{

namespace fs = std::filesystem;

struct Rgb
{
	UWORD r, g, b;
	friend bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
	friend std::ostream& operator<<(std::ostream& os, const Rgb& c) { return os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }
};

Rgb PixelAt(const BaseBitmap* bmp, LONG x, LONG y)
{
	Rgb c = { 999, 999, 999 };
	bmp->GetPixel(x, y, &c.r, &c.g, &c.b);
	return c;
}

UWORD AlphaAt(BaseBitmap* bmp, LONG x, LONG y)
{
	UWORD a = 999;
	bmp->GetAlphaPixel(bmp->GetInternalChannel(), x, y, &a);
	return a;
}

// Frees on every path out of a test.
struct BitmapHolder
{
	BaseBitmap* bmp = BaseBitmap::Alloc();
	~BitmapHolder() { BaseBitmap::Free(bmp); }
	BaseBitmap* operator->() const { return bmp; }
};

// A scratch folder per test, removed afterwards.
class BitmapFiles : public ::testing::Test
{
protected:
	void SetUp() override
	{
		const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
		dir_ = fs::temp_directory_path() / ("pulsor_bitmap_" + std::to_string(getpid()) + "_" + info->name());
		fs::remove_all(dir_);
		fs::create_directories(dir_);
	}
	void TearDown() override { fs::remove_all(dir_); }

	Filename PathOf(const std::string& file) const { return Filename(HostString((dir_ / file).string())); }

	void WriteBytes(const std::string& file, const std::string& bytes) const
	{
		std::ofstream out(dir_ / file, std::ios::binary);
		out.write(bytes.data(), (std::streamsize)bytes.size());
	}

	std::string ReadBytes(const std::string& file) const
	{
		std::ifstream in(dir_ / file, std::ios::binary);
		return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	}

	std::vector<std::string> Entries() const
	{
		std::vector<std::string> names;
		for (const auto& e : fs::directory_iterator(dir_))
			names.push_back(e.path().filename().string());
		std::sort(names.begin(), names.end());
		return names;
	}

	// Loads path into a bitmap that held an image before, and checks that the
	// refusal is quiet and leaves the bitmap empty.
	IMAGERESULT LoadRefused(const Filename& path, LONG frame = -1)
	{
		BitmapHolder bmp;
		EXPECT_EQ(bmp->Init(4, 4, 32), IMAGERESULT_OK);
		::testing::internal::CaptureStderr();
		const IMAGERESULT result = bmp->Init(path, frame);
		EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << path.GetString().GetStdString();
		EXPECT_EQ(bmp->GetBw(), 0);
		EXPECT_EQ(bmp->GetBh(), 0);
		EXPECT_EQ(bmp->GetInternalChannel(), nullptr);
		return result;
	}

	fs::path dir_;
};

// ---------------------------------------------------------------------------
// Hand-built TIFF files: little-endian, one strip at offset 8, then one IFD,
// then the values that do not fit into an IFD entry.

struct TiffEntry
{
	uint16_t tag;
	uint16_t type; // 3 SHORT, 4 LONG
	std::vector<uint32_t> values;
};

void Put16(std::string& s, size_t at, uint16_t v)
{
	s[at] = (char)(v & 0xFF);
	s[at + 1] = (char)(v >> 8);
}

void Put32(std::string& s, size_t at, uint32_t v)
{
	for (int i = 0; i < 4; ++i)
		s[at + i] = (char)((v >> (8 * i)) & 0xFF);
}

// declaredBytes: the strip byte count written into the file (-1: the real one).
std::string BuildTiff(uint32_t w, uint32_t h, uint16_t bits, uint16_t samples, uint16_t photometric, const std::string& strip,
	int64_t declaredBytes = -1)
{
	std::vector<TiffEntry> entries = {
		{ 256, 4, { w } },
		{ 257, 4, { h } },
		{ 258, 3, std::vector<uint32_t>(samples, bits) },
		{ 259, 3, { 1 } },
		{ 262, 3, { photometric } },
		{ 273, 4, { 8 } },
		{ 277, 3, { samples } },
		{ 278, 4, { h } },
		{ 279, 4, { (uint32_t)(declaredBytes < 0 ? (int64_t)strip.size() : declaredBytes) } },
		{ 284, 3, { 1 } },
	};
	std::string file(8, '\0');
	file[0] = 'I';
	file[1] = 'I';
	Put16(file, 2, 42);
	file += strip;
	if (file.size() % 2)
		file += '\0';
	const size_t ifd = file.size();
	Put32(file, 4, (uint32_t)ifd);
	file.resize(ifd + 2 + entries.size() * 12 + 4, '\0');
	Put16(file, ifd, (uint16_t)entries.size());
	for (size_t i = 0; i < entries.size(); ++i)
	{
		const TiffEntry& e = entries[i];
		const size_t at = ifd + 2 + i * 12;
		const size_t unit = e.type == 3 ? 2 : 4;
		Put16(file, at, e.tag);
		Put16(file, at + 2, e.type);
		Put32(file, at + 4, (uint32_t)e.values.size());
		size_t out = at + 8;
		if (e.values.size() * unit > 4)
		{
			Put32(file, at + 8, (uint32_t)file.size());
			out = file.size();
			file.resize(file.size() + e.values.size() * unit, '\0');
		}
		for (uint32_t v : e.values)
		{
			if (unit == 2)
				Put16(file, out, (uint16_t)v);
			else
				Put32(file, out, v);
			out += unit;
		}
	}
	return file;
}

// ===========================================================================
// Bitmaps in memory

TEST(Bitmap, InitMakesABlackImageOfTheRequestedSize)
{
	BitmapHolder bmp;
	ASSERT_NE(bmp.bmp, nullptr);
	EXPECT_EQ(bmp->GetBw(), 0);
	EXPECT_EQ(bmp->GetBt(), 0);
	ASSERT_EQ(bmp->Init(7, 3), IMAGERESULT_OK);
	EXPECT_EQ(bmp->GetBw(), 7);
	EXPECT_EQ(bmp->GetBh(), 3);
	EXPECT_EQ(bmp->GetBt(), 24);
	EXPECT_EQ(bmp->GetInternalChannel(), nullptr);
	EXPECT_EQ(PixelAt(bmp.bmp, 6, 2), (Rgb{ 0, 0, 0 }));
	// Depth 32 brings a transparent alpha channel along.
	ASSERT_EQ(bmp->Init(2, 2, 32), IMAGERESULT_OK);
	ASSERT_NE(bmp->GetInternalChannel(), nullptr);
	EXPECT_EQ(bmp->GetBt(), 32);
	EXPECT_EQ(AlphaAt(bmp.bmp, 1, 1), 0);
	EXPECT_EQ(bmp->GetInternalChannel()->GetBw(), 2);
	EXPECT_EQ(bmp->GetInternalChannel()->GetBt(), 8);
	// The largest side the host accepts.
	EXPECT_EQ(bmp->Init(BASEBITMAP_MAX_SIDE, 2), IMAGERESULT_OK);
	EXPECT_EQ(bmp->GetBw(), 16384);
	EXPECT_EQ(bmp->Init(1, BASEBITMAP_MAX_SIDE, 8), IMAGERESULT_OK);
}

TEST(Bitmap, InitRefusesSizesAndDepthsOutsideTheLimitsAndEndsEmpty)
{
	BitmapHolder bmp;
	const struct
	{
		LONG w, h, depth;
		IMAGERESULT result;
	} cases[] = {
		{ 0, 5, 24, IMAGERESULT_MISC_ERROR },
		{ 5, 0, 24, IMAGERESULT_MISC_ERROR },
		{ -3, 4, 24, IMAGERESULT_MISC_ERROR },
		{ INT_MIN, INT_MIN, 24, IMAGERESULT_MISC_ERROR },
		{ 4, 4, 7, IMAGERESULT_MISC_ERROR },
		{ 4, 4, 0, IMAGERESULT_MISC_ERROR },
		{ 4, 4, -24, IMAGERESULT_MISC_ERROR },
		{ 16385, 1, 24, IMAGERESULT_OUTOFMEMORY },
		{ 1, 16385, 24, IMAGERESULT_OUTOFMEMORY },
		// Each side is allowed, the product is not.
		{ 16384, 16384, 32, IMAGERESULT_OUTOFMEMORY },
		{ 8192, 2049, 24, IMAGERESULT_OUTOFMEMORY },
		{ INT_MAX, INT_MAX, 24, IMAGERESULT_OUTOFMEMORY },
	};
	for (const auto& c : cases)
	{
		ASSERT_EQ(bmp->Init(3, 3, 32), IMAGERESULT_OK);
		EXPECT_EQ(bmp->Init(c.w, c.h, c.depth), c.result) << c.w << " x " << c.h << " @ " << c.depth;
		EXPECT_EQ(bmp->GetBw(), 0);
		EXPECT_EQ(bmp->GetBh(), 0);
		EXPECT_EQ(bmp->GetInternalChannel(), nullptr);
	}
}

TEST(Bitmap, PixelsClampAndIgnoreOutOfRangeCoordinates)
{
	BitmapHolder bmp;
	ASSERT_EQ(bmp->Init(4, 3), IMAGERESULT_OK);
	EXPECT_TRUE(bmp->SetPixel(1, 2, 10, 20, 30));
	EXPECT_EQ(PixelAt(bmp.bmp, 1, 2), (Rgb{ 10, 20, 30 }));
	EXPECT_TRUE(bmp->SetPixel(3, 0, 300, -5, 255));
	EXPECT_EQ(PixelAt(bmp.bmp, 3, 0), (Rgb{ 255, 0, 255 }));
	EXPECT_TRUE(bmp->SetPixel(0, 0, INT_MAX, INT_MIN, 128));
	EXPECT_EQ(PixelAt(bmp.bmp, 0, 0), (Rgb{ 255, 0, 128 }));
	// Neighbours are untouched: rows and columns are not mixed up.
	EXPECT_EQ(PixelAt(bmp.bmp, 2, 1), (Rgb{ 0, 0, 0 }));
	EXPECT_EQ(PixelAt(bmp.bmp, 1, 1), (Rgb{ 0, 0, 0 }));

	for (const auto& xy : { std::make_pair(-1, 0), std::make_pair(0, -1), std::make_pair(4, 0), std::make_pair(0, 3),
			 std::make_pair(INT_MIN, INT_MIN), std::make_pair(INT_MAX, 1) })
	{
		EXPECT_FALSE(bmp->SetPixel(xy.first, xy.second, 1, 2, 3));
		EXPECT_EQ(PixelAt(bmp.bmp, xy.first, xy.second), (Rgb{ 0, 0, 0 })) << xy.first << ", " << xy.second;
	}
	// Out-of-range writes did not wrap onto another pixel.
	EXPECT_EQ(PixelAt(bmp.bmp, 0, 1), (Rgb{ 0, 0, 0 }));
	EXPECT_EQ(PixelAt(bmp.bmp, 3, 2), (Rgb{ 0, 0, 0 }));
	// Null out parameters are skipped.
	UWORD g = 7;
	bmp->GetPixel(1, 2, nullptr, &g, nullptr);
	EXPECT_EQ(g, 20);

	BitmapHolder empty;
	EXPECT_FALSE(empty->SetPixel(0, 0, 1, 1, 1));
	EXPECT_EQ(PixelAt(empty.bmp, 0, 0), (Rgb{ 0, 0, 0 }));
}

TEST(Bitmap, AlphaChannelIsCreatedOnceOwnedAndAddressedOnlyThroughItsBitmap)
{
	BitmapHolder bmp;
	EXPECT_EQ(bmp->AddChannel(TRUE, TRUE), nullptr); // empty bitmap
	ASSERT_EQ(bmp->Init(3, 2), IMAGERESULT_OK);
	EXPECT_EQ(bmp->AddChannel(FALSE, TRUE), nullptr);
	BaseBitmap* alpha = bmp->AddChannel(TRUE, TRUE);
	ASSERT_NE(alpha, nullptr);
	EXPECT_EQ(bmp->AddChannel(TRUE, FALSE), alpha);
	EXPECT_EQ(bmp->GetInternalChannel(), alpha);
	EXPECT_EQ(alpha->AddChannel(TRUE, TRUE), nullptr);
	EXPECT_EQ(alpha->GetInternalChannel(), nullptr);
	EXPECT_EQ(bmp->GetBt(), 32);

	EXPECT_TRUE(bmp->SetAlphaPixel(alpha, 2, 1, 77));
	EXPECT_TRUE(bmp->SetAlphaPixel(alpha, 0, 0, 1000));
	EXPECT_TRUE(bmp->SetAlphaPixel(alpha, 1, 0, -1));
	EXPECT_EQ(AlphaAt(bmp.bmp, 2, 1), 77);
	EXPECT_EQ(AlphaAt(bmp.bmp, 0, 0), 255);
	EXPECT_EQ(AlphaAt(bmp.bmp, 1, 0), 0);
	EXPECT_EQ(AlphaAt(bmp.bmp, 3, 1), 0);
	EXPECT_FALSE(bmp->SetAlphaPixel(alpha, 3, 0, 9));
	EXPECT_FALSE(bmp->SetAlphaPixel(alpha, -1, 0, 9));
	// The channel reads as a grey image, and alpha does not leak into colour.
	EXPECT_EQ(PixelAt(alpha, 2, 1), (Rgb{ 77, 77, 77 }));
	EXPECT_EQ(PixelAt(bmp.bmp, 2, 1), (Rgb{ 0, 0, 0 }));

	// Another bitmap's channel, or none, is refused.
	BitmapHolder other;
	ASSERT_EQ(other->Init(3, 2, 32), IMAGERESULT_OK);
	BaseBitmap* foreign = other->GetInternalChannel();
	EXPECT_FALSE(bmp->SetAlphaPixel(foreign, 0, 0, 5));
	EXPECT_FALSE(bmp->SetAlphaPixel(nullptr, 0, 0, 5));
	EXPECT_EQ(AlphaAt(other.bmp, 0, 0), 0);
	UWORD a = 42;
	bmp->GetAlphaPixel(foreign, 0, 0, &a);
	EXPECT_EQ(a, 0);
	bmp->GetAlphaPixel(alpha, 0, 0, nullptr);

	// Freeing a channel only forgets the pointer; the owner keeps it.
	BaseBitmap* handle = alpha;
	BaseBitmap::Free(handle);
	EXPECT_EQ(handle, nullptr);
	EXPECT_EQ(bmp->GetInternalChannel(), alpha);
	EXPECT_EQ(AlphaAt(bmp.bmp, 2, 1), 77);
	// A channel cannot be re-sized on its own.
	EXPECT_EQ(alpha->Init(9, 9), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(alpha->GetBw(), 3);

	// A new Init starts over without alpha.
	ASSERT_EQ(bmp->Init(3, 2), IMAGERESULT_OK);
	EXPECT_EQ(bmp->GetInternalChannel(), nullptr);
}

TEST(Bitmap, CloneIsDeepAlphaIncluded)
{
	BitmapHolder bmp;
	ASSERT_EQ(bmp->Init(2, 2, 32), IMAGERESULT_OK);
	bmp->SetPixel(1, 0, 1, 2, 3);
	bmp->SetAlphaPixel(bmp->GetInternalChannel(), 1, 0, 200);
	BaseBitmap* clone = bmp->GetClone();
	ASSERT_NE(clone, nullptr);
	EXPECT_EQ(clone->GetBw(), 2);
	EXPECT_EQ(clone->GetBh(), 2);
	EXPECT_EQ(PixelAt(clone, 1, 0), (Rgb{ 1, 2, 3 }));
	ASSERT_NE(clone->GetInternalChannel(), nullptr);
	EXPECT_NE(clone->GetInternalChannel(), bmp->GetInternalChannel());
	EXPECT_EQ(AlphaAt(clone, 1, 0), 200);
	// The clone addresses its own channel, not the original's.
	EXPECT_FALSE(clone->SetAlphaPixel(bmp->GetInternalChannel(), 0, 0, 1));
	clone->SetPixel(1, 0, 9, 9, 9);
	clone->SetAlphaPixel(clone->GetInternalChannel(), 1, 0, 5);
	EXPECT_EQ(PixelAt(bmp.bmp, 1, 0), (Rgb{ 1, 2, 3 }));
	EXPECT_EQ(AlphaAt(bmp.bmp, 1, 0), 200);
	BaseBitmap::Free(clone);
	EXPECT_EQ(clone, nullptr);

	BitmapHolder empty;
	BaseBitmap* emptyClone = empty->GetClone();
	ASSERT_NE(emptyClone, nullptr);
	EXPECT_EQ(emptyClone->GetBw(), 0);
	BaseBitmap::Free(emptyClone);
	BaseBitmap* none = nullptr;
	BaseBitmap::Free(none);
}

// ===========================================================================
// TIFF files

TEST_F(BitmapFiles, SaveThenLoadIsPixelExactIncludingTranslucentColour)
{
	BitmapHolder src;
	ASSERT_EQ(src->Init(37, 5), IMAGERESULT_OK);
	BaseBitmap* alpha = src->AddChannel(TRUE, TRUE);
	for (LONG y = 0; y < 5; ++y)
		for (LONG x = 0; x < 37; ++x)
		{
			src->SetPixel(x, y, x * 7, y * 50, (x * y) % 256);
			src->SetAlphaPixel(alpha, x, y, (x * 13 + y) % 256);
		}
	// Colour under nearly no alpha must survive: no multiplication by alpha.
	src->SetPixel(3, 2, 200, 33, 7);
	src->SetAlphaPixel(alpha, 3, 2, 1);
	ASSERT_EQ(src->Save(PathOf("rgba.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_OK);

	BitmapHolder back;
	ASSERT_EQ(back->Init(PathOf("rgba.tif")), IMAGERESULT_OK);
	ASSERT_EQ(back->GetBw(), 37);
	ASSERT_EQ(back->GetBh(), 5);
	ASSERT_NE(back->GetInternalChannel(), nullptr);
	for (LONG y = 0; y < 5; ++y)
		for (LONG x = 0; x < 37; ++x)
		{
			ASSERT_EQ(PixelAt(back.bmp, x, y), PixelAt(src.bmp, x, y)) << x << ", " << y;
			ASSERT_EQ(AlphaAt(back.bmp, x, y), AlphaAt(src.bmp, x, y)) << x << ", " << y;
		}
	EXPECT_EQ(PixelAt(back.bmp, 3, 2), (Rgb{ 200, 33, 7 }));
	EXPECT_EQ(AlphaAt(back.bmp, 3, 2), 1);
	// Frame 0 is the first image too; there is no second.
	EXPECT_EQ(back->Init(PathOf("rgba.tif"), 0), IMAGERESULT_OK);
	EXPECT_EQ(back->GetBw(), 37);
	EXPECT_EQ(LoadRefused(PathOf("rgba.tif"), 1), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(LoadRefused(PathOf("rgba.tif"), INT_MAX), IMAGERESULT_MISC_ERROR);
}

TEST_F(BitmapFiles, SaveWithoutAlphaWritesRgbAndReplacesTheTargetLeavingNothingElse)
{
	BitmapHolder src;
	ASSERT_EQ(src->Init(2, 1), IMAGERESULT_OK);
	src->SetPixel(0, 0, 255, 0, 255);
	src->SetPixel(1, 0, 1, 254, 3);
	WriteBytes("rgb.tif", "an older file");
	ASSERT_EQ(src->Save(PathOf("rgb.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_OK);
	EXPECT_EQ(Entries(), std::vector<std::string>{ "rgb.tif" });
	EXPECT_EQ(ReadBytes("rgb.tif").substr(0, 4), std::string("II*\0", 4));

	BitmapHolder back;
	ASSERT_EQ(back->Init(PathOf("rgb.tif")), IMAGERESULT_OK);
	EXPECT_EQ(back->GetInternalChannel(), nullptr);
	EXPECT_EQ(back->GetBt(), 24);
	EXPECT_EQ(PixelAt(back.bmp, 0, 0), (Rgb{ 255, 0, 255 }));
	EXPECT_EQ(PixelAt(back.bmp, 1, 0), (Rgb{ 1, 254, 3 }));
}

#ifndef _WIN32
TEST_F(BitmapFiles, SaveGoesThroughALinkAndKeepsTheMode)
{
	BitmapHolder src;
	ASSERT_EQ(src->Init(1, 1), IMAGERESULT_OK);
	src->SetPixel(0, 0, 9, 8, 7);
	WriteBytes("real.tif", "an older file");
	fs::permissions(dir_ / "real.tif", fs::perms(0600));
	fs::create_symlink("real.tif", dir_ / "link.tif");
	ASSERT_EQ(src->Save(PathOf("link.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_OK);
	EXPECT_TRUE(fs::is_symlink(dir_ / "link.tif"));
	EXPECT_EQ(fs::status(dir_ / "real.tif").permissions(), fs::perms(0600));
	BitmapHolder back;
	ASSERT_EQ(back->Init(PathOf("real.tif")), IMAGERESULT_OK);
	EXPECT_EQ(PixelAt(back.bmp, 0, 0), (Rgb{ 9, 8, 7 }));
	EXPECT_EQ(Entries().size(), 2u);
}
#endif

TEST_F(BitmapFiles, SaveRefusesEmptyBitmapsChannelsAndUnwritablePlaces)
{
	BitmapHolder empty;
	::testing::internal::CaptureStderr();
	EXPECT_EQ(empty->Save(PathOf("empty.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_MISC_ERROR);
	BitmapHolder bmp;
	ASSERT_EQ(bmp->Init(2, 2, 32), IMAGERESULT_OK);
	EXPECT_EQ(bmp->GetInternalChannel()->Save(PathOf("channel.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(bmp->Save(PathOf("no/such/folder/x.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(bmp->Save(Filename(), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_MISC_ERROR);
	// A folder in the way of the target: the rename fails, the temporary goes.
	fs::create_directories(dir_ / "taken.tif" / "inside");
	EXPECT_EQ(bmp->Save(PathOf("taken.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
	EXPECT_EQ(Entries(), std::vector<std::string>{ "taken.tif" });
}

TEST_F(BitmapFiles, TheAlphaChannelIsWrittenOnlyWhenAskedForAndOnlyTiffIsWritten)
{
	BitmapHolder src;
	ASSERT_EQ(src->Init(3, 2, 32), IMAGERESULT_OK);
	src->SetPixel(1, 1, 10, 20, 30);
	src->SetAlphaPixel(src->GetInternalChannel(), 1, 1, 77);
	ASSERT_EQ(src->Save(PathOf("plain.tif"), FILTER_TIF, nullptr, SAVEBIT_0), IMAGERESULT_OK);
	BitmapHolder back;
	Bool movie = TRUE;
	ASSERT_EQ(back->Init(PathOf("plain.tif"), -1, &movie), IMAGERESULT_OK);
	EXPECT_FALSE(movie);
	EXPECT_EQ(back->GetInternalChannel(), nullptr);
	EXPECT_EQ(PixelAt(back.bmp, 1, 1), (Rgb{ 10, 20, 30 }));

	// Another format is refused and leaves the file as it was.
	const std::string before = ReadBytes("plain.tif");
	EXPECT_EQ(src->Save(PathOf("plain.tif"), FILTER_TIF + 1, nullptr, SAVEBIT_ALPHA), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(ReadBytes("plain.tif"), before);
	EXPECT_EQ(Entries(), std::vector<std::string>{ "plain.tif" });
}

TEST_F(BitmapFiles, MissingEmptyAndGarbageFilesAreRefusedQuietly)
{
	EXPECT_EQ(LoadRefused(PathOf("missing.tif")), IMAGERESULT_NOTEXISTING);
	EXPECT_EQ(LoadRefused(Filename()), IMAGERESULT_NOTEXISTING);
	EXPECT_EQ(LoadRefused(Filename(HostString(dir_.string()))), IMAGERESULT_NOTEXISTING);

	WriteBytes("empty.tif", "");
	EXPECT_EQ(LoadRefused(PathOf("empty.tif")), IMAGERESULT_WRONGTYPE);
	const char garbage[] = "\x89PNG\r\n\x1a\n this is not a tiff at all \x01\x02\xff";
	WriteBytes("garbage.tif", std::string(garbage, sizeof(garbage) - 1));
	WriteBytes("zeros.tif", std::string(4096, '\0'));
	EXPECT_EQ(LoadRefused(PathOf("zeros.tif")), IMAGERESULT_WRONGTYPE);
	EXPECT_EQ(LoadRefused(PathOf("garbage.tif")), IMAGERESULT_WRONGTYPE);
	// A valid header whose first directory lies beyond the end of the file.
	WriteBytes("header.tif", std::string("II*\0\xF0\xFF\xFF\x7F", 8));
	EXPECT_EQ(LoadRefused(PathOf("header.tif")), IMAGERESULT_WRONGTYPE);
	WriteBytes("short.tif", std::string("II*\0", 4));
	EXPECT_EQ(LoadRefused(PathOf("short.tif")), IMAGERESULT_WRONGTYPE);
}

TEST_F(BitmapFiles, TruncatedFilesAreRefusedQuietly)
{
	BitmapHolder src;
	ASSERT_EQ(src->Init(64, 64, 32), IMAGERESULT_OK);
	for (LONG y = 0; y < 64; ++y)
		for (LONG x = 0; x < 64; ++x)
			src->SetPixel(x, y, x * 4, y * 4, (x ^ y) * 4);
	ASSERT_EQ(src->Save(PathOf("whole.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_OK);
	const std::string whole = ReadBytes("whole.tif");
	ASSERT_GT(whole.size(), 200u);
	// Our own files keep their directory at the end: every cut loses it or data.
	for (size_t keep : { whole.size() - 1, whole.size() / 2, (size_t)100, (size_t)9 })
	{
		WriteBytes("cut.tif", whole.substr(0, keep));
		EXPECT_NE(LoadRefused(PathOf("cut.tif")), IMAGERESULT_OK) << keep << " bytes";
	}
	// A complete directory whose strip runs past the end of the file.
	const std::string strip(10, '\x40');
	WriteBytes("strip.tif", BuildTiff(100, 100, 8, 1, 1, strip, 100 * 100));
	EXPECT_EQ(LoadRefused(PathOf("strip.tif")), IMAGERESULT_MISC_ERROR);
	WriteBytes("rgbstrip.tif", BuildTiff(100, 100, 8, 3, 2, strip, 100 * 100 * 3));
	EXPECT_EQ(LoadRefused(PathOf("rgbstrip.tif")), IMAGERESULT_MISC_ERROR);
}

TEST_F(BitmapFiles, AbsurdDeclaredSizesAreRefusedBeforeAnyAllocation)
{
	// A few bytes claiming ten billion pixels, and sides past the limit.
	WriteBytes("huge.tif", BuildTiff(100000, 100000, 8, 3, 2, std::string(12, '\0')));
	EXPECT_EQ(LoadRefused(PathOf("huge.tif")), IMAGERESULT_OUTOFMEMORY);
	WriteBytes("wide.tif", BuildTiff(16385, 1, 8, 1, 1, std::string(12, '\0')));
	EXPECT_EQ(LoadRefused(PathOf("wide.tif")), IMAGERESULT_OUTOFMEMORY);
	WriteBytes("max.tif", BuildTiff(0xFFFFFFFFu, 0xFFFFFFFFu, 8, 1, 1, std::string(12, '\0')));
	EXPECT_NE(LoadRefused(PathOf("max.tif")), IMAGERESULT_OK);
	WriteBytes("zero.tif", BuildTiff(0, 5, 8, 1, 1, std::string(12, '\0')));
	EXPECT_NE(LoadRefused(PathOf("zero.tif")), IMAGERESULT_OK);
}

TEST_F(BitmapFiles, OtherLayoutsLoadThroughTheGeneralReader)
{
	// 8-bit grey: the value goes into all three components.
	WriteBytes("grey.tif", BuildTiff(3, 2, 8, 1, 1, std::string("\x00\x10\x80\xff\x01\x7f", 6)));
	BitmapHolder grey;
	ASSERT_EQ(grey->Init(PathOf("grey.tif")), IMAGERESULT_OK);
	EXPECT_EQ(grey->GetBw(), 3);
	EXPECT_EQ(grey->GetBh(), 2);
	EXPECT_EQ(grey->GetInternalChannel(), nullptr);
	EXPECT_EQ(PixelAt(grey.bmp, 0, 0), (Rgb{ 0, 0, 0 }));
	EXPECT_EQ(PixelAt(grey.bmp, 1, 0), (Rgb{ 16, 16, 16 }));
	EXPECT_EQ(PixelAt(grey.bmp, 2, 0), (Rgb{ 128, 128, 128 }));
	EXPECT_EQ(PixelAt(grey.bmp, 0, 1), (Rgb{ 255, 255, 255 }));
	EXPECT_EQ(PixelAt(grey.bmp, 2, 1), (Rgb{ 127, 127, 127 }));

	// 16-bit RGB, little-endian samples: full scale maps to 255, zero to 0.
	std::string wide;
	for (uint16_t v : { 0xFFFF, 0x0000, 0xFFFF, 0x0000, 0xFFFF, 0x0000 })
	{
		wide += (char)(v & 0xFF);
		wide += (char)(v >> 8);
	}
	WriteBytes("rgb16.tif", BuildTiff(2, 1, 16, 3, 2, wide));
	BitmapHolder rgb16;
	ASSERT_EQ(rgb16->Init(PathOf("rgb16.tif")), IMAGERESULT_OK);
	EXPECT_EQ(PixelAt(rgb16.bmp, 0, 0), (Rgb{ 255, 0, 255 }));
	EXPECT_EQ(PixelAt(rgb16.bmp, 1, 0), (Rgb{ 0, 255, 0 }));

	// 8-bit RGB without an alpha channel, built by hand rather than by Save.
	WriteBytes("rgb8.tif", BuildTiff(2, 1, 8, 3, 2, std::string("\x0a\x14\x1e\xc8\x00\x64", 6)));
	BitmapHolder rgb8;
	ASSERT_EQ(rgb8->Init(PathOf("rgb8.tif")), IMAGERESULT_OK);
	EXPECT_EQ(PixelAt(rgb8.bmp, 0, 0), (Rgb{ 10, 20, 30 }));
	EXPECT_EQ(PixelAt(rgb8.bmp, 1, 0), (Rgb{ 200, 0, 100 }));
}

// ===========================================================================
// The icon registry. Ids are distinct per test: the registry is process-wide.

// A w x h bitmap with alpha where pixel (x, y) is (x, y, 100) with alpha x + y.
BaseBitmap* NumberedBitmap(LONG w, LONG h)
{
	BaseBitmap* bmp = BaseBitmap::Alloc();
	if (!bmp || bmp->Init(w, h, 32) != IMAGERESULT_OK)
		return nullptr;
	for (LONG y = 0; y < h; ++y)
		for (LONG x = 0; x < w; ++x)
		{
			bmp->SetPixel(x, y, x, y, 100);
			bmp->SetAlphaPixel(bmp->GetInternalChannel(), x, y, x + y);
		}
	return bmp;
}

TEST(Icon, CopiedCellOutlivesTheCallersBitmap)
{
	const LONG id = 1990101;
	BaseBitmap* strip = NumberedBitmap(16, 8);
	ASSERT_NE(strip, nullptr);
	ASSERT_TRUE(RegisterIcon(id, strip, 4, 2, 8, -1, ICONFLAG_COPY));
	BaseBitmap::Free(strip);

	IconData dat = { nullptr, -1, -1, -1, -1 };
	ASSERT_TRUE(GetIcon(id, &dat));
	ASSERT_NE(dat.bmp, nullptr);
	EXPECT_EQ(dat.x, 0);
	EXPECT_EQ(dat.y, 0);
	EXPECT_EQ(dat.w, 8);
	EXPECT_EQ(dat.h, 6);
	EXPECT_EQ(dat.bmp->GetBw(), 8);
	EXPECT_EQ(dat.bmp->GetBh(), 6);
	// Cell pixel (0, 0) was source pixel (4, 2); (7, 5) was (11, 7).
	EXPECT_EQ(PixelAt(dat.bmp, 0, 0), (Rgb{ 4, 2, 100 }));
	EXPECT_EQ(PixelAt(dat.bmp, 7, 5), (Rgb{ 11, 7, 100 }));
	ASSERT_NE(dat.bmp->GetInternalChannel(), nullptr);
	EXPECT_EQ(AlphaAt(dat.bmp, 0, 0), 6);
	EXPECT_EQ(AlphaAt(dat.bmp, 7, 5), 18);
	EXPECT_TRUE(UnregisterIcon(id));
}

TEST(Icon, UncopiedIconKeepsTheCallersBitmapAndResolvesTheRest)
{
	const LONG id = 1990102;
	BaseBitmap* strip = NumberedBitmap(128, 64);
	ASSERT_NE(strip, nullptr);
	ASSERT_TRUE(RegisterIcon(id, strip, 64));
	IconData dat = {};
	ASSERT_TRUE(GetIcon(id, &dat));
	EXPECT_EQ(dat.bmp, strip);
	EXPECT_EQ(dat.x, 64);
	EXPECT_EQ(dat.y, 0);
	EXPECT_EQ(dat.w, 64);
	EXPECT_EQ(dat.h, 64);
	// A copy without alpha stays without alpha.
	BaseBitmap* plain = BaseBitmap::Alloc();
	ASSERT_EQ(plain->Init(3, 3), IMAGERESULT_OK);
	plain->SetPixel(2, 2, 9, 8, 7);
	ASSERT_TRUE(RegisterIcon(id + 1, plain, 0, 0, -1, -1, ICONFLAG_COPY));
	BaseBitmap::Free(plain);
	ASSERT_TRUE(GetIcon(id + 1, &dat));
	EXPECT_EQ(dat.bmp->GetInternalChannel(), nullptr);
	EXPECT_EQ(PixelAt(dat.bmp, 2, 2), (Rgb{ 9, 8, 7 }));
	EXPECT_TRUE(UnregisterIcon(id));
	EXPECT_TRUE(UnregisterIcon(id + 1));
	BaseBitmap::Free(strip);
}

TEST(Icon, UnregisterForgetsAndDuplicatesAreRefused)
{
	const LONG id = 1990201;
	BaseBitmap* strip = NumberedBitmap(8, 8);
	ASSERT_NE(strip, nullptr);
	ASSERT_TRUE(RegisterIcon(id, strip, 0, 0, 4, 4, ICONFLAG_COPY));
	// The first registration stands, whatever the second asks for.
	EXPECT_FALSE(RegisterIcon(id, strip, 4, 4, 4, 4, ICONFLAG_COPY));
	EXPECT_FALSE(RegisterIcon(id, strip));
	IconData dat = {};
	ASSERT_TRUE(GetIcon(id, &dat));
	EXPECT_EQ(PixelAt(dat.bmp, 3, 3), (Rgb{ 3, 3, 100 }));
	EXPECT_FALSE(GetIcon(id, nullptr));

	EXPECT_TRUE(UnregisterIcon(id));
	EXPECT_FALSE(UnregisterIcon(id));
	IconData untouched = { strip, 11, 12, 13, 14 };
	EXPECT_FALSE(GetIcon(id, &untouched));
	EXPECT_EQ(untouched.bmp, strip);
	EXPECT_EQ(untouched.x, 11);
	EXPECT_EQ(untouched.h, 14);
	// The id is free again.
	EXPECT_TRUE(RegisterIcon(id, strip, 4, 4, 4, 4, ICONFLAG_COPY));
	ASSERT_TRUE(GetIcon(id, &dat));
	EXPECT_EQ(PixelAt(dat.bmp, 0, 0), (Rgb{ 4, 4, 100 }));
	EXPECT_TRUE(UnregisterIcon(id));
	EXPECT_FALSE(UnregisterIcon(1990299));
	EXPECT_FALSE(GetIcon(INT_MIN, &dat));
	BaseBitmap::Free(strip);
}

TEST(Icon, EmptyOrOutOfBoundsCellsAndMissingBitmapsAreRefused)
{
	const LONG id = 1990301;
	BaseBitmap* strip = NumberedBitmap(64, 32);
	ASSERT_NE(strip, nullptr);
	BaseBitmap* empty = BaseBitmap::Alloc();
	const struct
	{
		BaseBitmap* bmp;
		LONG x, y, w, h;
	} cases[] = {
		{ nullptr, 0, 0, -1, -1 },
		{ empty, 0, 0, -1, -1 },
		{ strip, -1, 0, 4, 4 },
		{ strip, 0, -1, 4, 4 },
		{ strip, 64, 0, -1, -1 },
		{ strip, 0, 32, -1, -1 },
		{ strip, 0, 0, 0, 4 },
		{ strip, 0, 0, 4, 0 },
		{ strip, 0, 0, -2, 4 },
		{ strip, 0, 0, 4, INT_MIN },
		{ strip, 61, 0, 4, 4 },
		{ strip, 0, 29, 4, 4 },
		{ strip, 0, 0, 65, 32 },
		{ strip, 1, 0, INT_MAX, 4 },
		{ strip, INT_MAX, INT_MAX, 1, 1 },
	};
	for (const auto& c : cases)
		for (ICONFLAG flags : { ICONFLAG_0, ICONFLAG_COPY })
		{
			EXPECT_FALSE(RegisterIcon(id, c.bmp, c.x, c.y, c.w, c.h, flags)) << c.x << ", " << c.y << ", " << c.w << ", " << c.h;
			IconData dat = {};
			EXPECT_FALSE(GetIcon(id, &dat));
		}
	// The edges themselves are fine.
	EXPECT_TRUE(RegisterIcon(id, strip, 60, 28, 4, 4));
	EXPECT_TRUE(RegisterIcon(id + 1, strip, 63, 31, 1, 1, ICONFLAG_COPY));
	EXPECT_TRUE(UnregisterIcon(id));
	EXPECT_TRUE(UnregisterIcon(id + 1));
	BaseBitmap::Free(empty);
	BaseBitmap::Free(strip);
}

TEST(Icon, RegistryIsSafeAcrossThreads)
{
	const LONG base = 1991000;
	BaseBitmap* strip = NumberedBitmap(16, 16);
	ASSERT_NE(strip, nullptr);
	std::vector<std::thread> threads;
	std::vector<int> failures(4, 0);
	for (int t = 0; t < 4; ++t)
		threads.emplace_back([&, t] {
			for (LONG i = 0; i < 200; ++i)
			{
				const LONG id = base + t * 1000 + i;
				IconData dat = {};
				if (!RegisterIcon(id, strip, t, t, 4, 4, ICONFLAG_COPY) || !GetIcon(id, &dat) || dat.w != 4 || !UnregisterIcon(id))
					++failures[t];
			}
		});
	for (std::thread& th : threads)
		th.join();
	EXPECT_EQ(failures, std::vector<int>(4, 0));
	BaseBitmap::Free(strip);
}

// ===========================================================================
// The shipped images

Filename ResourceFile(const char* name) { return Filename(PULSOR_SOURCE_DIR) + Filename("res") + Filename(name); }

TEST(IconFiles, ParameterStripHasSevenTransparentCellsWithSomethingInEach)
{
	BitmapHolder bmp;
	ASSERT_EQ(bmp->Init(ResourceFile("pulsorIcons.tif")), IMAGERESULT_OK);
	EXPECT_EQ(bmp->GetBw(), 7 * 64);
	EXPECT_EQ(bmp->GetBh(), 64);
	ASSERT_NE(bmp->GetInternalChannel(), nullptr);
	for (LONG cell = 0; cell < 7; ++cell)
	{
		const LONG x0 = cell * 64;
		for (const auto& corner : { std::make_pair(0, 0), std::make_pair(63, 0), std::make_pair(0, 63), std::make_pair(63, 63) })
			EXPECT_EQ(AlphaAt(bmp.bmp, x0 + corner.first, corner.second), 0) << "cell " << cell;
		LONG opaque = 0, other = 0;
		for (LONG y = 0; y < 64; ++y)
			for (LONG x = 0; x < 64; ++x)
			{
				const UWORD a = AlphaAt(bmp.bmp, x0 + x, y);
				opaque += a == 255;
				other += a != 0 && a != 255;
			}
		EXPECT_GT(opaque, 150) << "cell " << cell;
		EXPECT_LT(opaque, 64 * 64 / 2) << "cell " << cell;
		EXPECT_EQ(other, 0) << "cell " << cell;
	}
	// The tag's wave is orange: it crosses the centre line a third of the way
	// in and has a trough below the middle, with nothing beneath that.
	EXPECT_EQ(PixelAt(bmp.bmp, 23, 32), (Rgb{ 255, 140, 0 }));
	EXPECT_EQ(PixelAt(bmp.bmp, 32, 46), (Rgb{ 255, 140, 0 }));
	EXPECT_EQ(AlphaAt(bmp.bmp, 32, 46), 255);
	EXPECT_EQ(AlphaAt(bmp.bmp, 32, 50), 0);
	// Position: the crosshair's centre. No parameter: the red bar across.
	EXPECT_EQ(PixelAt(bmp.bmp, 64 + 32, 32), (Rgb{ 235, 70, 70 }));
	EXPECT_EQ(PixelAt(bmp.bmp, 6 * 64 + 10, 10), (Rgb{ 220, 40, 40 }));
}

TEST(IconFiles, GlyphStripIsWhiteOnTheExactKeyColour)
{
	BitmapHolder bmp;
	ASSERT_EQ(bmp->Init(ResourceFile("texticons.tif")), IMAGERESULT_OK);
	EXPECT_EQ(bmp->GetBw(), 37 * 40);
	EXPECT_EQ(bmp->GetBh(), 40);
	EXPECT_EQ(bmp->GetInternalChannel(), nullptr);
	const Rgb key = { 255, 0, 255 }, white = { 255, 255, 255 };
	for (LONG cell = 0; cell < 37; ++cell)
	{
		const LONG x0 = cell * 40;
		EXPECT_EQ(PixelAt(bmp.bmp, x0, 0), key) << "cell " << cell;
		EXPECT_EQ(PixelAt(bmp.bmp, x0 + 39, 0), key) << "cell " << cell;
		EXPECT_EQ(PixelAt(bmp.bmp, x0, 39), key) << "cell " << cell;
		EXPECT_EQ(PixelAt(bmp.bmp, x0 + 39, 39), key) << "cell " << cell;
		// Nothing in between the two colours, and every cell carries a glyph.
		LONG glyph = 0;
		for (LONG y = 0; y < 40; ++y)
			for (LONG x = 0; x < 40; ++x)
			{
				const Rgb c = PixelAt(bmp.bmp, x0 + x, y);
				ASSERT_TRUE(c == key || c == white) << "cell " << cell << " at " << x << ", " << y << ": " << c;
				glyph += c == white;
			}
		EXPECT_GT(glyph, 200) << "cell " << cell;
	}
	// "A": its crossbar runs through the middle of the cell, its apex is open.
	EXPECT_EQ(PixelAt(bmp.bmp, 20, 20), white);
	EXPECT_EQ(PixelAt(bmp.bmp, 10, 20), white);
	EXPECT_EQ(PixelAt(bmp.bmp, 20, 12), key);
	// "I" (cell 8) and "1" (cell 27) differ, as do "O" (14) and "0" (26).
	auto same = [&](LONG a, LONG b) {
		for (LONG y = 0; y < 40; ++y)
			for (LONG x = 0; x < 40; ++x)
				if (!(PixelAt(bmp.bmp, a * 40 + x, y) == PixelAt(bmp.bmp, b * 40 + x, y)))
					return false;
		return true;
	};
	EXPECT_FALSE(same(8, 27));
	EXPECT_FALSE(same(14, 26));
}

TEST(IconFiles, HelpAndRegistrationIconsHaveTheirSizes)
{
	BitmapHolder help;
	ASSERT_EQ(help->Init(ResourceFile("HelpIcon.tif")), IMAGERESULT_OK);
	EXPECT_EQ(help->GetBw(), 20);
	EXPECT_EQ(help->GetBh(), 20);
	ASSERT_NE(help->GetInternalChannel(), nullptr);
	EXPECT_EQ(AlphaAt(help.bmp, 0, 0), 0);
	EXPECT_EQ(AlphaAt(help.bmp, 10, 1), 255);
	EXPECT_EQ(PixelAt(help.bmp, 10, 1), (Rgb{ 40, 110, 220 }));
	// The dot of the "?".
	EXPECT_EQ(PixelAt(help.bmp, 9, 15), (Rgb{ 255, 255, 255 }));

	BitmapHolder reg;
	ASSERT_EQ(reg->Init(ResourceFile("X.tif")), IMAGERESULT_OK);
	EXPECT_EQ(reg->GetBw(), 64);
	EXPECT_EQ(reg->GetBh(), 64);
	ASSERT_NE(reg->GetInternalChannel(), nullptr);
	EXPECT_EQ(AlphaAt(reg.bmp, 0, 0), 0);
	EXPECT_EQ(PixelAt(reg.bmp, 23, 32), (Rgb{ 255, 140, 0 }));
	EXPECT_EQ(PixelAt(reg.bmp, 32, 46), (Rgb{ 255, 140, 0 }));
}

} // namespace
