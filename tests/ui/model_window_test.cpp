// The MODEL CHECK window against a stand-in engine that runs nec2c at once
// or after a pause, hangs or fails: the main window keeps working during a
// run, Stop and closing leave no engine process behind, a run never writes
// the main window's fields, and every failure ends in its message.

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QMap>
#include <QPlainTextEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QApplication>
#include <QProcess>
#include <QTextBrowser>
#include <memory>

#include "tests/installed.h"
#include "tests/nec/failure_samples.h"
#include "tests/ui/test_program.h"
#include "ui/check_job.h"
#include "ui/decimal_box.h"
#include "ui/failure_words.h"
#include "ui/plot_view.h"

namespace corvanta::ui {

namespace {

// Every process started by this test carries this in its environment, so
// that engines of other programs on the machine do not count.
const QByteArray kMark = "CORVANTA_MODEL_TEST=" + QByteArray::number(QCoreApplication::applicationPid());

int MarkedProcesses() {
    int count = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (pid == self || !pid.front().isDigit()) continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly)) continue;
        // A zombie's environment reads empty: it runs no more.
        if (environ.readAll().split('\0').contains(kMark)) ++count;
    }
    return count;
}

constexpr int kRunLimitMs = 60000;  // a bound against hanging, not a speed test

}  // namespace

class ModelWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    QLineEdit* line(const char* name) const { return window_->findChild<QLineEdit*>(QLatin1String(name)); }
    template <typename T>
    T* in(const char* name) const {
        return program_->Model()->findChild<T*>(QLatin1String(name));
    }
    QString status() const { return in<QLabel>("status")->text(); }
    void showPageOf(QWidget* view) {
        auto* tabs = in<QTabWidget>("views");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(view)) tabs->setCurrentIndex(i);
        }
    }

    void useEngine(const char* mode) {
        qputenv("CORVANTA_STAND_IN", mode);
        program_->engine.program = CORVANTA_STAND_IN_ENGINE;
        program_->engine.jobs = 1;
    }
    void chooseSides(const char* option) {
        QTest::mouseClick(window_->findChild<QRadioButton*>(QLatin1String(option)), Qt::LeftButton);
    }
    void typeInto(const char* name, const QString& text) {
        line(name)->selectAll();
        QTest::keyClick(line(name), Qt::Key_Delete);
        QTest::keyClicks(line(name), text);
    }
    void clickPicture() { QTest::mouseClick(window_->findChild<QLabel*>(QStringLiteral("Picture1")), Qt::LeftButton); }
    // Opens the model window, which starts a run, and waits for its end.
    bool checkToTheEnd() {
        clickPicture();
        QSignalSpy ended(program_->Model(), &ModelWindow::runEnded);
        return program_->Model()->isRunning() ? ended.wait(kRunLimitMs) : true;
    }
    QStringList shownFields() const {
        QStringList texts;
        for (Field field : AllFields()) {
            texts << QString::fromStdString(window_->Sheet().Read(field));
            if (auto* box = line(FieldName(field).data())) texts << box->text();
        }
        return texts;
    }

