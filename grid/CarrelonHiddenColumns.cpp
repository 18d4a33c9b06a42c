// TCarrelon: hiding and showing columns.
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
    d->FStore.Hide(ACol);
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
    const int T = d->FStore.Show(HiddenIndex);
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

}  // namespace carrelon
