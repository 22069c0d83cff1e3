// The program as users run it: every bundled scene against its stored
// output, the other commands, and bad input.
//
// The stored output was read and checked once; after a deliberate change,
// PULSOR_UPDATE_REFERENCES=1 rewrites it (then read the diff).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "pulsor_ids.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "../update_references.h"

namespace
{

namespace fs = std::filesystem;

const fs::path kSource = PULSOR_SOURCE_DIR;

std::string ReadAll(const fs::path& file)
{
	std::ifstream in(file, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}

struct Result
{
	int code;
	std::string out;
	std::string err;
};

class PulsorHost : public ::testing::Test
{
protected:
	void SetUp() override
	{
		const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
		dir = fs::temp_directory_path() / (std::string("pulsorhost-") + info->test_suite_name() + "-" + info->name());
		fs::remove_all(dir);
		fs::create_directories(dir);
	}
	void TearDown() override { fs::remove_all(dir); }

	// Runs the program with args (already quoted where needed).
	Result Run(const std::string& args) const
	{
		const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
		const std::string command = "\"" + std::string(PULSORHOST_FILE) + "\" " + args + " >\"" + out.string() + "\" 2>\""
			+ err.string() + "\"";
		int status = std::system(command.c_str());
#ifndef _WIN32
		status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
		return Result{ status, ReadAll(out), ReadAll(err) };
	}

	std::string Scene(const std::string& name) const { return "\"" + (kSource / "scenes" / (name + ".json")).string() + "\""; }

	std::string Write(const std::string& name, const std::string& text) const
	{
		std::ofstream(dir / name, std::ios::binary) << text;
		return (dir / name).string();
	}

	// Compares text with the stored reference, or stores it when asked to.
	void ExpectReference(const std::string& name, const std::string& text) const
	{
		const fs::path ref = kSource / "tests" / "cli" / "reference" / name;
		if (pulsor_test::UpdatingReferences())
		{
			fs::create_directories(ref.parent_path());
			std::ofstream(ref, std::ios::binary) << text;
			return;
		}
		ASSERT_TRUE(fs::exists(ref)) << ref;
		EXPECT_EQ(text, ReadAll(ref)) << name;
	}

	fs::path dir;
};

const char* const kScenes[] = { "demo", "bouncing_ball", "colour_flicker", "fillet_threshold", "segments_square",
	"time_parameter", "uniform_noise_scale", "tag_to_tag", "additive_staircase", "baked" };

TEST_F(PulsorHost, EveryBundledSceneMatchesItsReference)
{
	for (const char* scene : kScenes)
	{
		const fs::path csv = dir / (std::string(scene) + ".csv");
		const fs::path svg = dir / (std::string(scene) + ".svg");
		const Result r = Run("run -q " + Scene(scene) + " --csv \"" + csv.string() + "\" --svg \"" + svg.string() + "\"");
		ASSERT_EQ(r.code, 0) << scene << ": " << r.err;
		EXPECT_TRUE(r.out.empty()) << "-q prints no table";
		ExpectReference(std::string(scene) + ".csv", ReadAll(csv));
		const std::string plot = ReadAll(svg);
		EXPECT_NE(plot.find("</svg>"), std::string::npos) << scene;
		if (std::string(scene) == "demo")
		{
			EXPECT_EQ(plot, ReadAll(kSource / "docs" / "demo.svg")) << "the README's plot is out of date";
		}
	}
}

TEST_F(PulsorHost, TheTablePrintsEveryFrameAndStepsMayBeFractional)
{
	const Result r = Run("run " + Scene("bouncing_ball") + " --from 10 --to 12 --step 0.5 --entries 2291,2342");
	ASSERT_EQ(r.code, 0) << r.err;
	std::istringstream lines(r.out);
	std::string header;
	std::getline(lines, header);
	EXPECT_NE(header.find("Bounce.position.y"), std::string::npos);
	EXPECT_NE(header.find("Bounce.#2291"), std::string::npos);
	int rows = 0;
	for (std::string line; std::getline(lines, line);)
		++rows;
	EXPECT_EQ(rows, 5);    // 10, 10.5, 11, 11.5, 12
	const fs::path csv = dir / "f.csv";
	ASSERT_EQ(Run("run -q " + Scene("bouncing_ball") + " --from 10 --to 11 --step 0.5 --entries 2069 --csv \"" + csv.string() + "\"").code, 0);
	// A vector entry takes three columns.
	EXPECT_EQ(ReadAll(csv).substr(0, ReadAll(csv).find('\n')),
		"frame,time,Bounce.position.y,Bounce.#2069.x,Bounce.#2069.y,Bounce.#2069.z");
}

TEST_F(PulsorHost, ASavedSceneRunsLikeItsJson)
{
	const fs::path saved = dir / "tag_to_tag.pscn";
	ASSERT_EQ(Run("save " + Scene("tag_to_tag") + " \"" + saved.string() + "\"").code, 0);
	const Result json = Run("run -q " + Scene("tag_to_tag") + " --csv \"" + (dir / "a.csv").string() + "\"");
	const Result binary = Run("run -q \"" + saved.string() + "\" --csv \"" + (dir / "b.csv").string() + "\"");
	ASSERT_EQ(binary.code, 0) << binary.err;
	EXPECT_EQ(ReadAll(dir / "a.csv"), ReadAll(dir / "b.csv"));
	EXPECT_GT(ReadAll(dir / "b.csv").size(), 1000u);
}

// tests/cli/old_scenes: scenes that `save` wrote while the catalogue had
// ids of the stand-in's own (format version 1), and the CSV the program
// wrote for catalogue_v1 then, its columns named as the catalogue names the
// parameters today. Each tag animates a parameter that moved since.
TEST_F(PulsorHost, AnOlderSavedSceneRunsAsItDidAndSavesInTodaysFormat)
{
	const fs::path old = kSource / "tests" / "cli" / "old_scenes";
	const std::string expected = ReadAll(old / "catalogue_v1.csv");
	const fs::path csv = dir / "old.csv", saved = dir / "today.pscn", again = dir / "again.csv";
	ASSERT_EQ(Run("run -q \"" + (old / "catalogue_v1.pscn").string() + "\" --csv \"" + csv.string() + "\"").code, 0);
	EXPECT_EQ(ReadAll(csv), expected);

	ASSERT_EQ(Run("save \"" + (old / "catalogue_v1.pscn").string() + "\" \"" + saved.string() + "\"").code, 0);
	EXPECT_NE(ReadAll(saved), ReadAll(old / "catalogue_v1.pscn"));
	ASSERT_EQ(Run("run -q \"" + saved.string() + "\" --csv \"" + again.string() + "\"").code, 0);
	EXPECT_EQ(ReadAll(again), expected);

	// A tag on the old bool "Visible" would switch the object the other way
	// round on the editor visibility: the scene is refused, and kept.
	const fs::path visible = old / "visible_link_v1.pscn";
	const std::string before = ReadAll(visible);
	const Result r = Run("run -q \"" + visible.string() + "\" --csv \"" + (dir / "visible.csv").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_EQ(r.err, visible.string() + ": not a scene: the Pulsor tag \"Blink\" animates parameter 906 of \"Blinker\", "
		"which is 901 now with other values: link the tag again in a new scene\n");
	EXPECT_FALSE(fs::exists(dir / "visible.csv"));
	EXPECT_EQ(ReadAll(visible), before);
}

TEST_F(PulsorHost, BakeAsksBeforeLongBakesAndWritesTheKeys)
{
	// 2000 frames: the tag asks first; without --yes the answer is no.
	const std::string scene = Write("long.json", R"({ "from": 0, "to": 2000, "objects": [ { "type": "cube", "name": "C",
		"tags": [ { "type": "pulsor", "name": "P", "link": "position.x", "add": ["Sin"],
		"set": [ { "id": 22060, "real": 1.0 }, { "id": 2358, "frames": 2000 } ] } ] } ] })");
	Result r = Run("bake \"" + scene + "\" --tag P");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_NE(r.err.find("Are you sure you want to key frame 2000 frames? no"), std::string::npos) << r.err;
	EXPECT_EQ(r.out, "frame,time\n");

