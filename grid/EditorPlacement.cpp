// Where the in-place editor sits and how it is shown: its rectangle over the current cell, hiding
// and repainting it, following the cell when the grid scrolls or rows change height, and the
// editor properties that act on an open editor.
#include <algorithm>

#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "platform/controls/Menus.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

TRect TCarrelonPrivate::EditorRect(int* ScrollTo) {
    const TCarrelonCell* Cell = q->GetCells(q->GetCol(), q->GetRow());
    TRect R = CalcCellRect(Cell);
    const int ClientHeight = q->GetClientHeight();
    if (ScrollTo != nullptr) *ScrollTo = q->GetTopRow();
    if (R.Bottom > ClientHeight && q->GetRow() >= FOwnFixedRows) {
        const int Top = q->GetTopRow();
        if (Top >= 0 && Top < Cell->Row) {
            // The first top row that lifts the cell enough, found at once instead of row by row.
            const TGridAxis& Rows = q->RowAxis();
            const int t = FirstIndexLifting(Rows, Top, Cell->Row, R.Bottom - ClientHeight);
            if (ScrollTo != nullptr) {
                const auto Lift = static_cast<int>(Rows.Offset(t) - Rows.Offset(Top));
                R.Top -= Lift;
                R.Bottom -= Lift;
                *ScrollTo = t;
            } else {
                q->SetTopRow(t);
                R = CalcCellRect(Cell);
            }
        }
        // A cell taller than the view, or a top row that would not move: cut at the bottom.
        R.Bottom = std::min(R.Bottom, ClientHeight);
    }
    R.Right = std::min(R.Right, q->GetClientWidth());
    R.Right = std::max(R.Right, R.Left);
    R.Bottom = std::max(R.Bottom, R.Top);
    return R;
}

int TCarrelonPrivate::FirstIndexLifting(const TGridAxis& Axis, int From, int Last,
                                        std::int64_t Lift) {
    if (Last <= From) return Last;
    const std::int64_t Need = Axis.Offset(From) + Lift;
    return std::clamp(Axis.LastStartAtMost(Need - 1) + 1, From + 1, Last);
}

void TCarrelonPrivate::InvalidateEditor() {
    if (FInplaceEditor == nullptr || !FInplaceEditor->HandleAllocated()) return;
    HWND Editor = FInplaceEditor->GetHandle();
    ValidateRect(Editor, nullptr);
    InvalidateRect(Editor, nullptr, true);
    if (!q->HandleAllocated()) return;
    // The editor's parent is the grid: its bounds are grid client coordinates.
    const TRect Under = FInplaceEditor->GetBoundsRect();
    ValidateRect(q->GetHandle(), &Under);
    InvalidateRect(q->GetHandle(), &Under, false);
}

void TCarrelonPrivate::HideEditor() {
    if (FInplaceEditor == nullptr || !FInplaceEditor->HandleAllocated()) return;
    FHidingEditor = true;
    if (FUpdateCount == 0) InvalidateEditor();
    HWND Editor = FInplaceEditor->GetHandle();
    SetWindowPos(Editor, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOZORDER);
    // The focus goes back to the grid even inside an update lock: a hidden editor must not
    // keep it.
    if (GetFocus() == Editor && q->HandleAllocated()) WindowsSetFocus(q->GetHandle());
    FHidingEditor = false;
}

