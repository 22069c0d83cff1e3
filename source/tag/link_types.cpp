#include "link_types.h"

namespace
{

const LinkTypeRow kLinkTypes[] = {
	{ DTYPE_BOOL, PULSOR_SLOT_BOOL, PULSOR_MODE_SINGLE, PULSOR_VALUE_REAL },
	{ DTYPE_REAL, PULSOR_SLOT_REAL, PULSOR_MODE_SINGLE, PULSOR_VALUE_REAL },
	{ DTYPE_COLOR, PULSOR_SLOT_COLOR, PULSOR_MODE_VECTOR, PULSOR_VALUE_VECTOR },
	{ DTYPE_LONG, PULSOR_SLOT_LONG, PULSOR_MODE_LONG, PULSOR_VALUE_LONG },
	{ DTYPE_TIME, PULSOR_SLOT_TIME, PULSOR_MODE_SINGLE, PULSOR_VALUE_TIME },
	{ DTYPE_VECTOR, PULSOR_SLOT_VECTOR, PULSOR_MODE_VECTOR, PULSOR_VALUE_VECTOR },
};

} // namespace

const LinkTypeRow* FindLinkType(LONG linkType)
{
	for (const LinkTypeRow& row : kLinkTypes)
		if (row.linkType == linkType)
			return &row;
	return nullptr;
}

const LinkTypeRow* ContainerLinkType(const BaseContainer& data)
{
	return FindLinkType(data.GetLong(PULSOR_LINK_TYPE, DTYPE_REAL));
}
