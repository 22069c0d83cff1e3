// Parameter values and description settings as the studio's JSON carries
// them (docs/studio-api.md, "Elements"), and back.
#ifndef PULSORHOST_STUDIO_STUDIO_VALUES_H__
#define PULSORHOST_STUDIO_STUDIO_VALUES_H__

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "c4d.h"

// A number, or "NaN", "Infinity", "-Infinity": JSON has no such numbers.
nlohmann::json NumberJson(double v);

// Whether an entry of data type dtype carries a value on the page (groups,
// buttons, separators and texts do not).
bool HasValue(LONG dtype);

// The link's id (null for none) as the studio numbers elements.
using LinkId = std::function<nlohmann::json(BaseList2D*)>;

// The value of an entry of type dtype; null when value does not hold one.
nlohmann::json ValueJson(const GeData& value, LONG dtype, BaseDocument* doc, const LinkId& linkId);

// The settings of a description entry as page keys ("name", "min", "cycle",
// ...), each present only when the entry has the setting.
void AddSettings(const BaseContainer& settings, LONG dtype, nlohmann::json* entry);

// The element an id names, or null; throws ApiError 404 for an unknown id.
using LinkTarget = std::function<BaseList2D*(const nlohmann::json& id)>;

// The value j names for an entry of type dtype, in the shapes ValueJson
// writes. Throws ApiError 400 for a value of the wrong type or out of
// range (non-finite numbers included), 404 for a link to an unknown
// element. A curve whose knots or tangents had to be clamped says so in
// *note, when given; knots out of order are refused with 422.
GeData ValueFromJson(const nlohmann::json& j, LONG dtype, const LinkTarget& target, std::string* note = nullptr);

#endif
