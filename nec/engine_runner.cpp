#include "nec/engine_runner.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>

#include "core/shortened.h"
#include "nec/subprocess.h"

namespace corvanta::nec {

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An engine's line in a message: long enough to recognise, short enough
// to read when an engine floods its output.
constexpr std::size_t kSaidCharacters = 100;

// The engine's own last words, for the message: its last non-empty lines,
// one a line.
std::string LastLines(const std::string& log, std::size_t count) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    std::string text;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        text += (text.empty() ? "" : "\n") + Shortened(lines[i], kSaidCharacters);
    }
    return text;
}

std::string Described(const char* description) { return description ? description : "no description"; }

Failure EngineFailure(const std::string& program, const ProcessOutcome& outcome,
                      std::chrono::duration<double> timeout) {
    FailureFacts facts;
    facts.program = program;
    switch (outcome.end) {
        case ProcessOutcome::End::NotFound:
            facts.kind = FailureKind::EngineMissing;
            break;
        case ProcessOutcome::End::NotStarted:
            facts.kind = FailureKind::EngineNotStarted;
            // strerrordesc_np and sigdescr_np, unlike strerror and strsignal, are
            // safe on the engines' threads.
            facts.detail = Described(strerrordesc_np(outcome.error));
            break;
        case ProcessOutcome::End::TimedOut:
            facts.kind = FailureKind::EngineTimedOut;
            facts.limit = timeout.count();
            break;
        case ProcessOutcome::End::Signalled:
            facts.kind = FailureKind::EngineCrashed;
            facts.status = outcome.status;
            facts.detail = Described(sigdescr_np(outcome.status));
            facts.said = LastLines(outcome.output, 4);
            break;
        case ProcessOutcome::End::Exited:
            facts.kind = FailureKind::EngineFailed;
            facts.status = outcome.status;
            facts.said = LastLines(outcome.output, 4);
            break;
        case ProcessOutcome::End::Stopped:
            facts.kind = FailureKind::Stopped;
            break;
    }
    return Failure(std::move(facts));
}

// The engines' folder; the system refusing it (a full disk, a TMPDIR that
// is not there) ends the check like any other failure.
std::unique_ptr<TemporaryDirectory> EnginesFolder() {
    try {
        return std::make_unique<TemporaryDirectory>("corvanta-nec");
    } catch (const std::system_error& error) {
        throw Failure(FailureKind::System, error.what());
    }
}

}  // namespace

int CoreCount() {
    // The cores this process is allowed (a container or taskset may give it
    // fewer than the machine has).
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) return std::max(1, CPU_COUNT(&allowed));
    return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

int JobCount(int jobs) { return jobs > 0 ? jobs : CoreCount(); }

std::vector<EngineOutput> RunEngines(const std::vector<EngineRun>& runs, const EngineSettings& settings) {
    if (runs.empty()) return {};
    if (!FindProgram(settings.program)) {
        throw EngineFailure(settings.program, {ProcessOutcome::End::NotFound, 0, 0, {}}, {});
    }
    const std::unique_ptr<TemporaryDirectory> folder = EnginesFolder();
    const TemporaryDirectory& directory = *folder;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(settings.timeout);

    int total = 0;
    for (const EngineRun& run : runs) total += static_cast<int>(run.expected.frequenciesMHz.size());

    std::vector<EngineOutput> outputs(runs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    std::mutex mutex;
    std::exception_ptr firstError;
    // Trips on either the caller's stop or a failure elsewhere, so that one
    // failing engine stops the others at once. The callback passes the
    // caller's stop on from whichever thread asks for it.
    std::stop_source stopAll;
    const std::stop_callback passOn(settings.stop, [&stopAll] { stopAll.request_stop(); });
    const auto work = [&] {
        while (true) {
            const std::size_t i = next.fetch_add(1);
            if (i >= runs.size() || stopAll.stop_requested()) return;
            try {
                // The engine runs in the directory and is given short names
                // there: nec2c refuses a file name of 76 characters or
                // more, which a path under a long TMPDIR soon is.
                const std::string stem = "run" + std::to_string(i);
                std::ofstream(directory.Path() / (stem + ".nec"), std::ios::binary) << runs[i].deck;
                const ProcessOutcome outcome = RunProcess({settings.program, "-i", stem + ".nec", "-o", stem + ".out"},
                                                          directory.Path(), {deadline, stopAll.get_token()});
                if (outcome.end == ProcessOutcome::End::Stopped) {
                    if (settings.stop.stop_requested()) throw StoppedFailure();
                    return;  // another run failed
                }
                if (outcome.end != ProcessOutcome::End::Exited || outcome.status != 0) {
                    throw EngineFailure(settings.program, outcome, settings.givenTimeout.value_or(settings.timeout));
                }
                outputs[i] = ReadOutput(ReadFile(directory.Path() / (stem + ".out")));
                CheckOutput(outputs[i], runs[i].expected);
                const int now = done.fetch_add(static_cast<int>(runs[i].expected.frequenciesMHz.size())) +
                                static_cast<int>(runs[i].expected.frequenciesMHz.size());
                if (settings.progress) settings.progress(now, total);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!firstError) firstError = std::current_exception();
                stopAll.request_stop();
                return;
            }
        }
    };

    const int workers = std::min(JobCount(settings.jobs), static_cast<int>(runs.size()));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) threads.emplace_back(work);
    for (std::thread& thread : threads) thread.join();

    if (firstError) std::rethrow_exception(firstError);
    if (settings.stop.stop_requested()) throw StoppedFailure();
    return outputs;
}

}  // namespace corvanta::nec
