// A1 cell names: column letters in bijective base 26 ("A" = 1, "Z" = 26, "AA" = 27) followed by
// a row number, each part optionally marked absolute with "$"; ranges are two names joined by ":".
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

namespace carrelon {

// Column numbers parsed from letters saturate here, so an absurdly long run of letters can never
// wrap around into a valid column.
inline constexpr std::int64_t MaxColumnNumber = INT64_C(1) << 60;

int LetterToNumber(char Ch);
// Sum of the letters' values times powers of 26; saturates at MaxColumnNumber.
std::int64_t ColNameToNumber(const AnsiString& Letters);
char NumberToLetter(int N);
// Letters of column N; empty for N <= 0.
AnsiString ColNumberToName(std::int64_t N);
void ColNumberToName(std::int64_t N, AnsiString& Result);

// True for an optional "$", letters, an optional "$", then a row number without leading zero.
bool IsCellName(const AnsiString& Name);

// 1-based column and row of a cell name ("$" marks ignored, letters of either case). Raises
// EConvertError when the rest after the letters is no integer or does not fit an int.
void ParseCellName(const AnsiString& Name, int& ACol, int& ARow);
// Splits at the first ":"; without one the second corner equals the first.
void ParseRangeName(const AnsiString& Name, int& Col1, int& Row1, int& Col2, int& Row2);

// A cell name taken apart, with the wide numbers used while rewriting references.
struct TCellNameParts {
    bool ColAbsolute = false;
    bool RowAbsolute = false;
    std::int64_t Col = 0;  // saturated at MaxColumnNumber
    std::int64_t Row = 0;  // saturated at INT64_MAX / 4
    AnsiString Letters;    // as written
    AnsiString Digits;     // as written
};
// Splits Name when IsCellName(Name) holds; false otherwise.
bool SplitCellName(const AnsiString& Name, TCellNameParts& Parts);

}  // namespace carrelon
