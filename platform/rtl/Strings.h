// String routines of the runtime over UTF-8 AnsiString. Positions and counts of the classic
// routines (Pos, Copy, Delete, Insert, LastDelimiter) are 1-based byte positions, as on an
// AnsiString; the CodePoint* helpers count the characters a user sees.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/rtl/Set.h"
#include "platform/rtl/Types.h"

namespace carrelon {

// Case mapping. UpperCase/LowerCase touch ASCII letters only; the Ansi versions also map the
// Latin, Greek and Cyrillic letters whose two cases have the same UTF-8 length, so byte
// positions survive case mapping (case-insensitive searches rely on that).
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);
AnsiString AnsiUpperCase(const AnsiString& S);
AnsiString AnsiLowerCase(const AnsiString& S);
char32_t UpperCodePoint(char32_t C);
char32_t LowerCodePoint(char32_t C);

// Strip characters <= ' ' (control characters and blanks) from the ends.
AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);

// 1-based position of Sub in S; 0 when absent or Sub is empty.
int Pos(const AnsiString& Sub, const AnsiString& S);
int AnsiPos(const AnsiString& Sub, const AnsiString& S);
// As Pos, searching from 1-based Offset on.
int PosEx(const AnsiString& Sub, const AnsiString& S, int Offset = 1);

// Count bytes from 1-based Index; out-of-range parts are clipped.
AnsiString Copy(const AnsiString& S, int Index, int Count);
void Delete(AnsiString& S, int Index, int Count);
void Insert(const AnsiString& Source, AnsiString& S, int Index);
AnsiString StringOfChar(char C, int Count);

// 1-based position of the last byte of S that is one of Delimiters; 0 when none.
int LastDelimiter(const AnsiString& Delimiters, const AnsiString& S);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags);

// Every CR LF stays, every lone CR or LF becomes CR LF.
AnsiString AdjustLineBreaks(std::string_view S);

// Ordinal comparisons: CompareStr by bytes, CompareText with ASCII letters folded.
// Negative, zero or positive.
int CompareStr(const AnsiString& S1, const AnsiString& S2);
int CompareText(const AnsiString& S1, const AnsiString& S2);
bool SameText(const AnsiString& S1, const AnsiString& S2);
// Linguistic comparisons as the user's locale sorts: punctuation before digits before letters,
// accented letters beside their base letter (unaccented first), and, with case, lower case
// before upper case of the same letter. Equal texts only compare equal when byte-identical
// (AnsiCompareStr) or case-folded identical (AnsiCompareText).
int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2);

// Quoting: the text enclosed in Quote, inner quotes doubled.
AnsiString QuotedStr(const AnsiString& S);
AnsiString AnsiQuotedStr(const AnsiString& S, char Quote);
// Reads a quoted text starting at byte index Pos (0-based, at the opening quote): doubled quotes
// become one, reading stops after the closing quote (or at the end when it is missing) and Pos
// is left after it. Empty result when S[Pos] is not Quote (Pos unchanged).
AnsiString AnsiExtractQuotedStr(std::string_view S, std::size_t& Pos, char Quote);
// Where the quoted text that AnsiExtractQuotedStr reads lies, without copying it: Body is the
// text between the quotes with its doubled quotes still in, End the index after the closing
// quote (S.size() when it is missing). Nothing is read when S[Pos] is not Quote (End = Pos).
struct TQuotedExtent {
    std::string_view Body;
    std::size_t End = 0;
    bool DoubledQuotes = false;
};
TQuotedExtent ScanQuotedStr(std::string_view S, std::size_t Pos, char Quote);
// Appends Body with every doubled Quote made single.
void AppendUndoubled(AnsiString& Out, std::string_view Body, char Quote);
// The unquoted text when S is entirely one quoted text; S itself otherwise.
AnsiString AnsiDequotedStr(const AnsiString& S, char Quote);

// UTF-8 code points. An invalid byte counts as one code point (decoded as U+FFFD).
std::size_t CodePointCount(const AnsiString& S);
// Code points from 0-based index First, at most Count of them.
AnsiString CodePointCopy(const AnsiString& S, std::size_t First, std::size_t Count);
// Byte offset of the code point with 0-based index Index (S.size() when past the end).
std::size_t CodePointToByteOffset(const AnsiString& S, std::size_t Index);
// Number of code points that start before byte offset Offset.
std::size_t ByteOffsetToCodePoint(const AnsiString& S, std::size_t Offset);
// Decodes the code point at byte offset Pos and advances Pos past it.
char32_t NextCodePoint(const AnsiString& S, std::size_t& Pos);
void AppendCodePoint(AnsiString& S, char32_t C);
std::u32string Utf8ToCodePoints(const AnsiString& S);
AnsiString CodePointsToUtf8(const std::u32string& S);

}  // namespace carrelon
