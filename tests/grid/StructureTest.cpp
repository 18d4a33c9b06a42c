// Inserting, deleting, hiding, showing and moving rows and columns: refusals and events, merges
// under the edits, formulas that keep naming their cells, and the base grid kept in step; on a
// shown grid, every edit, merge, split and sort behind an editor that cannot close, reopening an
// always-shown editor, and edits that cannot make their cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/CheckedEdits.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class StructuralEdits : public CheckedEdits {
protected:
    void SetUp() override {
        CheckedEdits::SetUp();
        Grid->SetColCount(5);
        Grid->SetRowCount(8);
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
    int Moves = 0;
    Grid->OnRowMoved = [&](TObject*, int, int) { ++Moves; };
    Grid->OnColumnMoved = [&](TObject*, int, int) { ++Moves; };
    const long long Cells = Access::LiveCells();
    EXPECT_FALSE(InsertRow(-1));
    EXPECT_FALSE(InsertRow(8));  // rows are appended through RowCount
    EXPECT_FALSE(InsertRowEx(1, 8, true));
    EXPECT_FALSE(DeleteRow(8));
    EXPECT_FALSE(InsertColumn(5));
    EXPECT_FALSE(DeleteColumn(-1));
    EXPECT_FALSE(HideColumn(5));
    EXPECT_EQ(ShowHiddenColumn(0), -1);
    EXPECT_FALSE(MoveRow(2, 2));
    EXPECT_FALSE(MoveRow(0, 3));     // across the fixed rows
    EXPECT_FALSE(MoveColumn(2, 0));  // across the fixed columns
    EXPECT_FALSE(MoveColumn(1, 5));
    EXPECT_EQ(Access::LiveCells(), Cells);
    EXPECT_EQ(Row(2), "A2,B2,C2,D2,E2");
    EXPECT_EQ(Moves, 0) << "a refused move fires no event";

    Grid->SetRowCount(1);
    Grid->SetColCount(2);  // one fixed column, one scrollable
    EXPECT_FALSE(DeleteRow(0));
    EXPECT_FALSE(HideColumn(1));
    Grid->SetFixedCols(0);
    Grid->SetColCount(1);
    EXPECT_FALSE(DeleteColumn(0));
}

TEST_F(StructuralEdits, RowsInsertDeleteAndMoveWithTheirCells) {
    Label();
    ASSERT_TRUE(InsertRow(2));
    EXPECT_EQ(Grid->GetRowCount(), 9);
    EXPECT_EQ(Column(1), "B0,B1,,B2,B3,B4,B5,B6,B7");
    EXPECT_EQ(C(1, 4)->GetRow(), 4);
    ASSERT_TRUE(DeleteRow(2));
    EXPECT_EQ(Column(1), "B0,B1,B2,B3,B4,B5,B6,B7");
    ASSERT_TRUE(InsertRowEx(0, 3, true));
    EXPECT_EQ(Column(0), "A0,A1,A2,A3,,A4,A5,A6,A7");
    ASSERT_TRUE(DeleteRow(4));

    std::vector<std::pair<int, int>> Moves;
    Grid->OnRowMoved = [&](TObject*, int From, int To) { Moves.emplace_back(From, To); };
    ASSERT_TRUE(MoveRow(2, 5));
    EXPECT_EQ(Column(2), "C0,C1,C3,C4,C5,C2,C6,C7");
    ASSERT_TRUE(MoveRow(6, 1));
    EXPECT_EQ(Column(2), "C0,C6,C1,C3,C4,C5,C2,C7");
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(C(3, r)->GetRow(), r);
    EXPECT_EQ(Moves, (std::vector<std::pair<int, int>>{{2, 5}, {6, 1}}));
}

