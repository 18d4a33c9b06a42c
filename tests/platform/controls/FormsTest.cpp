// Forms, close queries, hints, message boxes and popup menus.
#include <gtest/gtest.h>

#include <QAction>

#include "platform/controls/Menus.h"
#include "platform/controls/MenusQt.h"
#include "platform/controls/WindowWidgetQt.h"
#include "tests/support/ControlsTestProbe.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/SettingScopes.h"

using namespace carrelon;
using namespace carrelon::test;

TEST(Forms, CloseAsksActiveControlToCancelThenCloseQueryDecides) {
    TTestForm Form;
    auto* P = Form.Add<TProbe>(0, 0, 50, 50);
    P->SetFocus();
    std::vector<TControl*> CancelSenders;
    auto Saved = P->GetWindowProc();
    P->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == CM_CANCELMODE) CancelSenders.push_back(reinterpret_cast<TControl*>(M.LParam));
        Saved(M);
    });
    bool Allow = false;
    int Queries = 0;
    Form->OnCloseQuery = [&](TObject* Sender, bool& CanClose) {
        EXPECT_EQ(Sender, Form.Get());
        ++Queries;
        CanClose = Allow;
    };
    Form->Close();
    EXPECT_TRUE(Form->GetVisible());
    ASSERT_EQ(CancelSenders.size(), 1u);
    EXPECT_EQ(CancelSenders[0], Form.Get());
    Allow = true;
    TCloseAction Seen = caNone;
    Form->OnClose = [&](TObject*, TCloseAction& Action) { Seen = Action; };
    Form->Close();
    EXPECT_EQ(Queries, 2);
    EXPECT_EQ(Seen, caHide);
    EXPECT_FALSE(Form->GetVisible());
    P->SetWindowProc(nullptr);
}

TEST(Forms, CloseQueryHandlerCanBeSavedReplacedAndPutBack) {
    TTestForm Form;
    std::vector<std::string> Log;
    Form->OnCloseQuery = [&](TObject*, bool&) { Log.push_back("application"); };
    TCloseQueryEvent Saved = Form->OnCloseQuery;
    Form->OnCloseQuery = [&, Saved](TObject* Sender, bool& CanClose) {
        Log.push_back("hook");
        CanClose = false;
        static_cast<TCustomForm*>(Sender)->OnCloseQuery = Saved;
    };
    EXPECT_FALSE(Form->CloseQuery());
    EXPECT_TRUE(Form->CloseQuery());
    EXPECT_EQ(Log, (std::vector<std::string>{"hook", "application"}));
}

TEST(Forms, FindNextControlFollowsTabOrderAcrossNestedParents) {
    TTestForm Form;
    auto* A = Form.Add<TProbe>(0, 0, 10, 10);
    auto* Panel = Form.Add<TProbe>(0, 20, 100, 100);
    Panel->SetTabStop(false);
    auto* P1 = Form.Add<TProbe>(0, 0, 10, 10, Panel);
    auto* P2 = Form.Add<TProbe>(0, 20, 10, 10, Panel);
    auto* B = Form.Add<TProbe>(0, 150, 10, 10);
    P2->SetTabOrder(0);
    EXPECT_EQ(P1->GetTabOrder(), 1);
    EXPECT_EQ(Form->FindNextControl(A, true, true, false), P2);
    EXPECT_EQ(Form->FindNextControl(P2, true, true, false), P1);
    EXPECT_EQ(Form->FindNextControl(P1, true, true, false), B);
    EXPECT_EQ(Form->FindNextControl(B, true, true, false), A);
    EXPECT_EQ(Form->FindNextControl(A, false, true, false), B);
    // Limited to one parent and ignoring tab stops, as arrow keys search.
    EXPECT_EQ(Panel->FindNextControl(P1, true, false, true), P2);
    P2->SetEnabled(false);
    EXPECT_EQ(Panel->FindNextControl(P1, true, false, true), P1) << "wraps back to the only one";
    P1->SetEnabled(false);
    EXPECT_EQ(Panel->FindNextControl(P1, true, false, true), nullptr);
}

TEST(Forms, CaptionIsTheWindowTitleBeforeAndAfterTheWindowExists) {
    TForm Form(nullptr);
    Form.SetCaption("First");
    EXPECT_EQ(Form.GetHandle()->windowTitle().toStdString(), "First");
    Form.SetCaption("Second");
    EXPECT_EQ(Form.GetHandle()->windowTitle().toStdString(), "Second");
    EXPECT_EQ(Form.GetCaption(), "Second");
}

