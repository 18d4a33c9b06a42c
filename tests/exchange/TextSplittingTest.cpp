#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "exchange/TextSplitting.h"

using namespace carrelon;

namespace {

using TLines = std::vector<std::string_view>;

// Field values as a cell would get them, for readable comparisons.
std::vector<std::string> CSVTexts(std::string_view Line, char ListSeparator = ',') {
    std::vector<TTextField> fields;
    SplitCSVFields(Line, ListSeparator, fields);
    std::vector<std::string> texts;
    for (const TTextField& f : fields)
        texts.push_back(CSVFieldText(f));
    return texts;
}

std::vector<std::string> TabTexts(std::string_view Line) {
    std::vector<TTextField> fields;
    SplitTabDelimitedFields(Line, fields);
    std::vector<std::string> texts;
    for (const TTextField& f : fields)
        texts.push_back(TabDelimitedFieldText(f));
    return texts;
}

}  // namespace

TEST(TextSplitting, TabDelimitedLinesFollowTheLineEndModeAndQuotes) {
    struct Case {
        std::string_view Text;
        TLines Lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        // One CR LF anywhere: only CR LF ends lines, a lone LF or CR stays inside.
        {"a\r\nb\nc\rd\r\n", {"a", "b\nc\rd"}},
        {"a\r\n\r\n", {"a", ""}},
        // Without CR LF, a lone CR is text.
        {"a\rb\nc", {"a\rb", "c"}},
        // Quotes carry over line ends, also a stray quote in the middle of a field.
        {"\"x\ny\"\tz\nw", {"\"x\ny\"\tz", "w"}},
        {"ab\"c\nd\"e\nf", {"ab\"c\nd\"e", "f"}},
        {"\"a\r\nb\"\r\nc", {"\"a\r\nb\"", "c"}},
        {"\"unmatched\nto the end\n", {"\"unmatched\nto the end\n"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitTabDelimitedLines(c.Text), c.Lines) << testing::PrintToString(c.Text);
}

TEST(TextSplitting, TabDelimitedFields) {
    struct Case {
        std::string_view Line;
        std::vector<std::string> Texts;
    };
    const Case cases[] = {
        {"a\tb", {"a", "b"}},
        {"a\t", {"a"}},
        {"\t", {""}},
        {"\ta", {"", "a"}},
        {"a\t\tb", {"a", "", "b"}},
        {"", {}},
        // A quoted field keeps its TABs; what follows its closing quote is dropped.
        {"\"x\ty\"\tz", {"x\ty", "z"}},
        {"\"a\"junk\tb", {"a", "b"}},
        {"\"a\"\"b\"\tc", {"a\"b", "c"}},
        {"\"unmatched\ttab", {"unmatched\ttab"}},
        // Quotes inside an unquoted field stay; line breaks become CR LF.
        {"say \"hi\"\tx", {"say \"hi\"", "x"}},
        {"\"l1\nl2\rl3\r\nl4\"", {"l1\r\nl2\r\nl3\r\nl4"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TabTexts(c.Line), c.Texts) << testing::PrintToString(c.Line);
    EXPECT_EQ(CountTabs("\ta\t\tb"), 3u);
    EXPECT_EQ(CountTabs(""), 0u);
}

TEST(TextSplitting, QuotedTabDelimitedFieldWithBreakAndTabFillsOneCell) {
    const std::string text = "\"first\nline\twith tab\"\tsecond\n\nthird";
    const TLines lines = SplitTabDelimitedLines(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(TabTexts(lines[0]), (std::vector<std::string>{"first\r\nline\twith tab", "second"}));
    EXPECT_TRUE(TabTexts(lines[1]).empty());  // the empty line leaves its row alone
    EXPECT_EQ(TabTexts(lines[2]), std::vector<std::string>{"third"});
}

TEST(TextSplitting, CSVLines) {
    struct Case {
        std::string_view Text;
        TLines Lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\"x\ny\",z\r\nw", {"\"x\ny\",z", "w"}},
        {"\"a\"\"\nb\"\nc", {"\"a\"\"\nb\"", "c"}},
        {"a,\"b\r\nc\"\r\n", {"a,\"b\r\nc\""}},
        {"\"unmatched\nrest\r\n", {"\"unmatched\nrest\r\n"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitCSVLines(c.Text), c.Lines) << testing::PrintToString(c.Text);
}

TEST(TextSplitting, CSVFields) {
    struct Case {
        std::string_view Line;
        char ListSeparator;
        std::vector<std::string> Texts;
    };
    const Case cases[] = {
        {"x,\"a,b\",y", ',', {"x", "a,b", "y"}},
        {"\"ab\"cd,e", ',', {"ab", "cd", "e"}},
        {"a,,b", ',', {"a", "", "b"}},
        {"a,", ',', {"a"}},
        {",a", ',', {"", "a"}},
        {"", ',', {}},
        {"\"\"", ',', {""}},
        {"\"\",\"\"", ',', {"", ""}},
        {"\"say \"\"hi\"\"\",x", ',', {"say \"hi\"", "x"}},
        {" \"q\" ,x", ',', {" \"q\" ", "x"}},
        {"\"a\r\nb\",c", ',', {"a\r\nb", "c"}},
        {"\"unmatched,x", ',', {"unmatched,x"}},
        // The user's list separator splits too, also a decimal comma.
        {"a;b,d", ';', {"a", "b", "d"}},
        {"1,5;2", ';', {"1", "5", "2"}},
        // A byte beyond ASCII is part of a character, never a separator.
        {"\xC3\xA9\xA7x", '\xA7', {"\xC3\xA9\xA7x"}},
        {"\xC3\xA9,\xC3\xBC", ',', {"\xC3\xA9", "\xC3\xBC"}},
        // Bytes that are not UTF-8, and a byte-order mark, are kept as they are.
        {"\xFF\xFE,\xC3", ',', {"\xFF\xFE", "\xC3"}},
        {"\xEF\xBB\xBF"
         "a,b",
         ',',
         {"\xEF\xBB\xBF"
          "a",
          "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSVTexts(c.Line, c.ListSeparator), c.Texts) << testing::PrintToString(c.Line);
}

// Text written the way common spreadsheet and scripting tools write CSV (fields with
// separators, quotes or line breaks quoted, quotes doubled, any line end) reads back into the
// same fields.
TEST(TextSplitting, CSVWrittenByOtherToolsReadsBackUnchanged) {
    std::mt19937 random(12345);
    const std::string alphabet = "ab ,\"\r\n;\t\xC3\xA9x";
    const char* const lineEnds[] = {"\r\n", "\n", "\r"};
    std::vector<std::vector<std::string>> rows;
    std::string text;
    for (int r = 0; r < 300; ++r) {
        std::vector<std::string> row;
        const int n = 1 + static_cast<int>(random() % 6);
        for (int f = 0; f < n; ++f) {
            std::string value;
            const int len = static_cast<int>(random() % 8);
            for (int k = 0; k < len; ++k)
                value += alphabet[random() % alphabet.size()];
            row.push_back(value);
        }
        // An empty last field cannot be told from a separator at the end.
        if (row.back().empty()) row.back() = "end";
        for (std::size_t f = 0; f < row.size(); ++f) {
            const std::string& v = row[f];
            if (f > 0) text += ',';
            if (v.find_first_of(",\"\r\n") == std::string::npos && (f > 0 || !v.empty())) {
                text += v;
                continue;
            }
            text += '"';
            for (char c : v) {
                text += c;
                if (c == '"') text += '"';
            }
            text += '"';
        }
        text += lineEnds[random() % 3];
        rows.push_back(row);
    }
    const TLines lines = SplitCSVLines(text);
    ASSERT_EQ(lines.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(CSVTexts(lines[r]), rows[r])
            << "row " << r << ": " << testing::PrintToString(lines[r]);
}

TEST(TextSplitting, FieldCountsMatchTheSplitters) {
    // Short random lines over the bytes that matter, with and without quotes.
    std::mt19937 random(777);
    const std::string alphabet = "ab ,;\t\"\xc3\xa9";
    std::vector<TTextField> fields;
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const int len = static_cast<int>(random() % 9);
        for (int k = 0; k < len; ++k)
            line += alphabet[random() % alphabet.size()];
        for (const char separator : {',', ';', '\xc3'}) {
            SplitCSVFields(line, separator, fields);
            ASSERT_EQ(CountCSVFields(line, separator), fields.size()) << line << " " << separator;
        }
        SplitTabDelimitedFields(line, fields);
        ASSERT_EQ(CountTabDelimitedFields(line), fields.size()) << line;
    }
}
