// The build record in the MODEL CHECK window: what is saved opens again in
// a fresh program with the same inputs (typed into the main window with
// its separator, kept in the file with the point) and the same check; a
// damaged record, or one whose design no longer computes, is told and
// changes nothing; the recent records forget a file that is gone; changes
// not saved are asked about before the window closes.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "nec/build_record.h"
#include "nec/outside_file.h"
#include "nec/report.h"
#include "nec/touchstone.h"
#include "tests/installed.h"
#include "tests/ui/test_program.h"
#include "ui/decimal_box.h"
#include "ui/failure_words.h"

namespace corvanta::ui {

namespace {

constexpr int kRunLimitMs = 120000;  // a bound against hanging, not a speed test

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class RecordWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    QString path(const char* name) const { return folder_.filePath(QLatin1String(name)); }
    QLineEdit* line(const char* name) const { return window_->findChild<QLineEdit*>(QLatin1String(name)); }
    template <typename T>
    T* in(const char* name) const {
        return program_->Model()->findChild<T*>(QLatin1String(name));
    }
    QString status() const { return in<QLabel>("status")->text(); }
    void trigger(const char* action) { in<QAction>(action)->trigger(); }

    // A program of its own, as after a restart, with the German separator.
    void startProgram() {
        window_.reset();
        program_ = std::make_unique<testing::TestProgram>();
        program_->engine = {"nec2c", 1, {}};
        window_.reset(program_->NewMainWindow(NumberFormat{','}));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void typeInto(const char* name, const QString& text) {
        line(name)->selectAll();
        QTest::keyClick(line(name), Qt::Key_Delete);
        QTest::keyClicks(line(name), text);
    }
    void click(const char* button) {
        QTest::mouseClick(window_->findChild<QAbstractButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    // Opens the model window, which checks the main window's design.
    void openModel() { QTest::mouseClick(window_->findChild<QLabel*>(QStringLiteral("Picture1")), Qt::LeftButton); }
    bool waitForRun() {
        if (!program_->Model()->isRunning()) return true;
        QSignalSpy ended(program_->Model(), &ModelWindow::runEnded);
        return ended.wait(kRunLimitMs);
    }
    // Load measurement of `file`, to its end: loaded, refused or stopped.
    bool loadMeasurement(const QString& file) {
        program_->files.openAnswer = file;
        QSignalSpy ended(program_->Model(), &ModelWindow::measurementEnded);
        QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
        return ended.wait(kRunLimitMs);
    }
    // A file of `size` bytes that takes no room: a sparse one.
    QString sparse(const char* name, qint64 size) const {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) return {};
        return file.fileName();
    }
    QStringList mainTexts() const {
        QStringList texts;
        for (Field field : AllFields()) texts << QString::fromStdString(window_->Sheet().Read(field));
        texts << QString::number(static_cast<int>(window_->Sheet().Side()));
        return texts;
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        // The recent records go to a folder of the test's, not the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.filePath(QStringLiteral("config")));
        testing::QuietOffscreenPlatform();
    }

    void init() {
        QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta")).clear();
        startProgram();
    }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    // The design typed with commas, the ground, the feed, a measurement, the
    // lengths as cut and a note: saved with points, opened in a new program
    // into the same boxes, and checked alike.
    void whatIsSavedOpensAgain() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        typeInto("Text2", QStringLiteral("146,00"));
        click("Command7");  // ACCEPT
        typeInto("Text8", QStringLiteral("1,7"));
        click("Command3");  // CHANGE under the MM box
        click("Option1");
        click("Command4");  // COMPUTE
        openModel();
        ModelWindow* model = program_->Model();
        model->setPlacement({nec::Ground::Average, 6.5});
        nec::FeedOptions feed;
        feed.chain = nec::FeedChain{4, nec::Feeder{50, 0.66, 10, 5}};
        model->setFeedOptions(feed);
        model->run();
        QVERIFY(waitForRun());
        QVERIFY2(model->Check(), qPrintable(status()));
        QVERIFY(loadMeasurement(QStringLiteral(CORVANTA_SOURCE_DIR "/docs/measured-146-three.s1p")));
        QVERIFY2(model->Check()->measured, qPrintable(status()));
        auto* height = in<DecimalBox>("builtHEIGHT");
        height->setValue(709.6);
        model->run();
        QVERIFY(waitForRun());
        program_->recordQuestions.note = QStringLiteral("erster Schnitt, 3 mm zu lang");
        trigger("noteRecord");
        const QString record = path("loop.corvanta");
        program_->files.answer = {folder_.filePath(QStringLiteral("loop")), 0};  // the suffix is added
        trigger("saveRecord");
        QVERIFY2(status().startsWith(QLatin1String("Saved the record")), qPrintable(status()));
        QCOMPARE(model->windowTitle(), QStringLiteral("MODEL CHECK \u2014 loop.corvanta[*]"));
        QVERIFY(!model->isWindowModified());

        const QJsonObject json = QJsonDocument::fromJson(FileBytes(record)).object();
        QCOMPARE(json[QLatin1String("version")].toInt(), 2);
        const QJsonObject design = json[QLatin1String("design")].toObject();
        QCOMPARE(design[QLatin1String("frequency")].toString(), QStringLiteral("146.00"));
        QCOMPARE(design[QLatin1String("conductor")].toObject()[QLatin1String("text")].toString(),
                 QStringLiteral("1.7"));
        QCOMPARE(json[QLatin1String("placement")].toObject()[QLatin1String("height_m")].toDouble(), 6.5);
        QCOMPARE(json[QLatin1String("as_built")].toObject()[QLatin1String("height_mm")].toDouble(), 709.6);
        const QJsonObject measured = json[QLatin1String("measurements")].toArray().at(0).toObject();
        QCOMPARE(measured[QLatin1String("file")].toString(), QStringLiteral("measured-146-three.s1p"));
        QCOMPARE(measured[QLatin1String("note")].toString(), QStringLiteral("erster Schnitt, 3 mm zu lang"));
        const QByteArray savedJson = nec::ReportJson(*model->Check(), AdviceWords).c_str();

        // A change marks the title, and closing asks: Cancel keeps the window.
        height->setValue(705);
        model->run();
        QVERIFY(waitForRun());
        QVERIFY(model->isWindowModified());
        program_->recordQuestions.unsaved = RecordQuestions::Unsaved::Cancel;
        QVERIFY(!model->close());
        // Closing the program asks too: the model window goes with the main one.
        AskBeforeClosing(window_.get(), program_->model);
        QVERIFY(!window_->close());
        QVERIFY(window_->isVisible());
        QCOMPARE(program_->recordQuestions.unsavedAsks, QStringList(2, QStringLiteral("loop.corvanta")));
        program_->recordQuestions.unsaved = RecordQuestions::Unsaved::Discard;
        QVERIFY(model->close());

        // Members of a later version, which this one keeps.
        {
            nec::Json later = nec::Json::parse(FileBytes(record).toStdString());
            later["workshop"] = {{"bench", 2}};
            later["feed"]["feeder"]["brand"] = "RG-58";
            QFile file(record);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::fromStdString(nec::JsonText(later)));
        }

        startProgram();
        const QStringList before = mainTexts();
        openModel();
        program_->files.openAnswer = record;
        trigger("openRecord");
        QVERIFY(waitForRun());
        model = program_->Model();
        QVERIFY(mainTexts() != before);
        QCOMPARE(line("Text2")->text(), QStringLiteral("146,00"));
        QCOMPARE(line("Text8")->text(), QStringLiteral("1,7"));
        QVERIFY(window_->findChild<QRadioButton*>(QStringLiteral("Option1"))->isChecked());
        QCOMPARE(model->placement().ground, nec::Ground::Average);
        QCOMPARE(model->placement().heightM, 6.5);
        QCOMPARE(model->feedOptions().chain->feeder->lengthM, 10.0);
        QCOMPARE(model->builtLengths()->heightMm, 709.6);
        QCOMPARE(model->windowTitle(), QStringLiteral("MODEL CHECK \u2014 loop.corvanta[*]"));
        QVERIFY(!model->isWindowModified());
        QVERIFY2(model->Check() && model->Check()->measured, qPrintable(status()));
        QCOMPARE(QByteArray(nec::ReportJson(*model->Check(), AdviceWords).c_str()), savedJson);

        // Saved again unchanged: the same record, its history and the
        // members this version does not know as they were.
        const QByteArray bytes = FileBytes(record);
        program_->files.answer = {record, 0};
        trigger("saveRecord");
        QCOMPARE(FileBytes(record), bytes);
        QVERIFY(bytes.contains("\"brand\": \"RG-58\""));
        // A change is dated and named; the later version's members stay.
        model->setPlacement({nec::Ground::Average, 8});
        trigger("saveRecord");
        const nec::Json again = nec::Json::parse(FileBytes(record).toStdString());
        QCOMPARE(again["changes"].size(), std::size_t{2});
        QVERIFY(again["changes"][1]["what"] == nec::Json({"placement"}));
        QVERIFY(again["workshop"]["bench"] == 2);
    }

