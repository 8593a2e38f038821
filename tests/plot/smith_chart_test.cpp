#include <gtest/gtest.h>

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <cmath>
#include <complex>
#include <limits>
#include <string>

#include "nec/feed_chain.h"
#include "nec/feed_report.h"
#include "plot/plot_file.h"
#include "plot/smith_chart.h"

namespace corvanta::plot {
namespace {

using Z = std::complex<double>;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(SmithChart, MapsKnownImpedances) {
    struct Point {
        Z z;
        double reference;
        Z reflection;
    };
    for (const Point& c : {Point{{0, 0}, 200, {-1, 0}}, Point{{kInfinity, 0}, 200, {1, 0}},
                           Point{{0, kInfinity}, 50, {1, 0}}, Point{{200, 0}, 200, {0, 0}}, Point{{50, 0}, 50, {0, 0}},
                           Point{{0, 200}, 200, {0, 1}}, Point{{0, -200}, 200, {0, -1}}, Point{{0, 50}, 50, {0, 1}},
                           // On the SWR 2:1 circle, either side of the centre.
                           Point{{100, 0}, 200, {-1.0 / 3, 0}}, Point{{400, 0}, 200, {1.0 / 3, 0}},
                           // Normalised 1 + j: on the circle r = 1 and the arc x = 1.
                           Point{{200, 200}, 200, {0.2, 0.4}}}) {
        SCOPED_TRACE(testing::Message() << c.z << " on " << c.reference);
        const Z gamma = SmithPoint(c.z, c.reference);
        EXPECT_NEAR(gamma.real(), c.reflection.real(), 1e-12);
        EXPECT_NEAR(gamma.imag(), c.reflection.imag(), 1e-12);
    }
    // Any pure reactance lies on the rim.
    for (double x : {-1e4, -37.0, 3.0, 650.0}) EXPECT_NEAR(std::abs(SmithPoint({0, x}, 200)), 1, 1e-12) << x;
}

TEST(SmithChart, ReturnLoss) {
    struct Loss {
        double swr, db;
    };
    for (const Loss& c : {Loss{1, kInfinity}, Loss{1.5, 13.979400086720376}, Loss{2, 9.542425094393248},
                          Loss{3, 6.020599913279624}, Loss{kInfinity, 0}}) {
        SCOPED_TRACE(c.swr);
        if (std::isinf(c.db)) EXPECT_EQ(ReturnLossOfSwr(c.swr), kInfinity);
        else EXPECT_NEAR(ReturnLossOfSwr(c.swr), c.db, 1e-9);
    }
    EXPECT_NEAR(ReturnLossDb(0.1), 20, 1e-12);
    EXPECT_EQ(ReturnLossDb(1), 0);
}

// A made-up sweep: the junction runs from 100 - j100 to 300 + j100 ohm
// between 140 and 150 MHz, through 200 ohm at 145; the measurement is the
// model less 20 ohm of resistance, from 144 MHz.
nec::ModelCheck Check(bool measured) {
    nec::ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 145;
    for (int i = 0; i <= 10; ++i) {
        nec::SweepPoint p;
        p.mhz = 140 + i;
        p.lines = {100.0 + 20 * i, -100.0 + 20 * i};
        p.gaps = {p.lines, p.lines, p.lines};
        p.parallel = p.lines / 3.0;
        check.report.sweep.push_back(p);
    }
    check.report.resonancesMHz = {145};
    if (measured) {
        check.measured.emplace();
        check.measured->source = "measured.s1p";
        for (const nec::SweepPoint& p : check.report.sweep) {
            if (p.mhz >= 144) check.measured->points.push_back({p.mhz, p.lines - 20.0, 0, p.lines});
        }
    }
    return check;
}

TEST(SmithChart, ReadsTheChartedImpedance) {
    const nec::ModelCheck check = Check(true);
    struct Read {
        double mhz;
        const char* text;
    };
    for (const Read& c : {
             Read{145,
                  "145.000 MHz on 200 Ω (4:1 balun)\nmodel 200.00 +j0.00 Ω, SWR 1.00, return loss infinite\n"
                  "measured 180.00 +j0.00 Ω, SWR 1.11, return loss 25.6 dB"},
             // Between points, and before the measurement starts.
             Read{142.5, "142.500 MHz on 200 Ω (4:1 balun)\nmodel 150.00 −j50.00 Ω, SWR 1.50, return loss 14.0 dB"},
             Read{140, "140.000 MHz on 200 Ω (4:1 balun)\nmodel 100.00 −j100.00 Ω, SWR 2.62, return loss 7.0 dB"},
         }) {
        SCOPED_TRACE(c.mhz);
        const auto read = ReadSmith(check, c.mhz);
        ASSERT_TRUE(read);
        EXPECT_EQ(SmithReadoutText(*read).toStdString(), c.text);
    }
    // Where the junction matches 50 ohm best, the chart is read on 50 ohm.
    nec::ModelCheck on50 = check;
    on50.report.atDesign.swr[nec::ReadingIndex("swr_lines_50")] = 1.1;
    on50.report.atDesign.swr[nec::ReadingIndex("swr_lines_200")] = 1.5;
    on50.report.atDesign.swr[nec::ReadingIndex("swr_lines_300")] = 2;
    const auto read50 = ReadSmith(on50, 145);
    ASSERT_TRUE(read50);
    EXPECT_EQ(SmithReadoutText(*read50).toStdString(),
              "145.000 MHz on 50 Ω\nmodel 200.00 +j0.00 Ω, SWR 4.00, return loss 4.4 dB\n"
              "measured 180.00 +j0.00 Ω, SWR 3.60, return loss 5.0 dB");
    EXPECT_FALSE(ReadSmith(check, 139.9));
    EXPECT_FALSE(ReadSmith(check, 150.1));
}

// The chart draws what the SWR plot draws bold: with a feed chain the radio
// end, which the builder connects whatever the readings at the junction,
// else the best reading; and it takes the measurement to the same port.
TEST(SmithChart, ChartsTheRadioEndWhenItIsTheHeadline) {
    const nec::FeedChain chain{4, nec::Feeder{50, 0.66, 2, 4}};
    struct Case {
        const char* name;
        bool chain;
        double radioSwr;  // at the design frequency; the best reading's is 1.1
        bool radioCharted;
    };
    for (const Case& c : {Case{"no chain", false, 0, false}, Case{"radio end as good", true, 1.12, true},
                          Case{"radio end worse than a reading", true, 3, true}}) {
        SCOPED_TRACE(c.name);
        nec::ModelCheck check = Check(true);
        check.report.designMHz = 145;
        check.report.atDesign = check.report.sweep[5];
        check.report.atDesign.swr.fill(2.5);
        check.report.atDesign.swr[nec::ReadingIndex("swr_lines_200")] = 1.1;
        if (c.chain) {
            check.plan.feed.chain = chain;
            check.feed.radio = nec::ReadRadioEnd(nec::DesignLoop(check.report), 145, chain, 50);
            check.feed.radio->swrAtDesign = c.radioSwr;
        }
        // What the chart must show at a frequency: the model and the
        // measurement at the junction, or both through the chain.
        const auto port = [&](Z junction, double mhz) {
            return c.radioCharted ? nec::RadioEnd(junction, chain, mhz, 145) : junction;
        };
        const double reference = c.radioCharted ? 50 : 200;
        check.feed.loop = nec::DesignLoop(check.report);
        const SmithCurve curve = ChartedCurve(check);
        EXPECT_EQ(curve.radioEnd, c.radioCharted);
        EXPECT_EQ(curve.referenceOhm, reference);
        EXPECT_EQ(curve.label, c.radioCharted ? "radio end on 50 Ω" : "lines' junction on 200 Ω (4:1 balun)");
        for (double mhz : {145.0, 146.0, 147.5}) {
            SCOPED_TRACE(mhz);
            const auto read = ReadSmith(check, mhz);
            ASSERT_TRUE(read);
            EXPECT_EQ(read->referenceOhm, reference);
            // The sweep runs straight between whole MHz: 147.5 is halfway.
            const double low = std::floor(mhz), high = std::ceil(mhz);
            const Z lines(100 + 20 * (mhz - 140), -100 + 20 * (mhz - 140));
            const Z model =
                low == high ? port(lines, mhz) : (port(lines - Z(10, 10), low) + port(lines + Z(10, 10), high)) / 2.0;
            EXPECT_NEAR(std::abs(read->impedance - model), 0, 1e-9 * std::abs(model));
            ASSERT_TRUE(read->measured);
            const Z measured = low == high ? port(lines - 20.0, mhz)
                                           : (port(lines - Z(30, 10), low) + port(lines + Z(-10, 10), high)) / 2.0;
            EXPECT_NEAR(std::abs(*read->measured - measured), 0, 1e-9 * std::abs(measured));
        }
        // The line is drawn smoothly between the sweep points, through each
        // of them as it is read.
        ASSERT_GE(curve.drawn.size(), 8 * (curve.model.size() - 1) + 1);
        std::size_t met = 0;
        for (const SmithSample& s : curve.drawn) {
            if (met < curve.model.size() && s.mhz == curve.model[met].mhz) {
                EXPECT_EQ(s.impedance, curve.model[met].impedance) << s.mhz;
                ++met;
            }
        }
        EXPECT_EQ(met, curve.model.size());
        // The measured curve point for point, not only where it is read.
        ASSERT_EQ(curve.measured.size(), check.measured->points.size());
        for (std::size_t i = 0; i < curve.measured.size(); ++i) {
            const nec::MeasuredPoint& p = check.measured->points[i];
            EXPECT_EQ(curve.measured[i].impedance, port(p.junction, p.mhz)) << p.mhz;
        }
        const std::string text = SmithReadoutText(*ReadSmith(check, 145)).toStdString();
        EXPECT_EQ(
            text.rfind(c.radioCharted ? "145.000 MHz on 50 Ω at the radio end\n" : "145.000 MHz on 200 Ω (4:1 balun)\n",
                       0),
            0u)
            << text;
        // The pointer finds the charted curve's points.
        const QRectF area(QPointF(0, 0), QSizeF(kSmithPlotSize));
        const SmithLayout layout = LayOutSmith(check, area);
        const auto mhz = SmithMHzAt(check, area, layout.At(SmithPoint(port({120, -80}, 141), reference)));
        ASSERT_TRUE(mhz);
        EXPECT_NEAR(*mhz, 141, 1e-6);
    }
}

TEST(SmithChart, ThePointerReadsTheCurveUnderIt) {
    const nec::ModelCheck check = Check(false);
    const QRectF area(QPointF(0, 0), QSizeF(kSmithPlotSize));
    const SmithLayout layout = LayOutSmith(check, area);
    ASSERT_TRUE(layout.drawable);
    // The chart stays round and whole inside the rectangle.
    EXPECT_GE(layout.centre.x() - layout.radius, area.left());
    EXPECT_LE(layout.centre.y() + layout.radius, area.bottom());
    EXPECT_LE(layout.centre.x() + layout.radius, layout.legend.left());
    for (const nec::SweepPoint& p : check.report.sweep) {
        const QPointF at = layout.At(SmithPoint(p.lines, 200));
        const auto mhz = SmithMHzAt(check, area, at);
        ASSERT_TRUE(mhz) << p.mhz;
        EXPECT_NEAR(*mhz, p.mhz, 1e-9);
    }
    EXPECT_FALSE(SmithMHzAt(check, area, QPointF(area.right() - 2, area.bottom() - 2)));
    nec::ModelCheck one = check;
    one.report.sweep.resize(1);
    EXPECT_FALSE(SmithMHzAt(one, area, layout.centre));
}

// A chart's page that keeps the text written on it and the lines drawn in
// a given colour.
class ChartRecorder : public QPaintDevice {
public:
    struct Text {
        QString text;
        QRectF box;
    };
    explicit ChartRecorder(QColor curveColour) : engine_(*this), curveColour_(curveColour) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return kSmithPlotSize.width();
            case PdmHeight:
                return kSmithPlotSize.height();
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 100;
        }
    }
    std::vector<Text> texts;
    std::vector<QLineF> curveLines;

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(ChartRecorder& page) : QPaintEngine(AllFeatures), page_(page) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& changed) override {
            if (changed.state() & DirtyTransform) transform_ = changed.transform();
            if (changed.state() & DirtyPen) pen_ = changed.pen();
        }
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            const QRectF box(at.x(), at.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            page_.texts.push_back({item.text(), transform_.mapRect(box)});
        }
        void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
            if (mode != PolylineMode || pen_.color() != page_.curveColour_) return;
            for (int i = 1; i < count; ++i)
                page_.curveLines.push_back(transform_.map(QLineF(points[i - 1], points[i])));
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        Type type() const override { return User; }

    private:
        ChartRecorder& page_;
        QTransform transform_;
        QPen pen_;
    };
    mutable Engine engine_;
    QColor curveColour_;
};

