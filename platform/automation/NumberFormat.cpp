#include "platform/automation/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

namespace carrelon::xl {

namespace {

const char* const MonthNames[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};
const char* const DayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};

char Lower(char C) {
    return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
}

// The sections of a format, split at ";" outside quotes, brackets and escapes.
std::vector<AnsiString> Sections(const AnsiString& F) {
    std::vector<AnsiString> out(1);
    for (size_t i = 0; i < F.size(); ++i) {
        const char c = F[i];
        if (c == '"') {
            const size_t end = F.find('"', i + 1);
            const size_t stop = end == AnsiString::npos ? F.size() : end + 1;
            out.back() += F.substr(i, stop - i);
            i = stop - 1;
        } else if (c == '\\' && i + 1 < F.size()) {
            out.back() += F.substr(i, 2);
            ++i;
        } else if (c == '[') {
            const size_t end = F.find(']', i);
            const size_t stop = end == AnsiString::npos ? F.size() : end + 1;
            out.back() += F.substr(i, stop - i);
            i = stop - 1;
        } else if (c == ';') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// Scans a section's plain characters (outside quotes, escapes and brackets) with Fn(char, i);
// the bracket contents go to OnBracket.
template <class Fn, class Br>
void ScanPlain(const AnsiString& S, Fn&& OnChar, Br&& OnBracket) {
    for (size_t i = 0; i < S.size(); ++i) {
        const char c = S[i];
        if (c == '"') {
            const size_t end = S.find('"', i + 1);
            i = end == AnsiString::npos ? S.size() : end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const size_t end = S.find(']', i);
            OnBracket(S.substr(i + 1, (end == AnsiString::npos ? S.size() : end) - i - 1));
            i = end == AnsiString::npos ? S.size() : end;
        } else {
            OnChar(c, i);
        }
    }
}

bool SectionIsDate(const AnsiString& S) {
    bool date = false;
    ScanPlain(
        S,
        [&](char c, size_t) {
            const char l = Lower(c);
            if (l == 'y' || l == 'd' || l == 'h' || l == 's' || l == 'm') date = true;
        },
        [&](const AnsiString& b) {
            if (!b.empty() && (Lower(b[0]) == 'h' || Lower(b[0]) == 'm' || Lower(b[0]) == 's'))
                date = true;
        });
    return date;
}

AnsiString Upper(AnsiString S) {
    for (char& c : S)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return S;
}

// The date part of a format section.
AnsiString FormatDateSection(const AnsiString& S, double Serial) {
    // Round to the millisecond the way the display does.
    const double ms = std::round(Serial * 86400000.0);
    double day = std::floor(ms / 86400000.0);
    double rest = ms - day * 86400000.0;
    Word y = 0, mo = 0, d = 0;
    DecodeDate(TDateTime(day), y, mo, d);
    long long secTotal = static_cast<long long>(rest) / 1000;
    const int msec = static_cast<int>(static_cast<long long>(rest) % 1000);
    int hh = static_cast<int>(secTotal / 3600), mi = static_cast<int>(secTotal / 60 % 60),
        ss = static_cast<int>(secTotal % 60);
    const bool ampm =
        Upper(S).find("AM/PM") != AnsiString::npos || Upper(S).find("A/P") != AnsiString::npos;
    int shownHour = hh;
    if (ampm) shownHour = hh % 12 == 0 ? 12 : hh % 12;
    const int weekday = static_cast<int>(std::fmod(std::fmod(day - 1, 7) + 7, 7));  // 0 = Sunday

    AnsiString out;
    bool lastWasHour = false;
    char buf[32];
    for (size_t i = 0; i < S.size();) {
        const char c = S[i];
        const char l = Lower(c);
        size_t n = 1;
        while (i + n < S.size() && Lower(S[i + n]) == l)
            ++n;
        if (c == '"') {
            const size_t end = S.find('"', i + 1);
            out += S.substr(i + 1, (end == AnsiString::npos ? S.size() : end) - i - 1);
            i = end == AnsiString::npos ? S.size() : end + 1;
            continue;
        }
        if (c == '\\' && i + 1 < S.size()) {
            out += S[i + 1];
            i += 2;
            continue;
        }
        if (c == '_' && i + 1 < S.size()) {
            out += ' ';
            i += 2;
            continue;
        }
        if (c == '*' && i + 1 < S.size()) {
            i += 2;
            continue;
        }
        if (c == '[') {
            const size_t end = S.find(']', i);
            const AnsiString b =
                S.substr(i + 1, (end == AnsiString::npos ? S.size() : end) - i - 1);
            const char bl = b.empty() ? 0 : Lower(b[0]);
            const long long totalMinutes = secTotal / 60 + static_cast<long long>(day) * 1440;
            if (bl == 'h')
                out += std::to_string(static_cast<long long>(day) * 24 + hh);
            else if (bl == 'm')
                out += std::to_string(totalMinutes);
            else if (bl == 's')
                out += std::to_string(totalMinutes * 60 + ss);
            else if (!b.empty() && b[0] == '$') {
                const size_t dash = b.find('-');
                out += b.substr(1, (dash == AnsiString::npos ? b.size() : dash) - 1);
            }
            i = end == AnsiString::npos ? S.size() : end + 1;
            continue;
        }
        if (Upper(S.substr(i, 5)) == "AM/PM") {
            out += hh < 12 ? "AM" : "PM";
            i += 5;
            continue;
        }
        if (Upper(S.substr(i, 3)) == "A/P") {
            out += hh < 12 ? (c == 'a' ? "a" : "A") : (c == 'a' ? "p" : "P");
            i += 3;
            continue;
        }
        if (l == 'y') {
            if (n <= 2)
                std::snprintf(buf, sizeof buf, "%02d", y % 100);
            else
                std::snprintf(buf, sizeof buf, "%04d", y);
            out += buf;
            lastWasHour = false;
        } else if (l == 'd') {
            if (n == 1)
                out += std::to_string(d);
            else if (n == 2) {
                std::snprintf(buf, sizeof buf, "%02d", d);
                out += buf;
            } else if (n == 3)
                out += AnsiString(DayNames[weekday]).substr(0, 3);
            else
                out += DayNames[weekday];
            lastWasHour = false;
        } else if (l == 'h') {
            if (n == 1)
                out += std::to_string(shownHour);
            else {
                std::snprintf(buf, sizeof buf, "%02d", shownHour);
                out += buf;
            }
            lastWasHour = true;
        } else if (l == 's') {
            if (n == 1)
                out += std::to_string(ss);
            else {
                std::snprintf(buf, sizeof buf, "%02d", ss);
                out += buf;
            }
            if (i + n < S.size() && S[i + n] == '.') {
                size_t z = 0;
                while (i + n + 1 + z < S.size() && S[i + n + 1 + z] == '0')
                    ++z;
                if (z > 0) {
                    std::snprintf(buf, sizeof buf, "%03d", msec);
                    out += "." + AnsiString(buf).substr(0, z);
                    n += 1 + z;
                }
            }
            lastWasHour = false;
        } else if (l == 'm') {
            // Minutes right after hours or right before seconds, else the month.
            size_t k = i + n;
            while (k < S.size() && !std::isalpha(static_cast<unsigned char>(S[k])))
                ++k;
            const bool minutes = lastWasHour || (n <= 2 && k < S.size() && Lower(S[k]) == 's');
            if (minutes) {
                if (n == 1)
                    out += std::to_string(mi);
                else {
                    std::snprintf(buf, sizeof buf, "%02d", mi);
                    out += buf;
                }
            } else if (n == 1)
                out += std::to_string(mo);
            else if (n == 2) {
                std::snprintf(buf, sizeof buf, "%02d", mo);
                out += buf;
            } else if (n == 3)
                out += AnsiString(MonthNames[mo - 1]).substr(0, 3);
            else if (n == 5)
                out += AnsiString(MonthNames[mo - 1]).substr(0, 1);
            else
                out += MonthNames[mo - 1];
            lastWasHour = false;
        } else {
            out += S.substr(i, n);
        }
        i += n;
    }
    return out;
}

// Digits of |Value| rounded to Decimals places, as integer and fraction strings.
void SplitDigits(double Value, int Decimals, AnsiString& Int, AnsiString& Frac) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", Decimals, std::fabs(Value));
    AnsiString s = buf;
    const size_t dot = s.find('.');
    Int = s.substr(0, dot);
    Frac = dot == AnsiString::npos ? AnsiString() : s.substr(dot + 1);
    if (Int == "0") Int.clear();
}

AnsiString FormatNumberSection(const AnsiString& S, double Value) {
    // First pass: count placeholders and find the decimal point, percent, scaling, exponent.
    int intDigits = 0, fracDigits = 0, percent = 0;
    bool seenDot = false, thousands = false, sci = false;
    size_t lastDigit = 0;
    bool anyDigit = false;
    ScanPlain(
        S,
        [&](char c, size_t i) {
            if (sci) {
                return;
            }
            if (c == '0' || c == '#' || c == '?') {
                (seenDot ? fracDigits : intDigits)++;
                lastDigit = i;
                anyDigit = true;
            } else if (c == '.') {
                seenDot = true;
            } else if (c == '%') {
                ++percent;
            } else if (c == ',' && anyDigit && !seenDot) {
                thousands = true;
            } else if ((c == 'E' || c == 'e') && i + 1 < S.size() &&
                       (S[i + 1] == '+' || S[i + 1] == '-')) {
                sci = true;
            }
        },
        [](const AnsiString&) {});
    // Commas right after the last digit placeholder scale by 1000 each.
    int scale = 0;
    for (size_t k = lastDigit + 1; anyDigit && k < S.size() && S[k] == ','; ++k)
        ++scale;
    double v = Value;
    for (int k = 0; k < percent; ++k)
        v *= 100;
    for (int k = 0; k < scale; ++k)
        v /= 1000;

    int exponent = 0;
    if (sci && v != 0) {
        exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
        if (intDigits > 1) exponent -= exponent % intDigits;  // engineering groups
        v /= std::pow(10.0, exponent);
    }
    AnsiString intPart, fracPart;
    SplitDigits(v, fracDigits, intPart, fracPart);
    if (sci && intPart.size() > static_cast<size_t>(std::max(intDigits, 1))) {
        ++exponent;
        v /= 10;
        SplitDigits(v, fracDigits, intPart, fracPart);
    }
    const char dec = FormatSettings.DecimalSeparator;
    const char thou = FormatSettings.ThousandSeparator;

    // Second pass: emit.
    AnsiString out;
    bool inFrac = false, inExp = false;
    // Simple and robust: build the integer text first, then place literals around it.
    AnsiString intText = intPart;
    if (static_cast<int>(intText.size()) < intDigits) {
        // Pad for the '0' placeholders counted from the right.
        AnsiString phs;
        ScanPlain(
            S,
            [&](char c, size_t) {
                if (!inFrac && !inExp && (c == '0' || c == '#' || c == '?')) phs += c;
                if (c == '.') inFrac = true;
                if (c == 'E' || c == 'e') inExp = true;
            },
            [](const AnsiString&) {});
        inFrac = inExp = false;
        for (int k = static_cast<int>(phs.size()) - static_cast<int>(intText.size()) - 1; k >= 0;
             --k) {
            if (phs[static_cast<size_t>(k)] == '0')
                intText.insert(intText.begin(), '0');
            else if (phs[static_cast<size_t>(k)] == '?')
                intText.insert(intText.begin(), ' ');
            else
                break;
        }
    }
    if (thousands) {
        AnsiString grouped;
        int count = 0;
        for (size_t k = intText.size(); k-- > 0;) {
            grouped.insert(grouped.begin(), intText[k]);
            if (intText[k] >= '0' && intText[k] <= '9' && ++count % 3 == 0 && k > 0 &&
                intText[k - 1] >= '0' && intText[k - 1] <= '9')
                grouped.insert(grouped.begin(), thou);
        }
        intText = grouped;
    }
    // Trailing '#' places drop zeros; '?' places show blanks.
    AnsiString fracPh;
    {
        bool f = false, e = false;
        ScanPlain(
            S,
            [&](char c, size_t) {
                if (c == '.')
                    f = true;
                else if (c == 'E' || c == 'e')
                    e = true;
                else if (f && !e && (c == '0' || c == '#' || c == '?'))
                    fracPh += c;
            },
            [](const AnsiString&) {});
    }
    AnsiString fracText = fracPart;
    for (size_t k = fracText.size(); k-- > 0;) {
        if (k >= fracPh.size() || fracText[k] != '0') break;
        if (fracPh[k] == '#')
            fracText.erase(k, 1);
        else if (fracPh[k] == '?')
            fracText[k] = ' ';
        else
            break;
    }

    bool intDone = false, fracDone = false;
    for (size_t i = 0; i < S.size(); ++i) {
        const char c = S[i];
        if (c == '"') {
            const size_t end = S.find('"', i + 1);
            out += S.substr(i + 1, (end == AnsiString::npos ? S.size() : end) - i - 1);
            i = end == AnsiString::npos ? S.size() : end;
        } else if (c == '\\' && i + 1 < S.size()) {
            out += S[++i];
        } else if (c == '_' && i + 1 < S.size()) {
            out += ' ';
            ++i;
        } else if (c == '*' && i + 1 < S.size()) {
            ++i;
        } else if (c == '[') {
            const size_t end = S.find(']', i);
            const AnsiString b =
                S.substr(i + 1, (end == AnsiString::npos ? S.size() : end) - i - 1);
            if (!b.empty() && b[0] == '$') {
                const size_t dash = b.find('-');
                out += b.substr(1, (dash == AnsiString::npos ? b.size() : dash) - 1);
            }
            i = end == AnsiString::npos ? S.size() : end;
        } else if (!inExp && (c == '0' || c == '#' || c == '?')) {
            if (!inFrac) {
                if (!intDone) {
                    out += intText;
                    intDone = true;
                }
            } else if (!fracDone) {
                out += fracText;
                fracDone = true;
            }
        } else if (c == '.' && !inExp) {
            if (!intDone) {
                out += intText;
                intDone = true;
            }
            inFrac = true;
            if (!fracText.empty() || fracPh.empty()) out += dec;
        } else if (c == ',') {
            // thousands marker or scaling: never shown
        } else if ((c == 'E' || c == 'e') && i + 1 < S.size() &&
                   (S[i + 1] == '+' || S[i + 1] == '-')) {
            if (!intDone) {
                out += intText;
                intDone = true;
            }
            inExp = true;
            out += 'E';
            const char sign = S[i + 1];
            ++i;
            if (exponent < 0)
                out += '-';
            else if (sign == '+')
                out += '+';
            int expDigits = 0;
            while (i + 1 < S.size() && (S[i + 1] == '0' || S[i + 1] == '#')) {
                ++expDigits;
                ++i;
            }
            AnsiString e = std::to_string(std::abs(exponent));
            while (static_cast<int>(e.size()) < expDigits)
                e.insert(e.begin(), '0');
            out += e;
        } else if (c == '@') {
            // text placeholder in a number section: nothing
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

AnsiString BuiltinNumberFormat(int Id) {
    switch (Id) {
        case 0:
            return "General";
        case 1:
            return "0";
        case 2:
            return "0.00";
        case 3:
            return "#,##0";
        case 4:
            return "#,##0.00";
        case 5:
            return "\"$\"#,##0_);(\"$\"#,##0)";
        case 6:
            return "\"$\"#,##0_);[Red](\"$\"#,##0)";
        case 7:
            return "\"$\"#,##0.00_);(\"$\"#,##0.00)";
        case 8:
            return "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)";
        case 9:
            return "0%";
        case 10:
            return "0.00%";
        case 11:
            return "0.00E+00";
        case 12:
            return "# ?/?";
        case 13:
            return "# ?\?/?\?";
        case 14:
            return "m/d/yyyy";
        case 15:
            return "d-mmm-yy";
        case 16:
            return "d-mmm";
        case 17:
            return "mmm-yy";
        case 18:
            return "h:mm AM/PM";
        case 19:
            return "h:mm:ss AM/PM";
        case 20:
            return "h:mm";
        case 21:
            return "h:mm:ss";
        case 22:
            return "m/d/yyyy h:mm";
        case 37:
            return "#,##0_);(#,##0)";
        case 38:
            return "#,##0_);[Red](#,##0)";
        case 39:
            return "#,##0.00_);(#,##0.00)";
        case 40:
            return "#,##0.00_);[Red](#,##0.00)";
        case 45:
            return "mm:ss";
        case 46:
            return "[h]:mm:ss";
        case 47:
            return "mm:ss.0";
        case 48:
            return "##0.0E+0";
        case 49:
            return "@";
        default:
            return "";
    }
}

bool IsDateFormat(const AnsiString& Format) {
    if (Format.empty() || Upper(Format) == "GENERAL") return false;
    return SectionIsDate(Sections(Format)[0]);
}

bool IsCurrencyFormat(const AnsiString& Format) {
    bool found = false;
    const AnsiString first = Sections(Format)[0];
    for (size_t i = 0; i < first.size(); ++i) {
        const char c = first[i];
        if (c == '$') found = true;
        if (c == '[' && i + 1 < first.size() && first[i + 1] == '$' && i + 2 < first.size() &&
            first[i + 2] != '-')
            found = true;
    }
    // Euro, pound and yen signs in UTF-8.
    if (first.find("\xE2\x82\xAC") != AnsiString::npos ||
        first.find("\xC2\xA3") != AnsiString::npos || first.find("\xC2\xA5") != AnsiString::npos)
        found = true;
    return found && !IsDateFormat(Format);
}

AnsiString FormatGeneral(double Value) {
    if (std::isnan(Value) || std::isinf(Value)) return "#NUM!";
    if (Value == 0) return "0";
    const double a = std::fabs(Value);
    char buf[64];
    const auto localise = [](AnsiString s) {
        for (char& c : s)
            if (c == '.') c = FormatSettings.DecimalSeparator;
        return s;
    };
    if (a >= 1e11 || a < 1e-9) {
        // Scientific with as many digits as fit in 11 characters.
        for (int prec = 5; prec >= 0; --prec) {
            std::snprintf(buf, sizeof buf, "%.*E", prec, Value);
            AnsiString s = buf;
            // Strip trailing zeros of the mantissa.
            const size_t e = s.find('E');
            AnsiString mant = s.substr(0, e), ex = s.substr(e + 1);
            if (mant.find('.') != AnsiString::npos) {
                while (!mant.empty() && mant.back() == '0')
                    mant.pop_back();
                if (!mant.empty() && mant.back() == '.') mant.pop_back();
            }
            const int expo = std::atoi(ex.c_str());
            char eb[16];
            std::snprintf(eb, sizeof eb, "E%c%02d", expo < 0 ? '-' : '+', std::abs(expo));
            s = mant + eb;
            if (s.size() <= 11 || prec == 0) return localise(s);
        }
    }
    const int intLen = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 1;
    int decimals = 10 - intLen - (Value < 0 ? 1 : 0);
    if (decimals < 0) decimals = 0;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, Value);
    AnsiString s = buf;
    if (s.find('.') != AnsiString::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return localise(s);
}

AnsiString FormatValue(const Variant& Value, const AnsiString& Format, bool Date1904) {
    if (Value.IsEmpty() || Value.IsNull()) return {};
    if (Value.Type() == varBoolean) return Value.AsBoolean() ? "TRUE" : "FALSE";
    if (Value.Type() == varError) {
        switch (Value.ErrorCode()) {
            case 2000:
                return "#NULL!";
            case 2007:
                return "#DIV/0!";
            case 2015:
                return "#VALUE!";
            case 2023:
                return "#REF!";
            case 2029:
                return "#NAME?";
            case 2036:
                return "#NUM!";
            case 2042:
                return "#N/A";
            default:
                return "#VALUE!";
        }
    }
    const std::vector<AnsiString> sections =
        Sections(Format.empty() ? AnsiString("General") : Format);
    if (Value.IsString()) {
        if (sections.size() >= 4) {
            AnsiString out;
            const AnsiString& s = sections[3];
            for (size_t i = 0; i < s.size(); ++i) {
                if (s[i] == '@')
                    out += Value.AsString();
                else if (s[i] == '"') {
                    const size_t end = s.find('"', i + 1);
                    out += s.substr(i + 1, (end == AnsiString::npos ? s.size() : end) - i - 1);
                    i = end == AnsiString::npos ? s.size() : end;
                } else if (s[i] != '\\')
                    out += s[i];
            }
            return out;
        }
        return Value.AsString();
    }
    double v = 0;
    if (Value.Type() == varDate) {
        v = Value.AsDouble() - (Date1904 ? 1462 : 0);
    } else {
        try {
            v = Value.AsDouble();
        } catch (const Exception&) {
            return {};
        }
    }
    // Pick the section: positive (and zero), negative, zero.
    size_t idx = 0;
    bool dropSign = false;
    if (sections.size() >= 2 && v < 0) {
        idx = 1;
        dropSign = true;
    } else if (sections.size() >= 3 && v == 0) {
        idx = 2;
    }
    const AnsiString& sec = sections[idx];
    if (Upper(sec) == "GENERAL" || sec.empty()) {
        const AnsiString g = FormatGeneral(dropSign ? -v : v);
        return sec.empty() && idx > 0 ? AnsiString() : g;
    }
    if (SectionIsDate(sec)) {
        const double serial = v + (Date1904 ? 1462 : 0);
        if (serial < -657434 || serial > 2958465.99999) return "########";
        return FormatDateSection(sec, serial);
    }
    AnsiString body = FormatNumberSection(sec, dropSign ? std::fabs(v) : std::fabs(v));
    // A negative value under a single section keeps its sign, unless it shows as zero.
    if (!dropSign && v < 0) {
        bool nonZero = false;
        for (char c : body)
            if (c >= '1' && c <= '9') nonZero = true;
        if (nonZero) body.insert(body.begin(), '-');
    }
    // "General" inside a section with literals.
    const size_t g = Upper(body).find("GENERAL");
    if (g != AnsiString::npos) body.replace(g, 7, FormatGeneral(std::fabs(v)));
    return body;
}

}  // namespace carrelon::xl
