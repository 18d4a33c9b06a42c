// The current cell, the anchor and the list of selected cells: moving them, keeping them
// consistent with the options, and the selection events.
#include <algorithm>
#include <vector>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/WinUser.h"
#include "platform/rtl/DateTime.h"

namespace carrelon {

namespace {
constexpr double kDragDelay = 5.787037037037037e-6;  // half a second, in days
}  // namespace

// ---------------------------------------------------------------------------------------------
// Helpers

TGridCoord TCarrelonPrivate::SelectionView() const {
    return ReadFTopLeft();
}

int TCarrelonPrivate::HeadingOffset() const {
    return q->GetSpreadsheetHeaders() ? 1 : 0;
}

bool TCarrelonPrivate::TargetOutsideFixed(int ACol, int ARow) const {
    return ACol >= q->TCustomGrid::GetFixedCols() && ARow >= q->TCustomGrid::GetFixedRows();
}

bool TCarrelonPrivate::LockDrawing() {
    return q->HandleAllocated() && LockWindowUpdate(q->GetHandle());
}

void TCarrelonPrivate::UnlockDrawing(bool Locked) {
    if (Locked) LockWindowUpdate(nullptr);
}

void TCarrelonPrivate::ValidateClient() {
    if (q->HandleAllocated()) ValidateRect(q->GetHandle(), nullptr);
}

void TCarrelonPrivate::RepaintAfterScroll() {
    FSkipErase = true;
    q->Invalidate();
}

// Appends every cell of the base selection rectangle, columns outer and rows inner; a merged
// cell is listed once. Invalidate: repaint each newly listed cell.
void TCarrelonPrivate::ListSelectionRect(bool InvalidateAdded) {
    const TGridRect R = q->TCustomGrid::GetSelection();
    TSelectedCellList& L = FSelectedCells->List();
    const long long Slots = (R.Right - R.Left + 1LL) * (R.Bottom - R.Top + 1LL);
    if (Slots > 0) L.Reserve(static_cast<std::size_t>(std::min(Slots, 1LL << 26)));
    for (int c = R.Left; c <= R.Right; ++c)
        for (int r = R.Top; r <= R.Bottom; ++r) {
            TCarrelonCell* Cell = q->GetCells(c, r);
            if (L.Add(Cell) && InvalidateAdded) Cell->Invalidate();
        }
}

// ---------------------------------------------------------------------------------------------
// Initialize and CheckSelection

void TCarrelonPrivate::Initialize() {
    TGridCoord Start{q->GetFixedCols(), q->GetFixedRows()};
    if (q->GetOptions().Contains(cloSelectFixedCols)) Start.X = HeadingOffset();
    if (q->GetOptions().Contains(cloSelectFixedRows)) Start.Y = HeadingOffset();
    if (q->GetFixedRows() == q->GetRowCount() && !q->GetOptions().Contains(cloSelectFixedRows))
        Start = {-1, -1};
    // The headings may be all the grid holds: then no cell starts the selection.
    if (Start.X >= q->GetColCount() || Start.Y >= q->GetRowCount()) Start = {-1, -1};
    WriteFCurrent(Start);
    TGridCoord Anchor = Start;
    if (q->GetOptions().Contains(cloRowSelect) && Anchor.X != -1) Anchor.X = q->GetColCount() - 1;
    WriteFAnchor(Anchor);
    if (Designing() || !FSelectedCells) return;
    FSelectedCells->List().Clear();
    if (q->GetRow() == -1) return;
    const TGridRect R = q->TCustomGrid::GetSelection();
    for (int c = R.Left; c <= R.Right; ++c)
        FSelectedCells->List().Add(q->GetCells(c, R.Top));
}

// Clamps one coordinate by the rules shared by the current cell and the anchor.
TGridCoord TCarrelonPrivate::ClampSelectionCoord(TGridCoord P) const {
    const TCarrelonOptions O = q->GetOptions();
    P.X = std::min(P.X, q->GetColCount() - 1);
    P.Y = std::min(P.Y, q->GetRowCount() - 1);
    if (P.X < q->GetFixedCols() && !O.Contains(cloSelectFixedCols)) P.X = q->GetFixedCols();
    if (P.Y < q->GetFixedRows() && !O.Contains(cloSelectFixedRows)) {
        if (q->GetFixedRows() == q->GetRowCount()) return {-1, -1};
        P.Y = q->GetFixedRows();
    }
    return P;
}

// True when a cell may stay listed under cloMultiSelect.
bool TCarrelonPrivate::MayStaySelected(const TCarrelonCell* Cell) const {
    const TCarrelonOptions O = q->GetOptions();
    const int Start = Cell->GetStartCol();
    if (Start == -1) return false;
    if (Cell->Row < q->GetFixedRows() && !O.Contains(cloSelectFixedRows)) return false;
    if (Start < q->GetFixedCols() && !O.Contains(cloSelectFixedCols)) return false;
    if (q->GetSpreadsheetHeaders() && (Cell->Row == 0 || Start == 0)) return false;
    return true;
}

void TCarrelonPrivate::CheckSelection() {
    CheckSelectionDropping(nullptr);
}

void TCarrelonPrivate::CheckSelectionDropping(std::vector<TCarrelonCell*>* Dropped) {
    if (FIniLoading || !FSelectedCells) return;
    if (ReadFCurrent().X == -1) {
        Initialize();
        return;
    }
    const TCarrelonOptions O = q->GetOptions();
    TGridCoord Cur = ClampSelectionCoord(ReadFCurrent());
    if (O.Contains(cloRowSelect) && Cur.X != -1) Cur.X = q->GetFixedCols();
    WriteFCurrent(Cur);
    TGridCoord Anchor = ClampSelectionCoord(ReadFAnchor());
    if (!O.Contains(cloRangeSelect)) Anchor = Cur;
    if (O.Contains(cloRowSelect) && Anchor.X != -1) Anchor.X = q->GetColCount() - 1;
    WriteFAnchor(Anchor);

    TSelectedCellList& L = FSelectedCells->List();
    L.MarkChanged();  // extents of listed cells may have changed with the grid
    std::vector<TCarrelonCell*> Before;
    if (Dropped != nullptr) Before = L.Snapshot();

    if (q->GetRow() == -1) {
        L.Clear();
    } else if (!O.Contains(cloMultiSelect)) {
        L.Clear();
        ListSelectionRect(false);
    } else {
        L.RemoveIf([&](TCarrelonCell* c) { return !MayStaySelected(c); });
        if (!O.Contains(cloRowSelect)) {
            L.Add(q->GetCells(q->GetCol(), q->GetRow()));
        } else {
            const TGridRect R = q->TCustomGrid::GetSelection();
            std::vector<int> Rows;
            L.ForEach([&](TCarrelonCell* c) {
                if (c->Row > R.Bottom) Rows.push_back(c->Row);
                if (c->GetEndRow() < R.Top) Rows.push_back(c->GetEndRow());
            });
            for (int r = R.Top; r <= R.Bottom; ++r)
                Rows.push_back(r);
            for (int r : Rows)
                for (int c = q->GetFixedCols(); c < q->GetColCount(); ++c)
                    L.Add(q->GetCells(c, r));
        }
    }
    if (Dropped != nullptr)
        for (TCarrelonCell* c : Before)
            if (!L.Contains(c)) Dropped->push_back(c);
}

// ---------------------------------------------------------------------------------------------
// Moves

bool TCarrelon::SetSelection(int ALeft, int ATop, int ARight, int ABottom) {
    const int H = d->HeadingOffset();
    if (ALeft < H || ARight >= GetColCount() || ATop < H || ABottom >= GetRowCount() ||
        ARight < ALeft || ABottom < ATop)
        return false;
    if (d->CheckEditorMode()) return false;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    TCustomGrid::SetSelection(TGridRect{ALeft, ATop, ARight, ABottom});
    if (GetVisible()) d->ValidateClient();
    {
        // The rectangle is a range even without range selection, and replaces a multi-cell list.
        const TCarrelonOptions Saved = GetOptions();
        TScopeExit Restore([&] { d->FCarrelonOptions = Saved; });
        d->FCarrelonOptions = (Saved - cloMultiSelect) + cloRangeSelect;
        d->CheckSelection();
    }
    if (GetVisible()) Invalidate();
    return true;
}

bool TCarrelonPrivate::InsideGrid(int ACol, int ARow) const {
    return ACol >= 0 && ARow >= 0 && ACol < q->GetColCount() && ARow < q->GetRowCount();
}

void TCarrelonPrivate::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show, bool ClearList) {
    if (!InsideGrid(ACol, ARow) || !FSelectedCells) return;
    q->Update();
    const bool Locked = LockDrawing();
    const TGridCoord View = SelectionView();
    const bool RowSelect = q->GetOptions().Contains(cloRowSelect);
    TCarrelonCell* OldCurrent = nullptr;
    if (!ClearList && !RowSelect && q->GetRow() != -1)
        OldCurrent = q->GetCells(q->GetCol(), q->GetRow());

    FSelectVetoed = false;
    {
        ++FUpdateCount;
        TScopeExit Lower([this] { --FUpdateCount; });
        q->TCustomGrid::MoveColRow(ACol, ARow, MoveAnchor, Show);
    }
    UnlockDrawing(Locked);
    ValidateClient();
    // A refused move leaves current cell, anchor and list as they were.
    if (FSelectVetoed) return;

    const bool SameView = SelectionView() == View;
    if (ClearList) {
        if (SameView) FSelectedCells->Invalidate();
        FSelectedCells->List().Clear();
    } else if (OldCurrent != nullptr) {
        OldCurrent->Invalidate();
    }
    if (q->GetRow() != -1) {
        if (RowSelect) {
            ListSelectionRect(SameView);
        } else {
            TCarrelonCell* Cell = q->GetCells(q->GetCol(), q->GetRow());
            if (FSelectedCells->List().Add(Cell) && SameView) Cell->Invalidate();
        }
    }
    if (!SameView) RepaintAfterScroll();
}

