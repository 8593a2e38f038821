#include "nec/measurement_fit.h"

#include <algorithm>
#include <cmath>
#include <functional>

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
    const double low = input.modelMHz.front() / (input.builtScale * (1 + kFitScaleRange));
    const double high = input.modelMHz.back() / (input.builtScale * (1 - kFitScaleRange));
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
    thinned.builtScale = input.builtScale;
    thinned.heldVelocityFactor = input.heldVelocityFactor;
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

namespace {

// Where the search looks: the scale and the velocity factor between their
// limits, and the first grid's steps.
struct Box {
    double scaleLow = 0, scaleHigh = 0, vfLow = 0, vfHigh = 0;
    double scaleStep = 0.004, vfStep = 0.01;
};

struct Limits {
    double scaleLow = 0, scaleHigh = 0, vfLow = 0, vfHigh = 0;
};

Limits LimitsOf(const FitInput& input) {
    Limits limits{input.builtScale * (1 - kFitScaleRange), input.builtScale * (1 + kFitScaleRange),
                  kFitLowestVelocityFactor, kFitHighestVelocityFactor};
    if (input.heldVelocityFactor) limits.vfLow = limits.vfHigh = *input.heldVelocityFactor;
    return limits;
}

// A coarse grid over the box on a few hundred points, then finer grids
// around the best, each a fifth of the one before.
Scored Search(const FitInput& input, Box box, const Limits& limits, int rounds = 6) {
    const std::size_t stride = std::max<std::size_t>(1, input.measuredMHz.size() / 200);
    Scored best;
    for (int round = 0; round < rounds; ++round) {
        const std::size_t every = round == 0 ? stride : 1;
        best = Scored{};
        for (double s = box.scaleLow; s <= box.scaleHigh + 1e-12; s += box.scaleStep) {
            for (double v = box.vfLow; v <= box.vfHigh + 1e-12; v += box.vfStep) {
                const Scored scored = Score(input, s, v, every);
                if (scored.points >= kFitLeastPoints && scored.meanSquare < best.meanSquare) best = scored;
            }
        }
        if (best.points == 0) return best;
        box.scaleLow = std::max(limits.scaleLow, best.scale - 2 * box.scaleStep);
        box.scaleHigh = std::min(limits.scaleHigh, best.scale + 2 * box.scaleStep);
        box.vfLow = std::max(limits.vfLow, best.velocityFactor - 2 * box.vfStep);
        box.vfHigh = std::min(limits.vfHigh, best.velocityFactor + 2 * box.vfStep);
        box.scaleStep /= 5;
        box.vfStep /= 5;
    }
    return best;
}

// How far the noise may move the scale and the velocity factor: the
// residual's variance through the inverse of the curve's own sensitivity
// to each (least squares' covariance).
void SetSigmas(const FitInput& input, Fit& fit, double meanSquare) {
    const double ds = 1e-5, dv = 1e-4;
    double a = 0, b = 0, c = 0;  // [a b; b c]
    for (double mhz : input.measuredMHz) {
        const auto s0 = ModelS11(input, fit.scale - ds, fit.velocityFactor, mhz);
        const auto s1 = ModelS11(input, fit.scale + ds, fit.velocityFactor, mhz);
        const auto v0 = ModelS11(input, fit.scale, fit.velocityFactor - dv, mhz);
        const auto v1 = ModelS11(input, fit.scale, fit.velocityFactor + dv, mhz);
        if (!s0 || !s1 || !v0 || !v1) continue;
        const Z js = (*s1 - *s0) / (2 * ds), jv = (*v1 - *v0) / (2 * dv);
        a += std::norm(js);
        b += js.real() * jv.real() + js.imag() * jv.imag();
        c += std::norm(jv);
    }
    // Each point's miss has two parts, each of half the mean square.
    const double variance = meanSquare / 2;
    if (fit.velocityFactorHeld) {
        fit.scaleSigma = a > 0 ? std::sqrt(variance / a) : 0;
        return;
    }
    const double det = a * c - b * b;
    if (det <= 0) return;
    fit.scaleSigma = std::sqrt(variance * c / det);
    fit.velocityFactorSigma = std::sqrt(variance * a / det);
}

FitInput Without(const FitInput& input, const std::vector<double>& leftOutMHz) {
    FitInput kept = input;
    kept.measuredMHz.clear();
    kept.measuredS11.clear();
    for (std::size_t i = 0; i < input.measuredMHz.size(); ++i) {
        if (std::find(leftOutMHz.begin(), leftOutMHz.end(), input.measuredMHz[i]) != leftOutMHz.end()) continue;
        kept.measuredMHz.push_back(input.measuredMHz[i]);
        kept.measuredS11.push_back(input.measuredS11[i]);
    }
    return kept;
}

// The points far from the fit, at most kFitMostOutlierShare of them: each
// misses by kFitOutlierRatio times the RMS of the points that are not
// among the worst.
std::vector<double> FarPoints(const FitInput& input, const Scored& best) {
    std::vector<std::pair<double, double>> misses;  // |miss|, MHz
    for (std::size_t i = 0; i < input.measuredMHz.size(); ++i) {
        const auto fitted = ModelS11(input, best.scale, best.velocityFactor, input.measuredMHz[i]);
        if (fitted) misses.emplace_back(std::abs(input.measuredS11[i] - *fitted), input.measuredMHz[i]);
    }
    const auto most = static_cast<std::size_t>(std::floor(kFitMostOutlierShare * static_cast<double>(misses.size())));
    if (most == 0 || misses.size() <= most) return {};
    std::sort(misses.begin(), misses.end(), std::greater<>());
    double sum = 0;
    for (std::size_t i = most; i < misses.size(); ++i) sum += misses[i].first * misses[i].first;
    const double rest = std::sqrt(sum / static_cast<double>(misses.size() - most));
    std::vector<double> far;
    for (std::size_t i = 0; i < most; ++i) {
        if (misses[i].first > std::max(kFitOutlierRatio * rest, kFitOutlierLeast)) far.push_back(misses[i].second);
    }
    std::sort(far.begin(), far.end());
    return far;
}

Scored Polish(const FitInput& input, Scored best, const Limits& limits);

std::optional<Fit> FitOf(const FitInput& input, const Scored& best, const Limits& limits, std::size_t inReach,
                         std::vector<double> leftOut) {
    const Scored all = Score(input, best.scale, best.velocityFactor, 1);
    Fit fit;
    fit.scale = all.scale;
    fit.velocityFactor = all.velocityFactor;
    fit.residualPercent = 100 * std::sqrt(all.meanSquare);
    fit.pointsCompared = all.points;
    fit.pointsInReach = inReach;
    fit.velocityFactorHeld = limits.vfLow == limits.vfHigh;
    // A fit within a hundredth of a per cent of a limit is on it.
    fit.scaleAtEdge = fit.scale <= limits.scaleLow * 1.0001 || fit.scale >= limits.scaleHigh * 0.9999;
    fit.velocityFactorAtEdge = !fit.velocityFactorHeld && (fit.velocityFactor <= limits.vfLow + 1e-4 ||
                                                           fit.velocityFactor >= limits.vfHigh - 1e-4);
    fit.leftOutMHz = std::move(leftOut);
    SetSigmas(input, fit, all.meanSquare);
    return fit;
}

}  // namespace

