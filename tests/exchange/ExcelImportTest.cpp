// Import from a workbook file: the used range and its offsets, panes of the chosen sheet, the
// value rules, separators, formulas by meaning, merges, centring across a selection, comments,
// alignments, condensing, Stop, workbooks written by openpyxl and re-saved by LibreOffice,
// export and import again, damaged files and sheets beyond the budget that change nothing,
// used ranges of whole rows or columns, shared formulas and rich text, and the caller's lock.
#include <unistd.h>

#include <fstream>
#include <functional>

#include "grid/ScopeExit.h"
#include "platform/automation/ExcelAutomation.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Locale.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/OfficeGridFixture.h"
#include "tests/support/TempFolder.h"

namespace carrelon::test {
namespace {

using excel::ApplicationPtr;
using excel::WorksheetPtr;

class ExcelImport : public OfficeGridFixture {
protected:
    // Writes a workbook through the platform's server; Fill gets its only sheet.
    std::string Workbook(const std::string& Name, const std::function<void(WorksheetPtr)>& Fill) {
        const std::string path = File(Name);
        auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
        app->SetSheetsInNewWorkbook(1);
        auto wb = app->GetWorkbooks()->Add();
        Fill(app->GetActiveSheet());
        wb->SaveAs(path);
        app->Quit();
        return path;
    }
    // Writes a workbook with openpyxl: Script gets "wb" and "ws" (its active sheet) and may
    // import from openpyxl.styles; false when openpyxl is missing.
    bool Openpyxl(const std::string& Path, const std::string& Script) {
        std::string out;
        const int rc = RunPython(
            "import sys, openpyxl\nfrom openpyxl.styles import *\nfrom openpyxl.comments import "
            "Comment\nwb = openpyxl.Workbook()\nws = wb.active\n" +
                Script + "\nwb.save(sys.argv[1])\n",
            {Path}, out, {"openpyxl"});
        EXPECT_TRUE(rc == 0 || rc == -1) << out;
        return rc == 0;
    }
    // Writes a workbook part by part with Python's zipfile: Sheet is what the worksheet holds
    // (its <dimension>, <cols> and <sheetData>), Strings the shared strings' items. Style 1 is
    // bold. False when python3 is missing.
    bool HandMade(const std::string& Path, const std::string& Sheet,
                  const std::string& Strings = {}) {
        std::string out;
        const int rc = RunPython(R"(
import sys, zipfile
ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
parts = {
  '[Content_Types].xml': '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
  'xl/workbook.xml': '<workbook ' + ns + ' xmlns:r="' + rel + '"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
  'xl/_rels/workbook.xml.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="' + rel + '/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="' + rel + '/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type="' + rel + '/styles" Target="styles.xml"/></Relationships>',
  'xl/sharedStrings.xml': '<sst ' + ns + '>' + sys.argv[3] + '</sst>',
  'xl/styles.xml': '<styleSheet ' + ns + '><fonts><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font></fonts><fills><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders><border/></borders><cellXfs><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/><xf numFmtId="0" fontId="1" fillId="0" borderId="0" applyFont="1"/></cellXfs></styleSheet>',
  'xl/worksheets/sheet1.xml': '<worksheet ' + ns + '>' + sys.argv[2] + '</worksheet>',
}
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for name, data in parts.items():
        z.writestr(name, data)
)",
                                 {Path, Sheet, Strings}, out, {});
        EXPECT_TRUE(rc == 0 || rc == -1) << out;
        return rc == 0;
    }
    // The used range the platform's server answers for a sheet of the workbook.
    AnsiString UsedAddress(const std::string& Path, const Variant& Sheet = Null) {
        auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
        app->GetWorkbooks()->Open(Path);
        const WorksheetPtr s = Sheet.IsNull() ? app->GetActiveSheet() : app->GetSheets(Sheet);
        const AnsiString address = s->GetUsedRange()->GetAddress(false, false);
        app->Quit();
        return address;
    }
    bool ImportLogged(const std::string& Path, const Variant& Sheet = Null) {
        Log.clear();
        SetOleCallLog(&Log);
        TScopeExit Off([] { SetOleCallLog(nullptr); });
        return Grid->ImportFromExcelFile(Path, Sheet);
    }
    // The grid's whole state as INI text.
    std::string State() {
        TStringList lines;
        Grid->SaveToIniStrings(&lines);
        return lines.GetText();
    }
    AnsiString Text(int ACol, int ARow) { return Grid->GetCells(ACol, ARow)->GetText(); }
    Variant Value(int ACol, int ARow) { return Grid->GetCells(ACol, ARow)->GetValue(); }
};

TEST_F(ExcelImport, UsedRangeLandsAtItsSheetPlaceAndCountsTheProgress) {
    const std::string path = Workbook("offset.xlsx", [](WorksheetPtr S) {
        S->Cells(3, 3)->SetValue(Variant("c3"));
        S->Cells(4, 4)->SetValue(Variant(4.0));
    });
    for (bool headings : {false, true}) {
        Grid->SetSpreadsheetHeaders(headings);
        const int H = headings ? 1 : 0;
        std::vector<int> positions;
        int end = 0;
        Grid->OnImportProgress = [&](TCarrelon*, int Position, int EndPosition, bool&) {
            positions.push_back(Position);
            end = EndPosition;
        };
        ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null)) << headings;
        EXPECT_EQ(Grid->GetColCount(), H + 4);
        EXPECT_EQ(Grid->GetRowCount(), H + 4);
        EXPECT_EQ(Grid->GetSpreadsheetHeaders(), headings);
        EXPECT_EQ(Grid->GetFixedCols(), H);
        EXPECT_EQ(Grid->GetFixedRows(), H);
        EXPECT_EQ(Text(H + 2, H + 2), "c3");
        EXPECT_EQ(Value(H + 3, H + 3).AsDouble(), 4.0);
        EXPECT_TRUE(Grid->RowIsEmpty(H) && Grid->RowIsEmpty(H + 1));
        EXPECT_EQ(end, 4);
        EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4}));
        ExpectModelSound();
    }
    EXPECT_EQ(OleInitializeDepth(), 0);
    IUnknownPtr running;
    EXPECT_EQ(GetActiveObject(ProgIDToClassID("Excel.Application"), nullptr, running),
              MK_E_UNAVAILABLE);
}

