#pragma once

#include <QString>

#include "nec/model_check.h"

// What the model window and the build sheet show of the feed beyond the
// lines: the radio end of the balun and feeder, the band, the match, and
// the advice for a measurement through a long feeder. Worded from the
// check's FeedReport with the report's own words; nothing is worked out
// here.

namespace corvanta::ui {

// The feed's part of the window's figures, as rich text; empty when the
// check has no feed chain, band or match to tell.
QString FeedHtml(const nec::ModelCheck& check);

}  // namespace corvanta::ui
