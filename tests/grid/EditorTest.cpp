// The in-place editor on a shown form, driven by real key events: opening and its refusals,
// closing with the application's say, the commit into cells and formulas, the keys it hands
// back to the grid, row growth, the scroll bar, the menu and the editor properties.
#include <QAbstractScrollArea>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "grid/CarrelonInplaceEditor.h"
#include "platform/controls/Menus.h"
#include "platform/controls/WinUser.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"
#include "tests/support/ShownGridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class EditorTest : public ::testing::Test {
public:
    void SetUp() override {
        Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
        Grid->SetFocus();
        ProcessPendingEvents();
    }

    TCarrelonInplaceEditor* Editor() const { return Access::Internals(Grid).FInplaceEditor; }
    TCarrelonCell* Cell(int C, int R) const { return Grid->GetCells(C, R); }
    // Opens the editor on (C, R) with F2.
    void EditAt(int C, int R) {
        ASSERT_TRUE(Grid->FocusCell(C, R) || (Grid->GetCol() == C && Grid->GetRow() == R));
        PressKey(Grid, VK_F2);
        ProcessPendingEvents();
        ASSERT_TRUE(Grid->GetEditorMode());
    }
    void Type(const AnsiString& Text) {
        TypeText(Editor(), Text);
        ProcessPendingEvents();
    }
    void SetOption(TCarrelonOption O, bool On) {
        Grid->SetOptions(With(Grid->GetOptions(), O, On));
    }
    void SetEditorOption(TCarrelonEditorOption O, bool On) {
        Grid->SetEditorOptions(With(Grid->GetEditorOptions(), O, On));
    }

    TTestForm Form;
    TTestGrid* Grid = nullptr;
};

// ---- opening ------------------------------------------------------------------------------

TEST_F(EditorTest, RefusedOpeningsFireNothing) {
    struct Case {
        const char* Name;
        std::function<void(EditorTest&)> Arrange;
    } Cases[] = {
        {"editing off", [](EditorTest& T) { T.SetOption(cloEditing, false); }},
        {"row select", [](EditorTest& T) { T.SetOption(cloRowSelect, true); }},
        {"read-only", [](EditorTest& T) { T.Cell(1, 1)->SetReadOnly(true); }},
        {"check box", [](EditorTest& T) { T.Cell(1, 1)->SetCheckBox(true); }},
        {"button", [](EditorTest& T) { T.Cell(1, 1)->SetButton(true); }},
        {"selecting", [](EditorTest& T) { T.Grid->FGridState = gsSelecting; }},
        {"not active", [](EditorTest& T) { T.Form.Add<TRichEdit>(0, 285, 100, 10)->SetFocus(); }},
        {"design time", [](EditorTest& T) { T.Grid->SetDesigning(true); }},
        {"no current cell",
         [](EditorTest& T) {
             T.Grid->SetFixedRows(T.Grid->GetRowCount());
             ASSERT_EQ(T.Grid->GetRow(), -1);
         }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        delete Grid;
        Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
        Grid->SetFocus();
        int Events = 0;
        Grid->OnGetEditText = [&](TObject*, int, int, AnsiString&) { ++Events; };
        Grid->OnSetEditText = [&](TObject*, int, int, const AnsiString&) { ++Events; };
        C.Arrange(*this);
        Grid->SetEditorMode(true);
        EXPECT_FALSE(Grid->GetEditorMode());
        EXPECT_EQ(Events, 0);
        Grid->FGridState = gsNormal;
    }
}

TEST_F(EditorTest, OpeningTextOfFormulaErrorAndTextCells) {
    Grid->SetSpreadsheetEnabled(true);
    Cell(1, 2)->SetText("5");
    Cell(1, 1)->SetFormula("b3*2");
    // An error flag without a formula (as a load can leave it) opens empty.
    Cell(2, 1)->SetText("#VALUE!");
    Access::WriteFError(Cell(2, 1), true);
    Cell(3, 1)->SetText("plain");
    const std::pair<int, const char*> Cases[] = {{1, "=B3*2"}, {2, ""}, {3, "plain"}};
    for (auto [Col, Expected] : Cases) {
        EditAt(Col, 1);
        EXPECT_EQ(Editor()->GetText(), Expected) << "column " << Col;
        PressKey(Editor(), VK_ESCAPE);
    }
}

TEST_F(EditorTest, GetEditTextHandlerTextCountsAsAChange) {
    Cell(1, 1)->SetText("old");
    Grid->OnGetEditText = [](TObject*, int, int, AnsiString& Value) { Value = "given"; };
    int Changed = 0;
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString&, AnsiString&, bool&) {
        ++Changed;
    };
    EditAt(1, 1);
    EXPECT_EQ(Editor()->GetText(), "given");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(Cell(1, 1)->GetText(), "given");
}

TEST_F(EditorTest, TypedCharacterUnderEachCaretOption) {
    struct Case {
        TCarrelonEditorOption Option;
        const char* Expected;
    } Cases[] = {
        {eoShowOnChar, "xabc"}, {eoClearOnChar, "x"}, {eoCursorAtEnd, "abcx"}, {eoSelectAll, "x"}};
    for (const Case& C : Cases) {
        Grid->SetEditorOptions(TCarrelonEditorOptions{eoShowOnChar, C.Option});
        Cell(1, 1)->SetText("abc");
        TypeText(Grid, "x");
        ProcessPendingEvents();
        ASSERT_TRUE(Grid->GetEditorMode());
        EXPECT_EQ(Editor()->GetText(), C.Expected) << "option " << C.Option;
        PressKey(Editor(), VK_ESCAPE);
        EXPECT_EQ(Cell(1, 1)->GetText(), "abc");
    }
}

