// TCarrelon: hiding and showing columns, and the removal of one row from the model.
#include <algorithm>

#include "grid/Carrelon.h"

namespace carrelon {

bool TCarrelon::HideColumn(int ACol) {
    if (!FModel || ACol < 0 || ACol >= GetColCount()) return false;
    if (ACol == GetColCount() - 1 && GetFixedCols() + 1 == GetColCount()) return false;
    if (CheckEditorMode()) return false;
    ++FUpdateCount;
    if (ACol < GetFixedCols()) {
        const int Old = GetFixedCols();
        FFixedCols = Old - 1;
        if (FFixedCols == 0) {
            FTopLeft.X = 0;
            ClearSpreadsheetHeadersAtZero();
        } else if (FTopLeft.X == Old) {
            FTopLeft.X = Old - 1;
        }
    }
    TCarrelonCol* C = FCols[ACol];
    const int A = C->GetAbsoluteNumber();
    auto At = std::find_if(FHiddenCols.begin(), FHiddenCols.end(),
                           [A](TCarrelonCol* H) { return H->GetAbsoluteNumber() >= A; });
    FHiddenCols.insert(At, C);
    C->WriteFVisible(false);
    FCols.erase(FCols.begin() + ACol);
    MarkColumnsMoved();
    const TGridCoord Current = FCurrent;
    const TGridCoord Anchor = FAnchor;
    if (ACol != GetColCount() - 1) MoveColumn(ACol, GetColCount() - 1);
    if (Current.X == ACol) {
        FCurrent = Current;
        FAnchor = Anchor;
    }
    UpdateInheritedColCount(GetColCount() - 1);
    if (FCurrent.X >= GetColCount()) FCurrent.X = GetColCount() - 1;
    if (FAnchor.X >= GetColCount()) FAnchor.X = GetColCount() - 1;
    CheckSelection();
    if (--FUpdateCount == 0) {
        Invalidate();
        CheckAlwaysShowEditor();
    }
    return true;
}

int TCarrelon::ShowHiddenColumn(int HiddenIndex) {
    if (!FModel || HiddenIndex < 0 || HiddenIndex >= GetHiddenColCount()) return -1;
    if (CheckEditorMode()) return -1;
    TCarrelonCol* C = FHiddenCols[HiddenIndex];
    const int A = C->GetAbsoluteNumber();
    int T = 0;
    for (int a = A - 1; a >= 0; --a) {
        const int v = FAbsoluteCols[a]->GetCol();
        if (v >= 0) {
            T = v + 1;
            break;
        }
    }
    FCols.insert(FCols.begin() + T, C);
    C->WriteFVisible(true);
    FHiddenCols.erase(FHiddenCols.begin() + HiddenIndex);
    MarkColumnsMoved();
    ++FUpdateCount;
    // The base grid's columns follow the list: the new last column takes the stored width and
    // moves to its place.
    UpdateInheritedColCount(GetColCount() + 1);
    TCustomGrid::SetColWidths(GetColCount() - 1, C->GetWidth());
    if (T != GetColCount() - 1) MoveColumn(GetColCount() - 1, T);
    if (A < FAbsoluteFixedCols) {
        ++FFixedCols;
        if (FTopLeft.X < FFixedCols) FTopLeft.X = FFixedCols;
    }
    CheckSelection();
    if (--FUpdateCount == 0) {
        Invalidate();
        CheckAlwaysShowEditor();
    }
    if (FSpreadsheetEnabled) Recalculate(nullptr);
    return T;
}

void TCarrelon::DoDeleteRow(int ARow) {
    // First sweep: a cell met at its end column loses the row (freed when it had only that
    // row); then the slot goes.
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& Slots = C->CellList();
        TCarrelonCell* X = Slots[ARow];
        if (X != nullptr && X->GetEndColObject() == C) {
            const int End = X->ReadFEndRow();
            // The earlier columns' slots of X in this row are already gone.
            if (End == X->Row)
                delete X;
            else
                X->WriteFEndRow(End - 1);
        }
        Slots.erase(Slots.begin() + ARow);
    }
    // Second sweep: cells below the removed row move up by one, each once, in its end column.
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& Slots = C->CellList();
        for (int r = ARow; r < static_cast<int>(Slots.size()); ++r) {
            TCarrelonCell* X = Slots[r];
            if (X == nullptr || (r > 0 && Slots[r - 1] == X)) continue;
            if (X->GetEndColObject() != C || X->Row <= ARow) continue;
            const int End = X->ReadFEndRow();
            X->Row -= 1;
            X->WriteFEndRow(End - 1);
        }
    }
}

}  // namespace carrelon
