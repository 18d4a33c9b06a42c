// The grid core: defaults, count and fixed-part setters with their clamps and merge rules,
// hidden columns across count changes, option rules, loading, the "Out of memory" path and
// the freeing of every cell.
#include <gtest/gtest.h>

#include "grid/Carrelon.h"
#include "platform/graphics/Colors.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class CarrelonCoreTest : public GridFixture {};

TEST_F(CarrelonCoreTest, ConstructorSetsDefaults) {
    EXPECT_EQ(Grid->GetOptions(),
              (TCarrelonOptions{cloFixedVertLine, cloFixedHorzLine, cloVertLine, cloHorzLine,
                                cloRangeSelect, cloRowSizing, cloColSizing, cloEditing, cloTabs,
                                cloAutoIncreaseRowHeights, cloAutoDecreaseRowHeights,
                                cloDrawFocusRectangle, cloMultiLineCells, cloMultiSelect,
                                cloClearCellOnDel, cloCut, cloCopy, cloPaste}));
    EXPECT_EQ(Grid->GetEditorOptions(),
              (TCarrelonEditorOptions{eoAutoIncreaseRowHeight, eoAutoDecreaseRowHeight,
                                      eoShowOnChar, eoAllowPaste}));
    EXPECT_EQ(Grid->GetEditControlOptions(),
              (TCarrelonEditControlOptions{ecoAutoIncreaseRowHeight, ecoAutoIncreaseColumnWidth,
                                           ecoUseEditColor, ecoUseEditFontColor, ecoUseCellFont}));
    EXPECT_EQ(
        Grid->GetPrintOptions(),
        (TCarrelonPrintOptions{poUseVertLine, poUseHorzLine, poUseFixedVertLine, poUseFixedHorzLine,
                               poUseCellColors, poUseFontColors, poUseFixedColor, poUseGridColor,
                               poUseGridLineColor, poUseFixedGridLineColor}));
    EXPECT_EQ(Grid->GetSpreadsheetOptions(),
              (TCarrelonSpreadsheetOptions{soExcelStyleHeadings, soExcelStyleHeadingHighlight}));
    EXPECT_TRUE(Grid->GetTabOptions().Empty());
    EXPECT_TRUE(Grid->GetLoadedEvents().Empty());
    EXPECT_EQ(Grid->GetGridLineColor(), clSilver);
    EXPECT_EQ(Grid->GetFixedGridLineColor(), clBlack);
    EXPECT_EQ(Grid->GetSelectionColor(), clHighlight);
    EXPECT_EQ(Grid->GetSelectionFontColor(), clHighlightText);
    EXPECT_EQ(Grid->GetSortIndicatorColor(), Grid->GetFixedColor());
    EXPECT_EQ(Grid->GetExportTag(), "CarrelonTag");
    EXPECT_EQ(Grid->GetBorderForText(), 2);
    EXPECT_TRUE(Grid->GetWordWrap());
    EXPECT_EQ(Grid->GetAbout().rfind("v2.30.12", 0), 0u);
    Grid->SetAbout("something else");
    EXPECT_EQ(Grid->GetAbout().rfind("v2.30.12", 0), 0u);
    EXPECT_EQ(Grid->GetDefaultRowHeight(), 18);
    EXPECT_FALSE(Grid->GetDefaultDrawing());
    EXPECT_NE(Grid->GetPrintMargins(), nullptr);
    EXPECT_NE(Grid->GetPrintHeader(), nullptr);
    EXPECT_NE(Grid->GetPrintFooter(), nullptr);
    // The control draws the lines itself; sizing and tabs stay with the base grid.
    const TGridOptions Base = static_cast<TCustomGrid*>(Grid)->GetOptions();
    for (TGridOption Off :
         {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goThumbTracking})
        EXPECT_FALSE(Base.Contains(Off)) << "base option " << Off;
    for (TGridOption On : {goRowSizing, goColSizing, goTabs})
        EXPECT_TRUE(Base.Contains(On)) << "base option " << On;
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, ModelHasOneColumnObjectAndCellPerSlot) {
    ASSERT_TRUE(Access::Internals(Grid).FModel);
    EXPECT_EQ(Grid->GetAbsoluteColCount(), Grid->GetColCount());
    EXPECT_EQ(Grid->GetHiddenColCount(), 0);
    EXPECT_EQ(Grid->GetFixedRows(), 1);
    EXPECT_EQ(Access::Internals(Grid).FAbsoluteFixedCols, Grid->GetFixedCols());
    for (int c = 0; c < Grid->GetColCount(); ++c)
        for (int r = 0; r < Grid->GetRowCount(); ++r) {
            TCarrelonCell* Cell = Grid->GetCells(c, r);
            ASSERT_NE(Cell, nullptr);
            EXPECT_EQ(Cell->GetRow(), r);
            EXPECT_EQ(Cell->GetCol(), Grid->GetCols(c));
            EXPECT_FALSE(Access::HasProperties(Cell));
            EXPECT_TRUE(Cell->IsEmpty());
        }
    EXPECT_THROW(Grid->GetCols(Grid->GetColCount()), EListError);
    EXPECT_THROW(Grid->GetCells(0, -1), EListError);
}

