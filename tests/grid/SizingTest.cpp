#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon {
namespace {

using Access = TCarrelonTestAccess;

using test::MakeMergedCell;
using test::TTestGrid;

// A grid of 6 columns of 64 pixels and 10 rows, one fixed row and column, 400 x 300 pixels.
std::unique_ptr<TTestGrid> MakeSizedGrid() {
    auto G = std::make_unique<TTestGrid>(nullptr);
    G->SetColCount(6);
    G->SetRowCount(10);
    for (int c = 0; c < 6; ++c)
        G->SetColWidths(c, 64);
    G->SetBounds(0, 0, 400, 300);
    return G;
}

struct Grab {
    TGridState State;
    int Index;
};

Grab GrabAt(TTestGrid* G, int X, int Y) {
    TGridState State = gsNormal;
    int Index = -1, Pos = 0, Ofs = 0;
    G->CalcSizingState(X, Y, State, Index, Pos, Ofs);
    return {State, State == gsNormal ? -1 : Index};
}

TEST(Sizing, ColumnBoundaryGrabZone) {
    auto G = MakeSizedGrid();
    const int Y = 5;  // inside the fixed row
    // The boundary after column 1 lies at x = 128.
    const std::vector<std::tuple<int, TGridState, int>> Cases = {
        {124, gsNormal, -1},   {125, gsColSizing, 1}, {128, gsColSizing, 1},
        {132, gsColSizing, 1}, {133, gsNormal, -1},   {61, gsColSizing, 0},
    };
    for (const auto& [X, State, Index] : Cases) {
        const Grab g = GrabAt(G.get(), X, Y);
        EXPECT_EQ(g.State, State) << "x=" << X;
        EXPECT_EQ(g.Index, Index) << "x=" << X;
    }
    // Below the fixed rows and right of the fixed columns nothing is grabbed.
    EXPECT_EQ(GrabAt(G.get(), 128, 40).State, gsNormal);
}

TEST(Sizing, NarrowColumnGivesTheLeftBoundary) {
    auto G = MakeSizedGrid();
    G->SetColWidths(2, 6);  // boundaries at 128 and 134
    EXPECT_EQ(GrabAt(G.get(), 131, 5).Index, 1);
    EXPECT_EQ(GrabAt(G.get(), 136, 5).Index, 2);
}

TEST(Sizing, MergedCellsAndNonResizableColumnsBlockTheBoundary) {
    auto G = MakeSizedGrid();
    G->SetRowCount(10);
    G->SetFixedRows(2);
    MakeMergedCell(G.get(), 1, 0, 2, 0);                 // row 0 spans columns 1..2
    EXPECT_EQ(GrabAt(G.get(), 128, 5).State, gsNormal);  // inside the merge in row 0
    EXPECT_EQ(GrabAt(G.get(), 128, 25).Index, 1);        // row 1 ends there
    EXPECT_EQ(GrabAt(G.get(), 192, 5).Index, 2);         // the merge's own end
    G->GetCols(3)->SetResizable(false);
    EXPECT_EQ(GrabAt(G.get(), 256, 5).State, gsNormal);
    // Code can still size it.
    G->GetCols(3)->SetWidth(80);
    EXPECT_EQ(G->GetColWidths(3), 80);
}

TEST(Sizing, RowBoundaryInFixedColumnsAndVerticalMerges) {
    auto G = MakeSizedGrid();
    const int H = G->GetRowHeights(0);
    EXPECT_EQ(GrabAt(G.get(), 10, 2 * H).State, gsRowSizing);
    EXPECT_EQ(GrabAt(G.get(), 10, 2 * H).Index, 1);
    EXPECT_EQ(GrabAt(G.get(), 100, 2 * H).State, gsNormal);  // not in the fixed columns
    G->SetFixedCols(2);
    MakeMergedCell(G.get(), 0, 1, 0, 2);
    EXPECT_EQ(GrabAt(G.get(), 10, 2 * H).State, gsNormal);  // inside the merge
    EXPECT_EQ(GrabAt(G.get(), 70, 2 * H).Index, 1);
}

TEST(Sizing, ClientEdgeGrabsTheColumnCutByIt) {
    auto G = MakeSizedGrid();
    G->SetBounds(0, 0, 300, 300);  // column 4 (256..320) is cut by the client edge
    const int W = G->GetClientWidth();
    ASSERT_EQ(G->GetGridWidth(), W);
    EXPECT_EQ(GrabAt(G.get(), W - 1, 5).Index, 4);
    EXPECT_EQ(GrabAt(G.get(), W - 4, 5).State, gsNormal);
}

TEST(Sizing, SizedWidthIgnoresColumnsScrolledOut) {
    auto G = MakeSizedGrid();
    G->SetColCount(12);
    for (int c = 0; c < 12; ++c)
        G->SetColWidths(c, 64);
    G->SetLeftCol(4);
    G->FSizingIndex = 5;
    G->FSizingPos = 64 + 64 + 50;  // fixed column, column 4, then 50 pixels of column 5
    EXPECT_EQ(Access::Internals(G).CalcSizedColWidth(), 50);
}

TEST(Sizing, DragHooksAskTheApplication) {
    auto G = MakeSizedGrid();
    std::vector<std::string> Log;
    G->OnColumnStartDrag = [&](TCarrelon*, int Index, bool& CanDrag) {
        Log.push_back("col " + std::to_string(Index) + (CanDrag ? " yes" : " no"));
    };
    G->OnRowDragDrop = [&](TCarrelon*, int From, int To, bool& CanDrop) {
        Log.push_back("drop " + std::to_string(From) + ">" + std::to_string(To));
        CanDrop = false;
    };
    int Origin = 2, Dest = 2;
    G->GetCols(2)->SetMovable(false);
    EXPECT_FALSE(G->BeginColumnDrag(Origin, Dest, TPoint{}));
    G->GetCols(2)->SetMovable(true);
    EXPECT_TRUE(G->BeginColumnDrag(Origin, Dest, TPoint{}));
    Origin = 1;
    Dest = 4;
    EXPECT_FALSE(G->EndRowDrag(Origin, Dest, TPoint{}));
    EXPECT_TRUE(G->EndColumnDrag(Origin, Dest, TPoint{}));
    EXPECT_TRUE(G->BeginRowDrag(Origin, Dest, TPoint{}));
    EXPECT_EQ(Log, (std::vector<std::string>{"col 2 no", "col 2 yes", "drop 1>4"}));
}

}  // namespace
}  // namespace carrelon
