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
    // The lowest SWR is the first or last point: the real minimum may lie
    // beyond the measurement.
    bool minSwrAtEdge = false;
    // The trim scales the design's lengths: right only for a loop that was
    // cut to them.
    bool assumesDesignLengths = true;
    std::optional<double> modelMinSwrMHz;     // of the model's junction on the reference
    std::optional<ScaledDesign> trim;         // none where the loop's resonance does not show
    std::vector<std::string> notes;

    std::optional<double> ShiftMHz() const;
    std::optional<double> ShiftPercent() const;
};

// The impedance at the load end of a line whose input shows `input`: the
// inverse of LineInput.
std::complex<double> LineLoad(std::complex<double> input, const FeedLine& line, double mhz);

// How far a measurement's S11 strays from one value: the radius of the
// smallest circle that holds every point. A load, an open or a short stays
// within a few hundredths; a loop sweeps a wide arc.
double Spread(const std::vector<std::complex<double>>& reflection);

// Under this spread the measurement shows nothing that resonates.
inline constexpr double kFlatSpread = 0.05;

// Compares a measurement (any reference, any frequencies) with the check.
// The measured resonance is where the gap reactance, the lines undone,
// rises through zero; a flat measurement, or one without such a crossing,
// gets no trim and a note.
Measurement CompareMeasurement(const ModelCheck& check, const OnePortSweep& measured,
                               std::string source);

// The model's sweep as Touchstone: S11 where the lines join, against
// `referenceOhm`, with comments that name the design.
std::string ModelTouchstone(const ModelCheck& check);

}  // namespace corvanta::nec
