// Merging and splitting cells, and sorting rows: joined texts and value types, growth over cut
// merges, refusals, rows fitted to merged and split cells, merges kept or torn by a sort (all or
// none when a cell cannot be made), stability, compare rules and events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "grid/MergeSort.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/CheckedEdits.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class MergeAndSort : public CheckedEdits {
protected:
    void SetUp() override {
        CheckedEdits::SetUp();
        Grid->SetColCount(5);
        Grid->SetRowCount(8);
    }
    TCarrelonCell* C(int Col, int Row) { return Grid->GetCells(Col, Row); }
    AnsiString Column(int k) {
        AnsiString S;
        for (int r = Grid->GetFixedRows(); r < Grid->GetRowCount(); ++r) {
            if (r > Grid->GetFixedRows()) S += ",";
            S += C(k, r)->GetText();
        }
        return S;
    }
    void Fill(int k, const std::vector<const char*>& Texts) {
        for (std::size_t i = 0; i < Texts.size(); ++i)
            C(k, Grid->GetFixedRows() + static_cast<int>(i))->SetText(Texts[i]);
    }
};

TEST_F(MergeAndSort, MergeHorizJoinsNonEmptyTextsAndKeepsASingleValuesType) {
    C(2, 3)->SetText("one");
    C(4, 3)->SetText("three");
    TCarrelonCell* A = C(2, 3);
    ASSERT_TRUE(MergeHoriz(2, 4, 3, ", "));
    EXPECT_EQ(C(4, 3), A);
    EXPECT_EQ(A->GetText(), "one, three");
    EXPECT_EQ(A->GetEndCol(), 4);

    C(1, 5)->SetValue(Variant(42.5));
    ASSERT_TRUE(MergeHoriz(1, 3, 5, "-"));
    EXPECT_TRUE(C(1, 5)->GetValue().IsNumeric());
    EXPECT_EQ(C(1, 5)->GetText(), "42.5");
}

TEST_F(MergeAndSort, MergeRefusals) {
    const long long Cells = Access::LiveCells();
    EXPECT_FALSE(MergeHoriz(0, 2, 3, ""));  // across the fixed column
    EXPECT_FALSE(MergeHoriz(1, 2, 8, ""));  // no such row
    EXPECT_FALSE(MergeHoriz(2, 2, 3, ""));
    EXPECT_FALSE(MergeVert(1, 0, 2, ""));  // across the fixed row
    EXPECT_FALSE(MergeRect(TRect{2, 2, 2, 2}, true, "", ""));
    MakeMergedCell(Grid, 1, 2, 1, 3);
    EXPECT_FALSE(MergeHoriz(1, 2, 2, ""));  // heights differ
    MakeMergedCell(Grid, 3, 5, 4, 5);
    EXPECT_FALSE(MergeVert(3, 4, 5, ""));                      // widths differ
    EXPECT_FALSE(MergeRect(TRect{3, 5, 4, 5}, true, "", ""));  // already one cell
    EXPECT_EQ(Access::LiveCells(), Cells - 2);
}

TEST_F(MergeAndSort, MergeVertReadsEachCellOnceAndFreesItAfterOverwriting) {
    C(2, 1)->SetText("a");
    MakeMergedCell(Grid, 2, 2, 2, 3)->SetText("b");
    C(2, 5)->SetText("c");
    ASSERT_TRUE(MergeVert(2, 1, 5, "|"));
    EXPECT_EQ(C(2, 1)->GetText(), "a|b|c");
    EXPECT_EQ(C(2, 5), C(2, 1));
}

TEST_F(MergeAndSort, MergeRectJoinsRowOrColumnMajor) {
    const struct {
        bool RowMajor;
        const char* Text;
    } Cases[] = {{true, "one\ttwo\r\nthree\tfour"}, {false, "one\r\nthree\ttwo\r\nfour"}};
    for (const auto& Case : Cases) {
        C(1, 1)->SetText("one");
        C(2, 1)->SetText("two");
        C(1, 2)->SetText("three");
        C(2, 2)->SetText("four");
        ASSERT_TRUE(MergeRect(TRect{1, 1, 2, 2}, Case.RowMajor, "\t", "\r\n"));
        EXPECT_EQ(C(2, 2)->GetText(), Case.Text) << "row major " << Case.RowMajor;
        ASSERT_TRUE(Split(C(1, 1)));
        C(1, 1)->SetText("");
    }
}

