#pragma once

#include <QString>

class QPainter;
class QRectF;

namespace corvanta::sheet {

// What the drawing shows: the shape to scale from the millimetre lengths,
// and the dimension texts as the calculator writes them.
struct PrismDimensions {
    int sides = 3;
    double heightMm = 0;
    double sideMm = 0;
    double gapMm = 0;
    QString height[2];  // mm, in
    QString side[2];
    QString gap[2];
    // The design's own, in grey beside the lengths to cut where the two
    // differ ("design's 718.233 mm"); empty where they do not.
    QString designHeight, designSide, designGap;
};

// An oblique view of the prism, seen a little from above and to the side:
// the two polygons, the verticals broken by their gaps, the 300 ohm lines
// from every gap to the junction, the pieces marked A (horizontal side),
// B (half vertical) and C (line) as the cut list names them, and HEIGHT,
// SIDE and GAP dimensioned. HEIGHT and SIDE are to scale; a GAP too small to
// see is drawn larger, and the drawing says so. Drawn in the sheet's units
// (0.1 mm) within `area`, from its top; returns the y below the drawing.
double DrawPrism(QPainter& painter, const QRectF& area, const PrismDimensions& prism);

}  // namespace corvanta::sheet
