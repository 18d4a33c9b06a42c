#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>

#include "platform/controls/RichEdit.h"
#include "platform/controls/TextAlign.h"
#include "platform/controls/WinUser.h"
#include "platform/controls/WindowWidgetQt.h"
#include "platform/grids/Grids.h"
#include "tests/support/ControlsTestProbe.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

struct RichEditOnForm : ::testing::Test {
    TTestForm Form;
    TRichEdit* Edit = nullptr;
    void SetUp() override {
        Edit = Form.Add<TRichEdit>(10, 10, 200, 80);
        Edit->SetFocus();
        ProcessPendingEvents();
    }
};

}  // namespace

TEST_F(RichEditOnForm, TextKeepsCrLfAndPositionsCountItAsTwo) {
    Edit->SetText("ab\r\ncé😀d");
    EXPECT_EQ(Edit->GetText(), "ab\r\ncé😀d");
    EXPECT_EQ(Edit->GetTextLength(), 8);
    struct Case {
        int Start, Length;
        const char* Sel;
    };
    for (Case C : {Case{0, 2, "ab"}, Case{2, 2, "\r\n"}, Case{4, 3, "cé😀"}, Case{6, 2, "😀d"},
                   Case{1, 4, "b\r\nc"}, Case{8, 5, ""}}) {
        Edit->SetSelStart(C.Start);
        Edit->SetSelLength(C.Length);
        EXPECT_EQ(Edit->GetSelText(), C.Sel) << C.Start << "+" << C.Length;
        EXPECT_EQ(Edit->GetSelStart(), std::min(C.Start, 8)) << C.Start;
    }
    Edit->SetText("x\ry\nz");
    EXPECT_EQ(Edit->GetText(), "x\r\ny\r\nz") << "lone CR and LF become line breaks";
}

TEST_F(RichEditOnForm, TypedKeysPassKeyDownAndKeyPressBeforeTheText) {
    Edit->SetText("");
    Edit->OnKeyPress = [](TObject*, char32_t& Key) {
        if (Key == U'x') Key = 0;
        if (Key == U'a') Key = U'A';
    };
    TypeText(Edit, "abxc");
    EXPECT_EQ(Edit->GetText(), "Abc");
    Edit->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == VK_LEFT) Key = 0;
    };
    PressKey(Edit, VK_LEFT);
    EXPECT_EQ(Edit->GetSelStart(), 3) << "a swallowed arrow does not move the caret";
    Edit->OnKeyDown = nullptr;
    PressKey(Edit, VK_LEFT);
    EXPECT_EQ(Edit->GetSelStart(), 2);
    PressKey(Edit, VK_BACK);
    EXPECT_EQ(Edit->GetText(), "Ac");
    PressKey(Edit, VK_RETURN);
    EXPECT_EQ(Edit->GetText(), "A\r\nc");
    EXPECT_EQ(Edit->GetSelStart(), 3);
}

TEST_F(RichEditOnForm, PostedLineFeedCharacterInsertsALineBreak) {
    Edit->SetText("ab");
    Edit->SetSelStart(1);
    PostMessageA(Edit->GetHandle(), WM_CHAR, 10, 0);
    ProcessPendingEvents();
    EXPECT_EQ(Edit->GetText(), "a\r\nb");
}

TEST_F(RichEditOnForm, MaxLengthStopsTypingAndCutsPastesCountingBreaksAsTwo) {
    Edit->SetMaxLength(5);
    Edit->SetText("abc");
    Edit->SetSelStart(3);
    PressKey(Edit, VK_RETURN);
    EXPECT_EQ(Edit->GetText(), "abc\r\n");
    TypeText(Edit, "z");
    EXPECT_EQ(Edit->GetText(), "abc\r\n");
    Edit->SetText("ab");
    Edit->SetSelStart(2);
    QGuiApplication::clipboard()->setText("12345");
    Edit->PasteFromClipboard();
    EXPECT_EQ(Edit->GetText(), "ab123");
    Edit->SetText("ab");
    Edit->SetSelStart(0);
    Edit->SetSelLength(2);
    Edit->Perform(EM_PASTESPECIAL, 1, 0);
    EXPECT_EQ(Edit->GetText(), "12345") << "the selection makes room";
}

TEST_F(RichEditOnForm, ChangeReachesTheParentAsEnChangeAndReflectsAsOnChange) {
    std::vector<std::intptr_t> Commands;
    auto Saved = Form->GetWindowProc();
    Form->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == WM_COMMAND && HiWordSigned(M.WParam) == EN_CHANGE)
            Commands.push_back(M.LParam);
        Saved(M);
    });
    int Changes = 0, ControlChanged = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    auto EditSaved = Edit->GetWindowProc();
    Edit->SetWindowProc([&, EditSaved](TMessage& M) {
        if (M.Msg == CM_CHANGED) ++ControlChanged;
        EditSaved(M);
    });
    TypeText(Edit, "q");
    ASSERT_EQ(Commands.size(), 1u);
    EXPECT_EQ(Commands[0], reinterpret_cast<std::intptr_t>(Edit->GetHandle()));
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(ControlChanged, 1);
    Form->SetWindowProc(nullptr);
    Edit->SetWindowProc(nullptr);
}

