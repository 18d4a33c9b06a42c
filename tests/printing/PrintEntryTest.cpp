// The print entry points: refusals, single pages, previews, failures and page events that
// print again or change the grid.
#include <functional>
#include <limits>

#include "grid/CarrelonInplaceEditor.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Image.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

using PrintEntry = PrintFixture;

TEST_F(PrintEntry, RefusalsStartNoJob) {
    Shape(4, 6, 64, 24);
    NameCells();
    const int Cols = Grid->GetColCount();
    const struct {
        const char* Name;
        std::function<int()> Call;
    } Cases[] = {
        {"negative page", [&] { return Grid->PrintPage(-1); }},
        {"columns reversed", [&] { return Grid->PrintRange(2, 1, 1, 5); }},
        {"column past the end", [&] { return Grid->PrintRange(0, 0, Cols, 0); }},
        {"negative row", [&] { return Grid->PrintRange(0, -1, 1, 1); }},
        {"rows reversed", [&] { return Grid->PrintRange(0, 3, 1, 2); }},
        {"preview range", [&] { return Grid->PrintPreviewRange(0, 0, 9, 0, nullptr, 1); }},
        {"continue without a job", [&] { return Grid->ContinuePrint(0, 0); }},
        {"end without a job", [&] { return Grid->EndPrint(10, 0.5); }},
    };
    for (const auto& C : Cases) {
        EXPECT_EQ(C.Call(), -1) << C.Name;
        EXPECT_FALSE(Printer()->GetPrinting()) << C.Name;
        EXPECT_EQ(PageCount(), 0) << C.Name;
    }

    // Headings shown but not printed, and nothing else: the whole-grid range is empty.
    Grid->SetRowCount(1);
    Grid->SetSpreadsheetHeaders(true);
    ASSERT_TRUE(Grid->GetSpreadsheetHeaders());
    EXPECT_EQ(Grid->Print(), -1);
    EXPECT_EQ(Grid->BeginPrint(), -1);
    EXPECT_EQ(Grid->PrintPreview(nullptr, 1), -1);
    EXPECT_FALSE(Printer()->GetPrinting());
}

TEST_F(PrintEntry, PrintPageDrawsOnlyItsPage) {
    Shape(10, 50, 100, 24);
    NameCells();
    Grid->GetPrintHeader()->GetLines()->Add("head");
    int Started = 0;
    Grid->OnPrintPageBegin = [&](TCarrelon* G, int) {
        ++Started;
        G->GetPrintFooter()->GetLines()->Clear();
        G->GetPrintFooter()->GetLines()->Add("sheet " + std::to_string(Started));
    };
    EXPECT_EQ(Grid->Print(), 4);
    std::vector<AnsiString> Second = AllTexts(1);
    Started = 0;
    EXPECT_EQ(Grid->PrintPage(2), 1);
    ASSERT_EQ(PageCount(), 1);
    EXPECT_EQ(AllTexts(0), Second);
    EXPECT_EQ(Started, 4);
    EXPECT_EQ(TextsOn(0, "sheet 2").size(), 1u);

    // Page 0, or one past the end: a blank sheet.
    for (int P : {0, 5}) {
        EXPECT_EQ(Grid->PrintPage(P), 1) << P;
        EXPECT_EQ(PageCount(), 1);
        EXPECT_TRUE(AllTexts(0).empty()) << P;
    }
}

