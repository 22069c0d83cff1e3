// pulsorhost: the host without a screen. It loads the modules of a plug-ins
// folder through their c4d_main, as the host does, and drives Pulsor tags
// in scenes through the tags' own messages.
//
//   pulsorhost run SCENE [--from F] [--to T] [--step S] [--entries ID,...] [--csv FILE] [--svg FILE]
//   pulsorhost describe SCENE --tag NAME
//   pulsorhost bake SCENE --tag NAME [--yes] [--csv FILE]
//   pulsorhost dump SCENE --tag NAME
//   pulsorhost preset list|show|save|load ...
//   pulsorhost save SCENE OUT
//   pulsorhost catalogue
//   pulsorhost studio SCENE [--port N] [--web DIR]
//
// Exit codes: 0 done, 1 the host could not start the module, 2 bad input
// (a file, a scene, an argument), reported as one line on standard error.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>

#ifdef PULSORHOST_STUDIO
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "studio_server.h"
#endif

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "c4d.h"
#include "container_printer.h"
#include "host_services.h"
#include "host_string.h"
#include "output.h"
#include "page_printer.h"
#include "parameter_paths.h"
#include "platform.h"
#include "plot.h"
#include "plugin_loader.h"
#include "plugin_registry.h"
#include "pulsor_ids.h"
#include "recorder.h"
#include "scene.h"
#include "scene_file.h"
#include "tag_edits.h"
#include "tag_link.h"

#ifndef PULSORHOST_PLUGINS
#define PULSORHOST_PLUGINS "plugins"
#endif

namespace fs = std::filesystem;

namespace
{

const char* const kProgram = "pulsorhost";

// A failure of the host itself, not of the input: exit code 1.
struct HostFailure
{
	std::string problem;
};

fs::path ExecutableFolder(const char* argv0)
{
	const std::string self = platform::ProgramFile();
	if (!self.empty())
		return fs::u8path(self).parent_path();
	std::error_code ec;
	return fs::absolute(fs::u8path(argv0), ec).parent_path();
}

// The plug-ins folder beside the program, else the build's.
std::string DefaultPlugins(const char* argv0)
{
	const fs::path beside = ExecutableFolder(argv0) / "plugins";
	std::error_code ec;
	if (fs::is_directory(beside, ec))
		return beside.u8string();
	return PULSORHOST_PLUGINS;
}

// The loaded modules, for as long as documents with their tags live: a
// session is made before, and so ended after, every document.
class HostSession
{
public:
	explicit HostSession(const std::string& plugins)
	{
		HostSetErrorHandler([](const std::string& line) { std::cerr << kProgram << ": " << line << "\n"; });
		std::error_code ec;
		if (!fs::is_directory(fs::u8path(plugins), ec))
			throw HostFailure{ "no plug-ins folder " + plugins };
		loader_.LoadFolder(plugins);
		if (!FindTagPlugin(PULSOR_TAG_ID, nullptr))
			throw HostFailure{ "the Pulsor module did not load from " + plugins };
	}
	~HostSession()
	{
		HostSetActiveDocument(nullptr);
		loader_.EndAll();
		HostSetErrorHandler(nullptr);
	}

private:
	PluginLoader loader_;
};

// ---- Output -------------------------------------------------------------------

// Refused before any work: an output over one of the inputs would destroy
// it, and two outputs over one file would leave only one of them.
void CheckOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs)
{
	std::string problem;
	const std::string clash = OutputInTheWay(outputs, inputs, &problem);
	if (!clash.empty())
		throw InputError{ clash, "", problem };
}

// All of a command's outputs, or none.
void WriteOut(const std::vector<Output>& outputs)
{
	std::string failed, problem;
	if (!WriteOutputs(outputs, &failed, &problem))
		throw InputError{ failed, "", problem };
}

// ---- Commands -----------------------------------------------------------------

struct RunArgs
{
	std::string scene;
	double from = 0.0, to = 0.0, step = 1.0;
	bool hasFrom = false, hasTo = false, hasStep = false;
	std::vector<LONG> entries;
	std::string csv, svg;
	bool quiet = false;
};

