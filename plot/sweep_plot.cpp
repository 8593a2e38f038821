#include "plot/sweep_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

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

constexpr int kMostFrequencyTicks = 10;
constexpr int kMostOhmTicks = 8;
constexpr int kLabelRows = 3;
constexpr double kSampleWidth = 26;  // of a legend's line sample
// Values further out than this many panel heights are drawn at that
// distance: the clip hides them anyway, and the painter keeps to sane
// coordinates.
constexpr double kFarOut = 4;

const QColor kMeasured = InkOf(CurveKind::Measured);

QColor Colour(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

// The readings with a curve, in the order the legend lists them.
std::vector<std::size_t> DrawnReadings() {
    std::vector<std::size_t> drawn;
    for (std::size_t i : nec::ReadingsInView()) {
        if (nec::kReadings[i].plot.drawn) drawn.push_back(i);
    }
    return drawn;
}

std::string RangeText(const std::vector<nec::Range>& ranges) { return "under 2:1: " + nec::RangesText(ranges); }

const QColor kBandShade{0xff, 0xe0, 0x82, 0x70};

// The legend's lines, to size the column that holds them.
std::vector<QString> LegendTexts(const nec::ModelCheck& check) {
    std::vector<QString> texts;
    for (const CheckCurve& curve : CheckCurves(check)) {
        texts.push_back(style::Text(curve.label));
        if (curve.kind == CurveKind::Reading)
            texts.push_back(style::Text(RangeText(check.report.under2[curve.reading])));
    }
    for (const nec::FeedPointInfo& feed : nec::kFeedPoints) texts.push_back(style::Text(std::string(feed.name)));
    return texts;
}

// The heights of the SWR legend and of the R and X legend, line for line
// as DrawSweepPlot writes them (the lines of a curve off the scale always).
std::pair<double, double> LegendHeights(const nec::ModelCheck& check, double line) {
    const double entry = 2 * line + 3;  // a curve's name and its 2:1 range
    const std::vector<CheckCurve> curves = CheckCurves(check);
    const double swr = static_cast<double>(curves.size()) * entry + 2 * line;
    const bool measured = check.measured && !check.measured->points.empty();
    double ohm = 2 * line + 4 + static_cast<double>(std::size(nec::kFeedPoints)) * line + 4 + 3 * line;
    if (measured) ohm += line;
    return {swr, ohm};
}

// The measured points inside the sweep: what the plot can show of them.
std::vector<nec::MeasuredPoint> MeasuredWithin(const nec::ModelCheck& check, double from, double to) {
    std::vector<nec::MeasuredPoint> points;
    if (!check.measured) return points;
    for (const nec::MeasuredPoint& p : check.measured->points) {
        if (p.mhz >= from && p.mhz <= to) points.push_back(p);
    }
    return points;
}

void DrawFrameAndGrid(QPainter& painter, const QRectF& panel, const SweepLayout& layout,
                      const std::vector<double>& yTicks, double (SweepLayout::*y)(double) const, double emphasised) {
    painter.save();
    painter.setPen(QPen(style::kGrid, 1));
    for (double mhz : RoundTicks(layout.fromMHz, layout.toMHz, layout.mhzStep)) {
        painter.drawLine(QPointF(layout.X(mhz), panel.top()), QPointF(layout.X(mhz), panel.bottom()));
    }
    for (double value : yTicks) {
        painter.drawLine(QPointF(panel.left(), (layout.*y)(value)), QPointF(panel.right(), (layout.*y)(value)));
    }
    painter.setPen(QPen(style::kMuted, 1, Qt::DashLine));
    painter.drawLine(QPointF(panel.left(), (layout.*y)(emphasised)), QPointF(panel.right(), (layout.*y)(emphasised)));
    painter.setPen(QPen(style::kFrame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(panel);

    painter.setFont(style::Font(style::kSmallPx));
    painter.setPen(style::kInk);
    const QFontMetricsF metrics(painter.font());
    for (double mhz : RoundTicks(layout.fromMHz, layout.toMHz, layout.mhzStep)) {
        const QString text = style::Text(TickLabel(mhz, layout.mhzStep));
        const double width = metrics.horizontalAdvance(text);
        painter.drawText(QPointF(layout.X(mhz) - width / 2, panel.bottom() + metrics.ascent() + 4), text);
        painter.drawLine(QPointF(layout.X(mhz), panel.bottom()), QPointF(layout.X(mhz), panel.bottom() + 3));
    }
    const double step = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    for (double value : yTicks) {
        const QString text = style::Text(TickLabel(value, step));
        const double width = metrics.horizontalAdvance(text);
        painter.drawText(QPointF(panel.left() - 6 - width, (layout.*y)(value) + metrics.ascent() / 2 - 1), text);
    }
    painter.restore();
}

// Along its panel; the short title where the whole one is longer than the
// panel is high, which would run into the other panel's.
void DrawAxisTitle(QPainter& painter, const QRectF& panel, double x, const QString& whole, const QString& brief) {
    painter.save();
    painter.setFont(style::Font(style::kTextPx));
    painter.setPen(style::kInk);
    painter.translate(x, panel.center().y());
    painter.rotate(-90);
    const QFontMetricsF metrics(painter.font());
    const QString& text = metrics.horizontalAdvance(whole) <= panel.height() ? whole : brief;
    painter.drawText(QPointF(-metrics.horizontalAdvance(text) / 2, 0), text);
    painter.restore();
}

// An arrowhead on the panel's edge where a curve leaves the scale.
void ClipMark(QPainter& painter, double x, double edgeY, bool up, const QColor& colour) {
    constexpr double kSize = 5;
    const double tip = up ? edgeY - kSize : edgeY + kSize;
    painter.save();
    painter.setPen(QPen(colour, 1));
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({QPointF(x - kSize * 0.8, edgeY), QPointF(x + kSize * 0.8, edgeY), QPointF(x, tip)}));
    painter.restore();
}

// The parts of a line between two heights. Clipped here rather than by
// the painter: Qt's SVG generator writes no clip paths.
std::vector<QPolygonF> PartsBetween(const QPolygonF& line, double top, double bottom) {
    std::vector<QPolygonF> parts;
    QPolygonF part;
    const auto close = [&] {
        if (part.size() > 1) parts.push_back(part);
        part.clear();
    };
    for (int i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        // The share of the segment from a to b that lies between the heights.
        double enter = 0, leave = 1;
        if (a.y() == b.y()) {
            if (a.y() < top || a.y() > bottom) enter = 2;
        } else {
            const double tTop = (top - a.y()) / (b.y() - a.y()), tBottom = (bottom - a.y()) / (b.y() - a.y());
            enter = std::max(0.0, std::min(tTop, tBottom));
            leave = std::min(1.0, std::max(tTop, tBottom));
        }
        if (enter > leave) {
            close();
            continue;
        }
        if (enter > 0) close();
        if (part.isEmpty()) part << a + enter * (b - a);
        part << a + leave * (b - a);
        if (leave < 1) close();
    }
    close();
    return parts;
}

// A curve clipped to its panel, with a mark wherever it crosses the top or
// the bottom; true when it left the scale somewhere.
bool DrawCurve(QPainter& painter, const QRectF& panel, const std::vector<double>& mhz,
               const std::vector<double>& values, double low, double high, const SweepLayout& layout,
               double (SweepLayout::*y)(double) const, const QPen& pen) {
    const double reach = kFarOut * panel.height();
    const auto point = [&](std::size_t i) {
        const double v = std::isfinite(values[i]) ? (layout.*y)(values[i])
                                                  : (values[i] > 0 ? panel.top() - reach : panel.bottom() + reach);
        return QPointF(layout.X(mhz[i]), std::clamp(v, panel.top() - reach, panel.bottom() + reach));
    };
    QPolygonF line;
    for (std::size_t i = 0; i < values.size(); ++i) line << point(i);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // Between the panel's sides too: a curve of another loop's frequencies
    // may run past the sweep's ends.
    const auto transposed = [](const QPolygonF& polygon) {
        QPolygonF out;
        for (const QPointF& p : polygon) out << QPointF(p.y(), p.x());
        return out;
    };
    for (const QPolygonF& part : PartsBetween(line, panel.top(), panel.bottom())) {
        for (const QPolygonF& inside : PartsBetween(transposed(part), panel.left(), panel.right())) {
            painter.drawPolyline(transposed(inside));
        }
    }
    painter.restore();

    bool clipped = false;
    const auto side = [&](double v) { return v > high ? 1 : v < low ? -1 : 0; };
    const auto within = [&](std::size_t i) { return mhz[i] >= layout.fromMHz && mhz[i] <= layout.toMHz; };
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!within(i)) continue;
        const int here = side(values[i]);
        if (here != 0) clipped = true;
        if (i == 0 || !within(i - 1)) {
            if (here != 0) {
                ClipMark(painter, line[static_cast<int>(i)].x(), here > 0 ? panel.top() : panel.bottom(), here > 0,
                         pen.color());
            }
            continue;
        }
        const int before = side(values[i - 1]);
        for (int edge : {1, -1}) {
            if ((before == edge) == (here == edge)) continue;
            // Where the straight line between the points meets the edge.
            const double edgeY = edge > 0 ? panel.top() : panel.bottom();
            const QPointF a = line[static_cast<int>(i) - 1], b = line[static_cast<int>(i)];
            const double t = b.y() == a.y() ? 0 : std::clamp((edgeY - a.y()) / (b.y() - a.y()), 0.0, 1.0);
            ClipMark(painter, a.x() + t * (b.x() - a.x()), edgeY, edge > 0, pen.color());
        }
    }
    return clipped;
}

