// The grid's side of editing: the gate through which other operations close the editor, the
// opening (conditions, starting text, placement, set-up of the in-place editor) and the closing
// (the application's say, the commit into the cell, the row heights, the events).
#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

// ---- the gate -----------------------------------------------------------------------------

bool TCarrelonPrivate::CheckEditorMode() {
    if (!FEditorShowing) return false;
    // Asked from the application's handler of the close in progress: the edit stays open
    // for now, and the operation that asked is refused.
    if (FClosingEditor) return true;
    q->SetEditorMode(false);
    return FEditorShowing;
}

void TCarrelonPrivate::CheckAlwaysShowEditor() {
    if (!FCarrelonOptions.Contains(cloAlwaysShowEditor) || FEditorShowing || !q->GetVisible() ||
        FUpdateCount != 0 || q->GetRow() == -1 || !q->HandleAllocated() ||
        !IsWindowVisible(q->GetHandle()))
        return;
    // The grid's own window, not an open editor inside it.
    if (!q->TWinControl::Focused()) return;
    q->SetEditorMode(true);
}

bool TCarrelonPrivate::EditorReaction(bool Close) {
    const bool Before = q->GetEditorMode();
    if (Close)
        q->SetEditorMode(false);
    else
        CheckAlwaysShowEditor();
    return q->GetEditorMode() != Before;
}

bool TCarrelon::GetEditorMode() const {
    return d->FEditorShowing;
}

void TCarrelon::SetEditorMode(bool Value) {
    if (Value == d->FEditorShowing) return;
    if (Value)
        d->OpenEditor();
    else
        d->CloseEditor();
}

bool TCarrelonPrivate::IsActiveControl() const {
    if (const TCustomForm* Form = GetParentForm(q)) return Form->GetActiveControl() == q;
    if (!q->HandleAllocated()) return false;
    const HWND Own = q->GetHandle();
    for (HWND W = GetFocus(); W != nullptr; W = GetParent(W))
        if (W == Own) return true;
    return false;
}

bool TCarrelonPrivate::CellTakesEditor(const TCarrelonCell* Cell) {
    return !Cell->GetReadOnly() && !Cell->GetCheckBox() && !Cell->GetButton();
}

// ---- opening ------------------------------------------------------------------------------

void TCarrelonPrivate::OpenEditor() {
    if (!FModel || FInplaceEditor == nullptr || Designing()) return;
    if (!FCarrelonOptions.Contains(cloEditing) || FCarrelonOptions.Contains(cloRowSelect)) return;
    if (!FCarrelonOptions.Contains(cloAlwaysShowEditor) && !IsActiveControl()) return;
    const int Col = q->GetCol();
    const int Row = q->GetRow();
    if (Row < 0 || Col < 0 || q->FGridState != gsNormal) return;
    TCarrelonCell* Cell = q->GetCells(Col, Row);
    if (!CellTakesEditor(Cell)) return;

    // The text the cell gives the editor.
    if (const AnsiString Formula = Cell->ReadFFormula(); !Formula.empty())
        FEditOldText = AnsiString(1, '=').append(Formula);
    else if (Cell->ReadFError())
        FEditOldText.clear();
    else
        FEditOldText = Cell->GetText();
    FEditOldRowHeight = q->GetRowHeights(Row);
    FEditOldFirstRow = Cell->Row;
    FEditOldRowHeights.clear();
    for (int r = Cell->Row; r <= Cell->GetEndRow(); ++r)
        FEditOldRowHeights.push_back(q->GetRowHeights(r));
    AnsiString Text = FEditOldText;
    if (FClearOnOpen) {
        Text.clear();
        FClearOnOpen = false;
    }
    if (q->OnGetEditText) q->OnGetEditText(q, Col, Row, Text);
    // A control left from an earlier opening is never reused.
    FEditControl = nullptr;
    if (q->OnGetEditControl) q->OnGetEditControl(q, Col, Row, FEditControl);
    if (FEditControl == q || FEditControl == FInplaceEditor ||
        (FEditControl != nullptr && FEditControl->ContainsControl(q)))
        FEditControl = nullptr;
    // The handlers may have moved the current cell or changed the grid: open on what is
    // current now only when it is still the same slot.
    if (q->GetCol() != Col || q->GetRow() != Row || FEditorShowing) {
        FEditControl = nullptr;
        return;
    }
    Cell = q->GetCells(Col, Row);

    // Into view: rows and columns above or left of the view.
    if (Cell->Row < q->GetTopRow() && Cell->Row >= FOwnFixedRows) q->SetTopRow(Cell->Row);
    const int StartCol = Cell->GetStartCol();
    if (StartCol < q->GetLeftCol() && StartCol >= q->GetFixedCols()) q->SetLeftCol(StartCol);
    if (FEditControl != nullptr) {
        // The control may need more room than the cell: the view scrolls once, for both.
        int ScrollTo = 0;
        const TRect R = EditorRect(&ScrollTo);
        ShowEditControl(Text, R, ScrollTo);
        return;
    }
    const TRect R = EditorRect();

    TCarrelonInplaceEditor* E = FInplaceEditor;
    FLastEditorSelText.clear();
    E->HandleNeeded();
    // A right-aligned cell hands its alignment on only when it wraps.
    const TAlignment Alignment = Cell->GetTextAlignment();
    if (Alignment != E->GetAlignment() && (Alignment != taRightJustify || Cell->GetWordWrap())) {
        E->SetAlignment(Alignment);
        E->GetParagraph()->SetAlignment(Alignment);
    }
    E->SetBorderWidth(FBorderForText);
    E->SetColor(FEditColor);
    E->SetFont(Cell->CalcFont());
    E->GetFont()->SetColor(FEditFontColor);
    E->SetMaxLength(Cell->GetMaxLength());
    E->SetScrollBars(FInplaceScrollBar ? ssVertical : ssNone);
    E->SetWordWrap(Cell->GetWordWrap());
    E->SetText("");
    SetWindowPos(E->GetHandle(), nullptr, R.Left, R.Top, R.Width(), R.Height(),
                 SWP_SHOWWINDOW | SWP_NOREDRAW);
    InvalidateEditor();
    FEditorShowing = true;
    E->SetText(Text);
    if (!FEditorShowing) return;  // a change handler closed it again
    WindowsSetFocus(E->GetHandle());
    if (FEditorOptions.Contains(eoCursorAtEnd))
        E->SetSelStart(E->GetTextLength());
    else if (FEditorOptions.Contains(eoSelectAll))
        E->SetSelLength(E->GetTextLength());
    else
        E->SetSelLength(0);
}