TEST_F(ExcelImport, ValuesFollowWhatTheSheetShows) {
    TLocaleScope locale;
    DecimalSeparator = ',';
    ListSeparator = ';';
    ThousandSeparator = '.';
    // openpyxl writes formulas without results: LibreOffice computes and saves them.
    if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    const std::string written = File("values.xlsx");
    if (!Openpyxl(written, R"(
import datetime
ws['A1'] = 1234; ws['A1'].number_format = '#,##0.00'
ws['A2'] = 5
ws['A3'] = datetime.time(12, 30); ws['A3'].number_format = 'h:mm'
ws['A4'] = datetime.datetime(2024, 2, 29)
ws['A5'] = 'two\nlines'
ws['A6'] = '=NA()'
ws['A7'] = True
ws['A8'] = 2.5
ws['B1'] = '=A8*2.5'
ws['B2'] = '=SUM(A2,2.5)'
ws['B3'] = '=A2+1>A8'
ws['B4'] = '="text"'
ws['B5'] = "'quoted"
ws['B6'] = 7; ws['B6'].number_format = '"$"#,##0.00'
)"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    const std::filesystem::path lo = Dir / "lo";
    std::filesystem::create_directories(lo);
    const std::string path = ConvertWithLibreOffice(written, "xlsx", lo.string());
    ASSERT_NE(path, "");
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null));
    EXPECT_EQ(Text(0, 0), "1.234,00");  // shown with its format: the text
    EXPECT_TRUE(Value(0, 0).IsString());
    EXPECT_EQ(Value(0, 1).Type(), varDouble);  // 5 shown as 5: the number
    EXPECT_EQ(Value(0, 2).Type(), varDate);    // a time shown by the sheet
    EXPECT_NEAR(Value(0, 2).AsDouble(), 0.5208333, 1e-6);
    EXPECT_EQ(Value(0, 3).Type(), varDate);
    EXPECT_EQ(Text(0, 4), "two\r\nlines");
    EXPECT_EQ(Text(0, 5), "#N/A");  // an error value arrives as its text
    EXPECT_TRUE(Value(0, 5).IsString());
    EXPECT_EQ(Text(0, 6), "TRUE");  // LibreOffice saves it as the formula TRUE()
    // Formulas the grid reads alike come in with the user's separators.
    EXPECT_EQ(Grid->GetCells(1, 0)->GetFormula(), "A8*2,5");
    EXPECT_EQ(Grid->GetCells(1, 1)->GetFormula(), "SUM(A2;2,5)");
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    EXPECT_EQ(Text(1, 0), "6,25");
    EXPECT_EQ(Text(1, 1), "7,5");
    // One that would compute otherwise, and one giving a text, bring their values.
    EXPECT_EQ(Grid->GetCells(1, 2)->GetFormula(), "");
    EXPECT_EQ(Text(1, 2), "TRUE");
    EXPECT_EQ(Grid->GetCells(1, 3)->GetFormula(), "");
    EXPECT_EQ(Text(1, 3), "text");
    EXPECT_EQ(Text(1, 4), "'quoted");
    EXPECT_EQ(Value(1, 5).Type(), varCurrency);
}

// A number under a date format beyond the calendar has no date the grid could show: it comes in
// as what the sheet shows, and the import neither raises nor leaves the grid half-built.
TEST_F(ExcelImport, DatesBeyondTheCalendarComeInAsTheSheetsText) {
    const std::string path = File("far-dates.xlsx");
    if (!Openpyxl(path, R"(
ws['A1'] = -1.5e10; ws['A1'].number_format = 'yyyy-mm-dd'
ws['A2'] = 3e6; ws['A2'].number_format = 'yyyy-mm-dd'
ws['A3'] = 45000; ws['A3'].number_format = 'yyyy-mm-dd'
)"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
    app->GetWorkbooks()->Open(path);
    const AnsiString shown1 = app->GetActiveSheet()->Cells(1, 1)->GetText().AsString();
    const AnsiString shown2 = app->GetActiveSheet()->Cells(2, 1)->GetText().AsString();
    app->Quit();
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null));
    EXPECT_TRUE(Value(0, 0).IsString());
    EXPECT_EQ(Text(0, 0), shown1);
    EXPECT_TRUE(Value(0, 1).IsString());
    EXPECT_EQ(Text(0, 1), shown2);
    EXPECT_EQ(Value(0, 2).Type(), varDate);  // a date within the calendar stays a date
    ExpectModelSound();
}

