#include "nec/feed_report.h"

#include <algorithm>
#include <cmath>

#include "core/amateur_bands.h"
#include "nec/dense_curve.h"
#include "nec/headline.h"
#include "nec/measurement.h"
#include "nec/model_check.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"

namespace corvanta::nec {

namespace {

constexpr double kLightMetreMHz = 299.792458;  // c in metres times MHz

std::vector<double> MhzOf(const std::vector<SweepPoint>& sweep) {
    std::vector<double> mhz;
    for (const SweepPoint& p : sweep) mhz.push_back(p.mhz);
    return mhz;
}

Json ImpedanceJson(std::complex<double> z) { return {{"r", JsonNumber(z.real(), 4)}, {"x", JsonNumber(z.imag(), 4)}}; }

Json RangesOf(const std::vector<Range>& ranges) {
    Json json = Json::array();
    for (const Range& r : ranges) json.push_back(Json::array({JsonNumber(r.fromMHz, 4), JsonNumber(r.toMHz, 4)}));
    return json;
}

std::string BalunText(double ratio) { return Trimmed(ratio, 3) + ":1 balun"; }

// The resonance the measurement shows through a chain a little off the
// one given: the measured impedance at the radio taken back through it.
std::optional<double> ResonanceThrough(const ModelCheck& check, const FeedChain& chain) {
    const Measurement& m = *check.measured;
    const double design = check.plan.model.designMHz;
    std::vector<double> mhz, reactance;
    for (const MeasuredPoint& p : m.points) {
        const auto radio = ModelAtPort(check.plan.feed, p.junction, p.mhz, design);
        const auto junction = JunctionOf(radio, chain, p.mhz, design);
        const auto gap = LineLoad(static_cast<double>(check.plan.model.sides) * junction, check.plan.line, p.mhz);
        mhz.push_back(p.mhz);
        reactance.push_back(gap.imag());
    }
    return NearestTo(RisingZeroCrossings(mhz, reactance), design);
}

std::optional<ResonanceSpan> SpanOf(const ModelCheck& check, double Feeder::*field, double step) {
    FeedChain chain = *check.plan.feed.chain;
    const double given = (*chain.feeder).*field;
    std::optional<ResonanceSpan> span;
    for (double sign : {-1.0, 1.0}) {
        ((*chain.feeder).*field) = given + sign * step;
        const auto resonance = ResonanceThrough(check, chain);
        if (!resonance) return std::nullopt;
        if (!span) span = ResonanceSpan{*resonance, *resonance};
        span->fromMHz = std::min(span->fromMHz, *resonance);
        span->toMHz = std::max(span->toMHz, *resonance);
    }
    return span;
}

}  // namespace

RadioEndReading ReadRadioEnd(const NamedLoop& loop, double design, const FeedChain& chain, double referenceOhm) {
    RadioEndReading r;
    r.referenceOhm = referenceOhm;
    for (const SweepPoint& p : loop.sweep) {
        r.sweep.push_back(RadioEnd(p.lines, chain, p.mhz, design));
        r.swr.push_back(Swr(r.sweep.back(), referenceOhm));
    }
    r.atDesign = RadioEnd(loop.atDesign.lines, chain, design, design);
    r.swrAtDesign = Swr(r.atDesign, referenceOhm);
    const std::vector<double> mhz = MhzOf(loop.sweep);
    r.under2 = RangesUnder(mhz, r.swr, kSwrLimit);
    r.under15 = RangesUnder(mhz, r.swr, kSwrFine);
    if (chain.feeder) {
        const std::complex<double> balun = loop.atDesign.lines / chain.balunRatio;
        r.swrFeederAntennaEnd = Swr(balun, chain.feeder->impedanceOhm);
        r.feedLossDb = FeederLossDb(balun, *chain.feeder, design, design);
    }
    return r;
}

std::string RadioEndLabel(double referenceOhm, Medium medium) {
    return "radio end on " + Trimmed(referenceOhm, 3) + " " + std::string(OhmUnit(medium));
}

HeadlineSweep HeadlineOf(const NamedLoop& loop, const std::optional<RadioEndReading>& radio) {
    HeadlineSweep h;
    h.mhz = MhzOf(loop.sweep);
    // What the builder connects is the radio end wherever there is one.
    if (radio) {
        h.label = RadioEndLabel(radio->referenceOhm, Medium::Plain);
        h.referenceOhm = radio->referenceOhm;
        h.impedance = radio->sweep;
        h.swr = radio->swr;
        h.swrAtDesign = radio->swrAtDesign;
        return h;
    }
    const std::size_t best = BestReading(loop.atDesign.swr);
    const Reading& reading = kReadings[best];
    h.label = ReadingLabel(reading, Medium::Plain);
    h.referenceOhm = reading.referenceOhm;
    for (const SweepPoint& p : loop.sweep) {
        h.impedance.push_back(p.At(reading.point));
        h.swr.push_back(p.swr[best]);
    }
    h.swrAtDesign = loop.atDesign.swr[best];
    return h;
}

std::optional<double> InterpolatedAt(const std::vector<double>& mhz, const std::vector<double>& values, double at) {
    for (std::size_t i = 0; i + 1 < mhz.size(); ++i) {
        if (at < mhz[i] || at > mhz[i + 1]) continue;
        const double span = mhz[i + 1] - mhz[i];
        if (!(span > 0)) return values[i];
        const double t = (at - mhz[i]) / span;
        return values[i] + t * (values[i + 1] - values[i]);
    }
    if (mhz.size() == 1 && mhz[0] == at) return values[0];
    return std::nullopt;
}

BandReading ReadBand(const BandChoice& band, const HeadlineSweep& headline) {
    BandReading b;
    b.band = band;
    b.reading = headline.label;
    b.swrFrom = InterpolatedAt(headline.mhz, headline.swr, band.fromMHz);
    b.swrTo = InterpolatedAt(headline.mhz, headline.swr, band.toMHz);
    b.coversBand = b.swrFrom && b.swrTo;
    // The edges and every sweep point between them.
    std::vector<double> inside;
    if (b.swrFrom) inside.push_back(*b.swrFrom);
    if (b.swrTo) inside.push_back(*b.swrTo);
    for (std::size_t i = 0; i < headline.mhz.size(); ++i) {
        if (headline.mhz[i] >= band.fromMHz && headline.mhz[i] <= band.toMHz) inside.push_back(headline.swr[i]);
    }
    if (!inside.empty()) b.swrMax = *std::max_element(inside.begin(), inside.end());
    b.under2 = RangesUnder(headline.mhz, headline.swr, kSwrLimit);
    b.under15 = RangesUnder(headline.mhz, headline.swr, kSwrFine);
    return b;
}

std::optional<BandChoice> BandOf(const FeedOptions& options, double designMHz) {
    if (options.band) return options.band;
    const std::optional<Band> band = BandHolding(designMHz);
    if (!band) return std::nullopt;
    return BandChoice{std::string(band->name), band->LowMHz(), band->HighMHz()};
}

namespace {

// What the builder should know of the feed as connected: a radio end, or
// with none every feed at the lines' junction, over 2:1 at the design
// frequency.
std::vector<std::string> FeedNotes(const FeedReport& feed, double design) {
    const std::string loop(LoopWords(feed.loop.name));
    if (feed.radio) {
        if (feed.radio->swrAtDesign < kSwrLimit) return {};
        return {"the radio end of " + loop + " is over 2:1 at the design frequency " + Trimmed(design, 6) +
                " MHz (SWR " + SwrText(feed.radio->swrAtDesign) + " on " + Trimmed(feed.radio->referenceOhm, 3) +
                " ohm)"};
    }
    std::vector<std::string> over;
    for (std::size_t i : ReadingsAt(FeedPoint::Junction)) {
        if (!(feed.loop.atDesign.swr[i] < kSwrLimit)) over.push_back(ReferenceText(kReadings[i], Medium::Plain));
    }
    if (over.empty()) return {};
    std::string list;
    for (std::size_t i = 0; i < over.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == over.size() ? " or " : ", ") + over[i];
    }
    return {"no 2:1 range of the lines' junction of " + loop + " reaches the design frequency " + Trimmed(design, 6) +
            " MHz on " + list};
}

}  // namespace

