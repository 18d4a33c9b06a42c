// The grid driven as a user drives it: keys, clicks, drags, the selecting timer, scroll bars
// and the wheel, through real Qt events and through messages.
#include <gtest/gtest.h>

#include "tests/support/ControlsTestSupport.h"
#include "tests/support/RecordingGrid.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

// 20 x 50 cells; four scrollable columns and eight scrollable rows are wholly visible.
std::unique_ptr<TRecordingGrid> MakeGrid() {
    return MakeTestGrid(20, 50);
}

// The middle of a slot on screen.
TPoint Centre(TCustomGrid& G, int Col, int Row) {
    const TRect R = G.CellRect(Col, Row);
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

}  // namespace

TEST(GridKeyboard, NavigationKeysMoveTheCurrentCell) {
    struct Case {
        const char* Name;
        int Key;
        Qt::KeyboardModifiers Mods;
        TGridCoord From, Expected;
    };
    const Case Cases[] = {
        {"Down", Qt::Key_Down, Qt::NoModifier, {2, 2}, {2, 3}},
        {"Up at the first row", Qt::Key_Up, Qt::NoModifier, {2, 1}, {2, 1}},
        {"Left at the first column", Qt::Key_Left, Qt::NoModifier, {1, 3}, {1, 3}},
        {"Right", Qt::Key_Right, Qt::NoModifier, {2, 3}, {3, 3}},
        {"Home", Qt::Key_Home, Qt::NoModifier, {5, 3}, {1, 3}},
        {"End", Qt::Key_End, Qt::NoModifier, {5, 3}, {19, 3}},
        {"PgDn", Qt::Key_PageDown, Qt::NoModifier, {2, 2}, {2, 9}},
        {"PgUp clamps", Qt::Key_PageUp, Qt::NoModifier, {2, 4}, {2, 1}},
        {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier, {5, 7}, {1, 1}},
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, {5, 7}, {19, 49}},
    };
    for (const Case& c : Cases) {
        auto G = MakeGrid();
        G->MoveColRow(c.From.X, c.From.Y, true, true);
        SendKey(*G, c.Key, c.Mods);
        EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), c.Expected) << c.Name;
        // The current cell is on screen afterwards.
        EXPECT_FALSE(G->CellRect(G->GetCol(), G->GetRow()).IsEmpty()) << c.Name;
    }
}

TEST(GridKeyboard, ShiftExtendsTheSelectionFromTheCurrentCell) {
    auto G = MakeGrid();
    G->MoveColRow(2, 2, true, true);
    SendKey(*G, Qt::Key_Down, Qt::ShiftModifier);
    SendKey(*G, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(G->GetSelection(), (TGridRect{2, 2, 3, 3}));
    SendKey(*G, Qt::Key_Down);
    EXPECT_EQ(G->GetSelection(), (TGridRect{3, 4, 3, 4}));
}

TEST(GridKeyboard, TabWrapsOnlyWithTheTabOption) {
    auto G = MakeGrid();
    G->MoveColRow(19, 3, true, true);
    SendKey(*G, Qt::Key_Tab);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{19, 3}));
    G->SetOptions(G->GetOptions() + goTabs);
    SendKey(*G, Qt::Key_Tab);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{1, 4}));
    SendKey(*G, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{19, 3}));
}

TEST(GridKeyboard, DialogCodeFollowsTheOptions) {
    auto G = MakeGrid();
    EXPECT_EQ(G->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    G->SetOptions(G->GetOptions() + goTabs + goEditing);
    EXPECT_EQ(G->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS);
    G->SetOptions(G->GetOptions() + goRowSelect);
    EXPECT_EQ(G->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST(GridSelection, SelectCellVetoKeepsTheCurrentCell) {
    auto G = MakeGrid();
    G->Refused = {{3, 3}};
    G->MoveColRow(2, 2, true, true);
    G->MoveColRow(3, 3, true, true);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{2, 2}));
    const TPoint P = Centre(*G, 3, 3);
    Press(*G, P.X, P.Y);
    Release(*G, P.X, P.Y);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{2, 2}));
    SendKey(*G, Qt::Key_Down);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{2, 3}));
    SendKey(*G, Qt::Key_Right);
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{2, 3}));
}

TEST(GridSelection, SelectionSetterAndRowSelect) {
    auto G = MakeGrid();
    G->SetSelection({4, 5, 2, 3});
    EXPECT_EQ(G->GetSelection(), (TGridRect{2, 3, 4, 5}));
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{2, 3}));
    EXPECT_THROW(G->SetSelection({0, 0, 20, 1}), EInvalidGridOperation);
    G->SetOptions(G->GetOptions() + goRowSelect);
    G->MoveColRow(5, 6, true, true);
    EXPECT_EQ(G->GetSelection(), (TGridRect{1, 6, 19, 6}));
}

