// The formula side of the grid: spreadsheet mode and headings, evaluation of one cell into its
// value, recalculation passes, and the rewriting of references for structural edits.
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "formulas/A1Names.h"
#include "formulas/FormulaErrors.h"
#include "formulas/ReferenceRewrite.h"
#include "grid/CarrelonFormulas.h"
#include "grid/CarrelonPrivate.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

TCarrelonFormulas& TCarrelonPrivate::Formulas() {
    if (!FFormulas) FFormulas = std::make_unique<TCarrelonFormulas>(*q);
    return *FFormulas;
}

void TCarrelonPrivate::FormulaWritten(TCarrelonCell* Cell, bool HasFormula) {
    if (HasFormula || FFormulas) Formulas().FormulaWritten(Cell, HasFormula);
}

void TCarrelonPrivate::FormulaCellFreed(TCarrelonCell* Cell) {
    if (FFormulas) FFormulas->CellFreed(Cell);
}

namespace {

// Keeps the engine's results for the length of one evaluation or recalculation.
class TFormulaSession {
public:
    explicit TFormulaSession(TFormulaEngine& E) : FEngine(E) { FEngine.BeginSession(); }
    ~TFormulaSession() { FEngine.EndSession(); }
    TFormulaSession(const TFormulaSession&) = delete;
    TFormulaSession& operator=(const TFormulaSession&) = delete;

private:
    TFormulaEngine& FEngine;
};

// Marks a call of an application handler, which may change any cell.
class THandlerCall {
public:
    explicit THandlerCall(TFormulaEngine& E) : FEngine(E) { FEngine.BeginHandler(); }
    ~THandlerCall() { FEngine.EndHandler(); }
    THandlerCall(const THandlerCall&) = delete;
    THandlerCall& operator=(const THandlerCall&) = delete;

private:
    TFormulaEngine& FEngine;
};

bool SameValue(const Variant& A, const Variant& B) {
    return A.Type() == B.Type() && A == B;
}

// The cell value of an evaluation result.
Variant ResultValue(const TFormulaResult& R) {
    if (!R.Ok) return Variant(R.ErrorText);
    if (R.Value.Kind == TFormulaValue::fvNA) return Variant(AnsiString("#VALUE!"));
    const Extended x = R.Value.Number;
    if (!std::isfinite(x) || std::fabs(x) > 1.7e308L) return Variant(AnsiString("#NUM!"));
    switch (R.Type) {
        case etDate:
        case etTime:
        case etDateTime:
            // A date the calendar cannot show would break every later display of the cell.
            if (x < MinDateTime || x > MaxDateTime) return Variant(AnsiString("#NUM!"));
            return Variant(TDateTime(static_cast<double>(x)));
        case etCurrency: {
            Currency c;
            if (!Currency::TryFromExtended(x, c)) return Variant(AnsiString("#NUM!"));
            return Variant(c);
        }
        default:
            return Variant(static_cast<double>(x));
    }
}

AnsiString NormaliseHandlerText(const AnsiString& S) {
    AnsiString t = TrimRight(S);
    t = StringReplace(t, "\n\r", "\r\n", {rfReplaceAll});
    return AdjustLineBreaks(t);
}

}  // namespace

void TCarrelon::SetSpreadsheetEnabled(bool Value) {
    if (Value == d->FSpreadsheetEnabled) return;
    d->FSpreadsheetEnabled = Value;
    // Cells changed meanwhile were not recalculated.
    if (d->FFormulas) d->FFormulas->MarkSettled(false);
    if (Value && !d->Loading() && !d->Designing()) Recalculate(nullptr);
}

void TCarrelonPrivate::ShiftFormulasForHeadings(bool HeadingsOn) {
    if (!FFormulas) return;
    FFormulas->MarkSettled(false);
    const int d = HeadingsOn ? -1 : 1;
    // Rewrite from a snapshot: writing formulas updates the registry.
    std::vector<TCarrelonCell*> cells(FFormulas->FormulaCells().begin(),
                                      FFormulas->FormulaCells().end());
    AnsiString shifted;
    for (TCarrelonCell* cell : cells) {
        ShiftFormulaReferences(cell->ReadFFormula(), d, d, shifted, false);
        cell->WriteFFormula(shifted);
    }
}

