#pragma once

#include <QString>
#include <optional>

#include "core/cut_list.h"
#include "core/design.h"
#include "core/field_conversion.h"

// The one cut list the sheet prints: the lengths a model check's verdict
// says to cut (tuned by the model, or trimmed from a measurement), with the
// design's own beside them where they differ; the design's alone without a
// check, or where the verdict says to cut the design.

namespace corvanta::sheet {

// HEIGHT, SIDE and GAP the verdict names, in millimetres; the lines stay
// the design's, whose length no tune or trim changes.
struct CutLengths {
    QString name;  // as the verdict names them: "tuned", "trimmed"
    double scale = 1;
    double heightMm = 0, sideMm = 0, gapMm = 0;
    // What the scale multiplies: "the design's", or "the lengths as cut
    // (HEIGHT 709.60 mm, ...)" for a trim of a loop cut to other lengths.
    QString of;
};

struct SheetCut {
    QString heading;                // "CUT LIST", "CUT LIST: TUNED LENGTHS"
    QString note;                   // what the lengths are; empty for the design's own
    CutList list;                   // what to cut
    std::optional<CutList> design;  // the design's, beside it
    // The design with HEIGHT, SIDE and GAP as `list` was made from them: the
    // one set of lengths the dimensions, the drawing and the cut list show.
    Design toCut;
};

// The lengths written as the sheet writes the design's: millimetres to
// 0.01, inches to 0.001, with `format`'s separator. Throws CutListError
// where they cannot be cut.
CutList ScaledCutList(const Design& design, const CutLengths& lengths, NumberFormat format);

// The design with its HEIGHT, SIDE and GAP fields (mm and inches) written
// as ScaledCutList writes them.
Design ScaledFields(const Design& design, const CutLengths& lengths, NumberFormat format);

// `design` is the design's own list; `lengths` none for the design's.
SheetCut SheetCutOf(const Design& design, const CutList& designList, const std::optional<CutLengths>& lengths,
                    NumberFormat format);

}  // namespace corvanta::sheet
