// The lines' velocity factor in the MODEL CHECK window: the box and its
// "measured" tick give the check what the command line's --velocity-factor
// gives it, a build record keeps the tick, and Line stub reads a stub's
// sweep as `line --measured` does. The checks run on the stand-in engine.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "cli/command_line.h"
#include "nec/number_text.h"
#include "tests/ui/test_program.h"
#include "ui/decimal_box.h"
#include "ui/line_stub_dialog.h"

namespace corvanta::ui {

namespace {

constexpr int kRunLimitMs = 60000;  // a bound against hanging, not a speed test
constexpr double kLight = 299792458.0;

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An open stub of `lengthM` of line (Z0 `ohm`, `dbPerM` of loss) whose
// quarter wave falls at `dipMHz`, swept from 40 to 80 MHz on 50 ohm: its
// impedance Z0 coth(g l), written as an analyser would.
QByteArray OpenStub(double lengthM, double dipMHz, double ohm, double dbPerM) {
    const double nepersPerM = dbPerM / (20 / std::log(10.0));
    QByteArray text = "! a made-up open stub\n# MHz S RI R 50\n";
    for (int i = 0; i < 400; ++i) {
        // Between the grid's points, so the dip is found by its crossing.
        const double mhz = 40.05 + 0.1 * i;
        const double betaL = std::numbers::pi / 2 * mhz / dipMHz;
        const std::complex<double> gl(nepersPerM * lengthM, betaL);
        const std::complex<double> z = ohm / std::tanh(gl);
        const std::complex<double> s = (z - 50.0) / (z + 50.0);
        text += QByteArray::number(mhz, 'f', 3) + ' ' + QByteArray::number(s.real(), 'g', 12) + ' ' +
                QByteArray::number(s.imag(), 'g', 12) + '\n';
    }
    return text;
}

}  // namespace

class LineVelocityWindowTest : public QObject {
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
    QString path(const char* name) const { return folder_.filePath(QLatin1String(name)); }
    QString write(const char* name, const QByteArray& bytes) const {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
        return file.fileName();
    }

