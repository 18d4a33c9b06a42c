// TCarrelon: merging cells into one and splitting a merged cell. A merge keeps the top-left
// cell object (its identity, formatting and attachments), joins the texts of the cells it
// covers and frees each of them once, after its last slot has been overwritten.
#include <algorithm>

#include "grid/CarrelonPrivate.h"

namespace carrelon {

// What a merge read from the cells it joins.
struct TCarrelonPrivate::TMergeScan {
    AnsiString Text;
    int Count = 0;       // values that are not empty
    Variant First;       // the first of them
    AnsiString Formula;  // the first formula met
    bool FormulaMet = false;

    // Notes a cell's value and formula; Joined says whether its text goes into Text (the
    // rectangle merge joins empty texts too, the others skip them).
    void Read(const TCarrelonCell* Cell) {
        if (!Cell->GetValue().IsEmpty()) {
            if (Count++ == 0) First = Cell->GetValue();
        }
        if (!FormulaMet && !Cell->GetFormula().empty()) {
            Formula = Cell->GetFormula();
            FormulaMet = true;
        }
    }
    // The separated join of non-empty values.
    void Join(const TCarrelonCell* Cell, const AnsiString& Separator) {
        if (!Cell->GetValue().IsEmpty()) {
            if (!Text.empty()) Text += Separator;
            Text += Cell->GetText();
        }
        Read(Cell);
    }
};

void TCarrelonPrivate::FinishMerge(TCarrelonCell* Kept, const TMergeScan& Scan, bool TakeFormula,
                                   int ARow) {
    if (Scan.Count > 1)
        Kept->StoreValue(Variant(Scan.Text));
    else if (Scan.Count == 1)
        Kept->StoreValue(Scan.First);
    if (TakeFormula && Scan.Formula != Kept->ReadFFormula()) Kept->WriteFFormula(Scan.Formula);
    CheckSelection();
    if (FSpreadsheetEnabled && (Scan.Count > 0 || Scan.FormulaMet)) q->Recalculate(nullptr);
    if (FUpdateCount == 0 && !ResizeRow(ARow)) q->Invalidate();
    CheckAlwaysShowEditor();
}

bool TCarrelon::MergeHoriz(int FromCol, int ToCol, int ARow, const AnsiString& Separator) {
    if (!d->FModel || FromCol < 0 || FromCol >= ToCol || ToCol >= GetColCount() || ARow < 0 ||
        ARow >= GetRowCount())
        return false;
    if (FromCol < GetFixedCols() && ToCol >= GetFixedCols()) return false;
    TCarrelonCell* A = GetCells(FromCol, ARow);
    TCarrelonCell* B = GetCells(ToCol, ARow);
    if (A == B) return false;
    // Only blocks of equal height merge; hidden columns between count too.
    const int First = A->GetEndColObject()->GetAbsoluteNumber() + 1;
    const int Last = B->GetCol()->GetAbsoluteNumber();
    for (int a = First; a <= Last; ++a) {
        const TCarrelonCell* X = d->FAbsoluteCols[a]->CellList()[ARow];
        if (X->Row != A->Row || X->ReadFEndRow() != A->ReadFEndRow()) return false;
    }
    if (d->CheckEditorMode()) return false;
    TCarrelonPrivate::TMergeScan Scan;
    const TCarrelonCell* Prev = nullptr;
    for (int k = A->GetEndCol(); k <= B->GetStartCol(); ++k) {
        const TCarrelonCell* X = GetCells(k, ARow);
        if (X != Prev) Scan.Join(X, Separator);
        Prev = X;
    }
    d->FStore.CoverRectangle(A, A->Col->GetAbsoluteNumber(), A->Row,
                             B->GetEndColObject()->GetAbsoluteNumber(), A->ReadFEndRow());
    d->FinishMerge(A, Scan, true, ARow);
    return true;
}

bool TCarrelon::MergeVert(int ACol, int FromRow, int ToRow, const AnsiString& Separator) {
    if (!d->FModel || ACol < 0 || ACol >= GetColCount() || FromRow < 0 || FromRow >= ToRow ||
        ToRow >= GetRowCount())
        return false;
    if (FromRow < GetFixedRows() && ToRow >= GetFixedRows()) return false;
    TCarrelonCell* A = GetCells(ACol, FromRow);
    TCarrelonCell* B = GetCells(ACol, ToRow);
    if (A == B) return false;
    // Only blocks of equal width merge.
    const std::vector<TCarrelonCell*>& Slots = d->FCols[ACol]->CellList();
    for (int r = A->ReadFEndRow() + 1; r <= B->Row; ++r)
        if (Slots[r]->Col != A->Col || Slots[r]->GetEndColObject() != A->GetEndColObject())
            return false;
    if (d->CheckEditorMode()) return false;
    TCarrelonPrivate::TMergeScan Scan;
    for (int r = A->ReadFEndRow(); r <= B->Row; r = Slots[r]->ReadFEndRow() + 1)
        Scan.Join(Slots[r], Separator);
    d->FStore.CoverRectangle(A, A->Col->GetAbsoluteNumber(), A->Row,
                             A->GetEndColObject()->GetAbsoluteNumber(), B->ReadFEndRow());
    d->FinishMerge(A, Scan, false, FromRow);
    return true;
}

bool TCarrelon::MergeRect(const TRect& Rect, bool RowMajor, const AnsiString& ColSeparator,
                          const AnsiString& RowSeparator) {
    int Left = Rect.Left, Right = Rect.Right, Top = Rect.Top, Bottom = Rect.Bottom;
    if (!d->FModel || Left < 0 || Left > Right || Right >= GetColCount() || Top < 0 ||
        Top > Bottom || Bottom >= GetRowCount())
        return false;
    if (Left == Right && Top == Bottom) return false;
    if (Left < GetFixedCols() && Right >= GetFixedCols()) return false;
    if (Top < GetFixedRows() && Bottom >= GetFixedRows()) return false;
    TCarrelonCell* A = GetCells(Left, Top);
    if (A == GetCells(Right, Bottom)) return false;
    if (d->CheckEditorMode()) return false;

    // Grows over absolute columns until no cell reaches out; each slot is read once, since
    // only the slots the last round added can reach further.
    const auto& Abs = d->FAbsoluteCols;
    int AL = d->FCols[Left]->GetAbsoluteNumber(), AR = d->FCols[Right]->GetAbsoluteNumber();
    int SL = 0, SR = -1, ST = 0, SB = -1;  // the part already read
    while (SL != AL || SR != AR || ST != Top || SB != Bottom) {
        int NL = AL, NR = AR, NT = Top, NB = Bottom;
        for (int a = AL; a <= AR; ++a) {
            const bool Read = a >= SL && a <= SR;
            const std::vector<TCarrelonCell*>& Slots = Abs[a]->CellList();
            for (int r = Top; r <= Bottom; ++r) {
                if (Read && r == ST) {
                    r = SB;
                    continue;
                }
                const TCarrelonCell* X = Slots[r];
                NL = std::min(NL, X->Col->GetAbsoluteNumber());
                NR = std::max(NR, X->GetEndColObject()->GetAbsoluteNumber());
                NT = std::min(NT, X->Row);
                NB = std::max(NB, X->ReadFEndRow());
            }
        }
        SL = AL, SR = AR, ST = Top, SB = Bottom;
        AL = NL, AR = NR, Top = NT, Bottom = NB;
    }
    Left = Abs[AL]->GetCol();
    for (int a = AL; Left < 0; ++a)
        Left = Abs[a]->GetCol();
    Right = Abs[AR]->GetCol();
    for (int a = AR; Right < 0; --a)
        Right = Abs[a]->GetCol();

    // The joined text: each cell once, at its last visible slot along the joining direction.
    TCarrelonPrivate::TMergeScan Scan;
    if (RowMajor) {
        for (int r = Top; r <= Bottom; ++r) {
            for (int k = Left; k <= Right; ++k) {
                const TCarrelonCell* X = GetCells(k, r);
                if (X->Row != r || (k < Right && GetCells(k + 1, r) == X)) continue;
                Scan.Text += X->GetText();
                if (k != Right) Scan.Text += ColSeparator;
                Scan.Read(X);
            }
            if (r != Bottom) Scan.Text += RowSeparator;
        }
    } else {
        for (int k = Left; k <= Right; ++k) {
            for (int r = Top; r <= Bottom; ++r) {
                const TCarrelonCell* X = GetCells(k, r);
                if ((k > Left && GetCells(k - 1, r) == X) ||
                    (r < Bottom && GetCells(k, r + 1) == X))
                    continue;
                Scan.Text += X->GetText();
                if (r != Bottom) Scan.Text += RowSeparator;
                Scan.Read(X);
            }
            if (k != Right) Scan.Text += ColSeparator;
        }
    }
    d->FStore.CoverRectangle(A, AL, Top, AR, Bottom);
    d->FinishMerge(A, Scan, false, Top);
    return true;
}

bool TCarrelonPrivate::SplitCell(TCarrelonCell* Cell) {
    const int R0 = Cell->Row;
    const int R1 = Cell->ReadFEndRow();
    if (!FStore.Split(Cell)) {
        ShowOutOfMemory();
        return false;
    }
    CheckSelection();
    if (FUpdateCount == 0) {
        bool Changed = false;
        for (int r = R0; r <= R1; ++r)
            Changed = ResizeRow(r) || Changed;
        if (!Changed) q->Invalidate();
    }
    if (FSpreadsheetEnabled) q->Recalculate(nullptr);
    return true;
}

bool TCarrelonCell::Split() {
    if (!IsMerged()) return false;
    TCarrelonPrivate& P = GridPrivate();
    if (P.CheckEditorMode()) return false;
    const bool Done = P.SplitCell(this);
    P.CheckAlwaysShowEditor();
    return Done;
}

}  // namespace carrelon