std::optional<Fit> FitMeasurement(const FitInput& offered) {
    if (offered.measuredMHz.size() != offered.measuredS11.size()) return std::nullopt;
    std::size_t inReach = 0;
    FitInput input = InReach(offered, inReach);
    const Limits limits = LimitsOf(input);
    const Box box{limits.scaleLow, limits.scaleHigh, limits.vfLow, limits.vfHigh};
    Scored best = Search(input, box, limits);
    if (best.points == 0) return std::nullopt;
    std::vector<double> far = FarPoints(input, best);
    if (!far.empty()) {
        input = Without(input, far);
        best = Search(input, box, limits);
        if (best.points == 0) return std::nullopt;
    }
    return FitOf(input, best, limits, inReach, std::move(far));
}

namespace {

// Gauss-Newton from a fit already near: the measurement changed a little
// moves the best a little, and a few steps along the curve's own
// sensitivity to the scale and the velocity factor find it again.
Scored Polish(const FitInput& input, Scored best, const Limits& limits) {
    const double ds = 1e-6, dv = 1e-5;
    const bool held = limits.vfLow == limits.vfHigh;
    for (int iteration = 0; iteration < 8; ++iteration) {
        double a = 0, b = 0, c = 0, gs = 0, gv = 0;
        for (std::size_t i = 0; i < input.measuredMHz.size(); ++i) {
            const double mhz = input.measuredMHz[i];
            const auto s0 = ModelS11(input, best.scale, best.velocityFactor, mhz);
            const auto s1 = ModelS11(input, best.scale + ds, best.velocityFactor, mhz);
            const auto v1 = held ? s0 : ModelS11(input, best.scale, best.velocityFactor + dv, mhz);
            if (!s0 || !s1 || !v1) continue;
            const Z r = input.measuredS11[i] - *s0;
            const Z js = (*s1 - *s0) / ds, jv = held ? Z(0) : (*v1 - *s0) / dv;
            a += std::norm(js);
            b += js.real() * jv.real() + js.imag() * jv.imag();
            c += std::norm(jv);
            gs += js.real() * r.real() + js.imag() * r.imag();
            gv += jv.real() * r.real() + jv.imag() * r.imag();
        }
        double stepScale = 0, stepVf = 0;
        if (held) {
            if (a <= 0) break;
            stepScale = gs / a;
        } else {
            const double det = a * c - b * b;
            if (det <= 0) break;
            stepScale = (c * gs - b * gv) / det;
            stepVf = (a * gv - b * gs) / det;
        }
        bool better = false;
        for (double share = 1; share > 1.0 / 64; share /= 2) {
            const double s = std::clamp(best.scale + share * stepScale, limits.scaleLow, limits.scaleHigh);
            const double v = std::clamp(best.velocityFactor + share * stepVf, limits.vfLow, limits.vfHigh);
            const Scored tried = Score(input, s, v, 1);
            if (tried.points >= kFitLeastPoints && tried.meanSquare < best.meanSquare) {
                better = best.meanSquare - tried.meanSquare > 1e-12 * best.meanSquare;
                best = tried;
                break;
            }
        }
        if (!better) break;
    }
    return best;
}

}  // namespace

