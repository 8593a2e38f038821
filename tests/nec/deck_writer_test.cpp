#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "nec/deck_writer.h"
#include "nec/model_check.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

using Card = std::vector<std::string>;

std::vector<Card> Cards(const std::string& deck, const std::string& name) {
    std::vector<Card> cards;
    std::istringstream lines(deck);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        Card card;
        for (std::string word; words >> word;) card.push_back(word);
        if (!card.empty() && card[0] == name) cards.push_back(card);
    }
    return cards;
}

Design Design146(SideChoice sides, std::optional<SizeInput> size = std::nullopt) {
    return RunDesign({"146", sides, std::move(size)});
}

TEST(DeckWriter, The146MHzDesignsInMillimetres) {
    struct Case {
        SideChoice sides;
        int n;
        double height, side;
    };
    for (const Case& c : {Case{SideChoice::Three, 3, 718.233, 266.718}, Case{SideChoice::Four, 4, 679.027, 391.212}}) {
        SCOPED_TRACE(c.n);
        const std::string deck = FullDeck(PlanCheck(Design146(c.sides), {}));
        const auto wires = Cards(deck, "GW");
        ASSERT_GE(wires.size(), 3U);
        const std::size_t verticals = wires.size() - 2;
        const auto number = [](const std::string& text) { return std::stod(text); };
        // HEIGHT as the design shows it, to the written digit, in wires that
        // follow one another up the corner.
        EXPECT_NEAR(number(wires[verticals - 1][8]) - number(wires[0][5]), c.height, 1e-9);
        for (std::size_t i = 1; i < verticals; ++i) {
            EXPECT_EQ(Card(wires[i - 1].begin() + 6, wires[i - 1].begin() + 9),
                      Card(wires[i].begin() + 3, wires[i].begin() + 6));
        }
        for (const auto& wire : wires) EXPECT_EQ(wire[9], "0.813");
        const auto& top = wires[verticals];
        const auto& bottom = wires[verticals + 1];
        // Corners meet exactly: the same text where wires join.
        EXPECT_EQ(Card(wires[verticals - 1].begin() + 6, wires[verticals - 1].begin() + 9),
                  Card(top.begin() + 3, top.begin() + 6));
        EXPECT_EQ(Card(wires[0].begin() + 3, wires[0].begin() + 6), Card(bottom.begin() + 3, bottom.begin() + 6));
        const double x0 = number(top[3]), y0 = number(top[4]);
        const double x1 = number(top[6]), y1 = number(top[7]);
        EXPECT_NEAR(std::hypot(x1 - x0, y1 - y0), c.side, 2e-4);
        EXPECT_NEAR(std::atan2(y1, x1), 2 * std::numbers::pi / c.n, 1e-6);

        EXPECT_EQ(Cards(deck, "GS").at(0), (Card{"GS", "0", "0", "0.001"}));
        EXPECT_EQ(Cards(deck, "GR").at(0), (Card{"GR", std::to_string(wires.size()), std::to_string(c.n)}));
        // Each corner fed at a segment of the gap's length, the middle of a
        // wire of three such, halfway up.
        const auto sources = Cards(deck, "EX");
        ASSERT_EQ(sources.size(), static_cast<std::size_t>(c.n));
        const std::size_t fed = static_cast<std::size_t>(std::stoi(sources[0][2])) - 1;
        ASSERT_LT(fed, verticals);
        EXPECT_EQ(wires[fed][2], "3");
        EXPECT_NEAR(number(wires[fed][8]) - number(wires[fed][5]), 3 * 9.667, 0.05);
        EXPECT_NEAR(number(wires[fed][8]) + number(wires[fed][5]), 0, 1e-3);
        for (int k = 0; k < c.n; ++k) {
            EXPECT_EQ(sources[static_cast<std::size_t>(k)],
                      (Card{"EX", "0", std::to_string(static_cast<int>(fed) + 1 + static_cast<int>(wires.size()) * k),
                            "2", "0", "1", "0"}));
        }
        const auto sweep = Cards(deck, "FR").at(0);
        EXPECT_EQ(sweep[2], "101");
        EXPECT_DOUBLE_EQ(number(sweep[5]), 0.8 * 146);
        EXPECT_NEAR(number(sweep[5]) + 100 * number(sweep[6]), 1.4 * 146, 1e-9);
    }
}

