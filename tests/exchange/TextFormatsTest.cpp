// Plain text in and out of the grid: TAB-separated lines saved and loaded, tab-delimited and
// CSV files loaded, the frame around every load (lock, spreadsheet mode, recalculation), and
// input the grid cannot take (missing or oversized files, counts beyond the budget, handlers
// that throw or shrink the grid) leaving the grid as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "grid/CarrelonInplaceEditor.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Locale.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/FileFailureScopes.h"
#include "tests/support/GridFixture.h"
#include "tests/support/TempFolder.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

std::unique_ptr<TStringList> ListOf(const std::vector<std::string>& Lines) {
    auto L = std::make_unique<TStringList>();
    for (const std::string& S : Lines)
        L->Add(S);
    return L;
}

std::vector<std::string> Items(const TStrings& L) {
    std::vector<std::string> Out;
    for (int i = 0; i < L.GetCount(); ++i)
        Out.push_back(L.Get(i));
    return Out;
}

class TextFormats : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(3);
        Grid->SetRowCount(4);
    }
    TCarrelonCell* C(int Col, int Row) const { return Grid->GetCells(Col, Row); }
    // Every row's cell texts joined by "|".
    std::vector<std::string> Shown() const {
        std::vector<std::string> Out;
        for (int r = 0; r < Grid->GetRowCount(); ++r) {
            std::string Row;
            for (int k = 0; k < Grid->GetColCount(); ++k) {
                if (k > 0) Row += '|';
                Row += C(k, r)->GetText();
            }
            Out.push_back(Row);
        }
        return Out;
    }
    void Fill(const std::vector<std::vector<std::string>>& Rows) {
        for (std::size_t r = 0; r < Rows.size(); ++r)
            for (std::size_t k = 0; k < Rows[r].size(); ++k)
                C(static_cast<int>(k), static_cast<int>(r))->SetText(Rows[r][k]);
    }
    std::string FileWith(std::string_view Bytes, const char* Name = "in.txt") {
        const std::string F = Folder.File(Name);
        WriteBytes(F, Bytes);
        return F;
    }
    TCarrelonPrivate& P() const { return Access::Internals(Grid); }

    TTempFolder Folder;
};

// ---- SaveToStrings --------------------------------------------------------------------------

TEST_F(TextFormats, SaveWritesTheDataAreaAsTabSeparatedLines) {
    Fill({{"a", "b", "c"}, {"1", "", "x\r\ny"}, {}, {"", "", "z\tw"}});
    auto L = ListOf({"old line"});
    ASSERT_TRUE(Grid->SaveToStrings(L.get()));
    // Nothing is quoted: line breaks and TABs go out as they are.
    EXPECT_EQ(Items(*L), (std::vector<std::string>{"a\tb\tc", "1\t\tx\r\ny", "\t\t", "\t\tz\tw"}));
    EXPECT_FALSE(Grid->SaveToStrings(nullptr));
}

TEST_F(TextFormats, SaveLeavesHeadingsOutAndRepeatsMergedText) {
    Grid->SetSpreadsheetHeaders(true);
    Grid->SetRowCount(3);
    C(1, 1)->SetText("p");
    C(2, 2)->SetText("q");
    auto L = std::make_unique<TStringList>();
    ASSERT_TRUE(Grid->SaveToStrings(L.get()));
    EXPECT_EQ(Items(*L), (std::vector<std::string>{"p\t", "\tq"}));

    Grid->SetSpreadsheetHeaders(false);
    MakeMergedCell(Grid, 0, 0, 1, 1)->SetText("m");
    ASSERT_TRUE(Grid->SaveToStrings(L.get()));
    EXPECT_EQ(Items(*L), (std::vector<std::string>{"m\tm\t", "m\tm\t", "\t\tq"}));
}

// ---- LoadFromStrings ------------------------------------------------------------------------