FeedReport ReadFeed(const ModelCheck& check) {
    FeedReport feed;
    const FeedOptions& options = check.plan.feed;
    const CheckReport& report = check.report;
    const double design = report.designMHz;
    feed.loop = VerdictLoop(check);
    if (options.chain) {
        feed.radio = ReadRadioEnd(feed.loop, design, *options.chain, check.plan.referenceOhm);
        feed.designRadio = feed.loop.name == CutChoice::Design
                               ? feed.radio
                               : ReadRadioEnd(DesignLoop(report), design, *options.chain, check.plan.referenceOhm);
    }
    const HeadlineSweep headline = HeadlineOf(feed.loop, feed.radio);
    if (const auto band = BandOf(options, design)) feed.band = ReadBand(*band, headline);
    if (options.match) {
        // At the radio end; without a chain, after the usual 4:1 balun.
        const double reference = check.plan.referenceOhm;
        std::vector<std::complex<double>> loads;
        std::complex<double> atDesign;
        for (const SweepPoint& p : feed.loop.sweep) loads.push_back(MatchLoad(p, options, design));
        if (feed.radio) {
            atDesign = feed.radio->atDesign;
            feed.matchedOn = RadioEndLabel(reference, Medium::Plain);
        } else {
            atDesign = MatchLoad(feed.loop.atDesign, options, design);
            feed.matchedOn = "lines' junction through a 4:1 balun on " + Trimmed(reference, 3) + " ohm";
        }
        const std::vector<double> mhz = MhzOf(feed.loop.sweep);
        feed.match = ChooseMatch(mhz, loads, atDesign, design, reference);
        for (std::size_t i = 0; i < loads.size(); ++i) {
            feed.matched.push_back(ThroughMatch(loads[i], *feed.match, mhz[i]));
            feed.matchedSwr.push_back(Swr(feed.matched.back(), reference));
        }
        feed.matchedReferenceOhm = reference;
    }
    if (check.measured && options.port == FeedPort::Radio && options.chain && options.chain->feeder) {
        const Feeder& f = *options.chain->feeder;
        const double wavelength = kLightMetreMHz * f.velocityFactor / design;
        if (f.lengthM > wavelength) {
            feed.velocitySpan = SpanOf(check, &Feeder::velocityFactor, kSpanVelocityFactor);
            feed.lengthSpan = SpanOf(check, &Feeder::lengthM, kSpanLengthM);
        }
    }
    feed.notes = FeedNotes(feed, design);
    return feed;
}

