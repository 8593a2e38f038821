#pragma once

// The MODEL CHECK window: the design the main window would compute now,
// modelled with the NEC-2 engine.
//
// The path of a run: run() reads the main window's sheet and computes on a
// copy (DesignOfSheet), plans the model on the GUI thread (a bad height or
// a conductor too thick is told at once, and the deck can be saved without
// an engine), then starts a CheckJob, which runs nec::RunCheck on a thread
// of its own. The job passes on the frequencies done as each engine's run
// ends; they move the progress bar. Stop asks the job to stop; a new run,
// closing the window and quitting kill it (stop and wait): the engines'
// process groups are killed within milliseconds. The outcome, a check or
// one of the model library's failures, is worded in this window
// (FailureWords): nothing here ends the program.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/whole_file.h"
#include "nec/cut_history.h"
#include "nec/model_check.h"
#include "plot/sweep_plot.h"
#include "sheet/build_sheet.h"
#include "ui/design_source.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QToolButton;

namespace corvanta::ui {

class CheckJob;
class MeasurementJob;
class DeviceJob;
class DecimalBox;
class FeedBox;
class FileDialog;
class LineStubDialog;
class SecondaryWindow;
class PlotView;
class LoopViewPage;
class PrintDialog;
class SweepBox;

// Which engine the window runs, and how.
struct ModelEngine {
    std::string program = "nec2c";         // a path, or a name found on PATH
    int jobs = 0;                          // engines side by side; 0: one a core
    std::optional<double> timeoutSeconds;  // none: the library's default
};

class ModelMemory;
struct ModelWindowState;

class ModelWindow : public QWidget {
    Q_OBJECT
public:
    explicit ModelWindow(FileDialog& files, ModelEngine engine = {}, QWidget* parent = nullptr);
    // Where Ctrl+P sends the build sheet of the checked design; without one
    // Ctrl+P does nothing.
    void setPrintDialog(PrintDialog* dialog) { printDialog_ = dialog; }
    ~ModelWindow() override;

    // Where run() reads the texts: the main window's sheet, while it is open.
    void setSource(const DesignSource* source);
    // The same, a source a build record can type its design into.
    void setSource(DesignEntry* source);
    // That source while it lives; null without one.
    DesignEntry* entry() const { return sourceObject_ ? entry_ : nullptr; }

    // The set-up as the window holds it: the ground and height and the
    // feed as the boxes show them, the lines from the gaps to their
    // junction and the reference (the library's defaults unless a record
    // gave others), the lengths as cut. What a build record keeps.
    nec::CheckSetup setup() const;
    // Shows a set-up: the ground, the height, the feed; keeps the lines and
    // the reference. The lengths as cut come with a measurement.
    void setSetup(const nec::CheckSetup& setup);

    // The ground and the height, as the boxes show them.
    nec::Placement placement() const;
    void setPlacement(const nec::Placement& placement);

    // The measurement laid beside every check: as Load measurement would
    // lay it, measured on `model`'s loop cut to `built` (none: the model's
    // own lengths). None clears it. The next run compares it.
    void setMeasurement(const std::optional<nec::OnePortSweep>& sweep, const QString& name, const nec::LoopModel& model,
                        const std::optional<nec::BuiltLengths>& built);
    // The lengths the measured loop was cut to, where the boxes differ from
    // the design's; none without a measurement.
    std::optional<nec::BuiltLengths> builtLengths() const;

    // A control of a part that lives beside the window (the build record's
    // menu): placed before Run, and in the Tab order there.
    void addControl(QWidget* control);
    // The system calls every file this window and its parts save goes
    // through (core/whole_file.h); null: the system's. A test fails one.
    void setFileCalls(FileCalls* calls) { fileCalls_ = calls; }
    FileCalls* fileCalls() const { return fileCalls_; }
    // Asked before the window closes: false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // The status line, for such a part: what became of its action.
    void tell(const QString& message, bool problem) { showStatus(message, problem); }

    // What the window keeps for the program's run: the state it closed
    // with comes back now, else the feed's defaults; closing keeps the
    // state there again. Null: nothing is kept.
    void setMemory(ModelMemory* memory);
    // The feed, the sweep, the match, the measurement and the lengths as
    // cut, as the window holds them; and shown again.
    ModelWindowState state() const;
    void setState(const ModelWindowState& state);

    bool isRunning() const;
    // Whether a measurement is being read or compared off the GUI thread.
    bool isMeasuring() const;
    // The last check that ran to its end, for the save buttons, with the
    // measurement laid beside it when one is loaded.
    const std::optional<nec::ModelCheck>& Check() const { return check_; }