void LegendSample(QPainter& painter, QPointF at, const QPen& pen) {
    painter.save();
    painter.setPen(pen);
    painter.drawLine(at, at + QPointF(kSampleWidth, 0));
    painter.restore();
}

void Marker(QPainter& painter, const SweepLayout& layout, double mhz, Qt::PenStyle style) {
    painter.save();
    painter.setPen(QPen(style::kInk, 1, style, Qt::FlatCap));
    // On a pixel's middle: a sharp line on a screen and in a PNG.
    const double x = std::floor(layout.X(mhz)) + 0.5;
    painter.drawLine(QPointF(x, layout.swrPanel.top()), QPointF(x, layout.swrPanel.bottom()));
    painter.drawLine(QPointF(x, layout.ohmPanel.top()), QPointF(x, layout.ohmPanel.bottom()));
    painter.restore();
}

// Return loss beside the SWR, on a second axis at the panel's right: the
// same curves read in dB, the model's and the measurement's alike.
constexpr double kReturnLossAxisWidth = 40;

void DrawReturnLossAxis(QPainter& painter, const SweepLayout& layout) {
    painter.save();
    painter.setFont(style::Font(style::kSmallPx));
    const QFontMetricsF metrics(painter.font());
    const double x = layout.swrPanel.right();
    // From 1:1 up: a label that would touch the one below it is left out,
    // its tick kept (20 dB sits close to infinity on a low panel).
    double lastY = std::numeric_limits<double>::infinity();
    for (double db : {std::numeric_limits<double>::infinity(), 20.0, 10.0, 6.0, 4.0}) {
        const double reflection = std::isfinite(db) ? std::pow(10.0, -db / 20) : 0;
        const double y = layout.SwrY((1 + reflection) / (1 - reflection));
        painter.setPen(QPen(style::kFrame, 1));
        painter.drawLine(QPointF(x, y), QPointF(x + 3, y));
        if (lastY - y < metrics.height()) continue;
        lastY = y;
        painter.setPen(style::kInk);
        painter.drawText(QPointF(x + 5, y + metrics.ascent() / 2 - 1),
                         std::isfinite(db) ? style::Text(TickLabel(db, 1)) : QStringLiteral("∞"));
    }
    painter.translate(x + kReturnLossAxisWidth - 4, layout.swrPanel.center().y());
    painter.rotate(90);
    const QString title = QStringLiteral("return loss, dB");
    painter.drawText(QPointF(-metrics.horizontalAdvance(title) / 2, 0), title);
    painter.restore();
}

