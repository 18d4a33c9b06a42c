// The window procedure the grid installs on an application-supplied edit control while it
// edits: focus of the control counting as the grid's, validation on exit, changes reported, and
// the routing of keys, so that navigation keys the control does not use move the grid's
// current cell.
#include "grid/CarrelonPrivate.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

namespace {

bool KeyHeld(int VirtKey) {
    return GetKeyState(VirtKey) < 0;
}

bool IsArrow(std::intptr_t Key) {
    return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}

// The dialog code a key needs the control to claim, 0 for other keys.
std::intptr_t WantedDialogCode(std::intptr_t Key) {
    switch (Key) {
        case VK_CANCEL:
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_EXECUTE:
            return DLGC_WANTALLKEYS;
        case VK_TAB:
            return DLGC_WANTTAB;
        default:
            return IsArrow(Key) ? DLGC_WANTARROWS : 0;
    }
}

// Keys at the edges of an edit, and those a control has no use for, belong to the grid.
bool LeavesControl(const TWinControl* C, std::intptr_t Key) {
    const auto* Edit = dynamic_cast<const TCustomEdit*>(C);
    if ((Key == VK_UP || Key == VK_DOWN) && Edit != nullptr)
        return (Edit->GetWindowStyle() & ES_MULTILINE) == 0;
    if (Key == VK_LEFT || Key == VK_RIGHT) {
        // The list style is a value of the style's low bits, not a bit of its own.
        if (dynamic_cast<const TCustomComboBox*>(C) != nullptr &&
            (C->GetWindowStyle() & 3) == CBS_DROPDOWNLIST)
            return true;
        if (Edit == nullptr) return false;
        const int Length = static_cast<int>(CodePointCount(Edit->GetText()));
        const int Start = Edit->GetSelStart();
        const int Selected = Edit->GetSelLength();
        if (Key == VK_RIGHT) return Start == Length || Selected == Length;
        return Start == 0 && (Selected == 0 || Selected == Length);
    }
    return false;
}

}  // namespace

void TCarrelonPrivate::EditControlWndProc(TMessage& Message) {
    // A copy: a close run by this message may install the hook again meanwhile.
    const TWndMethod Saved = FSavedEditControlWndProc;
    TWinControl* C = FEditControl;
    if (C == nullptr || C->GetComponentState().Contains(csDestroying)) {
        Saved(Message);
        return;
    }
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            Saved(Message);
            if (dynamic_cast<TMonthCalendar*>(C) != nullptr ||
                dynamic_cast<TCustomComboBoxEx*>(C) != nullptr)
                Message.Result |= DLGC_WANTARROWS;
            return;
        case WM_CHAR:
            if (Message.WParam != 9) Saved(Message);
            return;
        case CM_CANCELMODE: {
            Saved(Message);
            const TCustomForm* Form = GetParentForm(q);
            if (Form != nullptr && reinterpret_cast<const TControl*>(Message.LParam) == Form)
                DoCancelMode();
            return;
        }
        case CM_FOCUSCHANGED:
            if (C->GetVisible()) C->SetVisibleMark(false);
            return;
        case CM_ENTER:
            // Focus on the control counts as focus on the grid.
            if (FEditorShowing)
                q->Dispatch(Message);
            else
                Saved(Message);
            return;
        case CM_EXIT:
            EditControlExit(Message);
            return;
        case CM_CHILDKEY:
            EditControlChildKey(Message);
            return;
        case CM_DRAG:
        case CM_MOUSEWHEEL:
            // Drag positions are screen points: the grid reads them in its own window.
            q->Dispatch(Message);
            return;
        case CM_CHANGED:
            Saved(Message);
            if (FEditControl == C) q->SetEditText(q->GetCol(), q->GetRow(), C->GetText());
            return;
        case CN_KEYDOWN:
            EditControlKeyDown(Message);
            return;
        default:
            Saved(Message);
            return;
    }
}