void TCarrelonPrivate::MoveAnchor(const TGridCoord& NewAnchor) {
    if (!InsideGrid(NewAnchor.X, NewAnchor.Y) || !FSelectedCells) return;
    if (!q->GetOptions().Contains(cloRangeSelect)) {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, TargetOutsideFixed(NewAnchor.X, NewAnchor.Y),
                    true);
        return;
    }
    bool CanSelect = true;
    if (q->OnSelectRange) q->OnSelectRange(q, NewAnchor.X, NewAnchor.Y, CanSelect);
    if (!CanSelect) return;

    q->Update();
    const TGridRect Old = q->TCustomGrid::GetSelection();
    const TGridCoord View = SelectionView();
    if (!TargetOutsideFixed(NewAnchor.X, NewAnchor.Y)) {
        TGridCoord A = NewAnchor;
        if (q->GetOptions().Contains(cloRowSelect)) A.X = q->GetColCount() - 1;
        WriteFAnchor(A);
    } else {
        // One column short of the target; the base grid's own step to the right then lands on
        // it with its anchor rules and scrolls it into view.
        WriteFAnchor(TGridCoord{NewAnchor.X - 1, NewAnchor.Y});
        const bool Locked = LockDrawing();
        {
            ++FUpdateCount;
            TScopeExit Lower([this] { --FUpdateCount; });
            q->TCustomGrid::TimedScroll(TScrollDirections{sdRight});
        }
        UnlockDrawing(Locked);
        ValidateClient();
    }
    const TGridRect New = q->TCustomGrid::GetSelection();
    const bool SameView = SelectionView() == View;
    UpdateListByStrips(Old, New, SameView);
    if (!SameView) RepaintAfterScroll();
}

