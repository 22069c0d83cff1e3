#include "tiff_codec.h"

#include <algorithm>
#include <new>

namespace
{

// ===========================================================================
// File structure

enum Tag : uint16_t
{
	kWidth = 256,
	kHeight = 257,
	kBitsPerSample = 258,
	kCompression = 259,
	kPhotometric = 262,
	kStripOffsets = 273,
	kOrientation = 274,
	kSamplesPerPixel = 277,
	kRowsPerStrip = 278,
	kStripByteCounts = 279,
	kPlanarConfig = 284,
	kPredictor = 317,
	kTileWidth = 322,
	kExtraSamples = 338,
	kSampleFormat = 339,
};

enum FieldType : uint16_t
{
	kByte = 1,
	kShort = 3,
	kLong = 4,
};

const uint16_t kCompressionNone = 1;
const uint16_t kCompressionLzw = 5;
const uint16_t kCompressionPackBits = 32773;
const uint16_t kMinIsWhite = 0;
const uint16_t kMinIsBlack = 1;
const uint16_t kRgb = 2;
const uint16_t kAssociatedAlpha = 1;
const uint16_t kStraightAlpha = 2;

// The file in memory, read in its own byte order; every access is checked.
struct Bytes
{
	const uint8_t* p;
	size_t n;
	bool little;

