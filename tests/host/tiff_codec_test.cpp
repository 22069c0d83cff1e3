// The host's own TIFF codec. Where the host reads and writes bitmaps through
// libtiff (Linux), these tests cross-check the two: files written by one are
// read by the other. Everywhere the codec must decode the shipped icons to the
// pixels libtiff decodes them to, recorded here as checksums.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "c4d.h"
#include "host_string.h"
#include "tiff_codec.h"

namespace
{

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Helpers

std::vector<uint8_t> ReadFile(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A deterministic byte stream: xorshift, or runs of it for compressible data.
std::vector<uint8_t> Bytes(size_t n, uint32_t seed, unsigned runLength = 1)
{
	std::vector<uint8_t> out;
	uint32_t s = seed ? seed : 1;
	while (out.size() < n)
	{
		s ^= s << 13;
		s ^= s >> 17;
		s ^= s << 5;
		for (unsigned i = 0; i < runLength && out.size() < n; ++i)
			out.push_back((uint8_t)(s >> 24));
	}
	return out;
}

TiffRaster MakeRaster(uint32_t w, uint32_t h, bool alpha, uint32_t seed, unsigned runLength = 1)
{
	TiffRaster r;
	r.w = w;
	r.h = h;
	r.rgb = Bytes((size_t)w * h * 3, seed, runLength);
	if (alpha)
		r.alpha = Bytes((size_t)w * h, seed + 1, runLength);
	return r;
}

// FNV-1a over the size, the colours and the alpha of a raster.
uint64_t Checksum(const TiffRaster& r)
{
	uint64_t h = 1469598103934665603ull;
	const auto add = [&](uint8_t b) {
		h ^= b;
		h *= 1099511628211ull;
	};
	for (int i = 0; i < 4; ++i)
	{
		add((uint8_t)(r.w >> (8 * i)));
		add((uint8_t)(r.h >> (8 * i)));
	}
	for (uint8_t b : r.rgb)
		add(b);
	for (uint8_t b : r.alpha)
		add(b);
	return h;
}

// A bitmap's pixels as a raster, alpha included when it has a channel.
TiffRaster FromBitmap(BaseBitmap* bmp)
{
	TiffRaster r;
	r.w = (uint32_t)bmp->GetBw();
	r.h = (uint32_t)bmp->GetBh();
	BaseBitmap* alpha = bmp->GetInternalChannel();
	for (LONG y = 0; y < bmp->GetBh(); ++y)
		for (LONG x = 0; x < bmp->GetBw(); ++x)
		{
			UWORD c[3];
			bmp->GetPixel(x, y, &c[0], &c[1], &c[2]);
			for (UWORD v : c)
				r.rgb.push_back((uint8_t)v);
			if (alpha)
			{
				UWORD a;
				bmp->GetAlphaPixel(alpha, x, y, &a);
				r.alpha.push_back((uint8_t)a);
			}
		}
	return r;
}

void ExpectSame(const TiffRaster& a, const TiffRaster& b)
{
	EXPECT_EQ(a.w, b.w);
	EXPECT_EQ(a.h, b.h);
	EXPECT_TRUE(a.rgb == b.rgb);
	EXPECT_TRUE(a.alpha == b.alpha);
}

// Hand-built files in either byte order: one or more directories, each with
// its entries (values inline or placed after the pixel data) and strips.
struct Entry
{
	uint16_t tag;
	uint16_t type; // 3 SHORT, 4 LONG
	std::vector<uint32_t> values;
};

struct Image
{
	std::vector<Entry> entries;      // without the strip offsets
	std::vector<std::string> strips; // StripOffsets is filled in
};

class FileBuilder
{
public:
	explicit FileBuilder(bool little) : little_(little) {}

	std::vector<uint8_t> Build(const std::vector<Image>& images)
	{
		out_.assign(8, 0);
		out_[0] = out_[1] = little_ ? 'I' : 'M';
		Put(2, 42, 2);
		size_t link = 4;
		for (const Image& image : images)
		{
			std::vector<Entry> entries = image.entries;
			Entry offsets{ 273, 4, {} };
			for (const std::string& strip : image.strips)
			{
				offsets.values.push_back((uint32_t)out_.size());
				out_.insert(out_.end(), strip.begin(), strip.end());
			}
			entries.push_back(offsets);
			std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
			Align();
			const size_t ifd = out_.size();
			Put(link, (uint32_t)ifd, 4);
			out_.resize(ifd + 2 + entries.size() * 12 + 4, 0);
			Put(ifd, (uint32_t)entries.size(), 2);
			for (size_t i = 0; i < entries.size(); ++i)
			{
				const Entry& e = entries[i];
				const size_t at = ifd + 2 + i * 12;
				const size_t unit = e.type == 3 ? 2 : 4;
				Put(at, e.tag, 2);
				Put(at + 2, e.type, 2);
				Put(at + 4, (uint32_t)e.values.size(), 4);
				size_t where = at + 8;
				if (e.values.size() * unit > 4)
				{
					Align();
					where = out_.size();
					Put(at + 8, (uint32_t)where, 4);
					out_.resize(where + e.values.size() * unit, 0);
				}
				for (uint32_t v : e.values)
				{
					Put(where, v, unit);
					where += unit;
				}
			}
			link = ifd + 2 + entries.size() * 12;
		}
		return out_;
	}

private:
	void Align()
	{
		if (out_.size() % 2)
			out_.push_back(0);
	}
	void Put(size_t at, uint32_t v, size_t bytes)
	{
		for (size_t i = 0; i < bytes; ++i)
			out_[at + i] = (uint8_t)(little_ ? v >> (8 * i) : v >> (8 * (bytes - 1 - i)));
	}

	bool little_;
	std::vector<uint8_t> out_;
};

// The entries of a w x h image in one strip per `rows` rows.
std::vector<Entry> Basic(uint32_t w, uint32_t h, uint16_t bits, uint16_t samples, uint16_t photometric,
	const std::vector<size_t>& stripBytes, uint32_t rows, uint16_t compression = 1)
{
	std::vector<uint32_t> counts(stripBytes.begin(), stripBytes.end());
	return {
		{ 256, 4, { w } },
		{ 257, 4, { h } },
		{ 258, 3, std::vector<uint32_t>(samples, bits) },
		{ 259, 3, { compression } },
		{ 262, 3, { photometric } },
		{ 277, 3, { samples } },
		{ 278, 4, { rows } },
		{ 279, 4, counts },
	};
}

Image OneStrip(uint32_t w, uint32_t h, uint16_t bits, uint16_t samples, uint16_t photometric, const std::string& strip,
	uint16_t compression = 1)
{
	return Image{ Basic(w, h, bits, samples, photometric, { strip.size() }, h, compression), { strip } };
}

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::string Lzw(const std::string& s)
{
	std::vector<uint8_t> out;
	LzwEncode(reinterpret_cast<const uint8_t*>(s.data()), s.size(), &out);
	return Text(out);
}

IMAGERESULT Decode(const std::vector<uint8_t>& file, TiffRaster* r, int64_t frame = -1)
{
	return DecodeTiff(file.data(), file.size(), frame, r);
}

std::vector<uint8_t> Rgb(std::initializer_list<int> v)
{
	return std::vector<uint8_t>(v.begin(), v.end());
}

// ===========================================================================
// LZW

TEST(Lzw, CodesAreNineBitsMostSignificantFirstBetweenClearAndEnd)
{
	// Clear, 'A', 'B', 258 "AB", 260 "ABA", end: the textbook sequence.
	std::vector<uint8_t> out;
	const std::string text = "ABABABA";
	LzwEncode(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &out);
	EXPECT_EQ(out, Rgb({ 0x80, 0x10, 0x48, 0x50, 0x28, 0x24, 0x04 }));
	std::vector<uint8_t> back;
	ASSERT_TRUE(LzwDecode(out.data(), out.size(), text.size(), &back));
	EXPECT_EQ(Text(back), text);
}

TEST(Lzw, RoundTripsThroughEveryCodeWidthAndTableReset)
{
	// Random bytes fill the table after some 3800 codes; runs make long
	// strings, which take the decoder through the code it has not yet made.
	const std::vector<std::vector<uint8_t>> inputs = {
		{}, { 7 }, std::vector<uint8_t>(100000, 'a'), Bytes(1 << 17, 11), Bytes(1 << 17, 12, 5), Bytes(3000, 13, 40),
	};
	for (const std::vector<uint8_t>& input : inputs)
	{
		std::vector<uint8_t> encoded, decoded;
		LzwEncode(input.data(), input.size(), &encoded);
		ASSERT_TRUE(LzwDecode(encoded.data(), encoded.size(), input.size(), &decoded)) << input.size();
		EXPECT_TRUE(decoded == input) << input.size();
	}
	// A long run compresses to far fewer codes than bytes.
	std::vector<uint8_t> run;
	LzwEncode(inputs[2].data(), inputs[2].size(), &run);
	EXPECT_LT(run.size(), 1000u);
}

TEST(Lzw, DecodingStopsAtTheExpectedSizeAndRefusesShortOrBrokenStreams)
{
	const std::vector<uint8_t> input = Bytes(5000, 21, 3);
	std::vector<uint8_t> encoded, out;
	LzwEncode(input.data(), input.size(), &encoded);
	// Asked for less, it gives exactly that much.
	ASSERT_TRUE(LzwDecode(encoded.data(), encoded.size(), 1234, &out));
	EXPECT_TRUE(std::equal(out.begin(), out.end(), input.begin()));
	EXPECT_EQ(out.size(), 1234u);
	// Asked for more than the stream holds: refused.
	EXPECT_FALSE(LzwDecode(encoded.data(), encoded.size(), input.size() + 1, &out));
	EXPECT_FALSE(LzwDecode(encoded.data(), encoded.size() / 2, input.size(), &out));
	EXPECT_FALSE(LzwDecode(nullptr, 0, 1, &out));
	// A code beyond the next free entry, right after the first literal.
	const std::vector<uint8_t> jump = { 0x80, 0x10, 0x7F, 0xC0 };
	EXPECT_FALSE(LzwDecode(jump.data(), jump.size(), 10, &out));
	// A cut stream decodes only when the cut spared every code before the
	// end code; every flipped bit ends quietly, never with more than was
	// asked for.
	for (size_t keep = 0; keep < encoded.size(); keep += 7)
	{
		const bool decoded = LzwDecode(encoded.data(), keep, input.size(), &out);
		EXPECT_EQ(decoded, keep + 2 >= encoded.size()) << keep;
		EXPECT_TRUE(decoded ? out == input : out.size() < input.size()) << keep;
	}
	for (size_t bit = 0; bit < encoded.size() * 8; bit += 5)
	{
		std::vector<uint8_t> flipped = encoded;
		flipped[bit / 8] ^= (uint8_t)(1u << (bit % 8));
		if (LzwDecode(flipped.data(), flipped.size(), input.size(), &out))
			EXPECT_EQ(out.size(), input.size()) << bit;
		else
			EXPECT_LE(out.size(), input.size()) << bit;
	}
}

TEST(PackBits, LiteralsRunsAndNoOps)
{
	// 2 literals, a run of 3, a no-op, a literal.
	const std::vector<uint8_t> in = { 0x01, 'a', 'b', 0xFE, 'c', 0x80, 0x00, 'd' };
	std::vector<uint8_t> out;
	ASSERT_TRUE(PackBitsDecode(in.data(), in.size(), 6, &out));
	EXPECT_EQ(Text(out), "abcccd");
	// Short data, and runs that would pass the expected size.
	EXPECT_FALSE(PackBitsDecode(in.data(), 4, 6, &out));
	EXPECT_FALSE(PackBitsDecode(in.data(), in.size(), 7, &out));
	EXPECT_FALSE(PackBitsDecode(in.data(), in.size(), 4, &out));
	const std::vector<uint8_t> dangling = { 0xFE };
	EXPECT_FALSE(PackBitsDecode(dangling.data(), dangling.size(), 3, &out));
}

// ===========================================================================
// Files

TEST(TiffCodec, ShippedIconsDecodeToTheirRecordedPixels)
{
	// Checksums of the pixels libtiff decodes from the files in res/; when
	// icongen redraws them, the failure prints the new ones.
	const struct
	{
		const char* file;
		uint32_t w, h;
		bool alpha;
		uint64_t checksum;
	} icons[] = {
		{ "pulsorIcons.tif", 448, 64, true, 0x0b48a1771df2baa0ull },
		{ "texticons.tif", 1480, 40, false, 0x79e7174275b0d444ull },
		{ "HelpIcon.tif", 20, 20, true, 0x918a847a18886c3bull },
		{ "X.tif", 64, 64, true, 0x40605b66fdc96683ull },
	};
	for (const auto& icon : icons)
	{
		const fs::path path = fs::path(PULSOR_SOURCE_DIR) / "res" / icon.file;
		const std::vector<uint8_t> file = ReadFile(path);
		TiffRaster r;
		ASSERT_EQ(Decode(file, &r), IMAGERESULT_OK) << icon.file;
		EXPECT_EQ(r.w, icon.w) << icon.file;
		EXPECT_EQ(r.h, icon.h) << icon.file;
		EXPECT_EQ(r.alpha.empty(), !icon.alpha) << icon.file;
		EXPECT_EQ(Checksum(r), icon.checksum) << icon.file << std::hex << " 0x" << Checksum(r);
		// The host's bitmap loader (libtiff or this codec) agrees.
		AutoAlloc<BaseBitmap> bmp;
		ASSERT_EQ(bmp->Init(Filename(HostString(path.string())), -1), IMAGERESULT_OK);
		ExpectSame(FromBitmap(bmp), r);
	}
}

class TiffFiles : public ::testing::Test
{
protected:
	void SetUp() override
	{
		dir_ = fs::temp_directory_path()
			/ ("pulsor_tiff_codec_" + std::to_string(getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
		fs::remove_all(dir_);
		fs::create_directories(dir_);
	}
	void TearDown() override
	{
		std::error_code ec;
		fs::remove_all(dir_, ec);
	}
	Filename PathOf(const std::string& name) const { return Filename(HostString((dir_ / name).string())); }
	fs::path dir_;
};

TEST_F(TiffFiles, EncodedFilesLoadThroughTheHostsBitmapsPixelExact)
{
	// Single and many strips (rows wider than a strip's 8 KiB too), with and
	// without alpha, random and compressible pixels.
	const TiffRaster rasters[] = {
		MakeRaster(1, 1, false, 1), MakeRaster(37, 5, true, 2), MakeRaster(3000, 3, false, 3), MakeRaster(64, 64, true, 4),
		MakeRaster(200, 150, false, 5, 9),
	};
	int n = 0;
	for (const TiffRaster& raster : rasters)
	{
		std::vector<uint8_t> bytes;
		ASSERT_TRUE(EncodeTiff(raster, &bytes));
		const std::string name = "encoded" + std::to_string(n++) + ".tif";
		std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
		AutoAlloc<BaseBitmap> bmp;
		ASSERT_EQ(bmp->Init(PathOf(name), -1), IMAGERESULT_OK) << name;
		ExpectSame(FromBitmap(bmp), raster);
		TiffRaster back;
		ASSERT_EQ(Decode(bytes, &back), IMAGERESULT_OK);
		ExpectSame(back, raster);
	}
}

TEST_F(TiffFiles, FilesTheHostSavesDecodePixelExact)
{
	const TiffRaster raster = MakeRaster(97, 70, true, 8, 2);
	AutoAlloc<BaseBitmap> bmp;
	ASSERT_EQ(bmp->Init((LONG)raster.w, (LONG)raster.h, 32), IMAGERESULT_OK);
	for (uint32_t y = 0; y < raster.h; ++y)
		for (uint32_t x = 0; x < raster.w; ++x)
		{
			const size_t i = (size_t)y * raster.w + x;
			bmp->SetPixel((LONG)x, (LONG)y, raster.rgb[i * 3], raster.rgb[i * 3 + 1], raster.rgb[i * 3 + 2]);
			bmp->SetAlphaPixel(bmp->GetInternalChannel(), (LONG)x, (LONG)y, raster.alpha[i]);
		}
	ASSERT_EQ(bmp->Save(PathOf("saved.tif"), FILTER_TIF, nullptr, SAVEBIT_ALPHA), IMAGERESULT_OK);
	TiffRaster back;
	ASSERT_EQ(Decode(ReadFile(dir_ / "saved.tif"), &back), IMAGERESULT_OK);
	ExpectSame(back, raster);
}

TEST(TiffCodec, EncoderRefusesRastersThatDoNotFitTheirSize)
{
	std::vector<uint8_t> out;
	TiffRaster r = MakeRaster(4, 4, true, 1);
	r.alpha.pop_back();
	EXPECT_FALSE(EncodeTiff(r, &out));
	r = MakeRaster(4, 4, false, 1);
	r.rgb.push_back(0);
	EXPECT_FALSE(EncodeTiff(r, &out));
	EXPECT_FALSE(EncodeTiff(TiffRaster(), &out));
}

TEST(TiffCodec, GreyLayoutsInBothByteOrders)
{
	for (bool little : { true, false })
	{
		TiffRaster r;
		// MinIsWhite: 0 is white.
		ASSERT_EQ(Decode(FileBuilder(little).Build({ OneStrip(3, 1, 8, 1, 0, std::string("\x00\x10\xff", 3)) }), &r), IMAGERESULT_OK);
		EXPECT_EQ(r.rgb, Rgb({ 255, 255, 255, 239, 239, 239, 0, 0, 0 }));
		EXPECT_TRUE(r.alpha.empty());
		// 16-bit MinIsBlack in the file's byte order, rounded to 8 bits.
		const std::string wide("\x00\x00\x80\x80\xff\xff", 6);
		ASSERT_EQ(Decode(FileBuilder(little).Build({ OneStrip(3, 1, 16, 1, 1, wide) }), &r), IMAGERESULT_OK);
		EXPECT_EQ(r.rgb, Rgb({ 0, 0, 0, 128, 128, 128, 255, 255, 255 }));
		// 0x1234 differs by byte order: 0x3412 little, 0x1234 big.
		ASSERT_EQ(Decode(FileBuilder(little).Build({ OneStrip(1, 1, 16, 1, 1, std::string("\x12\x34", 2)) }), &r), IMAGERESULT_OK);
		EXPECT_EQ(r.rgb[0], little ? (0x3412 + 128) / 257 : (0x1234 + 128) / 257);
	}
}

TEST(TiffCodec, AlphaIsStraightOrUnmultipliedFromPremultiplied)
{
	// Grey with straight alpha, then RGB with premultiplied alpha.
	Image grey = OneStrip(2, 1, 8, 2, 1, std::string("\x40\x80\x20\x00", 4));
	grey.entries.push_back({ 338, 3, { 2 } });
	TiffRaster r;
	ASSERT_EQ(Decode(FileBuilder(true).Build({ grey }), &r), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 0x40, 0x40, 0x40, 0x20, 0x20, 0x20 }));
	EXPECT_EQ(r.alpha, Rgb({ 0x80, 0x00 }));

	Image rgba = OneStrip(2, 1, 8, 4, 2, std::string("\x40\x20\x00\x80\x05\x06\x07\x00", 8));
	rgba.entries.push_back({ 338, 3, { 1 } });
	ASSERT_EQ(Decode(FileBuilder(true).Build({ rgba }), &r), IMAGERESULT_OK);
	// 0x40 * 255 / 0x80 rounds to 128; zero alpha leaves black.
	EXPECT_EQ(r.rgb, Rgb({ 128, 64, 0, 0, 0, 0 }));
	EXPECT_EQ(r.alpha, Rgb({ 0x80, 0x00 }));

	// An unspecified extra sample is carried but is no alpha.
	Image extra = OneStrip(1, 1, 8, 4, 2, std::string("\x01\x02\x03\x04", 4));
	extra.entries.push_back({ 338, 3, { 0 } });
	ASSERT_EQ(Decode(FileBuilder(true).Build({ extra }), &r), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 1, 2, 3 }));
	EXPECT_TRUE(r.alpha.empty());
}

