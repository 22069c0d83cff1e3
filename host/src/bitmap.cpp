#include "c4d_basebitmap.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <vector>


#include "platform.h"
#include "tiff_codec.h"

#if HOST_WITH_LIBTIFF
#include <tiffio.h>
#else
#include <fstream>
#include <iterator>
#endif

// ===========================================================================
// Pixels in memory

namespace
{

const LONG kMaxComponent = 255;

UCHAR ClampComponent(LONG v) { return (UCHAR)(v < 0 ? 0 : (kMaxComponent < v ? kMaxComponent : v)); }

bool SizeWithinLimits(int64_t w, int64_t h)
{
	return w >= 1 && h >= 1 && w <= BASEBITMAP_MAX_SIDE && h <= BASEBITMAP_MAX_SIDE && w * h <= BASEBITMAP_MAX_PIXELS;
}

bool DepthSupported(LONG depth)
{
	return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

using Raster = TiffRaster;

} // namespace

struct BaseBitmap::Impl
{
	LONG w = 0, h = 0;
	// 3 for a colour bitmap, 1 for an alpha channel.
	int components = 3;
	std::vector<UCHAR> px;
	// Owned; only a colour bitmap has one.
	BaseBitmap* alpha = nullptr;
	// Set on an alpha channel: the bitmap that owns it.
	const BaseBitmap* owner = nullptr;

	~Impl() { DropAlpha(); }

	void DropAlpha()
	{
		delete alpha;
		alpha = nullptr;
	}

	void MakeEmpty()
	{
		w = h = 0;
		std::vector<UCHAR>().swap(px);
		DropAlpha();
	}

	bool Contains(LONG x, LONG y) const { return x >= 0 && y >= 0 && x < w && y < h; }
	size_t Offset(LONG x, LONG y) const { return ((size_t)y * (size_t)w + (size_t)x) * (size_t)components; }

	// Sizes the pixels to w x h, all 0. False (and empty) when memory runs out.
	bool Allocate(LONG nw, LONG nh)
	{
		MakeEmpty();
		try
		{
			px.assign((size_t)nw * (size_t)nh * (size_t)components, 0);
		}
		catch (const std::bad_alloc&)
		{
			return false;
		}
		w = nw;
		h = nh;
		return true;
	}

