// A new, empty folder under the system's temporary folder for one test.
// mkdtemp would do, but Windows has none.
#ifndef PULSOR_TEST_SCRATCH_FOLDER_H__
#define PULSOR_TEST_SCRATCH_FOLDER_H__

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

// The folder's path, or an empty path when none could be made.
inline std::filesystem::path MakeScratchFolder(const std::string& prefix)
{
	std::random_device random;
	std::error_code ec;
	const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
	for (int attempt = 0; !ec && attempt < 100; ++attempt)
	{
		const std::filesystem::path candidate = base / (prefix + std::to_string(random()));
		if (std::filesystem::create_directory(candidate, ec))
			return candidate;
		ec.clear();
	}
	return std::filesystem::path();
}

#endif
