// The interface's names mean the host's numbers, and its declarations have
// the host's shape: a module built against the stand-in must mean the same
// things in the real host.
#include <gtest/gtest.h>

#include <type_traits>

#include "c4d.h"
#include "custom_data.h"
#include "customgui_priority.h"
#include "host_string.h"

namespace
{

TEST(InterfaceValues, NamesMeanTheHostsNumbers)
{
	// Any material is classified Mbase; Mmaterial is the standard material.
	EXPECT_EQ(Mbase, 5702);
	EXPECT_EQ(Mmaterial, 5703);
	EXPECT_EQ(MSG_CHANGE, 7);
	EXPECT_EQ(MSG_UPDATE, 5);
	EXPECT_EQ(MSG_MULTI_DOCUMENTIMPORTED, 13);
	EXPECT_EQ(MSG_MENUPREPARE, 22);

	EXPECT_EQ(IMAGERESULT_OK, 1);
	EXPECT_EQ(IMAGERESULT_NOTEXISTING, -1);
	EXPECT_EQ(IMAGERESULT_WRONGTYPE, -2);
	EXPECT_EQ(IMAGERESULT_OUTOFMEMORY, -3);
	EXPECT_EQ(IMAGERESULT_MISC_ERROR, -6);
	EXPECT_EQ(CUSTOMGUI_PRIORITY_DATA, 1009369);
	EXPECT_EQ(C4DPL_INIT_VERSION, 4);
}

TEST(InterfaceValues, FourCharacterCodesAreBigEndianNumbers)
{
	EXPECT_EQ(BFM_INPUT_KEYBOARD, 0x6B657962);   // 'keyb'
	EXPECT_EQ(BFM_INPUT_MOUSE, 0x6D6F7573);      // 'mous'
	EXPECT_EQ(DESC_UNIT_REAL, 0x66726561);       // 'frea'
	EXPECT_EQ(BITMAPBUTTON_BUTTON, 0x62757474);  // 'butt'
}

TEST(InterfaceShape, AtomsAndArraysAreTheHostsToMakeAndClassifyOnly)
{
	// No virtual functions: the language cannot classify an atom.
	EXPECT_FALSE(std::is_polymorphic<C4DAtom>::value);
	EXPECT_FALSE(std::is_default_constructible<AtomArray>::value);
	EXPECT_FALSE(std::is_destructible<AtomArray>::value);
	EXPECT_FALSE(std::is_destructible<C4DAtom>::value);
	EXPECT_FALSE(std::is_polymorphic<CustomDataType>::value);
	EXPECT_TRUE(std::is_empty<CustomDataType>::value);
	EXPECT_FALSE((std::is_constructible<String, std::string>::value));
	EXPECT_FALSE((std::is_constructible<GeData, int64_t>::value));
}

TEST(InterfaceShape, AtomsReachTheirElementsHooksAndTellTheirClass)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	ASSERT_NE(cube, nullptr);
	C4DAtom* atom = cube;
	EXPECT_TRUE(atom->IsInstanceOf(Ocube));
	EXPECT_TRUE(atom->IsInstanceOf(Obase));
	EXPECT_FALSE(atom->IsInstanceOf(Tbase));
	ASSERT_TRUE(atom->SetParameter(DescID(PRIM_CUBE_SUBX), GeData((LONG)7), DESCFLAGS_SET_0));
	GeData value;
	ASSERT_TRUE(atom->GetParameter(DescID(PRIM_CUBE_SUBX), value, DESCFLAGS_GET_0));
	EXPECT_EQ(value.GetLong(), 7);
	EXPECT_EQ(static_cast<BaseObject*>(atom), cube);
	AutoAlloc<AtomArray> atoms;
	ASSERT_TRUE(atoms);
	EXPECT_FALSE(atoms->Append(nullptr));
	EXPECT_TRUE(atoms->Append(atom));
	EXPECT_EQ(atoms->GetCount(), 1);
	EXPECT_EQ(atoms->GetIndex(0), atom);
	EXPECT_EQ(atoms->GetIndex(1), nullptr);
	BaseObject::Free(cube);
}