	r = Run("bake \"" + scene + "\" --tag P --yes --csv \"" + (dir / "keys.csv").string() + "\"");
	ASSERT_EQ(r.code, 0) << r.err;
	// Not a terminal: plain progress lines, the last at 100%.
	EXPECT_NE(r.err.find("baking 100%\n"), std::string::npos) << r.err;
	const std::string keys = ReadAll(dir / "keys.csv");
	EXPECT_EQ(keys.substr(0, keys.find('\n')), "frame,time,P.position.x");
	EXPECT_EQ(std::count(keys.begin(), keys.end(), '\n'), 2002);

	r = Run("bake " + Scene("bouncing_ball") + " --tag Bounce");
	ASSERT_EQ(r.code, 0) << r.err;
	ExpectReference("bouncing_ball.keys.csv", r.out);
}

TEST_F(PulsorHost, ABakeTheTagRefusesIsAFailure)
{
	// Over the tag's limit of frames: refused before any question, so --yes
	// changes nothing, and no keys are written.
	const std::string scene = Write("huge.json", R"({ "from": 0, "to": 2000000, "objects": [ { "type": "cube", "name": "C",
		"tags": [ { "type": "pulsor", "name": "P", "link": "position.x", "add": ["Sin"] } ] } ] })");
	const fs::path keys = dir / "keys.csv";
	Result r = Run("bake \"" + scene + "\" --tag P --yes --csv \"" + keys.string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("tag \"P\": nothing was baked: the tag refused its range of 2000001 frames"), std::string::npos) << r.err;
	EXPECT_EQ(r.err.find("Are you sure"), std::string::npos) << r.err;
	EXPECT_FALSE(fs::exists(keys));
}

