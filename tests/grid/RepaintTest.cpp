// The update lock, guarded painting, and the grid's reactions to colour and font changes.
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/PaintTestSupport.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

TEST_F(GridPaintTest, NestedLockSwitchesRedrawOnceAndRepaintsOnce) {
    test::ProcessPendingEvents();
    Grid->PaintCount = 0;
    Grid->RedrawSwitches.clear();
    EXPECT_EQ(Grid->DisableControls(), 1);
    EXPECT_EQ(Grid->DisableControls(), 2);
    Grid->GetCells(1, 1)->SetText("changed");
    Grid->Invalidate();
    Grid->Update();
    EXPECT_EQ(Grid->EnableControls(), 1);
    test::ProcessPendingEvents();
    EXPECT_EQ(Grid->PaintCount, 0) << "painted inside the lock";
    EXPECT_EQ(Grid->EnableControls(), 0);
    test::ProcessPendingEvents();
    EXPECT_EQ(Grid->PaintCount, 1);
    EXPECT_EQ(Grid->RedrawSwitches, (std::vector<std::intptr_t>{0, 1}));
    // Unbalanced unlocking is harmless.
    EXPECT_EQ(Grid->EnableControls(), 0);
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
}

TEST_F(GridPaintTest, UnlockDropsWhatWasMarkedDuringTheLock) {
    test::ProcessPendingEvents();
    Grid->PaintCount = 0;
    TCarrelonPrivate& d = Access::Internals(Grid);
    // Taken inside a bulk operation's level, the lock leaves redraw on, so a cell marked for
    // repainting meanwhile stays marked.
    ++d.FUpdateCount;
    Grid->DisableControls();
    --d.FUpdateCount;
    const TRect R = Grid->CellRect(1, 1);
    InvalidateRect(Grid->GetHandle(), &R, false);
    // A paste under way holds the unlock's repaint back; it repaints once at its own end.
    d.FPasting = true;
    EXPECT_EQ(Grid->EnableControls(), 0);
    d.FPasting = false;
    test::ProcessPendingEvents();
    EXPECT_EQ(Grid->PaintCount, 0) << "what was marked during the lock painted after it";
}

TEST_F(GridPaintTest, LockOnAHiddenGridNeverSwitchesRedraw) {
    Grid->SetVisible(false);
    Grid->RedrawSwitches.clear();
    Grid->DisableControls();
    Grid->EnableControls();
    EXPECT_TRUE(Grid->RedrawSwitches.empty());
}

TEST_F(GridPaintTest, UnlockFitsRowsOnlyWithTheAutoHeightOptions) {
    TCarrelonOptions o = Grid->GetOptions();
    o.Exclude(cloAutoIncreaseRowHeights);
    o.Exclude(cloAutoDecreaseRowHeights);
    Grid->SetOptions(o);
    Grid->DisableControls();
    Grid->GetCells(1, 2)->SetText("a\r\nb\r\nc");
    Grid->EnableControls();
    EXPECT_EQ(Grid->GetRowHeights(2), 18);
}

TEST_F(GridPaintTest, PendingSkipDoesNotSwallowARealRepaint) {
    test::ProcessPendingEvents();
    Grid->PaintCount = 0;
    Access::Internals(Grid).FSkipNextPaint = true;
    Grid->Invalidate();
    test::ProcessPendingEvents();
    EXPECT_FALSE(Access::Internals(Grid).FSkipNextPaint);
    EXPECT_EQ(Grid->PaintCount, 1);
    PaintGrid();
    EXPECT_FALSE(Records(TCanvasOp::FillRect).empty());
}

TEST_F(GridPaintTest, BackgroundColourKeepsLinesVisible) {
    struct Case {
        TColor Lines, Background, Expected;
    } cases[] = {
        {clSilver, clSilver, clGray},
        // A system colour that shows as silver counts as silver.
        {clSilver, clBtnFace, clGray},
        {clRed, clRed, clSilver},
        {clSilver, clWhite, clSilver},
    };
    for (const Case& c : cases) {
        Grid->SetColor(clWhite);
        Grid->SetGridLineColor(c.Lines);
        Grid->SetColor(c.Background);
        EXPECT_EQ(Grid->GetGridLineColor(), c.Expected)
            << std::hex << "lines " << c.Lines << " background " << c.Background;
    }
}

