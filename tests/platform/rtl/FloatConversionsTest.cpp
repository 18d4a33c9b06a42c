#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

using namespace carrelon;

TEST(FloatToStr, GeneralFormatSwitchesToExponentAtTheRuntimeThresholds) {
    TLocaleScope locale(true);
    const struct {
        long double Value;
        const char* Text;
    } cases[] = {
        {0, "0"},
        {-0.0L, "0"},
        {1, "1"},
        {-1.5, "-1.5"},
        {0.1, "0.1"},
        {0.1L + 0.2L, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123456789012345.0L, "123456789012345"},
        {999999999999999.0L, "999999999999999"},
        {1e15L, "1E15"},
        {9999999999999999.0L, "1E16"},
        {123456789012345678.0L, "1.23456789012346E17"},
        {0.0001L, "0.0001"},
        {0.00012345L, "0.00012345"},
        {1e-5L, "1E-5"},
        {-1.5e-7L, "-1.5E-7"},
        {1e300L, "1E300"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {5e-324, "4.94065645841247E-324"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.Value), c.Text) << static_cast<double>(c.Value);
    EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<long double>::infinity()), "-INF");
}

TEST(FloatToStr, UsesTheDecimalSeparatorOfTheMoment) {
    TLocaleScope locale(true);
    DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.25), "1,25");
    EXPECT_EQ(FloatToStr(1.5e-9), "1,5E-9");
    DecimalSeparator = '.';
    EXPECT_EQ(FloatToStr(1.25), "1.25");
}

TEST(FloatToStrF, EachFormat) {
    TLocaleScope locale(true);
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
    EXPECT_EQ(FloatToStrF(-0.004, ffFixed, 15, 2), "0.00");
    EXPECT_EQ(FloatToStrF(1234567.891, ffNumber, 15, 2), "1,234,567.89");
    EXPECT_EQ(FloatToStrF(-1234567.891, ffNumber, 15, 0), "-1,234,568");
    EXPECT_EQ(FloatToStrF(1234.5678, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(0.00012, ffExponent, 3, 0), "1.20E-4");
    EXPECT_EQ(FloatToStrF(1234.5, ffGeneral, 3, 0), "1.23E3");
    EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), "$1,234.50");
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), "($1,234.50)");
    // Fixed rounds halves of the decimal expansion away from zero.
    EXPECT_EQ(FloatToStrF(2.5, ffFixed, 15, 0), "3");
    EXPECT_EQ(FloatToStrF(-2.5, ffFixed, 15, 0), "-3");
    EXPECT_EQ(FloatToStrF(0.125, ffFixed, 15, 2), "0.13");
    EXPECT_EQ(FloatToStrF(9.9999, ffFixed, 15, 2), "10.00");
    EXPECT_EQ(FloatToStr(0.9999999999999999), "1");
    EXPECT_EQ(FloatToStr(999999999999999.9), "1E15");
}

TEST(FloatToStrF, CurrencyLayoutsFollowTheLocale) {
    TLocaleScope locale(true);
    CurrencyString = "EUR";
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    const char* negative[16] = {
        "(EUR1.234,50)", "-EUR1.234,50",  "EUR-1.234,50",   "EUR1.234,50-",
        "(1.234,50EUR)", "-1.234,50EUR",  "1.234,50-EUR",   "1.234,50EUR-",
        "-1.234,50 EUR", "-EUR 1.234,50", "1.234,50 EUR-",  "EUR 1.234,50-",
        "EUR -1.234,50", "1.234,50- EUR", "(EUR 1.234,50)", "(1.234,50 EUR)"};
    for (int f = 0; f < 16; ++f) {
        NegCurrFormat = static_cast<Byte>(f);
        EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), negative[f]) << f;
    }
    const char* positive[4] = {"EUR1.234,50", "1.234,50EUR", "EUR 1.234,50", "1.234,50 EUR"};
    for (int f = 0; f < 4; ++f) {
        CurrencyFormat = static_cast<Byte>(f);
        EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), positive[f]) << f;
    }
}