TEST(Forms, ScreenKnowsActiveFormAndForms) {
    const int Before = Screen()->GetFormCount();
    {
        TTestForm Form;
        EXPECT_EQ(Screen()->GetFormCount(), Before + 1);
        EXPECT_EQ(Screen()->GetActiveCustomForm(), Form.Get());
        EXPECT_EQ(Screen()->GetActiveForm(), Form.Get());
    }
    EXPECT_EQ(Screen()->GetFormCount(), Before);
    EXPECT_EQ(Screen()->GetActiveCustomForm(), nullptr);
    EXPECT_GT(Screen()->GetWidth(), 0);
}

TEST(Forms, FocusingOnAHiddenFormFails) {
    TForm Hidden(nullptr);
    auto* P = new TProbe(&Hidden);
    P->SetParent(&Hidden);
    EXPECT_THROW(P->SetFocus(), EInvalidOperation);
}

TEST(Hints, HintShowAsksTheControlWhichMayChangeOrRefuseIt) {
    TManualTimerClock& Clock = TestClock();
    THintPauseScope Pauses(10, 5);
    TTestForm Form;
    auto* P = Form.Add<TProbe>(0, 0, 80, 40);
    P->SetHint("control hint");
    P->SetShowHint(true);
    THintInfo Seen;
    bool Refuse = false;
    auto Saved = P->GetWindowProc();
    P->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == CM_HINTSHOW) {
            auto* Info = reinterpret_cast<THintInfo*>(M.LParam);
            Seen = *Info;
            Info->HintStr = "cell hint";
            Info->CursorRect = {0, 0, 20, 20};
            M.Result = Refuse ? 1 : 0;
            return;
        }
        Saved(M);
    });
    MouseMove(P, 5, 5);
    Clock.Advance(9);
    EXPECT_FALSE(Application()->HintShowing()) << "shown before the hint pause ran out";
    Clock.Advance(1);
    ASSERT_TRUE(Application()->HintShowing());
    EXPECT_EQ(Seen.HintControl, P);
    EXPECT_EQ(Seen.HintStr, "control hint");
    EXPECT_EQ(Seen.CursorPos, (TPoint{5, 5}));
    EXPECT_EQ(Seen.HideTimeout, Application()->GetHintHidePause());
    EXPECT_EQ(Application()->CurrentHint().HintStr, "cell hint");

    // Leaving the cursor rectangle hides the hint; the short pause brings it back.
    MouseMove(P, 50, 5);
    EXPECT_FALSE(Application()->HintShowing());
    Clock.Advance(5);
    EXPECT_TRUE(Application()->HintShowing());
    // The hide pause takes it away.
    Clock.Advance(static_cast<Cardinal>(Application()->GetHintHidePause()) - 1);
    EXPECT_TRUE(Application()->HintShowing());
    Clock.Advance(1);
    EXPECT_FALSE(Application()->HintShowing());
    Application()->CancelHint();
    Refuse = true;
    Application()->ActivateHint(P->ClientToScreen({5, 5}));
    EXPECT_FALSE(Application()->HintShowing());
    P->SetWindowProc(nullptr);
}

TEST(Hints, NoHintWithoutShowHint) {
    TManualTimerClock& Clock = TestClock();
    THintPauseScope Pauses(5, 5);
    TTestForm Form;
    auto* P = Form.Add<TProbe>(0, 0, 80, 40);
    P->SetHint("x");
    MouseMove(P, 5, 5);
    Clock.Advance(1000);
    EXPECT_FALSE(Application()->HintShowing());
}

TEST(MessageBoxes, HandlerRecordsAndAnswers) {
    TMessageDlgRecorder Rec(mrNo);
    EXPECT_EQ(MessageDlg("Out of memory", mtError, {mbOK}, 0), mrNo);
    ShowMessage("hello");
    ASSERT_EQ(Rec.Calls.size(), 2u);
    EXPECT_EQ(Rec.Calls[0].Msg, "Out of memory");
    EXPECT_EQ(Rec.Calls[0].DlgType, mtError);
    EXPECT_TRUE(Rec.Calls[0].Buttons.Contains(mbOK));
    EXPECT_EQ(Rec.Calls[1].Msg, "hello");
}

TEST(MessageBoxes, UnhandledExceptionsGoToOnExceptionOrAMessageBox) {
    TMessageDlgRecorder Rec;
    Application()->HandleException(nullptr, EConvertError("bad number"));
    ASSERT_EQ(Rec.Calls.size(), 1u);
    EXPECT_EQ(Rec.Calls[0].Msg, "bad number");
    std::string Seen;
    TExceptionHandlerScope Handler([&](TObject*, const std::exception& E) { Seen = E.what(); });
    Application()->HandleException(nullptr, EConvertError("again"));
    Application()->HandleException(nullptr, EAbort());
    EXPECT_EQ(Seen, "again");
    EXPECT_EQ(Rec.Calls.size(), 1u);
}

