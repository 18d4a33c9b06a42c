// Text-to-number conversions: integers, Val, TextToFloat and currency, booleans.
#include <locale.h>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

// Scans an integer from S starting at 0; returns the 0-based index of the first unread
// character (S.size() when complete) and sets Ok when a valid integer was read completely.
std::size_t ScanInteger(const AnsiString& S, Int64& Value, bool& Ok) {
    Ok = false;
    Value = 0;
    std::size_t i = 0;
    while (i < S.size() && S[i] == ' ')
        ++i;
    bool negative = false;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
    int base = 10;
    if (i < S.size() && S[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    const std::size_t digitsStart = i;
    unsigned long long mag = 0;
    bool overflow = false;
    while (i < S.size()) {
        const int d = base == 16 ? HexValue(S[i]) : (IsDigit(S[i]) ? S[i] - '0' : -1);
        if (d < 0) break;
        if (mag > (ULLONG_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(base))
            overflow = true;
        else
            mag = mag * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        ++i;
    }
    if (i == digitsStart) return i;
    if (i < S.size()) return i;
    // Hexadecimal may spell the full 64-bit pattern (a negative number); decimal must fit.
    if (overflow) return S.size();
    if (base == 10) {
        const unsigned long long limit = negative ? 9223372036854775808ull : 9223372036854775807ull;
        if (mag > limit) return S.size();
    }
    Value = negative ? static_cast<Int64>(0ull - mag) : static_cast<Int64>(mag);
    Ok = true;
    return i;
}

// The syntax of a real number: [sign] digits [sep digits] [(e|E) [sign] digits]. Returns the
// 0-based index of the first character not taken; Complete when the syntax ended well there.
// Ascii receives the number with "." as decimal point and without a plus sign.
std::size_t ScanReal(const AnsiString& S, std::size_t From, char Separator, std::string& Ascii,
                     bool& Complete) {
    Complete = false;
    Ascii.clear();
    std::size_t i = From;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) {
        if (S[i] == '-') Ascii += '-';
        ++i;
    }
    bool digits = false;
    while (i < S.size() && IsDigit(S[i])) {
        Ascii += S[i++];
        digits = true;
    }
    if (i < S.size() && S[i] == Separator) {
        Ascii += '.';
        ++i;
        while (i < S.size() && IsDigit(S[i])) {
            Ascii += S[i++];
            digits = true;
        }
    }
    if (!digits) return i;
    if (i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
        Ascii += 'e';
        ++i;
        if (i < S.size() && (S[i] == '+' || S[i] == '-')) {
            if (S[i] == '-') Ascii += '-';
            ++i;
        }
        if (i >= S.size() || !IsDigit(S[i])) return i;
        while (i < S.size() && IsDigit(S[i]))
            Ascii += S[i++];
    }
    Complete = true;
    return i;
}

// Converts validated ASCII straight to the target type (no double rounding); False on
// overflow. Underflow gives zero.
// The value of a text below the normal range: the nearest denormal, or 0. from_chars reports
// Extended denormals as out of range (Double ones it reads itself), so C's reader, bound to the
// "C" locale, supplies them.
template <typename T>
T NearestTiny(const std::string& Ascii) {
    if constexpr (std::is_same_v<T, long double>) {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        return strtold_l(Ascii.c_str(), nullptr, cLocale);
    }
    return 0;
}

template <typename T>
bool AsciiToFloat(const std::string& Ascii, T& Value) {
    const char* b = Ascii.data();
    const char* e = b + Ascii.size();
    const auto r = std::from_chars(b, e, Value);
    if (r.ec == std::errc::result_out_of_range) {
        // Decide between overflow and underflow by the decimal magnitude of the text.
        long intDigits = 0, leadingFracZeros = 0, exp = 0;
        bool inFrac = false, significant = false;
        const std::size_t ePos = Ascii.find('e');
        const std::string mant = Ascii.substr(0, ePos);
        // Far beyond any floating range either way, and small enough that the sum below cannot
        // overflow whatever the exponent's digits say.
        if (ePos != std::string::npos)
            exp = std::clamp(std::strtol(Ascii.c_str() + ePos + 1, nullptr, 10), -(1L << 40),
                             1L << 40);
        for (char c : mant) {
            if (c == '.') {
                inFrac = true;
            } else if (IsDigit(c)) {
                if (c != '0') significant = true;
                if (!inFrac && significant) ++intDigits;
                if (inFrac && !significant) ++leadingFracZeros;
            }
        }
        const long magnitude = (intDigits > 0 ? intDigits : -leadingFracZeros) + exp;
        if (magnitude < 0) {
            Value = NearestTiny<T>(Ascii);
            return true;
        }
        return false;
    }
    return r.ec == std::errc() && r.ptr == e;
}

bool IsBlankChar(char C) {
    return static_cast<unsigned char>(C) <= ' ';
}

AnsiString Quoted(const AnsiString& S) {
    return "'" + S + "'";
}

}  // namespace

AnsiString IntToStr(int Value) {
    return std::to_string(Value);
}
AnsiString IntToStr(Int64 Value) {
    return std::to_string(Value);
}

AnsiString IntToHex(Int64 Value, int Digits) {
    static const char* hex = "0123456789ABCDEF";
    unsigned long long v = static_cast<unsigned long long>(Value);
    AnsiString s;
    do {
        s.insert(s.begin(), hex[v & 15]);
        v >>= 4;
    } while (v != 0);
    while (static_cast<int>(s.size()) < Digits)
        s.insert(s.begin(), '0');
    return s;
}

bool TryStrToInt64(const AnsiString& S, Int64& Value) {
    bool ok = false;
    Int64 v = 0;
    ScanInteger(S, v, ok);
    if (ok) Value = v;
    return ok;
}

bool TryStrToInt(const AnsiString& S, int& Value) {
    Int64 v = 0;
    if (!TryStrToInt64(S, v)) return false;
    // Hexadecimal may spell a 32-bit pattern such as $FFFFFFFF (= -1).
    const bool hex = S.find_first_of("$xX") != AnsiString::npos;
    if (hex && v > INT_MAX && v <= static_cast<Int64>(UINT_MAX))
        v = static_cast<int>(v - 4294967296LL);
    if (v < INT_MIN || v > INT_MAX) return false;
    Value = static_cast<int>(v);
    return true;
}

int StrToInt(const AnsiString& S) {
    int v = 0;
    if (!TryStrToInt(S, v)) throw EConvertError(Quoted(S) + " is not a valid integer value");
    return v;
}

Int64 StrToInt64(const AnsiString& S) {
    Int64 v = 0;
    if (!TryStrToInt64(S, v)) throw EConvertError(Quoted(S) + " is not a valid integer value");
    return v;
}

int StrToIntDef(const AnsiString& S, int Default) {
    int v = 0;
    return TryStrToInt(S, v) ? v : Default;
}

Int64 StrToInt64Def(const AnsiString& S, Int64 Default) {
    Int64 v = 0;
    return TryStrToInt64(S, v) ? v : Default;
}

namespace {
template <typename T>
void ValFloat(const AnsiString& S, T& Value, int& Code) {
    Value = 0;
    std::size_t i = 0;
    while (i < S.size() && S[i] == ' ')
        ++i;
    std::string ascii;
    bool complete = false;
    const std::size_t stop = ScanReal(S, i, '.', ascii, complete);
    if (!complete || stop < S.size()) {
        Code = static_cast<int>(stop + 1);
        return;
    }
    T v = 0;
    if (!AsciiToFloat(ascii, v)) {
        Code = static_cast<int>(S.size() + 1);
        return;
    }
    Value = v;
    Code = 0;
}

}  // namespace

void Val(const AnsiString& S, Extended& Value, int& Code) {
    ValFloat(S, Value, Code);
}

void Val(const AnsiString& S, double& Value, int& Code) {
    ValFloat(S, Value, Code);
}

void Val(const AnsiString& S, Int64& Value, int& Code) {
    bool ok = false;
    Int64 v = 0;
    const std::size_t stop = ScanInteger(S, v, ok);
    Value = ok ? v : 0;
    Code = ok ? 0 : static_cast<int>(stop + 1);
}

void Val(const AnsiString& S, int& Value, int& Code) {
    Int64 v = 0;
    Val(S, v, Code);
    if (Code == 0 && (v < INT_MIN || v > INT_MAX)) {
        Code = static_cast<int>(S.size() + 1);
        v = 0;
    }
    Value = static_cast<int>(v);
}

namespace {
template <typename T>
bool TextToFloatT(const AnsiString& S, T& Value, const TFormatSettings& Settings) {
    std::size_t b = 0, e = S.size();
    while (b < e && IsBlankChar(S[b]))
        ++b;
    while (e > b && IsBlankChar(S[e - 1]))
        --e;
    if (b == e) return false;
    const AnsiString body = S.substr(b, e - b);
    std::string ascii;
    bool complete = false;
    if (ScanReal(body, 0, Settings.DecimalSeparator, ascii, complete) != body.size() || !complete)
        return false;
    T v = 0;
    if (!AsciiToFloat(ascii, v)) return false;
    Value = v;
    return true;
}

}  // namespace

bool TextToFloat(const AnsiString& S, Extended& Value, const TFormatSettings& Settings) {
    return TextToFloatT(S, Value, Settings);
}

bool TextToFloat(const AnsiString& S, double& Value, const TFormatSettings& Settings) {
    return TextToFloatT(S, Value, Settings);
}

bool TextToFloat(const AnsiString& S, Currency& Value, const TFormatSettings& Settings) {
    Extended v = 0;
    return TextToFloat(S, v, Settings) && Currency::TryFromExtended(v, Value);
}

bool TryStrToFloat(const AnsiString& S, Extended& Value, const TFormatSettings& Settings) {
    return TextToFloat(S, Value, Settings);
}

bool TryStrToFloat(const AnsiString& S, double& Value, const TFormatSettings& Settings) {
    return TextToFloat(S, Value, Settings);
}

Extended StrToFloat(const AnsiString& S, const TFormatSettings& Settings) {
    Extended v = 0;
    if (!TextToFloat(S, v, Settings))
        throw EConvertError(Quoted(S) + " is not a valid floating point value");
    return v;
}

Extended StrToFloatDef(const AnsiString& S, Extended Default, const TFormatSettings& Settings) {
    Extended v = 0;
    return TextToFloat(S, v, Settings) ? v : Default;
}

bool TryStrToCurr(const AnsiString& S, Currency& Value, const TFormatSettings& Settings) {
    return TextToFloat(S, Value, Settings);
}

Currency StrToCurr(const AnsiString& S, const TFormatSettings& Settings) {
    Currency v;
    if (!TextToFloat(S, v, Settings))
        throw EConvertError(Quoted(S) + " is not a valid floating point value");
    return v;
}

Currency StrToCurrDef(const AnsiString& S, Currency Default, const TFormatSettings& Settings) {
    Currency v;
    return TextToFloat(S, v, Settings) ? v : Default;
}

AnsiString BoolToStr(bool Value, bool UseBoolStrs) {
    if (UseBoolStrs) return Value ? "True" : "False";
    return Value ? "-1" : "0";
}

bool TryStrToBool(const AnsiString& S, bool& Value) {
    AnsiString t = S;
    for (char& c : t)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (t == "TRUE") {
        Value = true;
        return true;
    }
    if (t == "FALSE") {
        Value = false;
        return true;
    }
    Extended v = 0;
    if (TextToFloat(S, v)) {
        Value = v != 0;
        return true;
    }
    return false;
}

bool StrToBool(const AnsiString& S) {
    bool v = false;
    if (!TryStrToBool(S, v)) throw EConvertError(Quoted(S) + " is not a valid boolean value");
    return v;
}

bool StrToBoolDef(const AnsiString& S, bool Default) {
    bool v = false;
    return TryStrToBool(S, v) ? v : Default;
}

}  // namespace carrelon
