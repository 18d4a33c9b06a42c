#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/rtl/Strings.h"

using namespace carrelon;

TEST(Strings, CaseMappingKeepsBytePositions) {
    EXPECT_EQ(UpperCase("abc\xC3\xA9"), "ABC\xC3\xA9");  // ASCII only
    EXPECT_EQ(AnsiUpperCase("stra\xC3\x9F"
                            "e \xC3\xA9t\xC3\xA9 \xC5\x93"),
              "STRA\xC3\x9F"
              "E \xC3\x89T\xC3\x89 \xC5\x92");
    EXPECT_EQ(AnsiLowerCase("\xC3\x89T\xC3\x89 \xD0\x96"), "\xC3\xA9t\xC3\xA9 \xD0\xB6");
    EXPECT_EQ(AnsiUpperCase("\xC3\xBF"), "\xC5\xB8");  // y with diaeresis
    const AnsiString broken = "a\xFF\xC3";             // invalid bytes pass through
    EXPECT_EQ(AnsiUpperCase(broken), "A\xFF\xC3");
    EXPECT_EQ(AnsiUpperCase(broken).size(), broken.size());
}

TEST(Strings, TrimPosCopyDelete) {
    EXPECT_EQ(Trim(" \t\r\nab c\x01 "), "ab c");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \r\n"), "  a");
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(PosEx("b", "abcb", 3), 4);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 9, 1), "");
    AnsiString s = "hello";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "hlo");
    Insert("XY", s, 2);
    EXPECT_EQ(s, "hXYlo");
    EXPECT_EQ(LastDelimiter("ABC", "$AB12"), 3);
    EXPECT_EQ(LastDelimiter("/", "abc"), 0);
}

TEST(Strings, StringReplaceFlags) {
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", {}), "aXb-c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", {rfReplaceAll}), "aXb-c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", {rfIgnoreCase}), "a-bxc");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", {rfReplaceAll, rfIgnoreCase}), "a-b-c");
    EXPECT_EQ(StringReplace("\xC3\xA9t\xC3\x89", "\xC3\xA9", "e", {rfReplaceAll, rfIgnoreCase}),
              "ete");
    EXPECT_EQ(StringReplace("aaa", "aa", "b", {rfReplaceAll}), "ba");
    EXPECT_EQ(StringReplace("abc", "", "x", {rfReplaceAll}), "abc");
}

TEST(Strings, AdjustLineBreaksMakesEveryBreakCrLf) {
    EXPECT_EQ(AdjustLineBreaks("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(AdjustLineBreaks("a\n\rb"), "a\r\n\r\nb");
    EXPECT_EQ(AdjustLineBreaks("\r"), "\r\n");
}

TEST(Strings, Comparisons) {
    EXPECT_LT(CompareStr("B", "a"), 0);
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("abc", "abd"), 0);
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("Hello", "Hell"));
    EXPECT_TRUE(AnsiSameText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
    // Locale order: case and accents only break ties; punctuation < digits < letters.
    std::vector<AnsiString> words = {"b", "B", "a", "\xC3\xA9", "e", "f", "A", "10", "-x", "E"};
    std::sort(words.begin(), words.end(),
              [](const AnsiString& x, const AnsiString& y) { return AnsiCompareStr(x, y) < 0; });
    const std::vector<AnsiString> expected = {"-x", "10", "a", "A",        "b",
                                              "B",  "e",  "E", "\xC3\xA9", "f"};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
    EXPECT_NE(AnsiCompareStr("abc", "ABC"), 0);
}

TEST(Strings, Quoting) {
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
    std::size_t p = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("\"a\"\"b\",c", p, '"'), "a\"b");
    EXPECT_EQ(p, 6u);
    p = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("\"open", p, '"'), "open");
    EXPECT_EQ(p, 5u);
    EXPECT_EQ(AnsiDequotedStr("'x''y'", '\''), "x'y");
    EXPECT_EQ(AnsiDequotedStr("'x' y", '\''), "'x' y");
}

