// Painting: which slots DrawCell is asked for, in which order, with which rectangle and state.
#include <gtest/gtest.h>

#include <set>

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
