#include "core/field.h"

namespace corvanta {

std::string_view FieldName(Field field) {
    static constexpr std::array<std::string_view, kFieldCount> kNames = {
        "Text1",  "Text2",  "Text3",  "Text4",  "Text5",  "Text6",  "Text7",  "Text8",
        "Text9",  "Text10", "Text11", "Text12", "Text13", "Text14", "Text15", "Text16",
        "Text17", "Text18", "Text19", "Text20", "Text21", "Text22", "Text23", "Text24",
    };
    return kNames[FieldIndex(field)];
}

std::string_view FieldLabel(Field field) {
    static constexpr std::array<std::string_view, kFieldCount> kLabels = {
        "INPUT FREQUENCY IN MHZ caption",
        "INPUT FREQUENCY IN MHZ",
        "RECOMMENDED MINIMUM WIRE/TUBE caption",
        "AWG",
        "AWG caption",
        "INCH",
        "INCH caption",
        "MM",
        "MM caption",
        "HEIGHT caption",
        "HEIGHT, inches",
        "IN caption",
        "HEIGHT, mm",
        "MM caption",
        "SIDE caption",
        "SIDE, inches",
        "SIDE, mm",
        "GAP caption",
        "GAP, inches",
        "GAP, mm",
        "300 OHM SERIES MATCH LENGHT caption",
        "300 OHM SERIES MATCH LENGHT, inches",
        "300 OHM SERIES MATCH LENGHT, mm",
        "title",
    };
    return kLabels[FieldIndex(field)];
}

}  // namespace corvanta
