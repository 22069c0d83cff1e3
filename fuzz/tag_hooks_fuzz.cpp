// The Pulsor tag's hooks on containers made from the fuzzer's bytes. The bytes
// decode into edits of a tag's container -- tab lists with any count and
// entries, tab types, times, curves, link types, slots, component modes,
// priorities, labels, values of the wrong type -- by the identifiers of
// pulsor_ids.h, and then into a run of hook calls: CalculateOutput, scene
// evaluations over frames, the page (GetDDescription) with GetDEnabling on
// every element, and the messages (tab and button commands, follow-ups of
// edits, drag and drop, icons).
//
// Files the tag writes (presets) go to a scratch copy of the module folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "c4d.h"
#include "customgui_descproperty.h"
#include "customgui_priority.h"
#include "customgui_splinecontrol.h"
#include "fuzz_common.h"
#include "host_string.h"
#include "linked_pulsor.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

namespace fs = std::filesystem;

#define PULSOR_FUZZ_ID(name, value, kind) { value, kind },
struct KnownId
{
	LONG id;
	PulsorIdKind kind;
};
const KnownId kGlobals[] = { PULSOR_GLOBAL_IDS(PULSOR_FUZZ_ID) };
const KnownId kTabFields[] = { PULSOR_TAB_FIELDS(PULSOR_FUZZ_ID) };
#undef PULSOR_FUZZ_ID

template <typename T, size_t N>
size_t Count(const T (&)[N])
{
	return N;
}

const LONG kLongs[] = { 0, 1, -1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 19, 22, 23, 99, 1000, 1001,
	std::numeric_limits<LONG>::max(), std::numeric_limits<LONG>::min(), PULSOR_MAX_TAB_NUMBER,
	PULSOR_MAX_TAB_NUMBER + 1, DTYPE_BOOL, DTYPE_LONG, DTYPE_REAL, DTYPE_TIME, DTYPE_VECTOR, DTYPE_COLOR,
	Obase, Mbase, PULSOR_TAG_ID, 3000, -3000 };

const Real kReals[] = { 0.0, 1.0, -1.0, 0.5, 2.0, 3.0, 30.0, 90.0, -0.25, 1e-300, 1e300, -1e300, 5e-324, 2147483647.0,
	2147483648.0, -2147483649.0, 9.3e18, std::numeric_limits<Real>::quiet_NaN(), std::numeric_limits<Real>::infinity(),
	-std::numeric_limits<Real>::infinity() };

// The elements a link or a drop may name.
struct Scene
{
	BaseDocument* doc = nullptr;
	BaseObject* cube = nullptr;
	BaseObject* other = nullptr;
	BaseTag* tag = nullptr;
	BaseTag* display = nullptr;
	BaseMaterial* material = nullptr;
	BaseMaterial* loose = nullptr;    // in no document

	Pulsor* pulsor() const { return static_cast<Pulsor*>(tag->GetNodeData()); }
	BaseContainer* data() const { return tag->GetDataInstance(); }
};

// PULSOR_FUZZ_TRACE=1 names each step on standard error, for reducing a
// finding to a test.
const bool g_trace = std::getenv("PULSOR_FUZZ_TRACE") != nullptr;

fs::path g_module;     // the scratch module folder: res/ and res/Presets
fs::path g_presets;    // its pristine presets
bool g_presetsTouched = false;

LONG PickLong(FuzzedDataProvider& in)
{
	if (in.ConsumeBool())
		return kLongs[in.ConsumeIntegralInRange<size_t>(0, Count(kLongs) - 1)];
	return in.ConsumeIntegral<LONG>();
}

Real PickReal(FuzzedDataProvider& in)
{
	switch (in.ConsumeIntegralInRange(0, 2))
	{
		case 0: return kReals[in.ConsumeIntegralInRange<size_t>(0, Count(kReals) - 1)];
		case 1: return (Real)in.ConsumeIntegralInRange<LONG>(-400, 400) / 4.0;
		default:
		{
			const uint64_t bits = in.ConsumeIntegral<uint64_t>();
			Real r;
			std::memcpy(&r, &bits, sizeof r);
			return r;
		}
	}
}

// An identifier computed in 64 bits and wrapped as the host stores it.
LONG Wrap(LLONG v)
{
	return (LONG)(uint32_t)(uint64_t)v;
}

