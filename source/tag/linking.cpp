// Linking a parameter: the drop of a parameter's label onto the tag, and
// ChangeParameter, which records the link.
#include "commands.h"
#include "customgui_descproperty.h"
#include "link_state.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

// Key of a description record that the host reserves; the tag empties it.
const LONG kDescriptionReserved = 999;

LONG LastLevelType(const DescID& id)
{
	return id[id.GetDepth() - 1].dtype;
}

bool IsAcceptedType(LONG dtype)
{
	return FindLinkType(dtype) != nullptr;
}

Real VectorComponent(const Vector& v, LONG index)
{
	return index == 0 ? v.x : (index == 1 ? v.y : v.z);
}

// The record of one component of a vector or colour: a real with the
// parent's limits for that component.
Bool ComponentRecord(Description* description, const DescID& id, BaseContainer* record)
{
	DescID parentId = id;
	parentId.PopId();
	BaseContainer temp;
	const BaseContainer* parent = description->GetParameter(parentId, temp, nullptr);
	if (!parent)
		return FALSE;
	const bool colour = parentId[parentId.GetDepth() - 1].dtype == DTYPE_COLOR;
	const LONG component = id[id.GetDepth() - 1].id;
	const LONG index = component - VECTOR_X;
	const bool known = index >= 0 && index < 3;
	static const CHAR* const kVectorSuffix[] = { " X", " Y", " Z" };
	static const CHAR* const kColourSuffix[] = { " R", " G", " B" };
	const String suffix = known ? String(colour ? kColourSuffix[index] : kVectorSuffix[index]) : String("?");

	*record = GetCustomDataTypeDefault(DTYPE_REAL);
	const String parentName = parent->GetString(DESC_NAME, " ");
	record->SetString(DESC_NAME, (!colour && !parentName.Content()) ? suffix : parentName + suffix);
	record->SetLong(DESC_CUSTOMGUI, DTYPE_REAL);
	if (known)
	{
		record->SetReal(DESC_MIN, VectorComponent(parent->GetVector(DESC_MIN, Vector(-1.0)), index));
		record->SetReal(DESC_MAX, VectorComponent(parent->GetVector(DESC_MAX, Vector(1.0)), index));
		record->SetReal(DESC_STEP, VectorComponent(parent->GetVector(DESC_STEP, Vector(1.0)), index));
	}
	record->SetLong(DESC_UNIT, colour ? DESC_UNIT_PERCENT : parent->GetLong(DESC_UNIT, 0));
	return TRUE;
}

// The description record of the linked parameter and its data type; FALSE
// when it cannot be built.
Bool BuildRecord(Description* description, const DescID& id, BaseContainer* record, LONG* dtype)
{
	const LONG depth = id.GetDepth();
	const LONG type = LastLevelType(id);
	BaseContainer temp;
	const BaseContainer* own = description->GetParameter(id, temp, nullptr);
	const bool component = type == DTYPE_REAL && depth >= 2 &&
		(id[depth - 2].dtype == DTYPE_VECTOR || id[depth - 2].dtype == DTYPE_COLOR);
	*dtype = type;
	if (component)
		return ComponentRecord(description, id, record);
	if (type == DTYPE_BOOL)
	{
		*record = GetCustomDataTypeDefault(DTYPE_REAL);
		record->SetString(kDescriptionReserved, String());
		record->SetString(DESC_NAME, own ? own->GetString(DESC_NAME, " ") : String(" "));
		record->SetLong(DESC_CUSTOMGUI, DTYPE_REAL);
		record->SetReal(DESC_STEP, 0.1);
		return TRUE;
	}
	if (!IsAcceptedType(type))
		return TRUE;
	*record = own ? *own : BaseContainer();
	record->SetString(kDescriptionReserved, String());
	if (type == DTYPE_REAL || type == DTYPE_LONG)
		record->SetLong(DESC_CUSTOMGUI, type);
	return TRUE;
}

// A changed type starts the tag afresh from the parameter's current value.
void SeedValues(BaseContainer* data, const GeData& current, const LinkTypeRow& row)
{
	ZeroBlock(data, PULSOR_START_VALUE, PULSOR_SLOT_NONE);
	ZeroBlock(data, PULSOR_END_VALUE, PULSOR_SLOT_NONE);
	if (current.GetType() != DA_NIL)
		row.seedEnd(data, PULSOR_END_VALUE + row.slot, current);
}

void SeedVariations(BaseContainer* data, const GeData& current, const LinkTypeRow& row, Real fps)
{
	const TabList tabs(data->GetContainer(PULSOR_TAB_LIST));
	for (LONG i = 0; i < tabs.GetCount(); ++i)
		row.seedLinkedTab(data, TabBase(tabs[i]) + PULSOR_TAB_VARIATION + row.slot, current, fps);
}

LONG IconKindOf(const DescID& id)
{
	switch (id[0].id)
	{
		case ID_BASEOBJECT_REL_POSITION: return PULSOR_ICON_POSITION;
		case ID_BASEOBJECT_REL_ROTATION: return PULSOR_ICON_ROTATION;
		case ID_BASEOBJECT_REL_SCALE: return PULSOR_ICON_SCALE;
		default: return PULSOR_ICON_GLYPH;
	}
}

} // namespace

