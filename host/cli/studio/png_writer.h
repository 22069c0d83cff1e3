// PNG images of the host's bitmaps, for the studio's browser pages.
#ifndef PULSORHOST_STUDIO_PNG_WRITER_H__
#define PULSORHOST_STUDIO_PNG_WRITER_H__

#include <string>

#include "c4d.h"

// The cell (x, y, w, h) of bmp as an 8-bit RGBA PNG file: the bitmap's
// alpha channel where it has one, else opaque. Empty when the cell is empty
// or reaches outside the bitmap.
std::string EncodePng(const BaseBitmap& bmp, LONG x, LONG y, LONG w, LONG h);

#endif
