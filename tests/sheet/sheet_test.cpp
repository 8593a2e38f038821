#include <QPaintDevice>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "conductor/design_run.h"
#include "sheet/build_sheet.h"
#include "tests/installed.h"

namespace corvanta::sheet {

class SheetTest : public QObject {
    Q_OBJECT

    QTemporaryDir directory_;

    // The PDF's text, as pdftotext reads it.
    QString PageText(const SheetContent& content, const QString& name) {
        const QString path = directory_.filePath(name);
        const std::optional<QString> failure = WriteSheetPdf(path, content);
        if (failure) qWarning() << *failure;
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        reader.waitForFinished();
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

private slots:
    void drawsTheModelsFiguresWhenGiven_data() {
        QTest::addColumn<bool>("withModel");
        QTest::newRow("a model check of the design") << true;
        QTest::newRow("no model check") << false;
    }

    // A stand-in for the model window's figures and plot.
    void drawsTheModelsFiguresWhenGiven() {
        if (!corvanta::testing::Installed("pdftotext")) QSKIP("pdftotext is not installed");
        QFETCH(bool, withModel);
        const Design design = RunDesign({"146", SideChoice::Three, std::nullopt});
        SheetContent content{design, MakeCutList(design), NumberFormat{}, std::nullopt};
        int plots = 0;
        QRectF plotArea;
        QSize page;
        if (withModel) {
            content.model =
                ModelFigures{QStringLiteral("stand-in model, free space"),
                             {{QStringLiteral("at the lines' junction"), QStringLiteral("51.2 +j3.4 ohm")},
                              {QStringLiteral("tuned HEIGHT"), QStringLiteral("705.0 mm")}},
                             [&](QPainter& painter, const QRectF& area) {
                                 ++plots;
                                 plotArea = painter.worldTransform().mapRect(area);
                                 page = QSize(painter.device()->width(), painter.device()->height());
                                 QFont font = painter.font();
                                 font.setPixelSize(static_cast<int>(area.height() / 12));
                                 painter.setFont(font);
                                 painter.drawText(area, Qt::AlignCenter, QStringLiteral("STAND-IN SWR PLOT"));
                             },
                             std::nullopt,
                             std::nullopt,
                             {}};
        }
        const QString text = PageText(content, withModel ? QStringLiteral("model.pdf") : QStringLiteral("none.pdf"));
        QVERIFY2(text.contains(QStringLiteral("3725.988")), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("No model check of this design")), !withModel);
        QCOMPARE(text.contains(QStringLiteral("51.2 +j3.4 ohm")), withModel);
        QCOMPARE(text.contains(QStringLiteral("705.0 mm")), withModel);
        QVERIFY2(text.contains(QStringLiteral("STAND-IN SWR PLOT")) == withModel, qPrintable(text));
        QCOMPARE(plots, withModel ? 1 : 0);
        if (withModel) {
            // Inside the page, and a good part of it.
            QVERIFY(QRectF(QPointF(0, 0), QSizeF(page)).contains(plotArea));
            QVERIFY(plotArea.width() > 0.5 * page.width());
            QVERIFY(plotArea.height() > 0.15 * page.height());
        }
    }
};

}  // namespace corvanta::sheet

QTEST_MAIN(corvanta::sheet::SheetTest)
#include "sheet_test.moc"
