// Counts, sizes and the geometry the descendants rely on: CellRect, BoxRect, MouseCoord,
// visible counts, the per-row height array.
#include <gtest/gtest.h>

#include "tests/support/RecordingGrid.h"

using namespace carrelon;
using carrelon::test::MakeTestGrid;
using carrelon::test::TRecordingGrid;

namespace {

// 10 x 10 cells; geometry needs no window.
std::unique_ptr<TRecordingGrid> MakeGrid() {
    return MakeTestGrid(10, 10, false);
}

}  // namespace

TEST(GridGeometry, InitialStateIsUsable) {
    TRecordingGrid G;
    EXPECT_EQ(G.GetColCount(), 5);
    EXPECT_EQ(G.GetRowCount(), 5);
    EXPECT_EQ(G.GetFixedCols(), 1);
    EXPECT_EQ(G.GetFixedRows(), 1);
    EXPECT_EQ(G.GetCol(), 1);
    EXPECT_EQ(G.GetRow(), 1);
    EXPECT_EQ(G.GetLeftCol(), 1);
    EXPECT_EQ(G.GetTopRow(), 1);
    EXPECT_TRUE(G.GetOptions().Contains(goRangeSelect));
    EXPECT_EQ(G.GetGridLineWidth(), 1);
    // A single 3-D border takes 2 pixels on each side; none takes nothing.
    EXPECT_EQ(G.GetWidth(), 320);
    EXPECT_EQ(G.GetClientWidth(), 316);
    G.SetBorderStyle(bsNone);
    EXPECT_EQ(G.GetClientWidth(), 320);
}

TEST(GridGeometry, CellRectAtEdgesAndWhenScrolled) {
    auto G = MakeGrid();
    struct Case {
        int Col, Row, Left, Top;
        TRect Expected;
    };
    const Case Cases[] = {
        {0, 0, 1, 1, Rect(0, 0, 50, 20)},       // the fixed corner
        {1, 1, 1, 1, Rect(51, 21, 101, 41)},    // first scrollable cell
        {5, 1, 1, 1, Rect(255, 21, 300, 41)},   // cut by the client edge
        {6, 1, 1, 1, TRect{}},                  // beyond the client edge
        {1, 9, 1, 1, Rect(51, 189, 101, 200)},  // cut by the bottom edge
        {1, 1, 3, 3, TRect{}},                  // scrolled out
        {3, 0, 3, 3, Rect(51, 0, 101, 20)},     // fixed row follows the scroll
        {0, 4, 3, 3, Rect(0, 42, 50, 62)},      // fixed column follows the scroll
        {-1, 1, 1, 1, TRect{}},                 // outside the grid
        {1, 10, 1, 1, TRect{}},
    };
    for (const Case& c : Cases) {
        G->SetLeftCol(c.Left);
        G->SetTopRow(c.Top);
        EXPECT_EQ(G->CellRect(c.Col, c.Row), c.Expected)
            << "cell " << c.Col << "," << c.Row << " view " << c.Left << "," << c.Top;
    }
}

TEST(GridGeometry, BoxRectCoversTheVisiblePartOnly) {
    auto G = MakeGrid();
    G->SetTopRow(3);
    // Rows 1..4 with 1 and 2 scrolled out: from row 3's top to row 4's bottom.
    EXPECT_EQ(G->BoxRect(1, 1, 2, 4), Rect(51, 21, 152, 62));
    // Reversed corners are the same box.
    EXPECT_EQ(G->BoxRect(2, 4, 1, 1), Rect(51, 21, 152, 62));
    // From the fixed row into the scrolled rows: one piece over the fixed row and the rows shown.
    EXPECT_EQ(G->BoxRect(1, 0, 1, 3), Rect(51, 0, 101, 41));
    // Wholly scrolled out.
    EXPECT_EQ(G->BoxRect(1, 1, 1, 2), TRect{});
}

TEST(GridGeometry, HiddenColumnsHaveNoRectAndAreNeverHit) {
    auto G = MakeGrid();
    G->SetColWidths(2, 0);
    G->SetColWidths(3, 0);
    EXPECT_EQ(G->CellRect(2, 1), TRect{});
    // Column 4 now starts right after column 1's line... plus the lines of the hidden columns.
    EXPECT_EQ(G->CellRect(4, 1), Rect(104, 21, 154, 41));
    EXPECT_EQ(G->MouseCoord(101, 25), (TGridCoord{1, 1}));  // the line after column 1
    EXPECT_EQ(G->MouseCoord(102, 25), (TGridCoord{2, 1}));  // column 2's line: 1 pixel
    EXPECT_EQ(G->MouseCoord(104, 25), (TGridCoord{4, 1}));
}

