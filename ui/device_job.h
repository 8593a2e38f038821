#pragma once

// An analyser's sweep off the GUI thread, shaped as MeasurementJob is: its
// progress, a stop, a result. The serial port lives on the job's own
// thread (a QThread, whose event loop the port's notifier needs) and is
// closed there; a stop is seen within a twentieth of a second and keeps
// nothing. Destroying a job stops it and waits for its thread.

#include <QObject>
#include <QThread>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "device/analyser.h"

namespace corvanta::ui {

class DeviceJob : public QObject {
    Q_OBJECT
public:
    DeviceJob(std::string path, device::SweepRequest request, QObject* parent = nullptr);
    ~DeviceJob() override;
    DeviceJob(const DeviceJob&) = delete;
    DeviceJob& operator=(const DeviceJob&) = delete;

    void start();
    bool isRunning() const { return running_; }
    // Asks for the stop; `finished` follows when the thread ends.
    void stop() { stop_.request_stop(); }

    // The result once finished: the sweep, or why not.
    const std::optional<device::DeviceSweep>& sweep() const { return sweep_; }
    const std::optional<device::Failure>& failure() const { return failure_; }
    const std::string& path() const { return path_; }

signals:
    void progressed(int done, int total);
    void finished();

private:
    std::string path_;
    device::SweepRequest request_;
    std::stop_source stop_;
    std::unique_ptr<QThread> thread_;
    bool running_ = false;
    // Written by the thread before it ends; read once it has.
    std::optional<device::DeviceSweep> sweep_;
    std::optional<device::Failure> failure_;
};

}  // namespace corvanta::ui
