#include "platform/controls/Timers.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QTimerEvent>
#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

// Receives Qt's timer events for every running platform timer.
class TTimerHost : public QObject {
public:
    using QObject::QObject;

protected:
    void timerEvent(QTimerEvent* Event) override;
};

struct TEntry {
    std::shared_ptr<const std::function<void()>> OnTimer;
    Cardinal Interval = 1;
    bool Repeat = false;
    int QtId = 0;   // Qt's timer while Qt's event loop drives this one
    Int64 Due = 0;  // due time on the manual clock
};

struct TRegistry {
    std::map<std::uint64_t, TEntry> Entries;  // running timers, keyed in start order
    std::unordered_map<int, std::uint64_t> ByQtId;
    QPointer<TTimerHost> Host;
    std::uint64_t LastId = 0;
    bool Manual = false;
    Int64 Now = 0;
};

// Never destroyed: timers owned by statics may stop during static destruction.
TRegistry& Registry() {
    static TRegistry& R = *new TRegistry;
    return R;
}

bool StartOnQt(TRegistry& R, std::uint64_t Id, TEntry& E) {
    if (!R.Host && QCoreApplication::instance() != nullptr)
        R.Host = new TTimerHost(QCoreApplication::instance());  // goes with the application
    if (!R.Host) return false;
    E.QtId = R.Host->startTimer(static_cast<int>(std::min<Cardinal>(E.Interval, INT32_MAX)));
    if (E.QtId == 0) return false;
    R.ByQtId[E.QtId] = Id;
    return true;
}

void StopOnQt(TRegistry& R, TEntry& E) {
    if (E.QtId == 0) return;
    if (R.Host) R.Host->killTimer(E.QtId);
    R.ByQtId.erase(E.QtId);
    E.QtId = 0;
}

void Remove(std::uint64_t Id) {
    TRegistry& R = Registry();
    auto It = R.Entries.find(Id);
    if (It == R.Entries.end()) return;
    StopOnQt(R, It->second);
    R.Entries.erase(It);
}

// Runs one timer's handler. The handler is held here, so it may destroy its own timer.
void Fire(std::uint64_t Id) {
    TRegistry& R = Registry();
    auto It = R.Entries.find(Id);
    if (It == R.Entries.end()) return;
    const std::shared_ptr<const std::function<void()>> OnTimer = It->second.OnTimer;
    if (!It->second.Repeat)
        Remove(Id);
    else if (R.Manual)
        It->second.Due += It->second.Interval;
    (*OnTimer)();
}

void TTimerHost::timerEvent(QTimerEvent* Event) {
    TRegistry& R = Registry();
    auto It = R.ByQtId.find(Event->timerId());
    if (It != R.ByQtId.end()) Fire(It->second);
}

}  // namespace

// ---- TPlatformTimer -------------------------------------------------------------------------

TPlatformTimer::TPlatformTimer(std::function<void()> OnTimer)
    : FOnTimer(std::make_shared<const std::function<void()>>(std::move(OnTimer))) {}

TPlatformTimer::~TPlatformTimer() {
    Stop();
}

bool TPlatformTimer::Start(Cardinal Milliseconds, bool Repeat) {
    Stop();
    TRegistry& R = Registry();
    const std::uint64_t Id = ++R.LastId;
    TEntry E;
    E.OnTimer = FOnTimer;
    E.Interval = std::max<Cardinal>(Milliseconds, 1);
    E.Repeat = Repeat;
    if (R.Manual)
        E.Due = R.Now + E.Interval;
    else if (!StartOnQt(R, Id, E))
        return false;
    R.Entries.emplace(Id, E);
    FId = Id;
    return true;
}

void TPlatformTimer::Stop() {
    if (FId == 0) return;
    Remove(FId);
    FId = 0;
}

bool TPlatformTimer::Active() const {
    return FId != 0 && Registry().Entries.count(FId) != 0;
}

// ---- TManualTimerClock ----------------------------------------------------------------------

TManualTimerClock::TManualTimerClock() {
    TRegistry& R = Registry();
    if (R.Manual) throw EInvalidOperation("A manual timer clock is already running");
    R.Manual = true;
    R.Now = 0;
    for (auto& [Id, E] : R.Entries) {
        StopOnQt(R, E);
        E.Due = E.Interval;
    }
}

TManualTimerClock::~TManualTimerClock() {
    TRegistry& R = Registry();
    R.Manual = false;
    for (auto It = R.Entries.begin(); It != R.Entries.end();)
        It = StartOnQt(R, It->first, It->second) ? std::next(It) : R.Entries.erase(It);
}

void TManualTimerClock::Advance(Cardinal Milliseconds) {
    TRegistry& R = Registry();
    const Int64 Target = R.Now + Milliseconds;
    for (;;) {
        // The earliest due timer; ties go to the one started first (lowest key).
        auto Next = R.Entries.end();
        for (auto It = R.Entries.begin(); It != R.Entries.end(); ++It)
            if (It->second.Due <= Target &&
                (Next == R.Entries.end() || It->second.Due < Next->second.Due))
                Next = It;
        if (Next == R.Entries.end()) break;
        R.Now = Next->second.Due;
        Fire(Next->first);
    }
    R.Now = Target;
}

Int64 TManualTimerClock::Now() const {
    return Registry().Now;
}

}  // namespace carrelon