TEST_F(ExcelImport, PanesOfTheChosenSheetBecomeFixedParts) {
    const std::string path = File("panes.xlsx");
    if (!Openpyxl(path, R"(
ws.title = 'First'
for r in range(1, 5):
    for c in range(1, 4):
        ws.cell(r, c, r * 10 + c)
ws2 = wb.create_sheet('Second')
for r in range(1, 6):
    for c in range(1, 6):
        ws2.cell(r, c, -(r * 10 + c))
ws2.freeze_panes = 'C2'
ws3 = wb.create_sheet('Third')
ws3['A1'] = 1; ws3['B1'] = 2
ws3.freeze_panes = 'E3'
wb.active = 0
)"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    struct Case {
        Variant Sheet;
        bool Headings;
        int Cols, Rows, FixedCols, FixedRows;
        double A1;
    } cases[] = {
        {Null, false, 3, 4, 0, 0, 11},
        {Variant("Second"), false, 5, 5, 2, 1, -11},
        {Variant(2), true, 6, 6, 3, 2, -11},
        // A pane at or beyond the last column stops before it.
        {Variant("Third"), false, 2, 1, 1, 1, 1},
        {Variant("Third"), true, 3, 2, 2, 2, 1},
    };
    for (const Case& c : cases) {
        Grid->SetSpreadsheetHeaders(c.Headings);
        ASSERT_TRUE(Grid->ImportFromExcelFile(path, c.Sheet)) << c.Sheet.AsString();
        const int H = c.Headings ? 1 : 0;
        EXPECT_EQ(Grid->GetColCount(), c.Cols) << c.Sheet.AsString();
        EXPECT_EQ(Grid->GetRowCount(), c.Rows) << c.Sheet.AsString();
        EXPECT_EQ(Grid->GetFixedCols(), c.FixedCols) << c.Sheet.AsString();
        EXPECT_EQ(Grid->GetFixedRows(), c.FixedRows) << c.Sheet.AsString();
        EXPECT_EQ(Value(H, H).AsDouble(), c.A1) << c.Sheet.AsString();
        EXPECT_EQ(Grid->GetSpreadsheetHeaders(), c.Headings);
        ExpectModelSound();
    }
    // A sheet the workbook lacks raises after the application quit; the grid stays.
    const std::string before = State();
    EXPECT_THROW(Grid->ImportFromExcelFile(path, Variant("Fourth")), EOleException);
    EXPECT_THROW(Grid->ImportFromExcelFile(path, Variant(9)), EOleException);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(OleInitializeDepth(), 0);
}

TEST_F(ExcelImport, MergesCentringCommentsAndAlignments) {
    const std::string path = File("layout.xlsx");
    if (!Openpyxl(path, R"(
ws['A1'] = 'merged'; ws.merge_cells('A1:B2')
ws['C1'] = 'across'
for c in ('C1', 'D1', 'E1'):
    ws[c].alignment = Alignment(horizontal='centerContinuous')
ws['A3'] = 12; ws['B3'] = 'text'
ws['C3'] = 'right'; ws['C3'].alignment = Alignment(horizontal='right', vertical='top')
ws['D3'] = 'mid'; ws['D3'].alignment = Alignment(vertical='center')
ws['E3'] = 'noted'; ws['E3'].comment = Comment('first\nsecond', 'me')
ws['A4'] = 'red'; ws['A4'].fill = PatternFill('solid', fgColor='FF0000')
ws['A4'].font = Font(name='Liberation Serif', size=14, bold=True, italic=True, underline='single', strike=True, color='0000FF')
)"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    Grid->SetShowHint(false);
    std::vector<int> positions;
    int end = 0;
    Grid->OnImportProgress = [&](TCarrelon*, int Position, int EndPosition, bool&) {
        positions.push_back(Position);
        end = EndPosition;
    };
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null));
    ExpectModelSound();
    // A 2 x 2 area merges once; its other slots fire nothing.
    TCarrelonCell* merged = Grid->GetCells(0, 0);
    EXPECT_EQ(merged, Grid->GetCells(1, 1));
    EXPECT_EQ(merged->GetText(), "merged");
    EXPECT_EQ(end, 5 * 4);
    EXPECT_LT(positions.size(), 20u);
    EXPECT_EQ(std::count(positions.begin(), positions.end(), 2), 0);
    // Centring across C1:E1 merges the run.
    EXPECT_EQ(Grid->GetCells(2, 0), Grid->GetCells(4, 0));
    EXPECT_EQ(Grid->GetCells(2, 0)->GetTextAlignment(), taCenter);
    // General alignment: numbers right, texts left.
    EXPECT_EQ(Grid->GetCells(0, 2)->GetTextAlignment(), taRightJustify);
    EXPECT_EQ(Grid->GetCells(1, 2)->GetTextAlignment(), taLeftJustify);
    EXPECT_EQ(Grid->GetCells(2, 2)->GetTextAlignment(), taRightJustify);
    EXPECT_EQ(Grid->GetCells(2, 2)->GetTextLayout(), tlTop);
    EXPECT_EQ(Grid->GetCells(3, 2)->GetTextLayout(), tlCenter);
    EXPECT_EQ(Grid->GetCells(0, 2)->GetTextLayout(), tlBottom);
    EXPECT_TRUE(Grid->GetShowHint());
    EXPECT_EQ(Grid->GetCells(4, 2)->GetHint(), "first\r\nsecond");
    TCarrelonCell* red = Grid->GetCells(0, 3);
    EXPECT_EQ(red->GetColor(), clRed);
    const TFont* f = red->CalcFont();
    EXPECT_EQ(f->GetName(), "Liberation Serif");
    EXPECT_EQ(f->GetSize(), 14);
    EXPECT_EQ(f->GetColor(), clBlue);
    EXPECT_EQ(f->GetStyle(), (TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut}));
}

