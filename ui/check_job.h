#pragma once

// One model check run off the GUI thread, shaped as a job: its progress, a
// kill, a result. start() hands nec::Check to a thread of its own, whose
// stop token is the check's; the frequencies answered and the end come
// back to the GUI thread as queued signals. stop() asks the engines to
// stop, which kills their process groups within milliseconds; kill() also
// waits for the thread and ends the job at once. Destroying a job kills it
// without a word: nothing runs after its owner is gone.

#include <QObject>
#include <QString>
#include <optional>
#include <thread>

#include "conductor/design_run.h"
#include "nec/check_request.h"
#include "nec/model_check.h"

namespace corvanta::ui {

class CheckJob : public QObject {
    Q_OBJECT
public:
    explicit CheckJob(nec::CheckRequest request, QObject* parent = nullptr);
    ~CheckJob() override;
    CheckJob(const CheckJob&) = delete;
    CheckJob& operator=(const CheckJob&) = delete;

    void start();
    bool isRunning() const { return running_; }

    // Frequencies answered so far, of `total`; both 0 until the first. The
    // progress is counted in frequencies, as the window shows it ("12 of
    // 101"), rather than as a percent.
    int done() const { return done_; }
    int total() const { return total_; }

    // Asks the engines to stop; `finished` follows when the thread ends.
    void stop();
    // Stops the engines, waits for the thread, and finishes now.
    void kill();

    // The result once finished: the check, or why there is none (a
    // failure of the model library, or the system's words).
    std::optional<nec::ModelCheck>& check() { return check_; }
    const std::optional<nec::Failure>& failure() const { return failure_; }
    const QString& problem() const { return problem_; }

signals:
    void progressed(int done, int total);
    void finished();

private:
    void progress(int done, int total);
    void finish();

    nec::CheckRequest request_;
    std::jthread thread_;
    bool running_ = false;
    int done_ = 0, total_ = 0;
    // Written by the thread before it ends; read after it has been joined.
    std::optional<nec::ModelCheck> check_;
    std::optional<nec::Failure> failure_;
    QString problem_;
};

}  // namespace corvanta::ui
