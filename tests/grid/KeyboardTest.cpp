// The grid's keys through real key events on a shown form: navigation targets with and without
// Ctrl, under row selection and headings, over merged cells; Enter's regimes, Shift ranges, the
// paging view, Tab walks (tab stops, wrapping, leaving the grid, merged rows, walks that find no
// tab stop), the editor keys, Space on buttons and check boxes, the key handler of the open
// editor, the dialog code, and focus and the form's close while an edit cannot be committed.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Colors.h"
#include "tests/support/PaintTestSupport.h"
#include "tests/support/ShownGridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class KeyboardTest;

// A key pressed on a fresh grid arranged by Arrange, from one cell, and where it lands.
struct TKeyCase {
    const char* Name;
    std::function<void(KeyboardTest&)> Arrange;
    TGridCoord From;
    Word Key;
    TShiftState Shift;
    TGridCoord To;
};

class KeyboardTest : public ShownGridTest {
public:
    void Run(const std::vector<TKeyCase>& Cases) {
        for (const TKeyCase& C : Cases) {
            SCOPED_TRACE(C.Name);
            delete Grid;
            SetUp();
            if (C.Arrange) C.Arrange(*this);
            Place(C.From.X, C.From.Y);
            Press(C.Key, C.Shift);
            EXPECT_EQ(Current(), C.To);
            const bool RowSelect = Grid->GetOptions().Contains(cloRowSelect);
            EXPECT_EQ(Anchor(), RowSelect ? (TGridCoord{Grid->GetColCount() - 1, C.To.Y}) : C.To);
        }
    }
};

TEST_F(KeyboardTest, NavigationKeysReachTheirTargets) {
    const int V = Grid->GetVisibleRowCount();
    const int W = Grid->GetVisibleColCount();
    ASSERT_GE(V, 3);
    ASSERT_GE(W, 3);
    const auto RowSelect = [](KeyboardTest& T) { T.SetOption(cloRowSelect, true); };
    const auto Headings = [](bool FixedSelectable) {
        return [FixedSelectable](KeyboardTest& T) {
            T.Grid->SetFixedCols(2);
            T.Grid->SetFixedRows(2);
            T.Grid->SetSpreadsheetHeaders(true);
            T.SetOption(cloSelectFixedCols, FixedSelectable);
            T.SetOption(cloSelectFixedRows, FixedSelectable);
        };
    };
    Run({
        {"right", nullptr, {1, 1}, VK_RIGHT, {}, {2, 1}},
        {"left", nullptr, {2, 1}, VK_LEFT, {}, {1, 1}},
        {"left at the first column", nullptr, {1, 3}, VK_LEFT, {}, {1, 3}},
        {"up at the first row", nullptr, {3, 1}, VK_UP, {}, {3, 1}},
        {"down", nullptr, {3, 1}, VK_DOWN, {}, {3, 2}},
        {"home", nullptr, {5, 3}, VK_HOME, {}, {1, 3}},
        {"end", nullptr, {2, 3}, VK_END, {}, {7, 3}},
        {"page down", nullptr, {2, 1}, VK_NEXT, {}, {2, V}},
        {"page up", nullptr, {2, 30}, VK_PRIOR, {}, {2, 30 - (V - 1)}},
        {"page up at the top", nullptr, {2, 2}, VK_PRIOR, {}, {2, 1}},
        {"ctrl home", nullptr, {5, 9}, VK_HOME, {ssCtrl}, {1, 1}},
        {"ctrl end", nullptr, {2, 3}, VK_END, {ssCtrl}, {7, 39}},
        {"ctrl page down", nullptr, {3, 5}, VK_NEXT, {ssCtrl}, {3, 5 + V - 1}},
        {"ctrl page down at the end", nullptr, {3, 38}, VK_NEXT, {ssCtrl}, {3, 39}},
        {"ctrl page up to the view's top row", nullptr, {3, 9}, VK_PRIOR, {ssCtrl}, {3, 1}},
        {"ctrl right", nullptr, {1, 2}, VK_RIGHT, {ssCtrl}, {W, 2}},
        {"ctrl left", nullptr, {3, 2}, VK_LEFT, {ssCtrl}, {1, 2}},
        {"row select left", RowSelect, {1, 5}, VK_LEFT, {}, {1, 4}},
        {"row select right", RowSelect, {1, 5}, VK_RIGHT, {}, {1, 6}},
        {"row select home", RowSelect, {1, 5}, VK_HOME, {}, {1, 1}},
        {"row select end", RowSelect, {1, 5}, VK_END, {}, {1, 39}},
        {"row select ctrl right", RowSelect, {1, 5}, VK_RIGHT, {ssCtrl}, {1, 5}},
        {"headings: home to the first scrollable column",
         Headings(false),
         {4, 3},
         VK_HOME,
         {},
         {2, 3}},
        {"headings, fixed parts selectable: home to column 1",
         Headings(true),
         {4, 3},
         VK_HOME,
         {},
         {1, 3}},
        {"headings, fixed parts selectable: ctrl home",
         Headings(true),
         {4, 9},
         VK_HOME,
         {ssCtrl},
         {1, 1}},
        {"headings: ctrl home", Headings(false), {4, 9}, VK_HOME, {ssCtrl}, {2, 2}},
    });
}

