#include <gtest/gtest.h>

#include "platform/rtl/Set.h"

using namespace carrelon;

namespace {
enum TFruit { frApple, frPear, frPlum };
using TFruits = TSet<TFruit>;
}  // namespace

TEST(Set, BitsAreOrdinalsAndOperatorsCombine) {
    TFruits s{frApple, frPlum};
    EXPECT_EQ(s.ToInt(), 0b101u);
    EXPECT_TRUE(s.Contains(frPlum));
    EXPECT_FALSE(s.Contains(frPear));
    EXPECT_EQ((s + frPear).ToInt(), 0b111u);
    EXPECT_EQ((s - TFruits{frApple}).ToInt(), 0b100u);
    EXPECT_EQ((s * TFruits{frApple, frPear}).ToInt(), 0b001u);
    EXPECT_EQ(TFruits::FromInt(2), TFruits{frPear});
    EXPECT_TRUE(TFruits().Empty());
}
