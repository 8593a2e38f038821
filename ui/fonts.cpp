#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace corvanta::ui {

namespace {

// Resolved once: asking for a family the system lacks makes Qt search its
// fallbacks again for every font, which is most of the window's start-up.
const QString& SansFamily() {
    static const QString family = [] {
        const QStringList wanted = {QStringLiteral("MS Sans Serif"),
                                    QStringLiteral("Liberation Sans"),
                                    QStringLiteral("DejaVu Sans")};
        for (const QString& name : wanted) {
            if (QFontDatabase::hasFamily(name)) return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

}  // namespace

QFont SansFont(qreal pointSize, int style) {
    QFont font(SansFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold((style & Bold) != 0);
    font.setItalic((style & Italic) != 0);
    font.setUnderline((style & Underline) != 0);
    return font;
}

QFont DefaultFont() { return SansFont(8.25); }

}  // namespace corvanta::ui