TEST_F(ExcelImport, UniformColumnsKeepTheirLookOnTheColumn) {
    const std::string path = Workbook("uniform.xlsx", [](WorksheetPtr S) {
        for (int r = 1; r <= 4; ++r) {
            S->Cells(r, 1)->SetValue(Variant("a"));
            S->Cells(r, 2)->SetValue(Variant(static_cast<double>(r)));
            S->Cells(r, 2)->GetInterior()->SetColor(Variant(0x00FFFF));
            S->Cells(r, 2)->GetFont()->SetBold(Variant(true));
        }
        S->Cells(4, 1)->GetFont()->SetSize(Variant(20));
    });
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null));
    TCarrelonCol* b = Grid->GetCols(1);
    EXPECT_EQ(b->GetColor(), clYellow);
    EXPECT_EQ(b->GetFixedColor(), clYellow);
    EXPECT_EQ(b->GetTextAlignment(), taRightJustify);
    EXPECT_EQ(b->GetTextLayout(), tlBottom);
    EXPECT_TRUE(b->CalcFont()->GetStyle().Contains(fsBold));
    for (int r = 0; r < 4; ++r) {
        EXPECT_FALSE(TCarrelonTestAccess::HasProperties(Grid->GetCells(1, r))) << r;
    }
    // Column A differs in size only: name and colour are lifted, the size stays per cell.
    TCarrelonCol* a = Grid->GetCols(0);
    EXPECT_EQ(a->CalcFont()->GetName(), "Calibri");
    EXPECT_EQ(Grid->GetCells(0, 3)->CalcFont()->GetSize(), 20);
    EXPECT_EQ(Grid->GetCells(0, 0)->CalcFont()->GetSize(), 11);
}

TEST_F(ExcelImport, StopKeepsWhatWasReadAndLiftsNothing) {
    const std::string path = Workbook("stop.xlsx", [](WorksheetPtr S) {
        for (int c = 1; c <= 3; ++c)
            for (int r = 1; r <= 3; ++r)
                S->Cells(r, c)->SetValue(Variant(c * 10.0 + r));
        S->Cells(1, 1)->SetFormula(Variant("=B1+1"));
    });
    Grid->SetSpreadsheetEnabled(false);
    Grid->OnImportProgress = [](TCarrelon*, int Position, int, bool& Stop) {
        Stop = Position == 4;
    };
    EXPECT_FALSE(Grid->ImportFromExcelFile(path, Null));
    EXPECT_EQ(Grid->GetCells(0, 0)->GetFormula(), "B1+1");
    EXPECT_EQ(Value(1, 0).AsDouble(), 21);
    EXPECT_TRUE(Value(1, 1).IsEmpty());
    // A formula came in: spreadsheet mode is on, and computed it.
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    EXPECT_EQ(Text(0, 0), "22");
    // No lift: the cells keep their own colour.
    EXPECT_NE(Grid->GetCols(0)->GetColor(), static_cast<TColor>(0xFFFFFF));
    ExpectModelSound();
}

