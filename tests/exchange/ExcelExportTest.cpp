// Export to the spreadsheet application: grid lines and weights, formulas and texts, the
// workbook read back by openpyxl and LibreOffice, progress and Stop, failures, and the workbook
// left open in a new or a running instance.
#include <fstream>

#include "platform/automation/ExcelAutomation.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "tests/support/OfficeGridFixture.h"
#include "tests/support/TempFolder.h"

namespace carrelon::test {
namespace {

class ExcelExport : public OfficeGridFixture {
protected:
    // A grid without fixed parts.
    void Shape(int Cols, int Rows) {
        Grid->SetFixedRows(0);
        Grid->SetFixedCols(0);
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
    }
    void Formula(int ACol, int ARow, const AnsiString& F) {
        Grid->GetCells(ACol, ARow)->SetFormula(F);
    }
    bool ExportLogged(const std::string& Path) {
        Log.clear();
        SetOleCallLog(&Log);
        const bool ok = Grid->ExportToExcelFile(Path);
        SetOleCallLog(nullptr);
        return ok;
    }
    // Runs Script over the workbook at Path with openpyxl ("ws" is its active sheet).
    std::string Xlsx(const std::string& Script, const std::string& Path) {
        std::string out;
        const int rc = RunPython(
            "import sys, openpyxl\nwb = openpyxl.load_workbook(sys.argv[1])\nws = wb.active\n" +
                Script,
            {Path}, out, {"openpyxl"});
        if (rc == -1) Skipped = true;
        EXPECT_TRUE(rc == 0 || rc == -1) << out;
        return out;
    }
    bool Skipped = false;
};

TEST_F(ExcelExport, GridLinesOfTheFixedAndScrollingPartsBecomeBorders) {
    // One cell: the four edges only, no inside lines; no fixed part with the headings off, so
    // the top edge takes the grid-line colour.
    Shape(1, 1);
    Grid->SetGridLineColor(clRed);
    ASSERT_TRUE(ExportLogged(File("one.xlsx")));
    EXPECT_EQ(Calls("Excel.Range.Borders(11)").size(), 0u);
    EXPECT_EQ(Calls("Excel.Range.Borders(12)").size(), 0u);
    EXPECT_EQ(Calls("Excel.Range.Borders(7)").size(), 1u);
    const std::vector<AnsiString> expected = {"Excel.Range.Borders(9)", "Excel.Border.Color := 255",
                                              "Excel.Range.Borders(8)",
                                              "Excel.Border.Color := 255"};
    auto it = std::search(Log.begin(), Log.end(), expected.begin(), expected.end());
    EXPECT_NE(it, Log.end());

    // Fixed rows and columns colour the area's outer and inside lines first.
    Shape(3, 3);
    Grid->SetFixedRows(1);
    Grid->SetFixedCols(1);
    Grid->SetFixedGridLineColor(clBlue);
    ASSERT_TRUE(ExportLogged(File("fixed.xlsx")));
    EXPECT_EQ(Calls("Excel.Range.Borders(11)").size(), 2u);
    EXPECT_TRUE(Logged("Excel.Border.Color := 16711680"));
    // The fixed row's right edges take the fixed colour, and so does the fixed column.
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "Excel.Border.Color := 16711680"), 5 + 3 + 1);
}

TEST_F(ExcelExport, ColumnLineWidthsBecomeWeights) {
    Shape(4, 2);
    const int widths[] = {0, 1, 2, 3};
    for (int i = 0; i < 4; ++i)
        Grid->GetCols(i)->SetGridLineWidth(widths[i]);
    ASSERT_TRUE(ExportLogged(File("weights.xlsx")));
    EXPECT_EQ(Calls("Excel.Border.LineStyle := -4142").size(), 1u);
    EXPECT_EQ(Calls("Excel.Border.Weight := -4138").size(), 1u);
    EXPECT_EQ(Calls("Excel.Border.Weight := 4").size(), 1u);
    const std::string out = Xlsx(R"(
for c in 'ABCD':
    print(c, ws[c + '2'].border.right.style)
)",
                                 File("weights.xlsx"));
    if (Skipped) GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_EQ(out, "A None\nB thin\nC medium\nD thick\n");
}

