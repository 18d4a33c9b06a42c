// The cell painter: rectangles, flags and colours of what each slot draws.
#include <algorithm>
#include <climits>

#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"
#include "tests/support/PaintTestSupport.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

// The default grid: 5 x 5, one fixed row and column, columns 64 and rows 18 pixels wide and
// high, each carrying a one-pixel line at its right and bottom.
constexpr TRect kSlot11{64, 18, 128, 36};

// The text flags the painter draws with, by what they mean.
constexpr unsigned kText = DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr unsigned kWrapped = kText | DT_WORDBREAK | DT_EDITCONTROL;
constexpr unsigned kSingleLine = kText | DT_SINGLELINE;
constexpr unsigned kColumnHeading = kSingleLine | DT_VCENTER | DT_CENTER;
constexpr unsigned kRowHeading = kSingleLine | DT_BOTTOM | DT_CENTER;
constexpr unsigned kButtonCaption = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER;

TEST_F(GridPaintTest, LineStripsLieInsideEachSlot) {
    PaintGrid();
    // Scrollable cell: grid line colour; fixed cell: fixed line colour.
    const auto bottom = FillsOf({64, 35, 128, 36});
    const auto right = FillsOf({127, 18, 128, 36});
    ASSERT_EQ(bottom.size(), 1u);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(bottom[0].Color, clSilver);
    EXPECT_EQ(right[0].Color, clSilver);
    const auto fixedBottom = FillsOf({0, 35, 64, 36});
    ASSERT_EQ(fixedBottom.size(), 1u);
    EXPECT_EQ(fixedBottom[0].Color, clBlack);
}

TEST_F(GridPaintTest, LineOptionsOffLeaveNoStripAndWidenTheCell) {
    TCarrelonOptions o = Grid->GetOptions();
    o.Exclude(cloHorzLine);
    o.Exclude(cloVertLine);
    Grid->SetOptions(o);
    Grid->GetCells(1, 1)->SetText("x");
    PaintGrid();
    EXPECT_TRUE(FillsOf({64, 35, 128, 36}).empty());
    EXPECT_TRUE(FillsOf({127, 18, 128, 36}).empty());
    const auto text = Texts("x");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Rect, (TRect{66, 20, 126, 34}));
}

struct TextCase {
    const char* Name;
    TAlignment Align;
    TTextLayout Layout;
    bool Wrap;
    const char* Text;
    unsigned Flags;
    int Top;  // top of the text rectangle in a 60-pixel row
};

class TextPlacementTest : public GridPaintTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextPlacementTest, TextRectangleAndFlags) {
    const TextCase& c = GetParam();
    Grid->SetRowHeights(1, 60);
    TCarrelonCell* Cell = Grid->GetCells(1, 1);
    Cell->SetText(c.Text);
    Cell->SetTextAlignment(c.Align);
    Cell->SetTextLayout(c.Layout);
    Cell->SetWordWrap(c.Wrap);
    PaintGrid();
    const auto text = Texts(Cell->GetText());
    ASSERT_EQ(text.size(), 1u) << c.Name;
    EXPECT_EQ(text[0].Flags, c.Flags) << c.Name;
    // The cell is (64,18)-(127,77) without its lines; the text sits BorderForText inside.
    EXPECT_EQ(text[0].Rect, (TRect{66, c.Top, 125, 75})) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextPlacementTest,
    ::testing::Values(
        TextCase{"left top wrapped", taLeftJustify, tlTop, true, "abc", kWrapped | DT_LEFT, 20},
        TextCase{"right top wrapped", taRightJustify, tlTop, true, "abc", kWrapped | DT_RIGHT, 20},
        TextCase{"centre single line", taCenter, tlTop, false, "abc",
                 kSingleLine | DT_CENTER | DT_TOP, 20},
        TextCase{"single line bottom", taLeftJustify, tlBottom, false, "abc",
                 kSingleLine | DT_LEFT | DT_BOTTOM, 20},
        TextCase{"single line centred", taRightJustify, tlCenter, false, "abc",
                 kSingleLine | DT_RIGHT | DT_VCENTER, 20},
        // Wrapped or multi-line text is measured and moved down by hand.
        TextCase{"wrapped bottom", taLeftJustify, tlBottom, true, "abc", kWrapped | DT_LEFT, 62},
        TextCase{"wrapped centre", taCenter, tlCenter, true, "abc", kWrapped | DT_CENTER, 41},
        TextCase{"two lines no wrap bottom", taLeftJustify, tlBottom, false, "a\r\nb",
                 kText | DT_LEFT, 49},
        TextCase{"two lines no wrap centre", taLeftJustify, tlCenter, false, "a\r\nb",
                 kText | DT_LEFT, 34}),
    [](const auto& Info) {
        std::string n = Info.param.Name;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

TEST_F(GridPaintTest, MergedCellIsPaintedWithItsWholeRectangle) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 1, 2, 2);
    M->SetText("merged");
    PaintGrid();
    EXPECT_EQ(Access::Internals(Grid).CalcCellRect(M), (TRect{64, 18, 191, 53}));
    const auto text = Texts("merged");
    ASSERT_FALSE(text.empty());
    for (const TCanvasRecord& r : text)
        EXPECT_EQ(r.Rect, (TRect{66, 20, 189, 51}));
    // Lines only along the merge's bottom and right edges.
    EXPECT_TRUE(FillsOf({64, 35, 128, 36}).empty());
    EXPECT_TRUE(FillsOf({127, 18, 128, 36}).empty());
    EXPECT_EQ(FillsOf({64, 53, 128, 54}).size(), 1u);
    EXPECT_EQ(FillsOf({191, 36, 192, 54}).size(), 1u);
}