void Run(const RunArgs& a)
{
	std::vector<std::string> paths;
	for (const std::string& path : { a.csv, a.svg })
		if (!path.empty())
			paths.push_back(path);
	CheckOutputs(paths, { a.scene });
	Scene scene = LoadScene(a.scene);
	RunRange range;
	range.from = a.hasFrom ? a.from : scene.from;
	range.to = a.hasTo ? a.to : scene.to;
	range.step = a.step;
	range.file = scene.file;
	range.fromGiven = a.hasFrom;
	range.toGiven = a.hasTo;
	range.stepGiven = a.hasStep;
	const std::vector<double> evaluated = FramesOf(range);
	CheckWork(scene, (double)evaluated.size(), "a run");
	const Recording rec = RecordScene(scene, evaluated, a.entries);
	// A table on standard output would spoil a CSV or SVG written there.
	if (!a.quiet && std::find(paths.begin(), paths.end(), "-") == paths.end())
		std::cout << ToText(rec.table);
	std::vector<Output> outputs;
	if (!a.csv.empty())
		outputs.push_back(Output{ a.csv, ToCsv(rec.table) });
	if (a.svg.empty())
	{
		WriteOut(outputs);
		return;
	}
	std::vector<double> frames;
	for (const std::vector<double>& row : rec.table.rows)
		frames.push_back(row[0]);
	std::vector<PlotSeries> series;
	for (size_t c = 2; c < 2 + rec.linkedColumns; ++c)
	{
		PlotSeries s{ rec.table.columns[c], {} };
		for (const std::vector<double>& row : rec.table.rows)
			s.values.push_back(row[c]);
		series.push_back(s);
	}
	PlotOptions options;
	options.title = fs::u8path(a.scene).stem().u8string();
	outputs.push_back(Output{ a.svg, PlotSvg(frames, series, options) });
	WriteOut(outputs);
}

// Progress of a bake: a bar on a terminal, else a line per tenth.
void ShowProgress(LONG percent)
{
	static LONG lastTenth = -1;
	const bool terminal = isatty(fileno(stderr)) != 0;
	if (percent < 0)
	{
		if (terminal)
			std::cerr << "\n";
		lastTenth = -1;
		return;
	}
	percent = percent > 100 ? 100 : percent;
	if (terminal)
	{
		std::cerr << "\rbaking [" << std::string((size_t)(percent / 5), '#') << std::string((size_t)(20 - percent / 5), ' ')
				  << "] " << percent << "%" << std::flush;
		return;
	}
	if (percent / 10 == lastTenth)
		return;
	lastTenth = percent / 10;
	std::cerr << "baking " << lastTenth * 10 << "%\n";
}

// Why a tag that was not declined did not bake, from its entries: with its
// element in the scene, only the length of the range stops it.
std::string BakeRefusal(BaseTag* tag, BaseDocument* doc)
{
	if (!LinkedElementOf(tag, doc))
		return "nothing was baked: the element the tag links is not in the scene";
	const BaseContainer* data = tag->GetDataInstance();
	const Real fps = (Real)doc->GetFps();
	const bool sequence = data->GetLong(PULSOR_KEY_SEQUENCE, 0) == 1;
	const BaseContainer settings = doc->GetData(DOCUMENTSETTINGS_GENERAL);
	const BaseTime from = sequence ? data->GetTime(PULSOR_KEY_FROM) : settings.GetTime(DOCUMENT_MINTIME);
	const BaseTime to = sequence ? data->GetTime(PULSOR_KEY_TO) : settings.GetTime(DOCUMENT_MAXTIME);
	const long long frames = (long long)to.GetFrame(fps) - from.GetFrame(fps) + 1;
	return "nothing was baked: the tag refused its range of " + std::to_string(frames) + " frames, more than it bakes";
}

