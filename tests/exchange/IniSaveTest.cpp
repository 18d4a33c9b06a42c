#include <gtest/gtest.h>
#include <sys/stat.h>

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
#include "tests/support/FileFailureScopes.h"
#include "tests/support/GridFixture.h"
#include "tests/support/IniTestSupport.h"
#include "tests/support/TempFolder.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

// The lines of one section, without its head and the empty line after it; empty when the
// section is missing.
std::vector<std::string> SectionLines(const std::string& Text, const std::string& Name) {
    std::vector<std::string> lines;
    TStringList list;
    list.SetText(Text);
    bool inside = false;
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string line = list.Get(i);
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + Name + "]";
            continue;
        }
        if (inside && !line.empty()) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SectionNames(const std::string& Text) {
    std::vector<std::string> names;
    TStringList list;
    list.SetText(Text);
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string line = list.Get(i);
        if (!line.empty() && line.front() == '[') names.push_back(line.substr(1, line.size() - 2));
    }
    return names;
}

using Lines = std::vector<std::string>;

class IniSaveTest : public GridFixture {};

TEST_F(IniSaveTest, DefaultGridWritesItsWholeText) {
    const std::string expected =
        "[Grid]\r\nAbout=v2.30.12\r\nWidth=600\r\nHeight=400\r\nScrollBars=3\r\nBorderStyle=1\r\n"
        "Hint=\r\nShowHint=0\r\nTag=0\r\nDragMode=0\r\nDragCursor=-12\r\nCursor=0\r\nEnabled=1\r\n"
        "Visible=1\r\nTabStop=1\r\nDragKind=0\r\nConstraints.MaxHeight=0\r\n"
        "Constraints.MaxWidth=0\r\nConstraints.MinHeight=0\r\nConstraints.MinWidth=0\r\n"
        "DefaultColWidth=64\r\nDefaultRowHeight=18\r\nGridLineWidth=1\r\nBorderForText=2\r\n"
        "AbsoluteColCount=5\r\nRowCount=5\r\nAbsoluteFixedCols=1\r\nFixedRows=1\r\nWordWrap=1\r\n"
        "Ctl3D=1\r\nColor=-2147483643\r\nFixedColor=-2147483633\r\nGridLineColor=12632256\r\n"
        "FixedGridLineColor=0\r\nOptions=244288735\r\nTabOptions=0\r\nEditorOptions=71\r\n"
        "EditControlOptions=31\r\nEditColor=-2147483643\r\nSelectionColor=-2147483635\r\n"
        "EditFontColor=-2147483640\r\nSelectionFontColor=-2147483634\r\nFont.Charset=1\r\n"
        "Font.Color=-2147483640\r\nFont.Name=MS Sans Serif\r\nFont.Pitch=0\r\nFont.Size=8\r\n"
        "Font.Style=0\r\nPrintMargins.Left=0\r\nPrintMargins.Top=0\r\nPrintMargins.Right=0\r\n"
        "PrintMargins.Bottom=0\r\nPrintOptions=8184\r\nExportTag=CarrelonTag\r\nSortColumn=0\r\n"
        "SortDescending=0\r\nSortIndicator=0\r\nSortOnDblClick=0\r\nSortOnClick=0\r\n"
        "InplaceScrollBar=0\r\nSpreadsheetEnabled=0\r\nSpreadsheetHeaders=0\r\nHideSelection=0\r\n"
        "LoadedEvents=0\r\nSpreadsheetOptions=3\r\nSortIndicatorColor=-2147483633\r\n\r\n"
        "[PrintFooter]\r\nFont.Charset=1\r\nFont.Color=-2147483640\r\nFont.Name=MS Sans Serif\r\n"
        "Font.Pitch=0\r\nFont.Size=8\r\nFont.Style=0\r\nAlignment=0\r\nDistance=0\r\n\r\n"
        "[PrintHeader]\r\nFont.Charset=1\r\nFont.Color=-2147483640\r\nFont.Name=MS Sans Serif\r\n"
        "Font.Pitch=0\r\nFont.Size=8\r\nFont.Style=0\r\nAlignment=0\r\nDistance=0\r\n\r\n";
    EXPECT_EQ(SavedText(Grid), expected);
}

