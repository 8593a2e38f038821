#include "plot/ticks.h"

#include <algorithm>
#include <cmath>

#include "nec/text_format.h"

namespace corvanta::plot {

namespace {

// A tick sits on a multiple when it is within this share of a step of it,
// so that 0.1 * 3 counts as 0.3.
constexpr double kOnTick = 1e-9;

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
    for (double k = first; k <= last; ++k) ticks.push_back(k * step);
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
        if ((to - from) / step <= mostIntervals + kOnTick) return {from, to, step};
        step = RoundStep(step * mostIntervals * (1 + 1e-6), mostIntervals);
    }
}

std::string TickLabel(double value, double step) {
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + kOnTick)));
    return nec::Fixed(value, decimals);
}

}  // namespace corvanta::plot
