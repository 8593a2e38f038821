#pragma once

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nec/analysis.h"
#include "nec/check_plan.h"
#include "nec/feed_line.h"
#include "nec/feed_options.h"
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

// What a trim's lengths may be off by, each in per cent of them.
struct TrimUncertainty {
    double straysPercent = 0;          // the junction's plausible strays (kStray...)
    double velocityFactorPercent = 0;  // the lines' velocity factor off by its span
    double noisePercent = 0;           // kNoiseSigmas standard deviations of the fitted scale
    // The root-sum-square of the three.
    double TotalPercent() const;
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
    // The fitted loop's resonance: the model's over the fit's scale. The
    // trim uses it; resonanceMHz is read point by point, noise and all.
    std::optional<double> fitResonanceMHz;
    // The model's tuned lengths, each times (as cut / design) / the fit's
    // scale; without a tune, the lengths as cut times the fitted resonance
    // over the design frequency; its scale is the factor on the lengths as
    // cut. None where the measurement is refused.
    std::optional<ScaledDesign> trim;
    bool trimFromTune = false;
    std::optional<TrimUncertainty> trimUncertainty;
    // The resonance and the trim's scale within the trim's whole
    // uncertainty, [low, high]; with every trim.
    std::optional<std::array<double, 2>> resonanceSpanMHz, trimSpan;
    // Refused: no resonance and no trim, and why (in the notes too).
    bool refused = false;
    std::string refusal;
    // The lines' impedance that fits much better than the check's, where
    // that is why the measurement is refused; each front end says how to
    // give it.
    std::optional<double> linesLookOhm;
    // The port the file fits at, where that is not the check's.
    std::optional<FeedPort> otherPort;
    // A sweep that would show the resonance, where the measurement missed it.
    std::optional<std::array<double, 2>> measureMHz;
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
// span of the resonance and of the trim; and from one measured apart.
inline constexpr double kVelocityFactorSpan = 0.02;
inline constexpr double kMeasuredVelocityFactorSpan = 0.01;

// The strays a junction as built and measured plausibly has, each either
// way: the analyser's reference plane a centimetre of coax from the
// junction (no port extension), a connector's capacitance across it, the
// inductance of the leads in series.
inline constexpr double kStrayCoaxMm = 10;
inline constexpr double kStrayCoaxOhm = 50;
inline constexpr double kStrayCoaxVelocityFactor = 0.66;
inline constexpr double kStrayShuntPf = 0.5;
inline constexpr double kStraySeriesNh = 5;

// The noise's share of the trim's span, in standard deviations.
inline constexpr double kNoiseSigmas = 2;
// The point-by-point resonance may differ from the fitted one by this
// much, in per cent, beyond what the noise explains, before a note says so.
inline constexpr double kPointResonanceLeastPercent = 0.1;

// The lines' impedances a measurement is tried with: a measurement that
// fits much better with lines more than kLinesDifferShare from the
// check's (kLinesBetterRatio of the residual or less, and
// kLinesBetterLeastPercent less at least) is refused for them.
inline constexpr double kLinesLeastOhm = 250;
inline constexpr double kLinesMostOhm = 600;
inline constexpr double kLinesDifferShare = 0.04;
inline constexpr double kLinesBetterRatio = 0.6;
inline constexpr double kLinesBetterLeastPercent = 0.3;

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

// What a trim from a measurement without the lengths as cut assumes, in
// the words every output gives it.
inline constexpr std::string_view kAssumesDesignLengths =
    "the trim assumes the loop was cut to the design's lengths; a loop cut otherwise needs its own lengths scaled "
    "by the same factor";

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
