#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_options.h"
#include "nec/feed_port.h"
#include "nec/feed_readings.h"
#include "nec/json.h"
#include "nec/model_check.h"

// The feed as the builder connects it, read from a finished check, and its
// lines and JSON keys in the report.

namespace corvanta::nec {

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
