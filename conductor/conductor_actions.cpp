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
    const double inch = ReadDouble(sheet, Field::Text6, format);
    sheet.Replace(Field::Text4, FormatInteger(WireGaugeTable::InchToGauge(inch)));
}

}  // namespace

void Accept(DesignSheet& sheet, NumberFormat format) {
    const float designFrequency = ReadSingle(sheet, Field::Text2, format);
    sheet.Replace(Field::Text8,
                  FormatDouble(RoundDecimals(MinimumDiameterMm(designFrequency), kConductorDecimals),
                               format));
    // Read back as a double: the inch size follows the rounded mm text.
    const double mm = ReadDouble(sheet, Field::Text8, format);
    sheet.Replace(Field::Text6,
                  FormatDouble(RoundDecimals(Multiply(mm, kInchPerMm), kConductorDecimals), format));
    WriteGaugeFromInchField(sheet, format);
}

void ChangeGauge(DesignSheet& sheet, NumberFormat format) {
    const double gauge = ReadDouble(sheet, Field::Text4, format);
    if (const auto inch = WireGaugeTable::GaugeToInch(gauge)) {
        sheet.Replace(Field::Text6, FormatDouble(*inch, format));
    }
    // An unlisted gauge leaves the inch field as it was, and the mm field is
    // still brought in line with it.
    const float sizeValue = ReadSingle(sheet, Field::Text6, format);
    sheet.Replace(Field::Text8,
                  FormatDouble(RoundDecimals(Divide(sizeValue, kInchPerMm), kMmDecimalsFromInch),
                               format));
}

void ChangeInch(DesignSheet& sheet, NumberFormat format) {
    const float inchValue = ReadSingle(sheet, Field::Text6, format);
    sheet.Replace(Field::Text8,
                  FormatDouble(RoundDecimals(Divide(inchValue, kInchPerMm), kMmDecimalsFromInch),
                               format));
    // The gauge is classified from the double reading of the same text: a
    // listed diameter such as 0.0045 then lands exactly on its row.
    WriteGaugeFromInchField(sheet, format);
}

void ChangeMm(DesignSheet& sheet, NumberFormat format) {
    const float sizeValue = ReadSingle(sheet, Field::Text8, format);
    sheet.Replace(Field::Text6,
                  FormatDouble(RoundDecimals(Multiply(sizeValue, kInchPerMm), kConductorDecimals),
                               format));
    WriteGaugeFromInchField(sheet, format);
}

}  // namespace corvanta
