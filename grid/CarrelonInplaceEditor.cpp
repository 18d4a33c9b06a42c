#include "grid/CarrelonInplaceEditor.h"

#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinUser.h"
#include "platform/devices/Clipboard.h"

namespace carrelon {

TCarrelonInplaceEditor::TCarrelonInplaceEditor(TCarrelon* AGrid)
    : TCustomRichEdit(AGrid), FGrid(AGrid) {
    SetParent(AGrid);
    SetVisible(false);
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetTabStop(false);
    SetBorderStyle(bsNone);
}

TCarrelonPrivate& TCarrelonInplaceEditor::GridPrivate() const {
    return TCarrelonPrivate::Of(FGrid);
}

// ---- keys ---------------------------------------------------------------------------------

bool TCarrelonInplaceEditor::KeyBelongsToGrid(Word Key, TShiftState Shift) const {
    const TCarrelonOptions Options = FGrid->GetOptions();
    const bool Excel = FGrid->GetSpreadsheetOptions().Contains(soExcelStyleNavigation);
    const bool None = Shift.Empty();
    const bool CtrlOnly = Shift == TShiftState{ssCtrl};
    const int Length = GetTextLength();
    switch (Key) {
        case VK_TAB:
            return !Shift.Contains(ssAlt);
        case VK_RETURN:
            return (None && (Options.Contains(cloEnterThrough) || Excel)) ||
                   (Shift == TShiftState{ssShift} && Excel);
        case VK_ESCAPE:
        case VK_PRIOR:
        case VK_NEXT:
            return true;
        case VK_HOME: {
            if (!Options.Contains(cloAlwaysShowEditor) || !CtrlOnly) return false;
            const TPoint Caret = GetCaretPos();
            return Caret.X == 0 && Caret.Y == 0;
        }
        case VK_END:
            return Options.Contains(cloAlwaysShowEditor) && CtrlOnly && GetSelStart() == Length;
        case VK_LEFT: {
            const int SelLength = GetSelLength();
            return None && GetSelStart() == 0 && (SelLength == 0 || SelLength == Length);
        }
        case VK_RIGHT:
            return None && (GetSelStart() == Length || GetSelLength() == Length);
        case VK_UP:
            return None && GetCaretPos().Y == 0;
        case VK_DOWN: {
            if (!None) return false;
            if (GetSelStart() == Length) return true;
            // A text that ends in a line break keeps Down on its empty last line. A text of
            // fewer than two characters has no character before its last. (A CR byte is never
            // part of a longer UTF-8 sequence, so the byte test is the character test.)
            const AnsiString Text = GetText();
            const bool EndsInBreak = Text.size() >= 2 && Text[Text.size() - 2] == '\r';
            return GetCaretPos().Y == GetLineCount() - 1 && !EndsInBreak;
        }
        default:
            return false;
    }
}

void TCarrelonInplaceEditor::PassKeyToGrid(Word& Key, TShiftState Shift) {
    GridPrivate().GridKeyDown(Key, Shift);
    Key = 0;
}

void TCarrelonInplaceEditor::NotifyGridKeyDown(Word& Key, TShiftState Shift) {
    if (FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
}

void TCarrelonInplaceEditor::KeyDown(Word& Key, TShiftState Shift) {
    const bool Paste = (Key == 'V' && Shift == TShiftState{ssCtrl}) ||
                       (Key == VK_INSERT && Shift == TShiftState{ssShift});
    if (Paste) {
        // The application hears of the paste key first; the rich edit's own paste never runs.
        const Word Asked = Key;
        NotifyGridKeyDown(Key, Shift);
        if (Key == Asked) {
            if (FGrid->GetEditorOptions().Contains(eoAllowPaste)) PasteFromClipboard();
            Key = 0;
        }
    } else if (Key == VK_RETURN && Shift == TShiftState{ssAlt}) {
        if (FGrid->GetOptions().Contains(cloMultiLineCells)) {
            NotifyGridKeyDown(Key, Shift);
            Key = 0;
            PostMessageA(GetHandle(), WM_CHAR, 10, 0);
            return;
        }
    } else if (KeyBelongsToGrid(Key, Shift)) {
        PassKeyToGrid(Key, Shift);
    }
    if (Key == 0) return;
    NotifyGridKeyDown(Key, Shift);
    if (Key != 0) TCustomRichEdit::KeyDown(Key, Shift);
}

void TCarrelonInplaceEditor::KeyPress(char32_t& Key) {
    TCarrelonPrivate& P = GridPrivate();
    if (Key != 9 && FGrid->GetRow() >= 0) {
        // The column the cell starts in comes into view.
        const int Start = FGrid->GetCells(FGrid->GetCol(), FGrid->GetRow())->GetStartCol();
        const int Left = FGrid->GetLeftCol();
        if (Start >= 0 && Start < Left && Start >= FGrid->GetFixedCols())
            FGrid->SetLeftCol(Start);
        else if (Start >= 0)
            FGrid->SetLeftCol(std::max(Left, Start - FGrid->GetVisibleColCount()));
    }
    P.GridKeyPress(Key);
    const TCarrelonOptions Options = FGrid->GetOptions();
    const bool MultiLine = Options.Contains(cloMultiLineCells);
    switch (Key) {
        case 9:
        case 27:
            Key = 0;
            break;
        case 10:
            if (!MultiLine) Key = 0;
            break;
        case 13:
            // A line break by Enter needs multi-line cells and Enter kept in the cell.
            if (!MultiLine || Options.Contains(cloEnterThrough) ||
                FGrid->GetSpreadsheetOptions().Contains(soExcelStyleNavigation))
                Key = 0;
            break;
        default:
            break;
    }
    if (Key != 0) TCustomRichEdit::KeyPress(Key);
}

void TCarrelonInplaceEditor::KeyUp(Word& Key, TShiftState Shift) {
    GridPrivate().GridKeyUp(Key, Shift);
}

// ---- size and scroll bar ------------------------------------------------------------------

bool TCarrelonInplaceEditor::ScrollBarWanted() const {
    const TScrollStyle Bars = GetScrollBars();
    return FGrid->GetInplaceScrollBar() && (Bars == ssVertical || Bars == ssBoth) &&
           GetContentHeight() > GetHeight();
}

void TCarrelonInplaceEditor::UpdateScrollBar() {
    FVertScrollBarWanted = ScrollBarWanted();
    const bool Shown = (GetWindowStyle() & WS_VSCROLL) != 0;
    if (FVertScrollBarWanted != Shown && HandleAllocated())
        SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TCarrelonInplaceEditor::WMNCCalcSize(TMessage& Message) {
    // Decided afresh at every frame calculation: the bar shows exactly while the text is
    // taller than the editor.
    FVertScrollBarWanted = ScrollBarWanted();
    const std::int32_t Style = GetWindowStyle();
    const std::int32_t Wanted = FVertScrollBarWanted ? (Style | WS_VSCROLL) : (Style & ~WS_VSCROLL);
    if (Wanted != Style) SetWindowStyle(Wanted);
    TCustomRichEdit::WMNCCalcSize(Message);
}

void TCarrelonInplaceEditor::RequestSize(const TRect& Rect) {
    TCarrelonPrivate& P = GridPrivate();
    if (!HandleAllocated() || FGrid->GetRow() < 0) return;
    const HWND Handle = GetHandle();
    if (ImeComposing(Handle) || P.FHidingEditor || !IsWindowVisible(Handle) || P.FPlacingEditor)
        return;
    const int NewHeight = Rect.Height();
    const int Height = GetHeight();
    const TCarrelonEditorOptions Options = FGrid->GetEditorOptions();
    const bool Increase = Options.Contains(eoAutoIncreaseRowHeight);
    const bool Decrease = Options.Contains(eoAutoDecreaseRowHeight);
    if (NewHeight == Height || (NewHeight > Height && !Increase) ||
        (NewHeight < Height && !Decrease)) {
        UpdateScrollBar();
        return;
    }
    {
        P.FEditorResizingRow = true;
        TScopeExit Done([&P] { P.FEditorResizingRow = false; });
        P.DoResizeRow(FGrid->GetRow(), Increase, Decrease, NewHeight);
    }
    if (!P.FEditorShowing) return;
    const TRect R = P.EditorRect();
    if (R.Height() != GetHeight() || R.Left != GetLeft() || R.Top != GetTop())
        SetWindowPos(Handle, nullptr, R.Left, R.Top, GetWidth(), R.Height(),
                     SWP_SHOWWINDOW | SWP_NOREDRAW);
    UpdateScrollBar();
    // After shrinking, the text scrolls back by a line.
    if (NewHeight < FLastRequestHeight) Perform(EM_SCROLL, SB_LINEUP, 0);
    FLastRequestHeight = NewHeight;
}

// ---- messages -----------------------------------------------------------------------------

void TCarrelonInplaceEditor::WMGetDlgCode(TMessage& Message) {
    TCustomRichEdit::WMGetDlgCode(Message);
    if (FGrid->GetOptions().Contains(cloTabs)) Message.Result |= DLGC_WANTTAB;
}

void TCarrelonInplaceEditor::CMRecreateWnd(TMessage& Message) {
    TCustomRichEdit::CMRecreateWnd(Message);
    HandleNeeded();
}

void TCarrelonInplaceEditor::CMCancelMode(TMessage& Message) {
    TCustomRichEdit::CMCancelMode(Message);
    const TControl* Sender = reinterpret_cast<const TControl*>(Message.LParam);
    if (Sender != nullptr && Sender == GetParentForm(FGrid)) GridPrivate().DoCancelMode();
}

void TCarrelonInplaceEditor::SelectionChange() {
    TCarrelonPrivate& P = GridPrivate();
    AnsiString Selected = GetSelText();
    if (FGrid->OnEditorSelectionChanged && Selected != P.FLastEditorSelText)
        FGrid->OnEditorSelectionChanged(FGrid, Selected);
    P.FLastEditorSelText = std::move(Selected);
}

void TCarrelonInplaceEditor::PasteFromClipboard() {
    if (Clipboard()->HasFormat(CF_TEXT)) Perform(EM_PASTESPECIAL, CF_TEXT, 0);
}

// ---- drag and drop: the grid decides, at the same point in its own coordinates ------------

void TCarrelonInplaceEditor::DragOver(TObject* Source, int X, int Y, TDragState State,
                                      bool& Accept) {
    TPoint P{X, Y};
    if (HandleAllocated() && FGrid->HandleAllocated())
        MapWindowPoints(GetHandle(), FGrid->GetHandle(), &P, 1);
    GridPrivate().GridDragOver(Source, P.X, P.Y, State, Accept);
}

void TCarrelonInplaceEditor::DragDrop(TObject* Source, int X, int Y) {
    TPoint P{X, Y};
    if (HandleAllocated() && FGrid->HandleAllocated())
        MapWindowPoints(GetHandle(), FGrid->GetHandle(), &P, 1);
    GridPrivate().GridDragDrop(Source, P.X, P.Y);
}

}  // namespace carrelon
