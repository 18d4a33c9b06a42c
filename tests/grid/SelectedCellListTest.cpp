#include "grid/SelectedCellList.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

namespace carrelon {
namespace {

// Distinct addresses standing in for cells; the list only compares them.
TCarrelonCell* FakeCell(std::size_t i) {
    alignas(16) static char Storage[16 * 20000];
    return reinterpret_cast<TCarrelonCell*>(Storage + 16 * i);
}

void ExpectSame(const TSelectedCellList& List, const std::vector<TCarrelonCell*>& Model,
                const char* Step) {
    ASSERT_EQ(List.Count(), static_cast<int>(Model.size())) << Step;
    EXPECT_EQ(List.Snapshot(), Model) << Step;
    for (std::size_t i = 0; i < Model.size(); ++i)
        ASSERT_EQ(List.Item(static_cast<int>(i)), Model[i]) << Step << " at " << i;
}

TEST(SelectedCellList, KeepsOrderAndMembershipUnderRandomEdits) {
    std::mt19937 Rng(1234);
    TSelectedCellList List;
    std::vector<TCarrelonCell*> Model;
    for (int Step = 0; Step < 60000; ++Step) {
        const int Op = static_cast<int>(Rng() % 100);
        TCarrelonCell* c = FakeCell(Rng() % 3000);
        const bool Listed = std::find(Model.begin(), Model.end(), c) != Model.end();
        if (Op < 55) {
            ASSERT_EQ(List.Add(c), !Listed);
            if (!Listed) Model.push_back(c);
        } else if (Op < 70 && !Model.empty()) {
            // Removal from either end, the pattern of cutting cell by cell.
            TCarrelonCell* End = (Op & 1) ? Model.front() : Model.back();
            ASSERT_TRUE(List.Remove(End));
            Model.erase(std::find(Model.begin(), Model.end(), End));
        } else if (Op < 97) {
            ASSERT_EQ(List.Remove(c), Listed);
            if (Listed) Model.erase(std::find(Model.begin(), Model.end(), c));
        } else if (Op < 99) {
            const auto Odd = [](TCarrelonCell* p) {
                return (reinterpret_cast<std::uintptr_t>(p) / 16) % 2 == 1;
            };
            List.RemoveIf(Odd);
            Model.erase(std::remove_if(Model.begin(), Model.end(), Odd), Model.end());
        } else if (Rng() % 20 == 0) {
            List.Clear();
            Model.clear();
        }
        ASSERT_EQ(List.Contains(c), std::find(Model.begin(), Model.end(), c) != Model.end());
        if (Step % 997 == 0) ExpectSame(List, Model, "random edits");
    }
    ExpectSame(List, Model, "end");
}

TEST(SelectedCellList, LargeListsEmptyFromTheFrontAndTheBack) {
    TSelectedCellList List;
    for (std::size_t i = 0; i < 20000; ++i)
        ASSERT_TRUE(List.Add(FakeCell(i)));
    EXPECT_FALSE(List.Add(FakeCell(5)));
    for (std::size_t i = 0; i < 10000; ++i) {
        ASSERT_EQ(List.Item(0), FakeCell(i));
        ASSERT_TRUE(List.Remove(FakeCell(i)));
    }
    for (std::size_t i = 20000; i-- > 10000;) {
        ASSERT_EQ(List.Item(List.Count() - 1), FakeCell(i));
        ASSERT_TRUE(List.Remove(FakeCell(i)));
    }
    EXPECT_TRUE(List.Empty());
    EXPECT_FALSE(List.Contains(FakeCell(0)));
    EXPECT_TRUE(List.Add(FakeCell(0)));
    EXPECT_EQ(List.Item(0), FakeCell(0));
}

TEST(SelectedCellList, IndexOutsideTheListRaises) {
    TSelectedCellList List;
    EXPECT_THROW(List.Item(0), EListError);
    List.Add(FakeCell(1));
    EXPECT_THROW(List.Item(1), EListError);
    EXPECT_THROW(List.Item(-1), EListError);
    EXPECT_FALSE(List.Remove(nullptr));
    EXPECT_FALSE(List.Add(nullptr));
}

}  // namespace
}  // namespace carrelon
