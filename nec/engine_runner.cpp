#include "nec/engine_runner.h"

#include <sched.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "nec/subprocess.h"
#include "nec/text_format.h"

namespace corvanta::nec {

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The engine's own last words, for the message: its last non-empty lines.
std::string LastLines(const std::string& log, std::size_t count) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    std::string text;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        text += "\n  " + lines[i];
    }
    return text;
}

std::string Described(const char* description) { return description ? description : "no description"; }

std::string Failure(const std::string& program, const ProcessOutcome& outcome,
                    std::chrono::duration<double> timeout) {
    const std::string said = LastLines(outcome.output, 4);
    switch (outcome.end) {
    case ProcessOutcome::End::NotFound:
        return program + " is not installed; install Debian's package nec2c (sudo apt-get install nec2c)";
    case ProcessOutcome::End::NotStarted:
        // strerrordesc_np and sigdescr_np, unlike strerror and strsignal, are
        // safe on the engines' threads.
        return program + " could not be started: " + Described(strerrordesc_np(outcome.error));
    case ProcessOutcome::End::TimedOut:
        return program + " did not finish within " + Trimmed(timeout.count(), 2) +
               " s; every engine was stopped (--timeout SECONDS gives it longer)";
    case ProcessOutcome::End::Signalled:
        return program + " crashed on the model (signal " + std::to_string(outcome.status) + ", " +
               Described(sigdescr_np(outcome.status)) + ")" + (said.empty() ? "" : "; it said:" + said);
    case ProcessOutcome::End::Exited:
        return program + " failed on the model (exit status " + std::to_string(outcome.status) + ")" +
               (said.empty() ? "" : "; it said:" + said);
    case ProcessOutcome::End::Stopped: break;
    }
    return program + " was stopped";
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
        throw EngineError(Failure(settings.program, {ProcessOutcome::End::NotFound, 0, 0, {}}, {}));
    }
    TemporaryDirectory directory("corvanta-nec");
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(settings.timeout);

    int total = 0;
    for (const EngineRun& run : runs) total += static_cast<int>(run.expected.frequenciesMHz.size());

    std::vector<EngineOutput> outputs(runs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    std::mutex mutex;
    std::exception_ptr firstError;
    // A watcher flag that trips on either the caller's stop or a failure
    // elsewhere, so that one failing engine stops the others at once.
    std::atomic<bool> stopAll{false};
    const auto work = [&] {
        while (true) {
            const std::size_t i = next.fetch_add(1);
            if (i >= runs.size() || stopAll.load()) return;
            try {
                // The engine runs in the directory and is given short names
                // there: nec2c refuses a file name of 76 characters or
                // more, which a path under a long TMPDIR soon is.
                const std::string stem = "run" + std::to_string(i);
                std::ofstream(directory.Path() / (stem + ".nec"), std::ios::binary) << runs[i].deck;
                const ProcessOutcome outcome =
                    RunProcess({settings.program, "-i", stem + ".nec", "-o", stem + ".out"}, directory.Path(),
                               {deadline, &stopAll});
                if (outcome.end == ProcessOutcome::End::Stopped) {
                    if (settings.stop && settings.stop->load()) throw EngineStopped();
                    return;  // another run failed
                }
                if (outcome.end != ProcessOutcome::End::Exited || outcome.status != 0) {
                    throw EngineError(Failure(settings.program, outcome,
                                              settings.givenTimeout.value_or(settings.timeout)));
                }
                outputs[i] = ReadOutput(ReadFile(directory.Path() / (stem + ".out")));
                CheckOutput(outputs[i], runs[i].expected);
                const int now = done.fetch_add(static_cast<int>(runs[i].expected.frequenciesMHz.size())) +
                                static_cast<int>(runs[i].expected.frequenciesMHz.size());
                if (settings.progress) settings.progress(now, total);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!firstError) firstError = std::current_exception();
                stopAll = true;
                return;
            }
        }
    };

    const int workers = std::min(JobCount(settings.jobs), static_cast<int>(runs.size()));
    std::vector<std::thread> threads;
    std::atomic<bool> finished{false};
    // Passes the caller's stop on to the runs.
    std::thread watcher([&] {
        while (!finished.load()) {
            if (settings.stop && settings.stop->load()) stopAll = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    for (int w = 0; w < workers; ++w) threads.emplace_back(work);
    for (std::thread& thread : threads) thread.join();
    finished = true;
    watcher.join();

    if (firstError) std::rethrow_exception(firstError);
    if (settings.stop && settings.stop->load()) throw EngineStopped();
    return outputs;
}

}  // namespace corvanta::nec
