// Shared helpers of the editing tests: a Pulsor tag on a cube in the active
// document, and short ways to send it the messages the attribute manager
// sends.
#ifndef PULSOR_EDITING_FIXTURE_H__
#define PULSOR_EDITING_FIXTURE_H__

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "customgui_descproperty.h"
#include "linked_pulsor.h"
#include "pulsor_fixture.h"

namespace pulsor_test
{

// Every message record the tag understands travels through one of these.
class EditingTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_FALSE(plugin_.Path().empty());
		UsePluginFolder(plugin_.Text());
		ASSERT_TRUE(RegisterLinkedPulsor(PULSOR_SOURCE_DIR));
		HostSetMouseButton(false);
		HostSetObserver(nullptr);
		doc_ = BaseDocument::Alloc();
		ASSERT_NE(doc_, nullptr);
		HostSetActiveDocument(doc_);
		cube_ = BaseObject::Alloc(Ocube);
		ASSERT_NE(cube_, nullptr);
		doc_->InsertObject(cube_);
		tag_ = BaseTag::Alloc(PULSOR_TAG_ID);
		ASSERT_NE(tag_, nullptr);
		cube_->InsertTag(tag_);
		ASSERT_EQ(tag_->GetDocument(), doc_);
	}
	void TearDown() override
	{
		HostSetObserver(nullptr);
		HostSetMouseButton(false);
		HostSetActiveDocument(nullptr);
		BaseDocument::Free(doc_);
	}

	// Icons and the help bitmap load from the plug-in folder's "res".
	static void UsePluginFolder(const std::string& folder) { HostSetPluginPath(Filename(folder.c_str())); }
	static void UseSourceFolder() { UsePluginFolder(PULSOR_SOURCE_DIR); }

	Pulsor* pulsor() const { return static_cast<Pulsor*>(tag_->GetNodeData()); }
	BaseContainer* data() const { return tag_->GetDataInstance(); }

	Bool Send(LONG type, void* record) { return tag_->Message(type, record); }
	Bool Command(LONG id)
	{
		DescriptionCommand command = { DescID(id) };
		return Send(MSG_DESCRIPTION_COMMAND, &command);
	}
	Bool PostSet(LONG id)
	{
		const DescID set(id);
		DescriptionPostSetValue record = { &set };
		return Send(MSG_DESCRIPTION_POSTSETPARAMETER, &record);
	}
	// What the attribute manager does when the user picks an "Add Modifiers"
	// entry: the host records the edit in an undo group, then reports it.
	void PickModifier(LONG type)
	{
		doc_->StartUndo();
		doc_->AddUndo(UNDOTYPE_CHANGE, tag_);
		tag_->SetParameter(DescID(PULSOR_ADD_MODIFIER), GeData(type), DESCFLAGS_SET_0);
		doc_->EndUndo();
		PostSet(PULSOR_ADD_MODIFIER);
	}
	// Adds a tab straight through AddTab; its number.
	LONG Add(LONG type)
	{
		EXPECT_TRUE(pulsor()->AddTab(data(), tag_, type));
		const std::vector<LONG> tabs = Tabs();
		return tabs.empty() ? -1 : tabs.back();
	}

	// Entries 5 .. count + 4 of the tab list, as stored.
	std::vector<LONG> Tabs() const
	{
		const BaseContainer list = data()->GetContainer(PULSOR_TAB_LIST);
		std::vector<LONG> numbers;
		for (LONG i = 0; i < list.GetLong(PULSOR_TAB_LIST_COUNT); ++i)
			numbers.push_back(list.GetLong(PULSOR_TAB_LIST_FIRST + i, -999));
		return numbers;
	}
	LONG TabCount() const { return data()->GetContainer(PULSOR_TAB_LIST).GetLong(PULSOR_TAB_LIST_COUNT); }
	// Writes a tab list as a file or a script might: any count, any entries.
	void WriteTabList(LONG count, const std::vector<LONG>& entries)
	{
		BaseContainer list;
		list.SetLong(PULSOR_TAB_LIST_COUNT, count);
		for (size_t i = 0; i < entries.size(); ++i)
			list.SetLong(PULSOR_TAB_LIST_FIRST + (LONG)i, entries[i]);
		data()->SetContainer(PULSOR_TAB_LIST, list);
	}

	std::string Name(LONG number) const { return data()->GetString(TabBase(number) + PULSOR_TAB_NAME).GetStdString(); }
	void SetName(LONG number, const char* name) { data()->SetString(TabBase(number) + PULSOR_TAB_NAME, name); }
	std::string TagName() const { return tag_->GetName().GetStdString(); }
	ULONG LayoutDirt() const { return tag_->GetDirty(DIRTYFLAGS_DESCRIPTION); }

	// Drags parameter id of element onto the tag with the left button up or
	// held; the message's result.
	Bool Drag(C4DAtom* element, const DescID& id, bool buttonDown = false, ULONG* flags = nullptr)
	{
		AutoAlloc<AtomArray> elements;
		elements->Append(element);
		DescPropertyDragData payload = { elements, id };
		DragAndDrop drop = { doc_, 0, DRAGTYPE_DESCID, &payload, 0 };
		HostSetMouseButton(buttonDown);
		const Bool result = Send(MSG_DRAGANDDROP, &drop);
		HostSetMouseButton(false);
		if (flags)
			*flags = drop.flags;
		return result;
	}
	// A drop as the host sends it: inside the user's undo group.
	Bool Drop(C4DAtom* element, const DescID& id)
	{
		doc_->StartUndo();
		const Bool result = Drag(element, id);
		doc_->EndUndo();
		return result;
	}
	const DescID* LinkedId() const
	{
		return static_cast<const DescID*>(data()->GetCustomDataType(PULSOR_LINK_DESCID, CUSTOMDATATYPE_DESCID));
	}
	BaseContainer Record() const { return data()->GetContainer(PULSOR_LINK_DESCRIPTION); }

	TempFolder plugin_;
	BaseDocument* doc_ = nullptr;
	BaseObject* cube_ = nullptr;
	BaseTag* tag_ = nullptr;
};

// Identifiers of the cube's parameters as the attribute manager drags them.
inline DescID PositionY()
{
	return DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));
}
inline DescID Whole(LONG id, LONG dtype)
{
	return DescID(DescLevel(id, dtype, 0));
}

} // namespace pulsor_test

#endif