TEST_F(StructuralEdits, ColumnsInsertDeleteAndMoveWithTheirCells) {
    Label();
    Grid->SetColWidths(2, 90);
    ASSERT_TRUE(InsertColumn(2));
    EXPECT_EQ(Row(1), "A1,B1,,C1,D1,E1");
    EXPECT_EQ(Grid->GetColWidths(3), 90);
    ASSERT_TRUE(DeleteColumn(2));
    EXPECT_EQ(Row(1), "A1,B1,C1,D1,E1");
    EXPECT_EQ(Grid->GetColWidths(2), 90);

    std::vector<std::pair<int, int>> Moves;
    Grid->OnColumnMoved = [&](TObject*, int From, int To) { Moves.emplace_back(From, To); };
    ASSERT_TRUE(MoveColumn(1, 3));
    EXPECT_EQ(Row(4), "A4,C4,D4,B4,E4");
    EXPECT_EQ(Grid->GetColWidths(1), 90);
    ASSERT_TRUE(MoveColumn(4, 2));
    EXPECT_EQ(Row(4), "A4,C4,E4,D4,B4");
    EXPECT_EQ(Moves, (std::vector<std::pair<int, int>>{{1, 3}, {4, 2}}));
}

TEST_F(StructuralEdits, FixedPartsFollowTheEdits) {
    Grid->SetFixedRows(2);
    ASSERT_TRUE(InsertRow(1));
    EXPECT_EQ(Grid->GetFixedRows(), 3);
    ASSERT_TRUE(DeleteRow(0));
    EXPECT_EQ(Grid->GetFixedRows(), 2);
    ASSERT_TRUE(InsertColumn(0));
    EXPECT_EQ(Grid->GetFixedCols(), 2);
    ASSERT_TRUE(DeleteColumn(1));
    EXPECT_EQ(Grid->GetFixedCols(), 1);

    // A fixed row deleted under a fixed merge lowers FixedRows by exactly one.
    Grid->SetFixedRows(3);
    MakeMergedCell(Grid, 2, 1, 2, 2);
    ASSERT_TRUE(DeleteRow(0));
    EXPECT_EQ(Grid->GetFixedRows(), 2);
    EXPECT_EQ(C(2, 0)->GetEndRow(), 1);

    // Deleting the only scrollable column (the last) takes a fixed one along.
    Grid->SetColCount(3);
    Grid->SetFixedCols(2);
    ASSERT_TRUE(DeleteColumn(2));
    EXPECT_EQ(Grid->GetFixedCols(), 1);
}

TEST_F(StructuralEdits, CurrentCellStaysOnItsContent) {
    Label();
    ASSERT_TRUE(Grid->FocusCell(2, 4));
    ASSERT_TRUE(InsertRow(1));
    EXPECT_EQ(Grid->GetRow(), 5);
    ASSERT_TRUE(MoveRow(5, 2));
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(C(Grid->GetCol(), Grid->GetRow())->GetText(), "C4");
    ASSERT_TRUE(InsertColumn(1));
    EXPECT_EQ(Grid->GetCol(), 3);
    ASSERT_TRUE(DeleteColumn(3));  // the current column itself: the index stays
    EXPECT_EQ(Grid->GetCol(), 3);
}

TEST_F(StructuralEdits, RowEditsInsideVerticalMerges) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 2, 2, 4);  // columns 1-2, rows 2-4
    ASSERT_TRUE(InsertRow(3));
    EXPECT_EQ(M->GetRow(), 2);
    EXPECT_EQ(M->GetEndRow(), 5);
    EXPECT_EQ(C(2, 3), M);
    ASSERT_TRUE(InsertRow(2));  // at its top: the merge moves down
    EXPECT_EQ(M->GetRow(), 3);
    ASSERT_TRUE(DeleteRow(4));
    ASSERT_TRUE(DeleteRow(4));
    EXPECT_EQ(M->GetEndRow(), 4);
    // Moving a row out of a merge shrinks it and leaves an empty cell behind.
    C(1, 6)->SetText("x");
    ASSERT_TRUE(MoveRow(3, 7));
    EXPECT_EQ(M->GetRow(), 3);
    EXPECT_EQ(M->GetEndRow(), 3);
    EXPECT_EQ(C(1, 5)->GetText(), "x");
    EXPECT_TRUE(C(1, 7)->GetText().empty());
    // A row moved into a vertical merge joins it: its own cell there is freed.
    TCarrelonCell* V = MakeMergedCell(Grid, 3, 4, 3, 6);
    C(3, 1)->SetText("gone");
    ASSERT_TRUE(MoveRow(1, 5));
    EXPECT_EQ(V->GetRow(), 3);
    EXPECT_EQ(V->GetEndRow(), 6);
    EXPECT_EQ(Row(5).find("gone"), std::string::npos);
}

