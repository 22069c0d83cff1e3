// Shared helpers of the layout tests: a Pulsor tag on a cube named "Cube" in
// the active document, and ways to ask it for its page and read the page.
#ifndef PULSOR_LAYOUT_FIXTURE_H__
#define PULSOR_LAYOUT_FIXTURE_H__

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing_fixture.h"
#include "page_dump.h"

namespace pulsor_test
{

class LayoutTest : public EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		cube_->SetName("Cube");
	}

	// Builds the page afresh through the host, as the attribute manager asks
	// for it; single names the one element wanted, or null for all.
	Bool Build(const DescID* single = nullptr)
	{
		Description::Free(page_);
		page_ = Description::Alloc();
		page_->SetSingleDescID(single);
		flags_ = DESCFLAGS_DESC_0;
		return pulsor()->GetDDescription(tag_, page_, flags_);
	}

	// Stores what linking a parameter of this data type would store, without
	// a drop: the type row and a description of that type named name.
	void LinkAs(LONG type, LONG slot, LONG mode, const char* name = "Value")
	{
		data()->SetLong(PULSOR_LINK_TYPE, type);
		data()->SetLong(PULSOR_TYPE_SLOT, slot);
		data()->SetLong(PULSOR_COMPONENT_MODE, mode);
		BaseContainer record = GetCustomDataTypeDefault(type == DTYPE_BOOL ? DTYPE_REAL : type);
		record.SetString(DESC_NAME, name);
		data()->SetContainer(PULSOR_LINK_DESCRIPTION, record);
	}

	LONG Count() const { return page_->GetElementCount(); }
	// Position of the element with this first-level id, or -1.
	LONG IndexOf(LONG id) const
	{
		for (LONG i = 0; i < Count(); ++i)
			if ((*page_->GetElementId(i))[0].id == id)
				return i;
		return -1;
	}
	bool Has(LONG id) const { return IndexOf(id) >= 0; }
	const BaseContainer& Settings(LONG id) const
	{
		static const BaseContainer none;
		const LONG i = IndexOf(id);
		return i < 0 ? none : *page_->GetElementSettings(i);
	}
	std::string Label(LONG id) const { return Settings(id).GetString(DESC_NAME, "<none>").GetStdString(); }
	LONG TypeOf(LONG id) const
	{
		const LONG i = IndexOf(id);
		return i < 0 ? -1 : (*page_->GetElementId(i))[0].dtype;
	}
	LONG ParentOf(LONG id) const
	{
		const LONG i = IndexOf(id);
		return i < 0 ? -1 : (*page_->GetElementParent(i))[0].id;
	}
	// First-level ids of the elements in page order.
	std::vector<LONG> Ids() const
	{
		std::vector<LONG> ids;
		for (LONG i = 0; i < Count(); ++i)
			ids.push_back((*page_->GetElementId(i))[0].id);
		return ids;
	}
	// Ids of the pages: the elements whose parent is the tag type.
	std::vector<LONG> Pages() const
	{
		std::vector<LONG> ids;
		for (LONG i = 0; i < Count(); ++i)
			if ((*page_->GetElementParent(i))[0].id == PULSOR_TAG_ID)
				ids.push_back((*page_->GetElementId(i))[0].id);
		return ids;
	}
	// The dump lines from the element id up to, not including, the element
	// until (or to the end).
	std::vector<std::string> Lines(LONG from, LONG until = -1) const
	{
		const std::vector<std::string> all = DumpLines(*page_);
		const LONG a = IndexOf(from);
		const LONG b = until < 0 ? (LONG)all.size() : IndexOf(until);
		if (a < 0 || b < a)
			return std::vector<std::string>();
		return std::vector<std::string>(all.begin() + a, all.begin() + b);
	}

	void TearDown() override
	{
		Description::Free(page_);
		EditingTest::TearDown();
	}

	Description* page_ = nullptr;
	DESCFLAGS_DESC flags_ = DESCFLAGS_DESC_0;
};

const DESCFLAGS_DESC LAYOUT_CLOSED = DESCFLAGS_DESC_LOADED | DESCFLAGS_DESC_RECURSIONLOCK;

} // namespace pulsor_test

#endif
