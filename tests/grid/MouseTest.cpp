// The grid's mouse through real Qt mouse and wheel events on a shown form, timers ticked on the
// test clock: click-to-edit, Shift and Ctrl clicks, check boxes, push buttons, double clicks on
// edges, header sorts, drag selection past the edge, dragging rows and columns, sizing within
// the column's limits, the wheel, refused presses, the right button and a lost capture.
#include <string>
#include <vector>

#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "tests/support/ShownGridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;
using Pairs = std::vector<std::pair<int, int>>;

class MouseTest : public ShownGridTest {
public:
    void TearDown() override { SetClock(nullptr); }

    void ClickAt(int C, int R, TShiftState Shift = {}) {
        const TPoint P = Middle(C, R);
        Click(Grid, P.X, P.Y, Shift);
        ProcessPendingEvents();
    }
    // Now() follows the test clock, so the half-second wait of a drag is the clock's.
    void ClockDrivesNow() {
        SetClock([] { return TDateTime(46000.5 + TestClock().Now() / 86400000.0); });
    }
    int X(int Col) const { return Internals().GetX(Col); }
    int Y(int Row) const { return Internals().GetY(Row); }
};

TEST_F(MouseTest, ClickOnTheCurrentCellEditsItOnThePress) {
    Place(2, 2);
    const TPoint P = Middle(2, 2);
    for (TShiftState Shift : {TShiftState{ssShift}, TShiftState{ssCtrl}}) {
        Click(Grid, P.X, P.Y, Shift);
        EXPECT_FALSE(Grid->GetEditorMode()) << Shift.ToInt();
    }
    Place(2, 2);
    MouseDown(Grid, mbLeft, P.X, P.Y);
    EXPECT_TRUE(Grid->GetEditorMode()) << "the press opens it";
    MouseUp(Grid, mbLeft, P.X, P.Y);
    EXPECT_TRUE(Grid->GetEditorMode());
    // A click elsewhere commits and moves.
    TypeText(Editor(), "q");
    ClickAt(4, 4);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(2, 2)->GetText(), "q");
    EXPECT_EQ(Current(), (TGridCoord{4, 4}));
}

TEST_F(MouseTest, ShiftClickExtendsAndCtrlClickAddsAndRemoves) {
    SetOption(cloMultiSelect, true);
    Pairs Deselected;
    Grid->OnCellDeselected = [&](TCarrelon*, int C, int R) { Deselected.emplace_back(C, R); };
    ClickAt(2, 2);
    ClickAt(4, 3, {ssShift});
    EXPECT_EQ(Current(), (TGridCoord{2, 2}));
    EXPECT_EQ(Anchor(), (TGridCoord{4, 3}));
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 6);
    ClickAt(4, 6);
    ClickAt(1, 8, {ssCtrl});
    EXPECT_EQ(Current(), (TGridCoord{1, 8}));
    EXPECT_EQ(Listed(Grid), (Pairs{{4, 6}, {1, 8}})) << "Ctrl+click adds without clearing";
    ClickAt(4, 6, {ssCtrl});
    EXPECT_EQ(Listed(Grid), (Pairs{{1, 8}}));
    ClickAt(1, 8, {ssCtrl});
    EXPECT_EQ(Listed(Grid), (Pairs{{1, 8}})) << "the current cell stays";
    EXPECT_EQ(Deselected, (Pairs{{4, 6}}));
    // Under row selection a Ctrl+click takes a whole other row out.
    SetOption(cloRowSelect, true);
    ClickAt(3, 2);
    ClickAt(3, 4, {ssCtrl});
    ClickAt(3, 2, {ssCtrl});
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 7) << "only row 4's cells remain";
    EXPECT_EQ(Grid->GetRow(), 4);
}

TEST_F(MouseTest, CheckBoxTogglesBeforeTheMoveIsAsked) {
    Cell(3, 3)->SetCheckBox(true);
    std::vector<bool> SeenChecked;
    Grid->OnSelectCell = [&](TObject*, int C, int R, bool&) {
        if (C == 3 && R == 3) SeenChecked.push_back(Cell(3, 3)->GetCheckBoxChecked());
    };
    ClickAt(3, 3);
    EXPECT_EQ(SeenChecked, std::vector<bool>{true});
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    ClickAt(3, 3);
    EXPECT_FALSE(Cell(3, 3)->GetCheckBoxChecked());
    EXPECT_FALSE(Grid->GetEditorMode()) << "a check box never opens the editor";
    ClickAt(3, 3, {ssShift});
    ClickAt(3, 3, {ssCtrl});
    EXPECT_FALSE(Cell(3, 3)->GetCheckBoxChecked());
}