TEST_F(KeyboardTest, CtrlUpAndDownScrollTheViewOnly) {
    Place(2, 3);
    Press(VK_DOWN, {ssCtrl});
    Press(VK_DOWN, {ssCtrl});
    EXPECT_EQ(Grid->GetTopRow(), 3);
    Press(VK_UP, {ssCtrl});
    EXPECT_EQ(Grid->GetTopRow(), 2);
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
    Press(VK_UP, {ssCtrl});
    Press(VK_UP, {ssCtrl});
    EXPECT_EQ(Grid->GetTopRow(), 1) << "never into the fixed rows";
}

TEST_F(KeyboardTest, ArrowsStepOverMergedCellsWhole) {
    MakeMergedCell(Grid, 2, 3, 4, 5);
    const struct {
        TGridCoord From;
        Word Key;
        TGridCoord To;
    } Steps[] = {
        {{1, 4}, VK_RIGHT, {2, 4}}, {{2, 4}, VK_RIGHT, {5, 4}}, {{5, 4}, VK_LEFT, {4, 4}},
        {{4, 4}, VK_LEFT, {1, 4}},  {{3, 3}, VK_DOWN, {3, 6}},  {{3, 6}, VK_UP, {3, 5}},
        {{3, 5}, VK_UP, {3, 2}},    {{3, 4}, VK_END, {7, 4}},
    };
    for (const auto& S : Steps) {
        Place(S.From.X, S.From.Y);
        Press(S.Key);
        EXPECT_EQ(Current(), S.To) << "key " << S.Key << " from " << S.From.X << "," << S.From.Y;
    }
}

TEST_F(KeyboardTest, EnterUnderItsThreeRegimes) {
    struct Case {
        bool Excel, Through;
        TShiftState Shift;
        TGridCoord To;
        bool Range;
    } Cases[] = {
        {false, false, {}, {3, 3}, false},       {false, true, {}, {4, 3}, false},
        {false, true, {ssShift}, {3, 3}, false}, {true, false, {}, {3, 4}, false},
        {true, false, {ssShift}, {3, 2}, false}, {true, true, {ssCtrl}, {3, 3}, false},
        {true, true, {}, {3, 4}, false},
    };
    for (const Case& C : Cases) {
        Grid->SetSpreadsheetOptions(
            With(Grid->GetSpreadsheetOptions(), soExcelStyleNavigation, C.Excel));
        SetOption(cloEnterThrough, C.Through);
        Place(3, 3);
        Press(VK_RETURN, C.Shift);
        EXPECT_EQ(Current(), C.To) << C.Excel << C.Through << C.Shift.ToInt();
        EXPECT_EQ(Anchor(), C.To) << "Enter never extends a range";
    }
}

