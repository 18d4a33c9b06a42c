#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon {
namespace {

using Access = TCarrelonTestAccess;

using test::Listed;
using test::MakeMergedCell;
using test::TFixedNow;
using test::TTestGrid;
using Slots = std::vector<std::pair<int, int>>;

std::unique_ptr<TTestGrid> MakeGrid(int Cols, int Rows) {
    auto G = std::make_unique<TTestGrid>(nullptr);
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    return G;
}

TEST(Selection, EveryRowFixedLeavesNoCurrentCell) {
    auto G = MakeGrid(4, 3);
    G->SetFixedRows(3);
    EXPECT_EQ(G->GetRow(), -1);
    EXPECT_EQ(G->GetCol(), -1);
    EXPECT_EQ(G->GetSelectedCells()->GetCount(), 0);
    // Without a current cell, Col and Row cannot be set.
    G->SetCol(2);
    G->SetRow(1);
    EXPECT_EQ(G->GetRow(), -1);
    EXPECT_EQ(G->GetCol(), -1);
}

// With the spreadsheet headings on, selectable fixed parts start after the heading row and
// column; when the grid holds nothing past them there is no cell to start on.
TEST(Selection, HeadingsOnlyGridStartsWithoutACurrentCell) {
    auto G = MakeGrid(4, 3);
    G->SetSpreadsheetHeaders(true);
    G->SetRowCount(1);
    G->AutoSizeRows();
    TCarrelonOptions O = G->GetOptions();
    G->SetOptions(O.Include(cloSelectFixedRows));
    EXPECT_EQ(G->GetRow(), -1);
    EXPECT_EQ(G->GetCol(), -1);
    EXPECT_EQ(G->GetSelectedCells()->GetCount(), 0);
    EXPECT_TRUE(Access::CheckModelInvariants(G.get()));
    // Rows added later give the cell after the headings again.
    G->SetRowCount(3);
    EXPECT_EQ(G->GetRow(), 1);
    EXPECT_EQ(G->GetCol(), 1);
}

TEST(Selection, RowSelectListsWholeRows) {
    auto G = MakeGrid(5, 6);
    G->SetOptions(G->GetOptions() + cloRowSelect);
    G->FocusCell(G->GetFixedCols(), 2);
    EXPECT_EQ(G->GetCol(), G->GetFixedCols());
    EXPECT_EQ(Access::Internals(G).ReadFAnchor().X, G->GetColCount() - 1);
    EXPECT_EQ(Listed(G.get()), (Slots{{1, 2}, {2, 2}, {3, 2}, {4, 2}}));
}

TEST(Selection, SetSelectionRefusesBadRectanglesAndRestoresOptions) {
    auto G = MakeGrid(6, 6);
    G->SetSpreadsheetHeaders(true);
    const TCarrelonOptions Before = G->GetOptions() + cloMultiSelect - cloRangeSelect;
    G->SetOptions(Before);
    const TGridCoord Current = Access::Internals(G).ReadFCurrent();
    struct Case {
        int L, T, R, B;
        bool Ok;
    };
    const Case Cases[] = {
        {2, 2, 1, 3, false},  // right of left reversed
        {2, 3, 3, 2, false},  // bottom above top
        {0, 1, 2, 2, false},  // inside the row headings
        {1, 0, 2, 2, false},  // inside the column headings
        {1, 1, 6, 2, false},  // past the last column
        {1, 1, 2, 6, false},  // past the last row
        {2, 2, 4, 3, true},
    };
    for (const Case& c : Cases) {
        EXPECT_EQ(G->SetSelection(c.L, c.T, c.R, c.B), c.Ok)
            << c.L << "," << c.T << "," << c.R << "," << c.B;
        EXPECT_EQ(G->GetOptions(), Before);
        if (!c.Ok) {
            EXPECT_EQ(Access::Internals(G).ReadFCurrent(), Current);
        }
    }
    EXPECT_EQ(G->GetSelectedCells()->GetCount(), 6);
    EXPECT_EQ(G->GetSelectedCells()->GetRect(), (TRect{2, 2, 4, 3}));
}

class RangeSelection : public ::testing::Test {
protected:
    void SetUp() override {
        G = MakeGrid(6, 6);
        G->SetOptions(G->GetOptions() + cloRangeSelect);
        MakeMergedCell(G.get(), 2, 2, 3, 3);
        ASSERT_TRUE(Access::CheckModelInvariants(G.get()));
        G->FocusCell(1, 1);
    }
    std::unique_ptr<TTestGrid> G;
};

TEST_F(RangeSelection, GrowsByStripsListingMergedCellsOnce) {
    Access::Internals(G).MoveAnchor({3, 3});
    // Right strip (columns 2..3, rows 1..3) first, then the bottom strip (rows 2..3).
    EXPECT_EQ(Listed(G.get()), (Slots{{1, 1}, {2, 1}, {2, 2}, {3, 1}, {1, 2}, {1, 3}}));
    EXPECT_EQ(G->GetSelectedCells()->GetRect(), (TRect{1, 1, 3, 3}));
}

TEST_F(RangeSelection, MergedCellLeavesWithItsLastSlotOnTheShrinkingSide) {
    Access::Internals(G).MoveAnchor({4, 4});
    Access::Internals(G).MoveAnchor({2, 2});
    TCarrelonCell* Merged = G->GetCells(2, 2);
    EXPECT_TRUE(Merged->GetSelected());
    EXPECT_FALSE(G->GetCells(3, 1)->GetSelected());
    EXPECT_FALSE(G->GetCells(1, 3)->GetSelected());
    EXPECT_EQ(G->GetSelectedCells()->GetCount(), 4);
    Access::Internals(G).MoveAnchor({1, 1});
    EXPECT_FALSE(Merged->GetSelected());
    EXPECT_EQ(Listed(G.get()), (Slots{{1, 1}}));
}

TEST_F(RangeSelection, SelectRangeVetoKeepsAnchorAndList) {
    Access::Internals(G).MoveAnchor({2, 1});
    const Slots Before = Listed(G.get());
    std::vector<std::pair<int, int>> Asked;
    G->OnSelectRange = [&](TObject*, int ACol, int ARow, bool& CanSelect) {
        Asked.emplace_back(ACol, ARow);
        CanSelect = false;
    };
    Access::Internals(G).MoveAnchor({4, 4});
    EXPECT_EQ(Asked, (Slots{{4, 4}}));
    EXPECT_EQ(Access::Internals(G).ReadFAnchor(), (TGridCoord{2, 1}));
    EXPECT_EQ(Listed(G.get()), Before);
}

TEST_F(RangeSelection, VetoedMoveKeepsTheRangeList) {
    Access::Internals(G).MoveAnchor({3, 3});
    const Slots Before = Listed(G.get());
    G->OnSelectCell = [](TObject*, int, int, bool& CanSelect) { CanSelect = false; };
    Access::Internals(G).MoveCurrent(4, 4, true, true, true);
    EXPECT_EQ(Access::Internals(G).ReadFCurrent(), (TGridCoord{1, 1}));
    EXPECT_EQ(Listed(G.get()), Before);
}

TEST_F(RangeSelection, WithoutRangeSelectAnchorMoveIsAPlainMove) {
    G->SetOptions(G->GetOptions() - cloRangeSelect);
    Access::Internals(G).MoveAnchor({4, 4});
    EXPECT_EQ(Access::Internals(G).ReadFCurrent(), (TGridCoord{4, 4}));
    EXPECT_EQ(Access::Internals(G).ReadFAnchor(), (TGridCoord{4, 4}));
    EXPECT_EQ(Listed(G.get()), (Slots{{4, 4}}));
}

TEST(Selection, RemoveFiresDeselectedOnlyForListedCells) {
    auto G = MakeGrid(6, 6);
    MakeMergedCell(G.get(), 2, 2, 3, 3);
    G->FocusCell(1, 1);
    std::vector<std::pair<int, int>> Events;
    G->OnCellDeselected = [&](TObject*, int ACol, int ARow) { Events.emplace_back(ACol, ARow); };
    TCarrelonSelection* S = G->GetSelectedCells();
    S->Remove(G->GetCells(3, 3));  // not listed
    EXPECT_TRUE(Events.empty());
    S->Add(G->GetCells(3, 3));
    S->Add(G->GetCells(2, 3));  // the same merged cell
    EXPECT_EQ(S->GetCount(), 2);
    S->Remove(G->GetCells(3, 2));
    EXPECT_EQ(Events, (Slots{{2, 2}}));
}

TEST(Selection, CellSelectedSetterSkipsHeadingsAndHiddenCells) {
    auto G = MakeGrid(5, 5);
    G->SetSpreadsheetHeaders(true);
    G->FocusCell(2, 2);
    int Deselected = 0;
    G->OnCellDeselected = [&](TObject*, int, int) { ++Deselected; };
    G->GetCells(3, 0)->SetSelected(true);  // a column heading
    G->GetCells(0, 3)->SetSelected(true);  // a row heading
    EXPECT_EQ(G->GetSelectedCells()->GetCount(), 1);
    TCarrelonCell* Hidden = G->GetCells(4, 3);
    ASSERT_TRUE(G->GetCols(4)->Hide());
    Hidden->SetSelected(true);
    EXPECT_FALSE(Hidden->GetSelected());
    G->GetCells(3, 3)->SetSelected(true);
    EXPECT_TRUE(G->GetCells(3, 3)->GetSelected());
    G->GetCells(3, 3)->SetSelected(false);
    EXPECT_FALSE(G->GetCells(3, 3)->GetSelected());
    EXPECT_EQ(Deselected, 1);
}

TEST(Selection, RectOfMixedListIsTheBoundingBox) {
    auto G = MakeGrid(6, 8);
    MakeMergedCell(G.get(), 2, 5, 4, 6);
    G->FocusCell(1, 1);
    G->GetSelectedCells()->Add(G->GetCells(3, 6));
    EXPECT_EQ(G->GetSelectedCells()->GetRect(), (TRect{1, 1, 4, 6}));
    Access::List(G->GetSelectedCells()).Clear();
    EXPECT_EQ(G->GetSelectedCells()->GetRect(), (TRect{-1, -1, -1, -1}));
    G->GetSelectedCells()->Add(G->GetCells(4, 5));
    EXPECT_EQ(G->GetSelectedCells()->GetRect(), (TRect{2, 5, 4, 6}));
    EXPECT_TRUE(G->GetSelectedCells()->IsColRowSelected(0, 6));
    EXPECT_TRUE(G->GetSelectedCells()->IsColRowSelected(3, 0));
    EXPECT_FALSE(G->GetSelectedCells()->IsColRowSelected(1, 4));
}

TEST(Selection, FocusCellExKeepsMultiSelectionFocusCellRebuilds) {
    auto G = MakeGrid(6, 6);
    G->SetOptions(G->GetOptions() + cloMultiSelect);
    G->FocusCell(1, 1);
    Access::Internals(G).MoveCurrent(3, 3, true, true, false);  // Ctrl+click adds
    EXPECT_EQ(Listed(G.get()), (Slots{{1, 1}, {3, 3}}));
    EXPECT_TRUE(G->FocusCellEx(4, 2));
    EXPECT_EQ(Listed(G.get()), (Slots{{1, 1}, {3, 3}, {4, 2}}));
    EXPECT_TRUE(G->FocusCell(2, 4));
    EXPECT_EQ(Listed(G.get()), (Slots{{2, 4}}));
    // Refused targets: the current cell, fixed slots, outside the grid.
    EXPECT_FALSE(G->FocusCell(2, 4));
    EXPECT_FALSE(G->FocusCell(0, 3));
    EXPECT_FALSE(G->FocusCellEx(3, 6));
}

TEST(Selection, MultiSelectCheckDropsFixedAndHiddenCells) {
    auto G = MakeGrid(6, 6);
    G->SetOptions(G->GetOptions() + cloMultiSelect);
    G->FocusCell(2, 2);
    TCarrelonSelection* S = G->GetSelectedCells();
    S->Add(G->GetCells(4, 4));
    S->Add(G->GetCells(0, 3));  // a fixed column
    S->Add(G->GetCells(3, 0));  // a fixed row
    Access::Internals(G).CheckSelection();
    EXPECT_EQ(Listed(G.get()), (Slots{{2, 2}, {4, 4}}));
}

TEST(Selection, SelectCellVetoEndsDragSelection) {
    auto G = MakeGrid(6, 6);
    G->FGridState = gsSelecting;
    G->OnSelectCell = [](TObject*, int, int, bool& CanSelect) { CanSelect = false; };
    EXPECT_FALSE(G->SelectCell(3, 3));
    EXPECT_EQ(G->FGridState, gsNormal);
}

TEST(Selection, RefusedFocusAfterScrollRepaintsTheView) {
    auto G = MakeGrid(6, 200);
    G->OnSelectCell = [](TObject*, int, int, bool& CanSelect) { CanSelect = false; };
    Access::Internals(G).FSkipErase = false;
    EXPECT_FALSE(Access::Internals(G).DoFocusCell(2, 150, -1, 140, true));
    EXPECT_EQ(G->GetTopRow(), 140);
    EXPECT_TRUE(Access::Internals(G).FSkipErase);
}

TEST(Selection, TimedScrollWaitsHalfASecondThenStepsOneCell) {
    auto G = MakeGrid(6, 6);
    G->SetOptions(G->GetOptions() + cloRangeSelect);
    G->FocusCell(4, 4);
    const TDateTime T0 = 46000.5;
    TFixedNow Clock(T0);
    Access::Internals(G).FMouseDownTime = T0;
    G->TimedScroll(TScrollDirections{sdRight, sdDown});
    EXPECT_EQ(Access::Internals(G).ReadFAnchor(), (TGridCoord{4, 4}));
    Clock.Set(T0 + 0.6 / 86400.0);
    Access::Internals(G).FDragWait = true;
    G->TimedScroll(TScrollDirections{sdRight, sdDown});
    EXPECT_FALSE(Access::Internals(G).FDragWait);
    EXPECT_EQ(Access::Internals(G).ReadFAnchor(), (TGridCoord{5, 5}));
    G->TimedScroll(TScrollDirections{sdRight, sdDown});  // at the last column and row
    EXPECT_EQ(Access::Internals(G).ReadFAnchor(), (TGridCoord{5, 5}));
    for (int i = 0; i < 6; ++i)
        G->TimedScroll(TScrollDirections{sdLeft, sdUp});
    EXPECT_EQ(Access::Internals(G).ReadFAnchor(), (TGridCoord{1, 1}));  // never into the fixed area
    EXPECT_EQ(G->GetSelectedCells()->GetRect(), (TRect{1, 1, 4, 4}));
}

TEST(Selection, ClearSkipsReadOnlyCells) {
    auto G = MakeGrid(4, 4);
    G->SetOptions(G->GetOptions() + cloRangeSelect);
    for (int c = 1; c < 4; ++c)
        G->GetCells(c, 1)->SetText("x");
    G->GetCells(2, 1)->SetReadOnly(true);
    G->SetSelection(1, 1, 3, 1);
    EXPECT_FALSE(G->GetSelectedCells()->Clear(false));
    EXPECT_EQ(G->GetCells(1, 1)->GetText(), "");
    EXPECT_EQ(G->GetCells(2, 1)->GetText(), "x");
    EXPECT_EQ(G->GetCells(3, 1)->GetText(), "");
    EXPECT_TRUE(G->GetSelectedCells()->Clear(true));
    EXPECT_EQ(G->GetCells(2, 1)->GetText(), "");
}

}  // namespace
}  // namespace carrelon
