#pragma once

#include "core/design_sheet.h"
#include "core/field_conversion.h"

// The four actions that keep the gauge (Text4), inch (Text6) and millimetre
// (Text8) fields in step. Each reads afresh from the fields, and where it
// needs a value it has just written it reads the field's text again, so the
// next field follows from the rounded text the user sees. Each throws
// RunTimeError at its first failing step; earlier writes stay.

namespace corvanta {

// ACCEPT: the recommended minimum conductor for the frequency in Text2.
// Writes Text8 (mm, 3 decimals), then Text6 from that text, then Text4 from
// the inch text.
void Accept(DesignSheet& sheet, NumberFormat format = {});

// CHANGE under the gauge field: Text6 from the table when the code is listed
// (else left alone), then Text8 from the inch text (2 decimals).
void ChangeGauge(DesignSheet& sheet, NumberFormat format = {});

// CHANGE under the inch field: Text8 (2 decimals), then Text4.
void ChangeInch(DesignSheet& sheet, NumberFormat format = {});

// CHANGE under the millimetre field: Text6 (3 decimals), then Text4 from the
// inch text just written.
void ChangeMm(DesignSheet& sheet, NumberFormat format = {});

}  // namespace corvanta
