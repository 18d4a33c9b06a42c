#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Exceptions.h"

using namespace carrelon;

TEST(Currency, ConversionRoundsHalvesToEven) {
    const struct {
        long double Value;
        Int64 Raw;
    } cases[] = {
        {1.00005L, 10000},   {1.00015L, 10002},    {-1.00005L, -10000},
        {-1.00015L, -10002}, {0.00004L, 0},        {0.00006L, 1},
        {2.5L, 25000},       {123.4567L, 1234567}, {922337203685477.0L, 9223372036854770000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency(c.Value).Raw(), c.Raw) << static_cast<double>(c.Value);
}

TEST(Currency, OutOfRangeAndNaNRaise) {
    EXPECT_THROW(Currency(1e15L), EOverflow);
    EXPECT_THROW(Currency(-1e15L), EOverflow);
    EXPECT_THROW(Currency(std::nanl("")), EInvalidOp);
    Currency c;
    EXPECT_FALSE(Currency::TryFromExtended(1e19L, c));
    EXPECT_EQ(c, Currency());
}

TEST(Currency, ArithmeticDetectsOverflow) {
    EXPECT_EQ(Currency(2) + Currency(3), Currency(5));
    EXPECT_EQ((Currency(1.5L) * Currency(1.5L)).Raw(), 22500);
    // 0.0001 * 0.5 = 0.00005: a half, rounded to the even 0.
    EXPECT_EQ((Currency::FromRaw(1) * Currency(0.5L)).Raw(), 0);
    EXPECT_EQ((Currency::FromRaw(3) * Currency(0.5L)).Raw(), 2);
    EXPECT_EQ((Currency(10) / Currency(4)).Raw(), 25000);
    EXPECT_THROW(MaxCurrency + Currency::FromRaw(1), EOverflow);
    EXPECT_THROW(MinCurrency - Currency::FromRaw(1), EOverflow);
    EXPECT_THROW(-MinCurrency, EOverflow);
    EXPECT_THROW(MaxCurrency * Currency(2), EOverflow);
    EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
}

TEST(Currency, TextForms) {
    TLocaleScope locale(true);
    EXPECT_EQ(CurrToStr(Currency(1234.5L)), "1234.5");
    EXPECT_EQ(CurrToStr(MaxCurrency), "922337203685477.5807");
    EXPECT_EQ(CurrToStr(MinCurrency), "-922337203685477.5808");
    EXPECT_EQ(CurrToStrF(Currency(1234.5L), ffCurrency, CurrencyDecimals), "$1,234.50");
    EXPECT_EQ(CurrToStrF(Currency(-0.005L), ffCurrency, 2), "($0.01)");
    EXPECT_EQ(CurrToStrF(Currency(-0.004L), ffCurrency, 2), "$0.00");
    EXPECT_EQ(CurrToStrF(Currency(1.23456L), ffFixed, 6), "1.2346");
    EXPECT_EQ(FormatCurr("#,##0.00", Currency(9876543.215L)), "9,876,543.22");
    DecimalSeparator = ',';
    EXPECT_EQ(CurrToStr(Currency(0.5L)), "0,5");
    EXPECT_EQ(StrToCurr("12,3456").Raw(), 123456);
    EXPECT_THROW(StrToCurr("1e20"), EConvertError);
}
