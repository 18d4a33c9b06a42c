// The cell painter at run time: every slot the base grid walks is painted here, with its line
// strips, fill, text, button, check box, picture, borders, headings and sort indicator.
#include <algorithm>
#include <string>

#include "formulas/A1Names.h"
#include "grid/CarrelonPrivate.h"
#include "grid/PaintSupport.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

using namespace paint;

void TCarrelon::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    const TRect R = ARect;
    if (GetComponentState().Contains(csDesigning))
        d->DrawCellDesignTime(ACol, ARow, R, AState);
    else
        d->DrawCellRunTime(ACol, ARow, R, AState);
}

// Keeps fixed bands free of cells that reach into them. The exclusions stay for the rest of the
// pass; one already made in this pass is not made again.
void TCarrelonPrivate::ExcludeFixedBands(int ACol, int ARow) {
    TCanvas* C = q->GetCanvas();
    const int fixedCols = q->GetFixedCols();
    const bool anyFixed = fixedCols > 0 || FOwnFixedRows > 0;
    const bool inCorner = ACol < fixedCols && ARow < FOwnFixedRows;
    const int topY = GetY(q->TCustomGrid::GetTopRow());
    const int leftX = GetX(q->GetLeftCol());
    auto exclude = [&](int Band, const TRect& R) {
        if (FPaintPass.Excluded[Band] == R) return;
        FPaintPass.Excluded[Band] = R;
        if (!R.IsEmpty()) C->ExcludeClipRect(R);
    };
    if (!inCorner && anyFixed) exclude(0, Rect(0, 0, leftX, topY));
    if (FOwnFixedRows > 0 && ARow >= FOwnFixedRows && (ACol < fixedCols || fixedCols == 0))
        exclude(1, Rect(0, 0, q->GetGridWidth(), topY));
    if (fixedCols > 0 && ARow >= FOwnFixedRows && ACol >= fixedCols)
        exclude(2, Rect(0, 0, leftX, q->GetGridHeight()));
}

bool TCarrelonPrivate::IsHeadingSlot(int ACol, int ARow) const {
    return FSpreadsheetHeaders && (ACol == 0 || ARow == 0);
}

TColor TCarrelonPrivate::FixedLineColor(bool Heading) const {
    if (Heading && FSpreadsheetOptions.Contains(soExcelStyleHeadings)) return clGray;
    return FFixedGridLineColor;
}

// One slot being painted at run time: the cell in it, where it lies and how it looks. Each
// step below is one part of the picture, in the order they are drawn.
struct TCarrelonPrivate::TCellPaint {
    TCellPaint(TCarrelonPrivate& AP, TCarrelonCell* ACell, int Col, int Row, const TRect& ASlot);

    // Line strips inside the slot: below the cell's last row and right of its end column.
    void DrawLineStrips() const;
    // Finds the whole cell's rectangle, from the slot's left edge when it starts left of it;
    // false when the cell has no place on screen.
    bool PlaceCell();
    // An open editor covers the current cell; below an application-supplied control that is
    // lower than the cell, the cell's colour shows.
    bool EditorCoversCell() const;
    // Font, brush and font colour: the selection's colours, a heading's face or the cell's.
    void SelectColours();
    // The fill inside the inner border (a button draws its own face).
    void FillBackground() const;
    // A push button with its caption; returns where the focus rectangle goes.
    TRect DrawButton(const AnsiString& T) const;
    // Everything but a button: text or heading label, edges, sort indicator, picture, check
    // box and borders.
    void DrawContent(const AnsiString& T, TGridDrawState AState) const;
    bool WantsFocusRectangle() const;
    // A merged cell is painted whole once; its other slots leave it alone.
    void ExcludeMergedCell() const;

    // Headings of the current row or column, or of a selected one, are highlighted.
    bool HeadingHighlighted() const;
    // The text inset by BorderForText, aligned, wrapped and placed vertically.
    void DrawText(const AnsiString& T, bool Highlight) const;
    // Empty headings show the column letters or the row number.
    void DrawHeadingLabel(bool Highlight) const;
    // The raised look of headings and fixed cells.
    void DrawEdges(TGridDrawState AState, bool Highlight) const;
    void DrawPicture(const TGraphic* G) const;
    void DrawCheckBox() const;
    // The cell's own borders, then the neighbours' outer borders that its fill may have covered.
    void DrawBorders() const;

