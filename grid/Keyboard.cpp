// The grid's keys: navigation to a target cell (arrows, page keys, Home, End, Tab through the
// tab stops), the editor keys (Escape, F2, Enter's options, Down on the last row), push buttons
// and check boxes by Space, the clipboard keys, characters handed to the application while
// the editor is open, and the keys the grid claims from its dialog.
#include <algorithm>

#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/WinUser.h"

namespace carrelon {

namespace {

bool Has(TShiftState Shift, TShiftStateItem Item) {
    return Shift.Contains(Item);
}

// Rows (or columns) a page key moves: one less than the visible count, at least one.
int PageStep(int Visible) {
    return Visible < 2 ? 1 : Visible - 1;
}

}  // namespace

// ---- where navigation may go ----------------------------------------------------------------

int TCarrelonPrivate::FirstNavigableCol() const {
    return FCarrelonOptions.Contains(cloSelectFixedCols) ? HeadingOffset() : q->GetFixedCols();
}

int TCarrelonPrivate::FirstNavigableRow() const {
    return FCarrelonOptions.Contains(cloSelectFixedRows) ? HeadingOffset() : q->GetFixedRows();
}

// ---- KeyDown --------------------------------------------------------------------------------

void TCarrelon::KeyDown(Word& Key, TShiftState Shift) {
    if (d->Designing() || !d->FModel) {
        TCustomGrid::KeyDown(Key, Shift);
        return;
    }
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    d->HandleKey(Key, Shift);
}

void TCarrelonPrivate::HandleKey(Word& Key, TShiftState Shift) {
    if (q->GetRow() == -1 || Has(Shift, ssAlt)) return;
    const bool Plain = !Has(Shift, ssShift) && !Has(Shift, ssCtrl);
    if (Key == VK_ESCAPE && Plain && FEditorShowing) {
        {
            FCancelEdit = true;
            TScopeExit Reset([this] { FCancelEdit = false; });
            q->SetEditorMode(false);
        }
        CheckAlwaysShowEditor();
        return;
    }
    if (Key == VK_SPACE) {
        TCarrelonCell* Cell = q->GetCells(q->GetCol(), q->GetRow());
        if (Cell->GetButton()) {
            // Shown pushed until the key comes up again (KeyUp completes the click).
            Cell->WriteFButtonPushed(true);
            FSpacePushedCell = Cell;
            Cell->Invalidate();
            return;
        }
    }
    if (Key == VK_RETURN) {
        const bool Excel = FSpreadsheetOptions.Contains(soExcelStyleNavigation);
        if (Excel && Shift.Empty()) {
            Key = VK_DOWN;
        } else if (Excel && Shift == TShiftState{ssShift}) {
            Key = VK_UP;
            Shift = {};  // moves up without extending the range
        } else if (FCarrelonOptions.Contains(cloEnterThrough) && Plain) {
            Key = VK_TAB;
        } else {
            return;
        }
    }

    const TGridCoord Current{q->GetCol(), q->GetRow()};
    TGridCoord T = Current;
    if (Has(Shift, ssCtrl))
        CtrlKeyTarget(Key, Shift, T);
    else
        KeyTarget(Key, Shift, T);
    if (T == Current) return;
    if (CheckEditorMode()) return;

    const TPageView View = PagingView(Key, Shift, T);
    const bool MoveAnchor = !(Has(Shift, ssShift) && Key != VK_TAB);
    DoFocusCell(T.X, T.Y, View.LeftCol, View.TopRow, MoveAnchor);
    CheckAlwaysShowEditor();
}

// Ctrl with a key: page sideways, to the view's first row or a page down, to the grid's
// corners, scroll the view by a row, or a clipboard operation.
void TCarrelonPrivate::CtrlKeyTarget(Word Key, TShiftState Shift, TGridCoord& T) {
    const bool RowSelect = FCarrelonOptions.Contains(cloRowSelect);
    const bool CtrlOnly = Shift == TShiftState{ssCtrl};
    const int V = q->GetVisibleRowCount();
    const int W = q->GetVisibleColCount();
    switch (Key) {
        case VK_PRIOR:
            T.Y = q->GetTopRow();
            break;
        case VK_NEXT:
            T.Y = std::min(T.Y + PageStep(V), q->GetRowCount() - 1);
            break;
        case VK_HOME:
            T = {FirstNavigableCol(), FirstNavigableRow()};
            break;
        case VK_END:
            T = {q->GetColCount() - 1, q->GetRowCount() - 1};
            break;
        case VK_LEFT:
            if (!RowSelect) T.X = std::max(T.X - PageStep(W), FirstNavigableCol());
            break;
        case VK_RIGHT:
            if (!RowSelect) T.X = std::min(T.X + PageStep(W), q->GetColCount() - 1);
            break;
        case VK_UP:
            if (q->GetTopRow() > FOwnFixedRows) q->SetTopRow(q->GetTopRow() - 1);
            break;
        case VK_DOWN:
            if (q->GetTopRow() + V < q->GetRowCount()) q->SetTopRow(q->GetTopRow() + 1);
            break;
        case VK_INSERT:
        case 'C':
            if (CtrlOnly && FCarrelonOptions.Contains(cloCopy)) CopySelectionToClipboard();
            break;
        case 'V':
            if (CtrlOnly && FCarrelonOptions.Contains(cloPaste)) PasteCellsFromClipboard();
            break;
        case 'X':
            if (CtrlOnly && FCarrelonOptions.Contains(cloCut)) CutSelectionToClipboard();
            break;
        default:
            break;
    }
}

// A key without Ctrl. Arrows step over a merged cell as a whole; under row selection Left and
// Right move a row up or down.
void TCarrelonPrivate::KeyTarget(Word Key, TShiftState Shift, TGridCoord& T) {
    const TCarrelonCell* Current = q->GetCells(q->GetCol(), q->GetRow());
    const bool RowSelect = FCarrelonOptions.Contains(cloRowSelect);
    const int FirstCol = FirstNavigableCol();
    const int FirstRow = FirstNavigableRow();
    const int LastCol = q->GetColCount() - 1;
    const int LastRow = q->GetRowCount() - 1;
    const int V = q->GetVisibleRowCount();
    switch (Key) {
        case VK_TAB:
            T = TabTarget(!Has(Shift, ssShift));
            break;
        case VK_PRIOR:
            T.Y = std::max(T.Y - PageStep(V), FirstRow);
            break;
        case VK_NEXT:
            T.Y = std::min(T.Y + PageStep(V), LastRow);
            break;
        case VK_HOME:
            if (RowSelect)
                T.Y = FirstRow;
            else
                T.X = FirstCol;
            break;
        case VK_END:
            if (RowSelect)
                T.Y = LastRow;
            else
                T.X = LastCol;
            break;
        case VK_LEFT:
            if (RowSelect) {
                if (T.Y > FirstRow) --T.Y;
            } else if (Current->GetStartCol() - 1 >= FirstCol) {
                T.X = Current->GetStartCol() - 1;
            }
            break;
        case VK_RIGHT:
            if (RowSelect) {
                if (T.Y < LastRow) ++T.Y;
            } else if (Current->GetEndCol() + 1 <= LastCol) {
                T.X = Current->GetEndCol() + 1;
            }
            break;
        case VK_UP:
            if (Current->Row > FirstRow) T.Y = Current->Row - 1;
            break;
        case VK_DOWN:
            if (Current->GetEndRow() < LastRow)
                T.Y = Current->GetEndRow() + 1;
            else
                q->SetEditorMode(false);  // the last row: the edit is committed, the cell stays
            break;
        case VK_INSERT:
            if (Has(Shift, ssShift) && FCarrelonOptions.Contains(cloPaste))
                PasteCellsFromClipboard();
            break;
        case VK_DELETE:
            if (Has(Shift, ssShift)) {
                if (FCarrelonOptions.Contains(cloCut)) CutSelectionToClipboard();
            } else if (FCarrelonOptions.Contains(cloClearCellOnDel)) {
                ClearSelectionByKey();
            }
            break;
        case VK_F2:
            if (!Has(Shift, ssShift)) q->SetEditorMode(true);
            break;
        default:
            break;
    }
}

// The view a page key scrolls to along with the move: a page down or up, or a page sideways
// with Ctrl; -1 leaves that part of the view to the move. A view of fewer than two rows
// (columns) pages by the move alone.
TCarrelonPrivate::TPageView TCarrelonPrivate::PagingView(Word Key, TShiftState Shift,
                                                         TGridCoord T) const {
    TPageView View;
    const bool Ctrl = Has(Shift, ssCtrl);
    const int V = q->GetVisibleRowCount();
    const int W = q->GetVisibleColCount();
    const int Top = q->GetTopRow();
    const int Left = q->GetLeftCol();
    const int Rows = q->GetRowCount();
    const int Cols = q->GetColCount();
    if (Key == VK_NEXT && !Ctrl && V >= 2) {
        View.TopRow = Top + V < Rows - V ? Top + V - 1 : std::min(T.Y, Rows - V);
    } else if (Key == VK_PRIOR && !Ctrl && V >= 2) {
        View.TopRow = std::max(Top - (V - 1), FOwnFixedRows);
    } else if (Key == VK_RIGHT && Ctrl && W >= 2) {
        View.LeftCol = Left + W < Cols - W ? Left + W - 1 : std::min(T.X, Cols - W);
    } else if (Key == VK_LEFT && Ctrl && W >= 2) {
        View.LeftCol = std::max(Left - (W - 1), q->GetFixedCols());
    }
    return View;
}

// ---- Tab ------------------------------------------------------------------------------------

// The next (or previous) cell whose column is a tab stop, stepping over merged cells as
// wholes. A walk that finds no tab stop ends at the current column one row on, or, where that
// column is never met again (the current slot lies inside a merged cell), at the current cell
// once the walk comes round to it. At the grid's end the walk wraps with cloTabThrough;
// otherwise it stays, and with toTabOutOfGrid the focus leaves the grid.
TGridCoord TCarrelonPrivate::TabTarget(bool Forward) {
    const TGridCoord Start{q->GetCol(), q->GetRow()};
    const bool Skip = FTabOptions.Contains(toSkipMergedRows);
    const bool Through = FCarrelonOptions.Contains(cloTabThrough);
    const int FirstCol = FirstNavigableCol();
    const int FirstRow = FirstNavigableRow();
    const int LastCol = q->GetColCount() - 1;
    const int LastRow = q->GetRowCount() - 1;
    TGridCoord T = Start;
    bool Wrapped = false;
    for (;;) {
        const TCarrelonCell* K = q->GetCells(T.X, T.Y);
        if (Forward) {
            if (K->GetEndCol() >= LastCol &&
                (T.Y >= LastRow || (Skip && K->GetEndRow() >= LastRow))) {
                if (!Through) return LeaveGridByTab(T);
                T = {FirstCol, FirstRow};
                Wrapped = true;
            } else if (K->GetEndCol() < LastCol) {
                T = {std::max(K->GetEndCol(), T.X) + 1, T.Y};
            } else {
                T = {FirstCol, Skip ? std::max(K->GetEndRow(), T.Y) + 1 : T.Y + 1};
            }
        } else {
            // A cell reaching to (or left of) the first column starts its row; no step goes
            // above the first row.
            if (K->GetStartCol() <= FirstCol && (T.Y <= FirstRow || (Skip && K->Row <= FirstRow))) {
                if (!Through) return LeaveGridByTab(T);
                T = {LastCol, LastRow};
                Wrapped = true;
            } else if (K->GetStartCol() > FirstCol) {
                T = {std::min(K->GetStartCol(), T.X) - 1, T.Y};
            } else if (!Skip) {
                T = {LastCol, T.Y - 1};
            } else {
                T = {LastCol, q->GetCells(LastCol, std::min(K->Row, T.Y) - 1)->Row};
            }
        }
        // Come round to the start, or past it: no tab stop anywhere on the way.
        if (Wrapped && (Forward ? (T.Y > Start.Y || (T.Y == Start.Y && T.X >= Start.X))
                                : (T.Y < Start.Y || (T.Y == Start.Y && T.X <= Start.X))))
            return Start;
        if (q->GetTabStops(T.X) || T.X == Start.X) return T;
    }
}

// The walk reached the grid's end without wrapping: the current column stays, and with
// toTabOutOfGrid the edit closes and the Tab goes on to the parent, which moves the focus.
TGridCoord TCarrelonPrivate::LeaveGridByTab(TGridCoord T) {
    T.X = q->GetCol();
    if (FTabOptions.Contains(toTabOutOfGrid)) {
        q->SetEditorMode(false);
        TWinControl* Parent = q->GetParent();
        if (!FEditorShowing && Parent != nullptr && Parent->HandleAllocated())
            PostMessageA(Parent->GetHandle(), WM_KEYDOWN, VK_TAB, 0);
    }
    return T;
}

// ---- KeyUp, KeyPress, the dialog code --------------------------------------------------------

void TCarrelon::KeyUp(Word& Key, TShiftState Shift) {
    TCustomGrid::KeyUp(Key, Shift);
    if (d->Designing() || !d->FModel || Key != VK_SPACE || GetRow() == -1) return;
    TCarrelonCell* Cell = GetCells(GetCol(), GetRow());
    if (!Cell->GetButton() || !Cell->ReadFButtonPushed()) return;
    Cell->WriteFButtonPushed(false);
    d->FSpacePushedCell = nullptr;
    Cell->Invalidate();
    if (OnButtonClicked) OnButtonClicked(this, GetCol(), GetRow());
}

void TCarrelon::KeyPress(char32_t& Key) {
    if (d->Designing() || !d->FModel) {
        TCustomGrid::KeyPress(Key);
        return;
    }
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key == U' ' && GetRow() != -1 && d->FCarrelonOptions.Contains(cloEditing)) {
        TCarrelonCell* Cell = GetCells(GetCol(), GetRow());
        if (Cell->GetCheckBox() && !Cell->GetReadOnly()) {
            Cell->SetCheckBoxChecked(!Cell->GetCheckBoxChecked());
            return;
        }
    }
    TCarrelonInplaceEditor* E = d->FInplaceEditor;
    if (!d->FEditorShowing || d->FEditControl != nullptr || E == nullptr || Key == 0 ||
        !OnKeyPressEx)
        return;
    AnsiString EditText = E->GetText();
    int Position = E->GetSelStart();
    OnKeyPressEx(this, Key, GetCol(), GetRow(), EditText, Position);
    // The handler may have closed the editor.
    if (!d->FEditorShowing || d->FEditControl != nullptr) return;
    if (EditText != E->GetText()) E->SetText(EditText);
    if (Position != E->GetSelStart()) E->SetSelStart(Position);
}

void TCarrelon::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
    const TCarrelonOptions O = d->FCarrelonOptions;
    if (O.Contains(cloRowSelect)) return;
    if (O.Contains(cloTabs)) Message.Result |= DLGC_WANTTAB;
    if (O.Contains(cloEditing)) Message.Result |= DLGC_WANTCHARS;
}

// ---- a pushed button whose cell is left ------------------------------------------------------

void TCarrelonPrivate::CurrentCellLeaving(int ACol, int ARow) {
    TCarrelonCell* Pushed = FSpacePushedCell;
    if (Pushed == nullptr || (InsideGrid(ACol, ARow) && q->GetCells(ACol, ARow) == Pushed)) return;
    FSpacePushedCell = nullptr;
    Pushed->WriteFButtonPushed(false);
    Pushed->Invalidate();
}

}  // namespace carrelon
