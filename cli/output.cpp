#include "cli/output.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/field_conversion.h"

namespace corvanta::cli {

void WriteText(std::ostream& out, const std::vector<DesignRow>& rows) {
    std::array<std::size_t, kColumnCount> widths{};
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        widths[i] = kColumns[i].heading.size();
        for (const DesignRow& row : rows) widths[i] = std::max(widths[i], row.texts[i].size());
    }
    const auto line = [&](auto cell) {
        std::string text;
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            const std::string_view value = cell(i);
            if (i > 0) text += "  ";
            // Numbers right-aligned, so that the decimal places line up.
            text.append(widths[i] - value.size(), ' ');
            text += value;
        }
        out << text << '\n';
    };
    line([](std::size_t i) { return kColumns[i].heading; });
    for (const DesignRow& row : rows) {
        line([&row](std::size_t i) { return std::string_view(row.texts[i]); });
    }
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void WriteCsv(std::ostream& out, const std::vector<DesignRow>& rows) {
    for (std::size_t i = 0; i < kColumnCount; ++i) out << (i ? "," : "") << CsvField(kColumns[i].key);
    out << "\r\n";
    for (const DesignRow& row : rows) {
        for (std::size_t i = 0; i < kColumnCount; ++i) out << (i ? "," : "") << CsvField(row.texts[i]);
        out << "\r\n";
    }
}

namespace {

// The number a text stands for, as the calculator reads its fields; null
// when it is none, or not finite.
nec::Json ValueOf(std::string_view text) {
    const Parsed<double> parsed = ParseDouble(text);
    if (!parsed || !std::isfinite(*parsed.value)) return nullptr;
    return *parsed.value;
}

}  // namespace

void WriteJson(std::ostream& out, const std::vector<DesignRow>& rows) {
    nec::Json json = nec::Json::array();
    for (const DesignRow& row : rows) {
        nec::Json design = nec::Json::object();
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            design[std::string(kColumns[i].key)] = {{"text", row.texts[i]}, {"value", ValueOf(row.texts[i])}};
        }
        json.push_back(design);
    }
    out << nec::JsonText(json);
}

void Write(std::ostream& out, Format format, const std::vector<DesignRow>& rows) {
    switch (format) {
        case Format::Text:
            WriteText(out, rows);
            break;
        case Format::Csv:
            WriteCsv(out, rows);
            break;
        case Format::Json:
            WriteJson(out, rows);
            break;
    }
}

}  // namespace corvanta::cli