TEST_F(CarrelonCoreTest, OptionBitsAreOrdinals) {
    Grid->SetOptions(TCarrelonOptions{cloFixedVertLine, cloFreeCellObjects});
    EXPECT_EQ(Grid->GetOptions().ToInt(), 0x80000001u);
}

TEST(CarrelonDesignTime, CountSettersClampWithoutModel) {
    TForm Form(nullptr);
    Form.SetDesigning(true);
    auto* G = new TCarrelon(&Form);
    EXPECT_FALSE(Access::Internals(G).FModel);
    struct Case {
        int Given, Expected;
    };
    for (Case c : {Case{0, 1}, Case{-7, 1}, Case{12, 12}, Case{134217725, 134217725},
                   Case{2147483647, 134217725}}) {
        G->SetRowCount(c.Given);
        EXPECT_EQ(G->GetRowCount(), c.Expected) << "RowCount := " << c.Given;
        G->SetColCount(c.Given);
        EXPECT_EQ(G->GetColCount(), c.Expected) << "ColCount := " << c.Given;
    }
}

TEST_F(CarrelonCoreTest, CountsClampAtOne) {
    Grid->SetColCount(0);
    EXPECT_EQ(Grid->GetColCount(), 1);
    EXPECT_EQ(Grid->GetFixedCols(), 0);
    Grid->SetRowCount(-3);
    EXPECT_EQ(Grid->GetRowCount(), 1);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, EveryRowFixed) {
    Grid->SetRowCount(6);
    Grid->SetFixedRows(6);
    EXPECT_EQ(Grid->GetFixedRows(), 6);
    EXPECT_EQ(static_cast<TCustomGrid*>(Grid)->GetFixedRows(), 5);
    EXPECT_EQ(Grid->GetTopRow(), -1);
    EXPECT_EQ(Grid->GetVisibleRowCount(), 0);
    Grid->SetTopRow(5);
    EXPECT_EQ(Grid->GetTopRow(), -1);
    ExpectModelSound();
    // Growing keeps the fixed rows and gives the base grid the same count again.
    Grid->SetRowCount(8);
    EXPECT_EQ(Grid->GetFixedRows(), 6);
    EXPECT_EQ(static_cast<TCustomGrid*>(Grid)->GetFixedRows(), 6);
    ExpectModelSound();
    // Shrinking below the fixed rows makes every row fixed again.
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->GetFixedRows(), 3);
    EXPECT_EQ(Grid->GetTopRow(), -1);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, FixedRowsMoveOverVerticalMerges) {
    Grid->SetRowCount(10);
    MakeMergedCell(Grid, 2, 1, 2, 3);
    ExpectModelSound();
    Grid->SetFixedRows(2);
    EXPECT_EQ(Grid->GetFixedRows(), 4) << "raising into rows 1..3 passes the merge";
    ExpectModelSound();
    Grid->SetFixedRows(5);
    EXPECT_EQ(Grid->GetFixedRows(), 5);
    Grid->SetFixedRows(2);
    EXPECT_EQ(Grid->GetFixedRows(), 1) << "lowering into rows 1..3 passes the merge upwards";
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, FixedRowsReachRowCountWhenMergeEndsAtLastRow) {
    Grid->SetRowCount(6);
    MakeMergedCell(Grid, 1, 3, 1, 5);
    Grid->SetFixedRows(4);
    EXPECT_EQ(Grid->GetFixedRows(), 6);
    EXPECT_EQ(Grid->GetTopRow(), -1);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, FixedColsMoveOverHorizontalMerges) {
    Grid->SetColCount(8);
    MakeMergedCell(Grid, 1, 2, 3, 2);
    Grid->SetFixedCols(2);
    EXPECT_EQ(Grid->GetFixedCols(), 4);
    EXPECT_EQ(Access::Internals(Grid).FAbsoluteFixedCols, 4);
    ExpectModelSound();
    Grid->SetFixedCols(2);
    EXPECT_EQ(Grid->GetFixedCols(), 1);
    EXPECT_EQ(Access::Internals(Grid).FAbsoluteFixedCols, 1);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, FixedColsRaiseIntoMergeReachingLastColumnIsAbandoned) {
    Grid->SetColCount(5);
    MakeMergedCell(Grid, 2, 3, 4, 3);
    Grid->SetFixedCols(3);
    EXPECT_EQ(Grid->GetFixedCols(), 1);
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
    // Out-of-range values are ignored.
    for (int Bad : {-1, 5, 6}) {
        Grid->SetFixedCols(Bad);
        EXPECT_EQ(Grid->GetFixedCols(), 1) << "FixedCols := " << Bad;
    }
}

