#include "parameter_paths.h"

#include <cctype>
#include <cstdlib>
#include <climits>

#include "catalogue.h"
#include "pulsor_ids.h"

namespace
{

struct ComponentName
{
	const char* name;
	LONG component;
};

const ComponentName kComponents[] = {
	{ "x", VECTOR_X }, { "y", VECTOR_Y }, { "z", VECTOR_Z },
	{ "r", VECTOR_X }, { "g", VECTOR_Y }, { "b", VECTOR_Z },
};

const char* ComponentSuffix(LONG component)
{
	switch (component)
	{
		case VECTOR_X: return "x";
		case VECTOR_Y: return "y";
		case VECTOR_Z: return "z";
		default: return "";
	}
}

LONG DtypeOfEntry(LONG daType)
{
	switch (daType)
	{
		case DA_LONG: return DTYPE_LONG;
		case DA_REAL: return DTYPE_REAL;
		case DA_TIME: return DTYPE_TIME;
		case DA_VECTOR: return DTYPE_VECTOR;
		case DA_STRING: return DTYPE_STRING;
		default: return 0;
	}
}

// "#2068": the id, or false for anything else (signs, spaces, overflow).
bool ParseEntryId(const std::string& text, LONG* id)
{
	if (text.size() < 2 || text.size() > 11 || text[0] != '#')
		return false;
	long long value = 0;
	for (size_t i = 1; i < text.size(); ++i)
	{
		if (!std::isdigit((unsigned char)text[i]))
			return false;
		value = value * 10 + (text[i] - '0');
	}
	if (value < 1 || value > INT_MAX)
		return false;
	*id = (LONG)value;
	return true;
}

} // namespace

DescID ParameterPath::ToDescID() const
{
	if (component < 0)
		return DescID(DescLevel(id, dtype, 0));
	return DescID(DescLevel(id, dtype, 0), DescLevel(component, DTYPE_REAL, 0));
}

std::string PathName(const std::string& label)
{
	std::string name;
	for (char c : label)
		name += c == ' ' ? '_' : (char)std::tolower((unsigned char)c);
	return name;
}

bool ParsePath(const BaseList2D& element, const std::string& path, ParameterPath* out, std::string* problem)
{
	const size_t dot = path.find('.');
	const std::string head = path.substr(0, dot);
	ParameterPath p;
	const ElementType* type = FindElementType(element.GetType());
	if (type)
	{
		for (const ParameterSpec& parameter : type->parameters)
		{
			if (PathName(parameter.name) != head)
				continue;
			p.id = parameter.id;
			p.dtype = parameter.dtype;
		}
	}
	if (p.id == 0 && ParseEntryId(head, &p.id))
	{
		p.dtype = DtypeOfEntry(element.GetDataInstance()->GetType(p.id));
		if (p.dtype == 0)
		{
			*problem = "the element has no entry " + head;
			return false;
		}
	}
	if (p.id == 0)
	{
		*problem = "unknown parameter \"" + head + "\"";
		return false;
	}
	if (dot != std::string::npos)
	{
		const std::string name = path.substr(dot + 1);
		const bool vectorValued = p.dtype == DTYPE_VECTOR || p.dtype == DTYPE_COLOR;
		for (const ComponentName& c : kComponents)
			if (vectorValued && name == c.name)
				p.component = c.component;
		if (p.component < 0)
		{
			*problem = "unknown component \"" + name + "\" of \"" + head + "\"";
			return false;
		}
	}
	*out = p;
	return true;
}

std::string PathOf(const BaseList2D& element, const DescID& id)
{
	if (id.GetDepth() < 1)
		return std::string();
	std::string path;
	const ElementType* type = FindElementType(element.GetType());
	const ParameterSpec* parameter = type ? type->Find(id[0].id) : nullptr;
	path = parameter ? PathName(parameter->name) : "#" + std::to_string(id[0].id);
	if (id.GetDepth() > 1)
		path += std::string(".") + ComponentSuffix(id[1].id);
	return path;
}

std::vector<std::string> ColumnNames(const std::string& base, const ParameterPath& path)
{
	if (!path.IsVectorValued())
		return { base };
	return { base + ".x", base + ".y", base + ".z" };
}

LONG ElementTypeByName(const std::string& name)
{
	if (name == "pulsor")
		return PULSOR_TAG_ID;
	for (const ElementType& t : AllElementTypes())
		if (PathName(t.name) == name)
			return t.type;
	return 0;
}

std::vector<std::string> CatalogueLines()
{
	std::vector<std::string> lines;
	for (const ElementType& t : AllElementTypes())
	{
		const char* kind = t.classification == Obase ? "object" : t.classification == Mbase ? "material" : "tag";
		std::string line = PathName(t.name) + " (" + kind + "):";
		for (const ParameterSpec& p : t.parameters)
		{
			const char* dtype = p.dtype == DTYPE_VECTOR ? "vector" : p.dtype == DTYPE_COLOR ? "colour"
				: p.dtype == DTYPE_REAL ? "real" : p.dtype == DTYPE_LONG ? "integer" : p.dtype == DTYPE_BOOL ? "bool"
				: p.dtype == DTYPE_TIME ? "time" : "other";
			line += " " + PathName(p.name) + " (" + dtype + ")";
		}
		lines.push_back(line);
	}
	lines.push_back("pulsor (tag): any entry as #id");
	return lines;
}
