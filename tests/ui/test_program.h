#pragma once

#include <QLabel>
#include <QList>
#include <QPrinter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cerrno>
#include <optional>

#include "core/whole_file.h"
#include "ui/error_reporter.h"
#include "ui/file_dialog.h"
#include "ui/launcher.h"
#include "ui/main_window.h"
#include "ui/model_memory.h"
#include "ui/model_window.h"
#include "ui/notes_window.h"
#include "ui/print_dialog.h"
#include "ui/record_binding.h"
#include "ui/secondary_window.h"
#include "ui/website_window.h"

namespace corvanta::ui::testing {

// The offscreen platform cannot raise windows or pass on size hints, and
// says so each time: those lines are dropped, every other message kept.
inline void QuietOffscreenPlatform() {
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.contains(QLatin1String("does not support raise()")) &&
            !message.contains(QLatin1String("does not support propagateSizeHints()"))) {
            previous(type, context, message);
        }
    });
}

// Records failures instead of opening a modal box that would block a test.
class RecordingReporter final : public ErrorReporter {
public:
    void Report(QWidget* over, const Failure& failure) override {
        failures.append(failure);
        windows.append(over);
    }
    QList<Failure> failures;
    QList<QWidget*> windows;
};

// Records the command lines instead of starting anything.
class RecordingLauncher final : public Launcher {
public:
    std::optional<LaunchFailure> Start(const QString& commandLine, int showState) override {
        commands.append(commandLine);
        showStates.append(showState);
        return failure;
    }
    QStringList commands;
    QList<int> showStates;
    std::optional<LaunchFailure> failure;
};

// Stands in for the print dialog: records what it was asked to print and
// what it was told, and "prints" to a PDF file when one is set (else the
// user cancels).
class RecordingPrintDialog final : public PrintDialog {
public:
    bool Ask(QWidget* /*over*/, QPrinter& printer) override {
        asked.append(printer.docName());
        if (pdfPath.isEmpty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return true;
    }
    void Tell(QWidget* /*over*/, const QString& message) override { told.append(message); }
    QStringList asked;
    QStringList told;
    QString pdfPath;
};

// Answers the save dialog with a path set beforehand, and records the asks.
class RecordingFileDialog final : public FileDialog {
public:
    SaveTarget AskSave(QWidget* /*over*/, const QString& title, const QString& suggestedName,
                       const QStringList& filters) override {
        titles.append(title);
        suggestedNames.append(suggestedName);
        offered.append(filters);
        return answer;
    }
    QString AskOpen(QWidget* /*over*/, const QString& title, const QStringList& filters) override {
        titles.append(title);
        offered.append(filters);
        return openAnswer;
    }
    SaveTarget answer;
    QString openAnswer;
    QStringList titles, suggestedNames;
    QList<QStringList> offered;
};

// Answers the build record's questions with answers set beforehand, and
// records the asks: unsaved changes are discarded unless a test says.
class RecordingRecordQuestions final : public RecordQuestions {
public:
    Unsaved AskUnsaved(QWidget* /*over*/, const QString& name) override {
        unsavedAsks.append(name);
        return unsaved;
    }
    std::optional<QString> AskNote(QWidget* /*over*/, const QString& measurement, const QString& /*note*/) override {
        noteAsks.append(measurement);
        return note;
    }
    Unsaved unsaved = Unsaved::Discard;
    std::optional<QString> note;
    QStringList unsavedAsks, noteAsks;
};

// The window's file writes through the system, or failing at the nth write
// with `error` (a full disk) once a test asks.
class FailingFileCalls final : public FileCalls {
public:
    ssize_t Write(int fd, const char* bytes, std::size_t size) override {
        if (failAt > 0 && ++writes == failAt) {
            errno = error;
            return -1;
        }
        return FileCalls::Write(fd, bytes, size);
    }
    int failAt = 0;  // 0: never
    int writes = 0;
    int error = ENOSPC;
};

// What the program keeps for its whole run, with the recorders standing in
// for the message box and the launcher.
struct TestProgram {
    RecordingReporter reporter;
    RecordingLauncher launcher;
    RecordingPrintDialog printDialog;
    SecondaryWindow notes{BuildNotesWindow};
    SecondaryWindow website{[this] { return BuildWebsiteWindow(launcher, reporter); }};
    RecordingFileDialog files;
    RecordingRecordQuestions recordQuestions;
    FailingFileCalls fileCalls;
    // Tests that open the model window choose their engine first.
    ModelEngine engine{"nec2c-chosen-by-no-test", 0, {}};
    // The model window's memory for the run; the feed's defaults are not
    // kept between tests.
    ModelMemory modelMemory;
    SecondaryWindow model{[this] {
        auto* window = new ModelWindow(files, engine);
        window->setMemory(&modelMemory);
        window->setPrintDialog(&printDialog);
        window->setFileCalls(&fileCalls);
        (new RecordBinding(*window, files))->setQuestions(&recordQuestions);
        return window;
    }};

    MainWindow* NewMainWindow(NumberFormat format = {}) {
        return new MainWindow(reporter, notes, website, model, printDialog, format);
    }
    ModelWindow* Model() const { return qobject_cast<ModelWindow*>(model.Window()); }

    // Three sides chosen in `window` and its picture clicked: the model
    // window opens on that design and starts its check.
    static void OpenModel(MainWindow& window) {
        QTest::mouseClick(window.findChild<QRadioButton*>(QStringLiteral("Option1")), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QLabel*>(QStringLiteral("Picture1")), Qt::LeftButton);
    }
    // Whether the model window's run, if one goes, ends within `limitMs`.
    bool RunEnded(int limitMs) const {
        if (!Model()->isRunning()) return true;
        return QSignalSpy(Model(), &ModelWindow::runEnded).wait(limitMs);
    }
};

}  // namespace corvanta::ui::testing
