// A save that fails in the MODEL CHECK window (a full disk, a failing
// device): the file on disk stays as it was, the window keeps its changes
// and says why, never "Saved"; the close prompt's Save that fails keeps the
// window open. The window's writes go through the failing calls injected.

#include <QAction>
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
#include <memory>

#include "tests/installed.h"
#include "tests/ui/test_program.h"

namespace corvanta::ui {

namespace {

constexpr int kRunLimitMs = 120000;  // a bound against hanging, not a speed test

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class FailedSaveTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    QString path(const char* name) const { return folder_.filePath(QLatin1String(name)); }
    template <typename T>
    T* in(const char* name) const {
        return program_->Model()->findChild<T*>(QLatin1String(name));
    }
    QString status() const { return in<QLabel>("status")->text(); }
    void click(const char* button) {
        QTest::mouseClick(window_->findChild<QAbstractButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    void typeInto(const char* name, const QString& text) {
        auto* box = window_->findChild<QLineEdit*>(QLatin1String(name));
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    RecordBinding* record() const { return RecordBinding::Of(program_->Model()); }

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

    void aFailedSaveKeepsTheFileAndTheChanges_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full disk") << ENOSPC << QStringLiteral("No space left on device");
        QTest::newRow("quota") << EDQUOT << QStringLiteral("Disk quota exceeded");
        QTest::newRow("device") << EIO << QStringLiteral("Input/output error");
    }

    void aFailedSaveKeepsTheFileAndTheChanges() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        QFETCH(int, error);
        QFETCH(QString, reason);
        QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta")).clear();
        program_ = std::make_unique<testing::TestProgram>();
        program_->engine = {"nec2c", 1, {}};
        program_->fileCalls.error = error;
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        typeInto("Text2", QStringLiteral("146"));
        click("Command7");  // ACCEPT
        typeInto("Text8", QStringLiteral("1.7"));
        click("Command3");  // CHANGE under the MM box
        click("Option1");
        click("Command4");  // COMPUTE
        QTest::mouseClick(window_->findChild<QLabel*>(QStringLiteral("Picture1")), Qt::LeftButton);
        ModelWindow* model = program_->Model();
        QVERIFY(model);
        if (model->isRunning()) QVERIFY(QSignalSpy(model, &ModelWindow::runEnded).wait(kRunLimitMs));

        const QString file = path(QTest::currentDataTag()) + QStringLiteral(".corvanta");
        program_->files.answer = {file, 0};
        in<QAction>("saveRecord")->trigger();
        QVERIFY2(status().startsWith(QLatin1String("Saved the record")), qPrintable(status()));
        const QByteArray saved = FileBytes(file);
        QVERIFY(!saved.isEmpty());

        // A change, then the disk fails: the record as it was, the change
        // still in the window, and why.
        model->setPlacement({nec::Ground::Average, 8});
        QVERIFY(record()->isModified());
        program_->fileCalls.failAt = 1;
        in<QAction>("saveRecord")->trigger();
        QVERIFY2(status().contains(reason), qPrintable(status()));
        QVERIFY2(!status().contains(QLatin1String("Saved")), qPrintable(status()));
        QCOMPARE(FileBytes(file), saved);
        QVERIFY(record()->isModified());
        QCOMPARE(model->placement().heightM, 8.0);

        // The close prompt's Save fails as well: the window stays.
        program_->fileCalls.writes = 0;
        program_->recordQuestions.unsaved = RecordQuestions::Unsaved::Save;
        QVERIFY(!model->close());
        QVERIFY(model->isVisible());
        QVERIFY2(status().contains(reason), qPrintable(status()));
        QCOMPARE(FileBytes(file), saved);
        QVERIFY(record()->isModified());

        // The other saves say it alike and write nothing.
        const QString deck = path(QTest::currentDataTag()) + QStringLiteral(".nec");
        program_->files.answer = {deck, 0};
        program_->fileCalls.writes = 0;
        QTest::mouseClick(in<QPushButton>("saveDeck"), Qt::LeftButton);
        QVERIFY2(status().contains(QStringLiteral("Could not write %1: %2").arg(deck, reason)), qPrintable(status()));
        QVERIFY(!QFile::exists(deck));

        // Room again: the close prompt's Save keeps the change and closes.
        program_->fileCalls.failAt = 0;
        QVERIFY(model->close());
        QVERIFY(FileBytes(file) != saved);
        const QJsonObject json = QJsonDocument::fromJson(FileBytes(file)).object();
        QCOMPARE(json[QLatin1String("placement")].toObject()[QLatin1String("height_m")].toDouble(), 8.0);
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::FailedSaveTest)
#include "failed_save_test.moc"
