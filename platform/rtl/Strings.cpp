#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstdint>

#include "platform/rtl/TextScan.h"

namespace carrelon {

namespace {

// Pairs of (upper, lower) ranges with equal UTF-8 lengths. A code point maps only when both
// forms are two-byte, so case mapping never changes byte positions.
char32_t ToUpperCp(char32_t C) {
    if (C < 0x80) return (C >= 'a' && C <= 'z') ? C - 32 : C;
    if (C >= 0xE0 && C <= 0xFE && C != 0xF7) return C - 32;
    if (C == 0xFF) return 0x178;
    if (C >= 0x100 && C <= 0x137 && C != 0x130 && C != 0x131) return C & ~char32_t{1};
    if (C >= 0x139 && C <= 0x148) return (C % 2 == 0) ? C - 1 : C;
    if (C >= 0x14A && C <= 0x177) return C & ~char32_t{1};
    if (C >= 0x179 && C <= 0x17E) return (C % 2 == 0) ? C - 1 : C;
    if (C >= 0x3B1 && C <= 0x3C9 && C != 0x3C2) return C - 32;
    if (C >= 0x430 && C <= 0x44F) return C - 32;
    if (C >= 0x450 && C <= 0x45F) return C - 80;
    return C;
}

char32_t ToLowerCp(char32_t C) {
    if (C < 0x80) return (C >= 'A' && C <= 'Z') ? C + 32 : C;
    if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return C + 32;
    if (C == 0x178) return 0xFF;
    if (C >= 0x100 && C <= 0x137 && C != 0x130 && C != 0x131) return C | 1;
    if (C >= 0x139 && C <= 0x148) return (C % 2 == 1) ? C + 1 : C;
    if (C >= 0x14A && C <= 0x177) return C | 1;
    if (C >= 0x179 && C <= 0x17E) return (C % 2 == 1) ? C + 1 : C;
    if (C >= 0x391 && C <= 0x3A9 && C != 0x3A2) return C + 32;
    if (C >= 0x410 && C <= 0x42F) return C + 32;
    if (C >= 0x400 && C <= 0x40F) return C + 80;
    return C;
}

template <typename Map>
AnsiString MapCodePoints(const AnsiString& S, Map M) {
    AnsiString R;
    R.reserve(S.size());
    std::size_t i = 0;
    while (i < S.size()) {
        const unsigned char b = static_cast<unsigned char>(S[i]);
        if (b < 0x80) {
            R += static_cast<char>(M(b));
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char32_t c = NextCodePoint(S, i);
        if (c == 0xFFFD && !(i - start == 3 && static_cast<unsigned char>(S[start]) == 0xEF)) {
            R.append(S, start, i - start);  // keep invalid bytes as they are
        } else {
            AppendCodePoint(R, M(c));
        }
    }
    return R;
}

bool IsBlank(char C) {
    return static_cast<unsigned char>(C) <= ' ';
}

// Collation weights of one code point: primary (the letter), secondary (accent), tertiary
// (case, lower first).
struct TWeights {
    std::uint32_t Primary;
    std::uint8_t Secondary;
    std::uint8_t Tertiary;
};

// Base letters of U+00C0..U+00FF ('\0' = not a letter with a base).
constexpr char kLatin1Base[64] = {'A', 'A', 'A', 'A', 'A', 'A', 'A', 'C', 'E', 'E', 'E', 'E', 'I',
                                  'I', 'I', 'I', 'D', 'N', 'O', 'O', 'O', 'O', 'O', 0,   'O', 'U',
                                  'U', 'U', 'U', 'Y', 0,   'S', 'A', 'A', 'A', 'A', 'A', 'A', 'A',
                                  'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I', 'D', 'N', 'O', 'O',
                                  'O', 'O', 'O', 0,   'O', 'U', 'U', 'U', 'U', 'Y', 0,   'Y'};

TWeights WeightsOf(char32_t C) {
    const char32_t up = ToUpperCp(C);
    const std::uint8_t tert = (up != C) ? 0 : (ToLowerCp(C) != C ? 1 : 0);
    if (C < 0x80) {
        if (up >= 'A' && up <= 'Z') return {0x2000u + (up - 'A') * 16u, 0, tert};
        if (C >= '0' && C <= '9') return {0x1000u + (C - '0'), 0, 0};
        return {C, 0, 0};  // controls and punctuation sort first, in code order
    }
    if (up >= 0xC0 && up <= 0xFF && kLatin1Base[up - 0xC0] != 0) {
        const char base = kLatin1Base[up - 0xC0];
        return {0x2000u + static_cast<std::uint32_t>(base - 'A') * 16u,
                static_cast<std::uint8_t>(1 + (up - 0xC0)), tert};
    }
    return {0x10000u + up, 0, tert};
}

int CollationCompare(const AnsiString& S1, const AnsiString& S2, bool WithCase) {
    // Level by level: primary over the whole texts, then accents, then case.
    for (int level = 0; level < (WithCase ? 3 : 2); ++level) {
        std::size_t i = 0, j = 0;
        while (i < S1.size() && j < S2.size()) {
            const TWeights a = WeightsOf(NextCodePoint(S1, i));
            const TWeights b = WeightsOf(NextCodePoint(S2, j));
            const std::uint32_t wa = level == 0 ? a.Primary : level == 1 ? a.Secondary : a.Tertiary;
            const std::uint32_t wb = level == 0 ? b.Primary : level == 1 ? b.Secondary : b.Tertiary;
            if (wa != wb) return wa < wb ? -1 : 1;
        }
        if (level == 0) {
            if (i < S1.size()) return 1;
            if (j < S2.size()) return -1;
        }
    }
    return 0;
}

int Sign(int V) {
    return (V > 0) - (V < 0);
}

}  // namespace

char32_t UpperCodePoint(char32_t C) {
    return ToUpperCp(C);
}
char32_t LowerCodePoint(char32_t C) {
    return ToLowerCp(C);
}

AnsiString UpperCase(const AnsiString& S) {
    AnsiString R = S;
    for (char& c : R)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return R;
}

AnsiString LowerCase(const AnsiString& S) {
    AnsiString R = S;
    for (char& c : R)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return R;
}

AnsiString AnsiUpperCase(const AnsiString& S) {
    return MapCodePoints(S, ToUpperCp);
}
AnsiString AnsiLowerCase(const AnsiString& S) {
    return MapCodePoints(S, ToLowerCp);
}

AnsiString Trim(const AnsiString& S) {
    std::size_t b = 0, e = S.size();
    while (b < e && IsBlank(S[b]))
        ++b;
    while (e > b && IsBlank(S[e - 1]))
        --e;
    return S.substr(b, e - b);
}

AnsiString TrimLeft(const AnsiString& S) {
    std::size_t b = 0;
    while (b < S.size() && IsBlank(S[b]))
        ++b;
    return S.substr(b);
}

AnsiString TrimRight(const AnsiString& S) {
    std::size_t e = S.size();
    while (e > 0 && IsBlank(S[e - 1]))
        --e;
    return S.substr(0, e);
}

int Pos(const AnsiString& Sub, const AnsiString& S) {
    return PosEx(Sub, S, 1);
}
int AnsiPos(const AnsiString& Sub, const AnsiString& S) {
    return PosEx(Sub, S, 1);
}

int PosEx(const AnsiString& Sub, const AnsiString& S, int Offset) {
    if (Sub.empty() || Offset < 1 || static_cast<std::size_t>(Offset) > S.size()) return 0;
    const std::size_t p = S.find(Sub, static_cast<std::size_t>(Offset - 1));
    return p == AnsiString::npos ? 0 : static_cast<int>(p + 1);
}

AnsiString Copy(const AnsiString& S, int Index, int Count) {
    if (Index < 1) Index = 1;
    if (Count <= 0 || static_cast<std::size_t>(Index) > S.size()) return {};
    return S.substr(static_cast<std::size_t>(Index - 1), static_cast<std::size_t>(Count));
}

void Delete(AnsiString& S, int Index, int Count) {
    if (Index < 1 || Count <= 0 || static_cast<std::size_t>(Index) > S.size()) return;
    S.erase(static_cast<std::size_t>(Index - 1), static_cast<std::size_t>(Count));
}

void Insert(const AnsiString& Source, AnsiString& S, int Index) {
    if (Index < 1) Index = 1;
    const std::size_t at = std::min(S.size(), static_cast<std::size_t>(Index - 1));
    S.insert(at, Source);
}

AnsiString StringOfChar(char C, int Count) {
    return Count > 0 ? AnsiString(static_cast<std::size_t>(Count), C) : AnsiString();
}

int LastDelimiter(const AnsiString& Delimiters, const AnsiString& S) {
    const std::size_t p = S.find_last_of(Delimiters);
    return p == AnsiString::npos ? 0 : static_cast<int>(p + 1);
}

AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags) {
    if (OldPattern.empty()) return S;
    const bool ignoreCase = Flags.Contains(rfIgnoreCase);
    // Upper-casing keeps byte positions, so matches in the folded copy are matches in S.
    const AnsiString hay = ignoreCase ? AnsiUpperCase(S) : AnsiString();
    const AnsiString needle = ignoreCase ? AnsiUpperCase(OldPattern) : AnsiString();
    const AnsiString& h = ignoreCase ? hay : S;
    const AnsiString& n = ignoreCase ? needle : OldPattern;
    AnsiString R;
    std::size_t from = 0;
    while (from <= h.size()) {
        const std::size_t p = h.find(n, from);
        if (p == AnsiString::npos) break;
        R.append(S, from, p - from);
        R += NewPattern;
        from = p + n.size();
        if (!Flags.Contains(rfReplaceAll)) break;
    }
    R.append(S, std::min(from, S.size()), AnsiString::npos);
    return R;
}

AnsiString AdjustLineBreaks(std::string_view S) {
    AnsiString R;
    R.reserve(S.size() + S.size() / 16);
    // Copy the stretches between breaks whole; only the breaks are looked at one by one.
    TByteFinder<2> breaks(S, {'\r', '\n'});
    std::size_t from = 0;
    for (std::size_t i = breaks.Next(0); i < S.size(); i = breaks.Next(from)) {
        R.append(S.data() + from, i - from);
        R += "\r\n";
        from = i + 1;
        if (S[i] == '\r' && from < S.size() && S[from] == '\n') ++from;
    }
    R.append(S.data() + from, S.size() - from);
    return R;
}

int CompareStr(const AnsiString& S1, const AnsiString& S2) {
    return Sign(S1.compare(S2));
}

int CompareText(const AnsiString& S1, const AnsiString& S2) {
    const std::size_t n = std::min(S1.size(), S2.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(S1[i]);
        unsigned char b = static_cast<unsigned char>(S2[i]);
        if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
        if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
        if (a != b) return a < b ? -1 : 1;
    }
    return S1.size() == S2.size() ? 0 : (S1.size() < S2.size() ? -1 : 1);
}

bool SameText(const AnsiString& S1, const AnsiString& S2) {
    return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2) {
    const int c = CollationCompare(S1, S2, true);
    return c != 0 ? c : CompareStr(S1, S2);
}

int AnsiCompareText(const AnsiString& S1, const AnsiString& S2) {
    const int c = CollationCompare(S1, S2, false);
    return c != 0 ? c : CompareStr(AnsiUpperCase(S1), AnsiUpperCase(S2));
}

bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2) {
    return S1 == S2;
}
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2) {
    return S1.size() == S2.size() && AnsiUpperCase(S1) == AnsiUpperCase(S2);
}