	// A fresh alpha channel of this bitmap's size, or null when memory runs out.
	BaseBitmap* NewChannel(const BaseBitmap* self) const
	{
		BaseBitmap* channel = new (std::nothrow) BaseBitmap;
		if (!channel || !channel->impl_)
		{
			delete channel;
			return nullptr;
		}
		channel->impl_->components = 1;
		channel->impl_->owner = self;
		if (!channel->impl_->Allocate(w, h))
		{
			delete channel;
			return nullptr;
		}
		return channel;
	}
};

BaseBitmap::BaseBitmap() : impl_(new (std::nothrow) Impl) {}

BaseBitmap::~BaseBitmap() { delete impl_; }

BaseBitmap* BaseBitmap::Alloc()
{
	BaseBitmap* bmp = new (std::nothrow) BaseBitmap;
	if (bmp && !bmp->impl_)
	{
		delete bmp;
		return nullptr;
	}
	return bmp;
}

void BaseBitmap::Free(BaseBitmap*& bmp)
{
	// A channel lives and dies with its bitmap; deleting it here would leave
	// the owner with a dangling pointer.
	if (bmp && !bmp->impl_->owner)
		delete bmp;
	bmp = nullptr;
}

IMAGERESULT BaseBitmap::Init(LONG w, LONG h, LONG depth)
{
	if (impl_->owner)
		return IMAGERESULT_MISC_ERROR; // a channel follows its owner's size
	impl_->MakeEmpty();
	if (!DepthSupported(depth) || w < 1 || h < 1)
		return IMAGERESULT_MISC_ERROR;
	if (!SizeWithinLimits(w, h))
		return IMAGERESULT_OUTOFMEMORY;
	if (!impl_->Allocate(w, h))
		return IMAGERESULT_OUTOFMEMORY;
	if (depth == 32 && !AddChannel(TRUE, TRUE))
	{
		impl_->MakeEmpty();
		return IMAGERESULT_OUTOFMEMORY;
	}
	return IMAGERESULT_OK;
}

LONG BaseBitmap::GetBw() const { return impl_->w; }
LONG BaseBitmap::GetBh() const { return impl_->h; }

LONG BaseBitmap::GetBt() const
{
	if (impl_->w == 0)
		return 0;
	if (impl_->components == 1)
		return 8;
	return impl_->alpha ? 32 : 24;
}

void BaseBitmap::GetPixel(LONG x, LONG y, UWORD* r, UWORD* g, UWORD* b) const
{
	UWORD c[3] = { 0, 0, 0 };
	if (impl_->Contains(x, y))
	{
		const UCHAR* p = &impl_->px[impl_->Offset(x, y)];
		for (int i = 0; i < 3; ++i)
			c[i] = p[impl_->components == 3 ? i : 0];
	}
	if (r)
		*r = c[0];
	if (g)
		*g = c[1];
	if (b)
		*b = c[2];
}

Bool BaseBitmap::SetPixel(LONG x, LONG y, LONG r, LONG g, LONG b)
{
	if (!impl_->Contains(x, y))
		return FALSE;
	UCHAR* p = &impl_->px[impl_->Offset(x, y)];
	p[0] = ClampComponent(r);
	if (impl_->components == 3)
	{
		p[1] = ClampComponent(g);
		p[2] = ClampComponent(b);
	}
	return TRUE;
}

BaseBitmap* BaseBitmap::GetInternalChannel() { return impl_->alpha; }
const BaseBitmap* BaseBitmap::GetInternalChannel() const { return impl_->alpha; }

BaseBitmap* BaseBitmap::AddChannel(Bool internal, Bool straight)
{
	(void)straight;
	if (!internal || impl_->owner || impl_->w == 0)
		return nullptr;
	if (!impl_->alpha)
		impl_->alpha = impl_->NewChannel(this);
	return impl_->alpha;
}

Bool BaseBitmap::SetAlphaPixel(BaseBitmap* channel, LONG x, LONG y, LONG value)
{
	if (!channel || channel != impl_->alpha)
		return FALSE;
	return channel->SetPixel(x, y, value, value, value);
}

void BaseBitmap::GetAlphaPixel(BaseBitmap* channel, LONG x, LONG y, UWORD* value) const
{
	if (!value)
		return;
	*value = 0;
	if (channel && channel == impl_->alpha)
		channel->GetPixel(x, y, value, nullptr, nullptr);
}

BaseBitmap* BaseBitmap::GetClone() const
{
	BaseBitmap* clone = Alloc();
	if (!clone)
		return nullptr;
	try
	{
		clone->impl_->components = impl_->components;
		clone->impl_->px = impl_->px;
		clone->impl_->w = impl_->w;
		clone->impl_->h = impl_->h;
		if (impl_->alpha)
		{
			clone->impl_->alpha = impl_->alpha->GetClone();
			if (!clone->impl_->alpha)
				throw std::bad_alloc();
			clone->impl_->alpha->impl_->owner = clone;
		}
	}
	catch (const std::bad_alloc&)
	{
		delete clone;
		return nullptr;
	}
	return clone;
}

// ===========================================================================
// TIFF files

namespace
{

#if HOST_WITH_LIBTIFF

// libtiff reports through process-wide handlers that print to stderr; a
// damaged file must fail quietly, and the return codes say all we need.
void SilenceLibtiff()
{
	static std::once_flag once;
	std::call_once(once, [] {
		TIFFSetErrorHandler(nullptr);
		TIFFSetWarningHandler(nullptr);
	});
}

struct TiffCloser
{
	void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

bool Reserve(Raster* out, uint32_t w, uint32_t h, bool withAlpha)
{
	try
	{
		out->rgb.assign((size_t)w * h * 3, 0);
		out->alpha.assign(withAlpha ? (size_t)w * h : 0, 0);
	}
	catch (const std::bad_alloc&)
	{
		return false;
	}
	out->w = w;
	out->h = h;
	return true;
}

// The layout we write ourselves (8-bit RGB or RGBA with straight alpha,
// interleaved, in strips, top row first), read row by row: libtiff's general
// RGBA reader would hand us alpha-multiplied colours, and dividing them back
// out loses the colour of translucent pixels.
bool IsPlainRgb8(TIFF* tif, bool* withAlpha)
{
	uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, orientation = 0, extraCount = 0;
	uint16_t* extraTypes = nullptr;
	if (!TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits) || !TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples)
		|| !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) || !TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar)
		|| !TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation))
		return false;
	if (!TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes))
		extraCount = 0;
	if (bits != 8 || photometric != PHOTOMETRIC_RGB || planar != PLANARCONFIG_CONTIG || orientation != ORIENTATION_TOPLEFT || TIFFIsTiled(tif))
		return false;
	if (samples == 3 && extraCount == 0)
	{
		*withAlpha = false;
		return true;
	}
	if (samples == 4 && extraCount == 1 && extraTypes && extraTypes[0] == EXTRASAMPLE_UNASSALPHA)
	{
		*withAlpha = true;
		return true;
	}
	return false;
}

