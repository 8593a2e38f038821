#include "ui/plot_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "plot/pattern_plot.h"
#include "plot/plot_style.h"
#include "plot/smith_chart.h"
#include "plot/sweep_plot.h"

namespace corvanta::ui {

namespace {

constexpr int kAngleStepDeg = 5;
// The smallest text on the screen, in points: the plot is laid out to the
// view's room rather than scaled down past it.
constexpr double kSmallestTextPt = 8;
// Below this (in the plot's own pixels) the panels have no room to mean
// anything; a view smaller still shows the plot cut off.
constexpr QSizeF kLeastArea{360, 200};
// Where on a pattern circle the keyboard's read-out point sits: the gain
// read is the pattern's in that direction, whatever the distance.
constexpr double kKeyboardRadius = 0.6;
const QColor kMark(0x33, 0x33, 0x33, 160);

QString Hint(plot::PlotKind kind) {
    if (kind == plot::PlotKind::Smith) {
        return QStringLiteral(
            "Point at the chart, or press Left and Right, to read the impedance at a "
            "frequency.");
    }
    return kind == plot::PlotKind::Sweep ? QStringLiteral(
                                               "Point at the plot, or press Left and Right, to read the values at a "
                                               "frequency.")
                                         : QStringLiteral(
                                               "Point at a cut, or press Left and Right (Up and Down for the other "
                                               "cut), to read the gain in a direction.");
}

}  // namespace

QSizeF PlotView::nativeSize() const { return plot::PlotSize(kind_); }

double PlotView::leastScale() const { return kSmallestTextPt * logicalDpiY() / 72.0 / plot::style::kSmallPx; }

double PlotView::scale() const {
    // As large as the room allows up to the plot's own size, never so small
    // that its smallest text falls under kSmallestTextPt.
    const QSizeF native = nativeSize();
    return std::max(leastScale(), std::min({1.0, width() / native.width(), height() / native.height()}));
}

QRectF PlotView::area() const {
    const double s = scale();
    return {0, 0, std::max(kLeastArea.width(), width() / s), std::max(kLeastArea.height(), height() / s)};
}

double PlotView::smallestTextPoints() const { return plot::style::kSmallPx * scale() * 72.0 / logicalDpiY(); }

PlotView::PlotView(plot::PlotKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The plot lays itself out to the room it has: at a large scale factor
    // a window holds it whole, with nothing to scroll.
    setMinimumSize(QSize(200, 150));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(kind == plot::PlotKind::Sweep   ? QStringLiteral("SWR and impedance plot")
                      : kind == plot::PlotKind::Smith ? QStringLiteral("Smith chart")
                                                      : QStringLiteral("Radiation pattern plot"));
    setReadout({});
}

void PlotView::setCheck(const nec::ModelCheck* check) {
    check_ = check;
    pointer_.reset();
    mhz_.reset();
    sweepIndex_ = -1;
    setReadout({});
    update();
}

void PlotView::setHiddenCurves(plot::HiddenCurves hidden) {
    hidden_ = std::move(hidden);
    update();
}

void PlotView::setFormat(NumberFormat format) {
    format_ = format;
    update();
}

void PlotView::setReadout(const QString& text) {
    const QString shown = text.isEmpty() ? (check_ ? Hint(kind_) : QString())
                                         : QString::fromStdString(WithSeparator(text.toStdString(), format_));
    if (shown == readout_) return;
    readout_ = shown;
    setAccessibleDescription(readout_);
    emit readoutChanged(readout_);
}

void PlotView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!check_) return;
    painter.setRenderHint(QPainter::Antialiasing);
    const plot::style::DecimalSeparator separator(format_);
    painter.save();
    painter.scale(scale(), scale());
    const QRectF area = this->area();
    if (kind_ == plot::PlotKind::Sweep) {
        plot::DrawSweepPlot(painter, area, *check_, hidden_);
        if (mhz_) {
            // The frequency read, across both panels.
            const plot::SweepLayout layout = plot::LayOutSweep(*check_, area);
            const double x = layout.X(*mhz_);
            painter.setPen(QPen(kMark, 1, Qt::DashLine));
            painter.drawLine(QPointF(x, layout.swrPanel.top()), QPointF(x, layout.swrPanel.bottom()));
            painter.drawLine(QPointF(x, layout.ohmPanel.top()), QPointF(x, layout.ohmPanel.bottom()));
        }
    } else if (kind_ == plot::PlotKind::Smith) {
        plot::DrawSmithChart(painter, area, *check_);
        const auto read = mhz_ ? plot::ReadSmith(*check_, *mhz_) : std::nullopt;
        if (read) {
            const plot::SmithLayout layout = plot::LayOutSmith(*check_, area);
            const double reference = read->referenceOhm;
            painter.setPen(QPen(kMark, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(layout.At(plot::SmithPoint(read->impedance, reference)), 7, 7);
        }
    } else {
        plot::DrawPatternPlot(painter, area, *check_);
        if (pointer_) {
            painter.setPen(QPen(kMark, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(*pointer_, 5, 5);
        }
    }
    painter.restore();
    if (hasFocus()) {
        // Where the keyboard is, as every control shows it.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void PlotView::readAt(QPointF point) {
    if (!check_) return;
    const QRectF area = this->area();
    if (kind_ == plot::PlotKind::Sweep) {
        mhz_ = plot::SweepMHzAt(*check_, area, point);
        const auto readout = mhz_ ? plot::ReadSweep(*check_, *mhz_, hidden_) : std::nullopt;
        setReadout(readout ? plot::ReadoutText(*readout) : QString());
    } else if (kind_ == plot::PlotKind::Smith) {
        mhz_ = plot::SmithMHzAt(*check_, area, point);
        readFrequency();
    } else {
        const auto readout = plot::ReadPatternAt(*check_, area, point);
        pointer_ = readout ? std::optional<QPointF>(point) : std::nullopt;
        setReadout(readout ? plot::ReadoutText(*readout) : QString());
    }
    update();
}

void PlotView::mouseMoveEvent(QMouseEvent* event) { readAt(event->position() / scale()); }

void PlotView::readSweepPoint(int index) {
    const auto& sweep = check_->report.sweep;
    if (sweep.empty()) return;
    sweepIndex_ = std::clamp(index, 0, static_cast<int>(sweep.size()) - 1);
    mhz_ = sweep[static_cast<std::size_t>(sweepIndex_)].mhz;
    readFrequency();
    update();
}

void PlotView::readFrequency() {
    if (kind_ == plot::PlotKind::Smith) {
        const auto readout = mhz_ ? plot::ReadSmith(*check_, *mhz_) : std::nullopt;
        return setReadout(readout ? plot::SmithReadoutText(*readout) : QString());
    }
    const auto readout = mhz_ ? plot::ReadSweep(*check_, *mhz_, hidden_) : std::nullopt;
    setReadout(readout ? plot::ReadoutText(*readout) : QString());
}

void PlotView::readPatternAngle() {
    const plot::PatternLayout layout = plot::LayOutPattern(*check_, area());
    if (!layout.drawable) return;
    const QPointF centre = azimuthCut_ ? layout.azimuthCentre : layout.elevationCentre;
    const double radians = angleDeg_ * std::numbers::pi / 180;
    const double r = kKeyboardRadius * layout.radius;
    readAt({centre.x() + r * std::cos(radians), centre.y() - r * std::sin(radians)});
}

void PlotView::keyPressEvent(QKeyEvent* event) {
    if (!check_) return QWidget::keyPressEvent(event);
    const int key = event->key();
    if (kind_ != plot::PlotKind::Pattern) {
        const int last = static_cast<int>(check_->report.sweep.size()) - 1;
        if (sweepIndex_ < 0) {
            // The first key starts at the design frequency.
            const auto& sweep = check_->report.sweep;
            const auto nearest = std::min_element(sweep.begin(), sweep.end(), [&](const auto& a, const auto& b) {
                return std::abs(a.mhz - check_->report.designMHz) < std::abs(b.mhz - check_->report.designMHz);
            });
            sweepIndex_ = static_cast<int>(nearest - sweep.begin());
            if (key == Qt::Key_Left || key == Qt::Key_Right) return readSweepPoint(sweepIndex_);
        }
        switch (key) {
            case Qt::Key_Left:
                return readSweepPoint(sweepIndex_ - 1);
            case Qt::Key_Right:
                return readSweepPoint(sweepIndex_ + 1);
            case Qt::Key_Home:
                return readSweepPoint(0);
            case Qt::Key_End:
                return readSweepPoint(last);
            default:
                break;
        }
    } else {
        switch (key) {
            case Qt::Key_Left:
                angleDeg_ = (angleDeg_ + kAngleStepDeg) % 360;
                return readPatternAngle();
            case Qt::Key_Right:
                angleDeg_ = (angleDeg_ + 360 - kAngleStepDeg) % 360;
                return readPatternAngle();
            case Qt::Key_Up:
            case Qt::Key_Down:
                azimuthCut_ = !azimuthCut_;
                angleDeg_ = azimuthCut_ ? 0 : kAngleStepDeg;
                return readPatternAngle();
            default:
                break;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace corvanta::ui
