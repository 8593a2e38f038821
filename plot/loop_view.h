#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

#include "nec/loop_geometry.h"
#include "nec/model_check.h"

// The loop in three dimensions, drawn with QPainter alone so that it looks
// the same in the window, in SVG, in PNG and on the sheet: the wires
// coloured by the current on them, the feed gaps marked, the ground as a
// grid, and the radiation pattern as a translucent surface round the loop,
// everything drawn far side first.

namespace corvanta::plot {

inline constexpr QSize kLoopViewSize{760, 560};

// Where the eye is: azimuth counter-clockwise from the x axis (the first
// corner, as the pattern's azimuth counts), elevation above the horizon.
struct ViewAngle {
    double azimuthDeg = 0;
    double elevationDeg = 0;
};
inline constexpr ViewAngle kDefaultViewAngle{-60, 25};
// The view never turns past looking straight down or up.
inline constexpr double kSteepestDeg = 89;

// Within [-180, 180) and [-kSteepestDeg, kSteepestDeg].
ViewAngle Normalised(ViewAngle angle);

// The pattern's surface: the grid's step, and the range of gain it spans
// below the maximum.
inline constexpr double kSurfaceStepDeg = 5;
inline constexpr double kSurfaceRangeDb = 30;

struct LoopViewSettings {
    ViewAngle angle = kDefaultViewAngle;
    double zoom = 1;  // 1: the whole scene fills the area
    bool pattern = true;
    bool currents = true;  // the wires coloured by current, else plain
    bool geometry = true;  // the wires, the gaps and the ground
    // Small, for the build sheet: no title, no words under it, the current's
    // scale across the foot.
    bool compact = false;
};

// An orthographic view: x to the right, y down on the page, depth
// growing toward the eye.
class ViewProjection {
public:
    ViewProjection(ViewAngle angle, QPointF centre, double pixelsPerMetre);
    QPointF At(const nec::Point3& p) const;
    double Depth(const nec::Point3& p) const;

private:
    double right_[3];
    double up_[3];
    double toward_[3];
    QPointF centre_;
    double scale_;
};

// The pattern on a kSurfaceStepDeg grid: gains in dBi at theta (from the
// zenith) 0, 5, ... up to 180 (free space) or 90 (over ground), and phi 0,
// 5, ... 355, bilinear in dB between the engine's grid points.
struct PatternSurface {
    int thetas = 0;
    int phis = 0;
    double maxDbi = 0;
    std::vector<double> gainDbi;  // thetas x phis, theta major

    double At(int theta, int phi) const { return gainDbi[static_cast<std::size_t>(theta * phis + phi % phis)]; }
    // The radius of a gain as a share of the surface's largest: the gain
    // above (maximum - kSurfaceRangeDb), nothing below it.
    double Reach(double gain) const;
};

// Nothing where the pattern has no grid to resample.
std::optional<PatternSurface> SurfaceOf(const std::vector<nec::PatternPoint>& pattern);

// A flat shape of the scene: a wire's piece, a face of the surface, a line
// of the ground's grid.
struct ScenePiece {
    enum class Kind { Wire, Face, Grid, Gap };
    Kind kind = Kind::Wire;
    std::vector<nec::Point3> corners;  // two for a line
    QColor colour;
};

// The order to draw in: farthest from the eye first, by the pieces' mean
// depth (enough for a loop inside a surface round it).
std::vector<std::size_t> FarFirst(const std::vector<ScenePiece>& pieces, const ViewProjection& view);

// A current's colour on the view's scale: blue for none to red for the
// largest.
QColor CurrentColour(double share);

// The loop of a check, made ready to be drawn at any angle.
class LoopScene {
public:
    explicit LoopScene(const nec::ModelCheck& check);

    // Whether there is a loop to show.
    bool Drawable() const { return !segments_.empty(); }
    void Draw(QPainter& painter, const QRectF& area, const LoopViewSettings& settings) const;

private:
    struct Segment {
        nec::SegmentCurrent wire;
        double share = 0;  // of the largest current
    };
    std::vector<Segment> segments_;
    std::vector<ScenePiece> surface_;
    std::vector<ScenePiece> ground_;
    double extentM_ = 0;         // the loop's half-span
    double spanM_ = 0;           // the scene's
    double surfaceRadiusM_ = 0;  // the pattern's largest reach
    double maxCurrentA_ = 0;
    double designMHz_ = 0;  // where the engine gave the currents and the pattern
    double maxDbi_ = 0;
    double groundBelowM_ = 0;  // of the loop's centre, when drawn
    std::optional<double> groundTrueM_;
    double cutAzimuthDeg_ = 0;    // of the pattern plot's elevation cut
    double cutElevationDeg_ = 0;  // of its azimuth cut
    bool hasPattern_ = false;
};

// The check's view as one call, for files and the sheet.
void DrawLoopView(QPainter& painter, const QRectF& area, const nec::ModelCheck& check,
                  const LoopViewSettings& settings = {});

}  // namespace corvanta::plot
