#include "nec/rational_interpolant.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvanta::nec {

namespace {

using Z = std::complex<double>;

// A residue under this share of the samples' size times the sweep's width
// belongs to a pole that does nothing but sit between two samples.
constexpr double kDoubletResidue = 1e-6;
// Poles further than this many half-widths from the sweep's centre are left:
// their tails are smooth in the sweep, and removing one takes a support
// point the fit needs.
constexpr double kNearTheSweep = 2;
// A pole within this share of the sweep's half-width below the axis is on it.
constexpr double kOnTheAxis = 1e-6;

struct Weights {
    std::vector<Z> w;
};

// The weights for the chosen support points: the right singular vector of
// the smallest singular value of the Loewner matrix over the other samples.
std::vector<Z> SolveWeights(const std::vector<double>& t, const std::vector<Z>& f,
                            const std::vector<std::size_t>& support, const std::vector<bool>& isSupport) {
    const auto m = static_cast<Eigen::Index>(support.size());
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!isSupport[i]) rows.push_back(i);
    }
    if (rows.empty()) return std::vector<Z>(support.size(), Z(1));
    Eigen::MatrixXcd loewner(static_cast<Eigen::Index>(rows.size()), m);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (Eigen::Index c = 0; c < m; ++c) {
            const std::size_t j = support[static_cast<std::size_t>(c)];
            loewner(static_cast<Eigen::Index>(r), c) = (f[rows[r]] - f[j]) / (t[rows[r]] - t[j]);
        }
    }
    const Eigen::JacobiSVD<Eigen::MatrixXcd> svd(loewner, Eigen::ComputeFullV);
    const Eigen::VectorXcd v = svd.matrixV().col(m - 1);
    return std::vector<Z>(v.data(), v.data() + v.size());
}

}  // namespace

RationalInterpolant RationalInterpolant::Fit(const std::vector<double>& mhz, const std::vector<Z>& values,
                                             double relativeTolerance) {
    double scale = 0;
    for (const Z& v : values) scale = std::max(scale, std::abs(v));
    return Fit(mhz, values, std::vector<double>(values.size(), relativeTolerance * scale));
}

RationalInterpolant RationalInterpolant::Fit(const std::vector<double>& mhz, const std::vector<Z>& values,
                                             const std::vector<double>& tolerances) {
    RationalInterpolant r;
    const auto [low, high] = std::minmax_element(mhz.begin(), mhz.end());
    r.centre_ = (*low + *high) / 2;
    r.halfWidth_ = std::max((*high - *low) / 2, 1e-300);
    std::vector<double> t;
    for (double f : mhz) t.push_back((f - r.centre_) / r.halfWidth_);
    double scale = 0;
    for (const Z& v : values) scale = std::max(scale, std::abs(v));

    std::vector<std::size_t> support;
    std::vector<bool> isSupport(t.size(), false);
    std::vector<Z> fitted(t.size(),
                          std::accumulate(values.begin(), values.end(), Z(0)) / static_cast<double>(values.size()));
    std::vector<Z> weights;
    // At most half the samples as support points: the rest check them.
    const std::size_t most = std::max<std::size_t>(1, (t.size() + 1) / 2);
    while (support.size() < most) {
        // The sample furthest off, as a share of its own tolerance.
        std::size_t worst = t.size();
        double error = -1;
        for (std::size_t i = 0; i < t.size(); ++i) {
            const double off = std::abs(values[i] - fitted[i]) / std::max(tolerances[i], 1e-300);
            if (!isSupport[i] && off > error) {
                error = off;
                worst = i;
            }
        }
        if (worst == t.size() || (!support.empty() && error <= 1)) break;
        support.push_back(worst);
        isSupport[worst] = true;
        weights = SolveWeights(t, values, support, isSupport);
        r.support_.clear();
        r.values_.clear();
        for (std::size_t j : support) {
            r.support_.push_back(t[j]);
            r.values_.push_back(values[j]);
        }
        r.weights_ = weights;
        for (std::size_t i = 0; i < t.size(); ++i) fitted[i] = isSupport[i] ? values[i] : r(mhz[i]);
    }

    // The pole guard: each pole that cannot be the antenna's goes with the
    // support point nearest it, and the weights are solved again.
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<std::size_t> drop;
        for (const Pole& pole : r.Poles()) {
            // On the axis itself (a capacitor's pole at 0 Hz) is no fault.
            const bool below = pole.at.imag() < -kOnTheAxis * r.halfWidth_;
            const bool doublet = std::abs(pole.residue) < kDoubletResidue * scale * r.halfWidth_;
            if (!below && !doublet) continue;
            const double p = (pole.at.real() - r.centre_) / r.halfWidth_;
            std::size_t nearest = 0;
            for (std::size_t k = 1; k < support.size(); ++k) {
                if (std::abs(t[support[k]] - p) < std::abs(t[support[nearest]] - p)) nearest = k;
            }
            if (std::find(drop.begin(), drop.end(), nearest) == drop.end()) drop.push_back(nearest);
        }
        if (drop.empty() || drop.size() >= support.size()) break;
        std::sort(drop.rbegin(), drop.rend());
        for (std::size_t k : drop) {
            isSupport[support[k]] = false;
            support.erase(support.begin() + static_cast<std::ptrdiff_t>(k));
        }
        r.removed_ += drop.size();
        r.weights_ = SolveWeights(t, values, support, isSupport);
        r.support_.clear();
        r.values_.clear();
        for (std::size_t j : support) {
            r.support_.push_back(t[j]);
            r.values_.push_back(values[j]);
        }
    }
    return r;
}