void Bake(const std::string& path, const std::string& name, bool yes, const std::string& csv)
{
	// Without --csv the keys go to standard output.
	const std::string out = csv.empty() ? "-" : csv;
	CheckOutputs({ out }, { path });
	Scene scene = LoadScene(path);
	BaseTag* tag = FindPulsorTag(scene, name);
	CheckWork(scene, BakeFrames(scene.doc.get(), tag), "a bake");
	bool declined = false;
	HostSetQuestionHandler([yes, &declined](const String& text) {
		std::cerr << text.GetStdString() << (yes ? " yes\n" : " no (--yes answers yes)\n");
		declined = !yes;
		return yes;
	});
	HostSetStatusHandler(ShowProgress);
	PressButton(tag, PULSOR_CONVERT_TO_KEYS);
	HostSetStatusHandler(nullptr);
	HostSetQuestionHandler(nullptr);
	// The tag refuses a bake without a word; its baked mark tells.
	if (!declined && !tag->GetDataInstance()->GetBool(PULSOR_HAS_KEYS, FALSE))
		throw InputError{ path, "tag \"" + name + "\"", BakeRefusal(tag, scene.doc.get()) };
	WriteOut({ Output{ out, ToCsv(BakedKeys(scene, tag)) } });
}

void Describe(const std::string& path, const std::string& name)
{
	Scene scene = LoadScene(path);
	std::cout << PrintPage(FindPulsorTag(scene, name));
}

void Dump(const std::string& path, const std::string& name)
{
	Scene scene = LoadScene(path);
	BaseTag* tag = FindPulsorTag(scene, name);
	std::cout << "Pulsor tag \"" << name << "\"\n";
	PrintContainer(std::cout, *tag->GetDataInstance());
}

void Save(const std::string& path, const std::string& out)
{
	CheckOutputs({ out }, { path });
	Scene scene = LoadScene(path);
	std::string problem;
	if (!SaveDocument(*scene.doc, Filename(HostString(out)), &problem))
		throw InputError{ out, "", problem };
}

// ---- Presets --------------------------------------------------------------------

// The folder a preset command works in: --folder, else the tag's.
void UseFolder(BaseTag* tag, const std::string& folder)
{
	if (folder.empty())
		return;
	tag->SetParameter(DescID(PULSOR_PRESET_FOLDER), GeData(HostString(folder)), DESCFLAGS_SET_0);
	PressButton(tag, PULSOR_PRESET_REFRESH);
}

// A tag in a document of its own, for preset commands without a scene.
struct LoneTag
{
	DocumentPtr doc{ BaseDocument::Alloc() };
	BaseTag* tag = nullptr;
	LoneTag()
	{
		HostSetUndoLimit(doc.get(), 0);
		BaseObject* op = BaseObject::Alloc(Onull);
		doc->InsertObject(op);
		tag = BaseTag::Alloc(PULSOR_TAG_ID);
		op->InsertTag(tag);
	}
};

void PresetList(const std::string& folder)
{
	LoneTag lone;
	UseFolder(lone.tag, folder);
	std::cout << "# " << lone.tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER).GetStdString() << "\n";
	for (const std::string& name : PresetNames(lone.tag))
		std::cout << name << "\n";
}

void PresetShow(const std::string& nameOrFile, const std::string& folder)
{
	std::error_code ec;
	std::string file = nameOrFile;
	if (!fs::is_regular_file(fs::u8path(file), ec))
	{
		LoneTag lone;
		UseFolder(lone.tag, folder);
		const Filename dir(lone.tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER));
		file = (fs::u8path(dir.GetString().GetStdString()) / fs::u8path(nameOrFile + PULSOR_PRESET_SUFFIX)).u8string();
		if (!fs::is_regular_file(fs::u8path(file), ec))
			throw InputError{ nameOrFile, "", "no such preset or file" };
	}
	AutoAlloc<HyperFile> hf;
	BaseContainer preset;
	HyperFileClearLastProblem();
	const bool read = hf && hf->Open(PULSOR_PRESET_IDENT, Filename(HostString(file)), FILEOPEN_READ, FILEDIALOG_IGNOREOPEN)
		&& hf->ReadContainer(&preset, TRUE);
	if (hf)
		hf->Close();
	if (!read)
		throw InputError{ file, "", "not a preset file: " + HyperFileLastProblem() };
	std::cout << "Preset \"" << fs::u8path(file).filename().u8string() << "\"\n";
	PrintContainer(std::cout, preset);
}