namespace {
long long Area(long long Width, long long Height) {
    return Width > 0 && Height > 0 ? Width * Height : 0;
}
bool Overlaps(int First, int Last, int From, int To) {
    return First <= To && Last >= From;
}
// Reserving beyond this is left to the list's own growth.
constexpr long long kReserveCap = 1LL << 26;
}  // namespace

// Brings the list from rectangle Old to rectangle New by the strips that entered or left it. A
// merged cell leaves only when its last slot on the shrinking side leaves the rectangle.
void TCarrelonPrivate::UpdateListByStrips(const TGridRect& Old, const TGridRect& New,
                                          bool Repaint) {
    TSelectedCellList& L = FSelectedCells->List();
    const long long NewW = New.Right - New.Left + 1, NewH = New.Bottom - New.Top + 1;
    const long long OldW = Old.Right - Old.Left + 1, OldH = Old.Bottom - Old.Top + 1;
    // Slots of New outside Old: at most that many cells enter.
    const long long Common =
        Area(std::min(Old.Right, New.Right) - std::max(Old.Left, New.Left) + 1LL,
             std::min(Old.Bottom, New.Bottom) - std::max(Old.Top, New.Top) + 1LL);
    const long long Entering = NewW * NewH - Common;
    if (Entering > 0) L.Reserve(static_cast<std::size_t>(std::min(Entering, kReserveCap)));

    // Cells enter in batches, in strip order, so the list can fetch their buckets ahead.
    std::vector<TCarrelonCell*> Batch, Added;
    Batch.reserve(1024);
    const auto Flush = [&] {
        L.AddRun(Batch.data(), Batch.size(), Repaint ? &Added : nullptr);
        Batch.clear();
    };
    const auto Add = [&](int c, int r) {
        Batch.push_back(q->GetCells(c, r));
        if (Batch.size() == 1024) Flush();
    };
    for (int c = Old.Right + 1; c <= New.Right; ++c)
        for (int r = New.Top; r <= New.Bottom; ++r)
            Add(c, r);
    for (int r = Old.Bottom + 1; r <= New.Bottom; ++r)
        for (int c = New.Left; c <= New.Right; ++c)
            Add(c, r);
    for (int c = Old.Left - 1; c >= New.Left; --c)
        for (int r = New.Top; r <= New.Bottom; ++r)
            Add(c, r);
    for (int r = Old.Top - 1; r >= New.Top; --r)
        for (int c = New.Left; c <= New.Right; ++c)
            Add(c, r);
    Flush();
    for (TCarrelonCell* Cell : Added)
        Cell->Invalidate();

    const long long Leaving = Area(Old.Right - New.Right, OldH) +
                              Area(Old.Bottom - New.Bottom, OldW) +
                              Area(New.Left - Old.Left, OldH) + Area(New.Top - Old.Top, OldW);
    if (Leaving == 0) return;
    std::vector<TCarrelonCell*> Dropped;
    if (Leaving > 4096 && Leaving * 4 > L.Count()) {
        // Most of the list leaves: one pass over the list with the strip rules as a test on
        // each cell's extent, instead of a lookup per slot.
        L.RemoveIf([&](TCarrelonCell* Cell) {
            const int s = Cell->GetStartCol();
            if (s < 0) return false;
            const int e = Cell->GetEndCol(), r0 = Cell->Row, r1 = Cell->GetEndRow();
            const bool InOldRows = Overlaps(r0, r1, Old.Top, Old.Bottom);
            const bool InOldCols = Overlaps(s, e, Old.Left, Old.Right);
            const bool Leaves = (s > New.Right && s <= Old.Right && InOldRows) ||
                                (r0 > New.Bottom && r0 <= Old.Bottom && InOldCols) ||
                                (e < New.Left && e >= Old.Left && InOldRows) ||
                                (r1 < New.Top && r1 >= Old.Top && InOldCols);
            if (Leaves && Repaint) Dropped.push_back(Cell);
            return Leaves;
        });
    } else {
        const auto Drop = [&](TCarrelonCell* Cell) {
            if (L.Remove(Cell) && Repaint) Dropped.push_back(Cell);
        };
        for (int c = New.Right + 1; c <= Old.Right; ++c)
            for (int r = Old.Top; r <= Old.Bottom; ++r) {
                TCarrelonCell* Cell = q->GetCells(c, r);
                if (Cell->GetStartCol() == c) Drop(Cell);
            }
        for (int r = New.Bottom + 1; r <= Old.Bottom; ++r)
            for (int c = Old.Left; c <= Old.Right; ++c) {
                TCarrelonCell* Cell = q->GetCells(c, r);
                if (Cell->Row == r) Drop(Cell);
            }
        for (int c = Old.Left; c <= New.Left - 1; ++c)
            for (int r = Old.Top; r <= Old.Bottom; ++r) {
                TCarrelonCell* Cell = q->GetCells(c, r);
                if (Cell->GetEndCol() == c) Drop(Cell);
            }
        for (int r = Old.Top; r <= New.Top - 1; ++r)
            for (int c = Old.Left; c <= Old.Right; ++c) {
                TCarrelonCell* Cell = q->GetCells(c, r);
                if (Cell->GetEndRow() == r) Drop(Cell);
            }
    }
    for (TCarrelonCell* Cell : Dropped)
        Cell->Invalidate();
}