TEST_F(EditorTest, RefusedClearingOpeningLeavesNothingPending) {
    SetEditorOption(eoClearOnChar, true);
    Cell(1, 1)->SetText("keep");
    Cell(1, 1)->SetReadOnly(true);
    TypeText(Grid, "x");
    ProcessPendingEvents();
    EXPECT_FALSE(Grid->GetEditorMode());
    Cell(1, 1)->SetReadOnly(false);
    EditAt(1, 1);
    EXPECT_EQ(Editor()->GetText(), "keep");
}

TEST_F(EditorTest, TallMergedCellBelowTheViewScrollsOnce) {
    Grid->SetRowCount(200);
    MakeMergedCell(Grid, 1, 150, 1, 170);
    ASSERT_TRUE(Grid->FocusCell(1, 150));
    Grid->SetTopRow(1);
    int TopLeftChanges = 0;
    Grid->OnTopLeftChanged = [&](TObject*) { ++TopLeftChanges; };
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(TopLeftChanges, 1);
    // Twenty-one rows of 18 pixels do not fit: the cell's top row reaches the top, and the
    // editor is cut at the client's bottom.
    EXPECT_EQ(Grid->GetTopRow(), 150);
    EXPECT_EQ(Editor()->GetTop() + Editor()->GetHeight(), Grid->GetClientHeight());
}

TEST_F(EditorTest, CellBelowTheViewComesUpJustEnough) {
    Grid->SetRowCount(100);
    ASSERT_TRUE(Grid->FocusCell(1, 60));
    Grid->SetTopRow(1);
    Grid->SetEditorMode(true);
    const int Bottom = Editor()->GetTop() + Editor()->GetHeight();
    EXPECT_LE(Bottom, Grid->GetClientHeight());
    EXPECT_GT(Bottom + Grid->GetRowHeights(60), Grid->GetClientHeight())
        << "scrolled one row too far";
}

TEST_F(EditorTest, CellRightOfTheViewOpensWithNoWidthAndComesIntoViewOnTyping) {
    Grid->SetColCount(20);
    ASSERT_TRUE(Grid->FocusCell(10, 1));
    Grid->SetLeftCol(1);
    ASSERT_GT(Access::Internals(Grid).GetX(10), Grid->GetClientWidth());
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Access::Internals(Grid).EditorRect().Width(), 0)
        << "a cell past the client's right edge leaves no room";
    EXPECT_EQ(Editor()->GetWidth(), 0);
    EXPECT_EQ(Editor()->GetLeft(), Access::Internals(Grid).GetX(10));
    Type("z");
    EXPECT_EQ(Grid->GetLeftCol(), 10 - Grid->GetVisibleColCount())
        << "the typed character brings the column into view";
    const TRect R = Grid->CellRect(10, 1);
    EXPECT_EQ(Editor()->GetLeft(), R.Left);
    EXPECT_EQ(Editor()->GetWidth(), R.Width());
    EXPECT_EQ(Editor()->GetText(), "z");
}

// Types a line and then Lines more lines (Enter, a character) into the open editor.
void TypeLines(EditorTest& T, int Lines) {
    T.Type("a");
    for (int i = 0; i < Lines; ++i) {
        PressKey(T.Editor(), VK_RETURN);
        T.Type("b");
    }
}

TEST_F(EditorTest, RowGrowingPastTheClientsBottomLiftsTheViewJustEnough) {
    Grid->SetRowCount(40);
    const int Last = Grid->GetTopRow() + Grid->GetVisibleRowCount() - 1;
    EditAt(1, Last);
    std::vector<int> EditorTops;
    Grid->OnTopLeftChanged = [&](TObject*) { EditorTops.push_back(Editor()->GetTop()); };
    TypeLines(*this, 3);
    const int Height = Grid->GetRowHeights(Last);
    ASSERT_GT(Height, 3 * 13) << "four lines grew the row";
    EXPECT_GT(Grid->GetTopRow(), 1);
    EXPECT_LE(static_cast<int>(EditorTops.size()), 3) << "at most one scroll per growth";
    const int Y = Access::Internals(Grid).GetY(Last);
    EXPECT_EQ(Editor()->GetTop(), Y) << "the editor stays on its cell";
    EXPECT_EQ(Editor()->GetHeight(), Height - 1);
    const int Bottom = Y + Height - 1;
    EXPECT_LE(Bottom, Grid->GetClientHeight());
    EXPECT_GT(Bottom + Grid->GetRowHeights(Grid->GetTopRow() - 1), Grid->GetClientHeight())
        << "scrolled one row too far";
}

TEST_F(EditorTest, RowGrowingPastTheBottomWithItsTopAboveTheViewIsCutThere) {
    // A merged cell whose first row has scrolled above the view: the top row is past the
    // cell's own, so no scroll can lift it; the editor is cut at the client's bottom.
    Grid->SetRowCount(40);
    Grid->SetHeight(120);
    ProcessPendingEvents();
    MakeMergedCell(Grid, 1, 3, 1, 5);
    EditAt(1, 3);
    Grid->SetTopRow(4);
    ASSERT_TRUE(IsWindowVisible(Editor()->GetHandle()));
    int TopLeftChanges = 0;
    Grid->OnTopLeftChanged = [&](TObject*) { ++TopLeftChanges; };
    TypeLines(*this, 9);
    EXPECT_EQ(Grid->GetTopRow(), 4);
    EXPECT_EQ(TopLeftChanges, 0);
    EXPECT_EQ(Editor()->GetTop() + Editor()->GetHeight(), Grid->GetClientHeight());
    EXPECT_TRUE(Grid->GetEditorMode());
}

