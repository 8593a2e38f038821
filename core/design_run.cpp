#include "core/design_run.h"

#include <algorithm>

#include <array>

#include "core/sheet_actions.h"

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

std::optional<Design> ComputeCopy(const DesignSheet& sheet, NumberFormat format) {
    if (sheet.Side() == SideChoice::None) return std::nullopt;
    Design design;
    design.sides = sheet.Side();
    design.sheet = sheet;
    // The copy would otherwise tell the original's window of every write.
    design.sheet.SetObserver(nullptr);
    design.trace = Compute(design.sheet, format);
    return design;
}

Design WithPoint(Design design, NumberFormat format) {
    if (format.decimalSeparator == '.') return design;
    for (Field field : {Field::Frequency, Field::DiameterMm, Field::HeightInch, Field::HeightMm, Field::SideInch,
                        Field::SideMm, Field::GapInch, Field::GapMm, Field::MatchInch, Field::MatchMm}) {
        std::string text = design.Text(field);
        std::replace(text.begin(), text.end(), format.decimalSeparator, '.');
        design.sheet.Replace(field, std::move(text));
    }
    return design;
}

}  // namespace corvanta