TEST_F(PulsorHost, AnUnanimatedOwnValueIsAddedOnceInPlaybackAndBake)
{
	// Output 1 on a position Y of 100 with "Ignore Original Keyframes" off.
	const std::string scene = Write("own.json", R"({ "from": 0, "to": 5, "objects": [ { "type": "cube", "name": "C",
		"parameters": { "position": [0, 100, 0] }, "tags": [ { "type": "pulsor", "name": "P", "link": "position.y",
		"set": [ { "id": 2068, "real": 1.0 }, { "id": 2125, "bool": false } ] } ] } ] })");
	const fs::path played = dir / "played.csv";
	Result r = Run("run -q \"" + scene + "\" --csv \"" + played.string() + "\"");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_EQ(ReadAll(played), "frame,time,P.position.y\n0,0,101\n1,0.03333333333333333,101\n2,0.06666666666666667,101\n"
							   "3,0.1,101\n4,0.13333333333333333,101\n5,0.16666666666666666,101\n");
	r = Run("bake \"" + scene + "\" --tag P");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_EQ(r.out, ReadAll(played));
}

TEST_F(PulsorHost, DumpAndDescribeShowTheTag)
{
	Result r = Run("dump " + Scene("segments_square") + " --tag Steps");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_NE(r.out.find("2070 PULSOR_END_VALUE[slot 3]: integer 6"), std::string::npos);
	EXPECT_NE(r.out.find("tab 2 PULSOR_TAB_NAME: string \"Square\""), std::string::npos);
	r = Run("describe " + Scene("segments_square") + " --tag Steps");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_NE(r.out.find("\"Add Modifiers\""), std::string::npos);
	EXPECT_NE(r.out.find(" disabled"), std::string::npos);
}

TEST_F(PulsorHost, PresetsListShowSaveAndLoad)
{
	Result r = Run("preset list");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_NE(r.out.find("\nHeartbeat\n"), std::string::npos) << r.out;
	r = Run("preset show Heartbeat");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_NE(r.out.find("900: string \"Heartbeat\""), std::string::npos);

	const fs::path folder = dir / "new folder";
	r = Run("preset save " + Scene("segments_square") + " --tag Steps --name Mine --folder \"" + folder.string() + "\"");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_TRUE(fs::exists(folder / "MineHF"));
	r = Run("preset load " + Scene("bouncing_ball") + " --tag Bounce --name Mine --folder \"" + folder.string() + "\"");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_NE(r.out.find("Pulsor tag \"Steps\""), std::string::npos);
	EXPECT_NE(r.out.find("tab 2 PULSOR_TAB_NAME: string \"Square\""), std::string::npos);

	// In a scene, the preset comes first and the scene's link replaces the
	// preset's own.
	const std::string scene = Write("preset.json", R"({ "objects": [ { "type": "cube", "name": "C", "tags": [
		{ "type": "pulsor", "name": "P", "preset": "Heartbeat", "link": "position.y" } ] } ] })");
	r = Run("run \"" + scene + "\" --to 0");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_EQ(r.out.substr(0, r.out.find('\n')).find("P.position.y"), r.out.substr(0, r.out.find('\n')).size() - 12) << r.out;
	EXPECT_NE(Run("dump \"" + scene + "\" --tag P").out.find("PULSOR_TAB_NAME"), std::string::npos);

	// A name with a path in it saves nothing anywhere.
	r = Run("preset save " + Scene("segments_square") + " --tag Steps --name ../Escape --folder \"" + folder.string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_FALSE(fs::exists(dir / "EscapeHF"));
	EXPECT_EQ(Run("preset show \"" + Write("junk", "not a preset") + "\"").code, 2);
}

struct BadInput
{
	const char* what;
	std::string scene;
	std::string message;    // the whole line, after the file name
};

