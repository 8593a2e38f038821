#pragma once

#include <QString>
#include <optional>

#include "conductor/design_run.h"
#include "sheet/build_sheet.h"

class QPrinter;
class QWidget;

namespace corvanta::ui {

// Where Ctrl+P sends the build sheet. Injected, as the failure reporter
// is, so that tests drive the print path without a modal dialog.
class PrintDialog {
public:
    virtual ~PrintDialog() = default;
    // Lets the user set up `printer` (a printer, or a PDF file); true when
    // the user chose to print.
    virtual bool Ask(QWidget* over, QPrinter& printer) = 0;
    // Tells the user why there is no sheet to print.
    virtual void Tell(QWidget* over, const QString& message) = 0;
};

// The standard print dialog, and a message box, over the given window.
class StandardPrintDialog final : public PrintDialog {
public:
    bool Ask(QWidget* over, QPrinter& printer) override;
    void Tell(QWidget* over, const QString& message) override;
};

// Prints the build sheet of `design` (its fields written with `format`),
// with the model's figures when given, through `dialog` over `over`: a
// design that cannot be cut, or a printer that does not start, is told.
void PrintSheetOf(QWidget* over, PrintDialog& dialog, const Design& design, NumberFormat format,
                  std::optional<sheet::ModelFigures> model);

}  // namespace corvanta::ui
