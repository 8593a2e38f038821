#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cli/columns.h"
#include "cli/nec_check.h"
#include "cli/nec_model.h"
#include "cli/nec_output.h"

namespace corvanta::cli {
namespace {

std::vector<std::vector<std::string>> Cards(const std::string& deck, const std::string& name) {
    std::vector<std::vector<std::string>> cards;
    std::istringstream lines(deck);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> card;
        for (std::string word; words >> word;) card.push_back(word);
        if (!card.empty() && card[0] == name) cards.push_back(card);
    }
    return cards;
}

NecModel Model146(SideChoice sides, NecOptions options = {},
                  std::optional<SizeInput> size = std::nullopt) {
    return BuildModel(RowOf(RunDesign({"146", sides, size})), options);
}

TEST(NecDeck, The146MHzDesigns) {
    struct Case { SideChoice sides; int n; double height, side; };
    for (const Case& c : {Case{SideChoice::Three, 3, 0.718233, 0.266718},
                          Case{SideChoice::Four, 4, 0.679027, 0.391212}}) {
        SCOPED_TRACE(c.n);
        const std::string deck = WriteDeck(Model146(c.sides));
        const auto wires = Cards(deck, "GW");
        ASSERT_EQ(wires.size(), 3U);
        const auto number = [](const std::string& text) { return std::stod(text); };
        // The vertical: an odd count, HEIGHT long, radius half the 1.626 mm wire.
        const int vertical = std::stoi(wires[0][2]);
        EXPECT_EQ(vertical % 2, 1);
        EXPECT_DOUBLE_EQ(number(wires[0][8]) - number(wires[0][5]), c.height);
        for (const auto& wire : wires) EXPECT_DOUBLE_EQ(number(wire[9]), 0.000813);
        // Corners meet to the last digit: the vertical's top is where the top
        // edge starts, its foot where the bottom edge starts.
        EXPECT_EQ(std::vector(wires[0].begin() + 6, wires[0].begin() + 9),
                  std::vector(wires[1].begin() + 3, wires[1].begin() + 6));
        EXPECT_EQ(std::vector(wires[0].begin() + 3, wires[0].begin() + 6),
                  std::vector(wires[2].begin() + 3, wires[2].begin() + 6));
        // The edge is SIDE long and ends at the next corner of the polygon.
        const double x0 = number(wires[1][3]), y0 = number(wires[1][4]);
        const double x1 = number(wires[1][6]), y1 = number(wires[1][7]);
        EXPECT_NEAR(std::hypot(x1 - x0, y1 - y0), c.side, 1e-12);
        EXPECT_NEAR(std::hypot(x1, y1), std::hypot(x0, y0), 1e-12);
        EXPECT_NEAR(std::atan2(y1, x1), 2 * std::numbers::pi / c.n, 1e-12);

        EXPECT_EQ(Cards(deck, "GR").at(0), (std::vector<std::string>{"GR", "3", std::to_string(c.n)}));
        const auto sources = Cards(deck, "EX");
        ASSERT_EQ(sources.size(), static_cast<std::size_t>(c.n));
        for (int k = 0; k < c.n; ++k) {
            EXPECT_EQ(sources[static_cast<std::size_t>(k)],
                      (std::vector<std::string>{"EX", "0", std::to_string(1 + 3 * k),
                                                std::to_string((vertical + 1) / 2), "0", "1", "0"}));
        }
        const auto sweep = Cards(deck, "FR").at(0);
        EXPECT_EQ(sweep[2], "101");
        EXPECT_DOUBLE_EQ(number(sweep[5]), 0.8 * 146);
        EXPECT_NEAR(number(sweep[5]) + 100 * number(sweep[6]), 1.4 * 146, 1e-9);
    }
}

TEST(NecDeck, RefusesWhatItCannotModel) {
    // A 100 mm conductor: 8 radii are longer than a twentieth of a wavelength.
    EXPECT_THROW(BuildModel(RowOf(RunDesign({"146", SideChoice::Three, SizeInput{SizeUnit::Mm, "100"}})), {}),
                 ModelError);
    NecOptions ground;
    ground.ground = Ground::Average;
    ground.heightM = 0.3;  // half the loop would be under ground
    EXPECT_THROW(Model146(SideChoice::Three, ground), ModelError);
    ground.heightM = 10;
    const std::string deck = WriteDeck(Model146(SideChoice::Three, ground));
    EXPECT_EQ(Cards(deck, "GN").at(0), (std::vector<std::string>{"GN", "2", "0", "0", "0", "13", "0.005"}));
}

// nec2c's answer to nec2c_146_three.nec (written by `corvanta-cli nec --freq
// 146 --sides 3 --sweep 140:152:3 --pattern-step 30`), from its wire table
// on: the banner before it carries nothing the reader uses.
TEST(NecOutput, ReadsTheEnginesAnswer) {
    std::ifstream file(CORVANTA_TEST_DATA "/nec2c_146_three.out");
    std::stringstream text;
    text << file.rdbuf();
    const NecOutput output = ParseNecOutput(text.str());
    EXPECT_EQ(output.totalSegments, 393);
    ASSERT_EQ(output.frequencies.size(), 4U);  // the sweep of 3, then the design frequency
    const double mhz[] = {140, 146, 152, 146};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(output.frequencies[i].mhz, mhz[i]);
        ASSERT_EQ(output.frequencies[i].sources.size(), 3U);
        EXPECT_TRUE(output.frequencies[i].efficiencyPercent);
    }
    const SourceReading& first = output.frequencies[0].sources[0];
    EXPECT_EQ(first.tag, 1);
    EXPECT_EQ(first.segment, 38);
    EXPECT_DOUBLE_EQ(first.impedance.real(), 163.25);
    EXPECT_DOUBLE_EQ(first.impedance.imag(), -15.703);
    EXPECT_DOUBLE_EQ(first.current.real(), 6.0692e-3);
    EXPECT_EQ(output.frequencies[1].sources[2].tag, 7);
    EXPECT_DOUBLE_EQ(*output.frequencies[0].efficiencyPercent, 99.80);
    EXPECT_EQ(output.frequencies[3].pattern.size(), 7U * 13U);
    EXPECT_DOUBLE_EQ(*output.frequencies[3].averagePowerGain, 0.9877);
    EXPECT_TRUE(output.frequencies[0].pattern.empty());

