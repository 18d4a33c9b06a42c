// The spreadsheet server: the members the export writes, the file it saves (read back by
// openpyxl and LibreOffice), and what it answers for workbooks written elsewhere.
#include <fstream>

#include "platform/automation/ExcelAutomation.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "tests/support/OfficeTestSupport.h"

namespace carrelon::test {
namespace {

using namespace carrelon::excel;

class ExcelServer : public OleTest {
protected:
    void SetUp() override {
        OleTest::SetUp();
        App = OleCast<Application>(CreateOleObject("Excel.Application"));
    }
    void TearDown() override {
        App->Quit();
        App.reset();
        OleTest::TearDown();
    }
    WorksheetPtr NewSheet() {
        App->SetSheetsInNewWorkbook(1);
        Book = App->GetWorkbooks()->Add();
        return App->GetActiveSheet();
    }
    std::string File(const std::string& Name) const { return (Dir / Name).string(); }
    // Runs an openpyxl script with the file as sys.argv[1]; its printed output.
    std::string Openpyxl(const std::string& Script, const std::string& Path, int& Rc) {
        std::string out;
        Rc = RunPython("import sys, openpyxl\n" + Script, {Path}, out, {"openpyxl"});
        return out;
    }

    ApplicationPtr App;
    WorkbookPtr Book;
};

// A sheet built through the members the grid's export calls.
void FillExportLike(const WorksheetPtr& S, const ApplicationPtr& App) {
    S->GetRange(S->Cells(1, 1), S->Cells(4, 3))->Select();
    auto sel = App->GetSelection();
    for (int b :
         {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight, xlInsideVertical, xlInsideHorizontal})
        sel->Borders(b)->SetLineStyle(xlContinuous);
    sel->SetWrapText(true);
    S->Columns(2)->SetColumnWidth(20);
    auto col = S->GetRange(S->Cells(1, 2), S->Cells(4, 2));
    col->SetHorizontalAlignment(xlRight);
    col->GetInterior()->SetColor(0x00CCFF);  // $00BBGGRR: orange-yellow
    col->GetFont()->SetName("Arial");
    col->GetFont()->SetBold(true);
    col->Borders(xlEdgeRight)->SetColor(0x0000FF);
    col->Borders(xlEdgeRight)->SetWeight(xlMedium);
    S->Cells(1, 1)->SetValue(Variant("Name"));
    S->Cells(2, 1)->SetValue(Variant("=1+1"));   // a formula, as the spreadsheet takes it
    S->Cells(3, 1)->SetValue(Variant("'=1+1"));  // a text beginning with "="
    S->Cells(4, 1)->SetValue(Variant("a\nb"));
    S->Cells(1, 2)->SetValue(Variant(12.5));
    S->Cells(2, 2)->SetValue(Variant(TDateTime(EncodeDate(2024, 3, 15).Val)));
    S->Cells(3, 2)->SetValue(Variant(Currency::FromRaw(123450000)));  // 12345
    S->Cells(4, 2)->SetFormula(Variant("=B1*2"));
    S->Cells(1, 3)->SetValue(Variant(true));
    S->Cells(1, 3)->AddComment("note\nsecond line");
    S->GetRange(S->Cells(2, 3), S->Cells(3, 3))->Merge();
    S->Cells(2, 3)->SetValue(Variant("merged"));
    S->Cells(4, 3)->BorderAround(EmptyParam, xlThick, EmptyParam, 0xFF0000);
    S->Cells(4, 3)->GetFont()->SetUnderline(Variant(true));
    S->Cells(4, 3)->GetFont()->SetStrikeThrough(Variant(true));
    S->Cells(4, 3)->GetFont()->SetColor(0x008000);
    S->Cells(4, 3)->GetFont()->SetSize(14);
}

TEST_F(ExcelServer, MembersAnswerWhatWasWritten) {
    auto s = NewSheet();
    FillExportLike(s, App);
    EXPECT_EQ(s->Cells(2, 1)->GetFormula().AsString(), "=1+1");
    EXPECT_EQ(s->Cells(3, 1)->GetValue().AsString(), "=1+1");
    EXPECT_EQ(s->Cells(3, 1)->GetValue().Type(), varOleStr);
    EXPECT_EQ(s->Cells(2, 2)->GetValue().Type(), varDate);
    EXPECT_EQ(s->Cells(3, 2)->GetValue().Type(), varCurrency);
    EXPECT_EQ(s->Cells(1, 2)->GetText().AsString(), "12.5");
    EXPECT_EQ(s->Cells(2, 2)->GetText().AsString(), "3/15/2024");
    EXPECT_EQ(s->Cells(3, 2)->GetText().AsString(), "12,345.00 $");
    EXPECT_EQ(s->Cells(1, 3)->GetComment()->GetText(), "note\nsecond line");
    EXPECT_EQ(s->Cells(1, 1)->GetComment(), nullptr);
    EXPECT_TRUE(s->Cells(3, 3)->GetMergeCells().AsBoolean());
    EXPECT_EQ(s->Cells(3, 3)->GetMergeArea()->GetAddress(false, false), "C2:C3");
    EXPECT_EQ(s->GetUsedRange()->GetAddress(false, false), "A1:C4");
    EXPECT_EQ(s->GetUsedRange()->GetAddress(true, true), "$A$1:$C$4");
    EXPECT_EQ(s->Cells(1, 2)->GetHorizontalAlignment().AsInteger(), xlRight);
    EXPECT_EQ(s->Cells(1, 1)->GetHorizontalAlignment().AsInteger(), xlGeneral);
    EXPECT_TRUE(s->GetRange(s->Cells(1, 1), s->Cells(1, 2))->GetHorizontalAlignment().IsNull());
    EXPECT_EQ(s->Cells(4, 3)->GetFont()->GetUnderline().AsInteger(), xlUnderlineStyleSingle);
    EXPECT_EQ(s->Cells(1, 1)->GetFont()->GetUnderline().AsInteger(), xlUnderlineStyleNone);
    EXPECT_TRUE(s->Cells(4, 3)->GetFont()->GetStrikethrough().AsBoolean());
    EXPECT_EQ(s->Cells(1, 1)->GetInterior()->GetColor().AsInteger(), 0xFFFFFF);
    EXPECT_EQ(s->Cells(1, 2)->GetInterior()->GetColor().AsInteger(), 0x00CCFF);
    EXPECT_DOUBLE_EQ(s->Columns(2)->GetColumnWidth().AsDouble(), 20);
    EXPECT_DOUBLE_EQ(s->Columns(2)->GetWidth(), 108.75);  // 145 pixels
    EXPECT_DOUBLE_EQ(s->Columns(1)->GetWidth(), 48);      // the standard 64 pixels

    Variant f = s->GetUsedRange()->GetFormula();
    ASSERT_TRUE(f.IsArray());
    EXPECT_EQ(f.ArrayHighBound(1), 4);
    EXPECT_EQ(f.ArrayHighBound(2), 3);
    EXPECT_EQ(f.ArrayGet(4, 2).AsString(), "=B1*2");
    EXPECT_EQ(f.ArrayGet(3, 3).AsString(), "");
}

TEST_F(ExcelServer, BadArgumentsRaiseInsteadOfCorrupting) {
    auto s = NewSheet();
    EXPECT_THROW(s->Cells(0, 1), EOleException);
    EXPECT_THROW(s->Cells(1, 16385), EOleException);
    EXPECT_THROW(s->Cells(1, 1)->Borders(13), EOleException);
    EXPECT_THROW(s->Cells(1, 1)->SetHorizontalAlignment(99), EOleException);
    EXPECT_THROW(s->Cells(1, 1)->GetInterior()->SetColor(static_cast<int>(0x80000005)),
                 EOleException);
    EXPECT_THROW(s->Cells(1, 1)->BorderAround(EmptyParam, 1, EmptyParam, -16777201), EOleException);
    EXPECT_THROW(s->Columns(1)->SetColumnWidth(300), EOleException);
    EXPECT_THROW(App->GetSheets(Variant(2)), EOleException);
    EXPECT_THROW(App->GetSheets(Variant("Nope")), EOleException);
    EXPECT_NO_THROW(App->GetSheets(Variant("sheet1")));
    EXPECT_THROW(s->Columns(1)->GetInterior()->SetColor(0), EOleException);  // a million cells
    s->Cells(1, 1)->AddComment("a");
    EXPECT_THROW(s->Cells(1, 1)->AddComment("b"), EOleException);
}

// Find "*" walks the cells that hold something in the order asked, round past the range's end,
// and costs the cells the sheet holds: a range of the whole sheet answers at once.
TEST_F(ExcelServer, FindReachesTheCellsThatHoldSomethingInTheOrderAsked) {
    auto s = NewSheet();
    s->Cells(2, 2)->SetValue(Variant("x"));
    s->Cells(3, 4)->SetFormula(Variant("=1+1"));  // a formula without a result yet
    s->Cells(5, 3)->SetValue(Variant(5.0));
    s->Cells(1, 5)->GetFont()->SetBold(Variant(true));  // formatted, empty
    s->Cells(9, 9)->SetValue(Variant(9.0));             // outside the range below
    const RangePtr area = s->GetRange(s->Cells(1, 1), s->Cells(5, 5));
    const auto find = [&](const RangePtr& In, const RangePtr& After, int LookIn, int Order,
                          int Direction) -> AnsiString {
        const RangePtr r = In->Find(Variant("*"), After, Variant(LookIn), Variant(xlPart),
                                    Variant(Order), Variant(Direction));
        return r ? r->GetAddress(false, false) : AnsiString("Nothing");
    };
    EXPECT_EQ(find(area, nullptr, xlFormulas, xlByRows, xlPrevious), "C5");
    EXPECT_EQ(find(area, nullptr, xlFormulas, xlByColumns, xlPrevious), "D3");
    EXPECT_EQ(find(area, nullptr, xlValues, xlByColumns, xlPrevious), "C5");
    EXPECT_EQ(find(area, nullptr, xlFormulas, xlByRows, xlNext), "B2");
    EXPECT_EQ(find(area, s->Cells(2, 2), xlFormulas, xlByRows, xlNext), "D3");
    EXPECT_EQ(find(area, s->Cells(3, 4), xlFormulas, xlByRows, xlNext), "C5");
    EXPECT_EQ(find(area, s->Cells(5, 3), xlFormulas, xlByRows, xlNext), "B2");  // round
    EXPECT_EQ(find(area, s->Cells(3, 4), xlFormulas, xlByColumns, xlNext), "B2");
    EXPECT_EQ(find(area, s->Cells(2, 2), xlFormulas, xlByRows, xlPrevious), "C5");
    EXPECT_EQ(find(s->Cells(2, 2), nullptr, xlFormulas, xlByRows, xlNext), "B2");
    EXPECT_EQ(
        find(s->GetRange(s->Cells(1, 5), s->Cells(4, 8)), nullptr, xlFormulas, xlByRows, xlNext),
        "Nothing");
    const RangePtr sheet = s->GetRange(s->Cells(1, 1), s->Cells(1048576, 16384));
    EXPECT_EQ(find(sheet, nullptr, xlFormulas, xlByColumns, xlPrevious), "I9");
    EXPECT_EQ(find(sheet, nullptr, xlFormulas, xlByRows, xlNext), "B2");
    EXPECT_EQ(sheet->Find(Variant("*"), nullptr, EmptyParam, EmptyParam, EmptyParam, EmptyParam)
                  ->GetAddress(false, false),
              "B2");
    // What the server does not search for raises.
    EXPECT_THROW(area->Find(Variant("x"), nullptr, EmptyParam, EmptyParam, EmptyParam, EmptyParam),
                 EOleException);
    EXPECT_THROW(area->Find(Variant("*"), nullptr, Variant(7), EmptyParam, EmptyParam, EmptyParam),
                 EOleException);
    EXPECT_THROW(area->Find(Variant("*"), nullptr, EmptyParam, EmptyParam, Variant(3), EmptyParam),
                 EOleException);
    EXPECT_THROW(
        area->Find(Variant("*"), s->Cells(9, 9), EmptyParam, EmptyParam, EmptyParam, EmptyParam),
        EOleException);
}

TEST_F(ExcelServer, SavedWorkbookReadsBackInOpenpyxl) {
    auto s = NewSheet();
    FillExportLike(s, App);
    s->Cells(1, 1)->Select();
    const std::string path = File("export.xlsx");
    Book->SaveAs(path);
    int rc = 0;
    const std::string out = Openpyxl(R"(
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
def show(c):
    v = ws[c].value
    print(c, type(v).__name__, repr(v))
for c in ['A1','A2','A3','A4','B1','B2','B3','B4','C1','C2']: show(c)
print('merged', [str(r) for r in ws.merged_cells.ranges])
print('comment', repr(ws['C1'].comment.text))
print('width', round(ws.column_dimensions['B'].width, 2))
f = ws['B1'].font
print('font', f.name, f.b, ws['B1'].alignment.horizontal, ws['B1'].fill.fgColor.rgb)
print('border', ws['B1'].border.right.style, ws['B1'].border.right.color.rgb, ws['A1'].border.left.style)
g = ws['C4']
print('c4', g.border.top.style, g.border.top.color.rgb, g.font.u, g.font.strike, g.font.color.rgb, g.font.sz)
print('fmt', ws['B2'].number_format, ws['B2'].is_date)
print('wrap', ws['A1'].alignment.wrap_text)
)",
                                     path, rc);
    CARRELON_PYTHON_OR_SKIP(rc);
    ASSERT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("A1 str 'Name'"), std::string::npos) << out;
    EXPECT_NE(out.find("A2 str '=1+1'"), std::string::npos) << out;  // openpyxl shows formulas
    EXPECT_NE(out.find("A3 str '=1+1'"), std::string::npos) << out;
    EXPECT_NE(out.find("A4 str 'a\\nb'"), std::string::npos) << out;
    EXPECT_NE(out.find("B1 float 12.5"), std::string::npos) << out;
    EXPECT_NE(out.find("B2 datetime datetime.datetime(2024, 3, 15, 0, 0)"), std::string::npos)
        << out;
    EXPECT_NE(out.find("B3 int 12345"), std::string::npos) << out;
    EXPECT_NE(out.find("B4 str '=B1*2'"), std::string::npos) << out;
    EXPECT_NE(out.find("C1 bool True"), std::string::npos) << out;
    EXPECT_NE(out.find("C2 str 'merged'"), std::string::npos) << out;
    EXPECT_NE(out.find("merged ['C2:C3']"), std::string::npos) << out;
    EXPECT_NE(out.find("comment 'note\\nsecond line'"), std::string::npos) << out;
    EXPECT_NE(out.find("width 20."), std::string::npos) << out;
    EXPECT_NE(out.find("font Arial True right FFFFCC00"), std::string::npos) << out;
    EXPECT_NE(out.find("border medium FFFF0000 thin"), std::string::npos) << out;
    EXPECT_NE(out.find("c4 thick FF0000FF single True FF008000 14"), std::string::npos) << out;
    EXPECT_NE(out.find("fmt m/d/yyyy True"), std::string::npos) << out;
    EXPECT_NE(out.find("wrap True"), std::string::npos) << out;
}

