#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/controls/Menus.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Locale.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"
#include "tests/support/IniTestSupport.h"
#include "tests/support/TempFolder.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

// Replaces the line "Key=..." of the text's section, or adds it at the section's start.
std::string WithLine(std::string Text, const std::string& Section, const std::string& Line) {
    const std::string head = "[" + Section + "]\r\n";
    const std::size_t at = Text.find(head);
    if (at == std::string::npos) return Text + head + Line + "\r\n\r\n";
    const std::string key = Line.substr(0, Line.find('=') + 1);
    const std::size_t body = at + head.size();
    const std::size_t end = Text.find("\r\n\r\n", body);
    const std::size_t old = Text.find("\r\n" + key, body - 2);
    if (old != std::string::npos && old < end) {
        const std::size_t from = old + 2;
        Text.replace(from, Text.find("\r\n", from) - from, Line);
        return Text;
    }
    return Text.insert(body, Line + "\r\n");
}

// A grid with something set of every kind the text carries.
void FillEverything(TCarrelon* G, TPopupMenu* Menu) {
    G->SetColCount(7);
    G->SetRowCount(8);
    G->SetFixedRows(2);
    G->SetDefaultColWidth(70);
    G->SetColor(clInfoBk);
    G->SetGridLineColor(clGray);
    G->SetSelectionColor(clNavy);
    G->SetBorderForText(3);
    G->SetGridLineWidth(255);  // the widest a grid takes
    G->SetSortColumn(2);
    G->SetSortIndicator(true);
    G->SetTabOptions(TCarrelonTabOptions{toTabOutOfGrid});
    G->SetHint("grid\r\nhint");
    G->SetShowHint(true);
    G->SetTag(-77);
    G->SetCursor(crHandPoint);
    G->SetDragMode(dmAutomatic);
    G->SetExportTag("<br>");
    TSizeConstraints C;
    C.MinWidth = 100;
    G->SetConstraints(C);
    G->SetPopupMenu(Menu);
    TFont F;
    F.Assign(G->GetFont());
    F.SetName("Liberation Serif");
    F.SetSize(11);
    G->SetFont(&F);
    G->GetPrintMargins()->SetLeft(0.1);
    G->GetPrintMargins()->SetBottom(0.05);
    G->GetPrintHeader()->GetLines()->Add("Head 1");
    G->GetPrintHeader()->GetLines()->Add("Head\r\n2");
    G->GetPrintHeader()->SetAlignment(taCenter);
    G->GetPrintFooter()->SetDistance(0.02);
    G->GetPrintFooter()->GetFont()->SetStyle(TFontStyles{fsItalic});
    G->SetPrintOptions(TCarrelonPrintOptions{poRepeatFixedCols, poRepeatFixedRows});

    TCarrelonCol* c1 = G->GetCols(1);
    c1->SetWidth(90);
    c1->SetMinWidth(20);
    c1->SetMovable(false);
    c1->SetGridLineColor(clRed);
    c1->SetFixedColor(clYellow);
    c1->SetTextAlignment(taRightJustify);
    c1->SetFixedGraphicLayout(tlBottom);
    c1->SetCheckBox(true);
    c1->SetFixedWordWrap(false);
    c1->SetMaxLength(40);
    TFont CF;
    CF.Assign(G->GetFont());
    CF.SetStyle(TFontStyles{fsBold});
    c1->SetFont(&CF);
    G->GetCols(2)->SetFixedButton(true);
    G->GetCols(2)->SetReadOnly(true);
    G->GetCols(3)->SetCheckBoxAlignment(taRightJustify);

    G->GetCells(1, 2)->SetText("text\r\nwith a break");
    G->GetCells(2, 2)->SetValue(Variant(12.75));
    G->GetCells(3, 2)->SetValue(Variant(TDateTime(45100.5)));
    G->GetCells(4, 2)->SetValue(Variant(Currency::FromRaw(99990000)));
    G->GetCells(5, 2)->SetValue(Variant(true));
    G->GetCells(6, 2)->SetValue(Variant(-3.0));
    G->GetCells(1, 3)->SetColor(clBlack);
    G->GetCells(1, 3)->SetSelectedFontColor(clHighlightText);
    G->GetCells(2, 3)->SetHint("cell\r\nhint");
    G->GetCells(2, 3)->GetFont()->SetColor(clGreen);
    G->GetCells(3, 3)->SetTextLayout(tlCenter);
    G->GetCells(3, 3)->SetMaxLength(8);
    G->GetCells(3, 3)->SetWordWrap(false);
    G->GetCells(4, 3)->SetCheckBox(true);
    G->GetCells(4, 3)->SetCheckBoxChecked(true);
    G->GetCells(4, 3)->SetCheckBoxAlignment(taLeftJustify);
    G->GetCells(5, 3)->SetButton(true);
    G->GetCells(6, 3)->SetReadOnly(true);
    G->GetCells(6, 3)->GetInnerBorder()->SetWidth(2);
    G->GetCells(6, 3)->GetOuterBorder()->SetColor(clBtnShadow);
    TBitmap B;
    B.SetSize(3, 2);
    B.SetTransparent(true);
    G->GetCells(5, 4)->SetGraphic(&B);
    G->GetCells(1, 5)->SetText("merged");
    EXPECT_TRUE(G->MergeRect({1, 5, 3, 6}, true, "", ""));
    G->SetSpreadsheetEnabled(true);
    G->GetCells(6, 5)->SetFormula("C3*2");
    G->SetRowHeights(4, 40);
    G->SetRowHeights(7, 70000);  // fitted to a tall text, past 16 bits
    EXPECT_TRUE(G->HideColumn(4));
}

