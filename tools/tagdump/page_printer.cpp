#include "page_printer.h"

#include <cstdio>
#include <map>

#include "customgui_priority.h"

namespace
{

std::string TypeName(LONG dtype)
{
	static const std::map<LONG, const char*> names = { { DTYPE_GROUP, "group" }, { DTYPE_COLOR, "color" },
		{ DTYPE_BUTTON, "button" }, { DTYPE_SEPARATOR, "separator" }, { DTYPE_STATICTEXT, "static" },
		{ DTYPE_LONG, "long" }, { DTYPE_REAL, "real" }, { DTYPE_TIME, "time" }, { DTYPE_VECTOR, "vector" },
		{ DTYPE_MATRIX, "matrix" }, { DTYPE_STRING, "string" }, { DTYPE_BASELISTLINK, "link" },
		{ DTYPE_BOOL, "bool" }, { CUSTOMDATATYPE_SPLINE, "spline" }, { CUSTOMGUI_PRIORITY_DATA, "priority" } };
	const auto it = names.find(dtype);
	return it != names.end() ? it->second : std::to_string(dtype);
}

std::string KeyName(LONG key)
{
	static const std::map<LONG, const char*> names = { { DESC_SHORT_NAME, "short" }, { DESC_MIN, "min" },
		{ DESC_MAX, "max" }, { DESC_STEP, "step" }, { DESC_UNIT, "unit" }, { DESC_CYCLE, "cycle" },
		{ DESC_DEFAULT, "default" }, { DESC_SEPARATORLINE, "line" }, { DESC_REFUSE, "refuse" },
		{ DESC_CUSTOMGUI, "gui" }, { DESC_COLUMNS, "columns" }, { DESC_LAYOUTGROUP, "layoutgroup" },
		{ DESC_GUIOPEN, "guiopen" }, { DESC_EDITABLE, "editable" }, { DESC_MINSLIDER, "minslider" },
		{ DESC_MAXSLIDER, "maxslider" }, { DESC_SCALEH, "scaleh" }, { BITMAPBUTTON_BUTTON, "butt" } };
	const auto it = names.find(key);
	return it != names.end() ? it->second : std::to_string(key);
}

std::string FourCC(LONG v)
{
	std::string s;
	for (int shift = 24; shift >= 0; shift -= 8)
		s += (char)((v >> shift) & 0xff);
	return "'" + s + "'";
}

std::string Number(double v)
{
	char text[32];
	std::snprintf(text, sizeof(text), "%g", v);
	return text;
}

std::string ValueText(LONG key, const GeData& value)
{
	switch (value.GetType())
	{
		case DA_LONG: return key == DESC_UNIT ? FourCC(value.GetLong()) : std::to_string(value.GetLong());
		case DA_REAL: return Number(value.GetReal());
		case DA_TIME: return Number(value.GetTime().Get()) + "s";
		case DA_VECTOR:
		{
			const Vector v = value.GetVector();
			return "(" + Number(v.x) + "," + Number(v.y) + "," + Number(v.z) + ")";
		}
		case DA_STRING: return value.GetString().GetStdString();
		case DA_CONTAINER:
		{
			const BaseContainer* bc = value.GetContainer();
			std::string text = "{";
			for (LONG i = 0; bc && bc->GetIndexId(i) >= 0; ++i)
			{
				const LONG id = bc->GetIndexId(i);
				text += (i ? "," : "") + std::to_string(id) + ":" + ValueText(id, *bc->GetIndexData(i));
			}
			return text + "}";
		}
		default: return "?" + std::to_string(value.GetType());
	}
}

} // namespace

std::string PageElementLine(const DescID& id, const BaseContainer& settings)
{
	std::string line = std::to_string(id[0].id) + " " + TypeName(id[0].dtype);
	const GeData* name = settings.GetDataPointer(DESC_NAME);
	if (name)
		line += " \"" + name->GetString().GetStdString() + "\"";
	for (LONG i = 0; settings.GetIndexId(i) >= 0; ++i)
	{
		const LONG key = settings.GetIndexId(i);
		if (key == DESC_NAME || key == DESC_ANIMATE)
			continue;
		line += " " + KeyName(key) + "=" + ValueText(key, *settings.GetIndexData(i));
	}
	return line;
}

std::vector<std::string> PageLines(const Description& page)
{
	std::map<LONG, int> depth;
	std::vector<std::string> lines;
	for (LONG i = 0; i < page.GetElementCount(); ++i)
	{
		const DescID& id = *page.GetElementId(i);
		const DescID& parent = *page.GetElementParent(i);
		const auto up = parent.GetDepth() > 0 ? depth.find(parent[0].id) : depth.end();
		const int level = up == depth.end() ? 0 : up->second + 1;
		depth[id[0].id] = level;
		lines.push_back(std::string((size_t)level * 2, ' ') + PageElementLine(id, *page.GetElementSettings(i)));
	}
	return lines;
}

std::string PrintPage(BaseList2D* element, const DescID* single)
{
	if (!element)
		return std::string();
	Description* page = Description::Alloc();
	if (!page)
		return std::string();
	page->SetSingleDescID(single);
	std::string text;
	if (element->GetDescription(page, DESCFLAGS_DESC_0))
	{
		NodeData* node = static_cast<NodeData*>(element->GetNodeData());
		const std::vector<std::string> lines = PageLines(*page);
		for (LONG i = 0; i < (LONG)lines.size(); ++i)
		{
			text += lines[(size_t)i];
			if (node && !node->GetDEnabling(element, *page->GetElementId(i), GeData(), DESCFLAGS_ENABLE_0,
							page->GetElementSettings(i)))
				text += " disabled";
			text += "\n";
		}
	}
	Description::Free(page);
	return text;
}
