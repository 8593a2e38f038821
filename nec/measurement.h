#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/feed_line.h"
#include "nec/scaled_design.h"
#include "nec/touchstone.h"

// A measured sweep laid beside the model: taken where the lines join, as
// the loop is built, turned back through the lines into the impedance of
// one gap, and from its resonance a trim of HEIGHT, SIDE and GAP.

namespace corvanta::nec {

struct ModelCheck;

struct MeasuredPoint {
    double mhz = 0;
    std::complex<double> junction;  // where the lines join
    double swr = 0;                 // on the check's reference
    std::complex<double> gap;       // one gap, the lines undone
};

struct Measurement {
    std::string source;  // the file's name, for the report and the plot
    double referenceOhm = 50;
    std::vector<MeasuredPoint> points;
    std::optional<double> resonanceMHz;       // the gap reactance's zero nearest the design frequency
    std::optional<double> modelResonanceMHz;  // the same, of the model's sweep
    double minSwr = 0, minSwrMHz = 0;
    std::optional<double> modelMinSwrMHz;     // of the model's junction on the reference
    std::optional<ScaledDesign> trim;         // none without a measured resonance
    std::vector<std::string> notes;

    std::optional<double> ShiftMHz() const;
    std::optional<double> ShiftPercent() const;
};

// The impedance at the load end of a line whose input shows `input`: the
// inverse of LineInput.
std::complex<double> LineLoad(std::complex<double> input, const FeedLine& line, double mhz);

// Compares a measurement (any reference, any frequencies) with the check.
Measurement CompareMeasurement(const ModelCheck& check, const OnePortSweep& measured,
                               std::string source);

// The model's sweep as Touchstone: S11 where the lines join, against
// `referenceOhm`, with comments that name the design.
std::string ModelTouchstone(const ModelCheck& check);

}  // namespace corvanta::nec
