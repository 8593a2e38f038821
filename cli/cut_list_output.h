#pragma once

#include <ostream>
#include <string>

#include "cli/output.h"
#include "core/cut_list.h"
#include "conductor/design_run.h"

namespace corvanta::cli {

// "the 146 MHz 3-sided loop (AWG 14, 0.064 in, 1.626 mm)": the design a
// cut list or a sheet is of, with the frequency and conductor as typed.
std::string DesignName(const Design& design);

// The cut list of `sheet`:
// text  a heading, an aligned table (piece, count, length and total in mm
//       and in), the conductor total, the 300 ohm lines, and the rounding;
// csv   name,count,length_mm,length_in,total_mm,total_in, one row a piece,
//       then the conductor total and the lines;
// json  {"pieces": [{"name", "count", "length_mm", "length_in"}...],
//        "conductor_total_mm", "line_count", "line_length_mm", "line_total_mm"}.
void WriteCutList(std::ostream& out, Format format, const Design& design, const CutList& list);

}  // namespace corvanta::cli