    EXPECT_THROW(ParseNecOutput("not an engine's output"), std::runtime_error);
}

TEST(NecCheck, SwrAndRanges) {
    EXPECT_DOUBLE_EQ(Swr({300, 0}, 300), 1.0);
    EXPECT_DOUBLE_EQ(Swr({150, 0}, 300), 2.0);
    EXPECT_DOUBLE_EQ(Swr({100, 0}, 50), 2.0);
    EXPECT_TRUE(std::isinf(Swr({0, 50}, 50)));
}

// The engine itself: the model must pass its own sanity checks, and halving
// every segment must not move the answer by more than 2 %. With AWG 20 the
// halved segments stay longer than 8 wire radii.
TEST(NecCheck, EndToEndWithTheEngine) {
    for (SideChoice sides : {SideChoice::Three, SideChoice::Four}) {
        NecOptions options;
        options.sweepFromMHz = 140;
        options.sweepToMHz = 152;
        options.sweepPoints = 3;
        options.patternStepDeg = 15;
        std::vector<CheckReport> reports;
        for (int perGap : {1, 2}) {
            options.segmentsPerGap = perGap;
            const NecModel model = Model146(sides, options, SizeInput{SizeUnit::Gauge, "20"});
            ASSERT_NEAR(model.heightM / model.verticalSegments, model.gapM / perGap, model.gapM * 0.05);
            const CheckReport report = Analyse(model, ParseNecOutput(RunEngine(WriteDeck(model))));
            for (const SanityCheck& check : report.sanity) {
                EXPECT_TRUE(check.passed) << check.name << ": " << check.detail;
            }
            ASSERT_TRUE(report.maxGainDbi);
            EXPECT_TRUE(std::isfinite(*report.maxGainDbi));
            EXPECT_TRUE(std::isfinite(std::abs(report.atDesign.parallel)));
            reports.push_back(report);
        }
        const auto& coarse = reports[0];
        const auto& fine = reports[1];
        EXPECT_LE(std::abs(fine.atDesign.parallel - coarse.atDesign.parallel) /
                      std::abs(coarse.atDesign.parallel), 0.02);
        const double gainRatio = std::pow(10, (*fine.maxGainDbi - *coarse.maxGainDbi) / 10);
        EXPECT_NEAR(gainRatio, 1.0, 0.02);
    }
}

TEST(NecCheck, AMissingEngineNamesItsPackage) {
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    try {
        RunEngine("EN\n");
        ADD_FAILURE() << "no error";
    } catch (const EngineError& error) {
        EXPECT_NE(std::string(error.what()).find("package nec2c"), std::string::npos) << error.what();
    }
    setenv("PATH", path.c_str(), 1);
}

}  // namespace
}  // namespace corvanta::cli
