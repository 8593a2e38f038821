#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "nec/headline.h"
#include "nec/number_text.h"
#include "sheet/build_sheet.h"
#include "tests/installed.h"
#include "ui/model_figures.h"

namespace corvanta::ui {

// A page that keeps what is written on it: each text and its size in
// points, as a printer would put it on paper.
struct Written {
    QString text;
    double points;
};

struct Page {
    std::vector<Written> texts;

    double SmallestPoints() const {
        double least = 1e9;
        for (const Written& w : texts) {
            if (!w.text.trimmed().isEmpty()) least = std::min(least, w.points);
        }
        return least;
    }
    bool Wrote(const QString& text) const {
        return std::any_of(texts.begin(), texts.end(), [&](const Written& w) { return w.text.contains(text); });
    }
};

class TextRecorder : public QPaintDevice {
public:
    static constexpr int kDpi = 1200;
    std::vector<Written> texts;

    TextRecorder() : engine_(*this) {}
    QPaintEngine* paintEngine() const override { return &engine_; }

    // The A4 page inside the sheet's margins.
    int metric(PaintDeviceMetric metric) const override {
        const double widthMm = 210 - 2 * sheet::kSheetMarginMm, heightMm = 297 - 2 * sheet::kSheetMarginMm;
        switch (metric) {
            case PdmWidth:
                return static_cast<int>(widthMm / 25.4 * kDpi);
            case PdmHeight:
                return static_cast<int>(heightMm / 25.4 * kDpi);
            case PdmWidthMM:
                return static_cast<int>(widthMm);
            case PdmHeightMM:
                return static_cast<int>(heightMm);
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return kDpi;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 1 << 24;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& page) : QPaintEngine(AllFeatures), page_(page) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& changed) override {
            if (changed.state() & DirtyTransform) transform_ = changed.transform();
        }
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            const QFont font = item.font();
            const double size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDpi / 72;
            const double scale = std::sqrt(std::abs(transform_.determinant()));
            page_.texts.push_back({item.text(), size * scale * 72 / kDpi});
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawLines(const QLineF*, int) override {}
        void drawRects(const QRectF*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        Type type() const override { return User; }

    private:
        TextRecorder& page_;
        QTransform transform_;
    };
    mutable Engine engine_;
};

class SheetFiguresTest : public QObject {
    Q_OBJECT

    Design design_ = RunDesign({"146", SideChoice::Three, std::nullopt});
    std::optional<nec::ModelCheck> check_;

    Page Drawn(const nec::ModelCheck& check) {
        sheet::SheetContent content{design_, MakeCutList(design_), NumberFormat{}, SheetFigures(check)};
        TextRecorder page;
        QPainter painter(&page);
        // The sheet's page and the plot's, one after the other.
        sheet::DrawSheet(painter, QRectF(0, 0, page.width(), page.height()), content);
        sheet::DrawPlotPage(painter, QRectF(0, 0, page.width(), page.height()), content);
        painter.end();
        return Page{std::move(page.texts)};
    }

private slots:
    void initTestCase() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        nec::CheckOptions options;
        options.sweepFromMHz = 130;
        options.sweepToMHz = 160;
        options.sweepPoints = 31;
        options.tune = true;
        check_ = nec::RunCheck(design_, options);
    }

    // The plot's smallest text, the legend's, is still 7 points on the page.
    void plotTextReadableOnPaper() {
        const Page page = Drawn(*check_);
        QVERIFY(page.Wrote(QStringLiteral("resistance R")));
        QVERIFY2(page.SmallestPoints() >= 7, qPrintable(QString::number(page.SmallestPoints())));
        // And no larger than it needs: the plot has room for its curves.
        QVERIFY2(page.SmallestPoints() < 7.5, qPrintable(QString::number(page.SmallestPoints())));
    }

    void cutListOfTheVerdictsLengths_data() {
        QTest::addColumn<QString>("cut");
        QTest::newRow("design") << QStringLiteral("design");
        QTest::newRow("tuned") << QStringLiteral("tuned");
        QTest::newRow("trimmed") << QStringLiteral("trimmed");
    }

    void cutListOfTheVerdictsLengths() {
        QFETCH(QString, cut);
        nec::ModelCheck check = *check_;
        QVERIFY(check.report.tuned);
        if (cut == QStringLiteral("design")) check.report.tuned.reset();
        if (cut == QStringLiteral("trimmed")) {
            check.measured = nec::Measurement{};
            check.measured->trim = nec::ScaledDesign::Of(check.plan.model, 1.0125);
        }
        const nec::Headline headline = nec::HeadlineOf(check);
        QCOMPARE(QString::fromUtf8(nec::CutName(headline.cut).data()), cut);
        const Page page = Drawn(check);
        const QString side = QString::fromStdString(nec::Fixed(headline.lengths.sideMm, 2));
        if (cut == QStringLiteral("design")) {
            QVERIFY(page.Wrote(QStringLiteral("CUT LIST")));
            QVERIFY(!page.Wrote(QStringLiteral("DESIGN MM")));
            QVERIFY(page.Wrote(QString::fromStdString(design_.Text(Field::SideMm))));
        } else {
            QVERIFY(page.Wrote(QStringLiteral("CUT LIST: %1 LENGTHS").arg(cut.toUpper())));
            QVERIFY(page.Wrote(QStringLiteral("DESIGN MM")));
            QVERIFY2(page.Wrote(side), qPrintable(side));
            // The design's own side beside it.
            QVERIFY(page.Wrote(QString::fromStdString(design_.Text(Field::SideMm))));
        }
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::SheetFiguresTest)
#include "sheet_figures_test.moc"