	bool Has(uint64_t at, uint64_t count) const { return at <= n && count <= n - at; }
	bool U16(uint64_t at, uint16_t* v) const
	{
		if (!Has(at, 2))
			return false;
		*v = little ? (uint16_t)(p[at] | p[at + 1] << 8) : (uint16_t)(p[at] << 8 | p[at + 1]);
		return true;
	}
	bool U32(uint64_t at, uint32_t* v) const
	{
		if (!Has(at, 4))
			return false;
		const uint32_t b0 = p[at], b1 = p[at + 1], b2 = p[at + 2], b3 = p[at + 3];
		*v = little ? b0 | b1 << 8 | b2 << 16 | b3 << 24 : b0 << 24 | b1 << 16 | b2 << 8 | b3;
		return true;
	}
};

// One directory entry: where its values are and how they are stored.
struct Field
{
	bool present = false;
	uint16_t type = 0;
	uint32_t count = 0;
	uint64_t at = 0; // the first value's offset in the file
};

unsigned TypeSize(uint16_t type)
{
	switch (type)
	{
		case kByte: return 1;
		case kShort: return 2;
		case kLong: return 4;
		default: return 0;
	}
}

struct Directory
{
	Field fields[6]; // by index below, for the array-valued tags
	uint32_t width = 0, height = 0;
	bool hasWidth = false, hasHeight = false, hasPhotometric = false, tiled = false;
	uint16_t compression = kCompressionNone, photometric = 0, orientation = 1, samples = 1, planar = 1, predictor = 1,
		sampleFormat = 1;
	uint32_t rowsPerStrip = 0xFFFFFFFFu;
	uint32_t next = 0;
};

enum ArrayField
{
	kFieldBits,
	kFieldOffsets,
	kFieldCounts,
	kFieldExtra,
	kFieldCount
};

// Value i of an integer field; false when the field holds no such value.
bool Value(const Bytes& file, const Field& f, uint32_t i, uint32_t* v)
{
	if (!f.present || i >= f.count)
		return false;
	const uint64_t at = f.at + (uint64_t)i * TypeSize(f.type);
	switch (f.type)
	{
		case kByte:
			if (!file.Has(at, 1))
				return false;
			*v = file.p[at];
			return true;
		case kShort:
		{
			uint16_t s;
			if (!file.U16(at, &s))
				return false;
			*v = s;
			return true;
		}
		case kLong: return file.U32(at, v);
		default: return false;
	}
}

bool SingleValue(const Bytes& file, const Field& f, uint32_t* v)
{
	return f.count >= 1 && Value(file, f, 0, v);
}

// Reads the directory at offset `at`: the whole entry table and the offset of
// the next directory must lie inside the file, and so must every value that
// is used. Unknown tags are skipped.
bool ReadDirectory(const Bytes& file, uint32_t at, Directory* d)
{
	uint16_t count;
	if (at < 8 || !file.U16(at, &count) || count == 0 || !file.Has((uint64_t)at + 2, (uint64_t)count * 12 + 4))
		return false;
	for (uint16_t i = 0; i < count; ++i)
	{
		const uint64_t entry = (uint64_t)at + 2 + (uint64_t)i * 12;
		uint16_t tag = 0, type = 0;
		uint32_t n = 0, inlineOrOffset = 0;
		file.U16(entry, &tag);
		file.U16(entry + 2, &type);
		file.U32(entry + 4, &n);
		file.U32(entry + 8, &inlineOrOffset);
		Field f;
		f.present = TypeSize(type) != 0;
		f.type = type;
		f.count = n;
		const uint64_t bytes = (uint64_t)n * TypeSize(type);
		// Values are bounds-checked where they are read.
		f.at = bytes <= 4 ? entry + 8 : inlineOrOffset;
		uint32_t v = 0;
		const bool single = f.present && SingleValue(file, f, &v);
		switch (tag)
		{
			case kWidth: d->hasWidth = single; d->width = v; break;
			case kHeight: d->hasHeight = single; d->height = v; break;
			case kBitsPerSample: d->fields[kFieldBits] = f; break;
			case kCompression: if (single) d->compression = (uint16_t)v; break;
			case kPhotometric: d->hasPhotometric = single; d->photometric = (uint16_t)v; break;
			case kStripOffsets: d->fields[kFieldOffsets] = f; break;
			case kOrientation: if (single) d->orientation = (uint16_t)v; break;
			case kSamplesPerPixel: if (single) d->samples = (uint16_t)v; break;
			case kRowsPerStrip: if (single) d->rowsPerStrip = v; break;
			case kStripByteCounts: d->fields[kFieldCounts] = f; break;
			case kPlanarConfig: if (single) d->planar = (uint16_t)v; break;
			case kPredictor: if (single) d->predictor = (uint16_t)v; break;
			case kTileWidth: d->tiled = true; break;
			case kExtraSamples: d->fields[kFieldExtra] = f; break;
			case kSampleFormat: if (single) d->sampleFormat = (uint16_t)v; break;
			default: break;
		}
	}
	file.U32((uint64_t)at + 2 + (uint64_t)count * 12, &d->next);
	return true;
}

// The pixel layout a directory describes, once it is one we read.
struct Layout
{
	unsigned samples;   // per pixel, colour and extra
	unsigned bytes;     // per sample: 1 or 2
	bool grey;
	bool inverted;      // MinIsWhite
	bool alpha;
	bool premultiplied;
	uint64_t rowBytes;
	uint32_t rowsPerStrip;
	uint32_t strips;
};

bool ReadLayout(const Bytes& file, const Directory& d, Layout* l)
{
	if (d.tiled || d.sampleFormat != 1 || (d.predictor != 1 && d.predictor != 2) || d.orientation < 1 || d.orientation > 4)
		return false;
	if (d.compression != kCompressionNone && d.compression != kCompressionLzw && d.compression != kCompressionPackBits)
		return false;
	if (!d.hasPhotometric || (d.photometric != kMinIsWhite && d.photometric != kMinIsBlack && d.photometric != kRgb))
		return false;
	const unsigned colours = d.photometric == kRgb ? 3 : 1;
	const uint32_t extras = d.fields[kFieldExtra].present ? d.fields[kFieldExtra].count : 0;
	if (d.samples < 1 || (uint32_t)d.samples != colours + extras || (d.planar != 1 && !(d.planar == 2 && d.samples == 1)))
		return false;
	// One size for every sample (a single value stands for all).
	uint32_t bits = 1;
	const Field& bitsField = d.fields[kFieldBits];
	if (bitsField.present)
	{
		if (!SingleValue(file, bitsField, &bits))
			return false;
		for (uint32_t i = 1; i < bitsField.count && i < d.samples; ++i)
		{
			uint32_t other;
			if (!Value(file, bitsField, i, &other) || other != bits)
				return false;
		}
	}
	if (bits != 8 && bits != 16)
		return false;
	uint32_t extraKind = 0;
	if (extras > 0 && !SingleValue(file, d.fields[kFieldExtra], &extraKind))
		return false;
	l->samples = d.samples;
	l->bytes = bits / 8;
	l->grey = colours == 1;
	l->inverted = d.photometric == kMinIsWhite;
	l->alpha = extras > 0 && (extraKind == kAssociatedAlpha || extraKind == kStraightAlpha);
	l->premultiplied = l->alpha && extraKind == kAssociatedAlpha;
	l->rowBytes = (uint64_t)d.width * l->samples * l->bytes;
	l->rowsPerStrip = d.rowsPerStrip == 0 ? 0 : std::min(d.rowsPerStrip, d.height);
	if (l->rowsPerStrip == 0)
		return false;
	l->strips = (uint32_t)(((uint64_t)d.height + l->rowsPerStrip - 1) / l->rowsPerStrip);
	return d.fields[kFieldOffsets].count >= l->strips && d.fields[kFieldCounts].count >= l->strips;
}

// ===========================================================================
// Pixels

// 16-bit samples to 8 bits, rounded to nearest: 0 stays 0, 65535 becomes 255.
UCHAR Narrow(uint32_t v) { return (UCHAR)((v + 128u) / 257u); }

UCHAR Unmultiply(UCHAR v, UCHAR a)
{
	return a == 0 ? 0 : (UCHAR)std::min<uint32_t>(255u, ((uint32_t)v * 255u + a / 2u) / a);
}

// Undoes horizontal differencing in one decoded row.
void UndoPredictor(uint8_t* row, uint32_t width, const Layout& l, bool little)
{
	const size_t n = (size_t)width * l.samples;
	if (l.bytes == 1)
	{
		for (size_t i = l.samples; i < n; ++i)
			row[i] = (uint8_t)(row[i] + row[i - l.samples]);
		return;
	}
	const auto get = [&](size_t i) { return little ? (uint32_t)(row[2 * i] | row[2 * i + 1] << 8) : (uint32_t)(row[2 * i] << 8 | row[2 * i + 1]); };
	for (size_t i = l.samples; i < n; ++i)
	{
		const uint16_t v = (uint16_t)(get(i) + get(i - l.samples));
		row[2 * i] = (uint8_t)(little ? v : v >> 8);
		row[2 * i + 1] = (uint8_t)(little ? v >> 8 : v);
	}
}

// Converts decoded row y (file order) into the raster.
void StoreRow(const uint8_t* row, uint32_t y, uint32_t width, uint16_t orientation, const Layout& l, bool little,
	TiffRaster* out)
{
	const bool flipX = orientation == 2 || orientation == 3;
	const bool flipY = orientation == 3 || orientation == 4;
	const uint32_t dy = flipY ? out->h - 1 - y : y;
	for (uint32_t x = 0; x < width; ++x)
	{
		// Colour samples, then the alpha sample right after them.
		UCHAR s[4] = { 0, 0, 0, 0 };
		const unsigned colours = l.grey ? 1 : 3;
		const unsigned used = colours + (l.alpha ? 1 : 0);
		for (unsigned i = 0; i < used; ++i)
		{
			const uint8_t* p = row + ((size_t)x * l.samples + i) * l.bytes;
			s[i] = l.bytes == 1 ? p[0] : Narrow(little ? (uint32_t)(p[0] | p[1] << 8) : (uint32_t)(p[0] << 8 | p[1]));
		}
		UCHAR c[3] = { s[0], s[1], s[2] };
		if (l.grey)
			c[0] = c[1] = c[2] = l.inverted ? (UCHAR)(255 - s[0]) : s[0];
		const UCHAR a = l.alpha ? s[colours] : 255;
		const uint32_t dx = flipX ? width - 1 - x : x;
		const size_t i = (size_t)dy * width + dx;
		for (int k = 0; k < 3; ++k)
			out->rgb[i * 3 + k] = l.premultiplied ? Unmultiply(c[k], a) : c[k];
		if (l.alpha)
			out->alpha[i] = a;
	}
}

IMAGERESULT DecodeStrips(const Bytes& file, const Directory& d, const Layout& l, TiffRaster* out)
{
	std::vector<uint8_t> strip;
	for (uint32_t s = 0; s < l.strips; ++s)
	{
		const uint32_t firstRow = s * l.rowsPerStrip;
		const uint32_t rows = std::min(l.rowsPerStrip, d.height - firstRow);
		const size_t expected = (size_t)(l.rowBytes * rows);
		uint32_t offset, count;
		if (!Value(file, d.fields[kFieldOffsets], s, &offset) || !Value(file, d.fields[kFieldCounts], s, &count)
			|| !file.Has(offset, count))
			return IMAGERESULT_MISC_ERROR;
		const uint8_t* data = file.p + offset;
		bool ok = false;
		switch (d.compression)
		{
			case kCompressionNone:
				ok = count >= expected;
				if (ok)
					strip.assign(data, data + expected);
				break;
			case kCompressionLzw: ok = LzwDecode(data, count, expected, &strip); break;
			case kCompressionPackBits: ok = PackBitsDecode(data, count, expected, &strip); break;
			default: break;
		}
		if (!ok)
			return IMAGERESULT_MISC_ERROR;
		for (uint32_t r = 0; r < rows; ++r)
		{
			uint8_t* row = strip.data() + (size_t)(r * l.rowBytes);
			if (d.predictor == 2)
				UndoPredictor(row, d.width, l, file.little);
			StoreRow(row, firstRow + r, d.width, d.orientation, l, file.little, out);
		}
	}
	return IMAGERESULT_OK;
}

// ===========================================================================
// LZW as TIFF uses it: codes most significant bit first, 9 to 12 bits wide,
// 256 clears the table, 257 ends the strip, and the width grows one code
// early (when the next free entry would need the wider code).

const unsigned kClear = 256;
const unsigned kEnd = 257;
const unsigned kFirstFree = 258;
const unsigned kTableSize = 4096;
const unsigned kMinBits = 9;
const unsigned kMaxBits = 12;

class BitReader
{
public:
	BitReader(const uint8_t* p, size_t n) : p_(p), bits_((uint64_t)n * 8) {}
	bool Read(unsigned width, unsigned* code)
	{
		if (bits_ - pos_ < width)
			return false;
		unsigned v = 0;
		for (unsigned i = 0; i < width; ++i, ++pos_)
			v = v << 1 | ((p_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1u);
		*code = v;
		return true;
	}

private:
	const uint8_t* p_;
	uint64_t bits_;
	uint64_t pos_ = 0;
};

class BitWriter
{
public:
	explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}
	void Write(unsigned code, unsigned width)
	{
		acc_ = acc_ << width | code;
		count_ += width;
		while (count_ >= 8)
		{
			count_ -= 8;
			out_->push_back((uint8_t)(acc_ >> count_));
		}
		acc_ &= (1u << count_) - 1u;
	}
	void Flush()
	{
		if (count_ > 0)
			out_->push_back((uint8_t)(acc_ << (8 - count_)));
		acc_ = 0;
		count_ = 0;
	}

private:
	std::vector<uint8_t>* out_;
	uint32_t acc_ = 0;
	unsigned count_ = 0;
};

// The string table of an encoder: (prefix code, next byte) -> code, open
// addressing over twice the table's size so that probes stay short.
class EncoderTable
{
public:
	EncoderTable() : slots_(kSlots) { Clear(); }
	void Clear() { std::fill(slots_.begin(), slots_.end(), Slot{ kEmpty, 0 }); }
	// The code of the string `prefix` + `byte`, or kEmpty.
	uint32_t Find(unsigned prefix, unsigned byte, size_t* slot) const
	{
		const uint32_t key = (uint32_t)prefix << 8 | byte;
		size_t i = (key * 2654435761u) >> (32 - kSlotBits);
		while (slots_[i].key != kEmpty && slots_[i].key != key)
			i = (i + 1) & (kSlots - 1);
		*slot = i;
		return slots_[i].key == key ? slots_[i].code : kEmpty;
	}
	void Insert(size_t slot, unsigned prefix, unsigned byte, unsigned code)
	{
		slots_[slot] = Slot{ (uint32_t)prefix << 8 | byte, (uint16_t)code };
	}

private:
	static const unsigned kSlotBits = 13;
	static const size_t kSlots = size_t(1) << kSlotBits;
	static const uint32_t kEmpty = 0xFFFFFFFFu;
	struct Slot
	{
		uint32_t key;
		uint16_t code;
	};
	std::vector<Slot> slots_;
};

} // namespace