TEST_F(MergeAndSort, MergeRectGrowsOverTheMergesItCuts) {
    MakeMergedCell(Grid, 3, 2, 4, 3);  // reaches right and down
    MakeMergedCell(Grid, 1, 4, 2, 4);  // reached after the first growth
    ASSERT_TRUE(MergeRect(TRect{2, 1, 3, 3}, true, "", ""));
    TCarrelonCell* M = C(2, 1);
    EXPECT_EQ(M->GetStartCol(), 2);
    EXPECT_EQ(M->GetEndCol(), 4);
    EXPECT_EQ(M->GetRow(), 1);
    EXPECT_EQ(M->GetEndRow(), 3);
    ASSERT_TRUE(MergeRect(TRect{2, 3, 3, 4}, true, "", ""));
    EXPECT_EQ(C(1, 1), C(4, 4));
}

TEST_F(MergeAndSort, MergesCoverHiddenColumns) {
    // A hidden vertical merge inside a horizontal merge's span is tested and grown over.
    ASSERT_TRUE(MergeVert(2, 1, 2, ""));
    ASSERT_TRUE(HideColumn(2));
    EXPECT_FALSE(MergeHoriz(1, 2, 2, ""));
    ASSERT_TRUE(MergeRect(TRect{1, 2, 2, 2}, true, "", ""));
    EXPECT_EQ(C(1, 1), C(2, 2));
    EXPECT_EQ(ShowHiddenColumn(0), 2);
    EXPECT_EQ(C(2, 1), C(1, 1));
}

TEST_F(MergeAndSort, SplitLeavesTheOldCellTopLeftAndEmptyCellsElsewhere) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 2, 3, 3);
    M->SetText("kept");
    EXPECT_FALSE(Split(C(4, 4)));
    ASSERT_TRUE(Split(M));
    EXPECT_EQ(C(1, 2), M);
    EXPECT_FALSE(M->IsMerged());
    EXPECT_EQ(M->GetText(), "kept");
    for (int k = 1; k <= 3; ++k)
        for (int r = 2; r <= 3; ++r)
            if (k != 1 || r != 2) {
                EXPECT_TRUE(C(k, r)->IsEmpty()) << k << "," << r;
            }
}

TEST_F(MergeAndSort, MergeAndSplitFitTheRowsToTheCells) {
    TCarrelonOptions O = Grid->GetOptions();
    O.Include(cloAutoIncreaseRowHeights);
    O.Include(cloAutoDecreaseRowHeights);
    Grid->SetOptions(O);
    for (int k = 1; k <= 3; ++k)
        Grid->GetCols(k)->SetWordWrap(true);
    C(1, 2)->SetText("one two three four five six");
    const int Narrow = Grid->GetRowHeights(2);
    ASSERT_GT(Narrow, Grid->GetDefaultRowHeight()) << "the text wraps in one column";
    ASSERT_TRUE(MergeHoriz(1, 3, 2, ""));
    const int Wide = Grid->GetRowHeights(2);
    EXPECT_LT(Wide, Narrow) << "fewer lines across three columns";
    ASSERT_TRUE(Split(C(1, 2)));
    EXPECT_EQ(Grid->GetRowHeights(2), Narrow);
}

TEST_F(MergeAndSort, MergeRecalculatesFormulas) {
    Grid->SetSpreadsheetEnabled(true);
    C(1, 1)->SetText("2");
    C(3, 3)->SetFormula("B2*2");
    C(1, 2)->SetText("5");
    ASSERT_TRUE(MergeVert(1, 1, 2, ""));
    EXPECT_EQ(C(1, 1)->GetText(), "25");
    EXPECT_EQ(C(3, 3)->GetText(), "50");
}

// ---- sort ---------------------------------------------------------------------------------

TEST_F(MergeAndSort, SortIsStableBothWaysAndKeepsFixedRowsOnTop) {
    C(1, 0)->SetText("head");
    Fill(1, {"b", "a", "b", "a", "c", "a", "b"});
    Fill(2, {"1", "2", "3", "4", "5", "6", "7"});
    Grid->SetSortColumn(1);
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(2), "2,4,6,1,3,7,5");
    Grid->SetSortDescending(true);
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(1), "c,b,b,b,a,a,a");
    EXPECT_EQ(Column(2), "5,1,3,7,2,4,6");
    EXPECT_EQ(C(1, 0)->GetText(), "head");
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(C(3, r)->GetRow(), r);
}