bool Within(const SweepLayout& layout, double mhz) { return mhz >= layout.fromMHz && mhz <= layout.toMHz; }

// The band the builder cares about, shaded across both panels, its name
// in the label band.
void ShadeBand(QPainter& painter, const SweepLayout& layout, const nec::ModelCheck& check) {
    if (!check.feed.band) return;
    const nec::BandChoice& band = check.feed.band->band;
    const double from = std::max(band.fromMHz, layout.fromMHz), to = std::min(band.toMHz, layout.toMHz);
    if (!(to > from)) return;
    for (const QRectF& panel : {layout.swrPanel, layout.ohmPanel}) {
        painter.fillRect(QRectF(layout.X(from), panel.top(), layout.X(to) - layout.X(from), panel.height()),
                         kBandShade);
    }
    painter.save();
    painter.setFont(style::Font(style::kSmallPx));
    painter.setPen(style::kMuted);
    painter.drawText(QRectF(layout.X(from), layout.swrPanel.bottom() - 18, layout.X(to) - layout.X(from), 16),
                     Qt::AlignCenter, style::Text(band.name.empty() ? std::string("band") : band.name));
    painter.restore();
}

bool Hidden(const HiddenCurves& hidden, SweepCurve::Kind kind, std::size_t reading = 0) {
    return std::find(hidden.begin(), hidden.end(), SweepCurve{kind, reading, {}, false}) != hidden.end();
}

