// The printed sheet as a builder gets it: every text on the paper, at least
// 7 points, none over another, none off the page; and one set of lengths to
// cut, the dimensions, the drawing and the cut list agreeing.

#include <QFile>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "conductor/design_run.h"
#include "nec/check_request.h"
#include "nec/headline.h"
#include "nec/number_text.h"
#include "nec/touchstone.h"
#include "sheet/build_sheet.h"
#include "sheet/sheet_figures.h"
#include "sheet/sheet_style.h"
#include "tests/installed.h"

namespace corvanta::sheet {

namespace {

// A text as the printer puts it on paper: its box in device pixels, its
// size in points and its colour.
struct Written {
    QString text;
    QRectF box;
    double points;
    QColor colour;
};

// An A4 page inside the sheet's margins that keeps what is written on it.
class TextRecorder : public QPaintDevice {
public:
    static constexpr int kDpi = 600;
    std::vector<Written> texts;

    TextRecorder() : engine_(*this) {}
    QPaintEngine* paintEngine() const override { return &engine_; }

    int metric(PaintDeviceMetric metric) const override {
        const double widthMm = 210 - 2 * kSheetMarginMm, heightMm = 297 - 2 * kSheetMarginMm;
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
            if (changed.state() & DirtyPen) colour_ = changed.pen().color();
        }
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            const QFont font = item.font();
            const double size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDpi / 72;
            const double scale = std::sqrt(std::abs(transform_.determinant()));
            const QRectF box(at.x(), at.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            page_.texts.push_back({item.text(), transform_.mapRect(box), size * scale * 72 / kDpi, colour_});
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
        QColor colour_;
    };
    mutable Engine engine_;
};

struct Pages {
    std::vector<Written> first, plot;
    QSizeF size;
};

Pages Drawn(const SheetContent& content) {
    Pages pages;
    for (int page = 0; page < 2; ++page) {
        TextRecorder device;
        QPainter painter(&device);
        const QRectF area(0, 0, device.width(), device.height());
        if (page == 0) DrawSheet(painter, area, content);
        else DrawPlotPage(painter, area, content);
        painter.end();
        (page == 0 ? pages.first : pages.plot) = std::move(device.texts);
        pages.size = QSizeF(device.width(), device.height());
    }
    return pages;
}

// What is wrong with one page's texts, in words; empty where nothing is.
QStringList Faults(const std::vector<Written>& texts, QSizeF size) {
    QStringList faults;
    const QRectF page(QPointF(0, 0), size);
    std::vector<const Written*> inked;
    for (const Written& w : texts) {
        if (w.text.trimmed().isEmpty()) continue;
        inked.push_back(&w);
        if (w.points < 7) faults << QStringLiteral("\"%1\" is %2 pt").arg(w.text).arg(w.points);
        if (!page.contains(w.box)) faults << QStringLiteral("\"%1\" leaves the page").arg(w.text);
    }
    // Boxes hold a line's ascent and descent; two lines set one under the
    // other may touch, so a text overlaps another only by more than a
    // tenth of a millimetre each way.
    const double slack = 0.1 / 25.4 * TextRecorder::kDpi;
    for (std::size_t a = 0; a < inked.size(); ++a) {
        for (std::size_t b = a + 1; b < inked.size(); ++b) {
            const QRectF shared = inked[a]->box.intersected(inked[b]->box);
            if (shared.width() > slack && shared.height() > slack) {
                faults << QStringLiteral("\"%1\" over \"%2\"").arg(inked[a]->text, inked[b]->text);
            }
        }
    }
    return faults;
}

// The page's texts in the order drawn, a space between: a sentence wrapped
// over lines reads whole.
bool Wrote(const std::vector<Written>& texts, const QString& text) {
    QStringList all;
    for (const Written& w : texts) all << w.text;
    return all.join(QLatin1Char(' ')).contains(text);
}

}  // namespace

class SheetLayoutTest : public QObject {
    Q_OBJECT

    Design design_ = RunDesign({"146", SideChoice::Three, std::nullopt});

    // A check as the window runs it: with the tune.
    nec::ModelCheck Checked(bool measured) {
        nec::CheckRequest request{design_, {}, std::nullopt};
        request.options.sweepPoints = 41;
        request.options.tune = true;
        if (measured) {
            request.options.feed.chain = nec::FeedChain{4, nec::Feeder{50, 0.66, 10, 7}};
            request.options.feed.match = true;
            request.options.asBuilt = nec::BuiltLengths{709.6, 263.5, 9.55};
            QFile file(QStringLiteral(CORVANTA_SOURCE_DIR "/docs/measured-146-three.s1p"));
            if (!file.open(QIODevice::ReadOnly)) qFatal("the measurement does not open");
            request.measurement = nec::MeasurementInput{nec::ReadTouchstone(file.readAll().toStdString()),
                                                        "measured-146-three.s1p", std::nullopt};
        }
        return nec::Check(request);
    }

    SheetContent ContentOf(const nec::ModelCheck& check) {
        return {design_, MakeCutList(design_), NumberFormat{},
                SheetFigures(
                    check, [](nec::Advice, double) { return std::string("advice as a front end words it"); },
                    QStringLiteral("2026-12-07 16:30 UTC"))};
    }

private slots:
    void initTestCase() {
        if (!corvanta::testing::Installed("nec2c")) QSKIP("nec2c is not installed");
    }