class IniLoadTest : public GridFixture {
protected:
    TCarrelon* NewGrid() {
        auto* G = new TCarrelon(Form.get());
        G->SetParent(Form.get());
        G->SetBounds(0, 0, 300, 200);
        return G;
    }
    TPopupMenu* Menu() {
        if (auto* M = dynamic_cast<TPopupMenu*>(Form->FindComponent("GridMenu"))) return M;
        auto* M = new TPopupMenu(Form.get());
        M->SetName("GridMenu");
        return M;
    }
    int UpdateCount(TCarrelon* G) { return TCarrelonTestAccess::Internals(G).FUpdateCount; }
    bool IniLoading(TCarrelon* G) { return TCarrelonTestAccess::Internals(G).FIniLoading; }
};

TEST_F(IniLoadTest, EverySettingComesBackTheSameInAnyLocale) {
    for (const char separator : {'.', ','}) {
        TLocaleScope locale;
        FormatSettings.DecimalSeparator = separator;
        FormatSettings.ThousandSeparator = separator == '.' ? ',' : '.';
        TCarrelon* Source = NewGrid();
        FillEverything(Source, Menu());
        const std::string text = SavedText(Source);
        TCarrelon* Copy = NewGrid();
        ASSERT_TRUE(LoadText(Copy, text)) << separator;
        EXPECT_EQ(SavedText(Copy), text) << "decimal separator " << separator;
        std::string why;
        EXPECT_TRUE(TCarrelonTestAccess::CheckModelInvariants(Copy, &why)) << why;
        delete Source;
        delete Copy;
    }
}

