// TCarrelon: the narrow internal functions through which the model calls the editor, row
// fitting, selection and update-lock handling. Each does the least its callers need; the
// editor, sizing, selection and repaint code replace these bodies with the full behaviour.
#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

// ---- editor -------------------------------------------------------------------------------

bool TCarrelon::CheckEditorMode() {
    return false;  // no editor is open yet, so nothing can refuse to close
}

void TCarrelon::CheckAlwaysShowEditor() {}

bool TCarrelon::GetEditorMode() const {
    return false;
}

void TCarrelon::SetEditorMode(bool) {}

bool TCarrelon::EditorReaction(bool Close) {
    const bool Before = GetEditorMode();
    if (Close)
        SetEditorMode(false);
    else
        CheckAlwaysShowEditor();
    return GetEditorMode() != Before;
}

void TCarrelon::CreateRunTimeParts() {
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

void TCarrelon::CellFreed(TCarrelonCell* Cell) {
    FormulaCellFreed(Cell);
    if (FSelectedCells && !FSelectedCells->List().Empty()) FSelectedCells->CellFreed(Cell);
    if (FHintCell == Cell) FHintCell = nullptr;
    if (FPushedButtonCell == Cell) FPushedButtonCell = nullptr;
    if (FPendingResizeCell == Cell) FPendingResizeCell = nullptr;
}

// ---- update lock --------------------------------------------------------------------------

void TCarrelon::SetRedraw(bool On) {
    if (HandleAllocated()) Perform(WM_SETREDRAW, On ? 1 : 0, 0);
}

// ---- messages -----------------------------------------------------------------------------

void TCarrelon::ShowOutOfMemory() {
    MessageDlg("Out of memory", mtError, TMsgDlgButtons{mbOK}, 0);
}

}  // namespace carrelon