// The radio end and the matched SWR: curves and legend lines below the
// readings'. Returns the legend's next line.
double DrawFeedCurves(QPainter& painter, const SweepLayout& layout, const nec::ModelCheck& check, double legendY,
                      double lineHeight, double textX, bool& clipped, const HiddenCurves& hidden) {
    const QFontMetricsF small(style::Font(style::kSmallPx));
    const auto legend = [&](const QPen& pen, const std::string& label, const std::string& detail) {
        LegendSample(painter, QPointF(layout.legend.left(), legendY - small.ascent() / 3), pen);
        painter.setPen(style::kInk);
        painter.drawText(QPointF(textX, legendY), style::Text(label));
        legendY += lineHeight;
        painter.setPen(style::kMuted);
        painter.drawText(QPointF(textX, legendY), style::Text(detail));
        legendY += lineHeight + 3;
    };
    const std::vector<CheckCurve> curves = CheckCurves(check);
    for (const CheckCurve& curve : curves) {
        if (curve.kind != CurveKind::Radio || Hidden(hidden, SweepCurve::Kind::Radio)) continue;
        clipped |= DrawCurve(painter, layout.swrPanel, curve.mhz, curve.swr, layout.swr.low, layout.swr.high, layout,
                             &SweepLayout::SwrY, curve.Pen());
        legend(curve.Pen(), curve.label, RangeText(check.feed.radio->under2));
    }
    for (const CheckCurve& curve : curves) {
        if (curve.kind != CurveKind::Matched || Hidden(hidden, SweepCurve::Kind::Matched)) continue;
        clipped |= DrawCurve(painter, layout.swrPanel, curve.mhz, curve.swr, layout.swr.low, layout.swr.high, layout,
                             &SweepLayout::SwrY, curve.Pen());
        const nec::Match& m = *check.feed.match;
        legend(curve.Pen(), curve.label,
               m.under2FromMHz && m.under2ToMHz
                   ? "under 2:1: " + nec::MhzText(*m.under2FromMHz) + " to " + nec::MhzText(*m.under2ToMHz) + " MHz"
                   : std::string("under 2:1: nowhere"));
    }
    return legendY;
}

}  // namespace

double SweepLayout::X(double mhz) const {
    return swrPanel.left() + (mhz - fromMHz) / (toMHz - fromMHz) * swrPanel.width();
}

double SweepLayout::MHzAt(double x) const {
    return fromMHz + (x - swrPanel.left()) / swrPanel.width() * (toMHz - fromMHz);
}

double SweepLayout::SwrY(double value) const {
    return swrPanel.bottom() - (value - swr.low) / (swr.high - swr.low) * swrPanel.height();
}

double SweepLayout::OhmY(double value) const {
    return ohmPanel.bottom() - (value - ohm.low) / (ohm.high - ohm.low) * ohmPanel.height();
}

SweepLayout LayOutSweep(const nec::ModelCheck& check, const QRectF& area) {
    SweepLayout layout;
    layout.area = area;
    const std::vector<SweepPoint>& sweep = check.report.sweep;
    layout.drawable = sweep.size() >= 2 && sweep.back().mhz > sweep.front().mhz;
    if (!layout.drawable) return layout;

    layout.fromMHz = sweep.front().mhz;
    layout.toMHz = sweep.back().mhz;
    layout.mhzStep = RoundStep(layout.toMHz - layout.fromMHz, kMostFrequencyTicks);
    layout.swr = {1, kSwrAxisTop, 1};
    double low = 0, high = 0;  // zero is always on the scale: the reactance crosses it
    for (const SweepPoint& p : sweep) {
        for (const nec::FeedPointInfo& feed : nec::kFeedPoints) {
            const std::complex<double> z = p.At(feed.point);
            low = std::min({low, z.real(), z.imag()});
            high = std::max({high, z.real(), z.imag()});
        }
    }
    for (const nec::MeasuredPoint& p : MeasuredWithin(check, layout.fromMHz, layout.toMHz)) {
        low = std::min({low, p.junction.real(), p.junction.imag()});
        high = std::max({high, p.junction.real(), p.junction.imag()});
    }
    layout.ohm = RoundRange(std::max(low, -kReadableOhm), std::min(high, kReadableOhm), kMostOhmTicks);

    const QFontMetricsF text(style::Font(style::kTextPx));
    const QFontMetricsF small(style::Font(style::kSmallPx));
    double legendWidth = 0;
    for (const QString& line : LegendTexts(check)) {
        legendWidth = std::max(legendWidth, small.horizontalAdvance(line));
    }
    legendWidth = std::min(legendWidth + kSampleWidth + 18, area.width() * 0.4);
    double tickWidth = 0;
    for (double value : RoundTicks(layout.ohm.low, layout.ohm.high, layout.ohm.step)) {
        tickWidth = std::max(tickWidth, small.horizontalAdvance(style::Text(TickLabel(value, layout.ohm.step))));
    }
    const double left = area.left() + text.height() + 10 + tickWidth;
    const double titleHeight = QFontMetricsF(style::Font(style::kTitlePx, true)).height() + 8;
    const double bandHeight = kLabelRows * (small.height() + 2);
    const double tickRow = small.height() + 10;
    const double top = area.top() + titleHeight + bandHeight;
    const double panels = area.bottom() - top - 2 * tickRow - text.height() - 4;
    const double panel = std::max(20.0, panels / 2);
    const auto [swrHeight, ohmHeight] = LegendHeights(check, small.height() + 1);
    const double gap = small.height() / 2;
    // One column while the R and X legend fits under the SWR legend's end;
    // else two.
    const double under = std::max(top + panel + tickRow, top + swrHeight + gap);
    const int columns = under + ohmHeight <= area.bottom() ? 1 : 2;
    // Beside the SWR legend the R and X legend takes its own width.
    const nec::FeedLine& line = check.plan.line;
    double ohmWidth = 0;
    for (const QString& words : {QStringLiteral("resistance R"), QStringLiteral("measured, lines' junction"),
                                 style::Text("lines: " + nec::Trimmed(line.impedanceOhm, 3) + " Ω, velocity factor " +
                                             nec::Trimmed(line.velocityFactor, 3) + ",")}) {
        ohmWidth = std::max(ohmWidth, small.horizontalAdvance(words) + kSampleWidth + 8);
    }
    ohmWidth = std::min(ohmWidth, legendWidth);
    const double right =
        area.right() - legendWidth - 12 - (columns == 2 ? ohmWidth + 12 : 0) - 8 - kReturnLossAxisWidth;
    layout.labelBand = QRectF(left, area.top() + titleHeight, right - left, bandHeight);
    layout.swrPanel = QRectF(left, top, right - left, panel);
    layout.ohmPanel = QRectF(left, top + panel + tickRow, right - left, panel);
    const double legendLeft = right + 12 + kReturnLossAxisWidth;
    layout.legend = QRectF(legendLeft, top, legendWidth, swrHeight);
    layout.ohmLegend = columns == 1 ? QRectF(legendLeft, under, legendWidth, ohmHeight)
                                    : QRectF(legendLeft + legendWidth + 12, top, ohmWidth, ohmHeight);
    return layout;
}

