#include "ui/print_dialog.h"

#include <QDir>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include "core/cut_list.h"
#include "ui/file_dialog.h"

namespace corvanta::ui {

bool StandardPrintDialog::Ask(QWidget* over, QPrinter& printer) {
    // With no printer the sheet goes to a PDF: offered in the folder the
    // last file was saved in or opened from, as the save dialogs do.
    if (QPrinterInfo::defaultPrinter().isNull() && printer.outputFileName().isEmpty()) {
        printer.setOutputFileName(QDir(LastFolder()).filePath(printer.docName() + QStringLiteral(".pdf")));
    }
    QPrintDialog dialog(&printer, over);
    // One page: no range to choose. Printing to a file gives the PDF.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void StandardPrintDialog::Tell(QWidget* over, const QString& message) {
    QMessageBox box(QMessageBox::Information, over ? over->windowTitle() : QString(), message, QMessageBox::Ok, over);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

void PrintSheetOf(QWidget* over, PrintDialog& dialog, const Design& design, NumberFormat format,
                  std::optional<sheet::ModelFigures> model) {
    sheet::SheetContent content{design, {}, format, std::move(model)};
    try {
        content.cutList = MakeCutList(design, format);
    } catch (const CutListError& error) {
        dialog.Tell(over, QString::fromUtf8(error.what()));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(sheet::SheetDocumentName(design));
    printer.setPageOrientation(QPageLayout::Portrait);
    const double margin = sheet::kSheetMarginMm;
    printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
    if (!dialog.Ask(over, printer)) return;
    if (!sheet::PrintSheet(printer, content)) {
        dialog.Tell(over, QStringLiteral("The sheet could not be printed: the printer did not start."));
    }
}

}  // namespace corvanta::ui
