// What the clipboard keys of the grid ask for: copy, cut and paste of the selected cells and
// clearing them by Del. The clipboard operations themselves are not built yet; until they are,
// these keys do nothing.
#include "grid/CarrelonPrivate.h"

namespace carrelon {

void TCarrelonPrivate::CopySelectionToClipboard() {}

void TCarrelonPrivate::CutSelectionToClipboard() {}

void TCarrelonPrivate::PasteCellsFromClipboard() {}

void TCarrelonPrivate::ClearSelectionByKey() {}

}  // namespace carrelon
