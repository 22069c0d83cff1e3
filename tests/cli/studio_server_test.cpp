// The studio's server in this process on a free port, driven through
// cpp-httplib's client as the browser drives it: every endpoint on the demo
// scene and on a scene with a material, and every kind of bad request,
// which must be answered with a 4xx and one line and leave the document as
// it was.
#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "c4d.h"
#include "host_services.h"
#include "loaded_pulsor.h"
#include "png_writer.h"
#include "pulsor_ids.h"
#include "studio_server.h"

namespace
{

namespace fs = std::filesystem;
using nlohmann::json;

const char* const kDemo = PULSOR_SOURCE_DIR "/scenes/demo.json";
const char* const kMaterialScene = PULSOR_SOURCE_DIR "/scenes/colour_flicker.json";

// A folder of the test's own, removed afterwards.
struct TempFolder
{
	fs::path path;
	TempFolder()
	{
		path = fs::temp_directory_path()
			/ (std::string("pulsor-studio-test-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
		fs::remove_all(path);
		fs::create_directories(path);
	}
	~TempFolder()
	{
		std::error_code ec;
		fs::remove_all(path, ec);
	}
	std::string operator/(const std::string& name) const { return (path / name).string(); }
};

class StudioServerTest : public ::testing::Test
{
protected:
	void SetUp() override { ASSERT_TRUE(LoadPulsorModule()); }
	void TearDown() override
	{
		if (server)
			server->Stop();
		if (serving.joinable())
			serving.join();
		server.reset();
		studio.reset();
		HostSetActiveDocument(nullptr);
	}

	void Start(const std::string& scene)
	{
		studio.reset(new Studio(LoadScene(scene)));
		StudioServerOptions options;
		options.webFolder = folder / "web";
		options.helpFolder = PULSOR_SOURCE_DIR "/docs/training";
		fs::create_directories(folder / "web/assets");
		std::ofstream(folder / "web/index.html") << "<!doctype html><title>studio</title>";
		std::ofstream(folder / "web/assets/app.js") << "console.log(1);";
		std::ofstream(folder / "web/icon.svg") << "<svg/>";
		server.reset(new StudioServer(*studio, options));
		ASSERT_TRUE(server->Bind(0));
		serving = std::thread([this] { server->Serve(); });
		// A stop before the server listens would be lost.
		while (!server->Serving())
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
		client.reset(new httplib::Client("127.0.0.1", server->Port()));
		client->set_read_timeout(120, 0);
	}

	httplib::Headers Token() const { return { { "X-Pulsor-Token", server->Token() } }; }

	// A call that must succeed: its answer.
	json Get(const std::string& path)
	{
		auto res = client->Get(path.c_str(), Token());
		EXPECT_TRUE(res) << path;
		if (!res)
			return json();
		EXPECT_EQ(res->status, 200) << path << ": " << res->body;
		return json::parse(res->body);
	}
	json Post(const std::string& path, const json& body)
	{
		auto res = client->Post(path.c_str(), Token(), body.dump(), "application/json");
		EXPECT_TRUE(res) << path;
		if (!res)
			return json();
		EXPECT_EQ(res->status, 200) << path << " " << body.dump() << ": " << res->body;
		return json::parse(res->body);
	}

	// The entry of a page by its first level, or null.
	static json Entry(const json& page, LONG id)
	{
		for (const json& e : page["entries"])
			if (e["id"][0] == id)
				return e;
		return json();
	}
	json Value(long long element, LONG id) { return Entry(Get("/api/elements/" + std::to_string(element) + "/page"), id)["value"]; }

	// Ids by name from the state.
	long long IdNamed(const std::string& name)
	{
		const json state = Get("/api/state");
		for (const json& o : state["objects"])
		{
			if (o["name"] == name)
				return o["id"];
			for (const json& t : o["tags"])
				if (t["name"] == name)
					return t["id"];
		}
		for (const json& m : state["materials"])
			if (m["name"] == name)
				return m["id"];
		return 0;
	}

	// What a save must keep: the elements in order without their ids, each
	// one's page without ids and revision, and the graph.
	json Everything()
	{
		const json state = Get("/api/state");
		json elements = json::array(), pages = json::array();
		const auto add = [&](const json& e) {
			elements.push_back({ e["name"], e["type"] });
			json entries = Get("/api/elements/" + std::to_string(e["id"].get<long long>()) + "/page")["entries"];
			// Links name their element by id, which an open renews.
			for (json& entry : entries)
				if (entry.contains("value") && entry["value"].is_object() && entry["value"].contains("link"))
					entry["value"]["link"] = entry["value"]["link"].is_null() ? json() : json("an element");
			pages.push_back(entries);
		};
		for (const json& o : state["objects"])
		{
			add(o);
			for (const json& t : o["tags"])
				add(t);
		}
		for (const json& m : state["materials"])
			add(m);
		json graph = Get("/api/graph");
		for (json& series : graph["series"])
			series.erase("tag");
		graph.erase("revision");
		return { { "elements", elements }, { "pages", pages }, { "graph", graph } };
	}

	TempFolder folder;
	std::unique_ptr<Studio> studio;
	std::unique_ptr<StudioServer> server;
	std::unique_ptr<httplib::Client> client;
	std::thread serving;
};

// ---- Reading ---------------------------------------------------------------------

TEST_F(StudioServerTest, StateListsObjectsTagsAndTheDocumentsTime)
{
	Start(kDemo);
	const json state = Get("/api/state");
	EXPECT_EQ(state["file"], kDemo);
	EXPECT_EQ(state["fps"], 30);
	EXPECT_EQ(state["from"], 0);
	EXPECT_EQ(state["to"], 90);
	EXPECT_EQ(state["undo"], json({ { "undo", false }, { "redo", false } }));
	ASSERT_EQ(state["objects"].size(), 1u);
	const json& ball = state["objects"][0];
	EXPECT_EQ(ball["name"], "Ball");
	EXPECT_EQ(ball["typeName"], "Cube");
	ASSERT_EQ(ball["tags"].size(), 2u);
	EXPECT_EQ(ball["tags"][0]["name"], "Bounce");
	EXPECT_EQ(ball["tags"][0]["typeName"], "Pulsor");
	EXPECT_EQ(ball["tags"][0]["pulsor"], true);
	EXPECT_EQ(ball["tags"][1]["name"], "Sway");
	EXPECT_NE(ball["id"], ball["tags"][0]["id"]);
}

TEST_F(StudioServerTest, APulsorTagsPageCarriesSettingsValuesAndEnabling)
{
	Start(kDemo);
	const json page = Get("/api/elements/" + std::to_string(IdNamed("Bounce")) + "/page");
	EXPECT_EQ(page["name"], "Bounce");
	const json strength = Entry(page, PULSOR_STRENGTH);
	EXPECT_EQ(strength["name"], "Strength");
	EXPECT_EQ(strength["dtype"], DTYPE_REAL);
	EXPECT_EQ(strength["gui"], CUSTOMGUI_REALSLIDER);
	EXPECT_EQ(strength["parent"], json::array({ 2000 }));
	EXPECT_EQ(strength["value"], 1.0);
	EXPECT_EQ(strength["enabled"], true);
	const json base = Entry(page, 2000);
	EXPECT_EQ(base["name"], "Base");
	EXPECT_EQ(base["open"], true);
	EXPECT_FALSE(base.contains("value"));
	// "Add Modifiers" lists the modifier types as its cycle.
	const json cycle = Entry(page, 2001)["cycle"];
	ASSERT_GE(cycle.size(), 8u);
	EXPECT_EQ(cycle[1], json::array({ 1, "Noise" }));
	// The time curve comes with the host's own evaluation of it.
	const json curve = Entry(page, 2117)["value"];
	ASSERT_EQ(curve["points"].size(), 101u);
	EXPECT_EQ(curve["points"][0][0], 0.0);
	EXPECT_EQ(curve["points"][100][0], 1.0);
	EXPECT_GE(curve["knots"].size(), 2u);
	// Limits keep the shape of their values: a tab's loop point starts at
	// a time of 0.
	EXPECT_EQ(Entry(page, 22211)["min"], json({ { "seconds", 0.0 } }));
	EXPECT_EQ(Entry(page, 22211)["value"], json({ { "seconds", 1.0 } }));
	// The bake's range is greyed out while "Key Sequence" is off.
	EXPECT_EQ(Entry(page, PULSOR_KEY_FROM)["enabled"], false);
	EXPECT_EQ(Entry(page, PULSOR_KEY_TO)["value"].contains("seconds"), true);
}

TEST_F(StudioServerTest, HostElementsShowTheirParametersAndCanBeEdited)
{
	Start(kMaterialScene);
	const long long lamp = IdNamed("Lamp");
	const json colour = Entry(Get("/api/elements/" + std::to_string(lamp) + "/page"), MATERIAL_COLOR_COLOR);
	EXPECT_EQ(colour["value"], json::array({ 1.0, 0.6, 0.2 }));
	EXPECT_EQ(colour["enabled"], true);
	Post("/api/elements/" + std::to_string(lamp) + "/set", { { "id", { MATERIAL_COLOR_COLOR } }, { "value", { 0.5, 0.25, 0 } } });
	EXPECT_EQ(Value(lamp, MATERIAL_COLOR_COLOR), json::array({ 0.5, 0.25, 0.0 }));
	// The Pulsor tag links the material's colour: a link entry names it.
	const json link = Entry(Get("/api/elements/" + std::to_string(IdNamed("Flicker")) + "/page"), PULSOR_LINK);
	ASSERT_TRUE(link.contains("value")) << link.dump();
	EXPECT_EQ(link["value"]["link"], lamp);
	EXPECT_EQ(link["value"]["name"], "Lamp");
	const long long driver = IdNamed("Flicker Driver");
	const json position = Entry(Get("/api/elements/" + std::to_string(driver) + "/page"), ID_BASEOBJECT_REL_POSITION);
	EXPECT_EQ(position["dtype"], DTYPE_VECTOR);
	EXPECT_EQ(position["value"].size(), 3u);
}

// ---- Pictures ------------------------------------------------------------------------

// Width, height and the rows of a PNG this writer made, filter bytes
// included.
bool ReadPng(const std::string& png, uint32_t* w, uint32_t* h, std::string* rows)
{
	if (png.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0)
		return false;
	const auto be = [&](size_t at) {
		return (uint32_t)(unsigned char)png[at] << 24 | (uint32_t)(unsigned char)png[at + 1] << 16
			| (uint32_t)(unsigned char)png[at + 2] << 8 | (uint32_t)(unsigned char)png[at + 3];
	};
	std::string idat;
	for (size_t at = 8; at + 12 <= png.size();)
	{
		const uint32_t length = be(at);
		const std::string type = png.substr(at + 4, 4);
		const std::string body = png.substr(at + 4, 4 + length);
		if (crc32(0L, reinterpret_cast<const Bytef*>(body.data()), (uInt)body.size()) != be(at + 8 + length))
			return false;
		if (type == "IHDR")
		{
			*w = be(at + 8);
			*h = be(at + 12);
		}
		if (type == "IDAT")
			idat += png.substr(at + 8, length);
		at += 12 + length;
	}
	uLongf size = (uLongf)((size_t)*h * ((size_t)*w * 4 + 1));
	rows->assign(size, '\0');
	return uncompress(reinterpret_cast<Bytef*>(&(*rows)[0]), &size, reinterpret_cast<const Bytef*>(idat.data()),
			   (uLong)idat.size()) == Z_OK && size == rows->size();
}

TEST(StudioPng, ACellOfABitmapKeepsItsColoursAndAlpha)
{
	AutoAlloc<BaseBitmap> bmp;
	ASSERT_EQ(bmp->Init(3, 2, 32), IMAGERESULT_OK);
	bmp->SetPixel(1, 0, 10, 20, 30);
	bmp->SetPixel(2, 1, 200, 100, 50);
	bmp->SetAlphaPixel(bmp->GetInternalChannel(), 1, 0, 128);
	bmp->SetAlphaPixel(bmp->GetInternalChannel(), 2, 1, 255);
	uint32_t w = 0, h = 0;
	std::string rows;
	ASSERT_TRUE(ReadPng(EncodePng(*bmp, 1, 0, 2, 2), &w, &h, &rows));
	EXPECT_EQ(w, 2u);
	EXPECT_EQ(h, 2u);
	const std::string expected = std::string("\0", 1) + std::string("\x0a\x14\x1e\x80\x00\x00\x00\x00", 8)
		+ std::string("\0", 1) + std::string("\x00\x00\x00\x00\xc8\x64\x32\xff", 8);
	EXPECT_EQ(rows, expected);
	// A bitmap without alpha is opaque.
	AutoAlloc<BaseBitmap> opaque;
	ASSERT_EQ(opaque->Init(1, 1, 24), IMAGERESULT_OK);
	ASSERT_TRUE(ReadPng(EncodePng(*opaque, 0, 0, 1, 1), &w, &h, &rows));
	EXPECT_EQ(rows, std::string("\0\0\0\0\xff", 5));
	// Cells outside the bitmap give nothing.
	EXPECT_TRUE(EncodePng(*bmp, 2, 0, 2, 1).empty());
	EXPECT_TRUE(EncodePng(*bmp, 0, 0, 0, 1).empty());
	EXPECT_TRUE(EncodePng(*bmp, -1, 0, 1, 1).empty());
}

TEST_F(StudioServerTest, IconsAndBitmapButtonsArePngs)
{
	Start(kDemo);
	const std::string bounce = std::to_string(IdNamed("Bounce"));
	uint32_t w = 0, h = 0;
	std::string rows;
	auto icon = client->Get(("/api/elements/" + bounce + "/icon?token=" + server->Token()).c_str());
	ASSERT_TRUE(icon);
	EXPECT_EQ(icon->status, 200);
	EXPECT_EQ(icon->get_header_value("Content-Type"), "image/png");
	ASSERT_TRUE(ReadPng(icon->body, &w, &h, &rows));
	EXPECT_EQ(w, 64u);
	EXPECT_EQ(h, 64u);
	auto help = client->Get(("/api/elements/" + bounce + "/bitmap?id=" + std::to_string(PULSOR_HELP_BASE)).c_str(), Token());
	ASSERT_TRUE(help);
	EXPECT_EQ(help->status, 200);
	EXPECT_TRUE(ReadPng(help->body, &w, &h, &rows));
	// A cube has no icon of the module's, and Strength is no bitmap button.
	EXPECT_EQ(client->Get(("/api/elements/" + std::to_string(IdNamed("Ball")) + "/icon").c_str(), Token())->status, 404);
	EXPECT_EQ(client->Get(("/api/elements/" + bounce + "/bitmap?id=2004").c_str(), Token())->status, 404);
}

// ---- Edits and their undo --------------------------------------------------------------

TEST_F(StudioServerTest, AnEditIsOneUndoStepThatRedoBringsBack)
{
	Start(kDemo);
	const long long bounce = IdNamed("Bounce");
	const std::string before = studio->Dump();
	const json set = Post("/api/elements/" + std::to_string(bounce) + "/set", { { "id", { PULSOR_STRENGTH } }, { "value", 0.25 } });
	EXPECT_EQ(set["revision"], studio->Revision());
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 0.25);
	EXPECT_EQ(Get("/api/state")["undo"], json({ { "undo", true }, { "redo", false } }));
	const json undone = Post("/api/undo", json::object());
	EXPECT_EQ(undone["undo"], json({ { "undo", false }, { "redo", true } }));
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 1.0);
	const std::string after = studio->Dump();
	// The history moved from undo to redo; the elements are as they were.
	EXPECT_EQ(before.substr(before.find('\n')), after.substr(after.find('\n')));
	Post("/api/redo", json::object());
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 0.25);
	EXPECT_GT(studio->Revision(), set["revision"].get<long long>());
	// A tag added after an undo ends the redo of the document as well.
	Post("/api/undo", json::object());
	Post("/api/objects/" + std::to_string(IdNamed("Ball")) + "/tags", json::object());
	EXPECT_EQ(Get("/api/state")["undo"]["redo"], false);
	EXPECT_NE(studio->Dump().find(" redo 0/0 "), std::string::npos);
}