TEST_F(TextFormats, LoadFromStringsFollowsTheLineAndFieldRules) {
    struct Case {
        const char* Name;
        std::vector<std::string> Lines;
        std::vector<std::string> Shown;
    } Cases[] = {
        {"rows only grow", {"a\tb", "d"}, {"a|b|.", "d|.|.", ".|.|.", ".|.|."}},
        {"columns grow per field",
         {"1\t2\t3\t4\t5"},
         {"1|2|3|4|5", ".|.|.||", ".|.|.||", ".|.|.||"}},
        {"trailing TAB adds no field", {"a\t", "b\t\t"}, {"a|.|.", "b||.", ".|.|.", ".|.|."}},
        {"empty line sets no cell", {"a", "", "c"}, {"a|.|.", ".|.|.", "c|.|.", ".|.|."}},
        {"adjacent TABs set an empty text", {"\t\tz"}, {"||z", ".|.|.", ".|.|.", ".|.|."}},
        {"more lines add rows",
         {"1", "2", "3", "4", "5", "6"},
         {"1|.|.", "2|.|.", "3|.|.", "4|.|.", "5||", "6||"}},
        {"quotes are text", {"\"a\tb\""}, {"\"a|b\"|.", ".|.|.", ".|.|.", ".|.|."}},
    };
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        Grid->SetColCount(3);
        Grid->SetRowCount(4);
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 3; ++k)
                C(k, r)->SetText(".");
        auto L = ListOf(c.Lines);
        ASSERT_TRUE(Grid->LoadFromStrings(L.get()));
        EXPECT_EQ(Shown(), c.Shown);
        ExpectModelSound();
    }
    EXPECT_FALSE(Grid->LoadFromStrings(nullptr));
}

TEST_F(TextFormats, LoadsFillTheDataAreaBelowSpreadsheetHeadings) {
    Grid->SetSpreadsheetHeaders(true);
    auto L = ListOf({"a\tb\tc"});
    ASSERT_TRUE(Grid->LoadFromStrings(L.get()));
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(C(1, 1)->GetText(), "a");
    EXPECT_EQ(C(3, 1)->GetText(), "c");
    EXPECT_EQ(C(1, 0)->GetText(), "");
    ASSERT_TRUE(Grid->LoadFromCSV(FileWith("x,y\r\n")));
    EXPECT_EQ(Grid->GetRowCount(), 2);  // the heading row and one line
    EXPECT_EQ(C(2, 1)->GetText(), "y");
}

TEST_F(TextFormats, SavedLinesLoadBackIntoTheSameCells) {
    Fill({{"a", "b", "c"}, {"1", "", "2.5"}, {"", "x", ""}, {"d", "e", "f"}});
    auto L = std::make_unique<TStringList>();
    ASSERT_TRUE(Grid->SaveToStrings(L.get()));
    const auto Before = Shown();
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 3; ++k)
            C(k, r)->SetText("");
    ASSERT_TRUE(Grid->LoadFromStrings(L.get()));
    EXPECT_EQ(Shown(), Before);
}

TEST_F(TextFormats, LoadGrowingAGridWhoseRowsAreAllFixedKeepsTheFixedPartSound) {
    Grid->SetRowCount(1);  // the one row is the fixed row
    ASSERT_EQ(Grid->GetFixedRows(), 1);
    auto L = ListOf({"", "a\tb\tc\td", ""});
    ASSERT_TRUE(Grid->LoadFromStrings(L.get()));
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Grid->GetFixedRows(), 1);
    EXPECT_EQ(C(3, 1)->GetText(), "d");
    std::string Why;
    EXPECT_TRUE(Access::CheckModelInvariants(Grid, &Why)) << Why;
}

// ---- tab-delimited files --------------------------------------------------------------------

