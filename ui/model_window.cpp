#include "ui/model_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QToolButton>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QComboBox>
#include <QSettings>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QToolTip>
#include <QWhatsThis>
#include <algorithm>

#include "nec/built_lengths.h"
#include "nec/check_limits.h"
#include "nec/check_request.h"
#include "nec/feed_report.h"
#include "nec/report.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"
#include "plot/plot_file.h"
#include "plot/plot_style.h"
#include "sheet/sheet_figures.h"
#include "ui/check_job.h"
#include "ui/measurement_job.h"
#include "ui/device_job.h"
#include "ui/failure_words.h"
#include "ui/feed_box.h"
#include "ui/line_stub_dialog.h"
#include "ui/sweep_box.h"
#include "ui/decimal_box.h"
#include "ui/file_dialog.h"
#include "ui/help_page.h"
#include "ui/model_figures.h"
#include "ui/model_memory.h"
#include "ui/model_terms.h"
#include "ui/print_dialog.h"
#include "ui/secondary_window.h"
#include "ui/loop_view_widget.h"
#include "ui/plot_view.h"
#include "ui/sheet_design.h"

namespace corvanta::ui {

namespace {

// Over ground the loop needs a height; ten metres suits most VHF masts and
// holds every HF loop the calculator designs down to 10 MHz.
constexpr double kStartHeightM = 10;

// Over the results while they are not of the design above them.
const QString kLastResults = QStringLiteral("These results are from the last check.");

// A kept measurement of more points than this is compared again off the
// GUI thread; an analyser's sweep of a few hundred points takes a few
// milliseconds and is compared at once.
constexpr std::size_t kComparedAtOnce = 5000;

// The ground box's items, in order.
constexpr nec::Ground kGrounds[] = {nec::Ground::Free, nec::Ground::Average, nec::Ground::Perfect};

QString Text(const std::string& text) { return QString::fromStdString(text); }

// "corvanta-146-three": what a saved file is called unless the user says.
QString FileStem(const nec::CheckPlan& plan) {
    return QStringLiteral("corvanta-%1-%2")
        .arg(Text(nec::Shortest(plan.model.designMHz)),
             plan.model.sides == 4 ? QStringLiteral("four") : QStringLiteral("three"));
}

// The chosen path with the suffix of its type: a suffix the user typed
// that names one of the offered types wins over the type chosen in the list.
struct Chosen {
    QString path;
    int type;
};
Chosen WithSuffix(const SaveTarget& target, const QStringList& suffixes) {
    const QString typed = QFileInfo(target.path).suffix().toLower();
    const auto index = suffixes.indexOf(typed);
    if (index >= 0) return {target.path, static_cast<int>(index)};
    const int type = std::clamp(target.filter, 0, static_cast<int>(suffixes.size()) - 1);
    return {target.path + QLatin1Char('.') + suffixes.at(type), type};
}

// Writes `text` whole or not at all (core/whole_file.h), through `calls`:
// what a save type's write does for a text.
std::function<QString(const QString&)> Whole(const std::string& text, FileCalls* calls) {
    return [text, calls](const QString& path) {
        WholeFileOptions options;
        options.calls = calls;
        if (const auto failed = WriteWholeFile(path.toStdString(), text, options)) {
            return QStringLiteral("Could not write %1: %2.").arg(path, Text(*failed));
        }
        return QString();
    };
}

// The sheet's plot drawn with the separator of the sheet's other numbers.
sheet::ModelFigures WithPlotSeparator(sheet::ModelFigures figures, NumberFormat format) {
    if (figures.drawPlot) {
        figures.drawPlot = [draw = std::move(figures.drawPlot), format](QPainter& painter, const QRectF& area) {
            const plot::style::DecimalSeparator separator(format);
            draw(painter, area);
        };
    }
    return figures;
}

}  // namespace

ModelWindow::ModelWindow(FileDialog& files, ModelEngine engine, QWidget* parent)
    : QWidget(parent), files_(files), engine_(std::move(engine)), lastHeightM_(kStartHeightM) {
    setObjectName(QStringLiteral("model"));
    setWindowTitle(QStringLiteral("MODEL CHECK"));
    setAccessibleName(QStringLiteral("Model check"));
    buildControls();
    // Large screens show the figures and a plot whole; a small screen, or a
    // large scale factor, gets a window that fits, and the views scroll.
    resize(QSize(1000, 900).boundedTo(screen()->availableSize() * 0.9));

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        // Esc that dismisses a What's This text leaves the window open.
        if (QWhatsThis::inWhatsThisMode()) {
            QWhatsThis::leaveWhatsThisMode();
            return;
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->inherits("QWhatsThat")) {
                QWhatsThis::hideText();
                return;
            }
        }
        close();
    });
    auto* again = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(again, &QShortcut::activated, this, [this] {
        if (!isRunning()) run();
    });
    // Enter in any box runs the check, as the Run button would.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, &ModelWindow::runFromKeys);
    }
    auto* print = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    print->setObjectName(QStringLiteral("PrintSheet"));
    connect(print, &QShortcut::activated, this, &ModelWindow::printSheet);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &ModelWindow::showHelp);
    clearResults();
    updateButtons();
    AddWhatsThis(this);
}

ModelWindow::~ModelWindow() {
    // QWidget's destructor hides the window, and the focus leaving the
    // height box would call this class's slots when it is gone.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    // Quitting mid-run: the engines go with the job, never after it.
    job_.reset();
    measurementJob_.reset();
    deviceJob_.reset();
}

