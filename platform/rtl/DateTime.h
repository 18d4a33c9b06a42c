// TDateTime: days since 30 December 1899 as a double, the fraction being the time of day. A
// value before that date counts its whole days negative while its time is still the distance
// after midnight: -1.25 is 29 December 1899, 6:00.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

namespace carrelon {

class TDateTime {
public:
    constexpr TDateTime() = default;
    constexpr TDateTime(double Value) : Val(Value) {}
    constexpr operator double() const { return Val; }
    TDateTime& operator+=(double D) {
        Val += D;
        return *this;
    }
    TDateTime& operator-=(double D) {
        Val -= D;
        return *this;
    }

    double Val = 0;
};

inline constexpr int HoursPerDay = 24;
inline constexpr int MinsPerDay = 24 * 60;
inline constexpr int SecsPerDay = 24 * 60 * 60;
inline constexpr int MSecsPerDay = SecsPerDay * 1000;
// Days from 1 January 0001 to 30 December 1899 (day 0), counting the first.
inline constexpr int DateDelta = 693594;
inline constexpr double MinDateTime = -693593.0;         // 1 January 0001
inline constexpr double MaxDateTime = 2958465.99999999;  // 31 December 9999, 23:59:59.999

bool IsLeapYear(int Year);
int DaysInAMonth(int Year, int Month);

// Raise EConvertError ("Invalid argument to date encode" / "... time encode") on a bad date or
// time; the Try versions return False instead.
TDateTime EncodeDate(int Year, int Month, int Day);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
// A date plus a time of day, respecting the convention for negative dates.
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time);

// Decoding rounds to the millisecond; a time that rounds to midnight carries into the next
// day. Outside 1 January 0001 .. 31 December 9999 (or NaN) DecodeDate gives 0, 0, 0 and
// DecodeTime 0, 0, 0, 0.
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
void DecodeDateTime(TDateTime Value, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min,
                    Word& Sec, Word& MSec);
// 1 = Sunday .. 7 = Saturday; 0 for a value outside the calendar.
int DayOfWeek(TDateTime Date);

// The date part (whole days toward zero) and the time part (absolute fraction).
TDateTime DateOf(TDateTime Value);
TDateTime TimeOf(TDateTime Value);

// The clock: the system's local time unless a test fixed it.
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetClock(std::function<TDateTime()> Clock);  // empty function: the system clock again
void SetFixedNow(TDateTime Value);

}  // namespace carrelon