void PresetSave(const std::string& path, const std::string& tagName, const std::string& name, const std::string& folder)
{
	Scene scene = LoadScene(path);
	BaseTag* tag = FindPulsorTag(scene, tagName);
	// A scene is data: the folder it names is no output of the command line.
	if (folder.empty() && tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER).GetStdString()
		!= LoneTag().tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER).GetStdString())
		throw InputError{ path, "tag \"" + tagName + "\"", "the scene names a preset folder of its own; give the folder to save into with --folder" };
	// Saving into a new folder makes it, as a file dialog would.
	std::error_code ec;
	if (!folder.empty())
		fs::create_directories(fs::u8path(folder), ec);
	UseFolder(tag, folder);
	const std::string presetFolder = tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER).GetStdString();
	CheckOutputs({ (fs::u8path(presetFolder) / fs::u8path(name + PULSOR_PRESET_SUFFIX)).u8string() }, { path });
	tag->SetParameter(DescID(PULSOR_PRESET_NAME), GeData(HostString(name)), DESCFLAGS_SET_0);
	// The module only sees that its file failed; the host's file layer
	// knows why.
	HyperFileClearLastProblem();
	PressButton(tag, PULSOR_PRESET_SAVE);
	std::string file;
	const std::string cause = HyperFileLastProblem(&file);
	if (!cause.empty())
		throw InputError{ file, "", "the preset was not saved: " + cause };
	const std::vector<std::string> names = PresetNames(tag);
	if (std::find(names.begin(), names.end(), name) == names.end())
		throw InputError{ name, "", "the preset was not saved: the Pulsor tag refused the name and wrote no file" };
	std::cout << "saved \"" << name << "\" in " << tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER).GetStdString() << "\n";
}

void PresetLoad(const std::string& path, const std::string& tagName, const std::string& name, const std::string& folder,
	const std::string& out)
{
	if (!out.empty())
		CheckOutputs({ out }, { path });
	Scene scene = LoadScene(path);
	BaseTag* tag = FindPulsorTag(scene, tagName);
	UseFolder(tag, folder);
	HyperFileClearLastProblem();
	if (!LoadPreset(tag, name))
		throw InputError{ name, "", "no such preset in " + tag->GetDataInstance()->GetString(PULSOR_PRESET_FOLDER).GetStdString() };
	std::string file;
	const std::string cause = HyperFileLastProblem(&file);
	if (!cause.empty())
		throw InputError{ file, "", "the preset was not loaded: " + cause };
	if (out.empty())
	{
		std::cout << "Pulsor tag \"" << tag->GetName().GetStdString() << "\"\n";
		PrintContainer(std::cout, *tag->GetDataInstance());
		return;
	}
	std::string problem;
	if (!SaveDocument(*scene.doc, Filename(HostString(out)), &problem))
		throw InputError{ out, "", problem };
}

// ---- The studio --------------------------------------------------------------------

#ifdef PULSORHOST_STUDIO

std::atomic<bool> g_stopStudio{ false };

extern "C" void StopStudio(int)
{
	g_stopStudio = true;
}

// The front end's built files beside the build's program (build/web/dist
// for build/host/cli/pulsorhost), else where the build put them.
std::string DefaultWeb(const char* argv0)
{
	const fs::path beside = ExecutableFolder(argv0).parent_path().parent_path() / "web" / "dist";
	std::error_code ec;
	if (fs::is_directory(beside, ec))
		return beside.u8string();
	return PULSORHOST_WEB;
}

