#include "sheet/build_sheet.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <algorithm>
#include <array>

#include "plot/plot_style.h"
#include "sheet/prism_drawing.h"
#include "sheet/sheet_style.h"

namespace corvanta::sheet {

namespace {

// The page at full size, in tenths of a millimetre: A4 inside 15 mm
// margins (Letter takes it at 97 %).
constexpr double kPageWidth = 1800;
constexpr double kPageHeight = 2570;

constexpr double kColumnGap = 40;
constexpr double kLeftWidth = 860;  // the dimensions and the pieces, beside the drawing
constexpr double kDrawingHeight = 1130;
constexpr double kLeastDrawingHeight = 640;
// The loop's view under the plot, at most this high.
constexpr double kViewHeight = 1000;
// The plot on its page: 130 mm, room for two panels of some 45 mm each.
constexpr double kPlotPageHeight = 1300;
constexpr int kTextSize = 32;
constexpr int kSmallSize = 27;

QString Text(const Design& design, Field field) { return QString::fromStdString(design.Text(field)); }

QString Shape(SideChoice sides) {
    return sides == SideChoice::Four ? QStringLiteral("FOUR SIDED") : QStringLiteral("THREE SIDED");
}

// A section's name with a rule under it; returns the y below.
double Heading(QPainter& painter, double left, double y, double width, const QString& name) {
    PutText(painter, QRectF(left, y, width, 44), Qt::AlignLeft | Qt::AlignBottom, name, SheetFont(34, true));
    painter.setPen(QPen(kRule, 2));
    painter.drawLine(QPointF(left, y + 50), QPointF(left + width, y + 50));
    return y + 66;
}

// Wrapped text; returns the y below it.
double Paragraph(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                 const QColor& colour = kInk) {
    const QRectF taken = PutText(painter, box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, font, colour);
    return taken.bottom();
}

struct Column {
    double left, width;
    int align;
};

// Piece, count, length mm, length in, total mm, total in.
constexpr std::array<Column, 6> kCutColumns = {{
    {0, 560, Qt::AlignLeft},
    {560, 110, Qt::AlignRight},
    {670, 240, Qt::AlignRight},
    {910, 300, Qt::AlignRight},
    {1210, 270, Qt::AlignRight},
    {1480, 320, Qt::AlignRight},
}};
constexpr double kRowHeight = 52;
constexpr double kQuietRowHeight = 38;  // the design's lengths under those to cut

void Row(QPainter& painter, double y, const std::array<QString, 6>& cells, const QFont& font,
         const QColor& colour = kInk) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Column& c = kCutColumns[i];
        PutText(painter, QRectF(c.left, y, c.width, kRowHeight), c.align | Qt::AlignVCenter, cells[i], font, colour);
    }
}

std::array<QString, 6> Cells(const QString& letter, const CutPiece& piece) {
    const auto q = [](const std::string& text) { return QString::fromStdString(text); };
    return {letter + QStringLiteral("   ") + q(piece.name),
            QString::number(piece.count),
            q(piece.lengthMm),
            q(piece.lengthIn),
            q(piece.totalMm),
            q(piece.totalIn)};
}

const std::array<QString, 6> kCutHeadings = {QStringLiteral("PIECE"),     QStringLiteral("COUNT"),
                                             QStringLiteral("LENGTH MM"), QStringLiteral("LENGTH IN"),
                                             QStringLiteral("TOTAL MM"),  QStringLiteral("TOTAL IN")};

double TitleBlock(QPainter& painter, const Design& design) {
    PutText(painter, QRectF(0, 0, kPageWidth, 36), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("CORVANTA BUILD SHEET"),
            SheetFont(28, true), kDimension);
    PutText(painter, QRectF(0, 40, kPageWidth, 80), Qt::AlignLeft | Qt::AlignVCenter,
            Text(design, Field::Text2) + QStringLiteral(" MHz ") + Shape(design.sides) + QStringLiteral(" prism loop"),
            SheetFont(62, true));
    PutText(painter, QRectF(0, 125, kPageWidth, 45), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("Conductor  AWG %1  \u00b7  %2 in  \u00b7  %3 mm")
                .arg(Text(design, Field::Text4), Text(design, Field::Text6), Text(design, Field::Text8)),
            SheetFont(kTextSize));
    painter.setPen(QPen(kInk, 4));
    painter.drawLine(QPointF(0, 185), QPointF(kPageWidth, 185));
    return 215;
}