TEST(TiffCodec, StripsCompressionsPredictorAndOrientation)
{
	// 2 x 3 RGB in strips of two rows: LZW, then PackBits, then none.
	const std::string rows = "\x01\x02\x03\x04\x05\x06" "\x07\x08\x09\x0a\x0b\x0c" "\x0d\x0e\x0f\x10\x11\x12";
	const std::vector<uint8_t> all(rows.begin(), rows.end());
	const std::string packed = std::string("\x0b", 1) + rows.substr(0, 12);
	const std::string lzwFirst = Lzw(rows.substr(0, 12)), lzwLast = Lzw(rows.substr(12));
	const std::string packedLast = std::string("\x05", 1) + rows.substr(12);
	TiffRaster r;
	for (uint16_t compression : { 1, 5, 32773 })
	{
		std::vector<std::string> strips;
		if (compression == 1)
			strips = { rows.substr(0, 12), rows.substr(12) };
		else if (compression == 5)
			strips = { lzwFirst, lzwLast };
		else
			strips = { packed, packedLast };
		Image image{ Basic(2, 3, 8, 3, 2, { strips[0].size(), strips[1].size() }, 2, compression), strips };
		ASSERT_EQ(Decode(FileBuilder(true).Build({ image }), &r), IMAGERESULT_OK) << compression;
		EXPECT_EQ(r.rgb, all) << compression;
	}

	// Horizontal differencing: each sample is stored as the step from the
	// same sample of the pixel to its left.
	Image predicted = OneStrip(3, 1, 8, 3, 2, std::string("\x10\x20\x30\x01\x02\xff\x01\x02\xff", 9));
	predicted.entries.push_back({ 317, 3, { 2 } });
	ASSERT_EQ(Decode(FileBuilder(true).Build({ predicted }), &r), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 0x10, 0x20, 0x30, 0x11, 0x22, 0x2f, 0x12, 0x24, 0x2e }));
	Image predicted16 = OneStrip(2, 1, 16, 1, 1, std::string("\xff\x00\x01\x00", 4));
	predicted16.entries.push_back({ 317, 3, { 2 } });
	ASSERT_EQ(Decode(FileBuilder(true).Build({ predicted16 }), &r), IMAGERESULT_OK);
	// 0x00FF, then 0x00FF + 0x0001 = 0x0100, both near black.
	EXPECT_EQ(r.rgb, Rgb({ 1, 1, 1, 1, 1, 1 }));

	// Orientation 4 stores the bottom row first, 2 each row right to left.
	Image bottomUp = OneStrip(1, 2, 8, 1, 1, std::string("\x0a\x0b", 2));
	bottomUp.entries.push_back({ 274, 3, { 4 } });
	ASSERT_EQ(Decode(FileBuilder(false).Build({ bottomUp }), &r), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 0x0b, 0x0b, 0x0b, 0x0a, 0x0a, 0x0a }));
	Image mirrored = OneStrip(2, 1, 8, 1, 1, std::string("\x0a\x0b", 2));
	mirrored.entries.push_back({ 274, 3, { 2 } });
	ASSERT_EQ(Decode(FileBuilder(false).Build({ mirrored }), &r), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 0x0b, 0x0b, 0x0b, 0x0a, 0x0a, 0x0a }));
}