TEST_F(PulsorHost, BadInputIsOneLineAndExitCodeTwo)
{
	std::string manySins = "\"Sin\"";
	for (int i = 0; i < 100; ++i)
		manySins += ", \"Sin\"";
	// Routes around the tab limit of "add": "Add Modifiers" set again and
	// again, "Duplicate" pressed on tab 2 (ids 22000 + field).
	// Bakes of a thousand frames of 100 tabs, each cleared again.
	std::string addAgain, duplicate, bareTags, bakes;
	for (int i = 0; i < 12; ++i)
		bakes += std::string(i ? ", " : "") + "2355, 2373";
	for (int i = 0; i < 101; ++i)
		addAgain += std::string(i ? ", " : "") + "{ \"id\": 2001, \"integer\": 2 }";
	for (int i = 0; i < 100; ++i)
		duplicate += std::string(i ? ", " : "") + "22290";
	for (int i = 0; i < 1001; ++i)
		bareTags += std::string(i ? ", " : "") + "{ \"type\": \"pulsor\" }";
	const std::string tag = "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", ";
	const std::string end = " } ] } ] }";
	const std::vector<BadInput> cases = {
		{ "repeated key", "{ \"fps\": 25, \"to\": 3, \"fps\": 30 }", ": /fps: repeated key \"fps\"" },
		{ "repeated nested key", "{ \"objects\": [ { \"type\": \"cube\" }, { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", "
			"\"set\": [ 1, { \"id\": 2004, \"real\": 1, \"real\": 2 } ] } ] } ] }",
			": /objects/1/tags/0/set/1/real: repeated key \"real\"" },
		{ "save", tag + "\"press\": [ 5007 ]" + end,
			": /objects/0/tags/0/press/0: a scene cannot press button 5007: \"Save\" writes a preset file (pulsorhost preset save saves presets)" },
		{ "browse", tag + "\"press\": [ 5005 ]" + end,
			": /objects/0/tags/0/press/0: a scene cannot press button 5005: \"...\" opens a folder dialog" },
		{ "set a button", tag + "\"set\": [ { \"id\": 5001, \"bool\": true }, { \"id\": 5007, \"integer\": 1 } ]" + end,
			": /objects/0/tags/0/set/1/id: entry 5007 is a button (\"press\" presses it)" },
		{ "add again", tag + "\"set\": [ " + addAgain + " ]" + end,
			": /objects/0/tags/0/set/100: this edit leaves the tag with more than 100 modifier tabs" },
		{ "duplicate", tag + "\"add\": [ \"Sin\" ], \"press\": [ " + duplicate + " ]" + end,
			": /objects/0/tags/0/press/99: this edit leaves the tag with more than 100 modifier tabs" },
		{ "many tags", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ " + bareTags + " ] } ] }",
			": /objects/0/tags/1000: more than 1000 Pulsor tags" },
		{ "bake again and again", "{ \"to\": 999, " + tag.substr(2) + "\"link\": \"position.y\", \"add\": [ " + manySins.substr(7)
			+ " ], \"press\": [ " + bakes + " ]" + end,
			": /objects/0/tags/0/press/12: the scene's edits, up to this one, are more work than reading a scene may take" },
		{ "long run", "{ \"to\": 999999, " + tag.substr(2) + "\"link\": \"position.y\", \"add\": [ " + manySins.substr(7) + " ]" + end,
			": a run of 1000000 frames of this scene is more work than one run may take (fewer frames, tags or tabs)" },
		{ "frames from the file", "{ \"to\": 1000000 }", ": the scene's range holds more than a million frames" },
		{ "malformed", "{ \"objects\": [ { \"type\": \"cube\", } ] }",
			": line 1, column 34: malformed JSON: syntax error while parsing object key - unexpected '}'; expected string literal" },
		{ "not an object", "[1]", ": a scene is a JSON object" },
		{ "number overflow", "{ \"fps\": 1e30830 }", ": malformed JSON: number overflow parsing '1e30830'" },
		{ "unknown key", "{ \"fsp\": 25 }", ": /fsp: unknown key \"fsp\"" },
		{ "element", "{ \"objects\": [ { \"type\": \"sphere\" } ] }", ": /objects/0/type: unknown object type \"sphere\"" },
		{ "parameter", "{ \"objects\": [ { \"type\": \"cube\", \"parameters\": { \"colour\": [1, 0, 0] } } ] }",
			": /objects/0/parameters/colour: unknown parameter \"colour\"" },
		{ "value type", "{ \"objects\": [ { \"type\": \"cube\", \"parameters\": { \"position\": 3 } } ] }",
			": /objects/0/parameters/position: expected an array of three numbers" },
		{ "link", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"link\": { \"material\": \"Red\", \"parameter\": \"color\" } } ] } ] }",
			": /objects/0/tags/0/link/material: no material named \"Red\"" },
		{ "string link", "{ \"objects\": [ { \"type\": \"cube\", \"name\": \"C\", \"tags\": [ { \"type\": \"pulsor\", \"name\": \"P\" }, "
			"{ \"type\": \"pulsor\", \"link\": { \"tag\": \"P\", \"parameter\": \"#5004\" } } ] } ] }",
			": /objects/0/tags/1/link/parameter: the tag does not take this parameter" },
		{ "id", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"set\": [ { \"id\": 424242, \"real\": 1 } ] } ] } ] }",
			": /objects/0/tags/0/set/0/id: the tag has no entry 424242" },
		{ "entry type", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"set\": [ { \"id\": 2068, \"integer\": 1 } ] } ] } ] }",
			": /objects/0/tags/0/set/0/integer: entry 2068 does not hold a value of type \"integer\"" },
		{ "set type", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"set\": [ { \"id\": 2068, \"double\": 1 } ] } ] } ] }",
			": /objects/0/tags/0/set/0/double: unknown value type \"double\" (one of real, integer, bool, seconds, frames, vector, string, curve)" },
		{ "modifier", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"add\": [ \"Sine\" ] } ] } ] }",
			": /objects/0/tags/0/add/0: unknown modifier type \"Sine\"" },
		{ "tabs", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"add\": [" + manySins
			+ "] } ] } ] }", ": /objects/0/tags/0/add: more than 100 modifier tabs" },
		{ "button", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"press\": [ 2068 ] } ] } ] }",
			": /objects/0/tags/0/press/0: the tag has no button 2068" },
		{ "preset", "{ \"objects\": [ { \"type\": \"cube\", \"tags\": [ { \"type\": \"pulsor\", \"preset\": \"../../etc/passwd\" } ] } ] }",
			": /objects/0/tags/0/preset: no preset named \"../../etc/passwd\" in the preset folder" },
		{ "range", "{ \"from\": 10, \"to\": 5 }", ": /to: \"to\" lies before \"from\"" },
		{ "huge frame", "{ \"to\": 1e300 }", ": /to: frame out of range" },
		{ "deep", std::string(100000, '[') + std::string(100000, ']'), ": a scene is a JSON object" },
	};
	for (const BadInput& c : cases)
	{
		const std::string file = Write("bad.json", c.scene);
		const fs::path csv = dir / "out.csv";
		fs::remove(csv);
		const Result r = Run("run \"" + file + "\" --csv \"" + csv.string() + "\"");
		EXPECT_EQ(r.code, 2) << c.what << ": " << r.err;
		EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
		if (!c.message.empty())
		{
			EXPECT_EQ(r.err, file + c.message + "\n") << c.what;
		}
		EXPECT_FALSE(fs::exists(csv)) << c.what << ": no output file";
	}
}

