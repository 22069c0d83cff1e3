// The module as the host meets it: a shared library in a plug-ins folder,
// started through c4d_main.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#ifndef _WIN32
#include <dlfcn.h>
#endif

#include "c4d.h"
#include "customgui_descproperty.h"
#include "description_registry.h"
#include "host_services.h"
#include "host_string.h"
#include "plugin_loader.h"
#include "plugin_registry.h"

namespace
{

namespace fs = std::filesystem;

const LONG kPulsorTag = 1031805;

std::vector<std::string>* g_crashes = nullptr;

void TestCrashHandler(CHAR* text)
{
	if (g_crashes)
		g_crashes->push_back(text);
}

// A plug-ins folder with a fresh copy of the module: each copy is a library
// of its own to the system loader, with its own glue state.
class ModuleTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		static int counter = 0;
		root = fs::temp_directory_path() / ("pulsor-module-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
		fs::remove_all(root);
		folder = root / "plugins" / "Pulsor";
		fs::create_directories(folder);
		fs::copy(fs::path(PULSOR_SOURCE_DIR) / "res", folder / "res", fs::copy_options::recursive);
		binary = folder / (std::string("Pulsor") + ModuleSuffix());
		fs::copy_file(PULSOR_MODULE_FILE, binary);
		UnregisterAllPlugins();
		UnregisterDescriptionResources();
		HostSetErrorHandler([this](const std::string& line) { errors.push_back(line); });
	}

	void TearDown() override
	{
		loader.reset();
		HostSetErrorHandler(nullptr);
		*HostCrashHandlerSlot() = nullptr;
		// The loader keeps modules mapped until the process ends, and Windows
		// refuses to delete a mapped file: there the copy of the module stays.
		std::error_code ec;
		fs::remove_all(root, ec);
#ifndef _WIN32
		EXPECT_FALSE(ec) << ec.message();
#endif
	}

	PluginLoader& Loader()
	{
		if (!loader)
			loader.reset(new PluginLoader);
		return *loader;
	}

	void Write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::trunc) << text; }

	bool Reported(const std::string& text) const
	{
		for (const std::string& line : errors)
			if (line.find(text) != std::string::npos)
				return true;
		return false;
	}

	fs::path root;
	fs::path folder;
	fs::path binary;
	std::unique_ptr<PluginLoader> loader;
	std::vector<std::string> errors;
};

TEST_F(ModuleTest, LoadsRegistersAndAnimatesAParameter)
{
	ASSERT_EQ(Loader().LoadFolder((root / "plugins").string()), 1) << (errors.empty() ? "" : errors.front());
	TagPluginInfo info;
	ASSERT_TRUE(FindTagPlugin(kPulsorTag, &info));
	EXPECT_EQ(info.name, String("Pulsor"));
	EXPECT_EQ(info.info, 11);
	EXPECT_EQ(info.description, String("Pulsor"));
	EXPECT_EQ(info.disklevel, 0);

	// The registered description resource is the static part of the page.
	Description* page = Description::Alloc();
	ASSERT_TRUE(page->LoadDescription(kPulsorTag));
	BaseContainer temp;
	const BaseContainer* priority = page->GetParameter(DescID(EXPRESSION_PRIORITY), temp, nullptr);
	ASSERT_NE(priority, nullptr);
	EXPECT_EQ(priority->GetString(DESC_NAME), String("Priority"));
	EXPECT_FALSE(page->LoadDescription(424242));
	Description::Free(page);

	BaseDocument* doc = BaseDocument::Alloc();
	HostSetActiveDocument(doc);
	BaseObject* cube = BaseObject::Alloc(Ocube);
	doc->InsertObject(cube);
	BaseTag* tag = BaseTag::Alloc(kPulsorTag);
	ASSERT_NE(tag, nullptr);
	cube->InsertTag(tag);
	// The module's own folder: the new tag lists presets from there.
	EXPECT_EQ(tag->GetDataInstance()->GetString(5004), HostString((folder / "res" / "Presets").string()));

	// Link position Y by dropping its label, the mouse released.
	AutoAlloc<AtomArray> elements;
	elements->Append(cube);
	DescPropertyDragData payload = { elements, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0)) };
	DragAndDrop drop = { doc, 0, DRAGTYPE_DESCID, &payload, 0 };
	HostSetMouseButton(false);
	EXPECT_TRUE(tag->Message(MSG_DRAGANDDROP, &drop));
	EXPECT_EQ(tag->GetName(), String("Position Y"));

	// "End" 100 with a constant time curve: the base value holds 100 from frame 0 on.
	tag->GetDataInstance()->SetReal(2068, 100.0);
	doc->SetTime(BaseTime(15.0, 30.0));
	doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	EXPECT_DOUBLE_EQ(cube->GetRelPos().y, 100.0);
	HostSetActiveDocument(nullptr);
	BaseDocument::Free(doc);
}