TEST_F(IniLoadTest, LoadedGridHoldsWhatWasSaved) {
    TCarrelon* Source = NewGrid();
    FillEverything(Source, Menu());
    ASSERT_TRUE(LoadText(Grid, SavedText(Source)));
    ExpectModelSound();
    EXPECT_EQ(Grid->GetAbsoluteColCount(), 7);
    EXPECT_EQ(Grid->GetColCount(), 6);
    EXPECT_FALSE(Grid->GetAbsoluteCols(4)->GetVisible());
    EXPECT_EQ(Grid->GetRowCount(), 8);
    EXPECT_EQ(Grid->GetFixedRows(), 2);
    EXPECT_EQ(Grid->GetCells(1, 2)->GetText(), "text\r\nwith a break");
    EXPECT_EQ(Grid->GetCells(2, 2)->GetValue().Type(), varDouble);
    EXPECT_EQ(Grid->GetCells(3, 2)->GetValue().Type(), varDate);
    EXPECT_EQ(Grid->GetAbsoluteCells(4, 2)->GetValue().Type(), varCurrency);
    EXPECT_EQ(Grid->GetAbsoluteCells(5, 2)->GetValue().Type(), varBoolean);
    EXPECT_TRUE(Grid->GetAbsoluteCells(5, 2)->GetValue().AsBoolean());
    EXPECT_EQ(Grid->GetAbsoluteCells(6, 2)->GetValue().AsDouble(), -3);
    EXPECT_EQ(Grid->GetCells(1, 3)->GetColor(), clBlack);
    EXPECT_EQ(Grid->GetCells(2, 3)->GetHint(), "cell\r\nhint");
    EXPECT_EQ(Grid->GetHint(), "grid\r\nhint");
    EXPECT_EQ(Grid->GetPrintHeader()->GetLines()->Get(1), "Head\r\n2");
    EXPECT_EQ(Grid->GetCells(2, 5), Grid->GetCells(1, 6));  // the merge, hidden column inside
    EXPECT_EQ(Grid->GetCells(1, 5)->GetText(), "merged");
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    EXPECT_EQ(Grid->GetCells(5, 5)->GetFormula(), "C3*2");
    EXPECT_EQ(Grid->GetCells(5, 5)->GetValue().AsDouble(), 25.5);  // recalculated
    EXPECT_EQ(Grid->GetRowHeights(4), 40);
    EXPECT_EQ(Grid->GetRowHeights(7), 70000);
    EXPECT_EQ(Grid->GetGridLineWidth(), 255);
    ASSERT_NE(Grid->GetCells(4, 4)->GetGraphic(), nullptr);
    EXPECT_TRUE(Grid->GetCells(4, 4)->GetGraphic()->GetTransparent());
    EXPECT_EQ(Grid->GetPopupMenu(), Form->FindComponent("GridMenu"));
    EXPECT_EQ(Grid->GetTag(), -77);
    EXPECT_EQ(Grid->GetConstraints().MinWidth, 100);
    EXPECT_EQ(Grid->GetCols(1)->GetFont()->GetStyle(), TFontStyles{fsBold});
    EXPECT_EQ(Grid->GetCols(1)->GetFont()->GetName(), "Liberation Serif");
    EXPECT_EQ(UpdateCount(Grid), 0);
    EXPECT_FALSE(IniLoading(Grid));
}

TEST_F(IniLoadTest, LoadingKeepsTabsMovingBetweenCells) {
    const TGridOptions before = Grid->TCustomGrid::GetOptions();
    ASSERT_TRUE(LoadText(Grid, SavedText(Grid)));
    EXPECT_TRUE(Grid->TCustomGrid::GetOptions().Contains(goTabs));
    EXPECT_EQ(Grid->TCustomGrid::GetOptions(), before);
}

TEST_F(IniLoadTest, LoadingDropsHiddenColumnsMergesAndSelection) {
    Grid->SetColCount(6);
    Grid->GetCells(3, 3)->SetText("old");
    ASSERT_TRUE(Grid->MergeRect({1, 1, 2, 2}, true, "", ""));
    ASSERT_TRUE(Grid->HideColumn(4));
    ASSERT_TRUE(Grid->SetSelection(1, 1, 3, 3));
    TCarrelon* Plain = NewGrid();
    ASSERT_TRUE(LoadText(Grid, SavedText(Plain)));
    ExpectModelSound();
    EXPECT_EQ(Grid->GetHiddenColCount(), 0);
    EXPECT_EQ(Grid->GetAbsoluteColCount(), 5);
    EXPECT_FALSE(Grid->GetCells(1, 1)->IsMerged());
    EXPECT_TRUE(Grid->GetCells(3, 3)->IsEmpty());
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 1);
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_EQ(Grid->GetRow(), 1);
}

TEST_F(IniLoadTest, EmptyTextLoadsAsAnOlderDefaultGrid) {
    Grid->SetColCount(9);
    Grid->SetOptions(TCarrelonOptions{cloEditing});
    ASSERT_TRUE(LoadText(Grid, ""));
    EXPECT_EQ(Grid->GetColCount(), 5);
    EXPECT_EQ(Grid->GetRowCount(), 5);
    EXPECT_EQ(Grid->GetFixedCols(), 1);
    EXPECT_EQ(Grid->GetFixedRows(), 1);
    EXPECT_EQ(Grid->GetOptions(), TCarrelonOptions::FromInt(CarrelonDefaultOptions.Options));
    EXPECT_EQ(Grid->GetEditorOptions(),
              TCarrelonEditorOptions::FromInt(CarrelonDefaultOptions.EditorOptions));
    EXPECT_EQ(Grid->GetPopupMenu(), nullptr);
}

