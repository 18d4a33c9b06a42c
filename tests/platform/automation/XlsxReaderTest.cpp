// Reading workbooks written elsewhere (openpyxl, LibreOffice, hand-made parts) and refusing
// damaged ones with a clear error.
#include <fstream>
#include <string>
#include <vector>

#include "platform/automation/ExcelAutomation.h"
#include "platform/automation/ExcelModel.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/OfficeTestSupport.h"

namespace carrelon::test {
namespace {

using namespace carrelon::excel;

class XlsxReading : public OleTest {
protected:
    void SetUp() override {
        OleTest::SetUp();
        App = OleCast<Application>(CreateOleObject("Excel.Application"));
    }
    void TearDown() override {
        App->Quit();
        OleTest::TearDown();
    }
    // Runs a Python script that writes sys.argv[1]; false when Python, or openpyxl for a script
    // that uses it, is missing. Hand-made workbooks need only the standard library.
    bool Make(const std::string& Script, const std::string& Path) {
        std::string out;
        std::vector<std::string> Modules;
        if (Script.find("openpyxl") != std::string::npos) Modules.push_back("openpyxl");
        const int rc = RunPython("import sys, zipfile\n" + Script, {Path}, out, Modules);
        if (rc == -1) return false;
        EXPECT_EQ(rc, 0) << out;
        return true;
    }
    std::string File(const std::string& Name) const { return (Dir / Name).string(); }
    ApplicationPtr App;
};

TEST_F(XlsxReading, WorkbookFromOpenpyxlAnswersValuesFormatsAndPanes) {
    const std::string path = File("py.xlsx");
    if (!Make(R"(
import openpyxl, datetime
from openpyxl.styles import Font, PatternFill, Alignment
from openpyxl.styles.colors import Color
from openpyxl.comments import Comment
wb = openpyxl.Workbook()
ws = wb.active
ws.title = 'First'
ws2 = wb.create_sheet('Data')
ws2['C3'] = 5
ws2['D3'] = 1234
ws2['D3'].number_format = '#,##0.00'
ws2['C4'] = 'text'
ws2['D4'] = '=C3*2.5'
ws2['C5'] = datetime.datetime(2024, 3, 15, 12, 30)
ws2['D5'] = datetime.time(12, 30)
ws2['D5'].number_format = 'h:mm'
ws2['C6'] = True
ws2['D6'] = 0.25
ws2['D6'].number_format = '0.0%'
ws2['C3'].font = Font(name='Arial', size=14, bold=True, italic=True, underline='single', strike=True, color='FF0000FF')
ws2['C3'].fill = PatternFill('solid', fgColor=Color(theme=4, tint=0.3999755851924192))
ws2['D3'].fill = PatternFill('solid', fgColor='FF00FF00')
ws2['C3'].alignment = Alignment(horizontal='centerContinuous', vertical='top', wrap_text=True)
ws2['C4'].comment = Comment('first\nsecond', 'me')
ws2.merge_cells('C7:D8')
ws2['C7'] = 'merged'
ws2.column_dimensions['D'].width = 20.7109375
ws2.freeze_panes = 'B2'
wb.active = 1
wb.save(sys.argv[1])
)",
              path))
        GTEST_SKIP() << "openpyxl not installed";
    App->GetWorkbooks()->Open(path);
    auto s = App->GetActiveSheet();
    EXPECT_EQ(s.get() != nullptr, true);
    EXPECT_TRUE(App->GetActiveWindow()->GetFreezePanes());
    EXPECT_EQ(App->GetActiveWindow()->GetSplitColumn(), 1);
    EXPECT_EQ(App->GetActiveWindow()->GetSplitRow(), 1);
    EXPECT_EQ(s->GetUsedRange()->GetAddress(false, false), "C3:D8");
    EXPECT_EQ(s->Cells(3, 3)->GetValue().AsInteger(), 5);
    EXPECT_EQ(s->Cells(3, 3)->GetText().AsString(), "5");
    EXPECT_EQ(s->Cells(3, 4)->GetText().AsString(), "1,234.00");
    EXPECT_EQ(s->Cells(3, 4)->GetFormula().AsString(), "1234");
    EXPECT_EQ(s->Cells(4, 3)->GetValue().Type(), varOleStr);
    EXPECT_EQ(s->Cells(4, 4)->GetFormula().AsString(), "=C3*2.5");
    EXPECT_EQ(s->Cells(5, 3)->GetValue().Type(), varDate);
    EXPECT_DOUBLE_EQ(s->Cells(5, 3)->GetValue().AsDouble(),
                     EncodeDate(2024, 3, 15).Val + 12.5 / 24);
    EXPECT_EQ(s->Cells(5, 4)->GetText().AsString(), "12:30");
    EXPECT_EQ(s->Cells(6, 3)->GetValue().Type(), varBoolean);
    EXPECT_EQ(s->Cells(6, 3)->GetText().AsString(), "TRUE");
    EXPECT_EQ(s->Cells(6, 4)->GetText().AsString(), "25.0%");
    auto f = s->Cells(3, 3)->GetFont();
    EXPECT_EQ(f->GetName().AsString(), "Arial");
    EXPECT_EQ(f->GetSize().AsDouble(), 14);
    EXPECT_TRUE(f->GetBold().AsBoolean());
    EXPECT_TRUE(f->GetItalic().AsBoolean());
    EXPECT_EQ(f->GetUnderline().AsInteger(), xlUnderlineStyleSingle);
    EXPECT_TRUE(f->GetStrikethrough().AsBoolean());
    EXPECT_EQ(f->GetColor().AsInteger(), 0xFF0000);  // blue as $00BBGGRR
    // The theme openpyxl writes has accent 1 = $4F81BD; lightened by 40%.
    EXPECT_EQ(s->Cells(3, 3)->GetInterior()->GetColor().AsInteger(), 0xD7B395);
    EXPECT_EQ(s->Cells(3, 4)->GetInterior()->GetColor().AsInteger(), 0x00FF00);
    EXPECT_EQ(s->Cells(3, 3)->GetHorizontalAlignment().AsInteger(), xlCenterAcrossSelection);
    EXPECT_EQ(s->Cells(3, 3)->GetVerticalAlignment().AsInteger(), xlTop);
    EXPECT_EQ(s->Cells(3, 4)->GetVerticalAlignment().AsInteger(), xlBottom);
    EXPECT_EQ(s->Cells(4, 3)->GetComment()->GetText(), "first\nsecond");
    EXPECT_TRUE(s->Cells(8, 4)->GetMergeCells().AsBoolean());
    EXPECT_EQ(s->Cells(8, 4)->GetMergeArea()->GetAddress(false, false), "C7:D8");
    EXPECT_DOUBLE_EQ(s->Columns(4)->GetColumnWidth().AsDouble(), 20);
    EXPECT_DOUBLE_EQ(s->Columns(1)->GetWidth(), 48);
    EXPECT_EQ(App->GetSheets(Variant("First"))->GetUsedRange()->GetAddress(false, false), "A1");
    EXPECT_THROW(App->GetSheets(Variant(3)), EOleException);
}

// A workbook assembled part by part: shared formulas, rich text, inline strings, errors, the 1904
// date system and an unused styled row.
const char* const HandMade = R"(
def book(path, sheet, extra_parts=None, workbook_pr='<workbookPr date1904="1"/>', drop=()):
    parts = {
      '[Content_Types].xml': '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
      'xl/workbook.xml': '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">' + workbook_pr + '<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
      'xl/_rels/workbook.xml.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>',
      'xl/sharedStrings.xml': '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>plain</t></si><si><r><rPr><b/><sz val="11"/></rPr><t>bold</t></r><r><t xml:space="preserve"> and plain</t></r></si></sst>',
      'xl/styles.xml': '<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts><font><sz val="11"/><name val="Calibri"/></font></fonts><fills><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders><border/></borders><cellXfs><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/><xf numFmtId="14" fontId="0" fillId="0" borderId="0"/></cellXfs></styleSheet>',
      'xl/worksheets/sheet1.xml': '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>' + sheet + '</sheetData></worksheet>',
    }
    parts.update(extra_parts or {})
    with zipfile.ZipFile(path, 'w') as z:
        for name, data in parts.items():
            if name not in drop:
                z.writestr(name, data)
)";