// The four dimensions to cut; under each that differs from the design's,
// the design's own in grey. Returns the y below.
double Dimensions(QPainter& painter, double y, const Design& toCut, const Design* design) {
    y = Heading(painter, 0, y, kLeftWidth, QStringLiteral("DIMENSIONS"));
    struct Dimension {
        QString name;
        Field mm, in;
    };
    const std::array<Dimension, 4> rows = {{
        {QStringLiteral("HEIGHT"), Field::Text13, Field::Text11},
        {QStringLiteral("SIDE"), Field::Text17, Field::Text16},
        {QStringLiteral("GAP"), Field::Text20, Field::Text19},
        {QStringLiteral("300 OHM SERIES MATCH"), Field::Text23, Field::Text22},
    }};
    // The inch column ends the left half; the millimetres stand clear of the
    // longest inch text the window writes (16.5839716393178).
    const std::array<Column, 3> columns = {
        {{0, 360, Qt::AlignLeft}, {360, 180, Qt::AlignRight}, {560, 300, Qt::AlignRight}}};
    const auto row = [&](const std::array<QString, 3>& cells, const QFont& name, const QFont& number,
                         const QColor& colour, double height) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            PutText(painter, QRectF(columns[i].left, y, columns[i].width, height), columns[i].align | Qt::AlignVCenter,
                    cells[i], i == 0 ? name : number, colour);
        }
        y += height;
    };
    row({QString(), QStringLiteral("MM"), QStringLiteral("IN")}, SheetFont(kSmallSize, true),
        SheetFont(kSmallSize, true), kQuiet, kRowHeight);
    for (const Dimension& d : rows) {
        row({d.name, Text(toCut, d.mm), Text(toCut, d.in)}, SheetFont(30, true), SheetFont(kTextSize, true), kInk,
            kRowHeight);
        if (design && Text(*design, d.mm) != Text(toCut, d.mm)) {
            row({QStringLiteral("   design's"), Text(*design, d.mm), Text(*design, d.in)}, SheetFont(kSmallSize),
                SheetFont(kSmallSize), kQuiet, kQuietRowHeight);
        }
    }
    return y;
}

// What A, B and C are and how many; returns the y below.
double Pieces(QPainter& painter, double y, const CutList& list) {
    y = Heading(painter, 0, y + 30, kLeftWidth, QStringLiteral("PIECES"));
    const int n = list.sides;
    const QString polygon = n == 4 ? QStringLiteral("square") : QStringLiteral("triangle");
    const std::array<std::pair<QString, QString>, 3> entries = {{
        {QStringLiteral("A"),
         QStringLiteral("%1 horizontal sides: the top and the bottom %2, %3 each.").arg(2 * n).arg(polygon).arg(n)},
        {QStringLiteral("B"), QStringLiteral("%1 half verticals: each of the %2 verticals is two halves, "
                                             "one either side of its gap.")
                                  .arg(2 * n)
                                  .arg(n)},
        {QStringLiteral("C"), QStringLiteral("%1 lines of 300 ohm, one from each gap; they meet at one "
                                             "junction, where the feed line is connected.")
                                  .arg(n)},
    }};
    for (const auto& [letter, text] : entries) {
        PutText(painter, QRectF(0, y, 50, 40), Qt::AlignLeft | Qt::AlignTop, letter, SheetFont(kTextSize, true));
        y = Paragraph(painter, QRectF(50, y, kLeftWidth - 50, 200), text, SheetFont(30)) + 14;
    }
    return y;
}

