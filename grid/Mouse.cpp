// The grid's mouse: a press decides, in a fixed order, between double-click actions, sizing a
// row or column, sorting by a header, check boxes, push buttons, dragging rows or columns in
// the fixed area, Ctrl+click deselection, click-to-edit and range selection with its
// auto-scroll timer; moves track the range, hints and pushed buttons; the release completes
// what the press began. The wheel moves the current row.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

// ---- what lies under the pointer -------------------------------------------------------------

TCarrelonCell* TCarrelonPrivate::CellAt(TGridCoord P) const {
    return InsideGrid(P.X, P.Y) ? q->GetCells(P.X, P.Y) : nullptr;
}

bool TCarrelonPrivate::SelectableSlot(TGridCoord P) const {
    if (!InsideGrid(P.X, P.Y)) return false;
    const int H = HeadingOffset();
    const bool ColOk =
        P.X >= q->GetFixedCols() || (FCarrelonOptions.Contains(cloSelectFixedCols) && P.X >= H);
    const bool RowOk =
        P.Y >= FOwnFixedRows || (FCarrelonOptions.Contains(cloSelectFixedRows) && P.Y >= H);
    return ColOk && RowOk;
}

bool TCarrelonPrivate::IsSortHeader(const TCarrelonCell* Cell) const {
    return Cell != nullptr && Cell->GetEndRow() == FOwnFixedRows - 1;
}

// ---- the press ------------------------------------------------------------------------------

void TCarrelon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    d->FMouseButtonDown = true;
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    const bool Design = d->Designing() || !d->FModel;
    TGridCoord P{-1, -1};
    if (!Design) {
        P = MouseCoord(X, Y);
        // A press while the edit cannot be committed is swallowed.
        if (d->CheckEditorMode()) return;
        const TCustomForm* Form = GetParentForm(this);
        if (CanFocus() || (Form == nullptr && GetParent() == nullptr && GetVisible()))
            TCustomGrid::SetFocus();
        if (!d->IsActiveControl()) {
            // Another control kept the focus (its exit refused): the press ends here.
            d->AbandonPress();
            SetMouseCapture(false);
            return;
        }
    }
    if (Button != mbLeft) return;
    if (Shift.Contains(ssDouble) && !Design)
        d->DoubleClickPress(P, X, Y);
    else
        d->SingleClickPress(P, Shift, X, Y);
}

void TCarrelonPrivate::DoubleClickPress(TGridCoord P, int X, int Y) {
    if (TCarrelonCell* Cell = CellAt(P); Cell != nullptr && Cell->GetButton()) {
        PushButton(Cell);
        return;
    }
    q->DblClick();
    TGridState State = gsNormal;
    int Index = -1, Pos = 0, Ofs = 0;
    q->CalcSizingState(X, Y, State, Index, Pos, Ofs);
    if (State == gsColSizing) {
        DoAutoSizeColumn(Index, true);
        return;
    }
    if (State == gsRowSizing) {
        const int OldSize = q->GetRowHeights(Index);
        DoResizeRow(Index, true, true, -1);
        if (Index >= q->GetRowCount()) return;
        const int NewSize = q->GetRowHeights(Index);
        if (NewSize != OldSize && q->OnRowResized) q->OnRowResized(q, Index, OldSize, NewSize);
        return;
    }
    if (FSortOnDblClick && !FSortOnClick && IsSortHeader(CellAt(P))) SortToggle(P);
    // A double click never starts a selection.
}