TEST_F(GridPaintTest, MergedCellScrolledOutStartsAtItsTrueOrigin) {
    Grid->SetColCount(8);
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 1, 3, 1);
    M->SetText("wide");
    Grid->SetLeftCol(2);
    // Column 1 lies left of the fixed boundary now.
    EXPECT_EQ(Access::Internals(Grid).GetX(1), 0);
    EXPECT_EQ(Access::Internals(Grid).CalcCellRect(M), (TRect{0, 18, 191, 35}));
    PaintGrid();
    const auto text = Texts("wide");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0].Rect, (TRect{2, 20, 189, 33}));
    // The fixed column keeps its own look above the merge's hidden part.
    EXPECT_EQ(PixelAt(10, 25), ColorToRGB(Grid->GetFixedColor()));
}

TEST_F(GridPaintTest, CheckBoxIsCentredInItsCell) {
    Grid->GetCols(1)->SetCheckBox(true);
    Grid->SetRowHeights(1, 40);
    PaintGrid();
    TBitmap* Box = Access::Internals(Grid).FUncheckedImage.get();
    ASSERT_NE(Box, nullptr);
    const int w = Box->GetWidth(), h = Box->GetHeight();
    bool found = false;
    for (const TCanvasRecord& r : Records(TCanvasOp::Draw))
        if (r.Rect.Left == 64 + (63 - w) / 2 && r.Rect.Top == 18 + (39 - h) / 2) found = true;
    EXPECT_TRUE(found) << "no check box drawn at the centre of (64,18)-(127,57)";
}

TEST_F(GridPaintTest, FillColoursAtPoints) {
    Grid->GetCells(2, 2)->SetColor(clRed);
    Grid->GetCols(3)->SetColor(clYellow);
    Grid->SetFixedColor(clLime);
    PaintGrid();
    EXPECT_EQ(PixelAt(150, 45), clRed);
    EXPECT_EQ(PixelAt(210, 45), clYellow);
    EXPECT_EQ(PixelAt(10, 45), clLime);     // fixed column
    EXPECT_EQ(PixelAt(127, 45), clSilver);  // the line strip of column 1
    EXPECT_EQ(PixelAt(10, 17), clBlack);    // the fixed line below the corner
}

TEST_F(GridPaintTest, SelectedCellTakesSelectionColours) {
    Grid->SetSelectionColor(clNavy);
    TCarrelonCell* Cell = Grid->GetCells(2, 2);
    Cell->SetText("sel");
    Grid->GetSelectedCells()->Add(Cell);
    PaintGrid();
    EXPECT_EQ(PixelAt(150, 45), clNavy);
    const auto text = Texts("sel");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Color, ColorToRGB(clHighlightText));
}

