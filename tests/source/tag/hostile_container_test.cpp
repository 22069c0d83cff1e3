// Containers the tag did not write itself (a damaged scene, a hostile preset)
// must never crash, hang or misbehave: every hook runs on randomly corrupted
// containers, has to come back, and leaves behind what the tag may leave:
// entries of its own identifiers only, a readable tab list, a page that
// builds or is refused.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "editing_fixture.h"

namespace
{

// The identifiers the tag owns: its global entries, the preset commands, and
// the fields of every tab number that fits in 32 bits.
bool OwnedByTheTag(LONG id)
{
	if (id >= PULSOR_BASE_PAGE && id <= PULSOR_WRITTEN_VALUE)
		return true;
	if (id >= PULSOR_PRESET_FIRST_COMMAND && id <= PULSOR_PRESET_LAST_COMMAND)
		return true;
	TabField field;
	if (!DecodeTabId(id, &field))
		return false;
	return field.number >= 1 && field.number <= PULSOR_MAX_TAB_NUMBER && field.offset >= 1;
}

std::set<LONG> IdsOf(const BaseContainer& bc)
{
	std::set<LONG> ids;
	for (LONG i = 0; bc.GetIndexData(i); ++i)
		ids.insert(bc.GetIndexId(i));
	return ids;
}

std::string Describe(const GeData& value)
{
	std::ostringstream text;
	switch (value.GetType())
	{
		case DA_LONG: text << "long " << value.GetLong(); break;
		case DA_REAL: text << "real " << value.GetReal(); break;
		case DA_TIME: text << "time " << value.GetTime().Get(); break;
		case DA_VECTOR:
		{
			const Vector v = value.GetVector();
			text << "vector (" << v.x << ", " << v.y << ", " << v.z << ")";
			break;
		}
		case DA_STRING: text << "string"; break;
		case DA_CONTAINER:
		{
			const BaseContainer* list = value.GetContainer();
			text << "container {";
			for (LONG i = 0; list && list->GetIndexData(i); ++i)
				text << (i ? ", " : "") << list->GetIndexId(i) << ": " << Describe(*list->GetIndexData(i));
			text << "}";
			break;
		}
		default: text << "type " << value.GetType(); break;
	}
	return text.str();
}

// What is wrong with the tab list, or "" when it is a list the tag could have
// written: a container whose count is matched by entries 5 .. count + 4, each
// a tab number in range, none repeated.
std::string TabListProblem(const BaseContainer& data)
{
	if (data.GetType(PULSOR_TAB_LIST) != DA_CONTAINER)
		return "no list container";
	const BaseContainer list = data.GetContainer(PULSOR_TAB_LIST);
	if (list.GetType(PULSOR_TAB_LIST_COUNT) != DA_LONG)
		return "no count";
	const LONG count = list.GetLong(PULSOR_TAB_LIST_COUNT);
	if (count < 0 || count > PULSOR_MAX_TAB_NUMBER)
		return "count " + std::to_string(count);
	std::set<LONG> seen;
	for (LONG i = 0; i < count; ++i)
	{
		const LONG id = PULSOR_TAB_LIST_FIRST + i;
		if (list.GetType(id) != DA_LONG)
			return "entry " + std::to_string(id) + " of " + std::to_string(count) + " is no number";
		const LONG number = list.GetLong(id);
		if (number < 1 || number > PULSOR_MAX_TAB_NUMBER)
			return "entry " + std::to_string(id) + " holds tab number " + std::to_string(number);
		if (!seen.insert(number).second)
			return "tab " + std::to_string(number) + " listed twice";
	}
	return "";
}

class HostileContainerTest : public pulsor_test::EditingTest
{
protected:
	// A value of a random type, with the extremes over-represented.
	GeData RandomValue(std::mt19937& rng)
	{
		static const LONG longs[] = { 0, 1, -1, 2, 3, 5, 6, 8, 15, 19, 22, 23, 3, INT_MAX, INT_MIN, 214747, 214748, 1031805 };
		static const Real reals[] = { 0.0, 1.0, -1.0, 0.5, 1e300, -1e300, 5e-324, std::numeric_limits<Real>::quiet_NaN(),
			std::numeric_limits<Real>::infinity() };
		switch (rng() % 7)
		{
			case 0: return GeData(longs[rng() % (sizeof(longs) / sizeof(longs[0]))]);
			case 1: return GeData(reals[rng() % (sizeof(reals) / sizeof(reals[0]))]);
			case 2: return GeData(BaseTime(reals[rng() % (sizeof(reals) / sizeof(reals[0]))], (Real)(LONG)(rng() % 3)));
			case 3: return GeData(Vector(reals[rng() % 9], reals[rng() % 9], reals[rng() % 9]));
			case 4: return GeData("?");
			case 5:
			{
				BaseContainer list;
				list.SetLong(0, longs[rng() % (sizeof(longs) / sizeof(longs[0]))]);
				for (LONG i = 0; i < (LONG)(rng() % 6); ++i)
					list.SetData(5 + (LONG)(rng() % 8), GeData(longs[rng() % (sizeof(longs) / sizeof(longs[0]))]));
				return GeData(list);
			}
			default: return GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(longs[rng() % 5]), DescLevel(VECTOR_X + (LONG)(rng() % 4))));
		}
	}

	// Overwrites random entries of the tag's own ids and of its tabs' fields.
	void Corrupt(std::mt19937& rng)
	{
		for (int i = 0; i < 40; ++i)
		{
			LONG id;
			switch (rng() % 3)
			{
				case 0: id = PULSOR_BASE_PAGE + (LONG)(rng() % 400); break;
				case 1: id = TabBase(2 + (LONG)(rng() % 3)) + (LONG)(rng() % 343); break;
				default: id = PULSOR_TAB_LIST; break;
			}
			data()->SetData(id, RandomValue(rng));
		}
	}

	// Runs one hook on the container as it is and checks what the hook left:
	// no entry of an identifier the tag does not own (the host's own entries
	// of a tag aside), a valid tab list if it was valid or the hook rewrote
	// it, and a page that builds or is refused cleanly.
	template <typename Hook>
	void Check(const std::string& name, Hook hook)
	{
		const std::set<LONG> before = IdsOf(*data());
		// Compared as text: a NaN is unequal to itself.
		const std::string listBefore = Describe(data()->GetData(PULSOR_TAB_LIST));
		const bool listWasValid = TabListProblem(*data()).empty();
		hook();

		for (LONG id : IdsOf(*data()))
			if (!before.count(id) && !OwnedByTheTag(id) && !hostIds_.count(id))
				Finding(name, "wrote an entry the tag does not own", std::to_string(id));
		const std::string listProblem = TabListProblem(*data());
		if (!listProblem.empty() && listWasValid)
			Finding(name, "left a valid tab list invalid", listProblem);
		else if (!listProblem.empty() && Describe(data()->GetData(PULSOR_TAB_LIST)) != listBefore)
			Finding(name, "wrote an invalid tab list", listProblem);
		const std::string pageProblem = PageProblem();
		if (!pageProblem.empty())
			Finding(name, "left a page that builds wrongly", pageProblem);
	}

	// Builds the page as the attribute manager asks for it; what is wrong
	// with what was built, or "".
	std::string PageProblem()
	{
		Description* page = Description::Alloc();
		DESCFLAGS_DESC flags = DESCFLAGS_DESC_0;
		pulsor()->GetDDescription(tag_, page, flags);
		std::set<LONG> elements;
		for (LONG i = 0; i < page->GetElementCount(); ++i)
			elements.insert((*page->GetElementId(i))[0].id);
		std::string problem;
		for (LONG i = 0; i < page->GetElementCount() && problem.empty(); ++i)
		{
			const DescID* parent = page->GetElementParent(i);
			if (!parent)
				problem = "has no parent for element " + std::to_string((*page->GetElementId(i))[0].id);
			else if (parent->GetDepth() > 0 && (*parent)[0].id != PULSOR_TAG_ID && !elements.count((*parent)[0].id))
				problem = "puts element " + std::to_string((*page->GetElementId(i))[0].id) + " into missing parent "
					+ std::to_string((*parent)[0].id);
		}
		Description::Free(page);
		return problem;
	}

	// Findings are collected by hook and invariant, each with its first
	// corruption (the entries that differ from the clean container), so that
	// one fault is reported once with an example rather than in every round.
	void Finding(const std::string& hook, const std::string& invariant, const std::string& detail)
	{
		Example& example = findings_[hook + ": " + invariant];
		if (example.rounds++ == 0)
			example.first = detail + ", in round " + std::to_string(round_) + ", corrupted by" + corruption_;
	}
	std::string Report() const
	{
		std::ostringstream text;
		for (const auto& f : findings_)
			text << f.first << " (" << f.second.rounds << " times), first " << f.second.first << "\n";
		return text.str();
	}

	struct Example
	{
		int rounds = 0;
		std::string first;
	};
	std::map<std::string, Example> findings_;
	std::set<LONG> hostIds_;
	int round_ = 0;
	std::string corruption_;
};

