// The feed as the builder connects it, read from a check: the radio end,
// the measurement taken there and undone, the band's edges and the match,
// against closed forms and independent cascades rather than the code.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "nec/check_request.h"
#include "nec/feed_line.h"
#include "nec/feed_report.h"
#include "nec/headline.h"
#include "nec/measurement.h"
#include "nec/model_check.h"
#include "nec/touchstone.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;

// A series circuit of 120 ohm resonating at `resonanceMHz`, its reactance
// rising by about 20 ohm a MHz there.
Z LoopGap(double mhz, double resonanceMHz) {
    const double l = 20.0 / (4 * std::numbers::pi * 1e6);
    const double w = 2 * std::numbers::pi * mhz * 1e6, w0 = 2 * std::numbers::pi * resonanceMHz * 1e6;
    return {120, w * l - w0 * w0 * l / w};
}

SweepPoint PointAt(const ModelCheck& check, double mhz, double resonanceMHz) {
    SweepPoint point;
    point.mhz = mhz;
    point.gaps.assign(3, LoopGap(mhz, resonanceMHz));
    point.lines = Junction(point.gaps, check.plan.line, mhz);
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        point.swr[i] = Swr(point.At(kReadings[i].point), kReadings[i].referenceOhm);
    }
    return point;
}

// The three-sided 146 MHz loop on its matching lines, resonating at 142 MHz.
ModelCheck Check(const FeedOptions& feed) {
    ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 146;
    check.plan.model.heightMm = 718.233;
    check.plan.model.sideMm = 266.718;
    check.plan.model.gapMm = 9.67;
    check.plan.line = {300, 0.82, 421.2329};
    check.plan.feed = feed;
    check.report.designMHz = 146;
    for (int i = 0; i <= 160; ++i) check.report.sweep.push_back(PointAt(check, 120 + 0.5 * i, 142));
    check.report.atDesign = PointAt(check, 146, 142);
    return check;
}

FeedOptions Chain(double balun, std::optional<Feeder> feeder, FeedPort port = FeedPort::Junction) {
    FeedOptions options;
    options.chain = FeedChain{balun, feeder};
    options.port = port;
    return options;
}

// The model's own sweep read back as an analyser at `port` would show it.
OnePortSweep AsMeasured(const ModelCheck& check) {
    OnePortSweep sweep;
    sweep.referenceOhm = 50;
    for (const SweepPoint& p : check.report.sweep) {
        sweep.mhz.push_back(p.mhz);
        sweep.reflection.push_back(ReflectionOf(ModelAtPort(check.plan.feed, p.lines, p.mhz, 146), 50));
    }
    return sweep;
}

