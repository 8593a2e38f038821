#include "ui/fonts.h"

#include <QStringList>

namespace corvanta::ui {

QFont SansFont(qreal pointSize, int style) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold((style & Bold) != 0);
    font.setItalic((style & Italic) != 0);
    font.setUnderline((style & Underline) != 0);
    return font;
}

QFont DefaultFont() { return SansFont(8.25); }

}  // namespace corvanta::ui
