// Formulas in the grid: values shown, error texts, result types, recalculation order and event
// counts, headings and reference rewriting.
#include <gtest/gtest.h>

#include <cmath>

#include "formulas/ReferenceRewrite.h"
#include "grid/Carrelon.h"
#include "grid/CarrelonExpression.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Random.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class Recalculation : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(5);
        Grid->SetRowCount(8);
        Grid->SetFixedCols(0);
        Grid->SetFixedRows(0);
        Grid->SetSpreadsheetEnabled(true);
    }
    TCarrelonCell* C(int Col, int Row) { return Grid->GetCells(Col, Row); }
    Variant V(int Col, int Row) { return C(Col, Row)->GetValue(); }
    AnsiString T(int Col, int Row) { return C(Col, Row)->GetText(); }
};

TEST_F(Recalculation, FormulaCellShowsItsValueAndFollowsItsPrecedents) {
    C(0, 0)->SetText("3");
    C(1, 0)->SetFormula(" a1*2 ");
    EXPECT_EQ(C(1, 0)->GetFormula(), "A1*2");
    EXPECT_EQ(V(1, 0).Type(), varDouble);
    EXPECT_EQ(V(1, 0).AsDouble(), 6);
    C(0, 0)->SetText("4");
    EXPECT_EQ(V(1, 0).AsDouble(), 8);
    // A dependent above its precedent gets its value in the same recalculation.
    C(2, 0)->SetFormula("C5+1");
    C(2, 4)->SetFormula("B1*10");
    C(0, 0)->SetText("1");
    EXPECT_EQ(V(2, 4).AsDouble(), 20);
    EXPECT_EQ(V(2, 0).AsDouble(), 21);
}

TEST_F(Recalculation, EmptyReferenceIsZero) {
    C(1, 1)->SetFormula("E8");
    EXPECT_EQ(V(1, 1).Type(), varDouble);
    EXPECT_EQ(T(1, 1), "0");
}

TEST_F(Recalculation, ErrorsShowAsTexts) {
    const struct {
        const char* Formula;
        const char* Shown;
        bool Flag;
    } cases[] = {
        {"1/0", "Floating point division by zero", true},
        {"foo(1)", "Unknown function identifier", true},
        {"1e300*1e300", "#NUM!", false},
        {"and(E1:E3)", "#VALUE!", false},
        {"today()*1e10", "#NUM!", false},
        {"date(1900,0,0)", "#NUM!", true},
        {"A1", "Cyclic reference", true},
        {"DAAAAAAAAAAAAA1+1", "Invalid cell reference", true},
        {"A9999999999999999999", "Invalid cell reference", true},
    };
    for (const auto& c : cases) {
        C(0, 0)->SetFormula(c.Formula);
        EXPECT_EQ(T(0, 0), c.Shown) << c.Formula;
        EXPECT_EQ(Access::ReadFError(C(0, 0)), c.Flag) << c.Formula;
    }
    C(1, 0)->SetFormula("A1+1");
    EXPECT_EQ(T(1, 0), "Reference to error");
}

TEST_F(Recalculation, ResultTypesMakeDatesTimesAndCurrency) {
    TFixedNow Clock(EncodeDate(2024, 5, 17) + EncodeTime(9, 30, 0, 0));
    C(0, 0)->SetFormula("today()+1");
    EXPECT_EQ(V(0, 0).Type(), varDate);
    EXPECT_EQ(V(0, 0).AsExtended(), static_cast<double>(EncodeDate(2024, 5, 18)));
    C(0, 1)->SetFormula("time(12,30,0)");
    EXPECT_EQ(V(0, 1).Type(), varDate);
    C(0, 2)->SetValue(Variant(Currency::FromRaw(12345)));  // 1.2345
    C(1, 2)->SetFormula("A3/3");
    EXPECT_EQ(V(1, 2).Type(), varCurrency);
    EXPECT_EQ(V(1, 2).AsCurrency().Raw(), 4115);  // four decimals
    C(1, 3)->SetFormula("year(A1)");
    EXPECT_EQ(V(1, 3).Type(), varDouble);
    EXPECT_EQ(V(1, 3).AsDouble(), 2024);
}

TEST_F(Recalculation, CurrencyBeyondItsRangeShowsNum) {
    C(0, 0)->SetValue(Variant(Currency(1)));
    C(1, 0)->SetFormula("A1*1e16");
    EXPECT_EQ(T(1, 0), "#NUM!");
}

