#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "core/field_conversion.h"

// Fonts, colours and text placement of the build sheet. The sheet is laid
// out in tenths of a millimetre; fonts are sized in those units too, so
// that they scale with the page wherever it is printed.

namespace corvanta::sheet {

inline const QColor kInk(0, 0, 0);
inline const QColor kQuiet(90, 90, 90);       // notes, back wires
inline const QColor kDimension(20, 60, 160);  // dimension lines and their texts
inline const QColor kRule(160, 160, 160);

// A sans face at `size` tenths of a millimetre (35 is about 10 pt).
QFont SheetFont(int size, bool bold = false);

// While one lives, the sheet's text drawn on this thread writes its numbers
// with `format`'s separator: the one the design's fields were written with.
class SheetSeparator {
public:
    explicit SheetSeparator(NumberFormat format);
    ~SheetSeparator();
    SheetSeparator(const SheetSeparator&) = delete;
    SheetSeparator& operator=(const SheetSeparator&) = delete;

private:
    NumberFormat previous_;
};

// Text in a box, aligned as `flags` say, its numbers with the separator in
// force; returns the box the text took.
QRectF PutText(QPainter& painter, const QRectF& box, int flags, const QString& text, const QFont& font,
               const QColor& colour = kInk);

}  // namespace corvanta::sheet
