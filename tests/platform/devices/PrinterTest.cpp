#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "platform/devices/Printer.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/WinGdi.h"

using namespace carrelon;

namespace {

struct PdfFacts {
    int Pages = 0;
    QString MediaBox;
};

PdfFacts ReadPdf(const QString& Path) {
    QFile F(Path);
    if (!F.open(QIODevice::ReadOnly)) return {};
    const QString Text = QString::fromLatin1(F.readAll());
    PdfFacts Facts;
    Facts.Pages = static_cast<int>(Text.count(QRegularExpression("/Type\\s*/Page[^s]")));
    const auto M = QRegularExpression("/MediaBox\\s*\\[([^\\]]*)\\]").match(Text);
    if (M.hasMatch()) Facts.MediaBox = M.captured(1).simplified();
    return Facts;
}

}  // namespace

TEST(Printer, PdfJobWritesEveryPageAtA4) {
    QTemporaryDir Dir;
    TPrinter P;
    const QString Path = Dir.filePath("out.pdf");
    P.SetOutputFileName(Path.toStdString());
    EXPECT_EQ(P.GetPrinters().front(), "PDF");
    EXPECT_EQ(GetDeviceCaps(P.GetHandle(), LOGPIXELSX), 600);
    // A4 at 600 pixels per inch, no margins on the PDF printer.
    EXPECT_NEAR(P.GetPageWidth(), 4961, 3);
    EXPECT_NEAR(P.GetPageHeight(), 7016, 3);
    EXPECT_EQ(GetDeviceCaps(P.GetHandle(), PHYSICALWIDTH), P.GetPageWidth());

    P.SetTitle("Two pages");
    P.BeginDoc();
    EXPECT_TRUE(P.GetPrinting());
    EXPECT_EQ(P.GetPageNumber(), 1);
    TCanvas* C = P.GetCanvas();
    C->GetFont()->SetSize(10);
    EXPECT_EQ(C->GetFont()->GetHeight(), -83);  // points measured at the printer's resolution
    C->TextOut(100, 100, "First page");
    P.NewPage();
    EXPECT_EQ(P.GetPageNumber(), 2);
    C->GetBrush()->SetColor(clRed);
    C->FillRect(Rect(100, 100, 600, 600));
    P.EndDoc();
    EXPECT_FALSE(P.GetPrinting());
    EXPECT_EQ(P.GetPageNumber(), 0);

    const PdfFacts Facts = ReadPdf(Path);
    EXPECT_EQ(Facts.Pages, 2);
    const QStringList Box = Facts.MediaBox.split(' ');
    ASSERT_EQ(Box.size(), 4) << Facts.MediaBox.toStdString();
    EXPECT_NEAR(Box[2].toDouble(), 595.3, 0.5);
    EXPECT_NEAR(Box[3].toDouble(), 841.9, 0.5);
}

TEST(Printer, MisuseRaises) {
    QTemporaryDir Dir;
    TPrinter P;
    P.SetOutputFileName(Dir.filePath("misuse.pdf").toStdString());
    EXPECT_THROW(P.NewPage(), EPrinter);
    EXPECT_THROW(P.EndDoc(), EPrinter);
    EXPECT_THROW(P.Abort(), EPrinter);
    EXPECT_THROW(P.SetPrinterIndex(99), EPrinter);
    P.BeginDoc();
    EXPECT_THROW(P.BeginDoc(), EPrinter);
    try {
        P.SetPrinterIndex(0);
        ADD_FAILURE() << "changing printers during a job";
    } catch (const EPrinter& E) {
        EXPECT_EQ(E.Message, "Printing in progress");
    }
    EXPECT_THROW(P.SetOrientation(poLandscape), EPrinter);
    P.EndDoc();
    EXPECT_NO_THROW(P.SetPrinterIndex(-1));
    EXPECT_EQ(P.GetPrinterIndex(), 0);
}

TEST(Printer, AbortDiscardsTheOutput) {
    QTemporaryDir Dir;
    TPrinter P;
    const QString Path = Dir.filePath("aborted.pdf");
    P.SetOutputFileName(Path.toStdString());
    P.BeginDoc();
    P.GetCanvas()->TextOut(0, 0, "gone");
    P.Abort();
    EXPECT_FALSE(P.GetPrinting());
    EXPECT_FALSE(QFile::exists(Path));
    P.BeginDoc();  // a new job starts normally after an abort
    P.EndDoc();
    EXPECT_EQ(ReadPdf(Path).Pages, 1);
}