bool LzwDecode(const uint8_t* in, size_t size, size_t expected, std::vector<uint8_t>* out)
{
	uint16_t prefix[kTableSize];
	uint8_t suffix[kTableSize];
	uint8_t first[kTableSize];
	uint16_t length[kTableSize];
	for (unsigned i = 0; i < 256; ++i)
	{
		prefix[i] = 0;
		suffix[i] = first[i] = (uint8_t)i;
		length[i] = 1;
	}
	out->clear();
	try
	{
		out->reserve(expected);
	}
	catch (const std::bad_alloc&)
	{
		return false;
	}
	BitReader bits(in, size);
	unsigned width = kMinBits;
	unsigned next = kFirstFree;
	bool haveOld = false;
	unsigned old = 0;
	while (out->size() < expected)
	{
		unsigned code;
		if (!bits.Read(width, &code))
			return false;
		if (code == kClear)
		{
			width = kMinBits;
			next = kFirstFree;
			haveOld = false;
			continue;
		}
		if (code == kEnd)
			break;
		if (!haveOld)
		{
			if (code >= 256)
				return false;
			out->push_back((uint8_t)code);
			old = code;
			haveOld = true;
			continue;
		}
		if (code > next || (code == next && next >= kTableSize))
			return false;
		if (next < kTableSize)
		{
			// The new string is the previous one plus the first byte of this
			// one, which for the code not yet in the table is its own first.
			prefix[next] = (uint16_t)old;
			suffix[next] = code == next ? first[old] : first[code];
			first[next] = first[old];
			length[next] = (uint16_t)(length[old] + 1);
			++next;
			if (next >= (1u << width) - 1 && width < kMaxBits)
				++width;
		}
		// The string is written back to front; what would pass `expected` is
		// cut off.
		const size_t start = out->size();
		const size_t keep = std::min<size_t>(length[code], expected - start);
		out->resize(start + keep);
		unsigned c = code;
		for (size_t j = length[code]; j-- > 0;)
		{
			if (j < keep)
				(*out)[start + j] = suffix[c];
			c = prefix[c];
		}
		old = code;
	}
	return out->size() == expected;
}