void TCarrelonPrivate::SingleClickPress(TGridCoord P, TShiftState Shift, int X, int Y) {
    q->CalcSizingState(X, Y, q->FGridState, q->FSizingIndex, q->FSizingPos, q->FSizingOfs);
    if (q->FGridState != gsNormal) {
        q->GetCanvas()->GetPen()->SetColor(clBlack);
        q->DrawSizingLine();
        return;
    }
    if (Designing() || !FModel) return;
    const bool ShiftKey = Shift.Contains(ssShift);
    const bool CtrlKey = Shift.Contains(ssCtrl);
    if (FSortOnClick && IsSortHeader(CellAt(P))) {
        SortToggle(P);
        return;
    }
    if (TCarrelonCell* Cell = CellAt(P); Cell != nullptr && !ShiftKey && !CtrlKey &&
                                         FCarrelonOptions.Contains(cloEditing) &&
                                         Cell->GetCheckBox() && !Cell->GetReadOnly())
        Cell->SetCheckBoxChecked(!Cell->GetCheckBoxChecked());
    // The check box's handler may have changed the grid: the slot is read again.
    TCarrelonCell* Cell = CellAt(P);
    const bool Show = TargetOutsideFixed(P.X, P.Y);
    if (Cell != nullptr && Cell->GetButton()) {
        PushButton(Cell);
        if (SelectableSlot(P)) MoveCurrent(P.X, P.Y, true, Show, true);
        return;
    }
    if (!SelectableSlot(P)) {
        BeginFixedDrag(P, X, Y);
        return;
    }
    if (FCarrelonOptions.Contains(cloMultiSelect) && CtrlKey && FSelectedCells->Contains(Cell)) {
        DeselectByClick(P, Cell);
        return;
    }
    if (FCarrelonOptions.Contains(cloEditing) && !ShiftKey && !CtrlKey && q->IsCurrentCell(Cell) &&
        !Cell->GetReadOnly() && !Cell->GetCheckBox()) {
        q->SetEditorMode(true);
        return;
    }
    q->FGridState = gsSelecting;
    FMouseDownTime = Now();
    q->StartTimer();
    if (ShiftKey)
        MoveAnchor(P);
    else
        MoveCurrent(P.X, P.Y, true, Show, !(FCarrelonOptions.Contains(cloMultiSelect) && CtrlKey));
    // The move scrolled another cell under the pointer: the range waits for the timer.
    FDragWait = !(P == q->MouseCoord(X, Y));
}

// A press in the fixed area starts dragging a row (in the fixed columns) or a column (in the
// fixed rows) where the options and the application allow it.
void TCarrelonPrivate::BeginFixedDrag(TGridCoord P, int X, int Y) {
    const int FixedCols = q->GetFixedCols();
    TGridState Moving = gsNormal;
    if (FCarrelonOptions.Contains(cloRowMoving) && P.X >= 0 && P.X < FixedCols &&
        P.Y >= FOwnFixedRows) {
        q->FMoveIndex = q->FMovePos = P.Y;
        if (q->BeginRowDrag(q->FMoveIndex, q->FMovePos, TPoint{X, Y})) Moving = gsRowMoving;
    } else if (FCarrelonOptions.Contains(cloColMoving) && P.Y >= 0 && P.Y < FOwnFixedRows &&
               P.X >= FixedCols) {
        q->FMoveIndex = q->FMovePos = P.X;
        if (q->BeginColumnDrag(q->FMoveIndex, q->FMovePos, TPoint{X, Y})) Moving = gsColMoving;
    }
    if (Moving == gsNormal) return;
    const TColor Line = ColorToRGB(FGridLineColor);
    q->GetCanvas()->GetPen()->SetColor(Line == 0 ? static_cast<TColor>(0xC0C0C0) : Line);
    q->FGridState = Moving;
    q->Update();
    q->DrawMove();
    q->StartTimer();
}

// Ctrl+click on a listed cell takes it out of the list (under row selection, its whole row);
// the current cell and the current row stay.
void TCarrelonPrivate::DeselectByClick(TGridCoord P, TCarrelonCell* Cell) {
    if (!FCarrelonOptions.Contains(cloRowSelect)) {
        if (!q->IsCurrentCell(Cell)) FSelectedCells->Remove(Cell);
        return;
    }
    if (P.Y == q->GetRow()) return;
    // Each removal tells the application, which may change the grid.
    for (int c = q->GetFixedCols(); c < q->GetColCount() && P.Y < q->GetRowCount(); ++c)
        FSelectedCells->Remove(q->GetCells(c, P.Y));
}

void TCarrelonPrivate::PushButton(TCarrelonCell* Cell) {
    FPushedButtonCell = Cell;
    Cell->WriteFButtonPushed(true);
    Cell->Invalidate();
}

