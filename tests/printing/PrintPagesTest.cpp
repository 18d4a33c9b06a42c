// Header, footer, margins and page events.
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"
#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

using PrintPages = PrintFixture;

constexpr unsigned PageTextFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;

// A grid that lets tests print on a canvas of their own.
class TPrintingGrid : public TCarrelon {
public:
    using TCarrelon::DoPrint;
    using TCarrelon::TCarrelon;
};

TEST_F(PrintPages, HeaderAndFooterSitInTheMarginsAndPushTheCellsDown) {
    Shape(3, 3, 64, 24);
    NameCells();
    TCarrelonPrintMargins* M = Grid->GetPrintMargins();
    M->SetLeft(0.1);
    M->SetRight(0.1);
    M->SetTop(0.05);
    M->SetBottom(0.05);
    TCarrelonPrintHeaderFooter* H = Grid->GetPrintHeader();
    H->GetLines()->Add("Sales");
    H->GetLines()->Add("by quarter");
    H->SetAlignment(taCenter);
    H->SetDistance(0.1);
    Grid->GetPrintFooter()->GetLines()->Add("end");
    Grid->GetPrintFooter()->SetAlignment(taRightJustify);
    EXPECT_EQ(Grid->Print(), 1);

    const std::vector<TCanvasRecord> Head = TextsOn(0, "Sales\r\nby quarter");
    ASSERT_EQ(Head.size(), 1u);
    EXPECT_EQ(Head[0].Rect, Rect(80, 50, 720, 950));
    EXPECT_EQ(Head[0].Flags, PageTextFlags | DT_CENTER);
    ASSERT_EQ(Head[0].Points.size(), 2u);
    const int Line = Head[0].Points[1].Y - Head[0].Points[0].Y;
    EXPECT_GT(Line, 10);
    // Below the header text and its distance, after the room for the first line.
    EXPECT_EQ(CellRectOn(0, "0,0"), Rect(81, 50 + 2 * Line + 100 + 1, 145, 50 + 2 * Line + 125));

    const std::vector<TCanvasRecord> Foot = TextsOn(0, "end");
    ASSERT_EQ(Foot.size(), 1u);
    EXPECT_EQ(Foot[0].Rect, Rect(80, 950 - Line, 720, 950));
    EXPECT_EQ(Foot[0].Flags, PageTextFlags | DT_RIGHT);
    // The footer comes last on the page.
    EXPECT_EQ(Page(0).Records.back().Text, "end");
}

TEST_F(PrintPages, AlignmentsOutsideTheTablePrintLeftAligned) {
    Shape(1, 1, 64, 24);
    const struct {
        TAlignment A;
        unsigned Flag;
    } Cases[] = {{taLeftJustify, DT_LEFT},
                 {taRightJustify, DT_RIGHT},
                 {taCenter, DT_CENTER},
                 {static_cast<TAlignment>(7), DT_LEFT}};
    Grid->GetPrintHeader()->GetLines()->Add("h");
    for (const auto& C : Cases) {
        Grid->GetPrintHeader()->SetAlignment(C.A);
        EXPECT_EQ(Grid->Print(), 1);
        ASSERT_EQ(TextsOn(0, "h").size(), 1u);
        EXPECT_EQ(TextsOn(0, "h")[0].Flags, PageTextFlags | C.Flag) << static_cast<int>(C.A);
    }
}

TEST_F(PrintPages, PageTextSetInThePageEventAndPageNumbers) {
    Shape(2, 100, 64, 24);
    NameCells();
    std::vector<int> Pages;
    Grid->OnPrintPageBegin = [&](TCarrelon* Sender, int APage) {
        EXPECT_EQ(Sender, Grid);
        Pages.push_back(APage);
        TStrings* L = Sender->GetPrintFooter()->GetLines();
        L->Clear();
        L->Add("Page " + std::to_string(APage));
    };
    EXPECT_EQ(Grid->Print(), 3);
    EXPECT_EQ(Pages, (std::vector<int>{1, 2, 3}));
    for (int P = 0; P < 3; ++P)
        EXPECT_EQ(TextsOn(P, "Page " + std::to_string(P + 1)).size(), 1u) << P;
    // Every page, laid out or printed, hears the event; PrintPage's printer stays on page 1.
    Pages.clear();
    EXPECT_EQ(Grid->PrintPage(2), 1);
    EXPECT_EQ(Pages, (std::vector<int>{1, 1, 1}));
}

TEST_F(PrintPages, TextIsBlackUnlessFontColoursArePrinted) {
    Shape(1, 1, 64, 24);
    NameCells();
    Grid->GetCells(0, 0)->GetFont()->SetColor(clRed);
    TFont Red;
    Red.SetColor(clRed);
    Grid->GetPrintHeader()->SetFont(&Red);
    Grid->GetPrintHeader()->GetLines()->Add("head");
    Grid->GetPrintFooter()->SetFont(&Red);
    Grid->GetPrintFooter()->GetLines()->Add("foot");
    for (bool Colours : {false, true}) {
        TCarrelonPrintOptions O = Grid->GetPrintOptions();
        Grid->SetPrintOptions(Colours ? O + poUseFontColors : O - poUseFontColors);
        EXPECT_EQ(Grid->Print(), 1);
        const TColor Want = Colours ? TColor(clRed) : TColor(clBlack);
        for (const char* T : {"0,0", "head", "foot"}) {
            ASSERT_EQ(TextsOn(0, T).size(), 1u) << T;
            EXPECT_EQ(TextsOn(0, T)[0].Color, Want) << T << " colours " << Colours;
        }
    }
}

TEST_F(PrintPages, PreviewScalesFontsToPrinterPixels) {
    UseStandIn(StandInPage(600, 4961, 7016));
    auto* G = new TPrintingGrid(Form.get());
    G->SetParent(Form.get());
    G->GetCells(1, 1)->SetText("cell");
    G->GetPrintHeader()->GetLines()->Add("head");
    TMetafile Meta;
    TCanvasRecorder Rec;
    {
        TMetafileCanvas Canvas(&Meta, Printer()->GetHandle());
        Canvas.SetRecorder(&Rec);
        EXPECT_EQ(G->DoPrint(&Canvas, 1, 0, 0, 0, 0, 4, 4, 0), 1);
        EXPECT_EQ(Canvas.GetClipRect(), Rect(0, 0, 4961, 7016));
    }
    // 8 points times 6.25 on a canvas measuring at the screen's 96 pixels per inch.
    int Found = 0;
    for (const TCanvasRecord& R : Rec.OfKind(TCanvasOp::DrawText)) {
        if (R.Text != "cell" && R.Text != "head") continue;
        EXPECT_EQ(R.FontHeight, -67) << R.Text;
        ++Found;
    }
    EXPECT_EQ(Found, 2);
    // The page starts white.
    EXPECT_EQ(Rec.Records.front().Op, TCanvasOp::FillRect);
    EXPECT_EQ(Rec.Records.front().Rect, Rect(0, 0, 4961, 7016));
    EXPECT_EQ(Rec.Records.front().Color, TColor(clWhite));
}

}  // namespace
}  // namespace carrelon::test
