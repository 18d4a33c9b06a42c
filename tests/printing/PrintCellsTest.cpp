// Cells on the page: merges cut at page edges, backgrounds, pictures, check boxes, headings,
// lines and borders.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

using PrintCells = PrintFixture;

std::vector<Byte> IconBytes(int Side) {
    QImage Image(Side, Side, QImage::Format_ARGB32);
    Image.fill(Qt::red);
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter(&Buffer, "ICO").write(Image);
    return std::vector<Byte>(Bytes.begin(), Bytes.end());
}

TEST_F(PrintCells, MergedCellsAreCutAtPageEdgesAndDrawnInEachPart) {
    Shape(10, 4, 100, 24);
    NameCells();
    MakeMergedCell(Grid, 5, 0, 7, 0)->SetText("across");
    MakeMergedCell(Grid, 0, 0, 0, 2)->SetText("down");
    EXPECT_EQ(Grid->Print(), 2);
    EXPECT_EQ(CellRectOn(0, "across"), Rect(501, 1, 701, 25));
    EXPECT_EQ(CellRectOn(1, "across"), Rect(1, 1, 101, 25));
    EXPECT_EQ(TextsOn(0, "across").size(), 1u);
    EXPECT_EQ(TextsOn(1, "across").size(), 1u);

    // A range starting inside a merge draws the cell from the range's first row and column.
    EXPECT_EQ(Grid->PrintRange(0, 1, 6, 3), 1);
    EXPECT_EQ(CellRectOn(0, "down"), Rect(1, 1, 101, 49));
    EXPECT_EQ(Grid->PrintRange(6, 0, 8, 1), 1);
    EXPECT_EQ(CellRectOn(0, "across"), Rect(1, 1, 201, 25));
}

TEST_F(PrintCells, BackgroundFollowsGridFixedAndCellColours) {
    Shape(2, 2, 64, 24);
    NameCells();
    Grid->SetFixedRows(1);
    Grid->SetColor(0x00E0E0E0);
    Grid->SetFixedColor(0x00C0C0FF);
    Grid->GetCells(1, 1)->SetColor(clRed);
    Grid->GetCells(1, 0)->SetColor(0x00C0C0FF);
    const TCarrelonPrintOptions Base =
        Grid->GetPrintOptions() - poUseGridColor - poUseFixedColor - poUseCellColors;
    const struct {
        const char* Name;
        TCarrelonPrintOptions Options;
        TColor Fixed, Plain, Coloured;  // "0,0", "0,1", "1,1"
    } Cases[] = {
        {"white", Base, clWhite, clWhite, clWhite},
        {"grid colour", Base + poUseGridColor, 0x00E0E0E0, 0x00E0E0E0, 0x00E0E0E0},
        {"fixed colour", Base + poUseGridColor + poUseFixedColor, 0x00C0C0FF, 0x00E0E0E0,
         0x00E0E0E0},
        {"cell colours", Base + poUseCellColors, clWhite, clWhite, clRed},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Grid->SetPrintOptions(C.Options);
        EXPECT_EQ(Grid->Print(), 1);
        auto Back = [&](const AnsiString& Name) {
            for (const TCanvasRecord& R : Page(0).OfKind(TCanvasOp::TextRect))
                if (R.Rect == CellRectOn(0, Name)) return R.BkColor;
            return TColor(-1);
        };
        EXPECT_EQ(Back("0,0"), C.Fixed);
        EXPECT_EQ(Back("0,1"), C.Plain);
        EXPECT_EQ(Back("1,1"), C.Coloured);
        // A fixed cell coloured like the fixed colour keeps the background chosen before.
        EXPECT_EQ(Back("1,0"), C.Fixed);
    }
}

// The one record in Found, the DrawText records of Text.
TCanvasRecord OnlyOne(const std::vector<TCanvasRecord>& Found, const AnsiString& Text) {
    EXPECT_EQ(Found.size(), 1u) << Text;
    return Found.empty() ? TCanvasRecord{} : Found.front();
}

