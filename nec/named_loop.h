#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_line.h"
#include "nec/scaled_design.h"

// The loops a check speaks of, each by its name: the design's own, the
// model's tune, and the trim a measurement gives. Every figure of the feed
// (the radio end, the band, the match, the Smith chart's bold curve) is
// read on one of them, the one the verdict tells the builder to cut, so no
// page sets two loops side by side without saying which is which.

namespace corvanta::nec {

// Which lengths the verdict names, in this priority.
enum class CutChoice {
    Trimmed,  // a measurement of the loop gave a trim
    Tuned,    // the model's tune, where the design's resonance is further off than the model is sure
    Design,   // COMPUTE's own lengths
};

std::string_view CutName(CutChoice cut);  // "trimmed", "tuned", "design"

// "the design's loop", "the tuned loop", "the trimmed loop".
std::string_view LoopWords(CutChoice cut);

struct NamedLoop {
    CutChoice name = CutChoice::Design;
    ScaledDesign lengths;
    // Its HEIGHT over the model's: the loop is the model's times this.
    double scale = 1;
    // Its impedances over the check's sweep and at the design frequency.
    // A loop s times the model's size (the conductor as it is) shows at f
    // about what the model shows at s times f: so its sweep is the model's
    // with every frequency divided by s, the gaps' impedances kept and the
    // lines (which are not scaled) worked out again at the new frequency.
    // That leaves out only the conductor's share, which moves the
    // resonance far less than the model's own uncertainty for the few per
    // cent a tune or a trim scales by.
    std::vector<SweepPoint> sweep;
    SweepPoint atDesign;
};

// The model's own loop, as the engine computed it.
NamedLoop DesignLoop(const CheckReport& report);

// The model scaled by `lengths`: at the design frequency `exact` where an
// engine computed that loop there (the tune does), else the model's sweep
// read between its points at s times the design frequency.
NamedLoop ScaledLoop(const CheckReport& report, const LoopModel& model, const FeedLine& line, CutChoice name,
                     const ScaledDesign& lengths, const std::optional<SweepPoint>& exact);

// The point with the given gap impedances at `mhz`, through the lines.
SweepPoint PointOfGaps(double mhz, std::vector<std::complex<double>> gaps, std::complex<double> parallel,
                       const FeedLine& line);

}  // namespace corvanta::nec
