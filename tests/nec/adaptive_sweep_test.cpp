// The adaptive sweep on made-up engines: a loop's gap impedance rounded to
// the engine's five digits, with and without an anti-resonance, and an
// engine whose answers the interpolant cannot follow.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "nec/adaptive_sweep.h"
#include "tests/nec/five_digits.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;

using testing::FiveDigits;

std::vector<double> Rows(double from, double to, int points) {
    std::vector<double> mhz;
    for (int i = 0; i < points; ++i) mhz.push_back(from + (to - from) * i / (points - 1));
    return mhz;
}

struct Engine {
    std::function<Z(double)> gap;
    std::vector<double> mhz;
    int computed = 0;
    RowComputer Computer() {
        return [this](const std::vector<int>& rows) {
            std::vector<std::vector<Z>> values;
            for (int row : rows) {
                ++computed;
                values.push_back({FiveDigits(gap(mhz[static_cast<std::size_t>(row)]))});
            }
            return values;
        };
    }
};

Z Loop(double mhz) { return Z(150 + 0.9 * (mhz - 146), 6 * mhz - 142.0 * 142.0 * 6 / mhz); }
Z AntiResonant(double mhz) { return Loop(mhz) + Z(1190) / Z(1, 25 * (mhz / 257.4 - 257.4 / mhz)); }

TEST(AdaptiveSweep, FewEngineRowsEveryRowRight) {
    const struct {
        const char* name;
        std::function<Z(double)> gap;
        double from, to;
        int points;
        int mostEngineRows;
    } cases[] = {
        {"a loop over 0.8 to 1.4 f", Loop, 116.8, 204.4, 101, 15},
        {"dense", Loop, 100, 200, 2001, 15},
        {"an anti-resonance in a wide sweep", AntiResonant, 40, 400, 361, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Engine engine{c.gap, Rows(c.from, c.to, c.points)};
        const AdaptiveSweep sweep = SampleSweep(engine.mhz, engine.Computer());
        EXPECT_FALSE(sweep.exact);
        EXPECT_LE(engine.computed, c.mostEngineRows);
        EXPECT_EQ(static_cast<int>(sweep.engineRows.size()), engine.computed);
        // The middles of both end stretches and of the two widest.
        EXPECT_EQ(sweep.heldOutRows.size(), 4U);
        EXPECT_LT(sweep.heldOutRows.front(), sweep.engineRows[2]);
        EXPECT_GT(sweep.heldOutRows.back(), sweep.engineRows[sweep.engineRows.size() - 3]);
        EXPECT_LT(sweep.heldOutError, 1e-3);
        ASSERT_EQ(sweep.rows.size(), engine.mhz.size());
        double worst = 0;
        for (std::size_t i = 0; i < engine.mhz.size(); ++i) {
            worst = std::max(worst, std::abs(sweep.rows[i][0] - c.gap(engine.mhz[i])) / std::abs(c.gap(engine.mhz[i])));
        }
        EXPECT_LT(worst, 1e-3);
    }
}

// An engine whose answers jump between rows follows no rational function:
// the held-out rows give it away and every row is computed.
TEST(AdaptiveSweep, FallsBackWhereHeldOutRowsDisagree) {
    Engine engine{[](double mhz) { return Loop(mhz) * (std::fmod(mhz, 7.3) < 3.1 ? 1.0 : 1.02); },
                  Rows(116.8, 204.4, 101)};
    const AdaptiveSweep sweep = SampleSweep(engine.mhz, engine.Computer());
    EXPECT_TRUE(sweep.exact);
    EXPECT_EQ(engine.computed, 101);
    for (std::size_t i = 0; i < engine.mhz.size(); ++i) {
        EXPECT_EQ(sweep.rows[i][0], FiveDigits(engine.gap(engine.mhz[i])));
    }
}

// A sweep of a few points is simply computed.
TEST(AdaptiveSweep, AShortSweepIsComputedWhole) {
    Engine engine{Loop, Rows(140, 152, 7)};
    const AdaptiveSweep sweep = SampleSweep(engine.mhz, engine.Computer());
    EXPECT_TRUE(sweep.exact);
    EXPECT_EQ(engine.computed, 7);
}

}  // namespace
}  // namespace corvanta::nec
