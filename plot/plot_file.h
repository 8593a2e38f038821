#pragma once

#include <QSize>
#include <optional>
#include <string>

#include "core/whole_file.h"
#include "nec/model_check.h"
#include "plot/loop_view.h"
#include "plot/sweep_plot.h"

// The plots as files: SVG through Qt SVG's generator, PNG through QImage,
// chosen by the file name's ending. Both draw with the same code as the
// window. Needs a QGuiApplication (corvanta-cli starts one on the offscreen
// platform).

namespace corvanta::plot {

enum class PlotKind { Sweep, Pattern, Smith };

// Its size in a file, in pixels.
QSize PlotSize(PlotKind kind);

// Nothing when written; else what went wrong, for a message. The file is
// written whole or not at all (core/whole_file.h), with `options`.
// `hidden`: the SWR plot's curves left out, as the window shows them.
std::optional<std::string> WritePlot(const std::string& path, PlotKind kind, const nec::ModelCheck& check,
                                     const HiddenCurves& hidden = {}, const WholeFileOptions& options = {});

// The loop in three dimensions as a file, the same way.
std::optional<std::string> WriteLoopView(const std::string& path, const nec::ModelCheck& check,
                                         const LoopViewSettings& settings = {}, const WholeFileOptions& options = {});

}  // namespace corvanta::plot
