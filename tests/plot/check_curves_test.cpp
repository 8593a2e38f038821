#include <gtest/gtest.h>

#include <QPen>
#include <complex>
#include <set>
#include <string>
#include <vector>

#include "nec/feed_chain.h"
#include "nec/feed_report.h"
#include "plot/check_curves.h"
#include "plot/smith_chart.h"
#include "plot/sweep_plot.h"

// The curves of a check, one source for both plots, and read-outs that name
// every curve drawn.

namespace corvanta::plot {
namespace {

using Z = std::complex<double>;

const nec::FeedChain kChain{4, nec::Feeder{50, 0.66, 2, 4}};

struct FeedSetup {
    const char* name;
    bool chain, match, measured;
    nec::CutChoice loop;
};

// A junction from 100 - j100 to 300 + j100 ohm over 140 to 150 MHz; the
// match sees 50 + j(mhz - 145) ohm; the measurement runs from 144 MHz.
nec::ModelCheck Check(const FeedSetup& s) {
    nec::ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 145;
    check.report.designMHz = 145;
    for (int i = 0; i <= 10; ++i) {
        nec::SweepPoint p;
        p.mhz = 140 + i;
        p.lines = {100.0 + 20 * i, -100.0 + 20 * i};
        p.gaps = {p.lines, p.lines, p.lines};
        p.parallel = p.lines / 3.0;
        p.swr.fill(2);
        check.report.sweep.push_back(p);
    }
    check.report.atDesign = check.report.sweep[5];
    check.report.atDesign.swr[nec::ReadingIndex("swr_lines_200")] = 1.1;
    check.feed.loop = nec::DesignLoop(check.report);
    check.feed.loop.name = s.loop;
    if (s.chain) {
        check.plan.feed.chain = kChain;
        check.feed.radio = nec::ReadRadioEnd(check.feed.loop, 145, kChain, 50);
    }
    if (s.match) {
        check.feed.match = nec::Match{};
        check.feed.matchedReferenceOhm = 50;
        for (const nec::SweepPoint& p : check.feed.loop.sweep) {
            const Z z(50, p.mhz - 145);
            check.feed.matched.push_back(z);
            check.feed.matchedSwr.push_back(nec::Swr(z, 50));
        }
    }
    if (s.measured) {
        check.measured.emplace();
        check.measured->referenceOhm = 200;
        for (const nec::SweepPoint& p : check.report.sweep) {
            if (p.mhz >= 144) check.measured->points.push_back({p.mhz, p.lines - 20.0, 1.3, p.lines});
        }
    }
    return check;
}

const FeedSetup kSetups[] = {
    {"plain", false, false, false, nec::CutChoice::Design},
    {"chain", true, false, false, nec::CutChoice::Design},
    {"match without a chain", false, true, false, nec::CutChoice::Design},
    {"measurement", false, false, true, nec::CutChoice::Design},
    {"chain, match and measurement", true, true, true, nec::CutChoice::Design},
    {"chain and match on the tuned loop", true, true, false, nec::CutChoice::Tuned},
    {"match on the trimmed loop, measured", false, true, true, nec::CutChoice::Trimmed},
};

bool SamePen(const QPen& a, const QPen& b) {
    return a.color() == b.color() && a.widthF() == b.widthF() && a.style() == b.style();
}

// Each kind of curve has an ink of its own, and the SWR plot's legend and
// the Smith chart take label, ink and pen for it from the one source.
TEST(CheckCurves, BothPlotsDrawEachKindAlike) {
    std::set<QRgb> feedInks;
    for (CurveKind kind : {CurveKind::Radio, CurveKind::Matched, CurveKind::Measured}) {
        feedInks.insert(InkOf(kind).rgb());
    }
    EXPECT_EQ(feedInks.size(), 3u);
    for (const FeedSetup& s : kSetups) {
        SCOPED_TRACE(s.name);
        const nec::ModelCheck check = Check(s);
        const std::vector<CheckCurve> curves = CheckCurves(check);
        const std::vector<SweepCurve> legend = SweepCurves(check);
        ASSERT_EQ(legend.size(), curves.size());
        int bold = 0;
        for (std::size_t i = 0; i < curves.size(); ++i) {
            EXPECT_EQ(legend[i].kind, curves[i].kind);
            EXPECT_EQ(legend[i].label.toStdString(), curves[i].label);
            bold += curves[i].headline;
            if (curves[i].kind != CurveKind::Reading) {
                EXPECT_EQ(curves[i].colour, InkOf(curves[i].kind));
                EXPECT_EQ(curves[i].mhz.size(), curves[i].swr.size());
            }
        }
        EXPECT_EQ(bold, 1);
        const SmithCurve smith = ChartedCurve(check);
        const auto radio = CurveOf(check, CurveKind::Radio);
        EXPECT_EQ(radio.has_value(), s.chain);
        EXPECT_EQ(smith.radioEnd, s.chain);
        // The chart's curve is the SWR plot's bold one, named and inked alike.
        const CheckCurve charted = radio ? *radio : ReadingOnLoop(check, nec::ReadingIndex("swr_lines_200"));
        EXPECT_EQ(smith.label, charted.label);
        EXPECT_EQ(smith.colour, charted.colour);
        EXPECT_TRUE(SamePen(smith.pen, charted.Pen()));
        EXPECT_EQ(smith.pen.widthF(), kHeadlinePen);
        EXPECT_TRUE(!radio || radio->headline);
        EXPECT_EQ(CurveOf(check, CurveKind::Matched).has_value(), s.match);
        EXPECT_EQ(CurveOf(check, CurveKind::Measured).has_value(), s.measured);
        // A loop other than the design's is named on every feed curve.
        const bool named = s.loop != nec::CutChoice::Design;
        for (const CheckCurve& c : curves) {
            if (c.kind != CurveKind::Radio && c.kind != CurveKind::Matched) continue;
            const std::string words = ", " + std::string(nec::CutName(s.loop)) + " loop";
            EXPECT_EQ(c.label.find(words) != std::string::npos, named) << c.label;
            EXPECT_EQ(c.name.find(words) != std::string::npos, named) << c.name;
        }
    }
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The read-out under the pointer lists every curve drawn at the frequency,
// the bold radio end and the match among them, and leaves out a hidden one.
TEST(CheckCurves, ReadoutsNameEveryDrawnCurve) {
    for (const FeedSetup& s : kSetups) {
        SCOPED_TRACE(s.name);
        const nec::ModelCheck check = Check(s);
        const auto read = ReadSweep(check, 145);
        ASSERT_TRUE(read);
        const std::string text = ReadoutText(*read).toStdString();
        for (const CheckCurve& c : CheckCurves(check)) {
            if (c.kind == CurveKind::Reading) continue;
            EXPECT_EQ(Count(text, "\n" + c.name + " "), 1u) << c.name << "\n" << text;
        }
        EXPECT_EQ(Count(text, "\nradio end on 50 Ω"), s.chain ? 1u : 0u) << text;
        EXPECT_EQ(Count(text, "\nthrough the match on 50 Ω"), s.match ? 1u : 0u) << text;
        EXPECT_EQ(Count(text, "\nmeasured on 200 Ω"), s.measured ? 1u : 0u) << text;
        if (s.match) {
            // 50 + j0 at the design frequency, worked by hand.
            EXPECT_NE(text.find("through the match on 50 Ω" +
                                std::string(s.loop == nec::CutChoice::Design
                                                ? ""
                                                : ", " + std::string(nec::CutName(s.loop)) + " loop") +
                                " 50.00 +j0.00 Ω, SWR 1.00"),
                      std::string::npos)
                << text;
            const HiddenCurves hidden{{CurveKind::Matched, 0, {}, false}};
            const std::string without = ReadoutText(*ReadSweep(check, 145, hidden)).toStdString();
            EXPECT_EQ(Count(without, "through the match"), 0u) << without;
            // 146 MHz: 50 + j1 on 50 ohm.
            const auto smith = ReadSmith(check, 146);
            ASSERT_TRUE(smith);
            ASSERT_TRUE(smith->matched);
            EXPECT_NEAR(std::abs(*smith->matched - Z(50, 1)), 0, 1e-12);
            const std::string chart = SmithReadoutText(*smith).toStdString();
            EXPECT_NE(chart.find("\nthrough the match on 50 Ω"), std::string::npos) << chart;
            EXPECT_NE(chart.find("50.00 +j1.00 Ω, SWR 1.02"), std::string::npos) << chart;
        } else {
            const auto smith = ReadSmith(check, 146);
            ASSERT_TRUE(smith);
            EXPECT_FALSE(smith->matched);
            EXPECT_EQ(Count(SmithReadoutText(*smith).toStdString(), "through the match"), 0u);
        }
    }
}

}  // namespace
}  // namespace corvanta::plot
