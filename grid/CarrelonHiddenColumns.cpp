// TCarrelon: hiding and showing columns.
#include "grid/CarrelonPrivate.h"

namespace carrelon {

bool TCarrelon::HideColumn(int ACol) {
    if (!d->FModel || ACol < 0 || ACol >= GetColCount()) return false;
    if (ACol == GetColCount() - 1 && GetFixedCols() + 1 == GetColCount()) return false;
    if (d->CheckEditorMode()) return false;
    ++d->FUpdateCount;
    // The absolute fixed count stays: the column keeps its absolute place.
    if (ACol < GetFixedCols()) d->LowerFixedCol();
    d->FStore.Hide(ACol);
    d->MoveBaseColumn(ACol, GetColCount() - 1, GetCol() == ACol);
    d->UpdateInheritedColCount(GetColCount() - 1);
    if (FCurrent.X >= GetColCount()) FCurrent.X = GetColCount() - 1;
    if (FAnchor.X >= GetColCount()) FAnchor.X = GetColCount() - 1;
    d->CheckSelection();
    d->EndStructuralEdit(true);
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
    d->MoveBaseColumn(GetColCount() - 1, T, false);
    if (A < d->FAbsoluteFixedCols) {
        ++FFixedCols;
        if (FTopLeft.X < FFixedCols) FTopLeft.X = FFixedCols;
    }
    d->CheckSelection();
    // Formula cells of a hidden column were not recalculated while it was hidden; the
    // recalculation runs before the unlock reopens an editor.
    if (d->FSpreadsheetEnabled) Recalculate(nullptr);
    d->EndStructuralEdit(true);
    return T;
}

}  // namespace carrelon