TEST_F(Recalculation, EventsComeInOrderWithTheirCounts) {
    std::vector<std::string> log;
    Grid->OnRecalculateCell = [&](TObject*, int ACol, int ARow, bool&, Variant&) {
        log.push_back("calc " + std::to_string(ACol) + "," + std::to_string(ARow));
    };
    Grid->OnCellRecalculated = [&](TObject*, int ACol, int ARow, AnsiString&) {
        log.push_back("done " + std::to_string(ACol) + "," + std::to_string(ARow));
    };
    Grid->OnRecalculated = [&](TObject*) { log.push_back("all"); };
    Grid->SetSpreadsheetEnabled(false);
    C(1, 0)->SetFormula("A2*2");
    C(0, 1)->SetFormula("3");
    log.clear();
    Grid->SetSpreadsheetEnabled(true);
    // Pass one: both change; pass two: nothing changes.
    EXPECT_EQ(log, (std::vector<std::string>{"calc 1,0", "done 1,0", "calc 0,1", "done 0,1",
                                             "calc 1,0", "calc 0,1", "all"}));
    log.clear();
    EXPECT_FALSE(Grid->Recalculate(nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"calc 1,0", "calc 0,1"}));
}

TEST_F(Recalculation, VetoKeepsTheHandlersValueAndReportsNoChange) {
    C(0, 0)->SetFormula("1+1");
    Grid->OnRecalculateCell = [&](TObject*, int, int, bool& DoCalculate, Variant& Value) {
        DoCalculate = false;
        Value = Variant(AnsiString("mine"));
    };
    EXPECT_FALSE(C(0, 0)->Recalculate());
    EXPECT_EQ(T(0, 0), "mine");
}

TEST_F(Recalculation, RecalculatedHandlerMayRewriteTheText) {
    Grid->OnCellRecalculated = [&](TObject*, int, int, AnsiString& Text) {
        if (Text == "2") Text = "two\n\r  ";
    };
    C(0, 0)->SetFormula("1+1");
    EXPECT_EQ(V(0, 0).Type(), varString);
    EXPECT_EQ(T(0, 0), "two");
    C(0, 1)->SetFormula("1+2");
    EXPECT_EQ(V(0, 1).AsDouble(), 3);
}

TEST_F(Recalculation, PlainCellIsNotTouched) {
    C(0, 0)->SetText("keep");
    EXPECT_FALSE(Access::Internals(Grid).AnalyzeExpression(C(0, 0)));
    EXPECT_EQ(T(0, 0), "keep");
    EXPECT_FALSE(Access::ReadFError(C(0, 0)));
}

TEST_F(Recalculation, PassesEndWhenAValueNeverSettles) {
    int counter = 0, finished = 0;
    Grid->OnCellRecalculated = [&](TObject*, int, int, AnsiString& Text) {
        Text = "n" + std::to_string(++counter);
    };
    Grid->OnRecalculated = [&](TObject*) { ++finished; };
    C(0, 0)->SetFormula("1");
    const int before = counter;
    EXPECT_TRUE(Grid->Recalculate(nullptr));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(counter - before, 3);  // formula cells + 2 passes
}

TEST_F(Recalculation, ReferencedRandomCellShowsTheSameNumber) {
    C(0, 0)->SetFormula("rand()");
    C(1, 0)->SetFormula("A1");
    Grid->Recalculate(nullptr);
    EXPECT_EQ(V(1, 0).AsDouble(), V(0, 0).AsDouble());
    MakeMergedCell(Grid, 2, 2, 3, 3);
    C(2, 2)->SetFormula("rand()");
    int changes = 0;
    Grid->OnRecalculated = [&](TObject*) { ++changes; };
    Grid->Recalculate(nullptr);
    EXPECT_EQ(changes, 1);
}

TEST_F(Recalculation, HiddenColumnsCountInReferences) {
    C(2, 0)->SetText("5");
    C(0, 1)->SetFormula("C1");
    ASSERT_TRUE(Grid->HideColumn(1));
    EXPECT_EQ(Grid->GetCells(1, 0)->GetText(), "5");  // visible index 1 is absolute column 2
    Grid->GetCells(1, 0)->SetText("7");
    EXPECT_EQ(T(0, 1), "7");
}

TEST_F(Recalculation, HeadingsSwitchRewritesFormulasAndShiftsNames) {
    C(2, 2)->SetText("9");
    C(3, 3)->SetFormula("C3+$C$3");
    Grid->SetSpreadsheetHeaders(true);
    EXPECT_TRUE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(Grid->GetFixedCols(), 1);
    EXPECT_EQ(Grid->GetFixedRows(), 1);
    EXPECT_EQ(C(3, 3)->GetFormula(), "B2+$B$2");
    EXPECT_EQ(Grid->CellByName("B2"), C(2, 2));
    Grid->Recalculate(nullptr);
    EXPECT_EQ(V(3, 3).AsDouble(), 18);
    EXPECT_EQ(Access::Internals(Grid).SpreadsheetHeadingText(2, 0), "B");
    EXPECT_EQ(Access::Internals(Grid).SpreadsheetHeadingText(0, 3), "3");
    Grid->SetSpreadsheetHeaders(false);
    EXPECT_EQ(C(3, 3)->GetFormula(), "C3+$C$3");
    EXPECT_EQ(Grid->CellByName("c3"), C(2, 2));
}

TEST_F(Recalculation, HeadingsStayOffWithoutRoomForThem) {
    Grid->SetColCount(1);
    Grid->SetSpreadsheetHeaders(true);
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
}