TEST_F(ModuleTest, WithoutItsIconTheModuleLoadsButDoesNotStart)
{
	fs::remove(folder / "res" / "X.tif");
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 0);
	ASSERT_EQ(Loader().Modules().size(), 1u);
	EXPECT_FALSE(Loader().Modules()[0].started);
	EXPECT_EQ(Loader().Modules()[0].problem, "did not start");
	EXPECT_FALSE(FindTagPlugin(kPulsorTag, nullptr));
}

// A module that took the host's tables and then failed is ended, which hands
// back what it hooked into the host, and unloaded; repaired, it loads anew.
TEST_F(ModuleTest, AModuleThatFailsAfterTakingTheHostIsEndedUnloadedAndLoadsAgain)
{
	const fs::path strings = folder / "res" / "strings_us" / "c4d_strings.str";
	const fs::path icon = folder / "res" / "X.tif";
	const struct
	{
		const char* problem;
		fs::path file;
	} failures[] = { { "could not load its resources", strings }, { "did not start", icon } };
	for (const auto& failure : failures)
	{
		SCOPED_TRACE(failure.problem);
		loader.reset();
		// A library of its own: the one of the earlier round stays mapped.
		const fs::path module = folder / (std::string("Pulsor-") + failure.file.filename().string() + ModuleSuffix());
		fs::copy_file(binary, module);
		*HostCrashHandlerSlot() = TestCrashHandler;
		const fs::path aside = root / failure.file.filename();
		fs::rename(failure.file, aside);
		if (failure.file == strings)
			Write(strings, "STRINGTABLE {\n");

		EXPECT_FALSE(Loader().LoadModule(folder.string(), module.string()));
		ASSERT_EQ(Loader().Modules().size(), 1u);
		EXPECT_EQ(Loader().Modules()[0].problem, failure.problem);
		EXPECT_EQ(Loader().Modules()[0].handle, nullptr);
		EXPECT_EQ(Loader().Modules()[0].main, nullptr);
		EXPECT_EQ(*HostCrashHandlerSlot(), TestCrashHandler);
#ifndef _WIN32
		EXPECT_EQ(dlopen(module.string().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
#endif

		fs::rename(aside, failure.file);
		EXPECT_TRUE(Loader().LoadModule(folder.string(), module.string()));
		EXPECT_TRUE(Loader().Modules().back().started);
		EXPECT_TRUE(FindTagPlugin(kPulsorTag, nullptr));
		EXPECT_NE(*HostCrashHandlerSlot(), TestCrashHandler);
		Loader().EndAll();
		EXPECT_EQ(*HostCrashHandlerSlot(), TestCrashHandler);
		UnregisterAllPlugins();
		UnregisterDescriptionResources();
	}
}

// The types a module registered before it gave up go with its library; the
// types other modules registered stay.
TEST_F(ModuleTest, WhatAFailedModuleRegisteredGoesWithIt)
{
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 1);
	ASSERT_TRUE(FindTagPlugin(kPulsorTag, nullptr));

	const fs::path other = root / "plugins" / "GivesUp";
	fs::create_directories(other);
	fs::copy(fs::path(PULSOR_SOURCE_DIR) / "res", other / "res", fs::copy_options::recursive);
	const fs::path module = other / (std::string("GivesUp") + ModuleSuffix());
	fs::copy_file(GIVES_UP_MODULE_FILE, module);
	EXPECT_FALSE(Loader().LoadModule(other.string(), module.string()));
	EXPECT_EQ(Loader().Modules().back().problem, "did not start");
	EXPECT_FALSE(FindTagPlugin(GIVES_UP_TAG_ID, nullptr));
	EXPECT_TRUE(FindTagPlugin(kPulsorTag, nullptr));
	BaseTag* tag = BaseTag::Alloc(GIVES_UP_TAG_ID);
	EXPECT_EQ(tag, nullptr);
	BaseTag::Free(tag);
}

TEST_F(ModuleTest, AnEmptyNameStartsWithoutRegisteringTheTag)
{
	Write(folder / "res" / "strings_us" / "c4d_strings.str", "STRINGTABLE { IDS_PULSOR \"\"; }\n");
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 1);
	EXPECT_FALSE(FindTagPlugin(kPulsorTag, nullptr));
}

TEST_F(ModuleTest, AMalformedResourceIsRefusedWithItsFileAndLine)
{
	Write(folder / "res" / "strings_us" / "c4d_strings.str", "STRINGTABLE\n{\n\tIDS_PULSOR \"Pulsor\"\n}\n");
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 0);
	EXPECT_EQ(Loader().Modules()[0].problem, "could not load its resources");
	EXPECT_TRUE(Reported("strings_us/c4d_strings.str:4: expected ';', found '}'"));
	EXPECT_FALSE(FindTagPlugin(kPulsorTag, nullptr));
}

