#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The readings of the feed: which impedance each one reads, against which
// reference, what it is called, its keys in JSON and how a plot draws it.
// The analysis, the report (text and JSON), the window, the build sheet and
// the plot all go through kReadings, so a new reading is one entry here.

namespace corvanta::nec {

// Where along the feed an impedance is read.
enum class FeedPoint {
    Gap,       // one gap of the loop, as the engine reports it
    Parallel,  // every gap in parallel, at the gaps themselves
    Junction,  // where the lines from the gaps join: what a builder connects and measures
};

struct FeedPointInfo {
    FeedPoint point;
    std::string_view name;       // "lines' junction"
    std::string_view shortName;  // in the headings of the text report's sweep table
    std::uint32_t colour;        // 0xRRGGBB of its curves in a plot
};

// In the order readers meet them: the junction first, as built.
inline constexpr auto kFeedPoints = std::to_array<FeedPointInfo>({
    {FeedPoint::Junction, "lines' junction", "lines", 0x1565c0},
    {FeedPoint::Parallel, "gaps in parallel", "par", 0x2e7d32},
    {FeedPoint::Gap, "one gap", "gap", 0xe06c00},
});

constexpr const FeedPointInfo& InfoOf(FeedPoint point) {
    for (const FeedPointInfo& info : kFeedPoints) {
        if (info.point == point) return info;
    }
    return kFeedPoints.front();
}

// How a plot draws a reading's SWR. A line's style means one thing in
// every plot: solid a model's value, dashed a reactance, dotted a
// measurement, dash-dotted through a match; colours tell the feeds apart.
enum class Dash { Solid, Dashed, DashDotted };

struct PlotStyle {
    bool drawn = true;  // false: in the report and JSON, not among the curves
    std::uint32_t colour = 0;
    Dash dash = Dash::Solid;
    double weight = 2;  // the pen's width in pixels
};

struct Reading {
    FeedPoint point;
    double referenceOhm;
    // What stands between the feed point and the reference, named after the
    // reference ("4:1 balun"); empty when nothing does.
    std::string_view through;
    std::string_view swrKey;     // JSON: the SWR at a frequency
    std::string_view rangesKey;  // JSON: where the SWR stays under 2:1
    PlotStyle plot;
    // A feed a builder makes with the matching lines: the lines' junction
    // on coax, through a balun, or on open line. The gaps in parallel and
    // one gap alone are what the model reads, not what anyone connects.
    bool buildable = false;
};

// The order of the table is the order of the SWR keys in the JSON of a
// sweep point; readers see them grouped by feed point (ReadingsInView).
// A new reading at a feed point already here is one more line, and goes
// last in each JSON object its keys appear in; a new feed point (the radio
// end of a feed chain) is one more FeedPoint, its line in kFeedPoints and
// its impedance in SweepPoint::At. A reading through a transformer reads
// the impedance on the transformer's feed-point side: a 4:1 balun on
// 50 ohm coax presents 200 ohm to the junction.
inline constexpr auto kReadings = std::to_array<Reading>({
    {FeedPoint::Parallel, 300, "", "swr_parallel_300", "under_2_parallel_300", {false, 0x2e7d32, Dash::Solid, 1.5}},
    {FeedPoint::Parallel, 50, "", "swr_parallel_50", "under_2_parallel_50", {true, 0x2e7d32, Dash::Solid, 1.5}},
    {FeedPoint::Junction, 50, "", "swr_lines_50", "under_2_lines_50", {true, 0x1565c0, Dash::Solid, 2}, true},
    {FeedPoint::Junction,
     200,
     "4:1 balun",
     "swr_lines_200",
     "under_2_lines_200",
     {true, 0x6a1b9a, Dash::Solid, 2},
     true},
    {FeedPoint::Junction, 300, "", "swr_lines_300", "under_2_lines_300", {true, 0xc62828, Dash::Solid, 2}, true},
    {FeedPoint::Gap, 300, "", "swr_gap_300", "under_2_gap_300", {true, 0xe06c00, Dash::Solid, 1.5}},
});

inline constexpr std::size_t kReadingCount = kReadings.size();

// One value for each reading, in the table's order.
template <typename T>
using PerReading = std::array<T, kReadingCount>;

// The index of the reading with this SWR key; kReadingCount when none has it.
constexpr std::size_t ReadingIndex(std::string_view swrKey) {
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        if (kReadings[i].swrKey == swrKey) return i;
    }
    return kReadingCount;
}

// The readings' indices as a reader sees them: by feed point in the order
// of kFeedPoints, within one in the table's order.
PerReading<std::size_t> ReadingsInView();

// The readings' indices at one feed point, in the table's order.
std::vector<std::size_t> ReadingsAt(FeedPoint point);

// Where words go: plain text (a terminal, a file) writes "ohm" and "-";
// a window, a plot and the sheet are typeset and write "Ω" and "−".
enum class Medium { Plain, Typeset };

constexpr std::string_view OhmUnit(Medium medium) { return medium == Medium::Plain ? "ohm" : "\u03a9"; }
constexpr std::string_view MinusSign(Medium medium) { return medium == Medium::Plain ? "-" : "\u2212"; }

// The reference and what it goes through: "200 ohm (4:1 balun)", "50 Ω".
std::string ReferenceText(const Reading& reading, Medium medium);

// The reading's name: "lines' junction on 200 ohm (4:1 balun)".
std::string ReadingLabel(const Reading& reading, Medium medium);

}  // namespace corvanta::nec
