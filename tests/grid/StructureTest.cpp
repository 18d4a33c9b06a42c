// Inserting, deleting, hiding, showing and moving rows and columns: refusals and events, merges
// under the edits, formulas that keep naming their cells, and the base grid kept in step.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class StructuralEdits : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(5);
        Grid->SetRowCount(8);
    }
    void TearDown() override {
        ExpectModelSound();
        GridFixture::TearDown();
    }
    TCarrelonCell* C(int Col, int Row) { return Grid->GetCells(Col, Row); }
    // Labels every cell with its column letter and row number: "B3".
    void Label() {
        for (int k = 0; k < Grid->GetColCount(); ++k)
            for (int r = 0; r < Grid->GetRowCount(); ++r) {
                AnsiString Name(1, char('A' + k));
                Name += std::to_string(r);
                C(k, r)->SetText(Name);
            }
    }
    AnsiString Column(int k) {
        AnsiString S;
        for (int r = 0; r < Grid->GetRowCount(); ++r) {
            if (r > 0) S += ",";
            S += C(k, r)->GetText();
        }
        return S;
    }
    AnsiString Row(int r) {
        AnsiString S;
        for (int k = 0; k < Grid->GetColCount(); ++k) {
            if (k > 0) S += ",";
            S += C(k, r)->GetText();
        }
        return S;
    }
};

TEST_F(StructuralEdits, RefusalsChangeNothing) {
    Label();
    const long long Cells = Access::LiveCells();
    EXPECT_FALSE(Grid->InsertRow(-1));
    EXPECT_FALSE(Grid->InsertRow(8));  // rows are appended through RowCount
    EXPECT_FALSE(Grid->InsertRowEx(1, 8, true));
    EXPECT_FALSE(Grid->DeleteRow(8));
    EXPECT_FALSE(Grid->InsertColumn(5));
    EXPECT_FALSE(Grid->DeleteColumn(-1));
    EXPECT_FALSE(Grid->HideColumn(5));
    EXPECT_EQ(Grid->ShowHiddenColumn(0), -1);
    EXPECT_FALSE(Grid->MoveRow(2, 2));
    EXPECT_FALSE(Grid->MoveRow(0, 3));     // across the fixed rows
    EXPECT_FALSE(Grid->MoveColumn(2, 0));  // across the fixed columns
    EXPECT_FALSE(Grid->MoveColumn(1, 5));
    EXPECT_EQ(Access::LiveCells(), Cells);
    EXPECT_EQ(Row(2), "A2,B2,C2,D2,E2");

    Grid->SetRowCount(1);
    Grid->SetColCount(2);  // one fixed column, one scrollable
    EXPECT_FALSE(Grid->DeleteRow(0));
    EXPECT_FALSE(Grid->HideColumn(1));
    Grid->SetFixedCols(0);
    Grid->SetColCount(1);
    EXPECT_FALSE(Grid->DeleteColumn(0));
}

TEST_F(StructuralEdits, RowsInsertDeleteAndMoveWithTheirCells) {
    Label();
    ASSERT_TRUE(Grid->InsertRow(2));
    EXPECT_EQ(Grid->GetRowCount(), 9);
    EXPECT_EQ(Column(1), "B0,B1,,B2,B3,B4,B5,B6,B7");
    EXPECT_EQ(C(1, 4)->GetRow(), 4);
    ExpectModelSound();
    ASSERT_TRUE(Grid->DeleteRow(2));
    EXPECT_EQ(Column(1), "B0,B1,B2,B3,B4,B5,B6,B7");
    ASSERT_TRUE(Grid->InsertRowEx(0, 3, true));
    EXPECT_EQ(Column(0), "A0,A1,A2,A3,,A4,A5,A6,A7");
    ASSERT_TRUE(Grid->DeleteRow(4));
    ExpectModelSound();

    std::vector<std::pair<int, int>> Moves;
    Grid->OnRowMoved = [&](TObject*, int From, int To) { Moves.emplace_back(From, To); };
    ASSERT_TRUE(Grid->MoveRow(2, 5));
    EXPECT_EQ(Column(2), "C0,C1,C3,C4,C5,C2,C6,C7");
    ASSERT_TRUE(Grid->MoveRow(6, 1));
    EXPECT_EQ(Column(2), "C0,C6,C1,C3,C4,C5,C2,C7");
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(C(3, r)->GetRow(), r);
    EXPECT_EQ(Moves, (std::vector<std::pair<int, int>>{{2, 5}, {6, 1}}));
}