IMAGERESULT ReadPlainRgb8(TIFF* tif, uint32_t w, uint32_t h, bool withAlpha, Raster* out)
{
	const size_t samples = withAlpha ? 4 : 3;
	if (TIFFScanlineSize64(tif) != (uint64_t)w * samples)
		return IMAGERESULT_WRONGTYPE;
	std::vector<UCHAR> line;
	if (!Reserve(out, w, h, withAlpha))
		return IMAGERESULT_OUTOFMEMORY;
	try
	{
		line.resize((size_t)w * samples);
	}
	catch (const std::bad_alloc&)
	{
		return IMAGERESULT_OUTOFMEMORY;
	}
	for (uint32_t y = 0; y < h; ++y)
	{
		if (TIFFReadScanline(tif, line.data(), y, 0) < 0)
			return IMAGERESULT_MISC_ERROR;
		UCHAR* rgb = &out->rgb[(size_t)y * w * 3];
		for (uint32_t x = 0; x < w; ++x)
		{
			const UCHAR* s = &line[x * samples];
			rgb[x * 3 + 0] = s[0];
			rgb[x * 3 + 1] = s[1];
			rgb[x * 3 + 2] = s[2];
			if (withAlpha)
				out->alpha[(size_t)y * w + x] = s[3];
		}
	}
	return IMAGERESULT_OK;
}

// Everything else goes through libtiff's general reader (grey, palette,
// 16-bit, tiles, planes, other orientations).
IMAGERESULT ReadGeneral(TIFF* tif, uint32_t w, uint32_t h, Raster* out)
{
	char message[1024];
	if (!TIFFRGBAImageOK(tif, message))
		return IMAGERESULT_WRONGTYPE;

	uint16_t photometric = 0, extraCount = 0;
	uint16_t* extraTypes = nullptr;
	TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
	if (!TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes))
		extraCount = 0;
	const uint16_t alphaKind = (extraCount > 0 && extraTypes) ? extraTypes[0] : (uint16_t)EXTRASAMPLE_UNSPECIFIED;
	const bool withAlpha = alphaKind == EXTRASAMPLE_ASSOCALPHA || alphaKind == EXTRASAMPLE_UNASSALPHA;
	// The reader multiplies colour by alpha, except for grey with straight
	// alpha, which it passes through.
	const bool grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
	const bool multiplied = withAlpha && !(grey && alphaKind == EXTRASAMPLE_UNASSALPHA);

	std::vector<uint32_t> packed;
	try
	{
		packed.resize((size_t)w * h);
	}
	catch (const std::bad_alloc&)
	{
		return IMAGERESULT_OUTOFMEMORY;
	}
	if (!TIFFReadRGBAImageOriented(tif, w, h, packed.data(), ORIENTATION_TOPLEFT, 1))
		return IMAGERESULT_MISC_ERROR;
	if (!Reserve(out, w, h, withAlpha))
		return IMAGERESULT_OUTOFMEMORY;
	for (size_t i = 0; i < packed.size(); ++i)
	{
		const uint32_t p = packed[i];
		UCHAR c[3] = { (UCHAR)TIFFGetR(p), (UCHAR)TIFFGetG(p), (UCHAR)TIFFGetB(p) };
		const UCHAR a = (UCHAR)TIFFGetA(p);
		if (multiplied)
			for (UCHAR& v : c)
				v = a == 0 ? 0 : (UCHAR)std::min<uint32_t>(255u, ((uint32_t)v * 255u + a / 2u) / a);
		out->rgb[i * 3 + 0] = c[0];
		out->rgb[i * 3 + 1] = c[1];
		out->rgb[i * 3 + 2] = c[2];
		if (withAlpha)
			out->alpha[i] = a;
	}
	return IMAGERESULT_OK;
}

