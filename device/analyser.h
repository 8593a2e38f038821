#pragma once

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "device/device_failure.h"
#include "nec/touchstone.h"

// The small vector analysers that speak a text shell over USB serial
// (CDC-ACM, USB id 0483:5740): found among the serial ports, spoken to a
// command at a time (each ends with CR; the device echoes it, ends its
// lines with CR LF and prompts "ch> "), and swept over S11.
//
// Two firmware families sweep differently. The newer answers
//     scan START STOP POINTS 3   -> one line a point: FREQ RE IM
// and is left paused until "resume". The older has no scan: "sweep START
// STOP POINTS" sets the range of its running sweep, "frequencies" lists
// the range it sweeps and "data 0" the S11 of its array, which holds the
// previous sweep until a whole new one has run.
//
// A device sweeps at most 101 points (the small boards) or 401 (larger
// ones) at a time; a longer sweep is made of segments, each the next run
// of the grid FROM + (TO - FROM) i / (POINTS - 1), so that no frequency is
// swept twice or left out at the joins.
//
// Everything is read whole or not at all: any failure (see
// device_failure.h) throws, and nothing measured before it is kept.

namespace corvanta::device {

inline constexpr unsigned kVendorId = 0x0483;
inline constexpr unsigned kProductId = 0x5740;
inline constexpr const char* kUsbId = "0483:5740";

// How long to wait. Every answer may take `promptSeconds`; a sweep's
// answers `perPointSeconds` more for each of their points; the older
// firmware's running sweep `oldSweepPerPointSeconds` a point, waited once
// its new range shows.
struct Timing {
    double promptSeconds = 3;
    double perPointSeconds = 0.05;
    double oldSweepPerPointSeconds = 0.02;
};

// What the device says it is.
struct Identity {
    std::string name;      // the first line of "info", else "analyser"
    std::string firmware;  // "version"'s answer
    bool scans = false;    // the newer family; known once a sweep has been asked for
};

struct Found {
    std::string path;     // /dev/ttyACM0
    std::string usbId;    // 0483:5740
    Identity identity;    // when asked and answered
    std::string problem;  // why it was not answered: a Failure's words
};

// The analysers plugged in; with `ask`, each is opened and asked what it
// is (a port that will not open gets its failure as its `problem`).
std::vector<Found> FindAnalysers(bool ask, const Timing& timing = {});

// What `path` says it is. Throws a Failure.
Identity Identify(const std::string& path, const Timing& timing = {});

struct SweepRequest {
    double fromHz = 0;
    double toHz = 0;
    int points = 0;  // 1 to 10000
};

// The frequencies of a request, in Hz, rounded to whole hertz as the
// device takes them.
std::vector<double> Grid(const SweepRequest& request);

// The request split into runs of the grid of at most `limit` points each,
// as even as they can be: {first index, count}.
struct Segment {
    std::size_t first = 0;
    std::size_t count = 0;
    bool operator==(const Segment&) const = default;
};
std::vector<Segment> Segments(std::size_t points, std::size_t limit);

struct SweepOptions {
    Timing timing;
    std::stop_token stop;
    // Points read so far, of all; called on the thread that sweeps.
    std::function<void(std::size_t done, std::size_t total)> progress;
    std::string date;  // for the file's comment; empty: now
};

struct DeviceSweep {
    // Exactly as its Touchstone text reads: a sweep taken here and the file
    // written of it are one sweep to the check.
    nec::OnePortSweep sweep;
    std::string touchstone;  // # Hz S RI R 50, its comment naming the device, its firmware and the date
    std::string path;
    Identity identity;
    std::string date;  // ISO 8601 UTC
};

// Sweeps S11 over `request` at `path`. Throws a Failure.
DeviceSweep Sweep(const std::string& path, const SweepRequest& request, const SweepOptions& options = {});

// What a measurement of `sweep` is called in a report: "NAME at PATH".
std::string SourceOf(const DeviceSweep& sweep);

}  // namespace corvanta::device
