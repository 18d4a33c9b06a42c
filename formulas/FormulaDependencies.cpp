#include "formulas/FormulaDependencies.h"

#include <algorithm>
#include <climits>

namespace carrelon {

namespace {

// A1 numbers that can name a cell; others read nothing (they fail as references).
bool Valid(std::int64_t N) {
    return N >= 1 && N <= INT32_MAX;
}

// The smallest shift at which First and Last fall into the same or neighbouring blocks.
std::uint32_t SizeShift(std::uint32_t First, std::uint32_t Last) {
    std::uint32_t L = 0;
    while ((Last >> L) - (First >> L) > 1)
        ++L;
    return L;
}

}  // namespace

void TFormulaDependencies::Set(TFormulaCellId Cell, const TFormulaProgram& Program) {
    Forget(Cell);
    TEntry E;
    for (const TFormulaInstruction& In : Program.Code) {
        if (In.Op == TFormulaOp::Cell) {
            if (Valid(In.Col) && Valid(In.Row))
                E.Singles.push_back(SingleKey(static_cast<std::uint32_t>(In.Col),
                                              static_cast<std::uint32_t>(In.Row)));
        } else if (In.Op == TFormulaOp::ListRange) {
            // A reversed range reads its first corner only, which a Cell instruction names.
            if (In.Col2 < In.Col || In.Row2 < In.Row) continue;
            if (!Valid(In.Col) || !Valid(In.Row)) continue;
            const TRect R{static_cast<std::uint32_t>(In.Col), static_cast<std::uint32_t>(In.Row),
                          static_cast<std::uint32_t>(std::min<std::int64_t>(In.Col2, INT32_MAX)),
                          static_cast<std::uint32_t>(std::min<std::int64_t>(In.Row2, INT32_MAX))};
            const std::uint32_t LC = SizeShift(R.C1, R.C2), LR = SizeShift(R.R1, R.R2);
            const std::uint32_t Class = (LC << 8) | LR;
            for (std::uint32_t bc = R.C1 >> LC; bc <= R.C2 >> LC; ++bc)
                for (std::uint32_t br = R.R1 >> LR; br <= R.R2 >> LR; ++br)
                    E.Ranges.emplace_back(Class, bc, br, Cell, R);
        }
    }
    std::sort(E.Singles.begin(), E.Singles.end());
    E.Singles.erase(std::unique(E.Singles.begin(), E.Singles.end()), E.Singles.end());
    std::sort(E.Ranges.begin(), E.Ranges.end());
    E.Ranges.erase(std::unique(E.Ranges.begin(), E.Ranges.end()), E.Ranges.end());
    for (std::uint64_t K : E.Singles)
        FSingles.emplace(K, Cell);
    for (const TRangeKey& K : E.Ranges) {
        FRanges.insert(K);
        ++FClasses[std::get<0>(K)];
    }
    if (Program.Volatile) FVolatile.insert(Cell);
    FCells.emplace(Cell, std::move(E));
}

void TFormulaDependencies::Forget(TFormulaCellId Cell) {
    auto It = FCells.find(Cell);
    if (It == FCells.end()) return;
    for (std::uint64_t K : It->second.Singles) {
        auto [First, Last] = FSingles.equal_range(K);
        for (; First != Last; ++First)
            if (First->second == Cell) {
                FSingles.erase(First);
                break;
            }
    }
    for (const TRangeKey& K : It->second.Ranges) {
        FRanges.erase(K);
        auto C = FClasses.find(std::get<0>(K));
        if (--C->second == 0) FClasses.erase(C);
    }
    FVolatile.erase(Cell);
    FCells.erase(It);
}

void TFormulaDependencies::Clear() {
    FCells.clear();
    FSingles.clear();
    FRanges.clear();
    FClasses.clear();
    FVolatile.clear();
}

void TFormulaDependencies::ReadersOf(std::int64_t Col, std::int64_t Row,
                                     std::vector<TFormulaCellId>& Out) const {
    if (!Valid(Col) || !Valid(Row)) return;
    const auto C = static_cast<std::uint32_t>(Col), R = static_cast<std::uint32_t>(Row);
    const std::uint64_t K = SingleKey(C, R);
    auto [First, Last] = FSingles.equal_range(K);
    for (; First != Last; ++First)
        Out.push_back(First->second);
    for (const auto& [Class, Count] : FClasses) {
        const std::uint32_t LC = Class >> 8, LR = Class & 0xFF;
        const std::uint32_t bc = C >> LC, br = R >> LR;
        for (auto It = FRanges.lower_bound(TRangeKey{Class, bc, br, nullptr, TRect{0, 0, 0, 0}});
             It != FRanges.end() && std::get<0>(*It) == Class && std::get<1>(*It) == bc &&
             std::get<2>(*It) == br;
             ++It) {
            const TRect& Q = std::get<4>(*It);
            if (C >= Q.C1 && C <= Q.C2 && R >= Q.R1 && R <= Q.R2) Out.push_back(std::get<3>(*It));
        }
    }
}

}  // namespace carrelon
