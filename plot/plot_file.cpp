#include "plot/plot_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgGenerator>

#include <functional>

#include "plot/loop_view.h"
#include "plot/pattern_plot.h"
#include "plot/smith_chart.h"
#include "plot/sweep_plot.h"

namespace corvanta::plot {

namespace {

constexpr int kDotsPerInch = 96;
constexpr double kInchesPerMetre = 1 / 0.0254;

QString Suffix(const std::string& path) { return QFileInfo(QString::fromStdString(path)).suffix().toLower(); }

void Draw(QPainter& painter, PlotKind kind, const QRectF& area, const nec::ModelCheck& check,
          const HiddenCurves& hidden) {
    switch (kind) {
        case PlotKind::Sweep:
            return DrawSweepPlot(painter, area, check, hidden);
        case PlotKind::Pattern:
            return DrawPatternPlot(painter, area, check);
        case PlotKind::Smith:
            return DrawSmithChart(painter, area, check);
    }
}

QString Title(PlotKind kind) {
    switch (kind) {
        case PlotKind::Sweep:
            return QStringLiteral("SWR and impedance");
        case PlotKind::Pattern:
            return QStringLiteral("Radiation pattern");
        case PlotKind::Smith:
            return QStringLiteral("Smith chart");
    }
    return {};
}

}  // namespace

QSize PlotSize(PlotKind kind) {
    switch (kind) {
        case PlotKind::Sweep:
            return kSweepPlotSize;
        case PlotKind::Pattern:
            return kPatternPlotSize;
        case PlotKind::Smith:
            return kSmithPlotSize;
    }
    return kSweepPlotSize;
}

namespace {

// Draws whole into memory first: the file is written only once there is
// all of it, and so never left half drawn.
std::optional<std::string> WriteDrawing(const std::string& path, QSize size, const QString& title,
                                        const std::function<void(QPainter&, const QRectF&)>& draw,
                                        const WholeFileOptions& options) {
    const QRectF area(QPointF(0, 0), QSizeF(size));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (Suffix(path) == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setResolution(kDotsPerInch);
        svg.setTitle(title);
        svg.setDescription(QStringLiteral("corvanta-cli check"));
        QPainter painter;
        if (!painter.begin(&svg)) return "cannot draw the plot for " + path;
        draw(painter, area);
        if (!painter.end()) return "cannot draw the plot for " + path;
    } else if (Suffix(path) == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMetre = static_cast<int>(kDotsPerInch * kInchesPerMetre + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        QPainter painter(&image);
        draw(painter, area);
        painter.end();
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image)) return "cannot draw the plot for " + path + ": " + writer.errorString().toStdString();
    } else {
        return path + " is neither .svg nor .png";
    }
    const QByteArray& bytes = buffer.data();
    if (auto failed = WriteWholeFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                     options)) {
        return "cannot write " + path + ": " + *failed;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> WritePlot(const std::string& path, PlotKind kind, const nec::ModelCheck& check,
                                     const HiddenCurves& hidden, const WholeFileOptions& options) {
    return WriteDrawing(
        path, PlotSize(kind), Title(kind),
        [&](QPainter& painter, const QRectF& area) { Draw(painter, kind, area, check, hidden); }, options);
}

std::optional<std::string> WriteLoopView(const std::string& path, const nec::ModelCheck& check,
                                         const LoopViewSettings& settings, const WholeFileOptions& options) {
    return WriteDrawing(
        path, kLoopViewSize, QStringLiteral("The loop in three dimensions"),
        [&](QPainter& painter, const QRectF& area) { DrawLoopView(painter, area, check, settings); }, options);
}

}  // namespace corvanta::plot
