#pragma once

#include <QString>
#include <string>
#include <string_view>

// Field texts end their lines in CR LF, as the sheet keeps them and the notes
// are written; a multi-line box breaks lines at LF and would show a CR as a
// glyph. These two are the only places where one becomes the other.

namespace corvanta::ui {

// "A\r\nB" -> "A\nB"
inline QString ForBox(std::string_view fieldText) {
    return QString::fromUtf8(fieldText.data(), static_cast<qsizetype>(fieldText.size()))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// "A\nB" -> "A\r\nB". A box never holds a CR: the editor turns CR LF and a
// lone CR into a line break as the text comes in.
inline std::string ForField(const QString& boxText) {
    return QString(boxText).replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
}

}  // namespace corvanta::ui