TEST(InterfaceShape, ATrackLeavesItsElementThroughRemove)
{
	BaseObject* cube = BaseObject::Alloc(Ocube);
	ASSERT_NE(cube, nullptr);
	CTrack* track = CTrack::Alloc(cube, DescID(PRIM_CUBE_FRAD));
	ASSERT_NE(track, nullptr);
	cube->InsertTrackSorted(track);
	EXPECT_EQ(cube->GetFirstCTrack(), track);
	EXPECT_EQ(track->GetObject(), cube);
	track->Remove();
	EXPECT_EQ(cube->GetFirstCTrack(), nullptr);
	EXPECT_EQ(cube->FindCTrack(DescID(PRIM_CUBE_FRAD)), nullptr);
	EXPECT_EQ(track->GetObject(), nullptr);
	// Removed twice changes nothing; the caller owns it now.
	track->Remove();
	CTrack::Free(track);
	EXPECT_EQ(track, nullptr);
	BaseObject::Free(cube);
}

TEST(InterfaceShape, SetDataAddsUnlessToldToReplace)
{
	BaseObject* null = BaseObject::Alloc(Onull);
	ASSERT_NE(null, nullptr);
	null->GetDataInstance()->SetLong(1, 1);
	BaseContainer more;
	more.SetLong(2, 2);
	null->SetData(more);
	EXPECT_EQ(null->GetDataInstance()->GetLong(1), 1);
	EXPECT_EQ(null->GetDataInstance()->GetLong(2), 2);
	null->SetData(more, FALSE);
	EXPECT_EQ(null->GetDataInstance()->GetType(1), DA_NIL);
	EXPECT_EQ(*null->GetDataInstance(), more);
	BaseObject::Free(null);
}

TEST(GeDataShape, ReferencesOutliveAWrongTypeAndTextReadsAsAPath)
{
	const GeData text(String("a/b"));
	EXPECT_EQ(text.GetString(), String("a/b"));
	EXPECT_EQ(text.GetFilename().GetString(), String("a/b"));
	EXPECT_EQ(GeData(Filename("c/d")).GetString(), String());
	const GeData number((LONG)3);
	EXPECT_EQ(number.GetVector(), Vector());
	EXPECT_EQ(number.GetTime(), BaseTime());
	EXPECT_EQ(number.GetString(), String());
	EXPECT_EQ(&number.GetString(), &GeData(Vector()).GetString());
	const GeData big((LLONG)1 << 40, LLONGVALUE);
	EXPECT_EQ(big.GetType(), DA_LLONG);
	EXPECT_EQ(big.GetLLong(), (LLONG)1 << 40);
	// Text keeps every byte, NUL included, through a copy.
	const GeData nul(HostString(std::string("a\0b", 3)));
	const GeData copy = nul;
	EXPECT_EQ(copy.GetString().GetLength(), 3);
	EXPECT_EQ(copy, nul);
}

struct Counted : CustomDataType
{
	LONG value = 0;
	friend bool operator==(const Counted& a, const Counted& b) { return a.value == b.value; }
};

TEST(CustomDataHandlers, OnlyKnownTypesAreStoredAndEachIsCopiedAndComparedAsItsType)
{
	Counted one;
	one.value = 1;
	const LONG kType = 1999501;
	EXPECT_EQ(GeData(kType, one).GetType(), DA_NIL);
	ASSERT_TRUE(RegisterCustomDataHandler(kType, CustomDataHandlerOf<Counted>()));
	EXPECT_FALSE(RegisterCustomDataHandler(kType, CustomDataHandlerOf<Counted>()));
	// The host's own types and ids outside the custom range stay as they are.
	EXPECT_FALSE(RegisterCustomDataHandler(CUSTOMDATATYPE_SPLINE, CustomDataHandlerOf<Counted>()));
	EXPECT_FALSE(RegisterCustomDataHandler(DA_LONG, CustomDataHandlerOf<Counted>()));
	EXPECT_FALSE(RegisterCustomDataHandler(1999502, CustomDataHandler{ nullptr, nullptr, nullptr }));

	const GeData a(kType, one);
	ASSERT_EQ(a.GetType(), kType);
	GeData b = a;
	EXPECT_EQ(a, b);
	EXPECT_NE(a.GetCustomDataType(kType), b.GetCustomDataType(kType));
	static_cast<Counted*>(b.GetCustomDataType(kType))->value = 2;
	EXPECT_NE(a, b);
	EXPECT_EQ(static_cast<const Counted*>(a.GetCustomDataType(kType))->value, 1);
	EXPECT_EQ(a.GetCustomDataType(CUSTOMDATATYPE_SPLINE), nullptr);

	PriorityData p;
	p.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData((LONG)5));
	const GeData priority(CUSTOMGUI_PRIORITY_DATA, p);
	PriorityData q = p;
	q.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData((LONG)6));
	EXPECT_EQ(priority, GeData(CUSTOMGUI_PRIORITY_DATA, p));
	EXPECT_NE(priority, GeData(CUSTOMGUI_PRIORITY_DATA, q));
}

} // namespace