TEST_F(TextFormats, TabDelimitedFilesKeepQuotedFieldsAndFollowTheLineEndMode) {
    struct Case {
        const char* Name;
        std::string Text;
        std::vector<std::string> Shown;
    } Cases[] = {
        {"quoted TAB and break",
         "\"a\tb\nc\"\tsecond\n",
         {"a\tb\r\nc|second|.", ".|.|.", ".|.|.", ".|.|."}},
        {"CR LF mode keeps a lone LF",
         "a\nb\tc\r\nd\r\n",
         {"a\r\nb|c|.", "d|.|.", ".|.|.", ".|.|."}},
        {"LF mode", "a\tb\nc\n", {"a|b|.", "c|.|.", ".|.|.", ".|.|."}},
        {"empty line leaves its row", "a\n\nc", {"a|.|.", ".|.|.", "c|.|.", ".|.|."}},
        {"unmatched quote takes the rest",
         "x\t\"y\tz\nw\n",
         {"x|y\tz\r\nw|.", ".|.|.", ".|.|.", ".|.|."}},
        {"doubled quotes",
         "\"say \"\"hi\"\"\"\tq\n",
         {"say \"hi\"|q|.", ".|.|.", ".|.|.", ".|.|."}},
        {"text after the closing quote is dropped",
         "\"ab\"cd\te\n",
         {"ab|e|.", ".|.|.", ".|.|.", ".|.|."}},
    };
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 3; ++k)
                C(k, r)->SetText(".");
        ASSERT_TRUE(Grid->LoadFromTabDelimited(FileWith(c.Text)));
        EXPECT_EQ(Grid->GetRowCount(), 4);
        EXPECT_EQ(Shown(), c.Shown);
    }
}

// ---- CSV files ------------------------------------------------------------------------------

TEST_F(TextFormats, CSVFilesSplitFieldsAndLinesAndSetTheRowCount) {
    struct Case {
        const char* Name;
        std::string Text;
        std::vector<std::string> Shown;
    } Cases[] = {
        {"quoted separator", "x,\"a,b\",y\r\n", {"x|a,b|y"}},
        {"doubled quotes", "\"a \"\"q\"\" b\",c\n", {"a \"q\" b|c|."}},
        {"text after the closing quote", "\"ab\"cd,e", {"ab|cd|e"}},
        {"empty and trailing fields", ",,z,\r\nq", {"||z", "q|.|."}},
        {"lone CR and LF end lines", "a\rb\nc\r\nd", {"a|.|.", "b|.|.", "c|.|.", "d|.|."}},
        {"breaks inside quotes stay",
         "\"1\r2\",\"3\n4\",\"5\r\n6\"\r\nz",
         {"1\r\n2|3\r\n4|5\r\n6", "z|.|."}},
        {"empty line gives an empty row", "a\r\n\r\nb\r\n", {"a|.|.", ".|.|.", "b|.|."}},
        {"blank texts and stray quotes are kept", "a\"b, c", {"a\"b| c|."}},
        {"empty file", "", {".|.|."}},
    };
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        Grid->SetRowCount(10);
        for (int r = 0; r < 10; ++r)
            for (int k = 0; k < 3; ++k)
                C(k, r)->SetText(".");
        ASSERT_TRUE(Grid->LoadFromCSV(FileWith(c.Text)));
        EXPECT_EQ(Shown(), c.Shown);
        ExpectModelSound();
    }
}

TEST_F(TextFormats, CSVAlsoSplitsAtTheLocaleListSeparator) {
    TLocaleScope Locale;
    ListSeparator = ';';
    ASSERT_TRUE(Grid->LoadFromCSV(FileWith("a;b,d\r\n\"x;y\";1,5\r\n")));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a|b|d", "x;y|1|5"}));
}

// ---- the frame around a load ----------------------------------------------------------------

TEST_F(TextFormats, FormulasAreRecalculatedAfterALoadAndTheModeComesBack) {
    Grid->SetSpreadsheetEnabled(true);
    C(2, 3)->SetFormula("A1+B1");
    int Recalculated = 0;
    Grid->OnRecalculated = [&](TObject*) { ++Recalculated; };
    bool ModeDuringLoad = true;
    Grid->OnCellTextChanged = [&](TCarrelon*, int, int, const AnsiString&, const AnsiString&) {
        ModeDuringLoad = Grid->GetSpreadsheetEnabled();
    };
    auto L = ListOf({"2\t5", "=A1"});
    ASSERT_TRUE(Grid->LoadFromStrings(L.get()));
    EXPECT_FALSE(ModeDuringLoad);
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    EXPECT_EQ(C(2, 3)->GetText(), "7");
    EXPECT_EQ(Recalculated, 1);
    // Loaded text is text: a field starting with "=" is no formula.
    EXPECT_EQ(C(0, 1)->GetFormula(), "");
    EXPECT_EQ(C(0, 1)->GetText(), "=A1");
    EXPECT_EQ(P().FUpdateCount, 0);
}

