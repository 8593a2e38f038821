#include "ui/decimal_box.h"

namespace corvanta::ui {

DecimalBox::DecimalBox(QWidget* parent) : QDoubleSpinBox(parent) {
    // A box left with half a number goes back to its value, never guesses.
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void DecimalBox::setFormat(NumberFormat format) {
    const double value = this->value();
    format_ = format;
    // Writes the value again with the new separator.
    setValue(value);
    lineEdit()->setText(shownText());
}

QString DecimalBox::shownText() const {
    if (!specialValueText().isEmpty() && value() == minimum()) return specialValueText();
    return prefix() + textFromValue(value()) + suffix();
}

QString DecimalBox::numberPart(const QString& text) const {
    QString number = text;
    if (!prefix().isEmpty() && number.startsWith(prefix())) number.remove(0, prefix().size());
    if (!suffix().isEmpty() && number.endsWith(suffix())) number.chop(suffix().size());
    return number.trimmed();
}

double DecimalBox::valueFromText(const QString& text) const {
    if (!specialValueText().isEmpty() && text == specialValueText()) return minimum();
    const Parsed<double> parsed = ParseDouble(numberPart(text).toStdString(), format_);
    return parsed ? *parsed.value : value();
}

QString DecimalBox::textFromValue(double value) const {
    // Fixed decimals, no group separator, the regional decimal separator.
    QString text = QString::number(value, 'f', decimals());
    if (format_.decimalSeparator != '.') text.replace(QLatin1Char('.'), QLatin1Char(format_.decimalSeparator));
    return text;
}

QValidator::State DecimalBox::validate(QString& input, int& /*pos*/) const {
    // Nothing typed is thrown away keystroke by keystroke: "1.234,5" losing
    // its comma would read as 1.2345 without a word. What does not read
    // stays on show until the box is left, and is then refused aloud.
    if (!specialValueText().isEmpty() && input == specialValueText()) return QValidator::Acceptable;
    const Parsed<double> parsed = ParseDouble(numberPart(input).toStdString(), format_);
    if (!parsed) return QValidator::Intermediate;
    if (*parsed.value < minimum() || *parsed.value > maximum()) return QValidator::Intermediate;
    return QValidator::Acceptable;
}

void DecimalBox::fixup(QString& input) const {
    // Only text that does not read reaches here; the box then goes back to
    // its value, and whoever shows messages is told what was typed.
    const QString typed = numberPart(input);
    if (!typed.isEmpty()) emit refused(typed);
}

}  // namespace corvanta::ui