TEST_F(ExcelExport, TextsKeepTheirFirstCharacterAndFormulasTheirMeaning) {
    TLocaleScope locale;
    DecimalSeparator = ',';
    ListSeparator = ';';
    Shape(3, 3);
    Grid->GetCells(0, 0)->SetText("=1+1");
    Grid->GetCells(1, 0)->SetText("'quoted");
    Grid->GetCells(2, 0)->SetText("two\r\nlines");
    Grid->GetCells(0, 1)->SetValue(Variant(2.0));
    Grid->SetSpreadsheetEnabled(true);
    Formula(1, 1, "A2*2,5");
    Formula(2, 1, "A2+1>B2");
    Formula(0, 2, "sum(A2;B2)&1");
    Formula(1, 2, "sum(B2:A2)");
    Formula(2, 2, "1+");
    ASSERT_TRUE(ExportLogged(File("formulas.xlsx")));
    for (const char* e :
         {"Excel.Range.Value := \"'=1+1\"", "Excel.Range.Value := \"''quoted\"",
          "Excel.Range.Value := \"two\nlines\"", "Excel.Range.Formula := \"=A2*2.5\"",
          "Excel.Range.Formula := \"=A2+(1>B2)\"", "Excel.Range.Formula := \"=AND(SUM(A2,B2),1)\"",
          "Excel.Range.Formula := \"=1+\""})
        EXPECT_TRUE(Logged(e)) << e;
    // A reversed range reads as its first corner in the grid: its value goes instead.
    EXPECT_EQ(Grid->GetCells(1, 2)->GetText(), "5");
    EXPECT_TRUE(Logged("Excel.Range.Value := 5"));

    const std::string out = Xlsx(R"(
for ref in ('A1', 'B1', 'C1', 'B2', 'C2', 'A3'):
    c = ws[ref]
    print(ref, repr(c.value), c.data_type)
)",
                                 File("formulas.xlsx"));
    if (Skipped) GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_EQ(out,
              "A1 '=1+1' s\nB1 \"'quoted\" s\nC1 'two\\nlines' s\n"
              "B2 '=A2*2.5' f\nC2 '=A2+(1>B2)' f\nA3 '=AND(SUM(A2,B2),1)' f\n");
}

TEST_F(ExcelExport, WorkbookHoldsTypesFormatsMergesAndCommentsThatOpenpyxlReads) {
    Shape(5, 4);
    Grid->SetFixedRows(1);
    Grid->GetCells(0, 0)->SetText("Title");
    Grid->GetCells(0, 1)->SetValue(Variant(42.5));
    Grid->GetCells(1, 1)->SetValue(Variant(TDateTime(45000)));
    Grid->GetCells(2, 1)->SetValue(Variant(Currency(7)));
    Grid->GetCells(3, 1)->SetValue(Variant(true));
    Grid->GetCells(4, 1)->SetText("text");
    Grid->GetCells(4, 1)->SetHint("a\r\nhint");
    TCarrelonCol* col = Grid->GetCols(1);
    col->SetWidth(128);
    col->SetColor(clYellow);
    col->GetFont()->SetName("Liberation Serif");
    col->GetFont()->SetSize(14);
    col->GetFont()->SetStyle({fsBold});
    TCarrelonCell* own = Grid->GetCells(2, 2);
    own->SetText("own");
    own->SetColor(clAqua);
    own->SetTextAlignment(taCenter);
    own->GetFont()->SetColor(clRed);
    own->GetFont()->SetStyle({fsItalic});
    own->GetOuterBorder()->SetWidth(2);
    own->GetOuterBorder()->SetColor(clBtnShadow);  // a system colour
    MakeMergedCell(Grid, 0, 2, 1, 3)->SetText("merged");
    Grid->GetCells(0, 2)->SetTextAlignment(taRightJustify);

    const std::string path = File("types.xlsx");
    ASSERT_TRUE(Grid->ExportToExcelFile(path));
    const std::string out = Xlsx(R"(
print('dims', ws.max_row, ws.max_column)
print('values', repr(ws['A2'].value), repr(ws['B2'].value), ws['B2'].is_date, repr(ws['C2'].value), repr(ws['D2'].value))
print('comment', repr(ws['E2'].comment.text))
print('merged', [str(r) for r in ws.merged_cells.ranges])
print('mergedtext', ws['A3'].value, ws['A3'].alignment.horizontal)
print('width', round(ws.column_dimensions['B'].width, 2))
f = ws['B2'].font
print('colfont', f.name, f.sz, f.b, ws['B2'].fill.fgColor.rgb)
f = ws['C3'].font
print('ownfont', f.i, f.color.rgb, ws['C3'].fill.fgColor.rgb, ws['C3'].alignment.horizontal)
print('border', ws['C3'].border.left.style, ws['C3'].border.left.color.rgb)
)",
                                 path);
    if (Skipped) GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_NE(out.find("dims 4 5"), std::string::npos) << out;
    EXPECT_NE(out.find("values 42.5 datetime.datetime(2023, 3, 15, 0, 0) True 7 True"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("comment 'a\\nhint'"), std::string::npos) << out;
    EXPECT_NE(out.find("merged ['A3:B4']"), std::string::npos) << out;
    EXPECT_NE(out.find("mergedtext merged right"), std::string::npos) << out;
    EXPECT_NE(out.find("colfont Liberation Serif 14.0 True FFFFFF00"), std::string::npos) << out;
    EXPECT_NE(out.find("ownfont True FFFF0000 FF00FFFF center"), std::string::npos) << out;
    EXPECT_NE(out.find("border medium FF808080"), std::string::npos) << out;
    // 128 pixels at 7 pixels a character and 5 of padding.
    EXPECT_NE(out.find("width 17.57"), std::string::npos) << out;

    if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    EXPECT_NE(ConvertWithLibreOffice(path, "pdf", Dir.string()), "");
}