TEST(FeedReport, AMeasurementAtTheRadioGivesTheModelsResonanceBack) {
    const Feeder coax{50, 0.66, 10, 5};
    const struct {
        const char* name;
        FeedOptions feed;
    } cases[] = {
        {"4:1 balun and 10 m of coax", Chain(4, coax, FeedPort::Radio)},
        {"1:1 balun and 10 m of coax", Chain(1, coax, FeedPort::Radio)},
        {"4:1 balun alone", Chain(4, std::nullopt, FeedPort::Radio)},
        {"9:1 balun and 3 m of lossy 75 ohm", Chain(9, Feeder{75, 0.82, 3, 20}, FeedPort::Radio)},
        {"at the junction", Chain(4, coax, FeedPort::Junction)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ModelCheck check = Check(c.feed);
        const Measurement m = CompareMeasurement(check, AsMeasured(check), "round-trip.s1p");
        ASSERT_TRUE(m.resonanceMHz);
        EXPECT_NEAR(*m.resonanceMHz, 142, 142 * 0.0005);
        ASSERT_TRUE(m.modelResonanceMHz);
        EXPECT_NEAR(*m.resonanceMHz, *m.modelResonanceMHz, *m.modelResonanceMHz * 0.0005);
    }
    // Read as if taken at the junction, the same file misses the resonance.
    ModelCheck radio = Check(Chain(4, coax, FeedPort::Radio));
    const OnePortSweep file = AsMeasured(radio);
    radio.plan.feed.port = FeedPort::Junction;
    const Measurement wrong = CompareMeasurement(radio, file, "round-trip.s1p");
    EXPECT_FALSE(wrong.resonanceMHz && std::abs(*wrong.resonanceMHz - 142) < 0.5);
}

// A file loaded at the wrong port gets no trim; the library says which
// port it fits at, and nothing where the port given is right or there is
// no chain to tell the ports apart.
TEST(FeedReport, TheOtherPortIsNamedWhereTheFileFitsThere) {
    const Feeder coax{50, 0.66, 3, 5};
    const struct {
        const char* name;
        FeedOptions takenAt;  // the feed the file was measured through
        std::optional<FeedPort> loadedAs;
        std::optional<FeedPort> fits;
    } cases[] = {
        {"taken at the junction, loaded as the radio end's", Chain(4, coax, FeedPort::Junction), FeedPort::Radio,
         FeedPort::Junction},
        {"taken at the radio end, loaded as the junction's", Chain(4, coax, FeedPort::Radio), FeedPort::Junction,
         FeedPort::Radio},
        {"the right port", Chain(4, coax, FeedPort::Radio), std::nullopt, std::nullopt},
        {"no chain", FeedOptions{}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModelCheck check = Check(c.takenAt);
        check.measuredSweep = AsMeasured(check);
        check.measuredSource = "loop.s1p";
        if (c.loadedAs) check.plan.feed.port = *c.loadedAs;
        Conclude(check);
        ASSERT_TRUE(check.measured);
        EXPECT_EQ(check.measured->trim.has_value(), !c.loadedAs.has_value());
        EXPECT_EQ(PortThatFits(check), c.fits);
    }
}

// 10 m of coax at 146 MHz is seven wavelengths: a measurement at the radio
// hangs on the feeder's velocity factor and length, and says how much; a
// short feeder or none does not.
TEST(FeedReport, ALongFeederSpreadsTheMeasuredResonance) {
    const struct {
        const char* name;
        FeedOptions feed;
        bool spans;
    } cases[] = {
        {"10 m of coax", Chain(4, Feeder{50, 0.66, 10, 5}, FeedPort::Radio), true},
        {"1 m of coax", Chain(4, Feeder{50, 0.66, 1, 5}, FeedPort::Radio), false},
        {"no feeder", Chain(4, std::nullopt, FeedPort::Radio), false},
        {"measured at the junction", Chain(4, Feeder{50, 0.66, 10, 5}, FeedPort::Junction), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModelCheck check = Check(c.feed);
        check.measured = CompareMeasurement(check, AsMeasured(check), "round-trip.s1p");
        const FeedReport feed = ReadFeed(check);
        EXPECT_EQ(feed.velocitySpan.has_value(), c.spans);
        EXPECT_EQ(feed.lengthSpan.has_value(), c.spans);
        if (!c.spans) continue;
        for (const ResonanceSpan& span : {*feed.velocitySpan, *feed.lengthSpan}) {
            EXPECT_LT(span.fromMHz, 142);
            EXPECT_GT(span.toMHz, 142);
        }
        // 0.01 in 0.66 moves the feeder's electrical length by 1.5 %, 2 cm
        // in 10 m by 0.2 %: the velocity factor matters more.
        EXPECT_GT(feed.velocitySpan->toMHz - feed.velocitySpan->fromMHz,
                  feed.lengthSpan->toMHz - feed.lengthSpan->fromMHz);
    }
}

TEST(FeedReport, AMatchedChainShowsTheReferenceAndLosesTheFeedersLoss) {
    // A junction of 200 ohm everywhere: through 4:1 onto 50 ohm coax.
    CheckReport report;
    report.designMHz = 146;
    for (double mhz : {140.0, 146.0, 152.0}) {
        SweepPoint p;
        p.mhz = mhz;
        p.lines = 200;
        report.sweep.push_back(p);
    }
    report.atDesign = report.sweep[1];
    const RadioEndReading r = ReadRadioEnd(DesignLoop(report), 146, FeedChain{4, Feeder{50, 0.66, 10, 5}}, 50);
    EXPECT_LT(std::abs(r.atDesign - Z(50)), 1e-9);
    EXPECT_NEAR(r.swrAtDesign, 1, 1e-9);
    ASSERT_TRUE(r.swrFeederAntennaEnd);
    EXPECT_NEAR(*r.swrFeederAntennaEnd, 1, 1e-9);
    EXPECT_NEAR(r.feedLossDb, 5.0 * 10 / 100, 1e-3);
    ASSERT_EQ(r.under2.size(), 1U);
    EXPECT_FALSE(r.under2[0].fromMHz);  // open at both sweep ends
    EXPECT_FALSE(r.under2[0].toMHz);

    // Without a feeder the radio sits at the balun: no feeder SWR, no loss.
    const RadioEndReading bare = ReadRadioEnd(DesignLoop(report), 146, FeedChain{9, std::nullopt}, 50);
    EXPECT_LT(std::abs(bare.atDesign - Z(200.0 / 9)), 1e-12);
    EXPECT_NEAR(bare.swrAtDesign, 50 / (200.0 / 9), 1e-12);
    EXPECT_FALSE(bare.swrFeederAntennaEnd);
    EXPECT_EQ(bare.feedLossDb, 0);
}

TEST(FeedReport, TheBandsEdgesByStraightLines) {
    HeadlineSweep h;
    h.label = "radio end on 50 ohm";
    h.mhz = {140, 144, 148, 152};
    h.swr = {3.0, 1.4, 1.8, 2.6};
    const struct {
        const char* name;
        BandChoice band;
        std::optional<double> from, to, max;
    } cases[] = {
        {"2m", {"2m", 144, 148}, 1.4, 1.8, 1.8},
        {"within two points", {"", 142, 150}, 2.2, 2.2, 2.2},
        {"one edge outside", {"", 146, 160}, 1.6, std::nullopt, 2.6},
        {"wholly outside", {"", 160, 170}, std::nullopt, std::nullopt, std::nullopt},
        {"the sweep's own ends", {"", 140, 152}, 3.0, 2.6, 3.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BandReading b = ReadBand(c.band, h);
        EXPECT_EQ(b.swrFrom.has_value(), c.from.has_value());
        EXPECT_EQ(b.swrTo.has_value(), c.to.has_value());
        EXPECT_EQ(b.swrMax.has_value(), c.max.has_value());
        if (c.from) {
            EXPECT_NEAR(*b.swrFrom, *c.from, 1e-12);
        }
        if (c.to) {
            EXPECT_NEAR(*b.swrTo, *c.to, 1e-12);
        }
        if (c.max) {
            EXPECT_NEAR(*b.swrMax, *c.max, 1e-12);
        }
        EXPECT_EQ(b.coversBand, c.from && c.to);
    }
}

TEST(FeedReport, TheDefaultBandIsTheDesignFrequencysAndAChosenOneWins) {
    FeedOptions options;
    EXPECT_EQ(BandOf(options, 146)->name, "2m");
    EXPECT_EQ(BandOf(options, 14.35)->name, "20m");  // the band's top edge belongs to it
    EXPECT_FALSE(BandOf(options, 100));
    options.band = BandChoice{"", 50, 54};
    EXPECT_EQ(BandOf(options, 146)->fromMHz, 50);
    EXPECT_EQ(BandOf(options, 146)->toMHz, 54);
}

TEST(FeedReport, TheBestFeedAtTheJunction) {
    const std::size_t lines50 = ReadingIndex("swr_lines_50"), balun = ReadingIndex("swr_lines_200"),
                      lines300 = ReadingIndex("swr_lines_300"), gap = ReadingIndex("swr_gap_300");
    const struct {
        const char* name;
        double s50, s200, s300, sGap;
        std::size_t expected;
    } cases[] = {
        {"50 ohm best", 1.2, 1.8, 3.0, 1.0, lines50},
        {"a tie goes to the balun", 1.5, 1.54, 3.0, 1.0, balun},
        {"300 ohm best", 6.0, 1.6, 1.1, 1.0, lines300},
        {"the gap is never built", 3.0, 2.0, 2.5, 1.0, balun},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CheckReport report;
        report.atDesign.swr.fill(9);
        report.atDesign.swr[lines50] = c.s50;
        report.atDesign.swr[balun] = c.s200;
        report.atDesign.swr[lines300] = c.s300;
        report.atDesign.swr[gap] = c.sGap;
        EXPECT_EQ(BestReading(report.atDesign.swr), c.expected);
    }
}

// The matched radio end cascaded by hand: a series reactance adds, a shunt
// susceptance adds to the admittance, each at the component's own value.
Z Cascade(Z load, const Match& match, double mhz) {
    for (const MatchComponent& c : match.components) {
        const double w = 2 * std::numbers::pi * mhz * 1e6;
        const double x = c.inductor ? w * c.value * 1e-9 : -1 / (w * c.value * 1e-12);
        if (c.position == MatchComponent::Position::Series) load += Z(0, x);
        else load = 1.0 / (1.0 / load + 1.0 / Z(0, x));
    }
    return load;
}

TEST(FeedReport, TheMatchBringsTheFeedTo1To1) {
    const struct {
        const char* name;
        FeedOptions feed;
    } cases[] = {
        {"no chain: after a 4:1 balun", FeedOptions{}},
        {"4:1 and 10 m of coax", Chain(4, Feeder{50, 0.66, 10, 5})},
        {"1:1 balun only", Chain(1, std::nullopt)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FeedOptions feed = c.feed;
        feed.match = true;
        ModelCheck check = Check(feed);
        check.plan.referenceOhm = 50;
        const FeedReport report = ReadFeed(check);
        ASSERT_TRUE(report.match);
        const Z load = report.radio ? report.radio->atDesign : check.report.atDesign.lines / 4.0;
        if (report.match->arrangement == Match::Arrangement::None) {
            EXPECT_LE(Swr(load, 50), kNoMatchSwr);
            continue;
        }
        EXPECT_FALSE(report.match->components.empty());
        EXPECT_NEAR(Swr(Cascade(load, *report.match, 146), 50), 1, 1e-6);
        ASSERT_EQ(report.matchedSwr.size(), check.report.sweep.size());
    }
}

TEST(FeedReport, PlainChecksReportOnlyTheBand) {
    ModelCheck check = Check(FeedOptions{});
    check.feed = ReadFeed(check);
    EXPECT_FALSE(check.feed.radio);
    EXPECT_FALSE(check.feed.match);
    ASSERT_TRUE(check.feed.band);
    // Without a chain the band is read on the headline reading: here the
    // 4:1 balun, the best of the junction's.
    EXPECT_EQ(check.feed.band->reading, "lines' junction on 200 ohm (4:1 balun)");
    Json json = Json::object();
    AddFeedJson(json, check);
    EXPECT_TRUE(json.contains("band"));
    for (const char* key : {"match", "under_2_radio", "feed_loss_db"}) EXPECT_FALSE(json.contains(key)) << key;

    // Between the bands there is no band to read.
    check.plan.model.designMHz = check.report.designMHz = 100;
    check.feed = ReadFeed(check);
    EXPECT_FALSE(check.feed.band);
}

TEST(FeedReport, TheJsonKeysOfTheRadioEndTheBandAndTheMatch) {
    FeedOptions feed = Chain(4, Feeder{50, 0.66, 10, 5});
    feed.match = true;
    ModelCheck check = Check(feed);
    check.feed = ReadFeed(check);
    Json json = {{"at_design", Json::object()}, {"sweep", Json::array()}};
    for (std::size_t i = 0; i < check.report.sweep.size(); ++i) json["sweep"].push_back(Json::object());
    AddFeedJson(json, check);
    EXPECT_TRUE(json["at_design"].contains("radio"));
    EXPECT_TRUE(json["at_design"]["radio"].contains("r"));
    EXPECT_TRUE(json["at_design"].contains("swr_radio"));
    EXPECT_TRUE(json["sweep"][0].contains("radio"));
    EXPECT_TRUE(json["sweep"][0].contains("swr_radio"));
    for (const char* key :
         {"under_2_radio", "under_1_5_radio", "swr_feeder_antenna_end", "feed_loss_db", "band", "match"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }
    EXPECT_EQ(json["band"]["name"], "2m");
    for (const char* key : {"name", "from_mhz", "to_mhz", "swr_from", "swr_to", "swr_max"}) {
        EXPECT_TRUE(json["band"].contains(key)) << key;
    }
    for (const char* key : {"arrangement", "components", "under_2_mhz"})
        EXPECT_TRUE(json["match"].contains(key)) << key;
    EXPECT_NEAR(json["feed_loss_db"].get<double>(),
                FeederLossDb(check.report.atDesign.lines / 4.0, *feed.chain->feeder, 146, 146), 0.005);
}

}  // namespace
}  // namespace corvanta::nec

namespace corvanta::nec {
namespace {

// Every figure of the feed belongs to the loop the verdict names. The
// made-up loop resonates at 142 MHz; scaled by 142/146 it resonates at the
// design frequency, and a loop s times the size shows at f what the model
// shows at s times f: its gap at the band's edges is worked here from the
// circuit itself, not from the library's sweep.
TEST(FeedReport, EveryFigureIsOfTheVerdictsLoop) {
    const double s = 142.0 / 146;
    const struct {
        const char* name;
        double resonanceMHz;  // the design's own, with an uncertainty of 0.3 %
        FeedOptions feed;
        CutChoice loop;
    } cases[] = {
        {"tuned, at the junction", 142, FeedOptions{}, CutChoice::Tuned},
        {"tuned, through a 4:1 balun and coax", 142, Chain(4, Feeder{50, 0.66, 10, 5}), CutChoice::Tuned},
        {"tuned, through a 1:1 balun alone", 142, Chain(1, std::nullopt), CutChoice::Tuned},
        {"the design within its uncertainty", 145.8, Chain(4, Feeder{50, 0.66, 10, 5}), CutChoice::Design},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FeedOptions feed = c.feed;
        feed.match = true;
        ModelCheck check = Check(feed);
        check.plan.referenceOhm = 50;
        check.report.resonancesMHz = {c.resonanceMHz};
        check.report.resonanceUncertaintyPercent = 0.3;
        TunedDesign tuned;
        static_cast<ScaledDesign&>(tuned) = ScaledDesign::Of(check.plan.model, s);
        tuned.resonanceMHz = 146;
        tuned.atDesign = PointAt(check, 146, 146);
        check.report.tuned = tuned;
        check.feed = ReadFeed(check);
        const FeedReport& f = check.feed;
        ASSERT_EQ(f.loop.name, c.loop);
        const bool isTuned = c.loop == CutChoice::Tuned;
        // The loop's gap at the band's low edge, 144 MHz, from the circuit.
        const Z gap = isTuned ? LoopGap(s * 144, 142) : LoopGap(144, 142);
        const Z junction = LineInput(gap, check.plan.line, 144) / 3.0;
        const Z atDesign = isTuned ? Z(120, 0) : LoopGap(146, 142);
        const Z junctionAtDesign = LineInput(atDesign, check.plan.line, 146) / 3.0;
        const Headline h = HeadlineOf(check);
        ASSERT_TRUE(f.band && f.match);
        if (feed.chain) {
            ASSERT_TRUE(f.radio && f.designRadio);
            const Z radio = RadioEnd(junctionAtDesign, *feed.chain, 146, 146);
            EXPECT_NEAR(std::abs(f.radio->atDesign - radio), 0, 1e-9 * std::abs(radio));
            EXPECT_TRUE(h.bestAtRadio);
            EXPECT_EQ(h.BestKey(), "swr_radio");
            EXPECT_DOUBLE_EQ(h.bestSwr, Swr(radio, 50));
            const double edge = Swr(RadioEnd(junction, *feed.chain, 144, 146), 50);
            EXPECT_NEAR(*f.band->swrFrom, edge, 0.01 * edge);
            // Through the match the loop's radio end reads within the SWR
            // that needs no network (a single element may leave a little).
            EXPECT_LE(Swr(Cascade(radio, *f.match, 146), 50), kNoMatchSwr);
        } else {
            EXPECT_FALSE(h.bestAtRadio);
            const double edge = Swr(junction, kReadings[h.bestReading].referenceOhm);
            EXPECT_NEAR(*f.band->swrFrom, edge, 0.01 * edge);
            EXPECT_LE(Swr(Cascade(junctionAtDesign / 4.0, *f.match, 146), 50), kNoMatchSwr);
        }
        Json json = Json::object();
        AddFeedJson(json, check);
        EXPECT_EQ(json["band"]["loop"], std::string(CutName(c.loop)));
        EXPECT_EQ(json["match"]["loop"], std::string(CutName(c.loop)));
    }
}

}  // namespace
}  // namespace corvanta::nec