TEST_F(StudioServerTest, TheHistoryKeepsTheLatestStepsInOrder)
{
	Start(kDemo);
	const long long ball = IdNamed("Ball");
	const long long bounce = IdNamed("Bounce");
	const LONG steps = Studio::kUndoGroups + 5;
	// Edits of the tag, with a tag added among them: the studio's own steps
	// and the document's groups are dropped together, oldest first.
	for (LONG i = 1; i <= steps; ++i)
	{
		if (i == 50)
			Post("/api/objects/" + std::to_string(ball) + "/tags", json::object());
		else
			Post("/api/elements/" + std::to_string(bounce) + "/set", { { "id", { PULSOR_STRENGTH } }, { "value", i / 1000.0 } });
	}
	for (LONG i = 0; i < Studio::kUndoGroups; ++i)
		Post("/api/undo", json::object());
	EXPECT_EQ(client->Post("/api/undo", Token(), "{}", "application/json")->status, 409);
	// Five steps are left: the sets of 1 to 5.
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 0.005);
	EXPECT_EQ(Get("/api/state")["objects"][0]["tags"].size(), 2u);
	for (LONG i = 0; i < Studio::kUndoGroups; ++i)
		Post("/api/redo", json::object());
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), steps / 1000.0);
	EXPECT_EQ(Get("/api/state")["objects"][0]["tags"].size(), 3u);
}

