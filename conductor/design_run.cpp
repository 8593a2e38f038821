#include "conductor/design_run.h"

#include <array>

#include "conductor/sheet_actions.h"

namespace corvanta {

namespace {

// The CHANGE under the box a size is typed into.
const SheetAction& ChangeFor(SizeUnit unit) {
    constexpr std::array<ActionId, 3> kChanges = {ActionId::ChangeGauge, ActionId::ChangeInch, ActionId::ChangeMm};
    return Action(kChanges[static_cast<std::size_t>(unit)]);
}

}  // namespace

Design RunDesign(const DesignRequest& request) {
    Design design;
    design.sides = request.sides;
    DesignSheet& sheet = design.sheet;
    sheet.Edit(Field::Frequency, request.frequency);
    Action(ActionId::Accept).run(sheet, {});
    if (request.size) {
        const SheetAction& change = ChangeFor(request.size->unit);
        // A CHANGE's first input is the box it stands under; what else it
        // reads (the gauge's inch box) the sheet holds from ACCEPT.
        sheet.Edit(Inputs(change).front(), request.size->text);
        change.run(sheet, {});
    }
    sheet.SetSide(request.sides);
    design.trace = Compute(sheet);
    return design;
}

}  // namespace corvanta
