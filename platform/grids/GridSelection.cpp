// TCustomGrid: current cell, anchor, selection rectangle, scroll position and moves of whole
// columns and rows.
#include <algorithm>

#include "platform/grids/Grids.h"

namespace carrelon {

namespace {

TGridRect Span(const TGridCoord& A, const TGridCoord& B) {
    return {std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y)};
}

// Where a slot's index goes when the slot From moves to To.
void MoveAdjust(int& Pos, int From, int To) {
    if (Pos == From)
        Pos = To;
    else if (From < To && Pos > From && Pos <= To)
        --Pos;
    else if (From > To && Pos >= To && Pos < From)
        ++Pos;
}

}  // namespace

TGridRect TCustomGrid::GetSelection() const {
    return Span(FCurrent, FAnchor);
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    const TGridRect R = Span({Value.Left, Value.Top}, {Value.Right, Value.Bottom});
    if (R.Left < 0 || R.Top < 0 || R.Right >= GetColCount() || R.Bottom >= GetRowCount())
        throw EInvalidGridOperation("Grid index out of range");
    const TGridRect OldSel = GetSelection();
    FCurrent = {R.Left, R.Top};
    FAnchor = {R.Right, R.Bottom};
    SelectionMoved(OldSel);
}

void TCustomGrid::SetCol(int Value) {
    if (Value == FCurrent.X) return;
    MoveColRow(Value, FCurrent.Y, true, true);
    Click();
}

void TCustomGrid::SetRow(int Value) {
    if (Value == FCurrent.Y) return;
    MoveColRow(FCurrent.X, Value, true, true);
    Click();
}

bool TCustomGrid::SelectCell(int, int) {
    return true;
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= GetColCount() || ARow >= GetRowCount())
        throw EInvalidGridOperation("Grid index out of range");
    if (!SelectCell(ACol, ARow)) return;
    const TGridRect OldSel = GetSelection();
    const TGridCoord OldCurrent = FCurrent;
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
        FAnchor = FCurrent;
        if (FOptions.Contains(goRowSelect)) FAnchor.X = GetColCount() - 1;
    }
    if (FOptions.Contains(goRowSelect)) FCurrent.X = FFixedCols;
    if (Show) ClampInView(FCurrent);
    SelectionMoved(OldSel);
    InvalidateCell(OldCurrent.X, OldCurrent.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

// Moves the anchor (the moving end of a range) or, without range selection, the current cell.
void TCustomGrid::MoveAnchorTo(const TGridCoord& NewAnchor) {
    if (!FOptions.Contains(goRangeSelect)) {
        MoveColRow(NewAnchor.X, NewAnchor.Y, true, true);
        return;
    }
    const TGridRect OldSel = GetSelection();
    FAnchor = NewAnchor;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = GetColCount() - 1;
    ClampInView(NewAnchor);
    SelectionMoved(OldSel);
}

void TCustomGrid::TimedScroll(TScrollDirections Direction) {
    TGridCoord NewAnchor = FAnchor;
    if (Direction.Contains(sdLeft) && FAnchor.X > FFixedCols) --NewAnchor.X;
    if (Direction.Contains(sdRight) && FAnchor.X < GetColCount() - 1) ++NewAnchor.X;
    if (Direction.Contains(sdUp) && FAnchor.Y > FFixedRows) --NewAnchor.Y;
    if (Direction.Contains(sdDown) && FAnchor.Y < GetRowCount() - 1) ++NewAnchor.Y;
    if (!(NewAnchor == FAnchor)) MoveAnchorTo(NewAnchor);
}

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
    const TGridAxisLayout H = HorzLayout(), V = VertLayout();
    int Left = FTopLeft.X, Top = FTopLeft.Y;
    if (Coord.X >= FFixedCols && Coord.X < GetColCount()) {
        if (Coord.X < Left)
            Left = Coord.X;
        else if (Coord.X > H.LastFullVisible())
            Left = H.FirstToShowAtEnd(Coord.X);
    }
    if (Coord.Y >= FFixedRows && Coord.Y < GetRowCount()) {
        if (Coord.Y < Top)
            Top = Coord.Y;
        else if (Coord.Y > V.LastFullVisible())
            Top = V.FirstToShowAtEnd(Coord.Y);
    }
    MoveTopLeft(Left, Top);
}

void TCustomGrid::SetLeftCol(int Value) {
    MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGrid::SetTopRow(int Value) {
    MoveTopLeft(FTopLeft.X, Value);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    ALeft = std::clamp(ALeft, std::min(FFixedCols, GetColCount() - 1), GetColCount() - 1);
    ATop = std::clamp(ATop, std::min(FFixedRows, GetRowCount() - 1), GetRowCount() - 1);
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    const TGridCoord Old = FTopLeft;
    FTopLeft = {ALeft, ATop};
    TopLeftMoved(Old);
}

void TCustomGrid::TopLeftMoved(const TGridCoord&) {
    UpdateScrollRange();
    InvalidateGrid();
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
    const TGridRect NewSel = GetSelection();
    if (OldSel == NewSel) return;
    InvalidateRectOf(OldSel);
    InvalidateRectOf(NewSel);
}

// ---- Moving whole columns and rows ---------------------------------------------------------

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= GetColCount() || ToIndex >= GetColCount())
        throw EInvalidGridOperation("Grid index out of range");
    const bool HadWidths = FColAxis.HasSizes();
    FColAxis.Move(FromIndex, ToIndex);
    MoveAdjust(FCurrent.X, FromIndex, ToIndex);
    MoveAdjust(FAnchor.X, FromIndex, ToIndex);
    InvalidateGrid();
    ColumnMoved(FromIndex, ToIndex);
    if (HadWidths) ColWidthsChanged();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= GetRowCount() || ToIndex >= GetRowCount())
        throw EInvalidGridOperation("Grid index out of range");
    const bool HadHeights = FRowAxis.HasSizes();
    FRowAxis.Move(FromIndex, ToIndex);
    MoveAdjust(FCurrent.Y, FromIndex, ToIndex);
    MoveAdjust(FAnchor.Y, FromIndex, ToIndex);
    InvalidateGrid();
    RowMoved(FromIndex, ToIndex);
    if (HadHeights) RowHeightsChanged();
}

void TCustomGrid::ColumnMoved(int, int) {}

void TCustomGrid::RowMoved(int, int) {}

}  // namespace carrelon
