// Random sequences of every edit the tag performs through its messages, each
// in its own undo group as the module (or, for the commands that record none,
// a caller) makes it: undoing them one by one gives back the whole document
// as it was before each, down to the start; redoing them, as it was after
// each, up to the end.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "editing_fixture.h"

using pulsor_test::EditingTest;
using pulsor_test::PositionY;

namespace
{

const uint32_t kSeed = 20261208;
const int kSequences = 200;
const int kMostEdits = 25;

DescID PositionX()
{
	return DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_X, DTYPE_REAL, 0));
}

// One element as undo must give it back.
struct ElementSnapshot
{
	std::string what;
	BaseContainer data;
	String name;
	std::vector<std::pair<DescID, std::vector<std::pair<BaseTime, GeData>>>> tracks;
};

ElementSnapshot Snap(const std::string& what, BaseList2D* element)
{
	ElementSnapshot s{ what, element->GetData(), element->GetName(), {} };
	for (LONG i = 0; i < element->GetTrackCount(); ++i)
	{
		CTrack* track = element->GetTrackByIndex(i);
		std::vector<std::pair<BaseTime, GeData>> keys;
		for (LONG k = 0; k < track->GetCurve()->GetKeyCount(); ++k)
		{
			const CKey* key = track->GetCurve()->GetKey(k);
			keys.push_back(std::make_pair(key->GetTime(), key->GetGeData()));
		}
		s.tracks.push_back(std::make_pair(track->GetDescriptionID(), keys));
	}
	return s;
}

// The document's settings and every element in it.
std::vector<ElementSnapshot> SnapDocument(BaseDocument* doc)
{
	std::vector<ElementSnapshot> all;
	all.push_back(Snap("document", doc));
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		all.push_back(Snap("object " + std::to_string(i), op));
		for (LONG t = 0; t < op->GetTagCount(); ++t)
			all.push_back(Snap("object " + std::to_string(i) + " tag " + std::to_string(t), op->GetTagByIndex(t)));
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		all.push_back(Snap("material " + std::to_string(i), doc->GetMaterialByIndex(i)));
	return all;
}

// The first difference, or empty.
std::string Difference(const std::vector<ElementSnapshot>& want, const std::vector<ElementSnapshot>& got)
{
	if (want.size() != got.size())
		return "element count " + std::to_string(got.size()) + " instead of " + std::to_string(want.size());
	for (size_t i = 0; i < want.size(); ++i)
	{
		const ElementSnapshot& a = want[i];
		const ElementSnapshot& b = got[i];
		if (!(a.data == b.data))
		{
			for (const BaseContainer* side : { &a.data, &b.data })
			{
				for (LONG k = 0; side->GetIndexData(k); ++k)
				{
					const LONG id = side->GetIndexId(k);
					const GeData* x = a.data.GetDataPointer(id);
					const GeData* y = b.data.GetDataPointer(id);
					if (!x || !y || !(*x == *y))
						return a.what + ": container entry " + std::to_string(id) + " differs";
				}
			}
			return a.what + ": container differs in the order of its entries or its id";
		}
		if (a.name != b.name)
			return a.what + ": name \"" + b.name.GetStdString() + "\" instead of \"" + a.name.GetStdString() + "\"";
		if (a.tracks.size() != b.tracks.size())
			return a.what + ": " + std::to_string(b.tracks.size()) + " tracks instead of " + std::to_string(a.tracks.size());
		for (size_t t = 0; t < a.tracks.size(); ++t)
		{
			if (!(a.tracks[t].first == b.tracks[t].first))
				return a.what + ": track " + std::to_string(t) + " animates another parameter";
			const auto& ka = a.tracks[t].second;
			const auto& kb = b.tracks[t].second;
			if (ka.size() != kb.size())
				return a.what + ": track " + std::to_string(t) + " has " + std::to_string(kb.size()) + " keys instead of "
					+ std::to_string(ka.size());
			for (size_t k = 0; k < ka.size(); ++k)
				if (!(ka[k].first == kb[k].first) || !(ka[k].second == kb[k].second))
					return a.what + ": track " + std::to_string(t) + " key " + std::to_string(k) + " differs";
		}
	}
	return std::string();
}

class UndoSequenceTest : public EditingTest
{
protected:
	void SetUp() override
	{
		EditingTest::SetUp();
		if (HasFatalFailure())
			return;
		HostSetQuestionHandler([](const String&) { return true; });
		Furnish();
		SavePresets();
	}
	void TearDown() override
	{
		HostSetQuestionHandler(nullptr);
		EditingTest::TearDown();
	}

