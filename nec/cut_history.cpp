#include "nec/cut_history.h"

#include <cmath>

namespace corvanta::nec {

CutTrendResult CutAndMeasure(const std::vector<CutSweep>& sweeps, double targetMHz) {
    if (sweeps.size() < 2) return {std::nullopt, "two sweeps of the loop, trimmed between them, are needed"};
    const BuiltLengths& last = sweeps.back().cut;
    const double lastSize = last.heightMm + last.sideMm;
    std::vector<double> x, y;
    for (const CutSweep& sweep : sweeps) {
        const double size = sweep.cut.heightMm + sweep.cut.sideMm;
        if (!(size > 0) || !std::isfinite(size) || !(sweep.resonanceMHz > 0) || !std::isfinite(sweep.resonanceMHz)) {
            return {std::nullopt, "a sweep without its lengths as cut or its resonance"};
        }
        x.push_back(100 * (size / lastSize - 1));
        y.push_back(sweep.resonanceMHz);
    }
    const double n = static_cast<double>(x.size());
    double meanX = 0, meanY = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        meanX += x[i] / n;
        meanY += y[i] / n;
    }
    double sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (x[i] - meanX) * (x[i] - meanX);
        sxy += (x[i] - meanX) * (y[i] - meanY);
    }
    // Sizes a hundredth of a per cent apart are one cut, measured twice.
    if (!(sxx > 1e-4 * n)) return {std::nullopt, "the sweeps are all of one cut: trim between them"};
    const double slope = sxy / sxx;
    if (!(slope < 0)) {
        return {std::nullopt,
                "the resonance did not fall as the loop grew: the sweeps are not of one loop, or not taken at one "
                "place"};
    }
    const double intercept = meanY - slope * meanX;
    const double percent = (targetMHz - intercept) / slope;
    const double scale = 1 + percent / 100;
    if (!(scale > 0.5 && scale < 1.5)) return {std::nullopt, "the next cut would change the loop by half or more"};
    CutTrend trend;
    trend.mhzPerPercent = slope;
    trend.nextScale = scale;
    trend.next = {last.heightMm * scale, last.sideMm * scale, last.gapMm * scale};
    return {trend, {}};
}

std::optional<TwoSweepCut> TwoSweepCutOf(const std::vector<CutSweep>& sweeps, const ScaledDesign& oneCut,
                                         double targetMHz) {
    const CutTrendResult result = CutAndMeasure(sweeps, targetMHz);
    const double oneSize = oneCut.heightMm + oneCut.sideMm;
    if (!result.trend || !(oneSize > 0) || !std::isfinite(oneSize)) return std::nullopt;
    const CutTrend& trend = *result.trend;
    TwoSweepCut cut;
    cut.lengths = trend.next;
    cut.mhzPerPercent = trend.mhzPerPercent;
    cut.sweeps = sweeps.size();
    cut.differencePercent = 100 * ((trend.next.heightMm + trend.next.sideMm) / oneSize - 1);
    return cut;
}

}  // namespace corvanta::nec
