#include "core/compute.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/run_time_error.h"
#include "conductor/sheet_actions.h"
#include "tests/sheet_recorder.h"

namespace corvanta {
namespace {

using testing::SheetRecorder;

// The eight results in the order COMPUTE writes them.
const std::vector<Field> kResultOrder = Writes(Action(ActionId::Compute));

DesignSheet SheetWith(const std::string& frequency, const std::string& mm, SideChoice side) {
    DesignSheet sheet;
    sheet.Replace(Field::Frequency, frequency);
    sheet.Replace(Field::DiameterMm, mm);
    sheet.SetSide(side);
    return sheet;
}

struct ComputeCase {
    const char* name;
    const char* frequency;
    const char* mm;
    SideChoice side;
    // match, height, side, gap, each in mm then inches
    std::array<const char*, 8> texts;
};

TEST(Compute, WritesTheEightResults) {
    const ComputeCase cases[] = {
        {"start texts, three sides",
         "146.00",
         "1.626",
         SideChoice::Three,
         {"421.2329", "16.5839716393178", "718.233", "28.277", "266.718", "10.501", "9.67", "0.381"}},
        {"start texts, four sides",
         "146.00",
         "1.626",
         SideChoice::Four,
         {"421.2329", "16.5839716393178", "679.027", "26.733", "391.212", "15.402", "9.67", "0.381"}},
        {"no side chosen",
         "146.00",
         "1.626",
         SideChoice::None,
         {"421.2329", "16.5839716393178", "0", "0", "0", "0", "9.67", "0.381"}},
        {"thick conductor hits the limit",
         "146",
         "10",
         SideChoice::Three,
         {"421.2329", "16.5839716393178", "861.77", "33.928", "320.02", "12.599", "11.602", "0.457"}},
        {"3.6 MHz, four sides",
         "3.6",
         "2",
         SideChoice::Four,
         {"17083.33", "672.572204109252", "25452.803", "1002.079", "14664.28", "577.334", "362.458", "14.27"}},
    };
    for (const ComputeCase& c : cases) {
        SCOPED_TRACE(c.name);
        DesignSheet sheet = SheetWith(c.frequency, c.mm, c.side);
        Compute(sheet);
        for (std::size_t i = 0; i < kResultOrder.size(); ++i) {
            EXPECT_EQ(sheet.Read(kResultOrder[i]), c.texts[i]) << FieldName(kResultOrder[i]);
        }
        // Inputs stay as entered; a second press writes the same texts.
        EXPECT_EQ(sheet.Read(Field::Frequency), c.frequency);
        EXPECT_EQ(sheet.Read(Field::DiameterMm), c.mm);
        const DesignSheet first = sheet;
        Compute(sheet);
        for (Field field : kResultOrder) EXPECT_EQ(sheet.Read(field), first.Read(field));
    }
}

TEST(Compute, WorkingValuesOfTheCorrection) {
    struct TraceCase {
        const char* frequency;
        const char* mm;
        float ratio;
        float coefficient;
        float corrected;
        const char* height;  // three sides
        const char* side;
    };
    const TraceCase cases[] = {
        {"146.00", "1.626", -0.0000887F, 0.00845F, 146.000107F, "718.233", "266.718"},
        {"146", "10", 40.0F, 0.004164F, 121.682243F, "861.77", "320.02"},
        {"146", "0", -10.0F, 0.00845F, 158.337006F, "662.272", "245.936"},
        // Exactly on a threshold: the band below holds it.
        {"1", "364.9996", 5.375F, 0.00845F, 0.9545813F, nullptr, nullptr},
    };
    for (const TraceCase& c : cases) {
        SCOPED_TRACE(std::string(c.frequency) + " MHz, " + c.mm + " mm");
        DesignSheet sheet = SheetWith(c.frequency, c.mm, SideChoice::Three);
        const ComputeTrace trace = Compute(sheet);
        EXPECT_NEAR(trace.thicknessRatio, c.ratio, 5e-7F);
        EXPECT_EQ(trace.coefficient, c.coefficient);
        EXPECT_NEAR(trace.correctedFrequency, c.corrected, c.corrected * 1e-7F);
        if (c.height) {
            EXPECT_EQ(sheet.Read(Field::HeightMm), c.height);
            EXPECT_EQ(sheet.Read(Field::SideMm), c.side);
        }
    }
    DesignSheet onThreshold = SheetWith("1", "364.9996", SideChoice::Three);
    EXPECT_EQ(Compute(onThreshold).thicknessRatio, 5.375F);
}

TEST(Compute, BandTable) {
    const std::pair<float, float> rows[] = {
        {-1e30F, 0.00845F},  {5.375F, 0.00845F},  {std::nextafter(5.375F, 6.0F), 0.00642F},
        {11.525F, 0.00642F}, {11.53F, 0.005232F}, {17.675F, 0.005232F},
        {17.68F, 0.00445F},  {23.775F, 0.00445F}, {23.78F, 0.004F},
        {29.975F, 0.004F},   {29.98F, 0.00372F},  {36.075F, 0.00372F},
        {36.08F, 0.0039F},   {39.5F, 0.0039F},    {39.51F, 0.004164F},
        {40.0F, 0.004164F},
    };
    for (const auto& [ratio, coefficient] : rows) {
        EXPECT_EQ(BandCoefficient(ratio), coefficient) << ratio;
    }
}

TEST(Compute, NegativeFrequencyGivesNegativeLengths) {
    DesignSheet sheet = SheetWith("-146", "1.626", SideChoice::Three);
    Compute(sheet);
    EXPECT_EQ(sheet.Read(Field::MatchMm), "-421.2329");
    for (Field field : kResultOrder) EXPECT_EQ(sheet.Read(field).front(), '-') << FieldName(field);
}

struct FailureCase {
    const char* name;
    const char* frequency;
    const char* mm;
    SideChoice side;
    ErrorNumber error;
    std::optional<Field> failedField;
    std::size_t writes;  // how many of the results were written before the failure
};

TEST(Compute, StopsAtTheFailingStep) {
    const FailureCase cases[] = {
        {"frequency beyond a float", "1E39", "1.626", SideChoice::Three, ErrorNumber::Overflow, Field::Frequency, 0},
        {"frequency zero", "0", "1.626", SideChoice::Three, ErrorNumber::DivisionByZero, std::nullopt, 0},
        {"frequency so small the match overflows", "1E-35", "1.626", SideChoice::Three, ErrorNumber::Overflow,
         std::nullopt, 0},
        {"ratio beyond a float", "146", "3E38", SideChoice::Three, ErrorNumber::Overflow, std::nullopt, 2},
        {"corrected frequency beyond a float", "146", "-4.5E37", SideChoice::Three, ErrorNumber::Overflow, std::nullopt,
         2},
        {"side beyond a float", "1.9E-34", "1E37", SideChoice::Four, ErrorNumber::Overflow, std::nullopt, 4},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        DesignSheet sheet = SheetWith(c.frequency, c.mm, c.side);
        SheetRecorder recorder(sheet);
        try {
            Compute(sheet);
            ADD_FAILURE() << "no failure";
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.Number(), c.error);
            EXPECT_EQ(e.FailedField(), c.failedField);
            if (c.failedField) {
                EXPECT_EQ(e.FieldText(), sheet.Read(*c.failedField));
            }
        }
        EXPECT_EQ(recorder.writes,
                  std::vector<Field>(kResultOrder.begin(), kResultOrder.begin() + static_cast<long>(c.writes)));
        for (std::size_t i = c.writes; i < kResultOrder.size(); ++i) {
            EXPECT_EQ(sheet.Read(kResultOrder[i]), "00.00");
        }
    }
}

}  // namespace
}  // namespace corvanta