    // A record that does not open says why and changes nothing.
    void aDamagedRecordChangesNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("said");
        nec::BuildRecord good;
        good.design = {"146", SideChoice::Three, std::nullopt};
        nec::Json json = nec::RecordJson(good);
        QTest::newRow("truncated") << QByteArray("{\n  \"version\": 1,\n  \"design\": {")
                                   << "bad.corvanta was not opened: line 3: the record is not JSON: ";
        json["version"] = 7;
        QTest::newRow("newer") << QByteArray::fromStdString(nec::JsonText(json))
                               << "bad.corvanta was not opened: the record was made by a newer corvanta (format 7;";
        json["version"] = 1;
        json["feed"]["lines"]["velocity_factor"] = "0,82";
        QTest::newRow("wrong type") << QByteArray::fromStdString(nec::JsonText(json))
                                    << "bad.corvanta was not opened: feed.lines.velocity_factor: is not a number.";
        json["feed"]["lines"]["velocity_factor"] = 0.82;
        json["design"]["frequency"] = "abc";
        QTest::newRow("design") << QByteArray::fromStdString(nec::JsonText(json))
                                << "bad.corvanta was not opened: its design no longer computes: Error 13: Type "
                                   "mismatch: design.frequency \"abc\" is not a number";
        json["design"]["frequency"] = "146";
        json["placement"] = {{"ground", "perfect"}, {"height_m", 0.36}};
        QTest::newRow("too low") << QByteArray::fromStdString(nec::JsonText(json))
                                 << "bad.corvanta was not opened: The loop cannot be modelled there: ";
    }

