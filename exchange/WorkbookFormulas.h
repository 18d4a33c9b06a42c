// Formulas between the grid and a spreadsheet workbook. The two languages look alike but read
// differently: the grid's "&" and "|" are AND and OR, its comparisons bind like "*", its powers
// group to the right and its minus sign binds looser than a power; in the workbook "&" joins
// texts, comparisons bind last, powers group to the left and a minus sign binds tightest. So a
// formula is carried over by its meaning: exported from the parsed grid formula with every
// compound operand in parentheses and AND() / OR() for "&" / "|", and imported only when the
// grid reads the workbook's text the way the workbook does.
#pragma once

#include <cstdint>
#include <functional>

#include "formulas/Tokenizer.h"
#include "platform/rtl/Types.h"

namespace carrelon {

// The longest formula text either side takes.
inline constexpr std::size_t MaxWorkbookFormulaLength = 8192;

// How the export places grid columns in the sheet: A1 column number in the grid to the sheet's
// column number; false when the column has no place there (it is hidden).
using TWorkbookColumnMap = std::function<bool(std::int64_t GridColumn, std::int64_t& SheetColumn)>;

enum class TFormulaExport {
    Exported,       // Text holds the workbook formula (without "=")
    Unparsable,     // the grid cannot parse the formula
    Untranslatable  // it parses, but the workbook would compute something else
};

// The workbook text of a grid formula (separators as Separators says) in the workbook's own
// syntax: "," between arguments, "." as decimal point.
TFormulaExport GridFormulaToWorkbook(const AnsiString& Formula, TFormulaSeparators Separators,
                                     const TWorkbookColumnMap& MapColumn, AnsiString& Text);

// True when GridText, the workbook formula WorkbookText (without "=", in the workbook's syntax)
// with its separators turned into the grid's, means in the grid what it means in the workbook.
bool WorkbookFormulaReadsSame(const AnsiString& WorkbookText, const AnsiString& GridText,
                              TFormulaSeparators Separators);

}  // namespace carrelon
