#pragma once

#include <QString>
#include <string>

#include "nec/failure.h"

// The model library's failures and advice in the MODEL CHECK window's
// words: the library says what went wrong, this names the window's boxes
// where the user can put it right.

namespace corvanta::ui {

// The status line's text; a measurement's or a record's failure names `file`.
//     TooNearGround, limit 0.37 -> The loop cannot be modelled there: <the reason>. Give a height of 0.370 m or more.
//     EngineFailed              -> The engine failed: nec2c failed on the model (exit status 1); it said: ...
QString FailureWords(const nec::Failure& failure, const QString& file = {});

// An advice of the report, as a note of the figures and the report.
std::string AdviceWords(nec::Advice advice, double value = 0);

}  // namespace corvanta::ui
