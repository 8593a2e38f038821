#include "cli/cut_list_output.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/exact_decimal.h"
#include "core/field_conversion.h"

namespace corvanta::cli {

namespace {

constexpr std::size_t kColumns = 6;
using Row = std::array<std::string, kColumns>;

const Row kHeader = {"name", "count", "length_mm", "length_in", "total_mm", "total_in"};
const Row kHeadings = {"piece", "count", "length mm", "length in", "total mm", "total in"};

Row RowOf(const CutPiece& piece) {
    return {piece.name, FormatInteger(piece.count), piece.lengthMm, piece.lengthIn, piece.totalMm, piece.totalIn};
}

std::vector<Row> Rows(const CutList& list) {
    std::vector<Row> rows;
    for (const CutPiece& piece : list.pieces) rows.push_back(RowOf(piece));
    rows.push_back({"conductor total", "", "", "", list.conductorTotalMm, list.conductorTotalIn});
    rows.push_back(RowOf(list.lines));
    return rows;
}

// Words filled into lines of at most `width` characters.
std::string Wrapped(std::string_view text, std::size_t width) {
    std::string wrapped, line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            wrapped += line + '\n';
            line.clear();
        }
        line += (line.empty() ? "" : " ") + std::string(word);
        start = end + 1;
    }
    return wrapped + line + '\n';
}

void WriteText(std::ostream& out, const Design& design, const CutList& list) {
    const std::vector<Row> rows = Rows(list);
    std::array<std::size_t, kColumns> widths{};
    for (std::size_t i = 0; i < kColumns; ++i) {
        widths[i] = kHeadings[i].size();
        for (const Row& row : rows) widths[i] = std::max(widths[i], row[i].size());
    }
    out << "Cut list of " << DesignName(design) << '\n';
    const auto line = [&](const Row& row) {
        std::string text = row[0] + std::string(widths[0] - row[0].size(), ' ');
        for (std::size_t i = 1; i < kColumns; ++i) {
            // Numbers right-aligned, so that the decimal places line up.
            text += "  " + std::string(widths[i] - row[i].size(), ' ') + row[i];
        }
        out << text << '\n';
    };
    line(kHeadings);
    for (const Row& row : rows) line(row);
    out << '\n' << Wrapped(RoundingNote(), 78);
}

void WriteCsv(std::ostream& out, const CutList& list) {
    std::vector<Row> rows = Rows(list);
    rows.insert(rows.begin(), kHeader);
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < kColumns; ++i) out << (i ? "," : "") << CsvField(row[i]);
        out << "\r\n";
    }
}

// A length text as a JSON number. The cut list's texts are its own exact
// decimals of at most 15 significant digits (the calculator's fields hold
// no more), which a double keeps: JSON writes back the same decimal. A
// text that were not a decimal would be null.
nec::Json Number(const std::string& text) {
    const auto decimal = ExactDecimal::FromText(text);
    return decimal ? nec::JsonNumber(decimal->Text()) : nec::Json(nullptr);
}

void WriteJson(std::ostream& out, const CutList& list) {
    nec::Json pieces = nec::Json::array();
    for (const CutPiece& piece : list.pieces) {
        pieces.push_back({{"name", piece.name},
                          {"count", piece.count},
                          {"length_mm", Number(piece.lengthMm)},
                          {"length_in", Number(piece.lengthIn)}});
    }
    out << nec::JsonText({{"pieces", pieces},
                          {"conductor_total_mm", Number(list.conductorTotalMm)},
                          {"line_count", list.lines.count},
                          {"line_length_mm", Number(list.lines.lengthMm)},
                          {"line_total_mm", Number(list.lines.totalMm)}});
}

}  // namespace

std::string DesignName(const Design& design) {
    return "the " + design.Text(Field::Frequency) + " MHz " + (design.sides == SideChoice::Four ? "4" : "3") +
           "-sided loop (AWG " + design.Text(Field::Gauge) + ", " + design.Text(Field::DiameterInch) + " in, " +
           design.Text(Field::DiameterMm) + " mm)";
}

void WriteCutList(std::ostream& out, Format format, const Design& design, const CutList& list) {
    switch (format) {
        case Format::Text:
            WriteText(out, design, list);
            break;
        case Format::Csv:
            WriteCsv(out, list);
            break;
        case Format::Json:
            WriteJson(out, list);
            break;
    }
}

}  // namespace corvanta::cli
