// The whole grid rendered into a bitmap: its size from the visible columns, the rows and the
// border, what is drawn (every visible column from the first rows, nothing selected), what is
// left as it was (scroll position, events, options, selection, the lock), and the refusals.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "grid/Carrelon.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Pictures.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class BitmapRendering : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(3);
        Grid->SetRowCount(4);
    }
    TColor Pixel(int X, int Y) { return Bitmap.GetCanvas()->GetPixels(X, Y); }
    // The centre of a slot in the bitmap (border B included), rows and columns from the start.
    TColor CellPixel(int Col, int Row, int B = 2) {
        int X = B, Y = B;
        for (int k = 0; k < Col; ++k)
            X += Grid->GetColWidths(k);
        for (int r = 0; r < Row; ++r)
            Y += Grid->GetRowHeights(r);
        return Pixel(X + Grid->GetColWidths(Col) / 2, Y + Grid->GetRowHeights(Row) / 2);
    }

    TBitmap Bitmap;
};

TEST_F(BitmapRendering, SizeComesFromTheColumnsRowsAndBorder) {
    struct Case {
        TBorderStyle Style;
        bool Ctl3D;
        int Width, Height;
    } Cases[] = {{bsSingle, true, 194, 74}, {bsSingle, false, 193, 73}, {bsNone, true, 192, 72}};
    for (const Case& c : Cases) {
        Grid->SetBorderStyle(c.Style);
        Grid->SetCtl3D(c.Ctl3D);
        ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
        EXPECT_EQ(Bitmap.GetWidth(), c.Width);
        EXPECT_EQ(Bitmap.GetHeight(), c.Height);
    }
    EXPECT_FALSE(Grid->SaveToBitmap(nullptr));
}

TEST_F(BitmapRendering, ColoursAtPoints) {
    Grid->GetCells(1, 1)->SetColor(clRed);
    Grid->GetCells(2, 3)->SetColor(clLime);
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(Pixel(0, 0), ColorToRGB(clBtnShadow));  // the sunken edge
    EXPECT_EQ(CellPixel(0, 0), ColorToRGB(Grid->GetFixedColor()));
    EXPECT_EQ(CellPixel(1, 1), clRed);
    EXPECT_EQ(CellPixel(2, 3), clLime);
    EXPECT_EQ(CellPixel(2, 2), ColorToRGB(Grid->GetColor()));
}

TEST_F(BitmapRendering, EveryVisibleColumnIsDrawnAndHiddenOnesAreLeftOut) {
    Grid->SetColCount(40);  // far wider than the window
    Grid->GetCells(39, 1)->SetColor(clBlue);
    Grid->GetCells(2, 1)->SetColor(clRed);
    ASSERT_TRUE(Grid->HideColumn(2));
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(Bitmap.GetWidth(), 39 * 64 + 2);
    EXPECT_EQ(CellPixel(38, 1), clBlue);
    for (int k = 0; k < 39; ++k)
        EXPECT_NE(CellPixel(k, 1), clRed) << k;
}

TEST_F(BitmapRendering, AScrolledGridRendersFromItsStartAndStaysScrolled) {
    Grid->SetRowCount(60);
    Grid->SetColCount(30);
    Grid->GetCells(1, 1)->SetColor(clRed);
    Grid->SetTopRow(50);
    Grid->SetLeftCol(20);
    int TopLeftChanges = 0;
    Grid->OnTopLeftChanged = [&](TObject*) { ++TopLeftChanges; };
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(CellPixel(1, 1), clRed);
    EXPECT_EQ(Bitmap.GetHeight(), 60 * Grid->GetDefaultRowHeight() + 2);
    EXPECT_EQ(Grid->GetTopRow(), 50);
    EXPECT_EQ(Grid->GetLeftCol(), 20);
    EXPECT_EQ(TopLeftChanges, 0);
    EXPECT_EQ(Grid->GetWidth(), 600);
    EXPECT_EQ(Grid->GetHeight(), 400);
}

TEST_F(BitmapRendering, NothingIsDrawnSelectedAndTheSelectionComesBack) {
    Grid->SetOptions(Grid->GetOptions() + cloRangeSelect + cloDrawFocusSelected);
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 2));
    TCarrelonSelection* Selection = Grid->GetSelectedCells();
    const int Listed = Selection->GetCount();
    ASSERT_GT(Listed, 1);
    const TCarrelonOptions Options = Grid->GetOptions();
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 2; ++k)
            EXPECT_EQ(CellPixel(k, r), ColorToRGB(Grid->GetColor())) << k << "," << r;
    EXPECT_EQ(Grid->GetSelectedCells(), Selection);
    EXPECT_EQ(Selection->GetCount(), Listed);
    EXPECT_TRUE(Grid->GetCells(2, 2)->GetSelected());
    EXPECT_EQ(Grid->GetOptions(), Options);
}

TEST_F(BitmapRendering, RendersInsideALockWithAPendingSkipWithoutParentOrWhileHidden) {
    Grid->GetCells(1, 1)->SetColor(clRed);
    TBitmap First;
    ASSERT_TRUE(Grid->SaveToBitmap(&First));
    const auto Same = [&] { return Bitmap.SaveToData() == First.SaveToData(); };

    Grid->DisableControls();
    Access::Internals(Grid).FSkipNextPaint = true;
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_TRUE(Same());
    EXPECT_TRUE(Access::Internals(Grid).FSkipNextPaint);  // left for the window's next paint
    Access::Internals(Grid).FSkipNextPaint = false;
    EXPECT_EQ(Grid->EnableControls(), 0);

    Grid->SetVisible(false);
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_TRUE(Same());
    Grid->SetVisible(true);

    Grid->SetParent(nullptr);
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_TRUE(Same());
    Grid->SetParent(Form.get());
}

