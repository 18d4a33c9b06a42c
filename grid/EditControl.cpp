// Application-supplied edit controls: opening one over the current cell (its parent, options,
// text, bounds, the row and column growth and scrolling it asks for, focus and hook), closing it
// (validation, text out, the application's say, commit), keeping it on its cell when the grid
// moves or scrolls, and the lifetimes of the control and the grid, neither of which owns the
// other.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/EditControlRoutines.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

namespace {

// Whether C, shown on Parent, could take the focus.
bool CanFocusOn(const TWinControl* C, const TWinControl* Parent) {
    const TCustomForm* Form = GetParentForm(Parent);
    if (Form == nullptr || !C->GetEnabled()) return false;
    for (const TControl* P = Parent; P != nullptr && P != Form; P = P->GetParent())
        if (!P->GetVisible() || !P->GetEnabled()) return false;
    return true;
}

// Whether the window with the focus is C or lies inside it.
bool HoldsFocus(const TWinControl* C) {
    const TWinControl* F = FindControl(GetFocus());
    return F != nullptr && C->ContainsControl(F);
}

}  // namespace

int TCarrelonPrivate::EditControlBorder() const {
    return q->GetBorderWidthNC();
}

// ---- opening ------------------------------------------------------------------------------

void TCarrelonPrivate::ShowEditControl(const AnsiString& Text, const TRect& R, int ScrollTo) {
    TWinControl* C = FEditControl;
    TWinControl* Parent = q->GetParent();
    // A control that could not take the focus would be left shown and unhooked half-way:
    // nothing opens.
    if (Parent == nullptr || !CanFocusOn(C, Parent)) {
        if (C->GetVisible() && C->GetParent() == Parent) C->SetVisible(false);
        FEditControl = nullptr;
        return;
    }
    const int Col = q->GetCol();
    const int Row = q->GetRow();
    TCarrelonCell* Cell = q->GetCells(Col, Row);
    // The grid hears when the application frees the control.
    C->FreeNotification(q);

    if (C->GetParent() != Parent) C->SetParent(Parent);
    C->HandleNeeded();
    C->SetTabStop(false);
    if (FEditControlOptions.Contains(ecoUseEditColor)) C->SetColor(FEditColor);
    if (FEditControlOptions.Contains(ecoMakeFlat)) {
        C->SetCtl3D(false);
        C->RecreateWnd();
    }
    if (FEditControlOptions.Contains(ecoUseCellFont)) C->SetFont(Cell->CalcFont());
    if (FEditControlOptions.Contains(ecoUseEditFontColor)) C->GetFont()->SetColor(FEditFontColor);
    C->SetAlign(alNone);

    AnsiString Value = Text;
    SetEditControlText(Value);
    if (FEditControl != C) return;  // freed by the handler
    FEditControlFilledText = Text;
    FEditControlFilledResult = EditControlText();

    const int b = EditControlBorder();
    int X = R.Left;
    int Y = R.Top;
    C->SetBounds(q->GetLeft() + b + X, q->GetTop() + b + Y, R.Width(), R.Height());
    bool Scrolled = false;
    // A control that keeps a natural height taller than the row: the row grows, and the view
    // scrolls further (straight to the first top row that lets it fit) when it reaches below.
    int Top = ScrollTo;
    if (C->GetHeight() > R.Height()) {
        if (FEditControlOptions.Contains(ecoAutoIncreaseRowHeight))
            q->SetRowHeights(Row, C->GetHeight() + q->GetGridLineWidth());
        const int Lift = C->GetHeight() + Y - q->GetClientHeight();
        if (Cell->Row >= FOwnFixedRows && Top < Cell->Row && Lift > 0)
            Top = FirstIndexLifting(q->RowAxis(), Top, Cell->Row, Lift);
    }
    if (const int Before = q->GetTopRow(); Top != Before) {
        q->SetTopRow(Top);
        if (q->GetTopRow() != Before) {
            Scrolled = true;
            Y = GetY(Cell->Row);
        }
    }
    if (R.Width() < C->GetWidth()) {
        TCarrelonCol* Column = FCols[static_cast<std::size_t>(Col)];
        if (FEditControlOptions.Contains(ecoAutoIncreaseColumnWidth))
            Column->SetWidth(C->GetWidth() + Column->GetGridLineWidth());
        const int StartCol = Cell->GetStartCol();
        const int Left = q->GetLeftCol();
        const int Lift = C->GetWidth() + X - q->GetClientWidth();
        if (StartCol >= q->GetFixedCols() && Left < StartCol && Lift > 0) {
            q->SetLeftCol(FirstIndexLifting(q->ColAxis(), Left, StartCol, Lift));
            if (q->GetLeftCol() != Left) {
                Scrolled = true;
                X = GetX(StartCol);
            }
        }
    }
    if (Scrolled) C->SetBounds(q->GetLeft() + b + X, q->GetTop() + b + Y, R.Width(), R.Height());

    C->BringToFront();
    Parent->DisableAlign();
    bool Focused = true;
    {
        TScopeExit Align([Parent] { Parent->EnableAlign(); });
        C->SetVisible(true);
        try {
            C->SetFocus();
        } catch (const Exception&) {
            Focused = false;
        }
    }
    if (FEditControl != C) return;
    if (!Focused) {
        // Refused by the framework after all: hidden again, and nothing opens.
        C->SetVisible(false);
        C->RemoveFreeNotification(q);
        FEditControl = nullptr;
        return;
    }
    // Shown, yet skipped by the parent's alignment and tab-order search.
    C->SetVisibleMark(false);
    HookEditControl();
    FEditorShowing = true;
}