TEST(TiffCodec, FramesWalkTheDirectoryChain)
{
	const std::vector<uint8_t> file = FileBuilder(true).Build({ OneStrip(1, 1, 8, 1, 1, std::string("\x11", 1)),
		OneStrip(2, 1, 8, 1, 1, std::string("\x22\x33", 2)), OneStrip(1, 2, 8, 1, 0, std::string("\x00\x01", 2)) });
	TiffRaster r;
	ASSERT_EQ(Decode(file, &r, 0), IMAGERESULT_OK);
	EXPECT_EQ(r.w, 1u);
	ASSERT_EQ(Decode(file, &r, 1), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 0x22, 0x22, 0x22, 0x33, 0x33, 0x33 }));
	ASSERT_EQ(Decode(file, &r, 2), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb, Rgb({ 0xff, 0xff, 0xff, 0xfe, 0xfe, 0xfe }));
	EXPECT_EQ(Decode(file, &r, 3), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(Decode(file, &r, 4), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(Decode(file, &r, 0x10000), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(r.w, 0u);

	// A directory that names itself as the next: any frame is that image,
	// and the walk stays bounded.
	std::vector<uint8_t> loop = FileBuilder(true).Build({ OneStrip(1, 1, 8, 1, 1, std::string("\x44", 1)) });
	const uint32_t ifd = loop[4] | loop[5] << 8 | loop[6] << 16 | (uint32_t)loop[7] << 24;
	const size_t nextAt = ifd + 2 + (loop[ifd] | loop[ifd + 1] << 8) * 12;
	for (int i = 0; i < 4; ++i)
		loop[nextAt + i] = loop[4 + i];
	ASSERT_EQ(Decode(loop, &r, 0xFFFF), IMAGERESULT_OK);
	EXPECT_EQ(r.rgb[0], 0x44);
}

TEST(TiffCodec, LayoutsOutsideTheBaselineAreRefusedAsWrongType)
{
	const std::string px(12, '\x01');
	std::vector<Image> refused;
	refused.push_back(OneStrip(2, 2, 4, 1, 1, px));                    // 4-bit grey
	refused.push_back(OneStrip(2, 2, 8, 1, 3, px));                    // palette
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px, 7));                 // JPEG
	refused.push_back(OneStrip(2, 2, 8, 4, 2, px));                    // 4 colours, no extra sample
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px));
	refused.back().entries.push_back({ 284, 3, { 2 } });               // separate planes
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px));
	refused.back().entries.push_back({ 322, 4, { 16 } });              // tiles
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px));
	refused.back().entries.push_back({ 339, 3, { 3, 3, 3 } });         // floating point
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px));
	refused.back().entries.push_back({ 274, 3, { 5 } });               // transposed
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px));
	refused.back().entries[2].values = { 8, 16, 8 };                   // mixed sample sizes
	refused.push_back(OneStrip(2, 2, 8, 3, 2, px));
	refused.back().entries.erase(refused.back().entries.begin() + 4);  // no photometric
	refused.push_back(Image{ Basic(2, 2, 8, 3, 2, { 6 }, 1), { px } }); // fewer strips than rows need
	for (size_t i = 0; i < refused.size(); ++i)
	{
		TiffRaster r;
		EXPECT_EQ(Decode(FileBuilder(true).Build({ refused[i] }), &r), IMAGERESULT_WRONGTYPE) << i;
		EXPECT_TRUE(r.rgb.empty()) << i;
	}
}

