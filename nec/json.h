#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "nec/scaled_design.h"

// JSON as the programs write it: keys in the order they are set, numbers
// rounded to the digits each one is good for, null where a number is not
// finite (JSON has no inf or nan).

namespace corvanta::nec {

using Json = nlohmann::ordered_json;

// `value` to `decimals` digits after the point, as a number: the double
// nearest the rounded decimal, which JSON writes back as that decimal.
Json JsonNumber(double value, int decimals);
Json JsonNumber(const std::optional<double>& value, int decimals);  // null when none

// A decimal text ("421.2329", "-8.870969E-05") as a number; null when it
// does not read as one.
Json JsonNumber(std::string_view text);

// HEIGHT, SIDE and GAP of a scaled design in mm and inches.
Json ScaledDesignJson(const ScaledDesign& design);

// The document as text: indented by two, UTF-8, a byte that is not UTF-8
// replaced rather than thrown at, and a final line feed.
std::string JsonText(const Json& json);

}  // namespace corvanta::nec
