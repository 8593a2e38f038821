#include "nec/measurement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "nec/feed_port.h"
#include "nec/number_text.h"

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

namespace {

std::complex<double> LoopGapOf(std::complex<double> junction, const FeedLine& line, int sides, double mhz) {
    return LineLoad(static_cast<double>(sides) * junction, line, mhz);
}

}  // namespace

OtherShape OtherShapeOf(const CheckPlan& plan, const CheckReport& report) {
    OtherShape shape{plan.model.sides, {}, {}, plan.line};
    for (const SweepPoint& p : report.sweep) {
        shape.mhz.push_back(p.mhz);
        shape.gap.push_back(p.gaps.front());
    }
    return shape;
}

namespace {

FitInput FitInputOf(const std::vector<double>& modelMHz, const std::vector<std::complex<double>>& modelGap, int sides,
                    const FeedLine& line, const OnePortSweep& measured) {
    FitInput input;
    input.modelMHz = modelMHz;
    input.modelGap = modelGap;
    input.sides = sides;
    input.lineImpedanceOhm = line.impedanceOhm;
    input.lineLengthMm = line.lengthMm;
    input.measuredMHz = measured.mhz;
    input.measuredS11 = measured.reflection;
    input.referenceOhm = measured.referenceOhm;
    return input;
}

// The gap reactance's rising zero nearest the design frequency, with the
// measured junction turned back through lines of this velocity factor.
std::optional<double> GapResonance(const std::vector<MeasuredPoint>& points, FeedLine line, double velocityFactor,
                                   int sides, double designMHz) {
    line.velocityFactor = velocityFactor;
    std::vector<double> mhz, reactance;
    for (const MeasuredPoint& p : points) {
        mhz.push_back(p.mhz);
        reactance.push_back(LineLoad(static_cast<double>(sides) * p.junction, line, p.mhz).imag());
    }
    return NearestTo(RisingZeroCrossings(mhz, reactance), designMHz);
}

std::string Percent(double value) { return Fixed(value, 1) + " %"; }

}  // namespace