void ModelWindow::buildControls() {
    design_ = new QLabel(this);
    design_->setObjectName(QStringLiteral("design"));
    design_->setAccessibleName(QStringLiteral("Design modelled"));
    design_->setWordWrap(true);
    design_->setTextFormat(Qt::RichText);
    design_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    design_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ground_ = new QComboBox(this);
    ground_->setObjectName(QStringLiteral("ground"));
    ground_->setAccessibleName(QStringLiteral("Ground"));
    for (nec::Ground ground : kGrounds) ground_->addItem(Text(nec::GroundName(ground)));
    ground_->setToolTip(
        QStringLiteral("What lies under the loop: nothing (free space), average soil, or a "
                       "perfect conductor"));
    ground_->setWhatsThis(QStringLiteral(
        "<p><b>Ground</b>: free space models the loop alone, as on a tall mast far above everything. Over "
        "average ground (soil of average conductivity) the ground reflects part of the wave and takes some "
        "power: the pattern gains lobes, the impedance moves a little, and the average gain falls below 1. A "
        "perfect ground reflects all of it.</p>"));
    auto* groundLabel = new QLabel(QStringLiteral("&Ground:"), this);
    groundLabel->setBuddy(ground_);

    height_ = new DecimalBox(this);
    height_->setObjectName(QStringLiteral("height"));
    height_->setAccessibleName(QStringLiteral("Height of the loop's centre above the ground"));
    height_->setAccessibleDescription(QStringLiteral("metres"));
    height_->setDecimals(3);
    height_->setRange(0.001, nec::kHeightM.most);
    height_->setSingleStep(0.5);
    height_->setSuffix(QStringLiteral(" m"));
    height_->setValue(kStartHeightM);
    height_->setKeyboardTracking(false);
    height_->setToolTip(QStringLiteral("Height of the loop's centre above the ground, in metres"));
    height_->setWhatsThis(QStringLiteral(
        "<p><b>Height above it</b>: from the ground to the centre of the loop. Below half a wavelength the "
        "ground pulls the impedance and the resonance; the lowest wire must stay above the ground.</p>"));
    auto* heightLabel = new QLabel(QStringLiteral("&Height above it:"), this);
    heightLabel->setBuddy(height_);

    linesVelocity_ = new DecimalBox(this);
    linesVelocity_->setObjectName(QStringLiteral("linesVelocity"));
    linesVelocity_->setAccessibleName(QStringLiteral("Lines' velocity factor"));
    linesVelocity_->setDecimals(3);
    linesVelocity_->setRange(nec::kLinesVelocityFactor.least, nec::kLinesVelocityFactor.most);
    linesVelocity_->setSingleStep(0.01);
    linesVelocity_->setValue(kept_.velocityFactor);
    lastLinesVelocity_ = linesVelocity_->value();
    linesVelocity_->setKeyboardTracking(false);
    linesVelocity_->setToolTip(
        QStringLiteral("The velocity factor of the lines from each gap to their junction; tick \u201cmeasured\u201d "
                       "when it was measured from a stub of them"));
    linesVelocity_->setWhatsThis(QStringLiteral("<p><b>Lines' VF</b>: ") +
                                 TermExplanationOf(QStringLiteral("velocity factor")) + QStringLiteral("</p>"));
    // Every letter and digit is another control's mnemonic.
    auto* linesLabel = new QLabel(QStringLiteral("Lines' VF (&-):"), this);
    linesLabel->setBuddy(linesVelocity_);
    linesLabel->setToolTip(linesVelocity_->toolTip());
    linesMeasured_ = new QCheckBox(QStringLiteral("measured (&.)"), this);
    linesMeasured_->setObjectName(QStringLiteral("linesMeasured"));
    linesMeasured_->setAccessibleName(QStringLiteral("Lines' velocity factor measured"));
    linesMeasured_->setToolTip(
        QStringLiteral("The lines' velocity factor was measured apart, from a stub of them: a measurement's fit "
                       "holds it rather than fitting it"));
    lineStub_ = new QPushButton(QStringLiteral("Line stub (&,)\u2026"), this);
    lineStub_->setObjectName(QStringLiteral("lineStub"));
    lineStub_->setAccessibleName(QStringLiteral("Line stub"));
    lineStub_->setToolTip(
        QStringLiteral("Read the lines' velocity factor and loss from an analyser's sweep of a stub of them"));

    runButton_ = new QPushButton(QStringLiteral("&Run"), this);
    runButton_->setObjectName(QStringLiteral("run"));
    runButton_->setAccessibleName(QStringLiteral("Run"));
    runButton_->setToolTip(QStringLiteral("Check the main window's design as it stands now (F5 or Enter)"));
    stopButton_ = new QPushButton(QStringLiteral("St&op"), this);
    stopButton_->setObjectName(QStringLiteral("stop"));
    stopButton_->setAccessibleName(QStringLiteral("Stop"));
    stopButton_->setToolTip(QStringLiteral("Stop the engines"));

    feed_ = new FeedBox(this);
    sweep_ = new SweepBox(this);
    match_ = new QCheckBox(QStringLiteral("L net&work match"), this);
    match_->setObjectName(QStringLiteral("match"));
    match_->setAccessibleName(QStringLiteral("Match"));
    match_->setToolTip(
        QStringLiteral("An L network of two reactances that brings the radio end (without a balun or feeder: the "
                       "junction after a 4:1 balun) to 1:1 at the design frequency"));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setAccessibleName(QStringLiteral("Frequencies modelled"));
    // The count is of every frequency the engines model: the sweep's, and
    // the tuning's and convergence runs' beside it.
    progress_->setFormat(QStringLiteral("%v of %m frequencies modelled (sweep, tuning and checks)"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setAccessibleName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    // Read and copied with the mouse; never a Tab stop with a caret.
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setFocusPolicy(Qt::NoFocus);

    resultsMark_ = new QLabel(this);
    resultsMark_->setObjectName(QStringLiteral("resultsMark"));
    resultsMark_->setAccessibleName(QStringLiteral("Results shown"));
    resultsMark_->setTextFormat(Qt::PlainText);
    resultsMark_->setWordWrap(true);
    resultsMark_->setStyleSheet(QStringLiteral("QLabel { background: #fff4c8; padding: 2px 4px; }"));
    resultsMark_->hide();

    // Created in the order of the window, top to bottom and left to right:
    // that is the Tab order.
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("views"));
    tabs_->setAccessibleName(QStringLiteral("Views"));
    figures_ = new QTextBrowser(tabs_);
    figures_->setObjectName(QStringLiteral("figures"));
    figures_->setAccessibleName(QStringLiteral("Figures"));
    figures_->setOpenLinks(false);
    figures_->setTabChangesFocus(true);
    figures_->setWhatsThis(QStringLiteral("<p>The check at a glance. Its terms:</p>") + TermsGlossaryHtml());
    // A term's link tells what it means: hovered, as a tip; clicked, as
    // What's This.
    connect(figures_, &QTextBrowser::highlighted, this, [this](const QUrl& link) {
        const QString said = TermExplanation(link.toString());
        if (said.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(QCursor::pos(), said, figures_);
    });
    connect(figures_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QString said = TermExplanation(link.toString());
        if (!said.isEmpty()) QWhatsThis::showText(QCursor::pos(), said, figures_);
    });
    report_ = new QPlainTextEdit(tabs_);
    report_->setObjectName(QStringLiteral("report"));
    report_->setAccessibleName(QStringLiteral("Report"));
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setTabChangesFocus(true);
    sweepPlot_ = new PlotView(plot::PlotKind::Sweep);
    sweepPlot_->setObjectName(QStringLiteral("sweepPlot"));
    patternPlot_ = new PlotView(plot::PlotKind::Pattern);
    patternPlot_->setObjectName(QStringLiteral("patternPlot"));
    tabs_->addTab(figures_, QStringLiteral("&Figures"));
    curves_ = new QToolButton(this);
    curves_->setObjectName(QStringLiteral("curves"));
    curves_->setText(QStringLiteral("Curves (&Q)"));
    curves_->setAccessibleName(QStringLiteral("Curves shown"));
    curves_->setToolTip(QStringLiteral("Show or hide each SWR curve of the plot; the bold one is the headline"));
    curves_->setPopupMode(QToolButton::InstantPopup);
    curves_->setMenu(new QMenu(curves_));
    tabs_->addTab(plotPage(sweepPlot_, "sweepReadout", curves_), QStringLiteral("&SWR and impedance"));
    tabs_->addTab(plotPage(patternPlot_, "patternReadout"), QStringLiteral("&Pattern"));
    addSmithTab();
    // Every letter is another control's mnemonic; Ctrl+Tab reaches it.
    loopView_ = new LoopViewPage(tabs_);
    tabs_->addTab(loopView_, QStringLiteral("3D (&8)"));
    tabs_->addTab(report_, QStringLiteral("R&eport"));

    saveDeck_ = new QPushButton(QStringLiteral("Save dec&k\u2026"), this);
    saveDeck_->setObjectName(QStringLiteral("saveDeck"));
    saveDeck_->setAccessibleName(QStringLiteral("Save deck"));
    saveReport_ = new QPushButton(QStringLiteral("Sa&ve report\u2026"), this);
    saveReport_->setObjectName(QStringLiteral("saveReport"));
    saveReport_->setAccessibleName(QStringLiteral("Save report"));
    savePlot_ = new QPushButton(QStringLiteral("Save plo&t\u2026"), this);
    savePlot_->setObjectName(QStringLiteral("savePlot"));
    savePlot_->setAccessibleName(QStringLiteral("Save plot"));
    saveTouchstone_ = new QPushButton(QStringLiteral("Save To&uchstone\u2026"), this);
    saveTouchstone_->setObjectName(QStringLiteral("saveTouchstone"));
    saveTouchstone_->setAccessibleName(QStringLiteral("Save Touchstone"));
    saveTouchstone_->setToolTip(
        QStringLiteral("The sweep as a one-port .s1p file, on 50 \u03a9: S11 at the port of the Feed box, where the "
                       "lines join or at the radio end"));
    loadMeasurement_ = new QPushButton(QStringLiteral("Load &measurement\u2026"), this);
    loadMeasurement_->setObjectName(QStringLiteral("loadMeasurement"));
    loadMeasurement_->setAccessibleName(QStringLiteral("Load measurement"));
    loadMeasurement_->setToolTip(
        QStringLiteral("An analyser's .s1p sweep taken at the port of the Feed box: drawn over "
                       "the model, compared, and turned into a trim"));
    // Every letter of "Measure" is another control's mnemonic.
    measure_ = new QPushButton(QStringLiteral("Measure (&6)\u2026"), this);
    measure_->setObjectName(QStringLiteral("measure"));
    measure_->setAccessibleName(QStringLiteral("Measure"));
    measure_->setToolTip(
        QStringLiteral("Sweep the analyser on USB over the check's sweep, at the port of the Feed box, and lay it "
                       "over the model as a loaded file. Calibrate the analyser there first: where the lines join, "
                       "or at the radio end of the feeder"));
    analyser_ = new QComboBox(this);
    analyser_->setObjectName(QStringLiteral("analyser"));
    analyser_->setAccessibleName(QStringLiteral("Analyser"));
    analyser_->setEditable(true);
    analyser_->lineEdit()->setAccessibleName(QStringLiteral("Analyser's device file"));
    analyser_->setMinimumContentsLength(14);
    analyser_->setToolTip(QStringLiteral("The analyser's device file: those plugged in, or type one"));
    for (const device::Found& found : device::FindAnalysers(false)) {
        analyser_->addItem(QString::fromStdString(found.path));
    }
    if (const QString kept = QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta"))
                                 .value(QStringLiteral("analyser/device"))
                                 .toString();
        !kept.isEmpty()) {
        analyser_->setCurrentText(kept);
    }
    clearMeasurement_ = new QPushButton(QStringLiteral("Clear measureme&nt"), this);
    clearMeasurement_->setObjectName(QStringLiteral("clearMeasurement"));
    clearMeasurement_->setAccessibleName(QStringLiteral("Clear measurement"));
    help_ = new QPushButton(QStringLiteral("He&lp"), this);
    help_->setObjectName(QStringLiteral("help"));
    help_->setAccessibleName(QStringLiteral("Help"));
    help_->setToolTip(QStringLiteral("How to read the check, measure the loop and cut it (F1)"));
    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setObjectName(QStringLiteral("close"));
    close_->setAccessibleName(QStringLiteral("Close"));
    for (QPushButton* button : {lineStub_, runButton_, stopButton_, saveDeck_, saveReport_, savePlot_, saveTouchstone_,
                                loadMeasurement_, measure_, clearMeasurement_, help_, close_}) {
        button->setAutoDefault(false);
    }

    auto* controls = new QHBoxLayout;
    controls_ = controls;
    controls->addWidget(groundLabel);
    controls->addWidget(ground_);
    controls->addSpacing(12);
    controls->addWidget(heightLabel);
    controls->addWidget(height_);
    controls->addSpacing(12);
    controls->addWidget(linesLabel);
    controls->addWidget(linesVelocity_);
    controls->addWidget(linesMeasured_);
    controls->addWidget(lineStub_);
    controls->addStretch(1);
    controls->addWidget(runButton_);
    controls->addWidget(stopButton_);
    // The feed as connected, then the sweep and the match: each row a
    // window's width at 100 %.
    auto* feedRow = new QHBoxLayout;
    feedRow->addWidget(feed_);
    feedRow->addStretch(1);
    auto* sweepRow = new QHBoxLayout;
    sweepRow->addWidget(sweep_);
    sweepRow->addSpacing(12);
    sweepRow->addWidget(match_);
    sweepRow->addSpacing(12);
    auto* analyserLabel = new QLabel(QStringLiteral("Analyser (&7):"), this);
    analyserLabel->setBuddy(analyser_);
    sweepRow->addWidget(analyserLabel);
    sweepRow->addWidget(analyser_);
    sweepRow->addStretch(1);

    auto* saving = new QHBoxLayout;
    saving->addWidget(saveDeck_);
    saving->addWidget(saveReport_);
    saving->addWidget(savePlot_);
    saving->addWidget(saveTouchstone_);
    saving->addWidget(loadMeasurement_);
    saving->addWidget(measure_);
    saving->addWidget(clearMeasurement_);
    saving->addStretch(1);

    // The lengths the measured loop was cut to: the trim scales these.
    auto* built = new QHBoxLayout;
    // What was cut, not what to cut: the figures give that.
    auto* builtLabel = new QLabel(QStringLiteral("Lengths as cut (mm):"), this);
    builtLabel->setObjectName(QStringLiteral("builtLabel"));
    builtLabel->setToolTip(TermExplanationOf(QStringLiteral("lengths as cut")));
    built->addWidget(builtLabel);
    const std::pair<DecimalBox**, const char*> boxes[] = {
        {&builtHeight_, "HEIGHT"}, {&builtSide_, "SIDE"}, {&builtGap_, "GAP"}};
    // Each label's mnemonic, a letter no other control of the window takes.
    const QString labels[] = {QStringLiteral("HE&IGHT"), QStringLiteral("SI&DE"), QStringLiteral("G&AP")};
    int labelIndex = 0;
    for (const auto& [box, name] : boxes) {
        *box = new DecimalBox(this);
        (*box)->setObjectName(QStringLiteral("built%1").arg(QLatin1String(name)));
        (*box)->setAccessibleName(QStringLiteral("%1 as cut, mm").arg(QLatin1String(name)));
        (*box)->setRange(0.01, 1e6);
        (*box)->setDecimals(2);
        // Until a measurement brings the lengths it was cut to, the box
        // holds no length: a dash, not its minimum of 0.01 mm.
        (*box)->setSpecialValueText(QStringLiteral("—"));
        (*box)->setToolTip(builtLabel->toolTip());
        auto* label = new QLabel(labels[labelIndex++], this);
        label->setBuddy(*box);
        built->addWidget(label);
        built->addWidget(*box);
        connect(*box, &QDoubleSpinBox::editingFinished, this, [this] {
            if (!measuredSweep_ || !builtLengthsTaken()) return;
            emit setupChanged();
            if (!check_) return;
            // The lengths taken, then what the measurement says with them:
            // the status line follows the lengths as they now stand.
            const QString taken = status_->text();
            compareMeasurement();
            // The sweep on show was of the loop cut to these lengths.
            if (!isMeasuring()) {
                keepSessionSweep(false);
                if (const QString words = sessionWords(); !words.isEmpty()) showStatus(words.trimmed());
            }
            showCheck();
            if (!isMeasuring()) tellLoaded(taken);
        });
        connect(*box, &DecimalBox::refused, this, [this, name](const QString& typed) {
            showProblem(QStringLiteral("%1 as cut: \u201c%2\u201d is not a length in millimetres; it stays as it was.")
                            .arg(QLatin1String(name), typed));
        });
    }
    built->addStretch(1);
    // The lengths, Help and Close in a row of their own under the files':
    // in one row they would make the window wider than a screen at 200 %.
    built->addWidget(help_);
    built->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(design_);
    layout->addLayout(controls);
    layout->addLayout(feedRow);
    layout->addLayout(sweepRow);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(resultsMark_);
    layout->addWidget(tabs_, 1);
    layout->addLayout(saving);
    layout->addLayout(built);

    connect(ground_, &QComboBox::activated, this, &ModelWindow::groundChosen);
    connect(height_, &QDoubleSpinBox::editingFinished, this, &ModelWindow::heightEdited);
    connect(height_, &DecimalBox::refused, this, [this](const QString& typed) {
        showProblem(QStringLiteral("Height above it: \u201c%1\u201d is not a height in metres from %2 to %3; "
                                   "it stays %4.")
                        .arg(typed, height_->textFromValue(height_->minimum()),
                             height_->textFromValue(height_->maximum()),
                             height_->textFromValue(height_->value()) + height_->suffix()));
    });
    connect(linesVelocity_, &QDoubleSpinBox::editingFinished, this, [this] {
        if (linesVelocityTaken() && source()) run();
    });
    connect(linesVelocity_, &DecimalBox::refused, this, [this](const QString& typed) {
        showProblem(QStringLiteral("Lines' velocity factor: \u201c%1\u201d is not a number from %2 to %3; it stays %4.")
                        .arg(typed, Regional(Text(nec::Shortest(nec::kLinesVelocityFactor.least))),
                             Regional(Text(nec::Shortest(nec::kLinesVelocityFactor.most))),
                             linesVelocity_->shownText()));
    });
    connect(linesMeasured_, &QCheckBox::toggled, this, [this](bool measured) {
        kept_.velocityFactorMeasured = measured;
        emit setupChanged();
        if (source()) run();
    });
    connect(lineStub_, &QPushButton::clicked, this, &ModelWindow::openLineStub);
    // The builder's own choice of feed is the next window's, and the next
    // run's, default.
    const auto feedEdited = [this] {
        if (memory_) memory_->rememberFeed(feedOptions());
        feedChanged();
    };
    connect(feed_, &FeedBox::changed, this, feedEdited);
    connect(match_, &QCheckBox::toggled, this, feedEdited);
    connect(feed_, &FeedBox::refused, this, &ModelWindow::showProblem);
    connect(sweep_, &SweepBox::refused, this, &ModelWindow::showProblem);
    connect(runButton_, &QPushButton::clicked, this, &ModelWindow::run);
    connect(stopButton_, &QPushButton::clicked, this, &ModelWindow::stop);
    connect(saveDeck_, &QPushButton::clicked, this, &ModelWindow::saveDeck);
    connect(saveReport_, &QPushButton::clicked, this, &ModelWindow::saveReport);
    connect(savePlot_, &QPushButton::clicked, this, &ModelWindow::savePlot);
    connect(saveTouchstone_, &QPushButton::clicked, this, &ModelWindow::saveTouchstone);
    connect(loadMeasurement_, &QPushButton::clicked, this, &ModelWindow::loadMeasurement);
    connect(measure_, &QPushButton::clicked, this, &ModelWindow::measure);
    // The analyser's chooser in its row's place, after the match.
    QWidget::setTabOrder(match_, analyser_);
    connect(clearMeasurement_, &QPushButton::clicked, this, &ModelWindow::clearMeasurement);
    connect(help_, &QPushButton::clicked, this, &ModelWindow::showHelp);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
}

// The impedance on a Smith chart, the measurement over it.
void ModelWindow::addSmithTab() {
    smithPlot_ = new PlotView(plot::PlotKind::Smith);
    smithPlot_->setObjectName(QStringLiteral("smithPlot"));
    // Every letter of "Smith chart" is another control's mnemonic.
    tabs_->addTab(plotPage(smithPlot_, "smithReadout"), QStringLiteral("Smith chart of &Z"));
}

// A plot above its read-out, which a screen reader and a Tab reach too.
QWidget* ModelWindow::plotPage(PlotView* view, const char* readoutName, QWidget* beside) {
    auto* page = new QWidget(tabs_);
    auto* readout = new QLabel(page);
    readout->setObjectName(QLatin1String(readoutName));
    readout->setAccessibleName(view->accessibleName() + QStringLiteral(" read-out"));
    readout->setWordWrap(true);
    readout->setTextFormat(Qt::PlainText);
    readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Its lines run on in two at most, so that the plot does not jump and
    // keeps the height at a large scale factor.
    readout->setFixedHeight(readout->fontMetrics().lineSpacing() * 2);
    readout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(view, &PlotView::readoutChanged, readout, [readout](const QString& text) {
        readout->setText(QString(text).replace(QLatin1Char('\n'), QStringLiteral("; ")));
        // With a feed and a match the read-out may run past its two lines:
        // the whole of it, a line for each curve, on hovering.
        readout->setToolTip(text);
    });
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 1);
    if (beside) {
        auto* row = new QHBoxLayout;
        // On the left, where a narrow screen still shows it.
        row->addWidget(beside, 0, Qt::AlignTop);
        row->addWidget(readout, 1);
        layout->addLayout(row);
    } else {
        layout->addWidget(readout);
    }
    return page;
}