    TCarrelonPrivate& P;
    TCarrelon* const q;
    TCanvas* const C;
    TCarrelonCell* const Cell;
    const int ACol, ARow;
    const TRect Slot;
    TRect R;  // the whole cell, line strips excluded
    const int EndCol, EndRow;
    TCarrelonCol* const EndColumn;
    const bool Fixed, Heading, HeadingStyle, Current, Button;
    bool Focused = false;
    TCarrelonCellInnerBorder* const Inner;
    TCarrelonCellOuterBorder* const Outer;
};

TCarrelonPrivate::TCellPaint::TCellPaint(TCarrelonPrivate& AP, TCarrelonCell* ACell, int Col,
                                         int Row, const TRect& ASlot)
    : P(AP),
      q(AP.q),
      C(AP.q->GetCanvas()),
      Cell(ACell),
      ACol(Col),
      ARow(Row),
      Slot(ASlot),
      EndCol(ACell->GetEndCol()),
      EndRow(ACell->GetEndRow()),
      EndColumn(AP.FCols[EndCol]),
      Fixed(ACell->GetFixed()),
      Heading(AP.IsHeadingSlot(Col, Row)),
      HeadingStyle(Heading && AP.FSpreadsheetOptions.Contains(soExcelStyleHeadings)),
      Current(AP.q->IsCurrentCell(ACell)),
      Button(ACell->GetButton()),
      Inner(ACell->ReadFInnerBorder()),
      Outer(ACell->ReadFOuterBorder()) {}

void TCarrelonPrivate::DrawCellRunTime(int ACol, int ARow, const TRect& ARect,
                                       TGridDrawState AState) {
    TCarrelonCell* Cell = q->GetCells(ACol, ARow);
    if (!Cell || Cell->GetEndCol() < 0) return;  // every column of the cell is hidden
    TCellPaint Paint(*this, Cell, ACol, ARow, ARect);
    // Fixed bands stay free of cells reaching into them.
    ExcludeFixedBands(ACol, ARow);
    Paint.DrawLineStrips();
    if (!Paint.PlaceCell() || Paint.EditorCoversCell()) return;
    Paint.SelectColours();
    Paint.FillBackground();
    const AnsiString T = Cell->GetText();
    TRect FocusR = Paint.R;
    if (Paint.Button)
        FocusR = Paint.DrawButton(T);
    else
        Paint.DrawContent(T, AState);
    if (Paint.WantsFocusRectangle()) DrawFocusRect(Paint.C->GetHandle(), FocusR);
    Paint.ExcludeMergedCell();
}

void TCarrelonPrivate::TCellPaint::DrawLineStrips() const {
    const TColor FixedColour = P.FixedLineColor(Heading);
    const int HLine = P.HorzLineWidth(Fixed);
    if (HLine > 0 && ARow == EndRow) {
        TRect S = Slot;
        S.Top = S.Bottom - HLine;
        if (Outer) S.Top += Outer->GetWidth();
        if (!S.IsEmpty()) {
            C->GetBrush()->SetColor(Fixed ? FixedColour : P.FGridLineColor);
            C->FillRect(S);
        }
    }
    const int VLine = P.VertLineWidth(Fixed, EndColumn);
    if (VLine > 0 && ACol == EndCol) {
        TRect S = Slot;
        S.Left = S.Right - VLine;
        if (Outer) S.Left += Outer->GetWidth();
        if (!S.IsEmpty()) {
            C->GetBrush()->SetColor(Fixed ? FixedColour : EndColumn->GetGridLineColor());
            C->FillRect(S);
        }
    }
}

bool TCarrelonPrivate::TCellPaint::PlaceCell() {
    R = P.CalcCellRect(Cell);
    if (R.IsEmpty()) return false;
    if (Slot.Left < R.Left) {
        const int w = R.Width();
        R.Left = Slot.Left;
        R.Right = R.Left + w;
    }
    return true;
}

bool TCarrelonPrivate::TCellPaint::EditorCoversCell() const {
    if (!P.FEditorShowing || !Current) return false;
    TWinControl* Edit = P.FEditControl;
    if (Edit && Edit->GetVisible() && Edit->GetHeight() < R.Height()) {
        C->GetBrush()->SetColor(Cell->GetColor());
        C->FillRect(Rect(R.Left, R.Top + Edit->GetHeight(), R.Right, R.Bottom));
    }
    return q->Focused() && !P.FMouseButtonDown;
}