TEST_F(StructuralEdits, ColumnsInsertDeleteAndMoveWithTheirCells) {
    Label();
    Grid->SetColWidths(2, 90);
    ASSERT_TRUE(Grid->InsertColumn(2));
    EXPECT_EQ(Row(1), "A1,B1,,C1,D1,E1");
    EXPECT_EQ(Grid->GetColWidths(3), 90);
    ASSERT_TRUE(Grid->DeleteColumn(2));
    EXPECT_EQ(Row(1), "A1,B1,C1,D1,E1");
    EXPECT_EQ(Grid->GetColWidths(2), 90);

    std::vector<std::pair<int, int>> Moves;
    Grid->OnColumnMoved = [&](TObject*, int From, int To) { Moves.emplace_back(From, To); };
    ASSERT_TRUE(Grid->MoveColumn(1, 3));
    EXPECT_EQ(Row(4), "A4,C4,D4,B4,E4");
    EXPECT_EQ(Grid->GetColWidths(1), 90);
    ASSERT_TRUE(Grid->MoveColumn(4, 2));
    EXPECT_EQ(Row(4), "A4,C4,E4,D4,B4");
    EXPECT_EQ(Moves, (std::vector<std::pair<int, int>>{{1, 3}, {4, 2}}));
}

TEST_F(StructuralEdits, FixedPartsFollowTheEdits) {
    Grid->SetFixedRows(2);
    ASSERT_TRUE(Grid->InsertRow(1));
    EXPECT_EQ(Grid->GetFixedRows(), 3);
    ASSERT_TRUE(Grid->DeleteRow(0));
    EXPECT_EQ(Grid->GetFixedRows(), 2);
    ASSERT_TRUE(Grid->InsertColumn(0));
    EXPECT_EQ(Grid->GetFixedCols(), 2);
    ASSERT_TRUE(Grid->DeleteColumn(1));
    EXPECT_EQ(Grid->GetFixedCols(), 1);

    // A fixed row deleted under a fixed merge lowers FixedRows by exactly one.
    Grid->SetFixedRows(3);
    MakeMergedCell(Grid, 2, 1, 2, 2);
    ASSERT_TRUE(Grid->DeleteRow(0));
    EXPECT_EQ(Grid->GetFixedRows(), 2);
    EXPECT_EQ(C(2, 0)->GetEndRow(), 1);
    ExpectModelSound();

    // Deleting the only scrollable column (the last) takes a fixed one along.
    Grid->SetColCount(3);
    Grid->SetFixedCols(2);
    ASSERT_TRUE(Grid->DeleteColumn(2));
    EXPECT_EQ(Grid->GetFixedCols(), 1);
}

TEST_F(StructuralEdits, CurrentCellStaysOnItsContent) {
    Label();
    ASSERT_TRUE(Grid->FocusCell(2, 4));
    ASSERT_TRUE(Grid->InsertRow(1));
    EXPECT_EQ(Grid->GetRow(), 5);
    ASSERT_TRUE(Grid->MoveRow(5, 2));
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(C(Grid->GetCol(), Grid->GetRow())->GetText(), "C4");
    ASSERT_TRUE(Grid->InsertColumn(1));
    EXPECT_EQ(Grid->GetCol(), 3);
    ASSERT_TRUE(Grid->DeleteColumn(3));  // the current column itself: the index stays
    EXPECT_EQ(Grid->GetCol(), 3);
}

TEST_F(StructuralEdits, RowEditsInsideVerticalMerges) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 2, 2, 4);  // columns 1-2, rows 2-4
    ASSERT_TRUE(Grid->InsertRow(3));
    EXPECT_EQ(M->GetRow(), 2);
    EXPECT_EQ(M->GetEndRow(), 5);
    EXPECT_EQ(C(2, 3), M);
    ExpectModelSound();
    ASSERT_TRUE(Grid->InsertRow(2));  // at its top: the merge moves down
    EXPECT_EQ(M->GetRow(), 3);
    ASSERT_TRUE(Grid->DeleteRow(4));
    ASSERT_TRUE(Grid->DeleteRow(4));
    EXPECT_EQ(M->GetEndRow(), 4);
    ExpectModelSound();
    // Moving a row out of a merge shrinks it and leaves an empty cell behind.
    C(1, 6)->SetText("x");
    ASSERT_TRUE(Grid->MoveRow(3, 7));
    EXPECT_EQ(M->GetRow(), 3);
    EXPECT_EQ(M->GetEndRow(), 3);
    EXPECT_EQ(C(1, 5)->GetText(), "x");
    EXPECT_TRUE(C(1, 7)->GetText().empty());
    ExpectModelSound();
    // A row moved into a vertical merge joins it: its own cell there is freed.
    TCarrelonCell* V = MakeMergedCell(Grid, 3, 4, 3, 6);
    C(3, 1)->SetText("gone");
    ASSERT_TRUE(Grid->MoveRow(1, 5));
    EXPECT_EQ(V->GetRow(), 3);
    EXPECT_EQ(V->GetEndRow(), 6);
    EXPECT_EQ(Row(5).find("gone"), std::string::npos);
}

