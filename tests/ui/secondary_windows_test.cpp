#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

#include "tests/ui/test_program.h"
#include "ui/line_breaks.h"

namespace corvanta::ui {

namespace {

int OpenWindowsNamed(const QString& name) {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) ++count;
    }
    return count;
}

}  // namespace

class SecondaryWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TestProgram> program_;
    QPointer<MainWindow> window_;

    void press(const char* name) {
        QTest::mouseClick(window_->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    QLabel* link() const { return program_->website.Window()->findChild<QLabel*>(QStringLiteral("lblWebPage")); }

private slots:
    void init() {
        program_ = std::make_unique<testing::TestProgram>();
        window_ = program_->NewMainWindow();
        window_->setAttribute(Qt::WA_DeleteOnClose);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.data()));
    }

    void cleanup() {
        delete window_;
        program_.reset();
    }

    void notesTextIsAsDesigned() {
        const std::string& text = NotesText();
        QCOMPARE(text.size(), std::size_t{1253});
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 15);
        QVERIFY(text.ends_with("GAIN IS APPROXIMATELY 7.6 DB\r\n"));
        QVERIFY(text.find("PEAK AT 161." + std::string(136, ' ') + "\r\n") != std::string::npos);
        QVERIFY(text.find("\"900009'\r\n") != std::string::npos);
    }

    void oneWindowOnTwoPressesRebuiltAfterClose_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("windowName");
        QTest::addColumn<QString>("caption");
        QTest::newRow("NOTES") << "Command6"
                               << "no"
                               << "NOTES";
        QTest::newRow("WEBSITE") << "Command5"
                                 << "web"
                                 << "Web Page Link";
    }

    void oneWindowOnTwoPressesRebuiltAfterClose() {
        QFETCH(QString, button);
        QFETCH(QString, windowName);
        QFETCH(QString, caption);
        SecondaryWindow& holder = windowName == QLatin1String("no") ? program_->notes : program_->website;
        press(qPrintable(button));
        QPointer<QWidget> first = holder.Window();
        QVERIFY(first);
        press(qPrintable(button));
        QCOMPARE(holder.Window(), first.data());
        QCOMPARE(OpenWindowsNamed(windowName), 1);
        QCOMPARE(first->windowTitle(), caption);
        QVERIFY(first->parentWidget() == nullptr);

        if (auto* text = first->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))) {
            QCOMPARE(first->size(), QSize(514, 225));
            QCOMPARE(text->geometry(), QRect(8, 8, 497, 209));
            text->setPlainText(QStringLiteral("scribbled"));
        } else {
            QCOMPARE(first->geometry(), QRect(142, 113, 221, 123));
        }
        first->close();
        QTRY_VERIFY(first.isNull());
        press(qPrintable(button));
        QVERIFY(holder.Window());
        QCOMPARE(OpenWindowsNamed(windowName), 1);
        if (auto* text = holder.Window()->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))) {
            QCOMPARE(ForField(text->toPlainText()), NotesText());
        } else {
            QCOMPARE(holder.Window()->geometry(), QRect(142, 113, 221, 123));
        }
    }

    void linkHandsItsCommandOncePerClick() {
        press("Command5");
        QLabel* label = link();
        QCOMPARE(label->text(), QStringLiteral("http://zorvex.example"));
        QVERIFY(label->font().underline());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(label->cursor().hotSpot(), QPoint(13, 9));
        QCOMPARE(label->cursor().pixmap().size(), QSize(32, 32));

        QTest::mouseClick(label, Qt::LeftButton);
        // The blank part of the label, right of the address, is the link too.
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(label->width() - 2, label->height() / 2));
        QCOMPARE(program_->launcher.commands,
                 QStringList({"start.exe http://zorvex.example/", "start.exe http://zorvex.example/"}));
        QCOMPARE(program_->launcher.showStates, QList<int>({0, 0}));

        // A real double-click: press, release, press (which also gives a
        // double-click event), release. Only the first press and release click.
        QWindow* handle = program_->website.Window()->windowHandle();
        QTest::mouseDClick(handle, Qt::LeftButton, {}, label->mapTo(program_->website.Window(), QPoint(5, 5)));
        QCOMPARE(program_->launcher.commands.size(), 3);

        for (const char* other : {"Label1", "Label2"}) {
            QTest::mouseClick(program_->website.Window()->findChild<QLabel*>(QLatin1String(other)), Qt::LeftButton);
        }
        QCOMPARE(program_->launcher.commands.size(), 3);
        QVERIFY(program_->reporter.failures.isEmpty());
    }

    void launcherFailureIsReportedAndTheWindowStays() {
        program_->launcher.failure = LaunchFailure{53, QStringLiteral("File not found: start.exe")};
        press("Command5");
        QTest::mouseClick(link(), Qt::LeftButton);
        QCOMPARE(program_->reporter.failures.size(), 1);
        QCOMPARE(program_->reporter.failures.front().message, QStringLiteral("Error 53: File not found: start.exe"));
        QCOMPARE(program_->reporter.windows.front(), program_->website.Window());
        QVERIFY(program_->website.Window()->isVisible());
    }

    void desktopLauncherKnowsOnlyStartExe() {
        DesktopLauncher launcher;
        const auto failure = launcher.Start(QStringLiteral("notepad.exe readme.txt"), 0);
        QVERIFY(failure.has_value());
        QCOMPARE(failure->number, 53);
        QVERIFY(launcher.Start(QStringLiteral("start.exe not a url/"), 0).has_value());
    }

    // Runs the real event loop: Qt ends it when the last window closes.
    // Kept last, since the application has quit afterwards.
    void programOutlivesTheMainWindowWhileNotesAreOpen() {
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        press("Command6");
        bool notesOpenAfterMainClosed = false;
        QTimer::singleShot(0, this, [this] { window_->close(); });
        QTimer::singleShot(100, this, [&] {
            notesOpenAfterMainClosed = window_.isNull() && program_->notes.Window()->isVisible();
            program_->notes.Window()->close();
        });
        QTimer watchdog;  // the program failing to end would hang the test
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
        watchdog.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        watchdog.stop();
        QVERIFY(notesOpenAfterMainClosed);
        QCOMPARE(lastClosed.count(), 1);
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::SecondaryWindowsTest)
#include "secondary_windows_test.moc"
