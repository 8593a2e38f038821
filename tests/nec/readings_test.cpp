#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_report.h"
#include "nec/json.h"
#include "nec/model_check.h"
#include "nec/readings.h"
#include "nec/report.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"

// The readings' table, and the analysis of made-up engine answers through
// it: each reading's SWR and 2:1 range from its own feed point and
// reference, and each verdict of the sanity checks.

namespace corvanta::nec {
namespace {

// Keys are what scripts read: no two readings may share one, and every
// reading is seen once by a reader.
TEST(Readings, KeysAreUniqueAndEveryReadingIsInView) {
    std::set<std::string_view> keys;
    for (const Reading& reading : kReadings) {
        EXPECT_TRUE(keys.insert(reading.swrKey).second) << reading.swrKey;
        EXPECT_TRUE(keys.insert(reading.rangesKey).second) << reading.rangesKey;
        EXPECT_GT(reading.referenceOhm, 0) << reading.swrKey;
    }
    PerReading<std::size_t> view = ReadingsInView();
    std::sort(view.begin(), view.end());
    for (std::size_t i = 0; i < kReadingCount; ++i) EXPECT_EQ(view[i], i);
    EXPECT_EQ(ReadingIndex("swr_lines_200"), 3U);
    EXPECT_EQ(ReadingIndex("no such key"), kReadingCount);
}

// The words of a reading in each medium: the balun named with the 200
// ohm reading wherever it is written.
TEST(Readings, LabelsInEachMedium) {
    const struct {
        const char* key;
        Medium medium;
        const char* label;
    } cases[] = {
        {"swr_lines_200", Medium::Plain, "lines' junction on 200 ohm (4:1 balun)"},
        {"swr_lines_200", Medium::Typeset, "lines' junction on 200 \u03a9 (4:1 balun)"},
        {"swr_lines_50", Medium::Plain, "lines' junction on 50 ohm"},
        {"swr_parallel_300", Medium::Plain, "gaps in parallel on 300 ohm"},
        {"swr_gap_300", Medium::Typeset, "one gap on 300 \u03a9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadingLabel(kReadings[ReadingIndex(c.key)], c.medium), c.label);
    }
    EXPECT_EQ(ImpedanceWords({158.806, -22.894}, Medium::Plain), "158.81 -j22.89 ohm");
    EXPECT_EQ(ImpedanceWords({158.806, -22.894}, Medium::Typeset), "158.81 \u2212j22.89 \u03a9");
    EXPECT_EQ(ImpedanceWords({61.6751, 8.824}, Medium::Typeset), "61.68 +j8.82 \u03a9");
}

TEST(Readings, OneWayToWriteEachQuantity) {
    EXPECT_EQ(MhzText(146.004), "146.00");
    EXPECT_EQ(MhzText(14.0002), "14.000");
    EXPECT_EQ(MhzText(1296.2), "1296.20");
    EXPECT_EQ(MhzText(0.1375), "0.13750");
    EXPECT_EQ(RangesText({}), "none in the sweep");
    EXPECT_EQ(RangesText({{std::nullopt, 154.904}, {199.38, std::nullopt}}),
              "below the sweep's start to 154.90 MHz, 199.38 to beyond the sweep's end");
    EXPECT_EQ(ScaledDesignText({0.97475, 700.1, 259.99, 9.426}),
              "HEIGHT 700.10 mm (27.563 in), SIDE 259.99 mm (10.236 in), GAP 9.43 mm (0.371 in)");
    EXPECT_EQ(ScaleText(0.974754), "0.97475");
}

constexpr int kGaps = 3;

LoopModel MadeUpModel(Ground ground = Ground::Free) {
    LoopModel model;
    model.sides = kGaps;
    model.designMHz = 146;
    model.heightMm = 700;
    model.sideMm = 260;
    model.gapMm = 9.5;
    model.radiusMm = 0.8;
    model.verticalSegments = 41;
    model.edgeSegments = 15;
    model.placement.ground = ground;
    model.placement.heightM = ground == Ground::Free ? 0 : 10;
    return model;
}

// Every gap the same resistance, 1 V across it.
FrequencyResult Answer(std::complex<double> gap, int parts = 1) {
    FrequencyResult result;
    for (int g = 0; g < kGaps * parts; ++g) {
        result.sources.push_back({g + 1, 1, {1.0 / parts, 0}, 1.0 / gap, gap / static_cast<double>(parts)});
    }
    result.efficiencyPercent = 98;
    result.averagePowerGain = 0.98;
    result.pattern = {{90, 0, 1.5, 1, 0}, {80, 30, 2.1, 1, 0}, {0, 0, -3, 1, 0}};
    return result;
}

// The gap's resistance: rising 10 ohm a MHz from 30 ohm at 100 MHz.
double Resistance(double mhz) { return 30 + 10 * (mhz - 100); }

// Lines of no length: the junction is the gaps in parallel, a third of one.
const FeedLine kNoLine{300, 0.82, 0};

TEST(Analysis, EachReadingsRangeFromItsFeedPointAndReference) {
    const LoopModel model = MadeUpModel();
    const Sweep sweep{100, 0.25, 401};  // to 200 MHz
    EngineAnswers answers;
    for (int i = 0; i < sweep.points; ++i) answers.sweep.push_back(Answer(Resistance(sweep.At(i))));
    answers.design = Answer(Resistance(146));
    answers.segmentsUsed = {model.TotalSegments()};
    const CheckReport report = Analyse(model, {}, sweep, kNoLine, answers);

    // A resistance R on R0 is under 2:1 from R0 / 2 to 2 R0; the gaps'
    // resistance is R / (share of one gap) there.
    const auto share = [](FeedPoint point) { return point == FeedPoint::Gap ? 1.0 : 1.0 / kGaps; };
    const auto mhzOf = [](double r) { return 100 + (r - 30) / 10; };
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        const Reading& reading = kReadings[i];
        SCOPED_TRACE(reading.swrKey);
        const double low = mhzOf(reading.referenceOhm / 2 / share(reading.point));
        const double high = mhzOf(2 * reading.referenceOhm / share(reading.point));
        ASSERT_EQ(report.under2[i].size(), 1U);
        const Range& range = report.under2[i].front();
        ASSERT_TRUE(range.fromMHz);
        EXPECT_NEAR(*range.fromMHz, low, 0.02);  // a straight line over R0 / R
        if (high < 200) {
            ASSERT_TRUE(range.toMHz);
            EXPECT_NEAR(*range.toMHz, high, 1e-9);  // R / R0 is a straight line
        } else {
            EXPECT_FALSE(range.toMHz);  // open: the sweep ends under 2:1
        }
        const double atDesign = Resistance(146) * share(reading.point);
        EXPECT_NEAR(report.atDesign.swr[i],
                    std::max(atDesign, reading.referenceOhm) / std::min(atDesign, reading.referenceOhm), 1e-9);
    }
    EXPECT_TRUE(report.resonancesMHz.empty());  // no reactance at all
    EXPECT_DOUBLE_EQ(report.maxGainDbi, 2.1);
    EXPECT_DOUBLE_EQ(report.MaxGainElevationDeg(), 10);
}

// The feed's note on the junction at the design frequency lists every reading
// there over 2:1, by its reference and what it goes through. (No
// resistance is under 2:1 on 50 and on 300 ohm at once: there is always a
// note.)
TEST(Analysis, TheJunctionNoteNamesTheReadingsOver2) {
    const struct {
        double gapOhm;  // the junction shows a third of it
        const char* note;
    } cases[] = {
        {540, "on 50 ohm"},                                   // 180 ohm: 1.11 on 200, 1.67 on 300
        {1500, "on 50 ohm or 200 ohm (4:1 balun)"},           // 500 ohm: 1.67 on 300
        {150, "on 200 ohm (4:1 balun) or 300 ohm"},           // 50 ohm
        {6000, "on 50 ohm, 200 ohm (4:1 balun) or 300 ohm"},  // 2000 ohm
    };
    const LoopModel model = MadeUpModel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gapOhm);
        EngineAnswers answers;
        answers.sweep = {Answer(c.gapOhm), Answer(c.gapOhm)};
        answers.design = Answer(c.gapOhm);
        answers.segmentsUsed = {model.TotalSegments()};
        ModelCheck check;
        check.plan.model = model;
        check.report = Analyse(model, ConvergenceModels{}, Sweep{140, 10, 2}, kNoLine, answers);
        const std::vector<std::string> notes = ReadFeed(check).notes;
        const auto note = std::find_if(notes.begin(), notes.end(), [](const std::string& n) {
            return n.starts_with("no 2:1 range of the lines' junction");
        });
        ASSERT_NE(note, notes.end());
        EXPECT_EQ(*note, std::string("no 2:1 range of the lines' junction of the design's loop reaches the design "
                                     "frequency 146 MHz ") +
                             c.note);
    }
}

