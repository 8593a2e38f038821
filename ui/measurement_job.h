#pragma once

// A measurement read and laid beside a check off the GUI thread, shaped
// as CheckJob is: its progress, a stop, a result. Reading a file is bounded
// (nec::ReadOutsideFile) and sees a stop between chunks; reading its lines
// and comparing them are bounded too, and a stop is seen between the
// steps. The job works on copies: the window's check may change while it
// runs, and the window judges on its end whether the result still fits.
// Destroying a job stops it and waits for its thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <thread>

#include "conductor/design_run.h"
#include "nec/check_request.h"
#include "nec/measurement.h"
#include "nec/model_check.h"

namespace corvanta::ui {

class MeasurementJob : public QObject {
    Q_OBJECT
public:
    // Where the job is: the steps, in order.
    enum class Step { Reading, ReadingLines, Comparing, Done };

    struct Task {
        QString path;                            // read from here; empty: `sweep` is given
        std::optional<nec::OnePortSweep> sweep;  // already read
        nec::ModelCheck check;                   // laid beside this
        std::string name;                        // the file's name, for the report
        // The model the measurement was taken in with; none: the check's.
        std::optional<nec::LoopModel> takenOf;
        // What the check ran: a measurement taken in runs the other
        // shape's model beside it, as the check does for one it is given.
        // None: the check holds that run already, and the measurement is
        // only compared again (the lengths as cut or the feed changed).
        std::optional<Design> design;
        nec::CheckOptions options;
    };

    explicit MeasurementJob(Task task, QObject* parent = nullptr);
    ~MeasurementJob() override;
    MeasurementJob(const MeasurementJob&) = delete;
    MeasurementJob& operator=(const MeasurementJob&) = delete;

    void start();
    bool isRunning() const { return running_; }
    Step step() const { return step_; }
    // Asks for the stop; `finished` follows when the thread ends.
    void stop();

    // The result once finished: the bytes read (empty for a sweep given),
    // the sweep, the check with the measurement laid beside it; or why not.
    const QByteArray& bytes() const { return bytes_; }
    const std::optional<nec::OnePortSweep>& sweep() const { return sweep_; }
    std::optional<nec::ModelCheck>& check() { return check_; }
    const std::optional<nec::Failure>& failure() const { return failure_; }
    const QString& problem() const { return problem_; }

signals:
    void progressed(corvanta::ui::MeasurementJob::Step step);
    void finished();

private:
    void progress(Step step);
    void finish();

    Task task_;
    std::jthread thread_;
    bool running_ = false;
    Step step_ = Step::Reading;
    // Written by the thread before it ends; read after it has been joined.
    QByteArray bytes_;
    std::optional<nec::OnePortSweep> sweep_;
    std::optional<nec::ModelCheck> check_;
    std::optional<nec::Failure> failure_;
    QString problem_;
};

}  // namespace corvanta::ui