TEST_F(IniSaveTest, SectionsComeInAlphabeticalOrderAndOnlyWithLines) {
    Grid->GetCells(1, 1)->SetText("x");
    Grid->GetCells(1, 1)->SetColor(clRed);
    Grid->GetCols(2)->SetReadOnly(true);
    Grid->GetPrintHeader()->GetLines()->Add("Title");
    Grid->SetRowHeights(2, 40);
    EXPECT_EQ(SectionNames(SavedText(Grid)),
              (Lines{"Cell.Color", "Col.ReadOnly", "Grid", "PrintFooter", "PrintHeader",
                     "PrintHeader.Lines", "RowHeights", "Value"}));
}

TEST_F(IniSaveTest, ColumnSectionsHoldWhatDiffersFromANewColumn) {
    TCarrelonCol* C = Grid->GetCols(2);
    C->SetMovable(false);
    C->SetTabStop(false);
    C->SetGridLineColor(clBtnFace);
    C->SetWidth(90);
    C->SetMaxWidth(200);
    C->SetFixedColor(clBlack);
    C->SetMaxLength(12);
    C->SetWordWrap(false);
    C->SetFixedTextAlignment(taCenter);
    C->SetGraphicLayout(tlBottom);
    C->SetCheckBox(true);
    C->SetCheckBoxAlignment(taLeftJustify);
    C->SetFixedButton(true);
    Grid->GetCols(3)->SetCheckBoxAlignment(taCenter);  // the default: never written
    Grid->GetCols(3)->SetGridLineWidth(255);
    const std::string text = SavedText(Grid);
    const std::vector<std::pair<std::string, Lines>> expected = {
        {"Col.Movable", {"2="}},
        {"Col.Resizable", {}},
        {"Col.TabStop", {"2="}},
        {"Col.GridLineColor", {"2=-2147483633"}},
        {"Col.Width", {"2=90"}},
        {"Col.MaxWidth", {"2=200"}},
        {"Col.FixedRowsColor", {"2=0"}},
        {"Col.MaxLength", {"2=12"}},
        {"Col.WordWrap", {"2="}},
        {"Col.FixedRowsTextAlignment", {"2=2"}},
        {"Col.GraphicLayout", {"2=2"}},
        {"Col.CheckBox", {"2="}},
        {"Col.CheckBoxAlignment", {"2=0"}},
        {"Col.FixedRowsButton", {"2="}},
        {"Col.FixedRowsCheckBoxAlignment", {}},
        {"Col.GridLineWidth", {}},
    };
    for (const auto& [section, lines] : expected)
        EXPECT_EQ(SectionLines(text, section), lines) << section;
}

TEST_F(IniSaveTest, ColumnFontsWriteOnlyWhatDiffersFromTheGridFont) {
    TFont F;
    F.Assign(Grid->GetFont());
    F.SetName("Liberation Serif");
    F.SetStyle(TFontStyles{fsBold, fsItalic});
    Grid->GetCols(1)->SetFont(&F);
    TFont Same;
    Same.Assign(Grid->GetFont());
    Grid->GetCols(2)->SetFixedFont(&Same);  // assigned, but equal to the grid font
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionLines(text, "Col.Font.Name"), Lines{"1=Liberation Serif"});
    EXPECT_EQ(SectionLines(text, "Col.Font.Style"), Lines{"1=3"});
    EXPECT_EQ(SectionLines(text, "Col.Font.Size"), Lines{});
    EXPECT_EQ(SectionLines(text, "Col.FixedRowsFont.Name"), Lines{});
}

TEST_F(IniSaveTest, CellSectionsCarryTheStoredForms) {
    TCarrelonCell* C = Grid->GetCells(2, 3);
    C->SetColor(clBlack);                 // black is stored as clDefault's value
    C->SetSelectedColor(clHighlight);     // a system colour is negative
    C->SetTextAlignment(taRightJustify);  // ordinal + 1
    C->SetMaxLength(5);                   // length + 1
    C->SetReadOnly(true);                 // 2 for True
    C->SetWordWrap(false);                // 1 for False
    C->SetHint("tip");
    C->GetInnerBorder()->SetColor(clRed);
    C->GetInnerBorder()->SetWidth(2);
    C->GetOuterBorder()->SetColor(clBtnShadow);
    const std::string text = SavedText(Grid);
    const std::vector<std::pair<std::string, Lines>> expected = {
        {"Cell.Color", {"2 3=536870912"}}, {"Cell.SelectedColor", {"2 3=-2147483635"}},
        {"Cell.TextAlignment", {"2 3=2"}}, {"Cell.MaxLength", {"2 3=6"}},
        {"Cell.ReadOnly", {"2 3=2"}},      {"Cell.WordWrap", {"2 3=1"}},
        {"Cell.TextLayout", {}},           {"Hint", {"2 3=tip"}},
        {"InnerBorders", {"2 3=255 2"}},   {"OuterBorders", {"2 3=-2147483632 1"}},
    };
    for (const auto& [section, lines] : expected)
        EXPECT_EQ(SectionLines(text, section), lines) << section;
}

