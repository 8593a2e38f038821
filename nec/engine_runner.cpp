#include "nec/engine_runner.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

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

// Under this much room the engines' folder counts as full: an engine that
// could not write its output leaves its disk with less than a buffer's worth.
constexpr unsigned long long kFullDiskBytes = 1 << 20;

bool DiskFull(const std::filesystem::path& folder) {
    struct statvfs room {};
    if (::statvfs(folder.c_str(), &room) != 0) return false;
    return static_cast<unsigned long long>(room.f_bavail) * room.f_frsize < kFullDiskBytes;
}

Failure FullDisk(const std::filesystem::path& folder, const std::string& what) {
    return Failure(FailureKind::System, "the disk that holds the engines' folder " + folder.string() + " is full (" +
                                            Described(strerrordesc_np(ENOSPC)) + "): " + what);
}

// The deck, every byte written and the file closed, or the system's
// reason: a full disk is said as such, not left for the engine to trip on.
void WriteDeckFile(const std::filesystem::path& folder, const std::string& name, const std::string& deck) {
    const std::filesystem::path path = folder / name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int error = fd < 0 ? errno : 0;
    for (std::size_t done = 0; error == 0 && done < deck.size();) {
        const ssize_t wrote = ::write(fd, deck.data() + done, deck.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) error = errno;
        else done += static_cast<std::size_t>(wrote);
    }
    if (fd >= 0 && ::close(fd) != 0 && error == 0) error = errno;
    if (error == ENOSPC || error == EDQUOT) throw FullDisk(folder, "the engine's deck cannot be written");
    if (error != 0) {
        throw Failure(FailureKind::System,
                      "cannot write the engine's deck " + path.string() + ": " + Described(strerrordesc_np(error)));
    }
}

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

constexpr const char* kEnginesFolder = "corvanta-nec";

// The engines' folder; the system refusing it (a full disk, a TMPDIR that
// is not there) ends the check like any other failure.
std::unique_ptr<TemporaryDirectory> EnginesFolder() {
    // What a check killed outright left behind goes first.
    RemoveOrphanedDirectories(kEnginesFolder);
    try {
        return std::make_unique<TemporaryDirectory>(kEnginesFolder);
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

EnginePool::EnginePool(const EngineSettings& settings) : settings_(settings) {
    if (!FindProgram(settings.program)) {
        throw EngineFailure(settings.program, {ProcessOutcome::End::NotFound, 0, 0, {}}, {});
    }
    directory_ = EnginesFolder();
    deadline_ = std::chrono::steady_clock::now() +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(settings.timeout);
    // The caller's stop is passed on from whichever thread asks for it, and
    // wakes whoever waits for an answer.
    passOn_.emplace(settings_.stop, [this] {
        stopAll_.request_stop();
        std::lock_guard lock(mutex_);
        changed_.notify_all();
    });
}

void EnginePool::StartWorkers() {
    if (!workers_.empty()) return;
    for (int w = 0; w < JobCount(settings_.jobs); ++w) workers_.emplace_back([this] { Work(); });
}

EnginePool::~EnginePool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    stopAll_.request_stop();
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void EnginePool::Submit(EngineRun run, int priority, Done done) {
    Enqueue({std::move(run), priority, 0, std::move(done), {}});
}

void EnginePool::Enqueue(Queued queued) {
    {
        std::lock_guard lock(mutex_);
        frequenciesQueued_ += static_cast<int>(queued.run.expected.frequenciesMHz.size());
        queued.order = queuedSoFar_++;
        queue_.push_back(std::move(queued));
        ++unfinished_;
    }
    changed_.notify_all();
}

void EnginePool::ThrowIfEnded() const {
    if (failure_) std::rethrow_exception(failure_);
    if (settings_.stop.stop_requested()) throw StoppedFailure();
}

std::vector<EngineOutput> EnginePool::Run(std::vector<EngineRun> runs, int priority) {
    return RunBatch(std::move(runs), priority, false);
}

std::vector<EngineOutput> EnginePool::RunApart(std::vector<EngineRun> runs, int priority) {
    return RunBatch(std::move(runs), priority, true);
}

std::vector<EngineOutput> EnginePool::RunBatch(std::vector<EngineRun> runs, int priority, bool apart) {
    // Shared with the callbacks, which may outlive this call when another
    // run fails first.
    struct Batch {
        std::vector<EngineOutput> outputs;
        std::size_t left = 0;
        std::exception_ptr failure;
    };
    const auto batch = std::make_shared<Batch>();
    batch->outputs.resize(runs.size());
    batch->left = runs.size();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Queued queued{std::move(runs[i]),
                      priority,
                      0,
                      [this, batch, i](EngineOutput&& output) {
                          std::lock_guard lock(mutex_);
                          batch->outputs[i] = std::move(output);
                          --batch->left;
                      },
                      {}};
        if (apart) {
            queued.failed = [this, batch](std::exception_ptr failure) {
                std::lock_guard lock(mutex_);
                if (!batch->failure) batch->failure = failure;
                --batch->left;
            };
        }
        Enqueue(std::move(queued));
    }
    StartWorkers();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return batch->left == 0 || failure_ || settings_.stop.stop_requested(); });
    if (batch->failure) std::rethrow_exception(batch->failure);
    ThrowIfEnded();
    return std::move(batch->outputs);
}