TEST_F(ExcelImport, DamagedOrMissingFilesChangeNothing) {
    Grid->SetColCount(3);
    Grid->SetRowCount(3);
    Grid->GetCells(1, 1)->SetText("kept");
    const std::string before = State();
    EXPECT_FALSE(Grid->ImportFromExcelFile(File("missing.xlsx"), Null));
    EXPECT_FALSE(Grid->ImportFromExcelFile("", Null));
    const std::string good =
        Workbook("good.xlsx", [](WorksheetPtr S) { S->Cells(2, 2)->SetValue(Variant("new")); });
    const std::string bytes = ReadBytes(good);
    const struct {
        const char* Name;
        std::string Bytes;
    } files[] = {
        {"text.xlsx", "not a workbook"},
        {"empty.xlsx", ""},
        {"half.xlsx", bytes.substr(0, bytes.size() / 2)},
        {"flipped.xlsx",
         [&] {
             std::string b = bytes;
             for (std::size_t i = 40; i < b.size(); i += 97)
                 b[i] = static_cast<char>(b[i] ^ 0x5A);
             return b;
         }()},
    };
    for (const auto& f : files) {
        WriteBytes(File(f.Name), f.Bytes);
        EXPECT_ANY_THROW(Grid->ImportFromExcelFile(File(f.Name), Null)) << f.Name;
        EXPECT_EQ(State(), before) << f.Name;
        EXPECT_EQ(OleInitializeDepth(), 0);
    }
    // A start failure shows why and changes nothing either.
    InjectOleStartFailure("Excel.Application", "Server execution failed");
    EXPECT_FALSE(Grid->ImportFromExcelFile(good, Null));
    ClearOleInjections();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Could not start Microsoft Excel\r\n\r\nServer execution failed");
    InjectCoInitializeResult(E_OUTOFMEMORY);
    EXPECT_FALSE(Grid->ImportFromExcelFile(good, Null));
    ClearOleInjections();
    EXPECT_EQ(State(), before);
    // A failing member anywhere in the reading leaves the grid too.
    for (const char* member :
         {"Excel.Range.Text", "Excel.Font.Name", "Excel.Range.MergeCells", "Excel.Range.Address"}) {
        InjectOleMemberFailure(member, "broken");
        EXPECT_THROW(Grid->ImportFromExcelFile(good, Null), EOleException) << member;
        ClearOleInjections();
        EXPECT_EQ(State(), before) << member;
    }
    EXPECT_TRUE(Grid->ImportFromExcelFile(good, Null));
    EXPECT_EQ(Text(1, 1), "new");
}

TEST_F(ExcelImport, RelativeNameIsTestedAndOpenedInTheCurrentFolder) {
    Workbook("here.xlsx", [](WorksheetPtr S) { S->Cells(1, 1)->SetValue(Variant("here")); });
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(Dir.c_str()), 0);
    const bool ok = Grid->ImportFromExcelFile("here.xlsx", Null);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Text(0, 0), "here");
}

TEST_F(ExcelImport, ExportThenImportKeepsTheCells) {
    Grid->SetColCount(4);
    Grid->SetRowCount(4);
    Grid->SetSpreadsheetEnabled(true);
    Grid->GetCells(0, 0)->SetText("name");
    Grid->GetCells(1, 0)->SetValue(Variant(1.5));
    Grid->GetCells(2, 0)->SetValue(Variant(TDateTime(45123)));
    Grid->GetCells(3, 0)->SetFormula("b1*2+1");
    Grid->GetCells(0, 1)->SetText("=1+1 as text");
    Grid->GetCells(1, 1)->SetText("line\r\nbreak");
    Grid->GetCells(2, 1)->SetFormula("b1&1");
    Grid->GetCells(3, 1)->SetHint("a hint");
    MakeMergedCell(Grid, 0, 2, 1, 3)->SetText("merged");
    std::vector<AnsiString> texts;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            texts.push_back(Text(c, r));
    const std::string path = File("round.xlsx");
    ASSERT_TRUE(Grid->ExportToExcelFile(path));

    std::vector<std::string> files = {path};
    if (HaveLibreOffice()) {
        // The same workbook saved by LibreOffice imports alike.
        const std::filesystem::path lo = Dir / "lo";
        std::filesystem::create_directories(lo);
        const std::string resaved = ConvertWithLibreOffice(path, "xlsx", lo.string());
        EXPECT_NE(resaved, "");
        if (!resaved.empty()) files.push_back(resaved);
    }
    for (const std::string& file : files) {
        auto* other = new TCarrelon(Form.get());
        other->SetParent(Form.get());
        ASSERT_TRUE(other->ImportFromExcelFile(file, Null)) << file;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(other->GetCells(c, r)->GetText(), texts[static_cast<size_t>(r * 4 + c)])
                    << file << " " << c << "," << r;
        EXPECT_EQ(other->GetCells(3, 0)->GetFormula(), "(B1*2)+1") << file;
        EXPECT_EQ(other->GetCells(2, 1)->GetFormula(), "AND(B1,1)") << file;
        EXPECT_EQ(other->GetCells(3, 1)->GetHint(), "a hint") << file;
        EXPECT_EQ(other->GetCells(0, 2), other->GetCells(1, 3)) << file;
        delete other;
    }
}

