#include "core/run_time_error.h"

#include <utility>

namespace corvanta {

std::string_view Description(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::Overflow: return "Overflow";
    case ErrorNumber::DivisionByZero: return "Division by zero";
    case ErrorNumber::TypeMismatch: return "Type mismatch";
    }
    return "Unknown error";
}

namespace {

std::string What(ErrorNumber number) {
    return "Error " + std::to_string(static_cast<int>(number)) + ": " +
           std::string(Description(number));
}

}  // namespace

RunTimeError::RunTimeError(ErrorNumber number)
    : std::runtime_error(What(number)), number_(number) {}

RunTimeError::RunTimeError(ErrorNumber number, Field field, std::string fieldText)
    : std::runtime_error(What(number)),
      number_(number),
      field_(field),
      fieldText_(std::move(fieldText)) {}

}  // namespace corvanta
