// The host's own baseline TIFF codec: what bitmaps read and write where the
// target has no libtiff (Windows builds), compiled and tested everywhere.
//
// Reads:  grey (MinIsWhite, MinIsBlack) and RGB, 8 or 16 bits per sample,
//         with an optional alpha sample (straight or premultiplied),
//         uncompressed, LZW or PackBits, horizontal predictor or none,
//         interleaved samples in strips, orientations 1 to 4, any image of a
//         multi-image file.
// Writes: 8-bit RGB or RGBA with straight alpha, LZW, in strips of about
//         8 KiB, the directory last -- the layout libtiff writes for us.
// Anything else is refused with a result code, never read past its end.
#ifndef HOST_TIFF_CODEC_H__
#define HOST_TIFF_CODEC_H__

#include <cstddef>
#include <cstdint>
#include <vector>

#include "c4d_basebitmap.h"

// One decoded or to-be-encoded image: top-left origin, rgb holds 3 bytes per
// pixel, alpha 1 byte per pixel or nothing.
struct TiffRaster
{
	uint32_t w = 0, h = 0;
	std::vector<UCHAR> rgb;
	std::vector<UCHAR> alpha;
};

// Decodes image `frame` (0 or less: the first) of the TIFF file in
// bytes[0, size). Results as BaseBitmap::Init(Filename) answers them:
// WRONGTYPE for what is no TIFF or no layout of the list above, OUTOFMEMORY
// for sizes beyond the bitmap limits (checked before anything is sized from
// the file), MISC_ERROR for a missing image or damaged pixel data.
IMAGERESULT DecodeTiff(const uint8_t* bytes, size_t size, int64_t frame, TiffRaster* out);

// Encodes a raster whose rgb (and alpha, when not empty) fit w x h; false for
// one that does not.
bool EncodeTiff(const TiffRaster& in, std::vector<uint8_t>* out);

// The LZW and PackBits coders on their own, as TIFF strips use them.
// Decoding fills exactly `expected` bytes or fails; it never writes more.
bool LzwDecode(const uint8_t* in, size_t size, size_t expected, std::vector<uint8_t>* out);
void LzwEncode(const uint8_t* in, size_t size, std::vector<uint8_t>* out);
bool PackBitsDecode(const uint8_t* in, size_t size, size_t expected, std::vector<uint8_t>* out);

#endif