TEST_F(PrintEntry, PreviewSizesItsImageToThePage) {
    UseStandIn(StandInPage(600, 4961, 7016));
    Shape(10, 200, 100, 24);
    NameCells();
    auto* Image = new TImage(Form.get());
    Image->SetParent(Form.get());
    Image->SetBounds(0, 0, 210, 50);
    Image->SetAutoSize(true);
    Image->SetAlign(alTop);
    std::vector<int> Events;
    Grid->OnPrintPageBegin = [&](TCarrelon*, int APage) { Events.push_back(APage); };
    EXPECT_EQ(Grid->PrintPreview(Image, 2), 10);
    EXPECT_EQ(Events, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_FALSE(Image->GetAutoSize());
    EXPECT_TRUE(Image->GetStretch());
    EXPECT_EQ(Image->GetAlign(), alNone);
    auto* Meta = dynamic_cast<TMetafile*>(Image->GetPicture()->GetGraphic());
    ASSERT_NE(Meta, nullptr);
    EXPECT_EQ(Meta->GetWidth(), 4961);
    EXPECT_EQ(Meta->GetHeight(), 7016);
    // 29701 / 21000 of 210, rounded: the page's shape.
    EXPECT_EQ(Image->GetHeight(), 297);
    EXPECT_FALSE(Printer()->GetPrinting());

    // Without an image only the count; every page at once draws them over one another.
    EXPECT_EQ(Grid->PrintPreview(nullptr, 1), 10);
    EXPECT_EQ(Grid->PrintPreview(Image, -1), 10);
    EXPECT_EQ(Grid->PrintPreviewRange(0, 0, 1, 1, Image, 1), 1);

    // A printer page of no size: the image keeps its height.
    UseStandIn(StandInPage(96, 0, 0));
    Image->SetHeight(123);
    EXPECT_EQ(Grid->PrintPreviewRange(0, 0, 1, 1, Image, 1), 4);
    EXPECT_EQ(Image->GetHeight(), 123);
}

TEST_F(PrintEntry, PreviewHeightRoundsExactHalvesToEven) {
    // 254 pixels per inch: a page of 8000 by 4000 hundredths of a millimetre, half as high as
    // wide.
    UseStandIn(StandInPage(254, 800, 400));
    Shape(2, 2, 64, 24);
    auto* Image = new TImage(Form.get());
    Image->SetParent(Form.get());
    const struct { int Width, Height; } Cases[] = {{5, 2}, {7, 4}, {9, 4}, {10, 5}};
    for (const auto& C : Cases) {
        Image->SetBounds(0, 0, C.Width, 50);
        EXPECT_EQ(Grid->PrintPreview(Image, 1), 1);
        auto* Meta = dynamic_cast<TMetafile*>(Image->GetPicture()->GetGraphic());
        ASSERT_NE(Meta, nullptr);
        ASSERT_EQ(Meta->GetMMWidth(), 2 * Meta->GetMMHeight());
        EXPECT_EQ(Image->GetHeight(), C.Height) << "width " << C.Width;
    }
}

TEST_F(PrintEntry, ExtremePositionsNeitherOverflowNorHang) {
    Shape(2, 3, 64, 24);
    NameCells();
    const int Max = std::numeric_limits<int>::max();
    ASSERT_GE(Grid->BeginPrint(), 0);
    // Far below the page: the first row is cut off there, the others go on a new page.
    EXPECT_EQ(Grid->ContinuePrint(Max, 0.99), 48);
    // Far above it: everything fits, the position as far above.
    EXPECT_EQ(Grid->ContinuePrint(-Max, 0), 72 - Max);
    EXPECT_EQ(Grid->EndPrint(0, 0), 2);
    // Rows and columns too large for any page, in a grid whose sizes sum past 32 bits.
    Shape(3, 70000, 40000, 40000);
    EXPECT_EQ(Grid->PrintPage(1), 1);
    EXPECT_FALSE(Printer()->GetPrinting());
}

TEST_F(PrintEntry, PageEventsCannotPrintAgainOrPullTheGridAway) {
    Shape(3, 100, 64, 24);
    NameCells();
    std::vector<int> Nested;
    Grid->OnPrintPageBegin = [&](TCarrelon* G, int APage) {
        Nested.push_back(G->Print());
        Nested.push_back(G->ContinuePrint(0, 0));
        // From the second page on the grid shrinks under the running print.
        if (APage == 2) {
            G->SetRowCount(45);
            G->SetColCount(1);
        }
    };
    EXPECT_EQ(Grid->Print(), 2);
    EXPECT_EQ(Nested, (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(TextsOn(1, "0,44").size(), 1u);
    EXPECT_TRUE(TextsOn(1, "1,44").empty());
    EXPECT_TRUE(TextsOn(1, "0,45").empty());
    EXPECT_FALSE(Printer()->GetPrinting());
    ExpectModelSound();
}

TEST_F(PrintEntry, FirstPageEventThatShrinksTheGridPrintsOnLikeALaterOne) {
    Shape(3, 100, 64, 24);
    NameCells();
    // On the first page, before the columns are laid out.
    Grid->OnPrintPageBegin = [](TCarrelon* G, int APage) {
        if (APage == 1) {
            G->SetRowCount(45);
            G->SetColCount(1);
        }
    };
    EXPECT_EQ(Grid->Print(), 2);
    EXPECT_EQ(TextsOn(0, "0,0").size(), 1u);
    EXPECT_TRUE(TextsOn(0, "1,0").empty());
    EXPECT_EQ(TextsOn(1, "0,44").size(), 1u);
    EXPECT_TRUE(TextsOn(1, "0,45").empty());
    EXPECT_FALSE(Printer()->GetPrinting());
    ExpectModelSound();

    // Every column of the range gone: the pages print without cells.
    Shape(3, 30, 64, 24);
    NameCells();
    Grid->OnPrintPageBegin = [](TCarrelon* G, int) { G->SetColCount(1); };
    EXPECT_EQ(Grid->PrintRange(1, 0, 2, 29), 1);
    EXPECT_TRUE(AllTexts(0).empty());
    EXPECT_FALSE(Printer()->GetPrinting());

    // The same on a continued page.
    Shape(3, 2, 64, 24);
    NameCells();
    Grid->OnPrintPageBegin = nullptr;
    Grid->OnPrintPageContinued = [](TCarrelon* G, int) { G->SetColCount(1); };
    const int Pos = Grid->BeginPrint();
    ASSERT_EQ(Pos, 48);
    EXPECT_EQ(Grid->EndPrint(Pos, 0), 1);
    ASSERT_EQ(PageCount(), 1);
    EXPECT_EQ(TextsOn(0, "2,1").size(), 1u);  // from the first print
    EXPECT_EQ(TextsOn(0, "0,1").size(), 2u);
    EXPECT_EQ(TextsOn(0, "1,1").size(), 1u);
    EXPECT_FALSE(Printer()->GetPrinting());
    ExpectModelSound();
}

// A descendant printing through the worker of the entry points.
class TPrintingGrid : public TCarrelon {
public:
    using TCarrelon::DoPrint;
    using TCarrelon::TCarrelon;
};

TEST_F(PrintEntry, WorkerGoesOnOnThePrinterOnlyWithAnOpenJob) {
    auto* G = new TPrintingGrid(Form.get());
    G->SetParent(Form.get());
    G->GetCells(0, 0)->SetText("cell");
    int Continued = 0;
    G->OnPrintPageContinued = [&](TCarrelon*, int) { ++Continued; };
    TCanvas* Canvas = Printer()->GetCanvas();
    for (int Mode : {2, 3})
        EXPECT_EQ(G->DoPrint(Canvas, -1, Mode, 0, 0, 0, 1, 1, 0), -1) << "mode " << Mode;
    EXPECT_EQ(Continued, 0);
    EXPECT_FALSE(Printer()->GetPrinting());
    EXPECT_EQ(PageCount(), 0);

    // On an open job both go on on its page.
    const int Pos = G->DoPrint(Canvas, -1, 1, 0, 0, 0, 1, 1, 0);
    ASSERT_GT(Pos, 0);
    EXPECT_GT(G->DoPrint(Canvas, -1, 2, Pos, 0, 0, 1, 1, 0), Pos);
    EXPECT_EQ(G->DoPrint(Canvas, -1, 3, 0, 0, 0, 1, 1, 0), 1);
    EXPECT_EQ(Continued, 2);
    EXPECT_FALSE(Printer()->GetPrinting());
    ASSERT_EQ(PageCount(), 1);
    EXPECT_EQ(TextsOn(0, "cell").size(), 3u);
}

TEST_F(PrintEntry, FailuresAbortTheJobAndReachTheCaller) {
    Shape(2, 100, 64, 24);
    NameCells();
    TPrinterStandIn Failing = StandInPage(96, 800, 1000);
    Failing.FailNewPageAt = 2;
    UseStandIn(Failing);
    EXPECT_THROW(Grid->Print(), EPrinter);
    EXPECT_FALSE(Printer()->GetPrinting());
    EXPECT_EQ(Grid->PrintPage(3), 1);  // no page break: the failing printer still prints

    Failing.FailNewPageAt = 0;
    Failing.FailBeginDoc = true;
    UseStandIn(Failing);
    EXPECT_THROW(Grid->Print(), EPrinter);
    EXPECT_THROW(Grid->BeginPrint(), EPrinter);
    EXPECT_FALSE(Printer()->GetPrinting());

    // A handler's exception too; the next print works.
    UseStandIn(StandInPage(96, 800, 1000));
    Grid->OnPrintPageBegin = [](TCarrelon*, int APage) {
        if (APage == 2) throw Exception("stop");
    };
    EXPECT_THROW(Grid->BeginPrint(), Exception);
    EXPECT_FALSE(Printer()->GetPrinting());
    Grid->OnPrintPageBegin = nullptr;
    EXPECT_EQ(Grid->Print(), 3);
}

}  // namespace
}  // namespace carrelon::test

namespace carrelon::test {
namespace {

// The editor gate: a print first closes an open editor with its commit, and is refused while the
// application keeps it open.
class PrintGate : public ::testing::Test {
protected:
    void SetUp() override {
        StandIn = std::make_unique<TStandInPrinterScope>(StandInPage(96, 800, 1000));
        Grid = Form.Add<TCarrelon>(0, 0, 380, 280);
        Grid->SetFocus();
        ProcessPendingEvents();
    }
    void EditAndType(const AnsiString& Text) {
        ASSERT_TRUE(Grid->FocusCell(1, 1) || (Grid->GetCol() == 1 && Grid->GetRow() == 1));
        PressKey(Grid, VK_F2);
        ProcessPendingEvents();
        ASSERT_TRUE(Grid->GetEditorMode());
        TypeText(TCarrelonTestAccess::Internals(Grid).FInplaceEditor, Text);
        ProcessPendingEvents();
    }
    int Pages() const { return static_cast<int>(Printer()->GetStandInPages().size()); }

    std::unique_ptr<TStandInPrinterScope> StandIn;
    TTestForm Form;
    TCarrelon* Grid = nullptr;
};

TEST_F(PrintGate, OpenEditorIsCommittedOrRefusesThePrint) {
    Grid->OnCellChanged = [](TCarrelon*, int, int, const AnsiString&, AnsiString&,
                             bool& AllowExit) { AllowExit = false; };
    EditAndType("typed");
    EXPECT_EQ(Grid->Print(), -1);
    EXPECT_EQ(Grid->PrintPreview(nullptr, 1), -1);
    EXPECT_EQ(Grid->BeginPrint(), -1);
    EXPECT_FALSE(Printer()->GetPrinting());
    EXPECT_EQ(Pages(), 0);
    EXPECT_TRUE(Grid->GetEditorMode());

    Grid->OnCellChanged = nullptr;
    EXPECT_EQ(Grid->Print(), 1);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "typed");
    bool Printed = false;
    for (const TCanvasRecord& R : Printer()->GetStandInPages().at(0)->Records)
        Printed |= R.Op == TCanvasOp::DrawText && R.Text == "typed";
    EXPECT_TRUE(Printed);

    // With the editor always shown it opens again once the print is done.
    TCarrelonOptions O = Grid->GetOptions();
    O.Include(cloAlwaysShowEditor);
    Grid->SetOptions(O);
    ProcessPendingEvents();
    EXPECT_EQ(Grid->PrintPage(1), 1);
    EXPECT_TRUE(Grid->GetEditorMode());
}

}  // namespace
}  // namespace carrelon::test
