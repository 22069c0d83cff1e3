#include "tag_link.h"

#include "pulsor_ids.h"
#include "scene_file.h"

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

bool FollowCatalogue(BaseTag* tag, LONG fileVersion, std::string* problem)
{
	DescID saved;
	if (tag->GetType() != PULSOR_TAG_ID || !LinkedParameterOf(tag, &saved))
		return true;
	BaseList2D* element = LinkedElementOf(tag, tag->GetDocument());
	if (!element)
		return true;
	const CurrentParameter current = CurrentParameterOf(element->GetType(), saved, fileVersion);
	if (!current.sameValues)
	{
		*problem = "the Pulsor tag \"" + tag->GetName().GetStdString() + "\" animates parameter " + std::to_string(saved[0].id)
			+ " of \"" + element->GetName().GetStdString() + "\", which is " + std::to_string(current.id[0].id)
			+ " now with other values: link the tag again in a new scene";
		return false;
	}
	tag->GetDataInstance()->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, current.id));
	return true;
}
