#include "ui/record_binding.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

#include "core/field_conversion.h"
#include "core/run_time_error.h"
#include "core/whole_file.h"
#include "nec/built_lengths.h"
#include "nec/model_check.h"
#include "nec/outside_file.h"
#include "ui/error_reporter.h"
#include "ui/failure_words.h"
#include "ui/file_dialog.h"
#include "ui/design_source.h"
#include "ui/model_window.h"
#include "ui/secondary_window.h"

namespace corvanta::ui {

namespace {

const QString kRecentKey = QStringLiteral("records/recent");
const QString kSuffix = QStringLiteral("corvanta");

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A field's text as the record keeps it: with the point.
std::string WithPointText(std::string text, NumberFormat format) {
    std::replace(text.begin(), text.end(), format.decimalSeparator, '.');
    return text;
}

// The program's own settings, whatever the application object was told.
QSettings Settings() { return QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta")); }
QStringList Recent() { return Settings().value(kRecentKey).toStringList(); }
void SetRecent(const QStringList& paths) { Settings().setValue(kRecentKey, paths); }

// A design that does not compute, its fields named as the record names them.
QString DesignFailure(const RunTimeError& error) {
    return Text(FailureText(error, [](Field field) {
        return std::string(field == Field::Frequency ? "design.frequency" : "design.conductor.text");
    }));
}

// Asks before the main window closes, since the model window, which holds
// the record, goes with it.
class AskBeforeClosingFilter final : public QObject {
public:
    AskBeforeClosingFilter(QObject* parent, const SecondaryWindow& model) : QObject(parent), model_(model) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            RecordBinding* record = RecordBinding::Of(model_.Window());
            if (record && !record->mayClose()) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const SecondaryWindow& model_;
};

}  // namespace

void AskBeforeClosing(QWidget* main, const SecondaryWindow& model) {
    main->installEventFilter(new AskBeforeClosingFilter(main, model));
}

RecordQuestions::Unsaved StandardRecordQuestions::AskUnsaved(QWidget* over, const QString& name) {
    QMessageBox box(QMessageBox::Warning, over ? over->windowTitle() : QString(),
                    QStringLiteral("The record %1 has changes that are not saved.").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, over);
    box.setInformativeText(QStringLiteral("Save them in the record?"));
    box.setDefaultButton(QMessageBox::Save);
    box.setWindowModality(Qt::WindowModal);
    switch (box.exec()) {
        case QMessageBox::Save:
            return Unsaved::Save;
        case QMessageBox::Discard:
            return Unsaved::Discard;
        default:
            return Unsaved::Cancel;
    }
}

std::optional<QString> StandardRecordQuestions::AskNote(QWidget* over, const QString& measurement,
                                                        const QString& note) {
    bool ok = false;
    const QString text = QInputDialog::getMultiLineText(over, QStringLiteral("Note on the measurement"),
                                                        QStringLiteral("Note on %1:").arg(measurement), note, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

nec::BuildRecord RecordOfWindows(const DesignSource& main, const ModelWindow& model, nec::BuildRecord base) {
    nec::BuildRecord record = std::move(base);
    const DesignSheet& sheet = main.Sheet();
    const std::string frequency = WithPointText(sheet.Read(Field::Frequency), main.Format());
    const std::string mm = WithPointText(sheet.Read(Field::DiameterMm), main.Format());
    if (sheet.Side() != SideChoice::None) record.design.sides = sheet.Side();
    // The conductor as it was typed while the sheet still holds the design
    // it gave; else none, while ACCEPT's own conductor stands; else the
    // millimetres, which COMPUTE reads.
    const DesignRequest candidates[] = {record.design,
                                        {frequency, record.design.sides, std::nullopt},
                                        {frequency, record.design.sides, SizeInput{SizeUnit::Mm, mm}}};
    DesignRequest kept = candidates[2];
    for (const DesignRequest& candidate : candidates) {
        try {
            const Design typed = RunDesign(candidate);
            if (typed.Text(Field::Frequency) == frequency && typed.Text(Field::DiameterMm) == mm) {
                kept = candidate;
                break;
            }
        } catch (const RunTimeError&) {}
    }
    record.design = kept;
    record.Setup() = model.setup();
    // The boxes hold the lengths the loop was cut to for the last sweep;
    // the sweeps before it keep theirs.
    if (!record.measurements.empty()) record.measurements.back().asBuilt = record.asBuilt;
    return record;
}

RecordBinding::RecordBinding(ModelWindow& window, FileDialog& files)
    : QObject(&window), window_(window), files_(files) {
    // Every letter of the window is another control's mnemonic.
    button_ = new QPushButton(QStringLiteral("Build record (&9)"), &window);
    button_->setObjectName(QStringLiteral("buildRecord"));
    button_->setAccessibleName(QStringLiteral("Build record"));
    button_->setToolTip(
        QStringLiteral("Keep the design, the feed, the lengths as cut and the measurements in one file, "
                       "and open them again"));
    button_->setAutoDefault(false);
    menu_ = new QMenu(button_);
    menu_->setObjectName(QStringLiteral("recordMenu"));
    // Save writes over the record on show, as any document is saved; it
    // asks where only for a record that has no file yet.
    QAction* save = menu_->addAction(QStringLiteral("&Save record"), this, [this] { this->save(false); });
    save->setObjectName(QStringLiteral("saveRecord"));
    save->setShortcut(QKeySequence::Save);
    QAction* saveAs = menu_->addAction(QStringLiteral("Save record &as\u2026"), this, [this] { this->save(); });
    saveAs->setObjectName(QStringLiteral("saveRecordAs"));
    // Named, not the platform's: a desktop without a theme has no Save As key.
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QAction* open = menu_->addAction(QStringLiteral("&Open record\u2026"), this, &RecordBinding::open);
    open->setObjectName(QStringLiteral("openRecord"));
    open->setShortcut(QKeySequence::Open);
    recent_ = menu_->addMenu(QStringLiteral("&Recent records"));
    recent_->setObjectName(QStringLiteral("recentRecords"));
    connect(recent_, &QMenu::aboutToShow, this, &RecordBinding::fillRecent);
    fillRecent();
    menu_->addSeparator();
    QAction* note =
        menu_->addAction(QStringLiteral("&Note on the last measurement\u2026"), this, &RecordBinding::editNote);
    note->setObjectName(QStringLiteral("noteRecord"));
    // The shortcuts work wherever the window has the focus.
    window.addAction(save);
    window.addAction(saveAs);
    window.addAction(open);
    button_->setMenu(menu_);
    window.addControl(button_);
    window.setCloseGuard([this] { return mayClose(); });
    connect(this, &RecordBinding::told, &window, &ModelWindow::tell);

    connect(&window, &ModelWindow::runEnded, this, &RecordBinding::updateTitle);
    connect(&window, &ModelWindow::setupChanged, this, &RecordBinding::updateTitle);
    connect(&window, &ModelWindow::measurementEnded, this, &RecordBinding::updateTitle);
    connect(&window, &ModelWindow::measurementLoaded, this, [this](const QString& name, const QByteArray& text) {
        base_.measurements.push_back({name.toStdString(), nec::UtcNow(), "", text.toStdString(), nec::Json::object()});
        updateTitle();
    });
}

RecordBinding::~RecordBinding() = default;

RecordBinding* RecordBinding::Of(const QWidget* window) {
    return window ? window->findChild<RecordBinding*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QString RecordBinding::name() const { return QFileInfo(path_).fileName(); }

bool RecordBinding::isModified() const {
    const DesignSource* main = window_.entry();
    if (!saved_ || !main) return false;
    return !nec::ChangedParts(RecordOfWindows(*main, window_, base_), saved_).empty();
}

void RecordBinding::updateTitle() {
    window_.setWindowTitle(path_.isEmpty() ? QStringLiteral("MODEL CHECK")
                                           : QStringLiteral("MODEL CHECK \u2014 %1[*]").arg(name()));
    window_.setWindowModified(isModified());
}

void RecordBinding::remember(const QString& path) {
    QStringList paths = Recent();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    while (paths.size() > kMostRecentRecords) paths.removeLast();
    SetRecent(paths);
}

void RecordBinding::fillRecent() {
    recent_->clear();
    const QStringList paths = Recent();
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        QAction* action = recent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        connect(action, &QAction::triggered, this, [this, path] { openPath(path); });
    }
    if (paths.isEmpty()) recent_->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
}

bool RecordBinding::save(bool ask) {
    const DesignSource* main = window_.entry();
    if (!main) {
        emit told(QStringLiteral("The main window is closed: there is no design to keep."), true);
        return false;
    }
    if (main->Sheet().Side() == SideChoice::None) {
        emit told(NoSidesMessage(), true);
        return false;
    }
    const nec::BuildRecord record = nec::Stamped(RecordOfWindows(*main, window_, base_), saved_, nec::UtcNow());
    // A record keeps a design that computes, or it could not be opened.
    try {
        RunDesign(record.design);
    } catch (const RunTimeError& error) {
        emit told(QStringLiteral("The record was not saved: the design does not compute: %1").arg(DesignFailure(error)),
                  true);
        return false;
    }
    QString path = path_;
    if (ask || path.isEmpty()) {
        const QString offer =
            path_.isEmpty()
                ? QStringLiteral("corvanta-%1-%2.%3")
                      .arg(Text(record.design.frequency),
                           record.design.sides == SideChoice::Four ? QStringLiteral("four") : QStringLiteral("three"),
                           kSuffix)
                : path_;
        const SaveTarget target = files_.AskSave(&window_, QStringLiteral("Save record"), offer,
                                                 {QStringLiteral("Build record (*.corvanta)")});
        if (target.path.isEmpty()) return false;
        path = target.path;
        if (QFileInfo(path).suffix().toLower() != kSuffix) path += QLatin1Char('.') + kSuffix;
    }
    // Whole or not at all: a full disk leaves the record as it was, and the
    // window keeps its changes (and closing asks again).
    WholeFileOptions options;
    options.calls = window_.fileCalls();
    if (const auto failed = WriteWholeFile(path.toStdString(), nec::RecordText(record), options)) {
        emit told(QStringLiteral("The record was not saved: could not write %1: %2. The window keeps the changes.")
                      .arg(path, Text(*failed)),
                  true);
        return false;
    }
    base_ = record;
    saved_ = record;
    path_ = path;
    remember(path);
    updateTitle();
    emit told(QStringLiteral("Saved the record %1").arg(path), false);
    return true;
}

void RecordBinding::open() {
    const QString path = files_.AskOpen(&window_, QStringLiteral("Open record"),
                                        {QStringLiteral("Build record (*.corvanta)"), QStringLiteral("All files (*)")});
    if (!path.isEmpty()) openPath(path);
}

bool RecordBinding::openPath(const QString& path) {
    const QString shown = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path)) {
        QStringList paths = Recent();
        if (paths.removeAll(QFileInfo(path).absoluteFilePath()) > 0) {
            SetRecent(paths);
            emit told(QStringLiteral("%1 is no longer there; it was taken off the recent records.").arg(path), true);
        } else {
            emit told(QStringLiteral("%1 is not there.").arg(path), true);
        }
        return false;
    }
    DesignEntry* main = window_.entry();
    if (!main) {
        emit told(QStringLiteral("The main window is closed: there are no fields to type the record's design into."),
                  true);
        return false;
    }
    // The changes on show first: the record opened would replace them.
    if (!mayClose()) return false;
    discarded_ = false;
    // Everything is judged before anything changes. The record is read on
    // this thread, bounded (a folder, a device, a pipe or a file over the
    // limit is refused before a byte is read); the measurement it holds is
    // compared with each check off it, as Load measurement does.
    nec::BuildRecord record;
    std::optional<nec::CheckPlan> plan;
    std::optional<nec::OnePortSweep> sweep;
    try {
        record = nec::ReadRecord(nec::ReadOutsideFile(path.toStdString()));
        plan = nec::PlanCheck(RunDesign(record.design), nec::RecordCheckOptions(record));
        sweep = nec::LastMeasurement(record);
    } catch (const nec::Failure& failure) {
        const bool damaged = failure.Kind() == nec::FailureKind::Record ||
                             failure.Kind() == nec::FailureKind::RecordNewer ||
                             failure.Kind() == nec::FailureKind::File;
        emit told(damaged ? FailureWords(failure, shown)
                          : QStringLiteral("%1 was not opened: %2").arg(shown, FailureWords(failure)),
                  true);
        return false;
    } catch (const RunTimeError& error) {
        emit told(
            QStringLiteral("%1 was not opened: its design no longer computes: %2").arg(shown, DesignFailure(error)),
            true);
        return false;
    }
    main->Enter(record.design);
    window_.setSetup(record);
    window_.setMeasurement(sweep, record.measurements.empty() ? QString() : Text(record.measurements.back().file),
                           plan->model, record.asBuilt);
    base_ = record;
    saved_ = record;
    path_ = path;
    remember(path);
    updateTitle();
    window_.run();
    // Lengths new input would be refused with still open: what was saved
    // stays readable, and the check says why it gives no trim.
    if (record.asBuilt) {
        const nec::LoopModel& model = plan->model;
        if (const auto refused = nec::JudgeBuiltLengths(*record.asBuilt, {model.heightMm, model.sideMm, model.gapMm})) {
            emit told(QStringLiteral("%1: the lengths as cut are not lengths of this design, so the check gives no "
                                     "trim: %2.")
                          .arg(shown, QString::fromStdString(nec::Describe(*refused))),
                      true);
        }
    }
    return true;
}

bool RecordBinding::mayClose() {
    if (discarded_ || !isModified()) return true;
    switch (questions_->AskUnsaved(&window_, name())) {
        case RecordQuestions::Unsaved::Save:
            return save(false);
        case RecordQuestions::Unsaved::Discard:
            discarded_ = true;
            return true;
        case RecordQuestions::Unsaved::Cancel:
            break;
    }
    return false;
}

void RecordBinding::editNote() {
    if (base_.measurements.empty()) {
        emit told(QStringLiteral("There is no measurement to write a note on: load one first."), true);
        return;
    }
    nec::RecordMeasurement& last = base_.measurements.back();
    const auto note = questions_->AskNote(&window_, Text(last.file), Text(last.note));
    if (!note) return;
    last.note = note->toStdString();
    updateTitle();
}

}  // namespace corvanta::ui