namespace {
TMenuItem* Item(TComponent* Owner, const char* Caption, std::vector<std::string>* Log) {
    auto* I = new TMenuItem(Owner);
    I->SetCaption(Caption);
    if (Log != nullptr) I->OnClick = [Log, I](TObject*) { Log->push_back(I->GetCaption()); };
    return I;
}
}  // namespace

TEST(Menus, PopupShowsVisibleItemsAndClicksReachHandlers) {
    TForm Owner(nullptr);
    std::vector<std::string> Log;
    auto* Menu = new TPopupMenu(&Owner);
    int Popups = 0;
    Menu->OnPopup = [&](TObject*) { ++Popups; };
    TMenuItem* Undo = Item(&Owner, "Undo", &Log);
    Menu->GetItems()->Add(Undo);
    Menu->GetItems()->Add(Item(&Owner, "-", nullptr));
    TMenuItem* Cut = Item(&Owner, "Cu&t", &Log);
    Cut->SetName("CutItem");
    Cut->SetShortCut(ShortCut('X', {ssCtrl}));
    Menu->GetItems()->Add(Cut);
    TMenuItem* Paste = Item(&Owner, "Paste", &Log);
    Paste->SetEnabled(false);
    Menu->GetItems()->Add(Paste);
    TMenuItem* Hidden = Item(&Owner, "Hidden", &Log);
    Hidden->SetVisible(false);
    Menu->GetItems()->Add(Hidden);

    EXPECT_EQ(Cut->GetMenuIndex(), 2);
    EXPECT_EQ(Menu->GetItems()->Find("Cut"), Cut);
    EXPECT_EQ(Menu->FindItem("CutItem"), Cut);
    EXPECT_EQ(ShortCutToText(Cut->GetShortCut()), "Ctrl+X");

    Menu->Popup(100, 100);
    EXPECT_EQ(Popups, 1);
    QMenu* Q = PopupMenuWidget(*Menu);
    ASSERT_NE(Q, nullptr);
    const QList<QAction*> Actions = Q->actions();
    ASSERT_EQ(Actions.size(), 4);
    EXPECT_TRUE(Actions[1]->isSeparator());
    EXPECT_EQ(Actions[2]->text(), "Cu&t");
    EXPECT_FALSE(Actions[3]->isEnabled());
    Actions[2]->trigger();
    Actions[3]->trigger();
    EXPECT_EQ(Log, std::vector<std::string>{"Cu&t"});
    Menu->CloseMenu();

    // An item freed while the menu shows is not clicked.
    Menu->Popup(0, 0);
    QAction* UndoAction = PopupMenuWidget(*Menu)->actions()[0];
    delete Undo;
    UndoAction->trigger();
    EXPECT_EQ(Log.size(), 1u);
    EXPECT_EQ(Menu->GetItems()->GetCount(), 4);
}

TEST(Menus, RightClickPopsUpTheControlsMenu) {
    TTestForm Form;
    auto* P = Form.Add<TProbe>(0, 0, 80, 40);
    auto* Menu = new TPopupMenu(Form.Get());
    Menu->GetItems()->Add(Item(Form.Get(), "One", nullptr));
    P->SetPopupMenu(Menu);
    MouseDown(P, mbRight, 3, 3);
    MouseUp(P, mbRight, 3, 3);
    EXPECT_TRUE(Menu->IsShowing());
    EXPECT_EQ(Menu->GetPopupComponent(), P);
    Menu->CloseMenu();
    delete Menu;
    EXPECT_EQ(P->GetPopupMenu(), nullptr);
}

TEST(Menus, MenuIndexMovesAnItemAndClearFreesSubItems) {
    TMenuItem Root(nullptr);
    auto* A = Item(nullptr, "A", nullptr);
    auto* B = Item(nullptr, "B", nullptr);
    Root.Add(A);
    Root.Add(B);
    B->SetMenuIndex(0);
    EXPECT_EQ(Root.GetItems(0), B);
    EXPECT_THROW(Root.Add(A), EComponentError);
    Root.Clear();
    EXPECT_EQ(Root.GetCount(), 0);
}

TEST(Controls, SizeConstraintsBoundTheSize) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 300, 200);
    TSizeConstraints C;
    C.MinWidth = 50;
    C.MaxWidth = 120;
    C.MaxHeight = 80;
    Form.SetConstraints(C);  // the present size is brought within them
    EXPECT_EQ(Form.GetWidth(), 120);
    EXPECT_EQ(Form.GetHeight(), 80);
    Form.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(Form.GetWidth(), 50);
    EXPECT_EQ(Form.GetHeight(), 10);  // no lower limit set
    Form.SetConstraints({});
    Form.SetBounds(0, 0, 400, 300);
    EXPECT_EQ(Form.GetWidth(), 400);
}