TEST_F(StudioServerTest, AHelpIconOpensItsPageWhichTheServerServes)
{
	Start(kDemo);
	const json answer = Post("/api/elements/" + std::to_string(IdNamed("Bounce")) + "/set", { { "id", { PULSOR_HELP_BASE } } });
	ASSERT_EQ(answer["open"], "/training/pulsor/base");
	auto page = client->Get("/training/pulsor/base");
	ASSERT_TRUE(page);
	EXPECT_EQ(page->status, 200);
	EXPECT_NE(page->body.find("<html"), std::string::npos);
	EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
}

TEST_F(StudioServerTest, ACommandThatAsksChangesNothingUntilAnswered)
{
	Start(kDemo);
	const long long bounce = IdNamed("Bounce");
	const std::string path = "/api/elements/" + std::to_string(bounce);
	// A bake of more than a thousand frames asks first.
	Post(path + "/set", { { "id", { PULSOR_KEY_SEQUENCE } }, { "value", true } });
	Post(path + "/set", { { "id", { PULSOR_KEY_TO } }, { "value", { { "seconds", 40.0 } } } });
	const std::string before = studio->Dump();
	const long long revision = studio->Revision();
	const json asked = Post(path + "/command", { { "id", { PULSOR_CONVERT_TO_KEYS } } });
	EXPECT_NE(asked["question"].get<std::string>().find("1200"), std::string::npos) << asked.dump();
	EXPECT_EQ(studio->Dump(), before);
	EXPECT_EQ(studio->Revision(), revision);
	// No: nothing is baked.
	Post(path + "/command", { { "id", { PULSOR_CONVERT_TO_KEYS } }, { "answer", false } });
	EXPECT_EQ(studio->Dump(), before);
	EXPECT_EQ(Entry(Get(path + "/page"), PULSOR_STRENGTH)["enabled"], true);
	// Yes: baked, and every control but "Clear Keyframes" greyed out.
	Post(path + "/command", { { "id", { PULSOR_CONVERT_TO_KEYS } }, { "answer", true } });
	const json page = Get(path + "/page");
	EXPECT_NE(studio->Dump().find("track 903 1001"), std::string::npos);
	EXPECT_EQ(Entry(page, PULSOR_STRENGTH)["enabled"], false);
	EXPECT_EQ(Entry(page, PULSOR_CLEAR_KEYS)["enabled"], true);
	// A greyed-out control is refused as the page shows it.
	auto refused = client->Post((path + "/set").c_str(), Token(), json{ { "id", { PULSOR_STRENGTH } }, { "value", 0.5 } }.dump(), "application/json");
	EXPECT_EQ(refused->status, 409);
	Post("/api/undo", json::object());
	EXPECT_EQ(Entry(Get(path + "/page"), PULSOR_STRENGTH)["enabled"], true);
	EXPECT_EQ(studio->Dump().find("track 903 1001"), std::string::npos);
}

TEST_F(StudioServerTest, TagsAreAddedLinkedRenamedDeletedAndComeBackByUndo)
{
	Start(kMaterialScene);
	const long long driver = IdNamed("Flicker Driver");
	const long long lamp = IdNamed("Lamp");
	const json added = Post("/api/objects/" + std::to_string(driver) + "/tags", json::object());
	const long long tag = added["id"];
	EXPECT_EQ(IdNamed("Pulsor"), tag);
	// Hovering accepts and links nothing.
	const std::string before = studio->Dump();
	const json link = { { "tag", tag }, { "source", lamp }, { "param", { MATERIAL_COLOR_COLOR, VECTOR_X } } };
	json hover = link;
	hover["drop"] = false;
	EXPECT_EQ(Post("/api/link", hover)["accept"], true);
	EXPECT_EQ(studio->Dump(), before);
	json drop = link;
	drop["drop"] = true;
	EXPECT_EQ(Post("/api/link", drop)["accepted"], true);
	EXPECT_EQ(IdNamed("Color R"), tag);
	// Another object's parameter is refused as the module decides.
	json other = { { "tag", tag }, { "source", IdNamed("Flicker") }, { "param", { PULSOR_STRENGTH } }, { "drop", true } };
	Post("/api/link", other);
	Post("/api/elements/" + std::to_string(tag) + "/name", { { "name", "Glow" } });
	EXPECT_EQ(IdNamed("Glow"), tag);

	const std::string linked = studio->Dump();
	client->Delete(("/api/elements/" + std::to_string(tag)).c_str(), Token());
	EXPECT_EQ(IdNamed("Glow"), 0);
	EXPECT_EQ(client->Get(("/api/elements/" + std::to_string(tag) + "/page").c_str(), Token())->status, 404);
	Post("/api/undo", json::object());
	EXPECT_EQ(IdNamed("Glow"), tag);
	const std::string back = studio->Dump();
	EXPECT_EQ(linked.substr(linked.find('\n')), back.substr(back.find('\n')));
	Post("/api/redo", json::object());
	EXPECT_EQ(IdNamed("Glow"), 0);
	// Undo all the way: the new tag goes too.
	while (Get("/api/state")["undo"]["undo"] == true)
		Post("/api/undo", json::object());
	EXPECT_EQ(IdNamed("Pulsor"), 0);
	EXPECT_EQ(Get("/api/state")["objects"][0]["tags"].size(), 1u);
}

