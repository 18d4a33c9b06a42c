// Which formula cells read which cells. Each formula cell's program names single cells and
// ranges in A1 numbers; they are kept per cell and indexed back, so that the readers of a
// position are found without looking at other formulas. Ranges are filed in a grid of blocks
// whose size follows the range's size in each direction, so a lookup visits a few blocks per
// size class and only ranges near the position.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formulas/FormulaHost.h"
#include "formulas/FormulaProgram.h"

namespace carrelon {

class TFormulaDependencies {
public:
    // Records what Cell's program reads, replacing what was recorded for it.
    void Set(TFormulaCellId Cell, const TFormulaProgram& Program);
    void Forget(TFormulaCellId Cell);
    void Clear();
    // Adds to Out every formula cell that reads A1 position (Col, Row) (duplicates possible).
    void ReadersOf(std::int64_t Col, std::int64_t Row, std::vector<TFormulaCellId>& Out) const;
    // Cells whose formulas call now, today or rand.
    const std::unordered_set<TFormulaCellId>& Volatile() const { return FVolatile; }
    bool Knows(TFormulaCellId Cell) const { return FCells.count(Cell) != 0; }

private:
    struct TRect {
        std::uint32_t C1, R1, C2, R2;
        bool operator<(const TRect& O) const {
            return std::tie(C1, R1, C2, R2) < std::tie(O.C1, O.R1, O.C2, O.R2);
        }
        bool operator==(const TRect&) const = default;
    };
    // A range's filing: its size class, a block of that class, the reader and the range.
    using TRangeKey =
        std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, TFormulaCellId, TRect>;
    struct TEntry {
        std::vector<std::uint64_t> Singles;
        std::vector<TRangeKey> Ranges;
    };

    static std::uint64_t SingleKey(std::uint32_t Col, std::uint32_t Row) {
        return (std::uint64_t{Col} << 32) | Row;
    }

    std::unordered_map<TFormulaCellId, TEntry> FCells;
    std::unordered_multimap<std::uint64_t, TFormulaCellId> FSingles;
    std::set<TRangeKey> FRanges;
    std::map<std::uint32_t, int> FClasses;  // size class -> ranges filed in it
    std::unordered_set<TFormulaCellId> FVolatile;
};

}  // namespace carrelon
