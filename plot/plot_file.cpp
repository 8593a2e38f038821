#include "plot/plot_file.h"

#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgGenerator>

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

std::optional<std::string> WritePlot(const std::string& path, PlotKind kind, const nec::ModelCheck& check,
                                     const HiddenCurves& hidden) {
    const QSize size = PlotSize(kind);
    const QRectF area(QPointF(0, 0), QSizeF(size));
    const QString name = QString::fromStdString(path);
    if (Suffix(path) == QLatin1String("svg")) {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return "cannot write " + path + ": " + file.errorString().toStdString();
        }
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setResolution(kDotsPerInch);
        svg.setTitle(Title(kind));
        svg.setDescription(QStringLiteral("corvanta-cli check"));
        QPainter painter;
        if (!painter.begin(&svg)) return "cannot write " + path;
        Draw(painter, kind, area, check, hidden);
        if (!painter.end() || !file.flush()) return "cannot write " + path + ": " + file.errorString().toStdString();
        return std::nullopt;
    }
    if (Suffix(path) == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMetre = static_cast<int>(kDotsPerInch * kInchesPerMetre + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        QPainter painter(&image);
        Draw(painter, kind, area, check, hidden);
        painter.end();
        QImageWriter writer(name, "png");
        if (!writer.write(image)) return "cannot write " + path + ": " + writer.errorString().toStdString();
        return std::nullopt;
    }
    return path + " is neither .svg nor .png";
}

}  // namespace corvanta::plot
