#include "nec/analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

constexpr double kAverageGainTolerance = 0.01;  // of the efficiency
constexpr double kConvergenceTolerance = 0.02;  // of the gap impedance
constexpr double kResonanceTolerance = 0.02;    // of the resonance
// A second step longer than this share of the first is no settling.
constexpr double kSettlingRatio = 0.8;
// A resonance between points further apart than this share of the
// frequency is placed by a straight line over a curve: a note says so.
constexpr double kCoarseStep = 0.01;

std::vector<double> Column(const std::vector<SweepPoint>& sweep, double (*value)(const SweepPoint&)) {
    std::vector<double> values;
    for (const SweepPoint& point : sweep) values.push_back(value(point));
    return values;
}

SanityCheck SegmentsCheck(const LoopModel& model, const ConvergenceModels& convergence, const EngineAnswers& answers) {
    for (int used : answers.segmentsUsed) {
        if (used != model.TotalSegments()) {
            return {"segments", Verdict::Failed,
                    "the engine used " + std::to_string(used) + ", the deck asked for " +
                        std::to_string(model.TotalSegments())};
        }
    }
    const std::vector<const LoopModel*> others = convergence.All();
    const auto wrong = [](int used, const LoopModel& other) {
        return SanityCheck{"segments", Verdict::Failed,
                           "the engine used " + std::to_string(used) + " in the convergence run, the deck asked for " +
                               std::to_string(other.TotalSegments())};
    };
    if (answers.secondAtDesignSegments && !convergence.levels.empty() &&
        *answers.secondAtDesignSegments != convergence.levels.front().TotalSegments()) {
        return wrong(*answers.secondAtDesignSegments, convergence.levels.front());
    }
    for (std::size_t i = 0; i < others.size() && i < answers.searches.size(); ++i) {
        for (int used : answers.searches[i].segmentsUsed) {
            if (used != others[i]->TotalSegments()) return wrong(used, *others[i]);
        }
    }
    return {"segments", Verdict::Passed,
            "the engine used " + std::to_string(model.TotalSegments()) + ", the deck asked for " +
                std::to_string(model.TotalSegments())};
}