void TCarrelonPrivate::HookEditControl() {
    TWinControl* C = FEditControl;
    FSavedEditControlWndProc = C->GetWindowProc();
    // The hook reads nothing of itself after the grid's procedure returns: a close run by the
    // message may replace it meanwhile.
    C->SetWindowProc([P = this](TMessage& Message) { P->EditControlWndProc(Message); });
}

void TCarrelonPrivate::UnhookEditControl() {
    FEditControl->SetWindowProc(FSavedEditControlWndProc);
}

// ---- closing ------------------------------------------------------------------------------

bool TCarrelonPrivate::CloseEditControl() {
    TWinControl* C = FEditControl;
    const int Col = q->GetCol();
    const int Row = q->GetRow();
    AnsiString Text;
    if (!FCancelEdit) {
        UnhookEditControl();
        // The control's own exit processing validates it, without the application's OnExit.
        AnsiString Error;
        bool Valid = true;
        {
            TNotifyEvent OnExit = std::move(C->OnExit);
            C->OnExit = nullptr;
            TScopeExit Reattach([&] {
                if (FEditControl == C) C->OnExit = std::move(OnExit);
            });
            try {
                C->Perform(CM_EXIT, 0, 0);
            } catch (const Exception& E) {
                Valid = false;
                Error = E.Message;
            }
        }
        if (FEditControl != C) return !FEditorShowing;  // freed meanwhile
        if (!Valid) {
            HookEditControl();
            if (q->OnEditControlValidateError) q->OnEditControlValidateError(q, Col, Row, Error);
            return false;
        }
        Text = EditControlText();
        // Nothing changed in a control that could not hold the cell's text: the text stays.
        if (Text == FEditControlFilledResult) Text = FEditControlFilledText;
        if (q->OnGetEditControlResult) q->OnGetEditControlResult(q, Col, Row, C, Text);
        if (FEditControl != C) return !FEditorShowing;
        if (Text != FEditOldText) {
            bool AllowExit = true;
            const AnsiString Typed = Text;
            {
                FClosingEditor = true;
                TScopeExit Closing([this] { FClosingEditor = false; });
                q->CellChanged(Col, Row, FEditOldText, Text, AllowExit);
            }
            if (FEditControl != C) return !FEditorShowing;
            if (Text != Typed) {
                AnsiString Value = Text;
                SetEditControlText(Value);
                if (FEditControl != C) return !FEditorShowing;
                FEditControlFilledText = Text;
                FEditControlFilledResult = EditControlText();
            }
            if (!AllowExit) {
                HookEditControl();
                return false;
            }
        }
    }
    const bool Commit = !FCancelEdit && Text != FEditOldText;
    TCarrelonCell* Cell = q->GetCells(Col, Row);
    FEditorShowing = false;
    {
        FClosingEditControl = true;
        TScopeExit Closing([this] { FClosingEditControl = false; });
        const bool HadFocus = HoldsFocus(C);
        C->SetVisibleMark(true);
        C->SetVisible(false);
        if (FCancelEdit) UnhookEditControl();
        FEditControl = nullptr;
        C->RemoveFreeNotification(q);
        if (HadFocus && q->CanFocus()) q->SetFocus();
    }
    // A press on another cell closed it: the row is fitted when the button comes up.
    EndEdit(Cell, Text, Commit, Col, Row, FMouseButtonDown);
    return true;
}