void TCarrelonPrivate::TCellPaint::SelectColours() {
    SelectCellFont(C, Cell->CalcFont());
    Focused = q->Focused();
    const TCarrelonOptions& O = P.FCarrelonOptions;
    const bool PaintSelected =
        Cell->GetSelected() && (!P.FHideSelection || Focused) &&
        (!Current || O.Contains(cloDrawFocusSelected) || O.Contains(cloRowSelect));
    if (PaintSelected) {
        C->GetBrush()->SetColor(Cell->GetSelectedColor());
        C->GetFont()->SetColor(Cell->GetSelectedFontColor());
    } else {
        C->GetBrush()->SetColor(HeadingStyle ? clBtnFace : Cell->GetColor());
    }
}

void TCarrelonPrivate::TCellPaint::FillBackground() const {
    if (Button) return;
    TRect F = R;
    if (Inner) F = Inflate(F, -Inner->GetWidth());
    if (!F.IsEmpty()) C->FillRect(F);
}

TRect TCarrelonPrivate::TCellPaint::DrawButton(const AnsiString& T) const {
    // A push button shows only its caption.
    unsigned State = DFCS_BUTTONPUSH;
    if (Cell->ReadFButtonPushed()) State |= DFCS_PUSHED;
    TRect B = R;
    DrawFrameControl(C->GetHandle(), B, DFC_BUTTON, State);
    SetBkMode(C->GetHandle(), TRANSPARENT);
    TRect TR = R;
    DrawTextA(C->GetHandle(), T, TR, ButtonCaptionFlags);
    return Inflate(R, -3);
}

void TCarrelonPrivate::TCellPaint::DrawContent(const AnsiString& T, TGridDrawState AState) const {
    const bool H = HeadingHighlighted();
    if (!T.empty())
        DrawText(T, H);
    else if (P.FSpreadsheetHeaders && (ARow == 0) != (ACol == 0))
        DrawHeadingLabel(H);
    DrawEdges(AState, H);
    // Sort indicator in the last fixed row of the sort column.
    if (P.FSortIndicator && P.FSortColumn == ACol && EndRow + 1 == P.FOwnFixedRows)
        P.DrawSortIndicator(R);
    TPicture* Pic = Cell->ReadFPicture();
    if (Pic && Pic->GetGraphic() && !(P.FEditorShowing && Current)) DrawPicture(Pic->GetGraphic());
    if (Cell->GetCheckBox()) DrawCheckBox();
    DrawBorders();
}

bool TCarrelonPrivate::TCellPaint::WantsFocusRectangle() const {
    const TCarrelonOptions& O = P.FCarrelonOptions;
    return O.Contains(cloDrawFocusRectangle) && !O.Contains(cloRowSelect) && !P.FEditorShowing &&
           Current &&
           (!O.Contains(cloAlwaysShowEditor) || Cell->GetReadOnly() || Cell->GetCheckBox() ||
            Button) &&
           (!P.FHideSelection || Focused);
}

void TCarrelonPrivate::TCellPaint::ExcludeMergedCell() const {
    if (EndRow > Cell->Row || Cell->GetStartCol() != EndCol) C->ExcludeClipRect(R);
}

bool TCarrelonPrivate::TCellPaint::HeadingHighlighted() const {
    return P.FSpreadsheetHeaders && P.FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight) &&
           ((ACol == 0) != (ARow == 0)) &&
           (ACol == q->GetCol() || ARow == q->GetRow() ||
            P.FSelectedCells->IsColRowSelected(ACol, ARow));
}

