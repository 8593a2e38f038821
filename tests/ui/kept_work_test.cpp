// Nothing a builder set is lost: the model window's set-up comes back when
// it is opened again, the feed's defaults come back in the next run, the
// record is saved like any document (Ctrl+S in place, Ctrl+Shift+S asks,
// a * after every kind of edit, a question before changes go), and help is
// one key away in both windows (F1, and Shift+F1 on every control).

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWhatsThis>
#include <functional>
#include <memory>

#include "conductor/design_run.h"
#include "nec/check_plan.h"
#include "tests/ui/test_program.h"
#include "ui/decimal_box.h"
#include "ui/help_page.h"
#include "ui/model_terms.h"

namespace corvanta::ui {

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A measurement of the 146 MHz three-sided loop: three points, its shape
// matters to no test here.
nec::OnePortSweep ThreePoints() { return {{145, 146, 147}, {{0.3, -0.4}, {0.05, 0.02}, {0.3, 0.4}}, 50}; }

nec::LoopModel ModelOf146Three() {
    return nec::PlanCheck(RunDesign({"146", SideChoice::Three, std::nullopt}), nec::CheckOptions{}).model;
}

// The What's This popup Qt shows, while one is on show.
QWidget* WhatsThisPopup() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits("QWhatsThat")) return top;
    }
    return nullptr;
}

}  // namespace

class KeptWorkTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    template <typename T>
    T* in(const char* name) const {
        return program_->Model()->findChild<T*>(QLatin1String(name));
    }
    void click(const char* button) {
        QTest::mouseClick(window_->findChild<QAbstractButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    // The model window, open on the 146 MHz three-sided design; the engine
    // is none, so no run takes time.
    ModelWindow* openModel() {
        testing::TestProgram::OpenModel(*window_);
        ModelWindow* model = program_->Model();
        program_->RunEnded(60000);
        model->activateWindow();
        return model;
    }
    // Types `text` into a box of the model window and leaves it with Tab.
    void typeAndTab(const char* name, const QString& text) {
        program_->Model()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program_->Model()));
        auto* box = in<QAbstractSpinBox>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
    }
    // A record of the model window's state saved at `name`, asked for once.
    QString savedRecord(const char* name) {
        const QString path = folder_.filePath(QLatin1String(name));
        program_->files.answer = {path, 0};
        in<QAction>("saveRecordAs")->trigger();
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.filePath(QStringLiteral("config")));
        testing::QuietOffscreenPlatform();
    }

    void init() {
        QSettings(QStringLiteral("corvanta"), QStringLiteral("corvanta")).clear();
        program_ = std::make_unique<testing::TestProgram>();
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    // Closed and opened again (Esc, Close or F5 after either), the window
    // shows the feed, the sweep, the match, the ground and height, the
    // measurement and the lengths as cut it was closed with.
    void theSetUpComesBackWhenReopened() {
        ModelWindow* model = openModel();
        nec::FeedOptions feed;
        feed.chain = nec::FeedChain{4, nec::Feeder{75, 0.82, 12.5, 4}};
        feed.port = nec::FeedPort::Radio;
        feed.match = true;
        model->setFeedOptions(feed);
        model->setPlacement({nec::Ground::Average, 7.5});
        in<DecimalBox>("sweepFrom")->setValue(140);
        in<DecimalBox>("sweepTo")->setValue(150);
        in<DecimalBox>("sweepPoints")->setValue(41);
        const nec::LoopModel loop = ModelOf146Three();
        model->setMeasurement(ThreePoints(), QStringLiteral("cut-1.s1p"), loop,
                              nec::BuiltLengths{loop.heightMm + 3, loop.sideMm + 1, loop.gapMm});
        const nec::CheckSetup before = model->setup();

        QTest::keyClick(model, Qt::Key_Escape);
        QTRY_VERIFY(!program_->Model());
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        model = program_->Model();
        QVERIFY(model);
        const nec::CheckSetup after = model->setup();
        QCOMPARE(after.feed.chain->balunRatio, 4.0);
        QCOMPARE(after.feed.chain->feeder->impedanceOhm, 75.0);
        QCOMPARE(after.feed.chain->feeder->velocityFactor, 0.82);
        QCOMPARE(after.feed.chain->feeder->lengthM, 12.5);
        QCOMPARE(after.feed.chain->feeder->lossDbPer100m, 4.0);
        QCOMPARE(after.feed.port, nec::FeedPort::Radio);
        QVERIFY(after.feed.match);
        QCOMPARE(after.placement.ground, nec::Ground::Average);
        QCOMPARE(after.placement.heightM, 7.5);
        QCOMPARE(in<DecimalBox>("sweepFrom")->value(), 140.0);
        QCOMPARE(in<DecimalBox>("sweepTo")->value(), 150.0);
        QCOMPARE(in<DecimalBox>("sweepPoints")->value(), 41.0);
        QVERIFY(in<QAbstractButton>("clearMeasurement")->isEnabled());
        QVERIFY(after.asBuilt);
        QCOMPARE(after.asBuilt->heightMm, before.asBuilt->heightMm);
        QCOMPARE(after.asBuilt->sideMm, before.asBuilt->sideMm);
    }

    // The balun, the feeder and the port a builder chose come back in the
    // next run of the program; settings that are no feed are passed over.
    void theFeedsDefaultsOutlastTheRun_data() {
        QTest::addColumn<QString>("balun");  // as the settings hold it after a run
        QTest::addColumn<bool>("kept");
        QTest::newRow("as written") << QString() << true;
        QTest::newRow("a ratio out of range") << QStringLiteral("1000") << false;
        QTest::newRow("not a number") << QStringLiteral("4,0") << false;
    }
    void theFeedsDefaultsOutlastTheRun() {
        QFETCH(QString, balun);
        QFETCH(bool, kept);
        const QString file = folder_.filePath(QStringLiteral("feed.conf"));
        QFile::remove(file);
        {
            ModelMemory first(std::make_unique<QSettings>(file, QSettings::IniFormat));
            program_->model.Show();
            ModelWindow* model = program_->Model();
            model->setMemory(&first);
            auto* balunBox = in<QComboBox>("balun");
            balunBox->setCurrentIndex(balunBox->findData(9.0));
            typeAndTab("feederLength", QStringLiteral("20"));
            in<QComboBox>("port")->setCurrentIndex(1);
            emit in<QComboBox>("port")->activated(1);
            model->setMemory(nullptr);
        }
        if (!balun.isEmpty()) QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("feed/balunRatio"), balun);
        ModelMemory next(std::make_unique<QSettings>(file, QSettings::IniFormat));
        QCOMPARE(next.feedDefaults().has_value(), kept);
        if (!kept) return;
        QCOMPARE(next.feedDefaults()->chain->balunRatio, 9.0);
        QCOMPARE(next.feedDefaults()->chain->feeder->lengthM, 20.0);
        QCOMPARE(next.feedDefaults()->port, nec::FeedPort::Radio);
        // A new window of the next run opens with them.
        auto* window = new ModelWindow(program_->files, program_->engine);
        window->setMemory(&next);
        QCOMPARE(window->feedOptions().chain->feeder->lengthM, 20.0);
        delete window;
    }

    // Each kind of edit marks the record's title, however it was committed.
    void everyEditMarksTheTitle_data() {
        QTest::addColumn<std::function<void(KeptWorkTest&)>>("edit");
        QTest::newRow("feeder length, Tab") << std::function<void(KeptWorkTest&)>(
            [](KeptWorkTest& t) { t.typeAndTab("feederLength", QStringLiteral("3")); });
        QTest::newRow("balun chosen") << std::function<void(KeptWorkTest&)>([](KeptWorkTest& t) {
            auto* balun = t.in<QComboBox>("balun");
            balun->setFocus();
            QTest::keyClick(balun, Qt::Key_Down);
        });
        QTest::newRow("match ticked") << std::function<void(KeptWorkTest&)>(
            [](KeptWorkTest& t) { t.in<QCheckBox>("match")->click(); });
        QTest::newRow("height, Tab") << std::function<void(KeptWorkTest&)>([](KeptWorkTest& t) {
            t.program_->Model()->setPlacement({nec::Ground::Average, 10});
            t.typeAndTab("height", QStringLiteral("12"));
        });
        QTest::newRow("lengths as cut, Tab") << std::function<void(KeptWorkTest&)>(
            [](KeptWorkTest& t) { t.typeAndTab("builtHEIGHT", QStringLiteral("725")); });
    }
    void everyEditMarksTheTitle() {
        QFETCH(std::function<void(KeptWorkTest&)>, edit);
        ModelWindow* model = openModel();
        const nec::LoopModel loop = ModelOf146Three();
        model->setMeasurement(ThreePoints(), QStringLiteral("cut-1.s1p"), loop, std::nullopt);
        model->setPlacement({nec::Ground::Average, 10});
        savedRecord("marked.corvanta");
        QVERIFY(model->windowTitle().endsWith(QLatin1String("marked.corvanta[*]")));
        QVERIFY(!model->isWindowModified());
        edit(*this);
        QVERIFY(model->isWindowModified());
    }

    // Ctrl+S writes a record that has a file over it, without a dialog;
    // Ctrl+Shift+S asks where.
    void ctrlSSavesInPlace() {
        ModelWindow* model = openModel();
        QVERIFY(QTest::qWaitForWindowActive(model));
        QTest::keyClick(model, Qt::Key_S, Qt::ControlModifier);  // no file yet: asks, and is cancelled
        QCOMPARE(program_->files.titles.size(), 1);
        QVERIFY(!model->windowTitle().contains(QLatin1String(".corvanta")));
        const QString path = savedRecord("in-place.corvanta");
        QCOMPARE(program_->files.titles.size(), 2);
        const QByteArray first = FileBytes(path);
        QVERIFY(!first.isEmpty());
        model->setPlacement({nec::Ground::Perfect, 5});
        emit model->setupChanged();
        QVERIFY(model->isWindowModified());
        program_->files.answer = {};  // a dialog now would cancel the save
        QTest::keyClick(model, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(program_->files.titles.size(), 2);
        QVERIFY(FileBytes(path) != first);
        QVERIFY(!model->isWindowModified());
        QTest::keyClick(model, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(program_->files.titles.size(), 3);
    }

    // Closing the window or the program with changes not saved asks:
    // Cancel keeps both open and the changes, Save writes them.
    void closingWithChangesAsks() {
        ModelWindow* model = openModel();
        const QString path = savedRecord("asked.corvanta");
        typeAndTab("feederLength", QStringLiteral("8"));
        QVERIFY(model->isWindowModified());
        program_->recordQuestions.unsaved = RecordQuestions::Unsaved::Cancel;
        QVERIFY(!model->close());
        AskBeforeClosing(window_.get(), program_->model);
        QVERIFY(!window_->close());
        QCOMPARE(program_->recordQuestions.unsavedAsks.size(), 2);
        QCOMPARE(model->feedOptions().chain->feeder->lengthM, 8.0);
        program_->recordQuestions.unsaved = RecordQuestions::Unsaved::Save;
        QVERIFY(model->close());
        QVERIFY(FileBytes(path).contains("\"length_m\": 8"));
    }

    // F1 opens the help at the part of the window that has the focus.
    void f1OpensHelpAtTheWindowsPart_data() {
        QTest::addColumn<bool>("fromModel");
        QTest::addColumn<QString>("heading");  // the part's heading, at the top of the view
        QTest::newRow("main window") << false << QStringLiteral("The main window");
        QTest::newRow("model window") << true << QStringLiteral("The model check");
    }
    void f1OpensHelpAtTheWindowsPart() {
        QFETCH(bool, fromModel);
        QFETCH(QString, heading);
        QWidget* window = fromModel ? static_cast<QWidget*>(openModel()) : window_.get();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F1);
        auto* page = window->findChild<QTextBrowser*>(QStringLiteral("helpPage"));
        QVERIFY(page);
        QTRY_VERIFY(page->isVisible());
        // The part's heading is the first line in view.
        const QTextCursor top = page->cursorForPosition(QPoint(4, 4));
        QVERIFY2(top.block().text().startsWith(heading) || top.block().next().text().startsWith(heading),
                 qPrintable(top.block().text()));
    }

    // The help explains every term a builder meets, in the tooltips' own
    // words, and says what each control of the window does.
    void theHelpSaysWhatTheTooltipsSay() {
        ModelWindow* model = openModel();
        QTextBrowser* page = ShowHelp(model, QStringLiteral("model"));
        const QString text = page->toPlainText();
        for (const char* term : {"junction", "gaps", "balun", "feeder", "port", "band", "match", "Smith chart",
                                 "return loss", "uncertainty", "fit", "span", "lengths as cut", "build record"}) {
            QVERIFY2(text.contains(QLatin1String(term), Qt::CaseInsensitive), term);
        }
        for (const auto* table : {&ModelTerms(), &ControlTerms()}) {
            for (const ModelTerm& term : *table) QVERIFY2(text.contains(term.explanation), qPrintable(term.phrase));
        }
        int controls = 0;
        for (QWidget* control : model->findChildren<QWidget*>()) {
            if (control->toolTip().isEmpty() || control->accessibleName().isEmpty()) continue;
            if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QAbstractSpinBox*>(control) &&
                !qobject_cast<QComboBox*>(control)) {
                continue;
            }
            QVERIFY2(text.contains(control->toolTip()), qPrintable(control->objectName()));
            ++controls;
        }
        QVERIFY(controls >= 15);
        QCOMPARE(in<QLabel>("builtLabel")->text(), QStringLiteral("Lengths as cut (mm):"));
        QCOMPARE(in<QLabel>("builtLabel")->toolTip(), TermExplanationOf(QStringLiteral("lengths as cut")));
    }

    // Shift+F1 on any control of either window tells what it is; Esc takes
    // the text away and leaves the window open.
    void shiftF1OnEveryControl() {
        ModelWindow* model = openModel();
        for (QWidget* window : {static_cast<QWidget*>(window_.get()), static_cast<QWidget*>(model)}) {
            int controls = 0;
            for (QWidget* control : window->findChildren<QWidget*>()) {
                const bool operated = qobject_cast<QAbstractButton*>(control) ||
                                      qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QComboBox*>(control);
                if (!operated || control->accessibleName().isEmpty()) continue;
                QVERIFY2(!control->whatsThis().isEmpty(), qPrintable(control->objectName()));
                ++controls;
            }
            QVERIFY(controls >= 8);
        }
        QVERIFY(window_->findChild<QWidget*>(QStringLiteral("Text2"))->whatsThis().contains(QLatin1String("MHz")));
        QVERIFY(QTest::qWaitForWindowActive(model));
        auto* balun = in<QComboBox>("balun");
        balun->setFocus();
        QTest::keyClick(balun, Qt::Key_F1, Qt::ShiftModifier);
        QTRY_VERIFY(WhatsThisPopup());
        // The text takes the keys while it shows, as the desktop's grab
        // gives them to it; Esc closes the text and nothing else.
        QTest::keyClick(WhatsThisPopup(), Qt::Key_Escape);
        QTRY_VERIFY(!WhatsThisPopup());
        QVERIFY(model->isVisible());
        // What's This as a mode (the pointer's question mark): Esc leaves
        // the mode, and the window stays.
        QWhatsThis::enterWhatsThisMode();
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QTest::keyClick(model, Qt::Key_Escape);
        QVERIFY(!QWhatsThis::inWhatsThisMode());
        QVERIFY(program_->Model());
        QVERIFY(model->isVisible());
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::KeptWorkTest)
#include "kept_work_test.moc"
