#pragma once

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/check_plan.h"
#include "nec/feed_line.h"
#include "nec/measurement_fit.h"
#include "nec/scaled_design.h"
#include "nec/touchstone.h"

// A measured sweep laid beside the model: taken where the lines join, as
// the loop is built, turned back through the lines into the impedance of
// one gap, and from its resonance a trim of HEIGHT, SIDE and GAP.

namespace corvanta::nec {

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
    // The lengths the loop was cut to; the design's unless told, and then
    // the trim is right only for a loop that was cut to them.
    ScaledDesign built;
    bool assumesDesignLengths = true;
    std::optional<double> modelMinSwrMHz;  // of the model's junction on the reference
    // The model laid over the measurement with the loop's scale and the
    // lines' velocity factor fitted; none where too few points overlap.
    std::optional<Fit> fit;
    // The other side count's fit, where its model was given.
    std::optional<Fit> otherShapeFit;
    int otherSides = 0;
    // The built lengths times resonance / design frequency; none where the
    // measurement does not show this loop's resonance.
    std::optional<ScaledDesign> trim;
    // The resonance and the trim's scale for the fitted velocity factor
    // -+ kVelocityFactorSpan, [low, high]; with every trim.
    std::optional<std::array<double, 2>> resonanceSpanMHz, trimSpan;
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

// How far the lines' velocity factor may be from the fitted one, for the
// span of the resonance and of the trim.
inline constexpr double kVelocityFactorSpan = 0.02;

// A resonance span wider than this share of the resonance, in per cent,
// calls for the line's velocity factor to be measured.
inline constexpr double kWideSpanPercent = 0.5;

// The narrowest measurement the fit judges, as a share of the design
// frequency in per cent. Made-up loops that follow the model exactly give
// back their scale and velocity factor from far narrower sweeps; a real
// loop departs from the model a little everywhere, and only a stretch of
// its curve (2 % is some 3 MHz at 146 MHz, a dozen steps of a cheap
// analyser's sweep) averages that out rather than fitting it.
inline constexpr double kFitLeastSpanPercent = 2;

// The other side count's model, for a measurement that may be of it.
struct OtherShape {
    int sides = 0;
    std::vector<double> mhz;
    std::vector<std::complex<double>> gap;  // one gap
    FeedLine line;
};
OtherShape OtherShapeOf(const CheckPlan& plan, const CheckReport& report);

struct MeasurementSetting {
    std::optional<BuiltLengths> built;  // none: the design's
    std::optional<OtherShape> otherShape;
};

// Compares a measurement (any reference, any frequencies) with the check.
// The model is fitted to it (FitMeasurement); the measured resonance is
// where the gap reactance, the lines undone at the fitted velocity factor,
// rises through zero. A flat measurement, one without such a crossing, one
// too narrow, one the model does not fit, or one the other shape fits
// better, gets no trim and a note.
Measurement CompareMeasurement(const CheckPlan& plan, const CheckReport& report, const OnePortSweep& measured,
                               std::string source, const MeasurementSetting& setting = {});

// The model's sweep as Touchstone: S11 where the lines join, against
// `referenceOhm`, with comments that name the design.
std::string ModelTouchstone(const CheckPlan& plan, const CheckReport& report);

}  // namespace corvanta::nec
