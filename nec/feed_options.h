#pragma once

#include <optional>
#include <string>

#include "nec/feed_chain.h"

// What the check is told about the feed beyond the lines: the chain to the
// radio, where a measurement was taken (and where the model's Touchstone is
// written), the band the builder cares about, and whether to find a match.

namespace corvanta::nec {

enum class FeedPort {
    Junction,  // where the lines join
    Radio,     // the feeder's far end, or the balun's output without a feeder
};

struct BandChoice {
    std::string name;  // empty for a range of the user's own
    double fromMHz = 0;
    double toMHz = 0;
};

struct FeedOptions {
    std::optional<FeedChain> chain;
    FeedPort port = FeedPort::Junction;
    // None: the band that holds the design frequency, if one does.
    std::optional<BandChoice> band;
    bool match = false;
};

}  // namespace corvanta::nec
