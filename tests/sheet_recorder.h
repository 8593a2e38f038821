#pragma once

#include <vector>

#include "core/design_sheet.h"

namespace corvanta::testing {

// Records the fields an action writes, in order.
class SheetRecorder {
public:
    explicit SheetRecorder(DesignSheet& sheet) {
        sheet.SetObserver([this](Field field, std::string_view) { writes.push_back(field); });
    }
    std::vector<Field> writes;
};

}  // namespace corvanta::testing
