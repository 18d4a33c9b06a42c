#include <gtest/gtest.h>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/SettingScopes.h"

using namespace carrelon;
using carrelon::test::TFixedNow;

TEST(DateTime, EncodeAndDecodeAtTheEdgesOfTheCalendar) {
    const struct {
        int Y, M, D;
        double Serial;
    } cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},  {1899, 12, 29, -1},
        {1900, 1, 1, 2},      {1900, 3, 1, 61},   {2000, 2, 29, 36585},
        {2024, 2, 29, 45351}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.Y, c.M, c.D).Val, c.Serial) << c.Y << "-" << c.M << "-" << c.D;
        Word y, m, d;
        DecodeDate(TDateTime(c.Serial), y, m, d);
        EXPECT_EQ(y, c.Y);
        EXPECT_EQ(m, c.M);
        EXPECT_EQ(d, c.D);
    }
    for (auto bad : {std::array<int, 3>{1900, 2, 29},
                     {2023, 2, 29},
                     {0, 1, 1},
                     {10000, 1, 1},
                     {2020, 13, 1},
                     {2020, 4, 31},
                     {2020, 1, 0}}) {
        TDateTime t;
        EXPECT_FALSE(TryEncodeDate(bad[0], bad[1], bad[2], t));
    }
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
}

TEST(DateTime, NegativeSerialsCountDaysBackwardAndTimeForward) {
    Word y, m, d, h, n, s, z;
    DecodeDateTime(TDateTime(-1.25), y, m, d, h, n, s, z);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)).Val, -1.25);
    EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 31), EncodeTime(6, 0, 0, 0)).Val, 1.25);
    EXPECT_EQ(DayOfWeek(TDateTime(0)), 7);  // a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);
}

TEST(DateTime, TimeRoundsToTheMillisecondAndCarriesMidnight) {
    Word h, n, s, z;
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, z);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 235959999);
    Word y, m, d;
    DecodeDateTime(TDateTime(0.99999999999), y, m, d, h, n, s, z);
    EXPECT_EQ(d, 31);  // the next day at midnight, never 24:00
    EXPECT_EQ(h, 0);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    DecodeDate(TDateTime(1e10), y, m, d);  // outside the calendar
    EXPECT_EQ(y, 0);
}

TEST(DateTimeText, FormatsFollowTheLocale) {
    TLocaleScope locale(true);
    const TDateTime t = ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 45));
    EXPECT_EQ(DateToStr(t), "3/5/2024");
    EXPECT_EQ(TimeToStr(t), "2:07:09 PM");
    EXPECT_EQ(DateTimeToStr(t), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "3/5/2024");
    EXPECT_EQ(TimeToStr(EncodeTime(0, 5, 0, 0)), "12:05:00 AM");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t), "2024-03-05 14:07:09.045");
    EXPECT_EQ(FormatDateTime("dddd d mmmm yy", t), "Tuesday 5 March 24");
    EXPECT_EQ(FormatDateTime("ddd mmm", t), "Tue Mar");
    EXPECT_EQ(FormatDateTime("h:mm am/pm", t), "2:07 pm");
    EXPECT_EQ(FormatDateTime("h:mm A/P", t), "2:07 P");
    EXPECT_EQ(FormatDateTime("t", t), "2:07 PM");
    EXPECT_EQ(FormatDateTime("dddddd", t), "Tuesday, March 5, 2024");
    EXPECT_EQ(FormatDateTime("'d' d \"m\"", t), "d 5 m");
    EXPECT_EQ(DateToStr(EncodeDate(1, 1, 1)), "1/1/0001");
    EXPECT_EQ(DateToStr(EncodeDate(9999, 12, 31)), "12/31/9999");

    ShortDateFormat = "dd.MM.yyyy";
    DateSeparator = '.';
    LongTimeFormat = "hh:nn:ss";
    EXPECT_EQ(DateTimeToStr(t), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", t), "05.03.2024");
}