// Piece, count, length mm, length in, total mm, total in, and the design's
// length in mm beside them.
constexpr std::array<Column, 7> kBesideColumns = {{
    {0, 470, Qt::AlignLeft},
    {470, 100, Qt::AlignRight},
    {570, 230, Qt::AlignRight},
    {800, 240, Qt::AlignRight},
    {1040, 250, Qt::AlignRight},
    {1290, 250, Qt::AlignRight},
    {1560, 240, Qt::AlignRight},
}};

// The lines, C, under the conductor: their totals are the lines' total,
// bold as the conductor's.
double LinesRow(QPainter& painter, double y, const CutList& list, const std::array<Column, 6>& columns) {
    std::array<QString, 6> cells = Cells(QStringLiteral("C"), list.lines);
    cells[0] += QStringLiteral(", gap to junction");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Column& c = columns[i];
        PutText(painter, QRectF(c.left, y, c.width, kRowHeight), c.align | Qt::AlignVCenter, cells[i],
                SheetFont(kTextSize, i >= 4), kInk);
    }
    return y + kRowHeight;
}

double CutTable(QPainter& painter, double y, const SheetCut& cut) {
    y = Heading(painter, 0, y, kPageWidth, cut.heading);
    if (!cut.note.isEmpty()) y = Paragraph(painter, QRectF(0, y, kPageWidth, 200), cut.note, SheetFont(kSmallSize)) + 6;
    const CutList& list = cut.list;
    if (!cut.design) {
        Row(painter, y, kCutHeadings, SheetFont(kSmallSize, true), kQuiet);
        y += kRowHeight;
        const std::array<QString, 2> letters = {QStringLiteral("A"), QStringLiteral("B")};
        for (std::size_t i = 0; i < list.pieces.size(); ++i) {
            Row(painter, y, Cells(letters[std::min<std::size_t>(i, 1)], list.pieces[i]), SheetFont(kTextSize));
            y += kRowHeight;
        }
        painter.setPen(QPen(kInk, 2));
        painter.drawLine(QPointF(kCutColumns[4].left, y + 4), QPointF(kPageWidth, y + 4));
        Row(painter, y + 8,
            {QStringLiteral("Conductor total"), QString(), QString(), QString(),
             QString::fromStdString(list.conductorTotalMm), QString::fromStdString(list.conductorTotalIn)},
            SheetFont(kTextSize, true));
        return LinesRow(painter, y + 8 + kRowHeight, list, kCutColumns);
    }
    // The same table with the design's length beside each piece, quieter.
    const auto row = [&](double at, const std::array<QString, 7>& cells, const QFont& font, const QColor& colour) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Column& c = kBesideColumns[i];
            PutText(painter, QRectF(c.left, at, c.width, kRowHeight), c.align | Qt::AlignVCenter, cells[i], font,
                    i == 6 ? kQuiet : colour);
        }
    };
    std::array<QString, 7> headings;
    std::copy(kCutHeadings.begin(), kCutHeadings.end(), headings.begin());
    headings[6] = QStringLiteral("DESIGN MM");
    row(y, headings, SheetFont(kSmallSize, true), kQuiet);
    y += kRowHeight;
    const std::array<QString, 2> letters = {QStringLiteral("A"), QStringLiteral("B")};
    for (std::size_t i = 0; i < list.pieces.size(); ++i) {
        const std::array<QString, 6> cells = Cells(letters[std::min<std::size_t>(i, 1)], list.pieces[i]);
        std::array<QString, 7> wide;
        std::copy(cells.begin(), cells.end(), wide.begin());
        if (i < cut.design->pieces.size()) wide[6] = QString::fromStdString(cut.design->pieces[i].lengthMm);
        row(y, wide, SheetFont(kTextSize), kInk);
        y += kRowHeight;
    }
    painter.setPen(QPen(kInk, 2));
    painter.drawLine(QPointF(kBesideColumns[4].left, y + 4), QPointF(kPageWidth, y + 4));
    row(y + 8,
        {QStringLiteral("Conductor total"), QString(), QString(), QString(),
         QString::fromStdString(list.conductorTotalMm), QString::fromStdString(list.conductorTotalIn),
         QString::fromStdString(cut.design->conductorTotalMm)},
        SheetFont(kTextSize, true), kInk);
    // The lines are as designed: their row keeps the plain table's columns,
    // under its own headings, where their long inch texts have room.
    y += 8 + kRowHeight;
    Row(painter, y, kCutHeadings, SheetFont(kSmallSize, true), kQuiet);
    return LinesRow(painter, y + kRowHeight, list, kCutColumns);
}

