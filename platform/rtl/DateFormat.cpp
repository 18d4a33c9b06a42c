// Date and time text: FormatDateTime and friends, and the date/time scanners.
#include <cctype>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

namespace {

char Up(char C) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
}

AnsiString Pad(int Value, int Width) {
    AnsiString s = std::to_string(Value);
    while (static_cast<int>(s.size()) < Width)
        s.insert(s.begin(), '0');
    return s;
}

bool StartsWithNoCase(const AnsiString& S, std::size_t At, const char* Word) {
    for (std::size_t k = 0; Word[k] != 0; ++k)
        if (At + k >= S.size() || Up(S[At + k]) != Up(Word[k])) return false;
    return true;
}

// True when the format (outside quotes) asks for a 12-hour clock.
bool HasAmPm(const AnsiString& F) {
    char quote = 0;
    for (std::size_t i = 0; i < F.size(); ++i) {
        if (quote) {
            if (F[i] == quote) quote = 0;
        } else if (F[i] == '"' || F[i] == '\'') {
            quote = F[i];
        } else if (StartsWithNoCase(F, i, "am/pm") || StartsWithNoCase(F, i, "a/p") ||
                   StartsWithNoCase(F, i, "ampm")) {
            return true;
        }
    }
    return false;
}

struct TParts {
    Word Year, Month, Day, Hour, Min, Sec, MSec;
    int DayOfWeek;
    bool HasTime;
};

void Render(const AnsiString& F, const TParts& P, const TFormatSettings& S, AnsiString& Out,
            int Depth) {
    if (Depth > 2) return;  // the locale's formats may not nest without end
    const bool twelve = HasAmPm(F);
    char lastToken = 0;
    std::size_t i = 0;
    auto run = [&](char C) {
        std::size_t n = 0;
        while (i + n < F.size() && Up(F[i + n]) == C)
            ++n;
        return n;
    };
    while (i < F.size()) {
        const char c = F[i];
        const char u = Up(c);
        if (c == '"' || c == '\'') {
            std::size_t j = i + 1;
            while (j < F.size() && F[j] != c)
                Out += F[j++];
            i = j + 1;
            continue;
        }
        switch (u) {
            case 'C': {
                Render(S.ShortDateFormat, P, S, Out, Depth + 1);
                if (P.HasTime) {
                    Out += ' ';
                    Render(S.LongTimeFormat, P, S, Out, Depth + 1);
                }
                ++i;
                break;
            }
            case 'D': {
                const std::size_t n = run('D');
                if (n == 1)
                    Out += std::to_string(P.Day);
                else if (n == 2)
                    Out += Pad(P.Day, 2);
                else if (n == 3)
                    Out += P.DayOfWeek > 0 ? S.ShortDayNames[P.DayOfWeek - 1] : "";
                else if (n == 4)
                    Out += P.DayOfWeek > 0 ? S.LongDayNames[P.DayOfWeek - 1] : "";
                else if (n == 5)
                    Render(S.ShortDateFormat, P, S, Out, Depth + 1);
                else
                    Render(S.LongDateFormat, P, S, Out, Depth + 1);
                i += n;
                break;
            }
            case 'M': {
                std::size_t n = run('M');
                if (lastToken == 'H' && n <= 2) {
                    Out += n == 1 ? std::to_string(P.Min) : Pad(P.Min, 2);
                } else if (n == 1) {
                    Out += std::to_string(P.Month);
                } else if (n == 2) {
                    Out += Pad(P.Month, 2);
                } else if (P.Month >= 1) {
                    Out += n == 3 ? S.ShortMonthNames[P.Month - 1] : S.LongMonthNames[P.Month - 1];
                }
                i += n;
                break;
            }
            case 'Y': {
                const std::size_t n = run('Y');
                Out += n <= 2 ? Pad(P.Year % 100, 2) : Pad(P.Year, 4);
                i += n;
                break;
            }
            case 'H': {
                const std::size_t n = run('H');
                int h = P.Hour;
                if (twelve) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                Out += n == 1 ? std::to_string(h) : Pad(h, 2);
                i += n;
                break;
            }
            case 'N': {
                const std::size_t n = run('N');
                Out += n == 1 ? std::to_string(P.Min) : Pad(P.Min, 2);
                i += n;
                break;
            }
            case 'S': {
                const std::size_t n = run('S');
                Out += n == 1 ? std::to_string(P.Sec) : Pad(P.Sec, 2);
                i += n;
                break;
            }
            case 'Z': {
                const std::size_t n = run('Z');
                Out += n == 1 ? std::to_string(P.MSec) : Pad(P.MSec, 3);
                i += n;
                break;
            }
            case 'T': {
                const std::size_t n = run('T');
                Render(n == 1 ? S.ShortTimeFormat : S.LongTimeFormat, P, S, Out, Depth + 1);
                i += n;
                break;
            }
            case 'A': {
                const bool pm = P.Hour >= 12;
                if (StartsWithNoCase(F, i, "am/pm")) {
                    Out += pm ? F.substr(i + 3, 2) : F.substr(i, 2);
                    i += 5;
                } else if (StartsWithNoCase(F, i, "a/p")) {
                    Out += pm ? F[i + 2] : F[i];
                    i += 3;
                } else if (StartsWithNoCase(F, i, "ampm")) {
                    Out += pm ? S.TimePMString : S.TimeAMString;
                    i += 4;
                } else {
                    Out += c;
                    ++i;
                }
                break;
            }
            case '/':
                Out += S.DateSeparator;
                ++i;
                break;
            case ':':
                Out += S.TimeSeparator;
                ++i;
                break;
            default:
                Out += c;
                ++i;
                continue;  // literal text leaves the last token as it was
        }
        if (u >= 'A' && u <= 'Z') lastToken = u;
    }
}

