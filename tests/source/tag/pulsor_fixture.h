// Shared helpers of the tag tests: a fresh Pulsor tag made through the host,
// and a scratch folder on disk.
#ifndef PULSOR_FIXTURE_H__
#define PULSOR_FIXTURE_H__

#include "linked_pulsor.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "host_services.h"
#include "ids_fixture.h"
#include "pulsor.h"
#include "tab_list.h"

namespace pulsor_test
{

// A new folder under the system's temp folder, removed with its contents.
class TempFolder
{
public:
	TempFolder()
	{
		std::random_device rd;
		for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt)
		{
			const auto p = std::filesystem::temp_directory_path() / ("pulsor_test_" + std::to_string(rd()));
			if (std::filesystem::create_directory(p))
				path_ = p;
		}
	}
	~TempFolder()
	{
		std::error_code ec;
		if (!path_.empty())
			std::filesystem::remove_all(path_, ec);
	}
	TempFolder(const TempFolder&) = delete;
	TempFolder& operator=(const TempFolder&) = delete;

	const std::filesystem::path& Path() const { return path_; }
	std::string Text() const { return path_.string(); }
	// Creates the file, and the folders on its way.
	void Touch(const std::filesystem::path& file) const
	{
		std::filesystem::create_directories((path_ / file).parent_path());
		std::ofstream(path_ / file) << "x";
	}

private:
	std::filesystem::path path_;
};

// A new tag per test, Init run by BaseTag::Alloc, the plug-in folder pointed
// at an empty scratch folder.
class PulsorTagTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_FALSE(plugin_.Path().empty());
		HostSetPluginPath(Filename(plugin_.Text().c_str()));
		// A repeated registration is refused and leaves the first in place.
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		tag_ = BaseTag::Alloc(PULSOR_TAG_ID);
		ASSERT_NE(tag_, nullptr);
		ASSERT_NE(tag_->GetNodeData(), nullptr);
	}
	void TearDown() override { BaseTag::Free(tag_); }

	Pulsor* pulsor() const { return static_cast<Pulsor*>(tag_->GetNodeData()); }
	BaseContainer* data() const { return tag_->GetDataInstance(); }

	// Adds a tab; its number (the last listed), or -1 when refused.
	LONG Add(LONG type)
	{
		if (!pulsor()->AddTab(data(), tag_, type))
			return -1;
		const std::vector<LONG> tabs = ListedTabs();
		return tabs.empty() ? -1 : tabs.back();
	}

	// The names of tabs by number.
	std::vector<std::string> TabNames(std::initializer_list<LONG> numbers) const
	{
		std::vector<std::string> names;
		for (LONG n : numbers)
			names.push_back(data()->GetString(TabBase(n) + PULSOR_TAB_NAME).GetStdString());
		return names;
	}

	// Entries 5 .. count + 4 of the tab list.
	std::vector<LONG> ListedTabs() const
	{
		const BaseContainer list = data()->GetContainer(PULSOR_TAB_LIST);
		std::vector<LONG> numbers;
		for (LONG i = 0; i < list.GetLong(PULSOR_TAB_LIST_COUNT); ++i)
			numbers.push_back(list.GetLong(PULSOR_TAB_LIST_FIRST + i, -1));
		return numbers;
	}

	// Takes a tab out of the list as the Delete command does: later entries
	// move up, the freed last entry holds -1, the tab's fields stay.
	void DeleteFromList(LONG number)
	{
		std::vector<LONG> tabs = ListedTabs();
		BaseContainer list = data()->GetContainer(PULSOR_TAB_LIST);
		list.SetLong(PULSOR_TAB_LIST_FIRST + (LONG)tabs.size() - 1, -1);
		tabs.erase(std::find(tabs.begin(), tabs.end(), number));
		for (size_t i = 0; i < tabs.size(); ++i)
			list.SetLong(PULSOR_TAB_LIST_FIRST + (LONG)i, tabs[i]);
		list.SetLong(PULSOR_TAB_LIST_COUNT, (LONG)tabs.size());
		data()->SetContainer(PULSOR_TAB_LIST, list);
	}

	const SplineData* LibraryCurve(LONG id) const
	{
		const BaseContainer* library = data()->GetContainerInstance(PULSOR_CURVE_LIBRARY);
		return library ? static_cast<const SplineData*>(library->GetCustomDataType(id, CUSTOMDATATYPE_SPLINE)) : nullptr;
	}

	TempFolder plugin_;
	BaseTag* tag_ = nullptr;
};

} // namespace pulsor_test

#endif