Z RationalInterpolant::operator()(double mhz) const {
    const double x = (mhz - centre_) / halfWidth_;
    Z numerator, denominator;
    for (std::size_t j = 0; j < support_.size(); ++j) {
        if (x == support_[j]) return values_[j];
        const Z c = weights_[j] / (x - support_[j]);
        numerator += c * values_[j];
        denominator += c;
    }
    return numerator / denominator;
}

std::vector<RationalInterpolant::Pole> RationalInterpolant::Poles() const {
    // The zeros of the denominator sum w_j / (x - x_j) are the finite
    // eigenvalues of the pencil E v = x B v,
    //     E = [0 w^T; 1 diag(x_j)],  B = diag(0, 1, ..., 1),
    // taken through x = s + 1 / mu as the eigenvalues mu of (E - s B)^-1 B
    // for a shift s away from the support points: a root at infinity (the
    // denominator's degree dropping) is then mu = 0, not a division by zero.
    const std::size_t m = support_.size();
    std::vector<Pole> poles;
    if (m < 2) return poles;
    const auto n = static_cast<Eigen::Index>(m + 1);
    const double shift = 0.4142;  // between support points, almost surely not a pole
    Eigen::MatrixXcd e = Eigen::MatrixXcd::Zero(n, n), b = Eigen::MatrixXcd::Zero(n, n);
    for (std::size_t j = 0; j < m; ++j) {
        const auto k = static_cast<Eigen::Index>(j + 1);
        e(0, k) = weights_[j];
        e(k, 0) = 1;
        e(k, k) = support_[j];
        b(k, k) = 1;
    }
    const Eigen::MatrixXcd k = (e - shift * b).partialPivLu().solve(b);
    const Eigen::ComplexEigenSolver<Eigen::MatrixXcd> eigen(k);
    double largest = 0;
    for (Eigen::Index i = 0; i < n; ++i) largest = std::max(largest, std::abs(eigen.eigenvalues()(i)));
    for (Eigen::Index i = 0; i < n; ++i) {
        const Z mu = eigen.eigenvalues()(i);
        if (std::abs(mu) <= 1e-10 * largest) continue;  // at infinity
        const Z x = shift + 1.0 / mu;
        // Far from the sweep a pole does nothing there: many are the roots
        // at infinity of a denominator whose degree drops, rounded into huge
        // finite numbers.
        if (std::abs(x) > kNearTheSweep) continue;
        Z numerator, derivative;
        for (std::size_t j = 0; j < m; ++j) {
            numerator += weights_[j] * values_[j] / (x - support_[j]);
            derivative -= weights_[j] / ((x - support_[j]) * (x - support_[j]));
        }
        // Back in MHz: the residue scales with the mapping's width.
        poles.push_back({centre_ + halfWidth_ * x, numerator / derivative * halfWidth_});
    }
    return poles;
}

}  // namespace corvanta::nec
