// Pixel geometry the grid shares: the left edge of a column, the top edge of a row, a (merged)
// cell's rectangle without its line strips, and the line widths that apply to a cell.
#include <cstdint>

#include "grid/CarrelonPrivate.h"
#include "platform/grids/GridLayout.h"

namespace carrelon {

// The base grid's geometry without line widths: every cell carries its own line strips. Edges
// far outside the view saturate, so a cell's width and height always fit an int.
int TCarrelonPrivate::GetX(int Index) const {
    return TGridAxisLayout::Saturate(
        TGridAxisLayout::Position(q->ColAxis(), q->GetFixedCols(), q->GetLeftCol(), Index));
}

int TCarrelonPrivate::GetY(int Index) const {
    return TGridAxisLayout::Saturate(TGridAxisLayout::Position(
        q->RowAxis(), q->TCustomGrid::GetFixedRows(), q->TCustomGrid::GetTopRow(), Index));
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
    const bool fixed = Cell->Row < FOwnFixedRows || endCol < q->GetFixedCols();
    const TGridAxis& Cols = q->ColAxis();
    const TGridAxis& Rows = q->RowAxis();
    const int FixedCols = q->GetFixedCols(), LeftCol = q->GetLeftCol();
    const int FixedRows = q->TCustomGrid::GetFixedRows(), TopRow = q->TCustomGrid::GetTopRow();
    // The far edges are found in 64 bits, less their lines, before they saturate: a cell far
    // off screen keeps its top above its bottom.
    const std::int64_t Right = TGridAxisLayout::Position(Cols, FixedCols, LeftCol, endCol) +
                               Cols.Size(endCol) - VertLineWidth(fixed, FCols[endCol]);
    const std::int64_t Bottom = TGridAxisLayout::Position(Rows, FixedRows, TopRow, endRow) +
                                Rows.Size(endRow) - HorzLineWidth(fixed);
    TRect R;
    R.Left = GetX(startCol);
    R.Top = GetY(Cell->Row);
    R.Right = TGridAxisLayout::Saturate(Right);
    R.Bottom = TGridAxisLayout::Saturate(Bottom);
    return R;
}

}  // namespace carrelon
