#include <gtest/gtest.h>

#include <complex>
#include <string>

#include "nec/touchstone.h"

namespace corvanta::nec {
namespace {

// Small files as analysers write them; the impedances worked out by hand
// from Z = R (1 + S) / (1 - S).
TEST(Touchstone, EveryOptionLineForm) {
    struct Case { const char* file; double mhz; std::complex<double> z; double reference; };
    const Case cases[] = {
        {"# MHz S RI R 50\n146 0 0\n", 146, {50, 0}, 50},
        {"# Hz S RI R 50\n146000000 0.2 0\n", 146, {75, 0}, 50},
        {"# kHz S MA R 50\n146000 0.2 180\n", 146, {100.0 / 3, 0}, 50},
        {"# GHz S DB R 75\n0.146 -20 0\n", 146, {75 * 1.1 / 0.9, 0}, 75},
        {"#MHZ s ri r 300\n146 +0 -0\n", 146, {300, 0}, 300},
        {"#\n0.146 0.5 90\n", 146, {30, 40}, 50},  // GHz S MA R 50 when left out
        {"! a comment\n\n  # MHz  S  RI  R 50 ! inline\n146\t0\t0 ! point\n", 146, {50, 0}, 50},
        {"# MHz S RI R 50\n# GHz S DB R 75\n146 0 0\n", 146, {50, 0}, 50},  // the first option line counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const OnePortSweep sweep = ReadTouchstone(c.file);
        ASSERT_EQ(sweep.mhz.size(), 1U);
        EXPECT_NEAR(sweep.mhz[0], c.mhz, 1e-9);
        EXPECT_EQ(sweep.referenceOhm, c.reference);
        const std::complex<double> z = ImpedanceOf(sweep.reflection[0], sweep.referenceOhm);
        EXPECT_NEAR(z.real(), c.z.real(), 1e-9);
        EXPECT_NEAR(z.imag(), c.z.imag(), 1e-9);
    }
}

TEST(Touchstone, RefusalsNameTheLine) {
    struct Case { const char* file; const char* message; };
    const Case cases[] = {
        {"[Version] 2.0\n# MHz S RI R 50\n", "line 1: Touchstone 2 files are not read"},
        {"# MHz Z RI R 50\n146 50 0\n", "line 1: only S parameters are read, not Z"},
        {"# MHz S XY R 50\n", "line 1: the option line has \"XY\""},
        {"# MHz S RI R\n", "line 1: R needs a reference"},
        {"# MHz S RI R 50\n146 0 0 0 0 0 0 0 0\n", "line 2: a file of more than one port"},
        {"freq,re,im\n146,0,0\n", "line 1: not a Touchstone file"},
        {"# MHz S RI R 50\n146 0.1 x\n", "line 2: a number does not read: \"146 0.1 x\""},
        {"# MHz S RI R 50\n146 0.1\n", "line 2: a data line is a frequency and one pair"},
        {"# MHz S RI R 50\n146 0 0\n145 0 0\n", "line 3: frequencies must rise"},
        {"# MHz S RI R 50\n146 nan 0\n", "line 2: a number does not read"},
        {"! nothing\n# MHz S RI R 50\n", "no data lines"},
        {"", "no option line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            ReadTouchstone(c.file);
            ADD_FAILURE() << "read";
        } catch (const TouchstoneError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(Touchstone, WhatIsWrittenReadsBack) {
    const std::vector<double> mhz = {140, 146, 152.5};
    const std::vector<std::complex<double>> z = {{61.68, 8.82}, {12.5, -300}, {1000, 0.001}};
    const std::string file = WriteTouchstone(mhz, z, 50, {"corvanta 146 MHz, 3 sided"});
    EXPECT_EQ(file.rfind("! corvanta 146 MHz, 3 sided\n# MHz S RI R 50\n", 0), 0U);
    const OnePortSweep back = ReadTouchstone(file);
    ASSERT_EQ(back.mhz, mhz);
    for (std::size_t i = 0; i < z.size(); ++i) {
        // 9 decimals of S keep the impedance within the 2 decimals printed.
        EXPECT_LT(std::abs(ImpedanceOf(back.reflection[i], 50) - z[i]), 0.005);
    }
}

}  // namespace
}  // namespace corvanta::nec