TEST_F(CarrelonCoreTest, FixedPartsAtZeroClearHeadings) {
    Grid->SetSpreadsheetHeaders(true);
    ASSERT_TRUE(Grid->GetSpreadsheetHeaders());
    Grid->SetFixedRows(0);
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
    Grid->SetFixedRows(1);
    Grid->SetSpreadsheetHeaders(true);
    Grid->SetFixedCols(0);
    EXPECT_FALSE(Grid->GetSpreadsheetHeaders());
}

TEST_F(CarrelonCoreTest, ShrinkingColCountHandsMergedCellsOn) {
    Grid->SetColCount(5);
    TCarrelonCell* M = MakeMergedCell(Grid, 2, 2, 4, 2);
    M->SetText("kept");
    Grid->SetColCount(4);
    ExpectModelSound();
    EXPECT_EQ(Grid->GetCells(2, 2), M);
    EXPECT_EQ(M->GetEndCol(), 3);
    EXPECT_EQ(M->GetText(), "kept");
    const long long Before = Access::LiveCells();
    Grid->SetColCount(2);
    ExpectModelSound();
    EXPECT_EQ(Access::LiveCells(), Before - (2 * Grid->GetRowCount() - 1))
        << "every cell of the removed columns, the merged one once";
}

TEST_F(CarrelonCoreTest, ShrinkingColCountMovesAMergeStartIntoAHiddenColumn) {
    Grid->SetColCount(5);
    TCarrelonCell* M = MakeMergedCell(Grid, 3, 1, 4, 1);
    M->SetText("moves");
    Grid->GetAbsoluteCols(4)->Hide();
    Grid->SetColCount(3);  // removes visible column 3, the merge's start column
    ExpectModelSound();
    ASSERT_EQ(Grid->GetHiddenColCount(), 1);
    EXPECT_EQ(Grid->GetHiddenCols(0)->GetCells(1), M);
    EXPECT_EQ(M->GetCol(), Grid->GetHiddenCols(0));
    EXPECT_FALSE(M->IsMerged());
    EXPECT_EQ(M->GetStartCol(), -1);
    EXPECT_EQ(M->GetText(), "moves");
}