LONG PickTabNumber(FuzzedDataProvider& in)
{
	switch (in.ConsumeIntegralInRange(0, 3))
	{
		case 0:
		case 1: return in.ConsumeIntegralInRange<LONG>(1, 5);
		case 2: return PickLong(in);
		default: return in.ConsumeIntegralInRange<LONG>(-2, 20);
	}
}

LONG PickTabOffset(FuzzedDataProvider& in)
{
	if (in.ConsumeBool())
	{
		const KnownId& field = kTabFields[in.ConsumeIntegralInRange<size_t>(0, Count(kTabFields) - 1)];
		if (field.kind == PULSOR_KIND_TYPED || field.kind == PULSOR_KIND_DISPLAY)
			return field.id + in.ConsumeIntegralInRange<LONG>(0, 10);
		return field.id;
	}
	return in.ConsumeIntegralInRange<LONG>(-1, PULSOR_TAB_STRIDE);
}

LONG PickId(FuzzedDataProvider& in)
{
	switch (in.ConsumeIntegralInRange(0, 5))
	{
		case 0:
		case 1:
		{
			const KnownId& global = kGlobals[in.ConsumeIntegralInRange<size_t>(0, Count(kGlobals) - 1)];
			if (global.kind == PULSOR_KIND_TYPED || global.kind == PULSOR_KIND_DISPLAY)
				return global.id + in.ConsumeIntegralInRange<LONG>(-1, 10);
			return global.id;
		}
		case 2:
		case 3: return Wrap((LLONG)PickTabNumber(in) * PULSOR_TAB_STRIDE + PULSOR_TAB_BASE_OFFSET + PickTabOffset(in));
		case 4: return in.ConsumeIntegralInRange<LONG>(1990, 2400);
		default: return PickLong(in);
	}
}

BaseList2D* PickElement(FuzzedDataProvider& in, const Scene& s)
{
	switch (in.ConsumeIntegralInRange(0, 7))
	{
		case 0: return s.cube;
		case 1: return s.other;
		case 2: return s.tag;
		case 3: return s.display;
		case 4: return s.material;
		case 5: return s.loose;
		case 6: return s.doc;
		default: return nullptr;
	}
}

DescID PickDescID(FuzzedDataProvider& in)
{
	static const LONG kDtypes[] = { 0, DTYPE_BOOL, DTYPE_LONG, DTYPE_REAL, DTYPE_TIME, DTYPE_VECTOR, DTYPE_COLOR,
		DTYPE_STRING, 99 };
	static const LONG kParameters[] = { ID_BASEOBJECT_REL_POSITION, ID_BASEOBJECT_REL_ROTATION, ID_BASEOBJECT_REL_SCALE,
		ID_BASEOBJECT_COLOR, ID_BASEOBJECT_VISIBILITY_EDITOR, ID_BASEOBJECT_VISIBILITY_RENDER, PRIM_CUBE_LEN, PRIM_CUBE_SUBX,
		PRIM_CUBE_DOFILLET, PRIM_CUBE_FRAD, STANDIN_CUBE_TIME_OFFSET, MATERIAL_COLOR_COLOR, MATERIAL_COLOR_BRIGHTNESS, DISPLAYTAG_VISIBILITY, ID_BASELIST_NAME,
		EXPRESSION_PRIORITY, VECTOR_X, VECTOR_Y, VECTOR_Z, 0, PULSOR_START_VALUE + 1 };
	DescID id;
	const LONG depth = in.ConsumeIntegralInRange<LONG>(0, 4);
	for (LONG i = 0; i < depth; ++i)
	{
		const LONG level = in.ConsumeBool() ? kParameters[in.ConsumeIntegralInRange<size_t>(0, Count(kParameters) - 1)]
											: PickLong(in);
		const LONG dtype = in.ConsumeBool() ? kDtypes[in.ConsumeIntegralInRange<size_t>(0, Count(kDtypes) - 1)]
											: PickLong(in);
		id.PushId(DescLevel(level, dtype, in.ConsumeBool() ? 0 : PickLong(in)));
	}
	return id;
}