AnsiString QuotedStr(const AnsiString& S) {
    return AnsiQuotedStr(S, '\'');
}

AnsiString AnsiQuotedStr(const AnsiString& S, char Quote) {
    AnsiString R;
    R.reserve(S.size() + 2);
    R += Quote;
    for (char c : S) {
        R += c;
        if (c == Quote) R += Quote;
    }
    R += Quote;
    return R;
}

TQuotedExtent ScanQuotedStr(std::string_view S, std::size_t Pos, char Quote) {
    TQuotedExtent R;
    R.End = Pos;
    if (Pos >= S.size() || S[Pos] != Quote) return R;
    std::size_t i = Pos + 1;
    for (;;) {
        const std::size_t q = S.find(Quote, i);
        if (q == std::string_view::npos) {  // no closing quote: the rest is the body
            R.Body = S.substr(Pos + 1);
            R.End = S.size();
            return R;
        }
        if (q + 1 < S.size() && S[q + 1] == Quote) {
            R.DoubledQuotes = true;
            i = q + 2;
            continue;
        }
        R.Body = S.substr(Pos + 1, q - Pos - 1);
        R.End = q + 1;
        return R;
    }
}

void AppendUndoubled(AnsiString& Out, std::string_view Body, char Quote) {
    std::size_t from = 0;
    for (std::size_t q = Body.find(Quote); q != std::string_view::npos;
         q = Body.find(Quote, from)) {
        Out.append(Body.substr(from, q - from + 1));
        from = q + 1;
        if (from < Body.size() && Body[from] == Quote) ++from;
    }
    Out.append(Body.substr(from));
}