TEST(GridMouse, ClickDragAndShiftClickSelect) {
    auto G = MakeGrid();
    TPoint P = Centre(*G, 2, 2);
    Press(*G, P.X, P.Y);
    EXPECT_EQ(G->FGridState, gsSelecting);
    P = Centre(*G, 3, 4);
    Drag(*G, P.X, P.Y);
    Release(*G, P.X, P.Y);
    EXPECT_EQ(G->FGridState, gsNormal);
    EXPECT_EQ(G->GetSelection(), (TGridRect{2, 2, 3, 4}));
    EXPECT_EQ((TGridCoord{G->GetCol(), G->GetRow()}), (TGridCoord{2, 2}));
    P = Centre(*G, 4, 5);
    Press(*G, P.X, P.Y, Qt::ShiftModifier);
    Release(*G, P.X, P.Y);
    EXPECT_EQ(G->GetSelection(), (TGridRect{2, 2, 4, 5}));
    // Without range selection a drag only moves the current cell.
    G->SetOptions(G->GetOptions() - goRangeSelect);
    P = Centre(*G, 1, 1);
    Press(*G, P.X, P.Y);
    P = Centre(*G, 3, 3);
    Drag(*G, P.X, P.Y);
    Release(*G, P.X, P.Y);
    EXPECT_EQ(G->GetSelection(), (TGridRect{3, 3, 3, 3}));
}

TEST(GridMouse, SelectingTimerCallsTimedScrollWithThePointerDirections) {
    auto G = MakeGrid();
    TPoint P = Centre(*G, 2, 2);
    Press(*G, P.X, P.Y);
    // Beyond the wholly visible rows (they end at 21 + 8*21 = 189) and right of the columns.
    Drag(*G, 295, 195);
    G->Perform(WM_TIMER, 1, 0);
    ASSERT_EQ(G->Scrolls.size(), 1u);
    EXPECT_EQ(G->Scrolls[0], (TScrollDirections{sdRight, sdDown}));
    // The base grid moved the anchor one slot each way and brought it into view.
    const TGridRect Sel = G->GetSelection();
    EXPECT_EQ(Sel.Bottom, 10);
    EXPECT_GE(G->GetTopRow(), 2);
    // Above and left of the scrollable cells.
    Drag(*G, 10, 10);
    G->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(G->Scrolls.back(), (TScrollDirections{sdLeft, sdUp}));
    // Another timer's ticks and ticks after the release do nothing.
    G->Perform(WM_TIMER, 7, 0);
    Release(*G, 10, 10);
    G->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(G->Scrolls.size(), 2u);
}

TEST(GridMouse, TimedScrollStopsAtTheGridEdges) {
    auto G = MakeGrid();
    G->ForwardTimedScroll = true;
    G->MoveColRow(19, 49, true, true);
    G->TimedScroll({sdRight, sdDown});
    EXPECT_EQ(G->GetSelection(), (TGridRect{19, 49, 19, 49}));
    G->MoveColRow(1, 1, true, true);
    G->TimedScroll({sdLeft, sdUp});
    EXPECT_EQ(G->GetSelection(), (TGridRect{1, 1, 1, 1}));
    // An anchor written one column left of a target off screen: one step right reaches the
    // target and shows it.
    G->FAnchor = {11, 3};
    G->TimedScroll({sdRight});
    EXPECT_EQ(G->FAnchor, (TGridCoord{12, 3}));
    EXPECT_FALSE(G->CellRect(12, 3).IsEmpty());
    EXPECT_EQ(G->CellRect(12, 3).Width(), 50);
}

TEST(GridMouse, DraggingABoundarySizesColumnsAndRows) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() + goColSizing + goRowSizing);
    // Column 2 ends (with its line) at 153, in the fixed row.
    Press(*G, 152, 10);
    EXPECT_EQ(G->FGridState, gsColSizing);
    EXPECT_EQ(G->FSizingIndex, 2);
    Drag(*G, 182, 10);
    Release(*G, 182, 10);
    EXPECT_EQ(G->GetColWidths(2), 80);
    EXPECT_EQ(G->FGridState, gsNormal);
    // Row 3 ends at 84, in the fixed column.
    Press(*G, 20, 85);
    EXPECT_EQ(G->FGridState, gsRowSizing);
    EXPECT_EQ(G->FSizingIndex, 3);
    Drag(*G, 20, 75);
    Release(*G, 20, 75);
    EXPECT_EQ(G->GetRowHeights(3), 10);
    // A size below 2 is refused.
    Press(*G, 20, 74);
    Drag(*G, 20, 63);
    Release(*G, 20, 63);
    EXPECT_EQ(G->GetRowHeights(3), 10);
}

