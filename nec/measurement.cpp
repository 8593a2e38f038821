#include "nec/measurement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

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

using Point = std::complex<double>;

struct Circle {
    Point centre;
    double radius = -1;  // holds nothing
    bool Holds(Point p) const { return std::abs(p - centre) <= radius * (1 + 1e-12) + 1e-15; }
};

Circle Through(Point a, Point b) { return {(a + b) / 2.0, std::abs(a - b) / 2}; }

Circle Through(Point a, Point b, Point c) {
    // The circumcircle; three points in a line have none, and the widest
    // pair's circle holds the third.
    const Point ab = b - a, ac = c - a;
    const double d = 2 * (ab.real() * ac.imag() - ab.imag() * ac.real());
    if (std::abs(d) < 1e-300) {
        Circle best = Through(a, b);
        for (const Circle& other : {Through(a, c), Through(b, c)}) {
            if (other.radius > best.radius) best = other;
        }
        return best;
    }
    const double ab2 = std::norm(ab), ac2 = std::norm(ac);
    const Point offset((ac.imag() * ab2 - ab.imag() * ac2) / d, (ab.real() * ac2 - ac.real() * ab2) / d);
    return {a + offset, std::abs(offset)};
}

std::string CheckTheConnection() {
    return "check that the analyser measured the port the check assumes, that the lines are as the check "
           "models them, and that they connect to the loop";
}

}  // namespace

double Spread(const std::vector<std::complex<double>>& points) {
    // The smallest enclosing circle, built up point by point: each point
    // outside the circle so far lies on the rim of the next one. In a
    // sweep's order nearly every point is outside; shuffled (the same way
    // every time), few are, and the work stays linear.
    std::vector<Point> reflection = points;
    std::shuffle(reflection.begin(), reflection.end(), std::mt19937(20261207));
    Circle circle;
    for (std::size_t i = 0; i < reflection.size(); ++i) {
        if (circle.Holds(reflection[i])) continue;
        circle = {reflection[i], 0};
        for (std::size_t j = 0; j < i; ++j) {
            if (circle.Holds(reflection[j])) continue;
            circle = Through(reflection[i], reflection[j]);
            for (std::size_t k = 0; k < j; ++k) {
                if (!circle.Holds(reflection[k])) circle = Through(reflection[i], reflection[j], reflection[k]);
            }
        }
    }
    return std::max(0.0, circle.radius);
}

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
        throw Failure(FailureKind::Measurement, "the measurement has no points to compare");
    }
    m.source = std::move(source);
    m.referenceOhm = check.plan.referenceOhm;
    const double lines = model.sides;

    std::vector<double> mhz, reactance;
    for (std::size_t i = 0; i < measured.mhz.size(); ++i) {
        MeasuredPoint point;
        point.mhz = measured.mhz[i];
        point.junction = MeasuredAtJunction(check.plan.feed, ImpedanceOf(measured.reflection[i], measured.referenceOhm),
                                            point.mhz, model.designMHz);
        point.swr = Swr(point.junction, m.referenceOhm);
        // The n lines meet in parallel: each line's end shows n times the junction.
        point.gap = LineLoad(lines * point.junction, check.plan.line, point.mhz);
        m.points.push_back(point);
        mhz.push_back(point.mhz);
        reactance.push_back(point.gap.imag());
    }
    const bool flat = Spread(measured.reflection) <= kFlatSpread;
    if (!flat) m.resonanceMHz = NearestTo(RisingZeroCrossings(mhz, reactance), model.designMHz);
    {
        std::vector<double> modelMHz, modelReactance;
        for (const SweepPoint& p : report.sweep) {
            modelMHz.push_back(p.mhz);
            modelReactance.push_back(p.gaps.front().imag());
        }
        m.modelResonanceMHz = NearestTo(RisingZeroCrossings(modelMHz, modelReactance), model.designMHz);
    }

    const auto lowest = std::min_element(m.points.begin(), m.points.end(),
                                         [](const auto& a, const auto& b) { return a.swr < b.swr; });
    m.minSwr = lowest->swr;
    m.minSwrMHz = lowest->mhz;
    m.minSwrAtEdge = m.points.size() > 1 && (lowest == m.points.begin() || lowest == m.points.end() - 1);
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
    } else if (flat) {
        m.notes.push_back("the measurement does not show the loop's resonance: its S11 stays within " +
                          Fixed(kFlatSpread, 2) + " of one value from " + Mhz(mhz.front()) + " to " +
                          Mhz(mhz.back()) + ", as a load, an open or a short would, so no trim; " +
                          CheckTheConnection());
    } else {
        m.notes.push_back("the measurement does not show the loop's resonance: the gap reactance, the lines "
                          "undone, does not rise through zero between " + Mhz(mhz.front()) + " and " +
                          Mhz(mhz.back()) + ", so no trim; if the loop resonates inside this range, " +
                          CheckTheConnection());
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
        impedance.push_back(ModelAtPort(check.plan.feed, p.lines, p.mhz, model.designMHz));
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
