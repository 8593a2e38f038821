#pragma once

#include "core/design_sheet.h"
#include "core/field_conversion.h"

// The four actions that keep the gauge, inch and millimetre fields in step.
// Each reads afresh from the fields, and where it needs a value it has just
// written it reads the field's text again, so that the next field follows
// from the rounded text the user sees. Their reads and writes, in order, are
// in kSheetActions (core/sheet_actions.h).

namespace corvanta {

// ACCEPT: the recommended minimum conductor for the frequency: the mm
// diameter (3 decimals), the inch diameter from that text, the gauge code
// from the inch text.
void Accept(DesignSheet& sheet, NumberFormat format = {});

// CHANGE under the gauge field: the inch diameter from the table when the
// code is listed (else the inch text stays), then the mm diameter from the
// inch text (2 decimals).
void ChangeGauge(DesignSheet& sheet, NumberFormat format = {});

// CHANGE under the inch field: the mm diameter (2 decimals), then the code.
void ChangeInch(DesignSheet& sheet, NumberFormat format = {});

// CHANGE under the millimetre field: the inch diameter (3 decimals), then
// the code from the inch text just written.
void ChangeMm(DesignSheet& sheet, NumberFormat format = {});

}  // namespace corvanta