TEST(GridMouse, SizingZoneReachesThreeBeforeAndFourAfterTheBoundary) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() + goColSizing);
    struct Case {
        int X;
        TGridState Expected;
    };
    // Column 1's boundary is at 102.
    const Case Cases[] = {{98, gsNormal}, {99, gsColSizing}, {106, gsColSizing}, {107, gsNormal}};
    for (const Case& c : Cases) {
        TGridState State = gsNormal;
        int Index = 0, Pos = 0, Ofs = 0;
        G->CalcSizingState(c.X, 5, State, Index, Pos, Ofs);
        EXPECT_EQ(State, c.Expected) << c.X;
        if (State == gsColSizing) {
            EXPECT_EQ(Pos - Ofs, c.X);
        }
    }
    // Only inside the fixed rows.
    TGridState State = gsNormal;
    int Index = 0, Pos = 0, Ofs = 0;
    G->CalcSizingState(102, 30, State, Index, Pos, Ofs);
    EXPECT_EQ(State, gsNormal);
}

TEST(GridMouse, DraggingInTheFixedRowMovesAColumn) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() + goColMoving);
    G->SetColWidths(2, 60);
    G->MoveColRow(2, 3, true, false);
    Press(*G, Centre(*G, 2, 0).X, 10);
    EXPECT_EQ(G->FGridState, gsColMoving);
    Drag(*G, Centre(*G, 4, 0).X, 10);
    EXPECT_EQ(G->FMovePos, 4);
    Release(*G, Centre(*G, 4, 0).X, 10);
    ASSERT_EQ(G->ColumnMoves.size(), 1u);
    EXPECT_EQ(G->ColumnMoves[0], std::make_pair(2, 4));
    EXPECT_EQ(G->GetColWidths(4), 60);
    EXPECT_EQ(G->GetCol(), 4);
}

TEST(GridScrolling, ScrollMessagesMoveTheView) {
    auto G = MakeGrid();
    int Changes = 0;
    G->OnTopLeftChanged = [&](TObject*) { ++Changes; };
    struct Case {
        int Code;
        int ExpectedTop;
    };
    // 50 rows, eight wholly visible: the last view starts at row 42.
    const Case Cases[] = {{SB_LINEDOWN, 2}, {SB_PAGEDOWN, 10}, {SB_LINEUP, 9}, {SB_PAGEUP, 1},
                          {SB_BOTTOM, 42},  {SB_LINEDOWN, 42}, {SB_TOP, 1}};
    for (const Case& c : Cases) {
        G->Perform(WM_VSCROLL, c.Code, 0);
        EXPECT_EQ(G->GetTopRow(), c.ExpectedTop) << "code " << c.Code;
    }
    EXPECT_EQ(Changes, 6);  // every change but the one at the end
    G->Perform(WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(G->GetLeftCol(), 16);
}

TEST(GridScrolling, WheelMovesTheCurrentRow) {
    auto G = MakeGrid();
    G->MoveColRow(2, 48, true, true);
    G->Perform(WM_MOUSEWHEEL, MakeLParam(0, -120), MakeLParam(10, 10));
    EXPECT_EQ(G->GetRow(), 49);
    G->Perform(WM_MOUSEWHEEL, MakeLParam(0, -120), MakeLParam(10, 10));
    EXPECT_EQ(G->GetRow(), 49);
    G->Perform(WM_MOUSEWHEEL, MakeLParam(0, 120), MakeLParam(10, 10));
    EXPECT_EQ(G->GetRow(), 48);
}

TEST(GridScrolling, ScrollBarsComeWithSomethingToScrollAndFollowTheView) {
    auto G = MakeGrid();
    G->SetScrollBars(ssBoth);
    HWND H = G->GetHandle();
    const std::int32_t Style = GetWindowLongA(H, GWL_STYLE);
    EXPECT_NE(Style & WS_VSCROLL, 0);
    EXPECT_NE(Style & WS_HSCROLL, 0);
    EXPECT_LT(G->GetClientWidth(), 300);  // the bar takes its room from the client area
    G->SetTopRow(7);
    EXPECT_EQ(GetScrollPos(H, SB_VERT), 7);
    // Thumb tracking moves the view only with its option.
    TScrollInfo Info;
    Info.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(H, SB_VERT, Info));
    EXPECT_EQ(Info.nMin, 1);
    G->Perform(WM_VSCROLL, SB_THUMBTRACK | (20 << 16), 0);
    EXPECT_EQ(G->GetTopRow(), 7);
    G->SetOptions(G->GetOptions() + goThumbTracking);
    G->Perform(WM_VSCROLL, SB_THUMBTRACK | (20 << 16), 0);
    EXPECT_EQ(G->GetTopRow(), 20);
    // A grid that fits needs no bars.
    G->SetRowCount(3);
    G->SetColCount(3);
    const std::int32_t After = GetWindowLongA(H, GWL_STYLE);
    EXPECT_EQ(After & (WS_VSCROLL | WS_HSCROLL), 0);
    EXPECT_EQ(G->GetClientWidth(), 300);
}

