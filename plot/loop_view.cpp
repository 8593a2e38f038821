#include "plot/loop_view.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <numbers>
#include <numeric>

#include "nec/named_loop.h"
#include "nec/number_text.h"
#include "nec/pattern_cuts.h"
#include "plot/plot_style.h"

namespace corvanta::plot {

namespace {

using nec::Point3;

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
// The engine's gain where a direction has none.
constexpr double kNoGainDb = -999;
// The pattern's surface reaches this many times the loop's own half-span,
// so that the loop sits well inside it.
constexpr double kSurfaceOverLoop = 1.9;
// Farther ground is drawn at this many half-spans below the loop's centre
// and said to be farther.
constexpr double kGroundDrawnWithin = 2.4;
constexpr double kWirePx = 3.5;
constexpr int kSurfaceAlpha = 70;

Point3 Direction(double thetaDeg, double phiDeg) {
    const double t = thetaDeg * kRadiansPerDegree, p = phiDeg * kRadiansPerDegree;
    return {std::sin(t) * std::cos(p), std::sin(t) * std::sin(p), std::cos(t)};
}

Point3 Scaled(const Point3& p, double s) { return {p.x * s, p.y * s, p.z * s}; }

Point3 Lowered(const Point3& p, double by) { return {p.x, p.y, p.z - by}; }

// Where a sorted grid's value lies between its neighbours: the lower index
// and the share toward the next.
std::pair<std::size_t, double> Bracket(const std::vector<double>& grid, double value) {
    if (grid.size() < 2 || value <= grid.front()) return {0, 0};
    if (value >= grid.back()) return {grid.size() - 2, 1};
    const auto upper = std::upper_bound(grid.begin(), grid.end(), value);
    const std::size_t i = static_cast<std::size_t>(upper - grid.begin()) - 1;
    return {i, (value - grid[i]) / (grid[i + 1] - grid[i])};
}

QString Text(const std::string& text) { return style::Text(text); }

// The surface's colour: its gain from the bottom of the range to the top,
// pale green to deep green.
QColor SurfaceColour(double share) {
    const double s = std::clamp(share, 0.0, 1.0);
    QColor colour = QColor::fromHsvF(static_cast<float>(0.33 - 0.18 * s), static_cast<float>(0.35 + 0.5 * s),
                                     static_cast<float>(0.85 - 0.25 * s));
    colour.setAlpha(kSurfaceAlpha);
    return colour;
}

}  // namespace

ViewAngle Normalised(ViewAngle angle) {
    double az = std::fmod(angle.azimuthDeg + 180, 360);
    if (az < 0) az += 360;
    return {az - 180, std::clamp(angle.elevationDeg, -kSteepestDeg, kSteepestDeg)};
}

ViewProjection::ViewProjection(ViewAngle angle, QPointF centre, double pixelsPerMetre)
    : centre_(centre), scale_(pixelsPerMetre) {
    const double a = angle.azimuthDeg * kRadiansPerDegree, e = angle.elevationDeg * kRadiansPerDegree;
    right_[0] = -std::sin(a);
    right_[1] = std::cos(a);
    right_[2] = 0;
    up_[0] = -std::sin(e) * std::cos(a);
    up_[1] = -std::sin(e) * std::sin(a);
    up_[2] = std::cos(e);
    toward_[0] = std::cos(e) * std::cos(a);
    toward_[1] = std::cos(e) * std::sin(a);
    toward_[2] = std::sin(e);
}

QPointF ViewProjection::At(const Point3& p) const {
    const double x = p.x * right_[0] + p.y * right_[1] + p.z * right_[2];
    const double y = p.x * up_[0] + p.y * up_[1] + p.z * up_[2];
    return {centre_.x() + x * scale_, centre_.y() - y * scale_};
}

double ViewProjection::Depth(const Point3& p) const { return p.x * toward_[0] + p.y * toward_[1] + p.z * toward_[2]; }

double PatternSurface::Reach(double gain) const {
    return std::max(0.0, gain - (maxDbi - kSurfaceRangeDb)) / kSurfaceRangeDb;
}

std::optional<PatternSurface> SurfaceOf(const std::vector<nec::PatternPoint>& pattern) {
    std::vector<double> thetas, phis;
    for (const nec::PatternPoint& p : pattern) {
        thetas.push_back(p.thetaDeg);
        phis.push_back(p.phiDeg);
    }
    const auto distinct = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    distinct(thetas);
    distinct(phis);
    if (thetas.size() < 2 || phis.size() < 2 || thetas.size() * phis.size() != pattern.size()) return std::nullopt;
    std::map<std::pair<double, double>, double> gain;
    double most = kNoGainDb;
    for (const nec::PatternPoint& p : pattern) {
        gain[{p.thetaDeg, p.phiDeg}] = std::max(p.totalGainDb, kNoGainDb);
        most = std::max(most, p.totalGainDb);
    }
    if (gain.size() != pattern.size()) return std::nullopt;
    const auto at = [&](std::size_t t, std::size_t p) { return gain.at({thetas[t], phis[p]}); };

    PatternSurface surface;
    surface.maxDbi = most;
    const double lastTheta = thetas.back();
    surface.thetas = static_cast<int>(std::lround(lastTheta / kSurfaceStepDeg)) + 1;
    surface.phis = static_cast<int>(std::lround(360 / kSurfaceStepDeg));
    // The engine's phi runs round to 360 or stops short of it; the last
    // column wraps to the first.
    std::vector<double> round = phis;
    const bool closed = std::abs(phis.back() - phis.front() - 360) < 1e-6;
    if (!closed) round.push_back(phis.front() + 360);
    for (int t = 0; t < surface.thetas; ++t) {
        const auto [ti, tf] = Bracket(thetas, std::min(t * kSurfaceStepDeg, lastTheta));
        for (int p = 0; p < surface.phis; ++p) {
            const auto [pi, pf] = Bracket(round, p * kSurfaceStepDeg);
            const std::size_t pn = pi + 1 < phis.size() ? pi + 1 : 0;
            const double low = at(ti, pi) * (1 - pf) + at(ti, pn) * pf;
            const double high = at(ti + 1, pi) * (1 - pf) + at(ti + 1, pn) * pf;
            surface.gainDbi.push_back(low * (1 - tf) + high * tf);
        }
    }
    return surface;
}

std::vector<std::size_t> FarFirst(const std::vector<ScenePiece>& pieces, const ViewProjection& view) {
    std::vector<double> depth(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        double sum = 0;
        for (const Point3& p : pieces[i].corners) sum += view.Depth(p);
        depth[i] = pieces[i].corners.empty() ? 0 : sum / static_cast<double>(pieces[i].corners.size());
    }
    std::vector<std::size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });
    return order;
}

