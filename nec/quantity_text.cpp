#include "nec/quantity_text.h"

#include <cmath>
#include "nec/number_text.h"

namespace corvanta::nec {

std::string SwrText(double swr, int decimals) { return std::isfinite(swr) ? Fixed(swr, decimals) : "infinite"; }

std::string ImpedanceText(std::complex<double> z, int decimals, std::string_view plus, std::string_view minus) {
    return Fixed(z.real(), decimals) + std::string(z.imag() < 0 ? minus : plus) + Fixed(std::abs(z.imag()), decimals);
}

std::string ImpedanceWords(std::complex<double> z, Medium medium) {
    return ImpedanceText(z, 2, " +j", " " + std::string(MinusSign(medium)) + "j") + " " + std::string(OhmUnit(medium));
}

std::string RangesText(const std::vector<Range>& ranges) {
    if (ranges.empty()) return "none in the sweep";
    std::string text;
    for (const Range& range : ranges) {
        if (!text.empty()) text += ", ";
        text += range.fromMHz ? MhzText(*range.fromMHz) : "below the sweep's start";
        text += " to ";
        text += range.toMHz ? MhzText(*range.toMHz) + " MHz" : "beyond the sweep's end";
    }
    return text;
}

std::string MmText(double mm) { return Fixed(mm, 2); }
std::string InchText(double mm) { return Fixed(mm / kMmPerInch, 3); }
std::string LengthText(double mm) { return MmText(mm) + " mm (" + InchText(mm) + " in)"; }
std::string ScaleText(double scale) { return Fixed(scale, 5); }

std::string ScaledDesignText(const ScaledDesign& design) {
    return "HEIGHT " + LengthText(design.heightMm) + ", SIDE " + LengthText(design.sideMm) + ", GAP " +
           LengthText(design.gapMm);
}

}  // namespace corvanta::nec
