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

void TCarrelonPrivate::DrawCellRunTime(int ACol, int ARow, const TRect& ARect,
                                       TGridDrawState AState) {
    TCanvas* C = q->GetCanvas();
    TCarrelonCell* Cell = q->GetCells(ACol, ARow);
    if (!Cell) return;
    const int endCol = Cell->GetEndCol();
    const int endRow = Cell->GetEndRow();
    if (endCol < 0) return;  // every column of the cell is hidden
    TCarrelonCol* EndColumn = FCols[endCol];
    const bool fixed = Cell->GetFixed();
    const bool heading = IsHeadingSlot(ACol, ARow);
    const bool headingStyle = heading && FSpreadsheetOptions.Contains(soExcelStyleHeadings);
    const int hLine = HorzLineWidth(fixed);
    const int vLine = VertLineWidth(fixed, EndColumn);
    TCarrelonCellOuterBorder* Outer = Cell->ReadFOuterBorder();

    // Fixed bands stay free of cells reaching into them.
    ExcludeFixedBands(ACol, ARow);

    // Line strips inside the slot.
    if (hLine > 0 && ARow == endRow) {
        TRect S = ARect;
        S.Top = S.Bottom - hLine;
        if (Outer) S.Top += Outer->GetWidth();
        if (!S.IsEmpty()) {
            C->GetBrush()->SetColor(fixed ? FixedLineColor(heading) : FGridLineColor);
            C->FillRect(S);
        }
    }
    if (vLine > 0 && ACol == endCol) {
        TRect S = ARect;
        S.Left = S.Right - vLine;
        if (Outer) S.Left += Outer->GetWidth();
        if (!S.IsEmpty()) {
            C->GetBrush()->SetColor(fixed ? FixedLineColor(heading)
                                          : EndColumn->GetGridLineColor());
            C->FillRect(S);
        }
    }

    // The whole cell's rectangle, from the slot's left edge when it starts left of it.
    TRect R = CalcCellRect(Cell);
    if (R.IsEmpty()) return;
    if (ARect.Left < R.Left) {
        const int w = R.Width();
        R.Left = ARect.Left;
        R.Right = R.Left + w;
    }

    // An open editor covers the current cell.
    const bool current = q->IsCurrentCell(Cell);
    if (FEditorShowing && current) {
        TWinControl* Edit = FEditControl;
        if (Edit && Edit->GetVisible() && Edit->GetHeight() < R.Height()) {
            C->GetBrush()->SetColor(Cell->GetColor());
            C->FillRect(Rect(R.Left, R.Top + Edit->GetHeight(), R.Right, R.Bottom));
        }
        if (q->Focused() && !FMouseButtonDown) return;
    }

    // Font and colours.
    SelectCellFont(C, Cell->CalcFont());
    const bool focused = q->Focused();
    const bool paintSelected = Cell->GetSelected() && (!FHideSelection || focused) &&
                               (!current || FCarrelonOptions.Contains(cloDrawFocusSelected) ||
                                FCarrelonOptions.Contains(cloRowSelect));
    if (paintSelected) {
        C->GetBrush()->SetColor(Cell->GetSelectedColor());
        C->GetFont()->SetColor(Cell->GetSelectedFontColor());
    } else {
        C->GetBrush()->SetColor(headingStyle ? clBtnFace : Cell->GetColor());
    }

    // Fill inside the inner border.
    TCarrelonCellInnerBorder* Inner = Cell->ReadFInnerBorder();
    const bool button = Cell->GetButton();
    if (!button) {
        TRect F = R;
        if (Inner) F = Inflate(F, -Inner->GetWidth());
        if (!F.IsEmpty()) C->FillRect(F);
    }

    AnsiString T = Cell->GetText();
    TRect FocusR = R;

    if (button) {
        // A push button shows only its caption.
        unsigned state = DFCS_BUTTONPUSH;
        if (Cell->ReadFButtonPushed()) state |= DFCS_PUSHED;
        TRect B = R;
        DrawFrameControl(C->GetHandle(), B, DFC_BUTTON, state);
        SetBkMode(C->GetHandle(), TRANSPARENT);
        TRect TR = R;
        DrawTextA(C->GetHandle(), T, TR, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        FocusR = Inflate(R, -3);
    } else {
        // Headings of the current row or column, or of a selected one, are highlighted.
        const bool H = FSpreadsheetHeaders &&
                       FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight) &&
                       ((ACol == 0) != (ARow == 0)) &&
                       (ACol == q->GetCol() || ARow == q->GetRow() ||
                        FSelectedCells->IsColRowSelected(ACol, ARow));
        if (!T.empty()) {
            DrawCellText(C, Cell, ACol, ARow, R, T, heading, H);
        } else if (FSpreadsheetHeaders && (ARow == 0) != (ACol == 0)) {
            // Empty headings show the column letters or the row number.
            const AnsiString label = ARow == 0 ? ColNumberToName(FCols[ACol]->GetAbsoluteNumber())
                                               : std::to_string(ARow);
            PrepareHeadingText(C, H);
            TRect TR = R;
            DrawTextA(C->GetHandle(), label, TR, ARow == 0 ? HeadingColFlags : HeadingRowFlags);
        }

        // Raised edges of headings and fixed cells.
        DrawFixedEdges(C, ACol, ARow, R, AState, EndColumn, heading, H);

        // Sort indicator in the last fixed row of the sort column.
        if (FSortIndicator && FSortColumn == ACol && endRow + 1 == FOwnFixedRows)
            DrawSortIndicator(R);

        TPicture* Pic = Cell->ReadFPicture();
        if (Pic && Pic->GetGraphic() && !(FEditorShowing && current))
            DrawCellPicture(C, Cell, Pic->GetGraphic(), R);

        if (Cell->GetCheckBox()) DrawCellCheckBox(C, Cell, R);

        // Own borders.
        if (Inner) FrameInward(C, R, Inner->GetColor(), Inner->GetWidth());
        if (Outer) FrameOutward(C, R, Outer->GetColor(), Outer->GetWidth());

        // Neighbours' outer borders, which this cell's fill may have covered.
        DrawNeighbourBorders(C, Cell, ACol, ARow, fixed);
    }

    if (FCarrelonOptions.Contains(cloDrawFocusRectangle) &&
        !FCarrelonOptions.Contains(cloRowSelect) && !FEditorShowing && current &&
        (!FCarrelonOptions.Contains(cloAlwaysShowEditor) || Cell->GetReadOnly() ||
         Cell->GetCheckBox() || button) &&
        (!FHideSelection || focused)) {
        DrawFocusRect(C->GetHandle(), FocusR);
    }

    // A merged cell is painted whole once; its other slots leave it alone.
    if (endRow > Cell->Row || Cell->GetStartCol() != endCol) C->ExcludeClipRect(R);
}

