// The formula tokenizer: turns formula text into numbers, identifiers and operators. Decimal and
// list separators are given by the caller, who reads them from the locale at the moment of use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/rtl/Types.h"

namespace carrelon {

enum TToken : std::uint8_t {
    tokenStart,
    tokenInIdent,
    tokenInNum,
    tokenInSign,
    tokenInExp,
    tokenEol,
    tokenNum,
    tokenIdent,
    tokenLeftPar,
    tokenRightPar,
    tokenListSeparator,
    tokenColon,
    tokenPlus,
    tokenMinus,
    tokenTimes,
    tokenDiv,
    tokenPower,
    tokenAnd,
    tokenOr,
    tokenEquality,
    tokenLessThan,
    tokenGreaterThan,
    tokenGreaterThanOrEqualTo,
    tokenLessThanOrEqualTo,
    tokenInequality
};

struct TFormulaSeparators {
    char Decimal = '.';
    char List = ',';
    friend bool operator==(const TFormulaSeparators&, const TFormulaSeparators&) = default;
};

// Lexical classes shared by the tokenizer and the reference rewriting, so that both see the
// same runs of text as numbers and identifiers.
inline bool IsFormulaLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsFormulaDigit(char c) {
    return c >= '0' && c <= '9';
}
// Length of the identifier run ("$", letters, digits) starting at Pos.
std::size_t ScanIdentifier(const AnsiString& Text, std::size_t Pos);
// Length of the number run starting at Pos (digits and decimal separator, then an optional
// exponent "e" with sign or digit and more digits). Sets Complete false when an "e" is not
// followed by a sign, digit or separator (the tokenizer's "Error in floating point number").
std::size_t ScanNumber(const AnsiString& Text, std::size_t Pos, char Decimal, bool& Complete);

// Converts a number token with the given decimal separator; false when it is no number or
// overflows the extended range.
bool FormulaTextToFloat(const AnsiString& Text, char Decimal, long double& Value);

class TFormulaTokenizer {
public:
    // Error codes raised by NextToken (as the evaluator numbers them).
    static constexpr int ErrorFloat = 2;
    static constexpr int ErrorCharacter = 3;

    TFormulaTokenizer(const AnsiString& Text, TFormulaSeparators Separators)
        : FText(Text), FSep(Separators) {}

    // Reads the next token; returns 0, or the error code (then the token is tokenEol).
    int NextToken();

    TToken Token() const { return FToken; }
    // Identifier text is lower case; number text as written.
    const AnsiString& TokenText() const { return FTokenText; }

private:
    const AnsiString& FText;
    TFormulaSeparators FSep;
    std::size_t FPos = 0;
    TToken FToken = tokenStart;
    AnsiString FTokenText;
};

}  // namespace carrelon