TEST_F(CarrelonCoreTest, ShrinkingRowCountShortensAndFreesMerges) {
    Grid->SetRowCount(8);
    TCarrelonCell* Tall = MakeMergedCell(Grid, 1, 4, 2, 7);
    Grid->SetRowCount(6);
    ExpectModelSound();
    EXPECT_EQ(Tall->GetEndRow(), 5);
    Grid->SetRowCount(4);
    ExpectModelSound();
    EXPECT_EQ(Grid->GetRowCount(), 4);
}

TEST_F(CarrelonCoreTest, HiddenColumnsKeepTheirDataAcrossColCount) {
    Grid->SetColCount(4);
    Grid->GetCells(2, 1)->SetText("hidden text");
    TCarrelonCol* Hidden = Grid->GetCols(2);
    ASSERT_TRUE(Hidden->Hide());
    EXPECT_EQ(Grid->GetColCount(), 3);
    EXPECT_EQ(Grid->GetHiddenColCount(), 1);
    EXPECT_EQ(Hidden->GetCol(), -1);
    EXPECT_EQ(Hidden->GetHiddenNumber(), 0);
    ExpectModelSound();

    Grid->SetColCount(5);  // two new columns after the last visible one (absolute 3)
    ExpectModelSound();
    EXPECT_EQ(Grid->GetAbsoluteColCount(), 6);
    EXPECT_EQ(Hidden->GetAbsoluteNumber(), 2);
    EXPECT_EQ(Grid->GetCols(3)->GetAbsoluteNumber(), 4);

    Grid->SetColCount(1);  // never removes the hidden column
    ExpectModelSound();
    EXPECT_EQ(Grid->GetHiddenColCount(), 1);
    EXPECT_EQ(Hidden->GetCells(1)->GetText(), "hidden text");

    EXPECT_EQ(Hidden->Show(), 1);
    EXPECT_EQ(Grid->GetColCount(), 2);
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "hidden text");
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, NewColumnsGoBeforeHiddenColumnsThatFollowTheLastVisible) {
    Grid->SetColCount(3);
    TCarrelonCol* Last = Grid->GetCols(2);
    Last->Hide();
    Grid->SetColCount(3);
    EXPECT_EQ(Grid->GetAbsoluteCols(2), Grid->GetCols(2));
    EXPECT_EQ(Grid->GetAbsoluteCols(3), Last);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, HidingAFixedColumnKeepsItFixedAmongAllColumns) {
    Grid->SetColCount(5);
    Grid->SetFixedCols(2);
    Grid->GetCols(0)->Hide();
    EXPECT_EQ(Grid->GetFixedCols(), 1);
    EXPECT_EQ(Access::Internals(Grid).FAbsoluteFixedCols, 2);
    EXPECT_TRUE(Grid->GetAbsoluteCells(0, 3)->GetFixed());
    ExpectModelSound();
    EXPECT_EQ(Grid->GetHiddenCols(0)->Show(), 0);
    EXPECT_EQ(Grid->GetFixedCols(), 2);
    EXPECT_EQ(Access::Internals(Grid).FAbsoluteFixedCols, 2);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, HiddenColumnWidthIsKeptAndShownAgain) {
    Grid->SetColCount(4);
    TCarrelonCol* C = Grid->GetCols(2);
    C->Hide();
    int Events = 0;
    Grid->OnColumnWidthChanged = [&](TCarrelon*, int, int, int) { ++Events; };
    C->SetWidth(120);
    EXPECT_EQ(Events, 0) << "a hidden column only stores its width";
    EXPECT_EQ(C->Show(), 2);
    EXPECT_EQ(Grid->GetColWidths(2), 120);
}

