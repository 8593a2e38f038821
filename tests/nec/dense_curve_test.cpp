// The curves between the sweep's rows: a made-up engine's gap impedance,
// rounded to its five digits, sampled by the adaptive sweep (or every row,
// with no interpolant kept), and the dense curve checked against the
// function itself through lines and feed worked separately.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>

#include "nec/adaptive_sweep.h"
#include "nec/dense_curve.h"
#include "tests/nec/five_digits.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;
using testing::FiveDigits;

Z Loop(double mhz) { return Z(150 + 0.9 * (mhz - 146), 6 * mhz - 142.0 * 142.0 * 6 / mhz); }
Z AntiResonant(double mhz) { return Loop(mhz) + Z(1190) / Z(1, 25 * (mhz / 257.4 - 257.4 / mhz)); }

constexpr int kGaps = 3;
const FeedLine kLine{300, 0.82, 421.2329, false};

SweepPoint Point(double mhz, Z gap, double scale) {
    return PointOfGaps(mhz / scale, std::vector<Z>(kGaps, gap), gap / static_cast<double>(kGaps), kLine);
}

Z Gamma(Z z) { return (z - 50.0) / (z + 50.0); }

TEST(DenseCurve, MeetsEveryRowAndFollowsTheModelBetween) {
    const FeedChain feeder{4, Feeder{50, 0.66, 10, 7}};
    const FeedChain balun{4, std::nullopt};
    const struct {
        const char* name;
        std::function<Z(double)> gap;
        bool adaptive;  // else every row computed and no interpolant kept
        double scale;   // the loop over the model's
        FeedChain chain;
        double lineError;  // the worst |dGamma| of straight lines between rows
    } cases[] = {
        {"a 10 m feeder's spiral", Loop, true, 1, feeder, 0.05},
        {"the spiral of a tuned loop", Loop, true, 1.02, feeder, 0.05},
        {"an anti-resonance, every row computed", AntiResonant, false, 1, feeder, 0.05},
        {"a balun alone", AntiResonant, true, 1, balun, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> mhz;
        for (int i = 0; i <= 100; ++i) mhz.push_back(116.8 + 0.876 * i);
        const RowComputer engine = [&](const std::vector<int>& rows) {
            std::vector<std::vector<Z>> values;
            for (int row : rows) {
                values.push_back(std::vector<Z>(kGaps, FiveDigits(c.gap(mhz[static_cast<std::size_t>(row)]))));
            }
            return values;
        };
        std::vector<int> all(mhz.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
        CheckReport report;
        report.designMHz = 146;
        AdaptiveSweep sweep;
        if (c.adaptive) {
            sweep = SampleSweep(mhz, engine);
            ASSERT_FALSE(sweep.exact);
            report.sampling.gapFits = sweep.fits;
        } else {
            sweep.rows = engine(all);
        }
        NamedLoop loop;
        loop.scale = c.scale;
        for (std::size_t i = 0; i < mhz.size(); ++i) {
            report.sweep.push_back(Point(mhz[i], sweep.rows[i].front(), 1));
            loop.sweep.push_back(Point(mhz[i], sweep.rows[i].front(), c.scale));
        }
        const PortOf port = RadioEndPort(c.chain, 146);
        const std::vector<DenseSample> dense = DenseCurve(report, loop, kLine, port);
        ASSERT_GE(dense.size(), 8 * (mhz.size() - 1) + 1);
        ASSERT_LE(dense.size(), 64 * (mhz.size() - 1) + 1);

        // Every row at its own frequency, exactly as the rows read it.
        std::size_t row = 0;
        for (std::size_t k = 0; k < dense.size(); ++k) {
            if (k > 0) {
                ASSERT_GT(dense[k].mhz, dense[k - 1].mhz);
            }
            if (row < loop.sweep.size() && dense[k].mhz == loop.sweep[row].mhz) {
                EXPECT_EQ(dense[k].impedance, port(loop.sweep[row])) << dense[k].mhz;
                ++row;
            }
        }
        EXPECT_EQ(row, loop.sweep.size());

        // Between rows, the function itself within what the interpolant
        // and five digits allow; the neighbours close on the chart, where
        // straight lines between rows are visibly off the spiral.
        double worst = 0, worstLine = 0, widest = 0;
        row = 0;
        for (std::size_t k = 0; k < dense.size(); ++k) {
            const double f = dense[k].mhz;
            const Z exact = port(Point(f * c.scale, c.gap(f * c.scale), c.scale));
            worst = std::max(worst, std::abs(Gamma(dense[k].impedance) - Gamma(exact)));
            while (row + 2 < loop.sweep.size() && loop.sweep[row + 1].mhz <= f) ++row;
            const SweepPoint& a = loop.sweep[row];
            const SweepPoint& b = loop.sweep[row + 1];
            const double t = (f - a.mhz) / (b.mhz - a.mhz);
            const Z straight = port(a) + t * (port(b) - port(a));
            worstLine = std::max(worstLine, std::abs(Gamma(straight) - Gamma(exact)));
            if (k > 0) widest = std::max(widest, std::abs(Gamma(dense[k].impedance) - Gamma(dense[k - 1].impedance)));
        }
        EXPECT_LT(worst, 2e-3);
        if (c.lineError > 0) {
            EXPECT_GE(worstLine, c.lineError);
        }
        EXPECT_LE(widest, DenseOptions{}.maxStep);
    }
}

// Rows the report's loop does not match are all there is to draw.
TEST(DenseCurve, JustTheRowsWhereTheLoopIsNotTheReports) {
    CheckReport report;
    NamedLoop loop;
    for (double f : {140.0, 145.0, 150.0}) {
        report.sweep.push_back(Point(f, Loop(f), 1));
        if (f < 150) loop.sweep.push_back(Point(f, Loop(f), 1));
    }
    const std::vector<DenseSample> dense = DenseCurve(report, loop, kLine, [](const SweepPoint& p) { return p.lines; });
    ASSERT_EQ(dense.size(), 2U);
    EXPECT_EQ(dense[1].impedance, loop.sweep[1].lines);
}

}  // namespace
}  // namespace corvanta::nec