void LzwEncode(const uint8_t* in, size_t size, std::vector<uint8_t>* out)
{
	BitWriter bits(out);
	unsigned width = kMinBits;
	bits.Write(kClear, width);
	if (size == 0)
	{
		bits.Write(kEnd, width);
		bits.Flush();
		return;
	}
	EncoderTable table;
	unsigned next = kFirstFree;
	// After each new entry: a full table starts over (before the decoder's
	// table, one entry behind, could overflow), and a count that no longer
	// fits the width widens the codes.
	const auto grown = [&]() {
		if (next == kTableSize - 2)
		{
			bits.Write(kClear, width);
			table.Clear();
			next = kFirstFree;
			width = kMinBits;
			return;
		}
		if (next > (1u << width) - 1)
			++width;
	};
	unsigned current = in[0];
	for (size_t i = 1; i < size; ++i)
	{
		size_t slot;
		const uint32_t code = table.Find(current, in[i], &slot);
		if (code != 0xFFFFFFFFu)
		{
			current = code;
			continue;
		}
		bits.Write(current, width);
		table.Insert(slot, current, in[i], next++);
		grown();
		current = in[i];
	}
	bits.Write(current, width);
	// The decoder adds an entry for the last code as well, and reads the end
	// code at the width that follows.
	++next;
	grown();
	bits.Write(kEnd, width);
	bits.Flush();
}