// ---- Time -------------------------------------------------------------------------------

TEST_F(StudioServerTest, AFrameAndTheGraphAgreeAndTheGraphLeavesTheDocumentAlone)
{
	Start(kDemo);
	const long long bounce = IdNamed("Bounce");
	const std::string before = studio->Dump();
	const json graph = Get("/api/graph?from=0&to=30");
	EXPECT_EQ(studio->Dump(), before);
	ASSERT_EQ(graph["frames"].size(), 31u);
	ASSERT_EQ(graph["series"].size(), 2u);
	EXPECT_EQ(graph["series"][0]["name"], "Bounce.position.y");
	EXPECT_EQ(graph["series"][0]["tag"], bounce);
	EXPECT_EQ(graph["series"][1]["name"], "Sway.position.x");

	const json frame = Post("/api/frame", { { "frame", 12 }, { "element", bounce } });
	EXPECT_EQ(frame["frame"], 12);
	EXPECT_EQ(frame["values"]["Bounce.position.y"], graph["series"][0]["values"][12]);
	EXPECT_EQ(frame["values"]["Sway.position.x"], graph["series"][1]["values"][12]);
	EXPECT_EQ(frame["page"]["id"], bounce);
	EXPECT_EQ(Get("/api/state")["frame"], 12);
	// An edit shows in the next graph.
	Post("/api/elements/" + std::to_string(bounce) + "/set", { { "id", { PULSOR_VOLUME } }, { "value", 0.0 } });
	const json flat = Get("/api/graph?from=0&to=30");
	EXPECT_NE(flat["series"][0]["values"], graph["series"][0]["values"]);
	// The document's range is the default, and long ranges are fine.
	EXPECT_EQ(Get("/api/graph")["frames"].size(), 91u);
	EXPECT_EQ(Get("/api/graph?from=0&to=9999")["frames"].size(), 10000u);
}

// ---- Files --------------------------------------------------------------------------------

// Every element's page, the element list without ids, and the graph: what
// a save must keep.
TEST_F(StudioServerTest, SavedAndOpenedAgainNothingIsLost)
{
	for (const char* scene : { kDemo, kMaterialScene })
	{
		Start(scene);
		const long long tag = Get("/api/state")["objects"][0]["tags"].back()["id"];
		// Edits that add a tab and change a curve, so that more than the
		// scene file's own state is saved.
		Post("/api/elements/" + std::to_string(tag) + "/set", { { "id", { PULSOR_STRENGTH } }, { "value", 0.375 } });
		Post("/api/elements/" + std::to_string(tag) + "/set", { { "id", { 2001 } }, { "value", 2 } });
		Post("/api/elements/" + std::to_string(tag) + "/set",
			{ { "id", { 2117 } }, { "value", { { "knots", { { { "x", 0 }, { "y", 0.25 } }, { { "x", 1 }, { "y", 0.75 } } } } } } });
		const json before = Everything();
		const std::string file = folder / (fs::path(scene).stem().string() + ".c4d");
		EXPECT_EQ(Post("/api/save", { { "path", file } })["file"], file);
		EXPECT_EQ(Post("/api/open", { { "path", file } })["file"], file);
		EXPECT_EQ(Get("/api/state")["undo"], json({ { "undo", false }, { "redo", false } }));
		EXPECT_NE(Get("/api/state")["objects"][0]["tags"].back()["id"], tag);
		const json after = Everything();
		EXPECT_EQ(after["elements"], before["elements"]) << scene;
		EXPECT_EQ(after["pages"], before["pages"]) << scene;
		EXPECT_EQ(after["graph"], before["graph"]) << scene;
		EXPECT_EQ(after["pages"].size(), before["elements"].size());
		// Saving over it again takes "overwrite".
		EXPECT_EQ(Post("/api/save", { { "path", file }, { "overwrite", true } })["file"], file);
		TearDown();
	}
}

// ---- Refusals --------------------------------------------------------------------------------

struct BadRequest
{
	const char* what;
	std::string method;
	std::string path;
	std::string body;
	httplib::Headers headers;
	int status;
};

