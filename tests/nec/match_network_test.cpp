// Every L network the calculator offers, cascaded here independently with
// ABCD matrices from the component values alone, must show the reference.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <numbers>

#include "nec/analysis.h"
#include "nec/match_network.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;
using Abcd = std::array<Z, 4>;

Abcd Times(const Abcd& a, const Abcd& b) {
    return {a[0] * b[0] + a[1] * b[2], a[0] * b[1] + a[1] * b[3], a[2] * b[0] + a[3] * b[2], a[2] * b[1] + a[3] * b[3]};
}

// The radio's view of the load through the components, from the values.
Z Cascade(Z load, const Match& match, double mhz) {
    const double w = 2 * std::numbers::pi * mhz * 1e6;
    Abcd m{1, 0, 0, 1};
    // The radio side first: the list runs from the antenna.
    for (auto c = match.components.rbegin(); c != match.components.rend(); ++c) {
        const Z element = c->inductor ? Z(0, w * c->value * 1e-9) : Z(0, -1 / (w * c->value * 1e-12));
        m = Times(
            m, c->position == MatchComponent::Position::Series ? Abcd{1, element, 0, 1} : Abcd{1, 0, 1.0 / element, 1});
    }
    return (m[0] * load + m[1]) / (m[2] * load + m[3]);
}

TEST(MatchNetwork, EverySolutionCascadesToTheReference) {
    const struct {
        Z load;
        double reference;
        std::size_t solutions;  // worked out from R and G against the reference
    } cases[] = {
        {{158.81, -22.89}, 50, 2},  // G under 1/50, R over 50: shunt next to the load only
        {{20, 35}, 50, 4},          // R 20 < 50 and G 0.0124 < 0.02: both
        {{12.5, -80}, 50, 4},
        {{300, 0}, 50, 2},
        {{8, 0}, 50, 2},  // series next to the load only
        // R already 50: one series element; of the two shunt-first networks
        // one needs no shunt and is that same element.
        {{50, 40}, 50, 2},
        {{1190, 900}, 200, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.load);
        const std::vector<Match> solutions = MatchSolutions(c.load, c.reference, 146);
        EXPECT_EQ(solutions.size(), c.solutions);
        for (const Match& match : solutions) {
            ASSERT_FALSE(match.components.empty());
            for (const MatchComponent& part : match.components) EXPECT_GT(part.value, 0);
            const Z seen = Cascade(c.load, match, 146);
            EXPECT_LT(std::abs(seen - Z(c.reference)), 1e-9 * c.reference) << seen;
            // Named from the antenna side.
            EXPECT_EQ(match.arrangement, match.components.front().position == MatchComponent::Position::Series
                                             ? Match::Arrangement::SeriesFirst
                                             : Match::Arrangement::ShuntFirst);
            EXPECT_LT(std::abs(ThroughMatch(c.load, match, 146) - seen), 1e-9 * c.reference);
        }
    }
}

// A sweep of a series resonant load: within 1.05 of the reference at the
// design frequency it needs nothing; off it, one element where one does.
TEST(MatchNetwork, TheChoiceOverASweep) {
    std::vector<double> mhz;
    const auto sweep = [&](double r, double resonance) {
        std::vector<Z> loads;
        mhz.clear();
        for (double f = 130; f <= 160; f += 0.5) {
            mhz.push_back(f);
            loads.emplace_back(r, 8 * (f - resonance));
        }
        return loads;
    };
    const std::vector<Z> matched = sweep(51, 146);
    const Match none = ChooseMatch(mhz, matched, Z(51, 0), 146, 50);
    EXPECT_EQ(none.arrangement, Match::Arrangement::None);
    EXPECT_TRUE(none.components.empty());
    ASSERT_TRUE(none.under2FromMHz);
    EXPECT_LT(*none.under2FromMHz, 146);

    // 50 ohm but off resonance: one series element cancels the reactance.
    const std::vector<Z> off = sweep(50, 142);
    const Match one = ChooseMatch(mhz, off, Z(50, 32), 146, 50);
    ASSERT_EQ(one.components.size(), 1U);
    EXPECT_EQ(one.components[0].position, MatchComponent::Position::Series);
    EXPECT_FALSE(one.components[0].inductor);  // a capacitor against +j32
    EXPECT_NEAR(Swr(Cascade(Z(50, 32), one, 146), 50), 1, 1e-9);

    // Two elements: the widest 2:1 range among the solutions.
    const std::vector<Z> high = sweep(200, 140);
    const Match two = ChooseMatch(mhz, high, Z(200, 48), 146, 50);
    ASSERT_EQ(two.components.size(), 2U);
    ASSERT_TRUE(two.under2FromMHz);
    for (const Match& other : MatchSolutions(Z(200, 48), 50, 146)) {
        std::vector<double> swr;
        for (std::size_t i = 0; i < mhz.size(); ++i) swr.push_back(Swr(Cascade(high[i], other, mhz[i]), 50));
        for (const Range& range : RangesUnder(mhz, swr, 2)) {
            const double from = range.fromMHz.value_or(mhz.front()), to = range.toMHz.value_or(mhz.back());
            if (from <= 146 && 146 <= to) {
                EXPECT_LE(to - from, *two.under2ToMHz - *two.under2FromMHz + 1e-9);
            }
        }
    }
}

}  // namespace
}  // namespace corvanta::nec
