#include "formulas/A1Names.h"

#include <limits>

#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr std::int64_t MaxRowNumber = std::numeric_limits<std::int64_t>::max() / 4;

// Saturates before the next step could overflow, whatever the number of digits.
std::int64_t DigitsToNumber(const AnsiString& Digits) {
    std::int64_t n = 0;
    for (char c : Digits) {
        if (n >= MaxRowNumber / 10) return MaxRowNumber;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

int LetterToNumber(char Ch) {
    return static_cast<unsigned char>(UpperAscii(Ch)) - 64;
}

std::int64_t ColNameToNumber(const AnsiString& Letters) {
    // Any character may come in (ParseCellName passes what precedes the row), so a step adds
    // -64..191. Beyond this bound the step would land past the saturation point anyway, and
    // stopping there keeps n * 26 inside int64.
    constexpr std::int64_t bound = MaxColumnNumber / 26 + 3;
    std::int64_t n = 0;
    for (char c : Letters) {
        if (n > bound || n < -bound) return n > 0 ? MaxColumnNumber : -MaxColumnNumber;
        n = n * 26 + LetterToNumber(c);
        if (n >= MaxColumnNumber || n <= -MaxColumnNumber)
            return n > 0 ? MaxColumnNumber : -MaxColumnNumber;
    }
    return n;
}

char NumberToLetter(int N) {
    return static_cast<char>(((N % 256) + 256) % 256 + 64);
}

void ColNumberToName(std::int64_t N, AnsiString& Result) {
    Result.clear();
    if (N <= 0) return;
    // Bijective base 26: the digits run 1..26 instead of 0..25.
    AnsiString reversed;
    while (N > 0) {
        std::int64_t d = N % 26;
        if (d == 0) d = 26;
        reversed.push_back(static_cast<char>('A' + d - 1));
        N = (N - d) / 26;
    }
    Result.assign(reversed.rbegin(), reversed.rend());
}

AnsiString ColNumberToName(std::int64_t N) {
    AnsiString s;
    ColNumberToName(N, s);
    return s;
}

bool IsCellName(const AnsiString& Name) {
    std::size_t i = 0;
    const std::size_t n = Name.size();
    if (n == 0) return false;
    if (Name[0] == '$') i = 1;
    if (i >= n || !IsAsciiLetter(Name[i])) return false;
    while (i < n && IsAsciiLetter(Name[i]))
        ++i;
    if (i >= n) return false;
    if (Name[i] == '$') ++i;
    if (i >= n || Name[i] < '1' || Name[i] > '9') return false;
    for (++i; i < n; ++i)
        if (!IsDigit(Name[i])) return false;
    return true;
}

bool SplitCellName(const AnsiString& Name, TCellNameParts& Parts) {
    if (!IsCellName(Name)) return false;
    std::size_t i = 0;
    Parts = {};
    if (Name[0] == '$') {
        Parts.ColAbsolute = true;
        i = 1;
    }
    std::size_t start = i;
    while (IsAsciiLetter(Name[i]))
        ++i;
    Parts.Letters = Name.substr(start, i - start);
    if (Name[i] == '$') {
        Parts.RowAbsolute = true;
        ++i;
    }
    Parts.Digits = Name.substr(i);
    Parts.Col = ColNameToNumber(Parts.Letters);
    Parts.Row = DigitsToNumber(Parts.Digits);
    return true;
}

void ParseCellName(const AnsiString& Name, int& ACol, int& ARow) {
    AnsiString s;
    s.reserve(Name.size());
    for (char c : Name)
        if (c != '$') s.push_back(UpperAscii(c));
    std::size_t p = s.find_last_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    std::size_t letters = p == AnsiString::npos ? 0 : p + 1;
    std::int64_t col = ColNameToNumber(s.substr(0, letters));
    AnsiString rest = s.substr(letters);
    // The rest must be a whole decimal number that fits an int, as the runtime's StrToInt wants.
    auto fail = [&] { throw EConvertError("'" + rest + "' is not a valid integer value"); };
    std::size_t i = 0;
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
    if (i >= rest.size()) fail();
    std::int64_t row = 0;
    for (; i < rest.size(); ++i) {
        if (!IsDigit(rest[i])) fail();
        row = row * 10 + (rest[i] - '0');
        if (row > std::int64_t{std::numeric_limits<int>::max()} + 1) fail();
    }
    if (negative) row = -row;
    if (row > std::numeric_limits<int>::max() || row < std::numeric_limits<int>::min()) fail();
    ARow = static_cast<int>(row);
    // A column beyond int range cannot name any grid column; keep it out of range, not wrapped.
    ACol = col > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                 : static_cast<int>(col);
}

void ParseRangeName(const AnsiString& Name, int& Col1, int& Row1, int& Col2, int& Row2) {
    std::size_t colon = Name.find(':');
    if (colon == AnsiString::npos) {
        ParseCellName(Name, Col1, Row1);
        Col2 = Col1;
        Row2 = Row1;
        return;
    }
    ParseCellName(Name.substr(0, colon), Col1, Row1);
    ParseCellName(Name.substr(colon + 1), Col2, Row2);
}

}  // namespace carrelon
