#include <gtest/gtest.h>

#include "formulas/FormulaErrors.h"
#include "platform/rtl/Locale.h"
#include "tests/support/FakeFormulaGrid.h"

namespace carrelon {
namespace {

class Evaluate : public ::testing::Test, public test::FormulaFixtureBase {
protected:
    Extended Num(const AnsiString& F) {
        TFormulaResult r = Eval(F);
        EXPECT_TRUE(r.Ok) << F << " failed: " << r.ErrorText;
        EXPECT_EQ(r.Value.Kind, TFormulaValue::fvNumber) << F;
        return r.Value.Number;
    }
    AnsiString Err(const AnsiString& F) {
        TFormulaResult r = Eval(F);
        EXPECT_FALSE(r.Ok) << F << " gave " << static_cast<double>(r.Value.Number);
        return r.ErrorText;
    }
    bool IsNA(const AnsiString& F) {
        TFormulaResult r = Eval(F);
        return r.Ok && r.Value.Kind == TFormulaValue::fvNA;
    }
};

TEST_F(Evaluate, PrecedenceAndAssociativity) {
    const struct {
        const char* Formula;
        Extended Expected;
    } cases[] = {
        {"1+2*3", 7},
        {"2^3^2", 512},
        {"-2^2", -4},
        {"1+2=3", 1},
        {"(1+2)=3", 1},
        {"2*3=6", 1},
        {"2=2*3", 3},
        {"10-4-3", 3},
        {"64/4/2", 8},
        {"1|0&0", 1},
        {"0&1|1", 1},
        {"2<3", 1},
        {"3<=3", 1},
        {"4>=5", 0},
        {"1<>1", 0},
        {"5>4", 1},
        {"--3", 3},
        {"+-+4", -4},
        {"2^-1", 0.5},
        {" 1 +\t2\r\n", 3},
        {"1.5e2", 150},
        {".5+1.", 1.5},
        {"2^0.5^2", 1.189207115002721066717L},
        {"0^0", 1},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(static_cast<double>(Num(c.Formula)), static_cast<double>(c.Expected), 1e-12)
            << c.Formula;
}

TEST_F(Evaluate, EveryErrorText) {
    const struct {
        const char* Formula;
        const char* Text;
    } cases[] = {
        {"", "Empty expression"},
        {"1e+", "Error in floating point number"},
        {"1e*2", "Error in floating point number"},
        {"1..2", "Error in floating point number"},
        {"1#", "Unknown character"},
        {"\"a\"", "Unknown character"},
        {"   ", "Operand expected"},
        {"1+", "Operand expected"},
        {"sum()", "Operand expected"},
        {"(1+2", "Invalid expression"},
        {"1 2", "Invalid expression"},
        {"1)", "Invalid expression"},
        {"foo", "Unknown function identifier"},
        {"A0", "Unknown function identifier"},
        {"pi", "Left parenthesis expected"},
        {"pi(1)", "Right parenthesis expected"},
        {"round(1,2,3)", "Right parenthesis expected"},
        {"round(1)", "List separator expected"},
        {"sum(A1:B2+3)", "List separator expected"},
        {"sum(1:A2)", "Invalid range"},
        {"sum(A1:3)", "Invalid range"},
        {"K1", "Invalid cell reference"},
        {"A21", "Invalid cell reference"},
        {"A99999999999", "Invalid cell reference"},
        {"MWLQKWX1", "Invalid cell reference"},
        {"sum(A1:MWLQKWXMWLQKWXMWLQKWX1)", "Invalid cell reference"},
        {"J20", "Cyclic reference"},
        {"1/0", "Floating point division by zero"},
        {"0/0", "Invalid floating point operation"},
        {"10^5000", "Floating point overflow"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Err(c.Formula), c.Text) << c.Formula;
    Grid.SetFormula(0, 0, "1/0");
    Grid.At(0, 0).Error = true;
    EXPECT_EQ(Err("A1+1"), "Reference to error");
}

TEST_F(Evaluate, ErrorsSetTheOriginFlagAndSuccessClearsIt) {
    test::FakeCell& origin = Grid.At(9, 19);
    Eval("1/0");
    EXPECT_TRUE(origin.Error);
    Eval("1");
    EXPECT_FALSE(origin.Error);
}

TEST_F(Evaluate, ComputingErrorsBeforeASyntaxErrorWin) {
    EXPECT_EQ(Err("1/0+)"), "Floating point division by zero");
    EXPECT_EQ(Err("foo+1/0"), "Unknown function identifier");
}

TEST_F(Evaluate, DeepNestingFailsWithAnErrorNotACrash) {
    AnsiString deep(10000, '(');
    deep += "1";
    deep += AnsiString(10000, ')');
    EXPECT_EQ(Err(deep), "Expression too complex");
    EXPECT_EQ(Err(AnsiString(10000, '-') + "1"), "Expression too complex");
    AnsiString powers = "2";
    for (int i = 0; i < 5000; ++i)
        powers += "^1";
    EXPECT_EQ(Err(powers), "Expression too complex");
    EXPECT_EQ(Num(AnsiString(50, '(') + "7" + AnsiString(50, ')')), 7);
}

TEST_F(Evaluate, ReferencesReadNumbersEmptyCellsAndMergedSlots) {
    Grid.SetNumber(0, 0, 4);
    Grid.SetKind(1, 0, TFormulaCellValue::cvBoolean, 1);
    EXPECT_EQ(Num("A1*2+B1"), 9);
    EXPECT_EQ(Num("C1"), 0);  // empty cell
    EXPECT_EQ(Num("C1+1"), 1);
    Grid.SetNumber(2, 2, 5);
    Grid.Merge(2, 2, 3, 3);  // C3:D4, home C3
    EXPECT_EQ(Num("C3"), 5);
    EXPECT_TRUE(IsNA("D4"));
    EXPECT_TRUE(IsNA("D4+1"));
    EXPECT_TRUE(IsNA("-D4"));
}

TEST_F(Evaluate, NAInLogicAndComparisons) {
    Grid.Merge(0, 0, 0, 1);  // A2 is covered
    EXPECT_TRUE(IsNA("A2|1"));
    EXPECT_EQ(Num("A2&1"), 1);        // NA counts as non-zero
    EXPECT_EQ(Num("A2>1e4000"), 1);   // NA compares as a huge number
    EXPECT_TRUE(IsNA("if(1,5,A2)"));  // both branches are evaluated
    EXPECT_EQ(Num("if(1,5,6)"), 5);
    EXPECT_EQ(Num("if(0,5,6)"), 6);
}

TEST_F(Evaluate, RangesSkipEmptyTextAndCoveredSlots) {
    Grid.SetNumber(0, 0, 1);
    Grid.SetNumber(0, 1, 2);
    Grid.SetText(0, 2, "abc");
    Grid.SetNumber(0, 4, 4);
    Grid.SetNumber(1, 0, 10);
    Grid.Merge(1, 0, 1, 1);  // B2 covered by B1
    EXPECT_EQ(Num("sum(A1:A5)"), 7);
    EXPECT_EQ(Num("count(A1:A5)"), 3);
    EXPECT_EQ(Num("count(A1:B5)"), 4);
    EXPECT_EQ(Num("min(A1:A5)"), 1);
    EXPECT_EQ(Num("max(A1:B5)"), 10);
    EXPECT_EQ(Num("average(A1:A5,A1)"), 2);
    EXPECT_EQ(Err("sum(A1;A2)"), "Unknown character");  // ";" is no list separator here
}

TEST_F(Evaluate, ListFunctionsOnValuesAndEmptyLists) {
    EXPECT_EQ(Num("sum(1,2,3)"), 6);
    EXPECT_EQ(Num("average(2,4)"), 3);
    EXPECT_EQ(Num("and(1,0)"), 0);
    EXPECT_EQ(Num("or(0,0)"), 0);
    EXPECT_EQ(Num("or(0,2)"), 1);
    EXPECT_TRUE(IsNA("and(C1:C3)"));
    EXPECT_TRUE(IsNA("or(C1)"));
    EXPECT_EQ(Num("sum(C1:C3)"), 0);
    EXPECT_EQ(Num("average(C1:C3)"), 0);
    EXPECT_EQ(Num("count(C1:C3)"), 0);
    EXPECT_EQ(Num("count(-C1)"), 1);  // a negated empty cell is a number
    EXPECT_EQ(Num("sum(A1:A1)"), 0);
    EXPECT_EQ(Num("sum(B3:A1)"), 0);  // reversed: the first corner only
    Grid.SetNumber(1, 2, 8);
    EXPECT_EQ(Num("sum(B3:A1)"), 8);
    EXPECT_EQ(Num("sum(1,max(2,7),3)"), 11);
}

TEST_F(Evaluate, RangeBeyondTheGridFailsAtTheFirstMissingCell) {
    EXPECT_EQ(Err("sum(A1:A100)"), "Invalid cell reference");
    EXPECT_EQ(Err("sum(A1:ZZZZZZZZ1)"), "Invalid cell reference");
}

TEST_F(Evaluate, NestedFormulasAreEvaluatedAnewAndPassTheirType) {
    Grid.SetNumber(0, 0, 3);
    Grid.SetFormula(1, 0, "A1*2");
    Grid.At(1, 0).Value = {TFormulaCellValue::cvNumber, 999, {}};  // stale stored value
    EXPECT_EQ(Num("B1+1"), 7);
    Grid.SetFormula(2, 0, "today()");
    TFormulaResult r = Eval("C1+1");
    EXPECT_EQ(r.Type, etDate);
    EXPECT_EQ(r.Value.Number, 45001);
    Grid.SetFormula(3, 0, "C1");
    EXPECT_EQ(Eval("abs(D1)").Type, etDate);
    EXPECT_EQ(Eval("year(D1)").Type, etNumeric);
}

TEST_F(Evaluate, CyclesEndAsCyclicReference) {
    Grid.SetFormula(0, 0, "B1+1");
    Grid.SetFormula(1, 0, "A1+1");
    EXPECT_EQ(EvalCell(0, 0).ErrorText, "Cyclic reference");
    // A loop that does not pass through the evaluated cell.
    Grid.At(0, 0).Error = false;
    EXPECT_EQ(Err("A1"), "Cyclic reference");
    // Self reference through a range.
    Grid.SetFormula(4, 4, "sum(E1:E10)");
    EXPECT_EQ(EvalCell(4, 4).ErrorText, "Cyclic reference");
}

TEST_F(Evaluate, HeadingsShiftNamesByOne) {
    Grid.Headings = 1;
    Grid.SetNumber(1, 1, 42);  // A1 with headings
    Grid.SetNumber(0, 0, 1);
    EXPECT_EQ(Num("A1"), 42);
    EXPECT_EQ(Err("J1"), "Invalid cell reference");  // J is absolute column 10 of 0..9
    EXPECT_EQ(Num("H1"), 0);
}

TEST_F(Evaluate, CommaDecimalAndSemicolonListSeparator) {
    TLocaleScope locale;
    DecimalSeparator = ',';
    ListSeparator = ';';
    EXPECT_EQ(Num("sum(1,5;2)"), 3.5);
    EXPECT_EQ(Num("round(2,5;0)"), 3);
    EXPECT_EQ(Err("round(1.5;2)"), "Unknown character");
    EXPECT_EQ(Err("sum(1;2,,5)"), "Error in floating point number");
}

TEST_F(Evaluate, TextCellsConvertThroughTheLocale) {
    TLocaleScope locale(true);
    Grid.SetText(0, 0, "1,234.50");
    Grid.SetText(0, 1, "$12.5");
    Grid.SetText(0, 2, "12abc");
    Grid.SetText(0, 3, "a1b2");
    Grid.SetText(0, 4, "1e");
    Grid.SetText(0, 5, "  7  ");
    Grid.SetText(0, 6, "abc");
    EXPECT_EQ(Num("A1"), 1234.5);
    EXPECT_EQ(Num("A2"), 12.5);
    EXPECT_EQ(Num("A3"), 12);
    EXPECT_EQ(Num("A4"), 12);
    EXPECT_TRUE(IsNA("A5"));
    EXPECT_EQ(Num("A6"), 7);
    EXPECT_TRUE(IsNA("A7"));
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    Grid.SetText(0, 0, "1.234,50");
    EXPECT_EQ(Num("A1"), 1234.5);
}

TEST_F(Evaluate, TextHoldingATimeMakesATime) {
    TLocaleScope locale(true);
    Grid.SetText(0, 0, "12:30");
    TFormulaResult r = Eval("A1");
    ASSERT_TRUE(r.Ok) << r.ErrorText;
    EXPECT_EQ(r.Type, etTime);
    EXPECT_NEAR(static_cast<double>(r.Value.Number), 0.5208333333, 1e-9);
}

TEST_F(Evaluate, HugeTextConvertsInLinearTime) {
    AnsiString big(200000, 'x');
    big[100000] = '7';
    Grid.SetText(0, 0, big);
    EXPECT_EQ(Num("sum(A1:A2)"), 7);
}

TEST_F(Evaluate, DateAndCurrencyCellsSetTheResultType) {
    Grid.SetKind(0, 0, TFormulaCellValue::cvDate, 45000);
    Grid.SetKind(1, 0, TFormulaCellValue::cvCurrency, 2.5);
    EXPECT_EQ(Eval("A1+1").Type, etDate);
    EXPECT_EQ(Eval("B1*2").Type, etCurrency);
    EXPECT_EQ(Eval("A1+B1").Type, etCurrency);  // the last setting wins
    EXPECT_EQ(Eval("1+2").Type, etDontCare);
    EXPECT_EQ(Eval("count(A1)").Type, etNumeric);
    EXPECT_EQ(Eval("now()").Type, etDateTime);
    EXPECT_EQ(Eval("time(1,2,3)").Type, etTime);
}

}  // namespace
}  // namespace carrelon
