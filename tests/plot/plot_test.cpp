#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QSvgRenderer>
#include <cmath>
#include <numbers>
#include <string>

#include "plot/pattern_plot.h"
#include "plot/plot_file.h"
#include "plot/sweep_plot.h"
#include "plot/ticks.h"

namespace corvanta::plot {
namespace {

// A step is round when it is 1, 2 or 5 times a power of ten.
bool Round(double step) {
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    return std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 5) < 1e-9;
}

TEST(Ticks, RoundStepsAndRanges) {
    struct Step {
        double span;
        int most;
        double step;
    };
    for (const Step& c : {Step{87.6, 10, 10}, Step{87.6, 8, 20}, Step{4, 4, 1}, Step{0.3, 5, 0.1}, Step{0.7, 7, 0.1},
                          Step{12, 10, 2}, Step{25, 5, 5}}) {
        SCOPED_TRACE(c.span);
        EXPECT_DOUBLE_EQ(RoundStep(c.span, c.most), c.step);
    }
    EXPECT_EQ(RoundTicks(116.8, 204.4, 10), (std::vector<double>{120, 130, 140, 150, 160, 170, 180, 190, 200}));
    // 0.35 / 0.05 is a hair under 7 in doubles: the last tick stays.
    EXPECT_EQ(RoundTicks(0.1, 0.35, 0.05).size(), 6U);

    struct Span {
        double low, high;
        int most;
        AxisRange range;
    };
    for (const Span& c : {Span{-194.32, 581.48, 8, {-200, 600, 100}}, Span{-46.09, 176.76, 8, {-50, 200, 50}},
                          Span{0, 95, 5, {0, 100, 20}}, Span{-1, 99, 5, {-50, 100, 50}}}) {
        SCOPED_TRACE(c.low);
        const AxisRange range = RoundRange(c.low, c.high, c.most);
        EXPECT_DOUBLE_EQ(range.low, c.range.low);
        EXPECT_DOUBLE_EQ(range.high, c.range.high);
        EXPECT_DOUBLE_EQ(range.step, c.range.step);
    }
    EXPECT_EQ(TickLabel(142.5, 0.5), "142.5");
    EXPECT_EQ(TickLabel(140, 20), "140");
    EXPECT_EQ(TickLabel(-0.0, 1), "0");
    EXPECT_EQ(TickLabel(0.15000000000000002, 0.05), "0.15");
}

// A made-up check: 100 to 200 MHz by 10, gap R rising by 20 an step from
// 100 ohm, X from -100; SWR of the lines 1 at 150 MHz and one more every
// 10 MHz away from it.
const std::size_t kLines50 = nec::ReadingIndex("swr_lines_50");
const std::size_t kLines200 = nec::ReadingIndex("swr_lines_200");
const std::size_t kLines300 = nec::ReadingIndex("swr_lines_300");
const std::size_t kParallel50 = nec::ReadingIndex("swr_parallel_50");
const std::size_t kParallel300 = nec::ReadingIndex("swr_parallel_300");
const std::size_t kGap300 = nec::ReadingIndex("swr_gap_300");

nec::ModelCheck SyntheticCheck() {
    nec::ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 146;
    check.plan.line = {300, 0.82, 421.2329};
    for (int i = 0; i <= 10; ++i) {
        nec::SweepPoint p;
        p.mhz = 100 + 10 * i;
        const std::complex<double> gap{100.0 + 20 * i, -100.0 + 20 * i};
        p.gaps = {gap, gap, gap};
        p.parallel = gap / 3.0;
        p.lines = {150, -20.0 + 4 * i};
        p.swr[kLines50] = 1 + std::abs(p.mhz - 150) / 10;
        p.swr[kLines200] = 1.5;
        p.swr[kLines300] = 3;
        p.swr[kParallel50] = 2.5;
        p.swr[kParallel300] = 7;
        p.swr[kGap300] = INFINITY;
        check.report.sweep.push_back(p);
    }
    check.report.resonancesMHz = {142.2};
    check.report.under2[kLines50] = {{140.0, 160.0}};
    // Free space, every 10 degrees of elevation and 30 of azimuth:
    // 2 dBi at the horizon toward azimuth 0, 0.1 dB less a degree of
    // elevation and 0.01 dB less a degree of azimuth.
    for (int phi = 0; phi <= 360; phi += 30) {
        for (int theta = 0; theta <= 180; theta += 10) {
            check.report.pattern.push_back({static_cast<double>(theta), static_cast<double>(phi),
                                            2 - 0.1 * std::abs(theta - 90) - 0.01 * phi, 1, 1e-3});
        }
    }
    check.report.maxGainDbi = 2;
    check.report.maxGainThetaDeg = 90;
    check.report.maxGainPhiDeg = 0;
    return check;
}

const QRectF kArea(QPointF(0, 0), QSizeF(kSweepPlotSize));

// How much of a column of the image, within the rows, is drawn in dark ink.
double DarkShare(const QImage& image, int x, double top, double bottom) {
    int dark = 0, rows = 0;
    for (int y = static_cast<int>(top) + 2; y < static_cast<int>(bottom) - 2; ++y, ++rows) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = image.pixelColor(x + dx, y);
            if (c.red() < 0x70 && c.green() < 0x70 && c.blue() < 0x70) {
                ++dark;
                break;
            }
        }
    }
    return rows ? static_cast<double>(dark) / rows : 0;
}

