// What the fuzz targets share: a scratch folder, files written from the
// fuzzer's bytes, the host set up without a console, and container files
// whose checksums are made to fit, so that mutations reach the decoder
// instead of stopping at the checksum.
#ifndef PULSOR_FUZZ_COMMON_H__
#define PULSOR_FUZZ_COMMON_H__

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "host_services.h"

namespace pulsor_fuzz
{

// A folder of this process's own, on a memory file system where there is one:
// the container writer syncs every file it closes.
inline const std::filesystem::path& ScratchFolder()
{
	static const std::filesystem::path folder = [] {
		std::error_code ec;
		std::filesystem::path base = "/dev/shm";
		if (!std::filesystem::is_directory(base, ec))
			base = std::filesystem::temp_directory_path();
		const std::filesystem::path p = base / ("pulsor_fuzz_" + std::to_string(::getpid()));
		std::filesystem::remove_all(p, ec);
		std::filesystem::create_directories(p);
		// The folder goes with the process, however the run ends normally.
		static const std::string keep = p.string();
		std::atexit([] {
			std::error_code e;
			std::filesystem::remove_all(keep, e);
		});
		return p;
	}();
	return folder;
}

inline void WriteBytes(const std::filesystem::path& file, const uint8_t* data, size_t size)
{
	std::ofstream out(file, std::ios::binary | std::ios::trunc);
	out.write(reinterpret_cast<const char*>(data), (std::streamsize)size);
}

// Keeps the host's console quiet: a refused file is the expected outcome.
inline void QuietHost()
{
	HostSetErrorHandler([](const std::string&) {});
	HostSetObserver(nullptr);
	HostSetQuestionHandler(nullptr);
	HostSetFileSelectHandler(nullptr);
	HostSetStatusHandler(nullptr);
}

inline uint32_t Crc32(const uint8_t* p, size_t n)
{
	static uint32_t table[256];
	static bool ready = false;
	if (!ready)
	{
		for (uint32_t i = 0; i < 256; ++i)
		{
			uint32_t c = i;
			for (int k = 0; k < 8; ++k)
				c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
			table[i] = c;
		}
		ready = true;
	}
	uint32_t c = 0xFFFFFFFFu;
	for (size_t i = 0; i < n; ++i)
		c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
	return c ^ 0xFFFFFFFFu;
}

inline uint32_t LoadU32(const uint8_t* p)
{
	return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

inline void StoreU32(uint8_t* p, uint32_t v)
{
	for (int i = 0; i < 4; ++i)
		p[i] = (uint8_t)(v >> (8 * i));
}

// The container file as given, with the checksum of every whole record
// recomputed (header: 12 bytes; record: type, length, payload, CRC-32 of the
// three). One input length in seven keeps its checksums as they are, so that
// damaged checksums are still tried.
inline std::vector<uint8_t> WithValidChecksums(const uint8_t* data, size_t size)
{
	std::vector<uint8_t> file(data, data + size);
	if (size % 7 == 3)
		return file;
	size_t pos = 12;
	while (pos + 8 <= file.size())
	{
		const uint64_t length = LoadU32(&file[pos + 4]);
		if (pos + 8 + length + 4 > file.size())
			break;
		StoreU32(&file[pos + 8 + length], Crc32(&file[pos], (size_t)length + 8));
		pos += 8 + (size_t)length + 4;
	}
	return file;
}

} // namespace pulsor_fuzz

#endif