bool TCarrelon::SelectCell(int ACol, int ARow) {
    if (d->CheckEditorMode()) {
        d->FSelectVetoed = true;
        return false;
    }
    bool CanSelect = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, CanSelect);
    if (!CanSelect) {
        d->FSelectVetoed = true;
        FGridState = gsNormal;  // an ongoing drag selection ends
        return false;
    }
    d->CurrentCellLeaving(ACol, ARow);
    return true;
}

// Scrolls by hand to a target in a fixed band of a scrollable row or column, which the base
// move leaves alone.
void TCarrelonPrivate::ScrollToFixedBandTarget(int ACol, int ARow) {
    if (ACol >= q->GetFixedCols() && ARow < q->GetFixedRows()) {
        if (q->GetTopRow() == -1) return;
        int t = q->GetTopRow();
        while (t > ARow && t > q->GetFixedRows())
            --t;
        const int Vis = q->GetVisibleRowCount();
        if (t + Vis - 1 < ARow) t = ARow - Vis + 1;
        q->SetTopRow(t);
    } else if (ACol < q->GetFixedCols() && ARow >= q->GetFixedRows()) {
        int t = q->GetLeftCol();
        while (t > ACol && t > q->GetFixedCols())
            --t;
        const int Vis = q->GetVisibleColCount();
        if (t + Vis - 1 < ACol) t = ACol - Vis + 1;
        q->SetLeftCol(t);
    }
}