void TCarrelonPrivate::InvalidateSpreadsheetHeadings() {
    if (Designing() || !FModel) {
        const int fixedRows = q->GetFixedRows(), rows = q->GetRowCount(), cols = q->GetColCount();
        for (int r = 0; r < fixedRows && r < rows; ++r)
            q->InvalidateCell(0, r);
        for (int r = q->GetTopRow();
             r <= std::min(q->GetTopRow() + q->GetVisibleRowCount(), rows - 1); ++r)
            q->InvalidateCell(0, r);
        for (int k = 1; k < q->GetFixedCols() && k < cols; ++k)
            q->InvalidateCell(k, 0);
        for (int k = q->GetLeftCol();
             k <= std::min(q->GetLeftCol() + q->GetVisibleColCount(), cols - 1); ++k)
            q->InvalidateCell(k, 0);
        return;
    }
    if (q->GetColCount() > 0) q->GetCols(0)->Invalidate();
    if (q->GetRowCount() == 0) return;
    for (int k = 1; k < q->GetFixedCols() && k < q->GetColCount(); ++k)
        q->GetCells(k, 0)->Invalidate();
    for (int k = q->GetLeftCol();
         k <= std::min(q->GetLeftCol() + q->GetVisibleColCount(), q->GetColCount() - 1); ++k)
        q->GetCells(k, 0)->Invalidate();
}

void TCarrelon::SetSpreadsheetHeaders(bool Value) {
    if (Value == d->FSpreadsheetHeaders) return;
    if (d->Loading()) {
        d->FSpreadsheetHeaders = Value;
        return;
    }
    if (!d->Designing() && d->CheckEditorMode()) return;
    if (Value) {
        if (GetFixedCols() == 0) SetFixedCols(1);
        if (GetFixedRows() == 0) SetFixedRows(1);
        // Without a heading row and column there is nowhere to show the headings.
        if (GetFixedCols() == 0 || GetFixedRows() == 0) return;
        if (GetSortColumn() == 0) SetSortColumn(1);
    }
    d->FSpreadsheetHeaders = Value;
    d->InvalidateSpreadsheetHeadings();
    if (!d->Designing()) d->ShiftFormulasForHeadings(Value);
}

void TCarrelon::SetSpreadsheetOptions(TCarrelonSpreadsheetOptions Value) {
    if (Value == d->FSpreadsheetOptions) return;
    const TCarrelonSpreadsheetOptions old = d->FSpreadsheetOptions;
    d->FSpreadsheetOptions = Value;
    if (d->Loading()) return;
    if (old.Contains(soExcelStyleHeadings) != Value.Contains(soExcelStyleHeadings)) {
        d->InvalidateSpreadsheetHeadings();
    } else if (old.Contains(soExcelStyleHeadingHighlight) !=
               Value.Contains(soExcelStyleHeadingHighlight)) {
        const int row = GetRow(), col = GetCol();
        if (d->Designing() || !d->FModel) {
            if (row >= 0) InvalidateCell(0, row);
            if (col >= 0) InvalidateCell(col, 0);
        } else {
            if (row >= 0 && GetColCount() > 0) GetCells(0, row)->Invalidate();
            if (col >= 0 && GetRowCount() > 0) GetCells(col, 0)->Invalidate();
        }
    }
}

bool TCarrelonPrivate::AnalyzeExpression(TCarrelonCell* Cell) {
    if (!Cell) return false;
    const AnsiString formula = Cell->ReadFFormula();
    // A plain cell has nothing to evaluate; its value stays.
    if (formula.empty()) return false;
    TCarrelonFormulas& formulas = Formulas();
    TFormulaEngine& engine = formulas.Engine();
    TFormulaSession session(engine);

    const Variant old = Cell->GetValue();
    const bool unlocked = FUpdateCount == 0;

    if (q->OnRecalculateCell) {
        bool doCalculate = true;
        Variant value = Cell->GetValue();
        {
            THandlerCall call(engine);
            q->OnRecalculateCell(q, Cell->GetStartCol(), Cell->Row, doCalculate, value);
        }
        if (!SameValue(value, Cell->GetValue())) Cell->StoreValue(value);
        if (!doCalculate) {
            // The handler's value is shown, though no change is reported.
            if (unlocked && !SameValue(old, Cell->GetValue())) Cell->Invalidate();
            return false;
        }
    }

    const bool errorBefore = Cell->ReadFError();
    TFormulaResult result = engine.Evaluate(formula, Cell);
    if (Cell->ReadFError() != errorBefore) engine.CellErrorChanged(Cell);
    // A cycle shows as a cyclic reference where it was met, and as a reference to an error
    // where another cell's error mark was read.
    formulas.MarkCyclic(Cell,
                        !result.Ok && (result.ErrorText == FormulaErrorText(feCyclicReference) ||
                                       result.ErrorText == FormulaErrorText(feReferenceToError)));
    Cell->StoreValue(ResultValue(result));
    bool changed = !SameValue(old, Cell->GetValue());

    if (changed && q->OnCellRecalculated) {
        const AnsiString shown = Cell->GetText();
        AnsiString newText = shown;
        {
            THandlerCall call(engine);
            q->OnCellRecalculated(q, Cell->GetStartCol(), Cell->Row, newText);
        }
        if (newText != shown) {
            Cell->StoreValue(Variant(NormaliseHandlerText(newText)));
            changed = !SameValue(old, Cell->GetValue());
            // The shown text is not the formula's: the next recalculation evaluates it again.
            formulas.MarkStale(Cell);
        }
    }

    if (changed && unlocked) {
        // The old display text is formed only when the value changed: formatting numbers is
        // the dearest part of an unchanged visit. Two different numbers are taken to show
        // differently: where their texts agree after all, the cell is only fitted and painted
        // again, to the same result.
        const Variant now = Cell->GetValue();
        bool textChanged = true;
        if (old.Type() != varDouble || now.Type() != varDouble) {
            Cell->StoreValue(old);
            const AnsiString oldText = Cell->GetText();
            Cell->StoreValue(now);
            textChanged = Cell->GetText() != oldText;
        }
        if (textChanged && !ResizeRowForCell(Cell)) Cell->Invalidate();
    }
    return changed;
}