TEST_F(CarrelonCoreTest, OptionRules) {
    struct Case {
        const char* Name;
        TCarrelonOptions Start;
        TCarrelonOptions Set;
        TCarrelonOptions MustHave;
        TCarrelonOptions MustLack;
    };
    const TCarrelonOptions Base = TCarrelonOptions::FromInt(CarrelonDefaultOptions.Options) -
                                  cloAlwaysShowEditor - cloRowSelect - cloColMoving -
                                  cloSelectFixedRows;
    const Case Cases[] = {
        {"AlwaysShowEditor newly over RowSelect",
         Base + cloRowSelect,
         Base + cloRowSelect + cloAlwaysShowEditor - cloEditing,
         {cloAlwaysShowEditor, cloEditing},
         {cloRowSelect, cloRangeSelect}},
        {"RowSelect and AlwaysShowEditor added together",
         Base,
         Base + cloRowSelect + cloAlwaysShowEditor,
         {cloRowSelect},
         {cloAlwaysShowEditor, cloEditing}},
        {"SelectFixedRows and ColMoving added together",
         Base,
         Base + cloSelectFixedRows + cloColMoving,
         {cloSelectFixedRows},
         {cloColMoving}},
        {"ColMoving added to SelectFixedRows",
         Base + cloSelectFixedRows,
         Base + cloSelectFixedRows + cloColMoving,
         {cloColMoving},
         {cloSelectFixedRows}},
        {"SelectFixedCols and RowMoving added together",
         Base,
         Base + cloSelectFixedCols + cloRowMoving,
         {cloSelectFixedCols},
         {cloRowMoving}},
    };
    for (const Case& c : Cases) {
        Grid->SetOptions(c.Start);
        Grid->SetOptions(c.Set);
        const TCarrelonOptions Got = Grid->GetOptions();
        EXPECT_EQ((Got * c.MustHave), c.MustHave) << c.Name;
        EXPECT_TRUE((Got * c.MustLack).Empty()) << c.Name;
    }
    // The seven copied bits reach the base grid.
    Grid->SetOptions(Base + cloRowMoving + cloThumbTracking);
    const TGridOptions B = static_cast<TCustomGrid*>(Grid)->GetOptions();
    EXPECT_TRUE(B.Contains(goRowMoving));
    EXPECT_TRUE(B.Contains(goThumbTracking));
}

TEST_F(CarrelonCoreTest, LoadedFiresChosenClick) {
    int Clicks = 0;
    Grid->OnClick = [&](TObject*) { ++Clicks; };
    Grid->SetLoadedEvents(TCarrelonLoadedEvents{leOnClick});
    Grid->BeginLoading();
    Grid->SetColCount(6);
    Grid->EndLoading();
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Grid->GetCols(5)->GetWidth(), Grid->GetColWidths(5));
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, LoadedFiresNothingWithoutCurrentCell) {
    int Clicks = 0;
    Grid->OnClick = [&](TObject*) { ++Clicks; };
    Grid->SetLoadedEvents(TCarrelonLoadedEvents{leOnClick});
    Grid->BeginLoading();
    Grid->SetRowCount(2);
    Grid->SetFixedRows(2);
    Grid->EndLoading();
    if (Grid->GetRow() == -1) {
        EXPECT_EQ(Clicks, 0);
    }
}

// A grid whose cells refuse to become current left of column MinCol.
class TPickyGrid : public TCarrelon {
public:
    using TCarrelon::TCarrelon;
    int MinCol = 0;
    int Asked = 0;

protected:
    bool SelectCell(int ACol, int) override {
        ++Asked;
        return ACol >= MinCol;
    }
};

TEST(CarrelonLoading, SelectCellWalkMovesToTheFirstAcceptedCell) {
    TForm Form(nullptr);
    auto* G = new TPickyGrid(&Form);
    G->MinCol = 3;
    G->SetLoadedEvents(TCarrelonLoadedEvents{leOnSelectCell});
    G->BeginLoading();
    G->EndLoading();
    EXPECT_EQ(G->GetCol(), 3);
    EXPECT_EQ(G->GetRow(), 1);
    EXPECT_TRUE(G->GetSelectedCells()->Contains(G->GetCells(3, 1)));
}

