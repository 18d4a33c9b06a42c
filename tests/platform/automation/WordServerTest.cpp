// The word-processor server: the export's sequence of members, character positions, find and
// replace, merges, pictures, and the .docx read back by python-docx and LibreOffice.
#include <QImage>

#include "platform/automation/WordAutomation.h"
#include "tests/support/OfficeTestSupport.h"

namespace carrelon::test {
namespace {

using namespace carrelon::word;

class WordServer : public OleTest {
protected:
    void SetUp() override {
        OleTest::SetUp();
        Doc = OleCast<Document>(CreateOleObject("Word.Document"));
        App = Doc->GetApplication();
    }
    std::string File(const std::string& Name) const { return (Dir / Name).string(); }
    // A 2 x 3 table from tab-separated text, with a tag for line breaks in B1.
    TablePtr MakeTable() {
        Doc->GetRange()->SetText("a\tb TAG c\tz\r\nd\t\tf\r\n");
        auto t = Doc->GetRange()->ConvertToTable(wdSeparateByTabs, 2, 3);
        EXPECT_TRUE(Doc->GetRange()->GetFind()->Execute("TAG", true, false, false, false, false,
                                                        true, wdFindContinue, false, "^p",
                                                        wdReplaceAll));
        return t;
    }
    std::string Docx(const std::string& Script, const std::string& Path, int& Rc) {
        std::string out;
        Rc = RunPython("import sys, docx\nd = docx.Document(sys.argv[1])\n" + Script, {Path}, out,
                       {"docx"});
        return out;
    }
    DocumentPtr Doc;
    ApplicationPtr App;
};

TEST_F(WordServer, CharacterPositionsCountMarksAndCells) {
    auto t = MakeTable();
    // Row 1: "a"+eoc (2), "b "+mark (3), " c"+eoc (3), "z"+eoc (2), end of row (1) = 11.
    EXPECT_EQ(t->Cell(1, 1)->GetRange()->GetEnd(), 2);
    EXPECT_EQ(t->Cell(1, 2)->GetRange()->GetEnd(), 8);
    EXPECT_EQ(t->Cell(2, 1)->GetRange()->GetEnd(), 13);
    // Whole story: the table (11 + 2 + 1 + 2 + 1 = 17) and the last empty paragraph.
    EXPECT_EQ(Doc->GetRange()->GetEnd(), 18);
    EXPECT_THROW(Doc->Range(0, 19), EOleException);
    EXPECT_EQ(t->Cell(1, 2)->GetRange()->GetParagraphs()->GetAlignment(), wdAlignParagraphLeft);
}

TEST_F(WordServer, FindReplaceHonoursCaseCaretsAndTabs) {
    Doc->GetRange()->SetText("x^y Tag tag\r\n");
    auto find = Doc->GetRange()->GetFind();
    EXPECT_FALSE(
        find->Execute("TAG", true, false, false, false, false, true, 1, false, "!", wdReplaceAll));
    EXPECT_TRUE(
        find->Execute("tag", true, false, false, false, false, true, 1, false, "^t", wdReplaceAll));
    EXPECT_TRUE(find->Execute("^^", true, false, false, false, false, true, 1, false, "[^&]",
                              wdReplaceAll));
    EXPECT_THROW(
        find->Execute("x*", true, false, true, false, false, true, 1, false, "", wdReplaceAll),
        EOleException);
    // "x[^]y Tag<TAB>": the TAB became a second table cell.
    auto t = Doc->GetRange()->ConvertToTable(wdSeparateByTabs, 1, 1);
    EXPECT_NO_THROW(t->Cell(1, 2));
    EXPECT_THROW(t->Cell(1, 3), EOleException);
}

TEST_F(WordServer, ExportSequenceWritesADocxThatPythonDocxReads) {
    EXPECT_EQ(App->GetVersion(), "16.0");
    auto opts = App->GetOptions();
    EXPECT_TRUE(opts->GetCheckSpellingAsYouType());
    opts->SetCheckSpellingAsYouType(false);
    auto t = MakeTable();
    t->GetRows()->SetSpaceBetweenColumns(6.0f);
    t->GetColumns()->Item(1)->SetWidth(72);
    t->GetColumns()->Item(2)->SetWidth(144);
    t->GetColumns()->Item(2)->GetCells()->SetVerticalAlignment(wdCellAlignVerticalCenter);
    t->GetColumns()->Item(2)->Select();
    auto sel = App->GetSelection();
    sel->GetParagraphs()->SetAlignment(wdAlignParagraphRight);
    sel->GetFont()->SetName("Arial");
    sel->GetFont()->SetSize(14);
    sel->GetFont()->SetColor(0x0000FF);  // red as $00BBGGRR
    sel->GetFont()->SetBold(true);
    sel->GetRange()->GetFont()->SetItalic(true);
    sel->GetRange()->GetShading()->SetBackgroundPatternColor(0x00FFFF);  // yellow
    auto c11 = t->Cell(1, 1);
    c11->GetRange()->GetFont()->SetUnderline(true);
    c11->GetRange()->GetFont()->SetColorIndex(6);  // red
    c11->GetRange()->GetShading()->SetBackgroundPatternColorIndex(4);
    c11->SetVerticalAlignment(wdCellAlignVerticalBottom);
    // A picture after the text of A2: its position is the cell's end less one.
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    const std::string png = File("pic.png");
    ASSERT_TRUE(image.save(QString::fromStdString(png)));
    const int e = t->Cell(2, 1)->GetRange()->GetEnd() - 1;
    Doc->GetInlineShapes()->AddPicture(png, false, true, Doc->Range(e, e));
    // Merge A2:B2 keeping A2's alignment.
    auto start = t->Cell(2, 1), end = t->Cell(2, 2);
    start->Merge(end);
    EXPECT_THROW(t->Cell(2, 2), EOleException);  // swallowed by the merge
    App->GetSelection()->HomeKey(wdStory, 0);
    App->GetActiveWindow()->GetView()->SetType(wdNormalView);
    const std::string path = File("export.docx");
    Doc->SaveAs(path);
    Doc->Close();
    EXPECT_THROW(Doc->GetRange()->GetEnd(), EOleException);

    int rc = 0;
    const std::string out = Docx(R"(
t = d.tables[0]
print('shape', len(t.rows), len(t.columns))
for r, row in enumerate(t.rows):
    for c, cell in enumerate(row.cells):
        print('cell', r, c, repr([p.text for p in cell.paragraphs]))
print('merged', t.cell(1, 0)._tc is t.cell(1, 1)._tc)
p = t.cell(0, 1).paragraphs[0]
run = p.runs[0]
print('font', run.font.name, run.font.size.pt, run.font.bold, run.font.italic, str(run.font.color.rgb), p.alignment)
print('u', t.cell(0, 0).paragraphs[0].runs[0].font.underline, str(t.cell(0, 0).paragraphs[0].runs[0].font.color.rgb))
ns = {'w': 'http://schemas.openxmlformats.org/wordprocessingml/2006/main'}
print('shd', [s.get('{%s}fill' % ns['w']) for s in t._tbl.findall('.//w:shd', ns)])
print('valign', [v.get('{%s}val' % ns['w']) for v in t._tbl.findall('.//w:vAlign', ns)])
print('widths', [c.get('{%s}w' % ns['w']) for c in t._tbl.findall('.//w:gridCol', ns)])
print('pictures', len(d.inline_shapes), d.inline_shapes[0].width.emu if d.inline_shapes else 0)
print('paragraphs', len(d.paragraphs))
)",
                                 path, rc);
    CARRELON_PYTHON_OR_SKIP(rc);
    ASSERT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("shape 2 3"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 0 1 ['b ', ' c']"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 1 0 ['d']"), std::string::npos) << out;
    EXPECT_NE(out.find("merged True"), std::string::npos) << out;
    EXPECT_NE(out.find("font Arial 14.0 True True FF0000 RIGHT"), std::string::npos) << out;
    EXPECT_NE(out.find("u True FF0000"), std::string::npos) << out;
    EXPECT_NE(out.find("shd ['00FF00', 'FFFF00']"), std::string::npos) << out;
    EXPECT_NE(out.find("'bottom'"), std::string::npos) << out;
    EXPECT_NE(out.find("widths ['1440', '2880',"), std::string::npos) << out;
    EXPECT_NE(out.find("pictures 1 76200"), std::string::npos) << out;  // 8 pixels
    EXPECT_NE(out.find("paragraphs 1"), std::string::npos) << out;
}