bool LineCrosses(const QLineF& line, const QRectF& box) {
    if (box.contains(line.p1()) || box.contains(line.p2())) return true;
    const QLineF edges[] = {{box.topLeft(), box.topRight()},
                            {box.topRight(), box.bottomRight()},
                            {box.bottomRight(), box.bottomLeft()},
                            {box.bottomLeft(), box.topLeft()}};
    for (const QLineF& edge : edges) {
        if (line.intersects(edge, nullptr) == QLineF::BoundedIntersection) return true;
    }
    return false;
}

// The MHz of the marks and "SWR 2:1" are written clear of the curve, also
// where the curve winds round the 2:1 circle, as a feeder makes it.
TEST(SmithChart, LabelsStayClearOfTheCurves) {
    nec::ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 145;
    // Two turns round the centre just outside the 2:1 circle, through
    // where its label stands by itself.
    for (int i = 0; i <= 80; ++i) {
        const double turn = 4 * M_PI * i / 80, size = 0.30 + 0.10 * i / 80;
        const Z reflection = std::polar(size, M_PI / 2 + turn);
        nec::SweepPoint p;
        p.mhz = 140 + 0.125 * i;
        p.lines = 200.0 * (1.0 + reflection) / (1.0 - reflection);
        p.gaps = {p.lines, p.lines, p.lines};
        p.parallel = p.lines / 3.0;
        check.report.sweep.push_back(p);
    }
    check.report.atDesign = check.report.sweep[40];
    check.report.atDesign.swr.fill(2.5);
    check.report.atDesign.swr[nec::ReadingIndex("swr_lines_200")] = 1.1;
    check.report.resonancesMHz = {142.5};
    check.feed.loop = nec::DesignLoop(check.report);
    const SmithCurve curve = ChartedCurve(check);
    ChartRecorder page(curve.pen.color());
    {
        QPainter painter(&page);
        DrawSmithChart(painter, QRectF(QPointF(0, 0), QSizeF(kSmithPlotSize)), check);
    }
    ASSERT_GT(page.curveLines.size(), std::size_t{70});
    int labels = 0;
    for (const ChartRecorder::Text& text : page.texts) {
        // "SWR 2:1" and the marks' MHz; the grid's own values stand where
        // the grid puts them.
        bool number = false;
        const double mhz = text.text.toDouble(&number);
        if (text.text != QStringLiteral("SWR 2:1") && !(number && mhz >= 140 && mhz <= 150)) continue;
        if (text.box.left() >= LayOutSmith(check, QRectF(QPointF(0, 0), QSizeF(kSmithPlotSize))).legend.left()) {
            continue;  // the legend's lines
        }
        ++labels;
        for (const QLineF& line : page.curveLines) {
            EXPECT_FALSE(LineCrosses(line, text.box)) << text.text.toStdString();
        }
    }
    EXPECT_GE(labels, 2);  // "SWR 2:1" and the design frequency at least
}

TEST(SmithChart, DrawsIntoAFile) {
    const std::string png = ::testing::TempDir() + "corvanta-smith.png";
    ASSERT_EQ(WritePlot(png, PlotKind::Smith, Check(true)), std::nullopt);
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), kSmithPlotSize);
    // The curve passes the centre at 145 MHz: the design frequency's dot,
    // in ink, covers it.
    const SmithLayout layout = LayOutSmith(Check(true), QRectF(QPointF(0, 0), QSizeF(kSmithPlotSize)));
    const QColor centre = image.pixelColor(layout.centre.toPoint());
    EXPECT_LT(centre.lightness(), 0x70) << centre.name().toStdString();
}

}  // namespace
}  // namespace corvanta::plot
