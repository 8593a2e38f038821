#pragma once

#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

#include "nec/model_check.h"
#include "nec/pattern_cuts.h"

// The radiation pattern at the design frequency as two polar cuts: round
// the horizon at the elevation of maximum gain, and up over the top through
// the azimuth of maximum gain; total gain in dBi, the polarisation named.

namespace corvanta::plot {

// Rings every 5 dB, six of them below the outer one.
inline constexpr double kRingStepDb = 5;
inline constexpr int kRings = 6;
inline constexpr QSize kPatternPlotSize{940, 560};

// A ring's value, where it hides no curve: beside one spoke, just inside,
// just outside or across its ring, clear of the curve, of the mark of the
// maximum and of the other rings' values. Where no spoke leaves room for
// them all (a curve that fills the circle), the rest are drawn over the
// curve on a white ground.
struct RingLabel {
    QString text;
    QRectF box;
    bool overCurve = false;
};

// One polar panel: its centre, its curve and its rings' values.
struct PatternPanel {
    QPointF centre;
    QPolygonF curve;
    QPointF maximum;  // the mark of the maximum gain
    std::vector<RingLabel> rings;
};

struct PatternLayout {
    bool drawable = false;  // the check has a pattern
    QRectF area;
    nec::PatternCuts cuts;
    QPointF azimuthCentre, elevationCentre;
    double radius = 0;
    double outerDbi = 0;  // the outer ring; the centre is kRings rings below
    PatternPanel azimuth, elevation;

    double InnerDbi() const { return outerDbi - kRings * kRingStepDb; }
    // The distance from the centre of a gain; a gain under the inner ring
    // sits at the centre.
    double RadiusOf(double gainDbi) const;
};

// Needs a QGuiApplication (for the fonts' metrics).
PatternLayout LayOutPattern(const nec::ModelCheck& check, const QRectF& area);

// Whether a polyline, drawn with a pen `width` wide, comes into a rectangle.
bool LineEnters(const QPolygonF& line, const QRectF& box, double width);

void DrawPatternPlot(QPainter& painter, const QRectF& area, const nec::ModelCheck& check);

// The direction under a point of the plot and the gain there, a straight
// line in dB between the pattern's points.
struct PatternReadout {
    bool azimuthCut = true;  // else the elevation cut
    double azimuthDeg = 0;
    double elevationDeg = 0;
    double gainDbi = 0;
};

// Nothing outside the two circles (and below the horizon over ground).
std::optional<PatternReadout> ReadPatternAt(const nec::ModelCheck& check, const QRectF& area, QPointF point);

// "azimuth 40°, elevation 1°: 1.98 dBi".
QString ReadoutText(const PatternReadout& readout);

}  // namespace corvanta::plot