// The finer models against the model: the gap impedance at the design
// frequency and the resonance, settled over the levels.
SanityCheck ConvergenceCheck(const LoopModel& model, const ConvergenceModels& models, const Convergence& c) {
    if (models.levels.empty() && models.coarser.empty()) {
        const std::string none = "no segment of the model can be cut finer and stay valid for the " +
                                 KernelName(model.kernel) + " kernel, nor made longer";
        if (!c.nearestApproachOnly || !c.uncertaintyPercent || c.levelsMHz.size() < 2 || !models.longerFeed) {
            return {"convergence", Verdict::NotApplicable, none};
        }
        const bool failed = *c.uncertaintyPercent > kResonanceTolerance * 100;
        return {"convergence", failed ? Verdict::Failed : Verdict::Passed,
                none + "; fed at a segment of " + Trimmed(models.longerFeed->fedMm, 3) + " mm for the " +
                    Trimmed(model.fedMm, 3) + " mm fed, the only other valid model, its nearest approach to zero " +
                    "moves from " + MhzText(c.levelsMHz[0]) + " to " + MhzText(c.levelsMHz[1]) +
                    " MHz: the uncertainty is three times that spread, " + Fixed(*c.uncertaintyPercent, 2) +
                    " % (at most " + Fixed(kResonanceTolerance * 100, 0) + " %)"};
    }
    std::string how = "over ";
    for (std::size_t i = models.coarser.size(); i-- > 0;)
        how += std::to_string(models.coarser[i].TotalSegments()) + ", ";
    how += "the model's " + std::to_string(model.TotalSegments());
    for (const LoopModel& level : models.levels) how += ", " + std::to_string(level.TotalSegments());
    how += " segments (the " + KernelName(model.kernel) + " kernel" +
           (models.levels.size() < 2 ? "; no finer valid cut of its segments" : "") + ")";
    bool failed = false;
    std::vector<std::string> moves;
    if (c.impedanceChangePercent) {
        failed = failed || *c.impedanceChangePercent > kConvergenceTolerance * 100;
        moves.push_back("the gap impedance moves by " + Fixed(*c.impedanceChangePercent, 2) + " % (at most " +
                        Fixed(kConvergenceTolerance * 100, 0) + " %)");
    }
    if (c.uncertaintyPercent && c.levelsMHz.size() > 1) {
        failed = failed || *c.uncertaintyPercent > kResonanceTolerance * 100;
        std::string resonances;
        for (std::size_t i = 0; i < c.levelsMHz.size(); ++i) {
            resonances += (i ? " -> " : "") + MhzText(c.levelsMHz[i]);
        }
        std::string move = "the resonance goes " + resonances + " MHz" + (c.resonanceExtrapolated ? " (about)" : "");
        switch (c.settling) {
            case Settling::Order:
                move += ", settling at order " + Fixed(*c.order, 1) + " towards " + MhzText(*c.convergedMHz) + " MHz";
                break;
            case Settling::Unsettled:
                move += ", not settling: the uncertainty takes the whole move and its last step again";
                break;
            case Settling::Spread:
                move += c.levelsMHz.size() < 3 ? ", too few valid refinements for an order of convergence: the "
                                                 "uncertainty is three times their spread"
                                               : ", settling irregularly: the uncertainty is three times their spread";
                break;
        }
        move += "; uncertain by " + Fixed(*c.uncertaintyPercent, 2) + " % (at most " +
                Fixed(kResonanceTolerance * 100, 0) + " %)";
        moves.push_back(move);
    }
    if (c.evenPercent) {
        moves.push_back("cut evenly beside the gap, as a deck written by hand is, the resonance moves by " +
                        Fixed(*c.evenPercent, 2) + " %, counted in the uncertainty: the levels share the grading");
    }
    if (c.feedPercent) {
        moves.push_back("the gap of " + Trimmed(model.gapMm, 3) + " mm is shorter than the " + Trimmed(model.fedMm, 3) +
                        " mm segment fed; feeding the gap as built moves the resonance by "
                        "about " +
                        Fixed(*c.feedPercent, 2) + " %, counted in the uncertainty");
    }
    if (moves.empty()) {
        return {"convergence", Verdict::NotApplicable, how + ": no resonance in the sweep to compare"};
    }
    std::string detail = how + ": " + moves.front();
    for (std::size_t i = 1; i < moves.size(); ++i) detail += "; " + moves[i];
    return {"convergence", failed ? Verdict::Failed : Verdict::Passed, detail};
}

SanityCheck AverageGainCheck(const LoopModel& model, const CheckReport& report) {
    const double efficiency = report.efficiencyPercent / 100;
    const auto judge = [&](double expected, const std::string& what) {
        const double off = std::abs(report.averagePowerGain - expected) / expected;
        return SanityCheck{"average gain", off <= kAverageGainTolerance ? Verdict::Passed : Verdict::Failed,
                           "the average power gain " + what + " is " + Fixed(report.averagePowerGain, 4) +
                               ", the efficiency gives " + Fixed(expected, 4) + " (within " +
                               Fixed(kAverageGainTolerance * 100, 0) + " %)"};
    };
    switch (model.placement.ground) {
        case Ground::Free:
            return judge(efficiency, "over the sphere");
        case Ground::Perfect:
            return judge(2 * efficiency, "over the upper half");
        case Ground::Average:
            break;
    }
    return {"average gain", Verdict::NotApplicable,
            "over real ground the ground's loss is not in the efficiency the engine reports"};
}

}  // namespace

double Swr(std::complex<double> impedance, double reference) {
    const double reflection = std::abs((impedance - reference) / (impedance + reference));
    return reflection >= 1 ? std::numeric_limits<double>::infinity() : (1 + reflection) / (1 - reflection);
}

SweepPoint ToSweepPoint(double mhz, const FrequencyResult& result, const FeedLine& line) {
    SweepPoint point;
    point.mhz = mhz;
    std::complex<double> current;
    std::complex<double> voltage{1, 0};
    for (const SourceReading& source : result.sources) {
        point.gaps.push_back(source.impedance);
        current += source.current;
        voltage = source.voltage;
    }
    point.parallel = voltage / current;
    point.lines = Junction(point.gaps, line, mhz);
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        point.swr[i] = Swr(point.At(kReadings[i].point), kReadings[i].referenceOhm);
    }
    return point;
}

