// Cells: attribute fallback to the column (both twins), own values against the column's, the
// life of the properties record, text and value rules, fonts, and merged extents.
#include <gtest/gtest.h>

#include "grid/Carrelon.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Locale.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class CarrelonCellTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(4);
        Grid->SetRowCount(6);
        Grid->SetFixedRows(2);
    }
};

TEST_F(CarrelonCellTest, AttributesFallBackToTheColumnTwinOfTheirRow) {
    TCarrelonCol* C = Grid->GetCols(1);
    TCarrelonCell* Fixed = Grid->GetCells(1, 1);
    TCarrelonCell* Plain = Grid->GetCells(1, 4);
    C->SetFixedTextAlignment(taRightJustify);
    C->SetTextAlignment(taCenter);
    C->SetFixedMaxLength(7);
    C->SetMaxLength(9);
    C->SetFixedReadOnly(true);
    C->SetFixedWordWrap(false);
    C->SetTextLayout(tlBottom);
    C->SetFixedGraphicAlignment(taCenter);
    C->SetGraphicLayout(tlCenter);
    C->SetFixedCheckBoxAlignment(taLeftJustify);
    C->SetCheckBoxChecked(true);
    C->SetColor(clRed);
    C->SetFixedColor(clBlue);

    EXPECT_EQ(Fixed->GetTextAlignment(), taRightJustify);
    EXPECT_EQ(Plain->GetTextAlignment(), taCenter);
    EXPECT_EQ(Fixed->GetMaxLength(), 7);
    EXPECT_EQ(Plain->GetMaxLength(), 9);
    EXPECT_TRUE(Fixed->GetReadOnly());
    EXPECT_FALSE(Plain->GetReadOnly());
    EXPECT_FALSE(Fixed->GetWordWrap());
    EXPECT_TRUE(Plain->GetWordWrap());
    EXPECT_EQ(Fixed->GetTextLayout(), tlTop);
    EXPECT_EQ(Plain->GetTextLayout(), tlBottom);
    EXPECT_EQ(Fixed->GetGraphicAlignment(), taCenter);
    EXPECT_EQ(Plain->GetGraphicLayout(), tlCenter);
    EXPECT_EQ(Fixed->GetCheckBoxAlignment(), taLeftJustify);
    EXPECT_EQ(Plain->GetCheckBoxAlignment(), taCenter);
    EXPECT_FALSE(Fixed->GetCheckBoxChecked());
    EXPECT_TRUE(Plain->GetCheckBoxChecked());
    EXPECT_EQ(Fixed->GetColor(), clBlue);
    EXPECT_EQ(Plain->GetColor(), clRed);
    EXPECT_FALSE(Access::HasProperties(Fixed));
    EXPECT_FALSE(Access::HasProperties(Plain));
}

TEST_F(CarrelonCellTest, ColumnColoursFallBackToTheGrid) {
    TCarrelonCell* Plain = Grid->GetCells(2, 4);
    TCarrelonCell* InFixedCol = Grid->GetCells(0, 4);
    EXPECT_EQ(Plain->GetColor(), Grid->GetColor());
    EXPECT_EQ(InFixedCol->GetColor(), Grid->GetFixedColor());
    EXPECT_EQ(Grid->GetCells(2, 0)->GetColor(), Grid->GetFixedColor());
    EXPECT_EQ(Plain->GetSelectedColor(), clHighlight);
    EXPECT_EQ(Plain->GetSelectedFontColor(), clHighlightText);
}

TEST_F(CarrelonCellTest, RecordExistsOnlyWhileSomethingDiffers) {
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    EXPECT_FALSE(Access::HasProperties(Cell));
    Cell->SetColor(clRed);
    EXPECT_TRUE(Access::HasProperties(Cell));
    Cell->SetColor(clDefault);
    EXPECT_FALSE(Access::HasProperties(Cell));
    // Setting the column's alignment on a cell that inherits stores nothing.
    Cell->SetTextAlignment(Cell->GetCol()->GetTextAlignment());
    EXPECT_FALSE(Access::HasProperties(Cell));
    Cell->SetHint("tip");
    Cell->SetReadOnly(true);
    Cell->SetHint("");
    EXPECT_TRUE(Access::HasProperties(Cell));
    // Assigning the column takes the cell's own value back, and the record goes with it.
    Cell->GetCol()->SetReadOnly(false);
    EXPECT_FALSE(Access::HasProperties(Cell));
}