std::string ChainText(const FeedChain& chain) {
    std::string text = BalunText(chain.balunRatio);
    if (chain.feeder) {
        const Feeder& f = *chain.feeder;
        text += ", then " + Trimmed(f.lengthM, 3) + " m of " + Trimmed(f.impedanceOhm, 3) +
                " ohm feeder, velocity factor " + Trimmed(f.velocityFactor, 3) + ", " + Trimmed(f.lossDbPer100m, 3) +
                " dB per 100 m";
    }
    return text;
}

std::string MatchText(const Match& match) {
    if (match.arrangement == Match::Arrangement::None) {
        return match.needed ? "none can match a load without resistance" : "none needed (SWR within 1.05)";
    }
    std::string text;
    for (std::size_t i = 0; i < match.components.size(); ++i) {
        const MatchComponent& c = match.components[i];
        text += (i ? ", then " : "") +
                std::string(c.position == MatchComponent::Position::Series ? "series " : "shunt ") +
                (c.inductor ? "L " + Trimmed(c.value, 1) + " nH" : "C " + Trimmed(c.value, 2) + " pF");
    }
    return text;
}

std::string MatchRangeText(const Match& match) {
    return match.under2FromMHz && match.under2ToMHz
               ? MhzText(*match.under2FromMHz) + " to " + MhzText(*match.under2ToMHz) + " MHz"
               : std::string("nowhere in the sweep");
}

