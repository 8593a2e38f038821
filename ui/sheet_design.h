#pragma once

#include <QString>
#include <optional>

#include "conductor/design_run.h"

namespace corvanta::ui {

// The design the main window would compute now, or why there is none, in
// the words the user sees.
struct SheetDesign {
    // Its value fields written with the point, as the model library reads
    // numbers whatever the regional separator.
    std::optional<Design> design;
    QString problem;
};

// Runs COMPUTE on a copy of the sheet (which is never written). No side
// chosen: a line that asks for one. A field that does not read: the message
// COMPUTE's failure gives in the main window.
SheetDesign DesignOfSheet(const DesignSheet& sheet, NumberFormat format);

}  // namespace corvanta::ui