// What a reader relies on: round ticks within the axes, the design
// frequency's line where 146 MHz falls between the frequency axis's ends.
TEST(SweepPlot, RoundTicksAndTheDesignFrequencyInPlace) {
    const nec::ModelCheck check = SyntheticCheck();
    const SweepLayout layout = LayOutSweep(check, kArea);
    ASSERT_TRUE(layout.drawable);
    EXPECT_TRUE(Round(layout.mhzStep));
    EXPECT_TRUE(Round(layout.ohm.step));
    for (double tick : RoundTicks(layout.fromMHz, layout.toMHz, layout.mhzStep)) {
        EXPECT_NEAR(tick / layout.mhzStep, std::round(tick / layout.mhzStep), 1e-9);
    }
    // R from 100 to 300, X from -100 to 100: a round range that holds them.
    EXPECT_LE(layout.ohm.low, -100);
    EXPECT_GE(layout.ohm.high, 300);

    QImage image(kSweepPlotSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawSweepPlot(painter, kArea, check);
    painter.end();
    const QRectF panel = layout.ohmPanel;
    const double design = panel.left() + (146.0 - 100) / (200 - 100) * panel.width();
    EXPECT_GT(DarkShare(image, static_cast<int>(design), panel.top(), panel.bottom()), 0.9);
    // A place with no marker, to show the measure can tell.
    const double empty = panel.left() + (175.0 - 100) / (200 - 100) * panel.width();
    EXPECT_LT(DarkShare(image, static_cast<int>(empty), panel.top(), panel.bottom()), 0.2);

    // The read-out under the design line: 60 % of the way from 140 to 150 MHz.
    const auto mhz = SweepMHzAt(check, kArea, QPointF(design, panel.center().y()));
    ASSERT_TRUE(mhz);
    EXPECT_NEAR(*mhz, 146, 0.01);
    const auto readout = ReadSweep(check, 146);
    ASSERT_TRUE(readout);
    EXPECT_NEAR(readout->At(nec::FeedPoint::Gap).real(), 192, 1e-9);
    EXPECT_NEAR(readout->At(nec::FeedPoint::Gap).imag(), -8, 1e-9);
    EXPECT_NEAR(readout->swr[kLines50], 1.4, 1e-9);
    EXPECT_DOUBLE_EQ(readout->swr[kLines300], 3);
    EXPECT_TRUE(std::isinf(readout->swr[kGap300]));
    // The read-out words each drawn reading as the legend does, with the
    // balun the 200 ohm one goes through; the gaps in parallel on 300 ohm
    // have no curve, so no place in it.
    EXPECT_EQ(ReadoutText(*readout).toStdString(),
              "146.000 MHz\n"
              "lines' junction 150.00 −j1.60 Ω, SWR 1.40 on 50 Ω, 1.50 on 200 Ω (4:1 balun), 3.00 on 300 Ω\n"
              "gaps in parallel 64.00 −j2.67 Ω, SWR 2.50 on 50 Ω\n"
              "one gap 192.00 −j8.00 Ω, SWR infinite on 300 Ω");
    EXPECT_FALSE(SweepMHzAt(check, kArea, QPointF(2, 2)));
    EXPECT_FALSE(ReadSweep(check, 99));
}

TEST(PatternPlot, ReadsTheCutUnderThePointer) {
    const nec::ModelCheck check = SyntheticCheck();
    const QRectF area(QPointF(0, 0), QSizeF(kPatternPlotSize));
    const PatternLayout layout = LayOutPattern(check, area);
    ASSERT_TRUE(layout.drawable);
    EXPECT_DOUBLE_EQ(layout.outerDbi, 5);
    EXPECT_EQ(layout.cuts.polarisation, nec::Polarisation::Vertical);
    const auto at = [&](QPointF centre, double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return QPointF(centre.x() + layout.radius / 2 * std::cos(a), centre.y() - layout.radius / 2 * std::sin(a));
    };
    struct Case {
        bool azimuthPanel;
        double angle;
        double azimuth, elevation, gain;
    };
    const Case cases[] = {
        {true, 45, 45, 0, 1.55},      // between azimuth 30 (1.7) and 60 (1.4)
        {false, 30, 0, 30, -1},       // theta 60 in front
        {false, 150, 180, 30, -2.8},  // theta 60 behind: 2 - 3 - 1.8
        {false, -45, 0, -45, -2.5},   // theta 135, between 130 (-2) and 140 (-3)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        const auto readout =
            ReadPatternAt(check, area, at(c.azimuthPanel ? layout.azimuthCentre : layout.elevationCentre, c.angle));
        ASSERT_TRUE(readout);
        EXPECT_EQ(readout->azimuthCut, c.azimuthPanel);
        EXPECT_NEAR(readout->azimuthDeg, c.azimuth, 1e-6);
        EXPECT_NEAR(readout->elevationDeg, c.elevation, 1e-6);
        EXPECT_NEAR(readout->gainDbi, c.gain, 1e-6);
    }
    EXPECT_FALSE(ReadPatternAt(check, area, QPointF(2, 2)));
}

// A loop h wavelengths over ground: lobes of the ground's reflection in
// elevation, a ripple of 0.5 dB round the horizon; every degree of
// elevation and 5 of azimuth, as the check's grid.
nec::ModelCheck OverGround(nec::Ground ground, double wavelengths) {
    nec::ModelCheck check = SyntheticCheck();
    check.plan.model.placement = {ground, 10};
    check.report.pattern.clear();
    double most = -1000;
    for (int phi = 0; phi <= 360; phi += 5) {
        for (int theta = 0; theta <= 90; ++theta) {
            const double elevation = (90 - theta) * std::numbers::pi / 180;
            const double lobe = std::abs(std::sin(2 * std::numbers::pi * wavelengths * std::sin(elevation)));
            const double gain = 7 + 20 * std::log10(std::max(lobe * std::cos(elevation / 2), 1e-6)) +
                                0.5 * std::cos(3 * phi * std::numbers::pi / 180);
            check.report.pattern.push_back({static_cast<double>(theta), static_cast<double>(phi), gain, 1, 1e-3});
            if (gain > most) {
                most = gain;
                check.report.maxGainThetaDeg = theta;
                check.report.maxGainPhiDeg = phi;
            }
        }
    }
    check.report.maxGainDbi = most;
    return check;
}

// The ring values hide no curve: each box clear of the curve as drawn (its
// pen 2 wide), at the file's size, smaller and larger, in free space and
// over both grounds. Where lobes fill the circle some go over the curve,
// on white; none ever covers another.
TEST(PatternPlot, RingValuesClearOfTheCurves) {
    struct Case {
        const char* name;
        nec::ModelCheck check;
        bool clear;  // every value beside the curve
    };
    const Case checks[] = {{"free space", SyntheticCheck(), true},
                           {"perfect ground, 1.5 wavelengths", OverGround(nec::Ground::Perfect, 1.5), false},
                           {"average ground, 5 wavelengths", OverGround(nec::Ground::Average, 5), false}};
    for (const Case& c : checks) {
        for (const QSizeF size : {QSizeF(kPatternPlotSize), QSizeF(620, 400), QSizeF(1500, 900)}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(size.width()));
            const PatternLayout layout = LayOutPattern(c.check, QRectF(QPointF(0, 0), size));
            ASSERT_TRUE(layout.drawable);
            for (const PatternPanel* panel : {&layout.azimuth, &layout.elevation}) {
                QPainterPath path;
                path.addPolygon(panel->curve);
                QPainterPathStroker stroker;
                stroker.setWidth(2);
                const QPainterPath drawn = stroker.createStroke(path);
                // Every ring has its value, but where they lie too close.
                ASSERT_GE(panel->rings.size(), size.height() >= 560 ? static_cast<std::size_t>(kRings) : 2U);
                for (std::size_t i = 0; i < panel->rings.size(); ++i) {
                    const RingLabel& label = panel->rings[i];
                    SCOPED_TRACE(label.text.toStdString());
                    EXPECT_FALSE(c.clear && label.overCurve);
                    EXPECT_TRUE(label.overCurve || !drawn.intersects(label.box));
                    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(label.box.intersects(panel->rings[j].box));
                    // Within the plot, clear of its neighbour's circle.
                    EXPECT_TRUE(layout.area.contains(label.box));
                }
            }
        }
    }
}