void ModelWindow::setSource(DesignEntry* source) {
    setSource(static_cast<const DesignSource*>(source));
    entry_ = source;
}

void ModelWindow::setSource(const DesignSource* source) {
    source_ = source;
    entry_ = nullptr;
    sourceObject_ = dynamic_cast<const QObject*>(source);
    // The height and the lengths as cut are read and written with the main
    // window's separator.
    if (source) {
        for (DecimalBox* box : {height_, linesVelocity_, builtHeight_, builtSide_, builtGap_}) {
            box->setFormat(source->Format());
        }
        format_ = source->Format();
        feed_->setFormat(format_);
        sweep_->setFormat(format_);
        for (PlotView* plot : {sweepPlot_, patternPlot_, smithPlot_}) {
            if (plot) plot->setFormat(format_);
        }
        if (loopView_) loopView_->canvas()->setFormat(format_);
    }
}

bool ModelWindow::isRunning() const { return job_ && job_->isRunning(); }

bool ModelWindow::isMeasuring() const {
    return (measurementJob_ && measurementJob_->isRunning()) || (deviceJob_ && deviceJob_->isRunning());
}

nec::Placement ModelWindow::placement() const {
    nec::Placement placement;
    placement.ground = kGrounds[std::max(0, ground_->currentIndex())];
    if (placement.ground != nec::Ground::Free) placement.heightM = height_->value();
    return placement;
}

