#include "ui/notes_window.h"

#include <QPlainTextEdit>
#include <QWidget>
#include <array>
#include <string_view>

#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/line_breaks.h"
#include "ui/twips.h"

namespace corvanta::ui {

namespace {

struct NotesLine {
    std::string_view text;
    std::size_t trailingBlanks;
};

constexpr std::array<NotesLine, 15> kNotesLines = {{
    {"THE ANTENNA IS FED AT ALL THE GAPS WITH 300 OHM LADDER LINE (TV flat line).", 1},
    {"DO NOT USE WIRE OR TUBE SMALLER THAN THE RECOMMENDED SIZE AFTER YOU ACCEPT", 1},
    {"THE INPUT FREQUENCY. THIS IS THE SMALLEST SIZE THAT WILL KEEP THE SWR BELOW 2:1", 1},
    {"( 1.6 to 1.8).  THE LARGER THE ELEMENT DIAMETER, THE LOWER THE SWR WILL GO UNTIL", 1},
    {"1:1. WITH MAXIMUM ELEMENT DIAMETER, THE BANDWIDTH CAN EXCEED 60 MHZ!", 1},
    {"THE 146 MHZ DESIGN COVERS FROM 134 to over 200 MHZ under 2:1 EXCEPT FOR A SMALL", 1},
    {"PEAK AT 161.", 136},
    {"The 4 sided version covers approximately from -30mhz to plus 50 mhz. You can design", 1},
    {"for 170 mhz and cover both the 2m and 220 band. The higher end starts to elevate the main", 19},
    {"lobe from the horizon to about 30 degrees. This can be compensated for by keeping the", 1},
    {"antenna down below 15 feet or 5  meters above ground (the 2m 220 version)", 1},
    {"AFTER ACCEPTING THE FREQUENCY, YOU MAY INCREASE THE WIRE SIZE BY INPUTING A", 1},
    {"NEW SIZE IN THE INCH, MM, OR AWG BOXES AND CLICKING THE CHANGE BOX BELOW THE", 1},
    {"VALUE. FOR WIRE AWG LARGER THAN \"0\" MAY BE ENTERED as \"9009\", \"90009\" or \"900009'", 0},
    {"GAIN IS APPROXIMATELY 7.6 DB", 0},
}};

}  // namespace

const std::string& NotesText() {
    static const std::string text = [] {
        std::string joined;
        for (const NotesLine& line : kNotesLines) {
            joined += line.text;
            joined.append(line.trailingBlanks, ' ');
            joined += "\r\n";
        }
        return joined;
    }();
    return text;
}

QWidget* BuildNotesWindow() {
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("no"));
    window->setWindowTitle(QStringLiteral("NOTES"));
    window->setFont(DefaultFont());
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kPeach);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->resize(TwipsSize(7710, 3375));

    auto* text = new QPlainTextEdit(window);
    text->setObjectName(QStringLiteral("Text1"));
    text->setAccessibleName(QStringLiteral("Notes"));
    text->setGeometry(TwipsRect(120, 120, 7455, 3135));
    text->setPalette(QPalette());  // the toolkit's own text-box colours
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setWordWrapMode(QTextOption::WordWrap);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setPlainText(ForBox(NotesText()));
    text->setFocus();
    return window;
}

}  // namespace corvanta::ui