TEST_F(ExcelServer, SaveAsNeverDestroysAnExistingFileOnFailure) {
    auto s = NewSheet();
    s->Cells(1, 1)->SetValue(Variant(1.0));
    const std::string path = File("keep.xlsx");
    { std::ofstream(path) << "precious"; }
    EXPECT_THROW(Book->SaveAs(File("no/such/folder/x.xlsx")), EOleException);
    EXPECT_THROW(Book->SaveAs(Dir.string()), EOleException);
    std::ifstream in(path);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "precious");
    Book->SaveAs(path);  // replaces it when the save succeeds
    EXPECT_GT(std::filesystem::file_size(path), 1000u);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(Dir))
        ++files;
    EXPECT_EQ(files, 1u);  // no temporary left behind
}

TEST_F(ExcelServer, ShownWorkbookReachesTheHookAsAFileThatOpens) {
    auto s = NewSheet();
    s->Cells(1, 1)->SetValue(Variant("shown"));
    App->SetVisible(true);
    ASSERT_EQ(Shown.size(), 1u);
    auto other = OleCast<Application>(CreateOleObject("Excel.Application"));
    auto wb = other->GetWorkbooks()->Open(Shown[0]);
    EXPECT_EQ(other->GetActiveSheet()->Cells(1, 1)->GetValue().AsString(), "shown");
    other->Quit();
    App->SetVisible(true);  // already visible: nothing shown again
    EXPECT_EQ(Shown.size(), 1u);
}