TEST_F(IniLoadTest, TextsWithoutAboutGainTheRowHeightOptions) {
    const unsigned rowHeights = 0x18000;  // cloAutoIncreaseRowHeights, cloAutoDecreaseRowHeights
    struct Case {
        const char* Text;
        unsigned Options;
        unsigned EditorOptions;
    };
    const Case cases[] = {
        // No "About" at all: the two options are added to what the text holds, and the
        // editor's row-height options follow them.
        {"[Grid]\r\nOptions=0\r\nEditorOptions=0\r\n", rowHeights, 0x3},
        {"[Grid]\r\nOptions=1\r\nEditorOptions=4\r\n", rowHeights | 1, 0x7},
        // An empty "About" is an older text too, but only the editor's options follow.
        {"[Grid]\r\nAbout=\r\nOptions=32768\r\nEditorOptions=0\r\n", 0x8000, 0x1},
        // The present form takes the options as they are.
        {"[Grid]\r\nAbout=v2.30.12\r\nOptions=0\r\nEditorOptions=0\r\n", 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(LoadText(Grid, c.Text)) << c.Text;
        EXPECT_EQ(Grid->GetOptions().ToInt(), c.Options) << c.Text;
        EXPECT_EQ(Grid->GetEditorOptions().ToInt(), c.EditorOptions) << c.Text;
    }
}

TEST_F(IniLoadTest, OlderTextsKeepCellsInSectionsOfTheirOwn) {
    const std::string text =
        "[Grid]\r\nAbout=v2.20.1\r\nColCount=4\r\nFixedCols=0\r\nRowCount=3\r\n"
        "Options=32785\r\nEditorOptions=0\r\n"
        "[1 1]\r\n0=first line\r\n1=second\r\n"
        "[2 1]\r\n0==A1+1\r\n"
        "[9 9]\r\n0=outside\r\n"
        "[CheckBox]\r\n3 2=12\r\n"
        "[Cell.TextAlignment]\r\n1 1=2\r\n"
        "[Cell.CheckBox]\r\n2 2=2\r\n"
        "[Value]\r\n3 1=100ignored\r\n";
    ASSERT_TRUE(LoadText(Grid, text));
    ExpectModelSound();
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Grid->GetFixedCols(), 0);
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "first line\r\nsecond");
    EXPECT_EQ(Grid->GetCells(2, 1)->GetFormula(), "A1+1");
    EXPECT_TRUE(Grid->GetCells(3, 1)->IsEmpty());
    EXPECT_TRUE(Grid->GetCells(3, 2)->GetCheckBox());
    EXPECT_TRUE(Grid->GetCells(3, 2)->GetCheckBoxChecked());
    EXPECT_EQ(Grid->GetCells(3, 2)->GetCheckBoxAlignment(), taCenter);
    EXPECT_FALSE(Grid->GetCells(2, 2)->GetCheckBox());
    EXPECT_EQ(Grid->GetCells(1, 1)->GetTextAlignment(), taCenter);  // ordinal 2, stored 3
    // An older text's options: the editor's row-height options follow the grid's.
    EXPECT_TRUE(Grid->GetEditorOptions().Contains(eoAutoIncreaseRowHeight));
    EXPECT_FALSE(Grid->GetEditorOptions().Contains(eoAutoDecreaseRowHeight));
}

TEST_F(IniLoadTest, VersionsAndDefaultsOfMissingKeys) {
    // "v2.30" is the present form, read with "." whatever the locale.
    TLocaleScope locale;
    FormatSettings.DecimalSeparator = ',';
    ASSERT_TRUE(LoadText(Grid,
                         "[Grid]\r\nAbout=v2.30\r\nAbsoluteColCount=3\r\nColCount=9\r\n"
                         "SpreadsheetHeaders=1\r\nFixedColor=255\r\n"));
    EXPECT_EQ(Grid->GetColCount(), 3);
    EXPECT_EQ(Grid->GetSortColumn(), 1);            // the headings' value
    EXPECT_EQ(Grid->GetSortIndicatorColor(), 255);  // the fixed colour just read
    EXPECT_EQ(Grid->GetExportTag(), "CarrelonTag");
    // An empty tag would lose the line breaks of every later save: the default instead.
    ASSERT_TRUE(LoadText(Grid, "[Grid]\r\nAbout=v2.30\r\nExportTag=\r\n"));
    EXPECT_EQ(Grid->GetExportTag(), "CarrelonTag");
}