TEST_F(MouseTest, PushButtonsClickOnReleaseAndNotWhenLeft) {
    TCarrelonCell* Button = MakeMergedCell(Grid, 2, 3, 3, 3);
    Button->SetButton(true);
    Pairs Clicked;
    Grid->OnButtonClicked = [&](TCarrelon*, int C, int R) { Clicked.emplace_back(C, R); };
    const TPoint P = Middle(3, 3);
    MouseDown(Grid, mbLeft, P.X, P.Y);
    EXPECT_TRUE(Access::ReadFButtonPushed(Button));
    EXPECT_TRUE(Grid->IsCurrentCell(Button));
    MouseUp(Grid, mbLeft, P.X, P.Y);
    EXPECT_FALSE(Access::ReadFButtonPushed(Button));
    EXPECT_EQ(Clicked, (Pairs{{2, 3}})) << "the merged cell's start column";

    MouseDown(Grid, mbLeft, P.X, P.Y);
    const TPoint Off = Middle(4, 5);
    MouseMove(Grid, Off.X, Off.Y, {ssLeft});
    EXPECT_FALSE(Access::ReadFButtonPushed(Button)) << "moving off abandons the click";
    MouseUp(Grid, mbLeft, Off.X, Off.Y);
    EXPECT_EQ(Clicked.size(), 1u);

    // A handler freeing the pushed cell leaves nothing dangling for the release.
    MouseDown(Grid, mbLeft, P.X, P.Y);
    Grid->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
        Grid->SetRowCount(2);
    };
    MouseUp(Grid, mbLeft, P.X, P.Y);
    EXPECT_EQ(Clicked.size(), 1u);
    EXPECT_EQ(Internals().FPushedButtonCell, nullptr);
}

TEST_F(MouseTest, DoubleClickOnEdgesFitsColumnsAndRows) {
    Cell(2, 1)->SetText("a text much wider than the column is");
    Cell(1, 3)->SetText("one\r\ntwo\r\nthree");
    Grid->SetRowHeights(3, 18);
    Grid->GetCols(2)->SetMaxWidth(150);
    std::vector<std::string> Events;
    Grid->OnColumnResized = [&](TCarrelon*, int I, int O, int N) {
        Events.push_back("col " + std::to_string(I) + " " + std::to_string(O) + ">" +
                         std::to_string(N));
    };
    Grid->OnColumnWidthChanged = [&](TCarrelon*, int, int, int) { Events.push_back("width"); };
    Grid->OnRowResized = [&](TCarrelon*, int I, int O, int N) {
        Events.push_back("row " + std::to_string(I) + " " + std::to_string(O) + ">" +
                         std::to_string(N));
    };
    DoubleClick(Grid, X(3), 5);
    EXPECT_EQ(Grid->GetColWidths(2), 150) << "within the column's maximum";
    EXPECT_EQ(Grid->GetCols(2)->GetWidth(), 150);
    DoubleClick(Grid, 5, Y(4));
    EXPECT_GT(Grid->GetRowHeights(3), 18);
    const int Fitted = Grid->GetRowHeights(3);
    DoubleClick(Grid, 5, Y(4));
    EXPECT_EQ(Events,
              (std::vector<std::string>{"col 2 64>150", "row 3 18>" + std::to_string(Fitted)}))
        << "no event when nothing changed";
}