std::complex<double> SweepPoint::At(FeedPoint point) const {
    switch (point) {
        case FeedPoint::Gap:
            return gaps.empty() ? std::complex<double>() : gaps.front();
        case FeedPoint::Parallel:
            return parallel;
        case FeedPoint::Junction:
            return lines;
    }
    return {};
}

std::vector<Range> RangesUnder(const std::vector<double>& mhz, const std::vector<double>& values, double limit) {
    std::vector<Range> ranges;
    std::optional<Range> open;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const bool under = values[i] < limit;
        const auto crossing = [&] {
            const double a = values[i - 1], b = values[i];
            // An infinite SWR next to a finite one: the crossing is at the finite point.
            if (!std::isfinite(a) || !std::isfinite(b)) return std::isfinite(a) ? mhz[i - 1] : mhz[i];
            return mhz[i - 1] + (mhz[i] - mhz[i - 1]) * (limit - a) / (b - a);
        };
        if (under && !open) {
            open = Range{i == 0 ? std::nullopt : std::optional(crossing()), std::nullopt};
        } else if (!under && open) {
            open->toMHz = crossing();
            ranges.push_back(*open);
            open.reset();
        }
    }
    if (open) ranges.push_back(*open);
    return ranges;
}

std::pair<double, double> SweepReaching(double a, double b) {
    const double low = std::min(a, b) * 0.95, high = std::max(a, b) * 1.05;
    const double unit = std::pow(10.0, std::floor(std::log10(low)) - 1);
    return {std::floor(low / unit) * unit, std::ceil(high / unit) * unit};
}

std::optional<double> NearestTo(const std::vector<double>& frequencies, double mhz) {
    std::optional<double> nearest;
    for (double f : frequencies) {
        if (!nearest || std::abs(f - mhz) < std::abs(*nearest - mhz)) nearest = f;
    }
    return nearest;
}

std::vector<double> ZeroCrossings(const std::vector<double>& mhz, const std::vector<double>& values) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < values.size(); ++i) {
        const double a = values[i - 1], b = values[i];
        if ((a < 0) != (b < 0)) crossings.push_back(mhz[i - 1] + (mhz[i] - mhz[i - 1]) * (-a) / (b - a));
    }
    return crossings;
}

std::vector<AntiResonance> AntiResonances(const std::vector<SweepPoint>& sweep) {
    std::vector<AntiResonance> found;
    for (std::size_t i = 1; i < sweep.size(); ++i) {
        const std::complex<double> a = sweep[i - 1].gaps.front(), b = sweep[i].gaps.front();
        if (a.imag() >= 0 && b.imag() < 0) {
            const double t = a.imag() / (a.imag() - b.imag());
            found.push_back(
                {sweep[i - 1].mhz + t * (sweep[i].mhz - sweep[i - 1].mhz), a.real() + t * (b.real() - a.real())});
        }
    }
    return found;
}

std::complex<double> GapImpedance(const FrequencyResult& result, int parts) {
    std::complex<double> voltage, current;
    const auto count = static_cast<std::size_t>(parts);
    for (std::size_t i = 0; i < count; ++i) {
        voltage += result.sources[i].voltage;
        current += result.sources[i].current;
    }
    return voltage / (current / static_cast<double>(count));
}

std::optional<double> ResonanceOfShortSweep(const std::vector<double>& mhz, const std::vector<double>& reactance,
                                            bool& outside) {
    outside = false;
    const std::vector<double> inside = RisingZeroCrossings(mhz, reactance);
    if (!inside.empty()) return inside.front();
    if (mhz.size() < 2) return std::nullopt;
    // All on one side of zero: along the line through the two ends, as far
    // as the reactance keeps rising.
    const double slope = (reactance.back() - reactance.front()) / (mhz.back() - mhz.front());
    if (!(slope > 0)) return std::nullopt;
    outside = true;
    const std::size_t near = reactance.front() > 0 ? 0 : mhz.size() - 1;
    return mhz[near] - reactance[near] / slope;
}