bool PackBitsDecode(const uint8_t* in, size_t size, size_t expected, std::vector<uint8_t>* out)
{
	out->clear();
	try
	{
		out->reserve(expected);
	}
	catch (const std::bad_alloc&)
	{
		return false;
	}
	size_t i = 0;
	while (out->size() < expected)
	{
		if (i >= size)
			return false;
		const int n = (int8_t)in[i++];
		if (n >= 0)
		{
			const size_t run = (size_t)n + 1;
			if (size - i < run || expected - out->size() < run)
				return false;
			out->insert(out->end(), in + i, in + i + run);
			i += run;
		}
		else if (n != -128)
		{
			const size_t run = (size_t)(1 - n);
			if (i >= size || expected - out->size() < run)
				return false;
			out->insert(out->end(), run, in[i++]);
		}
	}
	return true;
}

IMAGERESULT DecodeTiff(const uint8_t* bytes, size_t size, int64_t frame, TiffRaster* out)
{
	*out = TiffRaster();
	if (!bytes || size < 8)
		return IMAGERESULT_WRONGTYPE;
	Bytes file{ bytes, size, bytes[0] == 'I' };
	uint16_t magic;
	uint32_t at;
	if (!((bytes[0] == 'I' && bytes[1] == 'I') || (bytes[0] == 'M' && bytes[1] == 'M')) || !file.U16(2, &magic) || magic != 42
		|| !file.U32(4, &at))
		return IMAGERESULT_WRONGTYPE;
	Directory d;
	if (!ReadDirectory(file, at, &d))
		return IMAGERESULT_WRONGTYPE;
	// Each further image is one more directory down the chain. Passing one
	// reads only its size and link, so that even a chain looping back on a
	// directory of 65535 entries costs little; the bound keeps it finite.
	if (frame > 0xFFFF)
		return IMAGERESULT_MISC_ERROR;
	if (frame > 0)
	{
		uint32_t next = d.next;
		for (int64_t i = 1; i < frame; ++i)
		{
			uint16_t count;
			if (next < 8 || !file.U16(next, &count) || !file.U32((uint64_t)next + 2 + (uint64_t)count * 12, &next))
				return IMAGERESULT_MISC_ERROR;
		}
		d = Directory();
		if (next == 0 || !ReadDirectory(file, next, &d))
			return IMAGERESULT_MISC_ERROR;
	}
	if (!d.hasWidth || !d.hasHeight || d.width == 0 || d.height == 0)
		return IMAGERESULT_WRONGTYPE;
	// Checked before anything is sized from the file.
	const uint64_t w = d.width, h = d.height;
	if (w > BASEBITMAP_MAX_SIDE || h > BASEBITMAP_MAX_SIDE || w * h > BASEBITMAP_MAX_PIXELS)
		return IMAGERESULT_OUTOFMEMORY;
	Layout l;
	if (!ReadLayout(file, d, &l))
		return IMAGERESULT_WRONGTYPE;
	try
	{
		out->rgb.assign((size_t)(w * h * 3), 0);
		out->alpha.assign(l.alpha ? (size_t)(w * h) : 0, 0);
		out->w = d.width;
		out->h = d.height;
		const IMAGERESULT result = DecodeStrips(file, d, l, out);
		if (result != IMAGERESULT_OK)
			*out = TiffRaster();
		return result;
	}
	catch (const std::bad_alloc&)
	{
		*out = TiffRaster();
		return IMAGERESULT_OUTOFMEMORY;
	}
}