std::vector<SweepCurve> SweepCurves(const nec::ModelCheck& check) {
    std::vector<SweepCurve> curves;
    for (const CheckCurve& curve : CheckCurves(check)) {
        curves.push_back({curve.kind, curve.reading, style::Text(curve.label), curve.headline});
    }
    return curves;
}

namespace {

// The frames, grids and axis titles of both panels.
void DrawAxes(QPainter& painter, const QRectF& area, const SweepLayout& layout) {
    const std::vector<double> swrTicks = RoundTicks(layout.swr.low, layout.swr.high, layout.swr.step);
    const std::vector<double> ohmTicks = RoundTicks(layout.ohm.low, layout.ohm.high, layout.ohm.step);
    DrawFrameAndGrid(painter, layout.swrPanel, layout, swrTicks, &SweepLayout::SwrY, nec::kSwrLimit);
    DrawFrameAndGrid(painter, layout.ohmPanel, layout, ohmTicks, &SweepLayout::OhmY, 0);
    DrawAxisTitle(painter, layout.swrPanel, area.left() + QFontMetricsF(style::Font(style::kTextPx)).ascent(),
                  style::Text("SWR (axis to " + nec::Trimmed(kSwrAxisTop, 1) + ":1)"), QStringLiteral("SWR"));
    DrawAxisTitle(painter, layout.ohmPanel, area.left() + QFontMetricsF(style::Font(style::kTextPx)).ascent(),
                  QStringLiteral("R and X, Ω"), QStringLiteral("Ω"));
    DrawReturnLossAxis(painter, layout);
    painter.setFont(style::Font(style::kTextPx));
    painter.setPen(style::kInk);
    painter.drawText(QRectF(layout.ohmPanel.left(), area.bottom() - 20, layout.ohmPanel.width(), 18),
                     Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("MHz"));
}

// The band and the markers, drawn first so that the curves run over them.
void DrawMarkers(QPainter& painter, const SweepLayout& layout, const nec::ModelCheck& check, style::LabelRows& labels) {
    const nec::LoopModel& model = check.plan.model;
    ShadeBand(painter, layout, check);
    if (Within(layout, model.designMHz)) {
        Marker(painter, layout, model.designMHz, Qt::SolidLine);
        labels.Place(painter, layout.X(model.designMHz),
                     style::Text("design " + nec::Trimmed(model.designMHz, 3) + " MHz"), style::kInk);
    }
    for (double resonance : check.report.resonancesMHz) {
        if (!Within(layout, resonance)) continue;
        Marker(painter, layout, resonance, Qt::DashLine);
        labels.Place(painter, layout.X(resonance), style::Text("resonance " + nec::MhzText(resonance) + " MHz"),
                     style::kInk);
    }
}

// Where the legend beside the SWR panel writes its next line.
struct LegendCursor {
    QFontMetricsF small;
    double lineHeight;
    double textX;
    double y;
};

LegendCursor SwrLegendCursor(const SweepLayout& layout) {
    const QFontMetricsF small(style::Font(style::kSmallPx));
    return {small, small.height() + 1, layout.legend.left() + kSampleWidth + 6, layout.swrPanel.top() + small.ascent()};
}

// The SWR curve of each reading shown, with its 2:1 edges and its legend
// lines; true where a curve leaves the scale.
bool DrawReadingCurves(QPainter& painter, const SweepLayout& layout, const nec::ModelCheck& check,
                       style::LabelRows& labels, const HiddenCurves& hidden, LegendCursor& legend) {
    const nec::CheckReport& report = check.report;
    const QFontMetricsF& small = legend.small;
    const double textX = legend.textX;
    const double lineHeight = legend.lineHeight;
    double& legendY = legend.y;
    bool swrClipped = false;
    for (const CheckCurve& curve : CheckCurves(check)) {
        if (curve.kind != CurveKind::Reading || Hidden(hidden, SweepCurve::Kind::Reading, curve.reading)) continue;
        const std::size_t i = curve.reading;
        const QColor& colour = curve.colour;
        const QPen pen = curve.Pen();
        swrClipped |= DrawCurve(painter, layout.swrPanel, curve.mhz, curve.swr, layout.swr.low, layout.swr.high, layout,
                                &SweepLayout::SwrY, pen);
        // The 2:1 edges: a ring on the 2:1 line, the numbers in the legend
        // and, where there is room, above the plot.
        for (const nec::Range& range : report.under2[i]) {
            for (const std::optional<double>& edge : {range.fromMHz, range.toMHz}) {
                if (!edge || !Within(layout, *edge)) continue;
                painter.save();
                painter.setPen(QPen(colour, 1.5));
                painter.setBrush(Qt::white);
                painter.drawEllipse(QPointF(layout.X(*edge), layout.SwrY(nec::kSwrLimit)), 3.5, 3.5);
                painter.restore();
                // Only the headline's edges: the others would crowd the band.
                if (curve.headline) {
                    labels.Place(painter, layout.X(*edge), style::Text(nec::MhzText(*edge)), colour);
                }
            }
        }
        LegendSample(painter, QPointF(layout.legend.left(), legendY - small.ascent() / 3), pen);
        painter.setPen(style::kInk);
        painter.drawText(QPointF(textX, legendY), style::Text(curve.label));
        legendY += lineHeight;
        painter.setPen(style::kMuted);
        painter.drawText(QPointF(textX, legendY), style::Text(RangeText(report.under2[i])));
        legendY += lineHeight + 3;
    }
    return swrClipped;
}

// The measured SWR, its resonance and its legend lines; true where the
// curve leaves the scale.
bool DrawMeasuredSwr(QPainter& painter, const SweepLayout& layout, const nec::ModelCheck& check,
                     const std::vector<nec::MeasuredPoint>& measured, style::LabelRows& labels, LegendCursor& legend) {
    const QFontMetricsF& small = legend.small;
    const double textX = legend.textX;
    const double lineHeight = legend.lineHeight;
    double& legendY = legend.y;
    bool swrClipped = false;
    {
        std::vector<double> at, swr;
        for (const nec::MeasuredPoint& p : measured) {
            at.push_back(p.mhz);
            swr.push_back(p.swr);
        }
        const CheckCurve curve = *CurveOf(check, CurveKind::Measured);
        const QPen pen = curve.Pen();
        swrClipped |= DrawCurve(painter, layout.swrPanel, at, swr, layout.swr.low, layout.swr.high, layout,
                                &SweepLayout::SwrY, pen);
        if (const auto resonance = check.measured->resonanceMHz; resonance && Within(layout, *resonance)) {
            Marker(painter, layout, *resonance, Qt::DotLine);
            labels.Place(painter, layout.X(*resonance),
                         style::Text("measured resonance " + nec::MhzText(*resonance) + " MHz"), kMeasured);
        }
        LegendSample(painter, QPointF(layout.legend.left(), legendY - small.ascent() / 3), pen);
        painter.setPen(style::kInk);
        painter.drawText(QPointF(textX, legendY), style::Text(curve.label));
        legendY += lineHeight;
        painter.setPen(style::kMuted);
        const auto& resonance = check.measured->resonanceMHz;
        painter.drawText(QPointF(textX, legendY),
                         style::Text(resonance ? "gap resonance " + nec::MhzText(*resonance) + " MHz (dotted)"
                                               : std::string("no gap resonance in it")));
        legendY += lineHeight + 3;
    }
    return swrClipped;
}

// The lower panel: R and X at each feed point and measured, and its legend.
void DrawImpedancePanel(QPainter& painter, const SweepLayout& layout, const nec::ModelCheck& check,
                        const std::vector<double>& mhz, const std::vector<nec::MeasuredPoint>& measured) {
    const nec::CheckReport& report = check.report;
    const QFontMetricsF small(style::Font(style::kSmallPx));
    const double lineHeight = small.height() + 1;
    double legendY = 0;
    bool ohmClipped = false;
    for (const nec::FeedPointInfo& feed : nec::kFeedPoints) {
        std::vector<double> r, x;
        for (const SweepPoint& p : report.sweep) {
            r.push_back(p.At(feed.point).real());
            x.push_back(p.At(feed.point).imag());
        }
        ohmClipped |= DrawCurve(painter, layout.ohmPanel, mhz, r, layout.ohm.low, layout.ohm.high, layout,
                                &SweepLayout::OhmY, QPen(Colour(feed.colour), 1.8, Qt::SolidLine, Qt::FlatCap));
        ohmClipped |= DrawCurve(painter, layout.ohmPanel, mhz, x, layout.ohm.low, layout.ohm.high, layout,
                                &SweepLayout::OhmY, QPen(Colour(feed.colour), 1.8, Qt::DashLine, Qt::FlatCap));
    }
    if (!measured.empty()) {
        std::vector<double> at, r, x;
        for (const nec::MeasuredPoint& p : measured) {
            at.push_back(p.mhz);
            r.push_back(p.junction.real());
            x.push_back(p.junction.imag());
        }
        ohmClipped |= DrawCurve(painter, layout.ohmPanel, at, r, layout.ohm.low, layout.ohm.high, layout,
                                &SweepLayout::OhmY, QPen(kMeasured, 1.8, Qt::SolidLine, Qt::FlatCap));
        ohmClipped |= DrawCurve(painter, layout.ohmPanel, at, x, layout.ohm.low, layout.ohm.high, layout,
                                &SweepLayout::OhmY, QPen(kMeasured, 1.8, Qt::DashLine, Qt::FlatCap));
    }
    // The R and X legend in its own place, its lines from its left.
    const double ohmLeft = layout.ohmLegend.left();
    const double ohmTextX = ohmLeft + kSampleWidth + 6;
    legendY = layout.ohmLegend.top() + small.ascent();
    painter.setPen(style::kInk);
    LegendSample(painter, QPointF(ohmLeft, legendY - small.ascent() / 3), QPen(style::kInk, 1.8));
    painter.drawText(QPointF(ohmTextX, legendY), QStringLiteral("resistance R"));
    legendY += lineHeight;
    LegendSample(painter, QPointF(ohmLeft, legendY - small.ascent() / 3),
                 QPen(style::kInk, 1.8, Qt::DashLine, Qt::FlatCap));
    painter.drawText(QPointF(ohmTextX, legendY), QStringLiteral("reactance X"));
    legendY += lineHeight + 4;
    for (const nec::FeedPointInfo& feed : nec::kFeedPoints) {
        painter.fillRect(QRectF(ohmLeft, legendY - small.ascent() / 2 - 3, kSampleWidth, 6), Colour(feed.colour));
        painter.setPen(style::kInk);
        painter.drawText(QPointF(ohmTextX, legendY), style::Text(std::string(feed.name)));
        legendY += lineHeight;
    }
    if (!measured.empty()) {
        painter.fillRect(QRectF(ohmLeft, legendY - small.ascent() / 2 - 3, kSampleWidth, 6), kMeasured);
        painter.setPen(style::kInk);
        painter.drawText(QPointF(ohmTextX, legendY), QStringLiteral("measured, lines' junction"));
        legendY += lineHeight;
    }
    legendY += 4;
    painter.setPen(style::kMuted);
    if (ohmClipped) {
        painter.drawText(QPointF(ohmLeft, legendY), QStringLiteral("▲ ▼ a curve leaves the scale"));
        legendY += lineHeight;
    }
    const nec::FeedLine& line = check.plan.line;
    painter.drawText(QPointF(ohmLeft, legendY),
                     style::Text("lines: " + nec::Trimmed(line.impedanceOhm, 3) + " Ω, velocity factor " +
                                 nec::Trimmed(line.velocityFactor, 3) + ","));
    legendY += lineHeight;
    painter.drawText(QPointF(ohmLeft, legendY), style::Text(nec::Trimmed(line.lengthMm, 1) + " mm from each gap"));
}

}  // namespace

