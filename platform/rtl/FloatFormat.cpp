// Number-to-text conversions: FloatToStr, FloatToStrF, FormatFloat and their currency forms.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/FloatDecimal.h"

namespace carrelon {

namespace detail {

TFloatRec ExactDigits(Extended Value) {
    TFloatRec r;
    if (std::isnan(Value)) {
        r.Kind = TFloatRec::fkNan;
        return r;
    }
    r.Negative = std::signbit(Value);
    if (std::isinf(Value)) {
        r.Kind = TFloatRec::fkInf;
        return r;
    }
    if (Value == 0) {
        r.Negative = false;
        return r;
    }
    char buf[80];
    // 39 significant digits are enough to see whether a value lies exactly on a rounding
    // half. A value that a double holds exactly takes the much faster double conversion.
    const long double magnitude = std::fabs(Value);
    const double asDouble = static_cast<double>(magnitude);
    const auto res =
        static_cast<long double>(asDouble) == magnitude
            ? std::to_chars(buf, buf + sizeof buf, asDouble, std::chars_format::scientific, 39)
            : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 39);
    const std::string text(buf, res.ptr);
    const std::size_t e = text.find('e');
    r.Digits = text.substr(0, 1) + text.substr(2, e - 2);
    r.Exponent = std::stoi(text.substr(e + 1)) + 1;
    while (!r.Digits.empty() && r.Digits.back() == '0')
        r.Digits.pop_back();
    return r;
}

TFloatRec ExactDigits(Currency Value) {
    TFloatRec r;
    const Int64 raw = Value.Raw();
    r.Negative = raw < 0;
    unsigned long long mag = raw < 0 ? 0ull - static_cast<unsigned long long>(raw)
                                     : static_cast<unsigned long long>(raw);
    if (mag == 0) {
        r.Negative = false;
        return r;
    }
    r.Digits = std::to_string(mag);
    r.Exponent = static_cast<int>(r.Digits.size()) - 4;
    while (!r.Digits.empty() && r.Digits.back() == '0')
        r.Digits.pop_back();
    return r;
}

TFloatRec RoundRec(TFloatRec Rec, int Precision, int Decimals) {
    if (Rec.Kind != TFloatRec::fkNumber || Rec.Digits.empty()) return Rec;
    const long keep = std::min<long>(Precision, static_cast<long>(Rec.Exponent) + Decimals);
    if (keep < 0 || (keep == 0 && Rec.Digits[0] < '5')) return TFloatRec{};
    if (keep >= static_cast<long>(Rec.Digits.size())) return Rec;
    const bool up = Rec.Digits[static_cast<std::size_t>(keep)] >= '5';
    Rec.Digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        std::size_t i = Rec.Digits.size();
        while (i > 0 && Rec.Digits[i - 1] == '9') {
            Rec.Digits.pop_back();
            --i;
        }
        if (i == 0) {
            Rec.Digits.assign(1, '1');
            ++Rec.Exponent;
        } else {
            ++Rec.Digits[i - 1];
        }
    }
    while (!Rec.Digits.empty() && Rec.Digits.back() == '0')
        Rec.Digits.pop_back();
    if (Rec.Digits.empty()) return TFloatRec{};
    return Rec;
}

}  // namespace detail

using detail::ExactDigits;
using detail::RoundRec;
using detail::TFloatRec;

namespace {

constexpr int kMaxPrecision = 18;
constexpr int kNoLimit = 100000;

char DigitAt(const TFloatRec& R, long Index) {
    return (Index >= 0 && Index < static_cast<long>(R.Digits.size()))
               ? R.Digits[static_cast<std::size_t>(Index)]
               : '0';
}

AnsiString SpecialText(const TFloatRec& R) {
    if (R.Kind == TFloatRec::fkNan) return "NAN";
    return R.Negative ? "-INF" : "INF";
}

// Integer digits of R (no sign); "" for values below one.
std::string IntegerDigits(const TFloatRec& R) {
    std::string s;
    for (long i = 0; i < R.Exponent; ++i)
        s += DigitAt(R, i);
    return s;
}

// Fraction digits of R, exactly Count of them.
std::string FractionDigits(const TFloatRec& R, int Count) {
    std::string s;
    for (long i = 0; i < Count; ++i)
        s += DigitAt(R, R.Exponent + i);
    return s;
}

AnsiString WithThousands(const std::string& Digits, char Separator) {
    AnsiString s;
    const std::size_t n = Digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        s += Digits[i];
        if (i + 1 < n && (n - 1 - i) % 3 == 0) s += Separator;
    }
    return s;
}