	// A short range keeps bakes quick; a second object and a material are
	// further link targets and must stay as they are too.
	void Furnish()
	{
		doc_->SetFps(30);
		doc_->SetMinTime(BaseTime(0.0));
		doc_->SetMaxTime(BaseTime(8.0, 30.0));
		other_ = BaseObject::Alloc(Onull);
		doc_->InsertObject(other_, cube_);
		doc_->InsertMaterial(BaseMaterial::Alloc(Mmaterial));
		data()->SetString(PULSOR_PRESET_FOLDER, presets_.Text().c_str());
		data()->SetString(PULSOR_PRESET_NAME, "A");
	}
	void NewScene()
	{
		HostSetActiveDocument(nullptr);
		BaseDocument::Free(doc_);
		doc_ = BaseDocument::Alloc();
		HostSetActiveDocument(doc_);
		cube_ = BaseObject::Alloc(Ocube);
		doc_->InsertObject(cube_);
		tag_ = BaseTag::Alloc(PULSOR_TAG_ID);
		cube_->InsertTag(tag_);
		Furnish();
	}
	void SavePresets()
	{
		Add(PULSOR_MOD_SIN);
		Add(PULSOR_MOD_NOISE);
		Drop(cube_, PositionY());
		tag_->SetName("Preset A");
		data()->SetString(PULSOR_PRESET_NAME, "A");
		Command(PULSOR_PRESET_SAVE);
		Add(PULSOR_MOD_BOUNCE);
		Drop(other_, PositionX());
		data()->SetReal(PULSOR_VOLUME, 0.5);
		tag_->SetName("Preset B");
		data()->SetString(PULSOR_PRESET_NAME, "B");
		Command(PULSOR_PRESET_SAVE);
		NewScene();
	}

	uint32_t Pick(uint32_t n) { return (uint32_t)(random_() % n); }
	// A tab number of the list, or -1 without tabs.
	LONG SomeTab()
	{
		const std::vector<LONG> tabs = Tabs();
		return tabs.empty() ? -1 : tabs[Pick((uint32_t)tabs.size())];
	}
	// What the attribute manager does when the user sets an entry.
	void SetValue(LONG id, const GeData& value)
	{
		doc_->StartUndo();
		doc_->AddUndo(UNDOTYPE_CHANGE, tag_);
		tag_->SetParameter(DescID(id), value, DESCFLAGS_SET_0);
		doc_->EndUndo();
		PostSet(id);
	}
	// A command that records no undo step of its own, run by a caller that
	// wants it undone: one group with a step for every element.
	void InCallerGroup(LONG command)
	{
		doc_->StartUndo();
		for (LONG i = 0; i < doc_->GetObjectCount(); ++i)
		{
			BaseObject* op = doc_->GetObjectByIndex(i);
			doc_->AddUndo(UNDOTYPE_CHANGE, op);
			for (LONG t = 0; t < op->GetTagCount(); ++t)
				doc_->AddUndo(UNDOTYPE_CHANGE, op->GetTagByIndex(t));
		}
		for (LONG i = 0; i < doc_->GetMaterialCount(); ++i)
			doc_->AddUndo(UNDOTYPE_CHANGE, doc_->GetMaterialByIndex(i));
		Command(command);
		doc_->EndUndo();
	}

