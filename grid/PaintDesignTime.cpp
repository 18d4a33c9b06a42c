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

namespace {

// One slot painted in the form designer, where no cells exist.
struct TDesignSlot {
    TCarrelonPrivate& P;
    TCanvas* C;
    int ACol, ARow;
    TGridDrawState State;
    bool Fixed, Heading, HeadingStyle, AllRowsFixed;
    int LineWidth;
};

// Line strips, bottom first, then right; the rectangle left inside them.
TRect DrawDesignLines(const TDesignSlot& S, const TRect& ARect) {
    TRect R = ARect;
    const TCarrelonOptions& O = S.P.FCarrelonOptions;
    const bool Horz = O.Contains(S.Fixed ? cloFixedHorzLine : cloHorzLine);
    const bool Vert = O.Contains(S.Fixed ? cloFixedVertLine : cloVertLine);
    const TColor LineColor = S.Fixed ? S.P.FixedLineColor(S.Heading) : S.P.FGridLineColor;
    if (Horz && S.LineWidth > 0) {
        S.C->GetBrush()->SetColor(LineColor);
        S.C->FillRect(Rect(ARect.Left, ARect.Bottom - S.LineWidth, ARect.Right, ARect.Bottom));
        R.Bottom -= S.LineWidth;
    }
    if (Vert && S.LineWidth > 0) {
        S.C->GetBrush()->SetColor(LineColor);
        S.C->FillRect(Rect(ARect.Right - S.LineWidth, ARect.Top, ARect.Right, ARect.Bottom));
        R.Right -= S.LineWidth;
    }
    return R;
}

// The fill: the selection shows in SelectionColor.
TColor DesignFillColour(const TDesignSlot& S) {
    TCarrelon* q = S.P.q;
    const TCarrelonOptions& O = S.P.FCarrelonOptions;
    const bool FocusSelected = O.Contains(cloDrawFocusSelected) || O.Contains(cloRowSelect);
    if (S.State.Contains(gdSelected)) {
        if (!S.State.Contains(gdFocused) || FocusSelected) return S.P.FSelectionColor;
        return S.Fixed ? q->GetFixedColor() : q->GetColor();
    }
    if (S.HeadingStyle) return clBtnFace;
    if (S.AllRowsFixed && S.ARow == q->GetRowCount() - 1) return q->GetFixedColor();
    return S.Fixed ? q->GetFixedColor() : q->GetColor();
}

// The letters or number of a heading slot; true when it is highlighted.
bool DrawDesignHeading(const TDesignSlot& S, const TRect& R) {
    if (!S.Fixed || !S.P.FSpreadsheetHeaders) return false;
    const bool Highlight = S.P.FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight);
    const TGridCoord Cur = S.P.ReadFCurrent();
    AnsiString Label;
    unsigned Flags = 0;
    bool H = false;
    if (S.ARow == 0 && S.ACol > 0) {
        Label = ColNumberToName(S.ACol);
        Flags = HeadingColFlags;
        H = Highlight && (S.ACol == Cur.X || (S.P.FCarrelonOptions.Contains(cloRowSelect) &&
                                              S.ACol >= S.P.q->GetFixedCols()));
    } else if (S.ACol == 0 && S.ARow > 0) {
        Label = std::to_string(S.ARow);
        Flags = HeadingRowFlags;
        H = Highlight && S.ARow == Cur.Y;
    }
    if (!Label.empty()) {
        SetBkMode(S.C->GetHandle(), TRANSPARENT);
        if (H) SetBold(S.C);
        TRect TR = R;
        DrawTextA(S.C->GetHandle(), Label, TR, Flags);
    }
    return H;
}

}  // namespace

void TCarrelonPrivate::DrawCellDesignTime(int ACol, int ARow, const TRect& ARect,
                                          TGridDrawState AState) {
    const bool AllRowsFixed = q->GetRowCount() == FOwnFixedRows;
    // The base grid cannot show every row fixed, nor does it mark its current cell here.
    if (AllRowsFixed && ARow == q->GetRowCount() - 1) AState.Include(gdFixed);
    const TGridCoord Cur = ReadFCurrent();
    if (Cur.X == ACol && Cur.Y == ARow) AState.Include(gdFocused);
    const bool Heading = IsHeadingSlot(ACol, ARow);
    const TDesignSlot S{*this,        q->GetCanvas(),
                        ACol,         ARow,
                        AState,       AState.Contains(gdFixed),
                        Heading,      Heading && FSpreadsheetOptions.Contains(soExcelStyleHeadings),
                        AllRowsFixed, q->GetGridLineWidth()};
    TCanvas* C = S.C;

    const TRect R = DrawDesignLines(S, ARect);
    const TColor Fill = DesignFillColour(S);
    C->GetBrush()->SetColor(Fill);
    if (!R.IsEmpty()) C->FillRect(R);
    const bool H = DrawDesignHeading(S, R);

    const bool FixedVert = FCarrelonOptions.Contains(cloFixedVertLine);
    const bool FixedHorz = FCarrelonOptions.Contains(cloFixedHorzLine);
    if (S.HeadingStyle)
        DrawHeadingEdges(C, R, ACol, ARow, FixedVert ? S.LineWidth : 0, FixedHorz ? S.LineWidth : 0,
                         H, true);
    else if (S.Fixed && q->GetCtl3D() && (FixedVert || FixedHorz))
        DrawFixedCellEdges(C, R, FixedVert, FixedHorz, S.LineWidth, S.LineWidth, H);

    if (FCarrelonOptions.Contains(cloDrawFocusRectangle) && AState.Contains(gdFocused) &&
        !FCarrelonOptions.Contains(cloRowSelect)) {
        C->GetBrush()->SetColor(Fill);
        DrawFocusRect(C->GetHandle(), R);
    }

    if (FSortIndicator && ARow + 1 == FOwnFixedRows && ACol == FSortColumn) DrawSortIndicator(R);
}

}  // namespace carrelon
