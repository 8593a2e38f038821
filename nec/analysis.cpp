#include "nec/analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

constexpr double kAverageGainTolerance = 0.01;  // of the efficiency
constexpr double kConvergenceTolerance = 0.02;  // of the gap impedance
constexpr double kResonanceTolerance = 0.01;    // of the resonance
// A resonance between points further apart than this share of the
// frequency is placed by a straight line over a curve: a note says so.
constexpr double kCoarseStep = 0.01;

std::vector<double> Column(const std::vector<SweepPoint>& sweep, double (*value)(const SweepPoint&)) {
    std::vector<double> values;
    for (const SweepPoint& point : sweep) values.push_back(value(point));
    return values;
}

SanityCheck SegmentsCheck(const LoopModel& model, const std::optional<ConvergenceModel>& second,
                          const EngineAnswers& answers) {
    for (int used : answers.segmentsUsed) {
        if (used != model.TotalSegments()) {
            return {"segments", Verdict::Failed,
                    "the engine used " + std::to_string(used) + ", the deck asked for " +
                        std::to_string(model.TotalSegments())};
        }
    }
    if (second) {
        for (int used : answers.secondSegmentsUsed) {
            if (used != second->model.TotalSegments()) {
                return {"segments", Verdict::Failed,
                        "the engine used " + std::to_string(used) + " in the convergence run, the deck asked for " +
                            std::to_string(second->model.TotalSegments())};
            }
        }
    }
    return {"segments", Verdict::Passed,
            "the engine used " + std::to_string(model.TotalSegments()) + ", the deck asked for " +
                std::to_string(model.TotalSegments())};
}

// The second model against the first: with halved segments the gap
// impedance at the design frequency and the resonance; with longer ones
// the resonance only, since moving the feed segment shifts the impedance
// for another reason.
SanityCheck ConvergenceCheck(const LoopModel& model, const std::optional<ConvergenceModel>& second,
                             const Convergence& c) {
    if (!second) {
        return {"convergence", Verdict::NotApplicable,
                "the segments can neither be halved (too short for the kernel) nor made 1.5 times as long "
                "(too long for the design frequency)"};
    }
    const LoopModel& other = second->model;
    std::string how;
    if (second->halved) {
        how = "with segments half as long (" + std::to_string(other.TotalSegments()) + ")";
    } else {
        how = "with segments " + Fixed(other.SegmentMm() / model.SegmentMm(), 1) + " times as long (" +
              std::to_string(other.TotalSegments()) + ", the " + KernelName(other.kernel) +
              " kernel; the model uses the " + KernelName(model.kernel) + " kernel)";
    }
    bool failed = false;
    std::vector<std::string> moves;
    if (c.impedanceChangePercent) {
        failed = failed || *c.impedanceChangePercent > kConvergenceTolerance * 100;
        moves.push_back("the gap impedance moves by " + Fixed(*c.impedanceChangePercent, 2) + " % (at most " +
                        Fixed(kConvergenceTolerance * 100, 0) + " %)");
    }
    if (c.resonanceMovePercent) {
        failed = failed || *c.resonanceMovePercent > kResonanceTolerance * 100;
        moves.push_back(std::string("the resonance moves by ") + (c.resonanceExtrapolated ? "about " : "") +
                        Fixed(*c.resonanceMovePercent, 2) + " % (at most " + Fixed(kResonanceTolerance * 100, 0) +
                        " %)");
    }
    if (moves.empty()) {
        return {"convergence", Verdict::NotApplicable, how + ": no resonance in the sweep to compare"};
    }
    std::string detail = how + " " + moves.front();
    for (std::size_t i = 1; i < moves.size(); ++i) detail += " and " + moves[i];
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

CheckReport Analyse(const LoopModel& model, const std::optional<ConvergenceModel>& second, const Sweep& sweep,
                    const FeedLine& line, const EngineAnswers& answers) {
    CheckReport report;
    report.designMHz = model.designMHz;
    for (std::size_t i = 0; i < answers.sweep.size(); ++i) {
        report.sweep.push_back(ToSweepPoint(sweep.At(static_cast<int>(i)), answers.sweep[i], line));
    }
    const FrequencyResult& design = answers.design;
    report.atDesign = ToSweepPoint(model.designMHz, design, line);
    report.pattern = design.pattern;
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
    if (report.resonancesMHz.empty()) report.outsideResonanceMHz = answers.outsideResonanceMHz;
    report.skyPercent = SkyPercent(model.placement.ground, report.efficiencyPercent, report.averagePowerGain);
    report.groundLossPercent = report.efficiencyPercent - report.skyPercent;
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        std::vector<double> swr;
        for (const SweepPoint& point : report.sweep) swr.push_back(point.swr[i]);
        report.under2[i] = RangesUnder(mhz, swr, kSwrLimit);
    }

    Convergence convergence;
    if (second && second->halved && answers.secondAtDesign) {
        const std::complex<double> coarse = report.atDesign.gaps.front();
        const std::complex<double> fine = GapImpedance(*answers.secondAtDesign, second->model.gapSegments);
        convergence.impedanceChangePercent = std::abs(fine - coarse) / std::abs(coarse) * 100;
    }
    const std::optional<double> nearest = NearestTo(report.resonancesMHz, model.designMHz);
    if (second && nearest && answers.secondResonanceMHz) {
        convergence.resonanceExtrapolated = !answers.secondResonanceFound;
        convergence.resonanceMovePercent = std::abs(*answers.secondResonanceMHz / *nearest - 1) * 100;
        report.resonanceUncertaintyPercent = convergence.resonanceMovePercent;
    }
    report.sanity.push_back(SegmentsCheck(model, second, answers));
    report.sanity.push_back(ConvergenceCheck(model, second, convergence));
    report.sanity.push_back(AverageGainCheck(model, report));

    if (model.kernel == Kernel::Extended) {
        report.notes.push_back(
            "the conductor is thick for its segments: the engine uses the extended "
            "thin-wire kernel (segments of " +
            Fixed(model.SegmentMm() / model.radiusMm, 1) + " wire radii)");
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