void TCarrelonPrivate::TCellPaint::DrawText(const AnsiString& T, bool Highlight) const {
    TRect TR = Inflate(R, -static_cast<int>(P.FBorderForText));
    if (P.FSortIndicator && P.FSortColumn == ACol && EndRow == P.FOwnFixedRows - 1)
        TR.Right -= SortIndicatorSpace;
    const TTextLayout Layout = Cell->GetTextLayout();
    unsigned F = AlignmentFlags[Cell->GetTextAlignment()] | DT_NOPREFIX | DT_END_ELLIPSIS;
    const bool HasBreak = T.find("\r\n") != AnsiString::npos;
    const bool Wrap = Cell->GetWordWrap();
    if (Wrap) F |= DT_WORDBREAK | DT_EDITCONTROL;
    if (!HasBreak && !Wrap) {
        F |= DT_SINGLELINE | LayoutFlags[Layout];
    } else if (Layout != tlTop) {
        TRect M = TR;
        const int h = DrawTextA(C->GetHandle(), T, M, F | DT_CALCRECT | DT_NOCLIP);
        if (Layout == tlBottom) {
            if (TR.Bottom - h > TR.Top) TR.Top = TR.Bottom - h;
        } else {
            const int d = TR.Height() - h;
            if (d > 0) TR.Top += d / 2;
        }
    }
    if (GetDeviceCaps(C->GetHandle(), BITSPIXEL) < 16) SetBkMode(C->GetHandle(), TRANSPARENT);
    if (Heading) {
        if (Highlight) SetBold(C);
        if (ARow == 0 && ACol > 0)
            F = HeadingColFlags;
        else if (ACol == 0 && ARow > 0)
            F = HeadingRowFlags;
    }
    if (!q->OnDisplayText) {
        DrawTextA(C->GetHandle(), T, TR, F);
        return;
    }
    // The handler learns the text as drawn, shortened where it did not fit.
    AnsiString Drawn;
    DrawTextA(C->GetHandle(), T, TR, F | DT_MODIFYSTRING, &Drawn);
    q->OnDisplayText(q, Cell, Drawn);
}

void TCarrelonPrivate::TCellPaint::DrawHeadingLabel(bool Highlight) const {
    const AnsiString Label =
        ARow == 0 ? ColNumberToName(P.FCols[ACol]->GetAbsoluteNumber()) : std::to_string(ARow);
    PrepareHeadingText(C, Highlight);
    TRect TR = R;
    DrawTextA(C->GetHandle(), Label, TR, ARow == 0 ? HeadingColFlags : HeadingRowFlags);
}

void TCarrelonPrivate::TCellPaint::DrawEdges(TGridDrawState AState, bool Highlight) const {
    const bool FixedVert = P.FCarrelonOptions.Contains(cloFixedVertLine);
    const bool FixedHorz = P.FCarrelonOptions.Contains(cloFixedHorzLine);
    const int VertLine = EndColumn->GetGridLineWidth();
    const int HorzLine = q->GetGridLineWidth();
    if (HeadingStyle) {
        DrawHeadingEdges(C, R, ACol, ARow, FixedVert ? VertLine : 0, FixedHorz ? HorzLine : 0,
                         Highlight, false);
        return;
    }
    if (!AState.Contains(gdFixed) || !q->GetCtl3D() || !(FixedVert || FixedHorz)) return;
    // The current row's and column's headings stand out.
    const bool Current = P.FSpreadsheetHeaders &&
                         P.FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight) &&
                         (ARow == 0 || ACol == 0) && (ACol == q->GetCol() || ARow == q->GetRow());
    DrawFixedCellEdges(C, R, FixedVert, FixedHorz, VertLine, HorzLine, Current);
}

void TCarrelonPrivate::TCellPaint::DrawPicture(const TGraphic* G) const {
    TRect Place = R;
    const int W = G->GetWidth();
    const int Hg = G->GetHeight();
    if (W > Place.Width() || Hg > Place.Height() || P.FCarrelonOptions.Contains(cloStretchImages)) {
        StretchGraphic(C, G, R);
        return;
    }
    switch (Cell->GetGraphicAlignment()) {
        case taRightJustify:
            Place.Left = Place.Right - W;
            break;
        case taCenter:
            Place.Left += (Place.Width() - W) / 2;
            break;
        default:
            break;
    }
    switch (Cell->GetGraphicLayout()) {
        case tlCenter:
            Place.Top += (Place.Height() - Hg) / 2;
            break;
        case tlBottom:
            Place.Top = Place.Bottom - Hg;
            break;
        default:
            break;
    }
    C->Draw(Place.Left, Place.Top, G);
}

void TCarrelonPrivate::TCellPaint::DrawCheckBox() const {
    TBitmap* Box = Cell->GetCheckBoxChecked() ? P.FCheckedImage.get() : P.FUncheckedImage.get();
    if (!Box) return;
    TRect Place = R;
    const int bw = Box->GetWidth();
    const int bh = Box->GetHeight();
    if (bw < Place.Width()) {
        switch (Cell->GetCheckBoxAlignment()) {
            case taRightJustify:
                Place.Left = Place.Right - bw;
                break;
            case taCenter:
                Place.Left += (Place.Width() - bw) / 2;
                break;
            default:
                break;
        }
    }
    if (bh < Place.Height()) Place.Top += (Place.Height() - bh) / 2;
    C->Draw(Place.Left, Place.Top, Box);
}

