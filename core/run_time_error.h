#pragma once

#include <functional>
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
// be read, the error says which field and what it held. what() names the
// field by its box ("Text8").
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

// How a front end names a field to its user: the window by the caption
// beside the box ("the MM field"), the command line by the option that
// fills it ("--mm").
using FieldNamer = std::function<std::string(Field)>;

// An error number and its description, for every failure a user is told of
// (the launcher's too): 13, "Type mismatch" -> "Error 13: Type mismatch".
std::string ErrorLine(int number, std::string_view description);

// The one text of a failed action, in both front ends. A field's text is cut
// after 60 characters: a megabyte pasted into a box would make an unreadable
// message. `subject` says what was being computed, for a failure that is no
// field's; empty, it is left out.
//     Text8 "abc", 13        -> Error 13: Type mismatch: the MM field "abc" is not a number
//     Text2 "1E39", 6        -> Error 6: Overflow: --freq "1E39" is out of range
//     11, subject "COMPUTE"  -> Error 11: Division by zero in COMPUTE
std::string FailureText(const RunTimeError& error, const FieldNamer& name, std::string_view subject = {});

}  // namespace corvanta
