// Made-up analyser files of loops whose true lengths are known, held
// against the cut the headline names. Everything a file is made of is
// worked out here apart from the program: the loop's gap as a series
// circuit, the lines by the textbook transform written with tan, the
// junction's strays, a cheap analyser's noise with fixed seeds. The model
// the check holds is the same circuit, off by a factor the tests choose: a
// loop built b times the design's size, whose real gap is the model's at
// b x err x f, resonates at f0 / (b err), and the cut that resonates at the
// design frequency is the design's times f0 / (design x err), whatever was
// cut first and however it was measured.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <complex>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "nec/headline.h"
#include "nec/line_stub.h"
#include "nec/measurement.h"
#include "nec/model_check.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;
constexpr double kPi = std::numbers::pi;
constexpr double kDesignMHz = 146;
constexpr double kC = 299792458.0;

// One gap of each shape: a series circuit resonating at f0 MHz.
struct Shape {
    int sides;
    double f0, r0, slope;  // resonance, resistance there, dX/df in ohm a MHz
    double heightMm, sideMm, gapMm, lineMm;
};
const Shape kThree{3, 142, 120, 20, 718.233, 266.718, 9.67, 421.2329};
const Shape kFour{4, 147.5, 70, 14, 530.0, 370.0, 8.0, 405.0};

Z Gap(const Shape& s, double mhz) {
    return {s.r0 * (mhz / s.f0) * (mhz / s.f0), s.slope / 2 * (mhz - s.f0 * s.f0 / mhz)};
}

// The textbook line: Zin = Z0 (ZL + j Z0 t) / (Z0 + j ZL t), t = tan(2 pi l f / (c VF)).
Z Through(Z load, double ohm, double vf, double mm, double mhz) {
    const double t = std::tan(2 * kPi * mm / 1000 * mhz * 1e6 / (kC * vf));
    const Z j(0, 1);
    return ohm * (load + j * ohm * t) / (ohm + j * load * t);
}

Z S11(Z z) { return (z - 50.0) / (z + 50.0); }

// The check as the program would hold it for this shape: the model's
// sweep, its resonance, and its tune to the design frequency.
ModelCheck CheckOf(const Shape& s, double lineOhm = 300, double lineVf = 0.82, bool vfMeasured = false) {
    ModelCheck check;
    check.plan.model.sides = s.sides;
    check.plan.model.designMHz = kDesignMHz;
    check.plan.model.heightMm = s.heightMm;
    check.plan.model.sideMm = s.sideMm;
    check.plan.model.gapMm = s.gapMm;
    check.plan.line = {lineOhm, lineVf, s.lineMm, vfMeasured};
    for (double mhz = 110; mhz <= 200.0001; mhz += 0.25) {
        SweepPoint p;
        p.mhz = mhz;
        p.gaps.assign(static_cast<std::size_t>(s.sides), Gap(s, mhz));
        p.lines = Junction(p.gaps, check.plan.line, mhz);
        check.report.sweep.push_back(p);
    }
    check.report.resonancesMHz = {s.f0};
    check.report.resonanceUncertaintyPercent = 0.1;
    TunedDesign tuned;
    static_cast<ScaledDesign&>(tuned) = ScaledDesign::Of(check.plan.model, s.f0 / kDesignMHz);
    tuned.resonanceMHz = kDesignMHz;
    tuned.reached = tuned.crossing = true;
    check.report.tuned = tuned;
    check.report.tuneAsked = true;
    return check;
}

// What lies between the junction and the analyser.
struct Strays {
    double coaxMm = 0, shuntPf = 0, seriesNh = 0;
};

struct Made {
    const Shape* shape = &kThree;
    double built = 1;  // the loop as cut, times the design
    double err = 1;    // the real loop against the model
    double lineOhm = 300, lineVf = 0.82;
    Strays strays;
    double fromMHz = 125, toMHz = 170;
    int points = 121;
    double noise = 0;  // |S11| RMS; the phase gets 100 times it in degrees
    unsigned seed = 1;
    int spikes = 0;
};

