// TCarrelon: hiding and showing columns, and the removal of one row from the model.
#include <algorithm>
#include <unordered_set>

#include "grid/CarrelonPrivate.h"

namespace carrelon {

bool TCarrelon::HideColumn(int ACol) {
    if (!d->FModel || ACol < 0 || ACol >= GetColCount()) return false;
    if (ACol == GetColCount() - 1 && GetFixedCols() + 1 == GetColCount()) return false;
    if (d->CheckEditorMode()) return false;
    ++d->FUpdateCount;
    if (ACol < GetFixedCols()) {
        const int Old = GetFixedCols();
        FFixedCols = Old - 1;
        if (FFixedCols == 0) {
            FTopLeft.X = 0;
            d->ClearSpreadsheetHeadersAtZero();
        } else if (FTopLeft.X == Old) {
            FTopLeft.X = Old - 1;
        }
    }
    TCarrelonCol* C = d->FCols[ACol];
    const int A = C->GetAbsoluteNumber();
    auto At = std::find_if(d->FHiddenCols.begin(), d->FHiddenCols.end(),
                           [A](TCarrelonCol* H) { return H->GetAbsoluteNumber() >= A; });
    d->FHiddenCols.insert(At, C);
    C->WriteFVisible(false);
    d->FCols.erase(d->FCols.begin() + ACol);
    d->MarkColumnsMoved();
    const TGridCoord Current = FCurrent;
    const TGridCoord Anchor = FAnchor;
    if (ACol != GetColCount() - 1) MoveColumn(ACol, GetColCount() - 1);
    if (Current.X == ACol) {
        FCurrent = Current;
        FAnchor = Anchor;
    }
    d->UpdateInheritedColCount(GetColCount() - 1);
    if (FCurrent.X >= GetColCount()) FCurrent.X = GetColCount() - 1;
    if (FAnchor.X >= GetColCount()) FAnchor.X = GetColCount() - 1;
    d->CheckSelection();
    if (--d->FUpdateCount == 0) {
        Invalidate();
        d->CheckAlwaysShowEditor();
    }
    return true;
}

int TCarrelon::ShowHiddenColumn(int HiddenIndex) {
    if (!d->FModel || HiddenIndex < 0 || HiddenIndex >= GetHiddenColCount()) return -1;
    if (d->CheckEditorMode()) return -1;
    TCarrelonCol* C = d->FHiddenCols[HiddenIndex];
    const int A = C->GetAbsoluteNumber();
    int T = 0;
    for (int a = A - 1; a >= 0; --a) {
        const int v = d->FAbsoluteCols[a]->GetCol();
        if (v >= 0) {
            T = v + 1;
            break;
        }
    }
    d->FCols.insert(d->FCols.begin() + T, C);
    C->WriteFVisible(true);
    d->FHiddenCols.erase(d->FHiddenCols.begin() + HiddenIndex);
    d->MarkColumnsMoved();
    ++d->FUpdateCount;
    // The base grid's columns follow the list: the new last column takes the stored width and
    // moves to its place.
    d->UpdateInheritedColCount(GetColCount() + 1);
    TCustomGrid::SetColWidths(GetColCount() - 1, C->GetWidth());
    if (T != GetColCount() - 1) MoveColumn(GetColCount() - 1, T);
    if (A < d->FAbsoluteFixedCols) {
        ++FFixedCols;
        if (FTopLeft.X < FFixedCols) FTopLeft.X = FFixedCols;
    }
    d->CheckSelection();
    if (--d->FUpdateCount == 0) {
        Invalidate();
        d->CheckAlwaysShowEditor();
    }
    if (d->FSpreadsheetEnabled) Recalculate(nullptr);
    return T;
}

void TCarrelonPrivate::DoDeleteRow(int ARow) {
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

TCarrelonCell* TCarrelonPrivate::CoverRectangle(int A0, int R0, int A1, int R1) {
    TCarrelonCell* Kept = FAbsoluteCols[A0]->CellList()[R0];
    std::unordered_set<TCarrelonCell*> Covered;
    for (int a = A0; a <= A1; ++a)
        for (int r = R0; r <= R1; ++r) {
            TCarrelonCell*& Slot = FAbsoluteCols[a]->CellList()[r];
            if (Slot != Kept) Covered.insert(Slot);
            Slot = Kept;
        }
    for (TCarrelonCell* Cell : Covered)
        delete Cell;
    Kept->WriteFEndCol(FAbsoluteCols[A1]);
    Kept->WriteFEndRow(R1);
    return Kept;
}

}  // namespace carrelon