TEST_F(IniLoadTest, SoundReadingsOfValues) {
    // Integers come back as floating-point values of the same amount.
    const std::vector<std::pair<std::string, Variant>> cases = {
        {"003-3", Variant(-3.0)},     {"01412345678901", Variant(12345678901.0)},
        {"00BFalse", Variant(false)}, {"00Bfalse", Variant(false)},
        {"00B0", Variant(false)},     {"00BTrue", Variant(true)},
        {"00B-1", Variant(true)},     {"0052.5", Variant(2.5)},
        {"0052,5", Variant(2.5)},     {"0031E3", Variant(1000.0)},
        {"100", Variant("")},         {"000", Unassigned},
        {"001", Unassigned},
    };
    for (const auto& [value, expected] : cases) {
        ASSERT_TRUE(LoadText(Grid, "[Grid]\r\nAbout=v2.30\r\n[Value]\r\n1 1=" + value + "\r\n"))
            << value;
        const Variant v = Grid->GetCells(1, 1)->GetValue();
        EXPECT_EQ(v.Type(), expected.Type()) << value;
        EXPECT_TRUE(v == expected) << value;
    }
}

TEST_F(IniLoadTest, EachPictureClassComesBackWithItsTransparency) {
    TBitmap B;
    B.SetSize(3, 2);
    B.SetTransparent(true);
    B.SetTransparentColor(clLime);
    TJPEGImage J;
    J.Assign(&B);
    J.SetTransparent(true);
    // A 1 x 1 icon of 32 bits.
    const std::string icoHex =
        "0000010001000101000001002000300000001600000028000000010000000200000001002000000000000000"
        "0000000000000000000000000000000000000000FFFF00000000";
    std::vector<Byte> ico;
    for (std::size_t i = 0; i < icoHex.size(); i += 2)
        ico.push_back(static_cast<Byte>(std::stoi(icoHex.substr(i, 2), nullptr, 16)));
    TIcon I;
    I.LoadFromData(ico);
    TMetafile M;
    {
        TMetafileCanvas Canvas(&M, nullptr);
        Canvas.Rectangle(0, 0, 4, 4);
    }
    const TGraphic* graphics[] = {&B, &J, &I, &M};
    for (int c = 0; c < 4; ++c)
        Grid->GetCells(c + 1, 1)->SetGraphic(const_cast<TGraphic*>(graphics[c]));
    const std::string text = SavedText(Grid);
    for (const char* start : {"1 1=B1"
                              "0000FF00",
                              "2 1=J1", "3 1=I", "4 1=M"})
        EXPECT_NE(text.find(start), std::string::npos) << start;
    TCarrelon* Copy = NewGrid();
    ASSERT_TRUE(LoadText(Copy, text));
    EXPECT_EQ(SavedText(Copy), text);
    const char* classes[] = {"TBitmap", "TJPEGImage", "TIcon", "TMetafile"};
    for (int c = 0; c < 4; ++c) {
        const TGraphic* G = Copy->GetCells(c + 1, 1)->GetGraphic();
        ASSERT_NE(G, nullptr) << classes[c];
        EXPECT_EQ(G->ClassName(), classes[c]);
        EXPECT_EQ(G->GetTransparent(), c < 3) << classes[c];
    }
    EXPECT_EQ(
        static_cast<const TBitmap*>(Copy->GetCells(1, 1)->GetGraphic())->GetTransparentColor(),
        clLime);
}

TEST_F(IniLoadTest, GraphicWithAnUnknownLetterIsLeftOut) {
    ASSERT_TRUE(LoadText(Grid, "[Grid]\r\nAbout=v2.30\r\n[Graphic]\r\n1 1=X0123\r\n"));
    EXPECT_EQ(Grid->GetCells(1, 1)->GetPicture(), nullptr);
}

TEST_F(IniLoadTest, CheckBoxWinsOverAButton) {
    ASSERT_TRUE(LoadText(Grid,
                         "[Grid]\r\nAbout=v2.30\r\n[Col.CheckBox]\r\n2=\r\n"
                         "[Col.Button]\r\n2=\r\n[Cell.CheckBox]\r\n1 1=2\r\n"
                         "[Cell.Button]\r\n1 1=2\r\n"));
    EXPECT_TRUE(Grid->GetCols(2)->GetCheckBox());
    EXPECT_FALSE(Grid->GetCols(2)->GetButton());
    EXPECT_TRUE(Grid->GetCells(1, 1)->GetCheckBox());
    EXPECT_FALSE(Grid->GetCells(1, 1)->GetButton());
}

