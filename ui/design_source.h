#pragma once

#include "core/design_sheet.h"
#include "core/field_conversion.h"

// Where the model window takes the design it checks from: a design sheet as
// it stands, and the number format its window writes. The main window is
// one; the model window knows it only as this.

namespace corvanta::ui {

class DesignSource {
public:
    virtual ~DesignSource() = default;
    virtual const DesignSheet& Sheet() const = 0;
    virtual NumberFormat Format() const = 0;
};

}  // namespace corvanta::ui