TEST_F(EditorTest, RowGrowingTallerThanTheViewStopsWithTheCellAtTheTop) {
    Grid->SetRowCount(40);
    Grid->SetHeight(120);
    ProcessPendingEvents();
    // Rows of no height between the view's top and the cell lift nothing.
    const int Last = Grid->GetTopRow() + Grid->GetVisibleRowCount() - 1;
    EditAt(1, Last + 3);
    Grid->SetTopRow(Last);
    for (int r = Last; r < Last + 3; ++r)
        Grid->SetRowHeights(r, 0);
    ASSERT_TRUE(IsWindowVisible(Editor()->GetHandle()));
    TypeLines(*this, 9);
    EXPECT_EQ(Grid->GetTopRow(), Last + 3);
    EXPECT_EQ(Editor()->GetTop(), Access::Internals(Grid).GetY(Last + 3));
    EXPECT_EQ(Editor()->GetTop() + Editor()->GetHeight(), Grid->GetClientHeight());
}

TEST_F(EditorTest, EditorFollowsItsCellAsTheGridScrollsAndHidesWhileItIsOut) {
    Grid->SetRowCount(40);
    Grid->SetColCount(20);
    EditAt(2, 5);
    Type("k");
    std::vector<int> TopsSeen;
    Grid->OnTopLeftChanged = [&](TObject*) { TopsSeen.push_back(Editor()->GetTop()); };
    const HWND Handle = Grid->GetHandle();
    SendMessageA(Handle, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(Handle, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(Grid->GetTopRow(), 3);
    TRect R = Grid->CellRect(2, 5);
    EXPECT_EQ(Editor()->GetTop(), R.Top);
    EXPECT_EQ(Editor()->GetLeft(), R.Left);
    ASSERT_FALSE(TopsSeen.empty());
    EXPECT_EQ(TopsSeen.back(), R.Top) << "OnTopLeftChanged fires once the editor has moved";
    for (int i = 0; i < 3; ++i)
        SendMessageA(Handle, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_FALSE(IsWindowVisible(Editor()->GetHandle())) << "its row is above the view";
    EXPECT_TRUE(Grid->GetEditorMode());
    SendMessageA(Handle, WM_VSCROLL, SB_LINEUP, 0);
    SendMessageA(Handle, WM_VSCROLL, SB_LINEUP, 0);
    ProcessPendingEvents();
    R = Grid->CellRect(2, 5);
    EXPECT_TRUE(IsWindowVisible(Editor()->GetHandle()));
    EXPECT_EQ(Editor()->GetTop(), R.Top);
    EXPECT_EQ(GetFocus(), Editor()->GetHandle()) << "typing goes on in the editor";
    Grid->SetLeftCol(3);
    EXPECT_FALSE(IsWindowVisible(Editor()->GetHandle())) << "its column is left of the view";
    Grid->SetLeftCol(1);
    EXPECT_TRUE(IsWindowVisible(Editor()->GetHandle()));
    EXPECT_EQ(Editor()->GetLeft(), Grid->CellRect(2, 5).Left);
    Type("m");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(2, 5)->GetText(), "km");
}

// ---- closing ------------------------------------------------------------------------------

TEST_F(EditorTest, UnchangedCloseAndEscapeCommitNothingButExitTheCell) {
    Cell(1, 1)->SetText("same");
    std::vector<std::string> Events;
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString&, AnsiString&, bool&) {
        Events.push_back("changed");
    };
    Grid->OnCellExit = [&](TCarrelon*, int C, int R) {
        Events.push_back("exit " + std::to_string(C) + "," + std::to_string(R));
    };
    EditAt(1, 1);
    Grid->SetEditorMode(false);
    EditAt(1, 1);
    Type("more");
    PressKey(Editor(), VK_ESCAPE);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(1, 1)->GetText(), "same");
    EXPECT_EQ(Events, (std::vector<std::string>{"exit 1,1", "exit 1,1"}));
}

TEST_F(EditorTest, CellChangedHandlerChangesOrRefuses) {
    bool Allow = false;
    AnsiString Replacement = "replaced";
    std::vector<std::string> Events;
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString& Old, AnsiString& New,
                              bool& AllowExit) {
        Events.push_back("changed " + Old + ">" + New);
        New = Replacement;
        AllowExit = Allow;
    };
    Grid->OnSetEditText = [&](TObject*, int, int, const AnsiString& V) {
        Events.push_back("set " + V);
    };
    Grid->OnCellExit = [&](TCarrelon*, int, int) { Events.push_back("exit"); };
    EditAt(1, 1);
    Events.clear();
    Type("t");
    Grid->SetEditorMode(false);
    EXPECT_TRUE(Grid->GetEditorMode()) << "a refused close keeps the editor open";
    EXPECT_EQ(Editor()->GetText(), "replaced");
    EXPECT_FALSE(Grid->FocusCell(2, 2)) << "gated operations are refused";
    EXPECT_EQ(Grid->GetCol(), 1);
    Allow = true;
    Replacement = "final";
    Events.clear();
    Grid->SetEditorMode(false);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(1, 1)->GetText(), "final");
    EXPECT_EQ(Events, (std::vector<std::string>{"changed >replaced", "exit"}))
        << "the replacement is not reported as an edit";
}

TEST_F(EditorTest, GatedOperationFromTheHandlerIsRefusedNotReentered) {
    int Calls = 0;
    bool Refused = false;
    Grid->OnCellChanged = [&](TCarrelon* G, int, int, const AnsiString&, AnsiString&, bool&) {
        ++Calls;
        G->SetRowCount(G->GetRowCount() + 1);
        Refused = G->GetRowCount() == 5;
        G->SetEditorMode(false);
    };
    EditAt(1, 1);
    Type("a");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Calls, 1);
    EXPECT_TRUE(Refused);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(1, 1)->GetText(), "a");
}