TEST_F(MergeAndSort, SortMovesMergesAsOnePieceOrTearsThem) {
    Fill(1, {"d", "c", "b", "b", "a", "e", "f"});  // rows 1..7
    MakeMergedCell(Grid, 1, 3, 1, 4);              // key merged over rows 3-4 ("b")
    TCarrelonCell* Same = MakeMergedCell(Grid, 2, 3, 2, 4);
    TCarrelonCell* Torn = MakeMergedCell(Grid, 3, 1, 3, 3);  // keys d, c, b
    TCarrelonCell* Wide = MakeMergedCell(Grid, 1, 7, 2, 7);  // holds the key column
    Torn->SetText("t");
    Grid->SetSortColumn(1);
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(1), "a,b,b,c,d,e,f");
    EXPECT_EQ(C(1, 2), C(1, 3));
    EXPECT_EQ(C(2, 2), Same);
    EXPECT_EQ(Same->GetEndRow(), 3);
    EXPECT_FALSE(Torn->IsMerged());
    EXPECT_EQ(Torn->GetRow(), 5);  // it kept the row of "d"
    EXPECT_EQ(C(3, 4)->GetText(), "");
    EXPECT_EQ(Wide->GetRow(), 7);
    EXPECT_EQ(C(2, 7), Wide);
}

TEST_F(MergeAndSort, ASortThatCannotMakeItsCutsChangesNothing) {
    Fill(1, {"d", "c", "b", "a", "e", "f", "g"});              // rows 1-4 come out reversed
    TCarrelonCell* First = MakeMergedCell(Grid, 3, 1, 3, 2);   // keys d, c: torn
    TCarrelonCell* Second = MakeMergedCell(Grid, 4, 3, 4, 4);  // keys b, a: torn
    First->SetText("first");
    Second->SetText("second");
    Grid->SetSortColumn(1);
    std::vector<std::string> Events;
    Grid->OnStartSort = [&](TObject*) { Events.push_back("start"); };
    Grid->OnEndSort = [&](TObject*) { Events.push_back("end"); };
    const long long Cells = Access::LiveCells();
    // One new cell for each cut: failing at the first or at the second cuts neither.
    for (int FailAfter = 0; FailAfter < 2; ++FailAfter) {
        Messages.clear();
        Events.clear();
        bool Sorted;
        {
            TCellAllocationFailure Failure(FailAfter);
            Sorted = Sort();
        }
        const std::string Where = "failing after " + std::to_string(FailAfter);
        EXPECT_FALSE(Sorted) << Where;
        EXPECT_EQ(Messages, std::vector<AnsiString>{"Out of memory"}) << Where;
        EXPECT_EQ(Events, (std::vector<std::string>{"start", "end"})) << Where;
        EXPECT_EQ(Column(1), "d,c,b,a,e,f,g") << Where;
        EXPECT_EQ(First->GetEndRow(), 2) << Where;
        EXPECT_EQ(Second->GetEndRow(), 4) << Where;
        EXPECT_EQ(Access::LiveCells(), Cells) << Where;
    }
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(1), "a,b,c,d,e,f,g");
    EXPECT_FALSE(First->IsMerged());
    EXPECT_FALSE(Second->IsMerged());
    EXPECT_EQ(Access::LiveCells(), Cells + 2);
}

TEST_F(MergeAndSort, SortCarriesRowHeightsAndTheCurrentCell) {
    Grid->SetRowCount(4);
    Fill(1, {"c", "a", "b"});
    Grid->SetRowHeights(1, 40);
    ASSERT_TRUE(Grid->FocusCell(2, 1));
    Grid->SetSortColumn(1);
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Grid->GetRowHeights(3), 40);
    EXPECT_EQ(Grid->GetRowHeights(1), Grid->GetDefaultRowHeight());
    EXPECT_EQ(Grid->GetRow(), 3);
    EXPECT_EQ(Grid->GetCol(), 2);
}

