#include "studio_values.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "customgui_priority.h"
#include "customgui_splinecontrol.h"
#include "host_string.h"
#include "studio.h"

using nlohmann::json;

namespace
{

// The points a curve preview is drawn from: x = 0, 0.01, ..., 1.
const int kCurveSamples = 101;

json VectorJson(const Vector& v)
{
	return json::array({ NumberJson(v.x), NumberJson(v.y), NumberJson(v.z) });
}

json SplineJson(const GeData& value)
{
	SplineData* spline = static_cast<SplineData*>(value.GetCustomDataType(CUSTOMDATATYPE_SPLINE));
	if (!spline)
		return json();
	json knots = json::array();
	for (LONG i = 0; i < spline->GetKnotCount(); ++i)
	{
		const CustomSplineKnot* k = spline->GetKnot(i);
		knots.push_back({ { "x", NumberJson(k->vPos.x) }, { "y", NumberJson(k->vPos.y) },
			{ "left", { NumberJson(k->vTangentLeft.x), NumberJson(k->vTangentLeft.y) } },
			{ "right", { NumberJson(k->vTangentRight.x), NumberJson(k->vTangentRight.y) } },
			{ "flags", k->lFlagsSettings } });
	}
	json points = json::array();
	for (int i = 0; i < kCurveSamples; ++i)
	{
		const Vector p = spline->GetPoint((Real)i / (kCurveSamples - 1));
		points.push_back({ NumberJson(p.x), NumberJson(p.y) });
	}
	return { { "knots", knots }, { "points", points } };
}

json PriorityJson(const GeData& value)
{
	const PriorityData* p = static_cast<PriorityData*>(value.GetCustomDataType(CUSTOMGUI_PRIORITY_DATA));
	if (!p)
		return json();
	return { { "mode", p->GetPriorityValue(PRIORITYVALUE_MODE).GetLong() },
		{ "priority", p->GetPriorityValue(PRIORITYVALUE_PRIORITY).GetLong() },
		{ "cameraDependent", p->GetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT).GetLong() != 0 } };
}

[[noreturn]] void Refuse(const std::string& problem)
{
	throw ApiError{ 400, problem };
}

double Finite(const json& j, const char* what)
{
	if (!j.is_number())
		Refuse(std::string(what) + " must be a number");
	const double v = j.get<double>();
	if (!std::isfinite(v))
		Refuse(std::string(what) + " must be a finite number");
	return v;
}

LONG Integer(const json& j, const char* what)
{
	const double v = Finite(j, what);
	if (v != std::floor(v) || v < (double)std::numeric_limits<LONG>::min() || v > (double)std::numeric_limits<LONG>::max())
		Refuse(std::string(what) + " must be a whole number within 32 bits");
	return (LONG)v;
}

Vector VectorOf(const json& j, const char* what)
{
	if (!j.is_array() || j.size() != 3)
		Refuse(std::string(what) + " must be an array of three numbers");
	return Vector(Finite(j[0], what), Finite(j[1], what), Finite(j[2], what));
}

const json& Key(const json& j, const char* key, const char* what)
{
	if (!j.is_object() || !j.contains(key))
		Refuse(std::string(what) + " must be an object with \"" + key + "\"");
	return j[key];
}

double Clamped(double v, double lo, double hi, bool* clamped)
{
	const double c = std::min(std::max(v, lo), hi);
	*clamped = *clamped || c != v;
	return c;
}