TEST_F(ExcelImport, WholeRowsReachToTheLastFilledColumn) {
    const std::string path = File("rows.xlsx");
    if (!Openpyxl(path, R"(
ws['B3'] = 'b'; ws['D4'] = 'd'
ws['F3'].fill = PatternFill('solid', fgColor='00FF00')
ws.row_dimensions[3].fill = PatternFill('solid', fgColor='FFFF00')
)"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null));
    EXPECT_EQ(Text(1, 2), "b");
    EXPECT_EQ(Text(3, 3), "d");
    EXPECT_GE(Grid->GetColCount(), 4);
    EXPECT_LT(Grid->GetColCount(), 100);
}

// Rows formatted whole (a bold heading row, an italic last row) make the sheet's used range span
// every column of the sheet. The import takes the columns up to the last one holding something,
// then on while a column has a filled cell, asking the sheet for no range larger than it serves
// and for nothing per column of the sheet's width.
TEST_F(ExcelImport, FormattedWholeRowsComeInAsFarAsTheirCellsReach) {
    constexpr int Rows = 121;
    const std::string path = Workbook("whole-rows.xlsx", [](WorksheetPtr S) {
        S->GetRange(S->Cells(1, 1), S->Cells(1, 16384))->GetFont()->SetBold(Variant(true));
        S->GetRange(S->Cells(Rows, 1), S->Cells(Rows, 16384))->GetFont()->SetItalic(Variant(true));
        for (int c = 1; c <= 5; ++c)
            S->Cells(1, c)->SetValue(Variant("head" + std::to_string(c)));
        for (int r = 2; r <= Rows; ++r)
            for (int c = 1; c <= 5; ++c)
                S->Cells(r, c)->SetValue(Variant(r * 10.0 + c));
        S->Cells(60, 6)->GetInterior()->SetColor(Variant(0x00FFFF));  // filled beyond the text
    });
    ASSERT_EQ(UsedAddress(path), "1:" + std::to_string(Rows));
    for (bool headings : {false, true}) {
        Grid->SetSpreadsheetHeaders(headings);
        const int H = headings ? 1 : 0;
        int end = 0;
        Grid->OnImportProgress = [&](TCarrelon*, int, int EndPosition, bool&) {
            end = EndPosition;
        };
        ASSERT_TRUE(ImportLogged(path)) << headings;
        EXPECT_EQ(Grid->GetColCount(), H + 6) << headings;
        EXPECT_EQ(Grid->GetRowCount(), H + Rows) << headings;
        EXPECT_EQ(end, 6 * Rows);
        EXPECT_EQ(Text(H + 4, H), "head5");
        EXPECT_TRUE(Grid->GetCells(H + 4, H)->CalcFont()->GetStyle().Contains(fsBold));
        EXPECT_EQ(Value(H + 4, H + Rows - 1).AsDouble(), Rows * 10.0 + 5);
        EXPECT_TRUE(Grid->GetCells(H + 4, H + Rows - 1)->CalcFont()->GetStyle().Contains(fsItalic));
        EXPECT_EQ(Grid->GetCells(H + 5, H + 59)->GetColor(), clYellow);
        // A fixed number of calls per imported slot, none for the 16,384 columns.
        EXPECT_LT(Log.size(), 30u * 6 * Rows) << headings;
        ExpectModelSound();
    }
    Grid->OnImportProgress = nullptr;
}

// A row filled across the sheet fills every column, so the columns go on to the sheet's last;
// the size is checked as they are added, and the import stops at the budget without asking
// about the rest.
TEST_F(ExcelImport, RowsFilledAcrossTheSheetStopAtTheCellBudget) {
    const std::string path = Workbook("filled-rows.xlsx", [](WorksheetPtr S) {
        S->GetRange(S->Cells(1, 1), S->Cells(1, 16384))->GetInterior()->SetColor(Variant(0x00FFFF));
        for (int r = 1; r <= 100; ++r)
            for (int c = 1; c <= 3; ++c)
                S->Cells(r, c)->SetValue(Variant(r * 10.0 + c));
    });
    Grid->GetCells(1, 1)->SetText("kept");
    const std::string before = State();
    Grid->SetCellBudget(50'000);
    EXPECT_THROW(ImportLogged(path), EOutOfMemory);
    EXPECT_EQ(State(), before);
    EXPECT_LT(Calls("Excel.Interior.Color").size(), 50'000u / 100 + 10);
    EXPECT_EQ(Calls("Excel.Range.Formula").size(), 0u);  // no slot was read
    EXPECT_EQ(OleInitializeDepth(), 0);
}

// Workbooks as openpyxl writes them with row and column formats: a formatted row gives whole
// rows, a formatted column whole columns ("A:C"), both the whole sheet. Each imports the cells
// the sheet holds.
TEST_F(ExcelImport, RowAndColumnFormatsOfAWorkbookImportItsCells) {
    const std::string path = File("formats.xlsx");
    if (!Openpyxl(path, R"(
ws.title = 'Rows'
for r in range(1, 152):
    for c in range(1, 5):
        ws.cell(r, c, r * 10 + c)
ws.row_dimensions[1].font = Font(bold=True)
ws.row_dimensions[80].fill = PatternFill('solid', fgColor='FFFF00')
ws.merge_cells('D2:F3')
cols = wb.create_sheet('Columns')
for r in range(1, 151):
    for c in range(1, 4):
        cols.cell(r, c, -(r * 10 + c))
cols.column_dimensions['B'].font = Font(italic=True)
both = wb.create_sheet('Both')
for r in range(1, 131):
    both.cell(r, 1, r)
    both.cell(r, 2, 'text')
both.row_dimensions[1].font = Font(bold=True)
both.column_dimensions['D'].fill = PatternFill('solid', fgColor='00FF00')
)"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    struct Case {
        const char* Sheet;
        const char* Used;
        int Cols, Rows;
        double Last;  // the last filled cell's value
    } cases[] = {
        {"Rows", "1:151", 4, 151, 1514},
        {"Columns", "A:C", 3, 150, -1503},
        {"Both", "1:1048576", 2, 130, 130},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UsedAddress(path, Variant(c.Sheet)), c.Used) << c.Sheet;
        int end = 0;
        Grid->OnImportProgress = [&](TCarrelon*, int, int EndPosition, bool&) {
            end = EndPosition;
        };
        ASSERT_TRUE(ImportLogged(path, Variant(c.Sheet))) << c.Sheet;
        EXPECT_EQ(Grid->GetColCount(), c.Cols) << c.Sheet;
        EXPECT_EQ(Grid->GetRowCount(), c.Rows) << c.Sheet;
        EXPECT_EQ(end, c.Cols * c.Rows) << c.Sheet;
        const int lastCol = AnsiString(c.Sheet) == "Both" ? 0 : c.Cols - 1;
        EXPECT_EQ(Value(lastCol, c.Rows - 1).AsDouble(), c.Last) << c.Sheet;
        EXPECT_LT(Log.size(), 30u * c.Cols * c.Rows) << c.Sheet;
        ExpectModelSound();
    }
    Grid->OnImportProgress = nullptr;
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Variant("Rows")));
    // A merged area reaching past the last column merges what lies within the grid.
    EXPECT_EQ(Grid->GetCells(3, 1), Grid->GetCells(3, 2));
    EXPECT_EQ(Value(3, 1).AsDouble(), 24);
}

