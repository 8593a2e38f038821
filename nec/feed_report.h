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

// The radio end of the chain for every sweep point of a loop.
RadioEndReading ReadRadioEnd(const NamedLoop& loop, double designMHz, const FeedChain& chain, double referenceOhm);

// The sweep the band is read on: the radio end when there is one, else
// the loop's best reading at the design frequency.
HeadlineSweep HeadlineOf(const NamedLoop& loop, const std::optional<RadioEndReading>& radio);

// The value at `mhz` by a straight line between the neighbouring points;
// none outside them.
std::optional<double> InterpolatedAt(const std::vector<double>& mhz, const std::vector<double>& values, double mhz0);

BandReading ReadBand(const BandChoice& band, const HeadlineSweep& headline);

// The band the check reports: the one chosen, else the band of the design
// frequency; none between the bands.
std::optional<BandChoice> BandOf(const FeedOptions& options, double designMHz);

// Everything above for a finished check, on the loop its verdict names
// (the measurement's spans included when the measurement was taken at the
// radio through a long feeder).
FeedReport ReadFeed(const ModelCheck& check);

// "4:1 balun, then 10 m of 50 ohm feeder, velocity factor 0.66, 5 dB per
// 100 m".
std::string ChainText(const FeedChain& chain);

// The match's components from the antenna side, "series L 120.5 nH, then
// shunt C 8.25 pF", "none needed (SWR within 1.05)" or "none can match a
// load without resistance"; and its 2:1 range,
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