// A curve is stored only whole and sound: every number finite, knots in the
// unit square (clamped into it), tangents pointing away from their knot
// (clamped), and knots in the order of their x: knots that cross would be
// reordered by the curve, silently making another one than the user drew.
GeData SplineFromJson(const json& j, std::string* note)
{
	const json& knots = Key(j, "knots", "a curve");
	if (!knots.is_array() || knots.empty() || knots.size() > 1000)
		Refuse("a curve's \"knots\" must be an array of 1 to 1000 knots");
	struct Knot
	{
		double x, y;
		LONG flags;
		bool hasTangent[2];
		Vector tangent[2];
	};
	std::vector<Knot> read;
	bool clamped = false;
	for (const json& k : knots)
	{
		Knot knot{};
		knot.x = Clamped(Finite(Key(k, "x", "a knot"), "a knot's x"), 0.0, 1.0, &clamped);
		knot.y = Clamped(Finite(Key(k, "y", "a knot"), "a knot's y"), 0.0, 1.0, &clamped);
		knot.flags = k.contains("flags") ? Integer(k["flags"], "a knot's flags") : 0;
		for (int side = 0; side < 2; ++side)
		{
			const char* key = side == 0 ? "left" : "right";
			if (!k.contains(key))
				continue;
			const json& t = k[key];
			if (!t.is_array() || t.size() != 2)
				Refuse(std::string("a knot's \"") + key + "\" must be an array of two numbers");
			double tx = Finite(t[0], "a tangent");
			tx = side == 0 ? Clamped(tx, -1.0, 0.0, &clamped) : Clamped(tx, 0.0, 1.0, &clamped);
			const double ty = Clamped(Finite(t[1], "a tangent"), -1e6, 1e6, &clamped);
			knot.hasTangent[side] = true;
			knot.tangent[side] = Vector(tx, ty, 0.0);
		}
		if (!read.empty() && knot.x < read.back().x)
			throw ApiError{ 422,
				"knots cross: knot " + std::to_string(read.size() + 1) + " lies left of the knot before it; the curve is not stored" };
		read.push_back(knot);
	}
	AutoAlloc<SplineData> spline;
	for (const Knot& knot : read)
	{
		const LONG index = spline->InsertKnot(knot.x, knot.y, knot.flags);
		if (index < 0)
			Refuse("the curve refused a knot");
		if (knot.hasTangent[0])
			spline->GetKnot(index)->vTangentLeft = knot.tangent[0];
		if (knot.hasTangent[1])
			spline->GetKnot(index)->vTangentRight = knot.tangent[1];
	}
	if (clamped && note)
		*note = "knots were moved into the unit square and tangents kept pointing away from their knots";
	return GeData(CUSTOMDATATYPE_SPLINE, *spline);
}

GeData PriorityFromJson(const json& j)
{
	if (!j.is_object())
		Refuse("a priority must be an object with \"priority\"");
	PriorityData p;
	if (j.contains("mode"))
		p.SetPriorityValue(PRIORITYVALUE_MODE, GeData(Integer(j["mode"], "a priority's mode")));
	if (j.contains("priority"))
		p.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData(Integer(j["priority"], "a priority")));
	if (j.contains("cameraDependent"))
	{
		if (!j["cameraDependent"].is_boolean())
			Refuse("\"cameraDependent\" must be true or false");
		p.SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData((LONG)(j["cameraDependent"].get<bool>() ? 1 : 0)));
	}
	return GeData(CUSTOMGUI_PRIORITY_DATA, p);
}

} // namespace

json NumberJson(double v)
{
	if (std::isnan(v))
		return "NaN";
	if (std::isinf(v))
		return v > 0 ? "Infinity" : "-Infinity";
	return v;
}

bool HasValue(LONG dtype)
{
	switch (dtype)
	{
		case DTYPE_REAL:
		case DTYPE_LONG:
		case DTYPE_BOOL:
		case DTYPE_TIME:
		case DTYPE_VECTOR:
		case DTYPE_COLOR:
		case DTYPE_STRING:
		case DTYPE_FILENAME:
		case DTYPE_BASELISTLINK:
		case CUSTOMDATATYPE_SPLINE:
		case CUSTOMGUI_PRIORITY_DATA: return true;
		default: return false;
	}
}

json ValueJson(const GeData& value, LONG dtype, BaseDocument* doc, const LinkId& linkId)
{
	const LONG type = value.GetType();
	const bool number = type == DA_LONG || type == DA_REAL || type == DA_LLONG;
	switch (dtype)
	{
		case DTYPE_REAL: return number ? NumberJson(value.GetReal()) : json();
		case DTYPE_LONG: return number ? json(value.GetLong()) : json();
		case DTYPE_BOOL: return number ? json(value.GetLong() != 0) : json();
		case DTYPE_TIME: return type == DA_TIME ? json{ { "seconds", NumberJson(value.GetTime().Get()) } } : json();
		case DTYPE_VECTOR:
		case DTYPE_COLOR: return type == DA_VECTOR ? VectorJson(value.GetVector()) : json();
		case DTYPE_STRING: return type == DA_STRING ? json(value.GetString().GetStdString()) : json();
		case DTYPE_FILENAME:
			if (type == DA_FILENAME)
				return value.GetFilename().GetString().GetStdString();
			return type == DA_STRING ? json(value.GetString().GetStdString()) : json();
		case DTYPE_BASELISTLINK:
		{
			BaseList2D* linked = value.GetLink(doc);
			return { { "link", linkId(linked) }, { "name", linked ? linked->GetName().GetStdString() : std::string() } };
		}
		case CUSTOMDATATYPE_SPLINE: return SplineJson(value);
		case CUSTOMGUI_PRIORITY_DATA: return PriorityJson(value);
		default: return json();
	}
}

