#include "plot/plot_file.h"

#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgGenerator>

#include "plot/pattern_plot.h"
#include "plot/sweep_plot.h"

namespace corvanta::plot {

namespace {

constexpr int kDotsPerInch = 96;
constexpr double kInchesPerMetre = 1 / 0.0254;

QString Suffix(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower();
}

void Draw(QPainter& painter, PlotKind kind, const QRectF& area, const nec::ModelCheck& check) {
    if (kind == PlotKind::Sweep) DrawSweepPlot(painter, area, check);
    else DrawPatternPlot(painter, area, check);
}

}  // namespace

std::optional<std::string> WritePlot(const std::string& path, PlotKind kind, const nec::ModelCheck& check) {
    const QSize size = kind == PlotKind::Sweep ? kSweepPlotSize : kPatternPlotSize;
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
        svg.setTitle(kind == PlotKind::Sweep ? QStringLiteral("SWR and impedance") : QStringLiteral("Radiation pattern"));
        svg.setDescription(QStringLiteral("corvanta-cli check"));
        QPainter painter;
        if (!painter.begin(&svg)) return "cannot write " + path;
        Draw(painter, kind, area, check);
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
        Draw(painter, kind, area, check);
        painter.end();
        QImageWriter writer(name, "png");
        if (!writer.write(image)) return "cannot write " + path + ": " + writer.errorString().toStdString();
        return std::nullopt;
    }
    return path + " is neither .svg nor .png";
}

}  // namespace corvanta::plot
