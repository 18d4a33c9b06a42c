// The clipboard's text with another program: tab-separated text that LibreOffice writes from a
// small workbook pastes as the same block, and text the grid copies reads back in LibreOffice as
// the same cells. Skipped when LibreOffice is not installed.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "grid/Carrelon.h"
#include "platform/devices/Clipboard.h"
#include "tests/support/GridFixture.h"
#include "tests/support/OfficeTestSupport.h"

namespace carrelon::test {
namespace {

class ClipboardInteropTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        if (!HaveLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
        std::random_device rd;
        Dir = std::filesystem::temp_directory_path() / ("carrelon-clip-" + std::to_string(rd()));
        std::filesystem::create_directories(Dir);
        Grid->SetColCount(6);
        Grid->SetRowCount(6);
    }
    void TearDown() override {
        std::error_code ec;
        if (!Dir.empty()) std::filesystem::remove_all(Dir, ec);
        GridFixture::TearDown();
    }
    static std::string ReadFile(const std::string& Path) {
        std::ifstream F(Path, std::ios::binary);
        std::ostringstream S;
        S << F.rdbuf();
        return S.str();
    }
    std::string Write(const char* Name, const std::string& Content) {
        const std::string Path = (Dir / Name).string();
        std::ofstream(Path, std::ios::binary) << Content;
        return Path;
    }
    std::string Sub(const char* Name) { return (Dir / Name).string(); }

    std::filesystem::path Dir;
};

const char* const kTabText = "Text - txt - csv (StarCalc):9,34,76";

TEST_F(ClipboardInteropTest, TabTextFromAWorkbookPastesAsTheSameBlock) {
    const std::string Csv = Write("book.csv",
                                  "name,qty,note\n"
                                  "apple,3,\"two\nlines\"\n"
                                  "\"say \"\"hi\"\"\",4.5,\n");
    const std::string Book = ConvertWithLibreOffice(Csv, "xlsx", Sub("book"));
    ASSERT_FALSE(Book.empty());
    const std::string Tabs =
        ConvertWithLibreOffice(Book, std::string("csv:") + kTabText, Sub("tabs"));
    ASSERT_FALSE(Tabs.empty());
    QGuiApplication::clipboard()->setText(QString::fromStdString(ReadFile(Tabs)));

    ASSERT_TRUE(Grid->FocusCell(2, 2));
    EXPECT_TRUE(Grid->PasteFromClipboard());
    const char* Expected[3][3] = {
        {"name", "qty", "note"}, {"apple", "3", "two\nlines"}, {"say \"hi\"", "4.5", ""}};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(Grid->GetCells(2 + k, 2 + r)->GetText(), Expected[r][k]) << k << "," << r;
    EXPECT_TRUE(Grid->GetCells(2, 5)->IsEmpty());  // the last line's break adds no row
}

TEST_F(ClipboardInteropTest, CopiedTextReadsBackInLibreOfficeAsTheSameCells) {
    Grid->GetCells(1, 1)->SetText("a");
    Grid->GetCells(2, 1)->SetText("two\r\nlines");
    Grid->GetCells(1, 2)->SetText("say \"hi\"");
    Grid->GetCells(2, 2)->SetValue(Variant(4.5));
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 2));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    const std::string Text = QGuiApplication::clipboard()->text().toStdString();
    const std::string Source = Write("copied.txt", Text);
    const std::string Csv = ConvertWithLibreOffice(
        Source, "csv:Text - txt - csv (StarCalc):44,34,76", Sub("csv"), kTabText);
    ASSERT_FALSE(Csv.empty());
    // The comma-separated form quotes what needs it: the same four cells.
    EXPECT_EQ(ReadFile(Csv), "a,\"two\nlines\"\n\"say \"\"hi\"\"\",4.5\n");
}

}  // namespace
}  // namespace carrelon::test
