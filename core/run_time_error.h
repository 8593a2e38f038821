#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/field.h"

namespace corvanta {

// The error numbers an action can end with.
enum class ErrorNumber : int {
    Overflow = 6,         // a numeral beyond its width, or an invalid or too large result
    DivisionByZero = 11,  // a nonzero number divided by zero
    TypeMismatch = 13,    // a text that is no numeral, the empty text included
};

// "Overflow", "Division by zero", "Type mismatch".
std::string_view Description(ErrorNumber number);

// The failure of an action. The action stops at the failing step; whatever
// it wrote before stays written. When the failure is a field that could not
// be read, the error says which field and what it held.
class RunTimeError : public std::runtime_error {
public:
    explicit RunTimeError(ErrorNumber number);
    RunTimeError(ErrorNumber number, Field field, std::string fieldText);

    ErrorNumber Number() const { return number_; }
    std::optional<Field> FailedField() const { return field_; }
    const std::string& FieldText() const { return fieldText_; }

private:
    ErrorNumber number_;
    std::optional<Field> field_;
    std::string fieldText_;
};

}  // namespace corvanta
