// Copying cells to the clipboard, cutting them and clearing the selected cells.
#include <algorithm>
#include <climits>
#include <deque>

#include "grid/CarrelonPrivate.h"
#include "grid/ClipboardText.h"
#include "grid/ScopeExit.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

// ---- the clipboard record of a cell ------------------------------------------------------

void TCarrelonPrivate::FillClipboardCell(TCarrelonClipboardCell& S, TCarrelonCell* Cell) {
    S.SetCol(Cell->GetStartCol());
    S.SetRow(Cell->Row);
    S.SetValue(Cell->GetValue());
    S.SetFormula(Cell->ReadFFormula());
    S.SetHint(Cell->ReadFHint());
    if (TGraphic* G = Cell->GetGraphic()) S.SetGraphic(G);
    S.SetFont(Cell->CalcFont());
    S.SetColor(Cell->GetColor());
    S.SetTextAlignment(Cell->GetTextAlignment());
    S.SetTextLayout(Cell->GetTextLayout());
    S.SetGraphicAlignment(Cell->GetGraphicAlignment());
    S.SetGraphicLayout(Cell->GetGraphicLayout());
    S.SetMaxLength(static_cast<Word>(Cell->GetMaxLength()));
    S.SetReadOnly(Cell->GetReadOnly());
    S.SetWordWrap(Cell->GetWordWrap());
    S.SetCheckBox(Cell->GetCheckBox());
    S.SetCheckBoxChecked(Cell->GetCheckBoxChecked());
    S.SetCheckBoxAlignment(Cell->GetCheckBoxAlignment());
    if (const TCarrelonCellInnerBorder* B = Cell->ReadFInnerBorder()) {
        S.SetInnerBorderWidth(static_cast<Byte>(B->GetWidth()));
        S.SetInnerBorderColor(B->GetColor());
    }
    if (const TCarrelonCellOuterBorder* B = Cell->ReadFOuterBorder()) {
        S.SetOuterBorderWidth(static_cast<Byte>(B->GetWidth()));
        S.SetOuterBorderColor(B->GetColor());
    }
    S.SetButton(Cell->GetButton());
    S.SetSelectedColor(Cell->ReadFSelectedColor());
    S.SetSelectedFontColor(Cell->ReadFSelectedFontColor());
    S.SetCellObject(Cell->ReadFObject());
}

// ---- copy ---------------------------------------------------------------------------------

namespace {

// Offers a record, its text and a picture together.
void OfferOnClipboard(TComponent* Record, const AnsiString& Text, const TGraphic* Graphic) {
    TClipboard* C = Clipboard();
    C->Open();
    TScopeExit Close([C] { C->Close(); });
    C->SetComponent(Record);
    C->SetAsText(Text);
    if (Graphic != nullptr) C->Assign(Graphic);
}

}  // namespace