    void aDamagedRecordChangesNothing() {
        QFETCH(QByteArray, text);
        QFETCH(QString, said);
        program_->engine.program = "nec2c-chosen-by-no-test";
        typeInto("Text2", QStringLiteral("50"));
        click("Command7");
        click("Option2");
        openModel();
        QVERIFY(waitForRun());
        const QStringList before = mainTexts();
        QFile file(path("bad.corvanta"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        program_->files.openAnswer = file.fileName();
        trigger("openRecord");
        QVERIFY2(status().startsWith(said), qPrintable(status()));
        QCOMPARE(mainTexts(), before);
        QCOMPARE(program_->Model()->windowTitle(), QStringLiteral("MODEL CHECK"));
        QCOMPARE(program_->Model()->placement().ground, nec::Ground::Free);
        QVERIFY(!program_->Model()->isRunning());
        QCOMPARE(FileBytes(file.fileName()), text);
    }

    // What is no record (a device, a pipe, a folder, a file over the limit)
    // is refused at once, named, and changes nothing.
    void whatIsNoRecordIsRefusedAtOnce() {
        program_->engine.program = "nec2c-chosen-by-no-test";
        click("Option1");
        openModel();
        QVERIFY(waitForRun());
        const QStringList before = mainTexts();
        QVERIFY(::mkfifo(qPrintable(path("pipe.corvanta")), 0600) == 0);
        QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("folder.corvanta")));
        const std::pair<QString, QString> cases[] = {
            {QStringLiteral("/dev/zero"), QStringLiteral("it is a device, not a file")},
            {path("pipe.corvanta"), QStringLiteral("it is a pipe (FIFO), not a file")},
            {path("folder.corvanta"), QStringLiteral("it is a folder, not a file")},
            {sparse("huge.corvanta", qint64{1} << 32), QStringLiteral("it is 4,294,967,296 bytes, more than the")},
        };
        for (const auto& [file, why] : cases) {
            program_->files.openAnswer = file;
            trigger("openRecord");
            const QString said = QStringLiteral("Could not read %1: %2").arg(file, why);
            QVERIFY2(status().startsWith(said), qPrintable(status()));
            QCOMPARE(mainTexts(), before);
            QCOMPARE(program_->Model()->windowTitle(), QStringLiteral("MODEL CHECK"));
            QVERIFY(!program_->Model()->isRunning());
        }
    }

    // A measurement that is refused keeps the changes not saved; a large
    // one is read and compared off the GUI thread, which shows its
    // progress, and Stop ends it with nothing changed.
    void aMeasurementIsReadOffTheGuiThread() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        click("Option1");
        openModel();
        QVERIFY(waitForRun());
        ModelWindow* model = program_->Model();
        QVERIFY2(model->Check(), qPrintable(status()));
        program_->files.answer = {path("kept.corvanta"), 0};
        trigger("saveRecord");
        QVERIFY2(status().startsWith(QLatin1String("Saved the record")), qPrintable(status()));
        model->setPlacement({nec::Ground::Average, 8});
        RecordBinding* record = RecordBinding::Of(model);
        QVERIFY(record->isModified());