void RunStudio(const std::string& path, int port, const std::string& web, const char* argv0)
{
	Studio studio(LoadScene(path));
	StudioServerOptions options;
	options.webFolder = web.empty() ? DefaultWeb(argv0) : web;
	options.helpFolder = PULSORHOST_HELP;
	// The API works without the pages; say why the browser would find none.
	std::error_code ec;
	if (!fs::is_regular_file(fs::u8path(options.webFolder) / "index.html", ec))
		std::cerr << kProgram << ": no front end in " << options.webFolder
				  << " (configure with -DPULSOR_WEB=ON and build, or give --web DIR)\n";
	StudioServer server(studio, options);
	if (!server.Bind(port))
		throw InputError{ kProgram, "--port", "cannot listen on 127.0.0.1:" + std::to_string(port) };
	std::cout << server.Url() << std::endl;
	// A signal only raises a flag: stopping the server is no work for a
	// signal handler.
	std::signal(SIGINT, StopStudio);
	std::signal(SIGTERM, StopStudio);
	std::atomic<bool> served{ false };
	std::thread watcher([&server, &served] {
		while (!g_stopStudio)
			std::this_thread::sleep_for(std::chrono::milliseconds(100));
		// A stop that comes before the server listens is lost: again until
		// it has ended.
		while (!served)
		{
			server.Stop();
			std::this_thread::sleep_for(std::chrono::milliseconds(10));
		}
	});
	const bool ok = server.Serve();
	served = true;
	g_stopStudio = true;
	watcher.join();
	if (!ok)
		throw HostFailure{ "the studio's server stopped" };
}

#endif

} // namespace

