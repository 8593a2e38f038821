#include "ui/check_job.h"

#include <exception>
#include <utility>

namespace corvanta::ui {

CheckJob::CheckJob(nec::CheckRequest request, QObject* parent) : QObject(parent), request_(std::move(request)) {}

CheckJob::~CheckJob() {
    // std::jthread asks for the stop and joins; the queued calls that the
    // thread left go with this object.
    thread_ = {};
}

void CheckJob::start() {
    if (running_ || thread_.joinable()) return;
    running_ = true;
    nec::CheckRequest request = request_;
    nec::CheckOptions& options = request.options;
    // Queued calls with this object as their context: Qt drops them when
    // the job is gone before they arrive.
    options.progress = [this](int done, int total) {
        QMetaObject::invokeMethod(
            this, [this, done, total] { progress(done, total); }, Qt::QueuedConnection);
    };
    thread_ = std::jthread([this, request = std::move(request)](std::stop_token stop) mutable {
        request.options.stop = std::move(stop);
        try {
            check_ = nec::Check(request);
        } catch (const nec::Failure& failure) {
            failure_ = failure;
        } catch (const std::exception& error) {
            problem_ = QString::fromStdString(error.what());
        }
        QMetaObject::invokeMethod(this, &CheckJob::finish, Qt::QueuedConnection);
    });
}

void CheckJob::stop() { thread_.request_stop(); }

void CheckJob::kill() {
    if (!running_) return;
    thread_.request_stop();
    thread_.join();
    finish();
}

void CheckJob::progress(int done, int total) {
    // Engines finish out of order; the count only goes forward.
    if (!running_ || done < done_) return;
    done_ = done;
    total_ = total;
    emit progressed(done, total);
}

void CheckJob::finish() {
    // The thread's own call comes after kill() has finished the job.
    if (!running_) return;
    if (thread_.joinable()) thread_.join();
    running_ = false;
    emit finished();
}

}  // namespace corvanta::ui
