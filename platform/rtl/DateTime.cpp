#include "platform/rtl/DateTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

constexpr int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

std::function<TDateTime()>& ClockFunction() {
    static std::function<TDateTime()> clock;
    return clock;
}

// Days since 1 January 0001 (day 1) and milliseconds of the day, rounded with carry.
bool SplitDateTime(double Value, long& Days, long& MSecs) {
    if (!std::isfinite(Value) || Value < MinDateTime - 1 || Value > MaxDateTime + 1) return false;
    double whole = std::trunc(Value);
    long ms = std::lround(std::fabs(Value - whole) * MSecsPerDay);
    long days = static_cast<long>(whole);
    if (ms >= MSecsPerDay) {
        // Rounding reached midnight: the next calendar day, whatever the sign of the serial.
        ms -= MSecsPerDay;
        ++days;
    }
    days += DateDelta;
    if (days < 1 || days > DateDelta + 2958465) return false;
    Days = days;
    MSecs = ms;
    return true;
}

void DaysToDate(long Days, Word& Year, Word& Month, Word& Day) {
    // Days counts from 1 January 0001 as day 1.
    long t = Days - 1;
    long y = 1;
    long n = t / 146097;
    y += n * 400;
    t -= n * 146097;
    n = t / 36524;
    if (n == 4) n = 3;
    y += n * 100;
    t -= n * 36524;
    n = t / 1461;
    y += n * 4;
    t -= n * 1461;
    n = t / 365;
    if (n == 4) n = 3;
    y += n;
    t -= n * 365;
    const auto& md = kMonthDays[IsLeapYear(static_cast<int>(y)) ? 1 : 0];
    int m = 0;
    while (t >= md[m]) {
        t -= md[m];
        ++m;
    }
    Year = static_cast<Word>(y);
    Month = static_cast<Word>(m + 1);
    Day = static_cast<Word>(t + 1);
}

}  // namespace

bool IsLeapYear(int Year) {
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int DaysInAMonth(int Year, int Month) {
    if (Month < 1 || Month > 12) return 0;
    return kMonthDays[IsLeapYear(Year) ? 1 : 0][Month - 1];
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
        Day > DaysInAMonth(Year, Month))
        return false;
    const auto& md = kMonthDays[IsLeapYear(Year) ? 1 : 0];
    long days = Day;
    for (int m = 0; m < Month - 1; ++m)
        days += md[m];
    const long y = Year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    Date = TDateTime(static_cast<double>(days - DateDelta));
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
    TDateTime d;
    if (!TryEncodeDate(Year, Month, Day, d)) throw EConvertError("Invalid argument to date encode");
    return d;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
    if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 ||
        MSec >= 1000)
        return false;
    const long ms = ((Hour * 60L + Min) * 60L + Sec) * 1000L + MSec;
    Time = TDateTime(static_cast<double>(ms) / MSecsPerDay);
    return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    TDateTime t;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, t))
        throw EConvertError("Invalid argument to time encode");
    return t;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time) {
    const double d = std::trunc(Date.Val);
    const double t = std::fabs(Time.Val - std::trunc(Time.Val));
    return TDateTime(d < 0 ? d - t : d + t);
}

void DecodeDateTime(TDateTime Value, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min,
                    Word& Sec, Word& MSec) {
    long days = 0, ms = 0;
    Year = Month = Day = Hour = Min = Sec = MSec = 0;
    if (!SplitDateTime(Value.Val, days, ms)) return;
    DaysToDate(days, Year, Month, Day);
    Hour = static_cast<Word>(ms / 3600000);
    Min = static_cast<Word>(ms / 60000 % 60);
    Sec = static_cast<Word>(ms / 1000 % 60);
    MSec = static_cast<Word>(ms % 1000);
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day) {
    Word h, n, s, z;
    DecodeDateTime(Date, Year, Month, Day, h, n, s, z);
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
    Word y, m, d;
    DecodeDateTime(Time, y, m, d, Hour, Min, Sec, MSec);
}

int DayOfWeek(TDateTime Date) {
    long days = 0, ms = 0;
    if (!SplitDateTime(Date.Val, days, ms)) return 0;
    return static_cast<int>(days % 7) + 1;
}

TDateTime DateOf(TDateTime Value) {
    return TDateTime(std::trunc(Value.Val));
}

TDateTime TimeOf(TDateTime Value) {
    return TDateTime(std::fabs(Value.Val - std::trunc(Value.Val)));
}

TDateTime Now() {
    if (ClockFunction()) return ClockFunction()();
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&secs, &local);
    return ComposeDateTime(
        EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
        EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(ms)));
}

TDateTime Date() {
    return DateOf(Now());
}

TDateTime Time() {
    return TimeOf(Now());
}

void SetClock(std::function<TDateTime()> Clock) {
    ClockFunction() = std::move(Clock);
}

void SetFixedNow(TDateTime Value) {
    SetClock([Value] { return Value; });
}

}  // namespace carrelon
