// icongen: draws the module's icons and glyph strip and saves them as TIFF
// files into a resource folder (default: res/ of the source tree).
//
//   icongen [resource folder]
//
// The drawing is exact integer-grid work on pixel centres, without
// anti-aliasing, so the output is the same on every run.
//
//   pulsorIcons.tif  64 x 64 cells, RGBA: 0 tag (wave), 1 position, 2 scale,
//                    3 rotation, 4 pulse, 5 noise, 6 no parameter
//   texticons.tif    40 x 40 cells, RGB on the key colour (255, 0, 255):
//                    0-25 "A"-"Z", 26-35 "0"-"9", 36 "?" for anything else
//   HelpIcon.tif     20 x 20, RGBA: a help button
//   X.tif            64 x 64, RGBA: the registration icon (the wave)
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "c4d.h"

#ifndef PULSOR_SOURCE_DIR
#define PULSOR_SOURCE_DIR "."
#endif

namespace
{

// ===========================================================================
// The glyph font: 5 x 7, one string per row, '#' set.

const int kFontW = 5;
const int kFontH = 7;

struct Glyph
{
	char ch;
	const char* rows[kFontH];
};

const Glyph kFont[] = {
	{ 'A', { ".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#" } },
	{ 'B', { "####.", "#...#", "#...#", "####.", "#...#", "#...#", "####." } },
	{ 'C', { ".###.", "#...#", "#....", "#....", "#....", "#...#", ".###." } },
	{ 'D', { "####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####." } },
	{ 'E', { "#####", "#....", "#....", "####.", "#....", "#....", "#####" } },
	{ 'F', { "#####", "#....", "#....", "####.", "#....", "#....", "#...." } },
	{ 'G', { ".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####" } },
	{ 'H', { "#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#" } },
	{ 'I', { ".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###." } },
	{ 'J', { "..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.." } },
	{ 'K', { "#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#" } },
	{ 'L', { "#....", "#....", "#....", "#....", "#....", "#....", "#####" } },
	{ 'M', { "#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#" } },
	{ 'N', { "#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#" } },
	{ 'O', { ".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###." } },
	{ 'P', { "####.", "#...#", "#...#", "####.", "#....", "#....", "#...." } },
	{ 'Q', { ".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#" } },
	{ 'R', { "####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#" } },
	{ 'S', { ".####", "#....", "#....", ".###.", "....#", "....#", "####." } },
	{ 'T', { "#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.." } },
	{ 'U', { "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###." } },
	{ 'V', { "#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.." } },
	{ 'W', { "#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#." } },
	{ 'X', { "#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#" } },
	{ 'Y', { "#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.." } },
	{ 'Z', { "#####", "....#", "...#.", "..#..", ".#...", "#....", "#####" } },
	{ '0', { ".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###." } },
	{ '1', { "..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###." } },
	{ '2', { ".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####" } },
	{ '3', { "#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###." } },
	{ '4', { "...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#." } },
	{ '5', { "#####", "#....", "####.", "....#", "....#", "#...#", ".###." } },
	{ '6', { "..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###." } },
	{ '7', { "#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..." } },
	{ '8', { ".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###." } },
	{ '9', { ".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.." } },
	{ '?', { ".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.." } },
};
// The strip's order is the table's order: letters, digits, the fallback.
static_assert(sizeof(kFont) / sizeof(kFont[0]) == 26 + 10 + 1, "glyph strip: A-Z, 0-9 and one fallback");

// ===========================================================================
// Drawing on pixel centres

struct Colour
{
	LONG r, g, b;
};

const Colour kWave = { 255, 140, 0 };
const Colour kPosition = { 235, 70, 70 };
const Colour kScale = { 70, 200, 90 };
const Colour kRotation = { 70, 140, 255 };
const Colour kPulse = { 255, 200, 40 };
const Colour kNoise = { 190, 110, 255 };
const Colour kDisabled = { 140, 140, 140 };
const Colour kCross = { 220, 40, 40 };
const Colour kHelpDisc = { 40, 110, 220 };
const Colour kWhite = { 255, 255, 255 };
const Colour kKey = { 255, 0, 255 };

// A window onto a bitmap: coordinates are relative to (ox, oy) and clipped to
// w x h, so one cell cannot paint into its neighbour.
class Canvas
{
public:
	Canvas(BaseBitmap* bmp, LONG ox, LONG oy, LONG w, LONG h) : bmp_(bmp), alpha_(bmp->GetInternalChannel()), ox_(ox), oy_(oy), w_(w), h_(h) {}

	void Plot(LONG x, LONG y, const Colour& c)
	{
		if (x < 0 || y < 0 || x >= w_ || y >= h_)
			return;
		bmp_->SetPixel(ox_ + x, oy_ + y, c.r, c.g, c.b);
		if (alpha_)
			bmp_->SetAlphaPixel(alpha_, ox_ + x, oy_ + y, 255);
	}