TEST_F(RichEditOnForm, LineMessagesCountDisplayLines) {
    Edit->SetText("one\r\ntwo\r\nthree");
    EXPECT_EQ(Edit->Perform(EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(Edit->Perform(EM_LINEFROMCHAR, 0, 0), 0);
    EXPECT_EQ(Edit->Perform(EM_LINEFROMCHAR, 5, 0), 1);
    EXPECT_EQ(Edit->Perform(EM_LINEFROMCHAR, 10, 0), 2);
    Edit->SetSelStart(6);
    EXPECT_EQ(Edit->Perform(EM_LINEFROMCHAR, static_cast<std::intptr_t>(-1), 0), 1);
    AnsiString Line;
    Edit->GetLine(2, Line);
    EXPECT_EQ(Line, "three");
    Edit->SetWordWrap(true);
    Edit->SetText(AnsiString(200, 'w').insert(100, " "));
    ProcessPendingEvents();
    EXPECT_GT(Edit->GetLineCount(), 1) << "a wrapped paragraph counts its display lines";
}

TEST_F(RichEditOnForm, GrowingContentRequestsItsHeight) {
    std::vector<int> Heights;
    Edit->OnResizeRequest = [&](TObject*, const TRect& R) { Heights.push_back(R.Height()); };
    Edit->SetText("one");
    ProcessPendingEvents();
    Heights.clear();
    Edit->SetText("one\r\ntwo\r\nthree");
    ProcessPendingEvents();
    ASSERT_FALSE(Heights.empty());
    const int Three = Heights.back();
    Edit->SetText("one");
    ProcessPendingEvents();
    EXPECT_LT(Heights.back(), Three);
}

TEST_F(RichEditOnForm, SelectionChangesAreReported) {
    int Reports = 0;
    Edit->SetText("hello");
    Edit->OnSelectionChange = [&](TObject*) { ++Reports; };
    Edit->SelectAll();
    EXPECT_GE(Reports, 1);
    EXPECT_EQ(Edit->GetSelText(), "hello");
}

TEST_F(RichEditOnForm, DialogCodeWantsArrowsCharsAndAllKeysButNotTab) {
    const std::intptr_t Code = Edit->Perform(WM_GETDLGCODE, 0, 0);
    EXPECT_NE(Code & DLGC_WANTARROWS, 0);
    EXPECT_NE(Code & DLGC_WANTCHARS, 0);
    EXPECT_NE(Code & DLGC_WANTALLKEYS, 0);
    EXPECT_EQ(Code & DLGC_WANTTAB, 0);
    EXPECT_NE(GetWindowLongA(Edit->GetHandle(), GWL_STYLE) & ES_MULTILINE, 0);
}

TEST_F(RichEditOnForm, ScrollBarsFollowTheWindowStyle) {
    Edit->SetScrollBars(ssVertical);
    EXPECT_NE(GetWindowLongA(Edit->GetHandle(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(GetWindowLongA(Edit->GetHandle(), GWL_STYLE) & WS_HSCROLL, 0);
    Edit->SetScrollBars(ssNone);
    EXPECT_EQ(GetWindowLongA(Edit->GetHandle(), GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(RichEditOnForm, UndoClearSelectionCutAndCopy) {
    Edit->SetText("abcdef");
    Edit->SetSelStart(1);
    Edit->SetSelLength(2);
    Edit->CutToClipboard();
    EXPECT_EQ(Edit->GetText(), "adef");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "bc");
    Edit->SetSelStart(0);
    Edit->SetSelLength(1);
    Edit->ClearSelection();
    EXPECT_EQ(Edit->GetText(), "def");
    EXPECT_TRUE(Edit->GetCanUndo());
    Edit->Undo();
    EXPECT_EQ(Edit->GetText(), "adef");
}

// Cells and the editor share one alignment type (this file includes both declarations).
static_assert(std::is_same_v<decltype(std::declval<TCustomRichEdit>().GetAlignment()), TAlignment>);

TEST_F(RichEditOnForm, AlignmentAppliesToEveryParagraph) {
    Edit->SetText("a\r\nb");
    Edit->SetAlignment(taCenter);
    Edit->SetSelStart(3);
    EXPECT_EQ(Edit->GetParagraph()->GetAlignment(), taCenter);
    Edit->GetParagraph()->SetAlignment(taRightJustify);
    EXPECT_EQ(Edit->GetParagraph()->GetAlignment(), taRightJustify);
}

TEST(RichEditFind, WholeWordAndCaseFindTheRightPlace) {
    TRichEdit Hidden(nullptr);
    Hidden.SetText("Cat concat\r\ncat, CAT_x cat");
    struct Case {
        const char* Pattern;
        int Start;
        int Length;
        TSearchTypes Options;
        int Expected;
    };
    const Case Cases[] = {
        {"cat", 0, -1, {}, 0},
        {"cat", 0, -1, {stMatchCase}, 7},
        {"cat", 0, -1, {stMatchCase, stWholeWord}, 12},
        {"cat", 13, -1, {stWholeWord}, 23},
        {"CAT", 0, -1, {stMatchCase, stWholeWord}, -1},
        {"cat", 1, 6, {}, -1},
        {"cat", 1, 9, {}, 7},
        {"t\r\nc", 0, -1, {}, 9},
        {"", 0, -1, {}, -1},
        {"cat", 99, -1, {}, -1},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Hidden.FindText(C.Pattern, C.Start, C.Length, C.Options), C.Expected)
            << C.Pattern << " from " << C.Start;
}

TEST_F(RichEditOnForm, OnlyARealTextChangeNotifies) {
    int Changes = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    Edit->SetText("same");
    EXPECT_EQ(Changes, 1);
    Edit->SetText("same");
    Edit->SetAlignment(taCenter);
    EXPECT_EQ(Changes, 1) << "an unchanged text or a new alignment is no change";
    TypeText(Edit, "x");
    EXPECT_EQ(Changes, 2);
}

TEST_F(RichEditOnForm, CaretPosIsTheSelectionStartByDisplayLine) {
    Edit->SetText("ab\r\ncde");
    Edit->SetSelStart(5);
    Edit->SetSelLength(2);
    const TPoint P = Edit->GetCaretPos();
    EXPECT_EQ(P.X, 1);
    EXPECT_EQ(P.Y, 1);
    Edit->SetSelStart(0);
    EXPECT_EQ(Edit->GetCaretPos().Y, 0);
}

TEST_F(RichEditOnForm, MouseOnTheTextPassesTheControlFirst) {
    int Presses = 0;
    Edit->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++Presses; };
    Edit->SetText("abcdef");
    Edit->SetSelStart(0);
    auto* Area = qobject_cast<QAbstractScrollArea*>(Edit->GetHandle()->Inner());
    ASSERT_NE(Area, nullptr);
    QWidget* Viewport = Area->viewport();
    const QPointF P(Viewport->width() - 2, 3);
    QMouseEvent Down(QEvent::MouseButtonPress, P, Viewport->mapToGlobal(P), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Viewport, &Down);
    QMouseEvent Up(QEvent::MouseButtonRelease, P, Viewport->mapToGlobal(P), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Viewport, &Up);
    EXPECT_EQ(Presses, 1);
    EXPECT_EQ(Edit->GetSelStart(), 6) << "the text still takes the click";
}

TEST_F(RichEditOnForm, DragMessagesReachDragOverAndDragDrop) {
    TPoint Over{-1, -1}, Dropped{-1, -1};
    TDragRec Rec;
    Rec.Pos = Edit->ClientToScreen({5, 6});
    EXPECT_EQ(Edit->Perform(CM_DRAG, 0, reinterpret_cast<std::intptr_t>(&Rec)), 0)
        << "nothing accepts without a handler";
    Edit->OnDragOver = [&](TObject*, TObject*, int X, int Y, TDragState, bool&) { Over = {X, Y}; };
    Edit->OnDragDrop = [&](TObject*, TObject*, int X, int Y) { Dropped = {X, Y}; };
    EXPECT_EQ(Edit->Perform(CM_DRAG, 0, reinterpret_cast<std::intptr_t>(&Rec)), 1);
    Rec.DragMessage = dmDragDrop;
    Edit->Perform(CM_DRAG, 0, reinterpret_cast<std::intptr_t>(&Rec));
    EXPECT_EQ(Over.X, 5);
    EXPECT_EQ(Over.Y, 6);
    EXPECT_EQ(Dropped.X, 5);
}

TEST_F(RichEditOnForm, ImeCompositionStateFollowsTheInputMethod) {
    EXPECT_FALSE(ImeComposing(Edit->GetHandle()));
    QInputMethodEvent Preedit("ka", {});
    QCoreApplication::sendEvent(Edit->GetHandle()->Inner(), &Preedit);
    EXPECT_TRUE(ImeComposing(Edit->GetHandle()));
    QInputMethodEvent Commit;
    Commit.setCommitString("ka");
    QCoreApplication::sendEvent(Edit->GetHandle()->Inner(), &Commit);
    EXPECT_FALSE(ImeComposing(Edit->GetHandle()));
}
