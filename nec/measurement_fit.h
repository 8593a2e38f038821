#pragma once

#include <complex>
#include <optional>
#include <vector>

// Does a measurement look like this loop? The model's S11 is worked out in
// the plane where the measurement was taken (each gap through its line, the
// lines joined, on the measurement's reference) and laid over the measured
// S11, with two things fitted together: the loop's scale (a loop built k
// times the modelled size behaves at f as the model at k f) and the lines'
// velocity factor, which nobody knows well and which moves the measured
// resonance as much as the loop's size does. What is left over says
// whether this is the loop at all.

namespace corvanta::nec {

struct FitInput {
    // The model of one gap over its sweep, frequencies ascending.
    std::vector<double> modelMHz;
    std::vector<std::complex<double>> modelGap;
    int sides = 3;
    // The lines as built: their impedance and physical length; the
    // velocity factor is fitted.
    double lineImpedanceOhm = 300;
    double lineLengthMm = 0;
    // The measurement, S11 on its reference.
    std::vector<double> measuredMHz;
    std::vector<std::complex<double>> measuredS11;
    double referenceOhm = 50;
    // The lengths as cut over the model's: the scale is looked for within
    // kFitScaleRange of it, since a loop cut long on purpose is as far
    // from the design as the builder chose.
    double builtScale = 1;
    // A velocity factor measured apart is held; none: fitted.
    std::optional<double> heldVelocityFactor;
};

// The fitted limits.
inline constexpr double kFitScaleRange = 0.10;  // the loop within +-10 % of the lengths as cut
inline constexpr double kFitLowestVelocityFactor = 0.55;
inline constexpr double kFitHighestVelocityFactor = 1.0;

// Up to this share of the points, each far from the fit, is left out of
// it: a spike, a contact that moved for a moment.
inline constexpr double kFitMostOutlierShare = 0.05;
// A point is far from the fit where it misses by this many times the RMS
// of the rest, and by kFitOutlierLeast at least.
inline constexpr double kFitOutlierRatio = 4;
inline constexpr double kFitOutlierLeast = 0.03;

// Over this residual the measurement is not of this loop: real loops through
// any line with a cheap analyser's noise fit to about 2 %, the other shape
// to about 7 %, a load, an open or a short to 30 % and more.
inline constexpr double kFitResidualLimitPercent = 4;

// The most measured points the fit lays the model over. An analyser's
// sweep of a few hundred points already pins the scale and the velocity
// factor; one of 100,000 takes every 100th, so that the fit costs what a
// thousand points cost.
inline constexpr std::size_t kFitMostPoints = 1000;

struct Fit {
    double scale = 1;           // frequency scale: the model at scale x f
    double velocityFactor = 0;  // of the lines
    // 100 x the RMS of |S11 measured - S11 fitted| over the points compared.
    double residualPercent = 0;
    std::size_t pointsCompared = 0;
    // The measured points within the model's reach at some scale; over
    // kFitMostPoints of them, an even selection of that many was fitted.
    std::size_t pointsInReach = 0;
    bool Thinned() const { return pointsInReach > kFitMostPoints; }
    // The fit sits on a limit of its range: the truth may lie beyond it.
    bool scaleAtEdge = false, velocityFactorAtEdge = false;
    bool velocityFactorHeld = false;
    // The standard deviations the noise left on the scale and the velocity
    // factor, from the residual and how the curve moves with each.
    double scaleSigma = 0, velocityFactorSigma = 0;
    // The points left out, far from the fit.
    std::vector<double> leftOutMHz;
};

// The model's S11 at `mhz` in the measured plane, for a scale and a
// velocity factor; none outside the model's sweep.
std::optional<std::complex<double>> ModelS11(const FitInput& input, double scale, double velocityFactor, double mhz);

// The best fit over the limits; none where fewer than kFitLeastPoints
// measured points fall inside the model's sweep at every scale.
inline constexpr std::size_t kFitLeastPoints = 5;
std::optional<Fit> FitMeasurement(const FitInput& input);

// The same on a coarse grid over some 60 of the points, refined on all of
// them, with no points left out: for comparing many lines or shapes, not
// for the trim.
std::optional<Fit> FitQuickly(const FitInput& input);

// The same, looked for only within `halfRange` of `around`'s scale and
// velocity factor (the range's own limits still hold): a fit of the same
// measurement changed a little, as a stray would change it.
std::optional<Fit> RefitNear(const FitInput& input, const Fit& around, double halfRange);

}  // namespace corvanta::nec
