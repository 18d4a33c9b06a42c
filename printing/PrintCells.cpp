// The paginator's cells: each slot placed on its page is drawn with the painter's colour and
// font rules, scaled to printer pixels; outer borders wait in a queue until the page's cells are
// done, so that no later background covers them.
#include <algorithm>

#include "grid/PaintSupport.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"
#include "printing/PrintRun.h"

namespace carrelon {

namespace {

// Page coordinates are kept far inside the int range, so that the insets, lines and borders
// added to a cell's rectangle cannot overflow even for a grid placed far off the page.
constexpr std::int64_t PageCoordinateLimit = std::int64_t{1} << 28;

int ClampInt(std::int64_t V) {
    return static_cast<int>(std::clamp(V, -PageCoordinateLimit, PageCoordinateLimit));
}

// R narrowed to a scaled Width placed by Alignment, and to a scaled Height placed by Layout,
// in each direction only when it is smaller than R.
TRect PlaceScaled(TRect R, int Width, int Height, TAlignment Alignment, TTextLayout Layout) {
    const int W = R.Width();
    if (Width < W) {
        switch (Alignment) {
            case taRightJustify:
                R.Left = R.Right - Width;
                break;
            case taCenter:
                R.Left += (W - Width) / 2;
                R.Right -= (W - Width) / 2;
                break;
            default:
                R.Right = R.Left + Width;
                break;
        }
    }
    const int H = R.Height();
    if (Height < H) {
        switch (Layout) {
            case tlCenter:
                R.Top += (H - Height) / 2;
                R.Bottom -= (H - Height) / 2;
                break;
            case tlBottom:
                R.Top = R.Bottom - Height;
                break;
            default:
                R.Bottom = R.Top + Height;
                break;
        }
    }
    return R;
}

}  // namespace

void TCarrelonPrintRun::PrintCell(int ACol, int ARow) {
    // A page event may have shrunk the grid under the running print.
    if (ACol >= q->GetColCount() || ARow >= q->GetRowCount()) return;
    const TCarrelonCell* Cell = q->GetCells(ACol, ARow);
    if (Cell == nullptr) return;

    // A merged cell is drawn once per page-column and band: from its start slot, and again from
    // the first slot of every later page-column or band it reaches.
    if (Cell->GetStartCol() != ACol && !ColStartsPage(ACol)) return;
    if (Cell->GetRow() != ARow && !RowStartsBand(ARow)) return;

    // The rectangle in screen pixels from the page-column's and band's edges, cut where they
    // end (repeated fixed columns and rows at the fixed boundary).
    int E = std::min(Cell->GetEndCol(), ColPageEnd[static_cast<std::size_t>(ACol - FromCol)]);
    if (RepeatingCol(ACol)) E = std::min(E, FixedCols - 1);
    int F = std::min(Cell->GetEndRow(), RepeatingRow(ARow) ? FixedRows - 1 : BandLast);
    E = std::max(E, ACol);
    F = std::max(F, ARow);
    std::int64_t Left = ColOffsetOf(ACol);
    std::int64_t Right = ColOffsetOf(E) + ColWidthOf(E);
    std::int64_t Top = RowOffsetOf(ARow);
    std::int64_t Bottom = RowBottomOf(F);
    if (ColResume != -1 && ACol >= ColResume) {
        Left += RepeatWidth;
        Right += RepeatWidth;
    }
    if (RowResume != -1 && ARow >= RowResume) {
        Top += RepeatHeight;
        Bottom += RepeatHeight;
    }
    // Room for the page's first lines.
    if (VertLinesOn()) {
        Left += GridLineWidth;
        Right += GridLineWidth;
    }
    if (HorzLinesOn()) {
        Top += GridLineWidth;
        Bottom += GridLineWidth;
    }
    const std::int64_t Y0 = static_cast<std::int64_t>(TopPx) + HeaderPx;
    const TRect CellRect{ClampInt(RoundHalfUp(Left * static_cast<long double>(ScaleX)) +
                                  static_cast<std::int64_t>(LeftPx)),
                         ClampInt(RoundHalfUp(Top * static_cast<long double>(ScaleY)) + Y0),
                         ClampInt(RoundHalfUp(Right * static_cast<long double>(ScaleX)) +
                                  static_cast<std::int64_t>(LeftPx)),
                         ClampInt(RoundHalfUp(Bottom * static_cast<long double>(ScaleY)) + Y0)};

    // Background: white or the grid's colour, the fixed colour, then the cell's own colour
    // where it differs from the one its part of the grid has.
    const bool IsFixed = Fixed(ACol, ARow);
    TColor Back = Has(poUseGridColor) ? q->GetColor() : clWhite;
    if (IsFixed && Has(poUseFixedColor)) Back = q->GetFixedColor();
    if (Has(poUseCellColors)) {
        const TColor Own = Cell->GetColor();
        const TColor Part = IsFixed ? q->GetFixedColor() : q->GetColor();
        if (ColorToRGB(Own) != ColorToRGB(Part)) Back = Own;
    }
    C->GetBrush()->SetColor(Back);

    // The cell's font at the page's scale; black unless font colours are printed.
    C->SetFont(Cell->CalcFont());
    TFont* Font = C->GetFont();
    if (!OnPrinter())
        Font->SetSize(RoundHalfUp(static_cast<long double>(Font->GetSize()) * ScaleY));
    else if (ScaleY != BaseScaleY)
        Font->SetSize(RoundHalfUp(static_cast<long double>(Font->GetSize()) * ScaleY / BaseScaleY));
    if (!Has(poUseFontColors)) Font->SetColor(clBlack);

    C->TextRect(CellRect, 0, 0, " ");
    PrintCellText(Cell, ACol, ARow, CellRect);
    PrintCellGraphics(Cell, CellRect);
    PrintCellLines(Cell, ACol, ARow, CellRect);
}

void TCarrelonPrintRun::PrintCellText(const TCarrelonCell* Cell, int ACol, int ARow,
                                      const TRect& CellRect) {
    TRect T = CellRect;
    if (BorderForText > 0) {
        const int BX = RoundHalfUp(static_cast<long double>(BorderForText) * ScaleX);
        const int BY = RoundHalfUp(static_cast<long double>(BorderForText) * ScaleY);
        T = {T.Left + BX, T.Top + BY, T.Right - BX, T.Bottom - BY};
    }
    const AnsiString Text = Cell->GetText();
    if (Text.empty()) {
        // Spreadsheet headings: column letters and row numbers.
        if (!Has(poPrintSpreadsheetHeaders) || !d.FSpreadsheetHeaders) return;
        const AnsiString Heading = d.SpreadsheetHeadingText(ACol, ARow);
        if (!Heading.empty()) DrawTextA(C->GetHandle(), Heading, T, paint::HeadingColFlags);
        return;
    }
    const TTextLayout Layout = Cell->GetTextLayout();
    unsigned Flags =
        paint::AlignmentFlags[Cell->GetTextAlignment()] | DT_NOPREFIX | DT_END_ELLIPSIS;
    const bool Breaks = Text.find("\r\n") != AnsiString::npos;
    const bool Wrap = Cell->GetWordWrap();
    if (Wrap) Flags |= DT_WORDBREAK | DT_EDITCONTROL;
    if (!Breaks && !Wrap) {
        Flags |= DT_SINGLELINE | paint::LayoutFlags[Layout];
    } else if (Layout != tlTop) {
        TRect M = T;
        const int H = DrawTextA(C->GetHandle(), Text, M, Flags | DT_CALCRECT | DT_NOCLIP);
        if (Layout == tlBottom) {
            if (T.Bottom - H > T.Top) T.Top = T.Bottom - H;
        } else if (T.Bottom - T.Top - H > 0) {
            T.Top += (T.Bottom - T.Top - H) / 2;
        }
    }
    // The background is painted already: the text needs none of its own.
    SetBkMode(C->GetHandle(), TRANSPARENT);
    DrawTextA(C->GetHandle(), Text, T, Flags);
}

void TCarrelonPrintRun::PrintCellGraphics(const TCarrelonCell* Cell, const TRect& CellRect) {
    const TPicture* Pic = Cell->ReadFPicture();
    if (Pic != nullptr && Pic->GetGraphic() != nullptr) {
        const TGraphic* G = Pic->GetGraphic();
        // Smaller than the cell: placed by its alignment and layout; larger: stretched to it.
        const TRect P =
            PlaceScaled(CellRect, RoundHalfUp(static_cast<long double>(G->GetWidth()) * ScaleX),
                        RoundHalfUp(static_cast<long double>(G->GetHeight()) * ScaleY),
                        Cell->GetGraphicAlignment(), Cell->GetGraphicLayout());
        paint::StretchGraphic(C, G, P);
    }
    if (Cell->GetCheckBox()) {
        const TBitmap* Box =
            Cell->GetCheckBoxChecked() ? d.FCheckedImage.get() : d.FUncheckedImage.get();
        if (Box == nullptr) return;
        const TRect Q =
            PlaceScaled(CellRect, RoundHalfUp(static_cast<long double>(Box->GetWidth()) * ScaleX),
                        RoundHalfUp(static_cast<long double>(Box->GetHeight()) * ScaleY),
                        Cell->GetCheckBoxAlignment(), tlCenter);
        C->StretchDraw(Q, Box);
    }
}

void TCarrelonPrintRun::PrintCellLines(const TCarrelonCell* Cell, int ACol, int ARow,
                                       const TRect& R) {
    const bool IsFixed = Fixed(ACol, ARow);
    const TCarrelonOptions GridOptions = d.FCarrelonOptions;
    const bool Horz = IsFixed ? Has(poUseFixedHorzLine) && GridOptions.Contains(cloFixedHorzLine)
                              : Has(poUseHorzLine) && GridOptions.Contains(cloHorzLine);
    const bool Vert = IsFixed ? Has(poUseFixedVertLine) && GridOptions.Contains(cloFixedVertLine)
                              : Has(poUseVertLine) && GridOptions.Contains(cloVertLine);
    const TCarrelonCol* EndColumn = Cell->GetEndColObject();
    const int EndLineWidth = EndColumn != nullptr ? EndColumn->GetGridLineWidth() : 0;
    auto LineColour = [&](bool RightLine) -> TColor {
        if (IsFixed) return Has(poUseFixedGridLineColor) ? q->GetFixedGridLineColor() : clBlack;
        if (!Has(poUseGridLineColor)) return clBlack;
        if (RightLine && EndColumn != nullptr) return EndColumn->GetGridLineColor();
        return q->GetGridLineColor();
    };
    const int HW = RoundHalfUp(static_cast<long double>(GridLineWidth) * ScaleY);
    const int VW = RoundHalfUp(static_cast<long double>(GridLineWidth) * ScaleX);
    const int CW = RoundHalfUp(static_cast<long double>(EndLineWidth) * ScaleX);
    const bool HorzDrawn = Horz && GridLineWidth > 0;
    const bool RightDrawn = Vert && EndLineWidth > 0;
    TBrush* Brush = C->GetBrush();

    const bool FirstInBand = RowStartsBand(ARow);
    const bool FirstInPageColumn = ColStartsPage(ACol);
    if (HorzDrawn) {
        Brush->SetColor(LineColour(false));
        C->FillRect({R.Left, R.Bottom - HW, R.Right, R.Bottom});
        // The page's top line, not below repeated fixed rows.
        if (FirstInBand && (IsFixed || RowResume == -1 || ARow < RowResume))
            C->FillRect({R.Left, R.Top - HW, R.Right, R.Top});
    }
    if (RightDrawn) {
        Brush->SetColor(LineColour(true));
        C->FillRect({R.Right - CW, R.Top, R.Right, R.Bottom});
    }
    if (Vert && GridLineWidth > 0 && FirstInPageColumn &&
        (IsFixed || ColResume == -1 || ACol < ColResume)) {
        Brush->SetColor(LineColour(false));
        const int Top = IsFixed && FirstInBand ? R.Top - HW : R.Top;
        C->FillRect({R.Left - VW, Top, R.Left, R.Bottom});
    }

    // Borders sit inside the line strips.
    TRect B = R;
    if (HorzDrawn) B.Bottom -= HW;
    if (RightDrawn) B.Right -= CW;
    if (const TCarrelonCellInnerBorder* Inner = Cell->ReadFInnerBorder()) {
        const int W = Inner->GetWidth();
        if (W > 0) {
            const int IX = RoundHalfUp(static_cast<long double>(W) * ScaleX);
            const int IY = RoundHalfUp(static_cast<long double>(W) * ScaleY);
            FillFrameBand({B.Left + IX, B.Top + IY, B.Right - IX, B.Bottom - IY}, B,
                          Inner->GetColor());
        }
    }
    if (const TCarrelonCellOuterBorder* Outer = Cell->ReadFOuterBorder()) {
        const int W = Outer->GetWidth();
        if (W > 0) {
            const int OX = RoundHalfUp(static_cast<long double>(W) * ScaleX);
            const int OY = RoundHalfUp(static_cast<long double>(W) * ScaleY);
            d.FPrintOuterBorders.push_back(
                {B, TRect{B.Left - OX, B.Top - OY, B.Right + OX, B.Bottom + OY},
                 Outer->GetColor()});
        }
    }
}

// The band between Outer and Inner as concentric one-pixel frames would fill it, from Outer
// inwards while the frame is both wider and higher than Inner: an even band as thick as the
// narrower side needs, drawn as at most four rectangles.
void TCarrelonPrintRun::FillFrameBand(const TRect& Inner, const TRect& Outer, TColor Color) {
    C->GetBrush()->SetColor(Color);
    const std::int64_t OW = Outer.Width(), OH = Outer.Height();
    const std::int64_t DW = OW - Inner.Width(), DH = OH - Inner.Height();
    if (DW <= 0 || DH <= 0 || OW <= 0 || OH <= 0) return;
    const std::int64_t N = std::min((DW + 1) / 2, (DH + 1) / 2);
    if (2 * N >= OW || 2 * N >= OH) {
        C->FillRect(Outer);
        return;
    }
    const int T = static_cast<int>(N);
    C->FillRect({Outer.Left, Outer.Top, Outer.Right, Outer.Top + T});
    C->FillRect({Outer.Left, Outer.Bottom - T, Outer.Right, Outer.Bottom});
    C->FillRect({Outer.Left, Outer.Top + T, Outer.Left + T, Outer.Bottom - T});
    C->FillRect({Outer.Right - T, Outer.Top + T, Outer.Right, Outer.Bottom - T});
}

}  // namespace carrelon