// Figure names on the left, their values wrapped beside them, in a
// column `width` wide from `left`; returns the y below.
double FigureRows(QPainter& painter, double left, double width, double y,
                  const std::vector<std::pair<QString, QString>>& rows) {
    constexpr double kNameWidth = 260;
    for (const auto& [name, value] : rows) {
        const double nameBottom = Paragraph(painter, QRectF(left, y, kNameWidth, 200), name, SheetFont(kSmallSize));
        const double valueBottom = Paragraph(painter, QRectF(left + kNameWidth + 10, y, width - kNameWidth - 10, 200),
                                             value, SheetFont(kSmallSize, true));
        y = std::max(nameBottom, valueBottom) + 6;
    }
    return y;
}

// The measurement the verdict's trim comes from, in two columns, its notes
// across the page; returns the y below.
double MeasuredBlock(QPainter& painter, double y, const MeasuredFigures& measured) {
    y = Heading(painter, 0, y + 30, kPageWidth, QStringLiteral("MEASURED"));
    std::vector<std::pair<QString, QString>> figures = {
        {QStringLiteral("File"), measured.date.isEmpty()
                                     ? measured.file
                                     : QStringLiteral("%1, taken in %2").arg(measured.file, measured.date)}};
    std::vector<std::pair<QString, QString>> notes;
    for (const auto& row : measured.rows) (row.first == QStringLiteral("Note") ? notes : figures).push_back(row);
    const double column = (kPageWidth - kColumnGap) / 2;
    const auto half = figures.begin() + static_cast<std::ptrdiff_t>((figures.size() + 1) / 2);
    const double leftBottom = FigureRows(painter, 0, column, y, {figures.begin(), half});
    const double rightBottom = FigureRows(painter, column + kColumnGap, column, y, {half, figures.end()});
    return FigureRows(painter, 0, kPageWidth, std::max(leftBottom, rightBottom), notes);
}

double ModelBlock(QPainter& painter, double y, const std::optional<ModelFigures>& model) {
    y = Heading(painter, 0, y + 30, kPageWidth, QStringLiteral("MODEL CHECK"));
    if (!model) {
        PutText(painter, QRectF(0, y, kPageWidth, 44), Qt::AlignLeft | Qt::AlignVCenter,
                QStringLiteral("No model check of this design has been run. Room for what you measure:"), SheetFont(30),
                kQuiet);
        // Ruled lines for the builder's own notes (SWR, trims).
        painter.setPen(QPen(kRule, 1.5));
        for (y += 110; y < kPageHeight; y += 80) painter.drawLine(QPointF(0, y), QPointF(kPageWidth, y));
        return y;
    }
    // The first figure (the verdict, of several lines) across the page, the
    // rest in two columns of name and value. The plot has a page of its
    // own, DrawPlotPage: across a page's width its text can be read.
    constexpr double kNameWidth = 400;
    constexpr double kFiguresColumn = (kPageWidth - kColumnGap) / 2;
    y = Paragraph(painter, QRectF(0, y, kPageWidth, 200), model->heading, SheetFont(kSmallSize), kQuiet) + 10;
    const auto figure = [&](std::size_t i, double left, double width, double at) {
        const auto& [name, value] = model->rows[i];
        const double nameBottom = Paragraph(painter, QRectF(left, at, kNameWidth, 200), name, SheetFont(kSmallSize));
        const double valueBottom = Paragraph(painter, QRectF(left + kNameWidth + 10, at, width - kNameWidth - 10, 200),
                                             value, SheetFont(kSmallSize, true));
        return std::max(nameBottom, valueBottom) + 8;
    };
    std::size_t first = model->rows.empty() ? 0 : 1;
    while (first < model->rows.size() && model->rows[first].first.isEmpty()) ++first;
    for (std::size_t i = 0; i < first; ++i) y = figure(i, 0, kPageWidth, y);
    // The second column starts with a figure of its own.
    std::size_t half = first + (model->rows.size() - first + 1) / 2;
    while (half < model->rows.size() && model->rows[half].first.isEmpty()) ++half;
    const std::array<std::pair<std::size_t, std::size_t>, 2> columns = {{{first, half}, {half, model->rows.size()}}};
    double bottom = y;
    for (std::size_t column = 0; column < 2; ++column) {
        double at = y;
        for (std::size_t i = columns[column].first; i < columns[column].second; ++i) {
            at = figure(i, column == 0 ? 0 : kFiguresColumn + kColumnGap, kFiguresColumn, at);
        }
        bottom = std::max(bottom, at);
    }
    return bottom;
}

}  // namespace