TEST_F(MouseTest, HeaderClicksSort) {
    Grid->SetRowCount(5);
    for (int r = 1; r < 5; ++r)
        Cell(2, r)->SetText(std::string(1, static_cast<char>('a' + (r * 3) % 5)));
    auto Column = [&] {
        std::string S;
        for (int r = 1; r < 5; ++r)
            S += Cell(2, r)->GetText();
        return S;
    };
    ClickAt(2, 0);
    EXPECT_EQ(Column(), "dbec") << "no sort without SortOnClick";
    Grid->SetSortOnClick(true);
    ClickAt(2, 0);
    EXPECT_EQ(Grid->GetSortColumn(), 2);
    EXPECT_EQ(Column(), "bcde");
    ClickAt(2, 0);
    EXPECT_TRUE(Grid->GetSortDescending());
    EXPECT_EQ(Column(), "edcb");
    ClickAt(3, 0);
    EXPECT_EQ(Grid->GetSortColumn(), 3);
    EXPECT_TRUE(Grid->GetSortDescending()) << "another column keeps the direction";

    // On double click only.
    Grid->SetSortOnClick(false);
    Grid->SetSortOnDblClick(true);
    Grid->SetSortDescending(false);
    ClickAt(2, 0);
    EXPECT_EQ(Grid->GetSortColumn(), 3);
    const TPoint H = Middle(2, 0);
    DoubleClick(Grid, H.X, H.Y);
    EXPECT_EQ(Grid->GetSortColumn(), 2);
    EXPECT_EQ(Column(), "bcde");

    // With every row fixed nothing sorts.
    int Sorts = 0;
    Grid->OnStartSort = [&](TObject*) { ++Sorts; };
    Grid->SetSortOnClick(true);
    Grid->SetFixedRows(5);
    ClickAt(2, 4);
    EXPECT_EQ(Sorts, 0);
    EXPECT_TRUE(Grid->GetSortDescending());
}

TEST_F(MouseTest, DragSelectionPastTheEdgeWaitsThenStepsACellPerTick) {
    ClockDrivesNow();
    const TPoint P = Middle(2, 2);
    MouseDown(Grid, mbLeft, P.X, P.Y);
    const TPoint Inside = Middle(3, 4);
    MouseMove(Grid, Inside.X, Inside.Y, {ssLeft});
    EXPECT_EQ(Anchor(), (TGridCoord{3, 4}));
    MouseMove(Grid, Inside.X, Grid->GetClientHeight() + 20, {ssLeft});
    TestClock().Advance(480);
    EXPECT_EQ(Anchor(), (TGridCoord{3, 4})) << "half a second first";
    TestClock().Advance(60);
    EXPECT_EQ(Anchor(), (TGridCoord{3, 5}));
    TestClock().Advance(60);
    EXPECT_EQ(Anchor(), (TGridCoord{3, 6}));
    MouseUp(Grid, mbLeft, Inside.X, Grid->GetClientHeight() + 20);
    TestClock().Advance(600);
    EXPECT_EQ(Anchor(), (TGridCoord{3, 6})) << "the timer ends with the release";
    EXPECT_EQ(Grid->FGridState, gsNormal);
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 10);
}

TEST_F(MouseTest, NoTimerTickFollowsTheReleaseOfAVetoedSelection) {
    // Vetoed on the press, or on a cell the drag reaches (the current cell follows the
    // pointer without range selection): the selection ends with the timer still running.
    for (bool OnThePress : {true, false}) {
        SCOPED_TRACE(OnThePress ? "vetoed on the press" : "vetoed during the drag");
        delete Grid;
        SetUp();
        ClockDrivesNow();
        SetOption(cloRangeSelect, false);
        int Ticks = 0;
        const TWndMethod Own = Grid->GetWindowProc();
        Grid->SetWindowProc([&Ticks, Own](TMessage& Message) {
            if (Message.Msg == WM_TIMER) ++Ticks;
            Own(Message);
        });
        const auto Veto = [](TObject*, int, int, bool& CanSelect) { CanSelect = false; };
        if (OnThePress) Grid->OnSelectCell = Veto;
        const TPoint P = Middle(2, 2);
        MouseDown(Grid, mbLeft, P.X, P.Y);
        Grid->OnSelectCell = Veto;
        const TPoint Q = Middle(3, 4);
        MouseMove(Grid, Q.X, Q.Y, {ssLeft});
        ASSERT_EQ(Grid->FGridState, gsNormal) << "the veto ended the selection";
        TestClock().Advance(120);
        EXPECT_GT(Ticks, 0) << "the timer runs while the button is down";
        MouseUp(Grid, mbLeft, Q.X, Q.Y);
        Ticks = 0;
        TestClock().Advance(600);
        EXPECT_EQ(Ticks, 0);
        Grid->SetWindowProc(Own);
        Grid->OnSelectCell = nullptr;
    }
}

