#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conductor/design_run.h"
#include "nec/feed_options.h"
#include "nec/json.h"
#include "nec/loop_model.h"
#include "nec/measurement.h"
#include "nec/check_plan.h"

// The build record of one antenna: what the builder typed and did over the
// days of a build (the design's inputs as typed, the ground, the feed, the
// lengths as cut, every measurement taken), kept as JSON in a .corvanta
// file. Inputs only: everything computed from them is computed again when
// the record is opened, so a record never disagrees with the program that
// reads it.
//
// The file, with `version` first:
//     {"version": 2,
//      "design": {"frequency": "146.00", "sides": 3, "conductor": {"unit": "awg", "text": "14"}},
//      "placement": {"ground": "average", "height_m": 10},
//      "feed": {"lines": {"impedance_ohm": 300, "velocity_factor": 0.82, "length_mm": null},
//               (and "velocity_factor_measured": true where it was measured apart)
//               "balun": 4, "feeder": {"impedance_ohm": 50, "velocity_factor": 0.66, "length_m": 10,
//               "loss_db_per_100m": 5}, "port": "radio", "band": null, "match": false, "reference_ohm": 50},
//      "as_built": {"height_mm": 718, "side_mm": 266.7, "gap_mm": 10.5},
//      "measurements": [{"file": "loop.s1p", "loaded": "2026-12-07T16:30:00Z", "note": "", "touchstone": "...",
//                        "as_built": {"height_mm": 718, "side_mm": 266.7, "gap_mm": 10.5}}],
//      "changes": [{"date": "2026-12-07T16:30:00Z", "what": ["design", "feed"]}]}
// Members the program does not know, in any object, are kept and written
// back: a record from a later version loses nothing through this one.
//
// Format 2 keeps with each measurement the lengths the loop was cut to
// when it was measured (null: the design's), so that a loop trimmed and
// measured again keeps its history; the top level's "as_built" is the loop
// as it stands. A record of format 1 has only the top level's, which then
// applies to every measurement.

namespace corvanta::nec {

// The format this program writes, and the newest it reads.
inline constexpr int kRecordVersion = 2;

struct RecordMeasurement {
    std::string file;        // the name it was loaded from, for the report and the plot
    std::string loaded;      // when, ISO 8601 UTC
    std::string note;        // the builder's own words
    std::string touchstone;  // the file's text as it was read
    Json unknown = Json::object();
    // The lengths the loop was cut to when it was measured; none: the design's.
    std::optional<BuiltLengths> asBuilt{};
    Json builtUnknown = Json::object();  // the members of its "as_built" this program does not know
};

// One save that changed something: when, and which parts ("design",
// "placement", "feed", "as_built", "measurements").
struct RecordChange {
    std::string date;
    std::vector<std::string> what;
    Json unknown = Json::object();
};

// The set-up (ground, lines, reference, feed, lengths as cut) is the
// check's own type: a record's check runs with exactly what it holds.
struct BuildRecord : CheckSetup {
    DesignRequest design;
    std::vector<RecordMeasurement> measurements;
    std::vector<RecordChange> changes;
    // The members this program does not know, by the object they were
    // found in: "" the top level, "design.conductor", "feed.feeder" ...
    Json unknown = Json::object();
};

// The record as a document, the unknown members after the known ones.
Json RecordJson(const BuildRecord& record);
std::string RecordText(const BuildRecord& record);

// Reads a record, every field judged before anything is taken from it.
// Throws a Record failure: the line of text that is not JSON, the field
// that is missing or wrong ("feed.feeder.velocity_factor"), the
// measurement whose Touchstone text does not read, or a `version` newer
// than kRecordVersion.
BuildRecord ReadRecord(std::string_view text);

// The parts of `next` that differ from `before`, by their key: a new
// record (before none) differs in every part it holds.
std::vector<std::string> ChangedParts(const BuildRecord& next, const std::optional<BuildRecord>& before);

// `next` with a change dated `date` for the parts that differ from
// `before`; unchanged when none does.
BuildRecord Stamped(BuildRecord next, const std::optional<BuildRecord>& before, const std::string& date);

// Now, as ISO 8601 UTC to the second: "2026-12-07T16:30:00Z".
std::string UtcNow();

// What the record's check runs with: `base` (the sweep, the engine, the
// jobs) with the record's ground, lines, feed and reference.
CheckOptions RecordCheckOptions(const BuildRecord& record, CheckOptions base = {});

// The last measurement as a sweep; none without one.
std::optional<OnePortSweep> LastMeasurement(const BuildRecord& record);

}  // namespace corvanta::nec
