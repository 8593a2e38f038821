#pragma once

#include <QDoubleSpinBox>
#include <QLineEdit>

#include "core/field_conversion.h"

// A number box that reads as the main window's fields do: the regional
// decimal separator or the point, never a group separator, through the same
// ParseDouble. Under a comma separator "12.5" and "12,5" are both twelve and
// a half; "1.234,5" and "1,234.5" are refused, not read as thousands.
// QDoubleSpinBox on its own reads through QLocale, which takes the point as
// a German group separator and turns "12.5" into 125.
//
// What cannot be read never becomes the value: a text that is no number
// when the box is left keeps the last value and is told through refused().

namespace corvanta::ui {

class DecimalBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit DecimalBox(QWidget* parent = nullptr);

    // The separator the box writes; it reads this one and the point.
    void setFormat(NumberFormat format);
    NumberFormat format() const { return format_; }

    double valueFromText(const QString& text) const override;
    QString textFromValue(double value) const override;
    // The value as the box shows it when left: its special text at the
    // minimum, when it has one, else the number and its suffix.
    QString shownText() const;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    // The text that was typed and could not be read; the box kept its value.
    void refused(const QString& text) const;

private:
    // The typed number without prefix, suffix and surrounding blanks.
    QString numberPart(const QString& text) const;

    NumberFormat format_;
};

}  // namespace corvanta::ui