TEST_F(MouseTest, PressThatScrollsWaitsForTheTimerBeforeTracking) {
    const int H = Grid->GetClientHeight();
    int Partial = -1;
    for (int r = 1; r < Grid->GetRowCount() && Partial < 0; ++r)
        if (Y(r) < H && Y(r + 1) > H + 1) Partial = r;
    ASSERT_GE(Partial, 0) << "a row cut by the client's bottom";
    MouseDown(Grid, mbLeft, 100, H - 1);
    EXPECT_EQ(Grid->GetRow(), Partial);
    EXPECT_TRUE(Internals().FDragWait) << "another cell came under the pointer";
    const TPoint Elsewhere = Middle(2, Grid->GetTopRow() + 1);
    MouseMove(Grid, Elsewhere.X, Elsewhere.Y, {ssLeft});
    EXPECT_EQ(Anchor(), Current()) << "no tracking while waiting";
    MouseUp(Grid, mbLeft, Elsewhere.X, Elsewhere.Y);
}

TEST_F(MouseTest, RowsAndColumnsDragInTheFixedArea) {
    SetOption(cloColMoving, true);
    SetOption(cloRowMoving, true);
    Cell(2, 1)->SetText("moved");
    std::vector<std::string> Events;
    Grid->OnColumnMoved = [&](TObject*, int F, int T) {
        Events.push_back("col " + std::to_string(F) + ">" + std::to_string(T));
    };
    Grid->OnRowMoved = [&](TObject*, int F, int T) {
        Events.push_back("row " + std::to_string(F) + ">" + std::to_string(T));
    };
    bool Drop = true;
    Grid->OnColumnDragDrop = [&](TCarrelon*, int, int, bool& CanDrop) { CanDrop = Drop; };
    const TPoint From = Middle(2, 0), To = Middle(4, 0);
    MouseDown(Grid, mbLeft, From.X, From.Y);
    EXPECT_EQ(Grid->FGridState, gsColMoving);
    MouseMove(Grid, To.X, To.Y, {ssLeft});
    MouseUp(Grid, mbLeft, To.X, To.Y);
    EXPECT_EQ(Cell(4, 1)->GetText(), "moved");
    Drop = false;
    MouseDown(Grid, mbLeft, To.X, To.Y);
    MouseMove(Grid, From.X, From.Y, {ssLeft});
    MouseUp(Grid, mbLeft, From.X, From.Y);
    EXPECT_EQ(Cell(4, 1)->GetText(), "moved") << "the application refused the drop";
    const TPoint RowFrom = Middle(0, 1), RowTo = Middle(0, 3);
    MouseDown(Grid, mbLeft, RowFrom.X, RowFrom.Y);
    MouseMove(Grid, RowTo.X, RowTo.Y, {ssLeft});
    MouseUp(Grid, mbLeft, RowTo.X, RowTo.Y);
    EXPECT_EQ(Cell(4, 3)->GetText(), "moved");
    EXPECT_EQ(Events, (std::vector<std::string>{"col 2>4", "row 1>3"}));
    std::string Why;
    EXPECT_TRUE(Access::CheckModelInvariants(Grid, &Why)) << Why;
}

TEST_F(MouseTest, SizingKeepsTheColumnWithinItsLimits) {
    TCarrelonCol* Col = Grid->GetCols(1);
    Col->SetMinWidth(40);
    Col->SetMaxWidth(100);
    std::vector<std::string> Events;
    Grid->OnColumnResized = [&](TCarrelon*, int I, int O, int N) {
        Events.push_back(std::to_string(I) + " " + std::to_string(O) + ">" + std::to_string(N));
    };
    Grid->OnColumnWidthChanged = [&](TCarrelon*, int, int, int) { Events.push_back("width"); };
    const struct {
        int Drag;  // the boundary's new distance from the column's left edge
        int Width;
    } Cases[] = {{10, 40}, {300, 100}, {70, 70}, {70, 70}};
    for (const auto& C : Cases) {
        const int Edge = X(2);
        MouseDown(Grid, mbLeft, Edge, 5);
        EXPECT_EQ(Grid->FGridState, gsColSizing);
        MouseMove(Grid, X(1) + C.Drag, 5, {ssLeft});
        MouseUp(Grid, mbLeft, X(1) + C.Drag, 5);
        EXPECT_EQ(Col->GetWidth(), C.Width) << "dragged to " << C.Drag;
        EXPECT_EQ(Grid->GetColWidths(1), C.Width);
    }
    EXPECT_EQ(Events, (std::vector<std::string>{"1 64>40", "1 40>100", "1 100>70"}));

    std::vector<std::string> Rows;
    Grid->OnRowResized = [&](TCarrelon*, int I, int O, int N) {
        Rows.push_back(std::to_string(I) + " " + std::to_string(O) + ">" + std::to_string(N));
    };
    MouseDown(Grid, mbLeft, 5, Y(3));
    MouseMove(Grid, 5, Y(2) + 30, {ssLeft});
    MouseUp(Grid, mbLeft, 5, Y(2) + 30);
    EXPECT_EQ(Grid->GetRowHeights(2), 30);
    MouseDown(Grid, mbLeft, 5, Y(3));
    MouseUp(Grid, mbLeft, 5, Y(2) + 1);
    EXPECT_EQ(Grid->GetRowHeights(2), 30) << "sizes below 2 pixels are ignored";
    EXPECT_EQ(Rows, (std::vector<std::string>{"2 18>30"}));
}

