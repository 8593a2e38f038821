#include "conductor/sheet_actions.h"

#include <algorithm>

#include "conductor/conductor_actions.h"
#include "core/compute.h"

namespace corvanta {

namespace {

using enum StepKind;

constexpr std::array<ActionStep, 4> kChangeGauge = {{
    {ReadDouble, Field::Gauge},
    {WriteIfListed, Field::DiameterInch},
    {ReadSingle, Field::DiameterInch},
    {Write, Field::DiameterMm},
}};

constexpr std::array<ActionStep, 4> kChangeInch = {{
    {ReadSingle, Field::DiameterInch},
    {Write, Field::DiameterMm},
    {ReadDouble, Field::DiameterInch},
    {Write, Field::Gauge},
}};

constexpr std::array<ActionStep, 4> kChangeMm = {{
    {ReadSingle, Field::DiameterMm},
    {Write, Field::DiameterInch},
    {ReadDouble, Field::DiameterInch},
    {Write, Field::Gauge},
}};

constexpr std::array<ActionStep, 10> kCompute = {{
    {ReadSingle, Field::Frequency},
    {Write, Field::MatchMm},
    {Write, Field::MatchInch},
    {ReadSingle, Field::DiameterMm},
    {Write, Field::HeightMm},
    {Write, Field::HeightInch},
    {Write, Field::SideMm},
    {Write, Field::SideInch},
    {Write, Field::GapMm},
    {Write, Field::GapInch},
}};

constexpr std::array<ActionStep, 6> kAccept = {{
    {ReadSingle, Field::Frequency},
    {Write, Field::DiameterMm},
    {ReadDouble, Field::DiameterMm},
    {Write, Field::DiameterInch},
    {ReadDouble, Field::DiameterInch},
    {Write, Field::Gauge},
}};

void RunCompute(DesignSheet& sheet, NumberFormat format) { Compute(sheet, format); }

}  // namespace

const std::array<SheetAction, 5> kSheetActions = {{
    {ActionId::ChangeGauge, "CHANGE (gauge)", "Command1", ChangeGauge, kChangeGauge},
    {ActionId::ChangeInch, "CHANGE (inch)", "Command2", ChangeInch, kChangeInch},
    {ActionId::ChangeMm, "CHANGE (mm)", "Command3", ChangeMm, kChangeMm},
    {ActionId::Compute, "COMPUTE", "Command4", RunCompute, kCompute},
    {ActionId::Accept, "ACCEPT", "Command7", Accept, kAccept},
}};

const SheetAction& Action(ActionId id) {
    return *std::find_if(kSheetActions.begin(), kSheetActions.end(),
                         [id](const SheetAction& action) { return action.id == id; });
}

std::vector<Field> Inputs(const SheetAction& action) {
    const auto has = [](const std::vector<Field>& fields, Field field) {
        return std::find(fields.begin(), fields.end(), field) != fields.end();
    };
    std::vector<Field> inputs;
    std::vector<Field> written;  // for sure: a WriteIfListed may not happen
    for (const ActionStep& step : action.steps) {
        if (step.kind == StepKind::Write) written.push_back(step.field);
        if (step.IsRead() && !has(written, step.field) && !has(inputs, step.field)) {
            inputs.push_back(step.field);
        }
    }
    return inputs;
}

std::vector<Field> Writes(const SheetAction& action) {
    std::vector<Field> writes;
    for (const ActionStep& step : action.steps) {
        if (!step.IsRead()) writes.push_back(step.field);
    }
    return writes;
}

}  // namespace corvanta
