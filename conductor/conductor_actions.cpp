#include "conductor/conductor_actions.h"

#include "conductor/wire_gauge_table.h"
#include "core/checked_arithmetic.h"
#include "core/sheet_access.h"
#include "core/wavelength.h"

namespace corvanta {

namespace {

using checked::Divide;
using checked::Multiply;

// Inches per millimetre, both ways. Deliberately 0.0394 and not 1/25.4: the
// conductor fields have always used it, and COMPUTE's own 25.4 is separate.
constexpr double kInchPerMm = 0.0394;

constexpr int kMmDecimalsFromInch = 2;  // CHANGE (gauge) and CHANGE (inch)
constexpr int kConductorDecimals = 3;   // ACCEPT's mm and every written inch

// Classifies the inch field as it now stands and writes the code.
void WriteGaugeFromInchField(DesignSheet& sheet, NumberFormat format) {
    const double inch = ReadDouble(sheet, Field::DiameterInch, format);
    sheet.Replace(Field::Gauge, FormatInteger(WireGaugeTable::InchToGauge(inch)));
}

}  // namespace

void Accept(DesignSheet& sheet, NumberFormat format) {
    const float designFrequency = ReadSingle(sheet, Field::Frequency, format);
    sheet.Replace(Field::DiameterMm,
                  FormatDouble(RoundDecimals(MinimumDiameterMm(designFrequency), kConductorDecimals), format));
    // Read back as a double: the inch size follows the rounded mm text.
    const double mm = ReadDouble(sheet, Field::DiameterMm, format);
    sheet.Replace(Field::DiameterInch,
                  FormatDouble(RoundDecimals(Multiply(mm, kInchPerMm), kConductorDecimals), format));
    WriteGaugeFromInchField(sheet, format);
}

void ChangeGauge(DesignSheet& sheet, NumberFormat format) {
    const double gauge = ReadDouble(sheet, Field::Gauge, format);
    if (const auto inch = WireGaugeTable::GaugeToInch(gauge)) {
        sheet.Replace(Field::DiameterInch, FormatDouble(*inch, format));
    }
    // An unlisted gauge leaves the inch field as it was, and the mm field is
    // still brought in line with it.
    const float sizeValue = ReadSingle(sheet, Field::DiameterInch, format);
    sheet.Replace(Field::DiameterMm,
                  FormatDouble(RoundDecimals(Divide(sizeValue, kInchPerMm), kMmDecimalsFromInch), format));
}

void ChangeInch(DesignSheet& sheet, NumberFormat format) {
    const float inchValue = ReadSingle(sheet, Field::DiameterInch, format);
    sheet.Replace(Field::DiameterMm,
                  FormatDouble(RoundDecimals(Divide(inchValue, kInchPerMm), kMmDecimalsFromInch), format));
    // The gauge is classified from the double reading of the same text: a
    // listed diameter such as 0.0045 then lands exactly on its row.
    WriteGaugeFromInchField(sheet, format);
}

void ChangeMm(DesignSheet& sheet, NumberFormat format) {
    const float sizeValue = ReadSingle(sheet, Field::DiameterMm, format);
    sheet.Replace(Field::DiameterInch,
                  FormatDouble(RoundDecimals(Multiply(sizeValue, kInchPerMm), kConductorDecimals), format));
    WriteGaugeFromInchField(sheet, format);
}

}  // namespace corvanta
