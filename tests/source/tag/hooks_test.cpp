// The parameter hooks: help icons and the enabling rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing_fixture.h"

namespace
{

class HooksTest : public pulsor_test::EditingTest
{
protected:
	Bool Enabled(LONG id)
	{
		return pulsor()->GetDEnabling(tag_, DescID(id), GeData(), DESCFLAGS_ENABLE_0, nullptr);
	}
	// The addresses the tag opens while f runs.
	template <class F>
	std::vector<std::string> Opened(F f)
	{
		std::vector<std::string> opened;
		HostSetObserver([&](const HostEvent& e) {
			if (e.kind == HostEvent::OPEN_HTML)
				opened.push_back(e.text.GetStdString());
		});
		f();
		HostSetObserver(nullptr);
		return opened;
	}
	void Click(LONG id) { tag_->SetParameter(DescID(id), GeData((LONG)1), DESCFLAGS_SET_USERINTERACTION); }
};

TEST_F(HooksTest, BakedTagsDisableEverythingButClearKeyframes)
{
	Add(PULSOR_MOD_SIN);
	const LONG b = TabBase(2);
	const LONG controls[] = { PULSOR_STRENGTH, PULSOR_END_VALUE + 1, PULSOR_ADD_MODIFIER, PULSOR_CONVERT_TO_KEYS,
		PULSOR_KEY_SEQUENCE, PULSOR_VOLUME, b + PULSOR_TAB_STRENGTH, b + PULSOR_TAB_TYPE, b + PULSOR_TAB_DELETE };
	for (LONG id : controls)
		EXPECT_TRUE(Enabled(id)) << id;
	EXPECT_FALSE(Enabled(PULSOR_CLEAR_KEYS));

	data()->SetBool(PULSOR_HAS_KEYS, TRUE);
	for (LONG id : controls)
		EXPECT_FALSE(Enabled(id)) << id;
	EXPECT_TRUE(Enabled(PULSOR_CLEAR_KEYS));
}

TEST_F(HooksTest, FromAndToFollowTheKeyframeSequenceSwitch)
{
	EXPECT_FALSE(Enabled(PULSOR_KEY_FROM));
	EXPECT_FALSE(Enabled(PULSOR_KEY_TO));
	data()->SetBool(PULSOR_KEY_SEQUENCE, TRUE);
	EXPECT_TRUE(Enabled(PULSOR_KEY_FROM));
	EXPECT_TRUE(Enabled(PULSOR_KEY_TO));
}

TEST_F(HooksTest, FeedbackOffDisablesEveryDisplayInEveryComponentMode)
{
	Add(PULSOR_MOD_NOISE);
	const LONG b = TabBase(2);
	struct Mode { LONG mode; std::vector<LONG> displays; };
	const Mode modes[] = {
		{ 1, { PULSOR_MASTER_DISPLAY + 1, PULSOR_BASE_DISPLAY + 1, b + PULSOR_TAB_FEEDBACK_DISPLAY + 1,
				 b + PULSOR_TAB_OUTPUT_DISPLAY + 1 } },
		{ 2, { PULSOR_MASTER_DISPLAY + 2, PULSOR_MASTER_DISPLAY + 3, PULSOR_MASTER_DISPLAY + 4, PULSOR_BASE_DISPLAY + 2,
				 PULSOR_BASE_DISPLAY + 3, PULSOR_BASE_DISPLAY + 4, b + PULSOR_TAB_FEEDBACK_DISPLAY + 2,
				 b + PULSOR_TAB_FEEDBACK_DISPLAY + 3, b + PULSOR_TAB_FEEDBACK_DISPLAY + 4, b + PULSOR_TAB_OUTPUT_DISPLAY + 2,
				 b + PULSOR_TAB_OUTPUT_DISPLAY + 3, b + PULSOR_TAB_OUTPUT_DISPLAY + 4 } },
		{ 8, { PULSOR_MASTER_DISPLAY + 8, PULSOR_BASE_DISPLAY + 8, b + PULSOR_TAB_FEEDBACK_DISPLAY + 8,
				 b + PULSOR_TAB_OUTPUT_DISPLAY + 8 } },
	};
	for (const Mode& m : modes)
	{
		data()->SetLong(PULSOR_COMPONENT_MODE, m.mode);
		data()->SetBool(PULSOR_FEEDBACK, TRUE);
		for (LONG id : m.displays)
			EXPECT_TRUE(Enabled(id)) << m.mode << " " << id;
		data()->SetBool(PULSOR_FEEDBACK, FALSE);
		for (LONG id : m.displays)
			EXPECT_FALSE(Enabled(id)) << m.mode << " " << id;
		// Controls beside the displays keep their state.
		EXPECT_TRUE(Enabled(PULSOR_VOLUME));
		EXPECT_TRUE(Enabled(b + PULSOR_TAB_STRENGTH));
		EXPECT_TRUE(Enabled(PULSOR_MASTER_DISPLAY + m.mode + 3));
	}
}

TEST_F(HooksTest, HelpIconsReadAsBitmapButtonsNeverAsNumbers)
{
	Add(PULSOR_MOD_SIN);
	for (LONG id : { (LONG)PULSOR_HELP_BASE, (LONG)PULSOR_HELP_OUTPUT, TabBase(2) + (LONG)PULSOR_TAB_HELP })
	{
		GeData value;
		ASSERT_TRUE(tag_->GetParameter(DescID(id), value, DESCFLAGS_GET_0)) << id;
		ASSERT_EQ(value.GetType(), (LONG)CUSTOMDATATYPE_BITMAPBUTTON) << id;
		const BitmapButtonStruct* button = static_cast<BitmapButtonStruct*>(value.GetCustomDataType(CUSTOMDATATYPE_BITMAPBUTTON));
		EXPECT_EQ(button->op, tag_);
		EXPECT_EQ(button->id[0].id, id);
		EXPECT_EQ(button->dirty, 0u);
	}
	// Other parameters are the container's.
	GeData strength;
	ASSERT_TRUE(tag_->GetParameter(DescID(PULSOR_STRENGTH), strength, DESCFLAGS_GET_0));
	EXPECT_EQ(strength.GetType(), DA_REAL);
}

TEST_F(HooksTest, HelpIconsOpenTheirPages)
{
	Add(PULSOR_MOD_BOUNCE);
	Add(PULSOR_MOD_SAWTOOTH);
	const std::string site = std::string(PULSOR_HELP_SITE) + "/training/pulsor/";
	EXPECT_EQ(Opened([&] { Click(PULSOR_HELP_BASE); }), std::vector<std::string>{ site + "base" });
	EXPECT_EQ(Opened([&] { Click(PULSOR_HELP_OUTPUT); }), std::vector<std::string>{ site + "output" });
	EXPECT_EQ(Opened([&] { Click(TabBase(2) + PULSOR_TAB_HELP); }), std::vector<std::string>{ site + "bounce" });
	EXPECT_EQ(Opened([&] { Click(TabBase(3) + PULSOR_TAB_HELP); }), std::vector<std::string>{ site + "sawtooth" });

	// A type without a name opens the folder page itself.
	data()->SetLong(TabBase(3) + PULSOR_TAB_TYPE, 42);
	EXPECT_EQ(Opened([&] { Click(TabBase(3) + PULSOR_TAB_HELP); }), std::vector<std::string>{ site });
	// Any other parameter opens nothing.
	EXPECT_TRUE(Opened([&] { Click(PULSOR_VOLUME); }).empty());
}

TEST_F(HooksTest, TheHostSchedulesTheTagAndNothingIsDrawn)
{
	EXPECT_FALSE(pulsor()->AddToExecution(tag_, nullptr));
	EXPECT_TRUE(pulsor()->Draw(tag_, cube_, nullptr, nullptr));
}

} // namespace