std::optional<double> ResonanceNearDesign(const std::vector<FrequencyResult>& sweep, const Sweep& frequencies,
                                          double designMHz) {
    std::vector<double> mhz, reactance;
    for (std::size_t i = 0; i < sweep.size(); ++i) {
        mhz.push_back(frequencies.At(static_cast<int>(i)));
        reactance.push_back(sweep[i].sources.front().impedance.imag());
    }
    return NearestTo(RisingZeroCrossings(mhz, reactance), designMHz);
}

double SkyPercent(Ground ground, double efficiencyPercent, double averagePowerGain) {
    if (ground != Ground::Average) return efficiencyPercent;
    return averagePowerGain / 2 * 100;
}

std::optional<NearestApproach> NearestApproachOf(const std::vector<double>& mhz, const std::vector<double>& reactance) {
    if (reactance.empty() || !ZeroCrossings(mhz, reactance).empty()) return std::nullopt;
    if (std::any_of(reactance.begin(), reactance.end(), [](double x) { return x == 0; })) return std::nullopt;
    std::size_t best = 0;
    for (std::size_t i = 1; i < reactance.size(); ++i) {
        if (std::abs(reactance[i]) < std::abs(reactance[best])) best = i;
    }
    NearestApproach near{mhz[best], reactance[best], best == 0 || best + 1 == reactance.size()};
    if (!near.atEdge) {
        // The parabola through the row and its neighbours, at its vertex.
        const double x0 = mhz[best - 1], x1 = mhz[best], x2 = mhz[best + 1];
        const double y0 = reactance[best - 1], y1 = reactance[best], y2 = reactance[best + 1];
        const double d01 = (y1 - y0) / (x1 - x0), d12 = (y2 - y1) / (x2 - x1);
        const double curvature = (d12 - d01) / (x2 - x0);
        if (curvature != 0) {
            const double vertex = (x0 + x1) / 2 - d01 / (2 * curvature);
            if (vertex > x0 && vertex < x2) {
                const double value =
                    y1 + (d01 + curvature * (x1 - x0)) * (vertex - x1) + curvature * (vertex - x1) * (vertex - x1);
                // Only where the vertex stays on the same side of zero.
                if (value * y1 > 0 && std::abs(value) <= std::abs(y1)) near = {vertex, value, false};
            }
        }
    }
    return near;
}

std::vector<double> RisingZeroCrossings(const std::vector<double>& mhz, const std::vector<double>& values) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < values.size(); ++i) {
        const double a = values[i - 1], b = values[i];
        if (a < 0 && b >= 0) crossings.push_back(mhz[i - 1] + (mhz[i] - mhz[i - 1]) * (-a) / (b - a));
    }
    return crossings;
}

bool CheckReport::Sane() const {
    return std::none_of(sanity.begin(), sanity.end(),
                        [](const SanityCheck& c) { return c.verdict == Verdict::Failed; });
}

std::vector<const LoopModel*> ConvergenceModels::All() const {
    std::vector<const LoopModel*> all;
    for (const LoopModel& level : levels) all.push_back(&level);
    for (const LoopModel& level : coarser) all.push_back(&level);
    if (evenCut) all.push_back(&*evenCut);
    if (longerFeed) all.push_back(&*longerFeed);
    return all;
}