void ModelWindow::setPlacement(const nec::Placement& placement) {
    ground_->setCurrentIndex(
        static_cast<int>(std::find(std::begin(kGrounds), std::end(kGrounds), placement.ground) - std::begin(kGrounds)));
    if (placement.ground != nec::Ground::Free) height_->setValue(placement.heightM);
    lastHeightM_ = height_->value();
    updateButtons();
}

nec::CheckSetup ModelWindow::setup() const {
    nec::CheckSetup setup = kept_;
    setup.placement = placement();
    setup.feed = feedOptions();
    setup.asBuilt = builtLengths();
    return setup;
}

void ModelWindow::setSetup(const nec::CheckSetup& setup) {
    kept_ = setup;
    {
        // Shown, not changed by the builder: no change to tell.
        const QSignalBlocker quiet(linesVelocity_), quietMeasured(linesMeasured_);
        linesVelocity_->setValue(setup.velocityFactor);
        linesMeasured_->setChecked(setup.velocityFactorMeasured);
        lastLinesVelocity_ = linesVelocity_->value();
    }
    setPlacement(setup.placement);
    setFeedOptions(setup.feed);
}

bool ModelWindow::linesVelocityTaken() {
    // editingFinished also comes when the box merely loses the focus.
    if (linesVelocity_->value() == lastLinesVelocity_) return false;
    lastLinesVelocity_ = linesVelocity_->value();
    kept_.velocityFactor = lastLinesVelocity_;
    emit setupChanged();
    return true;
}

void ModelWindow::openLineStub() {
    if (!stubDialog_) {
        stubDialog_ = new LineStubDialog(files_, format_, kept_.lineImpedanceOhm, this);
        connect(stubDialog_, &LineStubDialog::velocityFactorChosen, this, &ModelWindow::useMeasuredVelocity);
    }
    stubDialog_->setLineImpedance(kept_.lineImpedanceOhm);
    stubDialog_->show();
    stubDialog_->raise();
    stubDialog_->activateWindow();
}

void ModelWindow::useMeasuredVelocity(double velocityFactor) {
    {
        const QSignalBlocker quietMeasured(linesMeasured_);
        linesMeasured_->setChecked(true);
    }
    linesVelocity_->setValue(velocityFactor);
    // The factor as the box holds it: to the digits the stub's reading shows.
    lastLinesVelocity_ = linesVelocity_->value();
    kept_.velocityFactor = lastLinesVelocity_;
    kept_.velocityFactorMeasured = true;
    emit setupChanged();
    // A run says what became of the check; without one, this is said.
    if (source()) {
        run();
        return;
    }
    showStatus(QStringLiteral("The lines' velocity factor is %1, measured from the stub: a measurement's fit holds it.")
                   .arg(linesVelocity_->shownText()));
}

void ModelWindow::setMeasurement(const std::optional<nec::OnePortSweep>& sweep, const QString& name,
                                 const nec::LoopModel& model, const std::optional<nec::BuiltLengths>& built) {
    measuredSweep_ = sweep;
    measuredName_ = sweep ? name : QString();
    measuredDesign_ = sweep ? std::optional<nec::LoopModel>(model) : std::nullopt;
    if (check_ && !sweep) {
        check_->measuredSweep.reset();
        rereadCheck();
    }
    builtHeight_->setValue(built ? built->heightMm : model.heightMm);
    builtSide_->setValue(built ? built->sideMm : model.sideMm);
    builtGap_->setValue(built ? built->gapMm : model.gapMm);
    keptBuilt_ = nec::BuiltLengths{builtHeight_->value(), builtSide_->value(), builtGap_->value()};
    updateButtons();
}

