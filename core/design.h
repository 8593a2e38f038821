#pragma once

#include <optional>
#include <string>

#include "core/compute.h"
#include "core/design_sheet.h"
#include "core/field.h"

namespace corvanta {

// A finished design: the sheet with every field as the window would show
// it, and COMPUTE's working values.
struct Design {
    SideChoice sides = SideChoice::Three;
    DesignSheet sheet;
    ComputeTrace trace;

    const std::string& Text(Field field) const { return sheet.Read(field); }
};

// The design a window's sheet would give now: COMPUTE on a copy of it (its
// frequency, millimetre diameter and side choice as they stand), so that
// the sheet itself and whatever shows it are never written. None when no
// side count is chosen. Throws RunTimeError as COMPUTE does.
std::optional<Design> ComputeCopy(const DesignSheet& sheet, NumberFormat format = {});

// The design with the fields COMPUTE read or wrote written with the point,
// as the model library reads numbers whatever the regional separator. Each
// holds at most one separator, so swapping it keeps the number.
Design WithPoint(Design design, NumberFormat format);

}  // namespace corvanta