private slots:
    void initTestCase() {
        qputenv("CORVANTA_MODEL_TEST", kMark.mid(kMark.indexOf('=') + 1));
        testing::QuietOffscreenPlatform();
    }

    void init() {
        program_ = std::make_unique<testing::TestProgram>();
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_.reset();
        program_.reset();
        QCOMPARE(MarkedProcesses(), 0);
    }

    void pictureAndF5OpenOneWindow() {
        auto* picture = window_->findChild<QLabel*>(QStringLiteral("Picture1"));
        QVERIFY(picture->toolTip().contains(QLatin1String("F5")));
        QCOMPARE(picture->cursor().shape(), Qt::PointingHandCursor);
        clickPicture();
        QPointer<QWidget> first = program_->model.Window();
        QVERIFY(first);
        QCOMPARE(first->windowTitle(), QStringLiteral("MODEL CHECK"));
        QVERIFY(first->parentWidget() == nullptr);
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(program_->model.Window(), first.data());
        // Esc closes it; F5 in the main window builds it again.
        first->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(first.data()));
        QTest::keyClick(first.data(), Qt::Key_Escape);
        QTRY_VERIFY(first.isNull());
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(program_->Model());
    }

    void everyControlIsNamed() {
        clickPicture();
        for (QWidget* control : program_->Model()->findChildren<QWidget*>()) {
            // A spin box's editor and the tab bar are named by their owners.
            if (qobject_cast<QAbstractSpinBox*>(control->parentWidget()) || qobject_cast<QTabBar*>(control)) {
                continue;
            }
            if (control->focusPolicy() & Qt::TabFocus && control->isVisibleTo(program_->Model())) {
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
            }
        }
        for (const char* name : {"ground", "height", "run", "stop", "progress", "status"}) {
            QVERIFY2(!in<QWidget>(name)->accessibleName().isEmpty(), name);
        }
        // Tab goes down the window, left to right; over ground the height
        // and, after a check, the save buttons take part.
        in<QComboBox>("ground")->setCurrentIndex(1);
        program_->Model()->run();
        QStringList order;
        program_->Model()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program_->Model()));
        in<QWidget>("ground")->setFocus();
        // The port waits for a balun or a feeder.
        const QStringList expected = {"ground",
                                      "height",
                                      "linesVelocity",
                                      "linesMeasured",
                                      "lineStub",
                                      "buildRecord",
                                      "run",
                                      "balun",
                                      "feederImpedance",
                                      "feederVelocity",
                                      "feederLength",
                                      "feederLoss",
                                      "sweepFrom",
                                      "sweepTo",
                                      "sweepPoints",
                                      "exactSweep",
                                      "match",
                                      "analyser",
                                      "qt_tabwidget_tabbar",
                                      "figures",
                                      "help",
                                      "close",
                                      "ground"};
        for (int i = 0; i < expected.size(); ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, expected);
        // The status line is read, never a stop with a caret.
        QCOMPARE(in<QLabel>("status")->focusPolicy(), Qt::NoFocus);
    }

    // The height box reads as the main window's fields do: the regional
    // separator and the point, never a group separator; what it cannot read
    // is told and the height stays.
    void heightReadsTheRegionalSeparator_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("heightM");  // as the check would use it
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("said");  // empty: nothing to tell
        QTest::newRow("comma, point typed") << ","
                                            << "12.5" << 12.5 << "12,500 m"
                                            << "";
        QTest::newRow("comma, comma typed") << ","
                                            << "12,5" << 12.5 << "12,500 m"
                                            << "";
        QTest::newRow("comma, grouped") << ","
                                        << "1.234,5" << 10.0 << "10,000 m"
                                        << "\u201c1.234,5\u201d";
        QTest::newRow("comma, two points") << ","
                                           << "1.2.5" << 10.0 << "10,000 m"
                                           << "\u201c1.2.5\u201d";
        QTest::newRow("comma, letters") << ","
                                        << "zwoelf" << 10.0 << "10,000 m"
                                        << "\u201czwoelf\u201d";
        QTest::newRow("point, point typed") << "."
                                            << "12.5" << 12.5 << "12.500 m"
                                            << "";
        QTest::newRow("point, grouped") << "."
                                        << "1,234.5" << 10.0 << "10.000 m"
                                        << "\u201c1,234.5\u201d";
        QTest::newRow("point, too high") << "."
                                         << "250000" << 10.0 << "10.000 m"
                                         << "\u201c250000\u201d";
    }

    void heightReadsTheRegionalSeparator() {
        QFETCH(QString, separator);
        QFETCH(QString, typed);
        QFETCH(double, heightM);
        QFETCH(QString, shown);
        QFETCH(QString, said);
        const QLocale before;
        QLocale::setDefault(separator == QLatin1String(",") ? QLocale(QLocale::German, QLocale::Germany)
                                                            : QLocale(QLocale::English, QLocale::UnitedStates));
        window_.reset(program_->NewMainWindow(NumberFormat{separator.at(0).toLatin1()}));
        window_->show();
        useEngine("fail");
        chooseSides("Option1");
        clickPicture();
        auto* height = in<QDoubleSpinBox>("height");
        height->setValue(10);
        in<QComboBox>("ground")->setCurrentIndex(1);
        QVERIFY(checkToTheEnd());
        program_->Model()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program_->Model()));
        height->setFocus();
        height->selectAll();
        QTest::keyClick(height, Qt::Key_Delete);
        QTest::keyClicks(height, typed);
        QTest::keyClick(height, Qt::Key_Tab);
        QLocale::setDefault(before);
        if (program_->Model()->isRunning()) {
            QSignalSpy ended(program_->Model(), &ModelWindow::runEnded);
            QVERIFY(ended.wait(kRunLimitMs));
        }
        QCOMPARE(height->value(), heightM);
        QCOMPARE(height->text(), shown);
        if (said.isEmpty()) {
            QVERIFY2(!status().contains(QLatin1String("Height above it")), qPrintable(status()));
        } else {
            QVERIFY2(status().startsWith(QLatin1String("Height above it: ")), qPrintable(status()));
            QVERIFY2(status().contains(said), qPrintable(status()));
            QVERIFY2(status().contains(shown), qPrintable(status()));
        }
    }

    // What stops a run before the engine starts: the side choice, a field
    // that does not read, a height the ground cannot hold.
    void refusalsAreTold_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("mm");  // Text8
        QTest::addColumn<int>("ground");  // index: free, average, perfect
        QTest::addColumn<double>("heightM");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("no side") << ""
                                 << "1.626" << 0 << 10.0 << QStringList{"THREE SIDED", "FOUR SIDED"};
        QTest::newRow("mm abc") << "Option1"
                                << "abc" << 0 << 10.0
                                << QStringList{"Error 13: Type mismatch", "the MM field", "\"abc\""};
        // HEIGHT 718.233 mm: half 359.117, radius 0.813, the bottom corner segment 34.5 mm;
        // their sum is 394.4 mm, so 0.395 m.
        QTest::newRow("too low") << "Option1"
                                 << "1.626" << 2 << 0.36 << QStringList{"0.395 m", "above the ground"};
    }

    void refusalsAreTold() {
        QFETCH(QString, option);
        QFETCH(QString, mm);
        QFETCH(int, ground);
        QFETCH(double, heightM);
        QFETCH(QStringList, said);
        useEngine("fail");
        if (!option.isEmpty()) chooseSides(qPrintable(option));
        typeInto("Text8", mm);
        const QStringList before = shownFields();
        clickPicture();
        in<QComboBox>("ground")->setCurrentIndex(ground);
        in<QDoubleSpinBox>("height")->setValue(heightM);
        program_->Model()->run();
        QVERIFY(!program_->Model()->isRunning());
        for (const QString& words : said) QVERIFY2(status().contains(words), qPrintable(status()));
        QCOMPARE(shownFields(), before);
        QVERIFY(program_->reporter.failures.isEmpty());
        if (mm == QLatin1String("abc")) {
            // The same message as COMPUTE gives in the main window.
            QTest::mouseClick(window_->findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
            QCOMPARE(program_->reporter.failures.size(), 1);
            QCOMPARE(status(), program_->reporter.failures.front().message);
        }
    }

    // The main window takes typing and buttons while the engines run.
    void mainWindowWorksDuringARun() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        // Slow enough that the main window is typed into while it runs.
        useEngine("slow");
        chooseSides("Option2");
        clickPicture();
        ModelWindow* model = program_->Model();
        QVERIFY(model->isRunning());
        QSignalSpy ended(model, &ModelWindow::runEnded);
        QTRY_VERIFY(MarkedProcesses() > 0);
        typeInto("Text2", QStringLiteral("50"));
        QTest::mouseClick(window_->findChild<QPushButton*>(QStringLiteral("Command7")), Qt::LeftButton);
        // ACCEPT at 50 MHz: 300000 / 50 / 1263.7 = 4.748 mm.
        QCOMPARE(line("Text8")->text(), QStringLiteral("4.748"));
        QVERIFY(model->isRunning());
        QVERIFY(ended.wait(kRunLimitMs));
        QVERIFY2(model->Check().has_value(), qPrintable(status()));
        // The run modelled the texts of its start: 146.00 MHz, four sides,
        // HEIGHT 679.027 mm.
        QCOMPARE(model->Check()->plan.model.designMHz, 146.0);
        QCOMPARE(model->Check()->plan.model.sides, 4);
        QCOMPARE(model->Check()->plan.model.heightMm, 679.027);
        QVERIFY(in<QLabel>("design")->text().contains(QLatin1String("679.027")));
        // Every reading in the figures, in the window's words: the
        // reference with its balun, and each 2:1 range by its reading.
        const QString figures = in<QTextBrowser>("figures")->toPlainText();
        for (const char* text :
             {"Gaps in parallel", "SWR on 200 \u03a9 (4:1 balun)", "Lines' junction on 200 \u03a9 (4:1 balun)",
              "Gaps in parallel on 300 \u03a9", "One gap on 300 \u03a9"}) {
            QVERIFY2(figures.contains(QString::fromUtf8(text)), text);
        }
    }

    // A hanging engine: Stop, closing the window, a second run or the time
    // limit end it and leave no process behind; a failing, crashing,
    // missing or babbling one ends in its message.
    void everyEndOfARun_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("end");  // what the user does while it runs
        // What the status line said as each run ended: a run that was
        // stopped says so, also when the window goes or a new run takes
        // its place.
        QTest::addColumn<QStringList>("endings");
        QTest::newRow("hang, Stop") << "hang"
                                    << "stop" << QStringList{"Stopped after"};
        QTest::newRow("hang, closed") << "hang"
                                      << "close" << QStringList{"Stopped after"};
        QTest::newRow("hang, Run again, Esc") << "hang"
                                              << "rerun" << QStringList{"Stopped after", "Stopped after"};
        QTest::newRow("hang, time-out") << "hang"
                                        << "wait" << QStringList{"did not finish within its time budget of 1 s"};
        QTest::newRow("fail") << "fail"
                              << "" << QStringList{"failed on the model (exit status 1); it said:\n  GW card"};
        QTest::newRow("crash") << "crash"
                               << "" << QStringList{"crashed on the model (signal 11, Segmentation fault)"};
        QTest::newRow("garbage") << "garbage"
                                 << "" << QStringList{"The engine's answer could not be read: "};
        QTest::newRow("missing") << "missing"
                                 << ""
                                 << QStringList{
                                        "The engine failed: nec2c-that-is-not-installed is not installed; "
                                        "install Debian's package nec2c."};
    }

    void everyEndOfARun() {
        QFETCH(QString, mode);
        QFETCH(QString, end);
        QFETCH(QStringList, endings);
        useEngine(qPrintable(mode));
        if (mode == QLatin1String("missing")) program_->engine.program = "nec2c-that-is-not-installed";
        if (end == QLatin1String("wait")) program_->engine.timeoutSeconds = 1;
        chooseSides("Option1");
        clickPicture();
        QPointer<ModelWindow> model = program_->Model();
        QSignalSpy ended(model.data(), &ModelWindow::runEnded);
        // The status line as each run ended, read before a closing window goes.
        QStringList said;
        QPointer<QLabel> statusLine = in<QLabel>("status");
        connect(model.data(), &ModelWindow::runEnded, this, [&said, statusLine] { said << statusLine->text(); });
        if (mode == QLatin1String("hang")) {
            QTRY_VERIFY(MarkedProcesses() > 0);
            QVERIFY(model->isRunning());
            if (end == QLatin1String("stop")) {
                QTest::mouseClick(in<QPushButton>("stop"), Qt::LeftButton);
                QVERIFY(ended.wait(kRunLimitMs));
            } else if (end == QLatin1String("wait")) {
                QVERIFY(ended.wait(kRunLimitMs));
            } else if (end == QLatin1String("close")) {
                model->close();
                QTRY_VERIFY(model.isNull());
            } else {
                model->run();
                QCOMPARE(ended.size(), 1);
                QVERIFY(model->isRunning());
                model->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(model.data()));
                QTest::keyClick(model.data(), Qt::Key_Escape);
                QTRY_VERIFY(model.isNull());
            }
            // The stand-in's own child goes with it: the whole group is killed.
            QTRY_COMPARE(MarkedProcesses(), 0);
        } else {
            QVERIFY(model->isRunning() ? ended.wait(kRunLimitMs) : ended.size() == 1);
        }
        QCOMPARE(said.size(), endings.size());
        for (qsizetype i = 0; i < said.size(); ++i) QVERIFY2(said[i].contains(endings[i]), qPrintable(said[i]));
        if (model) {
            QCOMPARE(status(), said.back());
            QVERIFY(!in<QPushButton>("saveReport")->isEnabled());
            // The deck is there without an engine.
            QVERIFY(in<QPushButton>("saveDeck")->isEnabled());
        }
        QVERIFY(program_->reporter.failures.isEmpty());
    }

    // The job on its own: Stop ends it with a Stopped failure and its
    // progress as it stood; a job destroyed mid-run takes its engines with
    // it and says nothing after it is gone.
    void aJobStopsAndGoesWithItsEngines() {
        useEngine("hang");
        nec::CheckOptions options;
        options.program = CORVANTA_STAND_IN_ENGINE;
        options.jobs = 1;
        options.sweepPoints = 3;
        const Design design = RunDesign({"146", SideChoice::Three, std::nullopt});

        CheckJob stopped({design, options, std::nullopt});
        QSignalSpy finished(&stopped, &CheckJob::finished);
        stopped.start();
        QVERIFY(stopped.isRunning());
        QTRY_VERIFY(MarkedProcesses() > 0);
        stopped.stop();
        QVERIFY(finished.wait(kRunLimitMs));
        QVERIFY(!stopped.isRunning());
        QVERIFY(!stopped.check());
        QVERIFY(stopped.failure());
        QCOMPARE(stopped.failure()->Kind(), nec::FailureKind::Stopped);
        QTRY_COMPARE(MarkedProcesses(), 0);

        auto gone = std::make_unique<CheckJob>(nec::CheckRequest{design, options, std::nullopt});
        QSignalSpy quiet(gone.get(), &CheckJob::finished);
        gone->start();
        QTRY_VERIFY(MarkedProcesses() > 0);
        gone.reset();
        QTRY_COMPARE(MarkedProcesses(), 0);
        QCOMPARE(quiet.size(), 0);
    }

    // Every kind of the model library's failure in the window's words,
    // exactly: the window's own boxes, never an option of the command line.
    void failureWordsOfEveryKind_data() {
        QTest::addColumn<int>("kind");  // index into FailureSamples
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("words");
        QTest::newRow("model") << 0 << ""
                               << "The design cannot be modelled: the conductor is too thick to model.";
        QTest::newRow("too near the ground")
            << 1 << ""
            << "The loop cannot be modelled there: at a height of 0.36 m the lowest wire is 0.1 mm above the "
               "ground. Give a height of 0.370 m or more.";
        QTest::newRow("engine missing") << 2 << ""
                                        << "The engine failed: nec2c is not installed; install Debian's package nec2c.";
        QTest::newRow("engine not started") << 3 << ""
                                            << "The engine failed: nec2c could not be started: Permission denied";
        QTest::newRow("engine timed out")
            << 4 << ""
            << "The engine failed: the check did not finish within its time budget of 12.5 s for all of nec2c's "
               "runs together; every engine was stopped";
        QTest::newRow("engine crashed") << 5 << ""
                                        << "The engine failed: nec2c crashed on the model (signal 11, Segmentation "
                                           "fault); it said:\n  reading the deck\n  GW card 3";
        QTest::newRow("engine failed") << 6 << ""
                                       << "The engine failed: nec2c failed on the model (exit status 1); it said:\n"
                                          "  GW card: the segment count is out of range";
        QTest::newRow("stopped") << 7 << ""
                                 << "The check was stopped.";
        QTest::newRow("answer") << 8 << ""
                                << "The engine's answer could not be read: the engine's output has no segment count";
        QTest::newRow("measurement") << 9 << "sweep.s1p"
                                     << "sweep.s1p was not loaded: line 4: a number does not read: \"147 0.1 oops\"";
        QTest::newRow("measurement, no file")
            << 9 << ""
            << "The measurement was not loaded: line 4: a number does not read: \"147 0.1 oops\"";
        QTest::newRow("system") << 10 << ""
                                << "The check could not start: cannot make a temporary directory "
                                   "/nowhere/corvanta-nec-XXXXXX: No such file or directory";
        QTest::newRow("segments per gap")
            << 11 << ""
            << "The design cannot be modelled: segments of 3.223 mm (the 9.67 mm gap in 3) would be under 4 wire "
               "radii (3.252 mm), the least the extended thin-wire kernel holds; the gap's length may be cut into "
               "2 segments here.";
    }

    void failureWordsOfEveryKind() {
        QFETCH(int, kind);
        QFETCH(QString, file);
        QFETCH(QString, words);
        const auto samples = nec::testing::FailureSamples();
        QCOMPARE(FailureWords(samples.at(static_cast<std::size_t>(kind)), file), words);
    }

    // Whatever the window says of a failure or advises names no option and
    // no shell command: the window has boxes, not a command line.
    void noWindowTextSpeaksTheCommandLine() {
        QStringList told;
        for (const nec::Failure& failure : nec::testing::FailureSamples()) told << FailureWords(failure);
        told << QString::fromStdString(AdviceWords(nec::Advice::FinerSweep));
        QCOMPARE(told.size(), static_cast<qsizetype>(nec::testing::kFailureKinds) + 1);
        for (const QString& text : told) {
            QVERIFY2(!text.isEmpty(), "a kind without words");
            for (const char* command : {"--", "sudo", "apt-get", "corvanta-cli"}) {
                QVERIFY2(!text.contains(QLatin1String(command)), qPrintable(text));
            }
        }
    }

    void savesTheDeckAndTheReport_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answer");  // the file name typed in the dialog
        QTest::addColumn<int>("filter");      // the type chosen in the dialog
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("deck") << "saveDeck"
                              << "loop" << 0 << "loop.nec" << QByteArray("CM corvanta 146.00 MHz");
        QTest::newRow("report as text") << "saveReport"
                                        << "r.txt" << 1 << "r.txt" << QByteArray("NEC-2 check of the 146 MHz");
        QTest::newRow("report as json") << "saveReport"
                                        << "r" << 1 << "r.json" << QByteArray("{");
        QTest::newRow("json by suffix") << "saveReport"
                                        << "r.JSON" << 0 << "r.JSON" << QByteArray("{");
        QTest::newRow("plot as svg") << "savePlot"
                                     << "p" << 0 << "p.svg" << QByteArray("<?xml");
        QTest::newRow("plot as png") << "savePlot"
                                     << "p.png" << 0 << "p.png" << QByteArray("\x89PNG");
        QTest::newRow("touchstone") << "saveTouchstone"
                                    << "m" << 0 << "m.s1p" << QByteArray("! corvanta 146.00 MHz");
    }

    void savesTheDeckAndTheReport() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, starts);
        useEngine("ready");
        chooseSides("Option1");
        const QStringList before = shownFields();
        QVERIFY(checkToTheEnd());
        QCOMPARE(shownFields(), before);
        QTemporaryDir folder;
        program_->files.answer = {folder.filePath(answer), filter};
        QTest::mouseClick(in<QPushButton>(qPrintable(button)), Qt::LeftButton);
        QCOMPARE(program_->files.suggestedNames.size(), 1);
        QVERIFY(program_->files.suggestedNames.front().startsWith(QLatin1String("corvanta-146-three")));
        QFile file(folder.filePath(written));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(status()));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.startsWith(starts), bytes.left(80).constData());
        if (starts == "{") {
            const QJsonObject json = QJsonDocument::fromJson(bytes).object();
            QCOMPARE(json.value(QStringLiteral("design_mhz")).toDouble(), 146.0);
            QCOMPARE(json.value(QStringLiteral("sides")).toInt(), 3);
        }
        // A folder that is not there: a message, and the window stays.
        program_->files.answer = {folder.filePath(QStringLiteral("no/such/folder/x.txt")), 0};
        QTest::mouseClick(in<QPushButton>(qPrintable(button)), Qt::LeftButton);
        QVERIFY2(status().startsWith(QLatin1String("Could not")), qPrintable(status()));
        QVERIFY(program_->Model()->isVisible());
    }

    // The model's own sweep loaded back as a measurement: the same resonance,
    // a trim to the design frequency. A file that does not read changes
    // nothing and says which line.
    void loadsAMeasurement() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        useEngine("ready");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        QTemporaryDir folder;
        program_->files.answer = {folder.filePath(QStringLiteral("model.s1p")), 0};
        QTest::mouseClick(in<QPushButton>("saveTouchstone"), Qt::LeftButton);

        QFile bad(folder.filePath(QStringLiteral("bad.s1p")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("# MHz S RI R 50\n146 0.1\n");
        bad.close();
        program_->files.openAnswer = bad.fileName();
        {
            QSignalSpy ended(program_->Model(), &ModelWindow::measurementEnded);
            QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
            QVERIFY(ended.wait(kRunLimitMs));
        }
        QVERIFY2(status().contains(QLatin1String("bad.s1p was not loaded: line 2")), qPrintable(status()));
        QVERIFY(!program_->Model()->Check()->measured);

        program_->files.openAnswer = folder.filePath(QStringLiteral("model.s1p"));
        {
            QSignalSpy ended(program_->Model(), &ModelWindow::measurementEnded);
            QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
            QVERIFY(ended.wait(kRunLimitMs));
        }
        const auto& measured = program_->Model()->Check()->measured;
        QVERIFY2(measured && measured->resonanceMHz, qPrintable(status()));
        QVERIFY(std::abs(*measured->resonanceMHz - *measured->modelResonanceMHz) < 1e-3);
        QVERIFY(status().contains(QLatin1String("Measured resonance")));
        QVERIFY2(status().contains(QLatin1String("The trim assumes the loop was cut")), qPrintable(status()));
        QVERIFY(in<QTextBrowser>("figures")->toPlainText().contains(QLatin1String("Measured: model.s1p")));
        QVERIFY(in<QTextBrowser>("figures")->toPlainText().startsWith(QLatin1String("Verdict")));

        // Lengths as cut that no loop of this design has are refused as they
        // are typed, and the box goes back; a loop cut 2 % small is taken.
        const struct {
            const char* box;
            double mm;
            bool taken;
            const char* said;
        } typed[] = {
            {"builtHEIGHT", 7182.33, false, "HEIGHT is 10 times the design's"},
            {"builtGAP", 0.01, false, "GAP is 0.001 times the design's (0.5 to 2 times is taken)"},
            {"builtSIDE", 718.23, false, "HEIGHT over SIDE is 1 where the design's is 2.693"},
            {"builtHEIGHT", 703.87, true, ""},
        };
        for (const auto& t : typed) {
            auto* box = in<DecimalBox>(t.box);
            const double before = box->value();
            box->setValue(t.mm);
            emit box->editingFinished();
            QCOMPARE(box->value(), t.taken ? t.mm : before);
            if (t.taken) {
                QVERIFY2(!status().contains(QLatin1String("not taken")), qPrintable(status()));
                QCOMPARE(program_->Model()->Check()->measured->built.heightMm, t.mm);
                // The status line follows the lengths now taken: the trim
                // of what was cut, no longer assuming the design's lengths.
                QVERIFY2(status().startsWith(QLatin1String("The lengths as cut are HEIGHT")), qPrintable(status()));
                QVERIFY2(status().contains(QLatin1String("trim what was cut")), qPrintable(status()));
                QVERIFY2(!status().contains(QLatin1String("assumes the loop was cut")), qPrintable(status()));
            } else {
                QVERIFY2(status().startsWith(QLatin1String("The lengths as cut were not taken: ")),
                         qPrintable(status()));
                QVERIFY2(status().contains(QLatin1String(t.said)), qPrintable(status()));
            }
        }

        // The measurement stays through another run, with the lengths as cut
        // scaled, until it is cleared.
        in<DecimalBox>("builtHEIGHT")->setValue(700);
        QVERIFY(checkToTheEnd());
        const auto& kept = program_->Model()->Check()->measured;
        QVERIFY2(kept && kept->trim, qPrintable(status()));
        QVERIFY(!kept->assumesDesignLengths);
        QVERIFY(std::abs(kept->built.heightMm - 700) < 1e-9);
        QVERIFY(std::abs(kept->trim->heightMm - 700 * kept->trim->scale) < 1e-9);
        QTest::mouseClick(in<QPushButton>("clearMeasurement"), Qt::LeftButton);
        QVERIFY(!program_->Model()->Check()->measured);
        QVERIFY(checkToTheEnd());
        QVERIFY(!program_->Model()->Check()->measured);
    }

    // Ctrl+P after a check of the same design prints the model's figures;
    // after an edit of the fields, the sheet has none.
    void thePrintedSheetCarriesTheCheck() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        if (!corvanta::testing::Installed("pdftotext")) QSKIP("pdftotext is not installed");
        useEngine("ready");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        window_->SetModelFiguresSource(SheetFiguresFrom(program_->model, *window_));
        // Ctrl+P belongs to the main window: back to it from the model window.
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTemporaryDir folder;
        const auto printed = [&](const QString& name) {
            program_->printDialog.pdfPath = folder.filePath(name);
            QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier);
            QProcess reader;
            reader.start(QStringLiteral("pdftotext"), {program_->printDialog.pdfPath, QStringLiteral("-")});
            reader.waitForFinished();
            return QString::fromUtf8(reader.readAllStandardOutput());
        };
        const QString checked = printed(QStringLiteral("checked.pdf"));
        QVERIFY2(checked.contains(QLatin1String("Lines' junction")), qPrintable(checked));
        // The figure's name wraps in its column, beside its value.
        QVERIFY2(checked.contains(QString::fromUtf8("SWR on 50 \u03a9 / 200 \u03a9 (4:1 balun)")), qPrintable(checked));
        typeInto("Text2", QStringLiteral("147"));
        const QString edited = printed(QStringLiteral("edited.pdf"));
        QVERIFY2(!edited.isEmpty() && !edited.contains(QLatin1String("Lines' junction")), qPrintable(edited));
    }

    // The results of a check stay on show, marked as the last check's, while
    // a new run goes and after it is stopped; fresh results clear the mark.
    void resultsStayThroughARunAndStop() {
        useEngine("ready");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        ModelWindow* model = program_->Model();
        auto* mark = in<QLabel>("resultsMark");
        const QString figures = in<QTextBrowser>("figures")->toPlainText();
        const QString report = in<QPlainTextEdit>("report")->toPlainText();
        QVERIFY(!figures.isEmpty() && !report.isEmpty());
        QVERIFY(!mark->isVisibleTo(model));
        const auto kept = [&] {
            QCOMPARE(in<QTextBrowser>("figures")->toPlainText(), figures);
            QCOMPARE(in<QPlainTextEdit>("report")->toPlainText(), report);
            QVERIFY(!in<PlotView>("sweepPlot")->Readout().isEmpty());
            QVERIFY(model->Check().has_value());
            QVERIFY(in<QPushButton>("saveReport")->isEnabled());
            QVERIFY(mark->isVisibleTo(model));
            QVERIFY2(mark->text().contains(QLatin1String("from the last check")), qPrintable(mark->text()));
        };

        useEngine("hang");
        QSignalSpy ended(model, &ModelWindow::runEnded);
        model->run();
        QVERIFY(model->isRunning());
        kept();
        QTRY_VERIFY(MarkedProcesses() > 0);
        QTest::mouseClick(in<QPushButton>("stop"), Qt::LeftButton);
        QVERIFY(ended.wait(kRunLimitMs));
        QVERIFY(status().startsWith(QLatin1String("Stopped after")));
        kept();

        useEngine("ready");
        model->run();
        QVERIFY(ended.wait(kRunLimitMs));
        QVERIFY(!mark->isVisibleTo(model));
    }

    // The progress counts the frequencies the check expects to model: its
    // total never goes back while the check runs, and it ends full, with
    // no count that could disagree with the status line.
    void progressTotalNeverJumpsBack() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        useEngine("ready");
        chooseSides("Option1");
        clickPicture();
        ModelWindow* model = program_->Model();
        auto* bar = in<QProgressBar>("progress");
        QVERIFY(bar);
        QList<int> totals;
        connect(bar, &QProgressBar::valueChanged, this, [&] {
            if (bar->isTextVisible() && bar->maximum() > 1) totals << bar->maximum();
        });
        QSignalSpy ended(model, &ModelWindow::runEnded);
        QVERIFY(!model->isRunning() || ended.wait(kRunLimitMs));
        QVERIFY2(model->Check().has_value(), qPrintable(status()));
        QVERIFY(!totals.isEmpty());
        for (qsizetype i = 1; i < totals.size(); ++i) QVERIFY(totals[i] >= totals[i - 1]);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(!bar->isTextVisible());
        QVERIFY2(status().startsWith(QLatin1String("Checked in")), qPrintable(status()));
    }

    // Ctrl+P in the model window prints the sheet of the design it checked,
    // with its figures, even after the main window's fields have changed.
    void ctrlPPrintsTheCheckedDesign() {
        useEngine("fail");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        ModelWindow* model = program_->Model();
        model->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(model));
        // Without a check there is nothing to print, and it says so.
        QTest::keyClick(model, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(program_->printDialog.told.size(), 1);
        QVERIFY(program_->printDialog.asked.isEmpty());
        useEngine("ready");
        QSignalSpy ended(model, &ModelWindow::runEnded);
        model->run();
        QVERIFY(ended.wait(kRunLimitMs));
        QVERIFY2(model->Check().has_value(), qPrintable(status()));
        typeInto("Text2", QStringLiteral("147"));

        QTemporaryDir folder;
        program_->printDialog.pdfPath = folder.filePath(QStringLiteral("model.pdf"));
        model->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(model));
        QTest::keyClick(model, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(program_->printDialog.asked, QStringList({"Build sheet 146 MHz THREE SIDED"}));
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {program_->printDialog.pdfPath, QStringLiteral("-")});
        reader.waitForFinished();
        const QString text = QString::fromUtf8(reader.readAllStandardOutput());
        QVERIFY2(text.contains(QLatin1String("Lines' junction")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("146 MHz")), qPrintable(text));
    }

    // Every button, tab and labelled box has a mnemonic, no two the same,
    // and Alt+G and Alt+H keep the ground and the height.
    void everyMnemonicIsItsOwn() {
        clickPicture();
        ModelWindow* model = program_->Model();
        QMap<QString, QString> taken;  // letter: whose
        const auto take = [&](const QString& text, const QString& whose) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            QVERIFY2(!key.isEmpty(), qPrintable(whose + QStringLiteral(" has no mnemonic")));
            const QString letter = key.toString();
            QVERIFY2(!taken.contains(letter), qPrintable(whose + QStringLiteral(" and ") + taken.value(letter) +
                                                         QStringLiteral(" share ") + letter));
            taken.insert(letter, whose);
        };
        for (QAbstractButton* button : model->findChildren<QAbstractButton*>()) {
            if (button->isVisibleTo(model) && !button->text().isEmpty()) take(button->text(), button->objectName());
        }
        for (QLabel* label : model->findChildren<QLabel*>()) {
            if (label->buddy()) take(label->text(), label->buddy()->objectName());
        }
        auto* tabs = in<QTabWidget>("views");
        for (int i = 0; i < tabs->count(); ++i) take(tabs->tabText(i), tabs->tabText(i));
        QCOMPARE(taken.value(QStringLiteral("Alt+G")), QStringLiteral("ground"));
        QCOMPARE(taken.value(QStringLiteral("Alt+H")), QStringLiteral("height"));
        QCOMPARE(taken.value(QStringLiteral("Alt+P")), QStringLiteral("&Pattern"));
        QVERIFY(taken.size() >= 15);
    }

    // Enter in the height box takes the height as typed and runs the check.
    void enterRunsTheCheck() {
        // The window's own first run ends at once; the one Enter starts checks.
        useEngine("fail");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        useEngine("ready");
        ModelWindow* model = program_->Model();
        in<QComboBox>("ground")->setCurrentIndex(2);
        auto* height = in<QDoubleSpinBox>("height");
        height->setEnabled(true);
        model->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(model));
        height->setFocus();
        height->selectAll();
        QTest::keyClicks(height, QStringLiteral("12"));
        QSignalSpy ended(model, &ModelWindow::runEnded);
        QTest::keyClick(height, Qt::Key_Return);
        QVERIFY(model->isRunning() || !ended.isEmpty());
        QVERIFY(model->isRunning() ? ended.wait(kRunLimitMs) : true);
        QCOMPARE(ended.size(), 1);
        QVERIFY2(model->Check().has_value(), qPrintable(status()));
        QCOMPARE(model->Check()->plan.model.placement.heightM, 12.0);
    }

    // The plots fit the window with their smallest text at 8 points or more,
    // also at a scale factor of 2 (run so by a test of its own), and the
    // read-out keeps to its few lines.
    void plotsFitWithReadableText() {
        useEngine("ready");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        ModelWindow* model = program_->Model();
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) QCOMPARE(model->devicePixelRatio(), 2.0);
        // A full-screen window on a 1920 x 1080 screen, in the window's own
        // pixels, and a small one.
        const QSize screen = QSize(1920, 1080) / model->devicePixelRatio();
        for (const QSize size : {screen, QSize(640, 480)}) {
            model->resize(size);
            for (const char* name : {"sweepPlot", "patternPlot"}) {
                auto* plot = in<PlotView>(name);
                showPageOf(plot);
                QApplication::processEvents();
                QWidget* page = plot->parentWidget();
                QVERIFY2(plot->smallestTextPoints() >= 8, qPrintable(QString::number(plot->smallestTextPoints())));
                QVERIFY(page->rect().contains(plot->geometry()));
                QVERIFY2(plot->height() * 3 >= page->height() * 2,
                         qPrintable(QStringLiteral("%1 of %2").arg(plot->height()).arg(page->height())));
            }
        }
    }

    // The sweep's read-out from the keyboard: 101 points from 0.8 x 146 =
    // 116.8 to 1.4 x 146 = 204.4 MHz, 0.876 MHz apart; the design frequency
    // is nearest point 33, 116.8 + 33 x 0.876 = 145.708 MHz.
    void plotReadsOutUnderThePointerAndTheKeys() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        useEngine("ready");
        chooseSides("Option1");
        QVERIFY(checkToTheEnd());
        auto* plot = in<PlotView>("sweepPlot");
        auto* readout = in<QLabel>("sweepReadout");
        showPageOf(plot);
        QVERIFY(QTest::qWaitForWindowExposed(program_->Model()));
        const struct {
            Qt::Key key;
            const char* mhz;
        } steps[] = {
            {Qt::Key_Right, "145.708 MHz; "}, {Qt::Key_Right, "146.584 MHz; "}, {Qt::Key_Left, "145.708 MHz; "},
            {Qt::Key_Home, "116.800 MHz; "},  {Qt::Key_Left, "116.800 MHz; "},  {Qt::Key_End, "204.400 MHz; "},
        };
        for (const auto& step : steps) {
            QTest::keyClick(plot, step.key);
            QVERIFY2(readout->text().startsWith(QLatin1String(step.mhz)), qPrintable(readout->text()));
            QVERIFY(readout->text().contains(QLatin1String("lines' junction")));
        }
        // The pointer in the middle of the plot in view is inside the sweep.
        const QPointF middle = plot->visibleRegion().boundingRect().center();
        QMouseEvent move(QEvent::MouseMove, middle, plot->mapToGlobal(middle), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(plot, &move);
        QVERIFY2(readout->text().contains(QRegularExpression(QStringLiteral("^1[2-9][0-9]\\.[0-9]{3} MHz; "))),
                 qPrintable(readout->text()));
        QCOMPARE(plot->accessibleDescription(), plot->Readout());
        QCOMPARE(readout->text(), plot->Readout().replace(QLatin1Char('\n'), QStringLiteral("; ")));

        // The Smith chart reads the same frequencies, with the return loss.
        auto* smith = in<PlotView>("smithPlot");
        auto* smithReadout = in<QLabel>("smithReadout");
        showPageOf(smith);
        QTest::keyClick(smith, Qt::Key_Right);
        QVERIFY2(smithReadout->text().startsWith(QString::fromUtf8("145.708 MHz on 200 \u03a9 (4:1 balun)")),
                 qPrintable(smithReadout->text()));
        QVERIFY2(smithReadout->text().contains(QLatin1String("model ")), qPrintable(smithReadout->text()));
        QVERIFY2(smithReadout->text().contains(QLatin1String(", return loss ")), qPrintable(smithReadout->text()));

        // Save plot saves the plot in view.
        showPageOf(in<PlotView>("patternPlot"));
        QTest::mouseClick(in<QPushButton>("savePlot"), Qt::LeftButton);
        QCOMPARE(program_->files.titles, QStringList({"Save the pattern plot"}));
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::ModelWindowTest)
#include "model_window_test.moc"
