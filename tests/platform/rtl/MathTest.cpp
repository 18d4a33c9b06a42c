#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/MathFunctions.h"
#include "platform/rtl/Random.h"
#include "tests/support/SettingScopes.h"

using namespace carrelon;

namespace {

enum TFault { None, Invalid, ZeroDiv, Over };

TFault FaultOf(const std::function<void()>& F) {
    try {
        F();
    } catch (const EInvalidOp& e) {
        EXPECT_EQ(e.Message, "Invalid floating point operation");
        return Invalid;
    } catch (const EZeroDivide& e) {
        EXPECT_EQ(e.Message, "Floating point division by zero");
        return ZeroDiv;
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message, "Floating point overflow");
        return Over;
    }
    return None;
}

}  // namespace

TEST(Math, ErrorBehaviourOfTheRuntime) {
    const struct {
        const char* Name;
        std::function<void()> Call;
        TFault Fault;
    } cases[] = {
        {"Ln(0)", [] { Ln(0); }, ZeroDiv},
        {"Ln(-1)", [] { Ln(-1); }, Invalid},
        {"Log10(0)", [] { Log10(0); }, ZeroDiv},
        {"LogN(1, 5)", [] { LogN(1, 5); }, ZeroDiv},
        {"LogN(-2, 5)", [] { LogN(-2, 5); }, Invalid},
        {"Sqrt(-1)", [] { Sqrt(-1); }, Invalid},
        {"Exp(1e6)", [] { Exp(1e6L); }, Over},
        {"Exp(-1e6)", [] { Exp(-1e6L); }, None},  // underflow is quiet
        {"Power(-8, 1/3)", [] { Power(-8, 1.0L / 3); }, Invalid},
        {"Power(0, -1)", [] { Power(0, -1); }, ZeroDiv},
        {"Power(10, 5000)", [] { Power(10, 5000); }, Over},
        {"IntPower(10, -5000)", [] { IntPower(10, -5000); }, None},
        {"IntPower(0.5, -20000)", [] { IntPower(0.5L, -20000); }, Over},
        {"IntPower(0, -2)", [] { IntPower(0, -2); }, ZeroDiv},
        {"ArcSin(2)", [] { ArcSin(2); }, Invalid},
        {"ArcCos(-1.5)", [] { ArcCos(-1.5L); }, Invalid},
        {"ArcCosh(0.5)", [] { ArcCosh(0.5L); }, Invalid},
        {"ArcTanh(1)", [] { ArcTanh(1); }, ZeroDiv},
        {"ArcTanh(2)", [] { ArcTanh(2); }, Invalid},
        {"Cotan(0)", [] { Cotan(0); }, ZeroDiv},
        {"Sinh(1e5)", [] { Sinh(1e5L); }, Over},
        {"Ceil(3e9)", [] { Ceil(3e9L); }, Invalid},
        {"Trunc(1e19)", [] { Trunc(1e19L); }, Invalid},
        {"Round(NaN)", [] { Round(std::numeric_limits<long double>::quiet_NaN()); }, Invalid},
        {"1/0", [] { CheckedDiv(1, 0); }, ZeroDiv},
        {"0/0", [] { CheckedDiv(0, 0); }, Invalid},
        {"max*2", [] { CheckedMul(std::numeric_limits<long double>::max(), 2); }, Over},
        {"max+max",
         [] {
             CheckedAdd(std::numeric_limits<long double>::max(),
                        std::numeric_limits<long double>::max());
         },
         Over},
        {"tiny*tiny", [] { CheckedMul(1e-4000L, 1e-4000L); }, None},
        {"Mean()", [] { Mean({}); }, Invalid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FaultOf(c.Call), c.Fault) << c.Name;
}

TEST(Math, Values) {
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(3.5L), 4);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Trunc(-2.7L), -2);
    EXPECT_EQ(Ceil(-2.5L), -2);
    EXPECT_EQ(Floor(-2.5L), -3);
    EXPECT_EQ(Int(-2.5L), -2.0L);
    EXPECT_EQ(Frac(-2.5L), -0.5L);
    EXPECT_EQ(IntPower(10, -2), 1 / 100.0L);
    EXPECT_EQ(IntPower(2, 10), 1024.0L);
    EXPECT_EQ(Power(2, 0.5L), std::sqrt(2.0L));
    EXPECT_EQ(Power(0, 0), 1.0L);
    EXPECT_NEAR(static_cast<double>(LogN(2, 8)), 3.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(Log10(1000)), 3.0, 1e-15);
    EXPECT_EQ(MinValue({3, -1, 2}), -1.0);
    EXPECT_EQ(MaxValue({3, -1, 2}), 3.0);
    EXPECT_EQ(Sum({1, 2, 3.5}), 6.5L);
    EXPECT_EQ(Mean({1, 2, 3}), 2.0L);
    EXPECT_NEAR(static_cast<double>(ArcTan2(1, 1)), static_cast<double>(Pi() / 4), 1e-15);
}

TEST(Random, SequenceIsFixedBySeed) {
    test::TRandSeedScope Seed;
    RandSeed = 0;
    EXPECT_EQ(Random(100), 0);  // seed 1: (1 * 100) >> 32
    EXPECT_EQ(RandSeed, 1);
    EXPECT_EQ(Random(100), 3);  // seed 134775814: (134775814 * 100) >> 32
    EXPECT_EQ(RandSeed, 134775814);
    RandSeed = 12345;
    const double first = Random();
    const int second = Random(1000);
    const std::int32_t after = RandSeed;
    RandSeed = 12345;
    EXPECT_EQ(Random(), first);
    EXPECT_EQ(Random(1000), second);
    EXPECT_EQ(RandSeed, after);
    RandSeed = 12345;
    const std::uint32_t next = 12345u * 134775813u + 1u;
    EXPECT_EQ(Random(), next / 4294967296.0);
    for (int i = 0; i < 1000; ++i) {
        const double r = Random();
        EXPECT_GE(r, 0.0);
        EXPECT_LT(r, 1.0);
        const int k = Random(7);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, 7);
    }
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-5), 0);
    Randomize();
    const std::int32_t a = RandSeed;
    Random();
    EXPECT_NE(RandSeed, a);
}