TEST_F(HostileContainerTest, EveryHookSurvivesCorruptedContainers)
{
	std::mt19937 rng(20261207);
	const BaseContainer pristine = [&] {
		Add(PULSOR_MOD_NOISE);
		Add(PULSOR_MOD_CUSTOM);
		Add(PULSOR_MOD_SIN);
		Drop(cube_, pulsor_test::PositionY());
		return *data();
	}();
	ASSERT_EQ(TabListProblem(pristine), "");
	ASSERT_EQ(PageProblem(), "");
	// The host's own entries of a tag: its name, its priority, and whatever
	// else a tag of this type holds outside the tag's identifiers.
	hostIds_ = { ID_BASELIST_NAME, EXPRESSION_PRIORITY };
	for (LONG id : IdsOf(pristine))
		if (!OwnedByTheTag(id))
			hostIds_.insert(id);

	for (round_ = 0; round_ < 300; ++round_)
	{
		tag_->SetData(pristine, FALSE);
		Corrupt(rng);
		// Every other round keeps the clean tab list, so that the hooks also
		// meet corrupted tabs through a list that is valid and must stay so.
		if (round_ % 2)
			data()->SetData(PULSOR_TAB_LIST, pristine.GetData(PULSOR_TAB_LIST));
		const BaseContainer corrupted = *data();
		corruption_.clear();
		for (LONG id : IdsOf(corrupted))
		{
			const std::string value = Describe(corrupted.GetData(id));
			if (!pristine.GetDataPointer(id) || Describe(pristine.GetData(id)) != value)
				corruption_ += "\n    " + std::to_string(id) + " = " + value;
		}

		const Real frame = (Real)(round_ % 97) - 10.5;
		Check("CalculateOutput", [&] {
			const BaseContainer out = pulsor()->CalculateOutput(data(), doc_, frame, round_ % 2);
			for (LONG id : IdsOf(out))
				if (!OwnedByTheTag(id))
					Finding("CalculateOutput", "put out an entry the tag does not own", std::to_string(id));
		});
		Check("Execute", [&] {
			doc_->SetTime(BaseTime((Real)(round_ % 120), 30.0));
			doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		});
		Check("GetDescription and GetDEnabling", [&] {
			Description* page = Description::Alloc();
			tag_->GetDescription(page, DESCFLAGS_DESC_0);
			for (LONG i = 0; i < page->GetElementCount(); ++i)
				pulsor()->GetDEnabling(tag_, *page->GetElementId(i), GeData(), DESCFLAGS_ENABLE_0, page->GetElementSettings(i));
			Description::Free(page);
		});

		// The editing hooks, one after another on the same container.
		tag_->SetData(corrupted, FALSE);
		const struct
		{
			const char* name;
			LONG id;
		} commands[] = { { "Match Timeline", PULSOR_MATCH_TIMELINE }, { "Rebuild Labels", PULSOR_REBUILD_LABELS },
			{ "Duplicate tab 2", TabBase(2) + PULSOR_TAB_DUPLICATE }, { "Move Up tab 3", TabBase(3) + PULSOR_TAB_MOVE_UP },
			{ "Delete tab 4", TabBase(4) + PULSOR_TAB_DELETE },
			{ "Match Timeline tab 2", TabBase(2) + PULSOR_TAB_MATCH_TIMELINE } };
		for (const auto& command : commands)
			Check(command.name, [&] { Command(command.id); });
		Check("post-set of tab 2's type", [&] { PostSet(TabBase(2) + PULSOR_TAB_TYPE); });
		Check("post-set of tab 3's strength mode", [&] { PostSet(TabBase(3) + PULSOR_TAB_STRENGTH_MODE); });
		Check("custom icon", [&] {
			IconData icon = { nullptr, 0, 0, 0, 0 };
			GetCustomIconData request = { &icon, FALSE };
			tag_->Message(MSG_GETCUSTOMICON, &request);
		});
	}
	EXPECT_TRUE(findings_.empty()) << Report();

	// The tag still evaluates a clean container.
	tag_->SetData(pristine, FALSE);
	const BaseContainer out = pulsor()->CalculateOutput(data(), doc_, 10.0, 1);
	EXPECT_NE(out.GetDataPointer(PULSOR_FINAL_OUTPUT + 1), nullptr);
}

} // namespace
