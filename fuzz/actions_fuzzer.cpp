// Random texts in the frequency and conductor fields, a random side choice,
// then a random run of actions. Each action must end normally or with 6, 11
// or 13; the fields it wrote must follow its order of writes (all of them on
// success, those before the failing step on failure); and everything an
// action writes must read back as a number.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "conductor/conductor_actions.h"
#include "core/compute.h"
#include "core/design_sheet.h"
#include "core/field_conversion.h"
#include "core/run_time_error.h"

namespace {

using namespace corvanta;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

struct ActionSpec {
    void (*run)(DesignSheet&);
    std::vector<Field> writes;  // in order, on success
    // How many writes come before each field the action may fail to read.
    std::vector<std::pair<Field, std::size_t>> reads;
};

const ActionSpec kActions[] = {
    {[](DesignSheet& s) { Compute(s); },
     {Field::MatchMm, Field::MatchInch, Field::HeightMm, Field::HeightInch, Field::SideMm, Field::SideInch,
      Field::GapMm, Field::GapInch},
     {{Field::Frequency, 0}, {Field::DiameterMm, 2}}},
    {[](DesignSheet& s) { Accept(s); }, {Field::DiameterMm, Field::DiameterInch, Field::Gauge}, {{Field::Frequency, 0}}},
    // CHANGE (gauge) writes the inch field only for a listed gauge.
    {[](DesignSheet& s) { ChangeGauge(s); }, {Field::DiameterInch, Field::DiameterMm},
     {{Field::Gauge, 0}, {Field::DiameterInch, 0}}},
    {[](DesignSheet& s) { ChangeInch(s); }, {Field::DiameterMm, Field::Gauge}, {{Field::DiameterInch, 0}}},
    {[](DesignSheet& s) { ChangeMm(s); }, {Field::DiameterInch, Field::Gauge}, {{Field::DiameterMm, 0}}},
};

bool IsPrefix(const std::vector<Field>& part, const std::vector<Field>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    DesignSheet sheet;
    for (Field field : {Field::Frequency, Field::Gauge, Field::DiameterInch, Field::DiameterMm}) {
        sheet.Replace(field, provider.ConsumeRandomLengthString(256));
    }
    const auto side = provider.ConsumeIntegralInRange<int>(0, 2);
    sheet.SetSide(side == 0 ? SideChoice::None : side == 1 ? SideChoice::Three : SideChoice::Four);

    std::vector<Field> writes;
    sheet.SetObserver([&](Field field, std::string_view text) {
        writes.push_back(field);
        Check(static_cast<bool>(ParseDouble(text)), "an action wrote a text that is no number");
    });
    for (int step = 0; step < 8 && provider.remaining_bytes() > 0; ++step) {
        const ActionSpec& action = kActions[provider.ConsumeIntegralInRange<std::size_t>(0, 4)];
        writes.clear();
        try {
            action.run(sheet);
            const bool listedGauge = writes.size() == 2;
            if (&action == &kActions[2] && !listedGauge) {
                Check(writes == std::vector<Field>{Field::DiameterMm}, "CHANGE (gauge) writes");
            } else {
                Check(writes == action.writes, "writes of a finished action");
            }
        } catch (const RunTimeError& error) {
            const int number = static_cast<int>(error.Number());
            Check(number == 6 || number == 11 || number == 13, "error number");
            Check(IsPrefix(writes, action.writes) && writes.size() < action.writes.size(),
                  "writes before a failure");
            if (const auto field = error.FailedField()) {
                bool known = false;
                for (const auto& [read, before] : action.reads) {
                    if (read == *field && writes.size() == before) known = true;
                }
                Check(known, "failed read at the wrong step");
                Check(error.FieldText() == sheet.Read(*field), "failed field text");
            }
        }
    }
    return 0;
}
