// TCustomGrid: construction, counts, sizes, options and geometry.
#include "platform/grids/Grids.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/graphics/Colors.h"

namespace carrelon {

namespace {
constexpr int kInitialCols = 5;
constexpr int kInitialRows = 5;
constexpr int kInitialColWidth = 64;
constexpr int kInitialRowHeight = 24;
}  // namespace

TCustomGrid::TCustomGrid(TComponent* AOwner)
    : TCustomControl(AOwner),
      FColAxis(kInitialCols, kInitialColWidth),
      FRowAxis(kInitialRows, kInitialRowHeight),
      FFixedColor(clBtnFace) {
    FOptions = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    // The grid reports clicks and double clicks itself (after a selection, not on every
    // release), so the framework's own click events stay off.
    SetControlStyle({csCaptureMouse, csOpaque, csDoubleClicks});
    SetBounds(GetLeft(), GetTop(), 320, 120);
    SetColor(clWindow);  // a grid has its own background, not its parent's
    SetTabStop(true);
}

TCustomGrid::~TCustomGrid() {
    StopTimer();
}

// ---- Counts -------------------------------------------------------------------------------

void TCustomGrid::SetColCount(int Value) {
    Value = std::max(Value, 1);
    if (Value == GetColCount()) return;
    const int OldCols = GetColCount(), OldRows = GetRowCount();
    if (FFixedCols >= Value) FFixedCols = Value - 1;
    FColAxis.SetCount(Value);
    CountsChanged(OldCols, OldRows);
}

void TCustomGrid::SetRowCount(int Value) {
    Value = std::max(Value, 1);
    if (Value == GetRowCount()) return;
    const int OldCols = GetColCount(), OldRows = GetRowCount();
    if (FFixedRows >= Value) FFixedRows = Value - 1;
    FRowAxis.SetCount(Value);
    CountsChanged(OldCols, OldRows);
}

void TCustomGrid::CountsChanged(int OldColCount, int OldRowCount) {
    const TGridCoord OldTopLeft = FTopLeft;
    ClampState();
    UpdateScrollRange();
    InvalidateGrid();
    SizeChanged(OldColCount, OldRowCount);
    if (!(FTopLeft == OldTopLeft)) TopLeftMoved(OldTopLeft);
}

// Keeps the current cell, anchor and top-left slot inside the grid after a count change.
void TCustomGrid::ClampState() {
    const int LastCol = GetColCount() - 1, LastRow = GetRowCount() - 1;
    auto Clamp = [&](TGridCoord& C) {
        C.X = std::min(C.X, LastCol);
        C.Y = std::min(C.Y, LastRow);
    };
    Clamp(FCurrent);
    Clamp(FAnchor);
    FTopLeft.X = std::clamp(FTopLeft.X, std::min(FFixedCols, LastCol), LastCol);
    FTopLeft.Y = std::clamp(FTopLeft.Y, std::min(FFixedRows, LastRow), LastRow);
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value == FFixedCols) return;
    if (Value < 0 || Value >= GetColCount())
        throw EInvalidGridOperation("Fixed column count must be less than column count");
    FFixedCols = Value;
    FTopLeft.X = Value;
    FCurrent = {Value, FFixedRows};
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = GetColCount() - 1;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value == FFixedRows) return;
    if (Value < 0 || Value >= GetRowCount())
        throw EInvalidGridOperation("Fixed row count must be less than row count");
    FFixedRows = Value;
    FTopLeft.Y = Value;
    FCurrent = {FFixedCols, Value};
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = GetColCount() - 1;
    UpdateScrollRange();
    InvalidateGrid();
}

// ---- Sizes --------------------------------------------------------------------------------

void TCustomGrid::SetDefaultColWidth(int Value) {
    FColAxis.SetDefaultSize(Value);
    ColWidthsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FRowAxis.SetDefaultSize(Value);
    RowHeightsChanged();
    InvalidateGrid();
}

void TCustomGrid::WriteDefaultColWidth(int Value) {
    FColAxis.StoreDefaultSize(Value);
}

void TCustomGrid::WriteDefaultRowHeight(int Value) {
    FRowAxis.StoreDefaultSize(Value);
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= GetColCount()) throw EInvalidGridOperation("Grid index out of range");
    Value = std::max(Value, 0);
    if (Value == FColAxis.Size(Index)) return;
    // What lies right of the column's start moves; a column off screen moves nothing shown.
    const int Start = HorzLayout().StartOf(Index);
    FColAxis.SetSize(Index, Value);
    if (Start >= 0) InvalidateClientRect(Rect(Start, 0, GridClientWidth(), GridClientHeight()));
    ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= GetRowCount()) throw EInvalidGridOperation("Grid index out of range");
    Value = std::max(Value, 0);
    if (Value == FRowAxis.Size(Index)) return;
    const int Start = VertLayout().StartOf(Index);
    FRowAxis.SetSize(Index, Value);
    if (Start >= 0) InvalidateClientRect(Rect(0, Start, GridClientWidth(), GridClientHeight()));
    RowHeightsChanged();
}