TEST(GridGeometry, MouseCoordOffTheGridIsMinusOne) {
    auto G = MakeGrid();
    G->SetColCount(3);
    G->SetRowCount(3);
    // The grid ends at 153 x 63.
    struct Case {
        int X, Y;
        TGridCoord Expected;
    };
    const Case Cases[] = {
        {0, 0, {0, 0}},     {152, 62, {2, 2}},  {153, 10, {-1, -1}}, {10, 63, {-1, -1}},
        {-1, 10, {-1, -1}}, {10, -1, {-1, -1}}, {50, 20, {0, 0}},    {51, 21, {1, 1}},
    };
    for (const Case& c : Cases)
        EXPECT_EQ(G->MouseCoord(c.X, c.Y), c.Expected) << c.X << "," << c.Y;
    // The raw hit test keeps the part that is on the grid.
    EXPECT_EQ(G->CalcCoordFromPoint(10, 63), (TGridCoord{0, -1}));
    EXPECT_EQ(G->GetGridWidth(), 153);
    EXPECT_EQ(G->GetGridHeight(), 63);
}

TEST(GridGeometry, VisibleCountsAndGridExtent) {
    auto G = MakeGrid();
    // 249 pixels after the fixed column: four whole columns of 51; 179 after the fixed row:
    // eight whole rows of 21.
    EXPECT_EQ(G->GetVisibleColCount(), 4);
    EXPECT_EQ(G->GetVisibleRowCount(), 8);
    EXPECT_EQ(G->GetGridWidth(), 300);
    EXPECT_EQ(G->GetGridHeight(), 200);
}

TEST(GridGeometry, LinesOffMeansSlotsTouch) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() -
                  TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine});
    EXPECT_EQ(G->CellRect(2, 2), Rect(100, 40, 150, 60));
    G->SetGridLineWidth(0);
    G->SetOptions(G->GetOptions() + TGridOptions{goVertLine, goHorzLine});
    EXPECT_EQ(G->CellRect(2, 2), Rect(100, 40, 150, 60));
    EXPECT_EQ(G->MouseCoord(150, 60), (TGridCoord{3, 3}));
}

TEST(GridGeometry, DefaultRowHeightDropsThePerRowArray) {
    auto G = MakeGrid();
    EXPECT_EQ(G->RowHeightsArray(), nullptr);
    G->SetRowHeights(3, 40);
    ASSERT_NE(G->RowHeightsArray(), nullptr);
    EXPECT_EQ((*G->RowHeightsArray())[3], 40);
    // Storing the default alone keeps rows with their own height.
    G->WriteDefaultRowHeight(25);
    EXPECT_EQ(G->GetRowHeights(3), 40);
    EXPECT_EQ(G->GetRowHeights(4), 20);
    // The setter, even with the same value, gives every row the default and drops the array.
    G->SetDefaultRowHeight(25);
    EXPECT_EQ(G->RowHeightsArray(), nullptr);
    EXPECT_EQ(G->GetRowHeights(3), 25);
}

TEST(GridGeometry, BadCountsAndIndexesGiveClearResults) {
    auto G = MakeGrid();
    EXPECT_THROW(G->SetFixedCols(10), EInvalidGridOperation);
    EXPECT_THROW(G->SetFixedRows(-1), EInvalidGridOperation);
    EXPECT_THROW(G->SetColWidths(10, 5), EInvalidGridOperation);
    EXPECT_THROW(G->SetRowHeights(-1, 5), EInvalidGridOperation);
    EXPECT_THROW(G->MoveColRow(10, 1, true, true), EInvalidGridOperation);
    G->SetRowHeights(2, -7);
    EXPECT_EQ(G->GetRowHeights(2), 0);
    G->SetColCount(0);
    EXPECT_EQ(G->GetColCount(), 1);
    EXPECT_EQ(G->GetFixedCols(), 0);
}

TEST(GridGeometry, ShrinkingKeepsCurrentCellAndViewInside) {
    auto G = MakeGrid();
    G->MoveColRow(8, 8, true, true);
    G->SetRowCount(5);
    G->SetColCount(4);
    EXPECT_EQ(G->GetCol(), 3);
    EXPECT_EQ(G->GetRow(), 4);
    EXPECT_LE(G->GetTopRow(), 4);
    EXPECT_LE(G->GetLeftCol(), 3);
    EXPECT_GE(G->GetTopRow(), 1);
}

TEST(GridGeometry, MovesCarrySizesAndCurrentCell) {
    auto G = MakeGrid();
    G->SetColWidths(2, 70);
    G->MoveColRow(2, 3, true, false);
    G->MoveColumn(2, 5);
    EXPECT_EQ(G->GetColWidths(5), 70);
    EXPECT_EQ(G->GetColWidths(2), 50);
    EXPECT_EQ(G->GetCol(), 5);
    G->SetRowHeights(3, 33);
    G->MoveRow(3, 1);
    EXPECT_EQ(G->GetRowHeights(1), 33);
    EXPECT_EQ(G->GetRow(), 1);
    ASSERT_EQ(G->ColumnMoves.size(), 1u);
    EXPECT_EQ(G->ColumnMoves[0], std::make_pair(2, 5));
    ASSERT_EQ(G->RowMoves.size(), 1u);
    EXPECT_EQ(G->RowMoves[0], std::make_pair(3, 1));
}
