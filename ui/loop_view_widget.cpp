#include "ui/loop_view_widget.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "plot/plot_style.h"

namespace corvanta::ui {

namespace {

constexpr double kLeastZoom = 0.3;
constexpr double kMostZoom = 8;

}  // namespace

LoopViewCanvas::LoopViewCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("loopView"));
    setAccessibleName(QStringLiteral("The loop in three dimensions"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    setToolTip(
        QStringLiteral("Drag to turn the loop, the wheel to zoom; the arrow keys turn it, + and - zoom, "
                       "Home goes back to the default view"));
    setWhatsThis(QStringLiteral(
        "<p>The loop as modelled, in three dimensions: each wire coloured by the current the engine found on it at "
        "the design frequency (blue for little, red for the most), each feed gap marked with a ring, the ground as a "
        "grid, and the radiation pattern as a surface round the loop. The surface's distance from the centre is the "
        "gain above 30 dB under its maximum, so the loop inside stays visible. The dashed line on the compass "
        "shows the azimuth of the Pattern tab's elevation cut.</p>"
        "<p>Drag to turn, the wheel to zoom; the arrow keys turn, + and - zoom, Home goes back.</p>"));
}

void LoopViewCanvas::setCheck(const nec::ModelCheck* check) {
    scene_ = check ? std::make_unique<plot::LoopScene>(*check) : nullptr;
    update();
}

void LoopViewCanvas::setFormat(NumberFormat format) {
    format_ = format;
    update();
}

void LoopViewCanvas::setShown(bool pattern, bool currents, bool geometry) {
    settings_.pattern = pattern;
    settings_.currents = currents;
    settings_.geometry = geometry;
    update();
    emit viewChanged();
}

void LoopViewCanvas::resetView() {
    settings_.angle = plot::kDefaultViewAngle;
    settings_.zoom = 1;
    update();
    emit viewChanged();
}

void LoopViewCanvas::turn(double azimuthDeg, double elevationDeg) {
    settings_.angle =
        plot::Normalised({settings_.angle.azimuthDeg + azimuthDeg, settings_.angle.elevationDeg + elevationDeg});
    update();
    emit viewChanged();
}

void LoopViewCanvas::zoom(double factor) {
    settings_.zoom = std::clamp(settings_.zoom * factor, kLeastZoom, kMostZoom);
    update();
    emit viewChanged();
}

void LoopViewCanvas::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!scene_) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Run the check to see the loop."));
        return;
    }
    const plot::style::DecimalSeparator separator(format_);
    scene_->Draw(painter, QRectF(rect()), settings_);
}

void LoopViewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_ = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void LoopViewCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - *dragFrom_;
    dragFrom_ = at;
    // Dragging right brings the loop's right side toward the eye; dragging
    // down shows it from higher up.
    turn(-moved.x() * kDragDegPerPixel, moved.y() * kDragDegPerPixel);
}

void LoopViewCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
}

void LoopViewCanvas::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) return;
    zoom(std::pow(kZoomStep, steps));
    event->accept();
}

void LoopViewCanvas::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            return turn(kKeyStepDeg, 0);
        case Qt::Key_Right:
            return turn(-kKeyStepDeg, 0);
        case Qt::Key_Up:
            return turn(0, kKeyStepDeg);
        case Qt::Key_Down:
            return turn(0, -kKeyStepDeg);
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return zoom(kZoomStep);
        case Qt::Key_Minus:
            return zoom(1 / kZoomStep);
        case Qt::Key_Home:
            return resetView();
        default:
            QWidget::keyPressEvent(event);
    }
}

LoopViewPage::LoopViewPage(QWidget* parent) : QWidget(parent) {
    canvas_ = new LoopViewCanvas(this);
    pattern_ = new QCheckBox(QStringLiteral("Pattern"), this);
    pattern_->setObjectName(QStringLiteral("viewPattern"));
    pattern_->setToolTip(QStringLiteral("The radiation pattern as a surface round the loop"));
    currents_ = new QCheckBox(QStringLiteral("Currents"), this);
    currents_->setObjectName(QStringLiteral("viewCurrents"));
    currents_->setToolTip(QStringLiteral("The wires coloured by the current on them at the design frequency"));
    geometry_ = new QCheckBox(QStringLiteral("Wires, gaps and ground"), this);
    geometry_->setObjectName(QStringLiteral("viewGeometry"));
    geometry_->setToolTip(QStringLiteral("The wires as built, the feed gaps marked, the ground as a grid"));
    for (QCheckBox* box : {pattern_, currents_, geometry_}) {
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this,
                [this] { canvas_->setShown(pattern_->isChecked(), currents_->isChecked(), geometry_->isChecked()); });
    }
    reset_ = new QPushButton(QStringLiteral("Default view"), this);
    reset_->setObjectName(QStringLiteral("viewReset"));
    reset_->setToolTip(QStringLiteral("Back to the view the tab opened with (Home)"));
    connect(reset_, &QPushButton::clicked, canvas_, &LoopViewCanvas::resetView);

    auto* row = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{pattern_, currents_, geometry_}) row->addWidget(w);
    row->addStretch(1);
    row->addWidget(reset_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvas_, 1);
    layout->addLayout(row);
}

}  // namespace corvanta::ui
