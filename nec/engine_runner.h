#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
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

class TemporaryDirectory;

// Engines kept busy from one queue: `jobs` workers each take the queued run
// of the highest priority (the first queued among equals) and start an
// engine on it. A run's answer goes to its callback on the worker's thread,
// which may queue the run that follows from it, so that independent chains
// of runs (the rounds of a sweep, the steps of a search) share the cores
// and no core waits while a run is queued. Which runs are queued is up to
// the callers, who queue a run only from answers that came before it: then
// nothing a check computes depends on the cores or on which engine finished
// first. One time limit for everything the pool runs, from its start.
class EnginePool {
public:
    using Done = std::function<void(EngineOutput&& output)>;

    // Throws an EngineMissing or System failure.
    explicit EnginePool(const EngineSettings& settings);
    // Stops every engine still running and waits for the workers.
    ~EnginePool();
    EnginePool(const EnginePool&) = delete;
    EnginePool& operator=(const EnginePool&) = delete;

    // `done` gets the output, read and checked; what it throws fails the pool.
    void Submit(EngineRun run, int priority, Done done);
    // Runs these beside whatever else is queued and waits for them: their
    // outputs in order. Throws the first failure of any run of the pool (as
    // RunEngines does), Stopped when the caller's stop came first.
    std::vector<EngineOutput> Run(std::vector<EngineRun> runs, int priority);
    // As Run, but a failure of these runs is thrown here only and the
    // pool's other runs go on: for work that may fail without failing the
    // rest.
    std::vector<EngineOutput> RunApart(std::vector<EngineRun> runs, int priority);
    // Waits until nothing is queued or running, the runs that callbacks
    // queue included; throws as Run does.
    void Wait();
    // Frequencies the engines have answered so far.
    int FrequenciesDone() const;

private:
    struct Queued {
        EngineRun run;
        int priority = 0;
        std::size_t order = 0;
        Done done;
        std::function<void(std::exception_ptr)> failed;  // none: a failure ends the pool
    };
    void Enqueue(Queued queued);
    std::vector<EngineOutput> RunBatch(std::vector<EngineRun> runs, int priority, bool apart);
    // The workers start when the first caller waits, so that the runs queued
    // before are taken by their priority, not by the order they came in.
    void StartWorkers();
    void Work();
    void RunOne(Queued& queued);
    // With the lock held: throws the first failure, or Stopped.
    void ThrowIfEnded() const;

    EngineSettings settings_;
    std::unique_ptr<TemporaryDirectory> directory_;
    std::chrono::steady_clock::time_point deadline_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Queued> queue_;
    std::size_t queuedSoFar_ = 0;
    int unfinished_ = 0;  // queued or running
    int frequenciesQueued_ = 0, frequenciesDone_ = 0;
    bool closing_ = false;
    std::exception_ptr failure_;
    // Trips on either the caller's stop or a failure, so that one failing
    // engine stops the others at once.
    std::stop_source stopAll_;
    std::optional<std::stop_callback<std::function<void()>>> passOn_;
    std::vector<std::thread> workers_;
};

// Each run's output, read and checked, in the order of `runs`. Throws a
// Failure: an Engine kind, Stopped, or Answer for an answer that is not
// what was asked for; every engine still running is stopped first.
std::vector<EngineOutput> RunEngines(const std::vector<EngineRun>& runs, const EngineSettings& settings);

}  // namespace corvanta::nec
