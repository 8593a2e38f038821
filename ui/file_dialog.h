#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace corvanta::ui {

// The file a user chose to save into, and the type they picked for it.
struct SaveTarget {
    QString path;    // empty: the user cancelled
    int filter = 0;  // index into the filters offered
};

// Asks where to save. Injected so that tests answer instead of a modal
// dialog that would block them.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    // filters: "SVG image (*.svg)"...; the first is the one offered first.
    virtual SaveTarget AskSave(QWidget* over, const QString& title, const QString& suggestedName,
                               const QStringList& filters) = 0;
    // Which file to open; empty when the user cancelled.
    virtual QString AskOpen(QWidget* over, const QString& title, const QStringList& filters) = 0;
};

// The folder the standard dialogs last saved into or opened from in this
// run; the home folder first.
QString LastFolder();

// The desktop's standard save dialog.
class StandardFileDialog final : public FileDialog {
public:
    SaveTarget AskSave(QWidget* over, const QString& title, const QString& suggestedName,
                       const QStringList& filters) override;
    QString AskOpen(QWidget* over, const QString& title, const QStringList& filters) override;
};

}  // namespace corvanta::ui
