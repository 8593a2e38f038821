#include "sheet/prism_drawing.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "sheet/sheet_style.h"

namespace corvanta::sheet {

namespace {

// The oblique view: a point d millimetres behind the loop's axis is drawn
// kShiftX·d to the right and kShiftY·d higher, so the back wires stand
// clear of the front ones.
constexpr double kShiftX = 0.42;
constexpr double kShiftY = 0.45;

// Room around the prism for the dimension texts, in 0.1 mm.
constexpr double kLeftRoom = 110;    // HEIGHT, written along its dimension line
constexpr double kQuietLine = 40;    // a second line of a dimension: the design's, in grey
constexpr double kRightRoom = 270;   // GAP
constexpr double kBottomRoom = 140;  // SIDE
constexpr double kTopRoom = 20;

constexpr double kSmallestGap = 22;  // a gap is drawn at least 2.2 mm long
constexpr double kArrowLength = 22;
constexpr double kArrowHalfWidth = 7;
constexpr int kLabelSize = 30;

struct Corner {
    double x;      // across, mm
    double depth;  // behind the axis, mm (negative: in front)
};

void Arrow(QPainter& painter, QPointF tip, QPointF direction) {
    const double length = std::hypot(direction.x(), direction.y());
    const QPointF along = direction / length;
    const QPointF across(-along.y(), along.x());
    const QPointF base = tip - along * kArrowLength;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(base + across * kArrowHalfWidth);
    head.lineTo(base - across * kArrowHalfWidth);
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

void Letter(QPainter& painter, QPointF centre, const QString& letter) {
    painter.save();
    painter.setPen(QPen(kInk, 3));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 21, 21);
    painter.restore();
    PutText(painter, QRectF(centre.x() - 21, centre.y() - 21, 42, 42), Qt::AlignCenter, letter, SheetFont(28, true));
}

// A dimension's name in bold over its mm and inch texts (and a note), set
// to the right of `left`, the block centred on `middleY`.
void LabelBlock(QPainter& painter, double left, double middleY, const QString& name, const QString (&texts)[2],
                const QString& note, const QString& quiet) {
    QStringList lines = {texts[0] + QStringLiteral(" mm"), texts[1] + QStringLiteral(" in")};
    if (!note.isEmpty()) lines.append(note);
    if (!quiet.isEmpty()) lines.append(quiet);
    const double lineHeight = kLabelSize * 1.2;
    double y = middleY - lineHeight * static_cast<double>(lines.size() + 1) / 2;
    const int align = Qt::AlignLeft | Qt::AlignVCenter;
    PutText(painter, QRectF(left, y, 600, lineHeight), align, name, SheetFont(kLabelSize, true), kDimension);
    for (const QString& line : lines) {
        y += lineHeight;
        const bool grey = !quiet.isEmpty() && &line == &lines.back();
        PutText(painter, QRectF(left, y, 600, lineHeight), align, line, SheetFont(kLabelSize),
                grey ? kQuiet : kDimension);
    }
}

// "NAME  mm text mm  ·  inch text in" in one line, the name in bold, centred
// on `centre` (in the painter's present coordinates, turned or not) with
// its baseline 8 units above it; `quiet`, where given, in grey on a line of
// its own `quietShift` units below that line (above, for a negative shift).
void NamedLine(QPainter& painter, QPointF centre, const QString& name, const QString (&texts)[2], const QString& quiet,
               double quietShift) {
    const QFont bold = SheetFont(kLabelSize, true);
    const QFont regular = SheetFont(kLabelSize);
    const QString rest =
        QStringLiteral("  ") + texts[0] + QStringLiteral(" mm  \u00b7  ") + texts[1] + QStringLiteral(" in");
    const double nameWidth = QFontMetricsF(bold, painter.device()).horizontalAdvance(name);
    const double restWidth = QFontMetricsF(regular, painter.device()).horizontalAdvance(rest);
    const double left = centre.x() - (nameWidth + restWidth) / 2;
    const double top = centre.y() - kLabelSize * 1.2;
    PutText(painter, QRectF(left, top, nameWidth + 1, kLabelSize * 1.2), Qt::AlignLeft | Qt::AlignBottom, name, bold,
            kDimension);
    PutText(painter, QRectF(left + nameWidth, top, restWidth + 1, kLabelSize * 1.2), Qt::AlignLeft | Qt::AlignBottom,
            rest, regular, kDimension);
    if (quiet.isEmpty()) return;
    const double quietWidth = QFontMetricsF(regular, painter.device()).horizontalAdvance(quiet);
    PutText(painter, QRectF(centre.x() - quietWidth / 2, top + quietShift, quietWidth + 1, kLabelSize * 1.2),
            Qt::AlignLeft | Qt::AlignBottom, quiet, regular, kQuiet);
}

}  // namespace

double DrawPrism(QPainter& painter, const QRectF& area, const PrismDimensions& prism) {
    const int n = prism.sides;
    const double pi = std::numbers::pi;
    const double radius = prism.sideMm / (2 * std::sin(pi / n));
    // Corner k at angle -90° + 180°/n + k·360°/n: the edge between the last
    // corner and the first faces the viewer and runs across the page.
    std::vector<Corner> corners;
    for (int k = 0; k < n; ++k) {
        const double angle = -pi / 2 + pi / n + 2 * pi * k / n;
        corners.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    const auto projected = [&](const Corner& c, double z) {
        return QPointF(c.x + kShiftX * c.depth, -z - kShiftY * c.depth);
    };
    QRectF bounds;
    for (const Corner& c : corners) {
        for (double z : {0.0, prism.heightMm}) bounds |= QRectF(projected(c, z), QSizeF(1e-9, 1e-9));
    }
    const double quietLeft = prism.designHeight.isEmpty() ? 0 : kQuietLine;
    const double quietBottom = prism.designSide.isEmpty() ? 0 : kQuietLine;
    const QRectF room = area.adjusted(kLeftRoom + quietLeft, kTopRoom, -kRightRoom, -kBottomRoom - quietBottom);
    const double scale = std::min(room.width() / bounds.width(), room.height() / bounds.height());
    const QPointF origin(room.left() + (room.width() - bounds.width() * scale) / 2, room.top());
    const auto at = [&](const Corner& c, double z) { return origin + (projected(c, z) - bounds.topLeft()) * scale; };
    const double gapDrawn = std::max(prism.gapMm * scale, kSmallestGap);
    const Corner axis{0, 0};
    const QPointF junction = at(axis, prism.heightMm / 2);

    painter.save();
    const QPen front(kInk, 6, Qt::SolidLine, Qt::RoundCap);
    const QPen back(kQuiet, 4, Qt::SolidLine, Qt::RoundCap);
    const QPen line(kQuiet, 2.5, Qt::DashLine);

    // The polygons: an edge behind the axis is drawn lighter.
    for (int k = 0; k < n; ++k) {
        const Corner& a = corners[static_cast<std::size_t>(k)];
        const Corner& b = corners[static_cast<std::size_t>((k + 1) % n)];
        painter.setPen((a.depth + b.depth) / 2 > 1e-9 ? back : front);
        for (double z : {0.0, prism.heightMm}) painter.drawLine(at(a, z), at(b, z));
    }
    // The verticals, each broken by its gap, with a line to the junction.
    for (const Corner& c : corners) {
        const QPointF bottom = at(c, 0);
        const QPointF top = at(c, prism.heightMm);
        const QPointF middle = (bottom + top) / 2;
        const QPointF half(0, gapDrawn / 2);
        painter.setPen(line);
        painter.drawLine(middle, junction);
        painter.setPen(c.depth > 1e-9 ? back : front);
        painter.drawLine(bottom, middle + half);
        painter.drawLine(middle - half, top);
        painter.setBrush(painter.pen().color());
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(middle + half, 6, 6);
        painter.drawEllipse(middle - half, 6, 6);
    }
    painter.setBrush(kInk);
    painter.drawEllipse(junction, 8, 8);

    // The front edge runs from the last corner (left) to the first (right).
    const Corner& left = corners.back();
    const Corner& right = corners.front();
    const QPointF leftBottom = at(left, 0), leftTop = at(left, prism.heightMm);
    const QPointF rightBottom = at(right, 0), rightTop = at(right, prism.heightMm);
    const QPointF rightMiddle = (rightBottom + rightTop) / 2;
    const QRectF drawn(origin, bounds.size() * scale);

    Letter(painter, (leftTop + rightTop) / 2 + QPointF(0, -34), QStringLiteral("A"));
    Letter(painter, (leftBottom + (leftBottom + leftTop) / 2) / 2 + QPointF(34, 0), QStringLiteral("B"));
    Letter(painter, (rightMiddle + junction) / 2 + QPointF(0, -30), QStringLiteral("C"));

    painter.setPen(QPen(kDimension, 2.5));
    painter.setBrush(Qt::NoBrush);

    // HEIGHT, beside the front left vertical.
    const double heightX = drawn.left() - 45;
    painter.drawLine(leftBottom - QPointF(12, 0), QPointF(heightX - 15, leftBottom.y()));
    painter.drawLine(leftTop - QPointF(12, 0), QPointF(heightX - 15, leftTop.y()));
    painter.drawLine(QPointF(heightX, leftTop.y()), QPointF(heightX, leftBottom.y()));
    Arrow(painter, QPointF(heightX, leftTop.y()), QPointF(0, -1));
    Arrow(painter, QPointF(heightX, leftBottom.y()), QPointF(0, 1));
    painter.save();
    painter.translate(heightX - 10, (leftTop.y() + leftBottom.y()) / 2);
    painter.rotate(-90);
    NamedLine(painter, QPointF(0, 0), QStringLiteral("HEIGHT"), prism.height, prism.designHeight, -kQuietLine);
    painter.restore();

    // SIDE, under the front bottom edge.
    const double sideY = drawn.bottom() + 40;
    painter.drawLine(leftBottom + QPointF(0, 12), QPointF(leftBottom.x(), sideY + 15));
    painter.drawLine(rightBottom + QPointF(0, 12), QPointF(rightBottom.x(), sideY + 15));
    painter.drawLine(QPointF(leftBottom.x(), sideY), QPointF(rightBottom.x(), sideY));
    Arrow(painter, QPointF(leftBottom.x(), sideY), QPointF(-1, 0));
    Arrow(painter, QPointF(rightBottom.x(), sideY), QPointF(1, 0));
    NamedLine(painter, QPointF((leftBottom.x() + rightBottom.x()) / 2, sideY + 12 + kLabelSize * 1.2),
              QStringLiteral("SIDE"), prism.side, prism.designSide, kQuietLine);

    // GAP, beside the gap of the front right vertical, arrows from outside.
    const double gapX = rightMiddle.x() + 40;
    const QPointF gapTop = rightMiddle - QPointF(0, gapDrawn / 2);
    const QPointF gapBottom = rightMiddle + QPointF(0, gapDrawn / 2);
    painter.drawLine(gapTop + QPointF(12, 0), QPointF(gapX + 12, gapTop.y()));
    painter.drawLine(gapBottom + QPointF(12, 0), QPointF(gapX + 12, gapBottom.y()));
    painter.drawLine(QPointF(gapX, gapTop.y() - 55), QPointF(gapX, gapBottom.y() + 55));
    Arrow(painter, QPointF(gapX, gapTop.y()), QPointF(0, 1));
    Arrow(painter, QPointF(gapX, gapBottom.y()), QPointF(0, -1));
    const double gapLabelX = std::max(drawn.right(), gapX) + 40;
    painter.drawLine(QPointF(gapX, rightMiddle.y()), QPointF(gapLabelX - 8, rightMiddle.y()));
    const bool enlarged = prism.gapMm * scale < kSmallestGap;
    LabelBlock(painter, gapLabelX, rightMiddle.y(), QStringLiteral("GAP"), prism.gap,
               enlarged ? QStringLiteral("(drawn larger)") : QString(), prism.designGap);
    painter.restore();
    return sideY + 12 + kLabelSize * 1.2 + quietBottom;
}

}  // namespace corvanta::sheet