TEST_F(StructuralEdits, InsertRowExJoinsTheNewRowToItsReference) {
    Grid->SetColCount(3);
    C(0, 5)->SetText("a");
    ASSERT_TRUE(Grid->InsertRowEx(2, 5, true));
    EXPECT_EQ(C(0, 6), C(0, 5));
    EXPECT_EQ(C(1, 6), C(1, 5));
    EXPECT_NE(C(2, 6), C(2, 5));
    EXPECT_EQ(C(0, 5)->GetText(), "a");
    ASSERT_TRUE(Grid->InsertRowEx(99, 2, false));  // more columns than the grid has
    EXPECT_EQ(C(2, 2), C(2, 3));
}

TEST_F(StructuralEdits, ColumnEditsInsideHorizontalMerges) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 3, 3, 3);
    M->SetText("m");
    ASSERT_TRUE(Grid->InsertColumn(2));
    EXPECT_EQ(C(2, 3), M);
    EXPECT_EQ(M->GetEndCol(), 4);
    ASSERT_TRUE(Grid->InsertColumn(1));  // at its start: it moves right
    EXPECT_EQ(M->GetStartCol(), 2);
    ASSERT_TRUE(Grid->DeleteColumn(2));  // its start column: the merge starts one further
    EXPECT_EQ(M->GetStartCol(), 2);
    EXPECT_EQ(M->GetEndCol(), 4);
    EXPECT_EQ(M->GetText(), "m");
    ExpectModelSound();

    // Moving a column out of the merge leaves the merge one narrower and the column empty.
    ASSERT_TRUE(Grid->MoveColumn(3, 5));
    EXPECT_EQ(M->GetStartCol(), 2);
    EXPECT_EQ(M->GetEndCol(), 3);
    EXPECT_TRUE(C(5, 3)->GetText().empty());
    ExpectModelSound();
    // Moving a column into it: the slot joins the merge and the moved cell is freed.
    C(1, 3)->SetText("in");
    ASSERT_TRUE(Grid->MoveColumn(1, 2));
    EXPECT_EQ(C(2, 3), M);
    EXPECT_EQ(M->GetText(), "m");
    ExpectModelSound();
}

TEST_F(StructuralEdits, MovedColumnCarriesAVerticalMergeOutOfAHorizontalOne) {
    Grid->SetColCount(6);
    TCarrelonCell* H = MakeMergedCell(Grid, 3, 2, 4, 2);  // row 2, columns 3-4
    TCarrelonCell* V = MakeMergedCell(Grid, 1, 1, 1, 3);  // column 1, rows 1-3
    V->SetText("v");
    ASSERT_TRUE(Grid->MoveColumn(1, 3));  // lands between 3 and 4, inside H in row 2
    ExpectModelSound();
    EXPECT_EQ(C(3, 2), H);
    EXPECT_EQ(V->GetRow(), 1);
    EXPECT_EQ(V->GetEndRow(), 1);
    EXPECT_NE(C(3, 3), V);
}

TEST_F(StructuralEdits, HiddenColumnsKeepCellsWidthAndPlace) {
    Label();
    Grid->SetColWidths(2, 77);
    ASSERT_TRUE(Grid->HideColumn(2));
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Row(1), "A1,B1,D1,E1");
    ASSERT_TRUE(Grid->InsertRow(1));  // hidden columns get the row too
    ASSERT_TRUE(Grid->MoveRow(4, 2));
    ExpectModelSound();
    EXPECT_EQ(Grid->ShowHiddenColumn(0), 2);
    EXPECT_EQ(Grid->GetColWidths(2), 77);
    EXPECT_EQ(Column(2), "C0,,C3,C1,C2,C4,C5,C6,C7");
    ASSERT_TRUE(Grid->HideColumn(0));  // the only fixed column
    EXPECT_EQ(Grid->GetFixedCols(), 0);
    EXPECT_EQ(Grid->ShowHiddenColumn(0), 0);
    EXPECT_EQ(Grid->GetFixedCols(), 1);
}