TEST(CarrelonLoading, SelectCellWalkStopsAtTheLastCellWhenEveryCellRefuses) {
    TForm Form(nullptr);
    auto* G = new TPickyGrid(&Form);
    G->MinCol = 1000;
    G->SetLoadedEvents(TCarrelonLoadedEvents{leOnSelectCell});
    G->BeginLoading();
    G->EndLoading();
    EXPECT_EQ(G->GetCol(), 1) << "left where the base grid put it";
    EXPECT_EQ(G->GetRow(), 1);
    EXPECT_LE(G->Asked, G->GetColCount() * G->GetRowCount() + 1);
}

TEST_F(CarrelonCoreTest, OutOfMemoryRestoresRowCount) {
    Grid->SetColCount(4);
    Grid->SetRowCount(10);
    Grid->GetCells(1, 9)->SetText("last");
    const long long Live = Access::LiveCells();
    Grid->SetCellBudget(100);  // 4 x 25 slots; 30 rows cannot be made
    Grid->SetRowCount(30);
    EXPECT_EQ(Grid->GetRowCount(), 10);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Out of memory");
    EXPECT_EQ(Access::LiveCells(), Live);
    EXPECT_EQ(Grid->GetCells(1, 9)->GetText(), "last");
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
    ExpectModelSound();
    Grid->SetRowCount(25);  // within the budget
    EXPECT_EQ(Grid->GetRowCount(), 25);
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, FailedAllocationAtAnyPointLeavesTheModelAsItWas) {
    // Growth by rows (5 absolute columns x 3 new cells) and by columns (2 new columns x 10
    // cells), failing at every cell allocation in turn, then once with none failing.
    struct Case {
        const char* Name;
        bool Rows;
        int Allocations;
    };
    for (const Case& c : {Case{"rows", true, 15}, Case{"columns", false, 20}}) {
        for (int FailAfter = 0; FailAfter <= c.Allocations; ++FailAfter) {
            TForm Form(nullptr);
            auto* G = new TCarrelon(&Form);
            G->SetColCount(5);
            G->SetRowCount(10);
            G->GetCols(3)->SetWidth(90);
            MakeMergedCell(G, 2, 4, 3, 6);
            G->GetCells(2, 4)->SetText("merged");
            G->GetCells(4, 9)->SetText("last");
            ASSERT_TRUE(G->HideColumn(1));
            std::vector<int> Order;
            for (int a = 0; a < G->GetAbsoluteColCount(); ++a)
                Order.push_back(G->GetAbsoluteCols(a)->GetCreationNumber());
            const long long Live = Access::LiveCells();
            Messages.clear();
            {
                TCellAllocationFailure Failure(FailAfter);
                if (c.Rows)
                    G->SetRowCount(13);
                else
                    G->SetColCount(6);
            }
            const std::string Where = std::string(c.Name) + ", failing after " +
                                      std::to_string(FailAfter) + " allocations";
            std::string Why;
            EXPECT_TRUE(Access::CheckModelInvariants(G, &Why)) << Where << ": " << Why;
            if (FailAfter == c.Allocations) {
                EXPECT_EQ(G->GetRowCount(), c.Rows ? 13 : 10) << Where;
                EXPECT_EQ(G->GetColCount(), c.Rows ? 4 : 6) << Where;
                EXPECT_TRUE(Messages.empty()) << Where;
                continue;
            }
            EXPECT_EQ(G->GetRowCount(), 10) << Where;
            EXPECT_EQ(G->GetColCount(), 4) << Where;
            EXPECT_EQ(Access::LiveCells(), Live) << Where;
            EXPECT_EQ(Messages, std::vector<AnsiString>{"Out of memory"}) << Where;
            std::vector<int> After;
            for (int a = 0; a < G->GetAbsoluteColCount(); ++a)
                After.push_back(G->GetAbsoluteCols(a)->GetCreationNumber());
            EXPECT_EQ(After, Order) << Where;
            EXPECT_EQ(G->GetAbsoluteCells(2, 6)->GetText(), "merged") << Where;
            EXPECT_EQ(G->GetAbsoluteCells(4, 9)->GetText(), "last") << Where;
            EXPECT_EQ(G->GetColWidths(2), 90) << Where;
        }
    }
}

