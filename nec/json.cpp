#include "nec/json.h"

#include <charconv>
#include <cmath>

#include "nec/number_text.h"

namespace corvanta::nec {

Json JsonNumber(double value, int decimals) {
    if (!std::isfinite(value)) return nullptr;
    return JsonNumber(Fixed(value, decimals));
}

Json JsonNumber(const std::optional<double>& value, int decimals) {
    return value ? JsonNumber(*value, decimals) : Json(nullptr);
}

Json JsonNumber(std::string_view text) {
    // from_chars reads no locale and no leading '+', and takes the
    // exponent in either case.
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return nullptr;
    return value;
}

Json ScaledDesignJson(const ScaledDesign& design) {
    return Json{{"height_mm", JsonNumber(design.heightMm, 3)},
                {"side_mm", JsonNumber(design.sideMm, 3)},
                {"gap_mm", JsonNumber(design.gapMm, 3)},
                {"height_in", JsonNumber(design.heightMm / kMmPerInch, 4)},
                {"side_in", JsonNumber(design.sideMm / kMmPerInch, 4)},
                {"gap_in", JsonNumber(design.gapMm / kMmPerInch, 4)}};
}

std::string JsonText(const Json& json) { return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

}  // namespace corvanta::nec