const std::vector<int>* TCustomGrid::RowHeightsArray() const {
    return FRowAxis.HasSizes() ? &FRowAxis.Sizes() : nullptr;
}

const std::vector<int>* TCustomGrid::ColWidthsArray() const {
    return FColAxis.HasSizes() ? &FColAxis.Sizes() : nullptr;
}

void TCustomGrid::SetGridLineWidth(int Value) {
    Value = std::clamp(Value, 0, 255);
    if (Value == FGridLineWidth) return;
    FGridLineWidth = Value;
    ColWidthsChanged();
    RowHeightsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    if (Value == FFixedColor) return;
    FFixedColor = Value;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
    UpdateScrollRange();
    InvalidateGrid();
}

int TCustomGrid::GetBorderWidthNC() const {
    if (FBorderStyle == bsNone) return 0;
    return GetCtl3D() ? 2 : 1;
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    if (FOptions.Contains(goRowSelect)) {
        FCurrent.X = FFixedCols;
        FAnchor.X = GetColCount() - 1;
    }
    if (!FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
    if (Value == FDefaultDrawing) return;
    FDefaultDrawing = Value;
    InvalidateGrid();
}

// Sizes often change one after another (a re-measure of every row); the scroll bars follow
// once, when the current message is done.
void TCustomGrid::ColWidthsChanged() {
    UpdateScrollRangeLater();
}

void TCustomGrid::RowHeightsChanged() {
    UpdateScrollRangeLater();
}

void TCustomGrid::SizeChanged(int, int) {}

// ---- Geometry -----------------------------------------------------------------------------

TGridAxisLayout TCustomGrid::HorzLayout() const {
    return TGridAxisLayout(FColAxis, FFixedCols, FTopLeft.X, GridClientWidth(),
                           FOptions.Contains(goFixedVertLine) ? FGridLineWidth : 0,
                           FOptions.Contains(goVertLine) ? FGridLineWidth : 0);
}

TGridAxisLayout TCustomGrid::VertLayout() const {
    return TGridAxisLayout(FRowAxis, FFixedRows, FTopLeft.Y, GridClientHeight(),
                           FOptions.Contains(goFixedHorzLine) ? FGridLineWidth : 0,
                           FOptions.Contains(goHorzLine) ? FGridLineWidth : 0);
}

namespace {

// The screen span [Start, End) of the slots Min..Max that show on one axis; false when none.
bool AxisSpan(const TGridAxisLayout& L, const TGridAxis& A, int Min, int Max, int& Start,
              int& End) {
    Min = std::max(Min, 0);
    Max = std::min(Max, L.Count() - 1);
    if (Min > Max) return false;
    int First = Min;
    if (First >= L.FixedCount() && First < L.First()) First = L.First();
    if (First > Max) return false;
    Start = L.StartOf(First);
    if (Start < 0) return false;
    int Last = Max;
    if (Last >= L.FixedCount() && Last < L.First()) Last = L.FixedCount() - 1;
    // Slots are on screen in index order, so nothing after the last drawn one shows.
    Last = std::min(Last, L.IndexAt(L.GridBoundary() - 1));
    if (Last < First) return false;
    End = static_cast<int>(
        std::min<std::int64_t>(std::int64_t{L.StartOf(Last)} + A.Size(Last), L.Extent()));
    return End > Start;
}

}  // namespace

TRect TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) const {
    if (ALeft > ARight) std::swap(ALeft, ARight);
    if (ATop > ABottom) std::swap(ATop, ABottom);
    TRect R;
    if (!AxisSpan(HorzLayout(), FColAxis, ALeft, ARight, R.Left, R.Right) ||
        !AxisSpan(VertLayout(), FRowAxis, ATop, ABottom, R.Top, R.Bottom))
        return TRect{};
    return R;
}

TGridCoord TCustomGrid::CalcCoordFromPoint(int X, int Y) const {
    return {HorzLayout().IndexAt(X), VertLayout().IndexAt(Y)};
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    const TGridCoord C = CalcCoordFromPoint(X, Y);
    if (C.X < 0 || C.Y < 0) return {-1, -1};
    return C;
}

int TCustomGrid::GetGridWidth() const {
    return HorzLayout().GridBoundary();
}

int TCustomGrid::GetGridHeight() const {
    return VertLayout().GridBoundary();
}

int TCustomGrid::GetVisibleColCount() const {
    return HorzLayout().VisibleCount();
}

int TCustomGrid::GetVisibleRowCount() const {
    return VertLayout().VisibleCount();
}

int TCustomGrid::GridClientWidth() const {
    return std::max(GetClientWidth(), 0);
}

int TCustomGrid::GridClientHeight() const {
    return std::max(GetClientHeight(), 0);
}

}  // namespace carrelon
