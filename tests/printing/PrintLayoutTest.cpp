// Page layout: scales, page-columns and bands, fitting in whole steps, rounding, and the cell
// rectangles the pages record.
#include <cmath>
#include <limits>

#include "printing/PrintRun.h"
#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

using PrintLayout = PrintFixture;

TEST(PrintRounding, ExactHalvesGoUpAndExtremesClamp) {
    const struct {
        long double X;
        int Want;
    } Cases[] = {
        {2.5L, 3},
        {-2.5L, -2},
        {0.5L, 1},
        {-0.5L, 0},
        {2.4999999L, 2},
        {101 * 0.5L, 51},
        {1e30L, std::numeric_limits<int>::max()},
        {-1e30L, std::numeric_limits<int>::min()},
        {std::nanl(""), 0},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(RoundHalfUp(C.X), C.Want) << static_cast<double>(C.X);
}

TEST_F(PrintLayout, GridThatFitsPrintsOnePageWithLineRoomAtTheTopLeft) {
    Shape(3, 3, 64, 24);
    NameCells();
    EXPECT_EQ(Grid->Print(), 1);
    ASSERT_EQ(PageCount(), 1);
    EXPECT_EQ(CellRectOn(0, "0,0"), Rect(1, 1, 65, 25));
    EXPECT_EQ(CellRectOn(0, "2,2"), Rect(129, 49, 193, 73));
    // The table's top and left frame lines reach the cell's corner.
    bool Top = false, Left = false;
    for (const TCanvasRecord& R : Page(0).OfKind(TCanvasOp::FillRect)) {
        Top |= R.Rect == Rect(1, 0, 65, 1);
        Left |= R.Rect == Rect(0, 1, 1, 25);
    }
    EXPECT_TRUE(Top);
    EXPECT_TRUE(Left);
    EXPECT_FALSE(Printer()->GetPrinting());
}

TEST_F(PrintLayout, PageColumnsAndBandsCountEveryPage) {
    // 10 columns of 100 on 800 pixels (7 fit beside the line), 50 rows of 24 on 1000 (41 fit).
    Shape(10, 50, 100, 24);
    NameCells();
    EXPECT_EQ(Grid->Print(), 4);
    ASSERT_EQ(PageCount(), 4);
    // Column-major within a band: page-column 1 of band 1, page-column 2 of band 1, ...
    EXPECT_EQ(CellRectOn(0, "6,40"), Rect(601, 961, 701, 985));
    EXPECT_TRUE(CellRectOn(0, "7,0").IsEmpty());
    EXPECT_EQ(CellRectOn(1, "7,0"), Rect(1, 1, 101, 25));
    EXPECT_EQ(CellRectOn(2, "0,41"), Rect(1, 1, 101, 25));
    EXPECT_EQ(CellRectOn(3, "9,49"), Rect(201, 193, 301, 217));
}

TEST_F(PrintLayout, FitToWidthLowersTheScaleInWholeStepsKeepingTheAspect) {
    // 600 dpi on a 96 dpi screen: 6.25. 1000 pixels of columns fit 4961 at 4, not at 6 or 5.
    UseStandIn(StandInPage(600, 4961, 7016));
    Shape(10, 3, 100, 24);
    NameCells();
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poFitPageWidth);
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_EQ(CellRectOn(0, "1,1"), Rect(404, 100, 804, 196));
    // Fonts shrink with the scale: 8 points at 4 / 6.25 make 5, 42 pixels at 600 dpi.
    EXPECT_EQ(TextsOn(0, "1,1").at(0).FontHeight, -42);

    // Without fitting the base scale breaks the columns into page-columns.
    Grid->SetPrintOptions(Grid->GetPrintOptions() - poFitPageWidth);
    EXPECT_EQ(Grid->Print(), 2);
    EXPECT_EQ(CellRectOn(0, "1,1"), Rect(631, 156, 1256, 306));
}

TEST_F(PrintLayout, FitToHeightStopsAtScaleOneAndThenBreaksIntoBands) {
    UseStandIn(StandInPage(600, 4961, 7016));
    Shape(2, 100, 64, 24);
    NameCells();
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poFitPageHeight);
    // 2400 pixels of rows fit 7016 at 2 (not at 3); the width follows.
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_EQ(CellRectOn(0, "1,1"), Rect(130, 50, 258, 98));
    Shape(2, 600, 64, 24);
    NameCells();
    EXPECT_EQ(Grid->Print(), 3);
    EXPECT_EQ(CellRectOn(1, "0,292"), Rect(1, 1, 65, 25));
}

TEST_F(PrintLayout, CoarsePrinterScalesDownAndNeverFits) {
    // 48 dpi: every size halves, exact halves round up, fitting leaves the scale alone.
    UseStandIn(StandInPage(48, 300, 400));
    Shape(10, 2, 101, 24);
    NameCells();
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poFitPageWidth + poFitPageHeight);
    EXPECT_EQ(Grid->Print(), 2);
    EXPECT_EQ(CellRectOn(0, "0,0"), Rect(1, 1, 51, 13));
    EXPECT_EQ(CellRectOn(0, "1,1"), Rect(51, 13, 102, 25));
    EXPECT_EQ(CellRectOn(1, "5,0"), Rect(1, 1, 51, 13));
}

TEST_F(PrintLayout, OversizedRowsAndColumnsTakeAPageEachWithoutHanging) {
    // Rows taller and columns wider than the page, a header taller than the page, and a
    // printable width of zero: one row or column per page, never a hang.
    Shape(3, 3, 900, 1200);
    NameCells();
    EXPECT_EQ(Grid->Print(), 9);
    EXPECT_EQ(CellRectOn(4, "1,1"), Rect(1, 1, 901, 1201));

    Shape(3, 3, 64, 24);
    NameCells();
    for (int i = 0; i < 80; ++i)
        Grid->GetPrintHeader()->GetLines()->Add("header line");
    EXPECT_EQ(Grid->Print(), 3);
    Grid->GetPrintHeader()->GetLines()->Clear();
    Grid->GetPrintMargins()->SetLeft(0.5);
    Grid->GetPrintMargins()->SetRight(0.4999);
    EXPECT_EQ(Grid->Print(), 3);
}

TEST_F(PrintLayout, ZeroSizesAreNoPageStarts) {
    Shape(4, 4, 64, 24);
    NameCells();
    Grid->SetColWidths(0, 0);
    Grid->SetColWidths(2, 0);
    Grid->SetRowHeights(0, 0);
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_EQ(CellRectOn(0, "1,1"), Rect(1, 1, 65, 25));
    // Merged cells whose second row or column follows an empty one are drawn once.
    MakeMergedCell(Grid, 1, 0, 1, 2)->SetText("M");
    MakeMergedCell(Grid, 0, 3, 1, 3)->SetText("N");
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_EQ(TextsOn(0, "M").size(), 1u);
    EXPECT_EQ(TextsOn(0, "N").size(), 1u);
}

}  // namespace
}  // namespace carrelon::test
