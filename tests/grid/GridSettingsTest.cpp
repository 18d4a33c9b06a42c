// Grid-wide settings that reach every column and cell: word wrap and the grid-line width, at run
// time and while the grid is read from a stream.
#include <gtest/gtest.h>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class GridSettings : public GridFixture {};

TEST_F(GridSettings, WordWrapMakesEveryCellInheritTheHeadingRowToo) {
    Grid->SetSpreadsheetHeaders(true);
    ASSERT_TRUE(Grid->GetSpreadsheetHeaders());
    TCarrelonCell* Heading = Grid->GetCells(2, 0);
    TCarrelonCell* Plain = Grid->GetCells(2, 2);
    Heading->SetWordWrap(false);
    Plain->SetWordWrap(false);
    ASSERT_FALSE(Heading->GetWordWrap());
    Grid->SetWordWrap(true);
    EXPECT_TRUE(Heading->GetWordWrap()) << "the heading row kept its own word wrap";
    EXPECT_TRUE(Plain->GetWordWrap());
    EXPECT_FALSE(Access::HasProperties(Heading));
    Grid->SetWordWrap(false);
    EXPECT_FALSE(Heading->GetWordWrap());
    EXPECT_FALSE(Grid->GetCols(4)->GetFixedWordWrap());
    EXPECT_FALSE(Grid->GetCells(4, 3)->GetWordWrap());
}

// A stream sets the grid's word wrap among the other properties: the cells' own settings that
// were read stay, the others follow the columns.
TEST_F(GridSettings, WordWrapWhileLoadingKeepsTheCellsOwn) {
    TCarrelonCell* Own = Grid->GetCells(3, 2);
    Own->SetWordWrap(false);
    Grid->BeginLoading();
    Grid->SetWordWrap(true);
    Grid->EndLoading();
    EXPECT_TRUE(Grid->GetWordWrap());
    EXPECT_FALSE(Own->GetWordWrap());
    EXPECT_TRUE(Grid->GetCols(3)->GetWordWrap());
    Grid->BeginLoading();
    Grid->SetWordWrap(false);
    Grid->EndLoading();
    EXPECT_FALSE(Grid->GetCells(1, 1)->GetWordWrap());
    EXPECT_FALSE(Own->GetWordWrap());
}

class TGeometryCountingGrid : public TCarrelon {
public:
    using TCarrelon::TCarrelon;
    int GeometryChanges = 0;

protected:
    void ColWidthsChanged() override {
        ++GeometryChanges;
        TCarrelon::ColWidthsChanged();
    }
    void RowHeightsChanged() override {
        ++GeometryChanges;
        TCarrelon::RowHeightsChanged();
    }
};

TEST_F(GridSettings, LineWidthWhileLoadingIsOnlyStored) {
    auto* G = new TGeometryCountingGrid(Form.get());
    G->SetParent(Form.get());
    G->GetCols(2)->SetGridLineWidth(4);
    const int RowHeight = G->GetDefaultRowHeight();
    G->BeginLoading();
    G->GeometryChanges = 0;
    G->SetGridLineWidth(3);
    EXPECT_EQ(G->GetGridLineWidth(), 3);
    EXPECT_EQ(G->GeometryChanges, 0);
    EXPECT_EQ(G->GetDefaultRowHeight(), RowHeight);
    EXPECT_EQ(G->GetCols(2)->GetGridLineWidth(), 4);
    G->EndLoading();
    // At run time the columns inherit again and the default row height follows.
    G->SetGridLineWidth(2);
    EXPECT_EQ(G->GetCols(2)->GetGridLineWidth(), 2);
    EXPECT_EQ(G->GetDefaultRowHeight(), RowHeight - 1 + 2);
}

}  // namespace
}  // namespace carrelon::test