// Every ordinary design, both shapes, AWG 8 to 24, from 160 m to 23 cm:
// a deck of at most 80 columns, with the extended kernel where the wire is
// thick for its segments.
TEST(DeckWriter, EveryOrdinaryDesignFitsEightyColumns) {
    int extended = 0;
    for (const char* mhz : {"1.8", "3.5", "7", "14", "21", "28", "50", "144", "146", "222", "432", "1296"}) {
        for (SideChoice sides : {SideChoice::Three, SideChoice::Four}) {
            for (int awg = 8; awg <= 24; awg += 2) {
                SCOPED_TRACE(std::string(mhz) + " MHz AWG " + std::to_string(awg));
                CheckOptions options;
                if (awg == 8) options.placement = {Ground::Average, 100};
                const std::string deck = FullDeck(
                    PlanCheck(RunDesign({mhz, sides, SizeInput{SizeUnit::Gauge, std::to_string(awg)}}), options));
                std::istringstream lines(deck);
                for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), kDeckColumns) << line;
                extended += Cards(deck, "EK").size() == 1 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(extended, 0);  // the thickest wires at 1296 MHz
}

TEST(DeckWriter, RefusesWhatItCannotModel) {
    struct Case {
        const char* what;
        SizeInput size;
        Placement placement;
        const char* message;
        FailureKind kind;
    };
    const Case cases[] = {
        // 4 radii of a 100 mm conductor are longer than a twentieth of a wavelength.
        {"thick", {SizeUnit::Mm, "100"}, {}, "too thick to model", FailureKind::Model},
        // The lowest wire 0.1 mm over perfect ground: well under a segment.
        {"low",
         {SizeUnit::Gauge, "14"},
         {Ground::Perfect, 0.36},
         "holds the loop from 0.395 m up",
         FailureKind::TooNearGround},
        // Lower than half the loop: its lowest wire is in the ground, and is said to be.
        {"under", {SizeUnit::Gauge, "14"}, {Ground::Average, 0.2}, "mm below the ground", FailureKind::TooNearGround},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CheckOptions options;
        options.placement = c.placement;
        try {
            PlanCheck(Design146(SideChoice::Three, c.size), options);
            ADD_FAILURE() << "no refusal";
        } catch (const Failure& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_EQ(error.Kind(), c.kind);
            // The lowest height is data too, to the millimetre above.
            if (c.kind == FailureKind::TooNearGround) {
                EXPECT_GT(error.Facts().limit.value_or(0), c.placement.heightM);
            }
        }
    }
    CheckOptions above;
    above.placement = {Ground::Perfect, 0.4};
    const std::string deck = FullDeck(PlanCheck(Design146(SideChoice::Three), above));
    EXPECT_EQ(Cards(deck, "GM").at(0).back(), "400");
    EXPECT_EQ(Cards(deck, "GN").at(0), (Card{"GN", "1"}));
}

// The gap as built in the count of segments asked for, on the extended
// kernel once under 8 wire radii; the counts beyond are refused with the
// range that works, as data.
TEST(DeckWriter, SegmentsPerGapCutTheGap) {
    struct Case {
        const char* size;
        int count;
        Kernel kernel;
    };
    const Case cases[] = {
        {"20", 1, Kernel::ThinWire}, {"20", 2, Kernel::ThinWire}, {"20", 3, Kernel::Extended},
        {"20", 5, Kernel::Extended}, {"14", 2, Kernel::Extended},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "AWG " << c.size << ", " << c.count);
        const LoopModel m =
            BuildModel(Design146(SideChoice::Three, SizeInput{SizeUnit::Gauge, c.size}), {}, 146, c.count);
        EXPECT_EQ(m.kernel, c.kernel);
        EXPECT_EQ(m.gapSegments, c.count);
        EXPECT_NEAR(m.FedMm(), m.gapMm, 1e-9);
        const std::vector<double> lengths = m.VerticalLengths();
        EXPECT_NEAR(lengths[static_cast<std::size_t>(m.FeedSegment() - 1)], m.gapMm / c.count, 1e-9);
        // Neighbours within kGrowth of each other, the gap in the middle.
        for (std::size_t i = 1; i < lengths.size(); ++i) {
            EXPECT_LE(std::max(lengths[i], lengths[i - 1]) / std::min(lengths[i], lengths[i - 1]), kGrowth + 1e-9);
        }
        EXPECT_EQ(2 * (m.FeedSegment() - 1) + c.count, m.verticalSegments);
    }
    struct Refusal {
        const char* size;
        int count;
        double highestMHz;
        int fewest, most;
    };
    const Refusal refusals[] = {
        {"20", 16, 146, 2, 0},
        {"14", 6, 146, 2, 0},
        {"14", 16, 146, 2, 0},
        {"8", 4, 146, 2, 0},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(::testing::Message() << "AWG " << r.size << ", " << r.count);
        try {
            BuildModel(Design146(SideChoice::Three, SizeInput{SizeUnit::Gauge, r.size}), {}, r.highestMHz, r.count);
            ADD_FAILURE() << "no refusal";
        } catch (const Failure& error) {
            ASSERT_EQ(error.Kind(), FailureKind::SegmentsPerGap) << error.what();
            EXPECT_EQ(error.Facts().count, r.count);
            EXPECT_EQ(error.Facts().fewest, r.fewest);
            // As many as keep 2 wire radii, the extended kernel's least.
            const Design design = Design146(SideChoice::Three, SizeInput{SizeUnit::Gauge, r.size});
            const double gap = std::stod(design.Text(Field::GapMm)),
                         diameter = std::stod(design.Text(Field::DiameterMm));
            EXPECT_EQ(error.Facts().most, static_cast<int>(std::floor(gap / diameter)) + r.most);
            EXPECT_EQ(std::string(error.what()).find("--"), std::string::npos) << error.what();
        }
    }
}