TEST_F(KeyboardTest, ShiftExtendsTheRangeButShiftTabDoesNot) {
    std::vector<std::pair<int, int>> Ranges;
    Grid->OnSelectRange = [&](TObject*, int C, int R, bool&) { Ranges.emplace_back(C, R); };
    Place(2, 2);
    Press(VK_RIGHT, {ssShift});
    Press(VK_DOWN, {ssShift});
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    EXPECT_EQ(Anchor(), (TGridCoord{2, 2}));
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 4);
    EXPECT_EQ(Ranges, (std::vector<std::pair<int, int>>{{3, 2}, {3, 3}}));
    Press(VK_TAB, {ssShift});
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
    EXPECT_EQ(Anchor(), (TGridCoord{2, 3}));
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 1);
    // A vetoed extension leaves everything as it was.
    Grid->OnSelectRange = [](TObject*, int, int, bool& CanSelect) { CanSelect = false; };
    Press(VK_RIGHT, {ssShift});
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
}

TEST_F(KeyboardTest, WithoutACurrentCellOrWithAltKeysOnlyReachOnKeyDown) {
    int Heard = 0;
    Grid->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++Heard; };
    Place(2, 2);
    Press(VK_DOWN, {ssAlt});
    EXPECT_EQ(Current(), (TGridCoord{2, 2}));
    Press(VK_F2, {ssAlt});
    EXPECT_FALSE(Grid->GetEditorMode());
    Grid->SetRowCount(3);
    Grid->SetFixedRows(3);
    ASSERT_EQ(Grid->GetRow(), -1);
    Press(VK_DOWN);
    Press(VK_F2);
    EXPECT_EQ(Heard, 4);
    EXPECT_EQ(Grid->GetRow(), -1);
    EXPECT_FALSE(Grid->GetEditorMode());
}