TEST_F(IniSaveTest, CellFontInUseWritesAllSixLines) {
    Grid->GetCells(1, 2)->GetFont()->SetSize(12);
    (void)Grid->GetCells(2, 2)->GetFont();  // only read: not in use
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionLines(text, "Cell.Font.Size"), Lines{"1 2=12"});
    EXPECT_EQ(SectionLines(text, "Cell.Font.Name"), Lines{"1 2=MS Sans Serif"});
    EXPECT_EQ(SectionLines(text, "Cell.Font.Charset"), Lines{"1 2=1"});
    EXPECT_EQ(SectionLines(text, "Cell.Font.Color"), Lines{"1 2=-2147483640"});
    EXPECT_EQ(SectionLines(text, "Cell.Font.Pitch"), Lines{"1 2=0"});
    EXPECT_EQ(SectionLines(text, "Cell.Font.Style"), Lines{"1 2=0"});
}

TEST_F(IniSaveTest, ValuesCarryTheirTypeCodes) {
    TLocaleScope locale;
    FormatSettings.DecimalSeparator = ',';
    Grid->SetColCount(8);
    Grid->GetCells(1, 1)->SetText("one\r\ntwo\nthree\rfour");
    Grid->GetCells(2, 1)->SetValue(Variant(42));
    Grid->GetCells(3, 1)->SetValue(Variant(2.5));
    Grid->GetCells(4, 1)->SetValue(Variant(TDateTime(45000.25)));
    Grid->GetCells(5, 1)->SetValue(Variant(Currency::FromRaw(123450)));
    Grid->GetCells(6, 1)->SetValue(Variant(false));
    TCarrelonTestAccess::StoreValue(Grid->GetCells(7, 1), Variant::MakeOleStr("wide"));
    Grid->GetCells(1, 2)->SetValue(Variant(static_cast<long long>(1) << 40));
    // An error value has no text to keep: it is left out rather than failing the save.
    TCarrelonTestAccess::StoreValue(Grid->GetCells(2, 2), Variant::MakeError(7));
    EXPECT_EQ(SectionLines(SavedText(Grid), "Value"),
              (Lines{"1 1=100oneCarrelonTagtwoCarrelonTagthreeCarrelonTagfour",
                     "1 2=0141099511627776", "2 1=00342", "3 1=0052,5", "4 1=00745000,25",
                     "5 1=00612,345", "6 1=00BFalse", "7 1=008wide"}));
}

TEST_F(IniSaveTest, OtherNumberTypesKeepTheirCodesAndLoadBackAsTheSameAmount) {
    TLocaleScope locale;
    FormatSettings.DecimalSeparator = ',';
    struct Case {
        Variant Value;
        const char* Line;
        double Amount;
    };
    const Case cases[] = {
        {Variant(static_cast<short>(-1234)), "1 1=002-1234", -1234},
        {Variant(2.75f), "2 1=0042,75", 2.75},
        {Variant(static_cast<signed char>(-100)), "3 1=010-100", -100},
        {Variant(static_cast<unsigned char>(250)), "4 1=011250", 250},
        {Variant(static_cast<unsigned short>(65000)), "5 1=01265000", 65000},
        {Variant(4000000000u), "6 1=0134000000000", 4e9},
    };
    Grid->SetColCount(7);
    Lines expected;
    for (int c = 0; c < 6; ++c) {
        Grid->GetCells(c + 1, 1)->SetValue(cases[c].Value);
        ASSERT_EQ(Grid->GetCells(c + 1, 1)->GetValue().Type(), cases[c].Value.Type()) << c;
        expected.push_back(cases[c].Line);
    }
    // An error value beside them is left out and comes back as an empty cell.
    TCarrelonTestAccess::StoreValue(Grid->GetCells(1, 2), Variant::MakeError(7));
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionLines(text, "Value"), expected);
    auto* Copy = new TCarrelon(Form.get());
    ASSERT_TRUE(LoadText(Copy, text));
    for (int c = 0; c < 6; ++c) {
        const Variant v = Copy->GetCells(c + 1, 1)->GetValue();
        EXPECT_EQ(v.Type(), varDouble) << cases[c].Line;
        EXPECT_EQ(v.AsDouble(), cases[c].Amount) << cases[c].Line;
    }
    EXPECT_TRUE(Copy->GetCells(1, 2)->GetValue().IsEmpty());
}