TEST_F(ExcelExport, FormulasComputeTheGridsValuesInLibreOffice) {
    if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    Shape(4, 1);
    Grid->SetSpreadsheetEnabled(true);
    Grid->GetCells(0, 0)->SetValue(Variant(3.0));
    Formula(1, 0, "A1+1>2");
    Formula(2, 0, "-A1^2");
    Formula(3, 0, "2^3^2");
    ASSERT_TRUE(Grid->ExportToExcelFile(File("values.xlsx")));
    const std::string csv = ConvertWithLibreOffice(File("values.xlsx"), "csv", Dir.string());
    ASSERT_NE(csv, "");
    const std::string grid =
        Grid->GetCells(0, 0)->GetText() + "," + Grid->GetCells(1, 0)->GetText() + "," +
        Grid->GetCells(2, 0)->GetText() + "," + Grid->GetCells(3, 0)->GetText();
    EXPECT_EQ(grid, "3,3,-9,512");
    std::string text = ReadBytes(csv);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    EXPECT_EQ(text, grid);
}

TEST_F(ExcelExport, ProgressCountsColumnsThenVisitedCells) {
    Shape(3, 4);
    Grid->SetSpreadsheetHeaders(true);
    std::vector<int> positions;
    int end = 0;
    Grid->OnExportProgress = [&](TCarrelon*, int Position, int EndPosition, bool&) {
        positions.push_back(Position);
        end = EndPosition;
    };
    ASSERT_TRUE(Grid->ExportToExcelFile(File("p.xlsx")));
    // M = 2, N = 3: two column steps, then six cells.
    EXPECT_EQ(end, 2 * 3 + 2);
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    // A 2 x 2 merge is met once per column it spans; its covered rows are skipped.
    Grid->SetSpreadsheetHeaders(false);
    Shape(2, 3);
    MakeMergedCell(Grid, 0, 0, 1, 1);
    positions.clear();
    Log.clear();
    SetOleCallLog(&Log);
    ASSERT_TRUE(Grid->ExportToExcelFile(File("m.xlsx")));
    SetOleCallLog(nullptr);
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 5, 6, 8}));
    EXPECT_EQ(Calls("Excel.Range.Merge").size(), 1u);
}

