// The host's operating-system layer, on POSIX and on Windows alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform.h"
#include "scratch_folder.h"

namespace
{

namespace fs = std::filesystem;

class PlatformFiles : public ::testing::Test
{
protected:
	void SetUp() override
	{
		dir_ = MakeScratchFolder("pulsor_platform_");
		ASSERT_FALSE(dir_.empty());
	}
	void TearDown() override
	{
		std::error_code ec;
		fs::remove_all(dir_, ec);
	}
	std::string Read(const fs::path& file) const
	{
		std::ifstream in(file, std::ios::binary);
		return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	}
	size_t Entries() const { return (size_t)std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); }

	fs::path dir_;
};

TEST_F(PlatformFiles, ATemporaryReplacesTheTargetWhole)
{
	const std::string target = (dir_ / "target").u8string();
	std::ofstream(dir_ / "target", std::ios::binary) << "old";
	std::string first, second;
	const int a = platform::CreateTemporaryBeside(target, &first);
	const int b = platform::CreateTemporaryBeside(target, &second);
	ASSERT_GE(a, 0);
	ASSERT_GE(b, 0);
	// Two temporaries of one target never share a name, and both sit beside it.
	EXPECT_NE(first, second);
	EXPECT_EQ(fs::u8path(first).parent_path(), dir_);
	EXPECT_EQ(first.compare(0, target.size(), target), 0);
	EXPECT_EQ(Entries(), 3u);

	const std::string bytes("new\0bytes\r\n", 11);
	ASSERT_TRUE(platform::WriteAll(a, bytes.data(), bytes.size()));
	ASSERT_TRUE(platform::SyncAndClose(a));
	platform::Close(b);
	platform::RemoveFile(second);
	// Until the rename the target is untouched; then it holds the new bytes
	// exactly (no line-ending translation) and the temporary is gone.
	EXPECT_EQ(Read(dir_ / "target"), "old");
	ASSERT_TRUE(platform::RenameOver(first, target));
	EXPECT_EQ(Read(dir_ / "target"), bytes);
	EXPECT_EQ(Entries(), 1u);
}

TEST_F(PlatformFiles, FailuresAreAnswersNotCrashes)
{
	std::string temporary = "unchanged";
	EXPECT_LT(platform::CreateTemporaryBeside((dir_ / "no" / "such" / "folder" / "x").u8string(), &temporary), 0);
	EXPECT_EQ(temporary, "unchanged");
	EXPECT_FALSE(platform::RenameOver((dir_ / "missing").u8string(), (dir_ / "target").u8string()));
	// A folder in the way of the target.
	fs::create_directories(dir_ / "taken" / "inside");
	const std::string from = (dir_ / "file").u8string();
	std::ofstream(dir_ / "file") << "x";
	EXPECT_FALSE(platform::RenameOver(from, (dir_ / "taken").u8string()));
	EXPECT_TRUE(fs::exists(dir_ / "file"));
	platform::RemoveFile((dir_ / "missing").u8string());

	std::string problem;
	EXPECT_EQ(platform::OpenLibrary((dir_ / "missing.library").u8string(), &problem), nullptr);
	EXPECT_FALSE(problem.empty());
	problem.clear();
	EXPECT_EQ(platform::OpenLibrary(from, &problem), nullptr);
	EXPECT_FALSE(problem.empty());
}

TEST(Platform, ProgramFileIsThisTestProgram)
{
	const fs::path self = fs::u8path(platform::ProgramFile());
	ASSERT_FALSE(self.empty());
	EXPECT_TRUE(fs::is_regular_file(self));
	EXPECT_EQ(self.stem().u8string(), "pulsor_tests");
}

} // namespace
