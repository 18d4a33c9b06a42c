// How formulas read a cell that holds text.
#include <charconv>
#include <cmath>

#include "formulas/FormulaEngine.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"

namespace carrelon {

namespace {

// What repeatedly reading a number and deleting the first character that stops the reading
// leaves, in one pass: characters that cannot continue the number are skipped. False when no
// digit remains or the text ends inside an exponent.
bool SalvageNumber(const AnsiString& S, Extended& Value) {
    enum { Start, Sign, Whole, Fraction, Exponent, ExponentSign, ExponentDigits } state = Start;
    AnsiString kept;
    bool mantissaDigit = false;
    for (char c : S) {
        const bool digit = c >= '0' && c <= '9';
        switch (state) {
            case Start:
                if (c == ' ' || c == '\t') continue;
                if (c == '+' || c == '-') {
                    state = Sign;
                } else if (digit) {
                    state = Whole;
                } else if (c == '.') {
                    state = Fraction;
                } else {
                    continue;
                }
                break;
            case Sign:
            case Whole:
                if (digit) {
                    state = Whole;
                } else if (c == '.') {
                    state = Fraction;
                } else if ((c == 'e' || c == 'E') && state == Whole) {
                    state = Exponent;
                } else {
                    continue;
                }
                break;
            case Fraction:
                if (digit) break;
                if ((c == 'e' || c == 'E') && mantissaDigit) {
                    state = Exponent;
                    break;
                }
                continue;
            case Exponent:
                if (c == '+' || c == '-')
                    state = ExponentSign;
                else if (digit)
                    state = ExponentDigits;
                else
                    continue;
                break;
            case ExponentSign:
            case ExponentDigits:
                if (!digit) continue;
                state = ExponentDigits;
                break;
        }
        if (digit && state != ExponentDigits) mantissaDigit = true;
        kept.push_back(c);
    }
    if (!mantissaDigit || state == Exponent || state == ExponentSign) return false;
    std::size_t begin = !kept.empty() && kept[0] == '+' ? 1 : 0;
    Extended v = 0;
    auto [end, ec] = std::from_chars(kept.data() + begin, kept.data() + kept.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero, overflow as no number.
        if (kept.find("e-") == AnsiString::npos && kept.find("E-") == AnsiString::npos)
            return false;
        v = 0;
    } else if (ec != std::errc() || !std::isfinite(v)) {
        return false;
    }
    Value = v;
    return true;
}

}  // namespace

bool FormulaTextToNumber(const AnsiString& S, Extended& Value, TCarrelonExpressionType& Type) {
    if (TextToFloat(S, Value)) return true;
    AnsiString t;
    t.reserve(S.size());
    for (char c : S)
        if (c != ThousandSeparator) t.push_back(c);
    if (t.empty()) return false;
    if (TextToFloat(t, Value)) return true;
    if (!CurrencyString.empty()) {
        std::size_t at = t.find(CurrencyString);
        if (at != AnsiString::npos) t.erase(at, CurrencyString.size());
    }
    if (t.empty()) return false;
    if (TextToFloat(t, Value)) return true;
    TDateTime dt;
    if (TryStrToTime(S, dt)) {
        Value = dt.Val;
        Type = etTime;
        return true;
    }
    if (TryStrToDate(S, dt)) {
        Value = dt.Val;
        Type = etDate;
        return true;
    }
    if (TryStrToDateTime(S, dt)) {
        Value = dt.Val;
        Type = etDateTime;
        return true;
    }
    if (DecimalSeparator == '.') return SalvageNumber(S, Value);
    AnsiString dotted = S;
    for (char& c : dotted)
        if (c == DecimalSeparator) c = '.';
    return SalvageNumber(dotted, Value);
}

}  // namespace carrelon
