// The model window's feed: the Feed box reads what the command line reads,
// the port decides where Save Touchstone writes the model, the SWR plot's
// curves can be hidden, and the match shown is the library's. The checks
// run on the stand-in engine (nec2c itself); a box is typed into as
// a user types, under either separator.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <cmath>
#include <memory>

#include "cli/command_line.h"
#include "nec/feed_chain.h"
#include "nec/feed_report.h"
#include "nec/headline.h"
#include "nec/match_network.h"
#include "nec/touchstone.h"
#include "nec/number_text.h"
#include "tests/installed.h"
#include "tests/ui/test_program.h"
#include "ui/decimal_box.h"
#include "ui/model_figures.h"
#include "ui/plot_view.h"

namespace corvanta::ui::feedtest {

// What the Feed box holds, as a user sets it: the balun's item, the texts
// typed into the feeder's boxes (empty: left alone), the port's item.
struct Typed {
    int balun = 0;  // none, 1:1, 4:1, 9:1
    QString impedance, velocity, length, loss;
    int port = 0;  // junction, radio
};

}  // namespace corvanta::ui::feedtest

Q_DECLARE_METATYPE(corvanta::ui::feedtest::Typed)

namespace corvanta::ui {

namespace {

using feedtest::Typed;

constexpr int kRunLimitMs = 60000;  // a bound against hanging, not a speed test

}  // namespace

class FeedWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    template <typename T>
    T* in(const char* name) const {
        return program_->Model()->findChild<T*>(QLatin1String(name));
    }
    QString status() const { return in<QLabel>("status")->text(); }

    void useEngine(const char* mode) {
        qputenv("CORVANTA_STAND_IN", mode);
        program_->engine.program = CORVANTA_STAND_IN_ENGINE;
        program_->engine.jobs = 1;
    }
    void open(NumberFormat format = {}) {
        window_.reset(program_->NewMainWindow(format));
        window_->show();
        testing::TestProgram::OpenModel(*window_);
    }
    bool ended() { return program_->RunEnded(kRunLimitMs); }
    // A check of 146 MHz, three sides, in free space, to its end.
    bool checked() {
        useEngine("ready");
        open();
        return ended() && program_->Model()->Check().has_value();
    }
    void type(const char* box, const QString& text) {
        if (text.isEmpty()) return;
        auto* spin = in<DecimalBox>(box);
        spin->setFocus();
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Tab);
    }
    // Pixels of the plot near `rgb`: a curve's, whatever the antialiasing.
    static int PixelsOf(const QImage& image, QRgb rgb) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (std::abs(qRed(p) - qRed(rgb)) < 30 && std::abs(qGreen(p) - qGreen(rgb)) < 30 &&
                    std::abs(qBlue(p) - qBlue(rgb)) < 30) {
                    ++count;
                }
            }
        }
        return count;
    }
    QImage plotImage(const char* name) {
        auto* plot = in<PlotView>(name);
        auto* tabs = in<QTabWidget>("views");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(plot)) tabs->setCurrentIndex(i);
        }
        program_->Model()->resize(1000, 900);
        QApplication::processEvents();
        return plot->grab().toImage();
    }

