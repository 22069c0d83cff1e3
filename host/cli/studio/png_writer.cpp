#include "png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace
{

void AppendBigEndian(std::string* out, uint32_t v)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		out->push_back((char)((v >> shift) & 0xff));
}

void AppendChunk(std::string* out, const char type[4], const std::string& data)
{
	AppendBigEndian(out, (uint32_t)data.size());
	const std::string body = std::string(type, 4) + data;
	out->append(body);
	AppendBigEndian(out, (uint32_t)crc32(0L, reinterpret_cast<const Bytef*>(body.data()), (uInt)body.size()));
}

} // namespace

std::string EncodePng(const BaseBitmap& bmp, LONG x, LONG y, LONG w, LONG h)
{
	if (w <= 0 || h <= 0 || x < 0 || y < 0 || x > bmp.GetBw() - w || y > bmp.GetBh() - h)
		return std::string();
	const BaseBitmap* alpha = bmp.GetInternalChannel();
	// Each row starts with its filter byte, 0: none.
	std::vector<unsigned char> raw;
	raw.reserve((size_t)h * ((size_t)w * 4 + 1));
	for (LONG row = 0; row < h; ++row)
	{
		raw.push_back(0);
		for (LONG col = 0; col < w; ++col)
		{
			UWORD r = 0, g = 0, b = 0, a = 255;
			bmp.GetPixel(x + col, y + row, &r, &g, &b);
			if (alpha)
				bmp.GetAlphaPixel(const_cast<BaseBitmap*>(alpha), x + col, y + row, &a);
			raw.insert(raw.end(), { (unsigned char)r, (unsigned char)g, (unsigned char)b, (unsigned char)a });
		}
	}
	uLongf packedSize = compressBound((uLong)raw.size());
	std::string packed(packedSize, '\0');
	if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, raw.data(), (uLong)raw.size(), Z_DEFAULT_COMPRESSION) != Z_OK)
		return std::string();
	packed.resize(packedSize);

	std::string header;
	AppendBigEndian(&header, (uint32_t)w);
	AppendBigEndian(&header, (uint32_t)h);
	header += std::string("\x08\x06\x00\x00\x00", 5);    // 8 bits, RGBA, deflate, no filter, no interlace
	std::string png("\x89PNG\r\n\x1a\n", 8);
	AppendChunk(&png, "IHDR", header);
	AppendChunk(&png, "IDAT", packed);
	AppendChunk(&png, "IEND", std::string());
	return png;
}
