// A seeded random sequence of structural edits, merges, splits, sorts, hiding and showing, with
// formulas in the grid: the model stays sound after every step and no cell leaks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class EditSequence : public GridFixture {};

TEST_F(EditSequence, ModelStaysSoundThroughRandomEdits) {
    for (unsigned Seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 Rng(Seed);
        auto Pick = [&](int N) { return N <= 0 ? 0 : static_cast<int>(Rng() % N); };
        Grid->SetColCount(6);
        Grid->SetRowCount(10);
        Grid->SetFixedRows(1);
        Grid->SetFixedCols(1);
        Grid->SetSpreadsheetEnabled(Seed % 2 == 0);
        for (int k = 0; k < Grid->GetColCount(); ++k)
            for (int r = 0; r < Grid->GetRowCount(); ++r) {
                AnsiString Text = std::to_string((k * 7 + r * 3) % 10);
                Grid->GetCells(k, r)->SetText(Text);
            }
        Grid->GetCells(2, 2)->SetFormula("A1+B3");
        Grid->GetCells(4, 5)->SetFormula("SUM(A1:C4)");
        for (int Step = 0; Step < 600; ++Step) {
            const int Cols = Grid->GetColCount(), Rows = Grid->GetRowCount();
            const int Op = Pick(14);
            std::string What = "seed " + std::to_string(Seed) + " step " + std::to_string(Step) +
                               " op " + std::to_string(Op);
            switch (Op) {
                case 0:
                    Grid->InsertRow(Pick(Rows));
                    break;
                case 1:
                    Grid->InsertRowEx(Pick(4), Pick(Rows), Pick(2) == 1);
                    break;
                case 2:
                    Grid->DeleteRow(Pick(Rows));
                    break;
                case 3:
                    Grid->InsertColumn(Pick(Cols));
                    break;
                case 4:
                    Grid->DeleteColumn(Pick(Cols));
                    break;
                case 5:
                    Grid->HideColumn(Pick(Cols));
                    break;
                case 6:
                    Grid->ShowHiddenColumn(Pick(Grid->GetHiddenColCount()));
                    break;
                case 7:
                    Grid->MoveRow(Pick(Rows), Pick(Rows));
                    break;
                case 8:
                    Grid->MoveColumn(Pick(Cols), Pick(Cols));
                    break;
                case 9:
                    Grid->MergeHoriz(Pick(Cols), Pick(Cols), Pick(Rows), ",");
                    break;
                case 10:
                    Grid->MergeVert(Pick(Cols), Pick(Rows), Pick(Rows), ",");
                    break;
                case 11: {
                    const int L = Pick(Cols), T = Pick(Rows);
                    Grid->MergeRect(TRect{L, T, L + Pick(3), T + Pick(3)}, Pick(2) == 1, ",", ";");
                    break;
                }
                case 12:
                    Grid->GetCells(Pick(Cols), Pick(Rows))->Split();
                    break;
                default:
                    Grid->SetSortColumn(Pick(Cols));
                    Grid->SetSortDescending(Pick(2) == 1);
                    Grid->Sort();
                    break;
            }
            std::string Why;
            ASSERT_TRUE(Access::CheckModelInvariants(Grid, &Why)) << What << ": " << Why;
            // The size stays small through the edits themselves.
            while (Grid->GetRowCount() > 30)
                Grid->DeleteRow(Pick(Grid->GetRowCount()));
            while (Grid->GetColCount() > 10)
                Grid->DeleteColumn(Pick(Grid->GetColCount()));
            while (Grid->GetRowCount() < 4)
                Grid->InsertRowEx(0, Grid->GetRowCount() - 1, true);
            if (Grid->GetColCount() < 4) Grid->SetColCount(4);
        }
        while (Grid->GetHiddenColCount() > 0)
            ASSERT_GE(Grid->ShowHiddenColumn(0), 0);
        ExpectModelSound();
    }
}

TEST_F(EditSequence, EveryCellIsFreedOnce) {
    const long long Before = Access::LiveCells();
    {
        auto Other = std::make_unique<TForm>(nullptr);
        auto* G = new TCarrelon(Other.get());
        G->SetColCount(6);
        G->SetRowCount(6);
        ASSERT_TRUE(G->MergeRect(TRect{1, 1, 3, 2}, true, "", ""));
        ASSERT_TRUE(G->HideColumn(2));
        ASSERT_TRUE(G->MoveRow(1, 4));
        ASSERT_TRUE(G->MoveColumn(1, 3));
        ASSERT_TRUE(G->InsertColumn(2));
        ASSERT_TRUE(G->Sort());
        ASSERT_TRUE(G->DeleteColumn(1));
    }
    EXPECT_EQ(Access::LiveCells(), Before);
}

}  // namespace
}  // namespace carrelon::test
