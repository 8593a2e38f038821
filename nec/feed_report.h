#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_options.h"
#include "nec/json.h"
#include "nec/match_network.h"
#include "nec/touchstone.h"

// The feed as the builder connects it, read from a finished check: the
// radio end of the feed chain on the reference, the band with the SWR at
// its edges, and the L network that matches the radio end.

namespace corvanta::nec {

struct ModelCheck;

inline constexpr double kSwrFine = 1.5;

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
    std::optional<RadioEndReading> radio;
    std::optional<BandReading> band;
    std::optional<Match> match;
    std::string matchedOn;           // the load the match works on, plain
    std::vector<double> matchedSwr;  // through the match, at every sweep point
    // What the radio sees through the match at every sweep point, on
    // matchedReferenceOhm.
    std::vector<std::complex<double>> matched;
    double matchedReferenceOhm = 50;
    std::optional<ResonanceSpan> velocitySpan, lengthSpan;
};

// The radio end of the chain for every sweep point.
RadioEndReading ReadRadioEnd(const CheckReport& report, const FeedChain& chain, double referenceOhm);

// The headline among the readings and the radio end: the radio end when
// its SWR at the design frequency is no worse than the best reading's by
// more than kSwrTie (the builder connects it as it is); else the index of
// the best reading. None: the radio end.
std::optional<std::size_t> HeadlineWithRadio(const CheckReport& report, std::optional<double> radioSwr);

// The sweep the band is read on: the radio end when there is one, else
// the headline reading.
HeadlineSweep HeadlineOf(const CheckReport& report, const std::optional<RadioEndReading>& radio);

// The value at `mhz` by a straight line between the neighbouring points;
// none outside them.
std::optional<double> InterpolatedAt(const std::vector<double>& mhz, const std::vector<double>& values, double mhz0);

BandReading ReadBand(const BandChoice& band, const HeadlineSweep& headline);

// The band the check reports: the one chosen, else the band of the design
// frequency; none between the bands.
std::optional<BandChoice> BandOf(const FeedOptions& options, double designMHz);

// Everything above for a finished check (the measurement's spans included
// when the measurement was taken at the radio through a long feeder).
FeedReport ReadFeed(const ModelCheck& check);

// The measured impedance at the port, taken back to the lines' junction.
std::complex<double> MeasuredAtJunction(const FeedOptions& options, std::complex<double> measured, double mhz,
                                        double designMHz);

// A sweep measured at the port as it would read at the lines' junction.
OnePortSweep SweepAtJunction(const FeedOptions& options, const OnePortSweep& measured, double designMHz);

// The model's junction impedance as it shows at the port.
std::complex<double> ModelAtPort(const FeedOptions& options, std::complex<double> junction, double mhz,
                                 double designMHz);

// "4:1 balun, then 10 m of 50 ohm feeder, velocity factor 0.66, 5 dB per
// 100 m".
std::string ChainText(const FeedChain& chain);

// The match's components from the antenna side, "series L 120.5 nH, then
// shunt C 8.25 pF", or "none needed (SWR within 1.05)"; and its 2:1 range,
// "144.100 to 147.900 MHz" or "nowhere in the sweep".
std::string MatchText(const Match& match);
std::string MatchRangeText(const Match& match);

// The advice for a measurement taken through a feeder over a wavelength
// long: how far its resonance moves; empty without the spans.
std::string SpansText(const FeedReport& feed);

// The report's lines and JSON keys of the feed.
std::string FeedText(const ModelCheck& check);
void AddFeedJson(Json& json, const ModelCheck& check);

}  // namespace corvanta::nec