// A sheet whose file names whole columns as its dimension: rows 1 to the last holding something.
TEST_F(ExcelImport, WholeColumnDimensionImportsTheRowsThatHoldSomething) {
    std::string rows;
    for (int r = 1; r <= 120; ++r) {
        const std::string n = std::to_string(r);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c><c r=\"C" + n +
                "\" s=\"1\"><v>" + std::to_string(r * 3) + "</v></c></row>";
    }
    const std::string path = File("dimension.xlsx");
    if (!HandMade(path, "<dimension ref=\"A:C\"/><sheetData>" + rows + "</sheetData>"))
        GTEST_SKIP() << "python3 is not installed";
    ASSERT_EQ(UsedAddress(path), "A:C");
    Grid->SetSpreadsheetHeaders(true);
    ASSERT_TRUE(ImportLogged(path));
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Grid->GetRowCount(), 121);
    EXPECT_EQ(Value(1, 120).AsDouble(), 120);
    EXPECT_EQ(Value(3, 120).AsDouble(), 360);
    EXPECT_TRUE(Grid->GetCells(3, 1)->CalcFont()->GetStyle().Contains(fsBold));
    EXPECT_LT(Log.size(), 30u * 3 * 120);
    ExpectModelSound();
}

// The cell budget and the staging table's cap are checked before anything is read slot by
// slot; a sheet beyond either raises "Out of memory" and the grid stays as it was.
TEST_F(ExcelImport, SheetsBeyondTheCellBudgetOrTheStagingTableChangeNothing) {
    Grid->SetColCount(3);
    Grid->SetRowCount(3);
    Grid->GetCells(1, 1)->SetText("kept");
    const std::string before = State();
    const std::string small = Workbook("small.xlsx", [](WorksheetPtr S) {
        S->Cells(1, 1)->SetValue(Variant("a"));
        S->Cells(3, 3)->SetValue(Variant("c"));
    });
    // 17 columns of a million rows: within the grid's budget, beyond the staging table.
    const std::string far = Workbook("far.xlsx", [](WorksheetPtr S) {
        S->Cells(1, 1)->SetValue(Variant("a"));
        S->Cells(1'000'000, 17)->SetValue(Variant("q"));
    });
    Grid->SetCellBudget(8);
    EXPECT_THROW(ImportLogged(small), EOutOfMemory);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Calls("Excel.Worksheet.Cells").size(), 0u);
    Grid->SetCellBudget(TCarrelon::DefaultCellBudget);
    EXPECT_THROW(ImportLogged(far), EOutOfMemory);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Calls("Excel.Worksheet.Cells").size(), 0u);
    EXPECT_EQ(OleInitializeDepth(), 0);
    Grid->SetCellBudget(9);
    ASSERT_TRUE(Grid->ImportFromExcelFile(small, Null));
    EXPECT_EQ(Text(2, 2), "c");
}