TEST_F(MergeAndSort, ComparisonsAndEventsInOrder) {
    Grid->SetRowCount(4);
    Fill(1, {"10", "9", "100"});
    Grid->SetSortColumn(1);
    std::vector<std::string> Events;
    Grid->OnStartSort = [&](TObject*) { Events.push_back("start"); };
    Grid->OnEndSort = [&](TObject*) { Events.push_back("end"); };
    Grid->SetCompareProc([](const AnsiString& A, const AnsiString& B) {
        return static_cast<int>(A.size()) - static_cast<int>(B.size());
    });
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(1), "9,10,100");
    EXPECT_EQ(Events, (std::vector<std::string>{"start", "end"}));
    // The column's own comparison comes before the grid's.
    Grid->GetCols(1)->SetCompareProc(
        [](const AnsiString& A, const AnsiString& B) { return B.compare(A); });
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(1), "9,100,10");
    Grid->GetCols(1)->SetCompareProc(nullptr);
    Grid->SetCompareProc(nullptr);  // back to the default text comparison
    ASSERT_TRUE(Sort());
    EXPECT_EQ(Column(1), "10,100,9");
    // An event decides when assigned; an inconsistent one still ends with a sound model.
    int Calls = 0;
    Grid->OnCompareCells = [&](TCarrelon*, TCarrelonCell*, TCarrelonCell*, int& R) {
        R = (++Calls % 3) - 1;
    };
    ASSERT_TRUE(Sort());
    EXPECT_GT(Calls, 0);
    // A sort started from a comparison is refused.
    bool Nested = true;
    Grid->OnCompareCells = [&](TCarrelon* G, TCarrelonCell*, TCarrelonCell*, int&) {
        Nested = G->Sort();
    };
    ASSERT_TRUE(Sort());
    EXPECT_FALSE(Nested);
}

TEST_F(MergeAndSort, SortRefusesASortColumnOutOfRange) {
    Grid->SetSortColumn(4);
    ASSERT_TRUE(DeleteColumn(4));
    bool Started = false;
    Grid->OnStartSort = [&](TObject*) { Started = true; };
    EXPECT_FALSE(Sort());
    EXPECT_FALSE(Started);
    // A start handler that removes the sort column ends the sort it began, with its end event.
    Grid->SetSortColumn(3);
    std::vector<std::string> Events;
    Grid->OnStartSort = [&](TObject*) {
        Events.push_back("start");
        Grid->SetColCount(3);
    };
    Grid->OnEndSort = [&](TObject*) { Events.push_back("end"); };
    EXPECT_FALSE(Sort());
    EXPECT_EQ(Events, (std::vector<std::string>{"start", "end"}));
    Grid->OnStartSort = nullptr;
    Grid->OnEndSort = nullptr;
    Grid->SetRowCount(1);  // every row fixed, no current cell
    Grid->SetSortColumn(2);
    EXPECT_TRUE(Sort());
}

TEST_F(MergeAndSort, SortSetterRules) {
    Grid->SetSortColumn(9);
    EXPECT_EQ(Grid->GetSortColumn(), 0);
    Grid->SetSpreadsheetHeaders(true);
    EXPECT_EQ(Grid->GetSortColumn(), 1);
    Grid->SetSortColumn(0);
    EXPECT_EQ(Grid->GetSortColumn(), 1);
    Grid->SetSortOnClick(true);
    EXPECT_TRUE(Grid->GetSortOnDblClick());
    Grid->SetSortOnDblClick(false);
    EXPECT_TRUE(Grid->GetSortOnDblClick());
    Grid->SetSortOnClick(false);
    Grid->SetSortOnDblClick(false);
    EXPECT_FALSE(Grid->GetSortOnDblClick());
}

TEST(StableMergeSortTest, EndsAndKeepsEveryItemUnderAnyComparison) {
    std::vector<int> Items(1000);
    for (int i = 0; i < 1000; ++i)
        Items[i] = (i * 7919) % 1000;
    unsigned Seed = 1;
    StableMergeSort(Items, [&](int, int) {
        Seed = Seed * 1103515245 + 12345;
        return static_cast<int>((Seed >> 16) % 3) - 1;
    });
    std::vector<int> Sorted = Items;
    std::sort(Sorted.begin(), Sorted.end());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Sorted[i], i);
}

}  // namespace
}  // namespace carrelon::test