void TCarrelonPrivate::EditControlExit(TMessage& Message) {
    if (FCancelEdit) {
        Message.Result = 1;
        return;
    }
    TWinControl* C = FEditControl;
    const TWndMethod Saved = FSavedEditControlWndProc;
    try {
        Saved(Message);
    } catch (const Exception& E) {
        // A failed validation is the application's to hear, never an exception.
        if (q->OnEditControlValidateError)
            q->OnEditControlValidateError(q, q->GetCol(), q->GetRow(), E.Message);
        return;
    }
    if (FEditControl == C) q->Dispatch(Message);
}

void TCarrelonPrivate::PostKeyToGrid(TMessage& Message, std::intptr_t KeyData) {
    Message.Result = 1;
    PostMessageA(q->GetHandle(), WM_KEYDOWN, Message.WParam, KeyData);
}

void TCarrelonPrivate::EditControlKeyDown(TMessage& Message) {
    TWinControl* C = FEditControl;
    const std::intptr_t Key = Message.WParam;
    const std::intptr_t Wanted = WantedDialogCode(Key);
    // A key of a class the control does not claim; Escape counts as claimed only when the
    // control asks for it specially.
    if (Wanted != 0 && C->Perform(CM_WANTSPECIALKEY, Key, 0) == 0 &&
        (Key == VK_ESCAPE || (C->Perform(WM_GETDLGCODE, 0, 0) & Wanted) == 0)) {
        PostKeyToGrid(Message, Message.LParam);
        return;
    }
    if (FEditControl == C) {
        const TShiftState Shift = KeyDataToShiftState(Message.LParam);
        if (!Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) &&
            LeavesControl(C, Key)) {
            PostKeyToGrid(Message, Message.LParam);
            return;
        }
    }
    FSavedEditControlWndProc(Message);
}

void TCarrelonPrivate::EditControlChildKey(TMessage& Message) {
    TWinControl* C = FEditControl;
    const TWndMethod Saved = FSavedEditControlWndProc;
    const std::intptr_t Key = Message.WParam;
    const auto* Sender = reinterpret_cast<const TControl*>(Message.LParam);
    TCustomForm* Form = GetParentForm(q);
    const bool Alt = KeyHeld(VK_MENU);
    if (Key == VK_TAB) {
        if (Alt || KeyHeld(VK_CONTROL)) {
            Saved(Message);
            return;
        }
        if (Sender != C && Form != nullptr) {
            // Tab moves inside a composite control until it would leave it.
            C->SetVisibleMark(true);
            const TWinControl* Next =
                Form->FindNextControl(Form->GetActiveControl(), !KeyHeld(VK_SHIFT), true, false);
            if (Next != nullptr && Next->GetParent() == C) {
                Saved(Message);
                return;
            }
            C->SetVisibleMark(false);
        }
        PostKeyToGrid(Message, 0);
        return;
    }
    if (Key == VK_RETURN) {
        if (FCarrelonOptions.Contains(cloEnterThrough))
            PostKeyToGrid(Message, 0);
        else
            Saved(Message);
        return;
    }
    if (Key == VK_ESCAPE) {
        PostKeyToGrid(Message, 0);
        return;
    }
    if (IsArrow(Key) && dynamic_cast<TCustomCombo*>(C) == nullptr && !Alt && Sender != C &&
        Form != nullptr && Form->GetActiveControl() != nullptr) {
        // The arrows step between the controls inside; past them, the grid moves.
        TWinControl* Active = Form->GetActiveControl();
        C->SetVisibleMark(true);
        const TWinControl* Next = nullptr;
        if (TWinControl* Within = Active->GetParent())
            Next = Within->FindNextControl(Active, Key == VK_RIGHT || Key == VK_DOWN, false, true);
        if (Next != nullptr && Next != C && C->ContainsControl(Next)) {
            Saved(Message);
            return;
        }
        C->SetVisibleMark(false);
        PostKeyToGrid(Message, 0);
        return;
    }
    Saved(Message);
}

}  // namespace carrelon