TEST_F(EditorTest, RefusedCloseRefusesTheLockWithoutUnbalancingIt) {
    Grid->OnCellChanged = [](TCarrelon*, int, int, const AnsiString&, AnsiString&,
                             bool& AllowExit) { AllowExit = false; };
    EditAt(1, 1);
    Type("x");
    EXPECT_EQ(Grid->DisableControls(), 0);
    EXPECT_EQ(Grid->EnableControls(), 0);
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
    Grid->OnCellChanged = nullptr;
    Grid->SetEditorMode(false);
    EXPECT_FALSE(Grid->GetEditorMode());
}

TEST_F(EditorTest, OfferedControlsThatCannotEditUseTheBuiltInEditor) {
    for (TWinControl* Offered : std::vector<TWinControl*>{Grid, Editor(), Form.Get()}) {
        Grid->OnGetEditControl = [&](TCarrelon*, int, int, TWinControl*& C) { C = Offered; };
        EditAt(1, 1);
        EXPECT_EQ(Access::Internals(Grid).FEditControl, nullptr);
        EXPECT_EQ(GetFocus(), Editor()->GetHandle());
        PressKey(Editor(), VK_ESCAPE);
    }
}

TEST_F(EditorTest, CancelRestoresEveryRowOfAMergedCell) {
    MakeMergedCell(Grid, 1, 1, 1, 2);
    EditAt(1, 1);
    Type("a");
    for (int i = 0; i < 4; ++i) {
        PressKey(Editor(), VK_RETURN);
        Type("b");
    }
    EXPECT_GT(Grid->GetRowHeights(2), 18) << "growth lands on the merge's end row";
    PressKey(Editor(), VK_ESCAPE);
    EXPECT_EQ(Grid->GetRowHeights(1), 18);
    EXPECT_EQ(Grid->GetRowHeights(2), 18);
}

TEST_F(EditorTest, FreedPendingResizeCellIsForgotten) {
    Access::Internals(Grid).FPendingResizeCell = Cell(1, 4);
    Grid->SetRowCount(3);
    EXPECT_EQ(Access::Internals(Grid).FPendingResizeCell, nullptr);
}

// ---- the commit ---------------------------------------------------------------------------

TEST_F(EditorTest, SpreadsheetCommitStoresTrimmedUpperCaseFormula) {
    Grid->SetSpreadsheetEnabled(true);
    Cell(2, 2)->SetText("4");
    Cell(3, 2)->SetFormula("B3+1");
    EditAt(1, 2);
    Type("  =c3*2  ");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(1, 2)->GetFormula(), "C3*2");
    EXPECT_EQ(Cell(1, 2)->GetText(), "8");
    EXPECT_EQ(Cell(3, 2)->GetText(), "9") << "the dependent formula follows";
    EditAt(2, 2);
    Editor()->SetText("41");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(1, 2)->GetText(), "82");
    EXPECT_EQ(Cell(3, 2)->GetText(), "83");
}

TEST_F(EditorTest, WithoutSpreadsheetModeTheTextIsKept) {
    EditAt(1, 1);
    Type("  =a1  ");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(1, 1)->GetFormula(), "");
    EXPECT_EQ(Cell(1, 1)->GetText(), "  =a1");
}

// ---- keys ---------------------------------------------------------------------------------

TEST_F(EditorTest, KeysGoToTheGridAtTheEdgesOfTheText) {
    struct Case {
        const char* Text;
        int SelStart, SelLength;
        Word Key;
        TShiftState Shift;
        bool ToGrid;
    } Cases[] = {
        {"abc", 0, 0, VK_LEFT, {}, true},       {"abc", 0, 3, VK_LEFT, {}, true},
        {"abc", 0, 1, VK_LEFT, {}, false},      {"abc", 1, 0, VK_LEFT, {}, false},
        {"abc", 3, 0, VK_RIGHT, {}, true},      {"abc", 0, 3, VK_RIGHT, {}, true},
        {"abc", 1, 0, VK_RIGHT, {}, false},     {"abc", 3, 0, VK_RIGHT, {ssShift}, false},
        {"a\r\nb", 1, 0, VK_UP, {}, true},      {"a\r\nb", 3, 0, VK_UP, {}, false},
        {"a\r\nb", 0, 0, VK_DOWN, {}, false},   {"a\r\nbc", 3, 0, VK_DOWN, {}, true},
        {"a\r\n", 0, 0, VK_DOWN, {}, false},    {"", 0, 0, VK_DOWN, {}, true},
        {"x", 0, 0, VK_DOWN, {}, true},         {"abc", 1, 0, VK_TAB, {}, true},
        {"abc", 1, 0, VK_PRIOR, {}, true},      {"abc", 1, 0, VK_NEXT, {}, true},
        {"abc", 1, 0, VK_TAB, {ssAlt}, false},  {"abc", 0, 0, VK_HOME, {ssCtrl}, false},
        {"abc", 3, 0, VK_END, {ssCtrl}, false},
    };
    for (const Case& C : Cases) {
        EditAt(1, 1);
        Editor()->SetText(C.Text);
        Editor()->SetSelStart(C.SelStart);
        Editor()->SetSelLength(C.SelLength);
        bool InEditor = false;
        Editor()->OnKeyDown = [&](TObject*, Word&, TShiftState) { InEditor = true; };
        int GridSaw = 0;
        Grid->OnKeyDown = [&](TObject*, Word& K, TShiftState) { GridSaw += K == C.Key; };
        PressKey(Editor(), C.Key, C.Shift);
        EXPECT_EQ(!InEditor, C.ToGrid)
            << "key " << C.Key << " in '" << C.Text << "' at " << C.SelStart << "+" << C.SelLength;
        EXPECT_EQ(GridSaw, 1) << "the grid hears of every key once, key " << C.Key;
        Editor()->OnKeyDown = nullptr;
        Grid->OnKeyDown = nullptr;
        Grid->SetEditorMode(false);
    }
}