    // The feed as the Feed box and the match choice stand: the chain to the
    // radio, the port, the match; the band as last set.
    nec::FeedOptions feedOptions() const;
    // Shows `feed` in the Feed box and the match choice, and reads the
    // check on show through it.
    void setFeedOptions(const nec::FeedOptions& feed);

public slots:
    // Checks the source's design as its texts stand now; a run in progress
    // is stopped first.
    void run();
    // Stops the engines at once.
    void stop();

signals:
    // A run ended: checked, stopped or failed.
    void runEnded();
    // Load measurement read a file that the check could take: its name and
    // its text as read.
    void measurementLoaded(const QString& name, const QByteArray& text);
    // Load measurement or Measure came to its end: loaded, refused or stopped.
    void measurementEnded();
    // The set-up a build record keeps changed, however the edit was
    // committed: a choice, a box left with Tab or Enter, the feed.
    void setupChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A file type a save button offers: the dialog's filter, the suffix,
    // and what writes the file at a path (empty when written, else why not).
    struct SaveType {
        QString filter;
        QString suffix;
        std::function<QString(const QString& path)> write;
    };

    void buildControls();
    void groundChosen();
    void heightEdited();
    // The lines' velocity factor as the box holds it now, when it changed:
    // kept for the set-up and told; false when it had not changed.
    bool linesVelocityTaken();
    // Line stub: the dialog that reads the lines' velocity factor from a
    // stub's sweep; its Use enters it here as measured.
    void openLineStub();
    void useMeasuredVelocity(double velocityFactor);
    void showProgress(int done, int total);
    void runFinished();
    void showStatus(const QString& message, bool problem = false);
    void showProblem(const QString& message);
    void clearResults();
    void updateButtons();
    QWidget* plotPage(PlotView* view, const char* readoutName, QWidget* beside = nullptr);
    void addSmithTab();
    // The source while it lives; null before one is set and after it goes.
    const DesignSource* source() const { return sourceObject_ ? source_ : nullptr; }
    void saveDeck();
    void saveReport();
    void savePlot();
    void saveTouchstone();
    void loadMeasurement();
    // Sweeps the analyser the chooser names over the check's sweep, off the
    // GUI thread; the sweep is then taken in as a loaded file is.
    void measure();
    void deviceJobEnded();
    void clearMeasurement();
    // Lays the kept measurement over the check that has just run, with the
    // lengths as cut from the boxes; a measurement of another design stays
    // on the plot without a trim.
    void compareMeasurement();
    // The check on show read again with the feed, the lengths as cut and
    // the measurement as they stand now; no engine runs.
    void rereadCheck();
    // The measurement laid beside the check on show, a measurement of
    // another design without its trim.
    // Runs `job`, a load when `loads`, else a comparison of the kept
    // measurement with the check on show.
    void startMeasurementJob(std::unique_ptr<MeasurementJob> job, bool loads);
    void measurementJobEnded();
    // What Load measurement says of the measurement now on show, after
    // `opening` when given (else what was loaded).
    void tellLoaded(const QString& opening = {});
    // Keeps the measurement on show among the session's sweeps: a new one
    // when `added`, else as the last one with the lengths as cut now.
    void keepSessionSweep(bool added);
    // The session's sweeps in a sentence, a space first: the MHz per 1 %
    // and the next cut, or why not; empty before two sweeps resonate.
    QString sessionWords() const;
    // Whether the lengths as cut the boxes hold may be compared; refused
    // ones are told and put back.
    bool builtLengthsTaken();
    void showCheck();
    // Marks the results on show as those of the last check while a run
    // goes, or after one that stopped or failed; clears the mark when
    // fresh ones arrive.
    void markResults(const QString& why);
    // A text of the model library as a person reads it here: with the main
    // window's separator.
    QString Regional(const QString& text) const;
    // Enter in any control: the height as typed, then a check.
    void runFromKeys();
    void printSheet();
    void showHelp();
    // The Feed box or the match choice changed: the check on show is read
    // again through the new feed, without the engine.
    void feedChanged();
    // The curves of the SWR plot to show or hide, for the check on show.
    void listCurves();
    // Asks where, with `name` as the offer and `types` to choose from,
    // writes it, and says what became of it.
    void save(const QString& title, const QString& name, const std::vector<SaveType>& types);

    FileDialog& files_;
    FileCalls* fileCalls_ = nullptr;
    ModelEngine engine_;
    // The source and the object it is, which tells when it goes.
    const DesignSource* source_ = nullptr;
    DesignEntry* entry_ = nullptr;
    QPointer<const QObject> sourceObject_;

