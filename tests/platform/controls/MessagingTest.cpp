// Message dispatch: posting, timers, deferred painting, redraw switching, window procedure hooks,
// property propagation, scroll bars and window styles.
#include <gtest/gtest.h>

#include "platform/controls/WinUser.h"
#include "platform/graphics/Pictures.h"
#include "tests/support/ControlsTestProbe.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

struct OneProbe : ::testing::Test {
    TTestForm Form;
    std::vector<std::string> Log;
    TProbe* P = nullptr;
    void SetUp() override {
        P = Form.Add<TProbe>(10, 10, 120, 80);
        P->Log = &Log;
        P->SetName("P");
        P->HandleNeeded();
        ProcessPendingEvents();
        Log.clear();
        P->Paints = 0;
    }
};

}  // namespace

TEST_F(OneProbe, PostedMessageArrivesAfterTheCurrentOne) {
    const Cardinal Mine = WM_USER + 7;
    auto Saved = P->GetWindowProc();
    P->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == Mine) {
            Log.push_back("handling " + std::to_string(M.WParam));
            if (M.WParam == 1) PostMessageA(P->GetHandle(), Mine, 2, 0);
            Log.push_back("handled " + std::to_string(M.WParam));
            return;
        }
        Saved(M);
    });
    EXPECT_EQ(SendMessageA(P->GetHandle(), Mine, 1, 0), 0);
    Log.push_back("sent");
    ProcessPendingEvents();
    const std::vector<std::string> Expected = {"handling 1", "handled 1", "sent", "handling 2",
                                               "handled 2"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(OneProbe, MessagesToAWindowThatIsGoneAreDropped) {
    HWND H = P->GetHandle();
    PostMessageA(H, WM_USER, 0, 0);
    delete P;
    P = nullptr;
    ProcessPendingEvents();
    EXPECT_FALSE(IsWindow(H));
    EXPECT_EQ(SendMessageA(H, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(H, WM_USER, 0, 0));
    EXPECT_EQ(SetTimer(H, 1, 10), 0u);
}

TEST_F(OneProbe, TimerArrivesAsWmTimerUntilKilled) {
    TManualTimerClock& Clock = TestClock();
    ASSERT_EQ(SetTimer(P->GetHandle(), 1, 10), 1u);
    ASSERT_EQ(SetTimer(P->GetHandle(), 2, 25), 2u);
    Clock.Advance(9);
    EXPECT_TRUE(Log.empty());
    Clock.Advance(21);
    EXPECT_EQ(Log, (std::vector<std::string>{"P Timer 1", "P Timer 1", "P Timer 2", "P Timer 1"}));
    EXPECT_TRUE(KillTimer(P->GetHandle(), 1));
    EXPECT_FALSE(KillTimer(P->GetHandle(), 1));
    // Setting an identifier again restarts its interval.
    Clock.Advance(10);
    ASSERT_EQ(SetTimer(P->GetHandle(), 2, 25), 2u);
    Log.clear();
    Clock.Advance(24);
    ProcessPendingEvents();
    EXPECT_TRUE(Log.empty());
    Clock.Advance(1);
    EXPECT_EQ(Log, (std::vector<std::string>{"P Timer 2"}));
    EXPECT_TRUE(KillTimer(P->GetHandle(), 2));
    Log.clear();
    Clock.Advance(1000);
    EXPECT_TRUE(Log.empty());
}

TEST_F(OneProbe, InvalidationIsDeferredAndUpdatePaintsNow) {
    P->Invalidate();
    EXPECT_EQ(P->Paints, 0);
    P->Update();
    EXPECT_EQ(P->Paints, 1);
    P->Update();
    EXPECT_EQ(P->Paints, 1) << "nothing pending, nothing painted";
    P->Invalidate();
    ProcessPendingEvents();
    EXPECT_EQ(P->Paints, 2);
}

TEST_F(OneProbe, ValidateRectDropsAPendingPaint) {
    TRect R = {0, 0, 10, 10};
    InvalidateRect(P->GetHandle(), &R, false);
    ValidateRect(P->GetHandle(), nullptr);
    ProcessPendingEvents();
    EXPECT_EQ(P->Paints, 0);
}

TEST_F(OneProbe, RedrawOffHidesTheWindowFromPaintingUntilSwitchedOn) {
    EXPECT_TRUE(IsWindowVisible(P->GetHandle()));
    P->Perform(WM_SETREDRAW, 0, 0);
    EXPECT_FALSE(IsWindowVisible(P->GetHandle()));
    EXPECT_EQ(GetWindowLongA(P->GetHandle(), GWL_STYLE) & WS_VISIBLE, 0);
    P->Invalidate();
    P->Update();
    ProcessPendingEvents();
    EXPECT_EQ(P->Paints, 0);
    P->Perform(WM_SETREDRAW, 1, 0);
    EXPECT_TRUE(IsWindowVisible(P->GetHandle()));
    P->Invalidate();
    P->Update();
    EXPECT_EQ(P->Paints, 1);
}

TEST_F(OneProbe, LockWindowUpdateHoldsPaintingOfOneWindowTree) {
    ASSERT_TRUE(LockWindowUpdate(Form->GetHandle()));
    TProbe Other(nullptr);
    EXPECT_FALSE(LockWindowUpdate(Other.GetHandle())) << "one lock at a time";
    P->Invalidate();
    ProcessPendingEvents();
    EXPECT_EQ(P->Paints, 0);
    LockWindowUpdate(nullptr);
    ProcessPendingEvents();
    EXPECT_EQ(P->Paints, 1);
}

TEST_F(OneProbe, PaintDrawsThroughTheCanvasAtClientCoordinates) {
    TCanvasRecorder Rec;
    P->GetCanvas()->SetRecorder(&Rec);
    P->SetWindowExStyle(WS_EX_CLIENTEDGE);
    P->Invalidate();
    P->Update();
    P->GetCanvas()->SetRecorder(nullptr);
    auto Fills = Rec.OfKind(TCanvasOp::FillRect);
    ASSERT_EQ(Fills.size(), 1u);
    EXPECT_EQ(Fills[0].Rect, (TRect{0, 0, 116, 76}));
}

TEST_F(OneProbe, PaintToRendersBorderAndClientIntoABitmap) {
    P->SetWindowExStyle(WS_EX_CLIENTEDGE);
    TBitmap Bmp;
    Bmp.SetSize(120, 80);
    P->PaintTo(Bmp.GetCanvas(), 0, 0);
    EXPECT_EQ(Bmp.GetCanvas()->GetPixels(50, 40), clRed);
    EXPECT_NE(Bmp.GetCanvas()->GetPixels(0, 0), clRed) << "the border is not client area";
}

TEST_F(OneProbe, WindowProcCanBeHookedChainedAndRestored) {
    std::vector<Cardinal> Seen;
    TWndMethod Saved = P->GetWindowProc();
    P->SetWindowProc([&, Saved](TMessage& M) {
        Seen.push_back(M.Msg);
        if (M.Msg == WM_CHAR && M.WParam == 9) return;  // drops Tab characters
        Saved(M);
    });
    P->Perform(WM_KEYDOWN, 'A', 0);
    P->Perform(WM_CHAR, 9, 0);
    P->Perform(WM_CHAR, 'a', 0);
    const std::vector<std::string> Expected = {"P KeyDown 65 ", "P KeyPress 97"};
    EXPECT_EQ(Log, Expected);
    EXPECT_EQ(Seen, (std::vector<Cardinal>{WM_KEYDOWN, WM_CHAR, WM_CHAR}));
    P->SetWindowProc(Saved);
    Log.clear();
    P->Perform(WM_CHAR, 9, 0);
    EXPECT_EQ(Log, std::vector<std::string>{"P KeyPress 9"});
}

TEST_F(OneProbe, AHookRemovedDuringItsOwnMessageRunsToItsEnd) {
    // The hook's state lives in the procedure object; removing the hook while it runs must not
    // free that state under it (the sanitizer build sees a use after free otherwise).
    auto Trail = std::make_shared<std::vector<std::string>>();
    TWndMethod Saved = P->GetWindowProc();
    P->SetWindowProc([this, Trail, Saved, Name = std::string(64, 'h')](TMessage& M) {
        if (M.Msg == WM_CHAR) P->SetWindowProc(Saved);
        Saved(M);
        Trail->push_back(Name.substr(0, 4));
    });
    P->Perform(WM_CHAR, 'a', 0);
    P->Perform(WM_CHAR, 'b', 0);
    EXPECT_EQ(*Trail, std::vector<std::string>{"hhhh"}) << "the second message meets no hook";
    EXPECT_EQ(Log, (std::vector<std::string>{"P KeyPress 97", "P KeyPress 98"}));
}

TEST_F(OneProbe, RealInputPassesThroughTheHookToo) {
    int Hooked = 0;
    TWndMethod Saved = P->GetWindowProc();
    P->SetWindowProc([&, Saved](TMessage& M) {
        if (M.Msg == WM_KEYDOWN) ++Hooked;
        Saved(M);
    });
    PressKey(P, VK_F5);
    EXPECT_EQ(Hooked, 1);
    P->SetWindowProc(nullptr);
}

TEST_F(OneProbe, ParentFontAndColourFollowTheParentUntilSetOwn) {
    auto* Child = Form.Add<TProbe>(1, 1, 10, 10, P);
    auto* Own = Form.Add<TProbe>(20, 1, 10, 10, P);
    Own->GetFont()->SetSize(20);
    EXPECT_FALSE(Own->GetParentFont());
    Child->FontChanges = 0;
    P->GetFont()->SetSize(14);
    EXPECT_EQ(Child->GetFont()->GetSize(), 14);
    EXPECT_TRUE(Child->GetParentFont());
    EXPECT_EQ(Child->FontChanges, 1);
    EXPECT_EQ(Own->GetFont()->GetSize(), 20);

    P->SetColor(clYellow);
    EXPECT_EQ(Child->GetColor(), clYellow);
    EXPECT_TRUE(Child->GetParentColor());
    Own->SetColor(clBlue);
    P->SetColor(clGreen);
    EXPECT_EQ(Own->GetColor(), clBlue);
    EXPECT_EQ(Child->GetColor(), clGreen);
}

TEST_F(OneProbe, ScrollBarsTakeClientSpaceAndKeepPositionsInRange) {
    HWND H = P->GetHandle();
    const int W = P->GetClientWidth();
    ShowScrollBar(H, SB_VERT, true);
    EXPECT_EQ(P->GetClientWidth(), W - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_NE(GetWindowLongA(H, GWL_STYLE) & WS_VSCROLL, 0);
    TScrollInfo SI;
    SI.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    SI.nMin = 0;
    SI.nMax = 99;
    SI.nPage = 10;
    SI.nPos = 500;
    EXPECT_EQ(SetScrollInfo(H, SB_VERT, SI, true), 90);
    EXPECT_EQ(GetScrollPos(H, SB_VERT), 90);
    SetScrollPos(H, SB_VERT, -5, true);
    EXPECT_EQ(GetScrollPos(H, SB_VERT), 0);
    TScrollInfo Out;
    Out.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(H, SB_VERT, Out));
    EXPECT_EQ(Out.nMax, 99);
    EXPECT_EQ(Out.nPage, 10u);
    SetWindowLongA(H, GWL_STYLE, GetWindowLongA(H, GWL_STYLE) & ~WS_VSCROLL);
    EXPECT_EQ(P->GetClientWidth(), W);
}

TEST_F(OneProbe, SystemMetricsAreThoseOf96PixelsPerInch) {
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CYEDGE), 2);
    EXPECT_EQ(Screen()->GetPixelsPerInch(), 96);
}

