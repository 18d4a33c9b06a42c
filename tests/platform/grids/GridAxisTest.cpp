#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/grids/GridAxis.h"

using namespace carrelon;

namespace {

// The slow, obvious answers the axis must agree with.
std::int64_t NaiveOffset(const std::vector<int>& Sizes, int Index, int Extra) {
    std::int64_t Sum = 0;
    for (int i = 0; i < Index; ++i)
        Sum += Sizes[i] + Extra;
    return Sum;
}

int NaiveLastStartAtMost(const std::vector<int>& Sizes, std::int64_t Target, int Extra) {
    int K = -1;
    for (int i = 0; i <= static_cast<int>(Sizes.size()); ++i)
        if (NaiveOffset(Sizes, i, Extra) <= Target) K = i;
    return K;
}

std::vector<int> SizesOf(const TGridAxis& A) {
    std::vector<int> v;
    for (int i = 0; i < A.Count(); ++i)
        v.push_back(A.Size(i));
    return v;
}

}  // namespace

TEST(GridAxis, UniformAxisNeedsNoArray) {
    TGridAxis A(1000000, 18);
    EXPECT_FALSE(A.HasSizes());
    EXPECT_EQ(A.Offset(1000000), 18000000);
    EXPECT_EQ(A.Offset(10, 1), 190);
    EXPECT_EQ(A.LastStartAtMost(17), 0);
    EXPECT_EQ(A.LastStartAtMost(18), 1);
    EXPECT_EQ(A.LastStartAtMost(-1), -1);
    EXPECT_EQ(A.LastStartAtMost(std::int64_t{1} << 40), 1000000);
}

TEST(GridAxis, ArrayIsMadeOnFirstOwnSizeAndDroppedBySettingTheDefault) {
    TGridAxis A(5, 20);
    A.SetSize(2, 20);  // same as the default: still no array
    EXPECT_FALSE(A.HasSizes());
    A.SetSize(2, 30);
    ASSERT_TRUE(A.HasSizes());
    EXPECT_FALSE(A.AllDefault());
    A.SetSize(2, 20);
    EXPECT_TRUE(A.HasSizes());  // kept until the default is set again
    EXPECT_TRUE(A.AllDefault());
    A.SetDefaultSize(20);
    EXPECT_FALSE(A.HasSizes());
    A.SetSize(1, 7);
    A.SetDefaultSize(12);
    EXPECT_EQ(SizesOf(A), (std::vector<int>{12, 12, 12, 12, 12}));
}

TEST(GridAxis, BadIndexesAndNegativeSizesAreHarmless) {
    TGridAxis A(3, 10);
    A.SetSize(-1, 5);
    A.SetSize(3, 5);
    A.SetSize(1, -8);
    EXPECT_EQ(SizesOf(A), (std::vector<int>{10, 0, 10}));
    EXPECT_EQ(A.Size(7), 0);
    EXPECT_EQ(A.Offset(-4), 0);
    EXPECT_EQ(A.Offset(99), 20);
    A.Move(0, 3);
    A.Move(-1, 0);
    EXPECT_EQ(SizesOf(A), (std::vector<int>{10, 0, 10}));
    A.SetCount(-5);
    EXPECT_EQ(A.Count(), 0);
    EXPECT_EQ(A.LastStartAtMost(100), 0);
}

TEST(GridAxis, ZeroSizedSlotsAreNeverHit) {
    TGridAxis A(4, 10);
    A.SetSize(1, 0);
    A.SetSize(2, 0);
    // Slots start at 0, 10, 10, 10: position 10 lies in slot 3, not in the hidden ones.
    EXPECT_EQ(A.LastStartAtMost(9), 0);
    EXPECT_EQ(A.LastStartAtMost(10), 3);
    // With a line after every slot the hidden slots still take their line's width.
    EXPECT_EQ(A.Offset(3, 1), 13);
    EXPECT_EQ(A.LastStartAtMost(11, 1), 1);
}

TEST(GridAxis, MoveCarriesTheSizeAlong) {
    struct Case {
        int From, To;
        std::vector<int> Expected;
    };
    const Case Cases[] = {
        {0, 3, {2, 3, 4, 1, 5}},
        {3, 0, {4, 1, 2, 3, 5}},
        {4, 1, {1, 5, 2, 3, 4}},
        {1, 2, {1, 3, 2, 4, 5}},
    };
    for (const Case& c : Cases) {
        TGridAxis A(5, 1);
        for (int i = 0; i < 5; ++i)
            A.SetSize(i, i + 1);
        A.Move(c.From, c.To);
        EXPECT_EQ(SizesOf(A), c.Expected) << c.From << " -> " << c.To;
        EXPECT_EQ(A.Offset(5), 15);
    }
}

// Random edits against the obvious model, across block boundaries and with line widths.
TEST(GridAxis, AgreesWithNaiveSumsUnderRandomEdits) {
    std::mt19937 Rng(12345);
    TGridAxis A(300, 18);
    std::vector<int> Model(300, 18);
    for (int Step = 0; Step < 400; ++Step) {
        const int Op = Rng() % 10;
        const int N = static_cast<int>(Model.size());
        if (Op < 6 && N > 0) {
            const int i = Rng() % N;
            const int v = (Rng() % 4 == 0) ? 0 : static_cast<int>(Rng() % 40);
            A.SetSize(i, v);
            Model[i] = v;
        } else if (Op < 8 && N > 1) {
            const int f = Rng() % N, t = Rng() % N;
            A.Move(f, t);
            const int v = Model[f];
            Model.erase(Model.begin() + f);
            Model.insert(Model.begin() + t, v);
        } else {
            const int NewN = static_cast<int>(Rng() % 400);
            A.SetCount(NewN);
            Model.resize(NewN, A.DefaultSize());
        }
        ASSERT_EQ(SizesOf(A), Model) << "step " << Step;
        for (int Extra : {0, 1, 3}) {
            for (int k = 0; k < 5; ++k) {
                const int i = Model.empty() ? 0 : static_cast<int>(Rng() % (Model.size() + 1));
                ASSERT_EQ(A.Offset(i, Extra), NaiveOffset(Model, i, Extra))
                    << "step " << Step << " index " << i << " extra " << Extra;
                const std::int64_t T =
                    static_cast<std::int64_t>(Rng() % (NaiveOffset(Model, N, Extra) + 50));
                ASSERT_EQ(A.LastStartAtMost(T, Extra), NaiveLastStartAtMost(Model, T, Extra))
                    << "step " << Step << " target " << T << " extra " << Extra;
            }
        }
    }
}
