#include "plot/pattern_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "nec/report.h"
#include "nec/number_text.h"
#include "plot/plot_style.h"

namespace corvanta::plot {

namespace {

using nec::CutPoint;

constexpr double kSpokeDeg = 30;
const QColor kCurve{0x15, 0x65, 0xc0};

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

double Wrapped(double degrees) {
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360 : wrapped;
}

// Angles count counter-clockwise from the right, as on a compass rose
// drawn over the x axis.
QPointF Polar(QPointF centre, double angleDeg, double radius) {
    return {centre.x() + radius * std::cos(Radians(angleDeg)), centre.y() - radius * std::sin(Radians(angleDeg))};
}

double AngleOf(QPointF centre, QPointF point) {
    return std::atan2(centre.y() - point.y(), point.x() - centre.x()) * 180 / std::numbers::pi;
}

// The gain at an angle of a cut, a straight line in dB between its points.
std::optional<double> GainAt(const std::vector<CutPoint>& cut, double angle) {
    if (cut.empty() || angle < cut.front().angleDeg || angle > cut.back().angleDeg) return std::nullopt;
    const auto after =
        std::lower_bound(cut.begin(), cut.end(), angle, [](const CutPoint& p, double a) { return p.angleDeg < a; });
    if (after == cut.begin()) return after->gainDbi;
    const CutPoint& b = *after;
    const CutPoint& a = *(after - 1);
    const double t = (angle - a.angleDeg) / (b.angleDeg - a.angleDeg);
    return a.gainDbi + t * (b.gainDbi - a.gainDbi);
}

std::string Degrees(double degrees) { return nec::Fixed(degrees, 0) + "°"; }

// The elevation plane's angle as a reader names it: the elevation above
// the horizon, in front (toward the cut's azimuth) or behind.
double ElevationOf(double angle) { return angle <= 90 ? angle : 180 - angle; }

void DrawPanel(QPainter& painter, const PatternLayout& layout, bool azimuth) {
    const QPointF centre = azimuth ? layout.azimuthCentre : layout.elevationCentre;
    const nec::PatternCuts& cuts = layout.cuts;
    const bool full = azimuth || cuts.belowHorizon;
    const double from = full ? (azimuth ? 0 : -90) : 0;
    const double to = full ? from + 360 : 180;

    painter.save();
    painter.setBrush(Qt::NoBrush);
    // Rings and spokes.
    for (int ring = 1; ring <= kRings; ++ring) {
        const double gain = layout.InnerDbi() + ring * kRingStepDb;
        const double r = layout.RadiusOf(gain);
        painter.setPen(QPen(ring == kRings ? style::kFrame : style::kGrid, 1));
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        if (full) painter.drawEllipse(box);
        else painter.drawArc(box, 0, 180 * 16);
    }
    painter.setFont(style::Font(style::kSmallPx));
    const QFontMetricsF metrics(painter.font());
    for (double angle = from; angle < to + (full ? 0 : 1e-9); angle += kSpokeDeg) {
        painter.setPen(QPen(style::kGrid, 1));
        painter.drawLine(centre, Polar(centre, angle, layout.radius));
        const double shown = azimuth ? Wrapped(angle) : ElevationOf(angle);
        const QString text = style::Text(Degrees(shown));
        const QPointF at = Polar(centre, angle, layout.radius + 4 + metrics.height() / 2);
        painter.setPen(style::kInk);
        painter.drawText(QRectF(at.x() - 30, at.y() - metrics.height() / 2, 60, metrics.height()), Qt::AlignCenter,
                         text);
    }
    if (!full) {
        painter.setPen(QPen(style::kFrame, 1));
        painter.drawLine(Polar(centre, 0, layout.radius), Polar(centre, 180, layout.radius));
    }
    // Ring values down the vertical spoke, on white so that the grid does
    // not cross them.
    for (int ring = 1; ring <= kRings; ++ring) {
        const double gain = layout.InnerDbi() + ring * kRingStepDb;
        const QString text = style::Text(nec::Fixed(gain, 0) + (ring == kRings ? " dBi" : ""));
        const double width = metrics.horizontalAdvance(text) + 4;
        const QPointF at = Polar(centre, 90, layout.RadiusOf(gain));
        // Just inside its ring: the angle's label is outside the outer one.
        const QRectF box(at.x() + 3, at.y() + 1, width, metrics.height());
        painter.fillRect(box, QColor(255, 255, 255, 210));
        painter.setPen(style::kMuted);
        painter.drawText(box, Qt::AlignCenter, text);
    }

    // The cut itself.
    const std::vector<CutPoint>& cut = azimuth ? cuts.azimuth : cuts.elevation;
    QPolygonF curve;
    for (const CutPoint& p : cut) curve << Polar(centre, p.angleDeg, layout.RadiusOf(p.gainDbi));
    painter.setPen(QPen(kCurve, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(curve);
    // The direction of maximum gain.
    const double maxAngle = azimuth ? cuts.azimuthDeg : cuts.elevationDeg;
    painter.setPen(QPen(kCurve, 1.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(Polar(centre, maxAngle, layout.RadiusOf(cuts.maxGainDbi)), 4, 4);

    // Its title above the circle.
    painter.setFont(style::Font(style::kTextPx, true));
    painter.setPen(style::kInk);
    const QFontMetricsF bold(painter.font());
    const double titleBottom = centre.y() - layout.radius - metrics.height() - 10;
    const std::string title =
        // The cut is taken where the gain is greatest; in free space that
        // is no particular elevation a reader would look for by name.
        azimuth ? "Azimuth at the elevation of maximum gain (" + Degrees(cuts.elevationDeg) + ")"
                : "Elevation toward " + Degrees(cuts.azimuthDeg) + " (right) and " +
                      Degrees(Wrapped(cuts.azimuthDeg + 180)) + " azimuth (left)";
    const QRectF titleBox(centre.x() - layout.area.width() / 4, titleBottom - 2 * bold.height(),
                          layout.area.width() / 2, bold.height());
    painter.drawText(titleBox, Qt::AlignCenter, style::Text(title));
    painter.setFont(style::Font(style::kSmallPx));
    painter.setPen(style::kMuted);
    painter.drawText(
        titleBox.translated(0, bold.height()), Qt::AlignCenter,
        style::Text("maximum " + nec::Fixed(cuts.maxGainDbi, 2) + " dBi at " +
                    (azimuth ? "azimuth " + Degrees(cuts.azimuthDeg) : "elevation " + Degrees(cuts.elevationDeg))));
    painter.restore();
}

}  // namespace

double PatternLayout::RadiusOf(double gainDbi) const {
    const double share = (gainDbi - InnerDbi()) / (outerDbi - InnerDbi());
    return radius * std::clamp(share, 0.0, 1.0);
}

PatternLayout LayOutPattern(const nec::ModelCheck& check, const QRectF& area) {
    PatternLayout layout;
    layout.area = area;
    layout.cuts = nec::CutsOf(check.report, check.plan.model.placement.ground);
    layout.drawable = !layout.cuts.azimuth.empty() && !layout.cuts.elevation.empty();
    if (!layout.drawable) return layout;
    layout.outerDbi = std::ceil(layout.cuts.maxGainDbi / kRingStepDb) * kRingStepDb;

    const QFontMetricsF small(style::Font(style::kSmallPx));
    const QFontMetricsF text(style::Font(style::kTextPx, true));
    const double title = QFontMetricsF(style::Font(style::kTitlePx, true)).height() + 10;
    const double panelTitle = 2 * text.height() + small.height() + 14;
    const double notes = 3 * small.height() + 10;
    const double labels = small.height() + 8;  // the angles round the outside
    const double width = area.width() / 2;
    const double height = area.height() - title - panelTitle - notes;
    const bool half = !layout.cuts.belowHorizon;
    layout.radius = std::max(10.0, std::min(width / 2 - labels - 10, height / 2 - labels));
    const double middle = area.top() + title + panelTitle + height / 2;
    layout.azimuthCentre = {area.left() + width / 2, middle};
    // Over ground the elevation cut is a half circle: it sits on its
    // horizon, lower down.
    layout.elevationCentre = {area.left() + 1.5 * width, half ? middle + layout.radius / 2 : middle};
    return layout;
}

void DrawPatternPlot(QPainter& painter, const QRectF& area, const nec::ModelCheck& check) {
    const nec::LoopModel& model = check.plan.model;
    const PatternLayout layout = LayOutPattern(check, area);
    std::string where = nec::GroundName(model.placement.ground);
    if (model.placement.ground != nec::Ground::Free) {
        where = "centre " + nec::Trimmed(model.placement.heightM, 3) + " m over " + where;
    }
    style::BeginPlot(painter, area,
                     nec::Shortest(model.designMHz) + " MHz " + std::to_string(model.sides) + "-sided loop, " + where +
                         ": radiation pattern (NEC-2, nec2c)");
    if (!layout.drawable) {
        painter.setFont(style::Font(style::kTextPx));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("The check has no pattern."));
        painter.restore();
        return;
    }
    DrawPanel(painter, layout, true);
    DrawPanel(painter, layout, false);

    const nec::PatternCuts& cuts = layout.cuts;
    std::string polarisation = "polarisation " + nec::PolarisationName(cuts.polarisation);
    if (cuts.polarisation != nec::Polarisation::Mixed) {
        const double margin = std::abs(cuts.verticalOverHorizontalDb);
        polarisation += " (the " +
                        std::string(cuts.polarisation == nec::Polarisation::Vertical ? "horizontal" : "vertical") +
                        " component " + (margin > 99 ? std::string("over 99") : nec::Fixed(margin, 0)) + " dB weaker)";
    } else {
        polarisation += " (vertical over horizontal " + nec::Fixed(cuts.verticalOverHorizontalDb, 1) + " dB)";
    }
    const std::string lines[] = {
        "Total gain in dBi at " + nec::Shortest(model.designMHz) + " MHz, rings every " + nec::Fixed(kRingStepDb, 0) +
            " dB; the centre is " + nec::Fixed(layout.InnerDbi(), 0) + " dBi and less.",
        "In the direction of maximum gain the " + polarisation + ".",
        "Azimuth 0° points from the loop's axis to its first vertical (the x axis of the NEC-2 deck).",
    };
    painter.setFont(style::Font(style::kSmallPx));
    painter.setPen(style::kMuted);
    const QFontMetricsF small(painter.font());
    double y = area.bottom() - 3 * small.height() - 4;
    for (const std::string& line : lines) {
        painter.drawText(QRectF(area.left(), y, area.width(), small.height()), Qt::AlignCenter, style::Text(line));
        y += small.height();
    }
    painter.restore();
}

std::optional<PatternReadout> ReadPatternAt(const nec::ModelCheck& check, const QRectF& area, QPointF point) {
    const PatternLayout layout = LayOutPattern(check, area);
    if (!layout.drawable) return std::nullopt;
    const auto inside = [&](QPointF centre) {
        return std::hypot(point.x() - centre.x(), point.y() - centre.y()) <= layout.radius;
    };
    if (inside(layout.azimuthCentre)) {
        const double azimuth = Wrapped(AngleOf(layout.azimuthCentre, point));
        const auto gain = GainAt(layout.cuts.azimuth, azimuth);
        if (!gain) return std::nullopt;
        return PatternReadout{true, azimuth, layout.cuts.elevationDeg, *gain};
    }
    if (!inside(layout.elevationCentre)) return std::nullopt;
    double angle = AngleOf(layout.elevationCentre, point);
    if (angle < -90) angle += 360;  // below the horizon behind: 180 to 270
    const auto gain = GainAt(layout.cuts.elevation, angle);
    if (!gain) return std::nullopt;
    const double azimuth = angle <= 90 ? layout.cuts.azimuthDeg : Wrapped(layout.cuts.azimuthDeg + 180);
    return PatternReadout{false, azimuth, ElevationOf(angle), *gain};
}

QString ReadoutText(const PatternReadout& r) {
    return style::Text("azimuth " + nec::Fixed(r.azimuthDeg, 0) + "°, elevation " + nec::Fixed(r.elevationDeg, 0) +
                       "°: " + nec::Fixed(r.gainDbi, 2) + " dBi");
}

}  // namespace corvanta::plot