std::string SpansText(const FeedReport& feed) {
    if (!feed.velocitySpan && !feed.lengthSpan) return {};
    std::string text = "measured through a feeder over a wavelength long: the resonance moves";
    if (feed.velocitySpan) {
        text += " " + MhzText(feed.velocitySpan->fromMHz) + " to " + MhzText(feed.velocitySpan->toMHz) +
                " MHz with the velocity factor +/-0.01";
    }
    if (feed.lengthSpan) {
        text += std::string(feed.velocitySpan ? " and" : "") + " " + MhzText(feed.lengthSpan->fromMHz) + " to " +
                MhzText(feed.lengthSpan->toMHz) + " MHz with the length +/-2 cm";
    }
    return text + "; measure at the balun for a resonance that does not hang on them";
}

namespace {

std::string OptionalSwr(const std::optional<double>& swr) { return swr ? SwrText(*swr) : "outside the sweep"; }

}  // namespace

std::string FeedText(const ModelCheck& check) {
    const FeedReport& feed = check.feed;
    const FeedOptions& options = check.plan.feed;
    const std::string loop(LoopWords(feed.loop.name));
    std::string text;
    if (feed.radio && options.chain) {
        const RadioEndReading& r = *feed.radio;
        const FeedChain& chain = *options.chain;
        text += "feed chain: " + ChainText(chain);
        text += "\n  radio end of " + loop + ": " + ImpedanceWords(r.atDesign, Medium::Plain) + "; SWR " +
                SwrText(r.swrAtDesign) + " on " + Trimmed(r.referenceOhm, 3) + " ohm\n";
        if (feed.designRadio && feed.loop.name != CutChoice::Design) {
            text += "  radio end of the design's loop: " + ImpedanceWords(feed.designRadio->atDesign, Medium::Plain) +
                    "; SWR " + SwrText(feed.designRadio->swrAtDesign) + "\n";
        }
        if (r.swrFeederAntennaEnd) {
            text += "  SWR on the feeder at its antenna end " + SwrText(*r.swrFeederAntennaEnd) + "; feed loss " +
                    Fixed(r.feedLossDb, kFeedLossDecimals) + " dB\n";
        }
        text += "  radio end under 2:1: " + RangesText(r.under2) + "\n";
        text += "  radio end under 1.5:1: " + RangesText(r.under15) + "\n";
    }
    if (feed.band) {
        const BandReading& b = *feed.band;
        text += "band " + (b.band.name.empty() ? std::string("of your own") : b.band.name) + ", " +
                MhzText(b.band.fromMHz) + " to " + MhzText(b.band.toMHz) + " MHz, on the " + b.reading + " of " + loop +
                ":\n";
        text += "  SWR " + OptionalSwr(b.swrFrom) + " at the low edge, " + OptionalSwr(b.swrTo) + " at the high edge" +
                (b.swrMax ? ", at most " + SwrText(*b.swrMax) : std::string()) + "\n";
        text += "  under 2:1: " + RangesText(b.under2) + "; under 1.5:1: " + RangesText(b.under15) + "\n";
    }
    if (feed.match) {
        const Match& m = *feed.match;
        text += "match at the " + feed.matchedOn + " of " + loop + ", from the antenna side: " + MatchText(m) + "\n";
        text += "  matched SWR under 2:1: " + MatchRangeText(m) + "\n";
    }
    if (const std::string spans = SpansText(feed); !spans.empty()) text += spans + "\n";
    return text;
}

