#include "grid/Selection.h"

namespace carrelon {

TCarrelonSelection::TCarrelonSelection(TCarrelon* AGrid) : FGrid(AGrid) {}

TCarrelonSelection::~TCarrelonSelection() = default;

TCarrelonCell* TCarrelonSelection::GetCells(int Index) const {
    return FList.Item(Index);
}

}  // namespace carrelon