TEST_F(GridPaintTest, ButtonCellShowsCaptionFrameAndInsetFocus) {
    TCarrelonCell* B = Grid->GetCells(1, 1);
    B->SetButton(true);
    B->SetText("Go");
    Access::WriteFButtonPushed(B, true);
    B->GetInnerBorder()->SetWidth(2);
    Grid->SetCol(1);
    Grid->SetRow(1);
    PaintGrid();
    const auto frames = Records(TCanvasOp::DrawFrameControl);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Rect, (TRect{64, 18, 127, 35}));
    EXPECT_EQ(frames[0].Flags, DFCS_BUTTONPUSH | DFCS_PUSHED);
    const auto text = Texts("Go");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Flags, kButtonCaption);
    const auto focus = Records(TCanvasOp::DrawFocusRect);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].Rect, (TRect{67, 21, 124, 32}));
    // A button draws no borders.
    EXPECT_TRUE(Records(TCanvasOp::FrameRect).empty());
}

TEST_F(GridPaintTest, InnerAndOuterBordersFrameTheCell) {
    TCarrelonCell* Cell = Grid->GetCells(2, 2);
    Cell->GetInnerBorder()->SetColor(clRed);
    Cell->GetInnerBorder()->SetWidth(2);
    Cell->GetOuterBorder()->SetColor(clBlue);
    Cell->GetOuterBorder()->SetWidth(1);
    PaintGrid();
    std::vector<TRect> red, blue;
    for (const TCanvasRecord& r : Records(TCanvasOp::FrameRect))
        (r.Color == clRed ? red : blue).push_back(r.Rect);
    EXPECT_EQ(red, (std::vector<TRect>{{128, 36, 191, 53}, {129, 37, 190, 52}}));
    // The own pass plus the neighbours' repaints of the same outer frame.
    ASSERT_FALSE(blue.empty());
    for (const TRect& r : blue)
        EXPECT_EQ(r, (TRect{127, 35, 192, 54}));
    EXPECT_EQ(PixelAt(127, 45), clBlue);
}

TEST_F(GridPaintTest, DisplayTextReportsTheTextAsDrawn) {
    std::vector<AnsiString> shown;
    Grid->OnDisplayText = [&](TCarrelon*, TCarrelonCell*, const AnsiString& T) {
        shown.push_back(T);
    };
    Grid->GetCols(1)->SetWordWrap(false);
    Grid->GetCells(1, 1)->SetText("short");
    Grid->GetCells(1, 2)->SetText("a text far too long for its narrow cell");
    PaintGrid();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "short");
    EXPECT_TRUE(shown[1].ends_with("...")) << shown[1];
    EXPECT_LT(shown[1].size(), 39u);
    for (const TCanvasRecord& r : Records(TCanvasOp::DrawText))
        EXPECT_TRUE(r.Flags & DT_MODIFYSTRING) << r.Text;
}

TEST_F(GridPaintTest, SortIndicatorSitsInTheLastFixedRowOfItsColumn) {
    Grid->SetSortIndicator(true);
    Grid->SetSortColumn(2);
    Grid->SetSortIndicatorColor(clRed);
    Grid->GetCells(2, 0)->SetText("Name");
    Grid->GetCells(2, 1)->SetText("Other");
    PaintGrid();
    // The heading's text ends 12 pixels earlier; the triangle's lines lie at its top right.
    const auto text = Texts("Name");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Rect.Right, 191 - 2 - 12);
    EXPECT_EQ(Texts("Other")[0].Rect.Right, 191 - 2);
    const auto lines = Records(TCanvasOp::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Rect, (TRect{191 - 12, 12, 191 - 4, 12}));
    // Filled inside in the indicator's colour.
    EXPECT_EQ(PixelAt(191 - 8, 9), clRed);
}

TEST_F(GridPaintTest, SortIndicatorInANarrowCellIsNotFilled) {
    Grid->SetSortIndicator(true);
    Grid->SetSortColumn(2);
    Grid->GetCols(2)->SetWidth(10);
    PaintGrid();
    EXPECT_EQ(Records(TCanvasOp::Line).size(), 3u);
    EXPECT_TRUE(Records(TCanvasOp::FloodFill).empty());
    EXPECT_TRUE(Records(TCanvasOp::Polygon).empty());
}

TEST_F(GridPaintTest, FocusRectangleMarksTheCurrentCell) {
    Grid->SetCol(2);
    Grid->SetRow(3);
    PaintGrid();
    const auto focus = Records(TCanvasOp::DrawFocusRect);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].Rect, (TRect{128, 54, 191, 71}));
}