TEST_F(CarrelonCoreTest, StoreMovesAColumnInBothLists) {
    // Absolute order A B(hidden) C D E; the visible column C moves behind E.
    Grid->SetColCount(5);
    ASSERT_TRUE(Grid->HideColumn(1));
    auto Numbers = [&](bool Absolute) {
        std::vector<int> Out;
        const int N = Absolute ? Grid->GetAbsoluteColCount() : Grid->GetColCount();
        for (int i = 0; i < N; ++i)
            Out.push_back(
                (Absolute ? Grid->GetAbsoluteCols(i) : Grid->GetCols(i))->GetCreationNumber());
        return Out;
    };
    const std::vector<int> Before = Numbers(true);  // A B C D E
    Access::Internals(Grid).FStore.Move(1, 3);
    const std::vector<int> Abs = Numbers(true);
    EXPECT_EQ(Abs, (std::vector<int>{Before[0], Before[1], Before[3], Before[4], Before[2]}));
    EXPECT_EQ(Numbers(false), (std::vector<int>{Before[0], Before[3], Before[4], Before[2]}));
    EXPECT_EQ(Grid->GetAbsoluteCols(4)->GetCol(), 3);
    EXPECT_EQ(Grid->GetHiddenCols(0)->GetAbsoluteNumber(), 1);
    Access::Internals(Grid).FStore.Move(3, 0);  // and back past the hidden column to the front
    EXPECT_EQ(Numbers(false), (std::vector<int>{Before[2], Before[0], Before[3], Before[4]}));
    EXPECT_EQ(Numbers(true),
              (std::vector<int>{Before[2], Before[0], Before[1], Before[3], Before[4]}));
    ExpectModelSound();
}

TEST_F(CarrelonCoreTest, OutOfMemoryRestoresColCount) {
    Grid->SetColCount(3);
    Grid->SetRowCount(10);
    Grid->GetCols(1)->Hide();
    const long long Live = Access::LiveCells();
    Grid->SetCellBudget(60);
    Grid->SetColCount(9);
    EXPECT_EQ(Grid->GetColCount(), 2);
    EXPECT_EQ(Grid->GetAbsoluteColCount(), 3);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Out of memory");
    EXPECT_EQ(Access::LiveCells(), Live);
    ExpectModelSound();
}

// An attached object that counts its instances.
struct Tracked : TObject {
    static inline int Alive = 0;
    Tracked() { ++Alive; }
    ~Tracked() override { --Alive; }
};

TEST(CarrelonLifetime, DestructionFreesEveryCellOnceAndAttachedObjectsOnRequest) {
    const long long Before = Access::LiveCells();
    {
        TForm Form(nullptr);
        auto* G = new TCarrelon(&Form);
        G->SetColCount(6);
        G->SetRowCount(6);
        // A merge over hidden, visible and hidden columns.
        MakeMergedCell(G, 1, 2, 3, 3);
        G->GetCols(1)->Hide();
        G->GetCols(2)->Hide();
        G->SetOptions(G->GetOptions() + cloFreeCellObjects);
        G->GetCells(0, 0)->SetObject(new Tracked);
        G->GetCells(3, 4)->SetObject(new Tracked);
        std::string Why;
        EXPECT_TRUE(Access::CheckModelInvariants(G, &Why)) << Why;
    }
    EXPECT_EQ(Access::LiveCells(), Before);
    EXPECT_EQ(Tracked::Alive, 0);

    Tracked Kept;
    {
        TForm Form(nullptr);
        auto* G = new TCarrelon(&Form);
        G->GetCells(1, 1)->SetObject(&Kept);  // without cloFreeCellObjects: not freed
    }
    EXPECT_EQ(Tracked::Alive, 1);
}

