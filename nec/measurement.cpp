#include "nec/measurement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "nec/analysis.h"
#include "nec/model_check.h"
#include "nec/report.h"
#include "nec/text_format.h"

namespace corvanta::nec {

namespace {

std::string Mhz(double mhz) { return Fixed(mhz, 3) + " MHz"; }

// Further than this share from the design frequency, a measured resonance
// is more likely another antenna, or another band, than this loop.
constexpr double kFarOff = 0.25;

}  // namespace

std::optional<double> Measurement::ShiftMHz() const {
    if (!resonanceMHz || !modelResonanceMHz) return std::nullopt;
    return *resonanceMHz - *modelResonanceMHz;
}

std::optional<double> Measurement::ShiftPercent() const {
    const auto shift = ShiftMHz();
    if (!shift) return std::nullopt;
    return *shift / *modelResonanceMHz * 100;
}

std::complex<double> LineLoad(std::complex<double> input, const FeedLine& line, double mhz) {
    // Going back along a lossless line is going forward by minus its length.
    FeedLine back = line;
    back.lengthMm = -line.lengthMm;
    return LineInput(input, back, mhz);
}

Measurement CompareMeasurement(const ModelCheck& check, const OnePortSweep& measured, std::string source) {
    const LoopModel& model = check.plan.model;
    const CheckReport& report = check.report;
    Measurement m;
    if (measured.mhz.empty() || measured.reflection.size() != measured.mhz.size()) {
        throw TouchstoneError("the measurement has no points to compare");
    }
    m.source = std::move(source);
    m.referenceOhm = check.plan.referenceOhm;
    const double lines = model.sides;

    std::vector<double> mhz, reactance;
    for (std::size_t i = 0; i < measured.mhz.size(); ++i) {
        MeasuredPoint point;
        point.mhz = measured.mhz[i];
        point.junction = ImpedanceOf(measured.reflection[i], measured.referenceOhm);
        point.swr = Swr(point.junction, m.referenceOhm);
        // The n lines meet in parallel: each line's end shows n times the junction.
        point.gap = LineLoad(lines * point.junction, check.plan.line, point.mhz);
        m.points.push_back(point);
        mhz.push_back(point.mhz);
        reactance.push_back(point.gap.imag());
    }
    m.resonanceMHz = NearestTo(ZeroCrossings(mhz, reactance), model.designMHz);
    m.modelResonanceMHz = NearestTo(report.resonancesMHz, model.designMHz);

    const auto lowest = std::min_element(m.points.begin(), m.points.end(),
                                         [](const auto& a, const auto& b) { return a.swr < b.swr; });
    m.minSwr = lowest->swr;
    m.minSwrMHz = lowest->mhz;
    double modelMin = std::numeric_limits<double>::infinity();
    for (const SweepPoint& p : report.sweep) {
        const double swr = Swr(p.lines, m.referenceOhm);
        if (swr < modelMin) {
            modelMin = swr;
            m.modelMinSwrMHz = p.mhz;
        }
    }

    const auto gain = std::count_if(measured.reflection.begin(), measured.reflection.end(),
                                    [](std::complex<double> s) { return std::abs(s) > 1; });
    if (gain > 0) {
        m.notes.push_back(std::to_string(gain) + " of the " + std::to_string(measured.mhz.size()) +
                          " measured points reflect more than was sent (|S11| over 1), which a "
                          "passive antenna cannot: check the analyser's calibration");
    }
    if (m.resonanceMHz && std::abs(*m.resonanceMHz / model.designMHz - 1) > kFarOff) {
        m.notes.push_back("the measured resonance is " + Fixed(std::abs(*m.resonanceMHz / model.designMHz - 1) * 100, 0) +
                          " % from the design frequency: is this a measurement of this design?");
    }
    if (m.resonanceMHz) {
        // Resonance goes inversely with size: the built loop scaled by this
        // much resonates at the design frequency.
        const double scale = *m.resonanceMHz / model.designMHz;
        m.trim = ScaledDesign::Of(model, scale);
    } else {
        m.notes.push_back("the measured gap reactance does not cross zero between " + Mhz(mhz.front()) +
                          " and " + Mhz(mhz.back()) + ": no resonance inside the measurement, so no trim");
    }
    if (!report.sweep.empty()) {
        const double from = report.sweep.front().mhz, to = report.sweep.back().mhz;
        if (mhz.back() < from || mhz.front() > to) {
            m.notes.push_back("the measurement (" + Mhz(mhz.front()) + " to " + Mhz(mhz.back()) +
                              ") does not overlap the model's sweep (" + Mhz(from) + " to " + Mhz(to) +
                              "); it is compared but not drawn");
        }
    }
    return m;
}

std::string ModelTouchstone(const ModelCheck& check) {
    const LoopModel& model = check.plan.model;
    const FeedLine& line = check.plan.line;
    std::vector<double> mhz;
    std::vector<std::complex<double>> impedance;
    for (const SweepPoint& p : check.report.sweep) {
        mhz.push_back(p.mhz);
        impedance.push_back(p.lines);
    }
    std::vector<std::string> comments = model.comments;
    comments.push_back("S11 where the lines join: " + std::to_string(model.sides) + " lines of " +
                       Trimmed(line.impedanceOhm, 3) + " ohm, velocity factor " +
                       Trimmed(line.velocityFactor, 4) + ", " + Trimmed(line.lengthMm, 4) +
                       " mm, lossless");
    comments.push_back("modelled with nec2c, " + GroundName(model.placement.ground) + ", " +
                       std::to_string(model.TotalSegments()) + " segments");
    return WriteTouchstone(mhz, impedance, check.plan.referenceOhm, comments);
}

}  // namespace corvanta::nec