void DrawSweepPlot(QPainter& painter, const QRectF& area, const nec::ModelCheck& check, const HiddenCurves& hidden) {
    const nec::CheckReport& report = check.report;
    const nec::LoopModel& model = check.plan.model;
    const SweepLayout layout = LayOutSweep(check, area);
    style::BeginPlot(painter, area,
                     nec::Shortest(model.designMHz) + " MHz " + std::to_string(model.sides) + "-sided loop, " +
                         nec::GroundName(model.placement.ground) + ": SWR and impedance (NEC-2, nec2c)");
    if (!layout.drawable) {
        painter.setFont(style::Font(style::kTextPx));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("A sweep of one point has no curves."));
        painter.restore();
        return;
    }
    DrawAxes(painter, area, layout);

    std::vector<double> mhz;
    for (const SweepPoint& p : report.sweep) mhz.push_back(p.mhz);
    style::LabelRows labels(layout.labelBand, kLabelRows, style::Font(style::kSmallPx));
    DrawMarkers(painter, layout, check, labels);

    // The legend, beside the panels where no curve runs.
    painter.setFont(style::Font(style::kSmallPx));
    LegendCursor legend = SwrLegendCursor(layout);
    bool swrClipped = DrawReadingCurves(painter, layout, check, labels, hidden, legend);
    legend.y = DrawFeedCurves(painter, layout, check, legend.y, legend.lineHeight, legend.textX, swrClipped, hidden);
    const std::vector<nec::MeasuredPoint> measured = MeasuredWithin(check, layout.fromMHz, layout.toMHz);
    if (!measured.empty() && !Hidden(hidden, SweepCurve::Kind::Measured)) {
        swrClipped |= DrawMeasuredSwr(painter, layout, check, measured, labels, legend);
    }
    painter.setPen(style::kMuted);
    painter.drawText(QPointF(layout.legend.left(), legend.y), QStringLiteral("○ a 2:1 edge, its MHz above the plot"));
    legend.y += legend.lineHeight;
    if (swrClipped) {
        painter.drawText(QPointF(layout.legend.left(), legend.y),
                         style::Text("▲ ▼ a curve leaves the scale (over " + nec::Trimmed(kSwrAxisTop, 1) + ":1)"));
        legend.y += legend.lineHeight;
    }
    DrawImpedancePanel(painter, layout, check, mhz, measured);
    painter.restore();
}

