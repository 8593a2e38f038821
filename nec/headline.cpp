#include "nec/headline.h"

#include <cmath>

namespace corvanta::nec {

std::size_t HeadlineReading(const CheckReport& report) {
    const std::size_t balun = ReadingIndex("swr_lines_200");
    std::size_t best = kReadingCount;
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        if (!kReadings[i].buildable) continue;
        const double swr = report.atDesign.swr[i];
        if (best == kReadingCount || swr < report.atDesign.swr[best]) best = i;
    }
    // A NaN everywhere leaves the balun, the usual build.
    if (best == kReadingCount) return balun;
    if (best != balun && balun < kReadingCount &&
        report.atDesign.swr[balun] - report.atDesign.swr[best] <= kHeadlineTie) {
        return balun;
    }
    return best;
}

std::optional<std::size_t> HeadlineReading(const CheckReport& report, std::optional<double> radioSwr) {
    const std::size_t best = HeadlineReading(report);
    if (!radioSwr || !std::isfinite(*radioSwr)) return best;
    if (*radioSwr - report.atDesign.swr[best] <= kHeadlineTie) return std::nullopt;
    return best;
}

}  // namespace corvanta::nec
