#pragma once

// The program's help: one page for both windows, opened by F1 or a Help
// button at the part for the window asking, with the words of that
// window's controls (their tooltips) and of the terms (model_terms.h).
// What's This (Shift+F1 on a control) says the same.

#include <QString>

class QTextBrowser;
class QWidget;

namespace corvanta::ui {

// Opens the help over `window` at `part` ("main" or "model"); a second
// call brings the same page to the front.
QTextBrowser* ShowHelp(QWidget* window, const QString& part);

// Gives every control of `window` that has no What's This one: its
// tooltip, else what the term of its name explains, else its name with a
// pointer to the help.
void AddWhatsThis(QWidget* window);

// The controls of `window` with their words, as rich text.
QString ControlsHtml(const QWidget* window);

}  // namespace corvanta::ui
