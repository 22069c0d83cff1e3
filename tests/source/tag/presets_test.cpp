// RefreshList: the preset names found in a folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pulsor_fixture.h"

using pulsor_test::PulsorTagTest;
using pulsor_test::TempFolder;

namespace
{

typedef std::vector<std::string> Names;

class RefreshListTest : public PulsorTagTest
{
protected:
	Names Scan(const std::string& folder)
	{
		const BaseContainer list = pulsor()->RefreshList(Filename(folder.c_str()));
		Names names;
		for (LONG i = 0; list.GetIndexData(i); ++i)
		{
			EXPECT_EQ(list.GetIndexId(i), i);  // ids 0, 1, 2, ... without gaps
			EXPECT_EQ(list.GetType(i), DA_STRING);
			names.push_back(list.GetString(i).GetStdString());
		}
		return names;
	}
	TempFolder folder_;
};

} // namespace

TEST_F(RefreshListTest, PresetNameIsTheFileNameWithoutTheTrailingHF)
{
	folder_.Touch("WobbleHF");
	folder_.Touch("Wobble.HF");
	EXPECT_EQ(Scan(folder_.Text()), (Names{ "Wobble.", "Wobble" }));
	// A trailing separator names the same folder.
	EXPECT_EQ(Scan(folder_.Text() + "/"), (Names{ "Wobble.", "Wobble" }));
}

TEST_F(RefreshListTest, OnlyNamesOfThreeOrMoreCharactersEndingInHFAreListed)
{
	folder_.Touch("AHF");
	folder_.Touch("notes.txt");
	folder_.Touch("B");
	folder_.Touch("HF");  // an empty preset name: written, never listed
	folder_.Touch("WobbleHf");
	folder_.Touch("HF.txt");
	folder_.Touch("DirHF/InnerHF");  // a folder counts like a file; one level only
	EXPECT_EQ(Scan(folder_.Text()), (Names{ "A", "Dir" }));
}

TEST_F(RefreshListTest, EmptyMissingOrFileFolderGivesAnEmptyList)
{
	folder_.Touch("CalmHF");
	EXPECT_TRUE(Scan("").empty());
	EXPECT_TRUE(Scan((folder_.Path() / "missing").string()).empty());
	EXPECT_TRUE(Scan((folder_.Path() / "CalmHF").string()).empty());
}