TEST_F(KeyboardTest, PageKeysMoveTheViewByAPage) {
    const int V = Grid->GetVisibleRowCount();
    Place(2, 1);
    Press(VK_NEXT);
    EXPECT_EQ(Grid->GetTopRow(), V) << "the view moves a page, keeping the cell's place in it";
    EXPECT_EQ(Grid->GetRow(), V);
    Press(VK_PRIOR);
    EXPECT_EQ(Grid->GetTopRow(), 1);
    EXPECT_EQ(Grid->GetRow(), 1);
    // Near the end the last page shows the last rows.
    Place(2, 39 - V);
    Press(VK_NEXT);
    EXPECT_EQ(Grid->GetRow(), 39 - 1);
    EXPECT_EQ(Grid->GetTopRow() + Grid->GetVisibleRowCount(), 40);
    // Sideways with Ctrl.
    Grid->SetColCount(40);
    const int W = Grid->GetVisibleColCount();
    Place(1, 3);
    Press(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(Grid->GetCol(), W);
    EXPECT_EQ(Grid->GetLeftCol(), W);
    Press(VK_LEFT, {ssCtrl});
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_EQ(Grid->GetLeftCol(), 1);
}

TEST_F(KeyboardTest, CtrlPageUpGoesToTheViewsTopRowWithoutScrolling) {
    Place(2, 30);
    const int Top = Grid->GetTopRow();
    ASSERT_GT(Top, 1);
    Press(VK_PRIOR, {ssCtrl});
    EXPECT_EQ(Current(), (TGridCoord{2, Top}));
    EXPECT_EQ(Grid->GetTopRow(), Top);
    Press(VK_PRIOR, {ssCtrl});
    EXPECT_EQ(Current(), (TGridCoord{2, Top})) << "already there";
}

TEST_F(KeyboardTest, PageKeysInAViewOfOneRowOrNoneStepByOne) {
    const int Border = Grid->GetHeight() - Grid->GetClientHeight();
    for (int Visible : {1, 0}) {
        SCOPED_TRACE(Visible);
        delete Grid;
        SetUp();
        int Last = 39;
        if (Visible == 1) {
            // The client holds the fixed row and one whole row.
            Grid->SetHeight(Border + 18 + 18);
        } else {
            // Every row is fixed, and the fixed rows are selectable: no row scrolls.
            Grid->SetRowCount(8);
            SetOption(cloSelectFixedRows, true);
            Grid->SetFixedRows(8);
            Last = 7;
        }
        ProcessPendingEvents();
        ASSERT_EQ(Grid->GetVisibleRowCount(), Visible);
        Place(2, 3);
        Press(VK_NEXT, {ssCtrl});
        EXPECT_EQ(Grid->GetRow(), 4) << "never upwards";
        Press(VK_NEXT);
        EXPECT_EQ(Grid->GetRow(), 5);
        Press(VK_PRIOR);
        EXPECT_EQ(Grid->GetRow(), 4);
        Place(2, Last);
        Press(VK_NEXT, {ssCtrl});
        EXPECT_EQ(Grid->GetRow(), Last) << "not past the last row";
        // Ctrl+PgUp goes to the view's top row: there is none to go to when no row scrolls.
        Place(2, 5);
        bool OutsideAsked = false;
        Grid->OnSelectCell = [&](TObject*, int, int R, bool&) { OutsideAsked |= R < 0; };
        Press(VK_PRIOR, {ssCtrl});
        EXPECT_EQ(Grid->GetRow(), Visible == 1 ? Grid->GetTopRow() : 5);
        EXPECT_FALSE(OutsideAsked);
        Grid->OnSelectCell = nullptr;
    }
}

// ---- Tab ------------------------------------------------------------------------------------

TEST_F(KeyboardTest, TabWalksTheTabStops) {
    const auto Through = [](KeyboardTest& T) { T.SetOption(cloTabThrough, true); };
    const auto NoTabStops = [](KeyboardTest& T) {
        for (int c = 0; c < 8; ++c)
            T.Grid->SetTabStops(c, false);
    };
    const auto MergeAtRowEnd = [](bool Skip) {
        return [Skip](KeyboardTest& T) {
            MakeMergedCell(T.Grid, 6, 2, 7, 3);
            MakeMergedCell(T.Grid, 1, 4, 2, 5);
            T.SetTabOption(toSkipMergedRows, Skip);
        };
    };
    const TShiftState Back{ssShift};
    Run({
        {"next cell", nullptr, {2, 1}, VK_TAB, {}, {3, 1}},
        {"over a column without tab stop",
         [](KeyboardTest& T) { T.Grid->SetTabStops(3, false); },
         {2, 1},
         VK_TAB,
         {},
         {4, 1}},
        {"row end to the next row", nullptr, {7, 1}, VK_TAB, {}, {1, 2}},
        {"backward over the row start", nullptr, {1, 2}, VK_TAB, Back, {7, 1}},
        {"last cell stays", nullptr, {7, 39}, VK_TAB, {}, {7, 39}},
        {"first cell stays", nullptr, {1, 1}, VK_TAB, Back, {1, 1}},
        {"last cell wraps", Through, {7, 39}, VK_TAB, {}, {1, 1}},
        {"first cell wraps back", Through, {1, 1}, VK_TAB, Back, {7, 39}},
        {"no tab stop: one circle to the same column", NoTabStops, {3, 5}, VK_TAB, {}, {3, 6}},
        {"a merged cell at the row end", MergeAtRowEnd(false), {6, 2}, VK_TAB, {}, {1, 3}},
        {"skipping its rows", MergeAtRowEnd(true), {6, 2}, VK_TAB, {}, {1, 4}},
        {"backward skipping the rows", MergeAtRowEnd(true), {1, 5}, VK_TAB, Back, {7, 2}},
    });
}

TEST_F(KeyboardTest, TabWalksThatNeverMeetTheirColumnEnd) {
    // The current slot lies inside a merged cell that covers it in every row: the walk never
    // meets its column again and, wrapping, comes round to it.
    Grid->SetColCount(4);
    Grid->SetRowCount(3);
    MakeMergedCell(Grid, 2, 1, 3, 2);
    SetOption(cloTabThrough, true);
    for (int c = 0; c < 4; ++c)
        Grid->SetTabStops(c, false);
    // Forward the walk passes only start slots, backward only end slots: the other slot of the
    // merged cell is never met.
    Place(3, 1);
    Press(VK_TAB);
    EXPECT_EQ(Current(), (TGridCoord{3, 1}));
    Place(2, 1);
    Press(VK_TAB, {ssShift});
    EXPECT_EQ(Current(), (TGridCoord{2, 1}));
    // A tab stop on the way is still found.
    Grid->SetTabStops(1, true);
    Place(3, 1);
    Press(VK_TAB);
    EXPECT_EQ(Current(), (TGridCoord{1, 2}));
}

TEST_F(KeyboardTest, TabWalksFromLeftOfTheFirstColumnEnd) {
    // A current cell in a fixed column that is not selectable: the walk starts left of its
    // first column (the selection rules keep the grid out of this state; the walk must not
    // rely on them).
    struct Case {
        const char* Name;
        bool Through, TabStops;
        TGridCoord From;
        TShiftState Shift;
        TGridCoord To;
    } Cases[] = {
        {"forward into the first column", false, true, {1, 5}, {}, {2, 5}},
        {"backward to the previous row's end", false, true, {1, 5}, {ssShift}, {7, 4}},
        {"backward on the first row stays", false, true, {1, 1}, {ssShift}, {1, 1}},
        {"backward on the first row wraps", true, true, {1, 1}, {ssShift}, {7, 39}},
        {"no tab stop forward: one circle", true, false, {1, 5}, {}, {1, 5}},
        {"no tab stop backward: one circle", true, false, {1, 5}, {ssShift}, {1, 5}},
        {"no tab stop forward, no wrapping: to the grid's end", false, false, {1, 5}, {}, {1, 39}},
        {"no tab stop backward, no wrapping: to the grid's start",
         false,
         false,
         {1, 5},
         {ssShift},
         {1, 1}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        delete Grid;
        SetUp();
        Grid->SetFixedCols(2);
        SetOption(cloTabThrough, C.Through);
        for (int c = 0; c < 8; ++c)
            Grid->SetTabStops(c, C.TabStops);
        Place(C.From.X, C.From.Y);
        Press(VK_TAB, C.Shift);
        EXPECT_EQ(Current(), C.To);
    }
}

TEST_F(KeyboardTest, TabOutOfTheGridMovesTheFocusOn) {
    auto* Before = Form.Add<TEdit>(0, 282, 50, 16);
    auto* After = Form.Add<TEdit>(60, 282, 50, 16);
    Before->SetTabOrder(0);
    Grid->SetFocus();
    SetTabOption(toTabOutOfGrid, true);
    Place(7, 39);
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->GetEditorMode());
    TypeText(Editor(), "z");
    PressKey(Editor(), VK_TAB);
    ProcessPendingEvents();
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(7, 39)->GetText(), "z");
    EXPECT_EQ(Form->GetActiveControl(), After);
    EXPECT_EQ(Current(), (TGridCoord{7, 39}));

    Grid->SetFocus();
    Place(1, 1);
    Press(VK_TAB, {ssShift});
    EXPECT_EQ(Form->GetActiveControl(), Before) << "Shift holds for the Tab passed on";

    // Refused by the application, the edit keeps the focus in the grid.
    Grid->SetFocus();
    Place(7, 39);
    Grid->OnCellChanged = [](TCarrelon*, int, int, const AnsiString&, AnsiString&,
                             bool& AllowExit) { AllowExit = false; };
    Grid->SetEditorMode(true);
    TypeText(Editor(), "y");
    PressKey(Editor(), VK_TAB);
    ProcessPendingEvents();
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_TRUE(Grid->Focused());
    Grid->OnCellChanged = nullptr;
}