TEST_F(WordServer, ShownDocumentReachesTheHookAndStaysRunning) {
    Doc->GetRange()->SetText("shown\r\n");
    EXPECT_FALSE(App->GetVisible());
    App->SetVisible(true);
    App->Activate();
    ASSERT_EQ(Shown.size(), 1u);
    IUnknownPtr running;
    EXPECT_EQ(GetActiveObject(ProgIDToClassID("Word.Application"), nullptr, running), S_OK);
    EXPECT_EQ(running.get(), App.get());
    int rc = 0;
    const std::string out = Docx("print(d.paragraphs[0].text)", Shown[0], rc);
    CARRELON_PYTHON_OR_SKIP(rc);
    EXPECT_EQ(out, "shown\n");
}

TEST_F(WordServer, FailedSaveKeepsTheDocumentAndAnyOldFile) {
    Doc->GetRange()->SetText("x");
    EXPECT_THROW(Doc->SaveAs(File("missing/dir/a.docx")), EOleException);
    EXPECT_THROW(Doc->GetInlineShapes()->AddPicture(File("none.png"), false, true, Doc->GetRange()),
                 EOleException);
    EXPECT_NO_THROW(Doc->SaveAs(File("ok.docx")));
}

TEST_F(WordServer, LibreOfficeConvertsTheDocument) {
    if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice not installed";
    MakeTable();
    const std::string path = File("lo.docx");
    Doc->SaveAs(path);
    EXPECT_FALSE(ConvertWithLibreOffice(path, "pdf", Dir.string()).empty());
    const std::string text = ConvertWithLibreOffice(path, "txt:Text", Dir.string());
    ASSERT_FALSE(text.empty());
}

}  // namespace
}  // namespace carrelon::test
