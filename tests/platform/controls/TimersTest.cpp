// Platform timers: the order a manual clock fires them in, handlers that change timers, the
// hand-over between the manual clock and Qt's event loop, and window timers of a window that
// goes away inside its own timer message.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Timers.h"
#include "platform/controls/WinUser.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/ControlsTestProbe.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;
using namespace carrelon::test;

TEST(ManualTimers, FireInDueOrderThenStartOrder) {
    TManualTimerClock& Clock = TestClock();
    std::vector<std::string> Log;
    TPlatformTimer A([&] { Log.push_back("A@" + std::to_string(Clock.Now())); });
    TPlatformTimer B([&] { Log.push_back("B@" + std::to_string(Clock.Now())); });
    TPlatformTimer C([&] { Log.push_back("C@" + std::to_string(Clock.Now())); });
    ASSERT_TRUE(A.Start(30, false));
    ASSERT_TRUE(B.Start(10, true));
    ASSERT_TRUE(C.Start(30, true));
    Clock.Advance(29);
    EXPECT_EQ(Log, (std::vector<std::string>{"B@10", "B@20"}));
    Clock.Advance(1);
    EXPECT_EQ(Log, (std::vector<std::string>{"B@10", "B@20", "A@30", "B@30", "C@30"}));
    EXPECT_EQ(Clock.Now(), 30);
    EXPECT_FALSE(A.Active()) << "a one-shot timer stops after firing";
    EXPECT_TRUE(B.Active());
    // Starting again restarts the interval from now; zero counts as one millisecond.
    Log.clear();
    B.Start(10, true);
    C.Stop();
    Clock.Advance(5);
    A.Start(0, false);
    Clock.Advance(5);
    EXPECT_EQ(Log, (std::vector<std::string>{"A@36", "B@40"}));
}

TEST(ManualTimers, HandlersMayStopStartOrDestroyTimers) {
    TManualTimerClock& Clock = TestClock();
    std::vector<std::string> Log;
    std::unique_ptr<TPlatformTimer> Self;
    Self = std::make_unique<TPlatformTimer>([&] {
        Log.push_back("self");
        Self.reset();  // destroys the timer whose handler is running
    });
    TPlatformTimer Later([&] { Log.push_back("later"); });
    TPlatformTimer Starter([&] {
        Log.push_back("starter");
        Later.Start(5, false);  // falls due inside the same advance
    });
    Self->Start(10, true);
    Starter.Start(10, false);
    Clock.Advance(100);
    EXPECT_EQ(Log, (std::vector<std::string>{"self", "starter", "later"}));
    EXPECT_EQ(Self, nullptr);
    EXPECT_FALSE(Later.Active());
}

TEST(ManualTimers, OneClockAtATime) {
    TestClock();
    EXPECT_THROW(TManualTimerClock Second, EInvalidOperation);
}

TEST(ManualTimers, TakeOverFromQtAndHandBack) {
    TQtDrivenTimers RealTimers;
    int Fired = 0;
    TPlatformTimer T([&] { ++Fired; });
    // Qt's event loop drives the timer; waiting for events, not for time, sees it fire.
    ASSERT_TRUE(T.Start(1, false));
    for (int Spins = 0; Fired == 0 && Spins < 10000; ++Spins)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(Fired, 1);
    EXPECT_FALSE(T.Active());

    // A running timer moves onto a manual clock, its interval starting afresh there...
    ASSERT_TRUE(T.Start(1000, true));
    {
        TManualTimerClock Clock;
        QCoreApplication::processEvents();
        Clock.Advance(999);
        EXPECT_EQ(Fired, 1);
        Clock.Advance(1);
        EXPECT_EQ(Fired, 2);
    }
    // ...and back onto Qt's loop when the clock ends.
    EXPECT_TRUE(T.Active());
    T.Stop();
    EXPECT_FALSE(T.Active());
}

TEST(WindowTimers, WindowFreedInsideItsTimerMessageGetsNoMore) {
    TManualTimerClock& Clock = TestClock();
    TTestForm Form;
    std::vector<std::string> Log;
    auto* P = Form.Add<TProbe>(0, 0, 50, 50);
    P->Log = &Log;
    P->SetName("P");
    HWND H = P->GetHandle();
    auto Saved = P->GetWindowProc();
    P->SetWindowProc([&, Saved](TMessage& M) {
        Saved(M);
        if (M.Msg == WM_TIMER && M.WParam == 1) delete P;
    });
    ASSERT_EQ(SetTimer(H, 1, 10), 1u);
    ASSERT_EQ(SetTimer(H, 2, 10), 2u);  // due with timer 1, after it
    Clock.Advance(100);
    ProcessPendingEvents();
    EXPECT_EQ(Log, (std::vector<std::string>{"P Timer 1"}));
    EXPECT_FALSE(IsWindow(H));
    EXPECT_FALSE(KillTimer(H, 2));
}
