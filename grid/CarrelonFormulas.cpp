#include "grid/CarrelonFormulas.h"

#include <algorithm>
#include <unordered_set>

#include "grid/CarrelonPrivate.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

namespace {
TCarrelonCell* CellOf(TFormulaCellId Id) {
    return const_cast<TCarrelonCell*>(static_cast<const TCarrelonCell*>(Id));
}
}  // namespace

TCarrelonFormulas::TCarrelonFormulas(TCarrelon& Grid) : FGrid(Grid), FEngine(*this) {}

void TCarrelonFormulas::FormulaWritten(TCarrelonCell* Cell, bool HasFormula) {
    if (HasFormula) {
        FCells.insert(Cell);
        const TFormulaSeparators Now{DecimalSeparator, ListSeparator};
        if (Now == FDependencySeparators)
            FDependencies.Set(Cell, *FEngine.Program(Cell->ReadFFormula()));
    } else {
        FDependencies.Forget(Cell);
        FStale.erase(Cell);
        FCyclic.erase(Cell);
        if (FCells.erase(Cell) != 0) ++FRemovals;
    }
    // A kept result may belong to the old formula text or to a cell read as plain.
    if (Cell != FEditedCell) FEngine.Invalidate();
}

void TCarrelonFormulas::CellFreed(TCarrelonCell* Cell) {
    FDependencies.Forget(Cell);
    FStale.erase(Cell);
    FCyclic.erase(Cell);
    if (FCells.erase(Cell) != 0) {
        ++FRemovals;
        FEngine.Forget(Cell);
        FEngine.Invalidate();
    }
}

void TCarrelonFormulas::CollectVisits(std::vector<TVisit>& Visits, TCarrelonCell* ExceptCell,
                                      const std::vector<TCarrelonCell*>* Only) {
    Visits.clear();
    const int h = GetHeadingOffset();
    const int rows = FGrid.GetRowCount(), cols = FGrid.GetColCount();
    const auto visit = [&](TCarrelonCell* cell) {
        if (cell == ExceptCell) return;
        const int first = cell->GetStartCol();
        if (first < 0) return;  // every column of the cell is hidden
        const int last = cell->GetEndCol();
        const int endRow = std::min(cell->ReadFEndRow(), rows - 1);
        for (int r = std::max(cell->Row, h); r <= endRow; ++r)
            for (int k = std::max(first, h); k <= last && k < cols; ++k)
                Visits.push_back({r, k, cell});
    };
    if (Only == nullptr) {
        for (TCarrelonCell* cell : FCells)
            visit(cell);
    } else {
        // A listed cell may have lost its formula, or been freed, since it was listed.
        for (TCarrelonCell* cell : *Only)
            if (FCells.count(cell) != 0) visit(cell);
    }
    std::sort(Visits.begin(), Visits.end(), [](const TVisit& a, const TVisit& b) {
        return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
    });
}

const TFormulaDependencies& TCarrelonFormulas::Dependencies() {
    // Formulas parse with the locale's separators: other separators, other references.
    const TFormulaSeparators Now{DecimalSeparator, ListSeparator};
    if (!(Now == FDependencySeparators)) {
        FDependencySeparators = Now;
        FDependencies.Clear();
        for (TCarrelonCell* cell : FCells)
            FDependencies.Set(cell, *FEngine.Program(cell->ReadFFormula()));
    }
    return FDependencies;
}

void TCarrelonFormulas::CollectAffected(TCarrelonCell* Cell,
                                        std::vector<TCarrelonCell*>& Affected) {
    const TFormulaDependencies& deps = Dependencies();
    const int h = GetHeadingOffset();
    std::unordered_set<TFormulaCellId> seen;
    std::vector<TCarrelonCell*> pending;
    std::vector<TFormulaCellId> readers;
    const auto add = [&](TFormulaCellId Id) {
        if (seen.insert(Id).second) pending.push_back(CellOf(Id));
    };
    const auto readersOf = [&](TCarrelonCell* C) {
        // Every slot of a cell: a formula in a merged cell is read through each of them.
        const int first = C->Col->GetAbsoluteNumber();
        const int last = C->GetEndColObject()->GetAbsoluteNumber();
        for (int a = first; a <= last; ++a)
            for (int r = C->Row; r <= C->ReadFEndRow(); ++r)
                deps.ReadersOf(std::int64_t{a} - h + 1, std::int64_t{r} - h + 1, readers);
        for (TFormulaCellId id : readers)
            add(id);
        readers.clear();
    };
    readersOf(Cell);
    for (TFormulaCellId id : deps.Volatile())
        add(id);
    for (TCarrelonCell* c : FStale)
        if (c != Cell) add(c);
    ForgetStale(Cell);
    while (!pending.empty()) {
        TCarrelonCell* x = pending.back();
        pending.pop_back();
        Affected.push_back(x);
        readersOf(x);
    }
}

