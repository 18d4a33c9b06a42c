// Input around the editor: a typed character that opens it, the editor's change notification,
// the keys, characters and drags it hands back to the grid, its context menu, and the grid's
// keyboard, mouse and focus steps that open, close and cancel an edit.
#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Menus.h"
#include "platform/controls/WinUser.h"

namespace carrelon {

// ---- characters and changes ---------------------------------------------------------------

void TCarrelonPrivate::ShowEditorChar(char32_t Ch) {
    FClearOnOpen = FEditorOptions.Contains(eoClearOnChar);
    {
        // The request serves this opening only, refused or not.
        TScopeExit Once([this] { FClearOnOpen = false; });
        q->SetEditorMode(true);
    }
    if (!FEditorShowing) return;
    if (ImeComposing(q->GetHandle())) PostMessageA(q->GetHandle(), WM_IME_ENDCOMPOSITION, 0, 0);
    TWinControl* Target = FEditControl != nullptr ? FEditControl : FInplaceEditor;
    PostMessageA(Target->GetHandle(), WM_CHAR, static_cast<std::intptr_t>(Ch), 0);
}

void TCarrelon::WMChar(TMessage& Message) {
    if (d->FModel && !d->Designing()) {
        const char32_t Ch = static_cast<char32_t>(Message.WParam);
        if (GetRow() != -1 && d->FCarrelonOptions.Contains(cloEditing) && Ch >= 32 &&
            d->FEditorOptions.Contains(eoShowOnChar) && !d->FEditorShowing &&
            TCarrelonPrivate::CellTakesEditor(GetCells(GetCol(), GetRow()))) {
            d->ShowEditorChar(Ch);
            return;
        }
        if (d->FEditorShowing) {
            TWinControl* Target = d->FEditControl != nullptr ? d->FEditControl : d->FInplaceEditor;
            PostMessageA(Target->GetHandle(), WM_CHAR, Message.WParam, 0);
            if (ImeComposing(GetHandle()))
                PostMessageA(Target->GetHandle(), WM_IME_STARTCOMPOSITION, 0, 0);
            return;
        }
    }
    TCustomGrid::WMChar(Message);
}

void TCarrelon::WMCommand(TMessage& Message) {
    // Only the in-place editor's change notifications matter, while it shows.
    TCarrelonInplaceEditor* E = d->FInplaceEditor;
    if (E == nullptr || !E->HandleAllocated() || HiWordSigned(Message.WParam) != EN_CHANGE ||
        reinterpret_cast<HWND>(Message.LParam) != E->GetHandle() ||
        !IsWindowVisible(E->GetHandle()))
        return;
    SetEditText(GetCol(), GetRow(), E->GetText());
}

// ---- what the editor hands back -----------------------------------------------------------

void TCarrelonPrivate::GridKeyDown(Word& Key, TShiftState Shift) {
    q->KeyDown(Key, Shift);
}

void TCarrelonPrivate::GridKeyPress(char32_t& Key) {
    q->KeyPress(Key);
}

void TCarrelonPrivate::GridKeyUp(Word& Key, TShiftState Shift) {
    q->KeyUp(Key, Shift);
}

void TCarrelonPrivate::GridDragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    q->DragOver(Source, X, Y, State, Accept);
}

void TCarrelonPrivate::GridDragDrop(TObject* Source, int X, int Y) {
    q->DragDrop(Source, X, Y);
}

void TCarrelonPrivate::DoCancelMode() {
    CheckEditorMode();
}

void TCarrelonPrivate::EditorPopupHandler(TObject* Sender) {
    auto* Item = dynamic_cast<TMenuItem*>(Sender);
    TCarrelonInplaceEditor* E = FInplaceEditor;
    if (Item == nullptr || E == nullptr) return;
    switch (Item->GetMenuIndex()) {
        case 0:
            E->Undo();
            break;
        case 2:
            E->CutToClipboard();
            break;
        case 3:
            E->CopyToClipboard();
            break;
        case 4:
            E->PasteFromClipboard();
            break;
        case 5:
            E->ClearSelection();
            break;
        case 7:
            E->SelectAll();
            break;
        default:
            break;
    }
}

// ---- the grid's own keys, mouse and focus around an edit ----------------------------------

