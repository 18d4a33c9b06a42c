#include <gtest/gtest.h>

#include "formulas/A1Names.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {
namespace {

TEST(A1Names, ColumnNumbersAndLettersConvertBothWays) {
    const struct {
        std::int64_t Number;
        const char* Letters;
    } cases[] = {{1, "A"},     {2, "B"},       {26, "Z"},      {27, "AA"},
                 {52, "AZ"},   {53, "BA"},     {702, "ZZ"},    {703, "AAA"},
                 {728, "AAZ"}, {16384, "XFD"}, {18278, "ZZZ"}, {18279, "AAAA"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ColNumberToName(c.Number), c.Letters) << c.Number;
        EXPECT_EQ(ColNameToNumber(c.Letters), c.Number) << c.Letters;
    }
    EXPECT_EQ(ColNameToNumber("ab"), 28);
    EXPECT_EQ(ColNumberToName(0), "");
    EXPECT_EQ(ColNumberToName(-5), "");
    EXPECT_EQ(LetterToNumber('a'), 1);
    EXPECT_EQ(NumberToLetter(3), 'C');
}

TEST(A1Names, EveryNumberRoundTripsThroughItsLetters) {
    for (std::int64_t n = 1; n <= 20000; ++n)
        ASSERT_EQ(ColNameToNumber(ColNumberToName(n)), n);
}

TEST(A1Names, LongLetterRunsSaturateInsteadOfWrapping) {
    // Each of these overflowed a step before saturating (or wrapped): the limit is reached
    // at the 13th or 14th letter depending on the first ones.
    for (const char* letters :
         {"MWLQKWXMWLQKWXMWLQKWX", "DAAAAAAAAAAAAA", "AAAAAAAAAAAAAA", "ZZZZZZZZZZZZZZ",
          "CRPXNLSKVLJFHG", "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"})
        EXPECT_EQ(ColNameToNumber(letters), MaxColumnNumber) << letters;
    EXPECT_GT(ColNameToNumber("MWLQKWX"), 2147483647);
    EXPECT_EQ(ColNameToNumber("ZZZZZZZZZZZZ"), 99246114928149462);  // 12 letters stay exact
    // Characters before a row in ParseCellName may be anything; they saturate downwards too.
    EXPECT_EQ(ColNameToNumber(AnsiString(20, '\0')), -MaxColumnNumber);
}

TEST(A1Names, LongRowNumbersSaturateInsteadOfOverflowing) {
    const struct {
        const char* Name;
        std::int64_t Row;
    } cases[] = {
        {"A999999999999999999", 999999999999999999},  // 18 digits stay exact
        {"A9999999999999999999", INT64_MAX / 4},
        {"B99999999999999999999999999999999999999999", INT64_MAX / 4},
        {"C2305843009213693951", INT64_MAX / 4},
    };
    for (const auto& c : cases) {
        TCellNameParts p;
        ASSERT_TRUE(SplitCellName(c.Name, p)) << c.Name;
        EXPECT_EQ(p.Row, c.Row) << c.Name;
    }
}

TEST(A1Names, IsCellNameAcceptsOnlyLettersThenARowNumber) {
    for (const char* yes : {"A1", "$a$10", "AB$3", "$Z99", "xfd1048576", "a100"})
        EXPECT_TRUE(IsCellName(yes)) << yes;
    for (const char* no : {"", "$", "A", "A0", "A01", "1A", "A1B", "A$", "A1$", "$$A1", "A$$1",
                           "A 1", "A-1", "Sheet1!A1", "$1"})
        EXPECT_FALSE(IsCellName(no)) << no;
}

TEST(A1Names, ParseCellAndRangeNames) {
    int c = 0, r = 0;
    ParseCellName("$b$12", c, r);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(r, 12);
    int c1, r1, c2, r2;
    ParseRangeName("A1:E3", c1, r1, c2, r2);
    EXPECT_EQ((std::vector<int>{c1, r1, c2, r2}), (std::vector<int>{1, 1, 5, 3}));
    ParseRangeName("B2", c1, r1, c2, r2);
    EXPECT_EQ((std::vector<int>{c1, r1, c2, r2}), (std::vector<int>{2, 2, 2, 2}));
}

TEST(A1Names, ParseCellNameRaisesConversionErrors) {
    int c = 0, r = 0;
    EXPECT_THROW(ParseCellName("AB", c, r), EConvertError);
    EXPECT_THROW(ParseCellName("A1X", c, r), EConvertError);
    EXPECT_THROW(ParseCellName("A99999999999", c, r), EConvertError);
}

TEST(A1Names, SplitCellNameKeepsMarksAndSpelling) {
    TCellNameParts p;
    ASSERT_TRUE(SplitCellName("$ab$12", p));
    EXPECT_TRUE(p.ColAbsolute);
    EXPECT_TRUE(p.RowAbsolute);
    EXPECT_EQ(p.Col, 28);
    EXPECT_EQ(p.Row, 12);
    EXPECT_EQ(p.Letters, "ab");
    EXPECT_EQ(p.Digits, "12");
    EXPECT_FALSE(SplitCellName("ab", p));
}

}  // namespace
}  // namespace carrelon