TEST_F(CarrelonCellTest, OwnValuesWinOverTheColumnUntilTheColumnIsAssigned) {
    TCarrelonCol* C = Grid->GetCols(2);
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    TCarrelonCell* Other = Grid->GetCells(2, 4);
    C->SetColor(clRed);
    C->SetMaxLength(5);
    C->SetReadOnly(true);
    C->SetTextAlignment(taRightJustify);
    C->SetTextLayout(tlCenter);

    Cell->SetColor(clBlack);  // black is an own colour, not "inherit"
    Cell->SetMaxLength(0);    // an own limit of 0 is no limit, not "inherit"
    Cell->SetReadOnly(false);
    Cell->SetWordWrap(false);
    Cell->SetTextAlignment(taCenter);
    Cell->SetTextLayout(tlBottom);
    EXPECT_EQ(Cell->GetColor(), clBlack);
    EXPECT_EQ(Cell->GetMaxLength(), 0);
    EXPECT_FALSE(Cell->GetReadOnly());
    EXPECT_FALSE(Cell->GetWordWrap());
    EXPECT_EQ(Cell->GetTextAlignment(), taCenter);
    EXPECT_EQ(Cell->GetTextLayout(), tlBottom);
    EXPECT_EQ(Other->GetColor(), clRed);
    EXPECT_EQ(Other->GetMaxLength(), 5);
    EXPECT_TRUE(Other->GetReadOnly());
    EXPECT_EQ(Other->GetTextAlignment(), taRightJustify);

    Cell->SetMaxLength(65534);
    EXPECT_EQ(Cell->GetMaxLength(), 65534);
    Cell->SetMaxLength(65536);  // beyond the stored form: refused
    EXPECT_EQ(Cell->GetMaxLength(), 65534);
    Cell->SetMaxLength(65535);  // the inherit marker: back to the column's limit
    EXPECT_EQ(Cell->GetMaxLength(), 5);
    Cell->SetMaxLength(3);
    EXPECT_EQ(Cell->GetMaxLength(), 3);
    Cell->SetColor(clDefault);
    EXPECT_EQ(Cell->GetColor(), clRed);

    C->SetMaxLength(7);
    C->SetReadOnly(true);
    C->SetWordWrap(true);
    C->SetTextAlignment(taLeftJustify);
    C->SetTextLayout(tlTop);
    EXPECT_EQ(Cell->GetMaxLength(), 7);
    EXPECT_TRUE(Cell->GetReadOnly());
    EXPECT_TRUE(Cell->GetWordWrap());
    EXPECT_EQ(Cell->GetTextAlignment(), taLeftJustify);
    EXPECT_EQ(Cell->GetTextLayout(), tlTop);

    // A column colour of clBlack is inherited by cells without their own.
    C->SetColor(clBlack);
    EXPECT_EQ(Cell->GetColor(), clBlack);
    EXPECT_FALSE(Access::HasProperties(Cell));
}

// Saved files carry these forms of a cell's own values; they must not drift.
TEST(CellStoredForms, MatchWhatSavedFilesCarry) {
    EXPECT_EQ(TCellTriState().Stored(), 0);
    EXPECT_EQ(TCellTriState::Of(false).Stored(), 1);
    EXPECT_EQ(TCellTriState::Of(true).Stored(), 2);
    EXPECT_EQ(TCellOwnEnum<TAlignment>::Of(taLeftJustify).Stored(), 1);
    EXPECT_EQ(TCellOwnEnum<TAlignment>::Of(taCenter).Stored(), 3);
    EXPECT_EQ(TCellOwnEnum<TTextLayout>::Of(tlBottom).Stored(), 3);
    EXPECT_EQ(TCellOwnLength::Of(0).Stored(), 1);
    EXPECT_EQ(TCellOwnLength::Of(TCellOwnLength::Max).Stored(), 65535);
    EXPECT_EQ(TCellOwnColor::Of(clDefault).Stored(), 0);
    EXPECT_EQ(TCellOwnColor::Of(clBlack).Stored(), clDefault);
    EXPECT_EQ(TCellOwnColor::Of(clRed).Stored(), clRed);
    // Every stored form reads back as the value it was made from, and 0 as "not set".
    for (Byte b = 0; b <= 2; ++b)
        EXPECT_EQ(TCellTriState::FromStored(b), b == 0   ? TCellTriState()
                                                : b == 1 ? TCellTriState::Of(false)
                                                         : TCellTriState::Of(true));
    for (TColor c : {clBlack, clRed, clWindow})
        EXPECT_EQ(TCellOwnColor::FromStored(TCellOwnColor::Of(c).Stored()).Value(), c);
    EXPECT_FALSE(TCellOwnColor().IsSet());
    EXPECT_EQ(TCellOwnColor().Value(), clDefault);
}