void TCarrelonPrivate::EditControlFreed() {
    FEditControl = nullptr;
    if (!FEditorShowing) return;
    FEditorShowing = false;
    const int Col = q->GetCol();
    const int Row = q->GetRow();
    EndEdit(q->GetCells(Col, Row), {}, false, Col, Row, false);
}

void TCarrelonPrivate::ReleaseEditControl() {
    TWinControl* C = FEditControl;
    if (C == nullptr) return;
    FEditControl = nullptr;
    FEditorShowing = false;
    if (FSavedEditControlWndProc) C->SetWindowProc(FSavedEditControlWndProc);
    C->SetVisibleMark(true);
    C->SetVisible(false);
    C->RemoveFreeNotification(q);
}

void TCarrelonPrivate::SetEditControlFontColor(TColor Value) {
    if (FEditControl != nullptr) FEditControl->GetFont()->SetColor(Value);
}

// ---- following the cell -------------------------------------------------------------------

void TCarrelonPrivate::PlaceEditControlAfterScroll() {
    TWinControl* C = FEditControl;
    HWND Window = C->GetHandle();
    const TRect R = q->CellRect(q->GetCol(), q->GetRow());
    if (R.IsEmpty()) {
        SetWindowPos(Window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return;
    }
    const int b = EditControlBorder();
    SetWindowPos(Window, nullptr, R.Left + q->GetLeft() + b, R.Top + q->GetTop() + b, R.Width(),
                 R.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (C->GetTop() + C->GetHeight() - b - q->GetTop() > q->GetClientHeight()) {
        SetWindowPos(Window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return;
    }
    SetWindowPos(Window, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    if (q->HandleAllocated() && GetFocus() == q->GetHandle()) WindowsSetFocus(Window);
}

void TCarrelonPrivate::AdjustEditControl() {
    TWinControl* C = FEditControl;
    if (!FEditorShowing || C == nullptr) return;
    TRect R = q->CellRect(q->GetCol(), q->GetRow());
    if (R.IsEmpty()) {
        R = {};
    } else {
        const int b = EditControlBorder();
        R = {R.Left + q->GetLeft() + b, R.Top + q->GetTop() + b, R.Right + q->GetLeft() + b,
             R.Bottom + q->GetTop() + b};
        int Least = 0;
        if (dynamic_cast<const TCustomCombo*>(C) != nullptr)
            Least = ComboEditHeight(C);
        else if (C->ClassName() == "TCSpinEdit")
            Least = SpinEditHeight(C);
        if (R.Height() < Least) {
            // No room below the cell: collapsed rather than reaching over the grid's edge.
            if (q->GetClientHeight() + b + q->GetTop() < Least + R.Top)
                R = {};
            else
                R.Bottom = R.Top + Least;
        }
    }
    if (!(R == C->GetBoundsRect())) C->SetBounds(R.Left, R.Top, R.Width(), R.Height());
}

void TCarrelon::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomGrid::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (!d || d->Loading() || d->Designing() || d->FIniLoading) return;
    d->AdjustEditControl();
}

}  // namespace carrelon