TEST_F(PrintCells, TextFlagsFollowLineBreaksWrapAlignmentAndLayout) {
    constexpr unsigned Plain = DT_NOPREFIX | DT_END_ELLIPSIS;
    constexpr unsigned Wrapped = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;
    const struct {
        const char* Text;
        bool Wrap;
        TAlignment Alignment;
        TTextLayout Layout;
        unsigned Flags;
    } Cases[] = {
        {"single", false, taLeftJustify, tlTop, Plain | DT_SINGLELINE},
        {"single centre", false, taCenter, tlCenter,
         Plain | DT_SINGLELINE | DT_CENTER | DT_VCENTER},
        {"single bottom", false, taRightJustify, tlBottom,
         Plain | DT_SINGLELINE | DT_RIGHT | DT_BOTTOM},
        {"wrapped", true, taRightJustify, tlCenter, Wrapped | DT_RIGHT},
        {"two\r\nlines", false, taCenter, tlBottom, Plain | DT_CENTER},
        {"two\r\nwrapped", true, taLeftJustify, tlTop, Wrapped},
    };
    const int N = static_cast<int>(std::size(Cases));
    Shape(N, 1, 100, 60);
    for (int c = 0; c < N; ++c) {
        TCarrelonCell* Cell = Grid->GetCells(c, 0);
        Cell->SetText(Cases[c].Text);
        Cell->SetWordWrap(Cases[c].Wrap);
        Cell->SetTextAlignment(Cases[c].Alignment);
        Cell->SetTextLayout(Cases[c].Layout);
    }
    Grid->SetRowHeights(0, 60);
    Grid->SetBorderForText(0);
    EXPECT_EQ(Grid->Print(), 1);
    for (const auto& C : Cases) {
        const TCanvasRecord R = OnlyOne(TextsOn(0, C.Text), C.Text);
        EXPECT_EQ(R.Flags, C.Flags) << C.Text;
        // No inset: the text gets the cell's rectangle or its lower part.
        const TRect Cell = CellRectOn(0, C.Text);
        EXPECT_EQ(R.Rect.Left, Cell.Left) << C.Text;
        EXPECT_EQ(R.Rect.Right, Cell.Right) << C.Text;
        EXPECT_EQ(R.Rect.Bottom, Cell.Bottom) << C.Text;
        // Two lines where the text breaks, drawn without a background of their own.
        if (AnsiString(C.Text).find("\r\n") != AnsiString::npos) {
            EXPECT_EQ(R.Points.size(), 2u) << C.Text;
        }
        EXPECT_FALSE(R.Opaque) << C.Text;
    }
}

TEST_F(PrintCells, MultiLineTextIsPlacedByItsLayout) {
    // A tall row for three lines, and a low one they do not fit in.
    Shape(4, 2, 120, 120);
    Grid->SetRowHeights(1, 12);
    Grid->SetColWidths(3, 60);  // narrow enough to wrap
    Grid->SetBorderForText(0);
    const struct {
        int Col, Row;
        const char* Text;
        bool Wrap;
        TTextLayout Layout;
    } Cases[] = {
        {0, 0, "top\r\nb\r\nc", false, tlTop},
        {1, 0, "centre\r\nb\r\nc", false, tlCenter},
        {2, 0, "bottom\r\nb\r\nc", false, tlBottom},
        {3, 0, "words that wrap onto lines", true, tlBottom},
        {0, 1, "low centre\r\nb\r\nc", false, tlCenter},
        {1, 1, "low bottom\r\nb\r\nc", false, tlBottom},
    };
    for (const auto& C : Cases) {
        TCarrelonCell* Cell = Grid->GetCells(C.Col, C.Row);
        Cell->SetText(C.Text);
        Cell->SetWordWrap(C.Wrap);
        Cell->SetTextLayout(C.Layout);
    }
    EXPECT_EQ(Grid->Print(), 1);
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text);
        const TCanvasRecord R = OnlyOne(TextsOn(0, C.Text), C.Text);
        const TRect Cell = CellRectOn(0, C.Text);
        ASSERT_GE(R.Points.size(), 2u);
        const int Line = R.Points[1].Y - R.Points[0].Y;
        ASSERT_GT(Line, 0);
        const int Height = Line * static_cast<int>(R.Points.size());
        if (C.Row == 0) {
            ASSERT_GT(Cell.Height(), Height) << "the tall row holds the lines";
        }
        int Top = Cell.Top;
        if (Cell.Height() > Height) {
            if (C.Layout == tlBottom) Top = Cell.Bottom - Height;
            if (C.Layout == tlCenter) Top = Cell.Top + (Cell.Height() - Height) / 2;
        }
        EXPECT_EQ(R.Rect, Rect(Cell.Left, Top, Cell.Right, Cell.Bottom));
        EXPECT_EQ(R.Points.front().Y, Top);
    }
}

