#include "plot/smith_chart.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_chain.h"
#include "nec/feed_report.h"
#include "nec/headline.h"
#include "nec/report.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"
#include "plot/check_curves.h"
#include "plot/plot_style.h"

namespace corvanta::plot {

namespace {

using nec::SweepPoint;

// The labelled circles and arcs, as normalised resistance and reactance.
constexpr std::array kGridValues{0.2, 0.5, 1.0, 2.0, 5.0};
constexpr int kArcSteps = 160;
constexpr double kLegendWidth = 300;
constexpr double kMargin = 34;  // round the rim, for the reactance labels
constexpr double kMarkSize = 4.5;

enum class Shape { Dot, Square, Triangle, Diamond };

// An impedance between two sweep points, a straight line between them as
// the curve is drawn.
template <typename Point, typename Value>
std::optional<std::complex<double>> Between(const std::vector<Point>& points, double mhz, Value value) {
    if (points.empty() || mhz < points.front().mhz || mhz > points.back().mhz) return std::nullopt;
    std::size_t i = 0;
    while (i + 2 < points.size() && points[i + 1].mhz < mhz) ++i;
    const Point& a = points[i];
    const Point& b = points.size() > 1 ? points[i + 1] : a;
    const double t = b.mhz > a.mhz ? (mhz - a.mhz) / (b.mhz - a.mhz) : 0;
    return value(a) + t * (value(b) - value(a));
}

std::complex<double> ImpedanceOf(const SmithSample& s) { return s.impedance; }

std::vector<std::complex<double>> Impedances(const std::vector<SmithSample>& samples) {
    std::vector<std::complex<double>> impedances;
    for (const SmithSample& s : samples) impedances.push_back(s.impedance);
    return impedances;
}

std::string ReturnLossText(double db) {
    return std::isfinite(db) ? nec::Fixed(db, 1) + " dB" : std::string("infinite");
}

void Mark(QPainter& painter, QPointF at, Shape shape, const QColor& colour, bool filled) {
    painter.save();
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(filled ? QBrush(colour) : QBrush(Qt::white));
    const double s = kMarkSize;
    switch (shape) {
        case Shape::Dot:
            painter.drawEllipse(at, s, s);
            break;
        case Shape::Square:
            painter.drawRect(QRectF(at.x() - s, at.y() - s, 2 * s, 2 * s));
            break;
        case Shape::Triangle:
            painter.drawPolygon(
                QPolygonF({at + QPointF(0, -s * 1.3), at + QPointF(s * 1.2, s), at + QPointF(-s * 1.2, s)}));
            break;
        case Shape::Diamond:
            painter.drawPolygon(QPolygonF({at + QPointF(0, -s * 1.4), at + QPointF(s * 1.2, 0),
                                           at + QPointF(0, s * 1.4), at + QPointF(-s * 1.2, 0)}));
            break;
    }
    painter.restore();
}

// A polyline through impedances, leaving out what cannot be drawn.
QPolygonF Curve(const SmithLayout& layout, const std::vector<std::complex<double>>& impedances, double reference) {
    QPolygonF line;
    for (const std::complex<double>& z : impedances) {
        if (std::isnan(z.real()) || std::isnan(z.imag())) continue;
        line << layout.At(SmithPoint(z, reference));
    }
    return line;
}

void DrawGrid(QPainter& painter, const SmithLayout& layout) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setFont(style::Font(style::kSmallPx));
    const QFontMetricsF metrics(painter.font());
    // Circles of constant resistance: every one touches the open end.
    for (double r : kGridValues) {
        const double radius = layout.radius / (1 + r);
        painter.setPen(QPen(r == 1 ? style::kMuted : style::kGrid, 1));
        painter.drawEllipse(layout.At({r / (1 + r), 0}), radius, radius);
        const QPointF at = layout.At(SmithPoint({r, 0}, 1));
        const QString text = style::Text(nec::Trimmed(r, 1));
        painter.setPen(style::kMuted);
        painter.drawText(QPointF(at.x() - metrics.horizontalAdvance(text) - 2, at.y() - 3), text);
    }
    // Arcs of constant reactance, from the rim to the open end, as
    // polylines: Qt's SVG generator writes no clip paths.
    for (double magnitude : kGridValues) {
        for (double x : {magnitude, -magnitude}) {
            QPolygonF arc;
            for (int k = 0; k < kArcSteps; ++k) {
                const double t = static_cast<double>(k) / kArcSteps;
                arc << layout.At(SmithPoint({t / (1 - t), x}, 1));
            }
            arc << layout.At({1, 0});
            painter.setPen(QPen(magnitude == 1 ? style::kMuted : style::kGrid, 1));
            painter.drawPolyline(arc);
            // The label just outside the rim, where the arc meets it.
            const std::complex<double> rim = SmithPoint({0, x}, 1);
            const QPointF out(rim.real(), -rim.imag());
            const QPointF at = layout.centre + out * (layout.radius + 5);
            const QString text = style::Text((x > 0 ? "+j" : std::string(nec::MinusSign(nec::Medium::Typeset)) + "j") +
                                             nec::Trimmed(magnitude, 1));
            const double width = metrics.horizontalAdvance(text);
            const double left = out.x() < -0.3 ? at.x() - width : out.x() > 0.3 ? at.x() : at.x() - width / 2;
            const double base = out.y() > 0.3    ? at.y() + metrics.ascent()
                                : out.y() < -0.3 ? at.y()
                                                 : at.y() + metrics.ascent() / 2;
            painter.setPen(style::kMuted);
            painter.drawText(QPointF(left, base), text);
        }
    }
    // The rim, the real axis and the open end.
    painter.setPen(QPen(style::kFrame, 1.2));
    painter.drawEllipse(layout.centre, layout.radius, layout.radius);
    painter.setPen(QPen(style::kMuted, 1));
    painter.drawLine(layout.At({-1, 0}), layout.At({1, 0}));
    painter.setPen(style::kMuted);
    painter.drawText(layout.At({1, 0}) + QPointF(5, metrics.ascent() / 2), QStringLiteral("∞"));
    painter.drawText(
        layout.At({-1, 0}) + QPointF(-metrics.horizontalAdvance(QStringLiteral("0")) - 5, metrics.ascent() / 2),
        QStringLiteral("0"));
    // The SWR 2:1 circle: a reflection of a third.
    painter.setPen(QPen(style::kInk, 1.2, Qt::DashLine));
    painter.drawEllipse(layout.centre, layout.radius / 3, layout.radius / 3);
    painter.restore();
}

// Whether `line` passes through `box`.
bool Crosses(const QPolygonF& line, const QRectF& box) {
    const QLineF edges[] = {{box.topLeft(), box.topRight()},
                            {box.topRight(), box.bottomRight()},
                            {box.bottomRight(), box.bottomLeft()},
                            {box.bottomLeft(), box.topLeft()}};
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (box.contains(line[i])) return true;
        if (i == 0) continue;
        const QLineF segment(line[i - 1], line[i]);
        for (const QLineF& edge : edges) {
            if (segment.intersects(edge, nullptr) == QLineF::BoundedIntersection) return true;
        }
    }
    return false;
}

