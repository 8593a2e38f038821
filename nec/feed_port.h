#pragma once

#include <complex>

#include "nec/feed_options.h"
#include "nec/touchstone.h"

// The port a measurement is taken at and the model's Touchstone is written
// for: the lines' junction, or the radio end of the feed chain. These move an
// impedance between the two.

namespace corvanta::nec {

// The measured impedance at the port, taken back to the lines' junction.
std::complex<double> MeasuredAtJunction(const FeedOptions& options, std::complex<double> measured, double mhz,
                                        double designMHz);

// A sweep measured at the port as it would read at the lines' junction.
OnePortSweep SweepAtJunction(const FeedOptions& options, const OnePortSweep& measured, double designMHz);

// The model's junction impedance as it shows at the port.
std::complex<double> ModelAtPort(const FeedOptions& options, std::complex<double> junction, double mhz,
                                 double designMHz);

}  // namespace corvanta::nec