bool TCarrelon::Recalculate(TCarrelonCell* ExceptCell) {
    if (!d->FModel) return false;
    return d->RecalculatePasses(ExceptCell, nullptr);
}

TCarrelonPrivate::TEditRecalculation::TEditRecalculation(TCarrelonPrivate& Grid,
                                                         TCarrelonCell* Cell)
    : P(Grid), FCell(Cell) {
    if (!P.FModel || !P.FSpreadsheetEnabled || !CanUseDependencies()) return;
    TCarrelonFormulas& formulas = P.Formulas();
    formulas.CollectAffected(Cell, FAffected);
    // What the edit can change is evaluated afresh; the other kept results stay valid.
    TFormulaEngine& engine = formulas.Engine();
    engine.Discard(Cell);
    for (TCarrelonCell* c : FAffected)
        engine.Discard(c);
    engine.BeginKeeping();
    FOuterCell = formulas.EditedCell();
    formulas.SetEditedCell(Cell);
    FKeeping = true;
}

TCarrelonPrivate::TEditRecalculation::~TEditRecalculation() {
    StopKeeping();
}

void TCarrelonPrivate::TEditRecalculation::StopKeeping() {
    if (!FKeeping) return;
    FKeeping = false;
    TCarrelonFormulas& formulas = P.Formulas();
    formulas.Engine().EndKeeping();
    formulas.SetEditedCell(FOuterCell);
}

bool TCarrelonPrivate::TEditRecalculation::CanUseDependencies() const {
    TCarrelonFormulas& formulas = P.Formulas();
    // The application that watches every cell evaluated sees the full passes; so does a grid
    // whose stored values may not be what its formulas give. Inside a cycle, what a cell
    // shows depends on the order in which cells were evaluated: only the full passes give
    // the results they always gave.
    return !P.q->OnRecalculateCell && formulas.Settled() && !formulas.HasCycles();
}

bool TCarrelonPrivate::TEditRecalculation::Run() {
    if (!P.FModel) return false;
    // A handler may have changed the grid since the edit began.
    if (FKeeping && CanUseDependencies()) return P.RecalculatePasses(FCell, &FAffected);
    if (FKeeping) {
        StopKeeping();
        P.Formulas().Engine().Invalidate();
    }
    return P.q->Recalculate(FCell);
}