TEST(Strings, QuotedExtentsPointIntoTheText) {
    struct Case {
        std::string_view Text;
        std::size_t Pos;
        std::string_view Body;
        std::size_t End;
        bool Doubled;
        const char* Unquoted;
    };
    const Case cases[] = {
        {"x\"ab\"c", 1, "ab", 5, false, "ab"},
        {"\"a\"\"b\"", 0, "a\"\"b", 6, true, "a\"b"},
        {"\"\"", 0, "", 2, false, ""},
        {"\"\"\"\"", 0, "\"\"", 4, true, "\""},
        {"\"open\"\"", 0, "open\"\"", 7, true, "open\""},  // unmatched: the rest
        {"\"", 0, "", 1, false, ""},
        {"abc", 1, "", 1, false, ""},  // not at a quote: nothing read
    };
    for (const Case& c : cases) {
        const TQuotedExtent q = ScanQuotedStr(c.Text, c.Pos, '"');
        EXPECT_EQ(q.Body, c.Body) << c.Text;
        EXPECT_EQ(q.End, c.End) << c.Text;
        EXPECT_EQ(q.DoubledQuotes, c.Doubled) << c.Text;
        std::size_t p = c.Pos;
        EXPECT_EQ(AnsiExtractQuotedStr(c.Text, p, '"'), c.Unquoted) << c.Text;
        EXPECT_EQ(p, c.End) << c.Text;
    }
}

TEST(Strings, CodePoints) {
    const AnsiString s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
    EXPECT_EQ(CodePointCount(s), 5u);
    EXPECT_EQ(CodePointCopy(s, 1, 2), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(CodePointToByteOffset(s, 3), 6u);
    EXPECT_EQ(ByteOffsetToCodePoint(s, 6), 3u);
    EXPECT_EQ(CodePointsToUtf8(Utf8ToCodePoints(s)), s);
    EXPECT_EQ(CodePointCount("\xFF\xFE"), 2u);  // each invalid byte counts once
    EXPECT_EQ(CodePointCount("\xC3"), 1u);      // truncated sequence
    EXPECT_EQ(CodePointCount("\r\n"), 2u);
}

namespace {

// Random short texts over a small alphabet with case pairs, accents, digits, punctuation and
// broken UTF-8, so ties at every collation level occur often.
AnsiString RandomText(std::uint32_t& State) {
    static const char* pieces[] = {"a",        "A", "b", "B", "e",    "E",    "\xC3\xA9",
                                   "\xC3\x89", "1", "-", " ", "\xFF", "\xC3", "z"};
    State = State * 1103515245u + 12345u;
    AnsiString s;
    for (std::uint32_t n = (State >> 16) % 5; n > 0; --n) {
        State = State * 1103515245u + 12345u;
        s += pieces[(State >> 16) % 14];
    }
    return s;
}

}  // namespace

TEST(Strings, LocaleComparisonsAreConsistentOrders) {
    // Sorting relies on these being strict weak orders: antisymmetric and transitive, with
    // equality only for equal texts (case-folded equal texts for the Text form).
    std::uint32_t state = 7;
    for (int i = 0; i < 3000; ++i) {
        const AnsiString a = RandomText(state), b = RandomText(state), c = RandomText(state);
        for (auto cmp : {&AnsiCompareStr, &AnsiCompareText}) {
            const int ab = cmp(a, b), bc = cmp(b, c), ac = cmp(a, c);
            ASSERT_EQ(ab, -cmp(b, a)) << a << " / " << b;
            if (ab < 0 && bc < 0) {
                ASSERT_LT(ac, 0) << a << " / " << b << " / " << c;
            }
            if (ab == 0 && bc == 0) {
                ASSERT_EQ(ac, 0);
            }
        }
        ASSERT_EQ(AnsiCompareStr(a, b) == 0, a == b);
        ASSERT_EQ(AnsiCompareText(a, b) == 0, AnsiUpperCase(a) == AnsiUpperCase(b));
    }
}

TEST(Strings, CodePointHelpersAgreeOnBrokenText) {
    std::uint32_t state = 11;
    for (int i = 0; i < 2000; ++i) {
        const AnsiString s = RandomText(state) + RandomText(state);
        const std::size_t n = CodePointCount(s);
        ASSERT_EQ(Utf8ToCodePoints(s).size(), n);
        AnsiString rebuilt;
        for (std::size_t k = 0; k < n; ++k)
            rebuilt += CodePointCopy(s, k, 1);
        ASSERT_EQ(rebuilt, s);
        ASSERT_EQ(ByteOffsetToCodePoint(s, CodePointToByteOffset(s, n / 2)), n / 2);
        ASSERT_EQ(AnsiUpperCase(s).size(), s.size());
    }
}
