// A monkey at the real window: thousands of random events (typing and
// pasting anything into any box, options, the seven buttons, opening and
// closing the secondary windows). After every action button the boxes must
// show exactly what the library gives for the same texts and the same
// action, and a failure must have produced exactly one message.
//
// CORVANTA_MONKEY_SEED and CORVANTA_MONKEY_EVENTS change the run; the seed is
// printed with any divergence so that it can be replayed.

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <memory>
#include <random>

#include "conductor/sheet_actions.h"
#include "tests/ui/test_program.h"
#include "ui/line_breaks.h"

namespace corvanta::ui {

class MonkeyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;
    std::mt19937 random_;

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    QWidget* Box(Field field) const { return window_->findChild<QWidget*>(QString::fromUtf8(FieldName(field))); }

    std::string Shown(Field field) const {
        QWidget* box = Box(field);
        if (auto* edit = qobject_cast<QTextEdit*>(box)) return ForField(edit->toPlainText());
        return qobject_cast<QLineEdit*>(box)->text().toStdString();
    }

    // The sheet as the window shows it, for the library to work on.
    DesignSheet ShownSheet() const {
        DesignSheet sheet;
        for (Field field : AllFields()) sheet.Edit(field, Shown(field));
        if (window_->findChild<QRadioButton*>(QStringLiteral("Option1"))->isChecked()) {
            sheet.SetSide(SideChoice::Three);
        }
        if (window_->findChild<QRadioButton*>(QStringLiteral("Option2"))->isChecked()) {
            sheet.SetSide(SideChoice::Four);
        }
        return sheet;
    }

    QString RandomText() {
        static const QString pieces[] = {
            "146.00",
            ".064",
            "1.626",
            "14",
            "9009",
            "0",
            "-146",
            "1E39",
            "1e-50",
            "3.6",
            "10",
            " ",
            ".",
            ",",
            "e",
            "E+",
            "-",
            "+",
            "abc",
            "\u00e9\u00df",
            "\u4e2d",
            "\U0001F4E1",
            "\t",
            "\r\n",
            QString(QChar(0x7f)),
            QString(QChar(0x01)),
            "00",
            "0.0045",
            "1,5",
        };
        QString text;
        const int count = Pick(5);
        for (int i = 0; i < count; ++i) {
            if (Pick(3) == 0) {
                text += QString::number(Pick(100000));
            } else {
                text += pieces[Pick(static_cast<int>(std::size(pieces)))];
            }
        }
        return text;
    }

    // Types as a keyboard would: one key event a character, carrying its
    // text (QTest::keyClicks knows only plain ASCII).
    static void Type(QWidget* box, const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, length);
            i += length - 1;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
            QApplication::sendEvent(box, &press);
            QApplication::sendEvent(box, &release);
        }
    }

    void EnterText(const QString& text, bool pasteOnly = false) {
        const Field field = FieldAt(static_cast<std::size_t>(Pick(static_cast<int>(kFieldCount))));
        QWidget* box = Box(field);
        box->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(box)) {
            line->selectAll();
            if (!pasteOnly && Pick(2) == 0) {
                QTest::keyClick(line, Qt::Key_Delete);
                Type(line, text);
            } else {
                QApplication::clipboard()->setText(text);
                line->paste();
            }
        } else {
            static_cast<QTextEdit*>(box)->selectAll();
            QApplication::clipboard()->setText(text);
            static_cast<QTextEdit*>(box)->paste();
        }
    }

    void PressAction(const SheetAction& action, int event, int seed) {
        DesignSheet expected = ShownSheet();
        bool fails = false;
        int number = 0;
        try {
            action.run(expected, {});
        } catch (const RunTimeError& error) {
            fails = true;
            number = static_cast<int>(error.Number());
        }
        const auto before = program_->reporter.failures.size();
        const QString button = QString::fromUtf8(action.button.data(), static_cast<qsizetype>(action.button.size()));
        QTest::mouseClick(window_->findChild<QPushButton*>(button), Qt::LeftButton);
        const auto messages = program_->reporter.failures.size() - before;
        const QByteArray where = QByteArray("seed ") + QByteArray::number(seed) + " event " +
                                 QByteArray::number(event) + " " + button.toUtf8();
        QVERIFY2(messages == (fails ? 1 : 0), where.constData());
        if (fails) QVERIFY2(program_->reporter.failures.back().number == number, where.constData());
        for (Field field : AllFields()) {
            QVERIFY2(Shown(field) == expected.Read(field), (where + " " + FieldName(field).data()).constData());
        }
    }

private slots:
    void initTestCase() {
        // The offscreen platform cannot raise windows and says so each time.
        static QtMessageHandler previous = nullptr;
        previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (!message.contains(QLatin1String("does not support raise()"))) {
                    previous(type, context, message);
                }
            });
    }

    void randomEventsMatchTheLibrary() {
        const int seed = qEnvironmentVariableIsSet("CORVANTA_MONKEY_SEED")
                             ? qEnvironmentVariableIntValue("CORVANTA_MONKEY_SEED")
                             : 20261207;
        const int events = qEnvironmentVariableIsSet("CORVANTA_MONKEY_EVENTS")
                               ? qEnvironmentVariableIntValue("CORVANTA_MONKEY_EVENTS")
                               : 10000;
        random_.seed(static_cast<unsigned>(seed));
        program_ = std::make_unique<testing::TestProgram>();
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));

        const QString megabyte(1 << 20, QLatin1Char('9'));
        for (int event = 0; event < events; ++event) {
            switch (Pick(12)) {
                case 0:
                case 1:
                case 2:
                case 3:
                    EnterText(RandomText());
                    break;
                case 4:
                    EnterText(Pick(100) == 0 ? megabyte : QString(), true);
                    break;
                case 5:
                    QTest::mouseClick(window_->findChild<QRadioButton*>(Pick(2) ? QStringLiteral("Option1")
                                                                                : QStringLiteral("Option2")),
                                      Qt::LeftButton);
                    break;
                case 6:
                case 7:
                case 8:
                case 9:
                case 10:
                    PressAction(kSheetActions[static_cast<std::size_t>(Pick(static_cast<int>(kSheetActions.size())))],
                                event, seed);
                    break;
                case 11: {
                    SecondaryWindow& holder = Pick(2) ? program_->notes : program_->website;
                    if (holder.Window() && Pick(2)) {
                        holder.Window()->close();
                    } else {
                        QTest::mouseClick(
                            window_->findChild<QPushButton*>(&holder == &program_->notes ? QStringLiteral("Command6")
                                                                                         : QStringLiteral("Command5")),
                            Qt::LeftButton);
                    }
                    break;
                }
            }
            if (QTest::currentTestFailed()) return;
        }
        qInfo("monkey: %d events, %lld messages, seed %d", events,
              static_cast<long long>(program_->reporter.failures.size()), seed);
        window_.reset();
        program_.reset();
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::MonkeyTest)
#include "monkey_test.moc"
