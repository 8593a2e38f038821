#include "core/run_time_error.h"

#include <utility>

#include "core/shortened.h"

namespace corvanta {

std::string_view Description(ErrorNumber number) {
    switch (number) {
        case ErrorNumber::Overflow:
            return "Overflow";
        case ErrorNumber::DivisionByZero:
            return "Division by zero";
        case ErrorNumber::TypeMismatch:
            return "Type mismatch";
    }
    return "Unknown error";
}

std::string ErrorLine(int number, std::string_view description) {
    return "Error " + std::to_string(number) + ": " + std::string(description);
}

namespace {

// A megabyte pasted into a box would make an unreadable message.
constexpr std::size_t kShownCharacters = 60;

std::string Compose(ErrorNumber number, const std::optional<Field>& field, std::string_view fieldText,
                    const FieldNamer& name, std::string_view subject) {
    std::string text = ErrorLine(static_cast<int>(number), Description(number));
    if (field) {
        text += ": " + name(*field) + " \"" + Shortened(fieldText, kShownCharacters) + "\"";
        text += number == ErrorNumber::TypeMismatch ? " is not a number" : " is out of range";
    } else if (!subject.empty()) {
        text += " in ";
        text += subject;
    }
    return text;
}

std::string BoxName(Field field) { return std::string(FieldName(field)); }

}  // namespace

RunTimeError::RunTimeError(ErrorNumber number)
    : std::runtime_error(Compose(number, std::nullopt, {}, BoxName, {})), number_(number) {}

RunTimeError::RunTimeError(ErrorNumber number, Field field, std::string fieldText)
    : std::runtime_error(Compose(number, field, fieldText, BoxName, {})),
      number_(number),
      field_(field),
      fieldText_(std::move(fieldText)) {}

std::string FailureText(const RunTimeError& error, const FieldNamer& name, std::string_view subject) {
    return Compose(error.Number(), error.FailedField(), error.FieldText(), name, subject);
}

}  // namespace corvanta