void AddSettings(const BaseContainer& s, LONG dtype, json* entry)
{
	json& e = *entry;
	const auto text = [&](LONG key, const char* name) {
		if (s.GetType(key) == DA_STRING)
			e[name] = s.GetString(key).GetStdString();
	};
	// Limits are numbers for reals and integers, vectors for vectors.
	const auto limit = [&](LONG key, const char* name) {
		const GeData* v = s.GetDataPointer(key);
		if (!v)
			return;
		if (v->GetType() == DA_VECTOR)
			e[name] = VectorJson(v->GetVector());
		else if (v->GetType() == DA_TIME)
			e[name] = { { "seconds", NumberJson(v->GetTime().Get()) } };
		else if (v->GetType() == DA_REAL || v->GetType() == DA_LONG || v->GetType() == DA_LLONG)
			e[name] = NumberJson(v->GetReal());
	};
	const auto flag = [&](LONG key, const char* name) {
		const GeData* v = s.GetDataPointer(key);
		if (v && (v->GetType() == DA_LONG || v->GetType() == DA_LLONG))
			e[name] = v->GetLong() != 0;
		if (v && v->GetType() == DA_REAL)
			e[name] = v->GetReal() != 0.0;
	};
	text(DESC_NAME, "name");
	text(DESC_SHORT_NAME, "shortName");
	if (s.GetType(DESC_CUSTOMGUI) == DA_LONG)
		e["gui"] = s.GetLong(DESC_CUSTOMGUI);
	if (s.GetType(DESC_UNIT) == DA_LONG && s.GetLong(DESC_UNIT) != 0)
	{
		const LONG unit = s.GetLong(DESC_UNIT);
		std::string code;
		for (int shift = 24; shift >= 0; shift -= 8)
			code += (char)((unit >> shift) & 0xff);
		e["unit"] = code;
	}
	limit(DESC_MIN, "min");
	limit(DESC_MAX, "max");
	limit(DESC_STEP, "step");
	limit(DESC_MINSLIDER, "minSlider");
	limit(DESC_MAXSLIDER, "maxSlider");
	if (const BaseContainer* cycle = s.GetType(DESC_CYCLE) == DA_CONTAINER ? s.GetDataPointer(DESC_CYCLE)->GetContainer() : nullptr)
	{
		json entries = json::array();
		for (LONG i = 0; const GeData* v = cycle->GetIndexData(i); ++i)
			if (v->GetType() == DA_STRING)
				entries.push_back({ cycle->GetIndexId(i), v->GetString().GetStdString() });
		e["cycle"] = entries;
	}
	if (s.GetType(DESC_COLUMNS) == DA_LONG)
		e["columns"] = s.GetLong(DESC_COLUMNS);
	// A group opens as its default says, unless the page says it otherwise.
	if (dtype == DTYPE_GROUP)
		flag(DESC_DEFAULT, "open");
	flag(DESC_GUIOPEN, "open");
	flag(DESC_HIDE, "hidden");
	flag(DESC_EDITABLE, "editable");
	flag(DESC_SCALEH, "scaleH");
	flag(DESC_SEPARATORLINE, "line");
	flag(BITMAPBUTTON_BUTTON, "button");
}

GeData ValueFromJson(const json& j, LONG dtype, const LinkTarget& target, std::string* note)
{
	switch (dtype)
	{
		case DTYPE_REAL: return GeData((Real)Finite(j, "the value"));
		case DTYPE_LONG: return GeData(Integer(j, "the value"));
		case DTYPE_BOOL:
			if (!j.is_boolean())
				Refuse("the value must be true or false");
			return GeData((LONG)(j.get<bool>() ? 1 : 0));
		case DTYPE_TIME: return GeData(BaseTime(Finite(Key(j, "seconds", "a time"), "a time's seconds")));
		case DTYPE_VECTOR:
		case DTYPE_COLOR: return GeData(VectorOf(j, "the value"));
		case DTYPE_STRING:
		case DTYPE_FILENAME:
		{
			if (!j.is_string())
				Refuse("the value must be a string");
			const std::string text = j.get<std::string>();
			if (text.find('\0') != std::string::npos)
				Refuse("the value must not hold a NUL character");
			if (dtype == DTYPE_FILENAME)
				return GeData(Filename(HostString(text)));
			return GeData(HostString(text));
		}
		case DTYPE_BASELISTLINK:
		{
			const json& id = Key(j, "link", "a link");
			GeData link;
			link.SetBaseList2D(id.is_null() ? nullptr : target(id));
			return link;
		}
		case CUSTOMDATATYPE_SPLINE: return SplineFromJson(j, note);
		case CUSTOMGUI_PRIORITY_DATA: return PriorityFromJson(j);
		default: Refuse("this entry takes no value");
	}
}