AnsiString ExponentText(int Exponent, int MinDigits, bool AlwaysSign) {
    AnsiString s = "E";
    if (Exponent < 0)
        s += '-';
    else if (AlwaysSign)
        s += '+';
    AnsiString d = std::to_string(Exponent < 0 ? -Exponent : Exponent);
    while (static_cast<int>(d.size()) < MinDigits)
        d.insert(d.begin(), '0');
    return s + d;
}

AnsiString GeneralText(const TFloatRec& Exact, int Precision, int ExpDigits,
                       const TFormatSettings& F) {
    if (Exact.Kind != TFloatRec::fkNumber) return SpecialText(Exact);
    Precision = std::clamp(Precision, 1, 19);  // 19: every digit of a currency amount
    const TFloatRec r = RoundRec(Exact, Precision, kNoLimit);
    if (r.IsZero()) return "0";
    AnsiString s = r.Negative ? "-" : "";
    if (r.Exponent > Precision || r.Exponent < -3) {
        s += r.Digits[0];
        if (r.Digits.size() > 1) {
            s += F.DecimalSeparator;
            s.append(r.Digits, 1);
        }
        return s + ExponentText(r.Exponent - 1, ExpDigits, false);
    }
    const std::string ip = IntegerDigits(r);
    s += ip.empty() ? "0" : ip;
    const long fracCount = static_cast<long>(r.Digits.size()) - r.Exponent;
    if (fracCount > 0) {
        s += F.DecimalSeparator;
        s += FractionDigits(r, static_cast<int>(fracCount));
    }
    return s;
}

AnsiString ExponentFormText(const TFloatRec& Exact, int Precision, int ExpDigits,
                            const TFormatSettings& F) {
    if (Exact.Kind != TFloatRec::fkNumber) return SpecialText(Exact);
    Precision = std::clamp(Precision, 1, kMaxPrecision);
    const TFloatRec r = RoundRec(Exact, Precision, kNoLimit);
    AnsiString s = r.Negative ? "-" : "";
    s += DigitAt(r, 0);
    if (Precision > 1) {
        s += F.DecimalSeparator;
        for (int i = 1; i < Precision; ++i)
            s += DigitAt(r, i);
    }
    return s + ExponentText(r.IsZero() ? 0 : r.Exponent - 1, std::clamp(ExpDigits, 0, 4), true);
}

// The digits of a fixed-point amount without sign: thousands separators optional.
AnsiString FixedBody(const TFloatRec& R, int Digits, bool Thousands, const TFormatSettings& F) {
    std::string ip = IntegerDigits(R);
    if (ip.empty()) ip.assign(1, '0');
    AnsiString s = Thousands ? WithThousands(ip, F.ThousandSeparator) : ip;
    if (Digits > 0) {
        s += F.DecimalSeparator;
        s += FractionDigits(R, Digits);
    }
    return s;
}

AnsiString CurrencyLayout(const AnsiString& Body, bool Negative, const TFormatSettings& F) {
    const AnsiString& c = F.CurrencyString;
    if (!Negative) {
        switch (F.CurrencyFormat) {
            case 1:
                return Body + c;
            case 2:
                return c + " " + Body;
            case 3:
                return Body + " " + c;
            default:
                return c + Body;
        }
    }
    switch (F.NegCurrFormat) {
        case 1:
            return "-" + c + Body;
        case 2:
            return c + "-" + Body;
        case 3:
            return c + Body + "-";
        case 4:
            return "(" + Body + c + ")";
        case 5:
            return "-" + Body + c;
        case 6:
            return Body + "-" + c;
        case 7:
            return Body + c + "-";
        case 8:
            return "-" + Body + " " + c;
        case 9:
            return "-" + c + " " + Body;
        case 10:
            return Body + " " + c + "-";
        case 11:
            return c + " " + Body + "-";
        case 12:
            return c + " -" + Body;
        case 13:
            return Body + "- " + c;
        case 14:
            return "(" + c + " " + Body + ")";
        case 15:
            return "(" + Body + " " + c + ")";
        default:
            return "(" + c + Body + ")";
    }
}