// From the engine: the check's pattern run over the sector its symmetry
// repeats, unfolded, is the whole grid's run at every direction, to the
// engine's hundredth of a dB; a step that does not divide the sector keeps
// the whole grid.
TEST(DeckWriter, UnfoldedSectorIsTheWholeGrid) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    struct Case {
        SideChoice sides;
        Placement placement;
        double azimuthStep;
        int sectorPhis;
    };
    for (const Case& c : {Case{SideChoice::Three, {}, 15, 5}, Case{SideChoice::Four, {Ground::Average, 10}, 15, 4},
                          Case{SideChoice::Three, {}, 7, 0}}) {
        SCOPED_TRACE(std::to_string(c.azimuthStep));
        CheckOptions options;
        options.placement = c.placement;
        options.pattern = {5, c.azimuthStep};
        const CheckPlan plan = PlanCheck(RunDesign({"146", c.sides, std::nullopt}), options);
        const auto thetas = static_cast<std::size_t>(PatternThetas(plan.model, plan.pattern));
        const int sector = PatternSectorPhis(plan.model, plan.pattern);
        EXPECT_EQ(sector, c.sectorPhis ? c.sectorPhis : PatternPhis(plan.pattern));
        const auto sources = static_cast<std::size_t>(plan.model.sides);
        const std::vector<EngineOutput> outputs =
            RunEngines({{WriteDeck(plan.model, plan.sweep, plan.pattern, {0, 0, true}),
                         {{146}, sources, thetas * static_cast<std::size_t>(PatternPhis(plan.pattern))}},
                        {WriteDeck(plan.model, plan.sweep, plan.pattern, {0, 0, true, true}),
                         {{146}, sources, thetas * static_cast<std::size_t>(sector)}}},
                       EngineSettings{});
        const std::vector<PatternPoint>& whole = outputs[0].frequencies.front().pattern;
        const std::vector<PatternPoint> unfolded =
            UnfoldedPattern(plan.model, plan.pattern, outputs[1].frequencies.front().pattern);
        ASSERT_EQ(unfolded.size(), whole.size());
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_DOUBLE_EQ(unfolded[i].thetaDeg, whole[i].thetaDeg) << i;
            EXPECT_DOUBLE_EQ(unfolded[i].phiDeg, whole[i].phiDeg) << i;
            EXPECT_NEAR(unfolded[i].totalGainDb, whole[i].totalGainDb, 0.011) << whole[i].phiDeg;
        }
        EXPECT_NEAR(*outputs[1].frequencies.front().averagePowerGain, *outputs[0].frequencies.front().averagePowerGain,
                    2e-4);
    }
}

}  // namespace
}  // namespace corvanta::nec
