// Ctrl+P in the main window, with the print dialog and the failure reporter
// standing in for their modal boxes: the sheet of the design the window
// would compute now is printed (to a PDF file here), and the window's own
// boxes are never written.

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "tests/installed.h"
#include "tests/ui/test_program.h"

namespace corvanta::ui {

class PrintSheetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TestProgram> program_;
    std::unique_ptr<MainWindow> window_;
    QTemporaryDir directory_;

    QLineEdit* line(const char* name) const { return window_->findChild<QLineEdit*>(QLatin1String(name)); }

    QStringList resultBoxes() const {
        QStringList texts;
        for (const char* name : {"Text11", "Text13", "Text16", "Text17", "Text19", "Text20", "Text22", "Text23"}) {
            texts.append(line(name)->text());
        }
        return texts;
    }

private slots:
    void init() {
        program_ = std::make_unique<testing::TestProgram>();
        program_->printDialog.pdfPath = directory_.filePath(QStringLiteral("sheet.pdf"));
        QFile::remove(program_->printDialog.pdfPath);
        window_.reset(program_->NewMainWindow());
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        window_.reset();
        program_.reset();
    }

    void ctrlPPrintsTheDesignOfTheFields_data() {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("option");   // none chosen when empty
        QTest::addColumn<QString>("printed");  // the print job's name; empty: nothing printed
        QTest::addColumn<QStringList>("onThePage");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("failure");  // error number reported, 0 for none
        QTest::newRow("146.00 three sided")
            << "146.00"
            << "Option1"
            << "Build sheet 146 MHz THREE SIDED"
            << QStringList{"718.233", "354.28", "3725.988", "1263.6987", "718.233 mm modelled"} << QString() << 0;
        QTest::newRow("146 four sided") << "146"
                                        << "Option2"
                                        << "Build sheet 146 MHz FOUR SIDED"
                                        << QStringList{"679.027", "334.68", "5807.136", "1684.9316",
                                                       "679.027 mm modelled"}
                                        << QString() << 0;
        QTest::newRow("no side chosen") << "146.00"
                                        << ""
                                        << "" << QStringList() << NoSidesMessage() << 0;
        QTest::newRow("frequency abc") << "abc"
                                       << "Option1"
                                       << "" << QStringList() << QString() << 13;
        // No ACCEPT: 1.626 mm against a minimum of -1.626 mm corrects the
        // frequency to -170.67 MHz, and the HEIGHT to -614.4 mm.
        QTest::newRow("negative frequency")
            << "-146"
            << "Option1"
            << "" << QStringList() << "This design cannot be cut: its HEIGHT \"-614.4\" (mm) is not above 0" << 0;
    }

    void ctrlPPrintsTheDesignOfTheFields() {
        QFETCH(QString, frequency);
        QFETCH(QString, option);
        QFETCH(QString, printed);
        QFETCH(QStringList, onThePage);
        QFETCH(QString, told);
        QFETCH(int, failure);
        window_->SetModelFiguresSource([](const Design& design) {
            sheet::ModelFigures figures;
            figures.heading = QStringLiteral("stand-in check");
            figures.rows = {{QStringLiteral("stand-in HEIGHT"),
                             QString::fromStdString(design.Text(Field::Text13)) + QStringLiteral(" mm modelled")}};
            return std::optional<sheet::ModelFigures>(figures);
        });
        line("Text2")->selectAll();
        QTest::keyClicks(line("Text2"), frequency);
        if (!option.isEmpty()) {
            QTest::mouseClick(window_->findChild<QRadioButton*>(option), Qt::LeftButton);
        }
        const QStringList before = resultBoxes();
        QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier);

        QCOMPARE(resultBoxes(), before);
        QCOMPARE(window_->Sheet().Read(Field::Text13), "00.00");
        QCOMPARE(program_->printDialog.asked, printed.isEmpty() ? QStringList() : QStringList{printed});
        QCOMPARE(program_->printDialog.told, told.isEmpty() ? QStringList() : QStringList{told});
        QCOMPARE(program_->reporter.failures.size(), failure ? 1 : 0);
        if (failure) {
            // Word for word what COMPUTE reports for the same fields.
            const QString message = program_->reporter.failures.front().message;
            QCOMPARE(program_->reporter.failures.front().number, failure);
            QTest::mouseClick(window_->findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
            QCOMPARE(program_->reporter.failures.size(), 2);
            QCOMPARE(program_->reporter.failures.back().message, message);
        }
        QCOMPARE(QFile::exists(program_->printDialog.pdfPath), !onThePage.isEmpty());
        if (onThePage.isEmpty()) return;
        if (!corvanta::testing::Installed("pdftotext")) QSKIP("pdftotext is not installed");
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"),
                     {QStringLiteral("-layout"), program_->printDialog.pdfPath, QStringLiteral("-")});
        QVERIFY(reader.waitForFinished());
        const QString page = QString::fromUtf8(reader.readAllStandardOutput());
        for (const QString& text : onThePage) QVERIFY2(page.contains(text), qPrintable(text));
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::PrintSheetTest)
#include "print_sheet_test.moc"
