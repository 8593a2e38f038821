#include "conductor/sheet_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/run_time_error.h"
#include "tests/sheet_recorder.h"

namespace corvanta {
namespace {

using testing::SheetRecorder;
using Texts = std::vector<std::pair<Field, std::string>>;

DesignSheet SheetWith(const Texts& texts) {
    DesignSheet sheet;
    sheet.SetSide(SideChoice::Three);
    for (const auto& [field, text] : texts) sheet.Edit(field, text);
    return sheet;
}

// The writes of the table up to a step, leaving out those that step.kind
// says may not happen.
std::vector<Field> WritesBefore(const SheetAction& action, std::size_t stepIndex, bool listed) {
    std::vector<Field> writes;
    for (std::size_t i = 0; i < stepIndex; ++i) {
        const ActionStep& step = action.steps[i];
        if (step.kind == StepKind::Write || (step.kind == StepKind::WriteIfListed && listed)) {
            writes.push_back(step.field);
        }
    }
    return writes;
}

TEST(SheetActions, WriteInTheOrderOfTheTable) {
    for (const SheetAction& action : kSheetActions) {
        SCOPED_TRACE(std::string(action.name));
        for (const char* gauge : {"14", "41"}) {
            const bool listed = gauge == std::string("14");
            DesignSheet sheet = SheetWith({{Field::Gauge, gauge}});
            SheetRecorder recorder(sheet);
            action.run(sheet, {});
            EXPECT_EQ(recorder.writes, WritesBefore(action, action.steps.size(), listed)) << gauge;
        }
    }
}

// A text that is no number in an input stops the action at the step that
// reads it, with the writes of the steps before it done.
TEST(SheetActions, StopAtTheReadOfAnInput) {
    for (const SheetAction& action : kSheetActions) {
        std::vector<Field> inputs = Inputs(action);
        for (std::size_t i = 0; i < action.steps.size(); ++i) {
            const ActionStep& step = action.steps[i];
            // The first read of each input; a later read of it is never reached.
            const auto input = std::find(inputs.begin(), inputs.end(), step.field);
            if (!step.IsRead() || input == inputs.end()) continue;
            inputs.erase(input);
            SCOPED_TRACE(std::string(action.name) + " reading " + std::string(FieldName(step.field)));
            // An unlisted gauge, so that CHANGE (gauge) goes on to read the inch text.
            DesignSheet sheet = SheetWith({{Field::Gauge, "41"}, {step.field, "x"}});
            SheetRecorder recorder(sheet);
            try {
                action.run(sheet, {});
                ADD_FAILURE() << "no failure";
            } catch (const RunTimeError& error) {
                EXPECT_EQ(error.Number(), ErrorNumber::TypeMismatch);
                EXPECT_EQ(error.FailedField(), step.field);
            }
            EXPECT_EQ(recorder.writes, WritesBefore(action, i, false));
        }
    }
}

TEST(SheetActions, InputsAreWhatTheUserTypes) {
    const std::pair<ActionId, std::vector<Field>> cases[] = {
        {ActionId::Compute, {Field::Frequency, Field::DiameterMm}},
        {ActionId::Accept, {Field::Frequency}},
        {ActionId::ChangeGauge, {Field::Gauge, Field::DiameterInch}},
        {ActionId::ChangeInch, {Field::DiameterInch}},
        {ActionId::ChangeMm, {Field::DiameterMm}},
    };
    for (const auto& [id, inputs] : cases) EXPECT_EQ(Inputs(Action(id)), inputs) << Action(id).name;
}

// Each read of each action, near a rounding boundary where the other width
// would write another text (given in `other`).
struct WidthCase {
    ActionId action;
    std::size_t read;  // 0: the action's first read
    StepKind width;
    Texts given;
    Texts expected;
    const char* other;
};

const WidthCase kWidthCases[] = {
    {ActionId::Compute,
     0,
     StepKind::ReadSingle,
     {{Field::Frequency, "10.12"}},
     {{Field::HeightMm, "9606.394"}, {Field::SideMm, "3567.359"}},
     "9606.393, 3567.358"},
    {ActionId::Compute,
     1,
     StepKind::ReadSingle,
     {{Field::DiameterMm, "1.34"}},
     {{Field::HeightMm, "707.715"}},
     "707.714"},
    {ActionId::Accept,
     0,
     StepKind::ReadSingle,
     {{Field::Frequency, "7.398"}},
     {{Field::DiameterMm, "32.09"}},
     "32.089"},
    // The millimetres ACCEPT wrote, read again: 3043.566 is no float.
    {ActionId::Accept,
     1,
     StepKind::ReadDouble,
     {{Field::Frequency, "0.078"}},
     {{Field::DiameterMm, "3043.566"}, {Field::DiameterInch, "119.917"}},
     "119.916"},
    // The inch text 0.182 is the bound of AWG 5; its float lies below it.
    {ActionId::Accept,
     2,
     StepKind::ReadDouble,
     {{Field::Frequency, "51.361"}},
     {{Field::DiameterInch, "0.182"}, {Field::Gauge, "5"}},
     "6"},
    // As a float the code would be 4, a listed gauge.
    {ActionId::ChangeGauge,
     0,
     StepKind::ReadDouble,
     {{Field::Gauge, "4.0000001"}},
     {{Field::DiameterInch, ".064"}, {Field::DiameterMm, "1.62"}},
     "0.204, 5.18"},
    // 0.014775 / 0.0394 is 0.375 exactly; the float lies below it.
    {ActionId::ChangeGauge,
     1,
     StepKind::ReadSingle,
     {{Field::Gauge, "41"}, {Field::DiameterInch, "0.014775"}},
     {{Field::DiameterMm, "0.37"}},
     "0.38"},
    {ActionId::ChangeInch,
     0,
     StepKind::ReadSingle,
     {{Field::DiameterInch, "0.014775"}},
     {{Field::DiameterMm, "0.37"}},
     "0.38"},
    {ActionId::ChangeInch, 1, StepKind::ReadDouble, {{Field::DiameterInch, "0.144"}}, {{Field::Gauge, "7"}}, "8"},
    // 2.5 x 0.0394 is 0.0985 exactly; the double lies above it.
    {ActionId::ChangeMm,
     0,
     StepKind::ReadSingle,
     {{Field::DiameterMm, "2.50000001"}},
     {{Field::DiameterInch, "0.098"}},
     "0.099"},
    {ActionId::ChangeMm,
     1,
     StepKind::ReadDouble,
     {{Field::DiameterMm, "3.655"}},
     {{Field::DiameterInch, "0.144"}, {Field::Gauge, "7"}},
     "8"},
};

TEST(SheetActions, EachReadHasItsWidth) {
    for (const WidthCase& c : kWidthCases) {
        const SheetAction& action = Action(c.action);
        SCOPED_TRACE(std::string(action.name) + " read " + std::to_string(c.read) + ", the other width gives " +
                     c.other);
        std::vector<ActionStep> reads;
        for (const ActionStep& step : action.steps) {
            if (step.IsRead()) reads.push_back(step);
        }
        ASSERT_LT(c.read, reads.size());
        EXPECT_EQ(reads[c.read].kind, c.width);
        DesignSheet sheet = SheetWith(c.given);
        action.run(sheet, {});
        for (const auto& [field, text] : c.expected) EXPECT_EQ(sheet.Read(field), text) << FieldName(field);
    }
}

TEST(SheetActions, EveryReadIsPinnedByAWidthCase) {
    for (const SheetAction& action : kSheetActions) {
        std::size_t read = 0;
        for (const ActionStep& step : action.steps) {
            if (!step.IsRead()) continue;
            bool pinned = false;
            for (const WidthCase& c : kWidthCases) pinned |= c.action == action.id && c.read == read;
            EXPECT_TRUE(pinned) << action.name << " read " << read;
            ++read;
        }
    }
}

}  // namespace
}  // namespace corvanta