std::optional<Fit> FitQuickly(const FitInput& offered) {
    if (offered.measuredMHz.size() != offered.measuredS11.size()) return std::nullopt;
    std::size_t inReach = 0;
    const FitInput input = InReach(offered, inReach);
    // A coarse grid on some 60 points, then the steps on all of them.
    FitInput few = input;
    few.measuredMHz.clear();
    few.measuredS11.clear();
    const std::size_t every = std::max<std::size_t>(1, input.measuredMHz.size() / 60);
    for (std::size_t i = 0; i < input.measuredMHz.size(); i += every) {
        few.measuredMHz.push_back(input.measuredMHz[i]);
        few.measuredS11.push_back(input.measuredS11[i]);
    }
    const Limits limits = LimitsOf(input);
    Box box{limits.scaleLow, limits.scaleHigh, limits.vfLow, limits.vfHigh};
    box.scaleStep = 0.008;
    box.vfStep = 0.02;
    const Scored rough = Search(few, box, limits, 3);
    if (rough.points == 0) return std::nullopt;
    const Scored start = Score(input, rough.scale, rough.velocityFactor, 1);
    if (start.points < kFitLeastPoints) return std::nullopt;
    return FitOf(input, Polish(input, start, limits), limits, inReach, {});
}

std::optional<Fit> RefitNear(const FitInput& offered, const Fit& around, double halfRange) {
    if (offered.measuredMHz.size() != offered.measuredS11.size()) return std::nullopt;
    std::size_t inReach = 0;
    const FitInput input = Without(InReach(offered, inReach), around.leftOutMHz);
    Limits limits = LimitsOf(input);
    limits.scaleLow = std::max(limits.scaleLow, around.scale * (1 - halfRange));
    limits.scaleHigh = std::min(limits.scaleHigh, around.scale * (1 + halfRange));
    const double vf = std::clamp(around.velocityFactor, limits.vfLow, limits.vfHigh);
    const Scored start = Score(input, around.scale, vf, 1);
    if (start.points < kFitLeastPoints) return std::nullopt;
    const Scored best = Polish(input, start, limits);
    return FitOf(input, best, LimitsOf(input), inReach, around.leftOutMHz);
}

}  // namespace corvanta::nec