// Whether a label's box is clear of the marks and labels placed, and of
// every curve: a label under a curve cannot be read.
bool IsClear(const QRectF& box, const std::vector<QRectF>& taken, const std::vector<QPolygonF>& curves) {
    return std::none_of(taken.begin(), taken.end(), [&](const QRectF& other) { return other.intersects(box); }) &&
           std::none_of(curves.begin(), curves.end(), [&](const QPolygonF& line) { return Crosses(line, box); });
}

// "SWR 2:1" beside its circle, at the first place round it (above, below,
// right, left) clear of the curves and the marks.
void LabelSwrCircle(QPainter& painter, const SmithLayout& layout, std::vector<QRectF>& taken,
                    const std::vector<QPolygonF>& curves) {
    painter.save();
    painter.setFont(style::Font(style::kSmallPx));
    painter.setPen(style::kInk);
    const QFontMetricsF metrics(painter.font());
    const QString swr = QStringLiteral("SWR 2:1");
    const QSizeF size(metrics.horizontalAdvance(swr), metrics.height());
    const double r = layout.radius / 3;
    const QPointF c = layout.centre;
    const QPointF corners[] = {
        {c.x() - size.width() / 2, c.y() - r - 4 - size.height()},
        {c.x() - size.width() / 2, c.y() + r + 4},
        {c.x() + r + 4, c.y() - size.height() / 2},
        {c.x() - r - 4 - size.width(), c.y() - size.height() / 2},
        {c.x() + r * 0.72, c.y() - r * 0.72 - size.height()},
        {c.x() - r * 0.72 - size.width(), c.y() - r * 0.72 - size.height()},
        {c.x() + r * 0.72, c.y() + r * 0.72},
        {c.x() - r * 0.72 - size.width(), c.y() + r * 0.72},
    };
    for (const QPointF& corner : corners) {
        const QRectF box(corner, size);
        if (IsClear(box, taken, curves)) {
            painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), swr);
            taken.push_back(box);
            break;
        }
    }
    painter.restore();
}