        QVERIFY(::mkfifo(qPrintable(path("analyser.s1p")), 0600) == 0);
        QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("sweeps.s1p")));
        QFile commas(path("komma.s1p"));
        QVERIFY(commas.open(QIODevice::WriteOnly));
        commas.write("# MHz S RI R 50\n146,0 0,12 -0,5\n");
        commas.close();
        const std::pair<QString, QString> refused[] = {
            {QStringLiteral("/dev/zero"), QStringLiteral("Could not read /dev/zero: it is a device, not a file.")},
            {path("analyser.s1p"),
             QStringLiteral("Could not read %1: it is a pipe (FIFO), not a file.").arg(path("analyser.s1p"))},
            {path("sweeps.s1p"),
             QStringLiteral("Could not read %1: it is a folder, not a file.").arg(path("sweeps.s1p"))},
            {sparse("huge.s1p", nec::kOutsideFileLimit + 1),
             QStringLiteral("Could not read %1: it is 16,000,001 bytes, more than").arg(path("huge.s1p"))},
            {commas.fileName(),
             QStringLiteral("komma.s1p was not loaded: line 2: the numbers are written with decimal commas")},
        };
        for (const auto& [file, said] : refused) {
            QVERIFY(loadMeasurement(file));
            QVERIFY2(status().startsWith(said), qPrintable(status()));
            QVERIFY(!model->Check()->measured);
            QVERIFY(record->isModified());
            QVERIFY(model->isVisible());
        }

        // 100,000 points: the click returns at once, with the job under way.
        constexpr int kPoints = 100000;
        std::vector<double> mhz;
        std::vector<std::complex<double>> impedance;
        for (int i = 0; i < kPoints; ++i) {
            mhz.push_back(130 + 30.0 * i / (kPoints - 1));
            const std::complex<double> s = std::polar(0.5, 2 * std::numbers::pi * (mhz.back() - 130) / 20);
            impedance.push_back(nec::ImpedanceOf(s, 50));
        }
        QFile large(path("large.s1p"));
        QVERIFY(large.open(QIODevice::WriteOnly));
        large.write(QByteArray::fromStdString(nec::WriteTouchstone(mhz, impedance, 50, {})));
        large.close();
        program_->files.openAnswer = large.fileName();
        QSignalSpy ended(model, &ModelWindow::measurementEnded);
        QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
        QVERIFY(model->isMeasuring());
        QVERIFY(in<QPushButton>("stop")->isEnabled());
        QVERIFY(!in<QPushButton>("loadMeasurement")->isEnabled());
        QCOMPARE(in<QProgressBar>("progress")->maximum(), 0);  // busy
        QVERIFY2(status().startsWith(QLatin1String("Reading large.s1p")), qPrintable(status()));
        QVERIFY(ended.wait(kRunLimitMs));
        QVERIFY2(model->Check()->measured, qPrintable(status()));
        QCOMPARE(model->Check()->measured->points.size(), std::size_t{kPoints});
        QVERIFY2(status().startsWith(QLatin1String("Loaded large.s1p (100000 points).")), qPrintable(status()));
        QVERIFY2(status().contains(QLatin1String("fitted to ")), qPrintable(status()));

        // Stop while it reads: nothing changes.
        QTest::mouseClick(in<QPushButton>("clearMeasurement"), Qt::LeftButton);
        QVERIFY(!model->Check()->measured);
        QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
        QVERIFY(model->isMeasuring());
        QTest::mouseClick(in<QPushButton>("stop"), Qt::LeftButton);
        QVERIFY(ended.wait(kRunLimitMs));
        QVERIFY2(status() == QLatin1String("Loading large.s1p was stopped; nothing changed."), qPrintable(status()));
        QVERIFY(!model->Check()->measured);
        QVERIFY(!model->isMeasuring());
    }

    // A recent record that is gone is taken off the list, with a message.
    void aRecentRecordThatIsGoneIsForgotten() {
        program_->engine.program = "nec2c-chosen-by-no-test";
        click("Option1");
        openModel();
        QVERIFY(waitForRun());
        const QString record = path("gone.corvanta");
        program_->files.answer = {record, 0};
        trigger("saveRecord");
        QVERIFY2(QFile::exists(record), qPrintable(status()));
        auto* recent = in<QMenu>("recentRecords");
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 1);
        QVERIFY(recent->actions().at(0)->text().endsWith(record));
        QFile::remove(record);
        recent->actions().at(0)->trigger();
        QVERIFY2(status().contains(QLatin1String("it was taken off the recent records")), qPrintable(status()));
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 1);
        QVERIFY(!recent->actions().at(0)->isEnabled());  // "(none yet)"
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::RecordWindowTest)
#include "record_window_test.moc"