Convergence Converge(std::vector<double> levelsMHz, std::size_t modelLevel, std::optional<double> feedPercent,
                     std::optional<double> evenPercent) {
    Convergence c;
    c.levelsMHz = levelsMHz;
    c.modelLevel = modelLevel;
    c.feedPercent = feedPercent;
    c.evenPercent = evenPercent;
    if (levelsMHz.empty()) return c;
    const double model = levelsMHz[modelLevel];
    double spread = 0, finer = 0;
    for (std::size_t i = 0; i < levelsMHz.size(); ++i) {
        spread = std::max(spread, std::abs(levelsMHz[i] - model));
        if (i > modelLevel) finer = std::max(finer, std::abs(levelsMHz[i] - model));
    }
    // Fewer than three levels give no order: three times their spread, as
    // far again as a first-order settling would still go, and as far again
    // for the segments graded otherwise (decks cut evenly beside the gap
    // land that far apart).
    double uncertainty = 3 * spread;
    c.settling = Settling::Spread;
    if (levelsMHz.size() >= 3) {
        const std::size_t n = levelsMHz.size();
        const double first = levelsMHz[n - 2] - levelsMHz[n - 3], last = levelsMHz[n - 1] - levelsMHz[n - 2];
        const double ratio = first != 0 ? last / first : 0;
        if (first != 0 && ratio > 0 && ratio <= kSettlingRatio) {
            // Richardson: each halving moves it `ratio` times as far as the
            // one before, so the rest of the way is last * ratio / (1 - ratio).
            c.settling = Settling::Order;
            c.order = std::log2(1 / ratio);
            const double rest = last * ratio / (1 - ratio);
            c.convergedMHz = levelsMHz.back() + rest;
            // The model's distance from it, and the extrapolation's own
            // step again for what an order read off three levels can miss.
            uncertainty = std::max(finer, std::abs(*c.convergedMHz - model) + std::abs(rest));
        } else if (ratio > kSettlingRatio) {
            c.settling = Settling::Unsettled;
            uncertainty = spread + std::abs(last);
        }
    }
    double percent = uncertainty / model * 100;
    if (feedPercent) percent += *feedPercent;
    if (evenPercent) percent += *evenPercent;
    c.uncertaintyPercent = std::max(percent, kUncertaintyFloorPercent);
    return c;
}