TEST_F(MouseTest, WheelMovesTheCurrentRow) {
    int ParentHeard = 0;
    Form->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { ++ParentHeard; };
    Place(2, 38);
    Wheel(Grid, 10, 40, -120);
    EXPECT_EQ(Grid->GetRow(), 39);
    Wheel(Grid, 10, 40, -120);
    EXPECT_EQ(Grid->GetRow(), 39);
    EXPECT_EQ(ParentHeard, 0) << "at the last row the wheel still counts as handled";
    Place(2, 2);
    Wheel(Grid, 10, 40, 240);
    EXPECT_EQ(Grid->GetRow(), 1) << "never into the fixed rows";
    bool Handled = true;
    Grid->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& H) { H = Handled; };
    Wheel(Grid, 10, 40, -120);
    EXPECT_EQ(Grid->GetRow(), 1);
    Handled = false;
    Wheel(Grid, 10, 40, -120);
    EXPECT_EQ(Grid->GetRow(), 2);
}

TEST_F(MouseTest, RefusedPressRightButtonAndLostCapture) {
    std::vector<std::string> Events;
    Grid->OnMouseDown = [&](TObject*, TMouseButton B, TShiftState, int, int) {
        Events.push_back("down " + std::to_string(B));
    };
    OpenRefusedEdit();
    ClickAt(4, 4);
    EXPECT_EQ(Current(), (TGridCoord{2, 2})) << "the press is swallowed";
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Events, (std::vector<std::string>{"down 0"}));
    EXPECT_FALSE(Internals().FMouseButtonDown);
    Grid->OnCellChanged = nullptr;
    Grid->SetEditorMode(false);

    const TPoint P = Middle(4, 5);
    MouseDown(Grid, mbRight, P.X, P.Y);
    EXPECT_TRUE(Internals().FMouseButtonDown);
    MouseUp(Grid, mbRight, P.X, P.Y);
    ProcessPendingEvents();
    EXPECT_EQ(Current(), (TGridCoord{2, 2})) << "the right button selects nothing";
    EXPECT_FALSE(Internals().FMouseButtonDown);

    // Capture taken away in the middle of a drag ends the press.
    auto* Other = Form.Add<TEdit>(0, 282, 50, 16);
    MouseDown(Grid, mbLeft, P.X, P.Y);
    ASSERT_EQ(Grid->FGridState, gsSelecting);
    SetCapture(Other->GetHandle());
    EXPECT_EQ(Grid->FGridState, gsNormal);
    EXPECT_FALSE(Internals().FMouseButtonDown);
    ReleaseCapture();
}

TEST_F(MouseTest, PointerBelowTheRowsHitsNothing) {
    Grid->SetRowCount(3);
    Grid->SetShowHint(true);
    Cell(2, 2)->SetButton(true);
    const int Below = Y(3) + 10;
    DoubleClick(Grid, Middle(2, 2).X, Below);
    Click(Grid, Middle(2, 2).X, Below);
    MouseMove(Grid, Middle(2, 2).X, Below);
    EXPECT_EQ(Internals().FHintCell, nullptr);
    EXPECT_EQ(Internals().FPushedButtonCell, nullptr);
    MouseMove(Grid, Middle(2, 2).X, Middle(2, 2).Y);
    EXPECT_EQ(Internals().FHintCell, Cell(2, 2));
}

}  // namespace
}  // namespace carrelon::test
