#include "nec/measurement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>
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

namespace {

// The strays of a junction as built and measured: what lies between the
// analyser's reference plane and where the lines really join.
enum class StrayKind { Coax, Shunt, Series };
struct Stray {
    StrayKind kind;
    double amount;  // metres of coax, farads across, henries in series; signed
};
constexpr Stray kStrays[] = {
    {StrayKind::Coax, kStrayCoaxMm / 1000},     {StrayKind::Coax, -kStrayCoaxMm / 1000},
    {StrayKind::Shunt, kStrayShuntPf * 1e-12},  {StrayKind::Shunt, -kStrayShuntPf * 1e-12},
    {StrayKind::Series, kStraySeriesNh * 1e-9}, {StrayKind::Series, -kStraySeriesNh * 1e-9},
};

// The junction's impedance had the measured one come through `stray`:
// the stray undone.
std::complex<double> WithoutStray(std::complex<double> measured, const Stray& stray, double mhz) {
    const double w = 2 * std::numbers::pi * mhz * 1e6;
    switch (stray.kind) {
        case StrayKind::Coax: {
            const FeedLine coax{kStrayCoaxOhm, kStrayCoaxVelocityFactor, stray.amount * 1000};
            return LineLoad(measured, coax, mhz);
        }
        case StrayKind::Shunt:
            return 1.0 / (1.0 / measured - std::complex<double>(0, w * stray.amount));
        case StrayKind::Series:
            return measured - std::complex<double>(0, w * stray.amount);
    }
    return measured;
}

OnePortSweep SweepWithoutStray(const OnePortSweep& sweep, const Stray& stray) {
    OnePortSweep undone = sweep;
    for (std::size_t i = 0; i < sweep.mhz.size(); ++i) {
        const auto z = ImpedanceOf(sweep.reflection[i], sweep.referenceOhm);
        undone.reflection[i] = ReflectionOf(WithoutStray(z, stray, sweep.mhz[i]), sweep.referenceOhm);
    }
    return undone;
}

std::string Ohm(double ohm) { return Fixed(ohm, 0) + " ohm"; }

// "measure from 130 to 160 MHz", a sweep that holds both.
std::string MeasureFrom(std::array<double, 2> sweep) {
    return "measure from " + Trimmed(sweep[0], 6) + " to " + Trimmed(sweep[1], 6) + " MHz";
}

std::array<double, 2> Reaching(double a, double b) {
    const auto [from, to] = SweepReaching(a, b);
    return {from, to};
}

// The lines' impedance that fits best, from kLinesLeastOhm to
// kLinesMostOhm by 8 % steps and then 2 % steps either side of the best,
// and its residual.
std::pair<double, double> BestLines(FitInput input, const Fit& fit) {
    std::pair<double, double> best{input.lineImpedanceOhm, fit.residualPercent};
    std::optional<Fit> bestFit;
    for (double ohm = kLinesLeastOhm; ohm <= kLinesMostOhm * 1.0001; ohm *= 1.08) {
        input.lineImpedanceOhm = ohm;
        if (auto quick = FitQuickly(input); quick && quick->residualPercent < best.second) {
            best = {ohm, quick->residualPercent};
            bestFit = std::move(quick);
        }
    }
    if (!bestFit) return best;
    const Fit around = *bestFit;
    const double centre = best.first;
    for (double share : {0.94, 0.96, 0.98, 1.02, 1.04, 1.06}) {
        input.lineImpedanceOhm = centre * share;
        if (const auto near = RefitNear(input, around, 0.05); near && near->residualPercent < best.second) {
            best = {input.lineImpedanceOhm, near->residualPercent};
        }
    }
    return best;
}

// The other port's sweep at the junction: the chain undone where the
// check takes the file as at the junction, left as it is where the check
// undoes it.
std::optional<OnePortSweep> AtTheOtherPort(const FeedOptions& feed, const OnePortSweep& taken, double designMHz) {
    if (!feed.chain) return std::nullopt;
    FeedOptions other = feed;
    other.port = feed.port == FeedPort::Radio ? FeedPort::Junction : FeedPort::Radio;
    return SweepAtJunction(other, taken, designMHz);
}

std::string PortWords(FeedPort port) { return port == FeedPort::Radio ? "at the radio" : "where the lines join"; }

double RootSumSquare(std::initializer_list<double> values) {
    double sum = 0;
    for (double v : values) sum += v * v;
    return std::sqrt(sum);
}

}  // namespace

