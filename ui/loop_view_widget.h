#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>

#include "core/field_conversion.h"
#include "nec/model_check.h"
#include "plot/loop_view.h"

class QCheckBox;
class QPushButton;

namespace corvanta::ui {

// The loop in three dimensions. The mouse turns it (drag) and zooms it
// (wheel); so do the keys: the arrows turn it by kKeyStepDeg, + and -
// zoom, Home goes back to the default view.
class LoopViewCanvas : public QWidget {
    Q_OBJECT
public:
    static constexpr double kKeyStepDeg = 5;
    // Degrees a pixel of dragging turns the view.
    static constexpr double kDragDegPerPixel = 0.5;
    static constexpr double kZoomStep = 1.15;

    explicit LoopViewCanvas(QWidget* parent = nullptr);

    // The check to draw, or none; it must outlive its showing here.
    void setCheck(const nec::ModelCheck* check);
    void setFormat(NumberFormat format);
    const plot::LoopViewSettings& settings() const { return settings_; }
    void setShown(bool pattern, bool currents, bool geometry);
    void resetView();

signals:
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void turn(double azimuthDeg, double elevationDeg);
    void zoom(double factor);

    std::unique_ptr<plot::LoopScene> scene_;
    plot::LoopViewSettings settings_;
    NumberFormat format_;
    std::optional<QPoint> dragFrom_;
};

// The canvas with what it shows and the way back to the default view.
class LoopViewPage : public QWidget {
    Q_OBJECT
public:
    explicit LoopViewPage(QWidget* parent = nullptr);
    LoopViewCanvas* canvas() const { return canvas_; }

private:
    LoopViewCanvas* canvas_;
    QCheckBox* pattern_;
    QCheckBox* currents_;
    QCheckBox* geometry_;
    QPushButton* reset_;
};

}  // namespace corvanta::ui
