#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

// Every failure of the model library, as data: what went wrong, the
// quantity and its limit, the engine's own words, the file's line. The
// library says what happened and nothing of who asked; the command line
// and the window word it, each with its own names for what the user can
// change (an option there, a box here).

namespace corvanta::nec {

enum class FailureKind {
    Model,             // the design cannot be modelled faithfully; `detail` says why
    TooNearGround,     // `detail` the clearance found; `limit` the lowest height the ground model holds, m
    EngineMissing,     // `program` is not installed
    EngineNotStarted,  // `program` could not be started; `detail` the system's words
    EngineTimedOut,    // the check's runs of `program` ran past `limit` seconds, all together; every engine was stopped
    EngineCrashed,     // `status` the signal, `detail` its description, `said` the engine's last lines
    EngineFailed,      // `status` the exit status, `said` the engine's last lines
    Stopped,           // the caller asked for the stop
    Answer,            // the engine's answer is not what was asked for, or does not read; `detail`
    Measurement,       // a measured sweep that does not read: `line` (0: the file as a whole), `detail`, `text`
    System,            // the system refused what the check needs (its temporary folder); `detail` its words
    SegmentsPerGap,    // segments the gap's length over `count` cannot be modelled: `detail` why,
                       // `fewest` to `most` the counts above 1 that can (none when fewest > most)
    Record,            // a build record that does not read: `line` of text that is not JSON, else `text`
                       // the field ("feed.feeder.velocity_factor"); `detail` why
    RecordNewer,       // a build record of format `text` as written (else `count`), newer than the `most`
                       // this program reads
    File,              // a file handed in that is not read: `text` its path, `detail` why
};

struct FailureFacts {
    FailureKind kind = FailureKind::Model;
    std::string detail;
    std::string program;                  // the engine
    std::string said;                     // the engine's own last lines, each on a line of its own
    int status = 0;                       // an exit status or a signal's number
    std::optional<double> limit;          // the time limit in s, the lowest height in m
    std::size_t line = 0;                 // of the file, from 1; 0 for none
    std::string text;                     // that line as it reads, shortened
    int count = 0, fewest = 0, most = 0;  // segments a gap: asked for, and the range that works
};

// What the user can do for a better answer, where a note of the report
// would advise it. The front ends word it with their own controls.
enum class Advice {
    FinerSweep,  // a resonance placed between two coarse sweep points
    Tune,        // the design's resonance is off and no tune ran
    // A measurement fits lines of another impedance (the value, in ohm).
    LineImpedance,
    // The lengths are unsure for want of the lines' own velocity factor.
    StubVelocityFactor,
};

// The library's one failure. what() is the library's own sentence
// (Describe), for logs and for the report's notes; a front end words the
// facts itself.
class Failure : public std::runtime_error {
public:
    explicit Failure(FailureFacts facts);
    // A failure told by its kind and detail alone.
    Failure(FailureKind kind, std::string detail);

    FailureKind Kind() const { return facts_.kind; }
    const FailureFacts& Facts() const { return facts_; }

private:
    FailureFacts facts_;
};

// Shorthands for the commonest failures.
Failure ModelFailure(std::string detail);
Failure AnswerFailure(std::string detail);
Failure StoppedFailure();

// The facts in a sentence that names no front end's controls:
//     EngineTimedOut, nec2c, limit 60 -> the check did not finish within its time budget of 60 s for all of
//                                        nec2c's runs together; every engine was stopped
//     EngineFailed, nec2c, status 1, said "GW card" -> nec2c failed on the model (exit status 1); it said:\n  GW card
//     Measurement, line 4, "a number does not read", "147 0.1 oops" -> line 4: a number does not read: "147 0.1 oops"
//     TooNearGround, "at a height of ...", limit 0.37 -> at a height of ...; the ground model holds the loop from 0.370 m up
//     SegmentsPerGap, "segments of ...", 2 to 5 -> segments of ...; the gap's length may be cut into 2 to 5 segments here
//     Record, field "feed.lines.velocity_factor", "is not a number" -> feed.lines.velocity_factor: is not a number
//     Record, line 3, "the record is not JSON: ..." -> line 3: the record is not JSON: ...
//     RecordNewer, count 2, most 1 -> the record was made by a newer corvanta (format 2; this one reads format 1 and older)
//     File, "/dev/zero", "it is a device, not a file" -> cannot read /dev/zero: it is a device, not a file
//     System, "cannot make a temporary directory /tmp/x: No space left on device" -> the same
std::string Describe(const FailureFacts& facts);

}  // namespace corvanta::nec