std::optional<nec::BuiltLengths> ModelWindow::builtLengths() const {
    if (!measuredSweep_ || !measuredDesign_) return std::nullopt;
    const nec::BuiltLengths built{builtHeight_->value(), builtSide_->value(), builtGap_->value()};
    // The boxes hold the design's lengths as they show them, rounded to
    // their decimals: those are no lengths of the builder's own.
    const auto shown = [this](double mm) { return builtHeight_->valueFromText(builtHeight_->textFromValue(mm)); };
    const nec::LoopModel& design = *measuredDesign_;
    if (built.heightMm == shown(design.heightMm) && built.sideMm == shown(design.sideMm) &&
        built.gapMm == shown(design.gapMm)) {
        return std::nullopt;
    }
    return built;
}

namespace {

nec::BuiltLengths LengthsOf(const nec::LoopModel& model) { return {model.heightMm, model.sideMm, model.gapMm}; }

}  // namespace

bool ModelWindow::builtLengthsTaken() {
    const std::optional<nec::BuiltLengths> built = builtLengths();
    if (!built || !measuredDesign_) return true;
    const nec::BuiltLengths design = LengthsOf(*measuredDesign_);
    const std::optional<nec::BuiltLengthsRefusal> refused = nec::JudgeBuiltLengths(*built, design);
    // Lengths already refused (a record's) are mended a box at a time: each
    // step is taken, and the check gives no trim until all three hold.
    const bool wereRefused = keptBuilt_ && nec::JudgeBuiltLengths(*keptBuilt_, design);
    if (!refused || wereRefused) {
        // Said, so that a refusal before is not left standing.
        showStatus(QStringLiteral("The lengths as cut are HEIGHT %1 mm, SIDE %2 mm, GAP %3 mm%4.")
                       .arg(Regional(Text(nec::Shortest(built->heightMm))),
                            Regional(Text(nec::Shortest(built->sideMm))), Regional(Text(nec::Shortest(built->gapMm))),
                            refused ? QStringLiteral(", still not lengths of this design: no trim") : QString()));
        return true;
    }
    showProblem(QStringLiteral("The lengths as cut were not taken: %1. They stay as they were.")
                    .arg(Regional(Text(nec::Describe(*refused)))));
    const nec::BuiltLengths back = keptBuilt_.value_or(design);
    const QSignalBlocker quietHeight(builtHeight_), quietSide(builtSide_), quietGap(builtGap_);
    builtHeight_->setValue(back.heightMm);
    builtSide_->setValue(back.sideMm);
    builtGap_->setValue(back.gapMm);
    return false;
}

void ModelWindow::setMemory(ModelMemory* memory) {
    memory_ = memory;
    if (!memory_) return;
    if (memory_->state()) {
        setState(*memory_->state());
    } else if (const std::optional<nec::FeedOptions> feed = memory_->feedDefaults()) {
        setFeedOptions(*feed);
    }
}

ModelWindowState ModelWindow::state() const {
    ModelWindowState state;
    state.options.Setup() = setup();
    // Boxes that do not hold a sweep the check takes leave the window's
    // default (auto): what they hold was refused aloud.
    nec::CheckOptions sweep;
    if (sweep_->fill(sweep).isEmpty()) {
        state.options.sweepFromMHz = sweep.sweepFromMHz;
        state.options.sweepToMHz = sweep.sweepToMHz;
        state.options.sweepPoints = sweep.sweepPoints;
        state.options.sweepMode = sweep.sweepMode;
    }
    state.measuredSweep = measuredSweep_;
    state.measuredName = measuredName_;
    state.measuredDesign = measuredDesign_;
    return state;
}

void ModelWindow::setState(const ModelWindowState& state) {
    setSetup(state.options.Setup());
    sweep_->setSweep(state.options.sweepFromMHz, state.options.sweepToMHz, state.options.sweepPoints,
                     state.options.sweepMode);
    if (state.measuredSweep && state.measuredDesign) {
        setMeasurement(state.measuredSweep, state.measuredName, *state.measuredDesign, state.options.asBuilt);
    }
}

void ModelWindow::addControl(QWidget* control) {
    controls_->insertWidget(controls_->indexOf(runButton_), control);
    QWidget::setTabOrder(lineStub_, control);
    QWidget::setTabOrder(control, runButton_);
    AddWhatsThis(this);
}

void ModelWindow::groundChosen() {
    updateButtons();
    emit setupChanged();
    run();
}

void ModelWindow::heightEdited() {
    // editingFinished also comes when the box merely loses the focus.
    if (height_->value() == lastHeightM_) return;
    lastHeightM_ = height_->value();
    emit setupChanged();
    if (placement().ground != nec::Ground::Free) run();
}

void ModelWindow::clearResults() {
    sweepPlot_->setCheck(nullptr);
    patternPlot_->setCheck(nullptr);
    smithPlot_->setCheck(nullptr);
    loopView_->canvas()->setCheck(nullptr);
    check_.reset();
    figures_->clear();
    report_->clear();
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
}

void ModelWindow::showStatus(const QString& message, bool problem) {
    QPalette palette = status_->palette();
    palette.setColor(QPalette::WindowText,
                     problem ? QColor(0xb0, 0x1c, 0x1c) : QApplication::palette().color(QPalette::WindowText));
    status_->setPalette(palette);
    status_->setText(message);
    // A screen reader hears it through the accessible description.
    status_->setAccessibleDescription(message);
}

void ModelWindow::showProblem(const QString& message) { showStatus(message, true); }

void ModelWindow::updateButtons() {
    const bool running = isRunning();
    runButton_->setEnabled(!running && source());
    stopButton_->setEnabled(running || isMeasuring());
    height_->setEnabled(placement().ground != nec::Ground::Free);
    saveDeck_->setEnabled(plan_.has_value());
    saveReport_->setEnabled(check_.has_value());
    savePlot_->setEnabled(check_.has_value());
    saveTouchstone_->setEnabled(check_.has_value());
    loadMeasurement_->setEnabled(check_.has_value() && !(isMeasuring() && measurementLoads_) &&
                                 !(deviceJob_ && deviceJob_->isRunning()));
    measure_->setEnabled(check_.has_value() && !isMeasuring());
    clearMeasurement_->setEnabled(measuredSweep_.has_value());
    for (DecimalBox* box : {builtHeight_, builtSide_, builtGap_}) box->setEnabled(measuredSweep_.has_value());
}

void ModelWindow::run() {
    if (job_) job_->kill();
    // The last results stay on show, marked, until new ones arrive.
    if (check_) markResults(kLastResults);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    plan_.reset();
    showStatus({});
    design_->clear();
    updateButtons();
    if (!source()) {
        showProblem(QStringLiteral("The main window is closed: there are no fields to check."));
        return;
    }
    SheetDesign sheet = DesignOfSheet(source()->Sheet(), source()->Format());
    if (!sheet.design) {
        showProblem(sheet.problem);
        return;
    }
    const Design design = std::move(*sheet.design);
    design_->setText(Regional(DimensionsHtml(design)));
    if (design_->maximumHeight() != QWIDGETSIZE_MAX) design_->setToolTip(design_->text());

    nec::CheckOptions options;
    options.Setup() = setup();
    options.program = engine_.program;
    options.jobs = engine_.jobs;
    options.timeoutSeconds = engine_.timeoutSeconds;
    // The tuned design is part of what the window shows.
    options.tune = true;
    if (const QString problem = sweep_->fill(options); !problem.isEmpty()) {
        showProblem(Regional(problem));
        updateButtons();
        return;
    }
    try {
        plan_ = nec::PlanCheck(design, options);
    } catch (const nec::Failure& failure) {
        showProblem(Regional(FailureWords(failure)));
        updateButtons();
        return;
    }

    runningDesign_ = design;
    runningOptions_ = options;
    runningFormat_ = source()->Format();
    nec::CheckRequest request{design, options, std::nullopt};
    if (measuredSweep_) {
        request.measurement = nec::MeasurementInput{*measuredSweep_, measuredName_.toStdString(), measuredDesign_};
    }
    job_ = std::make_unique<CheckJob>(std::move(request));
    connect(job_.get(), &CheckJob::progressed, this, &ModelWindow::showProgress);
    connect(job_.get(), &CheckJob::finished, this, &ModelWindow::runFinished);
    progress_->setRange(0, 0);  // busy until the first frequency is done
    progress_->setTextVisible(true);
    showStatus(QStringLiteral("Starting the engines\u2026"));
    clock_.start();
    job_->start();
    updateButtons();
}