IMAGERESULT ReadTiff(const std::string& path, LONG frame, Raster* out)
{
	std::error_code ec;
	if (path.empty() || !std::filesystem::is_regular_file(path, ec))
		return IMAGERESULT_NOTEXISTING;
	SilenceLibtiff();
	TiffHandle tif(TIFFOpen(path.c_str(), "r"));
	if (!tif)
		return IMAGERESULT_WRONGTYPE;
	if (frame > 0 && (frame > 0xFFFF || !TIFFSetDirectory(tif.get(), (tdir_t)frame)))
		return IMAGERESULT_MISC_ERROR;

	uint32_t w = 0, h = 0;
	if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h) || w == 0 || h == 0)
		return IMAGERESULT_WRONGTYPE;
	// Checked before anything is sized from the header: a few bytes of file
	// must not buy gigabytes of memory.
	if (!SizeWithinLimits(w, h))
		return IMAGERESULT_OUTOFMEMORY;

	bool withAlpha = false;
	if (IsPlainRgb8(tif.get(), &withAlpha))
		return ReadPlainRgb8(tif.get(), w, h, withAlpha, out);
	return ReadGeneral(tif.get(), w, h, out);
}

IMAGERESULT EncodeInto(TIFF* t, const Raster& in)
{
	const bool withAlpha = !in.alpha.empty();
	const uint16_t samples = withAlpha ? 4 : 3;
	bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, in.w) && TIFFSetField(t, TIFFTAG_IMAGELENGTH, in.h)
		&& TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples)
		&& TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) && TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG)
		&& TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT)
		&& TIFFSetField(t, TIFFTAG_COMPRESSION, TIFFIsCODECConfigured(COMPRESSION_LZW) ? COMPRESSION_LZW : COMPRESSION_NONE)
		&& TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
	if (ok && withAlpha)
	{
		const uint16_t kind = EXTRASAMPLE_UNASSALPHA;
		ok = TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
	}
	if (!ok)
		return IMAGERESULT_MISC_ERROR;

	std::vector<UCHAR> line;
	try
	{
		line.resize((size_t)in.w * samples);
	}
	catch (const std::bad_alloc&)
	{
		return IMAGERESULT_OUTOFMEMORY;
	}
	for (uint32_t y = 0; y < in.h; ++y)
	{
		for (uint32_t x = 0; x < in.w; ++x)
		{
			const size_t i = (size_t)y * in.w + x;
			UCHAR* d = &line[x * samples];
			d[0] = in.rgb[i * 3 + 0];
			d[1] = in.rgb[i * 3 + 1];
			d[2] = in.rgb[i * 3 + 2];
			if (withAlpha)
				d[3] = in.alpha[i];
		}
		if (TIFFWriteScanline(t, line.data(), y, 0) < 0)
			return IMAGERESULT_MISC_ERROR;
	}
	if (!TIFFFlush(t))
		return IMAGERESULT_MISC_ERROR;
	return IMAGERESULT_OK;
}

// libtiff writes into memory here, so that the file itself is written by the
// host's one safe-replace routine.
struct MemoryTiff
{
	std::vector<uint8_t> bytes;
	toff_t pos = 0;

	static MemoryTiff* Of(thandle_t h) { return static_cast<MemoryTiff*>(h); }
	static tmsize_t Read(thandle_t h, void* to, tmsize_t n)
	{
		MemoryTiff* m = Of(h);
		if (n < 0 || m->pos >= m->bytes.size())
			return 0;
		const size_t count = std::min((size_t)n, (size_t)(m->bytes.size() - m->pos));
		std::copy_n(m->bytes.data() + m->pos, count, static_cast<uint8_t*>(to));
		m->pos += count;
		return (tmsize_t)count;
	}
	static tmsize_t Write(thandle_t h, void* from, tmsize_t n)
	{
		MemoryTiff* m = Of(h);
		if (n < 0)
			return -1;
		try
		{
			if (m->pos + (size_t)n > m->bytes.size())
				m->bytes.resize((size_t)(m->pos + (size_t)n));
		}
		catch (const std::bad_alloc&)
		{
			return -1;
		}
		std::copy_n(static_cast<const uint8_t*>(from), (size_t)n, m->bytes.data() + m->pos);
		m->pos += (toff_t)n;
		return n;
	}
	static toff_t Seek(thandle_t h, toff_t offset, int whence)
	{
		MemoryTiff* m = Of(h);
		const toff_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? (toff_t)m->bytes.size() : 0;
		m->pos = base + offset;
		return m->pos;
	}
	static int Close(thandle_t) { return 0; }
	static toff_t Size(thandle_t h) { return (toff_t)Of(h)->bytes.size(); }
	static int Map(thandle_t, void**, toff_t*) { return 0; }
	static void Unmap(thandle_t, void*, toff_t) {}
};

