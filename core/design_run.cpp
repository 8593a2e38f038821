#include "core/design_run.h"

#include "conductor/conductor_actions.h"

namespace corvanta {

Design RunDesign(const DesignRequest& request) {
    Design design;
    design.sides = request.sides;
    DesignSheet& sheet = design.sheet;
    sheet.Replace(Field::Text2, request.frequency);
    Accept(sheet);
    if (request.size) {
        switch (request.size->unit) {
        case SizeUnit::Gauge:
            sheet.Replace(Field::Text4, request.size->text);
            ChangeGauge(sheet);
            break;
        case SizeUnit::Inch:
            sheet.Replace(Field::Text6, request.size->text);
            ChangeInch(sheet);
            break;
        case SizeUnit::Mm:
            sheet.Replace(Field::Text8, request.size->text);
            ChangeMm(sheet);
            break;
        }
    }
    sheet.SetSide(request.sides);
    design.trace = Compute(sheet);
    return design;
}

Design ComputeOnCopy(const DesignSheet& sheet, NumberFormat format) {
    // A fresh sheet, not a copy of the object: the original's observer
    // would carry the copy's writes to the window that shows the original.
    Design design;
    design.sides = sheet.Side();
    for (Field field : AllFields()) design.sheet.Replace(field, sheet.Read(field));
    design.sheet.SetSide(sheet.Side());
    design.trace = Compute(design.sheet, format);
    return design;
}

}  // namespace corvanta
