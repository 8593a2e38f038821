#include <QButtonGroup>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <memory>

#include "tests/ui/test_program.h"

namespace corvanta::ui {

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;

    QLineEdit* line(const char* name) const {
        auto* box = window_->findChild<QLineEdit*>(QLatin1String(name));
        Q_ASSERT(box);
        return box;
    }
    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(QLatin1String(name)); }
    void typeInto(const char* name, const QString& text) {
        QLineEdit* box = line(name);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

private slots:
    void init() {
        program_ = std::make_unique<testing::TestProgram>();
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    void startsWithTheDesign() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("ZORVEX CV"));
        QCOMPARE(window_->size(), QSize(535, 402));
        QCOMPARE(window_->objectName(), QStringLiteral("Form1"));
        for (Field field : AllFields()) {
            const QString name = QString::fromUtf8(FieldName(field));
            const QString expected = QString::fromUtf8(DesignSheet::StartText(field));
            if (field == Field::Text21) {
                auto* edit = window_->findChild<QTextEdit*>(name);
                QVERIFY(edit);
                QCOMPARE(edit->toPlainText(), QStringLiteral("300 OHM SERIES MATCH LENGHT\n"));
            } else {
                auto* box = window_->findChild<QLineEdit*>(name);
                QVERIFY2(box, qPrintable(name));
                QCOMPARE(box->text(), expected);
                QVERIFY(!box->accessibleName().isEmpty());
            }
        }
        QVERIFY(!window_->findChild<QRadioButton*>(QStringLiteral("Option1"))->isChecked());
        QVERIFY(!window_->findChild<QRadioButton*>(QStringLiteral("Option2"))->isChecked());
        QCOMPARE(QApplication::focusWidget(), line("Text2"));
        QCOMPARE(button("Command1")->accessibleName(), QStringLiteral("CHANGE (gauge)"));
        QCOMPARE(line("Text2")->accessibleName(), QStringLiteral("INPUT FREQUENCY IN MHZ"));
    }

    void controlsSitWhereDesigned_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Text24") << "Text24" << QRect(0, 0, 537, 19);
        QTest::newRow("Text2") << "Text2" << QRect(256, 32, 89, 25);
        QTest::newRow("Command7") << "Command7" << QRect(376, 32, 105, 25);
        QTest::newRow("Option2") << "Option2" << QRect(184, 64, 89, 25);
        QTest::newRow("Line2") << "Line2" << QRect(8, 96, 513, 1);
        QTest::newRow("Picture1") << "Picture1" << QRect(344, 112, 174, 237);
        QTest::newRow("Text8") << "Text8" << QRect(232, 136, 57, 27);
        QTest::newRow("Command4") << "Command4" << QRect(112, 208, 129, 25);
        QTest::newRow("Text21") << "Text21" << QRect(0, 344, 73, 57);
        QTest::newRow("Command6") << "Command6" << QRect(432, 368, 81, 25);
    }

    void controlsSitWhereDesigned() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto* control = window_->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        // Nothing moves when the window grows.
        window_->resize(900, 700);
        QCOMPARE(control->geometry(), geometry);
    }

    void acceptThenComputeShowsTheDesign_data() {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("conductor");  // Text4, Text6, Text8
        QTest::addColumn<QStringList>("results");    // Text23 22 13 11 17 16 20 19
        QTest::newRow("146 three sided") << "146"
                                         << "Option1" << QStringList{"14", "0.064", "1.626"}
                                         << QStringList{"421.2329", "16.5839716393178", "718.233", "28.277",
                                                        "266.718",  "10.501",           "9.67",    "0.381"};
        QTest::newRow("146 four sided") << "146"
                                        << "Option2" << QStringList{"14", "0.064", "1.626"}
                                        << QStringList{"421.2329", "16.5839716393178", "679.027", "26.733",
                                                       "391.212",  "15.402",           "9.67",    "0.381"};
    }

    void acceptThenComputeShowsTheDesign() {
        QFETCH(QString, frequency);
        QFETCH(QString, option);
        QFETCH(QStringList, conductor);
        QFETCH(QStringList, results);
        typeInto("Text2", frequency);
        QCOMPARE(window_->Sheet().Read(Field::Text2), frequency.toStdString());
        QTest::mouseClick(button("Command7"), Qt::LeftButton);
        QCOMPARE(QStringList({line("Text4")->text(), line("Text6")->text(), line("Text8")->text()}), conductor);
        QTest::mouseClick(window_->findChild<QRadioButton*>(option), Qt::LeftButton);
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        const QStringList shown = {line("Text23")->text(), line("Text22")->text(), line("Text13")->text(),
                                   line("Text11")->text(), line("Text17")->text(), line("Text16")->text(),
                                   line("Text20")->text(), line("Text19")->text()};
        QCOMPARE(shown, results);
        QVERIFY(program_->reporter.failures.isEmpty());
    }

    void tabFromACaptionGoesToTheNextStop_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("next");
        QTest::newRow("Text1") << "Text1"
                               << "Text2";
        QTest::newRow("Text3") << "Text3"
                               << "Text4";
        QTest::newRow("Text5") << "Text5"
                               << "Text6";
        QTest::newRow("Text7") << "Text7"
                               << "Text8";
        QTest::newRow("Text9") << "Text9"
                               << "Command1";
        QTest::newRow("Text10") << "Text10"
                                << "Text11";
        QTest::newRow("Text12") << "Text12"
                                << "Text13";
        QTest::newRow("Text14") << "Text14"
                                << "Text16";
        QTest::newRow("Text15") << "Text15"
                                << "Text16";
        QTest::newRow("Text18") << "Text18"
                                << "Text19";
        QTest::newRow("Text21") << "Text21"
                                << "Text22";
        QTest::newRow("Text24") << "Text24"
                                << "Option1";
    }

    void tabFromACaptionGoesToTheNextStop() {
        QFETCH(QString, caption);
        QFETCH(QString, next);
        auto* box = window_->findChild<QWidget*>(caption);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }

    void tabVisitsTheStopsInOrder() {
        const QStringList stops = {"Text2",    "Text4",  "Text6",    "Text8",    "Command1", "Command2", "Command3",
                                   "Command4", "Text11", "Text13",   "Text16",   "Text17",   "Text19",   "Text20",
                                   "Text22",   "Text23", "Command5", "Command6", "Command7", "Option1",  "Text2"};
        QStringList visited = {QApplication::focusWidget()->objectName()};
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, stops);
        QStringList back = {visited.back()};
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            back.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(back, stops);
    }

    void enterAndEscapePressNoButton() {
        for (const char* name : {"Text2", "Text8", "Text13"}) {
            QTest::keyClick(line(name), Qt::Key_Return);
            QTest::keyClick(line(name), Qt::Key_Escape);
        }
        QCOMPARE(line("Text13")->text(), QStringLiteral("00.00"));
        QCOMPARE(line("Text4")->text(), QStringLiteral("14"));
        QVERIFY(window_->isVisible());
    }

    void failureShowsPartialWritesAndKeepsRunning() {
        typeInto("Text8", QStringLiteral("abc"));
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QCOMPARE(program_->reporter.failures.size(), 1);
        const Failure& failure = program_->reporter.failures.front();
        QCOMPARE(failure.number, 13);
        QCOMPARE(failure.field, std::optional<Field>(Field::Text8));
        QCOMPARE(failure.message, QStringLiteral("Error 13: Type mismatch: the MM field \"abc\" is not a number"));
        QCOMPARE(program_->reporter.windows.front(), window_.get());
        // The matching section was written before the diameter was read.
        QCOMPARE(line("Text23")->text(), QStringLiteral("421.2329"));
        QCOMPARE(line("Text22")->text(), QStringLiteral("16.5839716393178"));
        QCOMPARE(line("Text13")->text(), QStringLiteral("00.00"));
        QCOMPARE(QApplication::focusWidget(), line("Text8"));
        QCOMPARE(line("Text8")->selectedText(), QStringLiteral("abc"));

        // Still working: mend the field and compute again.
        QTest::keyClicks(line("Text8"), QStringLiteral("1.626"));
        QTest::mouseClick(window_->findChild<QRadioButton*>(QStringLiteral("Option1")), Qt::LeftButton);
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QCOMPARE(program_->reporter.failures.size(), 1);
        QCOMPARE(line("Text13")->text(), QStringLiteral("718.233"));
    }

    void failureWithoutAFieldSaysOnlyTheError() {
        typeInto("Text2", QStringLiteral("0"));
        QTest::mouseClick(button("Command7"), Qt::LeftButton);
        QCOMPARE(program_->reporter.failures.size(), 1);
        QCOMPARE(program_->reporter.failures.front().message, QStringLiteral("Error 11: Division by zero in ACCEPT"));
        QCOMPARE(line("Text8")->text(), QStringLiteral("1.626"));
    }

    void typingIntoCaptionsAndResultsChangesOnlyThem() {
        typeInto("Text1", QStringLiteral("FREQ"));
        typeInto("Text13", QStringLiteral("typed"));
        QCOMPARE(window_->Sheet().Read(Field::Text1), "FREQ");
        QCOMPARE(window_->Sheet().Read(Field::Text13), "typed");
        QTest::mouseClick(button("Command7"), Qt::LeftButton);
        QCOMPARE(line("Text13")->text(), QStringLiteral("typed"));
        auto* caption = window_->findChild<QTextEdit*>(QStringLiteral("Text21"));
        caption->setPlainText(QStringLiteral("A\nB"));
        QCOMPARE(window_->Sheet().Read(Field::Text21), "A\r\nB");
    }

    // A key goes to the sheet and nothing comes back to the box: its cursor
    // and its undo stay the user's.
    void aKeystrokeReachesTheSheetAndStaysInItsBox() {
        QLineEdit* box = line("Text2");
        box->setCursorPosition(3);
        QTest::keyClick(box, Qt::Key_7);
        QCOMPARE(box->text(), QStringLiteral("1467.00"));
        QCOMPARE(box->cursorPosition(), 4);
        QCOMPARE(window_->Sheet().Read(Field::Frequency), "1467.00");
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("146.00"));
        QCOMPARE(window_->Sheet().Read(Field::Frequency), "146.00");

        auto* caption = window_->findChild<QTextEdit*>(QStringLiteral("Text21"));
        caption->setFocus();
        caption->moveCursor(QTextCursor::End);
        QTest::keyClicks(caption, QStringLiteral("X"));
        QCOMPARE(window_->Sheet().Read(Field::Text21), "300 OHM SERIES MATCH LENGHT\r\nX");
        QCOMPARE(caption->textCursor().position(), caption->toPlainText().size());
        caption->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("A\rB\r\nC"));
        caption->paste();
        QCOMPARE(window_->Sheet().Read(Field::Text21), "A\r\nB\r\nC");
    }

    void aLongPasteIsKeptWhole() {
        const QString huge(1 << 20, QLatin1Char('7'));
        QLineEdit* box = line("Text2");
        box->selectAll();
        box->insert(huge);
        QCOMPARE(window_->Sheet().Read(Field::Text2).size(), std::size_t{1} << 20);
        QTest::mouseClick(button("Command7"), Qt::LeftButton);
        QCOMPARE(program_->reporter.failures.size(), 1);
        QCOMPARE(program_->reporter.failures.front().number, 6);
        QCOMPARE(box->text().size(), huge.size());
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::MainWindowTest)
#include "main_window_test.moc"
