// The formula side of the grid: spreadsheet mode, headings, evaluation and recalculation. These
// bodies keep the grid usable without the formula engine; the engine replaces them.
#include "grid/Carrelon.h"

namespace carrelon {

void TCarrelon::SetSpreadsheetEnabled(bool Value) {
    FSpreadsheetEnabled = Value;
}

void TCarrelon::SetSpreadsheetHeaders(bool Value) {
    if (Value && (GetFixedRows() == 0 || GetFixedCols() == 0)) return;
    FSpreadsheetHeaders = Value;
}

void TCarrelon::SetSpreadsheetOptions(TCarrelonSpreadsheetOptions Value) {
    FSpreadsheetOptions = Value;
}

bool TCarrelon::AnalyzeExpression(TCarrelonCell*) {
    return false;
}

bool TCarrelon::Recalculate(TCarrelonCell*) {
    return false;
}

TCarrelonCell* TCarrelon::CellByName(const AnsiString&) const {
    return nullptr;
}

}  // namespace carrelon