TEST_F(ExcelServer, SavedThenOpenedKeepsCellsFormatsAndLayout) {
    auto s = NewSheet();
    FillExportLike(s, App);
    const std::string path = File("round.xlsx");
    Book->SaveAs(path);
    auto wb = App->GetWorkbooks()->Open(path);
    auto r = App->GetActiveSheet();
    EXPECT_EQ(r->GetUsedRange()->GetAddress(false, false), "A1:C4");
    EXPECT_EQ(r->Cells(1, 1)->GetValue().AsString(), "Name");
    EXPECT_EQ(r->Cells(2, 1)->GetFormula().AsString(), "=1+1");
    EXPECT_EQ(r->Cells(4, 2)->GetFormula().AsString(), "=B1*2");
    EXPECT_EQ(r->Cells(2, 2)->GetValue().AsDateTime().Val, EncodeDate(2024, 3, 15).Val);
    EXPECT_EQ(r->Cells(3, 2)->GetValue().Type(), varCurrency);
    EXPECT_EQ(r->Cells(1, 3)->GetValue().Type(), varBoolean);
    EXPECT_EQ(r->Cells(1, 3)->GetComment()->GetText(), "note\nsecond line");
    EXPECT_EQ(r->Cells(2, 3)->GetMergeArea()->GetAddress(false, false), "C2:C3");
    EXPECT_EQ(r->Cells(1, 2)->GetFont()->GetName().AsString(), "Arial");
    EXPECT_TRUE(r->Cells(1, 2)->GetFont()->GetBold().AsBoolean());
    EXPECT_EQ(r->Cells(1, 2)->GetInterior()->GetColor().AsInteger(), 0x00CCFF);
    EXPECT_EQ(r->Cells(4, 3)->GetFont()->GetColor().AsInteger(), 0x008000);
    EXPECT_EQ(r->Cells(4, 3)->GetFont()->GetSize().AsDouble(), 14);
    EXPECT_DOUBLE_EQ(r->Columns(2)->GetColumnWidth().AsDouble(), 20);
    EXPECT_EQ(r->Cells(1, 2)->GetHorizontalAlignment().AsInteger(), xlRight);
}