TEST_F(StructuralEdits, InsertRowExJoinsTheNewRowToItsReference) {
    Grid->SetColCount(3);
    C(0, 5)->SetText("a");
    ASSERT_TRUE(InsertRowEx(2, 5, true));
    EXPECT_EQ(C(0, 6), C(0, 5));
    EXPECT_EQ(C(1, 6), C(1, 5));
    EXPECT_NE(C(2, 6), C(2, 5));
    EXPECT_EQ(C(0, 5)->GetText(), "a");
    ASSERT_TRUE(InsertRowEx(99, 2, false));  // more columns than the grid has
    EXPECT_EQ(C(2, 2), C(2, 3));
}

TEST_F(StructuralEdits, ColumnEditsInsideHorizontalMerges) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 3, 3, 3);
    M->SetText("m");
    ASSERT_TRUE(InsertColumn(2));
    EXPECT_EQ(C(2, 3), M);
    EXPECT_EQ(M->GetEndCol(), 4);
    ASSERT_TRUE(InsertColumn(1));  // at its start: it moves right
    EXPECT_EQ(M->GetStartCol(), 2);
    ASSERT_TRUE(DeleteColumn(2));  // its start column: the merge starts one further
    EXPECT_EQ(M->GetStartCol(), 2);
    EXPECT_EQ(M->GetEndCol(), 4);
    EXPECT_EQ(M->GetText(), "m");

    // Moving a column out of the merge leaves the merge one narrower and the column empty.
    ASSERT_TRUE(MoveColumn(3, 5));
    EXPECT_EQ(M->GetStartCol(), 2);
    EXPECT_EQ(M->GetEndCol(), 3);
    EXPECT_TRUE(C(5, 3)->GetText().empty());
    // Moving a column into it: the slot joins the merge and the moved cell is freed.
    C(1, 3)->SetText("in");
    ASSERT_TRUE(MoveColumn(1, 2));
    EXPECT_EQ(C(2, 3), M);
    EXPECT_EQ(M->GetText(), "m");
}

TEST_F(StructuralEdits, MovedColumnCarriesAVerticalMergeOutOfAHorizontalOne) {
    Grid->SetColCount(6);
    TCarrelonCell* H = MakeMergedCell(Grid, 3, 2, 4, 2);  // row 2, columns 3-4
    TCarrelonCell* V = MakeMergedCell(Grid, 1, 1, 1, 3);  // column 1, rows 1-3
    V->SetText("v");
    ASSERT_TRUE(MoveColumn(1, 3));  // lands between 3 and 4, inside H in row 2
    EXPECT_EQ(C(3, 2), H);
    EXPECT_EQ(V->GetRow(), 1);
    EXPECT_EQ(V->GetEndRow(), 1);
    EXPECT_NE(C(3, 3), V);
}

TEST_F(StructuralEdits, HiddenColumnsKeepCellsWidthAndPlace) {
    Label();
    Grid->SetColWidths(2, 77);
    ASSERT_TRUE(HideColumn(2));
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Row(1), "A1,B1,D1,E1");
    ASSERT_TRUE(InsertRow(1));  // hidden columns get the row too
    ASSERT_TRUE(MoveRow(4, 2));
    EXPECT_EQ(ShowHiddenColumn(0), 2);
    EXPECT_EQ(Grid->GetColWidths(2), 77);
    EXPECT_EQ(Column(2), "C0,,C3,C1,C2,C4,C5,C6,C7");
    ASSERT_TRUE(HideColumn(0));  // the only fixed column
    EXPECT_EQ(Grid->GetFixedCols(), 0);
    EXPECT_EQ(ShowHiddenColumn(0), 0);
    EXPECT_EQ(Grid->GetFixedCols(), 1);
}

TEST_F(StructuralEdits, MergeOverAHiddenColumnSurvivesColumnEdits) {
    ASSERT_TRUE(HideColumn(2));
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 2, 3, 2);  // absolute 1-3, 2 hidden
    ASSERT_TRUE(DeleteColumn(1));                         // its visible start
    EXPECT_EQ(M->GetStartCol(), 1);
    ASSERT_TRUE(InsertColumn(1));
    ASSERT_TRUE(ShowHiddenColumn(0) >= 0);
}

