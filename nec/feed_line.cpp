#include "nec/feed_line.h"

#include <cmath>
#include <numbers>

#include "core/field_conversion.h"
#include "nec/loop_model.h"

namespace corvanta::nec {

std::complex<double> LineInput(std::complex<double> load, const FeedLine& line, double mhz) {
    // Metres times MHz over metres: the phase constant in radians a metre.
    const double beta = 2 * std::numbers::pi * mhz / (kSpeedOfLight * line.velocityFactor);
    const double angle = beta * line.lengthMm / 1000;
    const std::complex<double> j{0, 1};
    const double z0 = line.impedanceOhm, c = std::cos(angle), s = std::sin(angle);
    return z0 * (load * c + j * z0 * s) / (z0 * c + j * load * s);
}

std::complex<double> Junction(const std::vector<std::complex<double>>& gaps, const FeedLine& line, double mhz) {
    std::complex<double> admittance;
    for (const std::complex<double>& gap : gaps) admittance += 1.0 / LineInput(gap, line, mhz);
    return 1.0 / admittance;
}

double MatchingSectionMm(const Design& design) {
    const std::string& text = design.Text(Field::MatchMm);
    const Parsed<double> parsed = ParseDouble(text);
    if (!parsed || !(*parsed.value > 0) || !std::isfinite(*parsed.value)) {
        throw ModelFailure(
            "only a design with a positive matching-section length can be modelled "
            "with its lines, not \"" +
            text + "\"");
    }
    return *parsed.value;
}

}  // namespace corvanta::nec