TEST_F(XlsxReading, SharedFormulasRichTextErrorsAndDate1904) {
    const std::string path = File("hand.xlsx");
    if (!Make(std::string(HandMade) + R"(
book(sys.argv[1],
  '<row r="1"><c r="A1"><v>1</v></c><c r="B1"><f t="shared" ref="B1:B3" si="0">A1*2+$A$1</f><v>3</v></c></row>'
  '<row r="2"><c r="A2"><v>2</v></c><c r="B2"><f t="shared" si="0"/><v>5</v></c></row>'
  '<row r="3"><c r="A3" t="s"><v>1</v></c><c r="B3"><f t="shared" si="0"/><v>7</v></c><c r="C3" t="e"><v>#N/A</v></c></row>'
  '<row r="4"><c r="A4" s="1"><v>0</v></c><c r="B4" t="inlineStr"><is><t>inline</t></is></c><c r="C4" t="str"><f>"a"&amp;"b"</f><v>ab</v></c></row>')
)",
              path))
        GTEST_SKIP() << "python3 not installed";
    App->GetWorkbooks()->Open(path);
    auto s = App->GetActiveSheet();
    EXPECT_EQ(s->Cells(2, 2)->GetFormula().AsString(), "=A2*2+$A$1");
    EXPECT_EQ(s->Cells(3, 2)->GetFormula().AsString(), "=A3*2+$A$1");
    EXPECT_EQ(s->Cells(3, 2)->GetValue().AsInteger(), 7);
    EXPECT_EQ(s->Cells(3, 1)->GetText().AsString(), "bold and plain");
    auto runs = s->Cells(3, 1)->GetFont();
    EXPECT_TRUE(runs->GetBold().IsNull());  // mixed over the runs
    EXPECT_EQ(runs->GetSize().AsDouble(), 11);
    EXPECT_FALSE(s->Cells(1, 1)->GetFont()->GetBold().IsNull());
    EXPECT_EQ(s->Cells(3, 3)->GetValue().Type(), varError);
    EXPECT_EQ(s->Cells(3, 3)->GetValue().ErrorCode(), xlErrNA);
    EXPECT_EQ(s->Cells(3, 3)->GetText().AsString(), "#N/A");
    EXPECT_EQ(s->Cells(4, 1)->GetText().AsString(), "1/1/1904");  // day 0 of the 1904 system
    EXPECT_DOUBLE_EQ(s->Cells(4, 1)->GetValue().AsDouble(), EncodeDate(1904, 1, 1).Val);
    EXPECT_EQ(s->Cells(4, 2)->GetValue().AsString(), "inline");
    EXPECT_EQ(s->Cells(4, 3)->GetFormula().AsString(), "=\"a\"&\"b\"");
    EXPECT_EQ(s->Cells(4, 3)->GetValue().Type(), varOleStr);
}