TEST_F(PrintCells, BorderForTextInsetsTextAndHeadingsOnEachAxis) {
    // 144 by 240 pixels per inch: 1.5 and 2.5 printer pixels to a screen pixel.
    TPrinterStandIn S = StandInPage(144, 800, 1000);
    S.PixelsPerInchY = 240;
    UseStandIn(S);
    Shape(2, 3, 64, 40);
    Grid->SetSpreadsheetHeaders(true);
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poPrintSpreadsheetHeaders);
    Grid->GetCells(1, 1)->SetText("inset");
    TCarrelonCell* Low = Grid->GetCells(1, 2);
    Low->SetText("low\r\nlines");
    Low->SetTextLayout(tlBottom);
    Grid->SetBorderForText(3);
    EXPECT_EQ(Grid->Print(), 1);
    // 3 times 1.5 and 3 times 2.5, exact halves rounded up: 5 and 8.
    auto Inset = [](const TRect& R) {
        return Rect(R.Left + 5, R.Top + 8, R.Right - 5, R.Bottom - 8);
    };
    const TCanvasRecord Text = OnlyOne(TextsOn(0, "inset"), "inset");
    EXPECT_EQ(Text.Rect, Inset(CellRectOn(0, "inset")));
    const TCanvasRecord Heading = OnlyOne(TextsOn(0, "A"), "A");
    EXPECT_EQ(Heading.Rect, Inset(CellRectOn(0, "A")));
    EXPECT_EQ(Heading.Flags,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    EXPECT_EQ(OnlyOne(TextsOn(0, "1"), "1").Rect, Inset(CellRectOn(0, "1")));
    // Placed at the bottom of the inset rectangle.
    const TCanvasRecord Lines = OnlyOne(TextsOn(0, "low\r\nlines"), "low lines");
    ASSERT_EQ(Lines.Points.size(), 2u);
    const TRect T = Inset(CellRectOn(0, "low\r\nlines"));
    const int Line = Lines.Points[1].Y - Lines.Points[0].Y;
    EXPECT_EQ(Lines.Rect, Rect(T.Left, T.Bottom - 2 * Line, T.Right, T.Bottom));
}

TEST_F(PrintCells, PicturesAndCheckBoxesScaleAndKeepTheirPlace) {
    // 576 dpi: every size times 6.
    UseStandIn(StandInPage(576, 4000, 4000));
    Shape(3, 1, 64, 24);
    TIcon Icon;
    Icon.LoadFromData(IconBytes(16));
    TCarrelonCell* C0 = Grid->GetCells(0, 0);
    C0->SetGraphic(&Icon);
    C0->SetGraphicAlignment(taCenter);
    C0->SetGraphicLayout(tlBottom);
    TBitmap Big;
    Big.SetSize(200, 100);
    Grid->GetCells(1, 0)->SetGraphic(&Big);
    Grid->SetColWidths(1, 64);
    Grid->SetRowHeights(0, 24);
    TCarrelonCell* C2 = Grid->GetCells(2, 0);
    C2->SetCheckBox(true);
    C2->SetCheckBoxChecked(true);
    C2->SetCheckBoxAlignment(taRightJustify);
    EXPECT_EQ(Grid->Print(), 1);
    const std::vector<TCanvasRecord> Drawn = Page(0).OfKind(TCanvasOp::StretchDraw);
    ASSERT_EQ(Drawn.size(), 3u);
    // The icon: 96 pixels centred in the 384-pixel cell, at its bottom.
    EXPECT_EQ(Drawn[0].Rect, Rect(6 + 144, 150 - 96, 6 + 144 + 96, 150));
    // A picture larger than the cell fills it.
    EXPECT_EQ(Drawn[1].Rect, Rect(390, 6, 774, 150));
    // The 13-pixel check box: 78 wide at the right, centred vertically.
    EXPECT_EQ(Drawn[2].Rect, Rect(1158 - 78, 6 + 33, 1158, 6 + 33 + 78));
}

TEST_F(PrintCells, SpreadsheetHeadingsCountHiddenColumns) {
    Shape(5, 3, 64, 24);
    Grid->SetSpreadsheetHeaders(true);
    Grid->GetCells(2, 1)->SetText("x");
    ASSERT_TRUE(Grid->HideColumn(2));
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poPrintSpreadsheetHeaders);
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_EQ(AllTexts(0), (std::vector<AnsiString>{"1", "2", "A", "C", "D"}));
    // Headings left out of the range unless printed.
    Grid->SetPrintOptions(Grid->GetPrintOptions() - poPrintSpreadsheetHeaders);
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_TRUE(AllTexts(0).empty());
}