TEST_F(EditorTest, WrappedLinesCountForUpAndDown) {
    Grid->SetColWidths(1, 60);
    Cell(1, 1)->SetWordWrap(true);
    SetEditorOption(eoAutoIncreaseRowHeight, false);
    EditAt(1, 1);
    Editor()->SetText("aaaa bbbb cccc dddd");
    ASSERT_GT(Editor()->GetLineCount(), 1);
    Editor()->SetSelStart(1);
    bool InEditor = false;
    Editor()->OnKeyDown = [&](TObject*, Word&, TShiftState) { InEditor = true; };
    PressKey(Editor(), VK_DOWN);
    EXPECT_TRUE(InEditor) << "Down on the first display line of a wrapped text";
    Editor()->SetSelStart(Editor()->GetTextLength() - 1);
    InEditor = false;
    PressKey(Editor(), VK_UP);
    EXPECT_TRUE(InEditor);
}

TEST_F(EditorTest, ControlHomeAndEndGoToTheGridOnlyWithAnAlwaysShownEditor) {
    SetOption(cloAlwaysShowEditor, true);
    ASSERT_TRUE(Grid->FocusCell(3, 3));
    ProcessPendingEvents();
    ASSERT_TRUE(Grid->GetEditorMode());
    Editor()->SetText("a\r\nbc");
    Editor()->SetSelStart(3);
    PressKey(Editor(), VK_HOME, {ssCtrl});
    EXPECT_EQ(Editor()->GetSelStart(), 0) << "from the second line the editor moves its caret";
    EXPECT_EQ(Grid->GetCol(), 3);
    PressKey(Editor(), VK_HOME, {ssCtrl});
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_EQ(Grid->GetRow(), 1);
    EXPECT_EQ(Cell(3, 3)->GetText(), "a\r\nbc") << "the edit was committed on the way";
    ASSERT_TRUE(Grid->GetEditorMode()) << "and the editor opened again on the new cell";

    Editor()->SetText("xyz");
    Editor()->SetSelStart(1);
    PressKey(Editor(), VK_END, {ssCtrl});
    EXPECT_EQ(Editor()->GetSelStart(), 3) << "the editor moves its caret first";
    EXPECT_EQ(Grid->GetRow(), 1);
    PressKey(Editor(), VK_END, {ssCtrl});
    EXPECT_EQ(Grid->GetCol(), Grid->GetColCount() - 1);
    EXPECT_EQ(Grid->GetRow(), Grid->GetRowCount() - 1);
    EXPECT_EQ(Cell(1, 1)->GetText(), "xyz");
    EXPECT_TRUE(Grid->GetEditorMode());
    // Ctrl with Shift is no Ctrl alone: the key stays in the editor.
    Editor()->SetText("q");
    Editor()->SetSelStart(1);
    PressKey(Editor(), VK_END, {ssCtrl, ssShift});
    EXPECT_EQ(Grid->GetRow(), Grid->GetRowCount() - 1);
    EXPECT_EQ(Grid->GetCol(), Grid->GetColCount() - 1);
    EXPECT_TRUE(Grid->GetEditorMode());
}

TEST_F(EditorTest, PageKeysInTheEditorCommitAndPageTheGrid) {
    Grid->SetRowCount(40);
    const int V = Grid->GetVisibleRowCount();
    ASSERT_GE(V, 3);
    EditAt(1, 1);
    Type("paged");
    Editor()->SetSelStart(2);
    PressKey(Editor(), VK_NEXT);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(1, 1)->GetText(), "paged");
    EXPECT_EQ(Grid->GetRow(), V);
    EditAt(1, V);
    Type("back");
    PressKey(Editor(), VK_PRIOR);
    EXPECT_EQ(Cell(1, V)->GetText(), "back");
    EXPECT_EQ(Grid->GetRow(), 1);
}

TEST_F(EditorTest, AltTabStaysInTheEditorAndTypesNothing) {
    Cell(2, 2)->SetText("tab");
    EditAt(2, 2);
    PressKey(Editor(), VK_TAB, {ssAlt});
    ProcessPendingEvents();
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Editor()->GetText(), "tab");
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_EQ(GetFocus(), Editor()->GetHandle());
}

TEST_F(EditorTest, EnterAndShiftEnterMoveUnderSpreadsheetNavigation) {
    ASSERT_TRUE(Grid->GetOptions().Contains(cloMultiLineCells));
    Grid->SetSpreadsheetOptions(With(Grid->GetSpreadsheetOptions(), soExcelStyleNavigation, true));
    EditAt(2, 2);
    Type("down");
    PressKey(Editor(), VK_RETURN);
    ProcessPendingEvents();
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(2, 2)->GetText(), "down") << "no line break went in";
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_EQ(Grid->GetRow(), 3);
    EditAt(2, 3);
    Type("up");
    PressKey(Editor(), VK_RETURN, {ssShift});
    ProcessPendingEvents();
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Cell(2, 3)->GetText(), "up");
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 1) << "Shift+Enter extends no range";
    // Alt+Enter still breaks the line.
    EditAt(2, 2);
    Editor()->SetSelStart(Editor()->GetTextLength());
    PressKey(Editor(), VK_RETURN, {ssAlt});
    ProcessPendingEvents();
    EXPECT_EQ(Editor()->GetText(), "down\r\n");
    PressKey(Editor(), VK_ESCAPE);
}

