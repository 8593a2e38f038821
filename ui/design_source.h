#pragma once

#include "conductor/design_run.h"
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

// A source a design can also be typed into, as a user would: the frequency,
// ACCEPT, the size and the CHANGE under its box, the side, COMPUTE. A build
// record that is opened fills the main window so.
class DesignEntry : public DesignSource {
public:
    virtual void Enter(const DesignRequest& request) = 0;
};

}  // namespace corvanta::ui