// The SWR legend and the R and X legend never overlap, in the file's
// size and in the shapes the window gives the plot at 100 and 200 %.
TEST(SweepPlot, LegendsApart) {
    const nec::ModelCheck check = SyntheticCheck();
    for (const QSizeF size : {QSizeF(kSweepPlotSize), QSizeF(940, 330), QSizeF(1200, 380), QSizeF(800, 300),
                              QSizeF(470, 330), QSizeF(940, 1200)}) {
        SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
        const SweepLayout layout = LayOutSweep(check, QRectF(QPointF(0, 0), size));
        EXPECT_FALSE(layout.legend.intersects(layout.ohmLegend));
        EXPECT_GT(layout.legend.height(), 0);
        EXPECT_GT(layout.ohmLegend.height(), 0);
        for (const QRectF& legend : {layout.legend, layout.ohmLegend}) {
            EXPECT_FALSE(legend.intersects(layout.swrPanel));
            EXPECT_FALSE(legend.intersects(layout.ohmPanel));
            EXPECT_LE(legend.right(), size.width());
        }
        if (size.height() >= 330) {
            EXPECT_LE(layout.ohmLegend.bottom(), size.height());
        }
    }
}

TEST(PlotFile, SvgAndPngByName) {
    const nec::ModelCheck check = SyntheticCheck();
    const std::string svg = ::testing::TempDir() + "corvanta-plot.svg";
    const std::string png = ::testing::TempDir() + "corvanta-pattern.PNG";
    EXPECT_EQ(WritePlot(svg, PlotKind::Sweep, check), std::nullopt);
    EXPECT_EQ(WritePlot(png, PlotKind::Pattern, check), std::nullopt);
    QSvgRenderer renderer(QString::fromStdString(svg));
    ASSERT_TRUE(renderer.isValid());
    // The lines' SWR on 50 ohm starts at 6, over the axis: in the file as
    // drawn, nothing of its blue above the panel where it leaves it (the
    // SVG generator writes no clip paths).
    QImage image(kSweepPlotSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter, kArea);
    painter.end();
    const SweepLayout layout = LayOutSweep(check, kArea);
    int blue = 0;
    for (int x = static_cast<int>(layout.swrPanel.left()); x < static_cast<int>(layout.X(110)); ++x) {
        for (int y = 0; y < static_cast<int>(layout.swrPanel.top()) - 8; ++y) {
            const QColor c = image.pixelColor(x, y);
            blue += c.blue() > 150 && c.red() < 100;
        }
    }
    EXPECT_EQ(blue, 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), kPatternPlotSize);
    EXPECT_EQ(WritePlot("/nonexistent/plot.svg", PlotKind::Sweep, check),
              "cannot write /nonexistent/plot.svg: No such file or directory");
    EXPECT_TRUE(WritePlot("/nonexistent/plot.png", PlotKind::Pattern, check)
                    ->starts_with("cannot write /nonexistent/plot.png: "));
    EXPECT_EQ(WritePlot("plot.pdf", PlotKind::Sweep, check), "plot.pdf is neither .svg nor .png");
}

}  // namespace
}  // namespace corvanta::plot

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