// Through the import: shared formulas come in as each cell's own formula; rich text comes in as
// its text, and the attributes its runs disagree on (the sheet answers Null) are not given, so
// the cell keeps the grid's for them.
TEST_F(ExcelImport, SharedFormulasAndRichTextRunsComeInThroughTheSheet) {
    const std::string path = File("runs.xlsx");
    if (!HandMade(path,
                  "<sheetData>"
                  "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f t=\"shared\" ref=\"B1:B3\" "
                  "si=\"0\">A1*2+$A$1</f><v>3</v></c><c r=\"C1\" t=\"s\"><v>0</v></c>"
                  "<c r=\"D1\" t=\"s\"><v>1</v></c></row>"
                  "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><f t=\"shared\" "
                  "si=\"0\"/><v>5</v></c></row>"
                  "<row r=\"3\"><c r=\"A3\"><v>3</v></c><c r=\"B3\"><f t=\"shared\" "
                  "si=\"0\"/><v>7</v></c></row>"
                  "</sheetData>",
                  // Runs that differ in every attribute; runs that share all but the colour.
                  "<si><r><rPr><b/><i/><u/><strike/><sz val=\"14\"/><color rgb=\"FFFF0000\"/>"
                  "<rFont val=\"Arial\"/></rPr><t>mixed</t></r><r><rPr><sz val=\"9\"/>"
                  "<color rgb=\"FF0000FF\"/><rFont val=\"Courier New\"/></rPr>"
                  "<t xml:space=\"preserve\"> runs</t></r></si>"
                  "<si><r><rPr><b/><sz val=\"16\"/><color rgb=\"FFFF0000\"/><rFont val=\"Arial\"/>"
                  "</rPr><t>both</t></r><r><rPr><b/><sz val=\"16\"/><color rgb=\"FF0000FF\"/>"
                  "<rFont val=\"Arial\"/></rPr><t xml:space=\"preserve\"> bold</t></r></si>"))
        GTEST_SKIP() << "python3 is not installed";
    TFont* font = Grid->GetFont();
    font->SetName("Liberation Mono");
    font->SetSize(13);
    font->SetColor(clMaroon);
    font->SetStyle({});
    Grid->SetSpreadsheetEnabled(false);
    ASSERT_TRUE(Grid->ImportFromExcelFile(path, Null));
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    EXPECT_EQ(Grid->GetCells(1, 0)->GetFormula(), "A1*2+$A$1");
    EXPECT_EQ(Grid->GetCells(1, 1)->GetFormula(), "A2*2+$A$1");
    EXPECT_EQ(Grid->GetCells(1, 2)->GetFormula(), "A3*2+$A$1");
    EXPECT_EQ(Text(1, 2), "7");
    EXPECT_EQ(Text(2, 0), "mixed runs");
    const TFont* mixed = Grid->GetCells(2, 0)->CalcFont();
    EXPECT_EQ(mixed->GetName(), "Liberation Mono");
    EXPECT_EQ(mixed->GetSize(), 13);
    EXPECT_EQ(mixed->GetColor(), clMaroon);
    EXPECT_EQ(mixed->GetStyle(), TFontStyles{});
    EXPECT_EQ(Text(3, 0), "both bold");
    const TFont* shared = Grid->GetCells(3, 0)->CalcFont();
    EXPECT_EQ(shared->GetName(), "Arial");
    EXPECT_EQ(shared->GetSize(), 16);
    EXPECT_EQ(shared->GetColor(), clMaroon);
    EXPECT_EQ(shared->GetStyle(), TFontStyles{fsBold});
    ExpectModelSound();
}

// The import takes its own update lock and leaves one the caller holds as it found it, on
// every way it ends.
TEST_F(ExcelImport, AnOuterLockOfTheCallerStaysHeldOnEveryPath) {
    const std::string good = Workbook("lock.xlsx", [](WorksheetPtr S) {
        for (int r = 1; r <= 3; ++r)
            S->Cells(r, 1)->SetValue(Variant(static_cast<double>(r)));
    });
    const std::string bad = File("bad.xlsx");
    WriteBytes(bad, "not a workbook");
    const int& depth = TCarrelonTestAccess::Internals(Grid).FUpdateCount;
    for (const int outer : {0, 1}) {
        if (outer == 1) Grid->DisableControls();
        EXPECT_TRUE(Grid->ImportFromExcelFile(good, Null));
        EXPECT_EQ(depth, outer) << "complete";
        EXPECT_ANY_THROW(Grid->ImportFromExcelFile(bad, Null));
        EXPECT_EQ(depth, outer) << "unreadable";
        Grid->SetCellBudget(2);
        EXPECT_THROW(Grid->ImportFromExcelFile(good, Null), EOutOfMemory);
        Grid->SetCellBudget(TCarrelon::DefaultCellBudget);
        EXPECT_EQ(depth, outer) << "budget";
        Grid->OnImportProgress = [](TCarrelon*, int Position, int, bool& Stop) {
            Stop = Position == 2;
        };
        EXPECT_FALSE(Grid->ImportFromExcelFile(good, Null));
        EXPECT_EQ(depth, outer) << "stopped";
        Grid->OnImportProgress = [](TCarrelon*, int, int, bool&) {
            throw std::runtime_error("handler");
        };
        EXPECT_THROW(Grid->ImportFromExcelFile(good, Null), std::runtime_error);
        EXPECT_EQ(depth, outer) << "handler raised";
        Grid->OnImportProgress = nullptr;
    }
    EXPECT_EQ(Grid->EnableControls(), 0);
    ExpectModelSound();
}

}  // namespace
}  // namespace carrelon::test