    void start(NumberFormat format) {
        window_.reset();
        program_ = std::make_unique<testing::TestProgram>();
        qputenv("CORVANTA_STAND_IN", "ready");
        program_->engine = {CORVANTA_STAND_IN_ENGINE, 1, {}};
        window_.reset(program_->NewMainWindow(format));
        window_->show();
        testing::TestProgram::OpenModel(*window_);
        QVERIFY(program_->RunEnded(kRunLimitMs));
        program_->Model()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program_->Model()));
    }
    bool ended() { return program_->RunEnded(kRunLimitMs); }
    void type(QWidget* box, const QString& text) {
        box->setFocus();
        auto* spin = qobject_cast<DecimalBox*>(box);
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Tab);
    }
    // Line stub opened, and its dialog.
    LineStubDialog* stubDialog() {
        QTest::mouseClick(in<QPushButton>("lineStub"), Qt::LeftButton);
        auto* dialog = program_->Model()->findChild<LineStubDialog*>(QStringLiteral("lineStub"));
        if (!dialog || !QTest::qWaitForWindowActive(dialog)) return nullptr;
        return dialog;
    }
    // Chooses `file` in the dialog, with the stub's length typed; true when
    // the reading came to its end.
    bool readStub(LineStubDialog* dialog, const QString& file, const QString& length) {
        type(dialog->findChild<QWidget*>(QStringLiteral("stubLength")), length);
        program_->files.openAnswer = file;
        QSignalSpy done(dialog, &LineStubDialog::finished);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("stubChoose")), Qt::LeftButton);
        return !done.isEmpty() || done.wait(kRunLimitMs);
    }
    QString said(LineStubDialog* dialog) const {
        return dialog->findChild<QLabel*>(QStringLiteral("stubReading"))->text();
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.filePath(QStringLiteral("config")));
        testing::QuietOffscreenPlatform();
    }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    // Typed and ticked as a user does, the check that runs holds the lines
    // as the command line's parser makes them of the same values; what the
    // box cannot take is told and the old value stays.
    void theTickReadsAsTheCommandLine_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("typed");  // empty: left alone
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QStringList>("options");  // of corvanta-cli check
        QTest::addColumn<QString>("told");         // in the status line; empty: nothing refused
        QTest::newRow("left alone") << "."
                                    << "" << false << QStringList{} << "";
        QTest::newRow("ticked alone") << "."
                                      << "" << true << QStringList{"--velocity-factor", "0.82"} << "";
        QTest::newRow("comma typed, ticked") << ","
                                             << "0,88" << true << QStringList{"--velocity-factor", "0.88"} << "";
        QTest::newRow("point typed under comma") << ","
                                                 << "0.905" << true << QStringList{"--velocity-factor", "0.905"} << "";
        QTest::newRow("1 itself") << "."
                                  << "1" << true << QStringList{"--velocity-factor", "1"} << "";
        QTest::newRow("1,5 refused") << ","
                                     << "1,5" << true << QStringList{"--velocity-factor", "0.82"}
                                     << "Lines' velocity factor: \u201c1,5\u201d is not a number from 0,1 to 1; it "
                                        "stays 0,820.";
        QTest::newRow("0.05 refused") << "."
                                      << "0.05" << true << QStringList{"--velocity-factor", "0.82"}
                                      << "Lines' velocity factor: \u201c0.05\u201d is not a number from 0.1 to 1; "
                                         "it stays 0.820.";
    }

    void theTickReadsAsTheCommandLine() {
        QFETCH(QString, separator);
        QFETCH(QString, typed);
        QFETCH(bool, ticked);
        QFETCH(QStringList, options);
        QFETCH(QString, told);
        start(NumberFormat{separator.at(0).toLatin1()});
        ModelWindow* model = program_->Model();
        if (!typed.isEmpty()) {
            type(in<QWidget>("linesVelocity"), typed);
            QVERIFY(ended());
        }
        QString statusAfterTyping = status();
        if (ticked) {
            QTest::mouseClick(in<QCheckBox>("linesMeasured"), Qt::LeftButton);
            QVERIFY(ended());
        }
        if (told.isEmpty())
            QVERIFY2(!statusAfterTyping.contains(QStringLiteral("is not a number")), qPrintable(statusAfterTyping));
        else QCOMPARE(statusAfterTyping, told);

        std::vector<std::string> arguments = {"check", "--freq", "146", "--sides", "3"};
        for (const QString& option : options) arguments.push_back(option.toStdString());
        const nec::CheckOptions parsed = cli::ParseCommandLine(arguments).check;
        QCOMPARE(model->setup().velocityFactor, parsed.velocityFactor);
        QCOMPARE(model->setup().velocityFactorMeasured, parsed.velocityFactorMeasured);
        // The check that ran holds them: the window's request, not a copy.
        QVERIFY2(model->Check(), qPrintable(status()));
        QCOMPARE(model->Check()->plan.line.velocityFactor, parsed.velocityFactor);
        QCOMPARE(model->Check()->plan.line.velocityFactorMeasured, parsed.velocityFactorMeasured);
    }

    // The tick and the factor go into the record and come back from it; a
    // change of either marks the title.
    void theRecordKeepsTheTick() {
        start(NumberFormat{','});
        ModelWindow* model = program_->Model();
        const QString record = path("lines.corvanta");
        program_->files.answer = {record, 0};
        program_->Model()->findChild<QAction*>(QStringLiteral("saveRecord"))->trigger();
        QVERIFY2(QFile::exists(record), qPrintable(status()));
        QVERIFY(!model->isWindowModified());
        type(in<QWidget>("linesVelocity"), QStringLiteral("0,87"));
        QVERIFY(model->isWindowModified());
        QVERIFY(ended());
        model->findChild<QAction*>(QStringLiteral("saveRecord"))->trigger();
        QVERIFY(!model->isWindowModified());
        QTest::mouseClick(in<QCheckBox>("linesMeasured"), Qt::LeftButton);
        QVERIFY(model->isWindowModified());
        QVERIFY(ended());
        model->findChild<QAction*>(QStringLiteral("saveRecord"))->trigger();
        QVERIFY(!model->isWindowModified());
        const QJsonObject lines = QJsonDocument::fromJson(FileBytes(record))
                                      .object()[QLatin1String("feed")]
                                      .toObject()[QLatin1String("lines")]
                                      .toObject();
        QCOMPARE(lines[QLatin1String("velocity_factor")].toDouble(), 0.87);
        QCOMPARE(lines[QLatin1String("velocity_factor_measured")].toBool(), true);

        start(NumberFormat{','});
        model = program_->Model();
        QVERIFY(!in<QCheckBox>("linesMeasured")->isChecked());
        program_->files.openAnswer = record;
        model->findChild<QAction*>(QStringLiteral("openRecord"))->trigger();
        QVERIFY(ended());
        QVERIFY(in<QCheckBox>("linesMeasured")->isChecked());
        QCOMPARE(in<QDoubleSpinBox>("linesVelocity")->text(), QStringLiteral("0,870"));
        QVERIFY(!model->isWindowModified());
        QVERIFY2(model->Check() && model->Check()->plan.line.velocityFactorMeasured, qPrintable(status()));
        // Unticked: a change of the record's, and saved without the member.
        QTest::mouseClick(in<QCheckBox>("linesMeasured"), Qt::LeftButton);
        QVERIFY(model->isWindowModified());
        QVERIFY(ended());
        program_->files.answer = {record, 0};
        model->findChild<QAction*>(QStringLiteral("saveRecord"))->trigger();
        QVERIFY(!FileBytes(record).contains("velocity_factor_measured"));
    }

    // A stub made up with a known dip: the dialog finds the velocity factor
    // 4 L f / c and the loss it was made with, in the command line's words
    // and the window's separator; Use enters it, ticked.
    void aStubGivesTheVelocityFactor() {
        start(NumberFormat{','});
        const double lengthM = 1.0, dipMHz = 61.0, ohm = 300, dbPer100m = 5;
        const QString file = write("stub 1.5.s1p", OpenStub(lengthM, dipMHz, ohm, dbPer100m / 100));
        QVERIFY(!file.isEmpty());
        LineStubDialog* dialog = stubDialog();
        QVERIFY(dialog);
        QVERIFY(readStub(dialog, file, QStringLiteral("1000")));
        const double velocity = 4 * lengthM * dipMHz * 1e6 / kLight;  // 0.8139...
        const auto comma = [](std::string text) { return QString::fromStdString(text).replace('.', ','); };
        const QString words = said(dialog);
        QVERIFY2(words.startsWith(QStringLiteral("stub: 1000 mm, open at its far end (stub 1.5.s1p)\n")),
                 qPrintable(words));
        QVERIFY2(words.contains(QStringLiteral("first dip: 61,000 MHz, a quarter wave\n")), qPrintable(words));
        QVERIFY2(words.contains(QStringLiteral("velocity factor: ") + comma(nec::Fixed(velocity, 3)) + '\n'),
                 qPrintable(words));
        QVERIFY2(words.contains(QStringLiteral("loss: ") + comma(nec::Fixed(dbPer100m, 2)) + " dB per 100 m"),
                 qPrintable(words));
        QVERIFY2(words.contains(QStringLiteral("lines of 300 ohm)")), qPrintable(words));
        QVERIFY(dialog->stub());
        QCOMPARE(nec::Fixed(dialog->stub()->velocityFactor, 3), nec::Fixed(velocity, 3));

        auto* use = dialog->findChild<QPushButton*>(QStringLiteral("stubUse"));
        QVERIFY(use->isEnabled());
        QTest::mouseClick(use, Qt::LeftButton);
        QVERIFY(ended());
        ModelWindow* model = program_->Model();
        QVERIFY(in<QCheckBox>("linesMeasured")->isChecked());
        QCOMPARE(in<QDoubleSpinBox>("linesVelocity")->text(), comma(nec::Fixed(velocity, 3)));
        QCOMPARE(model->setup().velocityFactor, std::stod(nec::Fixed(velocity, 3)));
        QVERIFY(model->setup().velocityFactorMeasured);
        QVERIFY2(model->Check() && model->Check()->plan.line.velocityFactorMeasured, qPrintable(status()));
    }

    // What is no stub's sweep is refused with the file named, and Use stays
    // off; the window's velocity factor is not touched.
    void aRefusedFileIsNamed_data() {
        QTest::addColumn<QString>("name");  // made in the test's folder
        QTest::addColumn<QString>("words");
        QTest::newRow("a folder") << "a folder.s1p"
                                  << "it is a folder";
        QTest::newRow("no Touchstone") << "notes.s1p"
                                       << "notes.s1p was not loaded";
        QTest::newRow("a resistor, no dip") << "resistor.s1p"
                                            << "shows no dip";
        QTest::newRow("a dip no line has") << "short stub.s1p"
                                           << "which no line has";
    }

    void aRefusedFileIsNamed() {
        QFETCH(QString, name);
        QFETCH(QString, words);
        start(NumberFormat{'.'});
        const QString file = folder_.filePath(name);
        if (name == QLatin1String("a folder.s1p")) {
            QVERIFY(QDir().mkpath(file));
        } else if (name == QLatin1String("notes.s1p")) {
            QVERIFY(!write("notes.s1p", "cut the lines to 353 mm\n").isEmpty());
        } else if (name == QLatin1String("resistor.s1p")) {
            QVERIFY(!write("resistor.s1p", "# MHz S RI R 50\n40 0 0.1\n60 0 0.1\n80 0 0.1\n").isEmpty());
        } else {
            // A dip at 61 MHz read as a 250 mm stub: a velocity factor of 0.2.
            QVERIFY(!write("short stub.s1p", OpenStub(1.0, 61.0, 300, 0.05)).isEmpty());
        }
        LineStubDialog* dialog = stubDialog();
        QVERIFY(dialog);
        QVERIFY(readStub(dialog, file, name == QLatin1String("short stub.s1p") ? "250" : "1000"));
        QVERIFY2(said(dialog).contains(words), qPrintable(said(dialog)));
        QVERIFY2(said(dialog).contains(name), qPrintable(said(dialog)));
        QVERIFY(!dialog->stub());
        QVERIFY(!dialog->findChild<QPushButton*>(QStringLiteral("stubUse"))->isEnabled());
        QVERIFY(!in<QCheckBox>("linesMeasured")->isChecked());
        QCOMPARE(program_->Model()->setup().velocityFactor, nec::kLineVelocityFactor);
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::LineVelocityWindowTest)
#include "line_velocity_window_test.moc"
