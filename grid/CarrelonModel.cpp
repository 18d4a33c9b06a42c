// TCarrelon: the accessors through which the rest of the control reads the model, and the check
// of the model's invariants.
#include <sstream>
#include <unordered_set>

#include "grid/CarrelonPrivate.h"
#include "grid/CarrelonTextRules.h"

namespace carrelon {

// ---- accessors ----------------------------------------------------------------------------

TCarrelonCol* TCarrelon::GetCols(int i) const {
    if (i < 0 || i >= static_cast<int>(d->FCols.size())) CarrelonListIndexError(i);
    return d->FCols[i];
}

TCarrelonCol* TCarrelon::GetAbsoluteCols(int i) const {
    if (i < 0 || i >= static_cast<int>(d->FAbsoluteCols.size())) CarrelonListIndexError(i);
    return d->FAbsoluteCols[i];
}

TCarrelonCol* TCarrelon::GetHiddenCols(int i) const {
    if (i < 0 || i >= static_cast<int>(d->FHiddenCols.size())) CarrelonListIndexError(i);
    return d->FHiddenCols[i];
}

TCarrelonCell* TCarrelon::GetCells(int ACol, int ARow) const {
    return GetCols(ACol)->GetCells(ARow);
}

TCarrelonCell* TCarrelon::GetAbsoluteCells(int ACol, int ARow) const {
    return GetAbsoluteCols(ACol)->GetCells(ARow);
}

TObject* TCarrelon::GetObjects(int ACol, int ARow) const {
    return GetCells(ACol, ARow)->ReadFObject();
}

void TCarrelon::SetObjects(int ACol, int ARow, TObject* Obj) {
    GetCells(ACol, ARow)->WriteFObject(Obj);
}

bool TCarrelon::GetTabStops(int i) const {
    return GetCols(i)->GetTabStop();
}

void TCarrelon::SetTabStops(int i, bool Value) {
    GetCols(i)->SetTabStop(Value);
}

bool TCarrelon::IsCurrentCell(const TCarrelonCell* Cell) const {
    const int C = GetCol();
    const int R = GetRow();
    if (R < 0 || C < 0 || !d->FModel || C >= GetColCount() || R >= GetRowCount()) return false;
    return d->FCols[C]->CellList()[R] == Cell;
}

bool TCarrelon::RowIsEmpty(int ARow) const {
    for (int k = d->FSpreadsheetHeaders ? 1 : 0; k < GetColCount(); ++k)
        if (!GetCells(k, ARow)->IsEmpty()) return false;
    return true;
}

bool TCarrelon::ColumnIsEmpty(int ACol) const {
    const TCarrelonCol* C = GetCols(ACol);
    for (int r = d->FSpreadsheetHeaders ? 1 : 0; r < GetRowCount(); ++r)
        if (!C->GetCells(r)->IsEmpty()) return false;
    return true;
}

TRect TCarrelon::CellRect(int ACol, int ARow) const {
    if (!d->FModel) return TCustomGrid::CellRect(ACol, ARow);
    const TCarrelonCell* Cell = GetCells(ACol, ARow);
    const int StartCol = Cell->GetStartCol();
    const int EndCol = Cell->GetEndCol();
    const int EndRow = Cell->ReadFEndRow();
    TRect R = BoxRect(StartCol, Cell->Row, EndCol, EndRow);
    if (R.IsEmpty()) return R;
    // A cell scrolled under the fixed rows or columns is not on screen.
    if (d->FOwnFixedRows > 0 && Cell->Row >= d->FOwnFixedRows && R.Top == 0) return TRect{};
    if (GetFixedCols() > 0 && StartCol >= GetFixedCols() && R.Left == 0) return TRect{};
    const TRect E = TCustomGrid::CellRect(EndCol, EndRow);
    const bool FixedSlot = ARow < d->FOwnFixedRows || ACol < GetFixedCols();
    if (E.Height() == GetRowHeights(EndRow) &&
        d->FCarrelonOptions.Contains(FixedSlot ? cloFixedHorzLine : cloHorzLine))
        R.Bottom -= GetGridLineWidth();
    if (E.Width() == GetColWidths(EndCol) &&
        d->FCarrelonOptions.Contains(FixedSlot ? cloFixedVertLine : cloVertLine))
        R.Right -= d->FCols[EndCol]->GetGridLineWidth();
    return R;
}

bool TCarrelon::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    const TGridCoord P = MouseCoord(X, Y);
    ACol = P.X;
    ARow = P.Y;
    if (ACol < 0 || ARow < 0) return false;
    if (!d->FModel) return true;
    ACol = GetCells(P.X, P.Y)->GetStartCol();
    ARow = GetCells(ACol, P.Y)->Row;
    return true;
}

void TCarrelon::SetCompareProc(TCarrelonCompareProc Value) {
    d->FCompareProc = Value ? std::move(Value) : TCarrelonCompareProc(CarrelonAnsiCompareStr);
}

// ---- invariants ---------------------------------------------------------------------------

