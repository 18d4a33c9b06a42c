// Count and fixed-part setters on grids whose merges reach over hidden columns: the model stays
// sound, what is left of a merge keeps its content, and nothing freed is read.
#include <gtest/gtest.h>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class CountEdits : public GridFixture {
protected:
    // A merge over absolute columns A0..A1 of row R holding Text.
    TCarrelonCell* Merge(int A0, int R, int A1, const AnsiString& Text) {
        TCarrelonCell* Cell = MakeMergedCell(Grid, A0, R, A1, R);
        Cell->SetText(Text);
        return Cell;
    }
};

// A default 5 x 5 grid, a merge over absolute columns 1-4 and rows 1-4, one of its columns
// hidden, then ColCount 0: the hidden column keeps the merge's content; the removed ones went.
TEST_F(CountEdits, ShrinkingKeepsTheHiddenPartOfAMerge) {
    for (int Hidden : {1, 2, 3, 4}) {
        SCOPED_TRACE("hidden column " + std::to_string(Hidden));
        Grid->SetColCount(5);
        Grid->SetRowCount(5);
        TCarrelonCell* Cell = MakeMergedCell(Grid, 1, 1, 4, 4);
        Cell->SetText("kept");
        ASSERT_TRUE(Grid->GetCols(Hidden)->Hide());
        Grid->SetColCount(0);
        ExpectModelSound();
        ASSERT_EQ(Grid->GetColCount(), 1);
        ASSERT_EQ(Grid->GetAbsoluteColCount(), 2);
        TCarrelonCell* Left = Grid->GetAbsoluteCells(1, 1);
        EXPECT_EQ(Left->GetText(), "kept");
        EXPECT_EQ(Left->GetEndRow(), 4);
        EXPECT_FALSE(Left->GetVisible());
        ASSERT_EQ(Grid->ShowHiddenColumn(0), 1);
        EXPECT_EQ(Grid->GetCells(1, 4)->GetText(), "kept");
        ExpectModelSound();
        Grid->SetColCount(1);
    }
}

TEST_F(CountEdits, ShrinkingCutsAMergeToItsSurvivingColumns) {
    struct Case {
        int A0, A1;      // the merge, absolute columns of row 3
        int Hide;        // absolute column hidden before the shrink
        int Count;       // the new ColCount
        int Start, End;  // absolute columns (before the shrink) left to the merge; -1: freed
    };
    // Columns 0..7 with one hidden: the visible ones after it shift left.
    const Case Cases[] = {
        {4, 7, 5, 5, 4, 5},    // keeps abs 0..4: the merge keeps 4 and the hidden 5
        {4, 7, 6, 5, 4, 6},    // keeps abs 0..4: 4 and the hidden 6, with 5 gone between
        {5, 7, 6, 4, 6, 6},    // keeps abs 0..3: only the hidden 6 is left
        {5, 7, 2, 4, -1, -1},  // keeps abs 0, 1, 3, 4: the merge goes
        {2, 7, 6, 3, 2, 6},    // keeps abs 0..2: 2 and the hidden 6
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(::testing::Message() << "merge " << C.A0 << ".." << C.A1 << ", hide " << C.Hide
                                          << ", ColCount " << C.Count);
        Grid->SetColCount(8);
        Grid->SetRowCount(5);
        Merge(C.A0, 3, C.A1, "m");
        TCarrelonCol* Start = C.Start >= 0 ? Grid->GetAbsoluteCols(C.Start) : nullptr;
        TCarrelonCol* End = C.End >= 0 ? Grid->GetAbsoluteCols(C.End) : nullptr;
        ASSERT_TRUE(Grid->GetAbsoluteCols(C.Hide)->Hide());
        const long long Before = Access::LiveCells();
        Grid->SetColCount(C.Count);
        ExpectModelSound();
        EXPECT_LT(Access::LiveCells(), Before);
        int Left = 0;
        for (int a = 0; a < Grid->GetAbsoluteColCount(); ++a)
            if (Grid->GetAbsoluteCells(a, 3)->GetText() == "m") ++Left;
        if (Start == nullptr) {
            EXPECT_EQ(Left, 0);
        } else {
            TCarrelonCell* Cell = Start->GetCells(3);
            EXPECT_EQ(Cell->GetText(), "m");
            EXPECT_EQ(Cell->GetCol(), Start);
            EXPECT_EQ(Cell->GetEndColObject(), End);
            EXPECT_EQ(Left, End->GetAbsoluteNumber() - Start->GetAbsoluteNumber() + 1);
        }
        while (Grid->GetHiddenColCount() > 0)
            Grid->ShowHiddenColumn(0);
        Grid->SetColCount(1);
        ExpectModelSound();
    }
}

