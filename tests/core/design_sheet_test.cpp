#include "core/design_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvanta {
namespace {

TEST(DesignSheet, StartsWithItsStartTexts) {
    const DesignSheet sheet;
    const std::vector<std::pair<Field, std::string>> expected = {
        {Field::Text1, "INPUT FREQUENCY IN MHZ"},
        {Field::Text2, "146.00"},
        {Field::Text3, "RECOMMENDED MINIMUM WIRE/TUBE"},
        {Field::Text4, "14"},
        {Field::Text5, "AWG"},
        {Field::Text6, ".064"},
        {Field::Text7, "INCH"},
        {Field::Text8, "1.626"},
        {Field::Text9, "MM"},
        {Field::Text10, "HEIGHT"},
        {Field::Text12, "IN"},
        {Field::Text14, "MM"},
        {Field::Text15, "SIDE"},
        {Field::Text18, "GAP"},
        {Field::Text21, "300 OHM SERIES MATCH LENGHT\r\n"},
        {Field::Text24, "CORVANTA ANTENNA" + std::string(14, ' ') + "by" + std::string(17, ' ') +
                            "ZORVEX"},
    };
    for (const auto& [field, text] : expected) {
        SCOPED_TRACE(std::string(FieldName(field)));
        EXPECT_EQ(sheet.Read(field), text);
    }
    for (Field result : {Field::Text11, Field::Text13, Field::Text16, Field::Text17, Field::Text19,
                         Field::Text20, Field::Text22, Field::Text23}) {
        EXPECT_EQ(sheet.Read(result), "00.00") << FieldName(result);
    }
    EXPECT_EQ(sheet.Read(Field::Text24).size(), 55U);
    EXPECT_EQ(sheet.Read(Field::Text21).size(), 29U);
    EXPECT_EQ(sheet.Side(), SideChoice::None);
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

TEST(DesignSheet, TellsItsObserverOfEveryReplacement) {
    DesignSheet sheet;
    std::vector<std::pair<Field, std::string>> seen;
    sheet.SetObserver([&](Field field, std::string_view text) { seen.emplace_back(field, text); });
    sheet.Replace(Field::Text17, "anything at all");
    sheet.Replace(Field::Text2, "");
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0], std::make_pair(Field::Text17, std::string("anything at all")));
    EXPECT_EQ(seen[1], std::make_pair(Field::Text2, std::string()));
    EXPECT_EQ(sheet.Read(Field::Text17), "anything at all");
}

TEST(Field, NamesAndOrder) {
    const auto fields = AllFields();
    EXPECT_EQ(fields.front(), Field::Text1);
    EXPECT_EQ(fields.back(), Field::Text24);
    EXPECT_EQ(FieldName(Field::Text1), "Text1");
    EXPECT_EQ(FieldName(Field::Text24), "Text24");
    EXPECT_EQ(FieldLabel(Field::Text2), "INPUT FREQUENCY IN MHZ");
    EXPECT_EQ(FieldLabel(Field::Text8), "MM");
}

}  // namespace
}  // namespace corvanta
