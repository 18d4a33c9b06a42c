// Painting: which slots DrawCell is asked for, in which order, with which rectangle and state.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"
#include "tests/support/RecordingGrid.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

// Which region a slot belongs to, in the order the grid paints them.
int Region(const TCustomGrid& G, const TDrawCall& D) {
    const bool FC = D.Col < G.GetFixedCols(), FR = D.Row < G.GetFixedRows();
    return FC && FR ? 0 : FR ? 1 : FC ? 2 : 3;
}

}  // namespace

TEST(GridPaint, VisitsCornerFixedRowsFixedColumnsThenCells) {
    auto G = MakeTestGrid(20, 50);
    G->SetFixedCols(2);
    G->SetFixedRows(2);
    G->SetTopRow(10);
    G->SetLeftCol(5);
    PaintNow(*G);
    ASSERT_FALSE(G->Draws.empty());
    int Last = 0;
    std::set<std::pair<int, int>> Seen;
    for (const TDrawCall& D : G->Draws) {
        EXPECT_GE(Region(*G, D), Last) << D.Col << "," << D.Row;
        Last = Region(*G, D);
        EXPECT_TRUE(Seen.insert({D.Col, D.Row}).second) << "twice: " << D.Col << "," << D.Row;
        // Only slots on screen, each with its whole rectangle (not cut by the client edge).
        EXPECT_TRUE(D.Col < 2 || (D.Col >= 5 && D.Col <= 8)) << D.Col;
        EXPECT_TRUE(D.Row < 2 || (D.Row >= 10 && D.Row <= 17)) << D.Row;
        const TRect Visible = G->CellRect(D.Col, D.Row);
        EXPECT_EQ(D.Rect, Rect(Visible.Left, Visible.Top, Visible.Left + 50, Visible.Top + 20))
            << D.Col << "," << D.Row;
    }
    // 2 + 4 columns (the last one cut) by 2 + 8 rows (the last one cut).
    EXPECT_EQ(G->Draws.size(), 6u * 10u);
}

TEST(GridPaint, DrawStateMarksFixedSelectedAndFocused) {
    auto G = MakeTestGrid(6, 6);
    G->SetSelection({2, 2, 3, 3});
    PaintNow(*G);
    for (const TDrawCall& D : G->Draws) {
        const bool Fixed = D.Col == 0 || D.Row == 0;
        EXPECT_EQ(D.State.Contains(gdFixed), Fixed) << D.Col << "," << D.Row;
        const bool Selected = !Fixed && D.Col >= 2 && D.Col <= 3 && D.Row >= 2 && D.Row <= 3;
        EXPECT_EQ(D.State.Contains(gdSelected), Selected) << D.Col << "," << D.Row;
        EXPECT_FALSE(D.State.Contains(gdFocused));  // the grid has no focus
    }
}

TEST(GridPaint, HiddenSlotsAreNotDrawn) {
    auto G = MakeTestGrid(6, 1000);
    for (int r = 3; r < 900; ++r)
        G->SetRowHeights(r, 0);
    G->SetColWidths(2, 0);
    G->SetOptions(G->GetOptions() - TGridOptions{goHorzLine, goVertLine});
    PaintNow(*G);
    for (const TDrawCall& D : G->Draws) {
        EXPECT_NE(D.Col, 2);
        EXPECT_TRUE(D.Row < 3 || D.Row >= 900) << D.Row;
    }
    // Rows 900.. follow row 2 directly.
    EXPECT_EQ(G->CellRect(1, 900).Top, 21 + 20 + 20);
}

TEST(GridPaint, BackgroundBeyondTheCellsIsFilledWithColor) {
    auto G = MakeTestGrid(2, 2);
    G->SetColor(0x00FF00);
    QImage Image = G->GetHandle()->grab().toImage();
    // The grid ends at 101 x 41; right of it and below it the grid colour shows.
    EXPECT_EQ(Image.pixelColor(200, 10), QColor(0, 255, 0));
    EXPECT_EQ(Image.pixelColor(10, 100), QColor(0, 255, 0));
}

TEST(GridPaint, SizingLineShowsWhileDraggingOnly) {
    auto G = MakeTestGrid(8, 8);
    G->SetDefaultDrawing(true);
    G->SetOptions(G->GetOptions() + goColSizing);
    auto DarkAt = [&](const QImage& I, int X) {
        for (int Y = 60; Y < 70; ++Y)
            if (I.pixelColor(X, Y).lightness() < 64) return true;
        return false;
    };
    EXPECT_FALSE(DarkAt(PaintNow(*G), 180));
    Press(*G, 102, 10);
    Drag(*G, 180, 10);
    EXPECT_TRUE(DarkAt(PaintNow(*G), 180));
    Release(*G, 180, 10);
    EXPECT_FALSE(DarkAt(PaintNow(*G), 180));
    EXPECT_EQ(G->GetColWidths(1), 128);
    // A state reset behind the grid's back (a descendant's veto) takes the line away too.
    Press(*G, 50, 10);
    Drag(*G, 180, 10);
    G->FGridState = gsNormal;
    EXPECT_FALSE(DarkAt(PaintNow(*G), 180));
}