void AddFeedJson(Json& json, const ModelCheck& check) {
    const FeedReport& feed = check.feed;
    const std::string loop(CutName(feed.loop.name));
    // The top-level figures and the sweep's rows are the design's loop's,
    // as the sweep is; each other loop carries its own beside its lengths.
    if (feed.designRadio) {
        const RadioEndReading& r = *feed.designRadio;
        json["at_design"]["radio"] = ImpedanceJson(r.atDesign);
        json["at_design"]["swr_radio"] = JsonNumber(r.swrAtDesign, 4);
        json["under_2_radio"] = RangesOf(r.under2);
        json["under_1_5_radio"] = RangesOf(r.under15);
        json["swr_feeder_antenna_end"] = JsonNumber(r.swrFeederAntennaEnd, 4);
        json["feed_loss_db"] = JsonNumber(r.feedLossDb, kFeedLossDecimals);
        if (json.contains("sweep")) {
            for (std::size_t i = 0; i < r.sweep.size() && i < json["sweep"].size(); ++i) {
                json["sweep"][i]["radio"] = ImpedanceJson(r.sweep[i]);
                json["sweep"][i]["swr_radio"] = JsonNumber(r.swr[i], 4);
            }
        }
    }
    if (feed.band) {
        const BandReading& b = *feed.band;
        json["band"] = {{"name", b.band.name.empty() ? Json(nullptr) : Json(b.band.name)},
                        {"from_mhz", JsonNumber(b.band.fromMHz, 4)},
                        {"to_mhz", JsonNumber(b.band.toMHz, 4)},
                        {"swr_from", JsonNumber(b.swrFrom, 4)},
                        {"swr_to", JsonNumber(b.swrTo, 4)},
                        {"swr_max", JsonNumber(b.swrMax, 4)},
                        {"reading", b.reading},
                        {"loop", loop}};
    }
    if (feed.match) {
        const Match& m = *feed.match;
        Json match;
        match["arrangement"] = m.arrangement == Match::Arrangement::None          ? "none"
                               : m.arrangement == Match::Arrangement::SeriesFirst ? "series-first"
                                                                                  : "shunt-first";
        match["components"] = Json::array();
        for (const MatchComponent& c : m.components) {
            match["components"].push_back(
                {{"position", c.position == MatchComponent::Position::Series ? "series" : "shunt"},
                 {"kind", c.inductor ? "L" : "C"},
                 {"value", JsonNumber(c.value, c.inductor ? 1 : 2)},
                 {"unit", c.inductor ? "nH" : "pF"}});
        }
        match["under_2_mhz"] = m.under2FromMHz && m.under2ToMHz
                                   ? Json::array({JsonNumber(*m.under2FromMHz, 4), JsonNumber(*m.under2ToMHz, 4)})
                                   : Json(nullptr);
        match["needed"] = m.needed || m.arrangement != Match::Arrangement::None;
        match["loop"] = loop;
        json["match"] = match;
    }
    // The radio end of the tuned and the trimmed loop beside their lengths.
    if (const auto& chain = check.plan.feed.chain) {
        const double design = check.report.designMHz;
        const auto radioJson = [&](Json& where, const SweepPoint& atDesign) {
            const std::complex<double> radio = RadioEnd(atDesign.lines, *chain, design, design);
            where["radio"] = ImpedanceJson(radio);
            where["swr_radio"] = JsonNumber(Swr(radio, check.plan.referenceOhm), 4);
        };
        const auto& tuned = check.report.tuned;
        if (tuned && tuned->atDesign && json.contains("tuned") && json["tuned"].is_object()) {
            radioJson(json["tuned"], *tuned->atDesign);
        }
        if (feed.loop.name == CutChoice::Trimmed && json.contains("measured") &&
            json["measured"]["trimmed"].is_object()) {
            radioJson(json["measured"]["trimmed"], feed.loop.atDesign);
        }
    }
    if (feed.loop.name == CutChoice::Trimmed && json.contains("measured") && json["measured"]["trimmed"].is_object()) {
        for (std::size_t i = 0; i < kReadingCount; ++i) {
            if (kReadings[i].buildable) {
                json["measured"]["trimmed"][std::string(kReadings[i].swrKey)] =
                    JsonNumber(feed.loop.atDesign.swr[i], 4);
            }
        }
    }
    for (const std::string& note : feed.notes) json["notes"].push_back(note);
    if (feed.velocitySpan) {
        json["measured_resonance_span_velocity_factor_mhz"] = {JsonNumber(feed.velocitySpan->fromMHz, 4),
                                                               JsonNumber(feed.velocitySpan->toMHz, 4)};
    }
    if (feed.lengthSpan) {
        json["measured_resonance_span_length_mhz"] = {JsonNumber(feed.lengthSpan->fromMHz, 4),
                                                      JsonNumber(feed.lengthSpan->toMHz, 4)};
    }
}

}  // namespace corvanta::nec
