#include "core/compute.h"

#include <array>
#include <optional>

#include "core/checked_arithmetic.h"
#include "core/sheet_access.h"
#include "core/wavelength.h"

namespace corvanta {

namespace {

using checked::Divide;
using checked::Multiply;
using checked::Narrow;
using checked::Subtract;

// Matching section = wavelength / 4 x 0.82.
constexpr double kQuarterWave = 4.0;
constexpr double kMatchVelocityFactor = 0.82;

// Thickness ratio = (diameter / minimum - 1) x 10, at most 40; these three
// are floats, widened into the double arithmetic.
constexpr float kRatioOne = 1.0F;
constexpr float kRatioTenths = 10.0F;
constexpr float kRatioLimit = 40.0F;

// Height and side as fractions of the corrected wavelength.
constexpr double kThreeSidedHeightDivisor = 2.8609;
constexpr double kFourSidedHeightFactor = 0.33046;
constexpr double kThreeSidedSideDivisor = 7.704;
constexpr double kFourSidedSideFactor = 0.19039;
constexpr double kGapDivisor = 212.5;

// Corrected frequency = (1 - coefficient x ratio) x frequency.
constexpr double kCorrectionOne = 1.0;

constexpr int kLengthDecimals = 3;

// The band table, as float constants compared with the float ratio. A band
// holds its upper threshold: a ratio of exactly 5.375 is in the first band.
struct Band {
    float above;  // the band starts above this ratio
    float coefficient;
};
constexpr float kFirstBandCoefficient = 0.00845F;  // ratio 5.375 or less, negatives included
constexpr std::array<Band, 7> kBands = {{
    {5.375F, 0.00642F},
    {11.525F, 0.005232F},
    {17.675F, 0.00445F},
    {23.775F, 0.004F},
    {29.975F, 0.00372F},
    {36.075F, 0.0039F},
    {39.5F, 0.004164F},
}};

}  // namespace

float BandCoefficient(float thicknessRatio) {
    // Run as ordered rules: each band whose lower threshold the ratio exceeds
    // overrides the one before.
    float coefficient = kFirstBandCoefficient;
    for (const Band& band : kBands) {
        if (thicknessRatio > band.above) coefficient = band.coefficient;
    }
    return coefficient;
}

ComputeTrace Compute(DesignSheet& sheet, NumberFormat format) {
    ComputeTrace t;

    // The matching section is cut for the frequency as entered.
    const float f = ReadSingle(sheet, Field::Frequency, format);  // the design frequency
    const float matchLength = Narrow(Multiply(Divide(WavelengthMm(f), kQuarterWave), kMatchVelocityFactor));
    sheet.Replace(Field::MatchMm, FormatSingle(matchLength, format));
    // The only inch result shown unrounded, with all 15 digits.
    sheet.Replace(Field::MatchInch, FormatDouble(Divide(matchLength, kMmPerInch), format));

    // Correct the frequency for a conductor thicker than the minimum.
    const float conductorDiameter = ReadSingle(sheet, Field::DiameterMm, format);
    t.minDiameter = Narrow(MinimumDiameterMm(f));
    t.thicknessRatio = Narrow(Multiply(Subtract(Divide(conductorDiameter, t.minDiameter), kRatioOne), kRatioTenths));
    if (t.thicknessRatio > kRatioLimit) t.thicknessRatio = kRatioLimit;
    t.coefficient = BandCoefficient(t.thicknessRatio);
    t.correctedFrequency = Narrow(Multiply(Subtract(kCorrectionOne, Multiply(t.coefficient, t.thicknessRatio)), f));
    const float fc = t.correctedFrequency;

    // The height stays a double all the way to its text; none without a side choice.
    std::optional<double> loopHeight;
    switch (sheet.Side()) {
        case SideChoice::Three:
            loopHeight = Divide(WavelengthMm(fc), kThreeSidedHeightDivisor);
            break;
        case SideChoice::Four:
            loopHeight = Multiply(WavelengthMm(fc), kFourSidedHeightFactor);
            break;
        case SideChoice::None:
            break;
    }
    if (loopHeight) {
        sheet.Replace(Field::HeightMm, FormatDouble(RoundDecimals(*loopHeight, kLengthDecimals), format));
        sheet.Replace(Field::HeightInch,
                      FormatDouble(RoundDecimals(Divide(*loopHeight, kMmPerInch), kLengthDecimals), format));
    } else {
        sheet.Replace(Field::HeightMm, "0");
        sheet.Replace(Field::HeightInch, "0");
    }

    float sideLength = 0.0F;
    switch (sheet.Side()) {
        case SideChoice::Three:
            sideLength = Narrow(Divide(WavelengthMm(fc), kThreeSidedSideDivisor));
            break;
        case SideChoice::Four:
            sideLength = Narrow(Multiply(WavelengthMm(fc), kFourSidedSideFactor));
            break;
        case SideChoice::None:
            break;
    }
    // The side is a float, so its millimetre text has at most 7 digits.
    sheet.Replace(Field::SideMm, FormatSingle(RoundDecimals(sideLength, kLengthDecimals), format));
    sheet.Replace(Field::SideInch,
                  FormatDouble(RoundDecimals(Divide(sideLength, kMmPerInch), kLengthDecimals), format));

    const float gapLength = Narrow(Divide(WavelengthMm(fc), kGapDivisor));
    sheet.Replace(Field::GapMm, FormatSingle(RoundDecimals(gapLength, kLengthDecimals), format));
    sheet.Replace(Field::GapInch, FormatDouble(RoundDecimals(Divide(gapLength, kMmPerInch), kLengthDecimals), format));
    return t;
}

}  // namespace corvanta