	// One random edit; its description.
	std::string Edit()
	{
		const LONG tab = SomeTab();
		switch (Pick(12))
		{
			case 0:
			{
				const LONG type = 1 + (LONG)Pick(PULSOR_MOD_COUNT);
				PickModifier(type);
				return "add " + std::to_string(type);
			}
			case 1:
				if (tab < 0)
					break;
				Command(TabBase(tab) + PULSOR_TAB_DELETE);
				return "delete " + std::to_string(tab);
			case 2:
			{
				if (tab < 0)
					break;
				const bool up = Pick(2) == 0;
				Command(TabBase(tab) + (up ? PULSOR_TAB_MOVE_UP : PULSOR_TAB_MOVE_DOWN));
				return std::string(up ? "move up " : "move down ") + std::to_string(tab);
			}
			case 3:
				if (tab < 0)
					break;
				Command(TabBase(tab) + PULSOR_TAB_DUPLICATE);
				return "duplicate " + std::to_string(tab);
			case 4:
				if (tab < 0 || Pick(2) == 0)
				{
					Command(PULSOR_MATCH_TIMELINE);
					return "match timeline";
				}
				Command(TabBase(tab) + PULSOR_TAB_MATCH_TIMELINE);
				return "match timeline " + std::to_string(tab);
			case 5:
			{
				const uint32_t which = Pick(3);
				BaseObject* target = which == 2 ? other_ : cube_;
				Drop(target, which == 1 ? PositionX() : PositionY());
				return "link " + std::to_string(which);
			}
			case 6: return SetSomeValue(tab);
			case 7: Command(PULSOR_CONVERT_TO_KEYS); return "convert to keyframes";
			case 8: InCallerGroup(PULSOR_BAKE_DIRECT); return "bake direct";
			case 9: Command(PULSOR_CLEAR_KEYS); return "clear keyframes";
			case 10: InCallerGroup(PULSOR_CLEAR_KEYS_NO_UNDO); return "clear keyframes without undo";
			case 11:
				// The name is set by an edit of its own ("set preset name").
				Command(PULSOR_PRESET_LOAD);
				return "load preset " + data()->GetString(PULSOR_PRESET_NAME).GetStdString();
		}
		PickModifier(PULSOR_MOD_SIN);
		return "add 2";
	}
	std::string SetSomeValue(LONG tab)
	{
		const Real value = (Real)Pick(2001) / 100.0 - 10.0;
		switch (tab < 0 ? Pick(4) : Pick(8))
		{
			case 0:
			{
				const char* name = Pick(3) == 0 ? "Missing" : Pick(2) == 0 ? "A" : "B";
				SetValue(PULSOR_PRESET_NAME, GeData(String(name)));
				return std::string("set preset name ") + name;
			}
			case 1: SetValue(PULSOR_VOLUME, GeData(value)); return "set volume";
			case 2:
			{
				const Bool ignore = Pick(2) == 0;
				SetValue(PULSOR_IGNORE_KEYS, GeData(ignore));
				return std::string("set ignore keys ") + (ignore ? "on" : "off");
			}
			case 3: SetValue(PULSOR_END_VALUE + 1, GeData(value)); return "set end value";
			case 4:
			{
				const LONG type = 1 + (LONG)Pick(PULSOR_MOD_COUNT);
				SetValue(TabBase(tab) + PULSOR_TAB_TYPE, GeData(type));
				return "set type of " + std::to_string(tab) + " to " + std::to_string(type);
			}
			case 5: SetValue(TabBase(tab) + PULSOR_TAB_NAME, GeData(String(Pick(3) == 0 ? "" : "Wave"))); return "set name";
			case 6: SetValue(TabBase(tab) + PULSOR_TAB_STRENGTH, GeData(value)); return "set strength";
			default:
				SetValue(TabBase(tab) + PULSOR_TAB_STRENGTH_MODE, GeData((LONG)Pick(7)));
				return "set strength mode";
		}
	}

	BaseObject* other_ = nullptr;
	pulsor_test::TempFolder presets_;
	std::mt19937 random_{ kSeed };
};

TEST_F(UndoSequenceTest, UndoingEverythingGivesTheStartAndRedoingItTheEnd)
{
	for (int sequence = 0; sequence < kSequences; ++sequence)
	{
		NewScene();
		// A few edits first, so that sequences also start from tabs, links
		// and keys.
		const int warmUp = (int)Pick(6);
		for (int i = 0; i < warmUp; ++i)
			Edit();
		std::ostringstream edits;
		edits << "seed " << kSeed << ", sequence " << sequence << " (after " << warmUp << " warm-up edits):";
		// The document before each edit, and the groups each edit added.
		std::vector<std::vector<ElementSnapshot>> before;
		std::vector<LONG> groups;
		const int count = 1 + (int)Pick(kMostEdits);
		for (int i = 0; i < count; ++i)
		{
			before.push_back(SnapDocument(doc_));
			const LONG steps = doc_->GetUndoCount();
			edits << " [" << Edit() << "]";
			groups.push_back(doc_->GetUndoCount() - steps);
		}
		before.push_back(SnapDocument(doc_));

		// Edit by edit backwards: each undo gives the document before it, so
		// an edit that recorded no step of its own shows.
		for (int i = count - 1; i >= 0; --i)
		{
			for (LONG g = 0; g < groups[(size_t)i]; ++g)
				ASSERT_TRUE(doc_->DoUndo()) << edits.str();
			const std::string undone = Difference(before[(size_t)i], SnapDocument(doc_));
			ASSERT_EQ(undone, "") << "after undoing edit " << i + 1 << ", " << edits.str();
		}
		for (int i = 0; i < count; ++i)
		{
			for (LONG g = 0; g < groups[(size_t)i]; ++g)
				ASSERT_TRUE(doc_->DoRedo()) << edits.str();
			const std::string redone = Difference(before[(size_t)i + 1], SnapDocument(doc_));
			ASSERT_EQ(redone, "") << "after redoing edit " << i + 1 << ", " << edits.str();
		}
		EXPECT_EQ(doc_->GetRedoCount(), 0) << edits.str();
	}
}

} // namespace