TEST_F(XlsxReading, ShiftFormulaMovesOnlyRelativeReferences) {
    struct Case {
        const char* In;
        int Rows, Cols;
        const char* Out;
    };
    const Case cases[] = {
        {"A1+$B$2+C$3+$D4", 1, 1, "B2+$B$2+D$3+$D5"},
        {"SUM(A1:A3)*LOG10(B1)", 2, 0, "SUM(A3:A5)*LOG10(B3)"},
        {"\"A1\"&'My A1'!A1", 1, 0, "\"A1\"&'My A1'!A2"},
        {"A1-1", -1, 0, "#REF!-1"},
        {"Table1[Col A1]+XFD1", 0, 1, "Table1[Col A1]+#REF!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xl::ShiftFormula(c.In, c.Rows, c.Cols), c.Out) << c.In;
}

TEST_F(XlsxReading, DamagedWorkbooksRaiseAClearErrorAndOpenNothing) {
    struct Case {
        const char* Name;
        std::string Script;
        const char* Message;
    };
    const std::string h = HandMade;
    const Case cases[] = {
        {"notzip", "open(sys.argv[1], 'w').write('just text')", "not a zip"},
        {"noworkbook", h + "book(sys.argv[1], '', drop=('xl/workbook.xml',))",
         "missing part xl/workbook.xml"},
        {"nosheet", h + "book(sys.argv[1], '', drop=('xl/worksheets/sheet1.xml',))",
         "missing part xl/worksheets/sheet1.xml"},
        {"badxml", h + "book(sys.argv[1], '<row><c r=\"A1\"><v>1</c></row>')", "not valid XML"},
        {"badref", h + "book(sys.argv[1], '<row><c r=\"A0\"><v>1</v></c></row>')",
         "bad cell reference"},
        {"farref", h + "book(sys.argv[1], '<row><c r=\"XFE1\"><v>1</v></c></row>')",
         "bad cell reference"},
        {"badnum", h + "book(sys.argv[1], '<row><c r=\"A1\"><v>1e999</v></c></row>')",
         "bad number"},
        {"badshared", h + "book(sys.argv[1], '<row><c r=\"A1\" t=\"s\"><v>7</v></c></row>')",
         "bad shared string index"},
        {"badmerge",
         h + "book(sys.argv[1], '', extra_parts={'xl/worksheets/sheet1.xml': '<worksheet "
             "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData/"
             "><mergeCells><mergeCell ref=\"A1\"/></mergeCells></worksheet>'})",
         "bad merge reference"},
        {"badstyle", h + "book(sys.argv[1], '<row><c r=\"A1\" s=\"-1\"><v>1</v></c></row>')",
         "bad value"},
    };
    for (const Case& c : cases) {
        const std::string path = File(std::string(c.Name) + ".xlsx");
        if (!Make(c.Script, path)) GTEST_SKIP() << "python3 not installed";
        try {
            App->GetWorkbooks()->Open(path);
            ADD_FAILURE() << c.Name << " opened";
        } catch (const EOleException& e) {
            EXPECT_NE(e.Message.find(c.Message), std::string::npos) << c.Name << ": " << e.Message;
        }
        EXPECT_THROW(App->GetActiveSheet(), EOleException) << c.Name;  // nothing was opened
    }
    EXPECT_THROW(App->GetWorkbooks()->Open(File("missing.xlsx")), EOleException);
}

TEST_F(XlsxReading, LimitsStopOversizedWorkbooksBeforeTheyAllocate) {
    const std::string path = File("big.xlsx");
    if (!Make(std::string(HandMade) + R"(
rows = ''.join('<row r="%d">%s</row>' % (r, ''.join('<c r="%s%d"><v>%d</v></c>' % (c, r, r) for c in 'ABCDEFGHIJ')) for r in range(1, 201))
book(sys.argv[1], rows)
)",
              path))
        GTEST_SKIP() << "python3 not installed";
    TWorkbookReadLimits limits;
    limits.MaxCells = 1999;
    TWorkbookReadLimitsScope scope(limits);
    EXPECT_THROW(App->GetWorkbooks()->Open(path), EOleException);
    limits.MaxCells = 2000;
    limits.MaxPartBytes = 1000;
    scope.Set(limits);
    EXPECT_THROW(App->GetWorkbooks()->Open(path), EOleException);
    limits.MaxPartBytes = 1 << 20;
    limits.MaxFileBytes = 100;
    scope.Set(limits);
    EXPECT_THROW(App->GetWorkbooks()->Open(path), EOleException);
    scope.Set(TWorkbookReadLimits{});
    App->GetWorkbooks()->Open(path);
    EXPECT_EQ(App->GetActiveSheet()->GetUsedRange()->GetAddress(false, false), "A1:J200");
}

TEST_F(XlsxReading, StyledWholeRowsMakeTheUsedRangeSpanTheSheetWidth) {
    const std::string path = File("rows.xlsx");
    if (!Make(std::string(HandMade) + R"(
book(sys.argv[1], '<row r="3" s="1" customFormat="1"><c r="B3"><v>1</v></c></row><row r="5"><c r="C5"><v>2</v></c></row>')
)",
              path))
        GTEST_SKIP() << "python3 not installed";
    App->GetWorkbooks()->Open(path);
    EXPECT_EQ(App->GetActiveSheet()->GetUsedRange()->GetAddress(false, false), "3:5");
}