// A cell's text: inset by BorderForText, aligned, wrapped and placed vertically.
void TCarrelonPrivate::DrawCellText(TCanvas* C, TCarrelonCell* Cell, int ACol, int ARow,
                                    const TRect& R, const AnsiString& T, bool Heading,
                                    bool Highlight) {
    TRect TR = Inflate(R, -static_cast<int>(FBorderForText));
    if (FSortIndicator && FSortColumn == ACol && Cell->GetEndRow() == FOwnFixedRows - 1)
        TR.Right -= SortIndicatorSpace;
    const TTextLayout layout = Cell->GetTextLayout();
    unsigned F = AlignmentFlags[Cell->GetTextAlignment()] | DT_NOPREFIX | DT_END_ELLIPSIS;
    const bool hasBreak = T.find("\r\n") != AnsiString::npos;
    const bool wrap = Cell->GetWordWrap();
    if (wrap) F |= DT_WORDBREAK | DT_EDITCONTROL;
    if (!hasBreak && !wrap) {
        F |= DT_SINGLELINE | LayoutFlags[layout];
    } else if (layout != tlTop) {
        TRect M = TR;
        const int h = DrawTextA(C->GetHandle(), T, M, F | DT_CALCRECT | DT_NOCLIP);
        if (layout == tlBottom) {
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
    AnsiString drawn;
    DrawTextA(C->GetHandle(), T, TR, F | DT_MODIFYSTRING, &drawn);
    q->OnDisplayText(q, Cell, drawn);
}

// The raised look of headings and fixed cells.
void TCarrelonPrivate::DrawFixedEdges(TCanvas* C, int ACol, int ARow, const TRect& R,
                                      TGridDrawState AState, const TCarrelonCol* EndColumn,
                                      bool Heading, bool Highlight) {
    TRect E = R;
    const bool fixedVert = FCarrelonOptions.Contains(cloFixedVertLine);
    const bool fixedHorz = FCarrelonOptions.Contains(cloFixedHorzLine);
    if (Heading && FSpreadsheetOptions.Contains(soExcelStyleHeadings)) {
        if (fixedVert) E.Right += EndColumn->GetGridLineWidth();
        if (fixedHorz) E.Bottom += q->GetGridLineWidth();
        if (Highlight) {
            DrawEdge(C->GetHandle(), E, EDGE_RAISED, BF_RECT);
        } else {
            unsigned sides = 0;
            if (ACol >= 1) sides |= BF_LEFT;
            if (ARow >= 1) sides |= BF_TOP;
            if (ACol == 0 && ARow == 0) sides = BF_LEFT | BF_TOP;
            DrawEdge(C->GetHandle(), E, BDR_RAISEDINNER, sides);
        }
        return;
    }
    if (!AState.Contains(gdFixed) || !q->GetCtl3D() || !(fixedVert || fixedHorz)) return;
    if (!fixedVert)
        E.Right += EndColumn->GetGridLineWidth();
    else if (!fixedHorz)
        E.Bottom += q->GetGridLineWidth();
    if (FSpreadsheetHeaders && FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight) &&
        (ARow == 0 || ACol == 0) && (ACol == q->GetCol() || ARow == q->GetRow())) {
        E.Left -= 1;
        E.Top -= 1;
        DrawEdge(C->GetHandle(), E, EDGE_RAISED, BF_RECT);
        return;
    }
    DrawRaisedFixedEdges(C, E, fixedVert, fixedHorz);
}

void TCarrelonPrivate::DrawCellPicture(TCanvas* C, const TCarrelonCell* Cell, const TGraphic* G,
                                       const TRect& R) {
    TRect P = R;
    const int W = G->GetWidth();
    const int Hg = G->GetHeight();
    if (W <= P.Width() && Hg <= P.Height() && !FCarrelonOptions.Contains(cloStretchImages)) {
        switch (Cell->GetGraphicAlignment()) {
            case taRightJustify:
                P.Left = P.Right - W;
                break;
            case taCenter:
                P.Left += (P.Width() - W) / 2;
                break;
            default:
                break;
        }
        switch (Cell->GetGraphicLayout()) {
            case tlCenter:
                P.Top += (P.Height() - Hg) / 2;
                break;
            case tlBottom:
                P.Top = P.Bottom - Hg;
                break;
            default:
                break;
        }
        C->Draw(P.Left, P.Top, G);
        return;
    }
    StretchGraphic(C, G, R);
}

void TCarrelonPrivate::DrawCellCheckBox(TCanvas* C, const TCarrelonCell* Cell, const TRect& R) {
    TBitmap* Box = Cell->GetCheckBoxChecked() ? FCheckedImage.get() : FUncheckedImage.get();
    if (!Box) return;
    TRect P = R;
    const int bw = Box->GetWidth();
    const int bh = Box->GetHeight();
    if (bw < P.Width()) {
        switch (Cell->GetCheckBoxAlignment()) {
            case taRightJustify:
                P.Left = P.Right - bw;
                break;
            case taCenter:
                P.Left += (P.Width() - bw) / 2;
                break;
            default:
                break;
        }
    }
    if (bh < P.Height()) P.Top += (P.Height() - bh) / 2;
    C->Draw(P.Left, P.Top, Box);
}

// Outer borders of the neighbouring cells are drawn over this cell's fill again.
void TCarrelonPrivate::DrawNeighbourBorders(TCanvas* C, const TCarrelonCell* Cell, int ACol,
                                            int ARow, bool Fixed) {
    const int lastCol = q->GetColCount() - 1;
    const int lastRow = q->GetRowCount() - 1;
    const bool inFixedRows = ARow < FOwnFixedRows;
    const int top = q->TCustomGrid::GetTopRow();
    for (int c = std::max(ACol - 1, 0); c <= std::min(ACol + 1, lastCol); ++c) {
        for (int r = std::max(ARow - 1, 0); r <= std::min(ARow + 1, lastRow); ++r) {
            TCarrelonCell* N = q->GetCells(c, r);
            if (!N || N == Cell) continue;
            TCarrelonCellOuterBorder* B = N->ReadFOuterBorder();
            if (!B || B->GetWidth() == 0 || N->GetFixed() != Fixed) continue;
            if (inFixedRows && N->Row >= FOwnFixedRows && N->GetEndRow() < top) continue;
            FrameOutward(C, CalcCellRect(N), B->GetColor(), B->GetWidth());
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