// New columns go after the last visible one, before the hidden columns that follow it, but never
// inside a merge that reaches from it into those hidden columns.
TEST_F(CountEdits, GrowingStepsOverAMergeIntoHiddenColumns) {
    Grid->SetColCount(5);
    TCarrelonCell* Cell = Merge(2, 1, 4, "m");
    ASSERT_TRUE(Grid->GetAbsoluteCols(3)->Hide());
    ASSERT_TRUE(Grid->GetAbsoluteCols(4)->Hide());
    Grid->SetColCount(5);
    ExpectModelSound();
    EXPECT_EQ(Cell->GetEndColObject()->GetAbsoluteNumber(), 4);
    EXPECT_EQ(Grid->GetCols(3)->GetAbsoluteNumber(), 5);
    EXPECT_EQ(Grid->GetCells(3, 1)->GetText(), "");
    EXPECT_FALSE(Grid->GetCells(3, 1)->IsMerged());

    // A hidden column after the merge's end stays after the new column.
    while (Grid->GetHiddenColCount() > 0)
        Grid->ShowHiddenColumn(0);
    Grid->SetColCount(1);
    Grid->SetColCount(6);
    Merge(3, 2, 4, "n");
    TCarrelonCol* After = Grid->GetAbsoluteCols(5);
    ASSERT_TRUE(Grid->GetAbsoluteCols(4)->Hide());
    ASSERT_TRUE(After->Hide());
    Grid->SetColCount(5);
    ExpectModelSound();
    EXPECT_EQ(Grid->GetCols(4)->GetAbsoluteNumber(), 5);
    EXPECT_EQ(After->GetAbsoluteNumber(), 6);
}

// Raising or lowering FixedCols never leaves a merge across the boundary, also where hidden
// columns lie beside the merge, and the fixed visible columns are exactly those before it.
TEST_F(CountEdits, FixedColumnsNeverCutAMergeBesideHiddenColumns) {
    struct Case {
        int A0, A1;  // merge in row 1, absolute columns
        int Hide;    // absolute column hidden
        int From, To;
        int Expected;
    };
    const Case Cases[] = {
        {2, 3, 1, 1, 3, 3},  // visible 0,2,3,4,5: the merge is visible 1-2, wholly fixed
        {2, 3, 3, 1, 3, 3},  // the merge's second column hidden: visible 2 is abs 4
        {1, 4, 3, 1, 3, 4},  // raised past the merge (visible 1..3)
        {1, 5, 3, 1, 3, 1},  // the merge reaches the last column: abandoned
        {1, 2, 2, 3, 1, 1},  // lowered next to a merge into a hidden column
        {2, 4, 3, 5, 3, 2},  // lowered back before the merge
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(::testing::Message() << "merge " << C.A0 << ".." << C.A1 << ", hide " << C.Hide
                                          << ", FixedCols " << C.From << " -> " << C.To);
        Grid->SetColCount(6);
        Grid->SetFixedCols(C.From);
        Merge(C.A0, 1, C.A1, "m");
        ASSERT_TRUE(Grid->GetAbsoluteCols(C.Hide)->Hide());
        ExpectModelSound();
        Grid->SetFixedCols(C.To);
        EXPECT_EQ(Grid->GetFixedCols(), C.Expected);
        ExpectModelSound();
        while (Grid->GetHiddenColCount() > 0)
            Grid->ShowHiddenColumn(0);
        ExpectModelSound();
        Grid->SetFixedCols(1);
        Grid->SetColCount(1);
        Grid->SetColCount(6);
    }
}

}  // namespace
}  // namespace carrelon::test
