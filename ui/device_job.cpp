#include "ui/device_job.h"

#include <utility>

namespace corvanta::ui {

DeviceJob::DeviceJob(std::string path, device::SweepRequest request, QObject* parent)
    : QObject(parent), path_(std::move(path)), request_(request) {}

DeviceJob::~DeviceJob() {
    stop_.request_stop();
    if (thread_) thread_->wait();
}

void DeviceJob::start() {
    running_ = true;
    thread_.reset(QThread::create([this] {
        device::SweepOptions options;
        options.stop = stop_.get_token();
        options.progress = [this](std::size_t done, std::size_t total) {
            const int d = static_cast<int>(done), t = static_cast<int>(total);
            QMetaObject::invokeMethod(
                this, [this, d, t] { emit progressed(d, t); }, Qt::QueuedConnection);
        };
        try {
            sweep_ = device::Sweep(path_, request_, options);
        } catch (const device::Failure& failure) {
            failure_ = failure;
        }
    }));
    connect(thread_.get(), &QThread::finished, this, [this] {
        running_ = false;
        emit finished();
    });
    thread_->start();
}

}  // namespace corvanta::ui
