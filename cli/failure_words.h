#pragma once

#include <string>
#include <string_view>

#include "nec/failure.h"

// The model library's failures and advice in the command line's words: the
// library says what went wrong, this adds the options and commands that
// put it right.

namespace corvanta::cli {

// The message after "corvanta-cli: "; a measurement's or a record's
// failure names `file`, the path it was read from.
//     TooNearGround, limit 0.37 -> <the reason>: give a --height of 0.370 m or more
//     EngineTimedOut            -> the check did not finish within its time budget of 60 s ...; every engine was
//                                  stopped (--timeout SECONDS gives the whole check longer)
std::string FailureWords(const nec::Failure& failure, std::string_view file = {});

// A failure of the check of a record that lies in the record's own fields,
// named by them: TooNearGround -> loop.corvanta: placement.height_m: <the
// reason>; the ground model holds the loop from 0.370 m up. Others as
// FailureWords.
std::string RecordFailureWords(const nec::Failure& failure, std::string_view record);

// An advice of the report, as a note: FinerSweep -> "a finer --sweep places a resonance better".
std::string AdviceWords(nec::Advice advice, double value = 0);

// How the program ends on `failure`: 2 where the command line asks for what
// cannot be (a height the ground cannot hold, segments too fine to model),
// else 1. A stop is the signal's (128 + its number) and is the caller's to
// report.
int ExitStatusOf(const nec::Failure& failure);

}  // namespace corvanta::cli
