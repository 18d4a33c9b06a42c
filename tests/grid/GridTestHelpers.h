// Helpers for the selection and sizing tests: a grid with exposed base-grid state, and merged
// ranges built directly on the model (so these tests do not depend on the merge operations).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/Carrelon.h"

namespace carrelon::test {

class TTestGrid : public TCarrelon {
public:
    using TCarrelon::BeginColumnDrag;
    using TCarrelon::BeginRowDrag;
    using TCarrelon::CalcSizingState;
    using TCarrelon::EndColumnDrag;
    using TCarrelon::EndRowDrag;
    using TCarrelon::FGridState;
    using TCarrelon::FSizingIndex;
    using TCarrelon::FSizingPos;
    using TCarrelon::SelectCell;
    using TCarrelon::TCarrelon;
    using TCarrelon::TimedScroll;
};

// Makes one cell cover the visible rectangle (C1,R1)-(C2,R2): the other cells are freed.
inline void MergeForTest(TCarrelon* G, int C1, int R1, int C2, int R2) {
    TCarrelonCell* Keep = G->GetCells(C1, R1);
    for (int c = C1; c <= C2; ++c)
        for (int r = R1; r <= R2; ++r) {
            auto& Slots = G->GetCols(c)->CellList();
            TCarrelonCell* Old = Slots[static_cast<std::size_t>(r)];
            if (Old == Keep) continue;
            Slots[static_cast<std::size_t>(r)] = Keep;
            delete Old;
        }
    Keep->WriteFEndCol(G->GetCols(C2));
    Keep->WriteFEndRow(R2);
}

// The listed cells as (StartCol, Row) pairs, in list order.
inline std::vector<std::pair<int, int>> Listed(const TCarrelon* G) {
    std::vector<std::pair<int, int>> Out;
    const TCarrelonSelection* S = G->GetSelectedCells();
    for (int i = 0; i < S->GetCount(); ++i)
        Out.emplace_back(S->GetCells(i)->GetStartCol(), S->GetCells(i)->Row);
    return Out;
}

}  // namespace carrelon::test