SplineData PickCurve(FuzzedDataProvider& in)
{
	SplineData curve;
	const LONG knots = in.ConsumeIntegralInRange<LONG>(0, 8);
	for (LONG i = 0; i < knots; ++i)
		curve.InsertKnot(PickReal(in), PickReal(in), in.ConsumeIntegral<uint8_t>());
	// Knots as a file gives them back: unsorted, not finite, any tangents.
	if (in.ConsumeBool())
	{
		for (LONG i = 0; i < curve.GetKnotCount(); ++i)
		{
			CustomSplineKnot* k = curve.GetKnot(i);
			k->vPos = Vector(PickReal(in), PickReal(in), 0.0);
			k->vTangentLeft = Vector(PickReal(in), PickReal(in), 0.0);
			k->vTangentRight = Vector(PickReal(in), PickReal(in), 0.0);
		}
	}
	return curve;
}

GeData PickValue(FuzzedDataProvider& in, const Scene& s, int depth);

// A container of the shape the tag keeps under some identifiers: the tab
// list (count and numbers), labels (texts by index), the curve library
// (curves by index), or anything.
BaseContainer PickContainer(FuzzedDataProvider& in, const Scene& s, int depth)
{
	BaseContainer bc(in.ConsumeBool() ? 0 : PickLong(in));
	switch (in.ConsumeIntegralInRange(0, 3))
	{
		case 0:
		{
			bc.SetData(PULSOR_TAB_LIST_COUNT, in.ConsumeBool() ? GeData(PickLong(in)) : PickValue(in, s, depth + 1));
			const LONG entries = in.ConsumeIntegralInRange<LONG>(0, 24);
			for (LONG i = 0; i < entries; ++i)
			{
				const LONG at = in.ConsumeBool() ? PULSOR_TAB_LIST_FIRST + i : in.ConsumeIntegralInRange<LONG>(-2, 40);
				bc.SetData(at, in.ConsumeIntegralInRange(0, 5) ? GeData(PickTabNumber(in)) : PickValue(in, s, depth + 1));
			}
			break;
		}
		case 1:
		{
			const LONG entries = in.ConsumeIntegralInRange<LONG>(0, 14);
			for (LONG i = 0; i < entries; ++i)
				bc.SetString(in.ConsumeBool() ? i : in.ConsumeIntegralInRange<LONG>(-2, 20), in.ConsumeRandomLengthString(16).c_str());
			break;
		}
		case 2:
		{
			const LONG entries = in.ConsumeIntegralInRange<LONG>(0, PULSOR_CURVE_COUNT + 1);
			for (LONG i = 0; i < entries; ++i)
				bc.SetData(in.ConsumeBool() ? i : in.ConsumeIntegralInRange<LONG>(-2, 20),
					in.ConsumeIntegralInRange(0, 4) ? GeData(CUSTOMDATATYPE_SPLINE, PickCurve(in)) : PickValue(in, s, depth + 1));
			break;
		}
		default:
		{
			const LONG entries = in.ConsumeIntegralInRange<LONG>(0, 6);
			for (LONG i = 0; i < entries; ++i)
				bc.SetData(PickLong(in), PickValue(in, s, depth + 1));
			break;
		}
	}
	return bc;
}

GeData PickValue(FuzzedDataProvider& in, const Scene& s, int depth)
{
	switch (in.ConsumeIntegralInRange(0, depth < 3 ? 13 : 11))
	{
		case 0: return GeData(PickLong(in));
		case 1: return GeData(PickReal(in));
		case 2: return GeData(BaseTime(PickReal(in), PickReal(in)));
		case 3: return GeData(Vector(PickReal(in), PickReal(in), PickReal(in)));
		case 4: return GeData(HostString(in.ConsumeRandomLengthString(24)));
		case 5: return GeData((LLONG)in.ConsumeIntegral<int64_t>(), LLONGVALUE);
		case 6: return GeData(CUSTOMDATATYPE_SPLINE, PickCurve(in));
		case 7: return GeData(CUSTOMDATATYPE_DESCID, PickDescID(in));
		case 8:
		{
			GeData link;
			link.SetBaseList2D(PickElement(in, s));
			return link;
		}
		case 9:
		{
			PriorityData priority;
			priority.SetPriorityValue(PRIORITYVALUE_MODE, GeData(PickLong(in)));
			priority.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData(PickLong(in)));
			priority.SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData(PickLong(in)));
			return GeData(CUSTOMGUI_PRIORITY_DATA, priority);
		}
		case 10: return GeData(Filename(HostString(in.ConsumeRandomLengthString(24))));
		case 11: return GeData();
		default: return GeData(PickContainer(in, s, depth));
	}
}