TEST_F(GridPaintTest, PictureIsPlacedByItsAlignmentOrStretched) {
    TBitmap Pic;
    Pic.SetSize(20, 10);
    Grid->SetRowHeights(1, 40);
    TCarrelonCell* Cell = Grid->GetCells(1, 1);
    Cell->SetGraphicAlignment(taRightJustify);
    Cell->SetGraphicLayout(tlBottom);
    Cell->SetGraphic(&Pic);
    PaintGrid();
    auto draws = Records(TCanvasOp::Draw);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Rect.Left, 127 - 20);
    EXPECT_EQ(draws[0].Rect.Top, 57 - 10);
    TCarrelonOptions o = Grid->GetOptions();
    o.Include(cloStretchImages);
    Grid->SetOptions(o);
    PaintGrid();
    const auto stretched = Records(TCanvasOp::StretchDraw);
    ASSERT_EQ(stretched.size(), 1u);
    EXPECT_EQ(stretched[0].Rect, (TRect{64, 18, 127, 57}));
}

TEST_F(GridPaintTest, SpreadsheetHeadingsShowLettersAndNumbers) {
    Grid->SetColCount(6);
    Grid->GetAbsoluteCols(2)->Hide();  // hidden columns still count in the letters
    Grid->SetSpreadsheetHeaders(true);
    Grid->GetCells(3, 0)->SetText("Own");
    PaintGrid();
    struct Case {
        const char* Text;
        unsigned Flags;
        TRect Rect;
    } cases[] = {
        {"A", kColumnHeading, {64, 0, 127, 17}},   // column heading: centred in the middle
        {"C", kColumnHeading, {128, 0, 191, 17}},  // after the hidden B
        {"1", kRowHeading, {0, 18, 63, 35}},       // row heading: centred at the bottom
        {"4", kRowHeading, {0, 72, 63, 89}},
        {"Own", kColumnHeading, {194, 2, 253, 15}},  // a heading's own text, inside the text border
    };
    for (const Case& c : cases) {
        const auto text = Texts(c.Text);
        ASSERT_EQ(text.size(), 1u) << c.Text;
        EXPECT_EQ(text[0].Flags, c.Flags) << c.Text;
        EXPECT_EQ(text[0].Rect, c.Rect) << c.Text;
    }
    EXPECT_TRUE(Texts("D").empty());
}

TEST_F(GridPaintTest, OversizedTextBorderPaintsWithoutTrouble) {
    Grid->GetCells(1, 1)->SetText("text");
    Grid->SetBorderForText(255);
    Grid->SetRowHeights(1, 18);
    PaintGrid();
    EXPECT_FALSE(Records(TCanvasOp::FillRect).empty());
}

TEST_F(GridPaintTest, HeadingAndFixedCellEdges) {
    // The current cell is (1, 1): its column and row headings are the highlighted ones.
    constexpr unsigned Raised = (EDGE_RAISED << 16) | BF_RECT;
    constexpr unsigned Inner = BDR_RAISEDINNER << 16;
    struct Case {
        const char* Name;
        bool Headers, ExcelStyle, Designing;
        TRect Rect;
        unsigned Flags;
    };
    const Case Cases[] = {
        {"fixed cell, far sides",
         false,
         false,
         false,
         {64, 0, 127, 17},
         Inner | BF_RIGHT | BF_BOTTOM},
        {"fixed cell, near sides", false, false, false, {64, 0, 127, 17}, Inner | BF_LEFT | BF_TOP},
        {"highlighted fixed heading", true, false, false, {63, -1, 127, 17}, Raised},
        {"heading style, highlighted", true, true, false, {64, 0, 128, 18}, Raised},
        {"heading style, column", true, true, false, {128, 0, 192, 18}, Inner | BF_LEFT},
        {"heading style, row", true, true, false, {0, 36, 64, 54}, Inner | BF_TOP},
        {"heading style, corner", true, true, false, {0, 0, 64, 18}, Inner | BF_LEFT | BF_TOP},
        {"designer, highlighted heading", true, true, true, {63, -1, 128, 18}, Raised},
        {"designer, column heading", true, true, true, {128, 0, 192, 18}, Inner | BF_LEFT},
    };
    for (const Case& c : Cases) {
        Grid->SetSpreadsheetHeaders(c.Headers);
        TCarrelonSpreadsheetOptions O{soExcelStyleHeadingHighlight};
        if (c.ExcelStyle) O.Include(soExcelStyleHeadings);
        Grid->SetSpreadsheetOptions(O);
        Grid->SetDesigning(c.Designing);
        PaintGrid();
        Grid->SetDesigning(false);
        const auto Edges = Records(TCanvasOp::DrawEdge);
        const bool Found = std::any_of(Edges.begin(), Edges.end(), [&](const TCanvasRecord& r) {
            return r.Rect == c.Rect && r.Flags == c.Flags;
        });
        EXPECT_TRUE(Found) << c.Name;
    }
}

