// The user's locale settings, read by every conversion at the moment of use. They start as
// English (United States) and can be changed at any time (tests switch them; TLocaleScope
// restores them).
#pragma once

#include <array>

#include "platform/rtl/Types.h"

namespace carrelon {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char ListSeparator = ',';
    AnsiString CurrencyString = "$";
    // Positive currency: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    Byte CurrencyFormat = 0;
    // Negative currency, 0..15: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$",
    // 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $",
    // 14 "($ 1)", 15 "(1 $)".
    Byte NegCurrFormat = 0;
    Byte CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    AnsiString ShortDateFormat = "M/d/yyyy";
    AnsiString LongDateFormat = "dddd, MMMM d, yyyy";
    AnsiString ShortTimeFormat = "h:nn AMPM";
    AnsiString LongTimeFormat = "h:nn:ss AMPM";
    AnsiString TimeAMString = "AM";
    AnsiString TimePMString = "PM";
    // Index 0 is January / Sunday.
    std::array<AnsiString, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<AnsiString, 12> LongMonthNames{"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
    std::array<AnsiString, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<AnsiString, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
    // A two-digit year is placed within this many years of the current year (0: current
    // century).
    Word TwoDigitYearCenturyWindow = 50;
};

// The live settings; the named variables below are references into it.
extern TFormatSettings FormatSettings;

extern char& DecimalSeparator;
extern char& ThousandSeparator;
extern char& ListSeparator;
extern AnsiString& CurrencyString;
extern Byte& CurrencyFormat;
extern Byte& NegCurrFormat;
extern Byte& CurrencyDecimals;
extern char& DateSeparator;
extern char& TimeSeparator;
extern AnsiString& ShortDateFormat;
extern AnsiString& LongDateFormat;
extern AnsiString& ShortTimeFormat;
extern AnsiString& LongTimeFormat;
extern AnsiString& TimeAMString;
extern AnsiString& TimePMString;
extern std::array<AnsiString, 12>& ShortMonthNames;
extern std::array<AnsiString, 12>& LongMonthNames;
extern std::array<AnsiString, 7>& ShortDayNames;
extern std::array<AnsiString, 7>& LongDayNames;

// Saves every locale setting on construction and restores them on destruction. With Reset,
// the settings start from the English (United States) defaults inside the scope.
class TLocaleScope {
public:
    explicit TLocaleScope(bool Reset = false);
    ~TLocaleScope();
    TLocaleScope(const TLocaleScope&) = delete;
    TLocaleScope& operator=(const TLocaleScope&) = delete;

private:
    TFormatSettings Saved;
};

}  // namespace carrelon
