// Bitmaps (8 bits per component, with an optional alpha channel) and the
// host's icon registry.
#ifndef C4D_BASEBITMAP_H__
#define C4D_BASEBITMAP_H__

#include "c4d_file.h"

class BaseContainer;

enum IMAGERESULT
{
	IMAGERESULT_OK = 1,
	IMAGERESULT_NOTEXISTING = -1,   // no such file
	IMAGERESULT_WRONGTYPE = -2,     // not an image the host can read
	IMAGERESULT_OUTOFMEMORY = -3,   // too big, or memory ran out
	IMAGERESULT_MISC_ERROR = -6     // bad arguments, damaged data, write failure
};

// The image formats Save writes.
enum
{
	FILTER_TIF = 1100
};

enum SAVEBIT
{
	SAVEBIT_0 = 0,
	SAVEBIT_ALPHA = 1   // the alpha channel goes into the file too
};

// Width and height are each at most BASEBITMAP_MAX_SIDE, and together at most
// BASEBITMAP_MAX_PIXELS, so that no file or caller can make the host reserve
// more than a few hundred megabytes for one image.
enum
{
	BASEBITMAP_MAX_SIDE = 16384,
	BASEBITMAP_MAX_PIXELS = 1 << 24
};

// An image of 8-bit red, green and blue components, origin at the top left.
// The alpha channel, when there is one, is a second BaseBitmap of one component
// owned by this one: reach it through GetInternalChannel and address it through
// SetAlphaPixel/GetAlphaPixel. Colours are stored straight (not multiplied by
// alpha).
//
// Create with Alloc, destroy with Free. A bitmap that is new or whose last Init
// failed is empty: 0 x 0, no alpha channel.
class BaseBitmap
{
public:
	static BaseBitmap* Alloc();
	// Frees bmp and sets it to null. An alpha channel belongs to its bitmap and
	// is left alone (only the pointer is cleared).
	static void Free(BaseBitmap*& bmp);

	// Discards the contents (and the alpha channel, invalidating pointers to
	// it) and makes a black w x h image. depth is 1, 4, 8, 16, 24 or 32; the
	// components are 8-bit whatever the depth, and 32 also adds an alpha channel.
	// Sizes below 1 or beyond the limits above are refused.
	IMAGERESULT Init(LONG w, LONG h, LONG depth = 24);

	// Loads a TIFF file: any layout libtiff can read (RGB, RGBA, grey, palette,
	// 16-bit; strips or tiles). An alpha channel in the file becomes the
	// bitmap's alpha channel. frame picks the image of a multi-image file
	// (-1 and 0: the first). On any failure the bitmap is left empty.
	// *ismovie, when given, is FALSE: no file the host reads is a movie.
	IMAGERESULT Init(const Filename& name, LONG frame = -1, Bool* ismovie = nullptr);

	// Writes the bitmap in format, FILTER_TIF being the only one: RGBA when
	// savebits has SAVEBIT_ALPHA and the bitmap an alpha channel, RGB
	// otherwise. data (the format's settings) is not used. The file is
	// written beside the target under a temporary name and then moved over
	// it, so a failed save never leaves a half-written target. An empty
	// bitmap and any other format are refused.
	IMAGERESULT Save(const Filename& name, LONG format, BaseContainer* data, SAVEBIT savebits) const;

	LONG GetBw() const;
	LONG GetBh() const;
	// 24, or 32 when the bitmap has an alpha channel; 8 for a channel; 0 when empty.
	LONG GetBt() const;

	// Components 0..255. Reads outside the image give 0. On an alpha channel
	// all three receive the channel's value. Null out pointers are skipped.
	void GetPixel(LONG x, LONG y, UWORD* r, UWORD* g, UWORD* b) const;
	// Components are clamped to 0..255; writes outside the image are ignored
	// and answer FALSE. On an alpha channel r is the value stored.
	Bool SetPixel(LONG x, LONG y, LONG r, LONG g, LONG b);

	// The alpha channel, or null when the bitmap has none.
	BaseBitmap* GetInternalChannel();
	const BaseBitmap* GetInternalChannel() const;
	// Creates the alpha channel, fully transparent (0), or returns the existing
	// one. Only the internal (alpha) channel exists here: internal == FALSE,
	// an empty bitmap or a channel itself answer null. straight is accepted for
	// compatibility; colours are always straight.
	BaseBitmap* AddChannel(Bool internal, Bool straight);

	// channel must be this bitmap's own alpha channel; anything else, or
	// coordinates outside the image, is ignored (FALSE, or 0 read). Values are
	// clamped to 0..255.
	Bool SetAlphaPixel(BaseBitmap* channel, LONG x, LONG y, LONG value);
	void GetAlphaPixel(BaseBitmap* channel, LONG x, LONG y, UWORD* value) const;

	// A deep copy, alpha channel included; null when memory runs out.
	BaseBitmap* GetClone() const;

private:
	BaseBitmap();
	~BaseBitmap();
	BaseBitmap(const BaseBitmap&);
	BaseBitmap& operator=(const BaseBitmap&);

	struct Impl;
	Impl* impl_;
};

// ---------------------------------------------------------------------------
// Icons

enum ICONFLAG
{
	ICONFLAG_0 = 0,
	ICONFLAG_COPY = 1   // the host keeps its own copy of the cell
};

// A cell (x, y, w, h) of bmp.
struct IconData
{
	BaseBitmap* bmp;
	LONG x, y, w, h;
};

// Registers the cell (x, y, w, h) of pBmp as icon lIconID. w or h of -1 take
// the rest of the bitmap from x or y. Without ICONFLAG_COPY the host keeps the
// pointer and the caller must keep the bitmap alive until UnregisterIcon; with
// it the host copies the cell (alpha included) into a bitmap of its own, which
// it frees on UnregisterIcon or at exit. Refused: a null or empty bitmap, a
// cell that is empty or reaches outside the bitmap, an id already registered.
Bool RegisterIcon(LONG lIconID, BaseBitmap* pBmp, LONG x = 0, LONG y = 0, LONG w = -1, LONG h = -1, ICONFLAG lFlags = ICONFLAG_0);
// FALSE when the id is not registered.
Bool UnregisterIcon(LONG lIconID);
// Fills dat with the icon's bitmap and cell (for a copied icon: the host's
// bitmap, at 0, 0). FALSE, dat untouched, when the id is unknown or dat is null.
Bool GetIcon(LONG lIconID, IconData* dat);

#endif
