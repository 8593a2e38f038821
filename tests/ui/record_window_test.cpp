// The build record in the MODEL CHECK window: what is saved opens again in
// a fresh program with the same inputs (typed into the main window with
// its separator, kept in the file with the point) and the same check; a
// damaged record, or one whose design no longer computes, is told and
// changes nothing; the recent records forget a file that is gone; changes
// not saved are asked about before the window closes.

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "nec/build_record.h"
#include "nec/report.h"
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
        program_->files.openAnswer = QStringLiteral(CORVANTA_SOURCE_DIR "/docs/measured-146-three.s1p");
        QTest::mouseClick(in<QPushButton>("loadMeasurement"), Qt::LeftButton);
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
        QCOMPARE(json[QLatin1String("version")].toInt(), 1);
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