TEST_F(BitmapRendering, AHandlerThatThrowsLeavesTheGridAsItWas) {
    Grid->GetCells(1, 1)->SetText("x");
    Grid->SetRowCount(40);
    Grid->SetTopRow(30);
    TCarrelonSelection* Selection = Grid->GetSelectedCells();
    const TCarrelonOptions Options = Grid->GetOptions();
    Grid->OnDisplayText = [](TCarrelon*, TCarrelonCell*, const AnsiString&) {
        throw std::runtime_error("display");
    };
    EXPECT_THROW(Grid->SaveToBitmap(&Bitmap), std::runtime_error);
    EXPECT_EQ(Grid->GetTopRow(), 30);
    EXPECT_EQ(Grid->GetSelectedCells(), Selection);
    EXPECT_EQ(Grid->GetOptions(), Options);
    EXPECT_FALSE(Access::Internals(Grid).FRenderingBitmap);
    Grid->OnDisplayText = nullptr;
    // The canvas keeps no offset from the interrupted painting.
    TBitmap Fresh;
    ASSERT_TRUE(Grid->SaveToBitmap(&Fresh));
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(Bitmap.SaveToData(), Fresh.SaveToData());
}

TEST_F(BitmapRendering, SizesBeyondTheBitmapsLimitsAreRefusedBeforeAllocating) {
    Bitmap.SetSize(7, 5);
    Grid->SetColCount(20);
    const int Row = Grid->GetDefaultRowHeight();
    // Too tall for a bitmap, then too many pixels though each side would fit.
    for (const int Rows : {MaxMadeBitmapSide / Row + 1, 20000}) {
        Grid->SetRowCount(Rows);
        EXPECT_FALSE(Grid->SaveToBitmap(&Bitmap)) << Rows;
        EXPECT_EQ(Bitmap.GetWidth(), 7);
        EXPECT_EQ(Bitmap.GetHeight(), 5);
    }
    // Widths whose sum passes 32 bits.
    Grid->SetRowCount(2);
    Grid->SetColCount(40000);
    for (int k = 0; k < 40000; ++k)
        Grid->SetColWidths(k, 65535);
    EXPECT_FALSE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(Bitmap.GetWidth(), 7);
}

TEST_F(BitmapRendering, TwoRenderingsAreEqualAndTextsAreDrawn) {
    Grid->GetCells(1, 1)->SetText("Total\r\nlines");
    Grid->GetCells(2, 1)->SetText("\xff\xfe\xc3(");  // not UTF-8: drawn without harm
    int Shown = 0;
    Grid->OnDisplayText = [&](TCarrelon*, TCarrelonCell*, const AnsiString&) { ++Shown; };
    TBitmap First;
    ASSERT_TRUE(Grid->SaveToBitmap(&First));
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(Bitmap.SaveToData(), First.SaveToData());
    EXPECT_GE(Shown, 2);
    // Inside the text cell's lines some pixel is not its background: the text.
    const int Top = 2 + Grid->GetRowHeights(0);
    bool Ink = false;
    for (int Y = Top + 2; Y < Top + Grid->GetRowHeights(1) - 2 && !Ink; ++Y)
        for (int X = 2 + 64 + 2; X < 2 + 128 - 2 && !Ink; ++X)
            Ink = Pixel(X, Y) != ColorToRGB(Grid->GetColor());
    EXPECT_TRUE(Ink);
}

TEST(BitmapRenderingGate, AnEditorThatStaysOpenRefusesTheRendering) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    OpenEditorThatStaysOpen(Grid);
    TBitmap Bitmap;
    EXPECT_FALSE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_TRUE(Bitmap.GetEmpty());
    Grid->OnCellChanged = nullptr;
    Grid->SetEditorMode(false);
    EXPECT_TRUE(Grid->SaveToBitmap(&Bitmap));
}

TEST(BitmapRenderingShown, TheWindowNeitherMovesNorRepaintsAndTheEditorReopens) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    Grid->SetRowCount(200);
    Grid->SetOptions(Grid->GetOptions() + cloAlwaysShowEditor);
    Grid->SetFocus();
    ProcessPendingEvents();
    ASSERT_TRUE(Grid->GetEditorMode());
    int Bars = 0;
    Grid->OnShowScrollBars = [&](TCarrelon*, bool&, bool&) { ++Bars; };
    TBitmap Bitmap;
    ASSERT_TRUE(Grid->SaveToBitmap(&Bitmap));
    EXPECT_EQ(Bitmap.GetHeight(), 200 * Grid->GetDefaultRowHeight() + 2);
    EXPECT_TRUE(Grid->GetEditorMode());
    ProcessPendingEvents();
    EXPECT_EQ(Bars, 0);
    EXPECT_EQ(Grid->GetHeight(), 280);
    EXPECT_FALSE(Access::Internals(Grid).FSkipNextPaint);
}

}  // namespace
}  // namespace carrelon::test