TEST_F(GridPaintTest, DesignerShowsLinesHeadingsAndIndicatorFromProperties) {
    Grid->SetSpreadsheetHeaders(true);
    Grid->SetSortIndicator(true);
    Grid->SetSortColumn(2);
    Grid->SetDesigning(true);
    PaintGrid();
    EXPECT_EQ(FillsOf({64, 35, 128, 36}).size(), 1u);
    EXPECT_EQ(FillsOf({0, 35, 64, 36}).size(), 1u);
    const auto a = Texts("A");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].Flags, kColumnHeading);
    EXPECT_EQ(a[0].Rect, (TRect{64, 0, 127, 17}));
    EXPECT_EQ(Texts("4").size(), 1u);
    EXPECT_EQ(Records(TCanvasOp::Line).size(), 3u);  // the sort triangle
    Grid->SetDesigning(false);
}

// Rows of any height the grid takes, a merge over several of them scrolled half out, and every
// kind of content in them: rectangles keep their order (top above bottom), the whole cell's
// content is placed from its true top while that is on screen, and the focus frame costs its
// visible part only.
TEST_F(GridPaintTest, RowsOfAnyHeightPaintTheirCells) {
    constexpr int kHuge = 1 << 30;
    Grid->SetRowCount(9);
    for (int r = 1; r <= 5; ++r)
        Grid->SetRowHeights(r, kHuge);
    Grid->SetRowHeights(6, INT_MAX);
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 2, 2, 4);
    M->SetText("merged");
    M->SetTextLayout(tlCenter);
    M->GetOuterBorder()->SetWidth(2);
    TCarrelonCell* Wrapped = Grid->GetCells(3, 3);
    Wrapped->SetWordWrap(true);
    Wrapped->SetText("a\r\nb");
    Wrapped->SetTextLayout(tlBottom);
    Grid->GetCells(3, 4)->SetCheckBox(true);
    Grid->GetCells(4, 4)->SetButton(true);
    TBitmap Pic;
    Pic.SetSize(20, 10);
    Grid->GetCells(3, 2)->SetGraphic(&Pic);
    Grid->GetCells(4, 2)->GetInnerBorder()->SetWidth(3);
    Grid->GetCells(4, 3)->SetText("top");
    Grid->GetCells(4, 3)->SetTextLayout(tlTop);
    Grid->SetOptions(Grid->GetOptions() + cloStretchImages);
    for (int Top : {1, 2, 3, 4, 6, 7}) {
        SCOPED_TRACE(Top);
        Grid->SetTopRow(Top);
        Grid->SetCol(3);
        Grid->SetRow(Top);
        PaintGrid();
        for (const TCanvasRecord& r : Rec.Records) {
            const bool Placed = r.Op == TCanvasOp::FillRect || r.Op == TCanvasOp::DrawText ||
                                r.Op == TCanvasOp::FrameRect || r.Op == TCanvasOp::DrawFocusRect;
            EXPECT_TRUE(!Placed || r.Rect.Top <= r.Rect.Bottom) << static_cast<int>(r.Op);
        }
        const TRect R = Access::Internals(Grid).CalcCellRect(M);
        EXPECT_LE(R.Top, R.Bottom);
        EXPECT_EQ(R.Top < R.Bottom, Top >= 2 && Top <= 4);
        // A tall row on screen shows its text from its own top.
        const auto top = Texts("top");
        ASSERT_EQ(top.size(), Top == 3 ? 1u : 0u);
        if (Top == 3) {
            EXPECT_EQ(top[0].Rect.Top, 18 + 2);
        }
        const auto focus = Records(TCanvasOp::DrawFocusRect);
        ASSERT_EQ(focus.size(), 1u);
        EXPECT_EQ(focus[0].Rect.Top, 18);
        EXPECT_EQ(focus[0].Rect.Bottom > Grid->GetClientHeight(), Top < 7);
    }
    // The editor over a cell taller than the view is cut at the view's bottom.
    Grid->SetTopRow(1);
    Grid->SetCol(3);
    Grid->SetRow(3);
    const TRect E = Access::Internals(Grid).EditorRect();
    EXPECT_LE(E.Bottom, Grid->GetClientHeight());
    EXPECT_LT(E.Top, E.Bottom);
}

}  // namespace
}  // namespace carrelon::test
