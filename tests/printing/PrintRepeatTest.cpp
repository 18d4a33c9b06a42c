// Repeated fixed rows and columns: above every band and beside every page-column after the
// first, never past the range or the first band, and never hanging or overlapping.
#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

using PrintRepeat = PrintFixture;

TEST_F(PrintRepeat, FixedRowHeadsEveryBand) {
    // 41 rows of 24 fit the 1000-pixel page: 100 rows make three bands.
    Shape(2, 100, 64, 24);
    NameCells();
    Grid->SetFixedRows(1);
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poRepeatFixedRows);
    EXPECT_EQ(Grid->Print(), 3);
    for (int P = 0; P < 3; ++P)
        EXPECT_EQ(CellRectOn(P, "1,0"), Rect(65, 1, 129, 25)) << "page " << P + 1;
    // The band's own rows follow the fixed row: 40 of them fit below it.
    EXPECT_EQ(CellRectOn(1, "0,41"), Rect(1, 25, 65, 49));
    EXPECT_TRUE(CellRectOn(1, "0,40").IsEmpty());
    EXPECT_EQ(CellRectOn(2, "0,81"), Rect(1, 25, 65, 49));

    // Without the option the fixed row prints once.
    Grid->SetPrintOptions(Grid->GetPrintOptions() - poRepeatFixedRows);
    EXPECT_EQ(Grid->Print(), 3);
    EXPECT_TRUE(CellRectOn(1, "1,0").IsEmpty());
}

TEST_F(PrintRepeat, FixedColumnsBesideEveryPageColumn) {
    // Two fixed columns of 100, then 100-pixel columns: page-columns break at 7 and 12.
    Shape(14, 2, 100, 24);
    NameCells();
    Grid->SetFixedCols(2);
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poRepeatFixedCols);
    EXPECT_EQ(Grid->Print(), 3);
    EXPECT_EQ(CellRectOn(1, "0,1"), Rect(1, 25, 101, 49));
    EXPECT_EQ(CellRectOn(1, "1,1"), Rect(101, 25, 201, 49));
    EXPECT_EQ(CellRectOn(1, "7,1"), Rect(201, 25, 301, 49));
    EXPECT_EQ(CellRectOn(2, "12,0"), Rect(201, 1, 301, 25));
    EXPECT_EQ(CellRectOn(2, "0,0"), Rect(1, 1, 101, 25));

    // A range that starts after the fixed columns repeats nothing.
    EXPECT_EQ(Grid->PrintRange(3, 0, 13, 1), 2);
    EXPECT_TRUE(CellRectOn(1, "0,0").IsEmpty());
    EXPECT_EQ(CellRectOn(1, "10,0"), Rect(1, 1, 101, 25));
}

TEST_F(PrintRepeat, PageColumnStartingAtTheFixedBoundaryDoesNotOverlap) {
    // The fixed columns fill the first page-column exactly; the repeated width is theirs, not
    // the 0 that the page-column's own first offset holds.
    Shape(5, 1, 300, 24);
    NameCells();
    Grid->SetFixedCols(2);
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poRepeatFixedCols);
    EXPECT_EQ(Grid->Print(), 4);
    EXPECT_EQ(CellRectOn(1, "0,0"), Rect(1, 1, 301, 25));
    EXPECT_EQ(CellRectOn(1, "2,0"), Rect(601, 1, 901, 25));
}

TEST_F(PrintRepeat, FixedPartsTooLargeOrOutsideTheRangeAreNotRepeated) {
    const struct {
        const char* Name;
        int FixedCols, ColWidth, FixedRows, RowHeight, Pages;
    } Cases[] = {
        // A page-column break inside the fixed columns: no repeat, no endless return to them.
        {"wide fixed columns", 3, 500, 0, 24, 10},
        // Fixed rows spilling past the first band.
        {"tall fixed rows", 0, 64, 50, 24, 2},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Shape(5, 60, C.ColWidth, C.RowHeight);
        NameCells();
        Grid->SetFixedCols(C.FixedCols);
        Grid->SetFixedRows(C.FixedRows);
        Grid->SetPrintOptions(Grid->GetPrintOptions() + poRepeatFixedCols + poRepeatFixedRows);
        EXPECT_EQ(Grid->Print(), C.Pages);
        EXPECT_TRUE(CellRectOn(PageCount() - 1, "0,0").IsEmpty());
    }
    // Fixed columns beyond the printed range.
    Shape(6, 2, 300, 24);
    NameCells();
    Grid->SetFixedCols(4);
    EXPECT_EQ(Grid->PrintRange(0, 0, 2, 1), 2);
    EXPECT_EQ(CellRectOn(1, "2,0"), Rect(1, 1, 301, 25));
}

TEST_F(PrintRepeat, MergedFixedCellIsCutAtTheRepeatedPart) {
    Shape(10, 2, 100, 24);
    NameCells();
    Grid->SetFixedCols(1);
    MakeMergedCell(Grid, 0, 0, 9, 0)->SetText("title");
    Grid->SetPrintOptions(Grid->GetPrintOptions() + poRepeatFixedCols);
    EXPECT_EQ(Grid->Print(), 2);
    // On the second page the repeated part is the fixed column's width, and the rest of the
    // cell from the page-column's edge.
    const std::vector<TCanvasRecord> Titles = TextsOn(1, "title");
    ASSERT_EQ(Titles.size(), 2u);
    EXPECT_EQ(CellRectOn(1, "0,1"), Rect(1, 25, 101, 49));
    int Widths[2] = {0, 0};
    int i = 0;
    for (const TCanvasRecord& R : Page(1).OfKind(TCanvasOp::TextRect))
        if (R.Rect.Top == 1 && i < 2) Widths[i++] = R.Rect.Width();
    EXPECT_EQ(Widths[0], 100);
    EXPECT_EQ(Widths[1], 300);
}

}  // namespace
}  // namespace carrelon::test
