#include "conductor/conductor_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conductor/wire_gauge_table.h"
#include "core/run_time_error.h"
#include "tests/sheet_recorder.h"

// The order of each action's writes is held to kSheetActions in
// tests/core/sheet_actions_test.cpp; these are the texts.

namespace corvanta {
namespace {

using testing::SheetRecorder;
using Action = void (*)(DesignSheet&, NumberFormat);

struct ConductorTexts {
    std::string gauge;  // Text4
    std::string inch;   // Text6
    std::string mm;     // Text8
};

ConductorTexts Conductor(const DesignSheet& sheet) {
    return {sheet.Read(Field::Gauge), sheet.Read(Field::DiameterInch), sheet.Read(Field::DiameterMm)};
}

void ExpectConductor(const DesignSheet& sheet, const ConductorTexts& expected) {
    const ConductorTexts actual = Conductor(sheet);
    EXPECT_EQ(actual.gauge, expected.gauge);
    EXPECT_EQ(actual.inch, expected.inch);
    EXPECT_EQ(actual.mm, expected.mm);
}

TEST(Accept, ProposesTheMinimumConductor) {
    const std::pair<const char*, ConductorTexts> cases[] = {
        {"146.00", {"14", "0.064", "1.626"}},   {"50", {"5", "0.187", "4.748"}},
        {"28", {"0", "0.334", "8.479"}},        {"21", {"90009", "0.445", "11.305"}},
        {"14.2", {"99999", "0.659", "16.718"}}, {"2400", {"38", "0.004", "0.099"}},
        {"10368", {"99999", "0.001", "0.023"}}, {"-146", {"99999", "-0.064", "-1.626"}},
        {"3000", {"99999", "0.003", "0.079"}},  // below the thinnest wire
    };
    for (const auto& [frequency, expected] : cases) {
        SCOPED_TRACE(frequency);
        DesignSheet sheet;
        sheet.Replace(Field::Frequency, frequency);
        Accept(sheet);
        ExpectConductor(sheet, expected);
        EXPECT_EQ(sheet.Read(Field::Frequency), frequency);
    }
}

// Every gauge from AWG 40 up to 0000 (typed 900009), with the millimetres
// CHANGE writes from its table diameter.
TEST(ChangeGauge, WritesTheTableDiameterThenMillimetres) {
    const std::pair<const char*, const char*> cases[] = {
        {"40", "0.08"},     {"39", "0.09"},      {"38", "0.1"},  {"37", "0.11"}, {"36", "0.13"}, {"35", "0.14"},
        {"34", "0.16"},     {"33", "0.18"},      {"32", "0.2"},  {"31", "0.23"}, {"30", "0.25"}, {"29", "0.29"},
        {"28", "0.32"},     {"27", "0.36"},      {"26", "0.4"},  {"25", "0.45"}, {"24", "0.51"}, {"23", "0.57"},
        {"22", "0.64"},     {"21", "0.72"},      {"20", "0.81"}, {"19", "0.91"}, {"18", "1.02"}, {"17", "1.14"},
        {"16", "1.29"},     {"15", "1.45"},      {"14", "1.62"}, {"13", "1.83"}, {"12", "2.06"}, {"11", "2.31"},
        {"10", "2.59"},     {"9", "2.89"},       {"8", "3.25"},  {"7", "3.65"},  {"6", "4.11"},  {"5", "4.62"},
        {"4", "5.18"},      {"3", "5.81"},       {"2", "6.55"},  {"1", "7.34"},  {"0", "8.25"},  {"9009", "9.26"},
        {"90009", "10.41"}, {"900009", "11.68"},
    };
    for (const auto& [gauge, mm] : cases) {
        SCOPED_TRACE(gauge);
        DesignSheet sheet;
        sheet.Replace(Field::Gauge, gauge);
        ChangeGauge(sheet);
        const std::optional<double> inch = WireGaugeTable::GaugeToInch(*ParseDouble(gauge).value);
        ASSERT_TRUE(inch);
        ExpectConductor(sheet, {gauge, FormatDouble(*inch), mm});
    }
}

struct ChangeCase {
    const char* name;
    Action action;
    ConductorTexts before;
    ConductorTexts after;
};

TEST(Change, BringsTheOtherTwoFieldsInLine) {
    const ChangeCase cases[] = {
        {"gauge 14", ChangeGauge, {"14", ".064", "9"}, {"14", "0.064", "1.62"}},
        {"gauge 9009", ChangeGauge, {"9009", ".064", "9"}, {"9009", "0.365", "9.26"}},
        {"gauge 00 reads as 0", ChangeGauge, {"00", ".064", "9"}, {"00", "0.325", "8.25"}},
        {"gauge 41 is not listed", ChangeGauge, {"41", ".064", "9"}, {"41", ".064", "1.62"}},
        {"inch .064", ChangeInch, {"7", ".064", "9"}, {"14", ".064", "1.62"}},
        {"inch 0.5", ChangeInch, {"7", "0.5", "9"}, {"99999", "0.5", "12.69"}},
        {"inch 0.0045 lands on its row", ChangeInch, {"7", "0.0045", "9"}, {"37", "0.0045", "0.11"}},
        {"inch 0.04", ChangeInch, {"7", "0.04", "9"}, {"18", "0.04", "1.02"}},
        {"mm 1.626", ChangeMm, {"7", "1", "1.626"}, {"14", "0.064", "1.626"}},
        {"mm 0", ChangeMm, {"7", "1", "0"}, {"99999", "0", "0"}},
        {"mm negative", ChangeMm, {"7", "1", "-2"}, {"99999", "-0.079", "-2"}},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        DesignSheet sheet;
        sheet.Replace(Field::Gauge, c.before.gauge);
        sheet.Replace(Field::DiameterInch, c.before.inch);
        sheet.Replace(Field::DiameterMm, c.before.mm);
        c.action(sheet, {});
        ExpectConductor(sheet, c.after);
    }
}

struct ConductorFailure {
    const char* name;
    Action action;
    std::string frequency;
    ConductorTexts before;
    ErrorNumber error;
    std::optional<Field> failedField;
    std::vector<Field> writes;
};

TEST(ConductorActions, StopAtTheFailingStep) {
    const std::string tooBigForFloat = "1E39";
    const ConductorFailure cases[] = {
        {"accept at 0", Accept, "0", {"14", ".064", "1.626"}, ErrorNumber::DivisionByZero, std::nullopt, {}},
        {"accept at -0", Accept, "-0", {"14", ".064", "1.626"}, ErrorNumber::DivisionByZero, std::nullopt, {}},
        {"accept beyond a float",
         Accept,
         tooBigForFloat,
         {"14", ".064", "1.626"},
         ErrorNumber::Overflow,
         Field::Frequency,
         {}},
        {"inch beyond a float",
         ChangeInch,
         "146",
         {"14", tooBigForFloat, "1.626"},
         ErrorNumber::Overflow,
         Field::DiameterInch,
         {}},
        {"mm beyond a float",
         ChangeMm,
         "146",
         {"14", ".064", tooBigForFloat},
         ErrorNumber::Overflow,
         Field::DiameterMm,
         {}},
    };
    for (const ConductorFailure& c : cases) {
        SCOPED_TRACE(c.name);
        DesignSheet sheet;
        sheet.Replace(Field::Frequency, c.frequency);
        sheet.Replace(Field::Gauge, c.before.gauge);
        sheet.Replace(Field::DiameterInch, c.before.inch);
        sheet.Replace(Field::DiameterMm, c.before.mm);
        SheetRecorder recorder(sheet);
        bool failed = false;
        try {
            c.action(sheet, {});
        } catch (const RunTimeError& e) {
            failed = true;
            EXPECT_EQ(e.Number(), c.error);
            EXPECT_EQ(e.FailedField(), c.failedField);
        }
        EXPECT_TRUE(failed);
        EXPECT_EQ(recorder.writes, c.writes);
        if (c.writes.empty()) ExpectConductor(sheet, c.before);
    }
}

}  // namespace
}  // namespace corvanta
