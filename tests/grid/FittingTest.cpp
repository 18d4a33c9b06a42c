#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/graphics/Graphics.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon {
namespace {

using Access = TCarrelonTestAccess;

using test::MakeMergedCell;
using test::TTestGrid;

std::unique_ptr<TTestGrid> MakeGrid(int Cols, int Rows) {
    auto G = std::make_unique<TTestGrid>(nullptr);
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    G->SetBounds(0, 0, 500, 400);
    // Fitting is called explicitly here; cell changes must not fit rows on their own.
    G->SetOptions(G->GetOptions() - cloAutoIncreaseRowHeights - cloAutoDecreaseRowHeights);
    return G;
}

std::string Lines(int n) {
    std::string s = "x";
    for (int i = 1; i < n; ++i)
        s += "\r\nx";
    return s;
}

std::vector<int> Heights(const TCarrelon* G, int First, int Last) {
    std::vector<int> Out;
    for (int r = First; r <= Last; ++r)
        Out.push_back(G->GetRowHeights(r));
    return Out;
}

// Two cells spanning rows that both fall short: the smaller shortfall goes to its end row
// first, and the other is measured again against the grown row.
TEST(RowFitting, SmallestShortfallFirst) {
    auto G = MakeGrid(4, 6);
    MakeMergedCell(G.get(), 1, 1, 1, 2);  // A: rows 1..2
    MakeMergedCell(G.get(), 2, 2, 2, 3);  // B: rows 2..3
    TCarrelonCell* A = G->GetCells(1, 1);
    TCarrelonCell* B = G->GetCells(2, 2);
    A->SetText(Lines(3));
    B->SetText(Lines(4));
    const int D = G->GetDefaultRowHeight();
    const int NeedA = Access::CalcHeight(A, -1);
    const int NeedB = Access::CalcHeight(B, -1);
    ASSERT_GT(NeedA - 2 * D, 0);
    ASSERT_GT(NeedB - 2 * D, NeedA - 2 * D);
    EXPECT_TRUE(G->AutoSizeRow(2));
    const int Row2 = D + (NeedA - 2 * D);
    const int Row3 = NeedB - Row2;
    EXPECT_EQ(Heights(G.get(), 1, 3), (std::vector<int>{D, Row2, Row3}));
}

TEST(RowFitting, RowInsideChainedMergesFitsTheWholeChain) {
    auto G = MakeGrid(4, 8);
    MakeMergedCell(G.get(), 1, 1, 1, 2);
    MakeMergedCell(G.get(), 2, 2, 2, 4);
    G->GetCells(3, 4)->SetText(Lines(3));  // row 4, reached only through the chain
    const int Need = Access::CalcHeight(G->GetCells(3, 4), -1);
    EXPECT_TRUE(G->AutoSizeRow(1));
    EXPECT_EQ(G->GetRowHeights(4), Need);
}

TEST(RowFitting, ResizeVetoKeepsOneRowOthersChange) {
    auto G = MakeGrid(3, 5);
    for (int r = 1; r < 5; ++r)
        G->GetCells(1, r)->SetText(Lines(2));
    G->OnResizeRow = [](TCarrelon*, int ARow, int& NewHeight, bool& CanResize) {
        if (ARow == 2) CanResize = false;
        if (ARow == 3) NewHeight = 50;
    };
    EXPECT_TRUE(G->AutoSizeRows());
    const int D = G->GetDefaultRowHeight();
    const int Need = Access::CalcHeight(G->GetCells(1, 1), -1);
    EXPECT_EQ(Heights(G.get(), 1, 4), (std::vector<int>{Need, D, 50, Need}));
}

TEST(RowFitting, AutoSizeRowsExNeverFitsRowZero) {
    auto G = MakeGrid(3, 4);
    G->GetCells(1, 0)->SetText(Lines(3));
    G->GetCells(1, 2)->SetText(Lines(3));
    const int D = G->GetDefaultRowHeight();
    EXPECT_TRUE(G->AutoSizeRowsEx({0, 2, 7, -1}));
    EXPECT_EQ(G->GetRowHeights(0), D);
    EXPECT_GT(G->GetRowHeights(2), D);
    EXPECT_FALSE(G->AutoSizeRowsEx({}));
    EXPECT_TRUE(G->AutoSizeRow(0));
    EXPECT_GT(G->GetRowHeights(0), D);
    EXPECT_FALSE(G->AutoSizeRow(4));
}

// Fitting the whole grid range by range gives what fitting row by row gives.
TEST(RowFitting, WholeGridFitMatchesRowByRow) {
    auto Build = [] {
        auto G = MakeGrid(5, 12);
        MakeMergedCell(G.get(), 1, 1, 2, 3);
        MakeMergedCell(G.get(), 3, 3, 3, 6);
        MakeMergedCell(G.get(), 1, 8, 1, 9);
        G->GetCells(1, 1)->SetText(Lines(6));
        G->GetCells(3, 3)->SetText(Lines(9));
        G->GetCells(4, 5)->SetText(Lines(2));
        G->GetCells(1, 8)->SetText(Lines(4));
        G->GetCells(2, 9)->SetText(Lines(3));
        G->GetCells(4, 11)->SetText(Lines(2));
        for (int r = 0; r < 12; ++r)
            G->SetRowHeights(r, 30 + r % 3);
        return G;
    };
    auto A = Build();
    auto B = Build();
    Access::Internals(A.get()).FitAllRows(true, true);
    for (int r = 0; r < 12; ++r)
        Access::Internals(B.get()).DoResizeRow(r, true, true, -1);
    EXPECT_EQ(Heights(A.get(), 0, 11), Heights(B.get(), 0, 11));
}

// Leaving the update lock fits each chain of merged rows once: a vetoed row is asked once.
TEST(RowFitting, EndOfLockFitsEachMergedChainOnce) {
    auto G = MakeGrid(4, 8);
    G->SetOptions(G->GetOptions() + cloAutoIncreaseRowHeights);
    MakeMergedCell(G.get(), 1, 1, 1, 3);
    std::vector<int> Asked;
    G->OnResizeRow = [&](TCarrelon*, int ARow, int&, bool& CanResize) {
        Asked.push_back(ARow);
        CanResize = ARow != 3;
    };
    G->DisableControls();
    G->GetCells(1, 1)->SetText(Lines(6));
    G->GetCells(2, 5)->SetText(Lines(2));
    EXPECT_TRUE(Asked.empty());
    G->EnableControls();
    EXPECT_EQ(Asked, (std::vector<int>{3, 5}));
    EXPECT_EQ(G->GetRowHeights(5), Access::CalcHeight(G->GetCells(2, 5), -1));
}

TEST(RowFitting, DefaultRowHeightLowersOnlyEmptyRows) {
    auto G = MakeGrid(3, 5);
    const int D = G->GetDefaultRowHeight();
    G->SetRowHeights(1, 40);
    G->SetRowHeights(2, 40);
    G->SetRowHeights(3, 10);
    G->GetCells(1, 2)->SetText("content");
    G->SetDefaultRowHeight(20);
    EXPECT_EQ(Heights(G.get(), 0, 4), (std::vector<int>{20, 20, 40, 20, 20}));
    G->SetDefaultRowHeight(45);
    EXPECT_EQ(Heights(G.get(), 0, 4), (std::vector<int>{45, 45, 45, 45, 45}));
    EXPECT_NE(D, 45);
}

TEST(ColumnFitting, WidthFollowsWidestTextAndEmptyColumnsKeepTheirWidth) {
    auto G = MakeGrid(4, 4);
    const int W0 = G->GetColWidths(2);
    EXPECT_FALSE(G->AutoSizeColumn(2));
    EXPECT_EQ(G->GetColWidths(2), W0);
    G->GetCells(1, 1)->SetText("a fairly long piece of text");
    G->GetCells(1, 2)->SetText("short");
    EXPECT_TRUE(G->AutoSizeColumn(1));
    const int Text = G->GetCanvas()->TextWidth("a fairly long piece of text");
    const int Line = G->GetCols(1)->GetGridLineWidth();
    EXPECT_EQ(G->GetColWidths(1), Text + 2 * G->GetBorderForText() + Line);
    EXPECT_FALSE(G->AutoSizeColumn(9));
}

TEST(ColumnFitting, AutoSizeColumnsReportsEachChangeAfterTheRepaint) {
    auto G = MakeGrid(4, 3);
    G->GetCells(1, 1)->SetText("wide wide wide wide wide");
    G->GetCells(3, 1)->SetText("x");
    const int Old1 = G->GetColWidths(1), Old3 = G->GetColWidths(3);
    std::vector<std::tuple<int, int, int>> Events;
    G->OnColumnWidthChanged = [&](TCarrelon* S, int Index, int OldSize, int NewSize) {
        EXPECT_EQ(Access::Internals(S).FUpdateCount, 0);
        Events.emplace_back(Index, OldSize, NewSize);
    };
    EXPECT_TRUE(G->AutoSizeColumns());
    ASSERT_EQ(Events.size(), 2u);
    EXPECT_EQ(Events[0], std::make_tuple(1, Old1, G->GetColWidths(1)));
    EXPECT_EQ(Events[1], std::make_tuple(3, Old3, G->GetColWidths(3)));
    EXPECT_TRUE(G->OnColumnWidthChanged != nullptr);
}

TEST(ColumnFitting, DoubleClickFitClampsToLimitsAndReportsResize) {
    auto G = MakeGrid(4, 3);
    G->GetCells(1, 1)->SetText("wide wide wide wide wide wide");
    G->GetCols(1)->SetMaxWidth(90);
    std::vector<std::tuple<int, int, int>> Resized;
    G->OnColumnResized = [&](TCarrelon*, int Index, int OldSize, int NewSize) {
        Resized.emplace_back(Index, OldSize, NewSize);
    };
    const int Old = G->GetColWidths(1);
    Access::Internals(G.get()).DoAutoSizeColumn(1, true);
    EXPECT_EQ(G->GetColWidths(1), 90);
    EXPECT_EQ(G->GetCols(1)->GetWidth(), 90);
    EXPECT_EQ(Resized, (std::vector<std::tuple<int, int, int>>{{1, Old, 90}}));
}

TEST(ColumnFitting, DefaultColWidthSkipsLimitsAndHiddenColumns) {
    auto G = MakeGrid(5, 3);
    G->GetCols(1)->SetMaxWidth(30);
    TCarrelonCol* Hidden = G->GetCols(3);
    const int HiddenWidth = Hidden->GetWidth();
    ASSERT_TRUE(Hidden->Hide());
    std::vector<int> Changed;
    G->OnColumnWidthChanged = [&](TCarrelon*, int Index, int, int NewSize) {
        EXPECT_EQ(NewSize, 100);
        Changed.push_back(Index);
    };
    G->SetDefaultColWidth(100);
    EXPECT_EQ(G->GetColWidths(1), 100);
    EXPECT_EQ(Hidden->GetWidth(), HiddenWidth);
    EXPECT_EQ(Changed, (std::vector<int>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace carrelon
