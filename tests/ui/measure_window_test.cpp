// Measure in the MODEL CHECK window, against the emulated analyser: the
// sweep is taken off the GUI thread with its progress, goes into the check
// as a loaded file does and into the build record with its device and
// date, each sweep of the session kept; Stop keeps nothing; a device that
// fails is told and changes nothing; the device chosen is remembered.

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "tests/device/emulator.h"
#include "tests/installed.h"
#include "tests/ui/test_program.h"
#include "ui/decimal_box.h"
#include "nec/measurement.h"

namespace corvanta::ui {

namespace {

constexpr int kLimitMs = 120000;  // a bound against hanging, not a speed test

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MeasureWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    template <typename T>
    T* in(const char* name) const {
        return program_->Model()->findChild<T*>(QLatin1String(name));
    }
    QString status() const { return in<QLabel>("status")->text(); }

    // The model window open on the main window's three-sided design, its
    // check done.
    void openChecked() {
        window_.reset();
        program_ = std::make_unique<testing::TestProgram>();
        program_->engine = {"nec2c", 1, {}};
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        testing::TestProgram::OpenModel(*window_);
        QVERIFY(program_->Model());
        QVERIFY(program_->RunEnded(kLimitMs));
        QVERIFY2(program_->Model()->Check(), qPrintable(status()));
    }

    // Measure with the analyser at `path`, to its end.
    bool measure(const std::string& path) {
        in<QComboBox>("analyser")->setCurrentText(QString::fromStdString(path));
        QSignalSpy ended(program_->Model(), &ModelWindow::measurementEnded);
        QTest::mouseClick(in<QPushButton>("measure"), Qt::LeftButton);
        return ended.wait(kLimitMs);
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.filePath(QStringLiteral("config")));
        testing::QuietOffscreenPlatform();
    }