AnsiString FormatRec(const TFloatRec& Exact, TFloatFormat Format, int Precision, int Digits,
                     const TFormatSettings& F) {
    if (Exact.Kind != TFloatRec::fkNumber) return SpecialText(Exact);
    switch (Format) {
        case ffExponent:
            return ExponentFormText(Exact, Precision, Digits, F);
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            Precision = std::clamp(Precision, 1, kMaxPrecision);
            Digits = std::clamp(Digits, 0, 18);
            const TFloatRec r = RoundRec(Exact, Precision, Digits);
            if (r.Exponent > Precision && Format != ffCurrency)
                return GeneralText(Exact, Precision, 0, F);
            const AnsiString body = FixedBody(r, Digits, Format != ffFixed, F);
            if (Format == ffCurrency) return CurrencyLayout(body, r.Negative, F);
            return r.Negative ? "-" + body : body;
        }
        default:
            return GeneralText(Exact, Precision, Digits, F);
    }
}

// ---- FormatFloat ----

std::vector<AnsiString> SplitSections(const AnsiString& Format) {
    std::vector<AnsiString> sections(1);
    char quote = 0;
    for (char c : Format) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

struct TSectionLayout {
    int IntCount = 0;  // digit placeholders before the decimal point
    int MinInt = 0;    // placeholders from the first '0' to the point
    int MinFrac = 0;   // fraction placeholders up to the last '0'
    int MaxFrac = 0;   // fraction placeholders
    bool HasPoint = false;
    bool Thousands = false;
    bool Scientific = false;
    int ExpDigits = 0;
    bool HasDigits = false;
};

TSectionLayout AnalyzeSection(const AnsiString& S) {
    TSectionLayout L;
    char quote = 0;
    int firstZero = -1;
    for (std::size_t i = 0; i < S.size(); ++i) {
        const char c = S[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && i + 1 < S.size() &&
                   (S[i + 1] == '+' || S[i + 1] == '-') && !L.Scientific) {
            L.Scientific = true;
            std::size_t j = i + 2;
            while (j < S.size() && S[j] == '0') {
                ++L.ExpDigits;
                ++j;
            }
            L.ExpDigits = std::min(L.ExpDigits, 4);
            i = j - 1;
        } else if (L.Scientific) {
            continue;
        } else if (c == '0' || c == '#') {
            L.HasDigits = true;
            if (L.HasPoint) {
                ++L.MaxFrac;
                if (c == '0') L.MinFrac = L.MaxFrac;
            } else {
                if (c == '0' && firstZero < 0) firstZero = L.IntCount;
                ++L.IntCount;
            }
        } else if (c == '.' && !L.HasPoint) {
            L.HasPoint = true;
        } else if (c == ',' && !L.HasPoint) {
            L.Thousands = true;
        }
    }
    L.MinInt = firstZero < 0 ? 0 : L.IntCount - firstZero;
    return L;
}

// Writes Value (its magnitude; the caller adds the sign) into one section.
AnsiString ApplySection(const AnsiString& S, const TSectionLayout& L, const TFloatRec& Rounded,
                        int Exponent, const TFormatSettings& F) {
    std::string ip;
    std::string fp;
    if (L.Scientific) {
        for (int i = 0; i < L.IntCount; ++i)
            ip += DigitAt(Rounded, i);
        for (int i = 0; i < L.MaxFrac; ++i)
            fp += DigitAt(Rounded, L.IntCount + i);
        const std::size_t firstSignificant = ip.find_first_not_of('0');
        ip = firstSignificant == std::string::npos ? "" : ip.substr(firstSignificant);
    } else {
        ip = IntegerDigits(Rounded);
        fp = FractionDigits(Rounded, L.MaxFrac);
    }
    while (static_cast<int>(fp.size()) > L.MinFrac && !fp.empty() && fp.back() == '0')
        fp.pop_back();
    while (static_cast<int>(ip.size()) < L.MinInt)
        ip.insert(ip.begin(), '0');

    AnsiString out;
    const long n = static_cast<long>(ip.size());
    auto emitInt = [&](long from, long to) {  // digits [from, to] of ip
        for (long k = std::max(0L, from); k <= to && k < n; ++k) {
            out += ip[static_cast<std::size_t>(k)];
            if (L.Thousands && k < n - 1 && (n - 1 - k) % 3 == 0) out += F.ThousandSeparator;
        }
    };
    int intIndex = 0;
    int fracIndex = 0;
    bool afterPoint = false;
    bool exponentDone = false;
    char quote = 0;
    for (std::size_t i = 0; i < S.size(); ++i) {
        const char c = S[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && L.Scientific && !exponentDone && i + 1 < S.size() &&
                   (S[i + 1] == '+' || S[i + 1] == '-')) {
            exponentDone = true;
            out += c;
            if (Exponent < 0)
                out += '-';
            else if (S[i + 1] == '+')
                out += '+';
            AnsiString d = std::to_string(Exponent < 0 ? -Exponent : Exponent);
            while (static_cast<int>(d.size()) < L.ExpDigits)
                d.insert(d.begin(), '0');
            out += d;
            std::size_t j = i + 2;
            while (j < S.size() && S[j] == '0')
                ++j;
            i = j - 1;
        } else if ((c == '0' || c == '#') && !exponentDone) {
            if (!afterPoint) {
                const long j = n - L.IntCount + intIndex;
                if (intIndex == 0)
                    emitInt(0, j);
                else if (j >= 0)
                    emitInt(j, j);
                ++intIndex;
            } else {
                if (fracIndex < static_cast<int>(fp.size()))
                    out += fp[static_cast<std::size_t>(fracIndex)];
                ++fracIndex;
            }
        } else if (c == '.' && !afterPoint && !exponentDone) {
            afterPoint = true;
            if (L.IntCount == 0) emitInt(0, n - 1);
            if (!fp.empty()) out += F.DecimalSeparator;
        } else if (c == ',' && !exponentDone) {
            // thousands marker, not output
        } else {
            out += c;
        }
    }
    return out;
}

AnsiString FormatNumber(const AnsiString& Format, const TFloatRec& Exact,
                        const TFormatSettings& F) {
    if (Exact.Kind != TFloatRec::fkNumber) return SpecialText(Exact);
    if (Format.empty()) return GeneralText(Exact, 15, 0, F);
    const std::vector<AnsiString> sections = SplitSections(Format);
    auto hasSection = [&](std::size_t i) { return sections.size() > i && !sections[i].empty(); };

    std::size_t index = 0;
    if (Exact.IsZero())
        index = hasSection(2) ? 2 : 0;
    else if (Exact.Negative && hasSection(1))
        index = 1;

    auto render = [&](std::size_t idx, bool& roundedToZero) {
        const TSectionLayout L = AnalyzeSection(sections[idx]);
        TFloatRec r;
        int exponent = 0;
        if (L.Scientific) {
            r = RoundRec(Exact, std::clamp(L.IntCount + L.MaxFrac, 1, kMaxPrecision), kNoLimit);
            if (!r.IsZero()) {
                exponent = r.Exponent - L.IntCount;
                r.Exponent = L.IntCount;
            }
        } else {
            r = RoundRec(Exact, kMaxPrecision, L.MaxFrac);
            if (r.Exponent > kMaxPrecision) return AnsiString();  // too large: general format
        }
        roundedToZero = r.IsZero();
        return ApplySection(sections[idx], L, r, exponent, F);
    };

    bool zero = false;
    const TSectionLayout first = AnalyzeSection(sections[index]);
    if (!first.Scientific && RoundRec(Exact, kMaxPrecision, first.MaxFrac).Exponent > kMaxPrecision)
        return GeneralText(Exact, 15, 0, F);
    AnsiString text = render(index, zero);
    if (zero && !Exact.IsZero()) {
        // A value that rounds to zero shows as zero, without a sign.
        if (hasSection(2)) return render(2, zero);
        return text;
    }
    if (Exact.Negative && index == 0) return "-" + text;
    return text;
}

// The text FloatToStr gives for a normal double whose shortest round-trip form has at most 15
// significant digits, written straight from that form. Rounding the exact value to 15 digits
// gives the same digits, as every rounding boundary lies at least 5e-16 of the value away while
// the shortest form lies within half a unit in the last place (2^-53 of the value). False for
// other values.
bool ShortGeneralText(Extended Value, char Separator, AnsiString& Out) {
    const double d = static_cast<double>(Value);
    if (static_cast<Extended>(d) != Value || !std::isnormal(d)) return false;
    char buf[40];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific);
    if (res.ec != std::errc()) return false;
    // buf holds "D[.DDD]e[+-]XX".
    char digits[20];
    int count = 0;
    const char* p = buf;
    digits[count++] = *p++;
    if (*p == '.')
        for (++p; p < res.ptr && *p != 'e'; ++p) {
            if (count == 15) return false;
            digits[count++] = *p;
        }
    if (p >= res.ptr) return false;
    ++p;  // 'e'
    if (p < res.ptr && *p == '+') ++p;
    int exponent = 0;
    if (std::from_chars(p, res.ptr, exponent).ec != std::errc()) return false;
    ++exponent;  // digits are 0.DDD x 10^exponent
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char text[48];
    int n = 0;
    if (d < 0) text[n++] = '-';
    if (exponent > 15 || exponent < -3) {
        text[n++] = digits[0];
        if (count > 1) {
            text[n++] = Separator;
            for (int i = 1; i < count; ++i)
                text[n++] = digits[i];
        }
        text[n++] = 'E';
        int e = exponent - 1;
        if (e < 0) {
            text[n++] = '-';
            e = -e;
        }
        const auto er = std::to_chars(text + n, text + sizeof text, e);
        n = static_cast<int>(er.ptr - text);
    } else {
        if (exponent <= 0) {
            text[n++] = '0';
        } else {
            for (int i = 0; i < exponent; ++i)
                text[n++] = i < count ? digits[i] : '0';
        }
        if (count > exponent) {
            text[n++] = Separator;
            for (int i = exponent; i < 0; ++i)
                text[n++] = '0';
            for (int i = std::max(exponent, 0); i < count; ++i)
                text[n++] = digits[i];
        }
    }
    Out.assign(text, static_cast<std::size_t>(n));
    return true;
}