TEST_F(CarrelonCellTest, CheckBoxAndButtonExcludeEachOther) {
    TCarrelonCol* C = Grid->GetCols(2);
    C->SetButton(true);
    TCarrelonCell* Cell = Grid->GetCells(2, 4);
    EXPECT_TRUE(Cell->GetButton());
    Cell->SetCheckBox(true);
    EXPECT_TRUE(Cell->GetCheckBox());
    EXPECT_FALSE(Cell->GetButton()) << "the column still says True";
    // Column twins: CheckBox on turns Button off; Button off leaves CheckBox alone.
    C->SetCheckBox(true);
    EXPECT_FALSE(C->GetButton());
    C->SetButton(false);
    EXPECT_TRUE(C->GetCheckBox());
}

TEST_F(CarrelonCellTest, HeadingRowShowsNoCheckBox) {
    Grid->SetSpreadsheetHeaders(true);
    ASSERT_TRUE(Grid->GetSpreadsheetHeaders());
    Grid->GetCols(2)->SetFixedCheckBox(true);
    EXPECT_FALSE(Grid->GetCells(2, 0)->GetCheckBox());
    EXPECT_TRUE(Grid->GetCells(2, 1)->GetCheckBox());
}

TEST_F(CarrelonCellTest, CheckBoxCheckedReportsChange) {
    std::vector<std::tuple<int, int, bool>> Seen;
    Grid->OnCheckBoxChanged = [&](TCarrelon*, int C, int R, bool B) { Seen.emplace_back(C, R, B); };
    Grid->GetCells(3, 4)->SetCheckBoxChecked(true);
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0], std::make_tuple(3, 4, true));
    // A column change fires once per cell whose state changes, a merged cell once.
    Seen.clear();
    MakeMergedCell(Grid, 1, 2, 1, 3);
    Grid->GetCols(1)->SetCheckBoxChecked(true);
    EXPECT_EQ(Seen.size(), 3u);  // rows 2 (merged 2..3), 4, 5
}

TEST_F(CarrelonCellTest, ColumnSettersResetCellsOfTheirTwinOnly) {
    Grid->SetRowCount(6);
    Grid->SetFixedRows(3);
    Grid->SetSpreadsheetHeaders(true);
    for (int r = 0; r < 6; ++r)
        Grid->GetCells(2, r)->SetColor(clLime);
    Grid->GetCols(2)->SetFixedColor(clYellow);
    EXPECT_EQ(Grid->GetCells(2, 0)->GetColor(), clLime) << "heading row keeps its own";
    EXPECT_EQ(Grid->GetCells(2, 1)->GetColor(), clYellow);
    EXPECT_EQ(Grid->GetCells(2, 2)->GetColor(), clYellow);
    EXPECT_EQ(Grid->GetCells(2, 3)->GetColor(), clLime);
    Grid->GetCols(2)->SetColor(clAqua);
    for (int r = 3; r < 6; ++r)
        EXPECT_EQ(Grid->GetCells(2, r)->GetColor(), clAqua) << "row " << r;
}

TEST_F(CarrelonCellTest, SetTextNormalisesLineBreaks) {
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    Cell->SetText("a\n\rb  ");
    EXPECT_EQ(Cell->GetText(), "a\r\nb");
    Cell->SetText("x\ny\rz");
    EXPECT_EQ(Cell->GetText(), "x\r\ny\r\nz");
    TCarrelonCell* Empty = Grid->GetCells(1, 3);
    int Changes = 0;
    Grid->OnCellTextChanged = [&](TCarrelon*, int, int, const AnsiString&, const AnsiString&) {
        ++Changes;
    };
    Empty->SetText("");
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Empty->GetValue().Type(), varEmpty);
}

