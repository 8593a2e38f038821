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
};

// The fitted limits.
inline constexpr double kFitScaleRange = 0.10;  // the loop within +-10 % of the model
inline constexpr double kFitLowestVelocityFactor = 0.60;
inline constexpr double kFitHighestVelocityFactor = 0.95;

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
};

// The model's S11 at `mhz` in the measured plane, for a scale and a
// velocity factor; none outside the model's sweep.
std::optional<std::complex<double>> ModelS11(const FitInput& input, double scale, double velocityFactor, double mhz);

// The best fit over the limits; none where fewer than kFitLeastPoints
// measured points fall inside the model's sweep at every scale.
inline constexpr std::size_t kFitLeastPoints = 5;
std::optional<Fit> FitMeasurement(const FitInput& input);

}  // namespace corvanta::nec
