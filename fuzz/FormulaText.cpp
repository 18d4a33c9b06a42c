// Formula text: compiled and evaluated against a small grid of numbers, texts, dates, currency,
// booleans, a merged range and formula cells.
//
// Input: lines of text. Lines starting with "#" choose options ("#headings": names start at
// slot 1, 1; "#comma": "," decimal point and ";" list separator). The other lines are formulas:
// all but the last go to the formula cells A6, B6, C6, D6 (in that order), the last is evaluated
// as the formula of F8.
//
// Oracles: evaluation never raises; a result is a success without error text or a failure with
// one, and the origin's error flag says which; a success is a number (never NaN or infinite) or
// the "no value" marker; evaluating the same formula again in a fresh engine, from the same
// grid, flags and generator state, gives the same result bit for bit.
#include <cmath>
#include <cstring>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "platform/rtl/Locale.h"
#include "tests/support/FakeFormulaGrid.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;
using carrelon::test::FakeCell;
using carrelon::test::FakeFormulaGrid;

namespace {

constexpr int Cols = 6, Rows = 8;
constexpr int FormulaRow = 5, FormulaCells = 4;

void FillGrid(FakeFormulaGrid& G) {
    using K = TFormulaCellValue;
    G.SetNumber(0, 0, 3);
    G.SetNumber(1, 0, -2.5L);
    G.SetNumber(2, 0, 0);
    G.SetNumber(3, 0, 1e10L);
    G.SetKind(4, 0, K::cvDate, 45000.5L);
    G.SetKind(5, 0, K::cvCurrency, 12.3456L);
    G.SetText(0, 1, "12abc");
    G.SetText(1, 1, "1,234.5");
    G.SetText(2, 1, "$5");
    G.SetText(3, 1, "3/4/2021");
    G.SetText(4, 1, "12:30");
    G.SetText(5, 1, "");
    G.SetKind(0, 2, K::cvBoolean, 1);
    G.SetKind(1, 2, K::cvBoolean, 0);
    G.SetKind(2, 2, K::cvUnconvertible, 0);
    G.SetNumber(4, 2, 1e-300L);
    G.SetNumber(5, 2, 7);
    G.SetNumber(0, 3, 2);
    G.Merge(1, 3, 2, 4);
    G.SetNumber(1, 3, 11);
    G.SetText(3, 3, "abc");
    G.SetFormula(4, 6, "A1*2");
    G.SetFormula(5, 6, "sum(A1:F3)");
    G.SetFormula(0, 7, "rand()+A1");
    G.At(0, 7).HasSeed = true;
    G.At(0, 7).Seed = 7;
    // Every slot exists from here on, so a snapshot can cover them all.
    for (int c = 0; c < Cols; ++c)
        for (int r = 0; r < Rows; ++r)
            G.At(c, r);
}

struct TState {
    std::vector<bool> Errors;
    std::uint32_t Seed = 0;
};

TState Snapshot(FakeFormulaGrid& G) {
    TState s;
    for (int c = 0; c < Cols; ++c)
        for (int r = 0; r < Rows; ++r)
            s.Errors.push_back(G.At(c, r).Error);
    s.Seed = G.RandSeed;
    return s;
}

void Restore(FakeFormulaGrid& G, const TState& S) {
    std::size_t i = 0;
    for (int c = 0; c < Cols; ++c)
        for (int r = 0; r < Rows; ++r)
            G.At(c, r).Error = S.Errors[i++];
    G.RandSeed = S.Seed;
}

void CheckResult(const TFormulaResult& R, const FakeCell& Origin, const AnsiString& Formula) {
    const std::string where = "formula \"" + Escaped(Formula) + "\"";
    FUZZ_CHECK(R.Ok == R.ErrorText.empty(), where + " error text \"" + R.ErrorText + "\"");
    FUZZ_CHECK(Origin.Error == !R.Ok, where + ": error flag does not match the result");
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
    FakeFormulaGrid grid(Cols, Rows);
    grid.Headings = headings ? 1 : 0;
    FillGrid(grid);
    for (std::size_t i = 0; i < formulas.size() && i < FormulaCells; ++i)
        grid.SetFormula(static_cast<int>(i), FormulaRow, formulas[i]);

    // A recalculation pass over the formula cells, as the grid runs it.
    TFormulaEngine engine(grid);
    engine.BeginSession();
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c) {
            FakeCell& cell = grid.At(c, r);
            if (cell.Formula.empty() || cell.HomeCol != c || cell.HomeRow != r) continue;
            const bool before = cell.Error;
            const TFormulaResult result = engine.Evaluate(cell.Formula, &cell);
            CheckResult(result, cell, cell.Formula);
            if (before != cell.Error) engine.CellErrorChanged(&cell);
        }
    engine.EndSession();

    FakeCell& origin = grid.At(Cols - 1, Rows - 1);
    const TState state = Snapshot(grid);
    const TFormulaResult first = engine.Evaluate(main, &origin);
    CheckResult(first, origin, main);
    Restore(grid, state);
    TFormulaEngine fresh(grid);
    const TFormulaResult second = fresh.Evaluate(main, &origin);
    FUZZ_CHECK(SameResult(first, second),
               "formula \"" + Escaped(main) + "\" gave " +
                   (first.Ok ? "a value" : first.ErrorText) + " once and " +
                   (second.Ok ? "a value" : second.ErrorText) + " again");
    return 0;
}
