#include "core/cut_list.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "conductor/design_run.h"
#include "core/exact_decimal.h"

namespace corvanta {
namespace {

// Worked by hand from the design's texts: half vertical = (HEIGHT - GAP) / 2
// rounded to 0.01 mm and 0.001 in (a half up); totals = count x length.
struct CutCase {
    const char* name;
    const char* frequency;
    const char* mm;  // the conductor, through CHANGE (mm)
    SideChoice sides;
    int count;  // of horizontal sides, of half verticals
    // horizontal side mm, in; half vertical mm, in; their totals mm, in ...
    std::array<const char*, 4> side, half;
    std::array<const char*, 2> conductorTotal;
    int lineCount;
    std::array<const char*, 4> line;  // length mm, in; total mm, in
};

void ExpectPiece(const CutPiece& piece, std::string_view name, int count, const std::array<const char*, 4>& texts) {
    SCOPED_TRACE(name);
    EXPECT_EQ(piece.name, name);
    EXPECT_EQ(piece.count, count);
    EXPECT_EQ(piece.lengthMm, texts[0]);
    EXPECT_EQ(piece.lengthIn, texts[1]);
    EXPECT_EQ(piece.totalMm, texts[2]);
    EXPECT_EQ(piece.totalIn, texts[3]);
}

TEST(CutList, OfComputedDesigns) {
    const CutCase cases[] = {
        // 718.233 - 9.67 = 708.563, / 2 = 354.2815; 28.277 - 0.381 = 27.896, / 2 = 13.948.
        {"146 MHz three sided",
         "146",
         "1.626",
         SideChoice::Three,
         6,
         {"266.718", "10.501", "1600.308", "63.006"},
         {"354.28", "13.948", "2125.68", "83.688"},
         {"3725.988", "146.694"},
         3,
         {"421.2329", "16.5839716393178", "1263.6987", "49.7519149179534"}},
        // 679.027 - 9.67 = 669.357, / 2 = 334.6785; 26.733 - 0.381 = 26.352, / 2 = 13.176.
        {"146 MHz four sided",
         "146",
         "1.626",
         SideChoice::Four,
         8,
         {"391.212", "15.402", "3129.696", "123.216"},
         {"334.68", "13.176", "2677.44", "105.408"},
         {"5807.136", "228.624"},
         4,
         {"421.2329", "16.5839716393178", "1684.9316", "66.3358865572712"}},
        // 1002.079 - 14.27 = 987.809, / 2 = 493.9045: a half, rounded up.
        {"3.6 MHz four sided",
         "3.6",
         "2",
         SideChoice::Four,
         8,
         {"14664.28", "577.334", "117314.24", "4618.672"},
         {"12545.17", "493.905", "100361.36", "3951.24"},
         {"217675.6", "8569.912"},
         4,
         {"17083.33", "672.572204109252", "68333.32", "2690.288816437008"}},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CutList list = MakeCutList(RunDesign({c.frequency, c.sides, SizeInput{SizeUnit::Mm, c.mm}}));
        ASSERT_EQ(list.pieces.size(), 2U);
        ExpectPiece(list.pieces[0], kHorizontalSide, c.count, c.side);
        ExpectPiece(list.pieces[1], kHalfVertical, c.count, c.half);
        EXPECT_EQ(list.conductorTotalMm, c.conductorTotal[0]);
        EXPECT_EQ(list.conductorTotalIn, c.conductorTotal[1]);
        ExpectPiece(list.lines, kMatchingLine, c.lineCount, c.line);
    }
}

Design DesignWith(SideChoice sides, std::array<const char*, 8> texts) {
    Design design;
    design.sides = sides;
    const Field fields[] = {Field::Text13, Field::Text17, Field::Text20, Field::Text23,
                            Field::Text11, Field::Text16, Field::Text19, Field::Text22};
    for (std::size_t i = 0; i < 8; ++i) design.sheet.Replace(fields[i], texts[i]);
    return design;
}

TEST(CutList, KeepsTheRegionalSeparator) {
    // (100.5 - 0.49) / 2 = 50.005, a half up to 50.01; (3.957 - 0.019) / 2 = 1.969.
    const CutList list = MakeCutList(
        DesignWith(SideChoice::Four, {"100,5", "25,1", "0,49", "60", "3,957", "0,988", "0,019", "2,36220472440945"}),
        NumberFormat{','});
    ExpectPiece(list.pieces[0], kHorizontalSide, 8, {"25,1", "0,988", "200,8", "7,904"});
    ExpectPiece(list.pieces[1], kHalfVertical, 8, {"50,01", "1,969", "400,08", "15,752"});
    EXPECT_EQ(list.conductorTotalMm, "600,88");
    EXPECT_EQ(list.conductorTotalIn, "23,656");
    ExpectPiece(list.lines, kMatchingLine, 4, {"60", "2,36220472440945", "240", "9,4488188976378"});
}

TEST(CutList, RefusesWhatCannotBeCut) {
    const struct {
        const char* name;
        Design design;
        const char* message;
    } cases[] = {
        {"negative lengths",
         DesignWith(SideChoice::Three, {"-718.233", "-266.718", "-9.67", "-421", "-28", "-10", "-1", "-16"}),
         "This design cannot be cut: its HEIGHT \"-718.233\" (mm) is not above 0"},
        {"gap as long as the height",
         DesignWith(SideChoice::Three, {"9.67", "266.718", "9.67", "421", "28.277", "10.501", "0.381", "16"}),
         "This design cannot be cut: its HEIGHT is not longer than its GAP (mm)"},
        {"half verticals round to nothing",
         DesignWith(SideChoice::Three, {"0.009", "0.003", "0.001", "0.006", "1", "1", "0.5", "1"}),
         "This design cannot be cut: its half verticals round to 0 mm"},
        {"no number", DesignWith(SideChoice::Four, {"1", "1", "1", "1", "1", "1", "1", "00.0x"}),
         "This design cannot be cut: its MATCH \"00.0x\" (in) is not a length"},
        {"no sides", DesignWith(SideChoice::None, {"2", "1", "1", "1", "2", "1", "1", "1"}),
         "No side count is chosen: THREE SIDED or FOUR SIDED"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            MakeCutList(c.design);
            ADD_FAILURE() << "no error";
        } catch (const CutListError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

// The examples of exact_decimal.h, and the forms the fields are written in.
TEST(ExactDecimal, HeaderExamples) {
    const auto d = [](const char* text) { return *ExactDecimal::FromText(text); };
    EXPECT_EQ((d("718.233") - d("9.67")).Text(), "708.563");
    EXPECT_EQ(d("708.563").Half().Text(), "354.2815");
    EXPECT_EQ(d("354.2815").RoundedHalfUp(2).Text(), "354.28");
    EXPECT_EQ(d("354.285").RoundedHalfUp(2).Text(), "354.29");
    EXPECT_EQ(d("16.5839716393178").Times(3).Text(), "49.7519149179534");
    EXPECT_EQ(d("1.234568E+07").Text(), "12345680");
    EXPECT_EQ(d("9.999E-05").Text(), "0.00009999");
    EXPECT_EQ(d(" -.5 ").Text(), "-0.5");
    EXPECT_EQ(d("0.0049").RoundedHalfUp(2).Text(), "0");
    EXPECT_EQ(d("0.005").RoundedHalfUp(2).Text(), "0.01");
    EXPECT_EQ((d("1") - d("1.25")).Text(), "-0.25");
    EXPECT_EQ(d("1E-400").Text(), "0." + std::string(399, '0') + "1");
    EXPECT_FALSE(ExactDecimal::FromText("1E-401"));
    EXPECT_FALSE(ExactDecimal::FromText("00.0x"));
}

}  // namespace
}  // namespace corvanta