// ---- editor keys ------------------------------------------------------------------------------

TEST_F(KeyboardTest, F2EscapeAndDownOnTheLastRow) {
    Cell(2, 39)->SetText("old");
    Place(2, 39);
    Press(VK_F2, {ssShift});
    EXPECT_FALSE(Grid->GetEditorMode());
    Press(VK_F2);
    ASSERT_TRUE(Grid->GetEditorMode());
    Editor()->SetText("new");
    PressKey(Editor(), VK_ESCAPE);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(2, 39)->GetText(), "old");

    Press(VK_F2);
    Editor()->SetText("new");
    Editor()->SetSelStart(3);
    PressKey(Editor(), VK_DOWN);
    EXPECT_FALSE(Grid->GetEditorMode()) << "Down on the last row commits";
    EXPECT_EQ(Cell(2, 39)->GetText(), "new");
    EXPECT_EQ(Current(), (TGridCoord{2, 39}));

    // An always shown editor opens again after Escape, with the cell's text.
    SetOption(cloAlwaysShowEditor, true);
    ASSERT_TRUE(Grid->GetEditorMode());
    Editor()->SetText("discarded");
    PressKey(Editor(), VK_ESCAPE);
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Editor()->GetText(), "new");
}

TEST_F(KeyboardTest, SpacePushesButtonsAndTogglesCheckBoxes) {
    std::vector<std::pair<int, int>> Clicked;
    Grid->OnButtonClicked = [&](TCarrelon*, int C, int R) { Clicked.emplace_back(C, R); };
    MakeMergedCell(Grid, 2, 2, 3, 2)->SetButton(true);
    Place(3, 2);
    KeyDownOnly(Grid, VK_SPACE);
    EXPECT_TRUE(Access::ReadFButtonPushed(Cell(2, 2)));
    KeyUpOnly(Grid, VK_SPACE);
    EXPECT_FALSE(Access::ReadFButtonPushed(Cell(2, 2)));
    EXPECT_EQ(Clicked, (std::vector<std::pair<int, int>>{{3, 2}})) << "the current slot";

    // Moving away between the key's down and up leaves no button stuck, and clicks nothing.
    KeyDownOnly(Grid, VK_SPACE);
    Grid->FocusCell(5, 5);
    EXPECT_FALSE(Access::ReadFButtonPushed(Cell(2, 2)));
    KeyUpOnly(Grid, VK_SPACE);
    EXPECT_EQ(Clicked.size(), 1u);

    Cell(4, 4)->SetCheckBox(true);
    Place(4, 4);
    Press(VK_SPACE);
    EXPECT_TRUE(Cell(4, 4)->GetCheckBoxChecked());
    Press(VK_SPACE);
    EXPECT_FALSE(Cell(4, 4)->GetCheckBoxChecked());
    Cell(4, 4)->SetReadOnly(true);
    Press(VK_SPACE);
    EXPECT_FALSE(Cell(4, 4)->GetCheckBoxChecked()) << "read-only";
    Cell(4, 4)->SetReadOnly(false);
    SetOption(cloEditing, false);
    Press(VK_SPACE);
    EXPECT_FALSE(Cell(4, 4)->GetCheckBoxChecked()) << "editing off";
}

