#include "ui/print_dialog.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace corvanta::ui {

bool StandardPrintDialog::Ask(QWidget* over, QPrinter& printer) {
    QPrintDialog dialog(&printer, over);
    // One page: no range to choose. Printing to a file gives the PDF.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void StandardPrintDialog::Tell(QWidget* over, const QString& message) {
    QMessageBox box(QMessageBox::Information, over ? over->windowTitle() : QString(), message,
                    QMessageBox::Ok, over);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

}  // namespace corvanta::ui
