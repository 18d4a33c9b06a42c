#include <gtest/gtest.h>

#include "platform/rtl/Locale.h"
#include "tests/support/FakeFormulaGrid.h"

namespace carrelon {
namespace {

// "A<Row><Suffix>", built piecewise.
AnsiString RefTo(int Row, const char* Suffix) {
    AnsiString s = "A";
    s += std::to_string(Row);
    s += Suffix;
    return s;
}

class FormulaEngineTest : public ::testing::Test, public test::FormulaFixtureBase {};

TEST(FormulaEngineChain, LongChainEvaluatesWithoutDeepRecursion) {
    const int n = 100000;
    test::FakeFormulaGrid grid(1, n);
    TFormulaEngine engine(grid);
    for (int r = 0; r < n - 1; ++r)
        grid.SetFormula(0, r, RefTo(r + 2, "+1"));
    grid.SetNumber(0, n - 1, 1);
    test::FakeCell& head = grid.At(0, 0);
    TFormulaResult result = engine.Evaluate(head.Formula, &head);
    ASSERT_TRUE(result.Ok) << result.ErrorText;
    EXPECT_EQ(result.Value.Number, n);
}

TEST(FormulaEngineChain, KeptResultsMakeAWholePassLinear) {
    const int n = 2000;
    test::FakeFormulaGrid grid(1, n);
    TFormulaEngine engine(grid);
    for (int r = 0; r < n - 1; ++r)
        grid.SetFormula(0, r, RefTo(r + 2, "+1"));
    grid.SetNumber(0, n - 1, 1);
    engine.BeginSession();
    for (int r = 0; r < n - 1; ++r) {
        test::FakeCell& c = grid.At(0, r);
        TFormulaResult res = engine.Evaluate(c.Formula, &c);
        ASSERT_TRUE(res.Ok);
        ASSERT_EQ(res.Value.Number, n - r);
    }
    engine.EndSession();
    // Each cell is read a bounded number of times, not once per cell above it.
    EXPECT_LT(grid.ReadSlotCalls, 4 * n);
}

TEST(FormulaEngineChain, ErrorAtTheEndOfAChainReachesEveryCell) {
    const int n = 3000;
    test::FakeFormulaGrid grid(1, n);
    TFormulaEngine engine(grid);
    for (int r = 0; r < n - 1; ++r)
        grid.SetFormula(0, r, RefTo(r + 2, "*2"));
    grid.SetFormula(0, n - 1, "1/0");
    engine.BeginSession();
    for (int r = 0; r < n; ++r) {
        test::FakeCell& c = grid.At(0, r);
        bool before = c.Error;
        TFormulaResult res = engine.Evaluate(c.Formula, &c);
        if (before != c.Error) engine.CellErrorChanged(&c);
        ASSERT_FALSE(res.Ok);
        ASSERT_EQ(res.ErrorText, "Floating point division by zero") << r;
    }
    engine.EndSession();
    EXPECT_LT(grid.ReadSlotCalls, 6 * n);
    // With the flags now set, the next evaluation stops at the first referenced cell.
    test::FakeCell& head = grid.At(0, 0);
    EXPECT_EQ(engine.Evaluate(head.Formula, &head).ErrorText, "Reference to error");
}

TEST_F(FormulaEngineTest, FlagChangeDropsTheResultsThatReadIt) {
    Grid.SetFormula(0, 0, "B1+1");
    Grid.SetFormula(1, 0, "C1*2");
    Grid.SetFormula(2, 0, "5");
    Engine.BeginSession();
    EXPECT_EQ(EvalCell(0, 0).Value.Number, 11);
    Grid.At(2, 0).Error = true;
    Engine.CellErrorChanged(&Grid.At(2, 0));
    EXPECT_EQ(EvalCell(0, 0).ErrorText, "Reference to error");
    Engine.EndSession();
}

TEST_F(FormulaEngineTest, KeptResultFollowsAChangedFormulaOfTheEvaluatedCell) {
    Engine.BeginSession();
    Grid.SetFormula(0, 0, "1+1");
    EXPECT_EQ(EvalCell(0, 0).Value.Number, 2);
    Grid.SetFormula(0, 0, "2+2");
    EXPECT_EQ(EvalCell(0, 0).Value.Number, 4);
    Engine.EndSession();
}

TEST_F(FormulaEngineTest, SessionOpenedFromAHandlerSeesNewContent) {
    Grid.SetNumber(1, 0, 1);
    Grid.SetFormula(0, 0, "B1");
    Grid.SetFormula(0, 1, "A1");
    Engine.BeginSession();
    EXPECT_EQ(EvalCell(0, 1).Value.Number, 1);
    Engine.BeginHandler();
    Grid.SetNumber(1, 0, 2);
    Engine.BeginSession();
    EXPECT_EQ(EvalCell(0, 1).Value.Number, 2);
    Engine.EndSession();
    Engine.EndHandler();
    Engine.EndSession();
}

TEST_F(FormulaEngineTest, CycleAwayFromTheOriginIsNotKept) {
    // A1 -> B1 <-> C1: from A1 the loop B1-C1 is cyclic; from B1 itself too.
    Grid.SetFormula(0, 0, "B1");
    Grid.SetFormula(1, 0, "C1");
    Grid.SetFormula(2, 0, "B1");
    Engine.BeginSession();
    EXPECT_EQ(EvalCell(0, 0).ErrorText, "Cyclic reference");
    EXPECT_EQ(EvalCell(1, 0).ErrorText, "Cyclic reference");
    // B1's flag was set by its own evaluation and would give "Reference to error".
    Grid.At(1, 0).Error = false;
    Grid.SetFormula(2, 0, "7");
    Engine.Invalidate();
    EXPECT_EQ(EvalCell(0, 0).Value.Number, 7);
    Engine.EndSession();
}

TEST_F(FormulaEngineTest, ChangedSeparatorsRecompileAKeptFormula) {
    Grid.SetFormula(0, 0, "1,5");
    EXPECT_EQ(EvalCell(0, 0).ErrorText, "Invalid expression");
    TLocaleScope locale;
    DecimalSeparator = ',';
    ListSeparator = ';';
    EXPECT_EQ(EvalCell(0, 0).Value.Number, 1.5);
    Grid.SetFormula(1, 0, "A1*2");
    EXPECT_EQ(EvalCell(1, 0).Value.Number, 3);
}

TEST_F(FormulaEngineTest, ProgramsAreCompiledOnce) {
    auto a = Engine.Program("A1+1");
    auto b = Engine.Program("A1+1");
    EXPECT_EQ(a.get(), b.get());
}

}  // namespace
}  // namespace carrelon
