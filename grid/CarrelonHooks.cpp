// TCarrelon: the narrow internal functions through which the model calls the editor, row
// fitting, selection and update-lock handling. Each does the least its callers need; the
// editor, sizing, selection and repaint code replace these bodies with the full behaviour.
#include "grid/CarrelonPrivate.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

// ---- editor -------------------------------------------------------------------------------

bool TCarrelonPrivate::CheckEditorMode() {
    return false;  // no editor is open yet, so nothing can refuse to close
}

void TCarrelonPrivate::CheckAlwaysShowEditor() {}

bool TCarrelon::GetEditorMode() const {
    return false;
}

void TCarrelon::SetEditorMode(bool) {}

bool TCarrelonPrivate::EditorReaction(bool Close) {
    const bool Before = q->GetEditorMode();
    if (Close)
        q->SetEditorMode(false);
    else
        CheckAlwaysShowEditor();
    return q->GetEditorMode() != Before;
}

void TCarrelonPrivate::CreateRunTimeParts() {
    // The system sheet holds 4 x 3 check-box images: the unchecked one at the top left, the
    // checked one beside it.
    FUncheckedImage = LoadBitmapA(nullptr, OBM_CHECKBOXES);
    if (!FUncheckedImage) return;
    const int W = FUncheckedImage->GetWidth() / 4;
    const int H = FUncheckedImage->GetHeight() / 3;
    FCheckedImage = std::make_unique<TBitmap>();
    FCheckedImage->SetSize(W, H);
    FCheckedImage->GetCanvas()->CopyRect(Rect(0, 0, W, H), FUncheckedImage->GetCanvas(),
                                         Rect(W, 0, 2 * W, H));
    FUncheckedImage->SetSize(W, H);
}

// ---- selection ----------------------------------------------------------------------------

void TCarrelonPrivate::CellFreed(TCarrelonCell* Cell) {
    FormulaCellFreed(Cell);
    if (FSelectedCells && !FSelectedCells->List().Empty()) FSelectedCells->CellFreed(Cell);
    if (FHintCell == Cell) FHintCell = nullptr;
    if (FPushedButtonCell == Cell) FPushedButtonCell = nullptr;
    if (FPendingResizeCell == Cell) FPendingResizeCell = nullptr;
}

// ---- update lock --------------------------------------------------------------------------

void TCarrelonPrivate::SetRedraw(bool On) {
    if (q->HandleAllocated()) q->Perform(WM_SETREDRAW, On ? 1 : 0, 0);
}

// ---- messages -----------------------------------------------------------------------------

void TCarrelonPrivate::ShowOutOfMemory() {
    MessageDlg("Out of memory", mtError, TMsgDlgButtons{mbOK}, 0);
}

}  // namespace carrelon
