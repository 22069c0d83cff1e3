#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "c4d.h"
#include "host_services.h"

namespace
{

TEST(String, ConcatenatesComparesAndConverts)
{
	String s = String("Noise") + " " + LongToString(2);
	EXPECT_EQ(s, String("Noise 2"));
	EXPECT_TRUE(String("a") < String("b"));
	EXPECT_EQ(LongToString(INT_MIN), String("-2147483648"));
	EXPECT_EQ(RealToString(0.1), String("0.1"));
	EXPECT_EQ(RealToString(1.0 / 3.0).ToReal(), 1.0 / 3.0);
}

TEST(String, ToLongFlagsAnythingButAnInteger)
{
	Bool error = FALSE;
	EXPECT_EQ(String(" -42 ").ToLong(&error), -42);
	EXPECT_FALSE(error);
	EXPECT_EQ(String("2147483647").ToLong(&error), INT_MAX);
	EXPECT_FALSE(error);
	EXPECT_EQ(String("-2147483648").ToLong(&error), INT_MIN);
	EXPECT_FALSE(error);
	for (const char* bad : { "", "-", "12a", "2147483648", "99999999999999999999999", "1 2", "0x10" })
	{
		error = FALSE;
		EXPECT_EQ(String(bad).ToLong(&error), 0) << bad;
		EXPECT_TRUE(error) << bad;
	}
}

TEST(String, CaseSubStringsAndSearch)
{
	const String s("Ease In & Out");
	EXPECT_EQ(s.ToLower(), String("ease in & out"));
	EXPECT_EQ(s.ToUpper(), String("EASE IN & OUT"));
	EXPECT_EQ(s.SubStr(5, 2), String("In"));
	EXPECT_EQ(s.SubStr(10, 100), String("Out"));
	EXPECT_EQ(s.SubStr(-3, 4), String("Ease"));
	EXPECT_EQ(s.SubStr(50, 1), String());
	EXPECT_EQ(s.Right(3), String("Out"));
	EXPECT_EQ(s.Right(99), s);
	EXPECT_EQ(s.Left(-1), s);
	LONG pos = 0;
	EXPECT_TRUE(s.FindLast(' ', &pos));
	EXPECT_EQ(pos, 9);
	EXPECT_TRUE(s.FindLast(' ', &pos, 8));
	EXPECT_EQ(pos, 7);
	EXPECT_FALSE(String("none").FindLast(' ', &pos));
	EXPECT_EQ(pos, -1);
	// Non-ASCII bytes are left alone by case mapping.
	EXPECT_EQ(String("\xc3\x84pfel").ToLower(), String("\xc3\x84pfel"));
}

// Joining puts in the system's separator.
#ifdef _WIN32
#define SEP "\\"
#else
#define SEP "/"
#endif

TEST(Filename, ComponentsDirectoryFileAndSuffix)
{
	Filename f("/plugins/Pulsor");
	f += Filename("res");
	f += Filename("Presets");
	EXPECT_EQ(f.GetString(), String("/plugins/Pulsor" SEP "res" SEP "Presets"));
	EXPECT_EQ(f.GetFile().GetString(), String("Presets"));
	EXPECT_EQ(f.GetDirectory().GetString(), String("/plugins/Pulsor" SEP "res"));

	Filename trailing("/plugins/Pulsor/");
	trailing += Filename("res");
	EXPECT_EQ(trailing.GetString(), String("/plugins/Pulsor/res"));

	// The folder scan relies on this: the directory of folder + " " is folder.
	Filename withSpace("/presets");
	withSpace += Filename(" ");
	EXPECT_EQ(withSpace.GetDirectory().GetString(), String("/presets"));
	Filename empty;
	empty += Filename(" ");
	EXPECT_EQ(empty.GetDirectory().GetString(), String());

	EXPECT_EQ(Filename("/a/b.tif").GetSuffix(), String("tif"));
	EXPECT_EQ(Filename("/a.b/c").GetSuffix(), String());
	EXPECT_EQ(Filename("/").GetDirectory().GetString(), String("/"));
}

TEST(Filename, BackslashesSeparateOnWindowsOnly)
{
	const Filename f("C:\\Plugins\\Pulsor\\res.tif");
#ifdef _WIN32
	EXPECT_EQ(f.GetFile().GetString(), String("res.tif"));
	EXPECT_EQ(f.GetDirectory().GetString(), String("C:\\Plugins\\Pulsor"));
	EXPECT_EQ(Filename("C:\\Plugins").GetDirectory().GetString(), String("C:\\"));
	Filename mixed("C:/Plugins\\");
	mixed += Filename("res");
	EXPECT_EQ(mixed.GetString(), String("C:/Plugins\\res"));
	EXPECT_EQ(mixed.GetDirectory().GetString(), String("C:/Plugins"));
#else
	EXPECT_EQ(f.GetFile().GetString(), f.GetString());
	EXPECT_EQ(f.GetDirectory().GetString(), String());
#endif
	EXPECT_EQ(f.GetSuffix(), String("tif"));
}

TEST(Filename, FileSelectWithoutADialogIsACancel)
{
	HostSetFileSelectHandler(nullptr);
	Filename f("/somewhere");
	EXPECT_FALSE(f.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_DIRECTORY, "Select"));
	EXPECT_EQ(f.GetString(), String());