    void textsStayApartOnThePaper_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("design only") << 0;
        QTest::newRow("a plain check") << 1;
        QTest::newRow("a measurement, a feed chain and a match") << 2;
    }

    void textsStayApartOnThePaper() {
        QFETCH(int, kind);
        SheetContent content{design_, MakeCutList(design_), NumberFormat{}, std::nullopt};
        if (kind > 0) content = ContentOf(Checked(kind == 2));
        const Pages pages = Drawn(content);
        QVERIFY(Wrote(pages.first, QStringLiteral("CUT LIST")));
        const QStringList first = Faults(pages.first, pages.size);
        QVERIFY2(first.isEmpty(), qPrintable(first.join(QLatin1Char('\n'))));
        QCOMPARE(pages.plot.empty(), kind == 0);
        const QStringList plot = Faults(pages.plot, pages.size);
        QVERIFY2(plot.isEmpty(), qPrintable(plot.join(QLatin1Char('\n'))));
        if (kind == 2) {
            QVERIFY(Wrote(pages.first, QStringLiteral("MEASURED")));
            QVERIFY(Wrote(pages.first, QStringLiteral("measured-146-three.s1p, taken in 2026-12-07 16:30 UTC")));
            QVERIFY(Wrote(pages.first, QStringLiteral("HEIGHT 709.60 mm, SIDE 263.50 mm, GAP 9.55 mm")));
            QVERIFY(Wrote(pages.first, QStringLiteral("Radio end")));
            QVERIFY(Wrote(pages.first, QStringLiteral("Match")));
            QVERIFY(Wrote(pages.plot, QStringLiteral("through the match")));
        }
    }

    // The plot spans the page: its texts reach from near the left edge to
    // near the right one, and the panels' ticks do not crowd each other
    // (Faults above), on a page of its own.
    void plotSpansThePage() {
        const Pages pages = Drawn(ContentOf(Checked(true)));
        double left = pages.size.width(), right = 0;
        for (const Written& w : pages.plot) {
            left = std::min(left, w.box.left());
            right = std::max(right, w.box.right());
        }
        QVERIFY2(right - left > 0.9 * pages.size.width(),
                 qPrintable(QString::number((right - left) / pages.size.width())));
    }

    // The dimensions, the drawing and the cut list show the verdict's
    // lengths; the design's appear only in grey.
    void oneSetOfLengthsToCut_data() {
        QTest::addColumn<bool>("measured");
        QTest::newRow("tuned") << false;
        QTest::newRow("trimmed from lengths as cut") << true;
    }

    void oneSetOfLengthsToCut() {
        QFETCH(bool, measured);
        const nec::ModelCheck check = Checked(measured);
        const nec::Headline headline = nec::HeadlineOf(check);
        QCOMPARE(headline.cut, measured ? nec::CutChoice::Trimmed : nec::CutChoice::Tuned);
        if (measured) {
            // A trim of a loop cut to other lengths scales those.
            QVERIFY(std::abs(headline.lengths.sideMm - 263.5 * headline.lengths.scale) < 1e-9);
        }
        const std::vector<Written> page = Drawn(ContentOf(check)).first;
        const auto mm = [](double value) { return QString::number(value, 'f', 2); };
        const QString height = mm(headline.lengths.heightMm), gap = mm(headline.lengths.gapMm);
        // In the dimensions (alone), in the drawing (with " mm") and in the
        // verdict.
        int heights = 0;
        for (const Written& w : page) {
            if (w.text == height || w.text.contains(QStringLiteral(" ") + height + QStringLiteral(" mm"))) ++heights;
        }
        QVERIFY2(heights >= 2, qPrintable(height));
        // The half vertical of the cut list is (HEIGHT - GAP) / 2 of those.
        const auto half = std::find_if(page.begin(), page.end(), [](const Written& w) {
            return w.text.endsWith(QStringLiteral("half vertical"));
        });
        QVERIFY(half != page.end());
        std::vector<const Written*> row;
        for (const Written& w : page) {
            if (std::abs(w.box.center().y() - half->box.center().y()) < 5 && w.box.left() > half->box.right()) {
                row.push_back(&w);
            }
        }
        std::sort(row.begin(), row.end(), [](auto a, auto b) { return a->box.left() < b->box.left(); });
        QVERIFY(row.size() >= 2);
        QCOMPARE(row[0]->text, QStringLiteral("6"));
        QVERIFY2(std::abs(row[1]->text.toDouble() - (height.toDouble() - gap.toDouble()) / 2) <= 0.0051,
                 qPrintable(row[1]->text));
        // The design's own HEIGHT is on the page only in grey.
        const QString designHeight = QString::fromStdString(design_.Text(Field::HeightMm));
        bool seen = false;
        for (const Written& w : page) {
            if (!w.text.contains(designHeight)) continue;
            seen = true;
            QVERIFY2(w.colour == kQuiet, qPrintable(w.text));
        }
        QVERIFY(seen);
        // Every sentence says what it scaled.
        const QString of =
            measured ? QStringLiteral("of the lengths as cut (HEIGHT 709.60 mm") : QStringLiteral("of the design's.");
        QVERIFY2(Wrote(page, of), qPrintable(of));
    }
};

}  // namespace corvanta::sheet

QTEST_MAIN(corvanta::sheet::SheetLayoutTest)
#include "sheet_layout_test.moc"