// A header click: the sort column's order turns round, another column becomes the sort
// column. Nothing is sorted while every row is fixed; the two headers only repaint.
void TCarrelonPrivate::SortToggle(TGridCoord P) {
    const int Old = FSortColumn;
    if (P.X == FSortColumn)
        q->SetSortDescending(!FSortDescending);
    else
        q->SetSortColumn(P.X);
    if (q->GetRowCount() != FOwnFixedRows) {
        q->Sort();
        return;
    }
    for (int c : {Old, FSortColumn})
        if (InsideGrid(c, P.Y)) q->GetCells(c, P.Y)->Invalidate();
}

// ---- moving ---------------------------------------------------------------------------------

void TCarrelon::MouseMove(TShiftState Shift, int X, int Y) {
    if (d->Designing() || !d->FModel) {
        TCustomGrid::MouseMove(Shift, X, Y);
        return;
    }
    // A press whose release went elsewhere has ended.
    if (d->FMouseButtonDown && !Shift.Contains(ssLeft) && !Shift.Contains(ssRight) &&
        !Shift.Contains(ssMiddle) && FGridState == gsNormal)
        d->AbandonPress();
    const TGridCoord P = MouseCoord(X, Y);
    if (GetShowHint() && FGridState == gsNormal) {
        TCarrelonCell* Cell = d->CellAt(P);
        if (Cell != d->FHintCell) {
            d->FHintCell = Cell;
            Application()->CancelHint();
        }
    }
    if (TCarrelonCell* Pushed = d->FPushedButtonCell; Pushed != nullptr && d->CellAt(P) != Pushed) {
        // Leaving the button abandons its click.
        d->FPushedButtonCell = nullptr;
        Pushed->WriteFButtonPushed(false);
        Pushed->Invalidate();
    }
    if (FGridState != gsSelecting) {
        TCustomGrid::MouseMove(Shift, X, Y);
        return;
    }
    if (!d->FDragWait && d->RangeMayReach(P)) {
        const TGridCoord A = d->ReadFAnchor();
        const bool Moved = d->FCarrelonOptions.Contains(cloRowSelect) ? A.Y != P.Y : !(A == P);
        if (Moved) d->MoveAnchor(P);
    }
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

// A drag selection reaches into a fixed part only while that part is selectable and the view
// is not scrolled along it.
bool TCarrelonPrivate::RangeMayReach(TGridCoord P) const {
    if (!InsideGrid(P.X, P.Y)) return false;
    const int H = HeadingOffset();
    const bool ColOk =
        P.X >= q->GetFixedCols() || (FCarrelonOptions.Contains(cloSelectFixedCols) && P.X >= H &&
                                     q->GetLeftCol() == q->GetFixedCols());
    const bool RowOk = P.Y >= FOwnFixedRows || (FCarrelonOptions.Contains(cloSelectFixedRows) &&
                                                P.Y >= H && q->GetTopRow() == FOwnFixedRows);
    return ColOk && RowOk;
}

// ---- the release ----------------------------------------------------------------------------

void TCarrelon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    {
        TScopeExit Normal([this] { FGridState = gsNormal; });
        if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
        d->FinishPress(X, Y);
    }
    // Whatever ended the press, the selecting timer stops with it.
    StopTimer();
    if (d->Designing() || !d->FModel) return;
    d->AbandonPress();
    if (GetCol() < GetFixedCols() || GetCol() >= GetLeftCol()) d->CheckAlwaysShowEditor();
}

void TCarrelonPrivate::FinishPress(int X, int Y) {
    switch (q->FGridState) {
        case gsNormal:
            if (TCarrelonCell* Cell = FPushedButtonCell) {
                FPushedButtonCell = nullptr;
                Cell->WriteFButtonPushed(false);
                Cell->Invalidate();
                const int ACol = Cell->GetStartCol();
                const int ARow = Cell->Row;
                if (q->OnButtonClicked) q->OnButtonClicked(q, ACol, ARow);
            }
            break;
        case gsSelecting:
            q->FGridState = gsNormal;
            q->StopTimer();
            q->Click();
            break;
        case gsRowSizing:
            q->DrawSizingLine();
            FinishRowSizing();
            break;
        case gsColSizing:
            q->DrawSizingLine();
            FinishColSizing();
            break;
        case gsRowMoving:
        case gsColMoving:
            FinishMoving(X, Y);
            break;
    }
}

