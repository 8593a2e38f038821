#pragma once

#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <optional>

#include "nec/model_check.h"
#include "plot/plot_file.h"
#include "plot/sweep_plot.h"

namespace corvanta::ui {

// A plot of a model check on the screen, drawn by the plotting module with
// the same code as its files, and a read-out of the values under the
// pointer. The keyboard reads too: Left and Right step through the sweep's
// frequencies (or round a pattern cut), Home and End go to its ends, Up and
// Down change the pattern's cut.
class PlotView : public QWidget {
    Q_OBJECT
public:
    explicit PlotView(plot::PlotKind kind, QWidget* parent = nullptr);

    // The check to draw, or none; it must outlive its showing here.
    void setCheck(const nec::ModelCheck* check);
    // The separator the plot and its read-out write numbers with.
    void setFormat(NumberFormat format);
    // The SWR plot's curves left out; none by default.
    void setHiddenCurves(plot::HiddenCurves hidden);
    // What the read-out says now: the values at the pointer, or how to get them.
    QString Readout() const { return readout_; }
    // The size of the plot's smallest text as drawn now, in points.
    double smallestTextPoints() const;

signals:
    void readoutChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The plot is drawn at its own size when there is room, else laid out
    // to the room there is, scaled down only as far as its text stays
    // readable; a larger view gives it the room.
    QSizeF nativeSize() const;
    double leastScale() const;
    double scale() const;
    QRectF area() const;  // where the plot is laid out, in its own pixels
    // Reads the values at a point of the plot's own pixels.
    void readAt(QPointF point);
    void readSweepPoint(int index);
    void readFrequency();  // the sweep's or the chart's values at mhz_
    void readPatternAngle();
    void setReadout(const QString& text);

    plot::PlotKind kind_;
    plot::HiddenCurves hidden_;
    const nec::ModelCheck* check_ = nullptr;
    NumberFormat format_;
    QString readout_;                 // stays when the pointer leaves, to be read and copied
    std::optional<QPointF> pointer_;  // where the read-out was taken, for its mark
    std::optional<double> mhz_;       // the sweep's read-out frequency
    int sweepIndex_ = -1;             // the sweep point the keyboard is on
    bool azimuthCut_ = true;          // the pattern cut the keyboard is on
    int angleDeg_ = 0;                // round that cut, on the screen
};

}  // namespace corvanta::ui