TEST_F(ModuleTest, AnUnknownSymbolAndAnUnknownBaseDescriptionAreRefused)
{
	Write(folder / "res" / "strings_us" / "c4d_strings.str", "STRINGTABLE { IDS_NOTHING \"x\"; }\n");
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 0);
	EXPECT_TRUE(Reported("c4d_strings.str:1: unknown symbol IDS_NOTHING"));

	errors.clear();
	loader.reset();
	fs::copy_file(fs::path(PULSOR_SOURCE_DIR) / "res" / "strings_us" / "c4d_strings.str",
		folder / "res" / "strings_us" / "c4d_strings.str", fs::copy_options::overwrite_existing);
	Write(folder / "res" / "description" / "Pulsor.res", "CONTAINER Pulsor { INCLUDE Tnothing; }\n");
	fs::rename(binary, folder / ("Pulsor2" + std::string(ModuleSuffix())));
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 0);
	EXPECT_TRUE(Reported("Pulsor.res:1: unknown description Tnothing"));
}

TEST_F(ModuleTest, TheEntryAnswersEachActionAsAgreed)
{
	PluginLoader& l = Loader();
	ASSERT_TRUE(l.LoadModule(folder.string(), binary.string()));
	LONG (*main)(LONG, void*, void*, void*) = l.Modules()[0].main;
	EXPECT_EQ(main(C4DPL_INIT_VERSION, nullptr, nullptr, nullptr), 5);
	EXPECT_EQ(main(77, nullptr, nullptr, nullptr), -1);
	EXPECT_EQ(main(C4DPL_MESSAGE, (void*)(intptr_t)C4DMSG_PRIORITY, nullptr, nullptr), 1);
	// The menu hook runs but the message answers false.
	EXPECT_EQ(main(C4DPL_MESSAGE, (void*)(intptr_t)C4DPL_BUILDMENU, nullptr, nullptr), -1);
	EXPECT_EQ(main(C4DPL_MESSAGE, (void*)(intptr_t)424242, nullptr, nullptr), -1);

	// A second action 1 neither rebinds nor stores: its tables and folder are
	// ignored, and resources still come from the first folder.
	C4D_HostTables old = { 1, nullptr };
	EXPECT_EQ(main(C4DPL_INIT_SYS, &old, nullptr, (void*)"/nowhere"), 1);
	EXPECT_EQ(main(C4DPL_MESSAGE, (void*)(intptr_t)C4DPL_INIT_SYS, nullptr, nullptr), 1);
	// Balances the extra action 1; the loader's own end balances the first.
	EXPECT_EQ(main(C4DPL_END, nullptr, nullptr, nullptr), 1);
}

TEST_F(ModuleTest, AnOldHostIsRefused)
{
	Loader().Tables().version = 13999;
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 0);
	EXPECT_EQ(Loader().Modules()[0].problem, "refused the host (answer -3)");
	EXPECT_FALSE(FindTagPlugin(kPulsorTag, nullptr));
}

TEST_F(ModuleTest, CrashHandlersChainToTheHostsHandler)
{
	std::vector<std::string> crashes;
	g_crashes = &crashes;
	*HostCrashHandlerSlot() = TestCrashHandler;
	ASSERT_EQ(Loader().LoadFolder((root / "plugins").string()), 1);
	EXPECT_NE(*HostCrashHandlerSlot(), TestCrashHandler);
	HostCrash("stack overflow");
	EXPECT_EQ(crashes, std::vector<std::string>{ "stack overflow" });
	g_crashes = nullptr;
}

TEST_F(ModuleTest, AModuleStartedTwiceStillChainsOnceToTheHostsHandler)
{
	*HostCrashHandlerSlot() = TestCrashHandler;
	ASSERT_EQ(Loader().LoadFolder((root / "plugins").string()), 1);
	const LoadedModule& module = Loader().Modules()[0];
	module.main(C4DPL_INIT, nullptr, nullptr, nullptr);
	// A handler that calls itself never returns (or overflows the stack), so
	// the crash runs in a child process with a watchdog.
	EXPECT_EXIT(
		{
#ifndef _WIN32
			alarm(10);
#endif
			std::vector<std::string> crashes;
			g_crashes = &crashes;
			HostCrash("stack overflow");
			std::exit(crashes == std::vector<std::string>{ "stack overflow" } ? 0 : 3);
		},
		::testing::ExitedWithCode(0), "");

	// Ended, the module hands the slot back to the host's handler.
	Loader().EndAll();
	EXPECT_EQ(*HostCrashHandlerSlot(), TestCrashHandler);
}

TEST_F(ModuleTest, AFolderWithoutModulesStartsNothing)
{
	fs::remove(binary);
	EXPECT_EQ(Loader().LoadFolder((root / "plugins").string()), 0);
	EXPECT_TRUE(Loader().Modules().empty());
	EXPECT_EQ(Loader().LoadFolder((root / "missing").string()), 0);
	ASSERT_FALSE(errors.empty());
}

} // namespace