bool TCarrelonPrivate::DoFocusCell(int ACol, int ARow, int NewLeftCol, int NewTopRow,
                                   bool MoveAnchor) {
    if (!InsideGrid(ACol, ARow) || !FSelectedCells) return false;
    if (!MoveAnchor && q->OnSelectRange) {
        bool CanSelect = true;
        q->OnSelectRange(q, ACol, ARow, CanSelect);
        if (!CanSelect) return false;
    }
    bool Locked = false;
    if (q->HandleAllocated() && FUpdateCount == 0) {
        q->Update();
        Locked = LockDrawing();
    }
    ++FUpdateCount;
    const TGridCoord View = SelectionView();
    bool Result = false;
    {
        TScopeExit Lower([&] {
            if (--FUpdateCount == 0) {
                UnlockDrawing(Locked);
                ValidateClient();
            }
        });
        if (NewLeftCol != -1) q->SetLeftCol(NewLeftCol);
        if (NewTopRow != -1) q->SetTopRow(NewTopRow);
        if (NewLeftCol == -1 && NewTopRow == -1) ScrollToFixedBandTarget(ACol, ARow);
        q->TCustomGrid::MoveColRow(ACol, ARow, MoveAnchor, TargetOutsideFixed(ACol, ARow));
        Result = q->GetCol() == ACol && q->GetRow() == ARow;
    }
    const bool SameView = SelectionView() == View;
    if (!Result) {
        // A refused move may still have scrolled: show the new view.
        if (FUpdateCount == 0 && !SameView) RepaintAfterScroll();
        return false;
    }
    if (FUpdateCount == 0 && SameView) FSelectedCells->Invalidate();
    FSelectedCells->List().Clear();
    ListSelectionRect(false);
    if (FUpdateCount == 0) {
        if (SameView)
            FSelectedCells->Invalidate();
        else
            RepaintAfterScroll();
    }
    q->Click();
    return true;
}