int main(int argc, char** argv)
{
	CLI::App app{ "pulsorhost: runs scenes with Pulsor tags through the Pulsor module, without a screen." };
	app.require_subcommand(1);
	// Paths start with "/" on POSIX systems; they are never Windows options.
	app.allow_windows_style_options(false);
	std::string plugins = DefaultPlugins(argc > 0 ? argv[0] : kProgram);
	app.add_option("--plugins", plugins, "The plug-ins folder to load modules from")->capture_default_str();

	RunArgs run;
	CLI::App* runCmd = app.add_subcommand("run", "Evaluate the scene's frames; print a table, write CSV and SVG");
	runCmd->add_option("scene", run.scene, "A JSON scene, or a scene that `save` wrote")->required();
	runCmd->add_option("--from", run.from, "The first frame (default: the scene's)");
	runCmd->add_option("--to", run.to, "The last frame (default: the scene's)");
	runCmd->add_option("--step", run.step, "Frames between evaluations, fractional allowed")->capture_default_str();
	runCmd->add_option("--entries", run.entries, "Tag entries to record, by id: 2292,2190")->delimiter(',');
	runCmd->add_option("--csv", run.csv, "Write the table as CSV (- for standard output)");
	runCmd->add_option("--svg", run.svg, "Write a plot of the linked values as SVG (- for standard output)");
	runCmd->add_flag("--quiet,-q", run.quiet, "Do not print the table");

	std::string scene, tag, csv, out, name, folder, nameOrFile;
	bool yes = false;
	CLI::App* describeCmd = app.add_subcommand("describe", "Print a tag's page, with what is greyed out");
	CLI::App* bakeCmd = app.add_subcommand("bake", "Press \"Convert To Keyframes\"; write the keys as CSV");
	CLI::App* dumpCmd = app.add_subcommand("dump", "Print a tag's container");
	for (CLI::App* cmd : { describeCmd, bakeCmd, dumpCmd })
	{
		cmd->add_option("scene", scene, "A JSON scene, or a scene that `save` wrote")->required();
		cmd->add_option("--tag", tag, "The Pulsor tag's name")->required();
	}
	bakeCmd->add_flag("--yes,-y", yes, "Answer yes to the question before long bakes");
	bakeCmd->add_option("--csv", csv, "Write the keys to this file (default, or -: standard output)");

	CLI::App* saveCmd = app.add_subcommand("save", "Write the scene in the host's scene file format");
	saveCmd->add_option("scene", scene, "A JSON scene, or a scene that `save` wrote")->required();
	saveCmd->add_option("out", out, "The scene file to write")->required();

	CLI::App* presetCmd = app.add_subcommand("preset", "List, show, save and load presets");
	presetCmd->require_subcommand(1);
	CLI::App* presetList = presetCmd->add_subcommand("list", "List the presets of a folder");
	CLI::App* presetShow = presetCmd->add_subcommand("show", "Print a preset's container");
	presetShow->add_option("preset", nameOrFile, "A preset name, or a preset file")->required();
	CLI::App* presetSave = presetCmd->add_subcommand("save", "Save a tag's settings as a preset");
	CLI::App* presetLoad = presetCmd->add_subcommand("load", "Load a preset into a tag; print it or save the scene");
	for (CLI::App* cmd : { presetSave, presetLoad })
	{
		cmd->add_option("scene", scene, "A JSON scene, or a scene that `save` wrote")->required();
		cmd->add_option("--tag", tag, "The Pulsor tag's name")->required();
		cmd->add_option("--name", name, "The preset's name")->required();
	}
	presetLoad->add_option("--out", out, "Save the scene with the loaded preset here instead of printing the tag");
	for (CLI::App* cmd : { presetList, presetShow, presetSave, presetLoad })
		cmd->add_option("--folder", folder, "The preset folder (default: the module's res/Presets)");

	CLI::App* catalogueCmd = app.add_subcommand("catalogue", "List the host's element types and their parameters");

#ifdef PULSORHOST_STUDIO
	int port = 0;
	std::string web;
	CLI::App* studioCmd = app.add_subcommand("studio", "Work on the scene in a browser; prints the address to open");
	studioCmd->add_option("scene", scene, "A JSON scene, or a scene that `save` wrote")->required();
	studioCmd->add_option("--port", port, "The port on 127.0.0.1 (default: a free one)")->check(CLI::Range(0, 65535));
	studioCmd->add_option("--web", web, "The front end's built files (default: web/dist of the build)");
#endif

	try
	{
		app.parse(argc, argv);
	}
	catch (const CLI::CallForHelp& e)
	{
		return app.exit(e);
	}
	catch (const CLI::CallForAllHelp& e)
	{
		return app.exit(e);
	}
	catch (const CLI::ParseError& e)
	{
		std::cerr << kProgram << ": " << e.what() << "\n";
		return 2;
	}
	run.hasFrom = runCmd->get_option("--from")->count() > 0;
	run.hasTo = runCmd->get_option("--to")->count() > 0;
	run.hasStep = runCmd->get_option("--step")->count() > 0;

	try
	{
		if (catalogueCmd->parsed())
		{
			for (const std::string& line : CatalogueLines())
				std::cout << line << "\n";
			return 0;
		}
		HostSession session(plugins);
		if (runCmd->parsed())
			Run(run);
		else if (describeCmd->parsed())
			Describe(scene, tag);
		else if (bakeCmd->parsed())
			Bake(scene, tag, yes, csv);
		else if (dumpCmd->parsed())
			Dump(scene, tag);
		else if (saveCmd->parsed())
			Save(scene, out);
		else if (presetList->parsed())
			PresetList(folder);
		else if (presetShow->parsed())
			PresetShow(nameOrFile, folder);
		else if (presetSave->parsed())
			PresetSave(scene, tag, name, folder);
		else if (presetLoad->parsed())
			PresetLoad(scene, tag, name, folder, out);
#ifdef PULSORHOST_STUDIO
		else if (studioCmd->parsed())
			RunStudio(scene, port, web, argc > 0 ? argv[0] : kProgram);
#endif
	}
	catch (const InputError& e)
	{
		std::cerr << e.Line() << "\n";
		return 2;
	}
	catch (const HostFailure& e)
	{
		std::cerr << kProgram << ": " << e.problem << "\n";
		return 1;
	}
	return 0;
}