// ---- Scanning ----

void SkipBlanks(const AnsiString& S, std::size_t& P) {
    while (P < S.size() && (S[P] == ' ' || S[P] == '\t'))
        ++P;
}

bool ScanNumber(const AnsiString& S, std::size_t& P, int& Value, int& Digits) {
    Value = 0;
    Digits = 0;
    while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P]))) {
        if (Digits < 9) Value = Value * 10 + (S[P] - '0');
        ++Digits;
        ++P;
    }
    return Digits > 0 && Digits <= 9;
}

bool ScanChar(const AnsiString& S, std::size_t& P, char C) {
    if (P < S.size() && S[P] == C) {
        ++P;
        return true;
    }
    return false;
}

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder DateOrderOf(const AnsiString& Format) {
    for (char c : Format) {
        const char u = Up(c);
        if (u == 'D') return doDMY;
        if (u == 'Y') return doYMD;
        if (u == 'M') return doMDY;
    }
    return doMDY;
}

int CurrentYear() {
    Word y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool ScanDate(const AnsiString& S, std::size_t& P, TDateTime& Date, const TFormatSettings& F) {
    std::size_t p = P;
    SkipBlanks(S, p);
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    if (!ScanNumber(S, p, n1, l1) || !ScanChar(S, p, F.DateSeparator) || !ScanNumber(S, p, n2, l2))
        return false;
    bool three = false;
    {
        std::size_t q = p;
        if (ScanChar(S, q, F.DateSeparator) && ScanNumber(S, q, n3, l3)) {
            three = true;
            p = q;
        }
    }
    int y = 0, m = 0, d = 0, yearDigits = 0;
    TDateOrder order = DateOrderOf(F.ShortDateFormat);
    if (three && l1 > 2) order = doYMD;
    if (!three) {
        y = CurrentYear();
        yearDigits = 4;
        if (order == doDMY)
            d = n1, m = n2;
        else
            m = n1, d = n2;
    } else if (order == doMDY) {
        m = n1, d = n2, y = n3, yearDigits = l3;
    } else if (order == doDMY) {
        d = n1, m = n2, y = n3, yearDigits = l3;
    } else {
        y = n1, m = n2, d = n3, yearDigits = l1;
    }
    if (yearDigits <= 2) {
        const int current = CurrentYear();
        if (F.TwoDigitYearCenturyWindow > 0) {
            const int threshold = current - F.TwoDigitYearCenturyWindow;
            y += threshold / 100 * 100;
            if (y < threshold) y += 100;
        } else {
            y += current / 100 * 100;
        }
    }
    if (!TryEncodeDate(y, m, d, Date)) return false;
    P = p;
    return true;
}

// 0 = AM, 1 = PM, -1 = none; advances P over the marker.
int ScanAmPm(const AnsiString& S, std::size_t& P, const TFormatSettings& F) {
    const AnsiString rest = AnsiUpperCase(S.substr(P));
    const AnsiString candidates[4] = {AnsiUpperCase(F.TimeAMString), AnsiUpperCase(F.TimePMString),
                                      "AM", "PM"};
    for (int k = 0; k < 4; ++k) {
        const AnsiString& c = candidates[k];
        if (!c.empty() && rest.compare(0, c.size(), c) == 0) {
            P += c.size();
            return k % 2;
        }
    }
    return -1;
}

bool ScanTime(const AnsiString& S, std::size_t& P, TDateTime& Time, const TFormatSettings& F) {
    std::size_t p = P;
    SkipBlanks(S, p);
    int ampm = ScanAmPm(S, p, F);
    SkipBlanks(S, p);
    int h = 0, n = 0, s = 0, ms = 0, digits = 0;
    if (!ScanNumber(S, p, h, digits)) return false;
    bool minutes = false;
    if (ScanChar(S, p, F.TimeSeparator)) {
        if (!ScanNumber(S, p, n, digits)) return false;
        minutes = true;
        if (ScanChar(S, p, F.TimeSeparator)) {
            if (!ScanNumber(S, p, s, digits)) return false;
            if (ScanChar(S, p, F.DecimalSeparator) && !ScanNumber(S, p, ms, digits)) return false;
        }
    }
    if (ampm < 0) {
        std::size_t q = p;
        SkipBlanks(S, q);
        ampm = ScanAmPm(S, q, F);
        if (ampm >= 0) p = q;
    }
    if (!minutes && ampm < 0) return false;
    if (ampm >= 0) {
        if (h > 12) return false;
        if (h == 12) h = 0;
        if (ampm == 1) h += 12;
    }
    if (!TryEncodeTime(h, n, s, ms, Time)) return false;
    P = p;
    return true;
}

bool AtEnd(const AnsiString& S, std::size_t P) {
    SkipBlanks(S, P);
    return P >= S.size();
}

TParts PartsOf(TDateTime V) {
    TParts p{};
    DecodeDateTime(V, p.Year, p.Month, p.Day, p.Hour, p.Min, p.Sec, p.MSec);
    p.DayOfWeek = DayOfWeek(V);
    p.HasTime = p.Hour != 0 || p.Min != 0 || p.Sec != 0 || p.MSec != 0;
    return p;
}

AnsiString Quoted(const AnsiString& S) {
    return "'" + S + "'";
}

}  // namespace