void TCarrelonPrivate::FinishRowSizing() {
    const int Index = q->FSizingIndex;
    const int NewSize = CalcSizedRowHeight();
    if (Index < 0 || Index >= q->GetRowCount() || NewSize < 2 || NewSize == q->GetRowHeights(Index))
        return;
    if (Designing() || !FModel) {
        q->TCustomGrid::SetRowHeights(Index, NewSize);
        return;
    }
    const int OldSize = q->GetRowHeights(Index);
    q->SetRowHeights(Index, NewSize);
    q->FGridState = gsNormal;
    if (q->OnRowResized) q->OnRowResized(q, Index, OldSize, NewSize);
}

void TCarrelonPrivate::FinishColSizing() {
    const int Index = q->FSizingIndex;
    if (Index < 0 || Index >= q->GetColCount()) return;
    if (Designing() || !FModel) {
        const int NewSize = CalcSizedColWidth();
        if (NewSize >= 2 && NewSize != q->GetColWidths(Index))
            q->TCustomGrid::SetColWidths(Index, NewSize);
        return;
    }
    q->FGridState = gsNormal;
    ResizeColumnByUser(Index, CalcSizedColWidth(), 2);
}

void TCarrelonPrivate::FinishMoving(int X, int Y) {
    const bool Rows = q->FGridState == gsRowMoving;
    q->StopTimer();
    q->DrawMove();
    int From = q->FMoveIndex;
    int To = q->FMovePos;
    const bool Drop =
        Rows ? q->EndRowDrag(From, To, TPoint{X, Y}) : q->EndColumnDrag(From, To, TPoint{X, Y});
    if (!Drop || From == To) return;
    if (Rows)
        q->MoveRow(From, To);
    else
        q->MoveColumn(From, To);
}

// The press is over: what waited for the release runs (a row fit deferred by the editor), and a
// button still shown pushed comes up without a click.
void TCarrelonPrivate::AbandonPress() {
    FMouseButtonDown = false;
    if (TCarrelonCell* Cell = FPendingResizeCell) {
        FPendingResizeCell = nullptr;
        ResizeRow(Cell->Row);
    }
}

void TCarrelon::WMCaptureChanged(TMessage& Message) {
    TCustomGrid::WMCaptureChanged(Message);
    // The release takes the capture back itself after the button came up; a loss while the
    // button is still down ends the press.
    if (!GetControlState().Contains(csLButtonDown) || d->Designing() || !d->FModel) return;
    switch (FGridState) {
        case gsRowSizing:
        case gsColSizing:
            DrawSizingLine();
            break;
        case gsRowMoving:
        case gsColMoving:
            DrawMove();
            break;
        default:
            break;
    }
    FGridState = gsNormal;
    StopTimer();
    if (TCarrelonCell* Pushed = d->FPushedButtonCell) {
        d->FPushedButtonCell = nullptr;
        Pushed->WriteFButtonPushed(false);
        Pushed->Invalidate();
    }
    d->AbandonPress();
}

// ---- the wheel ------------------------------------------------------------------------------

bool TCarrelon::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (d->Designing() || !d->FModel) return TCustomGrid::DoMouseWheelDown(Shift, MousePos);
    bool Handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, Handled);
    if (Handled) return true;
    if (GetRow() != -1 && GetRow() < GetRowCount() - 1) SetRow(GetRow() + 1);
    return true;
}

bool TCarrelon::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (d->Designing() || !d->FModel) return TCustomGrid::DoMouseWheelUp(Shift, MousePos);
    bool Handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, Handled);
    if (Handled) return true;
    const int Row = GetRow();
    if (Row > d->FOwnFixedRows ||
        (d->FCarrelonOptions.Contains(cloSelectFixedRows) && Row > d->HeadingOffset()))
        SetRow(Row - 1);
    return true;
}

}  // namespace carrelon