QColor CurrentColour(double share) {
    const double s = std::clamp(share, 0.0, 1.0);
    // Blue through cyan, green and yellow to red.
    return QColor::fromHsvF(static_cast<float>(0.66 * (1 - s)), 0.9f, 0.9f);
}

LoopScene::LoopScene(const nec::ModelCheck& check) {
    const nec::LoopModel& model = check.plan.model;
    if (model.sides < 3 || model.heightMm <= 0) return;
    designMHz_ = model.designMHz;
    const nec::CheckReport& report = check.report;
    const bool grounded = model.placement.ground != nec::Ground::Free;
    const double lift = grounded ? model.placement.heightM : 0;

    std::vector<nec::SegmentCurrent> wires = report.currents;
    if (wires.empty()) {
        for (const nec::ModelSegment& s : nec::ModelSegments(model)) wires.push_back({s, 0, 0});
    }
    for (const nec::SegmentCurrent& w : wires) maxCurrentA_ = std::max(maxCurrentA_, w.magnitudeA);
    for (nec::SegmentCurrent w : wires) {
        w.segment.from = Lowered(w.segment.from, lift);
        w.segment.to = Lowered(w.segment.to, lift);
        segments_.push_back({w, maxCurrentA_ > 0 ? w.magnitudeA / maxCurrentA_ : 0});
    }
    extentM_ = std::max(model.CircumradiusMm(), model.heightMm / 2) / 1000;
    double span = extentM_;

    if (const std::optional<PatternSurface> surface = SurfaceOf(report.pattern)) {
        hasPattern_ = true;
        maxDbi_ = surface->maxDbi;
        surfaceRadiusM_ = kSurfaceOverLoop * extentM_;
        span = std::max(span, surfaceRadiusM_);
        const auto point = [&](int t, int p) {
            return Scaled(Direction(t * kSurfaceStepDeg, p * kSurfaceStepDeg),
                          surface->Reach(surface->At(t, p)) * surfaceRadiusM_);
        };
        for (int t = 0; t + 1 < surface->thetas; ++t) {
            for (int p = 0; p < surface->phis; ++p) {
                const double reach =
                    std::max({surface->Reach(surface->At(t, p)), surface->Reach(surface->At(t + 1, p)),
                              surface->Reach(surface->At(t, p + 1)), surface->Reach(surface->At(t + 1, p + 1))});
                if (reach <= 0) continue;
                const double mean =
                    (surface->At(t, p) + surface->At(t + 1, p) + surface->At(t, p + 1) + surface->At(t + 1, p + 1)) / 4;
                surface_.push_back({ScenePiece::Kind::Face,
                                    {point(t, p), point(t + 1, p), point(t + 1, p + 1), point(t, p + 1)},
                                    SurfaceColour(surface->Reach(mean))});
            }
        }
        const nec::PatternCuts cuts = nec::CutsOf(report, model.placement.ground, check.elevationCut);
        cutAzimuthDeg_ = cuts.azimuthDeg;
        cutElevationDeg_ = cuts.elevationDeg;
    }

    if (grounded) {
        groundTrueM_ = lift;
        groundBelowM_ = std::min(lift, kGroundDrawnWithin * extentM_);
        span = std::max(span, groundBelowM_);
        const double half = span;
        const int lines = 8;
        const QColor grid(0x9a, 0x8a, 0x6a);
        for (int i = 0; i <= lines; ++i) {
            const double at = -half + 2 * half * i / lines;
            ground_.push_back(
                {ScenePiece::Kind::Grid, {{at, -half, -groundBelowM_}, {at, half, -groundBelowM_}}, grid});
            ground_.push_back(
                {ScenePiece::Kind::Grid, {{-half, at, -groundBelowM_}, {half, at, -groundBelowM_}}, grid});
        }
    }
    extentM_ = std::max(extentM_, 1e-6);
    spanM_ = span;
}

