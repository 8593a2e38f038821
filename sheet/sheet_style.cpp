#include "sheet/sheet_style.h"

#include <QFontDatabase>
#include <QStringList>

namespace corvanta::sheet {

namespace {

// Resolved once: a family the system lacks makes Qt search its fallbacks
// again for every font.
const QString& SansFamily() {
    static const QString family = [] {
        for (const QString& name : {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}) {
            if (QFontDatabase::hasFamily(name)) return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

thread_local NumberFormat separator;

}  // namespace

SheetSeparator::SheetSeparator(NumberFormat format) : previous_(separator) { separator = format; }
SheetSeparator::~SheetSeparator() { separator = previous_; }

QFont SheetFont(int size, bool bold) {
    QFont font(SansFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(size);
    font.setBold(bold);
    return font;
}

QRectF PutText(QPainter& painter, const QRectF& box, int flags, const QString& text, const QFont& font,
               const QColor& colour) {
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    QRectF taken;
    painter.drawText(box, flags, QString::fromStdString(WithSeparator(text.toStdString(), separator)), &taken);
    painter.restore();
    return taken;
}

}  // namespace corvanta::sheet