IMAGERESULT EncodeTiffFile(const Raster& in, std::vector<uint8_t>* bytes)
{
	MemoryTiff memory;
	IMAGERESULT result = IMAGERESULT_OK;
	{
		TiffHandle tif(TIFFClientOpen("memory", "wm", &memory, MemoryTiff::Read, MemoryTiff::Write, MemoryTiff::Seek,
			MemoryTiff::Close, MemoryTiff::Size, MemoryTiff::Map, MemoryTiff::Unmap));
		if (!tif)
			return IMAGERESULT_MISC_ERROR;
		result = EncodeInto(tif.get(), in);
		// The directory is written on closing.
	}
	if (result == IMAGERESULT_OK)
		bytes->swap(memory.bytes);
	return result;
}

#else

// Files are icons and glyph strips: read whole, decoded in memory.
const uintmax_t kMaxTiffFileSize = uintmax_t(1) << 30;

IMAGERESULT ReadTiff(const std::string& path, LONG frame, Raster* out)
{
	std::error_code ec;
	if (path.empty() || !std::filesystem::is_regular_file(std::filesystem::u8path(path), ec))
		return IMAGERESULT_NOTEXISTING;
	const uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(path), ec);
	if (ec)
		return IMAGERESULT_WRONGTYPE;
	if (size > kMaxTiffFileSize)
		return IMAGERESULT_OUTOFMEMORY;
	std::vector<uint8_t> bytes;
	try
	{
		std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
		bytes.resize((size_t)size);
		if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), (std::streamsize)size))
			return IMAGERESULT_WRONGTYPE;
	}
	catch (const std::bad_alloc&)
	{
		return IMAGERESULT_OUTOFMEMORY;
	}
	return DecodeTiff(bytes.data(), bytes.size(), frame, out);
}

IMAGERESULT EncodeTiffFile(const Raster& in, std::vector<uint8_t>* bytes)
{
	try
	{
		if (!EncodeTiff(in, bytes))
			return IMAGERESULT_MISC_ERROR;
	}
	catch (const std::bad_alloc&)
	{
		return IMAGERESULT_OUTOFMEMORY;
	}
	return IMAGERESULT_OK;
}

void SilenceLibtiff() {}

#endif

IMAGERESULT WriteTiff(const std::string& path, const Raster& in)
{
	if (path.empty())
		return IMAGERESULT_MISC_ERROR;
	SilenceLibtiff();
	// Encoded whole first: the file is then written as every output is.
	std::vector<uint8_t> bytes;
	const IMAGERESULT encoded = EncodeTiffFile(in, &bytes);
	if (encoded != IMAGERESULT_OK)
		return encoded;
	std::string problem;
	return platform::WriteFileWhole(path, bytes.data(), bytes.size(), &problem) ? IMAGERESULT_OK : IMAGERESULT_MISC_ERROR;
}

} // namespace

IMAGERESULT BaseBitmap::Init(const Filename& name, LONG frame, Bool* ismovie)
{
	if (ismovie)
		*ismovie = FALSE;
	if (impl_->owner)
		return IMAGERESULT_MISC_ERROR;
	impl_->MakeEmpty();
	Raster raster;
	const IMAGERESULT read = ReadTiff(name.GetString().GetStdString(), frame, &raster);
	if (read != IMAGERESULT_OK)
		return read;
	try
	{
		impl_->px.swap(raster.rgb);
		impl_->w = (LONG)raster.w;
		impl_->h = (LONG)raster.h;
		if (!raster.alpha.empty())
		{
			if (!AddChannel(TRUE, TRUE))
				throw std::bad_alloc();
			impl_->alpha->impl_->px.swap(raster.alpha);
		}
	}
	catch (const std::bad_alloc&)
	{
		impl_->MakeEmpty();
		return IMAGERESULT_OUTOFMEMORY;
	}
	return IMAGERESULT_OK;
}

IMAGERESULT BaseBitmap::Save(const Filename& name, LONG format, BaseContainer* data, SAVEBIT savebits) const
{
	(void)data;
	if (impl_->owner || impl_->w == 0 || format != FILTER_TIF)
		return IMAGERESULT_MISC_ERROR;
	// The raster borrows nothing: copying keeps the writer independent of the
	// in-memory layout, and icon-sized images make the copy negligible.
	Raster raster;
	try
	{
		raster.rgb = impl_->px;
		if (impl_->alpha && (savebits & SAVEBIT_ALPHA))
			raster.alpha = impl_->alpha->impl_->px;
	}
	catch (const std::bad_alloc&)
	{
		return IMAGERESULT_OUTOFMEMORY;
	}
	raster.w = (uint32_t)impl_->w;
	raster.h = (uint32_t)impl_->h;
	return WriteTiff(name.GetString().GetStdString(), raster);
}
