#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_options.h"
#include "nec/match_network.h"
#include "nec/named_loop.h"

// What the feed reads as the builder connects it: the radio end of the feed
// chain on the reference, the band with the SWR at its edges, and the L
// network that matches the radio end.

namespace corvanta::nec {

inline constexpr double kSwrFine = 1.5;

// The feed loss is given to this many decimals in dB, in every output.
inline constexpr int kFeedLossDecimals = 2;

struct RadioEndReading {
    double referenceOhm = 50;
    std::vector<std::complex<double>> sweep;  // at every sweep point
    std::vector<double> swr;
    std::complex<double> atDesign;
    double swrAtDesign = 0;
    std::vector<Range> under2, under15;
    // The SWR on the feeder at its antenna end (against its own impedance);
    // none without a feeder.
    std::optional<double> swrFeederAntennaEnd;
    // 10 log10(P in / P out) of the feeder at the design frequency; 0
    // without one.
    double feedLossDb = 0;
};

// What the headline reads: the radio end, or a reading of kReadings.
struct HeadlineSweep {
    std::string label;  // "radio end on 50 ohm"
    double referenceOhm = 50;
    std::vector<double> mhz;
    std::vector<std::complex<double>> impedance;
    std::vector<double> swr;
    double swrAtDesign = 0;
};

struct BandReading {
    BandChoice band;
    std::string reading;  // the headline's label, plain
    // At the edges, by straight lines between sweep points; none where the
    // sweep does not reach the edge.
    std::optional<double> swrFrom, swrTo;
    std::optional<double> swrMax;  // over the band's part of the sweep
    bool coversBand = false;       // the sweep holds both edges
    std::vector<Range> under2, under15;
};

// How far the measured resonance moves when the feeder's velocity factor
// or length is off a little: a feeder over a wavelength long makes the
// measurement at the radio hang on both.
inline constexpr double kSpanVelocityFactor = 0.01;
inline constexpr double kSpanLengthM = 0.02;

struct ResonanceSpan {
    double fromMHz = 0;
    double toMHz = 0;
};

struct FeedReport {
    // The loop every figure below belongs to: the one the verdict names.
    NamedLoop loop;
    std::optional<RadioEndReading> radio;
    // The design's own loop at the radio, for the figures of the design
    // (the sweep's table, "at_design"); the same as `radio` when the
    // verdict names the design.
    std::optional<RadioEndReading> designRadio;
    std::optional<BandReading> band;
    std::optional<Match> match;
    std::string matchedOn;           // the load the match works on, plain
    std::vector<double> matchedSwr;  // through the match, at every sweep point
    // What the radio sees through the match at every sweep point, on
    // matchedReferenceOhm.
    std::vector<std::complex<double>> matched;
    double matchedReferenceOhm = 50;
    std::optional<ResonanceSpan> velocitySpan, lengthSpan;
    // What the builder should know of the feed as connected.
    std::vector<std::string> notes;
};

}  // namespace corvanta::nec
