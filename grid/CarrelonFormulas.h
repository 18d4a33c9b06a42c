// The formula side of one TCarrelon: the registry of its formula cells, the engine with its
// compiled formulas, and the grid seen as a TFormulaHost. The grid creates it on first use.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "formulas/FormulaDependencies.h"
#include "formulas/FormulaEngine.h"

namespace carrelon {

class TCarrelon;
class TCarrelonCell;

class TCarrelonFormulas : public TFormulaHost {
public:
    explicit TCarrelonFormulas(TCarrelon& Grid);

    TFormulaEngine& Engine() { return FEngine; }

    // Cells holding a formula, so that passes and rewrites never scan every slot.
    void FormulaWritten(TCarrelonCell* Cell, bool HasFormula);
    void CellFreed(TCarrelonCell* Cell);
    const std::unordered_set<TCarrelonCell*>& FormulaCells() const { return FCells; }
    // Counts removals from the registry, so that a pass can tell whether a listed cell may
    // have been freed since the list was made.
    std::uint64_t RemovalCount() const { return FRemovals; }
    bool IsFormulaCell(TCarrelonCell* Cell) const { return FCells.count(Cell) != 0; }

    // One visit of a recalculation pass: a visible slot of a formula cell.
    struct TVisit {
        int Row;
        int Col;  // visible index
        TCarrelonCell* Cell;
    };
    // The visible slots of every formula cell (or of those listed in Only) at or after the
    // headings, in row-major order.
    void CollectVisits(std::vector<TVisit>& Visits, TCarrelonCell* ExceptCell,
                       const std::vector<TCarrelonCell*>* Only = nullptr);

    // What each formula cell reads, kept as formulas are written and cells freed.
    const TFormulaDependencies& Dependencies();
    // The formula cells that read Cell, directly or through other formulas, and those calling
    // now, today or rand or marked stale, with what reads them; Cell itself among them only
    // when it reads one of these. Stale marks but Cell's are taken.
    void CollectAffected(TCarrelonCell* Cell, std::vector<TCarrelonCell*>& Affected);
    // A formula cell whose value may not be what the next full passes would give it: the
    // cell left out of a recalculation that changed something, or one whose text the
    // application rewrote. The next recalculation evaluates it, as full passes would.
    void MarkStale(TCarrelonCell* Cell) { FStale.insert(Cell); }
    // Drops every stale mark but Except's: the cells are about to be evaluated.
    void ForgetStale(TCarrelonCell* Except);
    // Cells whose last evaluation met a cycle or read another cell's error mark: their
    // results may depend on the order of evaluation.
    void MarkCyclic(TCarrelonCell* Cell, bool Cyclic) {
        if (Cyclic)
            FCyclic.insert(Cell);
        else
            FCyclic.erase(Cell);
    }
    bool HasCycles() const { return !FCyclic.empty(); }
    // The cell whose edit is being recalculated from its dependencies: writing its formula
    // keeps the engine's results, as the edit discards those it makes stale.
    TCarrelonCell* EditedCell() const { return FEditedCell; }
    void SetEditedCell(TCarrelonCell* Cell) { FEditedCell = Cell; }
    // Counts changes of cells' error marks, which formulas reading them see.
    std::uint64_t ErrorChanges() const { return FErrorChanges; }

    // True when every formula cell's value is what a full recalculation would give it, as far
    // as the grid can tell: the last full recalculation ended stable and no cells, counts or
    // headings changed since except through recalculated edits.
    bool Settled() const;
    void MarkSettled(bool Value);

    // Per-cell seeding during a recalculation: seed = row x ColCount + Base + column of the
    // cell's top-left visible slot.
    void BeginSeeding(std::uint32_t Base);
    void EndSeeding(bool WasSeeding, std::uint32_t OldBase);
    bool Seeding() const { return FSeeding; }
    std::uint32_t SeedBase() const { return FBase; }
    std::uint32_t SeedOf(const TCarrelonCell* Cell) const;

    // TFormulaHost
    int GetHeadingOffset() override;
    int GetAbsoluteColCount() override;
    int GetRowCount() override;
    void ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) override;
    bool GetCellError(TFormulaCellId Cell) override;
    void SetCellError(TFormulaCellId Cell, bool Error) override;
    bool GetCellSeed(TFormulaCellId Cell, std::uint32_t& Seed) override;
    std::uint32_t GetRandSeed() override;
    void SetRandSeed(std::uint32_t Seed) override;
    Extended GetNow() override;
    Extended GetToday() override;
    Extended GetRandom() override;

private:
    struct TSignature {
        std::uint64_t Store = 0;
        int Rows = 0, Cols = 0, Headings = 0;
        bool operator==(const TSignature&) const = default;
    };
    TSignature CurrentSignature() const;

    TCarrelon& FGrid;
    TFormulaEngine FEngine;
    TFormulaDependencies FDependencies;
    TFormulaSeparators FDependencySeparators;  // what the recorded programs were compiled with
    bool FSettled = false;
    TSignature FSettledAt;
    std::unordered_set<TCarrelonCell*> FCells;
    std::unordered_set<TCarrelonCell*> FStale;
    std::unordered_set<TCarrelonCell*> FCyclic;
    TCarrelonCell* FEditedCell = nullptr;
    std::uint64_t FErrorChanges = 0;
    std::uint64_t FRemovals = 0;
    bool FSeeding = false;
    std::uint32_t FBase = 0;
};

}  // namespace carrelon
