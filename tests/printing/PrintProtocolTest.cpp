// Several grids in one document: BeginPrint, ContinuePrint and EndPrint.
#include "tests/support/PrintTestSupport.h"

namespace carrelon::test {
namespace {

class PrintProtocol : public PrintFixture {
protected:
    void SetUp() override {
        PrintFixture::SetUp();
        Other = new TCarrelon(Form.get());
        Other->SetParent(Form.get());
        Other->SetFixedCols(0);
        Other->SetFixedRows(0);
    }
    // Each grid reports its page events as "<name> begin|continued <page>".
    void Listen(TCarrelon* G, const std::string& Name) {
        G->OnPrintPageBegin = [this, Name](TCarrelon*, int P) {
            Events.push_back(Name + " begin " + std::to_string(P));
        };
        G->OnPrintPageContinued = [this, Name](TCarrelon*, int P) {
            Events.push_back(Name + " continued " + std::to_string(P));
        };
    }
    TCarrelon* Other = nullptr;
    std::vector<std::string> Events;
};

TEST_F(PrintProtocol, SecondGridPrintsDirectlyBelowTheFirstOnTheSamePage) {
    Shape(2, 2, 64, 24);
    Grid->GetCells(0, 0)->SetText("A");
    Grid->GetPrintFooter()->GetLines()->Add("footer A");
    Other->SetColCount(2);
    Other->SetRowCount(2);
    Other->SetDefaultRowHeight(24);
    Other->GetCells(0, 0)->SetText("B");
    Other->GetPrintHeader()->GetLines()->Add("header B");
    Other->GetPrintFooter()->GetLines()->Add("footer B");
    Listen(Grid, "A");
    Listen(Other, "B");

    const int Pos = Grid->BeginPrint();
    EXPECT_EQ(Pos, 48);  // two rows of 24 below the top of the page
    EXPECT_TRUE(Printer()->GetPrinting());
    EXPECT_EQ(Other->EndPrint(Pos, 0), 1);
    EXPECT_FALSE(Printer()->GetPrinting());
    ASSERT_EQ(PageCount(), 1);
    EXPECT_EQ(Events, (std::vector<std::string>{"A begin 1", "B continued 1"}));
    EXPECT_EQ(CellRectOn(0, "A"), Rect(1, 1, 65, 25));
    EXPECT_EQ(CellRectOn(0, "B"), Rect(1, 49, 65, 73));
    EXPECT_TRUE(TextsOn(0, "header B").empty());
    EXPECT_TRUE(TextsOn(0, "footer A").empty());
    EXPECT_EQ(TextsOn(0, "footer B").size(), 1u);
}

TEST_F(PrintProtocol, ContinuePrintRepeatsAndBreaksOntoNewPages) {
    Shape(1, 30, 64, 24);
    Grid->GetCells(0, 0)->SetText("A");
    Other->SetColCount(1);
    Other->SetRowCount(30);
    Other->SetDefaultRowHeight(24);
    Other->GetCells(0, 0)->SetText("B");
    Other->GetCells(0, 29)->SetText("B last");
    Other->GetPrintHeader()->GetLines()->Add("header B");
    Listen(Other, "B");

    int Pos = Grid->BeginPrint();
    EXPECT_EQ(Pos, 720);
    // A fraction outside 0..1 counts as 0. B starts at 720 on page 1: 11 rows fit there, 19
    // follow on page 2 below B's header.
    Pos = Other->ContinuePrint(Pos, 1.5);
    EXPECT_EQ(Events, (std::vector<std::string>{"B continued 1", "B begin 2"}));
    ASSERT_EQ(PageCount(), 2);
    const std::vector<TCanvasRecord> Header = TextsOn(1, "header B");
    ASSERT_EQ(Header.size(), 1u);
    EXPECT_EQ(CellRectOn(1, "B last").Bottom, Pos + 1);
    EXPECT_EQ(CellRectOn(0, "B"), Rect(1, 721, 65, 745));
    // A fraction adds its part of the page height.
    EXPECT_EQ(Grid->EndPrint(Pos, 0.1), 3);
    EXPECT_FALSE(Printer()->GetPrinting());
    ASSERT_EQ(PageCount(), 3);
    EXPECT_EQ(CellRectOn(1, "A"), Rect(1, 100 + Pos + 1, 65, 100 + Pos + 25));
}

}  // namespace
}  // namespace carrelon::test
