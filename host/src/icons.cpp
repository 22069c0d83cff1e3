#include "c4d_basebitmap.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace
{

struct Icon
{
	BaseBitmap* bmp;
	LONG x, y, w, h;
	// The host's own copy, freed with the entry.
	bool owned;
};

struct IconRegistry
{
	std::mutex lock;
	std::map<LONG, Icon> icons;

	~IconRegistry()
	{
		for (auto& entry : icons)
			if (entry.second.owned)
				BaseBitmap::Free(entry.second.bmp);
	}
};

IconRegistry& GetIconRegistry()
{
	static IconRegistry registry;
	return registry;
}

// Resolves -1 to "the rest of the bitmap" and checks that the cell is a
// non-empty part of it. 64-bit sums: x + w must not wrap around.
bool ResolveCell(const BaseBitmap& bmp, LONG x, LONG y, LONG* w, LONG* h)
{
	const LONG bw = bmp.GetBw(), bh = bmp.GetBh();
	if (x < 0 || y < 0 || x >= bw || y >= bh)
		return false;
	if (*w == -1)
		*w = bw - x;
	if (*h == -1)
		*h = bh - y;
	return *w > 0 && *h > 0 && (int64_t)x + *w <= bw && (int64_t)y + *h <= bh;
}

// A bitmap of just the cell, alpha included; null when memory runs out.
BaseBitmap* CopyCell(BaseBitmap& src, LONG x, LONG y, LONG w, LONG h)
{
	BaseBitmap* dst = BaseBitmap::Alloc();
	if (!dst || dst->Init(w, h) != IMAGERESULT_OK)
	{
		BaseBitmap::Free(dst);
		return nullptr;
	}
	BaseBitmap* srcAlpha = src.GetInternalChannel();
	BaseBitmap* dstAlpha = srcAlpha ? dst->AddChannel(TRUE, TRUE) : nullptr;
	if (srcAlpha && !dstAlpha)
	{
		BaseBitmap::Free(dst);
		return nullptr;
	}
	for (LONG j = 0; j < h; ++j)
	{
		for (LONG i = 0; i < w; ++i)
		{
			UWORD r = 0, g = 0, b = 0;
			src.GetPixel(x + i, y + j, &r, &g, &b);
			dst->SetPixel(i, j, r, g, b);
			if (srcAlpha)
			{
				UWORD a = 0;
				src.GetAlphaPixel(srcAlpha, x + i, y + j, &a);
				dst->SetAlphaPixel(dstAlpha, i, j, a);
			}
		}
	}
	return dst;
}

} // namespace

Bool RegisterIcon(LONG lIconID, BaseBitmap* pBmp, LONG x, LONG y, LONG w, LONG h, ICONFLAG lFlags)
{
	if (!pBmp || !ResolveCell(*pBmp, x, y, &w, &h))
		return FALSE;
	Icon icon = { pBmp, x, y, w, h, false };
	// Copied outside the lock; a lost race for the id just discards the copy.
	if (lFlags & ICONFLAG_COPY)
	{
		icon.bmp = CopyCell(*pBmp, x, y, w, h);
		if (!icon.bmp)
			return FALSE;
		icon.x = icon.y = 0;
		icon.owned = true;
	}
	IconRegistry& r = GetIconRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	if (r.icons.count(lIconID))
	{
		if (icon.owned)
			BaseBitmap::Free(icon.bmp);
		return FALSE;
	}
	r.icons[lIconID] = icon;
	return TRUE;
}

Bool UnregisterIcon(LONG lIconID)
{
	IconRegistry& r = GetIconRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	auto it = r.icons.find(lIconID);
	if (it == r.icons.end())
		return FALSE;
	if (it->second.owned)
		BaseBitmap::Free(it->second.bmp);
	r.icons.erase(it);
	return TRUE;
}

Bool GetIcon(LONG lIconID, IconData* dat)
{
	if (!dat)
		return FALSE;
	IconRegistry& r = GetIconRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	auto it = r.icons.find(lIconID);
	if (it == r.icons.end())
		return FALSE;
	const Icon& icon = it->second;
	dat->bmp = icon.bmp;
	dat->x = icon.x;
	dat->y = icon.y;
	dat->w = icon.w;
	dat->h = icon.h;
	return TRUE;
}
