// Focus of the grid together with its editor: which window counts as the grid's, entering and
// leaving (an edit that cannot be committed keeps the focus), the selection shown and hidden
// with the focus, and the hook that refuses the form's close while an edit cannot be committed.
#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinUser.h"

namespace carrelon {

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

void TCarrelon::DoEnter() {
    // Taking the focus back from a closing edit control, or after a refused exit, is no entry.
    if (!d->FClosingEditControl && !d->FRefocusing) TCustomGrid::DoEnter();
}

void TCarrelon::DoExit() {
    if (d->Designing() || !d->FModel) {
        TCustomGrid::DoExit();
        return;
    }
    if (d->FEditControl != nullptr) {
        // The focus moving into the edit control, or back to the grid, does not leave it.
        const TCustomForm* Form = GetParentForm(this);
        if (Form != nullptr &&
            (Form->GetActiveControl() == d->FEditControl || Form->GetActiveControl() == this))
            return;
    }
    if (d->CheckEditorMode()) {
        // The edit cannot be committed: the focus comes back, and no OnExit. A grid being
        // hidden or disabled cannot take it.
        if (CanFocus()) {
            d->FRefocusing = true;
            TScopeExit Clear([this] { d->FRefocusing = false; });
            TCustomGrid::SetFocus();
        }
        return;
    }
    TCustomGrid::DoExit();
}

void TCarrelon::WMSetFocus(TMessage& Message) {
    TCustomGrid::WMSetFocus(Message);
    if (d->Designing() || !d->FModel) return;
    if (d->FHideSelection && !d->FClosingEditControl && !d->FHidingEditor)
        d->FSelectedCells->Invalidate();
    if (d->FEditorShowing) {
        TWinControl* Target = d->FEditControl != nullptr ? d->FEditControl : d->FInplaceEditor;
        WindowsSetFocus(Target->GetHandle());
        return;
    }
    if (!d->FClosingEditControl && !d->FHidingEditor && !d->FMouseButtonDown)
        d->CheckAlwaysShowEditor();
}

void TCarrelon::WMKillFocus(TMessage& Message) {
    TCustomGrid::WMKillFocus(Message);
    if (d->Designing() || !d->FModel || !d->FHideSelection || Focused()) return;
    if (HandleAllocated() && IsWindowVisible(GetHandle())) d->FSelectedCells->Invalidate();
}

// ---- the close of the form while an edit stays open ------------------------------------------

void TCarrelonPrivate::DoCancelMode() {
    if (!CheckEditorMode()) return;
    TCustomForm* Form = GetParentForm(q);
    // A second refusal finds the hook in place: what it keeps is the application's handler.
    if (Form == nullptr || FCloseQueryForm != nullptr) return;
    FSavedCloseQuery = std::move(Form->OnCloseQuery);
    Form->OnCloseQuery = [this](TObject* Sender, bool& CanClose) { CloseQuery(Sender, CanClose); };
    FCloseQueryForm = Form;
    Form->FreeNotification(q);
}

// The form's next close is refused once; its own handler goes back in place and is not asked.
void TCarrelonPrivate::CloseQuery(TObject* Sender, bool& CanClose) {
    CanClose = false;
    auto* Form = dynamic_cast<TCustomForm*>(Sender);
    if (Form == nullptr || Form != FCloseQueryForm) return;
    FCloseQueryForm = nullptr;
    Form->OnCloseQuery = std::move(FSavedCloseQuery);
    FSavedCloseQuery = nullptr;
}

void TCarrelonPrivate::ReleaseCloseQueryHook() {
    TCustomForm* Form = FCloseQueryForm;
    if (Form == nullptr) return;
    FCloseQueryForm = nullptr;
    if (!Form->GetComponentState().Contains(csDestroying))
        Form->OnCloseQuery = std::move(FSavedCloseQuery);
    FSavedCloseQuery = nullptr;
}

void TCarrelon::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != nullptr && AComponent == d->FEditControl)
        d->EditControlFreed();
    if (Operation == opRemove && AComponent == d->FCloseQueryForm) {
        d->FCloseQueryForm = nullptr;
        d->FSavedCloseQuery = nullptr;
    }
}

}  // namespace carrelon