TEST(DateTimeText, ParsingFollowsTheShortDateOrder) {
    TLocaleScope locale(true);
    TFixedNow clock(EncodeDate(2026, 6, 15));
    const struct {
        const char* Text;
        int Y, M, D;
    } good[] = {
        {"3/5/2024", 2024, 3, 5}, {" 12/31/9999 ", 9999, 12, 31}, {"1/1/1", 2001, 1, 1},
        {"3/5", 2026, 3, 5},      {"2024/3/5", 2024, 3, 5},       {"1/1/75", 2075, 1, 1},
        {"1/1/76", 1976, 1, 1},   {"2/29/2024", 2024, 2, 29},
    };
    for (const auto& c : good) {
        TDateTime v;
        ASSERT_TRUE(TryStrToDate(c.Text, v)) << c.Text;
        EXPECT_EQ(v.Val, EncodeDate(c.Y, c.M, c.D).Val) << c.Text;
    }
    for (const char* bad :
         {"", "3", "13/1/2024", "2/30/2024", "1/2/3/4", "a/b/c", "3-5-2024", "1/1/2024x"}) {
        TDateTime v;
        EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
    }
    ShortDateFormat = "d.M.yyyy";
    DateSeparator = '.';
    TDateTime v;
    ASSERT_TRUE(TryStrToDate("5.3.2024", v));
    EXPECT_EQ(v.Val, EncodeDate(2024, 3, 5).Val);
    EXPECT_THROW(StrToDate("3/5/2024"), EConvertError);
}

TEST(DateTimeText, TimesAndDateTimes) {
    TLocaleScope locale(true);
    TFixedNow clock(EncodeDate(2026, 6, 15));
    const struct {
        const char* Text;
        int H, N, S;
    } good[] = {
        {"14:30", 14, 30, 0},        {"2:30 PM", 14, 30, 0}, {"12:00 am", 0, 0, 0},
        {"12:15:30 PM", 12, 15, 30}, {"3 PM", 15, 0, 0},     {"PM 3:10", 15, 10, 0},
        {"23:59:59", 23, 59, 59},
    };
    for (const auto& c : good) {
        TDateTime v;
        ASSERT_TRUE(TryStrToTime(c.Text, v)) << c.Text;
        EXPECT_EQ(v.Val, EncodeTime(c.H, c.N, c.S, 0).Val) << c.Text;
    }
    for (const char* bad : {"", "3", "24:00", "13:00 PM", "1:60", "1:2:3:4", "12:00 XM", "1/2"}) {
        TDateTime v;
        EXPECT_FALSE(TryStrToTime(bad, v)) << bad;
    }
    TDateTime v;
    ASSERT_TRUE(TryStrToDateTime("3/5/2024 2:07:09 PM", v));
    EXPECT_EQ(v.Val, ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 0)).Val);
    ASSERT_TRUE(TryStrToDateTime("3/5/2024", v));
    EXPECT_EQ(v.Val, EncodeDate(2024, 3, 5).Val);
    ASSERT_TRUE(TryStrToDateTime("6:00", v));
    EXPECT_EQ(v.Val, 0.25);
    EXPECT_FALSE(TryStrToDateTime("3/5/2024 junk", v));
    // Round trip through the locale's own texts.
    const TDateTime t = ComposeDateTime(EncodeDate(1999, 12, 31), EncodeTime(23, 59, 58, 0));
    EXPECT_EQ(StrToDateTime(DateTimeToStr(t)).Val, t.Val);
}

TEST(DateTime, ClockIsInjectable) {
    {
        TFixedNow clock(TDateTime(45000.75));
        EXPECT_EQ(Now().Val, 45000.75);
        EXPECT_EQ(Date().Val, 45000.0);
        EXPECT_EQ(Time().Val, 0.75);
    }
    EXPECT_GT(Now().Val, 45000.0);  // the system clock again, well after 2023
}