// One edit of the tag's container. The preset folder is left alone: it names
// where the tag writes files.
void Edit(FuzzedDataProvider& in, const Scene& s)
{
	BaseContainer* data = s.data();
	switch (in.ConsumeIntegralInRange(0, 5))
	{
		case 0:
		{
			// A consistent or inconsistent link type, slot and component mode.
			data->SetLong(PULSOR_LINK_TYPE, PickLong(in));
			data->SetLong(PULSOR_TYPE_SLOT, in.ConsumeBool() ? in.ConsumeIntegralInRange<LONG>(-1, 7) : PickLong(in));
			data->SetLong(PULSOR_COMPONENT_MODE, in.ConsumeBool() ? in.ConsumeIntegralInRange<LONG>(0, 9) : PickLong(in));
			return;
		}
		case 1: data->SetContainer(PULSOR_TAB_LIST, PickContainer(in, s, 0)); return;
		case 2:
		{
			// A tab's type, or its curve.
			const LONG base = Wrap((LLONG)PickTabNumber(in) * PULSOR_TAB_STRIDE + PULSOR_TAB_BASE_OFFSET);
			if (in.ConsumeBool())
				data->SetLong(Wrap((LLONG)base + PULSOR_TAB_TYPE), in.ConsumeIntegralInRange<LONG>(-1, 10));
			else
				data->SetData(Wrap((LLONG)base + PULSOR_TAB_CUSTOM_CURVE + 3 * in.ConsumeIntegralInRange<LONG>(0, 4)),
					GeData(CUSTOMDATATYPE_SPLINE, PickCurve(in)));
			return;
		}
		case 3:
		{
			GeData link;
			link.SetBaseList2D(PickElement(in, s));
			data->SetData(PULSOR_LINK, link);
			data->SetLong(PULSOR_LINK_CLASS, in.ConsumeBool() ? (in.ConsumeBool() ? Obase : Mbase) : PickLong(in));
			data->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, PickDescID(in)));
			return;
		}
		default:
		{
			const LONG id = PickId(in);
			if (g_trace)
				std::fprintf(stderr, "edit %d\n", (int)id);
			if (id == PULSOR_PRESET_FOLDER)
				return;
			if (in.ConsumeIntegralInRange(0, 7) == 0)
				data->RemoveData(id);
			else
				data->SetData(id, PickValue(in, s, 0));
			return;
		}
	}
}

LONG PickCommand(FuzzedDataProvider& in)
{
	static const LONG kCommands[] = { PULSOR_MATCH_TIMELINE, PULSOR_REBUILD_LABELS, PULSOR_CONVERT_TO_KEYS,
		PULSOR_BAKE_DIRECT, PULSOR_CLEAR_KEYS, PULSOR_CLEAR_KEYS_NO_UNDO, PULSOR_HELP_BASE, PULSOR_HELP_OUTPUT,
		PULSOR_PRESET_BROWSE, PULSOR_PRESET_SAVE, PULSOR_PRESET_LOAD, PULSOR_PRESET_REFRESH, PULSOR_PRESET_CHOICE };
	static const LONG kTabCommands[] = { PULSOR_TAB_DELETE, PULSOR_TAB_MOVE_UP, PULSOR_TAB_MOVE_DOWN, PULSOR_TAB_DUPLICATE,
		PULSOR_TAB_MATCH_TIMELINE, PULSOR_TAB_HELP };
	switch (in.ConsumeIntegralInRange(0, 3))
	{
		case 0: return kCommands[in.ConsumeIntegralInRange<size_t>(0, Count(kCommands) - 1)];
		case 1:
		case 2:
			return Wrap((LLONG)PickTabNumber(in) * PULSOR_TAB_STRIDE + PULSOR_TAB_BASE_OFFSET
				+ kTabCommands[in.ConsumeIntegralInRange<size_t>(0, Count(kTabCommands) - 1)]);
		default: return PickId(in);
	}
}