TEST(GridMouse, WindowTimerTicksWhileSelecting) {
    TManualTimerClock& Clock = TestClock();
    auto G = MakeGrid();
    G->ForwardTimedScroll = false;
    const TPoint P = Centre(*G, 2, 2);
    Press(*G, P.X, P.Y);
    Drag(*G, 150, 199);  // below the wholly visible rows
    Clock.Advance(59);
    EXPECT_TRUE(G->Scrolls.empty());
    Clock.Advance(61);  // a tick every 60 ms
    ASSERT_EQ(G->Scrolls.size(), 2u);
    EXPECT_EQ(G->Scrolls[0], TScrollDirections{sdDown});
    Release(*G, 150, 199);
    Clock.Advance(600);
    EXPECT_EQ(G->Scrolls.size(), 2u) << "the release stopped the timer";
}

TEST(GridMouse, DraggingInTheFixedColumnMovesARowUnlessRefused) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() + goRowMoving);
    G->SetRowHeights(3, 30);
    Press(*G, 10, Centre(*G, 0, 3).Y);
    EXPECT_EQ(G->FGridState, gsRowMoving);
    Drag(*G, 10, Centre(*G, 0, 1).Y);
    Drag(*G, 10, 5);  // over the fixed row: the target stays at the first scrollable row
    EXPECT_EQ(G->FMovePos, 1);
    Release(*G, 10, 5);
    ASSERT_EQ(G->RowMoves.size(), 1u);
    EXPECT_EQ(G->RowMoves[0], std::make_pair(3, 1));
    EXPECT_EQ(G->GetRowHeights(1), 30);
    // A drop onto the slot it came from moves nothing.
    Press(*G, 10, Centre(*G, 0, 4).Y);
    Release(*G, 10, Centre(*G, 0, 4).Y);
    EXPECT_EQ(G->RowMoves.size(), 1u);
}

TEST(GridScrolling, BarsFollowSizeChangesOnceTheMessageIsDone) {
    auto G = MakeGrid();
    G->SetScrollBars(ssVertical);
    G->SetRowCount(3);
    HWND H = G->GetHandle();
    EXPECT_EQ(GetWindowLongA(H, GWL_STYLE) & WS_VSCROLL, 0);
    G->SetRowHeights(2, 500);
    QCoreApplication::processEvents();
    EXPECT_NE(GetWindowLongA(H, GWL_STYLE) & WS_VSCROLL, 0);
    // Fields written directly (as descendants do) are noticed by the next paint.
    G->SetRowHeights(2, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(GetWindowLongA(H, GWL_STYLE) & WS_VSCROLL, 0);
    G->SetRowCount(40);
    G->FTopLeft.Y = 30;
    G->GetHandle()->grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(GetScrollPos(H, SB_VERT), 30);
}

TEST(GridMouse, ClickAndDoubleClickAreReportedOnce) {
    auto G = MakeGrid();
    int Clicks = 0, DoubleClicks = 0;
    G->OnClick = [&](TObject*) { ++Clicks; };
    G->OnDblClick = [&](TObject*) { ++DoubleClicks; };
    const TPoint P = Centre(*G, 2, 2);
    Press(*G, P.X, P.Y);
    Release(*G, P.X, P.Y);
    EXPECT_EQ(Clicks, 1);
    SendMouse(*G, QEvent::MouseButtonDblClick, P.X, P.Y);
    Release(*G, P.X, P.Y);
    EXPECT_EQ(DoubleClicks, 1);
    EXPECT_EQ(Clicks, 1);  // a double click starts no selection
}

TEST(GridMouse, CursorShowsWhereABoundaryCanBeGrabbed) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() + goColSizing + goRowSizing);
    QWidget* W = G->GetHandle();
    Drag(*G, 102, 10);  // column 1's boundary in the fixed row
    EXPECT_EQ(W->cursor().shape(), Qt::SplitHCursor);
    Drag(*G, 20, 63);  // row 2's boundary in the fixed column
    EXPECT_EQ(W->cursor().shape(), Qt::SplitVCursor);
    Drag(*G, 130, 70);  // inside a cell
    EXPECT_EQ(W->cursor().shape(), Qt::ArrowCursor);
}
