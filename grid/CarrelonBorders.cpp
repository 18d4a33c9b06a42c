#include "grid/CarrelonBorders.h"

#include <algorithm>

#include "grid/CarrelonPrivate.h"

namespace carrelon {

void TCarrelonCellInnerBorder::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    FCell->Invalidate();
}

void TCarrelonCellInnerBorder::SetWidth(Byte Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    FCell->Invalidate();
}

void TCarrelonCellOuterBorder::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    InvalidateWithNeighbours();
}

void TCarrelonCellOuterBorder::SetWidth(Byte Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    InvalidateWithNeighbours();
}

void TCarrelonCellOuterBorder::InvalidateWithNeighbours() {
    const int First = FCell->GetStartCol();
    if (First < 0) return;
    TCarrelon* G = FCell->GetGrid();
    if (!G->HandleAllocated()) return;
    const int L = std::max(First - 1, 0);
    const int R = std::min(FCell->GetEndCol() + 1, G->GetColCount() - 1);
    const int T = std::max(FCell->Row - 1, 0);
    const int B = std::min(FCell->ReadFEndRow() + 1, G->GetRowCount() - 1);
    for (int k = L; k <= R; ++k)
        for (int r = T; r <= B; ++r)
            G->InvalidateCell(k, r);
}

}  // namespace carrelon
