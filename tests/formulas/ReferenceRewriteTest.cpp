#include <gtest/gtest.h>

#include "formulas/A1Names.h"
#include "formulas/ReferenceRewrite.h"
#include "platform/rtl/Locale.h"

namespace carrelon {
namespace {

AnsiString Shift(const AnsiString& F, int DCol, int DRow, bool Keep) {
    AnsiString r;
    ShiftFormulaReferences(F, DCol, DRow, r, Keep);
    return r;
}

TEST(ShiftReferences, MovesRelativePartsAndKeepsMarkedOnes) {
    const struct {
        const char* Formula;
        int DCol, DRow;
        bool Keep;
        const char* Expected;
    } cases[] = {
        {"SUM(A1:B2)+$E$3", 1, 2, true, "SUM(B3:C4)+$E$3"},
        {"SUM(A1:B2)+$E$3", 1, 2, false, "SUM(B3:C4)+$F$5"},
        {"A$5+$A5", 1, 1, true, "B$5+$A6"},
        {"a1*2", 0, 0, false, "A1*2"},
        {"$a$1", 3, 3, true, "$a$1"},
        {"Z1+1", 1, 0, false, "AA1+1"},
        {"SUM(A1;B2)", 1, 1, false, "SUM(B2;C3)"},
        {"A5", 0, -5, false, "A0"},
        {"A5", 0, -7, false, "A-2"},
        {"PI()+SQRT(A1)", 1, 0, false, "PI()+SQRT(B1)"},
        {"FOO1BAR+A1B", 1, 1, false, "FOO1BAR+A1B"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shift(c.Formula, c.DCol, c.DRow, c.Keep), c.Expected) << c.Formula;
}

TEST(ShiftReferences, PastedFormulaMovesByTheDistanceAndKeepsMarkedParts) {
    AnsiString r;
    AdjustPastedFormula("A1+$B$2+C$3", 2, 5, 4, 4, r);
    EXPECT_EQ(r, "C0+$B$2+E$3");
    AdjustPastedFormula("SUM(A1:A3)", 0, 0, 1, 2, r);
    EXPECT_EQ(r, "SUM(B3:B5)");
}

TEST(ShiftReferences, ExponentsAreNumbersNotReferences) {
    EXPECT_EQ(Shift("1E5+A1", 1, 1, false), "1E5+B2");
    EXPECT_EQ(Shift("2.5E3*A1", 0, -1, false), "2.5E3*A0");
    EXPECT_EQ(Shift("1e-5+1E+5", 1, 1, false), "1e-5+1E+5");
    // A name glued to a number is part of a malformed number, not a reference.
    EXPECT_EQ(Shift("2D1+A1", 1, 0, false), "2D1+B1");
    EXPECT_EQ(Shift("..d1*2", 1, 0, false), "..d1*2");
}

TEST(ShiftReferences, ColumnBelowOneFailsVisibly) {
    EXPECT_EQ(Shift("A5+1", -1, 0, false), "#REF!+1");
    EXPECT_EQ(Shift("SUM(A1:C3)", -1, -1, false), "SUM(#REF!:B2)");
    EXPECT_EQ(Shift("$A5", -1, 0, true), "$A5");
}

TEST(ShiftReferences, ExtremeOffsetsSaturateIntoNamesOfNoCell) {
    const struct {
        const char* Formula;
        std::int64_t DCol, DRow;
        const char* Expected;
    } cases[] = {
        {"A1", INT64_MAX, 0, "CRPXNLSKVLJFHG1"},
        {"ZZ9", INT64_MAX, INT64_MAX, "CRPXNLSKVLJFHG9223372036854775807"},
        {"A1", INT64_MIN, 0, "#REF!"},
        {"B2", 0, INT64_MIN, "B-9223372036854775806"},
        // Overlong names are written back as they stand, whatever the offset.
        {"DAAAAAAAAAAAAA1+A9999999999999999999", 1, 1, "DAAAAAAAAAAAAA1+A9999999999999999999"},
    };
    for (const auto& c : cases) {
        AnsiString r;
        ShiftFormulaReferences(c.Formula, c.DCol, c.DRow, r, false);
        EXPECT_EQ(r, c.Expected) << c.Formula << " by " << c.DCol << ", " << c.DRow;
    }
    // A shifted name beyond the columns saturates when read again.
    AnsiString r;
    ShiftFormulaReferences("A1", INT64_MAX, 0, r, false);
    TCellNameParts p;
    ASSERT_TRUE(SplitCellName(r, p));
    EXPECT_EQ(p.Col, MaxColumnNumber);
}

TEST(ShiftReferences, HeadingsOnThenOffRestoresReferencesBeyondTheFirstRowAndColumn) {
    const AnsiString f = "SUM(B2:C9)*$D$4-E5";
    EXPECT_EQ(Shift(Shift(f, -1, -1, false), 1, 1, false), f);
}

TEST(ShiftReferences, CommaDecimalNumbersStayWhole) {
    TLocaleScope locale;
    DecimalSeparator = ',';
    ListSeparator = ';';
    EXPECT_EQ(Shift("SUM(A1;2,5E3;B2)", 1, 1, false), "SUM(B2;2,5E3;C3)");
}

AnsiString Renumber(const AnsiString& F, TReferenceMap Cols, TReferenceMap Rows) {
    AnsiString r;
    RenumberFormulaReferences(F, Cols, Rows, r);
    return r;
}

TEST(RenumberReferences, DeletingARowMovesLaterRowsUpAndItsOwnToTheRowAbove) {
    // Row 3 deleted: numbers 3 and above drop by one.
    auto rows = [](std::int64_t r) { return r >= 3 ? r - 1 : r; };
    EXPECT_EQ(Renumber("A5+A3+A2", nullptr, rows), "A4+A2+A2");
    EXPECT_EQ(Renumber("SUM(A1:A5)", nullptr, rows), "SUM(A1:A4)");
    EXPECT_EQ(Renumber("2.5E3+A$5+$B7", nullptr, rows), "2.5E3+A$4+$B6");
    EXPECT_EQ(Renumber("5+A5", nullptr, rows), "5+A4");
}

TEST(RenumberReferences, RewritesWholeReferencesOnly) {
    // Moving row 1 to row 2 must not touch the A1 inside A10.
    auto rows = [](std::int64_t r) { return r == 1 ? 2 : r == 2 ? 1 : r; };
    EXPECT_EQ(Renumber("A1+A10+A2", nullptr, rows), "A2+A10+A1");
    // Moving column 2 (B) after column 3 in a grid of 30 columns leaves AB5 alone.
    auto cols = [](std::int64_t c) { return c == 2 ? 3 : c == 3 ? 2 : c; };
    EXPECT_EQ(Renumber("AB5+B5+C5", cols, nullptr), "AB5+C5+B5");
}

TEST(RenumberReferences, ReportsWhetherAnythingChanged) {
    AnsiString out;
    auto cols = [](std::int64_t c) { return c + 1; };
    EXPECT_FALSE(RenumberFormulaReferences("1+2", cols, nullptr, out));
    EXPECT_EQ(out, "1+2");
    EXPECT_TRUE(RenumberFormulaReferences("a1", cols, nullptr, out));
    EXPECT_EQ(out, "B1");
}

}  // namespace
}  // namespace carrelon
