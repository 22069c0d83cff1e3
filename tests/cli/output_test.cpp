// The program's own pieces: numbers, tables, files, plots and parameter paths.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "c4d.h"
#include "output.h"
#include "parameter_paths.h"
#include "plot.h"

namespace
{

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file)
{
	std::ifstream in(file, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}

TEST(FormatNumber, IsShortestAndReadsBackExactly)
{
	EXPECT_EQ(FormatNumber(0.1), "0.1");
	EXPECT_EQ(FormatNumber(100.0), "100");
	EXPECT_EQ(FormatNumber(-0.0), "0");
	EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.3333333333333333");
	EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN()), "nan");
	EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "-inf");
	for (double v : { 1e-300, 123456.789e10, -2.5e-7, 0.1 + 0.2, std::nextafter(1.0, 2.0) })
		EXPECT_EQ(std::stod(FormatNumber(v)), v) << FormatNumber(v);
}

TEST(Table, CsvQuotesNamesAndLeavesMissingCellsEmpty)
{
	Table table;
	table.columns = { "frame", "Tag, \"A\".position.y" };
	table.rows = { { 0.0, 1.5 }, { 1.0, std::numeric_limits<double>::quiet_NaN() } };
	EXPECT_EQ(ToCsv(table), "frame,\"Tag, \"\"A\"\".position.y\"\n0,1.5\n1,\n");
	// The text table lines up every cell under its column's name.
	std::istringstream text(ToText(table));
	std::string header, first;
	std::getline(text, header);
	std::getline(text, first);
	EXPECT_EQ(header.size(), first.size());
	EXPECT_NE(first.find("1.5"), std::string::npos);
}

bool WriteOne(const fs::path& file, const std::string& content, std::string* problem)
{
	std::string failed;
	return WriteOutputs({ Output{ file.string(), content } }, &failed, problem);
}

TEST(WriteOutputs, ReplacesWholeFilesAndMakesFolders)
{
	const fs::path dir = fs::temp_directory_path() / ("pulsorhost-out-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
	fs::remove_all(dir);
	const fs::path file = dir / "sub" / "a.csv";
	std::string problem;
	ASSERT_TRUE(WriteOne(file, "first\n", &problem)) << problem;
	ASSERT_TRUE(WriteOne(file, "second\n", &problem)) << problem;
	EXPECT_EQ(ReadAll(file), "second\n");
	// Nothing is left beside it.
	EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
	// A folder where the file should go: refused, and the folder stays.
	fs::create_directories(dir / "taken");
	EXPECT_FALSE(WriteOne(dir / "taken", "x", &problem));
	EXPECT_FALSE(problem.empty());
	EXPECT_TRUE(fs::is_directory(dir / "taken"));
	EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
	fs::remove_all(dir);
}

TEST(NiceTicks, StepsAreOneTwoOrFiveTimesAPowerOfTenAndCoverTheRange)
{
	EXPECT_EQ(NiceTicks(0.0, 90.0, 8), (std::vector<double>{ 0, 20, 40, 60, 80 }));
	EXPECT_FALSE(std::signbit(NiceTicks(0.0, 90.0, 8)[0])) << "no \"-0\" label";
	EXPECT_EQ(NiceTicks(-100.0, 50.0, 6), (std::vector<double>{ -100, -50, 0, 50 }));
	const std::vector<double> small = NiceTicks(0.1, 0.9, 4);
	ASSERT_GE(small.size(), 2u);
	EXPECT_DOUBLE_EQ(small[1] - small[0], 0.2);
	EXPECT_EQ(NiceTicks(5.0, 5.0, 6), std::vector<double>{ 5.0 });
	EXPECT_TRUE(NiceTicks(0.0, std::numeric_limits<double>::infinity(), 6).empty());
	EXPECT_TRUE(NiceTicks(1.0, 0.0, 6).empty());
	// A huge range with a tiny count stays bounded.
	EXPECT_LE(NiceTicks(-1e300, 1e300, 1).size(), 100u);
}

TEST(PlotSvg, DrawsOneLinePerSeriesWithGapsAndEscapedNames)
{
	const double nan = std::numeric_limits<double>::quiet_NaN();
	const std::vector<double> frames = { 0, 1, 2, 3 };
	const std::vector<PlotSeries> series = { { "A<&>.position.y", { 0, 1, 2, 3 } }, { "B.scale.x", { 1, nan, 1, 1 } } };
	const std::string svg = PlotSvg(frames, series, PlotOptions());
	EXPECT_EQ(svg.rfind("<svg", 0), 0u);
	EXPECT_NE(svg.find("A&lt;&amp;&gt;.position.y"), std::string::npos);
	EXPECT_EQ(svg.find("A<&>"), std::string::npos);
	// The gap splits B into two polylines: three in all.
	size_t lines = 0;
	for (size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1))
		++lines;
	EXPECT_EQ(lines, 3u);
	EXPECT_NE(svg.find(">frame<"), std::string::npos);
	// No data at all still gives a whole picture.
	EXPECT_NE(PlotSvg({}, {}, PlotOptions()).find("</svg>"), std::string::npos);
}

