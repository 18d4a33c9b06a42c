// Reference rewriting: shifting formulas (pasted cells, the headings switch) and renumbering them
// through a structural edit's mapping.
//
// Input: an optional first line "#d DCol DRow XCol XRow", then the formula text. DCol and DRow
// (folded into -4..4) shift the sheet; XCol and XRow are offsets of any size for the
// no-crash checks.
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
#include <memory>
#include <vector>

#include "formulas/FormulaEngine.h"
#include "formulas/ReferenceRewrite.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/rtl/Locale.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

constexpr int N = 16;                        // columns and rows of the sheet
constexpr int OriginCol = 8, OriginRow = 8;  // where the formula is evaluated, unshifted

// The content of the sheet, by unshifted slot.
struct TBaseSlot {
    TFormulaCellValue Value;
    AnsiString Formula;
    int HomeCol = 0, HomeRow = 0;
};

// Formula cells refer only to rows and columns 5..12, so they stay inside the grid under any
// shift of at most 4.
std::vector<TBaseSlot> MakeBase() {
    std::vector<TBaseSlot> base(N * N);
    for (int c = 0; c < N; ++c)
        for (int r = 0; r < N; ++r) {
            TBaseSlot& s = base[c * N + r];
            s.HomeCol = c;
            s.HomeRow = r;
            using K = TFormulaCellValue;
            switch ((c * 7 + r * 3) % 9) {
                case 0:
                    break;  // empty
                case 1:
                case 2:
                case 3:
                    s.Value = {K::cvNumber, static_cast<Extended>(c * 10 + r) / 4 - 3, {}};
                    break;
                case 4:
                    s.Value = {K::cvText, 0, std::to_string(c + r) + "abc"};
                    break;
                case 5:
                    s.Value = {K::cvBoolean, static_cast<Extended>(r % 2), {}};
                    break;
                case 6:
                    s.Value = {K::cvDate, 45000.25L + c, {}};
                    break;
                case 7:
                    s.Value = {K::cvCurrency, 1.2345L * r, {}};
                    break;
                default:
                    s.Value = {K::cvUnconvertible, 0, {}};
            }
        }
    auto formula = [&](int c, int r, const char* f) {
        base[c * N + r].Formula = f;
        base[c * N + r].Value = {};
    };
    formula(6, 6, "E5*2+sum(E5:H8)");
    formula(7, 9, "if(G7>3,rand(),L12)");
    formula(9, 4, "average(E5;F6;G7)+today()");
    formula(10, 10, "G7+1");
    formula(5, 11, "1/0");
    formula(11, 5, "F12");
    // A merged range at 3..4 x 3..5 (cell names D4:E6).
    for (int c = 3; c <= 4; ++c)
        for (int r = 3; r <= 5; ++r) {
            base[c * N + r] = TBaseSlot{};
            base[c * N + r].HomeCol = 3;
            base[c * N + r].HomeRow = 3;
        }
    base[3 * N + 3].Value = {TFormulaCellValue::cvNumber, 42, {}};
    return base;
}

// The sheet seen moved by (DCol, DRow): slot (c, r) shows the unshifted slot (c - DCol,
// r - DRow), its formula shifted along; slots that show nothing of the sheet are empty.
class TShiftedSheet : public TFormulaHost {
public:
    TShiftedSheet(const std::vector<TBaseSlot>& Base, int DCol, int DRow)
        : FBase(Base), FDCol(DCol), FDRow(DRow), FIds(2 * N * N), FErrors(2 * N * N) {
        for (const TBaseSlot& s : FBase) {
            AnsiString shifted;
            ShiftFormulaReferences(s.Formula, DCol, DRow, shifted, false);
            FFormulas.push_back(shifted);
        }
    }

    int GetHeadingOffset() override { return 0; }
    int GetAbsoluteColCount() override { return N; }
    int GetRowCount() override { return N; }
    void ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) override {
        const int c = AbsCol - FDCol, r = Row - FDRow;
        if (c < 0 || c >= N || r < 0 || r >= N) {
            Slot.Cell = &FIds[N * N + AbsCol * N + Row];
            Slot.Formula.clear();
            Slot.IsHome = true;
            Slot.Value = {};
            return;
        }
        const TBaseSlot& s = FBase[c * N + r];
        const int home = s.HomeCol * N + s.HomeRow;
        Slot.Cell = &FIds[home];
        Slot.Formula = FFormulas[home];
        Slot.IsHome = s.HomeCol == c && s.HomeRow == r;
        Slot.Value = FBase[home].Value;
    }
    bool GetCellError(TFormulaCellId Cell) override { return FErrors[Index(Cell)]; }
    void SetCellError(TFormulaCellId Cell, bool Error) override { FErrors[Index(Cell)] = Error; }
    bool GetCellSeed(TFormulaCellId Cell, std::uint32_t& Seed) override {
        Seed = static_cast<std::uint32_t>(Index(Cell) * 2654435761u);
        return true;
    }
    std::uint32_t GetRandSeed() override { return FSeed; }
    void SetRandSeed(std::uint32_t Seed) override { FSeed = Seed; }
    Extended GetNow() override { return 45000.75L; }
    Extended GetToday() override { return 45000; }
    Extended GetRandom() override {
        FSeed = FSeed * 134775813u + 1u;
        return FSeed / 4294967296.0L;
    }

    // The cell evaluated: the same unshifted slot, wherever the sheet is seen.
    TFormulaCellId Origin() { return &FIds[OriginCol * N + OriginRow]; }

private:
    std::size_t Index(TFormulaCellId Cell) const {
        return static_cast<std::size_t>(static_cast<const char*>(Cell) - FIds.data());
    }

    const std::vector<TBaseSlot>& FBase;
    int FDCol, FDRow;
    std::vector<char> FIds;  // one address per slot, as cell identities
    std::vector<char> FErrors;
    std::vector<AnsiString> FFormulas;
    std::uint32_t FSeed = 12345;
};

TFormulaResult Evaluate(const std::vector<TBaseSlot>& Base, const AnsiString& Formula, int DCol,
                        int DRow) {
    TShiftedSheet sheet(Base, DCol, DRow);
    TFormulaEngine engine(sheet);
    return engine.Evaluate(Formula, sheet.Origin());
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
    static const std::vector<TBaseSlot> base = MakeBase();
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    AnsiString formula = input;
    int dc = 1, dr = 2;
    std::int64_t xc = INT64_MAX, xr = INT64_MIN;
    if (input.rfind("#d", 0) == 0) {
        const std::size_t eol = std::min(input.find('\n'), input.size());
        const std::string line = input.substr(0, eol);
        std::size_t pos = 2;
        dc = static_cast<int>(ReadNumber(line, pos, dc) % 5);
        dr = static_cast<int>(ReadNumber(line, pos, dr) % 5);
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
        const TFormulaResult before = Evaluate(base, formula, 0, 0);
        const TFormulaResult after = Evaluate(base, shifted, dc, dr);
        FUZZ_CHECK(SameResult(before, after), where + " = \"" + Escaped(shifted) + "\": " +
                                                  Shown(before) + " became " + Shown(after));
        const TFormulaResult mapped = Evaluate(base, renumbered, dc, dr);
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
