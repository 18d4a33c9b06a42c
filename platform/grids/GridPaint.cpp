// TCustomGrid: painting and invalidation. Paint walks only the slots on screen: the fixed
// corner, the fixed rows, the fixed columns, then the scrollable cells, and asks DrawCell for
// each; then it draws the grid lines and fills the area beyond the last column and row.
#include <algorithm>
#include <cstdint>

#include "platform/controls/WinUser.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/grids/Grids.h"

namespace carrelon {

namespace {

bool Intersects(const TRect& A, const TRect& B) {
    return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// The next slot after Index that has pixels on screen; slots of no extent are skipped through
// the layout's hit test, so long runs of hidden slots cost O(log n).
int NextDrawn(const TGridAxisLayout& L, const TGridAxis& A, int Index) {
    if (A.Size(Index) > 0 || L.LineAfter(Index) > 0) return Index + 1;
    const int Hit = L.IndexAt(L.StartOf(Index));
    return Hit > Index ? Hit : Index + 1;
}

// The slots [First, Last] of one band on screen: the fixed slots or the scrollable ones.
struct TBand {
    int First;
    int Last;
};

TBand FixedBand(const TGridAxisLayout& L) {
    const int LastDrawn = L.IndexAt(std::min(L.FixedBoundary(), L.GridBoundary()) - 1);
    return {0, std::min(L.FixedCount() - 1, LastDrawn)};
}

TBand ScrollBand(const TGridAxisLayout& L) {
    if (L.FixedBoundary() >= L.Extent()) return {0, -1};
    return {L.First(), L.LastVisible()};
}

}  // namespace

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

void TCustomGrid::Paint() {
    TCanvas* C = GetCanvas();
    const TGridAxisLayout H = HorzLayout(), V = VertLayout();
    CheckScrollBarsAfterPaint();
    TRect Clip = C->GetClipRect();
    if (Clip.IsEmpty()) Clip = Rect(0, 0, GridClientWidth(), GridClientHeight());

    const TBand FixedCols = FixedBand(H), FixedRows = FixedBand(V);
    const TBand Cols = ScrollBand(H), Rows = ScrollBand(V);
    PaintRegion(FixedCols.First, FixedCols.Last, FixedRows.First, FixedRows.Last, H, V, Clip);
    PaintRegion(Cols.First, Cols.Last, FixedRows.First, FixedRows.Last, H, V, Clip);
    PaintRegion(FixedCols.First, FixedCols.Last, Rows.First, Rows.Last, H, V, Clip);
    PaintRegion(Cols.First, Cols.Last, Rows.First, Rows.Last, H, V, Clip);

    // Beyond the last column and below the last row.
    const int GW = H.GridBoundary(), GH = V.GridBoundary();
    C->GetBrush()->SetColor(GetColor());
    if (GW < GridClientWidth()) C->FillRect(Rect(GW, 0, GridClientWidth(), GridClientHeight()));
    if (GH < GridClientHeight()) C->FillRect(Rect(0, GH, GW, GridClientHeight()));
    PaintXorLines();
}

void TCustomGrid::PaintViewTo(TCanvas* DC, int X, int Y, int ClientWidth, int ClientHeight) {
    const TGridCoord TopLeft = FTopLeft;
    const bool Nested = FPaintingView;
    const auto Restore = [&] {
        FTopLeft = TopLeft;
        FPaintingView = Nested;
    };
    // The view's scroll position is written directly: the grid does not scroll, so nothing
    // hears of it.
    FTopLeft = {std::min(FFixedCols, GetColCount() - 1), std::min(FFixedRows, GetRowCount() - 1)};
    FPaintingView = true;
    try {
        PaintToAsSized(DC, X, Y, ClientWidth, ClientHeight);
    } catch (...) {
        Restore();
        throw;
    }
    Restore();
}

// A dotted frame just inside the rectangle, inverting what is below.
void TCustomGrid::DrawFocusFrame(const TRect& R) {
    TCanvas* C = GetCanvas();
    TPen Saved;
    Saved.Assign(C->GetPen());
    C->GetPen()->SetStyle(psDot);
    C->GetPen()->SetMode(pmXor);
    C->GetPen()->SetWidth(1);
    C->GetPen()->SetColor(clWhite);
    C->Polyline({{R.Left, R.Top},
                 {R.Right - 1, R.Top},
                 {R.Right - 1, R.Bottom - 1},
                 {R.Left, R.Bottom - 1},
                 {R.Left, R.Top}});
    C->SetPen(&Saved);
}

void TCustomGrid::DrawXorLine(bool Horizontal, int Pos, int Width) {
    const TXorLine Line{Horizontal, Pos, Width};
    const auto Found = std::find(FXorLines.begin(), FXorLines.end(), Line);
    if (Found != FXorLines.end())
        FXorLines.erase(Found);
    else
        FXorLines.push_back(Line);
    const int Half = Width / 2 + 1;
    InvalidateClientRect(Horizontal ? Rect(0, Pos - Half, GridClientWidth(), Pos + Half)
                                    : Rect(Pos - Half, 0, Pos + Half, GridClientHeight()));
}

void TCustomGrid::PaintXorLines() {
    // Feedback lines belong to a drag; once the grid is back to normal none may linger.
    if (FGridState == gsNormal) FXorLines.clear();
    if (FXorLines.empty()) return;
    TCanvas* C = GetCanvas();
    TPen Saved;
    Saved.Assign(C->GetPen());
    C->GetPen()->SetStyle(psDot);
    C->GetPen()->SetMode(pmXor);
    C->GetPen()->SetColor(clWhite);
    for (const TXorLine& L : FXorLines) {
        C->GetPen()->SetWidth(L.Width);
        if (L.Horizontal)
            C->Polyline({{0, L.Pos}, {GetGridWidth(), L.Pos}});
        else
            C->Polyline({{L.Pos, 0}, {L.Pos, GetGridHeight()}});
    }
    C->SetPen(&Saved);
}

void TCustomGrid::InvalidateClientRect(const TRect& R) {
    if (!HandleAllocated() || R.IsEmpty()) return;
    InvalidateRect(GetHandle(), &R, false);
}

void TCustomGrid::PaintRegion(int ColFirst, int ColLast, int RowFirst, int RowLast,
                              const TGridAxisLayout& H, const TGridAxisLayout& V,
                              const TRect& Clip) {
    if (ColFirst > ColLast || RowFirst > RowLast) return;
    TCanvas* C = GetCanvas();
    const bool Focus = Focused();
    const TGridRect Sel = GetSelection();
    const TColor Color = GetColor();
    // The default fill also runs in the designer, where descendants may rely on it.
    const bool Designing = GetComponentState().Contains(csDesigning);
    const bool DefaultFill = (FDefaultDrawing || Designing) && !FVirtualView;
    // Slots may run far past the view: their ends are summed in 64 bits and saturate.
    const auto Far = TGridAxisLayout::Saturate;
    for (int Row = RowFirst; Row <= RowLast; Row = NextDrawn(V, FRowAxis, Row)) {
        const int Y = V.StartOf(Row);
        if (Y < 0) break;
        const std::int64_t RowEnd = std::int64_t{Y} + FRowAxis.Size(Row);
        const int Line = V.LineAfter(Row);
        if (RowEnd + Line <= Clip.Top) continue;
        if (Y >= Clip.Bottom) break;
        for (int Col = ColFirst; Col <= ColLast; Col = NextDrawn(H, FColAxis, Col)) {
            const int X = H.StartOf(Col);
            if (X < 0) break;
            const std::int64_t ColEnd = std::int64_t{X} + FColAxis.Size(Col);
            const int VLine = H.LineAfter(Col);
            if (X >= Clip.Right) break;
            // The lines after the slot, drawn only where the options ask for them.
            const bool Fixed = Col < FFixedCols || Row < FFixedRows;
            const TColor LineColor = Fixed ? clBlack : clSilver;
            if (VLine > 0 && ColEnd + VLine > Clip.Left) {
                C->GetBrush()->SetColor(LineColor);
                C->FillRect(Rect(Far(ColEnd), Y, Far(ColEnd + VLine), Far(RowEnd + Line)));
            }
            if (Line > 0 && ColEnd + VLine > Clip.Left) {
                C->GetBrush()->SetColor(LineColor);
                C->FillRect(Rect(X, Far(RowEnd), Far(ColEnd + VLine), Far(RowEnd + Line)));
            }
            const TRect Where = Rect(X, Y, Far(ColEnd), Far(RowEnd));
            if (Where.IsEmpty() || !Intersects(Where, Clip)) continue;

            TGridDrawState State;
            if (Fixed) State.Include(gdFixed);
            const bool Current = Col == FCurrent.X && Row == FCurrent.Y;
            if (Focus && Current) State.Include(gdFocused);
            if (!Fixed && Sel.Contains(Col, Row)) State.Include(gdSelected);
            const bool Highlight =
                State.Contains(gdSelected) &&
                (!State.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                 FOptions.Contains(goRowSelect));
            if (DefaultFill) {
                C->SetFont(GetFont());
                if (Highlight) {
                    C->GetBrush()->SetColor(clHighlight);
                    C->GetFont()->SetColor(clHighlightText);
                } else {
                    C->GetBrush()->SetColor(Fixed ? FFixedColor : Color);
                }
                C->FillRect(Where);
            }
            DrawCell(Col, Row, Where, State);
            if (FDefaultDrawing && !FVirtualView && !Designing && State.Contains(gdFocused) &&
                !FOptions.Contains(goRowSelect))
                DrawFocusFrame(Where);
        }
    }
}

// ---- Invalidation -------------------------------------------------------------------------

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    InvalidateRectOf({ACol, ARow, ACol, ARow});
}

void TCustomGrid::InvalidateCol(int ACol) {
    const TGridAxisLayout V = VertLayout();
    InvalidateRectOf({ACol, 0, ACol, std::max(V.LastVisible(), V.FixedCount() - 1)});
}

void TCustomGrid::InvalidateRow(int ARow) {
    const TGridAxisLayout H = HorzLayout();
    InvalidateRectOf({0, ARow, std::max(H.LastVisible(), H.FixedCount() - 1), ARow});
}

void TCustomGrid::InvalidateGrid() {
    Invalidate();
}

// Invalidates the slots of a rectangle with the lines that follow them.
void TCustomGrid::InvalidateRectOf(const TGridRect& R) {
    TRect Box = BoxRect(R.Left, R.Top, R.Right, R.Bottom);
    if (Box.IsEmpty()) return;
    Box.Right = std::min(Box.Right + FGridLineWidth, GridClientWidth());
    Box.Bottom = std::min(Box.Bottom + FGridLineWidth, GridClientHeight());
    InvalidateClientRect(Box);
}

}  // namespace carrelon
