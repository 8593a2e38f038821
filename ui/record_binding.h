#pragma once

// The MODEL CHECK window's build record: the Build record menu (Save
// record…, Open record…, the recent ones, a note on the last measurement),
// the file the window's state goes to and comes from, the title that names
// it and the question before changes are lost.
//
// Opening reads the whole record first (a damaged one, or one whose design
// no longer computes or cannot be modelled, is told and changes nothing),
// then types its design into the main window as a user would (ACCEPT, the
// CHANGE under the conductor's box, the side, COMPUTE), sets the ground,
// the lines, the feed, the measurement and the lengths as cut, and runs
// the check. Saving writes the window's state over the record it came from:
// its history and the members this program does not know stay.

#include <QObject>
#include <QString>
#include <optional>

#include "nec/build_record.h"

class QMenu;
class QPushButton;
class QWidget;

namespace corvanta::ui {

class DesignSource;
class FileDialog;
class ModelWindow;
class SecondaryWindow;

// What the record asks the user; a test answers instead of a modal box.
class RecordQuestions {
public:
    enum class Unsaved { Save, Discard, Cancel };
    virtual ~RecordQuestions() = default;
    // The record `name` has changes not saved: what becomes of them.
    virtual Unsaved AskUnsaved(QWidget* over, const QString& name) = 0;
    // The builder's note on a measurement; none when cancelled.
    virtual std::optional<QString> AskNote(QWidget* over, const QString& measurement, const QString& note) = 0;
};

// The desktop's message box and input dialog.
class StandardRecordQuestions final : public RecordQuestions {
public:
    Unsaved AskUnsaved(QWidget* over, const QString& name) override;
    std::optional<QString> AskNote(QWidget* over, const QString& measurement, const QString& note) override;
};

// The recent records kept in the settings, newest first, at most this many.
inline constexpr int kMostRecentRecords = 8;

// The record ↔ window mapping, apart from the window: the windows' state
// laid over `base`, the record it was opened from (its history, its
// measurements and the members this program does not know stay). The
// design is the main window's sheet, written with the point: the
// conductor as `base` typed it while the sheet still holds that design,
// else its millimetre text.
nec::BuildRecord RecordOfWindows(const DesignSource& main, const ModelWindow& model, nec::BuildRecord base);

// Closing `main` asks first when the model window holds a record with
// changes not saved: the model window goes with the main window.
void AskBeforeClosing(QWidget* main, const SecondaryWindow& model);

// Lives beside the model window, as its child: its button goes into the
// window's controls, its question before the window closes, and its words
// into the status line.
class RecordBinding : public QObject {
    Q_OBJECT
public:
    RecordBinding(ModelWindow& window, FileDialog& files);
    // The binding of a model window; null where it has none.
    static RecordBinding* Of(const QWidget* window);
    ~RecordBinding() override;

    // The window's Build record button and its menu.
    QPushButton* button() const { return button_; }

    void setQuestions(RecordQuestions* questions) { questions_ = questions; }

    // The record on show; empty before one was opened or saved.
    const QString& path() const { return path_; }
    // Whether the windows hold changes the record on show does not.
    bool isModified() const;

    // Asks where and saves; saves over the record on show with `ask` false.
    bool save(bool ask = true);
    // Asks which record and opens it; a file of the recent list.
    void open();
    bool openPath(const QString& path);
    // Before the window closes: true when it may, after the question where
    // changes would be lost.
    bool mayClose();
    // A note on the last measurement, asked for.
    void editNote();

signals:
    // What became of an action, for the window's status line.
    void told(const QString& message, bool problem);

private:
    void updateTitle();
    void remember(const QString& path);
    void fillRecent();
    QString name() const;

    ModelWindow& window_;
    FileDialog& files_;
    StandardRecordQuestions standard_;
    RecordQuestions* questions_ = &standard_;
    QPushButton* button_ = nullptr;
    QMenu* menu_ = nullptr;
    QMenu* recent_ = nullptr;
    QString path_;
    // What the windows' state is laid over: the record opened, with the
    // measurements loaded and the notes written since; and the record as
    // it was opened or last saved.
    nec::BuildRecord base_;
    std::optional<nec::BuildRecord> saved_;
    bool discarded_ = false;
};

}  // namespace corvanta::ui
