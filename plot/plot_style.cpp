#include "plot/plot_style.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>

namespace corvanta::plot::style {

namespace {

// Resolved once: a family the system lacks makes Qt search its fallbacks
// again for every font.
const QString& Family() {
    static const QString family = [] {
        for (const QString& name : {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}) {
            if (QFontDatabase::hasFamily(name)) return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

}  // namespace

QFont Font(int pixelSize, bool bold) {
    QFont font(Family());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

namespace {
thread_local NumberFormat separator;
}  // namespace

QString Text(const std::string& text) { return QString::fromStdString(WithSeparator(text, separator)); }

DecimalSeparator::DecimalSeparator(NumberFormat format) : previous_(separator) { separator = format; }
DecimalSeparator::~DecimalSeparator() { separator = previous_; }

void BeginPlot(QPainter& painter, const QRectF& area, const std::string& title) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(area, Qt::white);
    painter.setFont(Font(kTitlePx, true));
    painter.setPen(kInk);
    painter.drawText(QRectF(area.left(), area.top() + 4, area.width(), 24), Qt::AlignHCenter | Qt::AlignTop,
                     Text(title));
}

LabelRows::LabelRows(QRectF band, int rows, const QFont& font)
    : band_(band), rows_(rows), font_(font), taken_(static_cast<std::size_t>(rows)) {}

bool LabelRows::Place(QPainter& painter, double x, const QString& text, const QColor& colour) {
    const QFontMetricsF metrics(font_);
    const double width = metrics.horizontalAdvance(text) + 4;
    const double height = band_.height() / rows_;
    constexpr double kBeside = 3;
    if (width > band_.width()) return false;  // no room in any row
    for (int row = 0; row < rows_; ++row) {
        // The lowest row first: nearest the plot.
        const double top = band_.bottom() - (row + 1) * height;
        for (double left : {x - width / 2, x - kBeside - width, x + kBeside}) {
            left = std::clamp(left, band_.left(), band_.right() - width);
            const QRectF box(left, top, width, height);
            auto& taken = taken_[static_cast<std::size_t>(row)];
            if (std::any_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(box); })) {
                continue;
            }
            taken.push_back(box);
            painter.save();
            painter.setFont(font_);
            painter.setPen(colour);
            painter.drawText(box, Qt::AlignCenter, text);
            painter.restore();
            return true;
        }
    }
    return false;
}

}  // namespace corvanta::plot::style