AnsiString AnsiExtractQuotedStr(std::string_view S, std::size_t& Pos, char Quote) {
    const TQuotedExtent q = ScanQuotedStr(S, Pos, Quote);
    Pos = q.End;
    if (!q.DoubledQuotes) return AnsiString(q.Body);
    AnsiString R;
    R.reserve(q.Body.size());
    AppendUndoubled(R, q.Body, Quote);
    return R;
}

AnsiString AnsiDequotedStr(const AnsiString& S, char Quote) {
    std::size_t p = 0;
    AnsiString R = AnsiExtractQuotedStr(S, p, Quote);
    // Only a text that is exactly one complete quoted text is unquoted.
    if (p != S.size() || S.size() < 2 || S.back() != Quote) return S;
    return R;
}

char32_t NextCodePoint(const AnsiString& S, std::size_t& Pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(S[i]); };
    const unsigned char b0 = byte(Pos);
    if (b0 < 0x80) {
        ++Pos;
        return b0;
    }
    int len = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, c = b0 & 0x07, minimum = 0x10000;
    } else {
        ++Pos;
        return 0xFFFD;
    }
    if (Pos + static_cast<std::size_t>(len) > S.size()) {
        ++Pos;
        return 0xFFFD;
    }
    for (int k = 1; k < len; ++k) {
        const unsigned char b = byte(Pos + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80) {
            ++Pos;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++Pos;
        return 0xFFFD;
    }
    Pos += static_cast<std::size_t>(len);
    return c;
}