bool TCarrelonPrivate::RecalculatePasses(TCarrelonCell* ExceptCell,
                                         const std::vector<TCarrelonCell*>* Only) {
    TCarrelon* const self = q;
    TCarrelonFormulas& formulas = Formulas();
    TFormulaEngine& engine = formulas.Engine();
    TFormulaSession session(engine);

    Randomize();
    const bool wasSeeding = formulas.Seeding();
    const std::uint32_t oldBase = formulas.SeedBase();
    formulas.BeginSeeding(static_cast<std::uint32_t>(RandSeed));
    struct TSeedingGuard {
        TCarrelonFormulas& F;
        bool Was;
        std::uint32_t Base;
        ~TSeedingGuard() { F.EndSeeding(Was, Base); }
    } seedingGuard{formulas, wasSeeding, oldBase};

    // Every cell is evaluated below: stale marks are answered, new ones made as they arise.
    if (Only == nullptr) formulas.ForgetStale(ExceptCell);
    const std::uint64_t errorChanges = formulas.ErrorChanges();
    bool result = false;
    bool stable = false;
    std::vector<TCarrelonFormulas::TVisit> visits;
    // A formula that changes at every evaluation (a clock, a random number) must not keep the
    // passes going for ever. Cells outside Only would not change, so the bound is the same.
    const std::size_t maxPasses = formulas.FormulaCells().size() + 2;
    for (std::size_t pass = 0; pass < maxPasses && !stable; ++pass) {
        formulas.CollectVisits(visits, ExceptCell, Only);
        engine.Reserve(visits.size());
        const std::uint64_t removals = formulas.RemovalCount();
        stable = true;
        for (const auto& visit : visits) {
            // A handler may have changed the grid since the visits were listed.
            if (formulas.RemovalCount() != removals && !formulas.IsFormulaCell(visit.Cell))
                continue;
            if (visit.Row >= self->GetRowCount() || visit.Col >= self->GetColCount() ||
                self->GetCells(visit.Col, visit.Row) != visit.Cell)
                continue;
            formulas.SetRandSeed(formulas.SeedOf(visit.Cell));
            const bool changed = AnalyzeExpression(visit.Cell);
            result = result || changed;
            stable = stable && !changed;
        }
    }
    // Full passes that ended stable leave every value as its formula gives it; a handler that
    // supplies values, or passes cut at the bound, leave that unknown.
    if (!stable || self->OnRecalculateCell) {
        formulas.MarkSettled(false);
    } else if (Only == nullptr) {
        formulas.MarkSettled(true);
    }
    // The formula left out was evaluated before the passes; if they changed anything it may
    // read, the next passes evaluate it again.
    if ((result || formulas.ErrorChanges() != errorChanges) && ExceptCell != nullptr &&
        formulas.IsFormulaCell(ExceptCell))
        formulas.MarkStale(ExceptCell);
    if (result && self->OnRecalculated) {
        THandlerCall call(engine);
        self->OnRecalculated(self);
    }
    return result;
}

TCarrelonCell* TCarrelon::CellByName(const AnsiString& Name) const {
    int col = 0, row = 0;
    ParseCellName(Name, col, row);
    // Names may reach the ends of the int range: shifted without overflow, and kept out of the
    // grid rather than wrapped into it.
    const long long h = d->FSpreadsheetHeaders ? 1 : 0;
    auto Index = [h](int n) {
        return static_cast<int>(std::clamp<long long>(n + h - 1, INT_MIN, INT_MAX));
    };
    return GetCells(Index(col), Index(row));
}

AnsiString TCarrelonPrivate::SpreadsheetHeadingText(int ACol, int ARow) const {
    if (!FSpreadsheetHeaders) return {};
    if (ARow == 0 && ACol > 0 && ACol < q->GetColCount())
        return ColNumberToName(q->GetCols(ACol)->GetAbsoluteNumber());
    if (ACol == 0 && ARow > 0) return std::to_string(ARow);
    return {};
}

void TCarrelonPrivate::RenumberFormulas(const TReferenceMap& ColMap, const TReferenceMap& RowMap,
                                        const TCarrelonCol* MovedCol,
                                        const TReferenceMap& MovedColMap) {
    RenumberFormulas(
        ColMap, RowMap,
        [MovedCol](const TCarrelonCell* Cell) { return MovedCol && Cell->Col == MovedCol; },
        MovedColMap, RowMap);
}

void TCarrelonPrivate::RenumberFormulas(const TReferenceMap& ColMap, const TReferenceMap& RowMap,
                                        const std::function<bool(const TCarrelonCell*)>& Moved,
                                        const TReferenceMap& MovedColMap,
                                        const TReferenceMap& MovedRowMap) {
    if (!FFormulas) return;
    FFormulas->MarkSettled(false);
    std::vector<TCarrelonCell*> cells(FFormulas->FormulaCells().begin(),
                                      FFormulas->FormulaCells().end());
    AnsiString rewritten;
    for (TCarrelonCell* cell : cells) {
        const bool moved = Moved && Moved(cell);
        if (RenumberFormulaReferences(cell->ReadFFormula(), moved ? MovedColMap : ColMap,
                                      moved ? MovedRowMap : RowMap, rewritten))
            cell->WriteFFormula(rewritten);
    }
}

}  // namespace carrelon
