// Reference rewriting: shifting formulas (pasted cells, the headings switch) and renumbering them
// through a structural edit's mapping.
//
// Input: an optional first line "#d DCol DRow XCol XRow", then the formula text. DCol and DRow
// (folded into -4..4) move the sheet of fuzz/support/FormulaSheet.h; XCol and XRow are offsets
// of any size for the no-crash checks.
//
// Oracles:
// - The formula, evaluated in a sheet, shows the same result (value bit for bit, or the same
//   error text) as the shifted formula evaluated in the same sheet moved by (DCol, DRow), when
//   every reference stays inside both grids. The shift by ShiftFormulaReferences and the
//   renumbering through the mappings c -> c + DCol, r -> r + DRow must both pass.
// - Shifting there and back gives the formula as shifting by nothing writes it, when no column
//   or row falls below 1 on the way.
// - Without "$" marks, keeping the marked parts changes nothing.
// - Offsets and mappings of any size rewrite without overflow.
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "formulas/FormulaEngine.h"
#include "formulas/ReferenceRewrite.h"
#include "fuzz/support/FormulaSheet.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/rtl/Locale.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;
using carrelon::fuzz::TFormulaSheet;

namespace {

constexpr int N = TFormulaSheet::Size;
constexpr int OriginCol = 8, OriginRow = 8;  // where the formula is evaluated, unmoved

TFormulaResult Evaluate(const AnsiString& Formula, int DCol, int DRow) {
    TFormulaSheet sheet(DCol, DRow);
    TFormulaEngine engine(sheet);
    return engine.Evaluate(Formula, sheet.Cell(OriginCol, OriginRow));
}

bool SameResult(const TFormulaResult& A, const TFormulaResult& B) {
    return A.Ok == B.Ok && A.ErrorText == B.ErrorText && A.Type == B.Type &&
           A.Value.Kind == B.Value.Kind && std::memcmp(&A.Value.Number, &B.Value.Number, 10) == 0;
}

std::string Shown(const TFormulaResult& R) {
    return R.Ok ? std::to_string(static_cast<double>(R.Value.Number)) : R.ErrorText;
}

// The columns and rows the formula's references name.
void CollectReferences(const AnsiString& Formula, std::vector<std::int64_t>& Cols,
                       std::vector<std::int64_t>& Rows) {
    AnsiString unused;
    RenumberFormulaReferences(
        Formula, [&](std::int64_t c) { return Cols.push_back(c), c; },
        [&](std::int64_t r) { return Rows.push_back(r), r; }, unused);
}

bool AllWithin(const std::vector<std::int64_t>& Numbers, std::int64_t Low, std::int64_t High) {
    for (std::int64_t n : Numbers)
        if (n < Low || n > High) return false;
    return true;
}

// Names with this many letters or digits saturate; the rewriting leaves them alone and the
// mappings never see them, so the formula's references cannot be checked against the grid.
bool HasOverlongName(const AnsiString& Formula) {
    int letters = 0, digits = 0;
    for (char c : Formula) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        letters = letter ? letters + 1 : 0;
        digits = digit ? digits + 1 : 0;
        if (letters > 12 || digits > 17) return true;
    }
    return false;
}

std::int64_t ReadNumber(const std::string& Line, std::size_t& Pos, std::int64_t Default) {
    while (Pos < Line.size() && Line[Pos] == ' ')
        ++Pos;
    std::int64_t v = Default;
    const auto r = std::from_chars(Line.data() + Pos, Line.data() + Line.size(), v);
    if (r.ec != std::errc()) return Default;
    Pos = static_cast<std::size_t>(r.ptr - Line.data());
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    AnsiString formula = input;
    int dc = 1, dr = 2;
    std::int64_t xc = INT64_MAX, xr = INT64_MIN;
    if (input.rfind("#d", 0) == 0) {
        const std::size_t eol = std::min(input.find('\n'), input.size());
        const std::string line = input.substr(0, eol);
        std::size_t pos = 2;
        dc = static_cast<int>(ReadNumber(line, pos, dc) % (TFormulaSheet::MaxMove + 1));
        dr = static_cast<int>(ReadNumber(line, pos, dr) % (TFormulaSheet::MaxMove + 1));
        xc = ReadNumber(line, pos, xc);
        xr = ReadNumber(line, pos, xr);
        formula = eol < input.size() ? input.substr(eol + 1) : AnsiString();
    }
    TLocaleScope locale(true);
    const std::string where = "formula \"" + Escaped(formula) + "\" shifted by " +
                              std::to_string(dc) + ", " + std::to_string(dr);

    AnsiString shifted, renumbered, kept, back, normal;
    ShiftFormulaReferences(formula, dc, dr, shifted, false);
    RenumberFormulaReferences(
        formula, [&](std::int64_t c) { return c + dc; }, [&](std::int64_t r) { return r + dr; },
        renumbered);
    ShiftFormulaReferences(formula, dc, dr, kept, true);
    if (formula.find('$') == AnsiString::npos)
        FUZZ_CHECK(kept == shifted,
                   where + ": \"" + Escaped(kept) + "\" against \"" + Escaped(shifted) + "\"");

    std::vector<std::int64_t> cols, rows;
    CollectReferences(formula, cols, rows);
    // Far from the saturation points, where a shift by a few could cross one.
    constexpr std::int64_t far = std::int64_t{1} << 40;
    if (AllWithin(cols, std::max(1, 1 - dc), far) && AllWithin(rows, std::max(1, 1 - dr), far)) {
        ShiftFormulaReferences(shifted, -dc, -dr, back, false);
        ShiftFormulaReferences(formula, 0, 0, normal, false);
        FUZZ_CHECK(back == normal, where + " and back gave \"" + Escaped(back) + "\", not \"" +
                                       Escaped(normal) + "\"");
    }
    if (!HasOverlongName(formula) && AllWithin(cols, std::max(1, 1 - dc), std::min(N, N - dc)) &&
        AllWithin(rows, std::max(1, 1 - dr), std::min(N, N - dr))) {
        const TFormulaResult before = Evaluate(formula, 0, 0);
        const TFormulaResult after = Evaluate(shifted, dc, dr);
        FUZZ_CHECK(SameResult(before, after), where + " = \"" + Escaped(shifted) + "\": " +
                                                  Shown(before) + " became " + Shown(after));
        const TFormulaResult mapped = Evaluate(renumbered, dc, dr);
        FUZZ_CHECK(SameResult(before, mapped), where + " renumbered = \"" + Escaped(renumbered) +
                                                   "\": " + Shown(before) + " became " +
                                                   Shown(mapped));
    }

    // Offsets and mappings of any size.
    AnsiString wild;
    ShiftFormulaReferences(formula, xc, xr, wild, false);
    ShiftFormulaReferences(formula, xc, xr, wild, true);
    ShiftFormulaReferences(formula, xr, xc, wild, false);
    RenumberFormulaReferences(
        formula, [&](std::int64_t c) { return static_cast<std::int64_t>(c ^ xc); },
        [&](std::int64_t r) {
            return static_cast<std::int64_t>(static_cast<std::uint64_t>(xr) -
                                             static_cast<std::uint64_t>(r & 0xff));
        },
        wild);
    return 0;
}
