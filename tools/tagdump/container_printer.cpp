#include "container_printer.h"

#include <sstream>

#include "customgui_priority.h"
#include "pulsor_ids.h"

namespace
{

struct NamedId
{
	const char* name;
	LONG id;
	PulsorIdKind kind;
};

#define PULSOR_NAMED_ID(name, value, kind) { #name, value, kind },
const NamedId kGlobalIds[] = { PULSOR_GLOBAL_IDS(PULSOR_NAMED_ID) };
const NamedId kTabFields[] = { PULSOR_TAB_FIELDS(PULSOR_NAMED_ID) };
#undef PULSOR_NAMED_ID

const char* const kComponents[] = { "X", "Y", "Z" };

// Which member of a block `rel` places past the block's start.
std::string BlockMember(PulsorIdKind kind, LONG rel)
{
	switch (kind)
	{
		case PULSOR_KIND_TYPED:
			if (rel >= 0 && rel < 7)
				return "[slot " + std::to_string(rel) + "]";
			break;
		case PULSOR_KIND_DISPLAY:
			if (rel == 1)
				return "[mode 1]";
			if (rel >= 2 && rel <= 4)
				return std::string("[") + kComponents[rel - 2] + "]";
			if (rel == 8)
				return "[mode 8]";
			break;
		default:
			if (rel == 0)
				return "";
	}
	return "?";
}

// The swing switches are three entries, one per component.
bool IsComponentTriple(const char* name)
{
	return std::string(name) == "PULSOR_TAB_POSITIVE" || std::string(name) == "PULSOR_TAB_NEGATIVE";
}

template <size_t N>
std::string Lookup(const NamedId (&table)[N], LONG id)
{
	for (const NamedId& entry : table)
	{
		const LONG rel = id - entry.id;
		if (IsComponentTriple(entry.name) && rel >= 0 && rel < 3)
			return std::string(entry.name) + "[" + kComponents[rel] + "]";
		const std::string member = BlockMember(entry.kind, rel);
		if (member != "?")
			return entry.name + member;
	}
	return "";
}

std::string Real(Real v)
{
	return RealToString(v).GetStdString();
}

std::string VectorText(const Vector& v)
{
	return "(" + Real(v.x) + ", " + Real(v.y) + ", " + Real(v.z) + ")";
}

std::string SplineText(const SplineData& sd)
{
	std::ostringstream s;
	s << sd.GetKnotCount() << " knots:";
	for (LONG i = 0; i < sd.GetKnotCount(); ++i)
	{
		const CustomSplineKnot* k = const_cast<SplineData&>(sd).GetKnot(i);
		s << " (" << Real(k->vPos.x) << ", " << Real(k->vPos.y) << ")";
		if (k->vTangentLeft != Vector() || k->vTangentRight != Vector())
			s << " L(" << Real(k->vTangentLeft.x) << ", " << Real(k->vTangentLeft.y) << ") R(" << Real(k->vTangentRight.x)
			  << ", " << Real(k->vTangentRight.y) << ")";
		if (i + 1 < sd.GetKnotCount())
			s << ";";
	}
	return s.str();
}

std::string DescIDText(const DescID& id)
{
	std::ostringstream s;
	s << "DescID(";
	for (LONG i = 0; i < id.GetDepth(); ++i)
	{
		if (i)
			s << ", ";
		s << id[i].id;
		if (id[i].dtype || id[i].creator)
			s << ":" << id[i].dtype << ":" << id[i].creator;
	}
	s << ")";
	return s.str();
}

void PrintValue(std::ostream& out, const GeData& d, int indent)
{
	switch (d.GetType())
	{
		case DA_NIL: out << "nil\n"; return;
		case DA_LONG: out << "integer " << d.GetLong() << "\n"; return;
		case DA_LLONG: out << "integer64 " << d.GetLLong() << "\n"; return;
		case DA_REAL: out << "real " << Real(d.GetReal()) << "\n"; return;
		case DA_VECTOR: out << "vector " << VectorText(d.GetVector()) << "\n"; return;
		case DA_TIME:
		{
			const BaseTime t = d.GetTime();
			out << "time " << Real(t.Get()) << " s";
			if (t.GetDenominator() != 1.0)
				out << " (" << Real(t.GetNumerator()) << "/" << Real(t.GetDenominator()) << ")";
			out << "\n";
			return;
		}
		case DA_STRING: out << "string \"" << d.GetString().GetStdString() << "\"\n"; return;
		case DA_FILENAME: out << "filename \"" << d.GetFilename().GetString().GetStdString() << "\"\n"; return;
		case DA_ALIASLINK:
		{
			BaseList2D* target = d.GetLink(nullptr);
			out << "link " << (target ? "\"" + target->GetName().GetStdString() + "\"" : std::string("(empty)")) << "\n";
			return;
		}
		case DA_CONTAINER:
		{
			const BaseContainer* bc = d.GetContainer();
			LONG count = 0;
			while (bc->GetIndexData(count))
				++count;
			out << "container, " << count << " entries\n";
			PrintContainer(out, *bc, false, indent + 1);
			return;
		}
		case CUSTOMDATATYPE_SPLINE:
			out << "spline, " << SplineText(*static_cast<SplineData*>(d.GetCustomDataType(CUSTOMDATATYPE_SPLINE))) << "\n";
			return;
		case CUSTOMDATATYPE_DESCID:
			out << "descid " << DescIDText(*static_cast<DescID*>(d.GetCustomDataType(CUSTOMDATATYPE_DESCID))) << "\n";
			return;
		case CUSTOMGUI_PRIORITY_DATA:
		{
			const PriorityData* p = static_cast<PriorityData*>(d.GetCustomDataType(CUSTOMGUI_PRIORITY_DATA));
			out << "priority mode " << p->GetPriorityValue(PRIORITYVALUE_MODE).GetLong() << ", priority "
				<< p->GetPriorityValue(PRIORITYVALUE_PRIORITY).GetLong() << ", camera dependent "
				<< p->GetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT).GetLong() << "\n";
			return;
		}
		default: out << "data of type " << d.GetType() << "\n"; return;
	}
}

} // namespace

std::string PulsorIdName(LONG id)
{
	TabField field;
	if (DecodeTabId(id, &field))
	{
		const std::string name = Lookup(kTabFields, field.offset);
		return name.empty() ? "" : "tab " + std::to_string(field.number) + " " + name;
	}
	return Lookup(kGlobalIds, id);
}

void PrintContainer(std::ostream& out, const BaseContainer& bc, bool pulsorNames, int indent)
{
	const std::string pad((size_t)indent * 2, ' ');
	for (LONG i = 0;; ++i)
	{
		const GeData* d = bc.GetIndexData(i);
		if (!d)
			break;
		const LONG id = bc.GetIndexId(i);
		out << pad << id;
		if (pulsorNames)
		{
			const std::string name = id == EXPRESSION_PRIORITY ? "(expression priority)" : PulsorIdName(id);
			if (!name.empty())
				out << " " << name;
		}
		out << ": ";
		PrintValue(out, *d, indent);
	}
}
