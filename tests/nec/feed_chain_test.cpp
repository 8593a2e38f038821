// The feed chain against closed forms of line theory, not against itself.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "core/amateur_bands.h"
#include "nec/feed_chain.h"
#include "nec/loop_model.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;

// 10 m of 50 ohm coax, velocity factor 0.66, 5 dB per 100 m at 146 MHz.
const Feeder kCoax{50, 0.66, 10, 5};

TEST(FeedChain, AMatchedLineShowsItsImpedanceAndLosesItsRatedLoss) {
    for (double mhz : {146.0, 120.0, 200.0}) {
        SCOPED_TRACE(mhz);
        EXPECT_LT(std::abs(FeederInput(50, kCoax, mhz, 146) - Z(50)), 1e-9);
        // 0.5 dB over 10 m at the design frequency, growing as the root of f.
        EXPECT_NEAR(FeederLossDb(50, kCoax, mhz, 146), 5.0 * 10 / 100 * std::sqrt(mhz / 146), 1e-3);
    }
}

TEST(FeedChain, OpenTimesShortIsTheImpedanceSquared) {
    for (const Feeder& feeder : {kCoax, Feeder{75, 0.82, 3.3, 12}, Feeder{450, 0.91, 27, 1}}) {
        for (double mhz : {3.6, 14.2, 146.0}) {
            SCOPED_TRACE(mhz);
            const Z open = FeederInput(1e15, feeder, mhz, 146), shorted = FeederInput(0, feeder, mhz, 146);
            const Z product = open * shorted;
            EXPECT_LT(std::abs(product - Z(feeder.impedanceOhm * feeder.impedanceOhm)) / std::norm(feeder.impedanceOhm),
                      1e-6);
        }
    }
}

TEST(FeedChain, ALosslessQuarterWaveInverts) {
    // A quarter wave at 146 MHz: c VF / 4f.
    const Feeder quarter{50, 0.66, kSpeedOfLight * 0.66 / (4 * 146), 0};
    for (Z load : {Z(200, 0), Z(12.5, 30), Z(1000, -400)}) {
        EXPECT_LT(std::abs(FeederInput(load, quarter, 146, 146) - 2500.0 / load), 1e-9 * std::abs(2500.0 / load));
    }
    // Half a wave gives the load back.
    const Feeder half{50, 0.66, 2 * quarter.lengthM, 0};
    EXPECT_LT(std::abs(FeederInput(Z(73, 42), half, 146, 146) - Z(73, 42)), 1e-9);
    // No loss without loss, whatever the mismatch.
    EXPECT_NEAR(FeederLossDb(Z(1000, -400), quarter, 146, 146), 0, 1e-12);
}

TEST(FeedChain, TheChainUndoneGivesTheJunctionBack) {
    const FeedChain chains[] = {{1, std::nullopt}, {4, std::nullopt}, {4, kCoax}, {9, Feeder{75, 0.8, 31.4, 3}}};
    for (const FeedChain& chain : chains) {
        for (Z junction : {Z(158.81, -22.89), Z(1190, 0), Z(20, 80)}) {
            for (double mhz : {120.0, 146.0, 190.0}) {
                const Z radio = RadioEnd(junction, chain, mhz, 146);
                EXPECT_LT(std::abs(JunctionOf(radio, chain, mhz, 146) - junction), 1e-8 * std::abs(junction));
            }
        }
        // Without a feeder the radio sees the junction through the balun.
        if (!chain.feeder) {
            EXPECT_EQ(RadioEnd(Z(200, 40), chain, 146, 146), Z(200, 40) / chain.balunRatio);
        }
    }
}

// Each band holds both its edges, and nothing just outside them.
TEST(Bands, TheBandHoldingAFrequency) {
    for (const Band& band : Bands()) {
        SCOPED_TRACE(band.name);
        for (double mhz : {band.LowMHz(), band.HighMHz(), (band.LowMHz() + band.HighMHz()) / 2}) {
            ASSERT_TRUE(BandHolding(mhz));
            EXPECT_EQ(BandHolding(mhz)->name, band.name);
        }
        EXPECT_NE(BandHolding(std::nextafter(band.LowMHz(), 0.0)).value_or(Band{}).name, band.name);
        EXPECT_NE(BandHolding(std::nextafter(band.HighMHz(), 1e9)).value_or(Band{}).name, band.name);
        EXPECT_EQ(FindBand(band.name)->low, band.low);
    }
    EXPECT_FALSE(BandHolding(100));  // FM broadcast
    EXPECT_FALSE(FindBand("2 m"));
    EXPECT_EQ(BandHolding(146)->name, "2m");
    EXPECT_EQ(BandHolding(14.2)->name, "20m");
}

}  // namespace
}  // namespace corvanta::nec
