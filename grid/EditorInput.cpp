// Input around the editor: a typed character that opens it, the editor's change notification,
// the keys, characters and drags it hands back to the grid, and its context menu.
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

}  // namespace carrelon