std::optional<SweepReadout> ReadSweep(const nec::ModelCheck& check, double mhz, const HiddenCurves& hidden) {
    const std::vector<SweepPoint>& sweep = check.report.sweep;
    if (sweep.empty() || mhz < sweep.front().mhz || mhz > sweep.back().mhz) return std::nullopt;
    std::size_t i = 0;
    while (i + 2 < sweep.size() && sweep[i + 1].mhz < mhz) ++i;
    const SweepPoint& a = sweep[i];
    const SweepPoint& b = sweep.size() > 1 ? sweep[i + 1] : a;
    const double t = b.mhz > a.mhz ? (mhz - a.mhz) / (b.mhz - a.mhz) : 0;
    const auto mix = [t](auto x, auto y) { return x + t * (y - x); };
    // An infinite SWR stays infinite instead of turning into nan.
    const auto swr = [&](double x, double y) {
        return std::isfinite(x) && std::isfinite(y) ? mix(x, y) : (t < 0.5 ? x : y);
    };
    SweepReadout r;
    r.mhz = mhz;
    r.lines = mix(a.lines, b.lines);
    r.parallel = mix(a.parallel, b.parallel);
    r.gaps = {mix(a.At(nec::FeedPoint::Gap), b.At(nec::FeedPoint::Gap))};
    for (std::size_t k = 0; k < nec::kReadingCount; ++k) r.swr[k] = swr(a.swr[k], b.swr[k]);
    for (const CheckCurve& curve : CheckCurves(check)) {
        if (curve.kind == CurveKind::Reading || Hidden(hidden, curve.kind)) continue;
        if (const auto value = ValueAt(curve, mhz)) {
            r.curves.push_back({curve.kind, curve.name, value->impedance, value->swr});
        }
    }
    return r;
}

