#include "ui/file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace corvanta::ui {

SaveTarget StandardFileDialog::AskSave(QWidget* over, const QString& title,
                                       const QString& suggestedName, const QStringList& filters) {
    // The same folder as last time within a run; the home folder first.
    static QString folder = QDir::homePath();
    QString chosenFilter = filters.value(0);
    SaveTarget target;
    target.path = QFileDialog::getSaveFileName(over, title, QDir(folder).filePath(suggestedName),
                                               filters.join(QStringLiteral(";;")), &chosenFilter);
    target.filter = std::max(0, static_cast<int>(filters.indexOf(chosenFilter)));
    if (!target.path.isEmpty()) folder = QFileInfo(target.path).absolutePath();
    return target;
}

}  // namespace corvanta::ui
