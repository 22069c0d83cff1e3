// The host's operating-system layer, on POSIX and on Windows alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Writes bytes to path through the one routine every output uses.
bool Replace(const fs::path& path, const std::string& bytes, std::string* problem = nullptr)
{
	std::string ignored;
	return platform::WriteFileWhole(path.u8string(), bytes.data(), bytes.size(), problem ? problem : &ignored);
}

TEST_F(PlatformFiles, AReplacementAppearsOnlyWhenInstalledAndLeavesNothingBehind)
{
	std::ofstream(dir_ / "target", std::ios::binary) << "old";
	{
		platform::FileReplacement file;
		ASSERT_TRUE(file.Begin((dir_ / "target").u8string()));
		ASSERT_TRUE(file.Write("new", 3));
		ASSERT_TRUE(file.Finish());
		EXPECT_EQ(Read(dir_ / "target"), "old");
		EXPECT_EQ(Entries(), 2u);
		// Dropped before Install: the temporary goes, the target stays.
	}
	EXPECT_EQ(Read(dir_ / "target"), "old");
	EXPECT_EQ(Entries(), 1u);
	ASSERT_TRUE(Replace(dir_ / "target", "new"));
	EXPECT_EQ(Read(dir_ / "target"), "new");
	EXPECT_EQ(Entries(), 1u);

	// A folder in the way is refused from the start, and says so.
	fs::create_directory(dir_ / "folder");
	std::string problem;
	EXPECT_FALSE(Replace(dir_ / "folder", "x", &problem));
	EXPECT_NE(problem.find("folder"), std::string::npos) << problem;
	EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
	EXPECT_EQ(Entries(), 2u);
}

#ifndef _WIN32
TEST_F(PlatformFiles, ALinkIsFollowedAndStaysALink)
{
	std::ofstream(dir_ / "real", std::ios::binary) << "old";
	fs::create_symlink("real", dir_ / "link");
	ASSERT_TRUE(Replace(dir_ / "link", "new"));
	EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
	EXPECT_EQ(fs::read_symlink(dir_ / "link"), fs::path("real"));
	EXPECT_EQ(Read(dir_ / "real"), "new");
	// A link to a file not there yet makes the file.
	fs::create_symlink("later", dir_ / "dangling");
	ASSERT_TRUE(Replace(dir_ / "dangling", "made"));
	EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
	EXPECT_EQ(Read(dir_ / "later"), "made");
	EXPECT_EQ(Entries(), 4u);
	// A loop is refused.
	fs::create_symlink("loop", dir_ / "loop");
	EXPECT_FALSE(Replace(dir_ / "loop", "x"));
	EXPECT_TRUE(fs::is_symlink(dir_ / "loop"));
}

TEST_F(PlatformFiles, AReplacedFileKeepsItsModeAndAHardLinkIsRefused)
{
	std::ofstream(dir_ / "secret", std::ios::binary) << "old";
	ASSERT_EQ(::chmod((dir_ / "secret").c_str(), 0600), 0);
	ASSERT_TRUE(Replace(dir_ / "secret", "new"));
	EXPECT_EQ(fs::status(dir_ / "secret").permissions(), fs::perms(0600));
	EXPECT_EQ(Read(dir_ / "secret"), "new");

	// Replacing one name of a hard-linked file would split it from the
	// other: refused, both names keep the old bytes and stay one file.
	fs::create_hard_link(dir_ / "secret", dir_ / "other");
	std::string problem;
	EXPECT_FALSE(Replace(dir_ / "secret", "newer", &problem));
	EXPECT_NE(problem.find("hard link"), std::string::npos) << problem;
	EXPECT_EQ(fs::hard_link_count(dir_ / "secret"), 2u);
	EXPECT_EQ(Read(dir_ / "other"), "new");
	EXPECT_EQ(Entries(), 2u);
}

TEST_F(PlatformFiles, DevicesAreWrittenThroughNeverReplaced)
{
	// Through links, so that a fault replaces only the link, never the device.
	fs::create_symlink("/dev/null", dir_ / "null");
	fs::create_symlink("/dev/full", dir_ / "full");
	ASSERT_TRUE(Replace(dir_ / "null", "into nothing"));
	EXPECT_TRUE(fs::is_symlink(dir_ / "null"));
	EXPECT_TRUE(fs::is_character_file("/dev/null"));

	// A full disk fails the write, and says so.
	std::string problem;
	EXPECT_FALSE(Replace(dir_ / "full", "too much", &problem));
	EXPECT_NE(problem.find(std::generic_category().message(ENOSPC)), std::string::npos) << problem;
	EXPECT_TRUE(fs::is_symlink(dir_ / "full"));
	EXPECT_TRUE(fs::is_character_file("/dev/full"));
	EXPECT_EQ(Entries(), 2u);
}

