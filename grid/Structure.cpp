// TCarrelon: inserting, deleting and moving rows and columns. Each public edit passes the editor
// gate, works inside the update lock, lets the column store move the cells, keeps the base
// grid's counts, sizes and current cell in step, and in spreadsheet mode rewrites every
// formula through one old-to-new mapping of the edit before it recalculates.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"

namespace carrelon {

namespace {

// A1 numbers (index - H + 1) of an edit that shifts every index from First on by Delta.
TReferenceMap ShiftFrom(int H, int First, int Delta) {
    return [=](std::int64_t n) { return n + H - 1 >= First ? n + Delta : n; };
}

}  // namespace

// ---- shared steps -------------------------------------------------------------------------

void TCarrelonPrivate::MoveBaseRow(int From, int To, bool Keep) {
    if (From == To) return;
    const TGridCoord Current = q->FCurrent;
    const TGridCoord Anchor = q->FAnchor;
    const bool Muted = FMuteRowHeightsChanged;
    FMuteRowHeightsChanged = true;
    TScopeExit Restore([&] { FMuteRowHeightsChanged = Muted; });
    q->TCustomGrid::MoveRow(From, To);
    if (Keep) {
        q->FCurrent = Current;
        q->FAnchor = Anchor;
    }
}

void TCarrelonPrivate::MoveBaseColumn(int From, int To, bool Keep) {
    if (From == To) return;
    const TGridCoord Current = q->FCurrent;
    const TGridCoord Anchor = q->FAnchor;
    q->TCustomGrid::MoveColumn(From, To);
    if (Keep) {
        q->FCurrent = Current;
        q->FAnchor = Anchor;
    }
}

void TCarrelonPrivate::LowerFixedRow() {
    const int OldBase = q->FFixedRows;
    --FOwnFixedRows;
    const int Rows = q->GetRowCount();
    const int B = FOwnFixedRows < Rows ? FOwnFixedRows : Rows - 1;
    q->FFixedRows = B;
    if (q->FTopLeft.Y == OldBase || q->FTopLeft.Y < B) q->FTopLeft.Y = B;
    if (FOwnFixedRows == 0) ClearSpreadsheetHeadersAtZero();
}

void TCarrelonPrivate::LowerFixedCol() {
    const int Old = q->FFixedCols;
    q->FFixedCols = Old - 1;
    if (q->FFixedCols == 0) {
        q->FTopLeft.X = 0;
        ClearSpreadsheetHeadersAtZero();
    } else if (q->FTopLeft.X == Old) {
        q->FTopLeft.X = Old - 1;
    }
}

void TCarrelonPrivate::RenumberAfterEdit(const TReferenceMap& ColMap, const TReferenceMap& RowMap) {
    if (!FSpreadsheetEnabled) return;
    RenumberFormulas(ColMap, RowMap);
    q->Recalculate(nullptr);
}

void TCarrelonPrivate::EndStructuralEdit(bool Columns) {
    const bool Outermost = --FUpdateCount == 0;
    if (Outermost || Columns) q->Invalidate();
    if (Outermost) CheckAlwaysShowEditor();
}

// ---- workers ------------------------------------------------------------------------------

bool TCarrelonPrivate::DoInsertRow(int ARow, bool CreateCells) {
    const bool Room = q->GetRowCount() < TCarrelon::MaxCount &&
                      WithinBudget(static_cast<long long>(FAbsoluteCols.size()),
                                   static_cast<long long>(q->GetRowCount()) + 1);
    if (!Room || !FStore.InsertRow(ARow, CreateCells)) {
        ShowOutOfMemory();
        return false;
    }
    return true;
}

void TCarrelonPrivate::DoDeleteRow(int ARow) {
    FStore.DeleteRow(ARow);
}

bool TCarrelonPrivate::InsertColumnObject(int ACol) {
    const bool Room =
        q->GetColCount() < TCarrelon::MaxCount &&
        WithinBudget(static_cast<long long>(FAbsoluteCols.size()) + 1, q->GetRowCount());
    if (!Room || FStore.InsertColumn(ACol) == nullptr) {
        ShowOutOfMemory();
        return false;
    }
    UpdateInheritedColCount(q->GetColCount() + 1);
    MoveBaseColumn(q->GetColCount() - 1, ACol, false);
    CheckSelection();
    return true;
}

bool TCarrelonPrivate::DoMoveRow(int From, int To) {
    std::vector<TCarrelonCell*> Moved;
    if (!FStore.MoveRow(From, To, Moved)) {
        ShowOutOfMemory();
        return false;
    }
    if (!FSpreadsheetEnabled) return true;
    // The row goes through an inserted row T and a deleted source row S: references to the
    // source row from other cells go where a deleted row's would, the moved cells keep naming
    // their own row.
    const int H = FSpreadsheetHeaders ? 1 : 0;
    const int T = From < To ? To + 1 : To;
    const int S = From > To ? From + 1 : From;
    const int Low = std::max(S, H + 1);
    auto Row = [=](std::int64_t i) {
        if (i >= T) ++i;
        if (i >= Low) --i;
        return i;
    };
    TReferenceMap RowMap = [=](std::int64_t n) { return Row(n + H - 1) - H + 1; };
    TReferenceMap MovedRowMap = [=](std::int64_t n) {
        return n + H - 1 == From ? static_cast<std::int64_t>(To) - H + 1 : Row(n + H - 1) - H + 1;
    };
    std::sort(Moved.begin(), Moved.end());
    RenumberFormulas(
        nullptr, RowMap,
        [&](const TCarrelonCell* Cell) {
            return std::binary_search(Moved.begin(), Moved.end(), Cell);
        },
        nullptr, MovedRowMap);
    q->Recalculate(nullptr);
    return true;
}

bool TCarrelonPrivate::DoMoveColumn(int From, int To) {
    TCarrelonCol* F = FCols[From];
    const int AF = F->GetAbsoluteNumber();
    const int AD = FCols[To]->GetAbsoluteNumber();
    if (!FStore.MoveColumn(From, To)) {
        ShowOutOfMemory();
        return false;
    }
    if (FSpreadsheetEnabled) {
        // The columns between close the gap; references from other cells to the moved column
        // stay where they point, its own cells' references to it follow it.
        const int H = FSpreadsheetHeaders ? 1 : 0;
        auto Col = [=](std::int64_t n) -> std::int64_t {
            const std::int64_t a = n + H - 1;
            if (AF < AD && a > AF && a <= AD) return n - 1;
            if (AD < AF && a >= AD && a < AF) return n + 1;
            return n;
        };
        TReferenceMap MovedMap = [=](std::int64_t n) {
            return n + H - 1 == AF ? static_cast<std::int64_t>(AD) - H + 1 : Col(n);
        };
        RenumberFormulas(Col, nullptr, F, MovedMap);
        q->Recalculate(nullptr);
    }
    if (FSortColumn == From) FSortColumn = To;
    return true;
}

// ---- rows ---------------------------------------------------------------------------------

bool TCarrelon::InsertRow(int ARow) {
    if (!d->FModel || ARow < 0 || ARow >= GetRowCount()) return false;
    if (d->CheckEditorMode()) return false;
    if (!d->DoInsertRow(ARow, true)) {
        d->CheckAlwaysShowEditor();
        return false;
    }
    ++d->FUpdateCount;
    d->UpdateInheritedRowCount(GetRowCount() + 1);
    d->SyncBaseFixedRows();
    d->MoveBaseRow(GetRowCount() - 1, ARow, false);
    d->CheckSelection();
    if (ARow < GetFixedRows()) SetFixedRows(GetFixedRows() + 1);
    d->RenumberAfterEdit(nullptr, ShiftFrom(d->HeadingOffset(), ARow, 1));
    d->EndStructuralEdit(false);
    return true;
}

bool TCarrelon::InsertRowEx(int ACount, int ARow, bool After) {
    if (!d->FModel || ARow < 0 || ARow >= GetRowCount()) return false;
    if (d->CheckEditorMode()) return false;
    const int T = After ? ARow + 1 : ARow;
    if (!d->DoInsertRow(T, true)) {
        d->CheckAlwaysShowEditor();
        return false;
    }
    ++d->FUpdateCount;
    d->UpdateInheritedRowCount(GetRowCount() + 1);
    d->SyncBaseFixedRows();
    // The base grid's rows follow the model also without individual heights, so that the
    // current cell stays on its content as with InsertRow.
    d->MoveBaseRow(GetRowCount() - 1, T, false);
    if (T < GetFixedRows()) SetFixedRows(GetFixedRows() + 1);
    const int Count = std::min(ACount, GetColCount());
    if (Count > 0 && !GetCells(Count - 1, T)->IsMerged()) {
        // Joins the new row to the reference row; formulas wait for the renumbering below.
        const bool Enabled = d->FSpreadsheetEnabled;
        d->FSpreadsheetEnabled = false;
        TScopeExit Restore([&] { d->FSpreadsheetEnabled = Enabled; });
        for (int k = 0; k < Count; ++k)
            MergeVert(k, ARow, ARow + 1, AnsiString());
    }
    d->CheckSelection();
    d->RenumberAfterEdit(nullptr, ShiftFrom(d->HeadingOffset(), T, 1));
    d->EndStructuralEdit(false);
    return true;
}

bool TCarrelon::DeleteRow(int ARow) {
    if (!d->FModel || ARow < 0 || ARow >= GetRowCount() || GetRowCount() == 1) return false;
    if (d->CheckEditorMode()) return false;
    ++d->FUpdateCount;
    if (ARow < GetFixedRows()) d->LowerFixedRow();
    const int Last = GetRowCount() - 1;
    d->MoveBaseRow(ARow, Last, GetRow() == ARow);
    d->DoDeleteRow(ARow);
    d->UpdateInheritedRowCount(Last);
    d->SyncBaseFixedRows();
    if (FCurrent.Y >= Last) FCurrent.Y = Last - 1;
    d->CheckSelection();
    const int H = d->HeadingOffset();
    d->RenumberAfterEdit(nullptr, ShiftFrom(H, std::max(ARow, H + 1), -1));
    d->EndStructuralEdit(false);
    return true;
}

bool TCarrelon::MoveRow(int FromIndex, int ToIndex) {
    const int Rows = GetRowCount();
    if (!d->FModel || FromIndex < 0 || ToIndex < 0 || FromIndex >= Rows || ToIndex >= Rows ||
        FromIndex == ToIndex)
        return false;
    if ((FromIndex < GetFixedRows()) != (ToIndex < GetFixedRows())) return false;
    if (d->CheckEditorMode()) return false;
    ++d->FUpdateCount;
    const bool Moved = d->DoMoveRow(FromIndex, ToIndex);
    if (Moved) {
        d->MoveBaseRow(FromIndex, ToIndex, false);
        d->CheckSelection();
    }
    d->EndStructuralEdit(false);
    if (Moved && OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
    return Moved;
}

// ---- columns ------------------------------------------------------------------------------

bool TCarrelon::InsertColumn(int ACol) {
    if (!d->FModel || ACol < 0 || ACol >= GetColCount()) return false;
    if (d->CheckEditorMode()) return false;
    const int A = d->FCols[ACol]->GetAbsoluteNumber();
    ++d->FUpdateCount;
    if (!d->InsertColumnObject(ACol)) {
        d->EndStructuralEdit(true);
        return false;
    }
    if (ACol < GetFixedCols()) SetFixedCols(GetFixedCols() + 1);
    d->RenumberAfterEdit(ShiftFrom(d->HeadingOffset(), A, 1), nullptr);
    d->EndStructuralEdit(true);
    return true;
}

bool TCarrelon::DeleteColumn(int ACol) {
    const int Cols = GetColCount();
    if (!d->FModel || ACol < 0 || ACol >= Cols || Cols == 1) return false;
    if (d->CheckEditorMode()) return false;
    ++d->FUpdateCount;
    if (ACol < GetFixedCols()) {
        d->LowerFixedCol();
        --d->FAbsoluteFixedCols;
    } else if (ACol == Cols - 1 && GetFixedCols() + 1 == Cols) {
        SetFixedCols(GetFixedCols() - 1);
    }
    const int A = d->FCols[ACol]->GetAbsoluteNumber();
    d->FStore.DeleteColumn(ACol);
    d->MoveBaseColumn(ACol, Cols - 1, GetCol() == ACol);
    d->UpdateInheritedColCount(Cols - 1);
    if (FCurrent.X >= Cols - 1) FCurrent.X = Cols - 2;
    d->CheckSelection();
    const int H = d->HeadingOffset();
    d->RenumberAfterEdit(ShiftFrom(H, std::max(A, H + 1), -1), nullptr);
    d->EndStructuralEdit(true);
    return true;
}

bool TCarrelon::MoveColumn(int FromIndex, int ToIndex) {
    const int Cols = GetColCount();
    if (!d->FModel || FromIndex < 0 || ToIndex < 0 || FromIndex >= Cols || ToIndex >= Cols ||
        FromIndex == ToIndex)
        return false;
    if ((FromIndex < GetFixedCols()) != (ToIndex < GetFixedCols())) return false;
    if (d->CheckEditorMode()) return false;
    ++d->FUpdateCount;
    const bool Moved = d->DoMoveColumn(FromIndex, ToIndex);
    if (Moved) {
        d->MoveBaseColumn(FromIndex, ToIndex, false);
        d->CheckSelection();
    }
    d->EndStructuralEdit(true);
    if (Moved && OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
    return Moved;
}

}  // namespace carrelon
