#include "plot/check_curves.h"

#include <cmath>

#include "nec/feed_report.h"
#include "nec/headline.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"
#include "nec/readings.h"

namespace corvanta::plot {

namespace {

using nec::SweepPoint;

QColor Colour(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

Qt::PenStyle PenStyle(nec::Dash dash) {
    switch (dash) {
        case nec::Dash::Solid:
            return Qt::SolidLine;
        case nec::Dash::Dashed:
            return Qt::DashLine;
        case nec::Dash::DashDotted:
            return Qt::DashDotLine;
    }
    return Qt::SolidLine;
}

std::string Ohm(double ohm) { return nec::Trimmed(ohm, 3) + " " + std::string(nec::OhmUnit(nec::Medium::Typeset)); }

// The feed's curves are the loop's the verdict names, which their names
// say where it is not the design's own.
std::string LoopSuffix(const nec::ModelCheck& check) {
    if (check.feed.loop.name == nec::CutChoice::Design) return "";
    return ", " + std::string(nec::CutName(check.feed.loop.name)) + " loop";
}

// The headline among the readings, or none when the radio end is it: a
// builder who connects a feed to the radio reads it there.
std::optional<std::size_t> HeadlineIndex(const nec::ModelCheck& check) {
    if (check.feed.radio) return std::nullopt;
    return nec::BestReading(check.report.atDesign.swr);
}

CheckCurve ReadingCurve(const nec::ModelCheck& check, std::size_t i, const std::vector<SweepPoint>& sweep,
                        const std::string& suffix) {
    const nec::Reading& reading = nec::kReadings[i];
    CheckCurve c;
    c.kind = CurveKind::Reading;
    c.reading = i;
    c.label = nec::ReadingLabel(reading, nec::Medium::Typeset) + suffix;
    c.name = c.label;
    c.colour = Colour(reading.plot.colour);
    c.dash = PenStyle(reading.plot.dash);
    c.headline = HeadlineIndex(check) == i;
    c.width = c.headline ? kHeadlinePen : kOtherPen;
    c.referenceOhm = reading.referenceOhm;
    for (const SweepPoint& p : sweep) {
        c.mhz.push_back(p.mhz);
        c.impedance.push_back(p.At(reading.point));
        c.swr.push_back(p.swr[i]);
    }
    return c;
}

std::vector<double> LoopMhz(const nec::ModelCheck& check) {
    std::vector<double> mhz;
    for (const SweepPoint& p : check.feed.loop.sweep) mhz.push_back(p.mhz);
    return mhz;
}

}  // namespace

QColor InkOf(CurveKind kind) {
    switch (kind) {
        case CurveKind::Radio:
            return {0x00, 0x83, 0x8f};
        case CurveKind::Matched:
            return {0x45, 0x5a, 0x64};
        case CurveKind::Measured:
        case CurveKind::Reading:
            break;
    }
    return {0x11, 0x11, 0x11};
}

QPen CheckCurve::Pen() const {
    // Dots need round ends to show; the lines meet the panel's edge square.
    return QPen(colour, width, dash, kind == CurveKind::Measured ? Qt::RoundCap : Qt::FlatCap, Qt::RoundJoin);
}

CheckCurve ReadingOnLoop(const nec::ModelCheck& check, std::size_t reading) {
    const std::vector<SweepPoint>& loop = check.feed.loop.sweep;
    CheckCurve c = loop.empty() ? ReadingCurve(check, reading, check.report.sweep, "")
                                : ReadingCurve(check, reading, loop, LoopSuffix(check));
    c.headline = true;
    c.width = kHeadlinePen;
    c.onLoop = !loop.empty();
    return c;
}

std::vector<CheckCurve> CheckCurves(const nec::ModelCheck& check) {
    std::vector<CheckCurve> curves;
    for (std::size_t i : nec::ReadingsInView()) {
        if (nec::kReadings[i].plot.drawn) curves.push_back(ReadingCurve(check, i, check.report.sweep, ""));
    }
    const std::vector<double> mhz = LoopMhz(check);
    const std::size_t points = check.report.sweep.size();
    const bool loopWhole = mhz.size() == points;
    if (const auto& radio = check.feed.radio; radio && loopWhole && radio->swr.size() == points) {
        CheckCurve c;
        c.kind = CurveKind::Radio;
        c.label = "radio end on " + Ohm(radio->referenceOhm) + LoopSuffix(check);
        c.name = c.label;
        c.colour = InkOf(CurveKind::Radio);
        c.onLoop = true;
        c.headline = !HeadlineIndex(check);
        c.width = c.headline ? kHeadlinePen : kOtherPen;
        c.referenceOhm = radio->referenceOhm;
        c.mhz = mhz;
        c.impedance = radio->sweep;
        c.swr = radio->swr;
        if (c.impedance.size() != points) c.impedance.assign(points, std::complex<double>(NAN, NAN));
        curves.push_back(c);
    }
    if (check.feed.match && loopWhole && check.feed.matchedSwr.size() == points) {
        CheckCurve c;
        c.kind = CurveKind::Matched;
        c.label = "through the match (dash-dot" + LoopSuffix(check) + ")";
        c.name = "through the match on " + Ohm(check.feed.matchedReferenceOhm) + LoopSuffix(check);
        c.colour = InkOf(CurveKind::Matched);
        c.onLoop = true;
        c.dash = Qt::DashDotLine;
        c.width = kOtherPen;
        c.referenceOhm = check.feed.matchedReferenceOhm;
        c.mhz = mhz;
        c.impedance = check.feed.matched;
        if (c.impedance.size() != points) c.impedance.assign(points, std::complex<double>(NAN, NAN));
        c.swr = check.feed.matchedSwr;
        curves.push_back(c);
    }
    if (check.measured && !check.measured->points.empty()) {
        CheckCurve c;
        c.kind = CurveKind::Measured;
        c.label = "measured on " + Ohm(check.measured->referenceOhm);
        c.name = c.label;
        c.colour = InkOf(CurveKind::Measured);
        c.dash = Qt::DotLine;
        c.width = kMeasuredPen;
        c.referenceOhm = check.measured->referenceOhm;
        for (const nec::MeasuredPoint& p : check.measured->points) {
            c.mhz.push_back(p.mhz);
            c.impedance.push_back(p.junction);
            c.swr.push_back(p.swr);
        }
        curves.push_back(c);
    }
    return curves;
}

std::optional<CheckCurve> CurveOf(const nec::ModelCheck& check, CurveKind kind) {
    for (CheckCurve& c : CheckCurves(check)) {
        if (c.kind == kind) return std::move(c);
    }
    return std::nullopt;
}

std::vector<nec::DenseSample> DenseOf(const nec::ModelCheck& check, const CheckCurve& curve) {
    std::vector<nec::DenseSample> asItIs;
    for (std::size_t i = 0; i < curve.mhz.size() && i < curve.impedance.size(); ++i) {
        asItIs.push_back({curve.mhz[i], curve.impedance[i]});
    }
    const double design = check.report.designMHz;
    nec::PortOf port;
    switch (curve.kind) {
        case CurveKind::Reading: {
            const nec::FeedPoint point = nec::kReadings[curve.reading].point;
            port = [point](const SweepPoint& p) { return p.At(point); };
            break;
        }
        case CurveKind::Radio:
            if (check.plan.feed.chain) port = nec::RadioEndPort(*check.plan.feed.chain, design);
            break;
        case CurveKind::Matched:
            if (check.feed.match) port = nec::MatchedPort(check.plan.feed, *check.feed.match, design);
            break;
        case CurveKind::Measured:
            break;
    }
    if (!port) return asItIs;
    const nec::NamedLoop loop = curve.onLoop ? check.feed.loop : nec::DesignLoop(check.report);
    if (loop.sweep.size() != curve.mhz.size()) return asItIs;
    nec::DenseOptions options;
    options.referenceOhm = curve.referenceOhm;
    return nec::DenseCurve(check.report, loop, check.plan.line, port, options);
}

std::optional<CurveValue> ValueAt(const CheckCurve& curve, double mhz) {
    const std::vector<double>& f = curve.mhz;
    if (f.empty() || mhz < f.front() || mhz > f.back()) return std::nullopt;
    std::size_t i = 0;
    while (i + 2 < f.size() && f[i + 1] < mhz) ++i;
    const std::size_t j = f.size() > 1 ? i + 1 : i;
    const double t = f[j] > f[i] ? (mhz - f[i]) / (f[j] - f[i]) : 0;
    CurveValue v;
    if (j < curve.impedance.size()) v.impedance = curve.impedance[i] + t * (curve.impedance[j] - curve.impedance[i]);
    if (j < curve.swr.size()) {
        const double a = curve.swr[i], b = curve.swr[j];
        v.swr = std::isfinite(a) && std::isfinite(b) ? a + t * (b - a) : (t < 0.5 ? a : b);
    }
    return v;
}

}  // namespace corvanta::plot
