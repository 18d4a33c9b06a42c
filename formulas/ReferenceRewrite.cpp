#include "formulas/ReferenceRewrite.h"

#include "formulas/A1Names.h"
#include "formulas/Tokenizer.h"
#include "platform/rtl/Locale.h"

namespace carrelon {

namespace {

// Calls Rewrite(name, out) for every identifier that is a cell name and copies everything else.
template <typename F>
void ForEachReference(const AnsiString& Formula, AnsiString& Result, F Rewrite) {
    const char decimal = DecimalSeparator;
    AnsiString out;
    out.reserve(Formula.size() + 8);
    std::size_t i = 0;
    const std::size_t n = Formula.size();
    TCellNameParts parts;
    while (i < n) {
        char c = Formula[i];
        if (IsFormulaDigit(c) || c == decimal) {
            bool complete = true;
            std::size_t len = ScanNumber(Formula, i, decimal, complete);
            // Letters glued to a number belong to it: "2D1" is a malformed number, and
            // rewriting it to "2E1" would turn it into the valid 20.
            len += ScanIdentifier(Formula, i + len);
            out.append(Formula, i, len);
            i += len;
        } else if (c == '$' || IsFormulaLetter(c)) {
            std::size_t len = ScanIdentifier(Formula, i);
            AnsiString run = Formula.substr(i, len);
            if (SplitCellName(run, parts))
                Rewrite(parts, out);
            else
                out += run;
            i += len;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    Result = std::move(out);
}

// A part whose number is unchanged keeps its spelling unless Respell asks for it to be written
// anew (upper-case letters).
void AppendReference(const TCellNameParts& P, std::int64_t NewCol, std::int64_t NewRow,
                     bool RespellCol, bool RespellRow, AnsiString& Out) {
    if (NewCol <= 0) {
        Out += InvalidReferenceText;
        return;
    }
    if (P.ColAbsolute) Out.push_back('$');
    Out += !RespellCol && NewCol == P.Col ? P.Letters : ColNumberToName(NewCol);
    if (P.RowAbsolute) Out.push_back('$');
    Out += !RespellRow && NewRow == P.Row ? P.Digits : std::to_string(NewRow);
}

// Offsets come from callers unchecked; a sum beyond int64 stays at its end, which names no cell.
std::int64_t SaturatingAdd(std::int64_t A, std::int64_t B) {
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(A, B, &sum)) return sum;
    return B > 0 ? INT64_MAX : INT64_MIN;
}

bool Saturated(const TCellNameParts& P) {
    return P.Col >= MaxColumnNumber || P.Row >= (INT64_MAX / 4);
}

}  // namespace

void ShiftFormulaReferences(const AnsiString& Formula, std::int64_t DCol, std::int64_t DRow,
                            AnsiString& Result, bool KeepAbsolute) {
    ForEachReference(Formula, Result, [&](const TCellNameParts& P, AnsiString& Out) {
        if (Saturated(P)) {
            Out += (P.ColAbsolute ? "$" : "") + P.Letters + (P.RowAbsolute ? "$" : "") + P.Digits;
            return;
        }
        const bool keepCol = KeepAbsolute && P.ColAbsolute;
        const bool keepRow = KeepAbsolute && P.RowAbsolute;
        const std::int64_t col = keepCol ? P.Col : SaturatingAdd(P.Col, DCol);
        const std::int64_t row = keepRow ? P.Row : SaturatingAdd(P.Row, DRow);
        // A moved part is written anew (upper-case letters) even when the offset is 0.
        AppendReference(P, col, row, !keepCol, !keepRow, Out);
    });
}

void AdjustPastedFormula(const AnsiString& SourceFormula, int SourceCol, int SourceRow,
                         int TargetStartCol, int TargetRow, AnsiString& Result) {
    ShiftFormulaReferences(SourceFormula, static_cast<std::int64_t>(TargetStartCol) - SourceCol,
                           static_cast<std::int64_t>(TargetRow) - SourceRow, Result, true);
}

bool RenumberFormulaReferences(const AnsiString& Formula, const TReferenceMap& ColMap,
                               const TReferenceMap& RowMap, AnsiString& Result) {
    bool changed = false;
    ForEachReference(Formula, Result, [&](const TCellNameParts& P, AnsiString& Out) {
        std::int64_t col = P.Col, row = P.Row;
        if (!Saturated(P)) {
            if (ColMap) col = ColMap(P.Col);
            if (RowMap) row = RowMap(P.Row);
        }
        if (col != P.Col || row != P.Row) changed = true;
        AppendReference(P, col, row, false, false, Out);
    });
    return changed;
}

}  // namespace carrelon
