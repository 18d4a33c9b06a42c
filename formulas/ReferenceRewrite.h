// Rewriting of the cell references inside formula texts: shifting by an offset (pasted cells,
// switching headings) and renumbering through the old-to-new mapping of a structural edit.
// Both work on the tokens the evaluator sees, so a number such as 1E5 is never taken for a
// reference and only whole references are rewritten.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/rtl/Types.h"

namespace carrelon {

// Written in place of a reference whose column would fall to 0 or below; it fails visibly.
inline constexpr const char* InvalidReferenceText = "#REF!";

// Moves every reference by DCol columns and DRow rows. With KeepAbsolute, "$"-marked parts stay;
// without it every part moves and the "$" marks stay where they stood.
void ShiftFormulaReferences(const AnsiString& Formula, std::int64_t DCol, std::int64_t DRow,
                            AnsiString& Result, bool KeepAbsolute);

// The formula of a pasted cell: its references moved by the distance from the source cell
// (SourceCol, SourceRow) to the target (TargetStartCol, TargetRow), "$"-marked parts kept.
void AdjustPastedFormula(const AnsiString& SourceFormula, int SourceCol, int SourceRow,
                         int TargetStartCol, int TargetRow, AnsiString& Result);

// Maps A1 numbers (1-based) of columns or rows to their new numbers; "$" marks do not matter.
using TReferenceMap = std::function<std::int64_t(std::int64_t)>;

// Rewrites every reference through the mappings (an empty mapping keeps that part). Returns
// true when the text changed.
bool RenumberFormulaReferences(const AnsiString& Formula, const TReferenceMap& ColMap,
                               const TReferenceMap& RowMap, AnsiString& Result);

}  // namespace carrelon