// ===========================================================================
// Writing

namespace
{

void Put16(std::vector<uint8_t>* out, size_t at, uint32_t v)
{
	(*out)[at] = (uint8_t)v;
	(*out)[at + 1] = (uint8_t)(v >> 8);
}

void Put32(std::vector<uint8_t>* out, size_t at, uint32_t v)
{
	for (int i = 0; i < 4; ++i)
		(*out)[at + i] = (uint8_t)(v >> (8 * i));
}

size_t Append(std::vector<uint8_t>* out, size_t bytes)
{
	if (out->size() % 2)
		out->push_back(0);
	const size_t at = out->size();
	out->resize(at + bytes, 0);
	return at;
}

} // namespace

bool EncodeTiff(const TiffRaster& in, std::vector<uint8_t>* out)
{
	const uint64_t pixels = (uint64_t)in.w * in.h;
	if (in.w == 0 || in.h == 0 || in.w > BASEBITMAP_MAX_SIDE || in.h > BASEBITMAP_MAX_SIDE || in.rgb.size() != pixels * 3
		|| (!in.alpha.empty() && in.alpha.size() != pixels))
		return false;
	const bool withAlpha = !in.alpha.empty();
	const uint32_t samples = withAlpha ? 4 : 3;
	const uint32_t rowBytes = in.w * samples;
	// About 8 KiB of pixels per strip, as libtiff chooses by default.
	const uint32_t rowsPerStrip = std::max<uint32_t>(1, std::min<uint32_t>(in.h, 8192 / rowBytes));
	const uint32_t strips = (in.h + rowsPerStrip - 1) / rowsPerStrip;

	out->assign(8, 0);
	(*out)[0] = (*out)[1] = 'I';
	Put16(out, 2, 42);
	std::vector<uint32_t> offsets, counts;
	std::vector<uint8_t> row;
	row.reserve((size_t)rowBytes * rowsPerStrip);
	for (uint32_t s = 0; s < strips; ++s)
	{
		row.clear();
		const uint32_t end = std::min(in.h, (s + 1) * rowsPerStrip);
		for (uint32_t y = s * rowsPerStrip; y < end; ++y)
			for (uint32_t x = 0; x < in.w; ++x)
			{
				const size_t i = (size_t)y * in.w + x;
				row.insert(row.end(), &in.rgb[i * 3], &in.rgb[i * 3] + 3);
				if (withAlpha)
					row.push_back(in.alpha[i]);
			}
		const size_t before = out->size();
		LzwEncode(row.data(), row.size(), out);
		offsets.push_back((uint32_t)before);
		counts.push_back((uint32_t)(out->size() - before));
	}

	// Values that do not fit an entry go before the directory, which comes
	// last: a file cut short always loses it.
	const size_t bitsAt = Append(out, samples * 2);
	for (uint32_t i = 0; i < samples; ++i)
		Put16(out, bitsAt + 2 * i, 8);
	const auto array = [&](const std::vector<uint32_t>& values) {
		if (values.size() == 1)
			return (size_t)values[0];
		const size_t at = Append(out, values.size() * 4);
		for (size_t i = 0; i < values.size(); ++i)
			Put32(out, at + 4 * i, values[i]);
		return at;
	};
	const size_t offsetsAt = array(offsets);
	const size_t countsAt = array(counts);

	struct Entry
	{
		uint16_t tag, type;
		uint32_t count, value;
	};
	std::vector<Entry> entries = {
		{ kWidth, kLong, 1, in.w },
		{ kHeight, kLong, 1, in.h },
		{ kBitsPerSample, kShort, samples, (uint32_t)bitsAt },
		{ kCompression, kShort, 1, kCompressionLzw },
		{ kPhotometric, kShort, 1, kRgb },
		{ kStripOffsets, kLong, strips, (uint32_t)offsetsAt },
		{ kOrientation, kShort, 1, 1 },
		{ kSamplesPerPixel, kShort, 1, samples },
		{ kRowsPerStrip, kLong, 1, rowsPerStrip },
		{ kStripByteCounts, kLong, strips, (uint32_t)countsAt },
		{ kPlanarConfig, kShort, 1, 1 },
	};
	if (withAlpha)
		entries.push_back({ kExtraSamples, kShort, 1, kStraightAlpha });
	const size_t ifd = Append(out, 2 + entries.size() * 12 + 4);
	if (out->size() > 0xFFFFFFFFu)
		return false;
	Put32(out, 4, (uint32_t)ifd);
	Put16(out, ifd, (uint32_t)entries.size());
	for (size_t i = 0; i < entries.size(); ++i)
	{
		const Entry& e = entries[i];
		const size_t at = ifd + 2 + i * 12;
		Put16(out, at, e.tag);
		Put16(out, at + 2, e.type);
		Put32(out, at + 4, e.count);
		if (e.type == kShort && e.count == 1)
			Put16(out, at + 8, e.value);
		else
			Put32(out, at + 8, e.value);
	}
	return true;
}