TEST_F(IniSaveTest, MergedCellIsWrittenOnceAtItsTopLeft) {
    Grid->SetColCount(6);
    Grid->GetCells(1, 2)->SetText("merged");
    ASSERT_TRUE(Grid->MergeRect({1, 2, 3, 3}, true, "", ""));
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionLines(text, "Unions"), Lines{"1 2=3 3"});
    EXPECT_EQ(SectionLines(text, "Value"), Lines{"1 2=100merged"});
}

TEST_F(IniSaveTest, HiddenColumnKeepsItsAbsoluteIndex) {
    Grid->GetCells(2, 1)->SetText("hidden");
    Grid->GetCells(3, 1)->SetText("after");
    Grid->GetCols(2)->SetWidth(30);
    ASSERT_TRUE(Grid->HideColumn(2));
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionLines(text, "Col.Visible"), Lines{"2="});
    EXPECT_EQ(SectionLines(text, "Col.Width"), Lines{"2=30"});
    EXPECT_EQ(SectionLines(text, "Value"), (Lines{"2 1=100hidden", "3 1=100after"}));
}

TEST_F(IniSaveTest, FormulasAreWrittenInsteadOfTheirValues) {
    Grid->SetSpreadsheetEnabled(true);
    Grid->GetCells(1, 1)->SetValue(Variant(3));
    Grid->GetCells(1, 2)->SetFormula("b2*2");
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionLines(text, "Formula"), Lines{"1 2=B2*2"});
    EXPECT_EQ(SectionLines(text, "Value"), Lines{"1 1=0033"});
}

TEST_F(IniSaveTest, PicturesWriteTheirClassLetterAndBytes) {
    TBitmap B;
    B.SetSize(2, 2);
    Grid->GetCells(1, 1)->SetGraphic(&B);
    TMetafile M;
    {
        TMetafileCanvas Canvas(&M, nullptr);
        Canvas.Rectangle(0, 0, 4, 4);
    }
    Grid->GetCells(2, 1)->SetGraphic(&M);
    const Lines lines = SectionLines(SavedText(Grid), "Graphic");
    ASSERT_EQ(lines.size(), 2u);
    // "B", not transparent, the transparent colour in 8 digits, then the BMP bytes ("BM").
    EXPECT_EQ(lines[0].substr(0, 16), "1 1=B0" + lines[0].substr(6, 8) + "42");
    EXPECT_EQ(lines[1].substr(0, 5), "2 1=M");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_not_of("0123456789ABCDEF", line.find('=') + 2), std::string::npos)
            << line;
}

TEST_F(IniSaveTest, LineBreaksNeverLeaveTheirLine) {
    Grid->SetHint("grid\r\nhint");
    Grid->GetCells(1, 1)->SetHint("cell\nhint");
    Grid->GetPrintFooter()->GetLines()->Add("a\rb");
    TCarrelonTestAccess::WriteFFormula(Grid->GetCells(2, 2), "1+\r\n[Grid]");
    TFont F;
    F.Assign(Grid->GetFont());
    F.SetName("Bad\r\n[Injected]");
    Grid->GetCols(1)->SetFont(&F);
    const std::string text = SavedText(Grid);
    EXPECT_EQ(SectionNames(text), (Lines{"Col.Font.Name", "Formula", "Grid", "Hint", "PrintFooter",
                                         "PrintFooter.Lines", "PrintHeader"}));
    EXPECT_EQ(SectionLines(text, "Hint"), Lines{"1 1=cellCarrelonTaghint"});
    EXPECT_EQ(SectionLines(text, "PrintFooter.Lines"), Lines{"0=aCarrelonTagb"});
    EXPECT_EQ(SectionLines(text, "Formula"), Lines{"2 2=1+  [Grid]"});
    EXPECT_EQ(SectionLines(text, "Col.Font.Name"), Lines{"1=Bad[Injected]"});
    EXPECT_NE(text.find("Hint=gridCarrelonTaghint\r\n"), std::string::npos);
}