// A mark on the model's curve at a frequency, its place added to `taken`;
// with `label`, its MHz beside it instead, where no other mark or MHz is
// (the legend lists them all): above or below it, to the right or the left.
void MarkAt(QPainter& painter, const SmithLayout& layout, const SmithCurve& curve, double mhz, Shape shape,
            const QColor& colour, bool filled, std::vector<QRectF>& taken, bool label,
            const std::vector<QPolygonF>& curves) {
    const auto z = Between(curve.model, mhz, ImpedanceOf);
    if (!z) return;
    const QPointF at = layout.At(SmithPoint(*z, curve.referenceOhm));
    if (!label) {
        Mark(painter, at, shape, colour, filled);
        taken.emplace_back(at.x() - kMarkSize - 1, at.y() - kMarkSize - 1, 2 * kMarkSize + 2, 2 * kMarkSize + 2);
        return;
    }
    painter.save();
    painter.setFont(style::Font(style::kSmallPx));
    painter.setPen(colour);
    const QString text = style::Text(nec::MhzText(mhz));
    const QFontMetricsF metrics(painter.font());
    const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
    // Next to the mark if there is room clear of the curves, else a step
    // further out, and further; with no room at all, the legend tells it.
    for (const double away : {0.0, size.height(), 2 * size.height(), 3 * size.height()}) {
        const double right = at.x() + kMarkSize + 4 + away, left = at.x() - kMarkSize - 4 - size.width() - away;
        const double above = at.y() - kMarkSize - 2 - metrics.ascent() - away, below = at.y() + kMarkSize + 2 + away;
        for (const QPointF corner :
             {QPointF(right, above), QPointF(right, below), QPointF(left, above), QPointF(left, below)}) {
            const QRectF box(corner, size);
            if (IsClear(box, taken, curves)) {
                painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
                taken.push_back(box);
                painter.restore();
                return;
            }
        }
    }
    painter.restore();
}

}  // namespace

std::complex<double> SmithPoint(std::complex<double> impedance, double referenceOhm) {
    // An open: infinite in either part.
    if (std::isinf(impedance.real()) || std::isinf(impedance.imag())) return 1;
    return (impedance - referenceOhm) / (impedance + referenceOhm);
}

double ReturnLossDb(double reflection) {
    if (reflection <= 0) return std::numeric_limits<double>::infinity();
    return std::max(0.0, -20 * std::log10(reflection));
}

double ReturnLossOfSwr(double swr) {
    if (!std::isfinite(swr)) return 0;
    return ReturnLossDb((swr - 1) / (swr + 1));
}

SmithCurve ChartedCurve(const nec::ModelCheck& check) {
    SmithCurve curve;
    const auto& radio = check.feed.radio;
    const auto& chain = check.plan.feed.chain;
    // The radio end as the SWR plot draws it, with the chain that made it;
    // else the best reading on the verdict's loop.
    const std::optional<CheckCurve> radioCurve = chain ? CurveOf(check, CurveKind::Radio) : std::nullopt;
    curve.radioEnd = radioCurve.has_value();
    const std::string ohm(nec::OhmUnit(nec::Medium::Typeset));
    const CheckCurve charted =
        radioCurve
            ? *radioCurve
            : ReadingOnLoop(check, nec::BestReading(check.feed.loop.sweep.empty() ? check.report.atDesign.swr
                                                                                  : check.feed.loop.atDesign.swr));
    curve.referenceOhm = charted.referenceOhm;
    curve.label = charted.label;
    curve.colour = charted.colour;
    curve.pen = charted.Pen();
    curve.on = curve.radioEnd ? nec::Trimmed(radio->referenceOhm, 3) + " " + ohm + " at the radio end"
                              : nec::ReferenceText(nec::kReadings[charted.reading], nec::Medium::Typeset);
    for (std::size_t i = 0; i < charted.mhz.size(); ++i) curve.model.push_back({charted.mhz[i], charted.impedance[i]});
    for (const nec::DenseSample& s : DenseOf(check, charted)) curve.drawn.push_back({s.mhz, s.impedance});
    if (check.measured) {
        // The measurement is held at the lines' junction; charted at the
        // radio end, it goes through the same chain as the model.
        for (const nec::MeasuredPoint& p : check.measured->points) {
            curve.measured.push_back({p.mhz, curve.radioEnd
                                                 ? nec::RadioEnd(p.junction, *chain, p.mhz, check.report.designMHz)
                                                 : p.junction});
        }
    }
    return curve;
}