TEST_F(GridPaintTest, BackgroundColourResetsScrollableColumnColours) {
    Grid->GetCols(0)->SetColor(clRed);
    Grid->GetCols(2)->SetColor(clRed);
    Grid->GetCells(3, 3)->SetColor(clBlue);
    Grid->GetCells(3, 0)->SetColor(clBlue);
    Grid->SetColor(clYellow);
    EXPECT_EQ(Grid->GetCols(0)->GetColor(), clRed);  // fixed column keeps its colour
    EXPECT_EQ(Grid->GetCols(2)->GetColor(), clYellow);
    EXPECT_EQ(Grid->GetCells(3, 3)->GetColor(), clYellow);
    EXPECT_EQ(Grid->GetCells(3, 0)->GetColor(), clBlue);  // fixed row keeps its own
}

TEST_F(GridPaintTest, FixedColourTakesBackFixedOverridesOnly) {
    Grid->SetColCount(6);
    Grid->GetAbsoluteCols(3)->Hide();
    Grid->GetAbsoluteCells(0, 3)->SetColor(clRed);  // fixed column, scrollable row
    Grid->GetAbsoluteCells(2, 0)->SetColor(clRed);  // fixed row
    Grid->GetAbsoluteCells(3, 0)->SetColor(clRed);  // fixed row of a hidden column
    Grid->GetAbsoluteCols(2)->SetColor(clBlue);
    Grid->GetAbsoluteCells(2, 2)->SetColor(clAqua);  // scrollable
    Grid->SetFixedColor(Grid->GetFixedColor());      // unchanged value still resets
    const TColor Fixed = Grid->GetFixedColor();
    EXPECT_EQ(Grid->GetAbsoluteCells(0, 3)->GetColor(), Fixed);
    EXPECT_EQ(Grid->GetAbsoluteCells(2, 0)->GetColor(), Fixed);
    EXPECT_EQ(Grid->GetAbsoluteCells(3, 0)->GetColor(), Fixed);
    EXPECT_EQ(Grid->GetAbsoluteCells(2, 2)->GetColor(), clAqua);
    EXPECT_EQ(Grid->GetAbsoluteCols(2)->GetColor(), clBlue);
}

TEST_F(GridPaintTest, FixedColourKeepsFixedLinesVisible) {
    struct Case {
        TColor Lines, Fixed, Expected;
    } cases[] = {
        {clBlack, clBlack, clGray},
        {clBlack, clWindowText, clGray},  // a system colour showing black
        {clRed, clRed, clBlack},
        {clBlack, clWhite, clBlack},
    };
    for (const Case& c : cases) {
        Grid->SetFixedColor(clWhite);
        Grid->SetFixedGridLineColor(c.Lines);
        Grid->SetFixedColor(c.Fixed);
        EXPECT_EQ(Grid->GetFixedGridLineColor(), c.Expected)
            << std::hex << "lines " << c.Lines << " fixed " << c.Fixed;
        EXPECT_EQ(Grid->GetSortIndicatorColor(), c.Fixed);
    }
}

TEST_F(GridPaintTest, SelectionColoursTakeBackEveryCellsOwn) {
    Grid->GetAbsoluteCells(2, 2)->SetSelectedColor(clRed);
    Grid->GetAbsoluteCells(3, 4)->SetSelectedFontColor(clRed);
    Grid->GetAbsoluteCols(3)->Hide();
    Grid->SetSelectionColor(clGreen);
    Grid->SetSelectionFontColor(clYellow);
    EXPECT_EQ(Grid->GetAbsoluteCells(2, 2)->GetSelectedColor(), clGreen);
    EXPECT_EQ(Grid->GetAbsoluteCells(3, 4)->GetSelectedFontColor(), clYellow);
    EXPECT_FALSE(Access::HasProperties(Grid->GetAbsoluteCells(2, 2)));
}

