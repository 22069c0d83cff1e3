// The host's own element types and their parameters, with each parameter's
// description settings.
#ifndef CATALOGUE_H__
#define CATALOGUE_H__

#include <string>
#include <vector>

#include "c4d_baselist.h"

struct ParameterSpec
{
	LONG id;
	LONG dtype;         // DTYPE_*
	std::string name;
	std::string shortName;
	GeData defaultValue;
	Real min, max, step;
	LONG unit;          // DESC_UNIT_*
	// What DescriptionSettings answers, made once with the catalogue: every
	// drop of a parameter and every page of an element asks for it.
	BaseContainer settings;
};

struct ElementType
{
	LONG type;
	LONG classification;
	std::string name;
	std::vector<ParameterSpec> parameters;

	const ParameterSpec* Find(LONG id) const;
};

// Null for a type the host does not have.
const ElementType* FindElementType(LONG type);
// Every type the host has, objects first, then materials and tags.
const std::vector<ElementType>& AllElementTypes();

// The description settings of one parameter (name, short name, limits, step,
// unit), as the attribute manager shows them.
BaseContainer DescriptionSettings(const ParameterSpec& p);

// The settings of every element's name.
BaseContainer DescriptionSettingsOfName();

// Converts value to what a parameter of type dtype stores; FALSE when it
// cannot be (a text for a real, a real for a vector).
bool CoerceParameterValue(LONG dtype, const GeData& value, GeData* stored);

#endif