TEST_F(StructuralEdits, SortColumnFollowsItsOwnColumnsMove) {
    Grid->SetSortColumn(2);
    ASSERT_TRUE(MoveColumn(2, 4));
    EXPECT_EQ(Grid->GetSortColumn(), 4);
    ASSERT_TRUE(MoveColumn(4, 1));
    EXPECT_EQ(Grid->GetSortColumn(), 1);
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
    ASSERT_TRUE(DeleteRow(2));  // row "3"
    EXPECT_EQ(F(4, 0), "A4+A2+A2+A$4+5E2+SUM(A1:A4)");
    ASSERT_TRUE(InsertRow(0));
    EXPECT_EQ(F(4, 1), "A5+A3+A3+A$5+5E2+SUM(A2:A5)");
    EXPECT_EQ(C(4, 1)->GetText(), "526");
}

TEST_F(StructuralFormulas, ColumnEditsRenumberOverAbsoluteColumns) {
    C(3, 0)->SetText("4");
    C(1, 1)->SetFormula("D1*2+$D$1");
    ASSERT_TRUE(HideColumn(2));  // references are absolute: untouched
    EXPECT_EQ(F(1, 1), "D1*2+$D$1");
    ASSERT_TRUE(InsertColumn(0));
    EXPECT_EQ(F(2, 1), "E1*2+$E$1");
    EXPECT_EQ(C(2, 1)->GetText(), "12");
    ASSERT_TRUE(DeleteColumn(0));
    EXPECT_EQ(F(1, 1), "D1*2+$D$1");
    ASSERT_TRUE(DeleteColumn(2));  // D itself: references go to the column left of it
    EXPECT_EQ(F(1, 1), "C1*2+$C$1");
    EXPECT_EQ(ShowHiddenColumn(0), 2);
}

TEST_F(StructuralFormulas, MovesFollowTheMovedCellsOwnReferences) {
    Grid->SetColCount(30);
    C(27, 4)->SetText("7");  // AB5
    C(0, 0)->SetFormula("AB5+A10");
    C(2, 7)->SetFormula("C7*3");
    // Moving column 2 before column 0 shifts A and B right; AB is no substring match.
    ASSERT_TRUE(MoveColumn(2, 0));
    EXPECT_EQ(F(1, 0), "AB5+B10");
    EXPECT_EQ(F(0, 7), "A7*3");
    // A moved row's own references to its row follow it; A10 is no A1.
    C(1, 0)->SetFormula("C1+A10");
    ASSERT_TRUE(MoveRow(0, 3));
    EXPECT_EQ(F(1, 3), "C4+A10");
}

TEST_F(StructuralFormulas, HeadingsSwitchedOffByDeletingTheHeadingColumnKeepCells) {
    Grid->SetSpreadsheetHeaders(true);
    C(2, 1)->SetText("5");  // B1
    C(3, 2)->SetFormula("B1+1");
    ASSERT_TRUE(DeleteColumn(0));
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(C(2, 2)->GetText(), "6");
    EXPECT_EQ(F(2, 2), "B2+1");  // headings off: the same cell is B2 now
}

TEST_F(StructuralFormulas, ShownColumnIsRecalculated) {
    C(0, 0)->SetText("2");
    C(2, 0)->SetFormula("A1*10");
    ASSERT_TRUE(HideColumn(2));
    C(0, 0)->SetText("3");
    EXPECT_EQ(ShowHiddenColumn(0), 2);
    EXPECT_EQ(C(2, 0)->GetText(), "30");
}

TEST_F(StructuralFormulas, HeadingsSwitchedOffByDeletingTheHeadingRowKeepCells) {
    Grid->SetSpreadsheetHeaders(true);
    C(2, 1)->SetText("5");  // B1
    C(3, 2)->SetFormula("B1+1");
    ASSERT_TRUE(DeleteRow(0));
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(C(3, 1)->GetText(), "6");
    EXPECT_EQ(F(3, 1), "C1+1");  // headings off: the same cell is C1 now
}