void TCarrelon::KeyDown(Word& Key, TShiftState Shift) {
    if (d->Designing() || !d->FModel) {
        TCustomGrid::KeyDown(Key, Shift);
        return;
    }
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0 || GetRow() == -1 || Shift.Contains(ssAlt)) return;
    const bool Plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl);
    if (Key == VK_ESCAPE && Plain && d->FEditorShowing) {
        {
            d->FCancelEdit = true;
            TScopeExit Reset([this] { d->FCancelEdit = false; });
            SetEditorMode(false);
        }
        d->CheckAlwaysShowEditor();
        return;
    }
    if (Key == VK_F2 && !Shift.Contains(ssShift)) {
        SetEditorMode(true);
        return;
    }
    if (Key == VK_RETURN) {
        const bool Excel = d->FSpreadsheetOptions.Contains(soExcelStyleNavigation);
        if (Excel && Shift.Empty()) {
            Key = VK_DOWN;
        } else if (Excel && Shift == TShiftState{ssShift}) {
            Key = VK_UP;
            Shift = {};
        } else if (d->FCarrelonOptions.Contains(cloEnterThrough) && Plain) {
            Key = VK_TAB;
        } else {
            return;
        }
    }
    if (Key == VK_DOWN && !Shift.Contains(ssCtrl) &&
        GetCells(GetCol(), GetRow())->GetEndRow() == GetRowCount() - 1) {
        SetEditorMode(false);  // the last row: the edit is committed, the cell stays
        return;
    }
    // Navigation moves through SelectCell, which closes the editor first.
    const TGridCoord Before = d->ReadFCurrent();
    MoveByKey(Key, Shift);
    if (d->RelistAfterBaseMove(Before)) d->CheckAlwaysShowEditor();
}

bool TCarrelonPrivate::RelistAfterBaseMove(TGridCoord Before) {
    if (ReadFCurrent() == Before || !FSelectedCells) return false;
    FSelectedCells->Invalidate();
    FSelectedCells->List().Clear();
    ListSelectionRect(false);
    FSelectedCells->Invalidate();
    return true;
}

void TCarrelon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (d->Designing() || !d->FModel) {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    d->FMouseButtonDown = true;
    // A press first closes an open editor; one that stays open swallows the press.
    if (d->CheckEditorMode()) {
        if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
        return;
    }
    const TGridCoord P = MouseCoord(X, Y);
    if (Button == mbLeft && !Shift.Contains(ssDouble) && !Shift.Contains(ssShift) &&
        !Shift.Contains(ssCtrl) && P.X >= 0 && P.Y >= 0 &&
        d->FCarrelonOptions.Contains(cloEditing)) {
        TGridState State = gsNormal;
        int Index = 0, Pos = 0, Ofs = 0;
        CalcSizingState(X, Y, State, Index, Pos, Ofs);
        const TCarrelonCell* Cell = GetCells(P.X, P.Y);
        // A click on the current cell edits it.
        if (State == gsNormal && IsCurrentCell(Cell) && !Cell->GetReadOnly() &&
            !Cell->GetCheckBox()) {
            if (CanFocus()) SetFocus();
            if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
            SetEditorMode(true);
            return;
        }
    }
    const TGridCoord Before = d->ReadFCurrent();
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    d->RelistAfterBaseMove(Before);
}

void TCarrelon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    if (d->Designing() || !d->FModel) return;
    d->FMouseButtonDown = false;
    if (TCarrelonCell* Cell = d->FPendingResizeCell) {
        d->FPendingResizeCell = nullptr;
        d->ResizeRow(Cell->Row);
    }
    if (GetCol() < GetFixedCols() || GetCol() >= GetLeftCol()) d->CheckAlwaysShowEditor();
}

bool TCarrelon::Focused() const {
    if (GetComponentState().Contains(csDesigning)) return TCustomGrid::Focused();
    if (!HandleAllocated()) return false;
    const HWND F = GetFocus();
    if (F == FHandle) return true;
    const TCarrelonInplaceEditor* E = d->FInplaceEditor;
    if (E != nullptr && E->HandleAllocated() && F == d->FInplaceEditor->GetHandle()) return true;
    return d->FEditControl != nullptr && d->FEditControl->Focused();
}

void TCarrelon::SetFocus() {
    if (!Focused()) TCustomGrid::SetFocus();
}

void TCarrelon::WMSetFocus(TMessage& Message) {
    TCustomGrid::WMSetFocus(Message);
    if (d->Designing() || !d->FModel) return;
    if (d->FEditorShowing) {
        TWinControl* Target = d->FEditControl != nullptr ? d->FEditControl : d->FInplaceEditor;
        WindowsSetFocus(Target->GetHandle());
        return;
    }
    if (!d->FClosingEditControl && !d->FHidingEditor && !d->FMouseButtonDown)
        d->CheckAlwaysShowEditor();
}

void TCarrelon::DoExit() {
    if (!d->Designing() && d->CheckEditorMode()) {
        // The edit cannot be committed: the focus stays with the grid, and no OnExit.
        if (CanFocus()) TCustomGrid::SetFocus();
        return;
    }
    TCustomGrid::DoExit();
}

}  // namespace carrelon
