#include <gtest/gtest.h>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"

using namespace carrelon;

TEST(Locale, ScopeRestoresEverySetting) {
    const TFormatSettings before = FormatSettings;
    {
        TLocaleScope scope;
        DecimalSeparator = ',';
        ThousandSeparator = '.';
        ListSeparator = ';';
        CurrencyString = "kr";
        CurrencyFormat = 3;
        NegCurrFormat = 8;
        CurrencyDecimals = 0;
        DateSeparator = '-';
        TimeSeparator = '.';
        ShortDateFormat = "yyyy-MM-dd";
        LongTimeFormat = "hh.nn.ss";
        TimeAMString = "";
        LongMonthNames[0] = "januar";
        ShortDayNames[0] = "so";
        EXPECT_EQ(FormatSettings.ListSeparator, ';');
        EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 1, 2) + 0.5), "2024-01-02 12.00.00");
    }
    EXPECT_EQ(FormatSettings.DecimalSeparator, before.DecimalSeparator);
    EXPECT_EQ(FormatSettings.ListSeparator, before.ListSeparator);
    EXPECT_EQ(FormatSettings.CurrencyString, before.CurrencyString);
    EXPECT_EQ(FormatSettings.ShortDateFormat, before.ShortDateFormat);
    EXPECT_EQ(FormatSettings.LongMonthNames, before.LongMonthNames);
    EXPECT_EQ(FormatSettings.ShortDayNames, before.ShortDayNames);
    EXPECT_EQ(FormatSettings.TimeAMString, before.TimeAMString);
}

TEST(Locale, ResetScopeStartsFromUnitedStatesDefaults) {
    TLocaleScope outer;
    DecimalSeparator = ',';
    ListSeparator = ';';
    {
        TLocaleScope reset(true);
        EXPECT_EQ(DecimalSeparator, '.');
        EXPECT_EQ(ThousandSeparator, ',');
        EXPECT_EQ(ListSeparator, ',');
        EXPECT_EQ(CurrencyString, "$");
        EXPECT_EQ(ShortDateFormat, "M/d/yyyy");
        EXPECT_EQ(LongTimeFormat, "h:nn:ss AMPM");
        EXPECT_EQ(LongMonthNames[11], "December");
        EXPECT_EQ(LongDayNames[0], "Sunday");
    }
    EXPECT_EQ(DecimalSeparator, ',');
    EXPECT_EQ(ListSeparator, ';');
}

TEST(Locale, ConversionsReadTheSettingsAtTheMomentOfUse) {
    TLocaleScope locale(true);
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    ListSeparator = ';';
    Extended v = 0;
    ASSERT_TRUE(TextToFloat("1234,5", v));
    EXPECT_EQ(FloatToStrF(v, ffNumber, 15, 2), "1.234,50");
    EXPECT_EQ(FormatFloat("0.00", v), "1234,50");
    EXPECT_EQ(CurrToStrF(Currency(v), ffCurrency, 2), "$1.234,50");
    DecimalSeparator = '.';
    EXPECT_FALSE(TextToFloat("1234,5", v));
}
