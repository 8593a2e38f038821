#pragma once

// The build sheet: one page a builder takes to the bench. It is drawn once,
// by DrawSheet, onto whatever QPainter it is given: a QPdfWriter for
// corvanta-cli sheet --output, the QPrinter of the print dialog for Ctrl+P
// in the window. The page holds the design (frequency, side count,
// conductor, the four dimensions in mm and inches as the calculator writes
// them), the cut list with the conductor total, the 300 ohm lines with
// their total, the rounding used, a dimensioned drawing of the prism and,
// when the same design has been checked on the model, its figures, the
// measurement and the plot. Where the check's verdict names other lengths
// than the design's, the dimensions, the drawing and the cut list all show
// those, the design's beside them in grey: one set of lengths to cut.

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/cut_list.h"
#include "core/design.h"
#include "core/field_conversion.h"
#include "core/whole_file.h"
#include "sheet/sheet_cut_list.h"

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace corvanta::sheet {

// A measurement of the built loop: the file, when it was taken in, and
// its figures (the lengths as cut, the resonance, the fit, the trim).
struct MeasuredFigures {
    QString file;
    QString date;                                   // empty where not known
    std::vector<std::pair<QString, QString>> rows;  // figure, value
};

// What a model check of the same design found, as its window words it.
struct ModelFigures {
    QString heading;                                // what was modelled, and how
    std::vector<std::pair<QString, QString>> rows;  // figure, value
    // Draws the SWR plot into the rectangle of the page (in tenths of a
    // millimetre at full size), with the model's plotting code, laid out to
    // that room with its smallest text kPlotSmallestTextMm high.
    std::function<void(QPainter&, const QRectF&)> drawPlot;
    // The lengths the check's verdict says to cut; none for the design's.
    std::optional<CutLengths> cut;
    std::optional<MeasuredFigures> measured;
    // Draws the loop in three dimensions into the rectangle of the page
    // under the plot, its smallest text kPlotSmallestTextMm high.
    std::function<void(QPainter&, const QRectF&)> drawView;
};

// The smallest text of the sheet's plot at full size: 7.2 points, so that
// on Letter, which takes the sheet at 97 %, it is still 7.
inline constexpr double kPlotSmallestTextMm = 7.2 * 25.4 / 72;

// The margin round the sheet on every side, in millimetres: clear of what
// printers cannot print near the edge.
inline constexpr double kSheetMarginMm = 15;

struct SheetContent {
    Design design;
    CutList cutList;
    NumberFormat format;  // the separator the design's texts were written with
    std::optional<ModelFigures> model;
};

// The sheet's title, on the page, in the PDF's metadata and as the print
// job's name: "146 MHz THREE SIDED prism loop: build sheet".
QString SheetTitle(const Design& design);

// The print job's name, which the print dialog also offers as the PDF's
// file name, so it has no point in it (the dialog would cut the name at
// the point) and no colon: "Build sheet 146 MHz THREE SIDED", "Build sheet
// 145,5 MHz FOUR SIDED" for a frequency of "145.50".
QString SheetDocumentName(const Design& design);

// Draws the sheet's first page into `area` (in the painter's coordinates),
// scaled to fit and centred across it; the page is 180 mm by 257 mm at full
// size.
void DrawSheet(QPainter& painter, const QRectF& area, const SheetContent& content);

// The check's SWR plot across a page of its own, under the sheet's title,
// and the loop in three dimensions under it: the first page has no room
// for them at a size whose text can be read.
// Nothing without a model check.
void DrawPlotPage(QPainter& painter, const QRectF& area, const SheetContent& content);

// The sheet on a printer or PDF writer that is set up already: one page,
// and with a model check a second with its plot. False when the device
// cannot be painted on.
bool PrintSheet(QPagedPaintDevice& device, const SheetContent& content);

// The sheet as an A4 PDF file, written whole or not at all
// (core/whole_file.h) with `options`. A message when the file cannot be
// written. Needs a QGuiApplication (the offscreen platform will do).
std::optional<QString> WriteSheetPdf(const QString& path, const SheetContent& content,
                                     const WholeFileOptions& options = {});

}  // namespace corvanta::sheet
