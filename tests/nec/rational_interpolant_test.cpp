// The rational interpolant on made-up impedances whose poles are known.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "tests/nec/five_digits.h"
#include "nec/rational_interpolant.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;

using testing::FiveDigits;

double WorstRelative(const RationalInterpolant& r, const std::function<Z(double)>& f, double from, double to) {
    double worst = 0;
    for (int i = 0; i <= 1000; ++i) {
        const double mhz = from + (to - from) * i / 1000;
        worst = std::max(worst, std::abs(r(mhz) - f(mhz)) / std::abs(f(mhz)));
    }
    return worst;
}

// A series circuit (the loop near its own resonance) and a parallel one of
// high Q (an anti-resonance): rational functions of low degree, which a
// handful of samples gives exactly, the anti-resonance's pole included.
TEST(RationalInterpolant, ReproducesRationalImpedances) {
    const auto series = [](double mhz) { return Z(120, 6 * mhz - 146.0 * 146.0 * 6 / mhz); };
    // 1190 ohm at 257.4 MHz, Q 25: poles at 257.4 (j/2Q +- sqrt(1 - 1/4Q^2)).
    const auto parallel = [](double mhz) {
        const double q = 25, f0 = 257.4;
        return Z(1190) / Z(1, q * (mhz / f0 - f0 / mhz));
    };
    const auto both = [&](double mhz) { return series(mhz) + parallel(mhz); };
    const struct {
        const char* name;
        std::function<Z(double)> f;
        double from, to;
        int samples;
        double accuracy;
    } cases[] = {
        {"series", series, 116.8, 204.4, 5, 1e-10},
        {"parallel", parallel, 200, 320, 9, 1e-9},
        {"both", both, 100, 400, 13, 1e-8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> mhz;
        std::vector<Z> values;
        for (int i = 0; i < c.samples; ++i) {
            mhz.push_back(c.from + (c.to - c.from) * i / (c.samples - 1));
            values.push_back(c.f(mhz.back()));
        }
        const RationalInterpolant r = RationalInterpolant::Fit(mhz, values, 1e-13);
        EXPECT_LT(WorstRelative(r, c.f, c.from, c.to), c.accuracy);
        for (const RationalInterpolant::Pole& pole : r.Poles()) EXPECT_GE(pole.at.imag(), 0) << pole.at;
    }
}

// The anti-resonance is a pole just above the axis and must stay; rounding
// to five digits must not bring a pole the antenna cannot have.
TEST(RationalInterpolant, ThePoleGuardKeepsTheAntiResonanceOnly) {
    const double q = 25, f0 = 257.4;
    const auto z = [&](double mhz) { return Z(60, 2 * (mhz - 150)) + Z(1190) / Z(1, q * (mhz / f0 - f0 / mhz)); };
    std::vector<double> mhz;
    std::vector<Z> values;
    for (int i = 0; i < 21; ++i) {
        mhz.push_back(100 + 300.0 * i / 20);
        values.push_back(FiveDigits(z(mhz.back())));
    }
    const RationalInterpolant r = RationalInterpolant::Fit(mhz, values, 2e-5);
    bool antiResonance = false;
    for (const RationalInterpolant::Pole& pole : r.Poles()) {
        EXPECT_GE(pole.at.imag(), 0) << pole.at;
        // The pole of the parallel circuit: 257.4 (1 + j / 50) near enough.
        if (std::abs(pole.at - Z(257.4, 5.15)) < 0.5) antiResonance = true;
    }
    EXPECT_TRUE(antiResonance);
    // Between the samples the fit is as good as the five digits allow.
    EXPECT_LT(WorstRelative(r, z, 100, 400), 5e-4);
}

// An anti-resonance just beyond the sweep's end is a pole of the antenna
// (above the axis): the guard leaves it, and the sweep's end stays right.
TEST(RationalInterpolant, APoleJustOutsideTheSweepStays) {
    const auto f = [](double mhz) { return Z(100, mhz - 150) + Z(400, 0) / Z(162 - mhz, 0.8); };
    std::vector<double> mhz;
    std::vector<Z> values;
    for (int i = 0; i < 11; ++i) {
        mhz.push_back(140 + 2.0 * i);
        values.push_back(FiveDigits(f(mhz.back())));
    }
    const RationalInterpolant r = RationalInterpolant::Fit(mhz, values, 2e-5);
    bool kept = false;
    for (const RationalInterpolant::Pole& pole : r.Poles()) {
        EXPECT_GE(pole.at.imag(), 0) << pole.at;
        if (std::abs(pole.at - Z(162, 0.8)) < 0.05) kept = true;
    }
    EXPECT_TRUE(kept);
    EXPECT_LT(WorstRelative(r, f, 140, 160), 5e-4);
}

// Chasing the engine's rounding with too fine a tolerance puts poles
// between the samples that the data cannot back: the guard takes them out,
// and what is left is as good as the five digits.
TEST(RationalInterpolant, SpuriousPolesFromRoundingAreRemoved) {
    const auto f = [](double mhz) { return Z(150 + 0.5 * (mhz - 146), 6 * mhz - 146.0 * 146.0 * 6 / mhz); };
    std::vector<double> mhz;
    std::vector<Z> values;
    for (int i = 0; i < 41; ++i) {
        mhz.push_back(116.8 + 87.6 * i / 40);
        values.push_back(FiveDigits(f(mhz.back())));
    }
    const RationalInterpolant r = RationalInterpolant::Fit(mhz, values, 1e-13);
    EXPECT_GT(r.Removed(), 0U);
    for (const RationalInterpolant::Pole& pole : r.Poles()) {
        const bool inside = pole.at.real() > 116.8 && pole.at.real() < 204.4;
        EXPECT_FALSE(inside && std::abs(pole.at.imag()) < 5) << pole.at << " residue " << pole.residue;
        EXPECT_GE(pole.at.imag(), -1e-6 * 43.8) << pole.at;
    }
    EXPECT_LT(WorstRelative(r, f, 116.8, 204.4), 2e-4);
}

}  // namespace
}  // namespace corvanta::nec
