#include "ui/measurement_job.h"

#include <exception>
#include <utility>

#include "nec/outside_file.h"
#include "nec/touchstone.h"

namespace corvanta::ui {

MeasurementJob::MeasurementJob(Task task, QObject* parent) : QObject(parent), task_(std::move(task)) {}

MeasurementJob::~MeasurementJob() {
    // std::jthread asks for the stop and joins; the queued calls that the
    // thread left go with this object.
    thread_ = {};
}

void MeasurementJob::start() {
    if (running_ || thread_.joinable()) return;
    running_ = true;
    thread_ = std::jthread([this](std::stop_token stop) {
        // Queued calls with this object as their context: Qt drops them
        // when the job is gone before they arrive.
        const auto tell = [this](Step step) {
            QMetaObject::invokeMethod(
                this, [this, step] { progress(step); }, Qt::QueuedConnection);
        };
        const auto stopHere = [&stop] {
            if (stop.stop_requested()) throw nec::StoppedFailure();
        };
        try {
            std::optional<nec::OnePortSweep> sweep = task_.sweep;
            if (!sweep) {
                const std::string text = nec::ReadOutsideFile(task_.path.toStdString(), nec::kOutsideFileLimit, stop);
                stopHere();
                tell(Step::ReadingLines);
                sweep = nec::ReadTouchstone(text);
                bytes_ = QByteArray::fromStdString(text);
            }
            stopHere();
            tell(Step::Comparing);
            measurement_ = nec::CompareMeasurement(task_.check, *sweep, task_.name, task_.setting);
            sweep_ = std::move(sweep);
            stopHere();
        } catch (const nec::Failure& failure) {
            failure_ = failure;
            measurement_.reset();
        } catch (const std::exception& error) {
            // Memory, mostly: nothing the window holds is touched.
            problem_ = QString::fromStdString(error.what());
            measurement_.reset();
        }
        QMetaObject::invokeMethod(this, &MeasurementJob::finish, Qt::QueuedConnection);
    });
}

void MeasurementJob::stop() { thread_.request_stop(); }

void MeasurementJob::progress(Step step) {
    if (!running_ || step < step_) return;
    step_ = step;
    emit progressed(step);
}

void MeasurementJob::finish() {
    if (!running_) return;
    if (thread_.joinable()) thread_.join();
    running_ = false;
    step_ = Step::Done;
    emit finished();
}

}  // namespace corvanta::ui