TEST_F(GridPaintTest, BorderForTextSetsTheDefaultRowHeight) {
    Grid->SetBorderForText(0);
    EXPECT_EQ(Grid->GetDefaultRowHeight(), 13 + 1);
    Grid->SetBorderForText(5);
    EXPECT_EQ(Grid->GetDefaultRowHeight(), 13 + 10 + 1);
    Grid->SetBorderForText(1000);  // a one-byte property
    EXPECT_EQ(Grid->GetBorderForText(), 255);
}

TEST_F(GridPaintTest, ScrollBarsComingAndGoingAreReported) {
    std::vector<std::pair<bool, bool>> seen;
    Grid->OnShowScrollBars = [&](TCarrelon*, bool& H, bool& V) { seen.emplace_back(H, V); };
    Grid->SetRowCount(200);
    test::ProcessPendingEvents();
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.back().second);
    const size_t shown = seen.size();
    Grid->SetRowCount(5);
    test::ProcessPendingEvents();
    ASSERT_GT(seen.size(), shown);
    EXPECT_FALSE(seen.back().second);
}

TEST_F(GridPaintTest, ScrollBarHandlerCanRefuseABar) {
    Grid->OnShowScrollBars = [&](TCarrelon*, bool&, bool& V) { V = false; };
    Grid->SetRowCount(200);
    test::ProcessPendingEvents();
    EXPECT_EQ(GetWindowLongA(Grid->GetHandle(), GWL_STYLE) & WS_VSCROLL, 0);
}

class FontChangeTest : public GridPaintTest {
protected:
    void SetUp() override {
        GridPaintTest::SetUp();
        TFont Own;
        Own.Assign(Grid->GetFont());
        Own.SetColor(clRed);
        Grid->GetCols(1)->SetFont(&Own);                    // an explicit column font
        Grid->GetCells(2, 2)->GetFont()->SetColor(clBlue);  // an own cell font in use
    }
    TFont* ColumnFont() { return Access::OwnFont(Grid->GetCols(1)); }
    TFont* CellFont() { return Access::OwnFont(Grid->GetCells(2, 2)); }
};

TEST_F(FontChangeTest, OneAttributeIsPushedIntoOwnFonts) {
    Grid->GetFont()->SetSize(14);
    ASSERT_NE(ColumnFont(), nullptr);
    ASSERT_NE(CellFont(), nullptr);
    EXPECT_EQ(ColumnFont()->GetSize(), 14);
    EXPECT_EQ(ColumnFont()->GetColor(), clRed);
    EXPECT_EQ(CellFont()->GetSize(), 14);
    EXPECT_EQ(CellFont()->GetColor(), clBlue);
    EXPECT_GT(Grid->GetDefaultRowHeight(), 18);
}

TEST_F(FontChangeTest, SeveralAttributesDropOwnFonts) {
    TFont F;
    F.Assign(Grid->GetFont());
    F.SetSize(14);
    F.SetStyle(TFontStyles{fsBold});
    Grid->GetFont()->Assign(&F);
    EXPECT_EQ(ColumnFont(), nullptr);
    EXPECT_EQ(CellFont(), nullptr);
    EXPECT_FALSE(Access::FontSet(Grid->GetCols(1)));
}

TEST_F(FontChangeTest, ChangeOfNothingThatCountsKeepsOwnFonts) {
    Grid->GetFont()->SetPitch(fpFixed);
    ASSERT_NE(ColumnFont(), nullptr);
    ASSERT_NE(CellFont(), nullptr);
    EXPECT_EQ(ColumnFont()->GetColor(), clRed);
}

TEST_F(FontChangeTest, ColourIsPushedAndTheRowHeightFollowsASizeChangedWithIt) {
    TFont F;
    F.Assign(Grid->GetFont());
    F.SetColor(clGreen);
    F.SetSize(16);
    Grid->GetFont()->Assign(&F);
    ASSERT_NE(ColumnFont(), nullptr);
    EXPECT_EQ(ColumnFont()->GetColor(), clGreen);
    EXPECT_EQ(CellFont()->GetColor(), clGreen);
    EXPECT_GT(Grid->GetDefaultRowHeight(), 18);
}

}  // namespace
}  // namespace carrelon::test