TEST(Printer, LandscapeSwapsThePageAndTextMeasuresAtPrinterScale) {
    TPrinter P;
    P.SetOrientation(poLandscape);
    EXPECT_NEAR(P.GetPageWidth(), 7016, 3);
    EXPECT_NEAR(P.GetPageHeight(), 4961, 3);
    TCanvas* C = P.GetCanvas();
    C->GetFont()->SetSize(8);
    // The default 8-point font is about 600/96 times its screen height.
    const int H = C->TextHeight("A");
    EXPECT_GE(H, 13 * 600 / 96 - 8);
    EXPECT_LE(H, 13 * 600 / 96 + 8);
    TRect R{0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(C, "A", R, DT_CALCRECT), H);
}

TEST(Printer, TextMeasuresTheSameBeforeAndDuringAJob) {
    QTemporaryDir Dir;
    TPrinter P;
    P.SetOutputFileName(Dir.filePath("m.pdf").toStdString());
    TCanvas* C = P.GetCanvas();
    C->GetFont()->SetSize(9);
    const AnsiString Text = "Measured before the job, drawn during it";
    const TSize Before = C->TextExtent(Text);
    P.BeginDoc();
    EXPECT_EQ(C->TextExtent(Text), Before);
    P.EndDoc();
}

TEST(Printer, GlobalPrinterIsShared) {
    EXPECT_EQ(Printer(), Printer());
    EXPECT_EQ(Printer()->GetHandle(), Printer()->GetCanvas());
}

TEST(Printer, StandInRecordsEachPageAndFailsOnDemand) {
    TPrinter P;
    TPrinterStandIn S;
    S.PixelsPerInchX = 72;
    S.PixelsPerInchY = 144;
    S.PageWidth = 500;
    S.PageHeight = 700;
    P.SetStandIn(S);
    EXPECT_EQ(P.GetPrinters(), std::vector<AnsiString>{"Stand-in"});
    EXPECT_EQ(GetDeviceCaps(P.GetHandle(), LOGPIXELSX), 72);
    EXPECT_EQ(GetDeviceCaps(P.GetHandle(), LOGPIXELSY), 144);
    EXPECT_EQ(P.GetPageWidth(), 500);
    EXPECT_EQ(P.GetPageHeight(), 700);
    P.SetPrinterIndex(P.GetPrinterIndex());  // selecting it again keeps the stand-in
    EXPECT_TRUE(P.IsStandIn());

    P.BeginDoc();
    P.GetCanvas()->FillRect(Rect(0, 0, 10, 10));
    P.NewPage();
    P.GetCanvas()->TextOut(5, 5, "second");
    P.EndDoc();
    ASSERT_EQ(P.GetStandInPages().size(), 2u);
    EXPECT_EQ(P.GetStandInPages()[0]->Records.size(), 1u);
    EXPECT_EQ(P.GetStandInPages()[1]->OfKind(TCanvasOp::TextOut).at(0).Text, "second");

    S.FailNewPageAt = 1;
    P.SetStandIn(S);
    P.BeginDoc();
    EXPECT_THROW(P.NewPage(), EPrinter);
    P.Abort();
    EXPECT_TRUE(P.GetStandInPages().empty());
    S.FailBeginDoc = true;
    P.SetStandIn(S);
    EXPECT_THROW(P.BeginDoc(), EPrinter);
    EXPECT_FALSE(P.GetPrinting());

    P.ClearStandIn();
    EXPECT_EQ(P.GetPrinters().front(), "PDF");
    EXPECT_EQ(GetDeviceCaps(P.GetHandle(), LOGPIXELSX), 600);
}

TEST(Printer, PdfJobReplacesTheTargetOnlyWhenItEnds) {
    QTemporaryDir Dir;
    TPrinter P;
    const QString Path = Dir.filePath("kept.pdf");
    P.SetOutputFileName(Path.toStdString());
    P.BeginDoc();
    P.EndDoc();
    QFile F(Path);
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    const QByteArray Before = F.readAll();
    F.close();
    // An aborted job, and one whose output cannot be written, leave the file as it was.
    P.BeginDoc();
    P.NewPage();
    P.Abort();
    P.SetOutputFileName(Dir.filePath("missing/folder/out.pdf").toStdString());
    EXPECT_THROW(P.BeginDoc(), EPrinter);
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    EXPECT_EQ(F.readAll(), Before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.pdf"});
}