TEST_F(OneProbe, MapWindowPointsTranslatesBetweenClientAreas) {
    auto* Q = Form.Add<TProbe>(200, 50, 50, 50);
    TPoint Pt[1] = {{5, 6}};
    MapWindowPoints(P->GetHandle(), Q->GetHandle(), Pt, 1);
    EXPECT_EQ(Pt[0], (TPoint{5 + 10 - 200, 6 + 10 - 50}));
    TRect R;
    ASSERT_TRUE(GetWindowRect(P->GetHandle(), R));
    EXPECT_EQ(R.Width(), 120);
}

TEST_F(OneProbe, SetWindowPosMovesAndHides) {
    SetWindowPos(P->GetHandle(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(P->GetLeft(), 30);
    EXPECT_EQ(P->GetWidth(), 120);
    SetWindowPos(P->GetHandle(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOZORDER);
    EXPECT_FALSE(IsWindowVisible(P->GetHandle()));
    EXPECT_EQ(P->GetWidth(), 0);
}

TEST_F(OneProbe, HandleIsMadeOnDemandAndGoesWithTheControl) {
    auto* Late = new TProbe(nullptr);
    EXPECT_FALSE(Late->HandleAllocated());
    Late->SetParent(Form.Get());
    EXPECT_TRUE(Late->HandleAllocated()) << "a visible child of a window gets its own";
    HWND H = Late->GetHandle();
    EXPECT_EQ(FindControl(H), Late);
    Late->SetParent(nullptr);
    EXPECT_FALSE(Late->HandleAllocated());
    EXPECT_FALSE(IsWindow(H));
    delete Late;
}
