// Keyboard, mouse and focus reaching controls through real Qt events.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>

#include "platform/controls/WinUser.h"
#include "platform/controls/WindowWidgetQt.h"
#include "tests/support/ControlsTestProbe.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/SettingScopes.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

struct TwoProbes : ::testing::Test {
    TTestForm Form;
    std::vector<std::string> Log;
    TProbe* A = nullptr;
    TProbe* B = nullptr;
    void SetUp() override {
        A = Form.Add<TProbe>(10, 10, 100, 50);
        A->Log = &Log;
        A->SetName("A");
        B = Form.Add<TProbe>(10, 100, 100, 50);
        B->Log = &Log;
        B->SetName("B");
        A->SetFocus();
        ProcessPendingEvents();
        Log.clear();
    }
};

}  // namespace

TEST_F(TwoProbes, KeyPressGivesKeyDownThenCharacterThenKeyUp) {
    PressKey(A, 'Q', {ssShift});
    const std::vector<std::string> Expected = {"A KeyDown 81 S", "A KeyPress 81", "A KeyUp 81 S"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(TwoProbes, SwallowedKeyDownStillTypesItsCharacter) {
    A->OnKeyDown = [](TObject*, Word& Key, TShiftState) { Key = 0; };
    char32_t Typed = 0;
    A->OnKeyPress = [&](TObject*, char32_t& Key) { Typed = Key; };
    PressKey(A, 'X');
    EXPECT_EQ(Typed, U'x');
}

TEST_F(TwoProbes, TypedTextArrivesAsCodePoints) {
    std::u32string Typed;
    A->OnKeyPress = [&](TObject*, char32_t& Key) { Typed.push_back(Key); };
    TypeText(A, "aé€");
    EXPECT_EQ(Typed, U"aé€");
}

TEST_F(TwoProbes, GetKeyStateAnswersFromTheKeyBeingHandled) {
    std::int16_t ShiftState = 0, CtrlState = 0;
    A->OnKeyDown = [&](TObject*, Word&, TShiftState) {
        ShiftState = GetKeyState(VK_SHIFT);
        CtrlState = GetKeyState(VK_CONTROL);
    };
    PressKey(A, VK_F2, {ssShift});
    EXPECT_LT(ShiftState, 0);
    EXPECT_GE(CtrlState, 0);
}

TEST_F(TwoProbes, TabMovesFocusUnlessTheControlWantsIt) {
    PressKey(A, VK_TAB);
    EXPECT_TRUE(B->Focused());
    EXPECT_EQ(Form->GetActiveControl(), B);
    // Neither KeyDown nor a character reaches A for a Tab the form took.
    for (const std::string& S : Log) {
        EXPECT_EQ(S.find("A KeyDown"), std::string::npos) << S;
        EXPECT_EQ(S.find("A KeyPress"), std::string::npos) << S;
    }

    Log.clear();
    B->DlgCode = DLGC_WANTTAB | DLGC_WANTCHARS;
    PressKey(B, VK_TAB);
    EXPECT_TRUE(B->Focused());
    EXPECT_EQ(Log.front(), "B KeyDown 9 ");
}

TEST_F(TwoProbes, ShiftTabGoesBackAndTabWrapsSkippingNonTabStops) {
    auto* C = Form.Add<TProbe>(10, 200, 100, 50);
    C->SetTabStop(false);
    PressKey(A, VK_TAB, {ssShift});
    EXPECT_TRUE(B->Focused()) << "backward from the first wraps to the last tab stop";
    PressKey(B, VK_TAB);
    EXPECT_TRUE(A->Focused()) << "forward from the last skips C, which is no tab stop";
}

TEST_F(TwoProbes, ArrowsMoveFocusOnlyWhenNotWanted) {
    A->DlgCode = DLGC_WANTARROWS;
    PressKey(A, VK_DOWN);
    EXPECT_TRUE(A->Focused());
    EXPECT_EQ(Log.front(), "A KeyDown 40 ");
    A->DlgCode = 0;
    PressKey(A, VK_DOWN);
    EXPECT_TRUE(B->Focused());
}

TEST_F(TwoProbes, FocusChangeUpdatesActiveControlBeforeTheOldControlExits) {
    B->SetFocus();
    const std::vector<std::string> Expected = {"A KillFocus", "A Exit", "B Enter", "B SetFocus"};
    EXPECT_EQ(Log, Expected);
    EXPECT_EQ(A->ActiveAtExit, B);
    EXPECT_EQ(Screen()->GetActiveControl(), B);
    EXPECT_TRUE(B->Focused());
    EXPECT_FALSE(A->Focused());
}

TEST_F(TwoProbes, ExitHandlerThatRefocusesKeepsTheFocusAndTheNewControlIsNotEntered) {
    A->OnExitHook = [this] {
        A->OnExitHook = nullptr;
        A->SetFocus();
    };
    B->SetFocus();
    EXPECT_TRUE(A->Focused());
    EXPECT_EQ(Form->GetActiveControl(), A);
    for (const std::string& S : Log)
        EXPECT_NE(S, "B Enter");
}

TEST_F(TwoProbes, EnterAndExitRunAlongTheParentChain) {
    auto* Panel = Form.Add<TProbe>(150, 10, 200, 200);
    Panel->SetName("Panel");
    Panel->Log = &Log;
    Panel->SetTabStop(false);
    auto* Inner = Form.Add<TProbe>(5, 5, 50, 20, Panel);
    Inner->SetName("Inner");
    Inner->Log = &Log;
    ProcessPendingEvents();
    Log.clear();
    Inner->SetFocus();
    std::vector<std::string> Expected = {"A KillFocus", "A Exit", "Panel Enter", "Inner Enter",
                                         "Inner SetFocus"};
    EXPECT_EQ(Log, Expected);
    Log.clear();
    B->SetFocus();
    Expected = {"Inner KillFocus", "Inner Exit", "Panel Exit", "B Enter", "B SetFocus"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(TwoProbes, CanFocusNeedsVisibleEnabledParentsOnAForm) {
    auto* Panel = Form.Add<TProbe>(150, 10, 200, 200);
    auto* Inner = Form.Add<TProbe>(5, 5, 50, 20, Panel);
    EXPECT_TRUE(Inner->CanFocus());
    Panel->SetEnabled(false);
    EXPECT_FALSE(Inner->CanFocus());
    EXPECT_THROW(Inner->SetFocus(), EInvalidOperation);
    Panel->SetEnabled(true);
    Panel->SetVisible(false);
    EXPECT_FALSE(Inner->CanFocus());
    TProbe Loose(nullptr);
    EXPECT_FALSE(Loose.CanFocus());
}

TEST_F(TwoProbes, DestroyingTheFocusedControlClearsActiveControl) {
    delete A;
    A = nullptr;
    EXPECT_EQ(Form->GetActiveControl(), nullptr);
    EXPECT_EQ(Screen()->GetActiveControl() == nullptr || Screen()->GetActiveControl() == Form.Get(),
              true);
    B->SetFocus();
    EXPECT_TRUE(B->Focused());
}

TEST_F(TwoProbes, HidingTheActiveControlMovesFocusAway) {
    A->SetVisible(false);
    EXPECT_EQ(Form->GetActiveControl(), nullptr);
    EXPECT_FALSE(A->Focused());
}

TEST_F(TwoProbes, ClickGivesDownUpAndClickWithModifiers) {
    Click(A, 5, 7, {ssCtrl});
    const std::vector<std::string> Expected = {"A MouseDown 0 CL 5,7", "A CaptureChanged",
                                               "A Click", "A MouseUp 0 C 5,7"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(TwoProbes, DoubleClickReportsSecondPressWithDoubleAndNoSecondClick) {
    DoubleClick(A, 3, 4);
    const std::vector<std::string> Expected = {
        "A MouseDown 0 L 3,4", "A CaptureChanged",     "A Click",          "A MouseUp 0  3,4",
        "A DblClick",          "A MouseDown 0 LD 3,4", "A CaptureChanged", "A MouseUp 0  3,4"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(TwoProbes, MousePressCapturesUntilRelease) {
    MouseDown(A, mbLeft, 1, 1);
    EXPECT_EQ(GetCapture(), A->GetHandle());
    EXPECT_TRUE(A->GetMouseCapture());
    MouseUp(A, mbLeft, 1, 1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TwoProbes, RightClickAndWheelReachTheirMethods) {
    MouseDown(A, mbRight, 2, 2, {ssShift});
    MouseUp(A, mbRight, 2, 2);
    Wheel(A, 2, 2, -120);
    Wheel(A, 2, 2, 120, {ssCtrl});
    const std::vector<std::string> Expected = {"A MouseDown 1 SR 2,2", "A MouseUp 1  2,2",
                                               "A WheelDown ", "A WheelUp C"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(TwoProbes, MouseCoordinatesAreClientCoordinatesInsideABorder) {
    A->SetWindowExStyle(WS_EX_CLIENTEDGE);
    EXPECT_EQ(A->GetClientWidth(), 96);
    MouseDown(A, mbLeft, 0, 0);
    MouseUp(A, mbLeft, 0, 0);
    EXPECT_EQ(Log.front(), "A MouseDown 0 L 0,0");
}

TEST_F(TwoProbes, PressOnAnotherControlSendsCancelModeToTheActiveOne) {
    std::vector<TControl*> Senders;
    auto Saved = A->GetWindowProc();
    A->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == CM_CANCELMODE) Senders.push_back(reinterpret_cast<TControl*>(M.LParam));
        Saved(M);
    });
    Click(B, 1, 1);
    ASSERT_EQ(Senders.size(), 1u);
    EXPECT_EQ(Senders[0], B);
    A->SetWindowProc(nullptr);
}

TEST_F(TwoProbes, WheelStepsOncePerWholeNotch) {
    Wheel(A, 2, 2, -240);
    Wheel(A, 2, 2, -60);
    EXPECT_EQ(Log, (std::vector<std::string>{"A WheelDown ", "A WheelDown "}))
        << "half a notch waits for the other half";
    Wheel(A, 2, 2, -60);
    Wheel(A, 2, 2, 120);
    EXPECT_EQ(Log.size(), 4u);
    EXPECT_EQ(Log[2], "A WheelDown ");
    EXPECT_EQ(Log[3], "A WheelUp ");
}

TEST_F(TwoProbes, PostedTabTakesTheDialogRoadWithTheShiftOfItsMoment) {
    auto* C = Form.Add<TProbe>(10, 200, 100, 50);
    B->SetFocus();
    // Posted from inside a key's handling: Shift is still down when it arrives.
    B->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
        if (Key == VK_F5) PostMessageA(Form->GetHandle(), WM_KEYDOWN, VK_TAB, 0);
    };
    PressKey(B, VK_F5, {ssShift});
    ProcessPendingEvents();
    EXPECT_TRUE(A->Focused()) << "backward from B";
    PressKey(A, VK_F5);
    B->OnKeyDown = nullptr;
    PostMessageA(Form->GetHandle(), WM_KEYDOWN, VK_TAB, 0);
    ProcessPendingEvents();
    EXPECT_TRUE(B->Focused()) << "forward from A";
    (void)C;
}

TEST_F(TwoProbes, WindowCloseAsksTheForm) {
    bool Allow = false;
    int Asked = 0;
    Form->OnCloseQuery = [&](TObject*, bool& CanClose) {
        ++Asked;
        CanClose = Allow;
    };
    QCloseEvent Close;
    QCoreApplication::sendEvent(Form->GetHandle(), &Close);
    EXPECT_EQ(Asked, 1);
    EXPECT_TRUE(Form->GetVisible());
    Allow = true;
    QCloseEvent Again;
    QCoreApplication::sendEvent(Form->GetHandle(), &Again);
    EXPECT_FALSE(Form->GetVisible());
}

TEST_F(TwoProbes, ExceptionFromAHandlerOfRealInputGoesToTheApplication) {
    std::string Seen;
    TExceptionHandlerScope Handler([&](TObject* Sender, const std::exception& E) {
        Seen = E.what();
        EXPECT_EQ(Sender, A);
    });
    A->OnKeyDown = [](TObject*, Word&, TShiftState) { throw EConvertError("bad key"); };
    PressKey(A, VK_F3);
    EXPECT_EQ(Seen, "bad key");
    // Sent messages pass the exception to the sender.
    EXPECT_THROW(A->Perform(WM_KEYDOWN, VK_F3, 0), EConvertError);
}
