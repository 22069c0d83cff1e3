#include "lib_description.h"

void DescID::PushId(const DescLevel& subid)
{
	if (depth_ >= MAX_DEPTH)
		return;
	levels_[depth_++] = subid;
}

const DescLevel& DescID::operator[](LONG pos) const
{
	static const DescLevel zero(0);
	return (pos >= 0 && pos < depth_) ? levels_[pos] : zero;
}

Bool DescID::IsPartOf(const DescID& cmp, LONG* pos) const
{
	if (depth_ > cmp.depth_)
		return FALSE;
	for (LONG i = 0; i < depth_; ++i)
		if (levels_[i] != cmp.levels_[i])
			return FALSE;
	if (pos)
		*pos = depth_;
	return TRUE;
}

const DescID DescID::operator<<(LONG shift) const
{
	DescID rest;
	for (LONG i = shift < 0 ? 0 : shift; i < depth_; ++i)
		rest.PushId(levels_[i]);
	return rest;
}

Bool DescID::operator==(const DescID& d) const
{
	if (depth_ != d.depth_)
		return FALSE;
	for (LONG i = 0; i < depth_; ++i)
		if (levels_[i] != d.levels_[i])
			return FALSE;
	return TRUE;
}

CustomDataType* DescID::Clone() const
{
	return new DescID(*this);
}

Bool DescID::IsEqual(const CustomDataType& other) const
{
	return *this == static_cast<const DescID&>(other);
}

BaseContainer GetCustomDataTypeDefault(LONG type)
{
	BaseContainer bc(type);
	switch (type)
	{
		case DTYPE_REAL:
			bc.SetLong(DESC_UNIT, DESC_UNIT_REAL);
			bc.SetReal(DESC_STEP, 1.0);
			bc.SetReal(DESC_MIN, -1.0e20);
			bc.SetReal(DESC_MAX, 1.0e20);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_LONG:
			bc.SetLong(DESC_UNIT, DESC_UNIT_LONG);
			bc.SetLong(DESC_STEP, 1);
			bc.SetLong(DESC_MIN, -2147483647 - 1);
			bc.SetLong(DESC_MAX, 2147483647);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_TIME:
			bc.SetLong(DESC_UNIT, DESC_UNIT_TIME);
			bc.SetReal(DESC_STEP, 1.0);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_VECTOR:
		case DTYPE_COLOR:
			bc.SetLong(DESC_UNIT, type == DTYPE_COLOR ? DESC_UNIT_PERCENT : DESC_UNIT_REAL);
			bc.SetReal(DESC_STEP, type == DTYPE_COLOR ? 0.01 : 1.0);
			bc.SetLong(DESC_ANIMATE, 1);
			break;
		case DTYPE_BOOL:
		case DTYPE_STRING:
		case DTYPE_FILENAME:
		case DTYPE_BASELISTLINK:
		case DTYPE_BUTTON:
		case DTYPE_GROUP:
		case DTYPE_SEPARATOR:
		case DTYPE_STATICTEXT:
		case DTYPE_POPUP:
		case DTYPE_SUBCONTAINER:
			bc.SetLong(DESC_ANIMATE, type == DTYPE_BOOL ? 1 : 0);
			break;
		default:
			return BaseContainer();
	}
	return bc;
}