TEST_F(TextFormats, LockAndModeAreRestoredOnEveryPath) {
    Grid->SetSpreadsheetEnabled(true);
    Grid->DisableControls();  // an outer lock of the application's stays held
    struct Case {
        const char* Name;
        std::function<bool()> Load;
    } Cases[] = {
        {"strings",
         [&] {
             auto L = ListOf({"a"});
             return Grid->LoadFromStrings(L.get());
         }},
        {"tab-delimited", [&] { return Grid->LoadFromTabDelimited(FileWith("a")); }},
        {"CSV", [&] { return Grid->LoadFromCSV(FileWith("a")); }},
    };
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_TRUE(c.Load());
        EXPECT_EQ(P().FUpdateCount, 1);
        EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
        // A handler that throws: the exception reaches the caller after the clean-up.
        C(0, 0)->SetText("");
        Grid->OnCellTextChanged = [](TCarrelon*, int, int, const AnsiString&, const AnsiString&) {
            throw std::runtime_error("handler");
        };
        EXPECT_THROW(c.Load(), std::runtime_error);
        Grid->OnCellTextChanged = nullptr;
        EXPECT_EQ(P().FUpdateCount, 1);
        EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    }
    EXPECT_EQ(Grid->EnableControls(), 0);
}

TEST_F(TextFormats, AHandlerShrinkingTheGridEndsTheLoadWithFalse) {
    Grid->OnCellTextChanged = [&](TCarrelon*, int, int, const AnsiString&, const AnsiString&) {
        if (Grid->GetColCount() > 1) Grid->SetColCount(1);
        if (Grid->GetRowCount() > 1) Grid->SetRowCount(1);
    };
    auto L = ListOf({"a\tb\tc", "d\te"});
    EXPECT_FALSE(Grid->LoadFromStrings(L.get()));
    EXPECT_EQ(C(0, 0)->GetText(), "a");
    EXPECT_FALSE(Grid->LoadFromCSV(FileWith("p,q\r\nr,s\r\n")));
    EXPECT_EQ(C(0, 0)->GetText(), "p");
    ExpectModelSound();
    EXPECT_EQ(P().FUpdateCount, 0);
}

TEST_F(TextFormats, FilesThatCannotBeReadWholeLeaveTheGridAsItWas) {
    Fill({{"a", "b", "c"}, {"d"}});
    const auto Before = Shown();
    const std::string Fifo = Folder.File("pipe");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    P().FTextFileLimit = 8;
    const std::string Big = FileWith("0123456789", "big.csv");
    const std::string Locked = FileWith("x,y", "locked.csv");
    ::chmod(Locked.c_str(), 0);
    // Without read permission, which binds the superuser too while this lives.
    TPermissionsBind Binding;
    ASSERT_TRUE(Binding.Active());
    for (const std::string& Name :
         {Folder.File("missing.csv"), Folder.Path, Fifo, Big, std::string(), Locked}) {
        SCOPED_TRACE(Name);
        EXPECT_FALSE(Grid->LoadFromCSV(Name));
        EXPECT_FALSE(Grid->LoadFromTabDelimited(Name));
        EXPECT_EQ(Shown(), Before);
        EXPECT_EQ(P().FUpdateCount, 0);
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TextFormats, CountsBeyondTheCellBudgetAreRefusedBeforeTheGridChanges) {
    Fill({{"a", "b", "c"}});
    const auto Before = Shown();
    Grid->SetCellBudget(16);
    auto Wide = ListOf({"1\t2\t3\t4"});  // 4 columns x 4 rows fit, 5 x 4 do not
    EXPECT_TRUE(Grid->LoadFromStrings(Wide.get()));
    Wide = ListOf({"1\t2\t3\t4\t5"});
    EXPECT_FALSE(Grid->LoadFromStrings(Wide.get()));
    EXPECT_FALSE(Grid->LoadFromCSV(FileWith("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n")));
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Grid->GetRowCount(), 4);
    EXPECT_EQ(C(3, 0)->GetText(), "4");
    EXPECT_TRUE(Messages.empty());
    // Rows a CSV drops make room for its columns: 6 columns of 2 rows fit the budget.
    EXPECT_TRUE(Grid->LoadFromCSV(FileWith("1,2,3,4,5,6\r\n7")));
    EXPECT_EQ(Grid->GetColCount(), 6);
    EXPECT_EQ(Grid->GetRowCount(), 2);
    ExpectModelSound();
}