TEST_F(StructuralFormulas, HeadingsSwitchedOffByHidingTheHeadingColumnKeepCells) {
    Grid->SetSpreadsheetHeaders(true);
    C(2, 1)->SetText("5");  // B1
    C(3, 2)->SetFormula("B1+1");
    ASSERT_TRUE(HideColumn(0));
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(C(2, 2)->GetText(), "6");
    EXPECT_EQ(F(2, 2), "C2+1");  // references count the hidden column: the cell is C2
}

TEST_F(StructuralFormulas, FormulasInAHiddenColumnAreRenumberedToo) {
    C(0, 2)->SetText("4");  // A3
    C(2, 0)->SetFormula("A3*2+$A$3");
    ASSERT_TRUE(HideColumn(2));
    ASSERT_TRUE(InsertRow(0));
    ASSERT_TRUE(InsertColumn(0));
    EXPECT_EQ(Grid->GetAbsoluteCells(3, 1)->GetFormula(), "B4*2+$B$4");
    ASSERT_TRUE(MoveRow(5, 2));  // B4 moves down by one
    ASSERT_TRUE(DeleteColumn(0));
    C(0, 4)->SetText("5");
    EXPECT_EQ(ShowHiddenColumn(0), 2);
    EXPECT_EQ(F(2, 1), "A5*2+$A$5");
    EXPECT_EQ(C(2, 1)->GetText(), "15");
}

// ---- on a shown grid ----------------------------------------------------------------------

// The whole model as text, to tell whether an edit changed anything: counts, fixed parts, the
// current cell, the sort column, widths and heights, and every slot of every absolute column
// with its cell's rectangle (over absolute columns), text and formula.
std::string ModelText(const TCarrelon* Grid) {
    std::ostringstream S;
    S << Grid->GetColCount() << "x" << Grid->GetRowCount() << ", fixed " << Grid->GetFixedCols()
      << "," << Grid->GetFixedRows() << ", hidden " << Grid->GetHiddenColCount() << ", at "
      << Grid->GetCol() << "," << Grid->GetRow() << ", sort " << Grid->GetSortColumn()
      << "\nwidths";
    for (int k = 0; k < Grid->GetColCount(); ++k)
        S << " " << Grid->GetColWidths(k);
    S << "\nheights";
    for (int r = 0; r < Grid->GetRowCount(); ++r)
        S << " " << Grid->GetRowHeights(r);
    for (int a = 0; a < Grid->GetAbsoluteColCount(); ++a) {
        S << "\ncolumn " << Grid->GetAbsoluteCols(a)->GetCreationNumber() << ":";
        for (int r = 0; r < Grid->GetRowCount(); ++r) {
            const TCarrelonCell* X = Grid->GetAbsoluteCells(a, r);
            S << " [" << X->GetCol()->GetAbsoluteNumber() << "," << X->GetRow() << "-"
              << X->GetEndColObject()->GetAbsoluteNumber() << "," << X->GetEndRow() << " "
              << X->GetText() << " " << X->GetFormula() << "]";
        }
    }
    return S.str();
}

// One call of an edit, a merge, a split or a sort; true when it was made.
struct TEditCase {
    std::string Name;
    std::function<bool(TCarrelon*)> Run;
};

// Every operation, each made on the grid ShownStructuralEdits builds.
std::vector<TEditCase> EveryEdit() {
    return {
        {"InsertRow", [](TCarrelon* G) { return G->InsertRow(3); }},
        {"InsertRowEx", [](TCarrelon* G) { return G->InsertRowEx(2, 3, true); }},
        {"DeleteRow", [](TCarrelon* G) { return G->DeleteRow(3); }},
        {"MoveRow", [](TCarrelon* G) { return G->MoveRow(2, 6); }},
        {"InsertColumn", [](TCarrelon* G) { return G->InsertColumn(2); }},
        {"DeleteColumn", [](TCarrelon* G) { return G->DeleteColumn(4); }},
        {"HideColumn", [](TCarrelon* G) { return G->HideColumn(4); }},
        {"ShowHiddenColumn", [](TCarrelon* G) { return G->ShowHiddenColumn(0) >= 0; }},
        {"MoveColumn", [](TCarrelon* G) { return G->MoveColumn(2, 5); }},
        {"MergeHoriz", [](TCarrelon* G) { return G->MergeHoriz(4, 5, 2, ","); }},
        {"MergeVert", [](TCarrelon* G) { return G->MergeVert(4, 2, 3, ","); }},
        {"MergeRect",
         [](TCarrelon* G) {
             return G->MergeRect(TRect{4, 6, 5, 7}, true, ",", ";");
         }},
        {"Split", [](TCarrelon* G) { return G->GetCells(2, 4)->Split(); }},
        {"Sort", [](TCarrelon* G) { return G->Sort(); }},
    };
}