TEST_F(IniLoadTest, MergesMayNotOverlapAndThoseTheGridRefusesAreLeftOut) {
    const std::string head = "[Grid]\r\nAbout=v2.30\r\n[Unions]\r\n";
    // One slot, and across the fixed column's edge: the grid makes neither, nor do they
    // stand in the way of a merge over the same slots.
    ASSERT_TRUE(LoadText(Grid, head + "1 1=1 1\r\n0 2=1 2\r\n1 1=2 2\r\n"));
    ExpectModelSound();
    EXPECT_EQ(Grid->GetCells(1, 1), Grid->GetCells(2, 2));
    EXPECT_FALSE(Grid->GetCells(0, 2)->IsMerged());
    const std::string before = SavedText(Grid);
    try {
        LoadText(Grid, head + "1 1=2 2\r\n3 3=4 4\r\n2 2=3 3\r\n");
        ADD_FAILURE() << "overlapping merges loaded";
    } catch (const EIniLoadError& E) {
        EXPECT_EQ(E.Line, "2 2=3 3");
        EXPECT_NE(E.Message.find("overlaps"), std::string::npos) << E.Message;
    }
    EXPECT_EQ(SavedText(Grid), before);
}

TEST_F(IniLoadTest, OutOfRangeGridKeysTakeTheirDefaults) {
    ASSERT_TRUE(LoadText(Grid,
                         "[Grid]\r\nAbout=v2.30\r\nBorderForText=300\r\nScrollBars=7\r\n"
                         "PrintMargins.Left=0.9\r\nPrintMargins.Right=0.9\r\n"
                         "EditorOptions=-1\r\nFont.Size=99999\r\n"
                         "[PrintHeader]\r\nAlignment=3\r\nDistance=1.5\r\n"));
    EXPECT_EQ(Grid->GetBorderForText(), 2);
    EXPECT_EQ(Grid->GetScrollBars(), ssBoth);
    EXPECT_EQ(Grid->GetPrintMargins()->GetLeft(), 0.9);
    EXPECT_EQ(Grid->GetPrintMargins()->GetRight(), 0);   // with the left, not below 1
    EXPECT_EQ(Grid->GetEditorOptions().ToInt(), 0x7Fu);  // masked to the set's members
    EXPECT_EQ(Grid->GetFont()->GetSize(), 8);
    EXPECT_EQ(Grid->GetPrintHeader()->GetAlignment(), taLeftJustify);
    EXPECT_EQ(Grid->GetPrintHeader()->GetDistance(), 0);
}

struct TBadText {
    const char* Section;
    const char* Line;
    const char* Reason;  // a part of the message
};

TEST_F(IniLoadTest, MalformedTextChangesNothingAndSaysWhy) {
    const TBadText cases[] = {
        {"Value", "1 1=00Xabc", "type code"},
        {"Value", "1 1=005abc", "floating point"},
        {"Value", "1 1=005", "floating point"},
        {"Value", "1 1=006x", "currency"},
        {"Value", "1 1=0071E300", "date"},
        {"Value", "x=1 1", "column row=value"},
        {"Value", "1  1=1001", "column row=value"},
        {"Value", "-1 1=100a", "column -1"},
        {"Value", "1 9=100a", "row 9"},
        {"Value", "9 1=100a", "column 9"},
        {"Unions", "1 1=2", "end is not"},
        {"Unions", "2 2=1 1", "ends before"},
        {"Unions", "1 1=1 99", "row 99"},
        {"Cell.TextAlignment", "1 1=9", "outside"},
        {"Cell.ReadOnly", "1 1=3", "outside"},
        {"Cell.Font.Size", "1 1=big", "not a number"},
        {"Cell.MaxLength", "1 1=99999", "outside"},
        {"Col.Width", "1=70000", "outside"},
        {"Col.Width", "1=-5", "outside"},
        {"Col.TextAlignment", "1=3", "outside"},
        {"Col.ReadOnly", "one=", "column="},
        {"Col.Visible", "7=", "column 7"},
        {"InnerBorders", "1 1=255", "colour width"},
        {"OuterBorders", "1 1=-2147483643 256", "outside"},
        {"Graphic", "1 1=B00000000004Z00", "hexadecimal"},
        {"Graphic", "1 1=B00000000424D00", "not valid"},
        {"RowHeights", "1=-3", "outside"},
        {"RowHeights", "1=2000000", "outside"},
        {"PrintHeader.Lines", "5=late", "print line 0"},
        {"Grid", "AbsoluteColCount=100000", "cell budget"},
    };
    Grid->GetCells(2, 2)->SetText("kept");
    Grid->SetCellBudget(1000000);
    TCarrelon* Plain = NewGrid();
    const std::string base = SavedText(Plain);
    const std::string before = SavedText(Grid);
    for (const TBadText& c : cases) {
        std::string text = WithLine(base, c.Section, c.Line);
        if (std::string(c.Section) == "Grid") text = WithLine(text, "Grid", "RowCount=100000");
        try {
            LoadText(Grid, text);
            ADD_FAILURE() << c.Section << ": " << c.Line << " loaded";
        } catch (const EIniLoadError& E) {
            EXPECT_EQ(E.Section, c.Section) << E.Message;
            EXPECT_NE(E.Message.find(c.Reason), std::string::npos) << E.Message;
            if (std::string(c.Section) != "Grid") {
                EXPECT_EQ(E.Line, c.Line);
            }
        }
        EXPECT_EQ(SavedText(Grid), before) << c.Line;
        EXPECT_EQ(UpdateCount(Grid), 0);
        EXPECT_FALSE(IniLoading(Grid));
    }
}