TEST_F(KeyboardTest, KeyPressExChangesTheEditorTextAndCaret) {
    std::vector<std::string> Seen;
    Grid->OnKeyPressEx = [&](TCarrelon*, char32_t& Key, int C, int R, AnsiString& Text,
                             int& Position) {
        Seen.push_back(std::to_string(C) + "," + std::to_string(R) + " " + Text + " " +
                       std::to_string(Position));
        if (Key == U'b') {
            Text = "[" + Text + "]";
            Position = 1;
        }
        if (Key == U'x') Key = 0;
    };
    Place(2, 3);
    Press(VK_F2);
    TypeText(Editor(), "axb");
    ProcessPendingEvents();
    EXPECT_EQ(Editor()->GetText(), "[ba]") << "the key goes in where the handler put the caret";
    EXPECT_EQ(Seen, (std::vector<std::string>{"2,3  0", "2,3 a 1", "2,3 a 1"}));
}

TEST_F(KeyboardTest, DialogCodeFollowsTheOptions) {
    struct Case {
        bool RowSelect, Tabs, Editing;
        std::intptr_t Code;
    } Cases[] = {
        {false, true, true, DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS},
        {false, false, true, DLGC_WANTARROWS | DLGC_WANTCHARS},
        {false, true, false, DLGC_WANTARROWS | DLGC_WANTTAB},
        {true, true, true, DLGC_WANTARROWS},
    };
    for (const Case& C : Cases) {
        Grid->SetOptions(
            With(With(With(Grid->GetOptions(), cloTabs, C.Tabs), cloEditing, C.Editing),
                 cloRowSelect, C.RowSelect));
        // Row selection excludes editing; the code must not ask for characters all the same.
        if (C.RowSelect) Grid->SetOptions(Grid->GetOptions() + cloEditing + cloTabs);
        EXPECT_EQ(Grid->Perform(WM_GETDLGCODE, 0, 0), C.Code) << C.RowSelect << C.Tabs << C.Editing;
    }
}

// ---- clipboard keys -----------------------------------------------------------------------------

