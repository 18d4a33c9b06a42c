// Timers on the user-interface thread: window timers (SetTimer) and the application's hint
// pauses all run through TPlatformTimer. Qt's event loop drives them, unless a TManualTimerClock
// is alive: then time stands still until the clock is advanced, so a test decides exactly which
// timers fire, whatever the speed of the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/rtl/Types.h"

namespace carrelon {

class TPlatformTimer {
public:
    explicit TPlatformTimer(std::function<void()> OnTimer);
    ~TPlatformTimer();
    TPlatformTimer(const TPlatformTimer&) = delete;
    TPlatformTimer& operator=(const TPlatformTimer&) = delete;

    // (Re)starts the timer: OnTimer runs after Milliseconds (at least 1), then every
    // Milliseconds while Repeat. False when nothing can run it (no application, no manual clock).
    bool Start(Cardinal Milliseconds, bool Repeat);
    void Stop();
    bool Active() const;

private:
    std::uint64_t FId = 0;
    std::shared_ptr<const std::function<void()>> FOnTimer;
};

// While one lives, every platform timer runs on this clock instead of Qt's; timers running when
// it starts or ends start their interval afresh. A timer may start, stop or destroy timers (its
// own included) from its handler. One clock at a time.
class TManualTimerClock {
public:
    TManualTimerClock();
    ~TManualTimerClock();
    TManualTimerClock(const TManualTimerClock&) = delete;
    TManualTimerClock& operator=(const TManualTimerClock&) = delete;

    // Moves time forward by Milliseconds, firing every timer that falls due on the way, in the
    // order they fall due (those due together in the order they were started).
    void Advance(Cardinal Milliseconds);
    // Milliseconds advanced since this clock started.
    Int64 Now() const;
};

}  // namespace carrelon
