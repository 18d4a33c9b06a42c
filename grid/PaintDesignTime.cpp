// The cell painter in the form designer: no cells exist there, so lines, fixed colours,
// headings and the sort indicator come from the grid's own properties.
#include <string>

#include "formulas/A1Names.h"
#include "grid/CarrelonPrivate.h"
#include "grid/PaintSupport.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

using namespace paint;

void TCarrelonPrivate::DrawCellDesignTime(int ACol, int ARow, const TRect& ARect,
                                          TGridDrawState AState) {
    TCanvas* C = q->GetCanvas();
    const int rowCount = q->GetRowCount();
    const bool allRowsFixed = rowCount == FOwnFixedRows;
    // The base grid cannot show every row fixed, nor does it mark its current cell here.
    if (allRowsFixed && ARow == rowCount - 1) AState.Include(gdFixed);
    const TGridCoord cur = ReadFCurrent();
    const bool focusedSlot = cur.X == ACol && cur.Y == ARow;
    if (focusedSlot) AState.Include(gdFocused);
    const bool fixed = AState.Contains(gdFixed);
    const bool heading = IsHeadingSlot(ACol, ARow);
    const bool headingStyle = heading && FSpreadsheetOptions.Contains(soExcelStyleHeadings);
    const int lineWidth = q->GetGridLineWidth();

    // Line strips: bottom first, then right.
    TRect R = ARect;
    const bool horz = FCarrelonOptions.Contains(fixed ? cloFixedHorzLine : cloHorzLine);
    const bool vert = FCarrelonOptions.Contains(fixed ? cloFixedVertLine : cloVertLine);
    const TColor lineColor = fixed ? FixedLineColor(heading) : FGridLineColor;
    if (horz && lineWidth > 0) {
        C->GetBrush()->SetColor(lineColor);
        C->FillRect(Rect(ARect.Left, ARect.Bottom - lineWidth, ARect.Right, ARect.Bottom));
        R.Bottom -= lineWidth;
    }
    if (vert && lineWidth > 0) {
        C->GetBrush()->SetColor(lineColor);
        C->FillRect(Rect(ARect.Right - lineWidth, ARect.Top, ARect.Right, ARect.Bottom));
        R.Right -= lineWidth;
    }

    // Fill: the selection shows in SelectionColor.
    const bool rowSelect = FCarrelonOptions.Contains(cloRowSelect);
    const bool focusSelected = FCarrelonOptions.Contains(cloDrawFocusSelected) || rowSelect;
    TColor fill = clNone;
    if (AState.Contains(gdSelected)) {
        if (!AState.Contains(gdFocused) || focusSelected)
            fill = FSelectionColor;
        else
            fill = fixed ? q->GetFixedColor() : q->GetColor();
    } else if (headingStyle) {
        fill = clBtnFace;
    } else if (allRowsFixed && ARow == rowCount - 1) {
        fill = q->GetFixedColor();
    } else {
        fill = fixed ? q->GetFixedColor() : q->GetColor();
    }
    C->GetBrush()->SetColor(fill);
    if (!R.IsEmpty()) C->FillRect(R);

    bool H = false;
    if (fixed && FSpreadsheetHeaders) {
        const bool highlight = FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight);
        AnsiString label;
        unsigned flags = 0;
        if (ARow == 0 && ACol > 0) {
            label = ColNumberToName(ACol);
            flags = HeadingColFlags;
            H = highlight && (ACol == cur.X || (rowSelect && ACol >= q->GetFixedCols()));
        } else if (ACol == 0 && ARow > 0) {
            label = std::to_string(ARow);
            flags = HeadingRowFlags;
            H = highlight && ARow == cur.Y;
        }
        if (!label.empty()) {
            SetBkMode(C->GetHandle(), TRANSPARENT);
            if (H) SetBold(C);
            TRect TR = R;
            DrawTextA(C->GetHandle(), label, TR, flags);
        }
    }

    const bool fixedVert = FCarrelonOptions.Contains(cloFixedVertLine);
    const bool fixedHorz = FCarrelonOptions.Contains(cloFixedHorzLine);
    TRect E = R;
    if (headingStyle) {
        if (fixedVert) E.Right += lineWidth;
        if (fixedHorz) E.Bottom += lineWidth;
        if (H) {
            E.Left -= 1;
            E.Top -= 1;
            DrawEdge(C->GetHandle(), E, EDGE_RAISED, BF_RECT);
        } else {
            unsigned sides = 0;
            if (ACol >= 1) sides |= BF_LEFT;
            if (ARow >= 1) sides |= BF_TOP;
            if (ACol == 0 && ARow == 0) sides = BF_LEFT | BF_TOP;
            DrawEdge(C->GetHandle(), E, BDR_RAISEDINNER, sides);
        }
    } else if (fixed && q->GetCtl3D() && (fixedVert || fixedHorz)) {
        if (!fixedVert)
            E.Right += lineWidth;
        else if (!fixedHorz)
            E.Bottom += lineWidth;
        if (H) {
            E.Left -= 1;
            E.Top -= 1;
            DrawEdge(C->GetHandle(), E, EDGE_RAISED, BF_RECT);
        } else {
            DrawRaisedFixedEdges(C, E, fixedVert, fixedHorz);
        }
    }

    if (FCarrelonOptions.Contains(cloDrawFocusRectangle) && AState.Contains(gdFocused) &&
        !rowSelect) {
        C->GetBrush()->SetColor(fill);
        DrawFocusRect(C->GetHandle(), R);
    }

    if (FSortIndicator && ARow + 1 == FOwnFixedRows && ACol == FSortColumn) DrawSortIndicator(R);
}

}  // namespace carrelon
