#include "tag_link.h"

#include "pulsor_ids.h"

bool LinkedParameterOf(const BaseTag* tag, DescID* id)
{
	const BaseContainer& data = *tag->GetDataInstance();
	const DescID* linked = static_cast<const DescID*>(data.GetCustomDataType(PULSOR_LINK_DESCID, CUSTOMDATATYPE_DESCID));
	if (!linked || linked->GetDepth() < 1 || (*linked)[0].id == 0)
		return false;
	*id = *linked;
	return true;
}

BaseList2D* LinkedElementOf(BaseTag* tag, BaseDocument* doc)
{
	const BaseContainer& data = *tag->GetDataInstance();
	if (data.GetLong(PULSOR_LINK_CLASS, PULSOR_LINK_CLASS_OWN_OBJECT) == PULSOR_LINK_CLASS_OWN_OBJECT)
		return tag->GetObject();
	return data.GetLink(PULSOR_LINK, doc);
}