TEST_F(Recalculation, RecalculateSkipsTheHeadings) {
    Grid->SetFixedCols(1);
    Grid->SetFixedRows(1);
    Grid->SetSpreadsheetHeaders(true);
    Access::WriteFFormula(C(0, 2), "1+1");
    Access::WriteFFormula(C(2, 2), "2+2");
    Grid->Recalculate(nullptr);
    EXPECT_EQ(C(0, 2)->GetValue().Type(), varEmpty);
    EXPECT_EQ(V(2, 2).AsDouble(), 4);
}

TEST_F(Recalculation, CellByNameRaisesOnBadNames) {
    EXPECT_EQ(Grid->CellByName("B3"), C(1, 2));
    EXPECT_THROW(Grid->CellByName("B"), EConvertError);
    EXPECT_THROW(Grid->CellByName("Z99"), Exception);
    // Names at the ends of the int range, shifted by the headings or not, are out of the grid.
    for (bool Headings : {false, true}) {
        Grid->SetSpreadsheetHeaders(Headings);
        for (const char* Name : {"A2147483647", "AAAAAAAAAAAAAAAAAAAAAAAA1", "B-2147483648"})
            EXPECT_THROW(Grid->CellByName(Name), EListError) << Name << " headings " << Headings;
    }
}

TEST_F(Recalculation, ExpressionEvaluatesForACellAndKeepsItsErrorText) {
    TCarrelonExpression e(Grid);
    TCarrelonExpressionType type = etDontCare;
    C(0, 0)->SetText("2");
    EXPECT_EQ(e.Evaluate("a1*3", C(1, 0), type), 6);
    EXPECT_EQ(type, etDontCare);
    EXPECT_EQ(e.Evaluate("B2", C(1, 0), type), 0);
    MakeMergedCell(Grid, 3, 3, 4, 4);
    EXPECT_EQ(e.Evaluate("E5", C(1, 0), type), FormulaNA);
    EXPECT_THROW(e.Evaluate("1/0", C(1, 0), type), Exception);
    EXPECT_EQ(e.GetErrorText(), "Floating point division by zero");
    EXPECT_TRUE(Access::ReadFError(C(1, 0)));
}

TEST_F(Recalculation, MovedColumnKeepsItsOwnReferencesApart) {
    // Column B moves to D: its own cells follow it, other cells keep naming position B.
    C(1, 0)->SetFormula("B2+C2");
    C(0, 0)->SetFormula("B2+C2");
    auto others = [](std::int64_t c) { return c == 3 || c == 4 ? c - 1 : c; };
    auto own = [](std::int64_t c) { return c == 2 ? 4 : c == 3 || c == 4 ? c - 1 : c; };
    Access::Internals(Grid).RenumberFormulas(others, nullptr, Grid->GetCols(1), own);
    EXPECT_EQ(C(1, 0)->GetFormula(), "D2+B2");
    EXPECT_EQ(C(0, 0)->GetFormula(), "B2+B2");
}

TEST_F(Recalculation, RenumberingRewritesEveryFormulaOnce) {
    MakeMergedCell(Grid, 1, 1, 2, 2);
    C(1, 1)->SetFormula("A5+A10");
    C(4, 0)->SetFormula("A5");
    ASSERT_TRUE(Grid->HideColumn(4));
    auto rows = [](std::int64_t r) { return r >= 3 ? r - 1 : r; };
    Access::Internals(Grid).RenumberFormulas(nullptr, rows, nullptr, nullptr);
    EXPECT_EQ(Grid->GetCells(1, 1)->GetFormula(), "A4+A9");
    EXPECT_EQ(Grid->GetAbsoluteCells(4, 0)->GetFormula(), "A4");
}

TEST_F(Recalculation, SwitchingSpreadsheetModeOnRecalculates) {
    Grid->SetSpreadsheetEnabled(false);
    C(0, 0)->SetFormula("2*21");
    EXPECT_EQ(C(0, 0)->GetValue().Type(), varEmpty);
    Grid->SetSpreadsheetEnabled(true);
    EXPECT_EQ(V(0, 0).AsDouble(), 42);
}

TEST_F(Recalculation, FreedFormulaCellsLeaveTheRegistry) {
    C(0, 3)->SetFormula("1");
    Grid->SetRowCount(2);
    Grid->SetRowCount(8);
    EXPECT_FALSE(Grid->Recalculate(nullptr));
}

TEST_F(Recalculation, LongChainRecalculatesWithoutCrash) {
    const int n = 20000;
    Grid->SetSpreadsheetEnabled(false);
    Grid->SetRowCount(n);
    for (int r = 0; r < n - 1; ++r) {
        AnsiString f = "A";
        f += std::to_string(r + 2);
        f += "+1";
        C(0, r)->SetFormula(f);
    }
    C(0, n - 1)->SetText("1");
    Grid->SetSpreadsheetEnabled(true);
    EXPECT_EQ(V(0, 0).AsDouble(), n);
}

}  // namespace
}  // namespace carrelon::test
