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
constexpr double kCurveWidth = 2;
constexpr double kMarkRadius = 4;
// The ring values keep this far from the curve's edge, in pixels.
constexpr double kLabelClearance = 2;
// The spokes the ring values may stand beside, tried from overhead outward.
constexpr double kLabelSpokeStepDeg = 15;

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

// A ring's value on the panel's white: translucent under the curve, so
// that the grid does not cross it; opaque and framed over the curve.
void DrawRingLabel(QPainter& painter, const RingLabel& label) {
    painter.fillRect(label.box, label.overCurve ? QColor(Qt::white) : QColor(255, 255, 255, 210));
    if (label.overCurve) {
        painter.setPen(QPen(style::kGrid, 1));
        painter.drawRect(label.box);
    }
    painter.setPen(style::kMuted);
    painter.drawText(label.box, Qt::AlignCenter, label.text);
}

void DrawPanel(QPainter& painter, const PatternLayout& layout, bool azimuth) {
    const PatternPanel& panel = azimuth ? layout.azimuth : layout.elevation;
    const QPointF centre = panel.centre;
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
        // The ground: a line under the curve, which may run along it where
        // the gain is lowest at the horizon.
        painter.setPen(QPen(style::kFrame, 1));
        painter.drawLine(Polar(centre, 0, layout.radius), Polar(centre, 180, layout.radius));
    }
    for (const RingLabel& label : panel.rings) {
        if (!label.overCurve) DrawRingLabel(painter, label);
    }

    // The cut itself.
    painter.setPen(QPen(kCurve, kCurveWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(panel.curve);
    // The direction of maximum gain.
    painter.setPen(QPen(kCurve, 1.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(panel.maximum, kMarkRadius, kMarkRadius);
    painter.setBrush(Qt::NoBrush);
    for (const RingLabel& label : panel.rings) {
        if (label.overCurve) DrawRingLabel(painter, label);
    }

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

// The ring values beside the first spoke, from overhead outward, where each
// finds room; see RingLabel.
std::vector<RingLabel> PlaceRingLabels(const PatternLayout& layout, const PatternPanel& panel, bool full,
                                       const QFontMetricsF& metrics) {
    const QPointF centre = panel.centre;
    const double reach = kCurveWidth + 2 * kLabelClearance;
    const QRectF mark(panel.maximum.x() - kMarkRadius - 1, panel.maximum.y() - kMarkRadius - 1, 2 * kMarkRadius + 2,
                      2 * kMarkRadius + 2);
    // Short of the angles' labels round the outer ring, and over ground
    // above the horizon.
    const auto inPanel = [&](const QRectF& box) {
        for (const QPointF corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
            if (std::hypot(corner.x() - centre.x(), corner.y() - centre.y()) > layout.radius + 3) return false;
        }
        return full || box.bottom() < centre.y() - 1;
    };
    std::vector<double> spokes;
    for (int k = 0; k * kLabelSpokeStepDeg < 90; ++k) {
        for (const double side : {-1.0, 1.0}) {
            if (k == 0 && side > 0) continue;
            const double angle = 90 + side * k * kLabelSpokeStepDeg;
            spokes.push_back(angle);
            if (full) spokes.push_back(angle + 180);
        }
    }
    // Where the rings lie closer than a value is high, every second or
    // third ring has one, counted from the outer ring.
    const double ringGap = layout.radius / kRings;
    const int every = std::max(1, static_cast<int>(std::ceil((metrics.height() + 2) / std::max(ringGap, 1.0))));
    std::vector<RingLabel> best;
    std::size_t bestClear = 0;
    for (const double spoke : spokes) {
        std::vector<RingLabel> labels;
        std::size_t clear = 0;
        const bool right = std::cos(Radians(spoke)) > -1e-9;
        const bool top = std::sin(Radians(spoke)) > 0;
        for (int ring = kRings; ring >= 1; ring -= every) {
            const double gain = layout.InnerDbi() + ring * kRingStepDb;
            RingLabel label;
            label.text = style::Text(nec::Fixed(gain, 0) + (ring == kRings ? " dBi" : ""));
            const QSizeF size(metrics.horizontalAdvance(label.text) + 4, metrics.height());
            const QPointF at = Polar(centre, spoke, layout.RadiusOf(gain));
            // Beside the spoke on its outer side first, then on its inner;
            // just inside the ring, just outside it, across it.
            const double outer = right ? at.x() + 3 : at.x() - 3 - size.width();
            const double inner = right ? at.x() - 3 - size.width() : at.x() + 3;
            const double inside = top ? at.y() + 1 : at.y() - 1 - size.height();
            const double outside = top ? at.y() - 1 - size.height() : at.y() + 1;
            std::vector<QRectF> boxes;
            for (const double x : {outer, inner}) {
                for (const double y : {inside, outside, at.y() - size.height() / 2}) {
                    boxes.emplace_back(QPointF(x, y), size);
                }
            }
            const auto apart = [&](const QRectF& box) {
                return inPanel(box) && !box.intersects(mark) &&
                       std::none_of(labels.begin(), labels.end(),
                                    [&](const RingLabel& other) { return other.box.intersects(box); });
            };
            const auto free = std::find_if(boxes.begin(), boxes.end(), [&](const QRectF& box) {
                return apart(box) && !LineEnters(panel.curve, box, reach);
            });
            if (free != boxes.end()) {
                label.box = *free;
                ++clear;
            } else {
                // Over the curve, but still clear of the other values.
                const auto room = std::find_if(boxes.begin(), boxes.end(), apart);
                label.box = room != boxes.end() ? *room : boxes.front();
                label.overCurve = true;
            }
            labels.push_back(std::move(label));
        }
        if (clear == labels.size()) return labels;
        if (best.empty() || clear > bestClear) {
            best = std::move(labels);
            bestClear = clear;
        }
    }
    return best;
}

}  // namespace

bool LineEnters(const QPolygonF& line, const QRectF& box, double width) {
    const QRectF near = box.adjusted(-width / 2, -width / 2, width / 2, width / 2);
    // Each segment clipped to the rectangle (Liang and Barsky): it enters
    // where some part of it is left.
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1];
        const QPointF d = line[i] - a;
        double low = 0, high = 1;
        const double p[] = {-d.x(), d.x(), -d.y(), d.y()};
        const double q[] = {a.x() - near.left(), near.right() - a.x(), a.y() - near.top(), near.bottom() - a.y()};
        bool inside = true;
        for (int k = 0; k < 4 && inside; ++k) {
            if (p[k] == 0) {
                inside = q[k] >= 0;
            } else if (p[k] < 0) {
                low = std::max(low, q[k] / p[k]);
            } else {
                high = std::min(high, q[k] / p[k]);
            }
            inside = inside && low <= high;
        }
        if (inside) return true;
    }
    return line.size() == 1 && near.contains(line.front());
}

double PatternLayout::RadiusOf(double gainDbi) const {
    const double share = (gainDbi - InnerDbi()) / (outerDbi - InnerDbi());
    return radius * std::clamp(share, 0.0, 1.0);
}

PatternLayout LayOutPattern(const nec::ModelCheck& check, const QRectF& area) {
    PatternLayout layout;
    layout.area = area;
    layout.cuts = nec::CutsOf(check.report, check.plan.model.placement.ground, check.elevationCut);
    layout.drawable = !layout.cuts.azimuth.empty() && !layout.cuts.elevation.empty();
    if (!layout.drawable) return layout;
    // The finer elevation cut may find a lobe above the grid's maximum.
    double most = layout.cuts.maxGainDbi;
    for (const CutPoint& p : layout.cuts.elevation) most = std::max(most, p.gainDbi);
    layout.outerDbi = std::ceil(most / kRingStepDb) * kRingStepDb;

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
    for (const bool azimuth : {true, false}) {
        PatternPanel& panel = azimuth ? layout.azimuth : layout.elevation;
        panel.centre = azimuth ? layout.azimuthCentre : layout.elevationCentre;
        for (const CutPoint& p : azimuth ? layout.cuts.azimuth : layout.cuts.elevation) {
            panel.curve << Polar(panel.centre, p.angleDeg, layout.RadiusOf(p.gainDbi));
        }
        panel.maximum = Polar(panel.centre, azimuth ? layout.cuts.azimuthDeg : layout.cuts.elevationDeg,
                              layout.RadiusOf(layout.cuts.maxGainDbi));
        panel.rings = PlaceRingLabels(layout, panel, azimuth || layout.cuts.belowHorizon, small);
    }
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