// A grid on a shown form with the keyboard focus: 7 x 9 labelled cells, the sort column 1 in
// descending order, a merged cell over columns 2-3 and rows 4-5, and absolute column 6 hidden.
// Row and column moves and sorts are recorded, and so are message boxes.
class ShownStructuralEdits : public ::testing::Test {
protected:
    // A new grid in place of the last, the editor shown always or not.
    void Build(bool AlwaysShowEditor) {
        delete Grid;
        Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
        Grid->SetColCount(7);
        Grid->SetRowCount(9);
        for (int k = 0; k < 7; ++k)
            for (int r = 0; r < 9; ++r) {
                AnsiString Text = k == 1 ? std::to_string(9 - r) : std::string(1, char('A' + k));
                if (k != 1) Text += std::to_string(r);
                Grid->GetCells(k, r)->SetText(Text);
            }
        MakeMergedCell(Grid, 2, 4, 3, 5);
        ASSERT_TRUE(Grid->HideColumn(6));
        Grid->SetSortColumn(1);
        Grid->OnRowMoved = [this](TObject*, int, int) { Events.push_back("row moved"); };
        Grid->OnColumnMoved = [this](TObject*, int, int) { Events.push_back("column moved"); };
        Grid->OnStartSort = [this](TObject*) { Events.push_back("start sort"); };
        Grid->OnEndSort = [this](TObject*) { Events.push_back("end sort"); };
        Grid->SetFocus();
        ProcessPendingEvents();
        if (AlwaysShowEditor) {
            TCarrelonOptions O = Grid->GetOptions();
            O.Include(cloAlwaysShowEditor);
            Grid->SetOptions(O);
            ASSERT_TRUE(Grid->GetEditorMode()) << "shown on the focused grid";
        }
        Events.clear();
        Messages.Calls.clear();
    }
    std::vector<AnsiString> Shown() const {
        std::vector<AnsiString> Out;
        for (const auto& Call : Messages.Calls)
            Out.push_back(Call.Msg);
        return Out;
    }
    void ExpectModelSound(const std::string& Where) const {
        std::string Why;
        EXPECT_TRUE(Access::CheckModelInvariants(Grid, &Why)) << Where << ": " << Why;
    }

    TMessageDlgRecorder Messages;
    TTestForm Form;
    TTestGrid* Grid = nullptr;
    std::vector<std::string> Events;
};

TEST_F(ShownStructuralEdits, EveryEditIsRefusedWhileTheEditorCannotClose) {
    for (const TEditCase& T : EveryEdit()) {
        Build(false);
        OpenRefusingEditor(Grid, "typed");
        const std::string Before = ModelText(Grid);
        const long long Cells = Access::LiveCells();
        EXPECT_FALSE(T.Run(Grid)) << T.Name;
        EXPECT_EQ(ModelText(Grid), Before) << T.Name;
        EXPECT_EQ(Access::LiveCells(), Cells) << T.Name;
        EXPECT_EQ(Events, std::vector<std::string>{}) << T.Name;
        EXPECT_TRUE(Grid->GetEditorMode()) << T.Name;
        EXPECT_EQ(Shown(), std::vector<AnsiString>{}) << T.Name;
        // The editor was what refused: allowed to close, it commits and the operation runs.
        Grid->OnCellChanged = nullptr;
        EXPECT_TRUE(T.Run(Grid)) << T.Name;
        EXPECT_FALSE(Grid->GetEditorMode()) << T.Name;
        ExpectModelSound(T.Name);
    }
}