TEST_F(KeyboardTest, ClipboardKeysActOnlyWithTheirExactShiftStateAndTheirOption) {
    enum TEffect { Nothing, Copied, Cut, Pasted, Cleared };
    const struct Case {
        const char* Name;
        Word Key;
        TShiftState Shift;
        TCarrelonOption Off;  // cloEditing: no option taken away
        TEffect Effect;
    } Cases[] = {
        {"ctrl c", 'C', {ssCtrl}, cloEditing, Copied},
        {"ctrl ins", VK_INSERT, {ssCtrl}, cloEditing, Copied},
        {"ctrl x", 'X', {ssCtrl}, cloEditing, Cut},
        {"shift del", VK_DELETE, {ssShift}, cloEditing, Cut},
        {"ctrl v", 'V', {ssCtrl}, cloEditing, Pasted},
        {"shift ins", VK_INSERT, {ssShift}, cloEditing, Pasted},
        {"del", VK_DELETE, {}, cloEditing, Cleared},
        {"ctrl shift c", 'C', {ssCtrl, ssShift}, cloEditing, Nothing},
        {"ctrl shift ins", VK_INSERT, {ssCtrl, ssShift}, cloEditing, Nothing},
        {"ctrl shift x", 'X', {ssCtrl, ssShift}, cloEditing, Nothing},
        {"ctrl shift v", 'V', {ssCtrl, ssShift}, cloEditing, Nothing},
        {"ctrl alt c", 'C', {ssCtrl, ssAlt}, cloEditing, Nothing},
        {"alt shift del", VK_DELETE, {ssShift, ssAlt}, cloEditing, Nothing},
        {"ctrl del", VK_DELETE, {ssCtrl}, cloEditing, Nothing},
        {"ctrl c without cloCopy", 'C', {ssCtrl}, cloCopy, Nothing},
        {"ctrl ins without cloCopy", VK_INSERT, {ssCtrl}, cloCopy, Nothing},
        {"ctrl x without cloCut", 'X', {ssCtrl}, cloCut, Nothing},
        {"shift del without cloCut", VK_DELETE, {ssShift}, cloCut, Nothing},
        {"ctrl v without cloPaste", 'V', {ssCtrl}, cloPaste, Nothing},
        {"shift ins without cloPaste", VK_INSERT, {ssShift}, cloPaste, Nothing},
        {"del without cloClearCellOnDel", VK_DELETE, {}, cloClearCellOnDel, Nothing},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        delete Grid;
        SetUp();
        ASSERT_TRUE(Grid->GetOptions().Contains(C.Off));
        if (C.Off != cloEditing) SetOption(C.Off, false);
        Cell(2, 2)->SetText("source");
        Place(2, 2);
        Clipboard()->SetAsText("clip");
        Press(C.Key, C.Shift);
        const bool Taken = C.Effect == Copied || C.Effect == Cut;
        EXPECT_EQ(Clipboard()->GetAsText(), Taken ? "source" : "clip");
        const char* Left = C.Effect == Nothing || C.Effect == Copied ? "source"
                           : C.Effect == Pasted                      ? "clip"
                                                                     : "";
        EXPECT_EQ(Cell(2, 2)->GetText(), Left);
        EXPECT_FALSE(Grid->GetEditorMode()) << "no key typed into an editor";
    }
}

// ---- focus --------------------------------------------------------------------------------------

TEST_F(KeyboardTest, LeavingWithARefusedValueKeepsTheFocus) {
    auto* Other = Form.Add<TEdit>(0, 282, 50, 16);
    Grid->SetFocus();
    int Exits = 0, Enters = 0;
    Grid->OnExit = [&](TObject*) { ++Exits; };
    Grid->OnEnter = [&](TObject*) { ++Enters; };
    bool Allow = false;
    OpenRefusedEdit(&Allow);
    Other->SetFocus();
    ProcessPendingEvents();
    EXPECT_TRUE(Grid->Focused());
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Exits, 0);
    EXPECT_EQ(Enters, 0) << "coming back is no entry";
    Allow = true;
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());
    EXPECT_EQ(Exits, 1);
    EXPECT_EQ(Cell(2, 2)->GetText(), "bad");
}

