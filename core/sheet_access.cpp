#include "core/sheet_access.h"

namespace corvanta {

namespace {

template <typename T>
T ValueOrThrow(const Parsed<T>& parsed, const DesignSheet& sheet, Field field) {
    if (!parsed) throw RunTimeError(parsed.error, field, sheet.Read(field));
    return *parsed.value;
}

}  // namespace

float ReadSingle(const DesignSheet& sheet, Field field, NumberFormat format) {
    return ValueOrThrow(ParseSingle(sheet.Read(field), format), sheet, field);
}

double ReadDouble(const DesignSheet& sheet, Field field, NumberFormat format) {
    return ValueOrThrow(ParseDouble(sheet.Read(field), format), sheet, field);
}

}  // namespace corvanta
