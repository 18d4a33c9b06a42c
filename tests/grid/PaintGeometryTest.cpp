// Column and row positions, cell rectangles and the height a cell's content needs.
#include "platform/graphics/Pictures.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"
#include "tests/support/PaintTestSupport.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

TEST_F(GridPaintTest, PositionsFollowScrollingAndSizes) {
    Grid->SetColCount(10);
    Grid->SetRowCount(10);
    Grid->GetCols(2)->SetWidth(100);
    Grid->SetRowHeights(3, 30);
    EXPECT_EQ(Access::Internals(Grid).GetX(0), 0);
    EXPECT_EQ(Access::Internals(Grid).GetX(1), 64);
    EXPECT_EQ(Access::Internals(Grid).GetX(3), 64 + 64 + 100);
    EXPECT_EQ(Access::Internals(Grid).GetY(4), 18 * 3 + 30);
    Grid->SetLeftCol(3);
    Grid->SetTopRow(4);
    // Slots scrolled out lie left of and above the fixed boundary.
    EXPECT_EQ(Access::Internals(Grid).GetX(3), 64);
    EXPECT_EQ(Access::Internals(Grid).GetX(2), 64 - 100);
    EXPECT_EQ(Access::Internals(Grid).GetX(1), 64 - 164);
    EXPECT_EQ(Access::Internals(Grid).GetX(0), 0);
    EXPECT_EQ(Access::Internals(Grid).GetY(4), 18);
    EXPECT_EQ(Access::Internals(Grid).GetY(3), 18 - 30);
    EXPECT_EQ(Access::Internals(Grid).GetY(6), 18 + 36);
}

TEST_F(GridPaintTest, PositionsOnAMillionRowsDoNotDependOnTheDistance) {
    TCarrelonOptions o = Grid->GetOptions();
    o.Exclude(cloAutoIncreaseRowHeights);
    o.Exclude(cloAutoDecreaseRowHeights);
    Grid->SetOptions(o);
    Grid->SetRowCount(1'000'000);
    Grid->SetRowHeights(10, 40);
    Grid->SetTopRow(999'990);
    EXPECT_EQ(Access::Internals(Grid).GetY(999'995), 18 + 5 * 18);
    EXPECT_EQ(Access::Internals(Grid).GetY(11), 18 - (999'990 - 11) * 18);
    PaintGrid();
    EXPECT_FALSE(Records(TCanvasOp::FillRect).empty());
}

TEST_F(GridPaintTest, CellRectangleLeavesOutTheLineStrips) {
    const TCarrelonCell* Cell = Grid->GetCells(2, 2);
    EXPECT_EQ(Access::Internals(Grid).CalcCellRect(Cell), (TRect{128, 36, 191, 53}));
    Grid->GetCols(2)->SetGridLineWidth(3);
    EXPECT_EQ(Access::Internals(Grid).CalcCellRect(Cell), (TRect{128, 36, 189, 53}));
    TCarrelonOptions o = Grid->GetOptions();
    o.Exclude(cloHorzLine);
    Grid->SetOptions(o);
    EXPECT_EQ(Access::Internals(Grid).CalcCellRect(Cell), (TRect{128, 36, 189, 54}));
}

class CalcHeightTest : public GridPaintTest {
protected:
    TCarrelonCell* Cell() { return Grid->GetCells(1, 1); }
};

TEST_F(CalcHeightTest, TextLinesBordersAndLine) {
    // Text height 13, BorderForText 2 on each side, a one-pixel line.
    struct Case {
        const char* Text;
        int Height;
    } cases[] = {
        {"", 18},        // no text: the default row height
        {"a", 18},       // one line: 13 + 4 + 1
        {"a\r\nb", 31},  // two lines
        {"a\r\nb\r\nc", 44},
    };
    for (const Case& c : cases) {
        Cell()->SetText(c.Text);
        EXPECT_EQ(Access::CalcHeight(Cell(), -1), c.Height) << '"' << c.Text << '"';
    }
}

TEST_F(CalcHeightTest, WrappingFollowsTheColumnsWidth) {
    Cell()->SetText("one two three four five six seven eight");
    const int wrapped = Access::CalcHeight(Cell(), -1);
    EXPECT_GT(wrapped, 31);
    Cell()->SetWordWrap(false);
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), 18);
    Cell()->SetWordWrap(true);
    Grid->GetCols(1)->SetWidth(600);
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), 18);
}

TEST_F(CalcHeightTest, PictureStacksOrOverlapsWithText) {
    TBitmap Pic;
    Pic.SetSize(10, 40);
    Cell()->SetText("a");
    Cell()->SetGraphic(&Pic);
    // Text at the top, picture at the top too: the larger of the two.
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), 40 + 1);
    Cell()->SetGraphicLayout(tlBottom);
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), 17 + 40 + 1);
    TCarrelonOptions o = Grid->GetOptions();
    o.Include(cloStretchImages);
    Grid->SetOptions(o);
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), 18);
}

TEST_F(CalcHeightTest, CellWithoutWidthOrWithHugeBorderStaysSound) {
    Cell()->SetText("some text");
    Grid->GetCols(1)->SetWidth(0);
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), Grid->GetDefaultRowHeight());
    Grid->GetCols(1)->SetWidth(64);
    Grid->SetBorderForText(200);  // wider than the cell: the text gets no width, never less
    EXPECT_GE(Access::CalcHeight(Cell(), -1), Grid->GetDefaultRowHeight());
}

TEST_F(CalcHeightTest, HiddenColumnsGiveTheDefaultHeight) {
    TCarrelonCell* M = MakeMergedCell(Grid, 2, 1, 3, 1);
    M->SetText("a\r\nb\r\nc");
    Grid->GetAbsoluteCols(2)->Hide();
    Grid->GetAbsoluteCols(3)->Hide();
    EXPECT_EQ(M->GetStartCol(), -1);
    EXPECT_EQ(Access::CalcHeight(M, -1), Grid->GetDefaultRowHeight());
    EXPECT_TRUE(Access::Internals(Grid).CalcCellRect(M).IsEmpty());
}

TEST_F(CalcHeightTest, OpenEditorDecidesTheHeight) {
    Grid->SetCol(1);
    Grid->SetRow(1);
    Cell()->SetText("a");
    Access::Internals(Grid).FEditorShowing = true;
    EXPECT_EQ(Access::CalcHeight(Cell(), 50), 51);
    // The rich editor's own text is measured (no application control is open).
    EXPECT_EQ(Access::CalcHeight(Cell(), -1), 18);
    Access::Internals(Grid).FEditorShowing = false;
}

}  // namespace
}  // namespace carrelon::test