TEST_F(IniLoadTest, SectionsInjectedThroughLineBreaksStayText) {
    Grid->GetCells(1, 1)->SetHint("a\r\n[Grid]\r\nRowCount=99");
    TFont F;
    F.Assign(Grid->GetFont());
    F.SetName("Sans\r\n[Col.Visible]\r\n1=");
    Grid->GetCols(1)->SetFont(&F);
    TCarrelon* Copy = NewGrid();
    ASSERT_TRUE(LoadText(Copy, SavedText(Grid)));
    EXPECT_EQ(Copy->GetRowCount(), 5);
    EXPECT_TRUE(Copy->GetCols(1)->GetVisible());
    EXPECT_EQ(Copy->GetCells(1, 1)->GetHint(), "a\r\n[Grid]\r\nRowCount=99");
    EXPECT_EQ(Copy->GetCols(1)->GetFont()->GetName(), "Sans[Col.Visible]1=");
}

TEST_F(IniLoadTest, SpreadsheetModeAndLockSurviveAFailedLoad) {
    Grid->SetSpreadsheetEnabled(true);
    Grid->DisableControls();
    EXPECT_THROW(LoadText(Grid,
                          "[Grid]\r\nAbout=v2.30\r\nSpreadsheetEnabled=0\r\n"
                          "[Value]\r\n1 1=005?\r\n"),
                 EIniLoadError);
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    EXPECT_EQ(UpdateCount(Grid), 1);
    Grid->EnableControls();
}

TEST_F(IniLoadTest, FilesLoadAndRefuseWhatIsNoRegularFile) {
    TTempFolder folder;
    const std::string name = folder.File("grid.ini");
    Grid->GetCells(1, 1)->SetText("from a file");
    ASSERT_TRUE(Grid->SaveToIniFile(name));
    TCarrelon* Copy = NewGrid();
    ASSERT_TRUE(Copy->LoadFromIniFile(name));
    EXPECT_EQ(Copy->GetCells(1, 1)->GetText(), "from a file");
    EXPECT_FALSE(Copy->LoadFromIniStrings(nullptr));
    // Missing, a folder, a pipe (which is never opened, so nothing waits for a writer).
    ::mkdir(folder.File("sub").c_str(), 0700);
    ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
    for (const std::string& bad :
         {folder.File("missing.ini"), folder.File("sub"), folder.File("pipe"), std::string()}) {
        EXPECT_FALSE(Copy->LoadFromIniFile(bad)) << bad;
        EXPECT_EQ(Copy->GetCells(1, 1)->GetText(), "from a file") << bad;
    }
    // A file beyond the store's size cap is refused before it is read.
    const std::string huge = folder.File("huge.ini");
    WriteBytes(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), (off_t{600} << 20)), 0);
    EXPECT_THROW(Copy->LoadFromIniFile(huge), Exception);
    EXPECT_EQ(Copy->GetCells(1, 1)->GetText(), "from a file");
}

}  // namespace