Bool Pulsor::ChangeParameter(BaseContainer* data, BaseDocument* doc, C4DAtom* element, DescID id, BaseTag* tag)
{
	(void)doc;
	if (!data || !element || !tag || id.GetDepth() < 1)
		return TRUE;
	const LONG classification = element->GetClassification();
	if (classification == Obase && element != tag->GetObject())
		return TRUE;
	data->SetLong(PULSOR_ICON_KIND, PULSOR_ICON_GLYPH);
	data->SetLong(PULSOR_LINK_CLASS, classification);

	AutoAlloc<Description> description;
	if (!description || !element->GetDescription(description, DESCFLAGS_DESC_0))
		return TRUE;
	if (classification == Tbase && id.GetDepth() > 2 && id[1].id == element->GetType())
		id = id << 2;
	AutoAlloc<AtomArray> none;
	if (!none || !description->CheckDescID(id, *none, nullptr))
		return TRUE;

	// An atom with a description is a BaseList2D (objects, tags, materials);
	// the atom itself cannot tell the language so.
	data->SetLink(PULSOR_LINK, static_cast<BaseList2D*>(element));
	data->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, id));

	BaseContainer record;
	LONG dtype = DTYPE_NONE;
	if (!BuildRecord(description, id, &record, &dtype))
		return TRUE;
	const LinkTypeRow* row = FindLinkType(dtype);
	if (row)
	{
		data->SetContainer(PULSOR_LINK_DESCRIPTION, record);
		data->SetLong(PULSOR_LINK_TYPE, row->linkType);
		data->SetLong(PULSOR_TYPE_SLOT, row->slot);
		data->SetLong(PULSOR_COMPONENT_MODE, row->mode);
	}

	// The tag's name follows the parameter until the user names it. A record
	// without a short name lends its name instead, and a record without
	// either leaves the name alone: a tag named "" would be lost in the
	// object manager.
	const String autoName = data->GetString(PULSOR_AUTO_NAME);
	String name = record.GetString(DESC_SHORT_NAME);
	if (!name.Content())
		name = record.GetString(DESC_NAME);
	if (name.Content() && (tag->GetName() == autoName || autoName == PULSOR_AUTO_NAME_UNSET))
	{
		tag->SetName(name);
		data->SetString(PULSOR_AUTO_NAME, name);
	}

	// A type the tag does not link leaves the values alone: its value would not
	// fit the typed blocks.
	if (row && dtype != data->GetLong(PULSOR_LAST_LINK_TYPE, -1))
	{
		GeData current;
		element->GetParameter(id, current, DESCFLAGS_GET_0);
		SeedValues(data, current, *row);
		BaseDocument* active = GetActiveDocument();
		if (!active)
			return TRUE;
		SeedVariations(data, current, *row, (Real)active->GetFps());
	}
	data->SetLong(PULSOR_LAST_LINK_TYPE, dtype);
	if (IconKindOf(id) != PULSOR_ICON_GLYPH)
		data->SetLong(PULSOR_ICON_KIND, IconKindOf(id));
	return TRUE;
}

Bool CheckLinkDrop(MessageContext& c, DescriptionCheckDragAndDrop* check)
{
	// A tag cannot be its own linked element.
	if (check && check->id[0].id == PULSOR_LINK && check->element == c.tag)
		check->result = FALSE;
	return TRUE;
}

Bool DropParameter(MessageContext& c, DragAndDrop* drop)
{
	BaseTag* tag = c.tag;
	const DescPropertyDragData* payload = static_cast<const DescPropertyDragData*>(drop->data);
	if (!payload || !payload->arr)
		return TRUE;
	C4DAtom* element = payload->arr->GetIndex(0);
	if (!element || element == tag || !tag->GetObject())
		return TRUE;
	// Parameters of other objects cannot be linked.
	if (element->GetClassification() == Obase && element != tag->GetObject())
		return TRUE;

	BaseContainer mouse;
	if (!GetInputState(BFM_INPUT_MOUSE, BFM_INPUT_MOUSELEFT, mouse))
		return TRUE;
	AutoAlloc<Description> description;
	if (!description || !element->GetDescription(description, DESCFLAGS_DESC_0))
		return TRUE;
	const DescID& dragged = payload->did;
	if (dragged.GetDepth() < 1 || !IsAcceptedType(LastLevelType(dragged)))
		return TRUE;
	drop->flags |= DRAGANDDROP_FLAG_ACCEPT;

	LinkState link;
	ReadLinkState(*c.data, &link);
	if (!link.hasIdentifier)
		return FALSE;
	// The host sends the drag while the user hovers; the button coming up is
	// the drop. The same parameter of another element is a new link too.
	const bool sameLink = link.parameter && *link.parameter == dragged && LinkedElement(*c.data, link, tag, c.doc) == element;
	if (!sameLink && mouse.GetLong(BFM_INPUT_VALUE, 0) == 0)
	{
		c.doc->AddUndo(UNDOTYPE_CHANGE, tag);
		c.doc->AddUndo(UNDOTYPE_CHANGE, static_cast<BaseList2D*>(element));
		c.pulsor->ChangeParameter(c.data, c.doc, element, dragged, tag);
	}
	return TRUE;
}
