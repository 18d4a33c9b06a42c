// Formula text: compiled and evaluated against a small sheet of numbers, texts, dates,
// currency, booleans, a merged range and formula cells (fuzz/support/FormulaSheet.h).
//
// Input: lines of text. Lines starting with "#" choose options ("#headings": names start at
// slot 1, 1; "#comma": "," decimal point and ";" list separator). The other lines are formulas:
// all but the last go to the first four slots of row 14 (A14..D14 without headings), the last
// is evaluated as the formula of slot I9.
//
// Oracles: evaluation never raises; a result is a success without error text or a failure with
// one, and the origin's error flag says which; a success is a number (never NaN or infinite) or
// the "no value" marker; evaluating the same formula again in a fresh engine, from the same
// grid, flags and generator state, gives the same result bit for bit.
#include <cmath>
#include <cstring>
#include <vector>

#include "fuzz/support/FormulaSheet.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/rtl/Locale.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;
using carrelon::fuzz::TFormulaSheet;

namespace {

constexpr int InputRow = 13, InputCells = 4;
constexpr int OriginCol = 8, OriginRow = 8;

void CheckResult(const TFormulaResult& R, bool ErrorFlag, const AnsiString& Formula) {
    const std::string where = "formula \"" + Escaped(Formula) + "\"";
    FUZZ_CHECK(R.Ok == R.ErrorText.empty(), where + " error text \"" + R.ErrorText + "\"");
    FUZZ_CHECK(ErrorFlag == !R.Ok, where + ": error flag does not match the result");
    FUZZ_CHECK(R.Type <= etCurrency, where);
    if (R.Ok) {
        FUZZ_CHECK(R.Value.Kind != TFormulaValue::fvEmpty, where + " gave an empty value");
        FUZZ_CHECK(std::isfinite(R.Value.Number),
                   where + " gave " + std::to_string(static_cast<double>(R.Value.Number)));
    }
}

bool SameResult(const TFormulaResult& A, const TFormulaResult& B) {
    return A.Ok == B.Ok && A.ErrorText == B.ErrorText && A.Type == B.Type &&
           A.Value.Kind == B.Value.Kind && std::memcmp(&A.Value.Number, &B.Value.Number, 10) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const AnsiString text(reinterpret_cast<const char*>(Data), Size);
    std::vector<AnsiString> formulas;
    bool headings = false, comma = false;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == AnsiString::npos) end = text.size();
        AnsiString line = text.substr(start, end - start);
        if (line == "#headings")
            headings = true;
        else if (line == "#comma")
            comma = true;
        else
            formulas.push_back(line);
        start = end + 1;
    }
    AnsiString main;
    if (!formulas.empty()) {
        main = formulas.back();
        formulas.pop_back();
    }

    TLocaleScope locale(true);
    if (comma) {
        DecimalSeparator = ',';
        ThousandSeparator = '.';
        ListSeparator = ';';
    }
    TFormulaSheet sheet;
    sheet.Headings = headings ? 1 : 0;
    for (std::size_t i = 0; i < formulas.size() && i < InputCells; ++i)
        sheet.SetFormula(static_cast<int>(i), InputRow, formulas[i]);

    // A recalculation pass over the formula cells, as the grid runs it.
    TFormulaEngine engine(sheet);
    engine.BeginSession();
    for (const auto& [c, r] : sheet.FormulaSlots()) {
        const bool before = sheet.Error(c, r);
        const AnsiString& formula = sheet.FormulaAt(c, r);
        const TFormulaResult result = engine.Evaluate(formula, sheet.Cell(c, r));
        CheckResult(result, sheet.Error(c, r), formula);
        if (before != sheet.Error(c, r)) engine.CellErrorChanged(sheet.Cell(c, r));
    }
    engine.EndSession();

    const TFormulaSheet::TState state = sheet.Save();
    const TFormulaResult first = engine.Evaluate(main, sheet.Cell(OriginCol, OriginRow));
    CheckResult(first, sheet.Error(OriginCol, OriginRow), main);
    sheet.Restore(state);
    TFormulaEngine fresh(sheet);
    const TFormulaResult second = fresh.Evaluate(main, sheet.Cell(OriginCol, OriginRow));
    FUZZ_CHECK(SameResult(first, second),
               "formula \"" + Escaped(main) + "\" gave " +
                   (first.Ok ? "a value" : first.ErrorText) + " once and " +
                   (second.Ok ? "a value" : second.ErrorText) + " again");
    return 0;
}
