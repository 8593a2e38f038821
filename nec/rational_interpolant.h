#pragma once

#include <complex>
#include <vector>

// A rational function through samples of a complex function of frequency,
// in barycentric form (the AAA algorithm):
//     r(x) = sum w_j f_j / (x - x_j)  /  sum w_j / (x - x_j)
// over support points x_j picked greedily where the fit is worst, the
// weights from the smallest singular vector of the Loewner matrix of the
// other samples. A loop's gap impedance over a sweep of a few tens of per
// cent is such a function of low degree: a handful of samples gives it to
// the engine's five digits, anti-resonances (poles just off the axis)
// included.
//
// Poles that a passive antenna cannot have are removed with the support
// point nearest each: those below the real frequency axis (under the
// e^{jwt} convention an impedance's poles lie above it) and Froissart
// doublets, poles with a residue too small to matter, which a fit to
// rounded data puts between the samples.

namespace corvanta::nec {

class RationalInterpolant {
public:
    struct Pole {
        std::complex<double> at;       // in MHz
        std::complex<double> residue;  // in ohm times MHz
    };

    // Samples at distinct frequencies; `relativeTolerance` of the largest
    // sample's magnitude is as close as the fit tries to come.
    static RationalInterpolant Fit(const std::vector<double>& mhz, const std::vector<std::complex<double>>& values,
                                   double relativeTolerance);
    // Each sample with a tolerance of its own (in ohm): the rounding of a
    // printed value, say, so that the fit follows every sample as closely as
    // it is known, a small one as well as a large one, and no closer.
    static RationalInterpolant Fit(const std::vector<double>& mhz, const std::vector<std::complex<double>>& values,
                                   const std::vector<double>& tolerances);

    std::complex<double> operator()(double mhz) const;
    // The poles within a sweep width of the sweep's middle (half a width
    // beyond either end). Further ones are no fault: a low-degree fit
    // puts poles anywhere far off to stand for what lies beyond the
    // sweep, and the sweep sees only their smooth tails.
    std::vector<Pole> Poles() const;
    std::size_t SupportPoints() const { return support_.size(); }
    // Poles the guard took out.
    std::size_t Removed() const { return removed_; }

private:
    // Frequencies are mapped onto [-1, 1] for the linear algebra.
    double centre_ = 0, halfWidth_ = 1;
    std::vector<double> support_;  // mapped
    std::vector<std::complex<double>> values_, weights_;
    std::size_t removed_ = 0;
};

}  // namespace corvanta::nec
