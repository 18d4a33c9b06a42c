// A grid fixture whose structural edits, merges, splits and sorts check the model's invariants
// right after each call, naming the call when they do not hold, and once more at the end.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {

class CheckedEdits : public GridFixture {
protected:
    void TearDown() override {
        ExpectModelSound();
        GridFixture::TearDown();
    }

    bool InsertRow(int ARow) { return Checked(Grid->InsertRow(ARow), Call("InsertRow", ARow)); }
    bool InsertRowEx(int ACount, int ARow, bool After) {
        return Checked(Grid->InsertRowEx(ACount, ARow, After),
                       Call("InsertRowEx", ACount, ARow, After));
    }
    bool DeleteRow(int ARow) { return Checked(Grid->DeleteRow(ARow), Call("DeleteRow", ARow)); }
    bool MoveRow(int From, int To) {
        return Checked(Grid->MoveRow(From, To), Call("MoveRow", From, To));
    }
    bool InsertColumn(int ACol) {
        return Checked(Grid->InsertColumn(ACol), Call("InsertColumn", ACol));
    }
    bool DeleteColumn(int ACol) {
        return Checked(Grid->DeleteColumn(ACol), Call("DeleteColumn", ACol));
    }
    bool HideColumn(int ACol) { return Checked(Grid->HideColumn(ACol), Call("HideColumn", ACol)); }
    int ShowHiddenColumn(int HiddenIndex) {
        return Checked(Grid->ShowHiddenColumn(HiddenIndex), Call("ShowHiddenColumn", HiddenIndex));
    }
    bool MoveColumn(int From, int To) {
        return Checked(Grid->MoveColumn(From, To), Call("MoveColumn", From, To));
    }
    bool MergeHoriz(int FromCol, int ToCol, int ARow, const AnsiString& Separator) {
        return Checked(Grid->MergeHoriz(FromCol, ToCol, ARow, Separator),
                       Call("MergeHoriz", FromCol, ToCol, ARow));
    }
    bool MergeVert(int ACol, int FromRow, int ToRow, const AnsiString& Separator) {
        return Checked(Grid->MergeVert(ACol, FromRow, ToRow, Separator),
                       Call("MergeVert", ACol, FromRow, ToRow));
    }
    bool MergeRect(const TRect& Rect, bool RowMajor, const AnsiString& ColSeparator,
                   const AnsiString& RowSeparator) {
        return Checked(Grid->MergeRect(Rect, RowMajor, ColSeparator, RowSeparator),
                       Call("MergeRect", Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, RowMajor));
    }
    bool Split(TCarrelonCell* Cell) {
        const int Col = Cell->GetStartCol(), Row = Cell->GetRow();
        return Checked(Cell->Split(), "Split() of the cell at " + Call("", Col, Row));
    }
    bool Sort() {
        return Checked(Grid->Sort(), "Sort() by column " + std::to_string(Grid->GetSortColumn()));
    }

private:
    // "Name(1, 2)".
    template <typename... A>
    static std::string Call(const char* Name, const A&... Args) {
        std::ostringstream Out;
        const char* Separator = "";
        Out << Name << "(";
        ((Out << Separator << Args, Separator = ", "), ...);
        Out << ")";
        return Out.str();
    }
    template <typename R>
    R Checked(R Result, const std::string& What) {
        std::string Why;
        if (!TCarrelonTestAccess::CheckModelInvariants(Grid, &Why))
            ADD_FAILURE() << What << " left the model unsound: " << Why;
        return Result;
    }
};

}  // namespace carrelon::test
