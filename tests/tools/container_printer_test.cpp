#include <gtest/gtest.h>

#include <sstream>

#include "container_printer.h"
#include "host_services.h"
#include "pulsor_ids.h"

namespace
{

TEST(ContainerPrinter, NamesGlobalEntriesBlockMembersAndTabFields)
{
	EXPECT_EQ(PulsorIdName(2001), "PULSOR_ADD_MODIFIER");
	EXPECT_EQ(PulsorIdName(2073), "PULSOR_END_VALUE[slot 6]");
	EXPECT_EQ(PulsorIdName(2197), "PULSOR_MASTER_DISPLAY[mode 8]");
	EXPECT_EQ(PulsorIdName(2243), "PULSOR_BASE_DISPLAY[Y]");
	EXPECT_EQ(PulsorIdName(22004), "tab 2 PULSOR_TAB_NAME");
	EXPECT_EQ(PulsorIdName(32111), "tab 3 PULSOR_TAB_POSITIVE[Y]");
	EXPECT_EQ(PulsorIdName(22299), "tab 2 PULSOR_TAB_OUTPUT_DISPLAY[mode 8]");
	EXPECT_EQ(PulsorIdName(12005), "tab 1 PULSOR_TAB_STRENGTH");
	// Ids that name nothing print without a name.
	EXPECT_EQ(PulsorIdName(2003), "");
	EXPECT_EQ(PulsorIdName(22007), "");
	EXPECT_EQ(PulsorIdName(-5), "");
}

TEST(ContainerPrinter, PrintsTypesValuesAndNestedContainers)
{
	BaseContainer sub;
	sub.SetString(0, "Noise");
	BaseContainer bc;
	bc.SetLong(PULSOR_PLAYBACK, 2);
	bc.SetTime(PULSOR_END_TIME, BaseTime(90.0, 30.0));
	bc.SetVector(PULSOR_END_VALUE + 6, Vector(1, 2.5, -3));
	bc.SetContainer(PULSOR_TYPE_NAMES, sub);
	bc.SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(903), DescLevel(1001))));
	std::ostringstream out;
	PrintContainer(out, bc);
	EXPECT_EQ(out.str(),
		"2073 PULSOR_END_VALUE[slot 6]: vector (1, 2.5, -3)\n"
		"2121 PULSOR_END_TIME: time 3 s (90/30)\n"
		"2122 PULSOR_PLAYBACK: integer 2\n"
		"2128 PULSOR_LINK_DESCID: descid DescID(903, 1001)\n"
		"2359 PULSOR_TYPE_NAMES: container, 1 entries\n"
		"  0: string \"Noise\"\n");
}

} // namespace