TEST_F(PulsorHost, AScenePointingSaveAtAFolderWritesNothing)
{
	const fs::path folder = dir / "target";
	fs::create_directories(folder);
	const std::string scene = Write("save.json", R"({ "objects": [ { "type": "cube", "tags": [ { "type": "pulsor", "name": "P",
		"set": [ { "id": 5001, "bool": true }, { "id": 5004, "string": ")" + folder.string() + R"(" },
		         { "id": 5003, "string": "Planted" } ],
		"press": [ 5007 ] } ] } ] })");
	const std::string line = scene + ": /objects/0/tags/0/press/0: a scene cannot press button 5007: \"Save\" writes a preset "
		"file (pulsorhost preset save saves presets)\n";
	for (const std::string& command : { "run \"" + scene + "\"", "describe \"" + scene + "\" --tag P", "dump \"" + scene + "\" --tag P",
			 "bake \"" + scene + "\" --tag P --yes", "save \"" + scene + "\" \"" + (dir / "out.pscn").string() + "\"" })
	{
		const Result r = Run(command);
		EXPECT_EQ(r.code, 2) << command;
		EXPECT_EQ(r.err, line) << command;
		EXPECT_TRUE(fs::is_empty(folder)) << command;
		EXPECT_FALSE(fs::exists(dir / "out.pscn")) << command;
	}
}

