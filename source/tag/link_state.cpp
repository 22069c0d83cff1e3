#include "link_state.h"

void ReadLinkState(const BaseContainer& data, LinkState* link)
{
	link->type = data.GetLong(PULSOR_LINK_TYPE, DTYPE_REAL);
	link->row = FindLinkType(link->type);
	const LONG slot = data.GetLong(PULSOR_TYPE_SLOT, 0);
	link->slot = slot >= 0 && slot < PULSOR_SLOT_COUNT ? slot : PULSOR_SLOT_NONE;
	const LONG mode = data.GetLong(PULSOR_COMPONENT_MODE, 0);
	const bool modeValid = mode == PULSOR_MODE_SINGLE || mode == PULSOR_MODE_VECTOR || mode == PULSOR_MODE_LONG;
	link->mode = modeValid ? mode : PULSOR_MODE_NONE;
	link->elementClass = data.GetLong(PULSOR_LINK_CLASS, PULSOR_LINK_CLASS_OWN_OBJECT);
	link->offersLinkBox = data.GetLong(PULSOR_LINK_CLASS, 0) != PULSOR_LINK_CLASS_OWN_OBJECT;
	const DescID* id = static_cast<const DescID*>(data.GetCustomDataType(PULSOR_LINK_DESCID, CUSTOMDATATYPE_DESCID));
	link->hasIdentifier = id != nullptr;
	link->parameter = id && id->GetDepth() >= 1 && (*id)[0].id != 0 ? id : nullptr;
}

Bool LinkState::IsDisplay(LONG id, LONG blockStart) const
{
	if (mode == PULSOR_MODE_NONE)
		return FALSE;
	const LLONG rel = (LLONG)id - blockStart - mode;
	return rel >= 0 && rel < 3;
}

BaseList2D* LinkedElement(const BaseContainer& data, const LinkState& link, BaseTag* tag, BaseDocument* doc)
{
	if (link.elementClass == PULSOR_LINK_CLASS_OWN_OBJECT)
		return tag->GetObject();
	return data.GetLink(PULSOR_LINK, doc);
}
