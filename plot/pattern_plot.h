#pragma once

#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>

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

struct PatternLayout {
    bool drawable = false;  // the check has a pattern
    QRectF area;
    nec::PatternCuts cuts;
    QPointF azimuthCentre, elevationCentre;
    double radius = 0;
    double outerDbi = 0;  // the outer ring; the centre is kRings rings below

    double InnerDbi() const { return outerDbi - kRings * kRingStepDb; }
    // The distance from the centre of a gain; a gain under the inner ring
    // sits at the centre.
    double RadiusOf(double gainDbi) const;
};

// Needs a QGuiApplication (for the fonts' metrics).
PatternLayout LayOutPattern(const nec::ModelCheck& check, const QRectF& area);

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