TEST_F(StudioServerTest, BadRequestsAreRefusedWithOneLineAndChangeNothing)
{
	Start(kMaterialScene);
	const std::string tag = std::to_string(IdNamed("Flicker"));
	const std::string object = std::to_string(IdNamed("Flicker Driver"));
	const std::string lamp = std::to_string(IdNamed("Lamp"));
	const std::string token = server->Token();
	const std::string port = std::to_string(server->Port());
	const std::string existing = folder / "existing.c4d";
	std::ofstream(existing) << "keep me";
	const std::string notAScene = folder / "not-a-scene.json";
	std::ofstream(notAScene) << "{ \"objects\": 7 }";
	const std::string set = "/api/elements/" + tag + "/set";
	const auto value = [](const json& v) { return json{ { "id", { PULSOR_STRENGTH } }, { "value", v } }.dump(); };
	const httplib::Headers none;
	// Make a redo possible, so that a refusal that ends it shows.
	Post(set, json{ { "id", { PULSOR_STRENGTH } }, { "value", 0.5 } });
	Post("/api/undo", json::object());

	const std::vector<BadRequest> requests = {
		{ "no token", "GET", "/api/state", "", {}, 401 },
		{ "a wrong token", "GET", "/api/state", "", { { "X-Pulsor-Token", std::string(32, '0') } }, 403 },
		{ "a token in the query of a change", "POST", "/api/undo?token=" + token, "{}", {}, 401 },
		{ "a foreign Host", "GET", "/api/state", "", { { "Host", "attacker.example:" + port } }, 403 },
		{ "another port in Host", "GET", "/", "", { { "Host", "127.0.0.1:1" } }, 403 },
		{ "a foreign Origin", "POST", "/api/undo", "{}", { { "Origin", "http://attacker.example" } }, 403 },
		{ "an Origin of another port", "POST", set, value(0.1), { { "Origin", "http://127.0.0.1:1" } }, 403 },
		{ "malformed JSON", "POST", set, "{\"id\": [2004], ", {}, 400 },
		{ "a body that is no object", "POST", set, "[2004]", {}, 400 },
		{ "no value", "POST", set, "{\"id\": [2004]}", {}, 400 },
		{ "an unknown element", "POST", "/api/elements/999/set", value(0.1), {}, 404 },
		{ "an unknown parameter", "POST", set, "{\"id\": [123456], \"value\": 1}", {}, 404 },
		{ "a parameter id that is no array", "POST", set, "{\"id\": 2004, \"value\": 1}", {}, 400 },
		{ "a parameter id beyond 32 bits", "POST", set, "{\"id\": [18446744073709549572], \"value\": 1}", {}, 400 },
		{ "a parameter id of nine levels", "POST", set, "{\"id\": [1, 2, 3, 4, 5, 6, 7, 8, 9], \"value\": 1}", {}, 400 },
		{ "a link to an element id of no integer", "POST", set, "{\"id\": [2132], \"value\": {\"link\": \"Lamp\"}}", {}, 400 },
		{ "text for a real", "POST", set, value("much"), {}, 400 },
		{ "NaN for a real", "POST", set, value("NaN"), {}, 400 },
		{ "a fraction for an integer", "POST", set, "{\"id\": [2001], \"value\": 1.5}", {}, 400 },
		{ "an integer beyond 32 bits", "POST", set, "{\"id\": [2001], \"value\": 4294967296}", {}, 400 },
		{ "a number for a bool", "POST", set, "{\"id\": [2368], \"value\": 1}", {}, 400 },
		{ "two numbers for a colour", "POST", "/api/elements/" + lamp + "/set", "{\"id\": [2100], \"value\": [1, 2]}", {}, 400 },
		{ "a time without seconds", "POST", set, "{\"id\": [2121], \"value\": 3}", {}, 400 },
		{ "a curve without knots", "POST", set, "{\"id\": [2117], \"value\": {\"knots\": []}}", {}, 400 },
		{ "a link to an unknown element", "POST", set, "{\"id\": [2132], \"value\": {\"link\": 999}}", {}, 404 },
		{ "a button set", "POST", set, "{\"id\": [2355], \"value\": 1}", {}, 400 },
		{ "a command for a value", "POST", "/api/elements/" + tag + "/command", "{\"id\": [2004]}", {}, 400 },
		{ "an answer that is no bool", "POST", "/api/elements/" + tag + "/command", "{\"id\": [2355], \"answer\": 1}", {}, 400 },
		{ "a tag added to a tag", "POST", "/api/objects/" + tag + "/tags", "{}", {}, 400 },
		{ "an object deleted", "DELETE", "/api/elements/" + object, "", {}, 400 },
		{ "a name that is no string", "POST", "/api/elements/" + tag + "/name", "{\"name\": 5}", {}, 400 },
		{ "a link onto no Pulsor tag", "POST", "/api/link", "{\"tag\": " + object + ", \"source\": " + lamp + ", \"param\": [2100], \"drop\": true}", {}, 400 },
		{ "a link of an unknown parameter", "POST", "/api/link", "{\"tag\": " + tag + ", \"source\": " + lamp + ", \"param\": [77], \"drop\": true}", {}, 404 },
		{ "a link without drop", "POST", "/api/link", "{\"tag\": " + tag + ", \"source\": " + lamp + ", \"param\": [2100]}", {}, 400 },
		{ "a frame that is no number", "POST", "/api/frame", "{\"frame\": \"12\"}", {}, 400 },
		{ "a frame shown of an unknown element", "POST", "/api/frame", "{\"frame\": 12, \"element\": 999}", {}, 404 },
		{ "a graph that ends before it starts", "GET", "/api/graph?from=10&to=5", "", {}, 400 },
		{ "a graph of too many frames", "GET", "/api/graph?from=0&to=1e7", "", {}, 400 },
		{ "a graph from no number", "GET", "/api/graph?from=abc", "", {}, 400 },
		{ "a bitmap of no parameter id", "GET", "/api/elements/" + tag + "/bitmap?id=2367,x", "", {}, 400 },
		{ "a save into a folder", "POST", "/api/save", json{ { "path", folder.path.string() } }.dump(), {}, 400 },
		{ "a save under an empty name", "POST", "/api/save", "{\"path\": \"\"}", {}, 400 },
		{ "a save with NUL in its name", "POST", "/api/save", json{ { "path", std::string("a\0b", 3) } }.dump(), {}, 400 },
		{ "a save into a missing folder", "POST", "/api/save", json{ { "path", folder / "missing/x.c4d" } }.dump(), {}, 400 },
		{ "a save over a file without overwrite", "POST", "/api/save", json{ { "path", existing } }.dump(), {}, 409 },
		{ "an open of a missing file", "POST", "/api/open", json{ { "path", folder / "missing.c4d" } }.dump(), {}, 404 },
		{ "an open of no scene", "POST", "/api/open", json{ { "path", notAScene } }.dump(), {}, 422 },
		{ "an open of a folder", "POST", "/api/open", json{ { "path", folder.path.string() } }.dump(), {}, 400 },
		{ "an unknown API path", "GET", "/api/nothing", "", {}, 404 },
		{ "an oversized body", "POST", set, std::string(StudioServer::kMaxBody + 1, ' '), {}, 413 },
	};
	const std::string before = studio->Dump();
	const long long revision = studio->Revision();
	for (const BadRequest& r : requests)
	{
		httplib::Headers headers = r.headers;
		const bool tokenless = r.status == 401 || r.what == std::string("a wrong token");
		if (!tokenless)
			headers.emplace("X-Pulsor-Token", token);
		httplib::Result res = r.method == "GET" ? client->Get(r.path.c_str(), headers)
			: r.method == "DELETE"                ? client->Delete(r.path.c_str(), headers)
												  : client->Post(r.path.c_str(), headers, r.body, "application/json");
		ASSERT_TRUE(res) << r.what;
		EXPECT_EQ(res->status, r.status) << r.what << ": " << res->body;
		json body;
		ASSERT_NO_THROW(body = json::parse(res->body)) << r.what << ": " << res->body;
		ASSERT_TRUE(body.contains("error") && body["error"].is_string()) << r.what;
		const std::string line = body["error"];
		EXPECT_FALSE(line.empty()) << r.what;
		EXPECT_EQ(line.find('\n'), std::string::npos) << r.what;
		EXPECT_EQ(studio->Dump(), before) << r.what;
		EXPECT_EQ(studio->Revision(), revision) << r.what;
	}
	// The file that was not to be overwritten is as it was.
	std::ifstream kept(existing);
	EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
	auto exists = client->Post("/api/save", Token(), json{ { "path", existing } }.dump(), "application/json");
	EXPECT_EQ(json::parse(exists->body)["exists"], true);
	// Redo is still there.
	EXPECT_EQ(Get("/api/state")["undo"]["redo"], true);
}

TEST_F(StudioServerTest, ABodyJustUnderTheLimitIsTaken)
{
	Start(kDemo);
	const std::string body = json{ { "frame", 3 }, { "note", std::string(StudioServer::kMaxBody - 64, 'x') } }.dump();
	ASSERT_LE(body.size(), StudioServer::kMaxBody);
	auto res = client->Post("/api/frame", Token(), body, "application/json");
	ASSERT_TRUE(res);
	EXPECT_EQ(res->status, 200);
	EXPECT_EQ(json::parse(res->body)["frame"], 3);
}

TEST_F(StudioServerTest, NothingToUndoOrRedoIsRefused)
{
	Start(kDemo);
	EXPECT_EQ(client->Post("/api/undo", Token(), "{}", "application/json")->status, 409);
	EXPECT_EQ(client->Post("/api/redo", Token(), "{}", "application/json")->status, 409);
	EXPECT_EQ(studio->Revision(), 1);
}

TEST_F(StudioServerTest, APortInUseIsRefusedNotShared)
{
	Start(kDemo);
	StudioServer second(*studio, StudioServerOptions());
	EXPECT_FALSE(second.Bind(server->Port()));
	EXPECT_NE(second.Token(), server->Token());
	EXPECT_EQ(second.Token().size(), 32u);
}

// A browser offers brotli, which the server's library applies at its slowest
// setting: a large answer then took most of a second to leave.
TEST_F(StudioServerTest, AnswersLeaveUncompressedWhateverTheBrowserOffers)
{
	Start(kDemo);
	client->set_decompress(false);
	httplib::Headers headers = Token();
	headers.emplace("Accept-Encoding", "gzip, deflate, br");
	auto state = client->Get("/api/state", headers);
	ASSERT_TRUE(state);
	EXPECT_EQ(state->status, 200);
	EXPECT_FALSE(state->has_header("Content-Encoding"));
	EXPECT_TRUE(json::parse(state->body, nullptr, false).is_object());
	auto script = client->Get("/assets/app.js", { { "Accept-Encoding", "gzip, deflate, br" } });
	ASSERT_TRUE(script);
	EXPECT_FALSE(script->has_header("Content-Encoding"));
	EXPECT_EQ(script->body, "console.log(1);");
}