// A bake runs one scene evaluation per frame: a long range is slow by
// nature, not stuck. The bakes sent stay within the fuzzer's time limit, or
// lie past the longest range the tag bakes at all, which it refuses at once
// (that limit has its own tests).
bool QuickBake(const Scene& s)
{
	const BaseContainer& data = *s.data();
	const Real fps = (Real)s.doc->GetFps();
	BaseTime from = data.GetTime(PULSOR_KEY_FROM);
	BaseTime to = data.GetTime(PULSOR_KEY_TO);
	if (data.GetLong(PULSOR_KEY_SEQUENCE, 0) != 1)
	{
		const BaseContainer settings = s.doc->GetData(DOCUMENTSETTINGS_GENERAL);
		from = settings.GetTime(DOCUMENT_MINTIME);
		to = settings.GetTime(DOCUMENT_MAXTIME);
	}
	const LLONG span = (LLONG)to.GetFrame(fps) - (LLONG)from.GetFrame(fps);
	return span <= 3000 || span >= 1000000;
}

// Preset commands work in the scratch folder, on a shipped preset's name, a
// new one, or any text (separators, "..", empty).
void PrepareCommand(FuzzedDataProvider& in, const Scene& s, LONG id)
{
	if (id < PULSOR_PRESET_FIRST_COMMAND || id > PULSOR_PRESET_LAST_COMMAND)
		return;
	s.data()->SetString(PULSOR_PRESET_FOLDER, (g_module / "res" / "Presets").string().c_str());
	static const char* const kNames[] = { "Flicker", "Heartbeat", "Gentle Wobble", "Colour Drift", "Mine", "." };
	switch (in.ConsumeIntegralInRange(0, 2))
	{
		case 0: s.data()->SetString(PULSOR_PRESET_NAME, kNames[in.ConsumeIntegralInRange<size_t>(0, Count(kNames) - 1)]); break;
		case 1: s.data()->SetString(PULSOR_PRESET_NAME, in.ConsumeRandomLengthString(24).c_str()); break;
		default: break;
	}
	g_presetsTouched = true;
}

void Page(FuzzedDataProvider& in, const Scene& s)
{
	Description* page = Description::Alloc();
	if (!page)
		return;
	DescID single;
	if (in.ConsumeBool())
	{
		single = DescID(PickId(in));
		page->SetSingleDescID(&single);
	}
	s.tag->GetDescription(page, in.ConsumeBool() ? DESCFLAGS_DESC_0 : DESCFLAGS_DESC_LOADED);
	page->SetSingleDescID(nullptr);
	for (LONG i = 0; i < page->GetElementCount(); ++i)
	{
		const DescID* id = page->GetElementId(i);
		s.pulsor()->GetDEnabling(s.tag, *id, GeData(), DESCFLAGS_ENABLE_0, page->GetElementSettings(i));
		GeData value;
		s.tag->GetParameter(*id, value, DESCFLAGS_GET_0);
	}
	Description::Free(page);
}

void Drop(FuzzedDataProvider& in, const Scene& s)
{
	AutoAlloc<AtomArray> elements;
	const LONG count = in.ConsumeIntegralInRange<LONG>(0, 3);
	for (LONG i = 0; i < count; ++i)
		if (BaseList2D* element = PickElement(in, s))
			elements->Append(element);
	DescPropertyDragData payload = { elements, PickDescID(in) };
	DragAndDrop drop = { in.ConsumeBool() ? s.doc : nullptr, 0, in.ConsumeIntegralInRange(0, 4) ? (LONG)DRAGTYPE_DESCID : PickLong(in),
		in.ConsumeIntegralInRange(0, 8) ? &payload : nullptr, 0 };
	HostSetMouseButton(in.ConsumeBool());
	const bool undo = in.ConsumeBool();
	if (undo)
		s.doc->StartUndo();
	s.tag->Message(MSG_DRAGANDDROP, &drop);
	if (undo)
		s.doc->EndUndo();
	HostSetMouseButton(false);
}