void TCarrelonFormulas::ForgetStale(TCarrelonCell* Except) {
    const bool keep = FStale.count(Except) != 0;
    FStale.clear();
    if (keep) FStale.insert(Except);
}

TCarrelonFormulas::TSignature TCarrelonFormulas::CurrentSignature() const {
    return {TCarrelonPrivate::Of(FGrid).FStore.Changes(), FGrid.GetRowCount(),
            FGrid.GetAbsoluteColCount(), FGrid.GetSpreadsheetHeaders() ? 1 : 0};
}

bool TCarrelonFormulas::Settled() const {
    return FSettled && CurrentSignature() == FSettledAt;
}

void TCarrelonFormulas::MarkSettled(bool Value) {
    FSettled = Value;
    if (Value) FSettledAt = CurrentSignature();
}

void TCarrelonFormulas::BeginSeeding(std::uint32_t Base) {
    FSeeding = true;
    FBase = Base;
}

void TCarrelonFormulas::EndSeeding(bool WasSeeding, std::uint32_t OldBase) {
    FSeeding = WasSeeding;
    FBase = OldBase;
}

std::uint32_t TCarrelonFormulas::SeedOf(const TCarrelonCell* Cell) const {
    // 32-bit wrap-around arithmetic.
    return static_cast<std::uint32_t>(Cell->Row) * static_cast<std::uint32_t>(FGrid.GetColCount()) +
           FBase + static_cast<std::uint32_t>(Cell->GetStartCol());
}

int TCarrelonFormulas::GetHeadingOffset() {
    return TCarrelonPrivate::Of(FGrid).FSpreadsheetHeaders ? 1 : 0;
}
int TCarrelonFormulas::GetAbsoluteColCount() {
    return static_cast<int>(TCarrelonPrivate::Of(FGrid).FAbsoluteCols.size());
}
int TCarrelonFormulas::GetRowCount() {
    return FGrid.GetRowCount();
}

void TCarrelonFormulas::ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) {
    TCarrelonCell* cell = FGrid.GetAbsoluteCells(AbsCol, Row);
    Slot.Cell = cell;
    Slot.Formula.clear();
    Slot.IsHome = true;
    TFormulaCellValue& v = Slot.Value;
    v.Kind = TFormulaCellValue::cvEmpty;
    if (!cell) return;
    Slot.Formula = cell->ReadFFormula();
    if (!Slot.Formula.empty()) return;
    Slot.IsHome = cell->Row == Row && cell->Col->GetAbsoluteNumber() == AbsCol;
    if (!Slot.IsHome) return;
    const Variant value = cell->GetValue();
    switch (value.Type()) {
        case varEmpty:
            return;
        case varBoolean:
            v.Kind = TFormulaCellValue::cvBoolean;
            v.Number = value.AsBoolean() ? 1 : 0;
            return;
        case varString:
        case varOleStr:
        case varStrArg:
            v.Kind = TFormulaCellValue::cvText;
            v.Text = cell->GetText();
            return;
        case varDate:
            v.Kind = TFormulaCellValue::cvDate;
            v.Number = value.AsExtended();
            return;
        case varCurrency:
            v.Kind = TFormulaCellValue::cvCurrency;
            v.Number = value.AsExtended();
            return;
        default:
            try {
                v.Number = value.AsExtended();
                v.Kind = TFormulaCellValue::cvNumber;
            } catch (const Exception&) {
                v.Kind = TFormulaCellValue::cvUnconvertible;
            }
    }
}

bool TCarrelonFormulas::GetCellError(TFormulaCellId Cell) {
    return CellOf(Cell)->ReadFError();
}

void TCarrelonFormulas::SetCellError(TFormulaCellId Cell, bool Error) {
    TCarrelonCell* cell = CellOf(Cell);
    if (cell->ReadFError() != Error) ++FErrorChanges;
    cell->WriteFError(Error);
}

bool TCarrelonFormulas::GetCellSeed(TFormulaCellId Cell, std::uint32_t& Seed) {
    if (!FSeeding) return false;
    Seed = SeedOf(CellOf(Cell));
    return true;
}

std::uint32_t TCarrelonFormulas::GetRandSeed() {
    return static_cast<std::uint32_t>(RandSeed);
}
void TCarrelonFormulas::SetRandSeed(std::uint32_t Seed) {
    RandSeed = static_cast<std::int32_t>(Seed);
}
Extended TCarrelonFormulas::GetNow() {
    return Now().Val;
}
Extended TCarrelonFormulas::GetToday() {
    return Date().Val;
}
Extended TCarrelonFormulas::GetRandom() {
    return Random();
}

}  // namespace carrelon