TEST_F(ShownStructuralEdits, EveryEditShowsAnAlwaysShownEditorAgain) {
    for (const TEditCase& T : EveryEdit()) {
        Build(true);
        EXPECT_TRUE(T.Run(Grid)) << T.Name;
        EXPECT_TRUE(Grid->GetEditorMode()) << T.Name;
        ExpectModelSound(T.Name);
    }
}

TEST_F(ShownStructuralEdits, EditsThatCannotMakeTheirCellsChangeNothing) {
    // Each needs new cells: a row or column of them, the new cell of the merge that column 2
    // leaves in rows 4-5, or the three cells a split of the merge makes.
    const std::vector<std::string> Needing{"InsertRow", "InsertRowEx", "InsertColumn",
                                           "MoveRow",   "MoveColumn",  "Split"};
    for (const TEditCase& T : EveryEdit()) {
        if (std::find(Needing.begin(), Needing.end(), T.Name) == Needing.end()) continue;
        int Failures = 0;
        for (int FailAfter = 0; FailAfter < 100; ++FailAfter) {
            Build(true);
            const std::string Before = ModelText(Grid);
            const long long Cells = Access::LiveCells();
            bool Made;
            {
                TCellAllocationFailure Failure(FailAfter);
                Made = T.Run(Grid);
            }
            if (Made) break;
            ++Failures;
            const std::string Where = T.Name + ", failing after " + std::to_string(FailAfter);
            EXPECT_EQ(ModelText(Grid), Before) << Where;
            EXPECT_EQ(Access::LiveCells(), Cells) << Where;
            EXPECT_EQ(Shown(), std::vector<AnsiString>{"Out of memory"}) << Where;
            EXPECT_EQ(Events, std::vector<std::string>{}) << Where;
            EXPECT_TRUE(Grid->GetEditorMode()) << Where << ": the editor shows again";
            ExpectModelSound(Where);
        }
        EXPECT_GT(Failures, 0) << T.Name << " made no cell";
        EXPECT_LT(Failures, 100) << T.Name << " never succeeded";
    }
}

TEST_F(ShownStructuralEdits, InsertsBeyondTheCellBudgetChangeNothing) {
    for (const TEditCase& T : EveryEdit()) {
        if (T.Name != "InsertRow" && T.Name != "InsertRowEx" && T.Name != "InsertColumn") continue;
        Build(true);
        Grid->SetCellBudget(7 * 9);  // the cells there are
        const std::string Before = ModelText(Grid);
        const long long Cells = Access::LiveCells();
        EXPECT_FALSE(T.Run(Grid)) << T.Name;
        EXPECT_EQ(ModelText(Grid), Before) << T.Name;
        EXPECT_EQ(Access::LiveCells(), Cells) << T.Name;
        EXPECT_EQ(Shown(), std::vector<AnsiString>{"Out of memory"}) << T.Name;
        EXPECT_TRUE(Grid->GetEditorMode()) << T.Name << ": the editor shows again";
        Grid->SetCellBudget(8 * 10);
        EXPECT_TRUE(T.Run(Grid)) << T.Name << " within the budget";
        ExpectModelSound(T.Name);
    }
}

TEST_F(ShownStructuralEdits, AShownColumnIsRecalculatedBeforeTheEditorShowsAgain) {
    Build(false);
    Grid->SetSpreadsheetEnabled(true);
    Grid->GetCells(0, 1)->SetText("2");  // A2
    Grid->GetAbsoluteCells(6, 1)->SetFormula("A2*10");
    Grid->GetCells(0, 1)->SetText("3");
    TCarrelonOptions O = Grid->GetOptions();
    O.Include(cloAlwaysShowEditor);
    Grid->SetOptions(O);
    ASSERT_TRUE(Grid->GetEditorMode());
    std::vector<bool> EditorShown;
    Grid->OnCellRecalculated = [&](TCarrelon* G, int, int, AnsiString&) {
        EditorShown.push_back(G->GetEditorMode());
    };
    EXPECT_EQ(Grid->ShowHiddenColumn(0), 6);
    EXPECT_EQ(Grid->GetCells(6, 1)->GetText(), "30");
    EXPECT_EQ(EditorShown, std::vector<bool>{false});
    EXPECT_TRUE(Grid->GetEditorMode());
}

}  // namespace
}  // namespace carrelon::test