TEST(PlotSvg, NeverHoldsCoordinatesThatAreNotNumbers)
{
	const double inf = std::numeric_limits<double>::infinity();
	const double nan = std::numeric_limits<double>::quiet_NaN();
	const double big = std::numeric_limits<double>::max();
	// A constant too large for a unit of room around it, a span wider than
	// the largest double, frames that are not finite, and only gaps.
	const std::vector<std::pair<std::vector<double>, std::vector<double>>> cases = {
		{ { 0, 1, 2 }, { 1e20, 1e20, 1e20 } },
		{ { 0, 1, 2 }, { -big, big, 0 } },
		{ { -big, 0, big }, { 1, 2, 3 } },
		{ { nan, 1, inf }, { 1, nan, -inf } },
		{ { 0, 1 }, { nan, nan } },
	};
	for (const auto& c : cases)
	{
		const std::string svg = PlotSvg(c.first, { PlotSeries{ "v", c.second } }, PlotOptions());
		for (const char* word : { "nan", "inf" })
			EXPECT_EQ(svg.find(word), std::string::npos) << svg;
		EXPECT_NE(svg.find("</svg>"), std::string::npos);
	}
	// The large constant is still drawn, as a line.
	EXPECT_NE(PlotSvg({ 0, 1, 2 }, { PlotSeries{ "v", { 1e20, 1e20, 1e20 } } }, PlotOptions()).find("<polyline"),
		std::string::npos);
}

TEST(ParameterPaths, NameCatalogueParametersComponentsAndEntries)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	ParameterPath p;
	std::string problem;
	ASSERT_TRUE(ParsePath(*cube, "position.y", &p, &problem)) << problem;
	EXPECT_EQ(p.id, ID_BASEOBJECT_REL_POSITION);
	EXPECT_EQ(p.component, VECTOR_Y);
	EXPECT_EQ(PathOf(*cube, p.ToDescID()), "position.y");
	ASSERT_TRUE(ParsePath(*cube, "display_color.g", &p, &problem));
	EXPECT_EQ(PathOf(*cube, p.ToDescID()), "display_color.y");
	ASSERT_TRUE(ParsePath(*cube, "fillet_radius", &p, &problem));
	EXPECT_EQ(p.dtype, DTYPE_REAL);
	EXPECT_EQ(ColumnNames("T.size", ParameterPath{ PRIM_CUBE_LEN, DTYPE_VECTOR, -1 }),
		(std::vector<std::string>{ "T.size.x", "T.size.y", "T.size.z" }));

	cube->GetDataInstance()->SetReal(4242, 1.0);
	ASSERT_TRUE(ParsePath(*cube, "#4242", &p, &problem));
	EXPECT_EQ(p.dtype, DTYPE_REAL);
	EXPECT_EQ(PathOf(*cube, p.ToDescID()), "#4242");

	for (const char* bad : { "positon", "position.w", "fillet_radius.x", "segments_x.y", "#", "#-1", "#0", "#99999999999",
			 "#12a", "#4243", "" })
	{
		EXPECT_FALSE(ParsePath(*cube, bad, &p, &problem)) << bad;
		EXPECT_FALSE(problem.empty()) << bad;
	}
	BaseObject::Free(cube);
}

TEST(ParameterPaths, ElementTypesByNameAndTheCatalogueListing)
{
	EXPECT_EQ(ElementTypeByName("cube"), Ocube);
	EXPECT_EQ(ElementTypeByName("material"), Mmaterial);
	EXPECT_EQ(ElementTypeByName("display"), Tdisplay);
	EXPECT_EQ(ElementTypeByName("Cube"), 0);
	EXPECT_EQ(ElementTypeByName("sphere"), 0);
	const std::vector<std::string> lines = CatalogueLines();
	ASSERT_FALSE(lines.empty());
	EXPECT_NE(lines[1].find("segments_x (integer)"), std::string::npos);
}

} // namespace