TEST_F(PlatformFiles, AFifoIsWrittenThroughAndWithoutAReaderRefusedAtOnce)
{
	const fs::path fifo = dir_ / "fifo";
	ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
	std::string problem;
	EXPECT_FALSE(Replace(fifo, "nobody listens", &problem));
	EXPECT_FALSE(problem.empty());

	std::string received;
	std::thread reader([&] {
		std::ifstream in(fifo, std::ios::binary);
		received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	});
	// The reader may not have opened yet: the refusal above comes at once,
	// so try until it has.
	bool written = false;
	for (int attempt = 0; attempt < 10000 && !written; ++attempt)
	{
		written = Replace(fifo, "through the pipe");
		if (!written)
			std::this_thread::yield();
	}
	if (!written)
	{
		// Unblock the reader before failing.
		const int fd = ::open(fifo.c_str(), O_WRONLY);
		::close(fd);
	}
	reader.join();
	ASSERT_TRUE(written);
	EXPECT_EQ(received, "through the pipe");
	EXPECT_TRUE(fs::is_fifo(fifo));
	EXPECT_EQ(Entries(), 1u);
}

TEST_F(PlatformFiles, TemporariesOfAKilledRunGoAndThoseOfALiveWriterStay)
{
	const std::string target = (dir_ / "target").u8string();
	const std::string mark = platform::kTemporaryMark;
	// As a killed run leaves them: complete names, unlocked.
	std::ofstream(target + mark + "999999-0-1") << "stale";
	std::ofstream(target + mark + "x") << "stale";
	// Another target's, and names that only look alike, stay.
	std::ofstream(dir_ / ("other" + mark + "1-2-3")) << "not ours";
	// A planted FIFO and link under the pattern are neither opened for
	// writing, waited on, nor followed to their victim.
	ASSERT_EQ(::mkfifo((target + mark + "fifo").c_str(), 0600), 0);
	std::ofstream(dir_ / "victim") << "victim";
	fs::create_symlink("victim", target + mark + "link");
	// A writer still at work holds its temporary.
	std::string live;
	const int fd = platform::CreateTemporaryBeside(target, &live);
	ASSERT_GE(fd, 0);

	ASSERT_TRUE(Replace(dir_ / "target", "new"));
	EXPECT_FALSE(fs::exists(target + mark + "999999-0-1"));
	EXPECT_FALSE(fs::exists(target + mark + "x"));
	EXPECT_TRUE(fs::exists(dir_ / ("other" + mark + "1-2-3")));
	EXPECT_TRUE(fs::is_fifo(target + mark + "fifo"));
	EXPECT_TRUE(fs::is_symlink(target + mark + "link"));
	EXPECT_EQ(Read(dir_ / "victim"), "victim");
	EXPECT_TRUE(fs::exists(live));
	EXPECT_EQ(Read(dir_ / "target"), "new");
	platform::Close(fd);
}

TEST(PlatformReads, AnEndlessStreamIsRefusedAfterTheLimit)
{
	std::string bytes = "unchanged", problem;
	EXPECT_FALSE(platform::ReadFileBounded("/dev/zero", 1 << 20, &bytes, &problem));
	EXPECT_NE(problem.find("larger than 1048576 bytes"), std::string::npos) << problem;
	EXPECT_EQ(bytes, "unchanged");
}
#endif

TEST_F(PlatformFiles, ReadsAreBoundedAndNameTheProblem)
{
	std::ofstream(dir_ / "small", std::ios::binary) << "12345";
	std::string bytes, problem;
	ASSERT_TRUE(platform::ReadFileBounded((dir_ / "small").u8string(), 5, &bytes, &problem)) << problem;
	EXPECT_EQ(bytes, "12345");
	EXPECT_FALSE(platform::ReadFileBounded((dir_ / "small").u8string(), 4, &bytes, &problem));
	EXPECT_NE(problem.find("larger than 4 bytes"), std::string::npos) << problem;
	// Refused from its size (the file is sparse, nothing of it is read).
	{
		std::ofstream(dir_ / "huge") << "x";
	}
	fs::resize_file(dir_ / "huge", platform::kMaxInputFileSize + 1);
	EXPECT_FALSE(platform::ReadFileBounded((dir_ / "huge").u8string(), platform::kMaxInputFileSize, &bytes, &problem));
	EXPECT_EQ(bytes, "12345");
	EXPECT_FALSE(platform::ReadFileBounded((dir_ / "missing").u8string(), 4, &bytes, &problem));
	EXPECT_EQ(problem, "cannot open the file");
	EXPECT_FALSE(platform::ReadFileBounded(dir_.u8string(), 4, &bytes, &problem));
	EXPECT_EQ(problem, "is a folder");
}

TEST_F(PlatformFiles, SameFileComparesFilesNotNames)
{
	std::ofstream(dir_ / "a") << "a";
	std::ofstream(dir_ / "b") << "a";
	fs::create_hard_link(dir_ / "a", dir_ / "hard");
	EXPECT_TRUE(platform::SameFile((dir_ / "a").u8string(), (dir_ / "hard").u8string()));
	EXPECT_TRUE(platform::SameFile((dir_ / "a").u8string(), (dir_ / "." / "a").u8string()));
	EXPECT_FALSE(platform::SameFile((dir_ / "a").u8string(), (dir_ / "b").u8string()));
	EXPECT_FALSE(platform::SameFile((dir_ / "a").u8string(), (dir_ / "missing").u8string()));
}

TEST(Platform, ProgramFileIsThisTestProgram)
{
	const fs::path self = fs::u8path(platform::ProgramFile());
	ASSERT_FALSE(self.empty());
	EXPECT_TRUE(fs::is_regular_file(self));
	EXPECT_EQ(self.stem().u8string(), "pulsor_tests");
}

} // namespace
