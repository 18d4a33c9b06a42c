// Columns: width limits and their 16-bit range, grid-line width, print settings kept by the
// grid.
#include <gtest/gtest.h>

#include "grid/Carrelon.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

class CarrelonColTest : public GridFixture {};

TEST_F(CarrelonColTest, WidthLimits) {
    TCarrelonCol* C = Grid->GetCols(1);
    C->SetMinWidth(20);
    C->SetWidth(10);
    EXPECT_EQ(C->GetWidth(), 20);
    C->SetWidth(500);
    EXPECT_EQ(C->GetWidth(), 500) << "no maximum: any width above the minimum";
    C->SetMaxWidth(10);
    EXPECT_EQ(C->GetMaxWidth(), 0) << "a maximum below the minimum is refused";
    C->SetMaxWidth(50);
    EXPECT_EQ(C->GetWidth(), 50);
    C->SetMinWidth(100);
    EXPECT_EQ(C->GetMinWidth(), 20) << "a minimum above the maximum is refused";
    C->SetMaxWidth(0);
    C->SetWidth(70000);
    EXPECT_EQ(C->GetWidth(), 65535) << "clamped, not wrapped";
    EXPECT_EQ(Grid->GetColWidths(1), 65535);
}

TEST_F(CarrelonColTest, WidthChangeReportsOldAndNew) {
    std::vector<std::tuple<int, int, int>> Seen;
    Grid->OnColumnWidthChanged = [&](TCarrelon*, int I, int O, int N) {
        Seen.emplace_back(I, O, N);
    };
    const int Old = Grid->GetColWidths(2);
    Grid->SetColWidths(2, 99);
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0], std::make_tuple(2, Old, 99));
    EXPECT_EQ(Grid->GetColWidths(2), 99);
}

TEST_F(CarrelonColTest, GridLineWidth) {
    TCarrelonCol* C = Grid->GetCols(1);
    C->SetWidth(64);
    EXPECT_EQ(C->GetGridLineWidth(), Grid->GetGridLineWidth());
    C->SetGridLineWidth(30);
    EXPECT_EQ(C->GetGridLineWidth(), 30);
    C->SetGridLineWidth(61);
    EXPECT_EQ(C->GetGridLineWidth(), 30) << "wider than Width - 2 * BorderForText";
    C->SetWidth(1000);
    C->SetGridLineWidth(255);
    EXPECT_EQ(C->GetGridLineWidth(), 30) << "255 is the inherit marker";
}

TEST_F(CarrelonColTest, CreationNumbersCount) {
    const int First = Grid->GetAbsoluteCols(0)->GetCreationNumber();
    for (int i = 1; i < Grid->GetAbsoluteColCount(); ++i)
        EXPECT_EQ(Grid->GetAbsoluteCols(i)->GetCreationNumber(), First + i);
}

TEST_F(CarrelonColTest, HideRefusesTheOnlyScrollableColumn) {
    Grid->SetColCount(2);
    Grid->SetFixedCols(1);
    EXPECT_FALSE(Grid->GetCols(1)->Hide());
    EXPECT_EQ(Grid->GetColCount(), 2);
}

TEST(CarrelonRegistration, PalettePageAndClass) {
    Register();
    EXPECT_EQ(GetComponentPage("TCarrelon"), "Carrelon");
    TComponentClass C = FindClass("TCarrelon");
    ASSERT_NE(C, nullptr);
    std::unique_ptr<TComponent> Made(C->Create(nullptr));
    EXPECT_NE(dynamic_cast<TCarrelon*>(Made.get()), nullptr);
}

TEST(CarrelonPrintSettings, MarginsAndDistanceKeepTheirRanges) {
    TCarrelonPrintMargins M;
    M.SetRight(0.4);
    M.SetLeft(0.6);
    EXPECT_EQ(M.GetLeft(), 0.0);
    M.SetLeft(0.59);
    EXPECT_EQ(M.GetLeft(), 0.59);
    M.SetTop(-0.1);
    EXPECT_EQ(M.GetTop(), 0.0);
    TCarrelonPrintHeaderFooter H;
    H.SetDistance(1.0);
    EXPECT_EQ(H.GetDistance(), 0.0);
    H.SetDistance(0.99);
    EXPECT_EQ(H.GetDistance(), 0.99);
}

}  // namespace
}  // namespace carrelon::test
