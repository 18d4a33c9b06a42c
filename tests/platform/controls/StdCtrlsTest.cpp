// The standard controls an application hands the grid as editors.
#include <gtest/gtest.h>

#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "platform/rtl/Conversions.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

// Counts CM_CHANGED, the notification an editing hook follows.
struct TChangeCounter {
    TWinControl* C;
    TWndMethod Saved;
    int Count = 0;
    explicit TChangeCounter(TWinControl* AC) : C(AC), Saved(AC->GetWindowProc()) {
        C->SetWindowProc([this](TMessage& M) {
            if (M.Msg == CM_CHANGED) ++Count;
            Saved(M);
        });
    }
    ~TChangeCounter() { C->SetWindowProc(Saved); }
};

}  // namespace

TEST(StdCtrls, EditTextSelectionAndMaxLength) {
    TTestForm Form;
    auto* E = Form.Add<TEdit>(0, 0, 100, 21);
    TChangeCounter Changes(E);
    E->SetText("héllo");
    EXPECT_EQ(E->GetText(), "héllo");
    EXPECT_EQ(Changes.Count, 1);
    E->SetSelStart(1);
    E->SetSelLength(3);
    EXPECT_EQ(E->GetSelText(), "éll");
    EXPECT_EQ(E->GetSelStart(), 1);
    EXPECT_EQ(E->GetSelLength(), 3);
    E->SetMaxLength(6);
    E->SetFocus();
    E->SetSelStart(5);
    TypeText(E, "xyz");
    EXPECT_EQ(E->GetText(), "héllox");
    EXPECT_EQ(GetWindowLongA(E->GetHandle(), GWL_STYLE) & ES_MULTILINE, 0);
    EXPECT_EQ(E->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
}

TEST(StdCtrls, MemoKeepsLinesWithCrLfAndCountsABreakAsTwo) {
    TTestForm Form;
    auto* M = Form.Add<TMemo>(0, 0, 200, 80);
    EXPECT_NE(dynamic_cast<TCustomEdit*>(M), nullptr);
    EXPECT_NE(GetWindowLongA(M->GetHandle(), GWL_STYLE) & ES_MULTILINE, 0);
    const auto Code = M->Perform(WM_GETDLGCODE, 0, 0);
    EXPECT_NE(Code & DLGC_WANTARROWS, 0);
    EXPECT_NE(Code & DLGC_WANTALLKEYS, 0);
    M->SetText("ab\r\ncd");
    EXPECT_EQ(M->GetText(), "ab\r\ncd");
    M->SetSelStart(4);
    M->SetSelLength(2);
    EXPECT_EQ(M->GetSelText(), "cd");
    EXPECT_EQ(M->GetSelStart(), 4);
    M->SetSelStart(1);
    M->SetSelLength(3);
    EXPECT_EQ(M->GetSelText(), "b\r\n");
    // Enter and the arrows stay in the memo: a new line, the caret moves up a line.
    M->SetFocus();
    M->SetSelStart(6);
    PressKey(M, VK_RETURN);
    TypeText(M, "e");
    EXPECT_EQ(M->GetText(), "ab\r\ncd\r\ne");
    PressKey(M, VK_UP);
    EXPECT_TRUE(M->Focused());
    EXPECT_EQ(M->GetSelStart(), 5);
}

TEST(ComCtrls, SpinEditIsAnEditOverItsNumber) {
    TTestForm Form;
    auto* S = Form.Add<TCSpinEdit>(0, 0, 100, 22);
    auto* E = dynamic_cast<TCustomEdit*>(S);
    ASSERT_NE(E, nullptr);
    E->SetText("");
    E->SetText("42");
    EXPECT_EQ(S->GetValue(), 42);
    EXPECT_EQ(E->GetText(), "42");
    EXPECT_EQ(GetWindowLongA(S->GetHandle(), GWL_STYLE) & ES_MULTILINE, 0);
    S->SetFocus();
    E->SelectAll();
    EXPECT_EQ(E->GetSelLength(), 2);
    TypeText(S, "17");
    EXPECT_EQ(S->GetValue(), 17);
    EXPECT_EQ(E->GetSelStart(), 2);
}

TEST(StdCtrls, TabInAnEditMovesToTheNextControlThroughTheDialogKey) {
    TTestForm Form;
    auto* A = Form.Add<TEdit>(0, 0, 100, 21);
    auto* B = Form.Add<TEdit>(0, 30, 100, 21);
    A->SetFocus();
    std::vector<Cardinal> Seen;
    auto Saved = A->GetWindowProc();
    A->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == CN_KEYDOWN || M.Msg == WM_KEYDOWN) Seen.push_back(M.Msg);
        Saved(M);
    });
    KeyDownOnly(A, VK_TAB);
    EXPECT_TRUE(B->Focused());
    EXPECT_EQ(Seen, std::vector<Cardinal>{CN_KEYDOWN}) << "the hook sees the key before the form";
    A->SetWindowProc(nullptr);
}

TEST(StdCtrls, MaskEditRefusesToLeaveWithIncompleteInput) {
    TTestForm Form;
    auto* M = Form.Add<TMaskEdit>(0, 0, 100, 21);
    M->SetEditMask("00/00/0000;1;_");
    M->HandleNeeded();
    M->SetText("12/3");
    EXPECT_THROW(M->Perform(CM_EXIT, 0, 0), EConvertError);
    M->SetText("12/03/2024");
    EXPECT_NO_THROW(M->Perform(CM_EXIT, 0, 0));
}