OnePortSweep File(const Made& m) {
    std::mt19937 random(m.seed);
    std::normal_distribution<double> jitter(0, 1);
    OnePortSweep sweep;
    sweep.referenceOhm = 50;
    const Shape& s = *m.shape;
    for (int i = 0; i < m.points; ++i) {
        const double mhz = m.fromMHz + (m.toMHz - m.fromMHz) * i / (m.points - 1);
        const Z gap = Gap(s, m.built * m.err * mhz);
        Z z = Through(gap, m.lineOhm, m.lineVf, s.lineMm, mhz) / static_cast<double>(s.sides);
        const double w = 2 * kPi * mhz * 1e6;
        z = z + Z(0, w * m.strays.seriesNh * 1e-9);
        z = 1.0 / (1.0 / z + Z(0, w * m.strays.shuntPf * 1e-12));
        if (m.strays.coaxMm > 0) z = Through(z, 50, 0.66, m.strays.coaxMm, mhz);
        Z s11 = S11(z);
        if (m.noise > 0) {
            s11 *= (1 + m.noise * jitter(random)) * std::polar(1.0, 100 * m.noise * jitter(random) * kPi / 180);
        }
        sweep.mhz.push_back(mhz);
        sweep.reflection.push_back(s11);
    }
    // Spikes spread over the sweep, away from its ends.
    for (int k = 0; k < m.spikes; ++k) {
        const auto at = static_cast<std::size_t>((k + 1) * m.points / (m.spikes + 1));
        sweep.reflection[at] = Z(k % 2 ? -0.7 : 0.9, k % 2 ? 0.5 : -0.3);
    }
    return sweep;
}

Made Loop(const Shape* shape, double built, double err, double lineOhm, double lineVf) {
    Made m;
    m.shape = shape;
    m.built = built;
    m.err = err;
    m.lineOhm = lineOhm;
    m.lineVf = lineVf;
    return m;
}

// The HEIGHT that resonates at the design frequency.
double TrueHeight(const Made& m) { return m.shape->heightMm * m.shape->f0 / (kDesignMHz * m.err); }

struct Judged {
    Measurement measured;
    Headline headline;
    double errorPercent = 0;  // of the headline's HEIGHT against the truth
};

Judged Judge(const Made& m, bool giveBuilt, double checkOhm = 300, bool vfMeasured = false) {
    ModelCheck check = CheckOf(*m.shape, checkOhm, vfMeasured ? m.lineVf : 0.82, vfMeasured);
    MeasurementSetting setting;
    if (giveBuilt) {
        setting.built = BuiltLengths{m.shape->heightMm * m.built, m.shape->sideMm * m.built, m.shape->gapMm * m.built};
    }
    check.measured = CompareMeasurement(check, File(m), "made-up.s1p", setting);
    Judged j{*check.measured, HeadlineOf(check), 0};
    // Lengths not given are taken as the design's, and the trim's scale
    // is then for the loop as it was really cut.
    const double asCut = giveBuilt || j.headline.cut != CutChoice::Trimmed ? 1 : m.built;
    j.errorPercent = (j.headline.lengths.heightMm * asCut / TrueHeight(m) - 1) * 100;
    return j;
}

// The headline's rule: a cut within 0.5 % of the truth, or one that says
// to cut long by at least its error.
void ExpectHonest(const Judged& j) {
    const bool close = std::abs(j.errorPercent) <= 0.5;
    const bool covered = j.headline.cutLongPercent && std::abs(j.errorPercent) <= *j.headline.cutLongPercent;
    EXPECT_TRUE(close || covered) << "cut " << j.errorPercent << " % off, lengths sure within "
                                  << j.headline.lengthsUncertaintyPercent.value_or(-1);
}

