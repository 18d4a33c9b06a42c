// Pixel geometry the grid shares: the left edge of a column, the top edge of a row, a (merged)
// cell's rectangle without its line strips, and the line widths that apply to a cell.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "grid/CarrelonPrivate.h"
#include "platform/grids/GridLayout.h"

namespace carrelon {

namespace {

int ClampToInt(std::int64_t V) {
    return static_cast<int>(std::clamp<std::int64_t>(V, INT_MIN, INT_MAX));
}

}  // namespace

// The base grid's geometry without line widths: every cell carries its own line strips.
int TCarrelonPrivate::GetX(int Index) const {
    return ClampToInt(
        TGridAxisLayout::Position(q->ColAxis(), q->GetFixedCols(), q->GetLeftCol(), Index));
}

int TCarrelonPrivate::GetY(int Index) const {
    return ClampToInt(TGridAxisLayout::Position(q->RowAxis(), q->TCustomGrid::GetFixedRows(),
                                                q->TCustomGrid::GetTopRow(), Index));
}

int TCarrelonPrivate::HorzLineWidth(bool Fixed) const {
    const int w = q->GetGridLineWidth();
    if (w <= 0) return 0;
    return FCarrelonOptions.Contains(Fixed ? cloFixedHorzLine : cloHorzLine) ? w : 0;
}

int TCarrelonPrivate::VertLineWidth(bool Fixed, const TCarrelonCol* EndColumn) const {
    const int w = EndColumn->GetGridLineWidth();
    if (w <= 0) return 0;
    return FCarrelonOptions.Contains(Fixed ? cloFixedVertLine : cloVertLine) ? w : 0;
}

TRect TCarrelonPrivate::CalcCellRect(const TCarrelonCell* Cell) const {
    const int startCol = Cell->GetStartCol();
    const int endCol = Cell->GetEndCol();
    if (startCol < 0 || endCol < 0) return {};
    const int endRow = Cell->GetEndRow();
    TRect R;
    R.Left = GetX(startCol);
    R.Top = GetY(Cell->Row);
    R.Right = ClampToInt(std::int64_t{GetX(endCol)} + q->GetColWidths(endCol));
    R.Bottom = ClampToInt(std::int64_t{GetY(endRow)} + q->GetRowHeights(endRow));
    const bool fixed = Cell->Row < FOwnFixedRows || endCol < q->GetFixedCols();
    R.Bottom -= HorzLineWidth(fixed);
    R.Right -= VertLineWidth(fixed, FCols[endCol]);
    return R;
}

}  // namespace carrelon