std::optional<double> SweepMHzAt(const nec::ModelCheck& check, const QRectF& area, QPointF point) {
    const SweepLayout layout = LayOutSweep(check, area);
    if (!layout.drawable) return std::nullopt;
    const bool over = layout.swrPanel.contains(point) || layout.ohmPanel.contains(point);
    if (!over) return std::nullopt;
    return std::clamp(layout.MHzAt(point.x()), layout.fromMHz, layout.toMHz);
}

QString ReadoutText(const SweepReadout& r) {
    std::string text = nec::Fixed(r.mhz, 3) + " MHz";
    const std::vector<std::size_t> drawn = DrawnReadings();
    for (const nec::FeedPointInfo& feed : nec::kFeedPoints) {
        text += "\n" + std::string(feed.name) + " " + nec::ImpedanceWords(r.At(feed.point), nec::Medium::Typeset);
        bool first = true;
        for (std::size_t i : nec::ReadingsAt(feed.point)) {
            if (std::find(drawn.begin(), drawn.end(), i) == drawn.end()) continue;
            text += (first ? ", SWR " : ", ") + nec::SwrText(r.swr[i]) + " on " +
                    nec::ReferenceText(nec::kReadings[i], nec::Medium::Typeset);
            first = false;
        }
    }
    for (const CurveReading& curve : r.curves) {
        text += "\n" + curve.name + " ";
        // What the radio sees is an impedance; the measurement is read on
        // the check's reference, at the junction drawn below.
        if (std::isfinite(curve.impedance.real()) && std::isfinite(curve.impedance.imag())) {
            text += nec::ImpedanceWords(curve.impedance, nec::Medium::Typeset) + ", ";
        }
        text += "SWR " + nec::SwrText(curve.swr);
    }
    return style::Text(text);
}

}  // namespace corvanta::plot