TEST_F(StructuralEdits, MergeOverAHiddenColumnSurvivesColumnEdits) {
    ASSERT_TRUE(Grid->HideColumn(2));
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 2, 3, 2);  // absolute 1-3, 2 hidden
    ASSERT_TRUE(Grid->DeleteColumn(1));                   // its visible start
    ExpectModelSound();
    EXPECT_EQ(M->GetStartCol(), 1);
    ASSERT_TRUE(Grid->InsertColumn(1));
    ASSERT_TRUE(Grid->ShowHiddenColumn(0) >= 0);
    ExpectModelSound();
}

// ---- formulas -----------------------------------------------------------------------------

class StructuralFormulas : public StructuralEdits {
protected:
    void SetUp() override {
        StructuralEdits::SetUp();
        Grid->SetFixedCols(0);
        Grid->SetFixedRows(0);
        Grid->SetSpreadsheetEnabled(true);
    }
    AnsiString F(int Col, int Row) { return C(Col, Row)->GetFormula(); }
};

TEST_F(StructuralFormulas, RowEditsRenumberEveryReference) {
    for (int r = 0; r < 8; ++r)
        C(0, r)->SetText(std::to_string(r + 1));
    C(4, 0)->SetFormula("A5+A3+A2+A$5+5E2+SUM(A1:A5)");
    ASSERT_TRUE(Grid->DeleteRow(2));  // row "3"
    EXPECT_EQ(F(4, 0), "A4+A2+A2+A$4+5E2+SUM(A1:A4)");
    ASSERT_TRUE(Grid->InsertRow(0));
    EXPECT_EQ(F(4, 1), "A5+A3+A3+A$5+5E2+SUM(A2:A5)");
    EXPECT_EQ(C(4, 1)->GetText(), "526");
}

TEST_F(StructuralFormulas, ColumnEditsRenumberOverAbsoluteColumns) {
    C(3, 0)->SetText("4");
    C(1, 1)->SetFormula("D1*2+$D$1");
    ASSERT_TRUE(Grid->HideColumn(2));  // references are absolute: untouched
    EXPECT_EQ(F(1, 1), "D1*2+$D$1");
    ASSERT_TRUE(Grid->InsertColumn(0));
    EXPECT_EQ(F(2, 1), "E1*2+$E$1");
    EXPECT_EQ(C(2, 1)->GetText(), "12");
    ASSERT_TRUE(Grid->DeleteColumn(0));
    EXPECT_EQ(F(1, 1), "D1*2+$D$1");
    ASSERT_TRUE(Grid->DeleteColumn(2));  // D itself: references go to the column left of it
    EXPECT_EQ(F(1, 1), "C1*2+$C$1");
    EXPECT_EQ(Grid->ShowHiddenColumn(0), 2);
}

TEST_F(StructuralFormulas, MovesFollowTheMovedCellsOwnReferences) {
    Grid->SetColCount(30);
    C(27, 4)->SetText("7");  // AB5
    C(0, 0)->SetFormula("AB5+A10");
    C(2, 7)->SetFormula("C7*3");
    // Moving column 2 before column 0 shifts A and B right; AB is no substring match.
    ASSERT_TRUE(Grid->MoveColumn(2, 0));
    EXPECT_EQ(F(1, 0), "AB5+B10");
    EXPECT_EQ(F(0, 7), "A7*3");
    // A moved row's own references to its row follow it; A10 is no A1.
    C(1, 0)->SetFormula("C1+A10");
    ASSERT_TRUE(Grid->MoveRow(0, 3));
    EXPECT_EQ(F(1, 3), "C4+A10");
}

TEST_F(StructuralFormulas, HeadingsSwitchedOffByDeletingTheHeadingColumnKeepCells) {
    Grid->SetSpreadsheetHeaders(true);
    C(2, 1)->SetText("5");  // B1
    C(3, 2)->SetFormula("B1+1");
    ASSERT_TRUE(Grid->DeleteColumn(0));
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(C(2, 2)->GetText(), "6");
    EXPECT_EQ(F(2, 2), "B2+1");  // headings off: the same cell is B2 now
}

TEST_F(StructuralFormulas, ShownColumnIsRecalculated) {
    C(0, 0)->SetText("2");
    C(2, 0)->SetFormula("A1*10");
    ASSERT_TRUE(Grid->HideColumn(2));
    C(0, 0)->SetText("3");
    EXPECT_EQ(Grid->ShowHiddenColumn(0), 2);
    EXPECT_EQ(C(2, 0)->GetText(), "30");
}

}  // namespace
}  // namespace carrelon::test
