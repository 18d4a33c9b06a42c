// Weak fallbacks for two selection operations that painting calls, so the painter links before
// the selection's own definitions are in; the selection's definitions replace these.
#include "grid/Carrelon.h"

namespace carrelon {

__attribute__((weak)) void TCarrelonSelection::Invalidate() {
    for (int i = 0; i < GetCount(); ++i)
        GetCells(i)->Invalidate();
}

__attribute__((weak)) bool TCarrelonSelection::IsColRowSelected(int ACol, int ARow) const {
    for (int i = 0; i < GetCount(); ++i) {
        const TCarrelonCell* C = GetCells(i);
        if ((C->Row <= ARow && ARow <= C->GetEndRow()) ||
            (C->GetStartCol() <= ACol && ACol <= C->GetEndCol()))
            return true;
    }
    return false;
}

}  // namespace carrelon