void Run(FuzzedDataProvider& in, const Scene& s)
{
	const int op = in.ConsumeIntegralInRange(0, 14);
	if (g_trace)
		std::fprintf(stderr, "run %d\n", op);
	switch (op)
	{
		case 0:
		{
			const BaseContainer out = s.pulsor()->CalculateOutput(s.data(), s.doc, PickReal(in), in.ConsumeIntegralInRange<LONG>(-1, 2));
			(void)out;
			return;
		}
		case 1:
		case 2:
		{
			const LONG frames = in.ConsumeIntegralInRange<LONG>(1, 4);
			for (LONG i = 0; i < frames; ++i)
			{
				s.doc->SetTime(in.ConsumeBool() ? BaseTime((Real)in.ConsumeIntegralInRange<LONG>(-5, 120), 30.0)
												: BaseTime(PickReal(in), PickReal(in)));
				s.doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
			}
			return;
		}
		case 3: Page(in, s); return;
		case 4:
		case 5:
		{
			const LONG id = PickCommand(in);
			if (g_trace)
				std::fprintf(stderr, "  command %d\n", (int)id);
			if ((id == PULSOR_BAKE_DIRECT || id == PULSOR_CONVERT_TO_KEYS) && !QuickBake(s))
				return;
			PrepareCommand(in, s, id);
			DescriptionCommand command = { DescID(id) };
			s.tag->Message(MSG_DESCRIPTION_COMMAND, &command);
			return;
		}
		case 6:
		{
			const DescID id(in.ConsumeBool() ? PickId(in) : PickCommand(in));
			DescriptionPostSetValue set = { &id };
			s.tag->Message(MSG_DESCRIPTION_POSTSETPARAMETER, in.ConsumeIntegralInRange(0, 8) ? &set : nullptr);
			return;
		}
		case 7: Drop(in, s); return;
		case 8:
		{
			DescriptionCheckDragAndDrop check = { PickDescID(in), PickElement(in, s), TRUE };
			s.tag->Message(MSG_DESCRIPTION_CHECKDRAGANDDROP, &check);
			return;
		}
		case 9:
		{
			// Icons and help bitmaps read image files: slow, and the same every
			// time, so they come rarely.
			if (in.ConsumeIntegralInRange(0, 7) != 0)
				return;
			IconData icon = { nullptr, 0, 0, 0, 0 };
			GetCustomIconData request = { &icon, FALSE };
			s.tag->Message(MSG_GETCUSTOMICON, &request);
			return;
		}
		case 10:
		{
			s.tag->Message(MSG_MULTI_DOCUMENTIMPORTED, nullptr);
			if (in.ConsumeIntegralInRange(0, 7) != 0)
				return;
			DescriptionGetBitmap bitmap = { DescID(PickCommand(in)), nullptr };
			s.tag->Message(MSG_DESCRIPTION_GETBITMAP, &bitmap);
			BaseBitmap::Free(bitmap.bmp);
			return;
		}
		case 11:
		{
			// What the attribute manager does on an edit: the value goes in
			// through the parameter interface, then the follow-up message.
			const LONG id = PickId(in);
			if (id == PULSOR_PRESET_FOLDER)
				return;
			s.doc->StartUndo();
			s.doc->AddUndo(UNDOTYPE_CHANGE, s.tag);
			s.tag->SetParameter(DescID(id), PickValue(in, s, 0), DESCFLAGS_SET_0);
			s.doc->EndUndo();
			const DescID set(id);
			DescriptionPostSetValue record = { &set };
			s.tag->Message(MSG_DESCRIPTION_POSTSETPARAMETER, &record);
			return;
		}
		case 12: s.pulsor()->AddTab(s.data(), s.tag, in.ConsumeIntegralInRange<LONG>(-1, 10)); return;
		case 13: s.pulsor()->UpdatePulsor(s.data()); return;
		default:
		{
			// A hostile document: its rate and range.
			BaseContainer settings = s.doc->GetData(DOCUMENTSETTINGS_GENERAL);
			settings.SetData(DOCUMENT_FPS, in.ConsumeBool() ? GeData(PickLong(in)) : PickValue(in, s, 2));
			settings.SetTime(DOCUMENT_MINTIME, BaseTime(PickReal(in), PickReal(in)));
			settings.SetTime(DOCUMENT_MAXTIME, BaseTime(PickReal(in), PickReal(in)));
			s.doc->SetData(DOCUMENTSETTINGS_GENERAL, settings);
			return;
		}
	}
}