TEST_F(EditorTest, CarriageReturnCharacterBreaksTheLineOnlyWhenEnterStaysInTheCell) {
    struct Case {
        const char* Name;
        bool Excel, Through, MultiLine;
        const char* Text;
    } Cases[] = {
        {"multi-line cells", false, false, true, "a\r\n"},
        {"spreadsheet navigation", true, false, true, "a"},
        {"enter through", false, true, true, "a"},
        {"single-line cells", false, false, false, "a"},
    };
    for (const Case& C : Cases) {
        Grid->SetSpreadsheetOptions(
            With(Grid->GetSpreadsheetOptions(), soExcelStyleNavigation, C.Excel));
        SetOption(cloEnterThrough, C.Through);
        SetOption(cloMultiLineCells, C.MultiLine);
        EditAt(1, 1);
        Editor()->SetText("a");
        Editor()->SetSelStart(1);
        // The character alone, without its key: what the character filter lets through.
        PostMessageA(Editor()->GetHandle(), WM_CHAR, 13, 0);
        ProcessPendingEvents();
        EXPECT_TRUE(Grid->GetEditorMode()) << C.Name;
        EXPECT_EQ(Editor()->GetText(), C.Text) << C.Name;
        PressKey(Editor(), VK_ESCAPE);
    }
}

TEST_F(EditorTest, EnterAndAltEnterUnderTheOptions) {
    struct Case {
        bool MultiLine, EnterThrough;
        Word Key;
        TShiftState Shift;
        const char* Text;
        bool Open;
    } Cases[] = {
        {true, false, VK_RETURN, {}, "a\r\nb", true},
        {false, false, VK_RETURN, {}, "ab", true},
        {true, true, VK_RETURN, {}, "a", false},
        {true, false, VK_RETURN, {ssAlt}, "a\r\nb", true},
        {false, false, VK_RETURN, {ssAlt}, "ab", true},
    };
    for (const Case& C : Cases) {
        SetOption(cloMultiLineCells, C.MultiLine);
        SetOption(cloEnterThrough, C.EnterThrough);
        Cell(1, 1)->SetText("");
        EditAt(1, 1);
        Type("a");
        PressKey(Editor(), C.Key, C.Shift);
        ProcessPendingEvents();
        if (Grid->GetEditorMode()) Type("b");
        EXPECT_EQ(Grid->GetEditorMode(), C.Open)
            << C.MultiLine << C.EnterThrough << C.Shift.ToInt();
        if (Grid->GetEditorMode()) {
            EXPECT_EQ(Editor()->GetText(), C.Text) << C.MultiLine << C.Shift.ToInt();
            PressKey(Editor(), VK_ESCAPE);
        } else {
            EXPECT_EQ(Cell(1, 1)->GetText(), C.Text);
            EXPECT_EQ(Grid->GetCol(), 2) << "Enter went on like Tab";
            Grid->FocusCell(1, 1);
        }
    }
}

TEST_F(EditorTest, CharacterFilterAndMaxLength) {
    Cell(1, 1)->SetMaxLength(4);
    Cell(1, 1)->SetText("toolong");
    EditAt(1, 1);
    EXPECT_EQ(Editor()->GetText(), "toolong") << "a programmatic text is never cut";
    Editor()->SetText("ab");
    Editor()->SetSelStart(2);
    Type("cdef");
    EXPECT_EQ(Editor()->GetText(), "abcd");
    Editor()->SetText("");
    QGuiApplication::clipboard()->setText("123456");
    PressKey(Editor(), 'V', {ssCtrl});
    EXPECT_EQ(Editor()->GetText(), "1234");
    PostMessageA(Editor()->GetHandle(), WM_CHAR, 27, 0);
    ProcessPendingEvents();
    EXPECT_TRUE(Grid->GetEditorMode()) << "Escape as a character does nothing";
}

TEST_F(EditorTest, PasteKeysFollowAllowPasteAndTheKeyHandler) {
    QGuiApplication::clipboard()->setText("clip");
    struct Case {
        bool Allow;
        Word Key;
        TShiftState Shift;
        Word HandlerKey;  // what the grid's OnKeyDown makes of the key (0: leaves it)
        const char* Text;
        int Heard;
    } Cases[] = {
        {true, 'V', {ssCtrl}, 0, "clip", 1},
        {false, 'V', {ssCtrl}, 0, "", 1},
        {true, VK_INSERT, {ssShift}, 0, "clip", 1},
        {true, 'V', {ssCtrl}, VK_LEFT, "", 2},
    };
    for (const Case& C : Cases) {
        SetEditorOption(eoAllowPaste, C.Allow);
        EditAt(1, 1);
        Editor()->SetText("");
        int Heard = 0;
        Grid->OnKeyDown = [&](TObject*, Word& K, TShiftState) {
            ++Heard;
            if (C.HandlerKey != 0 && (K == 'V' || K == VK_INSERT)) K = C.HandlerKey;
        };
        PressKey(Editor(), C.Key, C.Shift);
        EXPECT_EQ(Editor()->GetText(), C.Text) << C.Allow << " " << C.Key;
        EXPECT_EQ(Heard, C.Heard) << C.Allow << " " << C.Key;
        Grid->OnKeyDown = nullptr;
        PressKey(Editor(), VK_ESCAPE);
    }
}

// ---- size, scroll bar, menu, selection, dialog code, drags --------------------------------

