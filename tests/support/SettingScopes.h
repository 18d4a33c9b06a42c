// Scope guards for the process-wide settings tests change. Each puts its setting back when the
// scope ends, so a test that stops early on a failed assertion still leaves the next test the
// settings it expects. (The locale has TLocaleScope, message boxes TMessageDlgRecorder, timers
// TManualTimerClock.)
#pragma once

#include <cstdint>
#include <utility>

#include "grid/CarrelonCellPool.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Random.h"

namespace carrelon::test {

// The application's hint pauses, in milliseconds.
class THintPauseScope {
public:
    THintPauseScope(int Pause, int ShortPause)
        : FPause(Application()->GetHintPause()), FShortPause(Application()->GetHintShortPause()) {
        Application()->SetHintPause(Pause);
        Application()->SetHintShortPause(ShortPause);
    }
    ~THintPauseScope() {
        Application()->SetHintPause(FPause);
        Application()->SetHintShortPause(FShortPause);
    }
    THintPauseScope(const THintPauseScope&) = delete;
    THintPauseScope& operator=(const THintPauseScope&) = delete;

private:
    int FPause, FShortPause;
};

// Now() answers a fixed moment, changed with Set; the system clock again when the scope ends.
class TFixedNow {
public:
    explicit TFixedNow(TDateTime Value) { SetFixedNow(Value); }
    ~TFixedNow() { SetClock(nullptr); }
    void Set(TDateTime Value) { SetFixedNow(Value); }
    TFixedNow(const TFixedNow&) = delete;
    TFixedNow& operator=(const TFixedNow&) = delete;
};

// Application()->OnException for the scope.
class TExceptionHandlerScope {
public:
    explicit TExceptionHandlerScope(TExceptionEvent Handler)
        : FSaved(std::exchange(Application()->OnException, std::move(Handler))) {}
    ~TExceptionHandlerScope() { Application()->OnException = std::move(FSaved); }
    TExceptionHandlerScope(const TExceptionHandlerScope&) = delete;
    TExceptionHandlerScope& operator=(const TExceptionHandlerScope&) = delete;

private:
    TExceptionEvent FSaved;
};

// The random generator's seed as it was.
class TRandSeedScope {
public:
    TRandSeedScope() : FSaved(RandSeed) {}
    ~TRandSeedScope() { RandSeed = FSaved; }
    TRandSeedScope(const TRandSeedScope&) = delete;
    TRandSeedScope& operator=(const TRandSeedScope&) = delete;

private:
    std::int32_t FSaved;
};

// The cell pool fails its allocation after Count more cells, until the scope ends.
class TCellAllocationFailure {
public:
    explicit TCellAllocationFailure(long long Count) { CarrelonCellPool().FailAfter(Count); }
    ~TCellAllocationFailure() { CarrelonCellPool().FailAfter(-1); }
    TCellAllocationFailure(const TCellAllocationFailure&) = delete;
    TCellAllocationFailure& operator=(const TCellAllocationFailure&) = delete;
};

}  // namespace carrelon::test
