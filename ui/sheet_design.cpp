#include "ui/sheet_design.h"

#include "core/run_time_error.h"
#include "conductor/sheet_actions.h"
#include "ui/error_reporter.h"

namespace corvanta::ui {

SheetDesign DesignOfSheet(const DesignSheet& sheet, NumberFormat format) {
    SheetDesign result;
    try {
        std::optional<Design> copy = ComputeCopy(sheet, format);
        if (!copy) {
            result.problem = NoSidesMessage();
            return result;
        }
        result.design = WithPoint(std::move(*copy), format);
    } catch (const RunTimeError& error) {
        result.problem = FailureOf(error, Action(ActionId::Compute).name).message;
    }
    return result;
}

}  // namespace corvanta::ui