TEST_F(TextFormats, CountsBeyondTheLargestCountAreRefusedBeforeTheGridChanges) {
    Fill({{"a", "b", "c"}, {"d"}});
    const auto Before = Shown();
    // A budget that would take the cells, so only the largest count stands in the way.
    Grid->SetCellBudget(std::numeric_limits<long long>::max());
    // One line of one field more than the largest column count.
    const std::size_t Fields = static_cast<std::size_t>(TCarrelon::MaxCount) + 1;
    std::string Line(Fields - 1, '\t');
    Line += 'x';
    auto L = ListOf({Line});
    EXPECT_FALSE(Grid->LoadFromStrings(L.get()));
    L.reset();
    EXPECT_FALSE(Grid->LoadFromTabDelimited(FileWith(Line, "wide.txt")));
    std::replace(Line.begin(), Line.end(), '\t', ',');
    EXPECT_FALSE(Grid->LoadFromCSV(FileWith(Line, "wide.csv")));
    EXPECT_EQ(Grid->GetColCount(), 3);
    EXPECT_EQ(Grid->GetRowCount(), 4);
    EXPECT_EQ(Shown(), Before);
    // Below the headings one field fewer passes the count as well.
    Grid->SetSpreadsheetHeaders(true);
    const auto BeforeHeadings = Shown();
    Line.pop_back();
    Line.back() = 'x';
    EXPECT_FALSE(Grid->LoadFromCSV(FileWith(Line, "wide.csv")));
    EXPECT_EQ(Grid->GetColCount(), 3);
    EXPECT_EQ(Shown(), BeforeHeadings);
    EXPECT_EQ(P().FUpdateCount, 0);
    EXPECT_TRUE(Messages.empty());
    ExpectModelSound();
}

TEST_F(TextFormats, InvalidUtf8IsKeptAsItIs) {
    const std::string Bytes = "\xff\xfe\xc3(\xe2\x82,ok\r\n\"\x80\xbf\"";
    ASSERT_TRUE(Grid->LoadFromCSV(FileWith(Bytes)));
    EXPECT_EQ(C(0, 0)->GetText(), "\xff\xfe\xc3(\xe2\x82");
    EXPECT_EQ(C(0, 1)->GetText(), "\x80\xbf");
    Grid->AutoSizeColumns();
    Grid->AutoSizeRows();
    auto L = std::make_unique<TStringList>();
    ASSERT_TRUE(Grid->SaveToStrings(L.get()));
    EXPECT_EQ(L->Get(0), "\xff\xfe\xc3(\xe2\x82\tok\t");
}

TEST(TextFormatsEditing, InvalidUtf8CountsOneCharacterPerBadByteUnderMaxLength) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    TTempFolder Folder;
    const std::string F = Folder.File("bad.csv");
    // Two stray bytes and a lead byte before an ASCII character: four characters.
    WriteBytes(F, "a,b\r\nx,\xff\xfe\xc3(\r\n");
    ASSERT_TRUE(Grid->LoadFromCSV(F));
    TCarrelonCell* Cell = Grid->GetCells(1, 1);
    ASSERT_EQ(Cell->GetText(), "\xff\xfe\xc3(");
    Cell->SetMaxLength(6);
    Grid->SetFocus();
    ProcessPendingEvents();
    ASSERT_TRUE(Grid->FocusCell(1, 1) || (Grid->GetCol() == 1 && Grid->GetRow() == 1));
    PressKey(Grid, VK_F2);
    ProcessPendingEvents();
    ASSERT_TRUE(Grid->GetEditorMode());
    TCarrelonInplaceEditor* Editor = Access::Internals(Grid).FInplaceEditor;
    EXPECT_EQ(Editor->GetTextLength(), 4);
    Editor->SetSelStart(4);
    TypeText(Editor, "abcd");
    ProcessPendingEvents();
    // Room for two more under the limit of six.
    EXPECT_EQ(Editor->GetTextLength(), 6);
    EXPECT_EQ(Editor->GetText().substr(Editor->GetText().size() - 3), "(ab");
    Grid->SetEditorMode(false);
}

