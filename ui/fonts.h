#pragma once

#include <QFont>

namespace corvanta::ui {

enum FontStyle { Regular = 0, Bold = 1, Italic = 2, Underline = 4 };

// The windows' sans font at a point size: the classic bitmap sans where a
// system has it, else a sans with the same metrics, else any sans.
QFont SansFont(qreal pointSize, int style = Regular);

// The font of every control that has none of its own: 8.25 pt regular.
QFont DefaultFont();

}  // namespace corvanta::ui