Measurement CompareMeasurement(const CheckPlan& plan, const CheckReport& report, const OnePortSweep& taken,
                               std::string source, const MeasurementSetting& setting) {
    // Taken at the radio, the balun and the feeder are undone first.
    const OnePortSweep measured = SweepAtJunction(plan.feed, taken, plan.model.designMHz);
    const LoopModel& model = plan.model;
    Measurement m;
    if (measured.mhz.empty() || measured.reflection.size() != measured.mhz.size()) {
        throw Failure(FailureKind::Measurement, "the measurement has no points to compare");
    }
    m.source = std::move(source);
    m.referenceOhm = plan.referenceOhm;
    m.built = ScaledDesign::Of(model, 1);
    if (setting.built) {
        m.built = {setting.built->heightMm / model.heightMm, setting.built->heightMm, setting.built->sideMm,
                   setting.built->gapMm};
        m.assumesDesignLengths = false;
    }

    std::vector<double> modelMHz;
    std::vector<std::complex<double>> modelGap;
    for (const SweepPoint& p : report.sweep) {
        modelMHz.push_back(p.mhz);
        modelGap.push_back(p.gaps.front());
    }
    const bool flat = Spread(measured.reflection) <= kFlatSpread;
    const double spanPercent = (measured.mhz.back() - measured.mhz.front()) / model.designMHz * 100;
    const bool narrow = spanPercent < kFitLeastSpanPercent;
    if (!flat && !narrow) {
        m.fit = FitMeasurement(FitInputOf(modelMHz, modelGap, model.sides, plan.line, measured));
        if (m.fit && setting.otherShape) {
            const OtherShape& other = *setting.otherShape;
            m.otherSides = other.sides;
            m.otherShapeFit = FitMeasurement(FitInputOf(other.mhz, other.gap, other.sides, other.line, measured));
        }
    }
    // The lines undone at the fitted velocity factor; at the check's where
    // nothing was fitted.
    FeedLine line = plan.line;
    if (m.fit) line.velocityFactor = m.fit->velocityFactor;

    std::vector<double> mhz;
    for (std::size_t i = 0; i < measured.mhz.size(); ++i) {
        MeasuredPoint point;
        point.mhz = measured.mhz[i];
        point.junction = ImpedanceOf(measured.reflection[i], measured.referenceOhm);
        point.swr = Swr(point.junction, m.referenceOhm);
        // The n lines meet in parallel: each line's end shows n times the junction.
        point.gap = LoopGapOf(point.junction, line, model.sides, point.mhz);
        m.points.push_back(point);
        mhz.push_back(point.mhz);
    }
    if (!flat) m.resonanceMHz = GapResonance(m.points, line, line.velocityFactor, model.sides, model.designMHz);
    m.modelResonanceMHz = NearestTo(RisingZeroCrossings(modelMHz,
                                                        [&] {
                                                            std::vector<double> x;
                                                            for (const auto& z : modelGap) x.push_back(z.imag());
                                                            return x;
                                                        }()),
                                    model.designMHz);

    const auto lowest =
        std::min_element(m.points.begin(), m.points.end(), [](const auto& a, const auto& b) { return a.swr < b.swr; });
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
    if (m.fit && m.fit->Thinned()) {
        m.notes.push_back("the model was fitted to " + std::to_string(m.fit->pointsCompared) + " of the " +
                          std::to_string(m.fit->pointsInReach) +
                          " measured points within its reach, evenly spread; the resonance and the curves use all " +
                          std::to_string(measured.mhz.size()));
    }
    if (m.resonanceMHz && std::abs(*m.resonanceMHz / model.designMHz - 1) > kFarOff) {
        m.notes.push_back("the measured resonance is " +
                          Fixed(std::abs(*m.resonanceMHz / model.designMHz - 1) * 100, 0) +
                          " % from the design frequency: is this a measurement of this design?");
    }
    // Why the measurement cannot be trusted with a trim; empty when it can.
    std::string distrust;
    if (narrow) {
        distrust = "the measurement spans " + Mhz(mhz.back() - mhz.front()) + " (" + Percent(spanPercent) +
                   " of the design frequency), too narrow to judge whether it is this loop "
                   "and how it was cut, so no trim: measure at least " +
                   Fixed(kFitLeastSpanPercent, 0) + " % of the design frequency wide (" +
                   Mhz(model.designMHz * kFitLeastSpanPercent / 100) + "), around the loop's resonance";
    } else if (flat) {
        distrust = "the measurement does not show the loop's resonance: its S11 stays within " + Fixed(kFlatSpread, 2) +
                   " of one value from " + Mhz(mhz.front()) + " to " + Mhz(mhz.back()) +
                   ", as a load, an open, a short or a stray capacitance would, so no trim; " + CheckTheConnection();
    } else if (!m.fit) {
        distrust = "fewer than " + std::to_string(kFitLeastPoints) +
                   " measured points fall inside the model's sweep, so the model cannot be laid over the "
                   "measurement and there is no trim; measure around the design frequency";
    } else if (m.otherShapeFit && m.otherShapeFit->residualPercent <= kFitResidualLimitPercent &&
               m.otherShapeFit->residualPercent < m.fit->residualPercent) {
        distrust = "the " + std::to_string(m.otherSides) + "-sided loop fits the measurement better (" +
                   Percent(m.otherShapeFit->residualPercent) + " against " + Percent(m.fit->residualPercent) +
                   " for the " + std::to_string(model.sides) +
                   "-sided one), so no trim: check that the measurement is of this design";
    } else if (m.fit->residualPercent > kFitResidualLimitPercent) {
        distrust =
            "the measurement does not look like this loop: with its size and the lines' velocity factor "
            "fitted, the model's S11 still differs by " +
            Percent(m.fit->residualPercent) +
            " (a loop fits "
            "within " +
            Fixed(kFitResidualLimitPercent, 0) +
            " %), as a load, an open, a short or a stray "
            "capacitance would, so no trim; " +
            CheckTheConnection();
    } else if (!m.resonanceMHz) {
        distrust =
            "the measurement does not show the loop's resonance: the gap reactance, the lines undone, "
            "does not rise through zero between " +
            Mhz(mhz.front()) + " and " + Mhz(mhz.back()) + ", so no trim; if the loop resonates inside this range, " +
            CheckTheConnection();
    }
    if (distrust.empty()) {
        // Resonance goes inversely with size: what was built, scaled by
        // this much, resonates at the design frequency.
        const auto trimOf = [&](double resonance) { return resonance / model.designMHz; };
        const double scale = trimOf(*m.resonanceMHz);
        m.trim = ScaledDesign{scale, m.built.heightMm * scale, m.built.sideMm * scale, m.built.gapMm * scale};
        const double vf = line.velocityFactor;
        std::array<double, 2> span = {*m.resonanceMHz, *m.resonanceMHz};
        for (double v : {vf - kVelocityFactorSpan, vf + kVelocityFactorSpan}) {
            if (const auto at = GapResonance(m.points, line, v, model.sides, model.designMHz)) {
                span = {std::min(span[0], *at), std::max(span[1], *at)};
            }
        }
        m.resonanceSpanMHz = span;
        m.trimSpan = std::array<double, 2>{trimOf(span[0]), trimOf(span[1])};
        if ((span[1] - span[0]) / *m.resonanceMHz * 100 > kWideSpanPercent) {
            m.notes.push_back("the lines' velocity factor, fitted as " + Fixed(vf, 3) + ", moves the resonance from " +
                              Mhz(span[0]) + " to " + Mhz(span[1]) + " if it is " + Fixed(kVelocityFactorSpan, 2) +
                              " off: measure it directly, from an open stub of the line, whose SWR dips at its "
                              "quarter-wave frequency f, where the velocity factor is 4 x length x f / c");
        }
    } else {
        m.notes.push_back(distrust);
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

std::string ModelTouchstone(const CheckPlan& plan, const CheckReport& report) {
    const LoopModel& model = plan.model;
    const FeedLine& line = plan.line;
    std::vector<double> mhz;
    std::vector<std::complex<double>> impedance;
    for (const SweepPoint& p : report.sweep) {
        mhz.push_back(p.mhz);
        impedance.push_back(ModelAtPort(plan.feed, p.lines, p.mhz, model.designMHz));
    }
    std::vector<std::string> comments = model.comments;
    const std::string lines = std::to_string(model.sides) + " lines of " + Trimmed(line.impedanceOhm, 3) +
                              " ohm, velocity factor " + Trimmed(line.velocityFactor, 4) + ", " +
                              Trimmed(line.lengthMm, 4) + " mm, lossless";
    // The header names the port the numbers stand for: an analyser's program
    // lays them over a sweep taken at the same point.
    if (plan.feed.port == FeedPort::Radio && plan.feed.chain) {
        const FeedChain& chain = *plan.feed.chain;
        std::string through = "S11 at the radio, through a " + Trimmed(chain.balunRatio, 3) + ":1 balun";
        if (const auto& f = chain.feeder) {
            through += " and " + Trimmed(f->lengthM, 3) + " m of " + Trimmed(f->impedanceOhm, 3) +
                       " ohm feeder, velocity factor " + Trimmed(f->velocityFactor, 3) + ", " +
                       Trimmed(f->lossDbPer100m, 3) + " dB per 100 m";
        }
        comments.push_back(through);
        comments.push_back("from where the lines join: " + lines);
    } else {
        comments.push_back("S11 where the lines join: " + lines);
    }
    comments.push_back("modelled with nec2c, " + GroundName(model.placement.ground) + ", " +
                       std::to_string(model.TotalSegments()) + " segments");
    return WriteTouchstone(mhz, impedance, plan.referenceOhm, comments);
}

}  // namespace corvanta::nec