void TCarrelonPrivate::TCellPaint::DrawBorders() const {
    if (Inner) FrameInward(C, R, Inner->GetColor(), Inner->GetWidth());
    if (Outer) FrameOutward(C, R, Outer->GetColor(), Outer->GetWidth());
    const int LastCol = q->GetColCount() - 1;
    const int LastRow = q->GetRowCount() - 1;
    const bool InFixedRows = ARow < P.FOwnFixedRows;
    const int Top = q->TCustomGrid::GetTopRow();
    for (int c = std::max(ACol - 1, 0); c <= std::min(ACol + 1, LastCol); ++c) {
        for (int r = std::max(ARow - 1, 0); r <= std::min(ARow + 1, LastRow); ++r) {
            TCarrelonCell* N = q->GetCells(c, r);
            if (!N || N == Cell) continue;
            TCarrelonCellOuterBorder* B = N->ReadFOuterBorder();
            if (!B || B->GetWidth() == 0 || N->GetFixed() != Fixed) continue;
            if (InFixedRows && N->Row >= P.FOwnFixedRows && N->GetEndRow() < Top) continue;
            FrameOutward(C, P.CalcCellRect(N), B->GetColor(), B->GetWidth());
        }
    }
}

}  // namespace carrelon

namespace carrelon {

// The sort triangle, 8 pixels wide and high, in the top right corner of Rect: outlined in a light
// and a dark shade, then filled with SortIndicatorColor.
void TCarrelonPrivate::DrawSortIndicator(const TRect& Rect) {
    TCanvas* C = q->GetCanvas();
    const TColor fixedRgb = ColorToRGB(q->GetFixedColor());
    const TColor light = fixedRgb == ColorToRGB(clWhite) ? clSilver : clWhite;
    const TColor dark = fixedRgb == ColorToRGB(clGray) ? clBlack : clGray;
    const int Rt = Rect.Right;
    const int Tp = Rect.Top;
    TPen* Pen = C->GetPen();
    Pen->SetWidth(1);
    Pen->SetStyle(psSolid);
    TPoint fill;
    if (FSortDescending) {
        C->MoveTo(Rt - 4, Tp + 4);
        Pen->SetColor(light);
        C->LineTo(Rt - 8, Tp + 12);
        Pen->SetColor(dark);
        C->LineTo(Rt - 12, Tp + 4);
        C->LineTo(Rt - 4, Tp + 4);
        fill = Point(Rt - 6, Tp + 6);
    } else {
        C->MoveTo(Rt - 12, Tp + 12);
        Pen->SetColor(light);
        C->LineTo(Rt - 4, Tp + 12);
        C->LineTo(Rt - 8, Tp + 4);
        Pen->SetColor(dark);
        C->LineTo(Rt - 12, Tp + 12);
        fill = Point(Rt - 11, Tp + 11);
    }
    // A triangle cut off by a narrow or low cell has no closed inside: a fill would run out
    // over the cell's background.
    if (Rect.Width() < SortIndicatorSpace || Rect.Height() < SortIndicatorSpace) return;
    const TColor wanted = ColorToRGB(FSortIndicatorColor);
    const TColor under = C->GetPixels(fill.X, fill.Y);
    if (under == wanted) return;
    C->GetBrush()->SetColor(FSortIndicatorColor);
    if (under >= 0) {
        C->FloodFill(fill.X, fill.Y, under, fsSurface);
        return;
    }
    // The surface cannot be read (a window being painted): fill the inside of the outline.
    const bool down = FSortDescending;
    const std::vector<TPoint> inside =
        down ? std::vector<TPoint>{Point(Rt - 11, Tp + 5), Point(Rt - 5, Tp + 5),
                                   Point(Rt - 8, Tp + 11)}
             : std::vector<TPoint>{Point(Rt - 11, Tp + 11), Point(Rt - 5, Tp + 11),
                                   Point(Rt - 8, Tp + 5)};
    const TColor penColor = Pen->GetColor();
    Pen->SetColor(FSortIndicatorColor);
    C->Polygon(inside);
    Pen->SetColor(penColor);
}

}  // namespace carrelon
