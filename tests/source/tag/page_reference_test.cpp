// The whole page of a tag linked by drag and drop to a cube's parameter of
// each kind (real, vector, bool, integer), with a Noise and a Custom tab
// picked from "Add Modifiers", compared byte for byte with the reviewed pages
// stored in tests/source/tag/ref.
//
// A difference fails the test and prints both pages. After a deliberate
// change of the layout, rewrite the stored pages with
//
//   PULSOR_UPDATE_REFERENCES=1 pulsor_tests --gtest_filter='PageReference*'
//
// and review the difference of the files before committing them: the stored
// pages are what the page should be, not what it happens to be.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "editing_fixture.h"
#include "page_printer.h"
#include "update_references.h"

using pulsor_test::EditingTest;
using pulsor_test::Whole;

namespace
{

std::string ReferencePath(const char* name)
{
	return std::string(PULSOR_SOURCE_DIR) + "/tests/source/tag/ref/" + name;
}

class PageReferenceTest : public EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		cube_->SetName("Cube");
	}

	// Links the cube's parameter as the user does, adds a Noise and a Custom
	// tab through "Add Modifiers", and compares the printed page with the
	// stored one.
	void Check(LONG id, LONG dtype, const char* file)
	{
		ASSERT_TRUE(Drop(cube_, Whole(id, dtype)));
		ASSERT_EQ(data()->GetLong(PULSOR_LINK_TYPE), dtype) << "the drop did not link the parameter";
		PickModifier(PULSOR_MOD_NOISE);
		PickModifier(PULSOR_MOD_CUSTOM);
		ASSERT_EQ(TabCount(), 2);
		const std::string page = PrintPage(tag_);
		ASSERT_FALSE(page.empty());

		const std::string path = ReferencePath(file);
		if (pulsor_test::UpdatingReferences())
		{
			std::ofstream out(path, std::ios::binary);
			out << page;
			ASSERT_TRUE(out.good()) << "could not write " << path;
			std::cout << "rewrote " << path << "\n";
			return;
		}
		std::ifstream in(path, std::ios::binary);
		ASSERT_TRUE(in.good()) << "no stored page " << path;
		std::ostringstream stored;
		stored << in.rdbuf();
		EXPECT_TRUE(page == stored.str()) << "the page differs from " << path << "\n--- stored:\n"
										  << stored.str() << "--- printed:\n"
										  << page;
	}
};

TEST_F(PageReferenceTest, RealLink)
{
	Check(PRIM_CUBE_FRAD, DTYPE_REAL, "page_real.txt");
}

TEST_F(PageReferenceTest, VectorLink)
{
	Check(PRIM_CUBE_LEN, DTYPE_VECTOR, "page_vector.txt");
}

TEST_F(PageReferenceTest, BoolLink)
{
	Check(PRIM_CUBE_DOFILLET, DTYPE_BOOL, "page_bool.txt");
}

TEST_F(PageReferenceTest, IntegerLink)
{
	Check(PRIM_CUBE_SUBX, DTYPE_LONG, "page_integer.txt");
}

} // namespace

namespace
{

// The printer itself: one element on request, and the enabling the tag
// answers, which follows the tag's state rather than the page.
TEST_F(PageReferenceTest, PrintsASingleElementAndTheTagsEnabling)
{
	EXPECT_EQ(PrintPage(nullptr), "");
	const DescID strength(DescLevel(PULSOR_STRENGTH, DTYPE_REAL, 0));
	const std::string strengthLine = "2004 real \"Strength\" min=-1e+20 max=1e+20 step=0.01 unit='fpct' default=1 "
									 "gui=1000489 minslider=0 maxslider=1";
	const std::string statics = "900 string \"Name\" short=Name\n1000998 priority \"Priority\"\n";
	EXPECT_EQ(PrintPage(tag_, &strength), statics + strengthLine + "\n");

	const DescID clear(DescLevel(PULSOR_CLEAR_KEYS, DTYPE_BUTTON, 0));
	EXPECT_EQ(PrintPage(tag_, &clear), statics + "2373 button \"Clear Keyframes\" gui=8 disabled\n");

	// Baked: everything but "Clear Keyframes" is greyed out, the host's
	// elements included.
	data()->SetBool(PULSOR_HAS_KEYS, TRUE);
	const std::string bakedStatics = "900 string \"Name\" short=Name disabled\n1000998 priority \"Priority\" disabled\n";
	EXPECT_EQ(PrintPage(tag_, &strength), bakedStatics + strengthLine + " disabled\n");
	EXPECT_EQ(PrintPage(tag_, &clear), bakedStatics + "2373 button \"Clear Keyframes\" gui=8\n");
}

} // namespace