void EnginePool::Wait() {
    StartWorkers();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return unfinished_ == 0 || failure_ || settings_.stop.stop_requested(); });
    ThrowIfEnded();
}

int EnginePool::FrequenciesDone() const {
    std::lock_guard lock(mutex_);
    return frequenciesDone_;
}

void EnginePool::Work() {
    while (true) {
        Queued queued;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !queue_.empty() || closing_ || stopAll_.stop_requested(); });
            if (closing_ || stopAll_.stop_requested()) return;
            const auto first = std::min_element(queue_.begin(), queue_.end(), [](const Queued& a, const Queued& b) {
                return a.priority > b.priority || (a.priority == b.priority && a.order < b.order);
            });
            queued = std::move(*first);
            queue_.erase(first);
        }
        try {
            RunOne(queued);
        } catch (...) {
            if (queued.failed) {
                queued.failed(std::current_exception());
            } else {
                std::lock_guard lock(mutex_);
                if (!failure_) failure_ = std::current_exception();
                stopAll_.request_stop();
            }
        }
        {
            std::lock_guard lock(mutex_);
            --unfinished_;
        }
        changed_.notify_all();
    }
}

void EnginePool::RunOne(Queued& queued) {
    const TemporaryDirectory& directory = *directory_;
    // The engine runs in the directory and is given short names there:
    // nec2c refuses a file name of 76 characters or more, which a path
    // under a long TMPDIR soon is.
    const std::string stem = "run" + std::to_string(queued.order);
    WriteDeckFile(directory.Path(), stem + ".nec", queued.run.deck);
    const ProcessOutcome outcome = RunProcess({settings_.program, "-i", stem + ".nec", "-o", stem + ".out"},
                                              directory.Path(), {deadline_, stopAll_.get_token()});
    if (outcome.end == ProcessOutcome::End::Stopped) {
        if (settings_.stop.stop_requested()) throw StoppedFailure();
        return;  // another run failed
    }
    if (outcome.end != ProcessOutcome::End::Exited || outcome.status != 0) {
        throw EngineFailure(settings_.program, outcome, settings_.givenTimeout.value_or(settings_.timeout));
    }
    EngineOutput output;
    try {
        output = ReadOutput(ReadFile(directory.Path() / (stem + ".out")));
        CheckOutput(output, queued.run.expected);
    } catch (const Failure&) {
        // An engine on a full disk ends well with its output cut short.
        if (DiskFull(directory.Path())) throw FullDisk(directory.Path(), "the engine's output was cut short");
        throw;
    }
    // The files go as soon as they are read: a long sweep leaves no pile.
    std::error_code ignored;
    std::filesystem::remove(directory.Path() / (stem + ".nec"), ignored);
    std::filesystem::remove(directory.Path() / (stem + ".out"), ignored);
    int done = 0, queuedFrequencies = 0;
    {
        std::lock_guard lock(mutex_);
        frequenciesDone_ += static_cast<int>(queued.run.expected.frequenciesMHz.size());
        done = frequenciesDone_;
        queuedFrequencies = frequenciesQueued_;
    }
    if (settings_.progress) settings_.progress(done, queuedFrequencies);
    if (queued.done) queued.done(std::move(output));
}

std::vector<EngineOutput> RunEngines(const std::vector<EngineRun>& runs, const EngineSettings& settings) {
    if (runs.empty()) return {};
    EngineSettings limited = settings;
    limited.jobs = std::min(JobCount(settings.jobs), static_cast<int>(runs.size()));
    EnginePool pool(limited);
    return pool.Run(runs, 0);
}

}  // namespace corvanta::nec