double TrimUncertainty::TotalPercent() const {
    return RootSumSquare({straysPercent, velocityFactorPercent, noisePercent});
}

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

    std::vector<double> modelMHz, modelReactance;
    std::vector<std::complex<double>> modelGap;
    for (const SweepPoint& p : report.sweep) {
        modelMHz.push_back(p.mhz);
        modelGap.push_back(p.gaps.front());
        modelReactance.push_back(p.gaps.front().imag());
    }
    m.modelResonanceMHz = NearestTo(RisingZeroCrossings(modelMHz, modelReactance), model.designMHz);
    const double designMHz = model.designMHz;
    // Where the loop as cut should resonate, the model's word for it.
    const double expectedMHz = m.modelResonanceMHz.value_or(designMHz) / m.built.scale;

    const bool flat = Spread(measured.reflection) <= kFlatSpread;
    const double spanPercent = (measured.mhz.back() - measured.mhz.front()) / designMHz * 100;
    const bool narrow = spanPercent < kFitLeastSpanPercent;
    const bool held = plan.line.velocityFactorMeasured;
    FitInput input = FitInputOf(modelMHz, modelGap, model.sides, plan.line, measured);
    input.builtScale = m.built.scale;
    if (held) input.heldVelocityFactor = plan.line.velocityFactor;
    double bestLinesOhm = plan.line.impedanceOhm, bestLinesResidual = INFINITY;
    std::optional<Fit> otherAtPort;
    double otherBest = INFINITY;
    if (!flat && !narrow) {
        m.fit = FitMeasurement(input);
        if (m.fit) {
            std::tie(bestLinesOhm, bestLinesResidual) = BestLines(input, *m.fit);
            if (setting.otherShape) {
                const OtherShape& other = *setting.otherShape;
                m.otherSides = other.sides;
                FitInput otherInput = FitInputOf(other.mhz, other.gap, other.sides, other.line, measured);
                otherInput.builtScale = m.built.scale;
                if (held) otherInput.heldVelocityFactor = plan.line.velocityFactor;
                m.otherShapeFit = FitMeasurement(otherInput);
                // Judged at its own best lines, as this shape is: lines of
                // another impedance must not make the other shape look
                // better.
                if (m.otherShapeFit) otherBest = BestLines(otherInput, *m.otherShapeFit).second;
            }
            if (m.fit->residualPercent > kFitResidualLimitPercent) {
                if (const auto other = AtTheOtherPort(plan.feed, taken, designMHz)) {
                    FitInput at = input;
                    at.measuredMHz = other->mhz;
                    at.measuredS11 = other->reflection;
                    otherAtPort = FitMeasurement(at);
                }
            }
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
    if (!flat) m.resonanceMHz = GapResonance(m.points, line, line.velocityFactor, model.sides, designMHz);
    if (m.fit && m.modelResonanceMHz) m.fitResonanceMHz = *m.modelResonanceMHz / m.fit->scale;

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
    if (m.fit && !m.fit->leftOutMHz.empty()) {
        std::string at;
        for (std::size_t i = 0; i < m.fit->leftOutMHz.size(); ++i) {
            at += (i ? ", " : "") + Fixed(m.fit->leftOutMHz[i], 3);
        }
        m.notes.push_back(std::to_string(m.fit->leftOutMHz.size()) + " of the " + std::to_string(measured.mhz.size()) +
                          " measured points lie far from the fitted loop and were left out of the fit (at " + at +
                          " MHz): a spike, or a contact that moved while the analyser swept");
    }
    if (m.resonanceMHz && std::abs(*m.resonanceMHz / designMHz - 1) > kFarOff) {
        m.notes.push_back("the measured resonance is " + Fixed(std::abs(*m.resonanceMHz / designMHz - 1) * 100, 0) +
                          " % from the design frequency: is this a measurement of this design?");
    }

    // Where a sweep should run to show the loop's resonance and the design
    // frequency both: around the fitted loop's resonance where the fit
    // knows it, else where the model expects the loop as cut.
    const std::array<double, 2> reaching = Reaching(m.fitResonanceMHz.value_or(expectedMHz), designMHz);
    std::string distrust;
    const double thisResidual = m.fit ? m.fit->residualPercent : INFINITY;
    const bool linesDiffer = m.fit && std::abs(bestLinesOhm / plan.line.impedanceOhm - 1) > kLinesDifferShare &&
                             bestLinesResidual <= kFitResidualLimitPercent &&
                             bestLinesResidual < kLinesBetterRatio * thisResidual &&
                             thisResidual - bestLinesResidual > kLinesBetterLeastPercent;
    if (narrow) {
        distrust = "the measurement spans " + Mhz(mhz.back() - mhz.front()) +
                   ", too narrow for the model to be laid over it, so no trim: " + MeasureFrom(reaching) +
                   ", at least " + Fixed(kFitLeastSpanPercent, 0) + " % of the design frequency wide (" +
                   Mhz(designMHz * kFitLeastSpanPercent / 100) + "), around the loop's resonance";
        m.measureMHz = reaching;
    } else if (flat) {
        distrust = "the measurement does not show the loop's resonance: its S11 stays within " + Fixed(kFlatSpread, 2) +
                   " of one value from " + Mhz(mhz.front()) + " to " + Mhz(mhz.back()) +
                   ", as a load, an open, a short or a stray capacitance would, so no trim; " + CheckTheConnection();
    } else if (!m.fit) {
        distrust = "fewer than " + std::to_string(kFitLeastPoints) +
                   " measured points fall inside the model's sweep, so the model cannot be laid over the "
                   "measurement and there is no trim: " +
                   MeasureFrom(reaching);
        m.measureMHz = reaching;
    } else if (m.otherShapeFit && otherBest <= kFitResidualLimitPercent &&
               otherBest < std::min(thisResidual, bestLinesResidual)) {
        distrust = "the " + std::to_string(m.otherSides) + "-sided loop fits the measurement better (" +
                   Percent(otherBest) + " against " + Percent(std::min(thisResidual, bestLinesResidual)) + " for the " +
                   std::to_string(model.sides) +
                   "-sided one, each with its lines' impedance at its best), so no trim: check that the "
                   "measurement is of this design";
    } else if (linesDiffer) {
        m.linesLookOhm = std::round(bestLinesOhm / 10) * 10;
        distrust = "the lines look like about " + Ohm(*m.linesLookOhm) + ", not the " + Ohm(plan.line.impedanceOhm) +
                   " the check models: with them the model fits within " + Percent(bestLinesResidual) + " against " +
                   Percent(thisResidual) + ", so no trim until the check models the lines as they are";
    } else if (thisResidual > kFitResidualLimitPercent && otherAtPort &&
               otherAtPort->residualPercent <= kFitResidualLimitPercent) {
        const FeedPort other = plan.feed.port == FeedPort::Radio ? FeedPort::Junction : FeedPort::Radio;
        m.otherPort = other;
        distrust = "the measurement fits the loop as taken " + PortWords(other) + " (within " +
                   Percent(otherAtPort->residualPercent) + "), not " + PortWords(plan.feed.port) +
                   " as the check takes it, so no trim: compare it at the port it was taken at";
    } else if (thisResidual > kFitResidualLimitPercent) {
        distrust =
            "the measurement does not look like this loop: with its size and the lines' velocity factor "
            "fitted, the model's S11 still differs by " +
            Percent(thisResidual) + " (a loop fits within " + Fixed(kFitResidualLimitPercent, 0) +
            " %), as a load, an open, a short, a conductor other than the design's or a stray capacitance would, "
            "so no trim; " +
            CheckTheConnection();
    } else if (m.fit->scaleAtEdge) {
        distrust = "the fit puts the loop at the edge of its range, " + Fixed(kFitScaleRange * 100, 0) +
                   " % from the lengths as cut, where the truth may lie beyond it, so no trim: " +
                   (m.assumesDesignLengths ? "give the lengths the loop was cut to, or " : "") + MeasureFrom(reaching) +
                   " to show its resonance";
        m.measureMHz = reaching;
    } else if (m.fit->velocityFactorAtEdge) {
        distrust = "the fit puts the lines' velocity factor at the edge of its range (" +
                   Fixed(kFitLowestVelocityFactor, 2) + " to " + Fixed(kFitHighestVelocityFactor, 2) +
                   "), where the truth may lie beyond it, so no trim: measure the lines' velocity factor from a stub "
                   "of them and check that the lines are as the check models them";
    } else if (!m.fitResonanceMHz || *m.fitResonanceMHz < mhz.front() || *m.fitResonanceMHz > mhz.back()) {
        distrust = "the measurement misses the loop's resonance" +
                   (m.fitResonanceMHz ? " (the fit puts it at " + Mhz(*m.fitResonanceMHz) + ")" : std::string()) +
                   ", so no trim: " + MeasureFrom(reaching);
        m.measureMHz = reaching;
    }
    if (distrust.empty()) {
        const double resonance = *m.fitResonanceMHz;
        // The model's own tune, corrected by what the fit learned: the loop
        // as cut behaves as the model's at fit.scale times its size where
        // the lengths as cut are builtScale times it. The conductor keeps
        // its size, which the tune knows and a plain ratio of frequencies
        // does not.
        const TunedDesign* tuned = report.tuned && report.tuned->reached ? &*report.tuned : nullptr;
        const auto trimOf = [&](double fitScale) {
            if (tuned) {
                return ScaledDesign{tuned->heightMm / model.heightMm / fitScale,
                                    tuned->heightMm * m.built.heightMm / model.heightMm / fitScale,
                                    tuned->sideMm * m.built.sideMm / model.sideMm / fitScale,
                                    tuned->gapMm * m.built.gapMm / model.gapMm / fitScale};
            }
            const double share = *m.modelResonanceMHz / fitScale / designMHz;
            return ScaledDesign{share, m.built.heightMm * share, m.built.sideMm * share, m.built.gapMm * share};
        };
        m.trim = trimOf(m.fit->scale);
        m.trimFromTune = tuned != nullptr;
        if (!tuned) {
            m.notes.push_back(
                "the trim scales the lengths as cut by the fitted resonance over the design frequency, "
                "without the model's tune: the conductor is taken to scale with the loop");
        }
        // What the lengths may be off by: the strays of the junction, the
        // lines' velocity factor and the noise, each as the fit moves.
        TrimUncertainty u;
        const auto movedPercent = [&](const std::optional<Fit>& moved) {
            return moved ? std::abs(m.fit->scale / moved->scale - 1) * 100 : 0.0;
        };
        double worst[3] = {0, 0, 0};
        for (const Stray& stray : kStrays) {
            const OnePortSweep undone = SweepWithoutStray(measured, stray);
            FitInput strayed = input;
            strayed.measuredS11 = undone.reflection;
            double& w = worst[static_cast<int>(stray.kind)];
            w = std::max(w, movedPercent(RefitNear(strayed, *m.fit, 0.08)));
        }
        u.straysPercent = RootSumSquare({worst[0], worst[1], worst[2]});
        const double vfSpan = held ? kMeasuredVelocityFactorSpan : kVelocityFactorSpan;
        for (double v : {m.fit->velocityFactor - vfSpan, m.fit->velocityFactor + vfSpan}) {
            FitInput at = input;
            at.heldVelocityFactor = v;
            u.velocityFactorPercent = std::max(u.velocityFactorPercent, movedPercent(RefitNear(at, *m.fit, 0.08)));
        }
        u.noisePercent = kNoiseSigmas * m.fit->scaleSigma / m.fit->scale * 100;
        m.trimUncertainty = u;
        const double share = u.TotalPercent() / 100;
        m.trimSpan = std::array<double, 2>{m.trim->scale * (1 - share), m.trim->scale * (1 + share)};
        m.resonanceSpanMHz = std::array<double, 2>{resonance * (1 - share), resonance * (1 + share)};
        if (m.resonanceMHz) {
            const double apart = std::abs(*m.resonanceMHz / resonance - 1) * 100;
            const double explained = 3 * u.noisePercent / kNoiseSigmas + kPointResonanceLeastPercent;
            if (apart > explained) {
                m.notes.push_back("read point by point, the gap reactance crosses zero at " + Mhz(*m.resonanceMHz) +
                                  ", " + Fixed(apart, 2) + " % from the fitted loop's " + Mhz(resonance) +
                                  ", more than the noise explains: the trim uses the fitted loop's");
            }
        }
        if (u.velocityFactorPercent > kWideSpanPercent && !held) {
            m.notes.push_back("the lines' velocity factor, fitted as " + Fixed(m.fit->velocityFactor, 3) +
                              ", moves the lengths by " + Fixed(u.velocityFactorPercent, 2) + " % if it is " +
                              Fixed(kVelocityFactorSpan, 2) +
                              " off: measure it directly, from an open stub of the line, whose |Z| dips at its "
                              "quarter-wave frequency f, where the velocity factor is 4 x length x f / c");
        }
        if (u.straysPercent > kWideSpanPercent) {
            m.notes.push_back("strays at the junction (" + Fixed(kStrayCoaxMm / 10, 0) + " cm of " +
                              Fixed(kStrayCoaxOhm, 0) + " ohm coax before the reference plane, " +
                              Fixed(kStrayShuntPf, 1) + " pF across it, " + Fixed(kStraySeriesNh, 0) +
                              " nH in series) move the lengths by up to " + Fixed(u.straysPercent, 2) +
                              " %: calibrate the analyser with open, short and load at the junction's own "
                              "connector");
        }
    } else {
        m.refused = true;
        m.refusal = distrust;
        // A refused file shows no resonance anywhere: not the point by
        // point reading, not the fitted loop's.
        m.resonanceMHz.reset();
        m.fitResonanceMHz.reset();
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
