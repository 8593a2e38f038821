#include "core/design_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conductor/conductor_actions.h"
#include "core/field_conversion.h"

namespace corvanta {
namespace {

constexpr Field kValues[] = {Field::Frequency,  Field::Gauge,    Field::DiameterInch, Field::DiameterMm,
                             Field::HeightInch, Field::HeightMm, Field::SideInch,     Field::SideMm,
                             Field::GapInch,    Field::GapMm,    Field::MatchInch,    Field::MatchMm};

// The start texts agree with each other: the conductor is the one ACCEPT
// proposes for the start frequency, and every value field reads as a number,
// the results as zero.
TEST(DesignSheet, StartsWithAConsistentDesign) {
    const DesignSheet start;
    DesignSheet accepted;
    Accept(accepted);
    for (Field field : {Field::Gauge, Field::DiameterInch, Field::DiameterMm}) {
        EXPECT_EQ(ParseDouble(start.Read(field)).value, ParseDouble(accepted.Read(field)).value) << FieldName(field);
    }
    for (Field field : kValues) EXPECT_TRUE(ParseSingle(start.Read(field))) << FieldName(field);
    for (Field field : {Field::HeightInch, Field::HeightMm, Field::SideInch, Field::SideMm, Field::GapInch,
                        Field::GapMm, Field::MatchInch, Field::MatchMm}) {
        EXPECT_EQ(ParseSingle(start.Read(field)).value, 0.0F) << FieldName(field);
    }
    EXPECT_EQ(start.Side(), SideChoice::None);
    // The matching-section caption ends its last line, so that it wraps onto three.
    EXPECT_TRUE(start.Read(Field::Text21).ends_with("LENGHT\r\n"));
}

// What names a value field to the user is the caption beside it.
TEST(Field, LabelsAreTheCaptionsBesideTheValues) {
    const std::pair<Field, Field> besides[] = {
        {Field::Frequency, Field::Text1},  {Field::Gauge, Field::Text5},       {Field::DiameterInch, Field::Text7},
        {Field::DiameterMm, Field::Text9}, {Field::HeightInch, Field::Text10}, {Field::HeightMm, Field::Text10},
        {Field::SideInch, Field::Text15},  {Field::SideMm, Field::Text15},     {Field::GapInch, Field::Text18},
        {Field::GapMm, Field::Text18},
    };
    for (const auto& [value, caption] : besides) {
        EXPECT_TRUE(FieldLabel(value).starts_with(DesignSheet::StartText(caption))) << FieldName(value);
    }
    EXPECT_TRUE(FieldLabel(Field::MatchMm).starts_with("300 OHM SERIES MATCH LENGHT"));
}

TEST(DesignSheet, SideChoiceCannotGoBackToNone) {
    DesignSheet sheet;
    sheet.SetSide(SideChoice::Four);
    EXPECT_EQ(sheet.Side(), SideChoice::Four);
    sheet.SetSide(SideChoice::Three);
    EXPECT_EQ(sheet.Side(), SideChoice::Three);
    sheet.SetSide(SideChoice::None);
    EXPECT_EQ(sheet.Side(), SideChoice::Three);
}

// An action's writes go to the view; the user's edits came from it.
TEST(DesignSheet, TellsItsObserverOfReplacementsOnly) {
    DesignSheet sheet;
    std::vector<std::pair<Field, std::string>> seen;
    sheet.SetObserver([&](Field field, std::string_view text) { seen.emplace_back(field, text); });
    sheet.Replace(Field::SideMm, "anything at all");
    sheet.Edit(Field::Frequency, "typed");
    sheet.Replace(Field::Frequency, "");
    EXPECT_EQ(seen,
              (std::vector<std::pair<Field, std::string>>{{Field::SideMm, "anything at all"}, {Field::Frequency, ""}}));
    EXPECT_EQ(sheet.Read(Field::SideMm), "anything at all");
    sheet.Edit(Field::Gauge, "12");
    EXPECT_EQ(sheet.Read(Field::Gauge), "12");
    EXPECT_EQ(seen.size(), 2U);
}

}  // namespace
}  // namespace corvanta
