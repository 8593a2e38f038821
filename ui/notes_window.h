#pragma once

#include <string>

class QWidget;

namespace corvanta::ui {

// The notes: 15 lines, each ending in CR LF, blanks before the line breaks
// kept as they have always been.
const std::string& NotesText();

// Builds the NOTES window "no": one editable, word-wrapped text box
// without scroll bars on a peach margin.
QWidget* BuildNotesWindow();

}  // namespace corvanta::ui