// A column with a style of its own, or a dimension naming whole columns, makes the used range
// whole columns; a dimension naming whole rows makes it whole rows. Other dimensions and a
// column whose style is the default one leave the used range to the cells.
TEST_F(XlsxReading, StyledColumnsAndWholeDimensionsMakeTheUsedRangeWhole) {
    const std::string cells =
        "<sheetData><row r=\"2\"><c r=\"B2\"><v>1</v></c></row><row "
        "r=\"4\"><c r=\"D4\"><v>2</v></c></row></sheetData>";
    struct Case {
        const char* Head;
        const char* Used;
    } cases[] = {
        {"", "B2:D4"},
        {"<cols><col min=\"3\" max=\"3\" width=\"12\" style=\"1\"/></cols>", "B:D"},
        {"<cols><col min=\"1\" max=\"9\" style=\"1\"/></cols>", "B:D"},
        {"<cols><col min=\"3\" max=\"3\" width=\"12\" style=\"0\"/></cols>", "B2:D4"},
        {"<dimension ref=\"A:C\"/>", "B:D"},
        {"<dimension ref=\"$B:$D\"/>", "B:D"},
        {"<dimension ref=\"2:4\"/>", "2:4"},
        {"<dimension ref=\"A1:Z99\"/>", "B2:D4"},
        {"<dimension ref=\"A:3\"/>", "B2:D4"},
        {"<dimension ref=\"A:C\"/><cols><col min=\"1\" max=\"1\" style=\"1\"/></cols>", "B:D"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = File("whole" + std::to_string(n++) + ".xlsx");
        const std::string sheet =
            std::string(
                "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                "main\">") +
            c.Head + cells + "</worksheet>";
        if (!Make(std::string(HandMade) + "book(sys.argv[1], '', {'xl/worksheets/sheet1.xml': '" +
                      sheet + "'})\n",
                  path))
            GTEST_SKIP() << "python3 not installed";
        App->GetWorkbooks()->Open(path);
        EXPECT_EQ(App->GetActiveSheet()->GetUsedRange()->GetAddress(false, false), c.Used)
            << c.Head;
    }
    // Formatted rows and a formatted column together: the whole sheet.
    const std::string path = File("both.xlsx");
    ASSERT_TRUE(Make(std::string(HandMade) +
                         "book(sys.argv[1], '', {'xl/worksheets/sheet1.xml': '<worksheet "
                         "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                         "<cols><col min=\"2\" max=\"2\" style=\"1\"/></cols><sheetData><row "
                         "r=\"3\" s=\"1\" customFormat=\"1\"><c r=\"B3\"><v>1</v></c></row>"
                         "</sheetData></worksheet>'})\n",
                     path));
    App->GetWorkbooks()->Open(path);
    EXPECT_EQ(App->GetActiveSheet()->GetUsedRange()->GetAddress(false, false), "1:1048576");
}

TEST_F(XlsxReading, WorkbookResavedByLibreOfficeStillReads) {
    const std::string path = File("source.xlsx");
    if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice not installed";
    if (!Make(R"(
import openpyxl
wb = openpyxl.Workbook()
ws = wb.active
for r in range(1, 6):
    ws.cell(r, 1, r)
    ws.cell(r, 2, '=A%d*10' % r)
ws.merge_cells('C1:D2')
ws['C1'] = 'm'
wb.save(sys.argv[1])
)",
              path))
        GTEST_SKIP() << "openpyxl not installed";
    std::filesystem::create_directories(Dir / "lo");
    const std::string resaved = ConvertWithLibreOffice(path, "xlsx", (Dir / "lo").string());
    ASSERT_FALSE(resaved.empty());
    App->GetWorkbooks()->Open(resaved);
    auto s = App->GetActiveSheet();
    EXPECT_EQ(s->GetUsedRange()->GetAddress(false, false), "A1:D5");
    EXPECT_EQ(s->Cells(4, 2)->GetFormula().AsString(), "=A4*10");
    EXPECT_EQ(s->Cells(4, 2)->GetValue().AsInteger(), 40);  // LibreOffice computed it
    EXPECT_EQ(s->Cells(2, 4)->GetMergeArea()->GetAddress(false, false), "C1:D2");
}

}  // namespace
}  // namespace carrelon::test
