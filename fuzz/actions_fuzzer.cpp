// Random texts in the frequency and conductor fields, a random side choice,
// then a random run of actions. Each action must end normally or with 6, 11
// or 13; the fields it wrote must follow its steps in kSheetActions (all of
// them on success, those before the failing step on failure, a failed read
// being a read of that field); and everything an action writes must read
// back as a number.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/design_sheet.h"
#include "core/field_conversion.h"
#include "core/run_time_error.h"
#include "conductor/sheet_actions.h"

namespace {

using namespace corvanta;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

// The writes of the steps before `end`, with or without the write that
// only a listed gauge makes.
std::vector<Field> WritesBefore(const SheetAction& action, std::size_t end, bool listed) {
    std::vector<Field> writes;
    for (std::size_t i = 0; i < end; ++i) {
        const ActionStep& step = action.steps[i];
        if (step.kind == StepKind::Write || (step.kind == StepKind::WriteIfListed && listed)) {
            writes.push_back(step.field);
        }
    }
    return writes;
}

// Whether the writes are those of the steps before some step that `stops`
// accepts as the one the action ended at.
template <typename Stops>
bool EndedAt(const SheetAction& action, const std::vector<Field>& writes, Stops stops) {
    for (std::size_t end = 0; end <= action.steps.size(); ++end) {
        if (!stops(end)) continue;
        if (writes == WritesBefore(action, end, true) || writes == WritesBefore(action, end, false)) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    DesignSheet sheet;
    for (Field field : {Field::Frequency, Field::Gauge, Field::DiameterInch, Field::DiameterMm}) {
        sheet.Edit(field, provider.ConsumeRandomLengthString(256));
    }
    const auto side = provider.ConsumeIntegralInRange<int>(0, 2);
    sheet.SetSide(side == 0 ? SideChoice::None : side == 1 ? SideChoice::Three : SideChoice::Four);

    std::vector<Field> writes;
    sheet.SetObserver([&](Field field, std::string_view text) {
        writes.push_back(field);
        Check(static_cast<bool>(ParseDouble(text)), "an action wrote a text that is no number");
    });
    for (int step = 0; step < 8 && provider.remaining_bytes() > 0; ++step) {
        const SheetAction& action =
            kSheetActions[provider.ConsumeIntegralInRange<std::size_t>(0, kSheetActions.size() - 1)];
        writes.clear();
        const std::size_t last = action.steps.size();
        try {
            action.run(sheet, {});
            Check(EndedAt(action, writes, [last](std::size_t end) { return end == last; }),
                  "writes of a finished action");
        } catch (const RunTimeError& error) {
            const int number = static_cast<int>(error.Number());
            Check(number == 6 || number == 11 || number == 13, "error number");
            if (const auto field = error.FailedField()) {
                Check(EndedAt(action, writes,
                              [&](std::size_t end) {
                                  return end < last && action.steps[end].IsRead() && action.steps[end].field == *field;
                              }),
                      "failed read at the wrong step");
                Check(error.FieldText() == sheet.Read(*field), "failed field text");
            } else {
                Check(EndedAt(action, writes, [last](std::size_t end) { return end < last; }),
                      "writes before a failure");
            }
        }
    }
    return 0;
}