QPointF SmithLayout::At(std::complex<double> reflection) const {
    return {centre.x() + radius * reflection.real(), centre.y() - radius * reflection.imag()};
}

SmithLayout LayOutSmith(const nec::ModelCheck& check, const QRectF& area) {
    SmithLayout layout;
    layout.area = area;
    const std::vector<SweepPoint>& sweep = check.report.sweep;
    layout.drawable = sweep.size() >= 2 && sweep.back().mhz > sweep.front().mhz;
    const double titleHeight = QFontMetricsF(style::Font(style::kTitlePx, true)).height() + 8;
    const double legendWidth = std::min(kLegendWidth, area.width() * 0.4);
    const double chartWidth = area.width() - legendWidth - 20;
    const double chartHeight = area.height() - titleHeight;
    layout.radius = std::max(10.0, std::min(chartWidth, chartHeight) / 2 - kMargin);
    layout.centre = QPointF(area.left() + chartWidth / 2, area.top() + titleHeight + chartHeight / 2);
    layout.legend =
        QRectF(area.right() - legendWidth - 10, area.top() + titleHeight + 10, legendWidth, chartHeight - 20);
    return layout;
}

void DrawSmithChart(QPainter& painter, const QRectF& area, const nec::ModelCheck& check) {
    const nec::CheckReport& report = check.report;
    const nec::LoopModel& model = check.plan.model;
    const SmithLayout layout = LayOutSmith(check, area);
    style::BeginPlot(painter, area,
                     nec::Shortest(model.designMHz) + " MHz " + std::to_string(model.sides) + "-sided loop, " +
                         nec::GroundName(model.placement.ground) + ": impedance on a Smith chart (NEC-2, nec2c)");
    if (!layout.drawable) {
        painter.setFont(style::Font(style::kTextPx));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("A sweep of one point has no curves."));
        painter.restore();
        return;
    }
    DrawGrid(painter, layout);

    const SmithCurve curve = ChartedCurve(check);
    const double reference = curve.referenceOhm;
    const QPen& modelPen = curve.pen;
    const std::optional<CheckCurve> measuredCurve = CurveOf(check, CurveKind::Measured);
    const QColor kMeasured = InkOf(CurveKind::Measured);
    const QPen measuredPen = measuredCurve ? measuredCurve->Pen() : QPen();

    painter.save();
    painter.setBrush(Qt::NoBrush);
    // Every curve drawn, which the labels keep clear of.
    std::vector<QPolygonF> curves;
    curves.push_back(Curve(layout, Impedances(curve.drawn), reference));
    painter.setPen(modelPen);
    painter.drawPolyline(curves.back());
    const bool measured = check.measured && !curve.measured.empty();
    if (measured) {
        curves.push_back(Curve(layout, Impedances(curve.measured), reference));
        painter.setPen(measuredPen);
        painter.drawPolyline(curves.back());
    }
    // What the radio sees through the match, on the match's own reference:
    // a knot round the centre where the match holds.
    const std::optional<CheckCurve> matchedCurve = CurveOf(check, CurveKind::Matched);
    const bool matched = matchedCurve && matchedCurve->impedance.size() >= 2;
    if (matched) {
        std::vector<std::complex<double>> dense;
        for (const nec::DenseSample& s : DenseOf(check, *matchedCurve)) dense.push_back(s.impedance);
        curves.push_back(Curve(layout, dense, matchedCurve->referenceOhm));
        painter.setPen(matchedCurve->Pen());
        painter.drawPolyline(curves.back());
    }
    painter.restore();

    // The marks over the curves.
    // The band the builder cares about: the one chosen, else the one that
    // holds the design frequency.
    const std::optional<nec::BandChoice> band =
        check.feed.band ? std::optional<nec::BandChoice>(check.feed.band->band) : std::nullopt;
    // The marks, the design frequency's dot over the others; then their
    // MHz, the design frequency's first to take the best place.
    std::vector<QRectF> taken;
    for (const bool labels : {false, true}) {
        if (labels) MarkAt(painter, layout, curve, model.designMHz, Shape::Dot, style::kInk, true, taken, true, curves);
        if (band) {
            for (double edge : {band->fromMHz, band->toMHz}) {
                MarkAt(painter, layout, curve, edge, Shape::Square, style::kInk, false, taken, labels, curves);
            }
        }
        for (double resonance : report.resonancesMHz) {
            MarkAt(painter, layout, curve, resonance, Shape::Triangle, style::kInk, false, taken, labels, curves);
        }
        if (!labels) {
            MarkAt(painter, layout, curve, model.designMHz, Shape::Dot, style::kInk, true, taken, false, curves);
        }
    }
    LabelSwrCircle(painter, layout, taken, curves);
    if (measured && check.measured->resonanceMHz) {
        const double mhz = *check.measured->resonanceMHz;
        if (const auto z = Between(curve.measured, mhz, ImpedanceOf)) {
            Mark(painter, layout.At(SmithPoint(*z, reference)), Shape::Diamond, kMeasured, false);
        }
    }

    // The legend: what is drawn, what it is read against, what the marks are.
    painter.setFont(style::Font(style::kSmallPx));
    const QFontMetricsF small(painter.font());
    const double lineHeight = small.height() + 2;
    const double sampleWidth = 26;
    const double textX = layout.legend.left() + sampleWidth + 8;
    double y = layout.legend.top() + small.ascent();
    const auto line = [&](const QString& text, const QColor& ink) {
        painter.setPen(ink);
        painter.drawText(QPointF(textX, y), text);
        y += lineHeight;
    };
    const auto sample = [&](const QPen& pen) {
        painter.save();
        painter.setPen(pen);
        painter.drawLine(QPointF(layout.legend.left(), y - small.ascent() / 3),
                         QPointF(layout.legend.left() + sampleWidth, y - small.ascent() / 3));
        painter.restore();
    };
    const auto symbol = [&](Shape shape, const QColor& ink, bool filled) {
        Mark(painter, QPointF(layout.legend.left() + sampleWidth / 2, y - small.ascent() / 3), shape, ink, filled);
    };
    sample(modelPen);
    line(style::Text(curve.label), style::kInk);
    line(style::Text("model, " + nec::MhzText(report.sweep.front().mhz) + " to " +
                     nec::MhzText(report.sweep.back().mhz) + " MHz"),
         style::kMuted);
    y += 4;
    if (measured) {
        sample(measuredPen);
        line(style::Text(curve.radioEnd ? "measured, taken to the radio end" : "measured, lines' junction"),
             style::kInk);
        line(style::Text(check.measured->source.empty() ? std::string("over the model") : check.measured->source),
             style::kMuted);
        y += 4;
    }
    if (matched) {
        sample(matchedCurve->Pen());
        line(style::Text(matchedCurve->label), style::kInk);
        line(style::Text("normalised to " + nec::Trimmed(check.feed.matchedReferenceOhm, 3) + " " +
                         std::string(nec::OhmUnit(nec::Medium::Typeset))),
             style::kMuted);
        y += 4;
    }
    symbol(Shape::Dot, style::kInk, true);
    line(style::Text("design " + nec::MhzText(model.designMHz) + " MHz"), style::kInk);
    if (band) {
        symbol(Shape::Square, style::kInk, false);
        line(style::Text((band->name.empty() ? std::string("band") : "band " + band->name) + ": " +
                         nec::MhzText(band->fromMHz) + " and " + nec::MhzText(band->toMHz) + " MHz"),
             style::kInk);
    }
    if (!report.resonancesMHz.empty()) {
        std::string text;
        for (double mhz : report.resonancesMHz) text += (text.empty() ? "" : ", ") + nec::MhzText(mhz);
        symbol(Shape::Triangle, style::kInk, false);
        line(style::Text("resonance " + text + " MHz"), style::kInk);
    }
    if (measured && check.measured->resonanceMHz) {
        symbol(Shape::Diamond, kMeasured, false);
        line(style::Text("measured resonance " + nec::MhzText(*check.measured->resonanceMHz) + " MHz"), style::kInk);
    }
    sample(QPen(style::kInk, 1.2, Qt::DashLine));
    line(QStringLiteral("SWR 2:1"), style::kInk);
    y += 6;
    const std::string ohm(nec::OhmUnit(nec::Medium::Typeset));
    line(style::Text("Normalised to " + curve.on + ":"), style::kMuted);
    line(style::Text("1 is " + nec::Trimmed(reference, 3) + " " + ohm + ", 0.5 is " + nec::Trimmed(reference / 2, 3) +
                     " " + ohm + "."),
         style::kMuted);
    line(QStringLiteral("Circles: constant resistance;"), style::kMuted);
    line(QStringLiteral("arcs: constant reactance, +j above."), style::kMuted);
    painter.restore();
}

