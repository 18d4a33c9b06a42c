// TCarrelonSelection's operations on the listed cells: extent, repaint, add and remove with
// their event, row and column coverage, clearing and the bulk attribute setters.
#include <algorithm>
#include <climits>

#include "grid/CarrelonPrivate.h"
#include "grid/Selection.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

TCarrelonPrivate& TCarrelonSelection::GridPrivate() const {
    return TCarrelonPrivate::Of(FGrid);
}

TRect TCarrelonSelection::GetRect() const {
    // The bounding box of the listed cells, merged ranges with their full extent. Cells whose
    // columns are all hidden have no place on screen and are left out.
    TRect R{INT_MAX, INT_MAX, -1, -1};
    FList.ForEach([&](TCarrelonCell* c) {
        const int Start = c->GetStartCol();
        if (Start < 0) return;
        R.Left = std::min(R.Left, Start);
        R.Top = std::min(R.Top, c->Row);
        R.Right = std::max(R.Right, c->GetEndCol());
        R.Bottom = std::max(R.Bottom, c->GetEndRow());
    });
    if (R.Right < 0) return TRect{-1, -1, -1, -1};
    return R;
}

void TCarrelonSelection::Invalidate() {
    if (GridPrivate().FUpdateCount > 0) return;
    // A list larger than the slots on screen repaints the grid once instead of cell by cell.
    const long long Shown =
        static_cast<long long>(FGrid->GetFixedCols() + FGrid->GetVisibleColCount() + 1) *
        (FGrid->GetFixedRows() + FGrid->GetVisibleRowCount() + 1);
    if (FList.Count() > Shown) {
        FGrid->Invalidate();
        return;
    }
    ForEachListed([](TCarrelonCell* c) { c->Invalidate(); });
}

void TCarrelonSelection::Add(TCarrelonCell* ACell) {
    if (ACell != nullptr && FList.Add(ACell)) ACell->Invalidate();
}

void TCarrelonSelection::Remove(TCarrelonCell* ACell) {
    if (!FList.Remove(ACell)) return;
    ACell->Invalidate();
    if (FGrid->OnCellDeselected) FGrid->OnCellDeselected(FGrid, ACell->GetStartCol(), ACell->Row);
}

bool TCarrelonSelection::IsColRowSelected(int ACol, int ARow) const {
    if (FCoverageVersion != FList.Version()) {
        FCoveredRows.Clear();
        FCoveredCols.Clear();
        FList.ForEach([&](TCarrelonCell* c) {
            FCoveredRows.Add(c->Row, c->GetEndRow());
            if (c->GetStartCol() >= 0) FCoveredCols.Add(c->GetStartCol(), c->GetEndCol());
        });
        FCoveredRows.Seal();
        FCoveredCols.Seal();
        FCoverageVersion = FList.Version();
    }
    return FCoveredRows.Covers(ARow) || FCoveredCols.Covers(ACol);
}

bool TCarrelonSelection::Clear(bool IgnoreReadOnly) {
    if (GridPrivate().CheckEditorMode()) return false;
    bool Result = true;
    bool Resized = false;
    ForEachListed([&](TCarrelonCell* c) {
        if (!IgnoreReadOnly && c->GetReadOnly()) {
            Result = false;
            return;
        }
        c->WriteFFormula("");
        c->StoreValue(Variant());
        if (c->GetCheckBoxChecked()) {
            c->WriteFCheckBoxChecked({});
            // The column says True: the cell keeps an own False.
            if (c->GetCheckBoxChecked()) c->WriteFCheckBoxChecked(TCellTriState::Of(false));
        }
        if (c->ReadFPicture() != nullptr) c->WriteFPicture(nullptr);
        if (GridPrivate().FUpdateCount == 0 && GridPrivate().ResizeRow(c->Row)) Resized = true;
    });
    if (GridPrivate().FUpdateCount == 0 && !Resized) Invalidate();
    if (FGrid->GetSpreadsheetEnabled()) FGrid->Recalculate(nullptr);
    GridPrivate().CheckAlwaysShowEditor();
    return Result;
}

void TCarrelonCell::SetSelected(bool Value) {
    TCarrelon* G = GetGrid();
    TCarrelonSelection* S = G->GetSelectedCells();
    if (S == nullptr) return;
    // Spreadsheet headings are never selected.
    if (G->GetSpreadsheetHeaders() && (Row == 0 || GetStartCol() == 0)) return;
    if (!Value)
        S->Remove(this);
    else if (GetVisible())
        S->Add(this);
}

void TCarrelonSelection::SetColor(TColor Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetColor(Value); });
}
void TCarrelonSelection::SetFont(const TFont* Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetFont(Value); });
}
void TCarrelonSelection::SetReadOnly(bool Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetReadOnly(Value); });
}
void TCarrelonSelection::SetWordWrap(bool Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetWordWrap(Value); });
}
void TCarrelonSelection::SetTextAlignment(TAlignment Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetTextAlignment(Value); });
}
void TCarrelonSelection::SetTextLayout(TTextLayout Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetTextLayout(Value); });
}
void TCarrelonSelection::SetGraphicAlignment(TAlignment Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetGraphicAlignment(Value); });
}
void TCarrelonSelection::SetGraphicLayout(TTextLayout Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetGraphicLayout(Value); });
}
void TCarrelonSelection::SetButton(bool Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetButton(Value); });
}
void TCarrelonSelection::SetCheckBox(bool Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetCheckBox(Value); });
}
void TCarrelonSelection::SetCheckBoxChecked(bool Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetCheckBoxChecked(Value); });
}
void TCarrelonSelection::SetCheckBoxAlignment(TAlignment Value) {
    ForEachListed([&](TCarrelonCell* c) { c->SetCheckBoxAlignment(Value); });
}

}  // namespace carrelon
