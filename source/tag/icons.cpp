// The help buttons' bitmap and the tag's icon, which shows what it animates.
#include "commands.h"
#include "resource_files.h"

namespace
{

bool IsHelpIcon(LONG id)
{
	TabField field;
	return id == PULSOR_HELP_BASE || id == PULSOR_HELP_OUTPUT || (DecodeTabId(id, &field) && field.offset == PULSOR_TAB_HELP);
}

Bool LoadImage(BaseBitmap* bmp, const CHAR* resource)
{
	return bmp && bmp->Init(ResourceFile(resource), -1) == IMAGERESULT_OK;
}

const LONG kIconCell = 64;
const LONG kGlyphCell = 40;
const LONG kOtherGlyph = 36;

// The icon strip's cell for each icon kind; a glyph draws on the blank cell.
LONG IconCell(LONG kind)
{
	switch (kind)
	{
		case PULSOR_ICON_UNLINKED: return 6;
		case PULSOR_ICON_POSITION: return 1;
		case PULSOR_ICON_SCALE: return 2;
		case PULSOR_ICON_ROTATION: return 3;
		default: return 0;
	}
}

LONG GlyphOf(const String& text)
{
	if (!text.Content())
		return kOtherGlyph;
	const CHAR ch = text.Left(1).ToUpper()[0];
	if (ch >= 'A' && ch <= 'Z')
		return ch - 'A';
	if (ch >= '0' && ch <= '9')
		return 26 + (ch - '0');
	return kOtherGlyph;
}

// Draws the glyph for the linked parameter's name into the icon's cell.
Bool DrawGlyph(MessageContext& c, BaseBitmap* strip, LONG x0)
{
	AutoAlloc<BaseBitmap> glyphs;
	if (!LoadImage(glyphs, "texticons.tif"))
		return FALSE;
	GeData description;
	c.tag->GetParameter(DescID(PULSOR_LINK_DESCRIPTION), description, DESCFLAGS_GET_0);
	const BaseContainer* settings = description.GetContainer();
	String text = settings ? settings->GetString(DESC_SHORT_NAME) : String();
	if (!text.Content() && settings)
		text = settings->GetString(DESC_NAME);
	const LONG g = GlyphOf(text);
	BaseBitmap* alpha = strip->GetInternalChannel();
	for (LONG y = 0; y < kGlyphCell; ++y)
	{
		for (LONG x = 0; x < kGlyphCell; ++x)
		{
			UWORD r = 0, gr = 0, b = 0;
			glyphs->GetPixel(kGlyphCell * g + x, y, &r, &gr, &b);
			if (r == 255 && gr == 0 && b == 255)
				continue;
			if (alpha)
				strip->SetAlphaPixel(alpha, x, y, 255);
			strip->SetPixel(x0 + x, y, r, gr, b);
		}
	}
	return TRUE;
}

} // namespace

void HelpBitmap(DescriptionGetBitmap* request)
{
	if (!request || !IsHelpIcon(request->id[0].id))
		return;
	BaseBitmap* bmp = BaseBitmap::Alloc();
	if (!bmp)
		return;
	// A missing file leaves an empty bitmap; the host shows that.
	bmp->Init(ResourceFile("HelpIcon.tif"), -1);
	request->bmp = bmp;
}

Bool CustomIcon(MessageContext& c, GetCustomIconData* request)
{
	if (!request)
		return TRUE;
	const LONG kind = c.data->GetLong(PULSOR_ICON_KIND, PULSOR_ICON_UNLINKED);
	const LONG x0 = kIconCell * IconCell(kind);
	UnregisterIcon(PULSOR_ICON_ID);
	AutoAlloc<BaseBitmap> strip;
	if (!LoadImage(strip, "pulsorIcons.tif"))
		return TRUE;
	if (kind == PULSOR_ICON_GLYPH && !DrawGlyph(c, strip, x0))
		return TRUE;
	// A strip too small for the cell (a damaged resource) supplies no icon
	// rather than an empty one.
	if (!RegisterIcon(PULSOR_ICON_ID, strip, x0, 0, kIconCell, kIconCell, ICONFLAG_COPY))
		return TRUE;
	if (request->dat && GetIcon(PULSOR_ICON_ID, request->dat))
		request->filled = TRUE;
	return TRUE;
}