// ---- closing ------------------------------------------------------------------------------

void TCarrelonPrivate::CloseEditor() {
    if (FClosingEditor) return;
    if (FEditControl != nullptr) {
        CloseEditControl();
        return;
    }
    CloseInplaceEditor();
}

void TCarrelonPrivate::CloseInplaceEditor() {
    TCarrelonInplaceEditor* E = FInplaceEditor;
    const int Col = q->GetCol();
    const int Row = q->GetRow();
    AnsiString Text = E->GetText();
    if (!FCancelEdit && Text != FEditOldText) {
        bool AllowExit = true;
        const AnsiString Typed = Text;
        {
            FClosingEditor = true;
            TScopeExit Closing([this] { FClosingEditor = false; });
            q->CellChanged(Col, Row, FEditOldText, Text, AllowExit);
        }
        if (Text != Typed) WithoutHandler(q->OnSetEditText, [&] { E->SetText(Text); });
        if (!AllowExit || !FEditorShowing) return;
    }
    const bool Commit = !FCancelEdit && Text != FEditOldText;
    TCarrelonCell* Cell = q->GetCells(Col, Row);
    FEditorShowing = false;
    HideEditor();
    EndEdit(Cell, Text, Commit, Col, Row, false);
}

void TCarrelonPrivate::EndEdit(TCarrelonCell* Cell, const AnsiString& Text, bool Commit, int Col,
                               int Row, bool DeferRowFit) {
    if (Commit) {
        CommitEdit(Cell, Text);
        if (!DeferRowFit)
            ResizeRow(q->GetRow());
        else if (q->GetRow() >= 0)
            FPendingResizeCell = q->GetCells(q->GetCol(), q->GetRow());
    } else {
        // What the edit grew goes back, on every row of a merged cell.
        const int Rows = q->GetRowCount();
        for (std::size_t i = 0; i < FEditOldRowHeights.size(); ++i) {
            const int r = FEditOldFirstRow + static_cast<int>(i);
            if (r < Rows && q->GetRowHeights(r) != FEditOldRowHeights[i])
                q->SetRowHeights(r, FEditOldRowHeights[i]);
        }
    }
    if (q->OnCellExit) q->OnCellExit(q, Col, Row);
}

void TCarrelonPrivate::CommitEdit(TCarrelonCell* Cell, const AnsiString& Text) {
    FCommitCell = Cell;
    TScopeExit Done([this] { FCommitCell = nullptr; });
    TEditRecalculation Recalc(*this, Cell);
    bool Ok = true;
    const AnsiString Trimmed = Trim(Text);
    if (FSpreadsheetEnabled && !Trimmed.empty() && Trimmed[0] == '=') {
        Cell->WriteFFormula(AnsiUpperCase(Trimmed.substr(1)));
        Ok = AnalyzeExpression(Cell);
    } else {
        if (FSpreadsheetEnabled) Cell->WriteFFormula({});
        Cell->StoreValue(Variant(TrimRight(Text)));
        Cell->WriteFError(false);
    }
    // A handler of the evaluation may have freed the cell.
    if (FSpreadsheetEnabled && Ok && FCommitCell != nullptr) Recalc.Run();
}

void TCarrelon::CellChanged(int ACol, int ARow, const AnsiString& OldValue, AnsiString& NewValue,
                            bool& AllowExit) {
    if (OnCellChanged) OnCellChanged(this, ACol, ARow, OldValue, NewValue, AllowExit);
}

void TCarrelon::SetEditText(int ACol, int ARow, const AnsiString& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

// ---- selection inside the editor ----------------------------------------------------------

bool TCarrelon::SetEditorSelection(int SelStart, int SelLength) {
    if (!d->FEditorShowing || d->FEditControl != nullptr || d->FInplaceEditor == nullptr)
        return false;
    d->FInplaceEditor->SetSelStart(SelStart);
    d->FInplaceEditor->SetSelLength(SelLength);
    return true;
}

bool TCarrelon::GetEditorSelection(int& SelStart, int& SelLength, AnsiString& SelText) const {
    if (!d->FEditorShowing || d->FEditControl != nullptr || d->FInplaceEditor == nullptr)
        return false;
    SelStart = d->FInplaceEditor->GetSelStart();
    SelLength = d->FInplaceEditor->GetSelLength();
    SelText = d->FInplaceEditor->GetSelText();
    return true;
}

}  // namespace carrelon