std::optional<SmithReadout> ReadSmith(const nec::ModelCheck& check, double mhz) {
    const SmithCurve curve = ChartedCurve(check);
    const auto z = Between(curve.model, mhz, ImpedanceOf);
    if (!z) return std::nullopt;
    SmithReadout r;
    r.mhz = mhz;
    r.impedance = *z;
    r.referenceOhm = curve.referenceOhm;
    r.on = curve.on;
    r.measured = Between(curve.measured, mhz, ImpedanceOf);
    if (const auto matched = CurveOf(check, CurveKind::Matched)) {
        if (const auto value = ValueAt(*matched, mhz)) {
            r.matched = value->impedance;
            r.matchedReferenceOhm = matched->referenceOhm;
            r.matchedName = matched->name;
        }
    }
    return r;
}

std::optional<double> SmithMHzAt(const nec::ModelCheck& check, const QRectF& area, QPointF point) {
    const SmithLayout layout = LayOutSmith(check, area);
    if (!layout.drawable) return std::nullopt;
    const QPointF off = point - layout.centre;
    if (std::hypot(off.x(), off.y()) > layout.radius + kMargin / 2) return std::nullopt;
    // The nearest point of the curve, along its straight pieces.
    const SmithCurve curve = ChartedCurve(check);
    const std::vector<SmithSample>& sweep = curve.model;
    double best = std::numeric_limits<double>::infinity(), bestMHz = sweep.front().mhz;
    for (std::size_t i = 0; i + 1 < sweep.size(); ++i) {
        const QPointF a = layout.At(SmithPoint(sweep[i].impedance, curve.referenceOhm));
        const QPointF b = layout.At(SmithPoint(sweep[i + 1].impedance, curve.referenceOhm));
        const QPointF ab = b - a;
        const double length = QPointF::dotProduct(ab, ab);
        const double t = length > 0 ? std::clamp(QPointF::dotProduct(point - a, ab) / length, 0.0, 1.0) : 0;
        const QPointF gap = a + t * ab - point;
        const double distance = QPointF::dotProduct(gap, gap);
        if (distance < best) {
            best = distance;
            bestMHz = sweep[i].mhz + t * (sweep[i + 1].mhz - sweep[i].mhz);
        }
    }
    return bestMHz;
}

QString SmithReadoutText(const SmithReadout& r) {
    const auto words = [&](std::complex<double> z, double reference) {
        const double swr = nec::Swr(z, reference);
        return nec::ImpedanceWords(z, nec::Medium::Typeset) + ", SWR " + nec::SwrText(swr) + ", return loss " +
               ReturnLossText(ReturnLossDb(std::abs(SmithPoint(z, reference))));
    };
    std::string text = nec::Fixed(r.mhz, 3) + " MHz on " + r.on + "\nmodel " + words(r.impedance, r.referenceOhm);
    if (r.measured) text += "\nmeasured " + words(*r.measured, r.referenceOhm);
    if (r.matched) text += "\n" + r.matchedName + " " + words(*r.matched, r.matchedReferenceOhm);
    return style::Text(text);
}

}  // namespace corvanta::plot
