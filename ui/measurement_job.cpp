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
            nec::ModelCheck check = task_.check;
            if (task_.design) {
                nec::CheckOptions options = task_.options;
                options.stop = stop;
                options.progress = nullptr;
                nec::AddMeasurement(check, *task_.design, options, {*sweep, task_.name, task_.takenOf});
            } else {
                nec::Reread(check, check.plan.feed, task_.options.asBuilt);
            }
            check_ = std::move(check);
            sweep_ = std::move(sweep);
            stopHere();
        } catch (const nec::Failure& failure) {
            failure_ = failure;
            check_.reset();
        } catch (const std::exception& error) {
            // Memory, mostly: nothing the window holds is touched.
            problem_ = QString::fromStdString(error.what());
            check_.reset();
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