TEST_F(CarrelonCellTest, SetTextReportsOldAndNewText) {
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    Cell->SetText("old");
    std::vector<std::pair<AnsiString, AnsiString>> Seen;
    int SeenCol = -1, SeenRow = -1;
    Grid->OnCellTextChanged = [&](TCarrelon*, int C, int R, const AnsiString& O,
                                  const AnsiString& N) {
        SeenCol = C;
        SeenRow = R;
        Seen.emplace_back(O, N);
    };
    Cell->SetText("new");
    Cell->SetText("new");  // the same string: nothing
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0], std::make_pair(AnsiString("old"), AnsiString("new")));
    EXPECT_EQ(SeenCol, 2);
    EXPECT_EQ(SeenRow, 3);
    // SetValue never reports a text change; a string value goes through SetText.
    Cell->SetValue(Variant(42));
    EXPECT_EQ(Seen.size(), 1u);
    Cell->SetValue(Variant(AnsiString("text")));
    EXPECT_EQ(Seen.size(), 2u);
}

TEST_F(CarrelonCellTest, SetTextClearsTheFormula) {
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    Cell->SetFormula("  a1+b2 ");
    EXPECT_EQ(Cell->GetFormula(), "A1+B2");
    EXPECT_EQ(Cell->GetValue().Type(), varEmpty);
    Cell->SetText("");
    EXPECT_EQ(Cell->GetFormula(), "");
    EXPECT_FALSE(Access::HasProperties(Cell));
}

TEST_F(CarrelonCellTest, ValuesKeepTheirTypeAndText) {
    struct Case {
        const char* Name;
        Variant Value;
        AnsiString Text;
    };
    const Case Cases[] = {
        {"integer", Variant(42), "42"},
        {"negative int64", Variant(-9000000000LL), "-9000000000"},
        {"double", Variant(2.5), "2.5"},
        {"boolean", Variant(true), "TRUE"},
        {"short text", Variant(AnsiString("abc")), "abc"},
        {"ten-byte text", Variant(AnsiString("0123456789")), "0123456789"},
        {"long text", Variant(AnsiString("a text longer than the inline room")),
         "a text longer than the inline room"},
        {"small integer", Variant(static_cast<short>(7)), "7"},
    };
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    for (const Case& c : Cases) {
        Cell->SetValue(c.Value);
        const Variant Back = Cell->GetValue();
        EXPECT_EQ(Back.Type(), c.Value.Type()) << c.Name;
        EXPECT_TRUE(Back == c.Value) << c.Name;
        EXPECT_EQ(Cell->GetText(), c.Text) << c.Name;
    }
    Cell->SetValue(Unassigned);
    EXPECT_EQ(Cell->GetValue().Type(), varEmpty);
    EXPECT_TRUE(Cell->IsEmpty());
}

TEST_F(CarrelonCellTest, WholeMinuteTimesShowWithoutSeconds) {
    TLocaleScope Locale;
    LongTimeFormat = "hh:nn:ss";
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    Cell->SetValue(Variant(TDateTime((10 * 60 + 30) / 1440.0)));
    EXPECT_EQ(Cell->GetText(), "10:30");
    Cell->SetValue(Variant(TDateTime((10 * 3600 + 30 * 60 + 15) / 86400.0)));
    EXPECT_EQ(Cell->GetText(), "10:30:15");
}

TEST_F(CarrelonCellTest, A1Names) {
    EXPECT_EQ(Grid->GetAbsoluteCells(0, 0)->GetA1Name(), "A1");
    EXPECT_EQ(Grid->GetAbsoluteCells(3, 5)->GetA1Name(), "D6");
    Grid->SetSpreadsheetHeaders(true);
    ASSERT_TRUE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(Grid->GetAbsoluteCells(1, 1)->GetA1Name(), "A1");
    EXPECT_EQ(Grid->GetAbsoluteCells(0, 3)->GetA1Name(), "");
    EXPECT_EQ(Grid->GetAbsoluteCols(0)->GetA1Name(), "");
    EXPECT_EQ(Grid->GetAbsoluteCols(1)->GetA1Name(), "A");
}

