#pragma once

#include <QString>
#include <QStringList>

#include "conductor/design_run.h"
#include "core/field_conversion.h"
#include "nec/model_check.h"
#include "sheet/build_sheet.h"

// What the model window shows of a design and its check, as rich text.

namespace corvanta::ui {

// The design as COMPUTE wrote it: frequency, sides, conductor and the four
// dimensions in mm and inches.
QString DimensionsHtml(const Design& design);

// The check at a glance: the impedances and SWRs at the design frequency,
// gain, resonance, the 2:1 ranges, every sanity check with its verdict and
// the notes. Numbers as the report writes them.
QString FiguresHtml(const nec::ModelCheck& check);

// The check's key figures and its SWR plot, for the build sheet, with the
// window's words for the verdict's advice.
sheet::ModelFigures SheetFigures(const nec::ModelCheck& check);

}  // namespace corvanta::ui
