// Export to the word processor: the text and its placeholders, the table read back from the
// .docx, progress and Stop, both colour roads, failures, the document left open for the user,
// and pictures.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <fstream>

#include "platform/automation/WordAutomation.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "tests/support/OfficeGridFixture.h"
#include "tests/support/TempFolder.h"

namespace carrelon::test {
namespace {

const AnsiString TabMark = "\xEE\x80\x80";

class WordExport : public OfficeGridFixture {
protected:
    void Shape(int Cols, int Rows) {
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
    }
    // Runs Script over the document at Path with python-docx ("d" is the document, "t" its
    // first table); the script's output.
    std::string Docx(const std::string& Script, const std::string& Path) {
        std::string out;
        const int rc = RunPython(
            "import sys, docx\nfrom docx.oxml.ns import qn\nd = docx.Document(sys.argv[1])\n"
            "t = d.tables[0] if d.tables else None\n" +
                Script,
            {Path}, out, {"docx"});
        if (rc == -1) Skipped = true;
        EXPECT_TRUE(rc == 0 || rc == -1) << out;
        return out;
    }
    std::vector<int> Positions;
    bool Skipped = false;
};

TEST_F(WordExport, ExportTagIsTrimmedAndNeverBlank) {
    struct Case {
        const char* Set;
        const char* Expected;
    } cases[] = {
        {"  Br  ", "Br"},         {"", "Br"},     {"   ", "Br"}, {"\t\r\n", "Br"},
        {"\x01Mark\x02", "Mark"}, {"a b", "a b"},
    };
    for (const Case& c : cases) {
        Grid->SetExportTag(c.Set);
        EXPECT_EQ(Grid->GetExportTag(), c.Expected) << "set \"" << c.Set << "\"";
    }
}

TEST_F(WordExport, TextHoldsEachCellOnceWithBreaksAndTabsReplaced) {
    Shape(3, 3);
    Grid->GetCells(0, 0)->SetText("a\r\nb");
    Grid->GetCells(1, 0)->SetText("x\ny\rz");
    Grid->GetCells(2, 0)->SetText("p\tq");
    MakeMergedCell(Grid, 1, 1, 2, 2)->SetText("m");
    Grid->GetCells(0, 2)->SetText("last");
    EXPECT_EQ(Grid->BuildExportText(), "aCarrelonTagb\txCarrelonTagyCarrelonTagz\tp" + TabMark +
                                           "q\r\n" + "\tm\t\r\n" + "last\t\t\r\n");

    // With the headings on, their row and column are left out; a cell text holding the mark
    // itself makes the export choose another.
    Grid->SetSpreadsheetHeaders(true);
    Grid->GetCells(1, 1)->SetText("t\tu" + TabMark);
    const AnsiString text = Grid->BuildExportText();
    EXPECT_EQ(text.find("t" + TabMark), AnsiString::npos) << text;
    EXPECT_EQ(text.substr(0, 2), "t\xEE");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

// A caret in the export tag is a caret to the document's Find, not the start of a special
// character: every line break still becomes a paragraph of its cell.
TEST_F(WordExport, CaretsInTheExportTagAreFoundAsThemselves) {
    Shape(2, 2);
    Grid->GetCells(0, 0)->SetText("one\r\ntwo");
    Grid->GetCells(1, 1)->SetText("a\r\nb\r\nc");
    struct Case {
        const char* Tag;
        const char* Found;
    } cases[] = {{"a^b", "a^^b"}, {"x^px", "x^^px"}, {"^", "^^"}, {"^t^^", "^^t^^^^"}};
    int n = 0;
    for (const Case& c : cases) {
        Grid->SetExportTag(c.Tag);
        const std::string path = File("caret" + std::to_string(n++) + ".docx");
        Log.clear();
        SetOleCallLog(&Log);
        const bool ok = Grid->ExportToWordFile(path);
        SetOleCallLog(nullptr);
        ASSERT_TRUE(ok) << c.Tag;
        EXPECT_EQ(Calls(std::string("Word.Find.Execute(\"") + c.Found + "\", ").size(), 1u)
            << c.Tag;
        const std::string out = Docx(R"(
for r in range(2):
    for c in range(2):
        print('cell', r, c, '|'.join(p.text for p in t.cell(r, c).paragraphs))
)",
                                     path);
        if (Skipped) continue;
        EXPECT_NE(out.find("cell 0 0 one|two\n"), std::string::npos) << c.Tag << "\n" << out;
        EXPECT_NE(out.find("cell 1 1 a|b|c\n"), std::string::npos) << c.Tag << "\n" << out;
    }
    if (Skipped) GTEST_SKIP() << "python3-docx is not installed";
}

TEST_F(WordExport, DocumentHoldsTheTableWithFormatsThatPythonDocxReads) {
    Shape(4, 4);
    Grid->SetSpreadsheetHeaders(true);
    Grid->SetFixedRows(1);
    Grid->SetFixedCols(1);
    TCarrelonCol* c1 = Grid->GetCols(1);
    c1->SetWidth(96);
    c1->SetTextAlignment(taRightJustify);
    TFont* colFont = c1->GetFont();
    colFont->SetName("Liberation Serif");
    colFont->SetSize(12);
    colFont->SetColor(clRed);
    colFont->SetStyle({fsBold});
    c1->SetColor(clYellow);
    Grid->GetCells(1, 1)->SetText("two\r\nlines");
    Grid->GetCells(2, 1)->SetText("tag CarrelonTag inside");
    Grid->GetCells(3, 1)->SetText("tab\there");
    TCarrelonCell* own = Grid->GetCells(2, 2);
    own->SetText("own");
    own->SetTextAlignment(taCenter);
    own->SetColor(clAqua);
    std::shared_ptr<TFont> f = own->GetFont();
    f->SetName("Liberation Mono");
    f->SetStyle({fsItalic, fsUnderline});
    MakeMergedCell(Grid, 1, 3, 2, 3)->SetText("merged");
    Grid->GetCells(1, 3)->SetTextAlignment(taCenter);
    TBitmap pic;
    pic.SetSize(12, 6);
    Grid->GetCells(3, 3)->SetText("pic");
    Grid->GetCells(3, 3)->SetGraphic(&pic);

    const std::string path = File("grid.docx");
    ASSERT_TRUE(Grid->ExportToWordFile(path));
    EXPECT_TRUE(Messages.empty());
    const std::string out = Docx(R"(
print('shape', len(t.rows), len(t.columns))
for r, row in enumerate(t.rows):
    for c in range(len(t.columns)):
        print('cell', r, c, '|'.join(p.text for p in t.cell(r, c).paragraphs))
print('merged', t.cell(2, 0)._tc is t.cell(2, 1)._tc)
print('mergedalign', t.cell(2, 0).paragraphs[0].alignment)
print('width', t.columns[0].width.pt if t.columns[0].width else None)
r = t.cell(0, 0).paragraphs[0].runs[0]
print('colfont', r.font.name, r.font.size.pt, r.font.bold, str(r.font.color.rgb))
print('colalign', t.cell(0, 0).paragraphs[0].alignment)
shd = t.cell(0, 0)._tc.tcPr.find(qn('w:shd'))
print('colshade', shd.get(qn('w:fill')))
r = t.cell(1, 1).paragraphs[0].runs[0]
print('ownfont', r.font.name, r.font.italic, r.font.underline)
print('ownalign', t.cell(1, 1).paragraphs[0].alignment)
print('ownshade', t.cell(1, 1)._tc.tcPr.find(qn('w:shd')).get(qn('w:fill')))
print('pictures', len(d.inline_shapes))
)",
                                 path);
    if (Skipped) GTEST_SKIP() << "python3-docx is not installed";
    EXPECT_NE(out.find("shape 3 3"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 0 0 two|lines\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 0 1 tag | inside\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 0 2 tab\there\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 1 1 own\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cell 2 0 merged\n"), std::string::npos) << out;
    EXPECT_NE(out.find("merged True"), std::string::npos) << out;
    EXPECT_NE(out.find("mergedalign CENTER"), std::string::npos) << out;
    EXPECT_NE(out.find("width 72.0"), std::string::npos) << out;
    EXPECT_NE(out.find("colfont Liberation Serif 12.0 True FF0000"), std::string::npos) << out;
    EXPECT_NE(out.find("colalign RIGHT"), std::string::npos) << out;
    EXPECT_NE(out.find("colshade FFFF00"), std::string::npos) << out;
    EXPECT_NE(out.find("ownfont Liberation Mono True True"), std::string::npos) << out;
    EXPECT_NE(out.find("ownalign CENTER"), std::string::npos) << out;
    EXPECT_NE(out.find("ownshade 00FFFF"), std::string::npos) << out;
    EXPECT_NE(out.find("pictures 1"), std::string::npos) << out;

    if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    EXPECT_NE(ConvertWithLibreOffice(path, "pdf", Dir.string()), "");
}

TEST_F(WordExport, ProgressStepsEightTimesPerColumnThenOncePerCell) {
    struct Case {
        int Rows, Cols;
        int Step;  // Round(Rows / 8), halves to even
    } cases[] = {{4, 2, 0}, {12, 2, 2}, {20, 1, 2}, {9, 3, 1}};
    for (const Case& c : cases) {
        Shape(c.Cols, c.Rows);
        std::vector<int> positions;
        int end = -1;
        Grid->OnExportProgress = [&](TCarrelon*, int Position, int EndPosition, bool&) {
            positions.push_back(Position);
            end = EndPosition;
        };
        ASSERT_TRUE(Grid->ExportToWordFile(File("p.docx")));
        const int cells = c.Rows * c.Cols;
        EXPECT_EQ(end, c.Step * 8 * c.Cols + cells) << c.Rows << "x" << c.Cols;
        ASSERT_EQ(positions.size(), static_cast<size_t>(8 * c.Cols + cells));
        EXPECT_EQ(positions[7], c.Step * 8);
        EXPECT_EQ(positions[8 * c.Cols - 1], c.Step * 8 * c.Cols);
        EXPECT_EQ(positions.back(), end);
    }

    // Merged slots fire nothing: the last event of a grid ending in a merge is below the end.
    Shape(2, 2);
    MakeMergedCell(Grid, 0, 0, 1, 1);
    std::vector<int> positions;
    Grid->OnExportProgress = [&](TCarrelon*, int Position, int, bool&) {
        positions.push_back(Position);
    };
    ASSERT_TRUE(Grid->ExportToWordFile(File("m.docx")));
    EXPECT_EQ(positions.size(), 17u);
    EXPECT_EQ(positions.back(), 1);
}

TEST_F(WordExport, StopDiscardsTheDocumentAndFiresNothingMore) {
    Shape(3, 3);
    const std::string path = File("stopped.docx");
    for (int stopAt : {1, 20, 27}) {
        int events = 0;
        Grid->OnExportProgress = [&](TCarrelon*, int, int, bool& Stop) {
            if (++events == stopAt) Stop = true;
        };
        Log.clear();
        SetOleCallLog(&Log);
        EXPECT_FALSE(Grid->ExportToWordFile(path)) << stopAt;
        SetOleCallLog(nullptr);
        EXPECT_EQ(events, stopAt);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_TRUE(Logged("Word.Document.Saved := True"));
        EXPECT_TRUE(Logged("Word.Document.Close"));
        EXPECT_TRUE(Logged("Word.Options.Pagination := True"));
        EXPECT_TRUE(Calls("Word.Document.SaveAs").empty());
        EXPECT_TRUE(Calls("Word.Cell.Merge").empty());
    }
    EXPECT_EQ(OleInitializeDepth(), 0);
}

TEST_F(WordExport, VersionEightTakesColourIndexesAndLaterVersionsRgb) {
    Shape(2, 2);
    Grid->GetCols(0)->GetFont()->SetColor(clRed);
    Grid->GetCols(0)->SetColor(clNavy);
    Grid->GetCells(1, 1)->SetColor(0x123456);  // no index: 0
    Grid->GetCells(1, 1)->GetFont()->SetColor(clLime);
    for (const char* version : {"8.0", "9.0", "16.0"}) {
        SetWordServerVersion(version);
        Log.clear();
        SetOleCallLog(&Log);
        ASSERT_TRUE(Grid->ExportToWordFile(File("v.docx"))) << version;
        SetOleCallLog(nullptr);
        const bool old = AnsiString(version) == "8.0";
        EXPECT_EQ(Logged("Word.Font.ColorIndex := 6"), old) << version;
        EXPECT_EQ(Logged("Word.Shading.BackgroundPatternColorIndex := 9"), old) << version;
        EXPECT_EQ(Logged("Word.Shading.BackgroundPatternColorIndex := 0"), old) << version;
        EXPECT_EQ(Logged("Word.Font.ColorIndex := 4"), old) << version;
        EXPECT_EQ(Logged("Word.Font.Color := 255"), !old) << version;
        EXPECT_EQ(Logged("Word.Shading.BackgroundPatternColor := 1193046"), !old) << version;
    }
    struct Case {
        TColor Color;
        int Index;
    } cases[] = {{clBlack, 1}, {clMaroon, 13}, {clRed, 6},    {clGreen, 11},  {clOlive, 14},
                 {clLime, 4},  {clYellow, 7},  {clNavy, 9},   {clPurple, 12}, {clTeal, 10},
                 {clGray, 15}, {clSilver, 16}, {clBlue, 2},   {clFuchsia, 5}, {clAqua, 3},
                 {clWhite, 8}, {0x010101, 0},  {clWindow, 8}, {clBtnFace, 16}};
    for (const Case& c : cases)
        EXPECT_EQ(TCarrelon::ColorToWordColorIndex(c.Color), c.Index) << std::hex << c.Color;
}

TEST_F(WordExport, FailureKeepsTheFileAndPutsTheOptionsBack) {
    Shape(2, 2);
    Grid->GetCells(1, 1)->SetColor(clRed);
    const std::string path = File("kept.docx");
    { std::ofstream(path) << "old"; }
    for (const char* member :
         {"Word.Table.Cell", "Word.Column.Select", "Word.Document.SaveAs", "Word.Find.Execute"}) {
        InjectOleMemberFailure(member, "broken");
        Log.clear();
        SetOleCallLog(&Log);
        EXPECT_FALSE(Grid->ExportToWordFile(path)) << member;
        SetOleCallLog(nullptr);
        ClearOleInjections();
        EXPECT_EQ(ReadBytes(path), "old") << member;
        EXPECT_TRUE(Logged("Word.Options.CheckSpellingAsYouType := True")) << member;
        EXPECT_TRUE(Logged("Word.Options.Pagination := True")) << member;
        EXPECT_TRUE(Logged("Word.Document.Close")) << member;
    }
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(OleInitializeDepth(), 0);
    // A complete export replaces the file.
    EXPECT_TRUE(Grid->ExportToWordFile(path));
    EXPECT_NE(ReadBytes(path), "old");
}

TEST_F(WordExport, WordThatCannotStartShowsWhy) {
    InjectOleStartFailure("Word.Document", "Server execution failed");
    EXPECT_FALSE(Grid->ExportToWord());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Could not start Microsoft Word\r\n\r\nServer execution failed");
    EXPECT_EQ(OleInitializeDepth(), 0);
    ClearOleInjections();
    UnregisterOleServer("Word.Document");
    EXPECT_FALSE(Grid->ExportToWordFile(File("none.docx")));
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_EQ(Messages[1].rfind("Could not start Microsoft Word\r\n\r\n", 0), 0u);
}

TEST_F(WordExport, DocumentLeftOpenReachesTheUserAsAFileThatOpens) {
    Shape(2, 3);
    Grid->GetCells(1, 2)->SetText("shown");
    ASSERT_TRUE(Grid->ExportToWord());
    ASSERT_EQ(Shown.size(), 1u);
    const std::string out = Docx("print(len(t.rows), t.cell(2, 1).text)", Shown[0]);
    if (Skipped) GTEST_SKIP() << "python3-docx is not installed";
    EXPECT_EQ(out, "3 shown\n");
}

std::vector<Byte> IconBytes() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "ICO").write(image);
    return std::vector<Byte>(bytes.begin(), bytes.end());
}

TEST_F(WordExport, PicturesArePlacedByLayoutAndTheirFilesRemoved) {
    Shape(5, 1);
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    struct Case {
        TAlignment TextAlign, GraphicAlign;
        TTextLayout TextLayout, GraphicLayout;
        const char* Text;
        const char* Steps;  // the extra members the placement calls
    } cases[] = {
        {taLeftJustify, taRightJustify, tlTop, tlTop, "after", "Word.Range.End"},
        {taLeftJustify, taCenter, tlBottom, tlTop, "below", "Word.Range.InsertParagraphBefore"},
        {taLeftJustify, taCenter, tlTop, tlBottom, "above", "Word.Range.InsertParagraphAfter"},
        {taLeftJustify, taRightJustify, tlTop, tlTop, "", ""},
    };
    for (int i = 0; i < 4; ++i) {
        TCarrelonCell* cell = Grid->GetCells(i, 0);
        cell->SetText(cases[i].Text);
        cell->SetTextAlignment(cases[i].TextAlign);
        cell->SetGraphicAlignment(cases[i].GraphicAlign);
        cell->SetTextLayout(cases[i].TextLayout);
        cell->SetGraphicLayout(cases[i].GraphicLayout);
        cell->SetGraphic(&bitmap);
    }
    TIcon icon;
    icon.LoadFromData(IconBytes());
    Grid->GetCells(4, 0)->SetGraphic(&icon);

    SetOleCallLog(&Log);
    ASSERT_TRUE(Grid->ExportToWordFile(File("pictures.docx")));
    SetOleCallLog(nullptr);
    const auto adds = Calls("Word.InlineShapes.AddPicture");
    EXPECT_EQ(adds.size(), 4u);  // the icon is not exported
    for (const char* step : {"Word.Range.InsertParagraphBefore", "Word.Range.InsertParagraphAfter",
                             "Word.Paragraph.Alignment := 1"})
        EXPECT_TRUE(Logged(step)) << step;
    for (const auto& add : adds) {
        const auto open = add.find('"'), close = add.find('"', open + 1);
        ASSERT_NE(close, AnsiString::npos) << add;
        EXPECT_FALSE(std::filesystem::exists(add.substr(open + 1, close - open - 1))) << add;
    }
    const std::string out = Docx("print(len(d.inline_shapes))", File("pictures.docx"));
    if (!Skipped) {
        EXPECT_EQ(out, "4\n");
    }

    // A picture the document refuses fails the export, and its file still goes.
    InjectOleMemberFailure("Word.InlineShapes.AddPicture", "bad picture");
    Log.clear();
    SetOleCallLog(&Log);
    EXPECT_FALSE(Grid->ExportToWordFile(File("refused.docx")));
    SetOleCallLog(nullptr);
    const auto refused = Calls("Word.InlineShapes.AddPicture");
    ASSERT_EQ(refused.size(), 1u);
    const auto open = refused[0].find('"'), close = refused[0].find('"', open + 1);
    EXPECT_FALSE(std::filesystem::exists(refused[0].substr(open + 1, close - open - 1)));
}

TEST_F(WordExport, EmptyAreaGivesAnEmptyDocument) {
    Shape(2, 1);
    Grid->SetSpreadsheetHeaders(true);
    Grid->SetFixedRows(1);
    ASSERT_EQ(Grid->GetRowCount() - 1, 0);
    SetOleCallLog(&Log);
    EXPECT_TRUE(Grid->ExportToWordFile(File("empty.docx")));
    SetOleCallLog(nullptr);
    EXPECT_TRUE(Calls("Word.Range.ConvertToTable").empty());
}

}  // namespace
}  // namespace carrelon::test