// The text FloatToStr gives for a double that is the nearest to n / 10^k for an integer n of at
// most 15 digits and k <= 4 (whole numbers, amounts, halves...): that decimal, as no other one
// of at most 15 significant digits rounds to the same double. False for other values.
bool FewDecimalsText(Extended Value, char Separator, AnsiString& Out) {
    static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
    const double d = static_cast<double>(Value);
    if (static_cast<Extended>(d) != Value) return false;
    const double a = std::fabs(d);
    if (!(a >= 1e-4 && a < 1e14)) return false;
    for (int k = 0; k < 5; ++k) {
        const double y = a * kScale[k];
        if (y >= 1e15) return false;
        const double whole = std::floor(y);
        if (whole != y) continue;
        const auto n = static_cast<std::uint64_t>(whole);
        if (static_cast<double>(n) / kScale[k] != a) continue;
        // Digits from the last: k decimals (trailing zeros dropped), then the whole part.
        char text[40];
        int p = static_cast<int>(sizeof text);
        std::uint64_t m = n;
        bool fraction = false;
        for (int i = 0; i < k; ++i) {
            const auto digit = static_cast<char>('0' + m % 10);
            m /= 10;
            if (fraction || digit != '0') {
                text[--p] = digit;
                fraction = true;
            }
        }
        if (fraction) text[--p] = Separator;
        do {
            text[--p] = static_cast<char>('0' + m % 10);
            m /= 10;
        } while (m != 0);
        if (d < 0) text[--p] = '-';
        Out.assign(text + p, sizeof text - static_cast<std::size_t>(p));
        return true;
    }
    return false;
}

}  // namespace