TEST_F(EditorTest, RowGrowsAndShrinksWhileTyping) {
    EditAt(1, 1);
    const int Base = Grid->GetRowHeights(1);
    EXPECT_EQ(Editor()->GetHeight(), Base - 1) << "one line fits the row as it is";
    Type("a");
    PressKey(Editor(), VK_RETURN);
    Type("b");
    const int Grown = Grid->GetRowHeights(1);
    EXPECT_GT(Grown, Base);
    EXPECT_EQ(Editor()->GetHeight(), Grown - 1);
    PressKey(Editor(), VK_BACK);
    PressKey(Editor(), VK_BACK);
    ProcessPendingEvents();
    EXPECT_EQ(Grid->GetRowHeights(1), Base);
    Grid->SetEditorMode(false);
    EXPECT_EQ(Grid->GetRowHeights(1), Base);
}

TEST_F(EditorTest, NoGrowthWhileAnInputMethodComposes) {
    EditAt(1, 1);
    SetImeComposing(Editor()->GetHandle(), true);
    Type("a");
    PressKey(Editor(), VK_RETURN);
    Type("b");
    EXPECT_EQ(Grid->GetRowHeights(1), 18);
    SetImeComposing(Editor()->GetHandle(), false);
}

TEST_F(EditorTest, RowFittingWithTheEditorOpenMeasuresItsText) {
    Cell(1, 1)->SetText("one line");
    SetEditorOption(eoAutoIncreaseRowHeight, false);
    EditAt(1, 1);
    Editor()->SetText("a\r\nb\r\nc");
    const int Open = Access::CalcHeight(Cell(1, 1), -1);
    EXPECT_GT(Open, 18) << "three lines of the editor, not the cell's one";
    PressKey(Editor(), VK_ESCAPE);
    EXPECT_EQ(Access::CalcHeight(Cell(1, 1), -1), 18);
}

TEST_F(EditorTest, ScrollBarShowsOnlyWhileTheTextOverflows) {
    SetEditorOption(eoAutoIncreaseRowHeight, false);
    auto BarShown = [&] {
        return (GetWindowLongA(Editor()->GetHandle(), GWL_STYLE) & WS_VSCROLL) != 0;
    };
    for (bool Allowed : {false, true}) {
        Grid->SetInplaceScrollBar(Allowed);
        EditAt(1, 1);
        EXPECT_FALSE(BarShown());
        Type("a");
        PressKey(Editor(), VK_RETURN);
        Type("b");
        EXPECT_EQ(BarShown(), Allowed);
        // A later frame calculation keeps it while the text still overflows.
        SetWindowPos(Editor()->GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        EXPECT_EQ(BarShown(), Allowed);
        PressKey(Editor(), VK_BACK);
        PressKey(Editor(), VK_BACK);
        ProcessPendingEvents();
        EXPECT_FALSE(BarShown());
        PressKey(Editor(), VK_ESCAPE);
    }
}

TEST_F(EditorTest, MenuItemsAndPasteFollowingAllowPaste) {
    TPopupMenu* Menu = Editor()->GetPopupMenu();
    ASSERT_NE(Menu, nullptr);
    std::vector<AnsiString> Captions;
    for (int i = 0; i < Menu->GetItems()->GetCount(); ++i)
        Captions.push_back(Menu->GetItems()->GetItems(i)->GetCaption());
    EXPECT_EQ(Captions, (std::vector<AnsiString>{"Undo", "-", "Cu&t", "Copy", "Paste", "Delete",
                                                 "-", "Select All"}));
    TMenuItem* Paste = Menu->GetItems()->GetItems(4);
    EXPECT_TRUE(Paste->GetEnabled());
    SetEditorOption(eoAllowPaste, false);
    EXPECT_FALSE(Paste->GetEnabled());
    EditAt(1, 1);
    Editor()->SetText("hello");
    Menu->GetItems()->GetItems(7)->Click();
    EXPECT_EQ(Editor()->GetSelText(), "hello");
    Menu->GetItems()->GetItems(5)->Click();
    EXPECT_EQ(Editor()->GetText(), "");
}

TEST_F(EditorTest, MenuUndoCutCopyAndPasteActOnTheEditorsText) {
    TMenuItem* Items = Editor()->GetPopupMenu()->GetItems();
    EditAt(1, 1);
    Editor()->SetText("hello");
    ASSERT_TRUE(Grid->SetEditorSelection(1, 3));
    Items->GetItems(2)->Click();
    EXPECT_EQ(Editor()->GetText(), "ho");
    EXPECT_EQ(Clipboard()->GetAsText(), "ell");
    Items->GetItems(0)->Click();
    EXPECT_EQ(Editor()->GetText(), "hello") << "undo takes the cut back";
    ASSERT_TRUE(Grid->SetEditorSelection(0, 2));
    Items->GetItems(3)->Click();
    EXPECT_EQ(Clipboard()->GetAsText(), "he");
    EXPECT_EQ(Editor()->GetText(), "hello");
    // Pasted as plain text, over the selection.
    auto* Data = new QMimeData;
    Data->setText("XY");
    Data->setHtml("<b>XY</b>");
    QGuiApplication::clipboard()->setMimeData(Data);
    ASSERT_TRUE(Grid->SetEditorSelection(5, 0));
    Items->GetItems(4)->Click();
    EXPECT_EQ(Editor()->GetText(), "helloXY");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(1, 1)->GetText(), "helloXY");
}

TEST_F(EditorTest, RightClickInTheEditorShowsItsMenu) {
    EditAt(1, 1);
    MouseDown(Editor(), mbRight, 5, 5);
    MouseUp(Editor(), mbRight, 5, 5);
    ProcessPendingEvents();
    EXPECT_TRUE(Editor()->GetPopupMenu()->IsShowing());
    Editor()->GetPopupMenu()->CloseMenu();
}