void ModelWindow::stop() {
    if (isRunning()) job_->stop();
    if (measurementJob_ && measurementJob_->isRunning()) measurementJob_->stop();
    if (deviceJob_ && deviceJob_->isRunning()) deviceJob_->stop();
}

void ModelWindow::showProgress(int done, int total) {
    // The library counts the frequencies it expects to model; an adaptive
    // sweep may need fewer, and only more ever raise the count. The bar
    // keeps the largest, so its total never jumps back; it fills at the end.
    total = std::max(total, progress_->maximum());
    progress_->setRange(0, total);
    progress_->setValue(done);
    showStatus(QStringLiteral("Checking: %1 of %2 frequencies modelled").arg(done).arg(total));
}

// Shows the outcome of the job that has just finished.
void ModelWindow::runFinished() {
    const double seconds = static_cast<double>(clock_.elapsed()) / 1000;
    // The total the bar has shown: a stopped run is counted against it.
    const int total = std::max({1, job_->total(), progress_->maximum()});
    progress_->setRange(0, total);
    if (job_->check()) {
        check_ = std::move(job_->check());
        ++checkGeneration_;
        checkedDesign_ = runningDesign_;
        checkedOptions_ = runningOptions_;
        checkedFormat_ = runningFormat_;
        // The Feed box, the lengths as cut or the measurement may have
        // changed while the engines ran.
        if (!measuredSweep_) check_->measuredSweep.reset();
        rereadCheck();
        markResults({});
        // Full, without a count: the total was an expectation, and the
        // count ends where the status line says the check is done.
        progress_->setRange(0, 1);
        progress_->setValue(1);
        progress_->setTextVisible(false);
        const auto failed = std::count_if(check_->report.sanity.begin(), check_->report.sanity.end(),
                                          [](const nec::SanityCheck& c) { return c.verdict == nec::Verdict::Failed; });
        QString done = QStringLiteral("Checked in %1 s.").arg(Text(nec::Fixed(seconds, 1)));
        if (failed > 0) {
            done += QStringLiteral(" %1 of the %2 sanity checks failed: read the figures with care.")
                        .arg(failed)
                        .arg(check_->report.sanity.size());
        }
        showStatus(Regional(done));
        showCheck();
    } else {
        progress_->setValue(job_->done());
        const std::optional<nec::Failure>& failure = job_->failure();
        if (failure && failure->Kind() == nec::FailureKind::Stopped) {
            showStatus(QStringLiteral("Stopped after %1 s; %2 of %3 frequencies were modelled.")
                           .arg(Regional(Text(nec::Fixed(seconds, 1))))
                           .arg(job_->done())
                           .arg(total));
        } else if (failure) {
            showProblem(Regional(FailureWords(*failure)));
        } else {
            showProblem(QStringLiteral("The check failed: %1").arg(job_->problem()));
        }
    }
    if (!job_->check() && check_) {
        markResults(kLastResults);
    }
    updateButtons();
    emit runEnded();
}

void ModelWindow::resizeEvent(QResizeEvent* event) {
    // A short window (a small screen, or 200 %) shows the design's first
    // line only, its table under the pointer: the room goes to the plots.
    const bool shortWindow = height() < 40 * fontMetrics().lineSpacing();
    design_->setMaximumHeight(shortWindow ? design_->fontMetrics().lineSpacing() + 2 : QWIDGETSIZE_MAX);
    design_->setToolTip(shortWindow ? design_->text() : QString());
    QWidget::resizeEvent(event);
}

void ModelWindow::closeEvent(QCloseEvent* event) {
    // A build record with changes not saved: Save, Discard or stay open.
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    if (memory_) memory_->keep(state());
    // The engines are killed at once; the thread returns within
    // milliseconds, so waiting here does not freeze the program.
    if (job_) job_->kill();
    // A reading sees the stop within a chunk; comparing is bounded; the
    // analyser's port within a twentieth of a second.
    measurementJob_.reset();
    deviceJob_.reset();
    event->accept();
}

void ModelWindow::save(const QString& title, const QString& name, const std::vector<SaveType>& types) {
    QStringList filters, suffixes;
    for (const SaveType& type : types) {
        filters << type.filter;
        suffixes << type.suffix;
    }
    const SaveTarget target = files_.AskSave(this, title, name + QLatin1Char('.') + suffixes.front(), filters);
    if (target.path.isEmpty()) return;
    const Chosen chosen = WithSuffix(target, suffixes);
    const QString failed = types[static_cast<std::size_t>(chosen.type)].write(chosen.path);
    if (!failed.isEmpty()) {
        showProblem(failed);
        return;
    }
    showStatus(QStringLiteral("Saved %1").arg(chosen.path));
}

void ModelWindow::saveDeck() {
    if (!plan_) return;
    const std::string deck = nec::FullDeck(*plan_);
    save(QStringLiteral("Save deck"), FileStem(*plan_),
         {{QStringLiteral("NEC-2 deck (*.nec)"), QStringLiteral("nec"), Whole(deck, fileCalls_)}});
}

void ModelWindow::saveReport() {
    if (!check_) return;
    save(QStringLiteral("Save report"), FileStem(check_->plan),
         {{QStringLiteral("Text (*.txt)"), QStringLiteral("txt"),
           Whole(nec::ReportText(*check_, AdviceWords), fileCalls_)},
          {QStringLiteral("JSON (*.json)"), QStringLiteral("json"),
           Whole(nec::ReportJson(*check_, AdviceWords), fileCalls_)}});
}

void ModelWindow::savePlot() {
    if (!check_) return;
    // The plot in view; from the other pages, the sweep.
    const bool pattern = tabs_->currentWidget()->isAncestorOf(patternPlot_);
    const bool smith = tabs_->currentWidget()->isAncestorOf(smithPlot_);
    const plot::PlotKind kind = pattern ? plot::PlotKind::Pattern
                                : smith ? plot::PlotKind::Smith
                                        : plot::PlotKind::Sweep;
    // The curves as shown: a hidden one stays out of the file too.
    const auto drawn = [this, kind](const QString& path) {
        // A picture, read by a person: the window's separator.
        const plot::style::DecimalSeparator separator(format_);
        WholeFileOptions options;
        options.calls = fileCalls_;
        const auto failed = plot::WritePlot(path.toStdString(), kind, *check_, hiddenCurves_, options);
        return failed ? QStringLiteral("Could not save the plot: %1").arg(Text(*failed)) : QString();
    };
    save(pattern ? QStringLiteral("Save the pattern plot")
         : smith ? QStringLiteral("Save the Smith chart")
                 : QStringLiteral("Save the SWR and impedance plot"),
         FileStem(check_->plan) + (pattern ? QStringLiteral("-pattern")
                                   : smith ? QStringLiteral("-smith")
                                           : QStringLiteral("-swr")),
         {{QStringLiteral("SVG image (*.svg)"), QStringLiteral("svg"), drawn},
          {QStringLiteral("PNG image (*.png)"), QStringLiteral("png"), drawn}});
}

void ModelWindow::showCheck() {
    // The session's sweeps before the one on show: the headline sets the
    // cut they give beside the measurement's trim.
    check_->earlierSweeps.clear();
    for (std::size_t i = 0; i + 1 < sessionSweeps_.size(); ++i) {
        if (sessionSweeps_[i]) check_->earlierSweeps.push_back(*sessionSweeps_[i]);
    }
    listCurves();
    figures_->setHtml(WithTermLinks(Regional(FiguresHtml(*check_))));
    sweepPlot_->setCheck(&*check_);
    patternPlot_->setCheck(&*check_);
    smithPlot_->setCheck(&*check_);
    loopView_->canvas()->setCheck(&*check_);
    report_->setPlainText(Regional(Text(nec::ReportText(*check_, AdviceWords))));
}