// Sizes run up to the largest int: sums of them on screen saturate instead of wrapping, so
// every slot keeps a rectangle that starts where it starts and runs past the client edge.
TEST(GridPaint, SlotsOfAnySizePaintAndHitTest) {
    constexpr int kHuge = 1 << 30;
    auto G = MakeTestGrid(6, 8);
    G->SetDefaultDrawing(true);
    for (int r = 1; r <= 4; ++r)
        G->SetRowHeights(r, kHuge);
    G->SetRowHeights(5, INT_MAX);
    G->SetColWidths(2, INT_MAX);
    G->SetColWidths(3, kHuge);
    for (int Top : {1, 3, 5, 7}) {
        SCOPED_TRACE(Top);
        G->SetTopRow(Top);
        G->FCurrent = {2, Top};
        PaintNow(*G);
        bool Seen = false;
        for (const TDrawCall& D : G->Draws) {
            EXPECT_LT(D.Rect.Left, D.Rect.Right) << D.Col << "," << D.Row;
            EXPECT_LT(D.Rect.Top, D.Rect.Bottom) << D.Col << "," << D.Row;
            if (D.Col == 2 && D.Row == Top) {
                Seen = true;
                EXPECT_EQ(D.Rect.Left, 102);
                EXPECT_EQ(D.Rect.Top, 21);
                EXPECT_GT(D.Rect.Right, 300);
                if (Top < 7) {
                    EXPECT_GT(D.Rect.Bottom, 200);
                }
            }
            EXPECT_LE(D.Col, 2);  // column 2 fills the view
        }
        EXPECT_TRUE(Seen);
        EXPECT_EQ(G->CalcCoordFromPoint(150, 30), (TGridCoord{2, Top}));
        EXPECT_EQ(G->CellRect(2, Top), Rect(102, 21, 300, Top < 7 ? 200 : 41));
        EXPECT_EQ(G->GetVisibleRowCount(), 1);
    }
    // Scrolling walks the tall rows one by one; the last view shows the two short rows.
    G->SetTopRow(1);
    G->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(G->GetTopRow(), 2);
    G->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(G->GetTopRow(), 6);
    G->Perform(WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(G->GetTopRow(), 5);
    // No boundary of a tall slot is within reach of the pointer, but the client edge is.
    G->SetOptions(G->GetOptions() + goRowSizing + goColSizing);
    G->SetTopRow(1);
    TGridState State;
    int Index = -1, Pos = 0, Ofs = 0;
    G->CalcSizingState(20, 100, State, Index, Pos, Ofs);
    EXPECT_EQ(State, gsNormal);
    G->CalcSizingState(20, 198, State, Index, Pos, Ofs);
    EXPECT_EQ(State, gsRowSizing);
    EXPECT_EQ(Index, 1);
    G->CalcSizingState(298, 10, State, Index, Pos, Ofs);
    EXPECT_EQ(State, gsColSizing);
    EXPECT_EQ(Index, 2);
    // Invalidating and resizing slots that run past the view.
    G->InvalidateCell(2, 1);
    G->InvalidateRow(1);
    G->SetRowHeights(1, INT_MAX);
    EXPECT_EQ(G->GetRowHeights(1), INT_MAX);
}

// The focus frame is drawn only where the canvas can show it, so a frame around a slot of any
// size costs what its visible part costs; the dots stay where the whole frame puts them.
TEST(GridPaint, FocusFrameOfAHugeRectangleDrawsItsVisiblePart) {
    TBitmap Small, Big;
    for (TBitmap* B : {&Small, &Big}) {
        B->SetWidth(40);
        B->SetHeight(30);
        B->GetCanvas()->GetBrush()->SetColor(clBlack);
        B->GetCanvas()->FillRect(Rect(0, 0, 40, 30));
    }
    DrawFocusRect(Small.GetCanvas()->GetHandle(), Rect(5, 3, 31, 31));
    DrawFocusRect(Small.GetCanvas()->GetHandle(), Rect(-9, -7, 20, 12));
    DrawFocusRect(Big.GetCanvas()->GetHandle(), Rect(5, 3, 31, 1 << 22));
    DrawFocusRect(Big.GetCanvas()->GetHandle(), Rect(-(1 << 22), -(1 << 22), 20, 12));
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 40; ++X)
            ASSERT_EQ(Big.GetCanvas()->GetPixels(X, Y), Small.GetCanvas()->GetPixels(X, Y))
                << X << "," << Y;
    EXPECT_NE(Big.GetCanvas()->GetPixels(5, 5), clBlack);
}