void TCarrelonPrivate::PlaceEditorAfterScroll() {
    if (!FEditorShowing) return;
    const int Col = q->GetCol();
    const int Row = q->GetRow();
    // A current cell in the fixed corner does not scroll.
    if (Col < q->GetFixedCols() && Row < FOwnFixedRows) return;
    if (FEditControl != nullptr) {
        PlaceEditControlAfterScroll();
        return;
    }
    if (FInplaceEditor == nullptr) return;
    HWND Editor = FInplaceEditor->GetHandle();
    const TRect R = q->CellRect(Col, Row);
    if (R.IsEmpty()) {
        SetWindowPos(Editor, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return;
    }
    if (FEditorResizingRow && FRowShrinking)
        q->Invalidate();
    else
        InvalidateEditor();
    FPlacingEditor = true;
    SetWindowPos(Editor, nullptr, R.Left, R.Top, R.Width(), R.Height(),
                 SWP_SHOWWINDOW | SWP_NOREDRAW);
    FPlacingEditor = false;
    InvalidateEditor();
    if (q->HandleAllocated() && GetFocus() == q->GetHandle()) WindowsSetFocus(Editor);
}

void TCarrelon::TopLeftChanged() {
    d->PlaceEditorAfterScroll();
    TCustomGrid::TopLeftChanged();
}

void TCarrelon::RowHeightsChanged() {
    if (d->Designing() || d->FIniLoading) {
        TCustomGrid::RowHeightsChanged();
        return;
    }
    if (d->FMuteRowHeightsChanged) return;
    // The base keeps the scroll bars right even while the grid is not showing.
    TCustomGrid::RowHeightsChanged();
    if (!GetShowing()) return;
    TCarrelonInplaceEditor* E = d->FInplaceEditor;
    if (E != nullptr && E->HandleAllocated() && IsWindowVisible(E->GetHandle()) &&
        !d->FEditorResizingRow && GetRow() >= 0)
        E->RequestSize(CellRect(GetCol(), GetRow()));
}

void TCarrelon::WMVScroll(TMessage& Message) {
    const int OldTop = GetTopRow();
    d->FSkipErase = true;
    TCustomGrid::WMVScroll(Message);
    if (d->Designing() || !d->FModel || !d->FCarrelonOptions.Contains(cloDrawFocusRectangle) ||
        d->FCarrelonOptions.Contains(cloRowSelect) || d->FEditorShowing ||
        (d->FHideSelection && !Focused()) || GetRow() < 0)
        return;
    const int Top = GetTopRow();
    if (Top != OldTop - 1) return;
    // A current cell that reaches from the new top row further down repaints, so its focus
    // frame is drawn whole again; an always-shown editor covers an editable one.
    TCarrelonCell* Cell = GetCells(GetCol(), GetRow());
    if (Cell->Row > Top || Cell->GetEndRow() <= Top) return;
    if (d->FCarrelonOptions.Contains(cloAlwaysShowEditor) &&
        TCarrelonPrivate::CellTakesEditor(Cell))
        return;
    const int Start = Cell->GetStartCol();
    const int End = Cell->GetEndCol();
    if (Start < 0) return;
    // Only slots in the fixed columns or from LeftCol on count.
    if (Start < GetFixedCols() || End >= GetLeftCol()) Cell->Invalidate();
}

void TCarrelon::VisibleChanging() {
    TCustomGrid::VisibleChanging();
    if (!GetVisible() || !d->FEditorShowing) return;
    SetEditorMode(false);
    // An application-supplied control must not stay shown over a hidden grid: when it
    // refused to close, the edit is dropped.
    if (d->FEditorShowing && d->FEditControl != nullptr) {
        d->FCancelEdit = true;
        SetEditorMode(false);
        d->FCancelEdit = false;
    }
}

// ---- properties that act on an open editor ------------------------------------------------

void TCarrelon::SetEditColor(TColor Value) {
    if (Value == d->FEditColor) return;
    d->FEditColor = Value;
    TCarrelonInplaceEditor* E = d->FInplaceEditor;
    if (!d->FEditorShowing || d->FEditControl != nullptr || E == nullptr) return;
    E->SetColor(Value);
    if (E->HandleAllocated() && IsWindowVisible(E->GetHandle())) d->InvalidateEditor();
}

void TCarrelon::SetEditFontColor(TColor Value) {
    if (Value == d->FEditFontColor) return;
    d->FEditFontColor = Value;
    if (!d->FEditorShowing) return;
    if (d->FEditControl != nullptr)
        d->SetEditControlFontColor(Value);
    else if (d->FInplaceEditor != nullptr)
        d->FInplaceEditor->GetFont()->SetColor(Value);
}

void TCarrelon::SetInplaceScrollBar(bool Value) {
    if (Value == d->FInplaceScrollBar) return;
    d->FInplaceScrollBar = Value;
    TCarrelonInplaceEditor* E = d->FInplaceEditor;
    if (!d->FEditorShowing || d->FEditControl != nullptr || E == nullptr) return;
    E->SetScrollBars(Value ? ssVertical : ssNone);
    // Placed again at its own bounds, so that its frame is recalculated.
    HWND Editor = E->GetHandle();
    SetWindowPos(Editor, nullptr, E->GetLeft(), E->GetTop(), E->GetWidth(), E->GetHeight(),
                 SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_FRAMECHANGED);
    d->InvalidateEditor();
    WindowsSetFocus(Editor);
}

void TCarrelon::SetEditorOptions(TCarrelonEditorOptions Value) {
    if (Value == d->FEditorOptions) return;
    // The caret at the end and all selected exclude each other; the one just added wins.
    if (Value.Contains(eoCursorAtEnd) && !d->FEditorOptions.Contains(eoCursorAtEnd))
        Value.Exclude(eoSelectAll);
    else if (Value.Contains(eoSelectAll))
        Value.Exclude(eoCursorAtEnd);
    d->FEditorOptions = Value;
    if (!d->Designing() && d->FEditorPopupMenu != nullptr)
        d->FEditorPopupMenu->GetItems()->GetItems(4)->SetEnabled(Value.Contains(eoAllowPaste));
}

}  // namespace carrelon
