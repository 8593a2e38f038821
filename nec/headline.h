#pragma once

#include <cstddef>
#include <optional>

#include "nec/analysis.h"

// The reading a builder is best served by: of the readings one can connect
// a radio to as built, the one with the lowest SWR at the design
// frequency. The headline of the report and the one bold curve of a plot.

namespace corvanta::nec {

// SWRs this close count as a tie, and a tie goes to the 4:1 balun: the
// usual way to put a balanced junction on coax.
inline constexpr double kHeadlineTie = 0.05;

// The index in kReadings of the best buildable reading.
std::size_t HeadlineReading(const CheckReport& report);

// With a feed chain the radio end is what the builder connects and reads:
// it is the headline when its SWR at the design frequency (`radioSwr`) is
// no worse than the best reading's by more than the tie. None: the radio
// end is the headline.
std::optional<std::size_t> HeadlineReading(const CheckReport& report, std::optional<double> radioSwr);

}  // namespace corvanta::nec