AnsiString FloatToStr(Extended Value, const TFormatSettings& Settings) {
    // Most values a grid shows have a short form: it spares the exact expansion.
    AnsiString Text;
    if (FewDecimalsText(Value, Settings.DecimalSeparator, Text)) return Text;
    if (ShortGeneralText(Value, Settings.DecimalSeparator, Text)) return Text;
    return GeneralText(ExactDigits(Value), 15, 0, Settings);
}

AnsiString FloatToStrF(Extended Value, TFloatFormat Format, int Precision, int Digits,
                       const TFormatSettings& Settings) {
    return FormatRec(ExactDigits(Value), Format, Precision, Digits, Settings);
}

AnsiString FormatFloat(const AnsiString& Format, Extended Value, const TFormatSettings& Settings) {
    return FormatNumber(Format, ExactDigits(Value), Settings);
}

AnsiString CurrToStr(Currency Value, const TFormatSettings& Settings) {
    return GeneralText(ExactDigits(Value), 19, 0, Settings);
}

AnsiString CurrToStrF(Currency Value, TFloatFormat Format, int Digits,
                      const TFormatSettings& Settings) {
    const TFloatRec exact = ExactDigits(Value);
    if (Format == ffFixed || Format == ffNumber || Format == ffCurrency) {
        Digits = std::clamp(Digits, 0, 4);
        const TFloatRec r = RoundRec(exact, 19, Digits);
        const AnsiString body = FixedBody(r, Digits, Format != ffFixed, Settings);
        if (Format == ffCurrency) return CurrencyLayout(body, r.Negative, Settings);
        return r.Negative ? "-" + body : body;
    }
    return FormatRec(exact, Format, 19, Digits, Settings);
}

AnsiString FormatCurr(const AnsiString& Format, Currency Value, const TFormatSettings& Settings) {
    return FormatNumber(Format, ExactDigits(Value), Settings);
}

}  // namespace carrelon
