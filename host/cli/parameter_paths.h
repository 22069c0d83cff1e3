// Parameters by path: "position", "position.y", "color.r", "#2068".
//
// Catalogue parameters are named by their label in lower case, spaces
// turned into underscores ("Fillet Radius" is "fillet_radius"). Components
// of vectors are x, y, z; colours also take r, g, b. Any other entry of an
// element (a Pulsor tag's own, say) is "#" and its id. One place turns paths
// into identifiers and back, for scene files and output columns alike.
#ifndef PULSORHOST_PARAMETER_PATHS_H__
#define PULSORHOST_PARAMETER_PATHS_H__

#include <string>
#include <vector>

#include "c4d.h"

struct ParameterPath
{
	LONG id = 0;            // first level
	LONG dtype = 0;         // DTYPE_* of the first level
	LONG component = -1;    // VECTOR_X..VECTOR_Z, or -1 for the whole value

	DescID ToDescID() const;
	bool IsVectorValued() const { return component < 0 && (dtype == DTYPE_VECTOR || dtype == DTYPE_COLOR); }
};

// The catalogue name of a parameter label: "Fillet Radius" -> "fillet_radius".
std::string PathName(const std::string& label);

// Resolves path against element's parameters; false with *problem set when
// the element has no such parameter or component.
bool ParsePath(const BaseList2D& element, const std::string& path, ParameterPath* out, std::string* problem);

// The path of a linked identifier, components written .x, .y, .z.
std::string PathOf(const BaseList2D& element, const DescID& id);

// The names of the columns that a value of path fills: one, or three for a
// whole vector or colour (base + ".x", ".y", ".z").
std::vector<std::string> ColumnNames(const std::string& base, const ParameterPath& path);

// The catalogue's element type named name ("cube", "material", "display");
// 0 when there is none. Pulsor tags are "pulsor".
LONG ElementTypeByName(const std::string& name);

// Every catalogue type and its parameter paths, one line each: for README
// and `pulsorhost describe --catalogue`.
std::vector<std::string> CatalogueLines();

#endif