TEST(StdCtrls, ComboItemsItemIndexAndText) {
    TTestForm Form;
    auto* C = Form.Add<TComboBox>(0, 0, 100, 21);
    C->GetItems()->Add("red");
    C->GetItems()->Add("green");
    C->SetItemIndex(1);
    EXPECT_EQ(C->GetText(), "green");
    C->SetText("blue");
    EXPECT_EQ(C->GetText(), "blue");
    EXPECT_EQ(C->GetItemIndex(), -1);
    C->SetItemIndex(7);
    EXPECT_EQ(C->GetItemIndex(), -1);
    C->SetStyle(csDropDownList);
    EXPECT_EQ(GetWindowLongA(C->GetHandle(), GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
    C->SetText("red");
    EXPECT_EQ(C->GetItemIndex(), 0);
    C->SetText("purple");
    EXPECT_EQ(C->GetItemIndex(), -1);
    EXPECT_EQ(C->GetText(), "");
}

TEST(StdCtrls, ListBoxAndRadioGroupSelectByIndex) {
    TTestForm Form;
    auto* L = Form.Add<TListBox>(0, 0, 100, 80);
    L->GetItems()->Add("a");
    L->GetItems()->Add("b");
    L->SetItemIndex(1);
    EXPECT_EQ(L->GetItemIndex(), 1);
    L->GetItems()->Delete(1);
    EXPECT_EQ(L->GetItemIndex(), -1);

    auto* R = Form.Add<TRadioGroup>(0, 100, 150, 100);
    R->GetItems()->Add("one");
    R->GetItems()->Add("two");
    ASSERT_EQ(R->GetButtonCount(), 2);
    R->SetItemIndex(R->GetItems()->IndexOf("two"));
    EXPECT_TRUE(R->GetButton(1)->GetChecked());
    EXPECT_FALSE(R->GetButton(0)->GetChecked());
    R->SetItemIndex(R->GetItems()->IndexOf("three"));
    EXPECT_EQ(R->GetItemIndex(), -1);
    EXPECT_FALSE(R->GetButton(1)->GetChecked());
    int Clicks = 0;
    R->OnClick = [&](TObject*) { ++Clicks; };
    Click(R->GetButton(0), 3, 3);
    EXPECT_EQ(R->GetItemIndex(), 0);
    EXPECT_EQ(Clicks, 1);
}

TEST(StdCtrls, ButtonsAndCheckBoxesClickOnceAndKeepTheirState) {
    TTestForm Form;
    auto* B = Form.Add<TButton>(0, 0, 75, 25);
    B->SetCaption("&Go");
    int Clicks = 0;
    B->OnClick = [&](TObject*) { ++Clicks; };
    Click(B, 5, 5);
    EXPECT_EQ(Clicks, 1);
    auto* C = Form.Add<TCheckBox>(0, 40, 75, 25);
    TChangeCounter Changes(C);
    Click(C, 5, 5);
    EXPECT_TRUE(C->GetChecked());
    EXPECT_EQ(C->GetState(), cbChecked);
    C->SetChecked(false);
    EXPECT_EQ(C->GetState(), cbUnchecked);
    EXPECT_EQ(Changes.Count, 2);
}

TEST(StdCtrls, PanelAndGroupBoxKeepTheirCaption) {
    TTestForm Form;
    auto* P = Form.Add<TPanel>(0, 0, 100, 40);
    P->SetCaption("panel");
    EXPECT_EQ(P->GetText(), "panel");
    auto* G = Form.Add<TGroupBox>(0, 50, 100, 60);
    G->SetCaption("group");
    EXPECT_EQ(G->GetText(), "group");
    P->Update();
    G->Update();
}

TEST(ComCtrls, DateTimePickerTextFollowsTheLocaleAndKind) {
    TTestForm Form;
    auto* D = Form.Add<TDateTimePicker>(0, 0, 120, 21);
    D->SetDate(EncodeDate(2024, 3, 15));
    EXPECT_EQ(D->GetText(), DateToStr(EncodeDate(2024, 3, 15)));
    D->SetText(DateToStr(EncodeDate(2023, 1, 2)));
    EXPECT_EQ(D->GetDate().Val, EncodeDate(2023, 1, 2).Val);
    D->SetText("no date at all");
    EXPECT_EQ(D->GetDate().Val, EncodeDate(2023, 1, 2).Val);
    D->SetKind(dtkTime);
    D->SetTime(TDateTime(0.5));
    EXPECT_EQ(D->GetText(), TimeToStr(TDateTime(0.5)));
    EXPECT_EQ(D->GetDate().Val, EncodeDate(2023, 1, 2).Val) << "the time leaves the date";
}

TEST(ComCtrls, TrackBarSpinEditAndCalendarKeepValuesInRange) {
    TTestForm Form;
    auto* T = Form.Add<TTrackBar>(0, 0, 150, 45);
    T->SetMin(2);
    T->SetMax(8);
    T->SetPosition(StrToIntDef("x", T->GetMin()));
    EXPECT_EQ(T->GetPosition(), 2);
    T->SetPosition(99);
    EXPECT_EQ(T->GetPosition(), 8);

    auto* S = Form.Add<TCSpinEdit>(0, 50, 100, 22);
    EXPECT_EQ(S->ClassName(), "TCSpinEdit");
    S->SetMinValue(1);
    S->SetMaxValue(10);
    S->SetText("7");
    EXPECT_EQ(S->GetValue(), 7);
    S->SetText("abc");
    EXPECT_EQ(S->GetValue(), 7);
    S->SetValue(50);
    EXPECT_EQ(S->GetText(), "10");

    auto* M = Form.Add<TMonthCalendar>(0, 80, 200, 160);
    M->SetDate(EncodeDate(2020, 2, 29) + 0.75);
    EXPECT_EQ(M->GetDate().Val, EncodeDate(2020, 2, 29).Val);
    EXPECT_NE(M->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);
}