void TCarrelon::SetCol(int Value) {
    if (GetRow() == -1 || Value < 0 || Value >= GetColCount() || Value == GetCol()) return;
    if (d->CheckEditorMode()) return;
    d->DoFocusCell(Value, GetRow(), -1, -1, true);
    d->CheckAlwaysShowEditor();
}

void TCarrelon::SetRow(int Value) {
    if (GetRow() == -1 || Value < 0 || Value >= GetRowCount() || Value == GetRow()) return;
    if (d->CheckEditorMode()) return;
    d->DoFocusCell(GetCol(), Value, -1, -1, true);
    d->CheckAlwaysShowEditor();
}

bool TCarrelonPrivate::CanFocusCell(int ACol, int ARow) {
    if (ACol == q->GetCol() && ARow == q->GetRow()) return false;
    const int H = HeadingOffset();
    if (ACol < H || ACol >= q->GetColCount() || ARow < H || ARow >= q->GetRowCount()) return false;
    if (ACol < q->GetFixedCols() && !q->GetOptions().Contains(cloSelectFixedCols)) return false;
    if (ARow < q->GetFixedRows() && !q->GetOptions().Contains(cloSelectFixedRows)) return false;
    return !CheckEditorMode();
}

bool TCarrelon::FocusCell(int ACol, int ARow) {
    if (!d->CanFocusCell(ACol, ARow)) return false;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    return d->DoFocusCell(ACol, ARow, -1, -1, true);
}

bool TCarrelon::FocusCellEx(int ACol, int ARow) {
    if (!d->CanFocusCell(ACol, ARow)) return false;
    TCarrelonCell* OldCell = GetRow() != -1 ? GetCells(GetCol(), GetRow()) : nullptr;
    bool Locked = false;
    if (d->FUpdateCount == 0) {
        Update();
        Locked = d->LockDrawing();
    }
    ++d->FUpdateCount;
    const TGridCoord View = d->SelectionView();
    {
        TScopeExit Lower([&] {
            if (--d->FUpdateCount == 0) {
                d->UnlockDrawing(Locked);
                d->ValidateClient();
            }
        });
        d->ScrollToFixedBandTarget(ACol, ARow);
        TCustomGrid::MoveColRow(ACol, ARow, true, d->TargetOutsideFixed(ACol, ARow));
    }
    TCarrelonCell* NewCell = GetRow() != -1 ? GetCells(GetCol(), GetRow()) : nullptr;
    std::vector<TCarrelonCell*> Dropped;
    d->CheckSelectionDropping(&Dropped);
    if (d->FUpdateCount == 0) {
        if (d->SelectionView() != View) {
            d->RepaintAfterScroll();
        } else {
            // Cells the check took out of the list lose their highlight too.
            for (TCarrelonCell* c : Dropped)
                c->Invalidate();
            if (NewCell != OldCell) {
                if (OldCell != nullptr) OldCell->Invalidate();
                if (NewCell != nullptr) NewCell->Invalidate();
            }
        }
    }
    Click();
    d->CheckAlwaysShowEditor();
    return GetCol() == ACol && GetRow() == ARow;
}

void TCarrelon::TimedScroll(TScrollDirections Direction) {
    if (Now() - d->FMouseDownTime < kDragDelay) return;
    d->FDragWait = false;
    TGridCoord A = d->ReadFAnchor();
    const TGridCoord Old = A;
    if (Direction.Contains(sdLeft) && A.X > GetFixedCols()) --A.X;
    if (Direction.Contains(sdRight) && A.X < GetColCount() - 1) ++A.X;
    if (Direction.Contains(sdUp) && A.Y > GetFixedRows()) --A.Y;
    if (Direction.Contains(sdDown) && A.Y < GetRowCount() - 1) ++A.Y;
    if (A != Old) d->MoveAnchor(A);
}

}  // namespace carrelon
