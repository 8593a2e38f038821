#pragma once

#include <optional>
#include <string>

#include "core/compute.h"
#include "core/design_sheet.h"
#include "core/field.h"

namespace corvanta {

// Which conductor field a size goes into, and so which CHANGE reads it.
enum class SizeUnit { Gauge, Inch, Mm };

struct SizeInput {
    SizeUnit unit;
    std::string text;
};

// What a user does in the window: type the frequency, ACCEPT, optionally
// type a size and press the CHANGE under it, choose the sides, COMPUTE.
struct DesignRequest {
    std::string frequency;
    SideChoice sides = SideChoice::Three;
    std::optional<SizeInput> size;
};

// A finished design: the sheet with every field as the window would show
// it, and COMPUTE's working values.
struct Design {
    SideChoice sides = SideChoice::Three;
    DesignSheet sheet;
    ComputeTrace trace;

    const std::string& Text(Field field) const { return sheet.Read(field); }
};

// Throws RunTimeError as the window's actions would.
Design RunDesign(const DesignRequest& request);

// The design COMPUTE would give now for a sheet, worked out on a copy of its
// texts and side choice: the sheet itself is never written. Throws
// RunTimeError as COMPUTE on the sheet would.
Design ComputeOnCopy(const DesignSheet& sheet, NumberFormat format = {});

}  // namespace corvanta