TEST_F(EditorTest, CaretOptionsExcludeEachOther) {
    const TCarrelonEditorOptions Both{eoCursorAtEnd, eoSelectAll};
    Grid->SetEditorOptions({});
    Grid->SetEditorOptions(Both);
    EXPECT_EQ(Grid->GetEditorOptions(), TCarrelonEditorOptions{eoCursorAtEnd});
    // Adding the whole selection to a set with the caret at the end keeps the selection.
    Grid->SetEditorOptions(Both);
    EXPECT_EQ(Grid->GetEditorOptions(), TCarrelonEditorOptions{eoSelectAll});
}

TEST_F(EditorTest, SelectionEventsAndEditTextEvents) {
    std::vector<AnsiString> Selections, EditTexts;
    Grid->OnEditorSelectionChanged = [&](TCarrelon*, const AnsiString& S) {
        Selections.push_back(S);
    };
    Grid->OnSetEditText = [&](TObject*, int, int, const AnsiString& V) { EditTexts.push_back(V); };
    Cell(1, 1)->SetText("word");
    EditAt(1, 1);
    Grid->SetEditorSelection(1, 2);
    int Start = 0, Length = 0;
    AnsiString Selected;
    ASSERT_TRUE(Grid->GetEditorSelection(Start, Length, Selected));
    EXPECT_EQ(Selected, "or");
    Grid->SetEditorSelection(1, 2);
    Type("x");
    // Setting the start collapses the selection before the length widens it again.
    EXPECT_EQ(Selections, (std::vector<AnsiString>{"or", "", "or", ""}));
    EXPECT_EQ(EditTexts, (std::vector<AnsiString>{"word", "wxd"}));
    Grid->SetEditorMode(false);
    EXPECT_FALSE(Grid->GetEditorSelection(Start, Length, Selected));
}

TEST_F(EditorTest, DialogCodeAndDragMapping) {
    EditAt(2, 2);
    EXPECT_NE(Editor()->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
    SetOption(cloTabs, false);
    EditAt(2, 2);
    EXPECT_EQ(Editor()->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
    TPoint Seen{-1, -1};
    Grid->OnDragOver = [&](TObject*, TObject*, int X, int Y, TDragState, bool& Accept) {
        Seen = {X, Y};
        Accept = true;
    };
    TDragRec Rec;
    Rec.Source = Grid;
    Rec.Pos = Editor()->ClientToScreen({3, 4});
    EXPECT_EQ(Editor()->Perform(CM_DRAG, 0, reinterpret_cast<std::intptr_t>(&Rec)), 1);
    // Client coordinates: the editor's inner border lies between its edge and its client.
    EXPECT_EQ(Seen.X, Editor()->GetLeft() + Editor()->GetClientOrigin().X + 3);
    EXPECT_EQ(Seen.Y, Editor()->GetTop() + Editor()->GetClientOrigin().Y + 4);
}

TEST_F(EditorTest, DropOnTheEditorReachesTheGridAtTheSamePoint) {
    auto* Source = Form.Add<TRichEdit>(0, 285, 100, 10);
    EditAt(2, 2);
    std::vector<std::string> Events;
    auto At = [](const char* What, int X, int Y) {
        return std::string(What) + " " + std::to_string(X) + "," + std::to_string(Y);
    };
    Grid->OnDragOver = [&](TObject*, TObject* S, int X, int Y, TDragState, bool& Accept) {
        Events.push_back(At(S == Source ? "over" : "over from elsewhere", X, Y));
        Accept = true;
    };
    Grid->OnDragDrop = [&](TObject*, TObject* S, int X, int Y) {
        Events.push_back(At(S == Source ? "drop" : "drop from elsewhere", X, Y));
    };
    MouseMove(Source, 5, 5);
    Source->BeginDrag(true);
    MouseMove(Editor(), 3, 4);
    MouseDown(Editor(), mbLeft, 3, 4);
    MouseUp(Editor(), mbLeft, 3, 4);
    ProcessPendingEvents();
    const TPoint P = Grid->ScreenToClient(Editor()->ClientToScreen({3, 4}));
    EXPECT_EQ(Events, (std::vector<std::string>{At("over", P.X, P.Y), At("drop", P.X, P.Y)}));
    EXPECT_FALSE(Source->Dragging());
}

TEST_F(EditorTest, PropertiesActOnTheOpenEditor) {
    EditAt(1, 1);
    Grid->SetEditColor(clYellow);
    EXPECT_EQ(Editor()->GetColor(), clYellow);
    Grid->SetEditFontColor(clRed);
    EXPECT_EQ(Editor()->GetFont()->GetColor(), clRed);
    Grid->SetInplaceScrollBar(true);
    EXPECT_EQ(Editor()->GetScrollBars(), ssVertical);
    EXPECT_EQ(GetFocus(), Editor()->GetHandle());
    Grid->SetEditorMode(false);
    EXPECT_EQ(GetFocus(), Grid->GetHandle()) << "the focus comes back to the grid";
    Cell(1, 2)->SetText("x");
    EditAt(1, 2);
    EXPECT_EQ(Editor()->GetColor(), clYellow) << "the next opening takes the colours too";
}

TEST_F(EditorTest, FocusReturnsToTheGridEvenInsideALock) {
    EditAt(1, 1);
    Grid->DisableControls();
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(GetFocus(), Grid->GetHandle());
    Grid->EnableControls();
}

TEST_F(EditorTest, AlwaysShownEditorReopensAfterAMove) {
    SetOption(cloAlwaysShowEditor, true);
    Grid->FocusCell(2, 2);
    EXPECT_TRUE(Grid->GetEditorMode());
    Type("q");
    PressKey(Editor(), VK_TAB);
    EXPECT_EQ(Cell(2, 2)->GetText(), "q");
    EXPECT_EQ(Grid->GetCol(), 3);
    EXPECT_TRUE(Grid->GetEditorMode());
}

}  // namespace
}  // namespace carrelon::test