// ---- files written by other programs --------------------------------------------------------

// Runs a shell command; true when it succeeded.
bool Shell(const std::string& Command) {
    return std::system((Command + " >/dev/null 2>&1").c_str()) == 0;
}

TEST_F(TextFormats, CSVWrittenByPythonLoadsIntoTheSameCells) {
    if (!Shell("python3 -c 'import csv'")) GTEST_SKIP() << "python3 is not installed";
    const std::string Out = Folder.File("py.csv");
    const std::string Script =
        "import csv\n"
        "rows = [['plain', 'with, comma', 'say \"hi\"'],\n"
        "        ['two\\nlines', '', 'end'],\n"
        "        ['\"quoted\"', 'a\\r\\nb', '3.5']]\n"
        "with open('" +
        Out +
        "', 'w', newline='') as f:\n"
        "    csv.writer(f).writerows(rows)\n";
    const std::string ScriptFile = FileWith(Script, "write.py");
    ASSERT_TRUE(Shell("python3 " + ScriptFile));
    ASSERT_TRUE(Grid->LoadFromCSV(Out));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"plain|with, comma|say \"hi\"",
                                                 "two\r\nlines||end", "\"quoted\"|a\r\nb|3.5"}));
}

TEST_F(TextFormats, CSVWrittenByAnOfficeSuiteLoads) {
    if (!Shell("command -v soffice")) GTEST_SKIP() << "LibreOffice is not installed";
    // A small workbook in the suite's flat XML form, converted headless to CSV.
    const std::string Sheet =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="S">
<table:table-row><table:table-cell office:value-type="string"><text:p>name</text:p></table:table-cell>
<table:table-cell office:value-type="string"><text:p>note</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>a, b</text:p></table:table-cell>
<table:table-cell office:value-type="string"><text:p>say "x"</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p></table:table-cell>
<table:table-cell office:value-type="string"><text:p>one</text:p><text:p>two</text:p></table:table-cell></table:table-row>
</table:table></office:spreadsheet></office:body></office:document>)";
    const std::string In = FileWith(Sheet, "book.fods");
    const std::string Profile = "file://" + Folder.File("profile");
    ASSERT_TRUE(Shell("cd " + Folder.Path + " && timeout 120 soffice -env:UserInstallation=" +
                      Profile + " --headless --convert-to csv --outdir " + Folder.Path + " " + In));
    ASSERT_TRUE(Grid->LoadFromCSV(Folder.File("book.csv")));
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{"name|note|", "a, b|say \"x\"|", "42|one\r\ntwo|"}));
}

// ---- the editor gate ------------------------------------------------------------------------

TEST(TextFormatsGate, AnEditorThatStaysOpenRefusesEveryOperation) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    OpenEditorThatStaysOpen(Grid);
    TTempFolder Folder;
    const std::string F = Folder.File("a.csv");
    WriteBytes(F, "p,q\r\n");
    auto L = ListOf({"p\tq"});
    EXPECT_FALSE(Grid->SaveToStrings(L.get()));
    EXPECT_EQ(L->GetCount(), 1);
    EXPECT_FALSE(Grid->LoadFromStrings(L.get()));
    EXPECT_FALSE(Grid->LoadFromTabDelimited(F));
    EXPECT_FALSE(Grid->LoadFromCSV(F));
    EXPECT_EQ(Grid->GetCells(0, 0)->GetText(), "");
    EXPECT_EQ(Grid->GetRowCount(), 5);
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
    Grid->OnCellChanged = nullptr;
    Grid->SetEditorMode(false);
}

}  // namespace
}  // namespace carrelon::test
