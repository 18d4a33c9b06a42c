// Real output: the PDF printer's pages read back with poppler's tools (skipped without them).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

// A tool's standard output, or nothing when the tool is missing or fails.
QString RunTool(const QString& Tool, const QStringList& Args) {
    QProcess P;
    P.start(Tool, Args);
    if (!P.waitForFinished(30000) || P.exitCode() != 0) return {};
    return QString::fromUtf8(P.readAllStandardOutput());
}

class PrintPdf : public GridFixture {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
            QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) not installed";
        GridFixture::SetUp();
        Started = true;
        ASSERT_TRUE(Dir.isValid());
        Path = Dir.filePath("grid.pdf");
        Printer()->SetOutputFileName(Path.toStdString());
        Grid->SetColCount(3);
        Grid->SetRowCount(120);
        Grid->SetFixedCols(0);
        Grid->SetFixedRows(1);
        for (int r = 0; r < 120; ++r)
            for (int c = 0; c < 3; ++c)
                Grid->GetCells(c, r)->SetText(
                    (r == 0 ? QString("Heading%1").arg(c) : QString("R%1C%2").arg(r).arg(c))
                        .toStdString());
        Grid->SetPrintOptions(Grid->GetPrintOptions() + poRepeatFixedRows);
        Grid->GetPrintHeader()->GetLines()->Add("Carrelon printout");
        Grid->OnPrintPageBegin = [](TCarrelon* G, int APage) {
            G->GetPrintFooter()->GetLines()->Clear();
            G->GetPrintFooter()->GetLines()->Add(QString("Page %1").arg(APage).toStdString());
        };
    }
    void TearDown() override {
        if (!Started) return;
        Printer()->SetOutputFileName(SavedOutput);
        GridFixture::TearDown();
    }
    QString PageText(int Page) {
        return RunTool("pdftotext", {"-f", QString::number(Page), "-l", QString::number(Page),
                                     "-layout", Path, "-"});
    }
    QByteArray Bytes() {
        QFile F(Path);
        return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
    }

    bool Started = false;
    QTemporaryDir Dir;
    QString Path;
    AnsiString SavedOutput = Printer()->GetOutputFileName();
};

TEST_F(PrintPdf, PagesCarryTheGridHeaderFooterAndRepeatedRows) {
    const int Pages = Grid->Print();
    ASSERT_GE(Pages, 3);
    const QString Info = RunTool("pdfinfo", {Path});
    EXPECT_TRUE(Info.contains(QRegularExpression("Pages:\\s+" + QString::number(Pages))))
        << Info.toStdString();
    EXPECT_TRUE(Info.contains("(A4)")) << Info.toStdString();
    for (int P = 1; P <= Pages; ++P) {
        const QString Text = PageText(P);
        EXPECT_TRUE(Text.contains("Carrelon printout")) << P;
        EXPECT_TRUE(Text.contains("Page " + QString::number(P))) << P;
        EXPECT_TRUE(Text.contains("Heading1")) << P;
    }
    EXPECT_TRUE(PageText(1).contains("R1C2"));
    EXPECT_TRUE(PageText(Pages).contains("R119C0"));
}

TEST_F(PrintPdf, FailingJobKeepsThePreviousFileAndTheNextPrintWorks) {
    ASSERT_GE(Grid->Print(), 3);
    const QByteArray Before = Bytes();
    ASSERT_FALSE(Before.isEmpty());
    Grid->OnPrintPageBegin = [](TCarrelon*, int APage) {
        if (APage == 2) throw Exception("paper jam");
    };
    Grid->GetCells(0, 1)->SetText("changed");
    EXPECT_THROW(Grid->Print(), Exception);
    EXPECT_FALSE(Printer()->GetPrinting());
    EXPECT_EQ(Bytes(), Before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"grid.pdf"});

    Grid->OnPrintPageBegin = nullptr;
    ASSERT_GE(Grid->Print(), 3);
    EXPECT_TRUE(PageText(1).contains("changed"));
}

}  // namespace
}  // namespace carrelon::test
