// TCarrelon: the run-time parts beside the model (the in-place editor with its menu, the
// check-box images), the pointers the grid drops when a cell is freed, the redraw switch and
// the out-of-memory message.
#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

void TCarrelonPrivate::CreateRunTimeParts() {
    FInplaceEditor = new TCarrelonInplaceEditor(q);
    FEditorPopupMenu = new TPopupMenu(q);
    for (const char* Caption :
         {"Undo", "-", "Cu&t", "Copy", "Paste", "Delete", "-", "Select All"}) {
        auto* Item = new TMenuItem(q);
        Item->SetCaption(Caption);
        if (!Item->IsLine())
            Item->OnClick = [this](TObject* Sender) { EditorPopupHandler(Sender); };
        FEditorPopupMenu->GetItems()->Add(Item);
    }
    FInplaceEditor->SetPopupMenu(FEditorPopupMenu);

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
    MeasuresChanged();
    FormulaCellFreed(Cell);
    if (FSelectedCells && !FSelectedCells->List().Empty()) FSelectedCells->CellFreed(Cell);
    if (FHintCell == Cell) FHintCell = nullptr;
    if (FPushedButtonCell == Cell) FPushedButtonCell = nullptr;
    if (FSpacePushedCell == Cell) FSpacePushedCell = nullptr;
    if (FPendingResizeCell == Cell) FPendingResizeCell = nullptr;
    if (FCommitCell == Cell) FCommitCell = nullptr;
    for (TCarrelonCell*& Watched : FWatchedCells)
        if (Watched == Cell) Watched = nullptr;
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
