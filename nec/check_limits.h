#pragma once

#include <cmath>

// The ranges the check takes the numbers a user gives it in: the height,
// the lines, the balun, the feeder and the sweep. Every front end and the
// build record refuse a number outside them with their own words, and all
// of them refuse the same numbers.
//     kBalunRatio.Holds(4)              -> true
//     kFeederVelocityFactor.Holds(0.05) -> false (from 0.1)
//     kHeightM.Holds(1e300)             -> false (at most 100000)
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

// The height of the loop's centre over a ground, in metres: the window's
// box goes to 100 km, and a record or the command line no further.
inline constexpr Limit kHeightM{0, 100000, true};

// A velocity factor under 0.1 is no cable or line anyone makes (solid
// PTFE coax is 0.69, the slowest ordinary ones about 0.6); a tiny one turns
// every metre into thousands of wavelengths and the figures into noise.
inline constexpr double kLeastVelocityFactor = 0.1;
inline constexpr Limit kLinesVelocityFactor{kLeastVelocityFactor, 1, false};

inline constexpr Limit kFeederImpedanceOhm{0, 10000, true};
inline constexpr Limit kFeederVelocityFactor{kLeastVelocityFactor, 1, false};
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
