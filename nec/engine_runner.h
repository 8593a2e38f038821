#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "nec/failure.h"
#include "nec/output_reader.h"

// Runs decks through nec2c, several side by side: each run in its own
// process group, its files in a fresh directory under TMPDIR that goes in
// every outcome.

namespace corvanta::nec {

struct EngineRun {
    std::string deck;
    Expected expected;  // the answer is checked against it
};

struct EngineSettings {
    std::string program = "nec2c";              // found on PATH
    int jobs = 0;                               // engines at a time; 0: one a core
    std::chrono::duration<double> timeout{60};  // for all the runs together
    // The limit the user gave, for the message when it runs out; none: `timeout`.
    std::optional<std::chrono::duration<double>> givenTimeout;
    std::stop_token stop;  // a stop request kills every engine at once
    // Frequencies answered so far and in all; called from the runs' threads.
    std::function<void(int done, int total)> progress;
};

// The cores this process may run on.
int CoreCount();

// The engines that `jobs` asks for; 0: one a core.
int JobCount(int jobs);

// Each run's output, read and checked, in the order of `runs`. Throws a
// Failure: an Engine kind, Stopped, or Answer for an answer that is not
// what was asked for; every engine still running is stopped first.
std::vector<EngineOutput> RunEngines(const std::vector<EngineRun>& runs, const EngineSettings& settings);

}  // namespace corvanta::nec