    void init() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta")).clear();
        openChecked();
    }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    // Two sweeps of the session, each laid over the check as a file would
    // be and kept in the record with its device, firmware and date.
    void sweepsGoIntoTheCheckAndTheRecord() {
        test::Emulator first({"--limit", "101"});
        ModelWindow* model = program_->Model();
        const int points = model->Check()->plan.sweep.points;
        QVERIFY(measure(first.Path()));
        const QString source = QStringLiteral("Test analyser at %1").arg(QString::fromStdString(first.Path()));
        QVERIFY2(status().startsWith(QStringLiteral("Loaded %1 (%2 points)").arg(source).arg(points)),
                 qPrintable(status()));
        QVERIFY(model->Check()->measured);
        QCOMPARE(model->Check()->measured->source, source.toStdString());
        QCOMPARE(static_cast<int>(model->Check()->measured->points.size()), points);
        QCOMPARE(in<QProgressBar>("progress")->value(), in<QProgressBar>("progress")->maximum());

        test::Emulator second({"--old", "--resonance", "149"});
        QVERIFY(measure(second.Path()));
        QVERIFY2(status().startsWith(QLatin1String("Loaded Test analyser at")), qPrintable(status()));

        program_->files.answer = {folder_.filePath(QStringLiteral("loop")), 0};
        in<QAction>("saveRecord")->trigger();
        const QJsonObject json =
            QJsonDocument::fromJson(FileBytes(folder_.filePath(QStringLiteral("loop.corvanta")))).object();
        const QJsonArray measurements = json[QLatin1String("measurements")].toArray();
        QCOMPARE(measurements.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QJsonObject m = measurements[i].toObject();
            const QString touchstone = m[QLatin1String("touchstone")].toString();
            QVERIFY2(touchstone.startsWith(QStringLiteral("! S11 measured by Test analyser, firmware %1, at ")
                                               .arg(i == 0 ? QLatin1String("1.2.27") : QLatin1String("0.2.3"))),
                     qPrintable(touchstone));
            QVERIFY(touchstone.contains(QLatin1String("\n# Hz S RI R 50\n")));
            QVERIFY(m[QLatin1String("file")].toString().startsWith(QLatin1String("Test analyser at /dev/")));
            QVERIFY(!m[QLatin1String("loaded")].toString().isEmpty());
        }
        // The device chosen is offered again in a new window.
        const QString kept = QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta"))
                                 .value(QStringLiteral("analyser/device"))
                                 .toString();
        QCOMPARE(kept, QString::fromStdString(second.Path()));
        openChecked();
        QCOMPARE(in<QComboBox>("analyser")->currentText(), kept);
    }

    // The loop cut 2 % long, swept, trimmed by 1 % and swept again: the
    // session's two sweeps give the MHz per 1 % and the next cut, worked
    // out here from the two resonances the window found.
    void twoSweepsGiveTheNextCut() {
        ModelWindow* model = program_->Model();
        const QString file = folder_.filePath(QStringLiteral("model.s1p"));
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QByteArray::fromStdString(nec::ModelTouchstone(*model->Check())));
        }
        const nec::LoopModel loop = model->Check()->plan.model;
        double resonance[2] = {0, 0}, size[2] = {0, 0}, lastHeight = 0;
        const double cut[2] = {1.0, 0.99};
        for (int i = 0; i < 2; ++i) {
            test::Emulator emulator({"--model", file.toStdString(), "--shift", i == 0 ? "-2" : "-1"});
            QVERIFY(measure(emulator.Path()));
            auto* height = in<DecimalBox>("builtHEIGHT");
            auto* side = in<DecimalBox>("builtSIDE");
            auto* gap = in<DecimalBox>("builtGAP");
            height->setValue(loop.heightMm * cut[i]);
            side->setValue(loop.sideMm * cut[i]);
            gap->setValue(loop.gapMm * cut[i]);
            emit gap->editingFinished();
            QTRY_VERIFY_WITH_TIMEOUT(!model->isMeasuring(), kLimitMs);
            QVERIFY(model->Check()->measured && model->Check()->measured->resonanceMHz);
            resonance[i] = *model->Check()->measured->resonanceMHz;
            // The lengths the check took: the boxes', or the design's own
            // where the boxes show them.
            const nec::ScaledDesign& built = model->Check()->measured->built;
            size[i] = built.heightMm + built.sideMm;
            lastHeight = built.heightMm;
        }
        // The first some 1.01 % larger than the last.
        const double x = 100 * (size[0] / size[1] - 1);
        const double perPercent = (resonance[0] - resonance[1]) / x;
        const double next = 1 + (model->Check()->report.designMHz - resonance[1]) / perPercent / 100;
        QVERIFY2(perPercent < -1 && perPercent > -2, qPrintable(QString::number(perPercent)));
        const QString expected = QStringLiteral("the next cut HEIGHT %1,").arg(lastHeight * next, 0, 'f', 2);
        QVERIFY2(status().contains(
                     QStringLiteral("Over 2 sweeps of this session: %1 MHz per 1 %").arg(perPercent, 0, 'f', 3)),
                 qPrintable(status()));
        QVERIFY2(status().contains(expected), qPrintable(status() + QStringLiteral(" / ") + expected));
    }

    // A slow analyser shows its progress and stops on Stop, keeping nothing.
    void stopKeepsNothing() {
        test::Emulator slow({"--slow", "40"});
        ModelWindow* model = program_->Model();
        in<QComboBox>("analyser")->setCurrentText(QString::fromStdString(slow.Path()));
        QSignalSpy ended(model, &ModelWindow::measurementEnded);
        QTest::mouseClick(in<QPushButton>("measure"), Qt::LeftButton);
        QVERIFY(model->isMeasuring());
        QVERIFY(!in<QPushButton>("measure")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(in<QProgressBar>("progress")->value() >= 3, kLimitMs);
        QVERIFY2(status().contains(QLatin1String(" of ")), qPrintable(status()));
        QTest::mouseClick(in<QPushButton>("stop"), Qt::LeftButton);
        QVERIFY(ended.wait(kLimitMs));
        QCOMPARE(status(), QStringLiteral("The sweep was stopped; nothing changed."));
        QVERIFY(!model->Check()->measured);
        QVERIFY(in<QPushButton>("measure")->isEnabled());
    }

    // A device that fails is told in its words; the check stays as it was.
    void failuresAreToldAndChangeNothing() {
        struct Case {
            std::vector<std::string> emulator;
            const char* says;
        };
        for (const Case& c : {Case{{"--garbage"}, "which is not a point's FREQ RE IM"},
                              Case{{"--unplug-after", "30"}, "went away during the sweep"}}) {
            test::Emulator emulator(c.emulator);
            QVERIFY(measure(emulator.Path()));
            QVERIFY2(status().startsWith(QLatin1String("The analyser did not measure: ")), qPrintable(status()));
            QVERIFY2(status().contains(QLatin1String(c.says)), qPrintable(status()));
            QVERIFY(!program_->Model()->Check()->measured);
        }
        QVERIFY(measure("/dev/no-analyser-here"));
        QVERIFY2(status().contains(QLatin1String("no analyser at /dev/no-analyser-here")), qPrintable(status()));
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::MeasureWindowTest)
#include "measure_window_test.moc"