TEST_F(IniSaveTest, PopupMenuIsWrittenByName) {
    auto* Menu = new TPopupMenu(Form.get());
    Menu->SetName("GridMenu");
    Grid->SetPopupMenu(Menu);
    EXPECT_NE(SavedText(Grid).find("Constraints.MinWidth=0\r\nPopupMenu=GridMenu\r\n"),
              std::string::npos);
}

TEST_F(IniSaveTest, SavingIntoAListAppendsAfterItsLines) {
    TStringList list;
    list.Add("kept");
    ASSERT_TRUE(Grid->SaveToIniStrings(&list));
    EXPECT_EQ(list.Get(0), "kept");
    EXPECT_EQ(list.Get(1), "[Grid]");
    EXPECT_FALSE(Grid->SaveToIniStrings(nullptr));
}

TEST_F(IniSaveTest, SavingToAFileReplacesEveryOldSection) {
    TTempFolder folder;
    const std::string name = folder.File("grid.ini");
    WriteBytes(name, "[Foreign]\r\nkey=1\r\n[Grid]\r\nOld=1\r\n");
    ASSERT_TRUE(Grid->SaveToIniFile(name));
    const std::string text = ReadBytes(name);
    EXPECT_EQ(text, SavedText(Grid));
    EXPECT_EQ(text.find("Foreign"), std::string::npos);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST_F(IniSaveTest, FailedSaveKeepsTheOldFile) {
    TTempFolder folder;
    const std::string name = folder.File("grid.ini");
    WriteBytes(name, "old content");
    // A folder in the file's place, and a file in a missing folder: the error reaches the
    // caller and nothing is left behind.
    ::mkdir(folder.File("sub").c_str(), 0700);
    EXPECT_THROW(Grid->SaveToIniFile(folder.File("sub")), Exception);
    EXPECT_THROW(Grid->SaveToIniFile(folder.File("missing/grid.ini")), Exception);
    EXPECT_EQ(folder.EntryCount(), 2u);
    // A folder that takes no new files, for the superuser too.
    {
        TPermissionsBind binding;
        ASSERT_TRUE(binding.Active());
        ::chmod(folder.Path.c_str(), 0500);
        EXPECT_THROW(Grid->SaveToIniFile(name), EFCreateError);
        ::chmod(folder.Path.c_str(), 0700);
    }
    EXPECT_EQ(ReadBytes(name), "old content");
    EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST_F(IniSaveTest, WriteFailingPartWayKeepsTheOldFileAndReportsTheError) {
    TTempFolder folder;
    const std::string name = folder.File("grid.ini");
    const std::string old = "[Grid]\r\nAbout=v2.30.12\r\nRowCount=9\r\n\r\n";
    WriteBytes(name, old);
    Grid->GetCells(1, 1)->SetText("new text");
    bool raised = false;
    AnsiString message;
    {
        // Files may not grow past 16 bytes: the temporary stops part-way through the text.
        TFileSizeLimit limit(16);
        ASSERT_TRUE(limit.Active());
        try {
            Grid->SaveToIniFile(name);
        } catch (const EWriteError& E) {
            raised = true;
            message = E.Message;
        }
    }
    EXPECT_TRUE(raised) << "a failed write was not reported";
    EXPECT_NE(message.find(name), std::string::npos) << message;
    EXPECT_EQ(ReadBytes(name), old);
    EXPECT_EQ(folder.EntryCount(), 1u) << "the temporary was left behind";
    // The grid is untouched, and the next save goes through.
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "new text");
    ASSERT_TRUE(Grid->SaveToIniFile(name));
    EXPECT_EQ(ReadBytes(name), SavedText(Grid));
}

}  // namespace