TEST_F(StudioServerTest, StaticFilesComeOnlyFromTheirFolders)
{
	Start(kDemo);
	fs::create_symlink(PULSOR_SOURCE_DIR "/CMakeLists.txt", folder.path / "web/assets/escape.txt");
	const auto status = [this](const char* path) {
		auto res = client->Get(path);
		return res ? res->status : 0;
	};
	auto index = client->Get("/");
	ASSERT_TRUE(index);
	EXPECT_EQ(index->status, 200);
	EXPECT_EQ(index->body, "<!doctype html><title>studio</title>");
	EXPECT_EQ(client->Get("/assets/app.js")->get_header_value("Content-Type"), "application/javascript; charset=utf-8");
	EXPECT_EQ(client->Get("/icon.svg")->get_header_value("Content-Type"), "image/svg+xml");
	EXPECT_EQ(status("/assets/escape.txt"), 404);
	// A path under /api/ is the API's, which wants the token first.
	EXPECT_EQ(status("/api/../icon.svg"), 401);
	EXPECT_EQ(status("/assets/../../index.html"), 404);
	EXPECT_EQ(status("/assets/%2e%2e/%2e%2e/CMakeLists.txt"), 404);
	EXPECT_EQ(status("/training/../CMakeLists.txt"), 404);
	EXPECT_EQ(status("/training/pulsor/nothing"), 404);
	EXPECT_EQ(status("/CMakeLists.txt"), 404);
}

// ---- The program ------------------------------------------------------------------------------

// ---- The view, keys and events ------------------------------------------------

TEST_F(StudioServerTest, AFrameAnswerCarriesWhatTheViewShows)
{
	Start(kDemo);
	const long long ball = IdNamed("Ball");
	const json first = Post("/api/frame", { { "frame", 0 } });
	ASSERT_EQ(first["objects"].size(), 1u);
	const json cube = first["objects"][0];
	EXPECT_EQ(cube["id"], ball);
	EXPECT_EQ(cube["kind"], "cube");
	EXPECT_EQ(cube["size"].size(), 3u);
	EXPECT_EQ(cube["scale"], json::array({ 1.0, 1.0, 1.0 }));
	EXPECT_EQ(cube["visible"], true);
	// The bounce moves the ball between frames, as the view must show.
	const json later = Post("/api/frame", { { "frame", 15 } });
	EXPECT_NE(later["objects"][0]["position"][1], cube["position"][1]);
	EXPECT_EQ(later["objects"][0]["position"][1], later["values"]["Bounce.position.y"]);
	// Only what is shown is sent.
	EXPECT_FALSE(Post("/api/frame", { { "frame", 1 }, { "objects", false } }).contains("objects"));
	EXPECT_EQ(Post("/api/frame", { { "frame", 1 }, { "objects", { ball } } })["objects"].size(), 1u);
	// Hidden in the editor, hidden in the view; the display colour is sent.
	const std::string set = "/api/elements/" + std::to_string(ball) + "/set";
	Post(set, { { "id", { ID_BASEOBJECT_VISIBILITY_EDITOR } }, { "value", 1 } });
	Post(set, { { "id", { ID_BASEOBJECT_COLOR } }, { "value", { 0.25, 0.5, 1.0 } } });
	const json hidden = Post("/api/frame", { { "frame", 1 } })["objects"][0];
	EXPECT_EQ(hidden["visible"], false);
	EXPECT_EQ(hidden["color"], json::array({ 0.25, 0.5, 1.0 }));

	const std::string before = studio->Dump();
	const long long revision = studio->Revision();
	const long long tag = IdNamed("Bounce");
	for (const json& which : { json({ 999 }), json({ tag }), json("all"), json({ "1" }) })
	{
		auto res = client->Post("/api/frame", Token(), json{ { "frame", 3 }, { "objects", which } }.dump(), "application/json");
		ASSERT_TRUE(res);
		EXPECT_EQ(res->status, which == json({ 999 }) ? 404 : 400) << which.dump() << ": " << res->body;
	}
	EXPECT_EQ(studio->Dump(), before);
	EXPECT_EQ(studio->Revision(), revision);
}

// A tag that drives "Visible in Editor" from 0 (on) through 1 (off) to 2
// (undefined, so shown) hides and shows the object in the view.
TEST_F(StudioServerTest, ATagThatWritesTheEditorVisibilityHidesAndShowsTheObject)
{
	const fs::path scene = folder.path / "blink.json";
	std::ofstream(scene) << R"({ "fps": 30, "from": 0, "to": 90, "objects": [ { "type": "cube", "name": "Box",
		"tags": [ { "type": "pulsor", "name": "Blink", "link": "visible_in_editor",
		"set": [ { "id": 2125, "bool": true }, { "id": 2018, "integer": 0 }, { "id": 2070, "integer": 2 },
		         { "id": 2117, "curve": [[0, 0], [1, 1]] } ] } ] } ] })";
	Start(scene.string());
	for (const int frame : { 0, 45, 90 })
	{
		const json answer = Post("/api/frame", { { "frame", frame } });
		const long long written = answer["values"]["Blink.visible_in_editor"].get<long long>();
		EXPECT_EQ(written, frame / 45) << "frame " << frame;
		EXPECT_EQ(answer["objects"][0]["visible"], written != 1) << "frame " << frame;
	}
}

TEST_F(StudioServerTest, KeysOfLinkedTracksFollowBakeClearUndoAndRedo)
{
	Start(PULSOR_SOURCE_DIR "/scenes/baked.json");
	const json baked = Get("/api/keys")["tracks"];
	ASSERT_EQ(baked.size(), 1u) << baked.dump();
	EXPECT_EQ(baked[0]["name"], "Pendulum.rotation.z");
	EXPECT_EQ(baked[0]["tag"], IdNamed("Pendulum"));
	EXPECT_EQ(baked[0]["frames"].size(), 31u);
	EXPECT_EQ(baked[0]["frames"][30], 30);
	EXPECT_EQ(baked[0]["frames"].size(), baked[0]["values"].size());

	const std::string tag = "/api/elements/" + std::to_string(IdNamed("Pendulum"));
	Post(tag + "/command", { { "id", { PULSOR_CLEAR_KEYS } }, { "answer", true } });
	EXPECT_TRUE(Get("/api/keys")["tracks"].empty());
	Post("/api/undo", json::object());
	EXPECT_EQ(Get("/api/keys")["tracks"], baked);
	Post("/api/redo", json::object());
	EXPECT_TRUE(Get("/api/keys")["tracks"].empty());
}

// Reads an event stream until want events came; their revisions.
std::vector<long long> Events(httplib::Client& client, const std::string& token, size_t want)
{
	std::vector<long long> revisions;
	std::string buffer;
	client.Get(("/api/events?token=" + token).c_str(), [&](const char* data, size_t length) {
		buffer.append(data, length);
		for (size_t end; (end = buffer.find("\n\n")) != std::string::npos;)
		{
			const std::string event = buffer.substr(0, end);
			buffer.erase(0, end + 2);
			const size_t data = event.find("data: ");
			if (event.rfind("event: revision\n", 0) == 0 && data != std::string::npos)
				revisions.push_back(json::parse(event.substr(data + 6))["revision"].get<long long>());
		}
		return revisions.size() < want;
	});
	return revisions;
}