void AppendCodePoint(AnsiString& S, char32_t C) {
    if (C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) C = 0xFFFD;
    if (C < 0x80) {
        S += static_cast<char>(C);
    } else if (C < 0x800) {
        S += static_cast<char>(0xC0 | (C >> 6));
        S += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        S += static_cast<char>(0xE0 | (C >> 12));
        S += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        S += static_cast<char>(0xF0 | (C >> 18));
        S += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
        S += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (C & 0x3F));
    }
}

std::size_t CodePointCount(const AnsiString& S) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.size(); ++n)
        NextCodePoint(S, i);
    return n;
}

std::size_t CodePointToByteOffset(const AnsiString& S, std::size_t Index) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < Index && i < S.size(); ++n)
        NextCodePoint(S, i);
    return i;
}

std::size_t ByteOffsetToCodePoint(const AnsiString& S, std::size_t Offset) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.size() && i < Offset; ++n)
        NextCodePoint(S, i);
    return n;
}

AnsiString CodePointCopy(const AnsiString& S, std::size_t First, std::size_t Count) {
    const std::size_t b = CodePointToByteOffset(S, First);
    std::size_t e = b;
    for (std::size_t n = 0; n < Count && e < S.size(); ++n)
        NextCodePoint(S, e);
    return S.substr(b, e - b);
}

std::u32string Utf8ToCodePoints(const AnsiString& S) {
    std::u32string R;
    R.reserve(S.size());
    for (std::size_t i = 0; i < S.size();)
        R += NextCodePoint(S, i);
    return R;
}

AnsiString CodePointsToUtf8(const std::u32string& S) {
    AnsiString R;
    R.reserve(S.size());
    for (char32_t c : S)
        AppendCodePoint(R, c);
    return R;
}

}  // namespace carrelon
