#include "ui/file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace corvanta::ui {

namespace {

// The same folder as last time within a run, saving or opening; the home
// folder first.
QString& Folder() {
    static QString folder = QDir::homePath();
    return folder;
}

}  // namespace

QString LastFolder() { return Folder(); }

SaveTarget StandardFileDialog::AskSave(QWidget* over, const QString& title, const QString& suggestedName,
                                       const QStringList& filters) {
    QString& folder = Folder();
    QString chosenFilter = filters.value(0);
    SaveTarget target;
    target.path = QFileDialog::getSaveFileName(over, title, QDir(folder).filePath(suggestedName),
                                               filters.join(QStringLiteral(";;")), &chosenFilter);
    target.filter = std::max(0, static_cast<int>(filters.indexOf(chosenFilter)));
    if (!target.path.isEmpty()) folder = QFileInfo(target.path).absolutePath();
    return target;
}

QString StandardFileDialog::AskOpen(QWidget* over, const QString& title, const QStringList& filters) {
    const QString path = QFileDialog::getOpenFileName(over, title, Folder(), filters.join(QStringLiteral(";;")));
    if (!path.isEmpty()) Folder() = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace corvanta::ui