TEST(MeasurementCut, LoopsOfBothShapesThroughAnyLineAreCutRight) {
    struct Case {
        const char* name;
        Made made;
        bool giveBuilt;
        double within;  // per cent of the truth
    };
    const Case cases[] = {
        {"three sides as designed, twin-lead", Loop(&kThree, 1, 1, 300, 0.82), false, 0.05},
        {"three sides cut 3 % short, ladder line 0.90", Loop(&kThree, 0.97, 1, 300, 0.90), true, 0.05},
        {"three sides cut 5 % long, not said", Loop(&kThree, 1.05, 1, 300, 0.82), false, 0.05},
        {"three sides cut 12 % long on purpose, said", Loop(&kThree, 1.12, 1, 300, 0.90), true, 0.05},
        {"three sides, the model 3 % off, coax 0.66", Loop(&kThree, 1, 1.03, 300, 0.66), false, 0.05},
        {"three sides on open line 0.95", Loop(&kThree, 1.02, 0.98, 300, 0.95), true, 0.05},
        {"four sides cut 6 % long", Loop(&kFour, 1.06, 1, 300, 0.82), true, 0.05},
        {"four sides cut 4 % short, 0.90", Loop(&kFour, 0.96, 1.01, 300, 0.90), true, 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Judged j = Judge(c.made, c.giveBuilt);
        ASSERT_TRUE(j.measured.trim) << (j.measured.notes.empty() ? "" : j.measured.notes.back());
        EXPECT_EQ(j.headline.cut, CutChoice::Trimmed);
        EXPECT_NEAR(j.errorPercent, 0, c.within);
        // The fitted loop resonates where the made-up one does.
        ASSERT_TRUE(j.measured.fitResonanceMHz);
        EXPECT_NEAR(*j.measured.fitResonanceMHz, c.made.shape->f0 / (c.made.built * c.made.err), 0.01);
        EXPECT_NEAR(j.measured.fit->velocityFactor, c.made.lineVf, 0.002);
        ExpectHonest(j);
    }
}

TEST(MeasurementCut, LinesOfTheirOwnImpedanceAreNamed) {
    struct Case {
        const char* name;
        double lineOhm, checkOhm;
        std::optional<double> looks;  // the impedance named; none: trimmed
    };
    const Case cases[] = {
        {"280 ohm twin-lead, 300 assumed", 280, 300, 280}, {"450 ohm window line, 300 assumed", 450, 300, 450},
        {"350 ohm, 300 assumed", 350, 300, 350},           {"450 ohm given as 450", 450, 450, std::nullopt},
        {"280 ohm given as 280", 280, 280, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Made made = Loop(&kThree, 0.96, 1, c.lineOhm, 0.85);
        made.noise = 0.005;
        const Judged j = Judge(made, true, c.checkOhm);
        std::printf("%-34s residual %.2f %%, cut %+.2f %%, refused: %s\n", c.name,
                    j.measured.fit ? j.measured.fit->residualPercent : -1, j.errorPercent, j.measured.refusal.c_str());
        if (c.looks) {
            EXPECT_TRUE(j.measured.refused);
            ASSERT_TRUE(j.measured.linesLookOhm);
            EXPECT_NEAR(*j.measured.linesLookOhm, *c.looks, 0.05 * *c.looks);
            EXPECT_NE(j.measured.refusal.find("lines look like"), std::string::npos) << j.measured.refusal;
            EXPECT_FALSE(j.measured.resonanceMHz || j.measured.fitResonanceMHz || j.measured.trim);
            // Never the other shape for it, and the tune, not the trim.
            EXPECT_EQ(j.headline.cut, CutChoice::Tuned);
            EXPECT_TRUE(j.headline.measurementRefused);
        } else {
            ASSERT_TRUE(j.measured.trim) << j.measured.refusal;
            EXPECT_FALSE(j.measured.linesLookOhm);
            EXPECT_NEAR(j.errorPercent, 0, 0.2);
        }
    }
}

// The junction's strays are not in the fit: the cut may be off by them,
// but then the headline says so and by how much to cut long.
TEST(MeasurementCut, StraysAtTheJunctionAreCoveredByTheUncertainty) {
    struct Case {
        const char* name;
        Strays strays;
    };
    const Case cases[] = {
        {"1 cm of coax", {10, 0, 0}},
        {"2 cm of coax", {20, 0, 0}},
        {"0.5 pF across", {0, 0.5, 0}},
        {"1 pF across", {0, 1, 0}},
        {"5 nH in series", {0, 0, 5}},
        {"10 nH in series", {0, 0, 10}},
        {"all three, at plausible size", {10, 0.5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Made made = Loop(&kThree, 1.04, 1, 300, 0.90);
        made.strays = c.strays;
        made.noise = 0.005;
        const Judged j = Judge(made, true);
        ASSERT_TRUE(j.measured.trim) << j.measured.refusal;
        ASSERT_TRUE(j.measured.trimUncertainty);
        // Strays of the plausible size are what the span is made of.
        EXPECT_GT(j.measured.trimUncertainty->straysPercent, 0.1);
        const bool plausible = c.strays.coaxMm <= 10 && c.strays.shuntPf <= 0.5 && c.strays.seriesNh <= 5;
        std::printf("%-30s cut %+.2f %%, lengths sure within %.2f %%\n", c.name, j.errorPercent,
                    j.headline.lengthsUncertaintyPercent.value_or(-1));
        if (plausible) {
            ExpectHonest(j);
            ASSERT_TRUE(j.headline.lengthsUncertaintyPercent);
            EXPECT_LE(std::abs(j.errorPercent), *j.headline.lengthsUncertaintyPercent);
        }
    }
}

// Noise like a cheap analyser's moves the cut by 0.2 % at most.
TEST(MeasurementCut, NoiseMovesTheCutLittle) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        Made made = Loop(&kThree, 1.03, 1.01, 300, 0.88);
        made.noise = 0.005;
        made.seed = seed;
        const Judged j = Judge(made, true);
        ASSERT_TRUE(j.measured.trim) << j.measured.refusal;
        EXPECT_NEAR(j.errorPercent, 0, 0.2);
        ASSERT_TRUE(j.measured.trimUncertainty);
        EXPECT_GT(j.measured.trimUncertainty->noisePercent, 0);
    }
}

TEST(MeasurementCut, SpikesAreLeftOutAndNamed) {
    struct Case {
        int points, spikes;
        bool trimmed;
    };
    const Case cases[] = {{61, 2, true}, {121, 3, true}, {121, 6, true}, {61, 8, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.spikes) + " of " + std::to_string(c.points));
        Made made = Loop(&kThree, 1, 1, 300, 0.82);
        made.points = c.points;
        made.spikes = c.spikes;
        made.noise = 0.003;
        const Judged j = Judge(made, false);
        ASSERT_TRUE(j.measured.fit);
        EXPECT_EQ(static_cast<bool>(j.measured.trim), c.trimmed) << j.measured.refusal;
        if (!c.trimmed) continue;
        EXPECT_EQ(j.measured.fit->leftOutMHz.size(), static_cast<std::size_t>(c.spikes));
        bool named = false;
        for (const std::string& note : j.measured.notes) named = named || note.find("left out") != std::string::npos;
        EXPECT_TRUE(named);
        EXPECT_NEAR(j.errorPercent, 0, 0.1);
    }
}

// A loop already right, swept over its band only, is resonant at the design
// frequency; sweeps that cannot show it are refused with a sweep that can.
TEST(MeasurementCut, SweepsThatMissTheResonanceSayWhereToMeasure) {
    struct Case {
        const char* name;
        double built, fromMHz, toMHz;
        bool trimmed;
    };
    const Case cases[] = {
        {"right, over 144 to 148 MHz", kThree.f0 / kDesignMHz, 144, 148, true},
        {"right, over 140 to 152 MHz", kThree.f0 / kDesignMHz, 140, 152, true},
        {"1 % wide", 1, 145, 146.4, false},
        {"8 % long, swept above its resonance", 1.08, 140, 150, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Made made = Loop(&kThree, c.built, 1, 300, 0.82);
        made.fromMHz = c.fromMHz;
        made.toMHz = c.toMHz;
        made.noise = 0.003;
        const Judged j = Judge(made, true);
        EXPECT_EQ(static_cast<bool>(j.measured.trim), c.trimmed) << j.measured.refusal;
        if (c.trimmed) {
            ASSERT_TRUE(j.measured.fitResonanceMHz);
            EXPECT_NEAR(*j.measured.fitResonanceMHz, kDesignMHz * kThree.f0 / (c.built * kDesignMHz), 0.1);
            EXPECT_NEAR(j.errorPercent, 0, 0.2);
            continue;
        }
        ASSERT_TRUE(j.measured.measureMHz);
        const double truth = kThree.f0 / c.built;
        EXPECT_LT((*j.measured.measureMHz)[0], std::min(truth, kDesignMHz));
        EXPECT_GT((*j.measured.measureMHz)[1], std::max(truth, kDesignMHz));
        EXPECT_NE(j.measured.refusal.find("measure from"), std::string::npos) << j.measured.refusal;
        EXPECT_FALSE(j.measured.resonanceMHz);
    }
}

// A velocity factor marked as measured is held, and then a loop on lines
// far from the assumed 0.82 is cut from it.
TEST(MeasurementCut, AMeasuredVelocityFactorIsHeld) {
    Made made = Loop(&kThree, 1.02, 1, 300, 0.70);
    made.noise = 0.005;
    const Judged held = Judge(made, true, 300, true);
    ASSERT_TRUE(held.measured.fit);
    EXPECT_TRUE(held.measured.fit->velocityFactorHeld);
    EXPECT_EQ(held.measured.fit->velocityFactor, 0.70);
    ASSERT_TRUE(held.measured.trim);
    EXPECT_NEAR(held.errorPercent, 0, 0.2);
    const Judged fitted = Judge(made, true);
    EXPECT_FALSE(fitted.measured.fit->velocityFactorHeld);
    EXPECT_GT(fitted.measured.trimUncertainty->velocityFactorPercent,
              held.measured.trimUncertainty->velocityFactorPercent);
}

// A stub's velocity factor from its first dip: Z0 coth(g l) open, Z0 tanh(g l)
// shorted, g = a + j 2 pi f / (c VF).
TEST(LineStub, TheFirstDipGivesTheVelocityFactor) {
    struct Case {
        StubEnd end;
        double ohm, vf, mm, dbPer100m, fromMHz, toMHz;
    };
    const Case cases[] = {
        {StubEnd::Open, 300, 0.82, 1000, 3, 20, 120},  {StubEnd::Short, 300, 0.82, 1000, 3, 20, 300},
        {StubEnd::Open, 450, 0.91, 500, 1.5, 50, 200}, {StubEnd::Open, 50, 0.66, 2000, 10, 5, 40},
        {StubEnd::Short, 280, 0.70, 750, 5, 60, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vf);
        OnePortSweep sweep;
        sweep.referenceOhm = 50;
        const double alpha = c.dbPer100m / 100 / (20 / std::log(10.0));
        for (int i = 0; i <= 200; ++i) {
            const double mhz = c.fromMHz + (c.toMHz - c.fromMHz) * i / 200;
            const Z g(alpha, 2 * kPi * mhz * 1e6 / (kC * c.vf));
            const Z gl = g * (c.mm / 1000);
            const Z z = c.end == StubEnd::Open ? c.ohm / std::tanh(gl) : c.ohm * std::tanh(gl);
            sweep.mhz.push_back(mhz);
            sweep.reflection.push_back(S11(z));
        }
        const StubReading r = ReadStub(sweep, c.mm, c.end, c.ohm);
        EXPECT_NEAR(r.velocityFactor, c.vf, 0.01);
        EXPECT_NEAR(r.lossDbPer100m, c.dbPer100m, 0.3 * c.dbPer100m);
    }
    // No dip in the sweep: refused, with where to look.
    OnePortSweep flat;
    flat.referenceOhm = 50;
    for (int i = 0; i <= 10; ++i) {
        flat.mhz.push_back(10 + i);
        flat.reflection.push_back(S11(Z(0, -300)));
    }
    try {
        ReadStub(flat, 1000, StubEnd::Open, 300);
        ADD_FAILURE() << "a sweep without a dip gave a velocity factor";
    } catch (const Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("measure the stub from"), std::string::npos) << failure.what();
    }
}

}  // namespace
}  // namespace corvanta::nec
