#include "catalogue.h"

#include "c4d_basedocument.h"
#include "host_string.h"

namespace
{

const Real kHuge = 1.0e20;

BaseContainer BuildDescriptionSettings(const ParameterSpec& p);

ParameterSpec Param(LONG id, LONG dtype, const char* name, const char* shortName, GeData def, Real min, Real max,
	Real step, LONG unit)
{
	ParameterSpec parameter{ id, dtype, name, shortName, def, min, max, step, unit, BaseContainer() };
	parameter.settings = BuildDescriptionSettings(parameter);
	return parameter;
}

std::vector<ParameterSpec> Transform()
{
	return {
		Param(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, "Position", "P", GeData(Vector()), -kHuge, kHuge, 1.0, DESC_UNIT_METER),
		Param(ID_BASEOBJECT_REL_ROTATION, DTYPE_VECTOR, "Rotation", "R", GeData(Vector()), -kHuge, kHuge, 0.0174532925, DESC_UNIT_DEGREE),
		Param(ID_BASEOBJECT_REL_SCALE, DTYPE_VECTOR, "Scale", "S", GeData(Vector(1.0, 1.0, 1.0)), -kHuge, kHuge, 0.01, DESC_UNIT_REAL),
		Param(ID_BASEOBJECT_COLOR, DTYPE_COLOR, "Display Color", "", GeData(Vector(0.5, 0.5, 0.5)), 0.0, 1.0, 0.01, DESC_UNIT_PERCENT),
		// 0 on, 1 off, 2 undefined: an object that says neither shows as its
		// parent does.
		Param(ID_BASEOBJECT_VISIBILITY_EDITOR, DTYPE_LONG, "Visible in Editor", "", GeData((LONG)2), 0.0, 2.0, 1.0, DESC_UNIT_LONG),
		Param(ID_BASEOBJECT_VISIBILITY_RENDER, DTYPE_LONG, "Visible in Renderer", "", GeData((LONG)2), 0.0, 2.0, 1.0, DESC_UNIT_LONG),
	};
}

std::vector<ElementType> BuildCatalogue()
{
	std::vector<ElementType> types;
	types.push_back(ElementType{ Onull, Obase, "Null", Transform() });

	ElementType cube{ Ocube, Obase, "Cube", Transform() };
	cube.parameters.push_back(Param(PRIM_CUBE_LEN, DTYPE_VECTOR, "Size", "", GeData(Vector(200.0, 200.0, 200.0)), 0.0, kHuge, 1.0, DESC_UNIT_METER));
	cube.parameters.push_back(Param(PRIM_CUBE_SUBX, DTYPE_LONG, "Segments X", "Seg X", GeData((LONG)1), 1.0, 1000.0, 1.0, DESC_UNIT_LONG));
	cube.parameters.push_back(Param(PRIM_CUBE_DOFILLET, DTYPE_BOOL, "Fillet", "", GeData((LONG)0), 0.0, 1.0, 1.0, DESC_UNIT_LONG));
	cube.parameters.push_back(Param(PRIM_CUBE_FRAD, DTYPE_REAL, "Fillet Radius", "Radius", GeData(40.0), 0.0, kHuge, 1.0, DESC_UNIT_METER));
	cube.parameters.push_back(Param(STANDIN_CUBE_TIME_OFFSET, DTYPE_TIME, "Time Offset", "", GeData(BaseTime(0.0)), -kHuge, kHuge, 1.0, DESC_UNIT_TIME));
	types.push_back(cube);

	types.push_back(ElementType{ Mmaterial, Mbase, "Material", {
		Param(MATERIAL_COLOR_COLOR, DTYPE_COLOR, "Color", "", GeData(Vector(0.8, 0.8, 0.8)), 0.0, 1.0, 0.01, DESC_UNIT_PERCENT),
		Param(MATERIAL_COLOR_BRIGHTNESS, DTYPE_REAL, "Brightness", "", GeData(1.0), 0.0, 10.0, 0.01, DESC_UNIT_PERCENT),
	} });

	types.push_back(ElementType{ Tdisplay, Tbase, "Display", {
		Param(DISPLAYTAG_VISIBILITY, DTYPE_REAL, "Visibility", "", GeData(1.0), 0.0, 1.0, 0.01, DESC_UNIT_PERCENT),
	} });
	return types;
}

} // namespace

const ParameterSpec* ElementType::Find(LONG id) const
{
	for (const ParameterSpec& p : parameters)
		if (p.id == id)
			return &p;
	return nullptr;
}

const std::vector<ElementType>& AllElementTypes()
{
	static const std::vector<ElementType> catalogue = BuildCatalogue();
	return catalogue;
}

const ElementType* FindElementType(LONG type)
{
	for (const ElementType& t : AllElementTypes())
		if (t.type == type)
			return &t;
	return nullptr;
}

BaseContainer DescriptionSettingsOfName()
{
	static const BaseContainer name = [] {
		BaseContainer bc(DTYPE_STRING);
		bc.SetString(DESC_NAME, "Name");
		bc.SetString(DESC_SHORT_NAME, "Name");
		return bc;
	}();
	return name;
}

BaseContainer DescriptionSettings(const ParameterSpec& p)
{
	return p.settings;
}

namespace
{

BaseContainer BuildDescriptionSettings(const ParameterSpec& p)
{
	BaseContainer bc(p.dtype);
	bc.SetString(DESC_NAME, HostString(p.name));
	bc.SetString(DESC_SHORT_NAME, HostString(p.shortName.empty() ? p.name : p.shortName));
	if (p.dtype == DTYPE_LONG || p.dtype == DTYPE_BOOL)
	{
		bc.SetLong(DESC_MIN, (LONG)p.min);
		bc.SetLong(DESC_MAX, (LONG)p.max);
		bc.SetLong(DESC_STEP, (LONG)p.step);
	}
	else if (p.dtype == DTYPE_VECTOR || p.dtype == DTYPE_COLOR)
	{
		// Limits of vectors are vectors: one limit per component.
		bc.SetVector(DESC_MIN, Vector(p.min));
		bc.SetVector(DESC_MAX, Vector(p.max));
		bc.SetVector(DESC_STEP, Vector(p.step));
	}
	else
	{
		bc.SetReal(DESC_MIN, p.min);
		bc.SetReal(DESC_MAX, p.max);
		bc.SetReal(DESC_STEP, p.step);
	}
	bc.SetLong(DESC_UNIT, p.unit);
	bc.SetLong(DESC_ANIMATE, 1);
	return bc;
}

} // namespace

bool CoerceParameterValue(LONG dtype, const GeData& value, GeData* stored)
{
	const LONG type = value.GetType();
	const bool numeric = type == DA_LONG || type == DA_REAL || type == DA_LLONG;
	switch (dtype)
	{
		case DTYPE_REAL:
			if (!numeric)
				return false;
			*stored = GeData(value.GetReal());
			return true;
		case DTYPE_LONG:
			if (!numeric)
				return false;
			*stored = GeData(value.GetLong());
			return true;
		case DTYPE_BOOL:
			if (!numeric)
				return false;
			*stored = GeData((LONG)(value.GetBool() ? 1 : 0));
			return true;
		case DTYPE_TIME:
		case DTYPE_VECTOR:
		case DTYPE_COLOR:
			if (type != (dtype == DTYPE_TIME ? DA_TIME : DA_VECTOR))
				return false;
			*stored = value;
			return true;
		default:
			*stored = value;
			return true;
	}
}
