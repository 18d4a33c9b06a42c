#include "fuzz/support/FormulaSheet.h"

#include <algorithm>

#include "formulas/ReferenceRewrite.h"

namespace carrelon::fuzz {

namespace {

constexpr int N = TFormulaSheet::Size;

struct TContentSlot {
    TFormulaCellValue Value;
    int Home = 0;  // index of the merged range's top-left slot, or the slot's own
};

struct TContent {
    std::vector<TContentSlot> Slots;
    std::vector<std::pair<int, AnsiString>> Formulas;
};

TContent MakeContent() {
    using K = TFormulaCellValue;
    static const char* const texts[] = {"12abc", "1,234.5", "$5", "3/4/2021", "12:30", "", "x"};
    TContent t;
    t.Slots.resize(N * N);
    for (int c = 0; c < N; ++c)
        for (int r = 0; r < N; ++r) {
            TContentSlot& s = t.Slots[c * N + r];
            s.Home = c * N + r;
            const int k = (c * 7 + r * 3) % 11;
            if (k == 0) continue;  // empty
            if (k <= 3)
                s.Value = {K::cvNumber, static_cast<Extended>(c * 10 + r) / 4 - 3, {}};
            else if (k == 4)
                s.Value = {K::cvText, 0, texts[(c + r) % 7]};
            else if (k == 5)
                s.Value = {K::cvBoolean, static_cast<Extended>(r % 2), {}};
            else if (k == 6)
                s.Value = {K::cvDate, 45000.25L + c, {}};
            else if (k == 7)
                s.Value = {K::cvCurrency, 1.2345L * r, {}};
            else if (k == 8)
                s.Value = {K::cvUnconvertible, 0, {}};
            else if (k == 9)
                s.Value = {K::cvNumber, r % 2 ? 1e-300L : 1e300L, {}};
            else
                s.Value = {K::cvText, 0, std::to_string(c + r) + "abc"};
        }
    // A merged range over columns 3..4 and rows 3..5 (cell names D4:E6).
    for (int c = 3; c <= 4; ++c)
        for (int r = 3; r <= 5; ++r)
            t.Slots[c * N + r] = TContentSlot{{}, 3 * N + 3};
    t.Slots[3 * N + 3].Value = {K::cvNumber, 42, {}};
    // Formula cells, naming only rows and columns 5..12: a cycle through themselves, a random
    // number, a chain, an error, dates and currency.
    const struct {
        int Col, Row;
        const char* Formula;
    } formulas[] = {{6, 6, "E5*2+sum(E5:H8)"},
                    {7, 9, "if(G7>3,rand(),L12)"},
                    {9, 4, "average(E5,F6,H8)+today()"},
                    {10, 10, "G7+1"},
                    {5, 11, "1/0"},
                    {11, 5, "F12*2"},
                    {8, 5, "count(E5:H7)"},
                    {4, 11, "K11+E10"}};
    for (const auto& f : formulas) {
        t.Slots[f.Col * N + f.Row].Value = {};
        t.Formulas.emplace_back(f.Col * N + f.Row, f.Formula);
    }
    return t;
}

const TContent& Content() {
    static const TContent content = MakeContent();
    return content;
}

}  // namespace

TFormulaSheet::TFormulaSheet(int DCol, int DRow)
    : FDCol(DCol), FDRow(DRow), FCells(2 * N * N), FErrors(2 * N * N) {
    for (const auto& [index, formula] : Content().Formulas)
        SetFormula(index / N, index % N, formula);
}

void TFormulaSheet::SetFormula(int Col, int Row, const AnsiString& Formula) {
    const int index = Col * N + Row;
    std::erase_if(FFormulas, [&](const auto& f) { return f.first == index; });
    if (Formula.empty()) return;
    if (FDCol == 0 && FDRow == 0) {
        FFormulas.emplace_back(index, Formula);
        return;
    }
    AnsiString moved;
    ShiftFormulaReferences(Formula, FDCol, FDRow, moved, false);
    FFormulas.emplace_back(index, std::move(moved));
}

const AnsiString& TFormulaSheet::FormulaAt(int Col, int Row) const {
    static const AnsiString none;
    for (const auto& [index, formula] : FFormulas)
        if (index == Col * N + Row) return formula;
    return none;
}

std::vector<std::pair<int, int>> TFormulaSheet::FormulaSlots() const {
    std::vector<std::pair<int, int>> slots;
    for (const auto& f : FFormulas)
        slots.emplace_back(f.first % N, f.first / N);  // row first, for the order
    std::sort(slots.begin(), slots.end());
    for (auto& [a, b] : slots)
        std::swap(a, b);
    return slots;
}

void TFormulaSheet::ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) {
    const int c = AbsCol - FDCol, r = Row - FDRow;
    if (c < 0 || c >= N || r < 0 || r >= N) {
        Slot.Cell = &FCells[N * N + AbsCol * N + Row];
        Slot.Formula.clear();
        Slot.IsHome = true;
        Slot.Value = {};
        return;
    }
    const int home = Content().Slots[c * N + r].Home;
    Slot.Cell = &FCells[home];
    Slot.Formula = FormulaAt(home / N, home % N);
    Slot.IsHome = home == c * N + r;
    Slot.Value = Content().Slots[home].Value;
}

bool TFormulaSheet::GetCellSeed(TFormulaCellId Id, std::uint32_t& Seed) {
    Seed = static_cast<std::uint32_t>(Index(Id) * 2654435761u);
    return true;
}

Extended TFormulaSheet::GetRandom() {
    FSeed = FSeed * 134775813u + 1u;
    return FSeed / 4294967296.0L;
}

}  // namespace carrelon::fuzz