void ModelWindow::saveTouchstone() {
    if (!check_) return;
    save(QStringLiteral("Save Touchstone"), FileStem(check_->plan),
         {{QStringLiteral("Touchstone one-port (*.s1p)"), QStringLiteral("s1p"),
           Whole(nec::ModelTouchstone(*check_), fileCalls_)}});
}

void ModelWindow::loadMeasurement() {
    if (!check_) return;
    const QString path =
        files_.AskOpen(this, QStringLiteral("Load measurement"),
                       {QStringLiteral("Touchstone one-port (*.s1p *.S1P)"), QStringLiteral("All files (*)")});
    if (path.isEmpty()) return;
    // Read and compared off the GUI thread, on a copy of the check: a file
    // that does not read, or a stop, leaves the window as it was.
    loadingName_ = QFileInfo(path).fileName();
    MeasurementJob::Task task{path,           std::nullopt,   *check_, loadingName_.toStdString(), check_->plan.model,
                              checkedDesign_, checkedOptions_};
    startMeasurementJob(std::make_unique<MeasurementJob>(std::move(task)), true);
}

void ModelWindow::measure() {
    if (!check_ || isMeasuring()) return;
    const QString path = analyser_->currentText().trimmed();
    if (path.isEmpty()) {
        showProblem(
            QStringLiteral("Choose the analyser first: plug it in, or type its device file, such as "
                           "/dev/ttyACM0."));
        return;
    }
    QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta")).setValue(QStringLiteral("analyser/device"), path);
    const nec::Sweep& sweep = check_->plan.sweep;
    deviceJob_ = std::make_unique<DeviceJob>(
        path.toStdString(), device::SweepRequest{sweep.fromMHz * 1e6, sweep.ToMHz() * 1e6, sweep.points});
    connect(deviceJob_.get(), &DeviceJob::progressed, this, [this, path](int done, int total) {
        if (isRunning()) return;
        progress_->setRange(0, total);
        progress_->setValue(done);
        showStatus(QStringLiteral("Measuring with %1: %2 of %3 points").arg(path).arg(done).arg(total));
    });
    connect(deviceJob_.get(), &DeviceJob::finished, this, &ModelWindow::deviceJobEnded);
    if (!isRunning()) {
        progress_->setRange(0, sweep.points);
        progress_->setValue(0);
        progress_->setTextVisible(false);
    }
    showStatus(QStringLiteral("Measuring with %1\u2026").arg(path));
    deviceJob_->start();
    updateButtons();
}

void ModelWindow::deviceJobEnded() {
    // Taken out first: the sweep's comparison starts a job of its own.
    DeviceJob* job = deviceJob_.release();
    job->setParent(this);
    job->deleteLater();
    if (!isRunning()) {
        progress_->setRange(0, 1);
        progress_->setValue(job->sweep() ? 1 : 0);
    }
    if (const std::optional<device::Failure>& failure = job->failure()) {
        if (failure->Kind() == device::FailureKind::Stopped) {
            showStatus(QStringLiteral("The sweep was stopped; nothing changed."));
        } else {
            showProblem(
                QStringLiteral("The analyser did not measure: %1.").arg(QString::fromStdString(failure->what())));
        }
    } else if (job->sweep() && check_) {
        // Taken in as a loaded file is, its text for the build record.
        const device::DeviceSweep& taken = *job->sweep();
        loadingName_ = QString::fromStdString(device::SourceOf(taken));
        sweptText_ = QByteArray::fromStdString(taken.touchstone);
        MeasurementJob::Task task{QString(),          taken.sweep,    *check_,        loadingName_.toStdString(),
                                  check_->plan.model, checkedDesign_, checkedOptions_};
        startMeasurementJob(std::make_unique<MeasurementJob>(std::move(task)), true);
        return;
    }
    updateButtons();
    emit measurementEnded();
}

void ModelWindow::startMeasurementJob(std::unique_ptr<MeasurementJob> job, bool loads) {
    measurementJob_ = std::move(job);
    measurementLoads_ = loads;
    measurementGeneration_ = checkGeneration_;
    const QString name = loads ? loadingName_ : measuredName_;
    connect(measurementJob_.get(), &MeasurementJob::progressed, this, [this, name](MeasurementJob::Step step) {
        showStatus(step == MeasurementJob::Step::ReadingLines
                       ? QStringLiteral("Reading the lines of %1\u2026").arg(name)
                       : QStringLiteral("Comparing %1 with the check\u2026").arg(name));
    });
    connect(measurementJob_.get(), &MeasurementJob::finished, this, &ModelWindow::measurementJobEnded);
    if (!isRunning()) {
        progress_->setRange(0, 0);  // busy: a file's size says little of the time
        progress_->setTextVisible(false);
    }
    showStatus(loads ? QStringLiteral("Reading %1\u2026").arg(name)
                     : QStringLiteral("Comparing %1 with the check\u2026").arg(name));
    measurementJob_->start();
    updateButtons();
}

void ModelWindow::measurementJobEnded() {
    // Taken out first: what follows may start the next job. The job is in
    // the middle of telling its end, so it goes once that is done.
    MeasurementJob* job = measurementJob_.release();
    job->setParent(this);
    job->deleteLater();
    const bool loads = measurementLoads_;
    const QString name = loads ? loadingName_ : measuredName_;
    if (!isRunning()) {
        progress_->setRange(0, 1);
        progress_->setValue(job->failure() || !job->problem().isEmpty() ? 0 : 1);
    }
    const std::optional<nec::Failure>& failure = job->failure();
    if (failure && failure->Kind() == nec::FailureKind::Stopped) {
        showStatus(loads ? QStringLiteral("Loading %1 was stopped; nothing changed.").arg(name)
                         : QStringLiteral("Comparing %1 was stopped.").arg(name));
    } else if (failure) {
        showProblem(FailureWords(*failure, name));
    } else if (!job->problem().isEmpty()) {
        showProblem(QStringLiteral("%1 was not loaded: %2").arg(name, job->problem()));
    } else if (check_ && job->check() && (loads || measuredSweep_)) {
        const bool fresh = measurementGeneration_ == checkGeneration_;
        nec::ModelCheck& compared = *job->check();
        if (loads) {
            measuredSweep_ = job->sweep();
            measuredName_ = name;
            const nec::LoopModel& model = check_->plan.model;
            measuredDesign_ = model;
            builtHeight_->setValue(model.heightMm);
            builtSide_->setValue(model.sideMm);
            builtGap_->setValue(model.gapMm);
            emit measurementLoaded(name, job->bytes().isEmpty() ? sweptText_ : job->bytes());
        }
        if (fresh) {
            check_ = std::move(compared);
            keptBuilt_ = nec::BuiltLengths{builtHeight_->value(), builtSide_->value(), builtGap_->value()};
        } else {
            // The feed or the lengths as cut changed while it was compared:
            // the measurement the job took in, read with them.
            check_->measuredSweep = std::move(compared.measuredSweep);
            check_->measuredSource = std::move(compared.measuredSource);
            check_->measuredTakenOf = std::move(compared.measuredTakenOf);
            check_->otherShape = std::move(compared.otherShape);
            rereadCheck();
        }
        keepSessionSweep(loads);
        if (loads) tellLoaded();
        showCheck();
    }
    updateButtons();
    if (loads) emit measurementEnded();
}