TEST_F(CarrelonCellTest, MergedExtentsSkipHiddenColumns) {
    Grid->SetColCount(6);
    TCarrelonCell* M = MakeMergedCell(Grid, 2, 3, 4, 4);
    EXPECT_EQ(M->GetStartCol(), 2);
    EXPECT_EQ(M->GetEndCol(), 4);
    EXPECT_EQ(M->GetEndRow(), 4);
    Grid->GetAbsoluteCols(2)->Hide();
    EXPECT_EQ(M->GetStartCol(), 2) << "first visible column of the range";
    EXPECT_EQ(M->GetEndCol(), 3);
    Grid->GetAbsoluteCols(3)->Hide();
    Grid->GetAbsoluteCols(4)->Hide();
    EXPECT_EQ(M->GetStartCol(), -1);
    EXPECT_EQ(M->GetEndCol(), -1);
    EXPECT_FALSE(M->GetVisible());
    ExpectModelSound();
}

TEST_F(CarrelonCellTest, InvariantCheckFindsBrokenMerges) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 3, 2, 4);
    std::string Why;
    ASSERT_TRUE(Access::CheckModelInvariants(Grid, &Why)) << Why;
    Access::WriteFEndRow(M, 3);  // the object still stands in row 4
    EXPECT_FALSE(Access::CheckModelInvariants(Grid, &Why));
    EXPECT_NE(Why.find("below its end row"), std::string::npos) << Why;
    Access::WriteFEndRow(M, 4);
    // A merge across the fixed-row boundary.
    Grid->SetFixedRows(4);
    EXPECT_EQ(Grid->GetFixedRows(), 5);
    ExpectModelSound();
}

TEST_F(CarrelonCellTest, UnchangedFontIsDroppedButStaysValidForItsHolder) {
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    std::shared_ptr<TFont> Held = Cell->GetFont();
    ASSERT_NE(Access::OwnFont(Cell), nullptr);
    EXPECT_FALSE(Access::FontUsed(Cell));
    EXPECT_EQ(Access::OwnFont(Cell), nullptr);
    Held->SetSize(20);  // the holder's font is still alive and no longer tied to the cell
    EXPECT_EQ(Access::OwnFont(Cell), nullptr);
    EXPECT_FALSE(Access::HasProperties(Cell));

    Cell->GetFont()->SetColor(clRed);
    EXPECT_TRUE(Access::FontUsed(Cell));
    EXPECT_EQ(Cell->CalcFont()->GetColor(), clRed);
}

TEST_F(CarrelonCellTest, ColumnFontChangePassesTheFirstDifferingAttribute) {
    TCarrelonCol* C = Grid->GetCols(2);
    TFont* ColFont = C->GetFont();
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    Cell->GetFont()->SetColor(clRed);
    ColFont->SetSize(14);
    EXPECT_EQ(Cell->CalcFont()->GetSize(), 14);
    EXPECT_EQ(Cell->CalcFont()->GetColor(), clRed);
    EXPECT_TRUE(Access::FontSet(C));
    // A column SetFont drops the cells' own fonts in its rows.
    TFont F;
    F.SetName("Courier New");
    C->SetFont(&F);
    EXPECT_EQ(Access::OwnFont(Cell), nullptr);
    EXPECT_EQ(Cell->CalcFont()->GetName(), "Courier New");
}

TEST_F(CarrelonCellTest, WidePictureWidensTheFirstVisibleColumn) {
    Grid->SetColCount(5);
    TBitmap Wide;
    Wide.SetSize(200, 10);
    TCarrelonCell* Cell = Grid->GetCells(2, 3);
    const int W = Grid->GetCols(2)->GetWidth();
    Cell->SetGraphic(&Wide);
    ASSERT_NE(Cell->GetGraphic(), nullptr);
    EXPECT_FALSE(Cell->IsEmpty());
    // The picture needs 200 pixels; the column offers its width less its line.
    EXPECT_EQ(Grid->GetCols(2)->GetWidth(), W + 200 - (W - Grid->GetCols(2)->GetGridLineWidth()));

    // A merge whose start column is hidden widens the visible column, not the hidden one.
    TCarrelonCell* M = MakeMergedCell(Grid, 3, 4, 4, 4);
    Grid->GetAbsoluteCols(3)->Hide();
    const int Hidden = Grid->GetAbsoluteCols(3)->GetWidth();
    M->SetGraphic(&Wide);
    EXPECT_EQ(Grid->GetAbsoluteCols(3)->GetWidth(), Hidden);
    EXPECT_GE(Grid->GetAbsoluteCols(4)->GetWidth(), 200);

    Cell->SetGraphic(nullptr);
    EXPECT_EQ(Cell->GetGraphic(), nullptr);
    EXPECT_FALSE(Access::HasProperties(Cell));
}

}  // namespace
}  // namespace carrelon::test