    std::unique_ptr<CheckJob> job_;
    // Reads or compares a measurement; `measurementLoads_` when it loads a
    // file (its name `loadingName_`), else it compares the kept one. The
    // check on show changes with each run and each feed: `checkGeneration_`
    // counts them, and a load compared with an older check is compared again.
    std::unique_ptr<MeasurementJob> measurementJob_;
    std::unique_ptr<DeviceJob> deviceJob_;
    // The Touchstone text of the analyser's sweep being taken in.
    QByteArray sweptText_;
    bool measurementLoads_ = false;
    QString loadingName_;
    int checkGeneration_ = 0, measurementGeneration_ = 0;
    QElapsedTimer clock_;
    std::optional<nec::CheckPlan> plan_;
    std::optional<nec::ModelCheck> check_;
    // The design of the check on show and the separator its fields were
    // written with: what Ctrl+P prints.
    std::optional<Design> checkedDesign_;
    std::optional<Design> runningDesign_;
    // How they were run: a measurement taken in later runs the other
    // shape's model the same way.
    nec::CheckOptions checkedOptions_, runningOptions_;
    NumberFormat format_;  // the main window's separator
    NumberFormat checkedFormat_, runningFormat_;
    PrintDialog* printDialog_ = nullptr;
    double lastHeightM_ = 0;

    QLabel* design_ = nullptr;
    QComboBox* ground_ = nullptr;
    DecimalBox* height_ = nullptr;
    // The lines from the gaps to their junction: their velocity factor,
    // and whether it was measured apart (a stub's), which a measurement's
    // fit then holds. The set-up keeps the number as given, beyond the
    // box's decimals, until the box is changed.
    DecimalBox* linesVelocity_ = nullptr;
    double lastLinesVelocity_ = 0;
    QCheckBox* linesMeasured_ = nullptr;
    QPushButton* lineStub_ = nullptr;
    QPointer<LineStubDialog> stubDialog_;
    QPushButton* runButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* resultsMark_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTextBrowser* figures_ = nullptr;
    PlotView* sweepPlot_ = nullptr;
    PlotView* patternPlot_ = nullptr;
    PlotView* smithPlot_ = nullptr;
    LoopViewPage* loopView_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QPushButton* saveDeck_ = nullptr;
    QPushButton* saveReport_ = nullptr;
    QPushButton* savePlot_ = nullptr;
    QPushButton* saveTouchstone_ = nullptr;
    QPushButton* loadMeasurement_ = nullptr;
    QPushButton* measure_ = nullptr;
    QComboBox* analyser_ = nullptr;  // the analyser's device file, remembered
    QPushButton* clearMeasurement_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* close_ = nullptr;
    // The measurement loaded, kept through every run until cleared, and the
    // design it was loaded for.
    std::optional<nec::OnePortSweep> measuredSweep_;
    QString measuredName_;
    std::optional<nec::LoopModel> measuredDesign_;
    // Every sweep of the session with the lengths it was cut to and its
    // measured resonance: from two, the measured MHz per 1 % and the next cut.
    // None for a sweep that shows no resonance of this loop.
    std::vector<std::optional<nec::CutSweep>> sessionSweeps_;
    // The lengths the measured loop was cut to, in millimetres.
    DecimalBox* builtHeight_ = nullptr;
    // What the boxes held when the measurement was last compared: a typed
    // length that makes them no loop of this design goes back to these.
    std::optional<nec::BuiltLengths> keptBuilt_;
    DecimalBox* builtSide_ = nullptr;
    DecimalBox* builtGap_ = nullptr;
    FeedBox* feed_ = nullptr;
    SweepBox* sweep_ = nullptr;
    QCheckBox* match_ = nullptr;
    QToolButton* curves_ = nullptr;
    // The SWR plot's curves the user hid; they stay hidden through runs.
    plot::HiddenCurves hiddenCurves_;
    // What setFeedOptions gave beyond the box: the band.
    nec::FeedOptions keptFeed_;
    // The lines and the reference a record gave; the rest of the set-up is
    // in the boxes.
    nec::CheckSetup kept_;
    std::function<bool()> closeGuard_;
    ModelMemory* memory_ = nullptr;
    QHBoxLayout* controls_ = nullptr;  // ground, height, Run and Stop
};

// What the main window prints of the model: the figures and plot of the
// model window's last check when it is of the design being printed.
std::function<std::optional<sheet::ModelFigures>(const Design&)> SheetFiguresFrom(const SecondaryWindow& model,
                                                                                  const DesignSource& main);

}  // namespace corvanta::ui
