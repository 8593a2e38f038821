#pragma once

#include <optional>
#include <string>

#include "core/design.h"
#include "core/design_sheet.h"

// The design as a user makes it in the window, from the typed frequency and
// size through ACCEPT, the CHANGE under the size and COMPUTE.

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

// Throws RunTimeError as the window's actions would.
Design RunDesign(const DesignRequest& request);

}  // namespace corvanta