bool TCarrelonCell::CopyToClipboard() {
    std::unique_ptr<TCarrelonClipboardCell> S;
    try {
        S = std::make_unique<TCarrelonClipboardCell>(nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    GridPrivate().FillClipboardCell(*S, this);
    const TGraphic* G = GetGraphic();
    if (dynamic_cast<const TIcon*>(G) != nullptr) G = nullptr;
    OfferOnClipboard(S.get(), ClipboardField(GetText()), G);
    return true;
}

AnsiString TCarrelonPrivate::ClipboardTextOf(const std::vector<TCarrelonCell*>& Cells) {
    int MinCol = INT_MAX, MinRow = INT_MAX, MaxCol = -1, MaxRow = -1;
    std::vector<TClipboardTextField> Fields;
    Fields.reserve(Cells.size());
    // Texts that are not a string value as it stands (numbers, dates, quoted fields).
    std::deque<AnsiString> Made;
    // Cells of one column come together: the visible index of the last column is kept.
    const TCarrelonCol* LastColumn = nullptr;
    int LastIndex = -1;
    for (TCarrelonCell* Cell : Cells) {
        int Col;
        if (Cell->IsMerged()) {
            Col = Cell->GetStartCol();
        } else {
            if (Cell->Col != LastColumn) {
                LastColumn = Cell->Col;
                LastIndex = LastColumn->GetCol();
            }
            Col = LastIndex;
        }
        if (Col < 0) continue;
        MinCol = std::min(MinCol, Col);
        MinRow = std::min(MinRow, Cell->Row);
        MaxCol = std::max(MaxCol, Col);
        MaxRow = std::max(MaxRow, Cell->Row);
        std::string_view Text;
        if (Cell->FValue.IsString()) {
            Text = Cell->FValue.StringView();
            if (std::find(Text.begin(), Text.end(), '\r') != Text.end())
                Text = Made.emplace_back(ClipboardField(AnsiString(Text)));
        } else if (!Cell->FValue.IsUnassigned()) {
            Text = Made.emplace_back(ClipboardField(Cell->GetText()));
        }
        Fields.push_back({Col, Cell->Row, Text});
    }
    if (Fields.empty()) return {};
    return ClipboardBlockText(Fields, MinCol, MinRow, MaxCol, MaxRow);
}

bool TCarrelonPrivate::CopyCells(const std::vector<TCarrelonCell*>& Cells) {
    if (Cells.empty()) return false;
    if (Cells.size() == 1) return Cells.front()->CopyToClipboard();
    std::unique_ptr<TCarrelonClipboardCells> List;
    try {
        List = std::make_unique<TCarrelonClipboardCells>(nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int MinCol = INT_MAX, MinRow = INT_MAX;
    for (TCarrelonCell* Cell : Cells) {
        // A cell whose columns are all hidden has no slot in the copied block.
        if (Cell->GetStartCol() < 0) continue;
        TCarrelonClipboardCell* S = List->AddCell();
        FillClipboardCell(*S, Cell);
        MinCol = std::min(MinCol, S->GetCol());
        MinRow = std::min(MinRow, S->GetRow());
    }
    if (List->GetCellCount() == 0) return false;
    List->SetMinCol(MinCol);
    List->SetMinRow(MinRow);
    OfferOnClipboard(List.get(), ClipboardTextOf(Cells), nullptr);
    return true;
}

bool TCarrelonSelection::CopyToClipboard() {
    if (FList.Empty()) return false;
    TCarrelonPrivate& P = GridPrivate();
    if (P.CheckEditorMode()) return false;
    TScopeExit Reopen([&P] { P.CheckAlwaysShowEditor(); });
    return P.CopyCells(FList.Snapshot());
}

bool TCarrelon::CopyToClipboard() {
    if (!d->FModel || d->CheckEditorMode()) return false;
    TScopeExit Reopen([this] { d->CheckAlwaysShowEditor(); });
    // Every distinct cell once, at its first slot in column-by-column order: its top-left
    // visible slot.
    const int H = d->HeadingOffset();
    std::vector<TCarrelonCell*> Cells;
    for (int k = H; k < GetColCount(); ++k) {
        const std::vector<TCarrelonCell*>& Slots = d->FCols[k]->CellList();
        for (int r = H; r < GetRowCount(); ++r) {
            TCarrelonCell* c = Slots[r];
            if (c->Row != r) continue;
            if (c->IsMerged() && c->GetStartCol() != k) continue;
            Cells.push_back(c);
        }
    }
    return d->CopyCells(Cells);
}

// ---- cut ----------------------------------------------------------------------------------

bool TCarrelonCell::CutToClipboard() {
    TCarrelonPrivate& P = GridPrivate();
    // The editor closes first: an edit committed later would land in the emptied cell.
    if (P.CheckEditorMode()) return false;
    TScopeExit Reopen([&P] { P.CheckAlwaysShowEditor(); });
    if (!CopyToClipboard()) return false;
    // The editor reopens once the cell is empty, at the end, not over the text being cut.
    if (IsMerged() && !P.SplitCell(this)) return false;
    SetFormula("");
    SetValue(Variant());
    if (FProperties) {
        TCarrelon* G = GetGrid();
        WriteFFont(nullptr);
        TObject* Attached = ReadFObject();
        FProperties.reset();
        // The grid owns attached objects under cloFreeCellObjects: the dropped one goes too.
        if (Attached != nullptr && G->GetOptions().Contains(cloFreeCellObjects)) delete Attached;
        P.RowContentChanged(Row);
        Remeasure();
    }
    TCarrelon* G = GetGrid();
    if (G->OnCellCut) G->OnCellCut(G, GetStartCol(), Row);
    return true;
}

bool TCarrelonPrivate::CutListedCells() {
    TSelectedCellList& List = FSelectedCells->List();
    int MinCol = INT_MAX, MinRow = INT_MAX, MaxCol = -1, MaxRow = -1;
    bool Complete = true;
    // The cells listed now are cut; cells a handler lists meanwhile (a merge over the current
    // cell lists it again) are not, or a handler that merges on every cut would never let the
    // cut end. A cell a handler took out of the list, or freed, is passed over.
    for (TCarrelonCell* Cell : List.Snapshot()) {
        if (!List.Contains(Cell)) continue;
        const int StartCol = Cell->GetStartCol();
        const int EndCol = Cell->GetEndCol();
        const int R0 = Cell->Row;
        const int R1 = Cell->ReadFEndRow();
        const TCarrelonCol* First = Cell->Col;
        const int A0 = First->GetAbsoluteNumber();
        const int A1 = Cell->GetEndColObject()->GetAbsoluteNumber();
        if (!FStore.Vacate(Cell)) {
            ShowOutOfMemory();
            Complete = false;
            break;
        }
        MinRow = std::min(MinRow, R0);
        MaxRow = std::max(MaxRow, R1);
        // A cell with no visible column takes no part in the repaint and fires no event.
        if (StartCol < 0) continue;
        MinCol = std::min(MinCol, StartCol);
        MaxCol = std::max(MaxCol, EndCol);
        if (!q->OnCellCut) continue;
        // The handler may shrink the grid: the events stop at the columns and rows it leaves.
        for (int a = A0; a <= A1 && a < static_cast<int>(FAbsoluteCols.size()); ++a) {
            const int k = FAbsoluteCols[a]->GetCol();
            if (k < 0) continue;
            for (int r = R0; r <= R1 && r < q->GetRowCount(); ++r)
                q->OnCellCut(q, k, r);
        }
    }
    // A cut that stopped leaves the cells it did not cut selected, and the anchor where it was.
    if (Complete && q->GetRow() >= 0) {
        List.Add(q->GetCells(q->GetCol(), q->GetRow()));
        WriteFAnchor(ReadFCurrent());
    }
    if (MaxRow < 0) return Complete;
    const int LastRow = std::min(MaxRow, q->GetRowCount() - 1);
    const bool Columns = MaxCol >= 0;
    const long long Slots = Columns ? static_cast<long long>(MaxCol - MinCol + 1) : 0;
    const long long Shown = static_cast<long long>(q->GetFixedCols() + q->GetVisibleColCount() + 1);
    bool WholeGrid = false;
    for (int r = MinRow; r <= LastRow; ++r) {
        if (ResizeRow(r) || !Columns || WholeGrid) continue;
        // A strip wider than the view repaints the grid once instead.
        if (Slots > Shown || r - MinRow > q->GetVisibleRowCount() + q->GetFixedRows()) {
            WholeGrid = true;
            q->Invalidate();
            continue;
        }
        for (int k = MinCol; k <= std::min(MaxCol, q->GetColCount() - 1); ++k)
            q->InvalidateCell(k, r);
    }
    return Complete;
}

bool TCarrelonSelection::CutToClipboard() {
    if (FList.Empty()) return false;
    TCarrelonPrivate& P = GridPrivate();
    if (P.CheckEditorMode()) return false;
    TScopeExit Reopen([&P] { P.CheckAlwaysShowEditor(); });
    if (!P.CopyCells(FList.Snapshot())) return false;
    const bool Complete = P.CutListedCells();
    if (FGrid->GetSpreadsheetEnabled()) FGrid->Recalculate(nullptr);
    return Complete;
}

// ---- clear --------------------------------------------------------------------------------

void TCarrelon::ClearSelection() {
    if (!d->FModel || d->CheckEditorMode()) return;
    TScopeExit Reopen([this] { d->CheckAlwaysShowEditor(); });
    TCarrelonSelection* S = d->FSelectedCells.get();
    bool Cleared = false;
    bool Resized = false;
    for (TCarrelonCell* c : S->List().Snapshot()) {
        // A handler may have freed a cell meanwhile: only listed cells are still alive.
        if (!S->Contains(c)) continue;
        if (c->GetReadOnly() || c->GetCheckBox() || c->GetButton() || c->IsEmpty()) continue;
        bool CanClear = true;
        if (OnClearCell) OnClearCell(this, c->GetStartCol(), c->Row, CanClear);
        if (!CanClear || !S->Contains(c)) continue;
        c->WriteFFormula("");
        c->StoreValue(Variant());
        if (c->ReadFPicture() != nullptr) c->WriteFPicture(nullptr);
        Cleared = true;
        const int Row = c->Row;
        if (OnCellCleared) OnCellCleared(this, c->GetStartCol(), Row);
        if (d->FUpdateCount == 0 && d->ResizeRow(Row)) Resized = true;
    }
    if (!Cleared) return;
    if (d->FUpdateCount == 0 && !Resized) S->Invalidate();
    if (GetSpreadsheetEnabled()) Recalculate(nullptr);
}

}  // namespace carrelon
