#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/columns.h"
#include "nec/json.h"

namespace corvanta::cli {

enum class Format { Text, Csv, Json };

// An aligned table with a heading row, for reading and printing.
void WriteText(std::ostream& out, const std::vector<DesignRow>& rows);

// A header row of column keys, then one row a design; RFC 4180 (CR LF line
// ends, a field quoted when it holds a comma, a quote or a line break).
void WriteCsv(std::ostream& out, const std::vector<DesignRow>& rows);

// An array with one object a design: each column as
// {"text": "<as the field shows it>", "value": <the number>}.
void WriteJson(std::ostream& out, const std::vector<DesignRow>& rows);

void Write(std::ostream& out, Format format, const std::vector<DesignRow>& rows);

std::string CsvField(std::string_view text);

}  // namespace corvanta::cli