void ResetPresets()
{
	std::error_code ec;
	const fs::path folder = g_module / "res" / "Presets";
	fs::remove_all(folder, ec);
	fs::copy(g_presets, folder, fs::copy_options::recursive, ec);
	g_presetsTouched = false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	pulsor_fuzz::QuietHost();
	// The module's resources, copied: presets the tag saves land in the copy.
	std::error_code ec;
	g_module = pulsor_fuzz::ScratchFolder() / "module";
	g_presets = pulsor_fuzz::ScratchFolder() / "presets";
	fs::create_directories(g_module, ec);
	fs::copy(fs::path(PULSOR_SOURCE_DIR) / "res", g_module / "res", fs::copy_options::recursive, ec);
	fs::copy(fs::path(PULSOR_SOURCE_DIR) / "res" / "Presets", g_presets, fs::copy_options::recursive, ec);
	HostSetPluginPath(Filename(g_module.string().c_str()));
	if (!RegisterLinkedPulsor(g_module.string()))
		std::abort();
	// The folder dialog picks the scratch presets; questions are answered no.
	HostSetFileSelectHandler([](FILESELECTTYPE, FILESELECT, const String&, String* chosen) {
		*chosen = String((g_module / "res" / "Presets").string().c_str());
		return true;
	});
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
	FuzzedDataProvider in(bytes, size);
	Scene s;
	s.doc = BaseDocument::Alloc();
	s.cube = BaseObject::Alloc(Ocube);
	s.other = BaseObject::Alloc(Ocube);
	s.tag = BaseTag::Alloc(PULSOR_TAG_ID);
	s.display = BaseTag::Alloc(Tdisplay);
	s.material = BaseMaterial::Alloc(Mmaterial);
	s.loose = BaseMaterial::Alloc(Mmaterial);
	if (!s.doc || !s.cube || !s.other || !s.tag || !s.display || !s.material || !s.loose)
		std::abort();
	s.doc->InsertObject(s.cube);
	s.doc->InsertObject(s.other);
	s.cube->InsertTag(s.tag);
	s.other->InsertTag(s.display);
	s.doc->InsertMaterial(s.material);
	HostSetActiveDocument(s.doc);

	// A tag as the user builds it: some tabs, a linked parameter.
	const LONG tabs = in.ConsumeIntegralInRange<LONG>(0, 4);
	for (LONG i = 0; i < tabs; ++i)
		s.pulsor()->AddTab(s.data(), s.tag, in.ConsumeIntegralInRange<LONG>(PULSOR_MOD_NOISE, PULSOR_MOD_COUNT));
	if (in.ConsumeBool())
	{
		static const DescID kLinks[] = {
			DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0)),
			DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0)),
			DescID(DescLevel(PRIM_CUBE_SUBX, DTYPE_LONG, 0)),
			DescID(DescLevel(PRIM_CUBE_DOFILLET, DTYPE_BOOL, 0)),
			DescID(DescLevel(PRIM_CUBE_FRAD, DTYPE_REAL, 0)),
			DescID(DescLevel(STANDIN_CUBE_TIME_OFFSET, DTYPE_TIME, 0)),
			DescID(DescLevel(ID_BASEOBJECT_COLOR, DTYPE_COLOR, 0)),
			DescID(DescLevel(MATERIAL_COLOR_COLOR, DTYPE_COLOR, 0)),
			DescID(DescLevel(MATERIAL_COLOR_BRIGHTNESS, DTYPE_REAL, 0)),
			DescID(DescLevel(DISPLAYTAG_VISIBILITY, DTYPE_REAL, 0)),
		};
		const size_t pick = in.ConsumeIntegralInRange<size_t>(0, Count(kLinks) - 1);
		BaseList2D* element = pick >= 9 ? (BaseList2D*)s.display : (pick >= 7 ? (BaseList2D*)s.material : (BaseList2D*)s.cube);
		AutoAlloc<AtomArray> elements;
		elements->Append(element);
		DescPropertyDragData payload = { elements, kLinks[pick] };
		DragAndDrop drop = { s.doc, 0, DRAGTYPE_DESCID, &payload, 0 };
		s.doc->StartUndo();
		s.tag->Message(MSG_DRAGANDDROP, &drop);
		s.doc->EndUndo();
	}

	const LONG edits = in.ConsumeIntegralInRange<LONG>(0, 40);
	for (LONG i = 0; i < edits && in.remaining_bytes() > 0; ++i)
		Edit(in, s);
	for (LONG i = 0; i < 16 && in.remaining_bytes() > 0; ++i)
	{
		if (in.ConsumeIntegralInRange(0, 3) == 0)
			Edit(in, s);
		else
			Run(in, s);
	}
	// Whatever happened, the tag still evaluates and builds its page.
	s.pulsor()->CalculateOutput(s.data(), s.doc, 1.0, 1);
	s.doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);

	HostSetActiveDocument(nullptr);
	BaseDocument::Free(s.doc);
	BaseMaterial::Free(s.loose);
	if (g_presetsTouched)
		ResetPresets();
	return 0;
}
