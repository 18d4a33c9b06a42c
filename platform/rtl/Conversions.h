// Conversions between text and numbers, currency, booleans, dates and times. Every routine
// reads the locale settings at the moment of the call: the current FormatSettings by default,
// or the settings passed explicitly (e.g. a fixed "." for file formats).
#pragma once

#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Types.h"

namespace carrelon {

// ---- Integers ----------------------------------------------------------------------------
AnsiString IntToStr(int Value);
AnsiString IntToStr(Int64 Value);
AnsiString IntToHex(Int64 Value, int Digits);
// Decimal, or hexadecimal after "$", "0x" or "0X"; optional sign, leading blanks allowed.
// StrToInt raises EConvertError "'x' is not a valid integer value" (also on overflow).
int StrToInt(const AnsiString& S);
Int64 StrToInt64(const AnsiString& S);
int StrToIntDef(const AnsiString& S, int Default);
Int64 StrToInt64Def(const AnsiString& S, Int64 Default);
bool TryStrToInt(const AnsiString& S, int& Value);
bool TryStrToInt64(const AnsiString& S, Int64& Value);

// ---- Val: the runtime's number scanner ------------------------------------------------------
// Reads S as a number with "." as decimal point (leading blanks skipped, optional sign, digits,
// fraction, exponent; integers also "$" hexadecimal). Code is 0 when all of S was read, else the
// 1-based position of the first character that could not be read (Length(S) + 1 when the text
// ended too early, as "1e"). Value is the number read, 0 on failure.
void Val(const AnsiString& S, Extended& Value, int& Code);
void Val(const AnsiString& S, double& Value, int& Code);
void Val(const AnsiString& S, int& Value, int& Code);
void Val(const AnsiString& S, Int64& Value, int& Code);

// ---- Floating point ----------------------------------------------------------------------
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Text to number with the locale's decimal separator (no thousands separators); blanks around
// the number are allowed. False when S is not a number or out of the target's range.
bool TextToFloat(const AnsiString& S, Extended& Value,
                 const TFormatSettings& Settings = FormatSettings);
bool TextToFloat(const AnsiString& S, double& Value,
                 const TFormatSettings& Settings = FormatSettings);
bool TextToFloat(const AnsiString& S, Currency& Value,
                 const TFormatSettings& Settings = FormatSettings);
// Raises EConvertError "'x' is not a valid floating point value".
Extended StrToFloat(const AnsiString& S, const TFormatSettings& Settings = FormatSettings);
Extended StrToFloatDef(const AnsiString& S, Extended Default,
                       const TFormatSettings& Settings = FormatSettings);
bool TryStrToFloat(const AnsiString& S, Extended& Value,
                   const TFormatSettings& Settings = FormatSettings);
bool TryStrToFloat(const AnsiString& S, double& Value,
                   const TFormatSettings& Settings = FormatSettings);

// General format with 15 significant digits: fixed notation unless the decimal exponent is 15 or
// more or below -4, then "1E15", "1.5E-5". NaN and infinities give "NAN", "INF", "-INF".
AnsiString FloatToStr(Extended Value, const TFormatSettings& Settings = FormatSettings);
// ffGeneral: as FloatToStr with Precision digits (Digits = minimum exponent digits);
// ffExponent: "-d.dddE+ddd" with Precision digits and at least Digits exponent digits;
// ffFixed / ffNumber (with thousands separators): Digits decimals, exponent form when the
// integer part has more than Precision digits; ffCurrency: the locale's currency layout with
// Digits decimals.
AnsiString FloatToStrF(Extended Value, TFloatFormat Format, int Precision, int Digits,
                       const TFormatSettings& Settings = FormatSettings);
// The format-string language: "0" digit, "#" optional digit, "." decimal point, "," thousands
// separators, "E+" "E-" "e+" "e-" exponent, '...' and "..." literal text, sections
// "positive;negative;zero". An empty format gives FloatToStr.
AnsiString FormatFloat(const AnsiString& Format, Extended Value,
                       const TFormatSettings& Settings = FormatSettings);

// ---- Currency ----------------------------------------------------------------------------
AnsiString CurrToStr(Currency Value, const TFormatSettings& Settings = FormatSettings);
AnsiString CurrToStrF(Currency Value, TFloatFormat Format, int Digits,
                      const TFormatSettings& Settings = FormatSettings);
AnsiString FormatCurr(const AnsiString& Format, Currency Value,
                      const TFormatSettings& Settings = FormatSettings);
// Raises EConvertError "'x' is not a valid floating point value".
Currency StrToCurr(const AnsiString& S, const TFormatSettings& Settings = FormatSettings);
Currency StrToCurrDef(const AnsiString& S, Currency Default,
                      const TFormatSettings& Settings = FormatSettings);
bool TryStrToCurr(const AnsiString& S, Currency& Value,
                  const TFormatSettings& Settings = FormatSettings);

// ---- Booleans ----------------------------------------------------------------------------
// "True"/"False" with UseBoolStrs, else "-1"/"0".
AnsiString BoolToStr(bool Value, bool UseBoolStrs = false);
// "True"/"False" in any case, or a number (0 = False). Raises EConvertError
// "'x' is not a valid boolean value".
bool StrToBool(const AnsiString& S);
bool StrToBoolDef(const AnsiString& S, bool Default);
bool TryStrToBool(const AnsiString& S, bool& Value);

// ---- Dates and times ---------------------------------------------------------------------
// FormatDateTime specifiers: c, d, dd, ddd, dddd, ddddd, dddddd, m, mm, mmm, mmmm, yy, yyyy,
// h, hh, n, nn, s, ss, z, zzz, t, tt, am/pm, a/p, ampm, "/" (date separator), ":" (time
// separator), '...' and "..." literal text. "m" right after an hour is minutes.
AnsiString FormatDateTime(const AnsiString& Format, TDateTime Value,
                          const TFormatSettings& Settings = FormatSettings);
AnsiString DateToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings);
AnsiString TimeToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings);
// The short date, followed by the long time unless the time part is zero.
AnsiString DateTimeToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings);

// Dates are numbers separated by DateSeparator in the order of ShortDateFormat (a first number
// of three or more digits is a year: year, month, day); a missing year is the current year;
// two-digit years fall within TwoDigitYearCenturyWindow of the current year. Times are
// h[:n[:s[.z]]] with TimeSeparator and an optional AM/PM marker (TimeAMString, TimePMString, or
// "AM"/"PM") before or after; an hour alone needs the marker. A date and time are separated by
// blanks; a time alone is accepted as a date and time on day 0.
bool TryStrToDate(const AnsiString& S, TDateTime& Value,
                  const TFormatSettings& Settings = FormatSettings);
bool TryStrToTime(const AnsiString& S, TDateTime& Value,
                  const TFormatSettings& Settings = FormatSettings);
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value,
                      const TFormatSettings& Settings = FormatSettings);
// Raise EConvertError "'x' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const AnsiString& S, const TFormatSettings& Settings = FormatSettings);
TDateTime StrToTime(const AnsiString& S, const TFormatSettings& Settings = FormatSettings);
TDateTime StrToDateTime(const AnsiString& S, const TFormatSettings& Settings = FormatSettings);
TDateTime StrToDateDef(const AnsiString& S, TDateTime Default,
                       const TFormatSettings& Settings = FormatSettings);
TDateTime StrToTimeDef(const AnsiString& S, TDateTime Default,
                       const TFormatSettings& Settings = FormatSettings);
TDateTime StrToDateTimeDef(const AnsiString& S, TDateTime Default,
                           const TFormatSettings& Settings = FormatSettings);

}  // namespace carrelon
