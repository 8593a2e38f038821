#include "nec/measurement_fit.h"

#include <algorithm>
#include <cmath>

#include "nec/feed_line.h"
#include "nec/touchstone.h"

namespace corvanta::nec {

namespace {

using Z = std::complex<double>;

// The model's gap between its sweep points, by cubic Hermite curves through
// neighbours (Catmull-Rom): on a sweep of a hundred points the gap
// impedance bends little between two, and straight lines would leave a
// kink at every point that the fit could mistake for a mismatch.
std::optional<Z> ModelGapAt(const FitInput& input, double mhz) {
    const std::vector<double>& f = input.modelMHz;
    if (f.size() < 2 || mhz < f.front() || mhz > f.back()) return std::nullopt;
    const std::size_t hi = std::min<std::size_t>(
        f.size() - 1, static_cast<std::size_t>(std::upper_bound(f.begin(), f.end(), mhz) - f.begin()));
    const std::size_t lo = hi - 1;
    const double h = f[hi] - f[lo], t = (mhz - f[lo]) / h;
    const auto slope = [&](std::size_t i) {
        const std::size_t a = i == 0 ? 0 : i - 1, b = std::min(i + 1, f.size() - 1);
        return (input.modelGap[b] - input.modelGap[a]) / (f[b] - f[a]);
    };
    const double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * input.modelGap[lo] + (t3 - 2 * t2 + t) * h * slope(lo) +
           (-2 * t3 + 3 * t2) * input.modelGap[hi] + (t3 - t2) * h * slope(hi);
}

struct Scored {
    double scale = 1, velocityFactor = 0, meanSquare = INFINITY;
    std::size_t points = 0;
};

// The mean of |S11 measured - S11 fitted|^2 over every `stride`th point
// inside the model's sweep.
Scored Score(const FitInput& input, double scale, double velocityFactor, std::size_t stride) {
    double sum = 0;
    std::size_t points = 0;
    for (std::size_t i = 0; i < input.measuredMHz.size(); i += stride) {
        const auto fitted = ModelS11(input, scale, velocityFactor, input.measuredMHz[i]);
        if (!fitted) continue;
        sum += std::norm(input.measuredS11[i] - *fitted);
        ++points;
    }
    return {scale, velocityFactor, points ? sum / static_cast<double>(points) : INFINITY, points};
}

}  // namespace

std::optional<Z> ModelS11(const FitInput& input, double scale, double velocityFactor, double mhz) {
    const std::optional<Z> gap = ModelGapAt(input, scale * mhz);
    if (!gap) return std::nullopt;
    const FeedLine line{input.lineImpedanceOhm, velocityFactor, input.lineLengthMm};
    // The lines meet in parallel: n equal line ends.
    const Z junction = LineInput(*gap, line, mhz) / static_cast<double>(input.sides);
    return ReflectionOf(junction, input.referenceOhm);
}

namespace {

// The measured points the model reaches at some scale, evenly thinned to
// kFitMostPoints; the input as it is when it has no more than that.
FitInput InReach(const FitInput& input, std::size_t& inReach) {
    inReach = 0;
    if (input.modelMHz.size() < 2) return input;
    const double low = input.modelMHz.front() / (1 + kFitScaleRange);
    const double high = input.modelMHz.back() / (1 - kFitScaleRange);
    const auto first = std::lower_bound(input.measuredMHz.begin(), input.measuredMHz.end(), low);
    const auto last = std::upper_bound(first, input.measuredMHz.end(), high);
    inReach = static_cast<std::size_t>(last - first);
    if (inReach <= kFitMostPoints) return input;
    FitInput thinned;
    thinned.modelMHz = input.modelMHz;
    thinned.modelGap = input.modelGap;
    thinned.sides = input.sides;
    thinned.lineImpedanceOhm = input.lineImpedanceOhm;
    thinned.lineLengthMm = input.lineLengthMm;
    thinned.referenceOhm = input.referenceOhm;
    const auto from = static_cast<std::size_t>(first - input.measuredMHz.begin());
    // Evenly spread over the reach, both ends included.
    for (std::size_t k = 0; k < kFitMostPoints; ++k) {
        const std::size_t i = from + k * (inReach - 1) / (kFitMostPoints - 1);
        thinned.measuredMHz.push_back(input.measuredMHz[i]);
        thinned.measuredS11.push_back(input.measuredS11[i]);
    }
    return thinned;
}

}  // namespace

std::optional<Fit> FitMeasurement(const FitInput& offered) {
    if (offered.measuredMHz.size() != offered.measuredS11.size()) return std::nullopt;
    std::size_t inReach = 0;
    const FitInput input = InReach(offered, inReach);
    // A coarse grid over the whole range on a few hundred points, then
    // finer grids around the best, each a fifth of the one before.
    const std::size_t stride = std::max<std::size_t>(1, input.measuredMHz.size() / 200);
    double scaleStep = 0.004, vfStep = 0.01;
    double scaleLow = 1 - kFitScaleRange, scaleHigh = 1 + kFitScaleRange;
    double vfLow = kFitLowestVelocityFactor, vfHigh = kFitHighestVelocityFactor;
    Scored best;
    for (int round = 0; round < 5; ++round) {
        const std::size_t every = round == 0 ? stride : 1;
        best = Scored{};
        for (double s = scaleLow; s <= scaleHigh + 1e-12; s += scaleStep) {
            for (double v = vfLow; v <= vfHigh + 1e-12; v += vfStep) {
                const Scored scored = Score(input, s, v, every);
                if (scored.points >= kFitLeastPoints && scored.meanSquare < best.meanSquare) best = scored;
            }
        }
        if (best.points == 0) return std::nullopt;
        scaleLow = std::max(1 - kFitScaleRange, best.scale - 2 * scaleStep);
        scaleHigh = std::min(1 + kFitScaleRange, best.scale + 2 * scaleStep);
        vfLow = std::max(kFitLowestVelocityFactor, best.velocityFactor - 2 * vfStep);
        vfHigh = std::min(kFitHighestVelocityFactor, best.velocityFactor + 2 * vfStep);
        scaleStep /= 5;
        vfStep /= 5;
    }
    const Scored all = Score(input, best.scale, best.velocityFactor, 1);
    return Fit{all.scale, all.velocityFactor, 100 * std::sqrt(all.meanSquare), all.points, inReach};
}

}  // namespace corvanta::nec