	// Every pixel whose centre passes the test.
	template <typename Inside>
	void Fill(const Colour& c, Inside inside)
	{
		for (LONG y = 0; y < h_; ++y)
			for (LONG x = 0; x < w_; ++x)
				if (inside(x + 0.5, y + 0.5))
					Plot(x, y, c);
	}

	void Disc(double cx, double cy, double r, const Colour& c)
	{
		Fill(c, [&](double x, double y) { return std::hypot(x - cx, y - cy) <= r; });
	}

	// A ring of the given width; from/to in degrees, counter-clockwise from
	// the positive x axis with y pointing up.
	void Arc(double cx, double cy, double r, double width, double from, double to, const Colour& c)
	{
		Fill(c, [&](double x, double y) {
			const double d = std::hypot(x - cx, y - cy);
			if (std::fabs(d - r) > width / 2.0)
				return false;
			double a = std::atan2(cy - y, x - cx) * 180.0 / pi;
			if (a < from)
				a += 360.0;
			return a >= from && a <= to;
		});
	}

	// A segment with round ends.
	void Line(double x0, double y0, double x1, double y1, double width, const Colour& c)
	{
		Fill(c, [&](double x, double y) { return DistanceToSegment(x, y, x0, y0, x1, y1) <= width / 2.0; });
	}

	void Polyline(const std::vector<double>& xy, double width, const Colour& c)
	{
		for (size_t i = 2; i + 1 < xy.size(); i += 2)
			Line(xy[i - 2], xy[i - 1], xy[i], xy[i + 1], width, c);
	}

	void Triangle(double ax, double ay, double bx, double by, double cx, double cy, const Colour& c)
	{
		Fill(c, [&](double x, double y) {
			const double d1 = Cross(ax, ay, bx, by, x, y), d2 = Cross(bx, by, cx, cy, x, y), d3 = Cross(cx, cy, ax, ay, x, y);
			const bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
			return !(negative && positive);
		});
	}

	// Outline of the square [x0, x1] x [y0, y1] in pixel edges.
	void Frame(LONG x0, LONG y0, LONG x1, LONG y1, LONG width, const Colour& c)
	{
		for (LONG y = y0; y < y1; ++y)
			for (LONG x = x0; x < x1; ++x)
				if (x < x0 + width || x >= x1 - width || y < y0 + width || y >= y1 - width)
					Plot(x, y, c);
	}

	// A character of the font, each font pixel a scale x scale block; characters
	// outside the font draw the fallback.
	void Text(char ch, LONG x0, LONG y0, LONG scale, const Colour& c)
	{
		const Glyph& g = FindGlyph(ch);
		for (int row = 0; row < kFontH; ++row)
			for (int col = 0; col < kFontW; ++col)
				if (g.rows[row][col] == '#')
					for (LONG j = 0; j < scale; ++j)
						for (LONG i = 0; i < scale; ++i)
							Plot(x0 + col * scale + i, y0 + row * scale + j, c);
	}

	static const Glyph& FindGlyph(char ch)
	{
		for (const Glyph& g : kFont)
			if (g.ch == ch)
				return g;
		return kFont[sizeof(kFont) / sizeof(kFont[0]) - 1];
	}

private:
	static double Cross(double ax, double ay, double bx, double by, double px, double py)
	{
		return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
	}

	static double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by)
	{
		const double dx = bx - ax, dy = by - ay;
		const double len2 = dx * dx + dy * dy;
		double t = len2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
		t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
		return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
	}

	BaseBitmap* bmp_;
	BaseBitmap* alpha_;
	LONG ox_, oy_, w_, h_;
};

// ===========================================================================
// The pictures

// One and a half periods of a sine across a cell of the given size.
void DrawWave(Canvas& c, double size, const Colour& colour)
{
	const double left = size * 0.1, right = size * 0.9, mid = size * 0.5, amplitude = size * 0.22;
	std::vector<double> xy;
	const int steps = 48;
	for (int i = 0; i <= steps; ++i)
	{
		const double t = (double)i / steps;
		xy.push_back(left + t * (right - left));
		xy.push_back(mid - amplitude * std::sin(t * 3.0 * pi));
	}
	c.Polyline(xy, size * 0.1, colour);
}

void DrawPosition(Canvas& c)
{
	c.Line(10, 32, 54, 32, 4, kPosition);
	c.Line(32, 10, 32, 54, 4, kPosition);
	c.Triangle(32, 2, 24, 13, 40, 13, kPosition);
	c.Triangle(32, 62, 24, 51, 40, 51, kPosition);
	c.Triangle(2, 32, 13, 24, 13, 40, kPosition);
	c.Triangle(62, 32, 51, 24, 51, 40, kPosition);
	c.Disc(32, 32, 6, kPosition);
}