CheckReport Analyse(const LoopModel& model, const ConvergenceModels& convergence, const Sweep& sweep,
                    const FeedLine& line, const EngineAnswers& answers) {
    CheckReport report;
    report.designMHz = model.designMHz;
    for (std::size_t i = 0; i < answers.sweep.size(); ++i) {
        report.sweep.push_back(ToSweepPoint(sweep.At(static_cast<int>(i)), answers.sweep[i], line));
    }
    const FrequencyResult& design = answers.design;
    report.atDesign = ToSweepPoint(model.designMHz, design, line);
    report.pattern = design.pattern;
    if (!design.currents.empty()) report.currents = CurrentsOnModel(model, design.currents, model.designMHz);
    report.efficiencyPercent = design.efficiencyPercent.value_or(0);
    report.averagePowerGain = design.averagePowerGain.value_or(0);
    report.maxGainDbi = -std::numeric_limits<double>::infinity();
    for (const PatternPoint& p : design.pattern) {
        if (p.totalGainDb > report.maxGainDbi) {
            report.maxGainDbi = p.totalGainDb;
            report.maxGainThetaDeg = p.thetaDeg;
            report.maxGainPhiDeg = p.phiDeg;
        }
    }

    const auto mhz = Column(report.sweep, [](const SweepPoint& p) { return p.mhz; });
    report.resonancesMHz =
        RisingZeroCrossings(mhz, Column(report.sweep, [](const SweepPoint& p) { return p.gaps.front().imag(); }));
    report.antiresonances = AntiResonances(report.sweep);
    if (report.resonancesMHz.empty()) {
        report.outsideResonanceMHz = answers.outsideResonanceMHz;
        report.nearestApproach =
            NearestApproachOf(mhz, Column(report.sweep, [](const SweepPoint& p) { return p.gaps.front().imag(); }));
    }
    report.skyPercent = SkyPercent(model.placement.ground, report.efficiencyPercent, report.averagePowerGain);
    report.groundLossPercent = report.efficiencyPercent - report.skyPercent;
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        std::vector<double> swr;
        for (const SweepPoint& point : report.sweep) swr.push_back(point.swr[i]);
        report.under2[i] = RangesUnder(mhz, swr, kSwrLimit);
    }

    const std::optional<double> nearest = NearestTo(report.resonancesMHz, model.designMHz);
    std::vector<double> levels;
    std::size_t modelLevel = 0;
    bool extrapolated = false;
    std::optional<double> feedPercent, evenPercent;
    if (nearest) {
        const auto found = [&](std::size_t i) -> std::optional<double> {
            if (i >= answers.searches.size()) return std::nullopt;
            extrapolated = extrapolated || (answers.searches[i].mhz && !answers.searches[i].found);
            return answers.searches[i].mhz;
        };
        const std::size_t finer = convergence.levels.size(), coarser = convergence.coarser.size();
        for (std::size_t i = coarser; i-- > 0;) {
            if (const auto level = found(finer + i)) levels.push_back(*level);
        }
        modelLevel = levels.size();
        levels.push_back(*nearest);
        for (std::size_t i = 0; i < finer; ++i) {
            const auto level = found(i);
            if (!level) break;
            levels.push_back(*level);
        }
        const std::size_t even = convergence.evenCut ? 1 : 0;
        if (convergence.evenCut) {
            if (const auto cut = found(finer + coarser)) evenPercent = std::abs(*cut - *nearest) / *nearest * 100;
        }
        if (convergence.longerFeed) {
            if (const auto longer = found(finer + coarser + even)) {
                // The resonance moves about linearly with the fed length:
                // from the longer feed's move, the move down to the gap.
                const double perMm = (*longer - *nearest) / (convergence.longerFeed->fedMm - model.fedMm);
                feedPercent = std::abs(perMm * (model.fedMm - model.gapMm) / *nearest) * 100;
            }
        }
    }
    // A nearly resonant loop with no other valid cut than the longer feed:
    // the spread of the two models' nearest approaches.
    const bool nearOnly = !nearest && report.nearestApproach && convergence.levels.empty() &&
                          convergence.coarser.empty() && convergence.longerFeed && !answers.searches.empty() &&
                          answers.searches.back().mhz;
    if (nearOnly) levels = {report.nearestApproach->mhz, *answers.searches.back().mhz};
    Convergence c = levels.empty() ? Convergence{} : Converge(levels, modelLevel, feedPercent, evenPercent);
    c.nearestApproachOnly = nearOnly;
    c.resonanceExtrapolated = extrapolated;
    if (!convergence.levels.empty() && answers.secondAtDesign) {
        const std::complex<double> coarse = report.atDesign.gaps.front();
        const std::complex<double> fine = GapImpedance(*answers.secondAtDesign, convergence.levels.front().gapSegments);
        c.impedanceChangePercent = std::abs(fine - coarse) / std::abs(coarse) * 100;
    }
    report.resonanceUncertaintyPercent = c.uncertaintyPercent;
    report.sanity.push_back(SegmentsCheck(model, convergence, answers));
    report.sanity.push_back(ConvergenceCheck(model, convergence, c));
    report.convergence = std::move(c);
    report.sanity.push_back(AverageGainCheck(model, report));

    if (model.kernel == Kernel::Extended) {
        double shortest = model.ShortestMm();
        for (const LoopModel& level : convergence.levels) shortest = std::min(shortest, level.ShortestMm());
        const std::string radii = Fixed(shortest / model.radiusMm, 1) + " wire radii";
        report.notes.push_back(model.ShortestMm() < kThinWireRadii * model.radiusMm
                                   ? "the conductor is thick for its segments: the engine uses the extended thin-wire "
                                     "kernel (segments down to " +
                                         radii + ")"
                                   : "the engine uses the extended thin-wire kernel, which the finer models' segments "
                                     "(down to " +
                                         radii + ") need");
    }
    const double top = std::max(sweep.fromMHz, sweep.ToMHz());
    if (model.LongestMm() > kLongestAllowedWavelengths * kSpeedOfLight / top * 1000 * (1 + 1e-9)) {
        report.notes.push_back("the corners need segments of up to " + Fixed(model.LongestMm(), 1) +
                               " mm, more than a tenth of a wavelength above " +
                               MhzText(kLongestAllowedWavelengths * kSpeedOfLight / model.LongestMm() * 1000) +
                               " MHz: the sweep's rows above that are rough");
    }
    for (double resonance : report.resonancesMHz) {
        if (sweep.stepMHz > kCoarseStep * resonance) {
            report.notes.push_back("the sweep's step of " + Fixed(sweep.stepMHz, 3) +
                                   " MHz is coarse for the resonance at " + MhzText(resonance) +
                                   " MHz, placed by a straight line between two points");
            report.advice.push_back(Advice::FinerSweep);
            break;
        }
    }
    if (report.sweep.size() < 2) {
        report.notes.push_back("a sweep of one point shows no resonance and no 2:1 range");
    }
    return report;
}

}  // namespace corvanta::nec
