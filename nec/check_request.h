#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conductor/design_run.h"
#include "nec/check_plan.h"
#include "nec/model_check.h"
#include "nec/touchstone.h"

// The check as one call, from what the builder asks to the verdict:
//
//     request (design, set-up, run settings, a measurement)
//       -> plan -> engines (the sweep, the pattern, the convergence, the tune)
//       -> the other shape's sweep, for a measurement that may be of it
//       -> the measurement compared (its trim)
//       -> the loop the verdict names -> the feed read on that loop
//       -> the verdict
//
// Every front end fills a request and shows the ModelCheck it gets back;
// none of them runs a step of its own. A change of the feed, the port, the
// band, the match or the lengths as cut needs no engine: Reread works the
// last three steps again.

namespace corvanta::nec {

struct MeasurementInput {
    OnePortSweep sweep;
    std::string source;  // the file's name, or what the sweep came from
    // The loop model the measurement was compared with when it was taken
    // in; none: the request's own. Against another design's model it is
    // drawn for comparison, without a trim.
    std::optional<LoopModel> takenOf;
};

// A sweep of the same loop taken before the measurement, with the lengths
// it was cut to then (none: the design's).
struct EarlierMeasurement {
    OnePortSweep sweep;
    std::optional<BuiltLengths> asBuilt;
};

struct CheckRequest {
    Design design;
    // The set-up (ground, lines, reference, feed, lengths as cut), the
    // run's settings, the stop token and the progress.
    CheckOptions options;
    std::optional<MeasurementInput> measurement;
    // Oldest first; each is compared with the check for its resonance
    // alone, and only beside a measurement.
    std::vector<EarlierMeasurement> earlier = {};
};

// Throws what PlanCheck and the engines throw (Stopped among them), and
// what the measurement's comparison throws.
ModelCheck Check(const CheckRequest& request);

// The earlier sweeps as the check sees them: each compared with it, with
// its own lengths as cut; one without a trim (no resonance, lengths that
// are no loop of this design, a comparison that fails) is left out.
std::vector<CutSweep> EarlierSweeps(const ModelCheck& check, const std::vector<EarlierMeasurement>& earlier);

// A measurement taken in after the check ran: the other shape's sweep
// (engines, with `options`' stop and progress) and the steps after it.
void AddMeasurement(ModelCheck& check, const Design& design, const CheckOptions& options, MeasurementInput measurement);

// The feed, the port, the band, the match or the lengths as cut changed:
// the measurement compared again, the verdict's loop and its feed read
// again. No engine runs.
void Reread(ModelCheck& check, const FeedOptions& feed, const std::optional<BuiltLengths>& asBuilt);

// The measurement, the verdict's loop and the feed from what the check
// holds: the last steps of Check and Reread.
void Conclude(ModelCheck& check);

// The other port, where the measurement on show gives no trim at the port
// the feed names but would at the other one (a file taken at the lines'
// junction loaded as the radio end's, or the other way round); none
// otherwise, and without a balun or feeder. No engine runs.
std::optional<FeedPort> PortThatFits(const ModelCheck& check);

}  // namespace corvanta::nec
