#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "c4d.h"
#include "description_registry.h"
#include "host_services.h"

namespace
{

namespace fs = std::filesystem;

// A module folder with a res/ of the files a test writes.
class Resources : public ::testing::Test
{
protected:
	void SetUp() override
	{
		folder = fs::temp_directory_path() / ("pulsor-res-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
		fs::remove_all(folder);
		fs::create_directories(folder / "res" / "strings_us" / "description");
		fs::create_directories(folder / "res" / "description");
		HostSetErrorHandler([this](const std::string& line) { errors.push_back(line); });
	}
	void TearDown() override
	{
		HostSetErrorHandler(nullptr);
		fs::remove_all(folder);
	}
	void Write(const std::string& file, const std::string& text) { std::ofstream(folder / "res" / file) << text; }
	Bool Load() { return resources.Init(Filename(folder.string().c_str())); }

	fs::path folder;
	GeResource resources;
	std::vector<std::string> errors;
};

TEST_F(Resources, SymbolsCountOnAndStringsKeepEscapes)
{
	Write("c4d_symbols.h", "#ifndef X\n// a comment\nenum\n{\n\tIDS_A = 10000,\n\tIDS_B, /* 10001 */\n\tIDS_C = -5\n};\n#endif\n");
	Write("strings_us/c4d_strings.str", "STRINGTABLE { IDS_A \"Pulsor\"; IDS_B \"say \\\"hi\\\"\"; IDS_C \"\"; }");
	ASSERT_TRUE(Load()) << (errors.empty() ? "" : errors.front());
	EXPECT_EQ(resources.LoadString(10000), String("Pulsor"));
	EXPECT_EQ(resources.LoadString(10001), String("say \"hi\""));
	EXPECT_EQ(resources.LoadString(-5), String());
	EXPECT_EQ(resources.LoadString(42), String());
	EXPECT_TRUE(errors.empty());
}

TEST_F(Resources, DescriptionsRegisterTheirElements)
{
	Write("c4d_symbols.h", "enum { IDS_A = 1 };");
	Write("strings_us/c4d_strings.str", "STRINGTABLE { IDS_A \"A\"; }");
	Write("description/Tresourcetest.h", "enum { Tresourcetest = 1999201, RT_SPEED = 1000, RT_COUNT };");
	Write("strings_us/description/Tresourcetest.str", "STRINGTABLE Tresourcetest { RT_SPEED \"Speed\"; }");
	Write("description/Tresourcetest.res",
		"CONTAINER Tresourcetest\n{\n\tNAME Tresourcetest;\n\tINCLUDE Texpression;\n\tREAL RT_SPEED { MIN 0; STEP 1; }\n\tLONG RT_COUNT { }\n}\n");
	ASSERT_TRUE(Load()) << (errors.empty() ? "" : errors.front());
	DescriptionResource d;
	ASSERT_TRUE(FindDescriptionResource("Tresourcetest", &d));
	EXPECT_EQ(d.id, 1999201);
	ASSERT_EQ(d.elements.size(), 4u);
	EXPECT_EQ(d.elements[1].id[0].id, EXPRESSION_PRIORITY);
	EXPECT_EQ(d.elements[2].id[0].id, 1000);
	EXPECT_EQ(d.elements[2].id[0].dtype, DTYPE_REAL);
	EXPECT_EQ(d.elements[2].settings.GetString(DESC_NAME), String("Speed"));
	// Without a string the symbol's name is the label.
	EXPECT_EQ(d.elements[3].settings.GetString(DESC_NAME), String("RT_COUNT"));
}

TEST_F(Resources, MalformedFilesAreRefusedWithFileAndLine)
{
	struct Case { const char* symbols; const char* strings; const char* expected; };
	const Case cases[] = {
		{ "enum { IDS_A = 99999999999 };", "STRINGTABLE { }", "c4d_symbols.h:1: number out of range" },
		{ "struct { };", "STRINGTABLE { }", "c4d_symbols.h:1: expected 'enum', found 'struct'" },
		{ "enum { IDS_A = 1 IDS_B };", "STRINGTABLE { }", "expected ',' or '}' after IDS_A" },
		{ "enum { IDS_A = 1 };", "STRINGTABLE {\n IDS_A \"open\n\"; }", "c4d_strings.str:2: unterminated text" },
		{ "enum { IDS_A = 1 };", "STRINGTABLE { IDS_A \"a\"; } extra", "unexpected 'extra' after the table" },
		{ "enum { IDS_A = 1 };", "TABLE { }", "expected 'STRINGTABLE'" },
		{ "enum { IDS_A = 1 };", "STRINGTABLE { IDS_A 5; }", "expected a quoted text, found '5'" },
		{ "enum { IDS_A = 1", "STRINGTABLE { }", "c4d_symbols.h:1: expected ',' or '}' after IDS_A" },
	};
	for (const Case& c : cases)
	{
		errors.clear();
		Write("c4d_symbols.h", c.symbols);
		Write("strings_us/c4d_strings.str", c.strings);
		EXPECT_FALSE(Load()) << c.expected;
		ASSERT_FALSE(errors.empty()) << c.expected;
		EXPECT_NE(errors.front().find(c.expected), std::string::npos) << errors.front();
		EXPECT_EQ(resources.LoadString(1), String());
	}
}

TEST_F(Resources, MissingAndOversizedFilesAreRefused)
{
	EXPECT_FALSE(Load());
	ASSERT_FALSE(errors.empty());
	EXPECT_NE(errors.front().find("c4d_symbols.h: cannot be read"), std::string::npos);

	errors.clear();
	Write("c4d_symbols.h", std::string(2 << 20, ' '));
	EXPECT_FALSE(Load());
	ASSERT_FALSE(errors.empty());
	EXPECT_NE(errors.front().find("too large"), std::string::npos);
}

TEST_F(Resources, AnUnclosedCommentEndsTheFileQuietly)
{
	Write("c4d_symbols.h", "enum { IDS_A = 1 }; /* never closed");
	Write("strings_us/c4d_strings.str", "STRINGTABLE { IDS_A \"a\"; }");
	EXPECT_TRUE(Load());
	EXPECT_EQ(resources.LoadString(1), String("a"));
}

} // namespace