TEST(Analysis, EachVerdictOfTheSanityChecks) {
    struct Case {
        const char* what;
        Ground ground;
        int usedOffBy;                     // the segments the engine reports, less those asked for
        std::optional<double> refinedOhm;  // the gap with segments halved; none: not run
        int refinedUsedOffBy;
        double averageGain;
        Verdict segments, convergence, averageGainVerdict;
    };
    const Case cases[] = {
        {"all well", Ground::Free, 0, 303, 0, 0.98, Verdict::Passed, Verdict::Passed, Verdict::Passed},
        {"a segment short", Ground::Free, -1, 303, 0, 0.98, Verdict::Failed, Verdict::Passed, Verdict::Passed},
        {"refined run short", Ground::Free, 0, 303, -2, 0.98, Verdict::Failed, Verdict::Passed, Verdict::Passed},
        {"moves 2.5 %", Ground::Free, 0, 307.5, 0, 0.98, Verdict::Passed, Verdict::Failed, Verdict::Passed},
        {"moves 1.9 %", Ground::Free, 0, 305.7, 0, 0.98, Verdict::Passed, Verdict::Passed, Verdict::Passed},
        {"too short to halve", Ground::Free, 0, std::nullopt, 0, 0.98, Verdict::Passed, Verdict::NotApplicable,
         Verdict::Passed},
        {"gain 2 % high", Ground::Free, 0, 300, 0, 0.9996, Verdict::Passed, Verdict::Passed, Verdict::Failed},
        {"perfect ground", Ground::Perfect, 0, 300, 0, 1.96, Verdict::Passed, Verdict::Passed, Verdict::Passed},
        {"perfect, free space's gain", Ground::Perfect, 0, 300, 0, 0.98, Verdict::Passed, Verdict::Passed,
         Verdict::Failed},
        {"average ground", Ground::Average, 0, 300, 0, 0.5, Verdict::Passed, Verdict::Passed, Verdict::NotApplicable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LoopModel model = MadeUpModel(c.ground);
        ConvergenceModels second;
        EngineAnswers answers;
        answers.sweep = {Answer(300), Answer(300)};
        answers.design = Answer(300);
        answers.design.averagePowerGain = c.averageGain;
        answers.segmentsUsed = {model.TotalSegments(), model.TotalSegments() + c.usedOffBy};
        if (c.refinedOhm) {
            LoopModel finer = model;
            finer.verticalSegments = 2 * model.verticalSegments;
            finer.edgeSegments = 2 * model.edgeSegments;
            finer.gapSegments = 2;
            second.levels.push_back(finer);
            answers.secondAtDesign = Answer(*c.refinedOhm, 2);
            answers.secondAtDesignSegments = finer.TotalSegments() + c.refinedUsedOffBy;
        }
        const CheckReport report = Analyse(model, second, Sweep{140, 10, 2}, kNoLine, answers);
        ASSERT_EQ(report.sanity.size(), 3U);
        EXPECT_EQ(report.sanity[0].verdict, c.segments) << report.sanity[0].detail;
        EXPECT_EQ(report.sanity[1].verdict, c.convergence) << report.sanity[1].detail;
        EXPECT_EQ(report.sanity[2].verdict, c.averageGainVerdict) << report.sanity[2].detail;
        const bool failed = c.segments == Verdict::Failed || c.convergence == Verdict::Failed ||
                            c.averageGainVerdict == Verdict::Failed;
        EXPECT_EQ(report.Sane(), !failed);
    }
}

std::vector<std::string> Keys(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

// Scripts read the JSON by its keys, in their places: the readings' keys
// come from the table, where they always stood, and a number that is not
// finite is null.
TEST(ReportJson, ReadingsKeysInTheirPlacesAndNotFiniteIsNull) {
    ModelCheck check;
    check.plan.model = MadeUpModel();
    check.plan.line = kNoLine;
    SweepPoint p;
    p.mhz = 146;
    p.gaps = {{0, 50}, {0, 50}, {0, 50}};
    p.parallel = {0, 50.0 / 3};
    p.lines = {0, 50.0 / 3};
    p.swr.fill(INFINITY);
    p.swr[ReadingIndex("swr_lines_50")] = 1.234567;
    check.report.atDesign = p;
    check.report.sweep = {p};
    check.report.maxGainDbi = -INFINITY;
    check.report.under2[ReadingIndex("swr_lines_200")] = {{std::nullopt, 147.123456}};
    check.report.notes = {"a note"};
    check.report.advice = {Advice::FinerSweep};
    Json json = Json::parse(ReportJson(check, [](Advice, double) { return std::string("an advice"); }));
    EXPECT_EQ(Keys(json["at_design"]),
              (std::vector<std::string>{"gap", "parallel", "swr_parallel_300", "swr_parallel_50", "swr_gap_300",
                                        "lines", "swr_lines_50", "swr_lines_200", "swr_lines_300"}));
    EXPECT_EQ(Keys(json["sweep"][0]),
              (std::vector<std::string>{"mhz", "gaps", "parallel", "swr_parallel_300", "swr_parallel_50",
                                        "swr_lines_50", "swr_lines_200", "swr_lines_300", "swr_gap_300", "lines"}));
    std::vector<std::string> ranges;
    for (const std::string& key : Keys(json)) {
        if (key.starts_with("under_2_")) ranges.push_back(key);
    }
    EXPECT_EQ(ranges, (std::vector<std::string>{"under_2_parallel_300", "under_2_parallel_50", "under_2_gap_300",
                                                "under_2_lines_50", "under_2_lines_200", "under_2_lines_300"}));
    EXPECT_EQ(json["at_design"]["swr_lines_50"], 1.2346);
    EXPECT_TRUE(json["at_design"]["swr_gap_300"].is_null());
    EXPECT_TRUE(json["sweep"][0]["swr_lines_300"].is_null());
    EXPECT_TRUE(json["max_gain_dbi"].is_null());
    EXPECT_EQ(json["under_2_lines_200"], Json::parse("[[null, 147.1235]]"));
    EXPECT_EQ(json["tuned"], nullptr);
    EXPECT_FALSE(json.contains("measured"));
    EXPECT_EQ(json["notes"], Json::parse(R"(["a note", "an advice"])"));
}

}  // namespace
}  // namespace corvanta::nec