AnsiString FormatDateTime(const AnsiString& Format, TDateTime Value,
                          const TFormatSettings& Settings) {
    AnsiString out;
    Render(Format.empty() ? AnsiString("c") : Format, PartsOf(Value), Settings, out, 0);
    return out;
}

AnsiString DateToStr(TDateTime Value, const TFormatSettings& Settings) {
    return FormatDateTime("ddddd", Value, Settings);
}

AnsiString TimeToStr(TDateTime Value, const TFormatSettings& Settings) {
    return FormatDateTime("tt", Value, Settings);
}

AnsiString DateTimeToStr(TDateTime Value, const TFormatSettings& Settings) {
    return FormatDateTime("c", Value, Settings);
}

bool TryStrToDate(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings) {
    std::size_t p = 0;
    TDateTime d;
    if (!ScanDate(S, p, d, Settings) || !AtEnd(S, p)) return false;
    Value = d;
    return true;
}

bool TryStrToTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings) {
    std::size_t p = 0;
    TDateTime t;
    if (!ScanTime(S, p, t, Settings) || !AtEnd(S, p)) return false;
    Value = t;
    return true;
}

bool TryStrToDateTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings) {
    std::size_t p = 0;
    TDateTime d, t;
    if (ScanDate(S, p, d, Settings)) {
        if (AtEnd(S, p)) {
            Value = d;
            return true;
        }
        if (ScanTime(S, p, t, Settings) && AtEnd(S, p)) {
            Value = ComposeDateTime(d, t);
            return true;
        }
        return false;
    }
    return TryStrToTime(S, Value, Settings);
}

TDateTime StrToDate(const AnsiString& S, const TFormatSettings& Settings) {
    TDateTime v;
    if (!TryStrToDate(S, v, Settings)) throw EConvertError(Quoted(S) + " is not a valid date");
    return v;
}

TDateTime StrToTime(const AnsiString& S, const TFormatSettings& Settings) {
    TDateTime v;
    if (!TryStrToTime(S, v, Settings)) throw EConvertError(Quoted(S) + " is not a valid time");
    return v;
}

TDateTime StrToDateTime(const AnsiString& S, const TFormatSettings& Settings) {
    TDateTime v;
    if (!TryStrToDateTime(S, v, Settings))
        throw EConvertError(Quoted(S) + " is not a valid date and time");
    return v;
}

TDateTime StrToDateDef(const AnsiString& S, TDateTime Default, const TFormatSettings& Settings) {
    TDateTime v;
    return TryStrToDate(S, v, Settings) ? v : Default;
}

TDateTime StrToTimeDef(const AnsiString& S, TDateTime Default, const TFormatSettings& Settings) {
    TDateTime v;
    return TryStrToTime(S, v, Settings) ? v : Default;
}

TDateTime StrToDateTimeDef(const AnsiString& S, TDateTime Default,
                           const TFormatSettings& Settings) {
    TDateTime v;
    return TryStrToDateTime(S, v, Settings) ? v : Default;
}

}  // namespace carrelon