void ModelWindow::tellLoaded(const QString& opening) {
    if (!check_ || !check_->measured) return;
    const nec::Measurement& m = *check_->measured;
    QString said = !opening.isEmpty()
                       ? opening
                       : QStringLiteral("Loaded %1 (%2 %3).")
                             .arg(measuredName_, QString::number(m.points.size()),
                                  m.points.size() == 1 ? QStringLiteral("point") : QStringLiteral("points"));
    if (m.refused) said += QStringLiteral(" Refused: no resonance and no trim from it.");
    if (m.trim) {
        said += QStringLiteral(" Measured resonance %1 MHz: trim what was cut by %2.")
                    .arg(Regional(Text(nec::MhzText(m.fitResonanceMHz.value_or(0)))),
                         Regional(Text(nec::ScaleText(m.trim->scale))));
        if (m.assumesDesignLengths) {
            said += QLatin1Char(' ') + sheet::Capitalised(std::string(nec::kAssumesDesignLengths)) + QLatin1Char('.');
        }
    }
    // Each note a sentence of its own, after the full stop before it.
    for (const std::string& note : m.notes) {
        said += QLatin1Char(' ') + Regional(sheet::Capitalised(note)) + QLatin1Char('.');
    }
    said += sessionWords();
    if (const std::string spans = nec::SpansText(check_->feed); !spans.empty()) {
        said += QLatin1Char(' ') + Regional(sheet::Capitalised(spans)) + QLatin1Char('.');
    }
    // A file taken at the other port is the likeliest cause of no trim
    // through a balun or feeder: said when the library finds it fits there.
    if (const std::optional<nec::FeedPort> fits = nec::PortThatFits(*check_)) {
        said +=
            QStringLiteral(" The file fits the model at the %1: set Port to the %1 if it was taken there.")
                .arg(*fits == nec::FeedPort::Radio ? QStringLiteral("radio end") : QStringLiteral("lines' junction"));
    }
    showStatus(said);
}

QString ModelWindow::sessionWords() const {
    std::vector<nec::CutSweep> cuts;
    for (const auto& sweep : sessionSweeps_) {
        if (sweep) cuts.push_back(*sweep);
    }
    if (cuts.size() < 2 || !check_) return {};
    const nec::CutTrendResult trend = nec::CutAndMeasure(cuts, check_->report.designMHz);
    if (!trend.trend) return QStringLiteral(" Over the sweeps of this session: %1.").arg(Text(trend.why));
    const nec::BuiltLengths& next = trend.trend->next;
    return Regional(
        QStringLiteral(" Over %1 sweeps of this session: %2 MHz per 1 % of the loop's size; "
                       "the next cut HEIGHT %3, SIDE %4, GAP %5 mm.")
            .arg(cuts.size())
            .arg(Text(nec::Fixed(trend.trend->mhzPerPercent, 3)))
            .arg(Text(nec::MmText(next.heightMm)), Text(nec::MmText(next.sideMm)), Text(nec::MmText(next.gapMm))));
}

void ModelWindow::keepSessionSweep(bool added) {
    if (!check_ || !check_->measured) return;
    const nec::Measurement& m = *check_->measured;
    std::optional<nec::CutSweep> sweep;
    if (m.resonanceMHz && m.trim)
        sweep = nec::CutSweep{{m.built.heightMm, m.built.sideMm, m.built.gapMm}, *m.resonanceMHz};
    if (added || sessionSweeps_.empty()) {
        sessionSweeps_.push_back(sweep);
    } else {
        sessionSweeps_.back() = sweep;
    }
}

QString ModelWindow::Regional(const QString& text) const {
    return QString::fromStdString(WithSeparator(text.toStdString(), format_));
}

void ModelWindow::markResults(const QString& why) {
    resultsMark_->setText(why);
    resultsMark_->setVisible(!why.isEmpty());
}

void ModelWindow::runFromKeys() {
    // The numbers as typed count, not as they were before Enter: the
    // check that follows compares a measurement with the lengths as cut.
    for (DecimalBox* box : findChildren<DecimalBox*>()) box->interpretText();
    lastHeightM_ = height_->value();
    linesVelocityTaken();
    if (runButton_->isEnabled() || isRunning()) run();
}

void ModelWindow::printSheet() {
    if (!printDialog_) return;
    if (!check_ || !checkedDesign_) {
        printDialog_->Tell(this, QStringLiteral("There is no check to print yet: run one first."));
        return;
    }
    PrintSheetOf(this, *printDialog_, *checkedDesign_, checkedFormat_,
                 WithPlotSeparator(SheetFigures(*check_), checkedFormat_));
}

void ModelWindow::showHelp() { ShowHelp(this, QStringLiteral("model")); }

void ModelWindow::clearMeasurement() {
    // A comparison under way would bring the measurement back.
    if (isMeasuring() && !measurementLoads_) measurementJob_.reset();
    measuredSweep_.reset();
    measuredDesign_.reset();
    measuredName_.clear();
    if (check_) {
        check_->measuredSweep.reset();
        rereadCheck();
        showCheck();
    }
    showStatus(QStringLiteral("The measurement is cleared."));
    updateButtons();
    emit setupChanged();
}

void ModelWindow::compareMeasurement() {
    if (!check_ || !measuredSweep_) return;
    // A load under way compares again when it ends, with the check then on show.
    if (isMeasuring() && measurementLoads_) return;
    if (measuredSweep_->mhz.size() > kComparedAtOnce) {
        nec::CheckOptions options;
        options.asBuilt = builtLengths();
        nec::ModelCheck with = *check_;
        with.plan.feed = feedOptions();
        MeasurementJob::Task task{QString(),       measuredSweep_, std::move(with), measuredName_.toStdString(),
                                  measuredDesign_, std::nullopt,   options};
        startMeasurementJob(std::make_unique<MeasurementJob>(std::move(task)), false);
        return;
    }
    rereadCheck();
}

void ModelWindow::rereadCheck() {
    if (!check_) return;
    if (measuredSweep_ && !check_->measuredSweep) {
        // Taken in with another check: compared with this one, its other
        // shape not modelled.
        check_->measuredSweep = measuredSweep_;
        check_->measuredSource = measuredName_.toStdString();
        check_->measuredTakenOf = measuredDesign_;
    }
    try {
        nec::Reread(*check_, feedOptions(), builtLengths());
        keptBuilt_ = nec::BuiltLengths{builtHeight_->value(), builtSide_->value(), builtGap_->value()};
    } catch (const nec::Failure& failure) {
        showProblem(FailureWords(failure, measuredName_));
    }
}

nec::FeedOptions ModelWindow::feedOptions() const {
    nec::FeedOptions feed = feed_->options(keptFeed_);
    feed.match = match_->isChecked();
    return feed;
}

void ModelWindow::setFeedOptions(const nec::FeedOptions& feed) {
    keptFeed_ = feed;
    {
        // Told once, below, rather than once a box.
        const QSignalBlocker quiet(feed_), quietMatch(match_);
        feed_->setOptions(feed);
        match_->setChecked(feed.match);
    }
    feedChanged();
}

void ModelWindow::feedChanged() {
    emit setupChanged();
    if (!check_) return;
    ++checkGeneration_;
    if (measuredSweep_) {
        compareMeasurement();
    } else {
        rereadCheck();
    }
    showCheck();
}

void ModelWindow::listCurves() {
    QMenu* menu = curves_->menu();
    menu->clear();
    if (!check_) return;
    for (const plot::SweepCurve& curve : plot::SweepCurves(*check_)) {
        QAction* action = menu->addAction(curve.headline ? curve.label + QStringLiteral(" (bold)") : curve.label);
        action->setCheckable(true);
        action->setChecked(std::find(hiddenCurves_.begin(), hiddenCurves_.end(), curve) == hiddenCurves_.end());
        connect(action, &QAction::toggled, this, [this, curve](bool shown) {
            const auto at = std::find(hiddenCurves_.begin(), hiddenCurves_.end(), curve);
            if (shown && at != hiddenCurves_.end()) hiddenCurves_.erase(at);
            if (!shown && at == hiddenCurves_.end()) hiddenCurves_.push_back(curve);
            sweepPlot_->setHiddenCurves(hiddenCurves_);
        });
    }
    sweepPlot_->setHiddenCurves(hiddenCurves_);
}

std::function<std::optional<sheet::ModelFigures>(const Design&)> SheetFiguresFrom(const SecondaryWindow& model,
                                                                                  const DesignSource& main) {
    return [&model, &main](const Design& design) {
        std::optional<sheet::ModelFigures> figures;
        const auto* window = qobject_cast<const ModelWindow*>(model.Window());
        if (window && window->Check() && nec::ChecksDesign(*window->Check(), WithPoint(design, main.Format()))) {
            figures = WithPlotSeparator(SheetFigures(*window->Check()), main.Format());
        }
        return figures;
    };
}

}  // namespace corvanta::ui
