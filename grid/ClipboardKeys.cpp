// What the clipboard keys of the grid do: copy, cut and paste of the selected cells, and
// clearing them by Del.
#include "grid/CarrelonPrivate.h"

namespace carrelon {

void TCarrelonPrivate::CopySelectionToClipboard() {
    FSelectedCells->CopyToClipboard();
}

void TCarrelonPrivate::CutSelectionToClipboard() {
    FSelectedCells->CutToClipboard();
}

void TCarrelonPrivate::PasteCellsFromClipboard() {
    q->PasteFromClipboard();
}

void TCarrelonPrivate::ClearSelectionByKey() {
    q->ClearSelection();
}

}  // namespace carrelon
