#include <gtest/gtest.h>

#include <QImage>
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