private slots:
    void initTestCase() { testing::QuietOffscreenPlatform(); }

    void init() { program_ = std::make_unique<testing::TestProgram>(); }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    // The box typed into gives the FeedOptions the command line parses from
    // the same values; what it cannot take is told, and the old value stays.
    void feedBoxReadsAsTheCommandLine_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<Typed>("typed");
        QTest::addColumn<QStringList>("options");  // of corvanta-cli check
        QTest::addColumn<QString>("said");         // in the status line; empty: nothing refused
        QTest::newRow("nothing") << "." << Typed{} << QStringList{} << "";
        QTest::newRow("4:1 balun") << "." << Typed{2, {}, {}, {}, {}, 0} << QStringList{"--balun", "4"} << "";
        QTest::newRow("feeder alone, comma typed")
            << "," << Typed{0, "50", "0,66", "10", "5", 0} << QStringList{"--feeder", "50:0.66:10:5"} << "";
        QTest::newRow("4:1 and feeder at the radio, point typed under comma")
            << "," << Typed{2, "75", "0.82", "12.5", "3.2", 1}
            << QStringList{"--balun", "4", "--feeder", "75:0.82:12.5:3.2", "--port", "radio"} << "";
        QTest::newRow("9:1 and feeder, point") << "." << Typed{3, "450", "0.9", "20", "0.25", 0}
                                               << QStringList{"--balun", "9", "--feeder", "450:0.9:20:0.25"} << "";
        QTest::newRow("velocity factor 1,5 refused")
            << "," << Typed{0, {}, "1,5", "10", "5", 0} << QStringList{"--feeder", "50:0.66:10:5"}
            << "Feeder velocity factor: \u201c1,5\u201d is not a number from 0,1 to 1; it stays 0,660.";
        QTest::newRow("grouped impedance refused")
            << "," << Typed{2, "1.234,5", {}, "3", "1", 0} << QStringList{"--balun", "4", "--feeder", "50:0.66:3:1"}
            << "Feeder impedance, ohm: \u201c1.234,5\u201d is not a number above 0, at most 10000; it stays 50,0 "
               "\u03a9.";
        QTest::newRow("negative length refused")
            << "." << Typed{2, {}, {}, "-3", {}, 0} << QStringList{"--balun", "4"}
            << "Feeder length, metres: \u201c-3\u201d is not a number from 0 to 10000; it stays no feeder.";
    }

    void feedBoxReadsAsTheCommandLine() {
        QFETCH(QString, separator);
        QFETCH(Typed, typed);
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        useEngine("fail");
        open(NumberFormat{separator.at(0).toLatin1()});
        QVERIFY(ended());
        ModelWindow* model = program_->Model();
        model->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(model));
        in<QComboBox>("balun")->setCurrentIndex(typed.balun);
        type("feederImpedance", typed.impedance);
        type("feederVelocity", typed.velocity);
        type("feederLength", typed.length);
        type("feederLoss", typed.loss);
        in<QComboBox>("port")->setCurrentIndex(typed.port);

        std::vector<std::string> arguments = {"check", "--freq", "146", "--sides", "3"};
        for (const QString& option : options) arguments.push_back(option.toStdString());
        const nec::FeedOptions parsed = cli::ParseCommandLine(arguments).check.feed;
        const nec::FeedOptions shown = model->feedOptions();
        QCOMPARE(shown.chain.has_value(), parsed.chain.has_value());
        QCOMPARE(shown.port, parsed.port);
        if (parsed.chain) {
            QCOMPARE(shown.chain->balunRatio, parsed.chain->balunRatio);
            QCOMPARE(shown.chain->feeder.has_value(), parsed.chain->feeder.has_value());
            if (parsed.chain->feeder) {
                QCOMPARE(shown.chain->feeder->impedanceOhm, parsed.chain->feeder->impedanceOhm);
                QCOMPARE(shown.chain->feeder->velocityFactor, parsed.chain->feeder->velocityFactor);
                QCOMPARE(shown.chain->feeder->lengthM, parsed.chain->feeder->lengthM);
                QCOMPARE(shown.chain->feeder->lossDbPer100m, parsed.chain->feeder->lossDbPer100m);
            }
        }
        if (said.isEmpty()) QVERIFY2(!status().contains(QStringLiteral("is not a number")), qPrintable(status()));
        else QCOMPARE(status(), said);

        // What the window shows, it gives back.
        model->setFeedOptions(parsed);
        const nec::FeedOptions again = model->feedOptions();
        QCOMPARE(again.chain.has_value(), parsed.chain.has_value());
        QCOMPARE(again.port, parsed.port);
        if (parsed.chain && parsed.chain->feeder) {
            QCOMPARE(again.chain->feeder->lengthM, parsed.chain->feeder->lengthM);
        }
    }

    // A sweep the check cannot take is told, and no run starts; a number
    // the box cannot read keeps the box as it was.
    void sweepRefusals_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("said");
        QTest::newRow("letters") << "abc"
                                 << ""
                                 << "Sweep from, MHz: \u201cabc\u201d is not a number from 0 (auto) to 99999; it "
                                    "stays auto.";
        QTest::newRow("one end") << "140,5"
                                 << ""
                                 << "Sweep: give both ends in MHz, or leave both on auto.";
        QTest::newRow("to below from") << "150"
                                       << "140,5"
                                       << "Sweep: it goes from a frequency above 0 up to one no lower, in 1 to "
                                          "10000 points.";
    }

    void sweepRefusals() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, said);
        useEngine("fail");
        open(NumberFormat{','});
        QVERIFY(ended());
        ModelWindow* model = program_->Model();
        model->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(model));
        type("sweepFrom", from);
        type("sweepTo", to);
        if (!said.startsWith(QLatin1String("Sweep from"))) {
            model->run();
            QVERIFY(!model->isRunning());
        }
        QCOMPARE(status(), said);
    }

    // Save Touchstone writes the model at the port chosen: at the radio the
    // balun and the feeder are in it, and the file loaded back as a
    // measurement at the same port gives the model's own resonance. The
    // sweep is the window's own.
    void portRadioRoundTrip() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        useEngine("ready");
        open();
        QVERIFY(ended());
        in<DecimalBox>("sweepFrom")->setValue(140);
        in<DecimalBox>("sweepTo")->setValue(152);
        in<DecimalBox>("sweepPoints")->setValue(25);
        program_->Model()->run();
        QVERIFY(ended());
        ModelWindow* model = program_->Model();
        QVERIFY2(model->Check(), qPrintable(status()));
        QCOMPARE(model->Check()->report.sweep.size(), std::size_t{25});
        QCOMPARE(model->Check()->report.sweep.front().mhz, 140.0);

        nec::FeedOptions feed;
        feed.chain = nec::FeedChain{4, nec::Feeder{50, 0.66, 3, 5}};
        feed.port = nec::FeedPort::Radio;
        model->setFeedOptions(feed);
        const nec::ModelCheck& check = *model->Check();
        QVERIFY(check.feed.radio);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("radio.s1p"));
        program_->files.answer = {path, 0};
        QTest::mouseClick(in<QPushButton>("saveTouchstone"), Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const nec::OnePortSweep written = nec::ReadTouchstone(file.readAll().toStdString());
        QCOMPARE(written.mhz.size(), check.report.sweep.size());
        for (std::size_t i : {std::size_t{0}, written.mhz.size() / 2}) {
            const auto z = nec::ImpedanceOf(written.reflection[i], written.referenceOhm);
            // The model's file is the design's own loop, as its sweep is.
            const std::complex<double> designs = check.feed.designRadio->sweep[i];
            QVERIFY2(std::abs(z - designs) < 1e-3 * std::abs(designs), qPrintable(QString::number(i)));
        }

        program_->files.openAnswer = path;
        {
            QSignalSpy ended(model, &ModelWindow::measurementEnded);
            QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
            QVERIFY(ended.wait(kRunLimitMs));
        }
        const auto& measured = model->Check()->measured;
        QVERIFY2(measured && measured->resonanceMHz && measured->modelResonanceMHz, qPrintable(status()));
        QVERIFY2(std::abs(*measured->resonanceMHz / *measured->modelResonanceMHz - 1) < 5e-4, qPrintable(status()));

        // The same file read as taken at the junction is another loop.
        feed.port = nec::FeedPort::Junction;
        model->setFeedOptions(feed);
        QVERIFY(model->Check()->measured);
        QVERIFY(!model->Check()->measured->resonanceMHz ||
                std::abs(*model->Check()->measured->resonanceMHz / *measured->modelResonanceMHz - 1) > 5e-4);
    }

    // Hiding a curve takes it off the plot, legend and all; showing it
    // brings it back. Lines on 300 ohm are drawn red (#c62828).
    void hidingACurveRemovesIt() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        QVERIFY(checked());
        const QRgb red = qRgb(0xc6, 0x28, 0x28);
        QVERIFY(PixelsOf(plotImage("sweepPlot"), red) > 50);
        QMenu* menu = in<QToolButton>("curves")->menu();
        QAction* lines300 = nullptr;
        int bold = 0;
        for (QAction* action : menu->actions()) {
            QVERIFY(action->isCheckable() && action->isChecked());
            if (action->text().startsWith(QStringLiteral("lines' junction on 300"))) lines300 = action;
            if (action->text().endsWith(QStringLiteral("(bold)"))) ++bold;
        }
        QCOMPARE(bold, 1);
        QVERIFY(lines300);
        lines300->trigger();
        QCOMPARE(PixelsOf(plotImage("sweepPlot"), red), 0);
        // Save plot writes what is shown.
        QTemporaryDir folder;
        program_->files.answer = {folder.filePath(QStringLiteral("shown.png")), 1};
        QTest::mouseClick(in<QPushButton>("savePlot"), Qt::LeftButton);
        const QImage saved(folder.filePath(QStringLiteral("shown.png")));
        QVERIFY2(!saved.isNull(), qPrintable(status()));
        QCOMPARE(PixelsOf(saved, red), 0);
        // Hidden through the next run too.
        program_->Model()->run();
        QVERIFY(ended());
        QCOMPARE(PixelsOf(plotImage("sweepPlot"), red), 0);
        for (QAction* action : in<QToolButton>("curves")->menu()->actions()) {
            if (action->text().startsWith(QStringLiteral("lines' junction on 300"))) {
                QVERIFY(!action->isChecked());
                action->trigger();
            }
        }
        QVERIFY(PixelsOf(plotImage("sweepPlot"), red) > 50);
    }

    // The match the window shows is the L network the library chooses for
    // the same loads: the junction after a 4:1 balun, or the radio end. It
    // is in the figures, on the sheet, and drawn on the Smith chart.
    void matchShownIsTheLibrarys_data() {
        QTest::addColumn<bool>("chain");
        QTest::newRow("junction after 4:1") << false;
        QTest::newRow("radio end of 4:1 and feeder") << true;
    }

    void matchShownIsTheLibrarys() {
        QFETCH(bool, chain);
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        QVERIFY(checked());
        ModelWindow* model = program_->Model();
        const QRgb matchedInk = qRgb(0x45, 0x5a, 0x64);
        const int before = PixelsOf(plotImage("smithPlot"), matchedInk);
        nec::FeedOptions feed;
        if (chain) feed.chain = nec::FeedChain{4, nec::Feeder{50, 0.66, 2, 4}};
        model->setFeedOptions(feed);
        QTest::mouseClick(in<QCheckBox>("match"), Qt::LeftButton);
        QVERIFY(model->feedOptions().match);
        const nec::ModelCheck& check = *model->Check();
        QVERIFY(check.feed.match);

        // The network the window shows works: through it, the loop the
        // verdict names reads 1:1 at the design frequency, on the radio
        // end or on the junction after the usual 4:1 balun.
        const double design = check.report.designMHz;
        const nec::NamedLoop loop = nec::VerdictLoop(check);
        const std::complex<double> load =
            chain ? nec::RadioEnd(loop.atDesign.lines, *feed.chain, design, design) : loop.atDesign.lines / 4.0;
        const nec::Match expected = *check.feed.match;
        QVERIFY2(nec::Swr(nec::ThroughMatch(load, expected, design), 50) < 1.001, "the match does not match");
        const nec::Match& shown = *check.feed.match;
        QCOMPARE(shown.arrangement, expected.arrangement);
        QCOMPARE(shown.components.size(), expected.components.size());
        QVERIFY(!expected.components.empty());
        const QString figures = in<QTextBrowser>("figures")->toPlainText();
        QString sheet;
        for (const auto& [figure, value] : SheetFigures(check).rows) sheet += figure + QLatin1Char(' ') + value + '\n';
        for (std::size_t i = 0; i < expected.components.size(); ++i) {
            const nec::MatchComponent& e = expected.components[i];
            QCOMPARE(shown.components[i].position, e.position);
            QCOMPARE(shown.components[i].inductor, e.inductor);
            QCOMPARE(shown.components[i].value, e.value);
            const QString value = QString::fromStdString(nec::Trimmed(e.value, e.inductor ? 1 : 2));
            const QString unit = e.inductor ? QStringLiteral("nH") : QStringLiteral("pF");
            QVERIFY2(figures.contains(value + QLatin1Char('\t') + unit) || figures.contains(value + '\n' + unit),
                     qPrintable(figures));
            QVERIFY2(sheet.contains(value + QLatin1Char(' ') + unit), qPrintable(sheet));
        }
        QVERIFY2(figures.contains(QStringLiteral("Match at the ")), qPrintable(figures));
        QVERIFY2(figures.contains(QString::fromStdString(nec::MatchRangeText(expected))), qPrintable(figures));
        if (chain) QVERIFY2(figures.contains(QStringLiteral("Radio end")), qPrintable(figures));
        // The matched impedance on the Smith chart, dash-dotted in its ink
        // (a slate grey, near the grid's and the text's: counted as more).
        const int after = PixelsOf(plotImage("smithPlot"), matchedInk);
        QVERIFY2(after > before + 100, qPrintable(QStringLiteral("%1 then %2").arg(before).arg(after)));
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::FeedWindowTest)
#include "feed_window_test.moc"