QString SheetTitle(const Design& design) {
    return Text(design, Field::Text2) + QStringLiteral(" MHz ") + Shape(design.sides) +
           QStringLiteral(" prism loop: build sheet");
}

QString SheetDocumentName(const Design& design) {
    // The frequency as COMPUTE read it, with no point: the print dialog cuts
    // a suggested file name at the first one.
    const std::string& text = design.Text(Field::Frequency);
    const Parsed<float> read = ParseSingle(text);
    QString frequency = QString::fromStdString(read ? FormatSingle(*read.value) : text);
    frequency.replace(QLatin1Char('.'), QLatin1Char(','));
    return QStringLiteral("Build sheet ") + frequency + QStringLiteral(" MHz ") + Shape(design.sides);
}

namespace {

// A page at full size, scaled to fit `area` and centred across it; the
// caller saves the painter first and restores it after.
void PlacePage(QPainter& painter, const QRectF& area) {
    const double scale = std::min(area.width() / kPageWidth, area.height() / kPageHeight);
    painter.translate(area.left() + (area.width() - kPageWidth * scale) / 2, area.top());
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

}  // namespace

void DrawSheet(QPainter& painter, const QRectF& area, const SheetContent& content) {
    const Design& design = content.design;
    // Every number on the page as the design's fields write it.
    const SheetSeparator separator(content.format);
    painter.save();
    PlacePage(painter, area);

    const double top = TitleBlock(painter, design);
    // One set of lengths on the page: the dimensions, the drawing and the
    // cut list are all made from the fields the cut list was made from.
    const std::optional<CutLengths> lengths = content.model ? content.model->cut : std::nullopt;
    const SheetCut cut = SheetCutOf(design, content.cutList, lengths, content.format);
    const Design* designBeside = cut.design ? &design : nullptr;
    const double left = Pieces(painter, Dimensions(painter, top, cut.toCut, designBeside), content.cutList);

    const Design& toCut = cut.toCut;
    const auto millimetres = [&](Field field) {
        return ParseDouble(toCut.Text(field), content.format).value.value_or(0);
    };
    PrismDimensions prism;
    prism.sides = content.cutList.sides;
    prism.heightMm = millimetres(Field::Text13);
    prism.sideMm = millimetres(Field::Text17);
    prism.gapMm = millimetres(Field::Text20);
    prism.height[0] = Text(toCut, Field::Text13);
    prism.height[1] = Text(toCut, Field::Text11);
    prism.side[0] = Text(toCut, Field::Text17);
    prism.side[1] = Text(toCut, Field::Text16);
    prism.gap[0] = Text(toCut, Field::Text20);
    prism.gap[1] = Text(toCut, Field::Text19);
    if (designBeside) {
        const auto beside = [&](Field field) { return QStringLiteral("design's %1 mm").arg(Text(design, field)); };
        prism.designHeight = beside(Field::Text13);
        prism.designSide = beside(Field::Text17);
        prism.designGap = beside(Field::Text20);
    }
    const double drawingLeft = kLeftWidth + kColumnGap;
    // With a model check the drawing keeps to the height of the dimensions
    // and pieces beside it, and leaves the room to the check's figures.
    const double drawingHeight = content.model ? std::max(left - top, kLeastDrawingHeight) : kDrawingHeight;
    const QRectF drawing(drawingLeft, top, kPageWidth - drawingLeft, drawingHeight);
    const double drawn = DrawPrism(painter, drawing, prism);

    double y = std::max(left, drawn) + 40;
    y = CutTable(painter, y, cut);
    y = Paragraph(painter, QRectF(0, y + 20, kPageWidth, 200),
                  QString::fromUtf8(RoundingNote().data(), static_cast<qsizetype>(RoundingNote().size())),
                  SheetFont(kSmallSize), kQuiet);
    if (content.model && content.model->measured) y = MeasuredBlock(painter, y, *content.model->measured);
    ModelBlock(painter, y, content.model);
    painter.restore();
}

void DrawPlotPage(QPainter& painter, const QRectF& area, const SheetContent& content) {
    if (!content.model || !content.model->drawPlot) return;
    const SheetSeparator separator(content.format);
    painter.save();
    PlacePage(painter, area);
    const double top = TitleBlock(painter, content.design);
    double y = Heading(painter, 0, top, kPageWidth, QStringLiteral("MODEL CHECK: SWR AND IMPEDANCE"));
    y = Paragraph(painter, QRectF(0, y, kPageWidth, 200), content.model->heading, SheetFont(kSmallSize), kQuiet) + 20;
    // The page's width, and a height that gives each panel room for its
    // ticks and the legend a column of its own.
    const QRectF plot(0, y, kPageWidth, std::min(kPlotPageHeight, kPageHeight - y));
    const plot::style::DecimalSeparator plotSeparator(content.format);
    painter.save();
    content.model->drawPlot(painter, plot);
    painter.restore();
    // Under it, the loop in three dimensions: its currents and its pattern.
    if (content.model->drawView && kPageHeight - plot.bottom() > kViewHeight / 2) {
        const QRectF view(0, plot.bottom() + 40, kPageWidth, std::min(kViewHeight, kPageHeight - plot.bottom() - 40));
        painter.save();
        content.model->drawView(painter, view);
        painter.restore();
    }
    painter.restore();
}

bool PrintSheet(QPagedPaintDevice& device, const SheetContent& content) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QRectF page(0, 0, device.width(), device.height());
    DrawSheet(painter, page, content);
    if (content.model && content.model->drawPlot) {
        if (!device.newPage()) return false;
        DrawPlotPage(painter, page, content);
    }
    return painter.end();
}

std::optional<QString> WriteSheetPdf(const QString& path, const SheetContent& content,
                                     const WholeFileOptions& options) {
    // Drawn whole into memory first: a sheet that fails to draw or to be
    // written leaves the file as it was.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        const QMarginsF margins(kSheetMarginMm, kSheetMarginMm, kSheetMarginMm, kSheetMarginMm);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, margins, QPageLayout::Millimeter));
        writer.setTitle(SheetTitle(content.design));
        writer.setCreator(QStringLiteral("corvanta"));
        if (!PrintSheet(writer, content)) return QStringLiteral("cannot draw the sheet into %1").arg(path);
    }
    const QByteArray& bytes = buffer.data();
    if (const auto failed = WriteWholeFile(
            path.toStdString(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), options)) {
        return QStringLiteral("cannot write %1: %2").arg(path, QString::fromStdString(*failed));
    }
    return std::nullopt;
}

}  // namespace corvanta::sheet
