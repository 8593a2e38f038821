#pragma once

// What the builder set in the model window, kept while the program runs:
// the window is built anew each time it opens (secondary_window.h), and
// the feed, the sweep, the match, the measurement and the lengths as cut
// come back in it. The feed's defaults (the balun, the feeder and the
// port) also outlast the run, in the settings.

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

#include "nec/check_plan.h"
#include "nec/loop_model.h"
#include "nec/touchstone.h"

namespace corvanta::ui {

// The model window's state as a builder left it.
struct ModelWindowState {
    // The set-up (the ground, the height, the feed, the match, the lengths
    // as cut) and the sweep.
    nec::CheckOptions options;
    // The measurement loaded, its file's name and the design it was
    // loaded for.
    std::optional<nec::OnePortSweep> measuredSweep;
    QString measuredName;
    std::optional<nec::LoopModel> measuredDesign;
};

class ModelMemory {
public:
    // `settings`: where the feed's defaults are kept between runs; none:
    // for this run only.
    explicit ModelMemory(std::unique_ptr<QSettings> settings = nullptr);
    ~ModelMemory();
    ModelMemory(const ModelMemory&) = delete;
    ModelMemory& operator=(const ModelMemory&) = delete;

    // The state of the model window closed last; none before one closed.
    const std::optional<ModelWindowState>& state() const { return state_; }
    void keep(ModelWindowState state);

    // The balun, the feeder and the port last chosen, in this run or an
    // earlier one; none before any, or where the settings hold no feed
    // this program can take.
    std::optional<nec::FeedOptions> feedDefaults() const;
    void rememberFeed(const nec::FeedOptions& feed);

private:
    std::unique_ptr<QSettings> settings_;
    std::optional<ModelWindowState> state_;
    std::optional<nec::FeedOptions> feed_;
};

}  // namespace corvanta::ui
