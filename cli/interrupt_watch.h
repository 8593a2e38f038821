#pragma once

#include <stop_token>
#include <thread>

// Ctrl+C, SIGTERM or SIGHUP (the terminal closed) during a check stops it:
// the engines are killed, their files go, and the program ends with 128 +
// the signal, as a shell reports one. Left to its default, SIGHUP would end
// the program on the spot and leave the temporary folder behind.
//
// A signal handler may not take a lock, and std::stop_source's request_stop
// may (it runs the stop's callbacks), so the handler only records the
// signal and writes a byte into a pipe; a watcher thread wakes on that byte
// and asks for the stop. Outside a watch the signals keep their defaults.

namespace corvanta::cli {

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    std::stop_token Token() const { return stop_.get_token(); }
    // The signal that stopped the check.
    int Signal() const;

private:
    int pipe_[2] = {-1, -1};
    std::stop_source stop_;
    std::jthread watcher_;
};

}  // namespace corvanta::cli