TEST_F(StudioServerTest, EventsTellEveryWindowOfEachChange)
{
	Start(kDemo);
	const long long start = studio->Revision();
	httplib::Client listener("127.0.0.1", server->Port());
	std::vector<long long> seen;
	std::thread listening([&] { seen = Events(listener, server->Token(), 3); });
	const std::string set = "/api/elements/" + std::to_string(IdNamed("Bounce")) + "/set";
	// Each change waits until the stream has told the one before, so that
	// none is folded into the next.
	const auto waitFor = [&](long long revision) {
		while (studio->Revision() < revision)
			std::this_thread::sleep_for(std::chrono::milliseconds(5));
	};
	std::this_thread::sleep_for(std::chrono::milliseconds(50));
	Post(set, { { "id", { PULSOR_STRENGTH } }, { "value", 0.25 } });
	waitFor(start + 1);
	std::this_thread::sleep_for(std::chrono::milliseconds(50));
	Post("/api/undo", json::object());
	listening.join();
	ASSERT_GE(seen.size(), 2u);
	EXPECT_EQ(seen.front(), start);
	EXPECT_EQ(seen.back(), start + 2);
	// A refused change tells nothing: the revision did not move.
	EXPECT_EQ(client->Post("/api/redo", Token(), "{}", "application/json")->status, 200);
	EXPECT_EQ(client->Post("/api/redo", Token(), "{}", "application/json")->status, 409);
	EXPECT_EQ(studio->Revision(), start + 3);

	// The stream wants the token as every other call does.
	httplib::Client stranger("127.0.0.1", server->Port());
	EXPECT_EQ(stranger.Get("/api/events")->status, 401);
	EXPECT_EQ(stranger.Get(("/api/events?token=" + std::string(32, '0')).c_str())->status, 403);
}

TEST_F(StudioServerTest, AStopEndsOpenEventStreams)
{
	Start(kDemo);
	httplib::Client listener("127.0.0.1", server->Port());
	listener.set_read_timeout(120, 0);
	std::vector<long long> seen;
	// More events than will ever come: only the stop ends the stream.
	std::thread listening([&] { seen = Events(listener, server->Token(), 1000); });
	while (seen.empty() && studio->Revision() == 0)
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	std::this_thread::sleep_for(std::chrono::milliseconds(100));
	server->Stop();
	serving.join();
	listening.join();
	EXPECT_LT(seen.size(), 1000u);
}

TEST_F(StudioServerTest, TheGraphAndAQuestionsTrialWriteNoFile)
{
	Start(kDemo);
	// A temporary folder that cannot be: a copy that needed one would fail.
	const fs::path scratch = folder.path / "tmp";
	std::ofstream(scratch) << "a file, not a folder";
	const char* old = std::getenv("TMPDIR");
	const std::string kept = old ? old : "";
	setenv("TMPDIR", scratch.c_str(), 1);
	const std::string tag = "/api/elements/" + std::to_string(IdNamed("Bounce"));
	Get("/api/graph");
	Post(tag + "/set", { { "id", { PULSOR_KEY_SEQUENCE } }, { "value", true } });
	Post(tag + "/set", { { "id", { PULSOR_KEY_TO } }, { "value", { { "seconds", 40.0 } } } });
	EXPECT_TRUE(Post(tag + "/command", { { "id", { PULSOR_CONVERT_TO_KEYS } } }).contains("question"));
	if (old)
		setenv("TMPDIR", kept.c_str(), 1);
	else
		unsetenv("TMPDIR");
	EXPECT_TRUE(fs::is_regular_file(scratch));
}

// ---- Curves ---------------------------------------------------------------------

TEST_F(StudioServerTest, CurvesAreClampedIntoTheSquareOrRefusedWhenTheyCross)
{
	Start(kDemo);
	const long long sway = IdNamed("Sway");
	const std::string set = "/api/elements/" + std::to_string(sway) + "/set";
	const auto curve = [](const json& knots) { return json{ { "id", { PULSOR_TIME_CURVE } }, { "value", { { "knots", knots } } } }; };

	const json clamped = Post(set, curve({ { { "x", -0.5 }, { "y", 0.2 }, { "right", { -0.1, 0.0 } } },
		{ { "x", 0.5 }, { "y", 1.5 } }, { { "x", 1.0 }, { "y", 0.0 }, { "left", { 0.2, 0.1 } } } }));
	EXPECT_TRUE(clamped.contains("clamped")) << clamped.dump();
	const json stored = Value(sway, PULSOR_TIME_CURVE);
	ASSERT_EQ(stored["knots"].size(), 3u);
	EXPECT_EQ(stored["knots"][0]["x"], 0.0);
	EXPECT_EQ(stored["knots"][1]["y"], 1.0);
	EXPECT_EQ(stored["knots"][0]["right"][0], 0.0);
	EXPECT_EQ(stored["knots"][2]["left"][0], 0.0);
	for (const json& p : stored["points"])
		EXPECT_TRUE(p[0].is_number() && p[1].is_number()) << p.dump();
	// A curve inside the square is taken as it is, without a note.
	EXPECT_FALSE(Post(set, curve({ { { "x", 0.0 }, { "y", 0.0 } }, { { "x", 1.0 }, { "y", 1.0 } } })).contains("clamped"));

	const std::string before = studio->Dump();
	const long long revision = studio->Revision();
	const struct
	{
		const char* what;
		json knots;
		int status;
	} bad[] = {
		{ "crossing knots", { { { "x", 0.6 }, { "y", 0.0 } }, { { "x", 0.4 }, { "y", 1.0 } } }, 422 },
		{ "crossing after clamping", { { { "x", 2.0 }, { "y", 0.0 } }, { { "x", 0.9 }, { "y", 1.0 } } }, 422 },
		{ "a NaN knot", { { { "x", "NaN" }, { "y", 0.0 } } }, 400 },
		{ "an infinite tangent", { { { "x", 0.0 }, { "y", 0.0 }, { "right", { "Infinity", 0 } } } }, 400 },
		{ "no knots", json::array(), 400 },
		{ "a knot without y", { { { "x", 0.0 } } }, 400 },
	};
	for (const auto& b : bad)
	{
		auto res = client->Post(set.c_str(), Token(), curve(b.knots).dump(), "application/json");
		ASSERT_TRUE(res);
		EXPECT_EQ(res->status, b.status) << b.what << ": " << res->body;
		EXPECT_TRUE(json::parse(res->body).contains("error")) << b.what;
	}
	EXPECT_EQ(studio->Dump(), before);
	EXPECT_EQ(studio->Revision(), revision);
}

// ---- Presets ----------------------------------------------------------------------

TEST_F(StudioServerTest, PresetsAreSavedListedAndLoadedAsOneUndoStep)
{
	Start(kDemo);
	fs::create_directories(folder.path / "presets");
	const std::string presetFolder = fs::canonical(folder.path / "presets").string();
	const long long bounce = IdNamed("Bounce");
	const std::string tag = "/api/elements/" + std::to_string(bounce);
	// The module's "..." is answered with the folder picked in the studio.
	Post(tag + "/presets/folder", { { "path", presetFolder } });
	json presets = Get(tag + "/presets");
	EXPECT_EQ(presets["folder"], presetFolder);
	EXPECT_TRUE(presets["presets"].empty());

	Post(tag + "/set", { { "id", { PULSOR_STRENGTH } }, { "value", 0.25 } });
	Post(tag + "/presets/save", { { "name", "Quarter" } });
	EXPECT_TRUE(fs::is_regular_file(folder.path / "presets" / "QuarterHF"));
	presets = Get(tag + "/presets");
	ASSERT_EQ(presets["presets"], json::array({ "Quarter" }));

	Post(tag + "/set", { { "id", { PULSOR_STRENGTH } }, { "value", 0.75 } });
	Post(tag + "/presets/refresh", json::object());
	Post(tag + "/presets/load", { { "index", 0 } });
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 0.25);
	Post("/api/undo", json::object());
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 0.75);
	Post("/api/redo", json::object());
	EXPECT_EQ(Value(bounce, PULSOR_STRENGTH), 0.25);

	// The presets that come with the module load as they are.
	Post(tag + "/presets/folder", { { "path", PULSOR_SOURCE_DIR "/res/Presets" } });
	presets = Get(tag + "/presets");
	ASSERT_GE(presets["presets"].size(), 4u) << presets.dump();
	for (size_t i = 0; i < presets["presets"].size(); ++i)
		Post(tag + "/presets/load", { { "index", i } });
	EXPECT_EQ(IdNamed("Bounce"), 0) << "a shipped preset names its tag";
}