void DrawScale(Canvas& c)
{
	c.Frame(4, 44, 20, 60, 3, kScale);
	c.Frame(4, 28, 36, 60, 3, kScale);
	c.Frame(4, 4, 60, 60, 3, kScale);
	c.Line(14, 50, 46, 18, 4, kScale);
	c.Triangle(52, 12, 38, 16, 48, 26, kScale);
}

void DrawRotation(Canvas& c)
{
	// Open at the upper right, where the arrowhead points into the gap.
	c.Arc(32, 32, 20, 6, 60, 345, kRotation);
	c.Triangle(52, 22, 60, 38, 44, 38, kRotation);
}

void DrawPulse(Canvas& c)
{
	c.Polyline({ 3, 38, 18, 38, 24, 12, 32, 56, 38, 30, 42, 38, 61, 38 }, 5, kPulse);
}

void DrawNoise(Canvas& c)
{
	c.Polyline({ 4, 36, 11, 22, 17, 40, 23, 16, 30, 44, 36, 26, 42, 48, 48, 20, 54, 34, 60, 28 }, 4, kNoise);
}

void DrawNoParameter(Canvas& c)
{
	DrawWave(c, 64, kDisabled);
	c.Line(8, 8, 56, 56, 6, kCross);
}

// ===========================================================================
// The files

BaseBitmap* NewBitmap(LONG w, LONG h, bool withAlpha)
{
	BaseBitmap* bmp = BaseBitmap::Alloc();
	if (!bmp || bmp->Init(w, h) != IMAGERESULT_OK || (withAlpha && !bmp->AddChannel(TRUE, TRUE)))
		BaseBitmap::Free(bmp);
	return bmp;
}

bool Save(BaseBitmap* bmp, const Filename& folder, const char* file)
{
	const Filename path = folder + Filename(file);
	const bool ok = bmp && bmp->Save(path, FILTER_TIF, nullptr, SAVEBIT_ALPHA) == IMAGERESULT_OK;
	if (ok)
		std::printf("icongen: wrote %s (%d x %d)\n", path.GetString().GetCStr(), (int)bmp->GetBw(), (int)bmp->GetBh());
	else
		std::fprintf(stderr, "icongen: could not write %s\n", path.GetString().GetCStr());
	BaseBitmap::Free(bmp);
	return ok;
}

bool WriteParameterIcons(const Filename& folder)
{
	const LONG cell = 64;
	void (*const draw[])(Canvas&) = {
		[](Canvas& c) { DrawWave(c, 64, kWave); },
		DrawPosition, DrawScale, DrawRotation, DrawPulse, DrawNoise, DrawNoParameter
	};
	const LONG count = (LONG)(sizeof(draw) / sizeof(draw[0]));
	BaseBitmap* bmp = NewBitmap(cell * count, cell, true);
	if (!bmp)
		return false;
	for (LONG i = 0; i < count; ++i)
	{
		Canvas c(bmp, i * cell, 0, cell, cell);
		draw[i](c);
	}
	return Save(bmp, folder, "pulsorIcons.tif");
}

bool WriteGlyphs(const Filename& folder)
{
	// 5 x 7 at 5x: 25 x 35, centred in the 40 x 40 cell.
	const LONG cell = 40, scale = 5;
	const LONG count = (LONG)(sizeof(kFont) / sizeof(kFont[0]));
	BaseBitmap* bmp = NewBitmap(cell * count, cell, false);
	if (!bmp)
		return false;
	Canvas all(bmp, 0, 0, bmp->GetBw(), bmp->GetBh());
	all.Fill(kKey, [](double, double) { return true; });
	for (LONG i = 0; i < count; ++i)
	{
		Canvas c(bmp, i * cell, 0, cell, cell);
		c.Text(kFont[i].ch, (cell - kFontW * scale) / 2, (cell - kFontH * scale) / 2, scale, kWhite);
	}
	return Save(bmp, folder, "texticons.tif");
}

bool WriteHelpIcon(const Filename& folder)
{
	const LONG size = 20;
	BaseBitmap* bmp = NewBitmap(size, size, true);
	if (!bmp)
		return false;
	Canvas c(bmp, 0, 0, size, size);
	c.Disc(10, 10, 9.5, kHelpDisc);
	c.Text('?', 5, 3, 2, kWhite);
	return Save(bmp, folder, "HelpIcon.tif");
}

bool WriteRegistrationIcon(const Filename& folder)
{
	const LONG size = 64;
	BaseBitmap* bmp = NewBitmap(size, size, true);
	if (!bmp)
		return false;
	Canvas c(bmp, 0, 0, size, size);
	DrawWave(c, size, kWave);
	return Save(bmp, folder, "X.tif");
}

} // namespace

int main(int argc, char** argv)
{
	const Filename folder(argc > 1 ? argv[1] : PULSOR_SOURCE_DIR "/res");
	bool ok = WriteParameterIcons(folder);
	ok = WriteGlyphs(folder) && ok;
	ok = WriteHelpIcon(folder) && ok;
	ok = WriteRegistrationIcon(folder) && ok;
	return ok ? 0 : 1;
}
