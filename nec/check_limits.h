#pragma once

#include <cmath>

// The ranges the check takes the numbers a user gives it in: the balun,
// the feeder and the sweep. Every front end refuses a number outside them
// with its own words, and all of them refuse the same numbers.
//     kBalunRatio.Holds(4)            -> true
//     kFeederVelocityFactor.Holds(0)  -> false (above 0)
//     kFeederLengthM.Holds(0)         -> true (no feeder length at all)
//     SweepHolds(140, 130, 5)         -> false (TO below FROM)

namespace corvanta::nec {

struct Limit {
    double least = 0;
    double most = 0;
    bool aboveLeast = false;  // `least` itself is refused

    bool Holds(double value) const {
        return std::isfinite(value) && (aboveLeast ? value > least : value >= least) && value <= most;
    }
};

// N of an N:1 balun.
inline constexpr Limit kBalunRatio{1, 100, false};

inline constexpr Limit kFeederImpedanceOhm{0, 10000, true};
inline constexpr Limit kFeederVelocityFactor{0, 1, true};
inline constexpr Limit kFeederLengthM{0, 10000, false};
inline constexpr Limit kFeederLossDbPer100m{0, 1000, false};

// A sweep: 0 < FROM <= TO, both finite, and a whole number of points.
inline constexpr int kSweepLeastPoints = 1;
inline constexpr int kSweepMostPoints = 10000;

inline bool SweepHolds(double fromMHz, double toMHz, double points) {
    return fromMHz > 0 && toMHz >= fromMHz && std::isfinite(toMHz) && points >= kSweepLeastPoints &&
           points <= kSweepMostPoints && points == std::floor(points);
}

}  // namespace corvanta::nec
