#pragma once

#include <QColor>

// The colours the windows share; each control's own colours are in its
// window's design tables.

namespace corvanta::ui {

inline constexpr QColor kPeach(255, 224, 192);  // the background of the windows and captions
inline constexpr QColor kBlue(0, 0, 255);       // captions, the title and the web link

}  // namespace corvanta::ui