TEST_F(CarrelonCoreTest, FreedCellsLeaveNoPointerBehind) {
    Grid->SetRowCount(6);
    TCarrelonCell* Doomed = Grid->GetCells(1, 5);
    Access::Internals(Grid).FHintCell = Doomed;
    Access::Internals(Grid).FPushedButtonCell = Doomed;
    Access::Internals(Grid).FPendingResizeCell = Doomed;
    Grid->GetSelectedCells()->Add(Doomed);
    Grid->SetRowCount(5);
    EXPECT_EQ(Access::Internals(Grid).FHintCell, nullptr);
    EXPECT_EQ(Access::Internals(Grid).FPushedButtonCell, nullptr);
    EXPECT_EQ(Access::Internals(Grid).FPendingResizeCell, nullptr);
    EXPECT_FALSE(Grid->GetSelectedCells()->Contains(Doomed));
}

TEST_F(CarrelonCoreTest, RowHeights) {
    Grid->SetRowHeights(2, -4);
    EXPECT_EQ(Grid->GetRowHeights(2), 0);
    EXPECT_NE(Access::Internals(Grid).ReadFRowHeights(), nullptr);
    Grid->SetRowHeights(2, Grid->GetDefaultRowHeight());
    EXPECT_EQ(Access::Internals(Grid).ReadFRowHeights(), nullptr)
        << "every row at the default again";
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
    EXPECT_FALSE(Access::Internals(Grid).FMuteRowHeightsChanged);
}

TEST_F(CarrelonCoreTest, RowAndColumnEmptiness) {
    Grid->SetColCount(3);
    Grid->SetRowCount(3);
    EXPECT_TRUE(Grid->RowIsEmpty(1));
    Grid->GetCells(2, 1)->SetText("x");
    EXPECT_FALSE(Grid->RowIsEmpty(1));
    EXPECT_FALSE(Grid->ColumnIsEmpty(2));
    EXPECT_TRUE(Grid->ColumnIsEmpty(1));
}

TEST_F(CarrelonCoreTest, TopRowAndLeftColOutsideTheScrollablePartAreIgnored) {
    Grid->SetColCount(30);
    Grid->SetRowCount(60);
    Grid->SetFixedRows(2);
    Grid->SetFixedCols(2);
    Grid->SetTopRow(1);
    EXPECT_EQ(Grid->GetTopRow(), 2);
    Grid->SetTopRow(60);
    EXPECT_EQ(Grid->GetTopRow(), 2);
    Grid->SetTopRow(10);
    EXPECT_EQ(Grid->GetTopRow(), 10);
    Grid->SetLeftCol(1);
    EXPECT_EQ(Grid->GetLeftCol(), 2);
    Grid->SetLeftCol(30);
    EXPECT_EQ(Grid->GetLeftCol(), 2);
}

TEST_F(CarrelonCoreTest, MouseToCellGivesTheTopLeftSlotOfAMerge) {
    Grid->SetColCount(5);
    Grid->SetRowCount(5);
    MakeMergedCell(Grid, 1, 1, 3, 2);
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 2; ++r) {
            const TRect R = Grid->BoxRect(c, r, c, r);
            int ACol = -1, ARow = -1;
            ASSERT_TRUE(Grid->MouseToCell(R.Left + 2, R.Top + 2, ACol, ARow));
            EXPECT_EQ(ACol, 1) << "slot " << c << "," << r;
            EXPECT_EQ(ARow, 1) << "slot " << c << "," << r;
        }
    int ACol = 0, ARow = 0;
    EXPECT_FALSE(Grid->MouseToCell(-5, -5, ACol, ARow));
}

TEST_F(CarrelonCoreTest, IsCurrentCellCoversEveryMergedSlot) {
    Grid->SetColCount(4);
    Grid->SetRowCount(4);
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 1, 2, 2);
    ASSERT_EQ(Grid->GetCol(), 1);
    ASSERT_EQ(Grid->GetRow(), 1);
    EXPECT_TRUE(Grid->IsCurrentCell(M));
    EXPECT_FALSE(Grid->IsCurrentCell(Grid->GetCells(3, 3)));
}

}  // namespace
}  // namespace carrelon::test
