// Text rules of the cell model: how cell text is normalised, how a value is shown, A1 column
// letters, and a few small helpers shared by the model's files.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TFont;

// Cell text as stored: trailing blanks trimmed, LF CR pairs and lone breaks made CR LF.
AnsiString CarrelonNormaliseCellText(const AnsiString& S);
// True when S is stored as it is (no line break, no trailing blank).
bool CarrelonCellTextIsNormal(const AnsiString& S);
// The display text of a value: Booleans upper-cased, currency in the locale's currency
// format, whole-minute times without their seconds.
AnsiString CarrelonValueText(const Variant& V);
bool CarrelonIsStringVariant(const Variant& V);
AnsiString CarrelonVariantString(const Variant& V);
// Same variant type and equal value.
bool CarrelonSameVariant(const Variant& A, const Variant& B);
AnsiString CarrelonTrim(const AnsiString& S);
AnsiString CarrelonUpperCase(const AnsiString& S);
int CarrelonAnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
// Column letters in bijective base 26: 1 = A, 26 = Z, 27 = AA; empty for N < 1.
AnsiString CarrelonColumnLetters(long long N);
// Raises the list's index error for an index out of range.
[[noreturn]] void CarrelonListIndexError(long long Index);
// Copies into Target the first attribute (colour, size, style, name, charset, pitch) in which
// Font differs from Shadow; only that one.
void CarrelonCopyFirstFontDifference(const TFont& Shadow, const TFont& Font, TFont& Target);

}  // namespace carrelon
