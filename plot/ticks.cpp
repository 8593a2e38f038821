#include "plot/ticks.h"

#include <algorithm>
#include <cmath>

#include "nec/number_text.h"

namespace corvanta::plot {

namespace {

// A tick sits on a multiple when it is within this share of a step of it,
// so that 0.1 * 3 counts as 0.3.
constexpr double kOnTick = 1e-9;
// More ticks than any axis shows: a step too fine for its values (lost in
// their rounding) gives none rather than a loop that cannot end.
constexpr double kMostTicks = 1000;

}  // namespace

double RoundStep(double span, int mostIntervals) {
    if (!(span > 0) || !std::isfinite(span) || mostIntervals < 1) return 1;
    const double rough = span / mostIntervals;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    while (true) {
        for (double factor : {1.0, 2.0, 5.0}) {
            // Rounding of the power of ten may leave a step a hair too small.
            if (factor * power >= rough * (1 - kOnTick)) return factor * power;
        }
        power *= 10;
    }
}

std::vector<double> RoundTicks(double low, double high, double step) {
    std::vector<double> ticks;
    if (!(step > 0) || !(high >= low)) return ticks;
    const double first = std::ceil(low / step - kOnTick);
    const double last = std::floor(high / step + kOnTick);
    if (!(last - first < kMostTicks) || first + 1 == first) return ticks;
    for (int k = 0; first + k <= last; ++k) ticks.push_back((first + k) * step);
    return ticks;
}

AxisRange RoundRange(double low, double high, int mostIntervals) {
    if (!(high > low)) high = low + 1;
    // Widening out can add an interval at each end: take the next step up
    // until the widened range fits.
    double step = RoundStep(high - low, mostIntervals);
    while (true) {
        const double from = std::floor(low / step + kOnTick) * step;
        const double to = std::ceil(high / step - kOnTick) * step;
        if ((to - from) / step <= mostIntervals + kOnTick || !std::isfinite(step)) return {from, to, step};
        const double wider = RoundStep(step * mostIntervals * (1 + 1e-6), mostIntervals);
        // Values so large that a step is lost in their rounding: no round range.
        if (!(wider > step)) return {low, high, high - low};
        step = wider;
    }
}

std::string TickLabel(double value, double step) {
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + kOnTick)));
    return nec::Fixed(value, decimals);
}

}  // namespace corvanta::plot