TEST_F(PulsorHost, ARangeProblemNamesWhoSetTheRange)
{
	// The scene's range ends at frame 90.
	EXPECT_EQ(Run("run " + Scene("demo") + " --from 100").err, "pulsorhost: --from: the range ends before it starts\n");
	EXPECT_EQ(Run("run " + Scene("demo") + " --from 100 --to 50").err, "pulsorhost: --to: the range ends before it starts\n");
	const std::string scene = Write("long.json", R"({ "from": 0, "to": 2000000 })");
	Result r = Run("run \"" + scene + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_EQ(r.err, scene + ": the scene's range holds more than a million frames\n");
	EXPECT_EQ(Run("run \"" + scene + "\" --step 0.5").err, "pulsorhost: --step: more than a million frames\n");
	EXPECT_EQ(Run("run \"" + scene + "\" --to 1500000").err, "pulsorhost: --to: more than a million frames\n");
	r = Run("run \"" + scene + "\" --to 10 -q");
	EXPECT_EQ(r.code, 0) << r.err;
}

TEST_F(PulsorHost, BadArgumentsAndFilesExitTwo)
{
	EXPECT_EQ(Run("run \"" + (dir / "missing.json").string() + "\"").err, (dir / "missing.json").string() + ": cannot open the file\n");
	EXPECT_EQ(Run("run " + Scene("demo") + " --step 0").code, 2);
	EXPECT_EQ(Run("run " + Scene("demo") + " --step 0.000001").code, 2);
	EXPECT_EQ(Run("run " + Scene("demo") + " --from x").code, 2);
	EXPECT_EQ(Run("frobnicate").code, 2);
	EXPECT_EQ(Run("dump " + Scene("demo") + " --tag Nobody").err, (kSource / "scenes" / "demo.json").string() + ": no Pulsor tag named \"Nobody\"\n");
	// A corrupt saved scene is refused, not half read.
	const Result r = Run("run \"" + Write("bad.pscn", std::string("PLHF\x01\x02\x03", 7)) + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("not a scene"), std::string::npos);
	// Without the module the host says so: exit code 1.
	EXPECT_EQ(Run("--plugins \"" + dir.string() + "\" run " + Scene("demo")).code, 1);
	EXPECT_EQ(Run("--help").code, 0);
}

// --plugins names the folder whose module runs: its module binary, its own
// res/ and presets, with nothing of the module built into the program.
TEST_F(PulsorHost, ThePluginsFolderGivenIsTheModuleThatRuns)
{
	const fs::path plugins = dir / "plugins";
	fs::copy(PULSORHOST_PLUGINS, plugins, fs::copy_options::recursive);
	const fs::path presets = plugins / "Pulsor" / "res" / "Presets";
	fs::copy_file(presets / "HeartbeatHF", presets / "Only Here" PULSOR_PRESET_SUFFIX);
	const std::string option = "--plugins \"" + plugins.string() + "\" ";

	Result r = Run(option + "preset list");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "# " + presets.string()) << "the module answers with its own folder";
	EXPECT_NE(r.out.find("\nOnly Here\n"), std::string::npos) << r.out;
	EXPECT_EQ(Run("preset list").out.find("Only Here"), std::string::npos) << "the build's folder has no such preset";

	const fs::path csv = dir / "demo.csv";
	r = Run(option + "run -q " + Scene("demo") + " --csv \"" + csv.string() + "\"");
	ASSERT_EQ(r.code, 0) << r.err;
	ExpectReference("demo.csv", ReadAll(csv));

	// The folder without its module binary: nothing else stands in for it.
	for (const fs::directory_entry& entry : fs::directory_iterator(plugins / "Pulsor"))
		if (entry.is_regular_file())
			fs::remove(entry.path());
	fs::remove(csv);
	r = Run(option + "run -q " + Scene("demo") + " --csv \"" + csv.string() + "\"");
	EXPECT_EQ(r.code, 1);
	EXPECT_EQ(r.err, "pulsorhost: the Pulsor module did not load from " + plugins.string() + "\n");
	EXPECT_FALSE(fs::exists(csv));
	EXPECT_EQ(Run(option + "preset list").code, 1);
}

TEST_F(PulsorHost, AnOutputThatCannotBeWrittenLeavesTheOldFile)
{
	const fs::path csv = dir / "keep.csv";
	std::ofstream(csv) << "old\n";
	fs::create_directories(dir / "blocked.svg");
	const Result r = Run("run -q " + Scene("demo") + " --csv \"" + csv.string() + "\" --svg \"" + (dir / "blocked.svg").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_TRUE(fs::is_directory(dir / "blocked.svg"));
	for (const fs::directory_entry& e : fs::directory_iterator(dir))
		EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(PulsorHost, AllOutputsOrNone)
{
	// The CSV could be written, the SVG cannot: the CSV keeps its old bytes.
	const fs::path csv = dir / "keep.csv";
	std::ofstream(csv) << "old\n";
	fs::create_directories(dir / "blocked.svg" / "inside");
	const Result r = Run("run -q " + Scene("demo") + " --csv \"" + csv.string() + "\" --svg \"" + (dir / "blocked.svg").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("blocked.svg: is a folder"), std::string::npos) << r.err;
	EXPECT_EQ(ReadAll(csv), "old\n");
	EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);    // and stdout, stderr
}

TEST_F(PulsorHost, ADashIsStandardOutput)
{
	Result r = Run("run " + Scene("demo") + " --to 2 --csv -");
	ASSERT_EQ(r.code, 0) << r.err;
	// The CSV alone: the text table would spoil it.
	EXPECT_EQ(r.out.substr(0, 6), "frame,") << r.out;
	EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4);
	r = Run("run -q " + Scene("demo") + " --to 2 --svg -");
	ASSERT_EQ(r.code, 0) << r.err;
	EXPECT_EQ(r.out.substr(0, 4), "<svg");
	r = Run("bake " + Scene("bouncing_ball") + " --tag Bounce --csv -");
	EXPECT_NE(r.out.find("frame"), std::string::npos) << r.out;
	EXPECT_EQ(r.code, 0) << r.err;
	EXPECT_FALSE(fs::exists(dir / "-"));
	EXPECT_FALSE(fs::exists("-"));
}

