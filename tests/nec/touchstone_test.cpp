#include <gtest/gtest.h>

#include <complex>
#include <string>

#include "nec/model_check.h"
#include "nec/touchstone.h"

namespace corvanta::nec {
namespace {

// Small files as analysers write them; the impedances worked out by hand
// from Z = R (1 + S) / (1 - S).
TEST(Touchstone, EveryOptionLineForm) {
    struct Case {
        const char* file;
        double mhz;
        std::complex<double> z;
        double reference;
    };
    const Case cases[] = {
        {"# MHz S RI R 50\n146 0 0\n", 146, {50, 0}, 50},
        {"# Hz S RI R 50\n146000000 0.2 0\n", 146, {75, 0}, 50},
        {"# kHz S MA R 50\n146000 0.2 180\n", 146, {100.0 / 3, 0}, 50},
        {"# GHz S DB R 75\n0.146 -20 0\n", 146, {75 * 1.1 / 0.9, 0}, 75},
        {"#MHZ s ri r 300\n146 +0 -0\n", 146, {300, 0}, 300},
        {"#\n0.146 0.5 90\n", 146, {30, 40}, 50},  // GHz S MA R 50 when left out
        {"! no option line at all\n0.146 0.5 90\n", 146, {30, 40}, 50},
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
    struct Case {
        const char* file;
        const char* message;
    };
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
        {"", "no data lines"},
        {"# MHz S MA R 50\n146 -0.5 0\n", "line 2: a magnitude must not be below 0"},
        {"# MHz S RI R 50\n0 0 0\n", "line 2: frequencies must be above 0"},
        {"1e306 0.5 0\n", "line 1: a number does not read"},  // 1e309 MHz
        {"# Hz S RI R 50\n1e-320 0.5 0\n", "line 2: frequencies must be above 0"},
        // A German or French analyser program's decimal commas are named as
        // such, not taken for more ports or for words that are not numbers.
        {"# MHz S RI R 50\n146 0,5 -0,3\n", "line 2: the numbers are written with decimal commas"},
        {"# MHz S RI R 50\n146,5\t0,12\t-0,3\r\n", "line 2: the numbers are written with decimal commas"},
        {"146,5 0,5 -20,25\n", "line 1: the numbers are written with decimal commas"},
        {"# MHz S DB R 50\n146 -3,5 1e2,5\n", "line 2: a file of more than one port"},
        {"# MHz S RI R 50\n146 0,5,1 0\n", "line 2: a file of more than one port"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            ReadTouchstone(c.file);
            ADD_FAILURE() << "read";
        } catch (const Failure& error) {
            EXPECT_EQ(error.Kind(), FailureKind::Measurement);
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

// The same file as Unix, Windows and old Mac programs save it, with and
// without a byte-order mark: the same sweep, and a bad line named by the
// same number whatever ends the lines.
TEST(Touchstone, LineEndsAndAByteOrderMark) {
    const std::string lines[] = {"! analyser export", "# MHz S RI R 50", "", "146 0 0", "147 0.2 0"};
    const std::string bom = "\xEF\xBB\xBF";
    for (const std::string& start : {std::string(), bom}) {
        for (const char* end : {"\n", "\r\n", "\r"}) {
            SCOPED_TRACE(testing::Message() << "BOM " << !start.empty() << ", end "
                                            << (end[0] == '\n' ? "LF"
                                                : end[1]       ? "CR LF"
                                                               : "CR"));
            std::string file = start;
            for (const std::string& line : lines) file += line + end;
            const OnePortSweep sweep = ReadTouchstone(file);
            EXPECT_EQ(sweep.mhz, (std::vector<double>{146, 147}));
            EXPECT_EQ(sweep.referenceOhm, 50);
            EXPECT_NEAR(ImpedanceOf(sweep.reflection[1], 50).real(), 75, 1e-9);
            // No option line: the first data line opens the file.
            EXPECT_EQ(ReadTouchstone(start + "0.146 0 0" + end).mhz, std::vector<double>{146});
            try {
                ReadTouchstone(file + "148 0.1 oops" + end + "149 0 0" + end);
                ADD_FAILURE() << "read";
            } catch (const Failure& error) {
                EXPECT_EQ(std::string(error.what()), "line 6: a number does not read: \"148 0.1 oops\"");
            }
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

namespace corvanta::nec {
namespace {

// A loop built 2 % small: it behaves at 1.02 f as the model does at f. Its
// junction, seen through the lines at 1.02 f, is the measurement; undoing
// the lines must find the model's resonance times 1.02, and the trim must
// scale the loop by that over the design frequency.
TEST(Measurement, TrimOfALoopBuiltTwoPercentSmall) {
    ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 146;
    check.plan.model.heightMm = 700;
    check.plan.model.sideMm = 260;
    check.plan.model.gapMm = 9.5;
    check.plan.line = {300, 0.82, 421.2329};
    const auto gap = [](double mhz) { return std::complex<double>(180, 10 * (mhz - 142)); };
    for (int mhz = 130; mhz <= 160; ++mhz) {
        SweepPoint point;
        point.mhz = mhz;
        point.gaps.assign(3, gap(mhz));
        point.lines = Junction(point.gaps, check.plan.line, mhz);
        check.report.sweep.push_back(point);
    }
    check.report.resonancesMHz = {142};

    constexpr double k = 1.02;
    OnePortSweep measured;
    measured.referenceOhm = 75;
    for (int mhz = 130; mhz <= 160; ++mhz) {
        const std::vector<std::complex<double>> gaps(3, gap(mhz));
        measured.mhz.push_back(k * mhz);
        measured.reflection.push_back(ReflectionOf(Junction(gaps, check.plan.line, k * mhz), 75));
    }
    const Measurement m = CompareMeasurement(check, measured, "built.s1p");
    ASSERT_TRUE(m.resonanceMHz);
    EXPECT_NEAR(*m.resonanceMHz, 144.84, 1e-9);
    EXPECT_NEAR(*m.ShiftMHz(), 2.84, 1e-9);
    EXPECT_NEAR(*m.ShiftPercent(), 2.0, 1e-9);
    ASSERT_TRUE(m.trim);
    // Without a tune, the lengths as cut times the fitted resonance over
    // the design frequency.
    EXPECT_NEAR(m.trim->scale, 144.84 / 146, 1e-5);
    EXPECT_NEAR(m.trim->heightMm, 700 * 144.84 / 146, 1e-2);
    EXPECT_NEAR(m.trim->gapMm, 9.5 * 144.84 / 146, 1e-3);
    // Every measured point, the lines undone, is the model's gap again.
    for (std::size_t i = 0; i < m.points.size(); ++i) {
        EXPECT_LT(std::abs(m.points[i].gap - gap(130 + static_cast<double>(i))), 1e-9);
    }

    // A measurement that never crosses resonance gives no trim, and says so.
    OnePortSweep above = measured;
    above.mhz.erase(above.mhz.begin(), above.mhz.begin() + 16);
    above.reflection.erase(above.reflection.begin(), above.reflection.begin() + 16);
    const Measurement none = CompareMeasurement(check, above, "above.s1p");
    EXPECT_FALSE(none.resonanceMHz);
    EXPECT_FALSE(none.trim);
    ASSERT_FALSE(none.notes.empty());
    EXPECT_TRUE(none.refused);
    EXPECT_NE(none.refusal.find("resonance"), std::string::npos) << none.refusal;
}

}  // namespace
}  // namespace corvanta::nec
