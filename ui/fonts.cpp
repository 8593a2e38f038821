#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace corvanta::ui {

namespace {

// Resolved once: asking for a family the system lacks makes Qt search its
// fallbacks again for every font, which is most of the window's start-up.
// Looked up in the list of installed families rather than with hasFamily(),
// which first asks fontconfig to resolve the name as an alias (a family
// that is missing, as "MS Sans Serif" mostly is, costs a full match).
const QString& SansFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& name :
             {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}) {
            if (installed.contains(name, Qt::CaseInsensitive)) return name;
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