void LoopScene::Draw(QPainter& painter, const QRectF& area, const LoopViewSettings& settings) const {
    if (settings.compact) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.fillRect(area, Qt::white);
    } else {
        style::BeginPlot(painter, area, "The loop in three dimensions");
    }
    if (!Drawable()) {
        painter.setFont(style::Font(style::kTextPx));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("No loop to show: the check has not run."));
        painter.restore();
        return;
    }
    const ViewAngle angle = Normalised(settings.angle);
    const QRectF scene = settings.compact ? area.adjusted(4, 4, -4, -30) : area.adjusted(12, 34, -110, -46);
    const double pixelsPerMetre =
        std::min(scene.width(), scene.height()) / 2 / (spanM_ * 1.08) * std::clamp(settings.zoom, 0.1, 20.0);
    const ViewProjection view(angle, scene.center(), pixelsPerMetre);

    painter.save();
    painter.setClipRect(scene.adjusted(-8, -8, 8, 8));
    // The ground lies under everything when seen from above.
    const auto drawGround = [&] {
        if (!settings.geometry) return;
        for (const ScenePiece& line : ground_) {
            painter.setPen(QPen(line.colour, 1));
            painter.drawLine(view.At(line.corners[0]), view.At(line.corners[1]));
        }
    };
    if (angle.elevationDeg >= 0) drawGround();

    // The compass rose on the horizontal plane through the loop's foot.
    const double roseRadius = hasPattern_ ? surfaceRadiusM_ * 1.05 : extentM_ * 1.4;
    const double roseZ = -std::min(extentM_, groundTrueM_ ? groundBelowM_ : extentM_);
    {
        QPolygonF rose;
        for (int d = 0; d <= 360; d += 5) rose << view.At(Lowered(Scaled(Direction(90, d), roseRadius), -roseZ));
        painter.setPen(QPen(style::kMuted, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(rose);
        painter.setFont(style::Font(style::kSmallPx));
        const bool cutShown = hasPattern_ && settings.pattern;
        // The elevation cut's name goes with the compass point it runs
        // through, or stands on its own between them.
        const auto onCut = [&](double d) { return std::abs(std::remainder(d - cutAzimuthDeg_, 360.0)) < 1; };
        const auto label = [&](double d, const QString& text, const QColor& colour) {
            const QPointF at = view.At(Lowered(Scaled(Direction(90, d), roseRadius * 1.1), -roseZ));
            painter.setPen(colour);
            painter.drawText(QRectF(at.x() - 80, at.y() - 9, 160, 18), Qt::AlignCenter, text);
        };
        const QColor cutColour(0xb0, 0x40, 0x90);
        bool cutNamed = settings.compact || !cutShown;
        for (int d = 0; d < 360; d += 90) {
            QString text = Text(std::to_string(d) + "°");
            if (!cutNamed && onCut(d)) {
                text += QStringLiteral(", elevation cut");
                cutNamed = true;
            }
            label(d, text, style::kMuted);
        }
        if (!cutNamed) label(cutAzimuthDeg_, QStringLiteral("elevation cut"), cutColour);
        if (cutShown) {
            // The pattern plot's elevation cut runs through this azimuth and
            // its opposite.
            painter.setPen(QPen(cutColour, 1.5, Qt::DashLine));
            const Point3 ahead = Lowered(Scaled(Direction(90, cutAzimuthDeg_), roseRadius), -roseZ);
            const Point3 behind = Lowered(Scaled(Direction(90, cutAzimuthDeg_ + 180), roseRadius), -roseZ);
            painter.drawLine(view.At(behind), view.At(ahead));
        }
    }

    // The wires, the gaps and the surface, far side first.
    std::vector<ScenePiece> pieces;
    if (settings.geometry || settings.currents) {
        for (const Segment& s : segments_) {
            const QColor colour =
                settings.currents && maxCurrentA_ > 0 ? CurrentColour(s.share) : QColor(0x80, 0x60, 0x30);
            pieces.push_back({ScenePiece::Kind::Wire, {s.wire.segment.from, s.wire.segment.to}, colour});
            if (settings.geometry && s.wire.segment.fed) {
                const Point3 c{(s.wire.segment.from.x + s.wire.segment.to.x) / 2,
                               (s.wire.segment.from.y + s.wire.segment.to.y) / 2,
                               (s.wire.segment.from.z + s.wire.segment.to.z) / 2};
                pieces.push_back({ScenePiece::Kind::Gap, {c}, Qt::black});
            }
        }
    }
    if (settings.pattern) pieces.insert(pieces.end(), surface_.begin(), surface_.end());
    const QPen faceEdge(QColor(0x2e, 0x6b, 0x3a, 60), 0.6);
    for (const std::size_t i : FarFirst(pieces, view)) {
        const ScenePiece& piece = pieces[i];
        switch (piece.kind) {
            case ScenePiece::Kind::Face: {
                QPolygonF face;
                for (const Point3& p : piece.corners) face << view.At(p);
                painter.setPen(faceEdge);
                painter.setBrush(piece.colour);
                painter.setRenderHint(QPainter::Antialiasing, false);
                painter.drawPolygon(face);
                painter.setRenderHint(QPainter::Antialiasing, true);
                break;
            }
            case ScenePiece::Kind::Wire:
                painter.setPen(QPen(piece.colour, kWirePx, Qt::SolidLine, Qt::RoundCap));
                painter.drawLine(view.At(piece.corners[0]), view.At(piece.corners[1]));
                break;
            case ScenePiece::Kind::Gap:
                painter.setPen(QPen(Qt::black, 1.5));
                painter.setBrush(Qt::white);
                painter.drawEllipse(view.At(piece.corners[0]), 4.5, 4.5);
                break;
            case ScenePiece::Kind::Grid:
                break;
        }
    }
    if (angle.elevationDeg < 0) drawGround();
    painter.restore();

    if (settings.compact) {
        // The current's scale across the foot, nothing else.
        painter.setFont(style::Font(style::kSmallPx));
        if (settings.currents && maxCurrentA_ > 0) {
            const QRectF bar(area.left() + 24, area.bottom() - 22, area.width() - 120, 10);
            QLinearGradient gradient(bar.topLeft(), bar.topRight());
            for (int i = 0; i <= 10; ++i) gradient.setColorAt(i / 10.0, CurrentColour(i / 10.0));
            painter.setPen(style::kFrame);
            painter.setBrush(gradient);
            painter.drawRect(bar);
            painter.setPen(style::kInk);
            painter.drawText(QRectF(area.left(), bar.top() - 4, 20, 18), Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("0"));
            painter.drawText(QRectF(bar.right() + 4, bar.top() - 4, 96, 18), Qt::AlignLeft | Qt::AlignVCenter,
                             Text(nec::Fixed(maxCurrentA_ * 1000, 2) + " mA"));
        }
        painter.restore();
        return;
    }

    // The axes, in the corner, turning with the view.
    {
        const QPointF origin(area.left() + 44, area.bottom() - 58);
        const ViewProjection axes(angle, origin, 26);
        painter.setFont(style::Font(style::kSmallPx));
        const struct {
            Point3 tip;
            const char* name;
        } names[] = {{{1, 0, 0}, "x"}, {{0, 1, 0}, "y"}, {{0, 0, 1}, "z"}};
        for (const auto& axis : names) {
            painter.setPen(QPen(style::kInk, 1.2));
            painter.drawLine(origin, axes.At(axis.tip));
            const QPointF at = axes.At(Scaled(axis.tip, 1.35));
            painter.drawText(QRectF(at.x() - 8, at.y() - 8, 16, 16), Qt::AlignCenter, QString::fromLatin1(axis.name));
        }
    }

    // The scale of the currents and the words under the view.
    painter.setFont(style::Font(style::kSmallPx));
    const QFontMetricsF metrics(painter.font());
    if (settings.currents && maxCurrentA_ > 0) {
        const QRectF bar(area.right() - 74, scene.top() + 26, 16, std::min(200.0, scene.height() - 60));
        QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
        for (int i = 0; i <= 10; ++i) gradient.setColorAt(i / 10.0, CurrentColour(i / 10.0));
        painter.setPen(style::kFrame);
        painter.setBrush(gradient);
        painter.drawRect(bar);
        painter.setPen(style::kInk);
        painter.drawText(QRectF(bar.left() - 40, bar.top() - 22, 110, 16), Qt::AlignCenter, QStringLiteral("current"));
        painter.drawText(QRectF(bar.right() + 4, bar.top() - 8, 60, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         Text(nec::Fixed(maxCurrentA_ * 1000, 2) + " mA"));
        painter.drawText(QRectF(bar.right() + 4, bar.bottom() - 8, 60, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("0"));
    }
    // The engine modelled the design's loop alone; a verdict may name
    // another, so the view says whose currents and pattern these are.
    std::string loop(nec::LoopWords(nec::CutChoice::Design));
    loop.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(loop.front())));
    std::string caption = loop + " at " + nec::MhzText(designMHz_) + " MHz, seen from azimuth " +
                          nec::Fixed(angle.azimuthDeg, 0) + "°, elevation " + nec::Fixed(angle.elevationDeg, 0) + "°.";
    if (settings.currents && maxCurrentA_ > 0) caption += " Wires coloured by current (1 V at each gap).";
    if (settings.pattern && hasPattern_) {
        caption += " Pattern: gain above " + nec::Fixed(maxDbi_ - kSurfaceRangeDb, 1) + " dBi, up to " +
                   nec::Fixed(maxDbi_, 2) + " dBi; the azimuth cut lies at " + nec::Fixed(cutElevationDeg_, 0) +
                   "° elevation.";
    }
    if (groundTrueM_ && *groundTrueM_ > groundBelowM_) {
        caption += " Ground drawn nearer than its " + nec::Trimmed(*groundTrueM_, 2) + " m.";
    }
    painter.setPen(style::kInk);
    painter.drawText(QRectF(area.left() + 90, area.bottom() - 44, area.width() - 100, 40),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, Text(caption));
    painter.restore();
}

void DrawLoopView(QPainter& painter, const QRectF& area, const nec::ModelCheck& check,
                  const LoopViewSettings& settings) {
    LoopScene(check).Draw(painter, area, settings);
}

}  // namespace corvanta::plot
