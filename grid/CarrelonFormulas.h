// The formula side of one TCarrelon: the registry of its formula cells, the engine with its
// compiled formulas, and the grid seen as a TFormulaHost. The grid creates it on first use.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

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
    // The visible slots of every formula cell at or after the headings, in row-major order.
    void CollectVisits(std::vector<TVisit>& Visits, TCarrelonCell* ExceptCell);

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
    TCarrelon& FGrid;
    TFormulaEngine FEngine;
    std::unordered_set<TCarrelonCell*> FCells;
    std::uint64_t FRemovals = 0;
    bool FSeeding = false;
    std::uint32_t FBase = 0;
};

}  // namespace carrelon
