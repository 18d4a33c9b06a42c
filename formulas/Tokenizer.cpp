#include "formulas/Tokenizer.h"

#include <charconv>
#include <cmath>

namespace carrelon {

std::size_t ScanIdentifier(const AnsiString& Text, std::size_t Pos) {
    std::size_t i = Pos;
    while (i < Text.size() &&
           (Text[i] == '$' || IsFormulaLetter(Text[i]) || IsFormulaDigit(Text[i])))
        ++i;
    return i - Pos;
}

std::size_t ScanNumber(const AnsiString& Text, std::size_t Pos, char Decimal, bool& Complete) {
    std::size_t i = Pos;
    const std::size_t n = Text.size();
    Complete = true;
    auto numeric = [&](char c) { return IsFormulaDigit(c) || c == Decimal; };
    while (i < n && numeric(Text[i]))
        ++i;
    if (i < n && (Text[i] == 'e' || Text[i] == 'E')) {
        ++i;
        if (i < n && (Text[i] == '+' || Text[i] == '-' || numeric(Text[i]))) {
            ++i;
            while (i < n && numeric(Text[i]))
                ++i;
        } else {
            Complete = false;
        }
    }
    return i - Pos;
}

bool FormulaTextToFloat(const AnsiString& Text, char Decimal, long double& Value) {
    // Mantissa: digits with at most one separator and at least one digit; exponent: "e", an
    // optional sign and at least one digit.
    AnsiString s;
    s.reserve(Text.size());
    std::size_t i = 0;
    const std::size_t n = Text.size();
    bool digits = false, separator = false;
    for (; i < n && Text[i] != 'e' && Text[i] != 'E'; ++i) {
        char c = Text[i];
        if (IsFormulaDigit(c)) {
            digits = true;
            s.push_back(c);
        } else if (c == Decimal && !separator) {
            separator = true;
            s.push_back('.');
        } else {
            return false;
        }
    }
    if (!digits) return false;
    bool negativeExponent = false;
    if (i < n) {
        s.push_back('e');
        ++i;
        if (i < n && (Text[i] == '+' || Text[i] == '-')) {
            negativeExponent = Text[i] == '-';
            s.push_back(Text[i++]);
        }
        if (i >= n) return false;
        for (; i < n; ++i) {
            if (!IsFormulaDigit(Text[i])) return false;
            s.push_back(Text[i]);
        }
    }
    long double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large is no number.
        if (!negativeExponent) return false;
        v = 0;
    } else if (ec != std::errc() || end != s.data() + s.size()) {
        return false;
    }
    if (!std::isfinite(v)) return false;
    Value = v;
    return true;
}

int TFormulaTokenizer::NextToken() {
    FTokenText.clear();
    const std::size_t n = FText.size();
    while (FPos < n && (FText[FPos] == ' ' || FText[FPos] == '\t' || FText[FPos] == '\r' ||
                        FText[FPos] == '\n'))
        ++FPos;
    if (FPos >= n || FText[FPos] == '\0') {
        FToken = tokenEol;
        return 0;
    }
    char c = FText[FPos];
    if (c == '$' || IsFormulaLetter(c)) {
        std::size_t len = ScanIdentifier(FText, FPos);
        FTokenText.reserve(len);
        for (std::size_t i = 0; i < len; ++i) {
            char ch = FText[FPos + i];
            FTokenText.push_back((ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch);
        }
        FPos += len;
        FToken = tokenIdent;
        return 0;
    }
    if (IsFormulaDigit(c) || c == FSep.Decimal) {
        bool complete = true;
        std::size_t len = ScanNumber(FText, FPos, FSep.Decimal, complete);
        FTokenText.assign(FText, FPos, len);
        FPos += len;
        if (!complete) {
            FToken = tokenEol;
            return ErrorFloat;
        }
        FToken = tokenNum;
        return 0;
    }
    ++FPos;
    auto follows = [&](char next) {
        if (FPos < n && FText[FPos] == next) {
            ++FPos;
            return true;
        }
        return false;
    };
    switch (c) {
        case '(':
            FToken = tokenLeftPar;
            return 0;
        case ')':
            FToken = tokenRightPar;
            return 0;
        default:
            break;
    }
    if (c == FSep.List) {
        FToken = tokenListSeparator;
        return 0;
    }
    switch (c) {
        case ':':
            FToken = tokenColon;
            break;
        case '+':
            FToken = tokenPlus;
            break;
        case '-':
            FToken = tokenMinus;
            break;
        case '*':
            FToken = tokenTimes;
            break;
        case '/':
            FToken = tokenDiv;
            break;
        case '^':
            FToken = tokenPower;
            break;
        case '&':
            FToken = tokenAnd;
            break;
        case '|':
            FToken = tokenOr;
            break;
        case '=':
            FToken = tokenEquality;
            break;
        case '<':
            if (follows('='))
                FToken = tokenLessThanOrEqualTo;
            else if (follows('>'))
                FToken = tokenInequality;
            else
                FToken = tokenLessThan;
            break;
        case '>':
            FToken = follows('=') ? tokenGreaterThanOrEqualTo : tokenGreaterThan;
            break;
        default:
            FToken = tokenEol;
            return ErrorCharacter;
    }
    return 0;
}

}  // namespace carrelon