bool TCarrelonPrivate::CheckModelInvariants(std::string* Why) const {
    std::ostringstream Out;
    auto Fail = [&](const std::string& Text) {
        if (Why != nullptr) *Why = Text;
        return false;
    };
    if (!FModel) return true;
    const int Rows = q->GetRowCount();
    if (static_cast<int>(FCols.size()) != q->GetColCount())
        return Fail("visible list holds " + std::to_string(FCols.size()) + " columns, ColCount " +
                    std::to_string(q->GetColCount()));
    if (FCols.size() + FHiddenCols.size() != FAbsoluteCols.size())
        return Fail("visible + hidden columns differ from the absolute list");
    std::unordered_set<const TCarrelonCol*> Seen;
    for (const TCarrelonCol* C : FAbsoluteCols)
        if (!Seen.insert(C).second) return Fail("a column is listed twice among absolute columns");
    // Visible and hidden lists in absolute order, each column in exactly one of them.
    FStore.Reindex();
    int Last = -1;
    for (std::size_t i = 0; i < FCols.size(); ++i) {
        const TCarrelonCol* C = FCols[i];
        if (!Seen.count(C) || !C->GetVisible() || C->FAbsoluteIndex <= Last)
            return Fail("visible column " + std::to_string(i) + " is out of order or unknown");
        Last = C->FAbsoluteIndex;
    }
    Last = -1;
    for (std::size_t i = 0; i < FHiddenCols.size(); ++i) {
        const TCarrelonCol* C = FHiddenCols[i];
        if (!Seen.count(C) || C->GetVisible() || C->FAbsoluteIndex <= Last || C->FVisibleIndex >= 0)
            return Fail("hidden column " + std::to_string(i) + " is out of order or listed twice");
        Last = C->FAbsoluteIndex;
    }
    if (FAbsoluteFixedCols < 0 || FAbsoluteFixedCols > static_cast<int>(FAbsoluteCols.size()) ||
        VisibleColumnsBefore(FAbsoluteFixedCols) != q->GetFixedCols())
        return Fail("FixedCols " + std::to_string(q->GetFixedCols()) +
                    " do not match the absolute fixed count " + std::to_string(FAbsoluteFixedCols));
    if (FOwnFixedRows < 0 || FOwnFixedRows > Rows)
        return Fail("FixedRows " + std::to_string(FOwnFixedRows) + " outside 0..RowCount");
    const int BaseFixed = q->TCustomGrid::GetFixedRows();
    if (BaseFixed != (FOwnFixedRows == Rows ? Rows - 1 : FOwnFixedRows))
        return Fail("base fixed rows " + std::to_string(BaseFixed) + " do not match FixedRows " +
                    std::to_string(FOwnFixedRows));
    // Every slot holds a cell, and each cell fills exactly its rectangle: a slot (a, r) holds
    // cell X only when X's rectangle covers it, and X's top-left slot holds X.
    const int Abs = static_cast<int>(FAbsoluteCols.size());
    for (int a = 0; a < Abs; ++a) {
        const std::vector<TCarrelonCell*>& Slots = FAbsoluteCols[a]->CellList();
        if (static_cast<int>(Slots.size()) != Rows)
            return Fail("absolute column " + std::to_string(a) + " has " +
                        std::to_string(Slots.size()) + " slots, RowCount " + std::to_string(Rows));
        for (int r = 0; r < Rows; ++r) {
            const TCarrelonCell* X = Slots[r];
            // Made only on failure: the check runs after every step of long sequences.
            auto At = [a, r](const char* What) {
                return std::string(What) + " at absolute column " + std::to_string(a) + ", row " +
                       std::to_string(r);
            };
            if (X == nullptr) return Fail(At("empty slot"));
            // A cell of this column alone needs no lookup.
            const TCarrelonCol* Here = FAbsoluteCols[a];
            if (X->Col != Here && !Seen.count(X->Col))
                return Fail(At("cell with an unknown start column"));
            const TCarrelonCol* End = X->GetEndColObject();
            if (End != Here && End != X->Col && !Seen.count(End))
                return Fail(At("cell with an unknown end column"));
            const int A0 = X->Col->FAbsoluteIndex;
            const int A1 = End->FAbsoluteIndex;
            const int R1 = X->ReadFEndRow();
            if (a < A0 || a > A1 || r < X->Row || r > R1)
                return Fail(At("cell outside its rectangle"));
            // The slot before in each direction either holds the same cell (inside) or not
            // (at the edge): together this makes every rectangle exactly filled.
            if (r > X->Row && Slots[r - 1] != X) return Fail(At("merged cell broken"));
            if (a > A0 && FAbsoluteCols[a - 1]->CellList()[r] != X)
                return Fail(At("merged cell broken"));
            if (r == R1 && r + 1 < Rows && Slots[r + 1] == X)
                return Fail(At("cell reaches below its end row"));
            if (a == A1 && a + 1 < Abs && FAbsoluteCols[a + 1]->CellList()[r] == X)
                return Fail(At("cell reaches past its end column"));
            // A range never crosses the boundary between fixed and scrollable rows.
            if (X->Row < FOwnFixedRows && R1 >= FOwnFixedRows)
                return Fail(At("merged cell crosses the fixed rows"));
            if (A0 < FAbsoluteFixedCols && A1 >= FAbsoluteFixedCols)
                return Fail(At("merged cell crosses the fixed columns"));
        }
    }
    if (FSelectedCells) {
        bool Stale = false;
        FSelectedCells->List().ForEach([&](TCarrelonCell* c) {
            if (!Seen.count(c->Col)) Stale = true;
        });
        if (Stale) return Fail("selected list holds a cell that is not in the grid");
    }
    (void)Out;
    return true;
}

}  // namespace carrelon
