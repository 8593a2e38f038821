#include "ui/sheet_design.h"

#include <algorithm>
#include <array>

#include "core/run_time_error.h"
#include "core/sheet_actions.h"
#include "ui/error_reporter.h"

namespace corvanta::ui {

namespace {

constexpr std::array kComputeFields = {Field::Text2,  Field::Text8,  Field::Text11, Field::Text13,
                                       Field::Text16, Field::Text17, Field::Text19, Field::Text20,
                                       Field::Text22, Field::Text23};

}  // namespace

SheetDesign DesignOfSheet(const DesignSheet& sheet, NumberFormat format) {
    SheetDesign result;
    try {
        std::optional<Design> copy = ComputeCopy(sheet, format);
        if (!copy) {
            result.problem = NoSidesMessage();
            return result;
        }
        Design& design = *copy;
        if (format.decimalSeparator != '.') {
            // COMPUTE read these or wrote them: each has at most one
            // separator, the regional one or the point, and swapping it
            // keeps the number.
            for (Field field : kComputeFields) {
                std::string text = design.Text(field);
                std::replace(text.begin(), text.end(), format.decimalSeparator, '.');
                design.sheet.Replace(field, std::move(text));
            }
        }
        result.design = std::move(design);
    } catch (const RunTimeError& error) {
        result.problem = FailureOf(error, Action(ActionId::Compute).name).message;
    }
    return result;
}

}  // namespace corvanta::ui