	HostSetFileSelectHandler([](FILESELECTTYPE, FILESELECT flags, const String&, String* chosen) {
		*chosen = flags == FILESELECT_DIRECTORY ? "/chosen" : "";
		return true;
	});
	EXPECT_TRUE(f.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_DIRECTORY, "Select"));
	EXPECT_EQ(f.GetString(), String("/chosen"));
	HostSetFileSelectHandler(nullptr);
}

TEST(BrowseFiles, ListsEntriesInNameOrderAndNothingForMissingFolders)
{
	namespace fs = std::filesystem;
	const fs::path dir = fs::temp_directory_path() / ("pulsor-browse-" + std::to_string(::getpid()));
	fs::remove_all(dir);
	fs::create_directories(dir / "sub");
	std::ofstream(dir / "b.txt") << "b";
	std::ofstream(dir / "a.txt") << "a";

	BrowseFiles* bf = BrowseFiles::Alloc();
	bf->Init(Filename(dir.string().c_str()), 0);
	std::vector<std::string> names;
	std::vector<bool> dirs;
	while (bf->GetNext())
	{
		names.push_back(bf->GetFilename().GetString().GetStdString());
		dirs.push_back(bf->IsDir());
	}
	EXPECT_EQ(names, (std::vector<std::string>{ "a.txt", "b.txt", "sub" }));
	EXPECT_EQ(dirs, (std::vector<bool>{ false, false, true }));
	EXPECT_FALSE(bf->GetNext());

	bf->Init(Filename((dir / "missing").string().c_str()), 0);
	EXPECT_FALSE(bf->GetNext());
	bf->Init(Filename(), 0);
	EXPECT_FALSE(bf->GetNext());
	BrowseFiles::Free(bf);
	EXPECT_EQ(bf, nullptr);
	fs::remove_all(dir);
}

namespace
{

std::vector<std::string> Listed(const std::filesystem::path& dir)
{
	AutoAlloc<BrowseFiles> bf;
	bf->Init(Filename(dir.string().c_str()), 0);
	std::vector<std::string> names;
	while (bf->GetNext())
		names.push_back(bf->GetFilename().GetString().GetStdString());
	return names;
}

} // namespace

// Listings of a folder that has not changed for a while may be reused;
// every change must still show at once.
TEST(BrowseFiles, EveryChangeToAFolderShowsInTheNextListing)
{
	namespace fs = std::filesystem;
	const fs::path dir = fs::absolute(fs::temp_directory_path() / ("pulsor-browse-changes-" + std::to_string(::getpid())));
	fs::remove_all(dir);
	fs::create_directories(dir);
	std::ofstream(dir / "a") << "a";
	// Longer than a folder must stand still before its listing is kept.
	const auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(3200)); };

	settle();
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "a" }));
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "a" }));
	std::ofstream(dir / "b") << "b";
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "a", "b" }));
	fs::remove(dir / "a");
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "b" }));
	fs::create_directory(dir / "c");
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "b", "c" }));

	// Another folder under the same name, with the first one's modification
	// time.
	settle();
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "b", "c" }));
	const fs::file_time_type written = fs::last_write_time(dir);
	fs::remove_all(dir);
	EXPECT_EQ(Listed(dir), std::vector<std::string>{});
	fs::create_directories(dir);
	std::ofstream(dir / "e") << "e";
	std::error_code ec;
	fs::last_write_time(dir, written, ec);
	EXPECT_EQ(Listed(dir), (std::vector<std::string>{ "e" }));
	fs::remove_all(dir);
}

} // namespace