TEST(TiffCodec, DamagedFilesAreRefusedWithoutReadingPastTheirEnd)
{
	TiffRaster r;
	// Pixel data that the strip table places past the end, or too little of it.
	Image past = OneStrip(4, 4, 8, 1, 1, std::string(16, 'x'));
	past.entries[7].values = { 1000 };
	EXPECT_EQ(Decode(FileBuilder(true).Build({ past }), &r), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(Decode(FileBuilder(true).Build({ OneStrip(4, 4, 8, 1, 1, std::string(15, 'x')) }), &r), IMAGERESULT_MISC_ERROR);
	EXPECT_EQ(Decode(FileBuilder(true).Build({ OneStrip(4, 4, 8, 1, 1, Lzw(std::string(15, 'x')), 5) }), &r),
		IMAGERESULT_MISC_ERROR);
	// Headers and sizes.
	EXPECT_EQ(DecodeTiff(nullptr, 0, -1, &r), IMAGERESULT_WRONGTYPE);
	EXPECT_EQ(Decode(Rgb({ 'I', 'I', 42, 0, 8, 0, 0, 0 }), &r), IMAGERESULT_WRONGTYPE);
	EXPECT_EQ(Decode(Rgb({ 'I', 'M', 42, 0, 8, 0, 0, 0, 0, 0 }), &r), IMAGERESULT_WRONGTYPE);
	EXPECT_EQ(Decode(FileBuilder(true).Build({ OneStrip(0, 4, 8, 1, 1, "") }), &r), IMAGERESULT_WRONGTYPE);
	EXPECT_EQ(Decode(FileBuilder(true).Build({ OneStrip(16385, 1, 8, 1, 1, "") }), &r), IMAGERESULT_OUTOFMEMORY);
	EXPECT_EQ(Decode(FileBuilder(false).Build({ OneStrip(4097, 4097, 8, 1, 1, "") }), &r), IMAGERESULT_OUTOFMEMORY);

	// Every prefix and a spread of bit flips of an encoded file: each decode
	// ends, and whatever it accepts is a whole raster of its declared size.
	std::vector<uint8_t> encoded;
	ASSERT_TRUE(EncodeTiff(MakeRaster(20, 30, true, 31, 3), &encoded));
	const auto consistent = [](const TiffRaster& t) {
		return t.rgb.size() == (size_t)t.w * t.h * 3 && (t.alpha.empty() || t.alpha.size() == (size_t)t.w * t.h);
	};
	for (size_t keep = 0; keep < encoded.size(); ++keep)
	{
		// The directory comes last: no proper prefix holds all of it.
		EXPECT_NE(DecodeTiff(encoded.data(), keep, -1, &r), IMAGERESULT_OK) << keep;
		EXPECT_TRUE(r.rgb.empty());
	}
	for (size_t bit = 0; bit < encoded.size() * 8; bit += 3)
	{
		std::vector<uint8_t> flipped = encoded;
		flipped[bit / 8] ^= (uint8_t)(1u << (bit % 8));
		if (Decode(flipped, &r) == IMAGERESULT_OK)
			EXPECT_TRUE(consistent(r)) << bit;
		else
			EXPECT_TRUE(r.rgb.empty()) << bit;
	}
}

} // namespace