TEST(FormatFloat, Patterns) {
    TLocaleScope locale(true);
    const struct {
        const char* Format;
        double Value;
        const char* Text;
    } cases[] = {
        {"0.00", 1234.567, "1234.57"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", -1234.5, "-1,235"},
        {"#.##", 0.5, ".5"},
        {"0.##", 1, "1"},
        {"0.##", 1.005, "1"},
        {"0.0#", 1.256, "1.26"},
        {"000", 7, "007"},
        {"#", 0, ""},
        {"0", 2.5, "3"},
        {"0", -0.4, "0"},
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.00E-00", 1234.5, "1.23E03"},
        {"0.00e+0", 0.000123, "1.23e-4"},
        {"0.0;(0.0)", -12.34, "(12.3)"},
        {"0.0;(0.0);zero", 0, "zero"},
        {"0.0;(0.0);zero", -0.01, "zero"},
        {"0.0;;zero", -5, "-5.0"},
        {"#,##0.00 \"kg\"", 1234.5, "1,234.50 kg"},
        {"'Total: '0", 42, "Total: 42"},
        {"00-00", 1234, "12-34"},
        {"", 1.5, "1.5"},
        {"0", 1e20, "1E20"},
        // Rounding that carries into a new digit.
        {"0.00", 9.999, "10.00"},
        {"#,##0", 999.5, "1,000"},
        {"0.0E+0", -0.00012, "-1.2E-4"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.0E+0", 9.96, "1.0E+1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.Format, c.Value), c.Text) << c.Format << " " << c.Value;
}

TEST(FormatFloat, SeparatorsFollowTheLocale) {
    TLocaleScope locale(true);
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
}

TEST(TextToFloat, AcceptsOnlyTheLocaleDecimalSeparator) {
    TLocaleScope locale(true);
    Extended v = 0;
    EXPECT_TRUE(TextToFloat(" 1.5 ", v));
    EXPECT_EQ(v, 1.5L);
    EXPECT_TRUE(TextToFloat("-.5e2", v));
    EXPECT_EQ(v, -50.0L);
    EXPECT_TRUE(TextToFloat("+3.", v));
    EXPECT_EQ(v, 3.0L);
    EXPECT_TRUE(TextToFloat("1e-5000", v));  // underflow is zero
    EXPECT_EQ(v, 0.0L);
    for (const char* bad : {"", " ", "1,5", "1.5.2", "1e", "e5", "1 000", "$5", "INF", "NAN",
                            "0x10", "1e5000", "--1", "."}) {
        v = 42;
        EXPECT_FALSE(TextToFloat(bad, v)) << bad;
        EXPECT_EQ(v, 42.0L) << bad;
    }
    DecimalSeparator = ',';
    EXPECT_TRUE(TextToFloat("1,5", v));
    EXPECT_EQ(v, 1.5L);
    EXPECT_FALSE(TextToFloat("1.5", v));
    DecimalSeparator = '.';
    double d = 0;
    // Just above the half between 1 and the next double: read straight into a double it
    // rounds up; through an Extended it would first round to the half, then to even (1).
    ASSERT_TRUE(TextToFloat("1.000000000000000111022302462515654042363166809082031251", d));
    EXPECT_EQ(d, 1.0 + 0x1p-52);
    EXPECT_FALSE(TextToFloat("1e400", d));  // fits an Extended, not a Double
    EXPECT_TRUE(TextToFloat("1e400", v));
    // Exponents beyond any integer type are still overflow or underflow, never the other.
    for (const char* huge :
         {"4e9223372036854775807", "4e99999999999999999999", "0.5e9223372036854775807"}) {
        EXPECT_FALSE(TextToFloat(huge, d)) << huge;
        EXPECT_FALSE(TextToFloat(huge, v)) << huge;
    }
    for (const char* tiny : {"4e-9223372036854775808", "4e-99999999999999999999"}) {
        EXPECT_TRUE(TextToFloat(tiny, d)) << tiny;
        EXPECT_EQ(d, 0.0) << tiny;
    }
}

TEST(TextToFloat, ExtendedDenormalsReadBackAsPrinted) {
    TLocaleScope locale(true);
    const Extended tiny = LDBL_TRUE_MIN * 9;  // printed as 3.28067957869423E-4950
    Extended v = 0;
    ASSERT_TRUE(TextToFloat(FloatToStr(tiny), v)) << FloatToStr(tiny);
    EXPECT_EQ(v, tiny);
    ASSERT_TRUE(TextToFloat("1e-4940", v));
    EXPECT_GT(v, 0.0L);
    int code = -1;
    Val("-1e-4940", v, code);
    EXPECT_EQ(code, 0);
    EXPECT_LT(v, 0.0L);
}

TEST(TextToFloat, FixedSettingsIgnoreTheUserLocale) {
    TLocaleScope locale(true);
    DecimalSeparator = ',';
    const TFormatSettings invariant;
    Extended v = 0;
    EXPECT_TRUE(TextToFloat("2.30", v, invariant));
    EXPECT_EQ(v, 2.3L);
    EXPECT_EQ(FloatToStr(2.5, invariant), "2.5");
}

TEST(StrToFloat, RaisesConvertErrorWithTheRuntimeText) {
    TLocaleScope locale(true);
    try {
        StrToFloat("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(StrToFloatDef("x", 7), 7.0L);
}

TEST(Val, ReportsTheFirstBadPosition) {
    const struct {
        const char* Text;
        int Code;
        long double Value;
    } cases[] = {
        {"12", 0, 12}, {"  -1.5e2", 0, -150}, {"12abc", 3, 0},  {"a1b2", 1, 0},  {"1e", 3, 0},
        {"1e+", 4, 0}, {".", 2, 0},           {"", 1, 0},       {"1.5", 0, 1.5}, {"1,5", 2, 0},
        {"12 ", 3, 0}, {"5.", 0, 5},          {"1e9999", 7, 0}, {"-", 2, 0},     {"+.5", 0, 0.5},
    };
    for (const auto& c : cases) {
        Extended v = -1;
        int code = -1;
        Val(c.Text, v, code);
        EXPECT_EQ(code, c.Code) << c.Text;
        EXPECT_EQ(v, c.Value) << c.Text;
    }
    int i = 0, code = 0;
    Val("$1F", i, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(i, 31);
    Val("99999999999", i, code);
    EXPECT_EQ(code, 12);
}

TEST(IntConversions, ParseAndFormat) {
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(Int64{9223372036854775807}), "9223372036854775807");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(StrToInt(" 12"), 12);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483648);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    for (const char* bad :
         {"", "12 ", "1.5", "2147483648", "abc", "--1", "$", "9223372036854775808"})
        EXPECT_EQ(StrToIntDef(bad, -7), -7) << bad;
    try {
        StrToInt("A1x");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'A1x' is not a valid integer value");
    }
}

TEST(BoolConversions, TextsAndNumbers) {
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false), "0");
    EXPECT_EQ(BoolToStr(true, true), "True");
    EXPECT_TRUE(StrToBool("true"));
    EXPECT_FALSE(StrToBool("FALSE"));
    EXPECT_TRUE(StrToBool("-1"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_THROW(StrToBool("yes"), EConvertError);
    EXPECT_TRUE(StrToBoolDef("maybe", true));
}

TEST(FloatToStr, FifteenDigitDecimalsRoundTripThroughDoubles) {
    // Any decimal of at most 15 significant digits survives text -> double -> text, so the
    // printed text must read back as exactly the same double, whatever the notation chosen.
    TLocaleScope locale(true);
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t mantissa = next() % 999999999999999u + 1;
        const int exponent = static_cast<int>(next() % 61) - 30;
        const AnsiString text = std::to_string(mantissa) + "e" + std::to_string(exponent);
        double x = 0;
        ASSERT_TRUE(TextToFloat(text, x)) << text;
        double back = 0;
        const AnsiString printed = FloatToStr(x);
        ASSERT_TRUE(TextToFloat(printed, back)) << printed;
        ASSERT_EQ(back, x) << text << " printed as " << printed;
        ASSERT_LE(printed.size(), 22u) << printed;
    }
}

// The quick conversion of doubles with a short form gives exactly the text of the exact
// expansion (which FloatToStrF's general format still uses), at every scale and next to every
// rounding and notation threshold; with a comma separator too.
TEST(FloatToStr, QuickConversionGivesTheTextOfTheExactOne) {
    TLocaleScope locale(true);
    std::mt19937_64 Rng(20261209);
    const auto Check = [](double V) {
        ASSERT_EQ(FloatToStr(V), FloatToStrF(V, ffGeneral, 15, 0)) << std::hexfloat << V;
    };
    const double Inf = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t Bits = Rng();
        double Any;
        std::memcpy(&Any, &Bits, sizeof Any);
        Check(Any);  // every exponent: subnormals, infinities and NaNs among them
        const auto Mantissa = static_cast<double>(Rng() % 1000000000000000ull);
        const int Scale = static_cast<int>(Rng() % 80) - 40;
        const double Decimal = Mantissa * std::pow(10.0, Scale);
        Check(Decimal);
        Check(std::nextafter(Decimal, Inf));
        Check(std::nextafter(Decimal, -Inf));
        Check(static_cast<double>(static_cast<std::int64_t>(Rng() % 4000000) - 2000000) * 0.25);
        Check(static_cast<double>(Rng() % 100000) / 100 - 500);
        Check(static_cast<double>(Rng() % 10000) * 0.1 * 3);
        // Whole numbers and amounts with a few decimals, up to 15 digits and past them.
        static constexpr double kPowers[] = {1, 10, 100, 1000, 10000, 100000};
        const std::uint64_t Digits = Rng() % 17;
        const auto Whole =
            static_cast<double>(Rng() % static_cast<std::uint64_t>(std::pow(10.0, Digits) + 1));
        Check((Rng() % 2 ? -Whole : Whole) / kPowers[Rng() % 6]);
    }
    for (int e = -324; e <= 308; ++e) {
        const double P = std::pow(10.0, e);
        for (double V : {P, std::nextafter(P, 0.0), std::nextafter(P, Inf), 5 * P,
                         9.99999999999999 * P, 9.999999999999995 * P, 1.000000000000005 * P})
            Check(V);
    }
    for (double V : {DBL_MIN, std::nextafter(DBL_MIN, 0.0), DBL_MAX, DBL_TRUE_MIN,
                     100000000000000.5, 0.000123456789012345, 1e15 - 0.5})
        Check(V);
    FormatSettings.DecimalSeparator = ',';
    for (double V : {1.5, -0.25, 1e-5, 123456.789, 1.5e300})
        Check(V);
}