TEST_F(StudioServerTest, BadPresetRequestsAreRefusedAndLoseNothing)
{
	Start(kDemo);
	const fs::path presets = folder.path / "presets";
	fs::create_directories(presets);
	const long long bounce = IdNamed("Bounce");
	const std::string tag = "/api/elements/" + std::to_string(bounce);
	Post(tag + "/presets/folder", { { "path", presets.string() } });
	Post(tag + "/presets/save", { { "name", "Good" } });
	std::ofstream(presets / "BrokenHF") << "not a preset";
	fs::create_directories(presets / "BlockedHF");    // a folder where the file would go
	std::ofstream(folder / "a-file") << "x";
	Post(tag + "/presets/refresh", json::object());
	const json listed = Get(tag + "/presets")["presets"];
	const auto indexOf = [&](const std::string& name) {
		return (int)(std::find(listed.begin(), listed.end(), name) - listed.begin());
	};
	ASSERT_LT(indexOf("Broken"), (int)listed.size());
	const std::string goodBefore = [&] {
		std::ifstream in(presets / "GoodHF", std::ios::binary);
		return std::string(std::istreambuf_iterator<char>(in), {});
	}();

	const std::string before = studio->Dump();
	const json presetsBefore = Get(tag + "/presets");
	const long long revision = studio->Revision();
	const struct
	{
		std::string what, path;
		json body;
		int status;
	} bad[] = {
		{ "an unknown tag", "/api/elements/999/presets/save", { { "name", "X" } }, 404 },
		{ "an object", "/api/elements/" + std::to_string(IdNamed("Ball")) + "/presets/save", { { "name", "X" } }, 400 },
		{ "an unknown action", tag + "/presets/erase", json::object(), 404 },
		{ "an empty name", tag + "/presets/save", { { "name", "" } }, 400 },
		{ "a name with a slash", tag + "/presets/save", { { "name", "../Good" } }, 400 },
		{ "a name of dots", tag + "/presets/save", { { "name", ".." } }, 400 },
		{ "a name ending in a dot", tag + "/presets/save", { { "name", "Good." } }, 400 },
		{ "a name with a newline", tag + "/presets/save", { { "name", "Go\nod" } }, 400 },
		{ "a name that is no string", tag + "/presets/save", { { "name", 7 } }, 400 },
		{ "a save the folder in the way stops", tag + "/presets/save", { { "name", "Blocked" } }, 422 },
		{ "a preset that does not read", tag + "/presets/load", { { "index", indexOf("Broken") } }, 422 },
		{ "an index past the list", tag + "/presets/load", { { "index", (int)listed.size() } }, 400 },
		{ "a negative index", tag + "/presets/load", { { "index", -1 } }, 400 },
		{ "a folder with ..", tag + "/presets/folder", { { "path", presets.string() + "/../presets" } }, 400 },
		{ "a file for a folder", tag + "/presets/folder", { { "path", folder / "a-file" } }, 400 },
		{ "a missing folder", tag + "/presets/folder", { { "path", folder / "missing" } }, 400 },
	};
	for (const auto& b : bad)
	{
		auto res = client->Post(b.path.c_str(), Token(), b.body.dump(), "application/json");
		ASSERT_TRUE(res);
		EXPECT_EQ(res->status, b.status) << b.what << ": " << res->body;
		EXPECT_TRUE(json::parse(res->body).contains("error")) << b.what;
	}
	EXPECT_EQ(studio->Dump(), before);
	EXPECT_EQ(Get(tag + "/presets"), presetsBefore);
	EXPECT_EQ(studio->Revision(), revision);
	std::ifstream in(presets / "GoodHF", std::ios::binary);
	EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), goodBefore);
	EXPECT_TRUE(fs::is_directory(presets / "BlockedHF"));
	EXPECT_FALSE(fs::exists(folder.path / "GoodHF"));
}

TEST_F(StudioServerTest, TheFolderPickerListsFoldersOnly)
{
	Start(kDemo);
	fs::create_directories(folder.path / "b");
	fs::create_directories(folder.path / "a");
	fs::create_directories(folder.path / ".hidden");
	std::ofstream(folder / "file.txt") << "x";
	const std::string where = fs::canonical(folder.path).string();
	const json listing = Get("/api/folders?path=" + where);
	EXPECT_EQ(listing["path"], where);
	EXPECT_EQ(listing["parent"], fs::canonical(folder.path).parent_path().string());
	EXPECT_EQ(listing["folders"], json::array({ "a", "b", "web" }));
	EXPECT_TRUE(Get("/api/folders?path=/")["parent"].is_null());
	EXPECT_EQ(Get("/api/folders")["path"], fs::current_path().string());

	for (const std::string& bad : { where + "/../x", where + "/file.txt", where + "/missing" })
	{
		auto res = client->Get(("/api/folders?path=" + bad).c_str(), Token());
		ASSERT_TRUE(res);
		EXPECT_EQ(res->status, 400) << bad << ": " << res->body;
	}
}

TEST(StudioProgram, PrintsOneAddressWithAFreshTokenAndStopsOnTerm)
{
	std::vector<std::string> tokens;
	for (int run = 0; run < 2; ++run)
	{
		const std::string command = std::string("exec \"") + PULSORHOST_FILE + "\" studio \"" + kDemo + "\" & echo $!";
		FILE* out = popen(("sh -c '" + command + "'").c_str(), "r");
		ASSERT_NE(out, nullptr);
		char line[256] = { 0 }, pid[32] = { 0 };
		ASSERT_NE(fgets(pid, sizeof(pid), out), nullptr);
		ASSERT_NE(fgets(line, sizeof(line), out), nullptr);
		// http://127.0.0.1:PORT/?token=TOKEN and the line's end, nothing else.
		const std::string url = line;
		const std::string start = "http://127.0.0.1:";
		const size_t slash = url.find("/?token=", start.size());
		ASSERT_EQ(url.compare(0, start.size(), start), 0) << url;
		ASSERT_NE(slash, std::string::npos) << url;
		const std::string port = url.substr(start.size(), slash - start.size());
		const std::string token = url.substr(slash + 8, url.size() - slash - 9);
		EXPECT_FALSE(port.empty());
		EXPECT_EQ(port.find_first_not_of("0123456789"), std::string::npos) << url;
		EXPECT_EQ(token.size(), 32u) << url;
		EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << url;
		EXPECT_EQ(url.back(), '\n');
		tokens.push_back(token);
		httplib::Client client("127.0.0.1", std::stoi(port));
		auto state = client.Get("/api/state", { { "X-Pulsor-Token", token } });
		ASSERT_TRUE(state);
		EXPECT_EQ(state->status, 200);
		EXPECT_EQ(json::parse(state->body)["objects"][0]["name"], "Ball");
		EXPECT_EQ(std::system(("kill -TERM " + std::string(pid)).c_str()), 0);
		// The program ends, closing its output.
		while (fgets(line, sizeof(line), out))
			;
		pclose(out);
	}
	EXPECT_NE(tokens[0], tokens[1]);
}

} // namespace