TEST_F(PrintCells, LinesTakeTheirColoursAndBordersComeLast) {
    Shape(2, 2, 64, 24);
    Grid->SetFixedRows(1);
    Grid->SetGridLineColor(clBlue);
    Grid->SetFixedGridLineColor(clGreen);
    Grid->GetCols(1)->SetGridLineColor(clRed);
    TCarrelonCell* Cell = Grid->GetCells(0, 1);
    Cell->GetInnerBorder()->SetColor(clYellow);
    Cell->GetInnerBorder()->SetWidth(2);
    Cell->GetOuterBorder()->SetColor(clFuchsia);
    Cell->GetOuterBorder()->SetWidth(3);
    auto FillsIn = [&](TColor Colour) {
        std::vector<TRect> Out;
        for (const TCanvasRecord& R : Page(0).OfKind(TCanvasOp::FillRect))
            if (R.Color == Colour) Out.push_back(R.Rect);
        return Out;
    };

    const TCarrelonPrintOptions Colours =
        TCarrelonPrintOptions{poUseGridLineColor} + poUseFixedGridLineColor;
    Grid->SetPrintOptions(Grid->GetPrintOptions() - Colours);
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_TRUE(FillsIn(clBlue).empty());
    EXPECT_TRUE(FillsIn(clGreen).empty());
    Grid->SetPrintOptions(Grid->GetPrintOptions() + Colours);
    EXPECT_EQ(Grid->Print(), 1);
    // Plain cells: grid colour below and at the left, the column's colour at the right.
    const std::vector<TRect> Blue = FillsIn(clBlue);
    EXPECT_NE(std::find(Blue.begin(), Blue.end(), Rect(1, 48, 65, 49)), Blue.end());
    EXPECT_NE(std::find(Blue.begin(), Blue.end(), Rect(0, 25, 1, 49)), Blue.end());
    const std::vector<TRect> Red = FillsIn(clRed);
    EXPECT_NE(std::find(Red.begin(), Red.end(), Rect(128, 25, 129, 49)), Red.end());
    // Fixed cells in the fixed line colour; the left line of the top-left one reaches the top.
    const std::vector<TRect> Green = FillsIn(clGreen);
    EXPECT_NE(std::find(Green.begin(), Green.end(), Rect(0, 0, 1, 25)), Green.end());

    // The inner border: a band two pixels wide inside the lines, as four rectangles.
    EXPECT_EQ(FillsIn(clYellow), (std::vector<TRect>{Rect(1, 25, 64, 27), Rect(1, 46, 64, 48),
                                                     Rect(1, 27, 3, 46), Rect(62, 27, 64, 46)}));
    // The outer border is drawn after every cell, over its neighbours' backgrounds.
    const std::vector<TCanvasRecord>& All = Page(0).Records;
    std::size_t LastCell = 0, FirstOuter = All.size();
    for (std::size_t i = 0; i < All.size(); ++i) {
        if (All[i].Op == TCanvasOp::TextRect) LastCell = i;
        if (All[i].Op == TCanvasOp::FillRect && All[i].Color == TColor(clFuchsia))
            FirstOuter = std::min(FirstOuter, i);
    }
    EXPECT_GT(FirstOuter, LastCell);
    EXPECT_EQ(FillsIn(clFuchsia).front(), Rect(-2, 22, 67, 25));
}

TEST_F(PrintCells, BorderWiderThanItsCellFillsTheCell) {
    Shape(1, 1, 10, 10);
    TCarrelonCellInnerBorder* B = Grid->GetCells(0, 0)->GetInnerBorder();
    B->SetColor(clYellow);
    B->SetWidth(40);
    EXPECT_EQ(Grid->Print(), 1);
    std::vector<TRect> Yellow;
    for (const TCanvasRecord& R : Page(0).OfKind(TCanvasOp::FillRect))
        if (R.Color == TColor(clYellow)) Yellow.push_back(R.Rect);
    EXPECT_EQ(Yellow, (std::vector<TRect>{Rect(1, 1, 10, 10)}));
}

}  // namespace
}  // namespace carrelon::test