TEST_F(PulsorHost, AnOutputThatIsAnInputIsRefused)
{
	const std::string scene = Write("scene.json", ReadAll(kSource / "scenes" / "demo.json"));
	const std::string before = ReadAll(scene);
	Result r = Run("run -q \"" + scene + "\" --csv \"" + scene + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_EQ(r.err, scene + ": is an input of the command: it is not written over\n");
	// The same file under other names.
	fs::create_hard_link(scene, dir / "hard.json");
	EXPECT_EQ(Run("run -q \"" + scene + "\" --svg \"" + (dir / "hard.json").string() + "\"").code, 2);
	EXPECT_EQ(Run("bake \"" + scene + "\" --tag Bounce --csv \"" + (dir / "hard.json").string() + "\"").code, 2);
#ifndef _WIN32
	// Links need privileges on Windows.
	fs::create_symlink(scene, dir / "soft.json");
	EXPECT_EQ(Run("save \"" + scene + "\" \"" + (dir / "soft.json").string() + "\"").code, 2);
	EXPECT_TRUE(fs::is_symlink(dir / "soft.json"));
#endif
	EXPECT_EQ(Run("preset load \"" + scene + "\" --tag Bounce --name Heartbeat --out \"" + scene + "\"").code, 2);
	// The scene is the preset file the save would replace.
	fs::create_directories(dir / "presets");
	fs::copy_file(scene, dir / "presets" / "SceneHF");
	EXPECT_EQ(Run("preset save \"" + (dir / "presets" / "SceneHF").string() + "\" --tag Bounce --name Scene --folder \""
		+ (dir / "presets").string() + "\"").code, 2);
	EXPECT_EQ(ReadAll(dir / "presets" / "SceneHF"), before);
	// Two outputs over one file.
	r = Run("run -q \"" + scene + "\" --csv \"" + (dir / "x").string() + "\" --svg \"" + (dir / "x").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_FALSE(fs::exists(dir / "x"));
	EXPECT_EQ(ReadAll(scene), before);
}

#ifndef _WIN32
TEST_F(PulsorHost, OutputsWriteThroughWhatIsNotARegularFile)
{
	// Links to the devices, so that a fault replaces a link, never a device.
	fs::create_symlink("/dev/null", dir / "null");
	fs::create_symlink("/dev/full", dir / "full");
	Result r = Run("run -q " + Scene("demo") + " --csv \"" + (dir / "null").string() + "\"");
	EXPECT_EQ(r.code, 0) << r.err;
	EXPECT_TRUE(fs::is_symlink(dir / "null"));
	EXPECT_TRUE(fs::is_character_file("/dev/null"));
	const std::string full = std::generic_category().message(ENOSPC);
	for (const std::string& command : { "run -q " + Scene("demo") + " --svg", "save " + Scene("demo") })
	{
		r = Run(command + " \"" + (dir / "full").string() + "\"");
		EXPECT_EQ(r.code, 2) << command;
		EXPECT_NE(r.err.find(full), std::string::npos) << r.err;
		EXPECT_EQ(r.err.find("cannot be saved"), std::string::npos) << r.err;
		EXPECT_TRUE(fs::is_symlink(dir / "full"));
	}
	// A file of its owner alone stays so.
	const fs::path secret = dir / "secret.csv";
	std::ofstream(secret) << "old";
	fs::permissions(secret, fs::perms(0600));
	ASSERT_EQ(Run("run -q " + Scene("demo") + " --csv \"" + secret.string() + "\"").code, 0);
	EXPECT_EQ(fs::status(secret).permissions(), fs::perms(0600));
}

TEST_F(PulsorHost, APresetSaveThatWroteNothingSaysWhy)
{
	const std::string save = "preset save " + Scene("segments_square") + " --tag Steps ";
	// The preset's file name is taken by a folder.
	fs::create_directories(dir / "presets" / "MineHF");
	Result r = Run(save + "--name Mine --folder \"" + (dir / "presets").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_EQ(r.err, (dir / "presets" / "MineHF").string() + ": the preset was not saved: is a folder\n");
	EXPECT_EQ(r.out, "");
	// A folder that cannot be written, even by root.
	r = Run(save + "--name Mine --folder /sys");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("cannot create a file beside it"), std::string::npos) << r.err;
	// A full disk.
	fs::create_symlink("/dev/full", dir / "presets" / "FullHF");
	r = Run(save + "--name Full --folder \"" + (dir / "presets").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find(std::generic_category().message(ENOSPC)), std::string::npos) << r.err;
	EXPECT_TRUE(fs::is_symlink(dir / "presets" / "FullHF"));
	// A name too long for a file is not blamed on its characters.
	r = Run(save + "--name " + std::string(300, 'n') + " --folder \"" + (dir / "presets").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find(std::generic_category().message(ENAMETOOLONG)), std::string::npos) << r.err;
	EXPECT_EQ(r.err.find("/, \\"), std::string::npos) << r.err;
	EXPECT_EQ(std::distance(fs::directory_iterator(dir / "presets"), fs::directory_iterator()), 2);
}

TEST_F(PulsorHost, APresetSaveWritesOnlyIntoAFolderOfTheCommandLine)
{
	// The scene points its tag's folder somewhere; without --folder that is
	// refused, not written into.
	const fs::path planted = dir / "planted";
	fs::create_directories(planted);
	const std::string scene = Write("folder.json", R"({ "objects": [ { "type": "cube", "name": "C",
		"tags": [ { "type": "pulsor", "name": "P", "link": "position.x",
			"set": [ { "id": 5004, "string": ")" + planted.string() + R"(" } ] } ] } ] })");
	Result r = Run("preset save \"" + scene + "\" --tag P --name Mine");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("tag \"P\": the scene names a preset folder of its own"), std::string::npos) << r.err;
	EXPECT_TRUE(fs::is_empty(planted));
	r = Run("preset save \"" + scene + "\" --tag P --name Mine --folder \"" + planted.string() + "\"");
	EXPECT_EQ(r.code, 0) << r.err;
	EXPECT_TRUE(fs::is_regular_file(planted / "MineHF"));
}
#endif