TEST_F(ExcelExport, StopAndFailureQuitOnlyAnInstanceTheExportStarted) {
    Shape(2, 2);
    const std::string path = File("kept.xlsx");
    { std::ofstream(path) << "old"; }
    // Mode 1 starts its own instance: Stop and failures quit it, the file stays.
    Grid->OnExportProgress = [](TCarrelon*, int Position, int, bool& Stop) {
        Stop = Position == 3;
    };
    EXPECT_FALSE(ExportLogged(path));
    EXPECT_TRUE(Logged("Excel.Application.Quit"));
    EXPECT_EQ(ReadBytes(path), "old");
    Grid->OnExportProgress = nullptr;
    for (const char* member : {"Excel.Workbook.SaveAs", "Excel.Range.Merge", "Excel.Range.Value"}) {
        MakeMergedCell(Grid, 0, 1, 1, 1);
        InjectOleMemberFailure(member, "broken");
        EXPECT_FALSE(ExportLogged(path)) << member;
        ClearOleInjections();
        EXPECT_TRUE(Logged("Excel.Application.Quit")) << member;
        EXPECT_EQ(ReadBytes(path), "old") << member;
    }
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(OleInitializeDepth(), 0);

    // Mode 0 attaches to a running instance: Stop closes only the new workbook, and the
    // instance stays as it was, visible or not.
    for (bool visible : {true, false}) {
        auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
        app->SetVisible(true);  // given to the user: registered as running
        app->SetVisible(visible);
        app->SetSheetsInNewWorkbook(3);
        app->GetWorkbooks()->Add();
        Grid->OnExportProgress = [](TCarrelon*, int, int, bool& Stop) { Stop = true; };
        Log.clear();
        SetOleCallLog(&Log);
        EXPECT_FALSE(Grid->ExportToExcel());
        SetOleCallLog(nullptr);
        EXPECT_FALSE(Logged("Excel.Application.Quit")) << visible;
        EXPECT_TRUE(Logged("Excel.Workbook.Close(False)")) << visible;
        EXPECT_EQ(app->GetVisible(), visible);
        EXPECT_EQ(app->GetSheetsInNewWorkbook(), 3);
        IUnknownPtr running;
        EXPECT_EQ(GetActiveObject(ProgIDToClassID("Excel.Application"), nullptr, running), S_OK);
        EXPECT_EQ(running, app);

        // A complete export lands in the running instance and shows it.
        Grid->OnExportProgress = nullptr;
        Grid->GetCells(0, 0)->SetText("into the running one");
        ASSERT_TRUE(Grid->ExportToExcel());
        EXPECT_TRUE(app->GetVisible());
        EXPECT_EQ(app->GetActiveSheet()->Cells(1, 1)->GetValue().AsString(),
                  "into the running one");
        app->Quit();
    }
}

TEST_F(ExcelExport, ExcelThatCannotStartShowsWhy) {
    InjectOleStartFailure("Excel.Application", "Class not registered", REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(Grid->ExportToExcel());
    EXPECT_FALSE(Grid->ExportToExcelFile(File("none.xlsx")));
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_EQ(Messages[0], "Could not start Microsoft Excel\r\n\r\nClass not registered");
    EXPECT_FALSE(std::filesystem::exists(File("none.xlsx")));
    EXPECT_EQ(OleInitializeDepth(), 0);
}

TEST_F(ExcelExport, WorkbookLeftOpenReachesTheUserAsAFileThatOpens) {
    Shape(2, 2);
    Grid->GetCells(1, 1)->SetText("shown");
    ASSERT_TRUE(Grid->ExportToExcel());
    ASSERT_EQ(Shown.size(), 1u);
    const std::string out = Xlsx("print(ws['B2'].value)", Shown[0]);
    if (Skipped) GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_EQ(out, "shown\n");
    // The instance is the user's now: a later export finds it running.
    IUnknownPtr running;
    EXPECT_EQ(GetActiveObject(ProgIDToClassID("Excel.Application"), nullptr, running), S_OK);
}

TEST_F(ExcelExport, HiddenColumnsAreLeftOutAndReferencesFollow) {
    Shape(4, 1);
    Grid->SetSpreadsheetEnabled(true);
    Grid->GetCells(0, 0)->SetValue(Variant(1.0));
    Grid->GetCells(1, 0)->SetValue(Variant(2.0));
    Formula(2, 0, "A1*10");
    Formula(3, 0, "B1+C1");
    ASSERT_TRUE(Grid->HideColumn(1));
    ASSERT_TRUE(ExportLogged(File("hidden.xlsx")));
    // Sheet columns: A, C (as B), D (as C); D's formula reads the hidden B: its value goes.
    EXPECT_TRUE(Logged("Excel.Range.Formula := \"=A1*10\""));
    EXPECT_TRUE(Logged("Excel.Range.Value := 12"));
}

}  // namespace
}  // namespace carrelon::test
