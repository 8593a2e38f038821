#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

#include "core/field_conversion.h"

// What the plots share: the font, the colours of the frame and grid, and
// labels placed where they hide nothing.

namespace corvanta::plot::style {

// Sizes in pixels of the plot's own space, the same on a screen, in SVG and
// in PNG.
inline constexpr int kTextPx = 12;
inline constexpr int kSmallPx = 11;
inline constexpr int kTitlePx = 15;

// DejaVu Sans (fonts-dejavu-core) where it is installed: it has the Ω.
QFont Font(int pixelSize, bool bold = false);

inline const QColor kInk{0x22, 0x22, 0x22};
inline const QColor kFrame{0x55, 0x55, 0x55};
inline const QColor kGrid{0xdd, 0xdd, 0xdd};
inline const QColor kMuted{0x70, 0x70, 0x70};

// A text of the plot, its numbers written with the separator in force.
QString Text(const std::string& text);

// While one lives, the plots this thread draws write their numbers with
// `format`'s separator, as the window that shows them does; files written
// for programs keep the point.
class DecimalSeparator {
public:
    explicit DecimalSeparator(NumberFormat format);
    ~DecimalSeparator();
    DecimalSeparator(const DecimalSeparator&) = delete;
    DecimalSeparator& operator=(const DecimalSeparator&) = delete;

private:
    NumberFormat previous_;
};

// Begins a plot: saves the painter (the caller restores it), smooths lines
// and text, whitens the area and writes the title across its top.
void BeginPlot(QPainter& painter, const QRectF& area, const std::string& title);

// Labels in rows, each as near its wanted place as the labels before it
// allow; a label that finds no room is left out.
class LabelRows {
public:
    LabelRows(QRectF band, int rows, const QFont& font);
    // Centred on x if it fits, else ending or starting beside it.
    bool Place(QPainter& painter, double x, const QString& text, const QColor& colour);

private:
    QRectF band_;
    int rows_;
    QFont font_;
    std::vector<std::vector<QRectF>> taken_;
};

}  // namespace corvanta::plot::style