TEST_F(KeyboardTest, ARefusedEditLetsTheFocusGoFromAGridBeingHiddenOrDisabled) {
    for (bool Hide : {true, false}) {
        SCOPED_TRACE(Hide ? "hidden" : "disabled");
        delete Grid;
        SetUp();
        auto* Other = Form.Add<TEdit>(0, 282, 50, 16);
        int Exits = 0;
        Grid->OnExit = [&](TObject*) { ++Exits; };
        OpenRefusedEdit();
        ASSERT_EQ(GetFocus(), Editor()->GetHandle());
        if (Hide)
            Grid->SetVisible(false);
        else
            Grid->SetEnabled(false);
        ProcessPendingEvents();
        // Hiding moves the focus on by itself; a disabled grid loses it when the user goes on.
        Other->SetFocus();
        ProcessPendingEvents();
        EXPECT_TRUE(Other->Focused()) << "the grid cannot take the focus back";
        EXPECT_TRUE(Grid->GetEditorMode()) << "the refused edit stays open";
        EXPECT_EQ(Exits, 0);
        // Shown and enabled again, the grid takes the focus and the edit can end.
        Grid->SetVisible(true);
        Grid->SetEnabled(true);
        Grid->SetFocus();
        ProcessPendingEvents();
        EXPECT_TRUE(Grid->Focused());
        Grid->OnCellChanged = nullptr;
        Other->SetFocus();
        ProcessPendingEvents();
        EXPECT_TRUE(Other->Focused());
        EXPECT_FALSE(Grid->GetEditorMode());
        EXPECT_EQ(Cell(2, 2)->GetText(), "bad");
        EXPECT_EQ(Exits, 1);
    }
}

TEST_F(KeyboardTest, ARefusedEditRefusesTheFormsCloseOnce) {
    int AppAsked = 0;
    Form->OnCloseQuery = [&](TObject*, bool&) { ++AppAsked; };
    bool Allow = false;
    OpenRefusedEdit(&Allow);
    ProcessPendingEvents();
    // A click elsewhere asks first (the form's cancel-mode), then the close asks again: the
    // hook made by the first refusal stays the one in place.
    Form->Perform(CM_CANCELMODE, 0, 0);
    Editor()->Perform(CM_CANCELMODE, 0, reinterpret_cast<std::intptr_t>(Form.Get()));
    Form->Close();
    EXPECT_TRUE(Form->GetVisible());
    EXPECT_EQ(AppAsked, 0);
    Allow = true;
    Form->Close();
    EXPECT_EQ(AppAsked, 1) << "the application's handler is back";
    EXPECT_FALSE(Form->GetVisible());
    EXPECT_EQ(Cell(2, 2)->GetText(), "bad");
}

TEST_F(KeyboardTest, DestroyedGridPutsTheFormsHandlerBack) {
    int AppAsked = 0;
    Form->OnCloseQuery = [&](TObject*, bool&) { ++AppAsked; };
    OpenRefusedEdit();
    Editor()->Perform(CM_CANCELMODE, 0, reinterpret_cast<std::intptr_t>(Form.Get()));
    delete Grid;
    Grid = nullptr;
    Form->Close();
    EXPECT_EQ(AppAsked, 1);
}

}  // namespace
}  // namespace carrelon::test

namespace carrelon::test {
namespace {

class HideSelectionTest : public GridPaintTest {};

TEST_F(HideSelectionTest, SelectionShowsOnlyWhileFocusedWhenHidden) {
    auto* Other = new TEdit(Form.get());
    Other->SetParent(Form.get());
    Other->SetBounds(0, 420, 50, 16);
    Grid->SetFocus();
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 1));
    const TRect R = Grid->CellRect(2, 1);
    const int X = R.Left + 3, Y = R.Bottom - 3;
    struct Case {
        bool Hide, Focused;
        TColor Colour;
    } Cases[] = {{false, true, ColorToRGB(clHighlight)},
                 {false, false, ColorToRGB(clHighlight)},
                 {true, true, ColorToRGB(clHighlight)},
                 {true, false, ColorToRGB(clWindow)}};
    for (const Case& C : Cases) {
        Grid->SetHideSelection(C.Hide);
        if (C.Focused)
            Grid->SetFocus();
        else
            Other->SetFocus();
        ProcessPendingEvents();
        PaintGrid();
        EXPECT_EQ(PixelAt(X, Y), C.Colour) << C.Hide << C.Focused;
    }
}

}  // namespace
}  // namespace carrelon::test