TEST_F(ExcelServer, TextFollowsTheNumberFormatAndTheLocale) {
    auto s = NewSheet();
    struct Case {
        double Value;
        const char* Format;
        const char* Text;
    };
    // Formats are given through a workbook openpyxl writes; here the ones the server sets.
    s->Cells(1, 1)->SetValue(Variant(TDateTime(EncodeDate(2024, 1, 2).Val + 0.5)));
    EXPECT_EQ(s->Cells(1, 1)->GetText().AsString(), "1/2/2024 12:00");
    s->Cells(2, 1)->SetValue(Variant(TDateTime(0.75)));
    EXPECT_EQ(s->Cells(2, 1)->GetText().AsString(), "18:00:00");
    s->Cells(3, 1)->SetValue(Variant(1234567890123.0));
    EXPECT_EQ(s->Cells(3, 1)->GetText().AsString(), "1.23457E+12");
    s->Cells(4, 1)->SetValue(Variant(0.1 + 0.2));
    EXPECT_EQ(s->Cells(4, 1)->GetText().AsString(), "0.3");
    TLocaleScope scope;
    DecimalSeparator = ',';
    EXPECT_EQ(s->Cells(4, 1)->GetText().AsString(), "0,3");
}

}  // namespace
}  // namespace carrelon::test
