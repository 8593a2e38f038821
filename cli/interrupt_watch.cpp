#include "cli/interrupt_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace corvanta::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int wakeWatcher = -1;  // the pipe's writing end, for the handler
volatile std::sig_atomic_t caught = 0;

extern "C" void OnInterrupt(int signal) {
    const int saved = errno;
    caught = signal;
    const char stop = 1;
    // Non-blocking: a full pipe already holds a stop.
    [[maybe_unused]] const auto written = ::write(wakeWatcher, &stop, 1);
    errno = saved;
}

void Handle(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    // Close-on-exec, so that no engine holds the pipe open.
    if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
    ::fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
    wakeWatcher = pipe_[1];
    watcher_ = std::jthread([this] {
        char byte = 0;
        while (::read(pipe_[0], &byte, 1) < 0 && errno == EINTR) {}
        if (byte == 1) stop_.request_stop();
    });
    Handle(OnInterrupt);
}

InterruptWatch::~InterruptWatch() {
    if (!watcher_.joinable()) return;
    // From here a signal ends the program as it would without a check.
    Handle(SIG_DFL);
    const char done = 0;
    [[maybe_unused]] const auto written = ::write(pipe_[1], &done, 1);
    watcher_.join();
    wakeWatcher = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

int InterruptWatch::Signal() const { return caught; }

}  // namespace corvanta::cli