uint32_t Crc32(const std::string& bytes)
{
	uint32_t c = 0xFFFFFFFFu;
	for (unsigned char b : bytes)
	{
		c ^= b;
		for (int k = 0; k < 8; ++k)
			c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
	}
	return c ^ 0xFFFFFFFFu;
}

std::string Le32(uint32_t v)
{
	std::string s;
	for (int i = 0; i < 4; ++i)
		s += (char)(uint8_t)(v >> (8 * i));
	return s;
}

TEST_F(PulsorHost, APresetThatDoesNotReadIsRefusedWithItsCause)
{
	const fs::path folder = dir / "presets";
	ASSERT_EQ(Run("preset save " + Scene("segments_square") + " --tag Steps --name Good --folder \"" + folder.string() + "\"").code, 0);
	const std::string good = ReadAll(folder / "GoodHF");
	ASSERT_GT(good.size(), 12u);
	ASSERT_EQ(Run("save " + Scene("demo") + " \"" + (dir / "scene").string() + "\"").code, 0);

	// Nesting far deeper than the reader follows, each length consistent.
	const uint32_t kContainer = 132;
	std::string nested = Le32(0) + Le32(0);
	for (int i = 0; i < 100; ++i)
		nested = Le32(0) + Le32(1) + Le32(1) + Le32(kContainer) + Le32((uint32_t)nested.size()) + nested;
	const std::string record = Le32(kContainer) + Le32((uint32_t)nested.size()) + nested;

	const struct
	{
		const char* name;
		std::string bytes;
		const char* cause;
	} bad[] = {
		{ "Empty", "", "empty file" },
		{ "Header", good.substr(0, 12), "no further container in the file" },
		{ "Scene", ReadAll(dir / "scene"), "a container file of another kind" },
		{ "Deep", good.substr(0, 12) + record + Le32(Crc32(record)), "nested too deep" },
	};
	for (const auto& b : bad)
	{
		std::ofstream(folder / (std::string(b.name) + "HF"), std::ios::binary) << b.bytes;
		const Result r = Run("preset load " + Scene("bouncing_ball") + " --tag Bounce --name " + b.name + " --folder \"" + folder.string() + "\"");
		EXPECT_EQ(r.code, 2) << b.name;
		EXPECT_EQ(r.out, "") << b.name;
		EXPECT_NE(r.err.find((folder / (std::string(b.name) + "HF")).string() + ": the preset was not loaded: "), std::string::npos) << r.err;
		EXPECT_NE(r.err.find(b.cause), std::string::npos) << r.err;
	}
}

#ifndef _WIN32
TEST_F(PulsorHost, ScenesAreReadWithinALimit)
{
	Result r = Run("run /dev/zero");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("/dev/zero: larger than"), std::string::npos) << r.err;
	// Refused from its size: the sparse file is never read.
	{
		std::ofstream(dir / "huge.json") << "{";
	}
	fs::resize_file(dir / "huge.json", uintmax_t(1) << 40);
	r = Run("run \"" + (dir / "huge.json").string() + "\"");
	EXPECT_EQ(r.code, 2);
	EXPECT_NE(r.err.find("larger than"), std::string::npos) << r.err;
}
#endif

#ifndef _WIN32
TEST_F(PulsorHost, TheHelpPagesAreWhatTheGeneratorMakesFromTheModule)
{
	// Every page a help icon opens is there.
	for (const char* page : { "base", "output", "noise", "sin", "cos", "sawtooth", "square", "triangle", "bounce", "custom" })
		EXPECT_TRUE(fs::exists(kSource / "docs" / "training" / "pulsor" / page / "index.html")) << page;
	const std::string command = "PULSORHOST=\"" + std::string(PULSORHOST_FILE) + "\" \"" + (kSource / "tools" / "helppages" / "make.sh").string()
		+ "\" \"" + dir.string() + "\"";
	ASSERT_EQ(std::system(command.c_str()), 0);
	int pages = 0;
	for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir / "training"))
	{
		if (!e.is_regular_file())
			continue;
		++pages;
		const fs::path stored = kSource / "docs" / fs::relative(e.path(), dir);
		EXPECT_EQ(ReadAll(e.path()), ReadAll(stored)) << stored << " is out of date: run tools/helppages/make.sh";
	}
	EXPECT_EQ(pages, 12);
}
#endif

} // namespace
